// The editor's buttons: file selectors and program stepping, the sound
// actions with their section boxes, the copy source boxes, controller
// learn, the program-number chooser, the copy modes and the on-screen
// keyboard's channel.
#include "editor/ZephraEditor.h"
#include "editor/ZephraPanels.h"

#include "graphics/IGraphics.h"
#include "graphics/controls/IControl.h"
#include "graphics/controls/IUserTextControl.h"
#include "synth/ProgramFile.h"

#include <syslog.h>

#include <algorithm>
#include <string>

namespace {

using CaseEnd = ZephraEditor::CaseEnd;

// A path from a selector is usable from five characters on ("/a.pr3" at
// the least); a cancelled choice leaves it empty.
bool UsablePath(const std::string& path)
{
  return path.size() >= 5;
}

}  // namespace

void ZephraEditor::ReleaseButton(int param)
{
  // The chooser the press opened took the pointer's release: the button
  // would stay down, and the next click would merely release it.
  GetParam(param)->Set(0.0);
  if (IGraphics* gui = dynamic_cast<IGraphics*>(GetGUI())) gui->SetParameterFromPlug(param, 0.0, true);
}

void ZephraEditor::KeepSelectorOutOfCache(SkinRef ref)
{
  auto* selector = mFace ? dynamic_cast<IFileSelectorControl*>(mFace->Ref(ref)) : nullptr;
  if (!selector) return;
  BASE_String folder, file;
  selector->GetFolder(&folder);
  selector->GetLastSelectedFileForPlug(&file);
  const std::string wanted = std::string(folder.Get()) + file.Get();
  const std::string start = ChooserStart(wanted);
  if (start != wanted) selector->SetLastSelectedFileFromPlug(start.c_str());
}

void ZephraEditor::PressSelector(int button, SkinRef ref)
{
  ClickSelector(ref);
  ReleaseButton(button);
}

void ZephraEditor::SetParamRange(int first, int last, double value)
{
  for (int param = first; param <= last; ++param) SetParameterFromGUI2(param, value);
}

int ZephraEditor::ChooserLocation(int value)
{
  // The chooser shows 01..99 for its values 0..98; a value of 99 set from
  // elsewhere would ask for a location the synth does not have.
  if (value < 0 || value > 99) return 0;
  return std::min(value + 1, 99);
}

// The selectors act on any change (the chosen file), the buttons on press.
CaseEnd ZephraEditor::OnFileButton(int r, int /*v*/)
{
  const bool pressed = GetParam(r)->Value() > 0.5;
  switch (r)
  {
    case kParamLoadSelector:
    {
      const std::string path = SelectedFile(SkinRef::kLoadSelector);
      if (!UsablePath(path)) break;
      NoteChosenPath(path, false);
      ScanProgramFolder(path.c_str());
      if (LoadProgramFile(path.c_str()) == ProgramFileError::kNone) SendProgramToSynth();
      break;
    }
    case kParamSaveSelector:
    {
      const std::string path = SelectedFile(SkinRef::kSaveSelector);
      if (!UsablePath(path)) break;
      NoteChosenPath(path, false);
      if (!MaySaveInto(path)) break;
      if (!WriteSoundAsProgramFile(path.c_str()))
      {
        AskUser("The program could not be saved!", "Error", 0);
        break;
      }
      ScanProgramFolder(path.c_str());
      (void)LoadProgramFile(path.c_str());
      break;
    }
    case kParamWriteSelector:
    {
      const std::string path = SelectedFile(SkinRef::kWriteSelector);
      if (!UsablePath(path)) break;
      NoteChosenPath(path, false);
      // A write refused during another transfer leaves its message shown.
      if (WriteProgramFileToSynth(path.c_str())) ScanProgramFolder(path.c_str());
      break;
    }
    case kParamFirmwareSelector:
    {
      const std::string path = SelectedFile(SkinRef::kFirmwareSelector);
      if (UsablePath(path)) StartFirmwareUpdate(path.c_str());
      break;
    }
    case kParamLoadButton:
      if (!pressed) break;
      PressSelector(r, SkinRef::kLoadSelector);
      return CaseEnd::kPressed;
    case kParamSaveButton:
      if (!pressed) break;
      PressSelector(r, SkinRef::kSaveSelector);
      return CaseEnd::kPressed;
    case kParamWriteOneButton:
      if (!pressed) break;
      PressSelector(r, SkinRef::kWriteSelector);
      return CaseEnd::kPressed;
    case kParamWriteAllButton:
    {
      if (!pressed) break;
      const std::string folder = AskForFolder(ProgramFolder());
      ReleaseButton(r);
      if (folder.empty()) return CaseEnd::kPressed;
      ScanProgramFolder(folder.c_str());
      WriteAllProgramsToSynth(folder.c_str());
      return CaseEnd::kPressed;
    }
    case kParamPreviousProgram:
    case kParamNextProgram:
      if (!pressed) break;
      // Stepping needs a second file to step to; without one the press
      // counts as not handled.
      if (FolderFileCount() == 0) return CaseEnd::kEarly;
      (void)StepProgramFile(r == kParamNextProgram);
      break;
    default:
      break;
  }
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
  const bool pressed = GetParam(r)->Value() > 0.5;
  if (r == kParamCcLearn) SetLearnArmed(pressed);
  if (r == kParamCcUnlearn) SetUnlearnArmed(pressed);
  if (r == kParamCcClearAll && pressed) ClearLearntControllers();
  // The Edit menu marks learn and unlearn; a knob or a controller that ends
  // them (on the keyboard's thread too) must move the marks as well.
  if (r == kParamCcLearn || r == kParamCcUnlearn) TellCommandStateChanged();
  return CaseEnd::kTail;
}

CaseEnd ZephraEditor::OnChooserOrCopyMode(int r, int /*v*/)
{
  const bool pressed = GetParam(r)->Value() > 0.5;
  switch (r)
  {
    case kParamProgramNumberOk:
    {
      const int location = ChooserLocation(ParamInt(kParamProgramNumber));
      HideCaptionList(true);
      if (location == 0)
      {
        syslog(LOG_ERR, "ZephraEditor: no program location for chooser value %d", ParamInt(kParamProgramNumber));
        break;
      }
      RequestSingleProgram(location);
      break;
    }
    case kParamCopyModeVco:
    case kParamCopyModeFlexi:
    {
      if (!pressed || !mFace) break;
      const bool flexi = r == kParamCopyModeFlexi;
      if (IControl* vco = mFace->Ref(SkinRef::kVcoSaveBackground)) vco->Hide(flexi);
      if (IControl* slots = mFace->Ref(SkinRef::kFlexiSaveBackground)) slots->Hide(!flexi);
      mFace->SetFlexiCopyMode(flexi);
      break;
    }
    default:
      break;
  }
  return CaseEnd::kTail;
}

CaseEnd ZephraEditor::OnKeyboardChannel(int /*r*/, int v)
{
  mKbdMidiChannel = v;
  return CaseEnd::kTail;
}
