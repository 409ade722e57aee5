// Canvases over pixel blocks, images and cairo contexts. The drawing layer's
// tests draw through pixel blocks too, with their clips and fills.
#include "platform/PLAT_Canvas.h"
#include "platform/PLAT_CanvasCairo.h"
#include "platform/PLAT_Image.h"
#include "platform/PLAT_Owned.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace
{
constexpr PLAT_Color kRed{1, 0, 0, 1};

// A block of 6 x 4 (unused, R, G, B) pixels with a pattern in every byte.
TEST(PLAT_Canvas, PixelBlocksKeepTheirByteOrderAndTheirFirstByte)
{
  std::vector<uint8_t> bytes(6 * 4 * 4);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 7 + 3);
  const std::vector<uint8_t> before = bytes;
  auto canvas = PLAT_Canvas::CreateForPixels(bytes.data(), 6, 4, 6 * 4);
  ASSERT_TRUE(canvas);
  // A path is converted with a margin of one pixel, which goes back as it came.
  PLAT_Path rect;
  rect.AddRect(1, 1, 3, 2);
  canvas->FillPath(rect, kRed, PLAT_Antialias::Off);
  for (size_t i = 0; i < bytes.size(); ++i)
  {
    const size_t x = i / 4 % 6, y = i / 24, byte = i % 4;
    const bool red = x >= 1 && x < 4 && y >= 1 && y < 3 && byte != 0;
    EXPECT_EQ(bytes[i], red ? (byte == 1 ? 0xFF : 0x00) : before[i]) << x << "," << y << " byte " << byte;
  }
  EXPECT_EQ(canvas->GetPixel(2, 1), 0xFFFF0000u);
}

TEST(PLAT_Canvas, SmoothEllipsesAndSharpStrokes)
{
  std::vector<uint32_t> pixels(20 * 20);
  auto canvas = PLAT_Canvas::CreateForPixels(pixels.data(), 20, 20, 20 * 4);
  PLAT_Path ellipse;
  ellipse.AddEllipse(10, 10, 8, 8);
  canvas->FillPath(ellipse, kRed, PLAT_Antialias::On);
  PLAT_Path line;
  line.MoveTo(0, 15.5);
  line.LineTo(8, 15.5);
  canvas->StrokePath(line, 1, PLAT_Color{0, 0, 1, 1}, PLAT_Antialias::Off);
  EXPECT_EQ(canvas->GetPixel(14, 14), 0xFFFF0000u);
  EXPECT_EQ(canvas->GetPixel(10, 10), 0xFF000000u);  // the corner lies outside
  EXPECT_EQ(canvas->GetPixel(4, 15), 0xFF0000FFu);
  EXPECT_EQ(canvas->GetPixel(4, 14), 0xFF000000u);
}

TEST(PLAT_Canvas, RefusesBlocksItCannotAddress)
{
  uint32_t pixels[4] = {};
  struct Case { const char* name; void* p; int w, h, rowBytes; } const kCases[] = {
      {"null pixels", nullptr, 2, 2, 8},  {"no width", pixels, 0, 2, 8},
      {"rows too short", pixels, 2, 2, 4}, {"unaligned", reinterpret_cast<uint8_t*>(pixels) + 1, 1, 1, 4},
  };
  for (const Case& c : kCases) EXPECT_EQ(PLAT_Canvas::CreateForPixels(c.p, c.w, c.h, c.rowBytes), nullptr) << c.name;
  EXPECT_NE(PLAT_Canvas::CreateForPixels(pixels, 2, 2, 8), nullptr);
}

TEST(PLAT_Canvas, CopiesAndScalesImages)
{
  std::vector<uint32_t> pixels(4 * 4);
  auto canvas = PLAT_Canvas::CreateForPixels(pixels.data(), 4, 4, 4 * 4);
  canvas->FillRect(1, 1, 1, 1, kRed);
  std::unique_ptr<PLAT_Image> copy = canvas->CopyImage(1, 1, 2, 2);
  ASSERT_TRUE(copy);
  EXPECT_EQ(copy->GetWidth(), 2);
  EXPECT_EQ(copy->GetPixel(0, 0), 0xFFFF0000u);
  EXPECT_EQ(copy->GetPixel(1, 1), 0xFF000000u);
  EXPECT_EQ(canvas->CopyImage(4, 4, 2, 2), nullptr);

  auto target = PLAT_Canvas::CreateImage(8, 8);
  target->DrawImage(*copy, 0, 0, 1, 1, 2, 2, 4, 4);  // one pixel blown up to 4 x 4
  EXPECT_EQ(target->GetPixel(3, 3), 0xFFFF0000u);
  EXPECT_EQ(target->GetPixel(1, 1), 0u);  // outside: still transparent
}

TEST(PLAT_Image, KeepsColoursThroughPremultiplication)
{
  const uint8_t argb[] = {255, 10, 20, 30, 0, 99, 99, 99};
  auto image = PLAT_Image::CreateFromARGB(argb, 2, 1);
  ASSERT_TRUE(image);
  EXPECT_EQ(image->GetPixel(0, 0), 0xFF0A141Eu);
  EXPECT_EQ(image->GetPixel(1, 0), 0u);
  EXPECT_EQ(image->GetPixel(2, 0), 0u);
  EXPECT_EQ(PLAT_Image::LoadPNG("/nonexistent/file.png"), nullptr);
  // Sides of 1 to 32767 pixels.
  EXPECT_EQ(PLAT_Image::Create(0, 5), nullptr);
  EXPECT_NE(PLAT_Image::Create(1, 32767), nullptr);
  EXPECT_EQ(PLAT_Image::Create(32768, 1), nullptr);
}

TEST(PLAT_Canvas, AWrappedContextGoesBackAsItCame)
{
  const PLAT_Owned<cairo_surface_t> surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 10, 10));
  const PLAT_Owned<cairo_t> owned(cairo_create(surface.get()));
  cairo_t* cr = owned.get();
  {
    auto canvas = PLAT_CanvasWrapCairo(cr, 10, 10);
    ASSERT_TRUE(canvas);
    canvas->SaveState();
    canvas->ClipToRect(0, 0, 2, 2);
    canvas->SaveState();
    canvas->FillRect(0, 0, 10, 10, kRed);
    EXPECT_EQ(canvas->GetPixel(1, 1), 0xFFFF0000u);
    EXPECT_EQ(canvas->GetPixel(5, 5), 0u);
    EXPECT_DOUBLE_EQ(canvas->GetDeviceScale(), 1.0);
  }
  double x0, y0, x1, y1;
  cairo_clip_extents(cr, &x0, &y0, &x1, &y1);
  EXPECT_EQ(x1 - x0, 10);  // the clip was undone with the canvas
  EXPECT_EQ(cairo_status(cr), CAIRO_STATUS_SUCCESS);
  cairo_scale(cr, 2, 2);
  EXPECT_DOUBLE_EQ(PLAT_CanvasWrapCairo(cr, 10, 10)->GetDeviceScale(), 2.0);
}
}  // namespace
