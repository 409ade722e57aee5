// Windows on a (virtual) display: clicks made through the toolkit's test
// input, frames on the screen, pixels of painted dialogs, the close button,
// modal runs, and an application on the runner stopped by a signal. The
// display is 2400 x 1800 without a window manager.
#include "platform/gtk/PLAT_GtkView.h"
#include "winl/WINL_App.h"
#include "winl/WINL_Controls.h"
#include "winl/WINL_Dialog.h"
#include "winl/WINL_Menu.h"
#include "winl/draw/WINL_GDI.h"
#include "winl/WINL_Queue.h"
#include "winl/WINL_Window.h"

#include "WinlGtkTest.h"
#include "WinlMessageLog.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

// Last: its macros would reach the headers above.
#include <X11/Xlib.h>

namespace
{
using WinlGtk = WinlGtkTest;

HWND ShownWindow(WNDPROC proc, int width, int height)
{
  HWND w = WINL_CreateDialog(nullptr, reinterpret_cast<const char*>(WINL_NO_RESOURCE), nullptr, proc, 0);
  SetWindowPos(w, nullptr, 300, 600, width, height, SWP_NOZORDER);
  ShowWindow(w, SW_SHOW);
  EXPECT_TRUE(LoopUntil([w] { return PLAT_GtkTestIsViewable(WINL_GetNativeView(w)); }));
  return w;
}

std::vector<LoggedMessage> ButtonMessages(HWND w)
{
  std::vector<LoggedMessage> out;
  for (const LoggedMessage& m : MessageLog())
    if (m.hwnd == w && m.msg >= WM_LBUTTONDOWN && m.msg <= WM_MBUTTONDBLCLK) out.push_back(m);
  return out;
}

void Click(HWND w, int x, int y)
{
  PLAT_GtkTestButton(WINL_GetNativeView(w), x, y, 1, true);
  PLAT_GtkTestButton(WINL_GetNativeView(w), x, y, 1, false);
}

// ---- input ----

TEST_F(WinlGtk, ClicksReachTheProcedureAsButtonMessages)
{
  HWND w = ShownWindow(LoggingProc, 200, 100);
  HWND child = WINL_CreateView(w, LoggingProc, 0);
  SetWindowPos(child, nullptr, 100, 0, 100, 100, SWP_NOZORDER);
  ShowWindow(child, SW_SHOW);
  Click(w, 10, 20);
  ASSERT_TRUE(LoopUntil([w] { return ButtonMessages(w).size() == 2; }));
  std::vector<LoggedMessage> got = ButtonMessages(w);
  EXPECT_EQ(got[0].msg, WM_LBUTTONDOWN);
  EXPECT_EQ(got[0].lParam, 0x0014000A);
  EXPECT_EQ(got[1].msg, WM_LBUTTONUP);
  EXPECT_EQ(got[1].lParam, 0x0014000A);
  // A click gives the clicked view the keyboard focus.
  EXPECT_EQ(GetFocus(), w);
  ASSERT_TRUE(LoopUntil([child] { return PLAT_GtkTestIsViewable(WINL_GetNativeView(child)); }));
  Click(child, 5, 6);
  ASSERT_TRUE(LoopUntil([child] { return ButtonMessages(child).size() == 2; }));
  EXPECT_EQ(ButtonMessages(child)[0].lParam, 0x00060005);
  EXPECT_EQ(GetFocus(), child);

  // Far enough from the first click to start a new count.
  MessageLog().clear();
  Click(w, 60, 50);
  Click(w, 60, 50);
  ASSERT_TRUE(LoopUntil([w] { return ButtonMessages(w).size() == 4; }));
  std::vector<UINT> kinds;
  for (const LoggedMessage& m : ButtonMessages(w)) kinds.push_back(m.msg);
  EXPECT_EQ(kinds, (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP}));
  EXPECT_EQ(ButtonMessages(w)[2].lParam, 0x0032003C);
}

std::vector<GESTUREINFO> gGestures;
std::vector<WPARAM> gGestureWParams;

LRESULT GestureLogger(HWND h, UINT m, WPARAM w, LPARAM l)
{
  if (m == WM_GESTURE)
  {
    GESTUREINFO info{};
    EXPECT_TRUE(WINL_GetGestureInfo(l, &info));
    gGestures.push_back(info);
    gGestureWParams.push_back(w);
    return 0;
  }
  return DefWindowProc(h, m, w, l);
}

TEST_F(WinlGtk, APinchOnTheTouchpadZoomsAndTurns)
{
  gGestures.clear();
  gGestureWParams.clear();
  HWND w = ShownWindow(GestureLogger, 200, 100);
  // scale and turn: each gives a begin and an end message
  struct Case { const char* name; double scale; double clockwise; std::vector<DWORD> ids; std::vector<uint64_t> args; }
  const kCases[] = {
      {"a quarter larger", 1.25, 0, {GID_ZOOM, GID_ZOOM}, {1024, 1280}},
      {"half as large: the step is bounded", 0.25, 0, {GID_ZOOM, GID_ZOOM}, {1024, 512}},
      {"thirty degrees to the left", 1, -30, {GID_ROTATE, GID_ROTATE}, {0, 32767 + 16383}},
      {"both, the turn first", 1.5, 6, {GID_ROTATE, GID_ROTATE, GID_ZOOM, GID_ZOOM}, {0, 32767 - 3276, 1024, 1536}},
      {"two turns to the right, bounded at no turn", 1, 150, {GID_ROTATE, GID_ROTATE}, {0, 0}},
  };
  for (const Case& c : kCases)
  {
    gGestures.clear();
    gGestureWParams.clear();
    ASSERT_TRUE(PLAT_GtkTestPinch(WINL_GetNativeView(w), 50, 40, c.scale, c.clockwise));
    ASSERT_TRUE(LoopUntil([&] { return gGestures.size() >= c.ids.size(); })) << c.name;
    Pump(2);
    std::vector<DWORD> ids;
    std::vector<uint64_t> args;
    for (const GESTUREINFO& g : gGestures)
    {
      ids.push_back(g.dwID);
      args.push_back(g.ullArguments);
      EXPECT_EQ(g.cbSize, 56u);
      EXPECT_EQ(g.hwndTarget, w);
      EXPECT_EQ(g.ptsLocation.x, 350) << c.name;
      EXPECT_EQ(g.ptsLocation.y, 660) << c.name;
    }
    EXPECT_EQ(ids, c.ids) << c.name;
    EXPECT_EQ(args, c.args) << c.name;
    for (size_t i = 0; i < gGestures.size(); ++i)
    {
      const bool begin = i % 2 == 0;
      EXPECT_EQ(gGestures[i].dwFlags, begin ? GF_BEGIN : GF_END) << c.name << i;
      EXPECT_EQ(gGestureWParams[i], begin ? 0u : gGestures[i].ullArguments) << c.name << i;
    }
  }
  GESTUREINFO info{};
  EXPECT_FALSE(WINL_GetGestureInfo(0, &info));
  EXPECT_FALSE(WINL_GetGestureInfo(reinterpret_cast<LPARAM>(&info), nullptr));
}

// Limits a window of at least 300 x 200 and at most 600 x 400 asks for.
LRESULT LimitedProc(HWND h, UINT m, WPARAM w, LPARAM l)
{
  if (m == WM_GETMINMAXINFO)
  {
    auto* info = reinterpret_cast<MINMAXINFO*>(l);
    info->ptMinTrackSize = {300, 200};
    info->ptMaxTrackSize = {600, 400};
    return 0;
  }
  return DefWindowProc(h, m, w, l);
}

TEST_F(WinlGtk, SizeLimitsBoundTheUsersSizing)
{
  // A window the user may size.
  HWND w = WINL_CreateDialog(nullptr, reinterpret_cast<const char*>(WINL_NO_RESOURCE + 1), nullptr, LimitedProc, 0);
  SetWindowPos(w, nullptr, 300, 600, 400, 300, SWP_NOZORDER);
  ShowWindow(w, SW_SHOW);
  ASSERT_TRUE(LoopUntil([w] { return PLAT_GtkTestIsViewable(WINL_GetNativeView(w)); }));
  PLAT_GtkWindow* window = WINL_GetNativeWindow(w);
  int minW = 0, minH = 0, maxW = 0, maxH = 0;
  ASSERT_TRUE(PLAT_GtkTestWindowSizeHints(window, &minW, &minH, &maxW, &maxH));
  EXPECT_EQ((std::vector<int>{minW, minH, maxW, maxH}), (std::vector<int>{300, 200, 600, 400}));
  // asked for from outside, then the frame the window keeps
  // (Sizes within the limits first: a size brought back is the layer's
  // own request, and the display's reports of other sizes that come while
  // it is on its way are taken as stale.)
  struct Case { int w, h, gotW, gotH; } const kCases[] = {
      {450, 250, 450, 250}, {600, 400, 600, 400}, {300, 200, 300, 200},
      {1000, 1000, 600, 400}, {299, 199, 300, 200}, {601, 401, 600, 400},
  };
  for (const Case& c : kCases)
  {
    PLAT_GtkTestResizeFromOutside(window, c.w, c.h);
    RECT r{};
    int x = 0, y = 0, fw = 0, fh = 0;
    LoopUntil([&] {
      GetWindowRect(w, &r);
      PLAT_GtkTestWindowFrame(window, &x, &y, &fw, &fh);
      return r.right - r.left == c.gotW && r.bottom - r.top == c.gotH && fw == c.gotW && fh == c.gotH;
    });
    Pump(5);
    GetWindowRect(w, &r);
    EXPECT_EQ(r.right - r.left, c.gotW) << c.w;
    EXPECT_EQ(r.bottom - r.top, c.gotH) << c.h;
    PLAT_GtkTestWindowFrame(window, &x, &y, &fw, &fh);
    EXPECT_EQ(fw, c.gotW) << c.w;
    EXPECT_EQ(fh, c.gotH) << c.h;
  }
}

// Answers the hit test: the top 10 rows are the caption (2), the rest the
// client area; logs everything.
LRESULT CaptionedProc(HWND h, UINT m, WPARAM w, LPARAM l)
{
  MessageLog().push_back({h, m, w, l});
  if (m == WM_NCHITTEST)
  {
    POINT p{GET_X_LPARAM(l), GET_Y_LPARAM(l)};
    ScreenToClient(h, &p);
    return p.y < 10 ? 2 : HTCLIENT;
  }
  return DefWindowProc(h, m, w, l);
}

// The mouse messages (and the context menu) a window received, with the
// WM_SETCURSOR that follow: message, wParam, lParam.
std::vector<std::vector<LONG_PTR>> PointerMessages(HWND w)
{
  std::vector<std::vector<LONG_PTR>> out;
  for (const LoggedMessage& m : MessageLog())
  {
    const bool pointer = (m.msg >= WM_LBUTTONDOWN && m.msg <= WM_MBUTTONDBLCLK) || m.msg == WM_MOUSEWHEEL ||
                         (m.msg >= WM_NCMOUSEMOVE + 1 && m.msg <= WM_NCMOUSEMOVE + 9) || m.msg == WM_CONTEXTMENU ||
                         m.msg == WM_SETCURSOR;
    if (m.hwnd == w && pointer)
      out.push_back({static_cast<LONG_PTR>(m.msg), static_cast<LONG_PTR>(m.wParam), static_cast<LONG_PTR>(m.lParam)});
  }
  return out;
}

TEST_F(WinlGtk, RealPointerButtonsWheelHitTestAndCapture)
{
  HWND w = ShownWindow(CaptionedProc, 200, 100);
  int sx = 0, sy = 0;
  ASSERT_TRUE(PLAT_GtkTestScreenPoint(WINL_GetNativeView(w), 50, 40, &sx, &sy));
  // The point in the layer's screen coordinates (y up), packed.
  POINT screen{50, 40};
  ClientToScreen(w, &screen);
  const LONG_PTR at = WINL_PackPoint(screen.x, screen.y);
  const LONG_PTR client = WINL_PackPoint(50, 40);
  const LONG_PTR hw = reinterpret_cast<LONG_PTR>(w);
  const LONG_PTR up = static_cast<LONG_PTR>(WM_LBUTTONUP) << 16 | 1;
  const LONG_PTR rup = static_cast<LONG_PTR>(WM_RBUTTONUP) << 16 | 1;
  const LONG_PTR mup = static_cast<LONG_PTR>(WM_MBUTTONUP) << 16 | 1;
  // name, emulation, xdotool input at the point, messages
  struct Case { const char* name; bool emulate; const char* input; std::vector<std::vector<LONG_PTR>> want; };
  const Case kCases[] = {
      {"wheel away", false, "click 4", {{WM_MOUSEWHEEL, 60 << 16, at}}},
      {"wheel towards", false, "click 5", {{WM_MOUSEWHEEL, static_cast<LONG_PTR>(static_cast<WPARAM>(-60 * 65536)), at}}},
      {"right button", false, "click 3",
       {{WM_RBUTTONDOWN, 0, client}, {WM_RBUTTONUP, 0, client}, {WM_CONTEXTMENU, hw, at}, {WM_SETCURSOR, hw, rup}}},
      {"middle button", false, "click 2", {{WM_MBUTTONDOWN, 0, client}, {WM_MBUTTONUP, 0, client}, {WM_SETCURSOR, hw, mup}}},
      // Super, the key the key flags leave out while emulating, stands for
      // the right button; Ctrl (Command) never does.
      {"Super and left, emulating", true, "keydown super click 1 keyup super",
       {{WM_RBUTTONDOWN, 0, client}, {WM_RBUTTONUP, 0, client}, {WM_CONTEXTMENU, hw, at}, {WM_SETCURSOR, hw, rup}}},
      {"Super and left, not emulating", false, "keydown super click 1 keyup super",
       {{WM_LBUTTONDOWN, 0, client}, {WM_LBUTTONUP, 0, client}, {WM_SETCURSOR, hw, up}}},
      {"Ctrl and left, emulating", true, "keydown ctrl click 1 keyup ctrl",
       {{WM_LBUTTONDOWN, 0, client}, {WM_LBUTTONUP, 0, client}, {WM_SETCURSOR, hw, up}}},
  };
  for (const Case& c : kCases)
  {
    WINL_EnableRightClickEmulate(c.emulate);
    // Away first, and long enough after the last click for a new count.
    Pump(1);
    const std::string cmd = "xdotool mousemove --sync 1 1 sleep 0.5 mousemove --sync " + std::to_string(sx) + " " +
                            std::to_string(sy) + " " + c.input;
    MessageLog().clear();
    ASSERT_EQ(std::system(cmd.c_str()), 0) << c.name;
    LoopUntil([&] { return PointerMessages(w).size() >= c.want.size(); });
    Pump(3);
    std::vector<std::vector<LONG_PTR>> got;
    for (const auto& m : PointerMessages(w))
      if (m[0] != WM_SETCURSOR || m[2] >> 16 != WM_MOUSEMOVE) got.push_back(m);
    EXPECT_EQ(got, c.want) << c.name;
  }
  WINL_EnableRightClickEmulate(false);

  // In the caption the presses come in their non-client forms with the
  // hit code and the screen point.
  int cx = 0, cy = 0;
  ASSERT_TRUE(PLAT_GtkTestScreenPoint(WINL_GetNativeView(w), 50, 5, &cx, &cy));
  POINT capt{50, 5};
  ClientToScreen(w, &capt);
  MessageLog().clear();
  const std::string caption = "xdotool mousemove --sync " + std::to_string(cx) + " " + std::to_string(cy) + " click 1";
  ASSERT_EQ(std::system(caption.c_str()), 0);
  LoopUntil([&] { return MessagesTo(w, {WM_NCMOUSEMOVE + 2}).size() == 1; });
  std::vector<std::vector<LONG_PTR>> nc;
  for (const auto& m : PointerMessages(w))
    if (m[0] == WM_NCMOUSEMOVE + 1 || m[0] == WM_NCMOUSEMOVE + 2) nc.push_back(m);
  const LONG_PTR capAt = WINL_PackPoint(capt.x, capt.y);
  EXPECT_EQ(nc, (std::vector<std::vector<LONG_PTR>>{{WM_NCMOUSEMOVE + 1, 2, capAt}, {WM_NCMOUSEMOVE + 2, 2, capAt}}));

  // While a child holds the capture, a click anywhere in the window is its,
  // in its own coordinates, without a hit test.
  HWND child = WINL_CreateView(w, CaptionedProc, 0);
  SetWindowPos(child, nullptr, 150, 0, 50, 50, SWP_NOZORDER);
  ShowWindow(child, SW_SHOW);
  SetCapture(child);
  MessageLog().clear();
  const std::string click = "xdotool mousemove --sync " + std::to_string(sx) + " " + std::to_string(sy) + " click 1";
  ASSERT_EQ(std::system(click.c_str()), 0);
  LoopUntil([&] { return MessagesTo(child, {WM_LBUTTONUP}).size() == 1; });
  EXPECT_TRUE(MessagesTo(w, {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_NCHITTEST}).empty());
  EXPECT_EQ(MessagesTo(child, {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_NCHITTEST}),
            (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONUP}));
  for (const LoggedMessage& m : MessageLog())
    if (m.hwnd == child && m.msg == WM_LBUTTONDOWN)
    {
      EXPECT_EQ(m.lParam, WINL_PackPoint(50 - 150, 40));
    }
  ReleaseCapture();
}

// Answers WM_NCHITTEST with gHitCode and logs every message.
LRESULT gHitCode = HTCLIENT;
LRESULT HitCodeProc(HWND h, UINT m, WPARAM w, LPARAM l)
{
  MessageLog().push_back({h, m, w, l});
  return m == WM_NCHITTEST ? gHitCode : DefWindowProc(h, m, w, l);
}

// The holder of the capture in one window, clicks in another one 500 pixels
// to its right, far enough apart not to make double clicks.
TEST_F(WinlGtk, AWindowForwardsItsClicksToTheCaptureInAnotherWindow)
{
  HWND holder = ShownWindow(HitCodeProc, 200, 100);
  HWND other = ShownWindow(LoggingProc, 200, 100);
  SetWindowPos(other, nullptr, 800, 600, 200, 100, SWP_NOZORDER);
  ASSERT_TRUE(LoopUntil([&] {
    RECT a{}, b{};
    GetWindowRect(holder, &a);
    GetWindowRect(other, &b);
    return b.left - a.left == 500 && b.top == a.top;
  }));
  SetCapture(holder);
  constexpr LRESULT kCaption = 2;
  const UINT kButtons[] = {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_NCHITTEST, WM_NCMOUSEMOVE + 1, WM_NCMOUSEMOVE + 2};
  const std::vector<UINT> buttons(std::begin(kButtons), std::end(kButtons));

  // Off: the clicked window has them.
  Click(other, 150, 80);
  ASSERT_TRUE(LoopUntil([&] { return ButtonMessages(other).size() == 2; }));
  EXPECT_TRUE(MessagesTo(holder, buttons).empty());

  const struct
  {
    LRESULT hit;
    int x, y;
    std::vector<LoggedMessage> expected;  // what the holder gets after WM_NCHITTEST
  } cases[] = {
      {HTCLIENT, 10, 20, {{holder, WM_LBUTTONDOWN, 0, 0x001401FE}, {holder, WM_LBUTTONUP, 0, 0x001401FE}}},
      {kCaption, 100, 60, {{holder, WM_NCMOUSEMOVE + 1, kCaption, -1}, {holder, WM_NCMOUSEMOVE + 2, kCaption, -1}}},
  };
  WINL_SetWindowForwardsMouseToCapture(other, true);
  for (const auto& c : cases)
  {
    MessageLog().clear();
    gHitCode = c.hit;
    Click(other, c.x, c.y);
    ASSERT_TRUE(LoopUntil([&] { return MessagesTo(holder, buttons).size() == 4; })) << c.hit;
    std::vector<LoggedMessage> got;
    for (const LoggedMessage& m : MessageLog())
      if (m.hwnd == holder && m.msg != WM_NCHITTEST &&
          std::find(buttons.begin(), buttons.end(), m.msg) != buttons.end())
        got.push_back(m);
    EXPECT_EQ(MessagesTo(holder, buttons)[0], static_cast<UINT>(WM_NCHITTEST)) << c.hit;
    ASSERT_EQ(got.size(), 2u) << c.hit;
    for (size_t i = 0; i < 2; ++i)
    {
      EXPECT_EQ(got[i].msg, c.expected[i].msg) << c.hit;
      EXPECT_EQ(got[i].wParam, c.expected[i].wParam) << c.hit;
      // Non-client forms carry the screen position, which is not fixed here.
      if (c.expected[i].lParam != -1)
      {
        EXPECT_EQ(got[i].lParam, c.expected[i].lParam) << c.hit;
      }
    }
    EXPECT_TRUE(ButtonMessages(other).empty()) << c.hit;
  }
  gHitCode = HTCLIENT;
  ReleaseCapture();
}

// A dialog procedure asking for the focus on the dialog itself.
LRESULT FocusOnDialog(HWND h, UINT m, WPARAM w, LPARAM l)
{
  MessageLog().push_back({h, m, w, l});
  return m == WM_INITDIALOG ? 0xBEEF : 0;
}

void CreateOneField(HWND hwnd, int)
{
  WINL_MakeSetCurParms(1.0f, 1.0f, 0, 0, hwnd, false, false);
  WINL_MakeEditField(30, 10, 10, 80, 20, 0);
}

TEST_F(WinlGtk, BeefFromInitDialogPutsTheFocusOnTheDialog)
{
  static WINL_DialogResourceIndex res{reinterpret_cast<const char*>(uintptr_t{63}), "Focus", 12, CreateOneField, 200,
                                      100, nullptr};
  struct Case { WNDPROC proc; bool onDialog; } const kCases[] = {{FocusOnDialog, true}, {LoggingDlgProc, false}};
  for (const Case& c : kCases)
  {
    HWND d = WINL_CreateDialog(&res, res.resid, nullptr, c.proc, 0);
    ShowWindow(d, SW_SHOW);
    ASSERT_TRUE(LoopUntil([d] { return PLAT_GtkTestIsViewable(WINL_GetNativeView(d)); }));
    Pump(3);
    if (c.onDialog)
    {
      EXPECT_EQ(GetFocus(), d);
    }
    else
    {
      EXPECT_NE(GetFocus(), d);
    }
    DestroyWindow(d);
  }
}

TEST_F(WinlGtk, AFocusMarkCoversTheRectangleUntilRemoved)
{
  HWND w = ShownWindow(LoggingProc, 200, 100);
  int sx = 0, sy = 0;
  ASSERT_TRUE(PLAT_GtkTestScreenPoint(WINL_GetNativeView(w), 25, 16, &sx, &sy));
  void* state = nullptr;
  const RECT first{25, 16, 65, 36};
  WINL_DrawFocusRect(w, &first, &state);
  ASSERT_NE(state, nullptr);
  PLAT_Rect frame{};
  auto* overlay = static_cast<PLAT_GtkOverlay*>(state);
  LoopUntil([&] { return PLAT_GtkTestOverlayFrame(overlay, &frame) && frame.x == sx && frame.y == sy; });
  EXPECT_EQ((std::vector<int>{frame.x, frame.y, frame.w, frame.h}), (std::vector<int>{sx, sy, 40, 20}));
  // A new rectangle moves the mark; a null one removes it.
  const RECT second{20, 10, 30, 20};
  WINL_DrawFocusRect(w, &second, &state);
  overlay = static_cast<PLAT_GtkOverlay*>(state);
  LoopUntil([&] { return PLAT_GtkTestOverlayFrame(overlay, &frame) && frame.x == sx - 5; });
  EXPECT_EQ((std::vector<int>{frame.x, frame.y, frame.w, frame.h}), (std::vector<int>{sx - 5, sy - 6, 10, 10}));
  WINL_DrawFocusRect(w, nullptr, &state);
  EXPECT_EQ(state, nullptr);
  WINL_DrawFocusRect(w, nullptr, nullptr);
  // A child's client point is its window's point offset by the child's place.
  HWND child = WINL_CreateView(w, LoggingProc, 0);
  SetWindowPos(child, nullptr, 20, 10, 100, 60, SWP_NOZORDER);
  POINT viaChild{5, 6}, viaWindow{25, 16};
  ClientToScreen(child, &viaChild);
  ClientToScreen(w, &viaWindow);
  EXPECT_EQ((std::vector<LONG>{viaChild.x, viaChild.y}), (std::vector<LONG>{viaWindow.x, viaWindow.y}));
}

TEST_F(WinlGtk, ShownWindowIsActivatedAndTheApplicationToo)
{
  HWND w = ShownWindow(LoggingProc, 200, 100);
  ASSERT_TRUE(LoopUntil([w] { return !MessagesTo(w, {WM_ACTIVATEAPP}).empty(); }));
  EXPECT_EQ(MessagesTo(w, {WM_ACTIVATE, WM_ACTIVATEAPP}), (std::vector<UINT>{WM_ACTIVATE, WM_ACTIVATEAPP}));
  for (const LoggedMessage& m : MessageLog())
  {
    if (m.msg == WM_ACTIVATE || m.msg == WM_ACTIVATEAPP)
    {
      EXPECT_EQ(m.wParam, 1u);
    }
  }
}

LRESULT KeyLogger(HWND h, UINT m, WPARAM w, LPARAM l)
{
  MessageLog().push_back({h, m, w, l});
  // Keys other than A go back to the toolkit.
  if (m == WM_KEYDOWN || m == WM_KEYUP) return w == 'A' ? 0 : WINL_KEY_NOT_HANDLED;
  return 0;
}

TEST_F(WinlGtk, KeysReachTheViewWithTheFocus)
{
  HWND w = ShownWindow(KeyLogger, 200, 100);
  SetFocus(w);
  ASSERT_TRUE(LoopUntil([w] { return GetFocus() == w; }));
  PLAT_GtkTestKey(WINL_GetNativeView(w), 'a', true);
  PLAT_GtkTestKey(WINL_GetNativeView(w), 'a', false);
  ASSERT_TRUE(LoopUntil([w] { return MessagesTo(w, {WM_KEYUP}).size() == 1; }));
  EXPECT_EQ(MessagesTo(w, {WM_KEYDOWN, WM_KEYUP}), (std::vector<UINT>{WM_KEYDOWN, WM_KEYUP}));
  for (const LoggedMessage& m : MessageLog())
  {
    if (m.msg == WM_KEYDOWN || m.msg == WM_KEYUP)
    {
      EXPECT_EQ(m.wParam, static_cast<WPARAM>('A'));
      EXPECT_EQ(m.lParam, 1);
    }
  }
}

// ---- drawing on a window ----

LRESULT Painter(HWND h, UINT m, WPARAM w, LPARAM l)
{
  MessageLog().push_back({h, m, w, l});
  if (m == WM_PAINT)
  {
    // Inside the paint, GetDC hands out the paint context.
    HDC dc = GetDC(h);
    EXPECT_EQ(dc, reinterpret_cast<HDC>(w));
    EXPECT_EQ(ReleaseDC(h, dc), 1);
  }
  return 0;
}

TEST_F(WinlGtk, UpdateWindowPaintsAtOnceAndGetDCDrawsOutsideThePaint)
{
  HWND w = ShownWindow(Painter, 200, 100);
  ASSERT_TRUE(LoopUntil([w] { return !MessagesTo(w, {WM_PAINT}).empty(); }));
  MessageLog().clear();
  InvalidateRect(w, nullptr, FALSE);
  UpdateWindow(w);
  EXPECT_EQ(MessagesTo(w, {WM_PAINT}).size(), 1u);

  HDC dc = GetDC(w);
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(GetDC(w), nullptr);  // one at a time
  HBRUSH brush = CreateSolidBrush(0x00FF00);
  const RECT r{0, 0, 10, 10};
  WINL_FillRect(dc, &r, brush);
  DeleteObject(brush);
  EXPECT_EQ(ReleaseDC(w, dc), 1);
  EXPECT_EQ(ReleaseDC(w, dc), 0);
  EXPECT_FALSE(WINL_IsRetinaHWND(w));
}

// ---- frames ----

WINL_DialogResourceIndex gPrefs{reinterpret_cast<const char*>(40002), "Preferences", 12, nullptr, 320, 160, nullptr};

// The screen's height in pixels as the display server itself reports it.
LONG ScreenHeightOfTheDisplay()
{
  Display* x = XOpenDisplay(nullptr);
  if (!x) return 0;
  const LONG h = DisplayHeight(x, DefaultScreen(x));
  XCloseDisplay(x);
  return h;
}

TEST_F(WinlGtk, FramesAreYUpAndTheDisplayAgrees)
{
  HWND d = WINL_CreateDialog(&gPrefs, gPrefs.resid, nullptr, LoggingProc, 0);
  ShowWindow(d, SW_SHOW);
  ASSERT_TRUE(LoopUntil([d] { return PLAT_GtkTestIsViewable(WINL_GetNativeView(d)); }));
  // The y-up frames count from the screen's bottom, whatever its height.
  const LONG screenH = ScreenHeightOfTheDisplay();
  ASSERT_GT(screenH, 600);
  RECT r;
  GetWindowRect(d, &r);
  // 50 right of and 100 below the work area's top-left corner.
  EXPECT_EQ((std::vector<LONG>{r.left, r.top, r.right, r.bottom}),
            (std::vector<LONG>{50, screenH - 260, 370, screenH - 100}));
  GetClientRect(d, &r);
  EXPECT_EQ((std::vector<LONG>{r.left, r.top, r.right, r.bottom}), (std::vector<LONG>{0, 0, 320, 160}));
  int x, y, w, h;
  ASSERT_TRUE(LoopUntil([&] {
    PLAT_GtkTestWindowFrame(WINL_GetNativeWindow(d), &x, &y, &w, &h);
    return x == 50 && y == 100 && w == 320 && h == 160;
  })) << x << "," << y << " " << w << "x" << h;

  MessageLog().clear();
  SetWindowPos(d, nullptr, 200, 300, 400, 250, SWP_NOZORDER);
  GetWindowRect(d, &r);
  EXPECT_EQ((std::vector<LONG>{r.left, r.top, r.right, r.bottom}), (std::vector<LONG>{200, 300, 600, 550}));
  ASSERT_TRUE(LoopUntil([&] {
    PLAT_GtkTestWindowFrame(WINL_GetNativeWindow(d), &x, &y, &w, &h);
    return x == 200 && y == screenH - 550 && w == 400 && h == 250;
  })) << x << "," << y << " " << w << "x" << h;
  // The display's report of the new frame sends nothing more.
  EXPECT_EQ(MessagesTo(d, {WM_SIZE, WM_MOVE}), (std::vector<UINT>{WM_SIZE, WM_MOVE}));
  for (const LoggedMessage& m : MessageLog())
  {
    if (m.msg == WM_MOVE)
    {
      EXPECT_EQ(m.lParam, WINL_PackPoint(200, 300));
    }
  }
}

// ---- painting ----

HBRUSH gBrush = nullptr;

LRESULT ColouringDialog(HWND h, UINT m, WPARAM w, LPARAM l)
{
  MessageLog().push_back({h, m, w, l});
  return m == WM_CTLCOLORDLG ? reinterpret_cast<LRESULT>(gBrush) : 0;
}

WINL_DialogResourceIndex gOpaque{reinterpret_cast<const char*>(60), "Paint", 12 | 16, nullptr, 40, 30, nullptr};

TEST_F(WinlGtk, PaintedDialogShowsGreyOrItsBrushOnScreen)
{
  // brushColour -1: none
  struct Case { const char* name; int brushColour; uint32_t pixel; }
  kCases[] = {{"dialog grey", -1, 0xECECEC}, {"brush", 0x336699, 0x336699}};
  for (const Case& c : kCases)
  {
    gBrush = c.brushColour < 0 ? nullptr : CreateSolidBrush(c.brushColour);
    HWND d = WINL_CreateDialog(&gOpaque, gOpaque.resid, nullptr, ColouringDialog, 0);
    ShowWindow(d, SW_SHOW);
    ASSERT_TRUE(LoopUntil([d] { return PLAT_GtkTestIsViewable(WINL_GetNativeView(d)); }));
    MessageLog().clear();
    int w = 0, h = 0;
    const std::vector<uint32_t> pixels = PLAT_GtkTestSnapshot(WINL_GetNativeView(d), &w, &h);
    ASSERT_EQ(w, 40) << c.name;
    ASSERT_EQ(h, 30) << c.name;
    EXPECT_EQ(pixels[0], c.pixel) << c.name;
    EXPECT_EQ(pixels[29 * 40 + 39], c.pixel) << c.name;
    EXPECT_EQ(MessagesTo(d, {WM_NCCALCSIZE, WM_NCPAINT, WM_CTLCOLORDLG, WM_PAINT}),
              (std::vector<UINT>{WM_NCCALCSIZE, WM_NCPAINT, WM_CTLCOLORDLG, WM_PAINT}))
        << c.name;
    DestroyWindow(d);
    if (gBrush) DeleteObject(gBrush);
  }
}

// Paints the left half of its client area red and leaves the rest alone.
LRESULT HalfRedProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
  if (msg != WM_PAINT) return DefWindowProc(hwnd, msg, wParam, lParam);
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  RECT client;
  GetClientRect(hwnd, &client);
  const RECT left{0, 0, client.right / 2, client.bottom};
  HBRUSH red = CreateSolidBrush(0xFF0000);
  WINL_FillRect(dc, &left, red);
  DeleteObject(red);
  EndPaint(hwnd, &ps);
  return 0;
}

TEST_F(WinlGtk, AClearWindowShowsNothingWhereItsViewsPaintNothing)
{
  // Without a compositing manager a transparent pixel reaches the screen as
  // black; an opaque window shows the theme's window background there.
  struct Case { const char* name; bool clearBeforeShow; bool clearAfterShow; uint32_t unpainted; } const kCases[] = {
      {"opaque", false, false, 0xF6F5F4},
      {"clear from the start", true, false, 0x000000},
      {"made clear while shown", false, true, 0x000000},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.name);
    HWND w = WINL_CreateDialog(nullptr, reinterpret_cast<const char*>(WINL_NO_RESOURCE), nullptr, HalfRedProc, 0);
    SetWindowPos(w, nullptr, 300, 600, 100, 60, SWP_NOZORDER);
    if (c.clearBeforeShow) WINL_SetWindowClearBackground(w, true);
    ShowWindow(w, SW_SHOW);
    ASSERT_TRUE(LoopUntil([w] { return PLAT_GtkTestIsViewable(WINL_GetNativeView(w)); }));
    if (c.clearAfterShow)
    {
      WINL_SetWindowClearBackground(w, true);
      ASSERT_TRUE(LoopUntil([w] { return PLAT_GtkTestIsViewable(WINL_GetNativeView(w)); }));
    }
    EXPECT_TRUE(LoopUntil([&] { return ScreenPixel(w, 75, 30) == c.unpainted; }))
        << std::hex << ScreenPixel(w, 75, 30);
    EXPECT_TRUE(LoopUntil([&] { return ScreenPixel(w, 25, 30) == 0xFF0000; })) << std::hex << ScreenPixel(w, 25, 30);
    DestroyWindow(w);
  }
}

// ---- closing ----

TEST_F(WinlGtk, CloseButtonSendsCloseThenCancelAndTheWindowStays)
{
  HWND w = ShownWindow(LoggingProc, 200, 100);
  MessageLog().clear();
  PLAT_GtkTestRequestClose(WINL_GetNativeWindow(w));
  ASSERT_TRUE(LoopUntil([w] { return !MessagesTo(w, {WM_COMMAND}).empty(); }));
  EXPECT_EQ(MessagesTo(w, {WM_CLOSE, WM_COMMAND}), (std::vector<UINT>{WM_CLOSE, WM_COMMAND}));
  for (const LoggedMessage& m : MessageLog())
  {
    if (m.msg == WM_COMMAND)
    {
      EXPECT_EQ(m.wParam, static_cast<WPARAM>(IDCANCEL));
    }
  }
  EXPECT_TRUE(IsWindow(w));
  EXPECT_TRUE(IsWindowVisible(w));
}

// ---- modal runs ----

std::thread gWorker;
bool gGotPost = false;
bool gGotTimer = false;
HWND gOwner = nullptr;

LRESULT WaitingDialog(HWND h, UINT m, WPARAM w, LPARAM l)
{
  MessageLog().push_back({h, m, w, l});
  if (m == WM_INITDIALOG)
  {
    gWorker = std::thread([h] { PostMessage(h, WM_USER + 7, 0, 0); });
    SetTimer(h, 4, 20, nullptr);
    return 1;
  }
  gGotPost |= m == WM_USER + 7;
  gGotTimer |= m == WM_TIMER;
  if (gGotPost && gGotTimer) EndDialog(h, 11);
  return 0;
}

TEST_F(WinlGtk, ModalDialogDeliversPostsFromOtherThreadsAndTimers)
{
  gGotPost = gGotTimer = false;
  EXPECT_EQ(WINL_DialogBox(&gPrefs, gPrefs.resid, nullptr, WaitingDialog, 0), 11);
  gWorker.join();
  PLAT_GtkTestSettle();
  EXPECT_EQ(PLAT_GtkTestToplevelCount(), 0);
}

LRESULT EndsAtOnce(HWND h, UINT m, WPARAM, LPARAM)
{
  if (m == WM_INITDIALOG) EndDialog(h, 7);
  return m == WM_INITDIALOG ? 1 : 0;
}

TEST_F(WinlGtk, DialogEndedDuringInitDialogLeavesNoWindow)
{
  EXPECT_EQ(WINL_DialogBox(&gPrefs, gPrefs.resid, nullptr, EndsAtOnce, 0), 7);
  PLAT_GtkTestSettle();
  EXPECT_EQ(PLAT_GtkTestToplevelCount(), 0);
}

LRESULT DestroysItsOwner(HWND h, UINT m, WPARAM, LPARAM)
{
  if (m == WM_INITDIALOG) SetTimer(h, 1, 10, nullptr);
  if (m == WM_TIMER) DestroyWindow(gOwner);
  return m == WM_INITDIALOG ? 1 : 0;
}

TEST_F(WinlGtk, ModalRunEndsWithZeroWhenItsOwnerGoes)
{
  gOwner = ShownWindow(LoggingProc, 300, 200);
  EXPECT_EQ(WINL_DialogBox(&gPrefs, gPrefs.resid, gOwner, DestroysItsOwner, 0), 0);
  EXPECT_FALSE(IsWindow(gOwner));
}

// Keys as a user types them on the display: they go to the window the
// display gives the keyboard to, as no window manager is there to choose.
bool TypeOnTheDisplay(const char* keys)
{
  return std::system((std::string("xdotool key --clearmodifiers ") + keys + " >/dev/null 2>&1").c_str()) == 0;
}

bool MovePointerOnTheDisplay(int x, int y)
{
  return std::system(("xdotool mousemove " + std::to_string(x) + " " + std::to_string(y) + " >/dev/null 2>&1").c_str()) == 0;
}

HMENU gMenuWhileModal = nullptr;  // the application's menu as the dialog became active

// Once active, the dialog ends itself, as Preferences does on OK.
LRESULT EndsWhenActive(HWND h, UINT m, WPARAM w, LPARAM)
{
  if (m == WM_INITDIALOG) SetTimer(h, 3, 20, nullptr);
  if (m == WM_ACTIVATE && w == 1) gMenuWhileModal = WINL_GetCurrentMenu();
  if (m == WM_TIMER && (GetForegroundWindow() == h || IsChild(h, GetForegroundWindow()))) EndDialog(h, 1);
  return m == WM_INITDIALOG ? 1 : 0;
}

TEST_F(WinlGtk, AClosedModalDialogHandsTheKeyboardToItsOwner)
{
  HMENU modalMenu = CreatePopupMenu();
  WINL_SetDefaultModalWindowMenu(modalMenu);
  HWND owner = ShownWindow(KeyLogger, 300, 200);
  SetFocus(owner);
  ASSERT_TRUE(LoopUntil([owner] { return GetFocus() == owner; }));
  // The pointer away from every window: only the keyboard focus the
  // display was given decides where a key goes.
  ASSERT_TRUE(MovePointerOnTheDisplay(5, 5));
  EXPECT_EQ(WINL_DialogBox(&gPrefs, gPrefs.resid, owner, EndsWhenActive, 0), 1);
  EXPECT_EQ(gMenuWhileModal, modalMenu);
  EXPECT_EQ(GetForegroundWindow(), owner);
  PLAT_GtkTestSettle();
  MessageLog().clear();
  ASSERT_TRUE(TypeOnTheDisplay("a"));
  ASSERT_TRUE(LoopUntil([owner] { return MessagesTo(owner, {WM_KEYUP}).size() == 1; }));
  EXPECT_EQ(MessagesTo(owner, {WM_KEYDOWN, WM_KEYUP}), (std::vector<UINT>{WM_KEYDOWN, WM_KEYUP}));
  WINL_SetDefaultModalWindowMenu(nullptr);
  DestroyMenu(modalMenu);
}

TEST_F(WinlGtk, ModalSessionKeepsInputFromOtherWindowsUntilItEnds)
{
  HWND a = ShownWindow(LoggingProc, 200, 100);
  HWND b = ShownWindow(LoggingProc, 200, 100);
  SetWindowPos(b, nullptr, 700, 600, 200, 100, SWP_NOZORDER);
  WINL_ModalSession* session = WINL_ModalWindowStart(b);
  ASSERT_NE(session, nullptr);
  // B's click comes after A's: once B has it, A's was handled too.
  Click(a, 10, 20);
  Click(b, 10, 20);
  ASSERT_TRUE(LoopUntil([&] { return WINL_ModalWindowRun(session) == 1 && ButtonMessages(b).size() == 2; }));
  EXPECT_TRUE(ButtonMessages(a).empty());
  WINL_ModalWindowEnd(session);

  Click(a, 10, 20);
  ASSERT_TRUE(LoopUntil([a] { return ButtonMessages(a).size() == 2; }));
}

TEST_F(WinlGtk, NewCaptionStyleRemakesTheWindowInPlace)
{
  HWND w = ShownWindow(LoggingProc, 200, 100);
  SetWindowText(w, "Restyled");
  RECT before;
  GetWindowRect(w, &before);
  // answer: the previous style, 0 when nothing changes
  struct Case { const char* name; LONG_PTR style; LONG_PTR answer; LONG_PTR after; } const kCases[] = {
      {"same caption state", WS_CAPTION, 0, WS_CAPTION},
      {"resizable", WS_CAPTION | WS_THICKFRAME, WS_CAPTION, WS_CAPTION | WS_THICKFRAME},
      {"resizable again", WS_THICKFRAME, 0, WS_CAPTION | WS_THICKFRAME},
      {"bare", 0, WS_CAPTION | WS_THICKFRAME, 0},
  };
  for (const Case& c : kCases)
  {
    MessageLog().clear();
    EXPECT_EQ(SetWindowLong(w, GWL_STYLE, c.style), c.answer) << c.name;
    EXPECT_EQ(GetWindowLong(w, GWL_STYLE), c.after) << c.name;
    EXPECT_EQ(PLAT_GtkTestToplevelCount(), 1) << c.name;
    int x, y, width, height;
    ASSERT_TRUE(LoopUntil([&] {
      PLAT_GtkTestWindowFrame(WINL_GetNativeWindow(w), &x, &y, &width, &height);
      return PLAT_GtkTestIsViewable(WINL_GetNativeView(w)) && width == 200 && height == 100;
    })) << c.name;
    RECT r;
    GetWindowRect(w, &r);
    EXPECT_EQ((std::vector<LONG>{r.left, r.top, r.right, r.bottom}),
              (std::vector<LONG>{before.left, before.top, before.right, before.bottom}))
        << c.name;
    EXPECT_TRUE(MessagesTo(w, {WM_SIZE, WM_MOVE}).empty()) << c.name;
    char title[16] = {};
    GetWindowText(w, title, sizeof title);
    EXPECT_STREQ(title, "Restyled") << c.name;
    // The view went along into the new window: clicks still reach it.
    Click(w, 10, 20);
    ASSERT_TRUE(LoopUntil([w] { return ButtonMessages(w).size() == 2; })) << c.name;
  }
}

// ---- the runner ----

TEST(WinlRunner, TerminationSignalRunsTheLastCodesAndExitsCleanly)
{
  PLAT_GtkTestPrepare();
  int out[2];
  ASSERT_EQ(pipe(out), 0);
  const pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0)
  {
    dup2(out[1], 1);
    close(out[0]);
    close(out[1]);
    execl(WINL_RUNNER_APP, WINL_RUNNER_APP, static_cast<char*>(nullptr));
    _exit(127);
  }
  close(out[1]);
  std::string text;
  char buffer[256];
  // Code 2 comes from the running main loop: the signal watch is in place.
  while (text.find("2\n") == std::string::npos)
  {
    const ssize_t n = read(out[0], buffer, sizeof buffer);
    if (n <= 0) break;
    text.append(buffer, static_cast<size_t>(n));
  }
  kill(pid, SIGTERM);
  for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) > 0;) text.append(buffer, static_cast<size_t>(n));
  close(out[0]);
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  EXPECT_EQ(text, "1\n2\n4\n3\ndestroyed\n");
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
}
}  // namespace
