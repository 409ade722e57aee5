// Measuring and drawing text into memory contexts: exact pixels with the fake
// engine, one check with the shipped fonts.
#include "winl/draw/WINL_GDI.h"

#include "WINL_TestMemDC.h"
#include "platform/FakeTextEngine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <tuple>

namespace
{
// The fake font of 10 pixels: ascent 8, descent 2, so a line measures
// floor(8 + 2 + 1.5) = 11 and a text its lines plus 1. Advances: 'a' 6,
// 'b' 7, '&' 7, ' ' 7, 'x' 5.
HFONT FakeMonaco() { return CreateFont(10, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "Monaco"); }

TEST(WINL_DrawText, MeasuresWhatItLaysOut)
{
  // len -1: up to the terminator, else an exact-size copy without one; laidOut "-": nothing laid out
  struct Case { const char* name; std::string text; int len; int flags; std::string laidOut; int height, width; }
  const kCases[] = {
      {"one line", "ab", -1, 0, "ab", 12, 13},
      {"two lines, as wide as the wider", "a\nbb", -1, 0, "a\nbb", 23, 14},
      {"CR LF on one line is a space", "a\r\nb", -1, DT_SINGLELINE, "a b", 12, 20},
      {"empty", "", -1, 0, "-", 0, 0},
      {"carriage returns only", "\r", -1, 0, "-", 0, 0},
      {"&& is one &", "a&&b", -1, 0, "a&b", 12, 20},
      {"& marks the next", "a&b", -1, 0, "ab", 12, 13},
      {"a trailing & goes", "a&", -1, 0, "a", 12, 6},
      {"&&&", "&&&", -1, 0, "&", 12, 7},
      {"no prefix: & kept", "a&b", -1, DT_NOPREFIX, "a&b", 12, 20},
      {"no prefix: && kept", "a&&b", -1, DT_NOPREFIX, "a&&b", 12, 27},
      {"stray bytes read as Latin-1", "a\xff\x80z", -1, 0, "a\xc3\xbf\xc2\x80z", 12, 25},
      {"overlong form", "\xc0\xaf", -1, 0, "\xc3\x80\xc2\xaf", 12, 11},
      {"surrogate", "\xed\xa0\x80", -1, 0, "\xc3\xad\xc2\xa0\xc2\x80", 12, 18},
      {"well-formed kept", "\xe2\x82\xac\xf0\x9f\x8e\xb9", -1, 0, "\xe2\x82\xac\xf0\x9f\x8e\xb9", 12, 10},
      {"a character the count cuts is left out", "ab\xc3\xa9", 3, 0, "ab", 12, 13},
      {"unterminated, cut inside a character", "a\xe2\x82", 3, 0, "a", 12, 6},
      {"the count stops at a NUL", std::string("ab\0cd", 5), 5, 0, "ab", 12, 13},
      {"4095 bytes", std::string(4095, 'x'), -1, 0, std::string(4095, 'x'), 12, 20475},
      {"the 4096th byte goes", std::string(4096, 'x'), -1, 0, std::string(4095, 'x'), 12, 20475},
      {"the 4095-byte cut falls in a character", std::string(4094, 'x') + "\xc3\xa9yyy", -1, 0,
       std::string(4094, 'x'), 12, 20470},
  };
  ScopedFakeText fake;
  MemDC m(4, 4);
  HFONT font = FakeMonaco();
  SelectObject(m.dc, font);
  for (const Case& c : kCases)
  {
    const size_t size = c.text.size() + (c.len < 0 ? 1 : 0);
    std::unique_ptr<char[]> exact(new char[size]);
    std::memcpy(exact.get(), c.text.c_str(), size);
    fake.engine.lastText = "-";
    RECT r = {3, 4, 3, 4};
    EXPECT_EQ(WINL_DrawText(m.dc, exact.get(), c.len, &r, DT_CALCRECT | c.flags), c.height) << c.name;
    EXPECT_EQ(fake.engine.lastText, c.laidOut) << c.name;
    EXPECT_EQ(r.right - r.left, c.width) << c.name;
    EXPECT_EQ(r.bottom - r.top, c.height) << c.name;
    EXPECT_EQ(r.left, 3) << c.name;
  }

  // Leading counts: floor(10 + 3 + 0.2 + 1.5) + 1.
  fake.engine.metricsOverride = PLAT_FontMetrics{10.0, 3.0, 0.2};
  HFONT tall = FakeMonaco();
  SelectObject(m.dc, tall);
  RECT r = {0, 0, 0, 0};
  EXPECT_EQ(WINL_DrawText(m.dc, "x", -1, &r, DT_CALCRECT), 15);

  EXPECT_EQ(WINL_DrawText(m.dc, nullptr, -1, &r, 0), 0);
  EXPECT_EQ(WINL_DrawText(m.dc, "a", -1, nullptr, 0), 0);
  EXPECT_EQ(WINL_DrawText(nullptr, "a", -1, &r, 0), 0);
  DeleteObject(tall);
  DeleteObject(font);
}

// Red text on a blue background box in a 32 x 16 context whose unused bytes
// hold 0x77: every pixel is red ink, blue box or untouched.
TEST(WINL_DrawText, DrawsExactlyWhereAlignedAndClipped)
{
  // ink: the glyphs' blocks, each as wide as its advance, 8 high; box: with OPAQUE, the text's measured box
  struct Case { const char* name; std::string text; RECT rect; int flags; int bkMode; RECT ink; RECT box; }
  const kCases[] = {
      {"left top", "ab", {0, 0, 32, 16}, 0, TRANSPARENT, {0, 0, 13, 8}, {}},
      {"clipped to the rectangle", "abababab", {5, 3, 12, 7}, 0, TRANSPARENT, {5, 3, 12, 7}, {}},
      {"unclipped still stops at the context", std::string(300, 'a'), {-20, -5, 0, 0}, DT_NOCLIP, TRANSPARENT,
       {0, 0, 32, 3}, {}},
      {"right", "a", {2, 1, 30, 15}, DT_RIGHT, TRANSPARENT, {24, 1, 30, 9}, {}},
      {"centre", "a", {2, 1, 30, 15}, DT_CENTER, TRANSPARENT, {13, 1, 19, 9}, {}},
      {"right wins over centre", "a", {2, 1, 30, 15}, DT_RIGHT | DT_CENTER, TRANSPARENT, {24, 1, 30, 9}, {}},
      {"bottom", "a", {2, 1, 30, 15}, DT_BOTTOM, TRANSPARENT, {2, 3, 8, 11}, {}},
      {"vertical centre", "a", {2, 1, 30, 15}, DT_VCENTER, TRANSPARENT, {2, 2, 8, 10}, {}},
      {"opaque box under the text", "a", {1, 1, 31, 15}, 0, OPAQUE, {1, 1, 7, 9}, {1, 1, 7, 13}},
  };
  ScopedFakeText fake;
  HFONT font = FakeMonaco();
  for (const Case& c : kCases)
  {
    MemDC m(32, 16);
    m.Mark(0x77);
    SelectObject(m.dc, font);
    SetTextColor(m.dc, 0xFF0000);
    SetBkColor(m.dc, 0x0000FF);
    SetBkMode(m.dc, c.bkMode);
    RECT r = c.rect;
    EXPECT_EQ(WINL_DrawText(m.dc, c.text.c_str(), -1, &r, c.flags), 12) << c.name;
    EXPECT_EQ(m.FirstMismatch([&](int x, int y) {
      return Inside(c.ink, x, y) ? 0x77FF0000u : Inside(c.box, x, y) ? 0x770000FFu : 0x77000000u;
    }),
              "")
        << c.name;
  }
  DeleteObject(font);

  // Without a font the label face draws.
  MemDC bare(32, 16);
  SetTextColor(bare.dc, 0xFFFFFF);
  RECT r = {0, 0, 32, 16};
  EXPECT_EQ(WINL_DrawText(bare.dc, "a", -1, &r, 0), 12);
  EXPECT_EQ(bare.FirstMismatch([](int x, int y) { return x < 6 && y < 8 ? 0x00FFFFFFu : 0u; }), "");
}

// ---- the shipped fonts ----

TEST(WINL_DrawText, RedCaptionWithTheShippedMonospacedFace)
{
  WINL_ClearFontNameCache();
  MemDC m(32, 16);
  m.Mark(0x5A);
  HFONT font = FakeMonaco();  // the real engine gives DejaVu Sans Mono
  SelectObject(m.dc, font);
  // floor(9.28 + 2.36 + 1.5) + 1 high; two cells of 6.02 wide.
  RECT r = {0, 0, 0, 0};
  EXPECT_EQ(WINL_DrawText(m.dc, "Hi", -1, &r, DT_CALCRECT), 14);
  EXPECT_EQ(r.bottom, 14);
  EXPECT_EQ(r.right, 12);

  // Unclipped, so that ink in the wrong place shows: red only, smoothed, two
  // H's from x = 2 on the baseline at 2 + 9.28.
  SetTextColor(m.dc, 0xFF0000);
  RECT box = {2, 2, 30, 14};
  WINL_DrawText(m.dc, "HH", -1, &box, DT_NOCLIP);
  RECT ink = {32, 16, -1, -1};
  int strong = 0;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 32; ++x)
    {
      const uint32_t p = m.At(x, y);
      ASSERT_EQ(p & 0xFF00FFFFu, 0x5A000000u) << x << "," << y;
      if (p == 0x5A000000u) continue;
      ink = {std::min<LONG>(ink.left, x), std::min<LONG>(ink.top, y), std::max<LONG>(ink.right, x + 1),
             std::max<LONG>(ink.bottom, y + 1)};
      strong += (p >> 16 & 0xFF) > 150;
    }
  // The cap height of 7.3 above the baseline; the outer stems' smoothed edges.
  EXPECT_EQ(std::make_tuple(ink.left, ink.top, ink.right, ink.bottom), std::make_tuple(2, 3, 14, 11));
  EXPECT_GE(strong, 16);
  DeleteObject(font);
}
}  // namespace
