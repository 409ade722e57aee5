// The application shell: it turns the editor object into a desktop
// application. The window layer's runner calls WINLAppMain at each stage of
// the application's life; the shell then reads and writes the MIDI settings,
// opens the MIDI ports, creates the editor, makes the main window with its
// menu bar and attaches the GUI to it, runs the "Preferences" dialog, and
// takes everything down again in a safe order.
//
// The sources:
//   AppShell.cpp        life codes, main window, GUI attachment, clean-up
//   AppWindow.cpp       the main window's frame for the GUI's resizing
//   AppSettings.cpp     the settings folder and the scale fit
//   AppResources.cpp    the dialog and menu resources
//   AppCommands.cpp     the command table: the menu bar and the editor's indexes
//   AppPreferences.cpp  the "Preferences" dialog
//   AppMidiSystem.cpp   whether a MIDI system answers
//   AppAudioLists.cpp   the audio device and sample-rate lists
//   AppMakePlug.cpp     the editor object for the shell
//   AppStartMarks.cpp   where the start's time goes, when asked
//   AppWarm.cpp         the first texts' work done ahead, beside the toolkit's start
//   AppArtwork.cpp      the artwork checked, and decoded ahead, before the start
//   AppMain.cpp         the program's entry
//
// Threads: everything here runs on the main thread. Ports are never opened
// or closed while the plug-in mutex is held: closing a port waits for its
// input callback, and a callback may be waiting for that mutex.
#pragma once

#include "core/IUnitStandalone.h"
#include "core/shell/AppCommands.h"
#include "winl/WINL_Window.h"
#include "core/SettingsNames.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class MidiPorts;
class RtMidiOut;
struct MidiPortSettings;

// ---- life codes and window procedures ----

// Code 0x99: a menu item was chosen; p1 holds its tag.
constexpr int kAppMenuCommand = 0x99;
// Codes: 1 set-up of the settings (1 when the settings folder cannot be
// made, else 0); 2 ports, editor, menu, main window and GUI; 3 the main
// window and Cleanup; 4 may the application end (0: at once); 0x99 a menu
// tag to the main window as WM_COMMAND. Others do nothing and answer 0.
int WINLAppMain(int code, INT_PTR p1, INT_PTR p2);
// Before the toolkit starts: the MIDI ports' objects begin to be made on a
// thread of their own (the sound server admits its clients slowly), while
// the toolkit starts and code 2 builds the editor. Code 2 starts them
// itself when this was not called.
void AppSetUpEarly();
// Before the toolkit starts: a thread of its own does ahead what the
// panels' first texts cost (the font configuration read, the faces loaded,
// the glyphs rendered) while the toolkit starts. AppJoinWarming waits for
// it; code 3 and the program's end call it.
void AppStartWarming();
void AppJoinWarming();
// Before the start: "" when every image of the artwork table is in the
// resources folder, else the error to show, naming every folder looked in,
// in the order tried.
std::string AppMissingArtworkMessage();
// Tells the error on stderr and in a message box; the program's exit status.
int AppReportMissingArtwork(const std::string& message);
// Before the toolkit starts: the artwork files a start shows in the stored
// look are decoded on threads of their own (IGraphicsEarlyArt.h) while the
// toolkit starts; the editor's first rescale takes them. Once the GUI is
// attached AppFinishEarlyArtwork ends the decodes and frees what was not
// taken; code 2 and the program's end call it.
void AppStartEarlyArtwork();
void AppFinishEarlyArtwork();
// The main window's procedure (dialog 40001).
LRESULT MainDlgProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// The "Preferences" dialog's procedure (dialog 40002, modal).
LRESULT PreferencesDlgProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Opens the plug-in's graphics in the main window, tells the plug-in, fits
// the stored scale to the screen and restores the window size. False when
// there is no graphics object or it opened no view.
bool AttachGUI();
// Once the window manager has framed the main window, fits the stored scale
// again with the frame's title bar and borders counted and centres the
// window; a loop callback, looking every kFrameCheckMs until the frame is
// known or kFrameChecks looks have found none (no window manager).
bool FitToWindowFrame(void*);
constexpr unsigned kFrameCheckMs = 20;
constexpr int kFrameChecks = 150;

// Makes the MIDI objects and the editor again: the ports close and the
// editor goes, then the objects, the lists, the output, a new editor (in
// the main window when there is one) and the two inputs, by the stored
// names. No caller.
void ResetMidi();

// Takes the application down, whatever part of it was made: callbacks and
// ports, then the editor (which stops its timer and saves its state), then
// the MIDI objects and the settings records. Safe to call again.
void Cleanup();

// ---- MIDI settings and the "Preferences" dialog ----

// How often the shell looks whether the sound server went or came back.
constexpr unsigned kServerCheckMs = 250;
// How often the start looks for the server's watch until it is made.
constexpr unsigned kWatchCheckMs = 5;
// The start opens the synth's inputs once its first frame is on the screen,
// or after this long without one (a window the desktop never draws).
constexpr unsigned kFirstPaintWaitMs = 1000;
// Shown once when the sound server goes away while the editor runs.
constexpr char kMidiConnectionLostText[] =
  "The MIDI connection was lost. The chosen ports open again when the sound server returns.";

// Writes [midi] "indev", "inBdev" and "outdev" from the settings in use;
// false when one could not be saved.
bool UpdateINI();
// Fills the three port lists of the dialog and selects the stored names; a
// stored name not in its list shows as "off" and stays stored. False
// (lists left empty) without the synth input or the output object.
bool PopulateMidiDialogs(HWND dialog);
bool PopulatePreferencesDialog(HWND dialog);
// Tells the plug-in that its synth is reachable again when the synth's
// output and input are both open on a port; nothing otherwise. Main thread.
void TellSynthLinkRestored();
// True when an ALSA sequencer or a JACK server is there for the ports.
bool MidiSystemPresent();

// ---- the main window's frame ----

// The main window (AppMainWindow) as the wrapper's ResizeGraphics moves it.
// Its height counts IUnitStandalone::kTitleBarHeight above the client area,
// so a resize to the GUI's size plus that bar leaves a client area of
// exactly the GUI's size. Without a main window it reports no frame and
// moves nothing.
class AppMainWindowFrame : public IStandaloneWindow
{
public:
  bool GetWindowRect(Rect* rect) override;
  void SetWindowPos(int x, int y, int width, int height) override;
  void CommandStateChanged() override;
};
// Brings the menu's marks up to date on the main thread, soon; any thread.
// Calls made before that coalesce into one.
void AppShowCommandStateSoon();
// The work-area height of the screen the main window is on; -1 without a
// main window or a screen.
int AppWindowWorkAreaHeight();
// The work area of the screen the main window is on; false without a main
// window or a screen.
bool AppWindowWorkArea(int* width, int* height);
// What the main window adds to the client area's height: its frame and its
// menu bar.
int AppWindowFrameHeight();

// ---- settings ----

// The audio part of the settings record: carried, never used (no audio
// device is opened). The MIDI part is the ports' record (MidiPortSettings).
struct AppState
{
  static constexpr int kFieldSize = 100;
  uint16_t mAudioDriver = 0;
  char mAudioInputDevice[kFieldSize] = "Built-in Input";
  char mAudioOutputDevice[kFieldSize] = "Built-in Output";
  char mSampleRate[kFieldSize] = "44100";
  char mIOVectorSize[kFieldSize] = "512";
  char mSignalVectorSize[kFieldSize] = "32";
  uint16_t mAudioInLeft = 1, mAudioInRight = 2;
  uint16_t mAudioOutLeft = 1, mAudioOutRight = 2;
};

// Makes the folder (ending in "/") and its missing parents, each new one
// with mode 0700; folders that exist are left as they are. False when a
// part cannot be made or is not a folder.
[[nodiscard]] bool MakeSettingsFolder(const std::string& folder);

// The scale fit of a window whose frame adds frame pixels to the GUI's
// height at scale 1.0 (800 for the whole panel, 400 for the compact one):
// when frame + scale x that exceeds the visible screen height, the scale
// that fills the height, held to 0.5..2.0, goes to *fitted and the result
// is true. A screen no higher than the frame, or none (screenHeight < 0),
// fits nothing.
bool FitGuiScale(double scale, int screenHeight, int frame, double* fitted, double guiHeight = 800.0);
// The scale stored under [gui] "guiscale" in iniPath, read with a point
// (or the comma of earlier versions) whatever the locale, as the
// window-size manager reads it; fallback when there is none or it is no
// number.
double StoredGuiScale(const char* iniPath, double fallback);
// Reads [gui] "guiscale" (default "-1.0") from iniPath into *scale and,
// when the fit of the stored view's panel ([gui] "view") changes it, writes the fitted scale with "%.15f" (with a
// point whatever the locale), puts it in
// *scale and returns true.
bool FitStoredGuiScale(const char* iniPath, int screenHeight, int frame, double* scale);

// ---- the audio lists (no caller: no audio device is opened) ----

// An audio device as the audio system reports it.
struct AudioDeviceInfo
{
  std::string name;
  int inputs = 0, outputs = 0;   // channels
  std::vector<int> sampleRates;  // in the device's order
};
// The audio system's devices, as the audio library lists them (the first
// system that has any: a running JACK server before ALSA); none when no
// system answers.
std::vector<AudioDeviceInfo> AudioDevices();
// Fills combo 40013 with the rates ("%i") that the record's input and output
// devices share, in the input's order, and selects the record's rate (none
// when it is not among them); the number of rates listed.
int PopulateSampleRateList(HWND dialog, const AppState& state, const std::vector<AudioDeviceInfo>& devices);
// Fill combo with the devices that have inputs (outputs) and select the
// record's device.
void PopulateAudioInputList(HWND dialog, int combo, const AppState& state, const std::vector<AudioDeviceInfo>& devices);
void PopulateAudioOutputList(HWND dialog, int combo, const AppState& state,
                             const std::vector<AudioDeviceInfo>& devices);

// ---- what the shell makes, replaceable for tests ----

struct ShellParts
{
  // Creates the plug-in object on the output and its channel setting.
  std::function<IUnitStandalone*(RtMidiOut* midiOut, uint16_t* midiOutChannel)> makePlug;
  // The visible height of the screen in pixels; -1 without one.
  std::function<int()> screenHeight;
  // Whether the plug-in shows its program manager (for the menu's check).
  std::function<bool(IUnitStandalone* plug)> managerOn;
  // The scale, panel and look the plug-in shows (for the View menu's
  // marks); false when it cannot tell.
  std::function<bool(IUnitStandalone* plug, AppViewState* state)> viewState;
  // Whether the controller learn and unlearn are armed (for the Edit
  // menu's checks); false when it cannot tell.
  std::function<bool(IUnitStandalone* plug, AppLearnState* state)> learnState;
  // The synth's output and input are open again, so an error the plug-in
  // shows about the link is out of date.
  std::function<void(IUnitStandalone* plug)> linkRestored;
  // Whether a quit the user asked for from the window (the menu, its key,
  // the close button) may go on; the plug-in may ask the user first.
  std::function<bool(IUnitStandalone* plug)> mayQuit;
  // Saves what the plug-in keeps for the next start, as the quit begins.
  std::function<void(IUnitStandalone* plug)> saveState;
};
// The editor's manager mode; false for any other plug-in.
bool PlugManagerOn(IUnitStandalone* plug);
// The editor's scale ratio, view mode and look; false for any other plug-in.
bool PlugViewState(IUnitStandalone* plug, AppViewState* state);
// The editor's controller learn and unlearn states; false for any other
// plug-in.
bool PlugLearnState(IUnitStandalone* plug, AppLearnState* state);
// The editor's name display leaves a communication error; nothing for any
// other plug-in.
void PlugLinkRestored(IUnitStandalone* plug);
// The editor's bank with changes in no folder: asks "Save", "Don't save" or
// "Cancel"; true to quit (saved, or not to be saved). True at once for any
// other plug-in or a saved bank.
bool PlugMayQuit(IUnitStandalone* plug);
// The editor's settings and last program saved; nothing for any other plug-in.
void PlugSaveState(IUnitStandalone* plug);
// The parts in use: MakePlug and the work area of the main window's screen
// unless replaced.
ShellParts& AppShellParts();

// ---- the shell's state, for the shell's sources and its tests ----

HWND AppMainWindow();                   // gHWND
IUnitStandalone* AppPlugin();           // gPluginInstance
MidiPorts* AppPorts();                  // the MIDI objects and the MIDI settings in use
const std::string& AppSettingsFolder(); // ends in "/"
const std::string& AppINIPath();        // gINIPath: the folder and "settings.ini"
