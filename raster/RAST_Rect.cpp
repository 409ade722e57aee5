#include "raster/RAST_Rect.h"

#include "raster/RAST_Blend.h"
#include "raster/RAST_BitmapView.h"
#include "raster/RAST_Simd.h"

#include <climits>
#include <cstdint>
#include <iterator>

namespace
{
// ---- fill instances ----
// p is the first pixel of the clipped rectangle in memory order, step the row
// span in pixels.

using FillRowsFn = void (*)(RAST_pixel* p, int w, int h, ptrdiff_t step, int r, int g, int b, int weight);

// The weight is also the source alpha: the destination's alpha byte moves
// toward the weight, not toward the colour's alpha.
template <class Blend>
void FillRows(RAST_pixel* p, int w, int h, ptrdiff_t step, int r, int g, int b, int weight)
{
  for (int y = 0; y < h; ++y, p += step)
    for (int x = 0; x < w; ++x) Blend::Apply(p + x, r, g, b, weight, weight);
}

constexpr FillRowsFn RAST_FillRect_Impl_Copy = &FillRows<RAST_BlendCopy>;
constexpr FillRowsFn RAST_FillRect_Impl_Add = &FillRows<RAST_BlendAdd>;
constexpr FillRowsFn RAST_FillRect_Impl_ColorDodge = &FillRows<RAST_BlendColorDodge>;
constexpr FillRowsFn RAST_FillRect_Impl_Multiply = &FillRows<RAST_BlendMultiply>;
constexpr FillRowsFn RAST_FillRect_Impl_Overlay = &FillRows<RAST_BlendOverlay>;
constexpr FillRowsFn RAST_FillRect_Impl_HSVAdjust = &FillRows<RAST_BlendHSVAdjust>;

// Indexed by combine mode.
constexpr FillRowsFn kFillRows[] = {
    RAST_FillRect_Impl_Copy,        // RAST_BLIT_MODE_COPY
    RAST_FillRect_Impl_Add,         // RAST_BLIT_MODE_ADD
    RAST_FillRect_Impl_ColorDodge,  // RAST_BLIT_MODE_DODGE
    RAST_FillRect_Impl_Multiply,    // RAST_BLIT_MODE_MUL
    RAST_FillRect_Impl_Overlay,     // RAST_BLIT_MODE_OVERLAY
    RAST_FillRect_Impl_HSVAdjust,   // RAST_BLIT_MODE_HSVADJ
};
static_assert(std::size(kFillRows) == RAST_BLIT_MODE_COUNT, "every combine mode needs its fill instance");

// The per-pixel rule of each combine mode, for single pixels.
template <class Blend>
void PixelRule(RAST_pixel* p, int r, int g, int b, int a, int w)
{
  Blend::Apply(p, r, g, b, a, w);
}

using PixelRuleFn = void (*)(RAST_pixel* p, int r, int g, int b, int a, int w);

constexpr PixelRuleFn kPixelRules[] = {
    &PixelRule<RAST_BlendCopy>,        // RAST_BLIT_MODE_COPY
    &PixelRule<RAST_BlendAdd>,         // RAST_BLIT_MODE_ADD
    &PixelRule<RAST_BlendColorDodge>,  // RAST_BLIT_MODE_DODGE
    &PixelRule<RAST_BlendMultiply>,    // RAST_BLIT_MODE_MUL
    &PixelRule<RAST_BlendOverlay>,     // RAST_BLIT_MODE_OVERLAY
    &PixelRule<RAST_BlendHSVAdjust>,   // RAST_BLIT_MODE_HSVADJ
};
static_assert(std::size(kPixelRules) == RAST_BLIT_MODE_COUNT, "every combine mode needs its pixel rule");

// ---- whole-pixel copies ----
// Copy at weight 64, 128, 192 or 256 needs no per-channel arithmetic.

using ColorRowFn = void (*)(RAST_pixel* d, int n, RAST_pixel c);

// The row kernel for a whole-pixel copy weight, or null for any other weight.
ColorRowFn WholePixelRow(int weight)
{
  switch (weight)
  {
    case RAST_WEIGHT_FULL: return &RAST_RowFill;
    case 64: return &RAST_RowQuarterMixColor;
    case 128: return &RAST_RowHalfMixColor;
    case 192: return &RAST_RowThreeQuarterMixColor;
    default: return nullptr;
  }
}

// RAST_FillRect_Impl_QuarterMix and its siblings: one kernel per row.
void ColorRows(ColorRowFn row, RAST_pixel* p, int w, int h, ptrdiff_t step, RAST_pixel color)
{
  for (int y = 0; y < h; ++y, p += step) row(p, w, color);
}

// (int)(v * 256.0), truncated, held within an int; NaN gives 0.
int64_t ScaledFactor(float v)
{
  const double x = static_cast<double>(v) * 256.0;
  if (!(x == x)) return 0;
  if (x >= INT_MAX) return INT_MAX;
  if (x <= INT_MIN) return INT_MIN;
  return static_cast<int64_t>(x);
}

// The clipped rectangle's first pixel in memory order.
RAST_pixel* FirstPixel(const RAST_BitmapView& view, const RAST_ClipBox& box)
{
  return view.FirstInMemory(box.y, box.h) + box.x;
}
}  // namespace

void RAST_Clear(RAST_IBitmap* dest, RAST_pixel color)
{
  RAST_BitmapView view;
  if (!view.Open(dest)) return;
  RAST_pixel* p = view.bits;
  for (int y = 0; y < view.height; ++y, p += view.span) RAST_RowFill(p, view.width, color);
}

void RAST_FillRect(RAST_IBitmap* dest, int x, int y, int w, int h, RAST_pixel color, float alpha, int mode)
{
  if (mode & RAST_BLIT_USE_ALPHA) alpha *= static_cast<float>(RAST_GETA(color)) / 255.0f;
  const int op = mode & RAST_BLIT_MODE_MASK;
  const int weight = RAST_WeightFromAlpha(alpha);
  if (weight == 0 || op >= RAST_BLIT_MODE_COUNT) return;
  if (op == RAST_BLIT_MODE_COPY && weight < 1) return;

  RAST_BitmapView view;
  RAST_ClipBox box;
  if (!view.Open(dest) || !RAST_ClipToBitmap(view, x, y, w, h, &box)) return;
  RAST_pixel* p = FirstPixel(view, box);

  if (op == RAST_BLIT_MODE_COPY)
  {
    if (const ColorRowFn row = WholePixelRow(weight))
    {
      ColorRows(row, p, box.w, box.h, view.span, color);
      return;
    }
  }
  const int r = RAST_GETR(color), g = RAST_GETG(color), b = RAST_GETB(color);
  RAST_FillSource source;
  if (const RAST_FillRowFn row = RAST_VectorFillRow(op, r, g, b, weight, &source))
  {
    for (int i = 0; i < box.h; ++i, p += view.span) row(p, box.w, source);
    return;
  }
  kFillRows[op](p, box.w, box.h, view.span, r, g, b, weight);
}

void RAST_ClearRect(RAST_IBitmap* dest, int x, int y, int w, int h, RAST_pixel mask, RAST_pixel orbits)
{
  RAST_BitmapView view;
  RAST_ClipBox box;
  if (!view.Open(dest) || !RAST_ClipToBitmap(view, x, y, w, h, &box)) return;
  RAST_pixel* p = FirstPixel(view, box);
  for (int row = 0; row < box.h; ++row, p += view.span)
    for (int i = 0; i < box.w; ++i) p[i] = (p[i] & mask) | orbits;
}

void RAST_MultiplyAddRect(RAST_IBitmap* dest, int x, int y, int w, int h, float rsc, float gsc, float bsc,
                          float asc, float radd, float gadd, float badd, float aadd)
{
  RAST_BitmapView view;
  RAST_ClipBox box;
  if (!view.Open(dest) || !RAST_ClipToBitmap(view, x, y, w, h, &box)) return;

  // Byte order of the pixel: alpha, red, green, blue.
  const int64_t scale[4] = {ScaledFactor(asc), ScaledFactor(rsc), ScaledFactor(gsc), ScaledFactor(bsc)};
  const int64_t add[4] = {ScaledFactor(aadd), ScaledFactor(radd), ScaledFactor(gadd), ScaledFactor(badd)};
  RAST_pixel* p = FirstPixel(view, box);
  for (int row = 0; row < box.h; ++row, p += view.span)
    for (int i = 0; i < box.w; ++i)
    {
      RAST_pixel out = 0;
      for (int c = 0; c < 4; ++c)
      {
        const int64_t v = (static_cast<int64_t>((p[i] >> (8 * c)) & 255u) * scale[c] + add[c]) >> 8;
        out |= static_cast<RAST_pixel>(RAST_Clamp255(v)) << (8 * c);
      }
      p[i] = out;
    }
}

void RAST_ProcessRect(RAST_IBitmap* dest, int x, int y, int w, int h, void (*procFunc)(RAST_pixel*, void*),
                      void* parm)
{
  if (!procFunc) return;
  RAST_BitmapView view;
  RAST_ClipBox box;
  if (!view.Open(dest) || !RAST_ClipToBitmap(view, x, y, w, h, &box)) return;
  RAST_pixel* p = FirstPixel(view, box);
  for (int row = 0; row < box.h; ++row, p += view.span)
    for (int i = 0; i < box.w; ++i) procFunc(p + i, parm);
}

RAST_pixel RAST_GetPixel(RAST_IBitmap* bm, int x, int y)
{
  RAST_BitmapView view;
  if (!view.Open(bm) || x < 0 || y < 0 || x >= view.width || y >= view.height) return 0;
  return view.Row(y)[x];
}

void RAST_PutPixel(RAST_IBitmap* bm, int x, int y, RAST_pixel color, float alpha, int mode)
{
  const int op = mode & RAST_BLIT_MODE_MASK;
  const int weight = RAST_WeightFromAlpha(alpha);
  if (weight == 0 || op >= RAST_BLIT_MODE_COUNT) return;
  if (op == RAST_BLIT_MODE_COPY && weight < 1) return;

  RAST_BitmapView view;
  if (!view.Open(bm) || x < 0 || y < 0 || x >= view.width || y >= view.height) return;
  RAST_pixel* p = view.Row(y) + x;
  if (op == RAST_BLIT_MODE_COPY)
  {
    if (const ColorRowFn row = WholePixelRow(weight))
    {
      row(p, 1, color);
      return;
    }
  }
  kPixelRules[op](p, RAST_GETR(color), RAST_GETG(color), RAST_GETB(color), RAST_GETA(color), weight);
}
