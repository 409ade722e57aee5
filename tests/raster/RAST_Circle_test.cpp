// Circles, discs, arcs and rounded rectangles: where the small-circle masks
// stop, the weights of the walks, write counts and limits. The golden images
// hold the masks and arcs byte for byte.
#include "raster/RAST_Circle.h"

#include "raster/RAST_Line.h"
#include "RAST_TestBitmap.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace
{
constexpr RAST_pixel kWhite = 0xFFFFFFFFu;
constexpr float kPi = 3.1415927f;

// Four quarter arcs cover the whole circle walk; at alpha 1.0 without aa a
// pixel written twice stays the same.
void QuarterArcs(GuardedBitmap& bm, float cx, float cy, float r)
{
  for (int q = 0; q < 4; ++q) RAST_Arc(&bm, cx, cy, r, q * kPi / 2, (q + 1) * kPi / 2, kWhite, 1.0f, 0, false);
}

TEST(RAST_Circle, OnlyTheListedRadiiUseMasks)
{
  for (const float r : {2.0f, 2.25f})
  {
    GuardedBitmap circle(12, 12), arcs(12, 12);
    RAST_Circle(&circle, 6.0f, 6.0f, r, kWhite, 1.0f, 0, false);
    QuarterArcs(arcs, 6.0f, 6.0f, r);
    EXPECT_EQ(circle.Cells() == arcs.Cells(), r != 2.0f) << "radius " << r;
  }
  // A disc of a mask radius is walked and filled: its centre is covered.
  GuardedBitmap disc(12, 12, GuardedBitmap::Filled{0});
  RAST_FillCircle(&disc, 6.0f, 6.0f, 2.0f, kWhite, 1.0f, 0, true);
  EXPECT_EQ(disc.At(6, 6), kWhite);
}

TEST(RAST_Circle, WeightsOfTheWalks)
{
  {
    // Below radius 0.5 the four poles are the centre: written four times.
    GuardedBitmap bm(5, 5, GuardedBitmap::Filled{0});
    RAST_Circle(&bm, 2.0f, 2.0f, 0.3f, 0x01010101u, 1.0f, RAST_BLIT_MODE_ADD, false);
    EXPECT_EQ(bm.At(2, 2), 0x04040404u);
    bm.At(2, 2) = 0;
    EXPECT_EQ(bm.Cells(), std::vector<RAST_pixel>(25, 0));
  }
  {
    // Radius 1: the four neighbours of the centre only.
    GuardedBitmap bm(5, 5, GuardedBitmap::Filled{0});
    RAST_Circle(&bm, 2.0f, 2.0f, 1.0f, kWhite, 1.0f, 0, false);
    std::vector<RAST_pixel> expected(25, 0);
    for (int i : {7, 11, 13, 17}) expected[i] = kWhite;
    EXPECT_EQ(bm.Cells(), expected);
  }
  {
    // Anti-aliased radius 10.0: outer poles at weight 0, inner poles full.
    GuardedBitmap bm(30, 30, GuardedBitmap::Filled{0});
    RAST_Circle(&bm, 15.0f, 15.0f, 10.0f, kWhite, 1.0f, 0, true);
    EXPECT_EQ(bm.At(15, 5), kWhite);
    EXPECT_EQ(bm.At(25, 15), kWhite);
    EXPECT_EQ(bm.At(15, 4), 0u);
    EXPECT_EQ(bm.At(26, 15), 0u);
  }
}

TEST(RAST_FillCircle, EveryInsidePixelOnce)
{
  for (bool aa : {false, true})
    for (float r = 0.0f; r < 14.0f; r += 0.37f)
    {
      GuardedBitmap bm(40, 40, GuardedBitmap::Filled{0});
      RAST_FillCircle(&bm, 19.3f, 20.0f, r, 0x01010101u, 1.0f, RAST_BLIT_MODE_ADD, aa);
      for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x)
        {
          const float dx = x - 19.0f, dy = y - 20.0f;
          const RAST_pixel expected = dx * dx + dy * dy < (r - 1) * (r - 1) ? 0x01010101u : bm.At(x, y);
          ASSERT_TRUE(bm.At(x, y) == 0 || bm.At(x, y) == 0x01010101u) << r << " at " << x << "," << y;
          ASSERT_EQ(bm.At(x, y), expected) << r << " at " << x << "," << y;
        }
    }
}

TEST(RAST_FillCircle, HugeRadiusDrawsOnlyTheVisibleRows)
{
  GuardedBitmap bm(100, 60, GuardedBitmap::Filled{0});
  // The rim crosses the bitmap at row 30; walking every row of this circle
  // would take a hundred million steps.
  RAST_FillCircle(&bm, 50.5f, 30.0f - 1.0e8f, 1.0e8f, kWhite, 1.0f, 0, true);
  RAST_Circle(&bm, 50.5f, 30.0f - 1.0e8f, 1.0e8f, kWhite, 1.0f, 0, false);
  RAST_Arc(&bm, 50.5f, 30.0f - 1.0e8f, 1.0e8f, 3.0f, 3.2f, kWhite, 1.0f, 0, true);
  EXPECT_EQ(bm.At(50, 5), kWhite);
  EXPECT_EQ(bm.At(50, 55), 0u);
  EXPECT_TRUE(bm.SentinelsIntact());
  // Beyond 2^28 pixels nothing is drawn at all.
  GuardedBitmap far(10, 10);
  const std::vector<RAST_pixel> before = far.Cells();
  RAST_FillCircle(&far, 5.0f, -1.0e9f, 1.0e9f + 5.0f, kWhite, 1.0f, 0, true);
  EXPECT_EQ(far.Cells(), before);
}

TEST(RAST_Circle, NonFiniteArgumentsDrawNothing)
{
  const float kBad[] = {std::nanf(""), INFINITY, -INFINITY};
  for (const float bad : kBad)
    for (int i = 0; i < 6; ++i)
    {
      float a[6] = {8.0f, 7.0f, 5.0f, 0.5f, 2.5f, 1.0f};
      a[i] = bad;
      GuardedBitmap bm(16, 16);
      const std::vector<RAST_pixel> before = bm.Cells();
      if (i < 3 || i == 5)
      {
        RAST_Circle(&bm, a[0], a[1], a[2], kWhite, a[5], 0, true);
        RAST_FillCircle(&bm, a[0], a[1], a[2], kWhite, a[5], 0, false);
      }
      RAST_Arc(&bm, a[0], a[1], a[2], a[3], a[4], kWhite, a[5], 0, true);
      RAST_RoundRect(&bm, a[0] - 6, a[1] - 6, a[2] + a[3], a[2] + a[4], 3, kWhite, a[5], 0, false);
      EXPECT_EQ(bm.Cells(), before) << "argument " << i << " " << bad;
    }
}

// A full turn is the whole circle, however the walk is split.
TEST(RAST_Arc, FullTurnIsTheCircle)
{
  for (bool aa : {false, true})
  {
    GuardedBitmap arc(30, 30, GuardedBitmap::Filled{0}), circle(30, 30, GuardedBitmap::Filled{0});
    RAST_Arc(&arc, 15.0f, 15.0f, 9.0f, 0.0f, 2 * kPi, kWhite, 1.0f, 0, aa);
    RAST_Circle(&circle, 15.0f, 15.0f, 9.0f, kWhite, 1.0f, 0, aa);
    EXPECT_EQ(arc.Cells(), circle.Cells()) << (aa ? "aa" : "plain");
  }
}

TEST(RAST_RoundRect, CornerRadiusLimits)
{
  struct Case { const char* name; float w, h; int radius; bool plainOutline; } kCases[] = {
      {"radius 1", 20.0f, 20.0f, 1, true},
      {"radius 0", 20.0f, 20.0f, 0, true},
      {"width below 4", 3.0f, 20.0f, 5, true},
      {"height below 4", 20.0f, 3.5f, 5, true},
      {"radius held to half the width", 12.0f, 40.0f, 10, false},
  };
  for (const Case& c : kCases)
  {
    GuardedBitmap bm(50, 50), expected(50, 50);
    RAST_RoundRect(&bm, 2.0f, 3.0f, c.w, c.h, c.radius, kWhite, 1.0f, 0, true);
    if (c.plainOutline)
      RAST_DrawRect(&expected, 2, 3, static_cast<int>(c.w), static_cast<int>(c.h), kWhite, 1.0f, 0);
    else
      // Radius 10 on a 12-pixel width comes down to 6.
      RAST_RoundRect(&expected, 2.0f, 3.0f, c.w, c.h, 6, kWhite, 1.0f, 0, true);
    EXPECT_EQ(bm.Cells(), expected.Cells()) << c.name;
  }
}
}  // namespace
