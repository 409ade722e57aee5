// Kernel objects across threads: events, socket events, thread handles waited
// on and closed from several places, and waits that time out.
#include "winl/WINL_Kernel.h"

#include <sys/resource.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace
{
DWORD ReturnSeven(void*) { return 7; }

DWORD WaitOnEvent(void* event)
{
  return WaitForSingleObject(static_cast<HANDLE>(event), INFINITE) == WAIT_OBJECT_0 ? 1 : 0;
}

// Each waiter is joined once however it is waited on and closed: a join
// done twice is undefined and shows under the sanitizers.
TEST(WinlKernel, ThreadWaitedTwiceAndClosedIsJoinedOnce)
{
  DWORD id = 0;
  HANDLE t = CreateThread(nullptr, 0, ReturnSeven, nullptr, 0, &id);
  ASSERT_NE(t, nullptr);
  EXPECT_NE(id, 0u);
  EXPECT_EQ(WaitForSingleObject(t, INFINITE), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(t, 0), WAIT_OBJECT_0);
  DWORD code = 0;
  EXPECT_TRUE(GetExitCodeThread(t, &code));
  EXPECT_EQ(code, 7u);
  EXPECT_TRUE(CloseHandle(t));
  EXPECT_FALSE(CloseHandle(t));
  EXPECT_EQ(WaitForSingleObject(t, 0), WAIT_FAILED);
}

TEST(WinlKernel, ThreadClosedBeforeItEndsDetachesItself)
{
  HANDLE gate = CreateEvent(nullptr, TRUE, FALSE);
  HANDLE t = CreateThread(nullptr, 0, WaitOnEvent, gate, 0, nullptr);
  ASSERT_NE(t, nullptr);
  EXPECT_TRUE(CloseHandle(t));
  // The thread now holds the last reference and drops it as it ends.
  EXPECT_TRUE(SetEvent(gate));
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_TRUE(CloseHandle(gate));
}

TEST(WinlKernel, ThreadWaitTimesOutWhileRunning)
{
  HANDLE gate = CreateEvent(nullptr, TRUE, FALSE);
  HANDLE t = CreateThread(nullptr, 0, WaitOnEvent, gate, 0, nullptr);
  EXPECT_EQ(WaitForSingleObject(t, 0), WAIT_TIMEOUT);
  EXPECT_EQ(WaitForSingleObject(t, 20), WAIT_TIMEOUT);
  EXPECT_FALSE(GetExitCodeThread(t, nullptr));
  SetEvent(gate);
  EXPECT_EQ(WaitForSingleObject(t, 5000), WAIT_OBJECT_0);
  DWORD code = 0;
  EXPECT_TRUE(GetExitCodeThread(t, &code));
  EXPECT_EQ(code, 1u);
  EXPECT_FALSE(SetThreadPriority(t, 0));
  EXPECT_TRUE(CloseHandle(t));
  EXPECT_TRUE(CloseHandle(gate));
}

TEST(WinlKernel, AutoResetEventReleasesExactlyOneOfTwoWaiters)
{
  HANDLE e = CreateEvent(nullptr, FALSE, FALSE);
  std::atomic<int> released{0};
  std::vector<std::thread> waiters;
  for (int i = 0; i < 2; ++i)
    waiters.emplace_back([&] {
      if (WaitForSingleObject(e, 300) == WAIT_OBJECT_0) ++released;
    });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  SetEvent(e);
  for (auto& w : waiters) w.join();
  EXPECT_EQ(released.load(), 1);
  // The event cleared itself for the one it released.
  EXPECT_EQ(WaitForSingleObject(e, 0), WAIT_TIMEOUT);
  EXPECT_TRUE(CloseHandle(e));
}

TEST(WinlKernel, ManualResetEventStaysSignalledUntilReset)
{
  HANDLE e = CreateEvent(nullptr, TRUE, TRUE);
  EXPECT_EQ(WaitForSingleObject(e, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(e, 0), WAIT_OBJECT_0);
  EXPECT_TRUE(ResetEvent(e));
  EXPECT_EQ(WaitForSingleObject(e, 0), WAIT_TIMEOUT);
  EXPECT_TRUE(CloseHandle(e));
}

TEST(WinlKernel, EventWithTwoReferencesSurvivesOneClose)
{
  HANDLE e = CreateEvent(nullptr, FALSE, FALSE);
  HANDLE t = CreateThread(nullptr, 0, WaitOnEvent, e, 0, nullptr);
  EXPECT_TRUE(SetEvent(e));
  EXPECT_EQ(WaitForSingleObject(t, 5000), WAIT_OBJECT_0);
  EXPECT_TRUE(CloseHandle(t));
  EXPECT_TRUE(CloseHandle(e));
  EXPECT_FALSE(SetEvent(e));
}

TEST(WinlKernel, SocketEventAutoResetDrains)
{
  HANDLE e = CreateEventAsSocket(nullptr, FALSE, TRUE);
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(WaitForSingleObject(e, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(e, 0), WAIT_TIMEOUT);
  // Setting twice leaves one byte: one wait succeeds.
  SetEvent(e);
  SetEvent(e);
  EXPECT_EQ(WaitForSingleObject(e, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(e, 0), WAIT_TIMEOUT);
  EXPECT_TRUE(CloseHandle(e));
}

TEST(WinlKernel, AnySocketObjectGivesTheReadyOnesIndex)
{
  HANDLE a = CreateEventAsSocket(nullptr, TRUE, FALSE);
  HANDLE b = CreateEventAsSocket(nullptr, FALSE, FALSE);
  HANDLE both[] = {a, b};
  EXPECT_EQ(WaitForAnySocketObject(2, both, 10), WAIT_TIMEOUT);
  std::thread setter([b] {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    SetEvent(b);
  });
  EXPECT_EQ(WaitForAnySocketObject(2, both, 5000), 1u);
  setter.join();
  SetEvent(a);
  EXPECT_EQ(WaitForAnySocketObject(2, both, 0), 0u);
  // Manual reset: still signalled until reset.
  EXPECT_EQ(WaitForAnySocketObject(2, both, 0), 0u);
  ResetEvent(a);
  EXPECT_EQ(WaitForAnySocketObject(2, both, 0), WAIT_TIMEOUT);
  HANDLE event = CreateEvent(nullptr, FALSE, FALSE);
  HANDLE mixed[] = {a, event};
  EXPECT_EQ(WaitForAnySocketObject(2, mixed, 0), WAIT_FAILED);
  CloseHandle(event);
  CloseHandle(a);
  CloseHandle(b);
}

// A descriptor set of the fixed kind holds only descriptors below 1024: a
// socket event above 1500 must still be waited on correctly.
TEST(WinlKernel, SocketEventAboveDescriptor1500)
{
  rlimit limit{};
  getrlimit(RLIMIT_NOFILE, &limit);
  if (limit.rlim_max != RLIM_INFINITY && limit.rlim_max < 1600) GTEST_SKIP() << "descriptor limit too low";
  const rlimit saved = limit;
  limit.rlim_cur = 1600;
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &limit), 0);
  std::vector<int> filler;
  while (true)
  {
    const int fd = dup(0);
    ASSERT_GE(fd, 0);
    filler.push_back(fd);
    if (fd >= 1500) break;
  }
  HANDLE e = CreateEventAsSocket(nullptr, FALSE, FALSE);
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(WaitForSingleObject(e, 10), WAIT_TIMEOUT);
  SetEvent(e);
  HANDLE one[] = {e};
  EXPECT_EQ(WaitForAnySocketObject(1, one, 1000), 0u);
  CloseHandle(e);
  for (int fd : filler) close(fd);
  setrlimit(RLIMIT_NOFILE, &saved);
}

TEST(WinlKernel, BogusHandlesAreRefused)
{
  int notAnObject = 0x1000003;
  EXPECT_FALSE(CloseHandle(&notAnObject));
  EXPECT_FALSE(SetEvent(&notAnObject));
  EXPECT_EQ(WaitForSingleObject(&notAnObject, 0), WAIT_FAILED);
  EXPECT_FALSE(CloseHandle(nullptr));
}
}  // namespace
