#pragma once
// The clipboard block of screen objects, as the editor copies and pastes it
// between scenes and projects: a 32-bit count N of the bytes after it, the
// copying editor's owner word, the panel colour format of the project the
// objects come from, then the object list of a TZmComponentRefs (N - 8
// bytes). Everything in it comes from outside and is checked.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

class TZmComponentRefs;

std::vector<uint8_t> WriteClipboardBlock(const TZmComponentRefs& objects, uint32_t owner, int32_t colorFormat);

struct TZmClipboardHeader {
  uint32_t Owner = 0;
  int32_t ColorFormat = 0;
};

// Reads a block into `into`, whose Scene must be set (a scratch scene, so
// that all objects arrive or none). True with every object of the list
// (possibly none); false with the reason when the block is incomplete, or
// holds a list with objects of a class this version does not know.
bool ReadClipboardBlock(std::span<const uint8_t> block, TZmComponentRefs& into, TZmClipboardHeader& header,
                        std::string& error);
