#include "platform/gtk/PLAT_GtkTestReadBack.h"

#include "platform/gtk/PLAT_GtkPrivate.h"

namespace
{
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
