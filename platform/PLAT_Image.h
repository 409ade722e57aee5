// Images of the platform layer: pixels held in the platform's own format,
// drawn onto canvases with PLAT_Canvas::DrawImage. Immutable once made, so one
// image may be shared by several owners. Not thread-safe.
#pragma once

#include <cstdint>
#include <memory>

class PLAT_Image
{
public:
  struct Impl;

  // width x height, fully transparent. Null for sizes below 1 or above 32767,
  // or when memory runs out.
  static std::unique_ptr<PLAT_Image> Create(int width, int height);

  // width x height from rows of width pixels, each the four bytes (alpha,
  // red, green, blue) not premultiplied, rows packed. Null as for Create or
  // for null data.
  static std::unique_ptr<PLAT_Image> CreateFromARGB(const uint8_t* data, int width, int height);

  // The PNG file at path; null when it cannot be read or decoded.
  static std::unique_ptr<PLAT_Image> LoadPNG(const char* path);

  ~PLAT_Image();
  PLAT_Image(const PLAT_Image&) = delete;
  PLAT_Image& operator=(const PLAT_Image&) = delete;

  int GetWidth() const;
  int GetHeight() const;
  // The pixel at (x, y) as 0xAARRGGBB, not premultiplied; 0 outside.
  uint32_t GetPixel(int x, int y) const;

  Impl* GetImpl() const { return mImpl.get(); }

private:
  explicit PLAT_Image(std::unique_ptr<Impl> impl);
  friend struct PLAT_ImageFactory;
  std::unique_ptr<Impl> mImpl;
};
