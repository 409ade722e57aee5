// The alert helper: zephra-alert TITLE TEXT BUTTON... shows a message
// dialog with the buttons in order (the first is the default) and writes
// the index of the button pressed, or -1 for Escape or closing, to its
// standard output, then the display's time once it was answered (what the
// user did to the caller's windows before that was meant for the box).
// Exit code 1 when no display can be opened.
//
// With ZEPHRA_ALERT_OWNER naming a process and a window manager running,
// the dialog is the modal box of that process's largest window: the window
// manager keeps it above that window and treats it as its dialog.
#include "platform/gtk/PLAT_Alert.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <gdk/gdkx.h>
#include <gtk/gtk.h>

#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace
{
// Without a window manager nobody gives the dialog the keyboard: take it.
gboolean TakeFocus(GtkWidget* widget, GdkEvent*, gpointer)
{
  gdk_window_focus(gtk_widget_get_window(widget), GDK_CURRENT_TIME);
  return FALSE;
}

// One item of a CARDINAL or WINDOW property list, or the whole list.
std::vector<unsigned long> LongsOf(Display* display, Window window, const char* name, Atom type)
{
  std::vector<unsigned long> values;
  Atom actual = None;
  int format = 0;
  unsigned long n = 0, left = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(display, window, XInternAtom(display, name, False), 0, 4096, False, type, &actual, &format,
                         &n, &left, &data) == Success &&
      data && format == 32)
  {
    const unsigned long* items = reinterpret_cast<const unsigned long*>(data);
    values.assign(items, items + n);
  }
  if (data) XFree(data);
  return values;
}

// The owner's largest mapped top-level window, from the window manager's
// list of clients. Without a window manager there is none to keep the box
// above its window, and the box stands free as it is.
Window OwnerWindow(Display* display, long owner)
{
  const std::vector<unsigned long> windows =
    LongsOf(display, DefaultRootWindow(display), "_NET_CLIENT_LIST", XA_WINDOW);
  Window best = 0;
  long bestArea = 0;
  for (unsigned long w : windows)
  {
    const std::vector<unsigned long> pid = LongsOf(display, w, "_NET_WM_PID", XA_CARDINAL);
    XWindowAttributes attributes;
    if (pid.empty() || static_cast<long>(pid[0]) != owner || !XGetWindowAttributes(display, w, &attributes) ||
        attributes.map_state != IsViewable)
      continue;
    const long area = static_cast<long>(attributes.width) * attributes.height;
    if (area > bestArea)
    {
      best = w;
      bestArea = area;
    }
  }
  return best;
}

void StandAboveOwner(GtkWidget* dialog)
{
  const char* owner = std::getenv(kOwnerVariable);
  GdkDisplay* display = gdk_display_get_default();
  if (!owner || !GDK_IS_X11_DISPLAY(display)) return;
  const Window window = OwnerWindow(gdk_x11_display_get_xdisplay(display), std::atol(owner));
  if (!window) return;
  GdkWindow* foreign = gdk_x11_window_foreign_new_for_display(display, window);
  if (!foreign) return;
  gtk_widget_realize(dialog);
  gdk_window_set_transient_for(gtk_widget_get_window(dialog), foreign);
  gtk_window_set_position(GTK_WINDOW(dialog), GTK_WIN_POS_CENTER_ON_PARENT);
}
}  // namespace

int main(int argc, char** argv)
{
  // The alert ends with the thread of the editor that waits for it: a box
  // left behind would answer nobody. An editor gone before this line has
  // closed the pipe's reading end.
  prctl(PR_SET_PDEATHSIG, SIGTERM);
  pollfd answer{STDOUT_FILENO, 0, 0};
  if (poll(&answer, 1, 0) == 1 && (answer.revents & POLLERR)) return 1;
  if (argc < 4 || !gtk_init_check(nullptr, nullptr)) return 1;
  // Plain text: the message goes through a format that prints it as it is.
  GtkWidget* dialog = gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, GTK_MESSAGE_OTHER, GTK_BUTTONS_NONE, "%s",
                                             argv[2]);
  gtk_window_set_title(GTK_WINDOW(dialog), argv[1]);
  for (int i = 3; i < argc; ++i) gtk_dialog_add_button(GTK_DIALOG(dialog), argv[i], i - 3);
  gtk_dialog_set_default_response(GTK_DIALOG(dialog), 0);
  gtk_window_set_keep_above(GTK_WINDOW(dialog), TRUE);
  StandAboveOwner(dialog);
  g_signal_connect(dialog, "map-event", G_CALLBACK(TakeFocus), nullptr);
  const int response = gtk_dialog_run(GTK_DIALOG(dialog));
  GdkWindow* shown = gtk_widget_get_window(dialog);
  const unsigned long answeredAt =
    shown && GDK_IS_X11_WINDOW(shown) ? static_cast<unsigned long>(gdk_x11_get_server_time(shown)) : 0;
  std::printf("%d %lu\n", response >= 0 ? response : -1, answeredAt);
  std::fflush(stdout);
  // The toolkit keeps its allocations to the end; nothing needs tearing down.
  _exit(0);
}
