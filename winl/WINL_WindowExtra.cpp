// Window functions offered to callers of the layer's API beyond what the
// editor uses: scrolling children, the content frame, the represented file,
// opacity, flushing, closing and levels, caller-driven modal sessions, a
// top-level window's new caption style and hiding the menu bars.

#include "winl/WINL_Window.h"

#include "winl/WINL_WndPrivate.h"

#include "platform/gtk/PLAT_GtkMenu.h"

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

void SetOpaque(HWND hwnd, bool opaque)
{
  if (WINL_Wnd* w = WINL_Live(hwnd)) w->opaque = opaque;
}

void SetAllowNoMiddleManRendering(HWND hwnd, bool allow)
{
  if (WINL_Wnd* w = WINL_Live(hwnd)) w->allowOnePass = allow;
}

void WINL_FlushWindow(HWND hwnd)
{
  if (WINL_Wnd* content = WINL_ContentOf(WINL_Live(hwnd))) UpdateWindow(WINL_Handle(content));
}

void WINL_CloseWindow(HWND hwnd)
{
  if (WINL_Wnd* content = WINL_ContentOf(WINL_Live(hwnd))) ShowWindow(WINL_Handle(content), SW_HIDE);
}

void WINL_HideApp()
{
  for (uint64_t id : WINL_TopLevels())
    if (WINL_Wnd* content = WINL_Live(id))
      if (content->frame->visible && content->frame->native) content->frame->native->Iconify();
}

namespace
{
struct BarOptions
{
  bool hidden = false;
  bool saved = false;       // the options before the first auto-hide are kept
  bool savedHidden = false;
};
BarOptions gBars;

void ApplyBarOptions()
{
  PLAT_GtkWindowHideMenuBar(nullptr, gBars.hidden);
  for (uint64_t id : WINL_TopLevels())
    if (WINL_Wnd* content = WINL_Live(id))
      if (content->frame->native) PLAT_GtkWindowHideMenuBar(content->frame->native.get(), gBars.hidden);
}
}  // namespace

void WINL_AutoHideMenuBar()
{
  if (!gBars.saved) gBars = {gBars.hidden, true, gBars.hidden};
  gBars.hidden = true;
  ApplyBarOptions();
}

void WINL_RestorePresentationOptions()
{
  if (!gBars.saved) return;
  gBars = {gBars.savedHidden, false, false};
  ApplyBarOptions();
}

void WINL_DrawFocusRect(HWND hwnd, const RECT* rect, void** state)
{
  if (!state) return;
  PLAT_GtkOverlayClose(static_cast<PLAT_GtkOverlay*>(*state));
  *state = nullptr;
  WINL_Wnd* w = WINL_Live(hwnd);
  if (!rect || !w) return;
  POINT topLeft{rect->left, rect->top};
  ClientToScreen(hwnd, &topLeft);
  WINL_Wnd* content = WINL_ContentOf(w);
  PLAT_GtkWindow* owner = content && content->frame ? content->frame->native.get() : nullptr;
  const PLAT_Rect frame{WINL_ScreenXDown(topLeft.x), WINL_ScreenYDown(topLeft.y), rect->right - rect->left,
                        rect->bottom - rect->top};
  *state = PLAT_GtkOverlayShow(owner, frame);
}

namespace
{
WINL_Frame* FrameOf(HWND hwnd)
{
  WINL_Wnd* content = WINL_ContentOf(WINL_Live(hwnd));
  return content ? content->frame.get() : nullptr;
}
}  // namespace

void WINL_SetWindowForwardsMouseToCapture(HWND hwnd, bool on)
{
  if (WINL_Frame* f = FrameOf(hwnd)) f->mouseToCapture = on;
}

void WINL_SetWindowClearBackground(HWND hwnd, bool clear)
{
  WINL_Frame* f = FrameOf(hwnd);
  if (!f) return;
  f->clearBackground = clear;
  if (f->native) f->native->SetClearBackground(clear);
}

int WINL_GetWindowWantRaiseAmt(HWND hwnd)
{
  const WINL_Frame* f = FrameOf(hwnd);
  return f ? f->wantRaise : 0;
}

void WINL_SetWindowWantRaiseAmt(HWND hwnd, int amount)
{
  if (WINL_Frame* f = FrameOf(hwnd)) f->wantRaise = amount;
}

void WINL_SetWindowLevel(HWND hwnd, int level)
{
  WINL_Frame* f = FrameOf(hwnd);
  if (!f) return;
  f->level = level;
  if (f->native) f->native->SetKeepAbove(level > 0);
}

int WINL_GetWindowLevel(HWND hwnd)
{
  const WINL_Frame* f = FrameOf(hwnd);
  return f ? f->level : 0;
}

WINL_ModalSession* WINL_ModalWindowStart(HWND hwnd)
{
  WINL_Wnd* content = WINL_ContentOf(WINL_Live(hwnd));
  if (!content || !WINL_OnMainThread()) return nullptr;
  ShowWindow(WINL_Handle(content), SW_SHOW);
  // The caller runs the session; meanwhile only this window takes input.
  if (content->frame->native) content->frame->native->SetModal(true);
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
  if (session)
    if (WINL_Wnd* content = WINL_Live(session->content))
    {
      if (content->frame->native) content->frame->native->SetModal(false);
      PLAT_LoopIterate(false);
    }
  delete session;
}

LONG_PTR WINL_RestyleTopLevel(WINL_Wnd* content, LONG_PTR style)
{
  WINL_Frame* f = content->frame.get();
  unsigned wanted = 0;
  if (style & WS_THICKFRAME)
    wanted = PLAT_WINDOW_TITLED | PLAT_WINDOW_CLOSABLE | PLAT_WINDOW_MINIATURIZABLE | PLAT_WINDOW_RESIZABLE;
  else if ((style & WS_CAPTION) == WS_CAPTION)
    wanted = PLAT_WINDOW_TITLED;
  const unsigned compared = PLAT_WINDOW_TITLED | PLAT_WINDOW_RESIZABLE;
  if ((wanted & compared) == (f->style & compared)) return 0;
  const LONG_PTR old = GetWindowLong(WINL_Handle(content), GWL_STYLE);
  f->style = wanted;
  if (!f->native || !content->native) return old;
  // The toolkit fixes decorations when it maps a window: the content moves
  // into a new window that takes over the old one's place and relations.
  const bool active = f->native->IsActive();
  f->native->ReleaseContent();
  std::unique_ptr<PLAT_GtkWindow> oldWindow = std::move(f->native);
  f->native = PLAT_GtkWindow::Create(content->id, content->native.get(), wanted, f->dialogBox);
  if (!f->native) return old;
  f->native->SetTitle(content->title.c_str());
  if (f->clearBackground) f->native->SetClearBackground(true);
  // The new window's first reports are of this frame, not the user's moves.
  WINL_SetTopFrame(content, f->x, f->y, f->w, f->h);
  if (WINL_Wnd* owner = WINL_Live(f->owner))
    if (owner->frame && owner->frame->native) f->native->SetOwner(owner->frame->native.get());
  for (uint64_t id : f->owned)
    if (WINL_Wnd* o = WINL_Live(id))
      if (o->frame && o->frame->native) o->frame->native->SetOwner(f->native.get());
  oldWindow.reset();
  if (f->visible) f->native->Show(active);
  return old;
}
