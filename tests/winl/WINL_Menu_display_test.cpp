// Menus on the (virtual) display: the bar the user sees in a window, its
// items delivering WM_COMMAND from the loop, check marks that follow the
// model, and popups run in a nested loop.
#include "platform/gtk/PLAT_GtkMenu.h"
#include "platform/gtk/PLAT_GtkTestKeys.h"
#include "winl/WINL_Dialog.h"
#include "winl/WINL_Menu.h"
#include "winl/draw/WINL_GDI.h"

#include "WinlGtkTest.h"

#include <gtest/gtest.h>


namespace
{
using WinlMenuGtk = WinlGtkTest;

// A bar as an application builds one from its resource list.
HMENU TestBar()
{
  static const WINL_MenuGen_Entry kList[] = {
      {"/.BO^O:&File", 0, 0},
      {"Select Directory", 40025, 0},
      {nullptr, 0xFFFF, 0},
      {"Load Program from File to Editor", 40026, 0},
      {"EN%%%^:", 0, 0},
      {"/.BO^O:&Help", 0, 0},
      {"About", 40005, 0},
      {"EN%%%^:", 0, 0},
  };
  HMENU menu = CreatePopupMenu();
  WINL_GenerateMenuFromList(menu, kList, static_cast<int>(sizeof kList / sizeof kList[0]));
  return menu;
}

HWND ShownWindowWithBar(HMENU bar)
{
  HWND w = WINL_CreateDialog(nullptr, reinterpret_cast<const char*>(WINL_NO_RESOURCE), nullptr, LoggingProc, 0);
  SetWindowPos(w, nullptr, 300, 600, 400, 300, SWP_NOZORDER);
  EXPECT_TRUE(SetMenu(w, bar));
  ShowWindow(w, SW_SHOW);
  LoopUntil([w] { return PLAT_GtkTestIsViewable(WINL_GetNativeView(w)); });
  Pump(20);
  return w;
}

TEST_F(WinlMenuGtk, SelectDirectoryDeliversOneCommandFromTheLoop)
{
  HWND w = ShownWindowWithBar(TestBar());
  ASSERT_TRUE(PLAT_GtkTestActivateMenuItem(WINL_GetNativeWindow(w), {"File", "Select Directory"}));
  // Not from inside the menu's signal.
  EXPECT_TRUE(CommandsTo(w).empty());
  Pump(50);
  EXPECT_EQ(CommandsTo(w), std::vector<WPARAM>{40025});
}

TEST_F(WinlMenuGtk, TheBarLeavesTheContentItsSize)
{
  HWND w = ShownWindowWithBar(TestBar());
  RECT r{};
  GetClientRect(w, &r);
  EXPECT_EQ(r.right - r.left, 400);
  EXPECT_EQ(r.bottom - r.top, 300);
  int x, y, width, height;
  ASSERT_TRUE(PLAT_GtkTestAllocation(WINL_GetNativeView(w), WINL_GetNativeView(w), &x, &y, &width, &height));
  EXPECT_EQ(width, 400);
  EXPECT_EQ(height, 300);
}

TEST_F(WinlMenuGtk, CheckMarksFollowTheModelAfterActivation)
{
  HMENU bar = TestBar();
  HMENU file = GetSubMenu(bar, 0);
  HWND w = ShownWindowWithBar(bar);
  const std::vector<std::string> load{"File", "Load Program from File to Editor"};
  struct Case { const char* name; UINT flags; bool shown; }
  const kCases[] = {{"checked stays checked", MF_CHECKED, true}, {"unchecked stays unchecked", 0, false}};
  for (const Case& c : kCases)
  {
    MessageLog().clear();
    CheckMenuItem(file, 40026, c.flags);
    Pump(5);
    ASSERT_TRUE(PLAT_GtkTestActivateMenuItem(WINL_GetNativeWindow(w), load)) << c.name;
    Pump(30);
    EXPECT_EQ(PLAT_GtkTestMenuItemChecked(WINL_GetNativeWindow(w), load), c.shown) << c.name;
    EXPECT_EQ(CommandsTo(w), std::vector<WPARAM>{40026}) << c.name;
  }
}

// The radio marks show the model's choice alone: a click on another choice
// sends its command but moves no mark until the model does, and a group
// with no choice shows none.
TEST_F(WinlMenuGtk, RadioMarksShowTheModelsChoiceOrNone)
{
  static const WINL_MenuGen_Entry kList[] = {
      {"/.BO^O:&View", 0, 0}, {"70%", 40037, 0}, {"80%", 40038, 0}, {"90%", 40039, 0}, {"EN%%%^:", 0, 0},
  };
  HMENU bar = CreatePopupMenu();
  WINL_GenerateMenuFromList(bar, kList, static_cast<int>(sizeof kList / sizeof kList[0]));
  HWND w = ShownWindowWithBar(bar);
  auto shown = [w] {
    std::string marks;
    for (const char* title : {"70%", "80%", "90%"})
      marks += PLAT_GtkTestMenuItemChecked(WINL_GetNativeWindow(w), {"View", title}) ? 'x' : '-';
    return marks;
  };
  EXPECT_EQ(shown(), "---");
  struct Case { const char* name; UINT check; const char* click; WPARAM command; const char* marks; }
  const kCases[] = {
      {"the first marked, the last clicked", 40037, "90%", 40039, "x--"},
      {"the middle marked, itself clicked", 40038, "80%", 40038, "-x-"},
      {"none marked, one clicked", 0, "70%", 40037, "---"},
  };
  for (const Case& c : kCases)
  {
    MessageLog().clear();
    ASSERT_TRUE(CheckMenuRadioItem(bar, 40037, 40039, c.check, MF_BYCOMMAND)) << c.name;
    Pump(5);
    EXPECT_EQ(shown(), c.marks) << c.name;
    ASSERT_TRUE(PLAT_GtkTestActivateMenuItem(WINL_GetNativeWindow(w), {"View", c.click})) << c.name;
    Pump(30);
    EXPECT_EQ(CommandsTo(w), std::vector<WPARAM>{c.command}) << c.name;
    EXPECT_EQ(shown(), c.marks) << c.name;
  }
}

TEST_F(WinlMenuGtk, AutoHiddenBarsLeaveTheContentItsSizeAndComeBackOnRestore)
{
  HWND w = ShownWindowWithBar(TestBar());
  const int bar = WINL_GetMenuBarHeight(w);
  ASSERT_GT(bar, 0);
  auto windowHeight = [w] {
    int x, y, width, height;
    PLAT_GtkTestWindowFrame(WINL_GetNativeWindow(w), &x, &y, &width, &height);
    return height;
  };
  auto contentHeight = [w] {
    int x, y, width, height;
    EXPECT_TRUE(PLAT_GtkTestAllocation(WINL_GetNativeView(w), WINL_GetNativeView(w), &x, &y, &width, &height));
    return height;
  };
  LoopUntil([&] { return windowHeight() == 300 + bar; });

  // Twice: the options saved are those before the first.
  WINL_AutoHideMenuBar();
  WINL_AutoHideMenuBar();
  EXPECT_EQ(WINL_GetMenuBarHeight(w), 0);
  LoopUntil([&] { return windowHeight() == 300; });
  EXPECT_EQ(windowHeight(), 300);
  EXPECT_EQ(contentHeight(), 300);
  // A bar set while hidden stays hidden.
  HWND later = ShownWindowWithBar(TestBar());
  EXPECT_EQ(WINL_GetMenuBarHeight(later), 0);

  WINL_RestorePresentationOptions();
  EXPECT_EQ(WINL_GetMenuBarHeight(w), bar);
  EXPECT_EQ(WINL_GetMenuBarHeight(later), bar);
  LoopUntil([&] { return windowHeight() == 300 + bar; });
  EXPECT_EQ(windowHeight(), 300 + bar);
  EXPECT_EQ(contentHeight(), 300);
  // Nothing saved any more: a second restore changes nothing.
  WINL_RestorePresentationOptions();
  EXPECT_EQ(WINL_GetMenuBarHeight(w), bar);
}

TEST_F(WinlMenuGtk, UnderscoresAndNewTitlesShow)
{
  HMENU bar = TestBar();
  HMENU file = GetSubMenu(bar, 0);
  HWND w = ShownWindowWithBar(bar);
  // Only the text changes: the bar is updated, not rebuilt.
  ASSERT_TRUE(SetMenuItemText(file, 40025, MF_BYCOMMAND, "01_Init"));
  Pump(5);
  ASSERT_TRUE(PLAT_GtkTestActivateMenuItem(WINL_GetNativeWindow(w), {"File", "01_Init"}));
  Pump(30);
  EXPECT_EQ(CommandsTo(w), std::vector<WPARAM>{40025});
  SetMenuItemText(file, 40025, MF_BYCOMMAND, "Select Directory");
}

// A menu's items come after the window's first frame; its key equivalent
// must work as soon as the window shows, whether the bar came before it or
// after it was on the screen.
TEST_F(WinlMenuGtk, KeyEquivalentsWorkAsSoonAsTheWindowShows)
{
  struct Case { const char* name; bool barFirst; }
  const kCases[] = {{"the bar set before the window shows", true}, {"the bar set on a shown window", false}};
  for (const Case& c : kCases)
  {
    MessageLog().clear();
    HMENU bar = TestBar();
    ASSERT_TRUE(SetMenuItemModifier(GetSubMenu(bar, 0), 40026, MF_BYCOMMAND, 'L', 1 | 8)) << c.name;
    HWND w = WINL_CreateDialog(nullptr, reinterpret_cast<const char*>(WINL_NO_RESOURCE), nullptr, LoggingProc, 0);
    SetWindowPos(w, nullptr, 300, 600, 400, 300, SWP_NOZORDER);
    if (c.barFirst)
    {
      ASSERT_TRUE(SetMenu(w, bar)) << c.name;
    }
    ShowWindow(w, SW_SHOW);
    ASSERT_TRUE(LoopUntil([w] { return PLAT_GtkTestIsViewable(WINL_GetNativeView(w)); })) << c.name;
    if (!c.barFirst)
    {
      ASSERT_TRUE(SetMenu(w, bar)) << c.name;
    }
    ASSERT_TRUE(PLAT_GtkTestKeyval(WINL_GetNativeView(w), 'l', PLAT_MOD_CONTROL, true)) << c.name;
    ASSERT_TRUE(PLAT_GtkTestKeyval(WINL_GetNativeView(w), 'l', PLAT_MOD_CONTROL, false)) << c.name;
    EXPECT_TRUE(LoopUntil([w] { return !CommandsTo(w).empty(); })) << c.name;
    Pump(20);
    EXPECT_EQ(CommandsTo(w), std::vector<WPARAM>{40026}) << c.name;
    DestroyWindow(w);
  }
}

// Entries that change before the menu's items exist show as changed:
// another title, and an item more.
TEST_F(WinlMenuGtk, AMenuChangedBeforeItsItemsExistShowsTheChange)
{
  HMENU bar = TestBar();
  HMENU file = GetSubMenu(bar, 0);
  HWND w = WINL_CreateDialog(nullptr, reinterpret_cast<const char*>(WINL_NO_RESOURCE), nullptr, LoggingProc, 0);
  ASSERT_TRUE(SetMenu(w, bar));
  ASSERT_TRUE(SetMenuItemText(file, 40025, MF_BYCOMMAND, "01_Init"));
  ASSERT_EQ(AddMenuItem(file, -1, "80s Brass", 40099), 0);
  ASSERT_TRUE(PLAT_GtkTestActivateMenuItem(WINL_GetNativeWindow(w), {"File", "01_Init"}));
  ASSERT_TRUE(PLAT_GtkTestActivateMenuItem(WINL_GetNativeWindow(w), {"File", "80s Brass"}));
  EXPECT_FALSE(PLAT_GtkTestActivateMenuItem(WINL_GetNativeWindow(w), {"File", "Select Directory"}));
  Pump(30);
  EXPECT_EQ(CommandsTo(w), (std::vector<WPARAM>{40025, 40099}));
}

TEST_F(WinlMenuGtk, TheCurrentMenuShowsInTheActiveWindowsBarAndOutlivesIt)
{
  HWND w = ShownWindowWithBar(nullptr);
  EXPECT_EQ(WINL_GetMenuBarHeight(w), 0);
  HMENU bar = TestBar();
  WINL_SetCurrentMenu(bar);
  EXPECT_EQ(WINL_GetCurrentMenu(), bar);
  EXPECT_EQ(GetMenu(w), bar);
  Pump(5);
  EXPECT_GT(WINL_GetMenuBarHeight(w), 0);
  ASSERT_TRUE(PLAT_GtkTestActivateMenuItem(WINL_GetNativeWindow(w), {"Help", "About"}));
  Pump(30);
  EXPECT_EQ(CommandsTo(w), std::vector<WPARAM>{40005});
  // The window goes; the application's menu stays.
  DestroyWindow(w);
  EXPECT_EQ(WINL_GetCurrentMenu(), bar);
  EXPECT_EQ(GetMenuItemCount(bar), 2);
  DestroyMenu(bar);
}

struct PopupPick { const char* title; bool picked = false; };

TEST_F(WinlMenuGtk, PopupReturnsTheChosenCommandAndSendsNothing)
{
  HWND w = ShownWindowWithBar(nullptr);
  HMENU popup = CreatePopupMenu();
  AddMenuItem(popup, -1, "First", 7001);
  AddMenuItem(popup, -1, "Second", 7002);
  PopupPick pick{"Second"};
  // The user's click, once the menu is up.
  PLAT_LoopAddTimeout(
      100,
      [](void* p) {
        auto* pk = static_cast<PopupPick*>(p);
        pk->picked = PLAT_GtkTestActivatePopupItem(pk->title);
        return false;
      },
      &pick);
  MessageLog().clear();
  EXPECT_EQ(TrackPopupMenu(popup, TPM_RETURNCMD, 350, 1000, 0, w, nullptr), 7002);
  EXPECT_TRUE(pick.picked);
  Pump(20);
  EXPECT_TRUE(CommandsTo(w).empty());
  DestroyMenu(popup);
}

TEST_F(WinlMenuGtk, BitmapItemsShowTheirPictureAndADestinationTakesTheCommands)
{
  HMENU bar = CreatePopupMenu();
  HMENU pictures = CreatePopupMenuEx("Pictures");
  HBITMAP bitmap = CreateBitmap(12, 9, 1, 32, nullptr);
  MENUITEMINFO info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_TYPE | MIIM_ID;
  info.fType = MFT_BITMAP;
  info.wID = 7101;
  info.dwTypeData = reinterpret_cast<char*>(bitmap);
  ASSERT_TRUE(InsertMenuItem(pictures, 0, TRUE, &info));
  AddMenuItem(pictures, -1, "Plain", 7102);
  MENUITEMINFO sub{};
  sub.cbSize = sizeof sub;
  sub.fMask = MIIM_TYPE | MIIM_SUBMENU;
  sub.fType = MFT_STRING;
  sub.dwTypeData = const_cast<char*>("Pictures");
  sub.hSubMenu = pictures;
  ASSERT_TRUE(InsertMenuItem(bar, 0, TRUE, &sub));
  HWND w = ShownWindowWithBar(bar);
  // The picture is shown at its size; the text item has none.
  int width = 0, height = 0;
  ASSERT_TRUE(PLAT_GtkTestMenuItemImage(WINL_GetNativeWindow(w), {"Pictures"}, 0, &width, &height));
  EXPECT_EQ(width, 12);
  EXPECT_EQ(height, 9);
  EXPECT_FALSE(PLAT_GtkTestMenuItemImage(WINL_GetNativeWindow(w), {"Pictures"}, 1, &width, &height));
  // A chosen item goes to the bar's window, or to the destination set.
  struct Case { const char* name; bool toOther; } const kCases[] = {{"no destination", false}, {"a destination", true}};
  HWND other = WINL_CreateView(nullptr, LoggingProc, 0);
  for (const Case& c : kCases)
  {
    WINL_SetMenuDestination(pictures, c.toOther ? other : nullptr);
    MessageLog().clear();
    ASSERT_TRUE(PLAT_GtkTestActivateMenuItem(WINL_GetNativeWindow(w), {"Pictures", "Plain"})) << c.name;
    Pump(30);
    EXPECT_EQ(CommandsTo(c.toOther ? other : w), std::vector<WPARAM>{7102}) << c.name;
    EXPECT_TRUE(CommandsTo(c.toOther ? w : other).empty()) << c.name;
  }
  DestroyWindow(other);
  DestroyWindow(w);
  DeleteObject(bitmap);
}
}  // namespace
