#include "platform/gtk/PLAT_GtkClipboard.h"

#include "platform/gtk/PLAT_GtkPrivate.h"

void PLAT_GtkClipboardSetText(const std::string& text)
{
  GtkClipboard* board = gtk_clipboard_get(GDK_SELECTION_CLIPBOARD);
  gtk_clipboard_set_text(board, text.data(), static_cast<gint>(text.size()));
  gtk_clipboard_store(board);
}

bool PLAT_GtkClipboardGetText(std::string* text)
{
  gchar* got = gtk_clipboard_wait_for_text(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD));
  if (!got) return false;
  *text = got;
  g_free(got);
  return true;
}
