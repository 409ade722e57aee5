// Circle outlines, filled discs, circular arcs and rounded-rectangle outlines.
// Pixels are RAST_pixel values (bytes A, R, G, B). Centres, radii and
// rectangle edges are float pixels, (0, 0) the top-left pixel, y downward.
// Angles are radians: 0 points up and angles grow clockwise on screen, so the
// point of angle a is (cx + r sin a, cy - r cos a). Colour, alpha and mode as
// for RAST_Line (RAST_Line.h): (int)(alpha * 256), past full strength above
// 256, only the low byte of mode is read (except by the small-circle masks,
// which hand the whole word to RAST_DrawGlyph), a copy at a negative weight
// draws nothing. A NaN or infinite argument, a negative radius, and a centre
// or radius beyond +-2^28 pixels draw nothing. Work is bounded by the rows of
// the circle that can reach the bitmap, not by its radius. Nothing is
// allocated. GUI thread only.
#pragma once

#include "raster/RAST_Bitmap.h"

// The outline of the circle around (cx, cy). Radii of exactly 1.5, 2, 2.5, 3,
// 3.5 and 4 are stamped from fixed masks at ((int)(cx - r), (int)(cy - r)).
void RAST_Circle(RAST_IBitmap* dest, float cx, float cy, float r, RAST_pixel color, float alpha, int mode, bool aa);

// The filled disc; every pixel inside it is combined exactly once at the full
// weight (with aa, the rim pixels outside it at their coverage).
void RAST_FillCircle(RAST_IBitmap* dest, float cx, float cy, float r, RAST_pixel color, float alpha, int mode,
                     bool aa);

// The outline arc from minAngle to maxAngle (either order); a span of a full
// turn or more is the whole circle by RAST_Circle.
void RAST_Arc(RAST_IBitmap* dest, float cx, float cy, float r, float minAngle, float maxAngle, RAST_pixel color,
              float alpha, int mode, bool aa);

// The outline of the rectangle whose left edge is column x, right edge column
// x + w, top edge row y and bottom edge row y + h, with quarter-circle corners
// of cornerRadius (at most half the width and height); a radius that comes to
// less than 2 draws the plain outline of RAST_DrawRect.
void RAST_RoundRect(RAST_IBitmap* dest, float x, float y, float w, float h, int cornerRadius, RAST_pixel color,
                    float alpha, int mode, bool aa);
