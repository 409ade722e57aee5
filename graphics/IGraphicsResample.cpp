// IGraphics: the resampler that brings artwork stored at twice its size to
// the GUI scale. One formula: destination pixel (i, j) looks at the source
// point (fx, fy) = (i * srcW / dstW, j * srcH / dstH) and averages kx by ky
// bilinear taps spaced one source pixel apart, kx = ceil(srcW / dstW) and
// ky = ceil(srcH / dstH) (1 when enlarging):
//   c = trunc(sum over taps of
//         p00 (1-ax)(1-ay) + p10 ax (1-ay) + p01 (1-ax) ay + p11 ax ay
//       * 1 / (kx ky))
// with ax, ay the fractions of fx and fy, the same for every tap. A source
// pixel at or beyond the width bound or the source height reads as 0.
//
// Each tap's weight is an x part times a y part, so the general case runs
// as two passes: source rows filtered across, then mixed down. When both
// ratios are whole numbers every fraction is 0 and the formula is an exact
// box average of kx by ky pixels; that case, which every start at scale
// 1.0 hits, has a loop of its own that sums the four channels of a pixel
// at once and gives the same bytes. Its 2 x 2 mean is RAST_BoxMean4, the
// one the PNG decoder uses when it halves palette artwork as it reads it.
#include "graphics/IGraphics.h"

#include "graphics/IGraphicsResampleRows.h"
#include "raster/RAST_Bitmap.h"
#include "raster/RAST_Pixel.h"
#include "raster/RAST_Rect.h"
#include "raster/RAST_Simd.h"

#include <emmintrin.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace
{
int Log2IfPowerOfTwo(int n)
{
  int shift = 0;
  while ((1 << shift) < n) ++shift;
  return (1 << shift) == n ? shift : -1;
}

// Whole-number ratios: box averages of kx by ky pixels, which always lie
// inside the source.
void BoxAverage(int srcSpan, int dstSpan, const RAST_pixel* src, RAST_pixel* dst, int dstW, int dstH,
                int kx, int ky)
{
  const int taps = kx * ky;
  const int shift = Log2IfPowerOfTwo(taps);
  const double norm = 1.0 / taps;
  for (int j = 0; j < dstH; ++j)
  {
    const RAST_pixel* top = src + static_cast<ptrdiff_t>(j) * ky * srcSpan;
    RAST_pixel* out = dst + static_cast<ptrdiff_t>(j) * dstSpan;
    if (kx == 2 && ky == 2)
    {
      const RAST_pixel* below = top + srcSpan;
      for (int i = 0; i < dstW; ++i)
      {
        const uint64_t sum = RAST_SpreadLanes(top[2 * i]) + RAST_SpreadLanes(top[2 * i + 1]) +
                             RAST_SpreadLanes(below[2 * i]) + RAST_SpreadLanes(below[2 * i + 1]);
        out[i] = RAST_BoxMean4(sum);
      }
      continue;
    }
    for (int i = 0; i < dstW; ++i)
    {
      uint64_t sum = 0;
      uint32_t wide[4] = {0, 0, 0, 0};
      const bool lanes = taps <= 257;
      for (int dy = 0; dy < ky; ++dy)
      {
        const RAST_pixel* row = top + static_cast<ptrdiff_t>(dy) * srcSpan + static_cast<ptrdiff_t>(i) * kx;
        for (int dx = 0; dx < kx; ++dx)
        {
          if (lanes)
          {
            sum += RAST_SpreadLanes(row[dx]);
          }
          else
          {
            wide[0] += RAST_GETA(row[dx]);
            wide[1] += RAST_GETR(row[dx]);
            wide[2] += RAST_GETG(row[dx]);
            wide[3] += RAST_GETB(row[dx]);
          }
        }
      }
      if (lanes)
        for (int ch = 0; ch < 4; ++ch) wide[ch] = static_cast<uint32_t>(sum >> (16 * ch) & 0xffffu);
      int c[4];
      for (int ch = 0; ch < 4; ++ch)
        c[ch] = shift >= 0 ? static_cast<int>(wide[ch] >> shift) : static_cast<int>(wide[ch] * norm);
      out[i] = RAST_RGBA(c[1], c[2], c[3], c[0]);
    }
  }
}

// The general formula is separable: every tap weighs a source pixel by an
// x part times a y part, so the kx (or ky) taps of a destination column
// (or row) fold into kx + 1 weights of consecutive source columns (rows):
//   sum = sum over m of wy[m] * sum over d of wx[d] * p(x0 + d, y0 + m)
// Rows are filtered across once each and then mixed down.
//
// Both passes run two channels at a time in SSE2 doubles (the x86-64
// baseline), or four at a time in AVX2 doubles where the processor has
// them. Each lane does the scalar sums' very multiplies and adds in the
// same order, so the bytes match the plain loops exactly; a tap that would
// read past the width bound is left out, as a zero term would be.
using ResampleRows::Taps;

Taps TapsOf(double ratio, int k, int count)
{
  Taps out;
  out.span = k + 1;
  out.base.resize(static_cast<size_t>(count));
  out.weight.assign(static_cast<size_t>(count) * out.span, 0.0);
  for (int i = 0; i < count; ++i)
  {
    const double f = ratio * i;
    const int base = static_cast<int>(f);
    const double frac = f - base;
    out.base[static_cast<size_t>(i)] = base;
    double* w = &out.weight[static_cast<size_t>(i) * out.span];
    for (int d = 0; d < k; ++d)
    {
      w[d] += 1.0 - frac;
      w[d + 1] += frac;
    }
  }
  return out;
}

// The four channels of a pixel as doubles: bytes 0 and 1 in lo, 2 and 3 in hi.
inline void Widen(RAST_pixel p, __m128d& lo, __m128d& hi)
{
  const __m128i zero = _mm_setzero_si128();
  const __m128i wide =
      _mm_unpacklo_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(p)), zero), zero);
  lo = _mm_cvtepi32_pd(wide);
  hi = _mm_cvtepi32_pd(_mm_shuffle_epi32(wide, 0xee));
}

// One source row filtered across: out[4 i + ch] for every destination column.
void FilterAcrossSse2(const RAST_pixel* line, int srcBound, const Taps& cols, int dstW, double* out)
{
  const int span = cols.span;
  for (int i = 0; i < dstW; ++i)
  {
    const int base = cols.base[static_cast<size_t>(i)];
    const double* w = &cols.weight[static_cast<size_t>(i) * span];
    int n = srcBound - base;
    if (n > span) n = span;
    __m128d c01 = _mm_setzero_pd(), c23 = _mm_setzero_pd();
    for (int d = 0; d < n; ++d)
    {
      __m128d lo, hi;
      Widen(line[base + d], lo, hi);
      const __m128d wd = _mm_set1_pd(w[d]);
      c01 = _mm_add_pd(c01, _mm_mul_pd(lo, wd));
      c23 = _mm_add_pd(c23, _mm_mul_pd(hi, wd));
    }
    _mm_storeu_pd(out + 4 * i, c01);
    _mm_storeu_pd(out + 4 * i + 2, c23);
  }
}

// One destination row: the filtered rows mixed down, scaled by norm,
// truncated and packed.
void MixDownSse2(const double* const* lines, const double* weights, int count, double norm, int dstW,
             RAST_pixel* out)
{
  const __m128d scale = _mm_set1_pd(norm);
  const __m128i mask = _mm_set1_epi32(255);
  for (int i = 0; i < dstW; ++i)
  {
    __m128d c01 = _mm_setzero_pd(), c23 = _mm_setzero_pd();
    for (int m = 0; m < count; ++m)
    {
      const __m128d wm = _mm_set1_pd(weights[m]);
      c01 = _mm_add_pd(c01, _mm_mul_pd(_mm_loadu_pd(lines[m] + 4 * i), wm));
      c23 = _mm_add_pd(c23, _mm_mul_pd(_mm_loadu_pd(lines[m] + 4 * i + 2), wm));
    }
    const __m128i c = _mm_and_si128(_mm_unpacklo_epi64(_mm_cvttpd_epi32(_mm_mul_pd(c01, scale)),
                                                       _mm_cvttpd_epi32(_mm_mul_pd(c23, scale))),
                                    mask);
    const __m128i bytes = _mm_packus_epi16(_mm_packs_epi32(c, c), c);
    out[i] = static_cast<RAST_pixel>(_mm_cvtsi128_si32(bytes));
  }
}
}  // namespace

void IGraphics::ResampleBitmapData(int srcSpan, int srcBound, int dstSpan, int dstBound,
                                   const RAST_pixel* src, RAST_pixel* dst, int srcW, int srcH, int dstW,
                                   int dstH)
{
  if (!src || !dst || srcW < 1 || srcH < 1 || dstW < 1 || dstH < 1) return;
  if (dstW > dstBound) dstW = dstBound;
  if (dstW < 1) return;
  const double sx = static_cast<double>(srcW) / dstW;
  const double sy = static_cast<double>(srcH) / dstH;
  int kx = static_cast<int>(sx + 0.99999999999);
  int ky = static_cast<int>(sy + 0.99999999999);
  if (kx < 0) kx = 0;
  if (ky < 0) ky = 0;

  if (srcW % dstW == 0 && srcH % dstH == 0 && srcW <= srcBound)
  {
    BoxAverage(srcSpan, dstSpan, src, dst, dstW, dstH, kx, ky);
    return;
  }

  const double norm = kx * ky != 0 ? 1.0 / (kx * ky) : 1.0;
  const bool wide = RAST_GetSimdLevel() == RAST_SimdLevel::AVX2;
  const ResampleRows::FilterAcrossFn filterAcross = wide ? &ResampleRows::FilterAcrossAvx2 : &FilterAcrossSse2;
  const ResampleRows::MixDownFn mixDown = wide ? &ResampleRows::MixDownAvx2 : &MixDownSse2;
  const Taps cols = TapsOf(sx, kx, dstW);
  const Taps rows = TapsOf(sy, ky, dstH);
  // Source rows filtered across, four channels a column, in a ring of
  // ky + 1 rows: the rows one destination row needs never share a slot.
  const int ring = ky + 1;
  const size_t rowDoubles = static_cast<size_t>(dstW) * 4;
  std::vector<double> across(static_cast<size_t>(ring) * rowDoubles);
  std::vector<int> held(static_cast<size_t>(ring), -1);
  std::vector<const double*> lines(static_cast<size_t>(rows.span));
  std::vector<double> weights(static_cast<size_t>(rows.span));
  for (int j = 0; j < dstH; ++j)
  {
    const int base = rows.base[static_cast<size_t>(j)];
    const double* w = &rows.weight[static_cast<size_t>(j) * rows.span];
    // Rows past the source and taps of weight 0 add nothing: left out.
    int count = 0;
    for (int m = 0; m < rows.span; ++m)
    {
      const int y = base + m;
      if (y >= srcH || w[m] == 0.0) continue;
      double* line = &across[static_cast<size_t>(y % ring) * rowDoubles];
      if (held[static_cast<size_t>(y % ring)] != y)
      {
        held[static_cast<size_t>(y % ring)] = y;
        filterAcross(src + static_cast<ptrdiff_t>(y) * srcSpan, srcBound, cols, dstW, line);
      }
      lines[static_cast<size_t>(count)] = line;
      weights[static_cast<size_t>(count)] = w[m];
      ++count;
    }
    mixDown(lines.data(), weights.data(), count, norm, dstW, dst + static_cast<ptrdiff_t>(j) * dstSpan);
  }
}

void IGraphics::ResampleBitmap(RAST_IBitmap* src, RAST_IBitmap* dst, int nStates, bool framesAreHoriz)
{
  if (!src || !dst || !src->getBits() || !dst->getBits()) return;
  const int srcW = src->getWidth(), srcH = src->getHeight();
  const int dstW = dst->getWidth(), dstH = dst->getHeight();
  const int srcSpan = src->getRowSpan(), dstSpan = dst->getRowSpan();
  const RAST_pixel* s = src->getBits();
  RAST_pixel* d = dst->getBits();
  if (nStates < 2)
  {
    ResampleBitmapData(srcSpan, srcW, dstSpan, dstW, s, d, srcW, srcH, dstW, dstH);
    return;
  }
  // Each frame on its own, so no frame bleeds into the next; the extra
  // pixel between destination frames stays clear.
  RAST_Clear(dst, 0);
  const int n = nStates;
  for (int i = 0; i < n; ++i)
  {
    if (framesAreHoriz)
    {
      const int sx = static_cast<int>(static_cast<double>(srcW) * i / n + 0.5);
      const int dx = static_cast<int>(static_cast<double>(dstW) * i / n + 0.5);
      // The width bound is the rest of the source: a frame's last column
      // may blend with the next frame's first.
      ResampleBitmapData(srcSpan, srcW - sx, dstSpan, dstW - dx, s + sx, d + dx, srcW / n, srcH,
                         (dstW - n) / n, dstH);
    }
    else
    {
      const int sy = static_cast<int>(static_cast<double>(srcH) * i / n + 0.5);
      const int dy = static_cast<int>(static_cast<double>(dstH) * i / n + 0.5);
      ResampleBitmapData(srcSpan, srcW, dstSpan, dstW, s + static_cast<ptrdiff_t>(sy) * srcSpan,
                         d + static_cast<ptrdiff_t>(dy) * dstSpan, srcW, srcH / n, dstW, (dstH - n) / n);
    }
  }
}
