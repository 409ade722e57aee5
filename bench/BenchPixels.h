// Test pictures for the image benchmarks, painted from a function of the
// pixel position into the raster library's bitmaps (straight A, R, G, B) and
// into the premultiplied a8r8g8b8 pixels that pixman and cairo keep.
#pragma once

#include "raster/RAST_Bitmap.h"

#include <pixman.h>

#include <cstddef>
#include <cstdint>

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
}  // namespace bench
