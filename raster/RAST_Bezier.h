// Quadratic and cubic Bezier curves drawn as chains of float line segments,
// areas between a cubic curve and a row or column filled with convex
// polygons, and the curve evaluators behind them. Pixels are RAST_pixel
// values (bytes A, R, G, B); points are float pixels, y downward. Colour,
// alpha and mode pass unchanged to RAST_FLine, RAST_Line and
// RAST_FillConvexPolygon. The curves are clipped to the bitmap's columns by
// solving for the parameter where they cross them, which assumes that x grows
// along the curve from start to end. tol is the wanted segment length in
// pixels (0 or below means 1.0); a curve is cut into at most
// RAST_MAX_CURVE_SEGMENTS segments. A NaN or infinite argument draws nothing.
// No allocation here (the polygon fill may take a heap block for its points,
// never for the four used here). GUI thread only.
#pragma once

#include "raster/RAST_Bitmap.h"

// The most segments one curve is cut into, whatever its length and tolerance:
// a tiny tolerance or a huge control polygon costs at most this many lines.
constexpr int RAST_MAX_CURVE_SEGMENTS = 16384;

// ---- evaluators ----

// The y of the quadratic curve (x1, y1), (xctl, yctl), (x2, y2) at x, and its
// parameter in *t (may be null): y1 and 0 at or left of x1, y2 and 1 at or
// right of x2, the straight line between the ends when xctl lies midway.
// Non-finite arguments give 0 (and t 0).
float RAST_Bezier_GetY(float x1, float xctl, float x2, float y1, float yctl, float y2, float x, double* t);

// The y of the cubic curve (x1, y1)..(x4, y4) at x, read off the chord across
// the parameter bracket [*tlo, *thi] that 8 halvings leave around x; *nextX
// gets the x at the bracket's upper end and *dydx the chord's slope. Left of
// x1 gives y1 and right of x4 y4, with slope 0 and the brackets not written.
// Every output pointer may be null. Non-finite arguments give 0.
float RAST_CBezier_GetY(float* nextX, float* dydx, double* tlo, double* thi, float x1, float x2, float x3, float x4,
                        float y1, float y2, float y3, float y4, float x);

// A cubic curve prepared for drawing: per axis a t^3 + b t^2 + c t + start,
// the visible ends and the visible parameter range.
struct RAST_CBezierPrepared
{
  double ax, bx, cx, x0;
  double ay, by, cy, y0;
  float xStart, yStart, xEnd, yEnd;
  double tLo, tHi;

  float X(double t) const { return static_cast<float>(ax * t * t * t + bx * t * t + cx * t + x0); }
  float Y(double t) const { return static_cast<float>(ay * t * t * t + by * t * t + cy * t + y0); }
};

// Orients the cubic (by x with byX, else by y, so that the start is the
// smaller end), cuts it to columns 0..bitmap width and returns its segment
// count (at least 1), or 0 when nothing of it is visible.
int RAST_CBezierPrep(RAST_IBitmap* dest, bool byX, float xstart, float ystart, float xctl1, float yctl1, float xctl2,
                     float yctl2, float xend, float yend, float tol, RAST_CBezierPrepared* out);

// ---- strokes ----

// The quadratic curve from (xstart, ystart) through the control (xctl, yctl)
// to (xend, yend); the same segments whichever end comes first.
void RAST_DrawQBezier(RAST_IBitmap* dest, float xstart, float ystart, float xctl, float yctl, float xend, float yend,
                      RAST_pixel color, float alpha, int mode, bool aa, float tol);

// The cubic curve with controls (xctl1, yctl1) and (xctl2, yctl2). Of n
// segments the last spans two parameter steps (n - 1 lines for n >= 3).
void RAST_DrawCBezier(RAST_IBitmap* dest, float xstart, float ystart, float xctl1, float yctl1, float xctl2,
                      float yctl2, float xend, float yend, RAST_pixel color, float alpha, int mode, bool aa, float tol);

// ---- fills ----

// Fills between the cubic curve and row yfill, column by column in adjacent
// pieces that do not overlap.
void RAST_FillCBezier(RAST_IBitmap* dest, float xstart, float ystart, float xctl1, float yctl1, float xctl2,
                      float yctl2, float xend, float yend, int yfill, RAST_pixel color, float alpha, int mode,
                      float tol);

// Fills between the cubic curve and column xfill, row by row.
void RAST_FillCBezierX(RAST_IBitmap* dest, float xstart, float ystart, float xctl1, float yctl1, float xctl2,
                       float yctl2, float xend, float yend, int xfill, RAST_pixel color, float alpha, int mode,
                       float tol);

// One piece of RAST_FillCBezier: columns x1..x2 between the chord (x1, y1)-(x2,
// y2) and row yfill, as one quadrilateral, or two triangles where the chord
// crosses the row; a single column is a vertical line.
void RAST_FillCBezier_Segments(RAST_IBitmap* dest, int x1, int y1, int x2, int y2, int yfill, RAST_pixel color,
                               float alpha, int mode);

// One piece of RAST_FillCBezierX: rows y1..y2 between the chord and column
// xfill.
void RAST_FillCBezierX_Segments(RAST_IBitmap* dest, int x1, int y1, int x2, int y2, int xfill, RAST_pixel color,
                                float alpha, int mode);
