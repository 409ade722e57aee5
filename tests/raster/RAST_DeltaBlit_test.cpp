#include "raster/RAST_DeltaBlit.h"

#include "raster/RAST_ScaledBlit.h"
#include "raster/RAST_TransformBlit.h"
#include "RAST_TestBitmap.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace
{
constexpr int kBilinear = RAST_BLIT_FILTER_BILINEAR;
constexpr RAST_pixel kBack = 0x05060708u;

// An unscaled, unturned walk from (sx, sy).
void Straight(RAST_IBitmap* dest, RAST_IBitmap* src, int dstx, int dsty, int w, int h, float sx, float sy, float alpha,
              int mode, bool clip = false, float srcw = 0, float srch = 0)
{
  RAST_DeltaBlit(dest, src, dstx, dsty, w, h, sx, sy, srcw, srch, 1.0, 0.0, 0.0, 1.0, 0.0, 0.0, clip, alpha, mode);
}
}  // namespace

TEST(RAST_RotatedBlit, AngleZeroCopiesTheSource)
{
  RAST_MemBitmap src(8, 6, 4);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 8; ++x) PixelAt(src, x, y) = GuardedBitmap::Pattern(x, y);
  GuardedBitmap dest(8, 6, GuardedBitmap::Filled{kBack});
  RAST_RotatedBlit(&dest, &src, 0, 0, 8, 6, 0.0f, 0.0f, 8.0f, 6.0f, 0.0f, false, 1.0f, 0, 0.0f, 0.0f);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 8; ++x) EXPECT_EQ(dest.At(x, y), PixelAt(src, x, y)) << x << ", " << y;
}

TEST(RAST_RotatedBlit, SamplesOutsideTheSourceLeaveTheDestination)
{
  // A square turned by 45 degrees: its corners fetch from outside the source.
  RAST_MemBitmap src(10, 10, 4);
  FillAll(src, RAST_RGBA(10, 20, 30, 255));
  for (int mode : {0, kBilinear})
  {
    GuardedBitmap dest(10, 10, GuardedBitmap::Filled{kBack});
    RAST_RotatedBlit(&dest, &src, 0, 0, 10, 10, 0.0f, 0.0f, 10.0f, 10.0f, static_cast<float>(M_PI / 4), false, 1.0f,
                     mode, 0.0f, 0.0f);
    for (auto [x, y] : {std::pair{0, 0}, {9, 0}, {0, 9}, {9, 9}}) EXPECT_EQ(dest.At(x, y), kBack) << x << ", " << y;
    EXPECT_EQ(dest.At(5, 5), RAST_RGBA(10, 20, 30, 255));
    EXPECT_TRUE(dest.SentinelsIntact());
  }
}

TEST(RAST_DeltaBlit, BilinearAtTheEdgesOfTheBox)
{
  RAST_MemBitmap src(3, 3, 1);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 3; ++x) PixelAt(src, x, y) = RAST_RGBA(x * 100, y * 100, 40, 255);
  GuardedBitmap dest(1, 1);
  // Last column at fraction 0.25 across and 0.5 down: only the vertical pair.
  Straight(&dest, &src, 0, 0, 1, 1, 2.25f, 0.5f, 1.0f, kBilinear);
  EXPECT_EQ(dest.At(0, 0), RAST_RGBA(200, 50, 40, 255));
  // Last row: only the horizontal pair.
  Straight(&dest, &src, 0, 0, 1, 1, 0.5f, 2.75f, 1.0f, kBilinear);
  EXPECT_EQ(dest.At(0, 0), RAST_RGBA(50, 200, 40, 255));
  // The box's last pixel as it is.
  Straight(&dest, &src, 0, 0, 1, 1, 2.25f, 2.75f, 1.0f, kBilinear);
  EXPECT_EQ(dest.At(0, 0), RAST_RGBA(200, 200, 40, 255));
  // Inside: (50 * 0.75 + 150 * 0.25) = 75 across, 25 down.
  Straight(&dest, &src, 0, 0, 1, 1, 0.75f, 0.25f, 1.0f, kBilinear);
  EXPECT_EQ(dest.At(0, 0), RAST_RGBA(75, 25, 40, 255));
}

TEST(RAST_DeltaBlit, ModeAndWeight)
{
  RAST_MemBitmap src(1, 1, 1);
  PixelAt(src, 0, 0) = RAST_RGBA(255, 255, 255, 255);
  GuardedBitmap dest(1, 1);
  // Copy at 0.5 is the weighted copy: 0 + (255 - 0) * 128 / 256 rounds to 128,
  // where the half mix would give 127.
  dest.At(0, 0) = RAST_RGBA(0, 0, 0, 0);
  Straight(&dest, &src, 0, 0, 1, 1, 0.0f, 0.0f, 0.5f, 0);
  EXPECT_EQ(dest.At(0, 0), RAST_RGBA(128, 128, 128, 128));
  Straight(&dest, &src, 0, 0, 1, 1, 0.0f, 0.0f, 1.0f, 0);
  EXPECT_EQ(dest.At(0, 0), RAST_RGBA(255, 255, 255, 255));
  // White at weight 153 onto 0x40506070 by each rule.
  const struct
  {
    int mode;
    RAST_pixel expected;
  } kModes[] = {{1, 0xD8E8F8FFu},       {2, 0x9DC4ECFFu},       {3, 0x3F4F5F6Fu},       {4, 0x5C708395u},
                {5, 0x4FF713FFu},       {0x10001, 0xD8E8F8FFu}, {0x10003, 0x3F4F5F6Fu}, {0x10000, 0xB3B9C0FFu}};
  for (const auto& m : kModes)
  {
    dest.At(0, 0) = 0x40506070u;
    Straight(&dest, &src, 0, 0, 1, 1, 0.0f, 0.0f, 0.6f, m.mode);
    EXPECT_EQ(dest.At(0, 0), m.expected) << m.mode;
  }
  for (int mode : {6, 0x10006, 0x100ff})
  {
    dest.At(0, 0) = 0x40506070u;
    Straight(&dest, &src, 0, 0, 1, 1, 0.0f, 0.0f, 1.0f, mode);
    EXPECT_EQ(dest.At(0, 0), 0x40506070u) << mode;
  }
}

TEST(RAST_DeltaBlit, ClipToSourceRectangle)
{
  RAST_MemBitmap src(10, 10, 4);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) PixelAt(src, x, y) = GuardedBitmap::Pattern(x, y);
  GuardedBitmap dest(6, 6, GuardedBitmap::Filled{kBack});
  Straight(&dest, &src, 0, 0, 6, 6, 5.0f, 5.0f, 1.0f, 0, true, 3.0f, 3.0f);
  EXPECT_EQ(dest.At(0, 0), PixelAt(src, 5, 5));
  EXPECT_EQ(dest.At(2, 2), PixelAt(src, 7, 7));
  EXPECT_EQ(dest.At(3, 0), kBack) << "beyond the source rectangle";
  EXPECT_EQ(dest.At(0, 3), kBack);
}

TEST(RAST_DeltaBlitAlpha, ConstantAlphaFallsBackAndMovingAlphaUsesTheTable)
{
  // A source that is transparent: the source-alpha Add skips it, plain Add
  // does not.
  RAST_MemBitmap src(5, 1, 1);
  FillAll(src, RAST_RGBA(40, 40, 40, 0));
  GuardedBitmap dest(5, 1, GuardedBitmap::Filled{RAST_RGBA(10, 10, 10, 10)});
  RAST_DeltaBlitAlpha(&dest, &src, 0, 0, 5, 1, 0.0f, 0.0f, 5.0f, 1.0f, 1.0, 0.0, 0.0, 1.0, 0.0, 0.0, false, 1.0f,
                      0x10001, 0.00001, 0.0, 0.0);
  for (int x = 0; x < 5; ++x) EXPECT_EQ(dest.At(x, 0), RAST_RGBA(10, 10, 10, 10)) << "source alpha counts";

  RAST_DeltaBlitAlpha(&dest, &src, 0, 0, 5, 1, 0.0f, 0.0f, 5.0f, 1.0f, 1.0, 0.0, 0.0, 1.0, 0.0, 0.0, false, 0.5f,
                      0x10001, 0.125, 0.0, 0.0);
  // Add at weight (0.5 + x / 8) * 256 = 128 + 32 x: 10 + 40 * (128 + 32 x) / 256.
  const RAST_pixel kExpected[5] = {0x1E1E1E0Au, 0x2323230Au, 0x2828280Au, 0x2D2D2D0Au, 0x3232320Au};
  for (int x = 0; x < 5; ++x) EXPECT_EQ(dest.At(x, 0), kExpected[x]) << x;
}

TEST(RAST_DeltaBlit, ValuesBeyondFixedPointAreRefused)
{
  RAST_MemBitmap src(8, 8, 4);
  FillAll(src, 0xFFFFFFFFu);
  const double nan = std::numeric_limits<double>::quiet_NaN();
  struct Case { const char* name; float sx; double dsdx, dsdxdy; } kCases[] = {
      {"start beyond 16.16", 40000.0f, 1.0, 0.0},
      {"step beyond 16.16", 0.0f, 40000.0, 0.0},
      {"row change beyond 16.16", 0.0f, 1.0, -1e6},
      {"NaN step", 0.0f, nan, 0.0},
      {"infinite start", std::numeric_limits<float>::infinity(), 1.0, 0.0},
  };
  for (const Case& c : kCases)
  {
    GuardedBitmap dest(8, 8);
    const std::vector<RAST_pixel> before = dest.Cells();
    RAST_DeltaBlit(&dest, &src, 0, 0, 8, 8, c.sx, 0.0f, 8.0f, 8.0f, c.dsdx, 0.0, 0.0, 1.0, c.dsdxdy, 0.0, false, 1.0f,
                   0);
    EXPECT_EQ(dest.Cells(), before) << c.name;
  }
}

// A moving alpha above 1 weighs each pixel beyond full: plain Add of 40
// over 10 at alpha 1 + x / 4, weight 256 + 64 x, gives 10 + 40 w / 256; the
// source's alpha 0 leaves the alpha byte at 10. The cells of a transform
// with alpha 1.5 at every point add at 384: 70.
TEST(RAST_DeltaBlitAlpha, AlphaAboveOneWeighsBeyondFull)
{
  RAST_MemBitmap src(5, 1, 1);
  FillAll(src, RAST_RGBA(40, 40, 40, 0));
  GuardedBitmap dest(5, 1, GuardedBitmap::Filled{RAST_RGBA(10, 10, 10, 10)});
  RAST_DeltaBlitAlpha(&dest, &src, 0, 0, 5, 1, 0.0f, 0.0f, 5.0f, 1.0f, 1.0, 0.0, 0.0, 1.0, 0.0, 0.0, false, 1.0f, 1,
                      0.25, 0.0, 0.0);
  const RAST_pixel kRamp[5] = {0x3232320Au, 0x3C3C3C0Au, 0x4646460Au, 0x5050500Au, 0x5A5A5A0Au};
  for (int x = 0; x < 5; ++x) EXPECT_EQ(dest.At(x, 0), kRamp[x]) << x;
  EXPECT_TRUE(dest.SentinelsIntact());

  GuardedBitmap mesh(4, 2, GuardedBitmap::Filled{RAST_RGBA(10, 10, 10, 10)});
  const double points[] = {0, 0, 1.5, 5, 0, 1.5, 0, 1, 1.5, 5, 1, 1.5};
  RAST_TransformBlit2Alpha(&mesh, &src, 0, 0, 4, 2, points, 2, 2, 1);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(mesh.At(x, y), 0x4646460Au) << x << "," << y;
  EXPECT_TRUE(mesh.SentinelsIntact());
}

// The moving alpha's weight is its 16.16 value shifted right by 8: at
// -0.001 (-65 in 16.16) that is -1, not the 0 of (int)(a * 256), and an
// Overlay of white at -1 darkens 200 to 199 in every byte.
TEST(RAST_DeltaBlitAlpha, SlightlyNegativeAlphaWeighsMinusOne)
{
  RAST_MemBitmap src(2, 1, 1);
  FillAll(src, 0xFFFFFFFFu);
  GuardedBitmap dest(2, 1, GuardedBitmap::Filled{0xC8C8C8C8u});
  RAST_DeltaBlitAlpha(&dest, &src, 0, 0, 2, 1, 0.0f, 0.0f, 2.0f, 1.0f, 1.0, 0.0, 0.0, 1.0, 0.0, 0.0, false, -0.001f,
                      RAST_BLIT_MODE_OVERLAY, 0.0005, 0.0, 0.0);
  EXPECT_EQ(dest.At(0, 0), 0xC7C7C7C7u);
  EXPECT_EQ(dest.At(1, 0), 0xC7C7C7C7u);
}

TEST(RAST_TransformBlit, GridOfTheSourceCornersIsAScaledCopy)
{
  RAST_MemBitmap src(4, 4, 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) PixelAt(src, x, y) = GuardedBitmap::Pattern(x, y);
  const float corners[] = {0, 0, 4, 0, 0, 4, 4, 4};
  for (int mode : {0, kBilinear})
  {
    GuardedBitmap mesh(8, 8), scaled(8, 8);
    RAST_TransformBlit(&mesh, &src, 0, 0, 8, 8, corners, 2, 2, 1.0f, mode);
    RAST_ScaledBlit(&scaled, &src, 0, 0, 8, 8, 0.0f, 0.0f, 4.0f, 4.0f, 1.0f, mode);
    EXPECT_EQ(mesh.Cells(), scaled.Cells()) << mode;
  }
  GuardedBitmap dest(8, 8);
  const std::vector<RAST_pixel> before = dest.Cells();
  RAST_TransformBlit(&dest, &src, 0, 0, 8, 8, corners, 1, 2, 1.0f, 0);
  EXPECT_EQ(dest.Cells(), before) << "div_w = 1";
  RAST_TransformBlit(&dest, &src, 0, 0, 8, 8, nullptr, 2, 2, 1.0f, 0);
  EXPECT_EQ(dest.Cells(), before) << "no points";
}

TEST(RAST_TransformBlit, CellsOfNoWidthAreSkipped)
{
  // One destination column cut into three cells: grid lines at 1/3, 2/3 and
  // 1 round to 0, 1 and 1, so only the middle cell has a width, and its
  // points (column 1) are the ones drawn.
  RAST_MemBitmap src(8, 8, 4);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) PixelAt(src, x, y) = GuardedBitmap::Pattern(x, y);
  const double points[] = {0, 0, 2, 0, 4, 0, 6, 0, 0, 6, 2, 6, 4, 6, 6, 6};
  GuardedBitmap dest(3, 2, GuardedBitmap::Filled{kBack});
  RAST_TransformBlit2(&dest, &src, 0, 0, 1, 2, points, 4, 2, 1.0f, 0);
  EXPECT_EQ(dest.At(0, 0), PixelAt(src, 2, 0));
  EXPECT_EQ(dest.At(0, 1), PixelAt(src, 2, 3)) << "half way down the cell";
  EXPECT_EQ(dest.At(1, 0), kBack);
  EXPECT_TRUE(dest.SentinelsIntact());
}
