#pragma once
// Compares a drawn surface with a golden picture in tests/data/golden, at
// the surface's colour precision. KESTRAVA_WRITE_GOLDEN=1 rewrites the
// picture instead (look at it before committing it).
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "graphics/Color.h"
#include "graphics/DC.h"
#include "graphics/Picture.h"
#include "graphics/SurfacePng.h"

inline void CompareWithGolden(const TZmDC& dc, const std::string& name)
{
  std::string path = std::string(KESTRAVA_TEST_DATA "/golden/") + name;
  if (std::getenv("KESTRAVA_WRITE_GOLDEN")) {
    std::string error;
    ASSERT_TRUE(SaveSurfacePng(dc, path, error)) << error;
  }
  TZmPictureData golden;
  std::string error;
  ASSERT_TRUE(LoadPngFile(path, golden, error)) << error;
  ASSERT_EQ(golden.Width, dc.Width());
  ASSERT_EQ(golden.Height, dc.Height());
  size_t differ = 0;
  for (int32_t y = 0; y < dc.Height(); ++y)
    for (int32_t x = 0; x < dc.Width(); ++x) {
      uint32_t px = golden.At(x, y);  // 0xAARRGGBB
      uint32_t rgb = ((px >> 16) & 0xFF) | (px & 0xFF00) | ((px & 0xFF) << 16);
      if ((RGB565ToRGB(dc.RawPixel(x, y)) & 0xF8FCF8) != (rgb & 0xF8FCF8)) ++differ;
    }
  EXPECT_EQ(differ, 0u) << name;
}
