// Internal to the window layer: the menu records and what the menu model and
// its toolkit half tell each other.
#pragma once

#include "winl/WINL_Menu.h"

#include <memory>
#include <string>
#include <vector>

class PLAT_Image;
struct WINL_Wnd;

struct WINL_MenuItem
{
  std::string title;
  UINT id = 0;
  bool enabled = true;
  bool checked = false;
  bool radio = false;     // marked as one choice of a group (MFT_RADIOCHECK)
  bool separator = false;
  bool bitmap = false;
  std::shared_ptr<PLAT_Image> image;  // a bitmap item's picture
  uint64_t submenu = 0;   // the menu this item opens, owned by the item's menu
  ULONG_PTR data = 0;
  int accelKey = 0;       // a virtual key of the layer, 0 for none
  unsigned accelMods = 0; // PLAT_MOD_ bits
};

struct WINL_MenuRec
{
  uint64_t id = 0;
  std::string title;
  std::vector<WINL_MenuItem> items;
  uint64_t owner = 0;        // the menu whose item holds this one
  uint64_t destination = 0;  // the window that gets WM_COMMAND
  bool noNotify = false;     // a popup shown without WM_INITMENUPOPUP
};

WINL_MenuRec* WINL_FindMenu(uint64_t id);
WINL_MenuRec* WINL_FindMenu(HMENU menu);
HMENU WINL_MenuHandle(uint64_t id);

// From the model to the toolkit half.
void WINL_MenuNativeChanged(uint64_t topMenu);
void WINL_MenuNativeDestroyed(uint64_t menu);
void WINL_MenuNativeSetBar(WINL_Wnd* w, uint64_t menu);
uint64_t WINL_MenuNativeBarOf(WINL_Wnd* w);
// Shows the popup and runs until it closes; the chosen command or 0.
int WINL_MenuNativePopup(uint64_t menu, WINL_Wnd* over, int x, int y);

// A content view's WM_DESTROY: its window's menu is taken off and freed,
// and stops being the application's menu unless the application is quitting;
// the menu WINL_SetCurrentMenu showed there is only taken off.
void WINL_ReleaseWindowMenu(WINL_Wnd* content);

// A window becoming active makes the application's menu its own menu, or
// else the default menu of its kind (a modal dialog's, or any window's).
void WINL_ChooseMenuOnActivation(WINL_Wnd* content);

// From the toolkit half: a menu is about to show.
void WINL_MenuOpened(uint64_t menu);

// A modal panel of the toolkit's own (a file chooser) runs with a copy of
// the default modal-window menu as the application's menu; the copy, or null
// when there is no such menu. Afterwards the menu of the focused window is
// the application's again, and the copy is freed.
HMENU WINL_BeginModalPanelMenu();
void WINL_EndModalPanelMenu(HMENU copy);
