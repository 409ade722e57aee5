// Dashed lines and trapezoids take a bitmap's rows as stored: on a bitmap
// stored bottom-up, row 0 is the bottom row of the picture. Polygons and
// triangles mirror their points and keep the top-down picture.
#include "raster/RAST_FLine.h"
#include "raster/RAST_Polygon.h"
#include "RAST_TestBitmap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace
{
constexpr RAST_pixel kWhite = 0xFFFFFFFFu;

// The picture top row first: '.' for 0, '#' for white, '+' for 0x7F7F7F7F,
// '?' for anything else.
std::vector<std::string> Picture(GuardedBitmap& bm)
{
  std::vector<std::string> rows;
  for (int y = 0; y < bm.getHeight(); ++y)
  {
    std::string row;
    for (int x = 0; x < bm.getWidth(); ++x)
    {
      const RAST_pixel p = bm.At(x, y);
      row += p == 0 ? '.' : p == kWhite ? '#' : p == 0x7F7F7F7Fu ? '+' : '?';
    }
    rows.push_back(row);
  }
  return rows;
}

TEST(RAST_StoredRows, DashesAndTrapezoidsOfAFlippedBitmap)
{
  struct Case
  {
    const char* name;
    std::function<void(RAST_IBitmap*)> draw;
    std::vector<std::string> flipped;  // the picture of the 4 x 5 bitmap stored bottom-up
  } const kCases[] = {
      {"vertical dashes, one on one off, stored rows 0 and 2",
       [](RAST_IBitmap* d) { RAST_DashedLine(d, 1, 0, 1, 4, 1, 1, kWhite, 1.0f, 0, false); },
       {"....", "....", ".#..", "....", ".#.."}},
      {"the same at half weight",
       [](RAST_IBitmap* d) { RAST_DashedLine(d, 1, 0, 1, 4, 1, 1, kWhite, 0.5f, 0, false); },
       {"....", "....", ".+..", "....", ".+.."}},
      {"vertical dashes given bottom end first",
       [](RAST_IBitmap* d) { RAST_DashedLine(d, 2, 3, 2, 0, 1, 1, kWhite, 1.0f, 0, false); },
       {"....", "....", "..#.", "....", "..#."}},
      {"horizontal dashes on stored row 1",
       [](RAST_IBitmap* d) { RAST_DashedLine(d, 0, 1, 3, 1, 2, 1, kWhite, 1.0f, 0, false); },
       {"....", "....", "....", "##..", "...."}},
      {"trapezoid over stored rows 0 to 2",
       [](RAST_IBitmap* d) { RAST_FillTrapezoid(d, 0, 0, 0, 0, 2, 2, kWhite, 1.0f, 0); },
       {"....", "....", "###.", "##..", "#..."}},
      {"the same given bottom row first, at half weight",
       [](RAST_IBitmap* d) { RAST_FillTrapezoid(d, 0, 2, 2, 0, 0, 0, kWhite, 0.5f, 0); },
       {"....", "....", "+++.", "++..", "+..."}},
      {"one-row trapezoid on stored row 4",
       [](RAST_IBitmap* d) { RAST_FillTrapezoid(d, 3, 1, 4, 9, 9, 4, kWhite, 1.0f, 0); },
       {".###", "....", "....", "....", "...."}},
      {"a triangle keeps the top-down picture",
       [](RAST_IBitmap* d) { RAST_FillTriangle(d, 0, 0, 2, 2, 0, 2, kWhite, 1.0f, 0); },
       {"#...", "##..", "###.", "....", "...."}},
  };
  for (const Case& c : kCases)
  {
    GuardedBitmap flipped(4, 5, GuardedBitmap::Filled{0}, 3, 64, true);
    c.draw(&flipped);
    EXPECT_EQ(Picture(flipped), c.flipped) << c.name;
    EXPECT_TRUE(flipped.SentinelsIntact()) << c.name;
  }
}

// The same calls on a bitmap stored top-down draw into the same stored
// rows: its picture is the flipped one upside down (the triangle aside).
TEST(RAST_StoredRows, APlainBitmapGetsTheSameStoredRows)
{
  const std::function<void(RAST_IBitmap*)> kDraws[] = {
      [](RAST_IBitmap* d) { RAST_DashedLine(d, 1, 0, 1, 4, 1, 1, kWhite, 1.0f, 0, false); },
      [](RAST_IBitmap* d) { RAST_DashedLine(d, 0, 1, 3, 1, 2, 1, kWhite, 0.5f, 0, false); },
      [](RAST_IBitmap* d) { RAST_FillTrapezoid(d, 0, 0, 0, 0, 2, 2, kWhite, 1.0f, 0); },
  };
  for (const auto& draw : kDraws)
  {
    GuardedBitmap plain(4, 5, GuardedBitmap::Filled{0}), flipped(4, 5, GuardedBitmap::Filled{0}, 3, 64, true);
    draw(&plain);
    draw(&flipped);
    std::vector<std::string> upsideDown = Picture(flipped);
    std::reverse(upsideDown.begin(), upsideDown.end());
    EXPECT_EQ(Picture(plain), upsideDown);
  }
}
}  // namespace
