#include "base/Record.h"

#include "base/Persistent.h"

namespace {

bool ReadTextRaw(TZmByteReader& r, std::string& out)
{
  uint32_t n;
  if (!r.ReadU32(n) || n > r.Remaining() / 2) return false;
  std::u16string u(n, u'\0');
  for (uint32_t i = 0; i < n; ++i) {
    uint16_t c;
    r.ReadU16(c);
    u[i] = c;
  }
  out = Utf16ToUtf8(u);
  return true;
}

}  // namespace

bool ParseRawRecord(std::span<const uint8_t> data, size_t& pos, TZmRawRecord& out)
{
  TZmByteReader r(data, pos);
  TZmRawRecord rec;
  uint32_t end, count;
  if (!ReadTextRaw(r, rec.ClassName) || !r.ReadU32(end) || !r.ReadU32(count)) return false;
  if (end > data.size() || end < r.Position()) return false;
  for (uint32_t i = 0; i < count; ++i) {
    std::string name;
    uint32_t len;
    std::span<const uint8_t> blob;
    if (!ReadTextRaw(r, name) || !r.ReadU32(len) || !r.ReadSpan(len, blob)) return false;
    rec.Properties.emplace_back(std::move(name), std::vector<uint8_t>(blob.begin(), blob.end()));
  }
  if (r.Position() != end) return false;
  pos = end;
  out = std::move(rec);
  return true;
}

void WriteRawRecord(TZmStream& out, const TZmRawRecord& rec)
{
  WriteText(out, rec.ClassName);
  size_t p = out.Position();
  out.WriteU32(0);
  out.WriteU32(static_cast<uint32_t>(rec.Properties.size()));
  for (const auto& [name, blob] : rec.Properties) {
    WriteText(out, name);
    out.WriteU32(static_cast<uint32_t>(blob.size()));
    out.Write(blob);
  }
  out.PatchU32(p, static_cast<uint32_t>(out.Size()));
  out.SeekEnd();
}

bool ParseRawList(std::span<const uint8_t> data, TZmRawList& out)
{
  TZmByteReader r(data);
  TZmRawList list;
  int32_t count;
  if (!ReadTextRaw(r, list.OwnerClass) || !r.ReadI32(count) || count < 0) return false;
  size_t pos = r.Position();
  for (int32_t i = 0; i < count; ++i) {
    TZmRawRecord rec;
    if (!ParseRawRecord(data, pos, rec)) return false;
    list.Items.push_back(std::move(rec));
  }
  if (pos != data.size()) return false;
  out = std::move(list);
  return true;
}

void WriteRawList(TZmStream& out, const TZmRawList& list)
{
  WriteText(out, list.OwnerClass);
  out.WriteI32(static_cast<int32_t>(list.Items.size()));
  for (const auto& rec : list.Items) WriteRawRecord(out, rec);
}
