#include "raster/RAST_IndexedImage.h"

#include "raster/RAST_BitmapView.h"

#include <array>
#include <new>

namespace
{
// Colours seen so far, found by an open-addressed table twice the size of the
// most it may hold, so a probe ends at an empty slot soon.
class ColourTable
{
public:
  // The index of colour c, given the next free index when it is new; -1 once
  // a 257th colour turns up.
  int IndexOf(RAST_pixel c, std::vector<RAST_pixel>* colours)
  {
    size_t slot = (c * 0x9E3779B1u) >> 23;  // 9 bits: 0..511
    while (mUsed[slot])
    {
      if (mColour[slot] == c) return mIndex[slot];
      slot = (slot + 1) & (kSlots - 1);
    }
    if (colours->size() == 256) return -1;
    mUsed[slot] = true;
    mColour[slot] = c;
    mIndex[slot] = static_cast<uint8_t>(colours->size());
    colours->push_back(c);
    return mIndex[slot];
  }

private:
  static constexpr size_t kSlots = 512;
  std::array<bool, kSlots> mUsed{};
  std::array<RAST_pixel, kSlots> mColour{};
  std::array<uint8_t, kSlots> mIndex{};
};
}  // namespace

bool RAST_IndexedImage::Assign(RAST_IBitmap* src)
{
  Clear();
  RAST_BitmapView view;
  if (!view.Open(src)) return false;
  std::vector<RAST_pixel> colours;
  // Every byte is written below, so the storage starts uninitialised.
  std::unique_ptr<uint8_t[]> indices(new (std::nothrow) uint8_t[static_cast<size_t>(view.width) * view.height]);
  if (!indices) return false;
  ColourTable table;
  // Artwork runs in long stretches of one colour: the last colour's index
  // serves again without a look in the table.
  RAST_pixel last = 0;
  int lastIndex = -1;
  uint8_t* out = indices.get();
  for (int y = 0; y < view.height; ++y)
  {
    const RAST_pixel* row = view.Row(y);
    for (int x = 0; x < view.width; ++x)
    {
      if (lastIndex < 0 || row[x] != last)
      {
        last = row[x];
        lastIndex = table.IndexOf(last, &colours);
        if (lastIndex < 0) return false;
      }
      *out++ = static_cast<uint8_t>(lastIndex);
    }
  }
  mWidth = view.width;
  mHeight = view.height;
  mColours = std::move(colours);
  mIndices = std::move(indices);
  return true;
}

bool RAST_IndexedImage::Prepare(int w, int h, const RAST_pixel* colours, int count)
{
  Clear();
  if (w <= 0 || h <= 0 || !colours || count < 1 || count > 256) return false;
  mIndices.reset(new (std::nothrow) uint8_t[static_cast<size_t>(w) * static_cast<size_t>(h)]);
  if (!mIndices) return false;
  mWidth = w;
  mHeight = h;
  mColours.assign(colours, colours + count);
  return true;
}

void RAST_IndexedImage::Clear()
{
  mWidth = mHeight = 0;
  mColours.clear();
  mIndices.reset();
}

bool RAST_IndexedImage::ExpandInto(RAST_IBitmap* dst) const
{
  if (Empty() || !dst) return false;
  dst->resize(mWidth, mHeight);
  RAST_BitmapView view;
  if (!view.Open(dst) || view.width != mWidth || view.height != mHeight) return false;
  const RAST_pixel* colours = mColours.data();
  const uint8_t* in = mIndices.get();
  for (int y = 0; y < mHeight; ++y, in += mWidth)
  {
    RAST_pixel* row = view.Row(y);
    for (int x = 0; x < mWidth; ++x) row[x] = colours[in[x]];
  }
  return true;
}
