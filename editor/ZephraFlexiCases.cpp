// FLEXI range learn and the FLEXI list view: the learnt target's range
// pair, the LEARN and CLEAR buttons, the range and polarity captions, the
// paged lists of sources and range controls, and the timed work of learn
// (the pending Range-B caption, the learn time-out, the blinking lamp).
#include "editor/ZephraEditor.h"

#include "core/BASE_Mutex.h"
#include "core/IParam.h"
#include "editor/ZephraPanels.h"
#include "graphics/controls/IKnobControl.h"
#include "graphics/controls/ITextControl.h"
#include "synth/ZephraTables.h"

#include <algorithm>
#include <cstdio>

namespace {

using CaseEnd = ZephraEditor::CaseEnd;

// Slot 0..3's program values, by their place in the slot.
int SlotParam(int slot, int field)
{
  return ParamOfIndex(kFlexiFirstIndex + kFlexiSlotSize * slot + field);
}

int RangeA(int slot)
{
  return kParamFlexi1RangeA + 2 * slot;
}

int RangeB(int slot)
{
  return kParamFlexi1RangeB + 2 * slot;
}

// The synth's code of source list position 0, given to a slot that learns a
// target while it still has no source.
constexpr int kFirstSourceCode = 98;

// A learn nobody finishes ends on the tenth tick; the lamp toggles every
// eighth idle pass; the Range-B caption stands for two ticks.
constexpr int kLearnTimeoutTicks = 10;
constexpr int kLampBlinkPasses = 8;
constexpr int kRangeBCaptionTicks = 2;

// Rows of a list page; the last rows of a page (three of the sources, six
// of the range controls) are the next page's tabs, not entries.
constexpr int kPageRows = 20;
constexpr int kSourceTabRows = 3;
constexpr int kRangeTabRows = 6;
// The open list: 0..3 the sources of slots 1..4, 4..7 their range controls.
constexpr int kFirstRangeList = 4;

// The range pair over a learnt target: tempo divisions where "MIDI Sync"
// makes the target one, else the target's own range.
struct PairRange
{
  int frames, minValue, maxValue, defaultValue;
};

PairRange RangeForTarget(int r, int midiSync)
{
  if (r == ProgramIndex(kParamVco4PwmLfoFrq) && midiSync == 1) return {12, 1, 12, 1};
  if (r == ProgramIndex(kParamDelay1) && midiSync >= 2) return {10, 0, 9, 0};
  if (r == ProgramIndex(kParamDelay2) && midiSync == 3) return {10, 0, 9, 0};
  return {0, kProgramMin[r], kProgramMax[r], 0};
}

}  // namespace

// ---- learn ----

void ZephraEditor::SetFlexiRangePair(int slot, int frames, int minValue, int maxValue, int defaultValue)
{
  char name[32];
  std::snprintf(name, sizeof name, "Flexi%d Range", slot + 1);
  for (int param : {RangeA(slot), RangeB(slot)})
  {
    GetParam(param)->InitInt(name, defaultValue, minValue, maxValue);
    if (IKnobMultiControl* knob = mFace ? mFace->RangeSlider(param) : nullptr) knob->SetFrameCount(frames);
  }
}

void ZephraEditor::ArrangeFlexiTarget(int slot, int r, int v)
{
  // Blocks past 127 belong to the effect bank, except the new filter's cutoff.
  const bool fx = r > 127 && r != ProgramIndex(kParamVcfCutoffNew);
  const PairRange range = RangeForTarget(r, ParamInt(kParamMidiSync));
  SetFlexiRangePair(slot, range.frames, range.minValue, range.maxValue, range.defaultValue);

  Panels().PlaceFlexiRangeControls(slot, r);
  Panels().HideParamControl(RangeA(slot), false);
  Panels().HideParamControl(RangeB(slot), false);
  Panels().HideParamControl(ParamOfIndex(r), true);

  SetParameterFromGUI2(RangeA(slot), v);
  SetParameterFromGUI2(RangeB(slot), v);
  SetParameterFromGUI2(SlotParam(slot, kFlexiRange), 0);
  SetParameterFromGUI2(SlotParam(slot, kFlexiRangePolarity), 0);
  SetParameterFromGUI2(SlotParam(slot, kFlexiBits), fx ? 1 : 0);
  SetParameterFromGUI2(SlotParam(slot, kFlexiDestination), kNrpnLsb[r]);

  Panels().SetFlexiSlotTargeted(slot, true);
  mLearnTimeoutRunning = false;
  mLearnTimeoutTicks = 0;

  if (ParamInt(SlotParam(slot, kFlexiSource)) == 0)
  {
    SetParameterFromGUI2(kParamFlexi1Sources + 2 * slot, 0);
    SetParameterFromGUI2(SlotParam(slot, kFlexiSource), kFirstSourceCode);
  }
  if (!mBulkLoad) RedrawParamControls();
}

// The target's own knob comes back where the pair stood over it.
void ZephraEditor::UncoverFlexiTarget(int slot)
{
  if (Panels().IsParamControlHidden(RangeA(slot))) return;
  if (mFlexiTarget[slot] >= 0) Panels().HideParamControl(ParamOfIndex(mFlexiTarget[slot]), false);
  Panels().HideParamControl(RangeA(slot), true);
  Panels().HideParamControl(RangeB(slot), true);
}

// Ends an armed learn. Only the armed slot (which lost its target when it
// was armed) and other empty slots lose their lamps; a slot with a target
// keeps its lamp, its range and its routing.
void ZephraEditor::DisarmFlexiLearn()
{
  mFlexiLearnMode = false;
  mFlexiLearnSlot = 0;
  mLearnTimeoutRunning = false;
  mLearnTimeoutTicks = 0;
  for (int slot = 0; slot < kFlexiSlotCount; ++slot)
    if (mFlexiTarget[slot] < 0) Panels().HideParamControl(kParamFlexi1Clear + slot, true);
}

// The slot forgets its target: no range, and the synth hears RANGE 0.
void ZephraEditor::EmptyFlexiSlot(int slot)
{
  mFlexiTarget[slot] = -1;
  SetParameterFromGUI2(SlotParam(slot, kFlexiRange), 0);
  SetParameterFromGUI2(SlotParam(slot, kFlexiRangePolarity), 0);
  Panels().SetFlexiSlotTargeted(slot, false);
}

void ZephraEditor::PressFlexiLearn(int slot)
{
  if (mFlexiLearnMode)
  {
    // A press on another slot only calls the armed learn off; the slot
    // pressed keeps what it has. A press on the armed slot empties it anew.
    const bool armedHere = mFlexiLearnSlot == slot + 1;
    DisarmFlexiLearn();
    if (armedHere) EmptyFlexiSlot(slot);
  }
  else
  {
    mFlexiLearnMode = true;
    mFlexiLearnSlot = slot + 1;
    UncoverFlexiTarget(slot);
    mLearnTimeoutRunning = true;
    mLearnTimeoutTicks = 0;
    mLampBlinkPasses = 0;
    EmptyFlexiSlot(slot);
  }
  if (!mBulkLoad) RedrawParamControls();
}

void ZephraEditor::PressFlexiClear(int slot)
{
  // While learn is armed CLEAR only calls it off, as LEARN on another slot
  // does: the slot pressed keeps its target.
  if (mFlexiLearnMode)
    DisarmFlexiLearn();
  else
  {
    mFlexiLearnSlot = slot + 1;
    UncoverFlexiTarget(slot);
    EmptyFlexiSlot(slot);
  }
  if (!mBulkLoad) RedrawParamControls();
}

// ---- cases ----

CaseEnd ZephraEditor::OnFlexiPolarity(int r, int v)
{
  const int slot = (r - ProgramIndex(kParamFlexi1RangeControlPolarity)) / 2;
  if (ITextControl* plus = mFace ? mFace->FlexiPlusText(slot) : nullptr) plus->SetTextFromPlug(v > 0 ? "(-)" : "(+)");
  return CaseEnd::kRecord;
}

CaseEnd ZephraEditor::OnFlexiRange(int r, int v)
{
  if (mFlexiLearnMode || mBulkLoad) return CaseEnd::kRecord;
  const int slot = (r - kParamFlexi1RangeA) / 2;
  const int target = mFlexiTarget[slot];
  if (target < 0 || target >= kProgramSize) return CaseEnd::kRecord;
  const int rangeParam = SlotParam(slot, kFlexiRange);
  const int polarityParam = SlotParam(slot, kFlexiRangePolarity);

  if (r == RangeB(slot))
  {
    UpdateValueDisplay(target, v);
    const int d = v - ParamInt(RangeA(slot));
    SetParameterFromGUI2(rangeParam, d >= 0 ? d : -d);
    SetParameterFromGUI2(polarityParam, d >= 0 ? 0 : 1);
    mPendingRangeSlot = slot + 1;
    mPendingRangeTicks = 0;
    return CaseEnd::kTail;
  }

  // Range A moves the target itself; the range keeps its width unless the
  // far end would leave the target's range.
  const int range = ParamInt(rangeParam);
  int b = 0;
  if (ParamInt(polarityParam) == 0)
  {
    b = v + range;
    if (b > kProgramMax[target]) SetParameterFromGUI2(rangeParam, kProgramMax[target] - v);
  }
  else
  {
    b = v - range;
    if (b < kProgramMin[target]) SetParameterFromGUI2(rangeParam, v - kProgramMin[target]);
  }
  SetParameterFromGUI2(RangeB(slot), b);
  SetParameterFromGUI2(ParamOfIndex(target), v);
  if (!mBulkLoad) RedrawParamControls();
  return CaseEnd::kTail;
}

// The buttons act on release; the press is noted as unknown, so a second
// press right after the first is handled too.
CaseEnd ZephraEditor::OnFlexiLearnOrClear(int r, int /*v*/)
{
  if (GetParam(r)->Value() > 0.5) return CaseEnd::kPressed;
  if (r < kParamFlexi1Clear)
    PressFlexiLearn(r - kParamFlexi1Learn);
  else
    PressFlexiClear(r - kParamFlexi1Clear);
  return CaseEnd::kTail;
}

// Press and release both show the list, and both are recorded as they are.
CaseEnd ZephraEditor::OnShowFlexiList(int r, int /*v*/)
{
  if (r <= kParamShowFlexi4Sources)
  {
    SetOpenFlexiList(r - kParamShowFlexi1Sources);
    if (mFace) mFace->HideFlexiSourceList(false);
    return CaseEnd::kRecord;
  }
  const int slot = r - kParamShowFlexi1Ranges;
  SetOpenFlexiList(kFirstRangeList + slot);
  if (mFace) mFace->HideFlexiRangeList(false);
  Panels().HideParamControl(kParamFlexi1RangeControlPolarity + 2 * slot, false);
  return CaseEnd::kRecord;
}

// The same row may be chosen again at once.
CaseEnd ZephraEditor::OnFlexiListPage(int r, int v)
{
  const int pageEnd = kPageRows * (r - kParamListPage1 + 1);
  int position = std::min(v, pageEnd - kSourceTabRows);
  if (OpenFlexiList() >= kFirstRangeList && v > pageEnd - kRangeTabRows) position = pageEnd - kRangeTabRows;
  SelectFlexiListEntry(position);
  // A choice closes the list, as the guide tells the user, and uncovers
  // the field that now shows it.
  CloseFlexiLists();
  return CaseEnd::kPressed;
}

CaseEnd ZephraEditor::OnCloseFlexiList(int /*r*/, int /*v*/)
{
  CloseFlexiLists();
  return CaseEnd::kRecord;
}

void ZephraEditor::CloseFlexiLists()
{
  if (!mFace) return;
  mFace->HideFlexiRangeList(true);
  mFace->HideFlexiSourceList(true);
}

// ---- timed work ----

void ZephraEditor::OnPanelTimerTick()
{
  if (mPendingRangeSlot > 0 && ++mPendingRangeTicks >= kRangeBCaptionTicks)
  {
    // Range B showed the far end for a moment; the caption returns to the
    // value the target really has.
    const int slot = mPendingRangeSlot - 1;
    UpdateValueDisplay(mFlexiTarget[slot], ParamInt(RangeA(slot)));
    mPendingRangeSlot = 0;
    mPendingRangeTicks = 0;
  }
  if (mLearnTimeoutRunning && ++mLearnTimeoutTicks >= kLearnTimeoutTicks)
  {
    mLearnTimeoutRunning = false;
    mLearnTimeoutTicks = 0;
    if (mFlexiLearnSlot >= 1) Panels().HideParamControl(kParamFlexi1Clear + mFlexiLearnSlot - 1, true);
    mFlexiLearnSlot = 0;
    mFlexiLearnMode = false;
  }
}

bool ZephraEditor::IdleIsTimed()
{
  // Another thread holding the mutex may be arming a learn this moment.
  BASE_MutexTryLock lock(GetMutex());
  return !lock.Locked() || (mFlexiLearnMode && mFlexiLearnSlot >= 1);
}

void ZephraEditor::OnIdle()
{
  ZephraModel::OnIdle();
  ReportFailedOpens();
  // The lamp is a control: it changes under the mutex, and an idle pass that
  // finds it taken simply blinks later.
  BASE_MutexTryLock lock(GetMutex());
  if (!lock.Locked() || !mFlexiLearnMode || mFlexiLearnSlot < 1) return;
  if (++mLampBlinkPasses < kLampBlinkPasses) return;
  mLampBlinkPasses = 0;
  const int lamp = kParamFlexi1Clear + mFlexiLearnSlot - 1;
  Panels().HideParamControl(lamp, !Panels().IsParamControlHidden(lamp));
}
