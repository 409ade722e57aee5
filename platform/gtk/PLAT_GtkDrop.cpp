#include "platform/gtk/PLAT_GtkDrop.h"

#include "platform/gtk/PLAT_Gtk.h"
#include "platform/gtk/PLAT_GtkDragPrivate.h"
#include "platform/gtk/PLAT_GtkPrivate.h"

#include <gtk/gtk.h>

#include <cstdio>
#include <string>

namespace
{
char kUriListTarget[] = "text/uri-list";
constexpr char kStateKey[] = "zephra-drop-state";

const PLAT_DropHandler* gHandler = nullptr;

// A drag over one view: what it asked for and not yet received.
struct DropState
{
  bool inside = false;       // between the first motion and the leave
  enum class Wait { Nothing, EnterList, DropList, DropPromise } wait = Wait::Nothing;
  int x = 0;                 // where it was dropped
  int y = 0;
  double rootX = 0;          // where it entered
  double rootY = 0;
  std::string folder;        // where a promise dropped was asked to go
};

uint64_t IdOf(gpointer user) { return static_cast<uint64_t>(reinterpret_cast<uintptr_t>(user)); }

DropState* StateOf(GtkWidget* widget)
{
  auto* s = static_cast<DropState*>(g_object_get_data(G_OBJECT(widget), kStateKey));
  if (!s)
  {
    s = new DropState;
    g_object_set_data_full(G_OBJECT(widget), kStateKey, s, [](gpointer p) { delete static_cast<DropState*>(p); });
  }
  return s;
}

bool Offers(GdkDragContext* context, const char* target)
{
  const GdkAtom atom = gdk_atom_intern_static_string(target);
  for (GList* i = gdk_drag_context_list_targets(context); i; i = i->next)
    if (GDK_POINTER_TO_ATOM(i->data) == atom) return true;
  return false;
}

void RootPoint(GtkWidget* widget, int x, int y, double* rootX, double* rootY)
{
  int ox = 0, oy = 0;
  if (GdkWindow* window = gtk_widget_get_window(widget)) gdk_window_get_origin(window, &ox, &oy);
  *rootX = ox + x;
  *rootY = oy + y;
}

// Whether the drag is one the view takes: a drop target, and files or a
// promise it has a folder for.
bool Takes(uint64_t id, GdkDragContext* context)
{
  if (!gHandler || !gHandler->accepts || !gHandler->accepts(id)) return false;
  if (Offers(context, kUriListTarget)) return true;
  return Offers(context, PLAT_kDirectSaveTarget) && gHandler->promiseFolder && gHandler->promiseFolder(id, nullptr);
}

gboolean Motion(GtkWidget* widget, GdkDragContext* context, gint x, gint y, guint time, gpointer user)
{
  const uint64_t id = IdOf(user);
  if (!Takes(id, context)) return FALSE;  // the view around this one may take it
  DropState* s = StateOf(widget);
  double rootX, rootY;
  RootPoint(widget, x, y, &rootX, &rootY);
  if (!s->inside)
  {
    s->inside = true;
    s->rootX = rootX;
    s->rootY = rootY;
    // The enter step wants the files: ask for them first.
    if (Offers(context, kUriListTarget) && gHandler->entered)
    {
      s->x = x;
      s->y = y;
      s->wait = DropState::Wait::EnterList;
      gtk_drag_get_data(widget, context, gdk_atom_intern_static_string(kUriListTarget), time);
    }
    else if (gHandler->entered)
      gHandler->entered(id, "", x, y, rootX, rootY);
  }
  else if (gHandler->moved)
    gHandler->moved(id, rootX, rootY);
  gdk_drag_status(context, GDK_ACTION_COPY, time);
  return TRUE;
}

void Leave(GtkWidget* widget, GdkDragContext*, guint, gpointer user)
{
  DropState* s = StateOf(widget);
  if (!s->inside) return;
  s->inside = false;
  if (gHandler && gHandler->left) gHandler->left(IdOf(user));
}

// The receiver's half of the direct-save protocol: the file's URI in the
// named folder goes on the source's window, then the source is asked.
bool AskForPromise(GtkWidget* widget, GdkDragContext* context, uint64_t id, guint time)
{
  std::string& folder = StateOf(widget)->folder;
  GdkWindow* source = gdk_drag_context_get_source_window(context);
  if (!source || !gHandler->promiseFolder || !gHandler->promiseFolder(id, &folder)) return false;
  const std::string name = PLAT_GtkDirectSaveGet(source);
  // A name with a folder in it would write outside the folder named.
  if (name.empty() || name.find('/') != std::string::npos || name == "." || name == "..") return false;
  gchar* path = g_build_filename(folder.c_str(), name.c_str(), nullptr);
  gchar* uri = g_filename_to_uri(path, nullptr, nullptr);
  g_free(path);
  if (!uri) return false;
  PLAT_GtkDirectSaveSet(source, uri);
  g_free(uri);
  gtk_drag_get_data(widget, context, gdk_atom_intern_static_string(PLAT_kDirectSave), time);
  return true;
}

gboolean Drop(GtkWidget* widget, GdkDragContext* context, gint x, gint y, guint time, gpointer user)
{
  const uint64_t id = IdOf(user);
  if (!Takes(id, context)) return FALSE;
  DropState* s = StateOf(widget);
  s->x = x;
  s->y = y;
  if (Offers(context, kUriListTarget))
  {
    s->wait = DropState::Wait::DropList;
    gtk_drag_get_data(widget, context, gdk_atom_intern_static_string(kUriListTarget), time);
    return TRUE;
  }
  s->wait = DropState::Wait::DropPromise;
  if (AskForPromise(widget, context, id, time)) return TRUE;
  s->wait = DropState::Wait::Nothing;
  gtk_drag_finish(context, FALSE, FALSE, time);
  return TRUE;
}

// The source's answer to a promise: "S" when it wrote the file, whose URI
// it left on its window. As a one-file list; empty unless the file is in
// the folder asked for (the source may not send the view elsewhere).
std::string WrittenPromise(GdkDragContext* context, const std::string& answer, const std::string& folder)
{
  GdkWindow* source = gdk_drag_context_get_source_window(context);
  if (answer != "S" || !source) return {};
  const std::string uri = PLAT_GtkDirectSaveGet(source);
  gchar* path = uri.empty() ? nullptr : g_filename_from_uri(uri.c_str(), nullptr, nullptr);
  gchar* dir = path ? g_path_get_dirname(path) : nullptr;
  gchar* asked = g_canonicalize_filename(folder.c_str(), "/");
  const bool inFolder = dir && g_strcmp0(dir, asked) == 0;
  g_free(path);
  g_free(dir);
  g_free(asked);
  return inFolder ? uri + "\r\n" : std::string();
}

void DataReceived(GtkWidget* widget, GdkDragContext* context, gint, gint, GtkSelectionData* data, guint,
                  guint time, gpointer user)
{
  const uint64_t id = IdOf(user);
  DropState* s = StateOf(widget);
  const DropState::Wait wait = s->wait;
  s->wait = DropState::Wait::Nothing;
  const gint length = gtk_selection_data_get_length(data);
  const guchar* bytes = gtk_selection_data_get_data(data);
  // The selection's bytes need not end in a terminator.
  const std::string text =
      length > 0 && bytes ? std::string(reinterpret_cast<const char*>(bytes), static_cast<size_t>(length)) : "";
  try
  {
    switch (wait)
    {
      case DropState::Wait::EnterList:
        if (gHandler && gHandler->entered) gHandler->entered(id, text.c_str(), s->x, s->y, s->rootX, s->rootY);
        return;
      case DropState::Wait::DropList:
        gtk_drag_finish(context, !text.empty() && PLAT_GtkUriListDropped(id, text.c_str(), s->x, s->y), FALSE, time);
        return;
      case DropState::Wait::DropPromise:
      {
        const std::string written = WrittenPromise(context, text, s->folder);
        gtk_drag_finish(context, !written.empty() && PLAT_GtkUriListDropped(id, written.c_str(), s->x, s->y), FALSE,
                        time);
        return;
      }
      case DropState::Wait::Nothing: return;
    }
  }
  catch (...)
  {
    std::fprintf(stderr, "ZephraEditor: a drop failed\n");
    if (wait != DropState::Wait::EnterList) gtk_drag_finish(context, FALSE, FALSE, time);
  }
}
}  // namespace

void PLAT_GtkSetDropHandler(const PLAT_DropHandler* handler) { gHandler = handler; }

void PLAT_GtkAcceptUriDrops(PLAT_GtkView& view, uint64_t id)
{
  GtkWidget* widget = view.GetImpl()->widget;
  GtkTargetEntry targets[] = {{kUriListTarget, 0, 0}, {PLAT_kDirectSaveTarget, 0, 0}};
  // No default handling: whether the view takes a drag is the layer's say.
  gtk_drag_dest_set(widget, static_cast<GtkDestDefaults>(0), targets, 2, GDK_ACTION_COPY);
  const gpointer user = reinterpret_cast<gpointer>(static_cast<uintptr_t>(id));
  g_signal_connect(widget, "drag-motion", G_CALLBACK(Motion), user);
  g_signal_connect(widget, "drag-leave", G_CALLBACK(Leave), user);
  g_signal_connect(widget, "drag-drop", G_CALLBACK(Drop), user);
  g_signal_connect(widget, "drag-data-received", G_CALLBACK(DataReceived), user);
}

bool PLAT_GtkUriListDropped(uint64_t id, const char* uriList, int x, int y)
{
  PLAT_GtkSink* sink = PLAT_GtkGetSink();
  if (!sink || !uriList) return false;
  return sink->OnViewDrop(id, uriList, x, y);
}
