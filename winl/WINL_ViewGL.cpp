// OpenGL contexts of window views: the layer's handles over the toolkit's
// GL views (PLAT_GtkGL.h). The paint cycle makes the context current around
// WM_PAINT.

#include "winl/WINL_Hosting.h"

#include "platform/gtk/PLAT_GtkGL.h"
#include "winl/WINL_WndPrivate.h"

bool WINL_SetViewGL(HWND view, bool enable)
{
  PLAT_GtkView* native = WINL_PlainNative(view);
  return native && PLAT_GtkSetViewGL(native, enable);
}

bool WINL_GetViewGL(HWND view)
{
  PLAT_GtkView* native = WINL_PlainNative(view);
  return native && PLAT_GtkViewHasGL(native);
}

bool WINL_SetGLContextToView(HWND view)
{
  if (!view) return PLAT_GtkMakeViewGLCurrent(nullptr);
  PLAT_GtkView* native = WINL_PlainNative(view);
  return native && PLAT_GtkMakeViewGLCurrent(native);
}
