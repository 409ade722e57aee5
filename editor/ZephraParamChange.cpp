// The parameter-change handler's frame: the one place where every parameter
// change of the editor, from a control, an editor action or a MIDI thread,
// turns into synth messages, captions and panel changes.
//
// Handler index r: the program index p - 3 for the program values, p itself
// for the interface parameters. The last-value filter is kept per r.
//
// The order of the steps:
//   the manager's action (manager shown, 307..340), which may end it
//   FLEXI range learn, then controller learn (never from a whole-program change)
//   the change filter: a value equal to the last one ends it unrecorded
//   with a GUI: the NRPN send, the name mark, the plain-number caption
//   the case of r from kCases, which says how the handling ends
#include "editor/ZephraEditor.h"

#include "core/BASE_Mutex.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

namespace {

constexpr int HandlerIndex(int param)
{
  return param <= kParamVcfCutoffNew ? param - kParamOffset : param;
}

constexpr int R(EParam param)
{
  return HandlerIndex(param);
}

bool Within(int r, EParam first, EParam last)
{
  return r >= R(first) && r <= R(last);
}

// Values that show their plain number before any case refines it.
bool HasNumberCaption(int r)
{
  return Within(r, kParamVco1Coarse, kParamLfoVcoDepth) ||
         Within(r, kParamModBlendInstrument, kParamTrebleBoost) ||
         Within(r, kParamOdBlendInstrument, kParamVcfCutoffNew);
}

// The last value of these always reads "unknown", so every press and
// release of them is handled.
bool AlwaysPasses(int r)
{
  return Within(r, kParamFlexi1Learn, kParamFlexi4Clear) ||
         Within(r, kParamShowFlexi1Sources, kParamShowFlexi4Sources) || r == R(kParamPgEq);
}

// Two-state and mode values a FLEXI slot cannot modulate. Moving one while
// learn is armed is taken as a slip and ignored altogether.
constexpr EParam kLearnSwitches[] = {
  kParamVoice2Transposition, kParamVoice3Transposition, kParamEnvelopeMode, kParamVcfVintageNew,
  kParamVcfModPitchFollow,   kParamVcfType,             kParamVcfSlope,     kParamPortamentoSlope,
  kParamTrigGateMode,        kParamKeyPriority,         kParamDelayVintageLong, kParamMidiSync,
  kParamModOnOff,            kParamOverdriveOnOff,      kParamEqualizerOnOff,
};

bool IsLearnSwitch(int r)
{
  return std::any_of(std::begin(kLearnSwitches), std::end(kLearnSwitches),
                     [r](EParam p) { return R(p) == r; });
}

// The FLEXI values themselves (95..122) and the composite halves have no
// knob a slot could stand in for.
bool IsFlexiLearnable(int r)
{
  return (Within(r, kParamVco1Coarse, kParamLfoVcoDepth) ||
          Within(r, kParamDelayVintageLong, kParamTrebleBoost) || r == R(kParamVcfCutoffNew)) &&
         !IsLearnSwitch(r);
}

}  // namespace

// ---- the table of cases ----

// clang-format off
const ZephraEditor::CaseRange ZephraEditor::kCases[] = {
  {R(kParamVco4PwmLfoFrq),       R(kParamVco4PwmLfoFrq),       &ZephraEditor::ShowUnitCaption},
  {R(kParamVoice2Transposition), R(kParamVoice3Transposition), &ZephraEditor::ShowUnitCaption},
  {R(kParamEnvelopeMode),        R(kParamEnvelopeMode),        &ZephraEditor::OnEnvelopeMode},
  // "Noise decay time" has no case: its caption is its number, and the
  // caption beside it belongs to "Instrument volume".
  {R(kParamVcfVintageNew),       R(kParamVcfVintageNew),       &ZephraEditor::OnVcfVintageNew},
  {R(kParamVcf2Cutoff),          R(kParamVcf2Cutoff),          &ZephraEditor::ShowUnitCaption},
  {R(kParamVcfModPitchFollow),   R(kParamVcfType),             &ZephraEditor::ShowUnitCaption},
  {R(kParamVcfSlope),            R(kParamVcfSlope),            &ZephraEditor::ShowUnitCaption},
  {R(kParamPortamentoSlope),     R(kParamPortamentoSlope),     &ZephraEditor::ShowUnitCaption},
  {R(kParamTrigGateMode),        R(kParamLfoFrequency),        &ZephraEditor::ShowUnitCaption},
  {R(kParamMidiSync),            R(kParamMidiSync),            &ZephraEditor::OnMidiSync},
  {R(kParamEffectsChainOrder),   R(kParamEffectsChainOrder),   &ZephraEditor::OnEffectsChainOrder},
  {R(kParamModOnOff),            R(kParamModOnOff),            &ZephraEditor::OnEffectSwitch},
  {R(kParamLfoAFrq),             R(kParamLfoBFrq),             &ZephraEditor::ShowUnitCaption},
  {R(kParamDelay1),              R(kParamDelay1),              &ZephraEditor::ShowUnitCaption},
  {R(kParamDelay2),              R(kParamDelay2),              &ZephraEditor::ShowUnitCaption},
  {R(kParamOverdriveOnOff),      R(kParamOverdriveOnOff),      &ZephraEditor::OnEffectSwitch},
  {R(kParamEqualizerOnOff),      R(kParamEqualizerOnOff),      &ZephraEditor::OnEffectSwitch},
  {R(kParamPortamentoMode),      R(kParamPortamentoMode),      &ZephraEditor::ShowUnitCaption},
  {R(kParamFlexi1RangeControlPolarity), R(kParamFlexi1RangeControlPolarity), &ZephraEditor::OnFlexiPolarity},
  {R(kParamFlexi2RangeControlPolarity), R(kParamFlexi2RangeControlPolarity), &ZephraEditor::OnFlexiPolarity},
  {R(kParamFlexi3RangeControlPolarity), R(kParamFlexi3RangeControlPolarity), &ZephraEditor::OnFlexiPolarity},
  {R(kParamFlexi4RangeControlPolarity), R(kParamFlexi4RangeControlPolarity), &ZephraEditor::OnFlexiPolarity},
  {R(kParamOdBlendInstrument),   R(kParamEqBlendVcf),          &ZephraEditor::ShowUnitCaption},
  {R(kParamLoadSelector),        R(kParamNextProgram),         &ZephraEditor::OnFileButton},
  {R(kParamCopy),                R(kParamClearAll),            &ZephraEditor::OnSoundButton},
  {R(kParamFlexi1RangeA),        R(kParamFlexi4RangeB),        &ZephraEditor::OnFlexiRange},
  {R(kParamFlexi1Learn),         R(kParamFlexi4Clear),         &ZephraEditor::OnFlexiLearnOrClear},
  {R(kParamShowFlexi1Sources),   R(kParamShowFlexi4Ranges),    &ZephraEditor::OnShowFlexiList},
  {R(kParamListPage1),           R(kParamListPage4),           &ZephraEditor::OnFlexiListPage},
  {R(kParamCopySource1),         R(kParamCopySource4),         &ZephraEditor::OnCopySource},
  {R(kParamPgEq),                R(kParamPgEq),                &ZephraEditor::OnEqGraphDrag},
  {R(kParamParametricEqView),    R(kParamParagraphicEqView),   &ZephraEditor::OnEqView},
  {R(kParamTabOverdrive),        R(kParamTabChorus),           &ZephraEditor::OnEffectTab},
  {R(kParamCcLearn),             R(kParamCcClearAll),          &ZephraEditor::OnCcLearnButton},
  {R(kParamCloseListView),       R(kParamCloseListView),       &ZephraEditor::OnCloseFlexiList},
  {R(kParamProgramNumberOk),     R(kParamCopyModeFlexi),       &ZephraEditor::OnChooserOrCopyMode},
  {R(kParamTabDelay),            R(kParamTabDelay),            &ZephraEditor::OnEffectTab},
  {R(kParamMidiChannel),         R(kParamMidiChannel),         &ZephraEditor::OnKeyboardChannel},
};
// clang-format on

ZephraEditor::CaseHandler ZephraEditor::FindCase(int r)
{
  for (const CaseRange& row : kCases)
    if (r >= row.first && r <= row.last) return row.handler;
  return nullptr;
}

// ---- the frame ----

void ZephraEditor::MarkProgramEdited()
{
  if (mNameMarked) return;
  mNameMarked = true;
  Panels().SetNameDisplay(NameAsShown().c_str());
}

void ZephraEditor::SetFlexiLearnSlot(int slot)
{
  BASE_MutexLock lock(GetMutex());
  const bool valid = slot >= 1 && slot <= kFlexiSlotCount;
  mFlexiLearnMode = valid;
  mFlexiLearnSlot = valid ? slot : 0;
}

void ZephraEditor::TakeFlexiTarget(int r, int v)
{
  const int slot = mFlexiLearnSlot - 1;
  if (slot >= 0 && slot < kFlexiSlotCount)
  {
    mFlexiTarget[slot] = r;
    // The slot's values set now are no choice of the user's: a controller
    // that arrived first must not be bound to one of them.
    mArrangingFlexi = true;
    ArrangeFlexiTarget(slot, r, v);
    mArrangingFlexi = false;
  }
  mFlexiLearnSlot = 0;
  mFlexiLearnMode = false;
}

void ZephraEditor::EndHandling(CaseEnd end, int r, int v)
{
  switch (end)
  {
    case CaseEnd::kEarly:
      return;
    case CaseEnd::kTail:
      mLastSentValue[r] = AlwaysPasses(r) ? kNoLastValue : v;
      break;
    case CaseEnd::kRecord:
      mLastSentValue[r] = v;
      break;
    case CaseEnd::kPressed:
      mLastSentValue[r] = kNoLastValue;
      break;
  }
  // An interface index here means "no address sent": the next send restates
  // the address, whatever the synth heard in between.
  mLastNrpnIndex = r;
  mIdleTickParity = 0;
}

void ZephraEditor::OnParamChange(int paramIndex)
{
  BASE_MutexLock lock(GetMutex());
  const int p = paramIndex;
  if (p < 0 || p >= kParamCount) return;
  if (ManagerMode() && p >= kParamManagerSelectDisk && p <= kParamManagerRemember && RunManagerAction(p))
    return;
  const int r = HandlerIndex(p);
  if (r < 0) return;
  const int v = ParamInt(p);

  // A program load, an undo or a received dump sets many values at once;
  // none of them is the value the user means to learn.
  if (mFlexiLearnMode && !mBulkLoad && IsLearnSwitch(r)) return;
  // FLEXI learn comes first: it sets the slot's own values, which are the
  // editor's doing, not the user's, and controller learn, taking the moved
  // value after them, binds the knob the user turned.
  if (mFlexiLearnMode && !mBulkLoad && IsFlexiLearnable(r)) TakeFlexiTarget(r, v);
  if (!mBulkLoad && !mArrangingFlexi && r < ZephraLearn::kItemCount) ChooseLearnItem(r, v);
  // A "MIDI Sync" change that is not a drag of its knob (the release of the
  // knob, a menu, a learnt controller) always commits, except the release
  // of a press that never moved the value: that changed nothing.
  if (p == kParamMidiSync && !mBulkLoad)
  {
    if (Panels().IsMidiSyncKnobHeld())
    {
      if (!mMidiSyncPress.held)
        mMidiSyncPress = {true, v, false};
      else if (v != mMidiSyncPress.value)
        mMidiSyncPress.moved = true;
    }
    else
    {
      const bool untouched = mMidiSyncPress.held && !mMidiSyncPress.moved && v == mMidiSyncPress.value;
      mMidiSyncPress = {};
      if (untouched) return;
      mLastSentValue[r] = kNoLastValue;
    }
  }

  if (v == mLastSentValue[r]) return;

  if (GetGUI())
  {
    if (r < kProgramSize && !mBulkLoad)
    {
      SendParamNRPN(r, v);
      mUndo.Record()[r] = v;
      MarkProgramEdited();
    }
    if (HasNumberCaption(r))
    {
      char text[16];
      std::snprintf(text, sizeof text, "%d", v);
      Panels().SetValueCaption(r, text);
    }
  }

  const CaseHandler handler = FindCase(r);
  EndHandling(handler ? (this->*handler)(r, v) : CaseEnd::kTail, r, v);
}
