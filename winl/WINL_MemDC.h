// Memory drawing contexts: an off-screen buffer of 32-bit pixels with a drawing
// context over it. The raster library's system bitmap lives on one, so text
// that the window layer draws into the context lands in the bitmap's pixels.
// Main thread only.
#pragma once

#include "winl/WINL_Types.h"

struct HDC__;
// A drawing context of the window layer; the caller that created it deletes it
// with WINL_DeleteGfxContext.
typedef HDC__* HDC;

// A new memory context of width x height pixels over a zero-filled buffer: the
// first pixel lies on a 64-byte boundary, rows are width * 4 bytes apart, row 0
// is the top, and each pixel's bytes are (unused, red, green, blue). The
// template context may be null and is not read. Text colour 0 (black). Null
// when either size is below 1, the buffer would exceed INT_MAX bytes, or memory
// runs out; nothing is left allocated then.
HDC WINL_CreateMemContext(HDC templ, int width, int height);

// The context's pixel buffer; null for a null handle.
void* WINL_GetCtxFrameBuffer(HDC ctx);

// Releases the context and its buffer; a null handle is ignored.
void WINL_DeleteGfxContext(HDC ctx);
