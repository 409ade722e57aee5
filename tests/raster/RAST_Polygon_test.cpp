// Trapezoid, triangle and convex-polygon fills: row spans, rows written once,
// and the cubic evaluator.
#include "raster/RAST_Polygon.h"

#include "raster/RAST_Bezier.h"
#include "RAST_TestBitmap.h"
#include "RAST_TestSeed.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <utility>
#include <vector>

namespace
{
constexpr RAST_pixel kWhite = 0xFFFFFFFFu;

// Per row the first and last changed column, or {-1, -1}; asserts that each
// row's changed cells are one run.
std::vector<std::pair<int, int>> RowSpans(GuardedBitmap& bm, RAST_pixel background)
{
  std::vector<std::pair<int, int>> out;
  for (int y = 0; y < bm.getHeight(); ++y)
  {
    int first = -1, last = -1, count = 0;
    for (int x = 0; x < bm.getWidth(); ++x)
      if (bm.At(x, y) != background)
      {
        if (first < 0) first = x;
        last = x;
        ++count;
      }
    EXPECT_EQ(count, first < 0 ? 0 : last - first + 1) << "row " << y << " is not one run";
    out.emplace_back(first, last);
  }
  return out;
}

// Each row's run of filled cells as (first, last); unlisted rows stay empty.
TEST(RAST_Polygon, RowSpans)
{
  using Spans = std::vector<std::pair<int, std::pair<int, int>>>;
  struct Case { const char* name; void (*fill)(RAST_IBitmap*); Spans spans; } const kCases[] = {
      {"trapezoid of one row: from the smaller to the larger x of the top pair",
       [](RAST_IBitmap* bm) { RAST_FillTrapezoid(bm, 7, 2, 4, 100, -50, 4, kWhite, 1.0f, 0); }, {{4, {2, 7}}}},
      {"trapezoid stepping 65536 / 3 three times stays below one column",
       [](RAST_IBitmap* bm) { RAST_FillTrapezoid(bm, 0, 5, 0, 1, 5, 3, kWhite, 1.0f, 0); },
       {{0, {0, 5}}, {1, {0, 5}}, {2, {0, 5}}, {3, {0, 5}}}},
      {"trapezoid from 10 to 0 over ten rows: one column a row",
       [](RAST_IBitmap* bm) { RAST_FillTrapezoid(bm, 10, 15, 0, 0, 15, 10, kWhite, 1.0f, 0); },
       {{0, {10, 15}}, {1, {9, 15}}, {2, {8, 15}}, {3, {7, 15}}, {4, {6, 15}}, {5, {5, 15}}, {6, {4, 15}},
        {7, {3, 15}}, {8, {2, 15}}, {9, {1, 15}}, {10, {0, 15}}}},
      {"triangle", [](RAST_IBitmap* bm) { RAST_FillTriangle(bm, 0, 0, 10, 0, 0, 10, kWhite, 1.0f, 0); },
       {{0, {0, 10}}, {1, {0, 9}}, {2, {0, 8}}, {3, {0, 7}}, {4, {0, 6}}, {5, {0, 5}}, {6, {0, 4}}, {7, {0, 3}},
        {8, {0, 2}}, {9, {0, 1}}, {10, {0, 0}}}},
      {"polygon of points in one row",
       [](RAST_IBitmap* bm) {
         const int xs[] = {3, 9, 1, 6}, ys[] = {5, 5, 5, 5};
         RAST_FillConvexPolygon(bm, xs, ys, 4, kWhite, 1.0f, 0);
       },
       {{5, {1, 9}}}},
      {"polygon wholly left of the bitmap: nothing, not column 0",
       [](RAST_IBitmap* bm) {
         const int xs[] = {-9, -3, -5}, ys[] = {5, 5, 5};
         RAST_FillConvexPolygon(bm, xs, ys, 3, kWhite, 1.0f, 0);
       },
       {}},
  };
  for (const Case& c : kCases)
  {
    GuardedBitmap bm(20, 14, GuardedBitmap::Filled{0});
    c.fill(&bm);
    std::vector<std::pair<int, int>> expected(14, {-1, -1});
    for (const auto& [row, span] : c.spans) expected[row] = span;
    EXPECT_EQ(RowSpans(bm, 0), expected) << c.name;
  }
}

// Up to 512 points are sorted on the stack, more in a heap block; points
// along the edges of a square, its corners among them, fill the square (the
// farthest of collinear points wins).
TEST(RAST_FillConvexPolygon, ManyPoints)
{
  std::mt19937 rng(7);
  for (const int n : {511, 512, 513, 600})
  {
    std::vector<int> xs = {5, 34, 34, 5}, ys = {3, 3, 30, 30};
    for (int i = 4; i < n; ++i)
    {
      const int side = i % 4, t = static_cast<int>(rng() % 28);
      xs.push_back(side == 0 || side == 2 ? 5 + t : side == 1 ? 34 : 5);
      ys.push_back(side == 0 ? 3 : side == 2 ? 30 : 3 + t);
    }
    GuardedBitmap bm(40, 40, GuardedBitmap::Filled{0});
    RAST_FillConvexPolygon(&bm, xs.data(), ys.data(), n, kWhite, 1.0f, 0);
    std::vector<std::pair<int, int>> square(40, {-1, -1});
    for (int y = 3; y <= 30; ++y) square[y] = {5, 34};
    EXPECT_EQ(RowSpans(bm, 0), square) << n;
  }
}

TEST(RAST_FillConvexPolygon, EveryRowOnce)
{
  const uint32_t seed = RAST_TestSeed();
  std::mt19937 rng(seed);
  for (int round = 0; round < 500; ++round)
  {
    GuardedBitmap bm(48, 48, GuardedBitmap::Filled{0});
    std::vector<int> xs, ys;
    RandomConvex(rng, 24, 24, 1 + rng() % 30, 1 + rng() % 30, &xs, &ys);
    RAST_FillConvexPolygon(&bm, xs.data(), ys.data(), static_cast<int>(xs.size()), 0x01010101u, 1.0f, 1);
    for (RAST_pixel p : bm.Cells()) ASSERT_TRUE(p == 0 || p == 0x01010101u) << "seed " << seed << " round " << round;
    RowSpans(bm, 0);
  }
}

TEST(RAST_CBezier_GetY, Ends)
{
  float next = -1.0f, slope = -1.0f;
  double lo = -1.0, hi = -1.0;
  EXPECT_EQ(RAST_CBezier_GetY(&next, &slope, &lo, &hi, 2, 4, 6, 8, 10, 30, 20, 40, 1.0f), 10.0f);
  EXPECT_EQ(next, 2.0f);
  EXPECT_EQ(slope, 0.0f);
  EXPECT_EQ(lo, -1.0);  // not written beside the curve
  EXPECT_EQ(RAST_CBezier_GetY(&next, &slope, nullptr, nullptr, 2, 4, 6, 8, 10, 30, 20, 40, 8.0f), 40.0f);
  EXPECT_EQ(slope, 0.0f);
  // Controls on the thirds of a straight line: x and y are linear in t, so
  // every chord lies on the line.
  EXPECT_NEAR(RAST_CBezier_GetY(&next, &slope, &lo, &hi, 0, 3, 6, 9, 0, 6, 12, 18, 4.0f), 8.0f, 1e-5);
  EXPECT_NEAR(slope, 2.0f, 1e-5);
  EXPECT_LT(lo, hi);
  EXPECT_NEAR(hi - lo, 1.0 / 256, 1e-12);
}
}  // namespace
