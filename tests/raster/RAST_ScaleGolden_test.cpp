// Golden images of the resampling operations: each a 64 x 64 picture
// compared exactly with tests/golden/raster_*.png (looked at by eye when
// made), plus a few pixels worked out by hand from the formulas.
#include "raster/RAST_Blur.h"
#include "raster/RAST_DeltaBlit.h"
#include "raster/RAST_ScaledBlit.h"
#include "RAST_TestBitmap.h"
#include "raster/support/RAST_TestPng.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
constexpr int kBilinear = RAST_BLIT_FILTER_BILINEAR;

// A picture with edges in every direction: a colour ramp, a dark ring, a
// white block and a row of yellow dots, scaled to size x size.
void Picture(RAST_IBitmap& bm)
{
  const int size = bm.getWidth();
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x)
    {
      const double u = x * 32.0 / size, v = y * 32.0 / size;
      int r = static_cast<int>(u * 8), g = static_cast<int>(v * 8), b = 128;
      const double d = std::hypot(u - 15.5, v - 15.5);
      if (d > 9 && d < 12) r = g = b = 30;
      if (u >= 4 && u < 10 && v >= 20 && v < 27) r = g = b = 255;
      if (u > 20 && static_cast<int>(u + v) % 7 == 0) r = 250, g = 220, b = 0;
      PixelAt(bm, x, y) = RAST_RGBA(r, g, b, 255);
    }
}

// Fine stripes and a disc: shrinking shows the box average where sampling
// would alias.
void Stripes(RAST_IBitmap& bm)
{
  const int size = bm.getWidth();
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x)
    {
      const double d = std::hypot(x - size / 2.0, y - size / 2.0);
      const bool stripe = (x / 2 + y / 3) % 2 == 0;
      const int r = d < size / 3.0 ? 240 : stripe ? 200 : 20;
      const int g = stripe ? 180 : 40, b = (x * 255) / size;
      PixelAt(bm, x, y) = RAST_RGBA(r, g, b, 255);
    }
}

// A knob sprite: an opaque disc with a soft edge, transparent around it, and
// a pointer towards the top.
void Knob(RAST_IBitmap& bm)
{
  const int size = bm.getWidth();
  const double c = (size - 1) / 2.0, radius = size * 0.45;
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x)
    {
      const double d = std::hypot(x - c, y - c);
      const double edge = radius - d;
      const int a = edge <= 0 ? 0 : edge >= 1.5 ? 255 : static_cast<int>(edge * 170);
      const bool pointer = std::fabs(x - c) < 1.6 && y < c && y > 2;
      PixelAt(bm, x, y) = pointer ? RAST_RGBA(255, 240, 60, a) : RAST_RGBA(60 + x * 4, 70, 160 - y * 2, a);
    }
}

void Checker(RAST_IBitmap& bm)
{
  for (int y = 0; y < bm.getHeight(); ++y)
    for (int x = 0; x < bm.getWidth(); ++x)
      PixelAt(bm, x, y) = (x / 8 + y / 8) % 2 ? RAST_RGBA(200, 200, 200, 255) : RAST_RGBA(120, 120, 120, 255);
}
}  // namespace

TEST(RAST_ScaleGolden, BilinearEnlargement)
{
  RAST_MemBitmap src(32, 32, 4), dest(64, 64, 4);
  Picture(src);
  FillAll(dest, RAST_RGBA(0, 0, 0, 255));
  RAST_ScaledBlit(&dest, &src, 0, 0, 64, 64, 2.5f, 1.5f, 27.0f, 27.0f, 1.0f, kBilinear);
  EXPECT_TRUE(MatchesGoldenPng(dest, "raster_scaled_bilinear"));
  // By hand: step 27/64 = 0.421875 (exactly 27648 in 16.16). Pixel (4, 6)
  // samples x = 2.5 + 1.6875 = 4.1875, y = 1.5 + 2.53125 = 4.03125, on the
  // plain ramp (red 8 x, green 8 y). fx = 12288, fy = 2048, w11 = 384,
  // w01 = 11904, w10 = 1664, w00 = 51584: red (32 * (51584 + 1664) + 40 *
  // (11904 + 384)) >> 16 = 2195456 >> 16 = 33; green (32 * (51584 + 11904) +
  // 40 * (1664 + 384)) >> 16 = 2113536 >> 16 = 32.
  EXPECT_EQ(PixelAt(dest, 4, 6), RAST_RGBA(33, 32, 128, 255));
}

TEST(RAST_ScaleGolden, BoxShrinking)
{
  RAST_MemBitmap big(160, 160, 4), bigger(256, 256, 4), dest(64, 64, 4);
  Stripes(big);
  Stripes(bigger);
  RAST_ScaledBlit(&dest, &big, 0, 0, 64, 64, 0.0f, 0.0f, 160.0f, 160.0f, 1.0f, kBilinear);
  EXPECT_TRUE(MatchesGoldenPng(dest, "raster_scaled_box3"));
  // By hand: step 2.5, pixel (0, 0) averages source (0..1, 0..1): green
  // stripes 180, 180, 180, 180 (x / 2 + y / 3 even) -> 180; blue x * 255 / 160:
  // 0, 1, 0, 1 -> 2 / 4 = 0.
  EXPECT_EQ(PixelAt(dest, 0, 0), RAST_RGBA(200, 180, 0, 255));
  RAST_ScaledBlit(&dest, &bigger, 0, 0, 64, 64, 0.0f, 0.0f, 256.0f, 256.0f, 1.0f, kBilinear);
  EXPECT_TRUE(MatchesGoldenPng(dest, "raster_scaled_box5"));
}

TEST(RAST_ScaleGolden, Blur)
{
  RAST_MemBitmap dest(64, 64, 4);
  Picture(dest);
  for (int pass = 0; pass < 3; ++pass) RAST_Blur(&dest, &dest, 0, 0, 0, 0, 64, 64);
  EXPECT_TRUE(MatchesGoldenPng(dest, "raster_blur"));
}

TEST(RAST_ScaleGolden, RotatedSprites)
{
  RAST_MemBitmap knob(24, 24, 4), dest(64, 64, 4);
  Knob(knob);
  for (int filter : {0, kBilinear})
  {
    Checker(dest);
    // 30 degrees, twice the size, drawn by the sprite's own alpha.
    RAST_RotatedBlit(&dest, &knob, 8, 8, 48, 48, 0.0f, 0.0f, 24.0f, 24.0f, static_cast<float>(M_PI / 6), false, 1.0f,
                     filter | RAST_BLIT_USE_ALPHA, 0.0f, 0.0f);
    EXPECT_TRUE(MatchesGoldenPng(dest, filter ? "raster_rotated_bilinear" : "raster_rotated_nearest"));
  }
  // By hand: the centre of the destination rectangle, (32, 32), shows the
  // turning point (12, 12) of the sprite. Its start and steps, truncated to
  // 16.16, put the sample a hair above row 12, on the last row (11) of the
  // opaque yellow pointer.
  Checker(dest);
  RAST_RotatedBlit(&dest, &knob, 8, 8, 48, 48, 0.0f, 0.0f, 24.0f, 24.0f, static_cast<float>(M_PI / 6), false, 1.0f,
                   RAST_BLIT_USE_ALPHA, 0.0f, 0.0f);
  EXPECT_EQ(PixelAt(dest, 32, 32), RAST_RGBA(255, 240, 60, 255));
  EXPECT_EQ(PixelAt(dest, 9, 9), RAST_RGBA(120, 120, 120, 255)) << "outside the disc";
}
