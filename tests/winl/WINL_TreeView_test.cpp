// Tree views in the layer: the order of inserted items, and items that are
// deleted or belong to another tree, which every call must refuse without
// touching them (run under the address checker).
#include "winl/WINL_Queue.h"
#include "winl/WINL_TreeView.h"
#include "winl/WINL_Window.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
HTREEITEM Insert(HWND tv, HTREEITEM parent, HTREEITEM after, const char* text, LPARAM param)
{
  TVINSERTSTRUCT ins{};
  ins.hParent = parent;
  ins.hInsertAfter = after;
  ins.item.mask = TVIF_TEXT | TVIF_PARAM;
  ins.item.pszText = const_cast<char*>(text);
  ins.item.lParam = param;
  return TreeView_InsertItem(tv, &ins);
}

std::string TextOf(HWND tv, HTREEITEM item, int size = 32)
{
  char buf[32] = "untouched";
  TVITEM it{};
  it.mask = TVIF_TEXT;
  it.hItem = item;
  it.pszText = buf;
  it.cchTextMax = size;
  if (!TreeView_GetItem(tv, &it)) return "(refused)";
  return buf;
}

class WinlTreeView : public ::testing::Test
{
protected:
  void SetUp() override
  {
    WINL_Internal_PostMessage_Init();
    parent = WINL_CreateView(nullptr, DefWindowProc, 0);
    tv = WINL_CreateTreeView(parent, 7, 0, 0, 0, 200, 100);
    other = WINL_CreateTreeView(parent, 8, 0, 0, 0, 200, 100);
  }
  void TearDown() override
  {
    DestroyWindow(parent);
    WINL_MessageQueue_Flush();
  }
  HWND parent = nullptr;
  HWND tv = nullptr;
  HWND other = nullptr;
};

TEST_F(WinlTreeView, InsertPlacesItemsAmongSiblings)
{
  HTREEITEM b = Insert(tv, TVI_ROOT, TVI_LAST, "b", 2);
  HTREEITEM a = Insert(tv, nullptr, TVI_FIRST, "a", 1);
  HTREEITEM d = Insert(tv, TVI_ROOT, TVI_SORT, "d", 4);  // no sorting: appended
  Insert(tv, TVI_ROOT, b, "c", 3);
  HTREEITEM kid = Insert(tv, b, TVI_LAST, "b1", 5);
  ASSERT_NE(kid, nullptr);
  std::string order;
  for (HTREEITEM i = TreeView_GetRoot(tv); i; i = TreeView_GetNextSibling(tv, i)) order += TextOf(tv, i);
  EXPECT_EQ(order, "abcd");
  EXPECT_EQ(TreeView_GetRoot(tv), a);
  EXPECT_EQ(TreeView_GetChild(tv, b), kid);
  EXPECT_EQ(TreeView_GetChild(tv, d), nullptr);
  // Text buffers of 0, 1, 2 and 3 bytes for "b1".
  EXPECT_EQ(TextOf(tv, kid, 0), "untouched");
  EXPECT_EQ(TextOf(tv, kid, 1), "");
  EXPECT_EQ(TextOf(tv, kid, 2), "b");
  EXPECT_EQ(TextOf(tv, kid, 3), "b1");
}

TEST_F(WinlTreeView, DeletedItemOrOneOfAnotherTreeIsRefusedEverywhere)
{
  HTREEITEM top = Insert(tv, TVI_ROOT, TVI_LAST, "top", 1);
  HTREEITEM kid = Insert(tv, top, TVI_LAST, "kid", 2);
  HTREEITEM theirs = Insert(other, TVI_ROOT, TVI_LAST, "theirs", 2);
  ASSERT_TRUE(TreeView_SelectItem(tv, kid));
  ASSERT_TRUE(TreeView_DeleteItem(tv, top));  // takes kid with it

  for (HTREEITEM refused : {top, kid, theirs})
  {
    SCOPED_TRACE(refused == top ? "top" : refused == kid ? "kid" : "theirs");
    EXPECT_EQ(TextOf(tv, refused), "(refused)");
    TVITEM set{};
    set.mask = TVIF_PARAM;
    set.hItem = refused;
    EXPECT_FALSE(TreeView_SetItem(tv, &set));
    EXPECT_FALSE(TreeView_DeleteItem(tv, refused));
    EXPECT_FALSE(TreeView_Expand(tv, refused, TVE_EXPAND));
    EXPECT_FALSE(TreeView_SelectItem(tv, refused));
    EXPECT_EQ(TreeView_GetChild(tv, refused), nullptr);
    EXPECT_EQ(TreeView_GetNextSibling(tv, refused), nullptr);
    EXPECT_EQ(Insert(tv, refused, TVI_LAST, "x", 0), nullptr);
  }
  EXPECT_EQ(TreeView_GetSelection(tv), nullptr);
  EXPECT_EQ(TreeView_GetRoot(tv), nullptr);
  // A new item never takes a deleted item's handle.
  HTREEITEM fresh = Insert(tv, TVI_ROOT, TVI_LAST, "fresh", 3);
  EXPECT_NE(fresh, top);
  EXPECT_NE(fresh, kid);
  // Inserting after another tree's item puts the item first.
  HTREEITEM first = Insert(tv, TVI_ROOT, theirs, "first", 3);
  EXPECT_EQ(TreeView_GetRoot(tv), first);
  EXPECT_EQ(TreeView_GetNextSibling(tv, first), fresh);
  EXPECT_EQ(TextOf(other, theirs), "theirs");
}

TEST_F(WinlTreeView, ExpandAndSelectionState)
{
  HTREEITEM a = Insert(tv, TVI_ROOT, TVI_LAST, "a", 1);
  struct Case { const char* name; UINT action; UINT expandedAfter; } kCases[] = {
      {"expand", TVE_EXPAND, TVIS_EXPANDED},
      {"collapse expanded", TVE_COLLAPSE, 0},
      {"collapse collapsed expands", TVE_COLLAPSE, TVIS_EXPANDED},
      {"toggle expanded", TVE_TOGGLE, 0},
      {"toggle collapsed", TVE_TOGGLE, TVIS_EXPANDED},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.name);
    EXPECT_TRUE(TreeView_Expand(tv, a, c.action));
    TVITEM it{};
    it.mask = TVIF_STATE;
    it.hItem = a;
    it.stateMask = TVIS_EXPANDED | TVIS_SELECTED;
    ASSERT_TRUE(TreeView_GetItem(tv, &it));
    EXPECT_EQ(it.state, c.expandedAfter);
  }
  EXPECT_TRUE(TreeView_SelectItem(tv, a));
  EXPECT_EQ(TreeView_GetSelection(tv), a);
  EXPECT_TRUE(TreeView_SelectItem(tv, nullptr));
  EXPECT_EQ(TreeView_GetSelection(tv), nullptr);
}

std::vector<HTREEITEM> gSelChangedTo;  // itemNew of each TVN_SELCHANGED

LRESULT SelectionRecorder(HWND h, UINT m, WPARAM w, LPARAM l)
{
  if (m == WM_NOTIFY && reinterpret_cast<const NMHDR*>(l)->code == TVN_SELCHANGED)
    gSelChangedTo.push_back(reinterpret_cast<const NMTREEVIEW*>(l)->itemNew.hItem);
  return DefWindowProc(h, m, w, l);
}

TEST(WinlTreeViewState, SetItemSelectsTheItemAloneOrTakesItOut)
{
  WINL_Internal_PostMessage_Init();
  HWND parent = WINL_CreateView(nullptr, SelectionRecorder, 0);
  HWND tv = WINL_CreateTreeView(parent, 7, 0, 0, 0, 200, 100);
  HTREEITEM a = Insert(tv, TVI_ROOT, TVI_LAST, "a", 1);
  HTREEITEM b = Insert(tv, TVI_ROOT, TVI_LAST, "b", 2);
  gSelChangedTo.clear();
  // item, state; the selection after and the notification's new item
  struct Case { HTREEITEM item; UINT state; HTREEITEM selected; std::vector<HTREEITEM> heard; } const kCases[] = {
      {a, TVIS_SELECTED, a, {a}},
      {b, TVIS_SELECTED, b, {b}},
      {b, TVIS_SELECTED, b, {}},
      {a, 0, b, {}},
      {b, 0, nullptr, {nullptr}},
  };
  for (const Case& c : kCases)
  {
    gSelChangedTo.clear();
    TVITEM set{};
    set.mask = TVIF_STATE;
    set.hItem = c.item;
    set.state = c.state;
    set.stateMask = TVIS_SELECTED;
    ASSERT_TRUE(TreeView_SetItem(tv, &set));
    EXPECT_EQ(TreeView_GetSelection(tv), c.selected);
    EXPECT_EQ(gSelChangedTo, c.heard);
  }
  DestroyWindow(parent);
  WINL_MessageQueue_Flush();
}
}  // namespace
