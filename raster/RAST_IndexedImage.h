// An image of at most 256 colours held as colour indices packed into runs,
// row by row, and a table of its colours: artwork's flat areas shrink to a
// few bytes a row, and its expanded pixels are those it came from. One
// thread at a time per image.
#pragma once

#include "raster/RAST_Bitmap.h"

#include <cstddef>
#include <cstdint>
#include <vector>

struct RAST_BitmapView;

class RAST_IndexedImage
{
public:
  // Takes the pixels of src (rows from the top, flipped or not). False, and
  // the image left empty, when src is empty or has more than 256 colours.
  [[nodiscard]] bool Assign(RAST_IBitmap* src);

  // dst resized to the image's size and given its pixels; false when the
  // image is empty, not yet given all its rows, or dst cannot take the size.
  bool ExpandInto(RAST_IBitmap* dst) const;
  // dst resized to w by h and given the image's pixels of the rectangle
  // from (x, y), which must lie inside it: artwork held as indices is drawn
  // a band at a time without its whole pixels. False as ExpandInto, and for
  // a rectangle reaching outside the image.
  bool ExpandRect(int x, int y, int w, int h, RAST_IBitmap* dst) const;

  // Room for a w by h image of count colours (1 to 256), whose rows of
  // indices a decoder then hands over with PutRow, top to bottom; false,
  // and the image left empty, when the size or count is refused. An index
  // past the colours given stands for transparent black.
  [[nodiscard]] bool Prepare(int w, int h, const RAST_pixel* colours, int count);
  // Packs row y of Width() indices; false when y is not the next row, or
  // (the image then left empty) when memory is short.
  bool PutRow(int y, const uint8_t* indices);
  void Clear();

  bool Empty() const { return mRowStarts.empty(); }
  // All Height() rows are in: the image can be expanded.
  bool Complete() const { return !Empty() && mRowStarts.size() == static_cast<size_t>(mHeight) + 1; }
  int Width() const { return mWidth; }
  int Height() const { return mHeight; }
  // Bytes the packed rows take.
  size_t PackedBytes() const { return mPacked.size(); }

private:
  bool AssignFrom(const RAST_BitmapView& view);

  int mWidth = 0, mHeight = 0;
  std::vector<RAST_pixel> mColours;   // by index, always 256
  std::vector<uint8_t> mPacked;       // the rows' runs, one after another
  std::vector<size_t> mRowStarts;     // where each row's runs start; one more once complete
};
