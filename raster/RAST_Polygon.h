// Trapezoid, triangle and convex-polygon fills without anti-aliasing. Pixels
// are RAST_pixel values (bytes A, R, G, B); points are integer pixels, y
// downward. A polygon or triangle on a flipped bitmap is filled in its
// top-down row order; a trapezoid takes the rows as stored. Colour, alpha and
// mode as for RAST_Line (RAST_Line.h): (int)(alpha * 256), past full strength
// above 256, only the low byte of mode is read, a copy at a negative weight
// draws nothing;
// a copy at alpha 0.25, 0.5, 0.75 or 1.0 mixes whole pixels. Every row is
// filled from its left edge to its right edge, both included, and no row of a
// polygon is filled twice. GUI thread only.
#pragma once

#include "raster/RAST_Bitmap.h"

// Fills the rows y1..y2 (either order) between two straight edges: row y1 spans
// x1a..x1b and row y2 spans x2a..x2b (each pair in either order). Rows are
// counted in storage order, a flipped bitmap's too (row 0 is its bottom row as
// shown). Edges step in 16.16 fixed point, one row at a time from the lower
// row number.
void RAST_FillTrapezoid(RAST_IBitmap* dest, int x1a, int x1b, int y1, int x2a, int x2b, int y2, RAST_pixel color,
                        float alpha, int mode);

// Fills the convex polygon of the npoints points (x[i], y[i]), given in any
// order; fewer than 3 points or null arrays draw nothing. The points are
// sorted in a copy: up to 512 in a buffer on the stack, more in a heap block
// released before returning (nothing is drawn if it cannot be had). Point
// sets that are not convex are filled by the same walk and give no defined
// shape.
void RAST_FillConvexPolygon(RAST_IBitmap* dest, const int* x, const int* y, int npoints, RAST_pixel color,
                            float alpha, int mode);

// RAST_FillConvexPolygon on the three points.
void RAST_FillTriangle(RAST_IBitmap* dest, int x1, int y1, int x2, int y2, int x3, int y3, RAST_pixel color,
                       float alpha, int mode);

// ---- helpers of the polygon walk ----

// One point of the sorted copy.
struct RAST_PolygonPoint
{
  int x;
  int y;
};

// Sort order of RAST_PolygonPoint records (a and b point at them): by y, then
// by x; -1, 0 or 1.
int RAST_ComparePointsYX(const void* a, const void* b);

// Of the points sorted by RAST_ComparePointsYX, the next vertex below point
// start of the left chain (dir -1: the smallest slope dx/dy) or the right
// chain (dir +1: the largest); among points on one line through start the
// farthest wins. start itself when no point lies lower.
int RAST_FillConvexPolygon_NextEdge(const RAST_PolygonPoint* pts, int start, int n, int dir);
