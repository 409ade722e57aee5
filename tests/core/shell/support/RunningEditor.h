// The editor program itself, as a user meets it: the executable started on
// a virtual display of its own (any screen size), with a fresh home folder
// holding the settings of the case and the simulated synth on ports of its
// own, driven by real pointer and key events (xdotool) and checked by what
// the user would check: window geometry, screen pixels, the message boxes on
// screen, the files left behind and the bytes the synth heard.
//
// Screen coordinates are the display's pixels; GUI coordinates are the
// editor's unscaled 1140x800 layout, placed on the screen by GuiRect.
#pragma once

#include "tests/synth/peer/SynthSim.h"
#include "support/TempDir.h"

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

struct RunningEditorSetup
{
  // settings.ini as it stands before the start ("" leaves none). With the
  // synth on, "{synth-in}" and "{synth-out}" are replaced by the names of the
  // ports the editor opens to reach it, and a [midi] section choosing them
  // is added when the text has none (of any case).
  std::string settings;
  int screenWidth = 2400;
  int screenHeight = 1800;
  bool synth = true;
  // With the synth on, a second sim playing a controller keyboard from a
  // port of its own (Keyboard()); "{keyboard}" is replaced by that port's
  // name as the editor's keyboard input lists it.
  bool keyboard = false;
  // A window manager (openbox) on the display, framing the windows with
  // title bars as a desktop does; the program starts once it runs.
  bool windowManager = false;
  // More environment for the program, NAME and value.
  std::vector<std::pair<std::string, std::string>> env;
  // A certificate (PEM) the program trusts beside the system's authorities,
  // for a local HTTPS server: the program runs in a mount namespace of its
  // own where the system's bundle, with this one added, lies over
  // kSystemCaBundle. The program itself is not told. Start fails with the
  // "no mount namespace" prefix where the namespace cannot be had (not root).
  std::string trustedCaFile;
  // The executable to start; "" for the build's own.
  std::string program;
  // A file that takes the program's console (stderr); "" keeps the test's.
  std::string console;
};

class RunningEditor
{
public:
  struct Rect
  {
    int x = 0, y = 0, w = 0, h = 0;
    int CenterX() const { return x + w / 2; }
    int CenterY() const { return y + h / 2; }
  };
  struct Alert
  {
    pid_t pid = 0;
    std::string title, text;
    std::vector<std::string> buttons;
  };

  explicit RunningEditor(RunningEditorSetup setup = {});
  // Ends the program (SIGTERM, then SIGKILL if it does not end within
  // 10 s), the synth and the display.
  ~RunningEditor();
  RunningEditor(const RunningEditor&) = delete;
  RunningEditor& operator=(const RunningEditor&) = delete;

  // Starts the display, the synth and the program and waits (up to 60 s)
  // for the main window on screen. False with the reason in error; tests
  // skip when it says there is no JACK server ("no JACK server" prefix).
  [[nodiscard]] bool Start(std::string& error);
  // Start in two steps: the display, the synth and the program started
  // (false with the reason in error, as for Start), and the wait for the
  // drawn main window.
  [[nodiscard]] bool Launch(std::string& error);
  [[nodiscard]] bool WaitForMainWindow(std::string& error);

  // ---- where things are ----
  const std::string& Home() const { return mHome.Path(); }
  // Home() + "/Library/Application Support/ZephraEditor/".
  std::string SettingsFolder() const;
  // The text of settings.ini now ("" when there is none).
  std::string SettingsText() const;
  SynthSim& Synth() { return *mSynth; }
  // The controller keyboard of setup.keyboard.
  SynthSim& Keyboard() { return *mKeyboard; }
  // The synth switched off, its ports gone from the server, and on again
  // with the same ports and a memory as power-on leaves it. False, with the
  // reason in error, when it does not come back.
  [[nodiscard]] bool SwitchSynthOffAndOn(std::string& error);
  // What the synth heard since the last ClearHeard, in order.
  std::vector<SimBytes> Heard();
  void ClearHeard();
  // A whole program on the wire: NRPN MSB 5 and 6 once each, and an LSB
  // and a value for each of its 167 values. The start sends the last one.
  static constexpr size_t kProgramMessages = 336;
  // True once the synth heard at least a whole program's messages.
  bool HeardAProgram(double seconds = kBusyLimit);
  // True once the whole panel stands at scale: the settings hold it
  // ("guiscale=1.100000000000000") and the main window is as wide as the GUI
  // at it. A menu opened while a rescale has not reached the screen yet can
  // lose its click on a busy machine, so the next menu waits for this.
  bool ShowsScale(double scale, double seconds = kBusyLimit);
  // Plays message on the keyboard until the synth has heard it passed
  // through (a new connection may lose its first cycles); ten tries.
  bool PassThrough(const SimBytes& message);
  const std::string& Display() const { return mDisplay; }
  pid_t Pid() const { return mPid; }
  // The build's artefacts folder, where pictures of a run are kept.
  static std::string ArtefactFolder();

  // ---- the process ----
  bool Running();
  // Sends signal, waits up to seconds for the exit and answers its exit
  // code; -1 when it did not end in time (it is then killed) or died of a
  // signal. Don't send SIGKILL while the program is on the test's JACK
  // server: the server runs in sync mode and a client killed in its cycle
  // stalls every other client for minutes.
  int Stop(int signal = 15, double seconds = 10);

  // Resident memory of the program now (VmRSS), in KiB; -1 once it ended.
  long ResidentKiB();

  // ---- windows ----
  unsigned long MainWindow() const { return mMainWindow; }
  // Gives the main window the keyboard focus (there is no window manager
  // to give it on a click).
  void FocusMain();
  // A window's place and size on the screen: its client area, without the
  // window manager's frame; empty for a window that is gone.
  Rect WindowRect(unsigned long window) const;
  Rect MainRect() const { return WindowRect(mMainWindow); }
  // The main window with the window manager's frame (title bar, borders)
  // around it: the topmost window under the root that holds it; MainRect()
  // without a window manager.
  Rect MainFrameRect() const;
  // Where the GUI lies on the screen at scale: the bottom of the main
  // window, below its menu bar, 1140x800 times scale.
  Rect GuiRect(double scale = 1.0) const;
  // Screen point of a GUI point at scale.
  std::pair<int, int> GuiPoint(int gx, int gy, double scale = 1.0) const;
  // Windows mapped on the display that are not the program's main window
  // (menus, dialogs, message boxes), topmost last.
  std::vector<unsigned long> OtherWindows() const;

  // ---- input, on the real windows ----
  // Runs "xdotool args" on the display; true when it exits 0.
  bool Xdotool(const std::string& args) const;
  std::string XdotoolOutput(const std::string& args) const;
  // Where the pointer is on the screen; (-1, -1) when it cannot be read.
  std::pair<int, int> Pointer() const;
  // Moves the pointer and waits until it is there.
  void MoveTo(int x, int y);
  void Click(int x, int y, int button = 1);
  void DoubleClick(int x, int y);
  // Presses at (x0, y0), moves in steps to (x1, y1) and releases.
  void Drag(int x0, int y0, int x1, int y1, int steps = 10, int button = 1);
  void ClickGui(int gx, int gy, double scale = 1.0);
  void DragGui(int gx0, int gy0, int gx1, int gy1, double scale = 1.0);
  // xdotool key names, "ctrl+z", "Return"; to the focused window.
  void Key(const std::string& keys);
  void Type(const std::string& text);
  // Pastes text (ctrl+v) into the focused field in one piece, and answers
  // once the field has been handed it: keys typed one by one into a file
  // chooser's location field race its completion, which can insert its
  // guess between two of them ("second/econd").
  bool Paste(const std::string& text);
  // A file chooser shown now: its location field given path, and accepted.
  bool EnterInChooser(const std::string& path);

  // ---- the menu bar, found from its pixels ----
  // The titles of the main window's menu bar, left to right.
  std::vector<Rect> MenuBarItems() const;
  // The menu bar's band above the GUI, on the screen.
  Rect MenuBarRect() const;
  // The rows of the menu open now (separators left out), top to bottom;
  // empty when none is open.
  std::vector<Rect> OpenMenuItems() const;
  // The open menu's window; empty when none is open.
  Rect OpenMenuRect() const;
  // Opens menu number top by pointer and answers its rows once drawn;
  // empty when it is not there or does not open.
  std::vector<Rect> OpenMenu(int top);
  // Opens menu number top and chooses its item number item (separators not
  // counted), by pointer; false when either is not there.
  bool ChooseMenu(int top, int item);
  // Opens File > Preferences by pointer and presses its OK once drawn;
  // true once the dialog has gone.
  bool PreferencesOk();
  // Opens menu number top by pointer, finds the items that show a check or
  // radio mark (a place for one left of the labels, inked at its middle),
  // and closes it again (Escape); their numbers as ChooseMenu counts them.
  // The menu needs an item without a mark's place, which shows where the
  // labels start. Empty as well when the menu would not open.
  std::vector<int> MarkedMenuItems(int top);

  // ---- pixels ----
  // 0xRRGGBB of the screen at (x, y); 0 off the screen.
  uint32_t Pixel(int x, int y) const;
  // The screen's pixels in r, 0xRRGGBB row by row; none when r is not
  // wholly on the screen.
  std::vector<uint32_t> Grab(Rect r) const;
  // The program-name display, GUI (58, 30) to (268, 46), on the screen.
  Rect NameDisplay(double scale = 1.0) const;
  // How wide the name's red ink in that display runs, from its first column
  // to its last; 0 for none. Tells a long name from a short one or none.
  int NameInkWidth(double scale = 1.0) const;
  // Keeps r of the screen as ArtefactFolder()/name.png.
  bool SavePicture(const std::string& name, Rect r) const;

  // ---- message boxes ----
  // The message boxes the program shows now (the alert helpers it runs).
  std::vector<Alert> Alerts() const;
  // Waits for a message box; false when none shows within seconds.
  bool WaitForAlert(Alert& alert, double seconds = kBusyLimit);
  // The box's window on the display, 0 when it shows none.
  unsigned long AlertWindow(const Alert& alert) const;
  // The window a box or dialog says it belongs to (WM_TRANSIENT_FOR), 0
  // for none.
  unsigned long TransientFor(unsigned long window) const;
  // Presses button number button of the box (-1: closes it, as Escape).
  bool Answer(const Alert& alert, int button);

  // Polls ready every 20 ms until it holds or seconds pass.
  static bool WaitUntil(const std::function<bool()>& ready, double seconds = kBusyLimit);
  // The limit for a wait on something that takes a moment on a quiet
  // machine: the program under the address checker on two cores shared
  // with other work can take many times as long to draw, answer or open a box.
  static constexpr double kBusyLimit = 60;

private:
  bool StartDisplay(std::string& error);
  bool StartWindowManager(std::string& error);
  // The child of the root window that holds window (itself when it is one).
  unsigned long TopOf(unsigned long window) const;
  void StopDisplay();
  std::string XdotoolCommand(const std::string& args) const;

  RunningEditorSetup mSetup;
  TempDir mHome;
  std::unique_ptr<SynthSim> mSynth;
  std::unique_ptr<SynthSim> mKeyboard;
  pid_t mPid = 0;  // negative once the program has ended and been reaped
  int mExitStatus = 0;
  pid_t mDisplayPid = 0;
  pid_t mManagerPid = 0;
  std::string mDisplay;
  unsigned long mMainWindow = 0;
  struct X;
  std::unique_ptr<X> mX;
};

// Starts editor in a test: skips the test where there is no JACK server,
// fails it for any other reason the start gives.
#define RUNNING_EDITOR_START_OR_SKIP(editor)                              \
  do                                                                      \
  {                                                                       \
    std::string startError;                                               \
    if (!(editor).Start(startError))                                      \
    {                                                                     \
      if (startError.rfind("no JACK server", 0) == 0) GTEST_SKIP() << startError; \
      FAIL() << startError;                                               \
    }                                                                     \
  } while (0)
