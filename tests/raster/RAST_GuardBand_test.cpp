// Guard-band properties: random and extreme arguments drawn into a bitmap set
// inside a sentinel-filled buffer never touch the sentinels; blits agree with
// a pixel-by-pixel reference over the cropped rectangle; and calls that must
// draw nothing leave the bitmap identical. The random seed is printed; set
// RAST_TEST_SEED to repeat a run.
#include "raster/RAST_BitmapOps.h"
#include "raster/RAST_Blit.h"
#include "raster/RAST_Combine.h"
#include "raster/RAST_Glyph.h"
#include "raster/RAST_Rect.h"
#include "RAST_TestBitmap.h"
#include "RAST_TestSeed.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdio>
#include <functional>
#include <limits>
#include <random>
#include <vector>

namespace
{
class Args
{
public:
  explicit Args(uint32_t seed) : mRng(seed) {}

  int Pick(int n) { return static_cast<int>(mRng() % static_cast<uint32_t>(n)); }
  uint32_t Bits() { return mRng(); }

  // Near the bitmap most of the time, otherwise an extreme.
  int Coord(int size)
  {
    const int kExtremes[] = {INT_MIN, INT_MIN + 1, -1000000000, -size - 1, -1, 0, size - 1, size, 1000000000,
                             INT_MAX - 1, INT_MAX};
    if (Pick(4)) return Pick(2 * size + 11) - size - 5;
    return kExtremes[Pick(static_cast<int>(std::size(kExtremes)))];
  }

  int Size(int size)
  {
    const int kExtremes[] = {INT_MIN, -1, 0, 1, size + 1, INT_MAX / 2 + 1, INT_MAX};
    if (Pick(4)) return Pick(size + 12) - 3;
    return kExtremes[Pick(static_cast<int>(std::size(kExtremes)))];
  }

  float Alpha()
  {
    const float kSpecial[] = {0.0f, 0.25f, 0.5f, 0.75f, 1.0f, -1.0f, 2.0f, -2.0f, std::nanf(""),
                              std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity(),
                              1e30f, -1e30f, 1e-30f};
    if (Pick(3)) return std::uniform_real_distribution<float>(-2.0f, 2.0f)(mRng);
    return kSpecial[Pick(static_cast<int>(std::size(kSpecial)))];
  }

  // Any mode byte, with or without the filter and source-alpha bits.
  int Mode()
  {
    const int kFlags[] = {0, RAST_BLIT_FILTER_BILINEAR, RAST_BLIT_USE_ALPHA, RAST_BLIT_USE_ALPHA | 0x100, 0xff00,
                          static_cast<int>(mRng())};
    return Pick(256) | (kFlags[Pick(static_cast<int>(std::size(kFlags)))] & ~0xff);
  }

  // A gradient value or step: mostly small, sometimes far beyond range.
  float Value()
  {
    const float kSpecial[] = {std::nanf(""), std::numeric_limits<float>::infinity(), 1e30f, -1e30f, 1e6f, -3e4f};
    if (Pick(5)) return std::uniform_real_distribution<float>(-2.0f, 2.0f)(mRng);
    return kSpecial[Pick(static_cast<int>(std::size(kSpecial)))];
  }

private:
  std::mt19937 mRng;
};

TEST(RAST_GuardBand, RandomAndExtremeArgumentsStayInside)
{
  const uint32_t seed = RAST_TestSeed();
  std::printf("RAST_GuardBand seed %u (RAST_TEST_SEED repeats it)\n", seed);
  SCOPED_TRACE(testing::Message() << "seed " << seed);
  Args args(seed);

  for (int round = 0; round < 300; ++round)
  {
    const int w = 1 + args.Pick(40), h = 1 + args.Pick(24);
    GuardedBitmap dest(w, h, args.Pick(6), 40, args.Pick(2));
    GuardedBitmap src(1 + args.Pick(30), 1 + args.Pick(20), args.Pick(4), 40, args.Pick(2));
    // The map has exactly its own bytes, so the sanitizer sees any read past it.
    const int gw = 1 + args.Pick(12), gh = 1 + args.Pick(12);
    std::vector<uint8_t> glyph(static_cast<size_t>(gw) * gh);
    for (uint8_t& v : glyph) v = static_cast<uint8_t>(args.Pick(3) ? args.Bits() : 0);

    for (int step = 0; step < 24; ++step)
    {
      const RAST_pixel color = args.Bits();
      switch (args.Pick(13))
      {
        case 0:
          RAST_Blit(&dest, &src, args.Coord(w), args.Coord(h), args.Coord(20), args.Coord(20), args.Size(30),
                    args.Size(30), args.Alpha(), args.Mode());
          break;
        case 1:
        {
          const RECT r{args.Coord(20), args.Coord(20), args.Coord(30), args.Coord(30)};
          RAST_Blit(&dest, &src, args.Coord(w), args.Coord(h), args.Pick(4) ? &r : nullptr, args.Alpha(),
                    args.Mode());
          break;
        }
        case 2:
          RAST_FillRect(&dest, args.Coord(w), args.Coord(h), args.Size(w), args.Size(h), color, args.Alpha(),
                        args.Mode());
          break;
        case 3: RAST_PutPixel(&dest, args.Coord(w), args.Coord(h), color, args.Alpha(), args.Mode()); break;
        case 4: RAST_GetPixel(&dest, args.Coord(w), args.Coord(h)); break;
        case 5:
          RAST_ClearRect(&dest, args.Coord(w), args.Coord(h), args.Size(w), args.Size(h), args.Bits(), args.Bits());
          break;
        case 6:
          RAST_MultiplyAddRect(&dest, args.Coord(w), args.Coord(h), args.Size(w), args.Size(h), args.Value(),
                               args.Value(), args.Value(), args.Value(), 200 * args.Value(), 200 * args.Value(),
                               args.Value(), args.Value());
          break;
        case 7:
          RAST_GradRect(&dest, args.Coord(w), args.Coord(h), args.Size(w), args.Size(h), args.Value(), args.Value(),
                        args.Value(), args.Value(), args.Value(), args.Value(), args.Value(), args.Value(),
                        args.Value(), args.Value(), args.Value(), args.Value(), args.Mode());
          break;
        case 8:
          if (args.Pick(2))
            RAST_DrawGlyph(&dest, args.Coord(w), args.Coord(h), color, glyph.data(), gw, gh, args.Alpha(), args.Mode());
          else
            RAST_DrawGlyphEx(&dest, args.Coord(w), args.Coord(h), color, glyph.data(), gw - args.Pick(gw), gw,
                             gh - args.Pick(gh), args.Alpha(), args.Mode());
          break;
        case 9: RAST_SimpleFill(&dest, args.Coord(w), args.Coord(h), color, args.Bits(), args.Bits()); break;
        case 10: RAST_HalveBlitAA(args.Pick(2) ? &dest : &src, args.Pick(2) ? &src : &dest); break;
        case 11:
        {
          int box[4];
          RAST_BitmapCmpEx(&dest, args.Pick(2) ? &src : &dest, args.Bits(), args.Pick(2) ? box : nullptr);
          RAST_SetAlphaFromColorMask(&dest, color & 0xFFFFFF00u);
          break;
        }
        default:
          RAST_Blit(&dest, &dest, args.Coord(w), args.Coord(h), args.Coord(w), args.Coord(h), args.Size(w),
                    args.Size(h), args.Alpha(), args.Mode());
          break;
      }
      ASSERT_TRUE(dest.SentinelsIntact()) << "round " << round << " step " << step;
      ASSERT_TRUE(src.SentinelsIntact()) << "round " << round << " step " << step;
    }
  }
}

// Clipped against cropped: every pixel of a random blit equals the rule applied
// to the source pixel the plain geometry maps onto it.
TEST(RAST_GuardBand, BlitMatchesTheCroppedReference)
{
  const uint32_t seed = RAST_TestSeed();
  std::printf("RAST_GuardBand seed %u (RAST_TEST_SEED repeats it)\n", seed);
  SCOPED_TRACE(testing::Message() << "seed " << seed);
  Args args(seed ^ 0x9E3779B9u);

  for (int round = 0; round < 600; ++round)
  {
    GuardedBitmap dest(1 + args.Pick(24), 1 + args.Pick(16), args.Pick(4), 16, args.Pick(2));
    GuardedBitmap src(1 + args.Pick(20), 1 + args.Pick(12), args.Pick(4), 16, args.Pick(2));
    for (int y = 0; y < src.getHeight(); ++y)
      for (int x = 0; x < src.getWidth(); ++x) src.At(x, y) = args.Bits() & (args.Pick(3) ? ~0u : 0xFFFFFF00u);
    const int dx = args.Coord(dest.getWidth()), dy = args.Coord(dest.getHeight());
    const int sx = args.Coord(20), sy = args.Coord(12), sw = args.Size(24), sh = args.Size(16);
    const float alpha = args.Alpha();
    const int mode = args.Pick(2) ? args.Mode() : (args.Pick(6) | (args.Pick(2) ? RAST_BLIT_USE_ALPHA : 0));

    const std::vector<RAST_pixel> expected =
        ReferenceBlit(dest, src, dx, dy, sx, sy, static_cast<int64_t>(sx) + sw, static_cast<int64_t>(sy) + sh, alpha, mode);
    RAST_Blit(&dest, &src, dx, dy, sx, sy, sw, sh, alpha, mode);
    ASSERT_EQ(dest.Cells(), expected) << "round " << round << " at " << dx << "," << dy << " rect " << sx << ","
                                      << sy << " " << sw << "x" << sh << " alpha " << alpha << " mode " << mode;
    ASSERT_TRUE(dest.SentinelsIntact());
  }
}

// A null bitmap, weight 0 or mode 6 draws nothing.
TEST(RAST_GuardBand, NothingToDrawLeavesTheBitmapIdentical)
{
  struct Case
  {
    const char* name;
    std::function<void(RAST_IBitmap* dest, RAST_IBitmap* src, float alpha, int mode)> draw;
  } kCases[] = {
      {"blit", [](RAST_IBitmap* d, RAST_IBitmap* s, float a, int m) { RAST_Blit(d, s, 1, 1, nullptr, a, m); }},
      {"blit rect", [](RAST_IBitmap* d, RAST_IBitmap* s, float a, int m) { RAST_Blit(d, s, 0, 0, 1, 1, 5, 5, a, m); }},
      {"fill", [](RAST_IBitmap* d, RAST_IBitmap*, float a, int m) { RAST_FillRect(d, 0, 0, 9, 9, 0x12345678u, a, m); }},
      {"put", [](RAST_IBitmap* d, RAST_IBitmap*, float a, int m) { RAST_PutPixel(d, 2, 2, 0x12345678u, a, m); }},
      {"glyph",
       [](RAST_IBitmap* d, RAST_IBitmap*, float a, int m) {
         const uint8_t map[4] = {255, 1, 128, 9};
         RAST_DrawGlyph(d, 1, 1, 0x12345678u, map, 2, 2, a, m);
       }},
      {"gradient",
       [](RAST_IBitmap* d, RAST_IBitmap*, float a, int m) {
         RAST_GradRect(d, 0, 0, 9, 9, 0.5f, 0.5f, 0.5f, a, 0.1f, 0, 0, 0, 0, 0.1f, 0, 0, m);
       }},
  };
  for (const Case& c : kCases)
  {
    GuardedBitmap src(6, 6);
    for (int y = 0; y < 6; ++y)
      for (int x = 0; x < 6; ++x) src.At(x, y) ^= 0xFFFFFFFFu;
    const std::vector<RAST_pixel> before = GuardedBitmap(8, 7).Cells();
    struct Call
    {
      const char* what;
      bool nullDest, nullSrc;
      float alpha;
      int mode;
    } kCalls[] = {
        {"null destination", true, false, 1.0f, 0}, {"null source", false, true, 1.0f, 0},
        {"alpha 0", false, false, 0.0f, 1},         {"weight rounds to 0", false, false, 0.003f, 1},
        {"mode 6", false, false, 1.0f, 6},          {"mode 6 with source alpha", false, false, 0.7f, 0x10006},
        {"NaN alpha", false, false, std::nanf(""), 1},
    };
    for (const Call& call : kCalls)
    {
      if (call.nullSrc && c.name[0] != 'b') continue;  // only the blits take a source
      GuardedBitmap dest(8, 7);
      c.draw(call.nullDest ? nullptr : &dest, call.nullSrc ? nullptr : &src, call.alpha, call.mode);
      EXPECT_EQ(dest.Cells(), before) << c.name << ": " << call.what;
    }
  }
}
}  // namespace
