// Internal to the raster library: the vector forms of the combine rules and
// the scaled samplers, written once over a lane set V and compiled once per
// instruction set (RAST_Simd.cpp for SSE2, RAST_SimdAvx2.cpp for AVX2).
//
// Every definition here is a template over V, and each file defines its V in
// an unnamed namespace, so no function compiled for the wider set can stand in
// for one of the baseline set at link time.
//
// V offers, on vectors I of integer lanes and F of float lanes, V::kPixels
// pixels wide: memory (Load, Store, Repeat, a 16-byte pattern repeated), 8-,
// 16- and 32-bit lane arithmetic named by width, widening of the low and high
// halves (Lo8, Hi8 to 16 bits; Lo16, Hi16 to 32) and the narrowing that undoes
// it (PackU8 from 16 bits with unsigned saturation, PackS16 from 32 with
// signed), and float conversion. Widening and narrowing work within each
// 16-byte lane, so a widen-compute-narrow round trip keeps pixels in place at
// any width.
//
// Index:
//   ---- helpers ----         the source alpha as a weight, signed division
//   ---- per-channel rules --- copy, add, multiply, dodge, overlay
//   ---- HSV adjust ----
//   ---- rows ----            blit and fill loops with their tails
//   ---- scaled sampling ---- the bilinear and box passes
//   ---- the kernels of one lane set ----
#pragma once

#include "raster/RAST_Pixel.h"
#include "raster/RAST_Simd.h"

#include <cstdint>
#include <cstring>
#include <type_traits>

namespace RAST_SimdKernels
{
// ---- helpers ----

// w2 = ((a + 1) * w) / 256 on 16-bit lanes, for a within 0..255 and w within
// 0..256. (a + 1) * w reaches 65536, one past a lane, so it is formed as
// a * w + w with the low byte of a * w carried separately.
template <class V>
typename V::I SourceWeight16(typename V::I a16, typename V::I w16)
{
  const typename V::I aw = V::MulLo16(a16, w16);
  const typename V::I low = V::And(aw, V::Set16(255));
  return V::Add16(V::ShrU16(aw, 8), V::ShrU16(V::Add16(low, w16), 8));
}

// x / 2^Bits on 32-bit lanes, rounding toward zero as C++ division does.
template <class V, int Bits>
typename V::I DivPow2(typename V::I x)
{
  const typename V::I bias = V::And(V::ShrA32(x, 31), V::Set32((1 << Bits) - 1));
  return V::ShrA32(V::Add32(x, bias), Bits);
}

// Keep where mask is set, else take x.
template <class V>
typename V::I KeepWhere(typename V::I mask, typename V::I keep, typename V::I x)
{
  return V::Or(V::And(mask, keep), V::AndNot(mask, x));
}

// ---- per-channel rules ----
// Each works on 16-bit lanes: d the destination byte, s the source value, w
// the weight (the per-pixel w2 in the source-alpha forms), all within the
// ranges the dispatchers give: d and s within 0..255 for blits, w within
// 0..256. Results are narrowed with unsigned saturation, which is the
// rule's clamp wherever it has one.

// Copy: d = s + ((d - s) * k) / 256, k = 256 - w, rounding toward zero, as
// s + sign(d - s) * ((|d - s| * k) >> 8); |d - s| * k stays within 16 bits.
template <class V>
typename V::I CopyMix16(typename V::I d, typename V::I s, typename V::I k)
{
  using I = typename V::I;
  const I diff = V::Sub16(d, s);
  const I neg = V::CmpGt16(V::Zero(), diff);
  const I mag = V::Sub16(V::Xor(diff, neg), neg);
  const I q = V::ShrU16(V::MulLo16(mag, k), 8);
  return V::Add16(s, V::Sub16(V::Xor(q, neg), neg));
}

// Add: d = min(d + (s * w) / 256, 255); s * w stays within 16 bits.
template <class V>
typename V::I AddTerm16(typename V::I s, typename V::I w)
{
  return V::ShrU16(V::MulLo16(s, w), 8);
}

// Multiply: d = (d * factor) >> 16, factor = s * w + (256 - w) * 256
// = 65536 - w * (256 - s). Taken modulo 65536 the factor fits a lane and
// the high half of the product is the result, except at factor 65536
// (w = 0, or s = 256 in a fill's alpha), where d stays and the caller keeps d.
template <class V>
typename V::I MultiplyFactor16(typename V::I s, typename V::I w)
{
  return V::Sub16(V::Zero(), V::MulLo16(w, V::Sub16(V::Set16(256), s)));
}

// Colour dodge on 32-bit lanes: d = min(d * 256 / den, 255) with den at least
// 1 (den below 2 gives d * 256, which the clamp makes 255 unless d is 0). The
// single-precision quotient truncates exactly: below 256 an inexact quotient
// lies at least 1/den from an integer, far more than its rounding error.
template <class V>
typename V::I Dodge32(typename V::I d32, typename V::F den)
{
  return V::TruncF(V::DivF(V::ToF(V::Shl32(d32, 8)), den));
}

// The divisor of colour dodge on 16-bit lanes: 256 - (s * w) / 256, at least
// 1 for s within 0..255.
template <class V>
typename V::I DodgeDivisor16(typename V::I s, typename V::I w)
{
  return V::Sub16(V::Set16(256), V::ShrU16(V::MulLo16(s, w), 8));
}

// Overlay on 32-bit lanes, with A = 32768 - s2 = w * (128 - s) given as A / 256
// and s2 = s * w + (256 - w) * 128:
//   t = (A * d) / 256 + s2 (rounding toward zero), d = clamp((t * d) >> 15).
// Every product stays below 2^24, so single precision holds it exactly, and
// scaling by a power of two is exact; t is never negative.
template <class V>
typename V::I Overlay32(typename V::I d32, typename V::F aOver256, typename V::I s2)
{
  const typename V::F d = V::ToF(d32);
  const typename V::I t = V::Add32(V::TruncF(V::MulF(aOver256, d)), s2);
  return V::TruncF(V::MulF(V::MulF(V::ToF(t), d), V::SetF(1.0f / 32768.0f)));
}

// ---- HSV adjust ----
// One pixel per 32-bit lane. The pixel's hue h (0..383, six sectors of 64),
// saturation and value are computed as the scalar rule does with its
// reciprocal table, whose entries floor(65536 / x) come from an exact
// single-precision quotient; then the hue turns by hue, and the saturation and
// value change by sat and val, and the pixel is rebuilt with alpha.
template <class V>
typename V::I HsvAdjust(typename V::I px, typename V::I hue, typename V::I sat, typename V::I val,
                        typename V::I alpha)
{
  using I = typename V::I;
  using F = typename V::F;
  const I byte = V::Set32(255);
  const I R = V::And(V::ShrU32(px, 8), byte), G = V::And(V::ShrU32(px, 16), byte), B = V::ShrU32(px, 24);
  const I maxc = V::Max16(V::Max16(R, G), B);
  const I delta = V::Sub32(maxc, V::Min16(V::Min16(R, G), B));

  // Green above both (c1), else red at least green and above blue (c2), else
  // blue the largest.
  const I c1 = V::And(V::CmpGt32(G, R), V::CmpGt32(G, B));
  const I c2 = V::AndNot(V::CmpGt32(G, R), V::CmpGt32(R, B));
  const I num = KeepWhere<V>(c1, V::Sub32(B, R), KeepWhere<V>(c2, V::Sub32(G, B), V::Sub32(R, G)));
  const I baseC2 = V::And(V::CmpGt32(B, G), V::Set32(383));  // 0 when G >= B
  const I base = KeepWhere<V>(c1, V::Set32(128), KeepWhere<V>(c2, baseC2, V::Set32(256)));

  const I one = V::Set32(1);
  const F k65536 = V::SetF(65536.0f);
  // h = base + (num * floor(65536 / delta)) / 1024; num is 0 when delta is.
  const I recipDelta = V::TruncF(V::DivF(k65536, V::ToF(V::Max16(delta, one))));
  I h = V::Add32(base, V::TruncF(V::MulF(V::MulF(V::ToF(num), V::ToF(recipDelta)), V::SetF(1.0f / 1024.0f))));
  // s = (delta * (floor(65536 / max) - 1)) / 256.
  const I recipMax = V::Sub32(V::TruncF(V::DivF(k65536, V::ToF(V::Max16(maxc, one)))), one);
  I s = V::TruncF(V::MulF(V::MulF(V::ToF(delta), V::ToF(recipMax)), V::SetF(1.0f / 256.0f)));

  // The turn stays within one revolution for the dispatchers' inputs.
  h = V::Add32(h, hue);
  h = V::Add32(h, V::And(V::CmpGt32(V::Zero(), h), V::Set32(384)));
  h = V::Sub32(h, V::And(V::CmpGt32(h, V::Set32(383)), V::Set32(384)));
  auto clamp255 = [&](I x) {
    x = V::AndNot(V::ShrA32(x, 31), x);
    return KeepWhere<V>(V::CmpGt32(x, byte), byte, x);
  };
  s = clamp255(V::Add32(s, sat));
  const I v = clamp255(V::Add32(maxc, val));

  // P = v * (256 - s) >> 8; Q = v * (16384 - k * s) >> 14 with k the
  // distance into the sector, rising in odd sectors and falling in even ones.
  const I P = V::ShrU32(V::MulLo16(v, V::Sub32(V::Set32(256), s)), 8);
  const I into = V::And(h, V::Set32(63));
  const I odd = V::CmpEq32(V::And(h, V::Set32(64)), V::Set32(64));
  const I k = KeepWhere<V>(odd, into, V::Sub32(V::Set32(64), into));
  const I Q = V::ShrU32(V::Madd16(v, V::Sub32(V::Set32(16384), V::MulLo16(k, s))), 14);

  const I lt64 = V::CmpGt32(V::Set32(64), h), lt128 = V::CmpGt32(V::Set32(128), h);
  const I lt192 = V::CmpGt32(V::Set32(192), h), lt256 = V::CmpGt32(V::Set32(256), h);
  const I lt320 = V::CmpGt32(V::Set32(320), h);
  // Sectors 0..5 as (red, green, blue): (v,Q,P) (Q,v,P) (P,v,Q) (P,Q,v) (Q,P,v) (v,P,Q).
  const I sec0 = lt64, sec1 = V::AndNot(lt64, lt128), sec2 = V::AndNot(lt128, lt192);
  const I sec3 = V::AndNot(lt192, lt256), sec4 = V::AndNot(lt256, lt320), sec5 = V::AndNot(lt320, V::Set32(-1));
  auto pick = [&](I vMask, I qMask) { return KeepWhere<V>(vMask, v, KeepWhere<V>(qMask, Q, P)); };
  const I red = pick(V::Or(sec0, sec5), V::Or(sec1, sec4));
  const I green = pick(V::Or(sec1, sec2), V::Or(sec0, sec3));
  const I blue = pick(V::Or(sec3, sec4), V::Or(sec2, sec5));
  return V::Or(V::Or(alpha, V::Shl32(red, 8)), V::Or(V::Shl32(green, 16), V::Shl32(blue, 24)));
}

// The adjustment a source pixel gives at weight w (32-bit lanes, one pixel
// each): hue turn ((r + r / 2 - 192) * w) / 256, saturation and value changes
// ((g - 128) * w) / 128 and ((b - 128) * w) / 128, all rounding toward zero.
template <class V>
typename V::I HsvAdjustBySource(typename V::I d, typename V::I s, typename V::I w)
{
  using I = typename V::I;
  const I byte = V::Set32(255);
  const I r = V::And(V::ShrU32(s, 8), byte), g = V::And(V::ShrU32(s, 16), byte), b = V::ShrU32(s, 24);
  const I turn = V::Sub32(V::Add32(r, V::ShrU32(r, 1)), V::Set32(192));
  const I hue = DivPow2<V, 8>(V::Madd16(turn, w));
  const I sat = DivPow2<V, 7>(V::Madd16(V::Sub32(g, V::Set32(128)), w));
  const I val = DivPow2<V, 7>(V::Madd16(V::Sub32(b, V::Set32(128)), w));
  return HsvAdjust<V>(d, hue, sat, val, V::And(s, byte));
}

// ---- rows ----

// The rule as a whole-block operation: Blit(d, s, w16) with w16 the weight on
// every 16-bit lane, and Fill(d, source) from the fill's constants.
// SourceAlpha forms weight each pixel by w2 = ((a + 1) * w) / 256.
//
// A per-channel rule states itself once, as Half(d16, s16, w16) on two pixels
// widened to 16-bit lanes; its Blit and its source-alpha form both run that.

template <class Rule>
struct ByHalves
{
  template <class V>
  static typename V::I Blit(typename V::I d, typename V::I s, typename V::I w16)
  {
    return V::PackU8(Rule::template Half<V>(V::Lo8(d), V::Lo8(s), w16),
                     Rule::template Half<V>(V::Hi8(d), V::Hi8(s), w16));
  }
};

struct RuleCopy : ByHalves<RuleCopy>
{
  template <class V>
  static typename V::I Half(typename V::I d16, typename V::I s16, typename V::I w16)
  {
    return CopyMix16<V>(d16, s16, V::Sub16(V::Set16(256), w16));
  }
  // lanes16[0]: the colour with the weight as its alpha; lanes16[1]: 256 - w.
  template <class V>
  static typename V::I Fill(typename V::I d, const RAST_FillSource& f)
  {
    const typename V::I s = V::Repeat(f.lanes16[0]), k = V::Repeat(f.lanes16[1]);
    return V::PackU8(CopyMix16<V>(V::Lo8(d), s, k), CopyMix16<V>(V::Hi8(d), s, k));
  }
};

struct RuleAdd : ByHalves<RuleAdd>
{
  template <class V>
  static typename V::I Half(typename V::I d16, typename V::I s16, typename V::I w16)
  {
    return V::Add16(d16, AddTerm16<V>(s16, w16));
  }
  // bytes: each channel's term (s * w) / 256, held to 255.
  template <class V>
  static typename V::I Fill(typename V::I d, const RAST_FillSource& f)
  {
    return V::AddSatU8(d, V::Set32(static_cast<int32_t>(f.bytes)));
  }
};

// Half needs w16 above 0 (see MultiplyFactor16).
struct RuleMultiply : ByHalves<RuleMultiply>
{
  template <class V>
  static typename V::I Half(typename V::I d16, typename V::I s16, typename V::I w16)
  {
    return V::MulHiU16(d16, MultiplyFactor16<V>(s16, w16));
  }
  // lanes16[0]: the factor modulo 65536; lanes16[1]: all ones where it is 65536.
  template <class V>
  static typename V::I Fill(typename V::I d, const RAST_FillSource& f)
  {
    const typename V::I factor = V::Repeat(f.lanes16[0]), keep = V::Repeat(f.lanes16[1]);
    const typename V::I lo = V::Lo8(d), hi = V::Hi8(d);
    return V::PackU8(KeepWhere<V>(keep, lo, V::MulHiU16(lo, factor)),
                     KeepWhere<V>(keep, hi, V::MulHiU16(hi, factor)));
  }
};

struct RuleColorDodge : ByHalves<RuleColorDodge>
{
  // Divided on 32-bit lanes.
  template <class V>
  static typename V::I Half(typename V::I d16, typename V::I s16, typename V::I w16)
  {
    const typename V::I den16 = DodgeDivisor16<V>(s16, w16);
    return V::PackS16(Dodge32<V>(V::Lo16(d16), V::ToF(V::Lo16(den16))),
                      Dodge32<V>(V::Hi16(d16), V::ToF(V::Hi16(den16))));
  }
  // lanesF: each channel's divisor, at least 1.
  template <class V>
  static typename V::I Fill(typename V::I d, const RAST_FillSource& f)
  {
    const typename V::F den = V::RepeatF(f.lanesF);
    auto half = [&](typename V::I d16) {
      return V::PackS16(Dodge32<V>(V::Lo16(d16), den), Dodge32<V>(V::Hi16(d16), den));
    };
    return V::PackU8(half(V::Lo8(d)), half(V::Hi8(d)));
  }
};

struct RuleOverlay : ByHalves<RuleOverlay>
{
  // A = w * (128 - s) and s2 = 32768 - A, from 32-bit lanes of s and w.
  template <class V>
  static typename V::I Quarter(typename V::I d32, typename V::I s32, typename V::I w32)
  {
    const typename V::I a = V::Madd16(w32, V::Sub32(V::Set32(128), s32));
    return Overlay32<V>(d32, V::MulF(V::ToF(a), V::SetF(1.0f / 256.0f)), V::Sub32(V::Set32(32768), a));
  }
  template <class V>
  static typename V::I Half(typename V::I d16, typename V::I s16, typename V::I w16)
  {
    return V::PackS16(Quarter<V>(V::Lo16(d16), V::Lo16(s16), V::Lo16(w16)),
                      Quarter<V>(V::Hi16(d16), V::Hi16(s16), V::Hi16(w16)));
  }
  // lanesF: A / 256 per channel; lanes32: s2 per channel.
  template <class V>
  static typename V::I Fill(typename V::I d, const RAST_FillSource& f)
  {
    const typename V::F a = V::RepeatF(f.lanesF);
    const typename V::I s2 = V::Repeat(f.lanes32);
    auto half = [&](typename V::I d16) {
      return V::PackS16(Overlay32<V>(V::Lo16(d16), a, s2), Overlay32<V>(V::Hi16(d16), a, s2));
    };
    return V::PackU8(half(V::Lo8(d)), half(V::Hi8(d)));
  }
};

struct RuleHSVAdjust
{
  // w16 holds the weight in every 16-bit lane, so its 32-bit lanes hold it
  // in their low halves, which is what Madd16 reads.
  template <class V>
  static typename V::I Blit(typename V::I d, typename V::I s, typename V::I w16)
  {
    return HsvAdjustBySource<V>(d, s, V::And(w16, V::Set32(0xffff)));
  }
  // lanes32: hue turn, saturation change, value change, alpha.
  template <class V>
  static typename V::I Fill(typename V::I d, const RAST_FillSource& f)
  {
    return HsvAdjust<V>(d, V::Set32(f.lanes32[0]), V::Set32(f.lanes32[1]), V::Set32(f.lanes32[2]),
                        V::Set32(f.lanes32[3]));
  }
};

// The source-alpha forms: Rule at w2 per pixel. With SkipClear a pixel whose
// source alpha is 0 keeps its bytes.
template <class Rule, bool SkipClear>
struct RuleSourceAlpha
{
  template <class V>
  static typename V::I Blit(typename V::I d, typename V::I s, typename V::I w16)
  {
    using I = typename V::I;
    const I a = V::And(s, V::Set32(255));
    I out;
    if constexpr (std::is_same_v<Rule, RuleHSVAdjust>)
    {
      // w2 on 32-bit lanes: (a + 1) * w fits them.
      const I w = V::And(w16, V::Set32(0xffff));
      out = HsvAdjustBySource<V>(d, s, V::ShrU32(V::Madd16(V::Add32(a, V::Set32(1)), w), 8));
    }
    else
    {
      const I wLo = SourceWeight16<V>(V::AlphaLanes16(V::Lo8(a)), w16);
      const I wHi = SourceWeight16<V>(V::AlphaLanes16(V::Hi8(a)), w16);
      out = V::PackU8(Half<V>(V::Lo8(d), V::Lo8(s), wLo), Half<V>(V::Hi8(d), V::Hi8(s), wHi));
    }
    if constexpr (SkipClear) out = KeepWhere<V>(V::CmpEq32(a, V::Zero()), d, out);
    return out;
  }

  // Two pixels on 16-bit lanes, w2 on every lane of its pixel.
  template <class V>
  static typename V::I Half(typename V::I d16, typename V::I s16, typename V::I w2)
  {
    // Copy: colour channels mix toward s at w2; alpha becomes min(d + w2, 255).
    if constexpr (std::is_same_v<Rule, RuleCopy>)
      return KeepWhere<V>(V::Repeat(kAlphaLane16), V::Add16(d16, w2), RuleCopy::Half<V>(d16, s16, w2));
    // Multiply keeps d where w2 is 0 (factor 65536).
    else if constexpr (std::is_same_v<Rule, RuleMultiply>)
      return KeepWhere<V>(V::CmpEq16(w2, V::Zero()), d16, RuleMultiply::Half<V>(d16, s16, w2));
    else
      return Rule::template Half<V>(d16, s16, w2);
  }

  static constexpr int16_t kAlphaLane16[8] = {-1, 0, 0, 0, -1, 0, 0, 0};
};

// Copy by source alpha at full weight: colour channels s + ((d - s) *
// (255 - a)) / 256, alpha min(d + a, 255), a clear source keeps d. Worked on
// bytes, with groups of clear or opaque pixels skipping the arithmetic.
struct RuleCopySourceAlphaFull
{
  template <class V>
  static typename V::I Blit(typename V::I dst, typename V::I src, typename V::I)
  {
    using I = typename V::I;
    const I alphaMask = V::Set32(255);
    const I a = V::And(src, alphaMask);
    if (V::AllSet(V::CmpEq32(a, alphaMask))) return src;
    const I clear = V::CmpEq32(a, V::Zero());
    const I a2 = V::Or(a, V::Shl32(a, 8));
    const I keep = V::Xor(V::Or(a2, V::Shl32(a2, 16)), V::Set32(-1));  // 255 - a
    const I hi = V::MaxU8(src, dst);
    const I diff = V::Sub8(hi, V::MinU8(src, dst));
    const I rising = V::CmpEq8(hi, dst);  // d >= s
    const I q = V::PackU8(V::ShrU16(V::MulLo16(V::Lo8(diff), V::Lo8(keep)), 8),
                          V::ShrU16(V::MulLo16(V::Hi8(diff), V::Hi8(keep)), 8));
    const I mixed = KeepWhere<V>(rising, V::Add8(src, q), V::Sub8(src, q));
    const I alpha = V::And(V::AddSatU8(dst, a), alphaMask);
    return KeepWhere<V>(clear, dst, V::Or(V::AndNot(alphaMask, mixed), alpha));
  }
};

// Add at full weight: d = min(d + s, 255) on every byte. By source alpha a
// group of opaque pixels (w2 = 256) takes the same sum.
struct RuleAddFull
{
  template <class V>
  static typename V::I Blit(typename V::I d, typename V::I s, typename V::I)
  {
    return V::AddSatU8(d, s);
  }
};

struct RuleAddSourceAlphaFull
{
  template <class V>
  static typename V::I Blit(typename V::I d, typename V::I s, typename V::I w16)
  {
    const typename V::I alphaMask = V::Set32(255);
    if (V::AllSet(V::CmpEq32(V::And(s, alphaMask), alphaMask))) return V::AddSatU8(d, s);
    return RuleSourceAlpha<RuleAdd, true>::Blit<V>(d, s, w16);
  }
};

template <class T>
struct SkipsClear
{
  static constexpr bool value = false;
};
template <class Rule, bool Skip>
struct SkipsClear<RuleSourceAlpha<Rule, Skip>>
{
  static constexpr bool value = Skip;
};
template <>
struct SkipsClear<RuleCopySourceAlphaFull>
{
  static constexpr bool value = true;
};
template <>
struct SkipsClear<RuleAddSourceAlphaFull>
{
  static constexpr bool value = true;
};

// One row of a blit rule. A tail shorter than a vector runs through the same
// block on a copy in a small buffer.
template <class V, class Rule>
void BlitRow(RAST_pixel* d, const RAST_pixel* s, int n, int w)
{
  using I = typename V::I;
  const I w16 = V::Set16(w);
  const I alphaMask = V::Set32(255);
  int i = 0;
  for (; i + V::kPixels <= n; i += V::kPixels)
  {
    const I src = V::Load(s + i);
    // A group of clear source pixels leaves the destination alone, and a
    // copy of an opaque group replaces it unread.
    if constexpr (SkipsClear<Rule>::value)
      if (V::NoBitsIn(src, alphaMask)) continue;
    if constexpr (std::is_same_v<Rule, RuleCopySourceAlphaFull>)
      if (V::AllBitsIn(src, alphaMask))
      {
        V::Store(d + i, src);
        continue;
      }
    V::Store(d + i, Rule::template Blit<V>(V::Load(d + i), src, w16));
  }
  if (i < n)
  {
    RAST_pixel bd[V::kPixels] = {}, bs[V::kPixels] = {};
    const size_t bytes = static_cast<size_t>(n - i) * sizeof(RAST_pixel);
    std::memcpy(bd, d + i, bytes);
    std::memcpy(bs, s + i, bytes);
    V::Store(bd, Rule::template Blit<V>(V::Load(bd), V::Load(bs), w16));
    std::memcpy(d + i, bd, bytes);
  }
}

// One row of a fill rule.
template <class V, class Rule>
void FillRow(RAST_pixel* d, int n, const RAST_FillSource& f)
{
  int i = 0;
  for (; i + V::kPixels <= n; i += V::kPixels) V::Store(d + i, Rule::template Fill<V>(V::Load(d + i), f));
  if (i < n)
  {
    RAST_pixel bd[V::kPixels] = {};
    const size_t bytes = static_cast<size_t>(n - i) * sizeof(RAST_pixel);
    std::memcpy(bd, d + i, bytes);
    V::Store(bd, Rule::template Fill<V>(V::Load(bd), f));
    std::memcpy(d + i, bd, bytes);
  }
}
}  // namespace RAST_SimdKernels

namespace RAST_SimdKernels
{
// ---- scaled sampling ----
// Vectors here carry whole pixels in 16-byte lanes: a vector holds pixel or
// column k in its first lane and k + 4 in its second (when V has two), the
// order in which widening a row of pixels leaves them.

// A 16-bit pair (lo, hi) as one 32-bit lane.
template <class V>
constexpr int32_t Pair16(int lo, int hi)
{
  return static_cast<int32_t>((static_cast<uint32_t>(lo) & 0xffffu) | static_cast<uint32_t>(hi) << 16);
}

// Runs block(i) for each whole group of kPixels items from i, then
// tail(i, count) once for the count items left, if any.
template <class V, class Block, class Tail>
void InGroups(int count, Block block, Tail tail)
{
  int i = 0;
  for (; i + V::kPixels <= count; i += V::kPixels) block(i);
  if (i < count) tail(i, count - i);
}

// The bilinear sampler on a row: per channel
//   S = 0x10000 * p00 + fy * dv0 + fx * X + w11 * Y,
// X = p01 - p00, Y = dv1 - dv0, dv the change to the row below, computed from
// the records (p, dv) of the two columns as 16-bit pairs with signed weights
// offset by 32768 (fy' = fy - 32768 and so on):
//   S = fy' * dv0 + fx' * X + w11' * Y + (p00 + p01 + dv1) << 15.
// One pixel per 16-byte lane; a group's weights are made together. p and
// below hold the two columns' pixels of row0 and row1 widened to 16 bits.
template <class V>
typename V::I BilinearPixel(typename V::I p, typename V::I below, typename V::I weights, typename V::I wfy)
{
  using I = typename V::I;
  const I dv = V::Sub16(below, p);
  const I rec0 = V::InterleaveLo16(p, dv), rec1 = V::InterleaveHi16(p, dv);
  const I diff = V::Sub16(rec1, rec0);
  const I sum = V::Add32(V::Madd16(rec0, V::Set32(Pair16<V>(1, 0))), V::Madd16(rec1, V::Set16(1)));
  const I s = V::Add32(V::Add32(V::Madd16(rec0, wfy), V::Madd16(diff, weights)), V::Shl32(sum, 15));
  return V::ShrA32(s, 16);
}

// How far ahead of a group's first column, in pixels, its row fetches.
constexpr int kBilinearPrefetch = 64;

// The weights of a row that every group shares: fy for w11, and the pair
// (0, fy') that the record (p00, dv0) is weighted by.
template <class V>
struct BilinearRowWeights
{
  typename V::I fy16, wfy, offset;
  explicit BilinearRowWeights(int fy)
      : fy16(V::Set16(fy)), wfy(V::Set32(Pair16<V>(0, fy - 32768))), offset(V::Set16(32768))
  {
  }
};

// Inlined into the row's loop, so that the row's weights stay in registers.
template <class V>
[[gnu::always_inline]] inline void BilinearBlock(const RAST_pixel* row0, const RAST_pixel* row1, const int32_t* x0,
                                                 const uint16_t* fx, const BilinearRowWeights<V>& row,
                                                 RAST_pixel* out)
{
  using I = typename V::I;
  // (fx', w11') pairs of the group, w11 = (fx * fy) >> 16.
  const I f = V::LoadFractions(fx);
  const I pairs = V::InterleaveLo16(V::Sub16(f, row.offset), V::Sub16(V::MulHiU16(f, row.fy16), row.offset));
  const I wfy = row.wfy;
  const int up = V::kPixels > 4 ? 4 : 0;
  I px[4];
  px[0] = BilinearPixel<V>(V::Widen64Halves(row0 + x0[0], row0 + x0[up]),
                           V::Widen64Halves(row1 + x0[0], row1 + x0[up]), V::template Spread32<0>(pairs), wfy);
  px[1] = BilinearPixel<V>(V::Widen64Halves(row0 + x0[1], row0 + x0[1 + up]),
                           V::Widen64Halves(row1 + x0[1], row1 + x0[1 + up]), V::template Spread32<1>(pairs), wfy);
  px[2] = BilinearPixel<V>(V::Widen64Halves(row0 + x0[2], row0 + x0[2 + up]),
                           V::Widen64Halves(row1 + x0[2], row1 + x0[2 + up]), V::template Spread32<2>(pairs), wfy);
  px[3] = BilinearPixel<V>(V::Widen64Halves(row0 + x0[3], row0 + x0[3 + up]),
                           V::Widen64Halves(row1 + x0[3], row1 + x0[3 + up]), V::template Spread32<3>(pairs), wfy);
  V::Store(out, V::PackU8(V::PackS16(px[0], px[1]), V::PackS16(px[2], px[3])));
}

template <class V>
void BilinearRow(const RAST_pixel* row0, const RAST_pixel* row1, const int32_t* x0, const uint16_t* fx, int n, int fy,
                 RAST_pixel* out)
{
  const BilinearRowWeights<V> weights(fy);
  InGroups<V>(
      n,
      [&](int i) {
        // The source rows are read once per row of samples: ask for their
        // lines well before the samples reach them.
        __builtin_prefetch(row0 + x0[i] + kBilinearPrefetch);
        __builtin_prefetch(row1 + x0[i] + kBilinearPrefetch);
        BilinearBlock<V>(row0, row1, x0 + i, fx + i, weights, out + i);
      },
      [&](int i, int count) {
        int32_t x[V::kPixels];
        uint16_t f[V::kPixels];
        RAST_pixel px[V::kPixels];
        for (int k = 0; k < V::kPixels; ++k)
        {
          x[k] = x0[i + (k < count ? k : count - 1)];
          f[k] = fx[i + (k < count ? k : count - 1)];
        }
        BilinearBlock<V>(row0, row1, x, f, weights, px);
        std::memcpy(out + i, px, count * sizeof(RAST_pixel));
      });
}

// Column pass of the box average: 16-bit channel sums of rows pixels.
template <class V>
void BoxColumnBlock(const RAST_pixel* p, ptrdiff_t step, int rows, uint16_t* dst)
{
  using I = typename V::I;
  I lo = V::Zero(), hi = V::Zero();
  for (int r = 0; r < rows; ++r, p += step)
  {
    const I px = V::Load(p);
    lo = V::Add16(lo, V::Lo8(px));
    hi = V::Add16(hi, V::Hi8(px));
  }
  V::StoreHalves(dst, dst + 16, lo);
  V::StoreHalves(dst + 8, dst + 24, hi);
}

template <class V>
void BoxColumns(const RAST_pixel* row0, ptrdiff_t step, int rows, int first, int last, uint16_t* sums)
{
  InGroups<V>(
      last - first + 1, [&](int i) { BoxColumnBlock<V>(row0 + first + i, step, rows, sums + i * 4); },
      [&](int i, int count) {
        RAST_pixel px[5 * V::kPixels] = {};
        uint16_t cols[V::kPixels * 4];
        for (int r = 0; r < rows; ++r) std::memcpy(px + r * V::kPixels, row0 + r * step + first + i, count * 4);
        BoxColumnBlock<V>(px, V::kPixels, rows, cols);
        std::memcpy(sums + i * 4, cols, count * 4 * sizeof(uint16_t));
      });
}

// floor(x / n) = q or q + 1 for q = (x * floor(65536 / n)) >> 16 and any x
// below 65536; one comparison of the remainder settles it. n = 1 uses 65535.
struct BoxReciprocals
{
  uint16_t m[26];
  constexpr BoxReciprocals() : m()
  {
    for (int n = 1; n < 26; ++n) m[n] = static_cast<uint16_t>(n == 1 ? 65535 : 65536 / n);
  }
};
inline constexpr BoxReciprocals kBoxReciprocals{};

template <class V>
typename V::I DivideBy(typename V::I x, int n)
{
  const typename V::I count = V::Set16(n);
  const typename V::I q = V::MulHiU16(x, V::Set16(kBoxReciprocals.m[n]));
  const typename V::I rest = V::Sub16(x, V::MulLo16(q, count));
  return V::Sub16(q, V::CmpGt16(rest, V::Set16(n - 1)));
}

template <class V>
void BoxRow(const uint16_t* sums, const int32_t* at, int n, int taps, int count, RAST_pixel* out)
{
  auto sumOf = [&](int i, int k) {
    const int a = 2 * k + i, b = V::kPixels > 4 ? a + 4 : a;
    typename V::I sum = V::Zero();
    for (int t = 0; t < taps; ++t)
      sum = V::Add16(sum, V::Load64Pairs(sums + at[a] + t * 4, sums + at[a + 1] + t * 4, sums + at[b] + t * 4,
                                         sums + at[b + 1] + t * 4));
    return DivideBy<V>(sum, count);
  };
  InGroups<V>(
      n, [&](int i) { V::Store(out + i, V::PackU8(sumOf(i, 0), sumOf(i, 1))); },
      [&](int i, int rest) {
        for (int k = i; k < i + rest; ++k)
        {
          int sum[4] = {};
          for (int t = 0; t < taps; ++t)
            for (int c = 0; c < 4; ++c) sum[c] += sums[at[k] + t * 4 + c];
          out[k] = RAST_RGBA(sum[1] / count, sum[2] / count, sum[3] / count, sum[0] / count);
        }
      });
}

// ---- the kernels of one lane set ----

// Blit rows by RAST_Rule (null for None and Clobber), the rows of rules that
// have a shorter form at full weight, and fill rows by combine mode.
struct RowTable
{
  RAST_BlitRowFn blit[RAST_RULE_COUNT];
  RAST_BlitRowFn addFull;
  RAST_BlitRowFn addSourceAlphaFull;
  RAST_FillRowFn fill[RAST_BLIT_MODE_COUNT];
  RAST_BilinearKernels bilinear;
  RAST_BoxKernels box;
};

template <class V>
constexpr RowTable MakeRowTable()
{
  return RowTable{
      {
          nullptr,                                                   // None
          nullptr,                                                   // Clobber
          &BlitRow<V, RuleCopy>,                                     // Copy
          &BlitRow<V, RuleAdd>,                                      // Add
          &BlitRow<V, RuleColorDodge>,                               // ColorDodge
          &BlitRow<V, RuleMultiply>,                                 // Multiply
          &BlitRow<V, RuleOverlay>,                                  // Overlay
          &BlitRow<V, RuleHSVAdjust>,                                // HSVAdjust
          &BlitRow<V, RuleCopySourceAlphaFull>,                      // CopySourceAlphaFull
          &BlitRow<V, RuleSourceAlpha<RuleCopy, true>>,              // CopySourceAlpha
          &BlitRow<V, RuleSourceAlpha<RuleAdd, true>>,               // AddSourceAlpha
          &BlitRow<V, RuleSourceAlpha<RuleColorDodge, false>>,       // ColorDodgeSourceAlpha
          &BlitRow<V, RuleSourceAlpha<RuleMultiply, true>>,          // MultiplySourceAlpha
          &BlitRow<V, RuleSourceAlpha<RuleOverlay, false>>,          // OverlaySourceAlpha
          &BlitRow<V, RuleSourceAlpha<RuleHSVAdjust, false>>,        // HSVAdjustSourceAlpha
      },
      &BlitRow<V, RuleAddFull>,
      &BlitRow<V, RuleAddSourceAlphaFull>,
      {
          &FillRow<V, RuleCopy>,        // RAST_BLIT_MODE_COPY
          &FillRow<V, RuleAdd>,         // RAST_BLIT_MODE_ADD
          &FillRow<V, RuleColorDodge>,  // RAST_BLIT_MODE_DODGE
          &FillRow<V, RuleMultiply>,    // RAST_BLIT_MODE_MUL
          &FillRow<V, RuleOverlay>,     // RAST_BLIT_MODE_OVERLAY
          &FillRow<V, RuleHSVAdjust>,   // RAST_BLIT_MODE_HSVADJ
      },
      {&BilinearRow<V>},
      {&BoxColumns<V>, &BoxRow<V>},
  };
}
static_assert(static_cast<int>(RAST_Rule::HSVAdjustSourceAlpha) == RAST_RULE_COUNT - 1,
              "the blit table lists every rule");
static_assert(RAST_BLIT_MODE_HSVADJ == RAST_BLIT_MODE_COUNT - 1, "the fill table lists every mode");
}  // namespace RAST_SimdKernels

// The AVX2 kernels, defined in their own file built for that set; called only
// when the processor has it.
const RAST_SimdKernels::RowTable& RAST_Avx2Rows();
