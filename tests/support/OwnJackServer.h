// A JACK server of a test's own (dummy driver), for tests that stop and
// start the server under the program: the shared server of the test command
// must keep running for every other test. While it lives, the process's
// default server (JACK_DEFAULT_SERVER) is this one; the destructor stops it
// and puts the variable back. Binaries that include this link JACK.
#pragma once

#include <jack/jack.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

class OwnJackServer
{
public:
  explicit OwnJackServer(const std::string& prefix) : mName(prefix + "_" + std::to_string(getpid()))
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
  // Starts the server and waits (up to 10 s) until it takes clients.
  bool Start()
  {
    mPid = fork();
    if (mPid == 0)
    {
      setenv("JACK_NO_AUDIO_RESERVATION", "1", 1);
      execlp("jackd", "jackd", "--no-realtime", "--silent", "--name", mName.c_str(), "-d", "dummy", "--rate",
             "48000", "--period", "1024", static_cast<char*>(nullptr));
      _exit(127);
    }
    if (mPid < 0) return false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline)
    {
      jack_status_t status{};
      if (jack_client_t* probe = jack_client_open("probe", static_cast<jack_options_t>(JackNoStartServer | JackServerName),
                                                  &status, mName.c_str()))
      {
        jack_client_close(probe);
        return true;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
  }
  // Ends the server as a session or a crash would; its clients are dropped.
  void Stop()
  {
    if (mPid <= 0) return;
    kill(mPid, SIGTERM);
    int status = 0;
    waitpid(mPid, &status, 0);
    mPid = -1;
  }

private:
  std::string mName;
  std::string mShared;
  bool mHadShared = false;
  pid_t mPid = -1;
};
