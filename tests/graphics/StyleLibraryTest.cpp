// The style library: tables checked against a transcription of their hex
// text made independently of the table source, lookups, bevel script lists.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "graphics/StyleLibrary.h"

namespace {

std::vector<uint8_t> Hex(const char* text)
{
  std::vector<uint8_t> out;
  unsigned v;
  int n;
  while (std::sscanf(text, "%x%n", &v, &n) == 1) {
    out.push_back(static_cast<uint8_t>(v));
    text += n;
  }
  return out;
}

const char* const kPatterns[48] = {
    "00 00 00 00 00 00 00 00",
    "FF FF FF FF FF FF FF FF",
    "00 00 00 FF 00 00 00 00",
    "10 10 10 10 10 10 10 10",
    "10 08 04 02 01 80 40 20",
    "10 20 40 80 01 02 04 08",
    "04 04 04 04 04 04 FF 04",
    "03 03 84 48 30 30 48 84",
    "00 00 FF 00 00 00 FF 00",
    "11 11 11 11 11 11 11 11",
    "11 88 44 22 11 88 44 22",
    "11 22 44 88 11 22 44 88",
    "44 44 FF 44 44 44 FF 44",
    "AA 44 AA 11 AA 44 AA 11",
    "AA 55 AA 55 AA 55 AA 55",
    "AA FF AA FF AA FF AA FF",
    "42 A5 5A 24 24 5A A5 42",
    "C3 E7 7E 3C 3C 7E E7 C3",
    "81 7E 66 5A 5A 66 7E 81",
    "81 42 3C 24 24 3C 42 81",
    "81 7E 42 5A 5A 42 7E 81",
    "81 3C 66 5A 5A 66 3C 81",
    "04 04 FF 40 40 40 FF 04",
    "44 FF 11 FF 44 FF 11 FF",
    "08 10 20 50 88 05 02 04",
    "22 44 AA 11 22 44 AA 11",
    "88 55 22 55 88 55 22 55",
    "EE 44 EE FF EE 44 EE FF",
    "04 0A F1 40 40 A0 1F 04",
    "10 10 10 10 28 C7 00 00",
    "10 10 10 10 28 C7 28 10",
    "10 10 10 10 38 FF 38 10",
    "00 00 00 00 10 00 00 00",
    "00 00 00 28 10 28 00 00",
    "00 00 00 38 28 38 00 00",
    "00 00 10 28 44 28 10 00",
    "00 00 44 38 28 38 44 00",
    "00 00 44 00 00 00 44 00",
    "11 00 44 00 11 00 44 00",
    "55 00 55 00 55 00 55 00",
    "CC CC 33 33 CC CC 33 33",
    "F0 F0 F0 F0 0F 0F 0F 0F",
    "33 CC 33 CC 33 CC 33 CC",
    "F0 00 0F 00 F0 00 0F 00",
    "55 55 55 55 AA AA AA AA",
    "44 44 44 44 11 11 11 11",
    "11 00 44 88 11 00 44 88",
    "88 00 22 11 88 00 22 11",
};

const char* const kMarkers[33] = {
    "10 10 10 FE 10 10 10",
    "00 00 38 28 38 00 00",
    "00 00 3C 24 24 3C 00",
    "00 7E 42 42 42 42 7E",
    "00 00 28 10 28 00 00",
    "00 44 28 10 28 44 00",
    "82 44 28 10 28 44 82",
    "82 7C 6C 54 6C 7C 82",
    "00 7C 44 44 44 7C 00",
    "FE 82 82 82 82 82 FE",
    "00 7C 7C 7C 7C 7C 00",
    "FE FE FE FE FE FE FE",
    "38 7C FE FE FE 7C 38",
    "7C 82 82 82 82 82 7C",
    "7C 82 82 92 82 82 7C",
    "7C 82 92 BA 92 82 7C",
    "7C 82 AA 92 AA 82 7C",
    "7C 82 BA AA BA 82 7C",
    "7C C6 AA 92 AA C6 7C",
    "7C EE C6 92 C6 EE 7C",
    "7C FE C6 D6 C6 FE 7C",
    "7C FE EE D6 EE FE 7C",
    "10 38 7C EE 7C 38 10",
    "10 38 54 EE 54 38 10",
    "82 6C 6C 00 6C 6C 82",
    "92 54 38 FE 38 54 92",
    "10 54 38 FE 38 54 10",
    "92 7C 44 D6 44 7C 92",
    "10 38 54 FE 54 38 10",
    "10 44 28 92 28 44 10",
    "42 FC 4C 54 64 7E 84",
    "38 44 8A 92 A2 44 38",
    "00 3C 42 42 7E 66 7E",
};

}  // namespace

TEST(StyleLibrary, PenStyles)
{
  const TZmGraphicsDB& db = TZmGraphicsDB::Global();
  const struct {
    const char* name;
    uint32_t mask;
  } pens[] = {{"psClear", 0}, {"psSolid", 0xFFFFFFFF}, {"psDash", 0xF0F0F0F0},
              {"psDot", 0x55555555}, {"psDashDot", 0xFAFAFAFA}, {"psDashDotDot", 0xEAEAEAEA}};
  ASSERT_EQ(db.PenStyles.Count(), 6u);
  for (int i = 0; i < 6; ++i) {
    ASSERT_NE(db.PenStyle(i), nullptr);
    EXPECT_EQ(db.PenStyle(i)->Name, pens[i].name);
    EXPECT_EQ(db.PenStyle(i)->Mask, pens[i].mask);
  }
  EXPECT_EQ(db.PenStyle(6), nullptr);
  EXPECT_EQ(db.PenStyle(-1), nullptr);
}

TEST(StyleLibrary, BrushPatternsAndPointMarkersMatchTheirHexText)
{
  const TZmGraphicsDB& db = TZmGraphicsDB::Global();
  ASSERT_EQ(db.BrushStyles.Count(), 48u);
  const char* names[8] = {"bsClear", "bsSolid", "bsHorizontal", "bsVertical",
                          "bsFDiagonal", "bsBDiagonal", "bsCross", "bsDiagCross"};
  for (int i = 0; i < 48; ++i) {
    const TZmBrushStyle* b = db.BrushStyle(i);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->Name, i < 8 ? names[i] : "bsNone") << i;
    EXPECT_EQ(std::vector<uint8_t>(b->Pattern, b->Pattern + 8), Hex(kPatterns[i])) << "pattern " << i;
  }
  // "bsNone" still has a pattern: two horizontal lines per 8 rows.
  const uint8_t* none = db.BrushStyle(8)->Pattern;
  EXPECT_EQ(Hex("00 00 FF 00 00 00 FF 00"), std::vector<uint8_t>(none, none + 8));
  EXPECT_EQ(db.BrushStyle(48), nullptr);

  ASSERT_EQ(db.PointStyles.Count(), 33u);
  for (int i = 0; i < 33; ++i) {
    const TZmPointStyle* p = db.PointStyle(i);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->Name, "");
    std::vector<uint8_t> rows = Hex(kMarkers[i]);
    rows.push_back(0);
    EXPECT_EQ(std::vector<uint8_t>(p->Marker, p->Marker + 8), rows) << "marker " << i;
  }
  EXPECT_EQ(db.PointStyle(33), nullptr);
}

TEST(StyleLibrary, BevelScriptLists)
{
  const TZmGraphicsDB& db = TZmGraphicsDB::Global();
  ASSERT_EQ(db.BevelScriptGroups.Count(), 1u);
  const TZmBevelScriptGroup* g = db.BevelScriptGroups.Item(0);
  EXPECT_EQ(g->ID, 0x10000);
  EXPECT_EQ(g->NameText, 1380);
  ASSERT_EQ(g->Count(), 15u);
  for (int k = 0; k < 15; ++k) {
    TZmBevelScripts* list = db.BevelScripts(0x10000 + k);
    ASSERT_NE(list, nullptr) << k;
    EXPECT_EQ(list, g->Item(k));
    EXPECT_EQ(list->NameText, 1300 + k);
    ASSERT_EQ(list->Count(), 1u);
    EXPECT_EQ(list->Script(1), nullptr);
    const std::vector<uint16_t> words = BuiltInBevelWords(k);
    ASSERT_EQ(list->Script(0)->Script.size(), words.size() * 2);
    EXPECT_EQ(list->Script(0)->Script[0], 0x00);  // every script starts with the fill, 0x7000
    EXPECT_EQ(list->Script(0)->Script[1], 0x70);
  }
  EXPECT_EQ(db.BevelScripts(0x1000F), nullptr);
  EXPECT_EQ(db.BevelScripts(0), nullptr);
  EXPECT_EQ(BuiltInBevelWords(0), std::vector<uint16_t>{0x7000});

  // The common beginning of script 1, word by word.
  const std::vector<uint16_t> head = {0x7000, 0x7200, 0, 6, 0, 6, 0x7400, 8, 1, 10, 1, 9, 0xFFFF, 11, 0xFFFF,
                                      0x7401, 8, 1, 10, 1, 9, 0xFFFF, 11, 0xFFFF, 0x8801, 0x8101};
  const std::vector<uint16_t> one = BuiltInBevelWords(1);
  ASSERT_GE(one.size(), head.size());
  EXPECT_EQ(std::vector<uint16_t>(one.begin(), one.begin() + static_cast<ptrdiff_t>(head.size())), head);
  EXPECT_EQ(BuiltInBevelWords(7)[3], 10);  // the widest plain ring needs 10 x 10
}
