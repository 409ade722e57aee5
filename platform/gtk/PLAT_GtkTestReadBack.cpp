#include "platform/gtk/PLAT_GtkTestReadBack.h"

#include "platform/gtk/PLAT_GtkPrivate.h"

struct ZephraTestElement
{
  AtkObject parent;
  AtkObject* hitAnswer;
  int focusIns;
  int focusOuts;
};

struct ZephraTestElementClass
{
  AtkObjectClass parentClass;
};

namespace
{
void ElementComponentInit(AtkComponentIface* iface);
}

G_DEFINE_TYPE_WITH_CODE(ZephraTestElement, zephra_test_element, ATK_TYPE_OBJECT,
                        G_IMPLEMENT_INTERFACE(ATK_TYPE_COMPONENT, ElementComponentInit))

static void zephra_test_element_class_init(ZephraTestElementClass*) {}
static void zephra_test_element_init(ZephraTestElement*) {}

namespace
{
ZephraTestElement* AsElement(void* p)
{
  return G_TYPE_CHECK_INSTANCE_CAST(p, zephra_test_element_get_type(), ZephraTestElement);
}

AtkObject* ElementHit(AtkComponent* component, gint, gint, AtkCoordType)
{
  AtkObject* hit = AsElement(component)->hitAnswer;
  return hit ? ATK_OBJECT(g_object_ref(hit)) : nullptr;
}

void ElementComponentInit(AtkComponentIface* iface) { iface->ref_accessible_at_point = ElementHit; }

void ElementStateChanged(AtkObject* object, gchar* name, gboolean set, gpointer)
{
  if (g_strcmp0(name, "focused") != 0) return;
  ++(set ? AsElement(object)->focusIns : AsElement(object)->focusOuts);
}

void Walk(AtkObject* node, int depth, std::vector<PLAT_AccessibleNode>* out)
{
  if (!node) return;
  const char* name = atk_object_get_name(node);
  out->push_back({depth, atk_role_get_name(atk_object_get_role(node)), name ? name : ""});
  const int n = atk_object_get_n_accessible_children(node);
  for (int i = 0; i < n; ++i)
  {
    AtkObject* child = atk_object_ref_accessible_child(node, i);
    Walk(child, depth + 1, out);
    if (child) g_object_unref(child);
  }
}
}  // namespace

bool PLAT_GtkTestScreenPixel(PLAT_GtkView* view, int x, int y, uint32_t* rgb)
{
  GdkWindow* window = gtk_widget_get_window(view->GetImpl()->widget);
  if (!window || !gdk_window_is_viewable(window)) return false;
  gdk_display_sync(gdk_display_get_default());
  int ox = 0, oy = 0;
  gdk_window_get_origin(window, &ox, &oy);
  GdkWindow* root = gdk_get_default_root_window();
  if (ox + x < 0 || oy + y < 0 || ox + x >= gdk_window_get_width(root) || oy + y >= gdk_window_get_height(root))
    return false;
  GdkPixbuf* pixbuf = gdk_pixbuf_get_from_window(root, ox + x, oy + y, 1, 1);
  if (!pixbuf) return false;
  const guchar* p = gdk_pixbuf_read_pixels(pixbuf);
  *rgb = static_cast<uint32_t>(p[0]) << 16 | static_cast<uint32_t>(p[1]) << 8 | p[2];
  g_object_unref(pixbuf);
  return true;
}

std::vector<PLAT_AccessibleNode> PLAT_GtkTestAccessibleTree(PLAT_GtkView* view)
{
  std::vector<PLAT_AccessibleNode> out;
  Walk(gtk_widget_get_accessible(view->GetImpl()->widget), 0, &out);
  return out;
}

void* PLAT_GtkTestNewElement(const char* name, void* hitAnswer)
{
  auto* element = AsElement(g_object_new(zephra_test_element_get_type(), nullptr));
  atk_object_set_name(ATK_OBJECT(element), name);
  atk_object_set_role(ATK_OBJECT(element), ATK_ROLE_PANEL);
  element->hitAnswer = hitAnswer ? ATK_OBJECT(hitAnswer) : nullptr;
  g_signal_connect(element, "state-change", G_CALLBACK(ElementStateChanged), nullptr);
  return element;
}

void PLAT_GtkTestFreeElement(void* element) { g_object_unref(element); }

int PLAT_GtkTestElementFocusIns(void* element) { return AsElement(element)->focusIns; }
int PLAT_GtkTestElementFocusOuts(void* element) { return AsElement(element)->focusOuts; }

int PLAT_GtkTestAccessibleRefs(PLAT_GtkView* view)
{
  return static_cast<int>(G_OBJECT(gtk_widget_get_accessible(view->GetImpl()->widget))->ref_count);
}

std::string PLAT_GtkTestAccessibleNameAt(PLAT_GtkView* view, int x, int y)
{
  GtkWidget* widget = view->GetImpl()->widget;
  GtkWidget* top = gtk_widget_get_toplevel(widget);
  int wx = 0, wy = 0;
  if (!gtk_widget_translate_coordinates(widget, top, x, y, &wx, &wy)) return "(none)";
  AtkObject* hit =
      atk_component_ref_accessible_at_point(ATK_COMPONENT(gtk_widget_get_accessible(widget)), wx, wy, ATK_XY_WINDOW);
  if (!hit) return "(none)";
  const char* name = atk_object_get_name(hit);
  std::string out = name ? name : "";
  g_object_unref(hit);
  return out;
}

void PLAT_GtkTestSendFocusChange(PLAT_GtkView* view, bool in)
{
  GtkWidget* widget = view->GetImpl()->widget;
  GdkEvent* event = gdk_event_new(GDK_FOCUS_CHANGE);
  event->focus_change.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(widget)));
  event->focus_change.in = in;
  gtk_widget_send_focus_change(widget, event);
  gdk_event_free(event);
}
