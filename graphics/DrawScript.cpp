#include "graphics/DrawScript.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "graphics/DC.h"

namespace {

bool SplitLine(std::string_view line, std::vector<std::string>& out)
{
  out.clear();
  size_t i = 0;
  while (i < line.size()) {
    const char c = line[i];
    if (c == ' ' || c == '\t' || c == '\r') {
      ++i;
      continue;
    }
    if (c == '#')
      break;
    std::string tok;
    if (c == '"') {
      ++i;
      bool closed = false;
      while (i < line.size()) {
        char d = line[i++];
        if (d == '"') {
          closed = true;
          break;
        }
        if (d == '\\' && i < line.size()) {
          char e = line[i++];
          tok += e == 'n' ? '\n' : e;
          continue;
        }
        tok += d;
      }
      if (!closed)
        return false;
    } else {
      while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r')
        tok += line[i++];
    }
    out.push_back(std::move(tok));
  }
  return true;
}

bool Number(const std::string& s, int32_t& v)
{
  if (s.empty())
    return false;
  errno = 0;
  char* end = nullptr;
  long long n = std::strtoll(s.c_str(), &end, 0);
  if (errno != 0 || *end != '\0' || n < INT32_MIN || n > 0xFFFFFFFFLL)
    return false;
  v = static_cast<int32_t>(static_cast<uint32_t>(n));
  return true;
}

}  // namespace

std::unique_ptr<TZmDC> RunDrawScript(std::string_view script, std::string& error, TZmTextRasterizer* text)
{
  std::unique_ptr<TZmDC> dc;
  TZmTextStyle style;
  style.Font.Name = "DejaVu Sans";
  style.Font.Size = 8;
  std::vector<std::string> t;
  int lineNo = 0;
  size_t pos = 0;
  while (pos <= script.size()) {
    size_t eol = script.find('\n', pos);
    if (eol == std::string_view::npos)
      eol = script.size();
    std::string_view line = script.substr(pos, eol - pos);
    pos = eol + 1;
    ++lineNo;
    auto fail = [&](const char* why) {
      error = "line " + std::to_string(lineNo) + ": " + why;
      return nullptr;
    };
    if (!SplitLine(line, t))
      return fail("unterminated string");
    if (t.empty())
      continue;
    const std::string& cmd = t[0];
    // Numeric arguments from index `from` on; `count` of them required.
    std::vector<int32_t> n;
    auto nums = [&](size_t from, size_t count, size_t upTo = SIZE_MAX) {
      n.clear();
      for (size_t i = from; i < t.size() && i < upTo; ++i) {
        int32_t v;
        if (!Number(t[i], v))
          return false;
        n.push_back(v);
      }
      return n.size() == count || (count == 0 && n.size() >= 4 && n.size() % 2 == 0);
    };
    if (cmd == "size") {
      if (dc || !nums(1, 2))
        return fail("size W H must come first, once");
      dc = std::make_unique<TZmDC>(n[0], n[1]);
      if (!dc->Valid())
        return fail("surface size out of range");
      if (text)
        dc->Text = text;
      continue;
    }
    if (!dc)
      return fail("size W H must come first");
    auto c16 = [](int32_t v) { return static_cast<uint16_t>(v); };
    if (cmd == "clear" && nums(1, 1))
      dc->Clear(c16(n[0]));
    else if (cmd == "clip" && nums(1, 4))
      dc->SetClip(n[0], n[1], n[2], n[3]);
    else if (cmd == "noclip" && t.size() == 1)
      dc->ResetClip();
    else if (cmd == "format" && nums(1, 1))
      dc->ColorFormat = n[0];
    else if (cmd == "pen" && nums(1, 3))
      dc->Pen = TZmDCPen{c16(n[0]), n[1], n[2], 0};
    else if (cmd == "brush" && nums(1, 3))
      dc->Brush = TZmDCBrush{c16(n[0]), n[1], 0, c16(n[2])};
    else if (cmd == "line" && nums(1, 4))
      dc->Line(n[0], n[1], n[2], n[3]);
    else if (cmd == "rect" && nums(1, 4))
      dc->Rectangle(n[0], n[1], n[2], n[3]);
    else if (cmd == "ellipse" && nums(1, 4))
      dc->Ellipse(n[0], n[1], n[2], n[3]);
    else if (cmd == "roundrect" && nums(1, 6))
      dc->RoundRect(n[0], n[1], n[2], n[3], n[4], n[5]);
    else if (cmd == "arc" && nums(1, 6))
      dc->Arc(n[0], n[1], n[2], n[3], n[4], n[5]);
    else if (cmd == "pie" && nums(1, 6))
      dc->Pie(n[0], n[1], n[2], n[3], n[4], n[5]);
    else if (cmd == "chord" && nums(1, 6))
      dc->Chord(n[0], n[1], n[2], n[3], n[4], n[5]);
    else if ((cmd == "polyline" || cmd == "polygon") && nums(1, 0)) {
      std::vector<TZmDCPoint> pts;
      for (size_t i = 0; i + 1 < n.size(); i += 2)
        pts.push_back({n[i], n[i + 1]});
      if (cmd == "polyline")
        dc->Polyline(pts);
      else
        dc->Polygon(pts);
    } else if (cmd == "marker" && nums(1, 4))
      dc->DrawPointMarker(n[0], n[1], n[2], c16(n[3]));
    else if (cmd == "pixel" && nums(1, 3))
      dc->SetPixel(n[0], n[1], c16(n[2]));
    else if (cmd == "font" && t.size() == 5 && nums(2, 3)) {
      style.Font.Name = t[1];
      style.Font.Size = n[0];
      style.Font.Style = static_cast<uint8_t>(n[1]);
      style.Font.Charset = static_cast<uint8_t>(n[2]);
    } else if (cmd == "text" && t.size() == 9 && nums(1, 7, 8)) {
      style.Align = n[4];
      style.Option = n[5];
      style.Color = static_cast<uint32_t>(n[6]);
      TZmPanelColors saved = dc->Colors;
      dc->Colors = TZmPanelColors{};  // script colours are RGB565 already
      dc->DrawText(0, n[0], n[1], n[2], n[3], style, nullptr, true, t[8].empty() ? std::string_view(" ") : t[8]);
      dc->Colors = saved;
    } else if (cmd == "blend" && nums(1, 2))
      dc->SetBlend(static_cast<uint32_t>(n[0]), n[1]);
    else if (cmd == "blendframe" && nums(1, 4))
      dc->BlendFrame(n[0], n[1], n[2], n[3]);
    else if (cmd == "blendfill" && nums(1, 4))
      dc->BlendFill(n[0], n[1], n[2], n[3]);
    else if (cmd == "blendline" && nums(1, 4))
      dc->BlendLine(n[0], n[1], n[2], n[3]);
    else
      return fail("unknown command or wrong arguments");
  }
  if (!dc) {
    error = "empty script";
    return nullptr;
  }
  return dc;
}
