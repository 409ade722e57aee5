#include "tools/artgen/ArtPng.h"

#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <unordered_set>
#include <utility>
#include <vector>

namespace
{
// The image as libpng takes it: rows of palette indexes or of RGBA bytes.
struct Encoded
{
  bool palette = false;
  std::vector<png_color> colours;
  std::vector<png_byte> alphas;  // of the leading palette entries that are not opaque
  std::vector<png_byte> bytes;
  int rowBytes = 0;
};

// The palette is sorted with the colours that are not opaque first, so the
// transparency chunk is as short as it can be, then by value.
bool PaletteOrder(RAST_pixel a, RAST_pixel b)
{
  const bool oa = RAST_GETA(a) == 255, ob = RAST_GETA(b) == 255;
  return oa != ob ? ob : a < b;
}

bool PaletteOf(RAST_IBitmap* bm, std::vector<RAST_pixel>* out)
{
  const int w = bm->getWidth(), h = bm->getHeight(), span = bm->getRowSpan();
  const RAST_pixel* bits = bm->getBits();
  std::unordered_set<RAST_pixel> distinct;
  RAST_pixel last = 0;
  bool any = false;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
    {
      const RAST_pixel p = bits[static_cast<size_t>(y) * span + x];
      // Runs of one colour are the rule in artwork.
      if (any && p == last) continue;
      any = true;
      last = p;
      if (distinct.insert(p).second && distinct.size() > 256) return false;
    }
  std::vector<RAST_pixel> seen(distinct.begin(), distinct.end());
  std::sort(seen.begin(), seen.end(), PaletteOrder);
  *out = std::move(seen);
  return true;
}

Encoded Encode(RAST_IBitmap* bm)
{
  Encoded e;
  const int w = bm->getWidth(), h = bm->getHeight(), span = bm->getRowSpan();
  const RAST_pixel* bits = bm->getBits();
  std::vector<RAST_pixel> palette;
  e.palette = PaletteOf(bm, &palette);
  if (e.palette)
  {
    for (RAST_pixel p : palette)
    {
      e.colours.push_back(png_color{static_cast<png_byte>(RAST_GETR(p)), static_cast<png_byte>(RAST_GETG(p)),
                                    static_cast<png_byte>(RAST_GETB(p))});
      if (RAST_GETA(p) != 255) e.alphas.push_back(static_cast<png_byte>(RAST_GETA(p)));
    }
    e.rowBytes = w;
    e.bytes.resize(static_cast<size_t>(w) * h);
    RAST_pixel last = palette[0];
    png_byte index = 0;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
      {
        const RAST_pixel p = bits[static_cast<size_t>(y) * span + x];
        if (p != last)
        {
          last = p;
          index = static_cast<png_byte>(std::lower_bound(palette.begin(), palette.end(), p, PaletteOrder) -
                                        palette.begin());
        }
        e.bytes[static_cast<size_t>(y) * w + x] = index;
      }
    return e;
  }
  e.rowBytes = 4 * w;
  e.bytes.resize(static_cast<size_t>(4) * w * h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
    {
      const RAST_pixel p = bits[static_cast<size_t>(y) * span + x];
      png_byte* o = &e.bytes[(static_cast<size_t>(y) * w + x) * 4];
      o[0] = static_cast<png_byte>(RAST_GETR(p));
      o[1] = static_cast<png_byte>(RAST_GETG(p));
      o[2] = static_cast<png_byte>(RAST_GETB(p));
      o[3] = static_cast<png_byte>(RAST_GETA(p));
    }
  return e;
}

// libpng reports errors by longjmp: nothing with a destructor lives in the
// frames between here and the setjmp.
bool WriteRows(FILE* file, int w, int h, Encoded* e, png_bytep* rows, int level)
{
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  if (!info)
  {
    png_destroy_write_struct(&png, nullptr);
    return false;
  }
  volatile bool ok = false;
  if (setjmp(png_jmpbuf(png)) == 0)
  {
    png_init_io(png, file);
    png_set_compression_level(png, level);
    png_set_IHDR(png, info, static_cast<png_uint_32>(w), static_cast<png_uint_32>(h), 8,
                 e->palette ? PNG_COLOR_TYPE_PALETTE : PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (e->palette)
    {
      png_set_PLTE(png, info, e->colours.data(), static_cast<int>(e->colours.size()));
      if (!e->alphas.empty()) png_set_tRNS(png, info, e->alphas.data(), static_cast<int>(e->alphas.size()), nullptr);
      png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    }
    png_write_info(png, info);
    png_write_image(png, rows);
    png_write_end(png, info);
    ok = true;
  }
  png_destroy_write_struct(&png, &info);
  return ok;
}
}  // namespace

bool ArtWritePng(const std::string& path, RAST_IBitmap* bm, std::string* error, int level)
{
  if (!bm || !bm->getBits() || bm->getWidth() < 1 || bm->getHeight() < 1)
  {
    *error = "empty image";
    return false;
  }
  Encoded e = Encode(bm);
  const int w = bm->getWidth(), h = bm->getHeight();
  std::vector<png_bytep> rows(static_cast<size_t>(h));
  for (int y = 0; y < h; ++y) rows[static_cast<size_t>(y)] = &e.bytes[static_cast<size_t>(y) * e.rowBytes];
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file)
  {
    *error = "cannot create the file";
    return false;
  }
  const bool written = WriteRows(file, w, h, &e, rows.data(), level);
  const bool closed = std::fclose(file) == 0;
  if (!written || !closed) *error = "libpng could not write it";
  return written && closed;
}
