// Menus of the window layer: the model of menus and items addressed by the
// classic menu calls, menus built from resource lists, the application's
// main menu, the menu bar of a window and popup menus.
//
// A menu handle (HMENU) is an id that is never reused; a destroyed menu's
// handle answers 0 or FALSE everywhere. A menu attached to an item belongs to
// the menu above it and goes with it. The model lives here; when the toolkit
// is up, a window's menu bar and a popup are widgets rebuilt from the model
// whenever it changes. A chosen item reaches its window as WM_COMMAND with
// the item's command id, sent from the main loop once the toolkit's menu has
// closed, never from inside it. Main thread only.
#pragma once

#include "winl/WINL_Window.h"

struct HMENU__;
typedef HMENU__* HMENU;
struct HGDIOBJ__;

// ---- item records ----

constexpr UINT MF_BYCOMMAND = 0;
constexpr UINT MF_ENABLED = 0;
constexpr UINT MF_GRAYED = 1;
constexpr UINT MF_DISABLED = 2;
constexpr UINT MF_BITMAP = 4;
constexpr UINT MF_CHECKED = 8;
constexpr UINT MF_POPUP = 0x10;
constexpr UINT MF_BYPOSITION = 0x400;
constexpr UINT MF_SEPARATOR = 0x800;

constexpr UINT MIIM_ID = 1;
constexpr UINT MIIM_STATE = 2;
constexpr UINT MIIM_TYPE = 4;       // type and text
constexpr UINT MIIM_SUBMENU = 8;
constexpr UINT MIIM_DATA = 16;
constexpr UINT MFT_STRING = 0;
constexpr UINT MFT_BITMAP = 4;
constexpr UINT MFT_RADIOCHECK = 0x200;  // with MFT_STRING: one choice of a group, marked as such
constexpr UINT MFT_SEPARATOR = 0x800;
constexpr UINT MFS_GRAYED = 3;
constexpr UINT MFS_CHECKED = 8;

// 72 bytes, as loadable code lays it out.
struct MENUITEMINFO
{
  UINT cbSize;
  UINT fMask;
  UINT fType;
  UINT fState;
  UINT wID;
  HMENU hSubMenu;
  void* hbmpChecked;
  void* hbmpUnchecked;
  ULONG_PTR dwItemData;
  char* dwTypeData;  // the text, or a bitmap object for MFT_BITMAP
  UINT cch;          // the text buffer's capacity in bytes
};

// One entry of a resource list. A null text is a separator; "/.BO^O:title"
// opens a submenu, "EN%%%^:" closes it; flags other than 0 grey the item.
struct WINL_MenuGen_Entry
{
  const char* text;
  uint16_t id;
  uint16_t flags;
};

// One registered menu resource; records form a list through next.
struct WINL_MenuResourceIndex
{
  const char* resid;             // a small number held in the pointer
  void (*create)(HMENU menu);    // fills the new menu
  WINL_MenuResourceIndex* next;
};
extern WINL_MenuResourceIndex* WINL_curmodule_menuresource_head;

// ---- building ----

// Appends the entries to menu and returns how many were consumed, the
// closing marker of this level included; a list that ends first closes every
// open level. Never reads beyond count entries. Submenus nest at most 16 deep: deeper entries are consumed but
// build nothing.
int WINL_GenerateMenuFromList(HMENU menu, const WINL_MenuGen_Entry* list, int count);
// Appends a text item; flags other than 0 grey it.
void WINL_Menu_AddMenuItem(HMENU menu, const char* text, int id, int flags);
// A new menu filled by the resource's create function; null for an unknown id.
HMENU WINL_LoadMenu(WINL_MenuResourceIndex* head, const char* resid);
HMENU CreatePopupMenu();
HMENU CreatePopupMenuEx(const char* title);
// Destroys the menu and the submenus it holds. FALSE for a dead handle.
BOOL DestroyMenu(HMENU menu);
// A deep copy: items and submenus.
HMENU WINL_DuplicateMenu(HMENU menu);

// ---- editing ----
// Item addressing: with MF_BYPOSITION (or byPosition) the number is an index
// into the menu; otherwise it is a command id, looked up in the menu and then
// in its submenus, depth first. Titles given as text are cut at a TAB, and
// "&x" gives "x" ("&&" gives "&"); at most 1024 characters are kept.

// Inserts before the item (at the end for an index outside 0..count). FALSE
// for a dead menu, or a submenu that is dead, already attached elsewhere, or
// the menu itself or one holding it.
BOOL InsertMenuItem(HMENU menu, UINT item, BOOL byPosition, const MENUITEMINFO* info);
// With MF_POPUP idOrSubmenu is the submenu; MF_SEPARATOR a separator.
BOOL WINL_InsertMenu(HMENU menu, UINT position, UINT flags, UINT_PTR idOrSubmenu, const char* text);
// Inserts an item with the text as it is (not converted). 0, or -1 for a
// dead menu.
int AddMenuItem(HMENU menu, int position, const char* text, int id);
// Removes the item, destroying a submenu it holds.
BOOL DeleteMenu(HMENU menu, UINT item, UINT flags);
BOOL SetMenuItemText(HMENU menu, UINT item, UINT flags, const char* text);
// Greyed with MF_GRAYED or MF_DISABLED in flags; the previous state.
BOOL EnableMenuItem(HMENU menu, UINT item, UINT flags);
BOOL CheckMenuItem(HMENU menu, UINT item, UINT flags);
// Makes the items first..last (ids, or positions with MF_BYPOSITION in
// flags) one group of choices shown with a radio mark, and marks check
// alone. A check outside first..last leaves the whole group unmarked: a
// state that is none of the choices shows as none. Items of the range that
// are not there are passed over; FALSE when none is there.
BOOL CheckMenuRadioItem(HMENU menu, UINT first, UINT last, UINT check, UINT flags);
BOOL SetMenuItemInfo(HMENU menu, UINT item, BOOL byPosition, const MENUITEMINFO* info);
// Copies at most cch - 1 bytes of the title and a terminator.
BOOL GetMenuItemInfo(HMENU menu, UINT item, BOOL byPosition, MENUITEMINFO* info);
HMENU GetSubMenu(HMENU menu, int position);
int GetMenuItemCount(HMENU menu);
// The command id; -1 for an item with a submenu; 0 outside the items.
int GetMenuItemID(HMENU menu, int position);

// The key equivalent of an item from a virtual key (A-Z, 0-9, F1-F24, the
// navigation keys) or, without WINL_KEYF_VIRTKEY, a punctuation character,
// and modifier bits (1 virtual key, 4 Shift, 8 Command, 16 Option, 32
// Control). A letter with Shift becomes its upper-case character. Command is
// the Ctrl key here. Any other key removes the equivalent.
BOOL SetMenuItemModifier(HMENU menu, UINT item, UINT flags, int key, int modifiers);
// The item's key equivalent as the toolkit takes it: a virtual key of the
// layer (WINL_Window.h numbering: 'A', '0', 112 for F1, 37 for left ...) and
// PLAT_MOD_ bits; false without one.
bool WINL_GetMenuItemAccel(HMENU menu, UINT item, UINT flags, int* virtualKey, unsigned* mods);

// ---- windows and the application ----

// Items chosen in the menu (and its submenus) go to target as WM_COMMAND;
// null clears it.
void WINL_SetMenuDestination(HMENU menu, HWND target);
// Shows the menu as the window's menu bar (a content view stands for its
// window; the bar sits in the window above the content). Null removes it.
// FALSE for a dead window, or while the application quits.
BOOL SetMenu(HWND hwnd, HMENU menu);
HMENU GetMenu(HWND hwnd);
// Does nothing: the bar follows the model by itself.
BOOL DrawMenuBar(HWND hwnd);

// The application's main menu; an empty one until the application sets its
// own.
HMENU WINL_GetCurrentMenu();
// Makes the menu the application's main menu and shows it as the menu bar
// of the active window, else of the front shown window (a window's bar is
// its own: GetMenu on that window then answers it). Destroying that window
// leaves the menu alive. Unknown menus are ignored.
void WINL_SetCurrentMenu(HMENU menu);
void WINL_SetDefaultModalWindowMenu(HMENU menu);
HMENU WINL_GetDefaultModalWindowMenu();
void WINL_SetDefaultWindowMenu(HMENU menu);
HMENU WINL_GetDefaultWindowMenu();

constexpr UINT TPM_NONOTIFY = 0x80;
constexpr UINT TPM_RETURNCMD = 0x100;

// Pops the menu up at the screen point (y upwards) over hwnd's window (the
// active window's for null) and runs until it closes. Without TPM_NONOTIFY
// the window first gets WM_INITMENUPOPUP, and so does each submenu as it
// opens. Returns the chosen command with TPM_RETURNCMD; otherwise sends it
// as WM_COMMAND and returns 1. 0 when nothing was chosen or nothing could
// show.
int TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int reserved, HWND hwnd, const RECT* rect);

// ---- for tests ----
// Queues the command the next TrackPopupMenu picks without showing anything
// (0: the menu is dismissed).
void WINL_TestQueuePopupAnswer(int command);
// The title of the item, as it shows.
bool WINL_TestMenuItemTitle(HMENU menu, int position, char* buffer, int size);
// Menus that exist.
int WINL_GetMenuRecordCount();
