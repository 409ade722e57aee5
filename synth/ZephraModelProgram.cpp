// The program record and the undo store: the default program, applying a
// record to the parameters, snapshots built from the parameters, and their
// recall. The caller holds the plug-in mutex throughout.
#include "core/BASE_Mutex.h"
#include "synth/ZephraModel.h"

#include <algorithm>
#include <cstring>

namespace {

// Parameter of program index p.
constexpr int Param(int programIndex)
{
  return programIndex + kParamOffset;
}

constexpr int kParamVcfChooser = Param(kIndexVcfChooser);  // 78
constexpr int kParamVintageCutoff = Param(kIndexCutoff);   // 79
constexpr int kParamNewCutoff = Param(kIndexNewCutoff);    // 186
constexpr int kParamShowFxOverdrive = 267;
constexpr int kParamShowFxEqualizer = 268;
constexpr int kParamShowFxChorus = 269;
constexpr int kParamShowFxDelay = 305;

// The second half folded into bit 1 of a two-state partner.
int SecondHalfOf(int partner)
{
  for (const SecondHalfPair& pair : kSecondHalfPairs)
    if (pair.partner == partner && pair.kind == FoldKind::TwoState) return pair.secondHalf;
  return -1;
}

}  // namespace

// ---- applying a record ----

void ZephraModel::ClearFlexiTargets()
{
  for (int slot = 0; slot < kFlexiSlotCount; ++slot)
  {
    mPanels->HideParamControl(kFlexiRangeParam + 2 * slot, true);
    mPanels->HideParamControl(kFlexiRangeParam + 2 * slot + 1, true);
    if (mFlexiTarget[slot] >= 0) mPanels->HideParamControl(Param(mFlexiTarget[slot]), false);
    mFlexiTarget[slot] = -1;
    mPanels->SetFlexiSlotTargeted(slot, false);
  }
}

void ZephraModel::ApplyProgramValues(bool afterRecall)
{
  const auto set = [this](int param, int value) { SetParameterFromGUI2(param, value); };
  for (int p = 0; p <= 75; ++p) set(Param(p), mProgram[p]);
  set(mProgram[kIndexVcfChooser] != 0 ? kParamNewCutoff : kParamVintageCutoff, mProgram[kIndexCutoff]);
  for (int p = 77; p <= 88; ++p) set(Param(p), mProgram[p]);
  set(Param(89), mProgram[89] & 1);
  set(Param(170), (mProgram[89] >> 1) & 1);
  for (int p = 90; p <= 94; ++p) set(Param(p), mProgram[p]);
  for (int slot = 0; slot < kFlexiSlotCount; ++slot) ApplyFlexiSlot(slot, afterRecall);
  set(Param(123), mProgram[123]);
  set(Param(124), mProgram[124]);
  for (int p = 128; p <= 143; ++p) set(Param(p), mProgram[p]);
  // Effect switches: on when any blend bit is set; the bits are the blends.
  for (int effect : {144, 157})
  {
    const int blendInstrument = effect == 144 ? 179 : 181;
    set(Param(effect), mProgram[effect] >= 1 ? 1 : 0);
    set(Param(blendInstrument), mProgram[effect] & 1);
    set(Param(blendInstrument + 1), (mProgram[effect] >> 1) & 1);
    const int last = effect == 144 ? 146 : 169;
    for (int p = effect + 1; p <= last; ++p) set(Param(p), mProgram[p]);
  }
}

void ZephraModel::ApplyFlexiSlot(int slot, bool afterRecall)
{
  const int base = kFlexiFirstIndex + kFlexiSlotSize * slot;
  const auto set = [this](int param, int value) { SetParameterFromGUI2(param, value); };
  for (int field = 0; field < kFlexiSlotSize; ++field)
  {
    const int p = base + field;
    const int second = SecondHalfOf(p);
    set(Param(p), second >= 0 ? (mProgram[p] & 1) : mProgram[p]);
    if (second >= 0) set(Param(second), (mProgram[p] >> 1) & 1);
  }
  const int sourcePosition = FlexiSourcePosition(mProgram[base + kFlexiSource]);
  if (sourcePosition >= 0) set(247 + 2 * slot, sourcePosition);
  const int rangePosition = FlexiRangePosition(mProgram[base + kFlexiRangeControl]);
  if (rangePosition >= 0) set(248 + 2 * slot, rangePosition);
  if (mProgram[base + kFlexiSource] <= 0) return;

  int target = (ParamInt(Param(base + kFlexiBits)) & 1) * 128 +
               ParamInt(Param(base + kFlexiDestination));
  // BITS and DESTINATION can name 184..255, past every per-index table; the
  // synth has no such value, so the slot simply has no target.
  if (target >= kProgramSize) return;
  if (target == kIndexCutoff && mProgram[kIndexVcfChooser] == 1)
  {
    target = kIndexNewCutoff;
    mPanels->HideParamControl(kParamVintageCutoff, true);
  }
  mFlexiTarget[slot] = target;
  // Second halves have no knob of their own to stand in for.
  if (target > 170 && target != kIndexNewCutoff) return;

  const int32_t min = kProgramMin[target];
  const int32_t max = kProgramMax[target];
  const int rangeA = kFlexiRangeParam + 2 * slot;
  GetParam(rangeA)->InitInt(kFlexiRangeRetargetName, min, min, max);
  GetParam(rangeA + 1)->InitInt(kFlexiRangeRetargetName, min, min, max);
  mPanels->PlaceFlexiRangeControls(slot, target);
  mPanels->HideParamControl(rangeA, false);
  mPanels->HideParamControl(rangeA + 1, false);
  mPanels->HideParamControl(Param(target), true);

  // In the record the new cutoff lives at index 76.
  const int valueIndex = target == kIndexNewCutoff ? kIndexCutoff : target;
  const int32_t value = std::clamp(mProgram[valueIndex], min, max);
  if (afterRecall) mProgram[valueIndex] = value;
  set(rangeA, value);
  const int range = mProgram[base + kFlexiRange];
  const int other = ParamInt(Param(base + kFlexiRangePolarity)) != 0 ? value - range : value + range;
  set(rangeA + 1, std::clamp<int32_t>(other, min, max));
  mPanels->SetFlexiSlotTargeted(slot, true);
}

void ZephraModel::ApplyProgram(const ProgramValues& values)
{
  BASE_MutexLock lock(GetMutex());
  mProgram = values;
  if (GetGUI())
  {
    ClearFlexiTargets();
    mBulkLoad = true;
    mLastNrpnIndex = kNrpnNoneSent;
    SetAllLastValues(kNoLastValue);
    ApplyProgramValues(false);
    mBulkLoad = false;
    mLastNrpnIndex = kNrpnNoneSent;
    RedrawParamControls();
    mNameMarked = false;
  }
  ResetUndoHistory();
}

// ---- the default program ----

void ZephraModel::InitProgram()
{
  std::memset(mProgramName, 0, sizeof mProgramName);
  std::strcpy(mProgramName, "INIT");
  mPanels->SetNameDisplay(mProgramName);
  mPanels->SetLastSelectedProgramFile((mProgramFolder + "Init.pr3").c_str());
  if (!GetGUI()) return;

  mLastNrpnIndex = kNrpnNoneSent;
  std::copy(kDefaultProgram.begin(), kDefaultProgram.end(), mProgram.begin());
  ClearFlexiTargets();
  mPanels->ShowEffectPanelsForProgram(false);

  mBulkLoad = true;
  mLastNrpnIndex = kNrpnNoneSent;
  SetAllLastValues(kNoLastValue);
  ApplyProgramValues(false);
  mLastNrpnIndex = kNrpnNoneSent;
  mBulkLoad = false;
  RedrawParamControls();
  SendProgramToSynth();
  ParamsToUndoRecord();
  PushUndoSnapshot();
}

// ---- snapshots ----

void ZephraModel::ParamsToUndoRecord()
{
  ProgramValues& r = mUndo.Record();
  const auto param = [this](int p) { return ParamInt(Param(p)); };
  for (int p = 0; p <= 88; ++p) r[p] = param(p);
  r[kIndexCutoff] = ParamInt(kParamVcfChooser) > 0 ? ParamInt(kParamNewCutoff)
                                                    : ParamInt(kParamVintageCutoff);
  r[89] = param(89) + 2 * param(170);
  for (int p = 90; p <= 94; ++p) r[p] = param(p);
  for (int slot = 0; slot < kFlexiSlotCount; ++slot)
  {
    const int base = kFlexiFirstIndex + kFlexiSlotSize * slot;
    for (int field = 0; field < kFlexiSlotSize; ++field)
    {
      const int p = base + field;
      const int second = SecondHalfOf(p);
      r[p] = mFlexiTarget[slot] < 0 ? 0 : param(p) + (second >= 0 ? 2 * param(second) : 0);
    }
  }
  r[123] = param(123);
  r[124] = param(124);
  for (int p = kFirstSpareLow; p <= kLastSpareLow; ++p) r[p] = 0;
  for (int p = 128; p <= 143; ++p) r[p] = param(p);
  r[144] = param(144) > 0 ? param(179) + 2 * param(180) : 0;
  r[145] = param(145);
  r[146] = param(146);
  for (int p = kFirstSpareHigh; p <= kLastSpareHigh; ++p) r[p] = 0;
  r[157] = param(157) > 0 ? param(181) + 2 * param(182) : 0;
  for (int p = 158; p <= 169; ++p) r[p] = param(p);
}

void ZephraModel::RecordUndoStep(int groupKey)
{
  ParamsToUndoRecord();
  mUndo.Step(groupKey);
}

void ZephraModel::Undo()
{
  mUndo.Back();
  RecallUndoSnapshot();
}

void ZephraModel::Redo()
{
  if (mUndo.Forward()) RecallUndoSnapshot();
}

void ZephraModel::RecallUndoSnapshot()
{
  if (!GetGUI() || mUndo.Count() == 0) return;
  mProgram = mUndo.Current();
  ClearFlexiTargets();
  mLastNrpnIndex = kNrpnNoneSent;
  mBulkLoad = true;
  ApplyProgramValues(true);

  // The delay tab follows the delay range whenever the chorus/delay panel
  // is the one on view.
  const bool chorusDelayShown = ParamInt(kParamShowFxOverdrive) != 1 &&
                                ParamInt(kParamShowFxEqualizer) != 1;
  if (chorusDelayShown)
  {
    const bool longDelay = mProgram[kIndexDelayLong] != 0;
    SetParameterFromGUI2(kParamShowFxChorus, longDelay ? 0 : 1);
    SetParameterFromGUI2(kParamShowFxDelay, longDelay ? 1 : 0);
  }
  mPanels->ShowEffectPanelsForProgram(true);
  // The synced ranges may have changed with the panels: set these again.
  mLastSentValue[42] = kNoLastValue;
  for (int p : {42, 135, 139}) SetParameterFromGUI2(Param(p), mProgram[p]);

  mBulkLoad = false;
  RedrawParamControls();
  SendProgramToSynth();
}
