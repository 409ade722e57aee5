#include "winl/draw/WINL_MemDC.h"

#include "winl/draw/WINL_GDIPrivate.h"

#include <climits>
#include <cstddef>
#include <cstdint>
#include <new>

namespace
{
constexpr size_t kAlign = 64;
constexpr int kMaxPooledContexts = 100;

using ContextPool = WINL_RecordPool<HDC__, kMaxPooledContexts>;

ContextPool& Pool() { return ContextPool::Get(); }
}  // namespace

BASE_Mutex& WINL_GDILock()
{
  static BASE_Mutex* lock = new BASE_Mutex;  // used until the process ends
  return *lock;
}

HDC__* WINL_LiveContext(HDC ctx)
{
  if (!ctx) return nullptr;
  return Pool().IsLive(ctx) ? ctx : nullptr;
}

void WINL_ForgetSelected(HGDIOBJ__* obj)
{
  for (const HDC__* known : Pool().known)
  {
    HDC__* ctx = const_cast<HDC__*>(known);
    if (ctx->pen == obj) ctx->pen = nullptr;
    if (ctx->brush == obj) ctx->brush = nullptr;
    if (ctx->font == obj) ctx->font = nullptr;
  }
}

HDC WINL_CreateMemContext(HDC /*templ*/, int width, int height)
{
  if (width < 1 || height < 1) return nullptr;
  // Checked in 64 bits: width * 4 * height wraps 32-bit arithmetic long before
  // memory runs out, and a wrapped size would give a block far too small.
  const uint64_t bytes = static_cast<uint64_t>(width) * 4u * static_cast<uint64_t>(height);
  if (bytes > static_cast<uint64_t>(INT_MAX)) return nullptr;

  // The block is 63 bytes longer than the pixels so that they can start on the
  // next 64-byte boundary, which the row loops of the raster library rely on.
  std::unique_ptr<unsigned char[]> block(new (std::nothrow) unsigned char[static_cast<size_t>(bytes) + kAlign - 1]());
  if (!block) return nullptr;
  const uintptr_t start = reinterpret_cast<uintptr_t>(block.get());
  const uintptr_t aligned = (start + kAlign - 1) & ~static_cast<uintptr_t>(kAlign - 1);
  void* frame = block.get() + (aligned - start);
  std::unique_ptr<PLAT_Canvas> canvas = PLAT_Canvas::CreateForPixels(frame, width, height, width * 4);
  if (!canvas) return nullptr;

  BASE_MutexLock lock(WINL_GDILock());
  HDC__* ctx = Pool().Take();
  if (!ctx) return nullptr;
  ctx->block = std::move(block);
  ctx->frame = frame;
  ctx->ownCanvas = std::move(canvas);
  ctx->canvas = ctx->ownCanvas.get();
  ctx->textColor = 0;
  return ctx;
}

HDC WINL_CreatePaintContext(PLAT_Canvas* canvas)
{
  if (!canvas) return nullptr;
  BASE_MutexLock lock(WINL_GDILock());
  HDC__* ctx = Pool().Take();
  if (ctx) ctx->canvas = canvas;
  return ctx;
}

void* WINL_GetCtxFrameBuffer(HDC ctx)
{
  BASE_MutexLock lock(WINL_GDILock());
  HDC__* live = WINL_LiveContext(ctx);
  return live ? live->frame : nullptr;
}

void WINL_DeleteGfxContext(HDC ctx)
{
  BASE_MutexLock lock(WINL_GDILock());
  HDC__* live = WINL_LiveContext(ctx);
  if (!live) return;
  // A canvas the view owns goes back with the state it had.
  if (!live->ownCanvas)
    for (; live->clipDepth > 0; --live->clipDepth) live->canvas->RestoreState();
  Pool().Give(live);
}

PLAT_Canvas* WINL_GetCtxGC(HDC ctx)
{
  BASE_MutexLock lock(WINL_GDILock());
  HDC__* live = WINL_LiveContext(ctx);
  return live ? live->canvas : nullptr;
}

void WINL_PushClipRegion(HDC ctx)
{
  BASE_MutexLock lock(WINL_GDILock());
  if (HDC__* live = WINL_LiveContext(ctx))
  {
    live->canvas->SaveState();
    ++live->clipDepth;
  }
}

void WINL_SetClipRegion(HDC ctx, const RECT* rect)
{
  BASE_MutexLock lock(WINL_GDILock());
  HDC__* live = WINL_LiveContext(ctx);
  if (!live || !rect) return;
  live->canvas->ClipToRect(rect->left, rect->top, static_cast<double>(rect->right) - rect->left,
                           static_cast<double>(rect->bottom) - rect->top);
}

void WINL_PopClipRegion(HDC ctx)
{
  BASE_MutexLock lock(WINL_GDILock());
  HDC__* live = WINL_LiveContext(ctx);
  // Pops beyond the pushes would undo state that is not the context's.
  if (!live || live->clipDepth == 0) return;
  live->canvas->RestoreState();
  --live->clipDepth;
}

BOOL WINL_IsRetinaDC(HDC ctx)
{
  BASE_MutexLock lock(WINL_GDILock());
  HDC__* live = WINL_LiveContext(ctx);
  return live && live->canvas->GetDeviceScale() > 1.9 ? TRUE : FALSE;
}

int WINL_GetPooledContextCount()
{
  BASE_MutexLock lock(WINL_GDILock());
  return Pool().count;
}
