// The effect panels: the chain order, the effect switches, the four effect
// tabs with their lamps, and the equaliser's knob and graph views.
#include "editor/ZephraEditor.h"

#include "editor/ZephraPanels.h"
#include "graphics/IGraphics.h"
#include "graphics/controls/IParaGraphicEq.h"

#include <algorithm>
#include <cmath>

namespace {

using CaseEnd = ZephraEditor::CaseEnd;

// Each effect tab lights its own lamp; the lamps show one effect at a time.
struct TabLamp
{
  EParam tab, lamp;
};
constexpr TabLamp kTabLamps[] = {
  {kParamTabOverdrive, kParamShowFxOverdrive},
  {kParamTabEqualizer, kParamShowFxEqualizer},
  {kParamTabChorus, kParamShowFxChorus},
  {kParamTabDelay, kParamShowFxDelay},
};

// The two tab places over the effect area, in 1140-wide units.
constexpr int kFirstTabX = 523, kSecondTabX = 618;
constexpr int kTabY = 565, kTabYLcd = 562;

// A graph drag's undo group: one per band, apart from every value's own.
constexpr int kBandUndoGroup = 1000;

// The equaliser's values, from its switch to the treble boost.
constexpr int kEqFirstLearnable = ProgramIndex(kParamEqualizerOnOff);
constexpr int kEqLastLearnable = ProgramIndex(kParamTrebleBoost);

// The delay tab's range mode by "MIDI Sync": 3 both delays in divisions,
// 2 only "Delay1", else both free.
int DelayRangeMode(int midiSync)
{
  return midiSync == 3 ? 2 : midiSync == 2 ? 1 : 0;
}

// log2 as the synth's editor has always computed it, in single precision.
float Log2(float x)
{
  return std::log10(x) / 0.30103f;
}

// Each graph band's three knobs: frequency, then width (slope or Q), then
// boost, band after band from "Bass frq.".
int BandParam(int band, int field)
{
  return kParamBassFrq + 3 * band + field;
}

}  // namespace

void ZephraEditor::ShowEffectIndicator(SkinRef ref, bool show)
{
  if (IControl* indicator = mFace ? mFace->Ref(ref) : nullptr) indicator->Hide(!show);
}

// Over the tabs the overdrive and the equaliser sit in the synth's chain
// order, left to right.
CaseEnd ZephraEditor::OnEffectsChainOrder(int /*r*/, int v)
{
  if (!mFace) return CaseEnd::kTail;
  IGraphics* gui = &mFace->Gui();
  const double s = gui->Width() / 1140.0;
  const int y = static_cast<int>(s * (mSkin == kSkinLcd ? kTabYLcd : kTabY));
  const int left = static_cast<int>(kFirstTabX * s), right = static_cast<int>(kSecondTabX * s);
  const int overdriveX = v == 0 ? left : right;
  const int equaliserX = v == 0 ? right : left;
  gui->MoveControlByParam(kParamShowFxOverdrive, overdriveX, y);
  gui->MoveControlByParam(kParamTabOverdrive, overdriveX, y);
  gui->MoveControlByParam(kParamShowFxEqualizer, equaliserX, y);
  gui->MoveControlByParam(kParamTabEqualizer, equaliserX, y);
  if (IControl* highlight = mFace->Ref(SkinRef::kOverdriveHighlight)) highlight->SetPosition(overdriveX, y);
  if (IControl* highlight = mFace->Ref(SkinRef::kEqualizerHighlight)) highlight->SetPosition(equaliserX, y);
  return CaseEnd::kTail;
}

CaseEnd ZephraEditor::OnEffectSwitch(int r, int v)
{
  Panels().SetValueCaption(r, v == 1 ? "on" : "off");
  if (r == ProgramIndex(kParamModOnOff))
  {
    const bool delay = ParamInt(kParamDelayVintageLong) != 0;
    ShowEffectIndicator(SkinRef::kDelayHighlight, v == 1 && delay);
    ShowEffectIndicator(SkinRef::kChorusHighlight, v == 1 && !delay);
  }
  else if (r == ProgramIndex(kParamOverdriveOnOff))
    ShowEffectIndicator(SkinRef::kOverdriveHighlight, v == 1);
  else
    ShowEffectIndicator(SkinRef::kEqualizerHighlight, v == 1);
  return CaseEnd::kTail;
}

// A band dragged on the graph becomes its three knobs. While learn waits
// for a knob the graph edits nothing, and a drag that picked no band has
// nothing to give.
CaseEnd ZephraEditor::OnEqGraphDrag(int /*r*/, int /*v*/)
{
  if (mFlexiLearnMode) return CaseEnd::kEarly;
  IParaGraphicEq* graph = mFace ? mFace->EqGraph() : nullptr;
  IParaGraphicEq::Band band;
  if (!graph || !graph->GetBand(&band) || band.mIndex < 0 || band.mIndex > 3) return CaseEnd::kTail;

  // The knobs go out one by one; the drag is one undo step of its own below.
  mUndoSuspended = true;
  const float octaves = Log2(band.mFreq) - Log2(band.mMinFreq);
  const float span = Log2(band.mMaxFreq) - Log2(band.mMinFreq);
  SetParameterFromGUI2(BandParam(band.mIndex, 0), octaves / span * 127.0f);
  const bool shelf = band.mType != IParaGraphicEq::kBell;
  if (shelf)
  {
    const float slope = 127.0f - (band.mWidth - band.mMinWidth) / (band.mMaxWidth - band.mMinWidth) * 127.0f;
    SetParameterFromGUI2(BandParam(band.mIndex, 1), std::max(slope, 0.0f));
  }
  else
  {
    // Q from the bandwidth in octaves, the inverse of the knob's curve; a
    // width below the band's least would divide by 2^w - 1 near zero.
    const float w = std::max(band.mWidth, band.mMinWidth);
    const float twoW = std::pow(2.0f, w);
    const float q = (std::sqrt(twoW) / (twoW - 1.0f) / 9.0f - 0.11111111f) * 90.0f + 10.0f;
    SetParameterFromGUI2(BandParam(band.mIndex, 1), std::max(q, 0.0f));
  }
  SetParameterFromGUI2(BandParam(band.mIndex, 2), band.mGain);
  if (!mBulkLoad) RedrawParamControls();

  mUndoSuspended = false;
  RecordUndoStep(band.mIndex + kBandUndoGroup);
  return CaseEnd::kTail;
}

// The graph cannot stand in for an equaliser value that a FLEXI range pair
// already stands in for.
CaseEnd ZephraEditor::OnEqView(int r, int /*v*/)
{
  if (r == kParamParametricEqView)
  {
    if (!mFace) return CaseEnd::kTail;
    mFace->SetEqParametric(true);
    mFace->HideParagraphicEqPanel(true);
    mFace->HideEqualizerPanel(false);
    return CaseEnd::kTail;
  }
  const bool eqLearnt = std::any_of(mFlexiTarget.begin(), mFlexiTarget.end(), [](int32_t target) {
    return target >= kEqFirstLearnable && target <= kEqLastLearnable;
  });
  if (eqLearnt) return CaseEnd::kEarly;
  if (mFace) mFace->UpdateEqGraphFromParams();
  return CaseEnd::kTail;
}

void ZephraEditor::LightEffectLamp(int tab)
{
  for (const TabLamp& row : kTabLamps)
    if (row.tab != tab) SetParameterFromGUI2(row.lamp, 0);
  for (const TabLamp& row : kTabLamps)
    if (row.tab == tab) SetParameterFromGUI2(row.lamp, 1);
}

// The chorus and the delay are one effect: choosing the other tab switches
// the synth's mode, which the synth only takes whole, with both delays
// back at 0 in their new ranges.
void ZephraEditor::ShowModulationTab(bool delay)
{
  const bool wasBulk = mBulkLoad;
  mBulkLoad = true;
  mFace->HideOverdrivePanel(true);
  mFace->HideModFxPanel(false);
  mFace->HideParagraphicEqPanel(true);
  mFace->HideEqualizerPanel(true);
  LightEffectLamp(delay ? kParamTabDelay : kParamTabChorus);
  const bool modOn = ParamInt(kParamModOnOff) == 1;
  ShowEffectIndicator(SkinRef::kChorusHighlight, modOn && !delay);
  ShowEffectIndicator(SkinRef::kDelayHighlight, modOn && delay);

  const bool delayMode = ParamInt(kParamDelayVintageLong) > 0;
  if (delayMode != delay)
  {
    SetParameterFromGUI(kParamDelayVintageLong, delay ? 1.0 : 0.0);
    Panels().SetDelayRangeMode(delay ? DelayRangeMode(ParamInt(kParamMidiSync)) : 0);
    mLastSentValue[ProgramIndex(kParamDelay1)] = kNoLastValue;
    mLastSentValue[ProgramIndex(kParamDelay2)] = kNoLastValue;
    SetParameterFromGUI2(kParamDelay1, 0);
    SetParameterFromGUI2(kParamDelay2, 0);
    CaptureProgram();
    SendProgramToSynth();
  }
  mBulkLoad = wasBulk;
}

CaseEnd ZephraEditor::OnEffectTab(int r, int /*v*/)
{
  if (!mFace)
  {
    LightEffectLamp(r);
    return CaseEnd::kTail;
  }
  if (r == kParamTabChorus || r == kParamTabDelay)
  {
    ShowModulationTab(r == kParamTabDelay);
    RedrawParamControls();
    return CaseEnd::kTail;
  }
  const bool overdrive = r == kParamTabOverdrive;
  mFace->HideOverdrivePanel(!overdrive);
  mFace->HideModFxPanel(true);
  if (overdrive)
  {
    mFace->HideParagraphicEqPanel(true);
    mFace->HideEqualizerPanel(true);
  }
  else if (mFace->EqParametric())
    mFace->HideEqualizerPanel(false);
  else
    mFace->UpdateEqGraphFromParams();
  LightEffectLamp(r);
  if (!mBulkLoad) RedrawParamControls();
  return CaseEnd::kTail;
}
