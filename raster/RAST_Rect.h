// Whole-bitmap and rectangle operations, and single-pixel access. Pixels are
// RAST_pixel values (bytes A, R, G, B); colours are built with RAST_RGBA.
// Rectangles are (x, y, w, h) and clipped to the bitmap; a null bitmap, one
// without pixels, an empty rectangle, a zero weight or a mode byte above 5
// draws nothing. Alpha 1.0 is the full weight 256 ((int)(alpha * 256), held
// within -32768..2^20; beyond 256 every mode goes on past full strength, a
// byte held at 0 and 255; a negative weight subtracts in Add). GUI thread
// only.
#pragma once

#include "raster/RAST_Bitmap.h"

// Sets the first width pixels of every row to color.
void RAST_Clear(RAST_IBitmap* dest, RAST_pixel color);

// Combines color into every pixel of the rectangle by the mode byte (0..5).
// With RAST_BLIT_USE_ALPHA the colour's alpha byte scales alpha. The
// destination's alpha byte combines with the weight, not with the colour's
// alpha. Copy at alpha 0.25, 0.5, 0.75 and 1.0 mixes whole pixels with shifts,
// truncating each channel's share.
void RAST_FillRect(RAST_IBitmap* dest, int x, int y, int w, int h, RAST_pixel color, float alpha,
                   int mode);

// Every pixel p of the rectangle becomes (p & mask) | orbits.
void RAST_ClearRect(RAST_IBitmap* dest, int x, int y, int w, int h, RAST_pixel mask, RAST_pixel orbits);

// Each channel c of every pixel in the rectangle becomes
// clamp((c * (int)(scale * 256) + (int)(add * 256)) >> 8): scales are factors,
// addends are in channel units.
void RAST_MultiplyAddRect(RAST_IBitmap* dest, int x, int y, int w, int h, float rsc, float gsc, float bsc,
                          float asc, float radd, float gadd, float badd, float aadd);

// Calls procFunc(pixel, parm) once for every pixel of the rectangle, rows in
// memory order, each row left to right; the callback may change the pixel.
void RAST_ProcessRect(RAST_IBitmap* dest, int x, int y, int w, int h, void (*procFunc)(RAST_pixel*, void*),
                      void* parm);

// The pixel at (x, y); 0 outside the bitmap.
RAST_pixel RAST_GetPixel(RAST_IBitmap* bm, int x, int y);

// Combines color into the pixel at (x, y) by the mode byte, with the colour's
// own alpha byte as the source alpha.
void RAST_PutPixel(RAST_IBitmap* bm, int x, int y, RAST_pixel color, float alpha, int mode);
