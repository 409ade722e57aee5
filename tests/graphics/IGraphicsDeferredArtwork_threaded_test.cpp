// Artwork stored at twice its size and read from the resources folder: the
// load reads only each file's header, the first rescale decodes the files on
// several threads, and a palette file is never read again.
#include "support/GuiTestKit.h"
#include "support/ResourcesFolder.h"
#include "support/TempDir.h"

#include "raster/RAST_PNG.h"
#include "tools/artgen/ArtPng.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

namespace
{
// Stored image k: 16 x 8 pixels of 4 x 4 blocks, block b coloured (k, b, 7),
// written as a palette file.
void WriteBlocks(const std::string& path, int k)
{
  RAST_MemBitmap image(16, 8, 4);
  for (int b = 0; b < 8; ++b) RAST_FillRect(&image, b % 4 * 4, b / 4 * 4, 4, 4, RAST_RGBA(k, b, 7, 255), 1.0f, 0);
  std::string error;
  ASSERT_TRUE(ArtWritePng(path, &image, &error)) << error;
}

}  // namespace

TEST(PNGSize, HeaderAloneGivesTheSize)
{
  ResourcesFolder res;
  WriteBlocks(res.dir.File("ok.png"), 1);
  const std::string whole = ReadWholeFile(res.dir.File("ok.png"));
  // The header chunk ends at byte 33: one byte less is a broken header.
  WriteWholeFile(res.dir.File("cut32.png"), whole.substr(0, 32));
  WriteWholeFile(res.dir.File("text.png"), "not an image at all, not an image");
  struct Case
  {
    const char* name;
    bool ok;
    int w, h;
  } kCases[] = {{"ok.png", true, 16, 8}, {"cut32.png", false, 0, 0}, {"text.png", false, 0, 0}, {"gone.png", false, 0, 0}};
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.name);
    int w = 0, h = 0;
    EXPECT_EQ(RAST_PNGSizeFromNamedResource(c.name, &w, &h), c.ok);
    EXPECT_EQ(std::make_pair(w, h), std::make_pair(c.w, c.h));
  }
}

TEST(DeferredArtwork, RescaleDecodesEveryFileOnceOnSeveralThreads)
{
  IGraphics::ClearCachesForTest();
  ResourcesFolder res;
  constexpr int kImages = 12;
  for (int k = 0; k < kImages; ++k) WriteBlocks(res.dir.File("b" + std::to_string(k) + ".png"), k);
  // A file whose header is whole but whose pixels are cut off.
  const std::string whole = ReadWholeFile(res.dir.File("b0.png"));
  WriteWholeFile(res.dir.File("cut.png"), whole.substr(0, whole.size() - 20));

  GuiUnit unit;
  IGraphicsHeadless gui(&unit, 10, 10);
  gui.SetBitmapDivisor(2);
  std::vector<IBitmap*> images;
  for (int k = 0; k < kImages; ++k) images.push_back(gui.LoadIBitmap(100 + k, ("b" + std::to_string(k) + ".png").c_str()));
  IBitmap* cut = gui.LoadIBitmap(99, "cut.png");
  IBitmap* twin = gui.LoadIBitmap(103, "b3.png");
  ASSERT_EQ(std::make_pair(cut->W, cut->H), std::make_pair(8, 4));
  ASSERT_EQ(std::make_pair(images[5]->W, images[5]->H), std::make_pair(8, 4));
  ASSERT_EQ(RAST_GetPixel(images[5]->mData, 0, 0), 0u) << "a placeholder until the rescale";

  struct Case
  {
    double scale;
    int w, h;
    int block5x, block5y;  // where block 5 (second row, second column) lands
    bool deleteFilesAfter;
  } kCases[] = {{1.0, 8, 4, 2, 2, true}, {0.5, 4, 2, 1, 1, false}};
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.scale);
    gui.RescaleBitmaps(c.scale);
    for (int k = 0; k < kImages; ++k)
    {
      SCOPED_TRACE(k);
      ASSERT_EQ(std::make_pair(images[k]->W, images[k]->H), std::make_pair(c.w, c.h));
      EXPECT_EQ(RAST_GetPixel(images[k]->mData, c.block5x, c.block5y), RAST_RGBA(k, 5, 7, 255));
    }
    EXPECT_EQ(std::make_pair(twin->W, twin->H), std::make_pair(c.w, c.h));
    EXPECT_EQ(twin->mData, images[3]->mData);
    // Broken pixels behind a whole header leave a record that draws nothing.
    EXPECT_EQ(std::make_pair(cut->W, cut->H), std::make_pair(0, 0));
    // Palette files are kept as their colour indices: gone from the
    // folder, they still rescale.
    if (c.deleteFilesAfter)
      for (int k = 0; k < kImages; ++k) std::remove(res.dir.File("b" + std::to_string(k) + ".png").c_str());
  }
  IGraphics::ClearCachesForTest();
}
