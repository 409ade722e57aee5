// The equaliser display: its axis ranges and positions, the band caption,
// picking handles, and shelves placed anywhere drawing only inside their
// curve buffers.
#include "support/GuiTestKit.h"

#include "graphics/controls/IParaGraphicEq.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
IParaGraphicEq::Settings EditorSettings()
{
  IParaGraphicEq::Settings s;
  snprintf(s.mFreqLabels, sizeof(s.mFreqLabels), "%s", "25, 50, 100, 200, 300, 500, 1000, 2000, 3000, 5000, 7000, 10000");
  snprintf(s.mGainLabels, sizeof(s.mGainLabels), "%s", "-18, -12, -6, 0, 6, 12, 18");
  return s;
}

IParaGraphicEq::Band MakeBand(int index, int type, float gain, float freq, float width)
{
  IParaGraphicEq::Band b;
  b.mIndex = index;
  b.mType = type;
  b.mGain = gain;
  b.mFreq = freq;
  b.mWidth = width;
  b.mMinFreq = 20.0f;
  b.mMaxFreq = 12000.0f;
  b.mMinGain = -24.0f;
  b.mMaxGain = 24.0f;
  b.mMinWidth = 0.1f;
  b.mMaxWidth = 10.0f;
  return b;
}

struct EqFixture : GuiFixture
{
  EqFixture() : GuiFixture(500, 140) { IGraphics::ClearCachesForTest(); }
  ~EqFixture() { IGraphics::ClearCachesForTest(); }
  // The editor's display at (20, 10) on parameter 6 with one flat bell at
  // 1000 Hz, whose handle is at (281.3, 57.5) inside the display.
  IParaGraphicEq* OpenWithBell(int index)
  {
    unit.GetParam(6)->InitDouble("eq", 0.0, 0.0, 1.0, 0.0);
    auto* eq = new IParaGraphicEq(&unit, IRECT(20, 10, 480, 125), 6, EditorSettings());
    gui->AttachControl(eq);
    eq->SetBands(MakeBand(index, IParaGraphicEq::kBell, 0.0f, 1000.0f, 1.0f));
    Open();
    return eq;
  }
};
}  // namespace

TEST(ParaGraphicEq, RangesAndPositions)
{
  struct Case
  {
    const char* name;
    float lo, hi;
    float usedLo, usedHi;
  } kCases[] = {
    {"as given", 20.0f, 12000.0f, 20.0f, 12000.0f},
    {"minimum just below 10", 9.99f, 12000.0f, 20.0f, 12000.0f},
    {"minimum 10", 10.0f, 12000.0f, 10.0f, 12000.0f},
    {"maximum 24000", 20.0f, 24000.0f, 20.0f, 24000.0f},
    {"maximum 24001", 20.0f, 24001.0f, 20.0f, 22000.0f},
    {"crossed", 500.0f, 100.0f, 20.0f, 100.0f},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.name);
    IParaGraphicEq::Settings s = EditorSettings();
    s.mMinFreq = c.lo;
    s.mMaxFreq = c.hi;
    IParaGraphicEq eq(nullptr, IRECT(0, 0, 460, 115), -1, s);
    EXPECT_EQ(eq.GetMinFreq(), c.usedLo);
    EXPECT_EQ(eq.GetMaxFreq(), c.usedHi);
  }
  IParaGraphicEq::Settings s = EditorSettings();
  s.mMinFreq = 20.0f;
  s.mMaxFreq = 22000.0f;
  IParaGraphicEq eq(nullptr, IRECT(0, 0, 460, 115), -1, s);
  EXPECT_NEAR(eq.FreqPosition(1000.0), 0.5587, 0.0005);
  ASSERT_EQ(eq.NumFreqLabels(), 12);
  EXPECT_STREQ(eq.FreqLabel(0), "25");
  EXPECT_STREQ(eq.FreqLabel(6), "1k");
  EXPECT_STREQ(eq.FreqLabel(11), "10k");
  ASSERT_EQ(eq.NumGainLabels(), 7);
  EXPECT_STREQ(eq.GainLabel(0), "-18");
}

TEST(ParaGraphicEq, BellCaptionShowsQ)
{
  EqFixture f;
  IParaGraphicEq* eq = f.OpenWithBell(1);
  f.Settle();
  IMouseMod m(true, false);
  f.gui->OnMouseDown(20 + 281, 10 + 57, &m);
  IParaGraphicEq::Band band;
  ASSERT_TRUE(eq->GetBand(&band));
  EXPECT_EQ(band.mIndex, 1);
  EXPECT_NEAR(eq->GetValue(), 1.0 / 3.0, 1e-12);
  f.gui->mDrawnTexts.clear();
  f.Settle();
  bool shown = false;
  for (const std::string& t : f.gui->mDrawnTexts) shown |= t.find("Q=1.41") != std::string::npos;
  EXPECT_TRUE(shown);
}

TEST(ParaGraphicEq, ClicksAwayFromHandlesSelectNothing)
{
  struct Case
  {
    int dx, dy;
    bool picked;
  } kCases[] = {{0, 0, true},   {10, 0, true},   {11, 0, false}, {-9, 0, true},    {-10, 0, false},
                {0, 10, true},  {0, 11, false},  {0, -9, true},  {0, -10, false},  {40, 40, false}};
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(testing::Message() << c.dx << "," << c.dy);
    EqFixture f;
    IParaGraphicEq* eq = f.OpenWithBell(0);
    f.unit.mChanges.clear();
    IMouseMod m(true, false);
    f.gui->OnMouseDown(20 + 281 + c.dx, 10 + 57 + c.dy, &m);
    IParaGraphicEq::Band band;
    EXPECT_EQ(eq->GetBand(&band), c.picked);
    EXPECT_TRUE(f.unit.mChanges.empty());
  }
}

TEST(ParaGraphicEq, OneBandAndBadIndexes)
{
  IParaGraphicEq::Settings s = EditorSettings();
  s.mNumBands = 1;
  IParaGraphicEq eq(nullptr, IRECT(0, 0, 460, 115), -1, s);
  eq.SetBands(MakeBand(-1, IParaGraphicEq::kBell, 12.0f, 1000.0f, 1.0f));
  eq.SetBands(MakeBand(1, IParaGraphicEq::kBell, 12.0f, 1000.0f, 1.0f));
  eq.SetBands(MakeBand(0, IParaGraphicEq::kBell, 0.0f, 1000.0f, 1.0f));
  IMouseMod m(true, false);
  // Gain 0 at 1000 Hz of 20..12000: column 281.3, row 57.5.
  eq.OnMouseDown(281, 57, &m);
  IParaGraphicEq::Band band;
  ASSERT_TRUE(eq.GetBand(&band));
  EXPECT_EQ(band.mGain, 0.0f);
  EXPECT_EQ(eq.GetValue(), 0.0);
}

// Shelves whose transitions start far left or right of the display, on
// displays from 1 to past the curve limit, draw inside their buffers (the
// address checker sees any write past them) and keep the curve finite.
TEST(ParaGraphicEq, ShelvesAnywhereStayInsideTheirBuffers)
{
  struct Case
  {
    int width;
    float freq, slope;
  } kCases[] = {{10, 20.0f, 10.0f},   {10, 12000.0f, 10.0f}, {10, 20.0f, 0.0f},      {10, 12000.0f, 0.0f},
                {1, 100.0f, 10.0f},   {17, 10.0f, 100.0f},   {460, 20.0f, 10.0f},    {460, 12000.0f, 10.0f},
                {8191, 20.0f, 10.0f}, {8192, 12000.0f, 10.0f}, {8193, 12000.0f, 10.0f}};
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(testing::Message() << c.width << " " << c.freq << " " << c.slope);
    GuiFixture f(c.width + 10, 60);
    auto* eq = new IParaGraphicEq(&f.unit, IRECT(5, 5, 5 + c.width, 55), -1, EditorSettings());
    f.gui->AttachControl(eq);
    IParaGraphicEq::Band low = MakeBand(0, IParaGraphicEq::kLowShelf, 12.0f, c.freq, c.slope);
    low.mMinFreq = 10.0f;
    low.mMaxFreq = 24000.0f;
    IParaGraphicEq::Band high = low;
    high.mIndex = 3;
    high.mType = IParaGraphicEq::kHighShelf;
    high.mGain = -12.0f;
    eq->SetBands(low);
    eq->SetBands(high);
    f.Open();
    f.Settle();
    IColor corner = f.gui->GetPoint(0, 0);
    EXPECT_EQ(corner, IColor(255, 128, 128, 128));
  }
}

namespace
{
uint32_t gTick = 0;
uint32_t TestTick()
{
  return gTick;
}
}  // namespace

// A second mouse-up less than 400 ms after the first sets the held band's
// value again, even after the plug-in moved it; the tick may wrap between.
TEST(ParaGraphicEq, DoubleClickWithin400msSetsTheBandAgain)
{
  struct Case
  {
    uint32_t first, second;
    double value;
  } kCases[] = {
    {1000, 1399, 1.0 / 3.0}, {1000, 1400, 0.0}, {1000, 1401, 0.0},
    {1000, 1000, 1.0 / 3.0}, {0xFFFFFF00u, 0x8Fu, 1.0 / 3.0}, {0xFFFFFF00u, 0x90u, 0.0},
  };
  IParaGraphicEq::SetTickSourceForTest(TestTick);
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(testing::Message() << c.first << " " << c.second);
    EqFixture f;
    IParaGraphicEq* eq = f.OpenWithBell(1);
    IMouseMod m(true, false);
    gTick = c.first;
    eq->OnMouseDown(20 + 281, 10 + 57, &m);
    eq->OnMouseUp(20 + 281, 10 + 57, &m);
    eq->OnMouseDown(20 + 281, 10 + 57, &m);
    eq->SetValueFromPlug(0.0);
    gTick = c.second;
    eq->OnMouseUp(20 + 281, 10 + 57, &m);
    EXPECT_DOUBLE_EQ(eq->GetValue(), c.value);
  }
  IParaGraphicEq::SetTickSourceForTest(nullptr);
}

// A drag on the held bell: the gain follows the scale of its half of the
// display (above or below the middle) within the band's limits, the
// frequency follows the log axis (column 281 is 995.7 Hz), and with the
// right button the width steps by 0.1 within its own limits.
TEST(ParaGraphicEq, DragsChangeGainFrequencyAndWidthWithinLimits)
{
  struct Case
  {
    const char* name;
    bool right;
    int x, y;          // where the drag ends, inside the display
    float minGain, maxGain, maxWidth;
    float gain, freq, width;
  } const kCases[] = {
    {"above the middle", false, 281, 23, -24, 24, 10, 14.4f, 995.7f, 1.0f},
    {"below the middle", false, 281, 92, -24, 24, 10, -14.4f, 995.7f, 1.0f},
    {"top edge", false, 281, 0, -24, 24, 10, 24.0f, 995.7f, 1.0f},
    {"past the bottom", false, 281, 130, -24, 24, 10, -24.0f, 995.7f, 1.0f},
    {"above the band's limit", false, 281, 23, -12, 12, 10, 12.0f, 995.7f, 1.0f},
    {"below the band's limit", false, 281, 92, -12, 12, 10, -12.0f, 995.7f, 1.0f},
    {"half way across", false, 230, 57, -24, 24, 10, 0.2f, 489.9f, 1.0f},
    {"right button up", true, 281, 50, -24, 24, 10, 0.0f, 1000.0f, 1.1f},
    {"right button down", true, 281, 64, -24, 24, 10, 0.0f, 1000.0f, 0.9f},
    {"right button at the width limit", true, 290, 57, -24, 24, 1.05f, 0.0f, 1000.0f, 1.05f},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.name);
    EqFixture f;
    IParaGraphicEq* eq = f.OpenWithBell(2);
    IParaGraphicEq::Band band = MakeBand(2, IParaGraphicEq::kBell, 0.0f, 1000.0f, 1.0f);
    band.mMinGain = c.minGain;
    band.mMaxGain = c.maxGain;
    band.mMaxWidth = c.maxWidth;
    eq->SetBands(band);
    f.Settle();
    IMouseMod m(!c.right, c.right);
    f.gui->OnMouseDown(20 + 281, 10 + 57, &m);
    f.gui->OnMouseDrag(20 + c.x, 10 + c.y, &m);
    IParaGraphicEq::Band out;
    ASSERT_TRUE(eq->GetBand(&out));
    EXPECT_NEAR(out.mGain, c.gain, 0.05);
    EXPECT_NEAR(out.mFreq, c.freq, c.right ? 0.01 : 0.5);
    EXPECT_NEAR(out.mWidth, c.width, 1e-5);
    EXPECT_NEAR(eq->GetValue(), 2.0 / 3.0, 1e-12);
    f.gui->OnMouseUp(20 + c.x, 10 + c.y, &m);
  }
}

// The curves of a bell and both shelves of +12 dB at 1000 Hz on the
// editor's 460 x 115 display: peak 12 x 115 / 48 = 28.75 px. The bell of one
// octave spans 49 columns each side of column 281; the shelves of width 2
// turn over the 92 columns from 235.
TEST(ParaGraphicEq, BellAndShelfCurveValues)
{
  struct Point
  {
    int column;
    float offset;
  };
  struct Case
  {
    const char* name;
    int type;
    float width;
    std::vector<Point> points;
  } const kCases[] = {
    {"bell", IParaGraphicEq::kBell, 1.0f,
     {{281, 28.75f}, {280, 28.75f}, {232, 0.0459f}, {231, 0.0f}, {282, 27.21f}, {329, 0.0f}, {330, -0.0425f}, {331, 0.0f}}},
    {"high shelf", IParaGraphicEq::kHighShelf, 2.0f,
     {{234, 0.0f}, {235, 0.0f}, {281, 14.375f}, {327, 28.75f}, {459, 28.75f}, {100, 0.0f}}},
    {"low shelf", IParaGraphicEq::kLowShelf, 2.0f,
     {{0, 28.75f}, {234, 28.75f}, {235, 28.75f}, {281, 14.375f}, {327, 0.0f}, {400, 0.0f}}},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.name);
    EqFixture f;
    IParaGraphicEq* eq = f.OpenWithBell(0);
    eq->SetBands(MakeBand(0, c.type, 12.0f, 1000.0f, c.width));
    eq->SetDirty(false);
    f.Settle();
    for (const Point& p : c.points) EXPECT_NEAR(eq->CurveOffsetForTest(0, p.column), p.offset, 0.01) << p.column;
  }
}
