// The table widget of lists and trees: the toolkit's tree view, except that
// taking the keyboard focus selects nothing. The toolkit puts the cursor on
// the first row as focus arrives (by Tab, by the program or by a click) and,
// in a single-selection table, selects that row too; here the cursor still
// goes there, but the row stays as the user left it, so no selection notice
// says the user chose it. A click selects the clicked row after the focus
// has arrived, and the keys move the selection as before.

#include "platform/gtk/PLAT_GtkPrivate.h"

struct ZephraTable
{
  GtkTreeView parent;
  int focusArriving;  // the focus is being taken: the selection stays
};

struct ZephraTableClass
{
  GtkTreeViewClass parentClass;
};

G_DEFINE_TYPE(ZephraTable, zephra_table, GTK_TYPE_TREE_VIEW)

#define ZEPHRA_TABLE(obj) (G_TYPE_CHECK_INSTANCE_CAST((obj), zephra_table_get_type(), ZephraTable))

namespace
{
gboolean MaySelect(GtkTreeSelection*, GtkTreeModel*, GtkTreePath*, gboolean, gpointer table)
{
  return static_cast<ZephraTable*>(table)->focusArriving == 0;
}

class FocusArriving
{
public:
  explicit FocusArriving(GtkWidget* widget) : mTable(ZEPHRA_TABLE(widget)) { ++mTable->focusArriving; }
  ~FocusArriving() { --mTable->focusArriving; }
  FocusArriving(const FocusArriving&) = delete;
  FocusArriving& operator=(const FocusArriving&) = delete;

private:
  ZephraTable* mTable;
};

// The program's SetFocus and a click.
void TableGrabFocus(GtkWidget* widget)
{
  FocusArriving arriving(widget);
  GTK_WIDGET_CLASS(zephra_table_parent_class)->grab_focus(widget);
}

// Tab and the other focus keys.
gboolean TableFocus(GtkWidget* widget, GtkDirectionType direction)
{
  FocusArriving arriving(widget);
  return GTK_WIDGET_CLASS(zephra_table_parent_class)->focus(widget, direction);
}
}  // namespace

static void zephra_table_init(ZephraTable* table)
{
  table->focusArriving = 0;
  gtk_tree_selection_set_select_function(gtk_tree_view_get_selection(GTK_TREE_VIEW(table)), MaySelect, table,
                                         nullptr);
}

static void zephra_table_class_init(ZephraTableClass* klass)
{
  GtkWidgetClass* widget = GTK_WIDGET_CLASS(klass);
  widget->grab_focus = TableGrabFocus;
  widget->focus = TableFocus;
}

GtkWidget* PLAT_GtkNewTable(GtkTreeModel* model)
{
  return GTK_WIDGET(g_object_new(zephra_table_get_type(), "model", model, nullptr));
}
