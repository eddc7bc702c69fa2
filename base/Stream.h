#pragma once
// Little-endian byte streams. Every record, image and frame is written into
// and read from these; reads are bounds-checked and report failure instead of
// running past the end.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Read-only view over bytes that belong to someone else (file buffers, image
// bytes, serial replies).
class TZmByteReader {
public:
  TZmByteReader() = default;
  explicit TZmByteReader(std::span<const uint8_t> data, size_t pos = 0) : Data(data), Pos(pos) {}

  size_t Position() const { return Pos; }
  size_t Size() const { return Data.size(); }
  size_t Remaining() const { return Pos <= Data.size() ? Data.size() - Pos : 0; }
  bool AtEnd() const { return Pos >= Data.size(); }
  bool Seek(size_t pos);
  bool Skip(size_t n);

  bool ReadBytes(void* dst, size_t n);
  bool ReadU8(uint8_t& v);
  bool ReadI8(int8_t& v);
  bool ReadU16(uint16_t& v);
  bool ReadI16(int16_t& v);
  bool ReadU32(uint32_t& v);
  bool ReadI32(int32_t& v);
  // A view of the next n bytes, advancing past them; empty span on failure.
  bool ReadSpan(size_t n, std::span<const uint8_t>& out);
  std::span<const uint8_t> Bytes() const { return Data; }

private:
  std::span<const uint8_t> Data;
  size_t Pos = 0;
};

// Growable in-memory byte stream (the in-memory stream every record is built
// in). Writes grow the buffer; reads never run past its size.
class TZmStream {
public:
  TZmStream() = default;
  explicit TZmStream(std::vector<uint8_t> bytes) : Buf(std::move(bytes)) {}

  size_t Position() const { return Pos; }
  size_t Size() const { return Buf.size(); }
  size_t Remaining() const { return Pos <= Buf.size() ? Buf.size() - Pos : 0; }
  bool Empty() const { return Buf.empty(); }
  // Seeking past the end is allowed (as with a memory stream); the next write fills the gap with zeros.
  void Seek(size_t pos) { Pos = pos; }
  void SeekEnd() { Pos = Buf.size(); }
  void SetSize(size_t n);
  void Clear();

  void Write(const void* src, size_t n);
  void Write(std::span<const uint8_t> bytes) { Write(bytes.data(), bytes.size()); }
  void WriteU8(uint8_t v) { Write(&v, 1); }
  void WriteI8(int8_t v) { WriteU8(static_cast<uint8_t>(v)); }
  void WriteU16(uint16_t v);
  void WriteI16(int16_t v) { WriteU16(static_cast<uint16_t>(v)); }
  void WriteU32(uint32_t v);
  void WriteI32(int32_t v) { WriteU32(static_cast<uint32_t>(v)); }
  void WriteZeros(size_t n);
  // Overwrites a 32-bit value at an absolute offset without moving the position.
  void PatchU32(size_t at, uint32_t v);

  bool Read(void* dst, size_t n);
  bool ReadU8(uint8_t& v) { return Read(&v, 1); }
  bool ReadI8(int8_t& v) { return Read(&v, 1); }
  bool ReadU16(uint16_t& v);
  bool ReadI16(int16_t& v);
  bool ReadU32(uint32_t& v);
  bool ReadI32(int32_t& v);

  const uint8_t* Data() const { return Buf.data(); }
  std::span<const uint8_t> Bytes() const { return Buf; }
  std::vector<uint8_t>& Buffer() { return Buf; }
  const std::vector<uint8_t>& Buffer() const { return Buf; }
  TZmByteReader Reader() const { return TZmByteReader(Buf, Pos); }

private:
  std::vector<uint8_t> Buf;
  size_t Pos = 0;
};

inline uint16_t GetU16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t GetU32(const uint8_t* p)
{
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
         (static_cast<uint32_t>(p[3]) << 24);
}
inline void PutU16(uint8_t* p, uint16_t v)
{
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
inline void PutU32(uint8_t* p, uint32_t v)
{
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
  p[2] = static_cast<uint8_t>(v >> 16);
  p[3] = static_cast<uint8_t>(v >> 24);
}

std::string ToHex(std::span<const uint8_t> bytes);
// Accepts upper- or lower-case pairs, nothing else; false on odd length or a bad digit.
bool FromHex(std::string_view text, std::vector<uint8_t>& out);
