#include "raster/RAST_Blit.h"

#include "raster/RAST_BitmapOps.h"
#include "RAST_TestBitmap.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <vector>

namespace
{
// A source whose every pixel differs from every other and from the pattern.
void Number(RAST_IBitmap& bm)
{
  for (int y = 0; y < bm.getHeight(); ++y)
    for (int x = 0; x < bm.getWidth(); ++x) PixelAt(bm, x, y) = 0xC0000000u | static_cast<RAST_pixel>(y << 8 | x);
}

TEST(RAST_Blit, ClipsToBothBitmaps)
{
  // whole: no source rectangle; drawn: the pixels that change.
  struct Case { const char* name; int dx, dy; bool whole; RECT rect; int drawn; } kCases[] = {
      {"rect left of the source shifts the drawing", 0, 0, false, {-5, 0, 10, 10}, 10 * 10},
      {"negative dstx skips source columns", -3, 0, true, {0, 0, 0, 0}, 7 * 10},
      {"negative dsty skips source rows", 0, -4, true, {0, 0, 0, 0}, 10 * 6},
      {"start at the width draws nothing", 20, 0, true, {0, 0, 0, 0}, 0},
      {"start at the height draws nothing", 0, 12, true, {0, 0, 0, 0}, 0},
      {"cut at the right and bottom", 15, 8, true, {0, 0, 0, 0}, 5 * 4},
      {"rect beyond the source is cut", 2, 1, false, {6, 7, 40, 40}, 4 * 3},
      {"empty rect", 2, 1, false, {5, 5, 5, 9}, 0},
      {"inverted rect", 2, 1, false, {8, 5, 2, 9}, 0},
      {"rect wholly outside the source", 0, 0, false, {10, 0, 20, 10}, 0},
      {"huge negative start", INT_MIN, INT_MIN, true, {0, 0, 0, 0}, 0},
      {"huge positive start", INT_MAX, 0, true, {0, 0, 0, 0}, 0},
      {"huge rect", 0, 0, false, {INT_MIN, INT_MIN, INT_MAX, INT_MAX}, 0},
      {"huge rect near the origin", INT_MAX, INT_MAX, false, {INT_MIN, INT_MIN, INT_MAX, INT_MAX}, 0},
  };
  // Either bitmap may be stored bottom-up.
  for (bool flipped : {false, true})
  {
    GuardedBitmap src(10, 10, 2, 16, !flipped);
    Number(src);
    for (const Case& c : kCases)
    {
      GuardedBitmap dest(20, 12, 3, 64, flipped);
      const std::vector<RAST_pixel> before = dest.Cells();
      const RECT whole{0, 0, 10, 10};
      const RECT& r = c.whole ? whole : c.rect;
      const std::vector<RAST_pixel> expected = ReferenceBlit(dest, src, c.dx, c.dy, r.left, r.top, r.right, r.bottom);
      RAST_Blit(&dest, &src, c.dx, c.dy, c.whole ? nullptr : &c.rect, 1.0f, RAST_BLIT_MODE_COPY);
      const std::vector<RAST_pixel> after = dest.Cells();
      EXPECT_EQ(after, expected) << c.name;
      int changed = 0;
      for (size_t i = 0; i < after.size(); ++i) changed += after[i] != before[i];
      EXPECT_EQ(changed, c.drawn) << c.name;
      EXPECT_TRUE(dest.SentinelsIntact()) << c.name;
    }
    // A rectangle starting left of the source: columns 5..14 get source columns 0..9.
    GuardedBitmap dest(20, 12, 3, 64, flipped);
    const RECT rect{-5, 0, 10, 10};
    RAST_Blit(&dest, &src, 0, 0, &rect, 1.0f, RAST_BLIT_MODE_COPY);
    EXPECT_EQ(dest.At(5, 0), src.At(0, 0));
    EXPECT_EQ(dest.At(14, 9), src.At(9, 9));
    EXPECT_EQ(dest.At(4, 0), GuardedBitmap::Pattern(4, 0));
  }
}

TEST(RAST_Blit, RectangleFormDoesNotWrap)
{
  RAST_MemBitmap src(10, 10, 4);
  Number(src);
  GuardedBitmap dest(20, 12);
  const std::vector<RAST_pixel> before = dest.Cells();
  // srcx + srcw wraps in 32 bits to a rectangle that would cover the source.
  RAST_Blit(&dest, &src, 0, 0, INT_MAX, 0, INT_MAX, 10, 1.0f, RAST_BLIT_MODE_COPY);
  RAST_Blit(&dest, &src, 0, 0, 0, INT_MAX - 1, 5, 10, 1.0f, RAST_BLIT_MODE_COPY);
  EXPECT_EQ(dest.Cells(), before);
  RAST_Blit(&dest, &src, 1, 2, 3, 4, 2, 2, 1.0f, RAST_BLIT_MODE_COPY);
  EXPECT_EQ(dest.At(1, 2), PixelAt(src, 3, 4));
  EXPECT_EQ(dest.At(2, 3), PixelAt(src, 4, 5));
  EXPECT_EQ(dest.At(3, 2), GuardedBitmap::Pattern(3, 2));
}

// The random blits of the guard-band test cover every byte pair; these are the
// common cases.
TEST(RAST_Blit, ChannelCopyMovesOneByte)
{
  // 0xf7: the source's blue into the destination's red, whatever the alpha.
  RAST_MemBitmap d(1, 1, 4), s(1, 1, 4);
  PixelAt(d, 0, 0) = 0x44332211u;
  PixelAt(s, 0, 0) = 0xDDCCBBAAu;
  RAST_Blit(&d, &s, 0, 0, nullptr, -0.25f, 0xf7);
  EXPECT_EQ(PixelAt(d, 0, 0), 0x4433DD11u);
  RAST_Blit(&d, &s, 0, 0, nullptr, 1.0f, 0xf0 | RAST_BLIT_USE_ALPHA);  // alpha into alpha
  EXPECT_EQ(PixelAt(d, 0, 0), 0x4433DDAAu);
}

// Within one bitmap a plain copy behaves as if the source were read first.
TEST(RAST_Blit, OverlappingCopyWithinOneBitmap)
{
  struct Case { const char* name; int dx, dy; bool flipped; } kCases[] = {
      {"right", 1, 0, false},   {"left", -1, 0, false},      {"down", 0, 1, false},
      {"up", 0, -2, false},     {"down right", 3, 2, false}, {"up left", -2, -1, false},
      {"flipped down", 0, 1, true}, {"flipped up", 1, -1, true},
  };
  for (const Case& c : kCases)
  {
    GuardedBitmap bm(16, 9, 2, 64, c.flipped);
    GuardedBitmap copy(16, 9, 2, 64, c.flipped);
    const RECT rect{2, 2, 12, 7};
    RAST_Blit(&copy, &bm, 2 + c.dx, 2 + c.dy, &rect, 1.0f, RAST_BLIT_MODE_COPY);
    RAST_Blit(&bm, &bm, 2 + c.dx, 2 + c.dy, &rect, 1.0f, RAST_BLIT_MODE_COPY);
    EXPECT_EQ(bm.Cells(), copy.Cells()) << c.name;
    EXPECT_TRUE(bm.SentinelsIntact()) << c.name;
  }
}

TEST(RAST_Copy, MakesAnIdenticalBitmap)
{
  RAST_MemBitmap src(7, 5, 4), dest(0, 0, 4);
  Number(src);
  RAST_Copy(&dest, &src);
  EXPECT_EQ(dest.getWidth(), 7);
  EXPECT_EQ(dest.getHeight(), 5);
  EXPECT_EQ(dest.getRowSpan(), 8);
  EXPECT_EQ(RAST_BitmapCmp(&dest, &src, nullptr), 0);
  RAST_Copy(nullptr, &src);
  RAST_Copy(&dest, nullptr);
}

TEST(RAST_GradRect, StepsEachChannelAcrossTheRectangle)
{
  // 0.0625 * 255 = 15.9375 per step, exact in 16.16.
  GuardedBitmap bm(12, 5);
  RAST_GradRect(&bm, -3, 1, 10, 3, 0, 0.5f, 0, 1.0f, 0.0625f, 0, 0, 0, 0, 0, 0.0625f, 0, 0);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 12; ++x)
    {
      RAST_pixel expected = GuardedBitmap::Pattern(x, y);
      if (x < 7 && y >= 1 && y < 4) expected = RAST_RGBA(255 * (x + 3) / 16, 127, 255 * (y - 1) / 16, 255);
      ASSERT_EQ(bm.At(x, y), expected) << x << "," << y;
    }
  EXPECT_TRUE(bm.SentinelsIntact());
}

// Values far beyond full intensity saturate instead of wrapping the 16.16
// steps; non-finite ones draw nothing.
TEST(RAST_GradRect, ExtremeValuesSaturate)
{
  GuardedBitmap bm(6, 4);
  RAST_GradRect(&bm, 0, 0, 6, 4, 1e6f, -1e6f, 1e9f, 1.0f, -1e5f, 0, 0, 0, 0, 0, 0, 0, 0);
  EXPECT_EQ(bm.At(0, 0), RAST_RGBA(255, 0, 255, 255));
  EXPECT_EQ(bm.At(5, 3), RAST_RGBA(255, 0, 255, 255));
  RAST_GradRect(&bm, 0, 0, 6, 4, 0.0f, 0, 0, 1.0f, 1e30f, 0, 0, 0, 0, 0, 0, 0, 0);
  EXPECT_EQ(bm.At(0, 0), RAST_RGBA(0, 0, 0, 255));
  EXPECT_EQ(bm.At(1, 0), RAST_RGBA(255, 0, 0, 255));
  const std::vector<RAST_pixel> before = bm.Cells();
  RAST_GradRect(&bm, 0, 0, 6, 4, std::nanf(""), 0, 0, 1.0f, 0, 0, 0, 0, 0, 0, 0, 0, 0);
  RAST_GradRect(&bm, 0, 0, 6, 4, 1.0f, 0, 0, HUGE_VALF, 0, 0, 0, 0, 0, 0, 0, 0, 1);
  EXPECT_EQ(bm.Cells(), before);
  for (int mode = 0; mode < 6; ++mode)
    RAST_GradRect(&bm, -1000000, -5, 1000010, 100, 3e4f, -3e4f, 1e5f, 3e4f, 1e3f, -1e4f, 7e4f, -1e4f, 1e3f, 1e4f,
                  -1e4f, 1e4f, mode);
  EXPECT_TRUE(bm.SentinelsIntact());
}
}  // namespace
