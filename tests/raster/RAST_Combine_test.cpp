#include "raster/RAST_Combine.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

namespace
{
TEST(RAST_Pixel, BytesInMemoryAreAlphaRedGreenBlue)
{
  const RAST_pixel p = RAST_RGBA(0x11, 0x22, 0x33, 0xFF);
  EXPECT_EQ(p, 0x332211FFu);
  unsigned char bytes[4];
  std::memcpy(bytes, &p, 4);
  EXPECT_EQ(bytes[0], 0xFF);
  EXPECT_EQ(bytes[1], 0x11);
  EXPECT_EQ(bytes[2], 0x22);
  EXPECT_EQ(bytes[3], 0x33);
  EXPECT_EQ(RAST_GETA(p), 0xFF);
  EXPECT_EQ(RAST_GETR(p), 0x11);
  EXPECT_EQ(RAST_GETG(p), 0x22);
  EXPECT_EQ(RAST_GETB(p), 0x33);
}

TEST(RAST_Pixel, WholePixelMixesTruncateEachChannel)
{
  struct Case
  {
    const char* name;
    RAST_pixel (*mix)(RAST_pixel, RAST_pixel);
    RAST_pixel p, c, expected;
  } kCases[] = {
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

TEST(RAST_DivTable, HoldsTheReciprocals)
{
  EXPECT_EQ(RAST_DivTable[0], 0);
  EXPECT_EQ(RAST_DivTable[1], 65535);
  EXPECT_EQ(RAST_DivTable[2], 32767);
  EXPECT_EQ(RAST_DivTable[3], 21844);
  EXPECT_EQ(RAST_DivTable[255], 256);
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
      {"add half", &RAST_CombinePixelsAdd, 0x0AC864FAu, 200, 100, 30, 20, 128, 0x19FAC8FFu},
      {"add negative", &RAST_CombinePixelsAdd, 0x0A64C8FAu, 100, 255, 30, 20, -128, 0x000096F0u},
      {"add past 255", &RAST_CombinePixelsAdd, 0x0A64C8FAu, 255, 255, 255, 255, 256, 0xFFFFFFFFu},
      {"dodge", &RAST_CombinePixelsColorDodge, 0x00646432u, 128, 200, 255, 10, 256, 0x00FFC834u},
      {"dodge half", &RAST_CombinePixelsColorDodge, 0x00646432u, 128, 200, 255, 10, 128, 0x00A48532u},
      {"multiply", &RAST_CombinePixelsMultiply, 0xFFC8C85Au, 128, 0, 100, 255, 256, 0x63006459u},
      {"multiply 192", &RAST_CombinePixelsMultiply, 0xFFC8C85Au, 128, 0, 100, 255, 192, 0x8A327D59u},
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
  struct Case
  {
    const char* name;
    RAST_pixel dest;
    int r, g, b, a;
    RAST_pixel expected;
  } kCases[] = {
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

TEST(RAST_CombineRules, EdgesOfTheRules)
{
  for (int d = 0; d < 256; d += 5)
    for (int s = 0; s < 256; s += 3)
    {
      const RAST_pixel dest = RAST_RGBA(d, s, 255 - d, d ^ s);
      RAST_pixel copied = dest, clobbered = dest;
      RAST_CombinePixelsCopy(&copied, s, d, 7, 255 - s, 256);
      RAST_CombinePixelsClobber(&clobbered, s, d, 7, 255 - s);
      ASSERT_EQ(copied, clobbered) << "copy at full weight is a plain store, d " << d << " s " << s;

      RAST_pixel p = RAST_RGBA(d, d, d, d);
      RAST_CombinePixelsColorDodge(&p, 255, 255, 255, 255, 256);
      ASSERT_EQ(p, d ? 0xFFFFFFFFu : 0u) << "dodge by full source, d " << d;

      p = RAST_RGBA(d, d, d, d);
      RAST_CombinePixelsMultiply(&p, 0, 0, 0, 0, 256);
      ASSERT_EQ(p, 0u);
      p = RAST_RGBA(d, d, d, d);
      RAST_CombinePixelsMultiply(&p, s, s, s, s, 0);
      ASSERT_EQ(p, RAST_RGBA(d, d, d, d)) << "multiply at weight 0, d " << d;
    }
  RAST_pixel p = RAST_RGBA(200, 200, 200, 200);
  RAST_CombinePixelsAdd(&p, 255, 255, 255, 255, 256);
  EXPECT_EQ(p, 0xFFFFFFFFu);
  p = RAST_RGBA(200, 200, 200, 200);
  RAST_CombinePixelsAdd(&p, 255, 255, 255, 255, -256);
  EXPECT_EQ(p, 0u);
}

// Weights above 256 would push Copy and Multiply past 255, where they wrap;
// they count as 256.
TEST(RAST_CombineRules, WeightsAboveFullCountAsFull)
{
  struct Case
  {
    const char* name;
    RAST_CombineFunc rule;
  } kCases[] = {
      {"copy", &RAST_CombinePixelsCopy},         {"add", &RAST_CombinePixelsAdd},
      {"dodge", &RAST_CombinePixelsColorDodge},  {"multiply", &RAST_CombinePixelsMultiply},
      {"overlay", &RAST_CombinePixelsOverlay},   {"hsv", &RAST_CombinePixelsHSVAdjust},
      {"copy source alpha", &RAST_CombinePixelsCopySourceAlpha},
      {"multiply source alpha", &RAST_CombinePixelsMultiplySourceAlpha},
  };
  for (const Case& c : kCases)
    for (int w : {257, 512, 100000, std::numeric_limits<int>::max()})
    {
      RAST_pixel over = 0x80604020u, full = over;
      c.rule(&over, 10, 250, 128, 200, w);
      c.rule(&full, 10, 250, 128, 200, 256);
      EXPECT_EQ(over, full) << c.name << " at " << w;
    }
}

// A negative weight makes Multiply's factor exceed 1; the channel saturates.
TEST(RAST_CombineRules, NegativeMultiplySaturates)
{
  RAST_pixel p = RAST_RGBA(200, 255, 100, 10);
  RAST_CombinePixelsMultiply(&p, 0, 255, 0, 0, -256);
  EXPECT_EQ(p, RAST_RGBA(255, 255, 200, 20));
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

TEST(RAST_CombinePixels, SelectsTheRuleOfTheMode)
{
  const RAST_pixel dest = 0x90705030u, src = 0x20C0A0F0u;
  const int r = RAST_GETR(src), g = RAST_GETG(src), b = RAST_GETB(src), a = RAST_GETA(src);
  auto apply = [&](RAST_CombineFunc f, int w) {
    RAST_pixel p = dest;
    f(&p, r, g, b, a, w);
    return p;
  };
  struct Case
  {
    const char* name;
    int mode;
    float alpha;
    RAST_pixel expected;
  } kCases[] = {
      {"copy full", RAST_BLIT_MODE_COPY, 1.0f, src},
      {"copy over full", RAST_BLIT_MODE_COPY, 3.0f, src},
      {"copy 0.3", RAST_BLIT_MODE_COPY, 0.3f, apply(&RAST_CombinePixelsCopy, 76)},
      {"copy negative", RAST_BLIT_MODE_COPY, -0.5f, dest},
      {"copy below one step", RAST_BLIT_MODE_COPY, 0.001f, dest},
      {"add", RAST_BLIT_MODE_ADD, 0.5f, apply(&RAST_CombinePixelsAdd, 128)},
      {"add negative", RAST_BLIT_MODE_ADD, -2.0f, apply(&RAST_CombinePixelsAdd, -512)},
      {"dodge", RAST_BLIT_MODE_DODGE, 0.75f, apply(&RAST_CombinePixelsColorDodge, 192)},
      {"multiply", RAST_BLIT_MODE_MUL, 1.0f, apply(&RAST_CombinePixelsMultiply, 256)},
      {"overlay", RAST_BLIT_MODE_OVERLAY, 0.25f, apply(&RAST_CombinePixelsOverlay, 64)},
      {"hsv", RAST_BLIT_MODE_HSVADJ, 1.0f, apply(&RAST_CombinePixelsHSVAdjust, 256)},
      {"filter bit ignored", RAST_BLIT_MODE_ADD | RAST_BLIT_FILTER_BILINEAR, 0.5f, apply(&RAST_CombinePixelsAdd, 128)},
      {"source alpha full", RAST_BLIT_USE_ALPHA, 1.0f, apply(&RAST_CombinePixelsCopySourceAlpha, 256)},
      {"source alpha half", RAST_BLIT_USE_ALPHA, 0.5f, apply(&RAST_CombinePixelsCopySourceAlpha, 128)},
      {"source alpha negative copy", RAST_BLIT_USE_ALPHA, -1.0f, dest},
      {"add source alpha", RAST_BLIT_USE_ALPHA | 1, 0.5f, apply(&RAST_CombinePixelsAddSourceAlpha, 128)},
      {"dodge source alpha", RAST_BLIT_USE_ALPHA | 2, 0.5f, apply(&RAST_CombinePixelsColorDodgeSourceAlpha, 128)},
      {"multiply source alpha", RAST_BLIT_USE_ALPHA | 3, 0.5f, apply(&RAST_CombinePixelsMultiplySourceAlpha, 128)},
      {"overlay source alpha", RAST_BLIT_USE_ALPHA | 4, 0.5f, apply(&RAST_CombinePixelsOverlaySourceAlpha, 128)},
      {"hsv source alpha", RAST_BLIT_USE_ALPHA | 5, 0.5f, apply(&RAST_CombinePixelsHSVAdjustSourceAlpha, 128)},
      {"mode 6", 6, 1.0f, dest},
      {"mode 0xff", 0xff, 1.0f, dest},
      {"weight 0", RAST_BLIT_MODE_ADD, 0.0f, dest},
      {"below one step", RAST_BLIT_MODE_ADD, 0.003f, dest},
      {"NaN", RAST_BLIT_MODE_ADD, std::nanf(""), dest},
      {"infinity", RAST_BLIT_MODE_COPY, std::numeric_limits<float>::infinity(), src},
  };
  for (const Case& c : kCases)
  {
    EXPECT_EQ(RAST_CombinePixels(dest, src, c.mode, c.alpha), c.expected) << c.name;
    if (!std::isfinite(c.alpha)) continue;
    RAST_pixel p = dest;
    RAST_CombinePixels2(&p, r, g, b, a, static_cast<int>(c.alpha * 256), c.mode);
    EXPECT_EQ(p, c.expected) << c.name << " (integer weight)";
  }
}

TEST(RAST_CombineFuncTable, HoldsTheClampingRuleOfEachMode)
{
  const RAST_CombineFunc expected[6] = {&RAST_CombinePixelsCopyClamp, &RAST_CombinePixelsAdd,
                                        &RAST_CombinePixelsColorDodge, &RAST_CombinePixelsMultiplyClamp,
                                        &RAST_CombinePixelsOverlay,    &RAST_CombinePixelsHSVAdjust};
  for (int m = 0; m < 6; ++m) EXPECT_EQ(RAST_CombineFuncTable[m], expected[m]) << m;
  RAST_pixel p = RAST_RGBA(10, 10, 10, 10);
  RAST_CombinePixelsMultiplyClamp(&p, 600, 128, 0, 256, 256);
  EXPECT_EQ(p, RAST_RGBA(23, 5, 0, 10));
}
}  // namespace
