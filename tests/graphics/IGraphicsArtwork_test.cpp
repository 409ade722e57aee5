// The surface's bitmap and font caches, the GUI-scale resampler, bitmap
// blits within the repaint area and the background control.
#include "support/GuiTestKit.h"

#include "graphics/controls/IBitmapControl.h"
#include "graphics/controls/IKnobControl.h"
#include "graphics/controls/ISwitchControl.h"
#include "raster/RAST_Blit.h"
#include "raster/support/RAST_TestPng.h"
#include "support/ResourcesFolder.h"
#include "raster/RAST_Simd.h"

#include <gtest/gtest.h>

#include <iterator>
#include <map>
#include <random>
#include <cstdlib>
#include <cstdio>

namespace
{
constexpr RAST_pixel kSentinel = RAST_RGBA(1, 2, 3, 4);

using Surface = RepaintSurface;

struct Caches : ArtworkCacheTest
{
};

// A vertical strip whose frame k (1-based) is filled with red 10 * k.
std::unique_ptr<RAST_MemBitmap> Strip(int w, int h, int frames)
{
  auto strip = std::make_unique<RAST_MemBitmap>(w, h, 4);
  for (int k = 0; k < frames; ++k)
    RAST_FillRect(strip.get(), 0, k * h / frames, w, h / frames, RAST_RGBA(10 * (k + 1), 0, 0, 255), 1.0f, 0);
  return strip;
}

std::unique_ptr<RAST_MemBitmap> Grid(int w, int h, const std::vector<RAST_pixel>& pixels)
{
  auto grid = std::make_unique<RAST_MemBitmap>(w, h, 1);
  for (int i = 0; i < w * h; ++i) grid->getBits()[(i / w) * grid->getRowSpan() + i % w] = pixels[i];
  return grid;
}

RAST_pixel Red(int r, int a = 255) { return RAST_RGBA(r, 0, 0, a); }
}  // namespace

TEST_F(Caches, StripKeepsItsSizeAndFramesThroughRescales)
{
  GuiUnit unit;
  Surface gui(&unit, 10, 10);
  gui.SetBitmapDivisor(2);
  gui.AddResource("strip", Strip(400, 1200, 3).get());
  IBitmap* a = gui.LoadIBitmap(7, "strip.png", 3);
  IBitmap* b = gui.LoadIBitmap(7, "strip.png", 3);
  // The second load of an id before any rescale still reports the
  // artwork's size, not its placeholder's.
  EXPECT_EQ(std::make_pair(a->W, a->H), std::make_pair(200, 600));
  EXPECT_EQ(std::make_pair(b->W, b->H), std::make_pair(200, 600));
  EXPECT_EQ(gui.mLoadedResources.size(), 1u);

  // The first rescale uses the decode of the load; later ones expand the
  // colour indices kept from it.
  struct Case
  {
    double scale;
    int w, h;
    int frame2Row;
  } kCases[] = {{1.0, 200, 603, 201}, {1.5, 300, 903, 301}, {0.5, 100, 303, 101}};
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.scale);
    gui.RescaleBitmaps(c.scale);
    EXPECT_EQ(gui.mLoadedResources.size(), 1u);
    EXPECT_EQ(std::make_pair(a->W, a->H), std::make_pair(c.w, c.h));
    EXPECT_EQ(std::make_pair(b->W, b->H), std::make_pair(c.w, c.h));
    EXPECT_EQ(a->mData, b->mData);
    // Frame 2 starts right after one clear row.
    EXPECT_EQ(RAST_GetPixel(a->mData, 0, 0), Red(10));
    EXPECT_EQ(RAST_GetPixel(a->mData, 0, c.frame2Row - 1), 0u);
    EXPECT_EQ(RAST_GetPixel(a->mData, 0, c.frame2Row), Red(20));
  }
  // A load after the rescale gets the resampled size.
  IBitmap* later = gui.LoadIBitmap(7, "strip.png", 3);
  EXPECT_EQ(std::make_pair(later->W, later->H), std::make_pair(100, 303));
}

// An image of up to 256 colours is decoded once; one of more is read again
// at every rescale. Each 2 x 2 block has its own colour, so the rescale at
// 1.0 gives each colour back as one pixel.
TEST_F(Caches, ImagesOfAtMost256ColoursAreDecodedOnce)
{
  struct Case
  {
    int colours;
    size_t loads;  // after three rescales
    RAST_pixel last;
  } kCases[] = {
    {255, 1, RAST_RGBA(254, 0, 7, 255)},
    {256, 1, RAST_RGBA(255, 0, 7, 255)},
    {257, 3, RAST_RGBA(0, 1, 7, 255)},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.colours);
    IGraphics::ClearCachesForTest();
    GuiUnit unit;
    Surface gui(&unit, 10, 10);
    gui.SetBitmapDivisor(2);
    RAST_MemBitmap blocks(2, 2 * c.colours, 4);
    for (int k = 0; k < c.colours; ++k)
      RAST_FillRect(&blocks, 0, 2 * k, 2, 2, RAST_RGBA(k % 256, k / 256, 7, 255), 1.0f, 0);
    gui.AddResource("blocks", &blocks);
    IBitmap* image = gui.LoadIBitmap(5, "blocks.png");
    for (int i = 0; i < 3; ++i)
    {
      gui.RescaleBitmaps(1.0);
      ASSERT_EQ(std::make_pair(image->W, image->H), std::make_pair(1, c.colours));
      EXPECT_EQ(RAST_GetPixel(image->mData, 0, 0), RAST_RGBA(0, 0, 7, 255));
      EXPECT_EQ(RAST_GetPixel(image->mData, 0, c.colours - 1), c.last);
    }
    EXPECT_EQ(gui.mLoadedResources.size(), c.loads);
  }
}

// A change back to the smaller scale before takes the pixels kept from it:
// the file of more than 256 colours, read again at every new scale, is not
// read when the scale goes 150 % and back, and the pixels are those of the
// scale. The larger scale's pixels are not kept once the scale is back
// down (their memory is given back): 150 % again reads the file, and so
// does a change up from 50 %.
TEST_F(Caches, ChangeBackToTheScaleBeforeReadsNothing)
{
  GuiUnit unit;
  Surface gui(&unit, 10, 10);
  gui.SetBitmapDivisor(2);
  RAST_MemBitmap blocks(4, 2 * 257, 4);
  for (int k = 0; k < 257; ++k)
    RAST_FillRect(&blocks, 0, 2 * k, 4, 2, RAST_RGBA(k % 256, k / 256, 7, 255), 1.0f, 0);
  gui.AddResource("blocks", &blocks);
  IBitmap* image = gui.LoadIBitmap(5, "blocks.png");
  IBitmap* again = gui.LoadIBitmap(5, "blocks.png");
  struct Case
  {
    double scale;
    size_t loads;  // files read so far
    int w, h;
  } kCases[] = {
    {1.0, 1, 2, 257}, {1.5, 2, 3, 385}, {1.0, 2, 2, 257}, {1.5, 3, 3, 385},
    {1.0, 3, 2, 257}, {0.5, 4, 1, 128}, {1.0, 5, 2, 257}, {1.5, 6, 3, 385}, {1.0, 6, 2, 257},
  };
  std::map<double, std::vector<RAST_pixel>> resampled;
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.scale);
    gui.RescaleBitmaps(c.scale);
    EXPECT_EQ(gui.mLoadedResources.size(), c.loads);
    EXPECT_EQ(std::make_pair(image->W, image->H), std::make_pair(c.w, c.h));
    EXPECT_EQ(std::make_pair(again->W, again->H), std::make_pair(c.w, c.h));
    EXPECT_EQ(image->mData->getWidth(), c.w);
    EXPECT_EQ(RAST_GetPixel(image->mData, 0, 0), RAST_RGBA(0, 0, 7, 255));
    // The pixels traded back are those the scale's own resampling gave.
    std::vector<RAST_pixel> pixels;
    for (int y = 0; y < c.h; ++y)
      for (int x = 0; x < c.w; ++x) pixels.push_back(RAST_GetPixel(image->mData, x, y));
    if (!resampled.count(c.scale)) resampled[c.scale] = pixels;
    EXPECT_EQ(pixels, resampled[c.scale]);
  }
}

TEST_F(Caches, MissingFileGivesAnEmptyRecordThatDrawsNothing)
{
  GuiUnit unit;
  Surface gui(&unit, 20, 20);
  gui.SetBitmapDivisor(2);
  IBitmap* missing = gui.LoadIBitmap(9, "img/orig/none-2x.png");
  ASSERT_NE(missing, nullptr);
  EXPECT_EQ(std::make_pair(missing->W, missing->H), std::make_pair(0, 0));
  gui.RescaleBitmaps(1.0);
  EXPECT_EQ(std::make_pair(missing->W, missing->H), std::make_pair(0, 0));
  RAST_Clear(gui.GetDrawBitmap(), kSentinel);
  gui.SetRepaint(IRECT(0, 0, 20, 20));
  const IRECT dest(0, 0, 20, 20);
  EXPECT_TRUE(gui.DrawIBitmap(missing, &dest, 1, nullptr));
  EXPECT_EQ(RAST_GetPixel(gui.GetDrawBitmap(), 0, 0), kSentinel);
}

// A closed panel's artwork is not made by the rescale: its records take the
// size it will have and its pixels wait for the first draw, which makes
// them as the rescale would have.
TEST_F(Caches, HiddenArtworkWaitsForItsFirstDraw)
{
  GuiUnit unit;
  Surface gui(&unit, 20, 20);
  gui.SetBitmapDivisor(2);
  std::vector<RAST_pixel> pattern;
  for (int i = 0; i < 64; ++i) pattern.push_back(Red(i * 4));
  gui.AddResource("plate", Grid(8, 8, pattern).get());
  IBitmap* closed = gui.LoadIBitmap(9, "plate.png");
  IBitmap* preloaded = gui.LoadIBitmap(9, "plate.png");  // drawn by no control
  IBitmap* shown = gui.LoadIBitmap(10, "plate.png");
  auto* panel = new IBitmapControl(&unit, 0, 0, -1, closed);
  auto* visible = new IBitmapControl(&unit, 0, 0, -1, shown);
  gui.AttachControl(panel);
  gui.AttachControl(visible);
  panel->Hide(true);

  gui.RescaleBitmaps(1.5);
  EXPECT_EQ(std::make_pair(closed->W, closed->H), std::make_pair(6, 6));
  EXPECT_EQ(std::make_pair(preloaded->W, preloaded->H), std::make_pair(6, 6));
  EXPECT_EQ(closed->mData->getWidth(), 0);
  EXPECT_EQ(shown->mData->getWidth(), 6);
  // A record loaded while the pixels wait takes their size too.
  IBitmap* late = gui.LoadIBitmap(9, "plate.png");
  EXPECT_EQ(std::make_pair(late->W, late->H), std::make_pair(6, 6));

  panel->Hide(false);
  RAST_Clear(gui.GetDrawBitmap(), kSentinel);
  gui.SetRepaint(IRECT(0, 0, 20, 20));
  const IRECT dest(0, 0, 6, 6);
  EXPECT_TRUE(gui.DrawIBitmap(closed, &dest, 1, nullptr));
  ASSERT_EQ(closed->mData->getWidth(), 6);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 6; ++x)
      ASSERT_EQ(RAST_GetPixel(closed->mData, x, y), RAST_GetPixel(shown->mData, x, y)) << x << "," << y;
  EXPECT_NE(RAST_GetPixel(gui.GetDrawBitmap(), 5, 5), kSentinel);
  EXPECT_EQ(RAST_GetPixel(gui.GetDrawBitmap(), 6, 6), kSentinel);

  // Made once, the pixels follow every later rescale as any others do,
  // hidden or not.
  panel->Hide(true);
  gui.RescaleBitmaps(1.0);
  EXPECT_EQ(closed->mData->getWidth(), 4);
  EXPECT_EQ(std::make_pair(late->W, late->H), std::make_pair(4, 4));
}

// A closed overlay (the about box) shows none of its artwork: a rescale
// leaves it waiting, a draw while closed makes nothing, the first draw
// open makes it at the scale of the rescale.
TEST_F(Caches, ClosedOverlayArtworkWaitsUntilItOpens)
{
  GuiUnit unit;
  Surface gui(&unit, 20, 20);
  gui.SetBitmapDivisor(2);
  gui.AddResource("about", Grid(8, 8, std::vector<RAST_pixel>(64, Red(200))).get());
  IBitmap* about = gui.LoadIBitmap(9, "about.png");
  auto* overlay = new IBitmapOverlayControl(&unit, 0, 0, about, IRECT(0, 0, 2, 2));
  gui.AttachControl(overlay);

  gui.RescaleBitmaps(1.5);
  EXPECT_EQ(std::make_pair(about->W, about->H), std::make_pair(6, 6));
  EXPECT_EQ(about->mData->getWidth(), 0);
  gui.SetRepaint(IRECT(0, 0, 20, 20));
  EXPECT_TRUE(overlay->Draw(&gui));
  EXPECT_EQ(about->mData->getWidth(), 0);

  overlay->SetValueFromPlug(1.0);
  RAST_Clear(gui.GetDrawBitmap(), kSentinel);
  EXPECT_TRUE(overlay->Draw(&gui));
  ASSERT_EQ(about->mData->getWidth(), 6);
  // Its rectangle is the one it was built with: 4 x 4 at the origin.
  EXPECT_EQ(RAST_GetPixel(gui.GetDrawBitmap(), 0, 0), Red(200));
  EXPECT_EQ(RAST_GetPixel(gui.GetDrawBitmap(), 3, 3), Red(200));
  EXPECT_EQ(RAST_GetPixel(gui.GetDrawBitmap(), 4, 4), kSentinel);
}

// A hidden strip knob (a FLEXI range slider before its value is learnt)
// leaves its strip waiting like a hidden plate; shown, its first draw makes
// the strip with every frame in place.
TEST_F(Caches, HiddenKnobStripWaitsForItsFirstDraw)
{
  GuiUnit unit;
  Surface gui(&unit, 20, 40);
  gui.SetBitmapDivisor(2);
  gui.AddResource("strip", Strip(4, 16, 4).get());
  IBitmap* strip = gui.LoadIBitmap(11, "strip.png", 4);
  auto* knob = new IKnobMultiControl(&unit, 0, 0, -1, strip);
  gui.AttachControl(knob);
  knob->Hide(true);

  gui.RescaleBitmaps(1.0);
  EXPECT_EQ(strip->mData->getWidth(), 0);
  EXPECT_EQ(std::make_pair(strip->W, strip->H), std::make_pair(2, 12));

  knob->Hide(false);
  RAST_Clear(gui.GetDrawBitmap(), kSentinel);
  gui.SetRepaint(IRECT(0, 0, 20, 40));
  EXPECT_TRUE(knob->Draw(&gui));
  ASSERT_EQ(strip->mData->getWidth(), 2);
  EXPECT_EQ(strip->mData->getHeight(), 12);
  // Frame 1 (red 10) is drawn at the value 0.
  EXPECT_EQ(RAST_GetPixel(gui.GetDrawBitmap(), 0, 0), Red(10));
}

// A waiting file that cannot be read at its first draw leaves its records
// empty; read again at a later scale, the artwork is made, and a change back
// to the scale of the failed draw makes it again rather than trading in the
// empty pixels of that draw.
TEST_F(Caches, WaitingArtworkWhoseFileFailsAtTheDrawComesBackWhole)
{
  ResourcesFolder resources;
  const std::string file = resources.dir.File("plate.png"), aside = resources.dir.File("aside.png");
  WriteWholeFile(file, EncodeBitmapPng(*Grid(8, 8, std::vector<RAST_pixel>(64, Red(200)))));
  GuiUnit unit;
  Surface gui(&unit, 20, 20);
  gui.SetBitmapDivisor(2);
  IBitmap* plate = gui.LoadIBitmap(9, "plate.png");
  auto* panel = new IBitmapControl(&unit, 0, 0, -1, plate);
  gui.AttachControl(panel);
  panel->Hide(true);
  gui.RescaleBitmaps(2.0);
  EXPECT_EQ(std::make_pair(plate->W, plate->H), std::make_pair(8, 8));

  ASSERT_EQ(std::rename(file.c_str(), aside.c_str()), 0);
  panel->Hide(false);
  gui.SetRepaint(IRECT(0, 0, 20, 20));
  const IRECT dest(0, 0, 8, 8);
  EXPECT_TRUE(gui.DrawIBitmap(plate, &dest, 1, nullptr));
  EXPECT_EQ(std::make_pair(plate->W, plate->H), std::make_pair(0, 0));

  ASSERT_EQ(std::rename(aside.c_str(), file.c_str()), 0);
  gui.RescaleBitmaps(1.0);
  EXPECT_EQ(std::make_pair(plate->W, plate->H), std::make_pair(4, 4));
  gui.RescaleBitmaps(2.0);
  EXPECT_EQ(std::make_pair(plate->W, plate->H), std::make_pair(8, 8));
  ASSERT_EQ(plate->mData->getWidth(), 8);
  EXPECT_EQ(RAST_GetPixel(plate->mData, 7, 7), Red(200));
}

TEST(ResampleBitmapData, HandWorkedShrinkAndEnlarge)
{
  struct Case
  {
    const char* name;
    int sw, sh, dw, dh;
    std::vector<RAST_pixel> src, expected;
  } kCases[] = {
    {"4x4 to 2x2 averages 2x2 taps", 4, 4, 2, 2,
     {Red(0), Red(10), Red(20), Red(30), Red(40), Red(50), Red(60), Red(70), Red(80), Red(90), Red(100),
      Red(110), Red(120), Red(130), Red(140), Red(150)},
     {Red(25), Red(45), Red(105), Red(125)}},
    // Enlarging interpolates; the column and row past the source read 0.
    {"2x2 to 4x4 interpolates", 2, 2, 4, 4,
     {Red(100), Red(200), Red(60), Red(20)},
     {Red(100), Red(150), Red(200), Red(100, 127),  //
      Red(80), Red(95), Red(110), Red(55, 127),     //
      Red(60), Red(40), Red(20), Red(10, 127),      //
      Red(30, 127), Red(20, 127), Red(10, 127), Red(5, 63)}},
    {"3x1 to 2x1 averages shifted taps", 3, 1, 2, 1,
     {Red(30), Red(90), Red(150)},
     {Red(60), Red(97, 191)}},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.name);
    auto src = Grid(c.sw, c.sh, c.src);
    RAST_MemBitmap dst(c.dw, c.dh, 1);
    IGraphics::ResampleBitmap(src.get(), &dst, 1, false);
    std::vector<RAST_pixel> got;
    for (int y = 0; y < c.dh; ++y)
      for (int x = 0; x < c.dw; ++x) got.push_back(RAST_GetPixel(&dst, x, y));
    EXPECT_EQ(got, c.expected);
  }
}

// The AVX2 row passes against the SSE2 ones on random pixels: shrinking at
// the 2-to-1.5 ratio of a start at 1.5, at odd and at wider ratios,
// enlarging, every destination width 1..9, and strips, whose frames read
// up to a width bound inside the source.
TEST(ResampleBitmapData, WideLanesGiveTheReferenceBytes)
{
  if (RAST_SupportedSimdLevel() != RAST_SimdLevel::AVX2) GTEST_SKIP() << "no AVX2";
  struct Case
  {
    int sw, sh, dw, dh, frames;
    bool horiz;
  } kCases[] = {
    {40, 28, 30, 21, 1, false}, {37, 23, 29, 17, 1, false}, {25, 25, 10, 10, 1, false},
    {7, 5, 19, 13, 1, false},   {60, 20, 48, 15, 3, true},  {20, 42, 15, 33, 2, false},
  };
  std::vector<Case> cases(std::begin(kCases), std::end(kCases));
  for (int dw = 1; dw <= 9; ++dw) cases.push_back({13, 6, dw, 4, 1, false});
  const unsigned seed = std::random_device{}();
  SCOPED_TRACE(testing::Message() << "seed " << seed);
  std::mt19937 rng(seed);
  for (const Case& c : cases)
  {
    SCOPED_TRACE(testing::Message() << c.sw << "x" << c.sh << " to " << c.dw << "x" << c.dh);
    RAST_MemBitmap src(c.sw, c.sh, 1);
    for (int y = 0; y < c.sh; ++y)
      for (int x = 0; x < c.sw; ++x) src.getBits()[y * src.getRowSpan() + x] = static_cast<RAST_pixel>(rng());
    RAST_MemBitmap reference(c.dw, c.dh, 1), wide(c.dw, c.dh, 1);
    RAST_SetSimdLevel(RAST_SimdLevel::SSE2);
    IGraphics::ResampleBitmap(&src, &reference, c.frames, c.horiz);
    RAST_SetSimdLevel(RAST_SimdLevel::AVX2);
    IGraphics::ResampleBitmap(&src, &wide, c.frames, c.horiz);
    for (int y = 0; y < c.dh; ++y)
      for (int x = 0; x < c.dw; ++x)
        ASSERT_EQ(RAST_GetPixel(&wide, x, y), RAST_GetPixel(&reference, x, y)) << "at " << x << "," << y;
  }
}

TEST_F(Caches, BlitsStayInsideTheRepaintArea)
{
  GuiUnit unit;
  Surface gui(&unit, 40, 40);
  gui.AddResource("solid", Strip(40, 40, 1).get());
  IBitmap* solid = gui.LoadIBitmap(3, "solid.png");
  struct Case
  {
    const char* name;
    IRECT repaint, dest;
    int x, y;
    bool painted;
  } kCases[] = {
    {"inside", IRECT(10, 10, 20, 20), IRECT(0, 0, 40, 40), 10, 10, true},
    {"last pixel inside", IRECT(10, 10, 20, 20), IRECT(0, 0, 40, 40), 19, 19, true},
    {"left of the area", IRECT(10, 10, 20, 20), IRECT(0, 0, 40, 40), 9, 10, false},
    {"right of the area", IRECT(10, 10, 20, 20), IRECT(0, 0, 40, 40), 20, 10, false},
    {"below the area", IRECT(10, 10, 20, 20), IRECT(0, 0, 40, 40), 10, 20, false},
    {"dest apart from the area", IRECT(10, 10, 20, 20), IRECT(25, 25, 40, 40), 30, 30, false},
    {"empty area", IRECT(), IRECT(0, 0, 40, 40), 0, 0, false},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.name);
    RAST_Clear(gui.GetDrawBitmap(), kSentinel);
    gui.SetRepaint(c.repaint);
    gui.DrawBitmap(solid, &c.dest, 0, 0, nullptr);
    EXPECT_EQ(RAST_GetPixel(gui.GetDrawBitmap(), c.x, c.y), c.painted ? Red(10) : kSentinel);
  }
}

TEST_F(Caches, BlendMethodsPickTheCombineRule)
{
  GuiUnit unit;
  Surface gui(&unit, 4, 1);
  auto src = Grid(4, 1, {Red(200, 0), Red(200, 128), Red(200, 255), RAST_RGBA(0, 100, 0, 255)});
  gui.AddResource("src", src.get());
  IBitmap* bitmap = gui.LoadIBitmap(4, "src.png");
  gui.SetRepaint(IRECT(0, 0, 4, 1));
  const IRECT dest(0, 0, 4, 1);
  struct Case
  {
    const char* name;
    bool withBlend;
    IChannelBlend blend;
    std::vector<RAST_pixel> expected;
  } kCases[] = {
    // Transparent pixels leave the panel; half-transparent ones mix.
    {"no blend weighs by alpha", false, IChannelBlend(),
     {RAST_RGBA(0, 0, 100, 255), RAST_RGBA(101, 0, 49, 255), RAST_RGBA(200, 0, 0, 255), RAST_RGBA(0, 100, 0, 255)}},
    {"method 1 copies alpha too", true, IChannelBlend(1),
     {Red(200, 0), Red(200, 128), Red(200, 255), RAST_RGBA(0, 100, 0, 255)}},
    {"method 2 adds", true, IChannelBlend(2),
     {RAST_RGBA(0, 0, 100, 255), RAST_RGBA(100, 0, 100, 255), RAST_RGBA(200, 0, 100, 255),
      RAST_RGBA(0, 100, 100, 255)}},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.name);
    RAST_Clear(gui.GetDrawBitmap(), RAST_RGBA(0, 0, 100, 255));
    gui.DrawBitmap(bitmap, &dest, 0, 0, c.withBlend ? &c.blend : nullptr);
    std::vector<RAST_pixel> got;
    for (int x = 0; x < 4; ++x) got.push_back(RAST_GetPixel(gui.GetDrawBitmap(), x, 0));
    EXPECT_EQ(got, c.expected);
  }
}

TEST_F(Caches, ForcePixelWritesOnlyInsideTheBitmap)
{
  GuiUnit unit;
  Surface gui(&unit, 40, 3);
  RAST_Clear(gui.GetDrawBitmap(), kSentinel);
  const IColor green(255, 0, 255, 0);
  struct Case
  {
    int x, y;
  } kCases[] = {{40, 0}, {-1, 1}, {0, 3}, {0, -1}};
  for (const Case& c : kCases) gui.ForcePixel(&green, c.x, c.y);
  for (int y = 0; y < 3; ++y)
    for (int x : {0, 39}) EXPECT_EQ(RAST_GetPixel(gui.GetDrawBitmap(), x, y), kSentinel) << x << "," << y;
  gui.ForcePixel(&green, 39, 2);
  EXPECT_EQ(RAST_GetPixel(gui.GetDrawBitmap(), 39, 2), RAST_RGBA(0, 255, 0, 255));
}

TEST_F(Caches, TextMeasuresFromItsAlignment)
{
  GuiUnit unit;
  Surface gui(&unit, 200, 50);
  IText style;
  IRECT from0(0, 5, 0, 30);
  style.mAlign = 0;
  ASSERT_TRUE(gui.MeasureIText(&style, "Level", &from0));
  const int w = from0.R, h = from0.B - 5;
  ASSERT_GT(w, 0);
  struct Case
  {
    const char* name;
    int align;
    IRECT expected;
  } kCases[] = {
    {"near runs from L", 0, IRECT(10, 5, 10 + w, 5 + h)},
    {"far ends at R", 2, IRECT(100 - w, 5, 100, 5 + h)},
    {"centre", 1, IRECT(55 - w / 2, 5, 55 - w / 2 + w, 5 + h)},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.name);
    style.mAlign = c.align;
    IRECT r(10, 5, 100, 30);
    gui.MeasureIText(&style, "Level", &r);
    EXPECT_EQ(r, c.expected);
  }
  // The headless surface draws what it records.
  RAST_Clear(gui.GetDrawBitmap(), kSentinel);
  IRECT box(10, 5, 100, 30);
  gui.DrawIText(&style, "Level", &box);
  ASSERT_EQ(gui.mDrawnTexts.size(), 1u);
  int inked = 0;
  for (int y = 5; y < 30; ++y)
    for (int x = 10; x < 100; ++x) inked += RAST_GetPixel(gui.GetDrawBitmap(), x, y) != kSentinel;
  EXPECT_GT(inked, 0);
  // The colour is not part of a font's key.
  IText red = style;
  red.mColor = IColor(255, 255, 0, 0);
  red.mCached = nullptr;
  EXPECT_EQ(gui.CacheFont(&red), gui.CacheFont(&style));
}

TEST_F(Caches, BackgroundCopiesItsImageAtIndexZero)
{
  GuiUnit unit;
  auto* gui = new IGraphicsHeadless(&unit, 8, 8);
  gui->AddResource("bg", Grid(2, 2, {Red(200, 0), Red(10), Red(20), Red(30)}).get());
  auto* c = new TestControl(&unit, IRECT(4, 4, 8, 8));
  gui->AttachControl(c);
  gui->AttachBackground(5, "bg.png");
  EXPECT_EQ(gui->GetControlIdx(c), 1);
  EXPECT_EQ(gui->GetControl(0)->GetRECT(), IRECT(0, 0, 2, 2));
  unit.AttachGraphics(gui);
  gui->OpenWindow(nullptr);
  gui->RunFrame();
  // Copied whole, alpha included.
  EXPECT_EQ(RAST_GetPixel(gui->GetScreen(), 0, 0), Red(200, 0));
  EXPECT_EQ(RAST_GetPixel(gui->GetScreen(), 1, 1), Red(30));
}
