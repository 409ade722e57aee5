#include "raster/RAST_Bezier.h"

#include "raster/RAST_FLine.h"
#include "raster/RAST_Line.h"
#include "raster/RAST_Polygon.h"
#include "raster/RAST_ShapeRules.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace
{
// Pixel coordinates of curve points are held within this, so that the
// neighbouring rows and columns of the fills (one more, one less) stay ints.
constexpr double kCoordLimit = 1073741824.0;  // 2^30

struct Point
{
  float x, y;
};

// Distance between two points: squares summed in float, root in double.
double Distance(Point a, Point b)
{
  const float dx = b.x - a.x, dy = b.y - a.y;
  return std::sqrt(static_cast<double>(dx * dx + dy * dy));
}

// (int)(length / tol), held within 0..RAST_MAX_CURVE_SEGMENTS; a length that is
// not a number (a parameter range from a curve that turns back) gives 0.
int SegmentCount(double length)
{
  if (!(length > 0.0)) return 0;
  if (length >= RAST_MAX_CURVE_SEGMENTS) return RAST_MAX_CURVE_SEGMENTS;
  return static_cast<int>(length);
}

float Tolerance(float tol) { return tol <= 0.0f ? 1.0f : tol; }

// A curve value as a pixel coordinate, truncated toward zero.
int TruncCoord(double v)
{
  if (!(v == v)) return 0;
  return RAST_TruncClamped(v, static_cast<int>(-kCoordLimit), static_cast<int>(kCoordLimit));
}

// a + b as an int; the fills only add or subtract one row or column to ints
// they were given, and an end held at the int range stays off the bitmap.
int Add(int a, int b) { return RAST_AddClamped(a, b); }

// The quadratic curve at t, per axis P0 u^2 + P1 2ut + P2 t^2 with u = 1 - t,
// in double.
Point QuadraticAt(Point p0, Point p1, Point p2, double t)
{
  const double u = 1.0 - t;
  return {static_cast<float>(p0.x * u * u + p1.x * 2.0 * u * t + p2.x * t * t),
          static_cast<float>(p0.y * u * u + p1.y * 2.0 * u * t + p2.y * t * t)};
}
}  // namespace

// ---- evaluators ----

float RAST_Bezier_GetY(float x1, float xctl, float x2, float y1, float yctl, float y2, float x, double* t)
{
  double tt = 0.0;
  float y = 0.0f;
  if (!RAST_AllFinite({x1, xctl, x2, y1, yctl, y2, x}))
    y = 0.0f;
  else if (x1 >= x)
    y = y1;
  else if (x >= x2)
  {
    tt = 1.0;
    y = y2;
  }
  else
  {
    // x(t) = A t^2 + Bq t + x1 with A = x2 - 2 xctl + x1 and Bq = 2 (xctl - x1),
    // solved for t.
    const double a = static_cast<double>(x2) + (static_cast<double>(-2.0f * xctl) + static_cast<double>(x1));
    if (a == 0.0)
    {
      // xctl midway: x is linear in t and the curve a straight line in x.
      const float tf = (x - x1) / (x2 - x1);
      tt = tf;
      y = y1 + (y2 - y1) * tf;
    }
    else
    {
      const double bq = 2.0 * (static_cast<double>(xctl) - x1);
      tt = (std::sqrt(-4.0 * a * (static_cast<double>(x1) - x) + bq * bq) - bq) / (2.0 * a);
      const double u = 1.0 - tt;
      y = static_cast<float>(y1 * u * u + yctl * 2.0 * u * tt + y2 * tt * tt);
    }
  }
  if (t) *t = tt;
  return y;
}

float RAST_CBezier_GetY(float* nextX, float* dydx, double* tlo, double* thi, float x1, float x2, float x3, float x4,
                        float y1, float y2, float y3, float y4, float x)
{
  auto done = [&](float next, float slope, float y) {
    if (nextX) *nextX = next;
    if (dydx) *dydx = slope;
    return y;
  };
  if (!RAST_AllFinite({x1, x2, x3, x4, y1, y2, y3, y4, x}))
  {
    if (tlo) *tlo = 0.0;
    if (thi) *thi = 0.0;
    return done(0.0f, 0.0f, 0.0f);
  }
  if (x1 > x) return done(x1, 0.0f, y1);
  if (x >= x4) return done(x4, 0.0f, y4);

  const double cx = 3.0 * (static_cast<double>(x2) - x1), bx = 3.0 * (static_cast<double>(x3) - x2) - cx;
  const double ax = (static_cast<double>(x4) - x1) - cx - bx;
  const double cy = 3.0 * (static_cast<double>(y2) - y1), by = 3.0 * (static_cast<double>(y3) - y2) - cy;
  const double ay = (static_cast<double>(y4) - y1) - cy - by;
  auto X = [&](double t) { return ax * t * t * t + bx * t * t + cx * t + x1; };
  auto Y = [&](double t) { return ay * t * t * t + by * t * t + cy * t + y1; };

  // Bisection of t for x, 8 halvings; an exact hit takes a bracket of 1/256
  // above it.
  double lo = 0.0, hi = 1.0, xlo = 0.0, xhi = 0.0;
  for (int i = 0; i < 8; ++i)
  {
    const double t = (lo + hi) * 0.5, xt = X(t);
    if (x > xt)
    {
      xlo = xt;
      lo = t;
    }
    else if (xt > x)
    {
      xhi = xt;
      hi = t;
    }
    else
    {
      hi = std::min(1.0, t + 1.0 / 256.0);
      xhi = X(hi);
      xlo = xt;
      lo = t;
      break;
    }
  }
  if (lo == 0.0) xlo = X(0.0);
  if (hi == 1.0) xhi = x1 + cx + bx + ax;
  const double ylo = Y(lo);
  const double slope = xhi != xlo ? (Y(hi) - ylo) / (xhi - xlo) : 0.0;
  if (tlo) *tlo = lo;
  if (thi) *thi = hi;
  return done(static_cast<float>(xhi), static_cast<float>(slope), static_cast<float>(ylo + (x - xlo) * slope));
}

int RAST_CBezierPrep(RAST_IBitmap* dest, bool byX, float xstart, float ystart, float xctl1, float yctl1, float xctl2,
                     float yctl2, float xend, float yend, float tol, RAST_CBezierPrepared* out)
{
  if (!dest || !out || !RAST_AllFinite({xstart, ystart, xctl1, yctl1, xctl2, yctl2, xend, yend, tol})) return 0;
  const int bw = dest->getWidth();
  Point p[4] = {{xstart, ystart}, {xctl1, yctl1}, {xctl2, yctl2}, {xend, yend}};
  if (byX ? p[0].x > p[3].x : p[0].y > p[3].y)
  {
    std::swap(p[0], p[3]);
    std::swap(p[1], p[2]);
  }

  // c = 3 (P1 - P0), b = 3 (P2 - P1) - c, a = (P3 - P0) - c - b; the
  // differences in float.
  RAST_CBezierPrepared& c = *out;
  c.cx = 3.0 * (p[1].x - p[0].x);
  c.bx = 3.0 * (p[2].x - p[1].x) - c.cx;
  c.ax = (p[3].x - p[0].x) - c.cx - c.bx;
  c.x0 = p[0].x;
  c.cy = 3.0 * (p[1].y - p[0].y);
  c.by = 3.0 * (p[2].y - p[1].y) - c.cy;
  c.ay = (p[3].y - p[0].y) - c.cy - c.by;
  c.y0 = p[0].y;
  c.xStart = p[0].x;
  c.yStart = p[0].y;
  c.xEnd = p[3].x;
  c.yEnd = p[3].y;
  c.tLo = 0.0;
  c.tHi = 1.0;

  if (c.xStart < 0)
  {
    double lo = 0.0, hi = 1.0;
    c.yStart = RAST_CBezier_GetY(nullptr, nullptr, &lo, &hi, p[0].x, p[1].x, p[2].x, p[3].x, p[0].y, p[1].y, p[2].y,
                                 p[3].y, 0.0f);
    c.xStart = 0.0f;
    c.tLo = hi;
  }
  if (c.xEnd > static_cast<float>(bw))
  {
    double lo = 0.0, hi = 1.0;
    c.yEnd = RAST_CBezier_GetY(nullptr, nullptr, &lo, &hi, p[0].x, p[1].x, p[2].x, p[3].x, p[0].y, p[1].y, p[2].y,
                               p[3].y, static_cast<float>(bw));
    c.xEnd = static_cast<float>(bw);
    c.tHi = lo;
  }
  if (byX ? c.xStart > c.xEnd : c.yStart > c.yEnd) return 0;
  const double length = Distance(p[0], p[1]) + Distance(p[1], p[2]) + Distance(p[2], p[3]);
  return std::max(1, SegmentCount(length * (c.tHi - c.tLo) / Tolerance(tol)));
}

// ---- strokes ----

void RAST_DrawQBezier(RAST_IBitmap* dest, float xstart, float ystart, float xctl, float yctl, float xend, float yend,
                      RAST_pixel color, float alpha, int mode, bool aa, float tol)
{
  if (!dest || !RAST_AllFinite({xstart, ystart, xctl, yctl, xend, yend, alpha, tol})) return;
  const int bw = dest->getWidth();
  Point p0{xstart, ystart}, p1{xctl, yctl}, p2{xend, yend};
  if (p0.x > p2.x) std::swap(p0, p2);
  double t0 = 0.0, t1 = 1.0;
  Point s = p0, e = p2;
  if (p0.x < 0) s = {0.0f, RAST_Bezier_GetY(p0.x, p1.x, p2.x, p0.y, p1.y, p2.y, 0.0f, &t0)};
  if (p2.x >= static_cast<float>(bw))
  {
    const float right = static_cast<float>(bw - 1);
    e = {right, RAST_Bezier_GetY(p0.x, p1.x, p2.x, p0.y, p1.y, p2.y, right, &t1)};
  }
  if (s.x > e.x) return;

  const int n = SegmentCount((Distance(p0, p1) + Distance(p1, p2)) * (t1 - t0) / Tolerance(tol));
  if (n < 2)
  {
    RAST_FLine(dest, s.x, s.y, e.x, e.y, color, alpha, mode, aa);
    return;
  }
  const double dt = (t1 - t0) / n;
  double t = t0;
  Point prev = s;
  for (int k = 1; k < n; ++k)
  {
    t += dt;
    const Point point = QuadraticAt(p0, p1, p2, t);
    RAST_FLine(dest, prev.x, prev.y, point.x, point.y, color, alpha, mode, aa);
    prev = point;
  }
  RAST_FLine(dest, prev.x, prev.y, e.x, e.y, color, alpha, mode, aa);
}

void RAST_DrawCBezier(RAST_IBitmap* dest, float xstart, float ystart, float xctl1, float yctl1, float xctl2,
                      float yctl2, float xend, float yend, RAST_pixel color, float alpha, int mode, bool aa, float tol)
{
  RAST_CBezierPrepared c;
  const int n = RAST_CBezierPrep(dest, true, xstart, ystart, xctl1, yctl1, xctl2, yctl2, xend, yend, tol, &c);
  if (n == 0) return;
  float px = c.xStart, py = c.yStart;
  if (n >= 3)
  {
    const double dt = (c.tHi - c.tLo) / n;
    double t = c.tLo;
    for (int k = 0; k < n - 2; ++k)
    {
      t += dt;
      const float x = c.X(t), y = c.Y(t);
      RAST_FLine(dest, px, py, x, y, color, alpha, mode, aa);
      px = x;
      py = y;
    }
  }
  RAST_FLine(dest, px, py, c.xEnd, c.yEnd, color, alpha, mode, aa);
}

// ---- fills ----

void RAST_FillCBezier(RAST_IBitmap* dest, float xstart, float ystart, float xctl1, float yctl1, float xctl2,
                      float yctl2, float xend, float yend, int yfill, RAST_pixel color, float alpha, int mode,
                      float tol)
{
  RAST_CBezierPrepared c;
  const int n = RAST_CBezierPrep(dest, true, xstart, ystart, xctl1, yctl1, xctl2, yctl2, xend, yend, tol, &c);
  if (n == 0) return;
  int xp = TruncCoord(c.xStart), yp = TruncCoord(c.yStart + 0.5);
  if (n >= 3)
  {
    const double dt = (c.tHi - c.tLo) / n;
    double t = c.tLo;
    for (int k = 0; k < n - 2; ++k)
    {
      t += dt;
      // A point left of the columns already filled is skipped.
      const int x = TruncCoord(c.X(t));
      if (x < xp) continue;
      const int y = TruncCoord(c.Y(t) + 0.5);
      RAST_FillCBezier_Segments(dest, xp, yp, x, y, yfill, color, alpha, mode);
      xp = x + 1;
      yp = y;
    }
  }
  const int xe = TruncCoord(c.xEnd - 1.0);
  if (xe >= xp) RAST_FillCBezier_Segments(dest, xp, yp, xe, TruncCoord(c.yEnd + 0.5), yfill, color, alpha, mode);
}

void RAST_FillCBezierX(RAST_IBitmap* dest, float xstart, float ystart, float xctl1, float yctl1, float xctl2,
                       float yctl2, float xend, float yend, int xfill, RAST_pixel color, float alpha, int mode,
                       float tol)
{
  RAST_CBezierPrepared c;
  const int n = RAST_CBezierPrep(dest, false, xstart, ystart, xctl1, yctl1, xctl2, yctl2, xend, yend, tol, &c);
  if (n == 0) return;
  int yp = TruncCoord(c.yStart), xp = TruncCoord(c.xStart + 0.5);
  if (n >= 3)
  {
    const double dt = (c.tHi - c.tLo) / n;
    double t = c.tLo;
    for (int k = 0; k < n - 2; ++k)
    {
      t += dt;
      const int y = TruncCoord(c.Y(t));
      if (y < yp) continue;
      const int x = TruncCoord(c.X(t) + 0.5);
      RAST_FillCBezierX_Segments(dest, xp, yp, x, y, xfill, color, alpha, mode);
      yp = y + 1;
      xp = x;
    }
  }
  const int ye = TruncCoord(c.yEnd - 1.0);
  if (ye >= yp) RAST_FillCBezierX_Segments(dest, xp, yp, TruncCoord(c.xEnd + 0.5), ye, xfill, color, alpha, mode);
}

void RAST_FillCBezier_Segments(RAST_IBitmap* dest, int x1, int y1, int x2, int y2, int yfill, RAST_pixel color,
                               float alpha, int mode)
{
  const int yf = yfill;
  if (x2 < x1) return;
  if (x2 == x1)
  {
    RAST_Line(dest, x1, std::min(y1, yf), x1, yf >= y2 ? yf : Add(y2, -1), color, alpha, mode, false);
    return;
  }
  if ((yf > y1) == (yf > y2))
  {
    // The chord on one side of the fill row: one quadrilateral, which takes
    // the fill row itself only when it lies below the chord.
    const int yfe = yf > y1 ? Add(yf, 1) : yf;
    const int xs[4] = {x1, x1, x2, x2}, ys[4] = {y1, yfe, y2, yfe};
    RAST_FillConvexPolygon(dest, xs, ys, 4, color, alpha, mode);
    return;
  }
  // The chord crosses the fill row at xc: a triangle on each side.
  const int xc = static_cast<int>(x1 + std::trunc(static_cast<double>(x2 - static_cast<int64_t>(x1)) *
                                                  (static_cast<double>(yf) - y1) / (static_cast<double>(y2) - y1)));
  const int ya = yf > y1 ? Add(yf, 1) : yf, yb = y2 < yf ? Add(yf, 1) : yf;
  const int xs1[3] = {x1, x1, xc}, ys1[3] = {y1, ya, ya};
  const int xs2[3] = {xc, x2, x2}, ys2[3] = {yb, yb, y2};
  RAST_FillConvexPolygon(dest, xs1, ys1, 3, color, alpha, mode);
  RAST_FillConvexPolygon(dest, xs2, ys2, 3, color, alpha, mode);
}

void RAST_FillCBezierX_Segments(RAST_IBitmap* dest, int x1, int y1, int x2, int y2, int xfill, RAST_pixel color,
                                float alpha, int mode)
{
  const int xf = xfill;
  if (y2 < y1) return;
  if (y2 == y1)
  {
    RAST_Line(dest, std::min(x1, xf), y2, xf >= x2 ? xf : Add(x2, -1), y2, color, alpha, mode, false);
    return;
  }
  if ((xf > x1) == (xf > x2))
  {
    const int xfe = xf > x1 ? Add(xf, 1) : xf;
    const int xs[4] = {x1, xfe, x2, xfe}, ys[4] = {y1, y1, Add(y2, 1), Add(y2, 1)};
    RAST_FillConvexPolygon(dest, xs, ys, 4, color, alpha, mode);
    return;
  }
  const int yc = static_cast<int>(y1 + std::trunc(static_cast<double>(y2 - static_cast<int64_t>(y1)) *
                                                  (static_cast<double>(xf) - x1) / (static_cast<double>(x2) - x1)));
  const int xa = xf > x1 ? Add(xf, 1) : xf, xb = x2 < xf ? Add(xf, 1) : xf;
  const int xs1[3] = {x1, xa, xa}, ys1[3] = {y1, y1, yc};
  const int xs2[3] = {xb, xb, x2}, ys2[3] = {yc, y2, y2};
  RAST_FillConvexPolygon(dest, xs1, ys1, 3, color, alpha, mode);
  RAST_FillConvexPolygon(dest, xs2, ys2, 3, color, alpha, mode);
}
