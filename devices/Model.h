#pragma once
// Panel models, read from the model folder's INI files and pictures. A
// project stores only the model ID and looks the model up here.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/Persistent.h"
#include "graphics/Bitmap.h"
#include "graphics/Picture.h"

class TZmIniFile;

struct TZmModelKey {
  int32_t Code = 0;
  int32_t Left = 0, Top = 0, Width = 0, Height = 0;
  int32_t Function = 0;  // 1280 previous scene, 1536 next scene
  int32_t Extra = 0;
  std::string Caption;
  TZmRectValue Rect() const { return {Left, Top, Left + Width, Top + Height}; }
};

class TZmModel {
public:
  TZmModel() = default;
  TZmModel(const TZmModel&) = delete;
  TZmModel& operator=(const TZmModel&) = delete;
  // Reads one model section; the result is the Valid flag. Pictures are
  // looked up in `folder`.
  bool ReadFromIni(const TZmIniFile& ini, const std::string& section, const std::string& languageCode,
                   const std::string& folder);

  int32_t Width() const { return EditRect.Right - EditRect.Left; }
  int32_t Height() const { return EditRect.Bottom - EditRect.Top; }
  // 16-bit panel colour (RGB565) of a palette index under a scene colour mode.
  uint16_t PaletteColor(uint32_t index, int32_t mode) const;
  std::optional<uint32_t> PaletteEntry(uint32_t index, int32_t mode) const;
  const TZmModelKey* FindKeyByFunction(int32_t function) const;
  const TZmModelKey* FindKeyByCode(int32_t code) const;

  uint32_t ID = 0;
  std::string Name;
  std::string Description;
  TZmPictureData Panel, Edit, Power, Link, Disk, Alarm;
  // What the panel shows while an image arrives, in the panel's pixel format;
  // empty when the model has no such picture.
  TZmMemoryBitmap DownloadPicture;
  TZmRectValue EditRect, PowerRect, LinkRect, DiskRect, AlarmRect;
  int32_t ROMAddr = 0, ROMSize = 0, RAMAddr = 0, RAMSize = 0;
  int32_t KEYCnt = 0, COMCnt = 0, CANCnt = 0, NETCnt = 0;
  int32_t REGCnt = 256;
  std::vector<std::pair<std::string, TZmModelKey>> Keys;
  std::vector<std::string> PortNames;
  int32_t ColorBit = 1;
  int32_t ColorFormat = 7;
  int32_t FGColorIndex = 1, BGColorIndex = 0, WhiteIndex = 0, GrayIndex = 0, BlackIndex = 1;
  int32_t SceneOption = 0;
  std::vector<uint32_t> Palette;  // 24-bit entries, red in the low byte; empty: no palette
  bool Valid = false;
};

// Limits that keep data from the model files inside what the rest of the
// system can hold.
inline constexpr int32_t kMaxScreenSide = 4096;
inline constexpr int32_t kMaxModelKeys = 32;  // the key mask has 32 bits
inline constexpr int32_t kMaxModelPorts = 2;

// Parses a Loc text: up to four integers separated by runs of space, tab and
// comma. False for an empty text or more than four numbers.
bool ParseLoc(const std::string& text, TZmRectValue& rect);
// Parses a key text: Code, Left, Top, Width, Height, Function, Extra, Caption.
bool ParseModelKey(const std::string& text, TZmModelKey& key);

class TZmModels {
public:
  static TZmModels& Global();
  bool LoadModelFolder(const std::string& folder, const std::string& languageCode);
  bool LoadModelFile(const std::string& path, const std::string& languageCode);
  // The models of a parsed model file; pictures are looked for in `folder`.
  void LoadModelIni(const TZmIniFile& ini, const std::string& folder, const std::string& languageCode);
  const TZmModel* Find(uint32_t id) const;
  const TZmModel* FindByName(const std::string& name) const;
  int IndexOfName(const std::string& name) const;
  void Add(std::unique_ptr<TZmModel> model);
  void Clear() { List.clear(); }
  size_t Count() const { return List.size(); }
  const TZmModel* Item(size_t i) const { return i < List.size() ? List[i].get() : nullptr; }

private:
  std::vector<std::unique_ptr<TZmModel>> List;
};
