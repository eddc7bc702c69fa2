#pragma once
// The compiler context that every WriteROM writes through: the image being
// built, the deferred references to shared resources and their merging.
// Byte-identical resources are stored once; references are resolved to
// image offsets when the resource area is written.
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "base/Stream.h"

class TZmPersistentROM;
class TZmPersistent;
class TZmHMI;
class TZmMessages;
class TZmRegCollects;
class TZmResGroup;
class TZmScene;

class TZmResItem {
public:
  TZmResGroup* Group = nullptr;
  TZmPersistentROM* Object = nullptr;
  TZmStream Serialized;  // the object's stored form, the key for merging
  uint32_t Offset = 0;   // image offset of the written record, 0 before
};

class TZmResGroup {
public:
  uint32_t Kind = 0;  // resource kind in the top byte, low 24 bits 0
  TZmStream Scratch;
  std::vector<std::unique_ptr<TZmResItem>> Items;
};

class TZmCompiler;

class TZmResFonts;

class TZmResGroups {
public:
  TZmResGroups();
  ~TZmResGroups();
  // 0 for no object; otherwise the item number OR kind, equal stored forms sharing one item.
  uint32_t AddResource(uint32_t kind, TZmPersistentROM* object);
  TZmResGroup* Group(uint32_t kind, bool create);
  void Reset();
  // Writes every item's record in kind order, then resolves every deferred word.
  void WriteAll(TZmCompiler& compiler);

  std::vector<size_t> Slots;  // image positions of deferred words
  std::vector<std::unique_ptr<TZmResGroup>> Groups;
  std::unique_ptr<TZmResFonts> Fonts;
};

class TZmCompiler {
public:
  TZmCompiler();
  ~TZmCompiler();
  TZmCompiler(const TZmCompiler&) = delete;
  TZmCompiler& operator=(const TZmCompiler&) = delete;
  TZmStream& Output() { return Image; }
  const TZmStream& Output() const { return Image; }
  // Image offset of the next byte written.
  uint32_t Offset() const { return static_cast<uint32_t>(Image.Size()) + Base; }
  // Writes the current image size at slotBase + 4 * i (ignored outside the image).
  void PatchSlot(size_t slotBase, size_t i);
  void WriteFixup(uint32_t word);
  void WriteReference(uint32_t kind, TZmPersistentROM* object);
  // A reference written later into a word already in the image (the
  // object's stored form must be final before it is merged with others).
  void PatchReference(size_t at, uint32_t kind, TZmPersistentROM* object);
  // Replacement of a scene fix-up word: the scene's record (0x90-0x92) or
  // its port links (0x94); 0 for a missing scene, with message 9005 for
  // the record kinds.
  uint32_t ResolveSceneWord(uint32_t word);
  void Reset();
  // ReplicateColor with the project's model; unchanged without a model.
  uint32_t ReplicateColor(uint32_t value) const;

  // Image offsets of each scene's port links, by scene ID (none: 0).
  std::map<int32_t, uint32_t> SceneLinks;

  // The registration step of a binding's address: adds it to the owner's
  // scene collection (when polled there) and to the global one, and reports
  // an empty required or rejected address on the owner's information line.
  // An alarm's address goes to every scene. True when accepted.
  bool Report(TZmPersistent* owner, int32_t line, bool perScene, int32_t count, const std::string& text,
              int32_t acceptedKinds, int32_t dataType, bool required);

  TZmHMI* Project = nullptr;
  uint32_t Base = 0;
  TZmResGroups Resources;
  std::unique_ptr<TZmRegCollects> Registers;       // global: lays out the register memory
  std::unique_ptr<TZmRegCollects> SceneRegisters;  // what each scene polls
  std::unique_ptr<TZmMessages> Messages;
  // The scene whose objects are being written; none outside scenes.
  TZmScene* CurrentScene = nullptr;
  // Register memory size after the layout (internal registers included).
  int32_t RegisterTotal = 0;
  // Total size of the font records written.
  size_t FontBytes = 0;
  // Seeds the 32 header bytes the panel does not interpret.
  uint32_t RandomSeed = 1;

private:
  TZmStream Image;
};

// A colour value spread over 32 bits with the model's bits per pixel (as the
// panel's compiled colour fields hold it); unchanged for 0 bits per pixel.
uint32_t ReplicateColor(uint32_t value, int32_t colorBit);

// Resource kinds (top byte of a reference).
enum : uint32_t {
  resStatusList = 0x11000000,
  resStatus = 0x12000000,
  resTextList = 0x40000000,
  resText = 0x50000000,
  resBevel = 0x51000000,
  resSafeControl = 0x53000000,
  resReadValue = 0x54000000,
  resWriteValue = 0x55000000,
  resBrush = 0x61000000,
  resPictureBitmap = 0x62000000,
  resBevelScript = 0x63000000,
  resFont = 0x64000000,
  resGlyphString = 0x65000000,
  resNumberFormat = 0x67000000,
  resReadExpression = 0x69000000,
  resWriteExpression = 0x6A000000,
  resReadText = 0x6B000000,
  resDataArray = 0x6F000000,
  resBitmap = 0x70000000,
};
