// Clipped against cropped: each operation draws one random picture into a
// large bitmap whole, and shifted into a small bitmap that starts as a copy of
// a window of the large one; the small bitmap must end as that window. The
// bitmaps are stored either way up, for the shapes both the same way (a shape
// mirrors its y coordinates into a flipped bitmap, where a half-pixel centre
// rounds the other way).
#include "raster/RAST_Circle.h"
#include "raster/RAST_DeltaBlit.h"
#include "raster/RAST_Polygon.h"
#include "raster/RAST_ScaledBlit.h"
#include "raster/RAST_TransformBlit.h"
#include "RAST_TestBitmap.h"
#include "RAST_TestSeed.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <random>
#include <vector>

namespace
{
constexpr int kLarge = 160;
constexpr RAST_pixel kInk = 0x80C04020u;

// Draws the picture with its origin moved to (-ox, -oy).
using Draw = std::function<void(RAST_IBitmap* bm, int ox, int oy)>;

int Below(std::mt19937& rng, int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); }
double Real(std::mt19937& rng, double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(rng); }
// -0.25 .. 1.75 in quarters: the whole-pixel copies, no weight and over-full.
float Alpha(std::mt19937& rng) { return (Below(rng, 9) - 1) / 4.0f; }

std::shared_ptr<RAST_MemBitmap> RandomSource(std::mt19937& rng, int w, int h)
{
  auto src = std::make_shared<RAST_MemBitmap>(w, h, 4);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) PixelAt(*src, x, y) = static_cast<RAST_pixel>(rng());
  return src;
}

Draw Circle(std::mt19937& rng)
{
  // Centres on half pixels keep the centre's rounding after a whole-pixel shift.
  const float cx = 60 + Below(rng, 80) + 0.5f, cy = 60 + Below(rng, 80) + 0.5f;
  const float r = static_cast<float>(Real(rng, 0, 50));
  const bool aa = Below(rng, 2), filled = Below(rng, 2);
  const int mode = Below(rng, 6);
  const float alpha = Alpha(rng);
  return [=](RAST_IBitmap* bm, int ox, int oy) {
    if (filled)
      RAST_FillCircle(bm, cx - ox, cy - oy, r, kInk, alpha, mode, aa);
    else
      RAST_Circle(bm, cx - ox, cy - oy, r, kInk, alpha, mode, aa);
  };
}

Draw Polygon(std::mt19937& rng)
{
  std::vector<int> xs, ys;
  RandomConvex(rng, 50 + Below(rng, 60), 50 + Below(rng, 60), 1 + Below(rng, 45), 1 + Below(rng, 45), &xs, &ys);
  const int mode = Below(rng, 6);
  const float alpha = Alpha(rng);
  if (Below(rng, 4) == 0)
    return [=](RAST_IBitmap* bm, int ox, int oy) {
      // A trapezoid takes the rows as stored: the test mirrors them into a
      // bitmap stored bottom-up, as the polygon fill does.
      const auto row = [&](int y) { return bm->isFlipped() ? bm->getHeight() - 1 - (y - oy) : y - oy; };
      RAST_FillTrapezoid(bm, xs[0] - ox, xs[1] - ox, row(ys[0]), xs[2] - ox, xs.back() - ox, row(ys[2]), kInk,
                         alpha, mode);
    };
  return [=](RAST_IBitmap* bm, int ox, int oy) {
    std::vector<int> sx(xs), sy(ys);
    for (int& v : sx) v -= ox;
    for (int& v : sy) v -= oy;
    RAST_FillConvexPolygon(bm, sx.data(), sy.data(), static_cast<int>(sx.size()), kInk, alpha, mode);
  };
}

// The start moves along the walk when the top-left is clipped, the per-row
// change of the column step included.
Draw DeltaBlit(std::mt19937& rng)
{
  const auto src = RandomSource(rng, 17, 13);
  const int w = 1 + Below(rng, 40), h = 1 + Below(rng, 40);
  const double dsdx = Real(rng, -1.5, 1.5), dtdx = Real(rng, -1.5, 1.5), dsdy = Real(rng, -1.5, 1.5),
               dtdy = Real(rng, -1.5, 1.5), dsdxdy = Real(rng, -0.05, 0.05), dtdxdy = Real(rng, -0.05, 0.05);
  const float sx = static_cast<float>(Real(rng, -5, 20)), sy = static_cast<float>(Real(rng, -5, 16));
  const int filter = Below(rng, 2) ? RAST_BLIT_FILTER_BILINEAR : 0;
  const bool moving = Below(rng, 2);
  return [=](RAST_IBitmap* bm, int ox, int oy) {
    if (moving)
      RAST_DeltaBlitAlpha(bm, src.get(), 50 - ox, 50 - oy, w, h, sx, sy, 4.0f, 4.0f, dsdx, dtdx, dsdy, dtdy, dsdxdy,
                          dtdxdy, false, 0.9f, filter | RAST_BLIT_MODE_ADD, -0.01, -0.008, 0.0005);
    else
      RAST_DeltaBlit(bm, src.get(), 50 - ox, 50 - oy, w, h, sx, sy, 4.0f, 4.0f, dsdx, dtdx, dsdy, dtdy, dsdxdy, dtdxdy,
                     false, 1.0f, filter);
  };
}

Draw ScaledBlit(std::mt19937& rng)
{
  const auto src = RandomSource(rng, 13, 11);
  const int dstw = 1 + Below(rng, 40), dsth = 1 + Below(rng, 40);
  const float srcx = static_cast<float>(Real(rng, -3, 10)), srcy = static_cast<float>(Real(rng, -3, 8));
  const float srcw = static_cast<float>(Real(rng, -14, 14)), srch = static_cast<float>(Real(rng, -12, 12));
  const int kModes[] = {0, RAST_BLIT_FILTER_BILINEAR, RAST_BLIT_MODE_ADD | RAST_BLIT_FILTER_BILINEAR,
                        RAST_BLIT_USE_ALPHA};
  const int mode = kModes[Below(rng, 4)];
  const float alpha = Below(rng, 2) ? 1.0f : 0.7f;
  // A negative width or height mirrors, drawn leftwards from dstx.
  const bool mirrorx = Below(rng, 2), mirrory = Below(rng, 2);
  const int x0 = mirrorx ? 50 + dstw : 50, y0 = mirrory ? 50 + dsth : 50;
  const int w = mirrorx ? -dstw : dstw, h = mirrory ? -dsth : dsth;
  return [=](RAST_IBitmap* bm, int ox, int oy) {
    RAST_ScaledBlit(bm, src.get(), x0 - ox, y0 - oy, w, h, srcx, srcy, srcw, srch, alpha, mode);
  };
}

// A 3 x 3 grid with a bulge in the middle: every cell's column step changes
// from row to row. Grid lines are (int)(position + 0.5), which rounds toward
// zero left of or above the bitmap, so the windows of this case start at or
// before the first inner grid line (70, 70).
Draw MeshBlit(std::mt19937& rng)
{
  const auto src = RandomSource(rng, 16, 16);
  const int filter = Below(rng, 2) ? RAST_BLIT_FILTER_BILINEAR : 0;
  const bool moving = Below(rng, 2);
  return [=](RAST_IBitmap* bm, int ox, int oy) {
    static const double kPoints[] = {0, 0, 8, 1, 16, 0, 1, 8, 10, 10, 15, 8, 0, 16, 8, 15, 16, 16};
    static const double kAlphaPoints[] = {0, 0,  1.0, 8, 1,  0.5, 16, 0, 1.0, 1,  8,  0.8, 10, 10,
                                          0.2, 15, 8,   0.9, 0, 16, 1.0, 8,  15, 0.4, 16, 16, 0.7};
    if (moving)
      RAST_TransformBlit2Alpha(bm, src.get(), 40 - ox, 40 - oy, 60, 60, kAlphaPoints, 3, 3, filter | RAST_BLIT_MODE_ADD);
    else
      RAST_TransformBlit2(bm, src.get(), 40 - ox, 40 - oy, 60, 60, kPoints, 3, 3, 1.0f, filter);
  };
}

TEST(RAST_ClipCrop, SmallBitmapShowsTheLargeOnesWindow)
{
  const uint32_t seed = RAST_TestSeed();
  std::mt19937 rng(seed);
  // reach: the window's offset is at most this.
  struct Case { const char* name; Draw (*make)(std::mt19937& rng); bool shape; int reach; } kCases[] = {
      {"circle or disc", &Circle, true, kLarge},       {"polygon or trapezoid", &Polygon, true, kLarge},
      {"delta blit", &DeltaBlit, false, kLarge},       {"scaled blit", &ScaledBlit, false, kLarge},
      {"mesh blit", &MeshBlit, false, 70},
  };
  for (const Case& c : kCases)
    for (int round = 0; round < 400; ++round)
    {
      const Draw draw = c.make(rng);
      const int sw = 1 + Below(rng, 30), sh = 1 + Below(rng, 30);
      const int ox = Below(rng, std::min(c.reach, kLarge - sw) + 1), oy = Below(rng, std::min(c.reach, kLarge - sh) + 1);
      const bool flipped = Below(rng, 2);
      GuardedBitmap large(kLarge, kLarge, 3, 64, flipped), small(sw, sh, 2, 16, c.shape ? flipped : Below(rng, 2));
      for (int y = 0; y < sh; ++y)
        for (int x = 0; x < sw; ++x) small.At(x, y) = large.At(ox + x, oy + y);
      draw(&large, 0, 0);
      draw(&small, ox, oy);
      for (int y = 0; y < sh; ++y)
        for (int x = 0; x < sw; ++x)
          ASSERT_EQ(small.At(x, y), large.At(ox + x, oy + y))
              << c.name << " seed " << seed << " round " << round << " at " << x << "," << y << " of the "
              << sw << "x" << sh << " window at " << ox << "," << oy;
      ASSERT_TRUE(small.SentinelsIntact() && large.SentinelsIntact()) << c.name << " round " << round;
    }
}
}  // namespace
