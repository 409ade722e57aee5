// Native controls on the (virtual) display: the Preferences dialog's
// widgets get exactly their frames, also after long items, and only the
// user's picks in a drop-down list reach the dialog.
#include "platform/gtk/PLAT_GtkLoop.h"
#include "platform/gtk/PLAT_GtkTest.h"
#include "winl/WINL_Controls.h"
#include "winl/WINL_Dialog.h"
#include "winl/WINL_Queue.h"

#include "PreferencesDialog.h"
#include "WinlMessageLog.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

namespace
{
class WinlControlsGtk : public ::testing::Test
{
protected:
  static void SetUpTestSuite()
  {
    PLAT_GtkTestPrepare();
    ASSERT_TRUE(WINL_StartToolkit()) << "no display";
    WINL_Internal_PostMessage_Init();
  }
  void SetUp() override { MessageLog().clear(); }
  void TearDown() override
  {
    EnumWindows([](HWND h, LPARAM) { return DestroyWindow(h); }, 0);
    WINL_MessageQueue_Flush();
    PLAT_GtkTestSettle();
    EXPECT_EQ(PLAT_GtkTestToplevelCount(), 0);
  }
  static LRESULT LoggingDlgProc(HWND h, UINT m, WPARAM w, LPARAM l)
  {
    MessageLog().push_back({h, m, w, l});
    return 0;
  }
  HWND ShownPreferences()
  {
    HWND d = WINL_CreateDialog(PreferencesResource(), PreferencesResource()->resid, nullptr, LoggingDlgProc, 0);
    ShowWindow(d, SW_SHOW);
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!PLAT_GtkTestIsViewable(WINL_GetNativeView(GetDlgItem(d, 2))) && std::chrono::steady_clock::now() < end)
    {
      PLAT_GtkTestSettle();
      if (!PLAT_LoopIterate(false)) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    PLAT_GtkTestSettle();
    return d;
  }
};

void ExpectFrames(HWND dialog)
{
  struct Case
  {
    int x, y, w, h;
  } const kCases[] = {
      {5, 4, 300, 123}, {20, 25, 100, 20}, {180, 25, 120, 20}, {20, 43, 150, 18}, {180, 43, 120, 18},
      {20, 70, 100, 20}, {20, 88, 150, 18}, {192, 133, 50, 20}, {132, 133, 50, 20}, {252, 133, 50, 20},
  };
  int i = 0;
  for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT), ++i)
  {
    ASSERT_LT(i, 10);
    int x, y, w, h;
    ASSERT_TRUE(PLAT_GtkTestAllocation(WINL_GetNativeView(c), WINL_GetNativeView(dialog), &x, &y, &w, &h)) << i;
    EXPECT_EQ(x, kCases[i].x) << i;
    EXPECT_EQ(y, kCases[i].y) << i;
    EXPECT_EQ(w, kCases[i].w) << i;
    EXPECT_EQ(h, kCases[i].h) << i;
  }
  EXPECT_EQ(i, 10);
}

TEST_F(WinlControlsGtk, PreferencesWidgetsHoldTheirFramesWithLongItems)
{
  HWND d = ShownPreferences();
  ExpectFrames(d);
  const std::string longItem(100, 'W');
  for (int id : {40018, 40035, 40019})
  {
    WINL_CB_AddString(d, id, longItem.c_str());
    WINL_CB_SetCurSel(d, id, 0);
  }
  PLAT_GtkTestSettle();
  for (int i = 0; i < 20; ++i) PLAT_LoopIterate(false);
  ExpectFrames(d);
}

TEST_F(WinlControlsGtk, OnlyTheUsersPickSendsSelChange)
{
  HWND d = ShownPreferences();
  HWND combo = GetDlgItem(d, 40018);
  // A port name that is not UTF-8 still shows.
  for (const char* t : {"off", "virtual input", "Port \xE9"}) SendMessage(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(t));
  SendMessage(combo, CB_SETCURSEL, 1, 0);
  SendMessage(combo, CB_RESETCONTENT, 0, 0);
  for (const char* t : {"off", "virtual input", "A"}) SendMessage(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(t));
  EXPECT_TRUE(MessagesTo(d, {WM_COMMAND}).empty());

  PLAT_GtkTestPickItem(WINL_GetNativeView(combo), 2);
  ASSERT_EQ(MessagesTo(d, {WM_COMMAND}).size(), 1u);
  for (const LoggedMessage& m : MessageLog())
    if (m.msg == WM_COMMAND)
    {
      EXPECT_EQ(m.wParam, (CBN_SELCHANGE << 16 | 40018u));
      EXPECT_EQ(m.lParam, reinterpret_cast<LPARAM>(combo));
    }
  EXPECT_EQ(SendMessage(combo, CB_GETCURSEL, 0, 0), 2);
}
}  // namespace
