// Session-bus calls through GIO's D-Bus client, on connections of their own
// made from the session's bus address, so that a changed address (a test's
// private bus) is honoured and no toolkit main loop is needed.
#include "platform/gtk/PLAT_Bus.h"

#include <gio/gio.h>

#include <mutex>
#include <sys/stat.h>

namespace
{
constexpr int kCallTimeoutMs = 5000;

// The session bus address, without starting a bus of our own when there is
// none: the variable, else the per-user socket.
std::string SessionBusAddress()
{
  if (const char* address = g_getenv("DBUS_SESSION_BUS_ADDRESS"); address && *address) return address;
  const char* runtime = g_getenv("XDG_RUNTIME_DIR");
  if (!runtime || !*runtime) return {};
  const std::string socket = std::string(runtime) + "/bus";
  struct stat st{};
  if (stat(socket.c_str(), &st) != 0 || !S_ISSOCK(st.st_mode)) return {};
  return "unix:path=" + socket;
}

GDBusConnection* Connect(std::string* why)
{
  const std::string address = SessionBusAddress();
  if (address.empty())
  {
    if (why) *why = "no session bus";
    return nullptr;
  }
  GError* error = nullptr;
  GDBusConnection* connection = g_dbus_connection_new_for_address_sync(
      address.c_str(),
      static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                        G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
      nullptr, nullptr, &error);
  if (!connection)
  {
    if (why) *why = std::string("session bus unreachable: ") + error->message;
    g_error_free(error);
    return nullptr;
  }
  // Our own connection: the process goes on when the bus goes away.
  g_dbus_connection_set_exit_on_close(connection, FALSE);
  return connection;
}

// Calls the method and returns its answer (caller unrefs), or null with the
// error's text in *why.
GVariant* Call(GDBusConnection* connection, const char* name, const char* path, const char* interface,
               const char* method, GVariant* parameters, const char* replyType, std::string* why)
{
  GError* error = nullptr;
  GVariant* reply = g_dbus_connection_call_sync(connection, name, path, interface, method, parameters,
                                                replyType ? G_VARIANT_TYPE(replyType) : nullptr,
                                                G_DBUS_CALL_FLAGS_NO_AUTO_START, kCallTimeoutMs, nullptr, &error);
  if (!reply)
  {
    if (why) *why = std::string(name) + ": " + error->message;
    g_error_free(error);
  }
  return reply;
}

// The one hold; its connection stays open while it is held because the
// services drop a hold whose caller left the bus.
struct IdleHold
{
  std::mutex lock;
  GDBusConnection* connection = nullptr;
  guint32 cookie = 0;
  bool session = false;  // from the session manager, else the screen saver
};

IdleHold& Hold()
{
  static IdleHold* hold = new IdleHold;
  return *hold;
}
}  // namespace

bool PLAT_BusShowItems(const std::vector<std::string>& paths)
{
  if (paths.empty()) return false;
  GDBusConnection* connection = Connect(nullptr);
  if (!connection) return false;
  GVariantBuilder uris;
  g_variant_builder_init(&uris, G_VARIANT_TYPE("as"));
  for (const std::string& path : paths)
  {
    gchar* uri = g_filename_to_uri(path.c_str(), nullptr, nullptr);
    if (uri) g_variant_builder_add(&uris, "s", uri);
    g_free(uri);
  }
  GVariant* reply = Call(connection, "org.freedesktop.FileManager1", "/org/freedesktop/FileManager1",
                         "org.freedesktop.FileManager1", "ShowItems", g_variant_new("(ass)", &uris, ""), nullptr,
                         nullptr);
  if (reply) g_variant_unref(reply);
  g_object_unref(connection);
  return reply != nullptr;
}

bool PLAT_BusInhibitIdle(const char* application, const char* reason, std::string* why)
{
  IdleHold& hold = Hold();
  std::lock_guard<std::mutex> guard(hold.lock);
  if (hold.connection) return true;
  GDBusConnection* connection = Connect(why);
  if (!connection) return false;
  const char* app = application ? application : "";
  const char* text = reason ? reason : "";
  std::string first;
  GVariant* reply = Call(connection, "org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver",
                         "org.freedesktop.ScreenSaver", "Inhibit", g_variant_new("(ss)", app, text), "(u)", &first);
  bool session = false;
  if (!reply)
  {
    // Flag 8: idle, the one kind of hold asked for here.
    std::string second;
    reply = Call(connection, "org.gnome.SessionManager", "/org/gnome/SessionManager", "org.gnome.SessionManager",
                 "Inhibit", g_variant_new("(susu)", app, 0u, text, 8u), "(u)", &second);
    session = true;
    if (!reply)
    {
      if (why) *why = first + "; " + second;
      g_object_unref(connection);
      return false;
    }
  }
  g_variant_get(reply, "(u)", &hold.cookie);
  g_variant_unref(reply);
  hold.connection = connection;
  hold.session = session;
  return true;
}

void PLAT_BusAllowIdle()
{
  IdleHold& hold = Hold();
  std::lock_guard<std::mutex> guard(hold.lock);
  if (!hold.connection) return;
  GVariant* reply = hold.session
                        ? Call(hold.connection, "org.gnome.SessionManager", "/org/gnome/SessionManager",
                               "org.gnome.SessionManager", "Uninhibit", g_variant_new("(u)", hold.cookie), nullptr,
                               nullptr)
                        : Call(hold.connection, "org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver",
                               "org.freedesktop.ScreenSaver", "UnInhibit", g_variant_new("(u)", hold.cookie),
                               nullptr, nullptr);
  if (reply) g_variant_unref(reply);
  // Closing the connection ends the hold too, should the call have failed.
  g_dbus_connection_close_sync(hold.connection, nullptr, nullptr);
  g_object_unref(hold.connection);
  hold.connection = nullptr;
  hold.cookie = 0;
}

bool PLAT_BusIdleInhibited()
{
  IdleHold& hold = Hold();
  std::lock_guard<std::mutex> guard(hold.lock);
  return hold.connection != nullptr;
}
