// Palette artwork halved as it is decoded gives the resampler's bytes: the
// decoder's 2 x 2 means against the whole decode resampled to half, the kinds
// it turns down, and a start at scale 1 from the resources folder whose
// pixels (and those of a later scale, from the kept indices) are the ones
// the whole decode gives.
#include "support/GuiTestKit.h"
#include "support/ResourcesFolder.h"
#include "support/TempDir.h"

#include "raster/RAST_IndexedImage.h"
#include "raster/RAST_PNG.h"
#include "raster/RAST_TestBitmap.h"
#include "raster/support/RAST_TestPng.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace
{
// A w x h palette image of 2^depth random colours, three quarters of them
// with a random alpha, and random indices in runs of 1 to 4 (artwork's flat
// stretches beside single pixels).
TestPngImage RandomPalette(int w, int h, int depth, bool interlaced, std::mt19937& rng)
{
  TestPngImage image;
  image.width = w;
  image.height = h;
  image.colorType = PNG_COLOR_TYPE_PALETTE;
  image.bitDepth = depth;
  image.interlaced = interlaced;
  const int colours = 1 << depth;
  for (int i = 0; i < 3 * colours; ++i) image.palette.push_back(static_cast<uint8_t>(rng()));
  for (int i = 0; i < colours * 3 / 4; ++i) image.trnsAlpha.push_back(static_cast<uint8_t>(rng()));
  image.rows.assign(image.RowBytes() * h, 0);
  const int perByte = 8 / depth;
  int index = 0, left = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
    {
      if (left-- == 0)
      {
        index = static_cast<int>(rng() % colours);
        left = static_cast<int>(rng() % 4);
      }
      image.rows[y * image.RowBytes() + x / perByte] |=
          static_cast<uint8_t>(index << (8 - depth * (x % perByte + 1)));
    }
  return image;
}

// The reference: the whole image resampled to half by the GUI's resampler.
std::vector<RAST_pixel> ResampledToHalf(RAST_IBitmap* whole, int frames = 1)
{
  RAST_MemBitmap half(whole->getWidth() / 2, whole->getHeight() / 2 + (frames >= 2 ? frames : 0), 4);
  IGraphics::ResampleBitmap(whole, &half, frames, false);
  return AllPixels(half);
}

}  // namespace

TEST(HalvedDecode, TheResamplersBytesOrTurnedDown)
{
  const unsigned seed = std::random_device{}();
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::mt19937 rng(seed);
  struct Case
  {
    const char* name;
    int w, h, depth;
    bool interlaced;
    RAST_PNGHalved outcome;
  } kCases[] = {
      {"2 x 2", 2, 2, 8, false, RAST_PNGHalved::kHalved},
      {"6 x 4", 6, 4, 8, false, RAST_PNGHalved::kHalved},
      {"38 x 26", 38, 26, 8, false, RAST_PNGHalved::kHalved},
      {"odd width 7 x 4", 7, 4, 8, false, RAST_PNGHalved::kCannot},
      {"odd height 6 x 5", 6, 5, 8, false, RAST_PNGHalved::kCannot},
      {"interlaced 6 x 4", 6, 4, 8, true, RAST_PNGHalved::kCannot},
      {"4-bit 6 x 4", 6, 4, 4, false, RAST_PNGHalved::kCannot},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.name);
    const std::string bytes = EncodeTestPng(RandomPalette(c.w, c.h, c.depth, c.interlaced, rng));
    ASSERT_FALSE(bytes.empty());
    const int len = static_cast<int>(bytes.size());
    std::unique_ptr<RAST_IBitmap> whole(RAST_LoadPNGFromMemory(bytes.data(), len, nullptr));
    ASSERT_TRUE(whole);
    RAST_MemBitmap half(0, 0, 4);
    RAST_IndexedImage indices;
    ASSERT_EQ(RAST_LoadPNGHalvedFromMemory(bytes.data(), len, &half, &indices), c.outcome);
    if (c.outcome != RAST_PNGHalved::kHalved)
    {
      EXPECT_EQ(half.getWidth(), 0);
      EXPECT_TRUE(indices.Empty());
      continue;
    }
    EXPECT_EQ(AllPixels(half), ResampledToHalf(whole.get()));
    RAST_MemBitmap expanded(0, 0, 4);
    ASSERT_TRUE(indices.ExpandInto(&expanded));
    EXPECT_EQ(AllPixels(expanded), AllPixels(*whole)) << "the kept indices are the whole image";
    // Cut inside its image data, the same file is refused.
    RAST_MemBitmap cut(0, 0, 4);
    EXPECT_EQ(RAST_LoadPNGHalvedFromMemory(bytes.data(), len - 20, &cut, &indices), RAST_PNGHalved::kFailed);
    EXPECT_TRUE(indices.Empty());
  }
}

// A start at scale 1 halves the even palette files as it decodes them (a
// strip whose frames split into whole 2 x 2 blocks spread out afterwards)
// and resamples the rest (an odd side, frames of an odd height) from the
// whole decode; all come out as the whole decode resampled. Later scales
// expand the kept indices, the files gone.
TEST(HalvedDecode, StartAtScaleOneFromTheResourcesFolder)
{
  IGraphics::ClearCachesForTest();
  ResourcesFolder res;
  std::mt19937 rng(11);
  struct File
  {
    const char* name;
    int w, h, frames;
    int halfW, halfH;  // the record at scale 1
  } kFiles[] = {
      {"even.png", 40, 24, 1, 20, 12},
      {"oddwidth.png", 41, 24, 1, 20, 12},
      {"strip.png", 12, 36, 3, 6, 21},
      {"fiveframes.png", 12, 30, 5, 6, 20},
      {"oddframes.png", 12, 30, 2, 6, 17},
      {"oddstrip.png", 12, 27, 3, 6, 16},
  };
  std::vector<std::unique_ptr<RAST_IBitmap>> wholes;
  GuiUnit unit;
  IGraphicsHeadless gui(&unit, 10, 10);
  gui.SetBitmapDivisor(2);
  std::vector<IBitmap*> records;
  for (const File& f : kFiles)
  {
    const std::string bytes = EncodeTestPng(RandomPalette(f.w, f.h, 8, false, rng));
    WriteWholeFile(res.dir.File(f.name), bytes);
    wholes.emplace_back(RAST_LoadPNGFromMemory(bytes.data(), static_cast<int>(bytes.size()), nullptr));
    ASSERT_TRUE(wholes.back());
    records.push_back(gui.LoadIBitmap(static_cast<int>(records.size()) + 1, f.name, f.frames));
  }
  gui.RescaleBitmaps(1.0);
  for (size_t i = 0; i < records.size(); ++i)
  {
    const File& f = kFiles[i];
    SCOPED_TRACE(f.name);
    ASSERT_EQ(std::make_pair(records[i]->W, records[i]->H), std::make_pair(f.halfW, f.halfH));
    EXPECT_EQ(AllPixels(*records[i]->mData), ResampledToHalf(wholes[i].get(), f.frames));
    std::remove(res.dir.File(f.name).c_str());
  }
  // Back at 1 by way of two other scales: the kept indices, expanded and
  // resampled.
  gui.RescaleBitmaps(1.5);
  gui.RescaleBitmaps(0.5);
  gui.RescaleBitmaps(1.0);
  for (size_t i = 0; i < records.size(); ++i)
  {
    SCOPED_TRACE(kFiles[i].name);
    EXPECT_EQ(AllPixels(*records[i]->mData), ResampledToHalf(wholes[i].get(), kFiles[i].frames));
  }
  IGraphics::ClearCachesForTest();
}
