#include "graphics/PictureLibrary.h"

#include <algorithm>
#include <filesystem>

#include "base/File.h"
#include "base/Utf.h"
#include "graphics/Bitmap.h"
#include "graphics/Picture.h"

namespace fs = std::filesystem;

namespace {

bool IsPng(const std::string& name)
{
  return name.size() > 4 && EqualsNoCase(std::string_view(name).substr(name.size() - 4), ".png");
}

}  // namespace

const TZmPictureItem* TZmPictureGroup::Item(int32_t i) const
{
  return i >= 0 && static_cast<size_t>(i) < Items.size() ? Items[static_cast<size_t>(i)].get() : nullptr;
}

TZmPictureItem* TZmPictureGroup::Add(const std::string& fileName)
{
  Items.push_back(std::make_unique<TZmPictureItem>());
  Items.back()->Group = this;
  Items.back()->FileName = fileName;
  return Items.back().get();
}

TZmPictureLibrary& TZmPictureLibrary::Global()
{
  static TZmPictureLibrary library;
  return library;
}

void TZmPictureLibrary::Load(const std::string& root)
{
  Groups.clear();
  RootFolder = root;
  if (!RootFolder.empty() && RootFolder.back() != '/') RootFolder += '/';
  for (const TZmFolderEntry& e : ListFolder(root)) {
    const std::string& name = e.Name;
    // Names of two characters or fewer are not groups; plain files are not
    // either (they would show as empty tabs).
    if (name.size() <= 2 || !e.Directory) continue;
    Groups.push_back(std::make_unique<TZmPictureGroup>());
    TZmPictureGroup* g = Groups.back().get();
    g->Library = this;
    g->Name = name;
    for (const TZmFolderEntry& f : ListFolder((fs::path(root) / name).string()))
      if (IsPng(f.Name) && f.RegularFile) g->Add(f.Name);
  }
}

const TZmPictureGroup* TZmPictureLibrary::Group(int32_t i) const
{
  return i >= 0 && static_cast<size_t>(i) < Groups.size() ? Groups[static_cast<size_t>(i)].get() : nullptr;
}

std::string TZmPictureLibrary::FullPath(const TZmPictureItem& item) const
{
  return RootFolder + (item.Group ? item.Group->Name : std::string()) + "/" + item.FileName;
}

bool TZmPictureLibrary::Pick(const TZmPictureItem& item, TZmBitmap& bitmap, int32_t colorFormat, int32_t sceneWidth,
                             int32_t sceneHeight, std::string& error) const
{
  bitmap.ClearImage();
  return bitmap.LoadImage(FullPath(item), colorFormat, sceneWidth, sceneHeight, error);
}

void ThumbnailOf(const TZmPictureData& picture, TZmPictureData& thumbnail)
{
  if (picture.Width > kThumbnailSide || picture.Height > kThumbnailSide)
    StretchPicture(picture, kThumbnailSide, kThumbnailSide, thumbnail);
  else
    thumbnail = picture;
}
