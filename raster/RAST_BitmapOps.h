// Whole-bitmap utilities: key-colour transparency, a fill along a seed's
// column, halving with 2 x 2 averaging and comparing two bitmaps. Pixels are
// RAST_pixel values (bytes A, R, G, B; the alpha byte is p & 0xFF). Each bitmap
// is read in its own row order. GUI thread only.
#pragma once

#include "raster/RAST_Bitmap.h"

// Pixels whose colour bytes equal color's (p & 0xFFFFFF00 == color) become
// transparent (alpha 0); every other pixel becomes opaque. A color with a
// non-zero alpha byte therefore matches nothing.
void RAST_SetAlphaFromColorMask(RAST_IBitmap* dest, RAST_pixel color);

// Fills from the seed (x, y) along its column: a pixel p matches when
// (p & comparemask) equals the seed's, and filling makes it
// (p & keepmask) | newcolor. Each row whose pixel in column x matches, going
// down from the seed and then up from the row above it, is filled from that
// column right and left until a pixel does not match; areas reached only
// around an obstacle stay unfilled.
void RAST_SimpleFill(RAST_IBitmap* dest, int x, int y, RAST_pixel newcolor, RAST_pixel comparemask,
                     RAST_pixel keepmask);

// Writes src at half size into the top-left of dest: each output pixel is the
// per-channel sum of its four source pixels, each divided by 4 (truncated)
// first. Covers min(dest width, src width / 2) x min(dest height, src height / 2).
void RAST_HalveBlitAA(RAST_IBitmap* dest, RAST_IBitmap* src);

// Compares a with b: 0 when equal. Null a gives -1, null b 1 (both null 0);
// different sizes give b's width - a's width, else b's height - a's height.
// Pixels differ where (pa ^ pb) & mask is non-zero. Without a box, mask
// 0xFFFFFFFF returns the first non-zero row memcmp (its sign follows the first
// differing byte: alpha, red, green, blue) and other masks return 1 at the
// first difference. With box (four ints: x, y, width, height) the result is 0
// or 1 and box receives the smallest rectangle holding every difference, or
// {0, 0, 0, 0} when there is none.
int RAST_BitmapCmpEx(RAST_IBitmap* a, RAST_IBitmap* b, RAST_pixel mask, int* box);

// RAST_BitmapCmpEx with mask 0xFFFFFFFF.
int RAST_BitmapCmp(RAST_IBitmap* a, RAST_IBitmap* b, int* box);
