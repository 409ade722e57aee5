#include "raster/RAST_Rect.h"

#include "RAST_TestBitmap.h"

#include <gtest/gtest.h>

#include <climits>
#include <utility>
#include <vector>

namespace
{
constexpr RAST_pixel kColor = 0x30C05A90u;  // alpha 0x90, red 0x5A, green 0xC0, blue 0x30

TEST(RAST_FillRect, ClipsTheRectangle)
{
  // The cells that change are [x0, x1) x [y0, y1).
  struct Case { const char* name; int x, y, w, h, x0, y0, x1, y1; } kCases[] = {
      {"inside", 2, 1, 3, 2, 2, 1, 5, 3},
      {"left edge cut", -5, 0, 10, 1, 0, 0, 5, 1},
      {"at the width", 9, 0, 5, 5, 0, 0, 0, 0},
      {"at the height", 0, 6, 5, 5, 0, 0, 0, 0},
      {"past right and bottom", 7, 4, 100, 100, 7, 4, 9, 6},
      {"negative size", 3, 3, -2, 2, 0, 0, 0, 0},
      {"covers everything", INT_MIN, INT_MIN, INT_MAX, INT_MAX, 0, 0, 0, 0},
      {"huge size from the origin", 0, 0, INT_MAX, INT_MAX, 0, 0, 9, 6},
      {"huge start", INT_MAX, INT_MAX, INT_MAX, INT_MAX, 0, 0, 0, 0},
  };
  for (bool flipped : {false, true})
    for (const Case& c : kCases)
    {
      GuardedBitmap bm(9, 6, 3, 32, flipped);
      RAST_FillRect(&bm, c.x, c.y, c.w, c.h, kColor, 1.0f, RAST_BLIT_MODE_COPY);
      for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 9; ++x)
        {
          const bool inside = x >= c.x0 && x < c.x1 && y >= c.y0 && y < c.y1;
          ASSERT_EQ(bm.At(x, y), inside ? kColor : GuardedBitmap::Pattern(x, y)) << c.name << " " << x << "," << y;
        }
      EXPECT_TRUE(bm.SentinelsIntact()) << c.name;
    }
}

TEST(RAST_PixelAccess, OutsideTheBitmapReadsZeroAndWritesNothing)
{
  const std::pair<int, int> kOutside[] = {{-1, 0}, {0, -1}, {5, 0}, {0, 4}, {INT_MIN, 0}, {0, INT_MAX}};
  for (bool flipped : {false, true})
  {
    GuardedBitmap bm(5, 4, 2, 16, flipped);
    for (auto [x, y] : kOutside)
    {
      EXPECT_EQ(RAST_GetPixel(&bm, x, y), 0u) << x << "," << y;
      RAST_PutPixel(&bm, x, y, kColor, 1.0f, 0);
    }
    EXPECT_EQ(RAST_GetPixel(&bm, 3, 1), GuardedBitmap::Pattern(3, 1));
    RAST_PutPixel(&bm, 4, 3, kColor, 1.0f, 0);
    EXPECT_EQ(bm.At(4, 3), kColor);
    EXPECT_TRUE(bm.SentinelsIntact());
  }
  EXPECT_EQ(RAST_GetPixel(nullptr, 0, 0), 0u);
}

TEST(RAST_Clear, WritesOnlyTheWidthOfEachRow)
{
  GuardedBitmap bm(7, 3, 5);
  RAST_Clear(&bm, kColor);
  for (RAST_pixel p : bm.Cells()) EXPECT_EQ(p, kColor);
  EXPECT_TRUE(bm.SentinelsIntact());
}

TEST(RAST_ClearRect, MasksAndSetsBits)
{
  GuardedBitmap bm(6, 4, 2, 16, true);
  RAST_ClearRect(&bm, 1, 1, 3, 9, 0xFFFFFF00u, 0);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x)
    {
      const RAST_pixel p = GuardedBitmap::Pattern(x, y);
      EXPECT_EQ(bm.At(x, y), x >= 1 && x < 4 && y >= 1 ? p & 0xFFFFFF00u : p) << x << "," << y;
    }
  RAST_ClearRect(&bm, 0, 0, 1, 1, 0x0000FFFFu, 0x12000000u);
  EXPECT_EQ(bm.At(0, 0), (GuardedBitmap::Pattern(0, 0) & 0xFFFFu) | 0x12000000u);
  EXPECT_TRUE(bm.SentinelsIntact());
}

TEST(RAST_MultiplyAddRect, ScalesAndOffsetsEachChannel)
{
  // expected: made of red 200, green 100, blue 10, alpha 60.
  struct Case { const char* name; float rsc, gsc, bsc, asc, radd, gadd, badd, aadd; RAST_pixel expected; } kCases[] = {
      {"identity", 1, 1, 1, 1, 0, 0, 0, 0, RAST_RGBA(200, 100, 10, 60)},
      {"double saturates", 2, 2, 2, 2, 0, 0, 0, 0, RAST_RGBA(255, 200, 20, 120)},
      {"addends in channel units", 1, 1, 1, 1, 10, -10, -20, 0.5f, RAST_RGBA(210, 90, 0, 60)},
      {"half", 0.5f, 0.5f, 0.5f, 0.5f, 0, 0, 0, 0, RAST_RGBA(100, 50, 5, 30)},
      {"huge factors saturate", 1e20f, -1e20f, 0, 0, 0, 0, 1e20f, -1e20f, RAST_RGBA(255, 0, 255, 0)},
  };
  for (const Case& c : kCases)
  {
    GuardedBitmap bm(3, 2, GuardedBitmap::Filled{RAST_RGBA(200, 100, 10, 60)});
    RAST_MultiplyAddRect(&bm, -1, 0, 3, 5, c.rsc, c.gsc, c.bsc, c.asc, c.radd, c.gadd, c.badd, c.aadd);
    EXPECT_EQ(bm.At(1, 1), c.expected) << c.name;
    EXPECT_EQ(bm.At(2, 1), RAST_RGBA(200, 100, 10, 60)) << c.name;
  }
}

TEST(RAST_ProcessRect, VisitsRowsInMemoryOrder)
{
  for (bool flipped : {false, true})
  {
    GuardedBitmap bm(5, 4, 1, 16, flipped);
    std::vector<RAST_pixel*> seen;
    RAST_ProcessRect(
        &bm, 1, 1, 2, 2,
        [](RAST_pixel* p, void* parm) {
          static_cast<std::vector<RAST_pixel*>*>(parm)->push_back(p);
          *p = 0;
        },
        &seen);
    ASSERT_EQ(seen.size(), 4u);
    const int first = flipped ? 2 : 1, second = flipped ? 1 : 2;
    EXPECT_EQ(seen[0], &bm.At(1, first));
    EXPECT_EQ(seen[1], &bm.At(2, first));
    EXPECT_EQ(seen[2], &bm.At(1, second));
    EXPECT_EQ(seen[3], &bm.At(2, second));
    RAST_ProcessRect(&bm, 0, 0, 5, 4, nullptr, nullptr);
    EXPECT_TRUE(bm.SentinelsIntact());
  }
}
}  // namespace
