#include "raster/RAST_FLine.h"

#include "raster/RAST_BitmapView.h"
#include "raster/RAST_Line.h"
#include "raster/RAST_ShapeRules.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace
{
// The float clipper decides within 33 steps or gives up: an end placed one
// pixel inside a bitmap of width or height 1 would otherwise go back and forth.
constexpr int kMaxFloatClipSteps = 33;

// Ends beyond this are first cut to it in double: truncating to int must not
// overflow.
constexpr double kIntSafeLimit = 1073741824.0;  // 2^30

// ---- instances ----

// n + 1 major positions from p. The minor offset e (16.16, below 65536) splits
// each position: its pixel at (255 - f) * w / 256 and the next one along the
// minor axis at f * w / 256, f = e >> 8; slope is added per step.
template <class Blend>
struct FLineRun
{
  static void Run(RAST_pixel* p, int n, int e, int slope, ptrdiff_t majorStep, ptrdiff_t minorStep,
                  const RAST_Ink& ink, int w)
  {
    for (int i = 0; i <= n; ++i)
    {
      const int f = e >> 8;
      RAST_PutInk<Blend>(p, ink, ((255 - f) * w) >> 8);
      RAST_PutInk<Blend>(p + minorStep, ink, (f * w) >> 8);
      if (i == n) break;
      e += slope;
      if (e >= 65536)
      {
        e -= 65536;
        p += minorStep;
      }
      p += majorStep;
    }
  }
};

// Dashes along a run of length pixels from start (the far end excluded): pxon
// drawn, pxoff skipped. The position is 64-bit, so a huge period ends the loop
// instead of wrapping, and each dash is addressed afresh, never stepped past
// the run.
template <class Blend>
struct DashRun
{
  static void Run(RAST_pixel* start, ptrdiff_t step, int length, int pxon, int pxoff, const RAST_Ink& ink, int w)
  {
    const int64_t period = static_cast<int64_t>(pxon) + pxoff;
    const int64_t limit = static_cast<int64_t>(length) - pxon;
    int64_t v = 0;
    for (; v < limit; v += period) RAST_RunPixels<Blend>(start + v * step, step, pxon, ink, w);
    const int64_t rest = std::min<int64_t>(length - v, pxon);
    if (rest >= 1) RAST_RunPixels<Blend>(start + v * step, step, static_cast<int>(rest), ink, w);
  }
};

// Indexed by RAST_ShapeRule.
constexpr auto kFLineRun = RAST_ShapeRuleTable<FLineRun>();
constexpr auto kDashRun = RAST_ShapeRuleTable<DashRun>();

// ---- the float clipper ----

int Outcode(float x, float y, float xmax, float ymax)
{
  int code = x < 0 ? 1 : x >= xmax ? 2 : 0;
  code |= y < 0 ? 4 : y >= ymax ? 8 : 0;
  return code;
}

// Cohen-Sutherland in single precision against [0, xmax) x [0, ymax); an end
// beyond the bottom or right edge is put one pixel inside it. False when
// nothing is left, or when an intersection is not a finite number.
bool ClipFloat(float* x1, float* y1, float* x2, float* y2, int w, int h)
{
  const float xmax = static_cast<float>(w - 1), ymax = static_cast<float>(h - 1);
  float ax = *x1, ay = *y1, bx = *x2, by = *y2;
  int c1 = Outcode(ax, ay, xmax, ymax), c2 = Outcode(bx, by, xmax, ymax);
  bool visible = false;
  for (int step = 0; step < kMaxFloatClipSteps; ++step)
  {
    if (!(c1 | c2))
    {
      visible = true;
      break;
    }
    if (c1 & c2) break;
    const bool first = c1 != 0;
    const int code = first ? c1 : c2;
    float x, y;
    if (code & 8)
    {
      x = ax + (bx - ax) * (ymax - ay) / (by - ay);
      y = ymax - 1;
    }
    else if (code & 4)
    {
      x = ax + (bx - ax) * ay / (ay - by);
      y = 0;
    }
    else if (code & 2)
    {
      y = ay + (by - ay) * (xmax - ax) / (bx - ax);
      x = xmax - 1;
    }
    else
    {
      y = ay + (by - ay) * ax / (ax - bx);
      x = 0;
    }
    // Products of ends far beyond the bitmap can overflow.
    if (!std::isfinite(x) || !std::isfinite(y)) break;
    if (first)
    {
      ax = x;
      ay = y;
      c1 = Outcode(ax, ay, xmax, ymax);
    }
    else
    {
      bx = x;
      by = y;
      c2 = Outcode(bx, by, xmax, ymax);
    }
  }
  *x1 = ax;
  *y1 = ay;
  *x2 = bx;
  *y2 = by;
  return visible;
}

// ---- the anti-aliased float line ----

void DrawAntiAliased(const RAST_BitmapView& view, float x1, float y1, float x2, float y2, const RAST_Ink& ink,
                     int w, int op)
{
  const float dx = x2 - x1, dy = y2 - y1;
  // 45 degrees counts as y-major.
  const bool xMajor = std::fabs(dx) > std::fabs(dy);
  float startMajor = xMajor ? x1 : y1, startMinor = xMajor ? y1 : x1;
  float endMajor = xMajor ? x2 : y2, endMinor = xMajor ? y2 : x2;
  float majorDelta = xMajor ? dx : dy, minorDelta = xMajor ? dy : dx;
  if (majorDelta < 0)
  {
    std::swap(startMajor, endMajor);
    std::swap(startMinor, endMinor);
    majorDelta = -majorDelta;
    minorDelta = -minorDelta;
  }
  const float slope = minorDelta / majorDelta;
  const ptrdiff_t majorStep = xMajor ? 1 : view.span;
  const ptrdiff_t minorStep = (xMajor ? view.span : 1) * (minorDelta < 0 ? -1 : 1);

  // The whole major positions first..last between the ends.
  const float first = std::ceil(startMajor), last = std::floor(endMajor);
  const int n = static_cast<int>(static_cast<double>(last) - static_cast<double>(first));
  if (n < 0) return;

  // Minor position at the first one; held between the ends' minor values so
  // that rounding cannot carry it past the clipped end.
  float m = (first - startMajor) * slope + startMinor;
  m = std::clamp(m, std::min(startMinor, endMinor), std::max(startMinor, endMinor));
  const int frac = static_cast<int>((m - std::floor(m)) * 65536.0f);
  const int majorIndex = static_cast<int>(first);
  int minorIndex = static_cast<int>(m);
  int e = frac;
  if (minorStep < 0)
  {
    // Walking toward smaller minor values: the pair is this pixel and the one
    // before it, so start one further and count the offset from there.
    minorIndex += 1;
    e = 65535 - frac;
  }
  const int slope16 = static_cast<int>(static_cast<double>(std::fabs(slope)) * 65536.0);

  // The clipper keeps the footprint inside; check it whole all the same, once,
  // rather than trusting float rounding at the last pixel.
  const int64_t travel = (static_cast<int64_t>(e) + static_cast<int64_t>(n) * slope16) >> 16;
  const int64_t minorLo = minorStep > 0 ? minorIndex : minorIndex - travel - 1;
  const int64_t minorHi = minorStep > 0 ? minorIndex + travel + 1 : minorIndex;
  const int majorSize = xMajor ? view.width : view.height, minorSize = xMajor ? view.height : view.width;
  if (majorIndex < 0 || static_cast<int64_t>(majorIndex) + n >= majorSize || minorLo < 0 || minorHi >= minorSize)
    return;

  const RAST_ShapeRule rule = RAST_BlendedShapeRule(op, w);
  if (rule == RAST_ShapeRule::None) return;
  const int px = xMajor ? majorIndex : minorIndex, py = xMajor ? minorIndex : majorIndex;
  RAST_pixel* start = view.bits + static_cast<ptrdiff_t>(py) * view.span + px;
  kFLineRun[static_cast<int>(rule)](start, n, e, slope16, majorStep, minorStep, ink, w);
}
}  // namespace

void RAST_FLine(RAST_IBitmap* dest, float x1, float y1, float x2, float y2, RAST_pixel color, float alpha, int mode,
                bool aa)
{
  if (!dest || !RAST_AllFinite({x1, y1, x2, y2, alpha})) return;
  if (!aa)
  {
    double a = x1, b = y1, c = x2, d = y2;
    if (!RAST_ClipToSquare(a, b, c, d, kIntSafeLimit)) return;
    RAST_Line(dest, static_cast<int>(a), static_cast<int>(b), static_cast<int>(c), static_cast<int>(d), color, alpha,
              mode, false);
    return;
  }

  RAST_BitmapView view;
  if (!view.Open(dest)) return;
  if (view.flipped)
  {
    y1 = static_cast<float>(view.height - 1) - y1;
    y2 = static_cast<float>(view.height - 1) - y2;
  }
  // Ends far outside are cut in double to a square around the bitmap first,
  // so the single-precision clipper neither overflows nor loses the line.
  const double reach = 2.0 * std::max(view.width, view.height) + 16.0;
  if (std::max({std::fabs(x1), std::fabs(y1), std::fabs(x2), std::fabs(y2)}) > reach)
  {
    double a = x1, b = y1, c = x2, d = y2;
    if (!RAST_ClipToSquare(a, b, c, d, reach)) return;
    x1 = static_cast<float>(a);
    y1 = static_cast<float>(b);
    x2 = static_cast<float>(c);
    y2 = static_cast<float>(d);
  }
  if (!ClipFloat(&x1, &y1, &x2, &y2, view.width, view.height)) return;
  if (x1 == x2 && y1 == y2) return;
  const int op = mode & RAST_BLIT_MODE_MASK;
  DrawAntiAliased(view, x1, y1, x2, y2, RAST_Ink(color), RAST_ShapeWeight(alpha), op);
}

bool RAST_ClipFLineToBitmap(float* x1, float* y1, float* x2, float* y2, int w, int h)
{
  if (!x1 || !y1 || !x2 || !y2 || !RAST_AllFinite({*x1, *y1, *x2, *y2})) return false;
  return ClipFloat(x1, y1, x2, y2, w, h);
}

bool RAST_ClipFLine(float* x1, float* y1, float* x2, float* y2, float xLo, float yLo, float xHi, float yHi)
{
  if (!x1 || !y1 || !x2 || !y2 || !RAST_AllFinite({*x1, *y1, *x2, *y2, xLo, yLo, xHi, yHi})) return false;
  const float w = xHi - xLo, h = yHi - yLo;
  float a = *x1 - xLo, b = *y1 - yLo, c = *x2 - xLo, d = *y2 - yLo;
  const bool visible = RAST_AllFinite({a, b, c, d}) &&
                       ClipFloat(&a, &b, &c, &d, RAST_TruncClamped(w, INT_MIN, INT_MAX),
                                 RAST_TruncClamped(h, INT_MIN, INT_MAX));
  *x1 = a + xLo;
  *y1 = b + yLo;
  *x2 = c + xLo;
  *y2 = d + yLo;
  return visible;
}

void RAST_DashedLine(RAST_IBitmap* dest, int x1, int y1, int x2, int y2, int pxon, int pxoff, RAST_pixel color,
                     float alpha, int mode, bool)
{
  // A period below 1 would never advance; dashes of no pixels draw nothing.
  if (pxon < 1 || static_cast<int64_t>(pxon) + pxoff < 1) return;
  RAST_BitmapView view;
  if (!view.Open(dest)) return;
  int64_t a = x1, b = y1, c = x2, d = y2;
  if (!RAST_ClipLine64(&a, &b, &c, &d, view.width, view.height)) return;
  if (b > d) std::swap(b, d);
  if (a > c) std::swap(a, c);

  const int w = RAST_ShapeWeight(alpha);
  const RAST_ShapeRule rule = RAST_PlainShapeRule(mode & RAST_BLIT_MODE_MASK, w);
  if (rule == RAST_ShapeRule::None) return;
  // Rows are taken as stored, flipped bitmap or not: the pattern starts at
  // the lower stored row (or the left end) and walks the storage forward.
  RAST_pixel* start = view.bits + b * view.span + a;
  const RAST_Ink ink(color);
  // A vertical line of one-on, one-off dashes at alpha 1.0 in copy mode is the
  // Clobber instance here: a plain store of every second pixel.
  if (a == c)
    kDashRun[static_cast<int>(rule)](start, view.span, static_cast<int>(d - b), pxon, pxoff, ink, w);
  else if (b == d)
    kDashRun[static_cast<int>(rule)](start, 1, static_cast<int>(c - a), pxon, pxoff, ink, w);
}
