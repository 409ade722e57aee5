// Golden images of the shape operations: anti-aliased and plain lines, circles
// and discs, arcs and rounded rectangles, curves and fills, each compared byte
// for byte with its PNG under tests/golden/.
#include "raster/RAST_Bezier.h"
#include "raster/RAST_Circle.h"
#include "raster/RAST_FLine.h"
#include "raster/RAST_Line.h"
#include "raster/RAST_Polygon.h"
#include "raster/support/RAST_TestPng.h"
#include "RAST_TestBitmap.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
const RAST_pixel kBackground = RAST_RGBA(24, 28, 36, 255);
const RAST_pixel kAmber = RAST_RGBA(255, 190, 40, 255);
const RAST_pixel kCyan = RAST_RGBA(60, 220, 255, 255);
const RAST_pixel kGreen = RAST_RGBA(90, 230, 110, 255);
const RAST_pixel kPink = RAST_RGBA(255, 90, 170, 255);

TEST(RAST_ShapeGolden, Lines)
{
  RAST_MemBitmap bm(72, 56, 4);
  FillAll(bm, kBackground);
  // A fan of anti-aliased lines over every octant, then float lines at
  // quarter-pixel offsets, plain lines and dashes.
  for (int i = 0; i < 24; ++i)
  {
    const double a = i * 6.283185307179586 / 24;
    RAST_Line(&bm, 20, 20, 20 + static_cast<int>(std::lround(18 * std::cos(a))),
              20 + static_cast<int>(std::lround(18 * std::sin(a))), kAmber, 1.0f, 0, true);
  }
  for (int i = 0; i < 6; ++i)
    RAST_FLine(&bm, 44.25f + i * 0.25f, 3.0f + i * 5, 70.0f - i * 2.5f, 8.5f + i * 6.1f, kCyan, 1.0f, 0, true);
  for (int i = 0; i < 4; ++i) RAST_Line(&bm, 2, 42 + i * 3, 40 + i * 9, 44 + i * 2, kGreen, 0.5f + i * 0.15f, 0, false);
  RAST_DashedLine(&bm, 44, 44, 70, 44, 2, 2, kPink, 1.0f, 0, false);
  RAST_DashedLine(&bm, 68, 46, 68, 55, 3, 1, kPink, 0.7f, 0, false);
  EXPECT_TRUE(MatchesGoldenPng(bm, "raster_shapes_lines"));
}

TEST(RAST_ShapeGolden, CirclesAndDiscs)
{
  RAST_MemBitmap bm(96, 56, 4);
  FillAll(bm, kBackground);
  // The mask radii, then walked radii, anti-aliased above and plain below.
  const float kRadii[] = {1.5f, 2.0f, 2.5f, 3.0f, 3.5f, 4.0f, 5.3f, 7.7f};
  float x = 2.0f;
  for (const float r : kRadii)
  {
    x += r + 3.0f;
    RAST_Circle(&bm, x, 8.0f, r, kAmber, 1.0f, 0, true);
    RAST_Circle(&bm, x, 26.0f, r, kCyan, 1.0f, 0, false);
    x += r;
  }
  RAST_FillCircle(&bm, 12.0f, 45.0f, 9.4f, kGreen, 1.0f, 0, true);
  RAST_FillCircle(&bm, 34.5f, 45.0f, 9.4f, kGreen, 1.0f, 0, false);
  RAST_FillCircle(&bm, 56.0f, 45.0f, 8.6f, kPink, 0.6f, 0, true);
  RAST_FillCircle(&bm, 90.0f, 48.0f, 12.2f, kCyan, 1.0f, RAST_BLIT_MODE_ADD, true);  // clipped at the edge
  EXPECT_TRUE(MatchesGoldenPng(bm, "raster_shapes_circles"));
}

TEST(RAST_ShapeGolden, ArcsAndRoundedRectangles)
{
  RAST_MemBitmap bm(80, 56, 4);
  FillAll(bm, kBackground);
  const float kPi = 3.1415927f;
  RAST_Arc(&bm, 12.0f, 12.0f, 9.3f, -0.6f, 2.1f, kAmber, 1.0f, 0, true);
  RAST_Arc(&bm, 34.0f, 12.0f, 9.3f, 2.1f, -0.6f, kAmber, 1.0f, 0, false);
  RAST_Arc(&bm, 55.0f, 12.0f, 9.0f, kPi, 2.5f * kPi, kCyan, 1.0f, 0, true);
  RAST_Arc(&bm, 76.0f, 8.0f, 6.5f, -3 * kPi, -2.5f * kPi, kCyan, 1.0f, 0, true);
  RAST_RoundRect(&bm, 2.0f, 26.0f, 30.0f, 20.0f, 6, kGreen, 1.0f, 0, true);
  RAST_RoundRect(&bm, 36.0f, 26.0f, 20.0f, 26.0f, 4, kGreen, 1.0f, 0, false);
  RAST_RoundRect(&bm, 60.0f, 28.0f, 16.0f, 12.0f, 10, kPink, 1.0f, 0, true);
  RAST_RoundRect(&bm, 60.0f, 44.0f, 16.0f, 8.0f, 1, kPink, 1.0f, 0, true);
  EXPECT_TRUE(MatchesGoldenPng(bm, "raster_shapes_arcs"));
}

TEST(RAST_ShapeGolden, CurvesAndFills)
{
  RAST_MemBitmap bm(80, 56, 4);
  FillAll(bm, kBackground);
  RAST_FillCBezier(&bm, -4.0f, 50.0f, 20.0f, 8.0f, 45.0f, 60.0f, 84.0f, 22.0f, 54, RAST_RGBA(40, 80, 140, 255), 1.0f,
                   0, 1.0f);
  RAST_FillCBezierX(&bm, 70.0f, 2.0f, 56.0f, 12.0f, 78.0f, 20.0f, 64.0f, 30.0f, 79, kPink, 0.5f, 0, 1.0f);
  RAST_DrawCBezier(&bm, -4.0f, 50.0f, 20.0f, 8.0f, 45.0f, 60.0f, 84.0f, 22.0f, kAmber, 1.0f, 0, true, 1.0f);
  RAST_DrawQBezier(&bm, 2.0f, 30.0f, 24.0f, -20.0f, 50.0f, 26.0f, kCyan, 1.0f, 0, true, 0.0f);
  RAST_DrawQBezier(&bm, 2.0f, 40.0f, 30.0f, 10.0f, 60.0f, 44.0f, kGreen, 1.0f, 0, false, 3.0f);
  RAST_FillTriangle(&bm, 6, 3, 20, 8, 9, 17, kGreen, 0.75f, 0);
  const int xs[] = {30, 38, 41, 36, 28}, ys[] = {2, 3, 10, 16, 11};
  RAST_FillConvexPolygon(&bm, xs, ys, 5, kAmber, 0.5f, 0);
  EXPECT_TRUE(MatchesGoldenPng(bm, "raster_shapes_curves"));
}
}  // namespace
