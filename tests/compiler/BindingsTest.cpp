// Register collections and the records of value bindings.
#include <gtest/gtest.h>

#include <memory>

#include "base/Texts.h"
#include "compiler/Compiler.h"
#include "image/Messages.h"
#include "compiler/RegCollect.h"
#include "devices/Bindings.h"
#include "devices/Devices.h"
#include "devices/Protocols.h"
#include "graphics/Pen.h"
#include "graphics/Text.h"
#include "model/Alarms.h"
#include "model/Project.h"
#include "model/Scenes.h"

namespace {

// A project with one port and station 0 on a controller with word, bit,
// blocked and grouped rules, plus the internal station.
class Compiling : public ::testing::Test {
protected:
  void SetUp() override
  {
    db.ClearAll();
    SetTextLookup([](int n) -> std::string {
      switch (n) {
        case 2602: return "bad %s %s %s";
        case 2601: return "empty %s %s %s";
        case 2610: return "deep %s %s %s %d %d";
        case 3904: return "1";
        case 3911: return "4\"LW\"d0-255";
        default: return "";
      }
    });
    db.BuildInternalController();
    auto p = std::make_unique<TZmProtocol>();
    p->UID = 10;
    p->Name = "P";
    bool created;
    TZmController* c = db.ControllerFor(20, created);
    for (const char* rule : {"4\"D\"d0-9999", "0\"X\"d0-999", "F\"B\"d0-99", "G\"T\"d0-3", "G\"U\"d10-11", "4\"W#\"d0-99"})
      TZmRegRule::Create(&c->RegRules, rule);
    c->RegRules.Item(3)->Index = 7;
    c->RegRules.Item(4)->Index = 7;
    p->ControllerRefs.push_back(c);
    db.Protocols.push_back(std::move(p));
    root.reset(NewObject<TZmHMI>());
    TZmDevice* d = TZmDevice::Create(root->Devices);
    d->Type = 15;
    d->ProtocolRefUID = 10;
    TZmStation* st = TZmStation::Create(d);
    st->SetController(c);
    TZmSceneGroup* g = TZmSceneGroup::Create(root->SceneGroups);
    scene = TZmScene::Create(g);
    scene->ID = 1;
    compiler.Project = root.get();
    compiler.CurrentScene = scene;
  }
  void TearDown() override
  {
    SetTextLookup(nullptr);
    db.ClearAll();
  }
  TZmReadValue* Value(const char* read, uint32_t dataType = 4)
  {
    values.emplace_back(NewObject<TZmReadValue>());
    values.back()->DataType = dataType;
    values.back()->ReadValue->Expression = read;
    return values.back().get();
  }
  // Lays out the memory, writes each binding's reference, then the resource area.
  std::vector<uint32_t> Words(const std::vector<TZmPersistentROM*>& objs, uint32_t kind)
  {
    compiler.Registers->Layout(512);
    for (auto* o : objs) compiler.WriteReference(kind, o);
    compiler.Resources.WriteAll(compiler);
    std::vector<uint32_t> w;
    for (size_t i = 0; i + 4 <= compiler.Output().Size(); i += 4) w.push_back(GetU32(compiler.Output().Data() + i));
    return w;
  }
  TZmControllerDB& db = TZmControllerDB::Global();
  std::unique_ptr<TZmHMI> root;
  TZmScene* scene = nullptr;
  TZmCompileDriver compiler;
  std::vector<std::unique_ptr<TZmReadValue>> values;
};

}  // namespace

TEST_F(Compiling, RegisterMemoryLayout)
{
  for (const char* a : {"D100", "D100", "X100", "X0", "X7", "B6", "U10"})
    EXPECT_TRUE(compiler.Report(nullptr, 0, true, 1, a, kindAll, 0, true)) << a;
  EXPECT_FALSE(compiler.Report(nullptr, 0, true, 1, "Q1", kindAll, 0, true));
  TZmRegCollect* global = compiler.Registers->Find(nullptr);
  TZmRegCollectItems* st0 = global->Stations[0].get();
  ASSERT_TRUE(st0);
  EXPECT_EQ(st0->Items[0].Registers, (std::vector<int32_t>{100}));  // one D100 for two users
  EXPECT_EQ(st0->Items[2].Registers, (std::vector<int32_t>{4, 5, 6, 7}));  // the block of four around B6
  EXPECT_EQ(st0->Items[3].Registers, (std::vector<int32_t>{0, 1, 2, 3}));  // every rule of group 7
  EXPECT_EQ(st0->Items[4].Registers, (std::vector<int32_t>{10, 11}));
  EXPECT_EQ(compiler.SceneRegisters->Find(scene)->Stations[0]->RegisterCount(), st0->RegisterCount());

  EXPECT_EQ(compiler.Registers->Layout(512), 512 + 2 + 1 + 8 + 8 + 4);
  // D100 at 512; X0, X7, X100 share one byte in sorted order.
  EXPECT_EQ(compiler.Registers->Resolve("D100").Reference, 0x20000000u | (512u << 3));
  EXPECT_EQ(compiler.Registers->Resolve("X0").Reference, 0x20000000u | (514u << 3));
  EXPECT_EQ(compiler.Registers->Resolve("X7").Reference, 0x20000000u | (514u << 3) | 1);
  EXPECT_EQ(compiler.Registers->Resolve("X100").Reference, 0x20000000u | (514u << 3) | 2);
  EXPECT_EQ(compiler.Registers->Resolve("0:B7").Reference, 0x20000000u | ((515u + 6) << 3));
  EXPECT_FALSE(compiler.Registers->Resolve("D101").Found);  // matches a rule but was never registered
  TZmRegResolved internal = compiler.Registers->Resolve("LW9");
  EXPECT_TRUE(internal.Found);
  EXPECT_EQ(internal.Station, 255);
  EXPECT_EQ(internal.Reference, 0x20000000u + 16 * 9);
  EXPECT_EQ(compiler.Registers->ReferenceOf(0, 0, 100), compiler.Registers->Resolve("D100").Reference);
  EXPECT_EQ(compiler.Registers->ReferenceOf(0, 0, 101), 0u);
  EXPECT_EQ(compiler.Registers->ReferenceOf(9, 0, 100), 0u);
}

TEST_F(Compiling, MessagesOnTheOwnersLine)
{
  auto alarm = std::unique_ptr<TZmAlarm>(TZmAlarm::Create(root->Alarms));
  EXPECT_FALSE(compiler.Report(nullptr, 1, true, 1, "", kindAll, 4, true));
  EXPECT_TRUE(compiler.Report(nullptr, 1, true, 1, "", kindAll, 4, false));
  EXPECT_FALSE(compiler.Report(nullptr, 2, true, 1, "Q7", kindAll, 4, true));
  EXPECT_TRUE(compiler.Report(nullptr, 2, true, 1, "1FH", kindAll, 4, true));  // constants need no register
  EXPECT_TRUE(compiler.Report(alarm.get(), 0, true, 1, "D5", kindAll, 4, true));
  ASSERT_EQ(compiler.Messages->Size(), 2u);
  EXPECT_EQ(compiler.Messages->Item(0).Kind, TZmMessage::Warning);
  EXPECT_EQ(compiler.Messages->Item(0).Text, "empty 1  ");
  EXPECT_EQ(compiler.Messages->Item(1).Kind, TZmMessage::ObjectError);
  EXPECT_EQ(compiler.Messages->Item(1).Line, 2);
  int32_t e, w, n;
  compiler.Messages->Count(e, w, n);
  EXPECT_EQ(e, 1);
  EXPECT_EQ(w, 1);
  // An alarm's address is polled on every scene.
  EXPECT_TRUE(compiler.SceneRegisters->Find(scene)->Stations[0]->Items[0].Contains(5));
  compiler.CurrentScene = nullptr;
  EXPECT_TRUE(compiler.Report(nullptr, 0, true, 1, "Q7", kindAll, 4, true));  // outside any scene: nothing
}

TEST_F(Compiling, ReadValueRecords)
{
  TZmReadValue* constant = Value("5");
  TZmReadValue* a = Value("D100 + 1");
  TZmReadValue* b = Value("D100 + 1");  // the same binding: one record
  TZmReadValue* c = Value("D100 + 1", 3);  // another data type: its own expression record
  for (auto* v : {constant, a, b, c}) v->Register(compiler, nullptr, 0, true);
  EXPECT_FALSE(compiler.Registers->Find(nullptr)->Stations[0]->Items[0].Registers.empty());
  auto w = Words({constant, a, b, c}, resReadValue);
  // Four references, then the read values (kind 0x54), then the expressions (0x69).
  ASSERT_GE(w.size(), 4u);
  EXPECT_EQ(w[1], w[2]);
  EXPECT_NE(w[1], w[3]);
  size_t v0 = w[0] / 4, va = w[1] / 4, vc = w[3] / 4;
  EXPECT_EQ(w[v0], 4u);  // DataType, one reference, two zero words
  EXPECT_NE(w[v0 + 1], 0u);
  EXPECT_EQ(w[v0 + 2], 0u);
  EXPECT_EQ(w[v0 + 3], 0u);
  size_t e0 = w[v0 + 1] / 4, ea = w[va + 1] / 4, ec = w[vc + 1] / 4;
  EXPECT_EQ(std::vector<uint32_t>(w.begin() + e0, w.begin() + e0 + 3), (std::vector<uint32_t>{2, 0x46000000, 5}));
  uint32_t d100 = 0x20000000u | (512u << 3);
  EXPECT_EQ(std::vector<uint32_t>(w.begin() + ea, w.begin() + ea + 5),
            (std::vector<uint32_t>{4, d100 | 0x05000000, 0x46000000, 1, 0x02000000}));
  EXPECT_EQ(w[ec + 1], d100 | 0x04000000);
}

TEST_F(Compiling, ExpressionFallbacksAndDepth)
{
  TZmReadValue* whole = Value("W#5");      // the parser refuses it; it is still one address
  TZmReadValue* bit = Value("D7.3", 0);    // bit 3 of word D7
  TZmReadValue* bad = Value("D1 +* 2");
  TZmReadValue* deep = Value("1+(2+(3+(4+(5+(6+(7+(8+D1)))))))");
  for (auto* v : {whole, bit, bad, deep}) v->Register(compiler, nullptr, 0, true);
  ASSERT_EQ(compiler.Messages->Size(), 2u);
  EXPECT_EQ(compiler.Messages->Item(0).Text, "bad 1  ");
  EXPECT_EQ(compiler.Messages->Item(1).Text, "deep 1   9 8");
  auto w = Words({whole, bit, bad}, resReadValue);
  size_t e0 = w[w[0] / 4 + 1] / 4, e1 = w[w[1] / 4 + 1] / 4, e2 = w[w[2] / 4 + 1] / 4;
  EXPECT_EQ(w[e0], 1u);
  EXPECT_EQ(w[e0 + 1] >> 24, 0x25u);
  EXPECT_EQ(w[e1], 1u);
  EXPECT_EQ(w[e1 + 1] & 7, 3u);  // the bit number added to the word's reference
  EXPECT_EQ(w[e2], 0u);  // neither an expression nor an address: an empty program
}

TEST_F(Compiling, WriteValueRecords)
{
  auto wordBit = std::unique_ptr<TZmWriteValue>(NewObject<TZmWriteValue>());
  wordBit->DataType = 0;
  wordBit->WriteValue->Expression = "D100.3";
  auto internal = std::unique_ptr<TZmWriteValue>(NewObject<TZmWriteValue>());
  internal->DataType = 4;
  internal->WriteValue->Expression = "LW7";
  auto none = std::unique_ptr<TZmWriteValue>(NewObject<TZmWriteValue>());
  none->WriteValue->Expression = "Q1";
  for (auto* v : {wordBit.get(), internal.get(), none.get()}) v->Register(compiler, nullptr, 0, false);
  std::vector<TZmPersistentROM*> exprs = {wordBit->WriteValue, internal->WriteValue, none->WriteValue};
  auto w = Words(exprs, resWriteExpression);
  uint32_t d100 = 0x20000000u | (512u << 3);
  EXPECT_EQ(std::vector<uint32_t>(w.begin() + w[0] / 4, w.begin() + w[0] / 4 + 4),
            (std::vector<uint32_t>{0xFFFFFFFF, 0, 0, d100 + 3}));
  EXPECT_EQ(std::vector<uint32_t>(w.begin() + w[1] / 4, w.begin() + w[1] / 4 + 4),
            (std::vector<uint32_t>{0xFFFFFFFF, 0, 0, 0x05000000u | (7u * 16)}));  // no frame for internal memory
  EXPECT_EQ(std::vector<uint32_t>(w.begin() + w[2] / 4, w.begin() + w[2] / 4 + 4),
            (std::vector<uint32_t>{0xFFFFFFFF, 0, 0, 0xFFFFFFFF}));
  // The write value's record: the read value's 16 bytes and the write reference.
  TZmCompileDriver c2;
  c2.Project = root.get();
  internal->WriteROM(c2);
  EXPECT_EQ(c2.Output().Size(), 20u);
}

TEST_F(Compiling, ReadTextsAndSafeControls)
{
  struct Case {
    uint32_t format, length;
    int64_t regs;
  } cases[] = {{0, 5, 3}, {1, 4, 2}, {2, 5, 5}, {5, 1, 1}, {9, 3, 3}, {0, 0xFFFFFFFF, 0x80000000ll}};
  for (const auto& c : cases) {
    TZmReadText t;
    t.Format = c.format;
    t.Lenght = c.length;
    EXPECT_EQ(t.RegisterCount(), c.regs);
  }
  TZmReadText text;
  text.Initialize();
  text.Format = 0;
  text.Lenght = 5;
  text.ReadAddr = "D10";
  text.Register(compiler, nullptr, 0, true);
  EXPECT_EQ(compiler.Registers->Find(nullptr)->Stations[0]->Items[0].Registers, (std::vector<int32_t>{10, 11, 12}));
  TZmReadText huge;
  huge.Lenght = 0xFFFFFFFF;
  huge.ReadAddr = "D10";
  huge.Register(compiler, nullptr, 0, true);
  EXPECT_EQ(compiler.Messages->Size(), 1u);  // far too long for the rule: refused, not wrapped

  auto safe = std::unique_ptr<TZmSafeControl>(NewObject<TZmSafeControl>());
  safe->Condition->ReadValue->Expression = "X5";
  safe->Register(compiler, nullptr, 0);  // with the owner's other bindings, before the layout
  auto w = Words({&text, safe.get()}, resReadText);
  EXPECT_EQ(std::vector<uint32_t>(w.begin() + w[0] / 4, w.begin() + w[0] / 4 + 3),
            (std::vector<uint32_t>{0, 5, 0x20000000u | (512u << 3)}));
  EXPECT_TRUE(compiler.Registers->Resolve("X5").Found);

  TZmScene other;
  other.ID = 4;
  safe->DialogID = 4;
  safe->NotifyScene(other.ID, 0x40000001, 9);
  EXPECT_EQ(safe->DialogID, 9u);
  other.ID = 9;
  safe->NotifyScene(other.ID, 0x10000000, 0);
  EXPECT_EQ(safe->DialogID, 0u);
}

TEST(ScaleInf, DefaultsAndStoredForm)
{
  std::unique_ptr<TZmScaleInf> a(NewObject<TZmScaleInf>());
  EXPECT_EQ(a->MasterCount, 5);
  EXPECT_EQ(a->FOption, 7u);
  EXPECT_EQ(a->Text->Font().Name, "Tahoma");
  a->Max = 250;
  a->Pen->Color = 3;
  std::unique_ptr<TZmScaleInf> b(NewObject<TZmScaleInf>());
  b->Assign(a.get());
  EXPECT_EQ(b->Compare(a.get()), 0);
  EXPECT_EQ(b->Max, 250);
  EXPECT_EQ(b->Pen->Color, 3u);
}
