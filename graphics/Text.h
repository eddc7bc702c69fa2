#pragma once
// Texts of screen objects: a text with its font, colour, alignment, flashing
// and scrolling settings, and lists of such entries (one per state).
#include <cstdint>
#include <string>
#include <vector>

#include "base/Persistent.h"

class TZmDC;
class TZmIdentitySource;
struct TZmTextSize;

class TZmFont : public TZmPersistentROM {
public:
  const char* ClassName() const override { return "TZmFont"; }
  void Serialize(TZmSerialization& s) override { s.SerializeFont("Font", Font); }
  void Initialize() override;
  void WriteROM(TZmCompiler&) override {}  // fonts reach the image as font resources

  TZmFontValue Font;
};

class TZmFontText : public TZmPersistentROM {
public:
  const char* ClassName() const override { return "TZmFontText"; }
  void Serialize(TZmSerialization& s) override;
  void Initialize() override;
  void WriteROM(TZmCompiler&) override {}  // the text reaches the image as a text resource
  ~TZmFontText() override;

  std::string Text;
  TZmFont* Font = nullptr;
};

class TZmTextScript : public TZmPersistentROM {
public:
  const char* ClassName() const override { return "TZmTextScript"; }
  void Serialize(TZmSerialization& s) override;
  void Initialize() override;
  void WriteROM(TZmCompiler&) override {}

  uint32_t Action = 1;
  int32_t Speed = -4;
};

class TZmTextScripts : public TZmPersistentROM {
public:
  const char* ClassName() const override { return "TZmTextScripts"; }
  void Serialize(TZmSerialization& s) override;
  void WriteROM(TZmCompiler&) override {}
  ~TZmTextScripts() override;
  void Clear();

  uint32_t Width = 0;
  uint32_t Height = 0;
  std::vector<TZmTextScript*> Scripts;
};

class TZmMultiText : public TZmPersistentROM {
public:
  const char* ClassName() const override { return "TZmMultiText"; }
  void Serialize(TZmSerialization& s) override;
  void Initialize() override;
  // 36 bytes: font and text resources, colour, alignment, scrolling and flags.
  void WriteROM(TZmCompiler& compiler) override;
  ~TZmMultiText() override;

  const std::string& Text() const { return FontText->Text; }
  void SetText(const std::string& text) { FontText->Text = text; }
  TZmFontValue& Font() { return FontText->Font->Font; }
  // Draws the text into the rectangle (inclusive) as the panel shows it.
  void Draw(TZmDC& dc, int32_t left, int32_t top, int32_t right, int32_t bottom, const TZmIdentitySource* ids,
            int32_t colorOption, bool multiLine, const std::string& overrideText = {}) const;
  TZmTextSize Measure(TZmDC& dc, const std::string& overrideText = {}) const;
  void ChangeColorFormat(int32_t from, int32_t to);
  void ScaleFont(double sx, double sy);

  uint32_t Color = 0;
  uint32_t Align = 4;
  uint32_t Direction = 0;
  uint8_t TextScriptAction = 0;
  int8_t TextScriptSpeed = 5;
  uint8_t Rev = 0;
  uint8_t Ratote = 0;
  uint32_t Option = 0;
  uint32_t Flash = 0;
  uint32_t ExternFlag = 0;
  TZmFontText* FontText = nullptr;
  TZmTextScripts* TextScripts = nullptr;
};

class TZmMultiTexts : public TZmPersistentROM {
public:
  const char* ClassName() const override { return "TZmMultiTexts"; }
  void Serialize(TZmSerialization& s) override;
  // A new list starts with one entry.
  void Initialize() override;
  // The count, then a reference to each entry's record.
  void WriteROM(TZmCompiler& compiler) override;
  ~TZmMultiTexts() override;

  size_t Count() const { return Items.size(); }
  TZmMultiText* Item(size_t i) const { return i < Items.size() ? Items[i] : nullptr; }
  TZmMultiText* First() const { return Item(0); }
  TZmMultiText* Add();
  void Clear();
  void ChangeColorFormat(int32_t from, int32_t to);
  void ScaleFont(double sx, double sy);

  std::vector<TZmMultiText*> Items;
};
