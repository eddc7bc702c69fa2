#pragma once
// Pictures read from files (model pictures, the picture library): decoded
// once into 32-bit pixels, 0xAARRGGBB, rows top to bottom.
#include <cstdint>
#include <string>
#include <vector>

struct TZmPicture {
  int32_t Width = 0;
  int32_t Height = 0;
  std::vector<uint32_t> Pixels;
  bool Empty() const { return Width <= 0 || Height <= 0; }
  uint32_t At(int32_t x, int32_t y) const { return Pixels[static_cast<size_t>(y) * Width + x]; }
};

// Pictures larger than this in either direction are refused.
inline constexpr int32_t kMaxPictureSide = 8192;

bool LoadPngFile(const std::string& path, TZmPicture& out, std::string& error);
bool DecodePng(const uint8_t* data, size_t size, TZmPicture& out, std::string& error);
