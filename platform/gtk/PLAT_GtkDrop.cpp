#include "platform/gtk/PLAT_GtkDrop.h"

#include "platform/gtk/PLAT_Gtk.h"
#include "platform/gtk/PLAT_GtkPrivate.h"

#include <gtk/gtk.h>

#include <string>

namespace
{
char kUriListTarget[] = "text/uri-list";

void DataReceived(GtkWidget*, GdkDragContext* context, gint x, gint y, GtkSelectionData* data, guint,
                  guint time, gpointer user)
{
  const uint64_t id = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(user));
  bool taken = false;
  const gint length = gtk_selection_data_get_length(data);
  const guchar* bytes = gtk_selection_data_get_data(data);
  if (length > 0 && bytes)
  {
    // The selection's bytes need not end in a terminator.
    const std::string list(reinterpret_cast<const char*>(bytes), static_cast<size_t>(length));
    taken = PLAT_GtkUriListDropped(id, list.c_str(), x, y);
  }
  gtk_drag_finish(context, taken, FALSE, time);
}
}  // namespace

void PLAT_GtkAcceptUriDrops(PLAT_GtkView& view, uint64_t id)
{
  GtkWidget* widget = view.GetImpl()->widget;
  GtkTargetEntry target = {kUriListTarget, 0, 0};
  gtk_drag_dest_set(widget, GTK_DEST_DEFAULT_ALL, &target, 1, GDK_ACTION_COPY);
  g_signal_connect(widget, "drag-data-received", G_CALLBACK(DataReceived),
                   reinterpret_cast<gpointer>(static_cast<uintptr_t>(id)));
}

bool PLAT_GtkUriListDropped(uint64_t id, const char* uriList, int x, int y)
{
  PLAT_GtkSink* sink = PLAT_GtkGetSink();
  if (!sink || !uriList) return false;
  return sink->OnViewDrop(id, uriList, x, y);
}
