// The table behind list views and list boxes: a tree view in a scrolled
// window over ZephraListModel, a flat model whose rows are only numbers. An
// iterator carries its row index; the model remembers how many rows the
// table has been told of, and PLAT_ListReload brings that count to the
// source's with the model's row signals, which keep the table's own row
// bookkeeping (heights, selection, cursor) consistent.

#include "platform/gtk/PLAT_GtkList.h"

#include "platform/PLAT_Canvas.h"
#include "platform/PLAT_CanvasCairo.h"
#include "platform/gtk/PLAT_GtkControl.h"
#include "platform/gtk/PLAT_GtkPrivate.h"

#include <algorithm>
#include <cstdio>

// ---- sections ----
// the model · drawn cells · the table's state and events · the view object ·
// geometry · tests

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

// ---- drawn cells ----

// A cell the source paints: owner-drawn list-box rows and state images. The
// table's data function tells it the row before each paint.
struct ZephraDrawCell
{
  GtkCellRenderer parent;
  uint64_t id;
  int column;  // the source's, or PLAT_LIST_STATE_IMAGE
  int row;
};

struct ZephraDrawCellClass
{
  GtkCellRendererClass parentClass;
};

G_DEFINE_TYPE(ZephraDrawCell, zephra_draw_cell, GTK_TYPE_CELL_RENDERER)

static void zephra_draw_cell_init(ZephraDrawCell* cell)
{
  cell->id = 0;
  cell->column = 0;
  cell->row = -1;
}

namespace
{
void DrawCellRender(GtkCellRenderer* renderer, cairo_t* cr, GtkWidget*, const GdkRectangle*, const GdkRectangle* area,
                    GtkCellRendererState flags)
{
  auto* cell = reinterpret_cast<ZephraDrawCell*>(renderer);
  if (!gSource || cell->row < 0 || area->width <= 0 || area->height <= 0) return;
  cairo_save(cr);
  cairo_translate(cr, area->x, area->y);
  cairo_rectangle(cr, 0, 0, area->width, area->height);
  cairo_clip(cr);
  try
  {
    if (auto canvas = PLAT_CanvasWrapCairo(cr, area->width, area->height))
      gSource->ListDrawCell(cell->id, cell->row, cell->column, canvas.get(), area->width, area->height,
                            (flags & GTK_CELL_RENDERER_SELECTED) != 0);
  }
  catch (...)
  {
    std::fprintf(stderr, "ZephraEditor: painting a list cell failed\n");
  }
  cairo_restore(cr);
}
}  // namespace

static void zephra_draw_cell_class_init(ZephraDrawCellClass* klass)
{
  GTK_CELL_RENDERER_CLASS(klass)->render = DrawCellRender;
}

namespace
{
void DrawCellData(GtkTreeViewColumn*, GtkCellRenderer* renderer, GtkTreeModel*, GtkTreeIter* iter, gpointer)
{
  reinterpret_cast<ZephraDrawCell*>(renderer)->row = RowOf(iter);
}

// A drawn cell as tall as a row of text, so owner-drawn rows keep the
// height the table's other rows have.
GtkCellRenderer* NewDrawCell(GtkWidget* tree, uint64_t id, int column, int width)
{
  auto* cell = reinterpret_cast<ZephraDrawCell*>(g_object_new(zephra_draw_cell_get_type(), nullptr));
  cell->id = id;
  cell->column = column;
  GtkCellRenderer* text = gtk_cell_renderer_text_new();
  g_object_ref_sink(text);
  gint minimum = 0, natural = 0;
  gtk_cell_renderer_get_preferred_height(text, tree, &minimum, &natural);
  g_object_unref(text);
  gtk_cell_renderer_set_fixed_size(&cell->parent, width, natural);
  return &cell->parent;
}
}  // namespace

// ---- the table's state and events ----

struct ListState
{
  uint64_t id = 0;
  GtkWidget* tree = nullptr;        // owned by the scrolled window
  ZephraListModel* model = nullptr; // we hold a reference
  int blocked = 0;                  // the layer's own changes under way
  GtkCssProvider* colors = nullptr; // the layer's colours, or null
  int stateImageWidth = 0;          // 0: no state images
  // The left press under way, for the drag threshold; a press with Control
  // stands for the right button and selects nothing.
  bool pressed = false;
  bool dragged = false;
  bool fakeRight = false;
  int pressRow = -1, pressColumn = -1;
  double pressX = 0, pressY = 0;

  ~ListState()
  {
    g_object_unref(model);
    if (colors) g_object_unref(colors);
  }
};

constexpr const char* kStateKey = "zephra-list";
constexpr const char* kColumnKey = "zephra-column";
constexpr const char* kReorderKey = "zephra-reorder";

ListState* StateOf(PLAT_GtkView* list)
{
  if (!list || !list->GetImpl()) return nullptr;
  return static_cast<ListState*>(g_object_get_data(G_OBJECT(list->GetImpl()->widget), kStateKey));
}

// Rows and columns change the table's layout only at the next frame; a
// question about where things are, asked right after a change, is answered
// from the layout the change makes, so the window's pending layout is done
// first.
ListState* LaidOut(PLAT_GtkView* list)
{
  ListState* s = StateOf(list);
  if (!s || !gtk_widget_get_realized(s->tree)) return s;
  GtkWidget* top = gtk_widget_get_toplevel(s->tree);
  if (GTK_IS_WINDOW(top)) gtk_container_check_resize(GTK_CONTAINER(top));
  return s;
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
  // Presses on a column title are the title's. The display makes the second
  // of two quick ones a double press, which the title passes on to the table:
  // taken for the rows', it was a double click on whatever row lay at the
  // title's coordinates (a program sent, in the manager).
  if (e->window != gtk_tree_view_get_bin_window(GTK_TREE_VIEW(s->tree))) return FALSE;
  int row, column;
  CellAt(s, e->x, e->y, &row, &column);
  if (e->state & GDK_CONTROL_MASK)
  {
    s->fakeRight = true;
    return TRUE;
  }
  if (e->type == GDK_BUTTON_PRESS)
  {
    s->pressed = true;
    s->dragged = false;
    s->pressRow = row;
    s->pressColumn = column;
    s->pressX = e->x;
    s->pressY = e->y;
  }
  Report(s, e->type == GDK_2BUTTON_PRESS ? PLAT_ListEvent::DoubleClick : PLAT_ListEvent::Click, row, column);
  return FALSE;
}

gboolean OnButtonRelease(GtkWidget*, GdkEventButton* e, gpointer data)
{
  auto* s = static_cast<ListState*>(data);
  const bool right = e->button == 3 || (e->button == 1 && s->fakeRight);
  if (e->button == 1)
  {
    s->pressed = false;
    s->fakeRight = false;
  }
  if (!right) return FALSE;
  int row, column;
  CellAt(s, e->x, e->y, &row, &column);
  Report(s, PLAT_ListEvent::RightClick, row, column);
  return e->button == 1;
}

gboolean OnMotion(GtkWidget* tree, GdkEventMotion* e, gpointer data)
{
  auto* s = static_cast<ListState*>(data);
  if (!s->pressed || s->dragged || s->pressRow < 0 || !(e->state & GDK_BUTTON1_MASK)) return FALSE;
  if (!gtk_drag_check_threshold(tree, static_cast<gint>(s->pressX), static_cast<gint>(s->pressY),
                                static_cast<gint>(e->x), static_cast<gint>(e->y)))
    return FALSE;
  s->dragged = true;
  Report(s, PLAT_ListEvent::BeginDrag, s->pressRow, s->pressColumn);
  return FALSE;
}

void OnColumnsChanged(GtkTreeView*, gpointer data)
{
  Report(static_cast<ListState*>(data), PLAT_ListEvent::ColumnsMoved, -1, -1);
}

gboolean OnFocusIn(GtkWidget*, GdkEvent*, gpointer data)
{
  Report(static_cast<ListState*>(data), PLAT_ListEvent::FocusIn, -1, -1);
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

  s->tree = PLAT_GtkNewTable(GTK_TREE_MODEL(s->model));
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
  g_signal_connect(s->tree, "button-release-event", G_CALLBACK(OnButtonRelease), s);
  g_signal_connect(s->tree, "motion-notify-event", G_CALLBACK(OnMotion), s);
  g_signal_connect(s->tree, "columns-changed", G_CALLBACK(OnColumnsChanged), s);
  g_signal_connect(s->tree, "focus-in-event", G_CALLBACK(OnFocusIn), s);
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
    const std::string title = PLAT_ControlText(c.title.c_str());
    GtkTreeViewColumn* col = gtk_tree_view_column_new();
    gtk_tree_view_column_set_title(col, title.c_str());
    if (c.column == 0 && s->stateImageWidth > 0)
    {
      GtkCellRenderer* image = NewDrawCell(s->tree, s->id, PLAT_LIST_STATE_IMAGE, s->stateImageWidth);
      gtk_tree_view_column_pack_start(col, image, FALSE);
      gtk_tree_view_column_set_cell_data_func(col, image, DrawCellData, nullptr, nullptr);
    }
    if (c.drawn)
    {
      GtkCellRenderer* cell = NewDrawCell(s->tree, s->id, c.column, -1);
      gtk_tree_view_column_pack_start(col, cell, TRUE);
      gtk_tree_view_column_set_cell_data_func(col, cell, DrawCellData, nullptr, nullptr);
    }
    else
    {
      GtkCellRenderer* cell = gtk_cell_renderer_text_new();
      g_object_set(cell, "ellipsize", PANGO_ELLIPSIZE_END, nullptr);
      gtk_tree_view_column_pack_start(col, cell, TRUE);
      gtk_tree_view_column_add_attribute(col, cell, "text", c.column);
    }
    gtk_tree_view_column_set_alignment(col, c.align == 1 ? 1.0f : c.align == 2 ? 0.5f : 0.0f);
    gtk_tree_view_column_set_sort_indicator(col, c.sort != 0);
    gtk_tree_view_column_set_sort_order(col, c.sort == 2 ? GTK_SORT_DESCENDING : GTK_SORT_ASCENDING);
    gtk_tree_view_column_set_reorderable(col, g_object_get_data(G_OBJECT(s->tree), kReorderKey) != nullptr);
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

std::vector<int> PLAT_ListGetColumnOrder(PLAT_GtkView* list)
{
  std::vector<int> order;
  ListState* s = StateOf(list);
  if (!s) return order;
  GList* columns = gtk_tree_view_get_columns(GTK_TREE_VIEW(s->tree));
  for (GList* l = columns; l; l = l->next) order.push_back(GPOINTER_TO_INT(g_object_get_data(G_OBJECT(l->data), kColumnKey)));
  g_list_free(columns);
  return order;
}

namespace
{
constexpr char kFocusedClass[] = "zephra-focused";
constexpr char kFollowsFocusKey[] = "zephra-follows-focus";

void MarkFocus(GtkWidget* widget)
{
  GtkStyleContext* style = gtk_widget_get_style_context(widget);
  if (gtk_widget_is_focus(widget))
    gtk_style_context_add_class(style, kFocusedClass);
  else
    gtk_style_context_remove_class(style, kFocusedClass);
}

void OnFocusChanged(GObject* widget, GParamSpec*, gpointer) { MarkFocus(GTK_WIDGET(widget)); }

void FollowFocus(GtkWidget* widget)
{
  if (g_object_get_data(G_OBJECT(widget), kFollowsFocusKey)) return;
  g_object_set_data(G_OBJECT(widget), kFollowsFocusKey, GINT_TO_POINTER(1));
  g_signal_connect(widget, "notify::is-focus", G_CALLBACK(OnFocusChanged), nullptr);
  MarkFocus(widget);
}
}  // namespace

void PLAT_GtkApplyListColors(GtkWidget* widget, GtkCssProvider** provider, const PLAT_ListColors& colors)
{
  GtkStyleContext* style = gtk_widget_get_style_context(widget);
  if (*provider)
  {
    gtk_style_context_remove_provider(style, GTK_STYLE_PROVIDER(*provider));
    g_object_unref(*provider);
    *provider = nullptr;
  }
  const auto rule = [](std::string& css, const char* property, int rgb) {
    if (rgb < 0) return;
    char line[48];
    std::snprintf(line, sizeof line, " %s: #%06x;", property, rgb & 0xFFFFFF);
    css += line;
  };
  std::string plain, selected, focused, unfocused;
  rule(plain, "background-color", colors.background);
  rule(plain, "color", colors.text);
  rule(plain, "border-color", colors.grid);
  rule(selected, "background-color", colors.selectedBackground);
  rule(focused, "color", colors.selectedText);
  rule(unfocused, "color", colors.unfocusedSelectedText >= 0 ? colors.unfocusedSelectedText : colors.text);
  if (plain.empty() && selected.empty() && focused.empty() && unfocused.empty()) return;
  // The toolkit marks only the cursor's cell as focused, so the list's own
  // class says whether it holds its window's focus.
  const std::string css = "treeview.view {" + plain + " } treeview.view:selected {" + selected + unfocused +
                          " } treeview.view." + kFocusedClass + ":selected {" + focused + " }";
  FollowFocus(widget);
  *provider = gtk_css_provider_new();
  gtk_css_provider_load_from_data(*provider, css.c_str(), -1, nullptr);
  gtk_style_context_add_provider(style, GTK_STYLE_PROVIDER(*provider), GTK_STYLE_PROVIDER_PRIORITY_USER);
}

void PLAT_ListSetColors(PLAT_GtkView* list, const PLAT_ListColors& colors)
{
  if (ListState* s = StateOf(list)) PLAT_GtkApplyListColors(s->tree, &s->colors, colors);
}

void PLAT_ListSetGridAndReorder(PLAT_GtkView* list, bool grid, bool reorder)
{
  ListState* s = StateOf(list);
  if (!s) return;
  Blocked block(s);
  GtkTreeView* tree = GTK_TREE_VIEW(s->tree);
  gtk_tree_view_set_grid_lines(tree, grid ? GTK_TREE_VIEW_GRID_LINES_BOTH : GTK_TREE_VIEW_GRID_LINES_NONE);
  g_object_set_data(G_OBJECT(s->tree), kReorderKey, reorder ? GINT_TO_POINTER(1) : nullptr);
  GList* columns = gtk_tree_view_get_columns(tree);
  for (GList* l = columns; l; l = l->next) gtk_tree_view_column_set_reorderable(GTK_TREE_VIEW_COLUMN(l->data), reorder);
  g_list_free(columns);
}

void PLAT_ListSetStateImageWidth(PLAT_GtkView* list, int width)
{
  if (ListState* s = StateOf(list)) s->stateImageWidth = std::max(width, 0);
}

int PLAT_ListHeaderHeight(PLAT_GtkView* list)
{
  ListState* s = LaidOut(list);
  if (!s || !gtk_tree_view_get_headers_visible(GTK_TREE_VIEW(s->tree)) || !gtk_widget_get_realized(s->tree)) return 0;
  // The rows' window starts below the header.
  gint x = 0, y = 0;
  gtk_tree_view_convert_bin_window_to_widget_coords(GTK_TREE_VIEW(s->tree), 0, 0, &x, &y);
  return y;
}

// ---- geometry ----

bool PLAT_ListCellAt(PLAT_GtkView* list, int x, int y, int* row, int* column)
{
  *row = *column = -1;
  ListState* s = LaidOut(list);
  if (!s || !gtk_widget_get_realized(s->tree)) return false;
  gint bx = 0, by = 0;
  gtk_tree_view_convert_tree_to_bin_window_coords(GTK_TREE_VIEW(s->tree), x, y, &bx, &by);
  CellAt(s, bx, by, row, column);
  if (*row < 0 && y >= 0 && x >= 0)
  {
    // Past the last column the row is still there; the column is not.
    const int height = PLAT_ListRowHeight(list);
    if (height > 0 && y / height < s->model->shown) *row = y / height;
  }
  return *row >= 0;
}

bool PLAT_ListCellRect(PLAT_GtkView* list, int row, int column, PLAT_Rect* rect)
{
  ListState* s = LaidOut(list);
  if (!s || !gtk_widget_get_realized(s->tree) || row < 0 || row >= s->model->shown) return false;
  GtkTreeView* tree = GTK_TREE_VIEW(s->tree);
  GtkTreeViewColumn* col = nullptr;
  if (column >= 0)
  {
    GList* columns = gtk_tree_view_get_columns(tree);
    for (GList* l = columns; l && !col; l = l->next)
      if (GPOINTER_TO_INT(g_object_get_data(G_OBJECT(l->data), kColumnKey)) == column) col = GTK_TREE_VIEW_COLUMN(l->data);
    g_list_free(columns);
    if (!col || !gtk_tree_view_column_get_visible(col)) return false;
  }
  GtkTreePath* path = gtk_tree_path_new_from_indices(row, -1);
  GdkRectangle area;
  gtk_tree_view_get_background_area(tree, path, col, &area);
  gtk_tree_path_free(path);
  if (!col)
  {
    // The whole row: every column's width.
    area.x = 0;
    area.width = 0;
    GList* columns = gtk_tree_view_get_columns(tree);
    for (GList* l = columns; l; l = l->next)
      if (gtk_tree_view_column_get_visible(GTK_TREE_VIEW_COLUMN(l->data)))
        area.width += gtk_tree_view_column_get_width(GTK_TREE_VIEW_COLUMN(l->data));
    g_list_free(columns);
    gint bx = 0, by = 0;
    gtk_tree_view_convert_tree_to_bin_window_coords(tree, 0, 0, &bx, &by);
    area.x = bx;
  }
  gint tx = 0, ty = 0;
  gtk_tree_view_convert_bin_window_to_tree_coords(tree, area.x, area.y, &tx, &ty);
  *rect = {tx, ty, area.width, area.height};
  return area.height > 0;
}

bool PLAT_ListVisibleRect(PLAT_GtkView* list, PLAT_Rect* rect)
{
  ListState* s = LaidOut(list);
  if (!s || !gtk_widget_get_realized(s->tree)) return false;
  GdkRectangle visible;
  gtk_tree_view_get_visible_rect(GTK_TREE_VIEW(s->tree), &visible);
  *rect = {visible.x, visible.y, visible.width, visible.height};
  return true;
}

int PLAT_ListRowHeight(PLAT_GtkView* list)
{
  ListState* s = LaidOut(list);
  if (!s || !gtk_widget_get_realized(s->tree) || s->model->shown <= 0) return 0;
  GtkTreePath* path = gtk_tree_path_new_from_indices(0, -1);
  GdkRectangle area;
  gtk_tree_view_get_background_area(GTK_TREE_VIEW(s->tree), path, nullptr, &area);
  gtk_tree_path_free(path);
  return std::max(area.height, 0);
}

void PLAT_ListScrollTo(PLAT_GtkView* list, int x, int y)
{
  if (ListState* s = StateOf(list)) gtk_tree_view_scroll_to_point(GTK_TREE_VIEW(s->tree), x, y);
}

void PLAT_ListScrollToRow(PLAT_GtkView* list, int row)
{
  ListState* s = StateOf(list);
  if (!s || row < 0 || row >= s->model->shown) return;
  GtkTreePath* path = gtk_tree_path_new_from_indices(row, -1);
  gtk_tree_view_scroll_to_cell(GTK_TREE_VIEW(s->tree), path, nullptr, FALSE, 0, 0);
  gtk_tree_path_free(path);
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
  ListState* s = LaidOut(list);
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
  ListState* s = LaidOut(list);
  GtkTreePath* start = nullptr;
  GtkTreePath* end = nullptr;
  if (!s || !gtk_tree_view_get_visible_range(GTK_TREE_VIEW(s->tree), &start, &end)) return false;
  *first = gtk_tree_path_get_indices(start)[0];
  *last = gtk_tree_path_get_indices(end)[0];
  gtk_tree_path_free(start);
  gtk_tree_path_free(end);
  return true;
}

bool PLAT_ListTestToPicture(PLAT_GtkView* list, int* x, int* y)
{
  ListState* s = StateOf(list);
  if (!s || !gtk_widget_get_realized(s->tree)) return false;
  // Rows added since the last frame are laid out before the picture.
  GtkWidget* top = gtk_widget_get_toplevel(s->tree);
  if (GTK_IS_CONTAINER(top)) gtk_container_check_resize(GTK_CONTAINER(top));
  gint wx = 0, wy = 0;
  gtk_tree_view_convert_tree_to_widget_coords(GTK_TREE_VIEW(s->tree), *x, *y, &wx, &wy);
  return gtk_widget_translate_coordinates(s->tree, list->GetImpl()->widget, wx, wy, x, y);
}

void PLAT_ListTestMoveColumnFirst(PLAT_GtkView* list, int column)
{
  ListState* s = StateOf(list);
  if (!s) return;
  GtkTreeView* tree = GTK_TREE_VIEW(s->tree);
  GList* columns = gtk_tree_view_get_columns(tree);
  for (GList* l = columns; l; l = l->next)
    if (GPOINTER_TO_INT(g_object_get_data(G_OBJECT(l->data), kColumnKey)) == column)
      gtk_tree_view_move_column_after(tree, GTK_TREE_VIEW_COLUMN(l->data), nullptr);
  g_list_free(columns);
}
