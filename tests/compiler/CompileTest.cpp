// The compile driver: header, sections, checksums and the size checks.
#include <gtest/gtest.h>

#include <memory>

#include "base/Crc16.h"
#include "base/Texts.h"
#include "compiler/Compiler.h"
#include "image/Messages.h"
#include "compiler/RegCollect.h"
#include "devices/Model.h"
#include "model/Project.h"
#include "model/Scenes.h"

namespace {

class Compile : public ::testing::Test {
protected:
  void SetUp() override
  {
    auto m = std::make_unique<TZmModel>();
    m->ID = 600;
    m->EditRect = {0, 0, 32, 16};
    m->ColorBit = 1;
    m->ColorFormat = 8;
    m->ROMSize = 64;
    m->Palette = {0xFFFFFF, 0};
    model = m.get();
    TZmModels::Global().Add(std::move(m));
    root.reset(NewObject<TZmHMI>());
    root->ModelID = 600;
    TZmScene::Create(TZmSceneGroup::Create(root->SceneGroups))->ID = 1;
    SetTextLookup([](int n) { return n == 9020 ? std::string("rom %d %d %d") : n == 9021 ? "reg %d %d %d" : ""; });
  }
  void TearDown() override
  {
    SetTextLookup(nullptr);
    root.reset();
    TZmModels::Global().Clear();
  }
  TZmModel* model = nullptr;
  std::unique_ptr<TZmHMI> root;
};

}  // namespace

TEST_F(Compile, HeaderSectionsAndChecksums)
{
  TZmCompileDriver c;
  TZmCompileFigures f = CompileProject(*root, c, 42);
  const auto& img = c.Output().Buffer();
  ASSERT_GT(img.size(), 256u);
  EXPECT_EQ(Crc16(std::span(img.data(), 256)), 0);  // header checksum stored low byte first
  EXPECT_EQ(Crc16(img), 0);
  EXPECT_EQ(GetU32(&img[32]), 600u);
  EXPECT_EQ(GetU32(&img[40]), 32u);
  EXPECT_EQ(GetU32(&img[44]), 16u);
  EXPECT_EQ(GetU32(&img[52]), 8u);
  EXPECT_EQ(GetU32(&img[56]), img.size());
  EXPECT_EQ(GetU32(&img[60]), 32u * 16 / 8);
  EXPECT_EQ(GetU32(&img[80]), 512u);  // 256 internal registers, nothing polled
  EXPECT_EQ(GetU32(&img[84]), 256u);  // the device list comes first
  EXPECT_EQ(GetU32(&img[GetU32(&img[88])]), 1u);  // one scene
  EXPECT_EQ(GetU16(&img[GetU32(&img[92]) + 4]), 100u);  // configuration: brightness
  EXPECT_EQ(f.ImageSize, img.size());
  EXPECT_EQ(f.RegisterBytes, 0);
  EXPECT_EQ(f.RegisterUsage, 0);

  // A second compile differs only in the 32 noise bytes and the checksums.
  TZmCompileDriver again;
  CompileProject(*root, again, 43);
  const auto& b = again.Output().Buffer();
  ASSERT_EQ(b.size(), img.size());
  for (size_t i = 32; i < img.size() - 2; ++i)
    if (i != 254 && i != 255) {
      ASSERT_EQ(img[i], b[i]) << i;
    }
  EXPECT_NE(std::vector<uint8_t>(img.begin(), img.begin() + 32), std::vector<uint8_t>(b.begin(), b.begin() + 32));

  // Seeded from the project itself: the same project gives the same bytes,
  // another project other noise bytes.
  TZmCompileDriver first, second, seeded;
  CompileProject(*root, first);
  CompileProject(*root, second);
  EXPECT_EQ(first.Output().Buffer(), second.Output().Buffer());
  CompileProject(*root, seeded, ProjectSeed(*root));
  EXPECT_EQ(seeded.Output().Buffer(), first.Output().Buffer());
  root->Title = "Another";
  TZmCompileDriver other;
  CompileProject(*root, other);
  const auto& o = other.Output().Buffer();
  EXPECT_NE(std::vector<uint8_t>(o.begin(), o.begin() + 32),
            std::vector<uint8_t>(first.Output().Buffer().begin(), first.Output().Buffer().begin() + 32));
  root->Title.clear();

  root->ModelID = 601;  // not installed: no image
  TZmCompileDriver none;
  CompileProject(*root, none, 1);
  EXPECT_EQ(none.Output().Size(), 0u);
  EXPECT_EQ(none.Messages->Size(), 0u);
}

TEST_F(Compile, ImageMemoryLimit)
{
  model->EditRect = {0, 0, 160, 80};  // a 1600-byte background: more than 1 KiB in all
  model->ROMSize = 1;
  TZmCompileDriver small;
  TZmCompileFigures f = CompileProject(*root, small, 1);
  ASSERT_GT(f.ImageSize, 1024u);
  EXPECT_EQ(f.RomUsage, 0);
  ASSERT_EQ(small.Messages->Size(), 1u);
  EXPECT_EQ(small.Messages->Item(0).Kind, TZmMessage::Plain);
  EXPECT_EQ(small.Messages->Item(0).Text,
            "rom " + std::to_string(f.ImageSize) + " 1024 " + std::to_string(f.ImageSize - 1024));
  EXPECT_EQ(small.Output().Size(), f.ImageSize);  // the image is complete all the same
  model->ROMSize = 64;
  TZmCompileDriver big;
  f = CompileProject(*root, big, 1);
  EXPECT_EQ(f.RomUsage, static_cast<int32_t>(f.ImageSize * 100 / 65536));
  EXPECT_EQ(big.Messages->Size(), 0u);
}

TEST_F(Compile, RegisterMemoryLimit)
{
  struct Case {
    int32_t total, usage;
    bool message;
  } cases[] = {{512, 0, false}, {1024, 100, false}, {1026, 0, true}};
  for (const auto& c : cases) {
    // The layout's total decides; fake it through the internal register count.
    model->REGCnt = c.total / 2;
    TZmCompileDriver comp;
    TZmCompileFigures f = CompileProject(*root, comp, 1);
    EXPECT_EQ(f.RegisterUsage, c.usage) << c.total;
    EXPECT_EQ(f.RegisterBytes, c.total - 512);
    EXPECT_EQ(comp.Messages->Size(), c.message ? 1u : 0u) << c.total;
  }
}
