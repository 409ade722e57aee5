// Cursors without a display: the show counter, the built-in bitmaps, the
// cursor set last, and cursor files decoded from memory.
#include "support/TempDir.h"
#include "winl/WINL_Cursor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace
{
TEST(WinlCursor, HidesAtMinusOneAndShowsAtZeroAtTheKeptPlace)
{
  // action: 's' show, 'h' hide, 'r' restore; count: what the show or hide answers
  struct Step { char action; int count; bool visible; } const kSteps[] = {
      {'h', -1, false}, {'h', -2, false}, {'s', -1, false}, {'s', 0, true},
      // Showing first, then hiding, keeps the cursor.
      {'s', 1, true}, {'h', 0, true}, {'h', -1, false},
      // A restore shows it and starts the count again at zero.
      {'r', 0, true}, {'h', -1, false}, {'r', 0, true},
  };
  for (const Step& s : kSteps)
  {
    const auto step = &s - kSteps;
    if (s.action == 'r')
      WINL_RestoreCursor();
    else
      EXPECT_EQ(WINL_ShowCursor(s.action == 's'), s.count) << step;
    EXPECT_EQ(WINL_IsCursorVisible(), s.visible) << step;
    if (step == 0)
    {
      // While hidden, positions move only the kept one.
      EXPECT_TRUE(WINL_SetCursorPos(300, -20));
      POINT p{};
      GetCursorPos(&p);
      EXPECT_EQ(p.x, 300);
      EXPECT_EQ(p.y, -20);
      EXPECT_EQ(GetMessagePos(), 0xFFEC012Cu);
    }
  }
}

TEST(WinlCursor, BuiltInDiagonalsAreMirrorsAndStayUnchanged)
{
  struct Case { int id; int x; int y; uint32_t argb; } const kCases[] = {
      {IDC_SIZENWSE, 0, 0, 0xFF000000}, {IDC_SIZENWSE, 6, 0, 0xFF000000}, {IDC_SIZENWSE, 7, 0, 0},
      {IDC_SIZENWSE, 1, 1, 0xFFFFFFFF}, {IDC_SIZENWSE, 15, 15, 0xFF000000}, {IDC_SIZENWSE, 8, 15, 0},
      {IDC_SIZENESW, 15, 0, 0xFF000000}, {IDC_SIZENESW, 9, 0, 0xFF000000}, {IDC_SIZENESW, 8, 0, 0},
      {IDC_SIZENESW, 14, 1, 0xFFFFFFFF}, {IDC_SIZENESW, 0, 15, 0xFF000000}, {IDC_SIZENESW, 7, 15, 0},
      {IDC_SIZEALL, 8, 1, 0xFF000000},  {IDC_SIZEALL, 8, 8, 0xFFFFFFFF}, {IDC_SIZEALL, 0, 8, 0},
  };
  // The mirror is made first, so a mirrored stored bitmap would show below.
  for (int round = 0; round < 2; ++round)
    for (const Case& c : kCases)
    {
      WINL_CursorImage img;
      ASSERT_TRUE(WINL_GetCursorImage(WINL_LoadCursor(c.id), &img));
      EXPECT_EQ(img.argb[c.y * 16 + c.x], c.argb) << c.id << " " << c.x << "," << c.y;
      EXPECT_EQ(img.hotX, 8);
      EXPECT_EQ(img.hotY, 8);
    }
  EXPECT_EQ(WINL_LoadCursor(IDC_SIZENESW), WINL_LoadCursor(IDC_SIZENESW));
}

TEST(WinlCursor, StandardIdsAndTheCursorSetLast)
{
  EXPECT_EQ(WINL_LoadCursor(IDC_NO), nullptr);
  EXPECT_EQ(WINL_LoadCursor(12345), nullptr);
  for (int id : {IDC_ARROW, IDC_IBEAM, IDC_UPARROW, IDC_SIZEWE, IDC_SIZENS, IDC_HAND})
    EXPECT_NE(WINL_LoadCursor(id), nullptr) << id;
  HCURSOR diagonal = WINL_LoadCursor(IDC_SIZENWSE);
  WINL_SetCursor(diagonal);
  EXPECT_EQ(WINL_GetCursor(), diagonal);
  EXPECT_EQ(WINL_GetLastSetCursor(), diagonal);
  WINL_SetArrowUnlessCurrent();
  EXPECT_EQ(WINL_GetCursor(), WINL_LoadCursor(IDC_ARROW));
  WINL_ReapplyLastSetCursor();
  EXPECT_EQ(WINL_GetCursor(), diagonal);
  int notACursor = 0;
  WINL_SetCursor(reinterpret_cast<HCURSOR>(&notACursor));
  EXPECT_EQ(WINL_GetCursor(), WINL_LoadCursor(IDC_ARROW));
  EXPECT_EQ(WINL_GetLastSetCursor(), nullptr);
}

// A 2 x 2 cursor of one bit per pixel, hot spot (1, 0): top row black,
// white; bottom row white, clear.
std::vector<uint8_t> TinyCursor()
{
  return {
      0, 0, 2, 0, 1, 0,                                          // a cursor file with one image
      2, 2, 2, 0, 1, 0, 0, 0, 64, 0, 0, 0, 22, 0, 0, 0,          // 2 x 2, hot (1, 0), 64 bytes at 22
      40, 0, 0, 0, 2, 0, 0, 0, 4, 0, 0, 0, 1, 0, 1, 0,           // header: 2 wide, 2 x 2 high, 1 bit
      0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
      2, 0, 0, 0, 0, 0, 0, 0,                                    // two colours
      0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0,                           // black, white
      0x80, 0, 0, 0, 0x40, 0, 0, 0,                              // colours, bottom row first
      0x40, 0, 0, 0, 0x00, 0, 0, 0,                              // mask: bottom right clear
  };
}

TEST(WinlCursor, CursorFileDecodesFromMemory)
{
  WINL_CursorImage img;
  std::vector<uint8_t> file = TinyCursor();
  ASSERT_TRUE(WINL_DecodeCursorFile(file.data(), file.size(), &img));
  EXPECT_EQ(img.width, 2);
  EXPECT_EQ(img.height, 2);
  EXPECT_EQ(img.hotX, 1);
  EXPECT_EQ(img.hotY, 0);
  EXPECT_EQ(img.argb, (std::vector<uint32_t>{0xFF000000, 0xFFFFFFFF, 0xFFFFFFFF, 0}));
}

TEST(WinlCursor, MalformedCursorFilesAreRefused)
{
  // at: byte to change (past the end: none); size: bytes handed over
  struct Case { const char* name; size_t at; uint8_t value; size_t size; bool ok; } const kCases[] = {
      {"one byte short", 99, 0, 85, false},
      {"whole", 99, 0, 86, true},
      {"a byte more", 99, 0, 87, true},
      {"an icon, not a cursor", 2, 1, 86, false},
      {"no images", 4, 0, 86, false},
      {"hot spot x on the last column", 10, 1, 86, true},
      {"hot spot x past the image", 10, 2, 86, false},
      {"hot spot y past the image", 12, 2, 86, false},
      {"length past the end", 14, 65, 86, false},
      {"length wrapping around", 17, 0xFF, 86, false},
      {"offset past the end", 21, 0x10, 86, false},
      {"zero width", 26, 0, 86, false},
      {"odd height", 30, 3, 86, false},
      {"two bits per pixel", 36, 2, 86, false},
      {"compressed", 38, 1, 86, false},
      {"a colour index past the palette", 54, 1, 86, false},
      {"header size past the image", 22, 0xFF, 86, false},
  };
  for (const Case& c : kCases)
  {
    std::vector<uint8_t> file = TinyCursor();
    file.push_back(0);
    if (c.at < file.size()) file[c.at] = c.value;
    WINL_CursorImage img;
    img.width = -7;
    EXPECT_EQ(WINL_DecodeCursorFile(file.data(), c.size, &img), c.ok) << c.name;
    if (!c.ok)
    {
      EXPECT_EQ(img.width, -7) << c.name;
    }
  }
}

// ---- PNG cursors ----

uint32_t Crc(const uint8_t* p, size_t n, uint32_t crc = 0xFFFFFFFFu)
{
  for (size_t i = 0; i < n; ++i)
  {
    crc ^= p[i];
    for (int k = 0; k < 8; ++k) crc = crc & 1 ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
  }
  return crc;
}

void PutBE32(std::vector<uint8_t>& out, uint32_t v)
{
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(v >> shift));
}

void Chunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data)
{
  PutBE32(out, static_cast<uint32_t>(data.size()));
  std::vector<uint8_t> typed(type, type + 4);
  typed.insert(typed.end(), data.begin(), data.end());
  out.insert(out.end(), typed.begin(), typed.end());
  PutBE32(out, ~Crc(typed.data(), typed.size()));
}

// A grey PNG that announces width x height and carries `rows` rows of
// black pixels in stored (uncompressed) deflate blocks.
std::vector<uint8_t> GreyPng(uint32_t width, uint32_t height, uint32_t rows)
{
  std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<uint8_t> header;
  PutBE32(header, width);
  PutBE32(header, height);
  header.insert(header.end(), {8, 0, 0, 0, 0});  // 8-bit grey, no interlace
  Chunk(png, "IHDR", header);
  const std::vector<uint8_t> raw(static_cast<size_t>(width + 1) * rows, 0);
  std::vector<uint8_t> z = {0x78, 0x01};
  size_t at = 0;
  do
  {
    const size_t n = std::min<size_t>(raw.size() - at, 65535);
    z.push_back(at + n == raw.size() ? 1 : 0);
    z.insert(z.end(), {static_cast<uint8_t>(n), static_cast<uint8_t>(n >> 8), static_cast<uint8_t>(~n),
                       static_cast<uint8_t>(~n >> 8)});
    z.insert(z.end(), raw.begin() + static_cast<long>(at), raw.begin() + static_cast<long>(at + n));
    at += n;
  } while (at < raw.size());
  uint32_t a = 1, b = 0;  // the zlib stream's Adler-32
  for (uint8_t byte : raw)
  {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  PutBE32(z, b << 16 | a);
  Chunk(png, "IDAT", z);
  Chunk(png, "IEND", {});
  return png;
}

// A cursor file holding one PNG image, hot spot (0, 0).
std::vector<uint8_t> PngCursor(const std::vector<uint8_t>& png)
{
  std::vector<uint8_t> file = {0, 0, 2, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  const uint32_t size = static_cast<uint32_t>(png.size());
  for (int shift = 0; shift < 32; shift += 8) file.push_back(static_cast<uint8_t>(size >> shift));
  file.insert(file.end(), {22, 0, 0, 0});
  file.insert(file.end(), png.begin(), png.end());
  return file;
}

// The side is read from the PNG's header before anything is decoded: a
// small file announcing a huge picture is refused without decoding it.
TEST(WinlCursor, PngCursorSideIsCheckedInItsHeader)
{
  struct Case { const char* name; uint32_t width, height, rows; bool ok; } const kCases[] = {
    {"1 x 1", 1, 1, 1, true},
    {"255 x 255", 255, 255, 255, true},
    {"256 x 256", 256, 256, 256, true},
    {"257 wide", 257, 1, 1, false},
    {"257 high", 1, 257, 257, false},
    {"16384 x 16384, one row sent", 16384, 16384, 1, false},
    {"zero wide", 0, 1, 1, false},
  };
  for (const Case& c : kCases)
  {
    const std::vector<uint8_t> file = PngCursor(GreyPng(c.width, c.height, c.rows));
    WINL_CursorImage img;
    EXPECT_EQ(WINL_DecodeCursorFile(file.data(), file.size(), &img), c.ok) << c.name;
    if (c.ok)
    {
      EXPECT_EQ(img.width, static_cast<int>(c.width)) << c.name;
      EXPECT_EQ(img.argb.back(), 0xFF000000u) << c.name;
    }
  }
  // A first chunk other than the image header: nothing to check, refused.
  std::vector<uint8_t> png = GreyPng(1, 1, 1);
  png[12] = 'X';
  const std::vector<uint8_t> file = PngCursor(png);
  WINL_CursorImage img;
  EXPECT_FALSE(WINL_DecodeCursorFile(file.data(), file.size(), &img));
}

TEST(WinlCursor, LoadingACursorFileWritesNoFile)
{
  TempDir files, temp;
  const std::vector<uint8_t> bytes = TinyCursor();
  WriteWholeFile(files.File("grab.cur"), std::string(bytes.begin(), bytes.end()));
  WriteWholeFile(files.File("bad.cur"), std::string(bytes.begin(), bytes.begin() + 40));
  const char* before = std::getenv("TMPDIR");
  const std::string saved = before ? before : "";
  setenv("TMPDIR", temp.Path().c_str(), 1);
  HCURSOR c = WINL_LoadCursorFromFile(files.File("grab.cur").c_str());
  HCURSOR bad = WINL_LoadCursorFromFile(files.File("bad.cur").c_str());
  if (before)
    setenv("TMPDIR", saved.c_str(), 1);
  else
    unsetenv("TMPDIR");
  WINL_CursorImage img;
  ASSERT_TRUE(WINL_GetCursorImage(c, &img));
  EXPECT_EQ(img.argb[1], 0xFFFFFFFFu);
  EXPECT_EQ(bad, nullptr);
  EXPECT_TRUE(std::filesystem::is_empty(temp.Path()));
}
}  // namespace
