#include "graphics/PictureLibrary.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "base/Utf.h"
#include "graphics/Bitmap.h"
#include "graphics/Picture.h"

namespace fs = std::filesystem;

namespace {

// Names in a folder, sorted ignoring case so every machine lists alike.
std::vector<fs::directory_entry> SortedEntries(const fs::path& folder)
{
  std::vector<fs::directory_entry> entries;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) entries.push_back(*it);
  std::sort(entries.begin(), entries.end(), [](const fs::directory_entry& a, const fs::directory_entry& b) {
    const std::string na = a.path().filename().string(), nb = b.path().filename().string();
    const int c = CompareNoCase(na, nb);
    return c != 0 ? c < 0 : na < nb;
  });
  return entries;
}

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
  std::error_code ec;
  for (const fs::directory_entry& e : SortedEntries(root)) {
    const std::string name = e.path().filename().string();
    // Names of two characters or fewer are not groups; plain files are not
    // either (they would show as empty tabs).
    if (name.size() <= 2 || !e.is_directory(ec)) continue;
    Groups.push_back(std::make_unique<TZmPictureGroup>());
    TZmPictureGroup* g = Groups.back().get();
    g->Library = this;
    g->Name = name;
    for (const fs::directory_entry& f : SortedEntries(e.path())) {
      const std::string file = f.path().filename().string();
      if (IsPng(file) && f.is_regular_file(ec)) g->Add(file);
    }
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
