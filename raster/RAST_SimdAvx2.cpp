// The kernels of RAST_SimdKernels.h on AVX2 lanes: eight pixels at a time.
// This file alone is built for AVX2; it is reached only through the tables
// below, which RAST_Simd.cpp hands out when the processor has the set.
#include "raster/RAST_SimdKernels.h"

#include <immintrin.h>

namespace
{
struct V256
{
  using I = __m256i;
  using F = __m256;
  static constexpr int kPixels = 8;

  static I Load(const void* p) { return _mm256_loadu_si256(static_cast<const I*>(p)); }
  static void Store(void* p, I v) { _mm256_storeu_si256(static_cast<I*>(p), v); }
  static I Repeat(const void* p)
  {
    return _mm256_broadcastsi128_si256(_mm_loadu_si128(static_cast<const __m128i*>(p)));
  }
  static void StoreHalves(void* lane0, void* lane1, I v)
  {
    _mm256_storeu2_m128i(static_cast<__m128i*>(lane1), static_cast<__m128i*>(lane0), v);
  }
  static I Load64Halves(const void* lane0, const void* lane1)
  {
    return _mm256_inserti128_si256(_mm256_castsi128_si256(_mm_loadl_epi64(static_cast<const __m128i*>(lane0))),
                                   _mm_loadl_epi64(static_cast<const __m128i*>(lane1)), 1);
  }
  // Lo8(Load64Halves(lane0, lane1)) in one widening of both halves.
  static I Widen64Halves(const void* lane0, const void* lane1)
  {
    const __m128d lo = _mm_castsi128_pd(_mm_loadl_epi64(static_cast<const __m128i*>(lane0)));
    return _mm256_cvtepu8_epi16(_mm_castpd_si128(_mm_loadh_pd(lo, static_cast<const double*>(lane1))));
  }
  // Fractions 0..3 in the first lane's low half, 4..7 in the second's.
  static I LoadFractions(const uint16_t* p) { return Load64Halves(p, p + 4); }
  template <int K>
  static I Spread32(I a) { return _mm256_shuffle_epi32(a, K * 0x55); }
  static I Load64Pairs(const void* a, const void* b, const void* c, const void* d)
  {
    auto pair = [](const void* x, const void* y) {
      const __m128d lo = _mm_castsi128_pd(_mm_loadl_epi64(static_cast<const __m128i*>(x)));
      return _mm_castpd_si128(_mm_loadh_pd(lo, static_cast<const double*>(y)));
    };
    return _mm256_set_m128i(pair(c, d), pair(a, b));
  }
  static F RepeatF(const float* p) { return _mm256_broadcast_ps(reinterpret_cast<const __m128*>(p)); }
  static I Zero() { return _mm256_setzero_si256(); }
  static I Set16(int v) { return _mm256_set1_epi16(static_cast<short>(v)); }
  static I Set32(int v) { return _mm256_set1_epi32(v); }
  static F SetF(float v) { return _mm256_set1_ps(v); }
  static bool AllSet(I m) { return _mm256_movemask_epi8(m) == -1; }
  // Whether every bit of mask is set in x, or none is.
  static bool AllBitsIn(I x, I mask) { return _mm256_testc_si256(x, mask) != 0; }
  static bool NoBitsIn(I x, I mask) { return _mm256_testz_si256(x, mask) != 0; }

  static I And(I a, I b) { return _mm256_and_si256(a, b); }
  static I Or(I a, I b) { return _mm256_or_si256(a, b); }
  static I Xor(I a, I b) { return _mm256_xor_si256(a, b); }
  static I AndNot(I a, I b) { return _mm256_andnot_si256(a, b); }  // ~a & b

  static I Add8(I a, I b) { return _mm256_add_epi8(a, b); }
  static I Sub8(I a, I b) { return _mm256_sub_epi8(a, b); }
  static I AddSatU8(I a, I b) { return _mm256_adds_epu8(a, b); }
  static I MaxU8(I a, I b) { return _mm256_max_epu8(a, b); }
  static I MinU8(I a, I b) { return _mm256_min_epu8(a, b); }
  static I CmpEq8(I a, I b) { return _mm256_cmpeq_epi8(a, b); }

  static I Add16(I a, I b) { return _mm256_add_epi16(a, b); }
  static I Sub16(I a, I b) { return _mm256_sub_epi16(a, b); }
  static I MulLo16(I a, I b) { return _mm256_mullo_epi16(a, b); }
  static I MulHiU16(I a, I b) { return _mm256_mulhi_epu16(a, b); }
  static I ShrU16(I a, int n) { return _mm256_srli_epi16(a, n); }
  static I CmpGt16(I a, I b) { return _mm256_cmpgt_epi16(a, b); }
  static I CmpEq16(I a, I b) { return _mm256_cmpeq_epi16(a, b); }
  static I Max16(I a, I b) { return _mm256_max_epi16(a, b); }
  static I Min16(I a, I b) { return _mm256_min_epi16(a, b); }
  static I Madd16(I a, I b) { return _mm256_madd_epi16(a, b); }

  static I Add32(I a, I b) { return _mm256_add_epi32(a, b); }
  static I Sub32(I a, I b) { return _mm256_sub_epi32(a, b); }
  static I CmpGt32(I a, I b) { return _mm256_cmpgt_epi32(a, b); }
  static I CmpEq32(I a, I b) { return _mm256_cmpeq_epi32(a, b); }
  static I ShrA32(I a, int n) { return _mm256_srai_epi32(a, n); }
  static I ShrU32(I a, int n) { return _mm256_srli_epi32(a, n); }
  static I Shl32(I a, int n) { return _mm256_slli_epi32(a, n); }

  static I Lo8(I a) { return _mm256_unpacklo_epi8(a, _mm256_setzero_si256()); }
  static I Hi8(I a) { return _mm256_unpackhi_epi8(a, _mm256_setzero_si256()); }
  static I PackU8(I lo, I hi) { return _mm256_packus_epi16(lo, hi); }
  static I Lo16(I a) { return _mm256_unpacklo_epi16(a, _mm256_setzero_si256()); }
  static I Hi16(I a) { return _mm256_unpackhi_epi16(a, _mm256_setzero_si256()); }
  static I PackS16(I lo, I hi) { return _mm256_packs_epi32(lo, hi); }
  static I InterleaveLo16(I a, I b) { return _mm256_unpacklo_epi16(a, b); }
  static I InterleaveHi16(I a, I b) { return _mm256_unpackhi_epi16(a, b); }
  // Per pixel, every 16-bit lane set to the pixel's first (alpha) lane.
  static I AlphaLanes16(I a) { return _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(a, 0), 0); }

  static F ToF(I a) { return _mm256_cvtepi32_ps(a); }
  static I TruncF(F a) { return _mm256_cvttps_epi32(a); }
  static F MulF(F a, F b) { return _mm256_mul_ps(a, b); }
  static F DivF(F a, F b) { return _mm256_div_ps(a, b); }
};

constexpr RAST_SimdKernels::RowTable kAvx2Rows = RAST_SimdKernels::MakeRowTable<V256>();
}  // namespace

const RAST_SimdKernels::RowTable& RAST_Avx2Rows() { return kAvx2Rows; }
