#include "platform/gtk/PLAT_Alert.h"

#include "platform/PLAT_Spawn.h"
#include "platform/gtk/PLAT_GtkLoop.h"

#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace
{
std::atomic<int> gHelperPid{0};
std::mutex gHelpersLock;
std::set<pid_t> gHelpers;  // every helper showing an alert now
bool gCancelled = false;   // under gHelpersLock

// The helper lies beside the executable once installed; programs run from
// the build tree use the one built there.
std::string HelperPath()
{
  char self[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  if (n > 0)
  {
    std::string path(self, static_cast<size_t>(n));
    path = path.substr(0, path.rfind('/') + 1) + "zephra-alert";
    if (access(path.c_str(), X_OK) == 0) return path;
  }
#ifdef ZEPHRA_ALERT_HELPER
  if (access(ZEPHRA_ALERT_HELPER, X_OK) == 0) return ZEPHRA_ALERT_HELPER;
#endif
  return std::string();
}
}  // namespace

int PLAT_AlertShow(const char* title, const char* text, const char* const* buttons, int count)
{
  const std::string helper = HelperPath();
  if (helper.empty() || count < 1 || !buttons)
  {
    std::fprintf(stderr, "ZephraEditor: no alert helper to show \"%s\"\n", text ? text : "");
    return PLAT_ALERT_FAILED;
  }
  // An argument list, never a shell: the texts are passed exactly as given.
  std::vector<std::string> args{helper, title ? title : "", text ? text : ""};
  for (int i = 0; i < count; ++i) args.push_back(buttons[i] ? buttons[i] : "");
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(&a[0]);
  argv.push_back(nullptr);

  // Held from the spawn until the helper is listed, so that a cancel in
  // between cannot miss it.
  std::unique_lock<std::mutex> listing(gHelpersLock);
  if (gCancelled) return PLAT_ALERT_CANCELLED;
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return PLAT_ALERT_FAILED;
  const pid_t pid = PLAT_SpawnClean(helper.c_str(), argv.data(), false, fds[1]);
  close(fds[1]);
  if (pid < 0)
  {
    close(fds[0]);
    std::fprintf(stderr, "ZephraEditor: the alert helper did not start\n");
    return PLAT_ALERT_FAILED;
  }
  gHelperPid = pid;
  gHelpers.insert(pid);
  listing.unlock();
  std::string answer;
  char buffer[32];
  bool ending = false;
  for (;;)
  {
    // A quitting signal the main loop has not seen yet ends the alert: the
    // loop cannot see it while its thread waits here.
    pollfd watched[2] = {{fds[0], POLLIN, 0}, {ending ? -1 : PLAT_LoopSignalPendingFd(), POLLIN, 0}};
    if (poll(watched, 2, -1) < 0)
    {
      if (errno == EINTR) continue;
      break;
    }
    if (watched[1].revents & POLLIN)
    {
      ending = true;
      kill(pid, SIGTERM);
    }
    if (!(watched[0].revents & (POLLIN | POLLHUP | POLLERR))) continue;
    const ssize_t got = read(fds[0], buffer, sizeof buffer);
    if (got > 0 && answer.size() < 64)
      answer.append(buffer, static_cast<size_t>(got));
    else if (got == 0 || (got < 0 && errno != EINTR))
      break;
  }
  close(fds[0]);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR)
  {
  }
  gHelperPid = 0;
  listing.lock();
  gHelpers.erase(pid);
  if (gCancelled || ending) return PLAT_ALERT_CANCELLED;
  listing.unlock();
  char* end = nullptr;
  const long index = std::strtol(answer.c_str(), &end, 10);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || end == answer.c_str() || index < PLAT_ALERT_CANCELLED ||
      index >= count)
  {
    std::fprintf(stderr, "ZephraEditor: the alert helper gave no answer\n");
    return PLAT_ALERT_FAILED;
  }
  return static_cast<int>(index);
}

int PLAT_AlertHelperPid() { return gHelperPid.load(); }

void PLAT_AlertCancelAll(bool cancel)
{
  std::lock_guard<std::mutex> listing(gHelpersLock);
  gCancelled = cancel;
  if (!cancel) return;
  // The helper's end closes its pipe, which ends the wait of its caller.
  for (pid_t pid : gHelpers) kill(pid, SIGTERM);
}
