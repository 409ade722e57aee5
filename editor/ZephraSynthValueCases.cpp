// Captions and panel switching of the synth values: words, units and tempo
// divisions in place of the plain number, the envelope knobs that a mode
// leaves without effect, the two cutoff knobs that share one place, and
// "MIDI Sync", which turns three values into tempo divisions.
#include "editor/ZephraEditor.h"

namespace {

using CaseEnd = ZephraEditor::CaseEnd;

// In the vintage envelope mode these four have no effect on the sound.
constexpr EParam kVintageEnvelopeIdle[] = {kParamVcaDecayTime, kParamVcaSustainLevel,
                                           kParamVcfSustainLevel, kParamVcfReleaseTime};

}  // namespace

CaseEnd ZephraEditor::ShowUnitCaption(int r, int v)
{
  if (GetGUI()) UpdateValueDisplay(r, v);
  return CaseEnd::kTail;
}

CaseEnd ZephraEditor::OnEnvelopeMode(int r, int v)
{
  ShowUnitCaption(r, v);
  for (EParam knob : kVintageEnvelopeIdle) Panels().GrayOutParamControl(knob, v == 0);
  return CaseEnd::kTail;
}

// The vintage cutoff (0..80) and the new one (36..122) share one NRPN
// address and one place on the panel; only the one the filter uses shows.
void ZephraEditor::ShowCutoff(bool newFilter)
{
  const EParam shown = newFilter ? kParamVcfCutoffNew : kParamVcfCutoffVintage;
  const EParam hidden = newFilter ? kParamVcfCutoffVintage : kParamVcfCutoffNew;
  const int to = ProgramIndex(shown);
  const int from = ProgramIndex(hidden);
  for (int slot = 0; slot < kFlexiSlotCount; ++slot)
  {
    if (mFlexiTarget[slot] != from) continue;
    // The slot's range pair stands over the place of both knobs: it keeps
    // its place and takes the other cutoff's range, from its bottom.
    mFlexiTarget[slot] = to;
    for (int pair = kParamFlexi1RangeA + 2 * slot; pair <= kParamFlexi1RangeB + 2 * slot; ++pair)
    {
      GetParam(pair)->InitInt(kFlexiRangeRetargetName, 0, kProgramMin[to], kProgramMax[to]);
      SetParameterFromGUI2(pair, kProgramMin[to]);
    }
    const int base = kFlexiFirstIndex + kFlexiSlotSize * slot;
    SetParameterFromGUI2(ParamOfIndex(base + kFlexiRange), 0);
    SetParameterFromGUI2(ParamOfIndex(base + kFlexiRangePolarity), 0);
    Panels().HideValueCaption(to, false);
    Panels().HideValueCaption(from, true);
    return;
  }
  Panels().HideParamControl(shown, false);
  Panels().HideValueCaption(to, false);
  Panels().HideParamControl(hidden, true);
  Panels().HideValueCaption(from, true);
  SetParameterFromGUI2(shown, kProgramMin[to]);
}

CaseEnd ZephraEditor::OnVcfVintageNew(int r, int v)
{
  if (v == 0 || v == 1) ShowCutoff(v == 1);
  if (!mBulkLoad) RedrawParamControls();
  ShowUnitCaption(r, v);
  return CaseEnd::kTail;
}

CaseEnd ZephraEditor::OnMidiSync(int r, int v)
{
  // The delays follow the clock only on the long range.
  const bool longDelay = ParamInt(kParamDelayVintageLong) != 0;
  if (v == 0 || v == 1)
  {
    Panels().SetPwmLfoRangeMode(v == 1);
    Panels().SetDelayRangeMode(0);
  }
  else if ((v == 2 || v == 3) && longDelay)
  {
    Panels().SetPwmLfoRangeMode(false);
    Panels().SetDelayRangeMode(v - 1);
  }
  ShowUnitCaption(r, v);
  if (mBulkLoad) return CaseEnd::kTail;

  // A drag of the knob only re-ranges; the release (or any other change)
  // restarts the three synced values and sends the program once, since the
  // synth re-ranges them as well.
  if (!Panels().IsMidiSyncKnobHeld())
  {
    mBulkLoad = true;
    for (EParam synced : {kParamVco4PwmLfoFrq, kParamDelay1, kParamDelay2})
      mLastSentValue[ProgramIndex(synced)] = kNoLastValue;
    SetParameterFromGUI2(kParamVco4PwmLfoFrq, 1);
    SetParameterFromGUI2(kParamDelay1, 0);
    SetParameterFromGUI2(kParamDelay2, 0);
    CaptureProgram();
    SendProgramToSynth();
    mBulkLoad = false;
  }
  RedrawParamControls();
  return CaseEnd::kTail;
}
