#include "raster/RAST_Circle.h"

#include "raster/RAST_BitmapView.h"
#include "raster/RAST_CircleMasks.h"
#include "raster/RAST_Glyph.h"
#include "raster/RAST_Line.h"
#include "raster/RAST_ShapeRules.h"
#include "winl/draw/WINL_Types.h"

#include <algorithm>
#include <cmath>

namespace
{
// Centres and radii beyond this draw nothing: within it every sum of the
// drawers (centre, radius, offsets of a few pixels) stays inside an int.
constexpr float kCoordLimit = 268435456.0f;  // 2^28

// Angles in single precision, and their double values where the arc works
// in double.
constexpr float kPiF = 3.1415927f;
constexpr float kHalfPiF = 1.5707964f;
constexpr float kTwoPiF = 6.2831855f;
constexpr double kTwoPi = static_cast<double>(kTwoPiF);
constexpr double kHalfPi = static_cast<double>(kHalfPiF);

// An arc of less than a full turn spans at most five quarter-turn pieces.
constexpr int kMaxArcPieces = 8;

// ---- writers ----
// Pixel (x, y) is element x + y * span of the bits: storage rows, the centre
// already mirrored for a flipped bitmap. With Clip, only pixels inside the
// clip rectangle are written; without it nothing is tested (the caller has
// made sure the whole circle lies inside).
template <class Blend, bool Clip>
struct CirclePen
{
  RAST_pixel* bits;
  ptrdiff_t span;
  RECT clip;
  const RAST_Ink& ink;

  RAST_pixel* At(int x, int y) const { return bits + static_cast<ptrdiff_t>(y) * span + x; }

  // One pixel: RAST_CirclePixel_Impl_<Mode>.
  void P(int x, int y, int w) const
  {
    if (Clip && (x < clip.left || x >= clip.right || y < clip.top || y >= clip.bottom)) return;
    RAST_PutInk<Blend>(At(x, y), ink, w);
  }

  // Column x from row y1 to row y2, both included: RAST_CircleVSpan_Impl_<Mode>.
  void V(int x, int y1, int y2, int w) const
  {
    if (Clip)
    {
      if (x < clip.left || x >= clip.right) return;
      y1 = std::max(y1, static_cast<int>(clip.top));
      y2 = std::min(y2, static_cast<int>(clip.bottom) - 1);
    }
    if (y1 <= y2) RAST_RunPixels<Blend>(At(x, y1), span, y2 - y1 + 1, ink, w);
  }

  // Row y from column x1 to column x2, both included: RAST_CircleHSpan_Impl_<Mode>.
  void H(int y, int x1, int x2, int w) const
  {
    if (Clip)
    {
      if (y < clip.top || y >= clip.bottom) return;
      x1 = std::max(x1, static_cast<int>(clip.left));
      x2 = std::min(x2, static_cast<int>(clip.right) - 1);
    }
    if (x1 <= x2) RAST_RunPixels<Blend>(At(x1, y), 1, x2 - x1 + 1, ink, w);
  }
};

// ---- the rows worth walking ----

// Row offsets y >= 1 of the walk that can write inside the clip rectangle.
// Every write for offset y lies in column cx - y or cx + y, or in row cy - y
// or cy + y, so at most four runs of offsets matter, none longer than the
// rectangle. A huge circle crossing a small bitmap walks only those.
class RowOffsets
{
public:
  // With everything visible, one run from 1 on; the walks end by themselves.
  RowOffsets() : mCount(1) { mRuns[0] = {1, INT_MAX}; }

  RowOffsets(const RECT& clip, int icx, int icy)
  {
    const Run candidates[4] = {
        {static_cast<int64_t>(clip.left) - icx, static_cast<int64_t>(clip.right) - 1 - icx},
        {static_cast<int64_t>(icx) - clip.right + 1, static_cast<int64_t>(icx) - clip.left},
        {static_cast<int64_t>(clip.top) - icy, static_cast<int64_t>(clip.bottom) - 1 - icy},
        {static_cast<int64_t>(icy) - clip.bottom + 1, static_cast<int64_t>(icy) - clip.top},
    };
    for (Run run : candidates)
    {
      run.lo = std::max<int64_t>(run.lo, 1);
      run.hi = std::min<int64_t>(run.hi, INT_MAX);
      if (run.lo <= run.hi) mRuns[mCount++] = run;
    }
    std::sort(mRuns, mRuns + mCount, [](const Run& a, const Run& b) { return a.lo < b.lo; });
    int merged = 0;
    for (int i = 0; i < mCount; ++i)
    {
      if (merged > 0 && mRuns[i].lo <= mRuns[merged - 1].hi + 1)
        mRuns[merged - 1].hi = std::max(mRuns[merged - 1].hi, mRuns[i].hi);
      else
        mRuns[merged++] = mRuns[i];
    }
    mCount = merged;
  }

  // Calls row(y, resumed) in increasing y until it returns false; resumed is
  // true where a run starts after skipped offsets (and at the first one).
  template <class Row>
  void ForEach(Row row) const
  {
    for (int i = 0; i < mCount; ++i)
      for (int64_t y = mRuns[i].lo; y <= mRuns[i].hi; ++y)
        if (!row(static_cast<int>(y), y == mRuns[i].lo)) return;
  }

private:
  struct Run
  {
    int64_t lo, hi;
  };
  Run mRuns[4];
  int mCount = 0;
};

// The x of the integer midpoint walk at row offset y, without walking to it:
// the largest X with X * (X - 1) < ir^2 - y^2 + 1. (The walk keeps its
// decision value d = y^2 - 1 + x^2 - x - ir^2 before each row and steps x down
// when d >= 0, which keeps exactly that bound.) 0 when no X fits.
int WalkX(int ir, int y)
{
  const int64_t k = static_cast<int64_t>(ir) * ir - static_cast<int64_t>(y) * y + 1;
  if (k <= 0) return 0;
  int64_t x = static_cast<int64_t>((1.0 + std::sqrt(1.0 + 4.0 * static_cast<double>(k))) * 0.5);
  while (x > 0 && x * (x - 1) >= k) --x;
  while ((x + 1) * x < k) ++x;
  return static_cast<int>(x);
}

// ---- drawers ----

struct CircleArgs
{
  RAST_pixel* bits;
  ptrdiff_t span;
  RECT clip;
  bool doclip;
  const RAST_Ink& ink;
  int ia;
  bool filled;
  float cx, cy, r;
};

// The eight spans of one row offset of a disc: columns cx -+ y from the rim
// xi to the diagonal, and rows cy -+ y likewise. With the centre spans these
// cover every pixel of the disc once.
template <class Pen>
void DiscRow(const Pen& pen, int icx, int icy, int y, int xi, int w)
{
  pen.V(icx - y, icy - xi, icy - y - 1, w);
  pen.V(icx - y, icy + y + 1, icy + xi, w);
  pen.H(icy - y, icx - xi, icx - y, w);
  pen.H(icy - y, icx + y, icx + xi, w);
  pen.H(icy + y, icx - xi, icx - y, w);
  pen.H(icy + y, icx + y, icx + xi, w);
  pen.V(icx + y, icy - xi, icy - y - 1, w);
  pen.V(icx + y, icy + y + 1, icy + xi, w);
}

// Anti-aliased: per row offset y the rim lies at x = sqrt(r^2 - y^2); the
// pixel just outside it gets the coverage (x - floor x) * ia, the one just
// inside (outline) the rest, and the disc inside it the full weight.
template <class Blend, bool Clip>
void DrawAntiAliased(const CircleArgs& c)
{
  const CirclePen<Blend, Clip> pen{c.bits, c.span, c.clip, c.ink};
  const int ia = c.ia;
  const int icx = static_cast<int>(c.cx + 0.5f), icy = static_cast<int>(c.cy + 0.5f), ir = static_cast<int>(c.r);
  const int w0 = static_cast<int>((static_cast<double>(c.r) - std::floor(c.r)) * ia);

  pen.P(icx, icy - ir - 1, w0);
  pen.P(icx, icy + ir + 1, w0);
  pen.P(icx - ir - 1, icy, w0);
  pen.P(icx + ir + 1, icy, w0);
  if (c.filled)
  {
    pen.V(icx, icy - ir, icy - 1, ia);
    pen.V(icx, icy + 1, icy + ir, ia);
    pen.H(icy, icx - ir, icx + ir, ia);
  }
  else
  {
    pen.P(icx, icy - ir, ia - w0);
    pen.P(icx + ir, icy, ia - w0);
    pen.P(icx, icy + ir, ia - w0);
    pen.P(icx - ir, icy, ia - w0);
  }

  const double rr = static_cast<double>(c.r * c.r);
  const RowOffsets rows = Clip ? RowOffsets(c.clip, icx, icy) : RowOffsets();
  rows.ForEach([&](int y, bool) {
    const double q = rr - static_cast<double>(y) * y;
    if (!(q >= 0.0)) return false;
    const double x = std::sqrt(q);
    const int xi = static_cast<int>(x), w = static_cast<int>((x - std::floor(x)) * ia);
    const int last = static_cast<int>(x + 0.5);
    // Past the diagonal the other octants have drawn everything.
    if (y > last) return false;
    const bool diagonal = y == last;

    pen.P(icx - y, icy - xi - 1, w);
    pen.P(icx - y, icy + xi + 1, w);
    pen.P(icx + y, icy - xi - 1, w);
    pen.P(icx + y, icy + xi + 1, w);
    if (!diagonal)
    {
      pen.P(icx - xi - 1, icy - y, w);
      pen.P(icx + xi + 1, icy - y, w);
      pen.P(icx - xi - 1, icy + y, w);
      pen.P(icx + xi + 1, icy + y, w);
    }
    if (c.filled)
    {
      DiscRow(pen, icx, icy, y, xi, ia);
      return true;
    }
    // On the diagonal row the upper half keeps its (+-xi, -y) pixels and the
    // lower half its (+-y, +xi) ones.
    pen.P(icx - xi, icy - y, ia - w);
    pen.P(icx + xi, icy - y, ia - w);
    pen.P(icx - y, icy + xi, ia - w);
    pen.P(icx + y, icy + xi, ia - w);
    if (!diagonal)
    {
      pen.P(icx - y, icy - xi, ia - w);
      pen.P(icx + y, icy - xi, ia - w);
      pen.P(icx - xi, icy + y, ia - w);
      pen.P(icx + xi, icy + y, ia - w);
    }
    return true;
  });
}

// Plain: the integer midpoint walk over one octant, mirrored eight ways, every
// write at the full weight.
template <class Blend, bool Clip>
void DrawPlain(const CircleArgs& c)
{
  const CirclePen<Blend, Clip> pen{c.bits, c.span, c.clip, c.ink};
  const int ia = c.ia;
  const int icx = static_cast<int>(c.cx + 0.5f), icy = static_cast<int>(c.cy + 0.5f);
  const int ir = static_cast<int>(c.r + 0.5f);
  if (c.filled)
  {
    pen.V(icx, icy - ir, icy - 1, ia);
    pen.V(icx, icy + 1, icy + ir, ia);
    pen.H(icy, icx - ir, icx + ir, ia);
  }
  else
  {
    pen.P(icx, icy - ir, ia);
    pen.P(icx + ir, icy, ia);
    pen.P(icx, icy + ir, ia);
    pen.P(icx - ir, icy, ia);
  }
  if (ir < 2) return;

  int x = ir;
  int64_t d = 0, inc = 0;
  const RowOffsets rows = Clip ? RowOffsets(c.clip, icx, icy) : RowOffsets();
  rows.ForEach([&](int y, bool resumed) {
    if (resumed)
    {
      // Where the walk would stand after row y - 1.
      x = WalkX(ir, y - 1);
      d = static_cast<int64_t>(y) * y - 1 + static_cast<int64_t>(x) * x - x - static_cast<int64_t>(ir) * ir;
      inc = 2 * static_cast<int64_t>(y) + 1;
    }
    if (y >= x) return false;
    if (d >= 0)
    {
      x -= 1;
      d -= 2 * x;
    }
    if (c.filled)
      DiscRow(pen, icx, icy, y, x, ia);
    else
    {
      pen.P(icx - y, icy - x, ia);
      pen.P(icx - y, icy + x, ia);
      pen.P(icx + y, icy - x, ia);
      pen.P(icx + y, icy + x, ia);
      if (y != x)
      {
        pen.P(icx - x, icy - y, ia);
        pen.P(icx - x, icy + y, ia);
        pen.P(icx + x, icy - y, ia);
        pen.P(icx + x, icy + y, ia);
      }
    }
    d += inc;
    inc += 2;
    return true;
  });
}

// RAST_CircleAA_Impl_<Mode> and RAST_Circle_Impl_<Mode>.
template <class Blend>
struct CircleAA
{
  static void Run(const CircleArgs& c) { c.doclip ? DrawAntiAliased<Blend, true>(c) : DrawAntiAliased<Blend, false>(c); }
};

template <class Blend>
struct CirclePlain
{
  static void Run(const CircleArgs& c) { c.doclip ? DrawPlain<Blend, true>(c) : DrawPlain<Blend, false>(c); }
};

// Indexed by RAST_ShapeRule.
constexpr auto kCircleAA = RAST_ShapeRuleTable<CircleAA>();
constexpr auto kCirclePlain = RAST_ShapeRuleTable<CirclePlain>();

// Picks the drawer: anti-aliased, every mode through its functor; plain, a
// copy at weight 256 stores and one at 128 averages bytes. The clip rectangle
// must lie inside the bitmap.
void RAST_Circle_Dispatch(const RAST_BitmapView& view, RAST_pixel color, int ia, bool aa, bool filled, int mode,
                          const RECT& clip, bool doclip, float cx, float cy, float r)
{
  const int op = mode & RAST_BLIT_MODE_MASK;
  const RAST_ShapeRule rule = aa ? RAST_BlendedShapeRule(op, ia) : RAST_PlainShapeRule(op, ia);
  if (rule == RAST_ShapeRule::None) return;
  const RAST_Ink ink(color);
  const CircleArgs args{view.bits, view.span, clip, doclip, ink, ia, filled, cx, cy, r};
  (aa ? kCircleAA : kCirclePlain)[static_cast<int>(rule)](args);
}

// ---- argument checks ----

bool Drawable(float cx, float cy, float r)
{
  return r >= 0 && r <= kCoordLimit && std::fabs(cx) <= kCoordLimit && std::fabs(cy) <= kCoordLimit;
}

// More than 2 pixels off the bitmap, judged on truncated values.
bool FarOff(float cx, float cy, float r, int w, int h)
{
  const int icx = static_cast<int>(cx), icy = static_cast<int>(cy), ir = static_cast<int>(r);
  return icx + ir < -2 || icy + ir < -2 || icx - ir > w + 2 || icy - ir > h + 2;
}

// False when a margin of 2 pixels around the circle lies inside the bitmap:
// then no pixel needs a test.
bool NeedsClip(float cx, float cy, float r, int w, int h)
{
  return !(cx - r - 2 >= 0 && cy - r - 2 >= 0 && cx + r + 2 < w && cy + r + 2 < h);
}

// float to int for rectangle edges and line ends, truncated toward zero; the
// edges are axis-parallel, so an end held at the int range stays off the
// bitmap.
int Trunc(float v) { return RAST_TruncClamped(v, INT_MIN, INT_MAX); }
}  // namespace

void RAST_Circle(RAST_IBitmap* dest, float cx, float cy, float r, RAST_pixel color, float alpha, int mode, bool aa)
{
  RAST_BitmapView view;
  if (!dest || !RAST_AllFinite({cx, cy, r, alpha}) || !Drawable(cx, cy, r) || !view.Open(dest)) return;
  if (FarOff(cx, cy, r, view.width, view.height)) return;
  int n = 0;
  if (const uint8_t* mask = RAST_CircleMask(r, aa, &n))
  {
    // The glyph drawer honours the flipped row order itself.
    RAST_DrawGlyph(dest, static_cast<int>(cx - r), static_cast<int>(cy - r), color, mask, n, n, alpha, mode);
    return;
  }
  if (view.flipped) cy = static_cast<float>(view.height - 1) - cy;
  const int ia = RAST_ShapeWeight(alpha);
  if (ia == 0) return;
  const RECT clip{0, 0, view.width, view.height};
  RAST_Circle_Dispatch(view, color, ia, aa, false, mode, clip, NeedsClip(cx, cy, r, view.width, view.height), cx,
                       cy, r);
}

void RAST_FillCircle(RAST_IBitmap* dest, float cx, float cy, float r, RAST_pixel color, float alpha, int mode,
                     bool aa)
{
  RAST_BitmapView view;
  if (!dest || !RAST_AllFinite({cx, cy, r, alpha}) || !Drawable(cx, cy, r) || !view.Open(dest)) return;
  if (view.flipped) cy = static_cast<float>(view.height - 1) - cy;
  const int ia = RAST_ShapeWeight(alpha);
  if (ia == 0 || FarOff(cx, cy, r, view.width, view.height)) return;
  const RECT clip{0, 0, view.width, view.height};
  RAST_Circle_Dispatch(view, color, ia, aa, true, mode, clip, NeedsClip(cx, cy, r, view.width, view.height), cx,
                       cy, r);
}

void RAST_Arc(RAST_IBitmap* dest, float cx, float cy, float r, float minAngle, float maxAngle, RAST_pixel color,
              float alpha, int mode, bool aa)
{
  RAST_BitmapView view;
  if (!dest || !RAST_AllFinite({cx, cy, r, minAngle, maxAngle, alpha}) || !Drawable(cx, cy, r) || !view.Open(dest))
    return;
  const float callerCy = cy;
  if (view.flipped)
  {
    cy = static_cast<float>(view.height - 1) - cy;
    minAngle = kPiF - minAngle;
    maxAngle = kPiF - maxAngle;
  }
  float lo = std::min(minAngle, maxAngle), hi = std::max(minAngle, maxAngle);
  if (hi - lo >= kTwoPiF)
  {
    RAST_Circle(dest, cx, callerCy, r, color, alpha, mode, aa);
    return;
  }
  // One shift by whole turns brings the span near 0..2pi.
  if (hi >= kTwoPiF)
  {
    const double h2 = std::fmod(static_cast<double>(hi), kTwoPi);
    lo = static_cast<float>(lo - (hi - h2));
    hi = static_cast<float>(h2);
  }
  else if (lo <= -kTwoPiF)
  {
    const double l2 = std::fmod(static_cast<double>(lo), kTwoPi);
    hi = static_cast<float>(hi - (lo - l2));
    lo = static_cast<float>(l2);
  }
  const int ia = RAST_ShapeWeight(alpha);
  if (ia == 0) return;
  const double a = lo + kTwoPi, b = hi + kTwoPi;
  if (!(b > a)) return;

  auto point = [&](double t, int* px, int* py) {
    *px = static_cast<int>(std::sin(t) * r + cx + 0.5);
    *py = static_cast<int>(cy - std::cos(t) * r + 0.5);
  };
  // Each piece lies within one quarter turn, so the box of its two end points
  // holds it; the whole circle is walked and only that box written.
  double from = a, boundary = a - std::fmod(a, kHalfPi);
  for (int piece = 0; piece < kMaxArcPieces; ++piece)
  {
    boundary = std::min(b, boundary + kHalfPi);
    int x0, y0, x1, y1;
    point(from, &x0, &y0);
    point(boundary, &x1, &y1);
    const int xmin = std::min(x0, x1), xmax = std::max(x0, x1);
    const int ymin = std::min(y0, y1), ymax = std::max(y0, y1);
    const int e = static_cast<float>(xmax) != cx ? 1 : 0;
    const int f = static_cast<float>(ymax) != cy ? 1 : 0;
    const RECT clip{std::max(xmin, 0), std::max(ymin, 0), std::min(xmax + 1 + e, view.width),
                    std::min(ymax + 1 + f, view.height)};
    RAST_Circle_Dispatch(view, color, ia, aa, false, mode, clip, true, cx, cy, r);
    if (!(boundary < b)) break;
    from = boundary;
  }
}

void RAST_RoundRect(RAST_IBitmap* dest, float x, float y, float w, float h, int cornerRadius, RAST_pixel color,
                    float alpha, int mode, bool aa)
{
  if (!dest || !RAST_AllFinite({x, y, w, h, alpha})) return;
  float c = static_cast<float>(cornerRadius);
  if (cornerRadius > 0)
  {
    if (static_cast<double>(c) > 0.5 * w) c = 0.5f * w;
    if (static_cast<double>(c) > 0.5 * h) c = 0.5f * h;
    c = std::floor(c);
  }
  if (cornerRadius <= 0 || c < 2)
  {
    RAST_DrawRect(dest, Trunc(x), Trunc(y), Trunc(w), Trunc(h), color, alpha, mode);
    return;
  }
  RAST_Line(dest, Trunc(x + c), Trunc(y), Trunc(x + w - c), Trunc(y), color, alpha, mode, aa);
  RAST_Line(dest, Trunc(x + c - 1), Trunc(y + h), Trunc(x + w - c), Trunc(y + h), color, alpha, mode, aa);
  RAST_Line(dest, Trunc(x + w), Trunc(y + c), Trunc(x + w), Trunc(y + h - c), color, alpha, mode, aa);
  RAST_Line(dest, Trunc(x), Trunc(y + c - 1), Trunc(x), Trunc(y + h - c), color, alpha, mode, aa);
  RAST_Arc(dest, x + c, y + c, c, -kHalfPiF, 0.0f, color, alpha, mode, aa);
  RAST_Arc(dest, x + w - c, y + c, c, 0.0f, kHalfPiF, color, alpha, mode, aa);
  RAST_Arc(dest, x + w - c, y + h - c, c, kHalfPiF, kPiF, color, alpha, mode, aa);
  RAST_Arc(dest, x + c, y + h - c, c, kPiF, 4.712389f, color, alpha, mode, aa);
}
