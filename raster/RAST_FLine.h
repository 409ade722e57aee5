// Lines between float points, their clipper, and dashed lines. Pixels are
// RAST_pixel values (bytes A, R, G, B). Colour, alpha and mode as for
// RAST_Line (RAST_Line.h): (int)(alpha * 256), past full strength above 256,
// only the low byte of mode is read, a copy at a negative weight draws
// nothing. A NaN or infinite coordinate or alpha draws nothing. Nothing is
// allocated. GUI thread only.
#pragma once

#include "raster/RAST_Bitmap.h"

// Without aa: RAST_Line between the truncated ends. With aa: a two-pixel-wide
// coverage line over the whole pixel positions of its major axis that lie
// between the ends (a line shorter than one step there draws nothing), each
// split between the two pixels nearest the exact minor position.
void RAST_FLine(RAST_IBitmap* dest, float x1, float y1, float x2, float y2, RAST_pixel color, float alpha, int mode,
                bool aa);

// Clips in place to x in [0, w - 1) and y in [0, h - 1), so that the
// two-pixel footprint of an anti-aliased line stays inside: an end leaving
// the right side lands on x = w - 2, one leaving the bottom on y = h - 2.
// True when something is left; false also for NaN or infinite input (the
// coordinates then stay as they were).
bool RAST_ClipFLineToBitmap(float* x1, float* y1, float* x2, float* y2, int w, int h);

// RAST_ClipFLineToBitmap on the rectangle xLo..xHi by yLo..yHi (its width and
// height truncated to whole pixels); the coordinates are written back also
// on false.
bool RAST_ClipFLine(float* x1, float* y1, float* x2, float* y2, float xLo, float yLo, float xHi, float yHi);

// A horizontal or vertical line of pxon pixels drawn, pxoff skipped, repeated
// from its lower row number or left end; the other end pixel itself is never
// drawn. Rows are counted in storage order, a flipped bitmap's too (row 0 is
// its bottom row as shown). Other slopes, pxon below 1 and a period pxon +
// pxoff below 1 draw nothing. aa is ignored: dashes are never anti-aliased.
void RAST_DashedLine(RAST_IBitmap* dest, int x1, int y1, int x2, int y2, int pxon, int pxoff, RAST_pixel color,
                     float alpha, int mode, bool aa);
