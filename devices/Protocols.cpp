#include "devices/Protocols.h"

#include <algorithm>
#include <filesystem>

#include "base/File.h"
#include "base/Format.h"
#include "base/Ini.h"
#include "base/Texts.h"
#include "base/Utf.h"
#include "image/Context.h"

void TZmDataArray::Serialize(TZmSerialization& s)
{
  s.SerializeMemory("Stream", Data);
  // The element size only tells shared resources apart: two arrays with the
  // same bytes but different element sizes have different records.
  if (s.Writing()) {
    uint32_t size = static_cast<uint32_t>(ElementSize);
    s.SerializeUInt32("ElementSize", size);
  }
}

void TZmDataArray::Append(uint32_t value)
{
  Data.SeekEnd();
  for (int32_t i = 0; i < ElementSize; ++i) Data.WriteU8(static_cast<uint8_t>(value >> (8 * i)));
}

uint32_t TZmDataArray::Element(size_t i) const
{
  uint32_t v = 0;
  for (int32_t k = 0; k < ElementSize; ++k) v |= static_cast<uint32_t>(Data.Bytes()[i * ElementSize + k]) << (8 * k);
  return v;
}

void TZmDataArray::WriteRecord(TZmStream& out) const
{
  out.WriteU32(static_cast<uint32_t>(Count()));
  out.Write(Data.Bytes());
  out.WriteZeros((4 - Data.Size() % 4) % 4);
}

void TZmDataArray::WriteROM(TZmCompiler& compiler) { WriteRecord(compiler.Output()); }

namespace {

std::string Key(const char* pattern, int n) { return SafeFormat(pattern, {n}); }

// "Key_<lang>" when present and not empty, else "Key".
std::string LocalText(const TZmIniFile& ini, const std::string& section, const std::string& key, const std::string& lang)
{
  std::string v = ini.ReadString(section, key + "_" + lang);
  return v.empty() ? ini.ReadString(section, key) : v;
}

uint32_t ReadUID(const TZmIniFile& ini, const std::string& section)
{
  // UIDs are 32-bit patterns: stored unsigned, read signed.
  return static_cast<uint32_t>(ini.ReadInteger(section, "UID", 0));
}

}  // namespace

bool TZmController::ReadFromIni(const TZmIniFile& ini, const std::string& section, const std::string& lang,
                                std::vector<TZmDataWarning>* warnings)
{
  Name = ini.ReadString(section, "Name");
  FirmName = ini.ReadString(section, "FirmName");
  Description = LocalText(ini, section, "Description", lang);
  for (int n = 0; n <= 9999; ++n) {
    std::string text = ini.ReadString(section, Key("STRING%04d", n));
    if (text.empty()) break;
    TZmRegRule* rule = TZmRegRule::Create(&RegRules, text);
    if (rule->Format.empty() && warnings)
      warnings->push_back({ini.FileName(), section, Key("STRING%04d", n), "Import Format String Error!!"});
    std::string desc = ini.ReadString(section, Key("DESC%04d", n) + "_" + lang);
    rule->Description = desc.empty() ? ini.ReadString(section, Key("DESC%04d", n)) : desc;
    rule->Index = ini.ReadInteger(section, Key("INDEX%04d", n), n);
    rule->Offset = ini.ReadInteger(section, Key("OFFSET%04d", n), 0);
    rule->Base = ini.ReadInteger(section, Key("BASE%04d", n), 1);
    rule->Mula = ini.ReadInteger(section, Key("MULA%04d", n), 1);
  }
  return true;
}

bool TZmProtocol::ReadFromIni(const TZmIniFile& ini, const std::string& section, const std::string& lang,
                              std::vector<TZmDataWarning>* warnings)
{
  Name = ini.ReadString(section, "Name");
  FirmName = ini.ReadString(section, "FirmName");
  Description = LocalText(ini, section, "Description", lang);
  Type = ini.ReadInteger(section, "Type", 0);
  Station = ini.ReadInteger(section, "Station", 1);
  MaxStationNum = ini.ReadInteger(section, "MaxStationNum", 255);
  MinStationNum = ini.ReadInteger(section, "MinStationNum", 0);
  StationCount = ini.ReadInteger(section, "StationCount", 256);
  RS232 = ini.ReadInteger(section, "RS232", 0);
  BaudRate = ini.ReadInteger(section, "BaudRate", 9600);
  DataBit = ini.ReadInteger(section, "DataBit", 2);
  Parity = ini.ReadInteger(section, "Parity", 2);
  StopBit = ini.ReadInteger(section, "StopBit", 0);
  Delay = ini.ReadInteger(section, "Delay", 0);
  Timeout = ini.ReadInteger(section, "Timeout", 1000);
  RetryCount = ini.ReadInteger(section, "RetryCount", 3);
  IP = ini.ReadString(section, "IP");
  Mode = ini.ReadInteger(section, "Mode", 1);
  Port = ini.ReadInteger(section, "Port", 502);
  TZmControllerDB& db = TZmControllerDB::Global();
  for (int n = 0; n <= 9999; ++n) {
    std::string ref = ini.ReadString(section, Key("Controllor%04d", n));
    if (ref.empty()) break;
    uint32_t uid = ReadUID(ini, ref);
    if (uid == 0) {
      if (warnings) warnings->push_back({ini.FileName(), ref, "UID", "controller section has no UID; skipped"});
      continue;
    }
    bool created = false;
    TZmController* c = db.ControllerFor(uid, created);
    if (created) c->ReadFromIni(ini, ref, lang, warnings);
    ControllerRefs.push_back(c);
  }
  for (char16_t u : Utf8ToUtf16(Name)) NameArray.Append(u);
  for (int n = 0; n <= 9999 && ini.ValueExists(section, Key("Format%04d", n)); ++n)
    FormatArray.Append(static_cast<uint32_t>(ini.ReadInteger(section, Key("Format%04d", n), 0)));
  for (int n = 0; n <= 9999 && ini.ValueExists(section, Key("Check%04d", n)); ++n)
    CheckArray.Append(static_cast<uint32_t>(ini.ReadInteger(section, Key("Check%04d", n), 0)));
  return true;
}

TZmControllerDB& TZmControllerDB::Global()
{
  static TZmControllerDB db;
  return db;
}

void TZmControllerDB::ClearAll()
{
  Protocols.clear();
  Controllers.clear();
  Warnings.clear();
  InternalUID = 0;
}

TZmController* TZmControllerDB::ControllerFor(uint32_t uid, bool& created)
{
  created = false;
  if (TZmController* c = FindController(uid)) return c;
  Controllers.push_back(std::make_unique<TZmController>());
  Controllers.back()->UID = uid;
  created = true;
  return Controllers.back().get();
}

bool TZmControllerDB::LoadProtocolFolder(const std::string& folder, const std::string& lang)
{
  for (const std::string& path : ListFiles(folder, ".ini")) LoadProtocolFile(path, lang);
  return true;
}

bool TZmControllerDB::LoadProtocolFile(const std::string& path, const std::string& lang)
{
  TZmIniFile ini;
  std::string error;
  if (!ini.Load(path, &error)) return false;
  LoadProtocolIni(ini, path, lang);
  return true;
}

void TZmControllerDB::LoadProtocolIni(const TZmIniFile& ini, const std::string& path, const std::string& lang)
{
  for (int n = 0; n <= 9999; ++n) {
    std::string section = ini.ReadString("Protocols", Key("I%04d", n));
    if (section.empty()) break;
    uint32_t uid = ReadUID(ini, section);
    if (uid == 0) {
      Warnings.push_back({path, section, "UID", "protocol section has no UID; skipped"});
      continue;
    }
    if (FindProtocol(uid)) {
      Warnings.push_back({path, section, "UID", "a protocol with this UID is already loaded; skipped"});
      continue;
    }
    Protocols.push_back(std::make_unique<TZmProtocol>());
    Protocols.back()->UID = uid;
    Protocols.back()->ReadFromIni(ini, section, lang, &Warnings);
  }
}

TZmController* TZmControllerDB::BuildInternalController()
{
  int32_t uid;
  if (!ParseIniInteger(Trim(GetText(3903)), uid) || uid == 0) uid = static_cast<int32_t>(kDefaultInternalControllerUID);
  InternalUID = static_cast<uint32_t>(uid);
  bool created = false;
  TZmController* c = ControllerFor(InternalUID, created);
  if (!created) return c;
  c->Name = GetText(3900);
  c->FirmName = GetText(3901);
  c->Description = GetText(3902);
  int32_t count;
  if (!ParseIniInteger(Trim(GetText(3904)), count) || count < 0) count = 0;
  count = std::min(count, 9999);
  for (int32_t i = 0; i < count; ++i) {
    TZmRegRule* r = TZmRegRule::Create(&c->RegRules, GetText(3911 + 2 * i));
    r->Description = GetText(3910 + 2 * i);
  }
  return c;
}

TZmProtocol* TZmControllerDB::FindProtocol(uint32_t uid) const
{
  for (const auto& p : Protocols)
    if (p->UID == uid) return p.get();
  return nullptr;
}

TZmController* TZmControllerDB::FindController(uint32_t uid) const
{
  for (const auto& c : Controllers)
    if (c->UID == uid) return c.get();
  return nullptr;
}

TZmController* TZmControllerDB::InternalController() const
{
  return InternalUID ? FindController(InternalUID) : nullptr;
}
