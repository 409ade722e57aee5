#include "raster/RAST_Glyph.h"

#include "raster/RAST_Blend.h"
#include "raster/RAST_BitmapView.h"

#include <iterator>

namespace
{
using GlyphRowsFn = void (*)(const uint8_t* glyph, RAST_pixel* d, int w, int h, RAST_pixel color,
                             ptrdiff_t dstep, ptrdiff_t gspan, int weight);

// Coverage 0 leaves a pixel alone; any other coverage v combines the colour at
// weight v * weight / 256.
template <class Blend>
void GlyphRows(const uint8_t* glyph, RAST_pixel* d, int w, int h, RAST_pixel color, ptrdiff_t dstep,
               ptrdiff_t gspan, int weight)
{
  const int r = RAST_GETR(color), g = RAST_GETG(color), b = RAST_GETB(color), a = RAST_GETA(color);
  for (int y = 0; y < h; ++y, d += dstep, glyph += gspan)
    for (int x = 0; x < w; ++x)
      if (const int v = glyph[x]) Blend::Apply(d + x, r, g, b, a, (v * weight) / 256);
}

constexpr GlyphRowsFn RAST_DrawGlyphEx_Impl_Copy = &GlyphRows<RAST_BlendCopy>;
constexpr GlyphRowsFn RAST_DrawGlyphEx_Impl_Add = &GlyphRows<RAST_BlendAdd>;
constexpr GlyphRowsFn RAST_DrawGlyphEx_Impl_ColorDodge = &GlyphRows<RAST_BlendColorDodge>;
constexpr GlyphRowsFn RAST_DrawGlyphEx_Impl_Multiply = &GlyphRows<RAST_BlendMultiply>;
constexpr GlyphRowsFn RAST_DrawGlyphEx_Impl_Overlay = &GlyphRows<RAST_BlendOverlay>;
constexpr GlyphRowsFn RAST_DrawGlyphEx_Impl_HSVAdjust = &GlyphRows<RAST_BlendHSVAdjust>;

// Indexed by combine mode.
constexpr GlyphRowsFn kGlyphRows[] = {
    RAST_DrawGlyphEx_Impl_Copy,        // RAST_BLIT_MODE_COPY
    RAST_DrawGlyphEx_Impl_Add,         // RAST_BLIT_MODE_ADD
    RAST_DrawGlyphEx_Impl_ColorDodge,  // RAST_BLIT_MODE_DODGE
    RAST_DrawGlyphEx_Impl_Multiply,    // RAST_BLIT_MODE_MUL
    RAST_DrawGlyphEx_Impl_Overlay,     // RAST_BLIT_MODE_OVERLAY
    RAST_DrawGlyphEx_Impl_HSVAdjust,   // RAST_BLIT_MODE_HSVADJ
};
static_assert(std::size(kGlyphRows) == RAST_BLIT_MODE_COUNT, "every combine mode needs its glyph instance");
}  // namespace

void RAST_DrawGlyphEx(RAST_IBitmap* dest, int x, int y, RAST_pixel color, const uint8_t* glyph, int glyph_w,
                      int glyph_span, int glyph_h, float alpha, int mode)
{
  const int op = mode & RAST_BLIT_MODE_MASK;
  const int weight = RAST_WeightFromAlpha(alpha);
  if (!glyph || weight == 0 || op >= RAST_BLIT_MODE_COUNT) return;
  if (op == RAST_BLIT_MODE_COPY && weight < 1) return;

  // The map's cell [x, x + glyph_w) x [y, y + glyph_h), cut to the bitmap on
  // all four sides.
  RAST_BitmapView view;
  RAST_ClipBox box;
  if (!view.Open(dest) || !RAST_ClipToBitmap(view, x, y, glyph_w, glyph_h, &box)) return;
  const int64_t skipColumns = static_cast<int64_t>(box.x) - x;
  const int64_t skipRows = static_cast<int64_t>(box.y) - y;

  const uint8_t* map = glyph + skipRows * glyph_span + skipColumns;
  kGlyphRows[op](map, view.Row(box.y) + box.x, box.w, box.h, color, view.Step(), glyph_span, weight);
}

void RAST_DrawGlyph(RAST_IBitmap* dest, int x, int y, RAST_pixel color, const uint8_t* glyph, int glyph_w,
                    int glyph_h, float alpha, int mode)
{
  RAST_DrawGlyphEx(dest, x, y, color, glyph, glyph_w, glyph_w, glyph_h, alpha, mode);
}
