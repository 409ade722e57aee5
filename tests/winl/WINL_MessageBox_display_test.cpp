// The real alert helper on the display, raised from a worker thread that
// holds a lock the main thread waits on: answered with keys through the
// display's test input, and killed.
#include "platform/gtk/PLAT_Alert.h"
#include "winl/WINL_MessageBox.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace
{
int FromWorkerHoldingLock(const char* caption, const std::function<void()>& answer)
{
  std::mutex pluginLock;
  int result = -1;
  std::atomic<bool> holding{false};
  std::thread worker([&] {
    std::lock_guard<std::mutex> held(pluginLock);
    holding = true;
    result = MessageBox(nullptr, "Communication error has occurred!", caption, MB_YESNO);
  });
  std::thread user(answer);
  // The main thread blocks as drawing would, on the worker's lock.
  while (!holding) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  {
    std::lock_guard<std::mutex> wait(pluginLock);
  }
  worker.join();
  user.join();
  return result;
}

bool WaitForHelper()
{
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (PLAT_AlertHelperPid() == 0)
  {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

void PressWhenShown(const char* caption, const char* key)
{
  ASSERT_TRUE(WaitForHelper());
  const std::string cmd = std::string("xdotool search --sync --onlyvisible --name '") + caption +
                          "' >/dev/null && sleep 0.3 && xdotool key " + key;
  ASSERT_EQ(std::system(cmd.c_str()), 0);
}

TEST(WinlMessageBoxGtk, HelperAnswersReturnEscapeAndDeath)
{
  EXPECT_EQ(FromWorkerHoldingLock("ZephraReturn", [] { PressWhenShown("ZephraReturn", "Return"); }), IDYES);
  EXPECT_EQ(FromWorkerHoldingLock("ZephraEscape", [] { PressWhenShown("ZephraEscape", "Escape"); }), IDNO);
  EXPECT_EQ(FromWorkerHoldingLock("ZephraKilled",
                                  [] {
                                    ASSERT_TRUE(WaitForHelper());
                                    kill(PLAT_AlertHelperPid(), SIGKILL);
                                  }),
            0);
}

// The application ends while a worker's box is open: the box closes as
// cancelled (No for a yes/no box) and later boxes answer so unseen, until
// boxes are allowed again.
TEST(WinlMessageBoxGtk, EndingApplicationCancelsOpenAndLaterBoxes)
{
  EXPECT_EQ(FromWorkerHoldingLock("ZephraEnding",
                                  [] {
                                    ASSERT_TRUE(WaitForHelper());
                                    WINL_CancelMessageBoxes();
                                  }),
            IDNO);
  EXPECT_EQ(PLAT_AlertHelperPid(), 0);
  const struct { UINT type; int answer; } later[] = {{MB_OK, IDOK}, {MB_OKCANCEL, IDCANCEL}, {MB_YESNO, IDNO},
                                                     {MB_YESNOCANCEL, IDCANCEL}, {MB_RETRYCANCEL, IDCANCEL}};
  for (const auto& l : later) EXPECT_EQ(MessageBox(nullptr, "later", "ZephraLater", l.type), l.answer) << l.type;
  WINL_CancelMessageBoxes(false);
  EXPECT_EQ(FromWorkerHoldingLock("ZephraAgain", [] { PressWhenShown("ZephraAgain", "Return"); }), IDYES);
}

// Ended, or a zombie nobody reaps any more.
bool Gone(pid_t pid)
{
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  const std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const size_t close = stat.rfind(')');
  return stat.empty() || (close != std::string::npos && close + 2 < stat.size() && stat[close + 2] == 'Z');
}

// The program dies while a thread of its waits on a box: the box ends with
// it rather than stay on the screen with nobody to answer.
TEST(WinlMessageBoxGtk, ABoxEndsWhenTheProgramDies)
{
  int pids[2];
  ASSERT_EQ(pipe(pids), 0);
  fflush(nullptr);
  const pid_t program = fork();
  if (program == 0)
  {
    close(pids[0]);
    std::thread([] {
      const char* ok[] = {"OK"};
      (void)PLAT_AlertShow("ZephraOrphan", "orphan", ok, 1);
    }).detach();
    // Dies only once the box is on the screen.
    const bool shown = WaitForHelper() &&
                       std::system("timeout 10 xdotool search --sync --onlyvisible --name ZephraOrphan >/dev/null") == 0;
    const int helper = shown ? PLAT_AlertHelperPid() : 0;
    (void)!write(pids[1], &helper, sizeof helper);
    _exit(0);
  }
  close(pids[1]);
  int helper = 0;
  const ssize_t got = read(pids[0], &helper, sizeof helper);
  close(pids[0]);
  int status = 0;
  ASSERT_EQ(waitpid(program, &status, 0), program);
  ASSERT_EQ(got, static_cast<ssize_t>(sizeof helper));
  ASSERT_GT(helper, 0);
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (!Gone(helper) && std::chrono::steady_clock::now() < end)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  const bool gone = Gone(helper);
  if (!gone) kill(helper, SIGKILL);
  EXPECT_TRUE(gone);
}
}  // namespace

// Two threads raise a box each: one box stands at a time, the second shows
// only once the first is answered, and each gets its own answer.
TEST(WinlMessageBoxGtk, OneBoxAtATimeTheSecondWaitsForTheFirst)
{
  int first = 0, second = 0;
  std::thread a([&] { first = MessageBox(nullptr, "first", "ZephraFirst", MB_OKCANCEL); });
  ASSERT_TRUE(WaitForHelper());
  const int shown = PLAT_AlertHelperPid();
  std::thread b([&] { second = MessageBox(nullptr, "second", "ZephraSecond", MB_OKCANCEL); });
  // The second waits: no helper of its own comes while the first stands.
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(1);
  while (std::chrono::steady_clock::now() < until)
  {
    EXPECT_EQ(PLAT_AlertHelperPid(), shown);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  PressWhenShown("ZephraFirst", "Escape");
  a.join();
  PressWhenShown("ZephraSecond", "Return");
  b.join();
  EXPECT_EQ(first, IDCANCEL);
  EXPECT_EQ(second, IDOK);
}
