// List views and list boxes of the window layer: rows of column texts with a
// parameter, a state-image index and a selection, kept in the layer's record
// of the view. An owner-data list keeps only its row count and asks its
// parent for each cell's text (LVN_GETDISPINFO) when the cell shows.
//
// Every function takes the view's handle first and answers 0 (or -1 where
// an index is answered) for a handle that is not a live list view. Changes
// the program makes send nothing, except ListView_SetItemState, which tells
// the parent LVN_ITEMCHANGED for each row it changes. Main thread only.
#pragma once

#include "winl/WINL_Controls.h"
#include "winl/draw/WINL_GDI.h"

#include <string>

// ---- styles ----
constexpr LONG_PTR LVS_SINGLESEL = 4;
constexpr LONG_PTR LVS_SORTASCENDING = 0x10;
constexpr LONG_PTR LVS_SORTDESCENDING = 0x20;
constexpr LONG_PTR LVS_OWNERDATA = 0x1000;
// Clicking a column title sends no LVN_COLUMNCLICK.
constexpr LONG_PTR LVS_NOSORTHEADER = 0x8000;
constexpr LONG_PTR LBS_MULTIPLESEL = 8;
// A list box whose rows its parent paints: WM_DRAWITEM for each row shown,
// CtlType ODT_LISTBOX, itemID the row, itemState ODS_SELECTED when
// selected, itemData the row's data, the context's (0, 0) the row's corner.
constexpr LONG_PTR LBS_OWNERDRAWFIXED = 0x10;
constexpr UINT ODT_LISTBOX = 2;
constexpr UINT ODA_DRAWENTIRE = 1;
constexpr UINT ODS_SELECTED = 1;

// Extended styles (ListView_SetExtendedListViewStyleEx).
constexpr DWORD LVS_EX_GRIDLINES = 1;
constexpr DWORD LVS_EX_HEADERDRAGDROP = 0x10;

// ---- items ----
constexpr UINT LVIF_TEXT = 1;
constexpr UINT LVIF_IMAGE = 2;
constexpr UINT LVIF_PARAM = 4;
constexpr UINT LVIF_STATE = 8;
// State bits: the row is selected; the row is the current one; bits 16 to 23
// hold the state-image index.
constexpr UINT LVIS_SELECTED = 1;
constexpr UINT LVIS_FOCUSED = 2;
constexpr UINT LVIS_STATEIMAGEMASK = 0xFF0000;

struct LVITEM
{
  UINT mask;
  int iItem;
  int iSubItem;
  UINT state;
  UINT stateMask;
  char* pszText;
  int cchTextMax;  // the text buffer's capacity in bytes
  int iImage;
  LPARAM lParam;
};

// ---- notifications (WM_NOTIFY to the parent) ----
constexpr int NM_CLICK = -2;
constexpr int NM_DBLCLK = -3;
constexpr int NM_RCLICK = -5;  // right button up, or a left click with Control
constexpr int LVN_ITEMCHANGED = -101;
constexpr int LVN_COLUMNCLICK = -108;
constexpr int LVN_BEGINDRAG = -109;  // the pointer left a pressed row: iItem
constexpr int LVN_GETDISPINFO = -150;
constexpr UINT LBN_SELCHANGE = 1;

struct NMLISTVIEW
{
  NMHDR hdr;
  int iItem;
  int iSubItem;
  UINT uNewState;
  UINT uOldState;
  UINT uChanged;
  POINT ptAction;
  LPARAM lParam;
};

// The parent fills item.pszText (a buffer of item.cchTextMax bytes) with
// the text of row item.iItem, column item.iSubItem.
struct NMLVDISPINFO
{
  NMHDR hdr;
  LVITEM item;
};

// The size of the text buffer an owner-data list hands its parent.
constexpr int kListViewDispInfoChars = 1024;

// ---- columns and header items ----
constexpr UINT LVCF_FMT = 1;
constexpr UINT LVCF_WIDTH = 2;
constexpr UINT LVCF_TEXT = 4;

struct LVCOLUMN
{
  UINT mask;
  int fmt;  // the title's alignment: 0 left, 1 right, 2 centre
  int cx;
  char* pszText;
  int cchTextMax;
  int iSubItem;
  int iImage;
  int iOrder;
};

constexpr UINT HDI_WIDTH = 1;
constexpr UINT HDI_TEXT = 2;
constexpr UINT HDI_FORMAT = 4;
constexpr int HDF_SORTDOWN = 0x200;
constexpr int HDF_SORTUP = 0x400;

struct HDITEM
{
  UINT mask;
  int cxy;
  char* pszText;
  HBITMAP hbm;
  int cchTextMax;
  int fmt;  // alignment as LVCOLUMN's, and HDF_SORTUP or HDF_SORTDOWN for the arrow
  LPARAM lParam;
  int iImage;
  int iOrder;
};

// ---- hit tests and rectangles ----
constexpr UINT LVHT_NOWHERE = 1;
constexpr UINT LVHT_ONITEM = 0xE;
constexpr int LVIR_BOUNDS = 0;
constexpr int LVIR_LABEL = 2;

struct LVHITTESTINFO
{
  POINT pt;
  UINT flags;
  int iItem;
  int iSubItem;
};

// ---- list-box messages ----
constexpr UINT LB_ADDSTRING = 0x180;
constexpr UINT LB_INSERTSTRING = 0x181;
constexpr UINT LB_DELETESTRING = 0x182;
// Selects the rows wParam..lParam (a multiple-selection list); with wParam
// above lParam it takes rows lParam..wParam out of the selection instead.
constexpr UINT LB_SELITEMRANGEEX = 0x183;
constexpr UINT LB_RESETCONTENT = 0x184;
constexpr UINT LB_SETSEL = 0x185;
constexpr UINT LB_SETCURSEL = 0x186;
constexpr UINT LB_GETSEL = 0x187;
constexpr UINT LB_GETCURSEL = 0x188;
constexpr UINT LB_GETTEXT = 0x189;
constexpr UINT LB_GETTEXTLEN = 0x18A;
constexpr UINT LB_GETCOUNT = 0x18B;
constexpr UINT LB_GETSELCOUNT = 0x190;
constexpr UINT LB_GETITEMDATA = 0x199;
constexpr UINT LB_SETITEMDATA = 0x19A;
constexpr LRESULT LB_ERR = -1;

// ---- creating ----

// A list view ("SysListView32"), or with listBox its list-box form
// ("SysListView32_LB"), as a child of parent with the control id and the
// frame in parent pixels. Null for a dead parent.
HWND WINL_CreateListView(HWND parent, int id, LONG_PTR style, int x, int y, int w, int h, bool listBox);
BOOL WINL_IsListView(HWND hwnd);

// ---- rows ----

// The row's index: its item index limited to 0..count, or its sorted place
// under LVS_SORTASCENDING / LVS_SORTDESCENDING (an equal text goes before).
// -1 for an owner-data list view or a sub-item other than 0.
int ListView_InsertItem(HWND hwnd, const LVITEM* item);
BOOL ListView_SetItem(HWND hwnd, const LVITEM* item);
// Column 0 to 31.
BOOL ListView_SetItemText(HWND hwnd, int row, int column, const char* text);
// Copies at most size - 1 bytes and a terminator; nothing for size <= 0.
// An owner-data list asks its parent.
void ListView_GetItemText(HWND hwnd, int row, int column, char* buffer, int size);
BOOL ListView_GetItem(HWND hwnd, LVITEM* item);
// Row -1 changes every row in turn, re-reading the count after each
// notification (a handler may delete rows).
BOOL ListView_SetItemState(HWND hwnd, int row, UINT state, UINT mask);
UINT ListView_GetItemState(HWND hwnd, int row, UINT mask);
BOOL ListView_DeleteItem(HWND hwnd, int row);
BOOL ListView_DeleteAllItems(HWND hwnd);
int ListView_GetItemCount(HWND hwnd);
// An owner-data list's row count; a negative count is 0.
BOOL ListView_SetItemCount(HWND hwnd, int count);
// flags 1: the first selected row after start (from 0 for a negative
// start); flags 2: the current row; -1 for none.
int ListView_GetNextItem(HWND hwnd, int start, UINT flags);
int ListView_GetSelectedCount(HWND hwnd);
// A stable sort of the rows by compare(param1, param2, user) <= 0; selected
// rows stay selected. Not for owner-data lists or list boxes.
BOOL ListView_SortItems(HWND hwnd, int (*compare)(LPARAM, LPARAM, LPARAM), LPARAM user);

// ---- columns ----
// Appends a column with the title, width and alignment col's mask names
// (a width not named is 100); the index of the new column, or -1 for no
// record, no list view or too many columns. The index asked for does not
// move the column: columns are placed by ListView_SetColumnOrderArray.
int ListView_InsertColumn(HWND hwnd, int index, const LVCOLUMN* col);
BOOL ListView_DeleteColumn(HWND hwnd, int index);
// Pixels; a width of 0 hides the column, which then reports 0.
int ListView_GetColumnWidth(HWND hwnd, int column);
BOOL ListView_SetColumnWidth(HWND hwnd, int column, int width);
// order holds count column indexes, left first; count must be the column
// count and order a permutation of 0..count-1, else FALSE and nothing
// changes.
BOOL ListView_SetColumnOrderArray(HWND hwnd, int count, const int* order);
BOOL ListView_GetColumnOrderArray(HWND hwnd, int count, int* order);
// The format, width and text that mask names.
BOOL ListView_SetColumn(HWND hwnd, int column, const LVCOLUMN* col);
// The view is its own header: Header_ calls take the list view.
HWND ListView_GetHeader(HWND hwnd);
int Header_GetItemCount(HWND hwnd);
// The text is copied up to cchTextMax - 1 bytes and terminated.
BOOL Header_GetItem(HWND hwnd, int index, HDITEM* item);
BOOL Header_SetItem(HWND hwnd, int index, const HDITEM* item);
// Bit LVS_EX_GRIDLINES draws grid lines, LVS_EX_HEADERDRAGDROP lets the user
// drag headers to reorder the columns. The previous extended style.
DWORD ListView_SetExtendedListViewStyleEx(HWND hwnd, DWORD mask, DWORD style);
void WINL_SetListViewFastClickMask(HWND hwnd, int mask);
// Pixels; 0 without a header or off screen.
int WINL_GetListViewHeaderHeight(HWND hwnd);

// ---- images and colours ----
// The state image list: a row's state-image index n (1 and up) shows image
// n - 1 before its column-0 text. The list stays the caller's and must
// outlive its use. The previous list.
HIMAGELIST ListView_SetImageList(HWND hwnd, HIMAGELIST list, int type);
// Colours 0xRRGGBB.
BOOL ListView_SetBkColor(HWND hwnd, int color);
BOOL ListView_SetTextBkColor(HWND hwnd, int color);
BOOL ListView_SetTextColor(HWND hwnd, int color);
BOOL ListView_SetGridColor(HWND hwnd, int color);
// Selected rows: colors[0] their background, colors[1] their text while the
// list has the keyboard focus and colors[3] while it has not (with fewer
// than 4 colours the list's text colour, else the theme's); a count of 0
// gives the theme's back. FALSE for a negative count.
BOOL ListView_SetSelColors(HWND hwnd, int count, const int* colors);

// ---- on screen ----
// Points and rectangles are in the rows' own pixels: (0, 0) is row 0's
// top-left corner whatever the scrolling, the header not counted. What needs
// the table on screen answers -1, 0 or FALSE before it is.

// The row at info->pt (-1 for none), also in info->iItem; info->iSubItem
// gets the column (SubItemHitTest) and flags LVHT_ONITEM or LVHT_NOWHERE.
int ListView_HitTest(HWND hwnd, LVHITTESTINFO* info);
int ListView_SubItemHitTest(HWND hwnd, LVHITTESTINFO* info);
// LVIR_BOUNDS: the whole row; other codes: its column-0 cell.
BOOL ListView_GetItemRect(HWND hwnd, int row, RECT* rect, int code);
BOOL ListView_GetSubItemRect(HWND hwnd, int row, int column, int code, RECT* rect);
// Scrolls the least that shows the row (clamped to the rows).
BOOL ListView_EnsureVisible(HWND hwnd, int row, BOOL partialOK);
// The row at the top of the visible rows, and how many whole rows show.
int ListView_GetTopIndex(HWND hwnd);
int ListView_GetCountPerPage(HWND hwnd);
// By dy pixels in whole rows and dx in whole widths of the first column.
BOOL ListView_Scroll(HWND hwnd, int dx, int dy);
BOOL ListView_RedrawItems(HWND hwnd, int first, int last);
// The row the keyboard works on, -1 for none.
int ListView_GetSelectionMark(HWND hwnd);

// The text a cell shows, as the toolkit asks for it (an owner-data list
// asks its parent with LVN_GETDISPINFO).
std::string WINL_ListViewCellText(HWND hwnd, int row, int column);
