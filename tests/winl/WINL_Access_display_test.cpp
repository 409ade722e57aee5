// The accessibility tree of window views as assistive tools read it: the
// controls of a dialog with their roles and names, and the element a window
// procedure supplies standing in for its view in the tree, in hit tests and
// for the keyboard focus.
#include "platform/gtk/PLAT_GtkTestReadBack.h"
#include "winl/WINL_Access.h"
#include "winl/WINL_Controls.h"
#include "winl/WINL_Dialog.h"
#include "winl/WINL_Window.h"

#include "PreferencesDialog.h"
#include "WinlGtkTest.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
using WinlAccess = WinlGtkTest;

// The tree as text: one node a line, indented by depth.
std::string Dump(const std::vector<PLAT_AccessibleNode>& tree)
{
  std::string out;
  for (const PLAT_AccessibleNode& n : tree)
    out += std::string(static_cast<size_t>(n.depth) * 2, ' ') + n.role + " '" + n.name + "'\n";
  return out;
}

HWND ShownTopLevel(DLGPROC proc)
{
  HWND d = WINL_CreateDialog(nullptr, reinterpret_cast<const char*>(WINL_NO_RESOURCE), nullptr, proc, 0);
  SetWindowPos(d, nullptr, 100, 100, 200, 100, SWP_NOZORDER);
  ShowWindow(d, SW_SHOW);
  EXPECT_TRUE(LoopUntil([d] { return PLAT_GtkTestIsViewable(WINL_GetNativeView(d)); }));
  return d;
}

void* gElement = nullptr;  // what ElementProc supplies

LRESULT ElementProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
  if (msg == WM_GETOBJECT && wParam == WINL_OBJID_ELEMENT)
  {
    *reinterpret_cast<void**>(lParam) = gElement;
    return 1;
  }
  return DefWindowProc(hwnd, msg, wParam, lParam);
}

TEST_F(WinlAccess, PreferencesDialogNamesItsCombosAndButtons)
{
  HWND d = WINL_CreateDialog(PreferencesResource(), PreferencesResource()->resid, nullptr, nullptr, 0);
  ShowWindow(d, SW_SHOW);
  ASSERT_TRUE(LoopUntil([d] { return PLAT_GtkTestIsViewable(WINL_GetNativeView(GetDlgItem(d, 2))); }));
  // A chosen item does not name a list: its label does.
  WINL_CB_AddString(d, 40019, "Zephra Prime Out");
  WINL_CB_SetCurSel(d, 40019, 0);
  // Each drop-down list is named by the label above it.
  EXPECT_EQ(Dump(PLAT_GtkTestAccessibleTree(WINL_GetNativeView(d))),
            "panel ''\n"
            "  panel 'MIDI Settings'\n"
            "    label 'MIDI Settings'\n"
            "  label 'Zephra Input Device'\n"
            "  label 'Keyboard Input Device'\n"
            "  combo box 'Zephra Input Device'\n"
            "    menu ''\n"
            "  combo box 'Keyboard Input Device'\n"
            "    menu ''\n"
            "  label 'Output Device'\n"
            "  combo box 'Output Device'\n"
            "    menu ''\n"
            "      menu item 'Zephra Prime Out'\n"
            "  push button 'OK'\n"
            "  push button 'Apply'\n"
            "  push button 'Cancel'\n");
}

TEST_F(WinlAccess, ElementStandsInForAViewWithoutChildren)
{
  void* element = PLAT_GtkTestNewElement("Keyboard", nullptr);
  HWND d = ShownTopLevel(nullptr);
  HWND leaf = WINL_CreateView(d, ElementProc, 0);
  SetWindowPos(leaf, nullptr, 0, 0, 100, 50, SWP_NOZORDER);
  ShowWindow(leaf, SW_SHOW);
  gElement = element;
  EXPECT_EQ(WINL_GetAccessibleElement(leaf), element);
  EXPECT_EQ(Dump(PLAT_GtkTestAccessibleTree(WINL_GetNativeView(d))), "panel ''\n  panel 'Keyboard'\n");
  // The view's own accessible, left out, is not held once more per reading.
  const int refs = PLAT_GtkTestAccessibleRefs(WINL_GetNativeView(leaf));
  for (int i = 0; i < 3; ++i) PLAT_GtkTestAccessibleTree(WINL_GetNativeView(d));
  EXPECT_EQ(PLAT_GtkTestAccessibleRefs(WINL_GetNativeView(leaf)), refs);

  // With a child view of its own it stays in the tree, its element last.
  HWND inner = WINL_CreateView(leaf, nullptr, 0);
  ShowWindow(inner, SW_SHOW);
  gElement = nullptr;
  const std::string noElement = Dump(PLAT_GtkTestAccessibleTree(WINL_GetNativeView(d)));
  gElement = element;
  EXPECT_EQ(Dump(PLAT_GtkTestAccessibleTree(WINL_GetNativeView(d))), noElement + "    panel 'Keyboard'\n");
  EXPECT_EQ(noElement, "panel ''\n  panel ''\n    panel ''\n");

  gElement = nullptr;
  DestroyWindow(d);
  PLAT_GtkTestFreeElement(element);
}

TEST_F(WinlAccess, HitTestsAndFocusGoToTheElement)
{
  void* target = PLAT_GtkTestNewElement("Key C4", nullptr);
  void* element = PLAT_GtkTestNewElement("Keyboard", target);
  void* selfAnswering = PLAT_GtkTestNewElement("Self", nullptr);
  HWND d = ShownTopLevel(nullptr);
  HWND leaf = WINL_CreateView(d, ElementProc, 0);
  SetWindowPos(leaf, nullptr, 0, 0, 100, 50, SWP_NOZORDER);
  ShowWindow(leaf, SW_SHOW);
  ASSERT_TRUE(LoopUntil([leaf] { return PLAT_GtkTestIsViewable(WINL_GetNativeView(leaf)); }));

  gElement = nullptr;
  EXPECT_EQ(PLAT_GtkTestAccessibleNameAt(WINL_GetNativeView(leaf), 10, 10), "(none)");  // the view's own answer
  gElement = element;
  EXPECT_EQ(PLAT_GtkTestAccessibleNameAt(WINL_GetNativeView(leaf), 10, 10), "Key C4");
  // An element answering nothing leaves the view's own answer.
  gElement = selfAnswering;
  EXPECT_EQ(PLAT_GtkTestAccessibleNameAt(WINL_GetNativeView(leaf), 10, 10), "(none)");

  gElement = element;
  PLAT_GtkTestSendFocusChange(WINL_GetNativeView(leaf), true);
  EXPECT_EQ(PLAT_GtkTestElementFocusIns(element), 1);
  PLAT_GtkTestSendFocusChange(WINL_GetNativeView(leaf), false);
  EXPECT_EQ(PLAT_GtkTestElementFocusOuts(element), 1);
  // A view without an element tells nobody.
  gElement = nullptr;
  PLAT_GtkTestSendFocusChange(WINL_GetNativeView(leaf), true);
  EXPECT_EQ(PLAT_GtkTestElementFocusIns(element), 1);

  gElement = nullptr;
  DestroyWindow(d);
  PLAT_GtkTestFreeElement(element);
  PLAT_GtkTestFreeElement(target);
  PLAT_GtkTestFreeElement(selfAnswering);
}
}  // namespace
