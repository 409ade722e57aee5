// Palette artwork read at half its size: each 2 x 2 block's mean made as the
// rows arrive, the whole image's colour indices kept beside it, and every
// image of another kind turned down before the bitmap is touched. (The same
// bytes as the GUI's resampler are checked in the graphics tests, which may
// use it.)
#include "raster/RAST_PNG.h"

#include "RAST_TestBitmap.h"
#include "raster/RAST_IndexedImage.h"
#include "raster/support/RAST_TestPng.h"
#include "support/ResourcesFolder.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <png.h>
#include <sys/stat.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace
{
RAST_PNGHalved Halve(const std::string& bytes, RAST_IBitmap* bmp, RAST_IndexedImage* indices = nullptr)
{
  return RAST_LoadPNGHalvedFromMemory(bytes.data(), static_cast<int>(bytes.size()), bmp, indices);
}

// A 4 x 2 palette image with transparency, its blocks worked by hand:
//   index  r    g    b    alpha
//   0      255  0    0    255
//   1      0    255  0    128
//   2      0    0    255  0
//   3      10   20   30   255 (past the tRNS entries)
//   4      201  102  53   255
// rows  0 1 | 2 3
//       1 2 | 4 4
// left block  r (255+0+0+0)/4 = 63, g 510/4 = 127, b 255/4 = 63, a (255+128+128+0)/4 = 127
// right block r (0+10+201+201)/4 = 103, g 224/4 = 56, b 391/4 = 97, a 765/4 = 191
TestPngImage HandWorked()
{
  TestPngImage image;
  image.width = 4;
  image.height = 2;
  image.colorType = PNG_COLOR_TYPE_PALETTE;
  image.bitDepth = 8;
  image.palette = {255, 0, 0, 0, 255, 0, 0, 0, 255, 10, 20, 30, 201, 102, 53};
  image.trnsAlpha = {255, 128, 0};
  image.rows = {0, 1, 2, 3, 1, 2, 4, 4};
  return image;
}

// A w x h image of the colour type and depth, indices cycling through a
// palette of 2^depth entries (or, for other types, bytes cycling).
TestPngImage Shape(int w, int h, int colorType, int depth, bool interlaced)
{
  TestPngImage image;
  image.width = w;
  image.height = h;
  image.colorType = colorType;
  image.bitDepth = depth;
  image.interlaced = interlaced;
  if (colorType == PNG_COLOR_TYPE_PALETTE)
  {
    for (int i = 0; i < 3 << depth; ++i) image.palette.push_back(static_cast<uint8_t>(i * 7));
    image.trnsAlpha = {0, 64};
  }
  image.rows.assign(image.RowBytes() * h, 0);
  for (size_t i = 0; i < image.rows.size(); ++i) image.rows[i] = static_cast<uint8_t>(depth == 8 ? i % 3 : 0x1b);
  return image;
}
}  // namespace

TEST(RAST_PNGHalved, HandWorkedBlocksAndTheWholeIndicesKept)
{
  const std::string bytes = EncodeTestPng(HandWorked());
  ASSERT_FALSE(bytes.empty());
  RAST_MemBitmap half(5, 5, 4);
  RAST_IndexedImage indices;
  ASSERT_EQ(Halve(bytes, &half, &indices), RAST_PNGHalved::kHalved);
  EXPECT_EQ(half.getWidth(), 2);
  EXPECT_EQ(half.getHeight(), 1);
  EXPECT_EQ(AllPixels(half), (std::vector<RAST_pixel>{RAST_RGBA(63, 127, 63, 127), RAST_RGBA(103, 56, 97, 191)}));

  ASSERT_TRUE(indices.Complete());
  RAST_MemBitmap whole(0, 0, 4);
  ASSERT_TRUE(indices.ExpandInto(&whole));
  EXPECT_EQ(AllPixels(whole), (std::vector<RAST_pixel>{
                               RAST_RGBA(255, 0, 0, 255), RAST_RGBA(0, 255, 0, 128), RAST_RGBA(0, 0, 255, 0),
                               RAST_RGBA(10, 20, 30, 255), RAST_RGBA(0, 255, 0, 128), RAST_RGBA(0, 0, 255, 0),
                               RAST_RGBA(201, 102, 53, 255), RAST_RGBA(201, 102, 53, 255)}));
}

// Into a bitmap stored bottom-up inside sentinels: rows land top first and
// nothing outside the cells is written.
TEST(RAST_PNGHalved, FlippedTargetWithinItsCells)
{
  TestPngImage image = HandWorked();
  image.height = 4;
  image.rows = {0, 1, 2, 3, 1, 2, 4, 4, 3, 3, 3, 3, 3, 3, 3, 3};
  GuardedBitmap flipped(2, 2, 3, 64, true);
  ASSERT_EQ(Halve(EncodeTestPng(image), &flipped), RAST_PNGHalved::kHalved);
  EXPECT_EQ(flipped.Cells(), (std::vector<RAST_pixel>{RAST_RGBA(63, 127, 63, 127), RAST_RGBA(103, 56, 97, 191),
                                                       RAST_RGBA(10, 20, 30, 255), RAST_RGBA(10, 20, 30, 255)}));
  EXPECT_TRUE(flipped.SentinelsIntact());
}

// Only an even-sided, non-interlaced, 8-bit palette image is halved; sides
// one below and one above the even ones, interlacing and every other kind
// are turned down from the header, with the bitmap untouched and no indices.
TEST(RAST_PNGHalved, OnlyEvenPlainEightBitPaletteImagesAreHalved)
{
  constexpr int kPalette = PNG_COLOR_TYPE_PALETTE;
  struct Case
  {
    const char* name;
    int w, h, colorType, depth;
    bool interlaced;
    RAST_PNGHalved outcome;
  } kCases[] = {
      {"2 x 2", 2, 2, kPalette, 8, false, RAST_PNGHalved::kHalved},
      {"1 x 2: odd width", 1, 2, kPalette, 8, false, RAST_PNGHalved::kCannot},
      {"3 x 2: odd width", 3, 2, kPalette, 8, false, RAST_PNGHalved::kCannot},
      {"2 x 1: odd height", 2, 1, kPalette, 8, false, RAST_PNGHalved::kCannot},
      {"2 x 3: odd height", 2, 3, kPalette, 8, false, RAST_PNGHalved::kCannot},
      {"6 x 4", 6, 4, kPalette, 8, false, RAST_PNGHalved::kHalved},
      {"6 x 4 interlaced", 6, 4, kPalette, 8, true, RAST_PNGHalved::kCannot},
      {"6 x 4 at 4 bits", 6, 4, kPalette, 4, false, RAST_PNGHalved::kCannot},
      {"6 x 4 at 1 bit", 6, 4, kPalette, 1, false, RAST_PNGHalved::kCannot},
      {"6 x 4 grey", 6, 4, PNG_COLOR_TYPE_GRAY, 8, false, RAST_PNGHalved::kCannot},
      {"6 x 4 RGBA", 6, 4, PNG_COLOR_TYPE_RGB_ALPHA, 8, false, RAST_PNGHalved::kCannot},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.name);
    const std::string bytes = EncodeTestPng(Shape(c.w, c.h, c.colorType, c.depth, c.interlaced));
    ASSERT_FALSE(bytes.empty());
    RAST_MemBitmap mine(3, 3, 4);
    FillAll(mine, RAST_RGBA(1, 2, 3, 4));
    RAST_IndexedImage indices;
    EXPECT_EQ(Halve(bytes, &mine, &indices), c.outcome);
    if (c.outcome == RAST_PNGHalved::kHalved)
    {
      EXPECT_EQ(mine.getWidth(), c.w / 2);
      EXPECT_EQ(mine.getHeight(), c.h / 2);
      EXPECT_TRUE(indices.Complete());
      EXPECT_EQ(indices.Width(), c.w);
      EXPECT_EQ(indices.Height(), c.h);
    }
    else
    {
      EXPECT_EQ(AllPixels(mine), std::vector<RAST_pixel>(9, RAST_RGBA(1, 2, 3, 4)));
      EXPECT_TRUE(indices.Empty());
    }
  }
}

// Cut anywhere before its closing IEND chunk (the last 12 bytes), from
// memory and from a file, the image is refused (never turned down as
// another kind), with no indices left; LeakSanitizer checks at exit that
// nothing stayed allocated. Cut inside IEND, its pixels are whole and it
// halves.
TEST(RAST_PNGHalved, TruncatedFilesAreRefused)
{
  TempDir dir;
  const std::string bytes = EncodeTestPng(Shape(6, 4, PNG_COLOR_TYPE_PALETTE, 8, false));
  const size_t iend = bytes.size() - 12;
  ASSERT_EQ(bytes.substr(iend + 4, 4), "IEND");
  for (size_t len = 0; len < bytes.size(); ++len)
  {
    const RAST_PNGHalved expected = len < iend ? RAST_PNGHalved::kFailed : RAST_PNGHalved::kHalved;
    const std::string cut = bytes.substr(0, len);
    RAST_MemBitmap mine(2, 2, 4);
    RAST_IndexedImage indices;
    EXPECT_EQ(Halve(cut, &mine, &indices), expected) << "memory cut to " << len;
    EXPECT_EQ(indices.Empty(), len < iend) << "memory cut to " << len;
    WriteWholeFile(dir.File("cut.png"), cut);
    RAST_IndexedImage fileIndices;
    EXPECT_EQ(RAST_LoadPNGHalved(dir.File("cut.png").c_str(), &mine, &fileIndices), expected) << "file cut to " << len;
    EXPECT_EQ(fileIndices.Empty(), len < iend) << "file cut to " << len;
  }
  RAST_MemBitmap mine(2, 2, 4);
  WriteWholeFile(dir.File("whole.png"), bytes);
  EXPECT_EQ(RAST_LoadPNGHalved(dir.File("whole.png").c_str(), &mine), RAST_PNGHalved::kHalved);
}

// Refusals that never reach the decoder, and a bitmap that cannot take the
// half size, or a row table that cannot be had, are load failures.
TEST(RAST_PNGHalved, BadArgumentsAndFailedAllocations)
{
  TempDir dir;
  const std::string bytes = EncodeTestPng(Shape(6, 4, PNG_COLOR_TYPE_PALETTE, 8, false));
  RAST_MemBitmap mine(2, 2, 4);
  EXPECT_EQ(Halve(bytes, nullptr), RAST_PNGHalved::kFailed);
  EXPECT_EQ(RAST_LoadPNGHalvedFromMemory(nullptr, 100, &mine), RAST_PNGHalved::kFailed);
  EXPECT_EQ(RAST_LoadPNGHalvedFromMemory("ABCDEFGH", 8, &mine), RAST_PNGHalved::kFailed);
  EXPECT_EQ(RAST_LoadPNGHalved(nullptr, &mine), RAST_PNGHalved::kFailed);
  EXPECT_EQ(RAST_LoadPNGHalved(dir.File("missing.png").c_str(), &mine), RAST_PNGHalved::kFailed);

  GuardedBitmap fixed(4, 4);
  const std::vector<RAST_pixel> before = fixed.Cells();
  EXPECT_EQ(Halve(bytes, &fixed), RAST_PNGHalved::kFailed);
  EXPECT_EQ(fixed.Cells(), before);
  EXPECT_TRUE(fixed.SentinelsIntact());

  RAST_PNGSetRowTableAllocForTest([](size_t) -> void* { return nullptr; });
  RAST_IndexedImage indices;
  EXPECT_EQ(Halve(bytes, &mine, &indices), RAST_PNGHalved::kFailed);
  EXPECT_TRUE(indices.Empty());
  RAST_PNGSetRowTableAllocForTest(nullptr);
  EXPECT_EQ(Halve(bytes, &mine, &indices), RAST_PNGHalved::kHalved);
}

// Names of up to 400 characters are looked up in the resources folder.
TEST(RAST_PNGHalved, NamedResourceComesFromTheResourcesFolder)
{
  ResourcesFolder resources;
  TempDir& dir = resources.dir;
  const std::string folder(200, 'd');
  ASSERT_EQ(mkdir(dir.File(folder).c_str(), 0700), 0);
  const std::string bytes = EncodeTestPng(Shape(6, 4, PNG_COLOR_TYPE_PALETTE, 8, false));
  struct Name
  {
    std::string name;
    RAST_PNGHalved outcome;
  } kNames[] = {
      {"knob.png", RAST_PNGHalved::kHalved},
      {folder + "/" + std::string(195, 'k') + ".png", RAST_PNGHalved::kHalved},  // 400 characters
      {folder + "/" + std::string(196, 'k') + ".png", RAST_PNGHalved::kFailed},  // 401
  };
  for (const Name& n : kNames)
  {
    WriteWholeFile(dir.File(n.name), bytes);
    RAST_MemBitmap mine(0, 0, 4);
    EXPECT_EQ(RAST_LoadPNGHalvedFromNamedResource(n.name.c_str(), &mine), n.outcome) << n.name.size();
  }
  RAST_MemBitmap mine(0, 0, 4);
  EXPECT_EQ(RAST_LoadPNGHalvedFromNamedResource("none.png", &mine), RAST_PNGHalved::kFailed);
  EXPECT_EQ(RAST_LoadPNGHalvedFromNamedResource(nullptr, &mine), RAST_PNGHalved::kFailed);
}

// The program's own artwork is read without the compressed data's own sum;
// a byte damaged anywhere in the image data, that sum's bytes among them,
// still fails the load, whole and halved, by the chunk's CRC.
TEST(RAST_PNGHalved, DamagedArtworkDataFailsFromTheResourcesFolder)
{
  ResourcesFolder resources;
  const std::string bytes = EncodeTestPng(Shape(6, 4, PNG_COLOR_TYPE_PALETTE, 8, false));
  const size_t idat = bytes.find("IDAT");
  ASSERT_NE(idat, std::string::npos);
  size_t length = 0;
  for (size_t i = idat - 4; i < idat; ++i) length = length << 8 | static_cast<unsigned char>(bytes[i]);
  ASSERT_GE(length, 4u);
  for (size_t at = idat + 4; at < idat + 4 + length; ++at)
  {
    std::string bad = bytes;
    bad[at] = static_cast<char>(bad[at] ^ 0x01);
    WriteWholeFile(resources.dir.File("art.png"), bad);
    std::unique_ptr<RAST_IBitmap> whole(RAST_LoadPNGFromNamedResource("art.png", nullptr));
    EXPECT_EQ(whole, nullptr) << "data byte " << at - idat - 4 << " of " << length;
    RAST_MemBitmap mine(0, 0, 4);
    EXPECT_EQ(RAST_LoadPNGHalvedFromNamedResource("art.png", &mine), RAST_PNGHalved::kFailed)
      << "data byte " << at - idat - 4 << " of " << length;
  }
  WriteWholeFile(resources.dir.File("art.png"), bytes);
  std::unique_ptr<RAST_IBitmap> whole(RAST_LoadPNGFromNamedResource("art.png", nullptr));
  ASSERT_NE(whole, nullptr);
  EXPECT_EQ(whole->getWidth(), 6);
  RAST_MemBitmap mine(0, 0, 4);
  EXPECT_EQ(RAST_LoadPNGHalvedFromNamedResource("art.png", &mine), RAST_PNGHalved::kHalved);
  EXPECT_EQ(mine.getWidth(), 3);
}
