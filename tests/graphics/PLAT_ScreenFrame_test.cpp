// The view's frame converts the presented A, R, G, B pixels to the display's
// opaque format only at paint time, a band of rows at a time, and holds no
// full-size copy of them.
#include "platform/gtk/PLAT_GtkSurfaceView.h"

#include <cairo.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <vector>

namespace
{
// Bands of 64 rows of 5 pixels.
constexpr int kBandBytes = 64 * 5 * 4;

// A surface of 5 x 129 pixels (two bands and one row) whose pixel (x, y) is
// alpha 0xFF, red y, green 16 x, blue 0x5A, as bytes in memory.
constexpr int kW = 5, kH = 129;
std::vector<uint32_t> Pixels()
{
  std::vector<uint32_t> bits(static_cast<size_t>(kW) * kH);
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x)
    {
      const uint8_t bytes[4] = {0xFF, static_cast<uint8_t>(y), static_cast<uint8_t>(16 * x), 0x5A};
      std::memcpy(&bits[static_cast<size_t>(y) * kW + x], bytes, 4);
    }
  return bits;
}

// A target of w x h filled with argb, painted with rect of the frame.
struct Target
{
  cairo_surface_t* surface;
  Target(int w, int h, uint32_t argb) : surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h))
  {
    cairo_surface_flush(surface);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) Row(y)[x] = argb;
    cairo_surface_mark_dirty(surface);
  }
  ~Target() { cairo_surface_destroy(surface); }
  uint32_t* Row(int y)
  {
    return reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(surface) +
                                       static_cast<size_t>(y) * cairo_image_surface_get_stride(surface));
  }
  void Paint(PLAT_ScreenFrame& frame, const PLAT_Rect& rect)
  {
    cairo_t* cr = cairo_create(surface);
    frame.Paint(cr, rect);
    cairo_destroy(cr);
    cairo_surface_flush(surface);
  }
  uint32_t At(int x, int y) { return Row(y)[x]; }
};

// A pixel of the target and what it must hold, 0xAARRGGBB.
struct Point
{
  int x, y;
  uint32_t want;
};

// The target after painting rect of a frame showing Pixels() onto a 5 x 129
// target of 0xFF123456, against points.
void ExpectPainted(const PLAT_Rect& rect, std::initializer_list<Point> points)
{
  const std::vector<uint32_t> bits = Pixels();
  PLAT_ScreenFrame frame(kBandBytes);
  frame.Update({bits.data(), kW, kW, kH});
  Target target(kW, kH, 0xFF123456);
  target.Paint(frame, rect);
  for (const Point& p : points) EXPECT_EQ(target.At(p.x, p.y), p.want) << p.x << ", " << p.y;
}
}  // namespace

TEST(PLAT_ScreenFrame, PaintShowsEachPixelOpaqueAcrossTheBandEdges)
{
  ExpectPainted({0, 0, kW, kH}, {{0, 0, 0xFF00005A},
                                 {4, 0, 0xFF00405A},
                                 {2, 63, 0xFF3F205A},
                                 {2, 64, 0xFF40205A},
                                 {2, 65, 0xFF41205A},
                                 {1, 127, 0xFF7F105A},
                                 {1, 128, 0xFF80105A},
                                 {4, 128, 0xFF80405A}});
}

TEST(PLAT_ScreenFrame, PaintTouchesOnlyItsRectangle)
{
  ExpectPainted({1, 63, 2, 3}, {{0, 63, 0xFF123456},
                                {1, 63, 0xFF3F105A},
                                {2, 63, 0xFF3F205A},
                                {3, 63, 0xFF123456},
                                {1, 62, 0xFF123456},
                                {1, 64, 0xFF40105A},
                                {2, 65, 0xFF41205A},
                                {1, 66, 0xFF123456}});
}

TEST(PLAT_ScreenFrame, WhatLiesOutsideThePixelsIsCleared)
{
  const std::vector<uint32_t> bits = Pixels();
  PLAT_ScreenFrame frame(kBandBytes);
  frame.Update({bits.data(), kW, kW, kH});
  Target target(kW + 2, kH + 2, 0xFF123456);
  target.Paint(frame, {3, 127, 4, 4});
  EXPECT_EQ(target.At(2, 128), 0xFF123456u);
  EXPECT_EQ(target.At(4, 128), 0xFF80405Au);
  EXPECT_EQ(target.At(5, 128), 0x00000000u);
  EXPECT_EQ(target.At(4, 129), 0x00000000u);
  EXPECT_EQ(target.At(4, 126), 0xFF123456u);
}

// The frame's own memory is two bands of the rows their bytes hold, not a copy
// of the surface; a surface shorter than two bands gets two of half its
// height (rounded up), a row wider than the bytes bands of one row.
TEST(PLAT_ScreenFrame, HoldsTwoBandsNotACopy)
{
  struct Case
  {
    int height, bandRows;
  };
  const Case cases[] = {{1, 1}, {2, 1}, {3, 2}, {63, 32}, {127, 64}, {128, 64}, {129, 64}};
  const std::vector<uint32_t> bits = Pixels();
  for (const Case& c : cases)
  {
    PLAT_ScreenFrame frame(kBandBytes);
    EXPECT_EQ(frame.Band(0), nullptr);
    frame.Update({bits.data(), kW, kW, c.height});
    Target target(kW, kH, 0xFF123456);
    target.Paint(frame, {0, 0, kW, c.height});
    for (int which : {0, 1})
    {
      ASSERT_NE(frame.Band(which), nullptr);
      EXPECT_EQ(cairo_image_surface_get_width(frame.Band(which)), kW);
      EXPECT_EQ(cairo_image_surface_get_height(frame.Band(which)), c.bandRows) << c.height;
    }
    EXPECT_EQ(target.At(3, c.height - 1), 0xFF00305Au | static_cast<uint32_t>(c.height - 1) << 16) << c.height;
  }
  // Four pixels' bytes do not hold a row of five.
  PLAT_ScreenFrame narrow(4 * 4);
  narrow.Update({bits.data(), kW, kW, kH});
  Target target(kW, kH, 0xFF123456);
  target.Paint(narrow, {0, 0, kW, kH});
  ASSERT_NE(narrow.Band(1), nullptr);
  EXPECT_EQ(cairo_image_surface_get_height(narrow.Band(1)), 1);
  EXPECT_EQ(target.At(4, 128), 0xFF80405Au);
}

TEST(PLAT_ScreenFrame, NothingIsPaintedOnceForgotten)
{
  const std::vector<uint32_t> bits = Pixels();
  PLAT_ScreenFrame frame(kBandBytes);
  frame.Update({bits.data(), kW, kW, kH});
  frame.Forget();
  Target target(kW, kH, 0xFF123456);
  target.Paint(frame, {0, 0, kW, kH});
  EXPECT_EQ(target.At(0, 0), 0xFF123456u);
  EXPECT_EQ(target.At(4, 128), 0xFF123456u);
}
