// The generator's drawing surface: a bitmap at twice the base size on which
// painters draw in base pixels (each doubled here) with the raster
// library, plus the built-in pixel font that labels every image. No system
// font is involved, so the output is the same on every machine.
#pragma once

#include "raster/RAST_Bitmap.h"
#include "tools/artgen/ArtLabels.h"
#include "raster/RAST_Pixel.h"

#include <memory>

// Opaque colour.
constexpr RAST_pixel ArtRGB(int r, int g, int b) { return RAST_RGBA(r, g, b, 255); }

class ArtCanvas
{
public:
  // A transparent canvas of baseW x baseH base pixels.
  ArtCanvas(int baseW, int baseH);

  RAST_IBitmap* Bitmap() { return mBitmap.get(); }
  int W() const { return mBaseW; }
  int H() const { return mBaseH; }

  // ---- in base pixels; every pixel drawn replaces what was there ----
  void Fill(int x, int y, int w, int h, RAST_pixel c);
  // An outline `thick` base pixels wide inside (x, y, w, h).
  void Frame(int x, int y, int w, int h, RAST_pixel c, int thick = 1);
  // A raised (or, pressed, sunken) face: light top and left edges, dark
  // bottom and right ones, one image pixel wide.
  void Bevel(int x, int y, int w, int h, RAST_pixel face, RAST_pixel light, RAST_pixel dark, bool pressed);
  void Disc(int cx2, int cy2, int r2, RAST_pixel c);  // in image pixels
  // A line between two points given in image pixels.
  void Line2x(int x1, int y1, int x2, int y2, RAST_pixel c);
  // An image-pixel rectangle.
  void Fill2x(int x, int y, int w, int h, RAST_pixel c);

  // ---- the pixel font: 3 x 5 cells, one column apart ----
  // Text from (x, y) (base pixels), each font pixel scale base pixels wide.
  // align 0 starts at x, 1 centres on x, 2 ends at x. Lower case prints
  // as upper case; characters the font lacks print as '?'.
  void Text(int x, int y, const char* text, RAST_pixel c, int scale = 1, int align = 0);
  // The same in image pixels: from (x2, y2), each font pixel scale2 image
  // pixels wide, so odd scales give the in-between sizes (3 is one and a
  // half base pixels, 7.5 pixels tall at the base size). wide2, when not 0,
  // is the width of a font pixel instead: the condensed face, as tall as
  // scale2 makes it and as narrow as wide2 (see ArtTextWidth).
  void Text2x(int x2, int y2, const char* text, RAST_pixel c, int scale2, int align = 0, int wide2 = 0);
  // Width in base pixels of text at scale, without the trailing gap.
  static int TextWidth(const char* text, int scale = 1);
  static constexpr int kGlyphH = kArtGlyphH;

private:
  int mBaseW, mBaseH;
  std::unique_ptr<RAST_MemBitmap> mBitmap;
};
