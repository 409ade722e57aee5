// Test bitmaps for the raster tests: a bitmap over memory the test owns, set
// inside a sentinel-filled buffer with a row span wider than its width (and
// optionally stored bottom-up), so a test can see any write outside the
// bitmap; and small helpers to fill and read bitmaps.
#pragma once

#include "raster/RAST_Bitmap.h"
#include "raster/RAST_Blit.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class GuardedBitmap : public RAST_IBitmap
{
public:
  static constexpr RAST_pixel kSentinel = 0xA5C3E1F7u;

  // guard pixels of sentinel before and after the storage; each stored row has
  // extraSpan sentinel pixels after its width. The cells hold Pattern, or the
  // value of a Filled.
  struct Filled
  {
    RAST_pixel value;
  };
  GuardedBitmap(int w, int h, int extraSpan = 3, int guard = 64, bool flipped = false)
      : mWidth(w), mHeight(h), mSpan(w + extraSpan), mGuard(guard), mFlipped(flipped),
        mStore(static_cast<size_t>(guard) * 2 + static_cast<size_t>(w + extraSpan) * h, kSentinel)
  {
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) At(x, y) = Pattern(x, y);
  }
  GuardedBitmap(int w, int h, Filled fill, int extraSpan = 3, int guard = 64, bool flipped = false)
      : GuardedBitmap(w, h, extraSpan, guard, flipped)
  {
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) At(x, y) = fill.value;
  }

  // A fixed pixel value per cell, different in every byte position.
  static RAST_pixel Pattern(int x, int y)
  {
    return RAST_RGBA(x * 37 + y * 11, x * 5 + y * 71 + 9, x * 13 + y * 3 + 100, x * 29 + y * 17 + 1);
  }

  RAST_pixel* getBits() override { return mStore.data() + mGuard; }
  int getWidth() override { return mWidth; }
  int getHeight() override { return mHeight; }
  int getRowSpan() override { return mSpan; }
  bool isFlipped() override { return mFlipped; }
  bool resize(int, int) override { return false; }
  HDC getDC() override { return nullptr; }
  intptr_t Extended(int, void*) override { return 0; }

  // Pixel (x, y) counted from the top, wherever the storage keeps it.
  RAST_pixel& At(int x, int y)
  {
    const int stored = mFlipped ? mHeight - 1 - y : y;
    return mStore[static_cast<size_t>(mGuard) + static_cast<size_t>(stored) * mSpan + x];
  }

  // True when every storage pixel outside the width x height cells still holds
  // the sentinel.
  bool SentinelsIntact() const
  {
    for (size_t i = 0; i < mStore.size(); ++i)
    {
      const ptrdiff_t cell = static_cast<ptrdiff_t>(i) - mGuard;
      const bool inside = cell >= 0 && cell < static_cast<ptrdiff_t>(mSpan) * mHeight && cell % mSpan < mWidth;
      if (!inside && mStore[i] != kSentinel) return false;
    }
    return true;
  }

  // The width x height cells, top row first.
  std::vector<RAST_pixel> Cells()
  {
    std::vector<RAST_pixel> out;
    for (int y = 0; y < mHeight; ++y)
      for (int x = 0; x < mWidth; ++x) out.push_back(At(x, y));
    return out;
  }

private:
  int mWidth, mHeight, mSpan, mGuard;
  bool mFlipped;
  std::vector<RAST_pixel> mStore;
};

// Every pixel of bm set to value.
inline void FillAll(RAST_IBitmap& bm, RAST_pixel value)
{
  for (int y = 0; y < bm.getHeight(); ++y)
    for (int x = 0; x < bm.getWidth(); ++x) bm.getBits()[static_cast<ptrdiff_t>(y) * bm.getRowSpan() + x] = value;
}

// Pixel (x, y) of a bitmap that is not flipped.
inline RAST_pixel& PixelAt(RAST_IBitmap& bm, int x, int y)
{
  return bm.getBits()[static_cast<ptrdiff_t>(y) * bm.getRowSpan() + x];
}

// Pixel (x, y) counted from the top of any bitmap.
inline RAST_pixel ReadPixel(RAST_IBitmap& bm, int x, int y)
{
  const int row = bm.isFlipped() ? bm.getHeight() - 1 - y : y;
  return bm.getBits()[static_cast<ptrdiff_t>(row) * bm.getRowSpan() + x];
}

// Every pixel of a bitmap, top row first.
inline std::vector<RAST_pixel> AllPixels(RAST_IBitmap& bm)
{
  std::vector<RAST_pixel> out;
  for (int y = 0; y < bm.getHeight(); ++y)
    for (int x = 0; x < bm.getWidth(); ++x) out.push_back(ReadPixel(bm, x, y));
  return out;
}

// dest's cells after a copy of src's rectangle [l, r) x [t, b) to (dx, dy),
// worked out pixel by pixel from the plain geometry: every source pixel inside
// the source lands at its offset from (l, t), if that lies inside dest.
inline std::vector<RAST_pixel> ReferenceBlit(GuardedBitmap& dest, RAST_IBitmap& src, int64_t dx, int64_t dy,
                                             int64_t l, int64_t t, int64_t r, int64_t b)
{
  std::vector<RAST_pixel> out = dest.Cells();
  const int dw = dest.getWidth(), dh = dest.getHeight();
  for (int64_t sy = t < 0 ? 0 : t; sy < b && sy < src.getHeight(); ++sy)
    for (int64_t sx = l < 0 ? 0 : l; sx < r && sx < src.getWidth(); ++sx)
    {
      const int64_t x = dx + (sx - l), y = dy + (sy - t);
      if (x >= 0 && y >= 0 && x < dw && y < dh)
        out[static_cast<size_t>(y * dw + x)] = ReadPixel(src, static_cast<int>(sx), static_cast<int>(sy));
    }
  return out;
}
