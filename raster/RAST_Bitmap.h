// 32-bit bitmaps: the interface every drawing operation reads and writes
// through, a bitmap in heap memory and a bitmap over a window-layer memory
// context. Pixels are RAST_pixel values (bytes A, R, G, B). GUI thread only.
#pragma once

#include "raster/RAST_Pixel.h"
#include "winl/draw/WINL_MemDC.h"

#include <cstddef>
#include <cstdint>
#include <memory>

// The largest pixel storage a bitmap takes, in bytes: larger sizes leave the
// bitmap empty. Keeping it within an int also keeps every pixel offset of a
// bitmap within an int.
constexpr size_t RAST_MAX_BITMAP_BYTES = 0x7fffffff;

class RAST_IBitmap
{
public:
  virtual ~RAST_IBitmap() = default;

  // The first pixel of the top row; null when there is no storage. Pixel
  // (x, y) of a bitmap that is not flipped is getBits() + y * getRowSpan() + x.
  virtual RAST_pixel* getBits() = 0;
  virtual int getWidth() = 0;
  virtual int getHeight() = 0;
  // Distance from one row's start to the next, in pixels (not bytes).
  virtual int getRowSpan() = 0;
  // Rows stored bottom-up: row y then lies at storage row getHeight() - 1 - y.
  virtual bool isFlipped() = 0;
  // Changes the size; the pixels are undefined afterwards. See each class for
  // the result.
  virtual bool resize(int w, int h) = 0;
  // The window layer's drawing context over the pixels, or null.
  virtual HDC getDC() = 0;
  virtual intptr_t Extended(int id, void* data) = 0;
};

// A bitmap in heap memory; rows are padded to the line alignment.
class RAST_MemBitmap : public RAST_IBitmap
{
public:
  // linealign below 2 packs rows; otherwise its lowest set bit (at most 16)
  // pads each row to that many pixels. w or h below 1 gives an empty bitmap.
  RAST_MemBitmap(int w, int h, int linealign);
  RAST_MemBitmap(const RAST_MemBitmap&) = delete;
  RAST_MemBitmap& operator=(const RAST_MemBitmap&) = delete;
  ~RAST_MemBitmap() override;

  RAST_pixel* getBits() override;
  int getWidth() override { return mWidth; }
  int getHeight() override { return mHeight; }
  int getRowSpan() override { return (mWidth + mLineAlignMask) & ~mLineAlignMask; }
  bool isFlipped() override { return false; }
  // False when the size is unchanged. Otherwise true, also when storage could
  // not be had: the bitmap is then 0 x 0 with null bits. A width or height
  // below 1, or a size beyond RAST_MAX_BITMAP_BYTES, frees the storage. The
  // block is kept while the new size fits and grows with a quarter of slack.
  bool resize(int w, int h) override;
  HDC getDC() override { return nullptr; }
  intptr_t Extended(int, void*) override { return 0; }

  // Usable bytes of the block (the block itself is 63 bytes longer).
  size_t getAllocated() const { return mAllocated; }
  // Trades pixels, size and storage with other; nothing is copied.
  void swapContents(RAST_MemBitmap& other);

private:
  void Release();

  std::unique_ptr<unsigned char[]> mBuffer;
  int mWidth = 0;
  int mHeight = 0;
  size_t mAllocated = 0;
  int mLineAlignMask = 0;
};

// A bitmap over a window-layer memory context: text drawn through getDC()
// lands in the same pixels (the context's unused first byte is the alpha). Rows
// run top to bottom; the row span is the context's width, a multiple of 4 that
// can exceed the width after a shrinking resize.
class RAST_SysBitmap : public RAST_IBitmap
{
public:
  RAST_SysBitmap(int w, int h);
  RAST_SysBitmap(const RAST_SysBitmap&) = delete;
  RAST_SysBitmap& operator=(const RAST_SysBitmap&) = delete;
  ~RAST_SysBitmap() override = default;

  RAST_pixel* getBits() override { return mBits; }
  int getWidth() override { return mWidth; }
  int getHeight() override { return mHeight; }
  int getRowSpan() override { return mAllocWidth; }
  bool isFlipped() override { return false; }
  // False when the size is unchanged or the bitmap ends empty (a width or
  // height below 1, or a size beyond RAST_MAX_BITMAP_BYTES); true otherwise,
  // also when the context could not be made (the bitmap is then 0 x 0). The
  // context and its pixels are kept while the new size fits; a new context
  // starts zero-filled.
  bool resize(int w, int h) override;
  HDC getDC() override { return mContext.get(); }
  intptr_t Extended(int, void*) override { return 0; }

private:
  struct ContextDeleter
  {
    void operator()(HDC ctx) const;
  };

  int mWidth = 0;
  int mHeight = 0;
  std::unique_ptr<HDC__, ContextDeleter> mContext;
  RAST_pixel* mBits = nullptr;
  int mAllocWidth = 0;
  int mAllocHeight = 0;
};
