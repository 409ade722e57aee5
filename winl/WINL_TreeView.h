// Tree views of the window layer: items with a text, a parameter, a
// children flag and an expanded state, kept in the layer's record of the
// view. Item handles are numbers given out once and never reused, and every
// call looks its item up in the view's own tree: an item that was deleted,
// or that belongs to another tree, is refused with the call's failure value
// (null or FALSE) and nothing changes. Main thread only.
#pragma once

#include "winl/WINL_Controls.h"

struct WINL_TreeItem;
using HTREEITEM = WINL_TreeItem*;

// Places an item can be inserted under or after; never handles of items.
inline const HTREEITEM TVI_ROOT = reinterpret_cast<HTREEITEM>(-static_cast<intptr_t>(0x10000));
inline const HTREEITEM TVI_FIRST = reinterpret_cast<HTREEITEM>(-static_cast<intptr_t>(0xFFFF));
inline const HTREEITEM TVI_LAST = reinterpret_cast<HTREEITEM>(-static_cast<intptr_t>(0xFFFE));
inline const HTREEITEM TVI_SORT = reinterpret_cast<HTREEITEM>(-static_cast<intptr_t>(0xFFFD));

constexpr UINT TVIF_TEXT = 1;
constexpr UINT TVIF_PARAM = 4;
constexpr UINT TVIF_STATE = 8;
constexpr UINT TVIF_HANDLE = 0x10;
constexpr UINT TVIF_CHILDREN = 0x40;

constexpr UINT TVIS_SELECTED = 2;
constexpr UINT TVIS_EXPANDED = 0x20;

constexpr UINT TVE_COLLAPSE = 1;
constexpr UINT TVE_EXPAND = 2;
constexpr UINT TVE_TOGGLE = 3;

constexpr int TVN_SELCHANGED = -402;

constexpr UINT TVHT_NOWHERE = 1;
constexpr UINT TVHT_ONITEM = 0x46;

// pt in the rows' own pixels: (0, 0) is the first row's top-left corner
// whatever the scrolling.
struct TVHITTESTINFO
{
  POINT pt;
  UINT flags;
  HTREEITEM hItem;
};

struct TVITEM
{
  UINT mask;
  HTREEITEM hItem;
  UINT state;
  UINT stateMask;
  char* pszText;
  int cchTextMax;  // the text buffer's capacity in bytes
  int iImage;
  int iSelectedImage;
  int cChildren;  // non-zero: the item shows that it can open
  LPARAM lParam;
};

struct TVINSERTSTRUCT
{
  HTREEITEM hParent;
  HTREEITEM hInsertAfter;
  TVITEM item;
};

// Sent to the parent (WM_NOTIFY) when TreeView_SelectItem or the user
// changes the selection. The user's clicks send NM_CLICK and NM_RCLICK
// (a bare NMHDR); the user opening and closing items sends nothing.
struct NMTREEVIEW
{
  NMHDR hdr;
  UINT action;
  TVITEM itemOld;
  TVITEM itemNew;
  POINT ptDrag;
};

// A tree view ("SysTreeView32") as a child of parent with the control id.
// Null for a dead parent.
HWND WINL_CreateTreeView(HWND parent, int id, LONG_PTR style, int x, int y, int w, int h);
BOOL WINL_IsTreeView(HWND hwnd);

// Under hParent (null or a special handle: the top level) after
// hInsertAfter (null, TVI_LAST or TVI_SORT append, TVI_FIRST puts it first,
// a sibling puts it after that one, anything else first). Takes the text,
// parameter and children flag of insert->item. Null when the parent is not
// an item of this tree.
HTREEITEM TreeView_InsertItem(HWND hwnd, const TVINSERTSTRUCT* insert);
// The item and everything under it; TVI_ROOT deletes all items.
BOOL TreeView_DeleteItem(HWND hwnd, HTREEITEM item);
BOOL TreeView_DeleteAllItems(HWND hwnd);
// item->hItem names the item. The text is copied up to cchTextMax - 1 bytes
// and terminated (nothing for a size of 0 or less); state gives
// TVIS_SELECTED and TVIS_EXPANDED.
BOOL TreeView_GetItem(HWND hwnd, TVITEM* item);
// Sets what item->mask names: text, parameter, children flag, and under
// TVIF_STATE the expanded and selected bits of stateMask (selecting the
// item alone, or taking it out of the selection, with TVN_SELCHANGED).
BOOL TreeView_SetItem(HWND hwnd, const TVITEM* item);
HTREEITEM TreeView_GetRoot(HWND hwnd);
HTREEITEM TreeView_GetChild(HWND hwnd, HTREEITEM item);
HTREEITEM TreeView_GetNextSibling(HWND hwnd, HTREEITEM item);
HTREEITEM TreeView_GetSelection(HWND hwnd);
// Selects item alone (null clears the selection) and tells the parent
// TVN_SELCHANGED when the selection changes.
BOOL TreeView_SelectItem(HWND hwnd, HTREEITEM item);
// An expanded item asked to collapse (TVE_COLLAPSE, TVE_TOGGLE) collapses;
// otherwise the item ends expanded.
BOOL TreeView_Expand(HWND hwnd, HTREEITEM item, UINT action);
// The item of the row at info->pt, also in info->hItem; null for none or
// without a display.
HTREEITEM TreeView_HitTest(HWND hwnd, TVHITTESTINFO* info);
// Pixels per level.
BOOL TreeView_SetIndent(HWND hwnd, int indent);
// Colours 0xRRGGBB; -1 gives the theme's back. The previous colour, -1 for
// the theme's or a handle that is not a tree view.
int TreeView_SetBkColor(HWND hwnd, int color);
int TreeView_SetTextColor(HWND hwnd, int color);
// ListView_SetSelColors on a tree view.
BOOL WINL_TreeViewSetSelColors(HWND hwnd, int count, const int* colors);
