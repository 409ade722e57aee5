#include "raster/RAST_Blur.h"

#include "RAST_TestBitmap.h"

#include <gtest/gtest.h>

#include <algorithm>
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
// With blurredAbove each row takes the row above from the rows already
// blurred.
std::vector<RAST_pixel> ReferenceBlur(const std::vector<RAST_pixel>& in, int w, int h, bool blurredAbove = false)
{
  std::vector<RAST_pixel> out(in.size());
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
    {
      auto at = [&](int cx, int cy) {
        return (blurredAbove && cy < y ? out : in)[static_cast<size_t>(cy) * w + cx];
      };
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

TEST(RAST_Blur, HandWorkedPixels)
{
  GuardedBitmap white(6, 5), dest(6, 5);
  FillAll(white, 0xFFFFFFFFu);
  RAST_Blur(&dest, &white, 0, 0, 0, 0, 6, 5);
  EXPECT_EQ(dest.At(2, 2), 0xFBFBFBFBu) << "127 + 4 * 31";
  EXPECT_EQ(dest.At(2, 0), 0xFCFCFCFCu) << "edge: 127 + 63 + 2 * 31";
  EXPECT_EQ(dest.At(0, 0), 0xFDFDFDFDu) << "corner: 127 + 2 * 63";
  EXPECT_TRUE(dest.SentinelsIntact());

  GuardedBitmap src(3, 3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 3; ++x) src.At(x, y) = RAST_RGBA(8 * (x + 3 * y), 16, 200, 255);
  RAST_Blur(&dest, &src, 0, 0, 0, 0, 3, 3);
  // Centre red: 32/2 + 24/8 + 40/8 + 8/8 + 56/8 = 16 + 3 + 5 + 1 + 7 = 32;
  // green 8 + 4 * 2 = 16; blue 100 + 4 * 25 = 200; alpha 127 + 4 * 31 = 251.
  EXPECT_EQ(dest.At(1, 1), RAST_RGBA(32, 16, 200, 251));
}

// Into another bitmap (cut by its edges), in place and within one bitmap at
// another place, rows on both sides of the 1024-pixel scratch rows, stored
// either way up: the blurred block is the rule applied to the source block as
// it was, and nothing else changes.
TEST(RAST_Blur, MatchesTheRule)
{
  const unsigned seed = std::random_device{}();
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::mt19937 rng(seed);
  // destw, desth: the size of another bitmap.
  struct Case { const char* name; bool inPlace; int destw, desth, dstx, dsty, srcx, srcy, w, h; } kCases[] = {
      {"2 x 2 in place", true, 0, 0, 0, 0, 0, 0, 2, 2},
      {"1023 wide in place", true, 0, 0, 1, 1, 1, 1, 1023, 4},
      {"1024 wide in place", true, 0, 0, 1, 1, 1, 1, 1024, 4},
      {"1025 wide in place", true, 0, 0, 1, 1, 1, 1, 1025, 4},
      {"within one bitmap, overlapping", true, 0, 0, 3, 4, 2, 2, 8, 8},
      {"into another bitmap", false, 12, 10, 1, 2, 2, 3, 9, 7},
      {"cut by the destination's right and bottom", false, 8, 6, 1, 2, 2, 3, 9, 7},
      {"negative destination cuts source columns", false, 8, 8, -2, -1, 0, 0, 6, 5},
  };
  for (const Case& c : kCases)
    for (bool flipped : {false, true})
    {
      SCOPED_TRACE(c.name + std::string(flipped ? ", flipped" : ""));
      GuardedBitmap src(std::max(c.srcx, c.dstx) + c.w + 2, std::max(c.srcy, c.dsty) + c.h + 2, 3, 16, flipped);
      GuardedBitmap other(std::max(c.destw, 1), std::max(c.desth, 1), 2, 16, !flipped);
      Randomise(src, rng);
      GuardedBitmap& dest = c.inPlace ? src : other;
      // What lands in dest: the block cut to dest, less the columns and rows a
      // negative destination takes off the source's left and top.
      const int cutx = std::max(0, -c.dstx), cuty = std::max(0, -c.dsty);
      const int dx = c.dstx + cutx, dy = c.dsty + cuty;
      const int w = std::min(c.w - cutx, dest.getWidth() - dx), h = std::min(c.h - cuty, dest.getHeight() - dy);
      std::vector<RAST_pixel> expected = dest.Cells();
      const std::vector<RAST_pixel> blurred = ReferenceBlur(Block(src, c.srcx + cutx, c.srcy + cuty, w, h), w, h);
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
          expected[static_cast<size_t>(dy + y) * dest.getWidth() + dx + x] = blurred[static_cast<size_t>(y) * w + x];
      RAST_Blur(&dest, &src, c.dstx, c.dsty, c.srcx, c.srcy, c.w, c.h);
      EXPECT_EQ(dest.Cells(), expected);
      EXPECT_TRUE(dest.SentinelsIntact());
    }
}

TEST(RAST_Blur, DegenerateRectanglesDrawNothing)
{
  struct Case { const char* name; int dstx, dsty, srcx, srcy, srcw, srch; bool draws; } kCases[] = {
      {"one pixel wide", 0, 0, 0, 0, 1, 5, false},
      {"one pixel high", 0, 0, 0, 0, 5, 1, false},
      {"two pixels wide", 0, 0, 0, 0, 2, 5, true},
      {"cut to one column by the destination", 7, 0, 0, 0, 5, 5, false},
      {"cut to two columns by the destination", 6, 0, 0, 0, 5, 5, true},
      {"source left of the bitmap is raised to 0", 0, 0, -3, 0, 6, 4, true},
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
  GuardedBitmap src(9, 9);
  RAST_Blur(nullptr, &src, 0, 0, 0, 0, 4, 4);
  RAST_Blur(&src, nullptr, 0, 0, 0, 0, 4, 4);
}

namespace
{
void* NoRows(size_t) { return nullptr; }
}  // namespace

// Rows of 0x40, 0x80 and 0 in every byte, blurred in place while the saved
// rows cannot be had: up to 1024 pixels none are needed; beyond, each row
// takes its upper neighbour already blurred (row 1: 0x40 + 0x20 + 0x50 / 8,
// row 2: 0x6A / 4), where the saved rows give 0x68 and 0x20.
TEST(RAST_Blur, InPlaceWithoutSavedRowsStillBlurs)
{
  struct Case
  {
    int w;
    std::vector<RAST_pixel> rows;
  } kCases[] = {
      {1024, {0x50505050u, 0x68686868u, 0x20202020u}},
      {1025, {0x50505050u, 0x6A6A6A6Au, 0x1A1A1A1Au}},
      {1200, {0x50505050u, 0x6A6A6A6Au, 0x1A1A1A1Au}},
  };
  RAST_BlurSetRowBufferAllocForTest(&NoRows);
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.w);
    GuardedBitmap bm(c.w, 3);
    for (int x = 0; x < c.w; ++x)
    {
      bm.At(x, 0) = 0x40404040u;
      bm.At(x, 1) = 0x80808080u;
      bm.At(x, 2) = 0;
    }
    RAST_Blur(&bm, &bm, 0, 0, 0, 0, c.w, 3);
    for (int y = 0; y < 3; ++y)
      for (int x : {0, 1, c.w / 2, c.w - 2, c.w - 1}) EXPECT_EQ(bm.At(x, y), c.rows[y]) << x << "," << y;
    EXPECT_TRUE(bm.SentinelsIntact());
  }

  // Mixed pixels: each pixel's left neighbour is read before it is
  // overwritten.
  const unsigned seed = std::random_device{}();
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::mt19937 rng(seed);
  GuardedBitmap bm(1100, 5);
  Randomise(bm, rng);
  const std::vector<RAST_pixel> expected = ReferenceBlur(Block(bm, 0, 0, 1100, 5), 1100, 5, true);
  RAST_Blur(&bm, &bm, 0, 0, 0, 0, 1100, 5);
  EXPECT_EQ(Block(bm, 0, 0, 1100, 5), expected);
  RAST_BlurSetRowBufferAllocForTest(nullptr);
}
