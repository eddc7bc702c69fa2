#pragma once
// Writes a drawing surface as a PNG so a person can look at what was drawn
// (developer tool, tests, the command line's screen dumps).

#include <cstdint>
#include <span>
#include <string>
#include <vector>

class TZmDC;

// RGB565 pixels -> PNG bytes (8-bit RGB, channels widened by replication).
bool EncodeRGB565Png(std::span<const uint16_t> pixels, int32_t width, int32_t height, std::vector<uint8_t>& png);
bool SaveSurfacePng(const TZmDC& dc, const std::string& path, std::string& error);
