// One-pixel lines between integer points, the integer line clipper and
// rectangle outlines. Pixels are RAST_pixel values (bytes A, R, G, B). Each
// drawing call takes a colour, a float alpha (1.0 is the full weight 256;
// (int)(alpha * 256), held within -32768..2^20; beyond 256 every mode goes on
// past full strength, so a copy at alpha 1.5 moves each byte past the colour,
// held at 0 and 255; NaN or infinite draws nothing) and a mode
// word of which only the low byte is read (0 copy ... 5 HSV adjust; above 5
// draws nothing). A copy at a negative weight draws nothing; the other modes
// take it as it is, so Add with a negative alpha darkens. Coordinates are
// pixels, y downward; a flipped bitmap is drawn in its top-down row order.
// Nothing is reported and nothing is allocated. GUI thread only.
#pragma once

#include "raster/RAST_Bitmap.h"

// Draws the line from (x1, y1) to (x2, y2), both ends included, clipped to the
// bitmap. With aa, 45-degree lines put a quarter of the weight on the pixels
// beside the diagonal and general slopes split each inner step between the
// two nearest pixels; horizontal and vertical lines are the same either way.
// Without aa, a line drawn from either end covers the same pixels.
void RAST_Line(RAST_IBitmap* dest, int x1, int y1, int x2, int y2, RAST_pixel color, float alpha, int mode,
               bool aa);

// Clips the line to columns 0..w-1 and rows 0..h-1 in place; true when
// something is left. The coordinates are written back either way (on false,
// as far as they were moved). An end leaving at the bottom or right is put on
// the last row or column where the line crosses row h or column w.
bool RAST_ClipLineToBitmap(int* x1, int* y1, int* x2, int* y2, int w, int h);

// RAST_ClipLineToBitmap on the rectangle of columns xLo..xHi-1 and rows
// yLo..yHi-1; the coordinates are written back also on false.
bool RAST_ClipLine(int* x1, int* y1, int* x2, int* y2, int xLo, int yLo, int xHi, int yHi);

// The outline of columns x..x+w and rows y..y+h as four lines without
// anti-aliasing: top, right, bottom, left, so each corner pixel is combined
// twice.
void RAST_DrawRect(RAST_IBitmap* dest, int x, int y, int w, int h, RAST_pixel color, float alpha, int mode);

// Fills the inside (x+1, y+1, w-1, h-1) with bgcolor by RAST_FillRect (which
// also honours RAST_BLIT_USE_ALPHA), then draws the outline in fgcolor.
void RAST_BorderedRect(RAST_IBitmap* dest, int x, int y, int w, int h, RAST_pixel bgcolor, RAST_pixel fgcolor,
                       float alpha, int mode);
