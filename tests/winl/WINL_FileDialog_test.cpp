// File choosers through the test seam: what is shown, the filter list's
// patterns, chosen paths against the caller's buffer, and the dialog shown
// with the next chooser.
#include "winl/WINL_Dialog.h"
#include "winl/WINL_FileDialog.h"
#include "winl/WINL_Menu.h"
#include "winl/WINL_Queue.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace
{
class WinlFileDialog : public ::testing::Test
{
protected:
  void TearDown() override { WINL_ChooserTestEnd(); }
};

std::string Joined(const std::vector<std::string>& v)
{
  std::string s;
  for (const std::string& x : v) s += (s.empty() ? "" : "|") + x;
  return s;
}

TEST_F(WinlFileDialog, FilterListsGiveCaseBlindPatterns)
{
  struct Case { const char* name; std::string list; const char* patterns; } const kCases[] = {
      {"two pairs", std::string("Programs\0*.pr3;*.syx\0Banks\0*.bk3\0\0", 35), "*.[pP][rR]3|*.[sS][yY][xX]|*.[bB][kK]3"},
      {"star dot star allows every file", std::string("All\0*.*\0\0", 10), ""},
      {"no extension adds nothing", std::string("Any\0*;*.\0\0", 11), ""},
      {"extension cut at 31 bytes", std::string("Long\0*.abcdefghijklmnopqrstuvwxyz0123456\0\0", 42),
       "*.[aA][bB][cC][dD][eE][fF][gG][hH][iI][jJ][kK][lL][mM][nN][oO][pP][qQ][rR][sS][tT][uU][vV][wW][xX][yY][zZ]"
       "01234"},
      {"empty list", std::string("\0", 1), ""},
  };
  for (const Case& c : kCases)
  {
    WINL_ChooserTestQueue({});
    char buffer[16] = "x";
    EXPECT_FALSE(BrowseForSaveFile("Save", "/home", "a.pr3", c.list.c_str(), buffer, 16)) << c.name;
    const auto shown = WINL_ChooserTestTake();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(Joined(shown[0].patterns), c.patterns) << c.name;
  }
}

TEST_F(WinlFileDialog, ChosenPathMustFitTheBufferWhole)
{
  struct Case { size_t pathLength; int size; bool ok; } const kCases[] = {
      {255, 256, true}, {256, 256, false}, {257, 256, false}, {1, 2, true}, {1, 1, false},
  };
  for (const Case& c : kCases)
  {
    const std::string path = "/" + std::string(c.pathLength - 1, 'p');
    WINL_ChooserTestQueue({path});
    std::string buffer(static_cast<size_t>(c.size) + 8, '#');
    EXPECT_EQ(BrowseForSaveFile("Save", nullptr, nullptr, nullptr, &buffer[0], c.size), c.ok) << c.pathLength;
    EXPECT_EQ(std::string(buffer.c_str()), c.ok ? path : "") << c.pathLength;
    EXPECT_EQ(buffer.substr(static_cast<size_t>(c.size)), "########") << c.pathLength;
  }
}

TEST_F(WinlFileDialog, InitialFileWithAFolderIsSplit)
{
  WINL_ChooserTestQueue({"/tmp/out.pr3"});
  WINL_ChooserTestQueue({});
  char buffer[64];
  EXPECT_TRUE(BrowseForSaveFile("Export", "/ignored", "/data/progs/lead.pr3", nullptr, buffer, 64));
  EXPECT_STREQ(buffer, "/tmp/out.pr3");
  EXPECT_FALSE(BrowseForDirectory("Folder", "/data", buffer, 64));
  EXPECT_STREQ(buffer, "");
  const auto shown = WINL_ChooserTestTake();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0].kind, WINL_ShownChooser::Save);
  EXPECT_EQ(shown[0].title, "Export");
  EXPECT_EQ(shown[0].folder, "/data/progs");
  EXPECT_EQ(shown[0].file, "lead.pr3");
  EXPECT_EQ(shown[1].kind, WINL_ShownChooser::Folder);
  EXPECT_EQ(shown[1].folder, "/data");
  EXPECT_EQ(shown[1].accept, "");
}

TEST_F(WinlFileDialog, OpenListsEndWithTwoZeros)
{
  WINL_ChooserTestQueue({"/a/one.syx"});
  WINL_ChooserTestQueue({"/a/b", "/c"});
  WINL_ChooserTestQueue({});
  char* one = BrowseForFiles("Open", "/a", "one.syx", false, nullptr);
  ASSERT_NE(one, nullptr);
  EXPECT_EQ(std::memcmp(one, "/a/one.syx\0\0", 12), 0);
  std::free(one);
  char* two = BrowseForFiles("Open", nullptr, nullptr, true, nullptr);
  ASSERT_NE(two, nullptr);
  EXPECT_EQ(std::memcmp(two, "/a/b\0/c\0\0", 9), 0);
  std::free(two);
  EXPECT_EQ(BrowseForFiles("Open", nullptr, nullptr, true, nullptr), nullptr);
  const auto shown = WINL_ChooserTestTake();
  ASSERT_EQ(shown.size(), 3u);
  EXPECT_FALSE(shown[0].several);
  EXPECT_TRUE(shown[1].several);
}

std::vector<std::pair<UINT, LPARAM>> gAccessoryLog;

LRESULT AccessoryProc(HWND, UINT m, WPARAM, LPARAM l)
{
  if (m == WM_INITDIALOG || m == WM_DESTROY) gAccessoryLog.push_back({m, l});
  return 0;
}

TEST_F(WinlFileDialog, TemplateDialogGoesWithTheNextChooserOnly)
{
  WINL_DialogResourceIndex accessory{reinterpret_cast<const char*>(uintptr_t{40050}), "Options", 12, nullptr,
                                     200, 40, nullptr};
  WINL_DialogResourceIndex* saved = WINL_curmodule_dialogresource_head;
  WINL_curmodule_dialogresource_head = &accessory;
  // resid 0: no template set
  struct Case { const char* name; int resid; std::vector<std::pair<UINT, LPARAM>> log; } const kCases[] = {
      {"made before, destroyed after", 40050, {{WM_INITDIALOG, 77}, {WM_DESTROY, 0}}},
      {"the template was used up", 0, {}},
      {"unknown resource", 40051, {}},
  };
  for (const Case& c : kCases)
  {
    gAccessoryLog.clear();
    if (c.resid) BrowseFile_SetTemplate(c.resid, AccessoryProc, 77);
    WINL_ChooserTestQueue({"/data"});
    char buffer[16];
    EXPECT_TRUE(BrowseForDirectory("Folder", nullptr, buffer, 16)) << c.name;
    EXPECT_EQ(gAccessoryLog, c.log) << c.name;
  }
  WINL_curmodule_dialogresource_head = saved;
}
}  // namespace

namespace
{
LRESULT QuietProc(HWND, UINT, WPARAM, LPARAM) { return 0; }

// While a chooser runs, the application's menu is a copy of the default
// modal-window menu (same items, another menu); afterwards it is the focused
// window's menu again, and the copy is gone.
TEST_F(WinlFileDialog, AChooserRunsWithACopyOfTheModalMenu)
{
  WINL_Internal_PostMessage_Init();
  HMENU modal = CreatePopupMenu();
  WINL_Menu_AddMenuItem(modal, "Copy", 301, 0);
  WINL_Menu_AddMenuItem(modal, "Paste", 302, 0);
  HMENU own = CreatePopupMenu();
  WINL_Menu_AddMenuItem(own, "Open", 101, 0);
  WINL_SetDefaultModalWindowMenu(modal);
  HWND w = WINL_CreateDialog(nullptr, reinterpret_cast<const char*>(WINL_NO_RESOURCE), nullptr, QuietProc, 0);
  ASSERT_TRUE(SetMenu(w, own));
  ShowWindow(w, SW_SHOW);
  SetFocus(w);
  ASSERT_EQ(GetFocus(), w);
  ASSERT_EQ(WINL_GetCurrentMenu(), own);
  const int menusBefore = WINL_GetMenuRecordCount();

  WINL_ChooserTestQueue({"/data/a.pr3"});
  char buffer[32];
  EXPECT_TRUE(BrowseForSaveFile("Save", nullptr, nullptr, nullptr, buffer, sizeof buffer));
  const auto shown = WINL_ChooserTestTake();
  ASSERT_EQ(shown.size(), 1u);
  HMENU during = shown[0].menu;
  EXPECT_NE(during, modal);
  EXPECT_NE(during, own);
  EXPECT_EQ(shown[0].menuItems, (std::vector<std::string>{"Copy", "Paste"}));
  EXPECT_EQ(WINL_GetCurrentMenu(), own);
  EXPECT_EQ(WINL_GetMenuRecordCount(), menusBefore);
  EXPECT_FALSE(SetMenu(w, during));

  WINL_SetDefaultModalWindowMenu(nullptr);
  DestroyWindow(w);
  DestroyMenu(modal);
  WINL_MessageQueue_Flush();
}
}  // namespace
