#include "raster/RAST_ScaledBlit.h"

#include "raster/RAST_Blit.h"
#include "raster/RAST_Simd.h"
#include "raster/RAST_SourceWalk.h"

#include <cmath>
#include <cstring>
#include <iterator>
#include <vector>

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

// ---- whole rows ----
// Above the scalar level a scale samples each destination row at once with
// the vector passes of RAST_Simd.h (the source's columns first, then the row)
// and combines the row with the rule's row kernel. The bytes are those of
// the walk above: the same positions, samplers and rules.

enum class Sampling
{
  Nearest,
  Bilinear,
  Box,
};

// How the sampled row meets the destination.
struct RowCombine
{
  bool halfMix = false;  // the plain copy at weight 128
  RAST_Rule rule = RAST_Rule::None;
  int weight = 0;
};

// False when this level or the rule's weight has no row kernels, so the walk
// must draw instead; true when drawn (or nothing to draw).
bool ScaleByRows(const RAST_WalkTarget& target, const RAST_Walk& walk, const ScaledSource& source,
                 Sampling sampling, const RowCombine& combine)
{
  const RAST_BilinearKernels& bilinear = RAST_VectorBilinear();
  const RAST_BoxKernels& boxKernels = RAST_VectorBox();
  if (!bilinear.row || !boxKernels.row) return false;
  RAST_BlitRowFn blend = nullptr;
  if (!combine.halfMix && combine.rule != RAST_Rule::Clobber)
  {
    blend = RAST_VectorBlitRow(combine.rule, combine.weight);
    if (!blend) return false;
  }

  // A plain scale walks x with the column alone and y with the row alone, so
  // the columns inside the source are the same on every row.
  const RAST_SampleBox& box = source.box;
  int64_t k0 = target.col0, k1 = target.col1, j0 = target.row0, j1 = target.row1;
  if (!RAST_NarrowSpan(walk.s, walk.dsdx, 0, int64_t{box.maxx} << 16, &k0, &k1) ||
      !RAST_NarrowSpan(walk.t, walk.dtdy, 0, int64_t{box.maxy} << 16, &j0, &j1))
    return true;
  const int n = static_cast<int>(k1 - k0);
  std::vector<int32_t> xs(n);
  for (int i = 0; i < n; ++i) xs[i] = static_cast<int32_t>(walk.s + (k0 + i) * walk.dsdx);
  const int first = (xs[0] < xs[n - 1] ? xs[0] : xs[n - 1]) >> 16;
  const int last = (xs[0] < xs[n - 1] ? xs[n - 1] : xs[0]) >> 16;

  // Bilinear: the samples in the source's last column mix only vertically
  // and go through the scalar sampler; they lie at one end of the row, and
  // the rest, [inner0, inner1), get the column tables.
  int inner0 = 0, inner1 = n;
  while (inner0 < inner1 && (xs[inner0] >> 16) == box.maxx - 1) ++inner0;
  while (inner1 > inner0 && (xs[inner1 - 1] >> 16) == box.maxx - 1) --inner1;
  std::vector<int32_t> x0(sampling == Sampling::Bilinear ? n : 0);
  std::vector<uint16_t> fx(x0.size());
  for (size_t i = 0; i < x0.size(); ++i)
  {
    x0[i] = xs[i] >> 16;
    fx[i] = static_cast<uint16_t>(xs[i] & 0xffff);
  }
  const RAST_SampleBilinear edgeSampler{box};

  // Box: the columns within half a kernel of first..last that lie in the
  // source; samples whose kernel reaches past the source's sides, at the
  // row's ends, go through the scalar sampler, as do rows whose kernel
  // reaches past its top or bottom.
  const int half = source.kernelSize / 2;
  const int sumFirst = first - half < 0 ? 0 : first - half;
  const int sumLast = last + half >= box.maxx ? box.maxx - 1 : last + half;
  int boxInner0 = 0, boxInner1 = n;
  auto boxInside = [&](int i) { return (xs[i] >> 16) - half >= 0 && (xs[i] >> 16) + half < box.maxx; };
  while (boxInner0 < boxInner1 && !boxInside(boxInner0)) ++boxInner0;
  while (boxInner1 > boxInner0 && !boxInside(boxInner1 - 1)) --boxInner1;
  std::vector<uint16_t> sums(sampling == Sampling::Box ? static_cast<size_t>(sumLast - sumFirst + 1) * 4 : 0);
  std::vector<int32_t> at(sums.empty() ? 0 : n);
  for (size_t i = 0; i < at.size(); ++i) at[i] = ((xs[i] >> 16) - half - sumFirst) * 4;
  const SampleKernel edgeKernel{box, source.kernelSize, source.kernel};
  std::vector<RAST_pixel> sampled(blend || combine.halfMix ? n : 0);

  for (int64_t j = j0; j < j1; ++j)
  {
    const int64_t y = walk.t + j * walk.dtdy;
    const int y0 = static_cast<int>(y >> 16), fy = static_cast<int>(y & 0xffff);
    RAST_pixel* d = target.dest.Row(static_cast<int>(target.y + j)) + (target.x + k0);
    RAST_pixel* out = sampled.empty() ? d : sampled.data();
    switch (sampling)
    {
      case Sampling::Nearest:
        for (int i = 0; i < n; ++i) out[i] = *box.At(xs[i] >> 16, y0);
        break;
      case Sampling::Bilinear:
      {
        const RAST_pixel* row0 = box.At(0, y0);
        const RAST_pixel* row1 = y0 + 1 < box.maxy ? box.At(0, y0 + 1) : row0;
        for (int i = 0; i < inner0; ++i) out[i] = edgeSampler.Fetch(xs[i], y);
        bilinear.row(row0, row1, x0.data() + inner0, fx.data() + inner0, inner1 - inner0, fy, out + inner0);
        for (int i = inner1; i < n; ++i) out[i] = edgeSampler.Fetch(xs[i], y);
        break;
      }
      case Sampling::Box:
      {
        const int top = y0 - half, bottom = y0 + half;
        if (top < 0 || bottom >= box.maxy)
        {
          for (int i = 0; i < n; ++i) out[i] = edgeKernel.Fetch(xs[i], y);
          break;
        }
        for (int i = 0; i < boxInner0; ++i) out[i] = edgeKernel.Fetch(xs[i], y);
        boxKernels.columns(box.At(0, top), box.step, source.kernelSize, sumFirst, sumLast, sums.data());
        boxKernels.row(sums.data(), at.data() + boxInner0, boxInner1 - boxInner0, source.kernelSize,
                       source.kernelSize * source.kernelSize, out + boxInner0);
        for (int i = boxInner1; i < n; ++i) out[i] = edgeKernel.Fetch(xs[i], y);
        break;
      }
    }
    if (combine.halfMix)
      RAST_RowHalfMix(d, out, n);
    else if (blend)
      blend(d, out, n, combine.weight);
  }
  return true;
}

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
    if (!ScaleByRows(target, walk, source, Sampling::Nearest, RowCombine{true, RAST_Rule::Copy, weight}))
      RAST_ScaledBlit_Impl_HalfMix(target, walk, source, weight);
    return;
  }
  const RAST_Rule rule = RAST_SelectRule(mode, weight);
  if (rule == RAST_Rule::None) return;
  const RowCombine combine{false, rule, weight};

  // Shrinking a lot: a bilinear sample would skip most source pixels, so a
  // box average of them is taken instead.
  if (bilinear && xstep >= 1.7f && ystep >= 1.7f)
  {
    int kernel[25];
    for (int& k : kernel) k = 0x10000;
    source.kernelSize = (walk.dsdx > walk.dtdy ? walk.dsdx : walk.dtdy) > 0x30000 ? 5 : 3;
    source.kernel = kernel;
    if (ScaleByRows(target, walk, source, Sampling::Box, combine)) return;
    kKernelRows[static_cast<int>(rule)](target, walk, source, weight);
    return;
  }
  if (ScaleByRows(target, walk, source, bilinear ? Sampling::Bilinear : Sampling::Nearest, combine)) return;
  kScaledRows[static_cast<int>(rule)](target, walk, source, weight);
}
