// The posted-message queue and timers across threads, without a display:
// the test thread is the main thread and flushes the queue itself.
#include "platform/gtk/PLAT_GtkLoop.h"
#include "winl/WINL_Queue.h"
#include "winl/WINL_Window.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>
#include <vector>

namespace
{
class WinlQueue : public ::testing::Test
{
protected:
  void SetUp() override
  {
    WINL_Internal_PostMessage_Init();
    WINL_MessageQueue_Flush();
    sReceived.clear();
  }
  void TearDown() override { WINL_MessageQueue_Flush(); }

  struct Received { HWND hwnd; UINT msg; WPARAM wParam; LPARAM lParam; };
  static std::vector<Received> sReceived;

  static LRESULT Recorder(HWND h, UINT m, WPARAM w, LPARAM l)
  {
    if (m >= WM_USER || m == WM_TIMER) sReceived.push_back({h, m, w, l});
    return 0;
  }
};
std::vector<WinlQueue::Received> WinlQueue::sReceived;

// First in the file, so that no earlier test has left delivered records to
// reuse: the cap counts records that exist.
TEST_F(WinlQueue, PostFailsWith1024WaitingAndNoneToReuseUntilAFlush)
{
  HWND w = WINL_CreateView(nullptr, Recorder, 0);
  for (int i = 1; i <= 1023; ++i) ASSERT_TRUE(PostMessage(w, WM_USER, i, 0)) << i;
  EXPECT_TRUE(PostMessage(w, WM_USER, 1024, 0));
  EXPECT_FALSE(PostMessage(w, WM_USER, 1025, 0));
  EXPECT_EQ(WINL_MessageQueue_PendingCount(), 1024);
  WINL_MessageQueue_Flush();
  EXPECT_EQ(sReceived.size(), 1024u);
  EXPECT_EQ(sReceived.back().wParam, 1024u);
  // Delivered records are reused, so the cap does not bite again at once.
  EXPECT_TRUE(PostMessage(w, WM_USER, 1025, 0));
  EXPECT_FALSE(PostMessage(nullptr, WM_USER, 0, 0));
  DestroyWindow(w);
  EXPECT_FALSE(PostMessage(w, WM_USER, 0, 0));
}

TEST_F(WinlQueue, FourThreadsPostInTheirOwnOrderAndNothingIsLostOrRepeated)
{
  constexpr int kThreads = 4;
  constexpr int kPerThread = 10000;
  HWND w = WINL_CreateView(nullptr, Recorder, 0);
  std::atomic<bool> go{false};
  std::vector<std::thread> posters;
  for (int t = 0; t < kThreads; ++t)
    posters.emplace_back([&, t] {
      while (!go) std::this_thread::yield();
      for (int i = 0; i < kPerThread; ++i)
        // A full queue refuses; the poster tries again after the next flush.
        while (!PostMessage(w, WM_USER, static_cast<WPARAM>(t), i)) std::this_thread::yield();
    });
  go = true;
  while (sReceived.size() < kThreads * kPerThread) WINL_MessageQueue_Flush();
  for (std::thread& p : posters) p.join();
  WINL_MessageQueue_Flush();

  ASSERT_EQ(sReceived.size(), static_cast<size_t>(kThreads * kPerThread));
  std::vector<std::vector<LPARAM>> perThread(kThreads);
  for (const Received& r : sReceived) perThread[r.wParam].push_back(r.lParam);
  for (int t = 0; t < kThreads; ++t)
  {
    ASSERT_EQ(perThread[t].size(), static_cast<size_t>(kPerThread)) << t;
    for (int i = 0; i < kPerThread; ++i) ASSERT_EQ(perThread[t][i], i) << "thread " << t;
  }
  DestroyWindow(w);
}

HWND gOther = nullptr;

TEST_F(WinlQueue, MessagesOfABatchForAWindowGoneOrClearedMeanwhileAreNotDelivered)
{
  // firstMessage: what the first message's handler does
  struct Case { const char* name; UINT firstMessage; bool sameWindow; } kCases[] = {
      {"first destroys the window", WM_USER + 1, true},
      {"first destroys the other window", WM_USER + 1, false},
      {"first clears the window's queue", WM_USER + 2, true},
      {"first clears the other window's queue", WM_USER + 2, false},
  };
  for (const Case& c : kCases)
  {
    sReceived.clear();
    HWND w = WINL_CreateView(nullptr, [](HWND h, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
      Recorder(h, m, wp, lp);
      HWND target = wp ? gOther : h;
      if (m == WM_USER + 1) DestroyWindow(target);
      if (m == WM_USER + 2) WINL_MessageQueue_Clear(target);
      return 0;
    }, 0);
    gOther = WINL_CreateView(nullptr, Recorder, 0);
    PostMessage(w, c.firstMessage, c.sameWindow ? 0 : 1, 0);
    PostMessage(c.sameWindow ? w : gOther, WM_USER + 3, 0, 0);
    WINL_MessageQueue_Flush();
    ASSERT_EQ(sReceived.size(), 1u) << c.name;
    EXPECT_EQ(sReceived[0].msg, c.firstMessage) << c.name;
    EXPECT_EQ(WINL_MessageQueue_PendingCount(), 0) << c.name;
    DestroyWindow(w);
    DestroyWindow(gOther);
  }
}

TEST_F(WinlQueue, MessagePostedByAHandlerWaitsForTheNextFlush)
{
  HWND w = WINL_CreateView(nullptr, [](HWND h, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
    Recorder(h, m, wp, lp);
    if (m == WM_USER) PostMessage(h, WM_USER + 1, 0, 0);
    return 0;
  }, 0);
  PostMessage(w, WM_USER, 0, 0);
  PostMessage(w, WM_USER + 2, 0, 0);
  WINL_MessageQueue_Flush();
  ASSERT_EQ(sReceived.size(), 2u);
  EXPECT_EQ(sReceived[1].msg, WM_USER + 2);
  WINL_MessageQueue_Flush();
  ASSERT_EQ(sReceived.size(), 3u);
  EXPECT_EQ(sReceived[2].msg, WM_USER + 1);
  DestroyWindow(w);
}

TEST_F(WinlQueue, OtherThreadsCannotSendOrDestroyButMayAskAndPost)
{
  HWND w = WINL_CreateView(nullptr, Recorder, 0);
  std::atomic<bool> stop{false};
  std::atomic<int> accepted{0};
  LRESULT sent = -1;
  BOOL destroyed = TRUE;
  BOOL alive = FALSE;
  std::thread worker([&] {
    sent = SendMessage(w, WM_USER, 0, 0);
    destroyed = DestroyWindow(w);
    alive = IsWindow(w);
    // Keeps posting while the main thread destroys the window.
    while (!stop)
      if (PostMessage(w, WM_USER + 5, 0, 0)) ++accepted;
  });
  while (accepted < 10) WINL_MessageQueue_Flush();
  DestroyWindow(w);
  const int before = accepted;
  WINL_MessageQueue_Flush();
  stop = true;
  worker.join();
  // A post that raced the destruction may have been queued after that
  // flush; the next one drops it, since its window is gone.
  WINL_MessageQueue_Flush();
  EXPECT_EQ(sent, 0);
  EXPECT_FALSE(destroyed);
  EXPECT_TRUE(alive);
  // After the destruction no post is taken any more.
  EXPECT_LE(accepted - before, 1);
  for (const Received& r : sReceived) EXPECT_NE(r.msg, WM_USER);
  EXPECT_EQ(WINL_MessageQueue_PendingCount(), 0);
}

// ---- timers ----

void Ignore(HWND, UINT, UINT_PTR, DWORD) {}

TEST_F(WinlQueue, TimerRequestsFromAnotherThreadWaitForTheTick)
{
  HWND w = WINL_CreateView(nullptr, Recorder, 0);
  const int before = WINL_GetTimerCount();
  UINT_PTR fromWorker = 0, windowless = 1, killedLater = 0;
  std::thread([&] {
    fromWorker = SetTimer(w, 5, 1000, nullptr);
    // Nothing would be made for a timer without a window.
    windowless = SetTimer(nullptr, 6, 1000, Ignore);
    killedLater = SetTimer(w, 7, 1000, nullptr);
    KillTimer(w, 7);
  }).join();
  EXPECT_EQ(fromWorker, 5u);
  EXPECT_EQ(windowless, 0u);
  EXPECT_EQ(killedLater, 7u);
  EXPECT_EQ(WINL_GetTimerCount(), before);
  WINL_MessageQueue_Flush();
  // Timer 7's kill replaced its start: only timer 5 exists.
  EXPECT_EQ(WINL_GetTimerCount(), before + 1);
  EXPECT_FALSE(KillTimer(w, 7));
  std::thread([&] { KillTimer(w, static_cast<UINT_PTR>(-1)); }).join();
  WINL_MessageQueue_Flush();
  EXPECT_EQ(WINL_GetTimerCount(), before);
  DestroyWindow(w);
}

TEST_F(WinlQueue, WindowlessTimersGetIdsThatAreNeverReused)
{
  const UINT_PTR first = SetTimer(nullptr, 0, 1000, Ignore);
  ASSERT_NE(first, 0u);
  EXPECT_TRUE(KillTimer(nullptr, first));
  const UINT_PTR second = SetTimer(nullptr, 0, 1000, Ignore);
  EXPECT_NE(second, first);
  // Setting the same id again restarts that timer.
  const int count = WINL_GetTimerCount();
  EXPECT_EQ(SetTimer(nullptr, second, 500, Ignore), second);
  EXPECT_EQ(WINL_GetTimerCount(), count);
  EXPECT_TRUE(KillTimer(nullptr, second));
  EXPECT_FALSE(KillTimer(nullptr, second));
  EXPECT_EQ(SetTimer(nullptr, 0, 10, nullptr), 0u);
}

TEST_F(WinlQueue, TimerSendsWMTimerUntilItsWindowGoes)
{
  HWND w = WINL_CreateView(nullptr, Recorder, 0);
  EXPECT_EQ(SetTimer(w, 0, 1, nullptr), 0u);
  EXPECT_EQ(SetTimer(w, 3, 1, nullptr), 3u);
  while (sReceived.size() < 3) PLAT_LoopIterate(true);
  for (const Received& r : sReceived)
  {
    EXPECT_EQ(r.msg, WM_TIMER);
    EXPECT_EQ(r.wParam, 3u);
  }
  const int count = WINL_GetTimerCount();
  DestroyWindow(w);
  EXPECT_EQ(WINL_GetTimerCount(), count - 1);
  EXPECT_EQ(SetTimer(w, 3, 1, nullptr), 0u);
}
}  // namespace

TEST_F(WinlQueue, ClearInternalDropsOnlyTheWindowsWaitingMessages)
{
  sReceived.clear();
  HWND a = WINL_CreateView(nullptr, Recorder, 0);
  HWND b = WINL_CreateView(nullptr, Recorder, 0);
  PostMessage(a, WM_USER + 7, 1, 0);
  PostMessage(b, WM_USER + 8, 2, 0);
  PostMessage(a, WM_USER + 9, 3, 0);
  WINL_MessageQueue_ClearInternal(a);
  EXPECT_EQ(WINL_MessageQueue_PendingCount(), 1);
  WINL_MessageQueue_Flush();
  ASSERT_EQ(sReceived.size(), 1u);
  EXPECT_EQ(sReceived[0].msg, static_cast<UINT>(WM_USER + 8));
  EXPECT_EQ(sReceived[0].wParam, 2u);
  DestroyWindow(a);
  DestroyWindow(b);
}

// ---- the tick ----

namespace
{
// Runs the loop until a guard of guardMs has fired; answers how many times
// the loop woke for something (the guard's own wake counted).
int LoopWakesUntilGuard(unsigned guardMs)
{
  bool fired = false;
  PLAT_LoopAddTimeout(guardMs, [](void* flag) { return *static_cast<bool*>(flag) = true, false; }, &fired);
  int wakes = 0;
  while (!fired)
  {
    (void)PLAT_LoopIterate(true);
    ++wakes;
  }
  return wakes;
}
}  // namespace

// An editor left alone must not be woken twenty times a second by an empty
// queue: a post from another thread wakes the loop for one tick, which
// delivers it and, the queue empty, does not come again.
TEST_F(WinlQueue, APostWakesTheLoopForOneTickAndAnEmptyQueueForNone)
{
  HWND w = WINL_CreateView(nullptr, Recorder, 0);
  (void)LoopWakesUntilGuard(120);  // a tick armed by an earlier test ends
  EXPECT_EQ(LoopWakesUntilGuard(400), 1);

  std::thread([w] { PostMessage(w, WM_USER + 1, 7, 0); }).join();
  EXPECT_LE(LoopWakesUntilGuard(400), 2);
  ASSERT_EQ(sReceived.size(), 1u);
  EXPECT_EQ(sReceived[0].msg, static_cast<UINT>(WM_USER + 1));
  EXPECT_EQ(sReceived[0].wParam, 7u);

  // A handler that posts again keeps the tick for one more round.
  static HWND again;
  again = WINL_CreateView(nullptr, [](HWND h, UINT m, WPARAM wp, LPARAM l) -> LRESULT {
    if (m == WM_USER + 2) PostMessage(h, WM_USER + 3, wp, l);
    return Recorder(h, m, wp, l);
  }, 0);
  sReceived.clear();
  std::thread([] { PostMessage(again, WM_USER + 2, 0, 0); }).join();
  EXPECT_LE(LoopWakesUntilGuard(400), 3);
  ASSERT_EQ(sReceived.size(), 2u);
  EXPECT_EQ(sReceived[1].msg, static_cast<UINT>(WM_USER + 3));
  DestroyWindow(again);
  DestroyWindow(w);
}

// ---- flushing from another thread, and handlers that throw ----

TEST_F(WinlQueue, AWorkersFlushDeliversNothingAndLeavesTheQueueAsItIs)
{
  sReceived.clear();
  HWND w = WINL_CreateView(nullptr, Recorder, 0);
  for (WPARAM i = 1; i <= 3; ++i) ASSERT_TRUE(PostMessage(w, WM_USER, i, 0));
  std::thread([] { WINL_MessageQueue_Flush(); }).join();
  EXPECT_EQ(WINL_MessageQueue_PendingCount(), 3);
  EXPECT_TRUE(sReceived.empty());
  WINL_MessageQueue_Flush();
  ASSERT_EQ(sReceived.size(), 3u);
  for (WPARAM i = 1; i <= 3; ++i) EXPECT_EQ(sReceived[i - 1].wParam, i);
  EXPECT_EQ(WINL_MessageQueue_PendingCount(), 0);
  DestroyWindow(w);
}

TEST_F(WinlQueue, AHandlerThatThrowsLosesOnlyItsOwnMessage)
{
  sReceived.clear();
  HWND w = WINL_CreateView(nullptr, [](HWND h, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
    Recorder(h, m, wp, lp);
    if (m == WM_USER + 1) throw std::runtime_error("the handler failed");
    return 0;
  }, 0);
  // A worker's timer request after it in the same flush is carried out too.
  PostMessage(w, WM_USER, 1, 0);
  PostMessage(w, WM_USER + 1, 2, 0);
  PostMessage(w, WM_USER, 3, 0);
  const int timers = WINL_GetTimerCount();
  std::thread([w] { SetTimer(w, 4, 1000, nullptr); }).join();
  WINL_MessageQueue_Flush();
  ASSERT_EQ(sReceived.size(), 3u);
  EXPECT_EQ(sReceived[0].wParam, 1u);
  EXPECT_EQ(sReceived[1].wParam, 2u);
  EXPECT_EQ(sReceived[2].wParam, 3u);
  EXPECT_EQ(WINL_GetTimerCount(), timers + 1);
  EXPECT_EQ(WINL_MessageQueue_PendingCount(), 0);
  DestroyWindow(w);
}

// A handler that flushes again, as a modal run inside it does at each tick:
// the rest of the outer delivery comes first, in order, then what was
// posted meanwhile; the outer delivery then finds nothing left.
TEST_F(WinlQueue, AFlushInsideAHandlerGoesOnWithTheOuterDeliveryInOrder)
{
  sReceived.clear();
  HWND w = WINL_CreateView(nullptr, [](HWND h, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
    Recorder(h, m, wp, lp);
    if (m == WM_USER + 1)
    {
      std::thread([h] { PostMessage(h, WM_USER, 4, 0); }).join();
      WINL_MessageQueue_Flush();
    }
    return 0;
  }, 0);
  PostMessage(w, WM_USER, 1, 0);
  PostMessage(w, WM_USER + 1, 2, 0);
  PostMessage(w, WM_USER, 3, 0);
  WINL_MessageQueue_Flush();
  ASSERT_EQ(sReceived.size(), 4u);
  for (WPARAM i = 1; i <= 4; ++i) EXPECT_EQ(sReceived[i - 1].wParam, i);
  EXPECT_EQ(WINL_MessageQueue_PendingCount(), 0);
  DestroyWindow(w);
}
