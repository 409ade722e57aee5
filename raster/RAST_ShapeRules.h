// Internal to the raster library: what the line, curve, circle and polygon
// dispatchers share.
//   - RAST_Ink: a colour split once into the channel values the combine
//     functors take.
//   - The shape rules: the combine functors of RAST_Blend.h plus the
//     whole-pixel mixes and the per-byte average, named by RAST_ShapeRule, and
//     the three ways a dispatcher picks one from the mode byte and the weight.
//   - One run loop that every instance writes pixels with, and a table builder
//     that instantiates a kernel once per rule.
//   - Guards for float and extreme integer arguments.
// Pixels are RAST_pixel values (bytes A, R, G, B). Nothing here allocates.
#pragma once

#include "raster/RAST_Blend.h"
#include "raster/RAST_Pixel.h"
#include "raster/RAST_Simd.h"

#include <array>
#include <climits>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <type_traits>

// ---- the colour ----

struct RAST_Ink
{
  RAST_pixel color;
  int r, g, b, a;

  explicit RAST_Ink(RAST_pixel c)
      : color(c), r(RAST_GETR(c)), g(RAST_GETG(c)), b(RAST_GETB(c)), a(RAST_GETA(c))
  {
  }
};

// ---- rules beyond the combine functors ----

// Each byte becomes (d + s) >> 1, the weight ignored: the half-weight copy of
// the shape instances. It rounds the sum, so 1 over 1 stays 1, where the
// whole-pixel RAST_HalfMix halves each value first and gives 0.
struct RAST_BlendByteAverage
{
  static void Apply(RAST_pixel* p, int r, int g, int b, int a, int)
  {
    const RAST_pixel d = *p;
    *p = RAST_RGBA((RAST_GETR(d) + r) >> 1, (RAST_GETG(d) + g) >> 1, (RAST_GETB(d) + b) >> 1,
                   (RAST_GETA(d) + a) >> 1);
  }
};

// A whole-pixel mix of RAST_Pixel.h with the colour, the weight ignored.
template <RAST_pixel (*Mix)(RAST_pixel, RAST_pixel)>
struct RAST_BlendWholePixel
{
  static void Apply(RAST_pixel* p, int r, int g, int b, int a, int) { *p = Mix(*p, RAST_RGBA(r, g, b, a)); }
};

using RAST_BlendHalfMix = RAST_BlendWholePixel<&RAST_HalfMix>;
using RAST_BlendQuarterMix = RAST_BlendWholePixel<&RAST_QuarterMix>;
using RAST_BlendThreeQuarterMix = RAST_BlendWholePixel<&RAST_ThreeQuarterMix>;

// ---- rule selection ----

enum class RAST_ShapeRule
{
  Clobber,          // copy at weight 256: store the colour
  ByteAverage,      // copy at weight 128 in the line, dash and circle instances
  HalfMix,          // copy at weight 128, whole pixel
  QuarterMix,       // copy at weight 64, whole pixel
  ThreeQuarterMix,  // copy at weight 192, whole pixel
  Copy,
  Add,
  ColorDodge,
  Multiply,
  Overlay,
  HSVAdjust,
  Count,
  None  // draw nothing
};

constexpr int RAST_SHAPE_RULE_COUNT = static_cast<int>(RAST_ShapeRule::Count);

// The functor rule of combine mode op (0..5).
constexpr RAST_ShapeRule RAST_ModeRule(int op)
{
  return static_cast<RAST_ShapeRule>(static_cast<int>(RAST_ShapeRule::Copy) + op);
}

// Anti-aliased and float instances: every mode through its functor. Weight 0
// and a mode byte above 5 draw nothing, and so does a copy at a negative
// weight (it would push channels past both values being mixed); the other
// modes take a negative weight as it is (Add then subtracts).
constexpr RAST_ShapeRule RAST_BlendedShapeRule(int op, int w)
{
  if (w == 0 || op < 0 || op >= RAST_BLIT_MODE_COUNT) return RAST_ShapeRule::None;
  if (op == RAST_BLIT_MODE_COPY && w < 0) return RAST_ShapeRule::None;
  return RAST_ModeRule(op);
}

// Plain lines, dashes and circles: as RAST_BlendedShapeRule, but a copy at
// weight 256 stores the colour and one at weight 128 averages each byte.
constexpr RAST_ShapeRule RAST_PlainShapeRule(int op, int w)
{
  const RAST_ShapeRule rule = RAST_BlendedShapeRule(op, w);
  if (rule != RAST_ShapeRule::Copy) return rule;
  if (w == RAST_WEIGHT_FULL) return RAST_ShapeRule::Clobber;
  if (w == 128) return RAST_ShapeRule::ByteAverage;
  return rule;
}

// Area fills: a copy at weight 64, 128, 192 or 256 mixes whole pixels.
constexpr RAST_ShapeRule RAST_FillShapeRule(int op, int w)
{
  const RAST_ShapeRule rule = RAST_BlendedShapeRule(op, w);
  if (rule != RAST_ShapeRule::Copy) return rule;
  switch (w)
  {
    case RAST_WEIGHT_FULL: return RAST_ShapeRule::Clobber;
    case 64: return RAST_ShapeRule::QuarterMix;
    case 128: return RAST_ShapeRule::HalfMix;
    case 192: return RAST_ShapeRule::ThreeQuarterMix;
    default: return rule;
  }
}

// Lines in copy mode test the float alpha itself for the whole-pixel mixes:
// exactly 1.0, 0.5, 0.25 or 0.75; None for any other alpha.
inline RAST_ShapeRule RAST_ExactAlphaRule(float alpha)
{
  if (alpha == 1.0f) return RAST_ShapeRule::Clobber;
  if (alpha == 0.5f) return RAST_ShapeRule::HalfMix;
  if (alpha == 0.25f) return RAST_ShapeRule::QuarterMix;
  if (alpha == 0.75f) return RAST_ShapeRule::ThreeQuarterMix;
  return RAST_ShapeRule::None;
}

// ---- writing pixels ----

// count pixels from p, step pixels apart, each combined at weight w. The
// scalar loop is the reference; a row of a whole-pixel rule runs the
// vectorised kernel of RAST_Simd.h, which gives the same bytes.
template <class Blend>
inline void RAST_RunPixels(RAST_pixel* p, ptrdiff_t step, int count, const RAST_Ink& ink, int w)
{
  if (step == 1)
  {
    if constexpr (std::is_same_v<Blend, RAST_BlendClobber>) return RAST_RowFill(p, count, ink.color);
    if constexpr (std::is_same_v<Blend, RAST_BlendHalfMix>) return RAST_RowHalfMixColor(p, count, ink.color);
    if constexpr (std::is_same_v<Blend, RAST_BlendQuarterMix>)
      return RAST_RowQuarterMixColor(p, count, ink.color);
    if constexpr (std::is_same_v<Blend, RAST_BlendThreeQuarterMix>)
      return RAST_RowThreeQuarterMixColor(p, count, ink.color);
  }
  for (int i = 0; i < count; ++i) Blend::Apply(p + i * step, ink.r, ink.g, ink.b, ink.a, w);
}

template <class Blend>
inline void RAST_PutInk(RAST_pixel* p, const RAST_Ink& ink, int w)
{
  Blend::Apply(p, ink.r, ink.g, ink.b, ink.a, w);
}

// Kernel<Blend>::Run for every rule, indexed by RAST_ShapeRule; every Run must
// have the same signature.
template <template <class> class Kernel>
constexpr auto RAST_ShapeRuleTable()
{
  using Fn = decltype(&Kernel<RAST_BlendCopy>::Run);
  const std::array<Fn, RAST_SHAPE_RULE_COUNT> table = {
      &Kernel<RAST_BlendClobber>::Run,          // Clobber
      &Kernel<RAST_BlendByteAverage>::Run,      // ByteAverage
      &Kernel<RAST_BlendHalfMix>::Run,          // HalfMix
      &Kernel<RAST_BlendQuarterMix>::Run,       // QuarterMix
      &Kernel<RAST_BlendThreeQuarterMix>::Run,  // ThreeQuarterMix
      &Kernel<RAST_BlendCopy>::Run,             // Copy
      &Kernel<RAST_BlendAdd>::Run,              // Add
      &Kernel<RAST_BlendColorDodge>::Run,       // ColorDodge
      &Kernel<RAST_BlendMultiply>::Run,         // Multiply
      &Kernel<RAST_BlendOverlay>::Run,          // Overlay
      &Kernel<RAST_BlendHSVAdjust>::Run,        // HSVAdjust
  };
  static_assert(static_cast<int>(RAST_ShapeRule::HSVAdjust) == RAST_SHAPE_RULE_COUNT - 1,
                "the table lists every shape rule");
  return table;
}

// ---- argument guards ----

// The weight of a float alpha for the shape operations: as RAST_WeightFromAlpha,
// but an infinite alpha draws nothing, like NaN.
inline int RAST_ShapeWeight(float alpha)
{
  return std::isfinite(alpha) ? RAST_WeightFromAlpha(alpha) : 0;
}

inline bool RAST_AllFinite(std::initializer_list<float> values)
{
  for (const float v : values)
    if (!std::isfinite(v)) return false;
  return true;
}

// v truncated toward zero and held within lo..hi; v must not be NaN.
inline int RAST_TruncClamped(double v, int lo, int hi)
{
  if (v <= lo) return lo;
  if (v >= hi) return hi;
  return static_cast<int>(v);
}

// a + b held within the int range. Outline edges are axis-parallel, so holding
// an off-bitmap end keeps it off the bitmap and the visible part unchanged.
inline int RAST_AddClamped(int64_t a, int64_t b)
{
  const int64_t v = a + b;
  return v < INT_MIN ? INT_MIN : v > INT_MAX ? INT_MAX : static_cast<int>(v);
}

// Where the segment from p to q meets the line a = bound (p and q on its two
// sides): the other coordinate b, interpolated from the end nearer to the
// bound so that ends far away lose no precision that the near one has.
inline double RAST_CrossingAt(double pa, double pb, double qa, double qb, double bound)
{
  if (std::fabs(pa - bound) <= std::fabs(qa - bound)) return pb + (qb - pb) * ((bound - pa) / (qa - pa));
  return qb + (pb - qb) * ((bound - qa) / (pa - qa));
}

// Cuts the segment (x1, y1)-(x2, y2) to the square -limit..limit on both axes
// in double; false when nothing of it lies inside. An end inside keeps its
// exact value, and a moved end lies exactly on the edge it crossed.
inline bool RAST_ClipToSquare(double& x1, double& y1, double& x2, double& y2, double limit)
{
  auto code = [limit](double x, double y) {
    return (x < -limit ? 1 : x > limit ? 2 : 0) | (y < -limit ? 4 : y > limit ? 8 : 0);
  };
  int c1 = code(x1, y1), c2 = code(x2, y2);
  // Each step puts one end on an edge; four decide any segment.
  for (int step = 0; step < 8; ++step)
  {
    if (!(c1 | c2)) return true;
    if (c1 & c2) return false;
    const bool first = c1 != 0;
    const int c = first ? c1 : c2;
    double& px = first ? x1 : x2;
    double& py = first ? y1 : y2;
    const double qx = first ? x2 : x1, qy = first ? y2 : y1;
    if (c & 3)
    {
      const double bound = c & 1 ? -limit : limit;
      py = RAST_CrossingAt(px, py, qx, qy, bound);
      px = bound;
    }
    else
    {
      const double bound = c & 4 ? -limit : limit;
      px = RAST_CrossingAt(py, px, qy, qx, bound);
      py = bound;
    }
    (first ? c1 : c2) = code(px, py);
  }
  return false;
}

// The integer line clipper on 64-bit coordinates (RAST_Line.cpp): clips the
// segment to columns 0..w-1 and rows 0..h-1 in place and tells whether
// something is left. Intersections lie between the ends, so nothing can
// overflow for ends anywhere in the int range, mirrored or shifted.
bool RAST_ClipLine64(int64_t* x1, int64_t* y1, int64_t* x2, int64_t* y2, int64_t w, int64_t h);
