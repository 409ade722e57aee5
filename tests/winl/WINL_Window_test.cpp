// Window records without a display: destruction and dead handles,
// properties, longs and texts, placement and coordinates on the 1024-pixel
// screen the layer assumes without one, the capture, walks, painting and
// dialogs.
#include "winl/WINL_Dialog.h"
#include "winl/draw/WINL_GDI.h"
#include "winl/WINL_Queue.h"
#include "winl/WINL_Window.h"

#include "WINL_TestMemDC.h"
#include "WinlMessageLog.h"
#include "WinlRecordsTest.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace
{
using WinlWindow = WinlRecordsTest;

// ---- destruction ----

TEST_F(WinlWindow, DestroyedWindowAnswersZeroUntilItsRecordGoesAtTheTick)
{
  HWND v = WINL_CreateView(nullptr, [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
    LoggingProc(h, m, w, l);
    return m == WM_USER ? 42 : 0;
  }, 0);
  EXPECT_EQ(SendMessage(v, WM_USER, 0, 0), 42);
  const int records = WINL_GetWindowRecordCount();

  EXPECT_TRUE(DestroyWindow(v));
  EXPECT_EQ(MessagesTo(v, {WM_CREATE, WM_USER, WM_DESTROY}), (std::vector<UINT>{WM_CREATE, WM_USER, WM_DESTROY}));
  EXPECT_EQ(SendMessage(v, WM_USER, 0, 0), 0);
  EXPECT_EQ(SendMessage(v, WM_DESTROY, 0, 0), 0);
  EXPECT_FALSE(IsWindow(v));
  EXPECT_FALSE(DestroyWindow(v));
  EXPECT_EQ(MessagesTo(v, {WM_USER, WM_DESTROY}).size(), 2u);
  EXPECT_EQ(WINL_GetWindowRecordCount(), records);

  WINL_MessageQueue_Flush();
  EXPECT_EQ(WINL_GetWindowRecordCount(), records - 1);
  EXPECT_EQ(SendMessage(v, WM_USER, 0, 0), 0);
  // Handles are never reused.
  HWND next = WINL_CreateView(nullptr, LoggingProc, 0);
  EXPECT_NE(next, v);
  DestroyWindow(next);
}

HWND gSibling = nullptr;

TEST_F(WinlWindow, ChildThatDestroysItsSiblingLeavesEachOneDestroyOnce)
{
  HWND parent = WINL_CreateView(nullptr, LoggingProc, 0);
  HWND a = WINL_CreateView(parent, [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
    LoggingProc(h, m, w, l);
    if (m == WM_DESTROY) DestroyWindow(gSibling);
    return 0;
  }, 0);
  HWND b = WINL_CreateView(parent, LoggingProc, 0);
  HWND c = WINL_CreateView(parent, LoggingProc, 0);
  gSibling = b;
  MessageLog().clear();

  DestroyWindow(parent);
  std::vector<HWND> order;
  for (const LoggedMessage& m : MessageLog())
    if (m.msg == WM_DESTROY) order.push_back(m.hwnd);
  EXPECT_EQ(order, (std::vector<HWND>{parent, a, b, c}));
  WINL_MessageQueue_Flush();
}

TEST_F(WinlWindow, WindowDestroyedInsideItsOwnMessageLivesUntilTheMessageReturns)
{
  HWND v = WINL_CreateView(nullptr, [](HWND h, UINT m, WPARAM, LPARAM) -> LRESULT {
    if (m != WM_USER) return 0;
    DestroyWindow(h);
    // A modal run inside the handler ticks the queue.
    WINL_MessageQueue_Flush();
    return IsWindow(h) ? 1 : 2;
  }, 0);
  const int records = WINL_GetWindowRecordCount();
  EXPECT_EQ(SendMessage(v, WM_USER, 0, 0), 2);
  EXPECT_EQ(WINL_GetWindowRecordCount(), records);
  WINL_MessageQueue_Flush();
  EXPECT_EQ(WINL_GetWindowRecordCount(), records - 1);
}

// ---- properties, longs and texts ----

std::vector<std::string> gVisited;

TEST_F(WinlWindow, PropertiesSurviveACallbackThatRemovesTheCurrentAndTheNextOne)
{
  HWND v = WINL_CreateView(nullptr, LoggingProc, 0);
  EXPECT_EQ(EnumPropsEx(v, [](HWND, const char*, HANDLE, ULONG_PTR) { return TRUE; }, 0), -1);
  const char* atom = reinterpret_cast<const char*>(0x1234);
  for (const char* name : {"a", "b", "c", "d"}) SetProp(v, name, const_cast<char*>(name));
  SetProp(v, atom, reinterpret_cast<HANDLE>(7));
  SetProp(v, "b", reinterpret_cast<HANDLE>(9));  // replaces, keeps its place
  EXPECT_EQ(GetProp(v, atom), reinterpret_cast<HANDLE>(7));
  EXPECT_EQ(GetProp(v, reinterpret_cast<const char*>(0x1235)), nullptr);
  EXPECT_EQ(RemoveProp(v, atom), reinterpret_cast<HANDLE>(7));
  EXPECT_EQ(GetProp(v, atom), nullptr);

  gVisited.clear();
  const int result = EnumPropsEx(v, [](HWND h, const char* name, HANDLE, ULONG_PTR) {
    gVisited.push_back(name);
    if (gVisited.size() == 1)
    {
      RemoveProp(h, "d");
      RemoveProp(h, "c");
    }
    return TRUE;
  }, 0);
  EXPECT_EQ(result, 1);
  EXPECT_EQ(gVisited, (std::vector<std::string>{"d", "b", "a"}));
  EXPECT_EQ(GetProp(v, "b"), reinterpret_cast<HANDLE>(9));

  gVisited.clear();
  EXPECT_EQ(EnumPropsEx(v, [](HWND, const char* name, HANDLE, ULONG_PTR) { return gVisited.push_back(name), FALSE; }, 0), 0);
  EXPECT_EQ(gVisited.size(), 1u);
  DestroyWindow(v);
}

TEST_F(WinlWindow, ExtraWordsAreByteOffsetsUpTo255)
{
  struct Case { const char* name; int index; LONG_PTR readBack; } kCases[] = {
      {"first word", 0, 11}, {"second word", 8, 11}, {"inside the last word", 254, 11},
      {"last offset", 255, 11}, {"one past", 256, 0}, {"negative", -1, 0},
  };
  for (const Case& c : kCases)
  {
    HWND v = WINL_CreateView(nullptr, LoggingProc, 0);
    EXPECT_EQ(SetWindowLong(v, c.index, 11), 0) << c.name;
    EXPECT_EQ(GetWindowLong(v, c.index), c.readBack) << c.name;
    EXPECT_EQ(SetWindowLong(v, c.index, 12), c.readBack) << c.name;
    DestroyWindow(v);
  }
  HWND v = WINL_CreateView(nullptr, LoggingProc, 0);
  SetWindowLong(v, 255, 5);
  EXPECT_EQ(GetWindowLong(v, 248), 5);  // 248..255 are one word
  SetWindowLong(v, GWL_ID, 40001);
  EXPECT_EQ(GetDlgItem(v, 0), v);
  EXPECT_EQ(GetWindowLong(v, GWL_EXSTYLE), 0);
  SetWindowLong(v, GWL_EXSTYLE, 0x30);
  EXPECT_EQ(GetWindowLong(v, GWL_EXSTYLE), WS_EX_ACCEPTFILES);
  DestroyWindow(v);
}

TEST_F(WinlWindow, TitlesKeep1023BytesAndNeverHalfACharacter)
{
  struct Case { const char* name; std::string text; size_t kept; } kCases[] = {
      {"1022 bytes", std::string(1022, 'x'), 1022},
      {"1023 bytes", std::string(1023, 'x'), 1023},
      {"1024 bytes", std::string(1024, 'x'), 1023},
      // A two-byte character over the limit goes whole.
      {"character across the limit", std::string(1022, 'x') + "\xC3\xA9", 1022},
      {"character at the limit", std::string(1021, 'x') + "\xC3\xA9", 1023},
  };
  HWND v = WINL_CreateView(nullptr, LoggingProc, 0);
  std::vector<char> buffer(2048);
  for (const Case& c : kCases)
  {
    SetWindowText(v, c.text.c_str());
    EXPECT_EQ(GetWindowText(v, buffer.data(), static_cast<int>(buffer.size())), static_cast<int>(c.kept)) << c.name;
    EXPECT_EQ(std::string(buffer.data()), c.text.substr(0, c.kept)) << c.name;
  }
  DestroyWindow(v);
}

TEST(WinlText, CopiesCutAtCharacterBoundaries)
{
  struct Case { const char* name; const char* text; int size; const char* expected; } kCases[] = {
      {"ten into four", "0123456789", 4, "012"},
      {"fits with its terminator", "abc", 4, "abc"},
      {"one byte short", "abcd", 4, "abc"},
      {"size 1", "abc", 1, ""},
      {"two-byte character cut", "a\xC3\xA9", 3, "a"},
      {"two-byte character whole", "a\xC3\xA9", 4, "a\xC3\xA9"},
      {"three-byte character cut after 1", "\xE2\x82\xAC", 2, ""},
      {"three-byte character cut after 2", "\xE2\x82\xAC", 3, ""},
      {"three-byte character whole", "\xE2\x82\xAC", 4, "\xE2\x82\xAC"},
  };
  for (const Case& c : kCases)
  {
    char buffer[8];
    memset(buffer, '#', sizeof buffer);
    WINL_CFStringToCString(c.text, buffer, c.size);
    EXPECT_STREQ(buffer, c.expected) << c.name;
  }
  char untouched[2] = {'#', '#'};
  WINL_CFStringToCString("abc", untouched, 0);
  EXPECT_EQ(untouched[0], '#');

  EXPECT_EQ(WINL_CStringToCFString("caf\xC3\xA9"), "caf\xC3\xA9");
  EXPECT_EQ(WINL_CStringToCFString("caf\xE9"), "caf\xC3\xA9");  // Latin-1
  EXPECT_EQ(WINL_CStringToCFString("\xC0\x80"), "\xC3\x80\xC2\x80");  // overlong: not UTF-8
  EXPECT_EQ(WINL_CStringToCFString(nullptr), "");
}

// ---- placement and coordinates ----

TEST_F(WinlWindow, RectanglesAreYUpOnTheScreenAndScrollingMovesChildren)
{
  HWND top = TopLevel(LoggingProc);
  // Without a display the screen is 1024 x 1024.
  ASSERT_TRUE(SetWindowPos(top, nullptr, 100, 200, 300, 150, SWP_NOZORDER));
  RECT r;
  GetWindowRect(top, &r);
  EXPECT_EQ((std::vector<LONG>{r.left, r.top, r.right, r.bottom}), (std::vector<LONG>{100, 200, 400, 350}));
  ASSERT_TRUE(GetWindowContentViewRect(top, &r));
  EXPECT_EQ((std::vector<LONG>{r.left, r.top, r.right, r.bottom}), (std::vector<LONG>{100, 200, 400, 350}));
  GetClientRect(top, &r);
  EXPECT_EQ((std::vector<LONG>{r.left, r.top, r.right, r.bottom}), (std::vector<LONG>{0, 0, 300, 150}));

  HWND child = WINL_CreateView(top, LoggingProc, 0);
  SetWindowPos(child, nullptr, 10, 20, 30, 40, SWP_NOZORDER);
  GetWindowRect(child, &r);
  // A view keeps client order: its upper edge in top.
  EXPECT_EQ((std::vector<LONG>{r.left, r.top, r.right, r.bottom}), (std::vector<LONG>{110, 330, 140, 290}));
  POINT p{5, 6};
  ClientToScreen(child, &p);
  EXPECT_EQ((std::vector<LONG>{p.x, p.y}), (std::vector<LONG>{115, 324}));
  ScreenToClient(child, &p);
  EXPECT_EQ((std::vector<LONG>{p.x, p.y}), (std::vector<LONG>{5, 6}));
  ASSERT_TRUE(ScrollWindow(top, -4, 7, nullptr, nullptr));
  GetWindowRect(child, &r);
  EXPECT_EQ((std::vector<LONG>{r.left, r.top, r.right, r.bottom}), (std::vector<LONG>{106, 323, 136, 283}));
  DestroyWindow(top);
  EXPECT_FALSE(ScrollWindow(top, 1, 1, nullptr, nullptr));
  EXPECT_FALSE(GetWindowContentViewRect(top, &r));
}

TEST_F(WinlWindow, SetWindowPosSizesOfAChildView)
{
  // rect: window rectangle afterwards
  struct Case { const char* name; int x, y, cx, cy; UINT flags; std::vector<LONG> rect; } kCases[] = {
      {"move and size", 10, 20, 30, 40, SWP_NOZORDER, {110, 330, 140, 290}},
      {"flags 13 set the size only", 10, 20, 30, 40, 13, {100, 350, 130, 310}},
      {"flags 3 set nothing", 10, 20, 30, 40, 3, {100, 350, 400, 150}},
      {"negative height counts as its size", 0, 0, 30, -40, SWP_NOZORDER, {100, 350, 130, 310}},
      {"height INT_MIN", 0, 0, 30, INT_MIN, SWP_NOZORDER, {100, 350, 130, -999650}},
      {"height INT_MIN + 1", 0, 0, 30, INT_MIN + 1, SWP_NOZORDER, {100, 350, 130, -999650}},
      {"width INT_MIN", 0, 0, INT_MIN, 40, SWP_NOZORDER, {100, 350, 100, 310}},
      {"width 1000001", 0, 0, 1000001, 40, SWP_NOZORDER, {100, 350, 1000100, 310}},
      {"x INT_MIN", INT_MIN, 0, 30, 40, SWP_NOZORDER, {-999900, 350, -999870, 310}},
  };
  HWND top = TopLevel(LoggingProc);
  SetWindowPos(top, nullptr, 100, 200, 300, 150, SWP_NOZORDER);
  for (const Case& c : kCases)
  {
    HWND child = WINL_CreateView(top, LoggingProc, 0);
    MessageLog().clear();
    SetWindowPos(child, nullptr, c.x, c.y, c.cx, c.cy, c.flags);
    RECT r;
    GetWindowRect(child, &r);
    EXPECT_EQ((std::vector<LONG>{r.left, r.top, r.right, r.bottom}), c.rect) << c.name;
    EXPECT_EQ(MessagesTo(child, {WM_SIZE}).size(), c.flags == 3 ? 0u : 1u) << c.name;
    DestroyWindow(child);
  }
}

TEST_F(WinlWindow, SetWindowPosOrdersSiblings)
{
  // moved: 0 a, 1 b, 2 c; after -10 - n: sibling n; order: back first
  struct Case { const char* name; int moved; intptr_t after; UINT flags; const char* order; } kCases[] = {
      {"to the back", 2, 1, 3, "cab"},
      {"to the front", 0, 0, 3, "bca"},
      {"already in front", 2, 0, 3, "abc"},
      {"already at the back", 0, 1, 3, "abc"},
      {"in front of b", 0, -11, 3, "bac"},
      {"in front of c", 0, -12, 3, "bca"},
      {"already in front of a", 1, -10, 3, "abc"},
      {"after itself", 1, -11, 3, "abc"},
      {"topmost leaves the order", 0, -1, 3, "abc"},
      {"order kept by flag 4", 0, 0, 7, "abc"},
  };
  for (const Case& c : kCases)
  {
    HWND parent = WINL_CreateView(nullptr, LoggingProc, 0);
    HWND kids[3];
    for (HWND& k : kids) k = WINL_CreateView(parent, LoggingProc, 0);
    HWND after = c.after <= -10 ? kids[-10 - c.after] : reinterpret_cast<HWND>(c.after);
    SetWindowPos(kids[c.moved], after, 0, 0, 0, 0, c.flags);
    std::string order;
    for (HWND h = GetWindow(kids[0], GW_HWNDFIRST); h; h = GetWindow(h, GW_HWNDNEXT))
      order += static_cast<char>('a' + (h == kids[1] ? 1 : h == kids[2] ? 2 : 0));
    EXPECT_EQ(order, c.order) << c.name;
    DestroyWindow(parent);
  }
}

// ---- capture and walks ----

TEST_F(WinlWindow, NewCaptureTellsTheOldHolder)
{
  HWND a = WINL_CreateView(nullptr, LoggingProc, 0);
  HWND b = WINL_CreateView(nullptr, LoggingProc, 0);
  EXPECT_EQ(SetCapture(a), nullptr);
  EXPECT_EQ(SetCapture(b), a);
  EXPECT_EQ(GetCapture(), b);
  ReleaseCapture();
  EXPECT_EQ(GetCapture(), nullptr);
  std::vector<std::vector<LPARAM>> changes;
  for (const LoggedMessage& m : MessageLog())
    if (m.msg == WM_CAPTURECHANGED)
      changes.push_back({m.hwnd == a ? 'a' : 'b', static_cast<LPARAM>(m.wParam), m.lParam});
  EXPECT_EQ(changes, (std::vector<std::vector<LPARAM>>{{'a', 0, reinterpret_cast<LPARAM>(b)}, {'b', 0, 0}}));
  // A holder that goes releases the capture.
  SetCapture(a);
  DestroyWindow(a);
  EXPECT_EQ(GetCapture(), nullptr);
  DestroyWindow(b);
}

std::vector<HWND> gSeen;
HWND gDoomed = nullptr;

TEST_F(WinlWindow, WalksSkipWindowsDestroyedOnTheWay)
{
  HWND root = WINL_CreateView(nullptr, LoggingProc, 0);
  HWND a = WINL_CreateView(root, LoggingProc, 0);
  HWND a1 = WINL_CreateView(a, LoggingProc, 0);
  HWND b = WINL_CreateView(root, LoggingProc, 0);
  HWND c = WINL_CreateView(root, LoggingProc, 0);
  gSeen.clear();
  gDoomed = b;
  EXPECT_TRUE(EnumChildWindows(root, [](HWND h, LPARAM) {
    gSeen.push_back(h);
    if (gSeen.size() == 1) DestroyWindow(gDoomed);
    return TRUE;
  }, 0));
  EXPECT_EQ(gSeen, (std::vector<HWND>{a, a1, c}));
  gSeen.clear();
  EXPECT_FALSE(EnumChildWindows(root, [](HWND h, LPARAM) { return gSeen.push_back(h), FALSE; }, 0));
  EXPECT_EQ(gSeen.size(), 1u);

  HWND w1 = TopLevel(LoggingProc);
  HWND w2 = TopLevel(LoggingProc);
  HWND w3 = TopLevel(LoggingProc);
  gSeen.clear();
  gDoomed = w2;
  // Newest first: w3, w2, w1.
  EnumWindows([](HWND h, LPARAM) {
    gSeen.push_back(h);
    if (gSeen.size() == 1) DestroyWindow(gDoomed);
    return TRUE;
  }, 0);
  EXPECT_EQ(gSeen, (std::vector<HWND>{w3, w1}));
  EXPECT_EQ(FindWindowEx(root, nullptr, nullptr, nullptr), a);
  EXPECT_EQ(FindWindowEx(root, a, nullptr, nullptr), c);
  SetWindowText(c, "found");
  EXPECT_EQ(FindWindowEx(root, nullptr, nullptr, "found"), c);
  EXPECT_EQ(FindWindowEx(root, nullptr, "Static", nullptr), nullptr);
  DestroyWindow(root);
}

// ---- painting ----

// Keeps a 10-pixel border on the right and at the bottom and paints all
// of the context red.
LRESULT BorderedPainter(HWND h, UINT m, WPARAM w, LPARAM l)
{
  MessageLog().push_back({h, m, w, l});
  if (m == WM_NCCALCSIZE)
  {
    RECT& r = reinterpret_cast<NCCALCSIZE_PARAMS*>(l)->rgrc[0];
    r.right -= 10;
    r.bottom -= 10;
  }
  if (m == WM_PAINT)
  {
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(h, &ps);
    HBRUSH red = CreateSolidBrush(0xFF0000);
    const RECT everything{-100, -100, 1000, 1000};
    WINL_FillRect(hdc, &everything, red);
    DeleteObject(red);
    EndPaint(h, &ps);
  }
  return 0;
}

TEST_F(WinlWindow, PaintOfABorderedWindowStaysInsideItsClientArea)
{
  HWND v = WINL_CreateView(nullptr, BorderedPainter, 0);
  SetWindowPos(v, nullptr, 0, 0, 40, 30, SWP_NOZORDER);
  MemDC target(60, 50);
  const RECT all{0, 0, 40, 30};
  WINL_PaintWindow(v, WINL_GetCtxGC(target.dc), &all);
  EXPECT_EQ(target.At(29, 19), 0xFF0000u);
  EXPECT_EQ(target.At(30, 19), 0u);
  EXPECT_EQ(target.At(29, 20), 0u);

  // Less than a pixel to paint: the frame messages, no WM_PAINT.
  MessageLog().clear();
  const RECT sliver{0, 0, 40, 0};
  WINL_PaintWindow(v, WINL_GetCtxGC(target.dc), &sliver);
  EXPECT_EQ(MessagesTo(v, {WM_NCCALCSIZE, WM_NCPAINT, WM_PAINT}), (std::vector<UINT>{WM_NCCALCSIZE, WM_NCPAINT}));
  PAINTSTRUCT ps;
  EXPECT_EQ(BeginPaint(v, &ps), nullptr);
  EXPECT_EQ(ps.hdc, nullptr);
  DestroyWindow(v);
}

// ---- dialogs ----

int gEndAt = 0;

LRESULT EndingDialog(HWND h, UINT m, WPARAM w, LPARAM l)
{
  MessageLog().push_back({h, m, w, l});
  if (m == WM_INITDIALOG && gEndAt) EndDialog(h, gEndAt);
  if (m == WM_TIMER) EndDialog(h, static_cast<int>(w));
  if (m == WM_INITDIALOG && !gEndAt) SetTimer(h, 9, 5, nullptr);
  return m == WM_INITDIALOG ? 1 : 0;
}

WINL_DialogResourceIndex gChildOnly{reinterpret_cast<const char*>(52), nullptr, 1 | 12, nullptr, 20, 20, nullptr};
WINL_DialogResourceIndex gPrefs{reinterpret_cast<const char*>(40002), "Preferences", 12, nullptr, 320, 160, &gChildOnly};

TEST_F(WinlWindow, EndDialogDuringInitDialogReturnsAtOnceAndLeavesNoWindow)
{
  gEndAt = 7;
  EXPECT_EQ(WINL_DialogBox(&gPrefs, gPrefs.resid, nullptr, EndingDialog, 0), 7);
  EXPECT_EQ(CountTopLevels(), 0);
  int destroys = 0;
  for (const LoggedMessage& m : MessageLog()) destroys += m.msg == WM_DESTROY;
  EXPECT_EQ(destroys, 1);
  gEndAt = 0;
}

TEST_F(WinlWindow, ModalDialogRunsTimersWithoutADisplay)
{
  EXPECT_EQ(WINL_DialogBox(&gPrefs, gPrefs.resid, nullptr, EndingDialog, 0), 9);
  EXPECT_EQ(CountTopLevels(), 0);
}

TEST_F(WinlWindow, UnknownAndChildOnlyResources)
{
  EXPECT_EQ(WINL_DialogBox(&gPrefs, reinterpret_cast<const char*>(40001), nullptr, EndingDialog, 0), -1);
  EXPECT_EQ(WINL_DialogBox(&gPrefs, gChildOnly.resid, nullptr, EndingDialog, 0), -1);
  EXPECT_EQ(WINL_CreateDialog(&gPrefs, reinterpret_cast<const char*>(40001), nullptr, EndingDialog, 0), nullptr);
  HWND parent = TopLevel(LoggingProc);
  HWND child = WINL_CreateDialog(&gPrefs, gChildOnly.resid, parent, LoggingProc, 0);
  EXPECT_EQ(GetParent(child), parent);
  EXPECT_EQ(GetWindowLong(child, GWL_STYLE), WS_CHILD);
  EXPECT_EQ(CountTopLevels(), 1);
}

TEST_F(WinlWindow, ModelessDialogSitsBelowAndRightOfTheWorkAreaCorner)
{
  gEndAt = 3;
  HWND d = WINL_CreateDialog(&gPrefs, gPrefs.resid, nullptr, LoggingProc, 77);
  gEndAt = 0;
  RECT r;
  GetWindowRect(d, &r);
  EXPECT_EQ((std::vector<LONG>{r.left, r.top, r.right, r.bottom}), (std::vector<LONG>{50, 764, 370, 924}));
  EXPECT_EQ(GetWindowLong(d, GWL_STYLE), WS_CAPTION);
  char title[32];
  GetWindowText(d, title, sizeof title);
  EXPECT_STREQ(title, "Preferences");
  for (const LoggedMessage& m : MessageLog())
  {
    if (m.msg == WM_INITDIALOG)
    {
      EXPECT_EQ(m.lParam, 77);
    }
  }
  // Only modal dialogs take a value.
  EXPECT_FALSE(EndDialog(d, 1));
  EXPECT_TRUE(IsWindow(d));

  HWND owned = WINL_CreateDialog(&gPrefs, gPrefs.resid, d, LoggingProc, 0);
  GetWindowRect(owned, &r);
  EXPECT_EQ((std::vector<LONG>{r.left, r.top, r.right, r.bottom}), (std::vector<LONG>{100, 664, 420, 824}));
  EXPECT_EQ(GetParent(owned), d);
  DestroyWindow(d);
  EXPECT_FALSE(IsWindow(owned));
}
}  // namespace
