// Tree views on the (virtual) display: the outline shows the layer's items,
// opened as the layer has them, after every change; hit tests find items;
// real clicks become the parent's notifications and selection.
#include "platform/gtk/PLAT_GtkTree.h"
#include "winl/WINL_Controls.h"
#include "winl/WINL_Dialog.h"
#include "winl/WINL_ListView.h"
#include "winl/WINL_TreeView.h"

#include "WinlGtkTest.h"

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace
{
constexpr int kTreeId = 600;
std::vector<int> gCodes;  // WM_NOTIFY codes from the tree

INT_PTR TreeParentProc(HWND, UINT msg, WPARAM, LPARAM lParam)
{
  if (msg == WM_NOTIFY) gCodes.push_back(reinterpret_cast<const NMHDR*>(lParam)->code);
  return 0;
}

void CreateTreeDialog(HWND hwnd, int)
{
  const WINL_DlgResourceEntry entries[] = {{"", kTreeId, "SysTreeView32", 0, 10, 10, 200, 160, 0}};
  WINL_MakeSetCurParms(1.0f, 1.0f, 0, 0, hwnd, false, false);
  WINL_GenerateDialogFromList(entries, 1);
}

HTREEITEM Add(HWND tv, HTREEITEM parent, const char* text, bool canOpen)
{
  TVINSERTSTRUCT ins{};
  ins.hParent = parent;
  ins.hInsertAfter = TVI_LAST;
  ins.item.mask = TVIF_TEXT | TVIF_CHILDREN;
  ins.item.pszText = const_cast<char*>(text);
  ins.item.cChildren = canOpen;
  return TreeView_InsertItem(tv, &ins);
}

uint64_t Item(HTREEITEM item) { return static_cast<uint64_t>(reinterpret_cast<uintptr_t>(item)); }

class WinlTreeViewGtk : public WinlGtkTest
{
protected:
  void SetUp() override
  {
    WinlGtkTest::SetUp();
    gCodes.clear();
    static WINL_DialogResourceIndex res{};
    res = {reinterpret_cast<const char*>(uintptr_t{40901}), "Trees", 12, CreateTreeDialog, 240, 200, nullptr};
    HWND d = WINL_CreateDialog(&res, res.resid, nullptr, TreeParentProc, 0);
    ShowWindow(d, SW_SHOW);
    tv = GetDlgItem(d, kTreeId);
    LoopUntil([&] { return PLAT_GtkTestIsViewable(WINL_GetNativeView(tv)); });
    a = Add(tv, TVI_ROOT, "a", true);
    a1 = Add(tv, a, "a1", false);
    a2 = Add(tv, a, "a2", false);
    b = Add(tv, TVI_ROOT, "b", true);
    b1 = Add(tv, b, "b1", false);
    c = Add(tv, TVI_ROOT, "c", false);
  }
  HWND tv = nullptr;
  HTREEITEM a = nullptr, a1 = nullptr, a2 = nullptr, b = nullptr, b1 = nullptr, c = nullptr;
};

TEST_F(WinlTreeViewGtk, TheOutlineFollowsEveryChange)
{
  ASSERT_TRUE(WINL_IsTreeView(tv));
  struct Step { const char* name; std::function<BOOL()> change; std::vector<std::string> rows; } const kSteps[] = {
      {"closed", [] { return TRUE; }, {"a", "b", "c"}},
      {"a opened", [&] { return TreeView_Expand(tv, a, TVE_EXPAND); }, {"a", "  a1", "  a2", "b", "c"}},
      {"a2 deleted", [&] { return TreeView_DeleteItem(tv, a2); }, {"a", "  a1", "b", "c"}},
      {"b opened", [&] { return TreeView_Expand(tv, b, TVE_TOGGLE); }, {"a", "  a1", "b", "  b1", "c"}},
      {"a closed", [&] { return TreeView_Expand(tv, a, TVE_COLLAPSE); }, {"a", "b", "  b1", "c"}},
      {"b1 renamed", [&] {
         TVITEM it{};
         it.mask = TVIF_TEXT;
         it.hItem = b1;
         it.pszText = const_cast<char*>("b one");
         return TreeView_SetItem(tv, &it);
       }, {"a", "b", "  b one", "c"}},
      {"b deleted", [&] { return TreeView_DeleteItem(tv, b); }, {"a", "c"}},
  };
  for (const Step& s : kSteps)
  {
    EXPECT_TRUE(s.change()) << s.name;
    EXPECT_EQ(PLAT_TreeTestRows(WINL_GetNativeView(tv)), s.rows) << s.name;
  }
  EXPECT_TRUE(gCodes.empty()) << "the program's own changes notify nobody";
}

TEST_F(WinlTreeViewGtk, HitTestsAndRealClicks)
{
  TreeView_Expand(tv, a, TVE_EXPAND);
  PLAT_GtkView* outline = WINL_GetNativeView(tv);
  int x = 0, y = 0;
  // Until the rows are measured and stay where they are.
  int lastY = -1;
  LoopUntil([&] {
    const bool same = PLAT_TreeTestItemPoint(outline, Item(c), false, &x, &y) && y == lastY;
    lastY = y;
    return same;
  });
  // dy: from the middle of c's row
  struct Case { HTREEITEM item; int dy; UINT flags; }
  const kCases[] = {{c, 0, TVHT_ONITEM}, {nullptr, 200, TVHT_NOWHERE}};
  for (const Case& k : kCases)
  {
    TVHITTESTINFO hit{{x, y + k.dy}, 0, nullptr};
    EXPECT_EQ(TreeView_HitTest(tv, &hit), k.item) << k.dy;
    EXPECT_EQ(hit.flags, k.flags) << k.dy;
  }
  ASSERT_TRUE(PLAT_TreeTestItemPoint(outline, Item(a2), true, &x, &y));
  const std::string at = "xdotool mousemove --sync 1 1 mousemove --sync " + std::to_string(x) + " " + std::to_string(y);
  ASSERT_EQ(std::system((at + " click 1").c_str()), 0);
  LoopUntil([] { return gCodes.size() >= 2; });
  EXPECT_EQ(gCodes, (std::vector<int>{NM_CLICK, TVN_SELCHANGED}));
  EXPECT_EQ(TreeView_GetSelection(tv), a2);
  gCodes.clear();
  ASSERT_EQ(std::system((at + " click 3").c_str()), 0);
  LoopUntil([] { return !gCodes.empty() && gCodes.back() == NM_RCLICK; });
  EXPECT_EQ(gCodes.back(), NM_RCLICK);
}
}  // namespace
