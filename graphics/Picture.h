#pragma once
// Pictures read from files (model pictures, the picture library, imported
// images): decoded once into 32-bit pixels, 0xAARRGGBB, rows top to bottom.
// PNG goes through libpng, GIF through giflib (every frame composed on the
// logical screen), BMP through our own decoder. Every byte of a file is
// bounds-checked; sizes above kMaxPictureSide are refused.
#include <cstdint>
#include <string>
#include <vector>

struct TZmPictureData {
  int32_t Width = 0;
  int32_t Height = 0;
  std::vector<uint32_t> Pixels;
  bool Empty() const { return Width <= 0 || Height <= 0; }
  uint32_t At(int32_t x, int32_t y) const { return Pixels[static_cast<size_t>(y) * Width + x]; }
};

// Pictures larger than this in either direction are refused.
inline constexpr int32_t kMaxPictureSide = 8192;
// All frames of one animated picture together hold at most this many pixels.
inline constexpr uint64_t kMaxAnimationPixels = uint64_t(64) << 20;
// and at most this many frames (each costs the decoder bookkeeping as well).
inline constexpr size_t kMaxAnimationFrames = 4096;

bool LoadPngFile(const std::string& path, TZmPictureData& out, std::string& error);
bool DecodePng(const uint8_t* data, size_t size, TZmPictureData& out, std::string& error);
// BMP: 1, 4, 8, 16, 24 and 32 bits per pixel, uncompressed or with bit
// fields, bottom-up or top-down rows.
bool DecodeBmp(const uint8_t* data, size_t size, TZmPictureData& out, std::string& error);
// GIF: every frame as it shows on the logical screen after the frames before
// it (disposal methods, transparent index); the screen starts transparent.
bool DecodeGif(const uint8_t* data, size_t size, std::vector<TZmPictureData>& frames, std::string& error);
// Any of the three, by content; a GIF gives its first frame.
bool DecodePicture(const uint8_t* data, size_t size, TZmPictureData& out, std::string& error);

// One picture from a file (any supported format).
bool LoadPictureFile(const std::string& path, TZmPictureData& out, std::string& error);
// A ".gif" file (any case) gives every frame; any other file one picture.
bool LoadPictureFrames(const std::string& path, std::vector<TZmPictureData>& frames, std::string& error);

// Nearest-neighbour resampling with 16.16 steps (source pixel i * step >> 16),
// as bitmaps are stretched when drawn, so results are the same everywhere.
void StretchPicture(const TZmPictureData& source, int32_t width, int32_t height, TZmPictureData& out);
// A pixel composited over black, as 24-bit RGB with red in the low byte.
uint32_t PictureRGB(uint32_t argb);
