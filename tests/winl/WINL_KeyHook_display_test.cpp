// The dialog keys on the (virtual) display: real key events in a shown
// dialog cancel it or press its default button, and only those keys do.
#include "platform/gtk/PLAT_GtkTestKeys.h"
#include "winl/WINL_Controls.h"
#include "winl/WINL_Dialog.h"

#include "PreferencesDialog.h"
#include "WinlGtkTest.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
using WinlKeyHookGtk = WinlGtkTest;

TEST_F(WinlKeyHookGtk, EscapeCtrlWAndReturnReachTheDialog)
{
  struct Case { const char* name; unsigned keyval; unsigned mods; bool okEnabled; std::vector<WPARAM> commands; }
  const kCases[] = {
      {"Escape cancels", 0xFF1B, 0, true, {2}},
      {"Ctrl+W cancels", 'w', PLAT_MOD_CONTROL, true, {2}},
      {"Return presses OK", 0xFF0D, 0, true, {1}},
      {"keypad Enter presses OK", 0xFF8D, 0, true, {1}},
      {"Return with OK disabled", 0xFF0D, 0, false, {}},
      {"Shift+Escape", 0xFF1B, PLAT_MOD_SHIFT, true, {}},
      {"Alt+Return", 0xFF0D, PLAT_MOD_ALT, true, {}},
      {"w alone", 'w', 0, true, {}},
      {"Ctrl+Q", 'q', PLAT_MOD_CONTROL, true, {}},
  };
  for (const Case& c : kCases)
  {
    HWND d = WINL_CreateDialog(PreferencesResource(), PreferencesResource()->resid, nullptr, LoggingDlgProc, 0);
    EnableWindow(GetDlgItem(d, 1), c.okEnabled);
    ShowWindow(d, SW_SHOW);
    LoopUntil([d] { return PLAT_GtkTestIsViewable(WINL_GetNativeView(d)); });
    SetFocus(d);
    Pump(20);
    MessageLog().clear();
    ASSERT_TRUE(PLAT_GtkTestKeyval(WINL_GetNativeView(d), c.keyval, c.mods, true)) << c.name;
    ASSERT_TRUE(PLAT_GtkTestKeyval(WINL_GetNativeView(d), c.keyval, c.mods, false)) << c.name;
    Pump(30);
    EXPECT_EQ(CommandsTo(d), c.commands) << c.name;
    DestroyWindow(d);
    Pump(5);
  }
}
}  // namespace
