// Keys as the display delivers them, through the layer's key mapping. Key
// values are the display's own numbers (X key symbols).
#include "winl/WINL_Keys.h"

#include "WinlGtkTest.h"

#include <gtest/gtest.h>

namespace
{
using WinlKeysGtk = WinlGtkTest;

TEST_F(WinlKeysGtk, KeyEventsGiveVirtualKeysAndFlags)
{
  struct Case { const char* name; unsigned keyval; unsigned mods; int key; int flags; } const kCases[] = {
      {"keypad Enter", 0xFF8D, 0, 0x800D, 1},
      {"Return", 0xFF0D, 0, 13, 1},
      {"Shift+Tab", 0xFF09, PLAT_MOD_SHIFT, 9, 1 | 4},
      {"Shift+a", 'a', PLAT_MOD_SHIFT, 'A', 1 | 4},
      {"a", 'a', 0, 'A', 1},
      {"F1", 0xFFBE, 0, 112, 1},
      {"Backspace", 0xFF08, 0, 8, 1},
      {"keypad 0", 0xFFB0, 0, 96, 1},
      {"keypad 9", 0xFFB9, 0, 105, 1},
      {"Left", 0xFF51, 0, 37, 1},
      {"Down", 0xFF54, 0, 40, 1},
      {"Ctrl+s is Command", 's', PLAT_MOD_CONTROL, 'S', 1 | 8},
      {"Alt+Escape is Option", 0xFF1B, PLAT_MOD_ALT, 27, 1 | 16},
      {"comma is a character", ',', 0, ',', 0},
      {"Shift+slash is the slash key, without Shift", '/', PLAT_MOD_SHIFT, '/', 0},
      {"Shift+1 is the key 1 with Shift", '1', PLAT_MOD_SHIFT, '1', 1 | 4},
      {"F16", 0xFFCD, 0, 127, 1},
      {"F17", 0xFFCE, 0, 128, 1},
      {"F24", 0xFFD5, 0, 135, 1},
  };
  for (const Case& c : kCases)
  {
    const PLAT_Input in = PLAT_GtkTestKeyInput(c.keyval, c.mods);
    int flags = -1;
    EXPECT_EQ(WINL_MacKeyToWindowsKey(&in, &flags), c.key) << c.name;
    EXPECT_EQ(flags, c.flags) << c.name;
  }
}

TEST_F(WinlKeysGtk, TypedModeGivesTheTypedCharacterAndADeadKeysAccent)
{
  // mode 1 and mode 0 side by side: what was typed against the key itself.
  struct Case { const char* name; unsigned keyval; unsigned mods; int typedKey, typedFlags, plainKey, plainFlags; }
  const kCases[] = {
      {"Shift+slash", '/', PLAT_MOD_SHIFT, '?', 0, '/', 0},
      {"Shift+1", '1', PLAT_MOD_SHIFT, '!', 0, '1', 1 | 4},
      {"Shift+a", 'a', PLAT_MOD_SHIFT, 'A', 1 | 4, 'A', 1 | 4},
      {"Shift+Tab", 0xFF09, PLAT_MOD_SHIFT, 9, 1 | 4, 9, 1 | 4},
      {"dead acute", 0xFE51, 0, 0xB4, 0, 1024, 1},
      {"dead grave", 0xFE50, 0, '`', 0, 1024, 1},
      {"dead diaeresis with Shift", 0xFE57, PLAT_MOD_SHIFT, 0xA8, 0, 1024, 1 | 4},
  };
  for (const Case& c : kCases)
  {
    PLAT_Input in = PLAT_GtkTestKeyInput(c.keyval, c.mods);
    in.keyCode = 0;  // key code + 1024 below: no hardware key, whatever the layout
    int flags = -1;
    EXPECT_EQ(WINL_MacKeyToWindowsKeyEx(&in, &flags, 1), c.typedKey) << c.name;
    EXPECT_EQ(flags, c.typedFlags) << c.name;
    EXPECT_EQ(WINL_MacKeyToWindowsKeyEx(&in, &flags, 0), c.plainKey) << c.name;
    EXPECT_EQ(flags, c.plainFlags) << c.name;
  }
}

// The plain form has no "last key" for a null event: it gives 0, while the
// extended form gives the last key event's key.
TEST_F(WinlKeysGtk, ANullEventGivesNothingButTheExtendedFormTakesTheLastKey)
{
  WINL_NoteKeyEvent(PLAT_GtkTestKeyInput('q', PLAT_MOD_SHIFT));
  int flags = -1;
  EXPECT_EQ(WINL_MacKeyToWindowsKey(nullptr, &flags), 0);
  EXPECT_EQ(WINL_MacKeyToWindowsKeyEx(nullptr, &flags, 0), 'Q');
  EXPECT_EQ(flags, 1 | 4);
}

// While a Super-click counts as a right click, Super gives no Control flag;
// Ctrl (Command) keeps its flag either way.
TEST_F(WinlKeysGtk, SuperGivesNoControlFlagWhileItStandsForTheRightButton)
{
  struct Case { const char* name; bool emulate; unsigned mods; int flags; } const kCases[] = {
      {"Super, not emulating", false, PLAT_MOD_SUPER, 1 | 32},
      {"Super, emulating", true, PLAT_MOD_SUPER, 1},
      {"Ctrl, emulating", true, PLAT_MOD_CONTROL, 1 | 8},
      {"Ctrl+Super, emulating", true, PLAT_MOD_CONTROL | PLAT_MOD_SUPER, 1 | 8},
  };
  for (const Case& c : kCases)
  {
    WINL_EnableRightClickEmulate(c.emulate);
    const PLAT_Input in = PLAT_GtkTestKeyInput('a', c.mods);
    int flags = -1;
    EXPECT_EQ(WINL_MacKeyToWindowsKey(&in, &flags), 'A') << c.name;
    EXPECT_EQ(flags, c.flags) << c.name;
  }
  WINL_EnableRightClickEmulate(false);
}

TEST_F(WinlKeysGtk, ShiftedDigitsFollowTheUsLayout)
{
  struct Case { int key, flags, want; }
  const kCases[] = {{'0', 5, ')'}, {'1', 5, '!'}, {'9', 5, '('}, {'1', 1, 0}, {'A', 5, 0}, {'/', 5, 0}};
  for (const Case& c : kCases) EXPECT_EQ(WINL_KeyToASCII(c.key, c.flags, nullptr), c.want) << c.key;
}
}  // namespace

namespace
{
bool OnTheDisplay(const std::string& xdotoolArgs)
{
  return std::system(("xdotool " + xdotoolArgs + " >/dev/null 2>&1").c_str()) == 0;
}

TEST_F(WinlKeysGtk, AsyncKeyStateAsksTheDisplayWhatIsHeldNow)
{
  // No window of the program sees these: only the display knows.
  ASSERT_TRUE(OnTheDisplay("mousemove --sync 3 3"));
  // xdotool input while held, the keys asked, and the answers
  struct Case { const char* down; const char* up; int key; } const kCases[] = {
      {"keydown shift", "keyup shift", 16},
      {"keydown ctrl", "keyup ctrl", 17},
      {"keydown alt", "keyup alt", 18},
      {"mousedown 1", "mouseup 1", 1},
      {"mousedown 3", "mouseup 3", 2},
      {"mousedown 2", "mouseup 2", 4},
  };
  for (const Case& c : kCases)
  {
    EXPECT_EQ(GetAsyncKeyState(c.key), 0) << c.down;
    ASSERT_TRUE(OnTheDisplay(c.down));
    EXPECT_EQ(static_cast<unsigned short>(GetAsyncKeyState(c.key)), 0x8000u) << c.down;
    ASSERT_TRUE(OnTheDisplay(c.up));
    EXPECT_EQ(GetAsyncKeyState(c.key), 0) << c.up;
  }
}

// Super held: key 91, except while a Super-click counts as a right click.
TEST_F(WinlKeysGtk, AsyncSuperIsLeftOutWhileItStandsForTheRightButton)
{
  for (const bool emulate : {false, true})
  {
    WINL_EnableRightClickEmulate(emulate);
    EXPECT_EQ(GetAsyncKeyState(91), 0) << emulate;
    ASSERT_TRUE(OnTheDisplay("keydown super"));
    EXPECT_EQ(static_cast<unsigned short>(GetAsyncKeyState(91)), emulate ? 0u : 0x8000u) << emulate;
    ASSERT_TRUE(OnTheDisplay("keyup super"));
    EXPECT_EQ(GetAsyncKeyState(91), 0) << emulate;
  }
  WINL_EnableRightClickEmulate(false);
}
}  // namespace
