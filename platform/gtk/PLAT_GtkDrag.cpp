#include "platform/gtk/PLAT_GtkDrag.h"

#include "platform/PLAT_CairoPrivate.h"
#include "platform/gtk/PLAT_GtkDragPrivate.h"
#include "platform/gtk/PLAT_GtkPrivate.h"

#include <cstdio>
#include <vector>

namespace
{
char kUriListTarget[] = "text/uri-list";
constexpr guint kUriListInfo = 1;
constexpr guint kDirectSaveInfo = 2;
constexpr char kPayloadKey[] = "zephra-drag-payload";

PLAT_PromiseWriteFn gWriter = nullptr;
GdkDragContext* gDrag = nullptr;  // the drag under way, held

// What a drag offers, kept on the source widget while the drag lasts.
struct Payload
{
  std::string uriList;  // file-list drags
  bool promise = false;
};

// The receiver named a file URI on our window: write the promise into its
// folder and tell the receiver where it went.
char WritePromise(GdkDragContext* context)
{
  GdkWindow* window = gdk_drag_context_get_source_window(context);
  const std::string uri = window ? PLAT_GtkDirectSaveGet(window) : std::string();
  gchar* path = uri.empty() ? nullptr : g_filename_from_uri(uri.c_str(), nullptr, nullptr);
  if (!path || !gWriter)
  {
    g_free(path);
    return 'E';
  }
  gchar* folder = g_path_get_dirname(path);
  g_free(path);
  std::string written;
  try
  {
    written = gWriter(folder);
  }
  catch (...)
  {
    std::fprintf(stderr, "ZephraEditor: writing a dragged file failed\n");
  }
  g_free(folder);
  if (written.empty()) return 'E';
  if (gchar* writtenUri = g_filename_to_uri(written.c_str(), nullptr, nullptr))
  {
    PLAT_GtkDirectSaveSet(window, writtenUri);
    g_free(writtenUri);
  }
  return 'S';
}

void DataGet(GtkWidget* widget, GdkDragContext* context, GtkSelectionData* data, guint info, guint, gpointer)
{
  const auto* payload = static_cast<const Payload*>(g_object_get_data(G_OBJECT(widget), kPayloadKey));
  if (!payload) return;
  if (info == kUriListInfo && !payload->uriList.empty())
    gtk_selection_data_set(data, gtk_selection_data_get_target(data), 8,
                           reinterpret_cast<const guchar*>(payload->uriList.data()),
                           static_cast<gint>(payload->uriList.size()));
  else if (info == kDirectSaveInfo && payload->promise)
  {
    const guchar answer = static_cast<guchar>(WritePromise(context));
    gtk_selection_data_set(data, gtk_selection_data_get_target(data), 8, &answer, 1);
  }
}

void DragEnd(GtkWidget* widget, GdkDragContext* context, gpointer)
{
  g_signal_handlers_disconnect_by_func(widget, reinterpret_cast<gpointer>(DataGet), nullptr);
  g_signal_handlers_disconnect_by_func(widget, reinterpret_cast<gpointer>(DragEnd), nullptr);
  g_object_set_data(G_OBJECT(widget), kPayloadKey, nullptr);
  if (context == gDrag) g_clear_object(&gDrag);
}

void FreePayload(gpointer p) { delete static_cast<Payload*>(p); }

GdkDragContext* Begin(PLAT_GtkView* view, int x, int y, GtkTargetEntry* targets, int count, Payload* payload)
{
  GtkWidget* widget = view ? view->GetImpl()->widget : nullptr;
  GdkEvent* event = gtk_get_current_event();
  if (!widget || !event || !gtk_widget_get_realized(widget))
  {
    if (event) gdk_event_free(event);
    delete payload;
    return nullptr;
  }
  // A drag still under way from this widget ends first.
  if (g_object_get_data(G_OBJECT(widget), kPayloadKey)) DragEnd(widget, gDrag, nullptr);
  g_object_set_data_full(G_OBJECT(widget), kPayloadKey, payload, FreePayload);
  g_signal_connect(widget, "drag-data-get", G_CALLBACK(DataGet), nullptr);
  g_signal_connect(widget, "drag-end", G_CALLBACK(DragEnd), nullptr);
  GtkTargetList* list = gtk_target_list_new(targets, static_cast<guint>(count));
  GdkDragContext* context =
      gtk_drag_begin_with_coordinates(widget, list, GDK_ACTION_COPY, 1, event, x, y);
  gtk_target_list_unref(list);
  gdk_event_free(event);
  if (!context)
  {
    DragEnd(widget, nullptr, nullptr);
    return nullptr;
  }
  if (gDrag) g_object_unref(gDrag);
  gDrag = GDK_DRAG_CONTEXT(g_object_ref(context));
  return context;
}
}  // namespace

void PLAT_GtkSetPromiseWriter(PLAT_PromiseWriteFn writer) { gWriter = writer; }

namespace
{
// The drag shows the image, or what the desktop shows for the first file's
// kind of content (a list of files is one drag with one picture).
void SetDragIcon(GdkDragContext* context, const char* firstPath, const PLAT_Image* image)
{
  if (image)
  {
    const int w = image->GetWidth();
    const int h = image->GetHeight();
    if (GdkPixbuf* pixbuf = gdk_pixbuf_get_from_surface(image->GetImpl()->surface.get(), 0, 0, w, h))
    {
      gtk_drag_set_icon_pixbuf(context, pixbuf, w / 2, h / 2);
      g_object_unref(pixbuf);
      return;
    }
  }
  gchar* type = g_content_type_guess(firstPath, nullptr, 0, nullptr);
  GIcon* icon = type ? g_content_type_get_icon(type) : nullptr;
  if (icon) gtk_drag_set_icon_gicon(context, icon, 0, 0);
  if (icon) g_object_unref(icon);
  g_free(type);
}
}  // namespace

bool PLAT_GtkStartFileListDrag(PLAT_GtkView* view, int x, int y, const char* const* paths, int count,
                               const PLAT_Image* image)
{
  auto* payload = new Payload;
  for (int i = 0; i < count; ++i)
  {
    gchar* uri = paths[i] ? g_filename_to_uri(paths[i], nullptr, nullptr) : nullptr;
    if (!uri) continue;  // only absolute paths make URIs
    payload->uriList += uri;
    payload->uriList += "\r\n";
    g_free(uri);
  }
  if (payload->uriList.empty())
  {
    delete payload;
    return false;
  }
  GtkTargetEntry target = {kUriListTarget, 0, kUriListInfo};
  const char* first = nullptr;
  for (int i = 0; i < count && !first; ++i)
    if (paths[i] && paths[i][0] == '/') first = paths[i];
  GdkDragContext* context = Begin(view, x, y, &target, 1, payload);
  if (context) SetDragIcon(context, first, image);
  return context != nullptr;
}

bool PLAT_GtkStartPromiseDrag(PLAT_GtkView* view, int x, int y, const char* fileName)
{
  if (!fileName || !*fileName) return false;
  auto* payload = new Payload;
  payload->promise = true;
  GtkTargetEntry target = {PLAT_kDirectSaveTarget, 0, kDirectSaveInfo};
  GdkDragContext* context = Begin(view, x, y, &target, 1, payload);
  if (!context) return false;
  // The name the receiver builds its URI from.
  if (GdkWindow* window = gdk_drag_context_get_source_window(context)) PLAT_GtkDirectSaveSet(window, fileName);
  return true;
}

bool PLAT_GtkTestDragActive() { return gDrag != nullptr; }

bool PLAT_GtkTestDragAccepted() { return gDrag && gdk_drag_context_get_selected_action(gDrag) != 0; }

std::string PLAT_GtkDirectSaveGet(GdkWindow* window)
{
  GdkAtom type;
  gint format = 0, length = 0;
  guchar* data = nullptr;
  std::string out;
  if (gdk_property_get(window, gdk_atom_intern_static_string(PLAT_kDirectSave),
                       gdk_atom_intern_static_string("text/plain"), 0, 4096, FALSE, &type, &format, &length, &data) &&
      data && format == 8 && length > 0)
    out.assign(reinterpret_cast<const char*>(data), static_cast<size_t>(length));
  g_free(data);
  return out;
}

void PLAT_GtkDirectSaveSet(GdkWindow* window, const std::string& text)
{
  gdk_property_change(window, gdk_atom_intern_static_string(PLAT_kDirectSave),
                      gdk_atom_intern_static_string("text/plain"), 8, GDK_PROP_MODE_REPLACE,
                      reinterpret_cast<const guchar*>(text.data()), static_cast<gint>(text.size()));
}
