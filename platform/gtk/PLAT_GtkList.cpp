// The table behind list views and list boxes: a tree view in a scrolled
// window over ZephraListModel, a flat model whose rows are only numbers. An
// iterator carries its row index; the model remembers how many rows the
// table has been told of, and PLAT_ListReload brings that count to the
// source's with the model's row signals, which keep the table's own row
// bookkeeping (heights, selection, cursor) consistent.

#include "platform/gtk/PLAT_GtkList.h"

#include "platform/PLAT_Canvas.h"
#include "platform/gtk/PLAT_GtkControl.h"
#include "platform/gtk/PLAT_GtkPrivate.h"

#include <algorithm>
#include <cstdio>

// ---- sections ----
// the model · the table's state and events · the view object · tests

namespace
{
PLAT_ListSource* gSource = nullptr;
}  // namespace

// ---- the model ----

struct ZephraListModel
{
  GObject parent;
  uint64_t id;
  int shown;  // the rows the table knows of
  int stamp;  // iterators of another model, or of an older one, carry another
};

struct ZephraListModelClass
{
  GObjectClass parentClass;
};

namespace
{
void ModelInterfaceInit(GtkTreeModelIface* iface);
}

G_DEFINE_TYPE_WITH_CODE(ZephraListModel, zephra_list_model, G_TYPE_OBJECT,
                        G_IMPLEMENT_INTERFACE(GTK_TYPE_TREE_MODEL, ModelInterfaceInit))

#define ZEPHRA_LIST_MODEL(obj) (G_TYPE_CHECK_INSTANCE_CAST((obj), zephra_list_model_get_type(), ZephraListModel))

static void zephra_list_model_init(ZephraListModel* model)
{
  model->id = 0;
  model->shown = 0;
  model->stamp = g_random_int();
}

static void zephra_list_model_class_init(ZephraListModelClass*) {}

namespace
{
int RowOf(const GtkTreeIter* iter) { return GPOINTER_TO_INT(iter->user_data); }

gboolean SetIter(ZephraListModel* m, GtkTreeIter* iter, int row)
{
  if (row < 0 || row >= m->shown)
  {
    iter->stamp = 0;
    return FALSE;
  }
  iter->stamp = m->stamp;
  iter->user_data = GINT_TO_POINTER(row);
  iter->user_data2 = nullptr;
  iter->user_data3 = nullptr;
  return TRUE;
}

GtkTreeModelFlags ModelFlags(GtkTreeModel*) { return GTK_TREE_MODEL_LIST_ONLY; }
gint ModelColumns(GtkTreeModel*) { return PLAT_LIST_MAX_COLUMNS; }
GType ModelColumnType(GtkTreeModel*, gint) { return G_TYPE_STRING; }

gboolean ModelGetIter(GtkTreeModel* model, GtkTreeIter* iter, GtkTreePath* path)
{
  if (gtk_tree_path_get_depth(path) != 1) return FALSE;
  return SetIter(ZEPHRA_LIST_MODEL(model), iter, gtk_tree_path_get_indices(path)[0]);
}

GtkTreePath* ModelGetPath(GtkTreeModel*, GtkTreeIter* iter) { return gtk_tree_path_new_from_indices(RowOf(iter), -1); }

void ModelGetValue(GtkTreeModel* model, GtkTreeIter* iter, gint column, GValue* value)
{
  g_value_init(value, G_TYPE_STRING);
  ZephraListModel* m = ZEPHRA_LIST_MODEL(model);
  if (!gSource) return;
  try
  {
    const std::string text = gSource->ListCellText(m->id, RowOf(iter), column);
    g_value_set_string(value, PLAT_ControlText(text.c_str()).c_str());
  }
  catch (...)
  {
    std::fprintf(stderr, "ZephraEditor: a list cell's text failed\n");
  }
}

gboolean ModelIterNext(GtkTreeModel* model, GtkTreeIter* iter)
{
  return SetIter(ZEPHRA_LIST_MODEL(model), iter, RowOf(iter) + 1);
}

gboolean ModelIterPrevious(GtkTreeModel* model, GtkTreeIter* iter)
{
  return SetIter(ZEPHRA_LIST_MODEL(model), iter, RowOf(iter) - 1);
}

gboolean ModelIterNthChild(GtkTreeModel* model, GtkTreeIter* iter, GtkTreeIter* parent, gint n)
{
  if (parent) return FALSE;
  return SetIter(ZEPHRA_LIST_MODEL(model), iter, n);
}

gboolean ModelIterChildren(GtkTreeModel* model, GtkTreeIter* iter, GtkTreeIter* parent)
{
  return ModelIterNthChild(model, iter, parent, 0);
}

gboolean ModelIterHasChild(GtkTreeModel*, GtkTreeIter*) { return FALSE; }

gint ModelIterNChildren(GtkTreeModel* model, GtkTreeIter* iter)
{
  return iter ? 0 : ZEPHRA_LIST_MODEL(model)->shown;
}

gboolean ModelIterParent(GtkTreeModel*, GtkTreeIter*, GtkTreeIter*) { return FALSE; }

void ModelInterfaceInit(GtkTreeModelIface* iface)
{
  iface->get_flags = ModelFlags;
  iface->get_n_columns = ModelColumns;
  iface->get_column_type = ModelColumnType;
  iface->get_iter = ModelGetIter;
  iface->get_path = ModelGetPath;
  iface->get_value = ModelGetValue;
  iface->iter_next = ModelIterNext;
  iface->iter_previous = ModelIterPrevious;
  iface->iter_children = ModelIterChildren;
  iface->iter_has_child = ModelIterHasChild;
  iface->iter_n_children = ModelIterNChildren;
  iface->iter_nth_child = ModelIterNthChild;
  iface->iter_parent = ModelIterParent;
}

// Tells the table of every row added or taken at the end until it has as
// many as the source. Rows changed in the middle need no signal: the table
// keeps no texts, only rows of one fixed height.
void SyncCount(ZephraListModel* m)
{
  const int count = gSource ? std::max(0, gSource->ListRowCount(m->id)) : 0;
  GtkTreeModel* model = GTK_TREE_MODEL(m);
  while (m->shown > count)
  {
    --m->shown;
    GtkTreePath* path = gtk_tree_path_new_from_indices(m->shown, -1);
    gtk_tree_model_row_deleted(model, path);
    gtk_tree_path_free(path);
  }
  while (m->shown < count)
  {
    ++m->shown;
    GtkTreeIter iter;
    SetIter(m, &iter, m->shown - 1);
    GtkTreePath* path = gtk_tree_path_new_from_indices(m->shown - 1, -1);
    gtk_tree_model_row_inserted(model, path, &iter);
    gtk_tree_path_free(path);
  }
}

// ---- the table's state and events ----

struct ListState
{
  uint64_t id = 0;
  GtkWidget* tree = nullptr;        // owned by the scrolled window
  ZephraListModel* model = nullptr; // we hold a reference
  int blocked = 0;                  // the layer's own changes under way

  ~ListState() { g_object_unref(model); }
};

constexpr const char* kStateKey = "zephra-list";
constexpr const char* kColumnKey = "zephra-column";

ListState* StateOf(PLAT_GtkView* list)
{
  if (!list || !list->GetImpl()) return nullptr;
  return static_cast<ListState*>(g_object_get_data(G_OBJECT(list->GetImpl()->widget), kStateKey));
}

void Report(ListState* s, PLAT_ListEvent event, int row, int column)
{
  if (s->blocked || !gSource) return;
  try
  {
    gSource->OnListEvent(s->id, event, row, column);
  }
  catch (...)
  {
    std::fprintf(stderr, "ZephraEditor: a list's event failed\n");
  }
}

// The row and source column under a point of the rows' window.
void CellAt(ListState* s, double x, double y, int* row, int* column)
{
  *row = *column = -1;
  GtkTreePath* path = nullptr;
  GtkTreeViewColumn* col = nullptr;
  if (!gtk_tree_view_get_path_at_pos(GTK_TREE_VIEW(s->tree), static_cast<gint>(x), static_cast<gint>(y), &path,
                                     &col, nullptr, nullptr))
    return;
  *row = gtk_tree_path_get_indices(path)[0];
  gtk_tree_path_free(path);
  if (col) *column = GPOINTER_TO_INT(g_object_get_data(G_OBJECT(col), kColumnKey));
}

gboolean OnButtonPress(GtkWidget*, GdkEventButton* e, gpointer data)
{
  auto* s = static_cast<ListState*>(data);
  if (e->button != 1 || (e->type != GDK_BUTTON_PRESS && e->type != GDK_2BUTTON_PRESS)) return FALSE;
  int row, column;
  CellAt(s, e->x, e->y, &row, &column);
  Report(s, e->type == GDK_2BUTTON_PRESS ? PLAT_ListEvent::DoubleClick : PLAT_ListEvent::Click, row, column);
  return FALSE;
}

void OnSelectionChanged(GtkTreeSelection*, gpointer data)
{
  Report(static_cast<ListState*>(data), PLAT_ListEvent::SelectionChanged, -1, -1);
}

void OnColumnClicked(GtkTreeViewColumn* col, gpointer data)
{
  Report(static_cast<ListState*>(data), PLAT_ListEvent::ColumnClick, -1,
         GPOINTER_TO_INT(g_object_get_data(G_OBJECT(col), kColumnKey)));
}

class Blocked
{
public:
  explicit Blocked(ListState* s) : mState(s) { ++mState->blocked; }
  ~Blocked() { --mState->blocked; }
  Blocked(const Blocked&) = delete;
  Blocked& operator=(const Blocked&) = delete;

private:
  ListState* mState;
};
}  // namespace

// ---- the view object ----

void PLAT_ListSetSource(PLAT_ListSource* source) { gSource = source; }

std::unique_ptr<PLAT_GtkView> PLAT_ListCreate(uint64_t id, unsigned options)
{
  if (!PLAT_GtkIsUp()) return nullptr;
  auto* s = new ListState;
  s->id = id;
  s->model = ZEPHRA_LIST_MODEL(g_object_new(zephra_list_model_get_type(), nullptr));
  s->model->id = id;

  GtkWidget* scroll = gtk_scrolled_window_new(nullptr, nullptr);
  gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scroll),
                                 (options & PLAT_LIST_HSCROLL) ? GTK_POLICY_AUTOMATIC : GTK_POLICY_NEVER,
                                 GTK_POLICY_AUTOMATIC);
  g_object_set_data_full(G_OBJECT(scroll), kStateKey, s, [](gpointer p) { delete static_cast<ListState*>(p); });

  s->tree = gtk_tree_view_new_with_model(GTK_TREE_MODEL(s->model));
  GtkTreeView* tree = GTK_TREE_VIEW(s->tree);
  // One row height for all: the table then measures only the rows it shows
  // instead of asking for every text of the list once in the background.
  gtk_tree_view_set_fixed_height_mode(tree, TRUE);
  gtk_tree_view_set_enable_search(tree, FALSE);
  gtk_tree_view_set_headers_visible(tree, (options & PLAT_LIST_HEADER) != 0);
  gtk_tree_view_set_headers_clickable(tree, TRUE);
  GtkTreeSelection* selection = gtk_tree_view_get_selection(tree);
  gtk_tree_selection_set_mode(selection, (options & PLAT_LIST_MULTIPLE) ? GTK_SELECTION_MULTIPLE : GTK_SELECTION_SINGLE);
  g_signal_connect(selection, "changed", G_CALLBACK(OnSelectionChanged), s);
  g_signal_connect(s->tree, "button-press-event", G_CALLBACK(OnButtonPress), s);
  gtk_container_add(GTK_CONTAINER(scroll), s->tree);
  gtk_widget_show(s->tree);

  g_object_ref_sink(scroll);
  auto impl = std::make_unique<PLAT_GtkView::Impl>();
  impl->widget = scroll;
  return PLAT_GtkView::FromImpl(std::move(impl));
}

void PLAT_ListSetColumns(PLAT_GtkView* list, const std::vector<PLAT_ListColumn>& columns)
{
  ListState* s = StateOf(list);
  if (!s) return;
  Blocked block(s);
  GtkTreeView* tree = GTK_TREE_VIEW(s->tree);
  while (GtkTreeViewColumn* old = gtk_tree_view_get_column(tree, 0)) gtk_tree_view_remove_column(tree, old);
  for (const PLAT_ListColumn& c : columns)
  {
    if (c.column < 0 || c.column >= PLAT_LIST_MAX_COLUMNS) continue;
    GtkCellRenderer* cell = gtk_cell_renderer_text_new();
    g_object_set(cell, "ellipsize", PANGO_ELLIPSIZE_END, nullptr);
    const std::string title = PLAT_ControlText(c.title.c_str());
    GtkTreeViewColumn* col = gtk_tree_view_column_new_with_attributes(title.c_str(), cell, "text", c.column, nullptr);
    g_object_set_data(G_OBJECT(col), kColumnKey, GINT_TO_POINTER(c.column));
    gtk_tree_view_column_set_sizing(col, GTK_TREE_VIEW_COLUMN_FIXED);
    gtk_tree_view_column_set_fixed_width(col, c.width > 0 ? c.width : 1);
    gtk_tree_view_column_set_visible(col, c.width > 0);
    gtk_tree_view_column_set_clickable(col, TRUE);
    g_signal_connect(col, "clicked", G_CALLBACK(OnColumnClicked), s);
    gtk_tree_view_append_column(tree, col);
  }
}

void PLAT_ListReload(PLAT_GtkView* list)
{
  ListState* s = StateOf(list);
  if (!s) return;
  Blocked block(s);
  SyncCount(s->model);
  gtk_widget_queue_draw(s->tree);
}

void PLAT_ListSetSelection(PLAT_GtkView* list, const std::vector<int>& rows)
{
  ListState* s = StateOf(list);
  if (!s) return;
  Blocked block(s);
  GtkTreeSelection* selection = gtk_tree_view_get_selection(GTK_TREE_VIEW(s->tree));
  gtk_tree_selection_unselect_all(selection);
  for (int row : rows)
  {
    if (row < 0 || row >= s->model->shown) continue;
    GtkTreePath* path = gtk_tree_path_new_from_indices(row, -1);
    gtk_tree_selection_select_path(selection, path);
    gtk_tree_path_free(path);
  }
}

std::vector<int> PLAT_ListGetSelection(PLAT_GtkView* list)
{
  std::vector<int> rows;
  ListState* s = StateOf(list);
  if (!s) return rows;
  GtkTreeSelection* selection = gtk_tree_view_get_selection(GTK_TREE_VIEW(s->tree));
  GList* paths = gtk_tree_selection_get_selected_rows(selection, nullptr);
  for (GList* l = paths; l; l = l->next) rows.push_back(gtk_tree_path_get_indices(static_cast<GtkTreePath*>(l->data))[0]);
  g_list_free_full(paths, reinterpret_cast<GDestroyNotify>(gtk_tree_path_free));
  std::sort(rows.begin(), rows.end());
  return rows;
}

// ---- tests ----

int PLAT_ListModelRowCount(PLAT_GtkView* list)
{
  ListState* s = StateOf(list);
  return s ? gtk_tree_model_iter_n_children(GTK_TREE_MODEL(s->model), nullptr) : 0;
}

std::string PLAT_ListModelText(PLAT_GtkView* list, int row, int column)
{
  ListState* s = StateOf(list);
  GtkTreeIter iter;
  if (!s || !gtk_tree_model_iter_nth_child(GTK_TREE_MODEL(s->model), &iter, nullptr, row)) return std::string();
  gchar* text = nullptr;
  gtk_tree_model_get(GTK_TREE_MODEL(s->model), &iter, column, &text, -1);
  std::string out = text ? text : "";
  g_free(text);
  return out;
}

bool PLAT_ListTestRowPoint(PLAT_GtkView* list, int row, int* x, int* y)
{
  ListState* s = StateOf(list);
  if (!s) return false;
  GtkTreeView* tree = GTK_TREE_VIEW(s->tree);
  GdkWindow* bin = gtk_tree_view_get_bin_window(tree);
  GtkTreeViewColumn* col = gtk_tree_view_get_column(tree, 0);
  if (!bin || !col || !gdk_window_is_viewable(bin)) return false;
  GtkTreePath* path = gtk_tree_path_new_from_indices(row, -1);
  GdkRectangle cell;
  gtk_tree_view_get_cell_area(tree, path, col, &cell);
  gtk_tree_path_free(path);
  if (cell.height <= 0 || cell.width < 8) return false;
  gdk_window_get_origin(bin, x, y);
  *x += cell.x + 4;
  *y += cell.y + cell.height / 2;
  return true;
}

bool PLAT_ListVisibleRows(PLAT_GtkView* list, int* first, int* last)
{
  *first = *last = -1;
  ListState* s = StateOf(list);
  GtkTreePath* start = nullptr;
  GtkTreePath* end = nullptr;
  if (!s || !gtk_tree_view_get_visible_range(GTK_TREE_VIEW(s->tree), &start, &end)) return false;
  *first = gtk_tree_path_get_indices(start)[0];
  *last = gtk_tree_path_get_indices(end)[0];
  gtk_tree_path_free(start);
  gtk_tree_path_free(end);
  return true;
}
