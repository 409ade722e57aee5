// Scaled blits: a rectangle of a source bitmap, in float source pixels, drawn
// into an integer rectangle of the destination, stretched or shrunk.
// Pixels are RAST_pixel values (bytes A, R, G, B, not premultiplied); alpha 1.0
// is full weight ((int)(alpha * 256), beyond 256 for an alpha above 1). Mode & 0x100ff picks the
// combine rule as for RAST_Blit (0..5 plain, 0x10000..0x10005 weighted by each
// source pixel's alpha, anything else draws nothing); (mode & 0xff00) ==
// RAST_BLIT_FILTER_BILINEAR asks for bilinear filtering. GUI thread only.
#pragma once

#include "raster/RAST_Bitmap.h"

// Draws the source rectangle (srcx, srcy, srcw, srch) into the destination
// rectangle (dstx, dsty, dstw, dsth).
//
// Sampling: destination column j samples the source at srcx + j * srcw / dstw
// (16.16 fixed point), by nearest pixel or bilinearly; rows likewise. A
// request the same size as the source rectangle is a RAST_Blit (with bilinear
// filtering only when the source lies within 0.03 of whole pixels). Shrinking
// by 1.7 or more in both directions with bilinear filtering averages a 3 x 3
// box of source pixels instead, or 5 x 5 beyond a factor of 3.
//
// A negative dstw or dsth mirrors the picture in that direction: the
// destination columns dstx + dstw .. dstx - 1 show the source from right to
// left, each sampling the low end of the source interval it covers. That
// position is reached by stepping from the far end, and the truncated 16.16
// steps add up differently from the unmirrored walk, so the picture is the
// exact mirror image only where the step is exact (a factor of 2, say). At
// most other sizes some bilinear samples, a few in a hundred, differ by one
// step in a channel (blue 0xfe against 0xff), and a nearest sample that falls
// on a pixel boundary can take the neighbouring source column.
//
// Source pixels right of srcx + srcw (rounded up) or below srcy + srch are
// never read; a destination pixel whose sample falls outside the source or
// beyond those limits is left alone. A request that overruns the source still
// draws every destination pixel whose sample lies in the source's last column
// or row. Source coordinates that 16.16 fixed point cannot hold (beyond about
// +-32767 pixels), and non-finite arguments, draw nothing.
void RAST_ScaledBlit(RAST_IBitmap* dest, RAST_IBitmap* src, int dstx, int dsty, int dstw, int dsth, float srcx,
                     float srcy, float srcw, float srch, float alpha, int mode);
