// The window API's calls for callers beyond the editor, without a display:
// a child view taking a window of its own, the default procedure's
// bubbling, hit test and context menu, messages to every window, levels,
// closing, system metrics, and the runtime's small answers.
#include "winl/WINL_App.h"
#include "winl/WINL_Dialog.h"
#include "winl/WINL_Kernel.h"
#include "winl/WINL_Queue.h"
#include "winl/WINL_Window.h"
#include "winl/draw/WINL_Runtime.h"

#include "WinlMessageLog.h"
#include "WinlRecordsTest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace
{
using WinlWindowApi = WinlRecordsTest;

HWND Child(HWND parent, int x, int y, int w, int h)
{
  HWND c = WINL_CreateView(parent, LoggingProc, 0);
  SetWindowPos(c, nullptr, x, y, w, h, SWP_NOZORDER);
  return c;
}

TEST_F(WinlWindowApi, AChildViewTakesAWindowOfItsOwn)
{
  HWND owner = TopLevel(LoggingProc);
  SetWindowPos(owner, nullptr, 100, 200, 300, 200, SWP_NOZORDER);
  HWND child = Child(owner, 10, 20, 50, 40);
  HWND inner = Child(child, 0, 0, 5, 5);
  RECT before{};
  GetWindowRect(child, &before);
  // child, owner, style; the result
  struct Case { const char* name; HWND child; HWND owner; unsigned style; HWND want; } const kCases[] = {
      {"no view", nullptr, owner, 1, nullptr},
      {"an owner inside the view", child, inner, 1, nullptr},
      {"a child view", child, owner, 1 | 8, child},
      {"already a window's content", child, owner, 1, nullptr},
  };
  for (const Case& c : kCases) EXPECT_EQ(WINL_CreateModelessFrameForView(c.child, c.owner, c.style), c.want) << c.name;
  EXPECT_EQ(CountTopLevels(), 2);
  EXPECT_FALSE(IsChild(owner, child));
  EXPECT_EQ(GetParent(child), owner);  // a content view's parent is its window's owner
  EXPECT_EQ(GetWindowLong(child, GWL_STYLE) & WS_THICKFRAME, WS_THICKFRAME);
  // The same place: a view's rectangle holds its upper edge in top, a
  // window's its lower edge.
  EXPECT_EQ((std::vector<LONG>{before.left, before.top, before.right, before.bottom}),
            (std::vector<LONG>{110, 380, 160, 340}));
  RECT after{};
  GetWindowRect(child, &after);
  EXPECT_EQ((std::vector<LONG>{after.left, after.top, after.right, after.bottom}),
            (std::vector<LONG>{110, 340, 160, 380}));
  // The owner's end takes the owned window with it.
  DestroyWindow(owner);
  EXPECT_FALSE(IsWindow(child));
}

TEST_F(WinlWindowApi, SetParentMovesAViewAndRefusesLoops)
{
  HWND a = TopLevel(LoggingProc);
  HWND b = TopLevel(LoggingProc);
  HWND v = Child(a, 0, 0, 10, 10);
  HWND w = Child(v, 0, 0, 5, 5);
  struct Case { const char* name; HWND view; HWND parent; HWND was; HWND parentAfter; } const kCases[] = {
      {"into another window", v, b, a, b},
      {"into its own child", v, w, nullptr, b},
      {"into itself", v, v, nullptr, b},
      {"a content view", a, b, nullptr, b},
      {"back", v, a, b, a},
  };
  for (const Case& c : kCases)
  {
    EXPECT_EQ(SetParent(c.view, c.parent), c.was) << c.name;
    EXPECT_EQ(GetParent(v), c.parentAfter) << c.name;
  }
  EXPECT_TRUE(IsChild(a, w));
}

TEST_F(WinlWindowApi, DefaultProcedureBubblesAndHitTests)
{
  HWND top = TopLevel(LoggingProc);
  SetWindowPos(top, nullptr, 100, 200, 300, 200, SWP_NOZORDER);
  HWND child = Child(top, 10, 20, 50, 40);
  // Messages the default procedure hands to the parent.
  for (UINT msg : {WM_CONTEXTMENU, WM_GESTURE, WM_MOUSEWHEEL, WM_MOUSEHWHEEL})
  {
    MessageLog().clear();
    DefWindowProc(child, msg, 7, 9);
    EXPECT_EQ(MessagesTo(top, {msg}), (std::vector<UINT>{msg})) << msg;
  }
  // A content view has no one to hand them to.
  MessageLog().clear();
  EXPECT_EQ(DefWindowProc(top, WM_CONTEXTMENU, 0, 0), 0);
  EXPECT_TRUE(MessageLog().empty());
  // The hit test: inside the view's screen rectangle the client area (1),
  // else nowhere (0). The child covers x 110..159 and, y up, 341..380: its
  // upper edge 20 below the window's at 400 belongs to it, its lower does not.
  struct Case { int x, y; LRESULT hit; } const kCases[] = {
      {110, 379, 1}, {159, 341, 1}, {109, 360, 0}, {160, 360, 0},
      {130, 380, 1}, {130, 381, 0}, {130, 341, 1}, {130, 340, 0},
  };
  for (const Case& c : kCases)
    EXPECT_EQ(DefWindowProc(child, WM_NCHITTEST, 0, WINL_PackPoint(c.x, c.y)), c.hit) << c.x << "," << c.y;
  // A right button's release asks for the context menu at the screen point.
  MessageLog().clear();
  EXPECT_EQ(DefWindowProc(child, WM_RBUTTONUP, 0, WINL_PackPoint(5, 6)), 1);
  const std::vector<UINT> got = MessagesTo(child, {WM_CONTEXTMENU});
  ASSERT_EQ(got.size(), 1u);
  for (const LoggedMessage& m : MessageLog())
    if (m.msg == WM_CONTEXTMENU && m.hwnd == child)
    {
      EXPECT_EQ(m.wParam, reinterpret_cast<WPARAM>(child));
      EXPECT_EQ(m.lParam, WINL_PackPoint(115, 374));
    }
}

TEST_F(WinlWindowApi, BroadcastReachesEveryTopLevelWindowOnly)
{
  HWND a = TopLevel(LoggingProc);
  HWND b = TopLevel(LoggingProc);
  HWND child = Child(a, 0, 0, 10, 10);
  MessageLog().clear();
  WINL_BroadcastMessage(WM_USER + 5, 1, 2);
  std::vector<HWND> reached;
  for (const LoggedMessage& m : MessageLog())
    if (m.msg == WM_USER + 5) reached.push_back(m.hwnd);
  EXPECT_EQ(reached, (std::vector<HWND>{b, a}));  // front first
  EXPECT_TRUE(MessagesTo(child, {WM_USER + 5}).empty());
}

TEST_F(WinlWindowApi, LevelsRaiseAmountsAndClosing)
{
  HWND top = TopLevel(LoggingProc);
  HWND child = Child(top, 0, 0, 10, 10);
  EXPECT_EQ(WINL_GetWindowWantRaiseAmt(top), 0);
  WINL_SetWindowWantRaiseAmt(child, 3);  // a view stands for its window
  EXPECT_EQ(WINL_GetWindowWantRaiseAmt(top), 3);
  WINL_SetWindowLevel(top, 101);
  EXPECT_EQ(WINL_GetWindowLevel(child), 101);
  EXPECT_EQ(WINL_GetWindowWantRaiseAmt(nullptr), 0);
  EXPECT_EQ(WINL_GetWindowLevel(nullptr), 0);
  WINL_SetWindowLevel(nullptr, 5);

  ShowWindow(top, SW_SHOW);
  ASSERT_TRUE(IsWindowVisible(top));
  WINL_CloseWindow(child);
  EXPECT_FALSE(IsWindowVisible(top));
  EXPECT_TRUE(IsWindow(top));
  ShowWindow(top, SW_SHOW);
  EXPECT_TRUE(IsWindowVisible(top));
}

TEST_F(WinlWindowApi, ScreenMetricsWithoutADisplay)
{
  struct Case { int index, want; } const kCases[] = {{0, 1024}, {1, 1024}, {2, 16}, {3, 16}, {4, 0},
                                                     {19, 0},   {20, 16},  {21, 16}, {22, 0}, {-1, 0}};
  for (const Case& c : kCases) EXPECT_EQ(GetSystemMetrics(c.index), c.want) << c.index;
  RECT r{};
  const RECT point{10, 10, 10, 10};
  ASSERT_TRUE(WINL_GetViewPort(&r, &point, true));
  EXPECT_EQ((std::vector<LONG>{r.left, r.top, r.right, r.bottom}), (std::vector<LONG>{0, 0, 1024, 1024}));
  EXPECT_FALSE(WINL_GetViewPort(nullptr, &point, true));
}

std::vector<HWND> gTicked;

void CountTick(HWND hwnd, UINT, UINT_PTR, DWORD) { gTicked.push_back(hwnd); }

int TicksOf(HWND hwnd) { return static_cast<int>(std::count(gTicked.begin(), gTicked.end(), hwnd)); }

TEST_F(WinlWindowApi, AWaitForOneWindowFiresOnlyItsTimers)
{
  HWND a = TopLevel(LoggingProc);
  HWND b = TopLevel(LoggingProc);
  gTicked.clear();
  ASSERT_NE(SetTimer(a, 1, 5, CountTick), 0u);
  ASSERT_NE(SetTimer(a, 2, 5, nullptr), 0u);
  ASSERT_NE(SetTimer(b, 1, 5, CountTick), 0u);
  ASSERT_NE(SetTimer(b, 2, 5, nullptr), 0u);  // WM_TIMER waits too
  WINL_RunLoopWaitForWindow(100, a);
  EXPECT_GT(TicksOf(a), 3);
  EXPECT_EQ(TicksOf(b), 0);
  EXPECT_GT(MessagesTo(a, {WM_TIMER}).size(), 3u);
  EXPECT_EQ(MessagesTo(b, {WM_TIMER}).size(), 0u);
  // Afterwards, and in a plain wait, every timer fires again.
  gTicked.clear();
  WINL_RunLoopWait(100);
  EXPECT_GT(TicksOf(a), 3);
  EXPECT_GT(TicksOf(b), 3);
  EXPECT_GT(MessagesTo(b, {WM_TIMER}).size(), 3u);
  KillTimer(a, static_cast<UINT_PTR>(-1));
  KillTimer(b, static_cast<UINT_PTR>(-1));
}

TEST(WinlRuntimeAnswers, NoOpsAndFixedValues)
{
  EXPECT_EQ(_controlfp(0x9001F, 0xFFFFF), 0u);
  EXPECT_EQ(WINL_GetOSXVersion(), 0x10B0);
  void* pool = WINL_InitAutoRelease();
  EXPECT_NE(pool, nullptr);
  WINL_QuitAutoRelease(pool);
}

TEST(WinlBundle, TheResourcesFolderOfTheProgramAndOfAModule)
{
  const char* old = std::getenv("ZEPHRA_RESOURCES_DIR");
  const std::string saved = old ? old : "";
  setenv("ZEPHRA_RESOURCES_DIR", ZEPHRA_TEST_INPUTS, 1);
  const char* bundle = WINL_GetBundle(nullptr);
  ASSERT_NE(bundle, nullptr);
  EXPECT_EQ(std::string(bundle), std::string(ZEPHRA_TEST_INPUTS) + "/");
  // The same answer is the same text.
  EXPECT_EQ(WINL_GetBundle(nullptr), bundle);
  EXPECT_EQ(WINL_GetBundle(reinterpret_cast<HMODULE>(uintptr_t{0x1234})), nullptr);
  if (old)
    setenv("ZEPHRA_RESOURCES_DIR", saved.c_str(), 1);
  else
    unsetenv("ZEPHRA_RESOURCES_DIR");
}
}  // namespace
