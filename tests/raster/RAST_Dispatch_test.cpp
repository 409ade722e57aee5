// Each dispatcher, drawing one pixel, gives the bytes of the rule it names.
#include "raster/RAST_Blit.h"
#include "raster/RAST_Combine.h"
#include "raster/RAST_Glyph.h"
#include "raster/RAST_Rect.h"
#include "RAST_TestBitmap.h"

#include <gtest/gtest.h>

namespace
{
const RAST_pixel kDests[] = {0x00000000u, 0xFFFFFFFFu, 0x80808080u, 0x6080A0C0u, 0x0AF0137Fu};
const RAST_pixel kSources[] = {0x00000000u, 0xFFFFFFFFu, 0x20C0A0F0u, 0x9D3C7B01u, 0x40404000u, 0x7080FFFEu};
// Weights away from the whole-pixel copies at 64, 128 and 192; those above 256
// count as 256.
const int kWeights[] = {1, 2, 63, 76, 100, 129, 200, 255, 256, 300, 1000, -1, -100, -256, -512};

struct Named
{
  const char* name;
  int mode;
  RAST_CombineFunc rule;
};

const Named kPlain[] = {
    {"copy", 0, &RAST_CombinePixelsCopy},          {"add", 1, &RAST_CombinePixelsAdd},
    {"dodge", 2, &RAST_CombinePixelsColorDodge},   {"multiply", 3, &RAST_CombinePixelsMultiply},
    {"overlay", 4, &RAST_CombinePixelsOverlay},    {"hsv", 5, &RAST_CombinePixelsHSVAdjust},
};

const Named kSourceAlpha[] = {
    {"copy source alpha", 0x10000, &RAST_CombinePixelsCopySourceAlpha},
    {"add source alpha", 0x10001, &RAST_CombinePixelsAddSourceAlpha},
    {"dodge source alpha", 0x10002, &RAST_CombinePixelsColorDodgeSourceAlpha},
    {"multiply source alpha", 0x10003, &RAST_CombinePixelsMultiplySourceAlpha},
    {"overlay source alpha", 0x10004, &RAST_CombinePixelsOverlaySourceAlpha},
    {"hsv source alpha", 0x10005, &RAST_CombinePixelsHSVAdjustSourceAlpha},
};

// The named rule at weight w, or the copy family's own cases: full weight is
// a plain store (or CopySourceAlphaFull), and a copy below 1 draws nothing.
RAST_pixel Expected(const Named& n, RAST_pixel d, RAST_pixel s, int a, int w)
{
  w = w > 256 ? 256 : w;
  const bool copy = (n.mode & 0xff) == 0;
  if (copy && w < 1) return d;
  if (copy && w == 256)
  {
    if (n.mode & RAST_BLIT_USE_ALPHA)
      RAST_CombinePixelsCopySourceAlphaFull(&d, RAST_GETR(s), RAST_GETG(s), RAST_GETB(s), a);
    else
      d = RAST_RGBA(RAST_GETR(s), RAST_GETG(s), RAST_GETB(s), a);
    return d;
  }
  n.rule(&d, RAST_GETR(s), RAST_GETG(s), RAST_GETB(s), a, w);
  return d;
}

float AlphaOf(int w) { return static_cast<float>(w) / 256.0f; }

TEST(RAST_Dispatch, BlitAgreesWithTheNamedRule)
{
  for (const Named* family : {kPlain, kSourceAlpha})
    for (int k = 0; k < 6; ++k)
    {
      const Named& n = family[k];
      for (RAST_pixel d : kDests)
        for (RAST_pixel s : kSources)
          for (int w : kWeights)
          {
            GuardedBitmap dest(1, 1, 1, 4), src(1, 1, 1, 4);
            dest.At(0, 0) = d;
            src.At(0, 0) = s;
            RAST_Blit(&dest, &src, 0, 0, nullptr, AlphaOf(w), n.mode);
            ASSERT_EQ(dest.At(0, 0), Expected(n, d, s, RAST_GETA(s), w))
                << n.name << std::hex << " d 0x" << d << " s 0x" << s << std::dec << " w " << w;
          }
    }
}

TEST(RAST_Dispatch, FillPutGlyphAndGradientAgreeWithTheNamedRule)
{
  for (const Named& n : kPlain)
    for (RAST_pixel d : kDests)
      for (RAST_pixel c : kSources)
        for (int w : kWeights)
        {
          const bool copy = n.mode == 0;
          GuardedBitmap bm(1, 1, 1, 4);

          // The fill combines the weight into the alpha byte.
          bm.At(0, 0) = d;
          RAST_FillRect(&bm, 0, 0, 1, 1, c, AlphaOf(w), n.mode);
          const int full = w > 256 ? 256 : w;
          ASSERT_EQ(bm.At(0, 0), Expected(n, d, c, full == 256 && copy ? RAST_GETA(c) : full, w))
              << "fill " << n.name << " w " << w;

          // The single pixel uses the colour's own alpha byte.
          bm.At(0, 0) = d;
          RAST_PutPixel(&bm, 0, 0, c, AlphaOf(w), n.mode);
          ASSERT_EQ(bm.At(0, 0), Expected(n, d, c, RAST_GETA(c), w)) << "put " << n.name << " w " << w;

          // Full coverage is weight w * 255 / 256.
          const uint8_t coverage = 255;
          bm.At(0, 0) = d;
          RAST_DrawGlyph(&bm, 0, 0, c, &coverage, 1, 1, AlphaOf(w), n.mode);
          RAST_pixel glyph = d;
          if (!(copy && w < 1))
            n.rule(&glyph, RAST_GETR(c), RAST_GETG(c), RAST_GETB(c), RAST_GETA(c), full * 255 / 256);
          ASSERT_EQ(bm.At(0, 0), glyph) << "glyph " << n.name << " w " << w;
        }

  // The gradient applies the clamping rule with the weight as the source
  // alpha; 0.5 and 0.25 are exact channel steps of 127 and 63.
  for (int mode = 0; mode < 6; ++mode)
    for (RAST_pixel d : kDests)
      for (int w : kWeights)
      {
        GuardedBitmap bm(1, 1, 1, 4);
        bm.At(0, 0) = d;
        RAST_GradRect(&bm, 0, 0, 1, 1, 0.5f, 0.25f, 1.0f, AlphaOf(w), 0, 0, 0, 0, 0, 0, 0, 0, mode);
        const int full = w > 256 ? 256 : w;
        RAST_pixel expected = d;
        if (mode == 0 && w == 256)
          expected = RAST_RGBA(127, 63, 255, 255);
        else
          RAST_CombineFuncTable[mode](&expected, 127, 63, 255, full, full);
        ASSERT_EQ(bm.At(0, 0), expected) << "gradient mode " << mode << " w " << w;
      }
}

// Copy at 64, 128 and 192 takes whole-pixel paths in the fills; only 128 (alpha
// exactly 0.5) does in the blit.
TEST(RAST_Dispatch, CopyFastPathsAtTheirWeights)
{
  for (RAST_pixel d : kDests)
    for (RAST_pixel c : kSources)
      for (int w : {64, 128, 192})
      {
        RAST_pixel (*mix)(RAST_pixel, RAST_pixel) =
            w == 64 ? &RAST_QuarterMix : w == 128 ? &RAST_HalfMix : &RAST_ThreeQuarterMix;
        GuardedBitmap bm(1, 1, 1, 4);
        bm.At(0, 0) = d;
        RAST_FillRect(&bm, 0, 0, 1, 1, c, AlphaOf(w), 0);
        EXPECT_EQ(bm.At(0, 0), mix(d, c)) << "fill " << w;
        bm.At(0, 0) = d;
        RAST_PutPixel(&bm, 0, 0, c, AlphaOf(w), 0);
        EXPECT_EQ(bm.At(0, 0), mix(d, c)) << "put " << w;

        GuardedBitmap src(1, 1, 1, 4);
        src.At(0, 0) = c;
        bm.At(0, 0) = d;
        RAST_Blit(&bm, &src, 0, 0, nullptr, AlphaOf(w), 0);
        RAST_pixel rule = d;
        RAST_CombinePixelsCopy(&rule, RAST_GETR(c), RAST_GETG(c), RAST_GETB(c), RAST_GETA(c), w);
        EXPECT_EQ(bm.At(0, 0), w == 128 ? RAST_HalfMix(d, c) : rule) << "blit " << w;

        // With source alpha no whole-pixel path applies.
        bm.At(0, 0) = d;
        RAST_Blit(&bm, &src, 0, 0, nullptr, AlphaOf(w), RAST_BLIT_USE_ALPHA);
        rule = d;
        RAST_CombinePixelsCopySourceAlpha(&rule, RAST_GETR(c), RAST_GETG(c), RAST_GETB(c), RAST_GETA(c), w);
        EXPECT_EQ(bm.At(0, 0), rule) << "blit with source alpha " << w;
      }
}
}  // namespace
