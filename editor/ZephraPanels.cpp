// The panel operations: the model's link (captions, name display, FLEXI
// slot controls), the effect panels and FLEXI list views, the synced
// ranges and the equaliser graph.
#include "editor/ZephraPanels.h"

#include "editor/IKeyboardControl.h"
#include "editor/ZephraEditor.h"

#include "core/IParam.h"
#include "graphics/IGraphics.h"
#include "graphics/controls/IKnobControl.h"
#include "graphics/controls/IParaGraphicEq.h"
#include "graphics/controls/ISwitchControl.h"
#include "graphics/controls/ITextControl.h"
#include "graphics/controls/IUserTextControl.h"
#include "synth/ZephraTables.h"

#include <cmath>
#include <cstdio>

namespace {

constexpr int kSlots = kFlexiSlotCount;

}  // namespace

bool ZephraPanels::RangePairCanCover(int programIndex)
{
  if (programIndex < 0 || programIndex >= kProgramSize) return false;
  const bool flexiValue = programIndex >= ProgramIndex(kParamFlexi1Source) &&
                          programIndex <= ProgramIndex(kParamFlexi4RangeControl);
  const bool compositeHalf = programIndex >= ProgramIndex(kParamPortamentoMode) &&
                             programIndex < ProgramIndex(kParamVcfCutoffNew);
  const bool placed = kEditorLayoutX[programIndex] != 0 || kEditorLayoutY[programIndex] != 0;
  return !flexiValue && !compositeHalf && placed;
}

ZephraPanels::ZephraPanels(ZephraEditor& editor, IGraphics& gui) : mEditor(editor), mGui(gui) {}

ITextControl* ZephraPanels::Caption(int programIndex) const
{
  return programIndex >= 0 && programIndex < kProgramSize ? mCaptions[programIndex] : nullptr;
}

IKnobMultiControl* ZephraPanels::RangeSlider(int param) const
{
  const int i = param - kParamFlexi1RangeA;
  return i >= 0 && i < 8 ? mRangeSliders[i] : nullptr;
}

IParaGraphicEq* ZephraPanels::EqGraph() const
{
  return static_cast<IParaGraphicEq*>(Ref(SkinRef::kEqGraph));
}

// ---- the model's link ----

void ZephraPanels::SetValueCaption(int programIndex, const char* text)
{
  // The FLEXI values and the composite halves have no caption: nothing to write.
  if (ITextControl* caption = Caption(programIndex)) caption->SetTextFromPlug(text);
}

void ZephraPanels::SetNameDisplay(const char* text)
{
  if (auto* name = static_cast<ITextControl*>(Ref(SkinRef::kProgramName))) name->SetTextFromPlug(text);
}

std::string ZephraPanels::NameDisplayText() const
{
  auto* name = static_cast<ITextControl*>(Ref(SkinRef::kProgramName));
  if (!name) return std::string();
  BASE_String text;
  name->GetText(&text);
  return text.Get();
}

void ZephraPanels::HideParamControl(int paramIndex, bool hide)
{
  mGui.HideControl(paramIndex, hide);
}

bool ZephraPanels::IsParamControlHidden(int paramIndex) const
{
  return mGui.IsControlHidden(paramIndex);
}

void ZephraPanels::GrayOutParamControl(int paramIndex, bool gray)
{
  mGui.GrayOutControl(paramIndex, gray);
}

void ZephraPanels::SetFlexiSlotTargeted(int slot, bool targeted)
{
  if (slot < 0 || slot >= kSlots) return;
  if (mFlexiLearn[slot]) mFlexiLearn[slot]->SetTextFromPlug(targeted ? "CLEAR" : "LEARN");
  if (mLamps[slot]) mLamps[slot]->Hide(!targeted);
}

void ZephraPanels::PlaceFlexiRangeControls(int slot, int programIndex)
{
  // A value without a place of its own has no knob for the pair to stand
  // over; the pair stays parked.
  if (slot < 0 || slot >= kSlots || !RangePairCanCover(programIndex)) return;
  // The scale the knobs were drawn at, not the window's width: the compact
  // panel cuts the whole panel narrower without shrinking it.
  const double s = mGui.GetScale();
  const int x = kEditorLayoutX[programIndex], y = kEditorLayoutY[programIndex];
  mGui.MoveControlByParam(kParamFlexi1RangeA + 2 * slot, static_cast<int>(x * s), static_cast<int>((y - 12) * s));
  mGui.MoveControlByParam(kParamFlexi1RangeB + 2 * slot, static_cast<int>((x + mRangeWidth) * s),
                          static_cast<int>((y - 12) * s));
}

void ZephraPanels::ShowEffectPanelsForProgram(bool /*afterRecall*/)
{
  // The view-layout hook brings every panel in line with the values; after
  // an undo recall it also closes the program-location chooser, as always.
  mEditor.SetGUILayout(0, mGui.Width(), mGui.Height());
}

void ZephraPanels::SetLastSelectedProgramFile(const char* path)
{
  if (auto* save = static_cast<IFileSelectorControl*>(Ref(SkinRef::kSaveSelector)))
    save->SetLastSelectedFileFromPlug(path);
}

void ZephraPanels::SetProgramSelectorsFile(const char* path)
{
  for (SkinRef ref : {SkinRef::kLoadSelector, SkinRef::kSaveSelector, SkinRef::kWriteSelector})
    if (auto* selector = dynamic_cast<IFileSelectorControl*>(Ref(ref))) selector->SetLastSelectedFileFromPlug(path);
}

bool ZephraPanels::IsMidiSyncKnobHeld() const
{
  auto* knob = static_cast<IKnobMultiControl2*>(Ref(SkinRef::kMidiSyncSlider));
  return knob && knob->IsMouseDown();
}

int ZephraPanels::ShowMessageBox(const char* text, const char* caption, int type)
{
  return mGui.ShowMessageBox(text, caption, type);
}

std::string ZephraPanels::PromptForSaveFile(const char* proposedPath)
{
  // Only the menu item of that name asks for a received program's file.
  BASE_String file(proposedPath), dir("");
  mGui.PromptForFile(&file, 1, &dir, "pr3", "Save Program from Zephra to File");
  return file.Get();
}

void ZephraPanels::HeldNoteChanged(int note)
{
  // Marks the keyboard for repaint only: Draw reads the held notes itself.
  const int key = note - IKeyboardControl::kLowestNote;
  const bool shown = key >= 0 && key <= IKeyboardControl::kHighestKey;
  if (mKeyboard && shown) mKeyboard->SetDirty(false);
}

double ZephraPanels::KeyboardVelocity() const
{
  return mKeyboard ? mKeyboard->VelocityFraction() : 0.0;
}

// ---- effect panels ----

void ZephraPanels::HidePlate(SkinRef ref, bool hide)
{
  if (IControl* plate = Ref(ref)) plate->Hide(hide);
}

void ZephraPanels::HideCaption(int programIndex, bool hide)
{
  if (ITextControl* caption = Caption(programIndex)) caption->Hide(hide);
}

bool ZephraPanels::HideLearnedRangeControls(int programIndex, bool hide)
{
  bool learnt = false;
  for (int slot = 0; slot < kSlots; ++slot)
  {
    if (mEditor.FlexiTarget(slot) != programIndex) continue;
    learnt = true;
    mGui.HideControl(kParamFlexi1RangeA + 2 * slot, hide);
    mGui.HideControl(kParamFlexi1RangeB + 2 * slot, hide);
  }
  return learnt;
}

void ZephraPanels::HideValue(int param, bool hide)
{
  const int r = ProgramIndex(static_cast<EParam>(param));
  const bool learnt = HideLearnedRangeControls(r, hide);
  if (hide || !learnt) mGui.HideControl(param, hide);
  HideCaption(r, hide);
}

void ZephraPanels::HideModFxPanel(bool hide)
{
  HidePlate(SkinRef::kModPanel, hide);
  for (int p = kParamModBlendInstrument; p <= kParamFeedbackDamping; ++p) HideValue(p, hide);
}

void ZephraPanels::HideOverdrivePanel(bool hide)
{
  HidePlate(SkinRef::kDrivePanel, hide);
  for (int p = kParamOverdriveOnOff; p <= kParamOverdriveLevel; ++p) HideValue(p, hide);
  HideValue(kParamOdBlendInstrument, hide);
  HideValue(kParamOdBlendVcf, hide);
}

void ZephraPanels::HideEqualizerPanel(bool hide)
{
  HidePlate(SkinRef::kEqPanel, hide);
  for (int p = kParamEqualizerOnOff; p <= kParamTrebleBoost; ++p) HideValue(p, hide);
  HideValue(kParamEqBlendInstrument, hide);
  HideValue(kParamEqBlendVcf, hide);
  mGui.HideControl(kParamParametricEqView, hide);
  mGui.HideControl(kParamParagraphicEqView, hide);
}

void ZephraPanels::HideParagraphicEqPanel(bool hide)
{
  HidePlate(SkinRef::kGraphPanel, hide);
  mGui.HideControl(kParamPgEq, hide);
  HideValue(kParamEqualizerOnOff, hide);
  HideValue(kParamEqBlendInstrument, hide);
  HideValue(kParamEqBlendVcf, hide);
  mGui.HideControl(kParamParametricEqView, hide);
  mGui.HideControl(kParamParagraphicEqView, hide);
}

// ---- FLEXI list views ----

void ZephraPanels::HideFlexiSourceList(bool hide)
{
  mGui.HideControl(kParamCloseListView, hide);
  HidePlate(SkinRef::kSourceList, hide);
  for (int p = kParamListPage1; p <= kParamListPage4; ++p) mGui.HideControl(p, hide);
}

void ZephraPanels::HideFlexiRangeList(bool hide)
{
  mGui.HideControl(kParamCloseListView, hide);
  HidePlate(SkinRef::kRangeList, hide);
  for (int p = kParamListPage1; p <= kParamListPage4; ++p) mGui.HideControl(p, hide);
  // Lists 4..7 are the range-control lists of slots 1..4.
  const int list = mEditor.OpenFlexiList();
  if (list >= 4 && list <= 7) mGui.HideControl(kParamFlexi1RangeControlPolarity + 2 * (list - 4), hide);
}

// ---- synced ranges ----

int ZephraPanels::FirstSlotTargeting(int programIndex) const
{
  for (int slot = 0; slot < kSlots; ++slot)
    if (mEditor.FlexiTarget(slot) == programIndex) return slot;
  return -1;
}

void ZephraPanels::SetFrameCount(SkinRef ref, int frames)
{
  if (auto* knob = static_cast<IKnobMultiControl*>(Ref(ref))) knob->SetFrameCount(frames);
}

void ZephraPanels::SetRangeKnobs(int slot, int frames, int minValue, int maxValue, int defaultValue)
{
  if (slot < 0) return;
  char name[32];
  std::snprintf(name, sizeof name, "Flexi%d Range", slot + 1);
  for (int half = 0; half < 2; ++half)
  {
    const int param = kParamFlexi1RangeA + 2 * slot + half;
    mEditor.GetParam(param)->InitInt(name, defaultValue, minValue, maxValue);
    if (IKnobMultiControl* knob = RangeSlider(param)) knob->SetFrameCount(frames);
  }
}

namespace {

// Re-ranges a value's parameter under its own name.
void ReRange(ZephraEditor& editor, EParam param, int defaultValue, int minValue, int maxValue)
{
  IParam* p = editor.GetParam(param);
  char name[64];
  std::snprintf(name, sizeof name, "%s", p->GetNameForHost());
  p->InitInt(name, defaultValue, minValue, maxValue);
}

}  // namespace

void ZephraPanels::SetPwmLfoRangeMode(bool synced)
{
  const int top = synced ? 12 : 127;
  const int frames = synced ? 12 : 0;
  ReRange(mEditor, kParamVco4PwmLfoFrq, 1, 1, top);
  SetFrameCount(SkinRef::kPwmSlider, frames);
  SetRangeKnobs(FirstSlotTargeting(ProgramIndex(kParamVco4PwmLfoFrq)), frames, 1, top, 1);
}

void ZephraPanels::SetDelayRangeMode(int mode)
{
  const bool delay1Synced = mode == 1 || mode == 2;
  const bool delay2Synced = mode == 2;
  ReRange(mEditor, kParamDelay1, 0, 0, delay1Synced ? 9 : 127);
  ReRange(mEditor, kParamDelay2, 0, 0, delay2Synced ? 9 : 127);
  SetFrameCount(SkinRef::kDelay1Slider, delay1Synced ? 10 : 0);
  SetFrameCount(SkinRef::kDelay2Slider, delay2Synced ? 10 : 0);
  const int r1 = ProgramIndex(kParamDelay1), r2 = ProgramIndex(kParamDelay2);
  if (mode == 1)
  {
    SetRangeKnobs(FirstSlotTargeting(r1), 10, 0, 9, 0);
    SetRangeKnobs(FirstSlotTargeting(r2), 0, 0, 127, 0);
    return;
  }
  // One slot for either delay: the first that targets one of them.
  int slot = -1;
  for (int s = 0; s < kSlots && slot < 0; ++s)
    if (mEditor.FlexiTarget(s) == r1 || mEditor.FlexiTarget(s) == r2) slot = s;
  SetRangeKnobs(slot, mode == 2 ? 10 : 0, 0, mode == 2 ? 9 : 127, 0);
}

// ---- the equaliser graph ----

void ZephraPanels::SetEqBands(const int* v)
{
  IParaGraphicEq* graph = EqGraph();
  if (!graph) return;
  // Shelf slope 0..127 runs from the steepest (10) to the gentlest (4).
  const auto slope = [](int s) { return static_cast<float>(127 - s) / 127.0f * 6.0f + 4.0f; };
  // Q 10..100 as a bandwidth in octaves, about 1.39 down to 0.144.
  const auto octaves = [](int q) {
    const float x = static_cast<float>(q - 10) / 90.0f * 9.0f + 1.0f;
    const float x2 = x * x;
    const float c = (2.0f * x2 + 1.0f) / (2.0f * x2);
    const float d = (2.0f * x2 + 1.0f) / x2;
    return std::log10(std::sqrt(d * d * 0.25f - 1.0f) + c) / 0.30103f;
  };
  const auto hz = [](int f, float span, float base) {
    return std::pow(2.0f, static_cast<float>(f) / 127.0f * span + base);
  };
  IParaGraphicEq::Band bands[4];
  bands[0] = {0, IParaGraphicEq::kLowShelf, static_cast<float>(v[2]), hz(v[0], 2.43296f, 5.6438556f), slope(v[1]),
              50.0f, 270.0f, -20.0f, 20.0f, 4.0f, 10.0f};
  bands[1] = {1, IParaGraphicEq::kBell, static_cast<float>(v[5]), hz(v[3], 5.0995355f, 7.1292825f), octaves(v[4]),
              140.0f, 4800.0f, -20.0f, 20.0f, 0.1442f, 1.38848f};
  bands[2] = {2, IParaGraphicEq::kBell, static_cast<float>(v[8]), hz(v[6], 5.0995355f, 7.1292825f), octaves(v[7]),
              140.0f, 4800.0f, -20.0f, 20.0f, 0.1442f, 1.38848f};
  bands[3] = {3, IParaGraphicEq::kHighShelf, static_cast<float>(v[11]), hz(v[9], 1.8073559f, 10.965783f),
              slope(v[10]), 2000.0f, 7000.0f, -15.0f, 15.0f, 4.0f, 10.0f};
  for (const IParaGraphicEq::Band& band : bands) graph->SetBands(band);
  graph->SetDirty(false);
}

void ZephraPanels::UpdateEqGraphFromProgram()
{
  int values[12];
  for (int i = 0; i < 12; ++i) values[i] = mEditor.Program()[ProgramIndex(kParamBassFrq) + i];
  SetEqBands(values);
}

void ZephraPanels::UpdateEqGraphFromParams()
{
  mEqParametric = false;
  HideEqualizerPanel(true);
  HideParagraphicEqPanel(false);
  int values[12];
  for (int i = 0; i < 12; ++i) values[i] = mEditor.ParamInt(kParamBassFrq + i);
  SetEqBands(values);
}
