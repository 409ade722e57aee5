// Mesh warps: the destination rectangle is cut into a grid of cells, and each
// cell walks the source from the source points at its four corners (a
// RAST_DeltaBlit per cell, so straight lines of the source stay straight along
// each cell's rows). Pixels are RAST_pixel values (bytes A, R, G, B, not
// premultiplied). GUI thread only.
//
// The points are div_w per row and div_h rows, row-major: point (i, j) is the
// source position (in source pixels) shown at grid column i, row j. Grid lines
// fall at dstx + i * dstw / (div_w - 1), rounded to whole pixels, and likewise
// for rows; a cell that rounds to no width or height is skipped. Nothing is
// drawn for a null bitmap or point array, dstw or dsth below 1, or div_w or
// div_h below 2. Samples outside the source are left alone; (mode & 0xff00) ==
// RAST_BLIT_FILTER_BILINEAR filters bilinearly.
#pragma once

#include "raster/RAST_Bitmap.h"

// Points as float pairs (x, y); alpha and mode as for RAST_DeltaBlit.
void RAST_TransformBlit(RAST_IBitmap* dest, RAST_IBitmap* src, int dstx, int dsty, int dstw, int dsth,
                        const float* srcpoints, int div_w, int div_h, float alpha, int mode);

// Points as double pairs (x, y).
void RAST_TransformBlit2(RAST_IBitmap* dest, RAST_IBitmap* src, int dstx, int dsty, int dstw, int dsth,
                         const double* srcpoints, int div_w, int div_h, float alpha, int mode);

// Points as double triples (x, y, alpha): the alpha moves across each cell as
// in RAST_DeltaBlitAlpha, whose mode rules apply.
void RAST_TransformBlit2Alpha(RAST_IBitmap* dest, RAST_IBitmap* src, int dstx, int dsty, int dstw, int dsth,
                              const double* srcpoints, int div_w, int div_h, int mode);
