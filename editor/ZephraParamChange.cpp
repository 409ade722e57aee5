// The parameter-change handler: the one place where every parameter change
// of the editor, from a control, an editor action or a MIDI thread, turns
// into synth messages, captions and panel changes.
//
// Handler index r: the program index p - 3 for the program values, p itself
// for the interface parameters. The last-value filter is kept per r.
#include "editor/ZephraEditor.h"

#include "core/BASE_Mutex.h"

#include <cstdio>

namespace {

constexpr int HandlerIndex(int param)
{
  return param <= kParamVcfCutoffNew ? param - kParamOffset : param;
}

bool Within(int param, EParam first, EParam last)
{
  return param >= first && param <= last;
}

// Values that show their plain number before any case refines it.
bool HasNumberCaption(int param)
{
  return Within(param, kParamVco1Coarse, kParamLfoVcoDepth) ||
         Within(param, kParamModBlendInstrument, kParamTrebleBoost) ||
         Within(param, kParamOdBlendInstrument, kParamVcfCutoffNew);
}

// The last value of these always reads "unknown", so every press and
// release of them is handled.
bool AlwaysPasses(int param)
{
  return Within(param, kParamFlexi1Learn, kParamFlexi4Clear) ||
         Within(param, kParamShowFlexi1Sources, kParamShowFlexi4Sources) || param == kParamPgEq;
}

const char* OffOn(int v)
{
  return v == 0 ? "off" : v == 1 ? "on" : "";
}

}  // namespace

void ZephraEditor::MarkProgramEdited()
{
  if (mNameMarked) return;
  mNameMarked = true;
  char marked[kProgramNameLength + 3];
  std::snprintf(marked, sizeof marked, "*%s*", mProgramName);
  Panels().SetNameDisplay(marked);
}

void ZephraEditor::OnParamChange(int paramIndex)
{
  BASE_MutexLock lock(GetMutex());
  const int p = paramIndex;
  const int r = HandlerIndex(p);
  if (p < kParamVco1Coarse || p >= kParamCount) return;
  const int v = ParamInt(p);

  if (p == kParamMidiSync && !mBulkLoad && !Panels().IsMidiSyncKnobHeld())
    mLastSentValue[r] = kNoLastValue;

  if (v == mLastSentValue[r]) return;

  if (GetGUI())
  {
    if (r < kProgramSize && !mBulkLoad)
    {
      SendParamNRPN(r, v);
      mUndo.Record()[r] = v;
      MarkProgramEdited();
    }
    if (HasNumberCaption(p))
    {
      char text[16];
      std::snprintf(text, sizeof text, "%d", v);
      Panels().SetValueCaption(r, text);
    }
  }

  switch (p)
  {
    // Captions in the synth's units, which replace the plain number.
    case kParamVco4PwmLfoFrq: case kParamVoice2Transposition: case kParamVoice3Transposition:
    case kParamEnvelopeMode: case kParamVcfModPitchFollow: case kParamVcfType: case kParamVcfSlope:
    case kParamPortamentoSlope: case kParamTrigGateMode: case kParamKeyPriority:
    case kParamLfoFrequency: case kParamLfoAFrq: case kParamLfoBFrq: case kParamDelay1:
    case kParamDelay2: case kParamPortamentoMode:
      UpdateValueDisplay(r, v);
      break;
    case kParamNoiseDecayTime:
      // The noise decay has no "off" of its own; the caption beside it says so.
      Panels().SetValueCaption(ProgramIndex(kParamMixInstrumentVolume), "off");
      break;
    case kParamVcfVintageNew:
      Panels().SetValueCaption(r, v == 0 ? "vintage" : v == 1 ? "new" : "");
      break;
    case kParamVcf2Cutoff:
      if (v == 0) Panels().SetValueCaption(r, "off");
      break;
    case kParamMidiSync:
    {
      static const char* const kSyncWords[] = {"off", "LFO4", "delay1", "delay1+2"};
      Panels().SetValueCaption(r, v >= 0 && v <= 3 ? kSyncWords[v] : "");
      break;
    }
    case kParamOdBlendInstrument: case kParamOdBlendVcf: case kParamEqBlendInstrument:
    case kParamEqBlendVcf:
      Panels().SetValueCaption(r, OffOn(v));
      break;
    case kParamMidiChannel:
      mKbdMidiChannel = v;
      break;
    default:
      break;
  }

  mLastNrpnIndex = r;
  mLastSentValue[r] = AlwaysPasses(p) ? kNoLastValue : v;
  mIdleTickParity = 0;
}
