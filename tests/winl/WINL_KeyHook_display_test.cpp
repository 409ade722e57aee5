// The dialog keys on the (virtual) display: real key events in a shown
// dialog cancel it, press its default button or take the focus back to the
// window, depending on the control that has the focus, and only those keys
// do.
#include "platform/gtk/PLAT_GtkTestKeys.h"
#include "winl/WINL_Controls.h"
#include "winl/WINL_Dialog.h"

#include "PreferencesDialog.h"
#include "WinlGtkTest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <vector>

namespace
{
using WinlKeyHookGtk = WinlGtkTest;

// Shows the dialog, gives the focus to the control (0: the window itself),
// presses and releases the key, and gives back the commands the dialog got.
std::vector<WPARAM> PressIn(HWND d, int focusId, unsigned keyval, unsigned mods)
{
  ShowWindow(d, SW_SHOW);
  EXPECT_TRUE(LoopUntil([d] { return PLAT_GtkTestIsViewable(WINL_GetNativeView(d)); }));
  HWND target = focusId ? GetDlgItem(d, focusId) : d;
  SetFocus(target);
  EXPECT_TRUE(LoopUntil([target] { return GetFocus() == target; }));
  Pump(20);
  MessageLog().clear();
  EXPECT_TRUE(PLAT_GtkTestKeyval(WINL_GetNativeView(d), keyval, mods, true));
  EXPECT_TRUE(PLAT_GtkTestKeyval(WINL_GetNativeView(d), keyval, mods, false));
  Pump(30);
  // The field's own notice that it took the focus may come late on a busy
  // display; it is the focus given above, not the key's doing.
  std::vector<WPARAM> commands = CommandsTo(d);
  const WPARAM tookFocus = MAKEWPARAM(static_cast<unsigned>(focusId), EN_SETFOCUS);
  if (focusId) commands.erase(std::remove(commands.begin(), commands.end(), tookFocus), commands.end());
  return commands;
}

TEST_F(WinlKeyHookGtk, EscapeCtrlWAndReturnReachTheDialog)
{
  struct Case { const char* name; unsigned keyval; unsigned mods; bool okEnabled; std::vector<WPARAM> commands; }
  const kCases[] = {
      {"Escape cancels", 0xFF1B, 0, true, {2}},
      {"Shift+Escape cancels", 0xFF1B, PLAT_MOD_SHIFT, true, {2}},
      {"Ctrl+W cancels", 'w', PLAT_MOD_CONTROL, true, {2}},
      {"Return presses OK", 0xFF0D, 0, true, {1}},
      {"keypad Enter presses OK", 0xFF8D, 0, true, {1}},
      {"Return with OK disabled", 0xFF0D, 0, false, {}},
      {"Ctrl+Escape", 0xFF1B, PLAT_MOD_CONTROL, true, {}},
      {"Alt+Return", 0xFF0D, PLAT_MOD_ALT, true, {}},
      {"w alone", 'w', 0, true, {}},
      {"Ctrl+Q", 'q', PLAT_MOD_CONTROL, true, {}},
  };
  for (const Case& c : kCases)
  {
    HWND d = WINL_CreateDialog(PreferencesResource(), PreferencesResource()->resid, nullptr, LoggingDlgProc, 0);
    EnableWindow(GetDlgItem(d, 1), c.okEnabled);
    EXPECT_EQ(PressIn(d, 0, c.keyval, c.mods), c.commands) << c.name;
    DestroyWindow(d);
    Pump(5);
  }
}

// A dialog with a one-line field (100), a multi-line field (101), a plain
// button (102) and Cancel (2); the first entry is OK (1), the default button
// or not.
constexpr int kLine = 100;
constexpr int kText = 101;
constexpr int kPlain = 102;
constexpr int kWindow = 0;

const WINL_DlgResourceEntry kFields[] = {
    {"__WINL_BUTTON", 1, "OK", 1, 130, 110, 50, 20, 0},
    {"__WINL_EDIT", 0, "", kLine, 10, 10, 170, 20, 0},
    {"__WINL_EDIT", 0, "", kText, 10, 40, 170, 60, WS_VSCROLL},
    {"__WINL_BUTTON", 0, "Plain", kPlain, 10, 110, 50, 20, 0},
    {"__WINL_BUTTON", 0, "Cancel", 2, 70, 110, 50, 20, 0},
};

template <bool kWithDefault>
void CreateFields(HWND hwnd, int)
{
  WINL_DlgResourceEntry list[std::size(kFields)];
  std::copy(std::begin(kFields), std::end(kFields), list);
  list[0].flag1 = kWithDefault ? 1 : 0;
  WINL_MakeSetCurParms(1.0f, 1.0f, 0, 0, hwnd, false, false);
  WINL_GenerateDialogFromList(list, static_cast<int>(std::size(list)));
}

WINL_DialogResourceIndex* FieldsResource(bool withDefault)
{
  static WINL_DialogResourceIndex with{reinterpret_cast<const char*>(uintptr_t{41001}), "Fields", 12,
                                       CreateFields<true>, 190, 140, nullptr};
  static WINL_DialogResourceIndex without{reinterpret_cast<const char*>(uintptr_t{41002}), "Fields", 12,
                                          CreateFields<false>, 190, 140, nullptr};
  return withDefault ? &with : &without;
}

// Each key with the focus on a control (or the window): the wParams of the
// WM_COMMANDs the dialog got, the fields' own notices among them, and where
// the focus is after it.
TEST_F(WinlKeyHookGtk, TheFocusedControlDecidesWhatEscapeAndReturnDo)
{
  struct Case
  {
    const char* name;
    int focus;
    unsigned keyval;
    unsigned mods;
    bool withDefault;
    std::vector<WPARAM> commands;
    int focusAfter;
  } const kCases[] = {
      {"line: Escape cancels", kLine, 0xFF1B, 0, true, {2}, kLine},
      // A field left says so: EN_KILLFOCUS of 100; a multi-line view also
      // counts its changes as made then: EN_CHANGE, EN_KILLFOCUS of 101.
      {"line: Shift+Escape leaves the field", kLine, 0xFF1B, PLAT_MOD_SHIFT, true, {0x02000064}, kWindow},
      {"line: Ctrl+W cancels", kLine, 'w', PLAT_MOD_CONTROL, true, {2}, kLine},
      {"line: Return presses OK", kLine, 0xFF0D, 0, true, {1}, kLine},
      {"line: Return with no default leaves the field", kLine, 0xFF0D, 0, false, {0x02000064}, kWindow},
      {"text: Escape leaves the view", kText, 0xFF1B, 0, true, {0x03000065, 0x02000065}, kWindow},
      {"text: Shift+Escape leaves the view", kText, 0xFF1B, PLAT_MOD_SHIFT, true, {0x03000065, 0x02000065}, kWindow},
      {"text: Ctrl+W cancels", kText, 'w', PLAT_MOD_CONTROL, true, {2}, kText},
      // The view types the line break and tells nothing yet: its changes
      // count as made only when it is left.
      {"text: Return is typed", kText, 0xFF0D, 0, true, {}, kText},
      {"text: Return with no default is typed", kText, 0xFF0D, 0, false, {}, kText},
      {"button: Escape cancels", kPlain, 0xFF1B, 0, true, {2}, kPlain},
      {"button: Shift+Escape cancels", kPlain, 0xFF1B, PLAT_MOD_SHIFT, true, {2}, kPlain},
      {"button: Ctrl+W cancels", kPlain, 'w', PLAT_MOD_CONTROL, true, {2}, kPlain},
      {"button: Return presses OK", kPlain, 0xFF0D, 0, true, {1}, kPlain},
      {"button: Return with no default goes to the window", kPlain, 0xFF0D, 0, false, {}, kWindow},
      {"window: Return with no default", kWindow, 0xFF0D, 0, false, {}, kWindow},
  };
  for (const Case& c : kCases)
  {
    WINL_DialogResourceIndex* res = FieldsResource(c.withDefault);
    HWND d = WINL_CreateDialog(res, res->resid, nullptr, LoggingDlgProc, 0);
    EXPECT_EQ(PressIn(d, c.focus, c.keyval, c.mods), c.commands) << c.name;
    EXPECT_EQ(GetFocus(), c.focusAfter ? GetDlgItem(d, c.focusAfter) : d) << c.name;
    if (c.focus == kText && c.keyval == 0xFF0D)
    {
      // The line break is in the view, though nothing told of it.
      char text[8] = {};
      GetDlgItemText(d, kText, text, sizeof text);
      EXPECT_STREQ(text, "\n") << c.name;
    }
    DestroyWindow(d);
    Pump(5);
  }
}
}  // namespace
