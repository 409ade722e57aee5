// Each drawing operation, on one pixel, gives the bytes its combine rule
// makes of the destination kD and a source or colour. The expected bytes were
// worked out once from the rule formulas, outside this code.
#include "raster/RAST_Blit.h"
#include "raster/RAST_Combine.h"
#include "raster/RAST_Glyph.h"
#include "raster/RAST_Rect.h"
#include "RAST_TestBitmap.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <vector>

namespace
{
// Odd channels, so that a whole-pixel half mix (each half truncated) differs
// from the copy rule at weight 128.
constexpr RAST_pixel kD = 0x6B81A3C5u;  // alpha 0xC5, red 0xA3, green 0x81, blue 0x6B
constexpr RAST_pixel kS = 0x35C15B91u;  // alpha 0x91, red 0x5B, green 0xC1, blue 0x35
constexpr RAST_pixel kClear = 0x35C15B00u, kOpaque = 0x35C15BFFu, kHalfA = 0x35C15B80u;
constexpr int kSA = RAST_BLIT_USE_ALPHA;
constexpr float kInf = std::numeric_limits<float>::infinity();
const float kNaN = std::nanf("");

// RAST_PutPixel and the glyph (full coverage) take the colour's own alpha
// byte; the fill combines the weight into the alpha byte and scales alpha by
// the colour's alpha under kSA; the glyph weight is w * 255 / 256; only the
// blit knows the source-alpha rules and the channel copy (mode 0xff).
TEST(RAST_Dispatch, EachOperationAppliesItsRule)
{
  struct Case { const char* name; int mode; float alpha; RAST_pixel src, combine, blit, fill, put, glyph; } kCases[] = {
      {"copy full", 0, 1.0f, kS, 0x35C15B91u, 0x35C15B91u, 0x35C15B91u, 0x35C15B91u, 0x35C15B91u},
      {"copy above full", 0, 3.0f, kS, 0x00FF0029u, 0x00FF0029u, 0x00FF00FFu, 0x00FF0029u, 0x00FF002Au},
      {"copy 0.5", 0, 0.5f, kS, 0x50A17FABu, 0x4FA07EAAu, 0x4FA07EAAu, 0x4FA07EAAu, 0x50A17FABu},
      {"copy 0.5001: weight 128", 0, 0.5001f, kS, 0x50A17FABu, 0x50A17FABu, 0x4FA07EAAu, 0x4FA07EAAu, 0x50A17FABu},
      {"copy 129/256", 0, 0.50390625f, kS, 0x4FA27EAAu, 0x4FA27EAAu, 0x4FA27EA2u, 0x4FA27EAAu, 0x50A17FABu},
      {"copy 0.25", 0, 0.25f, kS, 0x5D9191B8u, 0x5D9191B8u, 0x5C908FB7u, 0x5C908FB7u, 0x5D9191B8u},
      {"copy 0.75", 0, 0.75f, kS, 0x42B16D9Eu, 0x42B16D9Eu, 0x41B06B9Du, 0x41B06B9Du, 0x42B16D9Eu},
      {"copy 0.3", 0, 0.3f, kS, 0x5A948DB5u, 0x5A948DB5u, 0x5A948DA1u, 0x5A948DB5u, 0x5B948DB5u},
      {"copy one step", 0, 0.00390625f, kS, 0x6A82A2C4u, 0x6A82A2C4u, 0x6A82A2C4u, 0x6A82A2C4u, 0x6B81A3C5u},
      {"copy below one step", 0, 0.001f, kS, 0x6B81A3C5u, 0x6B81A3C5u, 0x6B81A3C5u, 0x6B81A3C5u, 0x6B81A3C5u},
      {"copy negative", 0, -0.5f, kS, 0x6B81A3C5u, 0x6B81A3C5u, 0x6B81A3C5u, 0x6B81A3C5u, 0x6B81A3C5u},
      {"copy infinite", 0, kInf, kS, 0x00FF0000u, 0x00FF0000u, 0x00FF00FFu, 0x00FF0000u, 0x00FF0000u},
      {"add 0.5", 1, 0.5f, kS, 0x85E1D0FFu, 0x85E1D0FFu, 0x85E1D0FFu, 0x85E1D0FFu, 0x85E0D0FFu},
      {"add above full", 1, 1.5f, kS, 0xBAFFFFFFu, 0xBAFFFFFFu, 0xBAFFFFFFu, 0xBAFFFFFFu, 0xBAFFFFFFu},
      {"add -2 subtracts", 1, -2.0f, kS, 0x01000000u, 0x01000000u, 0x010000FFu, 0x01000000u, 0x02000000u},
      {"add rounds to 0", 1, 0.003f, kS, 0x6B81A3C5u, 0x6B81A3C5u, 0x6B81A3C5u, 0x6B81A3C5u, 0x6B81A3C5u},
      {"add NaN", 1, kNaN, kS, 0x6B81A3C5u, 0x6B81A3C5u, 0x6B81A3C5u, 0x6B81A3C5u, 0x6B81A3C5u},
      {"add, filter bits ignored", 1 | 0x100, 0.5f, kS, 0x85E1D0FFu, 0x85E1D0FFu, 0x85E1D0FFu, 0x85E1D0FFu, 0x85E0D0FFu},
      {"dodge 0.75", 2, 0.75f, kS, 0x7EFFDDFFu, 0x7EFFDDFFu, 0x7EFFDDFFu, 0x7EFFDDFFu, 0x7EFFDCFFu},
      {"dodge -0.4", 2, -0.4f, kS, 0x62638EA1u, 0x62638EA1u, 0x62638EE9u, 0x62638EA1u, 0x63638FA1u},
      {"multiply full", 3, 1.0f, kS, 0x1661396Fu, 0x1661396Fu, 0x166139C5u, 0x1661396Fu, 0x16613A6Fu},
      {"multiply -1 saturates", 3, -1.0f, kS, 0xBFA0FFFFu, 0xBFA0FFFFu, 0xBFA0FFFFu, 0xBFA0FFFFu, 0xBFA0FFFFu},
      {"overlay 0.25", 4, 0.25f, kS, 0x61899EC6u, 0x61899EC6u, 0x61899EBFu, 0x61899EC6u, 0x62889EC6u},
      {"overlay -2", 4, -2.0f, kS, 0xB340C5B8u, 0xB340C5B8u, 0xB340C5FFu, 0xB340C5B8u, 0xB340C5B8u},
      {"hsv full", 5, 1.0f, kS, 0x07010D91u, 0x07010D91u, 0x07010DFFu, 0x07010D91u, 0x07020E91u},
      {"hsv 0.6", 5, 0.6f, kS, 0x201A4A91u, 0x201A4A91u, 0x201A4A99u, 0x201A4A91u, 0x201A4A91u},
      {"mode 6", 6, 1.0f, kS, 0x6B81A3C5u, 0x6B81A3C5u, 0x6B81A3C5u, 0x6B81A3C5u, 0x6B81A3C5u},
      {"mode 0xff", 0xff, 1.0f, kS, 0x6B81A3C5u, 0x3581A3C5u, 0x6B81A3C5u, 0x6B81A3C5u, 0x6B81A3C5u},
      {"source-alpha copy full", kSA, 1.0f, kS, 0x4CA679FFu, 0x4CA679FFu, 0x4CA67AA7u, 0x35C15B91u, 0x35C15B91u},
      {"source-alpha copy full, opaque", kSA, 1.0f, kOpaque, 0x35C15BFFu, 0x35C15BFFu, 0x35C15BFFu, 0x35C15BFFu, 0x35C15BFFu},
      {"source-alpha copy full, clear", kSA, 1.0f, kClear, 0x6B81A3C5u, 0x6B81A3C5u, 0x6B81A3C5u, 0x35C15B00u, 0x35C15B00u},
      {"source-alpha copy full, alpha 128", kSA, 1.0f, kHalfA, 0x4FA27EFFu, 0x4FA27EFFu, 0x4FA07EA2u, 0x35C15B80u, 0x35C15B80u},
      {"source-alpha copy 0.5", kSA, 0.5f, kS, 0x5B948EFFu, 0x5B948EFFu, 0x5B938EA1u, 0x4FA07EAAu, 0x50A17FABu},
      {"source-alpha copy negative", kSA, -1.0f, kS, 0x6B81A3C5u, 0x6B81A3C5u, 0x6B81A3C5u, 0x6B81A3C5u, 0x6B81A3C5u},
      {"source-alpha add", kSA | 1, 0.5f, kS, 0x7AB8BCEEu, 0x7AB8BCEEu, 0x79B7BCD9u, 0x85E1D0FFu, 0x85E0D0FFu},
      {"source-alpha add, clear", kSA | 1, 1.0f, kClear, 0x6B81A3C5u, 0x6B81A3C5u, 0x6B81A3C5u, 0xA0FFFEC5u, 0x9FFFFDC5u},
      {"source-alpha overlay, clear", kSA | 4, 1.0f, kClear, 0x6A81A2C4u, 0x6A81A2C4u, 0x6B81A3C5u, 0x46A19197u, 0x46A19197u},
      {"source-alpha multiply", kSA | 3, 0.7f, kS, 0x497479A2u, 0x497479A2u, 0x49747995u, 0x2F6A5989u, 0x306A5989u},
      {"source-alpha overlay", kSA | 4, 0.5f, kS, 0x608A9EC6u, 0x608A9EC6u, 0x608A9EBFu, 0x58919AC8u, 0x58919AC7u},
      {"source-alpha hsv", kSA | 5, 0.5f, kS, 0x3E477991u, 0x3E477991u, 0x3E477948u, 0x26235891u, 0x26245991u},
      {"source-alpha mode 6", kSA | 6, 1.0f, kS, 0x6B81A3C5u, 0x6B81A3C5u, 0x6B81A3C5u, 0x6B81A3C5u, 0x6B81A3C5u},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(RAST_CombinePixels(kD, c.src, c.mode, c.alpha), c.combine);
    if (std::isfinite(c.alpha))
    {
      RAST_pixel p = kD;
      RAST_CombinePixels2(&p, RAST_GETR(c.src), RAST_GETG(c.src), RAST_GETB(c.src), RAST_GETA(c.src),
                          static_cast<int>(c.alpha * 256), c.mode);
      EXPECT_EQ(p, c.combine) << "integer weight";
    }
    // Rows of 9, so that whole-row kernels and their tails both run.
    GuardedBitmap bm(9, 2), src(9, 2);
    FillAll(src, c.src);
    const uint8_t coverage[18] = {255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255};
    const struct { const char* what; RAST_pixel expected; std::function<void()> draw; } kOps[] = {
        {"blit", c.blit, [&] { RAST_Blit(&bm, &src, 0, 0, nullptr, c.alpha, c.mode); }},
        {"fill", c.fill, [&] { RAST_FillRect(&bm, 0, 0, 9, 2, c.src, c.alpha, c.mode); }},
        {"put", c.put, [&] { RAST_PutPixel(&bm, 4, 1, c.src, c.alpha, c.mode); }},
        {"glyph", c.glyph, [&] { RAST_DrawGlyph(&bm, 0, 0, c.src, coverage, 9, 2, c.alpha, c.mode); }},
    };
    for (const auto& op : kOps)
    {
      FillAll(bm, kD);
      op.draw();
      std::vector<RAST_pixel> expected(18, op.what[0] == 'p' ? kD : op.expected);
      expected[13] = op.expected;
      EXPECT_EQ(bm.Cells(), expected) << op.what;
    }
    EXPECT_TRUE(bm.SentinelsIntact());
  }
}

// The gradient's colour (0.5, 0.25, 1.0) is (127, 63, 255); its alpha is the
// weight and the source alpha of the clamping rule; above 1 it weighs beyond
// full (2.0 is weight 512).
TEST(RAST_Dispatch, GradientAppliesTheClampingRule)
{
  const float kAlphas[] = {1.0f, 0.5f, -0.5f, 2.0f, 0.0f};
  const RAST_pixel kExpected[6][5] = {
      {0xFF3F7FFFu, 0xB56091A2u, 0x21A2B5FFu, 0xFF005BFFu, 0x6B81A3C5u},  // copy
      {0xFFC0FFFFu, 0xEAA0E2FFu, 0x006264FFu, 0xFFFFFFFFu, 0x6B81A3C5u},  // add
      {0xFFABFFFFu, 0xD492D8FFu, 0x477382FFu, 0xFFFEFFFFu, 0x6B81A3C5u},  // dodge
      {0x6A1F50C5u, 0x6A507993u, 0x6BB1CCFFu, 0x6A0000FFu, 0x6B81A3C5u},  // multiply
      {0xA860A2F2u, 0x8970A2C5u, 0x4C91A3F2u, 0xE640A2FFu, 0x6B81A3C5u},  // overlay
      {0xFFFFFFFFu, 0xE9F1FF80u, 0x0E172400u, 0xFFFFFFFFu, 0x6B81A300u},  // hsv: weight 0 still converts
  };
  for (int mode = 0; mode < 6; ++mode)
    for (int i = 0; i < 5; ++i)
      for (int sourceAlpha : {0, kSA})  // the bit is ignored
      {
        GuardedBitmap bm(9, 2, GuardedBitmap::Filled{kD});
        RAST_GradRect(&bm, 0, 0, 9, 2, 0.5f, 0.25f, 1.0f, kAlphas[i], 0, 0, 0, 0, 0, 0, 0, 0, mode | sourceAlpha);
        EXPECT_EQ(bm.Cells(), std::vector<RAST_pixel>(18, kExpected[mode][i])) << "mode " << mode << " alpha " << kAlphas[i];
      }
}
}  // namespace
