// The default window procedure, the procedure of dialog views, and finding
// the window under a point.

#include "winl/WINL_Window.h"

#include "winl/draw/WINL_GDI.h"
#include "winl/WINL_Dialog.h"
#include "winl/WINL_WndPrivate.h"

namespace
{
// The deepest visible view of w's tree under the top-down screen point.
WINL_Wnd* HitTest(WINL_Wnd* w, int sx, int sy)
{
  for (auto it = w->children.rbegin(); it != w->children.rend(); ++it)
  {
    WINL_Wnd* c = WINL_Live(*it);
    if (!c || c->hidden) continue;
    int ox, oy;
    WINL_ViewScreenOrigin(c, &ox, &oy);
    if (sx >= ox && sx < ox + c->w && sy >= oy && sy < oy + c->h) return HitTest(c, sx, sy);
  }
  return w;
}

// Sends the message to the nearest ancestor below the content view.
LRESULT Bubble(WINL_Wnd* w, UINT msg, WPARAM wParam, LPARAM lParam)
{
  if (!w || w->frame || !w->parent) return 0;
  WINL_Wnd* parent = WINL_Live(w->parent);
  return parent ? WINL_Dispatch(parent, msg, wParam, lParam) : 0;
}

LRESULT HitTestMessage(HWND hwnd, LPARAM lParam)
{
  RECT r;
  if (!GetWindowRect(hwnd, &r)) return 0;
  const int x = GET_X_LPARAM(lParam);
  int y = GET_Y_LPARAM(lParam);
  // A view's screen rectangle holds its upper edge in top: turn the point
  // and the rectangle so that the client area's top is the smaller y.
  if (r.top > r.bottom)
  {
    y = r.top - y + r.bottom;
    std::swap(r.top, r.bottom);
  }
  NCCALCSIZE_PARAMS params{};
  params.rgrc[0] = r;
  SendMessage(hwnd, WM_NCCALCSIZE, 0, reinterpret_cast<LPARAM>(&params));
  const RECT& c = params.rgrc[0];
  return x >= c.left && x < c.right && y >= c.top && y < c.bottom ? HTCLIENT : 0;
}

LRESULT ContextMenuFromClick(WINL_Wnd* w, LPARAM lParam)
{
  HWND hwnd = WINL_Handle(w);
  POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  ClientToScreen(hwnd, &p);
  HWND target = WindowFromPoint(p);
  if (!target || (target != hwnd && !IsChild(hwnd, target))) target = hwnd;
  WINL_Dispatch(w, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(target), WINL_PackPoint(p.x, p.y));
  return 1;
}
}  // namespace

HWND WindowFromPoint(POINT point)
{
  const int sx = WINL_ScreenXDown(point.x);
  const int sy = WINL_ScreenYDown(point.y);
  for (uint64_t id : WINL_TopLevels())
  {
    WINL_Wnd* content = WINL_Live(id);
    const WINL_Frame* f = content ? content->frame.get() : nullptr;
    if (!f || !f->visible || content->hidden) continue;
    // In y-up terms the left and lower edges belong to the frame.
    if (sx >= f->x && sx < f->x + f->w && sy > f->y && sy <= f->y + f->h)
      return WINL_Handle(HitTest(content, sx, sy));
  }
  return nullptr;
}

LRESULT DefWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
  WINL_Wnd* w = WINL_Live(hwnd);
  if (!w) return 0;
  switch (msg)
  {
    case WM_CONTEXTMENU:
    case WM_GESTURE:
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL: return Bubble(w, msg, wParam, lParam);
    case WM_NCHITTEST: return HitTestMessage(hwnd, lParam);
    case WM_RBUTTONUP: return ContextMenuFromClick(w, lParam);
    case WM_NCRBUTTONUP:
      WINL_Dispatch(w, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd), lParam);
      return 1;
    case WM_KEYDOWN:
    case WM_KEYUP: return WINL_KEY_NOT_HANDLED;
    case WM_DISPLAYCHANGE:
    {
      const std::vector<uint64_t> kids = w->children;
      for (uint64_t id : kids) WINL_Send(id, msg, wParam, lParam);
      if (kids.empty() || !WINL_Live(hwnd)) return 0;
      // The system's colours may have changed: the dialog procedure colours
      // its controls' text afresh.
      WINL_DoDialogColorUpdates(hwnd, w->dlgproc, true);
      return 0;
    }
    default: return 0;
  }
}

LRESULT WinlDialogDefaultWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
  const DLGPROC dlgproc = reinterpret_cast<DLGPROC>(GetWindowLong(hwnd, DWLP_DLGPROC));
  if (!dlgproc) return DefWindowProc(hwnd, msg, wParam, lParam);
  if (msg == WM_PAINT && dlgproc(hwnd, WM_ERASEBKGND, 0, 0) == 0)
  {
    WINL_Wnd* w = WINL_Live(hwnd);
    const bool paintBackground = w && (w->opaque || w->frame);
    PAINTSTRUCT ps;
    if (HDC hdc = BeginPaint(hwnd, &ps))
    {
      const RECT& r = ps.rcPaint;
      if (r.right > r.left && r.bottom > r.top)
      {
        const LRESULT brush = dlgproc(hwnd, WM_CTLCOLORDLG, reinterpret_cast<WPARAM>(hdc),
                                      reinterpret_cast<LPARAM>(hwnd));
        if (brush != 0 && brush != 1)
          WINL_FillRect(hdc, &r, reinterpret_cast<HBRUSH>(brush));
        else if (paintBackground)
          WINL_FillDialogBackground(hdc, &r);
      }
      EndPaint(hwnd, &ps);
    }
  }
  if (const LRESULT handled = dlgproc(hwnd, msg, wParam, lParam)) return handled;
  return DefWindowProc(hwnd, msg, wParam, lParam);
}
