// The accessible of view widgets: the container's accessible with the
// window procedure's element standing in as PLAT_GtkAccess.h says, and the
// labels that name fields.

#include "platform/gtk/PLAT_GtkAccess.h"

#include "platform/gtk/PLAT_GtkAccessPrivate.h"

#include <gtk/gtk-a11y.h>

#include <climits>
#include <cstdlib>
#include <vector>

namespace
{
PLAT_AccessibleElementFn gSource = nullptr;

AtkObject* ElementOf(GtkWidget* widget)
{
  const uint64_t id = PLAT_GtkViewIdOf(widget);
  if (!gSource || !id) return nullptr;
  void* element = gSource(id);
  return element && ATK_IS_OBJECT(element) ? ATK_OBJECT(element) : nullptr;
}

bool HasChildViews(GtkWidget* widget)
{
  GList* children = gtk_container_get_children(GTK_CONTAINER(widget));
  const bool any = children != nullptr;
  g_list_free(children);
  return any;
}

// A view without children of its own whose procedure supplies an element is
// left out of the tree: the element takes its place.
AtkObject* StandIn(GtkWidget* widget)
{
  return PLAT_GtkIsViewWidget(widget) && !HasChildViews(widget) ? ElementOf(widget) : nullptr;
}

// ---- labels naming fields ----

// A field or drop-down list that no label names yet. A drop-down list's
// own name is only its current item, which says nothing of what it
// chooses: the label beside it names it even then.
bool Unnamed(AtkObject* child)
{
  const AtkRole role = atk_object_get_role(child);
  if (role != ATK_ROLE_COMBO_BOX && role != ATK_ROLE_TEXT && role != ATK_ROLE_SPIN_BUTTON) return false;
  AtkRelationSet* relations = atk_object_ref_relation_set(child);
  const bool labelled = relations && atk_relation_set_contains(relations, ATK_RELATION_LABELLED_BY);
  if (relations) g_object_unref(relations);
  if (labelled) return false;
  const char* name = atk_object_get_name(child);
  return role == ATK_ROLE_COMBO_BOX || !name || !*name;
}

// The label beside the field among the view's children: the nearest one
// ending left of it on its row, else the nearest one ending above it that
// overlaps it sideways.
GtkWidget* LabelFor(GtkWidget* view, GtkWidget* field)
{
  GtkAllocation f;
  gtk_widget_get_allocation(field, &f);
  const int middle = f.y + f.height / 2;
  GtkWidget* best = nullptr;
  long bestScore = LONG_MAX;
  GList* children = gtk_container_get_children(GTK_CONTAINER(view));
  for (GList* i = children; i; i = i->next)
  {
    GtkWidget* c = GTK_WIDGET(i->data);
    if (!GTK_IS_LABEL(c) || !gtk_widget_get_visible(c)) continue;
    GtkAllocation l;
    gtk_widget_get_allocation(c, &l);
    long score = LONG_MAX;
    if (l.x + l.width <= f.x && l.y <= middle && middle < l.y + l.height)
      score = f.x - (l.x + l.width);
    else if (l.y + l.height <= f.y + 2 && l.x < f.x + f.width && f.x < l.x + l.width)
      score = 100000L + (f.y - (l.y + l.height)) * 100L + std::labs(static_cast<long>(f.x - l.x));
    if (score < bestScore)
    {
      bestScore = score;
      best = c;
    }
  }
  g_list_free(children);
  return best;
}

void NameByLabel(GtkWidget* view, AtkObject* child)
{
  if (!GTK_IS_ACCESSIBLE(child) || !Unnamed(child)) return;
  GtkWidget* field = gtk_accessible_get_widget(GTK_ACCESSIBLE(child));
  GtkWidget* label = field ? LabelFor(view, field) : nullptr;
  if (!label) return;
  AtkObject* labelObject = gtk_widget_get_accessible(label);
  atk_object_add_relationship(child, ATK_RELATION_LABELLED_BY, labelObject);
  atk_object_add_relationship(labelObject, ATK_RELATION_LABEL_FOR, child);
  atk_object_set_name(child, gtk_label_get_text(GTK_LABEL(label)));
}
}  // namespace

// ---- the accessible type ----

struct ZephraWinlViewAccessible
{
  GtkContainerAccessible parent;
};

struct ZephraWinlViewAccessibleClass
{
  GtkContainerAccessibleClass parentClass;
};

namespace
{
void ComponentInit(AtkComponentIface* iface);
}

G_DEFINE_TYPE_WITH_CODE(ZephraWinlViewAccessible, zephra_winl_view_accessible, GTK_TYPE_CONTAINER_ACCESSIBLE,
                        G_IMPLEMENT_INTERFACE(ATK_TYPE_COMPONENT, ComponentInit))

namespace
{
AtkComponentIface* gParentComponent = nullptr;

GtkWidget* ViewOf(AtkObject* object) { return gtk_accessible_get_widget(GTK_ACCESSIBLE(object)); }

// The view's children as assistive tools see them: each child's accessible,
// or the element standing in for a child view, and the view's own element
// last when the view is not replaced by it.
std::vector<AtkObject*> Children(AtkObject* object)
{
  std::vector<AtkObject*> out;
  GtkWidget* view = ViewOf(object);
  if (!view) return out;
  AtkObjectClass* parent = ATK_OBJECT_CLASS(zephra_winl_view_accessible_parent_class);
  const int n = parent->get_n_children(object);
  for (int i = 0; i < n; ++i)
  {
    AtkObject* child = parent->ref_child(object, i);
    if (!child) continue;
    GtkWidget* childWidget = GTK_IS_ACCESSIBLE(child) ? gtk_accessible_get_widget(GTK_ACCESSIBLE(child)) : nullptr;
    if (AtkObject* element = childWidget ? StandIn(childWidget) : nullptr)
    {
      out.push_back(element);
      g_object_unref(child);  // the child's own accessible stays out
      continue;
    }
    NameByLabel(view, child);
    out.push_back(child);
    g_object_unref(child);
  }
  if (HasChildViews(view))
    if (AtkObject* own = ElementOf(view)) out.push_back(own);
  return out;
}

gint GetNChildren(AtkObject* object) { return static_cast<gint>(Children(object).size()); }

AtkObject* RefChild(AtkObject* object, gint index)
{
  const std::vector<AtkObject*> children = Children(object);
  if (index < 0 || static_cast<size_t>(index) >= children.size()) return nullptr;
  AtkObject* child = children[static_cast<size_t>(index)];
  atk_object_set_parent(child, object);
  return ATK_OBJECT(g_object_ref(child));
}

AtkObject* RefAccessibleAtPoint(AtkComponent* component, gint x, gint y, AtkCoordType coords)
{
  GtkWidget* view = ViewOf(ATK_OBJECT(component));
  if (AtkObject* element = view ? ElementOf(view) : nullptr)
    if (ATK_IS_COMPONENT(element))
    {
      AtkObject* hit = atk_component_ref_accessible_at_point(ATK_COMPONENT(element), x, y, coords);
      if (hit && (hit != element || StandIn(view))) return hit;
      if (hit) g_object_unref(hit);
    }
  return gParentComponent->ref_accessible_at_point(component, x, y, coords);
}

void ComponentInit(AtkComponentIface* iface)
{
  gParentComponent = static_cast<AtkComponentIface*>(g_type_interface_peek_parent(iface));
  iface->ref_accessible_at_point = RefAccessibleAtPoint;
}
}  // namespace

static void zephra_winl_view_accessible_class_init(ZephraWinlViewAccessibleClass* klass)
{
  AtkObjectClass* atk = ATK_OBJECT_CLASS(klass);
  atk->get_n_children = GetNChildren;
  atk->ref_child = RefChild;
}

static void zephra_winl_view_accessible_init(ZephraWinlViewAccessible*) {}

GType PLAT_GtkViewAccessibleType() { return zephra_winl_view_accessible_get_type(); }

void PLAT_GtkSetAccessibleSource(PLAT_AccessibleElementFn source) { gSource = source; }

void PLAT_GtkViewFocusChanged(GtkWidget* widget, bool in)
{
  // The element stands in for the view: assistive tools hear of its focus.
  if (AtkObject* element = ElementOf(widget)) atk_object_notify_state_change(element, ATK_STATE_FOCUSED, in);
}
