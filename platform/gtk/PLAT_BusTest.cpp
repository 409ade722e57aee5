// The private bus is the system's bus daemon started with the session
// configuration; the stand-in services run GIO's D-Bus server side in a
// main loop on a thread of their own, so that the code under test may call
// them synchronously from the test's thread.
#include "platform/gtk/PLAT_BusTest.h"

#include <gio/gio.h>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

PLAT_TestSessionBus::PLAT_TestSessionBus()
{
  int pipeFds[2];
  if (pipe(pipeFds) != 0) return;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
  posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
  // Its complaints about the sandbox's limits are no test's concern.
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  const char* argv[] = {"dbus-daemon", "--session", "--nofork", "--nopidfile", "--print-address=1", nullptr};
  pid_t pid = -1;
  const int failed = posix_spawnp(&pid, "dbus-daemon", &actions, nullptr, const_cast<char**>(argv), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(pipeFds[1]);
  if (failed != 0)
  {
    close(pipeFds[0]);
    return;
  }
  mPid = pid;
  // The daemon prints its address once it listens; a read blocks until then.
  std::string line;
  char c;
  for (;;)
  {
    const ssize_t n = read(pipeFds[0], &c, 1);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0 || c == '\n') break;
    line += c;
  }
  close(pipeFds[0]);
  mAddress = line;
  if (const char* saved = std::getenv("DBUS_SESSION_BUS_ADDRESS"))
  {
    mSaved = saved;
    mHadSaved = true;
  }
  if (!mAddress.empty()) setenv("DBUS_SESSION_BUS_ADDRESS", mAddress.c_str(), 1);
}

PLAT_TestSessionBus::~PLAT_TestSessionBus()
{
  if (mHadSaved)
    setenv("DBUS_SESSION_BUS_ADDRESS", mSaved.c_str(), 1);
  else
    unsetenv("DBUS_SESSION_BUS_ADDRESS");
  if (mPid > 0)
  {
    kill(mPid, SIGTERM);
    while (waitpid(mPid, nullptr, 0) < 0 && errno == EINTR) {}
  }
}

struct PLAT_TestBusService::State
{
  std::string name;
  std::string path;
  std::string introspection;
  std::string reply;
  GMainContext* context = nullptr;
  GMainLoop* loop = nullptr;
  GDBusConnection* connection = nullptr;
  std::thread thread;
  mutable std::mutex lock;
  std::condition_variable readyChanged;
  std::vector<std::string> calls;
  bool owned = false;
  bool ready = false;
};

namespace
{
void OnCall(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar* method, GVariant* parameters,
            GDBusMethodInvocation* invocation, gpointer data)
{
  auto* state = static_cast<PLAT_TestBusService::State*>(data);
  gchar* text = g_variant_print(parameters, TRUE);
  {
    std::lock_guard<std::mutex> guard(state->lock);
    state->calls.push_back(std::string(method) + text);
  }
  g_free(text);
  // Methods without results answer an empty reply.
  const GDBusMethodInfo* info = g_dbus_method_invocation_get_method_info(invocation);
  const bool results = info && info->out_args && info->out_args[0];
  GVariant* reply = results ? g_variant_parse(nullptr, state->reply.c_str(), nullptr, nullptr, nullptr) : nullptr;
  g_dbus_method_invocation_return_value(invocation, reply);
}

// Connects, serves the object and takes the name, all in the thread's own
// context so that calls are answered there.
void Serve(PLAT_TestBusService::State* state)
{
  g_main_context_push_thread_default(state->context);
  const char* address = g_getenv("DBUS_SESSION_BUS_ADDRESS");
  GDBusNodeInfo* node = g_dbus_node_info_new_for_xml(state->introspection.c_str(), nullptr);
  if (address && node && node->interfaces && node->interfaces[0])
  {
    state->connection = g_dbus_connection_new_for_address_sync(
        address,
        static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                          G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, nullptr, nullptr);
  }
  if (state->connection)
  {
    g_dbus_connection_set_exit_on_close(state->connection, FALSE);
    static const GDBusInterfaceVTable vtable = {OnCall, nullptr, nullptr, {}};
    const guint id = g_dbus_connection_register_object(state->connection, state->path.c_str(), node->interfaces[0],
                                                       &vtable, state, nullptr, nullptr);
    // 4: do not queue; answer 1 means the name is ours.
    GVariant* answer = g_dbus_connection_call_sync(
        state->connection, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "RequestName",
        g_variant_new("(su)", state->name.c_str(), 4u), G_VARIANT_TYPE("(u)"), G_DBUS_CALL_FLAGS_NONE, 5000, nullptr,
        nullptr);
    guint32 result = 0;
    if (answer)
    {
      g_variant_get(answer, "(u)", &result);
      g_variant_unref(answer);
    }
    {
      std::lock_guard<std::mutex> guard(state->lock);
      state->owned = id != 0 && result == 1;
      state->ready = true;
    }
    state->readyChanged.notify_all();
    g_main_loop_run(state->loop);
    if (id) g_dbus_connection_unregister_object(state->connection, id);
    g_dbus_connection_close_sync(state->connection, nullptr, nullptr);
    g_object_unref(state->connection);
  }
  else
  {
    std::lock_guard<std::mutex> guard(state->lock);
    state->ready = true;
  }
  state->readyChanged.notify_all();
  if (node) g_dbus_node_info_unref(node);
  g_main_context_pop_thread_default(state->context);
}
}  // namespace

PLAT_TestBusService::PLAT_TestBusService(const char* name, const char* path, const char* introspection,
                                         const char* reply)
    : mState(std::make_unique<State>())
{
  mState->name = name;
  mState->path = path;
  mState->introspection = introspection;
  mState->reply = reply;
  mState->context = g_main_context_new();
  mState->loop = g_main_loop_new(mState->context, FALSE);
  // Calls are answered once the name is taken: the test starts after that.
  mState->thread = std::thread(Serve, mState.get());
  std::unique_lock<std::mutex> guard(mState->lock);
  mState->readyChanged.wait(guard, [this] { return mState->ready; });
}

PLAT_TestBusService::~PLAT_TestBusService()
{
  g_main_context_invoke(mState->context, [](gpointer loop) -> gboolean {
    g_main_loop_quit(static_cast<GMainLoop*>(loop));
    return G_SOURCE_REMOVE;
  }, mState->loop);
  mState->thread.join();
  g_main_loop_unref(mState->loop);
  g_main_context_unref(mState->context);
}

bool PLAT_TestBusService::Ok() const
{
  std::lock_guard<std::mutex> guard(mState->lock);
  return mState->owned;
}

std::vector<std::string> PLAT_TestBusService::Calls() const
{
  std::lock_guard<std::mutex> guard(mState->lock);
  return mState->calls;
}
