#pragma once
// A tiny line-based drawing language over TZmDC, for looking at the
// rasteriser's output (developer tool, benchmarks, test fixtures).
//
//   size W H                      (first line; creates the surface)
//   clear C | clip L T R B | noclip | format N
//   pen C STYLE WIDTH | brush C STYLE EXTCOLOR     (colours are RGB565)
//   line X1 Y1 X2 Y2 | rect L T R B | ellipse L T R B
//   roundrect L T R B RX RY | arc|pie|chord L T R B START END
//   polyline X Y X Y ... | polygon X Y X Y ...
//   marker X Y INDEX C | pixel X Y C
//   font "NAME" SIZE STYLE CHARSET
//   text L T R B ALIGN OPTION C "TEXT"    (\n in TEXT breaks the line)
//   blend RGB PERCENT | blendframe|blendfill L T R B | blendline X1 Y1 X2 Y2
// Numbers may be decimal or 0x hexadecimal; '#' starts a comment.

#include <memory>
#include <string>
#include <string_view>

class TZmDC;
class TZmTextRasterizer;

// Runs a script; the surface is made by its "size" line. On failure the
// error names the line. text: rasteriser for "text" lines (nullptr: default).
std::unique_ptr<TZmDC> RunDrawScript(std::string_view script, std::string& error, TZmTextRasterizer* text = nullptr);
