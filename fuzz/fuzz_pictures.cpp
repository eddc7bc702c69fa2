// Feeds arbitrary bytes to the picture decoders (PNG, BMP, GIF with all its
// frames). A decoded picture must have the size it claims within the side
// limit, a failure must say why; decoded pictures go on through the bitmap
// import so its scaling and packing meet odd sizes too.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "graphics/Bitmap.h"
#include "graphics/Picture.h"

namespace {

void Check(bool ok, const TZmPictureData& p, const std::string& error)
{
  if (!ok) {
    if (error.empty() || !p.Pixels.empty()) __builtin_trap();
    return;
  }
  if (p.Width <= 0 || p.Height <= 0 || p.Width > kMaxPictureSide || p.Height > kMaxPictureSide) __builtin_trap();
  if (p.Pixels.size() != static_cast<size_t>(p.Width) * static_cast<size_t>(p.Height)) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  TZmPictureData picture;
  std::string error;
  const bool ok = DecodePicture(data, size, picture, error);
  Check(ok, picture, error);

  TZmPictureData bmp;
  std::string bmpError;
  Check(DecodeBmp(data, size, bmp, bmpError), bmp, bmpError);

  std::vector<TZmPictureData> frames;
  std::string gifError;
  if (DecodeGif(data, size, frames, gifError)) {
    if (frames.empty()) __builtin_trap();
    for (const TZmPictureData& f : frames) Check(true, f, {});
  } else if (gifError.empty() || !frames.empty()) {
    __builtin_trap();
  }

  if (ok && static_cast<uint64_t>(picture.Width) * picture.Height <= 1u << 16) {
    std::unique_ptr<TZmBitmap> bitmap(NewObject<TZmBitmap>());
    bitmap->ImportPictures({picture}, 6, 7, 5);
    if (bitmap->Width > 7 || bitmap->Height > 5) __builtin_trap();
    if (bitmap->Image->Image.Size() != PackedImageBytes(bitmap->Width, bitmap->Height, bitmap->ColorBit))
      __builtin_trap();
  }
  return 0;
}
