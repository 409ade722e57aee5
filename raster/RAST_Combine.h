// The combine rules as functions on one pixel, and the whole-value combine
// operations. Pixels are RAST_pixel values (bytes A, R, G, B, not
// premultiplied); a weight of 256 is full strength.
//
// Every functor rewrites the pixel at p from the source values r, g, b, a at
// the given weight. Weights above 256 keep their meaning in every rule (see
// RAST_Blend.h): a copy or multiply goes on past full strength (a copy of 50
// onto 100 at 384 gives 25), a byte that would leave 0..255 held at 0 or
// 255, as Add's is. Weights are held within -32768..2^20 and source values
// within +-32767 (the source-alpha forms take a within 0..255), so no
// argument can overflow a rule.
#pragma once

#include "raster/RAST_Pixel.h"

#include <array>
#include <cstdint>

typedef void (*RAST_CombineFunc)(RAST_pixel* p, int r, int g, int b, int a, int weight);

// 65536 / i - 1 for i = 1..255, entry 0 is 0: lets HSVAdjust divide by a
// channel with a look-up.
constexpr std::array<uint16_t, 256> RAST_MakeDivTable()
{
  std::array<uint16_t, 256> table{};
  for (int i = 1; i < 256; ++i) table[i] = static_cast<uint16_t>(65536 / i - 1);
  return table;
}
inline constexpr std::array<uint16_t, 256> RAST_DivTable = RAST_MakeDivTable();

// ---- plain rules ----
void RAST_CombinePixelsClobber(RAST_pixel* p, int r, int g, int b, int a);  // copy at 256
void RAST_CombinePixelsCopy(RAST_pixel* p, int r, int g, int b, int a, int weight);
void RAST_CombinePixelsCopyClamp(RAST_pixel* p, int r, int g, int b, int a, int weight);
void RAST_CombinePixelsAdd(RAST_pixel* p, int r, int g, int b, int a, int weight);
void RAST_CombinePixelsColorDodge(RAST_pixel* p, int r, int g, int b, int a, int weight);
void RAST_CombinePixelsMultiply(RAST_pixel* p, int r, int g, int b, int a, int weight);
void RAST_CombinePixelsMultiplyClamp(RAST_pixel* p, int r, int g, int b, int a, int weight);
void RAST_CombinePixelsOverlay(RAST_pixel* p, int r, int g, int b, int a, int weight);
void RAST_CombinePixelsHSVAdjust(RAST_pixel* p, int r, int g, int b, int a, int weight);

// ---- source-alpha rules: weighted by the source alpha a ----
void RAST_CombinePixelsCopySourceAlphaFull(RAST_pixel* p, int r, int g, int b, int a);  // at 256
void RAST_CombinePixelsCopySourceAlpha(RAST_pixel* p, int r, int g, int b, int a, int weight);
void RAST_CombinePixelsAddSourceAlpha(RAST_pixel* p, int r, int g, int b, int a, int weight);
void RAST_CombinePixelsColorDodgeSourceAlpha(RAST_pixel* p, int r, int g, int b, int a, int weight);
void RAST_CombinePixelsMultiplySourceAlpha(RAST_pixel* p, int r, int g, int b, int a, int weight);
void RAST_CombinePixelsOverlaySourceAlpha(RAST_pixel* p, int r, int g, int b, int a, int weight);
void RAST_CombinePixelsHSVAdjustSourceAlpha(RAST_pixel* p, int r, int g, int b, int a, int weight);

// The clamping rule of each combine mode 0..5: CopyClamp, Add, ColorDodge,
// MultiplyClamp, Overlay, HSVAdjust.
extern const RAST_CombineFunc RAST_CombineFuncTable[6];

// ---- whole-value operations ----

// dest combined with src by mode & 0x100ff at weight (int)(alpha * 256). Weight
// 0, a copy at a weight below 1 and any other mode value return dest; a copy
// at full weight returns src.
RAST_pixel RAST_CombinePixels(RAST_pixel dest, RAST_pixel src, int mode, float alpha);

// The same selection with an integer weight, applied in place; weight 0 does
// nothing.
void RAST_CombinePixels2(RAST_pixel* p, int r, int g, int b, int a, int weight, int mode);

// As RAST_CombinePixels2 with every stored channel clamped to 0..255, so source
// values outside 0..255 are accepted.
void RAST_CombinePixels2Clamp(RAST_pixel* p, int r, int g, int b, int a, int weight, int mode);
