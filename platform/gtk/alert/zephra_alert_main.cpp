// The alert helper: zephra-alert TITLE TEXT BUTTON... shows a message
// dialog with the buttons in order (the first is the default) and writes
// the index of the button pressed, or -1 for Escape or closing, to its
// standard output. Exit code 1 when no display can be opened.
#include <gtk/gtk.h>

#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <cstdio>

namespace
{
// Without a window manager nobody gives the dialog the keyboard: take it.
gboolean TakeFocus(GtkWidget* widget, GdkEvent*, gpointer)
{
  gdk_window_focus(gtk_widget_get_window(widget), GDK_CURRENT_TIME);
  return FALSE;
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
  g_signal_connect(dialog, "map-event", G_CALLBACK(TakeFocus), nullptr);
  const int response = gtk_dialog_run(GTK_DIALOG(dialog));
  std::printf("%d\n", response >= 0 ? response : -1);
  std::fflush(stdout);
  // The toolkit keeps its allocations to the end; nothing needs tearing down.
  _exit(0);
}
