// Painting windows: the paint cycle that turns the toolkit's drawing call
// into WM_NCCALCSIZE, WM_NCPAINT and WM_PAINT, the repaint marks, and
// drawing contexts on windows.

#include "winl/WINL_Window.h"

#include "winl/WINL_WndPrivate.h"

#include <cmath>

void WINL_PaintView(WINL_Wnd* w, PLAT_Canvas* canvas, double x, double y, double width, double height)
{
  if (!w || w->state.load() != kWndAlive || !canvas) return;
  if (w->control)
  {
    WINL_ControlDrawItem(w, canvas);
    return;
  }
  HDC hdc = WINL_CreatePaintContext(canvas);
  if (!hdc) return;
  WINL_DispatchGuard guard(*w);
  HWND hwnd = WINL_Handle(w);
  w->paintHdc = hdc;
  w->paintX = x;
  w->paintY = y;
  w->paintW = width;
  w->paintH = height;
  w->paintUsed = false;

  RECT window;
  GetWindowRect(hwnd, &window);
  if (window.top > window.bottom) std::swap(window.top, window.bottom);
  NCCALCSIZE_PARAMS params{};
  params.rgrc[0] = window;
  WINL_Dispatch(w, WM_NCCALCSIZE, 0, reinterpret_cast<LPARAM>(&params));
  WINL_Dispatch(w, WM_NCPAINT, 1, 0);
  const RECT& client = params.rgrc[0];
  // A procedure that keeps a border moves the client area by its left and
  // top widths.
  w->paintX += client.left - window.left;
  w->paintY += client.top - window.top;
  if (w->paintW >= 1 && w->paintH >= 1 && w->state.load() == kWndAlive)
  {
    const bool bordered = client.left != window.left || client.top != window.top ||
                          client.right != window.right || client.bottom != window.bottom;
    if (bordered)
    {
      RECT inner;
      GetClientRect(hwnd, &inner);
      WINL_PushClipRegion(hdc);
      WINL_SetClipRegion(hdc, &inner);
    }
    WINL_Dispatch(w, WM_PAINT, reinterpret_cast<WPARAM>(hdc), 0);
    if (bordered) WINL_PopClipRegion(hdc);
  }
  // GetDC saves that the procedure did not release go with the context.
  for (; w->paintSaves > 0; --w->paintSaves) WINL_PopClipRegion(hdc);
  w->paintHdc = nullptr;
  w->paintUsed = false;
  w->paintX = w->paintY = w->paintW = w->paintH = 0;
  WINL_DeleteGfxContext(hdc);
  w->dirty = 0;
}

HDC BeginPaint(HWND hwnd, PAINTSTRUCT* ps)
{
  if (!ps) return nullptr;
  *ps = {};
  WINL_Wnd* w = WINL_Live(hwnd);
  if (!w || !w->paintHdc) return nullptr;
  ps->hdc = w->paintHdc;
  ps->rcPaint = {static_cast<LONG>(w->paintX), static_cast<LONG>(w->paintY),
                 static_cast<LONG>(std::ceil(w->paintX + w->paintW)),
                 static_cast<LONG>(std::ceil(w->paintY + w->paintH))};
  w->paintUsed = true;
  return w->paintHdc;
}

BOOL EndPaint(HWND, const PAINTSTRUCT*) { return TRUE; }

BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL)
{
  WINL_Wnd* w = WINL_Live(hwnd);
  if (!w) return TRUE;
  if (!(w->dirty & 1))
  {
    w->dirty |= 1;
    for (WINL_Wnd* a = w->parent ? WINL_Live(w->parent) : nullptr; a && !(a->dirty & 2);
         a = a->parent ? WINL_Live(a->parent) : nullptr)
      a->dirty |= 2;
  }
  if (!w->native) return TRUE;
  if (rect)
  {
    const PLAT_Rect r{rect->left, std::min(rect->top, rect->bottom), rect->right - rect->left,
                      std::abs(rect->bottom - rect->top)};
    w->native->Invalidate(&r);
  }
  else
    w->native->Invalidate(nullptr);
  return TRUE;
}

BOOL UpdateWindow(HWND hwnd)
{
  WINL_Wnd* w = WINL_Live(hwnd);
  if (!w) return FALSE;
  if (w->native) w->native->PaintNow();
  return TRUE;
}

HDC GetDC(HWND hwnd)
{
  WINL_Wnd* w = WINL_Live(hwnd);
  if (!w) return nullptr;
  if (w->paintHdc)
  {
    WINL_PushClipRegion(w->paintHdc);
    ++w->paintSaves;
    return w->paintHdc;
  }
  if (w->directHdc || !w->native) return nullptr;
  PLAT_Canvas* canvas = w->native->BeginDirectDraw();
  if (!canvas) return nullptr;
  w->directHdc = WINL_CreatePaintContext(canvas);
  if (!w->directHdc) w->native->EndDirectDraw();
  return w->directHdc;
}

HDC GetWindowDC(HWND hwnd) { return GetDC(hwnd); }

int ReleaseDC(HWND hwnd, HDC hdc)
{
  WINL_Wnd* w = WINL_Find(hwnd);
  if (!w || !hdc) return 0;
  if (hdc == w->paintHdc && w->paintSaves > 0)
  {
    WINL_PopClipRegion(hdc);
    --w->paintSaves;
    return 1;
  }
  if (hdc != w->directHdc) return 0;
  WINL_DeleteGfxContext(hdc);
  w->directHdc = nullptr;
  if (w->native) w->native->EndDirectDraw();
  return 1;
}

BOOL WINL_IsRetinaHWND(HWND hwnd)
{
  WINL_Wnd* w = WINL_Live(hwnd);
  return w && w->native && w->native->GetScaleFactor() > 1.9 ? TRUE : FALSE;
}

void WINL_PaintWindow(HWND hwnd, PLAT_Canvas* canvas, const RECT* rect)
{
  if (!rect) return;
  WINL_PaintView(WINL_Live(hwnd), canvas, rect->left, rect->top, static_cast<double>(rect->right) - rect->left,
                 static_cast<double>(rect->bottom) - rect->top);
}

PLAT_GtkView* WINL_GetNativeView(HWND hwnd)
{
  WINL_Wnd* w = WINL_Live(hwnd);
  return w ? w->native.get() : nullptr;
}

PLAT_GtkWindow* WINL_GetNativeWindow(HWND hwnd)
{
  WINL_Wnd* w = WINL_ContentOf(WINL_Live(hwnd));
  return w ? w->frame->native.get() : nullptr;
}
