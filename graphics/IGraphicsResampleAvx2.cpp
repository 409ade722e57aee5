// The resampler's row passes on AVX2 lanes: the four channels of a pixel in
// one register of doubles. This file alone is built for AVX2 (and not for
// fused multiply-adds, which would round once where the reference rounds
// twice); IGraphicsResample.cpp reaches it only when the processor has the
// set.
#include "graphics/IGraphicsResampleRows.h"

#include <immintrin.h>

#include <cstddef>

namespace
{
// The four channels of a pixel as doubles, in byte order.
inline __m256d Widen(RAST_pixel p)
{
  return _mm256_cvtepi32_pd(_mm_cvtepu8_epi32(_mm_cvtsi32_si128(static_cast<int>(p))));
}

// The sum starts at 0, and 0 + x is x exactly for the products here (none
// is -0), so the first product stands for the first sum.
inline __m256d Weigh(__m256d channels, const double* w) { return _mm256_mul_pd(channels, _mm256_broadcast_sd(w)); }

inline __m256d AddWeighed(__m256d sum, __m256d channels, const double* w)
{
  return _mm256_add_pd(sum, Weigh(channels, w));
}
}  // namespace

namespace ResampleRows
{
void FilterAcrossAvx2(const RAST_pixel* line, int srcBound, const Taps& cols, int dstW, double* out)
{
  const int span = cols.span;
  const int* base = cols.base.data();
  const double* w = cols.weight.data();
  for (int i = 0; i < dstW; ++i, w += span)
  {
    const RAST_pixel* p = line + base[i];
    int n = srcBound - base[i];
    if (n > span) n = span;
    __m256d c = _mm256_setzero_pd();
    if (n == 3)
    {
      // Three taps, the case of every shrink by less than half: written out,
      // so the pixels' sums overlap in the pipeline instead of waiting on a
      // loop.
      c = AddWeighed(AddWeighed(Weigh(Widen(p[0]), w), Widen(p[1]), w + 1), Widen(p[2]), w + 2);
    }
    else
    {
      for (int d = 0; d < n; ++d) c = AddWeighed(c, Widen(p[d]), w + d);
    }
    _mm256_storeu_pd(out + 4 * static_cast<ptrdiff_t>(i), c);
  }
}

void MixDownAvx2(const double* const* lines, const double* weights, int count, double norm, int dstW,
                 RAST_pixel* out)
{
  const __m256d scale = _mm256_set1_pd(norm);
  const __m128i mask = _mm_set1_epi32(255);
  for (int i = 0; i < dstW; ++i)
  {
    const ptrdiff_t at = 4 * static_cast<ptrdiff_t>(i);
    __m256d c = _mm256_setzero_pd();
    if (count == 3)
    {
      c = AddWeighed(AddWeighed(Weigh(_mm256_loadu_pd(lines[0] + at), weights), _mm256_loadu_pd(lines[1] + at),
                                weights + 1),
                     _mm256_loadu_pd(lines[2] + at), weights + 2);
    }
    else if (count == 2)
    {
      c = AddWeighed(Weigh(_mm256_loadu_pd(lines[0] + at), weights), _mm256_loadu_pd(lines[1] + at), weights + 1);
    }
    else
    {
      for (int m = 0; m < count; ++m) c = AddWeighed(c, _mm256_loadu_pd(lines[m] + at), weights + m);
    }
    const __m128i v = _mm_and_si128(_mm256_cvttpd_epi32(_mm256_mul_pd(c, scale)), mask);
    out[i] = static_cast<RAST_pixel>(_mm_cvtsi128_si32(_mm_packus_epi16(_mm_packs_epi32(v, v), v)));
  }
}
}  // namespace ResampleRows
