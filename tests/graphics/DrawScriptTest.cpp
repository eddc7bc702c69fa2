#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "DrawTestUtil.h"
#include "graphics/DrawScript.h"
#include "graphics/SurfacePng.h"
#include "graphics/TextRaster.h"

using Rows = std::vector<std::string>;

TEST(DrawScript, DrawsWhatItSays)
{
  std::string error;
  auto dc = RunDrawScript("size 6 4  # comment\n"
                          "pen 1 1 1\n"
                          "brush 2 1 0\n"
                          "rect 0 0 5 3\n"
                          "pixel 0x2 1 3\n",
                          error);
  ASSERT_TRUE(dc) << error;
  EXPECT_EQ(Art(*dc), (Rows{"######", "#oxoo#", "#oooo#", "######"}));
  dc.reset();
  dc = RunDrawScript("size 3 1\npixel 1 0 0x3\nclip 5 5 6 6\npixel 2 0 1\nnoclip\npixel 0 0 1", error);
  ASSERT_TRUE(dc) << error;
  EXPECT_EQ(Art(*dc)[0], "#x.");
}

TEST(DrawScript, RejectsBadScriptsWithTheLine)
{
  struct Case {
    const char* script;
    const char* error;
  } cases[] = {
    {"", "empty script"},
    {"line 0 0 1 1", "line 1: size W H must come first"},
    {"size 10 10\nsize 5 5", "line 2: size W H must come first, once"},
    {"size 100000 10", "line 1: surface size out of range"},
    {"size 10 10\nline 0 0 1", "line 2: unknown command or wrong arguments"},
    {"size 10 10\nline 0 0 1 x", "line 2: unknown command or wrong arguments"},
    {"size 10 10\n\nrect 0 0 1 99999999999", "line 3: unknown command or wrong arguments"},
    {"size 10 10\ntext 0 0 9 9 0 0 1 \"open", "line 2: unterminated string"},
    {"size 10 10\npolygon 1 2 3", "line 2: unknown command or wrong arguments"},
    {"size 10 10\nexplode", "line 2: unknown command or wrong arguments"},
  };
  for (const Case& c : cases) {
    std::string error;
    EXPECT_FALSE(RunDrawScript(c.script, error)) << c.script;
    EXPECT_EQ(error, c.error) << c.script;
  }
}

// The showcase scenes run without errors and make a PNG a person can open.
TEST(DrawScript, ShowcaseScenesRender)
{
  for (const char* name : {"showcase.draw", "texts.draw"}) {
    std::ifstream in(std::string(KESTRAVA_SOURCE_DIR) + "/tests/graphics/scenes/" + name);
    ASSERT_TRUE(in) << name;
    std::stringstream ss;
    ss << in.rdbuf();
    std::string error;
    auto dc = RunDrawScript(ss.str(), error);
    ASSERT_TRUE(dc) << name << ": " << error;
    std::vector<uint8_t> png;
    ASSERT_TRUE(EncodeRGB565Png(dc->Pixels(), dc->Width(), dc->Height(), png));
    ASSERT_GT(png.size(), 8u);
    EXPECT_EQ(png[1], 'P');
    EXPECT_EQ(png[2], 'N');
  }
  std::vector<uint8_t> png;
  const uint16_t px[2] = {0, 0xFFFF};
  EXPECT_FALSE(EncodeRGB565Png(px, 2, 2, png));  // claims more pixels than given
  EXPECT_FALSE(EncodeRGB565Png(px, 0, 1, png));
}
