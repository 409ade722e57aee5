// Where top-level windows are when the program and the user move many of
// them at once: the layer's rectangles, its point conversions and its
// WM_MOVE follow the display's own positions, on the shared display without
// a window manager and on a display of the test's own where a window manager
// frames the windows with title bars. The toolkit opens its display once per
// process, so the second case runs in a process of its own.
#include "platform/gtk/PLAT_GtkView.h"
#include "winl/WINL_Dialog.h"
#include "winl/WINL_Window.h"

#include "WinlGtkTest.h"
#include "WinlMessageLog.h"

#include <spawn.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

// Last: Xlib's macros would reach the headers above.
#include "support/OwnDisplay.h"

extern char** environ;

namespace
{
using WinlPlaceGtk = WinlGtkTest;

// Set in the process the test starts on the display with the manager.
constexpr const char* kUnderManager = "ZEPHRA_TEST_UNDER_MANAGER";

constexpr int kWindows = 20;
constexpr int kWidth = 180;
constexpr int kHeight = 100;

// Top-down screen pixels of a window itself: where it is shown, where the
// program then moves it, and where the user or another program moves it.
struct Place { int x, y; };
Place Shown(int i) { return {40 + 300 * (i % 5), 60 + 220 * (i / 5)}; }
Place ByProgram(int i) { return {Shown(i).x + 20, Shown(i).y + 30}; }
Place FromOutside(int i) { return {Shown(i).x + 70, Shown(i).y + 90}; }
// Under the manager every fourth window is dragged by its title bar; the
// rest are moved by another program's request.
bool Dragged(int i, bool manager) { return manager && i % 4 == 3; }

std::string Title(int i) { return "Place " + std::to_string(i); }

int ScreenHeight()
{
  Display* x = XOpenDisplay(nullptr);
  if (!x) return 0;
  const int h = DisplayHeight(x, DefaultScreen(x));
  XCloseDisplay(x);
  return h;
}

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

// The window's rectangle as the layer gives it, y up.
std::vector<LONG> LayerRect(HWND w)
{
  RECT r{};
  GetWindowRect(w, &r);
  return {r.left, r.top, r.right, r.bottom};
}

// The same from the display's own position of the window.
std::vector<LONG> DisplayRect(HWND w, int screenH)
{
  const Place p = OnDisplay(w);
  return {p.x, screenH - p.y - kHeight, p.x + kWidth, screenH - p.y};
}

std::vector<LPARAM> MovesTo(HWND w)
{
  std::vector<LPARAM> out;
  for (const LoggedMessage& m : MessageLog())
    if (m.hwnd == w && m.msg == WM_MOVE) out.push_back(m.lParam);
  return out;
}

bool Xdo(const std::string& args) { return std::system(("xdotool" + args + " >/dev/null").c_str()) == 0; }

std::string At(int x, int y) { return " " + std::to_string(x) + " " + std::to_string(y); }

// Drags the window by its title bar, from grab, by (dx, dy). The manager
// starts moving the window at the pointer's first motion and moves it with
// each motion after; motions that reach it together count as one, so the
// pointer goes on in steps until the window follows.
bool DragByTitle(HWND w, Place grab, int dx, int dy)
{
  const Place from = OnDisplay(w);
  const auto at = [&](int x, int y) {
    return [=] { return OnDisplay(w).x == from.x + x && OnDisplay(w).y == from.y + y; };
  };
  bool follows = false;
  bool done = Xdo(" mousemove --sync" + At(grab.x, grab.y) + " mousedown 1 mousemove --sync" + At(grab.x + 1, grab.y));
  for (int step = 1; step < 4 && !follows && done; ++step)
  {
    done = Xdo(" mousemove --sync" + At(grab.x + dx * step / 4, grab.y + dy * step / 4));
    follows = WaitFor(at(dx * step / 4, dy * step / 4), std::chrono::seconds(2));
  }
  done = done && follows && Xdo(" mousemove --sync" + At(grab.x + dx, grab.y + dy));
  Xdo(" mouseup 1");
  return done && WaitFor(at(dx, dy), kBusyLimit);
}

// For a failure: each window where the display and the layer have it.
std::string Where(const std::vector<HWND>& windows, int screenH)
{
  std::string out;
  for (HWND w : windows)
  {
    const std::vector<LONG> layer = LayerRect(w);
    const std::vector<LONG> display = DisplayRect(w, screenH);
    out += "\ndisplay " + std::to_string(display[0]) + "," + std::to_string(display[1]) + "  layer " +
           std::to_string(layer[0]) + "," + std::to_string(layer[1]);
  }
  return out;
}

void MoveTwentyAtOnce(bool manager)
{
  const int screenH = ScreenHeight();
  ASSERT_GT(screenH, 1000);
  std::vector<HWND> windows;
  for (int i = 0; i < kWindows; ++i)
  {
    HWND w = WINL_CreateDialog(nullptr, reinterpret_cast<const char*>(WINL_NO_RESOURCE), nullptr, LoggingDlgProc, 0);
    SetWindowText(w, Title(i).c_str());
    SetWindowPos(w, nullptr, Shown(i).x, screenH - Shown(i).y - kHeight, kWidth, kHeight, SWP_NOZORDER);
    windows.push_back(w);
  }
  MessageLog().clear();
  for (HWND w : windows) ShowWindow(w, SW_SHOW);
  for (int i = 0; i < kWindows; ++i)
    SetWindowPos(windows[i], nullptr, ByProgram(i).x, screenH - ByProgram(i).y - kHeight, 0, 0,
                 SWP_NOZORDER | SWP_NOSIZE);
  ASSERT_TRUE(LoopUntil([&] {
    for (HWND w : windows)
      if (manager && WINL_GetNativeWindow(w)->DecorationTop() == 0) return false;
    return AllOnDisplayAt(windows, ByProgram);
  }));

  // From outside: the requests at once, in one command of the input tool,
  // then the drags.
  std::string requests;
  for (int i = 0; i < kWindows; ++i)
    if (!Dragged(i, manager))
      requests += " search --name '^" + Title(i) + "$' windowmove %1 " + std::to_string(FromOutside(i).x) + " " +
                  std::to_string(FromOutside(i).y);
  ASSERT_TRUE(Xdo(requests));
  for (int i = 0; i < kWindows; ++i)
    if (Dragged(i, manager))
    {
      const Place grab{ByProgram(i).x + 60, ByProgram(i).y - WINL_GetNativeWindow(windows[i])->DecorationTop() / 2};
      EXPECT_TRUE(DragByTitle(windows[i], grab, FromOutside(i).x - ByProgram(i).x, FromOutside(i).y - ByProgram(i).y))
          << Title(i);
    }
  ASSERT_TRUE(LoopUntil([&] {
    if (!AllOnDisplayAt(windows, FromOutside)) return false;
    for (HWND w : windows)
      if (LayerRect(w) != DisplayRect(w, screenH)) return false;
    return true;
  })) << Where(windows, screenH);

  for (int i = 0; i < kWindows; ++i)
  {
    HWND w = windows[i];
    SCOPED_TRACE(Title(i) + (Dragged(i, manager) ? " dragged" : " moved by request"));
    EXPECT_EQ(LayerRect(w), DisplayRect(w, screenH));
    // A point of the content, and back.
    int sx = 0, sy = 0;
    ASSERT_TRUE(PLAT_GtkTestScreenPoint(WINL_GetNativeView(w), 15, 25, &sx, &sy));
    EXPECT_EQ(sx, FromOutside(i).x + 15);
    EXPECT_EQ(sy, FromOutside(i).y + 25);
    POINT p{15, 25};
    ClientToScreen(w, &p);
    EXPECT_EQ((std::vector<LONG>{p.x, p.y}), (std::vector<LONG>{sx, screenH - sy}));
    ScreenToClient(w, &p);
    EXPECT_EQ((std::vector<LONG>{p.x, p.y}), (std::vector<LONG>{15, 25}));
    // WM_MOVE gives the lower-left corner, y up: the program's move first,
    // the one from outside last.
    const std::vector<LPARAM> moves = MovesTo(w);
    ASSERT_GE(moves.size(), 2u);
    EXPECT_EQ(moves.front(), WINL_PackPoint(ByProgram(i).x, screenH - ByProgram(i).y - kHeight));
    EXPECT_EQ(moves.back(), WINL_PackPoint(FromOutside(i).x, screenH - FromOutside(i).y - kHeight));
  }
}
}  // namespace

TEST_F(WinlPlaceGtk, TwentyWindowsMovedAtOnceWithoutAWindowManager) { MoveTwentyAtOnce(false); }

TEST_F(WinlPlaceGtk, TwentyWindowsMovedAtOnceUnderAWindowManager)
{
  if (std::getenv(kUnderManager))
  {
    MoveTwentyAtOnce(true);
    return;
  }
  OwnDisplay display(1600, 1100, true);
  ASSERT_TRUE(display.Up()) << display.Error();
  // This test again, in a process whose toolkit opens that display.
  std::vector<std::string> env{std::string(kUnderManager) + "=1", "DISPLAY=" + display.Name()};
  for (char** e = environ; *e; ++e)
    if (std::string(*e).rfind("DISPLAY=", 0) != 0) env.push_back(*e);
  std::vector<char*> envp;
  for (std::string& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  std::string filter = "--gtest_filter=WinlPlaceGtk.TwentyWindowsMovedAtOnceUnderAWindowManager";
  char* argv[] = {const_cast<char*>("winl_display_tests"), filter.data(), nullptr};
  pid_t child = 0;
  ASSERT_EQ(posix_spawn(&child, "/proc/self/exe", nullptr, nullptr, argv, envp.data()), 0);
  int status = -1;
  const bool ended = WaitFor([&] { return waitpid(child, &status, WNOHANG) == child; }, 4 * kBusyLimit);
  if (!ended)
  {
    kill(child, SIGKILL);
    waitpid(child, &status, 0);
  }
  EXPECT_TRUE(ended);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
}
