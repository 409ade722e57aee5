#include "raster/RAST_ScaledBlit.h"

#include "raster/RAST_Blit.h"
#include "raster/RAST_SourceWalk.h"

#include <cmath>
#include <iterator>

namespace
{
// ---- sources ----

// What the instances sample: the box (0, 0) .. (R, B) of the source, the
// filter bits, and for the box-kernel family the kernel.
struct ScaledSource
{
  RAST_SampleBox box;
  int filter = 0;
  int kernelSize = 0;
  const int* kernel = nullptr;
};

// Box kernel: the size x size pixels centred on the one the position falls
// in, x0 - size / 2 + i and y0 - size / 2 + j; only taps inside the box count.
// Each channel is sum(c * weight) / sum(weight). The centre tap always lies
// inside (the walk visits no other positions), so the sum is never empty.
struct SampleKernel
{
  RAST_SampleBox box;
  int size;
  const int* weights;

  RAST_pixel Fetch(int64_t x, int64_t y) const
  {
    const int64_t left = (x >> 16) - size / 2, top = (y >> 16) - size / 2;
    int64_t sa = 0, sr = 0, sg = 0, sb = 0, sw = 0;
    for (int j = 0; j < size; ++j)
    {
      const int64_t yy = top + j;
      if (yy < box.miny || yy >= box.maxy) continue;
      for (int i = 0; i < size; ++i)
      {
        const int64_t xx = left + i;
        if (xx < box.minx || xx >= box.maxx) continue;
        const RAST_pixel p = *box.At(xx, yy);
        const int w = weights[j * size + i];
        sa += int64_t{RAST_GETA(p)} * w;
        sr += int64_t{RAST_GETR(p)} * w;
        sg += int64_t{RAST_GETG(p)} * w;
        sb += int64_t{RAST_GETB(p)} * w;
        sw += w;
      }
    }
    return RAST_RGBA(static_cast<int>(sr / sw), static_cast<int>(sg / sw), static_cast<int>(sb / sw),
                     static_cast<int>(sa / sw));
  }
};

// Copy at weight 128 as the whole-pixel half mix of the plain blit.
struct BlendHalfMix
{
  static void Apply(RAST_pixel* p, int r, int g, int b, int a, int) { *p = RAST_HalfMix(*p, RAST_RGBA(r, g, b, a)); }
};

// ---- instances ----

using ScaledRowsFn = void (*)(const RAST_WalkTarget& target, const RAST_Walk& walk, const ScaledSource& source,
                              int weight);

// The sampling form is settled here, once per call, by the filter bits.
template <class Blend>
void NearestOrBilinear(const RAST_WalkTarget& target, const RAST_Walk& walk, const ScaledSource& source, int weight)
{
  if (source.filter == RAST_BLIT_FILTER_BILINEAR)
    RAST_WalkRows<RAST_SampleBilinear, Blend>(target, walk, RAST_SampleBilinear{source.box}, RAST_ConstWeight{weight});
  else
    RAST_WalkRows<RAST_SampleNearest, Blend>(target, walk, RAST_SampleNearest{source.box}, RAST_ConstWeight{weight});
}

template <class Blend>
void BoxKernel(const RAST_WalkTarget& target, const RAST_Walk& walk, const ScaledSource& source, int weight)
{
  RAST_WalkRows<SampleKernel, Blend>(target, walk, SampleKernel{source.box, source.kernelSize, source.kernel},
                                     RAST_ConstWeight{weight});
}

constexpr ScaledRowsFn RAST_ScaledBlit_Impl_HalfMix = &NearestOrBilinear<BlendHalfMix>;

constexpr ScaledRowsFn RAST_ScaledBlit_Impl_Clobber = &NearestOrBilinear<RAST_BlendClobber>;
constexpr ScaledRowsFn RAST_ScaledBlit_Impl_Copy = &NearestOrBilinear<RAST_BlendCopy>;
constexpr ScaledRowsFn RAST_ScaledBlit_Impl_Add = &NearestOrBilinear<RAST_BlendAdd>;
constexpr ScaledRowsFn RAST_ScaledBlit_Impl_ColorDodge = &NearestOrBilinear<RAST_BlendColorDodge>;
constexpr ScaledRowsFn RAST_ScaledBlit_Impl_Multiply = &NearestOrBilinear<RAST_BlendMultiply>;
constexpr ScaledRowsFn RAST_ScaledBlit_Impl_Overlay = &NearestOrBilinear<RAST_BlendOverlay>;
constexpr ScaledRowsFn RAST_ScaledBlit_Impl_HSVAdjust = &NearestOrBilinear<RAST_BlendHSVAdjust>;
constexpr ScaledRowsFn RAST_ScaledBlit_Impl_CopySourceAlphaFull = &NearestOrBilinear<RAST_BlendCopySourceAlphaFull>;
constexpr ScaledRowsFn RAST_ScaledBlit_Impl_CopySourceAlpha = &NearestOrBilinear<RAST_BlendCopySourceAlpha>;
constexpr ScaledRowsFn RAST_ScaledBlit_Impl_AddSourceAlpha = &NearestOrBilinear<RAST_BlendAddSourceAlpha>;
constexpr ScaledRowsFn RAST_ScaledBlit_Impl_ColorDodgeSourceAlpha =
    &NearestOrBilinear<RAST_BlendColorDodgeSourceAlpha>;
constexpr ScaledRowsFn RAST_ScaledBlit_Impl_MultiplySourceAlpha = &NearestOrBilinear<RAST_BlendMultiplySourceAlpha>;
constexpr ScaledRowsFn RAST_ScaledBlit_Impl_OverlaySourceAlpha = &NearestOrBilinear<RAST_BlendOverlaySourceAlpha>;
constexpr ScaledRowsFn RAST_ScaledBlit_Impl_HSVAdjustSourceAlpha = &NearestOrBilinear<RAST_BlendHSVAdjustSourceAlpha>;

constexpr ScaledRowsFn RAST_ScaledBlitKernel_Impl_Clobber = &BoxKernel<RAST_BlendClobber>;
constexpr ScaledRowsFn RAST_ScaledBlitKernel_Impl_Copy = &BoxKernel<RAST_BlendCopy>;
constexpr ScaledRowsFn RAST_ScaledBlitKernel_Impl_Add = &BoxKernel<RAST_BlendAdd>;
constexpr ScaledRowsFn RAST_ScaledBlitKernel_Impl_ColorDodge = &BoxKernel<RAST_BlendColorDodge>;
constexpr ScaledRowsFn RAST_ScaledBlitKernel_Impl_Multiply = &BoxKernel<RAST_BlendMultiply>;
constexpr ScaledRowsFn RAST_ScaledBlitKernel_Impl_Overlay = &BoxKernel<RAST_BlendOverlay>;
constexpr ScaledRowsFn RAST_ScaledBlitKernel_Impl_HSVAdjust = &BoxKernel<RAST_BlendHSVAdjust>;
constexpr ScaledRowsFn RAST_ScaledBlitKernel_Impl_CopySourceAlphaFull = &BoxKernel<RAST_BlendCopySourceAlphaFull>;
constexpr ScaledRowsFn RAST_ScaledBlitKernel_Impl_CopySourceAlpha = &BoxKernel<RAST_BlendCopySourceAlpha>;
constexpr ScaledRowsFn RAST_ScaledBlitKernel_Impl_AddSourceAlpha = &BoxKernel<RAST_BlendAddSourceAlpha>;
constexpr ScaledRowsFn RAST_ScaledBlitKernel_Impl_ColorDodgeSourceAlpha = &BoxKernel<RAST_BlendColorDodgeSourceAlpha>;
constexpr ScaledRowsFn RAST_ScaledBlitKernel_Impl_MultiplySourceAlpha = &BoxKernel<RAST_BlendMultiplySourceAlpha>;
constexpr ScaledRowsFn RAST_ScaledBlitKernel_Impl_OverlaySourceAlpha = &BoxKernel<RAST_BlendOverlaySourceAlpha>;
constexpr ScaledRowsFn RAST_ScaledBlitKernel_Impl_HSVAdjustSourceAlpha = &BoxKernel<RAST_BlendHSVAdjustSourceAlpha>;

// Indexed by RAST_Rule.
constexpr ScaledRowsFn kScaledRows[] = {
    nullptr,                                         // None
    RAST_ScaledBlit_Impl_Clobber,                    // Clobber
    RAST_ScaledBlit_Impl_Copy,                       // Copy
    RAST_ScaledBlit_Impl_Add,                        // Add
    RAST_ScaledBlit_Impl_ColorDodge,                 // ColorDodge
    RAST_ScaledBlit_Impl_Multiply,                   // Multiply
    RAST_ScaledBlit_Impl_Overlay,                    // Overlay
    RAST_ScaledBlit_Impl_HSVAdjust,                  // HSVAdjust
    RAST_ScaledBlit_Impl_CopySourceAlphaFull,        // CopySourceAlphaFull
    RAST_ScaledBlit_Impl_CopySourceAlpha,            // CopySourceAlpha
    RAST_ScaledBlit_Impl_AddSourceAlpha,             // AddSourceAlpha
    RAST_ScaledBlit_Impl_ColorDodgeSourceAlpha,      // ColorDodgeSourceAlpha
    RAST_ScaledBlit_Impl_MultiplySourceAlpha,        // MultiplySourceAlpha
    RAST_ScaledBlit_Impl_OverlaySourceAlpha,         // OverlaySourceAlpha
    RAST_ScaledBlit_Impl_HSVAdjustSourceAlpha,       // HSVAdjustSourceAlpha
};
static_assert(std::size(kScaledRows) == RAST_RULE_COUNT, "every rule needs its scaled instance");

constexpr ScaledRowsFn kKernelRows[] = {
    nullptr,                                            // None
    RAST_ScaledBlitKernel_Impl_Clobber,                 // Clobber
    RAST_ScaledBlitKernel_Impl_Copy,                    // Copy
    RAST_ScaledBlitKernel_Impl_Add,                     // Add
    RAST_ScaledBlitKernel_Impl_ColorDodge,              // ColorDodge
    RAST_ScaledBlitKernel_Impl_Multiply,                // Multiply
    RAST_ScaledBlitKernel_Impl_Overlay,                 // Overlay
    RAST_ScaledBlitKernel_Impl_HSVAdjust,               // HSVAdjust
    RAST_ScaledBlitKernel_Impl_CopySourceAlphaFull,     // CopySourceAlphaFull
    RAST_ScaledBlitKernel_Impl_CopySourceAlpha,         // CopySourceAlpha
    RAST_ScaledBlitKernel_Impl_AddSourceAlpha,          // AddSourceAlpha
    RAST_ScaledBlitKernel_Impl_ColorDodgeSourceAlpha,   // ColorDodgeSourceAlpha
    RAST_ScaledBlitKernel_Impl_MultiplySourceAlpha,     // MultiplySourceAlpha
    RAST_ScaledBlitKernel_Impl_OverlaySourceAlpha,      // OverlaySourceAlpha
    RAST_ScaledBlitKernel_Impl_HSVAdjustSourceAlpha,    // HSVAdjustSourceAlpha
};
static_assert(std::size(kKernelRows) == RAST_RULE_COUNT, "every rule needs its box-kernel instance");

// ---- geometry ----

// The source limit of one axis: the rectangle's far edge rounded up,
// (int)(pos + max(size, 0) + 0.999999), at most the bitmap's extent; 0 or less
// when nothing of the source is left.
int SourceLimit(float pos, float size, int extent)
{
  const float edge = pos + (size > 0.0f ? size : 0.0f);
  const double limit = static_cast<double>(edge) + 0.999999;
  if (!(limit > 0.0)) return 0;
  if (limit >= extent) return extent;
  return static_cast<int>(limit);
}

// (int)(v + 0.5f) for the same-size blit; false beyond an int.
bool RoundForBlit(float v, int* out)
{
  const float r = v + 0.5f;
  if (!(r > -2147483648.0f && r < 2147483648.0f)) return false;
  *out = static_cast<int>(r);
  return true;
}

bool SameSize(float srcw, float srch, int dstw, int dsth)
{
  return dstw > 0 && dsth > 0 && std::fabs(srcw - static_cast<float>(dstw)) < 0.001f &&
         std::fabs(srch - static_cast<float>(dsth)) < 0.001f;
}

bool NearWhole(float v) { return std::fabs(v - std::floor(v + 0.5f)) < 0.03f; }
}  // namespace

void RAST_ScaledBlit(RAST_IBitmap* dest, RAST_IBitmap* src, int dstx, int dsty, int dstw, int dsth, float srcx,
                     float srcy, float srcw, float srch, float alpha, int mode)
{
  if (!dest || !src || dstw == 0 || dsth == 0 || alpha == 0.0f) return;
  if (!std::isfinite(srcx) || !std::isfinite(srcy) || !std::isfinite(srcw) || !std::isfinite(srch)) return;
  const int filter = mode & RAST_BLIT_FILTER_MASK;
  const bool bilinear = filter == RAST_BLIT_FILTER_BILINEAR;

  // Same size: a plain blit reaches the row-copy fast paths. Filtering would
  // only blur a source lying on whole pixels, so it counts only off them.
  if (SameSize(srcw, srch, dstw, dsth) && (!bilinear || (NearWhole(srcx) && NearWhole(srcy))))
  {
    int sx = 0, sy = 0;
    if (RoundForBlit(srcx, &sx) && RoundForBlit(srcy, &sy))
      RAST_Blit(dest, src, dstx, dsty, sx, sy, dstw, dsth, alpha, mode);
    return;
  }

  RAST_BitmapView dv, sv;
  if (!dv.Open(dest) || !sv.Open(src)) return;

  int64_t x = dstx, y = dsty, w = dstw, h = dsth;
  RAST_UnmirrorSpan(&x, &w, &srcx, &srcw);
  RAST_UnmirrorSpan(&y, &h, &srcy, &srch);
  const float xstep = srcw / static_cast<float>(w), ystep = srch / static_cast<float>(h);

  // The limits come from the whole request, so clipping the destination never
  // changes which source pixels the visible part reads.
  const int limitx = SourceLimit(srcx, srcw, sv.width), limity = SourceLimit(srcy, srch, sv.height);
  if (limitx <= 0 || limity <= 0) return;

  // A destination pixel samples the low end of the source interval it covers:
  // its left edge when the step is positive, its right neighbour's left edge
  // (one step further) when the picture is mirrored.
  const float startx = xstep < 0.0f ? srcx + xstep : srcx;
  const float starty = ystep < 0.0f ? srcy + ystep : srcy;
  RAST_Walk walk;
  if (!RAST_ToFixed(startx, &walk.s) || !RAST_ToFixed(starty, &walk.t) || !RAST_ToFixed(xstep, &walk.dsdx) ||
      !RAST_ToFixed(ystep, &walk.dtdy))
    return;

  RAST_WalkTarget target;
  if (!target.Clip(dv, x, y, w, h)) return;
  ScaledSource source;
  source.box = RAST_SampleBox(sv, 0, 0, limitx, limity);
  source.filter = filter;

  const int weight = RAST_WeightFromAlpha(alpha);
  const bool plainCopy = (mode & (RAST_BLIT_USE_ALPHA | RAST_BLIT_FILTER_MASK | RAST_BLIT_MODE_MASK)) == 0;
  if (plainCopy && weight == 128)
  {
    RAST_ScaledBlit_Impl_HalfMix(target, walk, source, weight);
    return;
  }
  const RAST_Rule rule = RAST_SelectRule(mode, weight);
  if (rule == RAST_Rule::None) return;

  // Shrinking a lot: a bilinear sample would skip most source pixels, so a
  // box average of them is taken instead.
  if (bilinear && xstep >= 1.7f && ystep >= 1.7f)
  {
    int kernel[25];
    source.kernelSize = (walk.dsdx > walk.dtdy ? walk.dsdx : walk.dtdy) > 0x30000 ? 5 : 3;
    for (int& k : kernel) k = 0x10000;
    source.kernel = kernel;
    kKernelRows[static_cast<int>(rule)](target, walk, source, weight);
    return;
  }
  kScaledRows[static_cast<int>(rule)](target, walk, source, weight);
}
