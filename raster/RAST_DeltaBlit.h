// Blits whose source position moves linearly across the destination: a
// general affine walk whose column step may change from row to row, the same
// with a moving alpha, and a rotation with scaling. Pixels are RAST_pixel
// values (bytes A, R, G, B, not premultiplied). GUI thread only.
//
// Common to all: destination pixel (i, j) of the rectangle (column i, row j,
// counted from its top-left corner) samples the source at
//   s(i, j) = srcx + j * dsdy + i * (dsdx + j * dsdxdy)
//   t(i, j) = srcy + j * dtdy + i * (dtdx + j * dtdxdy)
// in source pixels, held as 16.16 fixed point (each value truncated). A pixel
// whose sample lies outside the source clip box is left alone; the box is the
// source rectangle clipped to the source (with cliptosourcerect) or the whole
// source. Clipping the destination rectangle changes none of the samples.
// (mode & 0xff00) == RAST_BLIT_FILTER_BILINEAR samples bilinearly (inside the
// box only: its last column mixes vertically, its last row horizontally),
// otherwise by nearest pixel. Positions or steps that 16.16 fixed point cannot
// hold (beyond about +-32767), and non-finite arguments, draw nothing.
#pragma once

#include "raster/RAST_Bitmap.h"

// Walks the destination rectangle (dstx, dsty, dstw, dsth) from the source
// position (srcx, srcy) with the steps above. srcw and srch only bound the clip
// box, and move the start for a negative dstw (srcx += srcw) or dsth. alpha
// 1.0 is full weight ((int)(alpha * 256)); mode & 0x100ff picks the combine
// rule as for RAST_Blit (plain copy at full weight stores the sample whole).
void RAST_DeltaBlit(RAST_IBitmap* dest, RAST_IBitmap* src, int dstx, int dsty, int dstw, int dsth, float srcx,
                    float srcy, float srcw, float srch, double dsdx, double dtdx, double dsdy, double dtdy,
                    double dsdxdy, double dtdxdy, bool cliptosourcerect, float alpha, int mode);

// As RAST_DeltaBlit with an alpha that moves too: alpha at the first pixel,
// a(i, j) = alpha + j * dady + i * (dadx + j * dadxdy), stepped in 16.16
// fixed point (alpha and each step truncated), each pixel weighted by that
// value shifted right by 8, held within -32768..1048576: weights above 256
// keep their meaning, as in RAST_Blit. The shift rounds down, not toward zero,
// so a slightly negative alpha still weighs -1 (at -0.001 an Overlay of white
// onto 200 gives 199, where weight 0 would leave 200). Only the mode byte
// counts (0..5, the clamping rules; the source-alpha bit has no effect).
// When the alpha would change by less than 0.0001 over the rectangle this is
// RAST_DeltaBlit itself, with its (int)(alpha * 256), source-alpha bit
// included.
void RAST_DeltaBlitAlpha(RAST_IBitmap* dest, RAST_IBitmap* src, int dstx, int dsty, int dstw, int dsth, float srcx,
                         float srcy, float srcw, float srch, double dsdx, double dtdx, double dsdy, double dtdy,
                         double dsdxdy, double dtdxdy, bool cliptosourcerect, float alpha, int mode, double dadx,
                         double dady, double dadxdy);

// Draws the source rectangle (srcx, srcy, srcw, srch) into the destination
// rectangle, scaled to it and turned by angle (radians) about the source point
// (srcx + srcw / 2 + rotxcent, srcy + srch / 2 + rotycent), which the centre of
// the destination rectangle shows. Negative dstw or dsth mirror the picture.
// alpha and mode as for RAST_DeltaBlit.
void RAST_RotatedBlit(RAST_IBitmap* dest, RAST_IBitmap* src, int dstx, int dsty, int dstw, int dsth, float srcx,
                      float srcy, float srcw, float srch, float angle, bool cliptosourcerect, float alpha, int mode,
                      float rotxcent, float rotycent);
