// The contexts are GLX contexts of their own on the display, current over a
// small off-screen drawable; the drawing goes into a framebuffer object of
// the view's size, read back at the end of each paint. The toolkit's own GL
// stays off (PLAT_Gtk.cpp): it would load the driver at start-up for every
// run, while GL views are rare.

#include "platform/gtk/PLAT_GtkGL.h"

#include "platform/gtk/PLAT_GtkGLPrivate.h"
#include "platform/gtk/PLAT_GtkPrivate.h"

#include <gdk/gdkx.h>
#include <epoxy/gl.h>
#include <epoxy/glx.h>

#include <algorithm>
#include <cstdio>

namespace
{
constexpr char kKey[] = "zephra-view-gl";

struct ViewGL
{
  Display* display = nullptr;
  GLXContext context = nullptr;
  GLXPbuffer drawable = 0;
  GLuint framebuffer = 0;
  GLuint color = 0;
  GLuint depth = 0;
  int width = 0;  // of the buffers, device pixels
  int height = 0;
};

void MakeCurrent(ViewGL* gl)
{
  if (glXGetCurrentContext() != gl->context)
    glXMakeContextCurrent(gl->display, gl->drawable, gl->drawable, gl->context);
}

void FreeViewGL(gpointer data)
{
  auto* gl = static_cast<ViewGL*>(data);
  if (gl->context)
  {
    MakeCurrent(gl);
    if (gl->framebuffer) glDeleteFramebuffers(1, &gl->framebuffer);
    if (gl->color) glDeleteRenderbuffers(1, &gl->color);
    if (gl->depth) glDeleteRenderbuffers(1, &gl->depth);
    glXMakeContextCurrent(gl->display, 0, 0, nullptr);
    glXDestroyContext(gl->display, gl->context);
  }
  if (gl->drawable) glXDestroyPbuffer(gl->display, gl->drawable);
  delete gl;
}

ViewGL* GLOf(GtkWidget* widget) { return static_cast<ViewGL*>(g_object_get_data(G_OBJECT(widget), kKey)); }

// A context over a 1 x 1 drawable of an RGBA configuration; null when the
// display offers no GL.
ViewGL* MakeViewGL()
{
  GdkDisplay* gdisplay = gdk_display_get_default();
  if (!GDK_IS_X11_DISPLAY(gdisplay)) return nullptr;
  Display* display = gdk_x11_display_get_xdisplay(gdisplay);
  int errorBase = 0, eventBase = 0;
  if (!epoxy_has_glx(display) || !glXQueryExtension(display, &errorBase, &eventBase)) return nullptr;
  const int attributes[] = {GLX_DRAWABLE_TYPE, GLX_PBUFFER_BIT, GLX_RENDER_TYPE, GLX_RGBA_BIT,
                            GLX_RED_SIZE,      8,               GLX_GREEN_SIZE,  8,
                            GLX_BLUE_SIZE,     8,               0};
  int count = 0;
  GLXFBConfig* configs = glXChooseFBConfig(display, gdk_x11_get_default_screen(), attributes, &count);
  if (!configs || count < 1)
  {
    if (configs) XFree(configs);
    return nullptr;
  }
  auto* gl = new ViewGL;
  gl->display = display;
  const int size[] = {GLX_PBUFFER_WIDTH, 1, GLX_PBUFFER_HEIGHT, 1, 0};
  gl->drawable = glXCreatePbuffer(display, configs[0], size);
  gl->context = glXCreateNewContext(display, configs[0], GLX_RGBA_TYPE, nullptr, True);
  XFree(configs);
  if (!gl->drawable || !gl->context)
  {
    FreeViewGL(gl);
    return nullptr;
  }
  return gl;
}

// Makes the context current over buffers of the widget's size.
bool Bind(GtkWidget* widget, ViewGL* gl)
{
  MakeCurrent(gl);
  const int scale = gtk_widget_get_scale_factor(widget);
  const int w = std::max(1, gtk_widget_get_allocated_width(widget) * scale);
  const int h = std::max(1, gtk_widget_get_allocated_height(widget) * scale);
  if (!gl->framebuffer)
  {
    glGenFramebuffers(1, &gl->framebuffer);
    glGenRenderbuffers(1, &gl->color);
    glGenRenderbuffers(1, &gl->depth);
  }
  glBindFramebuffer(GL_FRAMEBUFFER, gl->framebuffer);
  if (w != gl->width || h != gl->height)
  {
    glBindRenderbuffer(GL_RENDERBUFFER, gl->color);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, w, h);
    glBindRenderbuffer(GL_RENDERBUFFER, gl->depth);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, w, h);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, gl->color);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, gl->depth);
    // A size the driver refused is tried again at the next bind, and the
    // paint goes on without GL rather than reading back a buffer that
    // does not exist.
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE)
    {
      gl->width = gl->height = 0;
      glXMakeContextCurrent(gl->display, 0, 0, nullptr);
      return false;
    }
    gl->width = w;
    gl->height = h;
  }
  glViewport(0, 0, w, h);
  return true;
}
}  // namespace

bool PLAT_GtkSetViewGL(PLAT_GtkView* view, bool enable)
{
  if (!view) return false;
  GtkWidget* widget = view->GetImpl()->widget;
  if (enable == (GLOf(widget) != nullptr)) return true;
  ViewGL* gl = nullptr;
  if (enable && !(gl = MakeViewGL()))
  {
    std::fprintf(stderr, "ZephraEditor: the display offers no OpenGL for a view\n");
    return false;
  }
  // Replacing the data frees the old context.
  g_object_set_data_full(G_OBJECT(widget), kKey, gl, gl ? FreeViewGL : nullptr);
  return true;
}

bool PLAT_GtkViewHasGL(PLAT_GtkView* view) { return view && GLOf(view->GetImpl()->widget); }

bool PLAT_GtkMakeViewGLCurrent(PLAT_GtkView* view)
{
  if (!view)
  {
    if (glXGetCurrentContext()) glXMakeContextCurrent(glXGetCurrentDisplay(), 0, 0, nullptr);
    return true;
  }
  GtkWidget* widget = view->GetImpl()->widget;
  ViewGL* gl = GLOf(widget);
  return gl && Bind(widget, gl);
}

bool PLAT_GtkGLBeginPaint(GtkWidget* widget)
{
  ViewGL* gl = GLOf(widget);
  return gl && Bind(widget, gl);
}

void PLAT_GtkGLEndPaint(GtkWidget* widget, cairo_t* cr)
{
  ViewGL* gl = GLOf(widget);
  // The procedure may have turned GL off while it painted.
  if (!gl) return;
  MakeCurrent(gl);
  glBindFramebuffer(GL_FRAMEBUFFER, gl->framebuffer);
  cairo_surface_t* image = cairo_image_surface_create(CAIRO_FORMAT_RGB24, gl->width, gl->height);
  if (cairo_surface_status(image) == CAIRO_STATUS_SUCCESS)
  {
    cairo_surface_flush(image);
    // GL's rows run bottom up; its BGRA bytes are cairo's pixel on this
    // byte order, and the view is opaque, so alpha is not looked at.
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glPixelStorei(GL_PACK_ROW_LENGTH, cairo_image_surface_get_stride(image) / 4);
    glReadPixels(0, 0, gl->width, gl->height, GL_BGRA, GL_UNSIGNED_BYTE, cairo_image_surface_get_data(image));
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    cairo_surface_mark_dirty(image);
    const int scale = gtk_widget_get_scale_factor(widget);
    cairo_surface_set_device_scale(image, scale, scale);
    cairo_save(cr);
    cairo_translate(cr, 0, static_cast<double>(gl->height) / scale);
    cairo_scale(cr, 1, -1);
    cairo_set_source_surface(cr, image, 0, 0);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_paint(cr);
    cairo_restore(cr);
  }
  cairo_surface_destroy(image);
  glXMakeContextCurrent(gl->display, 0, 0, nullptr);
}
