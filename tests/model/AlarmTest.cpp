// The compiled alarm section and its messages.
#include <gtest/gtest.h>

#include <memory>

#include "base/Texts.h"
#include "compiler/Compiler.h"
#include "image/Messages.h"
#include "devices/Bindings.h"
#include "model/Alarms.h"
#include "model/Project.h"
#include "model/Scenes.h"

TEST(Alarms, SectionRecordsAndMessages)
{
  SetTextLookup([](int n) -> std::string {
    switch (n) {
      case 223: return "Alarms";
      case 622: return "condition";
      case 623: return "screen";
      case 2605: return "%s: no %s";
      case 2606: return "%s: bad %s";
      case 2627: return "%s: empty %s";
      default: return "";
    }
  });
  std::unique_ptr<TZmHMI> root(NewObject<TZmHMI>());
  TZmScene::Create(TZmSceneGroup::Create(root->SceneGroups))->ID = 4;
  {
    TZmCompileDriver c;
    c.Project = root.get();
    root->Alarms->WriteROM(c);
    EXPECT_EQ(c.Output().Buffer(), (std::vector<uint8_t>{0, 0, 0, 0, 0x70, 0x17, 0, 0, 0x70, 0x17, 0, 0, 0, 0, 0, 0}));
  }
  TZmAlarm* empty = TZmAlarm::Create(root->Alarms);
  empty->ScreenID = 300;
  empty->ExternFlag = 2;
  TZmAlarm* ok = TZmAlarm::Create(root->Alarms);
  ok->Condition->ReadValue->Expression = "1";
  ok->ScreenID = 4;
  EXPECT_EQ(empty->GetDisplayName(), "Alarms");
  root->Alarms->IntervalTime = 500;
  TZmCompileDriver c;
  c.Project = root.get();
  root->Alarms->WriteROM(c);
  c.Resources.WriteAll(c);
  const auto& img = c.Output().Buffer();
  EXPECT_EQ(GetU32(&img[0]), 2u);
  EXPECT_EQ(GetU32(&img[8]), 6000u);
  uint32_t r0 = GetU32(&img[16]), r1 = GetU32(&img[20]);
  EXPECT_EQ(r0, 24u);
  EXPECT_EQ(r1, 36u);
  EXPECT_EQ(GetU32(&img[r0]), 2u);
  EXPECT_EQ(GetU32(&img[r0 + 4]), 0u);   // no condition
  EXPECT_EQ(GetU32(&img[r0 + 8]), 300u);  // the ID as given
  EXPECT_NE(GetU32(&img[r1 + 4]), 0u);
  ASSERT_EQ(c.Messages->Size(), 2u);
  EXPECT_EQ(c.Messages->Item(0).Text, "Alarms: empty condition");
  EXPECT_EQ(c.Messages->Item(1).Text, "Alarms: bad screen");
  EXPECT_EQ(c.Messages->Item(1).Subject, TZmMessage::Alarm);
  SetTextLookup(nullptr);
}

// Every problem of an alarm is an error of that alarm, pointing at the line
// that holds it; the alarm is compiled all the same.
TEST(Alarms, EachProblemNamesTheAlarmAndItsLine)
{
  SetTextLookup([](int n) -> std::string {
    switch (n) {
      case 223: return "Alarms";
      case 622: return "condition";
      case 623: return "screen";
      case 2605: return "%s: no %s";
      case 2606: return "%s: bad %s";
      case 2627: return "%s: empty %s";
      default: return "";
    }
  });
  std::unique_ptr<TZmHMI> root(NewObject<TZmHMI>());
  TZmScene::Create(TZmSceneGroup::Create(root->SceneGroups))->ID = 4;
  struct Case {
    const char* Condition;
    uint32_t Screen;
    const char* Text;  // nullptr: no message
    int32_t Line;
  };
  const Case cases[] = {
      {"1", 4, nullptr, 0},
      {"", 4, "Alarms: empty condition", 0},
      {"1", 0, "1: no screen", 1},
      {"1", 300, "1: bad screen", 1},
  };
  for (const Case& c : cases) {
    root->Alarms->Clear();
    TZmAlarm* a = TZmAlarm::Create(root->Alarms);
    a->Condition->ReadValue->Expression = c.Condition;
    a->ScreenID = c.Screen;
    TZmCompileDriver compiler;
    compiler.Project = root.get();
    root->Alarms->WriteROM(compiler);
    EXPECT_EQ(compiler.Output().Size(), 16u + 4 + 12) << c.Screen;
    if (!c.Text) {
      EXPECT_EQ(compiler.Messages->Size(), 0u);
      continue;
    }
    ASSERT_EQ(compiler.Messages->Size(), 1u) << c.Text;
    const TZmMessage& m = compiler.Messages->Item(0);
    EXPECT_EQ(m.Text, c.Text);
    EXPECT_EQ(m.Kind, TZmMessage::ObjectError);
    EXPECT_EQ(m.Subject, TZmMessage::Alarm);
    EXPECT_EQ(m.Object, a);
    EXPECT_EQ(m.Line, c.Line);
  }
  SetTextLookup(nullptr);
}

// The list operations keep each alarm in one list at one place, and an
// alarm taken out is no longer removed from the list when destroyed.
TEST(Alarms, ListOperations)
{
  std::unique_ptr<TZmAlarms> list(NewObject<TZmAlarms>()), other(NewObject<TZmAlarms>());
  TZmAlarm* a = TZmAlarm::Create(list.get());
  TZmAlarm* b = TZmAlarm::Create(list.get());
  TZmAlarm* c = TZmAlarm::Create(other.get());
  list->Append(a);  // already listed: stays first
  EXPECT_EQ(list->IndexOf(a), 0);
  list->Insert(1, c);  // taken over from the other list
  EXPECT_EQ(other->Count(), 0u);
  EXPECT_EQ(c->Owner, list.get());
  EXPECT_EQ(list->IndexOf(c), 1);
  EXPECT_EQ(list->IndexOf(b), 2);
  list->Insert(99, c);
  EXPECT_EQ(list->IndexOf(c), 1);
  EXPECT_EQ(list->Item(3), nullptr);
  list->Remove(b);
  EXPECT_EQ(list->IndexOf(b), -1);
  EXPECT_EQ(b->Owner, nullptr);
  delete b;
  EXPECT_EQ(list->Count(), 2u);
  std::unique_ptr<TZmAlarm> loose(NewObject<TZmAlarm>());
  list->Insert(0, loose.get());
  EXPECT_EQ(list->Item(0), loose.get());
  list->Remove(loose.get());
  EXPECT_EQ(list->Count(), 2u);
}
