// PNG images come from the application's resources and from disk, where
// anything may have been written to them. Decodes the input from memory into
// a new bitmap and into a caller's bitmap of another size, and checks that
// both agree and that a decoded image stays within the pixel cap.
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
  if (!fresh) return 0;

  const int w = fresh->getWidth(), h = fresh->getHeight();
  if (w < 1 || h < 1 || static_cast<int64_t>(w) * h > RAST_PNG_MAX_PIXELS) abort();
  if (mine.getWidth() != w || mine.getHeight() != h) abort();
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (fresh->getBits()[static_cast<size_t>(y) * fresh->getRowSpan() + x] !=
          mine.getBits()[static_cast<size_t>(y) * mine.getRowSpan() + x])
        abort();
  return 0;
}
