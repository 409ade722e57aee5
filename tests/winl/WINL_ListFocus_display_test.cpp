// Lists and trees taking the keyboard focus on the (virtual) display, by
// Tab, by SetFocus and by a real click: focus alone selects no row and
// tells the parent of no selection, a click selects only the clicked row,
// and GetFocus reports the list or tree afterwards.
#include "platform/gtk/PLAT_GtkList.h"
#include "platform/gtk/PLAT_GtkTestKeys.h"
#include "platform/gtk/PLAT_GtkTree.h"
#include "winl/WINL_Controls.h"
#include "winl/WINL_Dialog.h"
#include "winl/WINL_ListView.h"
#include "winl/WINL_TreeView.h"

#include "WinlGtkTest.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace
{
constexpr int kFieldId = 20;
constexpr int kListId = 500;

enum class Kind { ListBox, ListView, Tree };
enum class Way { Tab, SetFocus, Click };

Kind gKind = Kind::ListBox;
// What the dialog heard from the list, as "notice row" texts.
std::vector<std::string> gHeard;
HTREEITEM gItems[3] = {};

INT_PTR ParentProc(HWND, UINT msg, WPARAM wParam, LPARAM lParam)
{
  if (msg == WM_COMMAND && (wParam & 0xFFFF) == kListId)
    gHeard.push_back(wParam >> 16 == LBN_SELCHANGE ? "LBN_SELCHANGE" : "WM_COMMAND " + std::to_string(wParam >> 16));
  if (msg != WM_NOTIFY) return 0;
  const auto* hdr = reinterpret_cast<const NMHDR*>(lParam);
  if (hdr->idFrom != static_cast<UINT_PTR>(kListId)) return 0;
  // Only the list view's notices carry a row.
  const int item = gKind == Kind::ListView ? reinterpret_cast<const NMLISTVIEW*>(lParam)->iItem : -1;
  switch (hdr->code)
  {
    case NM_CLICK: gHeard.push_back(gKind == Kind::Tree ? "NM_CLICK" : "NM_CLICK " + std::to_string(item)); break;
    case LVN_ITEMCHANGED: gHeard.push_back("LVN_ITEMCHANGED " + std::to_string(item)); break;
    case TVN_SELCHANGED: gHeard.push_back("TVN_SELCHANGED"); break;
    default: gHeard.push_back("WM_NOTIFY " + std::to_string(hdr->code)); break;
  }
  return 0;
}

// A one-line field first, which has the focus, then the list or tree.
void CreateFieldAndList(HWND hwnd, int)
{
  WINL_MakeSetCurParms(1.0f, 1.0f, 0, 0, hwnd, false, false);
  WINL_MakeEditField(kFieldId, 10, 10, 150, 20, 0);
  switch (gKind)
  {
    case Kind::ListBox: WINL_MakeListBox(kListId, 10, 40, 150, 120, 0); break;
    case Kind::ListView: WINL_MakeControl("", kListId, "SysListView32", 1 | LVS_SINGLESEL, 10, 40, 150, 120, 0); break;
    case Kind::Tree: WINL_MakeControl("", kListId, "SysTreeView32", 0, 10, 40, 150, 120, 0); break;
  }
}

void FillRows(HWND list)
{
  const char* const texts[] = {"one", "two", "three"};
  switch (gKind)
  {
    case Kind::ListBox:
      for (const char* t : texts) SendMessage(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(t));
      break;
    case Kind::ListView:
    {
      LVCOLUMN col{};
      col.mask = LVCF_TEXT | LVCF_WIDTH;
      col.pszText = const_cast<char*>("Name");
      col.cx = 120;
      ListView_InsertColumn(list, 0, &col);
      for (int i = 0; i < 3; ++i)
      {
        LVITEM item{};
        item.mask = LVIF_TEXT;
        item.iItem = i;
        item.pszText = const_cast<char*>(texts[i]);
        ListView_InsertItem(list, &item);
      }
      break;
    }
    case Kind::Tree:
      for (int i = 0; i < 3; ++i)
      {
        TVINSERTSTRUCT ins{};
        ins.hParent = TVI_ROOT;
        ins.hInsertAfter = TVI_LAST;
        ins.item.mask = TVIF_TEXT;
        ins.item.pszText = const_cast<char*>(texts[i]);
        gItems[i] = TreeView_InsertItem(list, &ins);
      }
      break;
  }
}

// The selected rows as the layer has them, and for lists as the table
// shows them.
std::string Selection(HWND list)
{
  std::string out;
  switch (gKind)
  {
    case Kind::ListBox: out = std::to_string(SendMessage(list, LB_GETCURSEL, 0, 0)); break;
    case Kind::ListView: out = std::to_string(ListView_GetNextItem(list, -1, 1)); break;
    case Kind::Tree:
    {
      const HTREEITEM selected = TreeView_GetSelection(list);
      out = "-1";
      for (int i = 0; i < 3; ++i)
        if (selected && selected == gItems[i]) out = std::to_string(i);
      return out;
    }
  }
  std::string shown;
  for (int row : PLAT_ListGetSelection(WINL_GetNativeView(list))) shown += " " + std::to_string(row);
  return out + " shown" + shown;
}

// The real pointer clicks a row.
bool ClickRow(HWND list, int row)
{
  int x = 0, y = 0;
  PLAT_GtkView* table = WINL_GetNativeView(list);
  const auto where = [&] {
    return gKind == Kind::Tree ? PLAT_TreeTestItemPoint(table, reinterpret_cast<uintptr_t>(gItems[row]), true, &x, &y)
                               : PLAT_ListTestRowPoint(table, row, &x, &y);
  };
  if (!LoopUntil(where)) return false;
  // From a corner first: a pointer told to go where it is would not move,
  // and the wait for its move would last.
  const std::string cmd =
      "xdotool mousemove --sync 1 1 mousemove --sync " + std::to_string(x) + " " + std::to_string(y) + " click 1";
  return std::system(cmd.c_str()) == 0;
}

// The real pointer clicks the field: it takes the keyboard, and the display
// counts the next click in the list as a click of its own, not as the second
// of a double click with one made in an earlier list at the same place.
bool ClickField(HWND field)
{
  POINT p{5, 10};
  if (!ClientToScreen(field, &p)) return false;
  const int top = GetSystemMetrics(SM_CYSCREEN) - p.y;  // y up to y down
  const std::string cmd =
      "xdotool mousemove --sync 1 1 mousemove --sync " + std::to_string(p.x) + " " + std::to_string(top) + " click 1";
  return std::system(cmd.c_str()) == 0;
}

void TakeFocus(HWND dialog, HWND list, Way way)
{
  switch (way)
  {
    case Way::Tab:
      ASSERT_TRUE(PLAT_GtkTestKeyval(WINL_GetNativeView(dialog), 0xFF09, 0, true));
      ASSERT_TRUE(PLAT_GtkTestKeyval(WINL_GetNativeView(dialog), 0xFF09, 0, false));
      break;
    case Way::SetFocus: SetFocus(list); break;
    case Way::Click: ASSERT_TRUE(ClickRow(list, 1)); break;
  }
}

using WinlListFocusGtk = WinlGtkTest;

TEST_F(WinlListFocusGtk, FocusAloneSelectsNothingAndGetFocusReportsTheList)
{
  struct Case
  {
    const char* name;
    Kind kind;
    Way way;
    std::vector<std::string> heard;
    std::string selection;
  } const kCases[] = {
      {"list box by Tab", Kind::ListBox, Way::Tab, {}, "-1 shown"},
      {"list box by SetFocus", Kind::ListBox, Way::SetFocus, {}, "-1 shown"},
      {"list box by a click", Kind::ListBox, Way::Click, {"LBN_SELCHANGE"}, "1 shown 1"},
      {"list view by Tab", Kind::ListView, Way::Tab, {}, "-1 shown"},
      {"list view by SetFocus", Kind::ListView, Way::SetFocus, {}, "-1 shown"},
      {"list view by a click", Kind::ListView, Way::Click, {"NM_CLICK 1", "LVN_ITEMCHANGED 1"}, "1 shown 1"},
      {"tree by Tab", Kind::Tree, Way::Tab, {}, "-1"},
      {"tree by SetFocus", Kind::Tree, Way::SetFocus, {}, "-1"},
      {"tree by a click", Kind::Tree, Way::Click, {"NM_CLICK", "TVN_SELCHANGED"}, "1"},
  };
  for (const Case& c : kCases)
  {
    gKind = c.kind;
    static WINL_DialogResourceIndex res{};
    res = {reinterpret_cast<const char*>(uintptr_t{40910}), "Focus", 12, CreateFieldAndList, 170, 170, nullptr};
    HWND d = WINL_CreateDialog(&res, res.resid, nullptr, ParentProc, 0);
    ShowWindow(d, SW_SHOW);
    HWND field = GetDlgItem(d, kFieldId);
    HWND list = GetDlgItem(d, kListId);
    ASSERT_TRUE(LoopUntil([&] { return PLAT_GtkTestIsViewable(WINL_GetNativeView(list)); })) << c.name;
    FillRows(list);
    ASSERT_TRUE(ClickField(field)) << c.name;
    ASSERT_TRUE(LoopUntil([&] { return GetFocus() == field && WINL_GetNativeView(field)->HasFocus(); })) << c.name;
    gHeard.clear();

    TakeFocus(d, list, c.way);
    EXPECT_TRUE(LoopUntil([&] { return GetFocus() == list && gHeard.size() >= c.heard.size(); })) << c.name;
    // Whatever else the focus would set off has come by now.
    Pump(10);
    EXPECT_EQ(GetFocus(), list) << c.name;
    EXPECT_EQ(gHeard, c.heard) << c.name;
    EXPECT_EQ(Selection(list), c.selection) << c.name;
    DestroyWindow(d);
    PLAT_GtkTestSettle();
  }
}
}  // namespace
