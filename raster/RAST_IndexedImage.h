// An image of at most 256 colours held as one byte a pixel and a table of
// its colours: a quarter of the memory of the bitmap it came from, and the
// same pixels when expanded again. One thread at a time per image.
#pragma once

#include "raster/RAST_Bitmap.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

class RAST_IndexedImage
{
public:
  // Takes the pixels of src (rows from the top, flipped or not). False, and
  // the image left empty, when src is empty or has more than 256 colours.
  [[nodiscard]] bool Assign(RAST_IBitmap* src);

  // dst resized to the image's size and given its pixels; false when the
  // image is empty or dst cannot take the size.
  bool ExpandInto(RAST_IBitmap* dst) const;

  // Room for a w by h image of count colours (1 to 256), whose rows of
  // indices the caller then writes through Row (a decoder that has them);
  // false, and the image left empty, when the size or count is refused or
  // memory is short.
  [[nodiscard]] bool Prepare(int w, int h, const RAST_pixel* colours, int count);
  uint8_t* Row(int y) { return mIndices.get() + static_cast<size_t>(y) * static_cast<size_t>(mWidth); }
  void Clear();

  bool Empty() const { return !mIndices; }
  int Width() const { return mWidth; }
  int Height() const { return mHeight; }

private:
  int mWidth = 0, mHeight = 0;
  std::vector<RAST_pixel> mColours;      // by index, at most 256
  std::unique_ptr<uint8_t[]> mIndices;  // mWidth by mHeight, rows from the top
};
