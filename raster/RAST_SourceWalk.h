// Internal to the raster library: the source side shared by the scaled, delta,
// rotated and mesh blits. Every destination pixel of a rectangle fetches the
// source at a position that moves linearly across the destination:
//
//   pos(i, j) = s + j * dsdy + i * (dsdx + j * dsdxdy)     (t likewise)
//
// for column i and row j of the rectangle. Positions, steps and changes are
// 16.16 fixed point (integer part pos >> 16, fraction pos & 0xffff). A pixel is
// drawn only where its sample lies inside the source box; the rows and columns
// that do are worked out before the pixel loops, so the loops test nothing.
//
// Start values and steps are 32-bit 16.16 values (RAST_ToFixed refuses what
// does not fit, about +-32767 source pixels); the walk itself runs in 64 bits
// and the row set-up in 128, so no combination of them can overflow.
#pragma once

#include "raster/RAST_BitmapView.h"
#include "raster/RAST_Blend.h"

#include <cmath>
#include <cstddef>
#include <cstdint>

// ---- 16.16 conversion ----

// out = (int)(v * 65536.0), truncated; false when that is not a 32-bit value
// (or v is not finite): such coordinates cannot be walked and are refused.
inline bool RAST_ToFixed(double v, int64_t* out)
{
  const double f = std::trunc(v * 65536.0);
  if (!(f >= -2147483648.0 && f <= 2147483647.0)) return false;
  *out = static_cast<int64_t>(f);
  return true;
}

// ---- spans ----

using RAST_Wide = __int128;

inline RAST_Wide RAST_FloorDiv(RAST_Wide a, RAST_Wide b)
{
  RAST_Wide q = a / b;
  if (a % b != 0 && ((a < 0) != (b < 0))) --q;
  return q;
}

inline RAST_Wide RAST_CeilDiv(RAST_Wide a, RAST_Wide b) { return -RAST_FloorDiv(-a, b); }

// Narrows the index range [*k0, *k1) to the k for which p + k * d lies in
// [lo, hi). False when nothing is left.
inline bool RAST_NarrowSpan(RAST_Wide p, RAST_Wide d, int64_t lo, int64_t hi, int64_t* k0, int64_t* k1)
{
  if (*k0 >= *k1 || lo >= hi) return false;
  if (d == 0) return p >= lo && p < hi;
  // lo <= p + k * d <= hi - 1, solved for k; dividing by a negative d turns
  // the bounds round.
  RAST_Wide first, last;
  if (d > 0)
  {
    first = RAST_CeilDiv(lo - p, d);
    last = RAST_FloorDiv(hi - 1 - p, d);
  }
  else
  {
    first = RAST_CeilDiv(hi - 1 - p, d);
    last = RAST_FloorDiv(lo - p, d);
  }
  if (first > *k0) *k0 = first > *k1 ? *k1 : static_cast<int64_t>(first);
  if (last + 1 < *k1) *k1 = last + 1 < *k0 ? *k0 : static_cast<int64_t>(last + 1);
  return *k0 < *k1;
}

// ---- the source ----

// Pixel (x, y) is origin[y * step + x], whatever the storage order; samplers
// read only pixels of the box minx <= x < maxx, miny <= y < maxy.
struct RAST_SampleBox
{
  const RAST_pixel* origin = nullptr;
  ptrdiff_t step = 0;
  int minx = 0, miny = 0, maxx = 0, maxy = 0;

  RAST_SampleBox() = default;
  RAST_SampleBox(const RAST_BitmapView& view, int x0, int y0, int x1, int y1)
      : origin(view.Row(0)), step(view.Step()), minx(x0), miny(y0), maxx(x1), maxy(y1)
  {
  }

  const RAST_pixel* At(int64_t x, int64_t y) const { return origin + y * step + x; }
};

// ---- samplers ----
// Fetch(x, y) takes a 16.16 position whose pixel lies inside the box.

// The pixel the position falls in.
struct RAST_SampleNearest
{
  RAST_SampleBox box;

  RAST_pixel Fetch(int64_t x, int64_t y) const { return *box.At(x >> 16, y >> 16); }
};

// Each channel c mixed from the 2 x 2 pixels at and after the position, with
// fx, fy its fraction:
//   w11 = (fx * fy) >> 16, w01 = fx - w11, w10 = fy - w11,
//   w00 = 0x10000 - fx - fy + w11,
//   c = (c00 * w00 + c01 * w01 + c10 * w10 + c11 * w11) >> 16.
// In the box's last column only the vertical pair mixes,
// c = (c00 * (0x10000 - fy) + c10 * fy) >> 16; in its last row only the
// horizontal pair; its last pixel is taken as it is.
struct RAST_SampleBilinear
{
  RAST_SampleBox box;

  // Two channels per 64-bit word, each in a 32-bit lane: a weighted sum of
  // four 8-bit values with weights totalling 0x10000 stays below 2^24, so the
  // lanes never carry into each other and the shift keeps them exact.
  static uint64_t LanesAG(RAST_pixel p) { return (p & 0xffu) | static_cast<uint64_t>(p & 0xff0000u) << 16; }
  static uint64_t LanesRB(RAST_pixel p) { return ((p >> 8) & 0xffu) | static_cast<uint64_t>(p >> 24) << 32; }
  static RAST_pixel Pack(uint64_t ag, uint64_t rb)
  {
    constexpr uint64_t kLanes = 0x000000ff000000ffull;
    ag = (ag >> 16) & kLanes;
    rb = (rb >> 16) & kLanes;
    return static_cast<RAST_pixel>(ag | ag >> 16 | rb << 8 | rb >> 8);
  }

  static RAST_pixel Mix2(RAST_pixel p0, RAST_pixel p1, uint32_t f)
  {
    const uint32_t g = 0x10000u - f;
    return Pack(LanesAG(p0) * g + LanesAG(p1) * f, LanesRB(p0) * g + LanesRB(p1) * f);
  }

  RAST_pixel Fetch(int64_t x, int64_t y) const
  {
    const int64_t x0 = x >> 16, y0 = y >> 16;
    const uint32_t fx = static_cast<uint32_t>(x & 0xffff), fy = static_cast<uint32_t>(y & 0xffff);
    const RAST_pixel* p = box.At(x0, y0);
    const bool lastCol = x0 == box.maxx - 1, lastRow = y0 == box.maxy - 1;
    if (!lastCol && !lastRow)
    {
      const uint32_t w11 = (fx * fy) >> 16;
      const uint32_t w01 = fx - w11, w10 = fy - w11, w00 = 0x10000u - fx - fy + w11;
      const RAST_pixel p00 = p[0], p01 = p[1], p10 = p[box.step], p11 = p[box.step + 1];
      return Pack(LanesAG(p00) * w00 + LanesAG(p01) * w01 + LanesAG(p10) * w10 + LanesAG(p11) * w11,
                  LanesRB(p00) * w00 + LanesRB(p01) * w01 + LanesRB(p10) * w10 + LanesRB(p11) * w11);
    }
    if (!lastRow) return Mix2(p[0], p[box.step], fy);
    if (!lastCol) return Mix2(p[0], p[1], fx);
    return p[0];
  }
};

// ---- the walk ----

// Turns a mirrored span of the destination (negative size) round: it starts at
// its other end with a positive size, and the source span is turned with it,
// so that the walk over it comes out mirrored. Called once for x, once for y.
inline void RAST_UnmirrorSpan(int64_t* pos, int64_t* size, float* srcpos, float* srcsize)
{
  if (*size >= 0) return;
  *pos += *size;
  *size = -*size;
  *srcpos += *srcsize;
  *srcsize = -*srcsize;
}

struct RAST_Walk
{
  int64_t s = 0, t = 0;            // position of the rectangle's top-left pixel
  int64_t dsdx = 0, dtdx = 0;      // per column
  int64_t dsdy = 0, dtdy = 0;      // per row
  int64_t dsdxdy = 0, dtdxdy = 0;  // change of the column step per row
};

// The destination rectangle (x, y, w, h) and the part of it inside the
// destination bitmap: columns [col0, col1) and rows [row0, row1), counted from
// the rectangle's corner.
struct RAST_WalkTarget
{
  RAST_BitmapView dest;
  int64_t x = 0, y = 0;
  int64_t col0 = 0, col1 = 0, row0 = 0, row1 = 0;

  // False when the rectangle misses the bitmap.
  bool Clip(const RAST_BitmapView& view, int64_t rx, int64_t ry, int64_t rw, int64_t rh)
  {
    dest = view;
    x = rx;
    y = ry;
    col0 = rx < 0 ? -rx : 0;
    row0 = ry < 0 ? -ry : 0;
    col1 = rw < view.width - rx ? rw : view.width - rx;
    row1 = rh < view.height - ry ? rh : view.height - ry;
    return col0 < col1 && row0 < row1;
  }
};

// Weight of every pixel: constant.
struct RAST_ConstWeight
{
  int w;
  void StartRow(int64_t, int64_t) {}
  int Current() const { return w; }
  void Advance() {}
};

// Weight that moves with the pixel: a 16.16 alpha a(i, j) = a + j * dady +
// i * (dadx + j * dadxdy), the weight being a >> 8 held to the bounds every
// combine rule accepts.
struct RAST_WalkingAlpha
{
  RAST_Wide a = 0, dadx = 0, dady = 0, dadxdy = 0;
  RAST_Wide cur = 0, step = 0;

  void StartRow(int64_t j, int64_t i)
  {
    step = dadx + j * dadxdy;
    cur = a + j * dady + i * step;
  }
  int Current() const
  {
    const RAST_Wide w = cur >> 8;
    return w < RAST_WEIGHT_MIN ? RAST_WEIGHT_MIN : w > RAST_WEIGHT_MAX ? RAST_WEIGHT_MAX : static_cast<int>(w);
  }
  void Advance() { cur += step; }
};

// Walks every row of the target, samples inside the box and combines with
// Blend at the weight. The sampler is chosen by type, so each row loop is
// compiled for one sampling form and one rule.
template <class Sampler, class Blend, class Weight>
void RAST_WalkRows(const RAST_WalkTarget& target, const RAST_Walk& walk, const Sampler& sampler, Weight weight)
{
  const RAST_SampleBox& box = sampler.box;
  const int64_t slo = int64_t{box.minx} << 16, shi = int64_t{box.maxx} << 16;
  const int64_t tlo = int64_t{box.miny} << 16, thi = int64_t{box.maxy} << 16;
  for (int64_t j = target.row0; j < target.row1; ++j)
  {
    const RAST_Wide sj = walk.s + static_cast<RAST_Wide>(j) * walk.dsdy;
    const RAST_Wide tj = walk.t + static_cast<RAST_Wide>(j) * walk.dtdy;
    const RAST_Wide ds = walk.dsdx + static_cast<RAST_Wide>(j) * walk.dsdxdy;
    const RAST_Wide dt = walk.dtdx + static_cast<RAST_Wide>(j) * walk.dtdxdy;
    int64_t k0 = target.col0, k1 = target.col1;
    if (!RAST_NarrowSpan(sj, ds, slo, shi, &k0, &k1) || !RAST_NarrowSpan(tj, dt, tlo, thi, &k0, &k1)) continue;

    // Every position visited lies inside the box, so 64 bits hold it; a step
    // too large for them can only occur when one pixel is visited.
    int64_t x = static_cast<int64_t>(sj + k0 * ds), y = static_cast<int64_t>(tj + k0 * dt);
    const int64_t xs = k1 - k0 > 1 ? static_cast<int64_t>(ds) : 0;
    const int64_t ys = k1 - k0 > 1 ? static_cast<int64_t>(dt) : 0;
    RAST_pixel* d = target.dest.Row(static_cast<int>(target.y + j)) + (target.x + k0);
    weight.StartRow(j, k0);
    for (int64_t k = k0;;)
    {
      const RAST_pixel p = sampler.Fetch(x, y);
      Blend::Apply(d, RAST_GETR(p), RAST_GETG(p), RAST_GETB(p), RAST_GETA(p), weight.Current());
      if (++k == k1) break;
      ++d;
      x += xs;
      y += ys;
      weight.Advance();
    }
  }
}
