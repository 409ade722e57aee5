#include "raster/RAST_BitmapOps.h"

#include "raster/RAST_Glyph.h"
#include "RAST_TestBitmap.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <vector>

namespace
{
TEST(RAST_DrawGlyph, ClipsTheMapToTheBitmap)
{
  // A 4 x 4 map whose every byte is distinct and non-zero; white copied onto
  // black at weight v leaves v in every byte.
  uint8_t map[16];
  for (int i = 0; i < 16; ++i) map[i] = static_cast<uint8_t>(16 * i + 15);
  struct Case { const char* name; int x, y; } kCases[] = {
      {"top-left quarter", -2, -2}, {"inside", 1, 1},          {"right edge", 4, 2},     {"bottom edge", 2, 3},
      {"bottom-right corner", 5, 4}, {"just outside left", -4, 0}, {"just outside right", 6, 0},
      {"far away", INT_MIN, INT_MAX}, {"far right", INT_MAX, 0}, {"far up", 0, INT_MIN + 2},
  };
  for (bool flipped : {false, true})
    for (const Case& c : kCases)
    {
      GuardedBitmap bm(6, 5, GuardedBitmap::Filled{0}, 2, 32, flipped);
      RAST_DrawGlyph(&bm, c.x, c.y, 0xFFFFFFFFu, map, 4, 4, 1.0f, RAST_BLIT_MODE_COPY);
      for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x)
        {
          const int64_t mx = static_cast<int64_t>(x) - c.x, my = static_cast<int64_t>(y) - c.y;
          const bool inside = mx >= 0 && mx < 4 && my >= 0 && my < 4;
          ASSERT_EQ(bm.At(x, y), inside ? map[my * 4 + mx] * 0x01010101u : 0u) << c.name << " " << x << "," << y;
        }
      EXPECT_TRUE(bm.SentinelsIntact()) << c.name;
    }
}

// Ink 0x20C0A0F0 onto 0x6B81A3C5 through the coverage bytes 255, 128, 0, 1,
// 77, 200 at weight coverage * (int)(alpha * 256) / 256; the bytes come from
// the rule formulas.
TEST(RAST_DrawGlyph, WeighsCoverageByAlpha)
{
  const uint8_t map[9] = {255, 128, 0, 99, 99, 99, 1, 77, 200};  // the middle row is skipped by the span
  constexpr RAST_pixel kD = 0x6B81A3C5u;
  struct Case { const char* name; float alpha; int mode; RAST_pixel expected[6]; } kCases[] = {
      {"copy, full coverage is weight 255", 1.0f, 0,
       {0x20C0A0F0u, 0x45A1A1DBu, kD, 0x6A82A2C6u, 0x5494A2D2u, 0x30B3A0E7u}},
      {"copy half alpha", 0.5f, 0, {0x45A1A1DBu, 0x5891A2D0u, kD, kD, 0x5F8BA2CCu, 0x4D9AA1D6u}},
      {"add negative", -1.0f, 1, {0x4C000400u, 0x5B21534Du, kD, kD, 0x6248737Du, 0x5200260Au}},
      {"alpha 4, multiply goes past full weight", 4.0f, 3,
       {0x00000093u, 0x004028ACu, kD, 0x6980A2C4u, 0x005A59B6u, 0x001C009Eu}},
      {"mode 6", 1.0f, 6, {kD, kD, kD, kD, kD, kD}},
      {"copy negative", -1.0f, 0, {kD, kD, kD, kD, kD, kD}},
  };
  for (const Case& c : kCases)
  {
    GuardedBitmap bm(3, 2, GuardedBitmap::Filled{kD});
    RAST_DrawGlyphEx(&bm, 0, 0, 0x20C0A0F0u, map, 3, 6, 2, c.alpha, c.mode);
    EXPECT_EQ(bm.Cells(), std::vector<RAST_pixel>(c.expected, c.expected + 6)) << c.name;
  }
}

TEST(RAST_SetAlphaFromColorMask, KeyColourBecomesTransparent)
{
  GuardedBitmap bm(3, 1, 2);
  bm.At(0, 0) = 0x00FF0037u;  // pure green, alpha 0x37
  bm.At(1, 0) = 0x00FE0000u;
  bm.At(2, 0) = 0x00FF0000u;
  RAST_SetAlphaFromColorMask(&bm, 0x00FF0000u);
  EXPECT_EQ(bm.At(0, 0), 0x00FF0000u);
  EXPECT_EQ(bm.At(1, 0), 0x00FE00FFu);
  EXPECT_EQ(bm.At(2, 0), 0x00FF0000u);
  RAST_SetAlphaFromColorMask(&bm, 0x00FF00FFu);
  for (RAST_pixel p : bm.Cells()) EXPECT_EQ(p & 0xFFu, 0xFFu);
  EXPECT_TRUE(bm.SentinelsIntact());
}

TEST(RAST_SimpleFill, FillsAlongTheSeedColumn)
{
  // 1 marks an obstacle; the seed is at (2, 2).
  const char* const kMap[] = {
      "00000",
      "00010",
      "00010",
      "00000",
      "11110",
      "00000",
  };
  for (bool flipped : {false, true})
  {
    GuardedBitmap bm(5, 6, 2, 16, flipped);
    for (int y = 0; y < 6; ++y)
      for (int x = 0; x < 5; ++x) bm.At(x, y) = kMap[y][x] == '1' ? 0x11111111u : 0x000000FFu | (x << 8);
    // Only the alpha byte is compared; the other bytes are kept.
    RAST_SimpleFill(&bm, 2, 2, 0x80, 0xFF, 0xFFFFFF00u);
    const char* const kFilled[] = {
        "fffff",  // above: whole row, reached through column 2
        "fff1.",  // the obstacle stops the run to the right
        "fff1.",
        "fffff",
        "1111.",  // column 2 blocked: the walk down ends here
        ".....",
    };
    for (int y = 0; y < 6; ++y)
      for (int x = 0; x < 5; ++x)
      {
        const RAST_pixel p = bm.At(x, y);
        if (kFilled[y][x] == '1')
          EXPECT_EQ(p, 0x11111111u) << x << "," << y;
        else
          EXPECT_EQ(p, (kFilled[y][x] == 'f' ? 0x80u : 0xFFu) | (x << 8)) << flipped << " " << x << "," << y;
      }
    EXPECT_TRUE(bm.SentinelsIntact());
  }
}

TEST(RAST_HalveBlitAA, AveragesEachTwoByTwoBlock)
{
  GuardedBitmap src(5, 5, 1);
  GuardedBitmap dest(10, 10, 1);
  src.At(0, 0) = 0xFFFFFFFFu;
  src.At(1, 0) = 0x03030303u;
  src.At(0, 1) = 0x04040404u;
  src.At(1, 1) = 0x08080808u;
  RAST_HalveBlitAA(&dest, &src);
  EXPECT_EQ(dest.At(0, 0), 0x3F3F3F3Fu + 0x00000000u + 0x01010101u + 0x02020202u);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x)
    {
      if (x < 2 && y < 2)
      {
        auto q = [](RAST_pixel p) { return (p >> 2) & 0x3F3F3F3Fu; };
        EXPECT_EQ(dest.At(x, y), q(src.At(2 * x, 2 * y)) + q(src.At(2 * x + 1, 2 * y)) +
                                     q(src.At(2 * x, 2 * y + 1)) + q(src.At(2 * x + 1, 2 * y + 1)));
      }
      else
        EXPECT_EQ(dest.At(x, y), GuardedBitmap::Pattern(x, y)) << x << "," << y;
    }
  EXPECT_TRUE(dest.SentinelsIntact());
  EXPECT_TRUE(src.SentinelsIntact());
}

TEST(RAST_BitmapCmp, ComparesSizesThenPixels)
{
  RAST_MemBitmap a(10, 4, 4), b(12, 4, 4), c(10, 6, 4), a2(10, 4, 4);
  FillAll(a, 0x01020304u);
  FillAll(a2, 0x01020304u);
  EXPECT_EQ(RAST_BitmapCmp(&a, &b, nullptr), 2);
  EXPECT_EQ(RAST_BitmapCmp(&b, &a, nullptr), -2);
  EXPECT_EQ(RAST_BitmapCmp(&a, &c, nullptr), 2);
  EXPECT_EQ(RAST_BitmapCmp(nullptr, &a, nullptr), -1);
  EXPECT_EQ(RAST_BitmapCmp(&a, nullptr, nullptr), 1);
  EXPECT_EQ(RAST_BitmapCmp(nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(RAST_BitmapCmp(&a, &a2, nullptr), 0);

  // The sign follows the first differing byte in memory: alpha first.
  PixelAt(a2, 3, 2) = 0x01020305u;
  PixelAt(a2, 2, 2) = 0x00020304u;
  EXPECT_GT(RAST_BitmapCmp(&a, &a2, nullptr), 0);  // blue of (2,2) is smaller in a2
  PixelAt(a2, 2, 2) = 0x01020304u;
  EXPECT_LT(RAST_BitmapCmp(&a, &a2, nullptr), 0);  // alpha of (3,2) is larger in a2
  EXPECT_EQ(RAST_BitmapCmpEx(&a, &a2, 0xFFFFFF00u, nullptr), 0);
  EXPECT_EQ(RAST_BitmapCmpEx(&a, &a2, 0x000000FFu, nullptr), 1);

  RAST_MemBitmap empty1(0, 0, 4), empty2(0, 0, 4);
  int box[4] = {9, 9, 9, 9};
  EXPECT_EQ(RAST_BitmapCmp(&empty1, &empty2, box), 0);
}

TEST(RAST_BitmapCmpEx, BoxHoldsEveryDifference)
{
  struct Case { const char* name; std::vector<std::pair<int, int>> differences; int box[4]; } kCases[] = {
      {"none", {}, {0, 0, 0, 0}},
      {"one pixel", {{4, 2}}, {4, 2, 1, 1}},
      {"two corners", {{3, 1}, {1, 4}}, {1, 1, 3, 4}},
      {"middle row widens", {{5, 0}, {5, 5}, {0, 3}, {7, 2}}, {0, 0, 8, 6}},
      {"bottom row only", {{2, 5}, {6, 5}}, {2, 5, 5, 1}},
      {"inner rows widen both ways", {{3, 1}, {4, 4}, {1, 2}, {6, 3}}, {1, 1, 6, 4}},
  };
  for (bool flipped : {false, true})
    for (const Case& c : kCases)
    {
      GuardedBitmap a(8, 6, 1, 16, flipped), b(8, 6, 3, 16, !flipped);
      for (auto [x, y] : c.differences) b.At(x, y) ^= 0x00010000u;
      int box[4] = {-1, -1, -1, -1};
      EXPECT_EQ(RAST_BitmapCmpEx(&a, &b, 0xFFFFFFFFu, box), c.differences.empty() ? 0 : 1) << c.name;
      for (int i = 0; i < 4; ++i) EXPECT_EQ(box[i], c.box[i]) << c.name << " box[" << i << "]";
      // The mask hides the differences.
      EXPECT_EQ(RAST_BitmapCmpEx(&a, &b, 0xFF00FFFFu, box), 0) << c.name;
      EXPECT_EQ(box[2], 0) << c.name;
    }
}
}  // namespace
