// Test pictures for the image benchmarks, painted from a function of the
// pixel position into the raster library's bitmaps (straight A, R, G, B) and
// into the premultiplied a8r8g8b8 pixels that pixman and cairo keep; and the
// comparison of the two kinds of output.
#pragma once

#include "bench/BenchReport.h"
#include "raster/RAST_Bitmap.h"

#include <pixman.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace bench
{
struct Channels
{
  int r, g, b, a;
};

// pixel(x, y) gives the Channels of each pixel.
template <class Fn>
void PaintRaster(RAST_IBitmap& bm, Fn pixel)
{
  for (int y = 0; y < bm.getHeight(); ++y)
    for (int x = 0; x < bm.getWidth(); ++x)
    {
      const Channels c = pixel(x, y);
      bm.getBits()[static_cast<size_t>(y) * bm.getRowSpan() + x] = RAST_RGBA(c.r, c.g, c.b, c.a);
    }
}

// stride in pixels.
template <class Fn>
void PaintPremultiplied(uint32_t* bits, int stride, int w, int h, Fn pixel)
{
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
    {
      const Channels c = pixel(x, y);
      bits[static_cast<size_t>(y) * stride + x] = static_cast<uint32_t>(c.a) << 24 |
                                                   static_cast<uint32_t>(c.r * c.a / 255) << 16 |
                                                   static_cast<uint32_t>(c.g * c.a / 255) << 8 |
                                                   static_cast<uint32_t>(c.b * c.a / 255);
    }
}

// A pixman image, released with its owner.
struct PixmanImage
{
  pixman_image_t* image;
  explicit PixmanImage(pixman_image_t* i) : image(i) {}
  ~PixmanImage() { pixman_image_unref(image); }
  PixmanImage(const PixmanImage&) = delete;
  PixmanImage& operator=(const PixmanImage&) = delete;
  uint32_t* Bits() const { return pixman_image_get_data(image); }
  int Stride() const { return pixman_image_get_stride(image) / 4; }

  // The whole image, pixel(x, y) giving the Channels of each pixel.
  template <class Fn>
  void Paint(Fn pixel) const
  {
    PaintPremultiplied(Bits(), Stride(), pixman_image_get_width(image), pixman_image_get_height(image), pixel);
  }
};
// Where two outputs are compared: the other library's colour made straight
// (unpremultiplied with rounding), or ours premultiplied with rounding (for
// decoders, where straight colour under a small alpha is noise).
enum class CompareIn
{
  Straight,
  Premultiplied,
};

// Our straight pixels (bytes A, R, G, B; stride in pixels) against the other
// library's premultiplied a8r8g8b8 ones, w x h of each. The differences are of
// the colour channels where both alphas are non-zero (a clear pixel has no
// colour); *alphaMax, when given, receives the largest difference of the
// alpha bytes.
inline Quality CompareWithPremultiplied(const RAST_pixel* ours, size_t oursStride, const uint32_t* theirs,
                                        size_t theirsStride, int w, int h, int* alphaMax = nullptr,
                                        CompareIn space = CompareIn::Straight)
{
  Quality q;
  double sum = 0, count = 0;
  int alpha = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
    {
      const RAST_pixel p = ours[y * oursStride + x];
      const uint32_t t = theirs[y * theirsStride + x];
      const int ta = static_cast<int>(t >> 24);
      alpha = std::max(alpha, std::abs(RAST_GETA(p) - ta));
      if (ta == 0 || RAST_GETA(p) == 0) continue;
      const int mine[3] = {RAST_GETR(p), RAST_GETG(p), RAST_GETB(p)};
      for (int c = 0; c < 3; ++c)
      {
        const int premultiplied = static_cast<int>((t >> (16 - 8 * c)) & 255);
        const int diff = space == CompareIn::Straight
                             ? std::abs(mine[c] - (premultiplied * 255 + ta / 2) / ta)
                             : std::abs((mine[c] * RAST_GETA(p) + 127) / 255 - premultiplied);
        q.maxDiff = std::max<double>(q.maxDiff, diff);
        sum += diff;
        count += 1;
      }
    }
  q.meanDiff = count > 0 ? sum / count : 0;
  if (alphaMax) *alphaMax = alpha;
  return q;
}
// Two opaque drawings over one background compared where either library drew
// (a pixel that is not the background in one of them), so that the untouched
// area does not dilute the mean: ours(x, y) gives our RAST_pixel, theirs(x, y)
// the other's 0xAARRGGBB. *differing, when given, receives the share of those
// pixels whose colour differs at all.
template <class Ours, class Theirs>
Quality CompareDrawn(int w, int h, Ours ours, Theirs theirs, RAST_pixel ourBackground, uint32_t theirBackground,
                     double* differing = nullptr)
{
  Quality q;
  double sum = 0, drawn = 0, unequal = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
    {
      const RAST_pixel p = ours(x, y);
      const uint32_t t = theirs(x, y);
      if (p == ourBackground && t == theirBackground) continue;
      const int diffs[3] = {std::abs(RAST_GETR(p) - static_cast<int>((t >> 16) & 255)),
                            std::abs(RAST_GETG(p) - static_cast<int>((t >> 8) & 255)),
                            std::abs(RAST_GETB(p) - static_cast<int>(t & 255))};
      drawn += 1;
      unequal += diffs[0] || diffs[1] || diffs[2];
      for (int d : diffs)
      {
        q.maxDiff = std::max<double>(q.maxDiff, d);
        sum += d;
      }
    }
  q.meanDiff = drawn > 0 ? sum / (3 * drawn) : 0;
  if (differing) *differing = drawn > 0 ? unequal / drawn : 0;
  return q;
}
}  // namespace bench
