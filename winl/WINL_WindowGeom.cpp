// Where windows are: the screen and its y-up coordinates, rectangles,
// placement, showing and hiding, enabling.

#include "winl/WINL_Window.h"

#include "winl/WINL_WndPrivate.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

// ---- sections ----
// screen · rectangles · frames · placement · visibility

namespace
{
// Frames beyond these would overflow the toolkit's and our own arithmetic.
constexpr int kMaxSize = 1000000;
constexpr int kMaxPos = 1000000;

int Clamp(int v, int lo, int hi) { return v < lo ? lo : (v > hi ? hi : v); }

// A size from a caller: negative sizes count as their magnitude, which for
// INT_MIN does not exist as an int.
int SizeFrom(int v)
{
  const int64_t magnitude = std::llabs(static_cast<int64_t>(v));
  return static_cast<int>(std::min<int64_t>(magnitude, kMaxSize));
}

// Requests kept per window for recognising their reports: a hidden window
// is asked for frames the display reports only once it is shown, and then
// only the last.
constexpr size_t kMaxRequestsKept = 16;

bool SameFrame(const PLAT_Rect& a, const PLAT_Rect& b)
{
  return a.x == b.x && a.y == b.y && a.w == b.w && a.h == b.h;
}
}  // namespace

// ---- screen ----

void WINL_Monitor(PLAT_Rect* frame, PLAT_Rect* workArea)
{
  if (PLAT_GtkGetPrimaryMonitor(frame, workArea)) return;
  const PLAT_Rect none{0, 0, 1024, 1024};
  if (frame) *frame = none;
  if (workArea) *workArea = none;
}

// The origin of the layer's screen coordinates is the primary monitor's
// bottom-left corner, with y growing upwards.
int WINL_ScreenYUp(int yTopDown)
{
  PLAT_Rect m;
  WINL_Monitor(&m, nullptr);
  return m.y + m.h - yTopDown;
}

int WINL_ScreenXUp(int xTopDown)
{
  PLAT_Rect m;
  WINL_Monitor(&m, nullptr);
  return xTopDown - m.x;
}

int WINL_ScreenYDown(int yUp) { return WINL_ScreenYUp(yUp); }

int WINL_ScreenXDown(int xUp)
{
  PLAT_Rect m;
  WINL_Monitor(&m, nullptr);
  return xUp + m.x;
}

int GetSystemMetrics(int index)
{
  PLAT_Rect m;
  WINL_Monitor(&m, nullptr);
  switch (index)
  {
    case SM_CXSCREEN: return m.w;
    case SM_CYSCREEN: return m.h;
    case 2:
    case 3:
    case 20:
    case 21: return 16;
    default: return 0;
  }
}

BOOL WINL_GetViewPort(RECT* out, const RECT* source, bool workArea)
{
  if (!out) return FALSE;
  PLAT_Rect frame, work;
  if (source)
  {
    // The monitor of the rectangle's centre (y-up, so either edge may be
    // the upper one).
    const int x = WINL_ScreenXDown((source->left + source->right) / 2);
    const int y = WINL_ScreenYDown((source->top + source->bottom) / 2);
    if (!PLAT_GtkGetMonitorAt(x, y, &frame, &work)) WINL_Monitor(&frame, &work);
  }
  else
    WINL_Monitor(&frame, &work);
  const PLAT_Rect& r = workArea ? work : frame;
  // y-up: the lower edge in top, the upper in bottom, like a window's frame.
  *out = {WINL_ScreenXUp(r.x), WINL_ScreenYUp(r.y + r.h), WINL_ScreenXUp(r.x + r.w), WINL_ScreenYUp(r.y)};
  return TRUE;
}

// ---- rectangles ----

WINL_Wnd* WINL_ContentOf(WINL_Wnd* w)
{
  while (w && !w->frame) w = WINL_Find(w->parent);
  return w;
}

void WINL_ViewScreenOrigin(WINL_Wnd* w, int* x, int* y)
{
  int64_t ox = 0, oy = 0;
  for (WINL_Wnd* v = w; v;)
  {
    if (v->frame)
    {
      // The content view lies below the window's menu bar.
      ox += v->frame->x;
      oy += v->frame->y + (v->frame->native ? v->frame->native->MenuBarHeight() : 0);
      break;
    }
    ox += v->x;
    oy += v->y;
    v = WINL_Find(v->parent);
  }
  *x = static_cast<int>(std::clamp<int64_t>(ox, INT_MIN / 2, INT_MAX / 2));
  *y = static_cast<int>(std::clamp<int64_t>(oy, INT_MIN / 2, INT_MAX / 2));
}

BOOL GetWindowRect(HWND hwnd, RECT* rect)
{
  if (!rect) return FALSE;
  *rect = {};
  WINL_Wnd* w = WINL_Live(hwnd);
  if (!w) return FALSE;
  if (const WINL_Frame* f = w->frame.get())
  {
    const int left = WINL_ScreenXUp(f->x);
    const int bottom = WINL_ScreenYUp(f->y + f->h);
    *rect = {left, bottom, left + f->w, bottom + f->h};
    return TRUE;
  }
  int ox, oy;
  WINL_ViewScreenOrigin(w, &ox, &oy);
  *rect = {WINL_ScreenXUp(ox), WINL_ScreenYUp(oy), WINL_ScreenXUp(ox + w->w), WINL_ScreenYUp(oy + w->h)};
  return TRUE;
}

BOOL GetClientRect(HWND hwnd, RECT* rect)
{
  if (!rect) return FALSE;
  *rect = {};
  WINL_Wnd* w = WINL_Live(hwnd);
  if (!w) return FALSE;
  NCCALCSIZE_PARAMS params{};
  params.rgrc[0] = {0, 0, w->w, w->h};
  WINL_Dispatch(w, WM_NCCALCSIZE, 0, reinterpret_cast<LPARAM>(&params));
  const RECT& r = params.rgrc[0];
  *rect = {0, 0, r.right - r.left, r.bottom - r.top};
  return TRUE;
}

BOOL ClientToScreen(HWND hwnd, POINT* point)
{
  WINL_Wnd* w = WINL_Live(hwnd);
  if (!w || !point) return FALSE;
  int ox, oy;
  WINL_ViewScreenOrigin(w, &ox, &oy);
  *point = {WINL_ScreenXUp(ox + point->x), WINL_ScreenYUp(oy + point->y)};
  return TRUE;
}

BOOL ScreenToClient(HWND hwnd, POINT* point)
{
  WINL_Wnd* w = WINL_Live(hwnd);
  if (!w || !point) return FALSE;
  int ox, oy;
  WINL_ViewScreenOrigin(w, &ox, &oy);
  *point = {WINL_ScreenXDown(point->x) - ox, WINL_ScreenYDown(point->y) - oy};
  return TRUE;
}

// ---- frames ----

namespace
{
// The frame size limits the content view answers in WM_GETMINMAXINFO.
void SizeLimits(WINL_Wnd* content, POINT* minSize, POINT* maxSize)
{
  MINMAXINFO info{};
  info.ptMinTrackSize = {1, 1};
  info.ptMaxTrackSize = {kMaxSize, kMaxSize};
  WINL_Dispatch(content, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
  *minSize = {Clamp(info.ptMinTrackSize.x, 0, kMaxSize), Clamp(info.ptMinTrackSize.y, 0, kMaxSize)};
  *maxSize = {Clamp(info.ptMaxTrackSize.x, 1, kMaxSize), Clamp(info.ptMaxTrackSize.y, 1, kMaxSize)};
}
}  // namespace

namespace
{
// Sets the frame and sends WM_SIZE and WM_MOVE when they changed; the
// display is told only when it did not report the frame itself.
void ApplyTopFrame(WINL_Wnd* content, int x, int y, int w, int h, bool tellDisplay)
{
  WINL_Frame* f = content->frame.get();
  const bool moved = f->x != x || f->y != y;
  f->x = x;
  f->y = y;
  f->w = w;
  f->h = h;
  content->x = content->y = 0;
  content->w = w;
  content->h = h;
  if (f->native && tellDisplay)
  {
    // The limits the procedure answers now also bound the user's sizing.
    POINT minSize, maxSize;
    SizeLimits(content, &minSize, &maxSize);
    if (content->state.load() != kWndAlive) return;
    f->native->SetSizeLimits(minSize.x, minSize.y, maxSize.x, maxSize.y);
    if (f->requested.size() == kMaxRequestsKept) f->requested.erase(f->requested.begin());
    f->requested.push_back({x, y, w, h});
    f->native->SetFrame({x, y, w, h});
  }
  WINL_DispatchGuard guard(*content);
  if (w != f->lastW || h != f->lastH)
  {
    f->lastW = w;
    f->lastH = h;
    WINL_Dispatch(content, WM_SIZE, 0, 0);
    if (content->opaque) InvalidateRect(WINL_Handle(content), nullptr, FALSE);
  }
  if (moved && content->state.load() == kWndAlive)
    WINL_Dispatch(content, WM_MOVE, 0, WINL_PackPoint(WINL_ScreenXUp(x), WINL_ScreenYUp(y + h)));
}
}  // namespace

void WINL_SetTopFrame(WINL_Wnd* content, int x, int y, int w, int h)
{
  ApplyTopFrame(content, x, y, w, h, true);
}

void WINL_FrameReported(WINL_Wnd* content, const PLAT_Rect& r)
{
  WINL_Frame* f = content->frame.get();
  std::vector<PLAT_Rect>& asked = f->requested;
  if (SameFrame(r, {f->x, f->y, f->w, f->h}))
  {
    asked.clear();
    return;
  }
  // The display carried out an older request and the later ones are still
  // on their way; their reports follow.
  const auto echo = std::find_if(asked.begin(), asked.end(), [&r](const PLAT_Rect& a) { return SameFrame(a, r); });
  if (echo != asked.end() && echo + 1 != asked.end())
  {
    asked.erase(asked.begin(), echo + 1);
    return;
  }
  // Anything else is where the window is now: the user or the window
  // manager moved or sized it, or the manager placed it otherwise than
  // asked. A size outside the procedure's limits (no window manager kept to
  // them) is brought back within them.
  asked.clear();
  POINT minSize, maxSize;
  SizeLimits(content, &minSize, &maxSize);
  if (content->state.load() != kWndAlive) return;
  const int w = Clamp(r.w, minSize.x, std::max(minSize.x, maxSize.x));
  const int h = Clamp(r.h, minSize.y, std::max(minSize.y, maxSize.y));
  ApplyTopFrame(content, r.x, r.y, w, h, w != r.w || h != r.h);
}

// ---- placement ----

namespace
{
bool CaptureInside(WINL_Wnd* w)
{
  HWND capture = GetCapture();
  return capture && (capture == WINL_Handle(w) || IsChild(WINL_Handle(w), capture));
}

void Restack(WINL_Wnd* parent)
{
  if (!parent->native) return;
  std::vector<PLAT_GtkView*> natives;
  for (uint64_t id : parent->children)
    if (WINL_Wnd* c = WINL_Live(id))
      if (c->native) natives.push_back(c->native.get());
  parent->native->StackChildren(natives.data(), static_cast<int>(natives.size()));
}

// Moves w among its siblings as SetWindowPos's insertAfter asks.
void Reorder(WINL_Wnd* w, WINL_Wnd* parent, HWND insertAfter)
{
  auto& kids = parent->children;
  const intptr_t after = reinterpret_cast<intptr_t>(insertAfter);
  if (kids.size() < 2 || insertAfter == WINL_Handle(w) || after == -1 || after == -2) return;
  if (CaptureInside(w)) return;
  auto self = std::find(kids.begin(), kids.end(), w->id);
  if (self == kids.end()) return;
  if (after == 0)
  {
    if (self + 1 == kids.end()) return;
    kids.erase(self);
    kids.push_back(w->id);
  }
  else if (after == 1)
  {
    if (self == kids.begin()) return;
    kids.erase(self);
    kids.insert(kids.begin(), w->id);
  }
  else
  {
    WINL_Wnd* sibling = WINL_Live(insertAfter);
    if (!sibling || sibling->parent != parent->id) return;
    auto at = std::find(kids.begin(), kids.end(), sibling->id);
    if (at + 1 != kids.end() && *(at + 1) == w->id) return;
    kids.erase(self);
    at = std::find(kids.begin(), kids.end(), sibling->id);
    kids.insert(at + 1, w->id);
  }
  Restack(parent);
}
}  // namespace

BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags)
{
  WINL_Wnd* w = WINL_Live(hwnd);
  if (!w) return FALSE;
  WINL_DispatchGuard guard(*w);
  const bool keepPos = flags & SWP_NOMOVE;
  const bool keepSize = flags & SWP_NOSIZE;
  x = Clamp(x, -kMaxPos, kMaxPos);
  y = Clamp(y, -kMaxPos, kMaxPos);
  cx = Clamp(cx, 0, kMaxSize);
  cy = SizeFrom(cy);
  if (WINL_Frame* f = w->frame.get())
  {
    int width = keepSize ? f->w : cx;
    int height = keepSize ? f->h : cy;
    POINT minSize, maxSize;
    SizeLimits(w, &minSize, &maxSize);
    width = Clamp(width, minSize.x, std::max(minSize.x, maxSize.x));
    height = Clamp(height, minSize.y, std::max(minSize.y, maxSize.y));
    if (w->state.load() != kWndAlive) return FALSE;
    // (x, y) is the frame's lower-left corner in y-up screen coordinates.
    const int left = keepPos ? f->x : WINL_ScreenXDown(x);
    const int top = keepPos ? f->y : WINL_ScreenYDown(y + height);
    WINL_SetTopFrame(w, left, top, width, height);
    return TRUE;
  }
  if (!(flags & SWP_NOZORDER) && w->parent)
    if (WINL_Wnd* parent = WINL_Live(w->parent)) Reorder(w, parent, insertAfter);
  if (keepPos && keepSize) return TRUE;
  if (!keepPos)
  {
    w->x = x;
    w->y = y;
  }
  if (!keepSize)
  {
    w->w = cx;
    w->h = cy;
  }
  if (w->native) w->native->SetFrame({w->x, w->y, w->w, w->h});
  WINL_Dispatch(w, WM_SIZE, 0, 0);
  if (w->parent) InvalidateRect(WINL_Handle(WINL_Live(w->parent)), nullptr, FALSE);
  return TRUE;
}

int WINL_GetMenuBarHeight(HWND hwnd)
{
  WINL_Wnd* content = WINL_ContentOf(WINL_Live(hwnd));
  return content && content->frame->native ? content->frame->native->MenuBarHeight() : 0;
}

int WINL_GetDecorationHeight(HWND hwnd)
{
  WINL_Wnd* content = WINL_ContentOf(WINL_Live(hwnd));
  return content && content->frame->native ? content->frame->native->DecorationHeight() : 0;
}

BOOL CenterWindow(HWND hwnd)
{
  WINL_Wnd* content = WINL_ContentOf(WINL_Live(hwnd));
  if (!content) return FALSE;
  const WINL_Frame* f = content->frame.get();
  PLAT_Rect work;
  if (!PLAT_GtkGetMonitorAt(f->x + f->w / 2, f->y + f->h / 2, nullptr, &work)) WINL_Monitor(nullptr, &work);
  // The menu bar lies above the frame's content, inside the window, and the
  // window manager's title bar and borders around it: the whole of it is
  // centred, and a window higher than the work area keeps its top (and its
  // title and menu bar) inside it. The frame's place is the window's own,
  // below the title bar.
  const int height = f->h + WINL_GetMenuBarHeight(hwnd) + WINL_GetDecorationHeight(hwnd);
  const int titleBar = f->native ? f->native->DecorationTop() : 0;
  const int x = work.x + std::max(0, (work.w - f->w) / 2);
  const int y = work.y + std::max(0, (work.h - height) / 2) + titleBar;
  WINL_SetTopFrame(content, x, y, f->w, f->h);
  return TRUE;
}

// ---- visibility ----

namespace
{
void SetHidden(WINL_Wnd* w, bool hidden)
{
  if (w->hidden == hidden) return;
  w->hidden = hidden;
  if (w->native) w->native->SetVisible(!hidden);
  WINL_Dispatch(w, WM_SHOWWINDOW, hidden ? 0 : 1, 0);
}

void ShowTopLevel(WINL_Wnd* content, int code)
{
  WINL_Frame* f = content->frame.get();
  switch (code)
  {
    case SW_HIDE:
      f->visible = false;
      if (f->native) f->native->Hide();
      if (WINL_KeyWindow() == content) WINL_ResignKey(content);
      break;
    case SW_SHOWNORMAL:
    case SW_SHOW:
    {
      const bool makeKey = code == SW_SHOW || f->wantKeyOnFirstShow;
      f->wantKeyOnFirstShow = false;
      f->visible = true;
      WINL_BringToFront(content->id);
      if (f->native) f->native->Show(makeKey);
      // The toolkit forgets a focus given while the window was hidden.
      if (WINL_Wnd* responder = makeKey ? WINL_Live(f->firstResponder) : nullptr)
        if (responder->native && WINL_ContentOf(responder) == content) responder->native->GrabFocus();
      if (makeKey) WINL_BecomeKey(content);
      break;
    }
    case SW_SHOWMINIMIZED:
      if (f->native) f->native->Iconify();
      break;
    default: break;
  }
}
}  // namespace

BOOL ShowWindow(HWND hwnd, int code)
{
  WINL_Wnd* w = WINL_Live(hwnd);
  if (!w) return FALSE;
  WINL_DispatchGuard guard(*w);
  const bool wasVisible = IsWindowVisible(hwnd);
  if (code == SW_SHOWNORMAL || code == SW_SHOW)
    SetHidden(w, false);
  else if (code == SW_HIDE)
  {
    HWND focus = GetFocus();
    if (!w->frame && w->parent && (focus == hwnd || IsChild(hwnd, focus)))
      SetFocus(WINL_Handle(WINL_Live(w->parent)));
    if (wasVisible && !w->frame && w->parent)
    {
      const RECT r{w->x, w->y, w->x + w->w, w->y + w->h};
      InvalidateRect(WINL_Handle(WINL_Live(w->parent)), &r, FALSE);
    }
    SetHidden(w, true);
  }
  if (w->frame && w->state.load() == kWndAlive) ShowTopLevel(w, code);
  return wasVisible ? TRUE : FALSE;
}

BOOL IsWindowVisible(HWND hwnd)
{
  for (WINL_Wnd* w = WINL_Live(hwnd); w;)
  {
    if (w->hidden) return FALSE;
    if (w->frame) return w->frame->visible ? TRUE : FALSE;
    if (!w->parent) return TRUE;
    w = WINL_Live(w->parent);
  }
  return FALSE;
}

BOOL EnableWindow(HWND hwnd, BOOL enable)
{
  WINL_Wnd* w = WINL_Live(hwnd);
  if (!w) return FALSE;
  const bool wasDisabled = !w->enabled;
  w->enabled = enable != FALSE;
  if (w->frame) w->frame->enabled = w->enabled;
  if (w->native) w->native->SetSensitive(w->enabled);
  return wasDisabled ? TRUE : FALSE;
}

BOOL IsWindowEnabled(HWND hwnd)
{
  WINL_Wnd* w = WINL_Live(hwnd);
  return w && w->enabled ? TRUE : FALSE;
}
