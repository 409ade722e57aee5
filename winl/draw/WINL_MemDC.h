// Drawing contexts of the window layer: memory contexts (an off-screen buffer
// of 32-bit pixels with a drawing canvas over it) and paint contexts over a
// canvas the window view hands in. The raster library's system bitmap lives
// on a memory context, so text that the window layer draws into the context
// lands in the bitmap's pixels.
//
// Deleted context records are kept for reuse (at most 100); a handle that was
// deleted, pooled or freed is recognised and ignored by every function.
// Contexts are used on the thread that made them; the record pool is shared
// and guarded.
#pragma once

#include "winl/draw/WINL_Types.h"

class PLAT_Canvas;
struct HDC__;
// A drawing context of the window layer; the caller that created it deletes it
// with WINL_DeleteGfxContext.
typedef HDC__* HDC;

// A new memory context of width x height pixels over a zero-filled buffer: the
// first pixel lies on a 64-byte boundary, rows are width * 4 bytes apart, row 0
// is the top, and each pixel's bytes are (unused, red, green, blue). Drawing
// never changes the unused byte. The template context may be null and is not
// read. Text colour 0 (black). Null when either size is below 1, the buffer
// would exceed INT_MAX bytes, or memory runs out; nothing is left allocated
// then.
HDC WINL_CreateMemContext(HDC templ, int width, int height);

// A context that draws through canvas, which the caller (the window view
// during its paint) owns and keeps alive until the context is deleted. Null
// for a null canvas.
HDC WINL_CreatePaintContext(PLAT_Canvas* canvas);

// The memory context's pixel buffer; null for a null, deleted or paint
// context.
void* WINL_GetCtxFrameBuffer(HDC ctx);

// Releases a memory context's buffer and canvas (a paint context leaves its
// canvas to the owner); the record is pooled or freed. A null or already
// deleted handle is ignored.
void WINL_DeleteGfxContext(HDC ctx);

// The canvas the context draws through; null for a null or deleted context.
PLAT_Canvas* WINL_GetCtxGC(HDC ctx);

// Saves the drawing state / clips to the rectangle until the matching pop /
// restores the state. An unmatched pop is ignored.
void WINL_PushClipRegion(HDC ctx);
void WINL_SetClipRegion(HDC ctx, const RECT* rect);
void WINL_PopClipRegion(HDC ctx);

// TRUE when one unit of the context covers more than 1.9 device pixels.
BOOL WINL_IsRetinaDC(HDC ctx);

// ---- for tests ----
// Context records waiting in the pool for reuse.
int WINL_GetPooledContextCount();
