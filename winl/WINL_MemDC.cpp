#include "winl/WINL_MemDC.h"

#include <climits>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>

struct HDC__
{
  // The block is 63 bytes longer than the pixels so that they can start on the
  // next 64-byte boundary, which the row loops of the raster library rely on.
  std::unique_ptr<unsigned char[]> block;
  void* frame = nullptr;
  int width = 0;
  int height = 0;
  int textColor = 0;  // 0xRRGGBB
};

namespace
{
constexpr size_t kAlign = 64;
}

HDC WINL_CreateMemContext(HDC /*templ*/, int width, int height)
{
  if (width < 1 || height < 1) return nullptr;
  // Checked in 64 bits: width * 4 * height wraps 32-bit arithmetic long before
  // memory runs out, and a wrapped size would give a block far too small.
  const uint64_t bytes = static_cast<uint64_t>(width) * 4u * static_cast<uint64_t>(height);
  if (bytes > static_cast<uint64_t>(INT_MAX)) return nullptr;

  std::unique_ptr<HDC__> ctx(new (std::nothrow) HDC__);
  if (!ctx) return nullptr;
  const size_t blockSize = static_cast<size_t>(bytes) + kAlign - 1;
  ctx->block.reset(new (std::nothrow) unsigned char[blockSize]());
  if (!ctx->block) return nullptr;

  const uintptr_t start = reinterpret_cast<uintptr_t>(ctx->block.get());
  const uintptr_t aligned = (start + kAlign - 1) & ~static_cast<uintptr_t>(kAlign - 1);
  ctx->frame = ctx->block.get() + (aligned - start);
  ctx->width = width;
  ctx->height = height;
  return ctx.release();
}

void* WINL_GetCtxFrameBuffer(HDC ctx)
{
  return ctx ? ctx->frame : nullptr;
}

void WINL_DeleteGfxContext(HDC ctx)
{
  delete ctx;
}
