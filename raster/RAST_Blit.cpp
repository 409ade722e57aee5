#include "raster/RAST_Blit.h"

#include "raster/RAST_Blend.h"
#include "raster/RAST_BitmapView.h"
#include "raster/RAST_Simd.h"

#include <cstdint>
#include <cstring>
#include <iterator>

namespace
{
// ---- row loops ----
// Pointers address the first pixel of the clipped rectangle; steps are in
// pixels and negative for a flipped bitmap.

using BlitRowsFn = void (*)(RAST_pixel* d, const RAST_pixel* s, int w, int h, ptrdiff_t sstep,
                            ptrdiff_t dstep, int weight);

// The scalar loop of a rule: the reference that the vector kernels of
// RAST_Simd.h stand in for.
template <class Blend>
void BlitRows(RAST_pixel* d, const RAST_pixel* s, int w, int h, ptrdiff_t sstep, ptrdiff_t dstep, int weight)
{
  for (int y = 0; y < h; ++y, d += dstep, s += sstep)
    for (int i = 0; i < w; ++i)
    {
      const RAST_pixel p = s[i];
      Blend::Apply(d + i, RAST_GETR(p), RAST_GETG(p), RAST_GETB(p), RAST_GETA(p), weight);
    }
}

// Whole rows as memory blocks. Within one bitmap the rows may overlap: memmove
// keeps each row right, and the rows go in the order that reads every source
// row before it is overwritten.
void CopyRows(RAST_pixel* d, const RAST_pixel* s, int w, int h, ptrdiff_t sstep, ptrdiff_t dstep, int)
{
  const size_t bytes = static_cast<size_t>(w) * sizeof(RAST_pixel);
  const bool backward = sstep == dstep &&
                        (reinterpret_cast<uintptr_t>(d) > reinterpret_cast<uintptr_t>(s)) == (dstep > 0);
  if (backward)
  {
    d += (h - 1) * dstep;
    s += (h - 1) * sstep;
    dstep = -dstep;
    sstep = -sstep;
  }
  for (int y = 0; y < h; ++y, d += dstep, s += sstep) std::memmove(d, s, bytes);
}

void HalfMixRows(RAST_pixel* d, const RAST_pixel* s, int w, int h, ptrdiff_t sstep, ptrdiff_t dstep, int)
{
  for (int y = 0; y < h; ++y, d += dstep, s += sstep) RAST_RowHalfMix(d, s, w);
}

// Destination byte dbyte gets source byte sbyte; the other three stay.
void ChannelCopyRows(RAST_pixel* d, const RAST_pixel* s, int w, int h, ptrdiff_t sstep, ptrdiff_t dstep,
                     int dbyte, int sbyte)
{
  const int dshift = dbyte * 8, sshift = sbyte * 8;
  const RAST_pixel keep = ~(RAST_pixel{0xff} << dshift);
  for (int y = 0; y < h; ++y, d += dstep, s += sstep)
    for (int x = 0; x < w; ++x) d[x] = (d[x] & keep) | (((s[x] >> sshift) & 0xffu) << dshift);
}

// ---- instances by rule ----
constexpr BlitRowsFn RAST_Blit_Impl_Clobber = &CopyRows;
constexpr BlitRowsFn RAST_Blit_Impl_Copy = &BlitRows<RAST_BlendCopy>;
constexpr BlitRowsFn RAST_Blit_Impl_Add = &BlitRows<RAST_BlendAdd>;
constexpr BlitRowsFn RAST_Blit_Impl_ColorDodge = &BlitRows<RAST_BlendColorDodge>;
constexpr BlitRowsFn RAST_Blit_Impl_Multiply = &BlitRows<RAST_BlendMultiply>;
constexpr BlitRowsFn RAST_Blit_Impl_Overlay = &BlitRows<RAST_BlendOverlay>;
constexpr BlitRowsFn RAST_Blit_Impl_HSVAdjust = &BlitRows<RAST_BlendHSVAdjust>;
constexpr BlitRowsFn RAST_Blit_Impl_CopySourceAlphaFull = &BlitRows<RAST_BlendCopySourceAlphaFull>;
constexpr BlitRowsFn RAST_Blit_Impl_CopySourceAlpha = &BlitRows<RAST_BlendCopySourceAlpha>;
constexpr BlitRowsFn RAST_Blit_Impl_AddSourceAlpha = &BlitRows<RAST_BlendAddSourceAlpha>;
constexpr BlitRowsFn RAST_Blit_Impl_ColorDodgeSourceAlpha = &BlitRows<RAST_BlendColorDodgeSourceAlpha>;
constexpr BlitRowsFn RAST_Blit_Impl_MultiplySourceAlpha = &BlitRows<RAST_BlendMultiplySourceAlpha>;
constexpr BlitRowsFn RAST_Blit_Impl_OverlaySourceAlpha = &BlitRows<RAST_BlendOverlaySourceAlpha>;
constexpr BlitRowsFn RAST_Blit_Impl_HSVAdjustSourceAlpha = &BlitRows<RAST_BlendHSVAdjustSourceAlpha>;

// Indexed by RAST_Rule.
constexpr BlitRowsFn kBlitRows[] = {
    nullptr,                                // None
    RAST_Blit_Impl_Clobber,                 // Clobber
    RAST_Blit_Impl_Copy,                    // Copy
    RAST_Blit_Impl_Add,                     // Add
    RAST_Blit_Impl_ColorDodge,              // ColorDodge
    RAST_Blit_Impl_Multiply,                // Multiply
    RAST_Blit_Impl_Overlay,                 // Overlay
    RAST_Blit_Impl_HSVAdjust,               // HSVAdjust
    RAST_Blit_Impl_CopySourceAlphaFull,     // CopySourceAlphaFull
    RAST_Blit_Impl_CopySourceAlpha,         // CopySourceAlpha
    RAST_Blit_Impl_AddSourceAlpha,          // AddSourceAlpha
    RAST_Blit_Impl_ColorDodgeSourceAlpha,   // ColorDodgeSourceAlpha
    RAST_Blit_Impl_MultiplySourceAlpha,     // MultiplySourceAlpha
    RAST_Blit_Impl_OverlaySourceAlpha,      // OverlaySourceAlpha
    RAST_Blit_Impl_HSVAdjustSourceAlpha,    // HSVAdjustSourceAlpha
};
static_assert(std::size(kBlitRows) == RAST_RULE_COUNT, "every rule needs its blit instance");

// The source rectangle [left, right) x [top, bottom) in 64 bits, so that no
// coordinate or size argument can wrap while it is clipped.
struct SourceArea
{
  int64_t left, top, right, bottom;
};

void BlitArea(RAST_IBitmap* dest, RAST_IBitmap* src, int64_t dstx, int64_t dsty, const SourceArea* area,
              float alpha, int mode)
{
  if (!dest || !src || alpha == 0.0f) return;
  RAST_BitmapView dv, sv;
  if (!dv.Open(dest) || !sv.Open(src)) return;

  SourceArea r{0, 0, sv.width, sv.height};
  if (area)
  {
    r = *area;
    if (r.left < 0)
    {
      dstx -= r.left;
      r.left = 0;
    }
    if (r.top < 0)
    {
      dsty -= r.top;
      r.top = 0;
    }
    if (r.right > sv.width) r.right = sv.width;
    if (r.bottom > sv.height) r.bottom = sv.height;
  }
  if (dstx < 0)
  {
    r.left -= dstx;
    dstx = 0;
  }
  if (dsty < 0)
  {
    r.top -= dsty;
    dsty = 0;
  }
  if (dstx >= dv.width || dsty >= dv.height) return;
  const int64_t w64 = dv.width - dstx < r.right - r.left ? dv.width - dstx : r.right - r.left;
  const int64_t h64 = dv.height - dsty < r.bottom - r.top ? dv.height - dsty : r.bottom - r.top;
  if (w64 <= 0 || h64 <= 0) return;

  const int w = static_cast<int>(w64), h = static_cast<int>(h64);
  RAST_pixel* d = dv.Row(static_cast<int>(dsty)) + dstx;
  const RAST_pixel* s = sv.Row(static_cast<int>(r.top)) + r.left;
  const ptrdiff_t dstep = dv.Step(), sstep = sv.Step();

  if ((mode & RAST_BLIT_MODE_CHANCOPY) == RAST_BLIT_MODE_CHANCOPY)
  {
    ChannelCopyRows(d, s, w, h, sstep, dstep, (mode >> 2) & 3, mode & 3);
    return;
  }
  const bool plainCopy = (mode & (RAST_BLIT_USE_ALPHA | RAST_BLIT_MODE_MASK)) == RAST_BLIT_MODE_COPY;
  if (plainCopy && alpha == 1.0f)
  {
    CopyRows(d, s, w, h, sstep, dstep, RAST_WEIGHT_FULL);
    return;
  }
  if (plainCopy && alpha == 0.5f)
  {
    HalfMixRows(d, s, w, h, sstep, dstep, 128);
    return;
  }
  const int weight = RAST_WeightFromAlpha(alpha);
  const RAST_Rule rule = RAST_SelectRule(mode, weight);
  if (rule == RAST_Rule::None) return;
  if (const RAST_BlitRowFn row = RAST_VectorBlitRow(rule, weight))
  {
    for (int y = 0; y < h; ++y, d += dstep, s += sstep) row(d, s, w, weight);
    return;
  }
  kBlitRows[static_cast<int>(rule)](d, s, w, h, sstep, dstep, weight);
}
}  // namespace

void RAST_Blit(RAST_IBitmap* dest, RAST_IBitmap* src, int dstx, int dsty, const RECT* srcrect, float alpha,
               int mode)
{
  if (!srcrect)
  {
    BlitArea(dest, src, dstx, dsty, nullptr, alpha, mode);
    return;
  }
  const SourceArea area{srcrect->left, srcrect->top, srcrect->right, srcrect->bottom};
  BlitArea(dest, src, dstx, dsty, &area, alpha, mode);
}

void RAST_Blit(RAST_IBitmap* dest, RAST_IBitmap* src, int dstx, int dsty, int srcx, int srcy, int srcw,
               int srch, float alpha, int mode)
{
  const SourceArea area{srcx, srcy, static_cast<int64_t>(srcx) + srcw, static_cast<int64_t>(srcy) + srch};
  BlitArea(dest, src, dstx, dsty, &area, alpha, mode);
}

void RAST_Copy(RAST_IBitmap* dest, RAST_IBitmap* src)
{
  if (!dest || !src) return;
  dest->resize(src->getWidth(), src->getHeight());
  RAST_Blit(dest, src, 0, 0, nullptr, 1.0f, RAST_BLIT_MODE_COPY);
}
