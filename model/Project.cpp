#include "model/Project.h"

#include <zlib.h>

#include <cstring>

#include "base/Crc16.h"
#include "base/File.h"
#include "base/Format.h"
#include "base/Texts.h"
#include "image/Context.h"
#include "devices/Devices.h"
#include "devices/Model.h"
#include "model/Alarms.h"
#include "model/Component.h"
#include "model/Scenes.h"

void TZmConfiguration::Initialize()
{
  ScreenBright = 100;
  ScreenContrast = 50;
  BackLightTime = 180;
  Sdecimal = 46;
  SaveScreenBright = SaveScreenID = SoundOption = ModbusSlaveID = 0;
}

void TZmConfiguration::Serialize(TZmSerialization& s)
{
  s.SerializeUInt16("ScreenBright", ScreenBright);
  s.SerializeUInt16("ScreenContrast", ScreenContrast);
  s.SerializeUInt16("BackLightTime", BackLightTime);
  s.SerializeUInt16("Sdecimal", Sdecimal);
  s.SerializeUInt16("SaveScreenBright", SaveScreenBright);
  s.SerializeUInt16("SaveScreenID", SaveScreenID);
  s.SerializeUInt16("SoundOption", SoundOption);
  s.SerializeUInt16("ModbusSlaveID", ModbusSlaveID);
}

void TZmConfiguration::WriteROM(TZmCompiler& compiler)
{
  TZmStream& out = compiler.Output();
  out.WriteU32(0);
  for (uint16_t v : {ScreenBright, ScreenContrast, BackLightTime, Sdecimal, SaveScreenBright, SaveScreenID, SoundOption,
                     ModbusSlaveID})
    out.WriteU16(v);
  out.WriteZeros(16);
}

uint16_t TZmConfiguration::DecimalFromText(const std::string& text)
{
  if (text.size() == 1 && static_cast<unsigned char>(text[0]) >= 32 && static_cast<unsigned char>(text[0]) <= 127)
    return static_cast<uint8_t>(text[0]);
  return 46;
}

void TZmHMI::Initialize()
{
  Devices = NewObject<TZmDevices>();
  Devices->Owner = this;
  SceneGroups = NewObject<TZmSceneGroups>();
  SceneGroups->Owner = this;
  Configuration = NewObject<TZmConfiguration>();
  Configuration->Owner = this;
  Alarms = NewObject<TZmAlarms>();
  Alarms->Owner = this;
  Information = NewObject<TZmInformation>();
  Information->Owner = this;
  ModelKnown = 0;
  ModelID = 0;
  Title.clear();
  Description.clear();
}

TZmHMI::~TZmHMI()
{
  delete Devices;
  delete SceneGroups;
  delete Configuration;
  delete Alarms;
  delete Information;
}

const TZmModel* TZmHMI::Model() const { return TZmModels::Global().Find(ModelID); }

std::string TZmHMI::GetDisplayName()
{
  const TZmModel* m = Model();
  if (!m) return Title;
  return Title.empty() ? m->Name : m->Name + " : " + Title;
}

void TZmHMI::Serialize(TZmSerialization& s)
{
  s.SerializeString("Title", Title);
  s.SerializeString("Description", Description);
  s.SerializeObject("Devices", Devices);
  s.SerializeObject("SceneGroups", SceneGroups);
  s.SerializeObject("Configuration", Configuration);
  s.SerializeObject("Alarms", Alarms);
  s.SerializeUInt32("ModelID", ModelID);
  if (s.Reading()) ModelKnown = Model() ? 1 : 0;
}

void TZmHMI::WriteROM(TZmCompiler& compiler)
{
  const TZmModel* m = Model();
  if (!m) return;
  TZmStream& out = compiler.Output();
  compiler.ColorBit = m->ColorBit;
  size_t h = out.Size();
  out.WriteZeros(kImageHeaderSize);
  out.PatchU32(h + 32, ModelID);
  out.PatchU32(h + 40, static_cast<uint32_t>(m->Width()));
  out.PatchU32(h + 44, static_cast<uint32_t>(m->Height()));
  out.PatchU32(h + 48, static_cast<uint32_t>(m->ColorBit));
  out.PatchU32(h + 52, static_cast<uint32_t>(m->ColorFormat));
  out.PatchU32(h + 60, static_cast<uint32_t>(int64_t(m->Width()) * m->Height() * m->ColorBit / 8));
  // The first 32 bytes are noise the panel ignores; the checksums cover them.
  uint32_t x = compiler.RandomSeed ? compiler.RandomSeed : 1;
  for (size_t i = 0; i < 32; ++i) {
    x = x * 1103515245u + 12345u;
    out.Buffer()[h + i] = static_cast<uint8_t>(x >> 16);
  }
  out.SeekEnd();
  TZmPersistentROM* sections[4] = {Devices, SceneGroups, Configuration, Alarms};
  uint32_t offsets[4];
  for (int i = 0; i < 4; ++i) {
    offsets[i] = compiler.Offset();
    sections[i]->WriteROM(compiler);
    out.SeekEnd();
  }
  int32_t total = compiler.LinkRegisters(2 * m->REGCnt);
  compiler.RegisterTotal = total;
  compiler.Resources.WriteAll(compiler);
  out.PatchU32(h + 56, static_cast<uint32_t>(out.Size() + 2));
  out.PatchU32(h + 80, static_cast<uint32_t>(total));
  for (int i = 0; i < 4; ++i) out.PatchU32(h + 84 + 4 * i, offsets[i]);
  uint16_t headerCrc = Crc16(std::span(out.Data() + h, 254));
  out.Buffer()[h + 254] = static_cast<uint8_t>(headerCrc);
  out.Buffer()[h + 255] = static_cast<uint8_t>(headerCrc >> 8);
  uint16_t imageCrc = Crc16(out.Bytes());
  out.SeekEnd();
  out.WriteU8(static_cast<uint8_t>(imageCrc));
  out.WriteU8(static_cast<uint8_t>(imageCrc >> 8));
}

void TZmHMI::NotifyChange(TZmPersistent* object, int32_t value, uint32_t kind)
{
  auto* scene = dynamic_cast<TZmScene*>(object);
  // A reference to the scene's current ID follows the notice.
  auto follow = [&](auto& ref) {
    if (!scene || scene->ID <= 0 || static_cast<int64_t>(ref) != scene->ID) return;
    if (IsDeleteNotice(kind)) ref = 0;
    else if (kind == kNoticeSceneRenumbered) ref = static_cast<std::remove_reference_t<decltype(ref)>>(value);
  };
  for (TZmSceneGroup* g : SceneGroups->Groups)
    for (TZmScene* s : g->Scenes) {
      if (s != scene) follow(s->JumpSceneID);
      s->NotifyChange(object, value, kind);
    }
  for (TZmAlarm* a : Alarms->Alarms) follow(a->ScreenID);
  follow(Configuration->SaveScreenID);
}

bool RenumberScene(TZmHMI& root, TZmScene* scene, int32_t newId)
{
  if (!scene || newId < 1 || newId > 255) return false;
  if (newId == scene->ID) return true;
  if (root.SceneGroups->FindScene(newId)) return false;
  root.NotifyChange(scene, newId, kNoticeSceneRenumbered);
  scene->ID = newId;
  return true;
}

void DeleteScene(TZmHMI& root, TZmScene* scene)
{
  if (!scene) return;
  root.NotifyChange(scene, 0, kNoticeDeleted);
  delete scene;
}

void DeleteSceneGroup(TZmHMI& root, TZmSceneGroup* group)
{
  if (!group) return;
  for (TZmScene* s : std::vector<TZmScene*>(group->Scenes)) root.NotifyChange(s, 0, kNoticeDeleted);
  delete group;
}

void ClearProject(TZmHMI& root)
{
  root.Devices->Clear();
  root.SceneGroups->Clear();
  root.SceneGroups->Direction = 0;
  root.SceneGroups->StartupScreen = 0;
  root.Alarms->Clear();
  root.Alarms->Initialize();
  root.Configuration->Initialize();
  root.ModelKnown = 0;
  root.ModelID = 0;
  root.Title.clear();
  root.Description.clear();
}

bool NewFromModel(TZmHMI& root, const TZmModel* model)
{
  if (!model) return false;
  ClearProject(root);
  root.Devices->CreatePorts(*model);
  TZmSceneGroup* g = TZmSceneGroup::Create(root.SceneGroups);
  g->Name = GetText(220);
  root.ModelKnown = 1;
  root.ModelID = model->ID;
  return true;
}

std::vector<uint8_t> Deflate(std::span<const uint8_t> data)
{
  uLongf size = compressBound(static_cast<uLong>(data.size()));
  std::vector<uint8_t> out(size);
  if (compress2(out.data(), &size, data.data(), static_cast<uLong>(data.size()), Z_DEFAULT_COMPRESSION) != Z_OK)
    return {};
  out.resize(size);
  return out;
}

bool Inflate(std::span<const uint8_t> data, size_t limit, std::vector<uint8_t>& out, std::string& error,
             size_t* consumed)
{
  out.clear();
  if (consumed) *consumed = 0;
  z_stream z{};
  if (inflateInit(&z) != Z_OK) {
    error = "Decompression error";
    return false;
  }
  z.next_in = const_cast<Bytef*>(data.data());
  z.avail_in = static_cast<uInt>(data.size());
  uint8_t chunk[64 * 1024];
  int rc;
  do {
    z.next_out = chunk;
    z.avail_out = sizeof chunk;
    rc = inflate(&z, Z_NO_FLUSH);
    if (rc != Z_OK && rc != Z_STREAM_END) break;
    size_t got = sizeof chunk - z.avail_out;
    if (out.size() + got > limit) {
      rc = Z_MEM_ERROR;
      error = "Decompressed project is too large";
      break;
    }
    out.insert(out.end(), chunk, chunk + got);
    if (rc == Z_OK && got == 0 && z.avail_in == 0) {
      rc = Z_BUF_ERROR;  // input ended before the stream did
      break;
    }
  } while (rc != Z_STREAM_END);
  if (rc != Z_STREAM_END && error.empty()) {
    if (rc == Z_BUF_ERROR || (rc == Z_OK && z.avail_in == 0)) error = "Compressed data is truncated";
    else error = std::string("Decompression error: ") + (z.msg ? z.msg : "invalid data");
  }
  if (consumed) *consumed = data.size() - z.avail_in;
  inflateEnd(&z);
  if (rc != Z_STREAM_END) {
    out.clear();
    return false;
  }
  return true;
}


static bool ReadProjectBytes(TZmHMI& root, std::span<const uint8_t> bytes, std::string& error)
{
  if (bytes.size() < 4 || std::memcmp(bytes.data(), kProjectMagic, 4) != 0) {
    error = "not a project file (bad magic)";
    return false;
  }
  try {
    TZmStream file(std::vector<uint8_t>(bytes.begin(), bytes.end()));
    file.Seek(4);
    TZmFileInf info;
    SerializeObjectTo(&info, TZmSerialization::Read, file);
    std::vector<uint8_t> body;
    size_t used = 0;
    std::span<const uint8_t> compressed = bytes.subspan(file.Position());
    if (!Inflate(compressed, kMaxProjectBody, body, error, &used)) return false;
    if (used < compressed.size())
      AddLoadWarning("The file has " + std::to_string(compressed.size() - used) +
                     " bytes after its compressed project data; they are ignored and not saved with the project.");
    TZmStream records(std::move(body));
    std::string rootClass = records.Remaining() >= 4 ? ReadText(records) : std::string();
    if (!EqualsNoCase(rootClass, root.ClassName())) {
      error = rootClass.empty() ? "not a project: the file holds no project record"
                                : "not a project: the file holds a " + rootClass + " record";
      return false;
    }
    records.Seek(0);
    SerializeObjectTo(&root, TZmSerialization::Read, records);
  } catch (const EZmStreamError& e) {
    error = e.what();
    return false;
  } catch (const std::bad_alloc&) {
    error = "not enough memory to read the project";
    return false;
  } catch (const std::exception& e) {
    error = std::string("the project could not be read: ") + e.what();
    return false;
  }
  return true;
}

bool LoadProjectFromBytes(TZmHMI& root, std::span<const uint8_t> bytes, std::string& error,
                          std::vector<std::string>* warnings)
{
  error.clear();
  TZmLoadWarnings collected;
  bool ok = ReadProjectBytes(root, bytes, error);
  if (warnings) *warnings = std::move(collected.List);
  if (ok) return true;
  // Nothing half-read may look like a loaded project.
  ClearProject(root);
  return false;
}

bool LoadProject(TZmHMI& root, const std::string& path, std::string& error, std::vector<std::string>* warnings)
{
  std::vector<uint8_t> bytes;
  if (!ReadWholeFile(path, bytes, error)) {
    ClearProject(root);
    return false;
  }
  if (!LoadProjectFromBytes(root, bytes, error, warnings)) {
    error = path + ": " + error;
    return false;
  }
  return true;
}

std::vector<uint8_t> SaveProjectToBytes(TZmHMI& root)
{
  TZmStream record;
  SerializeObjectTo(&root, TZmSerialization::Write, record);
  TZmStream file;
  file.Write(kProjectMagic, 4);
  TZmFileInf info;
  SerializeObjectTo(&info, TZmSerialization::Write, file);
  file.Write(Deflate(record.Bytes()));
  return std::move(file.Buffer());
}

std::string WithProjectExtension(const std::string& path)
{
  size_t slash = path.find_last_of('/');
  size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || dot < nameStart || dot == nameStart) return path + kProjectExtension;
  return path.substr(0, dot) + kProjectExtension;
}

bool SaveProject(TZmHMI& root, const std::string& path, std::string& error, std::string* savedPath)
{
  std::string target = WithProjectExtension(path);
  if (savedPath) *savedPath = target;
  std::vector<uint8_t> bytes = SaveProjectToBytes(root);
  return WriteFileAtomic(target, bytes, error);
}
