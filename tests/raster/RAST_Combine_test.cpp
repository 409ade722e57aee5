#include "raster/RAST_Combine.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <vector>

namespace
{
TEST(RAST_Pixel, BytesInMemoryAreAlphaRedGreenBlue)
{
  const RAST_pixel p = RAST_RGBA(0x11, 0x22, 0x33, 0xFF);
  const unsigned char kBytes[4] = {0xFF, 0x11, 0x22, 0x33};
  EXPECT_EQ(p, 0x332211FFu);
  EXPECT_EQ(std::memcmp(&p, kBytes, 4), 0);
  EXPECT_EQ((std::vector<int>{RAST_GETA(p), RAST_GETR(p), RAST_GETG(p), RAST_GETB(p)}),
            (std::vector<int>{0xFF, 0x11, 0x22, 0x33}));
}

TEST(RAST_Pixel, WholePixelMixesTruncateEachChannel)
{
  struct Case { const char* name; RAST_pixel (*mix)(RAST_pixel, RAST_pixel); RAST_pixel p, c, expected; } kCases[] = {
      {"half of white onto black", &RAST_HalfMix, 0x00000000u, 0xFFFFFFFFu, 0x7F7F7F7Fu},
      {"half of black onto white", &RAST_HalfMix, 0xFFFFFFFFu, 0x00000000u, 0x7F7F7F7Fu},
      {"half per channel", &RAST_HalfMix, 0x10FF0301u, 0x30010503u, 0x207F0301u},
      {"quarter of black onto white", &RAST_QuarterMix, 0xFFFFFFFFu, 0x00000000u, 0xBEBEBEBEu},
      {"quarter of white onto black", &RAST_QuarterMix, 0x00000000u, 0xFFFFFFFFu, 0x3F3F3F3Fu},
      {"three quarters of black onto white", &RAST_ThreeQuarterMix, 0xFFFFFFFFu, 0x00000000u, 0x3F3F3F3Fu},
      {"three quarters of white onto black", &RAST_ThreeQuarterMix, 0x00000000u, 0xFFFFFFFFu, 0xBEBEBEBEu},
  };
  for (const Case& c : kCases) EXPECT_EQ(c.mix(c.p, c.c), c.expected) << c.name;
}

// Each rule at chosen points; every channel of the pixel gets its own
// destination and source value, so a rule applied to the wrong byte shows.
TEST(RAST_CombineRules, ChosenPoints)
{
  struct Case
  {
    const char* name;
    RAST_CombineFunc rule;
    RAST_pixel dest;
    int r, g, b, a, w;
    RAST_pixel expected;
  } kCases[] = {
      {"copy quarter", &RAST_CombinePixelsCopy, 0x0A32C8FFu, 100, 200, 250, 0, 64, 0x4658AFBFu},
      {"copy 100", &RAST_CombinePixelsCopy, 0x0A32C8FFu, 100, 200, 250, 0, 100, 0x686DA09Bu},
      {"copy at full weight is the source", &RAST_CombinePixelsCopy, 0x0A32C8FFu, 100, 200, 250, 0, 256, 0xFAC86400u},
      {"add half", &RAST_CombinePixelsAdd, 0x0AC864FAu, 200, 100, 30, 20, 128, 0x19FAC8FFu},
      {"add negative", &RAST_CombinePixelsAdd, 0x0A64C8FAu, 100, 255, 30, 20, -128, 0x000096F0u},
      {"add past 255", &RAST_CombinePixelsAdd, 0x0A64C8FAu, 255, 255, 255, 255, 256, 0xFFFFFFFFu},
      {"add -256 empties", &RAST_CombinePixelsAdd, 0xC8C8C8C8u, 255, 255, 255, 255, -256, 0x00000000u},
      {"dodge", &RAST_CombinePixelsColorDodge, 0x00646432u, 128, 200, 255, 10, 256, 0x00FFC834u},
      {"dodge half", &RAST_CombinePixelsColorDodge, 0x00646432u, 128, 200, 255, 10, 128, 0x00A48532u},
      {"dodge by a full source", &RAST_CombinePixelsColorDodge, 0x00FF0180u, 255, 255, 255, 255, 256, 0x00FFFFFFu},
      {"multiply", &RAST_CombinePixelsMultiply, 0xFFC8C85Au, 128, 0, 100, 255, 256, 0x63006459u},
      {"multiply 192", &RAST_CombinePixelsMultiply, 0xFFC8C85Au, 128, 0, 100, 255, 192, 0x8A327D59u},
      {"multiply by black", &RAST_CombinePixelsMultiply, 0x0A32C8FFu, 0, 0, 0, 0, 256, 0x00000000u},
      {"multiply at weight 0", &RAST_CombinePixelsMultiply, 0x0A32C8FFu, 7, 9, 11, 13, 0, 0x0A32C8FFu},
      // A negative weight makes the factor exceed 1; the channel saturates.
      {"multiply at -256", &RAST_CombinePixelsMultiply, 0x64FFC80Au, 0, 255, 0, 0, -256, 0xC8FFFF14u},
      {"overlay", &RAST_CombinePixelsOverlay, 0x80C8643Cu, 200, 50, 0, 128, 256, 0x40AD863Cu},
      {"overlay 100", &RAST_CombinePixelsOverlay, 0x80C8643Cu, 200, 50, 0, 128, 100, 0x67BD713Cu},
      {"hsv neutral", &RAST_CombinePixelsHSVAdjust, 0x3264C801u, 128, 128, 128, 77, 256, 0x3263C84Du},
      {"hsv turn", &RAST_CombinePixelsHSVAdjust, 0x3264C801u, 200, 100, 160, 9, 256, 0x7AFF7809u},
      {"hsv half", &RAST_CombinePixelsHSVAdjust, 0x5A3C1E01u, 64, 200, 100, 40, 128, 0x303E0328u},
      {"hsv grey stays grey", &RAST_CombinePixelsHSVAdjust, 0x5A5A5A01u, 128, 128, 128, 33, 256, 0x5A5A5A21u},
      {"hsv blue max", &RAST_CombinePixelsHSVAdjust, 0xFA140A01u, 100, 180, 90, 200, 256, 0xAE7700C8u},
      {"copy clear source", &RAST_CombinePixelsCopySourceAlpha, 0x0A32C864u, 1, 2, 3, 0, 256, 0x0A32C864u},
      {"copy half source", &RAST_CombinePixelsCopySourceAlpha, 0x0A32C864u, 100, 200, 250, 127, 256, 0x827D96E4u},
      {"copy weighted source", &RAST_CombinePixelsCopySourceAlpha, 0x0A32C864u, 100, 200, 250, 200, 100, 0x5460A9B2u},
      {"add clear source", &RAST_CombinePixelsAddSourceAlpha, 0x0A32C864u, 100, 200, 250, 0, 256, 0x0A32C864u},
      {"add quarter source", &RAST_CombinePixelsAddSourceAlpha, 0x0A32C864u, 100, 200, 250, 63, 256, 0x4864E173u},
      {"dodge clear source", &RAST_CombinePixelsColorDodgeSourceAlpha, 0x0A32C864u, 255, 255, 255, 0, 256, 0x0A32C864u},
      {"multiply clear source", &RAST_CombinePixelsMultiplySourceAlpha, 0x0A32C864u, 0, 0, 0, 0, 256, 0x0A32C864u},
      {"multiply half source", &RAST_CombinePixelsMultiplySourceAlpha, 0x0A32C864u, 0, 128, 255, 127, 256, 0x0925644Au},
      // A clear source still overlays, at weight 256 / 256 = 1.
      {"overlay clear source", &RAST_CombinePixelsOverlaySourceAlpha, 0x0A32C864u, 255, 0, 255, 0, 256, 0x0A31C863u},
      {"overlay source", &RAST_CombinePixelsOverlaySourceAlpha, 0x0A32C864u, 255, 0, 255, 180, 200, 0x0F1BDF71u},
      {"hsv clear source", &RAST_CombinePixelsHSVAdjustSourceAlpha, 0x0A32C864u, 200, 100, 160, 0, 256, 0x0B31C800u},
      {"hsv source", &RAST_CombinePixelsHSVAdjustSourceAlpha, 0x0A32C864u, 200, 100, 160, 128, 256, 0x26E8DE80u},
  };
  for (const Case& c : kCases)
  {
    RAST_pixel p = c.dest;
    c.rule(&p, c.r, c.g, c.b, c.a, c.w);
    EXPECT_EQ(p, c.expected) << c.name << std::hex << " got 0x" << p;
  }
}

TEST(RAST_CombineRules, CopySourceAlphaFull)
{
  struct Case { const char* name; RAST_pixel dest; int r, g, b, a; RAST_pixel expected; } kCases[] = {
      {"clear", 0x0A32C864u, 1, 2, 3, 0, 0x0A32C864u},
      {"opaque", 0x0A32C864u, 1, 2, 3, 255, 0x030201FFu},
      {"partial", 0x0A32C864u, 100, 200, 250, 100, 0x696EA0C8u},
      {"nearly opaque", 0x0A32C864u, 250, 0, 5, 254, 0x0500FAFFu},
  };
  for (const Case& c : kCases)
  {
    RAST_pixel p = c.dest;
    RAST_CombinePixelsCopySourceAlphaFull(&p, c.r, c.g, c.b, c.a);
    EXPECT_EQ(p, c.expected) << c.name;
  }
}

// Weights above 256 keep their meaning in the rules whose results are held
// within 0..255: Add adds more, Dodge brightens more, Overlay and HSV push
// further, both copies go on past the source and both multiplies darken
// down to 0; the plain copy and multiply, which would wrap there, are held
// at 0 and 255 too. Every weight beyond 2^20 counts as 2^20. Each pixel
// is one value d in all four bytes; the source is s in all four, except for
// HSV (r 128, g 128, b 144, a 200: the value alone rises).
TEST(RAST_CombineRules, WeightsAboveFull)
{
  constexpr int kGuard = std::numeric_limits<int>::max();
  struct Case
  {
    const char* name;
    RAST_CombineFunc rule;
    int d, s, w;
    RAST_pixel expected;
  } kCases[] = {
      {"add at full", &RAST_CombinePixelsAdd, 0x32, 0x64, 256, 0x96969696u},
      {"add at 1.5", &RAST_CombinePixelsAdd, 0x32, 0x64, 384, 0xC8C8C8C8u},
      {"add at the guard", &RAST_CombinePixelsAdd, 0x32, 0x01, kGuard, 0xFFFFFFFFu},
      {"dodge at full", &RAST_CombinePixelsColorDodge, 0x40, 0x40, 256, 0x55555555u},
      {"dodge at 1.5", &RAST_CombinePixelsColorDodge, 0x40, 0x40, 384, 0x66666666u},
      {"dodge at 4", &RAST_CombinePixelsColorDodge, 0x40, 0x40, 1024, 0xFFFFFFFFu},
      {"overlay at full", &RAST_CombinePixelsOverlay, 0x40, 0xC0, 256, 0x58585858u},
      {"overlay at 1.5", &RAST_CombinePixelsOverlay, 0x40, 0xC0, 384, 0x64646464u},
      {"overlay at the guard", &RAST_CombinePixelsOverlay, 0x40, 0xC0, kGuard, 0xFFFFFFFFu},
      {"hsv at full", &RAST_CombinePixelsHSVAdjust, 0x64, -1, 256, RAST_RGBA(132, 132, 132, 200)},
      {"hsv at 1.5", &RAST_CombinePixelsHSVAdjust, 0x64, -1, 384, RAST_RGBA(148, 148, 148, 200)},
      {"hsv at the guard", &RAST_CombinePixelsHSVAdjust, 0x64, -1, kGuard, RAST_RGBA(255, 255, 255, 200)},
      {"clamped copy at full", &RAST_CombinePixelsCopyClamp, 0x40, 0x80, 256, 0x80808080u},
      {"clamped copy at 1.5", &RAST_CombinePixelsCopyClamp, 0x40, 0x80, 384, 0xA0A0A0A0u},
      {"clamped copy at the guard", &RAST_CombinePixelsCopyClamp, 0x40, 0x80, kGuard, 0xFFFFFFFFu},
      {"clamped multiply at 1.25", &RAST_CombinePixelsMultiplyClamp, 0x80, 0x40, 320, 0x08080808u},
      {"clamped multiply at 1.5", &RAST_CombinePixelsMultiplyClamp, 0x80, 0x40, 384, 0x00000000u},
      {"copy at full", &RAST_CombinePixelsCopy, 0x40, 0xC0, 256, 0xC0C0C0C0u},
      {"copy at 1.5 goes past the source", &RAST_CombinePixelsCopy, 0x64, 0x32, 384, 0x19191919u},
      {"copy at 1.5 held at 255", &RAST_CombinePixelsCopy, 0x40, 0xC0, 384, 0xFFFFFFFFu},
      {"copy at 1.5 held at 0", &RAST_CombinePixelsCopy, 0xD0, 0x40, 384, 0x00000000u},
      {"copy at the guard", &RAST_CombinePixelsCopy, 0x40, 0xC0, kGuard, 0xFFFFFFFFu},
      {"multiply at full", &RAST_CombinePixelsMultiply, 0x80, 0x40, 256, 0x20202020u},
      {"multiply at 1.25", &RAST_CombinePixelsMultiply, 0x80, 0x40, 320, 0x08080808u},
      {"multiply at 1.5 held at 0", &RAST_CombinePixelsMultiply, 0x80, 0x40, 384, 0x00000000u},
  };
  for (const Case& c : kCases)
  {
    RAST_pixel p = RAST_RGBA(c.d, c.d, c.d, c.d);
    if (c.s < 0)
      c.rule(&p, 128, 128, 144, 200, c.w);
    else
      c.rule(&p, c.s, c.s, c.s, c.s, c.w);
    EXPECT_EQ(p, c.expected) << c.name;
  }
  // The float form: 0x64 added over 0x32 at alpha 1.5.
  EXPECT_EQ(RAST_CombinePixels(0x32323232u, 0x64646464u, 1, 1.5f), 0xC8C8C8C8u);
}

// Source values far outside 0..255 and extreme weights must not overflow any
// rule (the sanitizer watches), and the clamped forms store 0..255.
TEST(RAST_CombineRules, ExtremeArgumentsStayDefined)
{
  const int kValues[] = {std::numeric_limits<int>::min(), -70000, -256, -1, 0, 128, 255, 256, 70000,
                         std::numeric_limits<int>::max()};
  for (int v : kValues)
    for (int w : kValues)
      for (int mode = 0; mode < 6; ++mode)
      {
        RAST_pixel p = 0x12345678u;
        RAST_CombineFuncTable[mode](&p, v, ~v, v / 2, v, w);
        RAST_CombinePixels2(&p, v, v, ~v, v, w, mode);
        RAST_CombinePixels2(&p, v, v, ~v, v, w, mode | RAST_BLIT_USE_ALPHA);
        RAST_CombinePixels2Clamp(&p, v, v, ~v, v, w, mode | RAST_BLIT_USE_ALPHA);
      }
  RAST_pixel p = 0x10101010u;
  RAST_CombinePixels2Clamp(&p, 1000, -1000, 300, 999, 256, RAST_BLIT_MODE_COPY);
  EXPECT_EQ(p, RAST_RGBA(255, 0, 255, 255));
  p = 0x10101010u;
  RAST_CombinePixels2Clamp(&p, 1000, -1000, 300, 128, 128, RAST_BLIT_MODE_COPY);
  EXPECT_EQ(p, RAST_RGBA(255, 0, 158, 72));
}

// The table holds the clamping form of each rule: sources beyond 0..255 store
// 0 or 255 where the plain copy and multiply would keep the low bits.
TEST(RAST_CombineFuncTable, HoldsTheClampingRuleOfEachMode)
{
  const RAST_pixel kExpected[6] = {0xED00FFCBu, 0xF400FFD2u, 0x7407FF2Du, 0x0B00140Au, 0x14002511u, 0xFFFFFFFFu};
  for (int m = 0; m < 6; ++m)
  {
    RAST_pixel p = RAST_RGBA(10, 10, 10, 10);
    RAST_CombineFuncTable[m](&p, 600, -100, 300, 256, 200);
    EXPECT_EQ(p, kExpected[m]) << m;
  }
}
}  // namespace
