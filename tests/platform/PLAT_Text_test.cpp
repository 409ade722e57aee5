// The real text engine with the shipped fonts.
#include "platform/PLAT_Text.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
TEST(PLAT_Text, ResolvesTheProgramsFacesToTheShippedOnes)
{
  struct Case { const char* requested; const char* resolved; } const kCases[] = {
      {"Monaco", "DejaVu Sans Mono"},         {"Monaco Bold", "DejaVu Sans Mono Bold"},
      {"Monaco Bold Italic", "DejaVu Sans Mono Bold Oblique"},
      {PLAT_LABEL_FACE, "DejaVu Sans"},        {"Arial", "DejaVu Sans"},
      {"No Such Face Anywhere", "DejaVu Sans"},
  };
  PLAT_TextEngine* engine = PLAT_GetTextEngine();
  for (const Case& c : kCases)
  {
    std::string resolved;
    EXPECT_TRUE(engine->ResolveFaceName(c.requested, &resolved)) << c.requested;
    EXPECT_EQ(resolved, c.resolved) << c.requested;
  }
  std::string none;
  EXPECT_FALSE(engine->ResolveFaceName("", &none));
}

TEST(PLAT_Text, FontsHaveTheShippedMetrics)
{
  PLAT_TextEngine* engine = PLAT_GetTextEngine();
  std::unique_ptr<PLAT_Font> mono = engine->CreateFont("DejaVu Sans Mono Bold", 10);
  ASSERT_TRUE(mono);
  EXPECT_EQ(mono->GetDisplayName(), "DejaVu Sans Mono Bold");
  // DejaVu's vertical metrics: 1901 and 483 units of 2048 to the em.
  EXPECT_NEAR(mono->GetMetrics().ascent, 9.282, 0.01);
  EXPECT_NEAR(mono->GetMetrics().descent, 2.358, 0.01);
  EXPECT_EQ(engine->CreateFont("", 10), nullptr);
  ASSERT_TRUE(engine->GetDefaultFont());
  EXPECT_EQ(engine->GetDefaultFont()->GetDisplayName(), "DejaVu Sans");
}

// Drawing a line is checked through the drawing layer (tests/winl).
TEST(PLAT_Text, LaysOutLines)
{
  std::unique_ptr<PLAT_Font> mono = PLAT_GetTextEngine()->CreateFont("DejaVu Sans Mono", 10);
  ASSERT_TRUE(mono);
  const char text[] = "ab\nc";
  std::unique_ptr<PLAT_TextLayout> layout = mono->Layout(text, sizeof(text) - 1, PLAT_Antialias::Default);
  ASSERT_EQ(layout->GetLineCount(), 2);
  // Monospaced: 1233 units of 2048 per character.
  EXPECT_NEAR(layout->GetLine(0).width, 2 * 6.021, 0.02);
  EXPECT_NEAR(layout->GetLine(1).width, 6.021, 0.02);
  EXPECT_EQ(layout->GetLine(2).width, 0.0);
  EXPECT_EQ(layout->GetLine(-1).width, 0.0);
}
}  // namespace
