// Menus without a display: the shell's resource list, bounded walks of bad
// lists, item lookups and texts, loops refused, key equivalents and popups
// answered through the test queue.
#include "winl/WINL_Dialog.h"
#include "winl/WINL_Menu.h"
#include "winl/WINL_Queue.h"

#include "WinlMessageLog.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace
{
const WINL_MenuGen_Entry kShellList[] = {
    {"/.BO^O:&File", 0, 0},
    {"Select Directory", 40025, 0},
    {nullptr, 0xFFFF, 0},
    {"Load Program from File to Editor", 40026, 0},
    {"Save Program from Editor to File", 40027, 0},
    {"Write Program from File to Zephra", 40028, 0},
    {"Write all Programs from Files to Zephra", 40029, 0},
    {"Save Program from Zephra to File", 40045, 0},
    {"Save All Programs from Zephra to Files", 40046, 0},
    {nullptr, 0xFFFF, 0},
    {"Firmware update", 40030, 0},
    {nullptr, 0xFFFF, 0},
    {"&Quit", 40007, 0},
    {"EN%%%^:", 0, 0},
    {"/.BO^O:&Help", 0, 0},
    {"&User Guide", 40031, 0},
    {"&Program Database", 40032, 0},
    {"&About", 40005, 0},
    {"EN%%%^:", 0, 0},
};

std::string Title(HMENU m, int pos)
{
  char buffer[256];
  return WINL_TestMenuItemTitle(m, pos, buffer, sizeof buffer) ? buffer : "<none>";
}

class WinlMenu : public ::testing::Test
{
protected:
  void SetUp() override { mMenu = CreatePopupMenu(); }
  void TearDown() override { DestroyMenu(mMenu); }
  HMENU mMenu = nullptr;
};

TEST_F(WinlMenu, ShellListBuildsFileAndHelp)
{
  EXPECT_EQ(WINL_GenerateMenuFromList(mMenu, kShellList, 19), 19);
  ASSERT_EQ(GetMenuItemCount(mMenu), 2);
  EXPECT_EQ(Title(mMenu, 0), "File");
  EXPECT_EQ(Title(mMenu, 1), "Help");
  EXPECT_EQ(GetMenuItemID(mMenu, 0), -1);
  EXPECT_EQ(GetMenuItemID(mMenu, 2), 0);
  HMENU file = GetSubMenu(mMenu, 0);
  ASSERT_NE(file, nullptr);
  const int kFileIds[] = {40025, 0, 40026, 40027, 40028, 40029, 40045, 40046, 0, 40030, 0, 40007};
  ASSERT_EQ(GetMenuItemCount(file), 12);
  for (int i = 0; i < 12; ++i) EXPECT_EQ(GetMenuItemID(file, i), kFileIds[i]) << i;
  EXPECT_EQ(GetMenuItemID(file, 12), 0);
  EXPECT_EQ(Title(file, 11), "Quit");
  EXPECT_EQ(GetSubMenu(mMenu, 2), nullptr);
  EXPECT_EQ(GetSubMenu(mMenu, -1), nullptr);
  // By command, the search goes into the submenus.
  EXPECT_TRUE(DeleteMenu(mMenu, 40007, MF_BYCOMMAND));
  EXPECT_EQ(GetMenuItemCount(file), 11);
  EXPECT_FALSE(DeleteMenu(mMenu, 40007, MF_BYCOMMAND));
  EXPECT_FALSE(DeleteMenu(mMenu, 2, MF_BYPOSITION));
  EXPECT_TRUE(DeleteMenu(mMenu, 1, MF_BYPOSITION));
  EXPECT_EQ(GetMenuItemCount(mMenu), 1);
}

// Each list is copied to the heap at its exact size, so a read past its end
// shows under the address sanitizer.
TEST_F(WinlMenu, BadListsAreReadOnlyWithinTheirCount)
{
  struct Case { const char* name; std::vector<WINL_MenuGen_Entry> list; int consumed; int topItems; } kCases[] = {
      {"unclosed submenu", {{"/.BO^O:A", 0, 0}, {"x", 1, 0}}, 2, 1},
      {"opener alone", {{"/.BO^O:A", 0, 0}}, 1, 1},
      {"empty", {}, 0, 0},
      {"closer first", {{"EN%%%^:", 0, 0}, {"x", 1, 0}}, 1, 0},
      {"unclosed after a closed one", {{"/.BO^O:A", 0, 0}, {"EN%%%^:", 0, 0}, {"/.BO^O:B", 0, 0}}, 3, 2},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.name);
    HMENU m = CreatePopupMenu();
    const size_t n = c.list.size();
    std::unique_ptr<WINL_MenuGen_Entry[]> exact(new WINL_MenuGen_Entry[n ? n : 1]);
    std::copy(c.list.begin(), c.list.end(), exact.get());
    EXPECT_EQ(WINL_GenerateMenuFromList(m, exact.get(), static_cast<int>(n)), c.consumed);
    EXPECT_EQ(GetMenuItemCount(m), c.topItems);
    DestroyMenu(m);
  }
}

TEST_F(WinlMenu, DeepNestingIsCappedAtSixteen)
{
  const int kDepth = 100;
  std::vector<WINL_MenuGen_Entry> list(kDepth, {"/.BO^O:N", 0, 0});
  list.push_back({"leaf", 7, 0});
  for (int i = 0; i < kDepth; ++i) list.push_back({"EN%%%^:", 0, 0});
  list.push_back({"after", 8, 0});
  const int before = WINL_GetMenuRecordCount();
  EXPECT_EQ(WINL_GenerateMenuFromList(mMenu, list.data(), static_cast<int>(list.size())),
            static_cast<int>(list.size()));
  EXPECT_EQ(GetMenuItemCount(mMenu), 2);
  EXPECT_EQ(GetMenuItemID(mMenu, 1), 8);
  // Fifteen submenus under the top menu; the deeper entries build nothing.
  EXPECT_EQ(WINL_GetMenuRecordCount() - before, 15);
}

TEST_F(WinlMenu, GetMenuItemInfoCopiesAtMostCchMinusOne)
{
  WINL_Menu_AddMenuItem(mMenu, "Fi&rmware\tCtrl+F", 5, 0);
  struct Case { UINT cch; const char* text; } kCases[] = {{1, ""}, {8, "Firmwar"}, {9, "Firmware"}, {10, "Firmware"}};
  for (const Case& c : kCases)
  {
    char buffer[12];
    std::memset(buffer, '#', sizeof buffer);
    MENUITEMINFO info{};
    info.fMask = MIIM_TYPE | MIIM_ID | MIIM_STATE;
    info.dwTypeData = buffer;
    info.cch = c.cch;
    EXPECT_TRUE(GetMenuItemInfo(mMenu, 0, TRUE, &info));
    EXPECT_STREQ(buffer, c.text) << c.cch;
    EXPECT_EQ(buffer[c.cch], '#') << c.cch;
    EXPECT_EQ(info.wID, 5u);
  }
  EXPECT_FALSE(GetMenuItemInfo(mMenu, 1, TRUE, nullptr));
}

TEST_F(WinlMenu, TitlesAndStates)
{
  struct Case { const char* given; const char* shown; } kCases[] = {
      {"&&Save", "&Save"}, {"01_Init", "01_Init"}, {"A\tB", "A"}, {"&", ""}, {nullptr, "(null)"},
  };
  for (const Case& c : kCases)
  {
    MENUITEMINFO info{};
    info.fMask = MIIM_TYPE | MIIM_ID | MIIM_STATE;
    info.dwTypeData = const_cast<char*>(c.given);
    info.wID = 9;
    info.fState = MFS_GRAYED | MFS_CHECKED;
    ASSERT_TRUE(InsertMenuItem(mMenu, 0, TRUE, &info));
    EXPECT_EQ(Title(mMenu, 0), c.shown);
  }
  MENUITEMINFO state{};
  state.fMask = MIIM_STATE;
  GetMenuItemInfo(mMenu, 9, FALSE, &state);
  EXPECT_EQ(state.fState, 11u);
  EnableMenuItem(mMenu, 9, MF_ENABLED);
  CheckMenuItem(mMenu, 9, 0);
  GetMenuItemInfo(mMenu, 9, FALSE, &state);
  EXPECT_EQ(state.fState, 0u);
}

TEST_F(WinlMenu, AMenuIsNeverInsertedIntoItselfOrItsDescendants)
{
  WINL_GenerateMenuFromList(mMenu, kShellList, 19);
  HMENU file = GetSubMenu(mMenu, 0);
  EXPECT_FALSE(WINL_InsertMenu(mMenu, 0, MF_POPUP | MF_BYPOSITION, reinterpret_cast<UINT_PTR>(mMenu), "self"));
  EXPECT_FALSE(WINL_InsertMenu(file, 0, MF_POPUP | MF_BYPOSITION, reinterpret_cast<UINT_PTR>(mMenu), "loop"));
  // Already attached under "File": not a second time elsewhere.
  HMENU other = CreatePopupMenu();
  EXPECT_FALSE(WINL_InsertMenu(other, 0, MF_POPUP | MF_BYPOSITION, reinterpret_cast<UINT_PTR>(file), "twice"));
  HMENU copy = WINL_DuplicateMenu(file);
  EXPECT_TRUE(WINL_InsertMenu(other, 0, MF_POPUP | MF_BYPOSITION, reinterpret_cast<UINT_PTR>(copy), "&Copy"));
  EXPECT_EQ(GetMenuItemCount(GetSubMenu(other, 0)), 12);
  EXPECT_EQ(Title(other, 0), "Copy");
  const int before = WINL_GetMenuRecordCount();
  DestroyMenu(other);
  EXPECT_EQ(WINL_GetMenuRecordCount(), before - 2);
  EXPECT_EQ(GetMenuItemCount(copy), 0);
}

TEST_F(WinlMenu, KeyEquivalents)
{
  // vk 0: no equivalent; mods: 1 Shift, 2 Ctrl, 4 Alt
  struct Case { const char* name; int key; int modifiers; int vk; unsigned mods; } kCases[] = {
      {"Command Shift S", 'S', 8 | 4 | 1, 'S', 2 | 1},
      {"lower-case q is F2", 'q', 8 | 1, 113, 2},
      {"Option 5", '5', 16 | 1, '5', 4},
      {"F1", 112, 8 | 1, 112, 2},
      {"F24", 135, 1, 135, 0},
      {"F1 without the virtual-key bit", 112, 8, 112, 2},
      {"F12 without the virtual-key bit", 123, 16, 123, 4},
      {"F24 without the virtual-key bit", 135, 0, 135, 0},
      {"Command End without the virtual-key bit", 35, 8, 35, 2},
      {"a double quote as a character", 34, 0, '"', 0},
      {"F25 is none", 136, 8 | 1, 0, 0},
      {"slash as a character", '/', 8, '/', 2},
      {"slash as a virtual key is none", '/', 8 | 1, 0, 0},
      {"minus key", 109, 8 | 1, '-', 2},
      {"delete", 46, 32 | 1, 46, 2},
  };
  WINL_Menu_AddMenuItem(mMenu, "Save", 40027, 0);
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.name);
    EXPECT_TRUE(SetMenuItemModifier(mMenu, 40027, MF_BYCOMMAND, c.key, c.modifiers));
    int vk = 0;
    unsigned mods = 0;
    EXPECT_EQ(WINL_GetMenuItemAccel(mMenu, 40027, MF_BYCOMMAND, &vk, &mods), c.vk != 0);
    if (c.vk)
    {
      EXPECT_EQ(vk, c.vk);
      EXPECT_EQ(mods, c.mods);
    }
  }
}

TEST(WinlMenuPopup, ChosenCommandIsReturnedOrSent)
{
  WINL_Internal_PostMessage_Init();
  MessageLog().clear();
  HWND w = WINL_CreateView(nullptr, LoggingProc, 0);
  HMENU m = CreatePopupMenu();
  WINL_Menu_AddMenuItem(m, "One", 101, 0);
  auto count = [w](UINT msg) { return MessagesTo(w, {msg}).size(); };

  WINL_TestQueuePopupAnswer(101);
  EXPECT_EQ(TrackPopupMenu(m, TPM_RETURNCMD, 10, 10, 0, w, nullptr), 101);
  EXPECT_EQ(count(WM_COMMAND), 0u);
  EXPECT_EQ(count(WM_INITMENUPOPUP), 1u);

  WINL_TestQueuePopupAnswer(101);
  EXPECT_EQ(TrackPopupMenu(m, TPM_NONOTIFY, 10, 10, 0, w, nullptr), 1);
  EXPECT_EQ(count(WM_INITMENUPOPUP), 1u);
  ASSERT_EQ(count(WM_COMMAND), 1u);
  EXPECT_EQ(MessageLog().back().wParam, 101u);

  WINL_TestQueuePopupAnswer(0);
  EXPECT_EQ(TrackPopupMenu(m, 0, 10, 10, 0, w, nullptr), 0);
  EXPECT_EQ(count(WM_COMMAND), 1u);
  EXPECT_EQ(TrackPopupMenu(nullptr, 0, 10, 10, 0, w, nullptr), 0);
  DestroyMenu(m);
  EXPECT_EQ(TrackPopupMenu(m, TPM_RETURNCMD, 10, 10, 0, w, nullptr), 0);
  DestroyWindow(w);
  WINL_MessageQueue_Flush();
}

TEST_F(WinlMenu, SetMenuItemInfoChangesWhatItsMaskNames)
{
  WINL_Menu_AddMenuItem(mMenu, "One", 101, 0);
  HMENU sub = CreatePopupMenu();
  WINL_Menu_AddMenuItem(sub, "Inner", 201, 0);
  char text[] = "Renamed";
  // mask, type, state, id; then the item's id, state, title and submenu
  struct Case { const char* name; UINT mask; UINT state; UINT id; int gotId; UINT gotState; const char* title; }
  const kCases[] = {
      {"text", MIIM_TYPE, 0, 0, 101, 0, "Renamed"},
      {"id", MIIM_ID, 0, 105, 105, 0, "Renamed"},
      {"ticked", MIIM_STATE, MFS_CHECKED, 0, 105, MFS_CHECKED, "Renamed"},
      {"greyed, no longer ticked", MIIM_STATE, MFS_GRAYED, 0, 105, MFS_GRAYED, "Renamed"},
  };
  for (const Case& c : kCases)
  {
    MENUITEMINFO info{};
    info.cbSize = sizeof info;
    info.fMask = c.mask;
    info.fType = MFT_STRING;
    info.fState = c.state;
    info.wID = c.id;
    info.dwTypeData = text;
    ASSERT_TRUE(SetMenuItemInfo(mMenu, 0, TRUE, &info)) << c.name;
    EXPECT_EQ(GetMenuItemID(mMenu, 0), c.gotId) << c.name;
    MENUITEMINFO got{};
    got.cbSize = sizeof got;
    got.fMask = MIIM_STATE;
    ASSERT_TRUE(GetMenuItemInfo(mMenu, 0, TRUE, &got)) << c.name;
    EXPECT_EQ(got.fState & (MFS_GRAYED | MFS_CHECKED), c.gotState) << c.name;
    EXPECT_EQ(Title(mMenu, 0), c.title) << c.name;
  }
  // A submenu takes the item's title; an item that is not there is refused.
  MENUITEMINFO attach{};
  attach.cbSize = sizeof attach;
  attach.fMask = MIIM_SUBMENU;
  attach.hSubMenu = sub;
  ASSERT_TRUE(SetMenuItemInfo(mMenu, 105, FALSE, &attach));
  EXPECT_EQ(GetSubMenu(mMenu, 0), sub);
  EXPECT_FALSE(SetMenuItemInfo(mMenu, 1, TRUE, &attach));
  EXPECT_FALSE(SetMenuItemInfo(mMenu, 999, FALSE, &attach));
  EXPECT_FALSE(SetMenuItemInfo(mMenu, 0, TRUE, nullptr));
}

TEST(WinlWindowMenu, SetMenuFillsTheActiveWindowsMenuAndItsEndFreesIt)
{
  WINL_Internal_PostMessage_Init();
  MessageLog().clear();
  HWND w = WINL_CreateDialog(nullptr, reinterpret_cast<const char*>(WINL_NO_RESOURCE), nullptr, LoggingProc, 0);
  HWND other = WINL_CreateDialog(nullptr, reinterpret_cast<const char*>(WINL_NO_RESOURCE), nullptr, LoggingProc, 0);
  HMENU bar = CreatePopupMenu();
  WINL_Menu_AddMenuItem(bar, "One", 101, 0);
  HMENU second = CreatePopupMenu();
  const auto filled = [](HWND h) {
    std::vector<WPARAM> menus;
    for (const LoggedMessage& m : MessageLog())
      if (m.hwnd == h && m.msg == WM_INITMENUPOPUP) menus.push_back(m.wParam);
    return menus;
  };
  // An inactive window's menu waits until it is shown.
  ShowWindow(other, SW_SHOW);
  SetFocus(other);
  ASSERT_TRUE(SetMenu(w, bar));
  EXPECT_TRUE(filled(w).empty());
  EXPECT_EQ(GetMenu(w), bar);
  // The active window's new menu is filled in at once, the same one again not.
  ShowWindow(w, SW_SHOW);
  SetFocus(w);
  MessageLog().clear();
  ASSERT_TRUE(SetMenu(w, second));
  ASSERT_TRUE(SetMenu(w, second));
  EXPECT_EQ(filled(w), (std::vector<WPARAM>{reinterpret_cast<WPARAM>(second)}));
  ASSERT_TRUE(SetMenu(w, bar));
  EXPECT_EQ(filled(w).size(), 2u);
  EXPECT_FALSE(SetMenu(w, reinterpret_cast<HMENU>(uintptr_t{0x7777})));
  // The window's end frees the menu it holds, and only that one.
  DestroyWindow(w);
  EXPECT_FALSE(SetMenu(other, bar));
  EXPECT_TRUE(SetMenu(other, second));
  DestroyMenu(second);
  DestroyWindow(other);
  WINL_MessageQueue_Flush();
}
}  // namespace

namespace
{
TEST(WinlWindowMenu, TheActiveWindowChoosesTheApplicationsMenu)
{
  WINL_Internal_PostMessage_Init();
  HMENU windowMenu = CreatePopupMenu();
  HMENU modalMenu = CreatePopupMenu();
  HMENU own = CreatePopupMenu();
  WINL_SetDefaultWindowMenu(windowMenu);
  HWND plain = WINL_CreateDialog(nullptr, reinterpret_cast<const char*>(WINL_NO_RESOURCE), nullptr, LoggingProc, 0);
  HWND withMenu = WINL_CreateDialog(nullptr, reinterpret_cast<const char*>(WINL_NO_RESOURCE), nullptr, LoggingProc, 0);
  ASSERT_TRUE(SetMenu(withMenu, own));
  for (HWND h : {plain, withMenu}) ShowWindow(h, SW_SHOW);
  // window made active, the application's menu then
  struct Case { HWND active; HMENU menu; } const kCases[] = {
      {plain, windowMenu}, {withMenu, own}, {plain, windowMenu},
  };
  for (const Case& c : kCases)
  {
    SetFocus(c.active);
    EXPECT_EQ(WINL_GetCurrentMenu(), c.menu);
  }
  // A window with no menu of its own and no default leaves the menu as it is.
  WINL_SetDefaultWindowMenu(nullptr);
  SetFocus(withMenu);
  SetFocus(plain);
  EXPECT_EQ(WINL_GetCurrentMenu(), own);
  // The application may set its menu itself; SetMenu on the active window
  // makes that window's new menu the application's.
  WINL_SetCurrentMenu(modalMenu);
  EXPECT_EQ(WINL_GetCurrentMenu(), modalMenu);
  HMENU later = CreatePopupMenu();
  ASSERT_TRUE(SetMenu(plain, later));
  EXPECT_EQ(WINL_GetCurrentMenu(), later);
  DestroyWindow(plain);
  DestroyWindow(withMenu);
  DestroyMenu(windowMenu);
  DestroyMenu(modalMenu);
  WINL_MessageQueue_Flush();
}

}  // namespace

namespace
{
// Three choices by command (ids 51..53) between two plain items.
class WinlRadioMenu : public ::testing::Test
{
protected:
  void SetUp() override
  {
    mMenu = CreatePopupMenu();
    AddMenuItem(mMenu, -1, "Plain", 50);
    AddMenuItem(mMenu, -1, "One", 51);
    AddMenuItem(mMenu, -1, "Two", 52);
    AddMenuItem(mMenu, -1, "Three", 53);
    AddMenuItem(mMenu, -1, "After", 54);
  }
  void TearDown() override { DestroyMenu(mMenu); }
  // "r" for a radio item, "." for a plain one, upper case when checked;
  // items 50..54 in order.
  std::string Marks() const
  {
    std::string marks;
    for (UINT id = 50; id <= 54; ++id)
    {
      MENUITEMINFO info{};
      info.fMask = MIIM_TYPE | MIIM_STATE;
      if (!GetMenuItemInfo(mMenu, id, FALSE, &info)) return "<missing>";
      const char c = (info.fType & MFT_RADIOCHECK) ? 'r' : '.';
      marks += (info.fState & MFS_CHECKED) ? static_cast<char>(std::toupper(c)) : c;
    }
    return marks;
  }
  HMENU mMenu = nullptr;
};

TEST_F(WinlRadioMenu, CheckMenuRadioItemMarksOneOrNone)
{
  struct Case { const char* name; UINT first, last, check, flags; BOOL result; const char* marks; }
  const kCases[] = {
      {"first of the group", 51, 53, 51, MF_BYCOMMAND, TRUE, ".Rrr."},
      {"last of the group", 51, 53, 53, MF_BYCOMMAND, TRUE, ".rrR."},
      {"none of the group", 51, 53, 54, MF_BYCOMMAND, TRUE, ".rrr."},
      {"no check at all", 51, 53, 0, MF_BYCOMMAND, TRUE, ".rrr."},
      {"by position", 1, 3, 2, MF_BYPOSITION, TRUE, ".rRr."},
      {"a range partly missing", 46, 50, 50, MF_BYCOMMAND, TRUE, "R...."},
      {"a range wholly missing", 60, 62, 61, MF_BYCOMMAND, FALSE, "....."},
      {"a reversed range", 53, 51, 52, MF_BYCOMMAND, FALSE, "....."},
  };
  for (const Case& c : kCases)
  {
    TearDown();
    SetUp();
    EXPECT_EQ(CheckMenuRadioItem(mMenu, c.first, c.last, c.check, c.flags), c.result) << c.name;
    EXPECT_EQ(Marks(), c.marks) << c.name;
  }
}

TEST_F(WinlRadioMenu, AMarkMovesAndTheGroupKeepsItsKind)
{
  ASSERT_TRUE(CheckMenuRadioItem(mMenu, 51, 53, 52, MF_BYCOMMAND));
  EXPECT_EQ(Marks(), ".rRr.");
  ASSERT_TRUE(CheckMenuRadioItem(mMenu, 51, 53, 53, MF_BYCOMMAND));
  EXPECT_EQ(Marks(), ".rrR.");
  // A dead menu answers FALSE.
  EXPECT_FALSE(CheckMenuRadioItem(nullptr, 51, 53, 53, MF_BYCOMMAND));
  // The kind is set and read back through the item's type as well.
  MENUITEMINFO info{};
  info.fMask = MIIM_TYPE;
  info.fType = MFT_STRING;
  info.dwTypeData = const_cast<char*>("Two");
  ASSERT_TRUE(SetMenuItemInfo(mMenu, 52, FALSE, &info));
  info.fType = MFT_STRING | MFT_RADIOCHECK;
  info.dwTypeData = const_cast<char*>("After");
  ASSERT_TRUE(SetMenuItemInfo(mMenu, 54, FALSE, &info));
  EXPECT_EQ(Marks(), ".r.Rr");
  EXPECT_EQ(Title(mMenu, 4), "After");
}
}  // namespace
