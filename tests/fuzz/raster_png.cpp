// PNG images come from the application's resources and from disk, where
// anything may have been written to them. Decodes the input from memory into
// a new bitmap and into a caller's bitmap of another size, and checks that
// both agree and that a decoded image stays within the pixel cap. The same
// input halved as it decodes must be refused where the whole decode is, and
// where it halves, give each 2 x 2 block's mean of the whole decode and keep
// indices that expand to it.
#include "raster/RAST_IndexedImage.h"
#include "raster/RAST_PNG.h"

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  if (size > INT_MAX) return 0;
  const int len = static_cast<int>(size);

  std::unique_ptr<RAST_IBitmap> fresh(RAST_LoadPNGFromMemory(data, len, nullptr));
  RAST_MemBitmap mine(3, 2, 4);
  RAST_IBitmap* filled = RAST_LoadPNGFromMemory(data, len, &mine);
  if (static_cast<bool>(fresh) != (filled != nullptr)) abort();
  if (filled && filled != &mine) abort();
  RAST_MemBitmap half(1, 1, 4);
  RAST_IndexedImage kept;
  const RAST_PNGHalved halved = RAST_LoadPNGHalvedFromMemory(data, len, &half, &kept);
  if (!fresh && halved == RAST_PNGHalved::kHalved) abort();
  if (!fresh) return 0;

  const int w = fresh->getWidth(), h = fresh->getHeight();
  if (w < 1 || h < 1 || static_cast<int64_t>(w) * h > RAST_PNG_MAX_PIXELS) abort();
  if (mine.getWidth() != w || mine.getHeight() != h) abort();
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (fresh->getBits()[static_cast<size_t>(y) * fresh->getRowSpan() + x] !=
          mine.getBits()[static_cast<size_t>(y) * mine.getRowSpan() + x])
        abort();

  if (halved == RAST_PNGHalved::kFailed) abort();
  if (halved == RAST_PNGHalved::kCannot)
  {
    // Turned down from the header: the bitmap untouched, no indices.
    if (half.getWidth() != 1 || half.getHeight() != 1 || !kept.Empty()) abort();
    return 0;
  }
  if (w % 2 != 0 || h % 2 != 0 || half.getWidth() != w / 2 || half.getHeight() != h / 2) abort();
  auto at = [&](int x, int y) { return fresh->getBits()[static_cast<size_t>(y) * fresh->getRowSpan() + x]; };
  for (int j = 0; j < h / 2; ++j)
    for (int i = 0; i < w / 2; ++i)
    {
      const RAST_pixel got = half.getBits()[static_cast<size_t>(j) * half.getRowSpan() + i];
      for (int shift = 0; shift < 32; shift += 8)
      {
        const unsigned sum = (at(2 * i, 2 * j) >> shift & 255u) + (at(2 * i + 1, 2 * j) >> shift & 255u) +
                             (at(2 * i, 2 * j + 1) >> shift & 255u) + (at(2 * i + 1, 2 * j + 1) >> shift & 255u);
        if ((got >> shift & 255u) != sum / 4) abort();
      }
    }
  RAST_MemBitmap expanded(0, 0, 4);
  if (!kept.ExpandInto(&expanded)) abort();
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (expanded.getBits()[static_cast<size_t>(y) * expanded.getRowSpan() + x] != at(x, y)) abort();
  return 0;
}
