#include "model/StatusInf.h"

#include <algorithm>
#include <cstdint>

#include "image/Context.h"
#include "devices/Bindings.h"
#include "graphics/Bitmap.h"
#include "graphics/Color.h"
#include "graphics/DC.h"
#include "graphics/Pen.h"
#include "graphics/Text.h"

void TZmStatusInf::Initialize()
{
  Brush = NewObject<TZmBrush>();
  Brush->StyleIndex = 0;
  Image = NewObject<TZmBitmap>();
  MultiTexts = NewObject<TZmMultiTexts>();
  CmpValue = NewObject<TZmReadValue>();
  CmpValue->DataType = 3;
}

TZmStatusInf::~TZmStatusInf()
{
  if (Owner) {
    auto& v = Owner->Items;
    v.erase(std::remove(v.begin(), v.end(), this), v.end());
  }
  delete Brush;
  delete Image;
  delete MultiTexts;
  delete CmpValue;
}

TZmStatusInf* TZmStatusInf::Create(TZmStatusInfs* owner)
{
  auto* s = NewObject<TZmStatusInf>();
  if (owner) owner->Append(s);
  return s;
}

void TZmStatusInf::Serialize(TZmSerialization& s)
{
  s.SerializeUInt32("Option", Option);
  s.SerializeUInt32("ExternFlag", ExternFlag);
  s.SerializeUInt32("TransparentColor", TransparentColor);
  s.SerializeInt32("ImageLeft", ImageLeft);
  s.SerializeInt32("ImageTop", ImageTop);
  s.SerializeUInt32("NumberCmp", NumberCmp);
  s.SerializeObject("Brush", Brush);
  s.SerializeObject("Image", Image);
  s.SerializeObject("MultiTexts", MultiTexts);
  s.SerializeObject("CmpValue", CmpValue);
}

void TZmStatusInf::WriteROM(TZmCompiler& compiler)
{
  TZmStream& out = compiler.Output();
  out.SeekEnd();
  out.WriteU32(Option);
  out.WriteU32(ExternFlag);
  out.WriteU32(0);
  if (Image->Width != 0 && Image->Height != 0) compiler.WriteReference(resPictureBitmap, Image);
  else out.WriteU32(0);
  out.WriteU32(TransparentColor);
  compiler.WriteReference(resTextList, MultiTexts);
  out.WriteI32(ImageLeft);
  out.WriteI32(ImageTop);
  out.WriteU32(NumberCmp);
  compiler.WriteReference(resReadValue, CmpValue);
}

void TZmStatusInf::ChangeColorFormat(int32_t from, int32_t to)
{
  Brush->ChangeColorFormat(from, to);
  Image->ChangeColorFormat(from, to);
  TransparentColor = ConvertPanelColor(from, to, TransparentColor);
  MultiTexts->ChangeColorFormat(from, to);
}

void TZmStatusInf::ScaleFont(double sx, double sy) { MultiTexts->ScaleFont(sx, sy); }

void TZmStatusInf::Paint(TZmDC& dc, const TZmIdentitySource* ids, int32_t colorOption, int32_t left, int32_t top,
                         int32_t right, int32_t bottom, int32_t textInset) const
{
  dc.Pen.Width = 0;
  Brush->Select(dc, ids, colorOption);
  dc.Rectangle(left, top, right, bottom);
  if (Image->Width > 0 && Image->Height > 0)
    Image->DrawBitmap(dc, colorOption, ImageLeft, ImageTop, ids, TransparentColor, static_cast<int32_t>(Option), left,
                      top, right, bottom);
  if (TZmMultiText* t = MultiTexts->First()) {
    // Rectangles read from a file may touch the ends of the range.
    auto inset = [](int32_t v, int64_t by) {
      return static_cast<int32_t>(std::clamp<int64_t>(v + by, INT32_MIN, INT32_MAX));
    };
    t->Draw(dc, inset(left, textInset), inset(top, textInset), inset(right, -int64_t(textInset)),
            inset(bottom, -int64_t(textInset)), ids, colorOption, false);
  }
}

// ---- the list

TZmStatusInfs::~TZmStatusInfs() { Clear(); }

void TZmStatusInfs::Append(TZmStatusInf* s)
{
  if (!s || std::find(Items.begin(), Items.end(), s) != Items.end()) return;
  s->Owner = this;
  Items.push_back(s);
}

void TZmStatusInfs::Remove(TZmStatusInf* s)
{
  auto it = std::find(Items.begin(), Items.end(), s);
  if (it == Items.end()) return;
  Items.erase(it);
  s->Owner = nullptr;
}

void TZmStatusInfs::Clear()
{
  while (!Items.empty()) delete Items.back();
}

TZmStatusInf* TZmStatusInfs::Current() const
{
  if (CurrentIndex >= 0 && static_cast<size_t>(CurrentIndex) < Items.size()) return Items[CurrentIndex];
  return Item(0);
}

void TZmStatusInfs::ChangeColorFormat(int32_t from, int32_t to)
{
  for (TZmStatusInf* s : Items) s->ChangeColorFormat(from, to);
}

void TZmStatusInfs::ScaleFont(double sx, double sy)
{
  for (TZmStatusInf* s : Items) s->ScaleFont(sx, sy);
}

void TZmStatusInfs::Serialize(TZmSerialization& s)
{
  TZmStream list;
  if (s.Writing()) {
    WriteObjectList(list, ClassName(), Items);
    s.SerializeStream("StatusInfs", list);
  } else {
    s.SerializeStream("StatusInfs", list);
    ReadTypedList(list, ClassName(), [this] { Clear(); }, [this]() -> TZmPersistent* { return Add(); });
  }
}

void TZmStatusInfs::WriteROM(TZmCompiler& compiler)
{
  TZmStream& out = compiler.Output();
  out.SeekEnd();
  out.WriteU32(static_cast<uint32_t>(Items.size()));
  for (TZmStatusInf* s : Items) compiler.WriteReference(resStatus, s);
}

void TZmStatusInfs::Register(TZmCompiler& compiler, TZmPersistent* owner)
{
  for (TZmStatusInf* s : Items)
    if (s->NumberCmp != 0 || !s->CmpValue->ReadValue->Expression.empty()) s->CmpValue->Register(compiler, owner, 7, true);
}

// ---- key codes

void TZmKeyDef::Serialize(TZmSerialization& s)
{
  s.SerializeUInt32("Normal", Normal);
  s.SerializeUInt32("Shift", Shift);
  s.SerializeUInt32("Ctrl", Ctrl);
  s.SerializeUInt32("Alt", Alt);
}

void TZmKeyDef::WriteROM(TZmCompiler& compiler)
{
  TZmStream& out = compiler.Output();
  out.SeekEnd();
  for (uint32_t v : {Normal, Shift, Ctrl, Alt}) out.WriteU32(v);
}
