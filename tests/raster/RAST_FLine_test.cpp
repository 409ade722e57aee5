// Float lines, the float clipper and dashed lines: exact pixels, rejected
// arguments and dash patterns that must stay bounded.
#include "raster/RAST_FLine.h"

#include "raster/RAST_Line.h"
#include "RAST_TestBitmap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <limits>
#include <vector>

namespace
{
constexpr RAST_pixel kWhite = 0xFFFFFFFFu;
const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();

// The (x, y) of every cell that is no longer background, row by row.
std::vector<std::pair<int, int>> Touched(GuardedBitmap& bm, RAST_pixel background)
{
  std::vector<std::pair<int, int>> out;
  for (int y = 0; y < bm.getHeight(); ++y)
    for (int x = 0; x < bm.getWidth(); ++x)
      if (bm.At(x, y) != background) out.emplace_back(x, y);
  return out;
}

TEST(RAST_FLine, WithoutAntiAliasingTruncatesTheEnds)
{
  GuardedBitmap bm(10, 10, GuardedBitmap::Filled{0});
  RAST_FLine(&bm, 1.9f, 2.9f, 5.2f, 2.1f, kWhite, 1.0f, 0, false);
  EXPECT_EQ(Touched(bm, 0), (std::vector<std::pair<int, int>>{{1, 2}, {2, 2}, {3, 2}, {4, 2}, {5, 2}}));
}

TEST(RAST_FLine, AntiAliasedColumns)
{
  // Columns 3..6 only, row 1 at weight 255 (Copy of white onto black leaves
  // the weight in every byte) and row 2 at weight 0, which changes nothing.
  GuardedBitmap bm(10, 10, GuardedBitmap::Filled{0});
  RAST_FLine(&bm, 2.5f, 1.0f, 6.5f, 1.0f, kWhite, 1.0f, 0, true);
  EXPECT_EQ(Touched(bm, 0), (std::vector<std::pair<int, int>>{{3, 1}, {4, 1}, {5, 1}, {6, 1}}));
  EXPECT_EQ(bm.At(4, 1), kWhite);
}

TEST(RAST_FLine, AntiAliasedCasesThatDrawNothing)
{
  // plainDraws: without aa the truncated ends make a point.
  struct Case { const char* name; float x1, y1, x2, y2; bool plainDraws; } kCases[] = {
      {"no whole column between the ends", 2.2f, 1.0f, 2.8f, 1.1f, true},
      {"equal ends", 4.0f, 4.0f, 4.0f, 4.0f, true},
      {"NaN", kNaN, 1.0f, 5.0f, 5.0f, false},
      {"infinite", 1.0f, 1.0f, kInf, 5.0f, false},
      {"negative infinity", -kInf, 3.0f, 5.0f, 3.0f, false},
      {"outside", -5.0f, -5.0f, -1.0f, -3.0f, false},
  };
  for (const Case& c : kCases)
    for (bool aa : {true, false})
    {
      GuardedBitmap bm(10, 10);
      const std::vector<RAST_pixel> before = bm.Cells();
      RAST_FLine(&bm, c.x1, c.y1, c.x2, c.y2, kWhite, 1.0f, 0, aa);
      if (aa || !c.plainDraws)
      {
        EXPECT_EQ(bm.Cells(), before) << c.name << (aa ? " aa" : "");
      }
    }
}

// Ends far beyond the int range are cut in double first: the visible part is
// the same line as with nearby ends on the same carrier.
TEST(RAST_FLine, HugeEndsDrawTheVisiblePart)
{
  for (bool aa : {false, true})
  {
    GuardedBitmap far(16, 16), near(16, 16);
    RAST_FLine(&far, -1e30f, 7.0f, 1e30f, 7.0f, kWhite, 1.0f, 0, aa);
    RAST_FLine(&near, -100.0f, 7.0f, 100.0f, 7.0f, kWhite, 1.0f, 0, aa);
    EXPECT_EQ(far.Cells(), near.Cells()) << (aa ? "aa" : "plain");
    EXPECT_TRUE(far.SentinelsIntact());
  }
}

TEST(RAST_ClipFLineToBitmap, KeepsTheFootprintInside)
{
  float x1 = 2.0f, y1 = 5.0f, x2 = 20.0f, y2 = 5.0f;
  EXPECT_TRUE(RAST_ClipFLineToBitmap(&x1, &y1, &x2, &y2, 10, 10));
  EXPECT_EQ(x2, 8.0f);
  float a = 5.0f, b = 2.0f, c = 5.0f, d = 50.0f;
  EXPECT_TRUE(RAST_ClipFLineToBitmap(&a, &b, &c, &d, 10, 10));
  EXPECT_EQ(d, 8.0f);
  // A bitmap one pixel wide leaves no room for the footprint.
  float e = 0.0f, f = 0.0f, g = 0.0f, h = 5.0f;
  EXPECT_FALSE(RAST_ClipFLineToBitmap(&e, &f, &g, &h, 1, 10));
  float n = kNaN, m = 1.0f, o = 2.0f, p = 3.0f;
  EXPECT_FALSE(RAST_ClipFLineToBitmap(&n, &m, &o, &p, 10, 10));
  float q = 1e30f, r = 1e30f, s = -1e30f, t = -3e30f;
  EXPECT_FALSE(RAST_ClipFLineToBitmap(&q, &r, &s, &t, 10, 10));
  float u = 0.0f, v = 15.0f, w = 30.0f, z = 15.0f;
  EXPECT_TRUE(RAST_ClipFLine(&u, &v, &w, &z, 10.0f, 10.0f, 20.0f, 20.0f));
  EXPECT_EQ(u, 10.0f);
  EXPECT_EQ(w, 18.0f);
}

TEST(RAST_DashedLine, Patterns)
{
  // drawn: positions along the line.
  struct Case { const char* name; int x1, y1, x2, y2, on, off; float alpha; std::vector<int> drawn; } kCases[] = {
      {"two on two off", 0, 3, 9, 3, 2, 2, 1.0f, {0, 1, 4, 5, 8}},
      {"given right to left", 9, 3, 0, 3, 2, 2, 1.0f, {0, 1, 4, 5, 8}},
      {"vertical one on one off", 4, 0, 4, 4, 1, 1, 1.0f, {0, 2}},
      {"vertical through the instance", 4, 0, 4, 4, 1, 1, 0.9f, {0, 2}},
      {"vertical of even length", 4, 0, 4, 3, 1, 1, 1.0f, {0, 2}},
      {"one pixel", 3, 3, 3, 3, 1, 1, 1.0f, {}},
      {"diagonal", 0, 0, 5, 5, 1, 1, 1.0f, {}},
      {"clipped at the left", -3, 3, 9, 3, 2, 2, 1.0f, {0, 1, 4, 5, 8}},
      // Patterns that could not advance, or whose lengths are near the int
      // limit: nothing, or a bounded pattern inside the line.
      {"no on pixels", 0, 3, 9, 3, 0, 2, 1.0f, {}},
      {"negative on length", 0, 3, 9, 3, -5, 9, 1.0f, {}},
      {"period of zero", 0, 3, 9, 3, 1, -1, 1.0f, {}},
      {"huge on and off", 0, 3, 9, 3, INT_MAX, INT_MAX, 1.0f, {0, 1, 2, 3, 4, 5, 6, 7, 8}},
      {"huge off", 0, 3, 9, 3, 2, INT_MAX, 1.0f, {0, 1}},
      {"huge on, negative off", 0, 3, 9, 3, INT_MAX, INT_MIN, 1.0f, {}},
  };
  for (const Case& c : kCases)
    for (bool flipped : {false, true})
    {
      GuardedBitmap bm(10, 10, GuardedBitmap::Filled{0}, 3, 64, flipped);
      RAST_DashedLine(&bm, c.x1, c.y1, c.x2, c.y2, c.on, c.off, kWhite, c.alpha, 0, false);
      // Rows as stored: a flipped bitmap's row 0 is its bottom row as shown.
      std::vector<int> drawn;
      for (const auto& [x, y] : Touched(bm, 0))
      {
        const int stored = flipped ? 9 - y : y;
        EXPECT_EQ(c.x1 == c.x2 ? x : stored, c.x1 == c.x2 ? c.x1 : c.y1) << c.name;
        drawn.push_back(c.x1 == c.x2 ? stored : x);
      }
      std::sort(drawn.begin(), drawn.end());
      EXPECT_EQ(drawn, c.drawn) << c.name << (flipped ? " flipped" : "");
      EXPECT_TRUE(bm.SentinelsIntact()) << c.name;
    }
}

// Overlapping dashes (a period shorter than the dash) blend again, but never
// outside the line.
TEST(RAST_DashedLine, OverlappingDashesStayOnTheLine)
{
  GuardedBitmap bm(10, 4, GuardedBitmap::Filled{0});
  RAST_DashedLine(&bm, 1, 2, 8, 2, 3, -2, 0x01010101u, 1.0f, RAST_BLIT_MODE_ADD, false);
  // Dashes start at 1, 2, 3, 4 and, last and cut to the line, 5.
  const int kCount[10] = {0, 1, 2, 3, 3, 3, 2, 1, 0, 0};
  for (int x = 0; x < 10; ++x) EXPECT_EQ(bm.At(x, 2), 0x01010101u * kCount[x]) << x;
}
}  // namespace
