// Picture decoders against pixels read by an independent decoder (Pillow,
// through picture_fixtures.py), on hand-made and Pillow-written files and on
// the shipped picture set; damaged, truncated and oversized files fail
// cleanly; stretching and compositing are exact.
#include <gtest/gtest.h>

#include <zlib.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

#include "base/File.h"
#include "base/Stream.h"
#include "graphics/Bitmap.h"
#include "graphics/Picture.h"

namespace fs = std::filesystem;

namespace {

struct Expected {
  int32_t Width = 0, Height = 0;
  std::vector<std::vector<uint8_t>> Frames;  // RGBA
};

bool ReadExpected(const fs::path& path, Expected& e)
{
  std::vector<uint8_t> b;
  std::string error;
  if (!ReadWholeFile(path.string(), b, error) || b.size() < 12) return false;
  e.Width = static_cast<int32_t>(GetU32(&b[0]));
  e.Height = static_cast<int32_t>(GetU32(&b[4]));
  const uint32_t n = GetU32(&b[8]);
  const size_t frame = static_cast<size_t>(e.Width) * e.Height * 4;
  if (b.size() != 12 + n * frame) return false;
  for (uint32_t i = 0; i < n; ++i) e.Frames.emplace_back(b.begin() + 12 + i * frame, b.begin() + 12 + (i + 1) * frame);
  return true;
}

// Alpha must agree everywhere, colour wherever the pixel is not fully
// transparent (what a transparent pixel "holds" differs between decoders).
void ExpectSame(const TZmPictureData& got, const Expected& want, size_t frame, const std::string& what)
{
  ASSERT_EQ(got.Width, want.Width) << what;
  ASSERT_EQ(got.Height, want.Height) << what;
  int bad = 0;
  for (int32_t y = 0; y < got.Height && bad < 3; ++y)
    for (int32_t x = 0; x < got.Width && bad < 3; ++x) {
      const uint8_t* w = &want.Frames[frame][(static_cast<size_t>(y) * want.Width + x) * 4];
      const uint32_t p = got.At(x, y);
      const uint32_t a = p >> 24, r = p >> 16 & 0xFF, g = p >> 8 & 0xFF, b = p & 0xFF;
      if (a != w[3] || (a != 0 && (r != w[0] || g != w[1] || b != w[2]))) {
        ADD_FAILURE() << what << " frame " << frame << " pixel (" << x << ", " << y << "): got " << std::hex << p
                      << " want rgba " << int(w[0]) << " " << int(w[1]) << " " << int(w[2]) << " " << int(w[3]);
        ++bad;
      }
    }
}

class PictureFixtures : public ::testing::Test {
protected:
  static void SetUpTestSuite()
  {
    Dir = fs::temp_directory_path() / ("kestrava-pictures-" + std::to_string(getpid()));
    fs::remove_all(Dir);
    const std::string set = std::string(KESTRAVA_BUILD_DIR) + "/data/picture";
    const std::string cmd = "/usr/bin/python3 '" + std::string(KESTRAVA_SOURCE_DIR) +
                            "/tests/graphics/picture_fixtures.py' '" + Dir.string() + "' '" + set + "'";
    Ready = std::system(cmd.c_str()) == 0;
  }
  static void TearDownTestSuite() { fs::remove_all(Dir); }
  void SetUp() override { ASSERT_TRUE(Ready) << "picture_fixtures.py failed (python3-pil is needed)"; }

  static std::vector<fs::path> Files(const fs::path& dir, const std::string& ext)
  {
    std::vector<fs::path> v;
    for (const auto& e : fs::directory_iterator(dir))
      if (e.path().extension() == ext) v.push_back(e.path());
    std::sort(v.begin(), v.end());
    return v;
  }

  static inline fs::path Dir;
  static inline bool Ready = false;
};

}  // namespace

TEST_F(PictureFixtures, StillPicturesMatchAnIndependentDecoder)
{
  int checked = 0;
  for (const char* ext : {".png", ".bmp"})
    for (const fs::path& f : Files(Dir, ext)) {
      Expected want;
      ASSERT_TRUE(ReadExpected(f.string() + ".rgba", want)) << f;
      TZmPictureData got;
      std::string error;
      ASSERT_TRUE(LoadPictureFile(f.string(), got, error)) << error;
      ExpectSame(got, want, 0, f.filename().string());
      ++checked;
    }
  EXPECT_EQ(checked, 23);
}

TEST_F(PictureFixtures, GifFramesAreComposedOnTheScreen)
{
  int checked = 0;
  for (const fs::path& f : Files(Dir, ".gif")) {
    Expected want;
    ASSERT_TRUE(ReadExpected(f.string() + ".rgba", want)) << f;
    std::vector<TZmPictureData> frames;
    std::string error;
    ASSERT_TRUE(LoadPictureFrames(f.string(), frames, error)) << error;
    ASSERT_EQ(frames.size(), want.Frames.size()) << f;
    for (size_t i = 0; i < frames.size(); ++i) ExpectSame(frames[i], want, i, f.filename().string());
    // As a still picture a GIF is its first frame.
    TZmPictureData first;
    ASSERT_TRUE(LoadPictureFile(f.string(), first, error));
    EXPECT_EQ(first.Pixels, frames[0].Pixels);
    ++checked;
  }
  EXPECT_EQ(checked, 4);

  // Imported into a bitmap, every frame is one image: the first the main one.
  std::unique_ptr<TZmBitmap> bitmap(NewObject<TZmBitmap>());
  std::string error;
  ASSERT_TRUE(bitmap->LoadImage((Dir / "gif_previous.gif").string(), 1, 0, 0, error)) << error;
  ASSERT_EQ(bitmap->ImageCount(), 3u);
  EXPECT_EQ(bitmap->Width, 20);
  EXPECT_EQ(bitmap->Pixel(1, 0), 0xFFDFu);  // 250, 250, 250
  auto at = [&](size_t image, int32_t x, int32_t y) {
    return GetPackedPixel(bitmap->ImageAt(image)->Image.Bytes(), 20, 16, x, y);
  };
  EXPECT_EQ(at(1, 5, 4), 0x0640u);  // the second frame's green
  EXPECT_EQ(at(2, 5, 4), 0u);       // restored to what was before it: transparent, so black
  EXPECT_EQ(at(2, 9, 7), 0x001Fu);  // the third frame's blue
}

TEST_F(PictureFixtures, ShippedPictureSetDecodes)
{
  const fs::path set = fs::path(KESTRAVA_BUILD_DIR) / "data" / "picture";
  int checked = 0, larger = 0;
  for (const fs::path& e : Files(Dir / "set", ".rgba")) {
    const std::string name = e.stem().string();  // GROUP__FILE.png
    const size_t cut = name.find("__");
    ASSERT_NE(cut, std::string::npos);
    Expected want;
    ASSERT_TRUE(ReadExpected(e, want));
    TZmPictureData got;
    std::string error;
    ASSERT_TRUE(LoadPictureFile((set / name.substr(0, cut) / name.substr(cut + 2)).string(), got, error)) << error;
    ExpectSame(got, want, 0, name);
    larger += got.Width > 32;
    ++checked;
  }
  EXPECT_GE(checked, 24);
  EXPECT_GE(larger, 1);
}

TEST_F(PictureFixtures, TruncatedFilesFailCleanly)
{
  for (const char* ext : {".png", ".bmp", ".gif"})
    for (const fs::path& f : Files(Dir, ext)) {
      std::vector<uint8_t> bytes;
      std::string error;
      ASSERT_TRUE(ReadWholeFile(f.string(), bytes, error));
      TZmPictureData whole;
      ASSERT_TRUE(DecodePicture(bytes.data(), bytes.size(), whole, error)) << error;
      for (size_t n : {size_t(0), size_t(1), size_t(7), size_t(13), size_t(30), bytes.size() / 2, bytes.size() - 13,
                       bytes.size() - 1}) {
        if (n >= bytes.size()) continue;
        std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<ptrdiff_t>(n));
        TZmPictureData p;
        error.clear();
        const bool ok = DecodePicture(cut.data(), cut.size(), p, error);
        // A GIF cut after a complete frame is still a picture, and so is a
        // PNG whose pixel data is complete (only its end chunk is cut);
        // nothing else is.
        if (ok) {
          EXPECT_TRUE(std::string(ext) == ".gif" || (std::string(ext) == ".png" && n >= bytes.size() - 12))
            << f << " at " << n;
          EXPECT_FALSE(p.Empty());
          if (std::string(ext) == ".png") {
            EXPECT_EQ(p.Pixels, whole.Pixels);
          }
        } else {
          EXPECT_FALSE(error.empty());
          EXPECT_TRUE(p.Empty());
        }
      }
    }
}

namespace {

std::vector<uint8_t> BmpHeader(int32_t w, int32_t h, uint16_t bpp, uint32_t compression = 0, size_t pixels = 0)
{
  TZmStream s;
  s.Write("BM", 2);
  s.WriteU32(static_cast<uint32_t>(54 + pixels));
  s.WriteU32(0);
  s.WriteU32(54);
  s.WriteU32(40);
  s.WriteI32(w);
  s.WriteI32(h);
  s.WriteU16(1);
  s.WriteU16(bpp);
  s.WriteU32(compression);
  for (int i = 0; i < 5; ++i) s.WriteU32(0);
  s.WriteZeros(pixels);
  return s.Buffer();
}

std::vector<uint8_t> PngHeader(uint32_t w, uint32_t h)
{
  std::vector<uint8_t> v = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
  const uint8_t ihdr[13] = {uint8_t(w >> 24), uint8_t(w >> 16), uint8_t(w >> 8), uint8_t(w),
                            uint8_t(h >> 24), uint8_t(h >> 16), uint8_t(h >> 8), uint8_t(h), 8, 2, 0, 0, 0};
  for (uint8_t b : ihdr) v.push_back(b);
  const uint32_t crc = static_cast<uint32_t>(crc32(crc32(0, v.data() + 12, 4), ihdr, 13));
  for (int i = 3; i >= 0; --i) v.push_back(static_cast<uint8_t>(crc >> (8 * i)));
  return v;
}

std::vector<uint8_t> GifScreen(uint16_t w, uint16_t h)
{
  std::vector<uint8_t> v = {'G', 'I', 'F', '8', '9', 'a', uint8_t(w), uint8_t(w >> 8), uint8_t(h), uint8_t(h >> 8),
                            0x80, 0, 0, 0, 0, 0, 255, 255, 255};
  // One 1 x 1 frame, minimum code size 2, then the trailer.
  for (uint8_t b : {0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0, 0x02, 0x02, 0x44, 0x01, 0x00, 0x3B}) v.push_back(b);
  return v;
}

}  // namespace

TEST(PictureDecode, OversizedAndUnsupportedHeadersAreRefused)
{
  const struct {
    std::vector<uint8_t> bytes;
    const char* what;
  } cases[] = {
    {BmpHeader(9000, 1, 24, 0, 27000 * 4), "BMP wider than 8192"},
    {BmpHeader(1, -9000, 24, 0, 9000 * 4), "BMP top-down taller than 8192"},
    {BmpHeader(1, INT32_MIN, 24), "BMP height INT32_MIN"},
    {BmpHeader(0, 1, 24), "BMP width 0"},
    {BmpHeader(8192, 8192, 32), "BMP whose pixels are missing"},
    {BmpHeader(4, 4, 2, 0, 64), "BMP with 2 bits per pixel"},
    {BmpHeader(4, 4, 8, 1, 64), "run-length BMP"},
    {BmpHeader(4, 4, 24, 3, 64), "bit fields at 24 bits"},
    {PngHeader(9000, 1), "PNG wider than 8192"},
    {PngHeader(0x7FFFFFFF, 0x7FFFFFFF), "PNG of 2^31 per side"},
    {GifScreen(9000, 1), "GIF screen wider than 8192"},
    {GifScreen(0, 0), "GIF screen of no size"},
    {{'G', 'I', 'F', '8'}, "GIF without a screen"},
    {{'B', 'M'}, "BMP of two bytes"},
    {{0x89, 'P', 'N', 'G'}, "PNG of four bytes"},
    {{'J', 'F', 'I', 'F'}, "unknown format"},
  };
  for (const auto& c : cases) {
    TZmPictureData p;
    std::string error;
    EXPECT_FALSE(DecodePicture(c.bytes.data(), c.bytes.size(), p, error)) << c.what;
    EXPECT_FALSE(error.empty()) << c.what;
    EXPECT_TRUE(p.Pixels.empty()) << c.what;
  }
  // The smallest GIF of the table decodes when its size is sane.
  std::vector<uint8_t> ok = GifScreen(2, 2);
  std::vector<TZmPictureData> frames;
  std::string error;
  ASSERT_TRUE(DecodeGif(ok.data(), ok.size(), frames, error)) << error;
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0].At(0, 0), 0xFF000000u);
  EXPECT_EQ(frames[0].At(1, 1), 0u);  // outside the frame: still transparent
  TZmPictureData p;
  EXPECT_FALSE(DecodePicture(nullptr, 0, p, error));
}

TEST(PictureDecode, StretchAndComposite)
{
  TZmPictureData src;
  src.Width = 2;
  src.Height = 1;
  src.Pixels = {0xFF000001, 0xFF000002};
  TZmPictureData out;
  StretchPicture(src, 5, 2, out);
  ASSERT_EQ(out.Width, 5);
  // 16.16 steps: 2 * 65536 / 5 -> source columns 0 0 0 1 1.
  EXPECT_EQ(out.Pixels, (std::vector<uint32_t>{0xFF000001, 0xFF000001, 0xFF000001, 0xFF000002, 0xFF000002,
                                               0xFF000001, 0xFF000001, 0xFF000001, 0xFF000002, 0xFF000002}));
  StretchPicture(src, 1, 1, out);
  EXPECT_EQ(out.Pixels, std::vector<uint32_t>{0xFF000001});
  StretchPicture(src, 0, 3, out);
  EXPECT_TRUE(out.Empty());
  StretchPicture(src, 9000, 1, out);
  EXPECT_TRUE(out.Empty());

  EXPECT_EQ(PictureRGB(0xFF123456), 0x563412u);
  EXPECT_EQ(PictureRGB(0x00FFFFFF), 0u);
  EXPECT_EQ(PictureRGB(0x80FF0000), 0x80u);
}
