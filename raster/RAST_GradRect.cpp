#include "raster/RAST_Blit.h"

#include "raster/RAST_Blend.h"
#include "raster/RAST_BitmapView.h"

#include <cmath>
#include <cstdint>
#include <iterator>

namespace
{
// Red, green, blue and alpha, in that order, as values and as steps.
enum Channel
{
  kRed,
  kGreen,
  kBlue,
  kAlpha,
  kChannels
};

// Every channel steps in 16.16 fixed point. The accumulators are 64-bit and
// each pixel's value is held within the bounds the rules accept, so a steep or
// distant gradient saturates instead of wrapping. Wherever all values of the
// rectangle fit 32-bit 16.16 numbers the results are those of 32-bit steps.
struct Gradient
{
  int64_t start[kChannels];
  int64_t dx[kChannels];
  int64_t dy[kChannels];
};

// The source value of one channel: the fixed value divided by 65536, rounding
// toward zero.
inline int Value(int64_t fixed) { return RAST_ClampValue(fixed / 65536); }

using GradRowsFn = void (*)(const Gradient& g, RAST_pixel* p, int w, int h, ptrdiff_t step);

template <class Blend>
void GradRows(const Gradient& g, RAST_pixel* p, int w, int h, ptrdiff_t step)
{
  int64_t row[kChannels] = {g.start[0], g.start[1], g.start[2], g.start[3]};
  for (int y = 0; y < h; ++y, p += step)
  {
    int64_t v[kChannels] = {row[0], row[1], row[2], row[3]};
    for (int x = 0; x < w; ++x)
    {
      const int weight = RAST_ClampWeight(v[kAlpha] / 65536);
      Blend::Apply(p + x, Value(v[kRed]), Value(v[kGreen]), Value(v[kBlue]), weight, weight);
      for (int c = 0; c < kChannels; ++c) v[c] += g.dx[c];
    }
    for (int c = 0; c < kChannels; ++c) row[c] += g.dy[c];
  }
}

// Opaque copy: the colour replaces each pixel with alpha 255, without reading
// the destination.
void GradRowsOpaque(const Gradient& g, RAST_pixel* p, int w, int h, ptrdiff_t step)
{
  int64_t row[3] = {g.start[0], g.start[1], g.start[2]};
  for (int y = 0; y < h; ++y, p += step)
  {
    int64_t v[3] = {row[0], row[1], row[2]};
    for (int x = 0; x < w; ++x)
    {
      p[x] = RAST_RGBA(RAST_Clamp255(v[kRed] / 65536), RAST_Clamp255(v[kGreen] / 65536),
                       RAST_Clamp255(v[kBlue] / 65536), 255);
      for (int c = 0; c < 3; ++c) v[c] += g.dx[c];
    }
    for (int c = 0; c < 3; ++c) row[c] += g.dy[c];
  }
}

constexpr GradRowsFn RAST_GradRect_Impl_Copy = &GradRows<RAST_BlendCopyClamp>;
constexpr GradRowsFn RAST_GradRect_Impl_Add = &GradRows<RAST_BlendAdd>;
constexpr GradRowsFn RAST_GradRect_Impl_ColorDodge = &GradRows<RAST_BlendColorDodge>;
constexpr GradRowsFn RAST_GradRect_Impl_Multiply = &GradRows<RAST_BlendMultiplyClamp>;
constexpr GradRowsFn RAST_GradRect_Impl_Overlay = &GradRows<RAST_BlendOverlay>;
constexpr GradRowsFn RAST_GradRect_Impl_HSVAdjust = &GradRows<RAST_BlendHSVAdjust>;
constexpr GradRowsFn RAST_GradRect_Impl_CopySourceAlpha = &GradRowsOpaque;

// Indexed by combine mode.
constexpr GradRowsFn kGradRows[] = {
    RAST_GradRect_Impl_Copy,        // RAST_BLIT_MODE_COPY
    RAST_GradRect_Impl_Add,         // RAST_BLIT_MODE_ADD
    RAST_GradRect_Impl_ColorDodge,  // RAST_BLIT_MODE_DODGE
    RAST_GradRect_Impl_Multiply,    // RAST_BLIT_MODE_MUL
    RAST_GradRect_Impl_Overlay,     // RAST_BLIT_MODE_OVERLAY
    RAST_GradRect_Impl_HSVAdjust,   // RAST_BLIT_MODE_HSVADJ
};
static_assert(std::size(kGradRows) == RAST_BLIT_MODE_COUNT, "every combine mode needs its gradient instance");

// Fixed-point bounds: a start value beyond +-2^44 (in 16.16, about +-2^28
// channel units) or a total change beyond that across the rectangle saturates
// every pixel anyway, and keeping within them keeps the 64-bit accumulators
// from overflowing over any width and height.
constexpr double kFixedLimit = 17592186044416.0;  // 2^44

int64_t ToFixed(double value, double limit)
{
  const double fixed = value * 65536.0;
  if (fixed > limit) return static_cast<int64_t>(limit);
  if (fixed < -limit) return -static_cast<int64_t>(limit);
  return static_cast<int64_t>(fixed);
}
}  // namespace

void RAST_GradRect(RAST_IBitmap* dest, int dstx, int dsty, int dstw, int dsth, float ir, float ig, float ib,
                   float ia, float drdx, float dgdx, float dbdx, float dadx, float drdy, float dgdy, float dbdy,
                   float dady, int mode)
{
  if (!dest) return;
  const int op = mode & RAST_BLIT_MODE_MASK;
  if (op >= RAST_BLIT_MODE_COUNT) return;
  RAST_BitmapView view;
  if (!view.Open(dest)) return;

  // Colour channels run 0..255 and alpha becomes a weight of 0..256.
  const float scale[kChannels] = {255.0f, 255.0f, 255.0f, 256.0f};
  float start[kChannels] = {ir, ig, ib, ia};
  float dx[kChannels] = {drdx, dgdx, dbdx, dadx};
  float dy[kChannels] = {drdy, dgdy, dbdy, dady};
  for (int c = 0; c < kChannels; ++c)
  {
    if (!std::isfinite(start[c]) || !std::isfinite(dx[c]) || !std::isfinite(dy[c])) return;
    start[c] *= scale[c];
    dx[c] *= scale[c];
    dy[c] *= scale[c];
  }

  // Left of or above the bitmap: start where the rectangle enters it.
  int64_t x = dstx, y = dsty, w = dstw, h = dsth;
  if (x < 0)
  {
    for (int c = 0; c < kChannels; ++c) start[c] -= static_cast<float>(x) * dx[c];
    w += x;
    x = 0;
  }
  if (y < 0)
  {
    for (int c = 0; c < kChannels; ++c) start[c] -= static_cast<float>(y) * dy[c];
    h += y;
    y = 0;
  }
  RAST_ClipBox box;
  if (!RAST_ClipToBitmap(view, x, y, w, h, &box)) return;

  Gradient g;
  const double span = static_cast<double>(box.w) + box.h;
  for (int c = 0; c < kChannels; ++c)
  {
    if (!std::isfinite(start[c])) return;
    g.start[c] = ToFixed(start[c], kFixedLimit);
    g.dx[c] = ToFixed(dx[c], kFixedLimit / span);
    g.dy[c] = ToFixed(dy[c], kFixedLimit / span);
  }

  RAST_pixel* p = view.Row(box.y) + box.x;
  const bool opaque = op == RAST_BLIT_MODE_COPY && ia == 1.0f && dadx == 0.0f && dady == 0.0f;
  const GradRowsFn rows = opaque ? RAST_GradRect_Impl_CopySourceAlpha : kGradRows[op];
  rows(g, p, box.w, box.h, view.Step());
}
