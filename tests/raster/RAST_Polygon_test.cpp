// Trapezoid, triangle and convex-polygon fills: row spans, the weight rules,
// rows written once, clipping against cropping, and the cubic evaluator.
#include "raster/RAST_Polygon.h"

#include "raster/RAST_Bezier.h"
#include "RAST_TestBitmap.h"
#include "RAST_TestSeed.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
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

std::vector<std::pair<int, int>> Spans(int rows, std::initializer_list<std::pair<int, std::pair<int, int>>> set)
{
  std::vector<std::pair<int, int>> out(rows, {-1, -1});
  for (const auto& [row, span] : set) out[row] = span;
  return out;
}

TEST(RAST_FillTrapezoid, RowSpans)
{
  {
    // One row from the smaller to the larger x of the top pair.
    GuardedBitmap bm(12, 8, GuardedBitmap::Filled{0});
    RAST_FillTrapezoid(&bm, 7, 2, 4, 100, -50, 4, kWhite, 1.0f, 0);
    EXPECT_EQ(RowSpans(bm, 0), Spans(8, {{4, {2, 7}}}));
  }
  {
    // 65536 / 3 three times stays below one column.
    GuardedBitmap bm(12, 8, GuardedBitmap::Filled{0});
    RAST_FillTrapezoid(&bm, 0, 5, 0, 1, 5, 3, kWhite, 1.0f, 0);
    EXPECT_EQ(RowSpans(bm, 0), Spans(8, {{0, {0, 5}}, {1, {0, 5}}, {2, {0, 5}}, {3, {0, 5}}}));
  }
  {
    // From 10 to 0 over ten rows: exactly one column per row.
    GuardedBitmap bm(20, 12, GuardedBitmap::Filled{0});
    RAST_FillTrapezoid(&bm, 10, 15, 0, 0, 15, 10, kWhite, 1.0f, 0);
    const std::vector<std::pair<int, int>> spans = RowSpans(bm, 0);
    for (int k = 0; k <= 10; ++k) EXPECT_EQ(spans[k], std::make_pair(10 - k, 15)) << "row " << k;
  }
}

TEST(RAST_FillTriangle, RowSpans)
{
  GuardedBitmap bm(14, 14, GuardedBitmap::Filled{0});
  RAST_FillTriangle(&bm, 0, 0, 10, 0, 0, 10, kWhite, 1.0f, 0);
  const std::vector<std::pair<int, int>> spans = RowSpans(bm, 0);
  for (int k = 0; k < 14; ++k) EXPECT_EQ(spans[k], k <= 10 ? std::make_pair(0, 10 - k) : std::make_pair(-1, -1)) << k;
}

TEST(RAST_FillConvexPolygon, PointsInOneRow)
{
  {
    GuardedBitmap bm(12, 8, GuardedBitmap::Filled{0});
    const int xs[] = {3, 9, 1, 6}, ys[] = {5, 5, 5, 5};
    RAST_FillConvexPolygon(&bm, xs, ys, 4, kWhite, 1.0f, 0);
    EXPECT_EQ(RowSpans(bm, 0), Spans(8, {{5, {1, 9}}}));
  }
  {
    // Wholly left of the bitmap: nothing, not column 0.
    GuardedBitmap bm(12, 8);
    const std::vector<RAST_pixel> before = bm.Cells();
    const int xs[] = {-9, -3, -5}, ys[] = {5, 5, 5};
    RAST_FillConvexPolygon(&bm, xs, ys, 3, kWhite, 1.0f, 0);
    EXPECT_EQ(bm.Cells(), before);
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

// The points of a random convex polygon: corners on an ellipse, in any order.
std::pair<std::vector<int>, std::vector<int>> RandomConvex(std::mt19937& rng, int cx, int cy, int rx, int ry)
{
  std::vector<double> angles(3 + rng() % 9);
  for (double& a : angles) a = std::uniform_real_distribution<double>(0, 6.283185307179586)(rng);
  std::vector<int> xs, ys;
  for (double a : angles)
  {
    xs.push_back(cx + static_cast<int>(std::lround(rx * std::cos(a))));
    ys.push_back(cy + static_cast<int>(std::lround(ry * std::sin(a))));
  }
  return {xs, ys};
}

TEST(RAST_FillConvexPolygon, EveryRowOnce)
{
  const uint32_t seed = RAST_TestSeed();
  std::printf("RAST_FillConvexPolygon write-count seed %u\n", seed);
  std::mt19937 rng(seed);
  for (int round = 0; round < 500; ++round)
  {
    GuardedBitmap bm(48, 48, GuardedBitmap::Filled{0});
    auto [xs, ys] = RandomConvex(rng, 24, 24, 1 + rng() % 30, 1 + rng() % 30);
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
