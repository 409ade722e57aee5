// The surface's view: an overlay holding a drawing area (and, while one is
// open, a text entry), the frame timer, the opaque copy the area paints, and
// the area's events.

#include "platform/gtk/PLAT_GtkSurfaceView.h"

#include "core/PlainNumber.h"
#include "platform/PLAT_Canvas.h"
#include "platform/gtk/PLAT_GtkPrivate.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

// ---- sections ----
// the screen frame · the view's state · signals · the view object · tests

// ---- the screen frame ----

namespace
{
// Bytes A, R, G, B read as a little-endian word are 0xBBGGRRAA; swapped they
// are 0xAARRGGBB, which RGB24 reads as red, green and blue (its top byte is
// not looked at). The swap is one byte shuffle per four or eight pixels on a
// processor that has one; the loader picks the widest clone once.
__attribute__((target_clones("avx2", "ssse3", "default"))) void SwapRow(const uint32_t* __restrict src,
                                                                          uint32_t* __restrict dst, int n)
{
  for (int x = 0; x < n; ++x) dst[x] = __builtin_bswap32(src[x]);
}
}  // namespace

PLAT_ScreenFrame::~PLAT_ScreenFrame()
{
  for (cairo_surface_t* band : mBands)
    if (band) cairo_surface_destroy(band);
}

void PLAT_ScreenFrame::Update(const PLAT_SurfacePixels& pixels, GdkWindow* window)
{
  mPixels = pixels.bits && pixels.width > 0 && pixels.height > 0 ? pixels : PLAT_SurfacePixels{};
  mWindow = window;
}

void PLAT_ScreenFrame::Paint(cairo_t* cr, const PLAT_Rect& rect)
{
  if (!mPixels.bits || rect.w <= 0 || rect.h <= 0) return;
  const int x0 = std::max(rect.x, 0), y0 = std::max(rect.y, 0);
  const int x1 = std::min(rect.x + rect.w, mPixels.width), y1 = std::min(rect.y + rect.h, mPixels.height);
  // Two bands of half a small surface each hold no more than one copy of it.
  const int rows = std::clamp(mBandBytes / (4 * mPixels.width), 1, (mPixels.height + 1) / 2);
  const bool likeWindow = mWindow || mBandsLikeWindow;
  for (cairo_surface_t*& band : mBands)
    if (!band || cairo_image_surface_get_width(band) < mPixels.width || cairo_image_surface_get_height(band) < rows ||
        likeWindow != mBandsLikeWindow)
    {
      if (band) cairo_surface_destroy(band);
      band = mWindow ? gdk_window_create_similar_image_surface(mWindow, CAIRO_FORMAT_RGB24, mPixels.width, rows, 1)
                     : cairo_image_surface_create(CAIRO_FORMAT_RGB24, mPixels.width, rows);
    }
  mBandsLikeWindow = likeWindow;
  cairo_save(cr);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  // What lies outside the pixels is cleared, as painting a source that
  // ends there would.
  if (x0 > rect.x || y0 > rect.y || x1 < rect.x + rect.w || y1 < rect.y + rect.h)
  {
    cairo_set_source_rgba(cr, 0, 0, 0, 0);
    cairo_rectangle(cr, rect.x, rect.y, rect.w, rect.h);
    cairo_fill(cr);
  }
  for (int top = y0, turn = 0; x1 > x0 && top < y1; top += rows, turn ^= 1)
  {
    // The bands take turns: one is filled while the display server reads
    // the other, where waiting for the server each time cost a full frame
    // some 30 % more than a plain paint.
    cairo_surface_t* band = mBands[turn];
    unsigned char* data = cairo_image_surface_get_data(band);
    const int stride = cairo_image_surface_get_stride(band);
    const int bottom = std::min(top + rows, y1);
    // Waits until the display server has read what the band held before.
    cairo_surface_flush(band);
    for (int y = top; y < bottom; ++y)
      SwapRow(mPixels.bits + static_cast<size_t>(y) * mPixels.span + x0,
              reinterpret_cast<uint32_t*>(data + static_cast<size_t>(y - top) * stride) + x0, x1 - x0);
    cairo_surface_mark_dirty_rectangle(band, x0, 0, x1 - x0, bottom - top);
    cairo_set_source_surface(cr, band, 0, top);
    // On a display of two device pixels per view pixel each pixel becomes a
    // 2 x 2 block; at one to one the filter changes nothing.
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
    cairo_rectangle(cr, x0, top, x1 - x0, bottom - top);
    cairo_fill(cr);
  }
  cairo_restore(cr);
}

// ---- the view's state ----

namespace
{
int gDrawingAreas = 0;

void AreaFinalized(gpointer, GObject*) { --gDrawingAreas; }

// Work waiting for the first paint of a view (AfterFirstPaint), and the
// views that have not painted yet.
struct FirstPaintWait
{
  PLAT_LoopCallback fn = nullptr;
  void* data = nullptr;
  unsigned timeout = 0;  // source ids
  unsigned shown = 0;
};
FirstPaintWait gFirstPaintWait;
int gViewsUnpainted = 0;

// The views of the process (main thread), for FrameSoon.
std::vector<PLAT_GtkSurfaceView::Impl*> gViews;
std::atomic<bool> gFrameSoonAsked{false};

gboolean RunFirstPaintWait(gpointer flush)
{
  FirstPaintWait wait = gFirstPaintWait;
  gFirstPaintWait = {};
  // The source that did not fire goes; the one that did is removed by its
  // answer.
  if (flush && wait.timeout) g_source_remove(wait.timeout);
  if (!flush && wait.shown) g_source_remove(wait.shown);
  // The paint's requests may still wait in the connection's buffer: the
  // frame reaches the screen before the work begins.
  if (flush)
    if (GdkDisplay* display = gdk_display_get_default()) gdk_display_flush(display);
  if (wait.fn) wait.fn(wait.data);
  return G_SOURCE_REMOVE;
}

void NoteFirstPaint()
{
  --gViewsUnpainted;
  if (!gFirstPaintWait.fn || gFirstPaintWait.shown) return;
  // Above the priority of events: a click that came while the frame was
  // painted is handled after the work, as it would have been before it.
  gFirstPaintWait.shown =
    g_idle_add_full(G_PRIORITY_HIGH, RunFirstPaintWait, GINT_TO_POINTER(1), nullptr);
}

// Callbacks come from C: nothing may throw across them.
template <class Fn>
auto Guarded(const char* what, Fn fn, decltype(fn()) fallback) -> decltype(fn())
{
  try
  {
    return fn();
  }
  catch (...)
  {
    std::fprintf(stderr, "ZephraEditor: %s failed\n", what);
    return fallback;
  }
}
}  // namespace

struct PLAT_GtkSurfaceView::Impl
{
  PLAT_SurfaceClient* client = nullptr;  // not owned
  GtkWidget* overlay = nullptr;          // the host's widget
  GtkWidget* area = nullptr;             // owned by the overlay
  GtkWidget* entry = nullptr;            // owned by the overlay while open
  GtkCssProvider* entryStyle = nullptr;  // owned
  GdkRectangle entryFrame{0, 0, 0, 0};
  unsigned timer = 0;
  unsigned timerMs = 0;
  bool inFrame = false;
  bool painted = false;
  PLAT_ScreenFrame frame;

  // How an entry ends: silently (closed by the program), with its text
  // for the owner, or cancelled by the user.
  enum class End
  {
    Silent,
    Text,
    Cancel
  };
  void EndEntry(End end);
  ~Impl();
};

PLAT_GtkSurfaceView::Impl::~Impl()
{
  gViews.erase(std::remove(gViews.begin(), gViews.end(), this), gViews.end());
  if (!painted) --gViewsUnpainted;
  if (timer) g_source_remove(timer);
  EndEntry(End::Silent);
  if (area) g_signal_handlers_disconnect_by_data(area, this);
  if (overlay) g_signal_handlers_disconnect_by_data(overlay, this);
}

void PLAT_GtkSurfaceView::Impl::EndEntry(End end)
{
  if (!entry) return;
  GtkWidget* field = entry;
  entry = nullptr;
  const std::string text = gtk_entry_get_text(GTK_ENTRY(field));
  g_signal_handlers_disconnect_by_data(field, this);
  gtk_widget_destroy(field);
  if (entryStyle) g_object_unref(entryStyle);
  entryStyle = nullptr;
  if (end == End::Silent) return;
  gtk_widget_grab_focus(area);
  if (end == End::Text)
    client->OnTextEntryEnd(text.c_str());
  else
    client->OnTextEntryCancel();
}

// ---- signals ----

namespace
{
using Impl = PLAT_GtkSurfaceView::Impl;

bool Alive(const Impl* impl)
{
  return std::find(gViews.begin(), gViews.end(), impl) != gViews.end();
}

gboolean OnFrame(gpointer data)
{
  auto* impl = static_cast<Impl*>(data);
  // A frame's idle pass, or the input before it, may run a nested loop (a
  // dialog), in which the view's frames wait till it ends, whichever source
  // asks for them meanwhile, and in which the view may go.
  if (!Alive(impl)) return G_SOURCE_REMOVE;
  if (impl->inFrame) return G_SOURCE_CONTINUE;
  impl->inFrame = true;
  PLAT_Rect area;
  const bool dirty = Guarded("a frame", [&] { return impl->client->OnSurfaceFrame(&area); }, false);
  if (!Alive(impl)) return G_SOURCE_REMOVE;
  impl->inFrame = false;
  if (dirty) gtk_widget_queue_draw_area(impl->area, area.x, area.y, area.w, area.h);
  return G_SOURCE_CONTINUE;
}

gboolean RunFramesSoon(gpointer)
{
  gFrameSoonAsked = false;
  // A frame may run a nested loop in which views go: each is looked for
  // again before its frame.
  const std::vector<Impl*> views = gViews;
  for (Impl* impl : views)
    if (Alive(impl) && impl->timer) OnFrame(impl);
  return G_SOURCE_REMOVE;
}

gboolean OnDraw(GtkWidget*, cairo_t* cr, gpointer data)
{
  auto* impl = static_cast<Impl*>(data);
  GdkRectangle clip;
  if (!gdk_cairo_get_clip_rectangle(cr, &clip)) return TRUE;
  const PLAT_Rect area{clip.x, clip.y, clip.width, clip.height};
  // Only pixels presented during this paint are shown: the ones of an
  // earlier paint may be gone (a resize makes the owner's pixels anew).
  impl->frame.Forget();
  Guarded("painting the GUI", [&] { impl->client->OnSurfaceDraw(area); return 0; }, 0);
  impl->frame.Paint(cr, area);
  impl->frame.Forget();
  if (!impl->painted)
  {
    impl->painted = true;
    NoteFirstPaint();
  }
  return TRUE;
}

gboolean Deliver(Impl* impl, const PLAT_Input& in)
{
  const bool taken = Guarded("a GUI event", [&] { return impl->client->OnSurfaceInput(in); }, true);
  // What the input changed is asked for at once, as a tick would, so that
  // it reaches the screen with the display's next frame rather than after
  // the timer's next tick as well.
  OnFrame(impl);
  return taken ? TRUE : FALSE;
}

gboolean OnButton(GtkWidget* widget, GdkEventButton* e, gpointer data)
{
  // Clicks are counted by the owner; the toolkit's double presses repeat them.
  if (e->type != GDK_BUTTON_PRESS && e->type != GDK_BUTTON_RELEASE) return TRUE;
  if (e->type == GDK_BUTTON_PRESS)
  {
    // A click beside an open entry ends it, even while the window is not
    // the active one and the focus change below tells the entry nothing.
    auto* impl = static_cast<Impl*>(data);
    if (impl->entry) Guarded("ending a text entry", [&] { impl->EndEntry(Impl::End::Text); return 0; }, 0);
    gtk_widget_grab_focus(widget);
  }
  Deliver(static_cast<Impl*>(data), PLAT_GtkButtonInput(e));
  return TRUE;
}

gboolean OnMotion(GtkWidget*, GdkEventMotion* e, gpointer data)
{
  Deliver(static_cast<Impl*>(data), PLAT_GtkMotionInput(e));
  return TRUE;
}

gboolean OnScroll(GtkWidget*, GdkEventScroll* e, gpointer data)
{
  Deliver(static_cast<Impl*>(data), PLAT_GtkScrollInput(e));
  return TRUE;
}

gboolean OnKey(GtkWidget*, GdkEventKey* e, gpointer data)
{
  // False lets the key travel on to the window layer's views and menus.
  return Deliver(static_cast<Impl*>(data), PLAT_GtkKeyInput(e));
}

gboolean OnLeave(GtkWidget*, GdkEventCrossing* e, gpointer data)
{
  // Into a child window (the text field) is no leaving.
  if (e->detail != GDK_NOTIFY_INFERIOR)
  {
    auto* impl = static_cast<Impl*>(data);
    Guarded("leaving the GUI", [&] { impl->client->OnSurfaceLeave(); return 0; }, 0);
  }
  return FALSE;
}

gboolean OnTooltip(GtkWidget*, gint x, gint y, gboolean, GtkTooltip* tooltip, gpointer data)
{
  auto* impl = static_cast<Impl*>(data);
  const std::string text =
      Guarded("a tooltip", [&] { return impl->client->OnSurfaceTooltip(x, y); }, std::string());
  if (text.empty()) return FALSE;
  gtk_tooltip_set_text(tooltip, text.c_str());
  return TRUE;
}

gboolean OnChildPosition(GtkOverlay*, GtkWidget* child, GdkRectangle* allocation, gpointer data)
{
  auto* impl = static_cast<Impl*>(data);
  if (child != impl->entry) return FALSE;
  // The field gets exactly the frame asked for, whatever size it would like.
  gtk_widget_get_preferred_size(child, nullptr, nullptr);
  *allocation = impl->entryFrame;
  return TRUE;
}

void OnInsertText(GtkEditable* editable, gchar* text, gint length, gint* position, gpointer data)
{
  auto* impl = static_cast<Impl*>(data);
  std::string next = gtk_entry_get_text(GTK_ENTRY(editable));
  const char* at = g_utf8_offset_to_pointer(next.c_str(), *position);
  next.insert(static_cast<size_t>(at - next.c_str()), text, length < 0 ? strlen(text) : static_cast<size_t>(length));
  if (!Guarded("a text check", [&] { return impl->client->OnTextEntryAccepts(next.c_str()); }, false))
    g_signal_stop_emission_by_name(editable, "insert-text");
}

void OnEntryActivate(GtkEntry*, gpointer data)
{
  auto* impl = static_cast<Impl*>(data);
  Guarded("ending a text entry", [&] { impl->EndEntry(Impl::End::Text); return 0; }, 0);
}

// Focus that leaves the whole window (another window, an earlier event's
// focus arriving late) leaves the entry open: only Enter, Escape or a click
// beside it, which moves the focus within the window, ends it.
gboolean OnEntryFocusOut(GtkWidget* entry, GdkEvent*, gpointer data)
{
  GtkWidget* top = gtk_widget_get_toplevel(entry);
  if (GTK_IS_WINDOW(top) && gtk_window_get_focus(GTK_WINDOW(top)) == entry) return FALSE;
  OnEntryActivate(nullptr, data);
  return FALSE;
}

gboolean OnEntryKey(GtkWidget*, GdkEventKey* e, gpointer data)
{
  if (e->keyval != GDK_KEY_Escape) return FALSE;
  auto* impl = static_cast<Impl*>(data);
  // The owner hears that nothing was entered: the text the entry opened
  // with may be a rounded display of the value (0.457 for 0.4567), which
  // applied would change it.
  Guarded("cancelling a text entry", [&] { impl->EndEntry(Impl::End::Cancel); return 0; }, 0);
  return TRUE;
}

// CSS reads its numbers with a point only: "%.3f" under a comma locale gave
// "rgba(0,0,0,1,000)", which the theme parser refuses.
std::string CssColor(uint32_t argb)
{
  char text[64];
  std::snprintf(text, sizeof text, "rgba(%u,%u,%u,", (argb >> 16) & 255u, (argb >> 8) & 255u, argb & 255u);
  return text + PlainFixed(((argb >> 24) & 255u) / 255.0, 3) + ")";
}
}  // namespace

// ---- the view object ----

std::unique_ptr<PLAT_GtkSurfaceView> PLAT_GtkSurfaceView::Create(PLAT_SurfaceClient* client, int width, int height,
                                                                 int fps)
{
  if (!PLAT_GtkIsUp() || !client) return nullptr;
  std::unique_ptr<PLAT_GtkSurfaceView> view(new PLAT_GtkSurfaceView);
  view->mImpl = std::make_unique<Impl>();
  Impl* impl = view->mImpl.get();
  impl->client = client;
  ++gViewsUnpainted;
  gViews.push_back(impl);

  auto host = std::make_unique<PLAT_GtkView::Impl>();
  host->widget = gtk_overlay_new();
  g_object_ref_sink(host->widget);
  impl->overlay = host->widget;
  view->mHost = PLAT_GtkView::FromImpl(std::move(host));

  impl->area = gtk_drawing_area_new();
  ++gDrawingAreas;
  g_object_weak_ref(G_OBJECT(impl->area), AreaFinalized, nullptr);
  gtk_widget_set_size_request(impl->area, std::max(width, 1), std::max(height, 1));
  gtk_widget_add_events(impl->area, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK | GDK_POINTER_MOTION_MASK |
                                        GDK_SCROLL_MASK | GDK_KEY_PRESS_MASK | GDK_LEAVE_NOTIFY_MASK);
  gtk_widget_set_can_focus(impl->area, TRUE);
  gtk_container_add(GTK_CONTAINER(impl->overlay), impl->area);
  g_signal_connect(impl->area, "draw", G_CALLBACK(OnDraw), impl);
  g_signal_connect(impl->area, "button-press-event", G_CALLBACK(OnButton), impl);
  g_signal_connect(impl->area, "button-release-event", G_CALLBACK(OnButton), impl);
  g_signal_connect(impl->area, "motion-notify-event", G_CALLBACK(OnMotion), impl);
  g_signal_connect(impl->area, "scroll-event", G_CALLBACK(OnScroll), impl);
  g_signal_connect(impl->area, "key-press-event", G_CALLBACK(OnKey), impl);
  g_signal_connect(impl->area, "leave-notify-event", G_CALLBACK(OnLeave), impl);
  g_signal_connect(impl->area, "query-tooltip", G_CALLBACK(OnTooltip), impl);
  g_signal_connect(impl->overlay, "get-child-position", G_CALLBACK(OnChildPosition), impl);
  gtk_widget_show_all(impl->overlay);

  // GLib timeouts keep firing inside the nested loops of dialogs, menus and
  // choosers, so the GUI stays live under them.
  impl->timerMs = static_cast<unsigned>(1000 / std::max(fps, 1));
  impl->timer = g_timeout_add(impl->timerMs, OnFrame, impl);
  return view;
}

PLAT_GtkSurfaceView::~PLAT_GtkSurfaceView()
{
  // The widgets' handlers go before the widgets, the widgets before the state.
  mImpl.reset();
  mHost.reset();
}

void PLAT_GtkSurfaceView::SetSize(int width, int height)
{
  gtk_widget_set_size_request(mImpl->area, std::max(width, 1), std::max(height, 1));
  gtk_widget_queue_draw(mImpl->area);
}

void PLAT_GtkSurfaceView::FrameSoon()
{
  // The idle source is added from any thread, and wakes the main loop.
  if (!gFrameSoonAsked.exchange(true)) g_idle_add_full(G_PRIORITY_DEFAULT, RunFramesSoon, nullptr, nullptr);
}

bool PLAT_GtkSurfaceView::AfterFirstPaint(PLAT_LoopCallback fn, void* data, unsigned waitMs)
{
  if (gFirstPaintWait.timeout) g_source_remove(gFirstPaintWait.timeout);
  if (gFirstPaintWait.shown) g_source_remove(gFirstPaintWait.shown);
  gFirstPaintWait = {};
  if (!fn || gViewsUnpainted <= 0) return false;
  gFirstPaintWait.fn = fn;
  gFirstPaintWait.data = data;
  gFirstPaintWait.timeout = g_timeout_add(waitMs, RunFirstPaintWait, nullptr);
  return true;
}

void PLAT_GtkSurfaceView::StopTimer()
{
  if (mImpl->timer) g_source_remove(mImpl->timer);
  mImpl->timer = 0;
}

void PLAT_GtkSurfaceView::SetFrameInterval(int ms)
{
  Impl* impl = mImpl.get();
  const unsigned interval = static_cast<unsigned>(std::max(ms, 1));
  if (!impl->timer || interval == impl->timerMs) return;
  // Removing the source from within its own tick is allowed: GLib calls a
  // destroyed source no more.
  g_source_remove(impl->timer);
  impl->timerMs = interval;
  impl->timer = g_timeout_add(interval, OnFrame, impl);
}

int PLAT_GtkSurfaceView::FrameIntervalMs() const
{
  return mImpl->timer ? static_cast<int>(mImpl->timerMs) : 0;
}

void PLAT_GtkSurfaceView::Present(const PLAT_SurfacePixels& pixels)
{
  GtkWidget* area = mImpl->area;
  mImpl->frame.Update(pixels, gtk_widget_get_realized(area) ? gtk_widget_get_window(area) : nullptr);
}

double PLAT_GtkSurfaceView::DisplayFramePeriodMs() const
{
  GdkFrameClock* clock = gtk_widget_get_frame_clock(mImpl->area);
  if (!clock) return 0;
  gint64 interval = 0, presentation = 0;
  gdk_frame_clock_get_refresh_info(clock, g_get_monotonic_time(), &interval, &presentation);
  return static_cast<double>(interval) / 1000.0;
}

void PLAT_GtkSurfaceView::Invalidate(const PLAT_Rect& rect)
{
  gtk_widget_queue_draw_area(mImpl->area, rect.x, rect.y, rect.w, rect.h);
}

void PLAT_GtkSurfaceView::GrabFocus() { gtk_widget_grab_focus(mImpl->area); }

bool PLAT_GtkSurfaceView::ViewToScreen(int x, int y, int* screenX, int* screenY) const
{
  GdkWindow* window = gtk_widget_get_window(mImpl->area);
  if (!window || !gtk_widget_get_realized(mImpl->area)) return false;
  gdk_window_get_root_coords(window, x, y, screenX, screenY);
  return true;
}

void PLAT_GtkSurfaceView::EnableTooltips(bool on) { gtk_widget_set_has_tooltip(mImpl->area, on); }

void PLAT_GtkSurfaceView::OpenTextField(const PLAT_Rect& frame, const char* text, const TextField& style)
{
  Impl* impl = mImpl.get();
  impl->EndEntry(Impl::End::Silent);
  GtkWidget* entry = gtk_entry_new();
  impl->entryFrame = {frame.x, frame.y, std::max(frame.w, 1), std::max(frame.h, 1)};
  gtk_entry_set_has_frame(GTK_ENTRY(entry), FALSE);
  gtk_entry_set_visibility(GTK_ENTRY(entry), !style.password);
  gtk_entry_set_alignment(GTK_ENTRY(entry), style.align == 1 ? 0.5f : style.align == 2 ? 1.0f : 0.0f);
  gtk_entry_set_text(GTK_ENTRY(entry), text ? text : "");
  const std::string css = "entry { font-family: \"" + style.font + "\"; font-size: " + std::to_string(style.size) +
                          "px; color: " + CssColor(style.textColor) + "; background: " + CssColor(style.backColor) +
                          "; border: none; box-shadow: none; outline: none; min-height: 0; padding: 0 1px; }";
  impl->entryStyle = gtk_css_provider_new();
  gtk_css_provider_load_from_data(impl->entryStyle, css.c_str(), -1, nullptr);
  gtk_style_context_add_provider(gtk_widget_get_style_context(entry), GTK_STYLE_PROVIDER(impl->entryStyle),
                                 GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
  g_signal_connect(entry, "insert-text", G_CALLBACK(OnInsertText), impl);
  g_signal_connect(entry, "activate", G_CALLBACK(OnEntryActivate), impl);
  g_signal_connect(entry, "focus-out-event", G_CALLBACK(OnEntryFocusOut), impl);
  g_signal_connect(entry, "key-press-event", G_CALLBACK(OnEntryKey), impl);
  impl->entry = entry;
  gtk_overlay_add_overlay(GTK_OVERLAY(impl->overlay), entry);
  gtk_widget_show(entry);
  gtk_widget_grab_focus(entry);
  if (GtkWidget* top = gtk_widget_get_toplevel(entry); GTK_IS_WINDOW(top)) gtk_window_present(GTK_WINDOW(top));
}

void PLAT_GtkSurfaceView::MoveTextField(const PLAT_Rect& frame)
{
  Impl* impl = mImpl.get();
  if (!impl->entry) return;
  impl->entryFrame = {frame.x, frame.y, std::max(frame.w, 1), std::max(frame.h, 1)};
  // The overlay asks for the field's place again (OnChildPosition).
  gtk_widget_queue_resize(impl->entry);
}

void PLAT_GtkSurfaceView::CloseTextField() { mImpl->EndEntry(Impl::End::Silent); }

bool PLAT_GtkSurfaceView::IsTextFieldOpen() const { return mImpl->entry != nullptr; }

std::string PLAT_GtkSurfaceView::TextFieldText() const
{
  return mImpl->entry ? gtk_entry_get_text(GTK_ENTRY(mImpl->entry)) : "";
}

// ---- tests ----

bool PLAT_GtkSurfaceView::TestButton(int x, int y, int button, bool press)
{
  GdkWindow* window = gtk_widget_get_window(mImpl->area);
  if (!window || !gdk_window_is_viewable(window)) return false;
  return gdk_test_simulate_button(window, x, y, static_cast<guint>(button), static_cast<GdkModifierType>(0),
                                  press ? GDK_BUTTON_PRESS : GDK_BUTTON_RELEASE) != FALSE;
}

bool PLAT_GtkSurfaceView::TestKey(unsigned keyval)
{
  GdkWindow* window = gtk_widget_get_window(mImpl->area);
  if (!window || !gdk_window_is_viewable(window)) return false;
  const auto none = static_cast<GdkModifierType>(0);
  return gdk_test_simulate_key(window, -1, -1, keyval, none, GDK_KEY_PRESS) &&
         gdk_test_simulate_key(window, -1, -1, keyval, none, GDK_KEY_RELEASE);
}

std::vector<uint32_t> PLAT_GtkSurfaceView::TestScreenPixels(int x, int y, int w, int h)
{
  GdkWindow* window = gtk_widget_get_window(mImpl->area);
  if (!window || !gdk_window_is_viewable(window)) return {};
  GdkPixbuf* shot = gdk_pixbuf_get_from_window(window, x, y, w, h);
  if (!shot) return {};
  std::vector<uint32_t> pixels;
  const int channels = gdk_pixbuf_get_n_channels(shot);
  const int stride = gdk_pixbuf_get_rowstride(shot);
  const guchar* data = gdk_pixbuf_read_pixels(shot);
  for (int row = 0; row < h; ++row)
    for (int col = 0; col < w; ++col)
    {
      const guchar* p = data + static_cast<size_t>(row) * stride + static_cast<size_t>(col) * channels;
      pixels.push_back(static_cast<uint32_t>(p[0]) << 16 | static_cast<uint32_t>(p[1]) << 8 | p[2]);
    }
  g_object_unref(shot);
  return pixels;
}

bool PLAT_GtkSurfaceView::TestTextField(std::string* text, PLAT_Rect* frame)
{
  GtkWidget* entry = mImpl->entry;
  if (!entry) return false;
  *text = gtk_entry_get_text(GTK_ENTRY(entry));
  int x = 0, y = 0;
  if (!gtk_widget_translate_coordinates(entry, mImpl->area, 0, 0, &x, &y)) return false;
  *frame = {x, y, gtk_widget_get_allocated_width(entry), gtk_widget_get_allocated_height(entry)};
  return true;
}

void PLAT_GtkSurfaceView::TestTypeAndEnter(const char* text)
{
  TestType(text);
  if (mImpl->entry) g_signal_emit_by_name(mImpl->entry, "activate");
}

void PLAT_GtkSurfaceView::TestType(const char* text)
{
  GtkWidget* entry = mImpl->entry;
  if (!entry) return;
  // What the user types replaces the selected initial text.
  gtk_editable_delete_text(GTK_EDITABLE(entry), 0, -1);
  for (const char* p = text; *p; ++p)
  {
    gint position = gtk_entry_get_text_length(GTK_ENTRY(entry));
    gtk_editable_insert_text(GTK_EDITABLE(entry), p, 1, &position);
  }
}

namespace
{
// Paints over the whole drawing area straight onto its window with paint
// (given a context whose origin is the area's), as the paint cycle would,
// and waits until the display has it.
template <class Paint>
bool PaintOnScreen(GtkWidget* area, Paint paint)
{
  if (!gtk_widget_is_drawable(area)) return false;
  // Only the top-level window is native, and only a native one can be drawn
  // on outside the paint cycle: draw there, over the area.
  GtkWidget* top = gtk_widget_get_toplevel(area);
  int x = 0, y = 0;
  if (!gtk_widget_translate_coordinates(area, top, 0, 0, &x, &y)) return false;
  const cairo_rectangle_int_t rect{x, y, gtk_widget_get_allocated_width(area), gtk_widget_get_allocated_height(area)};
  cairo_region_t* region = cairo_region_create_rectangle(&rect);
  GdkWindow* window = gtk_widget_get_window(top);
  GdkDrawingContext* context = gdk_window_begin_draw_frame(window, region);
  cairo_region_destroy(region);
  if (!context) return false;
  cairo_t* cr = gdk_drawing_context_get_cairo_context(context);
  cairo_translate(cr, x, y);
  paint(cr, PLAT_Rect{0, 0, rect.width, rect.height});
  gdk_window_end_draw_frame(window, context);
  gdk_display_sync(gdk_window_get_display(window));
  return true;
}
}  // namespace

bool PLAT_GtkSurfaceView::TestPaintOnScreen(cairo_surface_t* source)
{
  if (!source) return false;
  return PaintOnScreen(mImpl->area, [&](cairo_t* cr, const PLAT_Rect& all) {
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(cr, source, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
    cairo_rectangle(cr, 0, 0, all.w, all.h);
    cairo_fill(cr);
  });
}

bool PLAT_GtkSurfaceView::TestPaintOnScreen()
{
  return PaintOnScreen(mImpl->area, [&](cairo_t* cr, const PLAT_Rect& all) { mImpl->frame.Paint(cr, all); });
}

int PLAT_GtkSurfaceView::TestDrawingAreaCount() { return gDrawingAreas; }
