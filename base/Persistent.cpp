#include "base/Persistent.h"

#include <cstring>
#include <memory>

namespace {

bool NameLess(const std::string& a, const std::string& b) { return CompareNoCase(a, b) < 0; }

[[noreturn]] void ReadError() { throw EZmStreamError(kStreamReadError); }

std::map<std::string, TZmClassFactory, bool (*)(const std::string&, const std::string&)>& Registry()
{
  static std::map<std::string, TZmClassFactory, bool (*)(const std::string&, const std::string&)> r(NameLess);
  return r;
}

}  // namespace

static thread_local TZmLoadWarnings* gLoadWarnings = nullptr;

TZmLoadWarnings::TZmLoadWarnings() : Previous(gLoadWarnings) { gLoadWarnings = this; }

TZmLoadWarnings::~TZmLoadWarnings() { gLoadWarnings = Previous; }

void AddLoadWarning(std::string text)
{
  if (gLoadWarnings) gLoadWarnings->List.push_back(std::move(text));
}

void WriteText(TZmStream& s, std::string_view utf8)
{
  std::u16string u = Utf8ToUtf16(utf8);
  s.WriteU32(static_cast<uint32_t>(u.size()));
  for (char16_t c : u) s.WriteU16(c);
}

std::string ReadText(TZmStream& s)
{
  uint32_t n;
  if (!s.ReadU32(n)) ReadError();
  if (n > s.Remaining() / 2) ReadError();  // never allocate from a length the bytes cannot back
  std::u16string u(n, u'\0');
  for (uint32_t i = 0; i < n; ++i) {
    uint16_t c;
    s.ReadU16(c);
    u[i] = c;
  }
  return Utf16ToUtf8(u);
}

void TZmPersistent::AssignTo(TZmPersistent* dest)
{
  if (!dest) return;
  TZmStream tmp;
  SerializeObjectTo(this, TZmSerialization::Write, tmp);
  tmp.Seek(0);
  SerializeObjectTo(dest, TZmSerialization::Read, tmp);
}

void TZmPersistent::Assign(TZmPersistent* source)
{
  if (source) source->AssignTo(this);
}

int TZmPersistent::Compare(TZmPersistent* other)
{
  TZmStream a, b;
  SerializeObjectTo(this, TZmSerialization::Write, a);
  if (other) SerializeObjectTo(other, TZmSerialization::Write, b);
  if (a.Size() != b.Size()) return static_cast<int>(a.Size()) - static_cast<int>(b.Size());
  return a.Size() ? std::memcmp(a.Data(), b.Data(), a.Size()) : 0;
}

TZmSerialization::TZmSerialization(TZmPersistent* object, TZmStream* stream, int32_t mode)
    : Mode(mode), Object(object), Stream(stream), Blobs(NameLess)
{
  if (Mode != Read) return;
  TZmStream& s = *Stream;
  size_t start = s.Position();
  std::string name;
  if (s.Remaining() >= 4) name = ReadText(s);
  uint32_t end;
  if (!s.ReadU32(end)) ReadError();
  // End is an absolute offset after the record: it can neither point back
  // into the header just read nor beyond the holding stream.
  if (end < s.Position() || end > s.Size() || end <= start) ReadError();
  if (!EqualsNoCase(name, Object->ClassName())) {
    s.Seek(end);
    return;
  }
  uint32_t count;
  if (!s.ReadU32(count)) ReadError();
  for (uint32_t i = 0; i < count; ++i) {
    std::string prop = ReadText(s);
    uint32_t len;
    if (!s.ReadU32(len)) ReadError();
    if (len > s.Remaining()) ReadError();
    TZmStream blob;
    blob.Buffer().assign(s.Data() + s.Position(), s.Data() + s.Position() + len);
    s.Seek(s.Position() + len);
    Blobs.insert_or_assign(prop, std::move(blob));  // the last entry of a name wins
  }
  if (s.Position() > end) ReadError();
}

void TZmSerialization::Flush()
{
  if (Mode != Write) return;
  TZmStream& s = *Stream;
  WriteText(s, Object->ClassName());
  size_t p = s.Position();
  s.WriteU32(0);
  s.WriteU32(static_cast<uint32_t>(Blobs.size()));
  for (auto& [name, blob] : Blobs) {
    WriteText(s, name);
    s.WriteU32(static_cast<uint32_t>(blob.Size()));
    s.Write(blob.Bytes());
  }
  s.PatchU32(p, static_cast<uint32_t>(s.Size()));
  s.SeekEnd();
}

TZmStream& TZmSerialization::BlobForRead(const std::string& name)
{
  TZmStream& b = Blobs[name];
  b.Seek(0);
  return b;
}

TZmStream& TZmSerialization::BlobForWrite(const std::string& name)
{
  // Names that differ only in case are one property; the later writer wins
  // and also gives the stored spelling.
  auto it = Blobs.find(name);
  if (it != Blobs.end()) Blobs.erase(it);
  return Blobs[name];
}

void TZmSerialization::SerializeValue(const char* name, void* buffer, size_t width, uint8_t tag)
{
  if (Mode == Write) {
    TZmStream& b = BlobForWrite(name);
    b.WriteU8(tag);
    b.Write(buffer, width);
    return;
  }
  std::memset(buffer, 0, width);
  auto it = Blobs.find(name);
  if (it == Blobs.end()) return;
  const TZmStream& b = it->second;
  if (b.Size() >= width + 1 && b.Data()[0] == tag) std::memcpy(buffer, b.Data() + 1, width);
}

// Values are little-endian in the blob; convert through bytes so the code
// does not depend on the host's byte order.
template <typename T>
static void SerializeScalar(TZmSerialization& s, const char* name, T& v, uint8_t tag)
{
  uint8_t bytes[sizeof(T)];
  using U = std::make_unsigned_t<T>;
  U u = static_cast<U>(v);
  for (size_t i = 0; i < sizeof(T); ++i) bytes[i] = static_cast<uint8_t>(u >> (8 * i));
  s.SerializeValue(name, bytes, sizeof(T), tag);
  if (s.Reading()) {
    U r = 0;
    for (size_t i = 0; i < sizeof(T); ++i) r = static_cast<U>(r | (static_cast<U>(bytes[i]) << (8 * i)));
    v = static_cast<T>(r);
  }
}

void TZmSerialization::SerializeInt8(const char* name, int8_t& v) { SerializeScalar(*this, name, v, tagInt8); }
void TZmSerialization::SerializeInt32(const char* name, int32_t& v) { SerializeScalar(*this, name, v, tagInt32); }
void TZmSerialization::SerializeUInt8(const char* name, uint8_t& v) { SerializeScalar(*this, name, v, tagUInt8); }
void TZmSerialization::SerializeUInt16(const char* name, uint16_t& v) { SerializeScalar(*this, name, v, tagUInt16); }
void TZmSerialization::SerializeUInt32(const char* name, uint32_t& v) { SerializeScalar(*this, name, v, tagUInt32); }
void TZmSerialization::SerializeColor(const char* name, uint32_t& v) { SerializeScalar(*this, name, v, tagColor); }

void TZmSerialization::SerializeRect(const char* name, TZmRectValue& v)
{
  uint8_t bytes[16];
  int32_t* f[4] = {&v.Left, &v.Top, &v.Right, &v.Bottom};
  for (int i = 0; i < 4; ++i) PutU32(bytes + 4 * i, static_cast<uint32_t>(*f[i]));
  SerializeValue(name, bytes, 16, tagRect);
  if (Reading())
    for (int i = 0; i < 4; ++i) *f[i] = static_cast<int32_t>(GetU32(bytes + 4 * i));
}

void TZmSerialization::SerializeString(const char* name, std::string& v)
{
  if (Mode == Write) {
    if (v.empty()) return;
    TZmStream& b = BlobForWrite(name);
    b.WriteU8(tagString);
    WriteText(b, v);
    return;
  }
  v.clear();
  auto it = Blobs.find(name);
  if (it == Blobs.end()) return;
  TZmStream& b = it->second;
  if (b.Size() < 5 || b.Data()[0] != tagString) return;
  b.Seek(1);
  v = ReadText(b);
}

void TZmSerialization::SerializeFont(const char* name, TZmFontValue& v)
{
  if (Mode == Write) {
    TZmStream& b = BlobForWrite(name);
    b.WriteU8(tagFont);
    std::u16string u = Utf8ToUtf16(v.Name);
    b.WriteU32(static_cast<uint32_t>(u.size() + 1));
    for (char16_t c : u) b.WriteU16(c);
    b.WriteU16(0);
    b.WriteI32(v.Size);
    b.WriteU8(v.Charset);
    b.WriteU8(v.Style);
    return;
  }
  auto it = Blobs.find(name);
  if (it == Blobs.end()) return;
  TZmStream& b = it->second;
  if (b.Size() < 5 || b.Data()[0] != tagFont) return;
  b.Seek(1);
  uint32_t n;
  b.ReadU32(n);
  if (n > b.Remaining() / 2) ReadError();
  std::u16string u;
  for (uint32_t i = 0; i < n; ++i) {
    uint16_t c;
    b.ReadU16(c);
    u.push_back(c);
  }
  // The count includes the terminating zero; a name without one keeps every unit.
  if (!u.empty() && u.back() == 0) u.pop_back();
  TZmFontValue f;
  f.Name = Utf16ToUtf8(u);
  if (!b.ReadI32(f.Size) || !b.ReadU8(f.Charset) || !b.ReadU8(f.Style)) ReadError();
  v = f;
}

static void WriteBlock(TZmSerialization& s, const char* name, const TZmStream& v, uint8_t tag)
{
  if (v.Empty()) return;
  TZmStream& b = s.BlobForWrite(name);
  b.WriteU8(tag);
  b.WriteU32(static_cast<uint32_t>(v.Size()));
  b.Write(v.Bytes());
}

static bool ReadBlock(TZmSerialization::Bag& blobs, const char* name, TZmStream& v, uint8_t tag)
{
  auto it = blobs.find(name);
  if (it == blobs.end()) return false;
  TZmStream& b = it->second;
  if (b.Size() < 5 || b.Data()[0] != tag) return false;
  b.Seek(1);
  uint32_t len;
  b.ReadU32(len);
  if (len > b.Remaining()) ReadError();
  v.Buffer().assign(b.Data() + 5, b.Data() + 5 + len);
  v.Seek(0);
  return true;
}

void TZmSerialization::SerializeMemory(const char* name, TZmStream& v)
{
  if (Mode == Write) {
    WriteBlock(*this, name, v, tagMemory);
    return;
  }
  v.Clear();
  ReadBlock(Blobs, name, v, tagMemory);
}

void TZmSerialization::SerializeStream(const char* name, TZmStream& v)
{
  if (Mode == Write) {
    WriteBlock(*this, name, v, tagStream);
    return;
  }
  TZmStream tmp;
  if (ReadBlock(Blobs, name, tmp, tagStream)) v = std::move(tmp);
}

void TZmSerialization::SerializeObject(const char* name, TZmPersistent* sub)
{
  if (!sub) return;
  if (Mode == Write) {
    TZmStream& b = BlobForWrite(name);
    b.WriteU8(tagObject);
    SerializeObjectTo(sub, Write, b);  // End counts from the start of the blob
    return;
  }
  auto it = Blobs.find(name);
  if (it == Blobs.end()) return;
  TZmStream& b = it->second;
  if (b.Size() < 5 || b.Data()[0] != tagObject) return;
  b.Seek(1);
  SerializeObjectTo(sub, Read, b);
}

void SerializeObjectTo(TZmPersistent* object, int32_t mode, TZmStream& stream)
{
  TZmSerialization s(object, &stream, mode);
  object->Serialize(s);
  s.Flush();
}

void RegisterClass(const char* name, TZmClassFactory factory) { Registry()[name] = factory; }

TZmClassFactory GetClass(std::string_view name)
{
  auto& r = Registry();
  auto it = r.find(std::string(name));
  return it == r.end() ? nullptr : it->second;
}

void WriteObjectList(TZmStream& out, std::string_view ownerClass, const std::vector<TZmPersistent*>& items)
{
  WriteText(out, ownerClass);
  out.WriteI32(static_cast<int32_t>(items.size()));
  for (TZmPersistent* p : items) SerializeObjectTo(p, TZmSerialization::Write, out);
}

bool ReadObjectListHeader(TZmStream& in, std::string_view ownerClass, int32_t& count)
{
  in.Seek(0);
  std::string owner = ReadText(in);
  if (!in.ReadI32(count)) ReadError();
  return owner == ownerClass;
}

void ReadTypedList(TZmStream& in, std::string_view ownerClass, const std::function<void()>& clear,
                   const std::function<TZmPersistent*()>& create)
{
  int32_t count;
  if (in.Empty() || !ReadObjectListHeader(in, ownerClass, count)) return;
  clear();
  for (int32_t i = 0; i < count; ++i) {
    TZmPersistent* child = create();
    SerializeObjectTo(child, TZmSerialization::Read, in);
  }
}

int ReadPolymorphicList(TZmStream& in, std::string_view ownerClass, const std::function<void()>& clear,
                        const std::function<bool(TZmPersistent*)>& accept)
{
  int32_t count;
  if (in.Empty() || !ReadObjectListHeader(in, ownerClass, count)) return 0;
  clear();
  for (int32_t i = 0; i < count; ++i) {
    size_t at = in.Position();
    std::string cls = ReadText(in);
    in.Seek(at);
    TZmClassFactory make = GetClass(cls);
    if (!make) return count - i;
    std::unique_ptr<TZmPersistent> child(make());
    SerializeObjectTo(child.get(), TZmSerialization::Read, in);
    if (accept(child.get())) child.release();
  }
  return 0;
}
