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

#include <cstring>

#include "base/Persistent.h"
#include "base/Stream.h"
#include "base/Utf.h"
#include "cli/Commands.h"
#include "model/Project.h"

namespace {

using Json = nlohmann::ordered_json;

std::string Hex(std::span<const uint8_t> bytes) { return ToHex(bytes); }

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

class TDumper {
public:
  // The record at `pos` of `data` (End counts from the start of `data`),
  // strictly: End must be the position after its last entry.
  bool Record(std::span<const uint8_t> data, size_t& pos, int depth, Json& out);

private:
  bool BlobValue(std::span<const uint8_t> b, int depth, Json& v);
  bool List(std::span<const uint8_t> body, int depth, Json& out);
};

bool TDumper::Record(std::span<const uint8_t> data, size_t& pos, int depth, Json& out)
{
  TZmByteReader r(data, pos);
  std::string cls;
  uint32_t end, count;
  if (!ReadText16(r, cls) || !r.ReadU32(end) || !r.ReadU32(count)) return false;
  if (end > data.size() || end < r.Position()) return false;
  Json rec = Json::object();
  rec["class"] = std::move(cls);
  Json props = Json::array();
  for (uint32_t i = 0; i < count; ++i) {
    std::string name;
    uint32_t len;
    std::span<const uint8_t> blob;
    if (!ReadText16(r, name) || !r.ReadU32(len) || !r.ReadSpan(len, blob)) return false;
    Json p = Json::object();
    p["name"] = std::move(name);
    Json value;
    if (!blob.empty() && BlobValue(blob, depth, value)) {
      p["tag"] = blob[0];
      p["value"] = std::move(value);
    } else {
      p["raw"] = Hex(blob);
    }
    props.push_back(std::move(p));
  }
  if (r.Position() != end) return false;
  rec["properties"] = std::move(props);
  pos = end;
  out = std::move(rec);
  return true;
}

bool TDumper::List(std::span<const uint8_t> body, int depth, Json& out)
{
  TZmByteReader r(body);
  std::string owner;
  int32_t count;
  if (!ReadText16(r, owner) || !r.ReadI32(count) || count < 0) return false;
  Json items = Json::array();
  size_t pos = r.Position();
  for (int32_t i = 0; i < count; ++i) {
    Json rec;
    if (!Record(body, pos, depth + 1, rec)) return false;
    items.push_back(std::move(rec));
  }
  if (pos != body.size()) return false;
  out = Json::object();
  out["owner"] = std::move(owner);
  out["items"] = std::move(items);
  return true;
}

// The typed value of a blob (tag first). False when it has none that writes
// back to exactly these bytes.
bool TDumper::BlobValue(std::span<const uint8_t> b, int depth, Json& v)
{
  uint8_t tag = b[0];
  TZmByteReader r(b, 1);
  if (size_t w = FixedWidth(tag)) {
    if (b.size() != w + 1) return false;
    if (tag == tagRect) {
      v = Json::object();
      for (const char* n : {"left", "top", "right", "bottom"}) {
        int32_t x;
        r.ReadI32(x);
        v[n] = x;
      }
      return true;
    }
    uint32_t x = 0;
    for (size_t i = 0; i < w; ++i) x |= static_cast<uint32_t>(b[1 + i]) << (8 * i);
    if (tag == tagInt8) v = static_cast<int8_t>(x);
    else if (tag == tagInt32) v = static_cast<int32_t>(x);
    else v = x;
    return true;
  }
  switch (tag) {
    case tagString: {
      std::string text;
      if (!ReadText16(r, text) || !r.AtEnd()) return false;
      v = std::move(text);
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
      v = Json::object();
      v["name"] = std::move(name);
      v["size"] = size;
      v["charset"] = charset;
      v["style"] = style;
      return true;
    }
    case tagMemory:
    case tagStream: {
      uint32_t len;
      std::span<const uint8_t> body;
      if (!r.ReadU32(len) || !r.ReadSpan(len, body) || !r.AtEnd()) return false;
      if (tag == tagStream && depth < kMaxDumpDepth && List(body, depth, v)) return true;
      v = Hex(body);
      return true;
    }
    case tagObject: {
      size_t pos = 1;  // a nested record's End counts from the start of the blob
      return depth < kMaxDumpDepth && Record(b, pos, depth + 1, v) && pos == b.size();
    }
    default: return false;
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

// ---- layout: records and lists one entry per line, everything else on
// the line of its name, so that a diff shows the property that changed.

bool Expanded(const Json& v)
{
  if (v.is_array()) return !v.empty();
  if (!v.is_object()) return false;
  if (v.contains("class") || v.contains("owner") || v.contains("magic")) return true;
  auto it = v.find("value");
  return it != v.end() && it->is_object() && (it->contains("class") || it->contains("owner"));
}

void Write(std::string& out, const Json& v, int indent)
{
  if (!Expanded(v)) {
    out += v.dump(-1, ' ', false, Json::error_handler_t::strict);
    return;
  }
  auto newline = [&](int n) {
    out += '\n';
    out.append(static_cast<size_t>(n) * 2, ' ');
  };
  bool first = true;
  if (v.is_array()) {
    out += '[';
    for (const Json& e : v) {
      if (!first) out += ',';
      first = false;
      newline(indent + 1);
      Write(out, e, indent + 1);
    }
    newline(indent);
    out += ']';
    return;
  }
  out += '{';
  for (const auto& [key, value] : v.items()) {
    if (!first) out += ',';
    first = false;
    newline(indent + 1);
    out += Json(key).dump();
    out += ": ";
    Write(out, value, indent + 1);
  }
  newline(indent);
  out += '}';
}

}  // namespace

bool DumpProject(std::span<const uint8_t> file, std::string& json, std::string& error)
{
  if (file.size() < 4 || std::memcmp(file.data(), kProjectMagic, 4) != 0) {
    error = "not a project file (bad magic)";
    return false;
  }
  TDumper dumper;
  // The file-information record counts the magic in its End.
  size_t pos = 4;
  Json info;
  if (!dumper.Record(file, pos, 1, info)) {
    error = "the file-information record is damaged";
    return false;
  }
  std::vector<uint8_t> body;
  size_t used = 0;
  std::span<const uint8_t> compressed = file.subspan(pos);
  if (!Inflate(compressed, kMaxProjectBody, body, error, &used)) return false;

  Json top = Json::object();
  top["magic"] = kProjectMagic;
  top["fileInformation"] = std::move(info);
  size_t bodyPos = 0;
  Json project;
  if (dumper.Record(body, bodyPos, 1, project)) {
    top["project"] = std::move(project);
  } else {
    Json hex = Json::object();
    hex["hex"] = Hex(body);
    top["project"] = std::move(hex);
    bodyPos = body.size();
  }
  // Bytes after the root record, inside the compressed body.
  if (bodyPos < body.size()) top["trailing"] = Hex(std::span(body).subspan(bodyPos));
  // Bytes after the compressed body in the file (which loading ignores).
  if (used < compressed.size()) top["afterStream"] = Hex(compressed.subspan(used));
  json.clear();
  Write(json, top, 0);
  json += '\n';
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
