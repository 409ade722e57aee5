// List views and list boxes without a display: sorted inserts, a stable
// sort that keeps the selection, column orders that must be permutations,
// bounded text reads, owner-data texts asked of the parent, and a parent
// that deletes rows while it is told of state changes.
#include "winl/WINL_Dialog.h"
#include "winl/WINL_ListView.h"
#include "winl/WINL_Queue.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace
{
// What the parent does with notifications, set per test.
struct ParentState
{
  std::string fill;          // owner-data: the text written into the buffer
  bool fillWholeBuffer = false;
  HWND deleteFrom = nullptr; // deletes row 0 at each LVN_ITEMCHANGED
  std::vector<int> changed;  // rows of LVN_ITEMCHANGED
  int dispInfoAsks = 0;
};
ParentState gParent;

LRESULT ParentProc(HWND h, UINT m, WPARAM w, LPARAM l)
{
  if (m != WM_NOTIFY) return DefWindowProc(h, m, w, l);
  const NMHDR* hdr = reinterpret_cast<const NMHDR*>(l);
  if (hdr->code == LVN_ITEMCHANGED)
  {
    gParent.changed.push_back(reinterpret_cast<const NMLISTVIEW*>(l)->iItem);
    if (gParent.deleteFrom) ListView_DeleteItem(gParent.deleteFrom, 0);
  }
  if (hdr->code == LVN_GETDISPINFO)
  {
    ++gParent.dispInfoAsks;
    auto* info = reinterpret_cast<NMLVDISPINFO*>(l);
    if (gParent.fillWholeBuffer)
      std::memset(info->item.pszText, 'x', static_cast<size_t>(info->item.cchTextMax));
    else
      std::snprintf(info->item.pszText, static_cast<size_t>(info->item.cchTextMax), "%s%d", gParent.fill.c_str(), info->item.iItem);
  }
  return 0;
}

class WinlListView : public ::testing::Test
{
protected:
  void SetUp() override
  {
    WINL_Internal_PostMessage_Init();
    gParent = {};
    parent = WINL_CreateView(nullptr, ParentProc, 0);
  }
  void TearDown() override
  {
    EnumWindows([](HWND h, LPARAM) { return DestroyWindow(h); }, 0);
    DestroyWindow(parent);
    WINL_MessageQueue_Flush();
  }
  HWND List(LONG_PTR style) { return WINL_CreateListView(parent, 7, style, 0, 0, 200, 100, false); }
  static int Column(HWND list, int index, const char* title, int width)
  {
    LVCOLUMN col{};
    col.mask = LVCF_TEXT | LVCF_WIDTH;
    col.pszText = const_cast<char*>(title);
    col.cx = width;
    return ListView_InsertColumn(list, index, &col);
  }
  static int Add(HWND list, int index, const char* text, LPARAM param = 0)
  {
    LVITEM item{};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = index;
    item.pszText = const_cast<char*>(text);
    item.lParam = param;
    return ListView_InsertItem(list, &item);
  }
  static std::string Rows(HWND list)
  {
    std::string out;
    for (int i = 0; i < ListView_GetItemCount(list); ++i) out += WINL_ListViewCellText(list, i, 0);
    return out;
  }
  HWND parent = nullptr;
};

TEST_F(WinlListView, SortedStylesPlaceRowsWhateverTheIndex)
{
  struct Case { const char* name; LONG_PTR style; int indexes[3]; const char* rows; } const kCases[] = {
      {"ascending, appended", LVS_SORTASCENDING, {0, 1, 2}, "abc"},
      {"ascending, at the top", LVS_SORTASCENDING, {0, 0, 0}, "abc"},
      {"ascending, wild indexes", LVS_SORTASCENDING, {-5, 99, 1}, "abc"},
      {"descending", LVS_SORTDESCENDING, {0, 0, 0}, "cba"},
      {"unsorted, appended", 0, {0, 1, 2}, "bac"},
      {"unsorted, negative is the top", 0, {-1, -1, -1}, "cab"},
  };
  for (const Case& c : kCases)
  {
    HWND list = List(c.style);
    const char* texts[] = {"b", "a", "c"};
    for (int i = 0; i < 3; ++i) Add(list, c.indexes[i], texts[i]);
    EXPECT_EQ(Rows(list), c.rows) << c.name;
    DestroyWindow(list);
  }
}

TEST_F(WinlListView, InsertingAboveTheSelectionKeepsTheSameRowSelected)
{
  HWND list = List(0);
  Add(list, 0, "a");
  Add(list, 1, "b");
  ListView_SetItemState(list, 1, LVIS_SELECTED, LVIS_SELECTED);
  Add(list, 0, "new");
  EXPECT_EQ(ListView_GetNextItem(list, -1, 1), 2);
  EXPECT_EQ(ListView_GetNextItem(list, -1, 2), 2);
}

TEST_F(WinlListView, AStableSortKeepsOrderAndSelection)
{
  HWND list = List(0);
  for (int i = 0; i < 5; ++i) Add(list, i, std::string(1, static_cast<char>('a' + i)).c_str(), 10 + i);
  ListView_SetItemState(list, 1, LVIS_SELECTED, LVIS_SELECTED);
  ListView_SetItemState(list, 3, LVIS_SELECTED, LVIS_SELECTED);
  ASSERT_TRUE(ListView_SortItems(list, [](LPARAM, LPARAM, LPARAM) { return 0; }, 0));
  EXPECT_EQ(Rows(list), "abcde");
  EXPECT_EQ(ListView_GetNextItem(list, -1, 1), 1);
  EXPECT_EQ(ListView_GetNextItem(list, 1, 1), 3);
  // Descending by parameter: the selected rows move with their texts.
  ASSERT_TRUE(ListView_SortItems(list, [](LPARAM a, LPARAM b, LPARAM) { return static_cast<int>(b - a); }, 0));
  EXPECT_EQ(Rows(list), "edcba");
  EXPECT_EQ(ListView_GetNextItem(list, -1, 1), 1);
  EXPECT_EQ(ListView_GetNextItem(list, 1, 1), 3);
  EXPECT_EQ(ListView_GetNextItem(list, -1, 2), 1);
}

TEST_F(WinlListView, ColumnOrderMustBeAPermutationOfEveryColumn)
{
  // The report style: other list views start with one untitled column.
  HWND list = List(1);
  for (int i = 0; i < 3; ++i) Column(list, i, "c", 50);
  struct Case { const char* name; int count; int order[4]; BOOL ok; } const kCases[] = {
      {"reversed", 3, {2, 1, 0}, TRUE},     {"one short", 2, {1, 0}, FALSE},
      {"one over", 4, {3, 2, 1, 0}, FALSE}, {"a repeat", 3, {0, 0, 1}, FALSE},
      {"past the end", 3, {0, 1, 3}, FALSE}, {"negative", 3, {-1, 0, 1}, FALSE},
  };
  for (const Case& c : kCases)
  {
    const int before[3] = {1, 2, 0};
    ASSERT_TRUE(ListView_SetColumnOrderArray(list, 3, before));
    EXPECT_EQ(ListView_SetColumnOrderArray(list, c.count, c.order), c.ok) << c.name;
    int got[3] = {};
    ASSERT_TRUE(ListView_GetColumnOrderArray(list, 3, got));
    const int* want = c.ok ? c.order : before;
    EXPECT_EQ(std::vector<int>(got, got + 3), std::vector<int>(want, want + 3)) << c.name;
  }
}

TEST_F(WinlListView, TextReadsStayInsideTheBuffer)
{
  HWND list = List(0);
  Add(list, 0, "abcd");
  struct Case { int size; const char* text; }
  const kCases[] = {{1, ""}, {2, "a"}, {4, "abc"}, {5, "abcd"}, {6, "abcd"}};
  for (const Case& c : kCases)
  {
    std::vector<char> buffer(static_cast<size_t>(c.size) + 1, '#');
    ListView_GetItemText(list, 0, 0, buffer.data(), c.size);
    EXPECT_STREQ(buffer.data(), c.text) << c.size;
    EXPECT_EQ(buffer[static_cast<size_t>(c.size)], '#') << c.size;
  }
  char untouched = '#';
  ListView_GetItemText(list, 0, 0, &untouched, 0);
  ListView_GetItemText(list, 0, 0, &untouched, -1);
  EXPECT_EQ(untouched, '#');
}

TEST_F(WinlListView, OwnerDataAsksTheParentAndCountsNeverGoNegative)
{
  HWND list = List(LVS_OWNERDATA);
  EXPECT_EQ(Add(list, 0, "refused"), -1);
  struct Case { int set, count; } const kCases[] = {{-1, 0}, {0, 0}, {1, 1}, {5000, 5000}};
  for (const Case& c : kCases)
  {
    ListView_SetItemCount(list, c.set);
    EXPECT_EQ(ListView_GetItemCount(list), c.count) << c.set;
  }
  gParent.fill = "row ";
  EXPECT_EQ(WINL_ListViewCellText(list, 4999, 0), "row 4999");
  EXPECT_EQ(WINL_ListViewCellText(list, 5000, 0), "");
  EXPECT_EQ(gParent.dispInfoAsks, 1);
  // A parent that fills the whole buffer: the text still ends inside it.
  gParent.fillWholeBuffer = true;
  EXPECT_EQ(WINL_ListViewCellText(list, 0, 0), std::string(1023, 'x'));
}

TEST_F(WinlListView, ParentDeletingRowsWhileEveryRowChanges)
{
  HWND list = List(0);
  for (int i = 0; i < 4; ++i) Add(list, i, "r");
  gParent.deleteFrom = list;
  EXPECT_TRUE(ListView_SetItemState(list, -1, LVIS_SELECTED, LVIS_SELECTED));
  // Row 0 changes, row 0 goes; the next row is 1 of three left, and so on.
  EXPECT_EQ(gParent.changed, (std::vector<int>{0, 1}));
  EXPECT_EQ(ListView_GetItemCount(list), 2);
}

TEST_F(WinlListView, ListBoxMessages)
{
  HWND box = WINL_CreateListView(parent, 8, 0, 0, 0, 100, 100, true);
  for (const char* t : {"one", "two", "three"}) SendMessage(box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(t));
  struct Case { WPARAM set; LRESULT setAnswer, cur; }
  const kCases[] = {{0, 0, 0}, {2, 2, 2}, {3, LB_ERR, LB_ERR}, {static_cast<WPARAM>(-1), LB_ERR, LB_ERR}};
  for (const Case& c : kCases)
  {
    EXPECT_EQ(SendMessage(box, LB_SETCURSEL, c.set, 0), c.setAnswer) << c.set;
    EXPECT_EQ(SendMessage(box, LB_GETCURSEL, 0, 0), c.cur) << c.set;
  }
  EXPECT_EQ(SendMessage(box, LB_GETCOUNT, 0, 0), 3);
  EXPECT_EQ(SendMessage(box, LB_GETTEXTLEN, 2, 0), 5);
  EXPECT_EQ(SendMessage(box, LB_GETTEXTLEN, 3, 0), LB_ERR);
}

TEST_F(WinlListView, SelItemRangeExSelectsAndClearsRanges)
{
  HWND box = WINL_CreateListView(parent, 9, LBS_MULTIPLESEL, 0, 0, 100, 100, true);
  for (const char* t : {"a", "b", "c", "d", "e"}) SendMessage(box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(t));
  // first, last; the answer and then the selection of the five rows
  struct Case { WPARAM first; LPARAM last; LRESULT answer; std::vector<LRESULT> sel; } const kCases[] = {
      {1, 3, 0, {0, 1, 1, 1, 0}},
      {3, 2, 0, {0, 1, 0, 0, 0}},
      {3, 7, 0, {0, 1, 0, 1, 1}},
      {4, 0, 0, {0, 0, 0, 0, 0}},
      {0, 0, 0, {1, 0, 0, 0, 0}},
  };
  for (const Case& c : kCases)
  {
    EXPECT_EQ(SendMessage(box, LB_SELITEMRANGEEX, c.first, c.last), c.answer) << c.first << "-" << c.last;
    std::vector<LRESULT> sel;
    for (int i = 0; i < 5; ++i) sel.push_back(SendMessage(box, LB_GETSEL, static_cast<WPARAM>(i), 0));
    EXPECT_EQ(sel, c.sel) << c.first << "-" << c.last;
  }
  // A list of one selection takes no range.
  HWND single = WINL_CreateListView(parent, 10, 0, 0, 0, 100, 100, true);
  SendMessage(single, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("a"));
  EXPECT_EQ(SendMessage(single, LB_SELITEMRANGEEX, 0, 0), LB_ERR);
  EXPECT_EQ(SendMessage(single, LB_GETSELCOUNT, 0, 0), 0);
}

TEST_F(WinlListView, InsertColumnReadsWhatItsRecordsMaskNames)
{
  HWND list = List(1);
  char title[] = "Size";
  // mask, format, width, title; then the column's index, header format,
  // width and text.
  struct Case { UINT mask; int fmt; int cx; int index; int gotFmt; int gotWidth; const char* gotText; } const kCases[] = {
      {LVCF_TEXT | LVCF_WIDTH | LVCF_FMT, 2, 70, 0, 2, 70, "Size"},
      {LVCF_WIDTH, 1, 40, 1, 0, 40, ""},
      {LVCF_TEXT, 0, 40, 2, 0, 100, "Size"},
      {LVCF_FMT | LVCF_WIDTH, 0x401, -3, 3, 1, 0, ""},
  };
  for (const Case& c : kCases)
  {
    LVCOLUMN col{};
    col.mask = c.mask;
    col.fmt = c.fmt;
    col.cx = c.cx;
    col.pszText = title;
    // The index asked for does not place the column: each is appended.
    EXPECT_EQ(ListView_InsertColumn(list, 0, &col), c.index);
    char text[8] = "#";
    HDITEM got{};
    got.mask = HDI_FORMAT | HDI_TEXT | HDI_WIDTH;
    got.pszText = text;
    got.cchTextMax = 8;
    ASSERT_TRUE(Header_GetItem(list, c.index, &got)) << c.index;
    EXPECT_EQ(got.fmt, c.gotFmt) << c.index;
    EXPECT_EQ(got.cxy, c.gotWidth) << c.index;
    EXPECT_STREQ(text, c.gotText) << c.index;
  }
  EXPECT_EQ(ListView_InsertColumn(list, 0, nullptr), -1);
  EXPECT_EQ(Header_GetItemCount(list), 4);
  int order[4] = {};
  ASSERT_TRUE(ListView_GetColumnOrderArray(list, 4, order));
  EXPECT_EQ(std::vector<int>(order, order + 4), (std::vector<int>{0, 1, 2, 3}));
}

TEST_F(WinlListView, HeaderItemsAreTheColumns)
{
  HWND list = List(1);
  for (int i = 0; i < 3; ++i) Column(list, i, "Title", 50);
  ASSERT_EQ(ListView_GetHeader(list), list);
  HDITEM set{};
  set.mask = HDI_FORMAT | HDI_TEXT | HDI_WIDTH;
  set.fmt = 2 | HDF_SORTDOWN | 0x4000;  // centred, arrow down; other bits are not kept
  set.pszText = const_cast<char*>("Size");
  set.cxy = -5;
  struct Case { int index; BOOL ok; } const kCases[] = {{-1, FALSE}, {0, TRUE}, {2, TRUE}, {3, FALSE}};
  for (const Case& c : kCases)
  {
    EXPECT_EQ(Header_SetItem(list, c.index, &set), c.ok) << c.index;
    char text[4] = "###";
    HDITEM got{};
    got.mask = HDI_FORMAT | HDI_TEXT | HDI_WIDTH;
    got.pszText = text;
    got.cchTextMax = 3;
    EXPECT_EQ(Header_GetItem(list, c.index, &got), c.ok) << c.index;
    if (!c.ok) continue;
    EXPECT_EQ(got.fmt, 2 | HDF_SORTDOWN) << c.index;
    EXPECT_STREQ(text, "Si") << c.index;
    EXPECT_EQ(got.cxy, 0) << c.index;
  }
  LVCOLUMN col{};
  col.mask = LVCF_FMT | LVCF_WIDTH;
  col.fmt = 1;
  col.cx = 70;
  ASSERT_TRUE(ListView_SetColumn(list, 2, &col));
  HDITEM got{};
  got.mask = HDI_FORMAT | HDI_WIDTH;
  ASSERT_TRUE(Header_GetItem(list, 2, &got));
  EXPECT_EQ(got.fmt, 1 | HDF_SORTDOWN);  // the arrow stays
  EXPECT_EQ(got.cxy, 70);
}

TEST_F(WinlListView, SelectionColourCounts)
{
  HWND list = List(0);
  const int colours[] = {0x112233, 0x445566};
  struct Case { int count; const int* colours; BOOL ok; }
  const kCases[] = {{-1, colours, FALSE}, {0, nullptr, TRUE}, {1, nullptr, FALSE}, {1, colours, TRUE}, {2, colours, TRUE}};
  for (const Case& c : kCases) EXPECT_EQ(ListView_SetSelColors(list, c.count, c.colours), c.ok) << c.count;
  // Nothing of the table's geometry is known without a display.
  LVHITTESTINFO hit{{1, 1}, 0, 5, 5};
  EXPECT_EQ(ListView_SubItemHitTest(list, &hit), -1);
  EXPECT_EQ(hit.iSubItem, -1);
  EXPECT_EQ(hit.flags, LVHT_NOWHERE);
}
}  // namespace
