#include "platform/gtk/PLAT_GtkTestKeys.h"

#include "platform/gtk/PLAT_GtkPrivate.h"

bool PLAT_GtkTestKeyval(PLAT_GtkView* view, unsigned keyval, unsigned mods, bool press)
{
  GdkWindow* window = gtk_widget_get_window(view->GetImpl()->widget);
  if (!window || !gdk_window_is_viewable(window)) return false;
  unsigned state = 0;
  if (mods & PLAT_MOD_SHIFT) state |= GDK_SHIFT_MASK;
  if (mods & PLAT_MOD_CONTROL) state |= GDK_CONTROL_MASK;
  if (mods & PLAT_MOD_ALT) state |= GDK_MOD1_MASK;
  return gdk_test_simulate_key(window, -1, -1, keyval, static_cast<GdkModifierType>(state),
                               press ? GDK_KEY_PRESS : GDK_KEY_RELEASE) != FALSE;
}
