// Drawing an 8-bit coverage map (a glyph, an anti-aliased shape) in one colour
// with a blend mode. Pixels are RAST_pixel values (bytes A, R, G, B). GUI
// thread only.
#pragma once

#include "raster/RAST_Bitmap.h"

#include <cstdint>

// Draws the coverage map (glyph_h rows of glyph_w bytes, rows glyph_span bytes
// apart; 0 no coverage, 255 full) with its top-left corner at (x, y), clipped
// to the bitmap. Each covered pixel combines color (with its own alpha byte as
// the source alpha) by the mode byte 0..5 at weight coverage * w / 256, where
// w = (int)(alpha * 256), held within -32768..2^20 and so past full strength
// above 256; full coverage at alpha 1.0 is weight 255. Nothing for a null bitmap or map, a weight of 0, a mode byte above 5, or
// copy at a weight below 1.
void RAST_DrawGlyphEx(RAST_IBitmap* dest, int x, int y, RAST_pixel color, const uint8_t* glyph, int glyph_w,
                      int glyph_span, int glyph_h, float alpha, int mode);

// RAST_DrawGlyphEx with rows glyph_w bytes apart.
void RAST_DrawGlyph(RAST_IBitmap* dest, int x, int y, RAST_pixel color, const uint8_t* glyph, int glyph_w,
                    int glyph_h, float alpha, int mode);
