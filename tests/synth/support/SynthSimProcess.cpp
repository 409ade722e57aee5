#include "SynthSimProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

extern char** environ;

namespace
{
using Clock = std::chrono::steady_clock;

int MillisecondsLeft(Clock::time_point deadline)
{
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

// Writing to a sim that has died must fail the write, not kill the test.
void IgnoreBrokenPipes()
{
  struct sigaction current{};
  if (sigaction(SIGPIPE, nullptr, &current) == 0 && current.sa_handler == SIG_DFL) {
    struct sigaction ignore{};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGPIPE, &ignore, nullptr);
  }
}

int ExitStatus(int status)
{
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return -1;
}

// Spawns program with its standard input and output on the given pipe ends
// (or the test's own when -1); the pid, or -1.
pid_t Spawn(const std::string& program, const char* option, int input, int output)
{
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (input >= 0) posix_spawn_file_actions_adddup2(&actions, input, STDIN_FILENO);
  if (output >= 0) posix_spawn_file_actions_adddup2(&actions, output, STDOUT_FILENO);
  std::string name = program, flag = option ? option : "";
  char* argv[] = {&name[0], option ? &flag[0] : nullptr, nullptr};
  pid_t pid = -1;
  const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  return spawned == 0 ? pid : -1;
}
} // namespace

SynthSimProcess::~SynthSimProcess()
{
  if (Running()) Stop();
}

int SynthSimProcess::ProbeJackServer(const std::string& program)
{
  const pid_t pid = Spawn(program, "--probe", -1, -1);
  if (pid < 0) return -1;
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {}
  return ExitStatus(status);
}

bool SynthSimProcess::Start(const std::string& program)
{
  if (Running()) {
    mError = "already running";
    return false;
  }
  IgnoreBrokenPipes();
  mError.clear();
  mPending.clear();
  int toChild[2], fromChild[2];
  if (pipe2(toChild, O_CLOEXEC) != 0) {
    mError = std::string("pipe: ") + std::strerror(errno);
    return false;
  }
  if (pipe2(fromChild, O_CLOEXEC) != 0) {
    mError = std::string("pipe: ") + std::strerror(errno);
    close(toChild[0]);
    close(toChild[1]);
    return false;
  }
  mPid = Spawn(program, nullptr, toChild[0], fromChild[1]);
  close(toChild[0]);
  close(fromChild[1]);
  mToChild = toChild[1];
  mFromChild = fromChild[0];
  if (mPid < 0) {
    mError = "cannot start " + program;
    close(mToChild);
    close(mFromChild);
    mToChild = mFromChild = -1;
    return false;
  }
  std::string line;
  if (!ReadLine(line) || line != "ready") {
    const std::string why = mError.empty() ? "sim said \"" + line + "\"" : mError;
    const int status = Stop();
    mError = why + " before ready (exit status " + std::to_string(status) + ")";
    return false;
  }
  return true;
}

std::string SynthSimProcess::Ask(const std::string& command)
{
  std::string line;
  if (!Running() || !WriteAll(command + "\n") || !ReadLine(line)) {
    mError = "no answer to \"" + command + "\": " + mError;
    return {};
  }
  return line;
}

int SynthSimProcess::Stop()
{
  if (!Running()) return -1;
  (void)WriteAll("quit\n");
  close(mToChild);
  mToChild = -1;
  // The end of the sim's output comes with the end of the process; anything
  // it still says ("bye") is of no interest now.
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(kTimeoutMs);
  bool ended = false;
  while (!ended) {
    pollfd watch{mFromChild, POLLIN, 0};
    const int ready = poll(&watch, 1, MillisecondsLeft(deadline));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) break;
    char buffer[4096];
    const ssize_t got = read(mFromChild, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    ended = got <= 0;
  }
  if (!ended) {
    mError = "sim did not end in time; killed";
    kill(mPid, SIGKILL);
  }
  int status = 0;
  while (waitpid(mPid, &status, 0) < 0 && errno == EINTR) {}
  close(mFromChild);
  mFromChild = -1;
  mPid = -1;
  mPending.clear();
  return ExitStatus(status);
}

bool SynthSimProcess::ReadLine(std::string& line)
{
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(kTimeoutMs);
  for (;;) {
    const size_t newline = mPending.find('\n');
    if (newline != std::string::npos) {
      line = mPending.substr(0, newline);
      mPending.erase(0, newline + 1);
      return true;
    }
    pollfd watch{mFromChild, POLLIN, 0};
    const int ready = poll(&watch, 1, MillisecondsLeft(deadline));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) {
      mError = "no line in time";
      return false;
    }
    char buffer[4096];
    const ssize_t got = read(mFromChild, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      mError = "sim ended its output";
      return false;
    }
    mPending.append(buffer, static_cast<size_t>(got));
  }
}

bool SynthSimProcess::WriteAll(const std::string& text)
{
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t wrote = write(mToChild, text.data() + done, text.size() - done);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) {
      mError = std::string("write: ") + std::strerror(errno);
      return false;
    }
    done += static_cast<size_t>(wrote);
  }
  return true;
}
