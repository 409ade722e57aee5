// Integer lines, the line clipper and rectangle outlines: exact pixels, the
// weight and mode selection, symmetry of the two directions, write counts.
#include "raster/RAST_Line.h"

#include "raster/RAST_Circle.h"
#include "raster/RAST_Polygon.h"
#include "RAST_TestBitmap.h"
#include "RAST_TestSeed.h"

#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <random>
#include <utility>

namespace
{
constexpr RAST_pixel kWhite = 0xFFFFFFFFu;

using PixelMap = std::map<std::pair<int, int>, RAST_pixel>;

// Every cell that is no longer background.
PixelMap Changed(GuardedBitmap& bm, RAST_pixel background)
{
  PixelMap out;
  for (int y = 0; y < bm.getHeight(); ++y)
    for (int x = 0; x < bm.getWidth(); ++x)
      if (bm.At(x, y) != background) out[{x, y}] = bm.At(x, y);
  return out;
}

TEST(RAST_ClipLineToBitmap, ClipsToTheBitmap)
{
  struct Case { const char* name; int w, h, x1, y1, x2, y2; bool visible; int cx1, cy1, cx2, cy2; } kCases[] = {
      {"crossing horizontally", 8, 8, -10, 5, 10, 5, true, 0, 5, 7, 5},
      {"leaving right and bottom", 10, 10, 0, 0, 20, 10, true, 0, 0, 9, 4},
      {"leaving the bottom", 10, 10, 8, 0, 12, 40, true, 8, 0, 9, 9},
      {"inside", 10, 10, 2, 3, 7, 1, true, 2, 3, 7, 1},
      {"left of the bitmap", 10, 10, -5, 0, -1, 9, false, -5, 0, -1, 9},
      {"width 0", 0, 10, 0, 0, 0, 5, false, 0, 0, 0, 5},
      {"from the int minimum", 10, 10, INT_MIN, 5, 5, 5, true, 0, 5, 5, 5},
      {"across the int range", 10, 10, INT_MIN, 5, INT_MAX, 5, true, 0, 5, 9, 5},
  };
  for (const Case& c : kCases)
  {
    int x1 = c.x1, y1 = c.y1, x2 = c.x2, y2 = c.y2;
    EXPECT_EQ(RAST_ClipLineToBitmap(&x1, &y1, &x2, &y2, c.w, c.h), c.visible) << c.name;
    EXPECT_EQ((std::vector<int>{x1, y1, x2, y2}), (std::vector<int>{c.cx1, c.cy1, c.cx2, c.cy2})) << c.name;
  }
}

// Ends anywhere in the int range: a visible result lies inside, and the
// arithmetic cannot overflow (the sanitizer would stop the test).
TEST(RAST_ClipLineToBitmap, ExtremeEndsStayInside)
{
  std::mt19937 rng(12345);
  const int kEdge[] = {INT_MIN, INT_MIN + 1, -1, 0, 1, 9, 10, INT_MAX - 1, INT_MAX};
  auto coord = [&]() { return rng() % 3 ? kEdge[rng() % 9] : static_cast<int>(rng()); };
  for (int i = 0; i < 20000; ++i)
  {
    int x1 = coord(), y1 = coord(), x2 = coord(), y2 = coord();
    if (RAST_ClipLineToBitmap(&x1, &y1, &x2, &y2, 10, 10))
    {
      for (int v : {x1, y1, x2, y2}) ASSERT_TRUE(v >= 0 && v < 10) << i;
    }
    int a = coord(), b = coord(), c = coord(), d = coord();
    if (RAST_ClipLine(&a, &b, &c, &d, INT_MIN, -5, INT_MAX, INT_MAX))
    {
      for (int v : {b, d}) ASSERT_GE(v, -5) << i;
    }
  }
}

TEST(RAST_ClipLine, KeepsTheRectangle)
{
  int x1 = 0, y1 = 15, x2 = 30, y2 = 15;
  EXPECT_TRUE(RAST_ClipLine(&x1, &y1, &x2, &y2, 10, 10, 20, 20));
  EXPECT_EQ((std::vector<int>{x1, y1, x2, y2}), (std::vector<int>{10, 15, 19, 15}));
  int a = 15, b = 0, c = 15, d = 40;
  EXPECT_TRUE(RAST_ClipLine(&a, &b, &c, &d, 10, 10, 20, 20));
  EXPECT_EQ((std::vector<int>{a, b, c, d}), (std::vector<int>{15, 10, 15, 19}));
}

// Lines, circles and polygons turn alpha and mode into a weight and a rule the
// same way, (int)(alpha * 256) up to 256, reading only the mode byte (the
// calls that draw nothing are in the guard-band test); they differ in the
// copy's whole-pixel forms. Lines mix whole pixels at alpha exactly 0.25, 0.5
// and 0.75 and take the byte average (d + s) >> 1 at weight 128 otherwise;
// circles without anti-aliasing take the byte average at weight 128 and the
// copy rule elsewhere; polygons mix whole pixels at weights 64, 128 and 192.
TEST(RAST_ShapeWeight, LinesCirclesAndPolygons)
{
  struct Rule
  {
    const char* name;
    RAST_pixel background, color;
    float alpha;
    int mode;
    RAST_pixel line, circle, polygon;
  } kRules[] = {
      {"alpha exactly 0.5", 0x01010101u, kWhite, 0.5f, 0, 0x7F7F7F7Fu, 0x80808080u, 0x7F7F7F7Fu},
      {"weight 128", 0x01010101u, kWhite, 0.502f, 0, 0x80808080u, 0x80808080u, 0x7F7F7F7Fu},
      {"weight 179", 0, kWhite, 0.7f, 0, 0xB3B3B3B3u, 0xB3B3B3B3u, 0xB3B3B3B3u},
      {"store at 1.001", 0x01010101u, 0x12345678u, 1.001f, 0, 0x12345678u, 0x12345678u, 0x12345678u},
      {"alpha exactly 0.25", 0, kWhite, 0.25f, 0, 0x3F3F3F3Fu, 0x40404040u, 0x3F3F3F3Fu},
      {"alpha exactly 0.75", 0, kWhite, 0.75f, 0, 0xBEBEBEBEu, 0xC0C0C0C0u, 0xBEBEBEBEu},
      {"source-alpha bit ignored", 0x01010101u, 0x12345678u, 1.0f, 0x10000, 0x12345678u, 0x12345678u, 0x12345678u},
      {"0.5, source-alpha bit ignored", 0, kWhite, 0.5f, 0x10000, 0x7F7F7F7Fu, 0x7F7F7F7Fu, 0x7F7F7F7Fu},
      {"add at -1 subtracts", 0x40404040u, 0x10203040u, -1.0f, 1, 0x30201000u, 0x30201000u, 0x30201000u},
  };
  enum Family { kLine, kCircle, kPolygon };
  // (x, y): a pixel the shape covers fully.
  struct Shape { const char* name; void (*draw)(RAST_IBitmap*, RAST_pixel, float, int); int x, y; Family family; }
  const kShapes[] = {
      {"line", [](RAST_IBitmap* bm, RAST_pixel c, float a, int m) { RAST_Line(bm, 1, 3, 6, 3, c, a, m, false); }, 4, 3,
       kLine},
      {"anti-aliased line", [](RAST_IBitmap* bm, RAST_pixel c, float a, int m) { RAST_Line(bm, 1, 3, 6, 3, c, a, m, true); },
       4, 3, kLine},
      {"upward line", [](RAST_IBitmap* bm, RAST_pixel c, float a, int m) { RAST_Line(bm, 2, 6, 2, 0, c, a, m, true); }, 2,
       4, kLine},
      {"circle", [](RAST_IBitmap* bm, RAST_pixel c, float a, int m) { RAST_Circle(bm, 10.0f, 10.0f, 6.0f, c, a, m, false); },
       10, 4, kCircle},
      {"disc", [](RAST_IBitmap* bm, RAST_pixel c, float a, int m) { RAST_FillCircle(bm, 10.0f, 10.0f, 5.0f, c, a, m, false); },
       10, 10, kCircle},
      {"triangle", [](RAST_IBitmap* bm, RAST_pixel c, float a, int m) { RAST_FillTriangle(bm, 1, 1, 8, 1, 1, 8, c, a, m); },
       2, 2, kPolygon},
  };
  for (const Shape& shape : kShapes)
    for (const Rule& r : kRules)
    {
      GuardedBitmap bm(20, 20, GuardedBitmap::Filled{r.background});
      shape.draw(&bm, r.color, r.alpha, r.mode);
      const RAST_pixel expected = shape.family == kLine ? r.line : shape.family == kCircle ? r.circle : r.polygon;
      EXPECT_EQ(bm.At(shape.x, shape.y), expected) << shape.name << ": " << r.name;
    }
}

TEST(RAST_Line, SinglePointIsOnePixel)
{
  GuardedBitmap bm(5, 5, GuardedBitmap::Filled{0});
  RAST_Line(&bm, 2, 3, 2, 3, kWhite, 1.0f, 0, true);
  EXPECT_EQ(Changed(bm, 0), (PixelMap{{{2, 3}, kWhite}}));
}

TEST(RAST_Line, BothDirectionsDrawTheSame)
{
  const uint32_t seed = RAST_TestSeed();
  std::mt19937 rng(seed);
  for (int i = 0; i < 3000; ++i)
  {
    const int x1 = rng() % 24, y1 = rng() % 16, x2 = rng() % 24, y2 = rng() % 16;
    const bool aa = rng() % 2;
    const int mode = rng() % 6;
    const float alpha = (static_cast<int>(rng() % 11) - 3) / 4.0f;
    GuardedBitmap a(24, 16), b(24, 16);
    RAST_Line(&a, x1, y1, x2, y2, 0x80C04020u, alpha, mode, aa);
    RAST_Line(&b, x2, y2, x1, y1, 0x80C04020u, alpha, mode, aa);
    ASSERT_EQ(a.Cells(), b.Cells()) << "seed " << seed << " (" << x1 << "," << y1 << ")-(" << x2 << "," << y2
                                    << ") aa " << aa << " mode " << mode << " alpha " << alpha;
  }
}

TEST(RAST_DrawRect, CornersTwiceEdgesOnce)
{
  GuardedBitmap bm(10, 11, GuardedBitmap::Filled{0});
  RAST_DrawRect(&bm, 2, 3, 4, 5, 0x01010101u, 1.0f, RAST_BLIT_MODE_ADD);
  for (int y = 0; y < 11; ++y)
    for (int x = 0; x < 10; ++x)
    {
      const bool onColumn = (x == 2 || x == 6) && y >= 3 && y <= 8, onRow = (y == 3 || y == 8) && x >= 2 && x <= 6;
      const RAST_pixel expected = onColumn && onRow ? 0x02020202u : onColumn || onRow ? 0x01010101u : 0;
      EXPECT_EQ(bm.At(x, y), expected) << x << "," << y;
    }
  EXPECT_TRUE(bm.SentinelsIntact());
}

TEST(RAST_BorderedRect, FillsInsideThenOutlines)
{
  struct Case { const char* name; int w, h, insideCells; } kCases[] = {
      {"3 by 2", 3, 2, 2}, {"width 1", 1, 4, 0}, {"height 1", 4, 1, 0}};
  for (const Case& c : kCases)
  {
    GuardedBitmap bm(8, 8, GuardedBitmap::Filled{0});
    RAST_BorderedRect(&bm, 1, 1, c.w, c.h, 0x22222222u, 0x11111111u, 1.0f, 0);
    const PixelMap changed = Changed(bm, 0);
    int inside = 0;
    for (const auto& [at, v] : changed) inside += v == 0x22222222u;
    EXPECT_EQ(inside, c.insideCells) << c.name;
    EXPECT_EQ(changed.size(), static_cast<size_t>((c.w + 1) * (c.h + 1))) << c.name;
  }
}

// Sizes near the int range cannot wrap the far edges around.
TEST(RAST_DrawRect, HugeSizesKeepTheVisibleEdges)
{
  GuardedBitmap bm(6, 6, GuardedBitmap::Filled{0});
  RAST_DrawRect(&bm, 1, 2, INT_MAX, INT_MAX, kWhite, 1.0f, 0);
  for (int x = 0; x < 6; ++x) EXPECT_EQ(bm.At(x, 2), x >= 1 ? kWhite : 0) << x;
  for (int y = 0; y < 6; ++y) EXPECT_EQ(bm.At(1, y), y >= 2 ? kWhite : 0) << y;
  EXPECT_EQ(Changed(bm, 0).size(), 8u);
}
}  // namespace
