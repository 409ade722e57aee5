#include "tools/artgen/ArtCanvas.h"

#include "raster/RAST_Circle.h"
#include "raster/RAST_Line.h"
#include "raster/RAST_Rect.h"

#include <cctype>
#include <cstring>

namespace
{
// Rows of three bits, top row first, for the characters the labels use.
struct Glyph
{
  char c;
  unsigned char rows[5];
};

constexpr Glyph kFont[] = {
  {' ', {0, 0, 0, 0, 0}},   {'A', {2, 5, 7, 5, 5}},   {'B', {6, 5, 6, 5, 6}},   {'C', {3, 4, 4, 4, 3}},
  {'D', {6, 5, 5, 5, 6}},   {'E', {7, 4, 6, 4, 7}},   {'F', {7, 4, 6, 4, 4}},   {'G', {3, 4, 5, 5, 3}},
  {'H', {5, 5, 7, 5, 5}},   {'I', {7, 2, 2, 2, 7}},   {'J', {1, 1, 1, 5, 2}},   {'K', {5, 5, 6, 5, 5}},
  {'L', {4, 4, 4, 4, 7}},   {'M', {5, 7, 7, 5, 5}},   {'N', {6, 5, 5, 5, 5}},   {'O', {2, 5, 5, 5, 2}},
  {'P', {6, 5, 6, 4, 4}},   {'Q', {2, 5, 5, 6, 3}},   {'R', {6, 5, 6, 5, 5}},   {'S', {3, 4, 2, 1, 6}},
  {'T', {7, 2, 2, 2, 2}},   {'U', {5, 5, 5, 5, 7}},   {'V', {5, 5, 5, 5, 2}},   {'W', {5, 5, 7, 7, 5}},
  {'X', {5, 5, 2, 5, 5}},   {'Y', {5, 5, 2, 2, 2}},   {'Z', {7, 1, 2, 4, 7}},   {'0', {7, 5, 5, 5, 7}},
  {'1', {2, 6, 2, 2, 7}},   {'2', {6, 1, 2, 4, 7}},   {'3', {6, 1, 2, 1, 6}},   {'4', {5, 5, 7, 1, 1}},
  {'5', {7, 4, 6, 1, 6}},   {'6', {3, 4, 7, 5, 7}},   {'7', {7, 1, 2, 2, 2}},   {'8', {7, 5, 7, 5, 7}},
  {'9', {7, 5, 7, 1, 6}},   {'.', {0, 0, 0, 0, 2}},   {',', {0, 0, 0, 2, 4}},   {'-', {0, 0, 7, 0, 0}},
  {'+', {0, 2, 7, 2, 0}},   {'/', {1, 1, 2, 4, 4}},   {'(', {2, 4, 4, 4, 2}},   {')', {2, 1, 1, 1, 2}},
  {':', {0, 2, 0, 2, 0}},   {'!', {2, 2, 2, 0, 2}},   {'?', {6, 1, 2, 0, 2}},   {'\'', {2, 2, 0, 0, 0}},
  {'&', {2, 5, 2, 5, 3}},   {'%', {5, 1, 2, 4, 5}},   {'#', {5, 7, 5, 7, 5}},   {'>', {4, 2, 1, 2, 4}},
  {'<', {1, 2, 4, 2, 1}},   {'=', {0, 7, 0, 7, 0}},   {'_', {0, 0, 0, 0, 7}},   {'*', {0, 5, 2, 5, 0}},
  {'[', {6, 4, 4, 4, 6}},   {']', {3, 1, 1, 1, 3}},   {'|', {2, 2, 2, 2, 2}},
};

const Glyph& GlyphOf(char c)
{
  const char up = static_cast<char>(toupper(static_cast<unsigned char>(c)));
  for (const Glyph& g : kFont)
    if (g.c == up) return g;
  return GlyphOf('?');
}
}  // namespace

ArtCanvas::ArtCanvas(int baseW, int baseH)
  : mBaseW(baseW), mBaseH(baseH), mBitmap(std::make_unique<RAST_MemBitmap>(2 * baseW, 2 * baseH, 1))
{
  RAST_Clear(mBitmap.get(), 0);
}

void ArtCanvas::Fill2x(int x, int y, int w, int h, RAST_pixel c)
{
  RAST_FillRect(mBitmap.get(), x, y, w, h, c, 1.0f, RAST_BLIT_MODE_COPY);
}

void ArtCanvas::Fill(int x, int y, int w, int h, RAST_pixel c)
{
  Fill2x(2 * x, 2 * y, 2 * w, 2 * h, c);
}

void ArtCanvas::Frame(int x, int y, int w, int h, RAST_pixel c, int thick)
{
  Fill(x, y, w, thick, c);
  Fill(x, y + h - thick, w, thick, c);
  Fill(x, y, thick, h, c);
  Fill(x + w - thick, y, thick, h, c);
}

void ArtCanvas::Bevel(int x, int y, int w, int h, RAST_pixel face, RAST_pixel light, RAST_pixel dark,
                      bool pressed)
{
  Fill(x, y, w, h, face);
  const RAST_pixel topLeft = pressed ? dark : light, bottomRight = pressed ? light : dark;
  Fill2x(2 * x, 2 * y, 2 * w, 1, topLeft);
  Fill2x(2 * x, 2 * y, 1, 2 * h, topLeft);
  Fill2x(2 * x, 2 * (y + h) - 1, 2 * w, 1, bottomRight);
  Fill2x(2 * (x + w) - 1, 2 * y, 1, 2 * h, bottomRight);
}

void ArtCanvas::Disc(int cx2, int cy2, int r2, RAST_pixel c)
{
  RAST_FillCircle(mBitmap.get(), static_cast<float>(cx2), static_cast<float>(cy2), static_cast<float>(r2), c, 1.0f,
                  RAST_BLIT_MODE_COPY, false);
}

void ArtCanvas::Line2x(int x1, int y1, int x2, int y2, RAST_pixel c)
{
  RAST_Line(mBitmap.get(), x1, y1, x2, y2, c, 1.0f, RAST_BLIT_MODE_COPY, false);
}

int ArtCanvas::TextWidth(const char* text, int scale)
{
  // The label table measures the same way, so its boxes meet the paint.
  return ArtTextWidth(text ? text : "", scale);
}

void ArtCanvas::Text(int x, int y, const char* text, RAST_pixel c, int scale, int align)
{
  if (!text) return;
  const int width = TextWidth(text, scale);
  const int pen = align == 1 ? x - width / 2 : (align == 2 ? x - width : x);
  Text2x(2 * pen, 2 * y, text, c, 2 * scale);
}

void ArtCanvas::Text2x(int x2, int y2, const char* text, RAST_pixel c, int scale2, int align, int wide2)
{
  if (!text) return;
  if (wide2 == 0) wide2 = scale2;
  const int width = ArtTextWidth(text, wide2);
  int pen = align == 1 ? x2 - width / 2 : (align == 2 ? x2 - width : x2);
  for (const char* p = text; *p; ++p, pen += 4 * wide2)
  {
    const Glyph& g = GlyphOf(*p);
    for (int row = 0; row < kGlyphH; ++row)
      for (int col = 0; col < 3; ++col)
        if (g.rows[row] & (4 >> col)) Fill2x(pen + col * wide2, y2 + row * scale2, wide2, scale2, c);
  }
}
