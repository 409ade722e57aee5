// Events from the toolkit: the sink that receives them, mouse buttons,
// moves and the wheel as window messages, keys, and the window events of
// top-level windows.

#include "winl/WINL_Window.h"

#include "winl/WINL_Access.h"
#include "winl/WINL_Clipboard.h"
#include "winl/WINL_Cursor.h"
#include "winl/WINL_DragDrop.h"
#include "winl/WINL_Hosting.h"
#include "winl/WINL_Keys.h"
#include "winl/WINL_Queue.h"
#include "winl/WINL_WndPrivate.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

// ---- sections ----
// click counting · one mouse message · buttons, moves, wheel, keys · the sink

namespace
{
// ---- click counting ----

// The toolkit reports the second press of a double click as a press of its
// own followed by a double-press event; procedures want DOWN, UP, DBLCLK,
// UP. Presses of the same button on the same view close enough in time and
// place count up; a press on another view (a window that took the place of
// the one clicked before, say) starts a new count.
struct ClickCounter
{
  uint64_t view = 0;
  int button = 0;
  uint32_t time = 0;
  double x = 0;
  double y = 0;
  int count = 0;

  int Press(uint64_t v, int b, uint32_t t, double px, double py, int maxMs, int maxDistance)
  {
    const bool again = count > 0 && v == view && b == button && t - time <= static_cast<uint32_t>(maxMs) &&
                       std::fabs(px - x) <= maxDistance && std::fabs(py - y) <= maxDistance;
    count = again ? count + 1 : 1;
    view = v;
    button = b;
    time = t;
    x = px;
    y = py;
    return count;
  }
};

ClickCounter gClicks;
POINT gLastEventPos{0, 0};   // y-up screen coordinates
bool gRightClickEmulation = false;
unsigned gButtonsHeld = 0;   // 1 left, 2 right, 4 middle

constexpr LRESULT kNoView = -1;

// ---- one mouse message ----

// Sends one mouse message for the event to w (or to the view holding the
// capture): the hit test first, then the message in client or, outside the
// client area, in non-client form. A view of another window gets it when
// w's window forwards its mouse to the capture; forwarded, the hit test is
// asked of it even though it holds the capture.
LRESULT SendMouseMessage(WINL_Wnd* w, UINT msg, const PLAT_Input& in, bool forwarded = false)
{
  if (!w) return 0;
  if (w->state.load() != kWndAlive || !w->wndproc) return kNoView;
  HWND hwnd = WINL_Handle(w);
  HWND capture = GetCapture();
  if (capture && capture != hwnd)
  {
    WINL_Wnd* holder = WINL_Live(capture);
    if (holder && WINL_ContentOf(holder) == WINL_ContentOf(w)) return SendMouseMessage(holder, msg, in);
    const WINL_Wnd* content = WINL_ContentOf(w);
    if (holder && content && content->frame->mouseToCapture) return SendMouseMessage(holder, msg, in, true);
  }
  WINL_DispatchGuard guard(*w);
  int ox, oy;
  WINL_ViewScreenOrigin(w, &ox, &oy);
  const int x = static_cast<int>(std::floor(in.rootX - ox));
  const int y = static_cast<int>(std::floor(in.rootY - oy));
  const bool wheel = msg == WM_MOUSEWHEEL || msg == WM_MOUSEHWHEEL;
  const LPARAM screenPos = WINL_PackPoint(gLastEventPos.x, gLastEventPos.y);
  LRESULT hit = HTCLIENT;
  if (!wheel && (!capture || forwarded))
  {
    hit = WINL_CallProc(w, WM_NCHITTEST, 0, screenPos);
    if (w->state.load() != kWndAlive) return kNoView;
  }
  if (hit != HTCLIENT && msg >= WM_MOUSEMOVE && msg <= WM_MBUTTONDBLCLK)
    return WINL_CallProc(w, msg - WM_MOUSEMOVE + WM_NCMOUSEMOVE, static_cast<WPARAM>(hit), screenPos);
  LRESULT result;
  if (wheel)
  {
    const double delta = msg == WM_MOUSEWHEEL ? in.wheelY : in.wheelX;
    const int steps = static_cast<int>(static_cast<float>(delta) * 60.0);
    const WPARAM wParam = static_cast<WPARAM>(static_cast<int64_t>(steps) * 65536);
    result = WINL_CallProc(w, msg, wParam, screenPos);
  }
  else
    result = WINL_CallProc(w, msg, 0, WINL_PackPoint(x, y));
  const bool endsAnAction = msg == WM_MOUSEMOVE || msg == WM_LBUTTONUP || msg == WM_RBUTTONUP || msg == WM_MBUTTONUP;
  // A view that does not choose its cursor gets the arrow.
  if (endsAnAction && !GetCapture())
  {
    const bool chosen = w->state.load() == kWndAlive && w->wndproc &&
                        WINL_CallProc(w, WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd),
                                      static_cast<LPARAM>(msg) << 16 | hit) != 0;
    if (!chosen) WINL_SetArrowUnlessCurrent();
  }
  return result;
}

// ---- buttons, moves, wheel, keys ----

void ActivateWindowOf(WINL_Wnd* w)
{
  WINL_Wnd* content = WINL_ContentOf(w);
  if (content && content != WINL_KeyWindow()) SetFocus(WINL_Handle(content));
}

// A left press on an enabled view: a window that was not active asks the
// view and its parent whether the click activates it, and the view takes
// the keyboard focus of its window.
void FocusOnClick(WINL_Wnd* w)
{
  WINL_Wnd* content = WINL_ContentOf(w);
  if (!content || !w->enabled) return;
  if (content != WINL_KeyWindow())
  {
    WINL_Dispatch(w, WM_MOUSEACTIVATE, 0, 0);
    if (WINL_Wnd* parent = w->parent ? WINL_Live(w->parent) : nullptr) WINL_Dispatch(parent, WM_MOUSEACTIVATE, 0, 0);
  }
  if (w->state.load() != kWndAlive || content->frame->firstResponder == w->id) return;
  WINL_Dispatch(w, WM_MOUSEACTIVATE, 0, 0);
  content->frame->firstResponder = w->id;
  if (w->native) w->native->GrabFocus();
}

void ButtonDown(WINL_Wnd* w, const PLAT_Input& in)
{
  // A new press ends any promise a finished drag left behind.
  WINL_FinishDragDrop();
  const int count = gClicks.Press(w->id, in.button, in.time, in.rootX, in.rootY, PLAT_GtkDoubleClickTime(),
                                  PLAT_GtkDoubleClickDistance());
  if (in.button == 1)
  {
    if (!w->enabled) return;
    FocusOnClick(w);
    if (w->state.load() != kWndAlive) return;
    w->fakeRightMouse = false;
    // The key that stands for the right button is the one the key flags
    // and the key state leave out while it does: Super.
    if ((in.mods & PLAT_MOD_SUPER) && gRightClickEmulation)
    {
      ActivateWindowOf(w);
      SendMouseMessage(w, count > 1 ? WM_RBUTTONDBLCLK : WM_RBUTTONDOWN, in);
      w->fakeRightMouse = count == 1;
      return;
    }
    SendMouseMessage(w, count > 1 ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN, in);
  }
  else if (in.button == 3)
  {
    w->fakeRightMouse = false;
    ActivateWindowOf(w);
    SendMouseMessage(w, count > 1 ? WM_RBUTTONDBLCLK : WM_RBUTTONDOWN, in);
  }
  else if (in.button == 2)
  {
    ActivateWindowOf(w);
    SendMouseMessage(w, count > 1 ? WM_MBUTTONDBLCLK : WM_MBUTTONDOWN, in);
  }
}

void ButtonUp(WINL_Wnd* w, const PLAT_Input& in)
{
  if (!w->enabled) return;
  if (in.button == 1)
  {
    const bool fake = w->fakeRightMouse;
    w->fakeRightMouse = false;
    SendMouseMessage(w, fake ? WM_RBUTTONUP : WM_LBUTTONUP, in);
  }
  else if (in.button == 3)
  {
    w->fakeRightMouse = false;
    SendMouseMessage(w, WM_RBUTTONUP, in);
  }
  else if (in.button == 2)
    SendMouseMessage(w, WM_MBUTTONUP, in);
}

void Motion(WINL_Wnd* w, const PLAT_Input& in)
{
  // While a view holds the capture, moves anywhere in the application go to it.
  if (WINL_Wnd* holder = WINL_Live(GetCapture())) w = holder;
  if (!w->enabled) return;
  // A drag keeps the cursor its view chose.
  if (gButtonsHeld) WINL_ReapplyLastSetCursor();
  SendMouseMessage(w, WM_MOUSEMOVE, in);
}

void Wheel(WINL_Wnd* w, const PLAT_Input& in)
{
  if (!w->enabled) return;
  WINL_DispatchGuard guard(*w);
  if (in.wheelY != 0) SendMouseMessage(w, WM_MOUSEWHEEL, in);
  if (in.wheelX != 0 && w->state.load() == kWndAlive) SendMouseMessage(w, WM_MOUSEHWHEEL, in);
}

// Sends one step of a gesture as its pair of WM_GESTURE messages.
void SendGesture(WINL_Wnd* w, DWORD id, uint64_t begin, uint64_t end, POINTS at, POINTS endAt)
{
  HWND hwnd = WINL_Handle(w);
  GESTUREINFO info{};
  info.cbSize = sizeof info;
  info.dwFlags = GF_BEGIN;
  info.dwID = id;
  info.hwndTarget = hwnd;
  info.ptsLocation = at;
  info.ullArguments = begin;
  SendMessage(hwnd, WM_GESTURE, 0, reinterpret_cast<LPARAM>(&info));
  if (w->state.load() != kWndAlive) return;
  info.dwFlags = GF_END;
  info.ptsLocation = endAt;
  info.ullArguments = end;
  SendMessage(hwnd, WM_GESTURE, id == GID_PAN ? 0 : static_cast<WPARAM>(end), reinterpret_cast<LPARAM>(&info));
}

// A change too small to show as a step still counts as one, in its direction.
int AtLeastOneStep(int d, double change) { return d != 0 ? d : change > 0 ? 1 : -1; }

void Gesture(WINL_Wnd* w, const PLAT_Input& in)
{
  if (!w->enabled) return;
  WINL_DispatchGuard guard(*w);
  const POINTS at{static_cast<int16_t>(gLastEventPos.x), static_cast<int16_t>(gLastEventPos.y)};
  switch (in.kind)
  {
    case PLAT_Input::Kind::Magnify:
    {
      const int d = AtLeastOneStep(static_cast<int>(1024 * static_cast<float>(in.gesture) + 0.5), in.gesture);
      SendGesture(w, GID_ZOOM, 1024, static_cast<uint64_t>(std::clamp(1024 + d, 512, 2048)), at, at);
      break;
    }
    case PLAT_Input::Kind::Rotate:
    {
      const int d = AtLeastOneStep(static_cast<int>(in.gesture * 32767 / 60), in.gesture);
      SendGesture(w, GID_ROTATE, 0, static_cast<uint64_t>(std::clamp(32767 + d, 0, 65535)), at, at);
      break;
    }
    default:
    {
      // The end lies a view's width or height away, y up: a swipe to the
      // right ends to the right, a swipe down lower on the screen.
      POINTS endAt = at;
      if (in.swipeX != 0)
        endAt.x = static_cast<int16_t>(at.x + in.swipeX * w->w);
      else
        endAt.y = static_cast<int16_t>(at.y - in.swipeY * w->h);
      SendGesture(w, GID_PAN, 0, 0, at, endAt);
      break;
    }
  }
}

bool Key(WINL_Wnd* w, const PLAT_Input& in)
{
  WINL_NoteKeyEvent(in);
  int flags = 0;
  const int key = WINL_MacKeyToWindowsKey(&in, &flags);
  const UINT msg = in.kind == PLAT_Input::Kind::KeyDown ? WM_KEYDOWN : WM_KEYUP;
  const LRESULT r = WINL_CallProc(w, msg, static_cast<WPARAM>(key), flags);
  if (r != WINL_KEY_NOT_HANDLED && r != kNoView) return true;
  return msg == WM_KEYDOWN && WINL_Live(w->id) && WINL_DialogKeyHook(w, key, flags);
}

// ---- the sink ----

class ToolkitSink : public PLAT_GtkSink
{
public:
  void OnViewDraw(uint64_t id, PLAT_Canvas* canvas, int x, int y, int w, int h) override
  {
    WINL_PaintView(WINL_Live(id), canvas, x, y, w, h);
  }

  bool OnViewInput(uint64_t id, const PLAT_Input& input) override
  {
    WINL_Wnd* w = WINL_Live(id);
    return w ? WINL_ViewInput(w, input) : false;
  }

  void OnWindowCloseRequest(uint64_t id) override
  {
    if (WINL_Wnd* w = WINL_Live(id)) WINL_CloseRequest(w);
  }

  void OnWindowConfigure(uint64_t id, const PLAT_Rect& frame) override
  {
    if (WINL_Wnd* w = WINL_Live(id)) WINL_FrameReported(w, frame);
  }

  void OnControlEvent(uint64_t id, PLAT_ControlEvent event, int value) override
  {
    if (WINL_Wnd* w = WINL_Live(id)) WINL_ControlInput(w, event, value);
  }

  bool OnViewDrop(uint64_t id, const char* uriList, int x, int y) override
  {
    return WINL_DeliverDrop(reinterpret_cast<HWND>(static_cast<uintptr_t>(id)), WINL_PathsFromUriList(uriList), {x, y}) != FALSE;
  }

  void OnWindowFocus(uint64_t id, bool in) override
  {
    WINL_Wnd* w = WINL_Live(id);
    if (!w || !w->frame) return;
    if (in)
      WINL_BecomeKey(w);
    else
      WINL_ResignKey(w);
  }
};
}  // namespace

bool WINL_ViewInput(WINL_Wnd* w, const PLAT_Input& input)
{
  if (w->state.load() != kWndAlive) return false;
  WINL_DispatchGuard guard(*w);
  // The records know exactly where each view is; place the event on the
  // screen from them, so that a redirected event lands in its new view
  // by the same arithmetic.
  PLAT_Input in = input;
  int ox, oy;
  WINL_ViewScreenOrigin(w, &ox, &oy);
  in.rootX = ox + in.x;
  in.rootY = oy + in.y;
  if (in.kind == PLAT_Input::Kind::Motion && WINL_HiddenCursorMove(&in.rootX, &in.rootY))
  {
    in.x = in.rootX - ox;
    in.y = in.rootY - oy;
  }
  gLastEventPos = {WINL_ScreenXUp(static_cast<int>(std::floor(in.rootX))),
                   WINL_ScreenYUp(static_cast<int>(std::floor(in.rootY)))};
  const unsigned bit = in.button == 1 ? 1 : in.button == 3 ? 2 : in.button == 2 ? 4 : 0;
  if (in.kind == PLAT_Input::Kind::ButtonDown) gButtonsHeld |= bit;
  if (in.kind == PLAT_Input::Kind::ButtonUp) gButtonsHeld &= ~bit;
  WINL_NoteInputState(gButtonsHeld, in.mods);
  switch (in.kind)
  {
    case PLAT_Input::Kind::ButtonDown: ButtonDown(w, in); return true;
    case PLAT_Input::Kind::ButtonUp: ButtonUp(w, in); return true;
    case PLAT_Input::Kind::Motion: Motion(w, in); return true;
    case PLAT_Input::Kind::Scroll: Wheel(w, in); return true;
    case PLAT_Input::Kind::KeyDown:
    case PLAT_Input::Kind::KeyUp: return Key(w, in);
    case PLAT_Input::Kind::Magnify:
    case PLAT_Input::Kind::Rotate:
    case PLAT_Input::Kind::Swipe: Gesture(w, in); return true;
  }
  return false;
}

POINT WINL_LastEventPos() { return gLastEventPos; }

bool WINL_GetGestureInfo(LPARAM lParam, GESTUREINFO* info)
{
  if (!lParam || !info) return false;
  *info = *reinterpret_cast<const GESTUREINFO*>(lParam);
  return true;
}

void WINL_EnableRightClickEmulate(bool on) { gRightClickEmulation = on; }

bool WINL_IsRightClickEmulateEnabled() { return gRightClickEmulation; }

bool WINL_StartToolkit()
{
  static ToolkitSink* sink = new ToolkitSink;
  if (!PLAT_GtkInit()) return false;
  PLAT_GtkSetSink(sink);
  WINL_InstallAccessibility();
  WINL_InstallDragDrop();
  return true;
}
