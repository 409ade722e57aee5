// The menu commands: the File and Help menus (program folder, program files,
// writes to the synth, firmware, user guide, program database, About) and
// the commands the menus leave to key shortcuts (view mode, GUI scale, the
// looks, undo and redo, program stepping, the manager on and off).
//
// Index    command
//   0      About: the about overlay
//   1      choose the program folder and scan it
//   2..4   open the load, save or write selector; 6 the firmware selector
//   5      choose a folder and write all its programs to the synth
//   7, 8   the user guide, the program database's page (xdg-open)
//   9      one timer tick
//   10, 11 the whole panel (1140 x 800), the compact one (its top-left
//          1024 x 400), both times the GUI scale
//   12..19 GUI scale 0.7 .. 2.0
//   20, 21 save one program (the chooser), save all programs from the synth
//   22, 23, 25  the looks "space", "solid", "lcd"; 24 convert older files
//   26, 27 undo, redo; 28..31 next, previous, ten forward, ten back
//   32, 33 the manager off, on
//   34, 35 arm or call off the controller learn, unlearn; 36 clear all
#include "editor/ZephraEditor.h"
#include "core/SettingsNames.h"
#include "editor/ZephraPanels.h"

#include "core/BASE_Mutex.h"
#include "core/BASE_String.h"
#include "graphics/IGraphics.h"
#include "graphics/controls/IControl.h"
#include "graphics/controls/ISwitchControl.h"
#include "graphics/controls/IUserTextControl.h"
#include "graphics/resize/IUnitGUIResize.h"
#include "platform/PLAT_Resources.h"
#include "synth/ProgramDatabase.h"
#include "synth/ProgramFolder.h"
#include "winl/ini/WINL_Ini.h"

#include <syslog.h>

#include <string>

namespace {

constexpr int kLastMenuIndex = 36;
constexpr int kWarningType = 0;
constexpr int kOkType = 0;
constexpr const char* kUserGuide = "pdf/Zephra_userguide-v3.60.pdf";
constexpr const char* kDatabasePage = "/zephradatabase";
constexpr const char* kRestartText =
    "You need to restart the application\nto apply the changes to the user interface!";
constexpr const char* kConnectingText = "Connecting to Zephra...";
constexpr double kGuiScales[] = {0.7, 0.8, 0.9, 1.0, 1.1, 1.2, 1.3, 2.0};  // indexes 12..19

// The settings' name of each look, by ZephraSkinNumber.
constexpr const char* kSkinSetting[] = {"space", "solid", "lcd"};

// The line a box about target ends with: the user guide is a file that a
// PDF viewer the user starts can still show, so the box says so.
std::string AnotherWay(const std::string& target)
{
  const std::string guide = std::string("/") + kUserGuide;
  const bool isGuide =
      target.size() > guide.size() && target.compare(target.size() - guide.size(), guide.size(), guide) == 0;
  return isGuide ? "\nTo read the user guide, open this file with a PDF viewer." : "";
}

// Each view mode's panel at scale 1.0 and its settings' name: the whole
// panel, and the compact one, which shows the whole panel's top-left part
// (the panels are laid out alike in both and only cut).
constexpr struct
{
  int width, height;
  const char* setting;
} kViews[] = {{1140, 800, "whole"}, {1024, 400, "compact"}};

}  // namespace

// ---- the chooser and the selectors ----

void ZephraEditor::HideCaptionList(bool hide)
{
  IGraphics* gui = dynamic_cast<IGraphics*>(GetGUI());
  if (!gui) return;
  if (mFace)
    if (IControl* background = mFace->Ref(SkinRef::kSaveFromSynthBackground)) background->Hide(hide);
  gui->HideControl(kParamProgramNumber, hide);
  gui->HideControl(kParamProgramNumberOk, hide);
}

void ZephraEditor::ClickSelector(SkinRef ref)
{
  IControl* selector = mFace ? mFace->Ref(ref) : nullptr;
  if (!selector) return;
  IMouseMod left(true, false);
  const IRECT area = selector->GetRECT();
  KeepSelectorOutOfCache(ref);
  // The selector's prompt waits for the user: the MIDI and timer threads
  // must not wait with it.
  BASE_MutexRelease release(GetMutex());
  selector->OnMouseDown(area.L, area.T, &left);
}

std::string ZephraEditor::SelectedFile(SkinRef ref) const
{
  auto* selector = mFace ? dynamic_cast<IFileSelectorControl*>(mFace->Ref(ref)) : nullptr;
  if (!selector) return std::string();
  BASE_String path("");
  selector->GetLastSelectedFileForPlug(&path);
  return path.Get();
}

std::string ZephraEditor::SelectedPath(SkinRef ref) const
{
  auto* selector = mFace ? dynamic_cast<IFileSelectorControl*>(mFace->Ref(ref)) : nullptr;
  if (!selector) return std::string();
  BASE_String folder(""), file("");
  selector->GetFolder(&folder);
  selector->GetLastSelectedFileForPlug(&file);
  if (file.Get()[0] == '/') return file.Get();
  return std::string(folder.Get()) + file.Get();
}

// ---- commands ----

bool ZephraEditor::OpenWithDesktop(const std::string& target)
{
  if (mOpener.Start(target)) return true;
  syslog(LOG_ERR, "ZephraEditor: could not start the desktop opener for \"%s\"", target.c_str());
  AskUser(("The desktop's opener (xdg-open) could not be started for\n" + target + AnotherWay(target)).c_str(),
          "Error", kOkType);
  return false;
}

void ZephraEditor::ReportFailedOpens()
{
  for (const std::string& target : mOpener.TakeFailures())
  {
    syslog(LOG_ERR, "ZephraEditor: nothing could open \"%s\"", target.c_str());
    AskUser(("No program on this computer could open\n" + target + AnotherWay(target)).c_str(), "Error", kOkType);
  }
}

bool ZephraEditor::OpenUserGuide()
{
  const std::string guide = PLAT_GetResourcePath(kUserGuide);
  if (guide.empty())
  {
    syslog(LOG_ERR, "ZephraEditor: the user guide %s is missing", kUserGuide);
    AskUser((std::string("The user guide ") + kUserGuide + " is missing.").c_str(), "Error", kOkType);
    return false;
  }
  return OpenWithDesktop(guide);
}

bool ZephraEditor::OpenDatabasePage()
{
  ProgramDatabase database = Database();
  if (!DatabaseOrSay(database)) return false;
  return OpenWithDesktop("https://" + database.Server() + kDatabasePage);
}

void ZephraEditor::TakeStoredView(IUnitGUIResize* resizer)
{
  char view[16] = "";
  GetPrivateProfileString(Setting::kView.section, Setting::kView.key, "", view, sizeof view, SettingsPath().c_str());
  mViewMode = std::string(view) == kViews[1].setting ? 1 : 0;
  if (resizer) resizer->SetWindowSize(kViews[mViewMode].width, kViews[mViewMode].height);
}

// The resize manager holds the view's panel size at scale 1.0: the window
// is that times the scale, so a later scale change or corner drag keeps the
// view.
void ZephraEditor::ShowView(int mode)
{
  mViewMode = mode;
  WritePrivateProfileString(Setting::kView.section, Setting::kView.key, kViews[mode].setting, SettingsPath().c_str());
  auto* resizer = dynamic_cast<IUnitGUIResize*>(GetGUIResize());
  if (!resizer) return;
  resizer->SetWindowSize(kViews[mode].width, kViews[mode].height);
  resizer->ResizeGraphics();
  IGraphics* gui = dynamic_cast<IGraphics*>(GetGUI());
  SetGUILayout(0, gui->Width(), gui->Height());
}

void ZephraEditor::SetGuiScale(double scale)
{
  auto* resizer = dynamic_cast<IUnitGUIResize*>(GetGUIResize());
  if (!resizer) return;
  resizer->SetGUIScaleRatio(scale);
  resizer->ResizeGraphics();
  IGraphics* gui = dynamic_cast<IGraphics*>(GetGUI());
  SetGUILayout(0, gui->Width(), gui->Height());
}

void ZephraEditor::ChooseLook(int skin)
{
  WritePrivateProfileString(Setting::kBackground.section, Setting::kBackground.key, kSkinSetting[skin], SettingsPath().c_str());
  if (skin == mSkin) return;
  // The LCD look is built differently, not merely painted over: it comes
  // and goes only with a new start.
  if (skin == kSkinLcd || mSkin == kSkinLcd)
  {
    AskUser(kRestartText, "Warning", kWarningType);
    return;
  }
  if (mFace)
  {
    if (IControl* space = mFace->Ref(SkinRef::kMainBackground)) space->Hide(skin != kSkinSpace);
    if (IControl* solid = mFace->Ref(SkinRef::kSecondBackground)) solid->Hide(skin != kSkinSolid);
  }
  mSkin = skin;
}

void ZephraEditor::SaveAllFromSynth()
{
  // Cancelled, the programs go into the folder already chosen.
  const std::string folder = AskForFolder(ProgramFolder());
  if (!folder.empty()) ScanProgramFolder(folder.c_str());
  Panels().SetNameDisplay(kConnectingText);
  StartSaveAllFromSynth(false);
}

void ZephraEditor::PressButton(int param)
{
  SetParameterFromGUI2(param, 1.0);
  SetParameterFromGUI2(param, 0.0);
  RedrawParamControls();
}

bool ZephraEditor::ParamPressed(int param) const
{
  const IParam* p = GetParam(param);
  return p && p->Value() > 0.5;
}

void ZephraEditor::ToggleButton(int param)
{
  SetParameterFromGUI2(param, ParamPressed(param) ? 0.0 : 1.0);
}

void ZephraEditor::StepTenPrograms(bool forward)
{
  // Ten files on, held at the last (or first) file: the index is set to
  // one short of the landing file and the button makes the last step. The
  // index set lies inside the table even when the button finds nothing to
  // step to.
  SetFolderFileIndex(TenStepStartIndex(FolderFileIndex(), FolderFileCount(), forward));
  PressButton(forward ? kParamNextProgram : kParamPreviousProgram);
}

void ZephraEditor::RunMenuCommand(int index)
{
  switch (index)
  {
    case 0:
      if (IBitmapOverlayControl* about = mFace ? mFace->About() : nullptr)
      {
        about->SetValueFromPlug(1.0);
        about->Hide(false);
      }
      return;
    case 1:
    case 5:
    {
      const std::string folder = AskForFolder(ProgramFolder());
      if (folder.empty()) return;
      ScanProgramFolder(folder.c_str());
      if (index == 5) WriteAllProgramsToSynth(folder.c_str());
      return;
    }
    case 2: ClickSelector(SkinRef::kLoadSelector); return;
    case 3: ClickSelector(SkinRef::kSaveSelector); return;
    case 4: ClickSelector(SkinRef::kWriteSelector); return;
    case 6: ClickSelector(SkinRef::kFirmwareSelector); return;
    case 7: (void)OpenUserGuide(); return;
    case 8: (void)OpenDatabasePage(); return;
    case 9: OnTimerTick(); return;
    case 10: ShowView(0); return;
    case 11: ShowView(1); return;
    case 20: HideCaptionList(false); return;
    case 21: SaveAllFromSynth(); return;
    case 22: ChooseLook(kSkinSpace); return;
    case 23: ChooseLook(kSkinSolid); return;
    case 24:
    {
      const std::string folder = AskForFolder(ProgramFolder());
      if (!folder.empty()) ConvertPrgFolder(folder.c_str());
      return;
    }
    case 25: ChooseLook(kSkinLcd); return;
    case 34: ToggleButton(kParamCcLearn); return;
    case 35: ToggleButton(kParamCcUnlearn); return;
    case 36:
      SetParameterFromGUI2(kParamCcClearAll, 1.0);
      SetParameterFromGUI2(kParamCcClearAll, 0.0);
      return;
    default: break;
  }
  if (index >= 12 && index <= 19)
  {
    SetGuiScale(kGuiScales[index - 12]);
    return;
  }
  if (ManagerMode() && index >= 26 && index <= 31) return;
  switch (index)
  {
    case 26: Undo(); return;
    case 27: Redo(); return;
    case 28: PressButton(kParamNextProgram); return;
    case 29: PressButton(kParamPreviousProgram); return;
    case 30: StepTenPrograms(true); return;
    case 31: StepTenPrograms(false); return;
    case 32: PutManagerAway(); return;
    case 33: ShowManager(); return;
    default: return;
  }
}

bool ZephraEditor::OnStandaloneMenuCommand(int index)
{
  BASE_MutexLock lock(GetMutex());
  if (!GetGUI() || index < 0 || index > kLastMenuIndex) return true;
  RunMenuCommand(index);
  return true;
}
