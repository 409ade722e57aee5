#include "platform/gtk/PLAT_GtkTest.h"

#include "platform/gtk/PLAT_GtkPrivate.h"

#include <gdk/gdkx.h>

#include <cstdlib>

void PLAT_GtkTestPrepare()
{
  setenv("GDK_BACKEND", "x11", 1);
  setenv("GTK_THEME", "Adwaita", 1);
  // The toolkit's test input arrives as core pointer events, which it reads
  // only when told to use them instead of the input extension's.
  setenv("GDK_CORE_DEVICE_EVENTS", "1", 1);
  // Warnings are fatal below, and a display alone (a virtual one, with no
  // desktop session) has no session bus: the settings store of the desktop
  // would warn on the first setting it keeps (the file chooser keeps some),
  // and the accessibility bridge looks for its bus at start. The tests keep
  // settings in memory and start no bridge.
  setenv("GSETTINGS_BACKEND", "memory", 1);
  setenv("NO_AT_BRIDGE", "1", 1);
  g_log_set_always_fatal(static_cast<GLogLevelFlags>(G_LOG_LEVEL_CRITICAL | G_LOG_LEVEL_WARNING));
}

bool PLAT_GtkTestButton(PLAT_GtkView* view, int x, int y, int button, bool press)
{
  GdkWindow* window = gtk_widget_get_window(view->GetImpl()->widget);
  if (!window || !gdk_window_is_viewable(window)) return false;
  return gdk_test_simulate_button(window, x, y, static_cast<guint>(button), static_cast<GdkModifierType>(0),
                                  press ? GDK_BUTTON_PRESS : GDK_BUTTON_RELEASE) != FALSE;
}

bool PLAT_GtkTestMotion(PLAT_GtkView* view, int x, int y)
{
  GdkWindow* window = gtk_widget_get_window(view->GetImpl()->widget);
  if (!window || !gdk_window_is_viewable(window)) return false;
  int originX = 0, originY = 0;
  gdk_window_get_origin(window, &originX, &originY);
  GdkSeat* seat = gdk_display_get_default_seat(gdk_window_get_display(window));
  gdk_device_warp(gdk_seat_get_pointer(seat), gdk_window_get_screen(window), originX + x, originY + y);
  return true;
}

bool PLAT_GtkTestKey(PLAT_GtkView* view, char c, bool press)
{
  GdkWindow* window = gtk_widget_get_window(view->GetImpl()->widget);
  if (!window || !gdk_window_is_viewable(window)) return false;
  return gdk_test_simulate_key(window, -1, -1, gdk_unicode_to_keyval(static_cast<guint32>(c)),
                               static_cast<GdkModifierType>(0), press ? GDK_KEY_PRESS : GDK_KEY_RELEASE) != FALSE;
}

std::vector<uint32_t> PLAT_GtkTestSnapshot(PLAT_GtkView* view, int* width, int* height)
{
  GtkWidget* widget = view->GetImpl()->widget;
  *width = *height = 0;
  if (!gtk_widget_is_drawable(widget)) return {};
  const int w = gtk_widget_get_allocated_width(widget);
  const int h = gtk_widget_get_allocated_height(widget);
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
  cairo_t* cr = cairo_create(surface);
  gtk_widget_draw(widget, cr);
  cairo_destroy(cr);
  cairo_surface_flush(surface);
  std::vector<uint32_t> pixels(static_cast<size_t>(w) * h);
  const unsigned char* data = cairo_image_surface_get_data(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      pixels[static_cast<size_t>(y) * w + x] =
          reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(y) * stride)[x] & 0xFFFFFFu;
  cairo_surface_destroy(surface);
  *width = w;
  *height = h;
  return pixels;
}

void PLAT_GtkTestRequestClose(PLAT_GtkWindow* window) { gtk_window_close(GTK_WINDOW(window->GetImpl()->window)); }

void PLAT_GtkTestSettle()
{
  gdk_display_sync(gdk_display_get_default());
  while (g_main_context_iteration(nullptr, FALSE))
  {
  }
}

bool PLAT_GtkTestIsViewable(PLAT_GtkView* view)
{
  GdkWindow* window = gtk_widget_get_window(view->GetImpl()->widget);
  return window && gdk_window_is_viewable(window);
}

int PLAT_GtkTestToplevelCount()
{
  GList* list = gtk_window_list_toplevels();
  int n = 0;
  // The toolkit keeps windows of its own, for tooltips once the pointer has
  // moved and empty 1 x 1 popups off screen as go-betweens of drags; they
  // are not the layer's.
  for (GList* i = list; i; i = i->next)
    n += G_OBJECT_TYPE(i->data) == GTK_TYPE_WINDOW &&
         !(gtk_window_get_window_type(GTK_WINDOW(i->data)) == GTK_WINDOW_POPUP && !gtk_bin_get_child(GTK_BIN(i->data)));
  g_list_free(list);
  return n;
}

int PLAT_GtkTestShownPopupCount()
{
  GList* list = gtk_window_list_toplevels();
  int n = 0;
  for (GList* i = list; i; i = i->next)
    n += gtk_window_get_window_type(GTK_WINDOW(i->data)) == GTK_WINDOW_POPUP && gtk_bin_get_child(GTK_BIN(i->data)) &&
         gtk_widget_get_mapped(GTK_WIDGET(i->data));
  g_list_free(list);
  return n;
}

void PLAT_GtkTestWindowFrame(PLAT_GtkWindow* window, int* x, int* y, int* w, int* h)
{
  GtkWidget* widget = window->GetImpl()->window;
  *x = *y = *w = *h = 0;
  GdkWindow* gw = gtk_widget_get_window(widget);
  if (!gw) return;
  gdk_window_get_origin(gw, x, y);
  *w = gdk_window_get_width(gw);
  *h = gdk_window_get_height(gw);
}

bool PLAT_GtkTestAllocation(PLAT_GtkView* view, PLAT_GtkView* relativeTo, int* x, int* y, int* w, int* h)
{
  GtkWidget* widget = view->GetImpl()->widget;
  GtkWidget* base = relativeTo->GetImpl()->widget;
  if (!gtk_widget_get_realized(widget) || !gtk_widget_get_realized(base)) return false;
  if (!gtk_widget_translate_coordinates(widget, base, 0, 0, x, y)) return false;
  *w = gtk_widget_get_allocated_width(widget);
  *h = gtk_widget_get_allocated_height(widget);
  return true;
}

void PLAT_GtkTestPickItem(PLAT_GtkView* list, int index)
{
  PLAT_ControlImpl* c = list->GetImpl()->control.get();
  GtkWidget* widget = c ? (c->inner ? c->inner : list->GetImpl()->widget) : nullptr;
  if (widget && GTK_IS_COMBO_BOX(widget)) gtk_combo_box_set_active(GTK_COMBO_BOX(widget), index);
  if (widget && GTK_IS_NOTEBOOK(widget)) gtk_notebook_set_current_page(GTK_NOTEBOOK(widget), index);
  if (widget && GTK_IS_RANGE(widget)) gtk_range_set_value(GTK_RANGE(widget), index);
}

PLAT_Input PLAT_GtkTestKeyInput(unsigned keyval, unsigned mods)
{
  GdkDisplay* display = gdk_display_get_default();
  GdkKeymap* keymap = gdk_keymap_get_for_display(display);
  GdkKeymapKey* keys = nullptr;
  gint count = 0;
  guint16 code = 0;
  if (gdk_keymap_get_entries_for_keyval(keymap, keyval, &keys, &count) && count > 0)
    code = static_cast<guint16>(keys[0].keycode);
  g_free(keys);
  guint state = 0;
  if (mods & PLAT_MOD_SHIFT) state |= GDK_SHIFT_MASK;
  if (mods & PLAT_MOD_CONTROL) state |= GDK_CONTROL_MASK;
  if (mods & PLAT_MOD_ALT) state |= GDK_MOD1_MASK;
  if (mods & PLAT_MOD_SUPER) state |= GDK_SUPER_MASK;
  // A key value the layout lacks (F17, a dead key) is delivered as it is.
  guint translated = keyval;
  if (code == 0 || !gdk_keymap_translate_keyboard_state(keymap, code, static_cast<GdkModifierType>(state), 0,
                                                        &translated, nullptr, nullptr, nullptr))
    translated = keyval;
  GdkEvent* event = gdk_event_new(GDK_KEY_PRESS);
  event->key.keyval = translated;
  event->key.state = state;
  event->key.hardware_keycode = code;
  const PLAT_Input in = PLAT_GtkKeyInput(&event->key);
  gdk_event_free(event);
  return in;
}

bool PLAT_GtkTestPinch(PLAT_GtkView* view, int x, int y, double scale, double degreesClockwise)
{
  GtkWidget* widget = view->GetImpl()->widget;
  GdkWindow* window = gtk_widget_get_window(widget);
  if (!window || !gdk_window_is_viewable(window)) return false;
  GdkDevice* pointer = gdk_seat_get_pointer(gdk_display_get_default_seat(gdk_window_get_display(window)));
  int rootX = 0, rootY = 0;
  gdk_window_get_origin(window, &rootX, &rootY);
  struct Step { GdkTouchpadGesturePhase phase; double scale; double radians; } const steps[] = {
      {GDK_TOUCHPAD_GESTURE_PHASE_BEGIN, 1, 0},
      {GDK_TOUCHPAD_GESTURE_PHASE_UPDATE, scale, degreesClockwise * G_PI / 180},
      {GDK_TOUCHPAD_GESTURE_PHASE_END, scale, 0},
  };
  for (const Step& s : steps)
  {
    GdkEvent* e = gdk_event_new(GDK_TOUCHPAD_PINCH);
    e->touchpad_pinch.window = GDK_WINDOW(g_object_ref(window));
    e->touchpad_pinch.send_event = TRUE;
    e->touchpad_pinch.phase = static_cast<gint8>(s.phase);
    e->touchpad_pinch.n_fingers = 2;
    e->touchpad_pinch.time = GDK_CURRENT_TIME;
    e->touchpad_pinch.x = x;
    e->touchpad_pinch.y = y;
    e->touchpad_pinch.x_root = rootX + x;
    e->touchpad_pinch.y_root = rootY + y;
    e->touchpad_pinch.scale = s.scale;
    e->touchpad_pinch.angle_delta = s.radians;
    gdk_event_set_device(e, pointer);
    gtk_main_do_event(e);
    gdk_event_free(e);
  }
  return true;
}

bool PLAT_GtkTestScreenPoint(PLAT_GtkView* view, int x, int y, int* screenX, int* screenY)
{
  GtkWidget* widget = view->GetImpl()->widget;
  GtkWidget* top = gtk_widget_get_toplevel(widget);
  GdkWindow* window = gtk_widget_get_window(top);
  if (!window || !gdk_window_is_viewable(window)) return false;
  int wx = 0, wy = 0;
  if (!gtk_widget_translate_coordinates(widget, top, x, y, &wx, &wy)) return false;
  gdk_window_get_origin(window, screenX, screenY);
  *screenX += wx;
  *screenY += wy;
  return true;
}

bool PLAT_GtkTestWindowSizeHints(PLAT_GtkWindow* window, int* minW, int* minH, int* maxW, int* maxH)
{
  GdkWindow* w = gtk_widget_get_window(window->GetImpl()->window);
  if (!w) return false;
  XSizeHints hints{};
  long supplied = 0;
  if (!XGetWMNormalHints(GDK_WINDOW_XDISPLAY(w), GDK_WINDOW_XID(w), &hints, &supplied)) return false;
  if (!(hints.flags & PMinSize) || !(hints.flags & PMaxSize)) return false;
  *minW = hints.min_width;
  *minH = hints.min_height;
  *maxW = hints.max_width;
  *maxH = hints.max_height;
  return true;
}

void PLAT_GtkTestResizeFromOutside(PLAT_GtkWindow* window, int width, int height)
{
  GdkWindow* w = gtk_widget_get_window(window->GetImpl()->window);
  if (!w) return;
  XResizeWindow(GDK_WINDOW_XDISPLAY(w), GDK_WINDOW_XID(w), static_cast<unsigned>(width), static_cast<unsigned>(height));
  XFlush(GDK_WINDOW_XDISPLAY(w));
}

double PLAT_GtkTestFontSize(PLAT_GtkView* view)
{
  GtkStyleContext* style = gtk_widget_get_style_context(view->GetImpl()->widget);
  double size = 0;
  gtk_style_context_get(style, gtk_style_context_get_state(style), "font-size", &size, nullptr);
  return size;
}

bool PLAT_GtkTestTextScroll(PLAT_GtkView* control, double* value, double* largest)
{
  PLAT_ControlImpl* c = control->GetImpl()->control.get();
  if (!c || !c->inner || !GTK_IS_TEXT_VIEW(c->inner)) return false;
  GtkAdjustment* a = gtk_scrollable_get_vadjustment(GTK_SCROLLABLE(c->inner));
  *value = gtk_adjustment_get_value(a);
  *largest = gtk_adjustment_get_upper(a) - gtk_adjustment_get_page_size(a);
  return true;
}

bool PLAT_GtkTestFontFace(PLAT_GtkView* control, std::string* family, int* weight)
{
  PLAT_ControlImpl* c = control->GetImpl()->control.get();
  GtkWidget* widget = c && c->inner ? c->inner : control->GetImpl()->widget;
  GtkStyleContext* style = gtk_widget_get_style_context(widget);
  PangoFontDescription* d = nullptr;
  gtk_style_context_get(style, gtk_style_context_get_state(style), "font", &d, nullptr);
  if (!d) return false;
  *family = pango_font_description_get_family(d) ? pango_font_description_get_family(d) : "";
  *weight = static_cast<int>(pango_font_description_get_weight(d));
  pango_font_description_free(d);
  return true;
}

bool PLAT_GtkTestButtonImage(PLAT_GtkView* control, int* width, int* height, bool* right)
{
  PLAT_ControlImpl* c = control->GetImpl()->control.get();
  if (!c || !c->inner || !GTK_IS_BUTTON(c->inner)) return false;
  GtkWidget* image = gtk_button_get_image(GTK_BUTTON(c->inner));
  if (!image || gtk_image_get_storage_type(GTK_IMAGE(image)) != GTK_IMAGE_SURFACE) return false;
  cairo_surface_t* surface = nullptr;
  g_object_get(image, "surface", &surface, nullptr);
  if (!surface) return false;
  *width = cairo_image_surface_get_width(surface);
  *height = cairo_image_surface_get_height(surface);
  cairo_surface_destroy(surface);
  *right = gtk_button_get_image_position(GTK_BUTTON(c->inner)) == GTK_POS_RIGHT;
  return true;
}
