// Responders of the binary families: header byte 163, header bytes 90 23,
// header bytes 75 33, and area codes.
#include "Responders.h"
#include "base/Checksum.h"

namespace responders {
namespace {

using Frame = std::vector<uint8_t>;

uint8_t Sum(std::span<const uint8_t> b) { return static_cast<uint8_t>(Checksum(checkSum8, b)); }

// Device memory of bytes (space 0); bit areas keep each byte of bits in a
// two-byte cell.
class Header163 : public TZmResponder {
public:
  Frame Answer(std::span<const uint8_t> f) override
  {
    if (f.size() < 6 || f[0] != 163 || f.size() != f[1] + 3u || f.back() != Sum(f.subspan(1, f.size() - 2)) || f[2] != 0 ||
        f[3] != 255)
      return ++Rejected, Frame{};
    int64_t d = f.size() >= 8 ? f[5] | (f[6] << 8) | (f[7] << 16) : 0;
    Frame data;
    if (f[4] == 2 && f.size() == 10) {
      for (int k = 0; k < f[8]; ++k) data.push_back(Byte(0, d + k));
    } else if (f[4] == 6 && f.size() == 12 && f[5] == 1 && (f[6] == 0 || f[6] == 1)) {
      // Command 6 sets (0) or clears (1) the bits of the mask in byte 10, clearing with its complement.
      d = f[7] | (f[8] << 8) | (f[9] << 16);
      SetByte(0, d, f[6] == 0 ? Byte(0, d) | f[10] : Byte(0, d) & f[10]);
    } else if (f[4] == 4 && f.size() == 10u + f[8]) {
      for (int k = 0; k < f[8]; ++k) SetByte(0, d + k, f[9 + k]);
    } else {
      return ++Rejected, Frame{};
    }
    ++Requests;
    Frame r = {163, static_cast<uint8_t>(data.size() + 2), 0, 255};
    r.insert(r.end(), data.begin(), data.end());
    r.push_back(Sum(std::span<const uint8_t>(r).subspan(1)));
    return r;
  }
};

// Words by area code (the space) and address.
class Header9023 : public TZmResponder {
public:
  Frame Answer(std::span<const uint8_t> f) override
  {
    auto negSum = [](std::span<const uint8_t> b) { return static_cast<uint8_t>(Checksum(checkNegSum8, b)); };
    if (f.size() < 26 || f[0] != 90 || f.size() != (f[1] | (f[2] << 8)) + 3u || f.back() != negSum(f.subspan(1, f.size() - 2)))
      return ++Rejected, Frame{};
    if (static_cast<uint32_t>(f[5] | (f[6] << 8)) != Station) return {};
    int area = f[19];
    int64_t a = f[20] | (f[21] << 8) | (f[22] << 16);
    int n = f[23] | (f[24] << 8);
    Frame r(f.begin(), f.begin() + 25);
    if (f[13] == 0 && f.size() == 26) {
      for (int k = 0; k < n; ++k) {
        uint16_t v = Word(area, a + k);
        r.push_back(static_cast<uint8_t>(v));
        r.push_back(static_cast<uint8_t>(v >> 8));
      }
    } else if (f[13] == 1 && f.size() == 26u + 2 * n && (f[17] | (f[18] << 8)) == 2 * n + 6) {
      for (int k = 0; k < n; ++k) SetWord(area, a + k, static_cast<uint16_t>(f[25 + 2 * k] | (f[26 + 2 * k] << 8)));
      r[23] = r[24] = 0;
    } else {
      return ++Rejected, Frame{};
    }
    uint16_t length = static_cast<uint16_t>(r.size() - 2);
    r[1] = static_cast<uint8_t>(length);
    r[2] = static_cast<uint8_t>(length >> 8);
    r.push_back(negSum(std::span<const uint8_t>(r).subspan(1)));
    ++Requests;
    return r;
  }
};

// Words of space 0 by word address; bit commands address bits of the areas
// that start at the same numbers in bits.
class Header7533 : public TZmResponder {
public:
  Frame Answer(std::span<const uint8_t> f) override
  {
    if (f.size() == 3 && f[0] == 75 && f[1] == 33 && f[2] == 5) return Frame(f.begin(), f.end());
    auto x = [](std::span<const uint8_t> b) { return static_cast<uint8_t>(Checksum(checkXor, b)); };
    if (f.size() < 7 || f[f.size() - 2] != 0x17 || f.back() != x(f.subspan(1, f.size() - 3))) return ++Rejected, Frame{};
    if (f[0] != Station) return {};
    int64_t d = (f[3] << 8) | f[4];
    Frame r(f.begin(), f.begin() + 6);
    if (f[1] == 0x40 && f.size() == 8) {
      r.push_back(static_cast<uint8_t>(2 * f[5]));
      for (int k = 0; k < f[5]; ++k) {
        uint16_t v = Word(0, d + k);
        r.push_back(static_cast<uint8_t>(v));
        r.push_back(static_cast<uint8_t>(v >> 8));
      }
    } else if (f[1] == 0x46 && f.size() == 8u + 2 * f[5]) {
      for (int k = 0; k < f[5]; ++k) SetWord(0, d + k, static_cast<uint16_t>(f[6 + 2 * k] | (f[7 + 2 * k] << 8)));
      r.push_back(0);
    } else if ((f[1] == 'D' || f[1] == 'E') && f.size() == 7 && f[2] == 1) {
      int64_t base = AreaOf(d);
      if (base < 0) return ++Rejected, Frame{};
      int64_t bit = d - base;
      SetBit(0, base * 16 + bit, f[1] == 'D');  // word base + bit / 16
      r.resize(5);
      r.push_back(0);
    } else {
      return ++Rejected, Frame{};
    }
    r.push_back(0x17);
    r.push_back(x(std::span<const uint8_t>(r).subspan(1, r.size() - 2)));
    ++Requests;
    return r;
  }

private:
  // The bit areas of this controller: 256 bits from each base.
  static int64_t AreaOf(int64_t e)
  {
    for (int64_t b : {0xE000, 0xE800, 0xFC00, 0xFD00, 0xF800, 0xF000, 0x8000, 0xFE00, 0xD000, 0xC000})
      if (e >= b && e < b + 256) return b;
    return -1;
  }
};

// Bytes by area code for bit areas (codes 0 to 3), words for word areas (4, 5).
class AreaCodes : public TZmResponder {
public:
  Frame Answer(std::span<const uint8_t> f) override
  {
    if (f.size() < 8 || f[0] != 204 || f[1] != 0 || f[f.size() - 2] != 51 || f.back() != Sum(f.subspan(0, f.size() - 1)))
      return ++Rejected, Frame{};
    int code = f[3];
    int64_t w = f[4] | (f[5] << 8);
    bool bits = code <= 3;
    Frame r = {204, 0, 17};
    if (f[2] == 17 && f.size() == 10 && f[6] == 1 && f[7] == 0) {
      uint16_t v = bits ? static_cast<uint16_t>(Byte(code, w) | (Byte(code, w + 1) << 8)) : Word(code, w);
      r.push_back(static_cast<uint8_t>(v));
      r.push_back(static_cast<uint8_t>(v >> 8));
    } else if ((f[2] == 0x10 || f[2] == 0x0F) && f.size() == 8 && bits) {
      SetByte(code, w / 8, f[2] == 0x10 ? Byte(code, w / 8) | (1 << (w % 8)) : Byte(code, w / 8) & ~(1 << (w % 8)));
    } else if (f[2] == 18 && f.size() == 10u + 2 * f[6] && f[7] == 0) {
      for (int k = 0; k < f[6]; ++k) {
        uint16_t v = static_cast<uint16_t>(f[8 + 2 * k] | (f[9 + 2 * k] << 8));
        if (bits) {
          SetByte(code, w + 2 * k, static_cast<uint8_t>(v));
          SetByte(code, w + 2 * k + 1, static_cast<uint8_t>(v >> 8));
        } else {
          SetWord(code, w + k, v);
        }
      }
    } else {
      return ++Rejected, Frame{};
    }
    r.push_back(51);
    r.push_back(Sum(r));
    ++Requests;
    return r;
  }
};

template <typename T>
std::unique_ptr<TZmResponder> Make(uint32_t station)
{
  auto r = std::make_unique<T>();
  r->Station = station;
  return r;
}

}  // namespace

std::unique_ptr<TZmResponder> MakeBinary(uint32_t uid, uint32_t station)
{
  switch (static_cast<int32_t>(uid)) {
    case 1766187480: return Make<Header163>(station);
    case -416042279: return Make<Header9023>(station);
    case 1189246966: return Make<Header7533>(station);
    case 1088095053: return Make<AreaCodes>(station);
    default: return nullptr;
  }
}

}  // namespace responders
