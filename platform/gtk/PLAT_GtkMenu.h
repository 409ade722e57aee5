// Menus on the screen: a window's menu bar and popup menus, both built from
// a description the window layer makes of its menu model. The model stays in
// the layer; the widgets are rebuilt (or, when only texts and states changed,
// updated) from a new description. Labels show their text as it is: an
// underscore is a character, never a mnemonic ("01_Init").
//
// A chosen command reaches the handler from an idle callback, after the
// toolkit's menu signal has returned, so a modal run started for it never
// nests inside that signal. Main thread only.
#pragma once

#include "platform/gtk/PLAT_GtkView.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class PLAT_Image;

struct PLAT_MenuEntry
{
  std::string title;
  unsigned command = 0;
  bool enabled = true;
  bool checked = false;     // shown with a check mark
  bool radio = false;       // one choice of a group: always a mark's place, checked shows the mark as a radio dot
  bool separator = false;
  uint64_t menu = 0;        // the layer's id of the menu holding this entry
  uint64_t submenu = 0;     // the layer's id of the menu this entry opens; children hold its entries
  std::vector<PLAT_MenuEntry> children;
  int accelKey = 0;         // a virtual key of the layer ('A', '0', 112 for F1, 37 for left ...) or a punctuation character
  unsigned accelMods = 0;   // PLAT_MOD_ bits
  std::shared_ptr<const PLAT_Image> image;  // shown in place of the title when set
};

// What the user does with menus.
class PLAT_MenuHandler
{
public:
  virtual ~PLAT_MenuHandler() = default;
  // An item of the bar of window (the id given to PLAT_GtkWindow::Create)
  // was chosen; menu is the entry's holder (PLAT_MenuEntry::menu).
  virtual void OnMenuCommand(uint64_t window, uint64_t menu, unsigned command) = 0;
  // The submenu with the layer's id menu is about to show in window's bar,
  // or in a popup (window 0).
  virtual void OnMenuShown(uint64_t window, uint64_t menu) = 0;
};

// Not owned; null drops what the user does.
void PLAT_GtkMenuSetHandler(PLAT_MenuHandler* handler);

// Shows the entries as the window's menu bar, above its content; null takes
// the bar away. The window grows by the bar's height so that the content
// keeps its size. Each entry's key equivalent works while the window has the
// keyboard.
void PLAT_GtkWindowSetMenuBar(PLAT_GtkWindow* window, const std::vector<PLAT_MenuEntry>* entries);

// Hides or shows again the window's bar, and the bars set from now on; the
// window shrinks or grows by the bar's height, so the content keeps its size.
// Null sets what later bars do only.
void PLAT_GtkWindowHideMenuBar(PLAT_GtkWindow* window, bool hidden);

// Pops a menu of the entries up at (x, y), top-down screen pixels, over the
// window (or the screen for null), and runs a nested loop until it closes.
// The chosen command, or 0 when the menu was dismissed.
unsigned PLAT_GtkMenuPopup(const std::vector<PLAT_MenuEntry>& entries, PLAT_GtkWindow* over, int x, int y);

// ---- for tests ----
// Activates the bar's item found by its titles from the top ("File", "Select
// Directory"), as a click on it would. False when there is no such item.
bool PLAT_GtkTestActivateMenuItem(PLAT_GtkWindow* window, const std::vector<std::string>& path);
// Whether the bar's item along path shows a check mark.
bool PLAT_GtkTestMenuItemChecked(PLAT_GtkWindow* window, const std::vector<std::string>& path);
// Activates the item with the title in the popup that is open now; false
// when no popup is open or it has no such item.
bool PLAT_GtkTestActivatePopupItem(const std::string& title);
// Whether the item at position of the bar's menu along menuPath shows a
// picture, and its size.
bool PLAT_GtkTestMenuItemImage(PLAT_GtkWindow* window, const std::vector<std::string>& menuPath, int position,
                               int* width, int* height);
