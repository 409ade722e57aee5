#include "raster/RAST_Simd.h"

#include "raster/RAST_Blend.h"
#include "raster/RAST_SimdKernels.h"

#include <emmintrin.h>

#include <cwchar>

namespace
{
// ---- SSE2 lanes: four pixels ----

struct V128
{
  using I = __m128i;
  using F = __m128;
  static constexpr int kPixels = 4;

  static I Load(const void* p) { return _mm_loadu_si128(static_cast<const I*>(p)); }
  static void Store(void* p, I v) { _mm_storeu_si128(static_cast<I*>(p), v); }
  static I Repeat(const void* p) { return Load(p); }
  // One 16-byte lane: the addresses for a second lane serve wider sets.
  static void StoreHalves(void* lane0, void*, I v) { Store(lane0, v); }
  static I Load64Halves(const void* lane0, const void*) { return _mm_loadl_epi64(static_cast<const I*>(lane0)); }
  static I Widen64Halves(const void* lane0, const void*)
  {
    return _mm_unpacklo_epi8(_mm_loadl_epi64(static_cast<const I*>(lane0)), _mm_setzero_si128());
  }
  static I LoadFractions(const uint16_t* p) { return _mm_loadl_epi64(reinterpret_cast<const I*>(p)); }
  template <int K>
  static I Spread32(I a) { return _mm_shuffle_epi32(a, K * 0x55); }
  static I Load64Pairs(const void* a, const void* b, const void*, const void*)
  {
    const __m128d lo = _mm_castsi128_pd(_mm_loadl_epi64(static_cast<const I*>(a)));
    return _mm_castpd_si128(_mm_loadh_pd(lo, static_cast<const double*>(b)));
  }
  static F RepeatF(const float* p) { return _mm_loadu_ps(p); }
  static I Zero() { return _mm_setzero_si128(); }
  static I Set16(int v) { return _mm_set1_epi16(static_cast<short>(v)); }
  static I Set32(int v) { return _mm_set1_epi32(v); }
  static F SetF(float v) { return _mm_set1_ps(v); }
  static bool AllSet(I m) { return _mm_movemask_epi8(m) == 0xffff; }
  // Whether every bit of mask is set in x, or none is.
  static bool AllBitsIn(I x, I mask) { return AllSet(_mm_cmpeq_epi32(_mm_and_si128(x, mask), mask)); }
  static bool NoBitsIn(I x, I mask) { return AllSet(_mm_cmpeq_epi32(_mm_and_si128(x, mask), _mm_setzero_si128())); }

  static I And(I a, I b) { return _mm_and_si128(a, b); }
  static I Or(I a, I b) { return _mm_or_si128(a, b); }
  static I Xor(I a, I b) { return _mm_xor_si128(a, b); }
  static I AndNot(I a, I b) { return _mm_andnot_si128(a, b); }  // ~a & b

  static I Add8(I a, I b) { return _mm_add_epi8(a, b); }
  static I Sub8(I a, I b) { return _mm_sub_epi8(a, b); }
  static I AddSatU8(I a, I b) { return _mm_adds_epu8(a, b); }
  static I MaxU8(I a, I b) { return _mm_max_epu8(a, b); }
  static I MinU8(I a, I b) { return _mm_min_epu8(a, b); }
  static I CmpEq8(I a, I b) { return _mm_cmpeq_epi8(a, b); }

  static I Add16(I a, I b) { return _mm_add_epi16(a, b); }
  static I Sub16(I a, I b) { return _mm_sub_epi16(a, b); }
  static I MulLo16(I a, I b) { return _mm_mullo_epi16(a, b); }
  static I MulHiU16(I a, I b) { return _mm_mulhi_epu16(a, b); }
  static I ShrU16(I a, int n) { return _mm_srli_epi16(a, n); }
  static I CmpGt16(I a, I b) { return _mm_cmpgt_epi16(a, b); }
  static I CmpEq16(I a, I b) { return _mm_cmpeq_epi16(a, b); }
  static I Max16(I a, I b) { return _mm_max_epi16(a, b); }
  static I Min16(I a, I b) { return _mm_min_epi16(a, b); }
  static I Madd16(I a, I b) { return _mm_madd_epi16(a, b); }

  static I Add32(I a, I b) { return _mm_add_epi32(a, b); }
  static I Sub32(I a, I b) { return _mm_sub_epi32(a, b); }
  static I CmpGt32(I a, I b) { return _mm_cmpgt_epi32(a, b); }
  static I CmpEq32(I a, I b) { return _mm_cmpeq_epi32(a, b); }
  static I ShrA32(I a, int n) { return _mm_srai_epi32(a, n); }
  static I ShrU32(I a, int n) { return _mm_srli_epi32(a, n); }
  static I Shl32(I a, int n) { return _mm_slli_epi32(a, n); }

  static I Lo8(I a) { return _mm_unpacklo_epi8(a, _mm_setzero_si128()); }
  static I Hi8(I a) { return _mm_unpackhi_epi8(a, _mm_setzero_si128()); }
  static I PackU8(I lo, I hi) { return _mm_packus_epi16(lo, hi); }
  static I Lo16(I a) { return _mm_unpacklo_epi16(a, _mm_setzero_si128()); }
  static I Hi16(I a) { return _mm_unpackhi_epi16(a, _mm_setzero_si128()); }
  static I PackS16(I lo, I hi) { return _mm_packs_epi32(lo, hi); }
  static I InterleaveLo16(I a, I b) { return _mm_unpacklo_epi16(a, b); }
  static I InterleaveHi16(I a, I b) { return _mm_unpackhi_epi16(a, b); }
  // Per pixel, every 16-bit lane set to the pixel's first (alpha) lane.
  static I AlphaLanes16(I a) { return _mm_shufflehi_epi16(_mm_shufflelo_epi16(a, 0), 0); }

  static F ToF(I a) { return _mm_cvtepi32_ps(a); }
  static I TruncF(F a) { return _mm_cvttps_epi32(a); }
  static F MulF(F a, F b) { return _mm_mul_ps(a, b); }
  static F DivF(F a, F b) { return _mm_div_ps(a, b); }
};

constexpr RAST_SimdKernels::RowTable kSse2Rows = RAST_SimdKernels::MakeRowTable<V128>();

// ---- level ----

RAST_SimdLevel& CurrentLevel()
{
  static RAST_SimdLevel level = RAST_SupportedSimdLevel();
  return level;
}

const RAST_SimdKernels::RowTable* Rows()
{
  switch (CurrentLevel())
  {
    case RAST_SimdLevel::Scalar: return nullptr;
    case RAST_SimdLevel::SSE2: return &kSse2Rows;
    case RAST_SimdLevel::AVX2: return &RAST_Avx2Rows();
  }
  return nullptr;
}

// ---- whole-pixel mixes ----

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
  for (; i + 4 <= n; i += 4) V128::Store(d + i, vec(V128::Load(d + i)));
  for (; i < n; ++i) d[i] = scalar(d[i]);
}

// ---- fill constants ----

// Each channel's source value: the colour, and the weight as the alpha.
struct FillChannels
{
  int s[4];
};

template <class Fn>
void Lanes16(RAST_FillSource* f, int row, const FillChannels& c, Fn value)
{
  for (int i = 0; i < 8; ++i) f->lanes16[row][i] = static_cast<int16_t>(value(c.s[i % 4]));
}
}  // namespace

RAST_SimdLevel RAST_SupportedSimdLevel()
{
  static const RAST_SimdLevel supported =
      __builtin_cpu_supports("avx2") ? RAST_SimdLevel::AVX2 : RAST_SimdLevel::SSE2;
  return supported;
}

RAST_SimdLevel RAST_GetSimdLevel() { return CurrentLevel(); }

RAST_SimdLevel RAST_SetSimdLevel(RAST_SimdLevel level)
{
  const RAST_SimdLevel top = RAST_SupportedSimdLevel();
  CurrentLevel() = static_cast<int>(level) > static_cast<int>(top) ? top : level;
  return CurrentLevel();
}

// Long rows go to the C library's fill of 32-bit units, which picks the
// widest stores the processor has, as memset does.
void RAST_RowFill(RAST_pixel* d, int n, RAST_pixel c)
{
  static_assert(sizeof(wchar_t) == sizeof(RAST_pixel), "wmemset fills 32-bit units");
  if (n >= 32)
  {
    std::wmemset(reinterpret_cast<wchar_t*>(d), static_cast<wchar_t>(c), static_cast<size_t>(n));
    return;
  }
  const __m128i v = Splat(c);
  int i = 0;
  for (; i + 4 <= n; i += 4) V128::Store(d + i, v);
  for (; i < n; ++i) d[i] = c;
}

void RAST_RowHalfMix(RAST_pixel* d, const RAST_pixel* s, int n)
{
  const __m128i m1 = Splat(0x7f7f7f7fu);
  int i = 0;
  for (; i + 4 <= n; i += 4)
    V128::Store(d + i, _mm_add_epi32(ShiftBytes<1>(V128::Load(d + i), m1), ShiftBytes<1>(V128::Load(s + i), m1)));
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

RAST_FillRowFn RAST_VectorFillRow(int op, int r, int g, int b, int w, RAST_FillSource* f)
{
  const RAST_SimdKernels::RowTable* rows = Rows();
  if (!rows || w < 1 || w > RAST_WEIGHT_FULL || op < 0 || op >= RAST_BLIT_MODE_COUNT) return nullptr;
  // At full weight the copy functor keeps the low byte of the weight as the
  // alpha (0); the dispatchers fill plainly there instead.
  if (op == RAST_BLIT_MODE_COPY && w == RAST_WEIGHT_FULL) return nullptr;
  const FillChannels c{{w, r, g, b}};
  switch (op)
  {
    case RAST_BLIT_MODE_COPY:
      Lanes16(f, 0, c, [](int s) { return s; });
      Lanes16(f, 1, c, [w](int) { return 256 - w; });
      break;
    case RAST_BLIT_MODE_ADD:
      f->bytes = RAST_RGBA(r * w / 256, g * w / 256, b * w / 256, w * w / 256 > 255 ? 255 : w * w / 256);
      break;
    case RAST_BLIT_MODE_MUL:
      Lanes16(f, 0, c, [w](int s) { return (s * w + (256 - w) * 256) & 0xffff; });
      Lanes16(f, 1, c, [w](int s) { return s * w + (256 - w) * 256 == 65536 ? -1 : 0; });
      break;
    case RAST_BLIT_MODE_DODGE:
      for (int i = 0; i < 4; ++i)
      {
        const int den = 256 - c.s[i] * w / 256;
        f->lanesF[i] = static_cast<float>(den < 1 ? 1 : den);
      }
      break;
    case RAST_BLIT_MODE_OVERLAY:
      for (int i = 0; i < 4; ++i)
      {
        const int s2 = c.s[i] * w + (256 - w) * 128;
        f->lanes32[i] = s2;
        f->lanesF[i] = static_cast<float>(32768 - s2) / 256.0f;
      }
      break;
    default:  // HSV adjust
      f->lanes32[0] = (r + r / 2 - 192) * w / 256;
      f->lanes32[1] = (g - 128) * w / 128;
      f->lanes32[2] = (b - 128) * w / 128;
      f->lanes32[3] = w > 255 ? 255 : w;
      break;
  }
  return rows->fill[op];
}

const RAST_BilinearKernels& RAST_VectorBilinear()
{
  static constexpr RAST_BilinearKernels kNone{};
  const RAST_SimdKernels::RowTable* rows = Rows();
  return rows ? rows->bilinear : kNone;
}

const RAST_BoxKernels& RAST_VectorBox()
{
  static constexpr RAST_BoxKernels kNone{};
  const RAST_SimdKernels::RowTable* rows = Rows();
  return rows ? rows->box : kNone;
}

RAST_BlitRowFn RAST_VectorBlitRow(RAST_Rule rule, int w)
{
  const RAST_SimdKernels::RowTable* rows = Rows();
  if (!rows || w < 1 || w > RAST_WEIGHT_FULL) return nullptr;
  if (w == RAST_WEIGHT_FULL && rule == RAST_Rule::Add) return rows->addFull;
  if (w == RAST_WEIGHT_FULL && rule == RAST_Rule::AddSourceAlpha) return rows->addSourceAlphaFull;
  return rows->blit[static_cast<int>(rule)];
}
