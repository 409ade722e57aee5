#include "platform/gtk/PLAT_GtkLoop.h"

#include <glib-unix.h>
#include <glib.h>

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <vector>

namespace
{
struct SourceCall
{
  PLAT_LoopCallback fn;
  void* data;
};

// GLib calls back through C; nothing may throw across it, and a callback that
// failed is dropped rather than called again.
gboolean Trampoline(gpointer p)
{
  const SourceCall* call = static_cast<const SourceCall*>(p);
  try
  {
    return call->fn(call->data) ? G_SOURCE_CONTINUE : G_SOURCE_REMOVE;
  }
  catch (...)
  {
    std::fprintf(stderr, "ZephraEditor: a loop callback failed\n");
    return G_SOURCE_REMOVE;
  }
}

void FreeCall(gpointer p) { delete static_cast<SourceCall*>(p); }

unsigned Attach(GSource* source, PLAT_LoopCallback fn, void* data)
{
  g_source_set_callback(source, Trampoline, new SourceCall{fn, data}, FreeCall);
  const unsigned id = g_source_attach(source, nullptr);
  g_source_unref(source);
  return id;
}

GMainLoop* gMainLoop = nullptr;
}  // namespace

unsigned PLAT_LoopAddTimeout(unsigned ms, PLAT_LoopCallback fn, void* data)
{
  return Attach(g_timeout_source_new(ms == 0 ? 1 : ms), fn, data);
}

unsigned PLAT_LoopAddIdle(PLAT_LoopCallback fn, void* data) { return Attach(g_idle_source_new(), fn, data); }

void PLAT_LoopRemove(unsigned id)
{
  if (id == 0) return;
  // g_source_remove warns about ids that are gone; look the source up first.
  if (GSource* source = g_main_context_find_source_by_id(nullptr, id)) g_source_destroy(source);
}

namespace
{
// The signal handler writes the signal's number into a pipe the loop
// watches: the same wake-up as the toolkit's own signal source, but one a
// thread waiting outside the loop can see too.
struct SignalWatch
{
  int signum;
  PLAT_LoopCallback fn;
  void* data;
};
int gSignalPipe[2] = {-1, -1};
std::atomic<int> gSignalReadFd{-1};  // gSignalPipe[0], for other threads
unsigned gSignalSource = 0;
std::vector<SignalWatch> gSignalWatches;

void OnSignal(int signum)
{
  const int saved = errno;
  const unsigned char number = static_cast<unsigned char>(signum);
  (void)!write(gSignalPipe[1], &number, 1);
  errno = saved;
}

gboolean ReadSignals(gint fd, GIOCondition, gpointer)
{
  unsigned char numbers[64];
  ssize_t got;
  while ((got = read(fd, numbers, sizeof numbers)) > 0 || (got < 0 && errno == EINTR))
  {
    for (ssize_t i = 0; i < got; ++i)
    {
      // A callback may watch another signal: go by index.
      for (size_t w = 0; w < gSignalWatches.size();)
      {
        const SignalWatch watch = gSignalWatches[w];
        bool keep = true;
        if (watch.signum == numbers[i])
        {
          try
          {
            keep = watch.fn(watch.data);
          }
          catch (...)
          {
            std::fprintf(stderr, "ZephraEditor: a loop callback failed\n");
            keep = false;
          }
        }
        if (keep)
          ++w;
        else
          gSignalWatches.erase(gSignalWatches.begin() + static_cast<long>(w));
      }
    }
  }
  return G_SOURCE_CONTINUE;
}
}  // namespace

unsigned PLAT_LoopWatchSignal(int signum, PLAT_LoopCallback fn, void* data)
{
  if (signum <= 0 || signum > 255) return 0;
  if (gSignalPipe[0] < 0)
  {
    if (pipe2(gSignalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return 0;
    gSignalSource = g_unix_fd_add(gSignalPipe[0], G_IO_IN, ReadSignals, nullptr);
    gSignalReadFd = gSignalPipe[0];
  }
  gSignalWatches.push_back({signum, fn, data});
  struct sigaction action = {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  if (sigaction(signum, &action, nullptr) != 0)
  {
    gSignalWatches.pop_back();
    return 0;
  }
  return gSignalSource;
}

int PLAT_LoopSignalPendingFd() { return gSignalReadFd.load(); }

bool PLAT_LoopRunMain()
{
  if (gMainLoop) return false;
  gMainLoop = g_main_loop_new(nullptr, FALSE);
  g_main_loop_run(gMainLoop);
  g_main_loop_unref(gMainLoop);
  gMainLoop = nullptr;
  return true;
}

void PLAT_LoopQuitMain()
{
  if (gMainLoop) g_main_loop_quit(gMainLoop);
}

bool PLAT_LoopIterate(bool mayBlock) { return g_main_context_iteration(nullptr, mayBlock) != FALSE; }

void PLAT_LoopWakeUp() { g_main_context_wakeup(nullptr); }

// ---- nested loops ----

struct PLAT_NestedLoop::Impl
{
  GMainLoop* loop = g_main_loop_new(nullptr, FALSE);
  bool quitEarly = false;
  ~Impl() { g_main_loop_unref(loop); }
};

PLAT_NestedLoop::PLAT_NestedLoop() : mImpl(std::make_unique<Impl>()) {}
PLAT_NestedLoop::~PLAT_NestedLoop() = default;

void PLAT_NestedLoop::Run()
{
  if (mImpl->quitEarly) return;
  g_main_loop_run(mImpl->loop);
}

void PLAT_NestedLoop::Quit()
{
  // A quit before the run starts would be lost by GLib, which resets its flag
  // when the run begins.
  if (!g_main_loop_is_running(mImpl->loop)) mImpl->quitEarly = true;
  g_main_loop_quit(mImpl->loop);
}

bool PLAT_NestedLoop::IsRunning() const { return g_main_loop_is_running(mImpl->loop) != FALSE; }
