// Status infos, display objects and buttons: records as the panel runtime
// reads them, registration of their bindings, scene notices, key buttons of
// the scene compiler, stored forms and editor painting.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

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
#include "graphics/Color.h"
#include "graphics/DC.h"
#include "graphics/Pen.h"
#include "graphics/Text.h"
#include "model/Buttons.h"
#include "model/Displays.h"
#include "model/Project.h"
#include "model/Registry.h"
#include "model/Scenes.h"
#include "model/StatusInf.h"
#include "ObjectFixture.h"

namespace {

// The shared panel (with previous/next keys) and scene, with the texts
// these objects ask for.
class Objects : public ObjectFixture {
protected:
  Objects()
  {
    WithKeys = true;
    Texts = {
        {2601, "empty %s %s %s"},
        {2602, "bad %s %s %s"},
        {3904, "1"},
        {3911, "4\"LW\"d0-255"},
        {9005, "kind %X screen %d"},
        {8000, "Read: "},
        {8001, "Write: "},
        {8002, "Action: "},
        {8003, "Value: "},
        {8019, "Password: "},
        {8101, "W: "},
        {8103, "V: "},
        {8104, "S: "},
        {2100, "2"},
        {2101, "0:No action"},
        {2102, "13:Password screen"},
        {6700, "2"},
        {6701, "0:Set"},
        {6702, "3:Momentary"},
        {8004, "Screen: "},
        {8018, "Length: "},
        {8100, "R: "},
        {2030, "(none)"},
    };
  }
};

}  // namespace

// Every class's record after the 28-byte header: its size and what lies at
// each offset the runtime reads.
TEST_F(Objects, RecordsOfEveryClass)
{
  auto* bar = Make<TZmBar>();
  bar->Direction = 2;
  bar->BarSize = 5;
  auto* text = Make<TZmText>();
  text->DisplayFlag->ReadValue->Expression = "D1";
  auto* page = Make<TZmButtonPage>();
  page->Page = 7;
  auto* key = Make<TZmButtonKey>();
  key->Key->Normal = 13;
  auto* fun = Make<TZmButtonFun>();
  fun->Type = 2;
  struct Case {
    TZmComponent* Object;
    std::vector<Word> Words;
  };
  const Case cases[] = {
      {Make<TZmLamp>(), {Ref(resBevel), Ref(resReadValue), Lit(0), Ref(resStatusList)}},
      {Make<TZmNum>(), {Ref(resBevel), Ref(resReadValue), Lit(0), Ref(resTextList), Ref(resNumberFormat)}},
      {text, {Ref(resBevel), Ref(resTextList), Ref(resReadValue), Ref(resReadText)}},
      {Make<TZmText>(), {Ref(resBevel), Ref(resTextList), Lit(0), Ref(resReadText)}},
      {bar, {Ref(resBevel), Ref(resReadValue), Lit(0), Ref(resBrush), Lit(2), Lit(5)}},
      {Make<TZmButton>(), {Ref(resBevel), Ref(resSafeControl), Ref(resStatusList), Lit(0), Lit(0), Ref(resWriteValue)}},
      {Make<TZmButtonSetValue>(),
       {Ref(resBevel), Ref(resSafeControl), Ref(resStatusList), Lit(0), Lit(0), Ref(resWriteValue), Ref(resNumberFormat)}},
      {page, {Ref(resBevel), Ref(resSafeControl), Ref(resStatusList), Lit(0), Lit(0), Lit(0x92000007)}},
      {fun, {Ref(resBevel), Ref(resSafeControl), Ref(resStatusList), Lit(0), Lit(0)}},
      {key, {Ref(resBevel), Ref(resSafeControl), Ref(resStatusList), Lit(0), Lit(0), Lit(13), Lit(0), Lit(0), Lit(0)}},
      {Make<TZmBtnStatusSet>(),
       {Ref(resBevel), Ref(resSafeControl), Ref(resStatusList), Lit(0), Lit(0), Ref(resWriteValue), Ref(resWriteValue)}},
      {Make<TZmButtonPwdPage>(),
       {Ref(resBevel), Ref(resSafeControl), Ref(resStatusList), Lit(0), Lit(0), Lit(0x92000000), Ref(resReadValue)}},
  };
  for (const Case& c : cases) {
    std::vector<uint32_t> raw = RawRecord(c.Object);
    ASSERT_GE(raw.size(), 7u);
    EXPECT_EQ(raw[0], c.Object->ClassTypeCode()) << c.Object->ClassName();
    EXPECT_EQ(raw[1], c.Object->Type) << c.Object->ClassName();
    EXPECT_EQ(raw[3], 10u);
    EXPECT_EQ(raw[6], 29u);
    ExpectWords(raw, c.Words, c.Object->ClassName());
  }
}

TEST_F(Objects, SystemButtonRecordsByType)
{
  auto* b = CreateComponent<TZmBtnSystem>(scene->ComponentGroupEx);
  b->KeyValue = 0x4;
  b->JumpPage = 6;
  b->Page = 8;
  b->FunType = 3;
  b->Key->Normal = 13;
  const Word safe = Ref(resSafeControl);
  struct Case {
    uint32_t Type;
    std::vector<Word> Words;
  };
  const Case cases[] = {
      {3, {Lit(4), safe, Lit(0), Lit(0), Ref(resWriteValue)}},
      {5, {Lit(4), safe, Lit(0), Lit(0), Ref(resWriteValue), Ref(resNumberFormat)}},
      {8, {Lit(4), safe, Lit(0), Lit(0), Lit(0x92000006)}},
      {12, {Lit(4), safe, Lit(0), Lit(0), Lit(0x92000006)}},
      {9, {Lit(4), safe, Lit(0), Lit(0), Lit(3)}},
      {10, {Lit(4), safe, Lit(0), Lit(0), Lit(13), Lit(0), Lit(0), Lit(0)}},
      {11, {Lit(4), safe, Lit(0), Lit(0), Ref(resWriteValue), Ref(resWriteValue)}},
      {13, {Lit(4), safe, Lit(0), Lit(0), Lit(0x92000008), Ref(resReadValue)}},
      {14, {Lit(4), safe, Lit(0), Lit(0)}},
  };
  for (const Case& c : cases) {
    b->Type = c.Type;
    std::vector<uint32_t> raw = RawRecord(b);
    ASSERT_GE(raw.size(), 7u);
    EXPECT_EQ(raw[0], 0x20005u);
    ExpectWords(raw, c.Words, ("system type " + std::to_string(c.Type)).c_str());
  }
  b->Type = 0;
  EXPECT_TRUE(RawRecord(b).empty());
}

// A system key of Type 0 writes no bytes; the section's count and the focus
// list must not count it either, or the record table and focus indexes shift.
TEST_F(Objects, SilentSystemKeysAreNotCounted)
{
  auto* silent = CreateComponent<TZmBtnSystem>(scene->ComponentGroup);
  silent->SetBounds(0, 0, 5, 5);
  auto* button = Make<TZmButtonFun>(20, 20, 40, 30);
  (void)button;
  EXPECT_EQ(scene->FocusList(), (std::vector<uint32_t>{0}));
  compiler.Reset();
  scene->ComponentGroup->WriteROM(compiler);
  RuntimeView v{compiler.Output()};
  ASSERT_EQ(v.U32(0), 1u);
  EXPECT_EQ(v.U32(v.U32(4)), 0x20002u);
}

// An object of a class this version does not know keeps the code it was
// stored with but writes no record: counting it would shift the record
// table and the focus indexes. Compiling keeps it among the key bindings.
TEST_F(Objects, UnknownObjectsAreNeitherCountedNorDropped)
{
  auto unknown = [](uint32_t code) {
    auto* u = new TZmUnknownComponent("TZmFutureButton");
    u->Initialize();
    u->TypeCode = code;
    return u;
  };
  TZmUnknownComponent* first = unknown(0x20010);
  scene->ComponentGroup->Append(first);
  first->Rect = {0, 0, 5, 5};
  Make<TZmButtonFun>(20, 20, 40, 30);
  EXPECT_EQ(scene->FocusList(), (std::vector<uint32_t>{0}));
  compiler.Reset();
  scene->ComponentGroup->WriteROM(compiler);
  RuntimeView v{compiler.Output()};
  ASSERT_EQ(v.U32(0), 1u);
  EXPECT_EQ(v.U32(v.U32(4)), 0x20002u);

  TZmUnknownComponent* key = unknown(0x20005);
  scene->ComponentGroupEx->Append(key);
  scene->UpdateKeyButtons();
  EXPECT_EQ(scene->ComponentGroupEx->IndexOf(key), 0);
  compiler.Reset();
  scene->ComponentGroupEx->WriteROM(compiler);
  RuntimeView ex{compiler.Output()};
  ASSERT_EQ(ex.U32(0), 2u);  // the previous and next keys only
  EXPECT_EQ(ex.U32(ex.U32(4)), 0x20005u);
  EXPECT_EQ(ex.U32(ex.U32(4) + 28), uint32_t(kKeyPrevious));
}

// The state list, its states and their operands followed through the
// resolved image at the offsets the runtime's lamp drawing uses.
TEST_F(Objects, LampStatesThroughTheRuntimeOffsets)
{
  auto build = [&](TZmLamp* lamp) {
    lamp->ReadValue->ReadValue->Expression = "D100";
    for (int i = 0; i < 2; ++i) {
      TZmStatusInf* s = lamp->StatusInfs->Add();
      s->NumberCmp = static_cast<uint32_t>(i);
      s->CmpValue->ReadValue->Expression = i == 0 ? "0" : "D102";
      s->ImageLeft = 3;
      s->ImageTop = -2;
      s->TransparentColor = 1;
      s->MultiTexts->First()->SetText(i == 0 ? "OFF" : "ON");
    }
  };
  auto* a = Make<TZmLamp>();
  auto* b = Make<TZmLamp>(60, 10, 99, 29);
  build(a);
  build(b);
  compiler.Reset();
  compiler.CurrentScene = scene;
  a->WriteROM(compiler);
  b->WriteROM(compiler);
  Finish();
  RuntimeView v{compiler.Output()};
  uint32_t table = v.U32(40);
  EXPECT_EQ(v.U32(44 + 40), table);  // identical lists: one record
  ASSERT_EQ(v.U32(table), 2u);
  uint32_t off = v.State(table, 0), on = v.State(table, 1);
  EXPECT_NE(off, on);
  EXPECT_EQ(v.U32(off + 12), 0u);  // no picture
  EXPECT_EQ(v.U32(off + 16), 1u);
  EXPECT_NE(v.U32(off + 20), 0u);
  EXPECT_EQ(v.U32(off + 24), 3u);
  EXPECT_EQ(static_cast<int32_t>(v.U32(off + 28)), -2);
  EXPECT_EQ(v.U32(on + 32), 1u);
  uint32_t operand = v.U32(on + 36);
  EXPECT_EQ(v.U32(operand), 3u);  // the operand's data type
  EXPECT_TRUE(Registered("D100"));
  EXPECT_TRUE(Registered("D102"));
  EXPECT_EQ(v.U32(36), 0u);  // no display condition
}

TEST_F(Objects, StatusRecordWithPictureAndKeyDefinition)
{
  auto states = std::unique_ptr<TZmStatusInfs>(NewObject<TZmStatusInfs>());
  TZmStatusInf* s = states->Add();
  s->Option = 5;
  s->ExternFlag = 0x80;
  s->Image->Width = 8;
  s->Image->Height = 2;
  s->Image->ColorBit = 1;
  s->Image->Image->Image.WriteZeros(8);
  compiler.Reset();
  s->WriteROM(compiler);
  std::vector<uint32_t> w;
  for (size_t i = 0; i < compiler.Output().Size(); i += 4) w.push_back(GetU32(compiler.Output().Data() + i));
  ASSERT_EQ(w.size(), 10u);
  EXPECT_EQ(w[0], 5u);
  EXPECT_EQ(w[1], 0x80u);
  EXPECT_EQ(w[2], 0u);
  EXPECT_EQ(w[3] & 0xFF000000u, uint32_t(resPictureBitmap));
  EXPECT_EQ(w[5] & 0xFF000000u, uint32_t(resTextList));
  EXPECT_EQ(w[9] & 0xFF000000u, uint32_t(resReadValue));
  // A state with NumberCmp 0 and no operand registers nothing; an operand is registered.
  compiler.Reset();
  compiler.CurrentScene = scene;
  states->Register(compiler, nullptr);
  EXPECT_EQ(compiler.Registers->Layout(512), 512);
  s->CmpValue->ReadValue->Expression = "D30";
  states->Register(compiler, nullptr);
  compiler.Registers->Layout(512);
  EXPECT_TRUE(Registered("D30"));
  compiler.Reset();
  TZmKeyDef key;
  key.WriteROM(compiler);
  EXPECT_EQ(compiler.Output().Size(), 16u);
  for (size_t i = 0; i < 16; ++i) EXPECT_EQ(compiler.Output().Data()[i], 0);
}

// Which binding of which object is registered, and which empty one is reported.
TEST_F(Objects, RegistrationOfBindings)
{
  auto* num = Make<TZmNum>();
  num->ReadValue->ReadValue->Expression = "D10";
  num->DisplayFlag->ReadValue->Expression = "D11";
  auto* text = Make<TZmText>();
  text->ReadText->ReadAddr = "D12";
  auto* bit = Make<TZmButton>();
  bit->WriteValue->ReadValue->Expression = "D13";
  bit->WriteValue->WriteValue->Expression = "D14";
  bit->SafeControl->Condition->ReadValue->Expression = "D15";
  auto* set = Make<TZmBtnStatusSet>();
  set->PressValue->WriteValue->Expression = "D16";
  set->ReleaseValue->WriteValue->Expression = "D17";
  auto* pwd = Make<TZmButtonPwdPage>();
  pwd->Password->ReadValue->Expression = "D18";
  auto* sys = CreateComponent<TZmBtnSystem>(scene->ComponentGroupEx);
  sys->Type = 13;
  sys->Password->ReadValue->Expression = "D19";
  compiler.Reset();
  compiler.CurrentScene = scene;
  for (TZmComponent* o : std::vector<TZmComponent*>{num, text, bit, set, pwd, sys}) o->WriteROM(compiler);
  Finish();
  for (const char* a : {"D10", "D11", "D12", "D13", "D14", "D15", "D16", "D17", "D18", "D19"})
    EXPECT_TRUE(Registered(a)) << a;
  EXPECT_EQ(MessagesOfKind(TZmMessage::Warning), 0u);
}

// A constant password needs no register memory, so it leaves the register
// area and the image as they are.
TEST_F(Objects, ConstantPasswordsRegisterNothing)
{
  auto* pwd = Make<TZmButtonPwdPage>();
  pwd->Password->ReadValue->Expression = "4711";
  auto* sys = CreateComponent<TZmBtnSystem>(scene->ComponentGroupEx);
  sys->Type = 13;
  compiler.Reset();
  compiler.CurrentScene = scene;
  pwd->WriteROM(compiler);
  sys->WriteROM(compiler);  // the preset one-digit password
  EXPECT_EQ(compiler.Registers->Layout(512), 512);
  EXPECT_EQ(compiler.Messages->Size(), 0u);
}

TEST_F(Objects, EntryButtonWithoutTargetIsReportedOnlyForTheTarget)
{
  struct Case {
    uint32_t Type;
    const char* Target;
    size_t Warnings;
  };
  // Type 0 is entered on the keypad: no value operand needed, but a target.
  const Case cases[] = {{0, "", 1}, {0, "D20", 0}, {1, "", 1}, {1, "D20", 0}};
  for (const Case& c : cases) {
    auto* b = Make<TZmButtonSetValue>();
    b->Type = c.Type;
    b->WriteValue->WriteValue->Expression = c.Target;
    compiler.Reset();
    compiler.CurrentScene = scene;
    b->WriteROM(compiler);
    EXPECT_EQ(MessagesOfKind(TZmMessage::Warning), c.Warnings) << c.Type << " " << c.Target;
    delete b;
  }
  // The hardware key's entered value (Type 5) and its fixed value (Type 6) alike.
  const Case keys[] = {{5, "", 1}, {5, "D20", 0}, {6, "", 1}};
  for (const Case& c : keys) {
    auto* k = CreateComponent<TZmBtnSystem>(scene->ComponentGroupEx);
    k->Type = c.Type;
    k->SetValueWriteValue->WriteValue->Expression = c.Target;
    compiler.Reset();
    compiler.CurrentScene = scene;
    k->WriteROM(compiler);
    EXPECT_EQ(MessagesOfKind(TZmMessage::Warning), c.Warnings) << "key " << c.Type << " " << c.Target;
    delete k;
  }
}

// Scene IDs fit in 24 bits of a scene reference; a bigger page must not
// leak into the kind byte.
TEST_F(Objects, OversizedPageIsRejected)
{
  auto* page = Make<TZmButtonPage>();
  page->Page = 0x01000005;
  std::vector<uint32_t> raw = RawRecord(page);
  ASSERT_EQ(raw.size(), 13u);
  EXPECT_EQ(raw[12], 0u);
  EXPECT_TRUE(compiler.Messages->HasErrors());
  page->Page = 0xFFFFFF;
  raw = RawRecord(page);
  EXPECT_EQ(raw[12], 0x92FFFFFFu);
}

TEST_F(Objects, PageTargetsResolveToSceneRecords)
{
  TZmScene* target = TZmScene::Create(group);
  target->ID = 9;
  auto* page = Make<TZmButtonPage>();
  page->Page = 9;
  auto* none = Make<TZmButtonPage>();
  compiler.Reset();
  compiler.RecordScene(9, 0x400);  // where the scene's record was written
  compiler.CurrentScene = scene;
  page->WriteROM(compiler);
  none->WriteROM(compiler);
  Finish();
  RuntimeView v{compiler.Output()};
  EXPECT_EQ(v.U32(48), 0x400u);
  EXPECT_EQ(v.U32(52 + 48), 0u);
  EXPECT_EQ(none->GetImageIndex(), 37);
  EXPECT_EQ(page->GetImageIndex(), 36);
}

TEST_F(Objects, SceneNoticesFollowRenumberingAndDeletion)
{
  TZmScene* five = TZmScene::Create(group);
  five->ID = 5;
  auto* page = Make<TZmButtonPage>();
  auto* pwd = Make<TZmButtonPwdPage>();
  auto* sys = CreateComponent<TZmBtnSystem>(scene->ComponentGroupEx);
  page->Page = pwd->Page = sys->JumpPage = sys->Page = 5;
  page->SafeControl->DialogID = 5;
  scene->NotifyChange(five, 7, kNoticeSceneRenumbered);
  EXPECT_EQ(page->Page, 7u);
  EXPECT_EQ(pwd->Page, 7u);
  EXPECT_EQ(sys->JumpPage, 7u);
  EXPECT_EQ(sys->Page, 7u);
  EXPECT_EQ(page->SafeControl->DialogID, 7u);
  five->ID = 7;
  scene->NotifyChange(page, 0, kNoticeDeleted);  // not a scene: nothing changes
  EXPECT_EQ(page->Page, 7u);
  scene->NotifyChange(five, 0, kNoticeDeleted + 3);
  EXPECT_EQ(page->Page, 0u);
  EXPECT_EQ(pwd->Page, 0u);
  EXPECT_EQ(sys->JumpPage, 0u);
  EXPECT_EQ(page->SafeControl->DialogID, 0u);
}

// A scene read without a valid ID (0) is renumbered: buttons without a
// target (0) must stay without one.
TEST_F(Objects, RenumberingASceneWithoutIdLeavesEmptyTargetsAlone)
{
  TZmScene* nameless = TZmScene::Create(group);
  auto* page = Make<TZmButtonPage>();
  auto* pwd = Make<TZmButtonPwdPage>();
  auto* sys = CreateComponent<TZmBtnSystem>(scene->ComponentGroupEx);
  ASSERT_TRUE(RenumberScene(*root, nameless, 4));
  EXPECT_EQ(nameless->ID, 4);
  for (uint32_t target : {page->Page, pwd->Page, sys->JumpPage, sys->Page, page->SafeControl->DialogID,
                          sys->SafeControl->DialogID})
    EXPECT_EQ(target, 0u);
}

// Previous/next keys target the neighbours in the group; a key the user
// bound to something else keeps its binding; empty bindings are dropped.
TEST_F(Objects, KeyButtonsOfTheSceneCompiler)
{
  scene->ID = 5;
  TZmScene* six = TZmScene::Create(group);
  six->ID = 6;
  TZmScene* nine = TZmScene::Create(group);
  nine->ID = 9;
  auto* silent = CreateComponent<TZmBtnSystem>(scene->ComponentGroupEx);
  silent->KeyValue = kKeyF1;
  scene->UpdateKeyButtons();
  ASSERT_EQ(scene->ComponentGroupEx->Count(), 2u);
  auto* prev = dynamic_cast<TZmBtnSystem*>(scene->ComponentGroupEx->Item(0));
  auto* next = dynamic_cast<TZmBtnSystem*>(scene->ComponentGroupEx->Item(1));
  ASSERT_TRUE(prev && next);
  EXPECT_EQ(prev->KeyValue, uint32_t(kKeyPrevious));
  EXPECT_EQ(prev->Type, 12u);
  EXPECT_EQ(prev->JumpPage, 9u);
  EXPECT_EQ(next->JumpPage, 6u);
  EXPECT_EQ(prev->Rect, (TZmRectValue{232, 10, 252, 22}));

  nine->UpdateKeyButtons();
  EXPECT_EQ(dynamic_cast<TZmBtnSystem*>(nine->ComponentGroupEx->Item(1))->JumpPage, 5u);

  // The user binds "previous" to a bit action: compiling leaves it alone.
  prev->Type = 3;
  prev->JumpPage = 0;
  scene->UpdateKeyButtons();
  EXPECT_EQ(prev->Type, 3u);
  EXPECT_EQ(prev->JumpPage, 0u);
  EXPECT_EQ(next->Type, 12u);

  // Scenes from 232 on have no neighbours.
  six->ID = 240;
  six->UpdateKeyButtons();
  EXPECT_EQ(dynamic_cast<TZmBtnSystem*>(six->ComponentGroupEx->Item(0))->JumpPage, 0u);
}

// The whole scene compiled: the second section holds the key bindings, with
// the key at +28 where the runtime looks for it.
TEST_F(Objects, SceneRecordCarriesKeyBindings)
{
  TZmScene* two = TZmScene::Create(group);
  two->ID = 2;
  Make<TZmLamp>();
  compiler.Reset();
  root->SceneGroups->WriteROM(compiler);
  Finish();
  RuntimeView v{compiler.Output()};
  uint32_t record = scene->ImageOffset;
  uint32_t section = v.U32(record + 8), ex = v.U32(record + 12);
  ASSERT_EQ(v.U32(section), 1u);
  EXPECT_EQ(v.U32(v.U32(section + 4)), 0x10000u);
  ASSERT_EQ(v.U32(ex), 2u);
  uint32_t first = v.U32(ex + 4);
  EXPECT_EQ(v.U32(first), 0x20005u);
  EXPECT_EQ(v.U32(first + 4), 12u);
  EXPECT_EQ(v.U32(first + 28), uint32_t(kKeyPrevious));
  EXPECT_EQ(v.U32(first + 44), two->ImageOffset);
}

TEST_F(Objects, StoredFormsRoundTrip)
{
  RegisterModelClasses();
  auto* lamp = Make<TZmLamp>();
  lamp->StatusInfs->Add()->NumberCmp = 4;
  lamp->StatusInfs->Item(0)->MultiTexts->First()->SetText("Hot");
  auto* bar = Make<TZmBar>();
  bar->Direction = 3;
  bar->BarSize = 11;
  bar->Type = 1;
  auto* key = Make<TZmButtonKey>();
  key->Key->Alt = 9;
  auto* sys = CreateComponent<TZmBtnSystem>(scene->ComponentGroupEx);
  sys->Type = 10;
  sys->KeyValue = 0x800;
  sys->Key->Shift = 3;
  std::vector<TZmComponent*> all{lamp, Make<TZmNum>(), Make<TZmText>(), bar, Make<TZmButton>(), Make<TZmButtonSetValue>(),
                                 Make<TZmButtonPage>(), Make<TZmButtonFun>(), key, Make<TZmBtnStatusSet>(),
                                 Make<TZmButtonPwdPage>(), sys};
  for (TZmComponent* o : all) {
    TZmStream s;
    SerializeObjectTo(o, TZmSerialization::Write, s);
    TZmClassFactory make = GetClass(o->ClassName());
    ASSERT_TRUE(make) << o->ClassName();
    std::unique_ptr<TZmPersistent> copy(make());
    s.Seek(0);
    SerializeObjectTo(copy.get(), TZmSerialization::Read, s);
    EXPECT_EQ(o->Compare(copy.get()), 0) << o->ClassName();
    EXPECT_EQ(dynamic_cast<TZmComponent*>(copy.get())->TypeCode, o->ClassTypeCode());
  }
  EXPECT_EQ(dynamic_cast<TZmButtonPwdPage*>(all[10])->Password->ReadValue->Expression, "0");
}

TEST_F(Objects, IconsAndNames)
{
  auto* set = Make<TZmButtonSetValue>();
  struct Case {
    uint32_t Type;
    const char* Value;
    int32_t Icon, Text;
  };
  const Case cases[] = {{0, "", 32, 7200}, {1, "-1", 33, 7415}, {2, "-2", 34, 7416}, {2, "-1", 35, 7417}};
  for (const Case& c : cases) {
    set->Type = c.Type;
    set->WriteValue->ReadValue->Expression = c.Value;
    EXPECT_EQ(set->GetImageIndex(), c.Icon) << c.Type << c.Value;
    EXPECT_EQ(set->GetTypeTextID(), c.Text) << c.Type << c.Value;
  }
  auto* bar = Make<TZmBar>();
  bar->Type = 1;
  EXPECT_EQ(bar->GetImageIndex(), 46);
  EXPECT_EQ(bar->GetTypeTextID(), 7420);
  auto* text = Make<TZmText>();
  text->ReadText->ReadAddr = "D5";
  text->ReadText->Lenght = 6;
  EXPECT_EQ(text->GetInfoText(0x02), "Read: D5\nLength: 6");
  EXPECT_EQ(text->GetInfoText(0x10), "R: D5");
}

// ---- painting

TEST_F(Objects, NumberPlaceholderLeavesTheStoredTextAlone)
{
  auto* num = Make<TZmNum>();
  num->MultiTexts->First()->SetText("kept");
  root->Configuration->Sdecimal = 44;
  struct Case {
    int32_t Whole, Fraction;
    const char* Shown;
  };
  const Case cases[] = {{3, 2, "###,##"}, {0, 0, "#"}, {4, 0, "####"}, {-5, -1, "#"}, {0, 2, ",##"}};
  for (const Case& c : cases) {
    num->DisplayNumInf->IntWidth = c.Whole;
    num->DisplayNumInf->FloatWidth = c.Fraction;
    EXPECT_EQ(num->Placeholder(), c.Shown);
  }
  num->DisplayNumInf->IntWidth = 1000;
  num->DisplayNumInf->FloatWidth = 1000;
  EXPECT_EQ(num->Placeholder().size(), 256u);
  auto* text = Make<TZmText>();
  text->MultiTexts->First()->SetText("kept too");
  text->ReadText->Lenght = 100000;
  EXPECT_EQ(text->Placeholder().size(), 256u);
  TZmDC dc(128, 64);
  TZmComponent::PrepareContext(dc, scene->Model());
  num->Paint(dc, nullptr, 0, false);
  text->Paint(dc, nullptr, 0, false);
  EXPECT_EQ(num->MultiTexts->First()->Text(), "kept");
  EXPECT_EQ(text->MultiTexts->First()->Text(), "kept too");
}

TEST_F(Objects, BarPreviewHalvesTowardItsOrigin)
{
  auto* bar = Make<TZmBar>();
  const TZmClientRect client{0, 0, 99, 19};
  struct Case {
    uint32_t Type;
    int32_t Direction;
    TZmClientRect Expected;
  };
  const Case cases[] = {{0, 0, {49, 0, 99, 19}}, {0, 1, {0, 9, 99, 19}}, {0, 2, {0, 0, 49, 19}},
                        {0, 3, {0, 0, 99, 9}},   {1, 0, {45, 0, 53, 19}}, {1, 1, {0, 5, 99, 13}}};
  for (const Case& c : cases) {
    bar->Type = c.Type;
    bar->Direction = c.Direction;
    EXPECT_EQ(bar->PreviewRect(client), c.Expected) << c.Type << "/" << c.Direction;
  }
}

// Sizes and rectangles from a file may be anything: the block stays a
// rectangle at the far end instead of wrapping around.
TEST_F(Objects, BarPreviewOfExtremeSizes)
{
  auto* bar = Make<TZmBar>();
  bar->Type = 1;
  bar->BarSize = INT32_MAX;
  const TZmClientRect client{INT32_MAX - 10, INT32_MAX - 10, INT32_MAX, INT32_MAX};
  for (int32_t direction : {0, 1}) {
    bar->Direction = direction;
    TZmClientRect r = bar->PreviewRect(client);
    EXPECT_LE(r.Left, r.Right) << direction;
    EXPECT_LE(r.Top, r.Bottom) << direction;
    EXPECT_EQ(direction == 0 ? r.Right : r.Bottom, INT32_MAX);
  }
}

// A bevel that cannot frame the object (here: no script list) leaves the
// content in the object's own rectangle, not at the scene origin.
TEST_F(Objects, ContentStaysInTheObjectWhenTheBevelRefuses)
{
  auto* bar = Make<TZmBar>(60, 30, 99, 49);
  bar->Bevel->ID = 0x7FFF0000;
  bar->Direction = 2;
  bar->BarBrush->Color = 1;
  TZmDC dc(128, 64);
  TZmComponent::PrepareContext(dc, scene->Model());
  dc.Clear(0xFFFF);
  bar->Paint(dc, nullptr, 0, false);
  EXPECT_EQ(dc.RawPixel(0, 0), 0xFFFF);
  EXPECT_EQ(dc.RawPixel(5, 5), 0xFFFF);
  EXPECT_NE(dc.RawPixel(65, 40), 0xFFFF);
  EXPECT_EQ(dc.RawPixel(95, 40), 0xFFFF);  // beyond the half that grows from the left
}

// In the compiler's mode the panel gets the bare frame; a lamp without
// states draws nothing more than that in the editor either.
TEST_F(Objects, CompilerModeAndEmptyLampsPaintOnlyTheFrame)
{
  auto* lamp = Make<TZmLamp>(10, 10, 49, 29);
  auto paint = [&](int32_t mode) {
    auto dc = std::make_unique<TZmDC>(128, 64);
    TZmComponent::PrepareContext(*dc, scene->Model());
    dc->Clear(0xFFFF);
    lamp->Paint(*dc, nullptr, mode, false);
    return dc;
  };
  auto same = [](const TZmDC& a, const TZmDC& b) {
    for (int32_t y = 0; y < 64; ++y)
      for (int32_t x = 0; x < 128; ++x)
        if (a.RawPixel(x, y) != b.RawPixel(x, y)) return false;
    return true;
  };
  EXPECT_TRUE(same(*paint(0), *paint(1)));
  TZmStatusInf* s = lamp->StatusInfs->Add();
  s->Brush->StyleIndex = 1;
  s->Brush->Color = 1;
  EXPECT_FALSE(same(*paint(0), *paint(1)));
  auto filled = paint(0);
  EXPECT_NE(filled->RawPixel(30, 20), 0xFFFF);
  EXPECT_EQ(filled->RawPixel(60, 20), 0xFFFF);
  // Hit testing: with a collector the lamp registers and paints its identity.
  TZmComponentRefs hits;
  hits.Scene = scene;
  TZmDC dc(128, 64);
  TZmComponent::PrepareContext(dc, scene->Model());
  lamp->Paint(dc, &hits, 0, true);
  ASSERT_EQ(hits.Count(), 1u);
  EXPECT_EQ(hits.FromIdentity(dc.RawPixel(30, 20)), lamp);
}

// Buttons show their current state inside the frame; a hardware key binding
// is never drawn.
TEST_F(Objects, ButtonsPaintTheirCurrentState)
{
  auto* b = Make<TZmButtonFun>(10, 10, 49, 29);
  b->Bevel->ID = 0x7FFF0000;  // no frame: the state fills the whole object
  for (uint32_t fill : {1u, 0u}) {
    TZmStatusInf* s = b->StatusInfs->Add();
    s->Brush->StyleIndex = 1;
    s->Brush->Color = fill;
  }
  auto paint = [&](TZmComponent* o, int32_t mode) {
    auto dc = std::make_unique<TZmDC>(128, 64);
    TZmComponent::PrepareContext(*dc, scene->Model());
    dc->Clear(0xFFFF);
    o->Paint(*dc, nullptr, mode, false);
    return dc;
  };
  auto dc = paint(b, 0);
  EXPECT_NE(dc->RawPixel(10, 10), 0xFFFF);
  EXPECT_NE(dc->RawPixel(49, 29), 0xFFFF);
  EXPECT_EQ(dc->RawPixel(50, 29), 0xFFFF);
  b->StatusInfs->CurrentIndex = 1;
  EXPECT_EQ(paint(b, 0)->RawPixel(30, 20), 0xFFFF);
  b->StatusInfs->CurrentIndex = 7;  // out of range: the first state
  EXPECT_NE(paint(b, 0)->RawPixel(30, 20), 0xFFFF);
  EXPECT_EQ(paint(b, 1)->RawPixel(30, 20), 0xFFFF);
  auto* sys = CreateComponent<TZmBtnSystem>(scene->ComponentGroup);
  sys->SetBounds(0, 0, 127, 63);
  sys->Type = 8;
  auto blank = paint(sys, 0);
  for (int32_t y = 0; y < 64; y += 7)
    for (int32_t x = 0; x < 128; x += 7) EXPECT_EQ(blank->RawPixel(x, y), 0xFFFF);
}

// Bindings of buttons followed from the resolved record, as the runtime's
// touch and key handling reads them.
TEST_F(Objects, ButtonBindingsThroughTheRuntimeOffsets)
{
  auto* set = Make<TZmButtonSetValue>();
  set->DisplayNumInf->IntWidth = 5;
  set->DisplayNumInf->FloatWidth = 2;
  set->DisplayNumInf->Option = 0x102;
  set->WriteValue->WriteValue->Expression = "D40";
  auto* bit = Make<TZmButton>();
  bit->WriteValue->WriteValue->Expression = "D41";
  auto* sys = CreateComponent<TZmBtnSystem>(scene->ComponentGroupEx);
  sys->Type = 13;
  sys->Page = 1;
  compiler.Reset();
  compiler.RecordScene(scene->ID, 0x800);
  compiler.CurrentScene = scene;
  set->WriteROM(compiler);
  uint32_t bitAt = compiler.Offset();
  bit->WriteROM(compiler);
  uint32_t sysAt = compiler.Offset();
  sys->WriteROM(compiler);
  Finish();
  RuntimeView v{compiler.Output()};
  uint32_t format = v.U32(52);
  EXPECT_EQ(v.U32(format), 5u);
  EXPECT_EQ(v.U32(format + 4), 2u);
  EXPECT_EQ(v.U32(format + 8), 0x102u);
  EXPECT_EQ(v.U32(v.U32(48)), 3u);           // the set value's data type
  EXPECT_EQ(v.U32(v.U32(bitAt + 48)), 0u);   // a bit
  EXPECT_EQ(v.U32(sysAt + 44), 0x800u);      // the password's target scene
  EXPECT_EQ(v.U32(v.U32(sysAt + 48)), 6u);   // the password is INT32U
  uint32_t safe = v.U32(sysAt + 32);
  EXPECT_EQ(v.U32(safe), 9u);                // the safe control's default Power
}

// Pasting into another colour format converts every colour an object owns;
// scaling also scales the fonts of its texts and states. A hardware key
// binding sits on the panel picture and is left as it is.
TEST_F(Objects, ScaleAndColorFormatReachEveryPart)
{
  auto withState = [](TZmStatusInfs* states) {
    TZmStatusInf* s = states->Add();
    s->Brush->Color = 0xFFFF;
    s->MultiTexts->First()->Font().Size = 10;
    return s;
  };
  auto* lamp = Make<TZmLamp>(2, 2, 9, 9);
  TZmStatusInf* lampState = withState(lamp->StatusInfs);
  auto* num = Make<TZmNum>(2, 2, 9, 9);
  auto* text = Make<TZmText>(2, 2, 9, 9);
  for (TZmMultiText* t : {num->MultiTexts->First(), text->MultiTexts->First()}) {
    t->Color = 0xFFFF;
    t->Font().Size = 10;
  }
  auto* bar = Make<TZmBar>(2, 2, 9, 9);
  bar->BarBrush->Color = 0xFFFF;
  auto* button = Make<TZmButtonFun>(2, 2, 9, 9);
  TZmStatusInf* buttonState = withState(button->StatusInfs);
  auto* key = CreateComponent<TZmBtnSystem>(scene->ComponentGroupEx);
  key->Rect = {200, 10, 220, 22};
  std::vector<TZmControl*> framed{lamp, num, text, bar, button};
  for (TZmControl* o : framed) o->Bevel->InColor = 0xFFFF;

  for (TZmComponent* o : std::vector<TZmComponent*>{lamp, num, text, bar, button, key}) o->Scale(2.0, 2.0);
  EXPECT_EQ(lamp->Rect, (TZmRectValue{4, 4, 18, 18}));
  EXPECT_EQ(key->Rect, (TZmRectValue{200, 10, 220, 22}));
  for (TZmMultiText* t : {lampState->MultiTexts->First(), num->MultiTexts->First(), text->MultiTexts->First(),
                          buttonState->MultiTexts->First()})
    EXPECT_EQ(t->Font().Size, 20);

  // RGB565 white carried over to the 1-bit format is 0.
  for (TZmComponent* o : std::vector<TZmComponent*>{lamp, num, text, bar, button, key}) o->ChangeColorFormat(1, 7);
  for (TZmControl* o : framed) EXPECT_EQ(o->Bevel->InColor, 0u) << o->ClassName();
  EXPECT_EQ(lampState->Brush->Color, 0u);
  EXPECT_EQ(buttonState->Brush->Color, 0u);
  EXPECT_EQ(num->MultiTexts->First()->Color, 0u);
  EXPECT_EQ(text->MultiTexts->First()->Color, 0u);
  EXPECT_EQ(bar->BarBrush->Color, 0u);
}

// Rectangles read from a file are not clamped: an object reaching the end
// of the coordinate range is scaled onto the panel's far edge (not wrapped
// into a point) and painted without arithmetic running out of range.
TEST_F(Objects, ExtremeRectanglesScaleAndPaint)
{
  auto* lamp = Make<TZmLamp>();
  lamp->StatusInfs->Add()->MultiTexts->First()->SetText("On");
  auto* button = Make<TZmButtonFun>();
  button->StatusInfs->Add()->MultiTexts->First()->SetText("Go");
  button->Bevel->ID = 0x7FFF0000;  // no frame: the state's text inset meets the rectangle's ends
  std::vector<TZmComponent*> all{lamp, Make<TZmNum>(), Make<TZmText>(), Make<TZmBar>(), button};
  TZmDC dc(128, 64);
  TZmComponent::PrepareContext(dc, scene->Model());
  for (TZmComponent* o : all) {
    o->Rect = {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX};
    o->Paint(dc, nullptr, 0, false);
    o->Rect = {10, 10, INT32_MAX, INT32_MAX};
    o->Scale(2.0, 2.0);
    EXPECT_EQ(o->Rect, (TZmRectValue{0, 0, 127, 63})) << o->ClassName();
  }
}

TEST_F(Objects, InformationLinesOfButtons)
{
  auto* bit = Make<TZmButton>();
  bit->Type = 3;
  bit->WriteValue->ReadValue->Expression = "D1";
  bit->WriteValue->WriteValue->Expression = "D2";
  auto* set = Make<TZmButtonSetValue>();
  set->WriteValue->ReadValue->Expression = "7";
  set->WriteValue->WriteValue->Expression = "D3";
  auto* page = Make<TZmButtonPage>();
  auto* sys = CreateComponent<TZmBtnSystem>(scene->ComponentGroupEx);
  sys->Type = 13;
  sys->Page = 1;
  sys->Password->ReadValue->Expression = "42";
  struct Case {
    TZmComponent* Object;
    int32_t Mode;
    const char* Text;
  };
  const Case cases[] = {
      {bit, 0x02, "Action: Momentary\nRead: D1\nWrite: D2"},
      {bit, 0x10, "R: D1\nW: D2"},
      {set, 0x10, "W: D3\nV: 7"},
      {page, 0x02, "Screen: (none)"},
      {sys, 0x02, "Password screen\nScreen: 1\nPassword: 42"},
      {bit, 0x00, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(c.Object->GetInfoText(c.Mode), c.Text) << c.Object->ClassName() << c.Mode;
}

// The lines of the other kinds: which binding each line shows, which lines
// the short form (0x10) keeps, and how a hardware key borrows the lines of
// the button kind its Type stands for.
TEST_F(Objects, InformationLinesOfDisplaysAndOtherKinds)
{
  Texts.insert({{8005, "Key: "}, {8009, "Press at: "}, {8010, "Press: "}, {8011, "Release at: "},
                {8012, "Release: "}, {8016, "Max: "}, {8017, "Min: "}, {8102, "A: "}, {8105, "K: "},
                {8119, "P: "}, {2020, "1"}, {2021, "4:Contrast"}, {6200, "1"}, {6201, "13:Enter"},
                {6020, "1"}, {6021, "1:Add"}, {2103, "3:Momentary bit"}, {2104, "6:Add value"},
                {6703, "2:Toggle"}});
  Texts[2100] = "4";
  Texts[6700] = "3";
  TZmScene* start = TZmScene::Create(group);
  start->ID = 5;
  start->FDescription = "Start";
  auto* lamp = Make<TZmLamp>();
  lamp->ReadValue->ReadValue->Expression = "D1";
  auto* bar = Make<TZmBar>();
  bar->ReadValue->ReadValue->Expression = "D2";
  bar->ReadValue->MaxValue->Expression = "100";
  bar->ReadValue->MinValue->Expression = "D3";
  auto* fun = Make<TZmButtonFun>();
  fun->Type = 4;
  auto* key = Make<TZmButtonKey>();
  key->Key->Normal = 13;
  auto* press = Make<TZmBtnStatusSet>();
  press->PressValue->WriteValue->Expression = "D4";
  press->PressValue->ReadValue->Expression = "1";
  press->ReleaseValue->WriteValue->Expression = "D5";
  press->ReleaseValue->ReadValue->Expression = "0";
  auto* pwd = Make<TZmButtonPwdPage>();
  pwd->Page = 5;
  pwd->Password->ReadValue->Expression = "D6";
  auto* lost = Make<TZmButtonPage>();
  lost->Page = 77;
  auto* bitKey = CreateComponent<TZmBtnSystem>(scene->ComponentGroupEx);
  bitKey->Type = 3;  // the bit button's Type 2
  bitKey->ONWriteValue->ReadValue->Expression = "D7";
  bitKey->ONWriteValue->WriteValue->Expression = "D8";
  auto* addKey = CreateComponent<TZmBtnSystem>(scene->ComponentGroupEx);
  addKey->Type = 6;  // the set-value button's Type 1
  addKey->SetValueWriteValue->ReadValue->Expression = "2";
  addKey->SetValueWriteValue->WriteValue->Expression = "D9";
  struct Case {
    TZmComponent* Object;
    int32_t Mode;
    const char* Text;
  };
  const Case cases[] = {
      {lamp, 0x02, "Read: D1"},
      {lamp, 0x10, "R: D1"},
      {lamp, 0x12, ""},
      {bar, 0x02, "Read: D2\nMax: 100\nMin: D3"},
      {bar, 0x10, "R: D2"},
      {fun, 0x02, "Action: Contrast"},
      {fun, 0x10, "A: Contrast"},
      {key, 0x02, "Key: Enter"},
      {key, 0x10, "K: Enter"},
      {press, 0x02, "Press at: D4\nPress: 1\nRelease at: D5\nRelease: 0"},
      {pwd, 0x02, "Screen: 5 : Start\nPassword: D6"},
      {pwd, 0x10, "S: 5 : Start\nP: D6"},
      {lost, 0x02, "Screen: "},
      {bitKey, 0x02, "Momentary bit\nAction: Toggle\nRead: D7\nWrite: D8"},
      {bitKey, 0x10, "Momentary bit\nR: D7\nW: D8"},
      {addKey, 0x02, "Add value\nAction: Add\nWrite: D9\nValue: 2"},
      {addKey, 0x10, "Add value\nW: D9\nV: 2"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.Object->GetInfoText(c.Mode), c.Text) << c.Object->ClassName() << c.Mode;
}

// Pasting into a project whose model stores colours differently carries
// every colour of a state over: brush, transparent colour and the picture.
TEST(StatusColours, ChangeColorFormatConvertsBrushTransparentColourAndImage)
{
  auto states = std::unique_ptr<TZmStatusInfs>(NewObject<TZmStatusInfs>());
  TZmStatusInf* s = states->Add();
  s->Brush->Color = 0xF800;  // red in RGB565
  s->TransparentColor = 0x001F;
  s->Image->Width = 2;
  s->Image->Height = 1;
  s->Image->ColorBit = 16;
  s->Image->Image->Image.Buffer().assign(4, 0);
  SetPackedPixel(s->Image->Image->Image.Buffer(), 2, 16, 1, 0, 0xF800);
  states->ChangeColorFormat(1, 2);
  EXPECT_EQ(s->Brush->Color, ConvertPanelColor(1, 2, 0xF800));
  EXPECT_EQ(s->TransparentColor, ConvertPanelColor(1, 2, 0x001F));
  EXPECT_EQ(s->Image->ColorBit, 8);
  EXPECT_EQ(s->Image->Pixel(1, 0), RGBToPanel(2, PanelToRGB(1, 0xF800), 1, 0));
  EXPECT_EQ(s->Image->Pixel(0, 0), RGBToPanel(2, PanelToRGB(1, 0), 0, 0));
}
