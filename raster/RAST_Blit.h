// Blits at the same scale, whole-bitmap copies and gradient rectangles.
// Pixels are RAST_pixel values (bytes A, R, G, B, not premultiplied); alpha 1.0
// is full weight and becomes the integer weight (int)(alpha * 256), held
// within -32768..2^20: beyond 256 every rule goes on past full strength (a
// copy at alpha 1.5 moves each byte past the source's, held at 0 and 255).
// The low byte of mode picks the combine rule (RAST_Pixel.h); every call
// clips to both bitmaps and draws nothing for a null or empty bitmap. GUI
// thread only.
#pragma once

#include "raster/RAST_Bitmap.h"
#include "winl/draw/WINL_Types.h"

// Draws the rectangle srcrect of src (right and bottom exclusive; null means
// the whole source) onto dest with its top-left corner at (dstx, dsty). Mode
// & 0x100ff picks the rule: 0..5 plain, 0x10000..0x10005 weighted by each
// source pixel's alpha; other values draw nothing. A mode whose bits 4..7 are
// all set copies one byte per pixel instead: destination byte (mode >> 2) & 3
// gets source byte mode & 3 (0 alpha, 1 red, 2 green, 3 blue) whatever the
// alpha, which need only be non-zero. Drawing a bitmap onto itself gives a
// defined result only for the plain copy at full weight.
void RAST_Blit(RAST_IBitmap* dest, RAST_IBitmap* src, int dstx, int dsty, const RECT* srcrect,
               float alpha, int mode);

// The same with the source rectangle (srcx, srcy, srcw, srch).
void RAST_Blit(RAST_IBitmap* dest, RAST_IBitmap* src, int dstx, int dsty, int srcx, int srcy,
               int srcw, int srch, float alpha, int mode);

// Resizes dest to src's size and copies every pixel. Nothing when either is
// null.
void RAST_Copy(RAST_IBitmap* dest, RAST_IBitmap* src);

// Fills the rectangle (dstx, dsty, dstw, dsth) with a colour whose channels
// change linearly: (ir, ig, ib) at the top-left pixel, 1.0 being full
// intensity, and ia the alpha there (1.0 opaque, used as the weight); the d?dx
// and d?dy values are the change per pixel step in x and in y. Mode & 0xff
// picks the rule (the source-alpha bit is ignored); every stored channel is
// clamped to 0..255. Channel values beyond about +-128 are held there. The
// weight is not held at full: as in RAST_Blit, an alpha above 1 goes on past
// the colour (a copy of 51 onto 100 gives 27 at 1.5 and 0 at 4, an Add of 51
// gives 176 at 1.5), and only alphas beyond -128..4096 are held at those
// bounds, where every result has long saturated. Non-finite values draw
// nothing.
void RAST_GradRect(RAST_IBitmap* dest, int dstx, int dsty, int dstw, int dsth, float ir, float ig,
                   float ib, float ia, float drdx, float dgdx, float dbdx, float dadx, float drdy,
                   float dgdy, float dbdy, float dady, int mode);
