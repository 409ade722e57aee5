// Every drawing operation at a weight above full (alpha 1.5, weight 384) goes
// on past the colour in copy and multiply mode, as Add does past full; only a
// byte that would leave 0..255 is held at its end. The destination is 0x64 in
// every byte. Expected bytes were worked out by hand from the rules:
//   copy of 0x32 at 384: 50 + (100 - 50) * -128 / 256 = 25 (0x19)
//   copy of 0x10: 16 - 42 = -26, held at 0; of 0xF0: 240 + 70 = 310, held at 255
//   copy of weight 384 as the alpha source (fills): 384 + 142, held at 255
//   multiply by 0x80 at 384: 100 * (128 * 384 - 128 * 256) >> 16 = 25
//   gradient of 0.2 (51): copy 51 - 24 = 27 (0x1B), add 100 + 76 = 176 (0xB0);
//   copy at alpha 4 (1024): 51 - 147, held at 0
#include "raster/RAST_Blit.h"
#include "raster/RAST_Circle.h"
#include "raster/RAST_Line.h"
#include "raster/RAST_Polygon.h"
#include "raster/RAST_Rect.h"
#include "RAST_TestBitmap.h"

#include <gtest/gtest.h>

#include <functional>

namespace
{
constexpr RAST_pixel kDest = 0x64646464u;
constexpr float kAlpha = 1.5f;
constexpr RAST_pixel kGrey32 = 0x32323232u;
// Bytes in memory: alpha 0x32, red 0x32, green 0x10, blue 0xF0.
constexpr RAST_pixel kMixed = 0xF0103232u;

void BlitOne(RAST_IBitmap* dest, RAST_pixel color, int mode)
{
  GuardedBitmap src(1, 1, GuardedBitmap::Filled{color});
  RAST_Blit(dest, &src, 2, 2, 0, 0, 1, 1, kAlpha, mode);
}

TEST(RAST_AboveFull, EveryOperationGoesPastTheColour)
{
  struct Case
  {
    const char* name;
    std::function<void(RAST_IBitmap*)> draw;
    RAST_pixel expected;
  } kCases[] = {
      {"blit copy", [](RAST_IBitmap* d) { BlitOne(d, kGrey32, RAST_BLIT_MODE_COPY); }, 0x19191919u},
      {"blit copy held at both ends", [](RAST_IBitmap* d) { BlitOne(d, kMixed, RAST_BLIT_MODE_COPY); }, 0xFF001919u},
      {"blit multiply", [](RAST_IBitmap* d) { BlitOne(d, 0x80808080u, RAST_BLIT_MODE_MUL); }, 0x19191919u},
      {"put pixel copy", [](RAST_IBitmap* d) { RAST_PutPixel(d, 2, 2, kGrey32, kAlpha, RAST_BLIT_MODE_COPY); },
       0x19191919u},
      {"put pixel multiply", [](RAST_IBitmap* d) { RAST_PutPixel(d, 2, 2, 0x80808080u, kAlpha, RAST_BLIT_MODE_MUL); },
       0x19191919u},
      {"fill copy", [](RAST_IBitmap* d) { RAST_FillRect(d, 2, 2, 1, 1, kGrey32, kAlpha, RAST_BLIT_MODE_COPY); },
       0x191919FFu},
      {"line copy", [](RAST_IBitmap* d) { RAST_Line(d, 2, 2, 2, 2, kGrey32, kAlpha, RAST_BLIT_MODE_COPY, false); },
       0x19191919u},
      {"triangle copy",
       [](RAST_IBitmap* d) { RAST_FillTriangle(d, 0, 0, 8, 0, 0, 8, kGrey32, kAlpha, RAST_BLIT_MODE_COPY); },
       0x19191919u},
      {"circle copy",
       [](RAST_IBitmap* d) { RAST_FillCircle(d, 2.0f, 2.0f, 1.0f, kGrey32, kAlpha, RAST_BLIT_MODE_COPY, false); },
       0x19191919u},
      {"gradient copy",
       [](RAST_IBitmap* d) {
         RAST_GradRect(d, 2, 2, 1, 1, 0.2f, 0.2f, 0.2f, kAlpha, 0, 0, 0, 0, 0, 0, 0, 0, RAST_BLIT_MODE_COPY);
       },
       0x1B1B1BFFu},
      {"gradient add",
       [](RAST_IBitmap* d) {
         RAST_GradRect(d, 2, 2, 1, 1, 0.2f, 0.2f, 0.2f, kAlpha, 0, 0, 0, 0, 0, 0, 0, 0, RAST_BLIT_MODE_ADD);
       },
       0xB0B0B0FFu},
      {"gradient copy at 4",
       [](RAST_IBitmap* d) {
         RAST_GradRect(d, 2, 2, 1, 1, 0.2f, 0.2f, 0.2f, 4.0f, 0, 0, 0, 0, 0, 0, 0, 0, RAST_BLIT_MODE_COPY);
       },
       0x000000FFu},
  };
  for (const Case& c : kCases)
  {
    GuardedBitmap dest(5, 5, GuardedBitmap::Filled{kDest});
    c.draw(&dest);
    EXPECT_EQ(dest.At(2, 2), c.expected) << c.name;
    EXPECT_TRUE(dest.SentinelsIntact()) << c.name;
  }
}

// Full weight and one step either side of it: only at 256 does the fill store
// the colour whole; at 255 and 257 it mixes, and its alpha byte (mixed toward
// the weight) ends at 255. One step moves no byte of 0x32 over 0x64
// (50 * 1 / 256 rounds to 0).
TEST(RAST_AboveFull, CopyAroundFullWeight)
{
  struct Case
  {
    float alpha;
    RAST_pixel blit, fill;
  } kCases[] = {
      {255.0f / 256, 0x32323232u, 0x323232FFu},
      {1.0f, 0x32323232u, 0x32323232u},
      {257.0f / 256, 0x32323232u, 0x323232FFu},
  };
  for (const Case& c : kCases)
  {
    GuardedBitmap a(5, 5, GuardedBitmap::Filled{kDest}), b(5, 5, GuardedBitmap::Filled{kDest});
    GuardedBitmap src(1, 1, GuardedBitmap::Filled{kGrey32});
    RAST_Blit(&a, &src, 2, 2, 0, 0, 1, 1, c.alpha, RAST_BLIT_MODE_COPY);
    RAST_FillRect(&b, 2, 2, 1, 1, kGrey32, c.alpha, RAST_BLIT_MODE_COPY);
    EXPECT_EQ(a.At(2, 2), c.blit) << c.alpha;
    EXPECT_EQ(b.At(2, 2), c.fill) << c.alpha;
  }
}
}  // namespace
