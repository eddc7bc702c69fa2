#include "base/Stream.h"

#include <cstring>

bool TZmByteReader::Seek(size_t pos)
{
  if (pos > Data.size()) return false;
  Pos = pos;
  return true;
}

bool TZmByteReader::Skip(size_t n)
{
  if (n > Remaining()) return false;
  Pos += n;
  return true;
}

bool TZmByteReader::ReadBytes(void* dst, size_t n)
{
  if (n > Remaining()) return false;
  if (n) std::memcpy(dst, Data.data() + Pos, n);
  Pos += n;
  return true;
}

bool TZmByteReader::ReadSpan(size_t n, std::span<const uint8_t>& out)
{
  if (n > Remaining()) return false;
  out = Data.subspan(Pos, n);
  Pos += n;
  return true;
}

bool TZmByteReader::ReadU8(uint8_t& v) { return ReadBytes(&v, 1); }
bool TZmByteReader::ReadI8(int8_t& v) { return ReadBytes(&v, 1); }

bool TZmByteReader::ReadU16(uint16_t& v)
{
  uint8_t b[2];
  if (!ReadBytes(b, 2)) return false;
  v = GetU16(b);
  return true;
}

bool TZmByteReader::ReadI16(int16_t& v)
{
  uint16_t u;
  if (!ReadU16(u)) return false;
  v = static_cast<int16_t>(u);
  return true;
}

bool TZmByteReader::ReadU32(uint32_t& v)
{
  uint8_t b[4];
  if (!ReadBytes(b, 4)) return false;
  v = GetU32(b);
  return true;
}

bool TZmByteReader::ReadI32(int32_t& v)
{
  uint32_t u;
  if (!ReadU32(u)) return false;
  v = static_cast<int32_t>(u);
  return true;
}

void TZmStream::SetSize(size_t n)
{
  Buf.resize(n);
  if (Pos > n) Pos = n;
}

void TZmStream::Clear()
{
  Buf.clear();
  Pos = 0;
}

void TZmStream::Write(const void* src, size_t n)
{
  if (n == 0) return;
  if (Pos + n > Buf.size()) Buf.resize(Pos + n);
  std::memcpy(Buf.data() + Pos, src, n);
  Pos += n;
}

void TZmStream::WriteU16(uint16_t v)
{
  uint8_t b[2];
  PutU16(b, v);
  Write(b, 2);
}

void TZmStream::WriteU32(uint32_t v)
{
  uint8_t b[4];
  PutU32(b, v);
  Write(b, 4);
}

void TZmStream::WriteZeros(size_t n)
{
  if (n == 0) return;
  if (Pos + n > Buf.size()) Buf.resize(Pos + n);
  std::memset(Buf.data() + Pos, 0, n);
  Pos += n;
}

void TZmStream::PatchU32(size_t at, uint32_t v)
{
  if (at + 4 > Buf.size()) Buf.resize(at + 4);
  PutU32(Buf.data() + at, v);
}

bool TZmStream::Read(void* dst, size_t n)
{
  if (n > Remaining()) return false;
  if (n) std::memcpy(dst, Buf.data() + Pos, n);
  Pos += n;
  return true;
}

bool TZmStream::ReadU16(uint16_t& v)
{
  uint8_t b[2];
  if (!Read(b, 2)) return false;
  v = GetU16(b);
  return true;
}

bool TZmStream::ReadI16(int16_t& v)
{
  uint16_t u;
  if (!ReadU16(u)) return false;
  v = static_cast<int16_t>(u);
  return true;
}

bool TZmStream::ReadU32(uint32_t& v)
{
  uint8_t b[4];
  if (!Read(b, 4)) return false;
  v = GetU32(b);
  return true;
}

bool TZmStream::ReadI32(int32_t& v)
{
  uint32_t u;
  if (!ReadU32(u)) return false;
  v = static_cast<int32_t>(u);
  return true;
}

std::string ToHex(std::span<const uint8_t> bytes)
{
  static const char digits[] = "0123456789abcdef";
  std::string s;
  s.reserve(bytes.size() * 2);
  for (uint8_t b : bytes) {
    s.push_back(digits[b >> 4]);
    s.push_back(digits[b & 15]);
  }
  return s;
}

static int HexDigit(char c)
{
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool FromHex(std::string_view text, std::vector<uint8_t>& out)
{
  out.clear();
  if (text.size() % 2) return false;
  out.reserve(text.size() / 2);
  for (size_t i = 0; i < text.size(); i += 2) {
    int hi = HexDigit(text[i]), lo = HexDigit(text[i + 1]);
    if (hi < 0 || lo < 0) return false;
    out.push_back(static_cast<uint8_t>(hi << 4 | lo));
  }
  return true;
}
