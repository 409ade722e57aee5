// The editor object for the shell, with its GUI.
#include "core/shell/AppShell.h"
#include "core/BASE_Mutex.h"
#include "editor/ZephraEditor.h"
#include "editor/ZephraEditorGraphics.h"
#include "graphics/gtk/IGraphicsGtk.h"
#include "graphics/resize/IUnitGUIResize.h"
#include "winl/WINL_MessageBox.h"

#include <mutex>

namespace
{
constexpr const char* kBankUnsavedText =
  "The program manager's bank has changes that are not saved.\nSave the bank before quitting?";
}  // namespace

IUnitStandalone* MakePlug(RtMidiOut* midiOut, uint16_t* midiOutChannel)
{
  static std::recursive_mutex creating;
  std::lock_guard<std::recursive_mutex> hold(creating);
  IUnitInstanceInfo info;
  info.mBundleID.Set(kStandaloneBundleID);
  info.mMidiOut = midiOut;
  info.mMidiOutChan = midiOutChannel;
  // The editor keeps its files in the shell's settings folder, whatever
  // the length of the home folder's path.
  ZephraEditorSetup setup;
  const std::string& folder = AppSettingsFolder();
  if (!folder.empty()) setup.settingsFolder = folder.substr(0, folder.size() - 1);
  // The constructor builds the desktop surface and every panel; AttachGUI
  // later opens that surface in the main window.
  setup.buildGui = ZephraDesktopGui([](ZephraEditor& editor, IGraphics& graphics) { editor.CreateGUI(false, &graphics); });
  return new ZephraEditor(info, setup);
}

IGraphics* MakeGraphics(IUnitBase* plug, int width, int height, int fps)
{
  auto* graphics = new IGraphicsMac(plug, width, height, fps);
  graphics->SetBundleID(kStandaloneBundleID);
  return graphics;
}

bool PlugManagerOn(IUnitStandalone* plug)
{
  auto* editor = dynamic_cast<ZephraEditor*>(plug);
  if (!editor) return false;
  BASE_MutexLock lock(editor->GetMutex());
  return editor->ManagerMode();
}

bool PlugMayQuit(IUnitStandalone* plug)
{
  auto* editor = dynamic_cast<ZephraEditor*>(plug);
  // The question is asked without the plug-in mutex: the MIDI and timer
  // threads go on meanwhile.
  if (!editor || !editor->BankUnsaved()) return true;
  static const char* const kButtons[] = {"Save", "Don't save", "Cancel"};
  switch (WINL_AlertWithButtons("Warning", kBankUnsavedText, kButtons, 3))
  {
    case 0: return editor->SaveBankBeforeQuit();
    case 1: return true;
    default: return false;
  }
}

void PlugSaveState(IUnitStandalone* plug)
{
  if (auto* editor = dynamic_cast<ZephraEditor*>(plug)) editor->SaveSessionState();
}

void PlugLinkRestored(IUnitStandalone* plug)
{
  auto* editor = dynamic_cast<ZephraEditor*>(plug);
  if (!editor) return;
  BASE_MutexLock lock(editor->GetMutex());
  editor->SynthLinkRestored();
}

bool PlugViewState(IUnitStandalone* plug, AppViewState* state)
{
  auto* editor = dynamic_cast<ZephraEditor*>(plug);
  if (!editor || !state) return false;
  BASE_MutexLock lock(editor->GetMutex());
  const auto* resizer = dynamic_cast<const IUnitGUIResize*>(editor->GetGUIResize());
  state->scale = resizer ? resizer->GetGUIScaleRatio() : 0.0;
  state->compactPanel = editor->ViewMode() == 1;
  state->look = editor->Skin();
  return true;
}

bool PlugLearnState(IUnitStandalone* plug, AppLearnState* state)
{
  auto* editor = dynamic_cast<ZephraEditor*>(plug);
  if (!editor || !state) return false;
  BASE_MutexLock lock(editor->GetMutex());
  state->learnArmed = editor->ControllerLearnArmed();
  state->unlearnArmed = editor->ControllerUnlearnArmed();
  return true;
}
