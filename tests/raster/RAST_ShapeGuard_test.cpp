// Guard-band properties of the line, curve, circle and polygon operations:
// random and extreme arguments (huge and NaN coordinates, every mode byte,
// alphas from -2 to 2 and beyond) drawn into bitmaps set inside a
// sentinel-filled buffer never touch the sentinels; and calls that must draw
// nothing leave the bitmap identical. The seed is printed; set RAST_TEST_SEED
// to repeat a run.
#include "raster/RAST_Bezier.h"
#include "raster/RAST_Circle.h"
#include "raster/RAST_FLine.h"
#include "raster/RAST_Line.h"
#include "raster/RAST_Polygon.h"
#include "RAST_TestBitmap.h"
#include "RAST_TestSeed.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <iterator>
#include <limits>
#include <random>
#include <vector>

namespace
{
constexpr float kInf = std::numeric_limits<float>::infinity();

class ShapeArgs
{
public:
  explicit ShapeArgs(uint32_t seed) : mRng(seed) {}

  int Pick(int n) { return static_cast<int>(mRng() % static_cast<uint32_t>(n)); }

  int Coord(int size)
  {
    const int kExtremes[] = {INT_MIN, INT_MIN + 1, -1000000000, -size - 1, -1, 0, size - 1, size, 1000000000,
                             INT_MAX - 1, INT_MAX};
    if (Pick(4)) return Pick(2 * size + 11) - size - 5;
    return kExtremes[Pick(static_cast<int>(std::size(kExtremes)))];
  }

  float FCoord(int size)
  {
    const float kExtremes[] = {std::nanf(""), kInf, -kInf, 1e30f, -1e30f, 3e9f, -3e9f, 1e8f, -0.0f,
                               static_cast<float>(size) - 1.0f, static_cast<float>(size) - 0.5f, 268435456.0f};
    if (Pick(4)) return std::uniform_real_distribution<float>(-size - 5.0f, 2.0f * size + 5.0f)(mRng);
    return kExtremes[Pick(static_cast<int>(std::size(kExtremes)))];
  }

  float Radius(int size)
  {
    const float kSpecial[] = {0.0f, 0.4f, 1.0f, 1.5f, 2.0f, 2.5f, 3.0f, 3.5f, 4.0f, -1.0f, 1e8f, 1e30f,
                              std::nanf(""), kInf};
    if (Pick(3)) return std::uniform_real_distribution<float>(0.0f, 1.5f * size)(mRng);
    return kSpecial[Pick(static_cast<int>(std::size(kSpecial)))];
  }

  float Angle()
  {
    const float kSpecial[] = {0.0f, 6.2831855f, -6.2831855f, 1e20f, -1e20f, std::nanf(""), kInf, 12.566371f};
    if (Pick(4)) return std::uniform_real_distribution<float>(-15.0f, 15.0f)(mRng);
    return kSpecial[Pick(static_cast<int>(std::size(kSpecial)))];
  }

  float Alpha()
  {
    const float kSpecial[] = {0.0f, 0.25f, 0.5f, 0.75f, 1.0f, -1.0f, 2.0f, -2.0f, 0.502f, std::nanf(""), kInf, 1e30f};
    if (Pick(3)) return std::uniform_real_distribution<float>(-2.0f, 2.0f)(mRng);
    return kSpecial[Pick(static_cast<int>(std::size(kSpecial)))];
  }

  // Any mode byte, with or without the upper bits.
  int Mode() { return Pick(256) | (Pick(3) ? 0 : static_cast<int>(mRng() & ~0xffu)); }

  float Tolerance()
  {
    const float kSpecial[] = {0.0f, -1.0f, 1e-30f, 1e-6f, 1e30f, std::nanf(""), kInf};
    if (Pick(3)) return std::uniform_real_distribution<float>(0.1f, 8.0f)(mRng);
    return kSpecial[Pick(static_cast<int>(std::size(kSpecial)))];
  }

  uint32_t Bits() { return mRng(); }

private:
  std::mt19937 mRng;
};

TEST(RAST_ShapeGuard, RandomAndExtremeArgumentsStayInside)
{
  const uint32_t seed = RAST_TestSeed();
  std::printf("RAST_ShapeGuard seed %u (RAST_TEST_SEED repeats it)\n", seed);
  SCOPED_TRACE(testing::Message() << "seed " << seed);
  ShapeArgs a(seed);

  for (int round = 0; round < 250; ++round)
  {
    const int w = 1 + a.Pick(40), h = 1 + a.Pick(24);
    GuardedBitmap dest(w, h, a.Pick(6), 40, a.Pick(2));
    const int s = std::max(w, h);
    for (int step = 0; step < 24; ++step)
    {
      const RAST_pixel c = a.Bits();
      const float alpha = a.Alpha();
      const int mode = a.Mode();
      const int op = a.Pick(17);
      switch (op)
      {
        case 0: RAST_Line(&dest, a.Coord(w), a.Coord(h), a.Coord(w), a.Coord(h), c, alpha, mode, a.Pick(2)); break;
        case 1:
          RAST_FLine(&dest, a.FCoord(w), a.FCoord(h), a.FCoord(w), a.FCoord(h), c, alpha, mode, a.Pick(2));
          break;
        case 2:
          RAST_DashedLine(&dest, a.Coord(w), a.Coord(h), a.Coord(w), a.Coord(h), a.Coord(4), a.Coord(4), c, alpha,
                          mode, false);
          break;
        case 3: RAST_Circle(&dest, a.FCoord(w), a.FCoord(h), a.Radius(s), c, alpha, mode, a.Pick(2)); break;
        case 4: RAST_FillCircle(&dest, a.FCoord(w), a.FCoord(h), a.Radius(s), c, alpha, mode, a.Pick(2)); break;
        case 5:
          RAST_Arc(&dest, a.FCoord(w), a.FCoord(h), a.Radius(s), a.Angle(), a.Angle(), c, alpha, mode, a.Pick(2));
          break;
        case 6:
          RAST_RoundRect(&dest, a.FCoord(w), a.FCoord(h), a.FCoord(w), a.FCoord(h), a.Coord(8), c, alpha, mode,
                         a.Pick(2));
          break;
        case 7:
          RAST_FillTrapezoid(&dest, a.Coord(w), a.Coord(w), a.Coord(h), a.Coord(w), a.Coord(w), a.Coord(h), c, alpha,
                             mode);
          break;
        case 8:
          RAST_FillTriangle(&dest, a.Coord(w), a.Coord(h), a.Coord(w), a.Coord(h), a.Coord(w), a.Coord(h), c, alpha,
                            mode);
          break;
        case 9:
        {
          // Any point set, convex or not.
          std::vector<int> xs(1 + a.Pick(12)), ys(xs.size());
          for (size_t i = 0; i < xs.size(); ++i)
          {
            xs[i] = a.Coord(w);
            ys[i] = a.Coord(h);
          }
          RAST_FillConvexPolygon(&dest, xs.data(), ys.data(), static_cast<int>(xs.size()), c, alpha, mode);
          break;
        }
        case 10:
          RAST_DrawQBezier(&dest, a.FCoord(w), a.FCoord(h), a.FCoord(w), a.FCoord(h), a.FCoord(w), a.FCoord(h), c,
                           alpha, mode, a.Pick(2), a.Tolerance());
          break;
        case 11:
          RAST_DrawCBezier(&dest, a.FCoord(w), a.FCoord(h), a.FCoord(w), a.FCoord(h), a.FCoord(w), a.FCoord(h),
                           a.FCoord(w), a.FCoord(h), c, alpha, mode, a.Pick(2), a.Tolerance());
          break;
        case 12:
          RAST_FillCBezier(&dest, a.FCoord(w), a.FCoord(h), a.FCoord(w), a.FCoord(h), a.FCoord(w), a.FCoord(h),
                           a.FCoord(w), a.FCoord(h), a.Coord(h), c, alpha, mode, a.Tolerance());
          break;
        case 13:
          RAST_FillCBezierX(&dest, a.FCoord(w), a.FCoord(h), a.FCoord(w), a.FCoord(h), a.FCoord(w), a.FCoord(h),
                            a.FCoord(w), a.FCoord(h), a.Coord(w), c, alpha, mode, a.Tolerance());
          break;
        case 14:
          if (a.Pick(2))
            RAST_FillCBezier_Segments(&dest, a.Coord(w), a.Coord(h), a.Coord(w), a.Coord(h), a.Coord(h), c, alpha,
                                      mode);
          else
            RAST_FillCBezierX_Segments(&dest, a.Coord(w), a.Coord(h), a.Coord(w), a.Coord(h), a.Coord(w), c, alpha,
                                       mode);
          break;
        case 15: RAST_DrawRect(&dest, a.Coord(w), a.Coord(h), a.Coord(w), a.Coord(h), c, alpha, mode); break;
        default:
          RAST_BorderedRect(&dest, a.Coord(w), a.Coord(h), a.Coord(w), a.Coord(h), c, a.Bits(), alpha, mode);
          break;
      }
      ASSERT_TRUE(dest.SentinelsIntact()) << "round " << round << " step " << step << " operation " << op;
    }
  }
}

// Every operation with a weight of 0, mode 6, a NaN alpha, an infinite alpha or
// a null bitmap leaves the bitmap identical.
TEST(RAST_ShapeGuard, NothingToDrawLeavesTheBitmapIdentical)
{
  const int xs[] = {1, 7, 4}, ys[] = {1, 2, 6};
  struct Case
  {
    const char* name;
    std::function<void(RAST_IBitmap*, float, int)> draw;
  } kCases[] = {
      {"line", [](RAST_IBitmap* d, float a, int m) { RAST_Line(d, 0, 0, 7, 4, 0x12345678u, a, m, true); }},
      {"float line", [](RAST_IBitmap* d, float a, int m) { RAST_FLine(d, 0.5f, 0, 7, 4.5f, 0x12345678u, a, m, true); }},
      {"dashed line", [](RAST_IBitmap* d, float a, int m) { RAST_DashedLine(d, 0, 3, 7, 3, 2, 2, 0x12345678u, a, m, 0); }},
      {"circle", [](RAST_IBitmap* d, float a, int m) { RAST_Circle(d, 4, 4, 2.7f, 0x12345678u, a, m, true); }},
      {"mask circle", [](RAST_IBitmap* d, float a, int m) { RAST_Circle(d, 4, 4, 2, 0x12345678u, a, m, true); }},
      {"disc", [](RAST_IBitmap* d, float a, int m) { RAST_FillCircle(d, 4, 4, 3, 0x12345678u, a, m, false); }},
      {"arc", [](RAST_IBitmap* d, float a, int m) { RAST_Arc(d, 4, 4, 3, 0, 2, 0x12345678u, a, m, true); }},
      {"rounded rectangle",
       [](RAST_IBitmap* d, float a, int m) { RAST_RoundRect(d, 0, 0, 7, 6, 3, 0x12345678u, a, m, true); }},
      {"triangle", [](RAST_IBitmap* d, float a, int m) { RAST_FillTriangle(d, 1, 1, 7, 2, 4, 6, 0x12345678u, a, m); }},
      {"polygon", [&](RAST_IBitmap* d, float a, int m) { RAST_FillConvexPolygon(d, xs, ys, 3, 0x12345678u, a, m); }},
      {"curve",
       [](RAST_IBitmap* d, float a, int m) { RAST_DrawQBezier(d, 0, 0, 4, 9, 7, 1, 0x12345678u, a, m, true, 1); }},
      {"curve fill",
       [](RAST_IBitmap* d, float a, int m) { RAST_FillCBezier(d, 0, 0, 2, 9, 5, 9, 7, 1, 6, 0x12345678u, a, m, 1); }},
      {"bordered rectangle",
       [](RAST_IBitmap* d, float a, int m) { RAST_BorderedRect(d, 1, 1, 5, 4, 0x11u, 0x22u, a, m); }},
  };
  struct Call
  {
    const char* what;
    bool nullDest;
    float alpha;
    int mode;
  } kCalls[] = {{"null destination", true, 1.0f, 0}, {"alpha 0", false, 0.0f, 1},
                {"weight rounds to 0", false, 0.003f, 1}, {"mode 6", false, 1.0f, 6},
                {"mode 0x106", false, 0.7f, 0x10106},     {"NaN alpha", false, std::nanf(""), 1},
                {"infinite alpha", false, kInf, 0},       {"copy at a negative weight", false, -1.0f, 0}};
  for (const Case& c : kCases)
    for (const Call& call : kCalls)
    {
      GuardedBitmap dest(8, 7);
      const std::vector<RAST_pixel> before = dest.Cells();
      c.draw(call.nullDest ? nullptr : &dest, call.alpha, call.mode);
      EXPECT_EQ(dest.Cells(), before) << c.name << ": " << call.what;
    }
}
// Drawn into a bitmap stored bottom-up, every shape gives the plain bitmap's
// top-down picture. Circle centres sit on whole-pixel rows, where the
// centre's rounding is the same both ways up.
TEST(RAST_ShapeGuard, FlippedBitmapKeepsTheTopDownPicture)
{
  const int xs[] = {2, 9, 9, 2}, ys[] = {1, 1, 4, 4};
  struct Case
  {
    const char* name;
    std::function<void(RAST_IBitmap*, bool)> draw;
  } kCases[] = {
      {"line", [](RAST_IBitmap* d, bool aa) { RAST_Line(d, 1, 1, 10, 6, 0xFFFFFFFFu, 0.6f, 0, aa); }},
      {"line by mode 1", [](RAST_IBitmap* d, bool aa) { RAST_Line(d, 0, 8, 5, 3, 0x11223344u, 1.0f, 1, aa); }},
      {"polygon", [&](RAST_IBitmap* d, bool) { RAST_FillConvexPolygon(d, xs, ys, 4, 0xFFFFFFFFu, 0.6f, 0); }},
      {"trapezoid", [](RAST_IBitmap* d, bool) { RAST_FillTrapezoid(d, 0, 3, 6, 0, 3, 8, 0x11223344u, 1.0f, 1); }},
      {"disc", [](RAST_IBitmap* d, bool aa) { RAST_FillCircle(d, 7.5f, 5.0f, 6.3f, 0xFFFFFFFFu, 0.7f, 0, aa); }},
      {"circle", [](RAST_IBitmap* d, bool aa) { RAST_Circle(d, 12.3f, 9.0f, 5.2f, 0x11223344u, 1.0f, 1, aa); }},
      {"mask circle", [](RAST_IBitmap* d, bool aa) { RAST_Circle(d, 14.0f, 4.0f, 3.0f, 0x55667788u, 1.0f, 0, aa); }},
  };
  for (const Case& c : kCases)
    for (bool aa : {false, true})
    {
      GuardedBitmap plain(20, 16), flipped(20, 16, 3, 64, true);
      c.draw(&plain, aa);
      c.draw(&flipped, aa);
      EXPECT_EQ(plain.Cells(), flipped.Cells()) << c.name << (aa ? " aa" : "");
    }
}
}  // namespace
