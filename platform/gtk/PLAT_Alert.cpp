#include "platform/gtk/PLAT_Alert.h"

#include "core/SpawnClean.h"
#include "platform/gtk/PLAT_GtkLoop.h"

#include <gtk/gtk.h>

#include <fcntl.h>
#include <signal.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstdint>
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
// One box at a time: a box is modal to the application, and a box raised
// meanwhile by another thread waits for it to be answered rather than pile
// up beside it.
bool gTaken = false;  // under gHelpersLock
std::condition_variable gTurn;
// The input guard's view, read on the toolkit's thread: whether a box
// stands, and the display's time when the last one was answered.
std::atomic<bool> gStanding{false};
std::atomic<uint32_t> gAnsweredAt{0};

#ifndef ZEPHRA_ALERT_HELPER
#define ZEPHRA_ALERT_HELPER nullptr
#endif

int ShowOne(const char* title, const char* text, const char* const* buttons, int count)
{
  const std::string helper = HelperProgramPath("zephra-alert", ZEPHRA_ALERT_HELPER);
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
  // The helper finds the caller's windows by its process id and stands
  // above them as their modal box.
  std::vector<std::string> environment{std::string(kOwnerVariable) + "=" + std::to_string(getpid())};
  for (char** e = environ; *e; ++e)
    if (std::string(*e).rfind(std::string(kOwnerVariable) + "=", 0) != 0) environment.emplace_back(*e);
  std::vector<char*> envp;
  for (std::string& e : environment) envp.push_back(&e[0]);
  envp.push_back(nullptr);
  const pid_t pid = SpawnClean(helper.c_str(), argv.data(), false, fds[1], envp.data());
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
  const char* time = end;
  char* timeEnd = nullptr;
  const unsigned long answeredAt = std::strtoul(time, &timeEnd, 10);
  if (timeEnd != time && answeredAt != 0) gAnsweredAt = static_cast<uint32_t>(answeredAt);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || end == answer.c_str() || index < PLAT_ALERT_CANCELLED ||
      index >= count)
  {
    std::fprintf(stderr, "ZephraEditor: the alert helper gave no answer\n");
    return PLAT_ALERT_FAILED;
  }
  return static_cast<int>(index);
}

}  // namespace

int PLAT_AlertShow(const char* title, const char* text, const char* const* buttons, int count)
{
  {
    std::unique_lock<std::mutex> turn(gHelpersLock);
    gTurn.wait(turn, [] { return gCancelled || !gTaken; });
    if (gCancelled) return PLAT_ALERT_CANCELLED;
    gTaken = true;
    gStanding = true;
  }
  const int answer = ShowOne(title, text, buttons, count);
  {
    std::lock_guard<std::mutex> turn(gHelpersLock);
    gTaken = false;
    gStanding = false;
  }
  gTurn.notify_one();
  return answer;
}

void PLAT_AlertGuardInput()
{
  gdk_event_handler_set(
    [](GdkEvent* event, gpointer) {
      switch (event->type)
      {
        case GDK_BUTTON_PRESS:
        case GDK_2BUTTON_PRESS:
        case GDK_3BUTTON_PRESS:
        case GDK_SCROLL:
        case GDK_KEY_PRESS:
        case GDK_TOUCH_BEGIN:
        {
          // The box is modal: input meant for the windows behind it while
          // it stood is not theirs, also when the thread that showed it was
          // this one and the input waited in the queue until its answer.
          if (gStanding) return;
          const uint32_t at = gdk_event_get_time(event);
          const uint32_t answered = gAnsweredAt;
          if (at != GDK_CURRENT_TIME && answered != 0 && static_cast<int32_t>(at - answered) <= 0) return;
          break;
        }
        default: break;
      }
      gtk_main_do_event(event);
    },
    nullptr, nullptr);
}

int PLAT_AlertHelperPid() { return gHelperPid.load(); }

void PLAT_AlertCancelAll(bool cancel)
{
  std::lock_guard<std::mutex> listing(gHelpersLock);
  gCancelled = cancel;
  if (!cancel) return;
  gTurn.notify_all();
  // The helper's end closes its pipe, which ends the wait of its caller.
  for (pid_t pid : gHelpers) kill(pid, SIGTERM);
}
