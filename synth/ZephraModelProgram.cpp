// The program record and the undo store: the default program, applying a
// record to the parameters, snapshots built from the parameters, and their
// recall. The caller holds the plug-in mutex throughout.
#include "core/BASE_Mutex.h"
#include "synth/ZephraModel.h"

#include <algorithm>
#include <cstring>

namespace {

// The second half folded into bit 1 of a two-state partner.
int SecondHalfOf(int partner)
{
  for (const SecondHalfPair& pair : kSecondHalfPairs)
    if (pair.partner == partner && pair.kind == FoldKind::TwoState) return pair.secondHalf;
  return -1;
}

}  // namespace

// ---- applying a record ----

void ZephraModel::ClearFlexiTarget(int slot)
{
  mPanels->HideParamControl(kParamFlexi1RangeA + 2 * slot, true);
  mPanels->HideParamControl(kParamFlexi1RangeB + 2 * slot, true);
  if (mFlexiTarget[slot] >= 0) mPanels->HideParamControl(ParamOfIndex(mFlexiTarget[slot]), false);
  mFlexiTarget[slot] = -1;
  mPanels->SetFlexiSlotTargeted(slot, false);
}

void ZephraModel::ClearFlexiTargets()
{
  for (int slot = 0; slot < kFlexiSlotCount; ++slot) ClearFlexiTarget(slot);
}

void ZephraModel::ApplyProgramValues(bool afterRecall, unsigned targetSlots, bool effects)
{
  const auto set = [this](int param, int value) { SetParameterFromGUI2(param, value); };
  const auto setRun = [this, &set](EParam first, EParam last) {
    for (int n = first; n <= last; ++n) set(n, mProgram[n - kParamOffset]);
  };
  setRun(kParamVco1Coarse, kParamVcfVintageNew);
  set(Value(kParamVcfVintageNew) != 0 ? kParamVcfCutoffNew : kParamVcfCutoffVintage,
      Value(kParamVcfCutoffVintage));
  setRun(kParamVcf2Cutoff, kParamVcoTranspose);
  set(kParamTrigGateMode, Value(kParamTrigGateMode) & 1);
  set(kParamPortamentoMode, (Value(kParamTrigGateMode) >> 1) & 1);
  setRun(kParamKeyPriority, kParamLfoVcoDepth);
  for (int slot = 0; slot < kFlexiSlotCount; ++slot)
  {
    ApplyFlexiValues(slot, true);
    if (targetSlots & (1u << slot)) SetUpFlexiTarget(slot, afterRecall);
  }
  setRun(kParamDelayVintageLong, kParamMidiSync);
  if (!effects) return;
  setRun(kParamEffectsChainOrder, kParamFeedbackDamping);
  // Effect switches: on when any blend bit is set; the bits are the blends.
  for (const EffectBlends& effect : kEffectBlends)
  {
    const int folded = Value(effect.onOff);
    set(effect.onOff, folded >= 1 ? 1 : 0);
    set(effect.blendInstrument, folded & 1);
    set(effect.blendVcf, (folded >> 1) & 1);
    setRun(static_cast<EParam>(effect.onOff + 1), effect.last);
  }
}

void ZephraModel::ApplyFlexiValues(int slot, bool withDestination)
{
  const int base = kFlexiFirstIndex + kFlexiSlotSize * slot;
  const auto set = [this](int param, int value) { SetParameterFromGUI2(param, value); };
  for (int field = 0; field < kFlexiSlotSize; ++field)
  {
    const int p = base + field;
    if (field == kFlexiDestination && !withDestination) continue;
    const int second = SecondHalfOf(p);
    set(ParamOfIndex(p), second >= 0 ? (mProgram[p] & 1) : mProgram[p]);
    if (second >= 0) set(ParamOfIndex(second), (mProgram[p] >> 1) & 1);
  }
  const int sourcePosition = FlexiSourcePosition(mProgram[base + kFlexiSource]);
  if (sourcePosition >= 0) set(kParamFlexi1Sources + 2 * slot, sourcePosition);
  const int rangePosition = FlexiRangePosition(mProgram[base + kFlexiRangeControl]);
  if (rangePosition >= 0) set(kParamFlexi1Ranges + 2 * slot, rangePosition);
}

void ZephraModel::SetUpFlexiTarget(int slot, bool afterRecall)
{
  const int base = kFlexiFirstIndex + kFlexiSlotSize * slot;
  const auto set = [this](int param, int value) { SetParameterFromGUI2(param, value); };
  if (mProgram[base + kFlexiSource] <= 0) return;

  int target = (ParamInt(ParamOfIndex(base + kFlexiBits)) & 1) * 128 +
               ParamInt(ParamOfIndex(base + kFlexiDestination));
  // BITS and DESTINATION can name 184..255, past every per-index table; the
  // synth has no such value, so the slot simply has no target.
  if (target >= kProgramSize) return;
  if (target == ProgramIndex(kParamVcfCutoffVintage) && Value(kParamVcfVintageNew) == 1)
  {
    target = ProgramIndex(kParamVcfCutoffNew);
    mPanels->HideParamControl(kParamVcfCutoffVintage, true);
  }
  mFlexiTarget[slot] = target;
  // Second halves have no knob of their own to stand in for.
  if (target > ProgramIndex(kParamPortamentoMode) && target != ProgramIndex(kParamVcfCutoffNew)) return;

  const int32_t min = kProgramMin[target];
  const int32_t max = kProgramMax[target];
  const int rangeA = kParamFlexi1RangeA + 2 * slot;
  const int rangeB = kParamFlexi1RangeB + 2 * slot;
  GetParam(rangeA)->InitInt(kFlexiRangeRetargetName, min, min, max);
  GetParam(rangeB)->InitInt(kFlexiRangeRetargetName, min, min, max);
  mPanels->PlaceFlexiRangeControls(slot, target);
  mPanels->HideParamControl(rangeA, false);
  mPanels->HideParamControl(rangeB, false);
  mPanels->HideParamControl(ParamOfIndex(target), true);

  // In the record the new cutoff lives at the vintage cutoff's index.
  const int valueIndex = target == ProgramIndex(kParamVcfCutoffNew) ? ProgramIndex(kParamVcfCutoffVintage) : target;
  const int32_t value = std::clamp(mProgram[valueIndex], min, max);
  if (afterRecall) mProgram[valueIndex] = value;
  set(rangeA, value);
  const int range = mProgram[base + kFlexiRange];
  const int other = ParamInt(ParamOfIndex(base + kFlexiRangePolarity)) != 0 ? value - range : value + range;
  set(rangeB, std::clamp<int32_t>(other, min, max));
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
    // Which cutoff, range pairs and effect panels show follows the program.
    mLayoutOfNewProgram = true;
    SetGUILayout(0, GetGUI()->Width(), GetGUI()->Height());
    mLayoutOfNewProgram = false;
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
  mLayoutOfNewProgram = true;
  mPanels->ShowEffectPanelsForProgram(false);
  mLayoutOfNewProgram = false;

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
  // The next knob change opens a step of its own instead of overwriting
  // the default program's.
  mUndo.EndGroup();
}

// ---- snapshots ----

void ZephraModel::ParamsToUndoRecord()
{
  ProgramValues& r = mUndo.Record();
  const auto param = [this](int p) { return ProgramParamValue(p); };
  const auto named = [this](EParam n) { return ProgramParamValue(ProgramIndex(n)); };
  const auto copyRun = [&r, &param](EParam first, EParam last) {
    for (int p = ProgramIndex(first); p <= ProgramIndex(last); ++p) r[p] = param(p);
  };
  copyRun(kParamVco1Coarse, kParamVcoTranspose);
  r[ProgramIndex(kParamVcfCutoffVintage)] = named(kParamVcfVintageNew) > 0 ? named(kParamVcfCutoffNew)
                                                                           : named(kParamVcfCutoffVintage);
  r[ProgramIndex(kParamTrigGateMode)] = named(kParamTrigGateMode) + 2 * named(kParamPortamentoMode);
  copyRun(kParamKeyPriority, kParamLfoVcoDepth);
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
  copyRun(kParamDelayVintageLong, kParamMidiSync);
  for (int p = kFirstSpareLow; p <= kLastSpareLow; ++p) r[p] = 0;
  copyRun(kParamEffectsChainOrder, kParamFeedbackDamping);
  for (int p = kFirstSpareHigh; p <= kLastSpareHigh; ++p) r[p] = 0;
  // An effect that is off keeps no blends.
  for (const EffectBlends& effect : kEffectBlends)
  {
    r[ProgramIndex(effect.onOff)] =
      named(effect.onOff) > 0 ? named(effect.blendInstrument) + 2 * named(effect.blendVcf) : 0;
    copyRun(static_cast<EParam>(effect.onOff + 1), effect.last);
  }
}

void ZephraModel::RecordUndoStep(int groupKey)
{
  ParamsToUndoRecord();
  mUndo.Step(mUndoGroupOverride >= 0 ? mUndoGroupOverride : groupKey);
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
    const bool longDelay = Value(kParamDelayVintageLong) != 0;
    SetParameterFromGUI2(kParamShowFxChorus, longDelay ? 0 : 1);
    SetParameterFromGUI2(kParamShowFxDelay, longDelay ? 1 : 0);
  }
  mLayoutOfNewProgram = true;
  mPanels->ShowEffectPanelsForProgram(true);
  mLayoutOfNewProgram = false;
  // The synced ranges may have changed with the panels: set these again.
  mLastSentValue[ProgramIndex(kParamVco4PwmLfoFrq)] = kNoLastValue;
  for (EParam synced : {kParamVco4PwmLfoFrq, kParamDelay1, kParamDelay2}) SetParameterFromGUI2(synced, Value(synced));

  mBulkLoad = false;
  RedrawParamControls();
  SendProgramToSynth();
  // The next edit opens a step of its own: one of the control last moved
  // would otherwise overwrite the step just recalled.
  mUndo.EndGroup();
}
