// Internal to the raster library: a bitmap's properties read once per call,
// with row addressing that honours the flipped flag, and the clipping of a
// rectangle to it. Coordinates are clipped in 64 bits so that huge or negative
// arguments cannot wrap.
#pragma once

#include "raster/RAST_Bitmap.h"

#include <cstddef>
#include <cstdint>

struct RAST_BitmapView
{
  RAST_pixel* bits = nullptr;
  int width = 0;
  int height = 0;
  int span = 0;  // pixels
  bool flipped = false;

  // False for a null bitmap, null bits, an empty size or a row span shorter
  // than a row: nothing may be drawn into such a bitmap.
  bool Open(RAST_IBitmap* bitmap)
  {
    if (!bitmap) return false;
    bits = bitmap->getBits();
    width = bitmap->getWidth();
    height = bitmap->getHeight();
    span = bitmap->getRowSpan();
    flipped = bitmap->isFlipped();
    return bits && width >= 1 && height >= 1 && span >= width;
  }

  // Row y counted from the top, wherever the storage keeps it.
  RAST_pixel* Row(int y) const
  {
    const ptrdiff_t stored = flipped ? height - 1 - y : y;
    return bits + stored * static_cast<ptrdiff_t>(span);
  }

  // Distance in pixels from row y to row y + 1.
  ptrdiff_t Step() const { return flipped ? -static_cast<ptrdiff_t>(span) : span; }

  // The row of rectangle rows top..top + count - 1 that comes first in
  // memory: walking from it by +span visits them in memory order.
  RAST_pixel* FirstInMemory(int top, int count) const
  {
    return Row(flipped ? top + count - 1 : top);
  }
};

// A rectangle already clipped to a bitmap: 0 <= x, 0 <= y, 1 <= w, 1 <= h,
// x + w <= width, y + h <= height.
struct RAST_ClipBox
{
  int x = 0;
  int y = 0;
  int w = 0;
  int h = 0;
};

// The rectangle (x, y, w, h) clipped to the bitmap: a negative x shortens w by
// as much, likewise y; false when nothing is left.
inline bool RAST_ClipToBitmap(const RAST_BitmapView& view, int64_t x, int64_t y, int64_t w,
                              int64_t h, RAST_ClipBox* box)
{
  if (x < 0)
  {
    w += x;
    x = 0;
  }
  if (y < 0)
  {
    h += y;
    y = 0;
  }
  if (w <= 0 || h <= 0 || x >= view.width || y >= view.height) return false;
  if (w > view.width - x) w = view.width - x;
  if (h > view.height - y) h = view.height - y;
  box->x = static_cast<int>(x);
  box->y = static_cast<int>(y);
  box->w = static_cast<int>(w);
  box->h = static_cast<int>(h);
  return true;
}
