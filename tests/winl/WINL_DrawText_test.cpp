// Measuring and drawing text into memory contexts: exact pixels with the fake
// engine, one smoke test with the shipped fonts.
#include "winl/draw/WINL_GDI.h"

#include "platform/FakeTextEngine.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace
{
struct MemDC
{
  HDC dc;
  int w, h;
  MemDC(int width, int height) : dc(WINL_CreateMemContext(nullptr, width, height)), w(width), h(height) {}
  ~MemDC() { WINL_DeleteGfxContext(dc); }
  uint8_t* Bytes(int x, int y) const
  {
    return static_cast<uint8_t*>(WINL_GetCtxFrameBuffer(dc)) + (static_cast<size_t>(y) * w + x) * 4;
  }
  // Every pixel's first byte set to a marker the drawing must keep.
  void Mark(uint8_t marker)
  {
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) Bytes(x, y)[0] = marker;
  }
  bool Inked(int x, int y) const { return Bytes(x, y)[1] || Bytes(x, y)[2] || Bytes(x, y)[3]; }
};

// With the fake engine, a font of 10 pixels: ascent 8, descent 2; advances
// 'a' 6, 'b' 7, '&' 7, ' ' 7, 'x' 5.
class DrawTextFake : public testing::Test
{
protected:
  void SetUp() override
  {
    font = CreateFont(10, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "Monaco");
    SelectObject(m.dc, font);
  }
  void TearDown() override { DeleteObject(font); }

  int Measure(const char* text, int flags = 0, RECT* out = nullptr)
  {
    RECT r = {3, 4, 3, 4};
    const int h = WINL_DrawText(m.dc, text, -1, &r, flags | DT_CALCRECT);
    if (out) *out = r;
    return h;
  }

  ScopedFakeText fake;
  MemDC m{32, 16};
  HFONT font = nullptr;
};

TEST_F(DrawTextFake, RedTextLandsInTheRedByte)
{
  m.Mark(0x77);
  SetTextColor(m.dc, 0xFF0000);
  RECT r = {0, 0, 32, 16};
  EXPECT_EQ(WINL_DrawText(m.dc, "ab", -1, &r, 0), 12);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 32; ++x)
    {
      const uint8_t* p = m.Bytes(x, y);
      const bool ink = x < 13 && y < 8;  // "ab": 6 + 7 wide, 8 high above the baseline
      SCOPED_TRACE(testing::Message() << "pixel " << x << "," << y);
      EXPECT_EQ(p[0], 0x77);
      EXPECT_EQ(p[1], ink ? 0xFF : 0x00);
      EXPECT_EQ(p[2], 0x00);
      EXPECT_EQ(p[3], 0x00);
    }
}

TEST_F(DrawTextFake, MeasuresWithTheLineHeightFormula)
{
  RECT r;
  // floor(8 + 2 + 0 + 1.5) + 1.
  EXPECT_EQ(Measure("ab", 0, &r), 12);
  EXPECT_EQ(r.left, 3);
  EXPECT_EQ(r.right, 3 + 13);
  EXPECT_EQ(r.bottom, 4 + 12);
  // Two lines: 11 each, plus 1; as wide as the wider.
  EXPECT_EQ(Measure("a\nbb", 0, &r), 23);
  EXPECT_EQ(r.right - r.left, 14);
  // A carriage return and line feed with DT_SINGLELINE: one space, one line.
  EXPECT_EQ(Measure("a\r\nb", DT_SINGLELINE, &r), 12);
  EXPECT_EQ(fake.engine.lastText, "a b");
  EXPECT_EQ(Measure(""), 0);
  EXPECT_EQ(Measure("\r"), 0);

  fake.engine.metricsOverride = PLAT_FontMetrics{10.0, 3.0, 0.2};
  HFONT odd = CreateFont(10, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "Monaco");
  SelectObject(m.dc, odd);
  EXPECT_EQ(Measure("x"), 15);  // floor(13.2 + 1.5) + 1
  SelectObject(m.dc, font);
  DeleteObject(odd);
}

TEST_F(DrawTextFake, AmpersandsArePrefixesUnlessDisabled)
{
  struct Case
  {
    const char* text;
    int flags;
    const char* laidOut;
  } const kCases[] = {
      {"a&&b", 0, "a&b"},       {"a&b", 0, "ab"},         {"a&b", DT_NOPREFIX, "a&b"},
      {"a&", 0, "a"},           {"&&&", 0, "&"},          {"a&&b", DT_NOPREFIX, "a&&b"},
  };
  for (const Case& c : kCases)
  {
    Measure(c.text, c.flags);
    EXPECT_EQ(fake.engine.lastText, c.laidOut) << c.text;
  }
  RECT doubled, literal, prefixed, plain;
  Measure("a&&b", 0, &doubled);
  Measure("a&b", DT_NOPREFIX, &literal);
  Measure("a&b", 0, &prefixed);
  Measure("ab", 0, &plain);
  EXPECT_EQ(doubled.right, literal.right);
  EXPECT_EQ(prefixed.right, plain.right);
  EXPECT_NE(literal.right, plain.right);
}

TEST_F(DrawTextFake, ClippedTextLeavesNoInkOutsideItsRectangle)
{
  SetTextColor(m.dc, 0xFFFFFF);
  RECT r = {5, 3, 12, 7};
  WINL_DrawText(m.dc, "abababab", -1, &r, 0);
  bool any = false;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 32; ++x)
    {
      const bool inside = x >= 5 && x < 12 && y >= 3 && y < 7;
      if (m.Inked(x, y))
      {
        EXPECT_TRUE(inside) << x << "," << y;
      }
      any = any || m.Inked(x, y);
    }
  EXPECT_TRUE(any);
}

TEST_F(DrawTextFake, NoClipStillStopsAtTheBuffer)
{
  m.Mark(0x33);
  SetTextColor(m.dc, 0x00FF00);
  // Starts left of and above the buffer and runs far past its right edge.
  RECT r = {-20, -5, 0, 0};
  std::string longText(300, 'a');
  EXPECT_EQ(WINL_DrawText(m.dc, longText.c_str(), -1, &r, DT_NOCLIP), 12);
  EXPECT_EQ(m.Bytes(0, 0)[2], 0xFF);
  EXPECT_EQ(m.Bytes(31, 2)[2], 0xFF);
  EXPECT_EQ(m.Bytes(31, 3)[2], 0x00);  // ink stops at the baseline, 8 - 5 rows down
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 32; ++x) ASSERT_EQ(m.Bytes(x, y)[0], 0x33);
}

TEST_F(DrawTextFake, AlignsInTheRectangle)
{
  struct Case
  {
    const char* name;
    int flags;
    int x, y;  // where the ink of "a" (6 x 8) starts
  } const kCases[] = {
      {"left top", 0, 2, 1},
      {"right", DT_RIGHT, 30 - 6, 1},
      {"centre", DT_CENTER, 2 + 28 / 2 - 6 / 2, 1},
      {"right wins over centre", DT_RIGHT | DT_CENTER, 30 - 6, 1},
      {"bottom", DT_BOTTOM, 2, 15 - 12},
      {"vertical centre", DT_VCENTER, 2, 1 + 14 / 2 - 12 / 2},
  };
  for (const Case& c : kCases)
  {
    MemDC d(32, 16);
    SelectObject(d.dc, font);
    SetTextColor(d.dc, 0xFFFFFF);
    RECT r = {2, 1, 30, 15};
    WINL_DrawText(d.dc, "a", -1, &r, c.flags);
    int minX = 99, minY = 99;
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 32; ++x)
        if (d.Inked(x, y))
        {
          minX = std::min(minX, x);
          minY = std::min(minY, y);
        }
    EXPECT_EQ(minX, c.x) << c.name;
    EXPECT_EQ(minY, c.y) << c.name;
  }
}

TEST_F(DrawTextFake, OpaqueModeFillsTheTextBox)
{
  SetBkMode(m.dc, OPAQUE);
  SetBkColor(m.dc, 0x0000FF);
  SetTextColor(m.dc, 0xFF0000);
  RECT r = {1, 1, 31, 15};
  WINL_DrawText(m.dc, "a", -1, &r, 0);
  EXPECT_EQ(m.Bytes(1, 1)[1], 0xFF);   // text
  EXPECT_EQ(m.Bytes(6, 10)[3], 0xFF);  // box below the ink (12 high, 6 wide)
  EXPECT_EQ(m.Bytes(6, 12)[3], 0xFF);
  EXPECT_EQ(m.Bytes(7, 1)[3], 0x00);   // right of the box
  EXPECT_EQ(m.Bytes(1, 13)[3], 0x00);  // below the box
}

TEST_F(DrawTextFake, BadTextNeverBreaksIt)
{
  struct Case
  {
    const char* name;
    std::string text;
    int len;
    std::string laidOut;
  } const kCases[] = {
      {"stray bytes read as Latin-1", "a\xff\x80z", -1, "a\xc3\xbf\xc2\x80z"},
      {"overlong form", "\xc0\xaf", -1, "\xc3\x80\xc2\xaf"},
      {"surrogate", "\xed\xa0\x80", -1, "\xc3\xad\xc2\xa0\xc2\x80"},
      {"character cut by the count is left out", "ab\xc3\xa9", 3, "ab"},
      {"count stops at a NUL", std::string("ab\0cd", 5), 5, "ab"},
      {"well-formed kept", "\xe2\x82\xac\xf0\x9f\x8e\xb9", -1, "\xe2\x82\xac\xf0\x9f\x8e\xb9"},
  };
  for (const Case& c : kCases)
  {
    RECT r = {0, 0, 32, 16};
    EXPECT_GT(WINL_DrawText(m.dc, c.text.data(), c.len, &r, 0), 0) << c.name;
    EXPECT_EQ(fake.engine.lastText, c.laidOut) << c.name;
  }

  // The 4095-byte cut falls inside a two-byte character: the whole
  // character goes.
  std::string longText(4094, 'x');
  longText += "\xc3\xa9yyy";
  RECT r = {0, 0, 0, 0};
  WINL_DrawText(m.dc, longText.c_str(), -1, &r, DT_CALCRECT);
  EXPECT_EQ(fake.engine.lastText, std::string(4094, 'x'));

  // A text without a terminator, read only as far as its count.
  std::unique_ptr<char[]> exact(new char[3]{'a', '\xe2', '\x82'});
  EXPECT_EQ(WINL_DrawText(m.dc, exact.get(), 3, &r, DT_CALCRECT), 12);
  EXPECT_EQ(fake.engine.lastText, "a");

  EXPECT_EQ(WINL_DrawText(m.dc, nullptr, -1, &r, 0), 0);
  EXPECT_EQ(WINL_DrawText(m.dc, "a", -1, nullptr, 0), 0);
  EXPECT_EQ(WINL_DrawText(nullptr, "a", -1, &r, 0), 0);
}

TEST_F(DrawTextFake, AContextWithoutAFontUsesTheLabelFace)
{
  MemDC bare(32, 16);
  SetTextColor(bare.dc, 0xFFFFFF);
  RECT r = {0, 0, 32, 16};
  EXPECT_EQ(WINL_DrawText(bare.dc, "a", -1, &r, 0), 12);
  EXPECT_TRUE(bare.Inked(0, 0));
  char face[32];
  GetTextFace(bare.dc, sizeof(face), face);
  EXPECT_STREQ(face, "Fake Label");
}

// ---- the shipped fonts ----

TEST(DrawTextReal, RedCaptionInA32By16Context)
{
  WINL_ClearFontNameCache();
  MemDC m(32, 16);
  m.Mark(0x5A);
  HFONT font = CreateFont(10, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "Monaco");
  ASSERT_NE(font, nullptr);
  SelectObject(m.dc, font);
  char face[64];
  GetTextFace(m.dc, sizeof(face), face);
  EXPECT_STREQ(face, "DejaVu Sans Mono");

  // The line height formula with the font's own metrics.
  const PLAT_FontMetrics fm = PLAT_GetTextEngine()->CreateFont("DejaVu Sans Mono", 10)->GetMetrics();
  RECT r = {0, 0, 0, 0};
  const int expected = static_cast<int>(std::floor(fm.ascent + fm.descent + fm.leading + 1.5)) + 1;
  EXPECT_EQ(WINL_DrawText(m.dc, "Hi", -1, &r, DT_CALCRECT), expected);
  EXPECT_EQ(r.bottom, expected);
  EXPECT_EQ(r.right, 12);  // two cells of 6.02

  RECT a, b;
  a = b = RECT{0, 0, 0, 0};
  WINL_DrawText(m.dc, "a&&b", -1, &a, DT_CALCRECT);
  WINL_DrawText(m.dc, "a&b", -1, &b, DT_CALCRECT | DT_NOPREFIX);
  EXPECT_EQ(a.right, b.right);

  SetTextColor(m.dc, 0xFF0000);
  RECT box = {2, 2, 30, 14};
  WINL_DrawText(m.dc, "HH", -1, &box, 0);
  int strong = 0;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 32; ++x)
    {
      const uint8_t* p = m.Bytes(x, y);
      SCOPED_TRACE(testing::Message() << "pixel " << x << "," << y);
      ASSERT_EQ(p[0], 0x5A);
      ASSERT_EQ(p[2], 0);  // red text on black: green and blue stay 0
      ASSERT_EQ(p[3], 0);
      if (p[1] > 150) ++strong;
      if (p[1])
      {
        EXPECT_TRUE(x >= 2 && x < 30 && y >= 2 && y < 14);
      }
    }
  EXPECT_GE(strong, 16);  // the stems of two H's, smoothed but strong
  DeleteObject(font);
}
}  // namespace
