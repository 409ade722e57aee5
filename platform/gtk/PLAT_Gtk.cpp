#include "platform/gtk/PLAT_Gtk.h"
#include "platform/gtk/PLAT_Alert.h"

#include "platform/PLAT_Resources.h"
#include "platform/gtk/PLAT_GtkPrivate.h"

#include <gdk/gdkx.h>
#include <gtk/gtk.h>

#include <clocale>
#include <cstdio>
#include <string>

namespace
{
enum class State
{
  Untried,
  Up,
  Failed,
};
State gState = State::Untried;
PLAT_GtkSink* gSink = nullptr;

// The theme's buttons and drop-down lists want far more height and width
// than the dialogs' fixed frames give them; the shipped sheet makes them
// compact.
void LoadStyleSheet()
{
  const std::string path = PLAT_GetResourcePath("gtk/winl.css");
  if (path.empty()) return;
  GtkCssProvider* provider = gtk_css_provider_new();
  GError* error = nullptr;
  if (gtk_css_provider_load_from_path(provider, path.c_str(), &error))
    gtk_style_context_add_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(provider),
                                              GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
  else
  {
    std::fprintf(stderr, "ZephraEditor: style sheet %s: %s\n", path.c_str(), error->message);
    g_error_free(error);
  }
  g_object_unref(provider);
}

GdkMonitor* PrimaryMonitor()
{
  GdkDisplay* display = gdk_display_get_default();
  if (!display) return nullptr;
  // A display without a monitor marked primary (a virtual one, say) still
  // has a first monitor.
  GdkMonitor* monitor = gdk_display_get_primary_monitor(display);
  return monitor ? monitor : gdk_display_get_monitor(display, 0);
}

int IntSetting(const char* name, int fallback)
{
  if (gState != State::Up) return fallback;
  gint value = fallback;
  g_object_get(gtk_settings_get_default(), name, &value, nullptr);
  return value;
}
}  // namespace

namespace
{
// A launcher's start-up notice, taken from the environment before any other
// thread runs and handed to the display once it is open (opening it would
// otherwise take the variable out of the environment then).
std::string gStartupId;
}  // namespace

void PLAT_GtkPrepareEnvironment()
{
  static bool prepared = false;
  if (prepared) return;
  prepared = true;
  if (const char* id = g_getenv("DESKTOP_STARTUP_ID")) gStartupId = id;
  g_unsetenv("DESKTOP_STARTUP_ID");
  // Everything is drawn by the editor's own rasteriser; without this the
  // toolkit loads the OpenGL driver while opening the display, to choose
  // visuals, which costs tens of milliseconds and of megabytes. A setting
  // of the user's own stands.
  g_setenv("GDK_GL", "disable", FALSE);
  // The locale the toolkit's start would set, set here once.
  setlocale(LC_ALL, "");
  gtk_disable_setlocale();
}

bool PLAT_GtkInit()
{
  if (gState != State::Untried) return gState == State::Up;
  PLAT_GtkPrepareEnvironment();
  if (!gtk_init_check(nullptr, nullptr))
  {
    gState = State::Failed;
    return false;
  }
  GdkDisplay* display = gdk_display_get_default();
  if (!gStartupId.empty() && GDK_IS_X11_DISPLAY(display))
    gdk_x11_display_set_startup_notification_id(display, gStartupId.c_str());
  g_object_set(gtk_settings_get_default(), "gtk-enable-animations", FALSE, nullptr);
  LoadStyleSheet();
  PLAT_AlertGuardInput();
  gState = State::Up;
  return true;
}

bool PLAT_GtkIsUp() { return gState == State::Up; }

unsigned PLAT_GtkLoopTurn()
{
  static unsigned turn = 1;
  static bool watched = false;
  // Counted only while someone asks: an idle loop stays idle.
  if (!watched)
  {
    watched = true;
    g_idle_add_full(
        G_PRIORITY_HIGH,
        [](gpointer) {
          ++turn;
          watched = false;
          return G_SOURCE_REMOVE;
        },
        nullptr, nullptr);
  }
  return turn;
}

namespace
{
// A monitor's work area costs a few round trips to the display server, and
// placing a window asks for it again and again while one event is handled
// (eleven times while the editor starts): one answer serves the turn.
struct WorkAreaAnswer
{
  GdkMonitor* monitor = nullptr;
  GdkRectangle area{};
  unsigned turn = 0;
};
WorkAreaAnswer gWorkArea;

GdkRectangle WorkAreaOf(GdkMonitor* monitor)
{
  const unsigned turn = PLAT_GtkLoopTurn();
  if (gWorkArea.turn == turn && gWorkArea.monitor == monitor) return gWorkArea.area;
  gdk_monitor_get_workarea(monitor, &gWorkArea.area);
  gWorkArea.monitor = monitor;
  gWorkArea.turn = turn;
  return gWorkArea.area;
}

bool MonitorRects(GdkMonitor* monitor, PLAT_Rect* frame, PLAT_Rect* workArea)
{
  if (!monitor) return false;
  GdkRectangle r;
  if (frame)
  {
    gdk_monitor_get_geometry(monitor, &r);
    *frame = {r.x, r.y, r.width, r.height};
  }
  if (workArea)
  {
    r = WorkAreaOf(monitor);
    *workArea = {r.x, r.y, r.width, r.height};
  }
  return true;
}
}  // namespace

bool PLAT_GtkGetPrimaryMonitor(PLAT_Rect* frame, PLAT_Rect* workArea)
{
  return MonitorRects(gState == State::Up ? PrimaryMonitor() : nullptr, frame, workArea);
}

bool PLAT_GtkGetMonitorAt(int x, int y, PLAT_Rect* frame, PLAT_Rect* workArea)
{
  GdkDisplay* display = gState == State::Up ? gdk_display_get_default() : nullptr;
  return MonitorRects(display ? gdk_display_get_monitor_at_point(display, x, y) : nullptr, frame, workArea);
}

bool PLAT_GtkWindowManagerFrames()
{
  GdkDisplay* display = gState == State::Up ? gdk_display_get_default() : nullptr;
  if (!display || !GDK_IS_X11_DISPLAY(display)) return false;
  return gdk_x11_screen_supports_net_wm_hint(gdk_display_get_default_screen(display),
                                             gdk_atom_intern_static_string("_NET_FRAME_EXTENTS"));
}

int PLAT_GtkDoubleClickTime() { return IntSetting("gtk-double-click-time", 400); }
int PLAT_GtkDoubleClickDistance() { return IntSetting("gtk-double-click-distance", 5); }

void PLAT_GtkSetSink(PLAT_GtkSink* sink) { gSink = sink; }

PLAT_GtkSink* PLAT_GtkGetSink() { return gSink; }
