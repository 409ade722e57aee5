#include "platform/PLAT_Image.h"

#include "platform/PLAT_CairoPrivate.h"

namespace
{
// cairo refuses image sides beyond this.
constexpr int kMaxSide = 32767;
}

std::unique_ptr<PLAT_Image> PLAT_ImageFactory::Wrap(PLAT_Owned<cairo_surface_t> surface)
{
  if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) return nullptr;
  auto impl = std::make_unique<PLAT_Image::Impl>();
  impl->surface = std::move(surface);
  return std::unique_ptr<PLAT_Image>(new PLAT_Image(std::move(impl)));
}

PLAT_Image::PLAT_Image(std::unique_ptr<Impl> impl) : mImpl(std::move(impl)) {}

PLAT_Image::~PLAT_Image() = default;

std::unique_ptr<PLAT_Image> PLAT_Image::Create(int width, int height)
{
  if (width < 1 || height < 1 || width > kMaxSide || height > kMaxSide) return nullptr;
  PLAT_Owned<cairo_surface_t> surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
  return PLAT_ImageFactory::Wrap(std::move(surface));
}

std::unique_ptr<PLAT_Image> PLAT_Image::CreateFromARGB(const uint8_t* data, int width, int height)
{
  if (!data) return nullptr;
  std::unique_ptr<PLAT_Image> image = Create(width, height);
  if (!image) return nullptr;
  cairo_surface_t* s = image->mImpl->surface.get();
  cairo_surface_flush(s);
  unsigned char* out = cairo_image_surface_get_data(s);
  const int stride = cairo_image_surface_get_stride(s);
  for (int y = 0; y < height; ++y)
  {
    const uint8_t* in = data + static_cast<size_t>(y) * static_cast<size_t>(width) * 4;
    uint32_t* row = reinterpret_cast<uint32_t*>(out + static_cast<ptrdiff_t>(y) * stride);
    for (int x = 0; x < width; ++x, in += 4)
    {
      // cairo keeps colour premultiplied by alpha.
      const uint32_t a = in[0];
      const uint32_t r = (in[1] * a + 127) / 255, g = (in[2] * a + 127) / 255, b = (in[3] * a + 127) / 255;
      row[x] = a << 24 | r << 16 | g << 8 | b;
    }
  }
  cairo_surface_mark_dirty(s);
  return image;
}

std::unique_ptr<PLAT_Image> PLAT_Image::LoadPNG(const char* path)
{
  if (!path || !*path) return nullptr;
  PLAT_Owned<cairo_surface_t> loaded(cairo_image_surface_create_from_png(path));
  if (cairo_surface_status(loaded.get()) != CAIRO_STATUS_SUCCESS) return nullptr;
  // Images are kept in one format whatever the file held.
  std::unique_ptr<PLAT_Image> image =
      Create(cairo_image_surface_get_width(loaded.get()), cairo_image_surface_get_height(loaded.get()));
  if (!image) return nullptr;
  PLAT_Owned<cairo_t> cr(cairo_create(image->mImpl->surface.get()));
  cairo_set_source_surface(cr.get(), loaded.get(), 0, 0);
  cairo_set_operator(cr.get(), CAIRO_OPERATOR_SOURCE);
  cairo_paint(cr.get());
  return image;
}

int PLAT_Image::GetWidth() const { return cairo_image_surface_get_width(mImpl->surface.get()); }
int PLAT_Image::GetHeight() const { return cairo_image_surface_get_height(mImpl->surface.get()); }

uint32_t PLAT_Image::GetPixel(int x, int y) const
{
  cairo_surface_t* s = mImpl->surface.get();
  if (x < 0 || y < 0 || x >= GetWidth() || y >= GetHeight()) return 0;
  cairo_surface_flush(s);
  const unsigned char* data = cairo_image_surface_get_data(s);
  const uint32_t v = reinterpret_cast<const uint32_t*>(data + static_cast<ptrdiff_t>(y) * cairo_image_surface_get_stride(s))[x];
  const uint32_t a = v >> 24;
  if (a == 0) return 0;
  auto un = [a](uint32_t c) { return (c * 255 + a / 2) / a; };
  return a << 24 | un((v >> 16) & 255) << 16 | un((v >> 8) & 255) << 8 | un(v & 255);
}
