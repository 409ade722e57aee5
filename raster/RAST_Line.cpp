#include "raster/RAST_Line.h"

#include "raster/RAST_BitmapView.h"
#include "raster/RAST_Rect.h"
#include "raster/RAST_ShapeRules.h"

#include <cmath>
#include <cstdlib>
#include <utility>

namespace
{
// ---- clipping ----

// Each step of the clipper puts one end on an edge; four suffice for any line.
// The bound only guards against an end that rounding would keep moving.
constexpr int kMaxClipSteps = 16;

int Outcode(int64_t x, int64_t y, int64_t w, int64_t h)
{
  int code = x < 0 ? 1 : x >= w ? 2 : 0;
  code |= y < 0 ? 4 : y >= h ? 8 : 0;
  return code;
}

// trunc(span * part / whole) in double. |part| <= |whole| wherever the clipper
// calls it, so the result lies within span.
int64_t Intercept(int64_t span, int64_t part, int64_t whole)
{
  return static_cast<int64_t>(std::trunc(static_cast<double>(span) * static_cast<double>(part) /
                                         static_cast<double>(whole)));
}

int Saturate(int64_t v) { return v < INT_MIN ? INT_MIN : v > INT_MAX ? INT_MAX : static_cast<int>(v); }

// ---- instances ----
// Pointers address storage rows: the dispatcher has already mirrored y for a
// flipped bitmap. Steps are in pixels.

// Horizontal, vertical and plain 45-degree lines are one strided run: the
// HSpan, VSpan and Diag instances of each rule.
template <class Blend>
struct LineRun
{
  static void Run(RAST_pixel* p, ptrdiff_t step, int count, const RAST_Ink& ink, int w)
  {
    RAST_RunPixels<Blend>(p, step, count, ink, w);
  }
};

// Anti-aliased 45-degree line of n steps from p: each diagonal pixel at three
// quarters of the weight, and per step the pixel beside it in its row and the
// one beside it in its column at a quarter, then the next diagonal pixel.
template <class Diagonal, class Side = Diagonal>
struct LineDiagAA
{
  static void Run(RAST_pixel* p, int n, ptrdiff_t xStep, ptrdiff_t yStep, const RAST_Ink& ink, int w)
  {
    const int wDiagonal = (3 * w) / 4, wSide = w / 4;
    const ptrdiff_t diagonal = xStep + yStep;
    RAST_PutInk<Diagonal>(p, ink, wDiagonal);
    for (int i = 0; i < n; ++i)
    {
      RAST_pixel* q = p + i * diagonal;
      RAST_PutInk<Side>(q + xStep, ink, wSide);
      RAST_PutInk<Side>(q + yStep, ink, wSide);
      RAST_PutInk<Diagonal>(q + diagonal, ink, wDiagonal);
    }
  }
};

template <class Blend>
using LineDiagAAOf = LineDiagAA<Blend>;

// Copy at alpha exactly 1.0 mixes whole pixels: three quarters on the
// diagonal, a quarter beside it.
constexpr auto RAST_LineDiagAA_Inline = &LineDiagAA<RAST_BlendThreeQuarterMix, RAST_BlendQuarterMix>::Run;

// General slope: n + 1 major positions from start to end, walked from both
// ends at once (p from the start, q from the end) so the halves mirror each
// other. slope is |minor / major| in 16.16; the error e is the minor offset of
// p from its pixel in the same scale.
template <class Blend>
struct LineSlope
{
  static void Run(RAST_pixel* start, RAST_pixel* end, int slope, ptrdiff_t majorStep, int n, ptrdiff_t minorStep,
                  const RAST_Ink& ink, int w, bool aa)
  {
    const int half = (n + 1) / 2;
    RAST_pixel* p = start;
    RAST_pixel* q = end;
    if (!aa)
    {
      // The minor coordinate steps once the offset reaches one half.
      int e = 0;
      for (int i = 0; i < half; ++i)
      {
        RAST_PutInk<Blend>(p, ink, w);
        RAST_PutInk<Blend>(q, ink, w);
        e += slope;
        if (e >= 32768)
        {
          p += minorStep;
          q -= minorStep;
          e -= 65536;
        }
        p += majorStep;
        q -= majorStep;
      }
      if (n % 2 == 0) RAST_PutInk<Blend>(p, ink, w);
      return;
    }

    // Anti-aliased: the ends at the full weight; each inner position split
    // between its pixel at (255 - f) * w / 256 and the next one along the
    // minor axis at f * w / 256, with f the top 8 bits of the offset.
    RAST_PutInk<Blend>(p, ink, w);
    RAST_PutInk<Blend>(q, ink, w);
    p += majorStep;
    q -= majorStep;
    int e = slope;
    for (int i = 1; i < half; ++i)
    {
      const int f = e >> 8;
      const int wNear = ((255 - f) * w) >> 8, wFar = (f * w) >> 8;
      RAST_PutInk<Blend>(p, ink, wNear);
      RAST_PutInk<Blend>(p + minorStep, ink, wFar);
      RAST_PutInk<Blend>(q, ink, wNear);
      RAST_PutInk<Blend>(q - minorStep, ink, wFar);
      e += slope;
      if (e >= 65536)
      {
        p += minorStep;
        q -= minorStep;
        e -= 65536;
      }
      p += majorStep;
      q -= majorStep;
    }
    if (n % 2 == 0)
    {
      const int f = e >> 8;
      RAST_PutInk<Blend>(p, ink, ((255 - f) * w) >> 8);
      RAST_PutInk<Blend>(p + minorStep, ink, (f * w) >> 8);
    }
  }
};

// Indexed by RAST_ShapeRule.
constexpr auto kLineRun = RAST_ShapeRuleTable<LineRun>();
constexpr auto kLineDiagAA = RAST_ShapeRuleTable<LineDiagAAOf>();
constexpr auto kLineSlope = RAST_ShapeRuleTable<LineSlope>();

// ---- drawing a clipped line ----

struct ClippedLine
{
  RAST_pixel* bits;
  ptrdiff_t span;
  int x1, y1, x2, y2;

  RAST_pixel* At(int x, int y) const { return bits + static_cast<ptrdiff_t>(y) * span + x; }
};

// Horizontal or vertical: the aa flag has no effect. Copy at alpha exactly
// 1.0, 0.5, 0.25 or 0.75 mixes whole pixels.
void DrawStraight(const ClippedLine& l, const RAST_Ink& ink, float alpha, int op)
{
  RAST_pixel* p;
  ptrdiff_t step;
  int count;
  if (l.y1 == l.y2)
  {
    p = l.At(std::min(l.x1, l.x2), l.y1);
    step = 1;
    count = std::abs(l.x2 - l.x1) + 1;
  }
  else
  {
    p = l.At(l.x1, std::min(l.y1, l.y2));
    step = l.span;
    count = std::abs(l.y2 - l.y1) + 1;
  }
  RAST_ShapeRule rule = op == RAST_BLIT_MODE_COPY ? RAST_ExactAlphaRule(alpha) : RAST_ShapeRule::None;
  const int w = RAST_ShapeWeight(alpha);
  if (rule == RAST_ShapeRule::None) rule = RAST_PlainShapeRule(op, w);
  if (rule == RAST_ShapeRule::None) return;
  kLineRun[static_cast<int>(rule)](p, step, count, ink, w);
}

void DrawDiagonal(const ClippedLine& l, const RAST_Ink& ink, float alpha, int op, bool aa)
{
  RAST_pixel* p = l.At(l.x1, l.y1);
  const ptrdiff_t xStep = l.x2 > l.x1 ? 1 : -1;
  const ptrdiff_t yStep = l.y2 > l.y1 ? l.span : -l.span;
  const int n = std::abs(l.x2 - l.x1);
  const bool solid = op == RAST_BLIT_MODE_COPY && alpha == 1.0f;
  const int w = RAST_ShapeWeight(alpha);
  if (aa)
  {
    if (solid) return RAST_LineDiagAA_Inline(p, n, xStep, yStep, ink, w);
    const RAST_ShapeRule rule = RAST_BlendedShapeRule(op, w);
    if (rule != RAST_ShapeRule::None) kLineDiagAA[static_cast<int>(rule)](p, n, xStep, yStep, ink, w);
    return;
  }
  const RAST_ShapeRule rule = solid ? RAST_ShapeRule::Clobber : RAST_PlainShapeRule(op, w);
  if (rule != RAST_ShapeRule::None) kLineRun[static_cast<int>(rule)](p, xStep + yStep, n + 1, ink, w);
}

void DrawSlope(const ClippedLine& l, const RAST_Ink& ink, float alpha, int op, bool aa)
{
  const int dx = l.x2 - l.x1, dy = l.y2 - l.y1;
  const bool xMajor = std::abs(dx) > std::abs(dy);
  const ptrdiff_t majorStep = xMajor ? 1 : l.span;
  ptrdiff_t minorStep = xMajor ? l.span : 1;
  int major = xMajor ? dx : dy, minor = xMajor ? dy : dx;
  RAST_pixel* start = l.At(l.x1, l.y1);
  RAST_pixel* end = l.At(l.x2, l.y2);
  if (major < 0)
  {
    std::swap(start, end);
    major = -major;
    minor = -minor;
  }
  if (minor < 0) minorStep = -minorStep;
  const int slope = static_cast<int>(static_cast<double>(std::abs(minor)) / static_cast<double>(major) * 65536.0);

  const int w = RAST_ShapeWeight(alpha);
  const RAST_ShapeRule rule = aa ? RAST_BlendedShapeRule(op, w) : RAST_PlainShapeRule(op, w);
  if (rule == RAST_ShapeRule::None) return;
  kLineSlope[static_cast<int>(rule)](start, end, slope, majorStep, major, minorStep, ink, w, aa);
}
}  // namespace

bool RAST_ClipLine64(int64_t* x1, int64_t* y1, int64_t* x2, int64_t* y2, int64_t w, int64_t h)
{
  int c1 = Outcode(*x1, *y1, w, h), c2 = Outcode(*x2, *y2, w, h);
  for (int step = 0; step < kMaxClipSteps; ++step)
  {
    if (!(c1 | c2)) return true;
    if (c1 & c2) return false;
    // The chosen end lies beyond an edge the other end does not: the
    // denominators below cannot be 0.
    const bool first = c1 != 0;
    const int code = first ? c1 : c2;
    int64_t x, y;
    if (code & 8)
    {
      x = *x1 + Intercept(*x2 - *x1, h - *y1, *y2 - *y1);
      y = h - 1;
    }
    else if (code & 4)
    {
      x = *x1 + Intercept(*x2 - *x1, -*y1, *y2 - *y1);
      y = 0;
    }
    else if (code & 2)
    {
      y = *y1 + Intercept(*y2 - *y1, w - *x1, *x2 - *x1);
      x = w - 1;
    }
    else
    {
      y = *y1 + Intercept(*y2 - *y1, -*x1, *x2 - *x1);
      x = 0;
    }
    if (first)
    {
      *x1 = x;
      *y1 = y;
      c1 = Outcode(x, y, w, h);
    }
    else
    {
      *x2 = x;
      *y2 = y;
      c2 = Outcode(x, y, w, h);
    }
  }
  return false;
}

bool RAST_ClipLineToBitmap(int* x1, int* y1, int* x2, int* y2, int w, int h)
{
  return RAST_ClipLine(x1, y1, x2, y2, 0, 0, w, h);
}

bool RAST_ClipLine(int* x1, int* y1, int* x2, int* y2, int xLo, int yLo, int xHi, int yHi)
{
  if (!x1 || !y1 || !x2 || !y2) return false;
  // Shifted in 64 bits, so neither the shift nor the width can overflow.
  int64_t a = static_cast<int64_t>(*x1) - xLo, b = static_cast<int64_t>(*y1) - yLo;
  int64_t c = static_cast<int64_t>(*x2) - xLo, d = static_cast<int64_t>(*y2) - yLo;
  const bool visible = RAST_ClipLine64(&a, &b, &c, &d, static_cast<int64_t>(xHi) - xLo, static_cast<int64_t>(yHi) - yLo);
  *x1 = Saturate(a + xLo);
  *y1 = Saturate(b + yLo);
  *x2 = Saturate(c + xLo);
  *y2 = Saturate(d + yLo);
  return visible;
}

void RAST_Line(RAST_IBitmap* dest, int x1, int y1, int x2, int y2, RAST_pixel color, float alpha, int mode, bool aa)
{
  RAST_BitmapView view;
  if (!view.Open(dest)) return;
  int64_t a = x1, b = y1, c = x2, d = y2;
  if (view.flipped)
  {
    b = view.height - 1 - b;
    d = view.height - 1 - d;
  }
  if (!RAST_ClipLine64(&a, &b, &c, &d, view.width, view.height)) return;

  const ClippedLine l{view.bits, view.span, static_cast<int>(a), static_cast<int>(b), static_cast<int>(c),
                      static_cast<int>(d)};
  const RAST_Ink ink(color);
  const int op = mode & RAST_BLIT_MODE_MASK;
  const int dx = l.x2 - l.x1, dy = l.y2 - l.y1;
  if (dx == 0 || dy == 0)
    DrawStraight(l, ink, alpha, op);
  else if (std::abs(dx) == std::abs(dy))
    DrawDiagonal(l, ink, alpha, op, aa);
  else
    DrawSlope(l, ink, alpha, op, aa);
}

void RAST_DrawRect(RAST_IBitmap* dest, int x, int y, int w, int h, RAST_pixel color, float alpha, int mode)
{
  const int right = RAST_AddClamped(x, w), bottom = RAST_AddClamped(y, h);
  RAST_Line(dest, x, y, right, y, color, alpha, mode, false);
  RAST_Line(dest, right, y, right, bottom, color, alpha, mode, false);
  RAST_Line(dest, right, bottom, x, bottom, color, alpha, mode, false);
  RAST_Line(dest, x, bottom, x, y, color, alpha, mode, false);
}

void RAST_BorderedRect(RAST_IBitmap* dest, int x, int y, int w, int h, RAST_pixel bgcolor, RAST_pixel fgcolor,
                       float alpha, int mode)
{
  if (!std::isfinite(alpha)) return;
  RAST_FillRect(dest, RAST_AddClamped(x, 1), RAST_AddClamped(y, 1), RAST_AddClamped(w, -1), RAST_AddClamped(h, -1),
                bgcolor, alpha, mode);
  RAST_DrawRect(dest, x, y, w, h, fgcolor, alpha, mode);
}
