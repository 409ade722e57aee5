#include "platform/gtk/PLAT_GtkCursor.h"

#include "platform/gtk/PLAT_Gtk.h"

#include <gdk/gdkx.h>
#include <gtk/gtk.h>

#include <X11/XKBlib.h>

#include <cstring>

struct PLAT_Cursor
{
  GdkCursor* cursor = nullptr;
};

namespace
{
PLAT_Cursor* gCurrent = nullptr;  // null: the arrow
bool gHidden = false;

GdkDevice* Pointer()
{
  GdkDisplay* display = PLAT_GtkIsUp() ? gdk_display_get_default() : nullptr;
  GdkSeat* seat = display ? gdk_display_get_default_seat(display) : nullptr;
  return seat ? gdk_seat_get_pointer(seat) : nullptr;
}

GdkCursor* Blank()
{
  static GdkCursor* blank = gdk_cursor_new_for_display(gdk_display_get_default(), GDK_BLANK_CURSOR);
  return blank;
}

// Every top-level window of ours shows the cursor: our views have no cursor
// of their own and take their window's.
void ApplyToAll(GdkCursor* cursor)
{
  GList* tops = gtk_window_list_toplevels();
  for (GList* l = tops; l; l = l->next)
    if (GdkWindow* window = gtk_widget_get_window(GTK_WIDGET(l->data))) gdk_window_set_cursor(window, cursor);
  g_list_free(tops);
}

// The cursor-font shapes exist on every X server, whatever cursor theme is
// installed.
GdkCursorType TypeOf(PLAT_CursorShape shape)
{
  switch (shape)
  {
    case PLAT_CursorShape::Arrow: return GDK_LEFT_PTR;
    case PLAT_CursorShape::IBeam: return GDK_XTERM;
    case PLAT_CursorShape::ResizeUp: return GDK_TOP_SIDE;
    case PLAT_CursorShape::ResizeLeftRight: return GDK_SB_H_DOUBLE_ARROW;
    case PLAT_CursorShape::ResizeUpDown: return GDK_SB_V_DOUBLE_ARROW;
    case PLAT_CursorShape::OpenHand: return GDK_HAND1;
  }
  return GDK_LEFT_PTR;
}

struct PngSource
{
  const uint8_t* data;
  size_t left;
};

cairo_status_t ReadPng(void* closure, unsigned char* out, unsigned int length)
{
  auto* src = static_cast<PngSource*>(closure);
  if (length > src->left) return CAIRO_STATUS_READ_ERROR;
  std::memcpy(out, src->data, length);
  src->data += length;
  src->left -= length;
  return CAIRO_STATUS_SUCCESS;
}
}  // namespace

PLAT_Cursor* PLAT_CursorNamed(PLAT_CursorShape shape)
{
  static PLAT_Cursor kept[6];
  if (!PLAT_GtkIsUp()) return nullptr;
  PLAT_Cursor& c = kept[static_cast<int>(shape)];
  if (!c.cursor) c.cursor = gdk_cursor_new_for_display(gdk_display_get_default(), TypeOf(shape));
  return c.cursor ? &c : nullptr;
}

PLAT_Cursor* PLAT_CursorFromPixels(const uint32_t* argb, int width, int height, int hotX, int hotY)
{
  if (!PLAT_GtkIsUp() || !argb || width < 1 || height < 1) return nullptr;
  GdkPixbuf* pixbuf = gdk_pixbuf_new(GDK_COLORSPACE_RGB, TRUE, 8, width, height);
  if (!pixbuf) return nullptr;
  guchar* rows = gdk_pixbuf_get_pixels(pixbuf);
  const int stride = gdk_pixbuf_get_rowstride(pixbuf);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
    {
      const uint32_t p = argb[static_cast<size_t>(y) * width + x];
      guchar* o = rows + static_cast<size_t>(y) * stride + x * 4;
      o[0] = static_cast<guchar>(p >> 16);
      o[1] = static_cast<guchar>(p >> 8);
      o[2] = static_cast<guchar>(p);
      o[3] = static_cast<guchar>(p >> 24);
    }
  GdkCursor* cursor = gdk_cursor_new_from_pixbuf(gdk_display_get_default(), pixbuf, hotX, hotY);
  g_object_unref(pixbuf);
  if (!cursor) return nullptr;
  return new PLAT_Cursor{cursor};
}

void PLAT_CursorFree(PLAT_Cursor* cursor)
{
  if (!cursor) return;
  if (gCurrent == cursor) PLAT_CursorSet(nullptr);
  g_object_unref(cursor->cursor);
  delete cursor;
}

void PLAT_CursorSet(PLAT_Cursor* cursor)
{
  gCurrent = cursor;
  if (!PLAT_GtkIsUp() || gHidden) return;
  GdkCursor* shown = cursor ? cursor->cursor : nullptr;
  GdkDevice* pointer = Pointer();
  GdkWindow* under = pointer ? gdk_device_get_window_at_position(pointer, nullptr, nullptr) : nullptr;
  if (under)
    gdk_window_set_cursor(gdk_window_get_toplevel(under), shown);
  else
    ApplyToAll(shown);
}

void PLAT_CursorSetHidden(bool hidden)
{
  gHidden = hidden;
  if (!PLAT_GtkIsUp()) return;
  ApplyToAll(hidden ? Blank() : gCurrent ? gCurrent->cursor : nullptr);
}

bool PLAT_PointerGet(int* x, int* y)
{
  GdkDevice* pointer = Pointer();
  if (!pointer) return false;
  gdk_device_get_position(pointer, nullptr, x, y);
  return true;
}

bool PLAT_InputHeldNow(unsigned* buttons, unsigned* mods)
{
  GdkDisplay* display = PLAT_GtkIsUp() ? gdk_display_get_default() : nullptr;
  if (!display || !GDK_IS_X11_DISPLAY(display)) return false;
  Display* x = GDK_DISPLAY_XDISPLAY(display);
  // The buttons from the pointer's state, the keys from the key map: both
  // as the server has them now, whichever window holds them.
  Window root = 0, child = 0;
  int rx = 0, ry = 0, wx = 0, wy = 0;
  unsigned state = 0;
  if (!XQueryPointer(x, DefaultRootWindow(x), &root, &child, &rx, &ry, &wx, &wy, &state)) return false;
  *buttons = ((state & Button1Mask) ? 1u : 0u) | ((state & Button3Mask) ? 2u : 0u) | ((state & Button2Mask) ? 4u : 0u);
  char keys[32] = {};
  XQueryKeymap(x, keys);
  const auto held = [&](KeySym left, KeySym right) {
    for (KeySym sym : {left, right})
    {
      const KeyCode code = XKeysymToKeycode(x, sym);
      if (code && (keys[code / 8] & (1 << (code % 8)))) return true;
    }
    return false;
  };
  *mods = 0;
  if (held(XK_Shift_L, XK_Shift_R)) *mods |= PLAT_MOD_SHIFT;
  if (held(XK_Control_L, XK_Control_R)) *mods |= PLAT_MOD_CONTROL;
  if (held(XK_Alt_L, XK_Alt_R)) *mods |= PLAT_MOD_ALT;
  if (held(XK_Super_L, XK_Super_R)) *mods |= PLAT_MOD_SUPER;
  return true;
}

bool PLAT_PointerWarp(int x, int y)
{
  GdkDevice* pointer = Pointer();
  if (!pointer) return false;
  gdk_device_warp(pointer, gdk_screen_get_default(), x, y);
  gdk_display_flush(gdk_display_get_default());
  return true;
}

bool PLAT_DecodePNG(const uint8_t* data, size_t size, std::vector<uint32_t>* argb, int* width, int* height)
{
  if (!data || size < 8) return false;
  PngSource src{data, size};
  cairo_surface_t* s = cairo_image_surface_create_from_png_stream(ReadPng, &src);
  const bool ok = cairo_surface_status(s) == CAIRO_STATUS_SUCCESS;
  if (ok)
  {
    cairo_surface_flush(s);
    const int w = cairo_image_surface_get_width(s);
    const int h = cairo_image_surface_get_height(s);
    const int stride = cairo_image_surface_get_stride(s);
    const unsigned char* rows = cairo_image_surface_get_data(s);
    const bool alpha = cairo_image_surface_get_format(s) == CAIRO_FORMAT_ARGB32;
    argb->assign(static_cast<size_t>(w) * h, 0);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
      {
        uint32_t p;
        std::memcpy(&p, rows + static_cast<size_t>(y) * stride + x * 4, 4);
        uint32_t a = alpha ? p >> 24 : 255;
        uint32_t r = (p >> 16) & 255, g = (p >> 8) & 255, b = p & 255;
        // cairo keeps colour premultiplied by alpha.
        if (a && a < 255)
        {
          r = (r * 255 + a / 2) / a;
          g = (g * 255 + a / 2) / a;
          b = (b * 255 + a / 2) / a;
        }
        (*argb)[static_cast<size_t>(y) * w + x] = a << 24 | r << 16 | g << 8 | b;
      }
    *width = w;
    *height = h;
  }
  cairo_surface_destroy(s);
  return ok;
}
