// The editor's buttons: file selectors and program stepping, the sound
// actions with their section boxes, the copy source boxes, controller
// learn, the program-number chooser, the copy modes and the on-screen
// keyboard's channel.
#include "editor/ZephraEditor.h"

namespace {

using CaseEnd = ZephraEditor::CaseEnd;

}  // namespace

void ZephraEditor::SetParamRange(int first, int last, double value)
{
  for (int param = first; param <= last; ++param) SetParameterFromGUI2(param, value);
}

CaseEnd ZephraEditor::OnFileButton(int r, int /*v*/)
{
  // Stepping needs a second file to step to; without one the press counts
  // as not handled.
  const bool step = r == kParamPreviousProgram || r == kParamNextProgram;
  if (step && GetParam(r)->Value() > 0.5 && FolderFileCount() == 0) return CaseEnd::kEarly;
  return CaseEnd::kTail;
}

// Copy, random and reset act on release, the default program, select all
// and clear all on press.
CaseEnd ZephraEditor::OnSoundButton(int r, int /*v*/)
{
  const bool pressed = GetParam(r)->Value() > 0.5;
  switch (r)
  {
    case kParamCopy:
      if (!pressed) Panels().IsFlexiCopyMode() ? CopyFlexiSlot() : CopyVcoSettings();
      break;
    case kParamInit:
      if (pressed) InitProgram();
      break;
    case kParamRandom:
    case kParamReset:
      if (pressed) break;
      // With no section ticked the release is not even recorded.
      if (TickedSectionCount() == 0) return CaseEnd::kEarly;
      r == kParamRandom ? RandomizeSound() : ResetSections();
      break;
    case kParamSelectAll:
    case kParamClearAll:
      if (!pressed) break;
      SetParamRange(kParamSectionVco1, kParamSectionFlexi4, r == kParamSelectAll ? 1 : 0);
      if (!mBulkLoad) RedrawParamControls();
      break;
    default:
      break;
  }
  return CaseEnd::kTail;
}

// The copy source is one of four: ticking one clears the others.
CaseEnd ZephraEditor::OnCopySource(int r, int /*v*/)
{
  if (GetParam(r)->Value() <= 0.5) return CaseEnd::kTail;
  for (int box = kParamCopySource1; box <= kParamCopySource4; ++box)
    if (box != r) SetParameterFromGUI2(box, 0);
  if (!mBulkLoad) RedrawParamControls();
  return CaseEnd::kTail;
}

CaseEnd ZephraEditor::OnCcLearnButton(int r, int /*v*/)
{
  if (r == kParamCcLearn) SetLearnArmed(GetParam(r)->Value() > 0.5);
  return CaseEnd::kTail;
}

CaseEnd ZephraEditor::OnChooserOrCopyMode(int /*r*/, int /*v*/)
{
  return CaseEnd::kTail;
}

CaseEnd ZephraEditor::OnKeyboardChannel(int /*r*/, int v)
{
  mKbdMidiChannel = v;
  return CaseEnd::kTail;
}
