// The cached font with the fake text engine (exact pixels), and one smoke
// test with the shipped fonts.
//
// Fake font of 10 pixels: line height 11 (8 + 2 + 1); a glyph's cell is 12
// high; advances 'a' 6, 'b' 7, ' ' 7, 'A' 7, 'B' 5, 'C' 6, 'D' 7, 'E' 5; ink
// fills the advance over the top 8 rows.
#include "raster/RAST_CachedFont.h"

#include "platform/FakeTextEngine.h"
#include "raster/RAST_Rect.h"
#include "raster/RAST_TestBitmap.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <memory>
#include <random>
#include <string>

namespace
{
constexpr RAST_pixel kBlack = RAST_RGBA(0, 0, 0, 255);
constexpr RAST_pixel kWhite = RAST_RGBA(255, 255, 255, 255);

struct InkBox
{
  int left = INT_MAX, top = INT_MAX, right = -1, bottom = -1;  // right and bottom exclusive
  bool Empty() const { return right < 0; }
};

InkBox FindInk(RAST_IBitmap& bm, RAST_pixel background)
{
  InkBox box;
  for (int y = 0; y < bm.getHeight(); ++y)
    for (int x = 0; x < bm.getWidth(); ++x)
      if (ReadPixel(bm, x, y) != background)
      {
        box.left = std::min(box.left, x);
        box.top = std::min(box.top, y);
        box.right = std::max(box.right, x + 1);
        box.bottom = std::max(box.bottom, y + 1);
      }
  return box;
}

// A memory bitmap that asks for glyph drawing.
class GlyphOnlyBitmap : public RAST_MemBitmap
{
public:
  GlyphOnlyBitmap(int w, int h) : RAST_MemBitmap(w, h, 4) {}
  intptr_t Extended(int id, void*) override { return id == RAST_EXTENDED_WANTS_GLYPHS ? 1 : 0; }
};

class CachedFontFake : public testing::Test
{
protected:
  std::unique_ptr<RAST_CachedFont> MakeFont(int flags, int size = 10)
  {
    auto font = std::make_unique<RAST_CachedFont>();
    font->SetFromHFont(CreateFont(size, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "Monaco"),
                       flags | RAST_FONT_FLAG_OWNS_HFONT);
    font->SetTextColor(kWhite);
    return font;
  }

  // The coverage map of code, row by row.
  static std::vector<uint8_t> Map(RAST_CachedFont& font, int code, int* w = nullptr, int* h = nullptr)
  {
    const RAST_CachedFont::charEnt* e = font.findChar(code);
    if (!e || e->base <= 0) return {};
    if (w) *w = e->width;
    if (h) *h = e->height;
    const uint8_t* p = font.GetGlyphStore() + e->base - 1;
    return std::vector<uint8_t>(p, p + static_cast<size_t>(e->width) * e->height);
  }

  int Measure(RAST_CachedFont& font, const char* text, int count = -1, int flags = 0, RECT* out = nullptr)
  {
    RECT r = {2, 3, 2, 3};
    const int h = font.DrawText(nullptr, text, count, &r, flags | DT_CALCRECT);
    if (out) *out = r;
    return h;
  }

  ScopedFakeText fake;
};

TEST_F(CachedFontFake, RendersGlyphsOnceFromTheirUtf8Form)
{
  auto font = MakeFont(0);
  EXPECT_EQ(font->GetLineHeight(), 11);
  ASSERT_TRUE(font->RenderGlyph('a'));
  const RAST_CachedFont::charEnt* a = font->findChar('a');
  EXPECT_EQ(a->advance, 6);
  EXPECT_EQ(a->width, 6);  // trimmed from the cell of 6 + 2 to the advance
  EXPECT_EQ(a->height, 12);
  const std::vector<uint8_t> map = Map(*font, 'a');
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 6; ++x) ASSERT_EQ(map[y * 6 + x], y < 8 ? 255 : 0) << x << "," << y;

  struct Step { int code; const char* utf8; int records; } const kSteps[] = {
      {300, "\xc4\xac", 1},  {200, "\xc3\x88", 2},         {0x4E2D, "\xe4\xb8\xad", 3},
      {150, "\xc2\x96", 4},  {200, "\xc3\x88", 4},         {0x4E2D, "\xe4\xb8\xad", 4},
  };
  for (const Step& s : kSteps)
  {
    EXPECT_TRUE(font->RenderGlyph(s.code)) << s.code;
    EXPECT_EQ(fake.engine.lastText, s.utf8) << s.code;
    ASSERT_EQ(font->GetExtraRecordCount(), s.records) << s.code;
    for (int i = 1; i < s.records; ++i)
      EXPECT_LT(font->GetExtraRecords()[i - 1].code, font->GetExtraRecords()[i].code) << s.code;
  }
  EXPECT_EQ(font->findChar(201), nullptr);
  EXPECT_FALSE(font->RenderGlyph(0x10000));

  // Measuring a new character twice adds its record once.
  Measure(*font, "\xe6\x97\xa5\xe6\x97\xa5");
  EXPECT_EQ(font->GetExtraRecordCount(), 5);
}

TEST_F(CachedFontFake, PrecalculatedFontsRefuseOtherCodes)
{
  auto font = MakeFont(RAST_FONT_FLAG_PRECALCALL);
  EXPECT_GT(font->findChar('b')->base, 0);  // rendered up front
  EXPECT_EQ(font->findChar(0)->base, -1);   // renders nothing
  EXPECT_FALSE(font->RenderGlyph(200));
  EXPECT_EQ(font->GetExtraRecordCount(), 0);
  RECT r;
  Measure(*font, "a\xc3\x88"
                 "b",
          -1, 0, &r);
  EXPECT_EQ(r.right - r.left, 13);  // the 200 takes no space
}

TEST_F(CachedFontFake, EffectsReshapeTheCoverage)
{
  auto mono = MakeFont(RAST_FONT_FLAG_FX_MONO);
  mono->RenderGlyph('1');
  mono->RenderGlyph('2');
  EXPECT_EQ(Map(*mono, '1')[0], 0);    // 130
  EXPECT_EQ(Map(*mono, '2')[0], 255);  // 131

  auto invert = MakeFont(RAST_FONT_FLAG_FX_INVERT);
  invert->RenderGlyph('a');
  const std::vector<uint8_t> inverted = Map(*invert, 'a');
  EXPECT_EQ(inverted[0], 0);
  EXPECT_EQ(inverted[9 * 6], 255);

  // '.' inks one pixel, at (1, 6) of its 6 x 12 map.
  struct Case { const char* name; int flags; std::vector<std::pair<int, int>> edge; } const kCases[] = {
      {"shadow", RAST_FONT_FLAG_FX_SHADOW, {{2, 6}, {1, 7}, {2, 7}}},
      {"shadow wins over outline", RAST_FONT_FLAG_FX_SHADOW | RAST_FONT_FLAG_FX_OUTLINE, {{2, 6}, {1, 7}, {2, 7}}},
      {"outline", RAST_FONT_FLAG_FX_OUTLINE, {{1, 5}, {0, 6}, {2, 6}, {1, 7}}},
  };
  for (const Case& c : kCases)
  {
    auto font = MakeFont(c.flags);
    font->RenderGlyph('.');
    int w = 0, h = 0;
    const std::vector<uint8_t> map = Map(*font, '.', &w, &h);
    ASSERT_EQ(w, 6) << c.name;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
      {
        int expected = x == 1 && y == 6 ? 255 : 0;
        for (const auto& [ex, ey] : c.edge)
          if (ex == x && ey == y) expected = 128;
        EXPECT_EQ(map[y * w + x], expected) << c.name << " at " << x << "," << y;
      }
  }

  auto vertical = MakeFont(RAST_FONT_FLAG_VERTICAL);
  vertical->RenderGlyph('.');
  int w = 0, h = 0;
  const std::vector<uint8_t> turned = Map(*vertical, '.', &w, &h);
  ASSERT_EQ(w, 12);
  ASSERT_EQ(h, 6);
  // Old (1, 6) of a 12-high map goes to (12 - 1 - 6, 1) a quarter turn clockwise.
  EXPECT_EQ(turned[1 * 12 + 5], 255);
}

TEST_F(CachedFontFake, DrawsGlyphsWithTheirWeightsAndClips)
{
  auto font = MakeFont(0);
  RAST_MemBitmap bm(20, 12, 4);
  RECT clip = {0, 0, 20, 12};
  EXPECT_FALSE(font->DrawGlyph(&bm, 'a', 0, 0, clip));  // not rendered yet
  font->RenderGlyph('a');
  font->RenderGlyph('3');

  RAST_Clear(&bm, kBlack);
  EXPECT_TRUE(font->DrawGlyph(&bm, 'a', 0, 0, clip));
  EXPECT_EQ(PixelAt(bm, 0, 0), kWhite);  // coverage 255 at full alpha: the colour itself
  EXPECT_EQ(PixelAt(bm, 5, 7), kWhite);
  EXPECT_EQ(PixelAt(bm, 5, 8), kBlack);
  EXPECT_TRUE(font->DrawGlyph(&bm, '3', 10, 0, clip));
  EXPECT_EQ(RAST_GETR(PixelAt(bm, 10, 0)), 128);  // coverage 127: half way

  // Clipped on the left: the first two columns are lost.
  RAST_Clear(&bm, kBlack);
  RECT narrow = {5, 0, 20, 12};
  EXPECT_TRUE(font->DrawGlyph(&bm, 'a', 3, 0, narrow));
  EXPECT_EQ(PixelAt(bm, 4, 0), kBlack);
  EXPECT_EQ(PixelAt(bm, 5, 0), kWhite);
  EXPECT_EQ(PixelAt(bm, 8, 0), kWhite);
  EXPECT_EQ(PixelAt(bm, 9, 0), kBlack);
  EXPECT_FALSE(font->DrawGlyph(&bm, 'a', 20, 0, narrow));
  EXPECT_FALSE(font->DrawGlyph(&bm, 'a', -6, 0, clip));
  // A clip reaching outside the bitmap is cut to it.
  RECT huge = {-100, -100, 1000, 1000};
  EXPECT_TRUE(font->DrawGlyph(&bm, 'a', 17, 9, huge));

  // Mono and effect families write whole pixels at full alpha in copy mode.
  auto shadow = MakeFont(RAST_FONT_FLAG_FX_SHADOW);
  shadow->SetEffectColor(RAST_RGBA(1, 2, 3, 4));
  shadow->RenderGlyph('.');
  RAST_Clear(&bm, kBlack);
  EXPECT_TRUE(shadow->DrawGlyph(&bm, '.', 0, 0, clip));
  EXPECT_EQ(PixelAt(bm, 1, 6), kWhite);
  EXPECT_EQ(PixelAt(bm, 2, 7), RAST_RGBA(1, 2, 3, 4));
  EXPECT_EQ(PixelAt(bm, 0, 6), kBlack);
}

TEST_F(CachedFontFake, MeasuringMatchesWhatDrawingInks)
{
  auto font = MakeFont(RAST_FONT_FLAG_FORCE_NATIVE);
  struct Case { const char* text; int count, flags, width, height; } const kCases[] = {
      {"abab", -1, 0, 26, 12},
      {"ABCDE", 3, 0, 18, 12},
      {"ABCDE", -1, 0, 30, 12},
      {"A\nB", -1, 0, 7, 11 + 12},
      {"A\nB", -1, DT_SINGLELINE, 7 + 7 + 5, 12},
      {"A\rB", -1, 0, 12, 12},
  };
  for (const Case& c : kCases)
  {
    RECT m;
    const int h = Measure(*font, c.text, c.count, c.flags | RAST_DT_NO_NATIVE, &m);
    EXPECT_EQ(h, c.height) << c.text;
    EXPECT_EQ(m.right - m.left, c.width) << c.text;
    EXPECT_EQ(m.bottom - m.top, c.height) << c.text;

    RAST_MemBitmap bm(40, 30, 4);
    RAST_Clear(&bm, kBlack);
    RECT r = {0, 0, 40, 30};
    EXPECT_EQ(font->DrawText(&bm, c.text, c.count, &r, c.flags | RAST_DT_NO_NATIVE), c.height) << c.text;
    const InkBox ink = FindInk(bm, kBlack);
    EXPECT_EQ(ink.left, 0) << c.text;
    EXPECT_EQ(ink.right, c.width) << c.text;
    EXPECT_LE(ink.bottom, c.height) << c.text;
  }

  RECT empty = {5, 6, 99, 99};
  EXPECT_EQ(font->DrawText(nullptr, "", -1, &empty, DT_CALCRECT | RAST_DT_NO_NATIVE), 0);
  EXPECT_EQ(empty.right, 5);
  EXPECT_EQ(empty.bottom, 6);
}

TEST_F(CachedFontFake, DecodesUtf8WithinTheCount)
{
  struct Case { const char* name; const char* s; int avail; int length; uint16_t code; } const kCases[] = {
      {"ascii", "A", -1, 1, 'A'},
      {"two bytes", "\xc3\xa9", -1, 2, 0xE9},
      {"three bytes", "\xe4\xb8\xad", -1, 3, 0x4E2D},
      {"four bytes are a space", "\xf0\x9f\x8e\xb9", -1, 4, 0x20},
      {"stray continuation", "\x80", -1, 1, 0x80},
      {"overlong lead", "\xc0\xaf", -1, 1, 0xC0},
      {"beyond F4", "\xf5\x80\x80\x80", -1, 1, 0xF5},
      {"lead before a NUL", "\xc3", -1, 1, 0xC3},
      {"lead cut by the count", "\xc3\xa9", 1, 1, 0xC3},
      {"three cut to two", "\xe4\xb8\xad", 2, 1, 0xE4},
      {"four cut to three", "\xf0\x9f\x8e\xb9", 3, 1, 0xF0},
  };
  for (const Case& c : kCases)
  {
    uint16_t code = 0;
    EXPECT_EQ(RAST_CachedFont_DecodeUTF8(c.s, c.avail, &code), c.length) << c.name;
    EXPECT_EQ(code, c.code) << c.name;
  }
  EXPECT_EQ(RAST_CachedFont_DecodeUTF8("\xe4\xb8\xad", nullptr), 3);

  // A text without a terminator is read only as far as its count (the
  // sanitizer sees any byte beyond).
  auto font = MakeFont(0);
  std::unique_ptr<char[]> exact(new char[2]{'a', '\xc3'});
  RECT r;
  EXPECT_EQ(Measure(*font, exact.get(), 2, 0, &r), 12);
  EXPECT_NE(font->findChar(0xC3), nullptr);
  EXPECT_EQ(fake.engine.lastText, "\xc3\x83");
}

TEST_F(CachedFontFake, ChoosesBetweenNativeAndGlyphDrawing)
{
  auto font = MakeFont(RAST_FONT_FLAG_FORCE_NATIVE);
  // Into a system bitmap: the window layer draws into its pixels, and the
  // alpha byte (the context's unused byte) stays.
  RAST_SysBitmap sys(32, 16);
  RAST_Clear(&sys, RAST_RGBA(0, 0, 0, 0x42));
  RECT r = {0, 0, 32, 16};
  EXPECT_EQ(font->DrawText(&sys, "ab", -1, &r, 0), 12);
  EXPECT_EQ(PixelAt(sys, 0, 0), RAST_RGBA(255, 255, 255, 0x42));
  EXPECT_EQ(PixelAt(sys, 12, 7), RAST_RGBA(255, 255, 255, 0x42));
  EXPECT_EQ(PixelAt(sys, 13, 0), RAST_RGBA(0, 0, 0, 0x42));
  EXPECT_EQ(font->findChar('a')->base, 0);  // no glyph was rendered

  // Text alpha rules the native path out: glyphs at alpha x 128 / 255.
  RAST_MemBitmap bm(40, 20, 4);
  RAST_Clear(&bm, kBlack);
  font->SetTextColor(RAST_RGBA(255, 255, 255, 128));
  EXPECT_EQ(font->DrawText(&bm, "a", -1, &r, RAST_DT_USE_TEXT_ALPHA), 12);
  EXPECT_EQ(RAST_GETR(PixelAt(bm, 0, 0)), 127);
  font->SetTextColor(RAST_RGBA(255, 255, 255, 0));
  RAST_Clear(&bm, kBlack);
  EXPECT_EQ(font->DrawText(&bm, "a", -1, &r, RAST_DT_USE_TEXT_ALPHA), 0);
  EXPECT_TRUE(FindInk(bm, kBlack).Empty());
  font->SetTextColor(kWhite);

  // Into a memory bitmap through the native bitmap: DT_RIGHT wins there, the
  // glyph path centres.
  RECT wide = {0, 0, 40, 20};
  RAST_Clear(&bm, kBlack);
  font->DrawText(&bm, "a", -1, &wide, DT_CENTER | DT_RIGHT);
  EXPECT_EQ(FindInk(bm, kBlack).left, 34);
  RAST_Clear(&bm, kBlack);
  font->DrawText(&bm, "a", -1, &wide, DT_CENTER | DT_RIGHT | RAST_DT_NO_NATIVE);
  EXPECT_EQ(FindInk(bm, kBlack).left, 17);

  // A bitmap that asks for glyphs gets them even from a native font.
  GlyphOnlyBitmap glyphs(20, 20);
  font->DrawText(&glyphs, "b", -1, &wide, 0);
  EXPECT_GT(font->findChar('b')->base, 0);

  // Fonts whose lines are 256 pixels high or more are always drawn natively:
  // measuring renders no glyph. Ascent 200 + descent + 1 sets the height.
  for (int descent : {54, 55, 56})
  {
    fake.engine.metricsOverride = PLAT_FontMetrics{200, static_cast<double>(descent), 0};
    auto tall = MakeFont(0);
    EXPECT_EQ(tall->GetLineHeight(), 201 + descent);
    RECT m = {0, 0, 0, 0};
    tall->DrawText(nullptr, "a", -1, &m, DT_CALCRECT);
    EXPECT_EQ(tall->findChar('a')->base > 0, 201 + descent < 256) << "line height " << 201 + descent;
  }
  fake.engine.metricsOverride = PLAT_FontMetrics{-1, 0, 0};
}

TEST_F(CachedFontFake, TheSharedBitmapsGoWithTheLastFont)
{
  ASSERT_EQ(RAST_CachedFont::GetInstanceCount(), 0);
  auto first = MakeFont(0);
  auto second = MakeFont(0);
  RECT r = {0, 0, 0, 0};
  first->DrawText(nullptr, "a", -1, &r, DT_CALCRECT);
  second->SetFromHFont(second->GetHFont(), RAST_FONT_FLAG_FORCE_NATIVE | RAST_FONT_FLAG_OWNS_HFONT);
  second->DrawText(nullptr, "a", -1, &r, DT_CALCRECT);
  EXPECT_NE(RAST_CachedFont_RenderBitmap, nullptr);
  EXPECT_NE(RAST_CachedFont_NativeBitmap, nullptr);
  first.reset();
  EXPECT_NE(RAST_CachedFont_RenderBitmap, nullptr);
  second.reset();
  EXPECT_EQ(RAST_CachedFont_RenderBitmap, nullptr);
  EXPECT_EQ(RAST_CachedFont_NativeBitmap, nullptr);
  auto third = MakeFont(0);
  EXPECT_NE(RAST_CachedFont_RenderBitmap, nullptr);
}

TEST_F(CachedFontFake, RandomLayoutsStayInsideTheBitmap)
{
  const unsigned seed = std::random_device{}();
  std::mt19937 rng(seed);
  auto font = MakeFont(0);
  auto native = MakeFont(RAST_FONT_FLAG_FORCE_NATIVE);
  const char* const kTexts[] = {"ab", "A\nB\nab", "\xc3\xa9\xe4\xb8\xad.", "&&x", "\xff\xfe"};
  const int kFlags[] = {0, DT_NOCLIP, DT_CENTER, DT_RIGHT | DT_BOTTOM, DT_VCENTER | DT_NOCLIP};
  for (int i = 0; i < 300; ++i)
  {
    GuardedBitmap bm(13, 9, 3, 16, i % 2 == 1);
    std::uniform_int_distribution<int> coord(-30, 30);
    RECT r = {coord(rng), coord(rng), coord(rng), coord(rng)};
    RAST_CachedFont& f = i % 3 == 0 ? *native : *font;
    f.DrawText(&bm, kTexts[i % 5], -1, &r, kFlags[(i / 5) % 5]);
    ASSERT_TRUE(bm.SentinelsIntact()) << "seed " << seed << " case " << i;
  }
}

// ---- the shipped fonts ----

TEST(CachedFontReal, CaptionsMeasureAsTheyInk)
{
  WINL_ClearFontNameCache();
  RAST_CachedFont font;
  font.SetFromHFont(CreateFont(10, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "Monaco"), RAST_FONT_FLAG_OWNS_HFONT);
  EXPECT_EQ(font.GetLineHeight(), 12);  // 9 + 2 + 0, plus 1
  font.SetTextColor(kWhite);
  RECT m = {0, 0, 0, 0};
  const int h = font.DrawText(nullptr, "Cutoff 127", -1, &m, DT_CALCRECT);
  EXPECT_EQ(m.right, 10 * 6);  // ten monospaced cells of 6 pixels
  RAST_MemBitmap bm(80, 20, 4);
  RAST_Clear(&bm, kBlack);
  RECT r = {0, 0, 80, 20};
  EXPECT_EQ(font.DrawText(&bm, "Cutoff 127", -1, &r, 0), h);
  const InkBox ink = FindInk(bm, kBlack);
  ASSERT_FALSE(ink.Empty());
  EXPECT_GE(ink.left, 0);
  EXPECT_LE(ink.right, m.right);
  EXPECT_LE(ink.bottom, m.bottom);
  EXPECT_EQ(font.GetExtraRecordCount(), 0);
}
}  // namespace
