// Project files as JSON record trees, on the generic record level: every
// record with its class name and every property with name, tag and value.
// A blob is shown in typed form only when that form writes back to exactly
// the same bytes; otherwise it is kept as hex, so nothing is ever lost.
#include <cstring>

#include "base/Persistent.h"
#include "base/Record.h"
#include "cli/Commands.h"
#include "cli/Json.h"
#include "model/Project.h"

namespace {

TJson RecordToJson(const TZmRawRecord& rec);
bool JsonToRecord(const TJson& j, TZmRawRecord& rec, std::string& error);

TJson HexValue(std::span<const uint8_t> bytes) { return TJson::MakeString(ToHex(bytes)); }

int64_t SignedOf(uint32_t v, size_t width)
{
  if (width == 1) return static_cast<int8_t>(v);
  return static_cast<int32_t>(v);
}

size_t FixedWidth(uint8_t tag)
{
  switch (tag) {
    case tagInt8:
    case tagUInt8: return 1;
    case tagUInt16: return 2;
    case tagInt32:
    case tagUInt32:
    case tagColor: return 4;
    case tagRect: return 16;
    default: return 0;
  }
}

// The typed value of a blob, or Null when it has no typed form.
TJson BlobValue(const std::vector<uint8_t>& b)
{
  if (b.empty()) return {};
  uint8_t tag = b[0];
  TZmByteReader r(b, 1);
  if (size_t w = FixedWidth(tag)) {
    if (b.size() != w + 1) return {};
    if (tag == tagRect) {
      TJson o = TJson::MakeObject();
      const char* names[] = {"left", "top", "right", "bottom"};
      for (const char* n : names) {
        int32_t v;
        r.ReadI32(v);
        o.Add(n, TJson::MakeInt(v));
      }
      return o;
    }
    uint32_t v = 0;
    for (size_t i = 0; i < w; ++i) v |= static_cast<uint32_t>(b[1 + i]) << (8 * i);
    bool isSigned = tag == tagInt8 || tag == tagInt32;
    return TJson::MakeInt(isSigned ? SignedOf(v, w) : static_cast<int64_t>(v));
  }
  switch (tag) {
    case tagString: {
      TZmStream s(std::vector<uint8_t>(b.begin() + 1, b.end()));
      try {
        return TJson::MakeString(ReadText(s));
      } catch (const EZmStreamError&) {
        return {};
      }
    }
    case tagFont: {
      uint32_t n;
      if (!r.ReadU32(n) || n == 0 || n > r.Remaining() / 2) return {};
      std::u16string u;
      for (uint32_t i = 0; i < n; ++i) {
        uint16_t c;
        r.ReadU16(c);
        u.push_back(c);
      }
      int32_t size;
      uint8_t charset, style;
      if (u.back() != 0 || !r.ReadI32(size) || !r.ReadU8(charset) || !r.ReadU8(style)) return {};
      u.pop_back();
      TJson o = TJson::MakeObject();
      o.Add("name", TJson::MakeString(Utf16ToUtf8(u)));
      o.Add("size", TJson::MakeInt(size));
      o.Add("charset", TJson::MakeInt(charset));
      o.Add("style", TJson::MakeInt(style));
      return o;
    }
    case tagMemory:
    case tagStream: {
      uint32_t len;
      std::span<const uint8_t> body;
      if (!r.ReadU32(len) || !r.ReadSpan(len, body)) return {};
      if (tag == tagStream) {
        TZmRawList list;
        if (ParseRawList(body, list)) {
          TJson o = TJson::MakeObject();
          o.Add("owner", TJson::MakeString(list.OwnerClass));
          TJson items = TJson::MakeArray();
          for (const auto& rec : list.Items) items.Push(RecordToJson(rec));
          o.Add("items", std::move(items));
          return o;
        }
      }
      return HexValue(body);
    }
    case tagObject: {
      size_t pos = 1;
      TZmRawRecord rec;
      if (!ParseRawRecord(b, pos, rec) || pos != b.size()) return {};
      return RecordToJson(rec);
    }
    default: return {};
  }
}

bool GetInt(const TJson* j, int64_t lo, int64_t hi, int64_t& v)
{
  if (!j || j->K != TJson::Int || j->I < lo || j->I > hi) return false;
  v = j->I;
  return true;
}

// Writes a typed value back into blob bytes.
bool BlobFromValue(uint8_t tag, const TJson& v, std::vector<uint8_t>& out, std::string& error)
{
  TZmStream s;
  s.WriteU8(tag);
  auto bad = [&](const char* what) {
    error = std::string("bad value for tag ") + std::to_string(tag) + ": " + what;
    return false;
  };
  int64_t x;
  switch (tag) {
    case tagInt8:
      if (!GetInt(&v, -128, 127, x)) return bad("expected an 8-bit signed number");
      s.WriteI8(static_cast<int8_t>(x));
      break;
    case tagUInt8:
      if (!GetInt(&v, 0, 255, x)) return bad("expected an 8-bit unsigned number");
      s.WriteU8(static_cast<uint8_t>(x));
      break;
    case tagUInt16:
      if (!GetInt(&v, 0, 0xFFFF, x)) return bad("expected a 16-bit unsigned number");
      s.WriteU16(static_cast<uint16_t>(x));
      break;
    case tagInt32:
      if (!GetInt(&v, INT32_MIN, INT32_MAX, x)) return bad("expected a 32-bit signed number");
      s.WriteI32(static_cast<int32_t>(x));
      break;
    case tagUInt32:
    case tagColor:
      if (!GetInt(&v, 0, 0xFFFFFFFFll, x)) return bad("expected a 32-bit unsigned number");
      s.WriteU32(static_cast<uint32_t>(x));
      break;
    case tagRect:
      for (const char* n : {"left", "top", "right", "bottom"}) {
        if (!GetInt(v.Get(n), INT32_MIN, INT32_MAX, x)) return bad("expected a rectangle");
        s.WriteI32(static_cast<int32_t>(x));
      }
      break;
    case tagString:
      if (v.K != TJson::String) return bad("expected a string");
      WriteText(s, v.S);
      break;
    case tagFont: {
      const TJson* name = v.Get("name");
      int64_t size, charset, style;
      if (!name || name->K != TJson::String || !GetInt(v.Get("size"), INT32_MIN, INT32_MAX, size) ||
          !GetInt(v.Get("charset"), 0, 255, charset) || !GetInt(v.Get("style"), 0, 255, style))
        return bad("expected a font");
      std::u16string u = Utf8ToUtf16(name->S);
      s.WriteU32(static_cast<uint32_t>(u.size() + 1));
      for (char16_t c : u) s.WriteU16(c);
      s.WriteU16(0);
      s.WriteI32(static_cast<int32_t>(size));
      s.WriteU8(static_cast<uint8_t>(charset));
      s.WriteU8(static_cast<uint8_t>(style));
      break;
    }
    case tagMemory:
    case tagStream: {
      TZmStream body;
      if (v.K == TJson::String) {
        std::vector<uint8_t> bytes;
        if (!FromHex(v.S, bytes)) return bad("expected hex digits");
        body.Write(bytes);
      } else if (tag == tagStream && v.K == TJson::Object) {
        const TJson* owner = v.Get("owner");
        const TJson* items = v.Get("items");
        if (!owner || owner->K != TJson::String || !items || items->K != TJson::Array) return bad("expected a list");
        TZmRawList list;
        list.OwnerClass = owner->S;
        for (const TJson& item : items->A) {
          TZmRawRecord rec;
          if (!JsonToRecord(item, rec, error)) return false;
          list.Items.push_back(std::move(rec));
        }
        WriteRawList(body, list);
      } else {
        return bad("expected hex digits or a list");
      }
      s.WriteU32(static_cast<uint32_t>(body.Size()));
      s.Write(body.Bytes());
      break;
    }
    case tagObject: {
      TZmRawRecord rec;
      if (!JsonToRecord(v, rec, error)) return false;
      WriteRawRecord(s, rec);
      break;
    }
    default: return bad("unknown tag");
  }
  out = std::move(s.Buffer());
  return true;
}

TJson RecordToJson(const TZmRawRecord& rec)
{
  TJson o = TJson::MakeObject();
  o.Add("class", TJson::MakeString(rec.ClassName));
  TJson props = TJson::MakeArray();
  for (const auto& [name, blob] : rec.Properties) {
    TJson p = TJson::MakeObject();
    p.Add("name", TJson::MakeString(name));
    TJson value = BlobValue(blob);
    std::vector<uint8_t> back;
    std::string ignored;
    if (value.K != TJson::Null && BlobFromValue(blob[0], value, back, ignored) && back == blob) {
      p.Add("tag", TJson::MakeInt(blob[0]));
      p.Add("value", std::move(value));
    } else {
      p.Add("raw", HexValue(blob));
    }
    props.Push(std::move(p));
  }
  o.Add("properties", std::move(props));
  return o;
}

bool JsonToRecord(const TJson& j, TZmRawRecord& rec, std::string& error)
{
  const TJson* cls = j.Get("class");
  const TJson* props = j.Get("properties");
  if (!cls || cls->K != TJson::String || !props || props->K != TJson::Array) {
    error = "a record needs \"class\" and \"properties\"";
    return false;
  }
  rec.ClassName = cls->S;
  for (const TJson& p : props->A) {
    const TJson* name = p.Get("name");
    if (!name || name->K != TJson::String) {
      error = "a property of " + rec.ClassName + " has no name";
      return false;
    }
    std::vector<uint8_t> blob;
    if (const TJson* raw = p.Get("raw")) {
      if (raw->K != TJson::String || !FromHex(raw->S, blob)) {
        error = "property " + name->S + ": bad raw hex";
        return false;
      }
    } else {
      int64_t tag;
      const TJson* value = p.Get("value");
      if (!GetInt(p.Get("tag"), 0, 255, tag) || !value) {
        error = "property " + name->S + " needs \"tag\" and \"value\", or \"raw\"";
        return false;
      }
      if (!BlobFromValue(static_cast<uint8_t>(tag), *value, blob, error)) {
        error = "property " + name->S + ": " + error;
        return false;
      }
    }
    rec.Properties.emplace_back(name->S, std::move(blob));
  }
  return true;
}

// A record in its JSON form, or {"hex": ...} when the bytes are no record.
TJson RecordOrHex(std::span<const uint8_t> data, size_t& pos)
{
  TZmRawRecord rec;
  size_t p = pos;
  if (ParseRawRecord(data, p, rec)) {
    pos = p;
    return RecordToJson(rec);
  }
  TJson o = TJson::MakeObject();
  o.Add("hex", HexValue(data.subspan(pos)));
  pos = data.size();
  return o;
}

bool RecordOrHexBytes(const TJson* j, TZmStream& out, std::string& error)
{
  if (!j) {
    error = "missing record";
    return false;
  }
  if (const TJson* hex = j->Get("hex")) {
    std::vector<uint8_t> bytes;
    if (hex->K != TJson::String || !FromHex(hex->S, bytes)) {
      error = "bad hex";
      return false;
    }
    out.Write(bytes);
    return true;
  }
  TZmRawRecord rec;
  if (!JsonToRecord(*j, rec, error)) return false;
  WriteRawRecord(out, rec);
  return true;
}

}  // namespace

bool DumpProject(std::span<const uint8_t> file, std::string& json, std::string& error)
{
  if (file.size() < 4 || std::memcmp(file.data(), kProjectMagic, 4) != 0) {
    error = "not a project file (bad magic)";
    return false;
  }
  // The file-information record counts the magic in its End.
  size_t pos = 4;
  TZmRawRecord info;
  if (!ParseRawRecord(file, pos, info)) {
    error = "the file-information record is damaged";
    return false;
  }
  std::vector<uint8_t> body;
  if (!Inflate(file.subspan(pos), kMaxProjectBody, body, error)) return false;

  TJson top = TJson::MakeObject();
  top.Add("magic", TJson::MakeString(kProjectMagic));
  top.Add("fileInformation", RecordToJson(info));
  size_t bodyPos = 0;
  top.Add("project", RecordOrHex(body, bodyPos));
  if (bodyPos < body.size()) top.Add("trailing", HexValue(std::span(body).subspan(bodyPos)));
  json = WriteJson(top);
  return true;
}

bool PackProject(const std::string& json, std::vector<uint8_t>& file, std::string& error)
{
  TJson top;
  if (!ParseJson(json, top, error)) return false;
  const TJson* magic = top.Get("magic");
  if (!magic || magic->K != TJson::String || magic->S != kProjectMagic) {
    error = std::string("\"magic\" must be \"") + kProjectMagic + "\"";
    return false;
  }
  TZmStream out;
  out.Write(magic->S.data(), 4);
  if (!RecordOrHexBytes(top.Get("fileInformation"), out, error)) {
    error = "fileInformation: " + error;
    return false;
  }
  TZmStream body;
  if (!RecordOrHexBytes(top.Get("project"), body, error)) {
    error = "project: " + error;
    return false;
  }
  if (const TJson* trailing = top.Get("trailing")) {
    std::vector<uint8_t> bytes;
    if (trailing->K != TJson::String || !FromHex(trailing->S, bytes)) {
      error = "trailing: bad hex";
      return false;
    }
    body.Write(bytes);
  }
  out.Write(Deflate(body.Bytes()));
  file = std::move(out.Buffer());
  return true;
}
