// List views and list boxes on the (virtual) display: the table shows the
// layer's rows in the layer's order, an owner-data list is asked only for
// the rows on screen, and real clicks become the parent's notifications.
#include "platform/gtk/PLAT_GtkList.h"
#include "winl/WINL_Controls.h"
#include "winl/WINL_Dialog.h"
#include "winl/WINL_ListView.h"
#include "winl/draw/WINL_GDI.h"

#include "WinlGtkTest.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstdio>
#include <string>
#include <vector>

namespace
{
constexpr int kListId = 500;
constexpr LONG_PTR kReport = 1;

// code: for WM_NOTIFY the notification, for WM_COMMAND the high word
struct Heard { UINT msg; int code; int item; int subItem; UINT newState; LPARAM param; };

std::vector<Heard> gHeard;
std::vector<int> gAskedRows;

INT_PTR ListParentProc(HWND, UINT msg, WPARAM wParam, LPARAM lParam)
{
  if (msg == WM_DRAWITEM)
  {
    // Owner-drawn rows: green when selected, else the colour in the data.
    auto* d = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
    HBRUSH b = CreateSolidBrush((d->itemState & ODS_SELECTED) ? 0x00FF00 : static_cast<int>(d->itemData));
    WINL_FillRect(d->hDC, &d->rcItem, b);
    DeleteObject(b);
    return 1;
  }
  if (msg == WM_COMMAND && (wParam & 0xFFFF) == kListId)
    gHeard.push_back({msg, static_cast<int>(wParam >> 16), -1, -1, 0, 0});
  if (msg != WM_NOTIFY) return 0;
  auto* hdr = reinterpret_cast<NMHDR*>(lParam);
  if (hdr->code == LVN_GETDISPINFO)
  {
    auto* info = reinterpret_cast<NMLVDISPINFO*>(lParam);
    gAskedRows.push_back(info->item.iItem);
    std::snprintf(info->item.pszText, static_cast<size_t>(info->item.cchTextMax), "row %d", info->item.iItem);
    return 0;
  }
  auto* nm = reinterpret_cast<NMLISTVIEW*>(lParam);
  gHeard.push_back({msg, static_cast<int>(hdr->code), nm->iItem, nm->iSubItem, nm->uNewState, nm->lParam});
  return 0;
}

LONG_PTR gStyle = 0;
const char* gClass = "SysListView32";

void CreateListDialog(HWND hwnd, int)
{
  const WINL_DlgResourceEntry entries[] = {
      {"", kListId, gClass, static_cast<int>(gStyle), 10, 10, 200, 160, 0},
  };
  WINL_MakeSetCurParms(1.0f, 1.0f, 0, 0, hwnd, false, false);
  WINL_GenerateDialogFromList(entries, 1);
}

void CreateListBoxDialog(HWND hwnd, int)
{
  const WINL_DlgResourceEntry entries[] = {
      {"__WINL_LISTBOX", 0, "", kListId, 10, 10, 150, 120, static_cast<int>(gStyle)},
  };
  WINL_MakeSetCurParms(1.0f, 1.0f, 0, 0, hwnd, false, false);
  WINL_GenerateDialogFromList(entries, 1);
}

class WinlListViewGtk : public WinlGtkTest
{
public:
  void SetUp() override
  {
    WinlGtkTest::SetUp();
    gHeard.clear();
    gAskedRows.clear();
  }
  // Runs the loop until done() holds, then lets the display settle.
  template <class Done>
  static void RunUntil(Done done)
  {
    LoopUntil(done);
    PLAT_GtkTestSettle();
  }
  // The dialog on screen with its list; the list's handle.
  static HWND Shown(void (*create)(HWND, int))
  {
    static WINL_DialogResourceIndex res{};
    res = {reinterpret_cast<const char*>(uintptr_t{40900}), "Lists", 12, create, 240, 200, nullptr};
    HWND d = WINL_CreateDialog(&res, res.resid, nullptr, ListParentProc, 0);
    ShowWindow(d, SW_SHOW);
    HWND list = GetDlgItem(d, kListId);
    RunUntil([&] { return PLAT_GtkTestIsViewable(WINL_GetNativeView(list)); });
    return list;
  }
};

// The real pointer clicks the row: the display sends what a person's click
// would.
void ClickRow(HWND list, int row)
{
  int x = 0, y = 0;
  WinlListViewGtk::RunUntil([&] { return PLAT_ListTestRowPoint(WINL_GetNativeView(list), row, &x, &y); });
  ASSERT_TRUE(PLAT_ListTestRowPoint(WINL_GetNativeView(list), row, &x, &y));
  const std::string cmd = "xdotool mousemove --sync " + std::to_string(x) + " " + std::to_string(y) + " click 1";
  ASSERT_EQ(std::system(cmd.c_str()), 0);
}

int InsertColumn(HWND list, int index, const char* title, int width)
{
  LVCOLUMN col{};
  col.mask = LVCF_TEXT | LVCF_WIDTH;
  col.pszText = const_cast<char*>(title);
  col.cx = width;
  return ListView_InsertColumn(list, index, &col);
}

std::vector<std::string> ModelTexts(HWND list)
{
  std::vector<std::string> out;
  PLAT_GtkView* table = WINL_GetNativeView(list);
  for (int i = 0; i < PLAT_ListModelRowCount(table); ++i) out.push_back(PLAT_ListModelText(table, i, 0));
  return out;
}

TEST_F(WinlListViewGtk, SortedInsertShowsTheLayersOrderAndARealClickNotifies)
{
  gStyle = kReport | LVS_SORTASCENDING;
  gClass = "SysListView32";
  HWND list = Shown(CreateListDialog);
  ASSERT_TRUE(WINL_IsListView(list));
  ASSERT_EQ(InsertColumn(list, 0, "Name", 120), 0);
  for (const char* t : {"b", "a", "c"})
  {
    LVITEM item{};
    item.mask = LVIF_TEXT;
    item.pszText = const_cast<char*>(t);
    ListView_InsertItem(list, &item);
  }
  EXPECT_EQ(ModelTexts(list), (std::vector<std::string>{"a", "b", "c"}));
  ASSERT_TRUE(ListView_DeleteItem(list, 0));
  EXPECT_EQ(ModelTexts(list), (std::vector<std::string>{"b", "c"}));
  EXPECT_TRUE(gHeard.empty()) << "the program's own changes notify nobody";

  ClickRow(list, 1);
  RunUntil([] { return gHeard.size() >= 2; });
  ASSERT_EQ(gHeard.size(), 2u);
  EXPECT_EQ(gHeard[0].code, NM_CLICK);
  EXPECT_EQ(gHeard[0].item, 1);
  EXPECT_EQ(gHeard[0].subItem, 0);
  EXPECT_EQ(gHeard[1].code, LVN_ITEMCHANGED);
  EXPECT_EQ(gHeard[1].item, 1);
  EXPECT_EQ(gHeard[1].newState, LVIS_SELECTED | LVIS_FOCUSED);
  EXPECT_EQ(ListView_GetNextItem(list, -1, 1), 1);
  EXPECT_EQ(ListView_GetSelectedCount(list), 1);
}

TEST_F(WinlListViewGtk, OwnerDataListAsksOnlyForTheRowsOnScreen)
{
  gStyle = kReport | LVS_OWNERDATA;
  gClass = "SysListView32";
  HWND list = Shown(CreateListDialog);
  ASSERT_EQ(InsertColumn(list, 0, "Row", 150), 0);
  struct Case { int count; int shown; } const kCases[] = {{-1, 0}, {0, 0}, {1, 1}, {4999, 4999}, {5000, 5000}};
  for (const Case& c : kCases)
  {
    ListView_SetItemCount(list, c.count);
    EXPECT_EQ(PLAT_ListModelRowCount(WINL_GetNativeView(list)), c.shown) << c.count;
  }
  gAskedRows.clear();
  int first = -1, last = -1;
  RunUntil([&] { return PLAT_ListVisibleRows(WINL_GetNativeView(list), &first, &last) && !gAskedRows.empty(); });
  ASSERT_EQ(first, 0);
  // 160 pixels under a header hold a handful of rows, far from 5,000.
  ASSERT_GT(last, 2);
  ASSERT_LT(last, 12);
  // The toolkit measures one sample row for the table's width; every other
  // row asked for is on screen.
  int offScreen = 0;
  for (int row : gAskedRows) offScreen += row > last + 1;
  EXPECT_LE(offScreen, 1);
  EXPECT_EQ(PLAT_ListModelText(WINL_GetNativeView(list), 4999, 0), "row 4999");
}

TEST_F(WinlListViewGtk, ListBoxFromAResourceAnswersAndARealClickChangesTheSelection)
{
  gStyle = 0;
  HWND list = Shown(CreateListBoxDialog);
  ASSERT_TRUE(WINL_IsListView(list));
  EXPECT_EQ(SendMessage(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("one")), 0);
  EXPECT_EQ(SendMessage(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("two")), 1);
  EXPECT_EQ(SendMessage(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("three")), 2);
  EXPECT_EQ(ModelTexts(list), (std::vector<std::string>{"one", "two", "three"}));
  struct Case { int index; LRESULT set, cur; }
  const kCases[] = {{2, 2, 2}, {3, LB_ERR, LB_ERR}, {-1, LB_ERR, LB_ERR}, {1, 1, 1}};
  for (const Case& c : kCases)
  {
    EXPECT_EQ(SendMessage(list, LB_SETCURSEL, static_cast<WPARAM>(c.index), 0), c.set) << c.index;
    EXPECT_EQ(SendMessage(list, LB_GETCURSEL, 0, 0), c.cur) << c.index;
    EXPECT_EQ(PLAT_ListGetSelection(WINL_GetNativeView(list)),
              c.cur == LB_ERR ? std::vector<int>{} : std::vector<int>{static_cast<int>(c.cur)})
        << c.index;
  }
  EXPECT_TRUE(gHeard.empty()) << "the program's own changes notify nobody";

  ClickRow(list, 0);
  RunUntil([] { return !gHeard.empty(); });
  ASSERT_EQ(gHeard.size(), 1u);
  EXPECT_EQ(gHeard[0].msg, WM_COMMAND);
  EXPECT_EQ(gHeard[0].code, static_cast<int>(LBN_SELCHANGE));
  EXPECT_EQ(SendMessage(list, LB_GETCURSEL, 0, 0), 0);
}

// The picture's pixel at the middle of a row's cell in a column.
uint32_t CellPixel(HWND list, int row, int column, int dx = -1)
{
  RECT r{};
  if (!ListView_GetSubItemRect(list, row, column, 0, &r)) return 0xDEAD;
  int x = dx < 0 ? (r.left + r.right) / 2 : r.left + dx, y = (r.top + r.bottom) / 2;
  PLAT_GtkView* table = WINL_GetNativeView(list);
  if (!PLAT_ListTestToPicture(table, &x, &y)) return 0xDEAD;
  int w = 0, h = 0;
  const std::vector<uint32_t> picture = PLAT_GtkTestSnapshot(table, &w, &h);
  if (x < 0 || y < 0 || x >= w || y >= h) return 0xDEAD;
  return picture[static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)];
}

HWND ShownReport(int rows, LONG_PTR moreStyle = 0)
{
  gStyle = kReport | moreStyle;
  gClass = "SysListView32";
  HWND list = WinlListViewGtk::Shown(CreateListDialog);
  InsertColumn(list, 0, "Name", 80);
  InsertColumn(list, 1, "Size", 60);
  for (int i = 0; i < rows; ++i)
  {
    LVITEM item{};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = i;
    item.pszText = const_cast<char*>("r");
    item.lParam = 700 + i;
    ListView_InsertItem(list, &item);
  }
  WinlListViewGtk::RunUntil([&] { return ListView_GetCountPerPage(list) > 0; });
  return list;
}

TEST_F(WinlListViewGtk, HitTestsRectanglesAndScrollingAgree)
{
  HWND list = ShownReport(200);
  EXPECT_EQ(WINL_GetListViewHeaderHeight(list), 17);  // the compact style sheet's header
  RECT r{};
  ASSERT_TRUE(ListView_GetSubItemRect(list, 7, 0, 0, &r));
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.right, 80);
  ASSERT_TRUE(ListView_GetSubItemRect(list, 7, 1, 0, &r));
  EXPECT_EQ(r.left, 80);
  LVHITTESTINFO hit{};
  hit.pt = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  EXPECT_EQ(ListView_SubItemHitTest(list, &hit), 7);
  EXPECT_EQ(hit.iSubItem, 1);
  EXPECT_EQ(hit.flags, LVHT_ONITEM);
  hit.pt = {10, r.bottom * 200};  // below the last row
  EXPECT_EQ(ListView_HitTest(list, &hit), -1);
  EXPECT_EQ(hit.flags, LVHT_NOWHERE);
  EXPECT_FALSE(ListView_GetItemRect(list, 200, &r, LVIR_LABEL));

  const int page = ListView_GetCountPerPage(list);
  ASSERT_GT(page, 2);
  struct Case { int ensure, visible; } const kCases[] = {{150, 150}, {-1, 0}, {199, 199}, {200, 199}, {0, 0}};
  for (const Case& c : kCases)
  {
    ASSERT_TRUE(ListView_EnsureVisible(list, c.ensure, FALSE));
    // The top row may show in part: page whole rows follow it.
    RunUntil([&] { return ListView_GetTopIndex(list) <= c.visible && c.visible <= ListView_GetTopIndex(list) + page; });
    const int top = ListView_GetTopIndex(list);
    EXPECT_LE(top, c.visible) << c.ensure;
    EXPECT_LE(c.visible, top + page) << c.ensure;
  }
  const int rowHeight = static_cast<int>(r.bottom - r.top);
  ASSERT_TRUE(ListView_Scroll(list, 0, 3 * rowHeight + rowHeight / 2));
  RunUntil([&] { return ListView_GetTopIndex(list) == 3; });
  EXPECT_EQ(ListView_GetTopIndex(list), 3);
}

TEST_F(WinlListViewGtk, RightClicksControlClicksAndDragsNotify)
{
  HWND list = ShownReport(5);
  // input: xdotool, after moving to row 2
  struct Case { const char* name; const char* input; std::vector<int> codes; } const kCases[] = {
      {"drag", "mousedown 1 mousemove_relative --sync 0 30 mouseup 1", {NM_CLICK, LVN_ITEMCHANGED, LVN_BEGINDRAG}},
      {"right button: selects, as a left one would", "click 3", {LVN_ITEMCHANGED, NM_RCLICK}},
      {"control and left button", "keydown ctrl click 1 keyup ctrl", {NM_RCLICK}},
  };
  for (const Case& c : kCases)
  {
    gHeard.clear();
    int x = 0, y = 0;
    ASSERT_TRUE(PLAT_ListTestRowPoint(WINL_GetNativeView(list), 2, &x, &y));
    // Away first: a move to where the pointer already is waits for nothing.
    const std::string cmd = "xdotool mousemove --sync 1 1 mousemove --sync " + std::to_string(x) + " " +
                            std::to_string(y) + " " + c.input;
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    RunUntil([&] { return gHeard.size() >= c.codes.size(); });
    std::vector<int> codes;
    for (const Heard& h : gHeard) codes.push_back(h.code);
    EXPECT_EQ(codes, c.codes) << c.name;
    if (!gHeard.empty())
    {
      EXPECT_EQ(gHeard.back().item, 2) << c.name;
    }
    ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
  }
}

TEST_F(WinlListViewGtk, ADraggedHeaderReordersTheColumns)
{
  HWND list = ShownReport(1);
  InsertColumn(list, 2, "Date", 40);
  ListView_SetExtendedListViewStyleEx(list, LVS_EX_HEADERDRAGDROP, LVS_EX_HEADERDRAGDROP);
  PLAT_ListTestMoveColumnFirst(WINL_GetNativeView(list), 2);
  int order[3] = {};
  ASSERT_TRUE(ListView_GetColumnOrderArray(list, 3, order));
  EXPECT_EQ(std::vector<int>(order, order + 3), (std::vector<int>{2, 0, 1}));
  // The program's own order is not taken for the user's.
  const int mine[3] = {1, 2, 0};
  ASSERT_TRUE(ListView_SetColumnOrderArray(list, 3, mine));
  ASSERT_TRUE(ListView_GetColumnOrderArray(list, 3, order));
  EXPECT_EQ(std::vector<int>(order, order + 3), (std::vector<int>{1, 2, 0}));
  EXPECT_TRUE(gHeard.empty());
}

TEST_F(WinlListViewGtk, ColoursStateImagesAndOwnerDrawnRows)
{
  HWND list = ShownReport(3);
  ListView_SetBkColor(list, 0x102030);
  const int selection[] = {0x405060, 0xFFFFFF};
  ASSERT_TRUE(ListView_SetSelColors(list, 2, selection));
  ListView_SetItemState(list, 0, LVIS_SELECTED, LVIS_SELECTED);
  const uint8_t red[] = {255, 255, 0, 0, 255, 255, 0, 0, 255, 255, 0, 0, 255, 255, 0, 0};
  HBITMAP bitmap = CreateBitmap(2, 2, 1, 32, red);
  HIMAGELIST images = ImageList_CreateEx(16, 16, 0, 1, 1);
  ASSERT_EQ(ImageList_ReplaceIcon(images, -1, bitmap), 0);
  DeleteObject(bitmap);
  EXPECT_EQ(ListView_SetImageList(list, images, 2), nullptr);
  ListView_SetItemState(list, 2, 1 << 16, LVIS_STATEIMAGEMASK);
  PLAT_GtkTestSettle();
  struct Case { const char* name; int row, column, dx; uint32_t pixel; } const kCases[] = {
      {"selected row", 0, 1, -1, 0x405060}, {"plain row", 1, 1, -1, 0x102030},
      {"state image", 2, 0, 8, 0xFF0000},   {"no state image", 1, 0, 8, 0x102030},
  };
  for (const Case& c : kCases) EXPECT_EQ(CellPixel(list, c.row, c.column, c.dx), c.pixel) << c.name;
  // A list destroyed while the view holds it is no longer drawn.
  ASSERT_TRUE(ImageList_Destroy(images));
  EXPECT_FALSE(ImageList_Destroy(images));
  EXPECT_EQ(CellPixel(list, 2, 0, 8), 0x102030u);
}

// The primaries the cell's pixels hold: each channel's bits are set when
// any pixel has some of it. On a black background, text in one primary
// shows that primary alone, however its edges are smoothed.
uint32_t CellInks(HWND list, int row, int column)
{
  RECT r{};
  if (!ListView_GetSubItemRect(list, row, column, 0, &r)) return 0xDEAD;
  int left = r.left, top = r.top, right = r.right, bottom = r.bottom;
  PLAT_GtkView* table = WINL_GetNativeView(list);
  if (!PLAT_ListTestToPicture(table, &left, &top) || !PLAT_ListTestToPicture(table, &right, &bottom)) return 0xDEAD;
  int w = 0, h = 0;
  const std::vector<uint32_t> picture = PLAT_GtkTestSnapshot(table, &w, &h);
  uint32_t inks = 0;
  for (int y = std::max(top, 0); y < std::min(bottom, h); ++y)
    for (int x = std::max(left, 0); x < std::min(right, w); ++x)
    {
      const uint32_t p = picture[static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)];
      for (uint32_t channel : {0xFF0000u, 0x00FF00u, 0x0000FFu})
        if (p & channel) inks |= channel;
    }
  return inks;
}

TEST_F(WinlListViewGtk, SelectedTextTakesTheFocusedOrTheUnfocusedColour)
{
  HWND list = ShownReport(1);
  ListView_SetItemText(list, 0, 0, const_cast<char*>("IIII llll"));
  // Entry 0 the selected rows' background, 1 their text with the focus, 3
  // without.
  const int selection[] = {0x000000, 0xFF0000, 0x808080, 0x00FF00};
  ASSERT_TRUE(ListView_SetSelColors(list, 4, selection));
  ListView_SetItemState(list, 0, LVIS_SELECTED, LVIS_SELECTED);
  struct Case { const char* name; bool focused; uint32_t inks; } const kCases[] = {
      {"focused", true, 0xFF0000},
      {"not focused", false, 0x00FF00},
      {"focused again", true, 0xFF0000},
  };
  for (const Case& c : kCases)
  {
    SetFocus(c.focused ? list : GetParent(list));
    ASSERT_EQ(GetFocus() == list, c.focused) << c.name;
    EXPECT_TRUE(LoopUntil([&] { return CellInks(list, 0, 0) == c.inks; })) << c.name << std::hex << " "
                                                                            << CellInks(list, 0, 0);
  }
  // With two colours a list without the focus shows its own text colour.
  ListView_SetTextColor(list, 0x0000FF);
  ASSERT_TRUE(ListView_SetSelColors(list, 2, selection));
  EXPECT_TRUE(LoopUntil([&] { return CellInks(list, 0, 0) == 0xFF0000u; })) << std::hex << CellInks(list, 0, 0);
  SetFocus(GetParent(list));
  EXPECT_TRUE(LoopUntil([&] { return CellInks(list, 0, 0) == 0x0000FFu; })) << std::hex << CellInks(list, 0, 0);
}

TEST_F(WinlListViewGtk, OwnerDrawnListBoxRowsArePaintedByTheParent)
{
  gStyle = LBS_OWNERDRAWFIXED;
  HWND box = Shown(CreateListBoxDialog);
  const int colours[] = {0xFF0000, 0x0000FF, 0x808080};
  for (int i = 0; i < 3; ++i)
  {
    SendMessage(box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("row"));
    SendMessage(box, LB_SETITEMDATA, static_cast<WPARAM>(i), colours[i]);
  }
  SendMessage(box, LB_SETCURSEL, 1, 0);
  PLAT_GtkTestSettle();
  EXPECT_EQ(WINL_GetListViewHeaderHeight(box), 0);
  const uint32_t kPixels[] = {0xFF0000, 0x00FF00, 0x808080};
  for (int i = 0; i < 3; ++i) EXPECT_EQ(CellPixel(box, i, 0, 20), kPixels[i]) << i;
}

// The pointer at a shown row of the list, or at its header, and then the
// xdotool input.
void PointerAt(HWND list, int row, const char* input)
{
  int x = 0, y = 0;
  ASSERT_TRUE(PLAT_ListTestRowPoint(WINL_GetNativeView(list), row < 0 ? 0 : row, &x, &y));
  RECT r{};
  if (row < 0 && ListView_GetItemRect(list, 0, &r, LVIR_BOUNDS))
    y -= static_cast<int>(r.bottom - r.top) / 2 + WINL_GetListViewHeaderHeight(list) / 2;
  const std::string cmd = "xdotool mousemove --sync 1 1 mousemove --sync " + std::to_string(x) + " " +
                          std::to_string(y) + " " + input;
  ASSERT_EQ(std::system(cmd.c_str()), 0);
}

TEST_F(WinlListViewGtk, ADoubleClickNamesTheRowItsValueAndOneChange)
{
  HWND list = ShownReport(5);
  gHeard.clear();
  PointerAt(list, 3, "click --repeat 2 --delay 80 1");
  RunUntil([] {
    for (const Heard& h : gHeard)
      if (h.code == NM_DBLCLK) return true;
    return false;
  });
  std::vector<int> changed;
  for (const Heard& h : gHeard)
  {
    if (h.code == LVN_ITEMCHANGED) changed.push_back(h.item);
    if (h.code == NM_DBLCLK)
    {
      EXPECT_EQ(h.item, 3);
      EXPECT_EQ(h.subItem, 0);
      EXPECT_EQ(h.param, 703);
    }
  }
  // One change, the first click's, for the row it selected.
  EXPECT_EQ(changed, (std::vector<int>{3}));
}

// Two quick clicks on a title are two title clicks, never a double click on
// the rows: the display makes the second press a double press, which the
// title leaves to the rows below it (a first click in a new list at the
// place of a click in a list just closed came so, in a shuffled run).
TEST_F(WinlListViewGtk, ColumnTitlesSortOnlyWithoutNoSortHeader)
{
  // style, the clicks on the first title, codes they and a click on row 1 give
  struct Case { LONG_PTR style; const char* titleClicks; std::vector<int> codes; } const kCases[] = {
      {0, "click 1", {LVN_COLUMNCLICK, NM_CLICK, LVN_ITEMCHANGED}},
      {LVS_NOSORTHEADER, "click 1", {NM_CLICK, LVN_ITEMCHANGED}},
      {0, "click --repeat 2 --delay 80 1", {LVN_COLUMNCLICK, LVN_COLUMNCLICK, NM_CLICK, LVN_ITEMCHANGED}},
  };
  for (const Case& c : kCases)
  {
    HWND list = ShownReport(3, c.style);
    gHeard.clear();
    PointerAt(list, -1, c.titleClicks);
    PointerAt(list, 1, "click 1");
    RunUntil([] { return !gHeard.empty() && gHeard.back().code == LVN_ITEMCHANGED; });
    std::vector<int> codes;
    for (const Heard& h : gHeard) codes.push_back(h.code);
    EXPECT_EQ(codes, c.codes) << c.style << " " << c.titleClicks;
    if (!gHeard.empty() && gHeard[0].code == LVN_COLUMNCLICK)
    {
      EXPECT_EQ(gHeard[0].item, -1);
      EXPECT_EQ(gHeard[0].subItem, 0);
    }
    DestroyWindow(GetParent(list));
  }
}
}  // namespace
