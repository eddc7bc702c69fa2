// The picture library: groups and items from a folder (sorted ignoring
// case, short names and plain files skipped), full paths, picking into a
// bitmap, thumbnails; and the picture set the build ships.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

#include "base/File.h"
#include "graphics/Bitmap.h"
#include "graphics/DC.h"
#include "graphics/Picture.h"
#include "graphics/PictureLibrary.h"
#include "graphics/SurfacePng.h"

namespace fs = std::filesystem;

namespace {

void WritePng(const fs::path& path, int32_t w, int32_t h, uint16_t color)
{
  TZmDC dc(w, h);
  dc.Clear(color);
  std::string error;
  ASSERT_TRUE(SaveSurfacePng(dc, path.string(), error)) << error;
}

std::vector<std::string> Names(const TZmPictureLibrary& lib)
{
  std::vector<std::string> v;
  for (size_t g = 0; g < lib.GroupCount(); ++g) {
    const TZmPictureGroup* group = lib.Group(static_cast<int32_t>(g));
    v.push_back(group->Name + ":");
    for (size_t i = 0; i < group->ItemCount(); ++i) v.back() += " " + group->Item(static_cast<int32_t>(i))->FileName;
  }
  return v;
}

}  // namespace

TEST(PictureLibrary, GroupsItemsAndPaths)
{
  const fs::path root = fs::temp_directory_path() / ("kestrava-picture-library-" + std::to_string(getpid()));
  fs::remove_all(root);
  for (const char* d : {"beta", "Alpha", "ab", "Empty", "Alpha/nested"}) fs::create_directories(root / d);
  WritePng(root / "Alpha" / "b.png", 16, 40, 0xF800);
  WritePng(root / "Alpha" / "A.PNG", 20, 20, 0x07E0);
  WritePng(root / "beta" / "c.png", 4, 4, 0x001F);
  WritePng(root / "ab" / "skipped.png", 4, 4, 0);
  std::string error;
  ASSERT_TRUE(WriteFileAtomic((root / "Alpha" / "notes.txt").string(), std::vector<uint8_t>{'x'}, error));
  ASSERT_TRUE(WriteFileAtomic((root / "readme.txt").string(), std::vector<uint8_t>{'x'}, error));

  TZmPictureLibrary lib;
  lib.Load(root.string());
  EXPECT_EQ(Names(lib), (std::vector<std::string>{"Alpha: A.PNG b.png", "beta: c.png", "Empty:"}));
  EXPECT_EQ(lib.Group(3), nullptr);
  EXPECT_EQ(lib.Group(-1), nullptr);
  const TZmPictureGroup* alpha = lib.Group(0);
  EXPECT_EQ(alpha->Library, &lib);
  EXPECT_EQ(alpha->Item(2), nullptr);
  const TZmPictureItem* b = alpha->Item(1);
  EXPECT_EQ(b->Group, alpha);
  EXPECT_EQ(lib.FullPath(*b), (root / "Alpha" / "b.png").string());

  // Thumbnails: a 16 x 40 picture is stretched onto 32 x 32, a 20 x 20 one kept.
  TZmPictureData p, thumb;
  ASSERT_TRUE(LoadPictureFile(lib.FullPath(*b), p, error)) << error;
  ThumbnailOf(p, thumb);
  EXPECT_EQ(thumb.Width, 32);
  EXPECT_EQ(thumb.Height, 32);
  ASSERT_TRUE(LoadPictureFile(lib.FullPath(*alpha->Item(0)), p, error));
  ThumbnailOf(p, thumb);
  EXPECT_EQ(thumb.Width, 20);

  // Picking empties the bitmap and imports at most scene-sized.
  std::unique_ptr<TZmBitmap> bitmap(NewObject<TZmBitmap>());
  bitmap->ImportPictures({p, p}, 1, 0, 0);
  ASSERT_EQ(bitmap->ImageCount(), 2u);
  ASSERT_TRUE(lib.Pick(*b, *bitmap, 1, 100, 20, error)) << error;
  EXPECT_EQ(bitmap->ImageCount(), 1u);
  EXPECT_EQ(bitmap->Width, 8);
  EXPECT_EQ(bitmap->Height, 20);
  EXPECT_EQ(bitmap->Pixel(7, 19), 0xF800u);

  // Loading again replaces; a missing folder gives an empty library.
  fs::remove_all(root);
  lib.Load(root.string());
  EXPECT_EQ(lib.GroupCount(), 0u);
  const TZmPictureItem gone{nullptr, "b.png"};
  EXPECT_FALSE(lib.Pick(gone, *bitmap, 1, 100, 20, error));
  EXPECT_FALSE(error.empty());
}

TEST(PictureLibrary, ShippedPictureSet)
{
  TZmPictureLibrary lib;
  lib.Load(std::string(KESTRAVA_BUILD_DIR) + "/data/picture");
  ASSERT_EQ(lib.GroupCount(), 3u);
  const char* names[] = {"Arrows", "Devices", "Indicators"};
  int larger = 0;
  for (int g = 0; g < 3; ++g) {
    const TZmPictureGroup* group = lib.Group(g);
    EXPECT_EQ(group->Name, names[g]);
    EXPECT_GE(group->ItemCount(), 8u);
    EXPECT_LE(group->ItemCount(), 12u);
    for (size_t i = 0; i < group->ItemCount(); ++i) {
      TZmPictureData p;
      std::string error;
      ASSERT_TRUE(LoadPictureFile(lib.FullPath(*group->Item(static_cast<int32_t>(i))), p, error)) << error;
      EXPECT_GE(p.Width, 16);
      EXPECT_LE(p.Width, 48);
      larger += p.Width > 32;
      // Every picture imports into a 1-bit bitmap of a small screen.
      std::unique_ptr<TZmBitmap> bitmap(NewObject<TZmBitmap>());
      ASSERT_TRUE(lib.Pick(*group->Item(static_cast<int32_t>(i)), *bitmap, 7, 24, 24, error)) << error;
      EXPECT_LE(bitmap->Width, 24);
      EXPECT_EQ(bitmap->ColorBit, 1);
    }
  }
  EXPECT_GE(larger, 1);
}
