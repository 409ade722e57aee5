// Guard-band properties of every drawing operation: random and extreme
// arguments (coordinates across the int range, huge and NaN floats, every
// mode byte, alphas from -2 to 2 and beyond) drawn into bitmaps set inside a
// sentinel-filled buffer never touch the sentinels; calls that must draw
// nothing leave the bitmap identical.
#include "raster/RAST_Bezier.h"
#include "raster/RAST_BitmapOps.h"
#include "raster/RAST_Blit.h"
#include "raster/RAST_Circle.h"
#include "raster/RAST_DeltaBlit.h"
#include "raster/RAST_FLine.h"
#include "raster/RAST_Glyph.h"
#include "raster/RAST_Line.h"
#include "raster/RAST_Polygon.h"
#include "raster/RAST_Rect.h"
#include "raster/RAST_ScaledBlit.h"
#include "raster/RAST_TransformBlit.h"
#include "RAST_TestBitmap.h"
#include "RAST_TestSeed.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <functional>
#include <iterator>
#include <limits>
#include <random>
#include <vector>

namespace
{
constexpr float kInf = std::numeric_limits<float>::infinity();

// Each value near the bitmap most of the time, otherwise an extreme.
class Args
{
public:
  explicit Args(uint32_t seed) : mRng(seed) {}

  int Pick(int n) { return static_cast<int>(mRng() % static_cast<uint32_t>(n)); }
  uint32_t Bits() { return mRng(); }

  int Coord(int size)
  {
    const int kExtremes[] = {INT_MIN, INT_MIN + 1, -1000000000, -size - 1, -1, 0, size - 1, size, 1000000000,
                             INT_MAX - 1, INT_MAX};
    return Pick(4) ? Pick(2 * size + 11) - size - 5 : OneOf(kExtremes);
  }
  int Size(int size)
  {
    const int kExtremes[] = {INT_MIN, -1, 0, 1, size + 1, INT_MAX / 2 + 1, INT_MAX};
    return Pick(4) ? Pick(size + 12) - 3 : OneOf(kExtremes);
  }
  float FCoord(int size)
  {
    const float kExtremes[] = {std::nanf(""), kInf, -kInf, 1e30f, -1e30f, 3e9f, -3e9f, 1e8f, -0.0f,
                               static_cast<float>(size) - 1.0f, static_cast<float>(size) - 0.5f, 268435456.0f};
    return Pick(4) ? Real(-size - 5.0f, 2.0f * size + 5.0f) : OneOf(kExtremes);
  }
  float Radius(int size)
  {
    const float kSpecial[] = {0.0f, 0.4f, 1.0f, 1.5f, 2.0f, 2.5f, 3.0f, 3.5f, 4.0f, -1.0f, 1e8f, 1e30f,
                              std::nanf(""), kInf};
    return Pick(3) ? Real(0.0f, 1.5f * size) : OneOf(kSpecial);
  }
  float Angle()
  {
    const float kSpecial[] = {0.0f, 6.2831855f, -6.2831855f, 1e20f, -1e20f, std::nanf(""), kInf, 12.566371f};
    return Pick(4) ? Real(-15.0f, 15.0f) : OneOf(kSpecial);
  }
  float Alpha()
  {
    const float kSpecial[] = {0.0f, 0.25f, 0.5f, 0.75f, 1.0f, -1.0f, 2.0f, -2.0f, 0.502f, std::nanf(""),
                              kInf, -kInf, 1e30f, -1e30f, 1e-30f};
    return Pick(3) ? Real(-2.0f, 2.0f) : OneOf(kSpecial);
  }
  // A gradient value or step, or a tolerance: mostly small, sometimes far
  // beyond range.
  float Value()
  {
    const float kSpecial[] = {std::nanf(""), kInf, 1e30f, -1e30f, 1e6f, -3e4f, 0.0f, -1.0f, 1e-30f};
    return Pick(5) ? Real(-2.0f, 8.0f) : OneOf(kSpecial);
  }
  // A source position, size or step of the resampling blits: near the bitmap
  // or at the edges of 16.16 fixed point.
  float Fixed()
  {
    const float kSpecial[] = {-1e30f, -40000.0f, -32767.5f, -32767.0f, -0.5f, 0.0f, 0.001f, 32767.0f, 40000.0f,
                              1e30f, std::nanf(""), kInf};
    return Pick(3) ? Real(-5.0f, 30.0f) : OneOf(kSpecial);
  }
  // Any mode byte, with or without the filter, source-alpha and other bits.
  int Mode()
  {
    const int kFlags[] = {0, RAST_BLIT_FILTER_BILINEAR, RAST_BLIT_USE_ALPHA, RAST_BLIT_USE_ALPHA | 0x100, 0xff00,
                          static_cast<int>(mRng())};
    return Pick(256) | (OneOf(kFlags) & ~0xff);
  }

private:
  template <class T, size_t N>
  T OneOf(const T (&values)[N])
  {
    return values[Pick(static_cast<int>(N))];
  }
  float Real(float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(mRng); }

  std::mt19937 mRng;
};

TEST(RAST_GuardBand, RandomAndExtremeArgumentsStayInside)
{
  const uint32_t seed = RAST_TestSeed();
  SCOPED_TRACE(testing::Message() << "seed " << seed);
  Args a(seed);
  for (int round = 0; round < 600; ++round)
  {
    const int w = 1 + a.Pick(40), h = 1 + a.Pick(24), s = std::max(w, h);
    GuardedBitmap dest(w, h, a.Pick(6), 40, a.Pick(2));
    GuardedBitmap src(1 + a.Pick(30), 1 + a.Pick(20), a.Pick(4), 40, a.Pick(2));
    // The map has exactly its own bytes, so the sanitizer sees any read past it.
    const int gw = 1 + a.Pick(12), gh = 1 + a.Pick(12);
    std::vector<uint8_t> glyph(static_cast<size_t>(gw) * gh);
    for (uint8_t& v : glyph) v = static_cast<uint8_t>(a.Pick(3) ? a.Bits() : 0);

    for (int step = 0; step < 24; ++step)
    {
      const RAST_pixel c = a.Bits();
      const float alpha = a.Alpha();
      const int mode = a.Mode();
      const int op = a.Pick(35);
      switch (op)
      {
        case 0:
          RAST_Blit(&dest, &src, a.Coord(w), a.Coord(h), a.Coord(20), a.Coord(20), a.Size(30), a.Size(30), alpha, mode);
          break;
        case 1:
        {
          const RECT r{a.Coord(20), a.Coord(20), a.Coord(30), a.Coord(30)};
          RAST_Blit(&dest, &src, a.Coord(w), a.Coord(h), a.Pick(4) ? &r : nullptr, alpha, mode);
          break;
        }
        case 2:
          RAST_Blit(&dest, &dest, a.Coord(w), a.Coord(h), a.Coord(w), a.Coord(h), a.Size(w), a.Size(h), alpha, mode);
          break;
        case 3: RAST_FillRect(&dest, a.Coord(w), a.Coord(h), a.Size(w), a.Size(h), c, alpha, mode); break;
        case 4: RAST_PutPixel(&dest, a.Coord(w), a.Coord(h), c, alpha, mode); break;
        case 5: RAST_GetPixel(&dest, a.Coord(w), a.Coord(h)); break;
        case 6: RAST_ClearRect(&dest, a.Coord(w), a.Coord(h), a.Size(w), a.Size(h), a.Bits(), a.Bits()); break;
        case 7:
          RAST_MultiplyAddRect(&dest, a.Coord(w), a.Coord(h), a.Size(w), a.Size(h), a.Value(), a.Value(), a.Value(),
                               a.Value(), 200 * a.Value(), 200 * a.Value(), a.Value(), a.Value());
          break;
        case 8:
          RAST_GradRect(&dest, a.Coord(w), a.Coord(h), a.Size(w), a.Size(h), a.Value(), a.Value(), a.Value(),
                        a.Value(), a.Value(), a.Value(), a.Value(), a.Value(), a.Value(), a.Value(), a.Value(),
                        a.Value(), mode);
          break;
        case 9:
          if (a.Pick(2))
            RAST_DrawGlyph(&dest, a.Coord(w), a.Coord(h), c, glyph.data(), gw, gh, alpha, mode);
          else
            RAST_DrawGlyphEx(&dest, a.Coord(w), a.Coord(h), c, glyph.data(), gw - a.Pick(gw), gw, gh - a.Pick(gh),
                             alpha, mode);
          break;
        case 10: RAST_SimpleFill(&dest, a.Coord(w), a.Coord(h), c, a.Bits(), a.Bits()); break;
        case 11: RAST_HalveBlitAA(a.Pick(2) ? &dest : &src, a.Pick(2) ? &src : &dest); break;
        case 12:
        {
          int box[4];
          RAST_BitmapCmpEx(&dest, a.Pick(2) ? &src : &dest, a.Bits(), a.Pick(2) ? box : nullptr);
          RAST_SetAlphaFromColorMask(&dest, c & 0xFFFFFF00u);
          break;
        }
        case 13: RAST_Line(&dest, a.Coord(w), a.Coord(h), a.Coord(w), a.Coord(h), c, alpha, mode, a.Pick(2)); break;
        case 14:
          RAST_FLine(&dest, a.FCoord(w), a.FCoord(h), a.FCoord(w), a.FCoord(h), c, alpha, mode, a.Pick(2));
          break;
        case 15:
          RAST_DashedLine(&dest, a.Coord(w), a.Coord(h), a.Coord(w), a.Coord(h), a.Coord(4), a.Coord(4), c, alpha,
                          mode, false);
          break;
        case 16: RAST_Circle(&dest, a.FCoord(w), a.FCoord(h), a.Radius(s), c, alpha, mode, a.Pick(2)); break;
        case 17: RAST_FillCircle(&dest, a.FCoord(w), a.FCoord(h), a.Radius(s), c, alpha, mode, a.Pick(2)); break;
        case 18:
          RAST_Arc(&dest, a.FCoord(w), a.FCoord(h), a.Radius(s), a.Angle(), a.Angle(), c, alpha, mode, a.Pick(2));
          break;
        case 19:
          RAST_RoundRect(&dest, a.FCoord(w), a.FCoord(h), a.FCoord(w), a.FCoord(h), a.Coord(8), c, alpha, mode,
                         a.Pick(2));
          break;
        case 20:
          RAST_FillTrapezoid(&dest, a.Coord(w), a.Coord(w), a.Coord(h), a.Coord(w), a.Coord(w), a.Coord(h), c, alpha,
                             mode);
          break;
        case 21:
          RAST_FillTriangle(&dest, a.Coord(w), a.Coord(h), a.Coord(w), a.Coord(h), a.Coord(w), a.Coord(h), c, alpha,
                            mode);
          break;
        case 22:
        {
          // Any point set, convex or not.
          std::vector<int> xs(1 + a.Pick(12)), ys(xs.size());
          for (size_t i = 0; i < xs.size(); ++i) xs[i] = a.Coord(w), ys[i] = a.Coord(h);
          RAST_FillConvexPolygon(&dest, xs.data(), ys.data(), static_cast<int>(xs.size()), c, alpha, mode);
          break;
        }
        case 23:
          RAST_DrawQBezier(&dest, a.FCoord(w), a.FCoord(h), a.FCoord(w), a.FCoord(h), a.FCoord(w), a.FCoord(h), c,
                           alpha, mode, a.Pick(2), a.Value());
          break;
        case 24:
          RAST_DrawCBezier(&dest, a.FCoord(w), a.FCoord(h), a.FCoord(w), a.FCoord(h), a.FCoord(w), a.FCoord(h),
                           a.FCoord(w), a.FCoord(h), c, alpha, mode, a.Pick(2), a.Value());
          break;
        case 25:
          RAST_FillCBezier(&dest, a.FCoord(w), a.FCoord(h), a.FCoord(w), a.FCoord(h), a.FCoord(w), a.FCoord(h),
                           a.FCoord(w), a.FCoord(h), a.Coord(h), c, alpha, mode, a.Value());
          break;
        case 26:
          RAST_FillCBezierX(&dest, a.FCoord(w), a.FCoord(h), a.FCoord(w), a.FCoord(h), a.FCoord(w), a.FCoord(h),
                            a.FCoord(w), a.FCoord(h), a.Coord(w), c, alpha, mode, a.Value());
          break;
        case 27:
          if (a.Pick(2))
            RAST_FillCBezier_Segments(&dest, a.Coord(w), a.Coord(h), a.Coord(w), a.Coord(h), a.Coord(h), c, alpha, mode);
          else
            RAST_FillCBezierX_Segments(&dest, a.Coord(w), a.Coord(h), a.Coord(w), a.Coord(h), a.Coord(w), c, alpha,
                                       mode);
          break;
        case 28: RAST_DrawRect(&dest, a.Coord(w), a.Coord(h), a.Coord(w), a.Coord(h), c, alpha, mode); break;
        case 29:
          RAST_ScaledBlit(&dest, &src, a.Coord(w), a.Coord(h), a.Size(w), a.Size(h), a.Fixed(), a.Fixed(), a.Fixed(),
                          a.Fixed(), alpha, mode);
          break;
        case 30:
          RAST_DeltaBlit(&dest, &src, a.Coord(w), a.Coord(h), a.Size(w), a.Size(h), a.Fixed(), a.Fixed(), a.Fixed(),
                         a.Fixed(), a.Fixed(), a.Fixed(), a.Fixed(), a.Fixed(), a.Fixed(), a.Fixed(), a.Pick(2), alpha,
                         mode);
          break;
        case 31:
          RAST_DeltaBlitAlpha(&dest, &src, a.Coord(w), a.Coord(h), a.Size(w), a.Size(h), a.Fixed(), a.Fixed(), a.Fixed(),
                              a.Fixed(), a.Fixed(), a.Fixed(), a.Fixed(), a.Fixed(), a.Fixed(), a.Fixed(), a.Pick(2),
                              alpha, mode, a.Fixed(), a.Fixed(), a.Fixed());
          break;
        case 32:
          RAST_RotatedBlit(&dest, &src, a.Coord(w), a.Coord(h), a.Size(w), a.Size(h), a.Fixed(), a.Fixed(), a.Fixed(),
                           a.Fixed(), a.Angle(), a.Pick(2), alpha, mode, a.Fixed(), a.Fixed());
          break;
        case 33:
        {
          // A 3 x 3 mesh of floats or of (x, y, alpha) doubles.
          float points[18];
          double points3[27];
          for (float& p : points) p = a.Fixed();
          for (double& p : points3) p = a.Fixed();
          if (a.Pick(2))
            RAST_TransformBlit(&dest, &src, a.Coord(w), a.Coord(h), a.Size(w), a.Size(h), points, 3, 3, alpha, mode);
          else
            RAST_TransformBlit2Alpha(&dest, &src, a.Coord(w), a.Coord(h), a.Size(w), a.Size(h), points3, 3, 3, mode);
          break;
        }
        default:
          RAST_BorderedRect(&dest, a.Coord(w), a.Coord(h), a.Coord(w), a.Coord(h), c, a.Bits(), alpha, mode);
          break;
      }
      ASSERT_TRUE(dest.SentinelsIntact()) << "round " << round << " step " << step << " operation " << op;
      ASSERT_TRUE(src.SentinelsIntact()) << "round " << round << " step " << step << " operation " << op;
    }
  }
}

// A null bitmap, weight 0, mode 6 or a NaN alpha draws nothing; the shapes
// also refuse an infinite alpha and a copy at a negative weight.
TEST(RAST_GuardBand, NothingToDrawLeavesTheBitmapIdentical)
{
  using Draw = std::function<void(RAST_IBitmap* dest, RAST_IBitmap* src, float alpha, int mode)>;
  const RAST_pixel c = 0x12345678u;
  const uint8_t map[4] = {255, 1, 128, 9};
  const int xs[] = {1, 7, 4}, ys[] = {1, 2, 6};
  enum Kind { kBlit, kPlain, kShape };
  struct Case { const char* name; Kind kind; Draw draw; } kCases[] = {
      {"blit", kBlit, [](RAST_IBitmap* d, RAST_IBitmap* s, float a, int m) { RAST_Blit(d, s, 1, 1, nullptr, a, m); }},
      {"blit rect", kBlit, [](RAST_IBitmap* d, RAST_IBitmap* s, float a, int m) { RAST_Blit(d, s, 0, 0, 1, 1, 5, 5, a, m); }},
      {"fill", kPlain, [&](RAST_IBitmap* d, RAST_IBitmap*, float a, int m) { RAST_FillRect(d, 0, 0, 9, 9, c, a, m); }},
      {"put", kPlain, [&](RAST_IBitmap* d, RAST_IBitmap*, float a, int m) { RAST_PutPixel(d, 2, 2, c, a, m); }},
      {"glyph", kPlain, [&](RAST_IBitmap* d, RAST_IBitmap*, float a, int m) { RAST_DrawGlyph(d, 1, 1, c, map, 2, 2, a, m); }},
      {"gradient", kPlain,
       [](RAST_IBitmap* d, RAST_IBitmap*, float a, int m) {
         RAST_GradRect(d, 0, 0, 9, 9, 0.5f, 0.5f, 0.5f, a, 0.1f, 0, 0, 0, 0, 0.1f, 0, 0, m);
       }},
      {"line", kShape, [&](RAST_IBitmap* d, RAST_IBitmap*, float a, int m) { RAST_Line(d, 0, 0, 7, 4, c, a, m, true); }},
      {"float line", kShape,
       [&](RAST_IBitmap* d, RAST_IBitmap*, float a, int m) { RAST_FLine(d, 0.5f, 0, 7, 4.5f, c, a, m, true); }},
      {"dashed line", kShape,
       [&](RAST_IBitmap* d, RAST_IBitmap*, float a, int m) { RAST_DashedLine(d, 0, 3, 7, 3, 2, 2, c, a, m, 0); }},
      {"circle", kShape, [&](RAST_IBitmap* d, RAST_IBitmap*, float a, int m) { RAST_Circle(d, 4, 4, 2.7f, c, a, m, true); }},
      {"mask circle", kShape, [&](RAST_IBitmap* d, RAST_IBitmap*, float a, int m) { RAST_Circle(d, 4, 4, 2, c, a, m, true); }},
      {"disc", kShape, [&](RAST_IBitmap* d, RAST_IBitmap*, float a, int m) { RAST_FillCircle(d, 4, 4, 3, c, a, m, false); }},
      {"arc", kShape, [&](RAST_IBitmap* d, RAST_IBitmap*, float a, int m) { RAST_Arc(d, 4, 4, 3, 0, 2, c, a, m, true); }},
      {"rounded rectangle", kShape,
       [&](RAST_IBitmap* d, RAST_IBitmap*, float a, int m) { RAST_RoundRect(d, 0, 0, 7, 6, 3, c, a, m, true); }},
      {"triangle", kShape,
       [&](RAST_IBitmap* d, RAST_IBitmap*, float a, int m) { RAST_FillTriangle(d, 1, 1, 7, 2, 4, 6, c, a, m); }},
      {"polygon", kShape,
       [&](RAST_IBitmap* d, RAST_IBitmap*, float a, int m) { RAST_FillConvexPolygon(d, xs, ys, 3, c, a, m); }},
      {"curve", kShape,
       [&](RAST_IBitmap* d, RAST_IBitmap*, float a, int m) { RAST_DrawQBezier(d, 0, 0, 4, 9, 7, 1, c, a, m, true, 1); }},
      {"curve fill", kShape,
       [&](RAST_IBitmap* d, RAST_IBitmap*, float a, int m) { RAST_FillCBezier(d, 0, 0, 2, 9, 5, 9, 7, 1, 6, c, a, m, 1); }},
      {"bordered rectangle", kShape,
       [](RAST_IBitmap* d, RAST_IBitmap*, float a, int m) { RAST_BorderedRect(d, 1, 1, 5, 4, 0x11u, 0x22u, a, m); }},
  };
  struct Call { const char* what; bool nullDest, nullSrc, shapesOnly; float alpha; int mode; } kCalls[] = {
      {"null destination", true, false, false, 1.0f, 0},  {"null source", false, true, false, 1.0f, 0},
      {"alpha 0", false, false, false, 0.0f, 1},          {"weight rounds to 0", false, false, false, 0.003f, 1},
      {"mode 6", false, false, false, 1.0f, 6},           {"mode 6 with other bits", false, false, false, 0.7f, 0x10106},
      {"NaN alpha", false, false, false, std::nanf(""), 1}, {"infinite alpha", false, false, true, kInf, 0},
      {"copy at a negative weight", false, false, true, -1.0f, 0},
  };
  GuardedBitmap src(6, 6);
  for (const Case& k : kCases)
    for (const Call& call : kCalls)
    {
      if ((call.shapesOnly && k.kind != kShape) || (call.nullSrc && k.kind != kBlit)) continue;
      GuardedBitmap dest(8, 7);
      const std::vector<RAST_pixel> before = dest.Cells();
      k.draw(call.nullDest ? nullptr : &dest, call.nullSrc ? nullptr : &src, call.alpha, call.mode);
      EXPECT_EQ(dest.Cells(), before) << k.name << ": " << call.what;
    }
}

// Drawn into a bitmap stored bottom-up, every shape gives the plain bitmap's
// top-down picture (trapezoids and dashed lines, which take the rows as
// stored, are in RAST_StoredRows_test.cpp). Circle centres sit on whole-pixel rows, where the
// centre's rounding is the same both ways up.
TEST(RAST_GuardBand, FlippedBitmapKeepsTheTopDownPicture)
{
  const int xs[] = {2, 9, 9, 2}, ys[] = {1, 1, 4, 4};
  struct Case { const char* name; std::function<void(RAST_IBitmap*, bool)> draw; } kCases[] = {
      {"line", [](RAST_IBitmap* d, bool aa) { RAST_Line(d, 1, 1, 10, 6, 0xFFFFFFFFu, 0.6f, 0, aa); }},
      {"line by mode 1", [](RAST_IBitmap* d, bool aa) { RAST_Line(d, 0, 8, 5, 3, 0x11223344u, 1.0f, 1, aa); }},
      {"polygon", [&](RAST_IBitmap* d, bool) { RAST_FillConvexPolygon(d, xs, ys, 4, 0xFFFFFFFFu, 0.6f, 0); }},
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
