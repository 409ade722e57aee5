// Where top-level windows are when the program and the user move many of
// them at once: the layer's rectangles, point conversions and WM_MOVE follow
// the display's own positions. Runs on the shared display without a window
// manager, and again (tests/winl/CMakeLists.txt) on a display of its own
// where a window manager frames the windows with title bars.
#include "platform/gtk/PLAT_Gtk.h"
#include "platform/gtk/PLAT_GtkView.h"
#include "winl/WINL_Dialog.h"
#include "winl/WINL_Menu.h"
#include "winl/WINL_Window.h"

#include "WinlGtkTest.h"
#include "WinlMessageLog.h"
#include "support/WaitFor.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

namespace
{
using WinlPlaceGtk = WinlGtkTest;

constexpr int kWindows = 20, kWidth = 180, kHeight = 100;

// Top-down screen pixels of a window itself: where it is shown, where the
// program moves it at once, and where the user or another program then
// moves it. Under a window manager every fourth window is dragged by its
// title bar, the others moved by requests to the display.
struct Place { int x, y; };
Place Shown(int i) { return {40 + 300 * (i % 5), 60 + 220 * (i / 5)}; }
Place ByProgram(int i) { return {Shown(i).x + 20, Shown(i).y + 30}; }
Place FromOutside(int i) { return {Shown(i).x + 70, Shown(i).y + 90}; }
bool Dragged(int i) { return PLAT_GtkWindowManagerFrames() && i % 4 == 3; }

// Every fifth window has a menu bar above its content.
HMENU Bar()
{
  static const WINL_MenuGen_Entry kList[] = {{"/.BO^O:&File", 0, 0}, {"About", 40005, 0}, {"EN%%%^:", 0, 0}};
  HMENU menu = CreatePopupMenu();
  WINL_GenerateMenuFromList(menu, kList, 3);
  return menu;
}

std::string Title(int i) { return "Place " + std::to_string(i); }
std::string At(int x, int y) { return " " + std::to_string(x) + " " + std::to_string(y); }
bool Xdo(const std::string& args) { return std::system(("xdotool" + args + " >/dev/null").c_str()) == 0; }

Place OnDisplay(HWND w)
{
  int x = 0, y = 0, width = 0, height = 0;
  PLAT_GtkTestWindowFrame(WINL_GetNativeWindow(w), &x, &y, &width, &height);
  return {x, y};
}

bool AllOnDisplayAt(const std::vector<HWND>& windows, Place (*where)(int))
{
  for (int i = 0; i < kWindows; ++i)
    if (OnDisplay(windows[i]).x != where(i).x || OnDisplay(windows[i]).y != where(i).y) return false;
  return true;
}

// GetWindowRect, and the same from the display's own position, y up.
std::vector<LONG> LayerRect(HWND w)
{
  RECT r{};
  GetWindowRect(w, &r);
  return {r.left, r.top, r.right, r.bottom};
}
std::vector<LONG> DisplayRect(HWND w, int screenH)
{
  const Place p = OnDisplay(w);
  return {p.x, screenH - p.y - kHeight, p.x + kWidth, screenH - p.y};
}

// The window manager starts moving the window at the pointer's first motion
// and moves it with each motion after; motions that reach it together count
// as one, so the pointer goes on in steps until the window follows.
bool DragByTitle(HWND w, Place grab, int dx, int dy)
{
  const Place from = OnDisplay(w);
  const auto at = [&](int x, int y) {
    return [=] { return OnDisplay(w).x == from.x + x && OnDisplay(w).y == from.y + y; };
  };
  bool follows = false;
  bool done = Xdo(" mousemove --sync" + At(grab.x, grab.y) + " mousedown 1 mousemove --sync" + At(grab.x + 1, grab.y));
  for (int step = 1; step < 4 && done && !follows; ++step)
    follows = (done = Xdo(" mousemove --sync" + At(grab.x + dx * step / 4, grab.y + dy * step / 4))) &&
              WaitFor(at(dx * step / 4, dy * step / 4), std::chrono::seconds(2));
  done = done && follows && Xdo(" mousemove --sync" + At(grab.x + dx, grab.y + dy));
  return Xdo(" mouseup 1") && done && WaitFor(at(dx, dy), kBusyLimit);
}
}  // namespace

TEST_F(WinlPlaceGtk, TwentyWindowsMovedAtOnceAreWhereTheDisplayHasThem)
{
  const int screenH = GetSystemMetrics(SM_CYSCREEN);
  ASSERT_GE(screenH, 1100);
  std::vector<HWND> windows;
  for (int i = 0; i < kWindows; ++i)
  {
    const char* plain = reinterpret_cast<const char*>(WINL_NO_RESOURCE);
    windows.push_back(WINL_CreateDialog(nullptr, plain, nullptr, LoggingDlgProc, 0));
    SetWindowText(windows[i], Title(i).c_str());
    SetWindowPos(windows[i], nullptr, Shown(i).x, screenH - Shown(i).y - kHeight, kWidth, kHeight, SWP_NOZORDER);
    if (i % 5 == 0) SetMenu(windows[i], Bar());
  }
  MessageLog().clear();
  for (HWND w : windows) ShowWindow(w, SW_SHOW);
  for (int i = 0; i < kWindows; ++i)
    SetWindowPos(windows[i], nullptr, ByProgram(i).x, screenH - ByProgram(i).y - kHeight, 0, 0,
                 SWP_NOZORDER | SWP_NOSIZE);
  ASSERT_TRUE(LoopUntil([&] {
    for (HWND w : windows)
      if (PLAT_GtkWindowManagerFrames() && WINL_GetNativeWindow(w)->DecorationTop() == 0) return false;
    return AllOnDisplayAt(windows, ByProgram);
  }));
  // The requests at once, in one command, then the drags.
  std::string requests;
  for (int i = 0; i < kWindows; ++i)
    if (!Dragged(i))
      requests += " search --name '^" + Title(i) + "$' windowmove %1" + At(FromOutside(i).x, FromOutside(i).y);
  ASSERT_TRUE(Xdo(requests));
  for (int i = 0; i < kWindows; ++i)
    if (Dragged(i))
    {
      const Place grab{ByProgram(i).x + 60, ByProgram(i).y - WINL_GetNativeWindow(windows[i])->DecorationTop() / 2};
      EXPECT_TRUE(DragByTitle(windows[i], grab, FromOutside(i).x - ByProgram(i).x, FromOutside(i).y - ByProgram(i).y))
          << Title(i);
    }
  EXPECT_TRUE(LoopUntil([&] {
    for (HWND w : windows)
      if (LayerRect(w) != DisplayRect(w, screenH)) return false;
    return AllOnDisplayAt(windows, FromOutside);
  }));

  for (int i = 0; i < kWindows; ++i)
  {
    HWND w = windows[i];
    SCOPED_TRACE(Title(i) + (Dragged(i) ? " dragged" : " moved by a request"));
    EXPECT_EQ(LayerRect(w), DisplayRect(w, screenH));
    int sx = 0, sy = 0;
    ASSERT_TRUE(PLAT_GtkTestScreenPoint(WINL_GetNativeView(w), 15, 25, &sx, &sy));
    POINT p{15, 25};
    ClientToScreen(w, &p);
    EXPECT_EQ((std::vector<LONG>{p.x, p.y}), (std::vector<LONG>{sx, screenH - sy}));
    ScreenToClient(w, &p);
    EXPECT_EQ((std::vector<LONG>{p.x, p.y}), (std::vector<LONG>{15, 25}));
    // WM_MOVE gives the lower-left corner, y up: the program's move first,
    // the one from outside last.
    std::vector<LPARAM> moves;
    for (const LoggedMessage& m : MessageLog())
      if (m.hwnd == w && m.msg == WM_MOVE) moves.push_back(m.lParam);
    ASSERT_GE(moves.size(), 2u);
    EXPECT_EQ(moves.front(), WINL_PackPoint(ByProgram(i).x, screenH - ByProgram(i).y - kHeight));
    EXPECT_EQ(moves.back(), WINL_PackPoint(FromOutside(i).x, screenH - FromOutside(i).y - kHeight));
  }
}
