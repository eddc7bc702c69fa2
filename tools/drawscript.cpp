// drawscript: renders a drawing script (graphics/DrawScript.h) to a PNG so a
// person can look at what the rasteriser draws.
//   drawscript SCRIPT OUT.png [ZOOM]   (SCRIPT "-" reads standard input;
//                                       ZOOM 1..16 enlarges every pixel)
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "base/Guard.h"
#include "base/File.h"
#include "graphics/DC.h"
#include "graphics/DrawScript.h"
#include "graphics/SurfacePng.h"

static int Main(int argc, char** argv)
{
  const int zoom = argc == 4 ? std::atoi(argv[3]) : 1;
  if ((argc != 3 && argc != 4) || zoom < 1 || zoom > 16) {
    std::fprintf(stderr, "usage: drawscript SCRIPT|- OUT.png [ZOOM]\n");
    return 2;
  }
  std::string script, error;
  if (std::string(argv[1]) == "-") {
    script.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
  } else {
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(argv[1], bytes, error, size_t(1) << 24)) {
      std::fprintf(stderr, "drawscript: %s\n", error.c_str());
      return 1;
    }
    script.assign(bytes.begin(), bytes.end());
  }
  std::unique_ptr<TZmDC> dc = RunDrawScript(script, error);
  if (!dc) {
    std::fprintf(stderr, "drawscript: %s\n", error.c_str());
    return 1;
  }
  std::vector<uint16_t> big(dc->Pixels().size() * zoom * zoom);
  const int w = dc->Width() * zoom, h = dc->Height() * zoom;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      big[static_cast<size_t>(y) * w + x] = dc->RawPixel(x / zoom, y / zoom);
  std::vector<uint8_t> png;
  if (!EncodeRGB565Png(big, w, h, png) || !WriteFileAtomic(argv[2], png, error)) {
    std::fprintf(stderr, "drawscript: %s\n", error.c_str());
    return 1;
  }
  return 0;
}

int main(int argc, char** argv) { return RunGuarded("drawscript", Main, argc, argv); }
