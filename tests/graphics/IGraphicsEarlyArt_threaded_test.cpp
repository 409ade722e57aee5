// Artwork decoded ahead on threads of its own and taken by a start's
// rescale: the start's pixels are the ones it makes alone, each file's
// decode goes to one load, and what no load asked for is told and freed.
#include "support/GuiTestKit.h"
#include "support/ResourcesFolder.h"

#include "graphics/IGraphicsEarlyArt.h"
#include "graphics/IGraphicsView.h"
#include "raster/RAST_PNG.h"
#include "raster/RAST_TestBitmap.h"
#include "raster/support/RAST_TestPng.h"

#include <gtest/gtest.h>
#include <png.h>

#include <memory>
#include <string>
#include <vector>

namespace
{
// A w x h image of stripes a few pixels wide: palette indices 0..5, or the
// same colours as RGB samples, which the halving decoder turns down.
TestPngImage Stripes(int w, int h, bool palette)
{
  static const uint8_t kColours[] = {10, 20, 30, 200, 40, 0, 0, 90, 250, 255, 255, 255, 5, 5, 5, 120, 60, 180};
  TestPngImage image;
  image.width = w;
  image.height = h;
  image.colorType = palette ? PNG_COLOR_TYPE_PALETTE : PNG_COLOR_TYPE_RGB;
  if (palette) image.palette.assign(std::begin(kColours), std::end(kColours));
  image.rows.assign(image.RowBytes() * h, 0);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
    {
      const int colour = (x / 3 + y / 2) % 6;
      uint8_t* at = &image.rows[y * image.RowBytes() + x * (palette ? 1 : 3)];
      if (palette)
        at[0] = static_cast<uint8_t>(colour);
      else
        for (int c = 0; c < 3; ++c) at[c] = kColours[3 * colour + c];
    }
  return image;
}
}  // namespace

// A start at scale 1 of an even palette file and a strip (both halved), an
// RGB file asked for halved (decoded whole instead, for the whole load that
// follows) and a file decoded ahead that no start loads: the records hold
// the pixels of the same start made with nothing ahead.
TEST(EarlyArt, AStartTakesEachDecodeAndGetsItsOwnPixels)
{
  struct File
  {
    const char* name;
    int w, h, frames;
    bool palette, halved;
  } const kFiles[] = {
      {"even.png", 40, 24, 1, true, true},
      {"strip.png", 12, 36, 3, true, true},
      {"rgb.png", 20, 16, 1, false, true},
      {"unasked.png", 8, 8, 1, true, false},
  };
  ResourcesFolder res;
  std::vector<EarlyArtFile> ahead;
  for (const File& f : kFiles)
  {
    WriteWholeFile(res.dir.File(f.name), EncodeTestPng(Stripes(f.w, f.h, f.palette)));
    ahead.push_back({f.name, f.halved});
  }
  // The same start three times: alone, then with the files listed ahead
  // and no thread to decode them (the loads decode them themselves), then
  // with two threads decoding them.
  std::vector<std::vector<RAST_pixel>> alone;
  for (const int threads : {-1, 0, 2})
  {
    SCOPED_TRACE(threads < 0 ? "alone" : std::to_string(threads) + " threads");
    const bool early = threads >= 0;
    IGraphics::ClearCachesForTest();
    if (early)
    {
      EarlyArtStart(ahead, threads);
      EarlyArtSettleForTest();
    }
    GuiUnit unit;
    IGraphicsHeadless gui(&unit, 10, 10);
    gui.SetBitmapDivisor(2);
    std::vector<IBitmap*> records;
    for (size_t i = 0; i + 1 < std::size(kFiles); ++i)
      records.push_back(gui.LoadIBitmap(static_cast<int>(i) + 1, kFiles[i].name, kFiles[i].frames));
    gui.RescaleBitmaps(1.0);
    const EarlyArtReport report = EarlyArtFinish();
    for (size_t i = 0; i < records.size(); ++i)
    {
      SCOPED_TRACE(kFiles[i].name);
      ASSERT_GT(records[i]->W, 0);
      if (!early) alone.push_back(AllPixels(*records[i]->mData));
      EXPECT_EQ(AllPixels(*records[i]->mData), alone[i]);
    }
    if (early)
    {
      EXPECT_EQ(report.taken, (std::vector<std::string>{"even.png", "strip.png", "rgb.png"}));
      EXPECT_EQ(report.unused, (std::vector<std::string>{"unasked.png"}));
      // Decoded ahead, each file's decode reached its load.
      const std::vector<std::string> handed =
          threads == 0 ? std::vector<std::string>() : std::vector<std::string>({"even.png", "strip.png", "rgb.png"});
      EXPECT_EQ(report.handed, handed);
    }
    else
    {
      EXPECT_TRUE(report.taken.empty());
      EXPECT_TRUE(report.unused.empty());
    }
  }
  // Once finished, a load reads its file itself.
  std::unique_ptr<RAST_IBitmap> later(LoadPNGResource("even.png"));
  ASSERT_TRUE(later);
  EXPECT_EQ(later->getWidth(), 40);
  IGraphics::ClearCachesForTest();
}

// Two records of one file: the decode goes to the first load; the second
// reads the file itself.
TEST(EarlyArt, ADecodeGoesToOneLoad)
{
  ResourcesFolder res;
  WriteWholeFile(res.dir.File("one.png"), EncodeTestPng(Stripes(10, 6, true)));
  EarlyArtStart({{"one.png", false}}, 1);
  EarlyArtSettleForTest();
  std::unique_ptr<RAST_IBitmap> first(LoadPNGResource("one.png"));
  std::unique_ptr<RAST_IBitmap> second(LoadPNGResource("one.png"));
  ASSERT_TRUE(first && second);
  EXPECT_EQ(AllPixels(*first), AllPixels(*second));
  EXPECT_NE(first.get(), second.get());
  RAST_MemBitmap halved(0, 0, 4);
  EXPECT_FALSE(EarlyArtTakeHalved("one.png", &halved, nullptr));
  const EarlyArtReport report = EarlyArtFinish();
  EXPECT_EQ(report.taken, std::vector<std::string>{"one.png"});
  EXPECT_EQ(report.handed, std::vector<std::string>{"one.png"});
  EXPECT_TRUE(report.unused.empty());
}

// A palette file cut short breaks halfway through its decode: a halved load
// of it fails whoever decodes it, and never gets the rows read before the
// break.
TEST(EarlyArt, AFileCutShortGivesNoHalvedPixels)
{
  ResourcesFolder res;
  const std::string whole = EncodeTestPng(Stripes(64, 64, true));
  WriteWholeFile(res.dir.File("cut.png"), whole.substr(0, whole.size() * 2 / 3));
  for (const int threads : {0, 1})
  {
    SCOPED_TRACE(std::to_string(threads) + " threads");
    EarlyArtStart({{"cut.png", true}}, threads);
    EarlyArtSettleForTest();
    RAST_MemBitmap halved(0, 0, 4);
    EXPECT_FALSE(LoadPNGResourceHalved("cut.png", &halved, nullptr));
    EXPECT_TRUE(EarlyArtFinish().handed.empty());
  }
}
