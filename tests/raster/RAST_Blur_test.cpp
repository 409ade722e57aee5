#include "raster/RAST_Blur.h"

#include "RAST_TestBitmap.h"

#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <string>
#include <vector>

namespace
{
RAST_pixel Half(RAST_pixel p) { return (p >> 1) & 0x7f7f7f7fu; }
RAST_pixel Quarter(RAST_pixel p) { return (p >> 2) & 0x3f3f3f3fu; }
RAST_pixel Eighth(RAST_pixel p) { return (p >> 3) & 0x1f1f1f1fu; }

// The blur of a w x h block of cells, from the rule: c/2 + the neighbours'
// eighths, an edge neighbour's missing partner replaced by the one present.
std::vector<RAST_pixel> ReferenceBlur(const std::vector<RAST_pixel>& in, int w, int h)
{
  std::vector<RAST_pixel> out(in.size());
  auto at = [&](int x, int y) { return in[static_cast<size_t>(y) * w + x]; };
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
    {
      const RAST_pixel side = x == 0 ? Quarter(at(1, y)) : x == w - 1 ? Quarter(at(x - 1, y))
                                                                     : Eighth(at(x - 1, y)) + Eighth(at(x + 1, y));
      const RAST_pixel vert = y == 0 ? Quarter(at(x, 1)) : y == h - 1 ? Quarter(at(x, y - 1))
                                                                      : Eighth(at(x, y - 1)) + Eighth(at(x, y + 1));
      out[static_cast<size_t>(y) * w + x] = Half(at(x, y)) + side + vert;
    }
  return out;
}

void Randomise(GuardedBitmap& bm, std::mt19937& rng)
{
  for (int y = 0; y < bm.getHeight(); ++y)
    for (int x = 0; x < bm.getWidth(); ++x) bm.At(x, y) = static_cast<RAST_pixel>(rng());
}

std::vector<RAST_pixel> Block(GuardedBitmap& bm, int x0, int y0, int w, int h)
{
  std::vector<RAST_pixel> out;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) out.push_back(bm.At(x0 + x, y0 + y));
  return out;
}
}  // namespace

TEST(RAST_Blur, UniformColourLosesAtMostFourPerByte)
{
  GuardedBitmap src(6, 5), dest(6, 5);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 6; ++x) src.At(x, y) = 0xFFFFFFFFu;
  RAST_Blur(&dest, &src, 0, 0, 0, 0, 6, 5);
  EXPECT_EQ(dest.At(2, 2), 0xFBFBFBFBu) << "127 + 4 * 31";
  EXPECT_EQ(dest.At(2, 0), 0xFCFCFCFCu) << "edge: 127 + 63 + 2 * 31";
  EXPECT_EQ(dest.At(0, 0), 0xFDFDFDFDu) << "corner: 127 + 2 * 63";
  EXPECT_TRUE(dest.SentinelsIntact());
}

TEST(RAST_Blur, HandWorkedPixel)
{
  GuardedBitmap src(3, 3), dest(3, 3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 3; ++x) src.At(x, y) = RAST_RGBA(8 * (x + 3 * y), 16, 200, 255);
  RAST_Blur(&dest, &src, 0, 0, 0, 0, 3, 3);
  // Centre red: 32/2 + 24/8 + 40/8 + 8/8 + 56/8 = 16 + 3 + 5 + 1 + 7 = 32;
  // green 8 + 4 * 2 = 16; blue 100 + 4 * 25 = 200; alpha 127 + 4 * 31 = 251.
  EXPECT_EQ(dest.At(1, 1), RAST_RGBA(32, 16, 200, 251));
}

TEST(RAST_Blur, MatchesTheRuleOnRandomPixels)
{
  const unsigned seed = std::random_device{}();
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::mt19937 rng(seed);
  for (int round = 0; round < 50; ++round)
  {
    const int w = 2 + static_cast<int>(rng() % 30), h = 2 + static_cast<int>(rng() % 30);
    GuardedBitmap src(w + 4, h + 4, 3, 16, rng() % 2), dest(w + 3, h + 2, 2, 16, rng() % 2);
    Randomise(src, rng);
    const std::vector<RAST_pixel> before = dest.Cells();
    RAST_Blur(&dest, &src, 1, 2, 2, 3, w, h);
    // The source rectangle is cut by the destination's edge.
    const int cw = w < dest.getWidth() - 1 ? w : dest.getWidth() - 1;
    const int ch = h < dest.getHeight() - 2 ? h : dest.getHeight() - 2;
    ASSERT_EQ(Block(dest, 1, 2, cw, ch), ReferenceBlur(Block(src, 2, 3, cw, ch), cw, ch)) << "round " << round;
    EXPECT_EQ(dest.At(0, 0), before[0]);
    ASSERT_TRUE(dest.SentinelsIntact()) << "round " << round;
  }
}

TEST(RAST_Blur, InPlaceReadsThePixelsAsTheyWere)
{
  // 2 x 2: every output from the four pixels before the call.
  GuardedBitmap tiny(2, 2);
  tiny.At(0, 0) = 0x80808080u, tiny.At(1, 0) = 0x40404040u, tiny.At(0, 1) = 0x20202020u, tiny.At(1, 1) = 0x10101010u;
  const std::vector<RAST_pixel> expected = ReferenceBlur(tiny.Cells(), 2, 2);
  RAST_Blur(&tiny, &tiny, 0, 0, 0, 0, 2, 2);
  EXPECT_EQ(tiny.Cells(), expected);
  EXPECT_EQ(tiny.At(0, 0), Half(0x80808080u) + Quarter(0x40404040u) + Quarter(0x20202020u));

  // Rows up to and beyond the fixed two-row buffer, stored either way up.
  std::mt19937 rng(11);
  for (int w : {3, 1024, 1025, 1500})
    for (bool flipped : {false, true})
    {
      GuardedBitmap bm(w + 2, 6, 3, 16, flipped);
      Randomise(bm, rng);
      const std::vector<RAST_pixel> want = ReferenceBlur(Block(bm, 1, 1, w, 4), w, 4);
      RAST_Blur(&bm, &bm, 1, 1, 1, 1, w, 4);
      EXPECT_EQ(Block(bm, 1, 1, w, 4), want) << "width " << w << (flipped ? " flipped" : "");
      EXPECT_TRUE(bm.SentinelsIntact());
    }
}

TEST(RAST_Blur, SameBitmapUnderAnotherRectangleReadsACopy)
{
  // Writing one row would overwrite source rows still to be read; the blur
  // works from the pixels as they were.
  std::mt19937 rng(5);
  GuardedBitmap bm(12, 12);
  Randomise(bm, rng);
  const std::vector<RAST_pixel> want = ReferenceBlur(Block(bm, 2, 2, 8, 8), 8, 8);
  RAST_Blur(&bm, &bm, 3, 4, 2, 2, 8, 8);
  EXPECT_EQ(Block(bm, 3, 4, 8, 8), want);
  EXPECT_TRUE(bm.SentinelsIntact());
}

TEST(RAST_Blur, ClippingAndDegenerateRectangles)
{
  struct Case
  {
    const char* name;
    int dstx, dsty, srcx, srcy, srcw, srch;
    bool draws;
  } kCases[] = {
      {"one pixel wide", 0, 0, 0, 0, 1, 5, false},
      {"one pixel high", 0, 0, 0, 0, 5, 1, false},
      {"cut to one column by the destination", 7, 0, 0, 0, 5, 5, false},
      {"source left of the bitmap is raised to 0", 0, 0, -3, 0, 6, 4, true},
      {"negative destination cuts source columns", -2, -1, 0, 0, 8, 8, true},
      {"beyond the destination", 8, 0, 0, 0, 4, 4, false},
      {"empty source", 0, 0, 9, 9, 4, 4, false},
      {"huge", INT_MIN, INT_MIN, INT_MIN, INT_MIN, INT_MAX, INT_MAX, false},
      {"huge size", 0, 0, 0, 0, INT_MAX, INT_MAX, true},
  };
  std::mt19937 rng(3);
  for (const Case& c : kCases)
  {
    GuardedBitmap src(9, 9), dest(8, 8);
    Randomise(src, rng);
    const std::vector<RAST_pixel> before = dest.Cells();
    RAST_Blur(&dest, &src, c.dstx, c.dsty, c.srcx, c.srcy, c.srcw, c.srch);
    EXPECT_EQ(dest.Cells() != before, c.draws) << c.name;
    EXPECT_TRUE(dest.SentinelsIntact()) << c.name;
  }
  // A negative dstx takes as many columns off the source's left side.
  GuardedBitmap src(9, 9), dest(8, 8);
  Randomise(src, rng);
  RAST_Blur(&dest, &src, -2, 0, 0, 0, 6, 5);
  EXPECT_EQ(Block(dest, 0, 0, 4, 5), ReferenceBlur(Block(src, 2, 0, 4, 5), 4, 5));
  RAST_Blur(nullptr, &src, 0, 0, 0, 0, 4, 4);
  RAST_Blur(&dest, nullptr, 0, 0, 0, 0, 4, 4);
}
