// Bezier curves: segment counts and clipping of the strokes against chains of
// float lines built here from the curve formulas, the quadratic evaluator,
// the fill pieces, and curves that must stay bounded.
#include "raster/RAST_Bezier.h"

#include "raster/RAST_FLine.h"
#include "raster/RAST_Line.h"
#include "raster/RAST_Polygon.h"
#include "RAST_TestBitmap.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace
{
constexpr RAST_pixel kColor = 0xFF3060C0u;

struct Pt { float x, y; };

// The quadratic curve drawn as n segments from s to e over [t0, t1].
void QuadraticChain(RAST_IBitmap* bm, Pt p0, Pt p1, Pt p2, Pt s, Pt e, double t0, double t1, int n)
{
  const double dt = (t1 - t0) / n;
  double t = t0;
  Pt prev = s;
  for (int k = 1; k < n; ++k)
  {
    t += dt;
    const double u = 1.0 - t;
    const Pt p{static_cast<float>(p0.x * u * u + p1.x * 2.0 * u * t + p2.x * t * t),
               static_cast<float>(p0.y * u * u + p1.y * 2.0 * u * t + p2.y * t * t)};
    RAST_FLine(bm, prev.x, prev.y, p.x, p.y, kColor, 1.0f, 0, true);
    prev = p;
  }
  RAST_FLine(bm, prev.x, prev.y, e.x, e.y, kColor, 1.0f, 0, true);
}

TEST(RAST_DrawQBezier, SegmentsFromTheTolerance)
{
  // Control legs of 5 and 5 pixels: 10 segments at tolerance 1.
  const Pt p0{1, 2}, p1{4, 6}, p2{7, 2};
  GuardedBitmap expected(12, 10);
  QuadraticChain(&expected, p0, p1, p2, p0, p2, 0.0, 1.0, 10);
  for (const float tol : {0.0f, -3.0f, 1.0f})
  {
    GuardedBitmap bm(12, 10);
    RAST_DrawQBezier(&bm, p0.x, p0.y, p1.x, p1.y, p2.x, p2.y, kColor, 1.0f, 0, true, tol);
    EXPECT_EQ(bm.Cells(), expected.Cells()) << "tolerance " << tol;
    GuardedBitmap reversed(12, 10);
    RAST_DrawQBezier(&reversed, p2.x, p2.y, p1.x, p1.y, p0.x, p0.y, kColor, 1.0f, 0, true, tol);
    EXPECT_EQ(reversed.Cells(), expected.Cells()) << "right to left, tolerance " << tol;
  }
  // Legs shorter than twice the tolerance: one straight segment.
  GuardedBitmap straight(12, 10), line(12, 10);
  RAST_DrawQBezier(&straight, p0.x, p0.y, p1.x, p1.y, p2.x, p2.y, kColor, 1.0f, 0, true, 6.0f);
  RAST_FLine(&line, p0.x, p0.y, p2.x, p2.y, kColor, 1.0f, 0, true);
  EXPECT_EQ(straight.Cells(), line.Cells());
}

TEST(RAST_DrawQBezier, ClipsTheColumns)
{
  const Pt p0{-20, 2}, p1{0, 30}, p2{20, 4};
  double t0 = 0, t1 = 1;
  const float y0 = RAST_Bezier_GetY(p0.x, p1.x, p2.x, p0.y, p1.y, p2.y, 0.0f, &t0);
  const float y9 = RAST_Bezier_GetY(p0.x, p1.x, p2.x, p0.y, p1.y, p2.y, 9.0f, &t1);
  const double legs = std::sqrt(20.0 * 20 + 28 * 28) + std::sqrt(20.0 * 20 + 26 * 26);
  GuardedBitmap bm(10, 20), expected(10, 20);
  RAST_DrawQBezier(&bm, p0.x, p0.y, p1.x, p1.y, p2.x, p2.y, kColor, 1.0f, 0, true, 1.0f);
  QuadraticChain(&expected, p0, p1, p2, {0, y0}, {9, y9}, t0, t1, static_cast<int>(legs * (t1 - t0)));
  EXPECT_EQ(bm.Cells(), expected.Cells());
  EXPECT_TRUE(bm.SentinelsIntact());
}

TEST(RAST_Bezier_GetY, Cases)
{
  double t = -1;
  EXPECT_EQ(RAST_Bezier_GetY(2, 5, 8, 10, 40, 20, 2, &t), 10.0f);
  EXPECT_EQ(t, 0.0);
  EXPECT_EQ(RAST_Bezier_GetY(2, 5, 8, 10, 40, 20, 9, &t), 20.0f);
  EXPECT_EQ(t, 1.0);
  // Control midway: the straight line between the ends, whatever yctl is.
  for (const float yctl : {-100.0f, 0.0f, 77.0f})
  {
    EXPECT_EQ(RAST_Bezier_GetY(2, 5, 8, 10, yctl, 20, 5, &t), 15.0f) << yctl;
    EXPECT_EQ(t, 0.5);
  }
  // Off the midway control: the curve itself, at the t that gives x.
  const float y = RAST_Bezier_GetY(0, 2, 8, 0, 8, 0, 3, &t);
  EXPECT_NEAR(0 * (1 - t) * (1 - t) + 2 * 2 * (1 - t) * t + 8 * t * t, 3.0, 1e-9);
  EXPECT_NEAR(y, 8 * 2 * (1 - t) * t, 1e-5);
  EXPECT_EQ(RAST_Bezier_GetY(std::nanf(""), 5, 8, 10, 40, 20, 5, &t), 0.0f);
}

TEST(RAST_DrawCBezier, LastSegmentSpansTwoSteps)
{
  // segments: the prepared count.
  struct Case { const char* name; float tol; int segments, lines; } kCases[] = {{"count 5", 12.0f, 5, 4},
                                                                                 {"count 2", 25.0f, 2, 1}};
  for (const Case& c : kCases)
  {
    GuardedBitmap bm(40, 30);
    RAST_CBezierPrepared p;
    ASSERT_EQ(RAST_CBezierPrep(&bm, true, 2, 3, 10, 25, 25, 25, 33, 4, c.tol, &p), c.segments) << c.name;
    GuardedBitmap expected(40, 30);
    float px = p.xStart, py = p.yStart;
    double t = p.tLo;
    for (int k = 0; k < c.lines - 1; ++k)
    {
      t += (p.tHi - p.tLo) / c.segments;
      RAST_FLine(&expected, px, py, p.X(t), p.Y(t), kColor, 1.0f, 0, true);
      px = p.X(t);
      py = p.Y(t);
    }
    RAST_FLine(&expected, px, py, p.xEnd, p.yEnd, kColor, 1.0f, 0, true);
    RAST_DrawCBezier(&bm, 2, 3, 10, 25, 25, 25, 33, 4, kColor, 1.0f, 0, true, c.tol);
    EXPECT_EQ(bm.Cells(), expected.Cells()) << c.name;
  }
}

// A curve down column 0 whose legs have exact lengths is cut into
// (int)(length / tol) segments, at most RAST_MAX_CURVE_SEGMENTS (16384).
TEST(RAST_CBezierPrep, SegmentCountStopsAt16384)
{
  GuardedBitmap bm(4, 4);
  const struct { const char* name; float y2, y3; int segments; } kCases[] = {
      {"legs 192 + 63.984375: 16383 segments of 1/64", 255.984375f, 255.984375f, 16383},
      {"legs 192 + 64: 16384", 256.0f, 256.0f, 16384},
      {"legs 192 + 63.984375 + 0.03125: 16385, held at 16384", 255.984375f, 256.015625f, 16384},
  };
  for (const auto& c : kCases)
  {
    RAST_CBezierPrepared p;
    EXPECT_EQ(RAST_CBezierPrep(&bm, true, 0, 0, 0, 192, 0, c.y2, 0, c.y3, 1.0f / 64, &p), c.segments) << c.name;
  }
  // A tiny tolerance or a huge control polygon costs at most the cap; every
  // operation returns and stays inside.
  RAST_CBezierPrepared p;
  EXPECT_EQ(RAST_CBezierPrep(&bm, true, -1e30f, 0, 10, 3e30f, 20, -3e30f, 1e30f, 15, 1.0f, &p), 1);
  RAST_DrawCBezier(&bm, 0, 0, 10, 30, 20, -30, 29, 15, kColor, 1.0f, 0, true, 1e-30f);
  RAST_DrawQBezier(&bm, 0, 0, 10, 60, 29, 15, kColor, 1.0f, 0, false, 1e-30f);
  RAST_FillCBezier(&bm, -1e30f, 0, 10, 3e30f, 20, -3e30f, 1e30f, 15, 20, kColor, 0.5f, 1, 1e-30f);
  RAST_FillCBezierX(&bm, 0, -1e30f, 3e30f, 10, -3e30f, 20, 15, 1e30f, 20, kColor, 0.5f, 1, 1e-30f);
  EXPECT_TRUE(bm.SentinelsIntact());
}

TEST(RAST_FillCBezier_Segments, Pieces)
{
  // xs, ys: the quadrilateral, or a column line as its two ends.
  struct Case { const char* name; int x1, y1, x2, y2, yfill; std::vector<int> xs, ys; } kCases[] = {
      {"chord above the fill row", 3, 5, 7, 5, 10, {3, 3, 7, 7}, {5, 11, 5, 11}},
      {"chord below the fill row", 3, 15, 7, 15, 10, {3, 3, 7, 7}, {15, 10, 15, 10}},
      {"one column above", 3, 5, 3, 5, 10, {3, 3}, {5, 10}},
      {"one column below", 3, 15, 3, 15, 10, {3, 3}, {10, 14}},
  };
  for (const Case& c : kCases)
  {
    GuardedBitmap bm(12, 20), expected(12, 20);
    RAST_FillCBezier_Segments(&bm, c.x1, c.y1, c.x2, c.y2, c.yfill, kColor, 0.6f, 1);
    if (c.xs.size() == 4)
      RAST_FillConvexPolygon(&expected, c.xs.data(), c.ys.data(), 4, kColor, 0.6f, 1);
    else
      RAST_Line(&expected, c.xs[0], c.ys[0], c.xs[1], c.ys[1], kColor, 0.6f, 1, false);
    EXPECT_EQ(bm.Cells(), expected.Cells()) << c.name;
  }
}

TEST(RAST_FillCBezier, PiecesDoNotOverlap)
{
  for (const bool byColumn : {false, true})
  {
    GuardedBitmap bm(40, 40, GuardedBitmap::Filled{0});
    if (byColumn)
      RAST_FillCBezierX(&bm, 35, -5, 2, 10, 2, 25, 30, 45, 38, 0x01010101u, 1.0f, 1, 1.0f);
    else
      RAST_FillCBezier(&bm, -5, 35, 10, 2, 25, 2, 45, 30, 38, 0x01010101u, 1.0f, 1, 1.0f);
    int filled = 0;
    for (RAST_pixel p : bm.Cells())
    {
      ASSERT_TRUE(p == 0 || p == 0x01010101u) << (byColumn ? "by column" : "by row");
      filled += p != 0;
    }
    EXPECT_GT(filled, 500);
  }
}

TEST(RAST_Bezier, NonFiniteArgumentsDrawNothing)
{
  const float kBad[] = {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()};
  for (const float bad : kBad)
    for (int i = 0; i < 9; ++i)
    {
      float a[9] = {1, 2, 8, 9, 15, 3, 20, 12, 1.0f};
      a[i] = bad;
      GuardedBitmap bm(24, 16);
      const std::vector<RAST_pixel> before = bm.Cells();
      if (i < 6 || i == 8) RAST_DrawQBezier(&bm, a[0], a[1], a[2], a[3], a[4], a[5], kColor, 1.0f, 0, true, a[8]);
      RAST_DrawCBezier(&bm, a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], kColor, 1.0f, 0, true, a[8]);
      RAST_FillCBezier(&bm, a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], 10, kColor, 1.0f, 0, a[8]);
      RAST_FillCBezierX(&bm, a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], 10, kColor, 1.0f, 0, a[8]);
      EXPECT_EQ(bm.Cells(), before) << "argument " << i << " " << bad;
    }
}
}  // namespace
