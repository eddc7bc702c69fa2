#pragma once
// The compile context that every WriteROM writes through: the image being
// built, the slots and fix-ups, the deferred references to shared resources
// and their merging, and the messages. Byte-identical resources are stored
// once; references are resolved to image offsets when the resource area is
// written.
//
// The context knows nothing of projects, devices or pictures: it sits just
// above base/. What an object needs from the compile driver (register
// collections, expressions, glyph tables) it asks through the virtual
// operations below, which a bare context answers with "nothing known"; the
// driver in compiler/ overrides them.
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "base/Stream.h"

class TZmPersistentROM;
class TZmPersistent;
class TZmMessages;
class TZmResGroup;

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

class TZmResGroups {
public:
  explicit TZmResGroups(TZmCompiler& owner) : Compiler(owner) {}
  // 0 for no object; otherwise the item number OR kind, equal stored forms sharing one item.
  uint32_t AddResource(uint32_t kind, TZmPersistentROM* object);
  TZmResGroup* Group(uint32_t kind, bool create);
  void Reset();
  // Writes every item's record in kind order, then resolves every deferred word.
  void WriteAll(TZmCompiler& compiler);

  std::vector<size_t> Slots;  // image positions of deferred words
  std::vector<std::unique_ptr<TZmResGroup>> Groups;

private:
  TZmCompiler& Compiler;
};

class TZmCompiler {
public:
  TZmCompiler();
  virtual ~TZmCompiler();
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
  // A scene tells where its record starts; the 0x90-0x92 fix-ups resolve
  // to it. The first scene recorded under an ID keeps it.
  void RecordScene(int32_t id, uint32_t offset) { SceneOffsets.try_emplace(id, offset); }
  // Replacement of a scene fix-up word: the scene's record (0x90-0x92) or
  // its port links (0x94); 0 for a missing scene, with message 9005 for
  // the record kinds.
  uint32_t ResolveSceneWord(uint32_t word);
  virtual void Reset();
  // ReplicateColor with the model's bits per pixel; unchanged without a model.
  uint32_t ReplicateColor(uint32_t value) const;

  // ---- What objects ask of the compile driver. A bare context registers
  // nothing, resolves nothing and knows no scene.

  // The registration step of a binding's address: adds it to the owner's
  // scene collection (when polled there) and to the global one, and reports
  // an empty required or rejected address on the owner's information line.
  // An alarm's address goes to every scene. True when accepted.
  virtual bool Report(TZmPersistent* owner, int32_t line, bool perScene, int32_t count, const std::string& text,
                      int32_t acceptedKinds, int32_t dataType, bool required);
  // The registration of a read expression: its operands (or, when it does
  // not parse, the whole text as one address), and a program too deep for
  // the panel's stack reported on the owner's line.
  virtual void RegisterExpression(TZmPersistent* owner, int32_t line, const std::string& text, int32_t dataType,
                                  bool required);
  // The compiled program of a read expression with every address resolved;
  // empty when it cannot be made.
  virtual std::vector<uint32_t> ExpressionProgram(const std::string& text, uint32_t dataType);
  // The register reference of a registered address; false when unknown.
  virtual bool RegisterReference(const std::string& text, int32_t dataType, int32_t count, uint32_t& reference);
  // The record of a write target: port, frame offset, map offset,
  // reference, then the write frame and its reply map when one is built.
  virtual void WriteTarget(const std::string& text, int32_t dataType);
  // Lays out the register memory from byte `start` and writes the port
  // links of every scene; returns the register memory size.
  virtual int32_t LinkRegisters(int32_t start) { return start; }
  // True when the project has a scene with this ID.
  virtual bool HasScene(int32_t) { return false; }
  // A new shared resource was added (glyph strings fill their font's table).
  virtual void ResourceAdded(uint32_t, TZmPersistentROM*) {}
  // Writes the record of a resource the driver makes itself (fonts, glyph
  // strings); false lets the object's own WriteROM write it.
  virtual bool WriteResource(uint32_t, TZmPersistentROM*) { return false; }

  uint32_t Base = 0;
  TZmResGroups Resources;
  std::unique_ptr<TZmMessages> Messages;
  // Image offsets of each scene's record and port links, by scene ID.
  std::map<int32_t, uint32_t> SceneOffsets;
  std::map<int32_t, uint32_t> SceneLinks;
  // The scene whose objects are being written; none outside scenes.
  TZmPersistent* CurrentScene = nullptr;
  // Bits per pixel of the model compiled for (0: colours stay as stored).
  int32_t ColorBit = 0;
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
