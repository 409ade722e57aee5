// Large single-frame artwork of at most 256 colours holds its pixels as
// colour indices only: its records keep the whole size, and every drawing
// call (any blend, any clip, across the bands the indices are expanded in)
// gives the pixels the artwork has.
#include "support/GuiTestKit.h"

#include "raster/RAST_Blit.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace
{
constexpr RAST_pixel kSentinel = RAST_RGBA(1, 2, 3, 4);
constexpr RAST_pixel kPalette[4] = {RAST_RGBA(200, 10, 10, 255), RAST_RGBA(10, 200, 10, 128), 0,
                                    RAST_RGBA(10, 10, 200, 255)};

using Surface = RepaintSurface;

struct IndexedArtwork : ArtworkCacheTest
{
};

// Blocks of 50 x 40 of the four colours, with single pixels of the next
// colour every third column of every seventh row (so rows pack as runs and
// stretches both); colours more than the palette's when asked, in row 0.
std::unique_ptr<RAST_MemBitmap> Art(int w, int h, int colours = 4)
{
  auto art = std::make_unique<RAST_MemBitmap>(w, h, 1);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
    {
      const int index = (x / 50 + y / 40 + (x % 3 == 0 && y % 7 == 0 ? 1 : 0)) % 4;
      art->getBits()[y * art->getRowSpan() + x] = kPalette[index];
    }
  for (int x = 4; x < colours && x < w; ++x)
    art->getBits()[x] = RAST_RGBA(static_cast<uint8_t>(x), static_cast<uint8_t>(x >> 8), 77, 255);
  return art;
}

IBitmap* MadeArt(Surface& gui, RAST_MemBitmap* art, int frames = 1)
{
  gui.AddResource("art", art);
  IBitmap* record = gui.LoadIBitmap(4, "art.png", frames);
  gui.RescaleBitmaps(1.0);
  return record;
}

// The blit mode a blend draws with.
int ModeOf(const IChannelBlend* blend)
{
  if (!blend) return RAST_BLIT_USE_ALPHA;
  if (blend->mMethod == 1) return RAST_BLIT_MODE_COPY;
  return blend->mMethod == 2 ? RAST_BLIT_USE_ALPHA | RAST_BLIT_MODE_ADD : RAST_BLIT_USE_ALPHA;
}
}  // namespace

// Held as indices from a million pixels on (1025 x 1023 is one short), and
// only artwork of one frame and at most 256 colours.
TEST_F(IndexedArtwork, OnlyLargeSingleFramesOfFewColoursAreHeldAsIndices)
{
  struct Case
  {
    const char* name;
    int w, h, frames, colours;
    bool held;
  } const kCases[] = {
    {"a million pixels", 1024, 1024, 1, 4, true},
    {"one pixel short", 1025, 1023, 1, 4, false},
    {"256 colours", 1024, 1024, 1, 256, true},
    {"257 colours", 1024, 1024, 1, 257, false},
    {"a strip of two frames", 1024, 1024, 2, 4, false},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.name);
    IGraphics::ClearCachesForTest();
    GuiUnit unit;
    Surface gui(&unit, 16, 16);
    IBitmap* record = MadeArt(gui, Art(c.w, c.h, c.colours).get(), c.frames);
    EXPECT_EQ(record->mIndexed != nullptr, c.held);
    EXPECT_EQ(record->mData->getWidth(), c.held ? 0 : c.w);
    EXPECT_EQ(std::make_pair(record->W, record->H), std::make_pair(c.w, c.h + (c.frames >= 2 ? c.frames : 0)));
    // A record loaded later holds the same.
    EXPECT_EQ(gui.LoadIBitmap(4, "art.png", c.frames)->mIndexed, record->mIndexed);
  }
}

// Drawn with each blend, from each corner and across the bands it is
// expanded in, the artwork gives what a blit of its own pixels gives.
TEST_F(IndexedArtwork, DrawsThePixelsOfTheArtwork)
{
  GuiUnit unit;
  Surface gui(&unit, 200, 150);
  const std::unique_ptr<RAST_MemBitmap> art = Art(1024, 1024);
  IBitmap* record = MadeArt(gui, art.get());
  ASSERT_NE(record->mIndexed, nullptr);
  const IChannelBlend copy(1, 1.0f), add(2, 0.5f), none(0, 0.0f);
  const IRECT all(0, 0, 200, 150);
  struct Case
  {
    const char* name;
    IRECT dest, repaint;
    int srcX, srcY;
    const IChannelBlend* blend;
  } const kCases[] = {
    {"top left, alpha", all, all, 0, 0, nullptr},
    {"across bands 63 to 64 and 127 to 128", all, all, 10, 30, nullptr},
    {"plain copy", all, all, 37, 60, &copy},
    {"added at half", all, all, 37, 60, &add},
    {"weight 0", all, all, 37, 60, &none},
    {"bottom right corner past the art", all, all, 900, 950, nullptr},
    {"repaint of a part", all, IRECT(20, 63, 61, 66), 5, 5, nullptr},
    {"placed off the surface", IRECT(-30, -70, 170, 80), all, 0, 0, &copy},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.name);
    RAST_Clear(gui.GetDrawBitmap(), kSentinel);
    gui.SetRepaint(c.repaint);
    EXPECT_TRUE(gui.DrawBitmap(record, &c.dest, c.srcX, c.srcY, c.blend));
    RAST_MemBitmap expected(200, 150, 4);
    RAST_Clear(&expected, kSentinel);
    const IRECT clip = c.dest.Intersect(c.repaint).Intersect(all);
    RAST_Blit(&expected, art.get(), clip.L, clip.T, c.srcX + clip.L - c.dest.L, c.srcY + clip.T - c.dest.T, clip.W(),
              clip.H(), c.blend ? c.blend->mWeight : 1.0f, ModeOf(c.blend));
    int wrong = 0;
    for (int y = 0; y < 150; ++y)
      for (int x = 0; x < 200; ++x)
        if (RAST_GetPixel(gui.GetDrawBitmap(), x, y) != RAST_GetPixel(&expected, x, y) && wrong++ < 3)
          ADD_FAILURE() << x << "," << y;
    EXPECT_EQ(wrong, 0);
  }
  // A few of them by value: the top left block, the semi-transparent green
  // of the next block, a pixel of the next colour at (3, 7), and the block
  // of transparent black.
  RAST_Clear(gui.GetDrawBitmap(), kSentinel);
  gui.SetRepaint(all);
  EXPECT_TRUE(gui.DrawBitmap(record, &all, 0, 0, &copy));
  EXPECT_EQ(RAST_GetPixel(gui.GetDrawBitmap(), 1, 1), RAST_RGBA(200, 10, 10, 255));
  EXPECT_EQ(RAST_GetPixel(gui.GetDrawBitmap(), 50, 1), RAST_RGBA(10, 200, 10, 128));
  EXPECT_EQ(RAST_GetPixel(gui.GetDrawBitmap(), 3, 7), RAST_RGBA(10, 200, 10, 128));
  EXPECT_EQ(RAST_GetPixel(gui.GetDrawBitmap(), 100, 1), 0u);
}

// Traded back from the scale before, the indices come back with the
// pixels; copies cut from the artwork read it whole.
TEST_F(IndexedArtwork, TradedBackAndCutFromTheSameArtwork)
{
  GuiUnit unit;
  Surface gui(&unit, 16, 16);
  IBitmap* record = MadeArt(gui, Art(1024, 1024).get());
  const RAST_IndexedImage* held = record->mIndexed;
  ASSERT_NE(held, nullptr);
  gui.RescaleBitmaps(1.5);
  EXPECT_EQ(std::make_pair(record->W, record->H), std::make_pair(1536, 1536));
  gui.RescaleBitmaps(1.0);
  EXPECT_EQ(record->mIndexed, held);
  EXPECT_EQ(std::make_pair(record->W, record->H), std::make_pair(1024, 1024));

  const IRECT r(48, 5, 52, 7);
  IBitmap cut = gui.CropBitmap(record, &r);
  ASSERT_EQ(std::make_pair(cut.mData->getWidth(), cut.mData->getHeight()), std::make_pair(4, 2));
  EXPECT_EQ(cut.mIndexed, nullptr);
  EXPECT_EQ(RAST_GetPixel(cut.mData, 0, 0), RAST_RGBA(200, 10, 10, 255));
  EXPECT_EQ(RAST_GetPixel(cut.mData, 2, 0), RAST_RGBA(10, 200, 10, 128));
  EXPECT_EQ(RAST_GetPixel(cut.mData, 3, 1), RAST_RGBA(10, 200, 10, 128));
  // (51, 7) lies on a seventh row's third column: the next colour.
  const IRECT seventh(51, 7, 52, 8);
  EXPECT_EQ(RAST_GetPixel(gui.CropBitmap(record, &seventh).mData, 0, 0), 0u);
}
