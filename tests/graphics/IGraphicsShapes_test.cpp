// The surface's drawing operations by their pixels: outlines, filled
// rounded rectangles, turned bitmaps and masks, and the scaled, cropped,
// kept and released pixels of bitmaps made by hand.
#include "support/GuiTestKit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace
{
constexpr RAST_pixel kGround = RAST_RGBA(128, 128, 128, 255);
constexpr RAST_pixel kRed = RAST_RGBA(255, 0, 0, 255);
constexpr RAST_pixel kBlue = RAST_RGBA(0, 0, 255, 255);
const IColor kRedColour(255, 255, 0, 0);
constexpr double kPi = 3.14159265358979323846;

// A 100 x 100 surface whose whole draw bitmap is the repaint area, grey.
class Surface : public IGraphicsHeadless
{
public:
  explicit Surface(IUnitBase* plug) : IGraphicsHeadless(plug, 100, 100)
  {
    PrepDraw();
    mDrawRECT = IRECT(0, 0, 100, 100);
    RAST_FillRect(GetDrawBitmap(), 0, 0, 100, 100, kGround, 1.0f, RAST_BLIT_MODE_COPY);
  }
  RAST_pixel At(int x, int y) { return RAST_GetPixel(GetDrawBitmap(), x, y); }
};

struct Shapes : ::testing::Test
{
  Shapes() { IGraphics::ClearCachesForTest(); }
  ~Shapes() override { IGraphics::ClearCachesForTest(); }
};

// A w x h bitmap, its left half red and its right half blue.
std::unique_ptr<RAST_MemBitmap> Halves(int w, int h)
{
  auto bitmap = std::make_unique<RAST_MemBitmap>(w, h, 4);
  RAST_FillRect(bitmap.get(), 0, 0, w / 2, h, kRed, 1.0f, RAST_BLIT_MODE_COPY);
  RAST_FillRect(bitmap.get(), w / 2, 0, w - w / 2, h, kBlue, 1.0f, RAST_BLIT_MODE_COPY);
  return bitmap;
}
}  // namespace

// Each outline or filled shape in red without anti-aliasing: the points
// it paints and the points it leaves grey.
TEST_F(Shapes, OutlinesAndRoundRectsPaintTheirPixels)
{
  struct Case
  {
    const char* name;
    std::function<void(Surface&)> draw;
    std::vector<std::pair<int, int>> red, grey;
  } const kCases[] = {
    {"circle r 20 about (50, 50)", [](Surface& s) { s.DrawCircle(&kRedColour, 50, 50, 20, nullptr, false); },
     {{70, 50}, {30, 50}, {50, 30}, {50, 70}},
     {{50, 50}, {60, 50}, {75, 50}, {50, 25}}},
    // Angles from the top, clockwise: a quarter from the top to the right.
    {"arc, top to right", [](Surface& s) { s.DrawArc(&kRedColour, 50, 50, 20, 0.0f, float(kPi / 2), nullptr, false); },
     {{50, 30}, {70, 50}, {64, 36}},
     {{30, 50}, {50, 70}, {36, 64}, {50, 50}}},
    {"arc, right to bottom", [](Surface& s) { s.DrawArc(&kRedColour, 50, 50, 20, float(kPi / 2), float(kPi), nullptr, false); },
     {{70, 50}, {50, 70}, {64, 64}},
     {{50, 30}, {30, 50}, {36, 36}}},
    // Corner 6 of (10, 10, 60, 40): the corners themselves stay clear,
    // the edges between the corner discs and the middle are filled.
    {"filled rounded rectangle", [](Surface& s) {
       const IRECT r(10, 10, 60, 40);
       s.FillRoundRect(&kRedColour, &r, nullptr, 6, false);
     },
     {{35, 10}, {10, 25}, {59, 25}, {35, 39}, {35, 25}, {16, 16}},
     {{10, 10}, {59, 10}, {10, 39}, {59, 39}, {61, 25}, {35, 41}}},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.name);
    GuiUnit unit;
    Surface s(&unit);
    c.draw(s);
    for (auto [x, y] : c.red) EXPECT_EQ(s.At(x, y), kRed) << x << "," << y;
    for (auto [x, y] : c.grey) EXPECT_EQ(s.At(x, y), kGround) << x << "," << y;
  }
}

// A 20 x 10 bitmap, red left and blue right, turned about (50, 50) within
// its own 20 x 10 place: half a turn swaps the halves, a quarter turn
// clockwise puts red on top and leaves the place's ends clear.
TEST_F(Shapes, TurnedBitmapTurnsAboutItsCentre)
{
  struct Case
  {
    double angle;
    RAST_pixel left, right, top, bottom;  // at (43, 50), (57, 50), (52, 46), (52, 53)
  } const kCases[] = {
    {0.0, kRed, kBlue, kBlue, kBlue},
    {kPi, kBlue, kRed, kRed, kRed},
    {kPi / 2, kGround, kGround, kRed, kBlue},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.angle);
    GuiUnit unit;
    Surface s(&unit);
    auto pixels = Halves(20, 10);
    IBitmap bitmap(pixels.get(), 20, 10);
    s.DrawRotatedBitmap(&bitmap, 50, 50, c.angle, 0, nullptr);
    EXPECT_EQ(s.At(43, 50), c.left);
    EXPECT_EQ(s.At(57, 50), c.right);
    EXPECT_EQ(s.At(52, 46), c.top);
    EXPECT_EQ(s.At(52, 53), c.bottom);
  }
}

// The mask decides where the base's colour shows: its alpha, turned, is
// the result's; the top goes over that. Unturned at (10, 10), and turned
// half round, which moves the mask's opaque left half to the right.
TEST_F(Shapes, TurnedMaskCutsTheBase)
{
  struct Case
  {
    double degrees;
    RAST_pixel left, right;  // at (15, 20) and (24, 20)
  } const kCases[] = {{0.0, kRed, kGround}, {180.0, kGround, kRed}};
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.degrees);
    GuiUnit unit;
    Surface s(&unit);
    RAST_MemBitmap base(20, 20, 4), mask(20, 20, 4), top(20, 20, 4);
    RAST_FillRect(&base, 0, 0, 20, 20, kRed, 1.0f, RAST_BLIT_MODE_COPY);
    RAST_Clear(&mask, 0);
    RAST_FillRect(&mask, 0, 0, 10, 20, RAST_RGBA(0, 0, 0, 255), 1.0f, RAST_BLIT_MODE_COPY);
    RAST_Clear(&top, 0);
    IBitmap b(&base, 20, 20), m(&mask, 20, 20), t(&top, 20, 20);
    s.DrawRotatedMask(&b, &m, &t, 10, 10, c.degrees, nullptr);
    EXPECT_EQ(s.At(15, 20), c.left);
    EXPECT_EQ(s.At(24, 20), c.right);
    EXPECT_EQ(s.At(5, 5), kGround);
  }
}

// Scaled and cropped copies have the asked size and the source's halves;
// both are kept in the cache until released, and a release happens once.
TEST_F(Shapes, ScaledCroppedKeptAndReleasedBitmaps)
{
  GuiUnit unit;
  Surface s(&unit);
  auto pixels = Halves(4, 4);
  IBitmap source(pixels.get(), 4, 4);

  IBitmap scaled = s.ScaleBitmap(&source, 8, 6);
  ASSERT_NE(scaled.mData, nullptr);
  EXPECT_EQ(std::make_pair(scaled.W, scaled.H), std::make_pair(8, 6));
  EXPECT_EQ(std::make_pair(scaled.mData->getWidth(), scaled.mData->getHeight()), std::make_pair(8, 6));
  EXPECT_EQ(RAST_GetPixel(scaled.mData, 0, 3), kRed);
  EXPECT_EQ(RAST_GetPixel(scaled.mData, 7, 3), kBlue);

  const IRECT right(2, 1, 4, 4);
  IBitmap cropped = s.CropBitmap(&source, &right);
  ASSERT_NE(cropped.mData, nullptr);
  EXPECT_EQ(std::make_pair(cropped.W, cropped.H), std::make_pair(2, 3));
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 2; ++x) EXPECT_EQ(RAST_GetPixel(cropped.mData, x, y), kBlue) << x << "," << y;

  // Pixels made by hand and kept: the release frees them and empties the
  // record; a second release, and one of pixels never kept, do nothing.
  IBitmap kept(new RAST_MemBitmap(3, 3, 4), 3, 3);
  s.RetainBitmap(&kept);
  for (IBitmap* record : {&scaled, &cropped, &kept})
  {
    s.ReleaseBitmap(record);
    EXPECT_EQ(record->mData, nullptr);
    s.ReleaseBitmap(record);
    EXPECT_EQ(record->mData, nullptr);
  }
  s.ReleaseBitmap(&source);
  EXPECT_EQ(source.mData, pixels.get());
}
