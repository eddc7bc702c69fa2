#include "MapRunner.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "base/Checksum.h"

namespace {

bool Bytes(std::span<const uint8_t> s, size_t at, size_t n) { return at <= s.size() && n <= s.size() - at; }

// Operand bytes that follow a check word, padded to whole words (first byte lowest).
std::vector<uint8_t> Operands(const std::vector<uint32_t>& w, size_t& i, size_t n)
{
  std::vector<uint8_t> out;
  for (size_t k = 0; k < n; ++k) {
    size_t word = i + k / 4;
    out.push_back(word < w.size() ? static_cast<uint8_t>(w[word] >> (8 * (k % 4))) : 0);
  }
  i += (n + 3) / 4;
  return out;
}

bool Equal(std::span<const uint8_t> s, int64_t at, const std::vector<uint8_t>& b)
{
  if (at < 0 || !Bytes(s, static_cast<size_t>(at), b.size())) return false;
  for (size_t k = 0; k < b.size(); ++k)
    if (s[static_cast<size_t>(at) + k] != b[k]) return false;
  return true;
}

uint32_t Hex(std::span<const uint8_t> s, size_t at, size_t digits)
{
  uint32_t v = 0;
  for (size_t k = 0; k < digits; ++k) v = v * 16 + HexDigitValue(s[at + k]);
  return v;
}

void SetBit(std::span<uint8_t> m, uint32_t bit, bool on)
{
  if (bit / 8 >= m.size()) return;
  if (on) m[bit / 8] |= static_cast<uint8_t>(1u << (bit % 8));
  else m[bit / 8] &= static_cast<uint8_t>(~(1u << (bit % 8)));
}

void SetBits(std::span<uint8_t> m, uint32_t bit, uint32_t value, int bits)
{
  for (int k = 0; k < bits; ++k) SetBit(m, bit + static_cast<uint32_t>(k), (value >> k) & 1);
}

// Decimal characters: a leading sign, digits, points skipped; stops at anything else.
int64_t Decimal(std::span<const uint8_t> s, size_t at, size_t n)
{
  int64_t v = 0;
  bool negative = false;
  for (size_t k = 0; k < n && at + k < s.size(); ++k) {
    uint8_t c = s[at + k];
    if (k == 0 && (c == '-' || c == '+')) negative = c == '-';
    else if (c == '.') continue;
    else if (c >= '0' && c <= '9') v = v * 10 + (c - '0');
    else break;
  }
  return negative ? -v : v;
}

}  // namespace

uint32_t MemoryBits(std::span<const uint8_t> memory, uint32_t bitAddress, int bits)
{
  uint32_t v = 0;
  for (int k = 0; k < bits; ++k) {
    uint32_t b = bitAddress + static_cast<uint32_t>(k);
    if (b / 8 < memory.size() && (memory[b / 8] >> (b % 8)) & 1) v |= 1u << k;
  }
  return v;
}

bool CheckReply(const TZmCheckProgram& p, std::span<const uint8_t> request, std::span<const uint8_t> reply)
{
  if (reply.size() == 1) {
    if (p.Ack) return reply[0] == p.Ack;
    if (p.Nak) return reply[0] == p.Nak;
  }
  const std::vector<uint32_t>& w = p.Words;
  int64_t len = static_cast<int64_t>(reply.size());
  uint32_t sum = 0, alt = 0;
  bool hasAlt = false;
  for (size_t i = 0; i < w.size();) {
    uint32_t word = w[i++];
    uint32_t top = word >> 24, n = word & 0xFFFFFF;
    if (top == 0xFE || top == 0xFB || top == 0xFA || top == 0xFD) {
      int64_t pos = i < w.size() ? w[i] : 0;
      ++i;
      std::vector<uint8_t> b = Operands(w, i, n);
      if (top == 0xFE && Equal(reply, pos, b) && reply.size() == n) return true;
      if (top == 0xFA && Equal(reply, pos, b)) return true;
      if (top == 0xFB && !Equal(reply, len - pos, b)) return false;
      if (top == 0xFD && !Equal(reply, pos, b)) return false;
    } else if (top == 0xFC) {
      if (i + 2 > w.size()) return false;
      size_t pr = w[i], pq = w[i + 1];
      i += 2;
      if (!Bytes(request, pr, n) || !Bytes(reply, pq, n)) return false;
      for (size_t k = 0; k < n; ++k)
        if (request[pr + k] != reply[pq + k]) return false;
    } else if (top == 0xF1) {
      if (i + 2 > w.size()) return false;
      int64_t s = w[i], e = w[i + 1];
      i += 2;
      int64_t last = len - e - 1;
      if (s > last + 1 || last >= len) return false;
      int32_t kind = static_cast<int32_t>(word & 0xFF);
      sum = Checksum(kind, reply.subspan(static_cast<size_t>(s), static_cast<size_t>(last - s + 1)));
      hasAlt = (kind == 1 || kind == 2) && last - 1 >= s;
      if (hasAlt) alt = Checksum(kind, reply.subspan(static_cast<size_t>(s), static_cast<size_t>(last - s)));
    } else if (top == 0x20) {
      if (n > len || !Bytes(reply, static_cast<size_t>(len - n), 2)) return false;
      if (Hex(reply, static_cast<size_t>(len - n), 2) != (sum & 0xFF)) return false;
    } else if (top == 0x21) {
      if (n > len) return false;
      bool first = reply[static_cast<size_t>(len - n)] == (sum & 0xFF);
      bool second = hasAlt && n + 1 <= len && reply[static_cast<size_t>(len - n - 1)] == (alt & 0xFF);
      if (!first && !second) return false;
    } else if (top == 0x41 || top == 0x42) {
      auto at = [&](int64_t k, uint32_t& v) {
        if (k < 0 || k + 1 >= len) return false;
        uint8_t a = reply[static_cast<size_t>(k)], b = reply[static_cast<size_t>(k + 1)];
        v = top == 0x41 ? (a | (b << 8)) : ((a << 8) | b);
        return true;
      };
      uint32_t v;
      bool first = at(len - n, v) && v == (sum & 0xFFFF);
      bool second = hasAlt && at(len - n - 1, v) && v == (alt & 0xFFFF);
      if (!first && !second) return false;
    }
  }
  return true;
}

namespace {

bool Store(std::span<const uint32_t> map, std::span<const uint8_t> reply, std::span<uint8_t> memory)
{
  if (map.size() < 2) return true;
  size_t pos = map[0] & 0xFFFF;
  if (reply.size() <= pos) return false;
  if (map[0] > 0xFFFF && reply.size() != (map[0] >> 16)) return false;
  uint32_t repeat = 1;
  for (size_t i = 1; i < map.size(); ++i) {
    uint32_t w = map[i], tag = w >> 24, bit = w & 0xFFFFFF;
    if (tag == 0xF0) {
      repeat = w & 0xFFFFFF;
      continue;
    }
    auto need = [&](size_t n) { return Bytes(reply, pos, n); };
    for (uint32_t k = 0; k < repeat; ++k) {
      switch (tag) {
        case 0x10:
          if (!need(1)) return false;
          SetBit(memory, bit++, HexDigitValue(reply[pos++]) > 0);
          break;
        case 0x14:
        case 0x16: {
          // Bits packed eight to a byte, the first in the lowest bit.
          size_t width = tag == 0x14 ? 1 : 2;
          size_t at = pos + (k / 8) * width;
          if (!Bytes(reply, at, width)) return false;
          uint32_t byte = tag == 0x14 ? reply[at] : Hex(reply, at, 2);
          SetBit(memory, bit++, (byte >> (k % 8)) & 1);
          if (k + 1 == repeat) pos += ((repeat + 7) / 8) * width;
          break;
        }
        case 0x20:
          if (!need(2)) return false;
          SetBits(memory, bit, Hex(reply, pos, 2), 8), bit += 8, pos += 2;
          break;
        case 0x22:
          if (!need(2)) return false;
          SetBits(memory, bit, reply[pos], 8), bit += 8, pos += 2;
          break;
        case 0x40:
          if (!need(4)) return false;
          SetBits(memory, bit, Hex(reply, pos, 4), 16), bit += 16, pos += 4;
          break;
        case 0x41:
          if (!need(4)) return false;
          SetBits(memory, bit, Hex(reply, pos, 2) | (Hex(reply, pos + 2, 2) << 8), 16), bit += 16, pos += 4;
          break;
        case 0x42:
        case 0x43:
          if (!need(2)) return false;
          SetBits(memory, bit, tag == 0x42 ? (reply[pos] << 8) | reply[pos + 1] : reply[pos] | (reply[pos + 1] << 8), 16);
          bit += 16, pos += 2;
          break;
        case 0x44:
          if (!need(5)) return false;
          SetBits(memory, bit, static_cast<uint32_t>(Decimal(reply, pos, 5)), 16), bit += 16, pos += 5;
          break;
        case 0x80:
          if (!need(8)) return false;
          SetBits(memory, bit, Hex(reply, pos, 8), 32), bit += 32, pos += 8;
          break;
        case 0x81: {
          if (!need(8)) return false;
          uint32_t v = 0;
          for (int b = 0; b < 4; ++b) v |= Hex(reply, pos + 2 * b, 2) << (8 * b);
          SetBits(memory, bit, v, 32), bit += 32, pos += 8;
          break;
        }
        case 0x82:
        case 0x87: {
          if (!need(4)) return false;
          const uint8_t* r = &reply[pos];
          uint32_t v = tag == 0x82 ? (uint32_t(r[0]) << 24) | (r[1] << 16) | (r[2] << 8) | r[3]
                                   : (uint32_t(r[2]) << 24) | (r[3] << 16) | (r[0] << 8) | r[1];
          SetBits(memory, bit, v, 32), bit += 32, pos += 4;
          break;
        }
        default: return false;
      }
    }
    repeat = 1;
  }
  return true;
}

}  // namespace

bool StoreReply(std::span<const uint32_t> map, std::span<const uint8_t> reply, std::span<uint8_t> memory)
{
  // A reply that fails half-way leaves the memory as it was.
  std::vector<uint8_t> scratch(memory.begin(), memory.end());
  if (!Store(map, reply, scratch)) return false;
  std::copy(scratch.begin(), scratch.end(), memory.begin());
  return true;
}

bool CompleteWrite(std::span<const uint8_t> frame, std::span<const uint32_t> map, uint32_t value, std::vector<uint8_t>& out)
{
  out.assign(frame.begin(), frame.end());
  const uint16_t words[2] = {static_cast<uint16_t>(value), static_cast<uint16_t>(value >> 16)};
  auto wordAt = [&](uint32_t k) -> uint32_t { return k < 2 ? words[k] : 0; };
  auto bitAt = [&](uint32_t k) { return (wordAt(k / 16) >> (k % 16)) & 1; };
  auto put = [&](size_t p, const std::string& s) {
    for (size_t k = 0; k < s.size(); ++k)
      if (p + k < out.size()) out[p + k] = static_cast<uint8_t>(s[k]);
  };
  auto format = [](const char* f, long long v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, f, v);
    return std::string(buf);
  };
  uint32_t repeat = 1;
  for (size_t i = 0; i < map.size(); ++i) {
    uint32_t w = map[i], tag = w >> 24, p = w & 0xFFFFFF;
    if (tag == 0xF0) {
      repeat = p;
      continue;
    }
    if (tag == 0xF1) {
      if (i + 3 >= map.size()) return false;
      uint32_t first = map[i + 1], end = map[i + 2], place = map[i + 3];
      i += 3;
      if (first > end || end > out.size()) return false;
      uint32_t sum = Checksum(static_cast<int32_t>(w & 0xFF), std::span<const uint8_t>(out).subspan(first, end - first));
      uint32_t at = place & 0xFFFFFF;
      switch (place >> 24) {
        case 0x20: put(at, HexPair(sum)); break;
        case 0x21: if (at < out.size()) out[at] = static_cast<uint8_t>(sum); break;
        case 0x42: if (at + 1 < out.size()) out[at] = static_cast<uint8_t>(sum >> 8), out[at + 1] = static_cast<uint8_t>(sum); break;
        default: return false;
      }
      continue;
    }
    if (tag == 0xF2) {
      if (++i >= map.size()) return false;
      if (p < out.size()) out[p] = static_cast<uint8_t>(map[i]);
      continue;
    }
    for (uint32_t k = 0; k < repeat; ++k) {
      bool on = bitAt(k);
      switch (tag) {
        case 0x10: put(p + k, on ? "1" : "0"); break;
        case 0x12: put(p + k, on ? "7" : "8"); break;
        // The station-number STX family sets with "1" and clears with "0".
        case 0x13: put(p + k, on ? "1" : "0"); break;
        case 0x15: put(p + k, on ? "3" : "4"); break;
        case 0x1A: if (p + k < out.size()) out[p + k] = on ? 0xFF : 0x00; break;
        case 0x1C: if (p + k < out.size()) out[p + k] = on ? 0x10 : 0x0F; break;
        case 0x18:
          if (p + k + 4 >= out.size()) return false;
          out[p + k] = on ? 0 : 1;
          if (!on) out[p + k + 4] = static_cast<uint8_t>(~out[p + k + 4]);
          break;
        case 0x1B: put(p + k, on ? "S" : "R"); break;
        case 0x1D: put(p + k, on ? "D" : "E"); break;
        case 0x1E: put(p + 2 * k, on ? "ST" : "RS"); break;
        case 0x91: put(p + k, on ? "o" : "n"); break;
        case 0x17: put(p + 4 * k, on ? "FF00" : "0000"); break;
        case 0x14:
        case 0x16: {
          uint32_t byte = k / 8;
          if (k % 8 == 0) {
            if (tag == 0x14 && p + byte < out.size()) out[p + byte] = 0;
            if (tag == 0x16) put(p + 2 * byte, "00");
          }
          if (on) {
            if (tag == 0x14 && p + byte < out.size()) out[p + byte] |= static_cast<uint8_t>(1u << (k % 8));
            if (tag == 0x16 && p + 2 * byte + 1 < out.size()) {
              uint32_t v = Hex(out, p + 2 * byte, 2) | (1u << (k % 8));
              put(p + 2 * byte, HexPair(v));
            }
          }
          break;
        }
        case 0x19:
          if (k < (repeat + 15) / 16) put(p + 4 * k, HexPair(wordAt(k)) + HexPair(wordAt(k) >> 8));
          break;
        case 0x92: {
          if (p + 3 >= out.size()) return false;
          uint32_t l = Hex(out, p, 2), h = Hex(out, p + 2, 2);
          bool full = (l | h) == 0xFF;
          if ((full && on) || (!full && !on)) {
            uint32_t c = ~(h * 256 + l) & 0xFFFF;
            put(p, HexPair(c) + HexPair(c >> 8));
          }
          break;
        }
        case 0x20: put(p + 2 * k, HexPair(wordAt(k / 2) >> (8 * (k % 2)))); break;
        case 0x21: if (p + k < out.size()) out[p + k] = static_cast<uint8_t>(wordAt(k / 2) >> (8 * (k % 2))); break;
        case 0x40: put(p + 4 * k, format("%04llX", wordAt(k))); break;
        case 0x41: put(p + 4 * k, HexPair(wordAt(k)) + HexPair(wordAt(k) >> 8)); break;
        case 0x42:
        case 0x43:
          if (p + 2 * k + 1 < out.size()) {
            uint32_t v = wordAt(k);
            out[p + 2 * k] = static_cast<uint8_t>(tag == 0x42 ? v >> 8 : v);
            out[p + 2 * k + 1] = static_cast<uint8_t>(tag == 0x42 ? v : v >> 8);
          }
          break;
        case 0x45:
          if (p + 4 * k + 3 < out.size()) {
            uint32_t v = wordAt(k);
            out[p + 4 * k] = static_cast<uint8_t>(v), out[p + 4 * k + 1] = 0;
            out[p + 4 * k + 2] = static_cast<uint8_t>(v >> 8), out[p + 4 * k + 3] = 0;
          }
          break;
        case 0x44: put(p + 5 * k, format("%05lld", static_cast<int16_t>(wordAt(k)))); break;
        case 0x4C: put(p + 5 * k, format("%05lld", wordAt(k))); break;
        case 0x80: put(p + 8 * k, format("%08llX", k == 0 ? value : 0)); break;
        case 0x81: {
          uint32_t v = k == 0 ? value : 0;
          put(p + 8 * k, HexPair(v) + HexPair(v >> 8) + HexPair(v >> 16) + HexPair(v >> 24));
          break;
        }
        default: return false;
      }
    }
  }
  return true;
}
