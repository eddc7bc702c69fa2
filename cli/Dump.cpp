// Project files as JSON record trees, on the generic record level: every
// record with its class name and every property with name, tag and value.
// A blob is shown in typed form only when that form writes back to exactly
// the same bytes; otherwise it is kept as hex, so nothing is ever lost.
//
// Both directions are linear in the file: dump reads the records in place
// (no copies of subtrees) and pack writes every record straight into one
// stream, patching lengths and ends afterwards. Records nest at most
// kMaxDumpDepth deep in typed form; deeper ones stay hex.
#include <nlohmann/json.hpp>

#include <charconv>
#include <cstring>
#include <string_view>

#include "base/Persistent.h"
#include "base/Stream.h"
#include "base/Utf.h"
#include "cli/Commands.h"
#include "model/Project.h"

namespace {

using Json = nlohmann::ordered_json;

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

// ---- dump: bytes to JSON

// N UTF-16 units as UTF-8. False when they do not fit, or when they hold an
// unpaired surrogate: JSON has no valid text for one, so such a text is
// shown as hex instead.
bool ReadUnits(TZmByteReader& r, uint32_t n, std::string& out)
{
  if (n > r.Remaining() / 2) return false;
  std::u16string u(n, u'\0');
  for (uint32_t i = 0; i < n; ++i) {
    uint16_t c;
    r.ReadU16(c);
    u[i] = c;
  }
  for (size_t i = 0; i < u.size(); ++i) {
    if (u[i] >= 0xD800 && u[i] <= 0xDBFF && i + 1 < u.size() && u[i + 1] >= 0xDC00 && u[i + 1] <= 0xDFFF) ++i;
    else if (u[i] >= 0xD800 && u[i] <= 0xDFFF) return false;
  }
  out = Utf16ToUtf8(u);
  return true;
}

bool ReadText16(TZmByteReader& r, std::string& out)
{
  uint32_t n;
  return r.ReadU32(n) && ReadUnits(r, n, out);
}

// Writes the JSON text while it walks the records, without building a
// tree first: the tree of a large project costs several times the file in
// memory and more time than compiling it. A record or list whose bytes turn
// out not to be one is taken back and written as hex instead.
class TDumper {
public:
  explicit TDumper(std::string& out) : Out(out) {}
  // The record at `pos` of `data` (End counts from the start of `data`),
  // strictly: End must be the position after its last entry.
  bool Record(std::span<const uint8_t> data, size_t& pos, int depth, int indent);
  void Key(const char* key, int indent)
  {
    Newline(indent);
    String(key);
    Out += ": ";
  }
  void Newline(int indent)
  {
    Out += '\n';
    Out.append(static_cast<size_t>(indent) * 2, ' ');
  }
  void String(std::string_view s);
  void Number(int64_t v)
  {
    char buf[24];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    Out.append(buf, r.ptr);
  }
  void Hex(std::span<const uint8_t> bytes);

private:
  // Writes the typed value of a blob (tag first) that holds no record or
  // list. False when it has none that writes back to exactly these bytes.
  bool BlobValue(std::span<const uint8_t> b);
  // Writes the record (tag 18) or list (tag 19) a blob holds; false, with
  // nothing written, when it holds none.
  bool Nested(std::span<const uint8_t> b, int depth, int indent);
  bool List(std::span<const uint8_t> body, int depth, int indent);
  std::string& Out;
};

void TDumper::String(std::string_view s)
{
  // The escapes JSON requires; the rest is UTF-8 as it stands (texts with
  // unpaired surrogates never get here).
  static const char digits[] = "0123456789abcdef";
  Out += '"';
  for (char ch : s) {
    unsigned char c = static_cast<unsigned char>(ch);
    switch (c) {
      case '"': Out += "\\\""; break;
      case '\\': Out += "\\\\"; break;
      case '\b': Out += "\\b"; break;
      case '\f': Out += "\\f"; break;
      case '\n': Out += "\\n"; break;
      case '\r': Out += "\\r"; break;
      case '\t': Out += "\\t"; break;
      default:
        if (c < 0x20) {
          Out += "\\u00";
          Out += digits[c >> 4];
          Out += digits[c & 15];
        } else {
          Out += ch;
        }
    }
  }
  Out += '"';
}

void TDumper::Hex(std::span<const uint8_t> bytes)
{
  static const char digits[] = "0123456789abcdef";
  Out += '"';
  size_t at = Out.size();
  Out.resize(at + 2 * bytes.size());
  for (uint8_t b : bytes) {
    Out[at++] = digits[b >> 4];
    Out[at++] = digits[b & 15];
  }
  Out += '"';
}

bool TDumper::Record(std::span<const uint8_t> data, size_t& pos, int depth, int indent)
{
  const size_t mark = Out.size();
  auto fail = [&] {
    Out.resize(mark);
    return false;
  };
  TZmByteReader r(data, pos);
  std::string cls;
  uint32_t end, count;
  if (!ReadText16(r, cls) || !r.ReadU32(end) || !r.ReadU32(count)) return fail();
  if (end > data.size() || end < r.Position()) return fail();
  Out += '{';
  Key("class", indent + 1);
  String(cls);
  Out += ',';
  Key("properties", indent + 1);
  Out += '[';
  for (uint32_t i = 0; i < count; ++i) {
    std::string name;
    uint32_t len;
    std::span<const uint8_t> blob;
    if (!ReadText16(r, name) || !r.ReadU32(len) || !r.ReadSpan(len, blob)) return fail();
    if (i) Out += ',';
    Newline(indent + 2);
    const size_t start = Out.size();
    // A record or a list in the value: the property over several lines.
    if (!blob.empty() && (blob[0] == tagObject || blob[0] == tagStream) && depth < kMaxDumpDepth) {
      Out += '{';
      Key("name", indent + 3);
      String(name);
      Out += ',';
      Key("tag", indent + 3);
      Number(blob[0]);
      Out += ',';
      Key("value", indent + 3);
      if (Nested(blob, depth, indent + 3)) {
        Newline(indent + 2);
        Out += '}';
        continue;
      }
      Out.resize(start);
    }
    // Anything else on one line.
    Out += "{\"name\":";
    String(name);
    const size_t value = Out.size();
    if (!blob.empty()) {
      Out += ",\"tag\":";
      Number(blob[0]);
      Out += ",\"value\":";
    }
    if (blob.empty() || !BlobValue(blob)) {
      Out.resize(value);
      Out += ",\"raw\":";
      Hex(blob);
    }
    Out += '}';
  }
  if (r.Position() != end) return fail();
  if (count) Newline(indent + 1);
  Out += ']';
  Newline(indent);
  Out += '}';
  pos = end;
  return true;
}

bool TDumper::List(std::span<const uint8_t> body, int depth, int indent)
{
  const size_t mark = Out.size();
  TZmByteReader r(body);
  std::string owner;
  int32_t count;
  if (!ReadText16(r, owner) || !r.ReadI32(count) || count < 0) return false;
  Out += '{';
  Key("owner", indent + 1);
  String(owner);
  Out += ',';
  Key("items", indent + 1);
  Out += '[';
  size_t pos = r.Position();
  for (int32_t i = 0; i < count; ++i) {
    if (i) Out += ',';
    Newline(indent + 2);
    if (!Record(body, pos, depth + 1, indent + 2)) {
      Out.resize(mark);
      return false;
    }
  }
  if (pos != body.size()) {
    Out.resize(mark);
    return false;
  }
  if (count) Newline(indent + 1);
  Out += ']';
  Newline(indent);
  Out += '}';
  return true;
}

bool TDumper::Nested(std::span<const uint8_t> b, int depth, int indent)
{
  const size_t mark = Out.size();
  if (b[0] == tagObject) {
    size_t pos = 1;  // a nested record's End counts from the start of the blob
    if (Record(b, pos, depth + 1, indent) && pos == b.size()) return true;
    Out.resize(mark);
    return false;
  }
  TZmByteReader r(b, 1);
  uint32_t len;
  std::span<const uint8_t> body;
  return r.ReadU32(len) && r.ReadSpan(len, body) && r.AtEnd() && List(body, depth, indent);
}

bool TDumper::BlobValue(std::span<const uint8_t> b)
{
  uint8_t tag = b[0];
  TZmByteReader r(b, 1);
  if (size_t w = FixedWidth(tag)) {
    if (b.size() != w + 1) return false;
    if (tag == tagRect) {
      const char* names[] = {"left", "top", "right", "bottom"};
      Out += '{';
      for (int i = 0; i < 4; ++i) {
        int32_t x;
        r.ReadI32(x);
        if (i) Out += ',';
        String(names[i]);
        Out += ':';
        Number(x);
      }
      Out += '}';
      return true;
    }
    uint32_t x = 0;
    for (size_t i = 0; i < w; ++i) x |= static_cast<uint32_t>(b[1 + i]) << (8 * i);
    if (tag == tagInt8) Number(static_cast<int8_t>(x));
    else if (tag == tagInt32) Number(static_cast<int32_t>(x));
    else Number(x);
    return true;
  }
  switch (tag) {
    case tagString: {
      std::string text;
      if (!ReadText16(r, text) || !r.AtEnd()) return false;
      String(text);
      return true;
    }
    case tagFont: {
      uint32_t n;
      std::string name;
      uint16_t last = 1;
      int32_t size;
      uint8_t charset, style;
      // The count includes a terminating zero, which the typed form leaves out.
      if (!r.ReadU32(n) || n == 0 || !ReadUnits(r, n - 1, name) || !r.ReadU16(last) || last != 0 ||
          !r.ReadI32(size) || !r.ReadU8(charset) || !r.ReadU8(style) || !r.AtEnd())
        return false;
      Out += "{\"name\":";
      String(name);
      Out += ",\"size\":";
      Number(size);
      Out += ",\"charset\":";
      Number(charset);
      Out += ",\"style\":";
      Number(style);
      Out += '}';
      return true;
    }
    case tagMemory:
    case tagStream: {
      uint32_t len;
      std::span<const uint8_t> body;
      if (!r.ReadU32(len) || !r.ReadSpan(len, body) || !r.AtEnd()) return false;
      Hex(body);  // a stream that holds no list (or one nested too deep)
      return true;
    }
    default: return false;  // a record nested too deep, or an unknown tag
  }
}

// ---- pack: JSON to bytes

class TPacker {
public:
  explicit TPacker(std::string& error) : Error(error) {}
  // Appends the record to `out`; its End counts from `base` in `out`.
  bool Record(const Json& j, TZmStream& out, size_t base, int depth);
  bool Fail(std::string text)
  {
    if (Error.empty()) Error = std::move(text);
    return false;
  }

private:
  bool Blob(uint8_t tag, const Json& v, TZmStream& out, int depth, const std::string& name);
  std::string& Error;
};

const Json* Member(const Json& j, const char* key)
{
  if (!j.is_object()) return nullptr;
  auto it = j.find(key);
  return it == j.end() ? nullptr : &*it;
}

bool GetInt(const Json* j, int64_t lo, int64_t hi, int64_t& v)
{
  if (!j || !j->is_number_integer()) return false;
  if (j->is_number_unsigned()) {
    uint64_t u = j->get<uint64_t>();
    if (u > static_cast<uint64_t>(INT64_MAX)) return false;
    v = static_cast<int64_t>(u);
  } else {
    v = j->get<int64_t>();
  }
  return v >= lo && v <= hi;
}

const std::string* GetString(const Json* j) { return j && j->is_string() ? &j->get_ref<const std::string&>() : nullptr; }

bool TPacker::Record(const Json& j, TZmStream& out, size_t base, int depth)
{
  const std::string* cls = GetString(Member(j, "class"));
  const Json* props = Member(j, "properties");
  if (!cls || !props || !props->is_array()) return Fail("a record needs \"class\" and \"properties\"");
  if (depth > kMaxDumpDepth) return Fail("records nested deeper than " + std::to_string(kMaxDumpDepth) + " levels");
  out.SeekEnd();
  WriteText(out, *cls);
  size_t endAt = out.Size();
  out.WriteU32(0);
  out.WriteU32(static_cast<uint32_t>(props->size()));
  for (const Json& p : *props) {
    const std::string* name = GetString(Member(p, "name"));
    if (!name) return Fail("a property of " + *cls + " has no name");
    WriteText(out, *name);
    size_t lenAt = out.Size();
    out.WriteU32(0);
    if (const Json* raw = Member(p, "raw")) {
      std::vector<uint8_t> bytes;
      const std::string* hex = GetString(raw);
      if (!hex || !FromHex(*hex, bytes)) return Fail("property " + *name + ": bad raw hex");
      out.Write(bytes);
    } else {
      int64_t tag;
      const Json* value = Member(p, "value");
      if (!GetInt(Member(p, "tag"), 0, 255, tag) || !value)
        return Fail("property " + *name + " needs \"tag\" and \"value\", or \"raw\"");
      if (!Blob(static_cast<uint8_t>(tag), *value, out, depth, *name)) return false;
    }
    out.PatchU32(lenAt, static_cast<uint32_t>(out.Size() - lenAt - 4));
  }
  out.PatchU32(endAt, static_cast<uint32_t>(out.Size() - base));
  return true;
}

bool TPacker::Blob(uint8_t tag, const Json& v, TZmStream& out, int depth, const std::string& name)
{
  size_t blobStart = out.Size();
  out.WriteU8(tag);
  auto bad = [&](const char* what) {
    return Fail("property " + name + ": bad value for tag " + std::to_string(tag) + ": " + what);
  };
  int64_t x;
  switch (tag) {
    case tagInt8:
      if (!GetInt(&v, -128, 127, x)) return bad("expected an 8-bit signed number");
      out.WriteI8(static_cast<int8_t>(x));
      return true;
    case tagUInt8:
      if (!GetInt(&v, 0, 255, x)) return bad("expected an 8-bit unsigned number");
      out.WriteU8(static_cast<uint8_t>(x));
      return true;
    case tagUInt16:
      if (!GetInt(&v, 0, 0xFFFF, x)) return bad("expected a 16-bit unsigned number");
      out.WriteU16(static_cast<uint16_t>(x));
      return true;
    case tagInt32:
      if (!GetInt(&v, INT32_MIN, INT32_MAX, x)) return bad("expected a 32-bit signed number");
      out.WriteI32(static_cast<int32_t>(x));
      return true;
    case tagUInt32:
    case tagColor:
      if (!GetInt(&v, 0, 0xFFFFFFFFll, x)) return bad("expected a 32-bit unsigned number");
      out.WriteU32(static_cast<uint32_t>(x));
      return true;
    case tagRect:
      for (const char* n : {"left", "top", "right", "bottom"}) {
        if (!GetInt(Member(v, n), INT32_MIN, INT32_MAX, x)) return bad("expected a rectangle");
        out.WriteI32(static_cast<int32_t>(x));
      }
      return true;
    case tagString:
      if (!v.is_string()) return bad("expected a string");
      WriteText(out, v.get_ref<const std::string&>());
      return true;
    case tagFont: {
      const std::string* face = GetString(Member(v, "name"));
      int64_t size, charset, style;
      if (!face || !GetInt(Member(v, "size"), INT32_MIN, INT32_MAX, size) ||
          !GetInt(Member(v, "charset"), 0, 255, charset) || !GetInt(Member(v, "style"), 0, 255, style))
        return bad("expected a font");
      std::u16string u = Utf8ToUtf16(*face);
      out.WriteU32(static_cast<uint32_t>(u.size() + 1));
      for (char16_t c : u) out.WriteU16(c);
      out.WriteU16(0);
      out.WriteI32(static_cast<int32_t>(size));
      out.WriteU8(static_cast<uint8_t>(charset));
      out.WriteU8(static_cast<uint8_t>(style));
      return true;
    }
    case tagMemory:
    case tagStream: {
      size_t lenAt = out.Size();
      out.WriteU32(0);
      size_t body = out.Size();
      if (v.is_string()) {
        std::vector<uint8_t> bytes;
        if (!FromHex(v.get_ref<const std::string&>(), bytes)) return bad("expected hex digits");
        out.Write(bytes);
      } else if (tag == tagStream && v.is_object()) {
        const std::string* owner = GetString(Member(v, "owner"));
        const Json* items = Member(v, "items");
        if (!owner || !items || !items->is_array()) return bad("expected a list");
        WriteText(out, *owner);
        out.WriteI32(static_cast<int32_t>(items->size()));
        // The children's End counts from the start of the list.
        for (const Json& item : *items)
          if (!Record(item, out, body, depth + 1)) return false;
      } else {
        return bad("expected hex digits or a list");
      }
      out.PatchU32(lenAt, static_cast<uint32_t>(out.Size() - body));
      return true;
    }
    case tagObject:
      // A nested record's End counts from the start of its blob.
      return Record(v, out, blobStart, depth + 1);
    default: return bad("unknown tag");
  }
}

// A record, or {"hex": ...} where the bytes are no record.
bool RecordOrHexBytes(const Json* j, TZmStream& out, TPacker& packer)
{
  if (!j) return packer.Fail("missing record");
  if (const Json* hex = Member(*j, "hex")) {
    std::vector<uint8_t> bytes;
    const std::string* text = GetString(hex);
    if (!text || !FromHex(*text, bytes)) return packer.Fail("bad hex");
    out.Write(bytes);
    return true;
  }
  return packer.Record(*j, out, 0, 1);
}

}  // namespace

bool DumpProject(std::span<const uint8_t> file, std::string& json, std::string& error)
{
  if (file.size() < 4 || std::memcmp(file.data(), kProjectMagic, 4) != 0) {
    error = "not a project file (bad magic)";
    return false;
  }
  json.clear();
  TDumper out(json);
  json += '{';
  out.Key("magic", 1);
  out.String(kProjectMagic);
  json += ',';
  out.Key("fileInformation", 1);
  // The file-information record counts the magic in its End.
  size_t pos = 4;
  if (!out.Record(file, pos, 1, 1)) {
    error = "the file-information record is damaged";
    json.clear();
    return false;
  }
  std::vector<uint8_t> body;
  size_t used = 0;
  std::span<const uint8_t> compressed = file.subspan(pos);
  if (!Inflate(compressed, kMaxProjectBody, body, error, &used)) {
    json.clear();
    return false;
  }
  json += ',';
  out.Key("project", 1);
  size_t bodyPos = 0;
  if (!out.Record(body, bodyPos, 1, 1)) {
    json += "{\"hex\":";
    out.Hex(body);
    json += '}';
    bodyPos = body.size();
  }
  // Bytes after the root record, inside the compressed body.
  if (bodyPos < body.size()) {
    json += ',';
    out.Key("trailing", 1);
    out.Hex(std::span(body).subspan(bodyPos));
  }
  // Bytes after the compressed body in the file (which loading ignores).
  if (used < compressed.size()) {
    json += ',';
    out.Key("afterStream", 1);
    out.Hex(compressed.subspan(used));
  }
  json += "\n}\n";
  return true;
}

bool PackProject(const std::string& json, std::vector<uint8_t>& file, std::string& error)
{
  error.clear();
  Json top;
  try {
    top = Json::parse(json);
  } catch (const Json::exception& e) {
    // Syntax errors and numbers out of range; the library's message without
    // its "[json.exception...]" prefix.
    std::string what = e.what();
    size_t cut = what.find("] ");
    error = "bad JSON: " + (cut == std::string::npos ? what : what.substr(cut + 2));
    return false;
  }
  TPacker packer(error);
  const std::string* magic = GetString(Member(top, "magic"));
  if (!magic || *magic != kProjectMagic) {
    error = std::string("\"magic\" must be \"") + kProjectMagic + "\"";
    return false;
  }
  TZmStream out;
  out.Write(magic->data(), 4);
  if (!RecordOrHexBytes(Member(top, "fileInformation"), out, packer)) {
    error = "fileInformation: " + error;
    return false;
  }
  TZmStream body;
  if (!RecordOrHexBytes(Member(top, "project"), body, packer)) {
    error = "project: " + error;
    return false;
  }
  std::vector<uint8_t> trailing, after;
  for (auto [key, bytes] : {std::pair{"trailing", &trailing}, {"afterStream", &after}}) {
    const Json* j = Member(top, key);
    const std::string* hex = GetString(j);
    if (j && (!hex || !FromHex(*hex, *bytes))) {
      error = std::string(key) + ": bad hex";
      return false;
    }
  }
  body.SeekEnd();
  body.Write(trailing);
  out.Write(Deflate(body.Bytes()));
  out.Write(after);
  file = std::move(out.Buffer());
  return true;
}
