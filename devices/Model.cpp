#include "devices/Model.h"

#include <algorithm>
#include <filesystem>

#include "base/File.h"
#include "base/Format.h"
#include "base/Ini.h"
#include "base/Utf.h"
#include "graphics/Color.h"

namespace {

std::vector<std::string> Tokens(const std::string& text)
{
  std::vector<std::string> out;
  std::string cur;
  for (char c : text) {
    if (c == ' ' || c == '\t' || c == ',') {
      if (!cur.empty()) out.push_back(cur);
      cur.clear();
    } else {
      cur.push_back(c);
    }
  }
  if (!cur.empty()) out.push_back(cur);
  return out;
}

int32_t Number(const std::string& token)
{
  int32_t v;
  return ParseIniInteger(token, v) ? v : 0;
}

bool LoadPictureIfPresent(const std::string& path, TZmPictureData& pic)
{
  std::string error;
  return FileExists(path) && LoadPngFile(path, pic, error);
}

}  // namespace

bool ParseLoc(const std::string& text, TZmRectValue& rect)
{
  std::vector<std::string> t = Tokens(text);
  if (t.empty() || t.size() > 4) return false;
  int32_t v[4] = {0, 0, 0, 0};
  for (size_t i = 0; i < t.size(); ++i) v[i] = Number(t[i]);
  rect.Left = v[0];
  rect.Top = v[1];
  // Only the numbers given make the far corner; right and bottom stay 0 otherwise.
  rect.Right = t.size() >= 3 ? static_cast<int32_t>(int64_t(v[0]) + v[2]) : 0;
  rect.Bottom = t.size() >= 4 ? static_cast<int32_t>(int64_t(v[1]) + v[3]) : 0;
  return true;
}

bool ParseModelKey(const std::string& text, TZmModelKey& key)
{
  std::vector<std::string> t = Tokens(text);
  int32_t* fields[7] = {&key.Code, &key.Left, &key.Top, &key.Width, &key.Height, &key.Function, &key.Extra};
  for (size_t i = 0; i < t.size() && i < 7; ++i) *fields[i] = Number(t[i]);
  if (t.size() >= 8) key.Caption = t[7];
  return t.size() <= 8;
}

bool TZmModel::ReadFromIni(const TZmIniFile& ini, const std::string& section, const std::string& lang,
                           const std::string& folder)
{
  namespace fs = std::filesystem;
  Valid = false;
  ID = static_cast<uint32_t>(ini.ReadInteger(section, "ID", 0));
  Name = ini.ReadString(section, "Name");
  Description = ini.ReadString(section, "Description_" + lang);
  if (Description.empty()) Description = ini.ReadString(section, "Description");
  auto pic = [&](const char* suffix) { return (fs::path(folder) / (Name + suffix + ".PNG")).string(); };
  if (Name.empty() || !LoadPictureIfPresent(pic(""), Panel)) return false;
  if (!LoadPictureIfPresent(pic("_EDIT"), Edit)) return false;
  LoadPictureIfPresent(pic("_POWER"), Power);
  LoadPictureIfPresent(pic("_LINK"), Link);
  LoadPictureIfPresent(pic("_DISK"), Disk);
  LoadPictureIfPresent(pic("_ALARM"), Alarm);
  const std::pair<const char*, TZmRectValue*> locs[] = {
      {"EditLoc", &EditRect}, {"PowerLoc", &PowerRect}, {"LinkLoc", &LinkRect}, {"DiskLoc", &DiskRect}, {"AlarmLoc", &AlarmRect}};
  for (auto [key, rect] : locs)
    if (!ParseLoc(ini.ReadString(section, key), *rect)) return false;
  ROMAddr = ini.ReadInteger(section, "ROMAddr", 0);
  ROMSize = ini.ReadInteger(section, "ROMSize", 0);
  RAMAddr = ini.ReadInteger(section, "RAMAddr", 0);
  RAMSize = ini.ReadInteger(section, "RAMSize", 0);
  REGCnt = ini.ReadInteger(section, "REGCnt", 256);
  KEYCnt = std::clamp(ini.ReadInteger(section, "KEYCnt", 0), 0, kMaxModelKeys);
  COMCnt = std::clamp(ini.ReadInteger(section, "COMCnt", 0), 0, kMaxModelPorts);
  CANCnt = ini.ReadInteger(section, "CANCnt", 0);
  NETCnt = ini.ReadInteger(section, "NETCnt", 0);
  for (int32_t i = 0; i < KEYCnt; ++i) {
    std::string text = ini.ReadString(section, SafeFormat("KEYLoc%04d", {i}));
    if (text.empty()) continue;
    TZmModelKey key;
    ParseModelKey(text, key);
    Keys.emplace_back(text, key);
  }
  for (int32_t i = 0; i < COMCnt; ++i) {
    std::string text = ini.ReadString(section, SafeFormat("COM%d", {i}));
    if (!text.empty()) PortNames.push_back(text);
  }
  ColorBit = ini.ReadInteger(section, "ColorBit", 1);
  ColorFormat = ini.ReadInteger(section, "ColorFormat", 7);
  FGColorIndex = ini.ReadInteger(section, "FGColorIndex", 1);
  BGColorIndex = ini.ReadInteger(section, "BGColorIndex", 0);
  WhiteIndex = ini.ReadInteger(section, "WhiteIndex", 0);
  GrayIndex = ini.ReadInteger(section, "GrayIndex", 0);
  BlackIndex = ini.ReadInteger(section, "BlackIndex", 1);
  SceneOption = ini.ReadInteger(section, "SceneOption", 0);
  // Only indexed formats have a palette: 2^24 or 2^32 entries would be read otherwise.
  if (ini.ValueExists(section, "Color00000") && ColorBit >= 1 && ColorBit <= 8) {
    int32_t count = (1 << ColorBit) + (SceneOption == 1 ? 2 : 0);
    for (int32_t i = 0; i < count; ++i) {
      std::string key = SafeFormat("Color%05d", {i});
      if (!ini.ValueExists(section, key)) {
        Palette.clear();
        break;
      }
      Palette.push_back(static_cast<uint32_t>(ini.ReadInteger(section, key, 0)) & 0xFFFFFF);
    }
  }
  if (FileExists(pic("_DL")) && Width() > 0 && Height() > 0) {
    TZmPanelColors colors;
    colors.ColorBit = ColorBit;
    colors.ColorFormat = ColorFormat;
    colors.SceneOption = SceneOption;
    colors.Palette = Palette;
    std::string error;
    if (!LoadBackground(DownloadPicture, pic("_DL"), colors, Width(), Height(), error)) DownloadPicture.Image.Clear();
  }
  // A screen the rest of the system cannot hold makes the model unusable.
  if (Width() < 1 || Width() > kMaxScreenSide || Height() < 1 || Height() > kMaxScreenSide) return false;
  Valid = true;
  return true;
}

uint16_t TZmModel::PaletteColor(uint32_t index, int32_t mode) const
{
  TZmPanelColors colors;
  colors.ColorBit = ColorBit;
  colors.ColorFormat = ColorFormat;
  colors.SceneOption = SceneOption;
  colors.Palette = Palette;
  return colors.PaletteColor(index, mode);
}

std::optional<uint32_t> TZmModel::PaletteEntry(uint32_t index, int32_t mode) const
{
  TZmPanelColors colors;
  colors.ColorBit = ColorBit;
  colors.ColorFormat = ColorFormat;
  colors.SceneOption = SceneOption;
  colors.Palette = Palette;
  return colors.PaletteEntry(index, mode);
}

const TZmModelKey* TZmModel::FindKeyByFunction(int32_t function) const
{
  for (const auto& k : Keys)
    if (k.second.Function == function) return &k.second;
  return nullptr;
}

const TZmModelKey* TZmModel::FindKeyByCode(int32_t code) const
{
  for (const auto& k : Keys)
    if (k.second.Code == code) return &k.second;
  return nullptr;
}

TZmModels& TZmModels::Global()
{
  static TZmModels g;
  return g;
}

bool TZmModels::LoadModelFolder(const std::string& folder, const std::string& lang)
{
  for (const std::string& path : ListFiles(folder, ".ini")) LoadModelFile(path, lang);
  return true;
}

bool TZmModels::LoadModelFile(const std::string& path, const std::string& lang)
{
  namespace fs = std::filesystem;
  TZmIniFile ini;
  if (!ini.Load(path)) return false;
  LoadModelIni(ini, fs::path(path).parent_path().string(), lang);
  return true;
}

void TZmModels::LoadModelIni(const TZmIniFile& ini, const std::string& folder, const std::string& lang)
{
  for (int n = 0; n <= 9999; ++n) {
    std::string section = ini.ReadString("Models", SafeFormat("I%04d", {n}));
    if (section.empty()) break;
    if (IndexOfName(section) >= 0) continue;
    auto m = std::make_unique<TZmModel>();
    m->ReadFromIni(ini, section, lang, folder);
    List.push_back(std::move(m));
  }
}

const TZmModel* TZmModels::Find(uint32_t id) const
{
  for (const auto& m : List)
    if (m->ID == id) return m.get();
  return nullptr;
}

const TZmModel* TZmModels::FindByName(const std::string& name) const
{
  int i = IndexOfName(name);
  return i < 0 ? nullptr : List[i].get();
}

int TZmModels::IndexOfName(const std::string& name) const
{
  for (size_t i = 0; i < List.size(); ++i)
    if (List[i]->Name == name) return static_cast<int>(i);
  return -1;
}

void TZmModels::Add(std::unique_ptr<TZmModel> model) { List.push_back(std::move(model)); }
