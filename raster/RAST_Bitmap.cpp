#include "raster/RAST_Bitmap.h"

#include <climits>
#include <new>
#include <utility>

namespace
{
constexpr uintptr_t kPixelAlign = 64;

// Bytes of pixel storage for w x h pixels with rows padded by mask, or false
// when the size is empty or does not fit. Worked in 64 bits so that no
// product can wrap to a small positive number.
bool StorageBytes(int w, int h, int mask, int* span, size_t* bytes)
{
  if (w < 1 || h < 1) return false;
  const int64_t padded = (static_cast<int64_t>(w) + mask) & ~static_cast<int64_t>(mask);
  if (padded > INT_MAX) return false;
  const uint64_t total = static_cast<uint64_t>(padded) * static_cast<uint64_t>(h) * 4u;
  if (total > RAST_MAX_BITMAP_BYTES) return false;
  *span = static_cast<int>(padded);
  *bytes = static_cast<size_t>(total);
  return true;
}

// The block holds 63 spare bytes so that the pixels can start on the next
// 64-byte boundary.
std::unique_ptr<unsigned char[]> NewBlock(size_t bytes)
{
  return std::unique_ptr<unsigned char[]>(new (std::nothrow) unsigned char[bytes + kPixelAlign - 1]);
}
}  // namespace

// ---- RAST_MemBitmap ----

RAST_MemBitmap::RAST_MemBitmap(int w, int h, int linealign)
{
  if (linealign >= 2)
  {
    const unsigned lowest = static_cast<unsigned>(linealign) & (0u - static_cast<unsigned>(linealign));
    mLineAlignMask = static_cast<int>(lowest > 16u ? 16u : lowest) - 1;
  }
  if (w >= 1 && h >= 1) resize(w, h);
}

RAST_MemBitmap::~RAST_MemBitmap() = default;

RAST_pixel* RAST_MemBitmap::getBits()
{
  if (!mBuffer) return nullptr;
  const uintptr_t start = reinterpret_cast<uintptr_t>(mBuffer.get());
  const uintptr_t aligned = (start + kPixelAlign - 1) & ~(kPixelAlign - 1);
  return reinterpret_cast<RAST_pixel*>(mBuffer.get() + (aligned - start));
}

void RAST_MemBitmap::Release()
{
  mBuffer.reset();
  mAllocated = 0;
  mWidth = 0;
  mHeight = 0;
}

void RAST_MemBitmap::swapContents(RAST_MemBitmap& other)
{
  std::swap(mBuffer, other.mBuffer);
  std::swap(mWidth, other.mWidth);
  std::swap(mHeight, other.mHeight);
  std::swap(mAllocated, other.mAllocated);
  std::swap(mLineAlignMask, other.mLineAlignMask);
}

bool RAST_MemBitmap::resize(int w, int h)
{
  if (w == mWidth && h == mHeight) return false;

  int span = 0;
  size_t bytes = 0;
  if (!StorageBytes(w, h, mLineAlignMask, &span, &bytes))
  {
    Release();
    return true;
  }
  mWidth = w;
  mHeight = h;
  if (mBuffer && bytes <= mAllocated) return true;

  if (mBuffer)
  {
    // The pixels are undefined after a resize, so a fresh block serves as well
    // as a reallocation and copies nothing. The slack lets a scratch bitmap
    // grow a little without allocating again.
    mBuffer.reset();
    const size_t grown = bytes + bytes / 4;
    mBuffer = NewBlock(grown);
    if (mBuffer)
    {
      mAllocated = grown;
      return true;
    }
  }
  mBuffer = NewBlock(bytes);
  mAllocated = mBuffer ? bytes : 0;
  if (!mBuffer)
  {
    mWidth = 0;
    mHeight = 0;
  }
  return true;
}

// ---- RAST_SysBitmap ----

void RAST_SysBitmap::ContextDeleter::operator()(HDC ctx) const
{
  WINL_DeleteGfxContext(ctx);
}

RAST_SysBitmap::RAST_SysBitmap(int w, int h)
{
  resize(w, h);
}

bool RAST_SysBitmap::resize(int w, int h)
{
  if (w == mWidth && h == mHeight) return false;

  if (w >= 1 && h >= 1 && mBits && mAllocWidth >= w && mAllocHeight >= h)
  {
    mWidth = w;
    mHeight = h;
    return true;
  }

  mContext.reset();
  mBits = nullptr;
  mAllocWidth = 0;
  mAllocHeight = 0;
  mWidth = 0;
  mHeight = 0;

  // The context's rows are a multiple of 4 pixels wide.
  int span = 0;
  size_t bytes = 0;
  if (!StorageBytes(w, h, 3, &span, &bytes)) return false;

  mContext.reset(WINL_CreateMemContext(nullptr, span, h));
  if (!mContext) return true;
  mBits = static_cast<RAST_pixel*>(WINL_GetCtxFrameBuffer(mContext.get()));
  mAllocWidth = span;
  mAllocHeight = h;
  mWidth = w;
  mHeight = h;
  return true;
}
