#include "raster/RAST_Polygon.h"

#include "raster/RAST_BitmapView.h"
#include "raster/RAST_ShapeRules.h"

#include <algorithm>
#include <memory>
#include <new>
#include <utility>

namespace
{
// Polygons up to this many points are sorted without a heap block.
constexpr int kFixedPoints = 512;

// An edge step of more than 8192 columns per row is held there: edges that
// steep are nearly horizontal and the rows they cover are clipped anyway.
constexpr double kMaxStep = 536870912.0;  // 8192 in 16.16

// ---- edges ----

// An edge while filling: x (64-bit, so an edge far outside cannot wrap), the
// 16-bit fraction, the step magnitude per row in 16.16 and its direction.
struct Edge
{
  int64_t x;
  int frac;
  int step;
  int dir;
};

void SetStep(Edge& e, double step)
{
  const int s = static_cast<int>(std::clamp(step, -kMaxStep, kMaxStep));
  e.step = s < 0 ? -s : s;
  e.dir = s < 0 ? -1 : 1;
}

// rows steps at once: x moves by dir * ((frac + rows * step) >> 16).
void Skip(Edge& e, int64_t rows)
{
  const int64_t acc = static_cast<int64_t>(e.step) * rows + e.frac;
  e.x += e.dir * (acc >> 16);
  e.frac = static_cast<int>(acc & 0xffff);
}

void Advance(Edge& e)
{
  e.frac += e.step;
  if (e.frac >= 65536)
  {
    e.x += e.dir * (e.frac >> 16);
    e.frac &= 0xffff;
  }
}

// ---- instances ----

// rows rows from row (the first pixel of the top row), each from the left
// edge to the right edge (exclusive), cut to columns 0..w-1; the edges step
// after each row, so the top row uses the starting x values. Two edges
// without slope are a rectangle, cut once. RAST_FillTrapezoid_Impl_<Mode> and
// RAST_FillTrapezoidFast_Impl_<Mix> for the whole-pixel copies.
struct Trapezoid
{
  RAST_pixel* row;
  ptrdiff_t span;
  int w;
  int rows;
  Edge left, right;
};

template <class Blend>
struct TrapezoidRows
{
  static void Run(const Trapezoid& t, const RAST_Ink& ink, int ia)
  {
    if (t.left.step == 0 && t.right.step == 0)
    {
      const int64_t x0 = std::max<int64_t>(t.left.x, 0);
      const int64_t count = std::min<int64_t>(t.right.x, t.w) - x0;
      if (count <= 0) return;
      for (int i = 0; i < t.rows; ++i) RAST_RunPixels<Blend>(t.row + i * t.span + x0, 1, static_cast<int>(count), ink, ia);
      return;
    }
    Edge left = t.left, right = t.right;
    for (int i = 0; i < t.rows; ++i)
    {
      const int64_t x0 = std::max<int64_t>(left.x, 0), x1 = std::min<int64_t>(right.x, t.w);
      if (x1 > x0) RAST_RunPixels<Blend>(t.row + i * t.span + x0, 1, static_cast<int>(x1 - x0), ink, ia);
      Advance(left);
      Advance(right);
    }
  }
};

// Indexed by RAST_ShapeRule.
constexpr auto kTrapezoidRows = RAST_ShapeRuleTable<TrapezoidRows>();

// The trapezoid in storage rows (a polygon's y already mirrored for a
// flipped bitmap),
// with 64-bit arguments so that a polygon's rows next to the int limits can
// be handed on unchanged.
void FillStorageTrapezoid(const RAST_BitmapView& view, int64_t x1a, int64_t x1b, int64_t y1, int64_t x2a,
                          int64_t x2b, int64_t y2, RAST_ShapeRule rule, const RAST_Ink& ink, int ia)
{
  if (y1 > y2)
  {
    std::swap(x1a, x2a);
    std::swap(x1b, x2b);
    std::swap(y1, y2);
  }
  int64_t xl = std::min(x1a, x1b), xr = std::max(x1a, x1b);
  int64_t xl2 = std::min(x2a, x2b), xr2 = std::max(x2a, x2b);
  int64_t yt = y1, yb = y2;
  const int64_t w = view.width, h = view.height;
  if ((xr < 0 && xr2 < 0) || (xl >= w && xl2 >= w) || yb < 0 || yt >= h) return;

  // An edge wholly beyond a side is pinned to it, without slope.
  if (xl <= 0 && xl2 <= 0) xl = xl2 = 0;
  if (xr >= w - 1 && xr2 >= w - 1) xr = xr2 = w - 1;
  Edge left{xl, 0, 0, 1}, right{xr + 1, 0, 0, 1};
  if (yb != yt)
  {
    const double k = 65536.0 / static_cast<double>(yb - yt);
    SetStep(left, static_cast<double>(xl2 - xl) * k);
    SetStep(right, static_cast<double>(xr2 - xr) * k);
  }
  if (yt < 0)
  {
    Skip(left, -yt);
    Skip(right, -yt);
    yt = 0;
  }
  yb = std::min(yb, h - 1);
  const Trapezoid t{view.bits + yt * view.span, view.span, view.width, static_cast<int>(yb - yt + 1), left, right};
  kTrapezoidRows[static_cast<int>(rule)](t, ink, ia);
}

int SaturateInt(int64_t v) { return v < INT_MIN ? INT_MIN : v > INT_MAX ? INT_MAX : static_cast<int>(v); }

// The x of the edge from a to b at row y: the upper end's x above it, the
// lower end's below it, else stepped from the upper end in single precision
// and truncated, held between the two ends.
int64_t EdgeX(const RAST_PolygonPoint& a, const RAST_PolygonPoint& b, int64_t y)
{
  const RAST_PolygonPoint& up = b.y < a.y ? b : a;
  const RAST_PolygonPoint& down = b.y < a.y ? a : b;
  if (y <= up.y) return up.x;
  if (down.y <= y) return down.x;
  const float dx = static_cast<float>(static_cast<int64_t>(down.x) - up.x);
  const float dy = static_cast<float>(static_cast<int64_t>(down.y) - up.y);
  const float offset = static_cast<float>(y - up.y) * (dx / dy);
  return std::clamp<int64_t>(up.x + static_cast<int64_t>(offset), std::min(up.x, down.x), std::max(up.x, down.x));
}
}  // namespace

int RAST_ComparePointsYX(const void* a, const void* b)
{
  const auto* p = static_cast<const RAST_PolygonPoint*>(a);
  const auto* q = static_cast<const RAST_PolygonPoint*>(b);
  if (p->y != q->y) return p->y < q->y ? -1 : 1;
  if (p->x != q->x) return p->x < q->x ? -1 : 1;
  return 0;
}

int RAST_FillConvexPolygon_NextEdge(const RAST_PolygonPoint* pts, int start, int n, int dir)
{
  int chosen = start;
  float chosenSlope = 0.0f;
  for (int j = start + 1; j < n; ++j)
  {
    if (pts[j].y == pts[start].y) continue;
    const float slope = static_cast<float>(static_cast<int64_t>(pts[j].x) - pts[start].x) /
                        static_cast<float>(static_cast<int64_t>(pts[j].y) - pts[start].y);
    if (chosen == start || slope == chosenSlope || (dir < 0 ? slope < chosenSlope : slope > chosenSlope))
    {
      chosen = j;
      chosenSlope = slope;
    }
  }
  return chosen;
}

void RAST_FillTrapezoid(RAST_IBitmap* dest, int x1a, int x1b, int y1, int x2a, int x2b, int y2, RAST_pixel color,
                        float alpha, int mode)
{
  RAST_BitmapView view;
  if (!view.Open(dest)) return;
  const int ia = RAST_ShapeWeight(alpha);
  const RAST_ShapeRule rule = RAST_FillShapeRule(mode & RAST_BLIT_MODE_MASK, ia);
  if (rule == RAST_ShapeRule::None) return;
  // Rows are taken as stored, flipped bitmap or not; the polygon fill mirrors
  // its points before it cuts them into trapezoids.
  FillStorageTrapezoid(view, x1a, x1b, y1, x2a, x2b, y2, rule, RAST_Ink(color), ia);
}

void RAST_FillConvexPolygon(RAST_IBitmap* dest, const int* x, const int* y, int npoints, RAST_pixel color,
                            float alpha, int mode)
{
  RAST_BitmapView view;
  if (!x || !y || npoints < 3 || !view.Open(dest)) return;
  const int ia = RAST_ShapeWeight(alpha);
  const RAST_ShapeRule rule = RAST_FillShapeRule(mode & RAST_BLIT_MODE_MASK, ia);
  if (rule == RAST_ShapeRule::None) return;
  const RAST_Ink ink(color);

  RAST_PolygonPoint fixed[kFixedPoints];
  std::unique_ptr<RAST_PolygonPoint[]> heap;
  RAST_PolygonPoint* pts = fixed;
  if (npoints > kFixedPoints)
  {
    heap.reset(new (std::nothrow) RAST_PolygonPoint[static_cast<size_t>(npoints)]);
    if (!heap) return;
    pts = heap.get();
  }
  const int n = npoints;
  int minx = x[0], maxx = x[0];
  for (int i = 0; i < n; ++i)
  {
    pts[i] = {x[i], view.flipped ? SaturateInt(view.height - 1 - static_cast<int64_t>(y[i])) : y[i]};
    minx = std::min(minx, x[i]);
    maxx = std::max(maxx, x[i]);
  }
  std::sort(pts, pts + n, [](const RAST_PolygonPoint& a, const RAST_PolygonPoint& b) {
    return RAST_ComparePointsYX(&a, &b) < 0;
  });

  // All points in one row: that row from the leftmost to the rightmost.
  const int top = pts[0].y;
  if (top == pts[n - 1].y)
  {
    if (top >= 0 && top < view.height) FillStorageTrapezoid(view, minx, maxx, top, minx, maxx, top, rule, ink, ia);
    return;
  }

  // L and R start at the leftmost and rightmost point of the top row.
  int left = 0, right = 0;
  for (int i = 1; i < n && pts[i].y == top; ++i)
  {
    right = i;
    if (pts[i].x == pts[0].x) left = i;
  }
  int left2 = RAST_FillConvexPolygon_NextEdge(pts, left, n, -1);
  int right2 = RAST_FillConvexPolygon_NextEdge(pts, right, n, +1);
  if (left2 == left && right2 == right) return;

  // One trapezoid per stretch between vertices of either chain. Each chain
  // index only grows, and a chain that has ended lies on the bottom row, so
  // the other one advances: the walk ends within n steps.
  int64_t ycur = top;
  do
  {
    const int yl = pts[left2].y, yr = pts[right2].y;
    const int64_t ynext = std::min(yl, yr);
    FillStorageTrapezoid(view, EdgeX(pts[left], pts[left2], ycur), EdgeX(pts[right], pts[right2], ycur), ycur,
                         EdgeX(pts[left], pts[left2], ynext), EdgeX(pts[right], pts[right2], ynext), ynext, rule,
                         ink, ia);
    if (yl <= yr)
    {
      left = left2;
      left2 = RAST_FillConvexPolygon_NextEdge(pts, left2, n, -1);
    }
    if (yl >= yr)
    {
      right = right2;
      right2 = RAST_FillConvexPolygon_NextEdge(pts, right2, n, +1);
    }
    // The next stretch starts below the row just filled.
    ycur = ycur > ynext ? ynext - 1 : ynext + 1;
  } while (left != left2 || right != right2);
}

void RAST_FillTriangle(RAST_IBitmap* dest, int x1, int y1, int x2, int y2, int x3, int y3, RAST_pixel color,
                       float alpha, int mode)
{
  const int xs[3] = {x1, x2, x3}, ys[3] = {y1, y2, y3};
  RAST_FillConvexPolygon(dest, xs, ys, 3, color, alpha, mode);
}
