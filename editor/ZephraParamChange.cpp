// The parameter-change handler: the one place where every parameter change
// of the editor, from a control, an editor action or a MIDI thread, turns
// into synth messages, captions and panel changes.
//
// Handler index r: p - 3 for the program values (p 3..186, r 0..183), p
// itself for the interface parameters (187..341).
#include "editor/ZephraEditor.h"

#include "core/BASE_Mutex.h"

#include <cstdio>

namespace {

constexpr int kFirstInterfaceParam = 187;

// Values that show their plain number before any case refines it.
bool HasNumberCaption(int r)
{
  return (r >= 0 && r <= 94) || (r >= 129 && r <= 169) || (r >= 179 && r <= 183);
}

// The last value of these always reads "unknown", so every press and
// release of them is handled.
bool AlwaysPasses(int r)
{
  return (r >= 239 && r <= 246) || (r >= 255 && r <= 258) || r == 290;
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
  const int r = p < kFirstInterfaceParam ? p - kParamOffset : p;
  if (r < 0 || p >= kParamCount) return;
  const int v = ParamInt(p);

  if (r == kIndexMidiSync && !mBulkLoad && !Panels().IsMidiSyncKnobHeld())
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
    if (HasNumberCaption(r))
    {
      char text[16];
      std::snprintf(text, sizeof text, "%d", v);
      Panels().SetValueCaption(r, text);
    }
  }

  switch (r)
  {
    // Captions in the synth's units, which replace the plain number.
    case 42: case 48: case 49: case 67: case 81: case 82: case 84: case 86:
    case 89: case 90: case 91: case 132: case 133: case 135: case 139: case 170:
      UpdateValueDisplay(r, v);
      break;
    case 69:
      // The noise decay has no "off" of its own; the caption beside it says so.
      Panels().SetValueCaption(70, "off");
      break;
    case 75:
      Panels().SetValueCaption(r, v == 0 ? "vintage" : v == 1 ? "new" : "");
      break;
    case 77:
      if (v == 0) Panels().SetValueCaption(r, "off");
      break;
    case 124:
    {
      static const char* const kSyncWords[] = {"off", "LFO4", "delay1", "delay1+2"};
      Panels().SetValueCaption(r, v >= 0 && v <= 3 ? kSyncWords[v] : "");
      break;
    }
    case 179: case 180: case 181: case 182:
      Panels().SetValueCaption(r, v == 0 ? "off" : v == 1 ? "on" : "");
      break;
    case 341:
      mKbdMidiChannel = v;
      break;
    default:
      break;
  }

  mLastNrpnIndex = r;
  mLastSentValue[r] = AlwaysPasses(r) ? kNoLastValue : v;
  mIdleTickParity = 0;
}
