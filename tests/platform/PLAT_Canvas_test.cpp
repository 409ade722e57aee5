#include "platform/PLAT_Canvas.h"
#include "platform/PLAT_CanvasCairo.h"
#include "platform/PLAT_Image.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace
{
// A block of (unused, R, G, B) pixels with a fixed pattern in every byte.
struct Block
{
  int w, h;
  std::vector<uint8_t> bytes;

  Block(int width, int height) : w(width), h(height), bytes(static_cast<size_t>(width) * height * 4)
  {
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 7 + 3);
  }
  const uint8_t* At(int x, int y) const { return &bytes[(static_cast<size_t>(y) * w + x) * 4]; }
  std::unique_ptr<PLAT_Canvas> Canvas() { return PLAT_Canvas::CreateForPixels(bytes.data(), w, h, w * 4); }
};

constexpr PLAT_Color kRed{1, 0, 0, 1};

TEST(PLAT_Canvas, PixelBlocksKeepTheirByteOrderAndTheirFirstByte)
{
  Block block(6, 4);
  const Block before = block;
  auto canvas = block.Canvas();
  ASSERT_TRUE(canvas);
  canvas->FillRect(1, 1, 3, 2, kRed);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x)
    {
      const uint8_t* p = block.At(x, y);
      const uint8_t* old = before.At(x, y);
      SCOPED_TRACE(testing::Message() << "pixel " << x << "," << y);
      EXPECT_EQ(p[0], old[0]);  // the unused byte is never written
      if (x >= 1 && x < 4 && y >= 1 && y < 3)
      {
        EXPECT_EQ(p[1], 0xFF);
        EXPECT_EQ(p[2], 0x00);
        EXPECT_EQ(p[3], 0x00);
      }
      else
        EXPECT_EQ(0, memcmp(p, old, 4));
    }
  EXPECT_EQ(canvas->GetPixel(2, 1), 0xFFFF0000u);
}

TEST(PLAT_Canvas, ClipsNestAndUnmatchedRestoresAreIgnored)
{
  Block block(8, 8);
  auto canvas = block.Canvas();
  canvas->RestoreState();  // nothing saved: ignored
  canvas->SaveState();
  canvas->ClipToRect(2, 2, 3, 3);
  canvas->SaveState();
  canvas->ClipToRect(3, 0, 10, 10);
  canvas->FillRect(0, 0, 8, 8, PLAT_Color{0, 0, 1, 1});
  canvas->RestoreState();
  EXPECT_EQ(canvas->GetSaveDepth(), 1);
  canvas->FillRect(0, 0, 8, 8, PLAT_Color{0, 1, 0, 1});
  canvas->RestoreState();
  canvas->RestoreState();
  EXPECT_EQ(canvas->GetSaveDepth(), 0);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x)
    {
      const bool inClip = x >= 2 && x < 5 && y >= 2 && y < 5;
      EXPECT_EQ(canvas->GetPixel(x, y) == 0xFF00FF00u, inClip) << x << "," << y;
    }
}

TEST(PLAT_Canvas, ShapesFillAndStrokeInside)
{
  Block block(20, 20);
  memset(block.bytes.data(), 0, block.bytes.size());
  auto canvas = block.Canvas();
  PLAT_Path rect;
  rect.AddRect(2, 3, 5, 4);
  canvas->FillPath(rect, kRed, PLAT_Antialias::Off);
  EXPECT_EQ(canvas->GetPixel(2, 3), 0xFFFF0000u);
  EXPECT_EQ(canvas->GetPixel(6, 6), 0xFFFF0000u);
  EXPECT_EQ(canvas->GetPixel(7, 6), 0xFF000000u);
  EXPECT_EQ(canvas->GetPixel(6, 7), 0xFF000000u);

  PLAT_Path ellipse;
  ellipse.AddEllipse(10, 10, 8, 8);
  canvas->FillPath(ellipse, kRed, PLAT_Antialias::On);
  EXPECT_EQ(canvas->GetPixel(14, 14), 0xFFFF0000u);
  EXPECT_EQ(canvas->GetPixel(10, 10), 0xFF000000u);  // the corner lies outside

  PLAT_Path line;
  line.MoveTo(0, 15.5);
  line.LineTo(8, 15.5);
  canvas->StrokePath(line, 1, PLAT_Color{0, 0, 1, 1}, PLAT_Antialias::Off);
  EXPECT_EQ(canvas->GetPixel(4, 15), 0xFF0000FFu);
  EXPECT_EQ(canvas->GetPixel(4, 14), 0xFF000000u);
}

TEST(PLAT_Canvas, RefusesBlocksItCannotAddress)
{
  uint32_t pixels[4] = {};
  struct Case
  {
    const char* name;
    void* p;
    int w, h, rowBytes;
  } const kCases[] = {
      {"null pixels", nullptr, 2, 2, 8},
      {"no width", pixels, 0, 2, 8},
      {"rows too short", pixels, 2, 2, 4},
      {"unaligned", reinterpret_cast<uint8_t*>(pixels) + 1, 1, 1, 4},
  };
  for (const Case& c : kCases) EXPECT_EQ(PLAT_Canvas::CreateForPixels(c.p, c.w, c.h, c.rowBytes), nullptr) << c.name;
  EXPECT_NE(PLAT_Canvas::CreateForPixels(pixels, 2, 2, 8), nullptr);
}

TEST(PLAT_Canvas, CopiesAndScalesImages)
{
  Block block(4, 4);
  auto canvas = block.Canvas();
  canvas->FillRect(0, 0, 4, 4, PLAT_Color{0, 0, 0, 1});
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
  EXPECT_EQ(PLAT_Image::Create(0, 5), nullptr);
}

TEST(PLAT_Canvas, AWrappedContextGoesBackAsItCame)
{
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 10, 10);
  cairo_t* cr = cairo_create(surface);
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
  auto scaled = PLAT_CanvasWrapCairo(cr, 10, 10);
  EXPECT_DOUBLE_EQ(scaled->GetDeviceScale(), 2.0);
  scaled.reset();
  cairo_destroy(cr);
  cairo_surface_destroy(surface);
}
}  // namespace
