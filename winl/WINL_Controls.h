// Native controls in dialogs: the layout state and the makers that place
// controls in dialog units, the generated-dialog entry list, and the
// functions and messages through which dialog procedures work the controls
// (buttons, combo boxes, text fields, group boxes, sliders, progress bars
// and tabs).
//
// A control is a window handle like any view: it has a parent, a frame, an
// identifier (GWL_ID) and a text, and SendMessage reaches it. Its record
// holds its state (items, selection, check state, position); the widget
// follows. What the user does becomes WM_COMMAND (or WM_HSCROLL, WM_NOTIFY)
// to the control's parent; what the program does through these functions
// never does. Main thread only.
#pragma once

#include "winl/WINL_Window.h"

// ---- control messages ----
constexpr UINT BM_GETCHECK = 0xF0;
constexpr UINT BM_SETCHECK = 0xF1;   // wParam: 0 off, 1 on, bit 2 (value 2) mixed
constexpr UINT BM_GETIMAGE = 0xF6;
constexpr UINT BM_SETIMAGE = 0xF7;
constexpr UINT CB_ADDSTRING = 0x143;
constexpr UINT CB_DELETESTRING = 0x144;
constexpr UINT CB_GETCOUNT = 0x146;
constexpr UINT CB_GETCURSEL = 0x147;
// lParam: a buffer of at least CB_GETLBTEXTLEN's answer plus one byte.
constexpr UINT CB_GETLBTEXT = 0x148;
constexpr UINT CB_GETLBTEXTLEN = 0x149;
constexpr UINT CB_INSERTSTRING = 0x14A;
constexpr UINT CB_RESETCONTENT = 0x14B;
constexpr UINT CB_FINDSTRING = 0x14C;
constexpr UINT CB_SETCURSEL = 0x14E;
constexpr UINT CB_GETITEMDATA = 0x150;
constexpr UINT CB_SETITEMDATA = 0x151;
constexpr UINT CB_FINDSTRINGEXACT = 0x158;
// The width in pixels of a drop-down list's opened list: at least the
// field's, and CB_SETDROPPEDWIDTH's wParam when that is more. A list wider
// than its field shows each item whole up to its width. CB_SETDROPPEDWIDTH
// answers the width now in effect.
constexpr UINT CB_GETDROPPEDWIDTH = 0x15F;
constexpr UINT CB_SETDROPPEDWIDTH = 0x160;
constexpr UINT CB_LAST = 0x161;
constexpr UINT TBM_GETPOS = 0x400;
constexpr UINT TBM_SETTIC = 0x404;
constexpr UINT TBM_SETPOS = 0x405;
constexpr UINT TBM_SETRANGE = 0x406;  // lParam: maximum << 16 | minimum
constexpr UINT PBM_SETRANGE = 0x401;  // lParam: maximum << 16 | minimum
constexpr UINT PBM_SETPOS = 0x402;
constexpr UINT PBM_DELTAPOS = 0x403;
constexpr UINT WM_SETFONT = 0x30;
constexpr UINT EM_GETSEL = 0xF0B0;    // wParam, lParam: int* start and end (either may be null)
constexpr UINT EM_SETSEL = 0xF0B1;    // start -1 selects nothing; end -1 is the end of the text
constexpr UINT EM_SCROLL = 0xF0B5;

// ---- notifications (the high half of WM_COMMAND's wParam) ----
constexpr UINT BN_CLICKED = 0;
constexpr UINT STN_CLICKED = 0;       // a label made with SS_NOTIFY was clicked
constexpr UINT STN_DBLCLK = 1;        // ... and clicked twice: the second click
constexpr UINT CBN_SELCHANGE = 1;
constexpr UINT CBN_EDITCHANGE = 5;
constexpr UINT CBN_DROPDOWN = 7;      // a combo's list is about to open
constexpr UINT EN_SETFOCUS = 0x100;
constexpr UINT EN_KILLFOCUS = 0x200;  // the user left a text field or editable combo
constexpr UINT EN_CHANGE = 0x300;
constexpr int TCN_SELCHANGE = -551;

struct NMHDR
{
  HWND hwndFrom;
  UINT_PTR idFrom;
  int code;
};

// ---- owner-drawn buttons ----
// A button made with BS_OWNERDRAW shows nothing of its own: each time it
// must be painted, its parent gets WM_DRAWITEM with wParam = the button's
// identifier and lParam = a DRAWITEMSTRUCT whose context draws on the
// button, (0, 0) its top-left corner. The context is gone after the call.
constexpr UINT WM_DRAWITEM = 0x2B;
constexpr UINT ODT_BUTTON = 4;

struct DRAWITEMSTRUCT
{
  UINT CtlType;
  UINT CtlID;
  UINT itemID;
  UINT itemAction;
  UINT itemState;
  HWND hwndItem;
  HDC hDC;
  RECT rcItem;
  ULONG_PTR itemData;
};

// ---- styles the makers read ----
constexpr LONG_PTR WINL_STYLE_HIDDEN = 0x80000000;
constexpr LONG_PTR WS_GROUP = 0x20000;
constexpr LONG_PTR WS_VSCROLL = 0x200000;
constexpr LONG_PTR WS_HSCROLL = 0x100000;
constexpr LONG_PTR ES_CENTER = 1;
constexpr LONG_PTR ES_RIGHT = 2;
constexpr LONG_PTR ES_PASSWORD = 0x20;
constexpr LONG_PTR ES_READONLY = 0x800;
constexpr LONG_PTR SS_NOTIFY = 0x100;
constexpr LONG_PTR CBS_DROPDOWNLIST = 3;
constexpr LONG_PTR CBS_SORT = 0x100;
constexpr LONG_PTR BS_AUTOCHECKBOX = 3;
constexpr LONG_PTR BS_3STATE = 6;
constexpr LONG_PTR BS_AUTORADIOBUTTON = 9;
constexpr LONG_PTR BS_OWNERDRAW = 11;

// ---- the layout state and the makers ----

// Sets where the next controls go and how dialog units become pixels:
// x = (x + dx) * sx, rounded; the same for y, with the scale's size alone for
// heights. A top-level window as parent stands for its content view. Resets
// the auto-row state. Makers called before the first call create nothing.
void WINL_MakeSetCurParms(float sx, float sy, float dx, float dy, HWND parent, bool autoRow, bool sizeToFit);

// One control of a generated dialog; what flag1, str2, p1 and p6 mean
// depends on the kind in str1 ("__WINL_BUTTON", "__WINL_LABEL", ...).
struct WINL_DlgResourceEntry
{
  const char* str1;
  int flag1;
  const char* str2;
  int p1;
  int x, y, w, h;
  int p6;
};

// Makes the controls of the list in order.
void WINL_GenerateDialogFromList(const WINL_DlgResourceEntry* list, int count);

// Each maker returns the new control, or null (no set-up, or an unknown
// class). Styles: bit 31 hides the control.
HWND WINL_MakeButton(int isDefault, const char* text, int id, int x, int y, int w, int h, LONG_PTR style);
HWND WINL_MakeEditField(int id, int x, int y, int w, int h, LONG_PTR style);
// alignment: -1 left, 0 centre, 1 right.
HWND WINL_MakeLabel(int alignment, const char* text, int id, int x, int y, int w, int h, LONG_PTR style);
HWND WINL_MakeCheckBox(const char* text, int id, int x, int y, int w, int h, LONG_PTR style);
HWND WINL_MakeGroupBox(const char* title, int id, int x, int y, int w, int h, LONG_PTR style);
// A drop-down list for style & 3 == 3, else an editable combo; h is unused.
HWND WINL_MakeCombo(int id, int x, int y, int w, int h, LONG_PTR style);
// A list box ("SysListView32_LB"); style 0x10 lets the parent paint its rows.
HWND WINL_MakeListBox(int id, int x, int y, int w, int h, LONG_PTR style);
// By class name, compared without case: "Button", "Edit", "static",
// "msctls_progress32", "msctls_trackbar32" (or "WINLhfader"),
// "SysTabControl32", "SysListView32", "SysListView32_LB", "SysTreeView32";
// custom creators first.
HWND WINL_MakeControl(const char* text, int id, const char* className, LONG_PTR style, int x, int y, int w, int h,
                      LONG_PTR exStyle);

// A creator of custom controls: (parent, text, id, class, style, frame in
// pixels) gives the control, or null to pass the request on.
typedef HWND (*WINL_CustomControlCreator)(HWND parent, const char* text, int id, const char* className,
                                          LONG_PTR style, int x, int y, int w, int h);
// Counted: registering twice needs two unregistrations.
void WINL_RegisterCustomControlCreator(WINL_CustomControlCreator creator);
void WINL_UnregisterCustomControlCreator(WINL_CustomControlCreator creator);

// The size the control would like, as {0, 0, width, height}; other windows
// leave rect alone.
void WINL_GetDesiredControlSize(HWND control, RECT* rect);
BOOL WINL_IsGroupBox(HWND hwnd);
BOOL WINL_IsButton(HWND hwnd);
BOOL WINL_IsStaticText(HWND hwnd);

// ---- combo boxes (the dialog and the control's id; id 0 is the dialog) ----

// pos -1000 appends (in sorted order for CBS_SORT); the item's index, -1
// without the control.
int WINL_CB_InsertString(HWND hwnd, int id, int pos, const char* text);
int WINL_CB_AddString(HWND hwnd, int id, const char* text);
void WINL_CB_DeleteString(HWND hwnd, int id, int index);
int WINL_CB_GetNumItems(HWND hwnd, int id);
int WINL_CB_GetCurSel(HWND hwnd, int id);
// An index outside the items clears the selection.
void WINL_CB_SetCurSel(HWND hwnd, int id, int index);
// Copies the item's UTF-8 text, cut to size - 1 bytes at a character
// boundary, and answers 1; with a null buffer, the text's length plus 64; -1
// for a bad index or no control. Nothing is written for size 0.
int WINL_CB_GetItemText(HWND hwnd, int id, int index, char* buffer, int size);
void WINL_CB_Empty(HWND hwnd, int id);
LONG_PTR WINL_CB_GetItemData(HWND hwnd, int id, int index);
void WINL_CB_SetItemData(HWND hwnd, int id, int index, LONG_PTR value);
// The first item after start (from 0 for a negative start) equal to text,
// or beginning with it, ignoring case; -1 for none or without the control.
int WINL_CB_FindString(HWND hwnd, int id, int start, const char* text, bool exact);

// ---- sliders ----
int WINL_TB_GetPos(HWND hwnd, int id);
void WINL_TB_SetPos(HWND hwnd, int id, int pos);
void WINL_TB_SetRange(HWND hwnd, int id, int minimum, int maximum);
void WINL_TB_SetTic(HWND hwnd, int id, int pos);

// ---- tabs ----
constexpr UINT TCIF_TEXT = 1;
struct TCITEM
{
  UINT mask;
  DWORD dwState;
  DWORD dwStateMask;
  const char* pszText;
  int cchTextMax;
  int iImage;
  LPARAM lParam;
};
int TabCtrl_GetItemCount(HWND tabs);
// -1 without TCIF_TEXT and a text; no TCN_SELCHANGE for the new tab.
int TabCtrl_InsertItem(HWND tabs, int index, const TCITEM* item);
BOOL TabCtrl_DeleteItem(HWND tabs, int index);
// The previous selection (0 for none); selects index when valid.
int TabCtrl_SetCurSel(HWND tabs, int index);
int TabCtrl_GetCurSel(HWND tabs);
// The display area for a window rectangle (larger false) or the reverse.
BOOL TabCtrl_AdjustRect(HWND tabs, BOOL larger, RECT* rect);

// ---- dialog items ----

// Empties the buffer first (nothing for size 0), then copies at most
// size - 1 bytes of the text. 1 on success.
BOOL GetDlgItemText(HWND hwnd, int id, char* buffer, int size);
// A content view also sets its window's title; a text field tells its
// parent EN_CHANGE.
BOOL SetDlgItemText(HWND hwnd, int id, const char* text);
BOOL SetDlgItemInt(HWND hwnd, int id, UINT value, BOOL isSigned);
// The text as a decimal number (leading blanks allowed, nothing after it
// but blanks); 0 with *ok FALSE when it is not one or does not fit.
UINT GetDlgItemInt(HWND hwnd, int id, BOOL* ok, BOOL isSigned);
// state: 0 off, 1 on, bit 2 (value 2) mixed.
BOOL CheckDlgButton(HWND hwnd, int id, UINT state);
// 2 mixed, 1 on, 0 off or not a button.
UINT IsDlgButtonChecked(HWND hwnd, int id);

// The id of the window's default button; 0 when there is none, or when it
// is disabled and onlyIfEnabled is set.
int WINL_GetDefaultButtonID(HWND hwnd, bool onlyIfEnabled);
