// The outline behind tree views: a tree view widget in a scrolled window
// over ZephraTreeModel, whose iterators carry only the layer's item
// number. Paths are made by asking the source for each item's place. A
// reload puts a new model (with a new stamp) in place of the old one, so no
// iterator or row of the old tree outlives the change.

#include "platform/gtk/PLAT_GtkTree.h"

#include "platform/PLAT_Canvas.h"
#include "platform/gtk/PLAT_GtkControl.h"
#include "platform/gtk/PLAT_GtkList.h"
#include "platform/gtk/PLAT_GtkPrivate.h"

#include <algorithm>
#include <cstdio>

// ---- sections ----
// the model · the outline's state and events · the view object · tests

namespace
{
PLAT_TreeSource* gSource = nullptr;
}  // namespace

// ---- the model ----

struct ZephraTreeModel
{
  GObject parent;
  uint64_t id;
  int stamp;
  // Replaced: the layer's items have changed since the outline last read
  // them, so this model answers that it has none left. The outline walks
  // its old rows once more as it lets the model go, and must not find rows
  // it never knew of.
  bool dead;
};

struct ZephraTreeModelClass
{
  GObjectClass parentClass;
};

namespace
{
void TreeModelInterfaceInit(GtkTreeModelIface* iface);
}

G_DEFINE_TYPE_WITH_CODE(ZephraTreeModel, zephra_tree_model, G_TYPE_OBJECT,
                        G_IMPLEMENT_INTERFACE(GTK_TYPE_TREE_MODEL, TreeModelInterfaceInit))

#define ZEPHRA_TREE_MODEL(obj) (G_TYPE_CHECK_INSTANCE_CAST((obj), zephra_tree_model_get_type(), ZephraTreeModel))

static void zephra_tree_model_init(ZephraTreeModel* model)
{
  model->id = 0;
  model->stamp = g_random_int();
  model->dead = false;
}

static void zephra_tree_model_class_init(ZephraTreeModelClass*) {}

namespace
{
uint64_t ItemOf(const GtkTreeIter* iter) { return reinterpret_cast<uintptr_t>(iter->user_data); }

gboolean SetIter(ZephraTreeModel* m, GtkTreeIter* iter, uint64_t item)
{
  if (!item)
  {
    iter->stamp = 0;
    return FALSE;
  }
  iter->stamp = m->stamp;
  iter->user_data = reinterpret_cast<gpointer>(static_cast<uintptr_t>(item));
  iter->user_data2 = nullptr;
  iter->user_data3 = nullptr;
  return TRUE;
}

uint64_t Child(ZephraTreeModel* m, uint64_t item, int index)
{
  return gSource && !m->dead && index >= 0 ? gSource->TreeChild(m->id, item, index) : 0;
}

bool Place(ZephraTreeModel* m, uint64_t item, uint64_t* parent, int* index)
{
  return gSource && !m->dead && gSource->TreePlace(m->id, item, parent, index);
}

// The item's path, root first; null for an item that is not in the tree.
GtkTreePath* PathOf(ZephraTreeModel* m, uint64_t item)
{
  GtkTreePath* path = gtk_tree_path_new();
  for (int depth = 0; item && depth < 4096; ++depth)
  {
    uint64_t parent = 0;
    int index = 0;
    if (!Place(m, item, &parent, &index))
    {
      gtk_tree_path_free(path);
      return nullptr;
    }
    gtk_tree_path_prepend_index(path, index);
    item = parent;
  }
  return path;
}

GtkTreeModelFlags TreeFlags(GtkTreeModel*) { return GTK_TREE_MODEL_ITERS_PERSIST; }
gint TreeColumns(GtkTreeModel*) { return 1; }
GType TreeColumnType(GtkTreeModel*, gint) { return G_TYPE_STRING; }

gboolean TreeGetIter(GtkTreeModel* model, GtkTreeIter* iter, GtkTreePath* path)
{
  ZephraTreeModel* m = ZEPHRA_TREE_MODEL(model);
  const int depth = gtk_tree_path_get_depth(path);
  const gint* indices = gtk_tree_path_get_indices(path);
  uint64_t item = 0;
  for (int i = 0; i < depth; ++i)
    if (!(item = Child(m, item, indices[i]))) break;
  return SetIter(m, iter, item);
}

GtkTreePath* TreeGetPath(GtkTreeModel* model, GtkTreeIter* iter)
{
  GtkTreePath* path = PathOf(ZEPHRA_TREE_MODEL(model), ItemOf(iter));
  return path ? path : gtk_tree_path_new();
}

void TreeGetValue(GtkTreeModel* model, GtkTreeIter* iter, gint, GValue* value)
{
  g_value_init(value, G_TYPE_STRING);
  if (!gSource) return;
  try
  {
    const std::string text = gSource->TreeText(ZEPHRA_TREE_MODEL(model)->id, ItemOf(iter));
    g_value_set_string(value, PLAT_ControlText(text.c_str()).c_str());
  }
  catch (...)
  {
    std::fprintf(stderr, "ZephraEditor: a tree item's text failed\n");
  }
}

gboolean TreeIterStep(GtkTreeModel* model, GtkTreeIter* iter, int step)
{
  ZephraTreeModel* m = ZEPHRA_TREE_MODEL(model);
  uint64_t parent = 0;
  int index = 0;
  if (!Place(m, ItemOf(iter), &parent, &index)) return SetIter(m, iter, 0);
  return SetIter(m, iter, Child(m, parent, index + step));
}

gboolean TreeIterNext(GtkTreeModel* model, GtkTreeIter* iter) { return TreeIterStep(model, iter, 1); }
gboolean TreeIterPrevious(GtkTreeModel* model, GtkTreeIter* iter) { return TreeIterStep(model, iter, -1); }

gboolean TreeIterNthChild(GtkTreeModel* model, GtkTreeIter* iter, GtkTreeIter* parent, gint n)
{
  ZephraTreeModel* m = ZEPHRA_TREE_MODEL(model);
  return SetIter(m, iter, Child(m, parent ? ItemOf(parent) : 0, n));
}

gboolean TreeIterChildren(GtkTreeModel* model, GtkTreeIter* iter, GtkTreeIter* parent)
{
  return TreeIterNthChild(model, iter, parent, 0);
}

gint TreeIterNChildren(GtkTreeModel* model, GtkTreeIter* iter)
{
  ZephraTreeModel* m = ZEPHRA_TREE_MODEL(model);
  return gSource && !m->dead ? std::max(0, gSource->TreeChildCount(m->id, iter ? ItemOf(iter) : 0)) : 0;
}

gboolean TreeIterHasChild(GtkTreeModel* model, GtkTreeIter* iter)
{
  ZephraTreeModel* m = ZEPHRA_TREE_MODEL(model);
  return gSource && !m->dead && gSource->TreeCanOpen(m->id, ItemOf(iter)) && TreeIterNChildren(model, iter) > 0;
}

gboolean TreeIterParent(GtkTreeModel* model, GtkTreeIter* iter, GtkTreeIter* child)
{
  ZephraTreeModel* m = ZEPHRA_TREE_MODEL(model);
  uint64_t parent = 0;
  int index = 0;
  return SetIter(m, iter, Place(m, ItemOf(child), &parent, &index) ? parent : 0);
}

void TreeModelInterfaceInit(GtkTreeModelIface* iface)
{
  iface->get_flags = TreeFlags;
  iface->get_n_columns = TreeColumns;
  iface->get_column_type = TreeColumnType;
  iface->get_iter = TreeGetIter;
  iface->get_path = TreeGetPath;
  iface->get_value = TreeGetValue;
  iface->iter_next = TreeIterNext;
  iface->iter_previous = TreeIterPrevious;
  iface->iter_children = TreeIterChildren;
  iface->iter_has_child = TreeIterHasChild;
  iface->iter_n_children = TreeIterNChildren;
  iface->iter_nth_child = TreeIterNthChild;
  iface->iter_parent = TreeIterParent;
}

// ---- the outline's state and events ----

struct TreeState
{
  uint64_t id = 0;
  GtkWidget* tree = nullptr;         // owned by the scrolled window
  GtkCssProvider* colors = nullptr;  // the layer's colours, or null
  int blocked = 0;                   // the layer's own changes under way
  bool fakeRight = false;            // a left press with Control stands for the right button

  ~TreeState()
  {
    if (colors) g_object_unref(colors);
  }
};

constexpr const char* kStateKey = "zephra-tree";

TreeState* StateOf(PLAT_GtkView* tree)
{
  if (!tree || !tree->GetImpl()) return nullptr;
  return static_cast<TreeState*>(g_object_get_data(G_OBJECT(tree->GetImpl()->widget), kStateKey));
}

void Report(TreeState* s, PLAT_TreeEvent event, uint64_t item)
{
  if (s->blocked || !gSource) return;
  try
  {
    gSource->OnTreeEvent(s->id, event, item);
  }
  catch (...)
  {
    std::fprintf(stderr, "ZephraEditor: a tree's event failed\n");
  }
}

// The item of the row at a point of the rows' window, or 0.
uint64_t ItemAtBin(TreeState* s, double x, double y)
{
  GtkTreeView* view = GTK_TREE_VIEW(s->tree);
  GtkTreePath* path = nullptr;
  if (!gtk_tree_view_get_path_at_pos(view, static_cast<gint>(x), static_cast<gint>(y), &path, nullptr, nullptr,
                                     nullptr))
    return 0;
  GtkTreeIter iter;
  const bool found = gtk_tree_model_get_iter(gtk_tree_view_get_model(view), &iter, path);
  gtk_tree_path_free(path);
  return found ? ItemOf(&iter) : 0;
}

gboolean OnTreePress(GtkWidget*, GdkEventButton* e, gpointer data)
{
  auto* s = static_cast<TreeState*>(data);
  if (e->button != 1 || e->type != GDK_BUTTON_PRESS) return FALSE;
  if (e->state & GDK_CONTROL_MASK)
  {
    s->fakeRight = true;
    return TRUE;
  }
  Report(s, PLAT_TreeEvent::Click, ItemAtBin(s, e->x, e->y));
  return FALSE;
}

gboolean OnTreeRelease(GtkWidget*, GdkEventButton* e, gpointer data)
{
  auto* s = static_cast<TreeState*>(data);
  const bool right = e->button == 3 || (e->button == 1 && s->fakeRight);
  if (e->button == 1) s->fakeRight = false;
  if (!right) return FALSE;
  Report(s, PLAT_TreeEvent::RightClick, ItemAtBin(s, e->x, e->y));
  return e->button == 1;
}

gboolean OnTreeFocusIn(GtkWidget*, GdkEvent*, gpointer data)
{
  Report(static_cast<TreeState*>(data), PLAT_TreeEvent::FocusIn, 0);
  return FALSE;
}

void OnTreeSelection(GtkTreeSelection* selection, gpointer data)
{
  GtkTreeIter iter;
  GtkTreeModel* model = nullptr;
  const bool any = gtk_tree_selection_get_selected(selection, &model, &iter);
  Report(static_cast<TreeState*>(data), PLAT_TreeEvent::Selected, any ? ItemOf(&iter) : 0);
}

void OnRowExpanded(GtkTreeView*, GtkTreeIter* iter, GtkTreePath*, gpointer data)
{
  Report(static_cast<TreeState*>(data), PLAT_TreeEvent::Expanded, ItemOf(iter));
}

void OnRowCollapsed(GtkTreeView*, GtkTreeIter* iter, GtkTreePath*, gpointer data)
{
  Report(static_cast<TreeState*>(data), PLAT_TreeEvent::Collapsed, ItemOf(iter));
}

ZephraTreeModel* ModelOf(TreeState* s) { return ZEPHRA_TREE_MODEL(gtk_tree_view_get_model(GTK_TREE_VIEW(s->tree))); }
}  // namespace

// ---- the view object ----

void PLAT_TreeSetSource(PLAT_TreeSource* source) { gSource = source; }

std::unique_ptr<PLAT_GtkView> PLAT_TreeCreate(uint64_t id)
{
  if (!PLAT_GtkIsUp()) return nullptr;
  auto* s = new TreeState;
  s->id = id;
  GtkWidget* scroll = gtk_scrolled_window_new(nullptr, nullptr);
  gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scroll), GTK_POLICY_AUTOMATIC, GTK_POLICY_AUTOMATIC);
  g_object_set_data_full(G_OBJECT(scroll), kStateKey, s, [](gpointer p) { delete static_cast<TreeState*>(p); });

  auto* model = ZEPHRA_TREE_MODEL(g_object_new(zephra_tree_model_get_type(), nullptr));
  model->id = id;
  s->tree = PLAT_GtkNewTable(GTK_TREE_MODEL(model));
  g_object_unref(model);
  GtkTreeView* view = GTK_TREE_VIEW(s->tree);
  gtk_tree_view_set_headers_visible(view, FALSE);
  gtk_tree_view_set_enable_search(view, FALSE);
  GtkCellRenderer* cell = gtk_cell_renderer_text_new();
  g_object_set(cell, "ellipsize", PANGO_ELLIPSIZE_END, nullptr);
  gtk_tree_view_append_column(view, gtk_tree_view_column_new_with_attributes("", cell, "text", 0, nullptr));
  GtkTreeSelection* selection = gtk_tree_view_get_selection(view);
  gtk_tree_selection_set_mode(selection, GTK_SELECTION_SINGLE);
  g_signal_connect(selection, "changed", G_CALLBACK(OnTreeSelection), s);
  g_signal_connect(s->tree, "button-press-event", G_CALLBACK(OnTreePress), s);
  g_signal_connect(s->tree, "button-release-event", G_CALLBACK(OnTreeRelease), s);
  g_signal_connect(s->tree, "row-expanded", G_CALLBACK(OnRowExpanded), s);
  g_signal_connect(s->tree, "row-collapsed", G_CALLBACK(OnRowCollapsed), s);
  g_signal_connect(s->tree, "focus-in-event", G_CALLBACK(OnTreeFocusIn), s);
  gtk_container_add(GTK_CONTAINER(scroll), s->tree);
  gtk_widget_show(s->tree);

  g_object_ref_sink(scroll);
  auto impl = std::make_unique<PLAT_GtkView::Impl>();
  impl->widget = scroll;
  return PLAT_GtkView::FromImpl(std::move(impl));
}

void PLAT_TreeReload(PLAT_GtkView* tree, const std::vector<uint64_t>& expanded, uint64_t selected)
{
  TreeState* s = StateOf(tree);
  if (!s) return;
  ++s->blocked;
  GtkTreeView* view = GTK_TREE_VIEW(s->tree);
  ModelOf(s)->dead = true;
  auto* model = ZEPHRA_TREE_MODEL(g_object_new(zephra_tree_model_get_type(), nullptr));
  model->id = s->id;
  gtk_tree_view_set_model(view, GTK_TREE_MODEL(model));
  g_object_unref(model);
  for (uint64_t item : expanded)
    if (GtkTreePath* path = PathOf(model, item))
    {
      gtk_tree_view_expand_row(view, path, FALSE);
      gtk_tree_path_free(path);
    }
  GtkTreeSelection* selection = gtk_tree_view_get_selection(view);
  gtk_tree_selection_unselect_all(selection);
  if (GtkTreePath* path = selected ? PathOf(model, selected) : nullptr)
  {
    gtk_tree_selection_select_path(selection, path);
    gtk_tree_path_free(path);
  }
  --s->blocked;
}

void PLAT_TreeSetIndent(PLAT_GtkView* tree, int pixels)
{
  if (TreeState* s = StateOf(tree)) gtk_tree_view_set_level_indentation(GTK_TREE_VIEW(s->tree), std::max(pixels, 0));
}

void PLAT_TreeSetColors(PLAT_GtkView* tree, const PLAT_ListColors& colors)
{
  if (TreeState* s = StateOf(tree)) PLAT_GtkApplyListColors(s->tree, &s->colors, colors);
}

uint64_t PLAT_TreeItemAt(PLAT_GtkView* tree, int x, int y)
{
  TreeState* s = StateOf(tree);
  if (!s || !gtk_widget_get_realized(s->tree)) return 0;
  gint bx = 0, by = 0;
  gtk_tree_view_convert_tree_to_bin_window_coords(GTK_TREE_VIEW(s->tree), x, y, &bx, &by);
  return ItemAtBin(s, bx, by);
}

// ---- tests ----

std::vector<std::string> PLAT_TreeTestRows(PLAT_GtkView* tree)
{
  std::vector<std::string> rows;
  TreeState* s = StateOf(tree);
  if (!s) return rows;
  GtkTreeView* view = GTK_TREE_VIEW(s->tree);
  GtkTreeModel* model = gtk_tree_view_get_model(view);
  GtkTreeIter iter;
  bool more = gtk_tree_model_get_iter_first(model, &iter);
  while (more)
  {
    GtkTreePath* path = gtk_tree_model_get_path(model, &iter);
    gchar* text = nullptr;
    gtk_tree_model_get(model, &iter, 0, &text, -1);
    rows.push_back(std::string(static_cast<size_t>(2 * (gtk_tree_path_get_depth(path) - 1)), ' ') + (text ? text : ""));
    g_free(text);
    GtkTreeIter next;
    if (gtk_tree_view_row_expanded(view, path) && gtk_tree_model_iter_children(model, &next, &iter))
      iter = next;
    else
    {
      // The next sibling of this row or of its nearest ancestor that has one.
      for (;;)
      {
        next = iter;
        if (gtk_tree_model_iter_next(model, &next))
        {
          iter = next;
          break;
        }
        if (!gtk_tree_model_iter_parent(model, &next, &iter))
        {
          more = false;
          break;
        }
        iter = next;
      }
    }
    gtk_tree_path_free(path);
  }
  return rows;
}

bool PLAT_TreeTestItemPoint(PLAT_GtkView* tree, uint64_t item, bool screen, int* x, int* y)
{
  TreeState* s = StateOf(tree);
  if (!s || !gtk_widget_get_realized(s->tree)) return false;
  GtkTreeView* view = GTK_TREE_VIEW(s->tree);
  // Rows changed since the last frame are measured first.
  GtkWidget* top = gtk_widget_get_toplevel(s->tree);
  if (GTK_IS_CONTAINER(top)) gtk_container_check_resize(GTK_CONTAINER(top));
  GtkTreePath* path = PathOf(ModelOf(s), item);
  if (!path) return false;
  GdkRectangle cell;
  gtk_tree_view_get_cell_area(view, path, gtk_tree_view_get_column(view, 0), &cell);
  gtk_tree_path_free(path);
  if (cell.height <= 0) return false;
  const gint bx = cell.x + 4, by = cell.y + cell.height / 2;
  if (screen)
  {
    gdk_window_get_origin(gtk_tree_view_get_bin_window(view), x, y);
    *x += bx;
    *y += by;
    return true;
  }
  gtk_tree_view_convert_bin_window_to_tree_coords(view, bx, by, x, y);
  return true;
}
