// Internal to the raster library: the combine rules, each written once as a
// small functor that the row loops of every dispatcher are instantiated with.
//
// A functor rewrites one destination pixel in place:
//   Apply(RAST_pixel* p, int r, int g, int b, int a, int w)
// where r, g, b, a are the source values and w the weight (256 = full). Each
// rule is applied to all four bytes, the alpha byte with the source value a,
// unless it says otherwise. d is the destination byte, s the source value for
// that byte. Divisions of signed values round toward zero.
//
// Inputs stay within RAST_WEIGHT_MIN..RAST_WEIGHT_MAX and |s| <= RAST_VALUE_MAX,
// and the source-alpha forms take a within 0..255 (the dispatchers see to it);
// within those bounds no intermediate overflows (products of a source value
// and a weight are taken in 64 bits).
#pragma once

#include "raster/RAST_Combine.h"
#include "raster/RAST_Pixel.h"

#include <cstdint>

// ---- weights ----

// Full weight: the weight of alpha 1.
constexpr int RAST_WEIGHT_FULL = 256;
// Weights above full keep their meaning (an Add at alpha 1.5 adds half as
// much again); this bound only keeps the arithmetic within range. It lies
// far above any weight that can still change a clamped result of a source
// within 0..255 (an Add of 1 saturates from 65280 on).
constexpr int RAST_WEIGHT_MAX = 1 << 20;
// Negative weights keep their meaning (Add subtracts); this bound only keeps
// every rule's products within 32 bits.
constexpr int RAST_WEIGHT_MIN = -32768;
// Source channel values beyond this have no defined meaning; dispatchers that
// accept values outside 0..255 clamp to it.
constexpr int RAST_VALUE_MAX = 32767;

constexpr int RAST_ClampInt(int64_t v, int lo, int hi)
{
  return v < lo ? lo : v > hi ? hi : static_cast<int>(v);
}

constexpr int RAST_ClampWeight(int64_t w)
{
  return RAST_ClampInt(w, RAST_WEIGHT_MIN, RAST_WEIGHT_MAX);
}

constexpr int RAST_ClampValue(int64_t v)
{
  return RAST_ClampInt(v, -RAST_VALUE_MAX, RAST_VALUE_MAX);
}

constexpr int RAST_Clamp255(int64_t v) { return RAST_ClampInt(v, 0, 255); }

// w = (int)(alpha * 256), truncated toward zero, then held within the
// bounds above. NaN gives 0
// (nothing drawn). alpha * 256 is exact in single and double precision alike.
inline int RAST_WeightFromAlpha(float alpha)
{
  const double x = static_cast<double>(alpha) * 256.0;
  if (!(x == x)) return 0;
  if (x >= RAST_WEIGHT_MAX) return RAST_WEIGHT_MAX;
  if (x <= RAST_WEIGHT_MIN) return RAST_WEIGHT_MIN;
  return static_cast<int>(x);
}

// ---- per-channel rules ----
// Channel(d, s, w) returns the new byte; the pixel keeps its low 8 bits.

// d = s + ((d - s) * (256 - w)) / 256: a straight mix toward s. Clamped or kept
// as its low 8 bits (within 0..255 anyway for w in 1..256 and s in 0..255).
// Beyond full weight both forms go on past s (50 onto 100 at 384 gives 25);
// there the kept form is held at 0 and 255 too, where its low 8 bits would
// wrap.
template <bool Clamp>
struct RAST_RuleCopy
{
  static int Channel(int d, int s, int w)
  {
    const int64_t v = s + (static_cast<int64_t>(d - s) * (256 - w)) / 256;
    return Clamp || w > RAST_WEIGHT_FULL ? RAST_Clamp255(v) : static_cast<int>(v);
  }
};

// d = clamp(d + (s * w) / 256).
struct RAST_RuleAdd
{
  static int Channel(int d, int s, int w) { return RAST_Clamp255(d + (static_cast<int64_t>(s) * w) / 256); }
};

// den = 256 - (s * w) / 256; d = min(d * 256 / den, 255), or min(d * 256, 255)
// when den < 2: brightens d as s approaches full.
struct RAST_RuleColorDodge
{
  static int Channel(int d, int s, int w)
  {
    const int64_t den = 256 - (static_cast<int64_t>(s) * w) / 256;
    const unsigned num = static_cast<unsigned>(d) * 256u;
    const unsigned v = den >= 2 ? num / static_cast<unsigned>(den) : num;
    return v > 255u ? 255 : static_cast<int>(v);
  }
};

// d = (d * (s * w + (256 - w) * 256)) >> 16: multiply by s / 256 at weight w.
// Up to full weight the factor is at most 1 and the result never exceeds d; a
// negative weight makes it a factor above 1, which saturates at 255 rather than
// wrapping. Beyond full weight the factor falls below s / 256, down to 0 and
// past it: both forms then shift the signed product and clamp both ends, where
// the unsigned product of the kept form would wrap.
template <bool Clamp>
struct RAST_RuleMultiply
{
  static int Channel(int d, int s, int w)
  {
    if (Clamp || w > RAST_WEIGHT_FULL)
    {
      const int64_t factor = static_cast<int64_t>(s) * w + static_cast<int64_t>(256 - w) * 256;
      return RAST_Clamp255((d * factor) >> 16);
    }
    const int factor = s * w + (256 - w) * 256;
    const unsigned v = (static_cast<unsigned>(d) * static_cast<unsigned>(factor)) >> 16;
    return v > 255u ? 255 : static_cast<int>(v);
  }
};

// s2 = s * w + (256 - w) * 128; t = ((32768 - s2) * d) / 256 + s2;
// d = clamp((t * d) >> 15). At s = 128 or w = 0, s2 = 32768 and d is unchanged;
// darker sources darken, lighter ones lighten, most strongly in mid-tones.
struct RAST_RuleOverlay
{
  static int Channel(int d, int s, int w)
  {
    const int64_t s2 = static_cast<int64_t>(s) * w + static_cast<int64_t>(256 - w) * 128;
    const int64_t t = ((32768 - s2) * d) / 256 + s2;
    return RAST_Clamp255((t * d) >> 15);
  }
};

// ---- pixel functors ----

// Applies a per-channel rule to all four bytes.
template <class Rule>
struct RAST_EachChannel
{
  static void Apply(RAST_pixel* p, int r, int g, int b, int a, int w)
  {
    const RAST_pixel d = *p;
    *p = RAST_RGBA(Rule::Channel(RAST_GETR(d), r, w), Rule::Channel(RAST_GETG(d), g, w),
                   Rule::Channel(RAST_GETB(d), b, w), Rule::Channel(RAST_GETA(d), a, w));
  }
};

// d = s, the weight ignored.
template <bool Clamp>
struct RAST_BlendClobberT
{
  static void Apply(RAST_pixel* p, int r, int g, int b, int a, int)
  {
    *p = Clamp ? RAST_RGBA(RAST_Clamp255(r), RAST_Clamp255(g), RAST_Clamp255(b), RAST_Clamp255(a))
               : RAST_RGBA(r, g, b, a);
  }
};

// The source-alpha forms weight the rule by the source's own alpha:
// w2 = ((a + 1) * w) / 256. With SkipClear a fully transparent source leaves
// the pixel alone; without it the rule still runs at w2 = w / 256.
template <class Blend, bool SkipClear>
struct RAST_WithSourceAlpha
{
  static void Apply(RAST_pixel* p, int r, int g, int b, int a, int w)
  {
    if (SkipClear && a == 0) return;
    Blend::Apply(p, r, g, b, a, ((a + 1) * w) / 256);
  }
};

// Copy with source alpha: red, green and blue mix toward the source at w2; the
// alpha byte becomes min(d + w2, 255). A transparent source does nothing.
template <bool Clamp>
struct RAST_BlendCopySourceAlphaT
{
  static void Apply(RAST_pixel* p, int r, int g, int b, int a, int w)
  {
    if (a == 0) return;
    const int w2 = ((a + 1) * w) / 256;
    const RAST_pixel d = *p;
    using Rule = RAST_RuleCopy<Clamp>;
    *p = RAST_RGBA(Rule::Channel(RAST_GETR(d), r, w2), Rule::Channel(RAST_GETG(d), g, w2),
                   Rule::Channel(RAST_GETB(d), b, w2), RAST_Clamp255(RAST_GETA(d) + w2));
  }
};

// Copy with source alpha at full weight: an opaque source replaces the pixel
// (alpha 255); otherwise each colour channel becomes s + ((d - s) * (255 - a))
// / 256 and alpha min(d + a, 255). A transparent source does nothing.
template <bool Clamp>
struct RAST_BlendCopySourceAlphaFullT
{
  static void Apply(RAST_pixel* p, int r, int g, int b, int a, int)
  {
    if (a == 0) return;
    if (a == 255)
    {
      RAST_BlendClobberT<Clamp>::Apply(p, r, g, b, 255, 0);
      return;
    }
    const RAST_pixel d = *p;
    const int keep = 255 - a;
    auto mix = [keep](int dc, int s) {
      const int v = s + ((dc - s) * keep) / 256;
      return Clamp ? RAST_Clamp255(v) : v;
    };
    *p = RAST_RGBA(mix(RAST_GETR(d), r), mix(RAST_GETG(d), g), mix(RAST_GETB(d), b),
                   RAST_Clamp255(RAST_GETA(d) + a));
  }
};

// HSV adjust: the source is not a colour but an adjustment. r turns the hue, g
// scales the saturation, b the value, each neutral at 128; a becomes the
// pixel's alpha (kept within 0..255). Hue runs 0..383, six sectors of 64.
struct RAST_BlendHSVAdjust
{
  static void Apply(RAST_pixel* p, int r, int g, int b, int a, int w)
  {
    const RAST_pixel d = *p;
    const int R = RAST_GETR(d), G = RAST_GETG(d), B = RAST_GETB(d);
    int maxc, minc, num, base;
    if (R < G && G > B)
    {
      maxc = G;
      minc = R < B ? R : B;
      num = B - R;
      base = 128;
    }
    else if (R >= G && B < R)
    {
      maxc = R;
      minc = G < B ? G : B;
      num = G - B;
      base = G >= B ? 0 : 383;
    }
    else
    {
      maxc = B;
      minc = R < G ? R : G;
      num = R - G;
      base = 256;
    }
    const int delta = maxc - minc;
    // h = base + num / delta * 64, s = delta / max * 256, v = max.
    int h = base + (num * (RAST_DivTable[delta] + 1)) / 1024;
    int s = (delta * RAST_DivTable[maxc]) / 256;
    int v = maxc;

    h += static_cast<int>((static_cast<int64_t>(r + r / 2 - 192) * w) / 256);
    if (h < 0)
      h += 384;
    else if (h > 383)
      h -= 384;
    // One turn suffices for sources within 0..255 at full weight; the hue is
    // cyclic, so larger turns wrap the whole way rather than leave the wheel.
    if (h < 0 || h > 383)
    {
      h %= 384;
      if (h < 0) h += 384;
    }
    s = RAST_Clamp255(s + (static_cast<int64_t>(g - 128) * w) / 128);
    v = RAST_Clamp255(v + (static_cast<int64_t>(b - 128) * w) / 128);

    // P = v * (1 - s), Q(k) = v * (1 - k / 64 * s): the falling and rising
    // edges of each sector.
    const int P = (v * (256 - s)) >> 8;
    auto Q = [v, s](int k) { return (v * (16384 - k * s)) >> 14; };
    int red, green, blue;
    if (h < 64)
      red = v, green = Q(64 - h), blue = P;
    else if (h < 128)
      red = Q(h - 64), green = v, blue = P;
    else if (h < 192)
      red = P, green = v, blue = Q(192 - h);
    else if (h < 256)
      red = P, green = Q(h - 192), blue = v;
    else if (h < 320)
      red = Q(320 - h), green = P, blue = v;
    else
      red = v, green = P, blue = Q(h - 320);
    *p = RAST_RGBA(red, green, blue, RAST_Clamp255(a));
  }
};

// ---- the functors by name ----
using RAST_BlendClobber = RAST_BlendClobberT<false>;
using RAST_BlendCopy = RAST_EachChannel<RAST_RuleCopy<false>>;
using RAST_BlendCopyClamp = RAST_EachChannel<RAST_RuleCopy<true>>;
using RAST_BlendAdd = RAST_EachChannel<RAST_RuleAdd>;
using RAST_BlendColorDodge = RAST_EachChannel<RAST_RuleColorDodge>;
using RAST_BlendMultiply = RAST_EachChannel<RAST_RuleMultiply<false>>;
using RAST_BlendMultiplyClamp = RAST_EachChannel<RAST_RuleMultiply<true>>;
using RAST_BlendOverlay = RAST_EachChannel<RAST_RuleOverlay>;
using RAST_BlendCopySourceAlphaFull = RAST_BlendCopySourceAlphaFullT<false>;
using RAST_BlendCopySourceAlpha = RAST_BlendCopySourceAlphaT<false>;
using RAST_BlendAddSourceAlpha = RAST_WithSourceAlpha<RAST_BlendAdd, true>;
using RAST_BlendColorDodgeSourceAlpha = RAST_WithSourceAlpha<RAST_BlendColorDodge, false>;
using RAST_BlendMultiplySourceAlpha = RAST_WithSourceAlpha<RAST_BlendMultiply, true>;
using RAST_BlendOverlaySourceAlpha = RAST_WithSourceAlpha<RAST_BlendOverlay, false>;
using RAST_BlendHSVAdjustSourceAlpha = RAST_WithSourceAlpha<RAST_BlendHSVAdjust, false>;

// ---- rule selection for source-bitmap dispatchers ----

// The rule that mode & 0x100ff names at weight w. Copy-like rules have special
// instances at full weight and draw nothing at weights below 1.
enum class RAST_Rule
{
  None,
  Clobber,
  Copy,
  Add,
  ColorDodge,
  Multiply,
  Overlay,
  HSVAdjust,
  CopySourceAlphaFull,
  CopySourceAlpha,
  AddSourceAlpha,
  ColorDodgeSourceAlpha,
  MultiplySourceAlpha,
  OverlaySourceAlpha,
  HSVAdjustSourceAlpha,
  Count
};

constexpr int RAST_RULE_COUNT = static_cast<int>(RAST_Rule::Count);

// w is already clamped. Mode values other than 0..5 and 0x10000..0x10005 (the
// filter bits aside) and a weight of 0 give None.
constexpr RAST_Rule RAST_SelectRule(int mode, int w)
{
  const int m = mode & (RAST_BLIT_USE_ALPHA | RAST_BLIT_MODE_MASK);
  const bool sourceAlpha = (m & RAST_BLIT_USE_ALPHA) != 0;
  const int op = m & RAST_BLIT_MODE_MASK;
  if (w == 0 || op >= RAST_BLIT_MODE_COUNT) return RAST_Rule::None;
  if (op == RAST_BLIT_MODE_COPY)
  {
    // A copy cannot take a negative weight: it would push channels beyond the
    // two values being mixed.
    if (w < 1) return RAST_Rule::None;
    if (sourceAlpha) return w == RAST_WEIGHT_FULL ? RAST_Rule::CopySourceAlphaFull : RAST_Rule::CopySourceAlpha;
    return w == RAST_WEIGHT_FULL ? RAST_Rule::Clobber : RAST_Rule::Copy;
  }
  const int first = static_cast<int>(sourceAlpha ? RAST_Rule::CopySourceAlpha : RAST_Rule::Copy);
  return static_cast<RAST_Rule>(first + op);
}
