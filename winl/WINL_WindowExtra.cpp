// Window functions offered to callers of the layer's API beyond what the
// editor uses: scrolling children, the content frame, the represented file
// and caller-driven modal sessions.

#include "winl/WINL_Window.h"

#include "winl/WINL_WndPrivate.h"

struct WINL_ModalSession
{
  uint64_t content = 0;
};

BOOL ScrollWindow(HWND hwnd, int dx, int dy, const RECT*, const RECT*)
{
  WINL_Wnd* w = WINL_Live(hwnd);
  if (!w) return FALSE;
  for (uint64_t id : std::vector<uint64_t>(w->children))
    if (WINL_Wnd* child = WINL_Live(id))
    {
      child->x += dx;
      child->y += dy;
      if (child->native) child->native->SetFrame({child->x, child->y, child->w, child->h});
    }
  InvalidateRect(hwnd, nullptr, FALSE);
  return TRUE;
}

BOOL GetWindowContentViewRect(HWND hwnd, RECT* rect)
{
  if (!rect) return FALSE;
  *rect = {};
  WINL_Wnd* content = WINL_ContentOf(WINL_Live(hwnd));
  if (!content) return FALSE;
  int x, y;
  WINL_ViewScreenOrigin(content, &x, &y);
  *rect = {x, WINL_ScreenYUp(y + content->h), x + content->w, WINL_ScreenYUp(y)};
  return TRUE;
}

void WINL_SetWindowRepre(HWND hwnd, const char* fileName, bool edited)
{
  WINL_Wnd* content = WINL_ContentOf(WINL_Live(hwnd));
  if (!content || GetProp(WINL_Handle(content), "WINL_DisableWindowRepre")) return;
  content->frame->representedFile = fileName ? fileName : "";
  content->frame->edited = edited;
}

WINL_ModalSession* WINL_ModalWindowStart(HWND hwnd)
{
  WINL_Wnd* content = WINL_ContentOf(WINL_Live(hwnd));
  if (!content || !WINL_OnMainThread()) return nullptr;
  ShowWindow(WINL_Handle(content), SW_SHOW);
  return new WINL_ModalSession{content->id};
}

int WINL_ModalWindowRun(WINL_ModalSession* session)
{
  if (!session) return 0;
  while (PLAT_LoopIterate(false))
    if (!WINL_Live(session->content)) break;
  return WINL_Live(session->content) ? 1 : 0;
}

void WINL_ModalWindowEnd(WINL_ModalSession* session)
{
  // What was posted for the window while the caller was busy still arrives.
  if (session && WINL_Live(session->content)) PLAT_LoopIterate(false);
  delete session;
}
