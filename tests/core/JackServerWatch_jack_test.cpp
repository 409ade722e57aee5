// The question whether the server answers is asked by a probe program of
// ours: a server that hangs holds only the probe, which is killed after its
// time, never this process's own clients of the JACK library. A resting
// watch counts the server's cycles without being woken by each of them.
#include "core/JackServerWatch.h"
#include "support/CycleWakes.h"
#include "support/OwnJackServer.h"
#include "support/WaitFor.h"

#include <jack/jack.h>

#include <gtest/gtest.h>

#include <dirent.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <thread>

namespace
{
using Clock = std::chrono::steady_clock;

// The probes this process has started and not yet reaped.
int ProbeChildren()
{
  int count = 0;
  DIR* proc = opendir("/proc");
  if (!proc) return -1;
  while (const dirent* entry = readdir(proc))
  {
    const std::string pid = entry->d_name;
    if (pid.find_first_not_of("0123456789") != std::string::npos) continue;
    std::ifstream stat("/proc/" + pid + "/stat");
    std::string line;
    std::getline(stat, line);
    // pid (comm) state ppid ...: the name is cut to 15 characters.
    const size_t close = line.rfind(')');
    if (close == std::string::npos || line.find("(zephra-jack-pro)") == std::string::npos) continue;
    if (std::atoi(line.c_str() + line.find(' ', close + 2) + 1) == getpid()) ++count;
  }
  closedir(proc);
  return count;
}

TEST(JackServerProbe, AServerThatHangsHoldsOnlyTheProbeWhichIsKilledAfterItsTime)
{
  const char* sharedName = std::getenv("JACK_DEFAULT_SERVER");
  if (!sharedName) GTEST_SKIP() << "no shared JACK server named";
  const std::string shared = sharedName;
  OwnJackServer server;
  ASSERT_TRUE(server.Start());
  EXPECT_TRUE(JackServerWatch::ServerAnswers("probe"));

  ASSERT_EQ(kill(server.Pid(), SIGSTOP), 0);
  std::atomic<bool> answered{true};
  std::atomic<bool> asked{false};
  const auto start = Clock::now();
  std::thread asking([&] {
    answered = JackServerWatch::ServerAnswers("probe", 3000);
    asked = true;
  });
  EXPECT_TRUE(WaitFor([] { return ProbeChildren() == 1; }, kBusyLimit));
  // While the probe waits on the hung server, a client of this process
  // opens on another server as ever.
  jack_status_t status{};
  jack_client_t* client =
      jack_client_open("zephra probe bystander", static_cast<jack_options_t>(JackNoStartServer | JackServerName),
                       &status, shared.c_str());
  EXPECT_NE(client, nullptr);
  if (client) jack_client_close(client);

  EXPECT_TRUE(WaitFor([&] { return asked.load(); }, kBusyLimit));
  asking.join();
  EXPECT_FALSE(answered.load());
  EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(3000));
  EXPECT_EQ(ProbeChildren(), 0);

  ASSERT_EQ(kill(server.Pid(), SIGCONT), 0);
  EXPECT_TRUE(WaitFor([] { return JackServerWatch::ServerAnswers("probe"); }, kBusyLimit));
}

TEST(JackServerProbe, NoServerOfTheNameIsNoAnswer)
{
  OwnJackServer absent("zephra_own_absent");
  EXPECT_FALSE(JackServerWatch::ServerAnswers("probe"));
  EXPECT_EQ(ProbeChildren(), 0);
}

TEST(JackServerWatch, OnlyACountingWatchIsWokenByEachCycleAndARestedOneCountsOn)
{
  OwnJackServer server;
  ASSERT_TRUE(server.Start());
  JackServerWatch resting;
  ASSERT_TRUE(resting.Open("zephra resting watch"));
  EXPECT_EQ(ThreadsWokenEachCycle(resting, 50), 0);

  JackServerWatch counting;
  ASSERT_TRUE(counting.Open("zephra counting watch", true));
  EXPECT_EQ(ThreadsWokenEachCycle(counting, 50), 1);
  const uint64_t counted = counting.Cycles();
  EXPECT_GE(counted, 50u);
  counting.Rest();
  EXPECT_GE(counting.Cycles(), counted);
  EXPECT_EQ(ThreadsWokenEachCycle(counting, 50), 0);
  EXPECT_GE(counting.Cycles(), counted + 50);
}

// The server's period goes from 1024 frames to 256 between two readings of
// a resting watch: it never counts more cycles than ran (the output's meter
// would hand over too much), and counts each one at the new period.
TEST(JackServerWatch, ARestingWatchNeverCountsAheadWhenThePeriodShortens)
{
  OwnJackServer server;
  ASSERT_TRUE(server.Start());
  JackServerWatch counting, resting;
  ASSERT_TRUE(counting.Open("zephra counting watch", true));
  ASSERT_TRUE(resting.Open("zephra resting watch"));
  const uint64_t countedFrom = counting.Cycles(), restedFrom = resting.Cycles();
  ASSERT_TRUE(WaitFor([&] { return counting.Cycles() >= countedFrom + 20; }, kBusyLimit));
  jack_status_t status{};
  jack_client_t* setter = jack_client_open("zephra period", JackNoStartServer, &status);
  ASSERT_NE(setter, nullptr);
  ASSERT_EQ(jack_set_buffer_size(setter, 256), 0);
  jack_client_close(setter);
  const uint64_t changedAt = counting.Cycles();
  ASSERT_TRUE(WaitFor([&] { return counting.Cycles() >= changedAt + 40; }, kBusyLimit));
  EXPECT_LE(resting.Cycles() - restedFrom, counting.Cycles() - countedFrom);

  const uint64_t counted = counting.Cycles(), rested = resting.Cycles();
  ASSERT_TRUE(WaitFor([&] { return counting.Cycles() >= counted + 40; }, kBusyLimit));
  EXPECT_NEAR(static_cast<double>(resting.Cycles() - rested), static_cast<double>(counting.Cycles() - counted), 2);
}

TEST(JackServerWatch, ARestingWatchsCountStandsWhileTheServerIsStoppedAndAfterItEnds)
{
  OwnJackServer server;
  ASSERT_TRUE(server.Start());
  JackServerWatch watch;
  ASSERT_TRUE(watch.Open("zephra resting watch"));
  ASSERT_TRUE(WaitFor([&] { return watch.Cycles() >= 5; }, kBusyLimit));

  ASSERT_EQ(kill(server.Pid(), SIGSTOP), 0);
  // A cycle that had begun when the signal came may still be counted.
  ASSERT_TRUE(WaitFor([&] {
    const uint64_t before = watch.Cycles();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    return watch.Cycles() == before;
  }, kBusyLimit));
  const uint64_t stopped = watch.Cycles();
  std::this_thread::sleep_for(std::chrono::milliseconds(300));  // 14 cycles' time
  EXPECT_EQ(watch.Cycles(), stopped);
  EXPECT_TRUE(watch.Alive());

  ASSERT_EQ(kill(server.Pid(), SIGCONT), 0);
  EXPECT_TRUE(WaitFor([&] { return watch.Cycles() >= stopped + 5; }, kBusyLimit));

  server.Stop();
  ASSERT_TRUE(WaitFor([&] { return watch.Lost(); }, kBusyLimit));
  const uint64_t ended = watch.Cycles();
  // A new life of the server moves the library's frame clock again; a lost
  // watch no longer reads it.
  ASSERT_TRUE(server.Start());
  JackServerWatch next;
  ASSERT_TRUE(next.Open("zephra next watch"));
  ASSERT_TRUE(WaitFor([&] { return next.Cycles() >= 5; }, kBusyLimit));
  EXPECT_EQ(watch.Cycles(), ended);
  EXPECT_FALSE(watch.Alive());
}
}  // namespace
