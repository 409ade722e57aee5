// Mostly transparent artwork keeps only the box of its pixels other than 0:
// whichever way its pixels are made (at the rescale, at the first draw of a
// closed panel, traded back from the scale before), its records keep the
// whole size and every drawing call gives the pixels of the whole artwork.
#include "support/GuiTestKit.h"

#include "graphics/controls/IBitmapControl.h"
#include "raster/RAST_Blit.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace
{
constexpr RAST_pixel kSentinel = RAST_RGBA(1, 2, 3, 4);
constexpr RAST_pixel kSemi = RAST_RGBA(200, 0, 0, 128);

using Surface = RepaintSurface;

struct CroppedArtwork : ArtworkCacheTest
{
};

// An 8 x 6 plate, stored at twice its size (each pixel a 2 x 2 block),
// holding pixels other than 0 only in columns 2 to 4 of rows 1 to 3:
// (10 x, 20 y, 0) opaque, and the half-transparent kSemi at (4, 3).
std::unique_ptr<RAST_MemBitmap> Plate()
{
  auto plate = std::make_unique<RAST_MemBitmap>(16, 12, 1);
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 16; ++x)
    {
      const int px = x / 2, py = y / 2;
      RAST_pixel p = 0;
      if (px >= 2 && px <= 4 && py >= 1 && py <= 3) p = RAST_RGBA(10 * px, 20 * py, 0, 255);
      if (px == 4 && py == 3) p = kSemi;
      plate->getBits()[y * plate->getRowSpan() + x] = p;
    }
  return plate;
}

// The plate drawn at (1, 1) over the sentinel: the pixels at, just inside and
// just outside each edge of the box, as plate pixel -> screen value.
struct Probe
{
  int x, y;
  RAST_pixel expected;
};
constexpr Probe kDrawn[] = {
  {1, 2, kSentinel},                     // left of the box
  {2, 2, RAST_RGBA(20, 40, 0, 255)},     // its left column
  {3, 2, RAST_RGBA(30, 40, 0, 255)},
  {4, 2, RAST_RGBA(40, 40, 0, 255)},     // its right column
  {5, 2, kSentinel},                     // right of it
  {3, 0, kSentinel},                     // above
  {3, 1, RAST_RGBA(30, 20, 0, 255)},     // its top row
  {3, 3, RAST_RGBA(30, 60, 0, 255)},     // its bottom row
  {3, 4, kSentinel},                     // below
  {4, 3, RAST_RGBA(102, 0, 1, 132)},     // kSemi over the sentinel
  {0, 0, kSentinel},                     // the plate's corners
  {7, 5, kSentinel},
};

void ExpectDrawnPlate(Surface& gui, IBitmap* plate)
{
  RAST_Clear(gui.GetDrawBitmap(), kSentinel);
  gui.SetRepaint(IRECT(0, 0, 12, 10));
  const IRECT dest(1, 1, 9, 7);
  EXPECT_TRUE(gui.DrawIBitmap(plate, &dest, 1, nullptr));
  for (const Probe& p : kDrawn)
    EXPECT_EQ(RAST_GetPixel(gui.GetDrawBitmap(), p.x + 1, p.y + 1), p.expected) << p.x << "," << p.y;
  // Nothing beyond the plate's own rectangle.
  EXPECT_EQ(RAST_GetPixel(gui.GetDrawBitmap(), 9, 7), kSentinel);
}

// The plate loaded on the surface and made at scale 1.
IBitmap* MadePlate(Surface& gui)
{
  gui.SetBitmapDivisor(2);
  gui.AddResource("plate", Plate().get());
  IBitmap* plate = gui.LoadIBitmap(12, "plate.png");
  gui.RescaleBitmaps(1.0);
  return plate;
}

void ExpectCropped(const IBitmap* plate, int w, int h, int x, int y, int partW, int partH)
{
  EXPECT_TRUE(plate->mCropped);
  EXPECT_EQ(std::make_pair(plate->W, plate->H), std::make_pair(w, h));
  EXPECT_EQ(std::make_pair(plate->mDataX, plate->mDataY), std::make_pair(x, y));
  EXPECT_EQ(std::make_pair(plate->mData->getWidth(), plate->mData->getHeight()), std::make_pair(partW, partH));
}
}  // namespace

// Made at the rescale, at the first draw of a hidden control, or traded back
// from the scale before: the same box, the same pixels drawn.
TEST_F(CroppedArtwork, EveryWayOfMakingThePixelsDrawsTheWholePlate)
{
  enum class Made
  {
    kAtRescale,
    kAtFirstDraw,
    kTradedBack
  };
  for (Made made : {Made::kAtRescale, Made::kAtFirstDraw, Made::kTradedBack})
  {
    SCOPED_TRACE(static_cast<int>(made));
    IGraphics::ClearCachesForTest();
    GuiUnit unit;
    Surface gui(&unit, 12, 10);
    gui.SetBitmapDivisor(2);
    gui.AddResource("plate", Plate().get());
    IBitmap* plate = gui.LoadIBitmap(12, "plate.png");
    auto* control = new IBitmapControl(&unit, 1, 1, -1, plate);
    gui.AttachControl(control);
    control->Hide(made == Made::kAtFirstDraw);
    if (made == Made::kTradedBack)
    {
      gui.RescaleBitmaps(1.0);
      gui.RescaleBitmaps(2.0);
      ExpectCropped(plate, 16, 12, 4, 2, 6, 6);
    }
    gui.RescaleBitmaps(1.0);
    if (made == Made::kAtFirstDraw)
      EXPECT_EQ(std::make_pair(plate->W, plate->H), std::make_pair(8, 6));
    else
      ExpectCropped(plate, 8, 6, 2, 1, 3, 3);
    ExpectDrawnPlate(gui, plate);
    ExpectCropped(plate, 8, 6, 2, 1, 3, 3);
    // A record loaded later shares the box.
    ExpectCropped(gui.LoadIBitmap(12, "plate.png"), 8, 6, 2, 1, 3, 3);
  }
}

// A plain copy writes the plate's transparent pixels too, around the box.
TEST_F(CroppedArtwork, PlainCopyWritesTheZerosAroundTheBox)
{
  GuiUnit unit;
  Surface gui(&unit, 12, 10);
  IBitmap* plate = MadePlate(gui);
  ASSERT_TRUE(plate->mCropped);
  RAST_Clear(gui.GetDrawBitmap(), kSentinel);
  gui.SetRepaint(IRECT(0, 0, 12, 10));
  const IRECT dest(1, 1, 9, 7);
  const IChannelBlend copy(1, 1.0f);
  EXPECT_TRUE(gui.DrawIBitmap(plate, &dest, 1, &copy));
  const Probe kCopied[] = {
    {1, 2, 0}, {2, 2, RAST_RGBA(20, 40, 0, 255)}, {4, 2, RAST_RGBA(40, 40, 0, 255)}, {5, 2, 0},
    {3, 0, 0}, {3, 4, 0},                         {4, 3, kSemi},                     {7, 5, 0},
  };
  for (const Probe& p : kCopied)
    EXPECT_EQ(RAST_GetPixel(gui.GetDrawBitmap(), p.x + 1, p.y + 1), p.expected) << p.x << "," << p.y;
  EXPECT_EQ(RAST_GetPixel(gui.GetDrawBitmap(), 0, 0), kSentinel);
  EXPECT_EQ(RAST_GetPixel(gui.GetDrawBitmap(), 9, 7), kSentinel);
}

// Copies cut from or scaled from a cropped plate read it whole.
TEST_F(CroppedArtwork, CopiesReadTheWholePlate)
{
  GuiUnit unit;
  Surface gui(&unit, 12, 10);
  IBitmap* plate = MadePlate(gui);
  ASSERT_TRUE(plate->mCropped);

  const IRECT r(1, 1, 4, 3);
  IBitmap cut = gui.CropBitmap(plate, &r);
  ASSERT_EQ(std::make_pair(cut.W, cut.H), std::make_pair(3, 2));
  EXPECT_FALSE(cut.mCropped);
  EXPECT_EQ(RAST_GetPixel(cut.mData, 0, 0), 0u);
  EXPECT_EQ(RAST_GetPixel(cut.mData, 1, 0), RAST_RGBA(20, 20, 0, 255));
  EXPECT_EQ(RAST_GetPixel(cut.mData, 2, 1), RAST_RGBA(30, 40, 0, 255));

  IBitmap same = gui.ScaleBitmap(plate, 8, 6);
  ASSERT_EQ(std::make_pair(same.mData->getWidth(), same.mData->getHeight()), std::make_pair(8, 6));
  EXPECT_EQ(RAST_GetPixel(same.mData, 1, 2), 0u);
  EXPECT_EQ(RAST_GetPixel(same.mData, 2, 2), RAST_RGBA(20, 40, 0, 255));
  EXPECT_EQ(RAST_GetPixel(same.mData, 4, 1), RAST_RGBA(40, 20, 0, 255));
  EXPECT_EQ(RAST_GetPixel(same.mData, 5, 1), 0u);
}

// Only artwork whose box is at most three quarters of it is cut down: a box
// of 3 x 4 in 4 x 4 is, a box of the whole is not, and neither is a strip
// of frames or artwork all 0.
TEST_F(CroppedArtwork, OnlyMostlyEmptySingleFramesAreCut)
{
  struct Case
  {
    int boxW, boxH, frames;
    bool cropped;
    int dataW;
  } kCases[] = {
    {3, 4, 1, true, 3},
    {4, 4, 1, false, 4},
    {2, 2, 2, false, 4},
    {0, 0, 1, false, 4},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.boxW * 10 + c.frames);
    IGraphics::ClearCachesForTest();
    GuiUnit unit;
    Surface gui(&unit, 8, 8);
    auto art = std::make_unique<RAST_MemBitmap>(4, 4, 1);
    RAST_Clear(art.get(), 0);
    RAST_FillRect(art.get(), 0, 0, c.boxW, c.boxH, RAST_RGBA(9, 9, 9, 255), 1.0f, 0);
    gui.AddResource("art", art.get());
    IBitmap* record = gui.LoadIBitmap(3, "art.png", c.frames);
    gui.RescaleBitmaps(1.0);
    EXPECT_EQ(record->mCropped, c.cropped);
    EXPECT_EQ(record->mData->getWidth(), c.dataW);
    EXPECT_EQ(record->W, 4);
  }
}
