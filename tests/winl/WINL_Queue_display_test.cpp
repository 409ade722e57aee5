// The posted-message queue and the timers on the display's main loop, where
// the queue tick and the timers run as the program's own loop runs them: a
// wait for one window holds back every timer of the others, a handler that
// throws stops nothing, only the main thread flushes, and a modal dialog
// opened by a posted message gets the posts made meanwhile.
#include "winl/WINL_Dialog.h"
#include "winl/WINL_Queue.h"
#include "winl/WINL_Window.h"

#include "WinlGtkTest.h"
#include "WinlMessageLog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace
{
using WinlQueueGtk = WinlGtkTest;

HWND Window(WNDPROC proc)
{
  return WINL_CreateDialog(nullptr, reinterpret_cast<const char*>(WINL_NO_RESOURCE), nullptr, proc, 0);
}

// (message, wParam) of what hwnd received among the messages wanted, in order.
std::vector<std::pair<UINT, WPARAM>> Received(HWND hwnd, const std::vector<UINT>& wanted)
{
  std::vector<std::pair<UINT, WPARAM>> out;
  for (const LoggedMessage& m : MessageLog())
    if (m.hwnd == hwnd && std::find(wanted.begin(), wanted.end(), m.msg) != wanted.end())
      out.emplace_back(m.msg, m.wParam);
  return out;
}

// ---- timers during a wait for one window ----

std::vector<HWND> gProcTicks;

void ProcTick(HWND hwnd, UINT, UINT_PTR, DWORD) { gProcTicks.push_back(hwnd); }

int ProcTicksOf(HWND hwnd) { return static_cast<int>(std::count(gProcTicks.begin(), gProcTicks.end(), hwnd)); }

int TimerMessagesTo(HWND hwnd) { return static_cast<int>(MessagesTo(hwnd, {WM_TIMER}).size()); }

// Windows A and B each with a WM_TIMER timer and a procedure timer of 10 ms,
// then a wait of 250 ms for A: once B's WM_TIMER fired as often as A's.
TEST_F(WinlQueueGtk, AWaitForOneWindowHoldsBackEveryTimerOfTheOthers)
{
  HWND a = Window(LoggingProc);
  HWND b = Window(LoggingProc);
  for (HWND w : {a, b})
  {
    ASSERT_EQ(SetTimer(w, 1, 10, nullptr), 1u);
    ASSERT_EQ(SetTimer(w, 2, 10, ProcTick), 2u);
  }
  MessageLog().clear();
  gProcTicks.clear();
  WINL_RunLoopWaitForWindow(250, a);
  // A 10 ms timer fires at most 25 times in 250 ms.
  struct Case { const char* name; int got; int least; int most; } const kDuring[] = {
      {"WM_TIMER A", TimerMessagesTo(a), 1, 25},
      {"WM_TIMER B", TimerMessagesTo(b), 0, 0},
      {"proc A", ProcTicksOf(a), 1, 25},
      {"proc B", ProcTicksOf(b), 0, 0},
  };
  for (const Case& c : kDuring)
  {
    EXPECT_GE(c.got, c.least) << c.name;
    EXPECT_LE(c.got, c.most) << c.name;
  }
  for (const auto& m : Received(a, {WM_TIMER})) EXPECT_EQ(m.second, 1u);

  // The wait over, B's timers fire again.
  MessageLog().clear();
  gProcTicks.clear();
  ASSERT_TRUE(LoopUntil([b] { return TimerMessagesTo(b) >= 1 && ProcTicksOf(b) >= 1; }));
  for (const auto& m : Received(b, {WM_TIMER})) EXPECT_EQ(m.second, 1u);
  KillTimer(a, static_cast<UINT_PTR>(-1));
  KillTimer(b, static_cast<UINT_PTR>(-1));
}

// ---- a handler that throws ----

LRESULT ThrowsOnWmUser(HWND h, UINT m, WPARAM w, LPARAM l)
{
  MessageLog().push_back({h, m, w, l});
  if (m == WM_USER) throw std::runtime_error("the handler failed");
  if (m == WM_TIMER && w == 8 && MessagesTo(h, {WM_TIMER}).size() == 1) throw std::runtime_error("the tick failed");
  return DefWindowProc(h, m, w, l);
}

TEST_F(WinlQueueGtk, AHandlerThatThrowsLosesItsMessageAndTheQueueGoesOn)
{
  HWND w = Window(ThrowsOnWmUser);
  // The message after it in the same delivery still arrives.
  ASSERT_TRUE(PostMessage(w, WM_USER, 0, 0));
  ASSERT_TRUE(PostMessage(w, WM_USER + 1, 0, 0));
  ASSERT_TRUE(LoopUntil([w] { return MessagesTo(w, {WM_USER + 1}).size() == 1; }));
  // So do later posts, and a timer a worker starts.
  for (WPARAM i = 1; i <= 5; ++i) ASSERT_TRUE(PostMessage(w, WM_USER + 1, i, 0)) << i;
  UINT_PTR fromWorker = 0;
  std::thread([&] { fromWorker = SetTimer(w, 9, 10, nullptr); }).join();
  EXPECT_EQ(fromWorker, 9u);
  ASSERT_TRUE(LoopUntil([w] { return MessagesTo(w, {WM_TIMER}).size() >= 1; }));
  const std::vector<std::pair<UINT, WPARAM>> want = {
      {WM_USER, 0},     {WM_USER + 1, 0}, {WM_USER + 1, 1}, {WM_USER + 1, 2},
      {WM_USER + 1, 3}, {WM_USER + 1, 4}, {WM_USER + 1, 5}, {WM_TIMER, 9},
  };
  std::vector<std::pair<UINT, WPARAM>> got = Received(w, {WM_USER, WM_USER + 1, WM_TIMER});
  got.resize(want.size());
  EXPECT_EQ(got, want);
  EXPECT_EQ(WINL_MessageQueue_PendingCount(), 0);
  KillTimer(w, 9);
}

TEST_F(WinlQueueGtk, ATimerWhoseHandlerThrowsKeepsTicking)
{
  HWND w = Window(ThrowsOnWmUser);
  ASSERT_EQ(SetTimer(w, 8, 10, nullptr), 8u);
  ASSERT_TRUE(LoopUntil([w] { return MessagesTo(w, {WM_TIMER}).size() >= 3; }));
  EXPECT_TRUE(KillTimer(w, 8));
}

// ---- flushing from another thread ----

TEST_F(WinlQueueGtk, AWorkersFlushLeavesTheQueueAsItIs)
{
  HWND w = Window(LoggingProc);
  for (WPARAM i = 1; i <= 3; ++i) ASSERT_TRUE(PostMessage(w, WM_USER + 1, i, 0));
  std::thread([] { WINL_MessageQueue_Flush(); }).join();
  EXPECT_EQ(WINL_MessageQueue_PendingCount(), 3);
  EXPECT_TRUE(MessagesTo(w, {WM_USER + 1}).empty());
  ASSERT_TRUE(LoopUntil([w] { return MessagesTo(w, {WM_USER + 1}).size() == 3; }));
  EXPECT_EQ(Received(w, {WM_USER + 1}),
            (std::vector<std::pair<UINT, WPARAM>>{{WM_USER + 1, 1}, {WM_USER + 1, 2}, {WM_USER + 1, 3}}));
}

// ---- a modal dialog opened by a posted message ----

WINL_DialogResourceIndex gModal{reinterpret_cast<const char*>(40930), "Modal", 12, nullptr, 200, 100, nullptr};
HWND gTarget = nullptr;
HWND gDialog = nullptr;
std::vector<std::string> gOrder;

LRESULT ModalDialog(HWND d, UINT m, WPARAM w, LPARAM)
{
  if (m == WM_INITDIALOG)
  {
    gDialog = d;
    PostMessage(gTarget, WM_USER + 2, 2, 0);
    // Should a post never come, the dialog ends rather than the test hanging.
    SetTimer(d, 1, 20000, nullptr);
    return 1;
  }
  if (m == WM_TIMER && w == 1) EndDialog(d, -1);
  return 0;
}

LRESULT OpensADialog(HWND h, UINT m, WPARAM w, LPARAM l)
{
  if (m == WM_USER + 1)
  {
    gOrder.push_back("open");
    const int result = WINL_DialogBox(&gModal, gModal.resid, nullptr, ModalDialog, 0);
    gOrder.push_back("closed " + std::to_string(result));
  }
  if (m == WM_USER + 2)
  {
    gOrder.push_back("post " + std::to_string(w) + (IsWindow(gDialog) ? " inside" : " after"));
    if (w == 2) EndDialog(gDialog, 5);
  }
  return DefWindowProc(h, m, w, l);
}

TEST_F(WinlQueueGtk, PostsMadeWhileAPostedMessageRunsADialogArriveInsideIt)
{
  gTarget = Window(OpensADialog);
  gDialog = nullptr;
  gOrder.clear();
  // Post 1 waits behind the message that opens the dialog; post 2 is made
  // by the dialog as it opens.
  ASSERT_TRUE(PostMessage(gTarget, WM_USER + 1, 0, 0));
  ASSERT_TRUE(PostMessage(gTarget, WM_USER + 2, 1, 0));
  ASSERT_TRUE(LoopUntil([] { return gOrder.size() == 4; }));
  EXPECT_EQ(gOrder, (std::vector<std::string>{"open", "post 1 inside", "post 2 inside", "closed 5"}));
  EXPECT_EQ(WINL_MessageQueue_PendingCount(), 0);
}
}  // namespace
