#include "raster/RAST_Simd.h"

#include "raster/RAST_Blend.h"

#include <emmintrin.h>

namespace
{
inline __m128i Load(const RAST_pixel* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
inline void Store(RAST_pixel* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }
inline __m128i Splat(RAST_pixel c) { return _mm_set1_epi32(static_cast<int>(c)); }

// (v >> shift) & mask per 32-bit lane: with mask 0x7f7f7f7f or 0x3f3f3f3f it
// is each byte shifted on its own, as in the scalar mixes.
template <int Shift>
inline __m128i ShiftBytes(__m128i v, __m128i mask)
{
  return _mm_and_si128(_mm_srli_epi32(v, Shift), mask);
}

// Applies a whole-pixel mix with a fixed colour: d = f(d) + k, four pixels at a
// time, the tail through the scalar form.
template <class Vector, class Scalar>
void MixColorRow(RAST_pixel* d, int n, Vector vec, Scalar scalar)
{
  int i = 0;
  for (; i + 4 <= n; i += 4) Store(d + i, vec(Load(d + i)));
  for (; i < n; ++i) d[i] = scalar(d[i]);
}
}  // namespace

void RAST_RowFill(RAST_pixel* d, int n, RAST_pixel c)
{
  const __m128i v = Splat(c);
  int i = 0;
  for (; i + 16 <= n; i += 16)
  {
    Store(d + i, v);
    Store(d + i + 4, v);
    Store(d + i + 8, v);
    Store(d + i + 12, v);
  }
  for (; i + 4 <= n; i += 4) Store(d + i, v);
  for (; i < n; ++i) d[i] = c;
}

void RAST_RowHalfMix(RAST_pixel* d, const RAST_pixel* s, int n)
{
  const __m128i m1 = Splat(0x7f7f7f7fu);
  int i = 0;
  for (; i + 4 <= n; i += 4)
    Store(d + i, _mm_add_epi32(ShiftBytes<1>(Load(d + i), m1), ShiftBytes<1>(Load(s + i), m1)));
  for (; i < n; ++i) d[i] = RAST_HalfMix(d[i], s[i]);
}

void RAST_RowQuarterMixColor(RAST_pixel* d, int n, RAST_pixel c)
{
  const __m128i m1 = Splat(0x7f7f7f7fu), m2 = Splat(0x3f3f3f3fu);
  const __m128i k = Splat((c >> 2) & 0x3f3f3f3fu);
  MixColorRow(
      d, n,
      [&](__m128i p) { return _mm_add_epi32(_mm_add_epi32(ShiftBytes<2>(p, m2), ShiftBytes<1>(p, m1)), k); },
      [c](RAST_pixel p) { return RAST_QuarterMix(p, c); });
}

void RAST_RowHalfMixColor(RAST_pixel* d, int n, RAST_pixel c)
{
  const __m128i m1 = Splat(0x7f7f7f7fu);
  const __m128i k = Splat((c >> 1) & 0x7f7f7f7fu);
  MixColorRow(
      d, n, [&](__m128i p) { return _mm_add_epi32(ShiftBytes<1>(p, m1), k); },
      [c](RAST_pixel p) { return RAST_HalfMix(p, c); });
}

void RAST_RowThreeQuarterMixColor(RAST_pixel* d, int n, RAST_pixel c)
{
  const __m128i m2 = Splat(0x3f3f3f3fu);
  const __m128i k = Splat(((c >> 2) & 0x3f3f3f3fu) + ((c >> 1) & 0x7f7f7f7fu));
  MixColorRow(
      d, n, [&](__m128i p) { return _mm_add_epi32(ShiftBytes<2>(p, m2), k); },
      [c](RAST_pixel p) { return RAST_ThreeQuarterMix(p, c); });
}

// Per colour byte: s + ((d - s) * (255 - a)) / 256 with the division rounding
// toward zero, computed as s + q when d >= s and s - q otherwise, where
// q = (|d - s| * (255 - a)) >> 8. |d - s| * (255 - a) <= 255 * 255 fits an
// unsigned 16-bit lane. Alpha: min(d + a, 255) by a saturating add. Pixels with
// a = 0 keep the destination; a = 255 falls out of the formula (q = 0, alpha
// saturates), and a group of four opaque or four clear pixels skips the
// arithmetic.
void RAST_RowCopySourceAlphaFull(RAST_pixel* d, const RAST_pixel* s, int n)
{
  const __m128i alphaMask = Splat(0xffu);
  const __m128i zero = _mm_setzero_si128();
  const __m128i ones = _mm_set1_epi32(-1);
  int i = 0;
  for (; i + 4 <= n; i += 4)
  {
    const __m128i src = Load(s + i);
    const __m128i a = _mm_and_si128(src, alphaMask);
    const __m128i clear = _mm_cmpeq_epi32(a, zero);
    const int clearBits = _mm_movemask_epi8(clear);
    if (clearBits == 0xffff) continue;
    if (_mm_movemask_epi8(_mm_cmpeq_epi32(a, alphaMask)) == 0xffff)
    {
      Store(d + i, src);
      continue;
    }
    const __m128i dst = Load(d + i);

    const __m128i a2 = _mm_or_si128(a, _mm_slli_epi32(a, 8));
    const __m128i keep = _mm_xor_si128(_mm_or_si128(a2, _mm_slli_epi32(a2, 16)), ones);  // 255 - a
    const __m128i hi = _mm_max_epu8(src, dst);
    const __m128i diff = _mm_sub_epi8(hi, _mm_min_epu8(src, dst));
    const __m128i rising = _mm_cmpeq_epi8(hi, dst);  // d >= s

    const __m128i qLo = _mm_srli_epi16(
        _mm_mullo_epi16(_mm_unpacklo_epi8(diff, zero), _mm_unpacklo_epi8(keep, zero)), 8);
    const __m128i qHi = _mm_srli_epi16(
        _mm_mullo_epi16(_mm_unpackhi_epi8(diff, zero), _mm_unpackhi_epi8(keep, zero)), 8);
    const __m128i q = _mm_packus_epi16(qLo, qHi);
    const __m128i mixed = _mm_or_si128(_mm_and_si128(rising, _mm_add_epi8(src, q)),
                                       _mm_andnot_si128(rising, _mm_sub_epi8(src, q)));

    const __m128i alpha = _mm_and_si128(_mm_adds_epu8(dst, a), alphaMask);
    __m128i out = _mm_or_si128(_mm_andnot_si128(alphaMask, mixed), alpha);
    if (clearBits) out = _mm_or_si128(_mm_and_si128(clear, dst), _mm_andnot_si128(clear, out));
    Store(d + i, out);
  }
  for (; i < n; ++i)
  {
    const RAST_pixel p = s[i];
    RAST_BlendCopySourceAlphaFull::Apply(d + i, RAST_GETR(p), RAST_GETG(p), RAST_GETB(p), RAST_GETA(p),
                                         RAST_WEIGHT_MAX);
  }
}
