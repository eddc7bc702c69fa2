#include "graphics/Text.h"

#include <algorithm>
#include <cmath>

#include "image/Context.h"
#include "graphics/Color.h"
#include "graphics/DC.h"

namespace {

template <typename T>
void DeleteAll(std::vector<T*>& v)
{
  for (T* p : v) delete p;
  v.clear();
}

// The entry lists are stored as one stream property: the list's class name,
// the count and the entries; a stream written for another class is ignored.
template <typename T>
void SerializeList(TZmSerialization& s, const char* property, const char* ownerClass, std::vector<T*>& items)
{
  TZmStream list;
  if (s.Writing()) {
    WriteObjectList(list, ownerClass, items);
    s.SerializeStream(property, list);
    return;
  }
  s.SerializeStream(property, list);
  ReadTypedList(list, ownerClass, [&] { DeleteAll(items); },
                [&]() -> TZmPersistent* { return items.emplace_back(NewObject<T>()); });
}

}  // namespace

void TZmFont::Initialize()
{
  Font = TZmFontValue{};
  Font.Name = "Tahoma";
  Font.Size = 9;
}

void TZmFontText::Initialize()
{
  Text.clear();
  Font = NewObject<TZmFont>();
}

TZmFontText::~TZmFontText() { delete Font; }

void TZmFontText::Serialize(TZmSerialization& s)
{
  s.SerializeString("Text", Text);
  s.SerializeObject("Font", Font);
}

void TZmTextScript::Initialize()
{
  Action = 1;
  Speed = -4;
}

void TZmTextScript::Serialize(TZmSerialization& s)
{
  s.SerializeUInt32("Action", Action);
  s.SerializeInt32("Speed", Speed);
}

TZmTextScripts::~TZmTextScripts() { Clear(); }

void TZmTextScripts::Clear() { DeleteAll(Scripts); }

void TZmTextScripts::Serialize(TZmSerialization& s)
{
  s.SerializeUInt32("Width", Width);
  s.SerializeUInt32("Height", Height);
  SerializeList(s, "TextScripts", ClassName(), Scripts);
}

void TZmMultiText::Initialize()
{
  Color = 0;
  Align = 4;
  Direction = 0;
  TextScriptAction = 0;
  TextScriptSpeed = 5;
  Rev = Ratote = 0;
  Option = Flash = ExternFlag = 0;
  FontText = NewObject<TZmFontText>();
  TextScripts = NewObject<TZmTextScripts>();
}

TZmMultiText::~TZmMultiText()
{
  delete FontText;
  delete TextScripts;
}

void TZmMultiText::Serialize(TZmSerialization& s)
{
  s.SerializeUInt32("Color", Color);
  s.SerializeUInt32("Align", Align);
  s.SerializeUInt32("Direction", Direction);
  s.SerializeUInt8("TextScriptAction", TextScriptAction);
  s.SerializeInt8("TextScriptSpeed", TextScriptSpeed);
  s.SerializeUInt8("Rev", Rev);
  s.SerializeUInt8("Ratote", Ratote);
  s.SerializeUInt32("Option", Option);
  s.SerializeUInt32("Flash", Flash);
  s.SerializeUInt32("ExternFlag", ExternFlag);
  s.SerializeObject("FontText", FontText);
  s.SerializeObject("TextScripts", TextScripts);
}

void TZmMultiText::WriteROM(TZmCompiler& compiler)
{
  if (TextScripts->Scripts.empty()) ExternFlag &= ~1u;
  else ExternFlag |= 1u;
  TZmStream& out = compiler.Output();
  compiler.WriteReference(resFont, FontText->Font);
  compiler.WriteReference(resGlyphString, FontText);
  out.WriteU32(compiler.ReplicateColor(Color));
  out.WriteU32(Align);
  out.WriteU32(Direction);
  out.WriteU8(TextScriptAction);
  out.WriteI8(TextScriptSpeed);
  out.WriteU8(Rev);
  out.WriteU8(Ratote);
  out.WriteU32(Option);
  out.WriteU32(Flash);
  out.WriteU32(ExternFlag);
}

static TZmTextStyle StyleOf(const TZmMultiText& t)
{
  TZmTextStyle style;
  const TZmFontValue& f = t.FontText->Font->Font;
  style.Font = TZmFontSpec{f.Name, f.Size, f.Charset, f.Style};
  style.Color = t.Color;
  style.Align = static_cast<int32_t>(t.Align);
  style.Option = static_cast<int32_t>(t.Option);
  style.Text = t.FontText->Text;
  return style;
}

void TZmMultiText::Draw(TZmDC& dc, int32_t left, int32_t top, int32_t right, int32_t bottom, const TZmIdentitySource* ids,
                        int32_t colorOption, bool multiLine, const std::string& overrideText) const
{
  dc.DrawText(colorOption, left, top, right, bottom, StyleOf(*this), ids, multiLine, overrideText);
}

TZmTextSize TZmMultiText::Measure(TZmDC& dc, const std::string& overrideText) const
{
  return dc.MeasureText(StyleOf(*this), overrideText);
}

void TZmMultiText::ChangeColorFormat(int32_t from, int32_t to) { Color = ConvertPanelColor(from, to, Color); }

void TZmMultiText::ScaleFont(double sx, double sy)
{
  double size = std::trunc(std::min(sx, sy) * FontText->Font->Font.Size + 0.5);
  FontText->Font->Font.Size = static_cast<int32_t>(std::clamp(size, -32768.0, 32767.0));
}

void TZmMultiTexts::Initialize() { Add(); }

TZmMultiTexts::~TZmMultiTexts() { Clear(); }

TZmMultiText* TZmMultiTexts::Add() { return Items.emplace_back(NewObject<TZmMultiText>()); }

void TZmMultiTexts::Clear() { DeleteAll(Items); }

void TZmMultiTexts::Serialize(TZmSerialization& s) { SerializeList(s, "MultiTexts", ClassName(), Items); }

void TZmMultiTexts::WriteROM(TZmCompiler& compiler)
{
  compiler.Output().WriteU32(static_cast<uint32_t>(Items.size()));
  for (TZmMultiText* t : Items) compiler.WriteReference(resText, t);
}

void TZmMultiTexts::ChangeColorFormat(int32_t from, int32_t to)
{
  for (TZmMultiText* t : Items) t->ChangeColorFormat(from, to);
}

void TZmMultiTexts::ScaleFont(double sx, double sy)
{
  for (TZmMultiText* t : Items) t->ScaleFont(sx, sy);
}
