#include "raster/RAST_Combine.h"

#include "raster/RAST_Blend.h"

#include <iterator>

namespace
{
// Public entry points accept any int: values and weight are brought within the
// bounds under which no rule overflows before the rule runs.
template <class Blend>
void ApplyBounded(RAST_pixel* p, int r, int g, int b, int a, int weight)
{
  Blend::Apply(p, RAST_ClampValue(r), RAST_ClampValue(g), RAST_ClampValue(b), RAST_ClampValue(a),
               RAST_ClampWeight(weight));
}

// The source-alpha forms read a as a fraction of 255.
template <class Blend>
void ApplySourceAlphaBounded(RAST_pixel* p, int r, int g, int b, int a, int weight)
{
  Blend::Apply(p, RAST_ClampValue(r), RAST_ClampValue(g), RAST_ClampValue(b), RAST_Clamp255(a),
               RAST_ClampWeight(weight));
}

// One table per family, indexed by RAST_Rule.
constexpr RAST_CombineFunc kRules[] = {
    nullptr,                                                        // None
    &ApplyBounded<RAST_BlendClobber>,                               // Clobber
    &ApplyBounded<RAST_BlendCopy>,                                  // Copy
    &ApplyBounded<RAST_BlendAdd>,                                   // Add
    &ApplyBounded<RAST_BlendColorDodge>,                            // ColorDodge
    &ApplyBounded<RAST_BlendMultiply>,                              // Multiply
    &ApplyBounded<RAST_BlendOverlay>,                               // Overlay
    &ApplyBounded<RAST_BlendHSVAdjust>,                             // HSVAdjust
    &ApplySourceAlphaBounded<RAST_BlendCopySourceAlphaFull>,        // CopySourceAlphaFull
    &ApplySourceAlphaBounded<RAST_BlendCopySourceAlpha>,            // CopySourceAlpha
    &ApplySourceAlphaBounded<RAST_BlendAddSourceAlpha>,             // AddSourceAlpha
    &ApplySourceAlphaBounded<RAST_BlendColorDodgeSourceAlpha>,      // ColorDodgeSourceAlpha
    &ApplySourceAlphaBounded<RAST_BlendMultiplySourceAlpha>,        // MultiplySourceAlpha
    &ApplySourceAlphaBounded<RAST_BlendOverlaySourceAlpha>,         // OverlaySourceAlpha
    &ApplySourceAlphaBounded<RAST_BlendHSVAdjustSourceAlpha>,       // HSVAdjustSourceAlpha
};
static_assert(std::size(kRules) == RAST_RULE_COUNT, "every rule needs its functor");

// The same with every stored channel clamped.
constexpr RAST_CombineFunc kClampedRules[] = {
    nullptr,                                                                  // None
    &ApplyBounded<RAST_BlendClobberT<true>>,                                  // Clobber
    &ApplyBounded<RAST_BlendCopyClamp>,                                       // Copy
    &ApplyBounded<RAST_BlendAdd>,                                             // Add
    &ApplyBounded<RAST_BlendColorDodge>,                                      // ColorDodge
    &ApplyBounded<RAST_BlendMultiplyClamp>,                                   // Multiply
    &ApplyBounded<RAST_BlendOverlay>,                                         // Overlay
    &ApplyBounded<RAST_BlendHSVAdjust>,                                       // HSVAdjust
    &ApplySourceAlphaBounded<RAST_BlendCopySourceAlphaFullT<true>>,           // CopySourceAlphaFull
    &ApplySourceAlphaBounded<RAST_BlendCopySourceAlphaT<true>>,               // CopySourceAlpha
    &ApplySourceAlphaBounded<RAST_BlendAddSourceAlpha>,                       // AddSourceAlpha
    &ApplySourceAlphaBounded<RAST_BlendColorDodgeSourceAlpha>,                // ColorDodgeSourceAlpha
    &ApplySourceAlphaBounded<RAST_WithSourceAlpha<RAST_BlendMultiplyClamp, true>>,  // MultiplySourceAlpha
    &ApplySourceAlphaBounded<RAST_BlendOverlaySourceAlpha>,                   // OverlaySourceAlpha
    &ApplySourceAlphaBounded<RAST_BlendHSVAdjustSourceAlpha>,                 // HSVAdjustSourceAlpha
};
static_assert(std::size(kClampedRules) == RAST_RULE_COUNT, "every rule needs its functor");

void Combine(const RAST_CombineFunc* rules, RAST_pixel* p, int r, int g, int b, int a, int weight, int mode)
{
  if (!p) return;
  const int w = RAST_ClampWeight(weight);
  const RAST_Rule rule = RAST_SelectRule(mode, w);
  if (rule != RAST_Rule::None) rules[static_cast<int>(rule)](p, r, g, b, a, w);
}
}  // namespace

// ---- plain rules ----

void RAST_CombinePixelsClobber(RAST_pixel* p, int r, int g, int b, int a)
{
  ApplyBounded<RAST_BlendClobber>(p, r, g, b, a, RAST_WEIGHT_FULL);
}

void RAST_CombinePixelsCopy(RAST_pixel* p, int r, int g, int b, int a, int weight)
{
  ApplyBounded<RAST_BlendCopy>(p, r, g, b, a, weight);
}

void RAST_CombinePixelsCopyClamp(RAST_pixel* p, int r, int g, int b, int a, int weight)
{
  ApplyBounded<RAST_BlendCopyClamp>(p, r, g, b, a, weight);
}

void RAST_CombinePixelsAdd(RAST_pixel* p, int r, int g, int b, int a, int weight)
{
  ApplyBounded<RAST_BlendAdd>(p, r, g, b, a, weight);
}

void RAST_CombinePixelsColorDodge(RAST_pixel* p, int r, int g, int b, int a, int weight)
{
  ApplyBounded<RAST_BlendColorDodge>(p, r, g, b, a, weight);
}

void RAST_CombinePixelsMultiply(RAST_pixel* p, int r, int g, int b, int a, int weight)
{
  ApplyBounded<RAST_BlendMultiply>(p, r, g, b, a, weight);
}

void RAST_CombinePixelsMultiplyClamp(RAST_pixel* p, int r, int g, int b, int a, int weight)
{
  ApplyBounded<RAST_BlendMultiplyClamp>(p, r, g, b, a, weight);
}

void RAST_CombinePixelsOverlay(RAST_pixel* p, int r, int g, int b, int a, int weight)
{
  ApplyBounded<RAST_BlendOverlay>(p, r, g, b, a, weight);
}

void RAST_CombinePixelsHSVAdjust(RAST_pixel* p, int r, int g, int b, int a, int weight)
{
  ApplyBounded<RAST_BlendHSVAdjust>(p, r, g, b, a, weight);
}

// ---- source-alpha rules ----

void RAST_CombinePixelsCopySourceAlphaFull(RAST_pixel* p, int r, int g, int b, int a)
{
  ApplySourceAlphaBounded<RAST_BlendCopySourceAlphaFull>(p, r, g, b, a, RAST_WEIGHT_FULL);
}

void RAST_CombinePixelsCopySourceAlpha(RAST_pixel* p, int r, int g, int b, int a, int weight)
{
  ApplySourceAlphaBounded<RAST_BlendCopySourceAlpha>(p, r, g, b, a, weight);
}

void RAST_CombinePixelsAddSourceAlpha(RAST_pixel* p, int r, int g, int b, int a, int weight)
{
  ApplySourceAlphaBounded<RAST_BlendAddSourceAlpha>(p, r, g, b, a, weight);
}

void RAST_CombinePixelsColorDodgeSourceAlpha(RAST_pixel* p, int r, int g, int b, int a, int weight)
{
  ApplySourceAlphaBounded<RAST_BlendColorDodgeSourceAlpha>(p, r, g, b, a, weight);
}

void RAST_CombinePixelsMultiplySourceAlpha(RAST_pixel* p, int r, int g, int b, int a, int weight)
{
  ApplySourceAlphaBounded<RAST_BlendMultiplySourceAlpha>(p, r, g, b, a, weight);
}

void RAST_CombinePixelsOverlaySourceAlpha(RAST_pixel* p, int r, int g, int b, int a, int weight)
{
  ApplySourceAlphaBounded<RAST_BlendOverlaySourceAlpha>(p, r, g, b, a, weight);
}

void RAST_CombinePixelsHSVAdjustSourceAlpha(RAST_pixel* p, int r, int g, int b, int a, int weight)
{
  ApplySourceAlphaBounded<RAST_BlendHSVAdjustSourceAlpha>(p, r, g, b, a, weight);
}

const RAST_CombineFunc RAST_CombineFuncTable[6] = {
    &RAST_CombinePixelsCopyClamp,      // RAST_BLIT_MODE_COPY
    &RAST_CombinePixelsAdd,            // RAST_BLIT_MODE_ADD
    &RAST_CombinePixelsColorDodge,     // RAST_BLIT_MODE_DODGE
    &RAST_CombinePixelsMultiplyClamp,  // RAST_BLIT_MODE_MUL
    &RAST_CombinePixelsOverlay,        // RAST_BLIT_MODE_OVERLAY
    &RAST_CombinePixelsHSVAdjust,      // RAST_BLIT_MODE_HSVADJ
};
static_assert(std::size(RAST_CombineFuncTable) == RAST_BLIT_MODE_COUNT, "one functor per combine mode");

// ---- whole-value operations ----

RAST_pixel RAST_CombinePixels(RAST_pixel dest, RAST_pixel src, int mode, float alpha)
{
  RAST_pixel p = dest;
  Combine(kRules, &p, RAST_GETR(src), RAST_GETG(src), RAST_GETB(src), RAST_GETA(src),
          RAST_WeightFromAlpha(alpha), mode);
  return p;
}

void RAST_CombinePixels2(RAST_pixel* p, int r, int g, int b, int a, int weight, int mode)
{
  Combine(kRules, p, r, g, b, a, weight, mode);
}

void RAST_CombinePixels2Clamp(RAST_pixel* p, int r, int g, int b, int a, int weight, int mode)
{
  Combine(kClampedRules, p, r, g, b, a, weight, mode);
}
