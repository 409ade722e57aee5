// A fixed five-point blur. Pixels are RAST_pixel values (bytes A, R, G, B);
// the alpha byte is blurred like the colours. GUI thread only.
#pragma once

#include "raster/RAST_Bitmap.h"

#include <cstddef>

// Writes the blur of src's rectangle (srcx, srcy, srcw, srch) into dest with
// its top-left at (dstx, dsty), replacing the destination pixels (no alpha, no
// mode). Each output pixel is, byte by byte,
//   c/2 + l/8 + r/8 + u/8 + d/8
// of the pixel c and its four neighbours, each part truncated on its own, so a
// uniform byte loses up to 4 (255 becomes 251). A neighbour outside the
// rectangle is replaced by the opposite one (an edge pixel takes its one
// neighbour as a quarter). The rectangle is clipped to the source, and cut to
// what fits the destination; a result narrower or lower than 2 pixels draws
// nothing. dest may be src: the result is then computed from the pixels as
// they were before the call, with scratch memory of two rows when the
// rectangles coincide (rows of up to 1024 pixels need none from the heap),
// of the whole rectangle otherwise. When the rows cannot be had, the blur in
// place still runs, each row taking its upper neighbour from the bitmap,
// where it is already blurred; when the rectangle's copy cannot be had,
// nothing is drawn.
void RAST_Blur(RAST_IBitmap* dest, RAST_IBitmap* src, int dstx, int dsty, int srcx, int srcy, int srcw, int srch);

// ---- test seam ----
// The saved rows of an in-place blur wider than 1024 pixels come from this
// function and are released with std::free. Tests install one that fails;
// null restores std::malloc.
using RAST_BlurRowBufferAlloc = void* (*)(size_t bytes);
void RAST_BlurSetRowBufferAllocForTest(RAST_BlurRowBufferAlloc alloc);
