#include "raster/RAST_PNG.h"

#include "RAST_TestBitmap.h"
#include "raster/support/RAST_TestPng.h"
#include "support/ResourcesFolder.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <png.h>
#include <sys/stat.h>
#include <zlib.h>

#include <csetjmp>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace
{
using BitmapPtr = std::unique_ptr<RAST_IBitmap>;

BitmapPtr FromMemory(const std::string& bytes)
{
  return BitmapPtr(RAST_LoadPNGFromMemory(bytes.data(), static_cast<int>(bytes.size()), nullptr));
}

// ---- test images with the pixels the loader must produce ----

struct Case { int colorType, bitDepth; bool trns; };

constexpr int kGray = PNG_COLOR_TYPE_GRAY, kGrayAlpha = PNG_COLOR_TYPE_GRAY_ALPHA, kRGB = PNG_COLOR_TYPE_RGB,
              kRGBA = PNG_COLOR_TYPE_RGB_ALPHA, kPalette = PNG_COLOR_TYPE_PALETTE;
const Case kCases[] = {
    {kGray, 1, false},      {kGray, 2, false},      {kGray, 4, false},    {kGray, 8, false},    {kGray, 16, false},
    {kGray, 1, true},       {kGray, 4, true},       {kGray, 8, true},     {kGray, 16, true},    {kGrayAlpha, 8, false},
    {kGrayAlpha, 16, false}, {kRGB, 8, false},      {kRGB, 16, false},    {kRGB, 8, true},      {kRGB, 16, true},
    {kRGBA, 8, false},      {kRGBA, 16, false},     {kPalette, 1, false}, {kPalette, 2, false}, {kPalette, 4, false},
    {kPalette, 8, false},   {kPalette, 1, true},    {kPalette, 4, true},  {kPalette, 8, true},
};

// Sample index of a row at depth bits: 16 bits most significant byte first,
// lower depths packed from the high bits of each byte.
void PutSample(uint8_t* row, int index, int v, int depth)
{
  if (depth == 16)
  {
    row[2 * index] = static_cast<uint8_t>(v >> 8);
    row[2 * index + 1] = static_cast<uint8_t>(v);
    return;
  }
  const int perByte = 8 / depth;
  row[index / perByte] |= static_cast<uint8_t>(v << (8 - depth * (index % perByte + 1)));
}

// Random samples in a 7 x 5 image (odd sizes leave some interlace passes
// short), and the pixels the loader must make of them: low depths scaled up
// to 8 bits, 16 bits cut to their high byte, the tRNS colour given alpha 0.
TestPngImage MakeImage(const Case& c, bool interlaced, std::mt19937& rng, std::vector<RAST_pixel>* expected)
{
  TestPngImage image;
  image.width = 7;
  image.height = 5;
  image.colorType = c.colorType;
  image.bitDepth = c.bitDepth;
  image.interlaced = interlaced;
  const int channels = image.Channels(), depth = c.bitDepth, top = (1 << depth) - 1;
  auto to8 = [&](int v) { return depth == 16 ? v >> 8 : v * 255 / top; };
  const bool palette = c.colorType == kPalette;
  if (palette)
  {
    for (int i = 0; i < 3 * (top + 1); ++i) image.palette.push_back(static_cast<uint8_t>(rng()));
    for (int i = 0; c.trns && i < (top + 2) / 2; ++i) image.trnsAlpha.push_back(static_cast<uint8_t>(rng()));
  }
  std::vector<int> s(static_cast<size_t>(image.width * image.height * channels));
  for (int& v : s) v = static_cast<int>(rng() % (top + 1u));
  if (c.trns && !palette)
  {
    // The first pixel's colour is the transparent one; the fourth repeats it.
    std::copy(s.begin(), s.begin() + channels, s.begin() + 3 * channels);
    image.hasTrnsColor = true;
    image.trnsGray = image.trnsRed = static_cast<uint16_t>(s[0]);
    if (channels == 3) image.trnsGreen = static_cast<uint16_t>(s[1]), image.trnsBlue = static_cast<uint16_t>(s[2]);
  }
  image.rows.assign(image.RowBytes() * image.height, 0);
  for (int i = 0; i < image.width * image.height; ++i)
  {
    const int* p = &s[static_cast<size_t>(i * channels)];
    uint8_t* row = &image.rows[(i / image.width) * image.RowBytes()];
    for (int k = 0; k < channels; ++k) PutSample(row, (i % image.width) * channels + k, p[k], depth);
    int r, g, b, a = 255;
    if (palette)
    {
      r = image.palette[3 * p[0]], g = image.palette[3 * p[0] + 1], b = image.palette[3 * p[0] + 2];
      if (static_cast<size_t>(p[0]) < image.trnsAlpha.size()) a = image.trnsAlpha[p[0]];
    }
    else
    {
      const bool rgb = channels >= 3;
      r = to8(p[0]), g = to8(p[rgb ? 1 : 0]), b = to8(p[rgb ? 2 : 0]);
      if (channels % 2 == 0)
        a = to8(p[channels - 1]);
      else if (c.trns && std::equal(p, p + channels, s.begin()))
        a = 0;
    }
    expected->push_back(RAST_RGBA(r, g, b, a));
  }
  return image;
}

// A small interlaced RGBA image, and the pixels it holds.
std::string SmallPng(std::vector<RAST_pixel>* pixels = nullptr)
{
  std::mt19937 rng(7);
  std::vector<RAST_pixel> expected;
  const std::string bytes = EncodeTestPng(MakeImage({kRGBA, 8, false}, true, rng, &expected));
  if (pixels) *pixels = expected;
  return bytes;
}

// ---- crafted headers ----

void AppendChunk(std::string& out, const char* type, const std::string& data)
{
  auto be32 = [&out](uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>(v >> shift));
  };
  be32(static_cast<uint32_t>(data.size()));
  const std::string body = std::string(type, 4) + data;
  out += body;
  be32(static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size()))));
}

// A well-formed PNG whose header claims width x height RGBA pixels, with a
// little image data that cannot fill them: a load gets as far as sizing the
// bitmap, then fails.
std::string ClaimedSizePng(uint32_t width, uint32_t height)
{
  std::string out("\x89PNG\r\n\x1a\n", 8);
  std::string ihdr;
  for (uint32_t v : {width, height})
    for (int shift = 24; shift >= 0; shift -= 8) ihdr.push_back(static_cast<char>(v >> shift));
  ihdr += std::string("\x08\x06\x00\x00\x00", 5);
  AppendChunk(out, "IHDR", ihdr);
  const std::string raw(64, '\0');
  uLongf packedSize = compressBound(raw.size());
  std::string packed(packedSize, '\0');
  compress(reinterpret_cast<Bytef*>(&packed[0]), &packedSize, reinterpret_cast<const Bytef*>(raw.data()), raw.size());
  packed.resize(packedSize);
  AppendChunk(out, "IDAT", packed);
  AppendChunk(out, "IEND", "");
  return out;
}

void* FailingAlloc(size_t) { return nullptr; }

// A bitmap that records the sizes asked of it and keeps none (0 x 0): a load
// into it fails after the size check, without allocating the pixels.
class SizeProbe : public GuardedBitmap
{
public:
  SizeProbe() : GuardedBitmap(0, 0) {}
  bool resize(int w, int h) override
  {
    asked.emplace_back(w, h);
    return false;
  }
  std::vector<std::pair<int, int>> asked;
};

// Where the bytes come from, and what the load is given to fill.
struct Source { const char* name; bool file; };
const Source kSources[] = {{"memory", false}, {"file", true}};

enum Target
{
  kNew,      // null: the loader makes a bitmap
  kMine,     // a 3 x 3 memory bitmap, resized
  kFlipped,  // stored bottom-up, already 7 x 5 (its resize changes nothing)
  kFixed,    // 4 x 4 and cannot be resized: refused, untouched
};

RAST_IBitmap* Load(const Source& source, const std::string& bytes, RAST_IBitmap* target, const TempDir& dir)
{
  if (!source.file) return RAST_LoadPNGFromMemory(bytes.data(), static_cast<int>(bytes.size()), target);
  WriteWholeFile(dir.File("image.png"), bytes);
  return RAST_LoadPNG(dir.File("image.png").c_str(), target);
}
}  // namespace

TEST(RAST_PNG, EveryColourTypeDepthTransparencyAndInterlacing)
{
  const unsigned seed = std::random_device{}();
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::mt19937 rng(seed);
  for (const Case& c : kCases)
    for (bool interlaced : {false, true})
    {
      std::vector<RAST_pixel> expected;
      const TestPngImage image = MakeImage(c, interlaced, rng, &expected);
      const std::string bytes = EncodeTestPng(image);
      SCOPED_TRACE(testing::Message() << "colour type " << c.colorType << ", " << c.bitDepth << " bits"
                                      << (c.trns ? ", tRNS" : "") << (interlaced ? ", interlaced" : ""));
      ASSERT_FALSE(bytes.empty());
      BitmapPtr bm = FromMemory(bytes);
      ASSERT_TRUE(bm);
      EXPECT_EQ(bm->getWidth(), 7);
      EXPECT_EQ(bm->getHeight(), 5);
      EXPECT_EQ(AllPixels(*bm), expected);
    }
}

// From a file or from memory, into a new bitmap or the caller's: the caller's
// bitmap comes back filled, top row first whatever its storage order, or the
// load is refused without a write when the bitmap cannot take the size.
TEST(RAST_PNG, EverySourceIntoEveryTarget)
{
  TempDir dir;
  std::vector<RAST_pixel> pixels;
  const std::string bytes = SmallPng(&pixels);
  for (const Source& source : kSources)
    for (Target target : {kNew, kMine, kFlipped, kFixed})
    {
      SCOPED_TRACE(testing::Message() << source.name << " into target " << target);
      RAST_MemBitmap mine(3, 3, 4);
      GuardedBitmap flipped(7, 5, 3, 64, true), fixed(4, 4);
      const std::vector<RAST_pixel> fixedBefore = fixed.Cells();
      RAST_IBitmap* const targets[] = {nullptr, &mine, &flipped, &fixed};
      RAST_IBitmap* const given = targets[target];
      RAST_IBitmap* const result = Load(source, bytes, given, dir);
      BitmapPtr made(target == kNew ? result : nullptr);
      if (target == kFixed)
      {
        EXPECT_EQ(result, nullptr);
        EXPECT_EQ(fixed.Cells(), fixedBefore);
        EXPECT_TRUE(fixed.SentinelsIntact());
        continue;
      }
      ASSERT_NE(result, nullptr);
      if (given)
      {
        EXPECT_EQ(result, given);
      }
      EXPECT_EQ(result->getWidth(), 7);
      EXPECT_EQ(result->getHeight(), 5);
      EXPECT_EQ(AllPixels(*result), pixels);
      EXPECT_TRUE(flipped.SentinelsIntact());
    }
  EXPECT_EQ(RAST_LoadPNG(dir.File("missing.png").c_str(), nullptr), nullptr);
  EXPECT_EQ(RAST_LoadPNG(dir.Path().c_str(), nullptr), nullptr) << "a folder";
  EXPECT_EQ(RAST_LoadPNG(nullptr, nullptr), nullptr);
  EXPECT_EQ(RAST_LoadPNGFromMemory(bytes.data(), 7, nullptr), nullptr);
  EXPECT_EQ(RAST_LoadPNGFromMemory("ABCDEFGH", 8, nullptr), nullptr);
  EXPECT_EQ(RAST_LoadPNGFromMemory(bytes.data(), -1, nullptr), nullptr);
  EXPECT_EQ(RAST_LoadPNGFromMemory(nullptr, 100, nullptr), nullptr);
}

// Cut at any length short of its closing IEND chunk (the last 12 bytes), or
// with a byte changed anywhere between the signature and IEND (which breaks
// a checksum), a file loads as null; LeakSanitizer checks at exit that no
// failed load left anything behind.
TEST(RAST_PNG, TruncatedOrCorruptLoadsAsNull)
{
  TempDir dir;
  const std::string bytes = SmallPng();
  const size_t iend = bytes.size() - 12;
  ASSERT_EQ(bytes.substr(iend + 4, 4), "IEND");
  for (const Source& source : kSources)
    for (size_t len = 0; len < iend; ++len)
    {
      const std::string cut = bytes.substr(0, len);
      EXPECT_EQ(Load(source, cut, nullptr, dir), nullptr) << source.name << " cut to " << len;
      RAST_MemBitmap mine(2, 2, 4);
      EXPECT_EQ(Load(source, cut, &mine, dir), nullptr) << source.name << " cut to " << len;
    }
  for (size_t at = 8; at < iend; at += 3)
  {
    std::string bad = bytes;
    bad[at] = static_cast<char>(bad[at] ^ 0x5a);
    EXPECT_FALSE(FromMemory(bad)) << "byte " << at;
  }
}

// The image's pixels are whole before IEND: a file whose IEND is missing,
// cut or damaged loads them all, from memory and from a file.
TEST(RAST_PNG, AWholeImageLoadsWithoutItsEnd)
{
  TempDir dir;
  std::vector<RAST_pixel> pixels;
  const std::string bytes = SmallPng(&pixels);
  const size_t iend = bytes.size() - 12;
  struct Case
  {
    const char* name;
    std::string bytes;
  } kCases[] = {
      {"no IEND", bytes.substr(0, iend)},
      {"IEND's length only", bytes.substr(0, iend + 4)},
      {"IEND without its checksum", bytes.substr(0, iend + 8)},
      {"IEND one byte short", bytes.substr(0, iend + 11)},
      {"IEND's checksum wrong", bytes.substr(0, iend + 8) + std::string("\0\0\0\0", 4)},
      {"IEND's name wrong", bytes.substr(0, iend + 4) + "IENX" + bytes.substr(iend + 8)},
  };
  for (const Source& source : kSources)
    for (const Case& c : kCases)
    {
      SCOPED_TRACE(std::string(source.name) + ", " + c.name);
      BitmapPtr loaded(Load(source, c.bytes, nullptr, dir));
      ASSERT_NE(loaded, nullptr);
      EXPECT_EQ(loaded->getWidth(), 7);
      EXPECT_EQ(loaded->getHeight(), 5);
      EXPECT_EQ(AllPixels(*loaded), pixels);
    }
}

// Sides up to 2^18 and up to 2^25 pixels reach the bitmap; one more is
// refused before the bitmap is touched, in 64 bits, so no size wraps.
TEST(RAST_PNG, SizeLimits)
{
  struct Size { const char* name; uint32_t w, h; bool sized; } kSizes[] = {
      {"width 2^18 - 1", 262143, 1, true},
      {"width 2^18", 262144, 1, true},
      {"width 2^18 + 1", 262145, 1, false},
      {"height 2^18", 1, 262144, true},
      {"height 2^18 + 1", 1, 262145, false},
      {"2^25 - 1 pixels", 18631, 1801, true},
      {"2^25 pixels", 8192, 4096, true},
      {"2^25 + 1 pixels", 8283, 4051, false},
      {"65536 x 16385: 4 bytes a pixel wraps 32 bits to 256 KiB", 65536, 16385, false},
      {"largest size a PNG may claim", 0x7fffffff, 0x7fffffff, false},
  };
  for (const Size& s : kSizes)
  {
    const std::string bytes = ClaimedSizePng(s.w, s.h);
    SizeProbe probe;
    EXPECT_EQ(RAST_LoadPNGFromMemory(bytes.data(), static_cast<int>(bytes.size()), &probe), nullptr) << s.name;
    std::vector<std::pair<int, int>> expected;
    if (s.sized) expected.emplace_back(static_cast<int>(s.w), static_cast<int>(s.h));
    EXPECT_EQ(probe.asked, expected) << s.name;
    EXPECT_TRUE(probe.SentinelsIntact()) << s.name;
  }
}

TEST(RAST_PNG, FailedRowTableAllocationIsALoadFailure)
{
  const std::string bytes = SmallPng();
  RAST_PNGSetRowTableAllocForTest(&FailingAlloc);
  EXPECT_FALSE(FromMemory(bytes));
  RAST_MemBitmap mine(2, 2, 4);
  EXPECT_EQ(RAST_LoadPNGFromMemory(bytes.data(), static_cast<int>(bytes.size()), &mine), nullptr);
  RAST_PNGSetRowTableAllocForTest(nullptr);
  EXPECT_TRUE(FromMemory(bytes));
}

TEST(RAST_PNG, LoaderRecordChecksTheExtension)
{
  TempDir dir;
  const std::string bytes = SmallPng();
  ASSERT_EQ(mkdir(dir.File("dir.png").c_str(), 0700), 0);
  struct Name { const char* name; bool accepted; } kNames[] = {
      {"a.PNG", true}, {".png", true}, {"b.Png", true}, {"a.png.bak", false},
      {"png", false},  {"dir.png/file", false}, {"x.jpg", false},
  };
  for (const Name& n : kNames)
  {
    const std::string path = dir.File(n.name);
    WriteWholeFile(path, bytes);
    BitmapPtr checked(RAST_PNGImageLoader_Load(path.c_str(), true, nullptr));
    EXPECT_EQ(static_cast<bool>(checked), n.accepted) << n.name;
    BitmapPtr unchecked(RAST_PNGImageLoader_Load(path.c_str(), false, nullptr));
    EXPECT_TRUE(unchecked) << n.name << " without the check";
  }
  EXPECT_EQ(RAST_PNGImageLoader_Load("", true, nullptr), nullptr);
  EXPECT_EQ(RAST_PNGImageLoader_Load("", false, nullptr), nullptr);

  RAST_PNGImageLoader_Register();
  int found = 0;
  for (RAST_ImageLoaderRec* rec = RAST_ImageLoader_list; rec; rec = rec->next)
    found += rec->load == &RAST_PNGImageLoader_Load && rec->get_extlist == &RAST_PNGImageLoader_GetExtList;
  EXPECT_EQ(found, 1) << "registered once";
}

// Names of up to 400 characters are looked up in the resources folder; a
// longer one is refused whatever the folder holds.
TEST(RAST_PNG, NamedResourceComesFromTheResourcesFolder)
{
  ResourcesFolder resources;
  TempDir& dir = resources.dir;
  const std::string folder(200, 'd');
  ASSERT_EQ(mkdir(dir.File(folder).c_str(), 0700), 0);
  struct Name { std::string name; bool loads; } kNames[] = {
      {"knob.png", true},
      {folder + "/" + std::string(194, 'k') + ".png", true},  // 399 characters
      {folder + "/" + std::string(195, 'k') + ".png", true},  // 400
      {folder + "/" + std::string(196, 'k') + ".png", false},  // 401
  };
  for (const Name& n : kNames)
  {
    WriteWholeFile(dir.File(n.name), SmallPng());
    BitmapPtr bm(RAST_LoadPNGFromNamedResource(n.name.c_str(), nullptr));
    EXPECT_EQ(static_cast<bool>(bm), n.loads) << n.name.size() << " characters";
  }
  EXPECT_EQ(RAST_LoadPNGFromNamedResource("none.png", nullptr), nullptr);
  EXPECT_EQ(RAST_LoadPNGFromNamedResource(nullptr, nullptr), nullptr);
  EXPECT_EQ(RAST_LoadPNGFromResource(1, nullptr), nullptr);
}

// The memory loader reads up to the data's end; asked for more, it raises a
// libpng error and copies nothing, so a chunk claiming gigabytes ends at once.
TEST(RAST_PNGMemoryRead, ReadsUpToTheEndAndNotPastIt)
{
  struct Case
  {
    int left;
    size_t asked;
    bool read;
    std::vector<unsigned char> out;
  };
  const Case cases[] = {
    {3, 2, true, {2, 3, 9, 9}},
    {3, 3, true, {2, 3, 4, 9}},
    {3, 4, false, {9, 9, 9, 9}},
    {0, 1, false, {9, 9, 9, 9}},
  };
  const unsigned char data[] = {1, 2, 3, 4};
  for (const Case& c : cases)
  {
    png_structp png = png_create_read_struct(
      PNG_LIBPNG_VER_STRING, nullptr, [](png_structp p, png_const_charp) { png_longjmp(p, 1); },
      [](png_structp, png_const_charp) {});
    ASSERT_NE(png, nullptr);
    RAST_PNGMemoryCursor cursor{data + 1, c.left};
    png_set_read_fn(png, &cursor, &RAST_PNGMemoryReadCallback);
    std::vector<unsigned char> out{9, 9, 9, 9};
    volatile bool read = false;
    if (setjmp(png_jmpbuf(png)) == 0)
    {
      RAST_PNGMemoryReadCallback(png, out.data(), c.asked);
      read = true;
    }
    png_destroy_read_struct(&png, nullptr, nullptr);
    EXPECT_EQ(read, c.read) << c.left << " left, " << c.asked << " asked";
    EXPECT_EQ(out, c.out) << c.left << " left, " << c.asked << " asked";
    EXPECT_EQ(cursor.left, c.read ? c.left - static_cast<int>(c.asked) : c.left);
  }
}
