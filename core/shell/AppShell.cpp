// The application's life: the codes of the window layer's runner, the main
// window, the GUI attachment and the clean-up.
#include "core/shell/AppShell.h"
#include "core/SettingsNames.h"

#include "core/IUnitStandalone.h"
#include "core/MidiPorts.h"
#include "core/shell/AppCommands.h"
#include "core/shell/AppResources.h"
#include "core/shell/AppStartMarks.h"
#include "graphics/IGraphics.h"
#include "platform/gtk/PLAT_Gtk.h"
#include "platform/gtk/PLAT_GtkLoop.h"
#include "platform/gtk/PLAT_GtkSurfaceView.h"
#include "winl/WINL_App.h"
#include "winl/WINL_Dialog.h"
#include "winl/WINL_Menu.h"
#include "winl/WINL_MessageBox.h"
#include "winl/ini/WINL_Ini.h"
#include "winl/ini/WINL_IniStore.h"

#include <sys/stat.h>
#include <syslog.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

namespace
{
HWND gHWND = nullptr;
std::unique_ptr<MidiPorts> gPorts;
std::unique_ptr<IUnitStandalone> gPluginInstance;
std::unique_ptr<AppState> gState;
std::unique_ptr<AppState> gActiveState;
std::string gSettingsFolder;
std::string gINIPath;
AppMainWindowFrame gMainWindowFrame;

// The start's inputs are opened after its first frame (OpenStartInputs).
bool gStartInputsPending = false;
unsigned gServerCheck = 0;
unsigned gWatchCheck = 0;
unsigned gFrameCheck = 0;
int gFrameChecksLeft = 0;
// Tells the user that the MIDI connection was lost, without holding the GUI.
std::thread gLossNotice;
std::atomic<bool> gLossShowing{false};

const char* ResourceId(uintptr_t id) { return reinterpret_cast<const char*>(id); }

MidiSettingsStore IniStore()
{
  MidiSettingsStore store;
  store.read = [](const char* key, const char* fallback) {
    // Port names of the sound server run to a few hundred bytes.
    std::vector<char> value(4096);
    GetPrivateProfileString(Setting::kOutput.section, key, fallback, value.data(), static_cast<DWORD>(value.size()),
                            gINIPath.c_str());
    return std::string(value.data());
  };
  store.write = [](const char* key, const char* value) {
    return WritePrivateProfileString(Setting::kOutput.section, key, value, gINIPath.c_str()) != 0;
  };
  return store;
}

bool IsFolder(const std::string& path)
{
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// ---- before the toolkit ----

bool gMidiStartedEarly = false;
}  // namespace

void AppSetUpEarly()
{
  if (gPorts) return;
  PLAT_GtkPrepareEnvironment();
  gPorts = std::make_unique<MidiPorts>(IniStore());
  gPorts->StartMidi();
  gMidiStartedEarly = true;
}

namespace
{
// ---- code 1: the settings ----

int SetUpSettings()
{
  AppMarkStart("toolkit");
  AppResourcesStaticInit();
  WINL_CancelMessageBoxes(false);
  gState = std::make_unique<AppState>();
  gActiveState = std::make_unique<AppState>();
  if (!gPorts) gPorts = std::make_unique<MidiPorts>(IniStore());
  gSettingsFolder = UserSettingsFolder();
  gINIPath = gSettingsFolder + kSettingsFileName;
  // A writer killed mid-write leaves its temporary file for ever otherwise.
  (void)WINL_IniRemoveStaleTemporaries(gINIPath.c_str());
  if (!IsFolder(gSettingsFolder))
  {
    if (!MakeSettingsFolder(gSettingsFolder))
    {
      // The editor still runs, on the default settings.
      syslog(LOG_ERR, "ZephraEditor: could not make the settings folder %s", gSettingsFolder.c_str());
      return 1;
    }
    (void)UpdateINI();
    return 0;
  }
  if (access(gINIPath.c_str(), F_OK) == 0)
  {
    gPorts->ReadSettings();
    MidiPortSettings& midi = gPorts->State();
    midi.mInChan = midi.mInBChan = midi.mOutChan = 0;
  }
  (void)UpdateINI();
  return 0;
}

// ---- code 2: ports, editor, menu, main window, GUI ----

// The menu bar, built from the command table, is the application's main
// menu as well.
HMENU MakeMainWindowMenu()
{
  HMENU menu = WINL_LoadMenu(WINL_curmodule_menuresource_head, ResourceId(kMenuMain));
  if (menu) WINL_SetCurrentMenu(menu);
  return menu;
}

// The server's watch made after the start: the output's metering fitted
// to it as soon as it is there.
bool SettleMidiWatch(void*)
{
  if (gPorts && !gPorts->SettleWatch()) return true;
  gWatchCheck = 0;
  return false;
}

// The sound server's loss and return, looked for a few times a second.
bool CheckMidiServer(void*)
{
  if (!gPorts) return false;
  // The synth's ports open again when the server returns, or later when
  // the synth's own ports appear on it. A synth switched off and on again
  // between two looks has its output closed and opened again in one: the
  // output gate's openings tell that return too.
  const bool linkWasOpen = gPorts->SynthLinkOpen();
  const uint64_t openings = gPluginInstance ? gPluginInstance->MidiOutput().Openings() : 0;
  const MidiPorts::ServerEvent event = gPorts->CheckServer();
  if (!linkWasOpen || (gPluginInstance && gPluginInstance->MidiOutput().Openings() != openings))
    TellSynthLinkRestored();
  // The console hears of the server's going and coming once each; the
  // probes asked while it is away say nothing.
  if (event == MidiPorts::ServerEvent::kReturned)
    std::fputs("ZephraEditor: the sound server is back; the chosen MIDI ports are open again\n", stderr);
  if (event != MidiPorts::ServerEvent::kLost) return true;
  std::fputs("ZephraEditor: the sound server has gone; the chosen MIDI ports open again when it is back\n", stderr);
  syslog(LOG_ERR, "ZephraEditor: the MIDI connection was lost");
  // Said once per loss; a box still open from an earlier loss is enough.
  if (gLossShowing) return true;
  if (gLossNotice.joinable()) gLossNotice.join();
  gLossShowing = true;
  gLossNotice = std::thread([] {
    MessageBox(nullptr, kMidiConnectionLostText, "ZephraEditor", MB_OK);
    gLossShowing = false;
  });
  return true;
}

// The program-manager item follows the manager, which its own panel can
// close too; the View menu's marks follow the scale (which a window edge
// drag changes too), the panel and the look; the learn checks follow the
// gestures, which a knob and a controller end as well. The marks go on the
// window's menu bar, or on bar when it is given.
void ShowCommandState(HMENU bar = nullptr)
{
  if (!bar && gHWND) bar = GetMenu(gHWND);
  if (bar && gPluginInstance && AppShellParts().managerOn)
    ShowManagerCheck(bar, AppShellParts().managerOn(gPluginInstance.get()));
  AppViewState view;
  if (bar && gPluginInstance && AppShellParts().viewState && AppShellParts().viewState(gPluginInstance.get(), &view))
    ShowViewChoices(bar, view);
  AppLearnState learn;
  if (bar && gPluginInstance && AppShellParts().learnState && AppShellParts().learnState(gPluginInstance.get(), &learn))
    ShowLearnChecks(bar, learn);
  int workWidth = 0, workHeight = 0;
  if (bar && AppWindowWorkArea(&workWidth, &workHeight))
    ShowFittingScales(bar, workWidth, workHeight, AppWindowFrameHeight());
}

std::atomic<bool> gCommandStatePending{false};

bool ShowPendingCommandState(void*)
{
  gCommandStatePending = false;
  ShowCommandState();
  return false;
}

// The ports hand messages to the new editor, its output goes through its
// gate, and from now on a change of the GUI's size resizes the window.
void ConnectPlugin()
{
  if (!gPluginInstance) return;
  gPorts->SetOutputGate(&gPluginInstance->MidiOutput());
  gPorts->SetPlug(gPluginInstance.get());
  gPluginInstance->SetMainWindow(&gMainWindowFrame);
}

// The end of the start, once the first frame is on the screen: the
// inputs, waited for and opened now that there is a plug-in to hand
// messages to, and the watch on the sound server. The server's own watch,
// which meters the output, comes last; it is looked for every few
// milliseconds till then, and a keyboard's input is made once it is there.
bool OpenStartInputs(void*)
{
  if (!gStartInputsPending || !gPorts) return false;
  gStartInputsPending = false;
  const MidiPortSettings& midi = gPorts->State();
  (void)gPorts->FinishMidi(false);
  gPorts->ProbeMidiIO();
  (void)gPorts->ChooseMidiInput(std::string(midi.mInDev).c_str());
  (void)gPorts->ChooseMidiInputB(std::string(midi.mInBDev).c_str());
  AppMarkStart("midi_inputs");
  gServerCheck = PLAT_LoopAddTimeout(kServerCheckMs, CheckMidiServer, nullptr);
  if (!gPorts->SettleWatch()) gWatchCheck = PLAT_LoopAddTimeout(kWatchCheckMs, SettleMidiWatch, nullptr);
  AppWriteStartMarks();
  return false;
}

void Launch()
{
  if (!gPorts) return;
  MidiPortSettings& midi = gPorts->State();
  // The sound server admits the synth input while the editor builds its
  // panels; the constructor needs only the output, through which it sends
  // the last program (and starts its timer).
  AppMarkStart("launch");
  if (!gMidiStartedEarly) gPorts->StartMidi();
  gMidiStartedEarly = false;
  (void)gPorts->ChooseMidiOutput(std::string(midi.mOutDev).c_str());
  AppMarkStart("midi_output");
  gPluginInstance.reset(AppShellParts().makePlug(gPorts->MidiOut(), &midi.mOutChan));
  AppMarkStart("editor");
  ConnectPlugin();

  HMENU menu = MakeMainWindowMenu();
  WINL_CreateDialog(WINL_curmodule_dialogresource_head, ResourceId(kDlgMain), nullptr, MainDlgProc, 0);
  if (menu && gHWND)
  {
    // Marked before the window shows it: the first mark of an item turns it
    // into a check item, which rebuilt every widget of the shown bar (four
    // bars were built at each start). Marked again once shown, for the
    // scales that fit beside the bar's height.
    ShowCommandState(menu);
    SetMenu(gHWND, menu);
    WINL_SetDefaultModalWindowMenu(menu);
    ShowCommandState();
  }
  // The graphics replace the view opened at the window's creation, so
  // exactly one remains.
  if (!AttachGUI()) std::puts("couldn't attach gui");
  // The start's rescales are done: what they did not take is freed.
  AppFinishEarlyArtwork();
  // The menu bar and the fitted scale changed the window's height since it
  // was centred: centred again, it lies wholly inside the work area.
  if (gHWND) CenterWindow(gHWND);
  AppMarkStart("gui_built");
  // The window manager frames the window only once it is mapped: the fit
  // is made again for its title bar and borders as soon as they are known.
  if (PLAT_GtkWindowManagerFrames())
  {
    gFrameChecksLeft = kFrameChecks;
    gFrameCheck = PLAT_LoopAddTimeout(kFrameCheckMs, FitToWindowFrame, nullptr);
  }
  AppMarkStart("window");
  // The sound server admits the inputs while the window is built and shows
  // its first frame; they are waited for and opened only after that frame,
  // before any input it met is handled.
  gStartInputsPending = true;
  if (!PLAT_GtkSurfaceView::AfterFirstPaint(OpenStartInputs, nullptr, kFirstPaintWaitMs)) OpenStartInputs(nullptr);
}

// ---- the main window ----

bool EditorMenuCommand(int index)
{
  IUnitStandalone* plug = gPluginInstance.get();
  if (!plug) return false;
  BASE_MutexLock lock(plug->GetMutex());
  return plug->OnStandaloneMenuCommand(index);
}

void RunPreferences(HWND hwnd)
{
  // The dialog lists and opens ports: the start's inputs come first.
  (void)OpenStartInputs(nullptr);
  const int result = WINL_DialogBox(WINL_curmodule_dialogresource_head, ResourceId(kDlgPreferences), hwnd,
                                    PreferencesDlgProc, 0);
  if (result != IDOK || UpdateINI()) return;
  syslog(LOG_ERR, "ZephraEditor: could not save the MIDI settings in %s", gINIPath.c_str());
  MessageBox(hwnd, ("The MIDI settings could not be saved in " + gINIPath + ".").c_str(), "Error", MB_OK);
}

// A quit from the window: the plug-in may keep the application open.
void QuitFromWindow(HWND hwnd)
{
  IUnitStandalone* plug = gPluginInstance.get();
  if (plug && AppShellParts().mayQuit && !AppShellParts().mayQuit(plug)) return;
  if (IsWindow(hwnd)) DestroyWindow(hwnd);
}

void OnMainCommand(HWND hwnd, int command)
{
  switch (command)
  {
    case kCmdAbout:
      if (!EditorMenuCommand(0)) MessageBox(hwnd, "Brindle-Audio\nBuilt on Jun 16 2021", "ZephraEditor", MB_OK);
      return;
    case kCmdPreferences: RunPreferences(hwnd); return;
    case kCmdQuit: QuitFromWindow(hwnd); return;
    default:
    {
      const int index = MenuCommandIndex(command);
      if (index >= 0) (void)EditorMenuCommand(index);
      ShowCommandState();
    }
  }
}
}  // namespace

ShellParts& AppShellParts()
{
  static ShellParts parts{MakePlug, AppWindowWorkAreaHeight, PlugManagerOn, PlugViewState, PlugLearnState,
                          PlugLinkRestored, PlugMayQuit, PlugSaveState};
  return parts;
}

void TellSynthLinkRestored()
{
  if (gPorts && gPluginInstance && gPorts->SynthLinkOpen() && AppShellParts().linkRestored)
    AppShellParts().linkRestored(gPluginInstance.get());
}

HWND AppMainWindow() { return gHWND; }
IUnitStandalone* AppPlugin() { return gPluginInstance.get(); }
MidiPorts* AppPorts() { return gPorts.get(); }
const std::string& AppSettingsFolder() { return gSettingsFolder; }
const std::string& AppINIPath() { return gINIPath; }

void AppShowCommandStateSoon()
{
  if (!gCommandStatePending.exchange(true)) PLAT_LoopAddTimeout(0, ShowPendingCommandState, nullptr);
}

int WINLAppMain(int code, INT_PTR p1, INT_PTR)
{
  switch (code)
  {
    case WINL_APP_START: return SetUpSettings();
    case WINL_APP_LAUNCHED: Launch(); return 0;
    case WINL_APP_WILL_TERMINATE:
      if (gHWND && IsWindow(gHWND)) DestroyWindow(gHWND);
      Cleanup();
      return 0;
    case kAppMenuCommand:
      if (gHWND && (p1 & 0xFFFF) != 0) SendMessage(gHWND, WM_COMMAND, static_cast<WPARAM>(p1 & 0xFFFF), 0);
      return 0;
    default: return 0;
  }
}

LRESULT MainDlgProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM)
{
  switch (msg)
  {
    case WM_INITDIALOG:
      gHWND = hwnd;
      if (!AttachGUI()) std::puts("couldn't attach gui");
      CenterWindow(hwnd);
      ShowWindow(hwnd, SW_SHOW);
      return 1;
    case WM_INITMENUPOPUP: ShowCommandState(); return 0;
    case WM_COMMAND: OnMainCommand(hwnd, static_cast<int>(wParam & 0xFFFF)); return 0;
    case WM_CLOSE: QuitFromWindow(hwnd); return 0;
    case WM_DESTROY:
      gHWND = nullptr;
      WINL_PostQuitMessage(hwnd);
      return 0;
    default: return 0;
  }
}

bool FitToWindowFrame(void*)
{
  if (!gHWND || --gFrameChecksLeft < 0 || WINL_GetDecorationHeight(gHWND) == 0) return gHWND && gFrameChecksLeft > 0;
  gFrameCheck = 0;
  IUnitStandalone* plug = gPluginInstance.get();
  IGraphics* graphics = plug ? dynamic_cast<IGraphics*>(plug->GetGUI()) : nullptr;
  if (!graphics) return false;
  const int screenHeight = AppShellParts().screenHeight ? AppShellParts().screenHeight() : -1;
  double scale = 0.0;
  BASE_MutexLock lock(plug->GetMutex());
  if (FitStoredGuiScale(gINIPath.c_str(), screenHeight, AppWindowFrameHeight(), &scale))
  {
    graphics->RescaleBitmaps(scale);
    plug->ResizeAtGUIOpen();
  }
  CenterWindow(gHWND);
  return false;
}

bool AttachGUI()
{
  IUnitStandalone* plug = gPluginInstance.get();
  IGraphics* graphics = plug ? dynamic_cast<IGraphics*>(plug->GetGUI()) : nullptr;
  if (!graphics || !gHWND || !graphics->OpenWindow(gHWND)) return false;
  plug->OnGUIOpen();
  const int frame = AppWindowFrameHeight();
  const int screenHeight = AppShellParts().screenHeight ? AppShellParts().screenHeight() : -1;
  double scale = 0.0;
  if (FitStoredGuiScale(gINIPath.c_str(), screenHeight, frame, &scale)) graphics->RescaleBitmaps(scale);
  plug->ResizeAtGUIOpen();
  return true;
}

void ResetMidi()
{
  if (!gPorts) return;
  MidiPortSettings& midi = gPorts->State();
  // The old editor goes first, with no port or callback left to reach it.
  gPorts->CloseAll();
  gPorts->SetOutputGate(nullptr);
  gPorts->SetPlug(nullptr);
  // Nor may it move the window as it goes.
  if (gPluginInstance) gPluginInstance->SetMainWindow(nullptr);
  gPluginInstance.reset();
  (void)gPorts->InitialiseMidi();
  gPorts->ProbeMidiIO();
  (void)gPorts->ChooseMidiOutput(std::string(midi.mOutDev).c_str());
  gPluginInstance.reset(AppShellParts().makePlug(gPorts->MidiOut(), &midi.mOutChan));
  ConnectPlugin();
  (void)gPorts->ChooseMidiInput(std::string(midi.mInDev).c_str());
  (void)gPorts->ChooseMidiInputB(std::string(midi.mInBDev).c_str());
  if (gHWND && !AttachGUI()) std::puts("couldn't attach gui");
}

void Cleanup()
{
  // What the next start needs is kept first: the MIDI ports' closing below
  // may wait seconds for the output, and a session's end that kills the
  // editor meanwhile must not lose the edit.
  if (gPluginInstance && AppShellParts().saveState) AppShellParts().saveState(gPluginInstance.get());
  gStartInputsPending = false;
  PLAT_LoopRemove(gFrameCheck);
  gFrameCheck = 0;
  PLAT_LoopRemove(gServerCheck);
  gServerCheck = 0;
  PLAT_LoopRemove(gWatchCheck);
  gWatchCheck = 0;
  gMidiStartedEarly = false;
  AppJoinWarming();
  // A box still telling of a lost connection answers as closed.
  WINL_CancelMessageBoxes();
  if (gLossNotice.joinable()) gLossNotice.join();
  // No MIDI thread may enter the editor once it starts to go. The ports
  // close without the plug-in mutex: closing waits for a callback that may
  // itself be waiting for it.
  if (gPorts)
  {
    gPorts->CloseAll();
    gPorts->SetOutputGate(nullptr);
  }
  // The editor going must not move a window that may be gone already.
  if (gPluginInstance) gPluginInstance->SetMainWindow(nullptr);
  // The editor stops its timer thread and waits for it before anything
  // else, then saves its settings and the last program.
  gPluginInstance.reset();
  gPorts.reset();
  gState.reset();
  gActiveState.reset();
  gSettingsFolder.clear();
  gINIPath.clear();
}
