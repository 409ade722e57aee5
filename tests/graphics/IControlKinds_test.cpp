// The bitmap, switch, knob and fader controls on the headless surface: the
// values mouse events give them and the frames they draw.
#include "support/GuiTestKit.h"

#include "graphics/controls/IBitmapControl.h"
#include "graphics/controls/IFaderControl.h"
#include "graphics/controls/IKnobControl.h"
#include "graphics/controls/IPanelControl.h"
#include "graphics/controls/ISwitchControl.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
struct Controls : ::testing::Test
{
  Controls() { IGraphics::ClearCachesForTest(); }
  ~Controls() override { IGraphics::ClearCachesForTest(); }

  // A w x frames*h strip whose frame k (1-based) is red 10 * k, loaded
  // into the fixture's surface.
  IBitmap* Strip(GuiFixture& f, int id, int w, int h, int frames)
  {
    RAST_MemBitmap strip(w, h * frames, 4);
    for (int k = 0; k < frames; ++k)
      RAST_FillRect(&strip, 0, k * h, w, h, RAST_RGBA(10 * (k + 1), 0, 0, 255), 1.0f, 0);
    const std::string name = "strip" + std::to_string(id);
    f.gui->AddResource(name.c_str(), &strip);
    return f.gui->LoadIBitmap(id, (name + ".png").c_str(), frames);
  }
};

IMouseMod Left() { return IMouseMod(true, false); }

constexpr double kPiHalf = 1.57079632679489661923;

// A surface whose parameters are plain doubles 0..1, so the plug-in keeps
// each control's value as it is.
struct Fixture : GuiFixture
{
  explicit Fixture(int w = 200, int h = 100) : GuiFixture(w, h)
  {
    for (int i = 0; i < unit.NParams(); ++i) unit.GetParam(i)->InitDouble("p", 0.0, 0.0, 1.0, 0.001);
  }
};
}  // namespace

TEST_F(Controls, SwitchesStepThroughTheirFrames)
{
  struct Case
  {
    int frames;
    std::vector<double> values;
  } kCases[] = {{1, {1.0, 0.0, 1.0}}, {2, {1.0, 0.0, 1.0}}, {3, {0.5, 1.0, 0.0, 0.5}}, {5, {0.25, 0.5, 0.75, 1.0, 0.0}}};
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.frames);
    Fixture f;
    auto* sw = new ISwitchControl(&f.unit, 10, 10, 1, Strip(f, c.frames, 8, 8, c.frames));
    f.gui->AttachControl(sw);
    f.Open();
    IMouseMod m = Left();
    for (double expected : c.values)
    {
      f.gui->OnMouseDown(12, 12, &m);
      f.gui->OnMouseUp(12, 12, &m);
      EXPECT_DOUBLE_EQ(f.unit.GetParam(1)->GetNormalized(), expected);
    }
  }
}

TEST_F(Controls, ContactIsMomentaryAndInvisibleSwitchToggles)
{
  Fixture f;
  auto* contact = new IContactControl(&f.unit, 10, 10, 1, Strip(f, 1, 8, 8, 2));
  auto* toggle = new IInvisibleSwitchControl(&f.unit, IRECT(30, 10, 40, 20), 2);
  f.gui->AttachControl(contact);
  f.gui->AttachControl(toggle);
  f.Open();
  IMouseMod m = Left();
  f.gui->OnMouseDown(12, 12, &m);
  EXPECT_EQ(f.unit.GetParam(1)->GetNormalized(), 1.0);
  f.gui->OnMouseUp(12, 12, &m);
  EXPECT_EQ(f.unit.GetParam(1)->GetNormalized(), 0.0);
  std::vector<double> toggled;
  for (int i = 0; i < 3; ++i)
  {
    f.gui->OnMouseDown(35, 15, &m);
    toggled.push_back(f.unit.GetParam(2)->GetNormalized());
  }
  EXPECT_EQ(toggled, (std::vector<double>{1.0, 0.0, 1.0}));
}

// A 5-frame strip, and a 17-frame knob shown in 5 steps: at 0.3 it shows
// 0.25, frame int(0.25 * 16 + 0.5) + 1 = 5.
TEST_F(Controls, StripShowsTheFrameOfItsValue)
{
  struct Case
  {
    bool stepped;
    double value;
    int red;  // 10 * frame
  } kCases[] = {{false, 0.0, 10}, {false, 0.124, 10}, {false, 0.125, 20}, {false, 0.74, 40},
                {false, 0.875, 50}, {false, 1.0, 50}, {true, 0.3, 50}};
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(testing::Message() << c.stepped << " " << c.value);
    Fixture f;
    IControl* control;
    if (c.stepped)
    {
      auto* knob = new IKnobMultiControl(&f.unit, 20, 20, 1, Strip(f, 2, 10, 10, 17));
      knob->SetFrameCount(5);
      control = knob;
    }
    else
      control = new IBitmapControl(&f.unit, 20, 20, 1, Strip(f, 1, 10, 10, 5));
    f.gui->AttachControl(control);
    EXPECT_EQ(control->GetRECT(), IRECT(20, 20, 30, 30));
    f.unit.GetParam(1)->Set(c.value);
    f.Open();
    f.Settle();
    EXPECT_EQ(RAST_GetPixel(f.gui->GetScreen(), 25, 25), RAST_RGBA(c.red, 0, 0, 255));
    EXPECT_EQ(f.unit.GetParam(1)->GetNormalized(), c.value);
  }
}

TEST_F(Controls, KnobDragAndWheel)
{
  struct Case
  {
    const char* name;
    int direction;
    IMouseMod mod;
    int dx, dy;  // drag from the knob's middle
    int wheel;
    double expected;
  } kCases[] = {
    {"up half the height", 0, IMouseMod(true, false), 0, -25, 0, 0.5},
    {"up half the height, fine", 0, IMouseMod(true, false, true), 0, -25, 0, 0.05},
    {"down clamps at 0", 0, IMouseMod(true, false), 0, 10, 0, 0.0},
    {"right a fifth, horizontal", 1, IMouseMod(true, false), 8, 0, 0, 0.2},
    {"a notch", 0, IMouseMod(true, false), 0, 0, 1, 0.01},
    {"a notch with Control", 0, IMouseMod(true, false, false, true), 0, 0, 1, 0.001},
    {"three notches back from 0", 0, IMouseMod(true, false), 0, 0, -3, 0.0},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.name);
    Fixture f;
    // 40 wide and 50 high.
    auto* knob = new IKnobMultiControl(&f.unit, 10, 10, 1, Strip(f, 1, 40, 50, 2), c.direction, 1.0);
    f.gui->AttachControl(knob);
    f.Open();
    IMouseMod mod = c.mod;
    f.gui->OnMouseDown(30, 35, &mod);
    if (c.dx || c.dy) f.gui->OnMouseDrag(30 + c.dx, 35 + c.dy, &mod);
    if (c.wheel) f.gui->OnMouseWheel(30, 35, &mod, c.wheel);
    f.gui->OnMouseUp(30 + c.dx, 35 + c.dy, &mod);
    EXPECT_NEAR(f.unit.GetParam(1)->GetNormalized(), c.expected, 1e-12);
  }
}

TEST_F(Controls, FaderFollowsTheMouse)
{
  struct Case
  {
    int y;  // from the fader's top
    double expected;
  } kCases[] = {{11, 1.0},       {12, 1.0},      {13, 1.0 - 1.0 / 636}, {330, 0.5}, {647, 1.0 / 636},
                {648, 0.0},      {649, 0.0},     {700, 0.0}};
  Fixture f(100, 800);
  IBitmap* handle = Strip(f, 1, 30, 24, 1);
  auto* fader = new IFaderControl(&f.unit, 50, 100, 660, 1, handle);
  f.gui->AttachControl(fader);
  EXPECT_EQ(fader->GetRECT(), IRECT(50, 100, 80, 760));
  f.Open();
  IMouseMod m = Left();
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.y);
    f.gui->OnMouseDown(60, 100 + c.y, &m);
    f.gui->OnMouseUp(60, 100 + c.y, &m);
    EXPECT_NEAR(f.unit.GetParam(1)->GetNormalized(), c.expected, 1e-12);
  }
  // The handle is drawn where the value puts it: at 0.5, 318 pixels down.
  f.gui->OnMouseDown(60, 430, &m);
  f.Settle();
  EXPECT_EQ(fader->GetHandleRECT(0.5), IRECT(50, 418, 80, 442));
  EXPECT_EQ(RAST_GetPixel(f.gui->GetScreen(), 60, 418), RAST_RGBA(10, 0, 0, 255));
  EXPECT_EQ(RAST_GetPixel(f.gui->GetScreen(), 60, 417), RAST_RGBA(128, 128, 128, 255));
}

TEST_F(Controls, DegenerateGroupsAndFadersStayFinite)
{
  Fixture f(200, 200);
  IBitmap* buttons = Strip(f, 1, 12, 10, 2);
  auto* single = new IRadioButtonsControl(&f.unit, IRECT(10, 10, 30, 60), 1, 1, buttons);
  auto* three = new IRadioButtonsControl(&f.unit, IRECT(50, 10, 70, 60), 2, 3, buttons);
  // The handle is exactly as long as the track: it has nowhere to go.
  auto* stuck = new IFaderControl(&f.unit, 100, 10, 24, 3, Strip(f, 2, 20, 24, 1));
  f.gui->AttachControl(single);
  f.gui->AttachControl(three);
  f.gui->AttachControl(stuck);
  EXPECT_EQ(single->GetButtonRECT(0), IRECT(10, 10, 22, 20));
  // Three buttons spread over 50 pixels: gaps of 10.
  EXPECT_EQ(three->GetButtonRECT(1), IRECT(50, 30, 62, 40));
  f.unit.GetParam(3)->Set(0.3);
  f.Open();
  IMouseMod m = Left();
  f.gui->OnMouseDown(15, 15, &m);
  f.gui->OnMouseDown(55, 35, &m);
  f.gui->OnMouseDown(110, 22, &m);
  f.gui->OnMouseDrag(110, 30, &m);
  EXPECT_EQ(f.unit.GetParam(1)->GetNormalized(), 0.0);
  EXPECT_EQ(f.unit.GetParam(2)->GetNormalized(), 0.5);
  EXPECT_DOUBLE_EQ(f.unit.GetParam(3)->GetNormalized(), 0.3);
  f.Settle();
}

TEST_F(Controls, OverlayTakesClicksOnlyInItsTargetWhileClosed)
{
  Fixture f(200, 200);
  auto* about = new IBitmapOverlayControl(&f.unit, 50, 0, Strip(f, 1, 100, 100, 1), IRECT(0, 0, 20, 20));
  f.gui->AttachControl(about);
  f.Open();
  f.Settle();
  EXPECT_EQ(f.gui->GetControlIdxAt(100, 50), 0);  // the panel, under the closed overlay
  EXPECT_EQ(RAST_GetPixel(f.gui->GetScreen(), 100, 50), RAST_RGBA(128, 128, 128, 255));
  // As the About command opens it.
  about->SetValueFromPlug(1.0);
  about->Hide(false);
  f.Settle();
  EXPECT_EQ(f.gui->GetControlIdxAt(100, 50), 1);
  EXPECT_EQ(RAST_GetPixel(f.gui->GetScreen(), 100, 50), RAST_RGBA(10, 0, 0, 255));
}

// A panel over the grey background weighs its colour by its alpha.
TEST_F(Controls, PanelBlendsItsColourByItsAlpha)
{
  struct Case
  {
    int alpha;
    int r, g, b;  // on the screen, from red over grey 128
  } kCases[] = {{255, 255, 0, 0}, {128, 192, 64, 64}, {0, 128, 128, 128}};
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.alpha);
    Fixture f;
    f.gui->AttachControl(new IPanelControl(&f.unit, IRECT(10, 10, 50, 50), IColor(c.alpha, 255, 0, 0)));
    f.Open();
    f.Settle();
    const RAST_pixel p = RAST_GetPixel(f.gui->GetScreen(), 20, 20);
    EXPECT_NEAR(RAST_GETR(p), c.r, 1);
    EXPECT_NEAR(RAST_GETG(p), c.g, 1);
    EXPECT_NEAR(RAST_GETB(p), c.b, 1);
    EXPECT_EQ(RAST_GetPixel(f.gui->GetScreen(), 60, 60), RAST_RGBA(128, 128, 128, 255));
  }
}

// The pop-up switch asks for its value from a menu of the parameter's
// words; the frames switch takes the frame of the slice clicked.
TEST_F(Controls, PopUpSwitchAsksAndFramesSwitchPicksTheSlice)
{
  GuiFixture f;
  f.unit.GetParam(2)->InitDouble("p", 0.0, 0.0, 1.0, 0.001);
  IParam* words = f.unit.GetParam(1);
  words->InitEnum("mode", 0, 3);
  words->SetDisplayText(0, "off");
  words->SetDisplayText(1, "slow");
  words->SetDisplayText(2, "fast");
  auto* popup = new ISwitchPopUpControl(&f.unit, 10, 10, 1, Strip(f, 1, 8, 8, 3));
  auto* frames = new ISwitchFramesControl(&f.unit, 40, 10, 2, Strip(f, 2, 8, 8, 4));
  f.gui->AttachControl(popup);
  f.gui->AttachControl(frames);
  f.Open();
  f.Settle();
  f.gui->QueueMenuChoice({2});
  IMouseMod m = Left();
  f.gui->OnMouseDown(12, 12, &m);
  ASSERT_EQ(f.gui->mMenus.size(), 1u);
  EXPECT_DOUBLE_EQ(words->GetNormalized(), 1.0);
  f.Settle();
  EXPECT_EQ(RAST_GetPixel(f.gui->GetScreen(), 12, 12), RAST_RGBA(30, 0, 0, 255));

  // Slices of 2 pixels from the top: y 10..11 frame 1, .. 16..17 frame 4.
  struct Case
  {
    int y;
    double value;
    int red;
  } kCases[] = {{17, 1.0, 40}, {10, 0.0, 10}, {13, 1.0 / 3.0, 20}, {14, 2.0 / 3.0, 30}};
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.y);
    f.gui->OnMouseDown(44, c.y, &m);
    EXPECT_DOUBLE_EQ(frames->GetValue(), c.value);
    f.Settle();
    EXPECT_EQ(RAST_GetPixel(f.gui->GetScreen(), 44, 12), RAST_RGBA(c.red, 0, 0, 255));
  }
}

// The held knob tells it is held from the press to the release; a drag up
// by half its height at gearing 1 adds 0.5 and shows the frame of it.
TEST_F(Controls, HeldKnobReportsTheMouseAndDrags)
{
  Fixture f;
  auto* knob = new IKnobMultiControl2(&f.unit, 20, 20, 1, Strip(f, 1, 10, 50, 3));
  f.gui->AttachControl(knob);
  f.Open();
  f.Settle();
  IMouseMod m = Left();
  EXPECT_FALSE(knob->IsMouseDown());
  f.gui->OnMouseDown(25, 60, &m);
  EXPECT_TRUE(knob->IsMouseDown());
  f.gui->OnMouseDrag(25, 35, &m);
  EXPECT_DOUBLE_EQ(f.unit.GetParam(1)->GetNormalized(), 0.5);
  EXPECT_TRUE(knob->IsMouseDown());
  f.gui->OnMouseUp(25, 35, &m);
  EXPECT_FALSE(knob->IsMouseDown());
  f.Settle();
  EXPECT_EQ(RAST_GetPixel(f.gui->GetScreen(), 25, 40), RAST_RGBA(20, 0, 0, 255));
}

namespace
{
// A 20 x 20 image of the fixture's surface, filled by paint.
template <class Paint>
IBitmap* Square(GuiFixture& f, int id, Paint paint)
{
  RAST_MemBitmap square(20, 20, 4);
  RAST_Clear(&square, 0);
  paint(&square);
  const std::string name = "square" + std::to_string(id);
  f.gui->AddResource(name.c_str(), &square);
  return f.gui->LoadIBitmap(id, (name + ".png").c_str());
}
}  // namespace

// Both turning knobs point by their value over a quarter turn each side of
// up: the rotater turns its whole image (red top half), the mask knob turns
// only the mask (its opaque top half) over the red base.
TEST_F(Controls, TurningKnobsPointByTheirValue)
{
  const RAST_pixel red = RAST_RGBA(255, 0, 0, 255), blue = RAST_RGBA(0, 0, 255, 255), grey = RAST_RGBA(128, 128, 128, 255);
  // Quadrant samples about each knob's centre, clear of the dividing lines:
  // upper left, upper right, lower left, lower right.
  struct Case
  {
    double value;
    std::vector<RAST_pixel> rotater, mask;
  } const kCases[] = {
    {0.0, {red, blue, red, blue}, {red, grey, red, grey}},
    {0.5, {red, red, blue, blue}, {red, red, grey, grey}},
    {1.0, {blue, red, blue, red}, {grey, red, grey, red}},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.value);
    Fixture f;
    auto halves = [&](RAST_MemBitmap* b) {
      RAST_FillRect(b, 0, 0, 20, 10, red, 1.0f, 0);
      RAST_FillRect(b, 0, 10, 20, 10, blue, 1.0f, 0);
    };
    auto knob = new IKnobRotaterControl(&f.unit, 10, 10, 1, Square(f, 1, halves), -kPiHalf, kPiHalf);
    IBitmap* base = Square(f, 2, [&](RAST_MemBitmap* b) { RAST_FillRect(b, 0, 0, 20, 20, red, 1.0f, 0); });
    IBitmap* mask = Square(f, 3, [](RAST_MemBitmap* b) { RAST_FillRect(b, 0, 0, 20, 10, RAST_RGBA(0, 0, 0, 255), 1.0f, 0); });
    IBitmap* top = Square(f, 4, [](RAST_MemBitmap*) {});
    auto maskKnob = new IKnobRotatingMaskControl(&f.unit, 50, 10, 2, base, mask, top, -90.0, 90.0);
    f.gui->AttachControl(knob);
    f.gui->AttachControl(maskKnob);
    f.unit.GetParam(1)->Set(c.value);
    f.unit.GetParam(2)->Set(c.value);
    f.Open();
    f.Settle();
    RAST_IBitmap* screen = f.gui->GetScreen();
    auto quadrants = [screen](int cx) {
      return std::vector<RAST_pixel>{RAST_GetPixel(screen, cx - 6, 14), RAST_GetPixel(screen, cx + 6, 14),
                                     RAST_GetPixel(screen, cx - 6, 26), RAST_GetPixel(screen, cx + 6, 26)};
    };
    EXPECT_EQ(quadrants(20), c.rotater);
    EXPECT_EQ(quadrants(60), c.mask);
  }
}
