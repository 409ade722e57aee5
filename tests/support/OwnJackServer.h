// A JACK server of a test's own (dummy driver), for tests that stop and
// start the server under the program: the shared server of the test command
// must keep running for every other test. While it lives, the process's
// default server (JACK_DEFAULT_SERVER) is this one; the destructor stops it
// and puts the variable back. Binaries that include this link JACK and the
// core library.
#pragma once

#include "core/JackServerWatch.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>

class OwnJackServer
{
public:
  // The machine's list of servers holds eight, and a server that was killed
  // (by a test's time limit, or after hanging on its end) stays in it until
  // a later server of the same name takes its place. The tests therefore
  // share a few names (kJackTestsName for the tests run one at a time,
  // others for tests that may run beside them), so that no number of such
  // deaths fills the list.
  static constexpr const char* kJackTestsName = "zephra_own";

  explicit OwnJackServer(const std::string& name = kJackTestsName) : mName(name)
  {
    const char* shared = std::getenv("JACK_DEFAULT_SERVER");
    mHadShared = shared != nullptr;
    if (shared) mShared = shared;
    setenv("JACK_DEFAULT_SERVER", mName.c_str(), 1);
  }
  ~OwnJackServer()
  {
    Stop();
    if (mHadShared)
      setenv("JACK_DEFAULT_SERVER", mShared.c_str(), 1);
    else
      unsetenv("JACK_DEFAULT_SERVER");
  }
  OwnJackServer(const OwnJackServer&) = delete;
  OwnJackServer& operator=(const OwnJackServer&) = delete;

  const std::string& Name() const { return mName; }
  // The server's process (-1 while it is not running), for a test that
  // stops it (SIGSTOP) without ending it.
  pid_t Pid() const { return mPid; }
  // Starts the server and waits until it takes clients. Asked by the
  // program's own probe, in a process of its own: a client opened here while
  // an earlier life of the server dies can leave the JACK library's locks
  // held, and the program under test waiting for good.
  bool Start()
  {
    return Launched([] { return JackServerWatch::ServerAnswers("probe"); }, 50);
  }
  // Starts the server and waits until its socket is there, without a client
  // of this process: for a test whose own clients would change what the
  // program under test meets.
  bool StartUnseen()
  {
    const std::string socket = "/dev/shm/jack_" + mName + "_" + std::to_string(getuid()) + "_0";
    return Launched(
        [&socket] { return access(socket.c_str(), F_OK) == 0; }, 1,
        [&socket] { (void)unlink(socket.c_str()); });  // left by a killed server
  }
  // Ends the server as a session or a crash would; its clients are dropped.
  // A server that has not ended ten seconds after SIGTERM (it has been seen
  // to hang on it) is killed; it then stays in the machine's list of servers,
  // which holds eight. On a busy machine a server can take seconds to end:
  // killed too soon, a test of many lives filled that list.
  void Stop()
  {
    if (mPid <= 0) return;
    kill(mPid, SIGTERM);
    kill(mPid, SIGCONT);  // one a test stopped ends too
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    int status = 0;
    while (waitpid(mPid, &status, WNOHANG) == 0)
    {
      if (std::chrono::steady_clock::now() > deadline)
      {
        std::fprintf(stderr, "test JACK server %s had not ended 10 s after SIGTERM: killed\n", mName.c_str());
        kill(mPid, SIGKILL);
        waitpid(mPid, &status, 0);
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    mPid = -1;
  }

private:
  // Launches the server until up says it is up, 10 s each time. On a busy
  // machine a server has been seen to hang in its own start, before its
  // socket was made, or to die in it (of SIGBUS): it is started again, a
  // little later each time, five times at most. before runs ahead of each
  // launch.
  static constexpr int kLaunches = 5;
  template <typename Up>
  bool Launched(const Up& up, int pollMs, const std::function<void()>& before = {})
  {
    for (int attempt = 0; attempt < kLaunches; ++attempt)
    {
      if (attempt > 0) std::this_thread::sleep_for(std::chrono::milliseconds(200 * attempt));
      if (before) before();
      if (!Launch()) return false;
      const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
      bool ended = false;
      while (!ended && std::chrono::steady_clock::now() < deadline)
      {
        if (up()) return true;
        int status = 0;
        ended = waitpid(mPid, &status, WNOHANG) == mPid;
        if (ended)
        {
          // Its own words ("Too many servers already active", say) are on
          // stderr above this.
          std::fprintf(stderr, "test JACK server %s ended at its start (%s %d)\n", mName.c_str(),
                       WIFEXITED(status) ? "exit status" : "signal",
                       WIFEXITED(status) ? WEXITSTATUS(status) : WTERMSIG(status));
          mPid = -1;
        }
        else
          std::this_thread::sleep_for(std::chrono::milliseconds(pollMs));
      }
      if (!ended) std::fprintf(stderr, "test JACK server %s not up within 10 s: started again\n", mName.c_str());
      Stop();
    }
    return false;
  }

  bool Launch()
  {
    mPid = fork();
    if (mPid == 0)
    {
      // A test that crashes leaves no server behind (the signal comes when
      // the thread that started the server ends: a server is stopped by the
      // thread that started it). SIGTERM, so that the server leaves the
      // machine's list of servers, which holds only a few.
      (void)prctl(PR_SET_PDEATHSIG, SIGTERM);
      setenv("JACK_NO_AUDIO_RESERVATION", "1", 1);
      // Not silent: why a server could not start is then in the test's log.
      execlp("jackd", "jackd", "--no-realtime", "--name", mName.c_str(), "-d", "dummy", "--rate",
             "48000", "--period", "1024", static_cast<char*>(nullptr));
      _exit(127);
    }
    return mPid > 0;
  }

  std::string mName;
  std::string mShared;
  bool mHadShared = false;
  pid_t mPid = -1;
};

// Starts the test's own server or ends the test: with a failure under CI,
// whose test command installs jackd, else with a skip.
#define OWN_JACK_SERVER_START_OR_SKIP(server)                                      \
  do                                                                               \
  {                                                                                \
    if (!(server).Start())                                                         \
    {                                                                              \
      if (std::getenv("CI")) FAIL() << "no JACK server of the test's own could be started"; \
      GTEST_SKIP() << "no JACK server of the test's own could be started";        \
    }                                                                              \
  } while (0)
