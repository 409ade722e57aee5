#include "raster/RAST_ScaledBlit.h"

#include "raster/RAST_Blit.h"
#include "raster/RAST_Combine.h"
#include "raster/RAST_Simd.h"
#include "RAST_TestBitmap.h"
#include "RAST_TestSeed.h"

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <cmath>
#include <limits>
#include <vector>

namespace
{
constexpr int kBilinear = RAST_BLIT_FILTER_BILINEAR;

// Every pixel different: red = x * 10, green = y * 10, blue and alpha fixed.
void Ramp(RAST_IBitmap& bm)
{
  for (int y = 0; y < bm.getHeight(); ++y)
    for (int x = 0; x < bm.getWidth(); ++x) PixelAt(bm, x, y) = RAST_RGBA(x * 10, y * 10, 200, 255);
}

constexpr RAST_pixel kBack = 0x01020304u;

}  // namespace

TEST(RAST_ScaledBlit, SameSizeRequestsArePlainBlits)
{
  // Columns alternate between red 0 and 250, so any resampling shows.
  RAST_MemBitmap src(10, 10, 4);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) PixelAt(src, x, y) = RAST_RGBA(x % 2 * 250, y * 10, 200, 255);
  struct Case { const char* name; float srcx, srcw; int mode; bool plain; } kCases[] = {
      {"10.0004 wide without filtering", 0.0f, 10.0004f, 0, true},
      {"bilinear 0.02 off a whole pixel", 0.02f, 10.0f, kBilinear, true},
      {"bilinear 0.05 off a whole pixel", 0.05f, 10.0f, kBilinear, false},
  };
  for (const Case& c : kCases)
  {
    GuardedBitmap viaScaled(10, 10), viaBlit(10, 10);
    RAST_ScaledBlit(&viaScaled, &src, 0, 0, 10, 10, c.srcx, 0.0f, c.srcw, 10.0f, 1.0f, c.mode);
    RAST_Blit(&viaBlit, &src, 0, 0, 0, 0, 10, 10, 1.0f, c.mode);
    EXPECT_EQ(viaScaled.Cells() == viaBlit.Cells(), c.plain) << c.name;
    EXPECT_TRUE(viaScaled.SentinelsIntact()) << c.name;
  }
  // Resampled at x + 0.05: fx = (int)(0.05f * 65536) = 3276, so column 3
  // (red 250) takes 3276 / 65536 of column 4 (red 0): 250 * 62260 >> 16 = 237.
  GuardedBitmap dest(10, 10);
  RAST_ScaledBlit(&dest, &src, 0, 0, 10, 10, 0.05f, 0.0f, 10.0f, 10.0f, 1.0f, kBilinear);
  EXPECT_EQ(RAST_GETR(dest.At(3, 4)), 237);
  EXPECT_EQ(RAST_GETG(dest.At(3, 4)), 40);
}

// Shrinking by 1.7 up to 3.0 averages a 3 x 3 box around each sample, above
// 3.0 a 5 x 5 box (cut to the source at its edges); below 1.7 either way it
// samples bilinearly. The source's channels are not linear in x and y, so a
// box average differs from its centre; the expected bytes were worked out by
// hand from the box and bilinear formulas.
TEST(RAST_ScaledBlit, ShrinkFactorPicksTheFilter)
{
  RAST_MemBitmap src(40, 40, 4);
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 40; ++x) PixelAt(src, x, y) = RAST_RGBA(x * x * 7 + y * 13, x * y * 3, x + 2 * y * y, 255);
  struct Case { const char* name; float srcw, srch; RAST_pixel at00, at11, at21; } kCases[] = {
      {"exactly 1.7 both ways: 3 x 3 box", 17.0f, 17.0f, 0x01000AFFu, 0x040318FFu, 0x060950FFu},
      {"1.69 one way: bilinear", 16.9f, 17.0f, 0x000000FFu, 0x07082BFFu, 0x091167FFu},
      {"3.0: still the 3 x 3 box", 30.0f, 30.0f, 0x01000AFFu, 0x161B6AFFu, 0x19367DFFu},
      {"above 3.0: 5 x 5 box", 31.0f, 31.0f, 0x040318FFu, 0x191B74FFu, 0x1C368DFFu},
  };
  for (const Case& c : kCases)
  {
    GuardedBitmap dest(10, 10);
    RAST_ScaledBlit(&dest, &src, 0, 0, 10, 10, 0.0f, 0.0f, c.srcw, c.srch, 1.0f, kBilinear);
    EXPECT_EQ(dest.At(0, 0), c.at00) << c.name;
    EXPECT_EQ(dest.At(1, 1), c.at11) << c.name;
    EXPECT_EQ(dest.At(2, 1), c.at21) << c.name;
    EXPECT_TRUE(dest.SentinelsIntact()) << c.name;
  }
}

TEST(RAST_ScaledBlit, BilinearEdgesOfTheSource)
{
  // A 2 x 2 source drawn 4 x 4: position 0.5 steps; column 1 and row 1 of
  // the source are its last, so they mix only one way.
  RAST_MemBitmap src(2, 2, 1);
  PixelAt(src, 0, 0) = RAST_RGBA(0, 0, 0, 255);
  PixelAt(src, 1, 0) = RAST_RGBA(200, 0, 0, 255);
  PixelAt(src, 0, 1) = RAST_RGBA(0, 100, 0, 255);
  PixelAt(src, 1, 1) = RAST_RGBA(200, 100, 40, 255);
  GuardedBitmap dest(4, 4);
  RAST_ScaledBlit(&dest, &src, 0, 0, 4, 4, 0.0f, 0.0f, 2.0f, 2.0f, 1.0f, kBilinear);
  EXPECT_EQ(dest.At(1, 1), RAST_RGBA(100, 50, 10, 255)) << "four pixels at (0.5, 0.5)";
  EXPECT_EQ(dest.At(3, 1), RAST_RGBA(200, 50, 20, 255)) << "last column: vertical only";
  EXPECT_EQ(dest.At(1, 3), RAST_RGBA(100, 100, 20, 255)) << "last row: horizontal only";
  EXPECT_EQ(dest.At(3, 3), RAST_RGBA(200, 100, 40, 255)) << "bottom-right taken as it is";
  EXPECT_EQ(dest.At(2, 2), RAST_RGBA(200, 100, 40, 255));
}

TEST(RAST_ScaledBlit, MirroredIsTheExactMirrorImage)
{
  // dstw = -20 fills columns dstx - 20 .. dstx - 1 from the source's right
  // end; each pixel samples the low end of its interval, so no column is lost
  // and, the step of 0.5 being exact in 16.16, the picture is the unmirrored
  // one turned round.
  RAST_MemBitmap src(10, 6, 4);
  Ramp(src);
  for (int mode : {0, kBilinear})
  {
    GuardedBitmap plain(24, 12), mirrored(24, 12);
    FillAll(plain, kBack);
    FillAll(mirrored, kBack);
    RAST_ScaledBlit(&plain, &src, 2, 0, 20, 12, 0.0f, 0.0f, 10.0f, 6.0f, 1.0f, mode);
    RAST_ScaledBlit(&mirrored, &src, 22, 12, -20, -12, 0.0f, 0.0f, 10.0f, 6.0f, 1.0f, mode);
    for (int y = 0; y < 12; ++y)
      for (int x = 0; x < 24; ++x)
      {
        const RAST_pixel expected = x >= 2 && x < 22 ? plain.At(2 + 21 - x, 11 - y) : kBack;
        ASSERT_EQ(mirrored.At(x, y), expected) << "mode " << mode << " at " << x << ", " << y;
      }
    EXPECT_EQ(mirrored.At(2, 0), PixelAt(src, 9, 5)) << "mode " << mode;
    EXPECT_TRUE(mirrored.SentinelsIntact());
  }
}

// A step of a third is not exact in 16.16: stepping back from the far end
// lands a nearest sample on the next source column, and a bilinear one a
// step lower in blue. The source's two columns are (red, green, blue) 0, 3,
// 255 and 19, 10, 242, opaque; the mirrored column is dstw - 1 - column.
TEST(RAST_ScaledBlit, MirroredAtAnInexactStepIsNotQuiteTheMirrorImage)
{
  RAST_MemBitmap src(2, 1, 1);
  PixelAt(src, 0, 0) = RAST_RGBA(0x00, 0x03, 0xFF, 0xFF);
  PixelAt(src, 1, 0) = RAST_RGBA(0x13, 0x0A, 0xF2, 0xFF);
  const struct Case { int mode, dstw; float srcw; int column; RAST_pixel plain, mirrored; } kCases[] = {
      {0, 6, 2.0f, 3, 0xFF0300FFu, 0xF20A13FFu},
      {kBilinear, 3, 1.6f, 0, 0xFF0300FFu, 0xFE0300FFu},
  };
  for (const Case& c : kCases)
  {
    GuardedBitmap plain(8, 1), mirrored(8, 1);
    RAST_ScaledBlit(&plain, &src, 0, 0, c.dstw, 1, 0.0f, 0.0f, c.srcw, 1.0f, 1.0f, c.mode);
    RAST_ScaledBlit(&mirrored, &src, c.dstw, 0, -c.dstw, 1, 0.0f, 0.0f, c.srcw, 1.0f, 1.0f, c.mode);
    EXPECT_EQ(plain.At(c.column, 0), c.plain) << c.mode;
    EXPECT_EQ(mirrored.At(c.dstw - 1 - c.column, 0), c.mirrored) << c.mode;
  }
}

TEST(RAST_ScaledBlit, OverrunningRequestKeepsTheLastSourceColumn)
{
  // A 10 x 10 source asked for as 11 x 11 into 22 x 22: destination columns 18
  // and 19 sample source column 9 (at 9.0 and 9.5) and are drawn; columns 20
  // and 21 fall beyond the source and stay.
  RAST_MemBitmap src(10, 10, 4);
  Ramp(src);
  GuardedBitmap dest(24, 24, GuardedBitmap::Filled{kBack});
  RAST_ScaledBlit(&dest, &src, 0, 0, 22, 22, 0.0f, 0.0f, 11.0f, 11.0f, 1.0f, 0);
  for (int x : {18, 19}) EXPECT_EQ(dest.At(x, 0), PixelAt(src, 9, 0)) << x;
  for (int x : {20, 21}) EXPECT_EQ(dest.At(x, 0), kBack) << x;
  for (int y : {18, 19}) EXPECT_EQ(dest.At(0, y), PixelAt(src, 0, 9)) << y;
  for (int y : {20, 21}) EXPECT_EQ(dest.At(0, y), kBack) << y;
}

TEST(RAST_ScaledBlit, SourceLimitsBoundWhatIsRead)
{
  // The request covers columns 0..3 of an 8-wide source: bilinear sampling
  // never reaches column 4, however the destination is clipped.
  RAST_MemBitmap src(8, 8, 4);
  Ramp(src);
  for (int dstx : {0, -3})
  {
    GuardedBitmap dest(16, 16);
    RAST_ScaledBlit(&dest, &src, dstx, 0, 16, 16, 0.0f, 0.0f, 4.0f, 4.0f, 1.0f, kBilinear);
    // The last destination column samples 3.75: the source's column 3 is the
    // request's last, so it mixes vertically only.
    EXPECT_EQ(RAST_GETR(dest.At(15 + dstx, 0)), 30) << dstx;
  }
}

// A 2 x 1 source (an ordinary pixel, then a clear one) enlarged to 4 x 2 onto
// kD: each destination pixel is its nearest source pixel combined by the
// mode's rule; the expected bytes come from the rule formulas.
TEST(RAST_ScaledBlit, EveryModeUsesItsRule)
{
  constexpr RAST_pixel kD = 0x6B81A3C5u;
  constexpr int kSA = RAST_BLIT_USE_ALPHA;
  RAST_MemBitmap src(2, 1, 1);
  PixelAt(src, 0, 0) = 0x35C15B91u;
  PixelAt(src, 1, 0) = 0x35C15B00u;
  struct Case { int mode; float alpha; RAST_pixel left, right; } kCases[] = {
      {0, 1.0f, 0x35C15B91u, 0x35C15B00u},       {0, 0.5f, 0x4FA07EAAu, 0x4FA07E62u},  // whole-pixel half mix
      {0, 0.6f, 0x4AA877A5u, 0x4AA8774Fu},       {1, 0.6f, 0x8AF4D9FFu, 0x8AF4D9C5u},
      {2, 0.6f, 0x79EACEFFu, 0x79EACEC5u},       {3, 0.6f, 0x386E6491u, 0x386E644Fu},
      {4, 0.6f, 0x559498C8u, 0x559498A9u},       {5, 0.6f, 0x201A4A91u, 0x201A4A00u},
      {kSA, 1.0f, 0x4CA679FFu, 0x6B81A3C5u},     {kSA, 0.6f, 0x58978AFFu, 0x6B81A3C5u},
      {kSA | 1, 0.6f, 0x7DC2C1F6u, 0x6B81A3C5u}, {kSA | 2, 0.6f, 0x73ACB8F3u, 0x6B81A3C5u},
      {kSA | 3, 0.6f, 0x4E767FA7u, 0x6B81A3C5u}, {kSA | 4, 0.6f, 0x5E8C9DC7u, 0x6B81A3C5u},
      {kSA | 5, 0.6f, 0x373C7191u, 0x6B81A300u}, {6, 1.0f, kD, kD},
      {kSA | 6, 1.0f, kD, kD},                   {0xf0, 1.0f, kD, kD},  // no channel copy here
  };
  for (const Case& c : kCases)
  {
    GuardedBitmap dest(4, 2, GuardedBitmap::Filled{kD});
    RAST_ScaledBlit(&dest, &src, 0, 0, 4, 2, 0.0f, 0.0f, 2.0f, 1.0f, c.alpha, c.mode);
    const std::vector<RAST_pixel> expected = {c.left, c.left, c.right, c.right, c.left, c.left, c.right, c.right};
    EXPECT_EQ(dest.Cells(), expected) << "mode " << c.mode << " alpha " << c.alpha;
  }
}

TEST(RAST_ScaledBlit, FlippedBitmapsAreReadAndWrittenTopRowFirst)
{
  RAST_MemBitmap src(6, 5, 4);
  Ramp(src);
  GuardedBitmap flippedSrc(6, 5, 2, 8, true);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 6; ++x) flippedSrc.At(x, y) = PixelAt(src, x, y);
  GuardedBitmap plain(15, 11), flipped(15, 11, 3, 64, true);
  RAST_ScaledBlit(&plain, &src, 1, 1, 13, 9, 0.3f, 0.2f, 5.5f, 4.5f, 1.0f, kBilinear);
  RAST_ScaledBlit(&flipped, &flippedSrc, 1, 1, 13, 9, 0.3f, 0.2f, 5.5f, 4.5f, 1.0f, kBilinear);
  EXPECT_EQ(plain.Cells(), flipped.Cells());
  EXPECT_TRUE(flipped.SentinelsIntact());
}

TEST(RAST_ScaledBlit, CoordinatesBeyondFixedPointAreRefused)
{
  RAST_MemBitmap src(8, 8, 4);
  Ramp(src);
  const float inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
  struct Case { const char* name; int dstx, dsty, dstw, dsth; float srcx, srcy, srcw, srch; } kCases[] = {
      {"source x beyond 16.16", 0, 0, 8, 8, 40000.0f, 0.0f, 4.0f, 4.0f},
      {"step beyond 16.16", 0, 0, 2, 2, 0.0f, 0.0f, 1e9f, 4.0f},
      {"negative start beyond 16.16", 0, 0, 8, 8, -1e7f, 0.0f, 4.0f, 4.0f},
      {"infinite width", 0, 0, 8, 8, 0.0f, 0.0f, inf, 4.0f},
      {"NaN start", 0, 0, 8, 8, nan, 0.0f, 4.0f, 4.0f},
      {"destination far to the left", INT_MIN, 0, INT_MAX, 8, 0.0f, 0.0f, 4.0f, 4.0f},
      {"mirrored from the far right", INT_MAX, INT_MAX, INT_MIN, INT_MIN, 0.0f, 0.0f, 4.0f, 4.0f},
  };
  for (const Case& c : kCases)
  {
    GuardedBitmap dest(8, 8);
    const std::vector<RAST_pixel> before = dest.Cells();
    RAST_ScaledBlit(&dest, &src, c.dstx, c.dsty, c.dstw, c.dsth, c.srcx, c.srcy, c.srcw, c.srch, 1.0f, kBilinear);
    EXPECT_EQ(dest.Cells(), before) << c.name;
    EXPECT_TRUE(dest.SentinelsIntact()) << c.name;
  }
}

// Above the scalar level a scale is sampled a row at a time by the vector
// passes; on random requests of every sampling form and rule, and on sources
// one pixel thin, the rows must give the walk's bytes and touch nothing else.
TEST(RAST_ScaledBlit, RowPassesMatchTheScalarWalk)
{
  const uint32_t seed = RAST_TestSeed();
  SCOPED_TRACE("seed " + std::to_string(seed) + " (RAST_TEST_SEED repeats it)");
  std::mt19937 rng(seed);
  auto uniform = [&](float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(rng); };
  struct Source { int w, h; } kSources[] = {{37, 29}, {1, 1}, {1, 9}, {9, 1}, {2, 2}};
  std::vector<RAST_SimdLevel> levels{RAST_SimdLevel::SSE2};
  if (RAST_SupportedSimdLevel() == RAST_SimdLevel::AVX2) levels.push_back(RAST_SimdLevel::AVX2);
  const int kModes[] = {0, kBilinear, kBilinear | RAST_BLIT_USE_ALPHA, kBilinear | RAST_BLIT_MODE_OVERLAY,
                        RAST_BLIT_MODE_ADD | RAST_BLIT_USE_ALPHA};
  for (const Source& source : kSources)
  {
    RAST_MemBitmap src(source.w, source.h, 4);
    for (int y = 0; y < source.h; ++y)
      for (int x = 0; x < source.w; ++x) PixelAt(src, x, y) = static_cast<RAST_pixel>(rng());
    for (int round = 0; round < 150; ++round)
    {
      // Half the requests shrink by 1.7 to 5 both ways, where the box runs.
      const float srcw = uniform(-1.2f, 1.2f) * source.w, srch = uniform(-1.2f, 1.2f) * source.h;
      const bool shrink = round % 2 == 0;
      auto size = [&](float from, int most) {
        return shrink ? static_cast<int>(std::fabs(from) / uniform(1.7f, 5.0f)) + 1 : static_cast<int>(rng() % most) + 1;
      };
      const int dstw = size(srcw, 40), dsth = size(srch, 30);
      const float srcx = uniform(-2.0f, source.w * 0.5f), srcy = uniform(-2.0f, source.h * 0.5f);
      const int dstx = static_cast<int>(rng() % 9) - 4, dsty = static_cast<int>(rng() % 9) - 4;
      const int mode = kModes[rng() % std::size(kModes)];
      const float kAlphas[] = {1.0f, 0.5f, 0.7f, -0.3f};
      const float alpha = kAlphas[rng() % 4];
      const bool flipped = rng() % 2;
      GuardedBitmap scalar(41, 31, 3, 16, flipped);
      RAST_SetSimdLevel(RAST_SimdLevel::Scalar);
      RAST_ScaledBlit(&scalar, &src, dstx, dsty, dstw, dsth, srcx, srcy, srcw, srch, alpha, mode);
      for (RAST_SimdLevel level : levels)
      {
        GuardedBitmap rows(41, 31, 3, 16, flipped);
        RAST_SetSimdLevel(level);
        RAST_ScaledBlit(&rows, &src, dstx, dsty, dstw, dsth, srcx, srcy, srcw, srch, alpha, mode);
        RAST_SetSimdLevel(RAST_SupportedSimdLevel());
        ASSERT_EQ(rows.Cells(), scalar.Cells())
            << "source " << source.w << " x " << source.h << " round " << round << " level " << static_cast<int>(level)
            << ": dst " << dstx << ", " << dsty << ", " << dstw << " x " << dsth << " src " << srcx << ", " << srcy
            << ", " << srcw << " x " << srch << " mode 0x" << std::hex << mode << " alpha " << alpha;
        ASSERT_TRUE(rows.SentinelsIntact()) << "round " << round;
      }
    }
  }
}

// The bilinear rows read each group's source columns through a widening
// load and fetch the rows ahead of the samples. Shrinking to about 2/3 (the
// GUI's change of scale), at every destination width across two groups and
// a tail, from sources starting at each pixel of a group and at a fraction,
// at full and partial weights, the rows must give the walk's bytes.
TEST(RAST_ScaledBlit, BilinearShrinkRowsMatchTheWalkAtEveryWidthAndOffset)
{
  std::mt19937 rng(RAST_TestSeed());
  RAST_MemBitmap src(120, 9, 4);
  for (int y = 0; y < src.getHeight(); ++y)
    for (int x = 0; x < src.getWidth(); ++x) PixelAt(src, x, y) = static_cast<RAST_pixel>(rng());
  std::vector<RAST_SimdLevel> levels{RAST_SimdLevel::SSE2};
  if (RAST_SupportedSimdLevel() == RAST_SimdLevel::AVX2) levels.push_back(RAST_SimdLevel::AVX2);
  const float kOffsets[] = {0.0f, 1.0f, 2.0f, 3.0f, 5.0f, 7.0f, 0.25f, 3.5f};
  const float kAlphas[] = {1.0f, 0.7f, 0.25f};
  for (int dstw = 1; dstw <= 19; ++dstw)
    for (float offset : kOffsets)
      for (float alpha : kAlphas)
        for (int mode : {kBilinear, kBilinear | RAST_BLIT_USE_ALPHA})
        {
          const float srcw = dstw * 1.5f, srch = 6.0f;
          RAST_MemBitmap scalar(24, 5, 4);
          FillAll(scalar, kBack);
          RAST_SetSimdLevel(RAST_SimdLevel::Scalar);
          RAST_ScaledBlit(&scalar, &src, 1, 0, dstw, 4, offset, 0.5f, srcw, srch, alpha, mode);
          for (RAST_SimdLevel level : levels)
          {
            RAST_MemBitmap rows(24, 5, 4);
            FillAll(rows, kBack);
            RAST_SetSimdLevel(level);
            RAST_ScaledBlit(&rows, &src, 1, 0, dstw, 4, offset, 0.5f, srcw, srch, alpha, mode);
            RAST_SetSimdLevel(RAST_SupportedSimdLevel());
            for (int y = 0; y < 5; ++y)
              for (int x = 0; x < 24; ++x)
                ASSERT_EQ(PixelAt(rows, x, y), PixelAt(scalar, x, y))
                    << "width " << dstw << " offset " << offset << " alpha " << alpha << " mode 0x" << std::hex
                    << mode << std::dec << " level " << static_cast<int>(level) << " at " << x << ", " << y;
          }
        }
}

// The box divides each channel's sum by the number of taps through a
// reciprocal; every sum a 3 x 3 or 5 x 5 box can reach must divide exactly.
// Shrinking by the kernel's size from half a kernel in centres the boxes on
// a tiling of the source, each tile filled so that its channels sum to chosen
// values.
TEST(RAST_ScaledBlit, BoxAverageIsExactForEverySum)
{
  constexpr int kAcross = 64;
  for (int size : {3, 5})
  {
    const int count = size * size, most = 255 * count, half = size / 2;
    const int down = (most + kAcross) / kAcross;
    RAST_MemBitmap src(kAcross * size + 2 * half, down * size + 2 * half, 4);
    FillAll(src, 0);
    auto sums = [&](int box) {
      const int s = box > most ? most : box;
      return std::array<int, 4>{s, most - s, s * 7 % (most + 1), (s * 13 + 5) % (most + 1)};  // A, R, G, B
    };
    for (int by = 0; by < down; ++by)
      for (int bx = 0; bx < kAcross; ++bx)
      {
        const std::array<int, 4> sum = sums(by * kAcross + bx);
        for (int k = 0; k < count; ++k)
        {
          int c[4];
          for (int ch = 0; ch < 4; ++ch) c[ch] = sum[ch] / count + (k < sum[ch] % count ? 1 : 0);
          PixelAt(src, bx * size + k % size, by * size + k / size) = RAST_RGBA(c[1], c[2], c[3], c[0]);
        }
      }
    for (RAST_SimdLevel level : {RAST_SimdLevel::Scalar, RAST_SupportedSimdLevel()})
    {
      RAST_SetSimdLevel(level);
      RAST_MemBitmap dest(kAcross, down, 4);
      RAST_ScaledBlit(&dest, &src, 0, 0, kAcross, down, static_cast<float>(half), static_cast<float>(half),
                      static_cast<float>(kAcross * size), static_cast<float>(down * size), 1.0f, kBilinear);
      for (int by = 0; by < down; ++by)
        for (int bx = 0; bx < kAcross; ++bx)
        {
          const std::array<int, 4> sum = sums(by * kAcross + bx);
          ASSERT_EQ(PixelAt(dest, bx, by), RAST_RGBA(sum[1] / count, sum[2] / count, sum[3] / count, sum[0] / count))
              << size << " x " << size << " box " << bx << ", " << by << " level " << static_cast<int>(level);
        }
    }
    RAST_SetSimdLevel(RAST_SupportedSimdLevel());
  }
}
