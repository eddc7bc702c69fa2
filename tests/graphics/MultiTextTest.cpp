// Multilingual texts: defaults, stored forms, compiled records, scaling.
#include <gtest/gtest.h>

#include <memory>

#include "compiler/Compiler.h"
#include "devices/Model.h"
#include "graphics/Color.h"
#include "graphics/DC.h"
#include "graphics/Text.h"
#include "graphics/TextRaster.h"
#include "model/Project.h"

TEST(MultiText, NewListAndStoredForm)
{
  std::unique_ptr<TZmMultiTexts> list(NewObject<TZmMultiTexts>());
  ASSERT_EQ(list->Count(), 1u);
  TZmMultiText* t = list->First();
  EXPECT_EQ(t->Align, 4u);
  EXPECT_EQ(t->TextScriptSpeed, 5);
  EXPECT_EQ(t->Text(), "");
  EXPECT_EQ(list->Item(1), nullptr);

  t->SetText(std::string("Pump \xF0\x9F\x98\x80 ") + "\xED\xA0\x80");  // a pair and an unpaired surrogate
  t->Color = 0x1234;
  t->Font().Name = "DejaVu Sans";
  t->Font().Style = 3;
  t->TextScriptSpeed = -3;
  TZmMultiText* second = list->Add();
  second->SetText("Second");
  second->TextScripts->Scripts.push_back(NewObject<TZmTextScript>());

  std::unique_ptr<TZmMultiTexts> copy(NewObject<TZmMultiTexts>());
  copy->Assign(list.get());
  ASSERT_EQ(copy->Count(), 2u);
  EXPECT_EQ(copy->Compare(list.get()), 0);
  EXPECT_EQ(copy->First()->Text(), t->Text());
  EXPECT_EQ(copy->First()->TextScriptSpeed, -3);
  EXPECT_EQ(copy->Item(1)->TextScripts->Scripts.size(), 1u);
  EXPECT_EQ(copy->Item(1)->TextScripts->Scripts[0]->Speed, -4);

  // The colour is stored with the 4-byte integer tag, not the colour tag.
  TZmStream rec;
  SerializeObjectTo(t, TZmSerialization::Write, rec);
  rec.Seek(0);
  TZmSerialization reread(t, &rec, TZmSerialization::Read);
  EXPECT_EQ(reread.Properties().at("Color").Bytes()[0], tagUInt32);
  EXPECT_EQ(reread.Properties().at("TextScriptSpeed").Bytes()[0], tagInt8);

  // A list stream written for another class leaves the list as it was.
  class TOther : public TZmMultiTexts {
  public:
    const char* ClassName() const override { return "TZmMultiTexts"; }
    void Serialize(TZmSerialization& s) override
    {
      TZmStream stream;
      WriteObjectList(stream, "TZmOtherTexts", Items);
      s.SerializeStream("MultiTexts", stream);
    }
  } other;
  other.Initialize();
  copy->Assign(&other);
  EXPECT_EQ(copy->Count(), 2u);
}

TEST(MultiText, ScaleFontAndColourFormat)
{
  std::unique_ptr<TZmMultiTexts> list(NewObject<TZmMultiTexts>());
  list->First()->Font().Size = 9;
  list->ScaleFont(0.5, 2.0);
  EXPECT_EQ(list->First()->Font().Size, 5);
  list->ScaleFont(1.5, 1.5);
  EXPECT_EQ(list->First()->Font().Size, 8);  // 7.5 rounds half up
  list->First()->Color = 0xF800;
  list->ChangeColorFormat(1, 1);
  EXPECT_EQ(list->First()->Color, 0xF800u);
}

TEST(MultiText, CompiledRecords)
{
  struct Case {
    uint32_t v;
    int32_t bits;
    uint32_t out;
  } cases[] = {{1, 1, 0xFFFFFFFF}, {0x1234, 16, 0x12341234}, {0x1234, 0, 0x1234}, {2, 2, 0xAAAAAAAA},
               {0xABCDEF, 24, 0xEFABCDEF}, {0x89ABCDEF, 32, 0x89ABCDEF}, {5, 3, 0x6DB6DB6D}};
  for (const auto& c : cases) EXPECT_EQ(ReplicateColor(c.v, c.bits), c.out) << c.bits;

  auto model = std::make_unique<TZmModel>();
  model->ID = 4711;
  model->ColorBit = 1;
  TZmModels::Global().Add(std::move(model));
  std::unique_ptr<TZmHMI> root(NewObject<TZmHMI>());
  root->ModelID = 4711;
  TZmCompileDriver c;
  c.ColorBit = 1;

  std::unique_ptr<TZmMultiTexts> list(NewObject<TZmMultiTexts>());
  TZmMultiText* t = list->First();
  t->Color = 1;
  t->Option = 0x8001;
  t->ExternFlag = 1;  // no scripts: cleared before writing
  list->WriteROM(c);
  c.Resources.WriteAll(c);
  const auto& img = c.Output().Buffer();
  ASSERT_GT(img.size(), 8u + 36u);
  EXPECT_EQ(GetU32(&img[0]), 1u);
  EXPECT_EQ(GetU32(&img[4]), 8u);  // reference resolved to the record
  // Font table and glyph string follow as resources; an empty text has no glyphs.
  EXPECT_GE(GetU32(&img[8]), 44u);
  EXPECT_EQ(GetU32(&img[GetU32(&img[12])]), 0u);
  EXPECT_EQ(GetU32(&img[8 + 8]), 0xFFFFFFFFu);
  EXPECT_EQ(GetU32(&img[8 + 12]), 4u);
  EXPECT_EQ(img[8 + 21], 5);
  EXPECT_EQ(GetU32(&img[8 + 24]), 0x8001u);
  EXPECT_EQ(GetU32(&img[8 + 32]), 0u);
  t->TextScripts->Scripts.push_back(NewObject<TZmTextScript>());
  TZmCompileDriver c2;
  t->WriteROM(c2);
  EXPECT_EQ(t->ExternFlag, 1u);
  EXPECT_EQ(c2.Output().Size(), 36u);
  TZmModels::Global().Clear();
}

TEST(MultiText, DrawsThroughTheContext)
{
  TZmFixedCellRasterizer cells(4, 6);
  TZmDC dc(40, 20);
  dc.Text = &cells;
  dc.Clear(0);
  std::unique_ptr<TZmMultiText> t(NewObject<TZmMultiText>());
  t->SetText("AB");
  t->Color = 0xFFFF;
  t->Align = 0;  // top left
  t->Draw(dc, 0, 0, 39, 19, nullptr, 0, false);

  EXPECT_EQ(dc.RawPixel(0, 0), 0xFFFF);
  EXPECT_EQ(dc.RawPixel(6, 5), 0xFFFF);  // second cell
  EXPECT_EQ(dc.RawPixel(8, 0), 0);
  EXPECT_EQ(dc.RawPixel(0, 6), 0);
  EXPECT_EQ(t->Measure(dc).Width, 8);
  EXPECT_EQ(t->Measure(dc, "ABC").Width, 12);
}
