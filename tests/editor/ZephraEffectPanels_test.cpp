// The effect panels on the real look: the equaliser graph fed from the
// knobs and dragged back into them, the delay tab, the graph view refused
// while an equaliser value is learnt, and the chain order's tab places.
#include "ZephraFaceTestEditor.h"

#include "core/IParam.h"
#include "graphics/controls/IParaGraphicEq.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

IParaGraphicEq& Graph(FaceEditor& f)
{
  return *f.Face().EqGraph();
}

// Presses the graph where a band of hz at 0 dB has its handle.
void PressAt(FaceEditor& f, double hz)
{
  IParaGraphicEq& graph = Graph(f);
  const IRECT r = graph.GetRECT();
  IMouseMod mod;
  graph.OnMouseDown(r.L + static_cast<int>(graph.FreqPosition(hz) * r.W() + 0.5), r.T + r.H() / 2, &mod);
}

// Drags the band held at hz to the graph's left (toRight false) or right
// edge at 0 dB, and lets go.
void Drag(FaceEditor& f, double hz, bool toRight)
{
  PressAt(f, hz);
  IParaGraphicEq& graph = Graph(f);
  const IRECT r = graph.GetRECT();
  IMouseMod mod;
  const int x = toRight ? r.R - 1 : r.L;
  graph.OnMouseDrag(x, r.T + r.H() / 2, 0, 0, &mod);
  graph.OnMouseUp(x, r.T + r.H() / 2, &mod);
}

// Every band flat at a place of its own: bass 50 Hz, both mids 140 Hz,
// treble 7000 Hz.
void FlatBands(FaceEditor& f)
{
  for (int band = 0; band < 4; ++band) f.Set(kParamBassBoost + 3 * band, 0);
  f.Set(kParamBassFrq, 0);
  f.Set(kParamMid1Frq, 0);
  f.Set(kParamMid2Frq, 0);
  f.Set(kParamTrebleFrq, 127);
}

int Count(const Bytes& wire, uint8_t byte)
{
  return static_cast<int>(std::count(wire.begin(), wire.end(), byte));
}

}  // namespace

// The graph view pushes the knobs' bands to the graph: each handle is found
// where its frequency puts it, with the band's limits.
TEST(EffectPanels, KnobsToGraphBands)
{
  struct Case
  {
    const char* name;
    int param, value, band;
    float hz, minHz, maxHz, minGain, maxGain;
  } kCases[] = {
    {"bass at 0", kParamBassFrq, 0, 0, 50.0f, 50.0f, 270.0f, -20.0f, 20.0f},
    {"bass at 127", kParamBassFrq, 127, 0, 270.0f, 50.0f, 270.0f, -20.0f, 20.0f},
    {"mid 1 at 127", kParamMid1Frq, 127, 1, 4800.0f, 140.0f, 4800.0f, -20.0f, 20.0f},
    {"treble at 0", kParamTrebleFrq, 0, 3, 2000.0f, 2000.0f, 7000.0f, -15.0f, 15.0f},
  };
  for (const Case& c : kCases)
  {
    FaceEditor f;
    FlatBands(f);
    f.Set(c.param, c.value);
    f.Set(kParamParagraphicEqView, 1);
    EXPECT_FALSE(f.Hidden(kParamPgEq)) << c.name;
    PressAt(f, c.hz);
    IParaGraphicEq::Band band;
    ASSERT_TRUE(Graph(f).GetBand(&band)) << c.name;
    EXPECT_EQ(band.mIndex, c.band) << c.name;
    EXPECT_NEAR(band.mFreq, c.hz, c.hz * 1e-3) << c.name;
    EXPECT_EQ(band.mMinFreq, c.minHz) << c.name;
    EXPECT_EQ(band.mMaxFreq, c.maxHz) << c.name;
    EXPECT_EQ(band.mMinGain, c.minGain) << c.name;
    EXPECT_EQ(band.mMaxGain, c.maxGain) << c.name;
  }
}

// A drag sets the band's knobs, each sent, and makes one undo step per
// band dragged in a row.
TEST(EffectPanels, GraphDragUndoSteps)
{
  FaceEditor f;
  FlatBands(f);
  f.Set(kParamParagraphicEqView, 1);
  f.TakeWire();
  const int steps = f.editor->UndoCount();

  Drag(f, 50.0, true);  // bass to 270 Hz: "Bass frq." 127 at 6/30
  EXPECT_EQ(f.Int(kParamBassFrq), 127);
  EXPECT_EQ(f.TakeWire(), (Bytes{0xB0, 0x63, 0x06, 0xB0, 0x62, 0x1E, 0xB0, 0x06, 0x7F}));
  EXPECT_EQ(f.editor->UndoCount(), steps + 1);

  Drag(f, 270.0, false);  // the same band back to 50 Hz
  EXPECT_EQ(f.Int(kParamBassFrq), 0);
  EXPECT_EQ(f.editor->UndoCount(), steps + 1);

  Drag(f, 140.0, true);  // mid 1 to 4800 Hz
  EXPECT_EQ(f.Int(kParamMid1Frq), 127);
  EXPECT_FALSE(f.TakeWire().empty());
  EXPECT_EQ(f.editor->UndoCount(), steps + 2);
}

// A graph touch that picked no band gives the knobs nothing.
TEST(EffectPanels, DragWithoutBandSetsNothing)
{
  FaceEditor f;
  FlatBands(f);
  f.Set(kParamParagraphicEqView, 1);
  f.TakeWire();
  const int steps = f.editor->UndoCount();
  f.Set(kParamPgEq, 1);
  EXPECT_TRUE(f.TakeWire().empty());
  EXPECT_EQ(f.editor->UndoCount(), steps);
  EXPECT_EQ(f.Int(kParamBassFrq), 0);
}

// A mid band narrower than its least width (as a band may be stored) is
// taken at the least: the narrowest Q, not a width that turns the Q
// formula negative.
TEST(EffectPanels, TooNarrowBandTakesTheNarrowestQ)
{
  struct Case
  {
    const char* name;
    float width;
    int q;
  } kCases[] = {
    {"below the least", -0.5f, 100},
    {"at the least", 0.1442f, 100},
    {"the widest", 1.38848f, 10},
  };
  for (const Case& c : kCases)
  {
    FaceEditor f;
    FlatBands(f);
    f.Set(kParamParagraphicEqView, 1);
    Graph(f).SetBands({1, IParaGraphicEq::kBell, 0.0f, 1000.0f, c.width, 140.0f, 4800.0f, -20.0f, 20.0f, 0.1442f,
                       1.38848f});
    PressAt(f, 1000.0);
    f.Set(kParamPgEq, 1);
    EXPECT_EQ(f.Int(kParamMid1Q), c.q) << c.name;
  }
}

// With "MIDI Sync" 3 the delay tab switches the synth to the long delays:
// both delays 0..9 at 0 and the whole program sent once (336 controllers).
TEST(EffectPanels, DelayTabSendsOneWholeProgram)
{
  FaceEditor f;
  f.Set(kParamMidiSync, 3);
  f.Set(kParamDelayVintageLong, 0);
  f.Click(kParamTabChorus);
  f.TakeWire();
  f.Set(kParamTabDelay, 1);
  const Bytes wire = f.TakeWire();
  EXPECT_EQ(wire.size(), 1008u);
  EXPECT_EQ(Count(wire, 0xB0), 336);
  EXPECT_EQ(f.Int(kParamDelayVintageLong), 1);
  for (EParam delay : {kParamDelay1, kParamDelay2})
  {
    EXPECT_EQ(f.editor->GetParam(delay)->GetMax(), 9);
    EXPECT_EQ(f.Int(delay), 0);
  }
  EXPECT_EQ(f.Int(kParamShowFxDelay), 1);
  EXPECT_EQ(f.Int(kParamShowFxChorus), 0);
  // Already on the delay: a second press sends nothing.
  f.Set(kParamTabDelay, 0);
  f.Set(kParamTabDelay, 1);
  EXPECT_TRUE(f.TakeWire().empty());
}

TEST(EffectPanels, NoGraphWhileAnEqValueIsLearnt)
{
  FaceEditor f;
  f.Set(kParamParametricEqView, 1);
  f.Click(kParamFlexi1Learn);
  f.Set(kParamMid2Boost, 4);
  ASSERT_EQ(f.editor->FlexiTarget(0), ProgramIndex(kParamMid2Boost));
  f.Set(kParamParagraphicEqView, 1);
  EXPECT_TRUE(f.Hidden(kParamPgEq));
  EXPECT_TRUE(f.Face().EqParametric());
}

TEST(EffectPanels, ChainOrderPlacesTheTabs)
{
  struct Case
  {
    const char* name;
    int order, overdriveX, equaliserX;
  } kCases[] = {
    {"equaliser first", 1, 618, 523},
    {"overdrive first", 0, 523, 618},
  };
  FaceEditor f;
  for (const Case& c : kCases)
  {
    f.Set(kParamEffectsChainOrder, c.order);
    for (int param : {kParamShowFxOverdrive, kParamTabOverdrive})
      EXPECT_EQ(f.Corner(param), std::make_pair(c.overdriveX, 565)) << c.name;
    for (int param : {kParamShowFxEqualizer, kParamTabEqualizer})
      EXPECT_EQ(f.Corner(param), std::make_pair(c.equaliserX, 565)) << c.name;
    EXPECT_EQ(f.Face().Ref(SkinRef::kOverdriveHighlight)->GetRECT().L, c.overdriveX) << c.name;
    EXPECT_EQ(f.Face().Ref(SkinRef::kEqualizerHighlight)->GetRECT().L, c.equaliserX) << c.name;
  }
}
