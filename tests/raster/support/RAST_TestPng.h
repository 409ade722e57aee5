// PNG helpers for the raster tests: images of every colour type written by
// libpng's own writer (so the loader is checked against an independent
// encoder), bitmaps saved as PNGs, and exact comparison with golden images.
#pragma once

#include "raster/RAST_Bitmap.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// An image as libpng's writer takes it.
struct TestPngImage
{
  int width = 0;
  int height = 0;
  int colorType = 0;  // PNG_COLOR_TYPE_*
  int bitDepth = 8;
  bool interlaced = false;
  // height rows of packed samples, each (width * channels * bitDepth + 7) / 8
  // bytes, 16-bit samples most significant byte first.
  std::vector<uint8_t> rows;
  std::vector<uint8_t> palette;     // r, g, b per entry
  std::vector<uint8_t> trnsAlpha;   // palette images: alpha per entry
  bool hasTrnsColor = false;        // gray and RGB images: the transparent colour
  uint16_t trnsGray = 0, trnsRed = 0, trnsGreen = 0, trnsBlue = 0;

  int Channels() const;
  size_t RowBytes() const;
};

// The image encoded by libpng; empty when the writer failed.
std::string EncodeTestPng(const TestPngImage& image);

// The bitmap (top row first, whatever its storage order) as an 8-bit RGBA PNG
// whose alpha is the pixels' alpha byte.
std::string EncodeBitmapPng(RAST_IBitmap& bitmap);

// Compares the bitmap pixel by pixel with tests/golden/NAME.png, read by
// libpng's simplified reader (not by the loader under test). On a mismatch or
// a missing golden, NAME.actual.png is written to golden-diff/ beside the test
// executable.
// With ZEPHRA_UPDATE_GOLDEN=1 the golden is written from the bitmap instead.
::testing::AssertionResult MatchesGoldenPng(RAST_IBitmap& actual, const std::string& name);
