// Lint of the protocol files we ship.
#include <gtest/gtest.h>

#include <algorithm>

#include "devices/FrameBuilders.h"
#include "devices/Protocols.h"

namespace {

// Walks a check program the way the panel's communication engine does;
// false when a word or its operands do not decode.
bool CheckProgramDecodes(const TZmDataArray& a, std::string& why)
{
  size_t i = 0, n = a.Count();
  while (i < n) {
    uint32_t w = a.Element(i++);
    uint32_t top = w >> 24;
    if (top == 0xFE || top == 0xFB || top == 0xFA || top == 0xFD) {
      uint32_t bytes = w & 0xFFFFFF;
      i += 1 + (bytes + 3) / 4;  // position, then the bytes padded to words
    } else if (top == 0xFC) {
      i += 2;
    } else if (w >> 8 == 0xF10000) {
      uint32_t kind = w & 0xFF;
      if (kind < 1 || kind > 9) {
        why = "unknown checksum kind";
        return false;
      }
      i += 2;
    } else if (top != 0x20 && top != 0x21 && top != 0x41 && top != 0x42) {
      why = "unknown check word";
      return false;
    }
  }
  if (i != n) why = "operands run past the end";
  return i == n;
}

}  // namespace

TEST(ShippedProtocols, EveryFileDecodes)
{
  TZmControllerDB& db = TZmControllerDB::Global();
  db.ClearAll();
  ASSERT_TRUE(db.LoadProtocolFolder(KESTRAVA_SOURCE_DIR "/data/protocol", "1033"));
  EXPECT_TRUE(db.Warnings.empty()) << db.Warnings[0].File << " " << db.Warnings[0].Key << " " << db.Warnings[0].Text;
  // Every family with frame builders has a protocol a port can choose.
  for (int64_t uid : {1060208397ll, 1109330756ll, 1095576151ll, -1802544905ll, 1549670432ll, 1299925350ll, 1107794329ll,
                      -2144545500ll, -746424602ll, 400014861ll, -623554634ll, 1134093025ll, -1425300559ll, 649066712ll,
                      -1020238619ll, 1618513948ll, -1087441211ll, 1766187480ll, -416042279ll, 1189246966ll, 1088095053ll})
    EXPECT_TRUE(db.FindProtocol(static_cast<uint32_t>(uid))) << uid;

  for (size_t i = 0; i < db.ProtocolCount(); ++i) {
    TZmProtocol* p = db.Protocol(i);
    SCOPED_TRACE(p->Name);
    EXPECT_TRUE(p->RunsOnSerialPort());
    EXPECT_TRUE(p->UID == 1095576151u || HasFrameBuilders(p->UID));  // the panel link answers, it polls nothing
    EXPECT_FALSE(p->ControllerRefs.empty() && p->UID != 1095576151u);
    ASSERT_EQ(p->FormatArray.Count(), 5u);
    uint32_t framing = p->FormatArray.Element(0);
    EXPECT_EQ(framing >> 16, 0xF800u);
    if ((framing & 0xFF) == 1) {
      EXPECT_NE(p->FormatArray.Element(2) >> 24, 0u);  // a start character
    }
    std::string why;
    EXPECT_TRUE(CheckProgramDecodes(p->CheckArray, why)) << why;
    EXPECT_LE(p->MinStationNum, p->Station);
    EXPECT_LE(p->Station, p->MaxStationNum);
    for (TZmController* c : p->ControllerRefs) {
      for (TZmRegRule* r : c->RegRules.Items) {
        SCOPED_TRACE(r->Format);
        ASSERT_FALSE(r->Format.empty());
        EXPECT_FALSE(r->Prefix.empty() || (r->Prefix[0] >= '0' && r->Prefix[0] <= '9'));  // a digit reads as a station
        for (int64_t n = r->Min; n <= r->Max; n += r->Step * 97) {
          std::string text = r->FormatNumber(static_cast<int32_t>(n));
          int32_t count = 1;
          ASSERT_TRUE(r->Match(text, 0, count, kindAll)) << text;
          EXPECT_EQ(r->Value, n) << text;
        }
      }
    }
  }
  TZmController* modbus = db.FindProtocol(1060208397)->ControllerRefs.at(0);
  EXPECT_EQ(modbus, db.FindProtocol(1109330756)->ControllerRefs.at(0));
  EXPECT_EQ(modbus->RegRules.Count(), 6u);
  for (uint32_t special : {uint32_t(-1828861255), uint32_t(-821410964), uint32_t(-408378398)}) EXPECT_NE(modbus->UID, special);
  db.ClearAll();
}

#include <set>

#include "devices/Model.h"

TEST(ShippedModels, EveryModelIsCompleteAndConsistent)
{
  TZmModels models;
  ASSERT_TRUE(models.LoadModelFolder(KESTRAVA_BUILD_DIR "/data/model", "1033"));
  ASSERT_GE(models.Count(), 3u);
  for (size_t i = 0; i < models.Count(); ++i) {
    const TZmModel& m = *models.Item(i);
    SCOPED_TRACE(m.Name);
    EXPECT_TRUE(m.Valid);
    // 1-bit page layout packs eight rows per byte, row layout eight columns.
    if (m.ColorFormat == 7) {
      EXPECT_EQ(m.Height() % 8, 0);
    }
    if (m.ColorFormat == 8) {
      EXPECT_EQ(m.Width() % 8, 0);
    }
    EXPECT_EQ(m.REGCnt, 256);
    EXPECT_EQ(m.COMCnt, 2);
    EXPECT_GT(m.ROMSize, 0);
    EXPECT_LE(m.ROMSize, 16384);
    ASSERT_EQ(m.Keys.size(), 16u);
    std::set<int32_t> codes;
    for (size_t k = 0; k < m.Keys.size(); ++k) {
      const TZmModelKey& key = m.Keys[k].second;
      EXPECT_EQ(key.Code, static_cast<int32_t>(k));  // the position is the key-mask bit
      codes.insert(key.Code);
      TZmRectValue r = key.Rect();
      EXPECT_GE(r.Left, 0);
      EXPECT_GE(r.Top, 0);
      EXPECT_LE(r.Right * 2, m.Edit.Width);  // locations count half-size picture pixels
      EXPECT_LE(r.Bottom * 2, m.Edit.Height);
    }
    EXPECT_EQ(codes.size(), 16u);
    EXPECT_TRUE(m.FindKeyByFunction(1280));
    EXPECT_TRUE(m.FindKeyByFunction(1536));
    EXPECT_LE(m.EditRect.Right * 2, m.Edit.Width);
    EXPECT_LE(m.EditRect.Bottom * 2, m.Edit.Height);
    EXPECT_EQ(m.Panel.Width, 64);
    EXPECT_EQ(m.Panel.Height, 64);
    EXPECT_EQ(m.Power.Width, 4 * 2 * (m.PowerRect.Right - m.PowerRect.Left));  // four frames side by side
    EXPECT_EQ(m.Link.Width, 2 * 2 * (m.LinkRect.Right - m.LinkRect.Left));
    // Converted to the panel's 1-bit layout: a byte per column of eight rows, or packed rows.
    size_t bytes = m.ColorFormat == 7 ? static_cast<size_t>(m.Width()) * ((m.Height() + 7) / 8)
                                      : (static_cast<size_t>(m.Width()) * m.Height() + 7) / 8;
    EXPECT_EQ(m.DownloadPicture.Size(), bytes);
    auto b = m.DownloadPicture.Bytes();
    EXPECT_TRUE(std::any_of(b.begin(), b.end(), [](uint8_t v) { return v != 0; }));  // the frame and the text
    TZmPictureData dl;
    std::string error;
    ASSERT_TRUE(LoadPngFile(KESTRAVA_BUILD_DIR "/data/model/" + m.Name + "_DL.PNG", dl, error)) << error;
    ASSERT_EQ(dl.Width, m.Width());
    ASSERT_EQ(dl.Height, m.Height());
    ASSERT_GE(m.Palette.size(), 2u);
    for (uint32_t px : dl.Pixels) {
      uint32_t rgb = ((px >> 16) & 0xFF) | (px & 0xFF00) | ((px & 0xFF) << 16);  // 0xAARRGGBB -> red low
      ASSERT_TRUE(rgb == m.Palette[0] || rgb == m.Palette[1]) << std::hex << px;
    }
  }
}

#include "base/Language.h"
#include "base/Texts.h"

TEST(ShippedLanguage, InternalControllerRules)
{
  TZmControllerDB& db = TZmControllerDB::Global();
  db.ClearAll();
  {
    TZmLanguageResources language(KESTRAVA_SOURCE_DIR "/data");
    ASSERT_EQ(language.SelectLanguage(TZmLanguageResources::kEnglish), 0);
    language.InstallTextLookup();
    TZmController* c = db.BuildInternalController();
    ASSERT_TRUE(c);
    EXPECT_EQ(c->UID, kDefaultInternalControllerUID);
    ASSERT_EQ(c->RegRules.Count(), 2u);
    for (TZmRegRule* r : c->RegRules.Items) {
      ASSERT_FALSE(r->Format.empty()) << r->Description;
      for (int32_t n = r->Min; n <= r->Max; ++n) {
        int32_t count = 1;
        ASSERT_TRUE(r->Match(r->FormatNumber(n), 0, count, kindAll));
        EXPECT_EQ(r->Value, n);
      }
    }
    EXPECT_EQ(c->RegRules.Item(0)->Max, 255);
    EXPECT_EQ(c->RegRules.Item(1)->Kind, kindDWord);
  }
  SetTextLookup(nullptr);
  db.ClearAll();
}
