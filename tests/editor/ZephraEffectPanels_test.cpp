// The effect panels on the real look: the equaliser graph and its knobs,
// the delay tab, the graph view refused while an equaliser value is
// learnt, the chain order's tab places.
#include "ZephraSkinEditor.h"

#include "core/IParam.h"
#include "graphics/controls/IBitmapControl.h"
#include "graphics/controls/IParaGraphicEq.h"
#include "raster/RAST_Bitmap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

namespace {

// Presses the graph where a band of hz at 0 dB has its handle; then drags
// it to the graph's right (dragTo 1) or left (-1) edge and lets go.
void PressAt(SkinEditor& f, double hz, int dragTo = 0)
{
  IParaGraphicEq& graph = *f.Face().EqGraph();
  const IRECT r = graph.GetRECT();
  IMouseMod mod;
  const int y = r.T + r.H() / 2, x = dragTo > 0 ? r.R - 1 : r.L;
  graph.OnMouseDown(r.L + static_cast<int>(graph.FreqPosition(hz) * r.W() + 0.5), y, &mod);
  if (dragTo == 0) return;
  graph.OnMouseDrag(x, y, 0, 0, &mod);
  graph.OnMouseUp(x, y, &mod);
}

// Bands flat at 50, 140, 140 and 7000 Hz, then param at value, then the
// graph view.
void ShowGraph(SkinEditor& f, int param = kParamBassFrq, int value = 0)
{
  for (int band = 0; band < 4; ++band) f.Set(kParamBassFrq + 3 * band, band == 3 ? 127 : 0);
  for (int band = 0; band < 4; ++band) f.Set(kParamBassBoost + 3 * band, 0);
  f.Set(param, value);
  f.Set(kParamParagraphicEqView, 1);
}

}  // namespace

// Each handle is found where the knob's frequency puts it.
TEST(EffectPanels, KnobsToGraphBands)
{
  struct Case { const char* name; int param, value, band; float hz, minHz, maxHz; } kCases[] = {
    {"bass at 0", kParamBassFrq, 0, 0, 50.0f, 50.0f, 270.0f},
    {"bass at 127", kParamBassFrq, 127, 0, 270.0f, 50.0f, 270.0f},
    {"mid 1 at 127", kParamMid1Frq, 127, 1, 4800.0f, 140.0f, 4800.0f},
    {"treble at 0", kParamTrebleFrq, 0, 3, 2000.0f, 2000.0f, 7000.0f},
  };
  for (const Case& c : kCases)
  {
    SkinEditor f;
    ShowGraph(f, c.param, c.value);
    PressAt(f, c.hz);
    IParaGraphicEq::Band band;
    ASSERT_TRUE(f.Face().EqGraph()->GetBand(&band)) << c.name;
    EXPECT_EQ(band.mIndex, c.band) << c.name;
    EXPECT_NEAR(band.mFreq, c.hz, c.hz * 1e-3) << c.name;
    EXPECT_TRUE(band.mMinFreq == c.minHz && band.mMaxFreq == c.maxHz) << c.name;
  }
}

// A touch that picked no band sets nothing; one undo step per band dragged
// in a row, each drag sent.
TEST(EffectPanels, GraphDragUndoSteps)
{
  SkinEditor f;
  ShowGraph(f);
  f.TakeWire();
  const int steps = f.editor->UndoCount();
  f.Set(kParamPgEq, 1);
  EXPECT_TRUE(f.TakeWire().empty() && f.editor->UndoCount() == steps);

  PressAt(f, 50.0, 1);  // bass to 270 Hz: "Bass frq." 127 at 6/30
  EXPECT_EQ(f.TakeWire(), (Bytes{0xB0, 0x63, 0x06, 0xB0, 0x62, 0x1E, 0xB0, 0x06, 0x7F}));
  PressAt(f, 270.0, -1);
  EXPECT_EQ(f.Int(kParamBassFrq), 0);
  EXPECT_EQ(f.editor->UndoCount(), steps + 1);
  PressAt(f, 140.0, 1);
  EXPECT_EQ(f.Int(kParamMid1Frq), 127);
  EXPECT_EQ(f.editor->UndoCount(), steps + 2);
}

// A mid band stored narrower than its least width is taken at the least.
TEST(EffectPanels, TooNarrowBandTakesTheNarrowestQ)
{
  struct Case { float width; int q; } kCases[] = {{-0.5f, 100}, {0.1442f, 100}, {1.38848f, 10}};
  for (const Case& c : kCases)
  {
    SkinEditor f;
    ShowGraph(f);
    f.Face().EqGraph()->SetBands(
      {1, IParaGraphicEq::kBell, 0.0f, 1000.0f, c.width, 140.0f, 4800.0f, -20.0f, 20.0f, 0.1442f, 1.38848f});
    PressAt(f, 1000.0);
    f.Set(kParamPgEq, 1);
    EXPECT_EQ(f.Int(kParamMid1Q), c.q) << c.width;
  }
}

// With "MIDI Sync" 3 both delays become 0..9 at 0, and the whole program
// goes out once: 336 controllers.
TEST(EffectPanels, DelayTabSendsOneWholeProgram)
{
  SkinEditor f;
  f.Set(kParamMidiSync, 3);
  f.Click(kParamTabChorus);
  f.TakeWire();
  f.Set(kParamTabDelay, 1);
  const Bytes wire = f.TakeWire();
  EXPECT_EQ(wire.size(), 1008u);
  EXPECT_EQ(std::count(wire.begin(), wire.end(), 0xB0), 336);
  for (EParam delay : {kParamDelay1, kParamDelay2})
    EXPECT_TRUE(f.editor->GetParam(delay)->GetMax() == 9 && f.Int(delay) == 0);
  EXPECT_TRUE(f.Int(kParamShowFxDelay) == 1 && f.Int(kParamShowFxChorus) == 0);
  f.Click(kParamTabDelay);
  EXPECT_TRUE(f.TakeWire().empty());
}

TEST(EffectPanels, NoGraphWhileAnEqValueIsLearnt)
{
  SkinEditor f;
  f.Set(kParamParametricEqView, 1);
  f.Click(kParamFlexi1Learn);
  f.Set(kParamMid2Boost, 4);
  f.Set(kParamParagraphicEqView, 1);
  EXPECT_TRUE(f.Hidden(kParamPgEq) && f.Face().EqParametric());
}

TEST(EffectPanels, ChainOrderPlacesTheTabs)
{
  struct Case { int order, overdriveX, equaliserX; } kCases[] = {{1, 618, 523}, {0, 523, 618}};
  SkinEditor f;
  for (const Case& c : kCases)
  {
    f.Set(kParamEffectsChainOrder, c.order);
    EXPECT_EQ(f.Corner(kParamShowFxOverdrive), f.Corner(kParamTabOverdrive));
    EXPECT_EQ(f.Corner(kParamTabOverdrive), std::make_pair(c.overdriveX, 565)) << c.order;
    EXPECT_EQ(f.Corner(f.Face().Ref(SkinRef::kOverdriveHighlight)).first, c.overdriveX) << c.order;
    EXPECT_EQ(f.Corner(kParamShowFxEqualizer), f.Corner(kParamTabEqualizer));
    EXPECT_EQ(f.Corner(kParamTabEqualizer), std::make_pair(c.equaliserX, 565)) << c.order;
    EXPECT_EQ(f.Corner(f.Face().Ref(SkinRef::kEqualizerHighlight)).first, c.equaliserX) << c.order;
  }
}

// A start holds the pixels of the one effect plate it shows: the closed
// plates (each nearly the window's size) and the chooser's are made at their
// first draw, and then look as they always did. The plates, mostly
// transparent, hold only the box of their pixels other than 0.
TEST(EffectPanels, ClosedPlatesHoldNoPixelsUntilShown)
{
  struct Case { const char* name; SkinRef ref; int width, wholeW, wholeH; } kCases[] = {
    {"chorus and delay", SkinRef::kModPanel, 622, 1140, 720},
    {"overdrive", SkinRef::kDrivePanel, 0, 1140, 720},
    {"equaliser", SkinRef::kEqPanel, 0, 1140, 720},
    {"equaliser graph", SkinRef::kGraphPanel, 0, 1140, 720},
    {"save from the synth", SkinRef::kSaveFromSynthBackground, 0, 660, 470},
  };
  SkinEditor f;
  auto record = [&](SkinRef ref) {
    auto* plate = dynamic_cast<IBitmapControl*>(f.Face().Ref(ref));
    return plate && plate->GetBitmap() && plate->GetBitmap()->mData ? plate->GetBitmap() : nullptr;
  };
  for (const Case& c : kCases)
  {
    ASSERT_NE(record(c.ref), nullptr) << c.name;
    EXPECT_EQ(record(c.ref)->mData->getWidth(), c.width) << c.name;
    EXPECT_EQ(std::make_pair(record(c.ref)->W, record(c.ref)->H), std::make_pair(c.wholeW, c.wholeH)) << c.name;
  }
  f.Click(kParamTabOverdrive);
  f.Draw();
  const IBitmap* drive = record(SkinRef::kDrivePanel);
  EXPECT_TRUE(drive->mCropped);
  EXPECT_EQ(std::make_pair(drive->mData->getWidth(), drive->mData->getHeight()), std::make_pair(622, 172));
  EXPECT_EQ(std::make_pair(drive->mDataX, drive->mDataY), std::make_pair(512, 545));
  EXPECT_EQ(std::make_pair(drive->W, drive->H), std::make_pair(1140, 720));
  // The box's frame line, the box's inside and the background beside it.
  struct Point { int x, y, r, g, b; } kPoints[] = {
    {512, 630, 88, 104, 140}, {513, 630, 32, 38, 58}, {511, 630, 20, 24, 38}, {800, 541, 88, 104, 140}};
  for (const Point& p : kPoints)
  {
    const IColor at = f.At(p.x, p.y);
    EXPECT_TRUE(at.R == p.r && at.G == p.g && at.B == p.b) << p.x << "," << p.y;
  }
}
