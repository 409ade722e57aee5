// Warming the real text engine on one thread while another makes fonts and
// draws with them: the shared font machinery is taken by one at a time, and
// both end with the shipped face's fonts and ink.
#include "platform/PLAT_Canvas.h"
#include "platform/PLAT_Text.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

namespace
{
TEST(PLAT_TextWarmThreaded, WarmingBesideDrawingGivesTheShippedFonts)
{
  const double sizes[] = {8, 9, 10, 11, 12};
  std::thread warming([&] { PLAT_WarmText("Monaco Bold", sizes, 5, "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789"); });
  PLAT_TextEngine* engine = PLAT_GetTextEngine();
  const std::unique_ptr<PLAT_Canvas> canvas = PLAT_Canvas::CreateImage(40, 20);
  ASSERT_TRUE(canvas);
  for (const double size : {12.0, 11.0, 10.0, 9.0, 8.0})
  {
    std::string face;
    ASSERT_TRUE(engine->ResolveFaceName("Monaco Bold", &face));
    EXPECT_EQ(face, "DejaVu Sans Mono Bold");
    const std::unique_ptr<PLAT_Font> font = engine->CreateFont(face.c_str(), size);
    ASSERT_TRUE(font);
    EXPECT_EQ(font->GetDisplayName(), "DejaVu Sans Mono Bold");
    canvas->FillRect(0, 0, 40, 20, PLAT_Color{1, 1, 1, 1});
    font->Layout("W", 1, PLAT_Antialias::Off)->DrawLine(canvas.get(), 0, 4, 15, PLAT_Color{0, 0, 0, 1});
    // The middle of a bold W at 8 px and more is ink.
    int inked = 0;
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x < 40; ++x) inked += (canvas->GetPixel(x, y) & 0xFFFFFF) == 0;
    EXPECT_GT(inked, 10) << size;
  }
  warming.join();
  // At 10 px the face has DejaVu's vertical metrics, as when nothing warmed.
  const std::unique_ptr<PLAT_Font> font = engine->CreateFont("DejaVu Sans Mono Bold", 10);
  ASSERT_TRUE(font);
  EXPECT_NEAR(font->GetMetrics().ascent, 9.282, 0.01);
}
}  // namespace
