// The main window's commands: one table from which the menu bar is built and
// through which a chosen command id becomes the editor's command index.
// Commands the shell answers itself (Preferences, Quit) carry index -1.
#pragma once

#include <cstddef>

struct HMENU__;
typedef HMENU__* HMENU;

enum class AppMenu
{
  kNone,  // reachable by its id only (the view modes, the manager's "off")
  kFile,
  kEdit,
  kView,
  kProgram,
  kHelp,
};

struct AppCommand
{
  AppMenu menu;
  int id;             // the WM_COMMAND id; 0 with a null label: a separator
  const char* label;  // null: a separator
  int key;            // key equivalent ('Z', or a navigation key); 0 none
  int modifiers;      // SetMenuItemModifier's bits
  int index;          // the editor's command index; -1: the shell's own
};

// The program-manager item shows the manager's state as a check mark: it
// carries the "on" command while the manager is off and the "off" command,
// checked, while it is on.
constexpr int kCmdManagerOn = 40053;
constexpr int kCmdManagerOff = 40054;
// The controller learn items of the Edit menu: learn and unlearn are check
// items that show while their gesture is armed; clear all is plain.
constexpr int kCmdLearnController = 40060;
constexpr int kCmdUnlearnController = 40061;
constexpr int kCmdClearControllers = 40062;

const AppCommand* AppCommandTable(size_t* count);

// The editor's index for a command id (only its low 16 bits count), -1 for
// an id that is not passed to the editor.
int MenuCommandIndex(int commandId);

// Fills menu with the menus "&File", "&Edit", "&View", "&Program" and
// "&Help" from the table, with their key equivalents.
void BuildMainMenu(HMENU menu);

// Shows managerOn on the program-manager item of bar (see above).
void ShowManagerCheck(HMENU bar, bool managerOn);
// Greys the View menu's scales whose window would not fit a work area of
// workWidth x workHeight with frameHeight (title bar, borders and menu bar)
// above the GUI, and offers the others: every scale offered shows every
// control. Nothing changes without a work area.
void ShowFittingScales(HMENU bar, int workWidth, int workHeight, int frameHeight);

// Whether the controller learn and unlearn gestures wait for a knob or a
// controller now.
struct AppLearnState
{
  bool learnArmed = false;
  bool unlearnArmed = false;
};
// Checks the learn and unlearn items of bar while their gesture is armed.
void ShowLearnChecks(HMENU bar, const AppLearnState& state);

// What the View menu's three groups of choices stand for now.
struct AppViewState
{
  double scale = 0.0;         // the GUI's scale ratio, 1.0 at 100 %
  bool compactPanel = false;  // the 1024 x 400 panel, else the whole one
  int look = 0;               // 0 "space", 1 "solid", 2 "lcd": the look shown
};
// Marks the current scale, panel and look among the View menu's radio
// items. A scale that is none of the menu's (a window edge dragged, a scale
// fitted to the screen) marks no scale item.
void ShowViewChoices(HMENU bar, const AppViewState& state);
