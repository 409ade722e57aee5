// The sound-editing actions of the editor panels' buttons: copy a VCO or a
// FLEXI slot onto others, a random sound, and a reset of sections to the
// INIT sound. Each works on the program record, sends the result and ends
// as one undo step of its own. The caller holds the plug-in mutex.
#include "synth/ZephraModel.h"

#include "synth/ZephraSoundSections.h"

#include <algorithm>
#include <cstdlib>

namespace {

constexpr int kCopyChoices = 4;

}  // namespace

bool ZephraModel::IsTicked(int param) const
{
  const IParam* p = GetParam(param);
  return p && p->Value() > 0.5;
}

int ZephraModel::CopySource() const
{
  for (int choice = kCopyChoices - 1; choice >= 0; --choice)
    if (IsTicked(kParamCopySource1 + choice)) return choice;
  return -1;
}

int ZephraModel::TickedSectionCount() const
{
  int count = 0;
  for (int section = 0; section < kSectionCount; ++section) count += IsTicked(kFirstSectionParam + section) ? 1 : 0;
  return count;
}

void ZephraModel::EndActionStep()
{
  ParamsToUndoRecord();
  PushUndoSnapshot();
  // The next single change opens a step of its own rather than
  // overwriting this one.
  mUndo.EndGroup();
}

// ---- copies ----

void ZephraModel::CopyVcoSettings()
{
  CaptureProgram();
  const int source = CopySource();
  if (source < 0) return;
  mUndoSuspended = true;
  for (int target = 0; target < kVcoCount; ++target)
    if (IsTicked(kParamCopyTarget1 + target)) CopyVcoValues(mProgram, source, target);
  mLastNrpnIndex = kNrpnNoneSent;
  const int vcoValues = kVcoCount * kVcoSize;
  std::fill(mLastSentValue.begin(), mLastSentValue.begin() + vcoValues, kNoLastValue);
  // Each value goes out as a single NRPN send through the handler.
  for (int p = 0; p < vcoValues; ++p) SetParameterFromGUI2(ParamOfIndex(p), mProgram[p]);
  mLastNrpnIndex = kNrpnNoneSent;
  if (!mBulkLoad) RedrawParamControls();
  mUndoSuspended = false;
  EndActionStep();
}

void ZephraModel::CopyFlexiSlot()
{
  CaptureProgram();
  const int source = CopySource();
  if (source < 0) return;
  mUndoSuspended = true;
  unsigned targets = 0;
  for (int target = 0; target < kFlexiSlotCount; ++target)
    if (IsTicked(kParamCopyTarget1 + target))
    {
      CopyFlexiValues(mProgram, source, target);
      targets |= 1u << target;
    }
  mLastNrpnIndex = kNrpnNoneSent;
  std::fill(mLastSentValue.begin(), mLastSentValue.begin() + kProgramSize, kNoLastValue);
  for (int slot = 0; slot < kFlexiSlotCount; ++slot)
  {
    ApplyFlexiValues(slot, /*withDestination=*/false);
    if (!(targets & (1u << slot))) continue;
    // The copied fields may give the slot a source where it had none, or
    // take it away: its target follows from its own destination.
    ClearFlexiTarget(slot);
    SetUpFlexiTarget(slot, false);
  }
  mLastNrpnIndex = kNrpnNoneSent;
  if (!mBulkLoad) RedrawParamControls();
  mUndoSuspended = false;
  EndActionStep();
}

// ---- random ----

void ZephraModel::MakeRandomSound()
{
  mRandomProgram = MakeRandomProgram(mProgram, std::rand);
}

void ZephraModel::RandomizeSound()
{
  if (!GetGUI() || TickedSectionCount() == 0) return;
  CaptureProgram();
  MakeRandomSound();
  mLastNrpnIndex = kNrpnNoneSent;
  unsigned slots = 0;
  for (int section = 0; section < kSectionCount; ++section)
  {
    if (!IsTicked(kFirstSectionParam + section)) continue;
    CopySection(section, mRandomProgram, mProgram, true);
    if (section >= kFirstFlexiSection) slots |= 1u << (section - kFirstFlexiSection);
  }
  mBulkLoad = true;
  std::fill(mLastSentValue.begin(), mLastSentValue.begin() + kProgramSize, kNoLastValue);
  // A ticked slot gets a new source: its target follows from the
  // destination it keeps, so that the undo record and files hold the slot.
  for (int slot = 0; slot < kFlexiSlotCount; ++slot)
    if (slots & (1u << slot)) ClearFlexiTarget(slot);
  ApplyProgramValues(false, slots, IsTicked(kParamSectionEffect));
  FinishSectionAction();
}

// ---- resets ----

void ZephraModel::LoadInitSound()
{
  std::copy(kInitSound.begin(), kInitSound.end(), mResetProgram.begin());
}

// Only a slot whose range controls stand in for the target's own control
// swaps them back; with the range controls hidden the target's control was
// never swapped out, and showing it would put it over whatever the panel
// shows there now.
void ZephraModel::DropFlexiTargetForReset(int slot)
{
  if (!mPanels->IsParamControlHidden(kParamFlexi1RangeA + 2 * slot))
  {
    if (mFlexiTarget[slot] >= 0) mPanels->HideParamControl(ParamOfIndex(mFlexiTarget[slot]), false);
    mPanels->HideParamControl(kParamFlexi1RangeA + 2 * slot, true);
    mPanels->HideParamControl(kParamFlexi1RangeB + 2 * slot, true);
  }
  mFlexiTarget[slot] = -1;
  mPanels->SetFlexiSlotTargeted(slot, false);
}

void ZephraModel::ResetAllSections()
{
  if (!GetGUI()) return;
  mLastNrpnIndex = kNrpnNoneSent;
  mProgram = mResetProgram;
  mBulkLoad = true;
  for (int slot = 0; slot < kFlexiSlotCount; ++slot) DropFlexiTargetForReset(slot);
  ApplyProgramValues(false, 0, true);
  FinishSectionAction();
}

void ZephraModel::ResetSelectedSections()
{
  if (!GetGUI()) return;
  CaptureProgram();
  mLastNrpnIndex = kNrpnNoneSent;
  for (int section = 0; section < kSectionCount; ++section)
  {
    if (!IsTicked(kFirstSectionParam + section)) continue;
    CopySection(section, mResetProgram, mProgram, false);
    if (section >= kFirstFlexiSection) DropFlexiTargetForReset(section - kFirstFlexiSection);
  }
  mBulkLoad = true;
  ApplyProgramValues(false, 0, IsTicked(kParamSectionEffect));
  FinishSectionAction();
}

void ZephraModel::ResetSelectedSectionsToDefault()
{
  if (!GetGUI()) return;
  CaptureProgram();
  mLastNrpnIndex = kNrpnNoneSent;
  for (int section = 0; section < kFirstFlexiSection; ++section)
    if (IsTicked(kFirstSectionParam + section)) CopySection(section, kDefaultProgram, mProgram, false);
  mBulkLoad = true;
  std::fill(mLastSentValue.begin(), mLastSentValue.begin() + kProgramSize, kNoLastValue);
  ApplyProgramValues(false, 0, IsTicked(kParamSectionEffect));
  Panels().UpdateEqGraphFromProgram();
  mLastNrpnIndex = kNrpnNoneSent;
  mBulkLoad = false;
  RedrawParamControls();
  SendProgramToSynth();
}

void ZephraModel::ResetSections()
{
  const int ticked = TickedSectionCount();
  if (ticked == 0) return;
  LoadInitSound();
  if (ticked == kSectionCount)
    ResetAllSections();
  else
    ResetSelectedSections();
}

void ZephraModel::FinishSectionAction()
{
  if (Panels().IsEqGraphView()) Panels().UpdateEqGraphFromProgram();
  mLastNrpnIndex = kNrpnNoneSent;
  mBulkLoad = false;
  RedrawParamControls();
  SendProgramToSynth();
  EndActionStep();
}
