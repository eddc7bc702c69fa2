#pragma once
// The catalogue of ready-made pictures shipped in the data folder's
// "picture" directory: one group per sub-folder, one item per PNG file in
// it. The editor shows the groups as tabs and imports a picked item into an
// object's bitmap; the thumbnails it shows are made from ThumbnailOf.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct TZmPictureData;
class TZmBitmap;
class TZmPictureGroup;
class TZmPictureLibrary;

class TZmPictureItem {
public:
  TZmPictureGroup* Group = nullptr;
  std::string FileName;
};

class TZmPictureGroup {
public:
  TZmPictureLibrary* Library = nullptr;
  std::string Name;  // the sub-folder's name

  size_t ItemCount() const { return Items.size(); }
  const TZmPictureItem* Item(int32_t i) const;
  TZmPictureItem* Add(const std::string& fileName);

private:
  std::vector<std::unique_ptr<TZmPictureItem>> Items;
};

class TZmPictureLibrary {
public:
  static TZmPictureLibrary& Global();

  // Lists the groups under root (sorted by name, ignoring case); a missing
  // folder gives an empty library. Replaces what was loaded before.
  void Load(const std::string& root);
  void Clear() { Groups.clear(); }

  const std::string& Root() const { return RootFolder; }  // ends with a separator
  size_t GroupCount() const { return Groups.size(); }
  const TZmPictureGroup* Group(int32_t i) const;
  std::string FullPath(const TZmPictureItem& item) const;
  // Empties the bitmap and imports the item at most scene-sized in the
  // model's colour format.
  bool Pick(const TZmPictureItem& item, TZmBitmap& bitmap, int32_t colorFormat, int32_t sceneWidth,
            int32_t sceneHeight, std::string& error) const;

private:
  std::string RootFolder;
  std::vector<std::unique_ptr<TZmPictureGroup>> Groups;
};

inline constexpr int32_t kThumbnailSide = 32;
// The thumbnail of a picture: pictures wider or taller than 32 are stretched
// onto 32 x 32, smaller ones keep their size.
void ThumbnailOf(const TZmPictureData& picture, TZmPictureData& thumbnail);
