// The view container: a GtkContainer with its own GdkWindow that allocates
// every child exactly the rectangle the window layer gave it, whatever size
// the child would like, and hands its drawing and input to the sink.

#include "platform/gtk/PLAT_GtkView.h"

#include "platform/PLAT_CanvasCairo.h"
#include "platform/gtk/PLAT_GtkAccessPrivate.h"
#include "platform/gtk/PLAT_GtkDrop.h"
#include "platform/gtk/PLAT_GtkGLPrivate.h"
#include "platform/gtk/PLAT_GtkPrivate.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

// ---- sections ----
// the container type · events · the view object · the window object

namespace
{
struct ViewChild
{
  GtkWidget* widget;
  GdkRectangle rect;
};
}  // namespace

struct ZephraWinlView
{
  GtkContainer parent;
  uint64_t id;
  std::vector<ViewChild>* children;  // back first; made in init, freed in finalize
  int wantWidth;                     // the size asked of a top-level window
  int wantHeight;
};

struct ZephraWinlViewClass
{
  GtkContainerClass parentClass;
};

G_DEFINE_TYPE(ZephraWinlView, zephra_winl_view, GTK_TYPE_CONTAINER)

#define ZEPHRA_WINL_VIEW(obj) (G_TYPE_CHECK_INSTANCE_CAST((obj), zephra_winl_view_get_type(), ZephraWinlView))
#define ZEPHRA_IS_WINL_VIEW(obj) (G_TYPE_CHECK_INSTANCE_TYPE((obj), zephra_winl_view_get_type()))

namespace
{
constexpr int kEventMask = GDK_EXPOSURE_MASK | GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK |
                           GDK_POINTER_MOTION_MASK | GDK_SCROLL_MASK | GDK_KEY_PRESS_MASK |
                           GDK_KEY_RELEASE_MASK | GDK_FOCUS_CHANGE_MASK | GDK_TOUCH_MASK |
                           GDK_TOUCHPAD_GESTURE_MASK;

ViewChild* FindChild(ZephraWinlView* view, GtkWidget* widget)
{
  for (ViewChild& c : *view->children)
    if (c.widget == widget) return &c;
  return nullptr;
}

// A drawing window must be at least one pixel on each side.
int AtLeastOne(int v) { return v < 1 ? 1 : v; }

// ---- the container type ----

void ViewRealize(GtkWidget* widget)
{
  GtkAllocation a;
  gtk_widget_get_allocation(widget, &a);
  gtk_widget_set_realized(widget, TRUE);
  GdkWindowAttr attrs{};
  attrs.window_type = GDK_WINDOW_CHILD;
  attrs.x = a.x;
  attrs.y = a.y;
  attrs.width = AtLeastOne(a.width);
  attrs.height = AtLeastOne(a.height);
  attrs.wclass = GDK_INPUT_OUTPUT;
  attrs.visual = gtk_widget_get_visual(widget);
  attrs.event_mask = gtk_widget_get_events(widget) | kEventMask;
  GdkWindow* window =
      gdk_window_new(gtk_widget_get_parent_window(widget), &attrs, GDK_WA_X | GDK_WA_Y | GDK_WA_VISUAL);
  gtk_widget_register_window(widget, window);
  gtk_widget_set_window(widget, window);
}

void ViewSizeAllocate(GtkWidget* widget, GtkAllocation* a)
{
  gtk_widget_set_allocation(widget, a);
  if (gtk_widget_get_realized(widget))
    gdk_window_move_resize(gtk_widget_get_window(widget), a->x, a->y, AtLeastOne(a->width),
                           AtLeastOne(a->height));
  ZephraWinlView* view = ZEPHRA_WINL_VIEW(widget);
  for (const ViewChild& c : *view->children)
  {
    if (!gtk_widget_get_visible(c.widget)) continue;
    // The toolkit insists on being asked for a size before allocating one.
    gtk_widget_get_preferred_size(c.widget, nullptr, nullptr);
    GtkAllocation ca = c.rect;
    gtk_widget_size_allocate(c.widget, &ca);
  }
}

void ViewPreferredWidth(GtkWidget* widget, gint* minimum, gint* natural)
{
  *minimum = 1;
  *natural = AtLeastOne(ZEPHRA_WINL_VIEW(widget)->wantWidth);
}

void ViewPreferredHeight(GtkWidget* widget, gint* minimum, gint* natural)
{
  *minimum = 1;
  *natural = AtLeastOne(ZEPHRA_WINL_VIEW(widget)->wantHeight);
}

gboolean ViewDraw(GtkWidget* widget, cairo_t* cr)
{
  ZephraWinlView* view = ZEPHRA_WINL_VIEW(widget);
  // A window procedure may destroy its window while it paints.
  g_object_ref(widget);
  PLAT_GtkSink* sink = PLAT_GtkGetSink();
  GdkRectangle clip;
  if (sink && gtk_cairo_should_draw_window(cr, gtk_widget_get_window(widget)) &&
      gdk_cairo_get_clip_rectangle(cr, &clip))
  {
    const int w = gtk_widget_get_allocated_width(widget);
    const int h = gtk_widget_get_allocated_height(widget);
    cairo_save(cr);
    // A view with GL on paints with its context current.
    const bool gl = PLAT_GtkGLBeginPaint(widget);
    try
    {
      if (auto canvas = PLAT_CanvasWrapCairo(cr, w, h))
        sink->OnViewDraw(view->id, canvas.get(), clip.x, clip.y, clip.width, clip.height);
    }
    catch (...)
    {
      std::fprintf(stderr, "ZephraEditor: painting a view failed\n");
    }
    cairo_restore(cr);
    if (gl && !gtk_widget_in_destruction(widget)) PLAT_GtkGLEndPaint(widget, cr);
  }
  // The container draws the children over what the view painted.
  const gboolean done = gtk_widget_in_destruction(widget)
                            ? TRUE
                            : GTK_WIDGET_CLASS(zephra_winl_view_parent_class)->draw(widget, cr);
  g_object_unref(widget);
  return done;
}

void ViewAdd(GtkContainer* container, GtkWidget* child)
{
  ZephraWinlView* view = ZEPHRA_WINL_VIEW(container);
  view->children->push_back({child, {0, 0, 0, 0}});
  gtk_widget_set_parent(child, GTK_WIDGET(container));
}

void ViewRemove(GtkContainer* container, GtkWidget* child)
{
  ZephraWinlView* view = ZEPHRA_WINL_VIEW(container);
  auto& list = *view->children;
  auto it = std::find_if(list.begin(), list.end(), [child](const ViewChild& c) { return c.widget == child; });
  if (it == list.end()) return;
  const bool wasVisible = gtk_widget_get_visible(child);
  list.erase(it);
  gtk_widget_unparent(child);
  if (wasVisible) gtk_widget_queue_draw(GTK_WIDGET(container));
}

void ViewForall(GtkContainer* container, gboolean, GtkCallback callback, gpointer data)
{
  // The callback may remove children (destruction does): walk a copy.
  const std::vector<ViewChild> copy = *ZEPHRA_WINL_VIEW(container)->children;
  for (const ViewChild& c : copy) callback(c.widget, data);
}

// ---- events ----

// The layer's codes of the keys that type no character; the rest give 0
// and are known by their character.
int VirtualKeyOf(guint keyval)
{
  if (keyval >= GDK_KEY_F1 && keyval <= GDK_KEY_F24) return static_cast<int>(112 + (keyval - GDK_KEY_F1));
  if (keyval >= GDK_KEY_KP_0 && keyval <= GDK_KEY_KP_9) return static_cast<int>(96 + (keyval - GDK_KEY_KP_0));
  switch (keyval)
  {
    // The keypad gives its digits whether Num Lock is on or not.
    case GDK_KEY_KP_Insert: return 96;
    case GDK_KEY_KP_End: return 97;
    case GDK_KEY_KP_Down: return 98;
    case GDK_KEY_KP_Page_Down: return 99;
    case GDK_KEY_KP_Left: return 100;
    case GDK_KEY_KP_Begin: return 101;
    case GDK_KEY_KP_Right: return 102;
    case GDK_KEY_KP_Home: return 103;
    case GDK_KEY_KP_Up: return 104;
    case GDK_KEY_KP_Page_Up: return 105;
    case GDK_KEY_KP_Delete: return 110;
    case GDK_KEY_BackSpace: return 8;
    case GDK_KEY_KP_Decimal: return 110;
    case GDK_KEY_KP_Multiply: return 106;
    case GDK_KEY_KP_Add: return 107;
    case GDK_KEY_Clear:
    case GDK_KEY_Num_Lock: return 144;
    case GDK_KEY_KP_Divide: return 111;
    case GDK_KEY_KP_Enter: return 0x800D;  // Return with the keypad bit
    case GDK_KEY_KP_Subtract: return 109;
    case GDK_KEY_KP_Equal: return 108;
    case GDK_KEY_Help:
    case GDK_KEY_Insert: return 45;
    case GDK_KEY_Home: return 36;
    case GDK_KEY_Page_Up: return 33;
    case GDK_KEY_Delete: return 46;
    case GDK_KEY_End: return 35;
    case GDK_KEY_Page_Down: return 34;
    case GDK_KEY_Left: return 37;
    case GDK_KEY_Up: return 38;
    case GDK_KEY_Right: return 39;
    case GDK_KEY_Down: return 40;
    default: return 0;
  }
}

// A dead key types nothing itself; followed by a space it types its accent
// as a character of its own, which is what a key handler can be given.
unsigned DeadKeyAccent(guint keyval)
{
  struct Accent { guint keyval; unsigned character; };
  static const Accent kAccents[] = {
      {GDK_KEY_dead_grave, 0x60},       {GDK_KEY_dead_acute, 0xB4},     {GDK_KEY_dead_circumflex, 0x5E},
      {GDK_KEY_dead_tilde, 0x7E},       {GDK_KEY_dead_macron, 0xAF},    {GDK_KEY_dead_breve, 0x2D8},
      {GDK_KEY_dead_abovedot, 0x2D9},   {GDK_KEY_dead_diaeresis, 0xA8}, {GDK_KEY_dead_abovering, 0x2DA},
      {GDK_KEY_dead_doubleacute, 0x2DD}, {GDK_KEY_dead_caron, 0x2C7},   {GDK_KEY_dead_cedilla, 0xB8},
      {GDK_KEY_dead_ogonek, 0x2DB},
  };
  for (const Accent& a : kAccents)
    if (a.keyval == keyval) return a.character;
  return 0;
}

bool Deliver(GtkWidget* widget, const PLAT_Input& input)
{
  PLAT_GtkSink* sink = PLAT_GtkGetSink();
  if (!sink) return false;
  try
  {
    return sink->OnViewInput(ZEPHRA_WINL_VIEW(widget)->id, input);
  }
  catch (...)
  {
    std::fprintf(stderr, "ZephraEditor: an input event failed\n");
    return true;
  }
}

gboolean ViewButton(GtkWidget* widget, GdkEventButton* e)
{
  // The toolkit adds its own double and triple presses after the second and
  // third real ones; the layer counts clicks itself and drops them.
  if (e->type != GDK_BUTTON_PRESS && e->type != GDK_BUTTON_RELEASE) return TRUE;
  Deliver(widget, PLAT_GtkButtonInput(e));
  return TRUE;
}

gboolean ViewMotion(GtkWidget* widget, GdkEventMotion* e)
{
  Deliver(widget, PLAT_GtkMotionInput(e));
  return TRUE;
}

gboolean ViewScroll(GtkWidget* widget, GdkEventScroll* e)
{
  Deliver(widget, PLAT_GtkScrollInput(e));
  return TRUE;
}

gboolean ViewKey(GtkWidget* widget, GdkEventKey* e)
{
  if (Deliver(widget, PLAT_GtkKeyInput(e))) return TRUE;
  GtkWidgetClass* parent = GTK_WIDGET_CLASS(zephra_winl_view_parent_class);
  return e->type == GDK_KEY_PRESS ? parent->key_press_event(widget, e) : parent->key_release_event(widget, e);
}

gboolean ViewFocusChange(GtkWidget* widget, GdkEventFocus* e)
{
  PLAT_GtkViewFocusChanged(widget, e->in != 0);
  GtkWidgetClass* parent = GTK_WIDGET_CLASS(zephra_winl_view_parent_class);
  return e->in ? parent->focus_in_event(widget, e) : parent->focus_out_event(widget, e);
}

void ViewFinalize(GObject* object)
{
  delete ZEPHRA_WINL_VIEW(object)->children;
  G_OBJECT_CLASS(zephra_winl_view_parent_class)->finalize(object);
}
}  // namespace

namespace
{
// ---- gestures ----
// A pinch, a turn or a swipe of two or more fingers, on a touchpad or a
// touch screen, reaches the view as a step of change each time the toolkit
// reports one: what changed since the last report.

struct GestureState
{
  double scale = 1;  // the zoom's scale at the last report, since it began
  double angle = 0;  // the turn's angle at the last report, radians clockwise
};

GestureState* StateOfGestures(GtkWidget* view)
{
  return static_cast<GestureState*>(g_object_get_data(G_OBJECT(view), "zephra-gestures"));
}

void DeliverGesture(GtkWidget* view, GtkGesture* gesture, PLAT_Input::Kind kind, double amount, int sx, int sy)
{
  PLAT_Input in;
  in.kind = kind;
  in.gesture = amount;
  in.swipeX = sx;
  in.swipeY = sy;
  gtk_gesture_get_bounding_box_center(gesture, &in.x, &in.y);
  if (const GdkEvent* e = gtk_gesture_get_last_event(gesture, gtk_gesture_get_last_updated_sequence(gesture)))
  {
    GdkModifierType state{};
    if (gdk_event_get_state(e, &state)) in.mods = PLAT_GtkModsOf(state);
    in.time = gdk_event_get_time(e);
  }
  Deliver(view, in);
}

void OnZoomBegin(GtkGesture*, GdkEventSequence*, gpointer view) { StateOfGestures(GTK_WIDGET(view))->scale = 1; }

void OnScaleChanged(GtkGestureZoom* zoom, gdouble scale, gpointer view)
{
  GestureState* s = StateOfGestures(GTK_WIDGET(view));
  const double change = scale - s->scale;
  s->scale = scale;
  if (change != 0) DeliverGesture(GTK_WIDGET(view), GTK_GESTURE(zoom), PLAT_Input::Kind::Magnify, change, 0, 0);
}

void OnRotateBegin(GtkGesture*, GdkEventSequence*, gpointer view) { StateOfGestures(GTK_WIDGET(view))->angle = 0; }

void OnAngleChanged(GtkGestureRotate* rotate, gdouble, gdouble delta, gpointer view)
{
  GestureState* s = StateOfGestures(GTK_WIDGET(view));
  // The toolkit gives the angle within a full turn: a small turn to the
  // left comes as nearly a whole one to the right.
  const double change = std::remainder(delta - s->angle, 2 * G_PI);
  s->angle = delta;
  // The toolkit turns clockwise on the screen; a turn to the left is positive.
  if (change != 0)
    DeliverGesture(GTK_WIDGET(view), GTK_GESTURE(rotate), PLAT_Input::Kind::Rotate, -change * 180 / G_PI, 0, 0);
}

void OnSwipe(GtkGestureSwipe* swipe, gdouble vx, gdouble vy, gpointer view)
{
  const auto sign = [](double v) { return v > 0 ? 1 : v < 0 ? -1 : 0; };
  DeliverGesture(GTK_WIDGET(view), GTK_GESTURE(swipe), PLAT_Input::Kind::Swipe, 0, sign(vx), sign(vy));
}

void AttachGestures(GtkWidget* view)
{
  g_object_set_data_full(G_OBJECT(view), "zephra-gestures", new GestureState,
                         [](gpointer p) { delete static_cast<GestureState*>(p); });
  GtkGesture* zoom = gtk_gesture_zoom_new(view);
  g_signal_connect(zoom, "begin", G_CALLBACK(OnZoomBegin), view);
  g_signal_connect(zoom, "scale-changed", G_CALLBACK(OnScaleChanged), view);
  GtkGesture* rotate = gtk_gesture_rotate_new(view);
  g_signal_connect(rotate, "begin", G_CALLBACK(OnRotateBegin), view);
  g_signal_connect(rotate, "angle-changed", G_CALLBACK(OnAngleChanged), view);
  // Swipes of the fingers only: a drag of the mouse is the procedure's.
  GtkGesture* swipe = gtk_gesture_swipe_new(view);
  gtk_gesture_single_set_touch_only(GTK_GESTURE_SINGLE(swipe), TRUE);
  g_signal_connect(swipe, "swipe", G_CALLBACK(OnSwipe), view);
  // A pinch that both zooms and turns gives both.
  gtk_gesture_group(zoom, rotate);
  for (GtkGesture* g : {zoom, rotate, swipe})
  {
    gtk_event_controller_set_propagation_phase(GTK_EVENT_CONTROLLER(g), GTK_PHASE_BUBBLE);
    g_object_set_data_full(G_OBJECT(view), g == zoom ? "zephra-zoom" : g == rotate ? "zephra-rotate" : "zephra-swipe",
                           g, g_object_unref);
  }
}
}  // namespace

// Tab moves the keyboard focus. The toolkit gives a container that takes
// the focus itself no turn for its children: here the view's controls take
// it in their order (backwards last first), and the view itself only when
// focus enters it and none of them can.
static gboolean ViewFocusMove(GtkWidget* widget, GtkDirectionType direction)
{
  std::vector<GtkWidget*> kids;
  for (const ViewChild& c : *ZEPHRA_WINL_VIEW(widget)->children) kids.push_back(c.widget);
  if (direction == GTK_DIR_TAB_BACKWARD || direction == GTK_DIR_UP || direction == GTK_DIR_LEFT)
    std::reverse(kids.begin(), kids.end());
  GtkWidget* current = gtk_container_get_focus_child(GTK_CONTAINER(widget));
  auto next = kids.begin();
  if (current && (next = std::find(kids.begin(), kids.end(), current)) != kids.end())
  {
    if (gtk_widget_child_focus(current, direction)) return TRUE;
    ++next;
  }
  for (; next != kids.end(); ++next)
    if (gtk_widget_child_focus(*next, direction)) return TRUE;
  if (current || gtk_widget_has_focus(widget)) return FALSE;
  gtk_widget_grab_focus(widget);
  return TRUE;
}

static void zephra_winl_view_class_init(ZephraWinlViewClass* klass)
{
  G_OBJECT_CLASS(klass)->finalize = ViewFinalize;
  GtkWidgetClass* w = GTK_WIDGET_CLASS(klass);
  w->realize = ViewRealize;
  w->size_allocate = ViewSizeAllocate;
  w->get_preferred_width = ViewPreferredWidth;
  w->get_preferred_height = ViewPreferredHeight;
  w->draw = ViewDraw;
  w->button_press_event = ViewButton;
  w->button_release_event = ViewButton;
  w->motion_notify_event = ViewMotion;
  w->scroll_event = ViewScroll;
  w->key_press_event = ViewKey;
  w->key_release_event = ViewKey;
  w->focus_in_event = ViewFocusChange;
  w->focus_out_event = ViewFocusChange;
  w->focus = ViewFocusMove;
  gtk_widget_class_set_accessible_type(w, PLAT_GtkViewAccessibleType());
  GtkContainerClass* c = GTK_CONTAINER_CLASS(klass);
  c->add = ViewAdd;
  c->remove = ViewRemove;
  c->forall = ViewForall;
}

static void zephra_winl_view_init(ZephraWinlView* view)
{
  view->children = new std::vector<ViewChild>;
  gtk_widget_set_has_window(GTK_WIDGET(view), TRUE);
  gtk_widget_set_can_focus(GTK_WIDGET(view), TRUE);
  AttachGestures(GTK_WIDGET(view));
}

// ---- the view object ----

uint64_t PLAT_GtkViewIdOf(GtkWidget* widget) { return ZEPHRA_IS_WINL_VIEW(widget) ? ZEPHRA_WINL_VIEW(widget)->id : 0; }

bool PLAT_GtkIsViewWidget(GtkWidget* widget) { return ZEPHRA_IS_WINL_VIEW(widget); }

unsigned PLAT_GtkModsOf(guint state)
{
  unsigned mods = 0;
  if (state & GDK_SHIFT_MASK) mods |= PLAT_MOD_SHIFT;
  if (state & GDK_CONTROL_MASK) mods |= PLAT_MOD_CONTROL;
  if (state & GDK_MOD1_MASK) mods |= PLAT_MOD_ALT;
  if (state & (GDK_SUPER_MASK | GDK_MOD4_MASK)) mods |= PLAT_MOD_SUPER;
  return mods;
}

namespace
{
// What every pointer event carries alike.
template <class Event>
PLAT_Input PointerInput(PLAT_Input::Kind kind, const Event* e)
{
  PLAT_Input in;
  in.kind = kind;
  in.x = e->x;
  in.y = e->y;
  in.rootX = e->x_root;
  in.rootY = e->y_root;
  in.mods = PLAT_GtkModsOf(e->state);
  in.time = e->time;
  return in;
}
}  // namespace

PLAT_Input PLAT_GtkButtonInput(const GdkEventButton* e)
{
  PLAT_Input in = PointerInput(
      e->type == GDK_BUTTON_RELEASE ? PLAT_Input::Kind::ButtonUp : PLAT_Input::Kind::ButtonDown, e);
  in.button = static_cast<int>(e->button);
  return in;
}

PLAT_Input PLAT_GtkMotionInput(const GdkEventMotion* e) { return PointerInput(PLAT_Input::Kind::Motion, e); }

PLAT_Input PLAT_GtkScrollInput(const GdkEventScroll* e)
{
  PLAT_Input in = PointerInput(PLAT_Input::Kind::Scroll, e);
  switch (e->direction)
  {
    case GDK_SCROLL_UP: in.wheelY = 1; break;
    case GDK_SCROLL_DOWN: in.wheelY = -1; break;
    case GDK_SCROLL_LEFT: in.wheelX = 1; break;
    case GDK_SCROLL_RIGHT: in.wheelX = -1; break;
    case GDK_SCROLL_SMOOTH:
      in.wheelX = -e->delta_x;
      in.wheelY = -e->delta_y;
      break;
  }
  return in;
}

PLAT_Input PLAT_GtkKeyInput(const GdkEventKey* e)
{
  PLAT_Input in;
  in.kind = e->type == GDK_KEY_PRESS ? PLAT_Input::Kind::KeyDown : PLAT_Input::Kind::KeyUp;
  in.mods = PLAT_GtkModsOf(e->state);
  in.time = e->time;
  in.keyCode = e->hardware_keycode;
  in.virtualKey = VirtualKeyOf(e->keyval);
  // Shift+Tab arrives as its own key value; it is the back-tab character.
  in.keyChar = e->keyval == GDK_KEY_ISO_Left_Tab ? 25 : gdk_keyval_to_unicode(e->keyval);
  // The same key on the same layout group with no modifier held.
  guint plain = 0;
  if (gdk_keymap_translate_keyboard_state(gdk_keymap_get_for_display(gdk_display_get_default()), e->hardware_keycode,
                                          static_cast<GdkModifierType>(0), e->group, &plain, nullptr, nullptr,
                                          nullptr))
    in.plainChar = gdk_keyval_to_unicode(plain);
  else
    in.plainChar = in.keyChar;  // a key the layout does not know: as typed
  in.deadChar = DeadKeyAccent(e->keyval);
  return in;
}

PLAT_GtkView::Impl::~Impl()
{
  if (!widget) return;
  if (directDraw) gdk_window_end_draw_frame(gtk_widget_get_window(gtk_widget_get_toplevel(widget)), directDraw);
  // A control going away is no change of the user's.
  if (control) ++control->blocked;
  // Child views belong to other objects: take them out first, so that
  // destroying this widget does not destroy theirs.
  if (ZEPHRA_IS_WINL_VIEW(widget))
  {
    ZephraWinlView* view = ZEPHRA_WINL_VIEW(widget);
    while (!view->children->empty()) gtk_container_remove(GTK_CONTAINER(widget), view->children->back().widget);
  }
  if (GtkWidget* parent = gtk_widget_get_parent(widget)) gtk_container_remove(GTK_CONTAINER(parent), widget);
  gtk_widget_destroy(widget);
  g_object_unref(widget);
}

PLAT_GtkView::PLAT_GtkView(std::unique_ptr<Impl> impl) : mImpl(std::move(impl)) {}
PLAT_GtkView::~PLAT_GtkView() = default;

std::unique_ptr<PLAT_GtkView> PLAT_GtkView::FromImpl(std::unique_ptr<Impl> impl)
{
  return std::unique_ptr<PLAT_GtkView>(new PLAT_GtkView(std::move(impl)));
}

std::unique_ptr<PLAT_GtkView> PLAT_GtkView::Create(uint64_t id)
{
  if (!PLAT_GtkIsUp()) return nullptr;
  auto impl = std::make_unique<Impl>();
  GtkWidget* widget = GTK_WIDGET(g_object_new(zephra_winl_view_get_type(), nullptr));
  g_object_ref_sink(widget);
  ZEPHRA_WINL_VIEW(widget)->id = id;
  impl->widget = widget;
  std::unique_ptr<PLAT_GtkView> view(new PLAT_GtkView(std::move(impl)));
  PLAT_GtkAcceptUriDrops(*view, id);
  return view;
}

void PLAT_GtkView::SetParent(PLAT_GtkView* parent, const PLAT_Rect& frame)
{
  GtkWidget* widget = mImpl->widget;
  if (GtkWidget* old = gtk_widget_get_parent(widget)) gtk_container_remove(GTK_CONTAINER(old), widget);
  if (!parent) return;
  ZephraWinlView* p = ZEPHRA_WINL_VIEW(parent->mImpl->widget);
  p->children->push_back({widget, {frame.x, frame.y, frame.w, frame.h}});
  gtk_widget_set_parent(widget, GTK_WIDGET(p));
}

void PLAT_GtkView::SetFrame(const PLAT_Rect& frame)
{
  GtkWidget* widget = mImpl->widget;
  if (ZEPHRA_IS_WINL_VIEW(widget))
  {
    ZephraWinlView* self = ZEPHRA_WINL_VIEW(widget);
    self->wantWidth = frame.w;
    self->wantHeight = frame.h;
  }
  GtkWidget* parent = gtk_widget_get_parent(widget);
  if (parent && ZEPHRA_IS_WINL_VIEW(parent))
  {
    if (ViewChild* c = FindChild(ZEPHRA_WINL_VIEW(parent), widget)) c->rect = {frame.x, frame.y, frame.w, frame.h};
    gtk_widget_queue_allocate(parent);
  }
  else
    gtk_widget_queue_resize(widget);
}

void PLAT_GtkView::SetVisible(bool visible) { gtk_widget_set_visible(mImpl->widget, visible); }

void PLAT_GtkView::SetSensitive(bool sensitive) { gtk_widget_set_sensitive(mImpl->widget, sensitive); }

void PLAT_GtkView::StackChildren(PLAT_GtkView* const* children, int count)
{
  if (!ZEPHRA_IS_WINL_VIEW(mImpl->widget)) return;
  ZephraWinlView* self = ZEPHRA_WINL_VIEW(mImpl->widget);
  std::vector<ViewChild> ordered;
  for (int i = 0; i < count; ++i)
    if (ViewChild* c = FindChild(self, children[i]->mImpl->widget)) ordered.push_back(*c);
  // Children the caller did not name stay behind the named ones.
  for (const ViewChild& c : *self->children)
    if (std::none_of(ordered.begin(), ordered.end(), [&c](const ViewChild& o) { return o.widget == c.widget; }))
      ordered.insert(ordered.begin(), c);
  *self->children = ordered;
  for (const ViewChild& c : ordered)
    if (gtk_widget_get_realized(c.widget) && gtk_widget_get_has_window(c.widget))
      gdk_window_raise(gtk_widget_get_window(c.widget));
  gtk_widget_queue_draw(mImpl->widget);
}

void PLAT_GtkView::Invalidate(const PLAT_Rect* rect)
{
  if (rect)
    gtk_widget_queue_draw_area(mImpl->widget, rect->x, rect->y, rect->w, rect->h);
  else
    gtk_widget_queue_draw(mImpl->widget);
}

void PLAT_GtkView::PaintNow()
{
  GtkWidget* widget = mImpl->widget;
  if (!gtk_widget_is_drawable(widget)) return;
  // The toolkit paints on its frame clock; waiting for the next frame is not
  // "now", and only this older call paints at once.
  G_GNUC_BEGIN_IGNORE_DEPRECATIONS
  gdk_window_process_updates(gtk_widget_get_window(widget), TRUE);
  G_GNUC_END_IGNORE_DEPRECATIONS
}

namespace
{
// The widget that takes the keyboard for the view: a control's working
// widget; for a list or tree, the table inside the scrolled window that is
// the view (the scrolled window itself cannot hold the focus).
GtkWidget* KeyboardWidget(const PLAT_GtkView::Impl* impl)
{
  if (impl->control) return impl->control->inner;
  if (GTK_IS_SCROLLED_WINDOW(impl->widget))
    if (GtkWidget* child = gtk_bin_get_child(GTK_BIN(impl->widget))) return child;
  return impl->widget;
}
}  // namespace

void PLAT_GtkView::GrabFocus() { gtk_widget_grab_focus(KeyboardWidget(mImpl.get())); }

bool PLAT_GtkView::HasFocus() const
{
  return gtk_widget_has_focus(KeyboardWidget(mImpl.get()));
}

int PLAT_GtkView::GetScaleFactor() const { return gtk_widget_get_scale_factor(mImpl->widget); }

PLAT_Canvas* PLAT_GtkView::BeginDirectDraw()
{
  GtkWidget* widget = mImpl->widget;
  if (mImpl->directDraw || !gtk_widget_is_drawable(widget)) return nullptr;
  // Only the top-level drawing window is native, and only a native one can
  // be drawn on outside the paint cycle: draw there, over this view's area.
  GtkWidget* top = gtk_widget_get_toplevel(widget);
  int x = 0, y = 0;
  if (!gtk_widget_translate_coordinates(widget, top, 0, 0, &x, &y)) return nullptr;
  const cairo_rectangle_int_t area{x, y, gtk_widget_get_allocated_width(widget),
                                   gtk_widget_get_allocated_height(widget)};
  cairo_region_t* region = cairo_region_create_rectangle(&area);
  GdkWindow* window = gtk_widget_get_window(top);
  mImpl->directDraw = gdk_window_begin_draw_frame(window, region);
  cairo_region_destroy(region);
  if (!mImpl->directDraw) return nullptr;
  cairo_t* cr = gdk_drawing_context_get_cairo_context(mImpl->directDraw);
  cairo_translate(cr, x, y);
  cairo_rectangle(cr, 0, 0, area.width, area.height);
  cairo_clip(cr);
  mImpl->directCanvas = PLAT_CanvasWrapCairo(cr, area.width, area.height);
  if (!mImpl->directCanvas) EndDirectDraw();
  return mImpl->directCanvas.get();
}

void PLAT_GtkView::EndDirectDraw()
{
  if (!mImpl->directDraw) return;
  mImpl->directCanvas.reset();
  gdk_window_end_draw_frame(gtk_widget_get_window(gtk_widget_get_toplevel(mImpl->widget)), mImpl->directDraw);
  mImpl->directDraw = nullptr;
}

// ---- the window object ----

namespace
{
PLAT_GtkSink* WindowSink() { return PLAT_GtkGetSink(); }

gboolean OnDelete(GtkWidget*, GdkEvent*, gpointer data)
{
  const auto* impl = static_cast<const PLAT_GtkWindow::Impl*>(data);
  try
  {
    if (PLAT_GtkSink* sink = WindowSink()) sink->OnWindowCloseRequest(impl->id);
  }
  catch (...)
  {
    std::fprintf(stderr, "ZephraEditor: closing a window failed\n");
  }
  return TRUE;  // the layer closes windows itself, or keeps them
}

gboolean OnConfigure(GtkWidget*, GdkEventConfigure* e, gpointer data)
{
  const auto* impl = static_cast<const PLAT_GtkWindow::Impl*>(data);
  try
  {
    // The toolkit gives the size the window had when the event was sent
    // but, unless a window manager sent it, the place the window has when it
    // is handled: after quick changes the two together may never have been
    // the window's frame. Both are read as they are now.
    PLAT_Rect r{e->x, e->y, e->width, e->height};
    if (e->window && !gdk_window_is_destroyed(e->window))
    {
      gdk_window_get_geometry(e->window, nullptr, nullptr, &r.w, &r.h);
      gdk_window_get_origin(e->window, &r.x, &r.y);
    }
    r.h -= PLAT_GtkMenuBarHeight(impl);
    if (PLAT_GtkSink* sink = WindowSink()) sink->OnWindowConfigure(impl->id, r);
  }
  catch (...)
  {
    std::fprintf(stderr, "ZephraEditor: moving a window failed\n");
  }
  return FALSE;
}

gboolean OnFocus(GtkWidget*, GdkEventFocus* e, gpointer data)
{
  const auto* impl = static_cast<const PLAT_GtkWindow::Impl*>(data);
  try
  {
    if (PLAT_GtkSink* sink = WindowSink()) sink->OnWindowFocus(impl->id, e->in != 0);
  }
  catch (...)
  {
    std::fprintf(stderr, "ZephraEditor: activating a window failed\n");
  }
  return FALSE;
}
}  // namespace

PLAT_GtkWindow::Impl::~Impl()
{
  if (!window) return;
  g_signal_handlers_disconnect_by_data(window, this);
  if (content && gtk_widget_get_parent(content) == box) gtk_container_remove(GTK_CONTAINER(box), content);
  gtk_widget_destroy(window);
  g_object_unref(window);
}

PLAT_GtkWindow::PLAT_GtkWindow(std::unique_ptr<Impl> impl) : mImpl(std::move(impl)) {}
PLAT_GtkWindow::~PLAT_GtkWindow() = default;

namespace
{
// Runs before the window draws its children: a clear window starts each
// paint from full transparency instead of what was there.
gboolean ClearUnderViews(GtkWidget*, cairo_t* cr, gpointer data)
{
  if (static_cast<PLAT_GtkWindow::Impl*>(data)->clear)
  {
    cairo_save(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_rgba(cr, 0, 0, 0, 0);
    cairo_paint(cr);
    cairo_restore(cr);
  }
  return FALSE;
}
}  // namespace

std::unique_ptr<PLAT_GtkWindow> PLAT_GtkWindow::Create(uint64_t id, PLAT_GtkView* content, unsigned style,
                                                       bool dialog)
{
  if (!PLAT_GtkIsUp() || !content) return nullptr;
  auto impl = std::make_unique<Impl>();
  impl->id = id;
  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  g_object_ref(window);
  impl->window = window;
  GtkWindow* w = GTK_WINDOW(window);
  gtk_window_set_decorated(w, (style & PLAT_WINDOW_TITLED) != 0);
  gtk_window_set_deletable(w, (style & PLAT_WINDOW_CLOSABLE) != 0);
  gtk_window_set_resizable(w, (style & PLAT_WINDOW_RESIZABLE) != 0);
  // A position asked for is the window's own, the place the display then
  // reports, and not that of the frame a window manager adds around it: a
  // window asked to stay where it is stays there.
  gtk_window_set_gravity(w, GDK_GRAVITY_STATIC);
  if (dialog)
  {
    gtk_window_set_modal(w, TRUE);
    gtk_window_set_type_hint(w, GDK_WINDOW_TYPE_HINT_DIALOG);
  }
  impl->content = content->GetImpl()->widget;
  impl->box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
  gtk_widget_show(impl->box);
  gtk_container_add(GTK_CONTAINER(window), impl->box);
  gtk_box_pack_end(GTK_BOX(impl->box), impl->content, TRUE, TRUE, 0);
  g_signal_connect(window, "delete-event", G_CALLBACK(OnDelete), impl.get());
  g_signal_connect(window, "configure-event", G_CALLBACK(OnConfigure), impl.get());
  g_signal_connect(window, "focus-in-event", G_CALLBACK(OnFocus), impl.get());
  g_signal_connect(window, "focus-out-event", G_CALLBACK(OnFocus), impl.get());
  g_signal_connect(window, "draw", G_CALLBACK(ClearUnderViews), impl.get());
  return std::unique_ptr<PLAT_GtkWindow>(new PLAT_GtkWindow(std::move(impl)));
}

void PLAT_GtkWindow::SetClearBackground(bool clear)
{
  GtkWidget* w = mImpl->window;
  mImpl->clear = clear;
  GdkScreen* screen = gtk_widget_get_screen(w);
  GdkVisual* visual = clear ? gdk_screen_get_rgba_visual(screen) : nullptr;
  if (!visual) visual = gdk_screen_get_system_visual(screen);
  if (gtk_widget_get_visual(w) != visual)
  {
    const bool shown = gtk_widget_get_visible(w);
    if (shown) gtk_widget_hide(w);
    if (gtk_widget_get_realized(w)) gtk_widget_unrealize(w);
    gtk_widget_set_visual(w, visual);
    if (shown) gtk_widget_show(w);
  }
  // The toolkit paints no theme background under an application-painted
  // window.
  gtk_widget_set_app_paintable(w, clear);
  gtk_widget_queue_draw(w);
}

void PLAT_GtkWindow::SetTitle(const char* title) { gtk_window_set_title(GTK_WINDOW(mImpl->window), title); }

void PLAT_GtkWindow::SetFrame(const PLAT_Rect& frame)
{
  GtkWindow* w = GTK_WINDOW(mImpl->window);
  if (mImpl->content)
  {
    ZephraWinlView* view = ZEPHRA_WINL_VIEW(mImpl->content);
    view->wantWidth = frame.w;
    view->wantHeight = frame.h;
    gtk_widget_queue_resize(mImpl->content);
  }
  const int width = AtLeastOne(frame.w);
  const int height = AtLeastOne(frame.h + PLAT_GtkMenuBarHeight(mImpl.get()));
  PLAT_GtkHoldSize(mImpl.get(), width, height);
  gtk_window_resize(w, width, height);
  // A shown window is asked in one request, so that the display reports the
  // new frame and never the new place with the old size. (The toolkit asks
  // again only for a size it did not ask for last, and a window sized from
  // outside since then is sized back here.) A hidden one takes its frame
  // when shown.
  GdkWindow* gw = gtk_widget_get_window(mImpl->window);
  if (gw && gtk_widget_get_mapped(mImpl->window))
    gdk_window_move_resize(gw, frame.x, frame.y, width, height);
  else
    gtk_window_move(w, frame.x, frame.y);
}

void PLAT_GtkHoldSize(PLAT_GtkWindow::Impl* window, int width, int height)
{
  GtkWindow* w = GTK_WINDOW(window->window);
  if (gtk_window_get_resizable(w)) return;
  GdkGeometry g{};
  g.min_width = g.max_width = AtLeastOne(width);
  g.min_height = g.max_height = AtLeastOne(height);
  gtk_window_set_geometry_hints(w, nullptr, &g, static_cast<GdkWindowHints>(GDK_HINT_MIN_SIZE | GDK_HINT_MAX_SIZE));
}

void PLAT_GtkWindow::SetSizeLimits(int minW, int minH, int maxW, int maxH)
{
  // A window the user may not size holds the size it is given instead.
  if (!gtk_window_get_resizable(GTK_WINDOW(mImpl->window))) return;
  const int bar = PLAT_GtkMenuBarHeight(mImpl.get());
  GdkGeometry g{};
  g.min_width = AtLeastOne(minW);
  g.min_height = AtLeastOne(minH) + bar;
  g.max_width = std::max(g.min_width, maxW);
  g.max_height = std::max(g.min_height, maxH + bar);
  gtk_window_set_geometry_hints(GTK_WINDOW(mImpl->window), nullptr, &g,
                                static_cast<GdkWindowHints>(GDK_HINT_MIN_SIZE | GDK_HINT_MAX_SIZE));
}

void PLAT_GtkWindow::SetOwner(PLAT_GtkWindow* owner)
{
  gtk_window_set_transient_for(GTK_WINDOW(mImpl->window), owner ? GTK_WINDOW(owner->mImpl->window) : nullptr);
}

void PLAT_GtkWindow::Show(bool activate)
{
  if (mImpl->content) gtk_widget_show(mImpl->content);
  if (!activate)
  {
    gtk_widget_show(mImpl->window);
    return;
  }
  const bool wasVisible = gtk_widget_get_visible(mImpl->window);
  gtk_window_present(GTK_WINDOW(mImpl->window));
  // Asked again with the display's present time: the toolkit asks with the
  // time of the user's last input, which the display ignores once the
  // keyboard moved after it (a dialog that took it and went). A modal window
  // keeps every input from the others, so it must have the keyboard itself;
  // shown for the first time, only a window manager would give it, and
  // without one nobody does.
  if (wasVisible || gtk_window_get_modal(GTK_WINDOW(mImpl->window)))
    if (GdkWindow* gw = gtk_widget_get_window(mImpl->window)) gdk_window_focus(gw, GDK_CURRENT_TIME);
}

void PLAT_GtkWindow::Hide() { gtk_widget_hide(mImpl->window); }

void PLAT_GtkWindow::Iconify() { gtk_window_iconify(GTK_WINDOW(mImpl->window)); }

void PLAT_GtkWindow::SetKeepAbove(bool above) { gtk_window_set_keep_above(GTK_WINDOW(mImpl->window), above); }

void PLAT_GtkWindow::SetModal(bool modal) { gtk_window_set_modal(GTK_WINDOW(mImpl->window), modal); }

bool PLAT_GtkWindow::IsActive() const { return gtk_window_is_active(GTK_WINDOW(mImpl->window)); }

int PLAT_GtkWindow::MenuBarHeight() const { return PLAT_GtkMenuBarHeight(mImpl.get()); }

int PLAT_GtkWindow::DecorationHeight() const
{
  ReadDecoration();
  return mImpl->decorationHeight;
}

int PLAT_GtkWindow::DecorationTop() const
{
  ReadDecoration();
  return mImpl->decorationTop;
}

void PLAT_GtkWindow::ReadDecoration() const
{
  GdkWindow* gw = gtk_widget_get_window(mImpl->window);
  if (!gw || !gdk_window_is_visible(gw))
  {
    mImpl->decorationHeight = mImpl->decorationTop = 0;
    mImpl->decorationTurn = 0;
    return;
  }
  // A round trip to the display server, asked for several times while one
  // event is handled.
  const unsigned turn = PLAT_GtkLoopTurn();
  if (mImpl->decorationTurn == turn) return;
  mImpl->decorationTurn = turn;
  mImpl->decorationHeight = mImpl->decorationTop = 0;
  // The frame's left, right, top and bottom widths as the window manager
  // tells them once it has framed the window; with no window manager there
  // is no such property (and no frame).
  GdkAtom type = GDK_NONE;
  gint format = 0, length = 0;
  guchar* data = nullptr;
  if (!gdk_property_get(gw, gdk_atom_intern_static_string("_NET_FRAME_EXTENTS"),
                        gdk_atom_intern_static_string("CARDINAL"), 0, 4 * 4, FALSE, &type, &format, &length, &data))
    return;
  // 32-bit items come as longs, whatever the long's size.
  if (format == 32 && length >= static_cast<gint>(4 * sizeof(long)))
  {
    const long* sides = reinterpret_cast<const long*>(data);
    if (sides[2] >= 0 && sides[3] >= 0 && sides[2] + sides[3] < 10000)
    {
      mImpl->decorationHeight = static_cast<int>(sides[2] + sides[3]);
      mImpl->decorationTop = static_cast<int>(sides[2]);
    }
  }
  g_free(data);
}

void PLAT_GtkWindow::ReleaseContent()
{
  if (!mImpl->content) return;
  if (gtk_widget_get_parent(mImpl->content) == mImpl->box)
    gtk_container_remove(GTK_CONTAINER(mImpl->box), mImpl->content);
  mImpl->content = nullptr;
}

// ---- focus marks ----

struct PLAT_GtkOverlay
{
  GtkWidget* window = nullptr;
};

namespace
{
gboolean PaintGrey(GtkWidget*, cairo_t* cr, gpointer)
{
  cairo_set_source_rgb(cr, 0.5, 0.5, 0.5);
  cairo_paint(cr);
  return TRUE;
}

// The mouse goes through to what lies below.
void PassPointer(GtkWidget* widget, gpointer)
{
  cairo_region_t* none = cairo_region_create();
  gdk_window_input_shape_combine_region(gtk_widget_get_window(widget), none, 0, 0);
  cairo_region_destroy(none);
}
}  // namespace

PLAT_GtkOverlay* PLAT_GtkOverlayShow(PLAT_GtkWindow* owner, const PLAT_Rect& frame)
{
  if (!PLAT_GtkIsUp()) return nullptr;
  auto* overlay = new PLAT_GtkOverlay;
  GtkWidget* w = gtk_window_new(GTK_WINDOW_POPUP);
  g_object_ref_sink(w);
  overlay->window = w;
  gtk_widget_set_app_paintable(w, TRUE);
  gtk_window_set_decorated(GTK_WINDOW(w), FALSE);
  gtk_window_set_skip_taskbar_hint(GTK_WINDOW(w), TRUE);
  gtk_window_set_accept_focus(GTK_WINDOW(w), FALSE);
  gtk_widget_set_opacity(w, 0.5);
  if (owner) gtk_window_set_transient_for(GTK_WINDOW(w), GTK_WINDOW(owner->GetImpl()->window));
  else gtk_window_set_keep_above(GTK_WINDOW(w), TRUE);
  g_signal_connect(w, "draw", G_CALLBACK(PaintGrey), nullptr);
  g_signal_connect(w, "realize", G_CALLBACK(PassPointer), nullptr);
  gtk_window_move(GTK_WINDOW(w), frame.x, frame.y);
  gtk_window_resize(GTK_WINDOW(w), AtLeastOne(frame.w), AtLeastOne(frame.h));
  gtk_widget_show(w);
  return overlay;
}

void PLAT_GtkOverlayClose(PLAT_GtkOverlay* overlay)
{
  if (!overlay) return;
  gtk_widget_destroy(overlay->window);
  g_object_unref(overlay->window);
  delete overlay;
}

bool PLAT_GtkTestOverlayFrame(PLAT_GtkOverlay* overlay, PLAT_Rect* frame)
{
  GdkWindow* gw = overlay ? gtk_widget_get_window(overlay->window) : nullptr;
  if (!gw || !gdk_window_is_viewable(gw)) return false;
  gdk_window_get_origin(gw, &frame->x, &frame->y);
  frame->w = gdk_window_get_width(gw);
  frame->h = gdk_window_get_height(gw);
  return true;
}
