#pragma once
// The built-in library of drawing styles that pens, brushes, point objects
// and bevels refer to by number: dashes, fill patterns, point markers and
// bevel scripts. Built once, read-only afterwards; nothing of it is stored in
// projects.
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "base/Persistent.h"

class TZmDC;
class TZmIdentitySource;
class TZmBevelInf;

class TZmPenStyles;
class TZmBrushStyles;
class TZmPointStyles;
class TZmBevelScriptGroups;
class TZmBevelScriptGroup;
class TZmBevelScripts;

struct TZmPenStyle {
  TZmPenStyles* List = nullptr;
  std::string Name;
  uint32_t Mask = 0;  // the rasteriser uses the low 16 bits, bit 15 first
};

struct TZmBrushStyle {
  TZmBrushStyles* List = nullptr;
  std::string Name;
  uint8_t Pattern[8] = {};  // row 0 first, bit 7 the leftmost pixel
};

struct TZmPointStyle {
  TZmPointStyles* List = nullptr;
  std::string Name;
  uint8_t Marker[8] = {};  // rows 0..6, bit 7 the leftmost of 7 columns
};

// A list that owns its entries; lookups outside 0..count-1 give nothing.
template <typename T>
class TZmStyleList {
public:
  size_t Count() const { return Items.size(); }
  const T* Item(int32_t i) const
  {
    return i >= 0 && static_cast<size_t>(i) < Items.size() ? Items[static_cast<size_t>(i)].get() : nullptr;
  }
  T* Add()
  {
    Items.push_back(std::make_unique<T>());
    return Items.back().get();
  }

protected:
  std::vector<std::unique_ptr<T>> Items;
};

class TZmPenStyles : public TZmStyleList<TZmPenStyle> {};
class TZmBrushStyles : public TZmStyleList<TZmBrushStyle> {};
class TZmPointStyles : public TZmStyleList<TZmPointStyle> {};

// One bevel script: 16-bit little-endian words.
struct TZmBevelScript {
  TZmBevelScripts* List = nullptr;
  std::vector<uint8_t> Script;
};

// A list of scripts with an ID. Bevel records refer to it as a shared
// resource; its own compiled record is empty, its stored form (the ID) keeps
// different lists apart when equal resources are merged.
class TZmBevelScripts : public TZmPersistentROM {
public:
  const char* ClassName() const override { return "TZmBevelScripts"; }
  void Serialize(TZmSerialization& s) override;
  void WriteROM(TZmCompiler&) override {}

  size_t Count() const { return Scripts.size(); }
  const TZmBevelScript* Script(int32_t index) const;
  TZmBevelScript* Add(std::vector<uint8_t> words);

  TZmBevelScriptGroup* Group = nullptr;
  int32_t ID = 0;
  int32_t NameText = 0;  // number of the user-interface text that names the list
  std::string Description;
  std::string Name() const;

private:
  std::vector<std::unique_ptr<TZmBevelScript>> Scripts;
};

class TZmBevelScriptGroup {
public:
  TZmBevelScriptGroups* List = nullptr;
  int32_t ID = 0;
  int32_t NameText = 0;
  std::string Description;
  std::string Name() const;

  size_t Count() const { return Lists.size(); }
  TZmBevelScripts* Item(int32_t i) const;
  TZmBevelScripts* Add(int32_t id, int32_t nameText);

private:
  std::vector<std::unique_ptr<TZmBevelScripts>> Lists;
};

class TZmBevelScriptGroups : public TZmStyleList<TZmBevelScriptGroup> {
public:
  TZmBevelScriptGroup* At(int32_t i) { return const_cast<TZmBevelScriptGroup*>(Item(i)); }
};

class TZmGraphicsDB {
public:
  // The process-wide library, built on first use.
  static const TZmGraphicsDB& Global();
  TZmGraphicsDB();

  const TZmPenStyle* PenStyle(int32_t index) const { return PenStyles.Item(index); }
  const TZmBrushStyle* BrushStyle(int32_t index) const { return BrushStyles.Item(index); }
  const TZmPointStyle* PointStyle(int32_t index) const { return PointStyles.Item(index); }
  // The first list in any group with this ID.
  TZmBevelScripts* BevelScripts(int32_t id) const;

  TZmPenStyles PenStyles;
  TZmBrushStyles BrushStyles;
  TZmPointStyles PointStyles;
  TZmBevelScriptGroups BevelScriptGroups;
};

inline constexpr int32_t kBevelGroupID = 0x10000;
inline constexpr int32_t kBevelCount = 15;

// The words of built-in bevel script k (0..14); empty outside.
std::vector<uint16_t> BuiltInBevelWords(int32_t k);

struct TZmClientRect {
  int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
  bool operator==(const TZmClientRect&) const = default;
  bool Empty() const { return Left == 0 && Top == 0 && Right == 0 && Bottom == 0; }
};

// Runs a bevel script over the object rectangle and returns the client
// rectangle (all zero when the script refuses the size). Execution stops at
// the end of the script, also in the middle of an operand.
TZmClientRect RunBevelScript(std::span<const uint8_t> script, TZmDC& dc, const TZmBevelInf& bevel,
                             const TZmIdentitySource* ids, int32_t colorOption, int32_t left, int32_t top,
                             int32_t right, int32_t bottom);
