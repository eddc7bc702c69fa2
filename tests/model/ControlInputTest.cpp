// Labels, scales, tables, pictures and the input objects: records as the
// panel runtime reads them, registration of their bindings, stored forms,
// the bounds that keep drawing finite, and what the editor paints.
#include <gtest/gtest.h>

#include <bit>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "base/Texts.h"
#include "compiler/Compiler.h"
#include "image/Messages.h"
#include "compiler/RegCollect.h"
#include "devices/Bindings.h"
#include "devices/Devices.h"
#include "devices/Model.h"
#include "devices/Protocols.h"
#include "graphics/Bevel.h"
#include "graphics/Bitmap.h"
#include "graphics/DC.h"
#include "graphics/Pen.h"
#include "graphics/Text.h"
#include "graphics/TextRaster.h"
#include "model/Controls.h"
#include "model/Inputs.h"
#include "model/Project.h"
#include "model/Registry.h"
#include "model/Scenes.h"
#include "model/StatusInf.h"
#include "ObjectFixture.h"

namespace {

// The shared panel and scene, with the texts these objects ask for and a
// fixed-cell text rasteriser for drawing.
class Controls : public ObjectFixture {
protected:
  Controls()
  {
    Texts = {
        {2601, "empty %s %s %s"},
        {2602, "bad %s %s %s"},
        {8000, "Read: "},
        {8001, "Write: "},
        {8016, "Max: "},
        {8017, "Min: "},
        {8100, "R: "},
        {8101, "W: "},
    };
  }
  std::unique_ptr<TZmDC> Surface()
  {
    auto dc = std::make_unique<TZmDC>(128, 64);
    TZmComponent::PrepareContext(*dc, scene->Model());
    dc->Clear(0xFFFF);
    dc->Text = &cells;
    return dc;
  }

  TZmFixedCellRasterizer cells{3, 5};
};

// A 16 x 8 1-bit picture with a filled left half.
void HalfFilledImage(TZmBitmap& b)
{
  b.Width = 16;
  b.Height = 8;
  b.ColorBit = 1;
  b.Image->Image.WriteZeros(PackedImageBytes(16, 8, 1));
  for (int32_t y = 0; y < 8; ++y)
    for (int32_t x = 0; x < 8; ++x) SetPackedPixel(b.Image->MutableBytes(), 16, 1, x, y, 1);
}

// Records a text run per drawn line, so tests can read what was written.
class RecordingRasterizer : public TZmFixedCellRasterizer {
public:
  RecordingRasterizer() : TZmFixedCellRasterizer(3, 5) {}
  void RenderRun(std::u32string_view run, TZmGlyphRun& out) override
  {
    Runs.emplace_back(run.begin(), run.end());
    TZmFixedCellRasterizer::RenderRun(run, out);
  }
  std::vector<std::string> Runs;
};

}  // namespace

// Every new class's record after the 28-byte header, and the controls that
// have none.
TEST_F(Controls, RecordsOfEveryClass)
{
  auto* picture = Make<TZmPicture>();
  picture->Option = 2;
  picture->ExternFlag = 0x4001;
  picture->TransparentColor = 1;
  picture->ImageLeft = -3;
  picture->ImageTop = 4;
  HalfFilledImage(*picture->Image);
  auto* empty = Make<TZmPicture>();
  auto* num = Make<TZmEditNum>(10, 30, 49, 49);
  num->ValueOffset = -7;
  struct Case {
    TZmComponent* Object;
    std::vector<Word> Words;
  };
  const Word base[] = {Ref(resBevel), Ref(resSafeControl), Ref(resWriteValue), Lit(0), Lit(0)};
  const Case cases[] = {
      {Make<TZmLabel>(), {Ref(resBevel), Ref(resTextList)}},
      {picture, {Ref(resBevel), Lit(2), Lit(0x4001), Lit(1), Lit(uint32_t(-3)), Lit(4), Ref(resPictureBitmap)}},
      {empty, {Ref(resBevel), Lit(0), Lit(0), Lit(0), Lit(0), Lit(0), Lit(0)}},
      {Make<TZmMutilStatus>(), {base[0], base[1], base[2], base[3], base[4], Ref(resStatusList)}},
      {num, {base[0], base[1], base[2], base[3], base[4], Ref(resTextList), Ref(resNumberFormat), Lit(uint32_t(-7)),
             Lit(0x3F800000)}},
  };
  for (const Case& c : cases) {
    std::vector<uint32_t> raw = RawRecord(c.Object);
    ASSERT_EQ(raw.size(), 7 + c.Words.size()) << c.Object->ClassName();
    EXPECT_EQ(raw[0], c.Object->ClassTypeCode()) << c.Object->ClassName();
    EXPECT_EQ(raw[4], uint32_t(c.Object->Rect.Top));
    EXPECT_EQ(raw[6], uint32_t(c.Object->Rect.Bottom));
    for (size_t i = 0; i < c.Words.size(); ++i) {
      uint32_t w = raw[7 + i];
      if (c.Words[i].Reference)
        EXPECT_EQ(w & 0xFF000000u, c.Words[i].Value) << c.Object->ClassName() << " +" << 28 + 4 * i;
      else
        EXPECT_EQ(w, c.Words[i].Value) << c.Object->ClassName() << " +" << 28 + 4 * i;
    }
  }
  EXPECT_EQ(RawRecord(picture)[2], 0x4001u);  // the header's flag word is the same field
  for (TZmComponent* drawnOnly : std::vector<TZmComponent*>{Make<TZmScale>(), Make<TZmTable>()}) {
    EXPECT_FALSE(drawnOnly->WritesRecord()) << drawnOnly->ClassName();
    EXPECT_TRUE(RawRecord(drawnOnly).empty()) << drawnOnly->ClassName();
  }
  // The scene's section counts and writes only the objects with records.
  compiler.Reset();
  scene->ComponentGroup->WriteROM(compiler);
  RuntimeView v{compiler.Output()};
  EXPECT_EQ(v.U32(0), 5u);
  EXPECT_EQ(scene->FocusList(), (std::vector<uint32_t>{4, 2}));  // both inputs, top to bottom
}

// Records followed through the resolved image at the runtime's offsets.
TEST_F(Controls, RecordsThroughTheRuntimeOffsets)
{
  auto* label = Make<TZmLabel>();
  label->MultiTexts->First()->SetText("Tank");
  auto* picture = Make<TZmPicture>();
  HalfFilledImage(*picture->Image);
  auto* multi = Make<TZmMutilStatus>();
  multi->WriteValue->ReadValue->Expression = "D1";
  multi->WriteValue->WriteValue->Expression = "D2";
  for (int i = 0; i < 2; ++i) {
    TZmStatusInf* s = multi->StatusInfs->Add();
    s->NumberCmp = 0;
    s->CmpValue->ReadValue->Expression = i == 0 ? "0" : "1";
  }
  auto* num = Make<TZmEditNum>();
  num->WriteValue->ReadValue->Expression = "D3";
  num->WriteValue->WriteValue->Expression = "D3";
  num->DisplayNumInf->IntWidth = 5;
  num->DisplayNumInf->FloatWidth = 1;
  num->ValueOffset = 12;
  num->ValueScaleString = "0.25";
  compiler.Reset();
  compiler.CurrentScene = scene;
  uint32_t at[4];
  TZmComponent* objects[] = {label, picture, multi, num};
  for (int i = 0; i < 4; ++i) {
    at[i] = compiler.Offset();
    objects[i]->WriteROM(compiler);
  }
  Finish();
  RuntimeView v{compiler.Output()};
  EXPECT_EQ(at[1] - at[0], 36u);
  EXPECT_EQ(at[2] - at[1], 56u);
  EXPECT_EQ(at[3] - at[2], 52u);
  EXPECT_EQ(v.U32(v.U32(at[0] + 32)), 1u);  // the label's text list: one entry
  uint32_t bitmap = v.U32(at[1] + 52);
  EXPECT_EQ(v.U32(bitmap), 16u);
  EXPECT_EQ(v.U32(bitmap + 4), 8u);
  EXPECT_EQ(v.U32(bitmap + 8), 1u);
  uint32_t states = v.U32(at[2] + 48);
  ASSERT_EQ(v.U32(states), 2u);  // two states: two references
  EXPECT_NE(v.U32(states + 4), v.U32(states + 8));
  EXPECT_EQ(v.U32(v.U32(at[2] + 36)), 3u);  // the written value's data type
  uint32_t format = v.U32(at[3] + 52);
  EXPECT_EQ(v.U32(format), 5u);
  EXPECT_EQ(v.U32(format + 4), 1u);
  EXPECT_EQ(static_cast<int32_t>(v.U32(at[3] + 56)), 12);
  EXPECT_EQ(v.F32(at[3] + 60), 0.25f);
  EXPECT_EQ(v.U32(v.U32(at[3] + 48)), 1u);
  EXPECT_EQ(v.U32(v.U32(at[3] + 32)), 9u);  // the safe control's default Power
}

// The safe control's condition, the written value and the states' operands
// get registers before the register memory is laid out; a missing write
// target is reported.
TEST_F(Controls, RegistrationOfInputBindings)
{
  auto* multi = Make<TZmMutilStatus>();
  multi->SafeControl->Condition->ReadValue->Expression = "D10";
  multi->WriteValue->ReadValue->Expression = "D11";
  multi->WriteValue->WriteValue->Expression = "D12";
  multi->StatusInfs->Add()->CmpValue->ReadValue->Expression = "D13";
  auto* num = Make<TZmEditNum>();
  num->SafeControl->Condition->ReadValue->Expression = "D14";
  num->WriteValue->ReadValue->Expression = "D15";
  num->WriteValue->MaxValue->Expression = "D16";
  num->WriteValue->WriteValue->Expression = "D17";
  compiler.Reset();
  compiler.CurrentScene = scene;
  multi->WriteROM(compiler);
  num->WriteROM(compiler);
  Finish();
  for (const char* a : {"D10", "D11", "D12", "D13", "D14", "D15", "D16", "D17"}) EXPECT_TRUE(Registered(a)) << a;
  EXPECT_EQ(MessagesOfKind(TZmMessage::Warning), 0u);
  // The safe control's condition resolves in its record.
  RuntimeView v{compiler.Output()};
  uint32_t safe = v.U32(32);
  uint32_t condition = v.U32(safe + 12);
  ASSERT_NE(condition, 0u);
  uint32_t expression = v.U32(condition + 4);
  EXPECT_GT(v.U32(expression), 0u);  // a program, not the empty one of an unknown register

  auto* blind = Make<TZmEditNum>();
  compiler.Reset();
  compiler.CurrentScene = scene;
  blind->WriteROM(compiler);
  EXPECT_EQ(MessagesOfKind(TZmMessage::Warning), 1u);  // nowhere to write the entry
}

TEST_F(Controls, InformationLinesAndSceneNotices)
{
  auto* num = Make<TZmEditNum>();
  num->WriteValue->ReadValue->Expression = "D1";
  num->WriteValue->MaxValue->Expression = "99";
  num->WriteValue->MinValue->Expression = "-5";
  num->WriteValue->WriteValue->Expression = "D2";
  EXPECT_EQ(num->GetInfoText(0x02), "Read: D1\nMax: 99\nMin: -5\nWrite: D2");
  EXPECT_EQ(num->GetInfoText(0x10), "R: D1\nW: D2");
  EXPECT_EQ(num->GetInfoText(0x00), "");
  auto* multi = Make<TZmMutilStatus>();
  TZmScene* dialog = TZmScene::Create(group);
  dialog->ID = 5;
  multi->SafeControl->DialogID = 5;
  num->SafeControl->DialogID = 5;
  scene->NotifyChange(dialog, 8, kNoticeSceneRenumbered);
  EXPECT_EQ(multi->SafeControl->DialogID, 8u);
  dialog->ID = 8;
  scene->NotifyChange(dialog, 0, kNoticeDeleted);
  EXPECT_EQ(num->SafeControl->DialogID, 0u);
}

// The scale text is read as a C-locale number; what the panel cannot use is 0.
TEST(ValueScale, ParsedAsCLocaleNumbers)
{
  struct Case {
    const char* Text;
    float Value;
  };
  const Case cases[] = {
      {"1.0", 1.0f},   {"", 0.0f},       {"1.5", 1.5f},    {"  -0.25", -0.25f}, {"+2", 2.0f},
      {"1,5", 1.0f},   {"3kg", 3.0f},    {"abc", 0.0f},    {"-", 0.0f},          {"--1", 0.0f},
      {"inf", 0.0f},   {"-INFINITY", 0.0f}, {"nan", 0.0f}, {"1e39", 0.0f},       {"1e999", 0.0f},
      {"0x10", 16.0f}, {"0x", 0.0f},     {"1e-3", 0.001f}, {"3.4e38", 3.4e38f},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseValueScale(c.Text), c.Value) << '"' << c.Text << '"';
  EXPECT_EQ(FormatValueScale(0.1), "0.1");
  EXPECT_EQ(FormatValueScale(-2.5), "-2.5");
  EXPECT_EQ(FormatValueScale(NAN), "0");
  EXPECT_EQ(ParseValueScale(FormatValueScale(1.0 / 3.0)), 1.0f / 3.0f);
}

// The same under a process locale whose decimal mark is a comma (one is
// compiled when the machine has none).
TEST(ValueScale, ProcessLocaleDoesNotMatter)
{
  std::string previous = std::setlocale(LC_NUMERIC, nullptr);
  const char* found = nullptr;
  for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8", "nl_NL.UTF-8", "ru_RU.UTF-8"})
    if (std::setlocale(LC_NUMERIC, name)) {
      found = name;
      break;
    }
  // None installed: compile one from the locale sources into a scratch
  // folder, so the case runs on a bare machine too.
  std::string scratch;
  if (!found) {
    scratch = testing::TempDir() + "kestrava-locale";
    const std::string cmd = "mkdir -p '" + scratch + "' && localedef -i de_DE -f UTF-8 '" + scratch +
                            "/de_DE.UTF-8' >/dev/null 2>&1";
    if (std::system(cmd.c_str()) == 0 || std::filesystem::exists(scratch + "/de_DE.UTF-8/LC_NUMERIC")) {
      setenv("LOCPATH", scratch.c_str(), 1);
      if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8")) found = "de_DE.UTF-8 (compiled here)";
      unsetenv("LOCPATH");
    }
  }
  if (!found) GTEST_SKIP() << "no locale with a decimal comma is installed or can be compiled";
  // The locale really is in force: the C library now stops at the full stop.
  const double plain = std::strtod("1.5", nullptr);
  float half = ParseValueScale("1.5");
  std::string text = FormatValueScale(1.5);
  std::setlocale(LC_NUMERIC, previous.c_str());
  EXPECT_EQ(plain, 1.0) << found;
  EXPECT_EQ(half, 1.5f) << found;
  EXPECT_EQ(text, "1.5") << found;
}

TEST_F(Controls, ValueScaleBytesInTheRecord)
{
  auto* num = Make<TZmEditNum>();
  struct Case {
    const char* Text;
    uint32_t Bits;
  };
  const Case cases[] = {{"1.0", 0x3F800000}, {"", 0}, {"-2", 0xC0000000}, {"inf", 0}, {"1e40", 0}};
  for (const Case& c : cases) {
    num->ValueScaleString = c.Text;
    std::vector<uint32_t> raw = RawRecord(num);
    ASSERT_EQ(raw.size(), 16u);
    EXPECT_EQ(raw[15], c.Bits) << '"' << c.Text << '"';
    const uint8_t* bytes = compiler.Output().Data() + 60;
    if (c.Bits == 0x3F800000) {
      EXPECT_EQ((std::vector<uint8_t>(bytes, bytes + 4)), (std::vector<uint8_t>{0, 0, 0x80, 0x3F}));
    }
  }
  // An empty scale text is not stored, and reads back empty: it compiles as 0.
  RegisterModelClasses();
  num->ValueScaleString = "";
  TZmStream s;
  SerializeObjectTo(num, TZmSerialization::Write, s);
  std::unique_ptr<TZmPersistent> copy(GetClass("TZmEditNum")());
  s.Seek(0);
  SerializeObjectTo(copy.get(), TZmSerialization::Read, s);
  EXPECT_EQ(dynamic_cast<TZmEditNum*>(copy.get())->ValueScaleString, "");
  EXPECT_EQ(std::unique_ptr<TZmEditNum>(NewObject<TZmEditNum>())->ValueScaleString, "1.0");
}

TEST_F(Controls, StoredFormsRoundTrip)
{
  RegisterModelClasses();
  auto* label = Make<TZmLabel>();
  label->MultiTexts->First()->SetText("Pressure");
  auto* scale = Make<TZmScale>();
  scale->Type = 2;
  scale->ScaleInf->MasterCount = 7;
  scale->ScaleInf->Text->SetText("bar");
  auto* table = Make<TZmTable>();
  table->XCount = 3;
  table->YCount = 9;
  table->Type = 1;
  table->Pen->Width = 2;
  auto* picture = Make<TZmPicture>();
  picture->Option = 1;
  picture->TransparentColor = 1;
  picture->ImageLeft = -2;
  HalfFilledImage(*picture->Image);
  auto* multi = Make<TZmMutilStatus>();
  multi->StatusInfs->Add()->NumberCmp = 3;
  multi->WriteValue->WriteValue->Expression = "D1";
  auto* num = Make<TZmEditNum>();
  num->ValueOffset = -40;
  num->ValueScaleString = "0.5";
  num->DisplayNumInf->FloatWidth = 2;
  for (TZmComponent* o : std::vector<TZmComponent*>{label, scale, table, picture, multi, num}) {
    o->ExternFlag = 0x4000;  // the translucent-overlay mark every object may carry
    TZmStream s;
    SerializeObjectTo(o, TZmSerialization::Write, s);
    TZmClassFactory make = GetClass(o->ClassName());
    ASSERT_TRUE(make) << o->ClassName();
    std::unique_ptr<TZmPersistent> copy(make());
    s.Seek(0);
    SerializeObjectTo(copy.get(), TZmSerialization::Read, s);
    EXPECT_EQ(o->Compare(copy.get()), 0) << o->ClassName();
    auto* c = dynamic_cast<TZmComponent*>(copy.get());
    EXPECT_EQ(c->TypeCode, o->ClassTypeCode());
    EXPECT_EQ(c->ExternFlag, 0x4000u) << o->ClassName();
  }
}

// The picture's flag word and the component's were one stored entry with
// two fields, so saving or copying lost one of them. Now they are one field.
TEST_F(Controls, PictureFlagWordIsOneField)
{
  RegisterModelClasses();
  auto* picture = Make<TZmPicture>();
  picture->ExternFlag = 0x4005;
  TZmStream s;
  SerializeObjectTo(picture, TZmSerialization::Write, s);
  // Walk the stored record: class name, end, count, then named blobs.
  s.Seek(0);
  EXPECT_EQ(ReadText(s), "TZmPicture");
  uint32_t end = 0, count = 0;
  ASSERT_TRUE(s.ReadU32(end) && s.ReadU32(count));
  size_t entries = 0;
  for (uint32_t i = 0; i < count; ++i) {
    std::string name = ReadText(s);
    uint32_t length = 0;
    ASSERT_TRUE(s.ReadU32(length));
    ASSERT_LE(length, s.Remaining());
    if (name == "ExternFlag") {
      ++entries;
      ASSERT_EQ(length, 5u);
      EXPECT_EQ(s.Data()[s.Position()], 7);  // unsigned 32-bit
      EXPECT_EQ(GetU32(s.Data() + s.Position() + 1), 0x4005u);
    }
    s.Seek(s.Position() + length);
  }
  EXPECT_EQ(entries, 1u);

  std::unique_ptr<TZmPicture> copy(NewObject<TZmPicture>());
  copy->Assign(picture);
  EXPECT_EQ(copy->ExternFlag, 0x4005u);
  std::vector<uint32_t> raw = RawRecord(copy.get());
  ASSERT_EQ(raw.size(), 14u);
  EXPECT_EQ(raw[2], 0x4005u);
  EXPECT_EQ(raw[9], 0x4005u);
}

TEST_F(Controls, IconsAndNames)
{
  auto* label = Make<TZmLabel>();
  EXPECT_EQ(label->GetImageIndex(), 24);  // the one text is empty
  EXPECT_EQ(label->GetTypeTextID(), 7411);
  label->MultiTexts->Add()->SetText("Level");
  EXPECT_EQ(label->GetImageIndex(), 23);
  EXPECT_EQ(label->GetTypeTextID(), 7009);
  label->MultiTexts->Clear();
  EXPECT_EQ(label->GetImageIndex(), 24);
  struct Case {
    TZmComponent* Object;
    int32_t Icon, Text;
  };
  const Case cases[] = {{Make<TZmScale>(), 25, 7010},      {Make<TZmTable>(), 26, 7011},
                        {Make<TZmPicture>(), 27, 7012},    {Make<TZmMutilStatus>(), -1, 7301},
                        {Make<TZmEditNum>(), -1, 7302}};
  for (const Case& c : cases) {
    EXPECT_EQ(c.Object->GetImageIndex(), c.Icon) << c.Object->ClassName();
    EXPECT_EQ(c.Object->GetTypeTextID(), c.Text) << c.Object->ClassName();
  }
}

// Scaling and colour conversion reach every part, also of the two input
// objects, which now behave like the other objects.
TEST_F(Controls, ScaleAndColorFormatReachEveryPart)
{
  auto* multi = Make<TZmMutilStatus>(10, 10, 29, 19);
  TZmStatusInf* state = multi->StatusInfs->Add();
  state->MultiTexts->First()->Font().Size = 10;
  state->Brush->Color = 0xFFFF;
  auto* num = Make<TZmEditNum>(10, 20, 29, 29);
  num->MultiTexts->First()->Font().Size = 10;
  num->MultiTexts->First()->Color = 0xFFFF;
  num->Bevel->InColor = 0xFFFF;
  auto* label = Make<TZmLabel>(40, 10, 59, 19);
  label->MultiTexts->First()->Font().Size = 10;
  label->MultiTexts->First()->Color = 0xFFFF;
  auto* picture = Make<TZmPicture>();
  picture->TransparentColor = 0xFFFF;
  // A 3 x 2 RGB565 picture, white but for one black pixel, and a state
  // picture whose bytes were cut short (left as stored).
  TZmBitmap& image = *picture->Image;
  image.Width = 3;
  image.Height = 2;
  image.ColorBit = 16;
  image.Image->Image.WriteZeros(PackedImageBytes(3, 2, 16));
  for (int32_t y = 0; y < 2; ++y)
    for (int32_t x = 0; x < 3; ++x) SetPackedPixel(image.Image->MutableBytes(), 3, 16, x, y, x == 1 && y == 1 ? 0 : 0xFFFF);
  TZmBitmap& cut = *state->Image;
  cut.Width = 8;
  cut.Height = 8;
  cut.ColorBit = 16;
  cut.Image->Image.WriteZeros(10);
  auto* scale = Make<TZmScale>();
  scale->ScaleInf->Pen->Color = 0xFFFF;
  scale->ScaleInf->Text->Color = 0xFFFF;
  auto* table = Make<TZmTable>();
  table->Pen->Color = 0xFFFF;
  multi->Scale(2.0, 2.0);
  num->Scale(2.0, 2.0);
  label->Scale(2.0, 2.0);
  EXPECT_EQ(multi->Rect, (TZmRectValue{20, 20, 58, 38}));
  EXPECT_EQ(num->Rect, (TZmRectValue{20, 40, 58, 58}));
  EXPECT_EQ(label->Rect, (TZmRectValue{80, 20, 118, 38}));
  for (TZmMultiText* t : {state->MultiTexts->First(), num->MultiTexts->First(), label->MultiTexts->First()})
    EXPECT_NE(t->Font().Size, 10);
  // RGB565 white carried over to the 1-bit format is 0.
  for (TZmComponent* o : std::vector<TZmComponent*>{multi, num, label, picture, scale, table}) o->ChangeColorFormat(1, 7);
  EXPECT_EQ(state->Brush->Color, 0u);
  EXPECT_EQ(num->MultiTexts->First()->Color, 0u);
  EXPECT_EQ(num->Bevel->InColor, 0u);
  EXPECT_EQ(label->MultiTexts->First()->Color, 0u);
  EXPECT_EQ(picture->TransparentColor, 0u);
  ASSERT_EQ(image.ColorBit, 1);
  ASSERT_EQ(image.Image->Size(), PackedImageBytes(3, 2, 1));
  for (int32_t y = 0; y < 2; ++y)
    for (int32_t x = 0; x < 3; ++x) EXPECT_EQ(image.Pixel(x, y), x == 1 && y == 1 ? 1u : 0u) << x << "," << y;
  EXPECT_EQ(cut.ColorBit, 16);
  EXPECT_EQ(cut.Image->Size(), 10u);
  EXPECT_EQ(scale->ScaleInf->Pen->Color, 0u);
  EXPECT_EQ(scale->ScaleInf->Text->Color, 0u);
  EXPECT_EQ(table->Pen->Color, 0u);
}

// ---- drawing

// Rows of column x that hold a set (non-white) pixel.
std::vector<int32_t> SetRows(const TZmDC& dc, int32_t x)
{
  std::vector<int32_t> rows;
  for (int32_t y = 0; y < dc.Height(); ++y)
    if (dc.RawPixel(x, y) != 0xFFFF) rows.push_back(y);
  return rows;
}
std::vector<int32_t> SetColumns(const TZmDC& dc, int32_t y)
{
  std::vector<int32_t> columns;
  for (int32_t x = 0; x < dc.Width(); ++x)
    if (dc.RawPixel(x, y) != 0xFFFF) columns.push_back(x);
  return columns;
}

TEST_F(Controls, ScaleTicksAndLabels)
{
  auto* scale = Make<TZmScale>(10, 4, 40, 52);  // 48 pixels high: 12 intervals of 4
  scale->ScaleInf->Pen->Color = 1;
  scale->ScaleInf->FOption = 1;  // ticks only
  RecordingRasterizer text;
  auto dc = Surface();
  scale->Paint(*dc, nullptr, 1, false);
  std::vector<int32_t> ticks = SetRows(*dc, 10), majors = SetRows(*dc, 40), minors = SetRows(*dc, 25);
  EXPECT_EQ(ticks.size(), 13u);
  EXPECT_EQ(majors, (std::vector<int32_t>{4, 16, 28, 40, 52}));
  EXPECT_EQ(minors.size(), 13u);  // minor ticks end at the middle (column 25)
  EXPECT_EQ(SetRows(*dc, 26), majors);
  EXPECT_EQ(ticks.front(), 4);
  EXPECT_EQ(ticks.back(), 52);

  // Labels, Max at the top to Min at the bottom; the unit follows the number.
  scale->ScaleInf->FOption = 7;
  scale->ScaleInf->Max = 200;
  scale->ScaleInf->Min = -200;
  scale->ScaleInf->FloatWidth = 1;
  scale->ScaleInf->Text->SetText("%");
  root->Configuration->Sdecimal = 44;
  dc = Surface();
  dc->Text = &text;
  scale->Paint(*dc, nullptr, 1, false);
  EXPECT_EQ(text.Runs, (std::vector<std::string>{"20,0%", "10,0%", "0,0%", "-10,0%", "-20,0%"}));

  // One major tick (or none) draws nothing, not even the frame.
  for (int32_t count : {1, 0, -5}) {
    scale->ScaleInf->MasterCount = count;
    scale->Bevel->ID = 0x10001;
    dc = Surface();
    scale->Paint(*dc, nullptr, 0, false);
    for (int32_t y = 0; y < 64; ++y) EXPECT_TRUE(SetColumns(*dc, y).empty()) << count;
  }
}

// Counts from files: negative minors, huge counts and extreme limits draw a
// bounded number of ticks, with labels computed without overflow.
TEST_F(Controls, ScaleCountsAreBounded)
{
  auto* scale = Make<TZmScale>(0, 0, 127, 63);
  scale->ScaleInf->Pen->Color = 1;
  struct Case {
    int32_t Major, Minor;
    int64_t Intervals;
  };
  const Case cases[] = {{5, 2, 12},       {5, -1, 4},          {5, -100, 4},          {2, 0, 1},
                        {1, 5, 0},        {INT32_MAX, 0, 100}, {3, INT32_MAX, 200},   {INT32_MIN, 3, 0}};
  for (const Case& c : cases) {
    scale->ScaleInf->MasterCount = c.Major;
    scale->ScaleInf->SlaveCount = c.Minor;
    EXPECT_EQ(scale->TickIntervals(), c.Intervals) << c.Major << "/" << c.Minor;
  }
  scale->ScaleInf->Max = INT32_MAX;
  scale->ScaleInf->Min = INT32_MIN;
  EXPECT_EQ(scale->LabelValue(0, 4), INT32_MAX);
  EXPECT_EQ(scale->LabelValue(2, 4), 0);  // (Max - Min) does not fit in 32 bits
  EXPECT_EQ(scale->LabelValue(4, 4), INT32_MIN);
  scale->ScaleInf->FloatWidth = 1000;
  EXPECT_LT(scale->LabelText(INT32_MIN).size(), 40u);
  // Drawing the largest bounded scale finishes, labels and all.
  scale->ScaleInf->MasterCount = INT32_MAX;
  scale->ScaleInf->SlaveCount = INT32_MAX;
  scale->ScaleInf->FloatWidth = 0;
  auto dc = Surface();
  scale->Paint(*dc, nullptr, 0, false);
  scale->Type = 1;
  scale->Paint(*dc, nullptr, 0, false);
}

TEST_F(Controls, TableLines)
{
  auto* table = Make<TZmTable>(10, 5, 110, 45);  // client 100 x 40
  table->Pen->Color = 1;
  table->YCount = 4;
  auto dc = Surface();
  table->Paint(*dc, nullptr, 1, false);  // drawn in every mode: it lives in the background
  EXPECT_EQ(SetColumns(*dc, 20), (std::vector<int32_t>{10, 30, 50, 70, 90, 110}));
  EXPECT_EQ(SetRows(*dc, 20), (std::vector<int32_t>{5, 15, 25, 35, 45}));
  table->Type = 1;  // a diagonal in the first cell
  dc = Surface();
  table->Paint(*dc, nullptr, 0, false);
  EXPECT_NE(dc->RawPixel(20, 10), 0xFFFF);
  EXPECT_EQ(dc->RawPixel(40, 10), 0xFFFF);
  // Counts of 0 draw the frame's cell; counts beyond the pixels fill every
  // column once, and finish.
  struct Case {
    uint32_t X, Y;
    size_t Columns;
  };
  const Case cases[] = {{0, 0, 2}, {1, 1, 2}, {100, 4, 101}, {0xFFFFFFFF, 0xFFFFFFFF, 101}};
  table->Type = 0;
  for (const Case& c : cases) {
    table->XCount = c.X;
    table->YCount = c.Y;
    dc = Surface();
    table->Paint(*dc, nullptr, 0, false);
    EXPECT_EQ(SetColumns(*dc, 20).size(), c.Columns) << c.X;
  }
  EXPECT_EQ(TZmTable::CellsAcross(0, 100), 1);
  EXPECT_EQ(TZmTable::CellsAcross(7, 0), 1);
  EXPECT_EQ(TZmTable::CellsAcross(0xFFFFFFFF, 100), 100);
  EXPECT_EQ(TZmTable::CellsAcross(0xFFFFFFFF, int64_t(UINT32_MAX)), TZmTable::kMaxCells);
}

// Objects outside a scene keep whatever rectangle a file gave them; the
// widest ones with the largest counts still draw in bounded work, and
// reach the surface where they cover it: drawn for hit testing, they are
// hit on every pixel (a wrapped width would leave holes or nothing).
TEST_F(Controls, ExtremeRectanglesOutsideAScene)
{
  std::unique_ptr<TZmTable> table(NewObject<TZmTable>());
  table->SetBounds(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX);
  table->XCount = table->YCount = 0xFFFFFFFF;
  table->Type = 1;
  std::unique_ptr<TZmScale> scale(NewObject<TZmScale>());
  scale->SetBounds(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX);
  scale->ScaleInf->MasterCount = INT32_MAX;
  scale->ScaleInf->SlaveCount = INT32_MAX;
  scale->ScaleInf->Max = INT32_MAX;
  scale->ScaleInf->Min = INT32_MIN;
  const TZmRectValue whole{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX};
  EXPECT_EQ(table->Rect, whole);
  EXPECT_EQ(scale->Rect, whole);
  auto hitEverywhere = [&](TZmComponent* c) {
    auto dc = Surface();
    c->Paint(*dc, nullptr, 0, false);  // as the editor shows it
    TZmComponentRefs collector;
    collector.Add(c);
    c->Paint(*dc, &collector, 0, false);  // as the editor hit-tests it
    int hit = 0;
    for (uint16_t p : dc->Pixels()) hit += p == 0xF000;
    return hit;
  };
  EXPECT_EQ(hitEverywhere(table.get()), 128 * 64);
  for (uint32_t type : {0u, 1u, 2u, 3u}) {
    scale->Type = type;
    EXPECT_EQ(hitEverywhere(scale.get()), 128 * 64) << type;
  }
}

// Labels, pictures and inputs show their content in the editor only; the
// compiler's mode leaves the bare frame for the panel to fill.
TEST_F(Controls, EditorContentAndBareFrames)
{
  auto* label = Make<TZmLabel>(4, 4, 40, 20);
  label->MultiTexts->First()->SetText("AB");
  label->MultiTexts->First()->Color = 1;
  auto* picture = Make<TZmPicture>(50, 4, 80, 20);
  HalfFilledImage(*picture->Image);
  auto* multi = Make<TZmMutilStatus>(4, 30, 40, 50);
  TZmStatusInf* s = multi->StatusInfs->Add();
  s->Brush->StyleIndex = 1;
  s->Brush->Color = 1;
  auto* num = Make<TZmEditNum>(50, 30, 100, 50);
  num->MultiTexts->First()->SetText("kept");
  num->MultiTexts->First()->Color = 1;
  num->DisplayNumInf->IntWidth = 3;
  num->DisplayNumInf->FloatWidth = 1;
  EXPECT_EQ(num->Placeholder(), "###.#");
  for (TZmComponent* o : std::vector<TZmComponent*>{label, picture, multi, num}) {
    static_cast<TZmControl*>(o)->Bevel->ID = 0x10000;
    auto editor = Surface(), frames = Surface();
    o->Paint(*editor, nullptr, 0, false);
    o->Paint(*frames, nullptr, 1, false);
    size_t shown = 0, bare = 0;
    for (int32_t y = o->Rect.Top; y <= o->Rect.Bottom; ++y)
      for (int32_t x = o->Rect.Left; x <= o->Rect.Right; ++x) {
        shown += editor->RawPixel(x, y) != 0xFFFF;
        bare += frames->RawPixel(x, y) != 0xFFFF;
      }
    EXPECT_GT(shown, bare) << o->ClassName();
  }
  EXPECT_EQ(num->MultiTexts->First()->Text(), "kept");
  // Hit testing: the picture registers and paints its identity.
  TZmComponentRefs hits;
  hits.Scene = scene;
  auto dc = Surface();
  picture->Paint(*dc, &hits, 0, true);
  ASSERT_EQ(hits.Count(), 1u);
  EXPECT_EQ(hits.FromIdentity(dc->RawPixel(60, 12)), picture);
}
