// Dialogs from resources: content and child views, modeless windows, modal
// runs, EndDialog, and what a top-level window does when asked to close.

#include "winl/WINL_Dialog.h"

#include "winl/WINL_App.h"
#include "winl/WINL_Controls.h"
#include "winl/draw/WINL_GDIPrivate.h"
#include "winl/WINL_WndPrivate.h"

#include <algorithm>

WINL_DialogResourceIndex* WINL_curmodule_dialogresource_head = nullptr;

namespace
{
// A dialog procedure's answer to WM_INITDIALOG that puts the focus on the
// dialog view itself.
constexpr LRESULT kFocusOnDialog = 0xBEEF;

// Size of a window made without a resource.
constexpr int kBareWindowSize = 10;

// The modal runs under way, innermost last.
std::vector<PLAT_NestedLoop*> gModalRuns;

const WINL_DialogResourceIndex* FindResource(const WINL_DialogResourceIndex* list, const char* resid)
{
  for (const WINL_DialogResourceIndex* r = list; r; r = r->next)
    if (r->resid == resid) return r;
  return nullptr;
}

unsigned ResourceStyle(const WINL_DialogResourceIndex* res)
{
  unsigned style = PLAT_WINDOW_TITLED | PLAT_WINDOW_CLOSABLE | PLAT_WINDOW_MINIATURIZABLE;
  if (res->flags & WINL_DLG_RESIZABLE) style |= PLAT_WINDOW_RESIZABLE;
  return style;
}

void MakeFirstResponder(WINL_Wnd* content, WINL_Wnd* w)
{
  if (!content || !w) return;
  content->frame->firstResponder = w->id;
  if (w->native) w->native->GrabFocus();
}

// Whether the view can hold the keyboard focus: an enabled view of the
// application's own or a control the user types into or works with keys.
// Labels, group boxes and progress bars only show things.
bool TakesKeyboardFocus(const WINL_Wnd* c)
{
  if (!c->enabled) return false;
  if (!c->control) return true;
  switch (c->control->kind)
  {
    case PLAT_ControlKind::Label:
    case PLAT_ControlKind::GroupBox:
    case PLAT_ControlKind::Progress: return false;
    default: return true;
  }
}

// The first child that can take the keyboard focus.
WINL_Wnd* FocusCandidate(WINL_Wnd* w)
{
  for (uint64_t id : w->children)
    if (WINL_Wnd* c = WINL_Live(id))
      if (TakesKeyboardFocus(c)) return c;
  return nullptr;
}

// Fills a new view from the resource (or from proc without one) and, for a
// dialog, runs WM_INITDIALOG. The view is linked and, for a content view,
// its window exists.
void InitView(WINL_Wnd* w, const WINL_DialogResourceIndex* res, DLGPROC proc, LPARAM param)
{
  WINL_DispatchGuard guard(*w);
  HWND hwnd = WINL_Handle(w);
  w->wndproc = WinlDialogDefaultWindowProc;
  if (res)
  {
    w->opaque = (res->flags & WINL_DLG_OPAQUE) != 0;
    w->flipped = (res->flags & WINL_DLG_FLIPPED) != 0;
    w->acceptsFiles = (res->flags & WINL_DLG_ACCEPT_FILES) != 0;
    if (res->create)
    {
      WINL_PushLayoutState();
      res->create(hwnd, res->flags);
      WINL_PopLayoutState();
    }
    w->dlgproc = proc;
  }
  else
  {
    if (proc) w->wndproc = proc;
    WINL_Dispatch(w, WM_CREATE, 0, param);
    return;
  }
  if (!w->dlgproc || w->state.load() != kWndAlive) return;
  WINL_Wnd* candidate = FocusCandidate(w);
  WINL_Wnd* content = WINL_ContentOf(w);
  const LRESULT r =
      w->dlgproc(hwnd, WM_INITDIALOG, reinterpret_cast<WPARAM>(WINL_Handle(candidate)), param);
  if (w->state.load() != kWndAlive || !content) return;
  WINL_Frame* f = content->frame.get();
  if (r != 0)
  {
    if (r == kFocusOnDialog) candidate = w;
    if (candidate && f->firstResponder != candidate->id) MakeFirstResponder(content, candidate);
    if (content == w && !f->visible) f->wantKeyOnFirstShow = true;
  }
  else if (content == w && candidate && (f->firstResponder == 0 || f->firstResponder == w->id))
    MakeFirstResponder(content, candidate);
  WINL_DoDialogColorUpdates(hwnd, w->dlgproc, false);
}

// Which control colour message a control's text colour comes from; 0 for
// controls whose text the procedure does not colour.
UINT ColorMessageOf(const WINL_Control* c)
{
  switch (c->kind)
  {
    case PLAT_ControlKind::CheckBox:
    case PLAT_ControlKind::RadioButton: return WM_CTLCOLORBTN;
    case PLAT_ControlKind::Label:
    case PLAT_ControlKind::GroupBox: return WM_CTLCOLORSTATIC;
    case PLAT_ControlKind::Edit: return (c->style & ES_READONLY) ? WM_CTLCOLORSTATIC : 0;
    default: return 0;
  }
}

// A new content view with its top-level window, not shown yet.
WINL_Wnd* NewTopLevel(unsigned style, bool dialogBox, const char* title, WINL_Wnd* owner)
{
  WINL_Wnd* w = WINL_NewRecord();
  w->frame = std::make_unique<WINL_Frame>();
  WINL_Frame* f = w->frame.get();
  f->style = style;
  f->dialogBox = dialogBox;
  w->createFlags = style;
  w->native = PLAT_GtkView::Create(w->id);
  if (w->native) f->native = PLAT_GtkWindow::Create(w->id, w->native.get(), style, dialogBox);
  if (title) SetWindowText(WINL_Handle(w), title);
  if (WINL_Wnd* o = WINL_ContentOf(owner))
  {
    f->owner = o->id;
    auto& list = o->frame->owned;
    if (std::find(list.begin(), list.end(), w->id) == list.end()) list.insert(list.begin(), w->id);
    if (f->native && o->frame->native) f->native->SetOwner(o->frame->native.get());
  }
  WINL_BringToFront(w->id);
  return w;
}
}  // namespace

HWND WINL_CreateDialog(WINL_DialogResourceIndex* list, const char* resid, HWND parent, DLGPROC proc,
                       LPARAM param)
{
  if (!WINL_OnMainThread()) return nullptr;
  const uintptr_t rid = reinterpret_cast<uintptr_t>(resid);
  const WINL_DialogResourceIndex* res = nullptr;
  unsigned style = 0;
  bool forceTopLevel = false;
  if ((rid & ~uintptr_t{0xF}) == WINL_NO_RESOURCE)
  {
    const unsigned low = rid & 0xF;
    style = PLAT_WINDOW_TITLED | PLAT_WINDOW_CLOSABLE | PLAT_WINDOW_MINIATURIZABLE;
    if (low & 1) style |= PLAT_WINDOW_RESIZABLE;
    if (low & 2) style &= ~PLAT_WINDOW_MINIATURIZABLE;
    if (low & 4) style &= ~PLAT_WINDOW_CLOSABLE;
    forceTopLevel = low != 0;
  }
  else if ((res = FindResource(list, resid)) != nullptr)
    style = ResourceStyle(res);
  else if (rid != 0)
    return nullptr;
  WINL_Wnd* p = WINL_Live(parent);
  const bool child = p && (res ? (res->flags & WINL_DLG_CHILD) != 0 : !forceTopLevel);
  WINL_Wnd* w;
  if (child)
  {
    w = WINL_NewRecord();
    w->createFlags = 15;
    w->w = res ? res->width : 300;
    w->h = res ? res->height : 200;
    w->native = PLAT_GtkView::Create(w->id);
    WINL_LinkView(w, p);
  }
  else
  {
    w = NewTopLevel(style, false, res ? res->title : nullptr, p);
    // Placed 50 pixels right of and 100 below the top-left corner of the
    // parent's window, or of the work area.
    int refX, refY;
    if (p && p->frame)
    {
      refX = p->frame->x;
      refY = p->frame->y;
    }
    else if (p)
      WINL_ViewScreenOrigin(p, &refX, &refY);
    else
    {
      PLAT_Rect work;
      WINL_Monitor(nullptr, &work);
      refX = work.x;
      refY = work.y;
    }
    const int width = res ? res->width : kBareWindowSize;
    const int height = res ? res->height : kBareWindowSize;
    WINL_SetTopFrame(w, refX + 50, refY + 100, width, height);
  }
  HWND hwnd = WINL_Handle(w);
  InitView(w, res, proc, param);
  return hwnd;
}

HWND WINL_CreateChildWindow(HWND host, int width, int height)
{
  if (!WINL_OnMainThread()) return nullptr;
  WINL_Wnd* owner = WINL_ContentOf(WINL_Live(host));
  if (!owner) return nullptr;
  width = std::max(width, 1);
  height = std::max(height, 1);
  WINL_Wnd* w = NewTopLevel(0, false, nullptr, owner);
  const WINL_Frame* f = owner->frame.get();
  const int difference = f->w - width;
  // Rounded down also when the child is the wider one.
  const int offset = difference >= 0 ? difference / 2 : -((1 - difference) / 2);
  WINL_SetTopFrame(w, f->x + offset, f->y, width, height);
  InitView(w, nullptr, nullptr, 0);
  return WINL_Handle(w);
}

HWND WINL_CreateAccessory(const char* resid, DLGPROC proc, LPARAM param)
{
  if (!WINL_OnMainThread()) return nullptr;
  const WINL_DialogResourceIndex* res = FindResource(WINL_curmodule_dialogresource_head, resid);
  if (!res) return nullptr;
  WINL_Wnd* w = WINL_NewRecord();
  w->createFlags = 15;
  w->w = res->width;
  w->h = res->height;
  w->native = PLAT_GtkView::Create(w->id);
  // Shown by the chooser that holds it.
  w->hidden = false;
  if (w->native)
  {
    w->native->SetFrame({0, 0, w->w, w->h});
    w->native->SetVisible(true);
  }
  HWND hwnd = WINL_Handle(w);
  InitView(w, res, proc, param);
  return hwnd;
}

int WINL_DialogBox(WINL_DialogResourceIndex* list, const char* resid, HWND parent, DLGPROC proc, LPARAM param)
{
  if (!WINL_OnMainThread()) return -1;
  const WINL_DialogResourceIndex* res = FindResource(list, resid);
  if (!res || (res->flags & WINL_DLG_CHILD)) return -1;
  unsigned style = PLAT_WINDOW_TITLED | PLAT_WINDOW_CLOSABLE;
  if (res->flags & WINL_DLG_RESIZABLE) style |= PLAT_WINDOW_RESIZABLE;
  WINL_Wnd* owner = WINL_ContentOf(WINL_Live(parent));
  WINL_Wnd* w = NewTopLevel(style, true, res->title, owner);
  HWND hwnd = WINL_Handle(w);
  WINL_DispatchGuard guard(*w);
  // The dialog sits in the middle of its owner, or of the work area.
  PLAT_Rect ref;
  if (owner)
    ref = {owner->frame->x, owner->frame->y, owner->frame->w, owner->frame->h};
  else
    WINL_Monitor(nullptr, &ref);
  WINL_SetTopFrame(w, ref.x + (ref.w - res->width) / 2, ref.y + (ref.h - res->height) / 2, res->width, res->height);
  InitView(w, res, proc, param);
  WINL_Frame* f = w->frame.get();
  if (w->state.load() != kWndAlive) return f->hasResult ? f->result : 0;
  if (f->hasResult)
  {
    // Ended while it was being made: nothing of it may stay behind.
    const int result = f->result;
    DestroyWindow(hwnd);
    return result;
  }
  ShowWindow(hwnd, SW_SHOW);
  PLAT_NestedLoop run;
  f->modalRun = &run;
  gModalRuns.push_back(&run);
  if (WINL_IsQuitting() || w->state.load() != kWndAlive) run.Quit();
  run.Run();
  gModalRuns.erase(std::remove(gModalRuns.begin(), gModalRuns.end(), &run), gModalRuns.end());
  f->modalRun = nullptr;
  const int result = f->hasResult ? f->result : 0;
  if (w->state.load() == kWndAlive) DestroyWindow(hwnd);
  return result;
}

BOOL EndDialog(HWND hwnd, int result)
{
  WINL_Wnd* content = WINL_ContentOf(WINL_Live(hwnd));
  if (!content || !content->frame->dialogBox) return FALSE;
  WINL_Frame* f = content->frame.get();
  f->result = result;
  f->hasResult = true;
  // Inside WM_INITDIALOG the run has not started; WINL_DialogBox sees the
  // value and ends the dialog itself.
  if (f->modalRun) DestroyWindow(WINL_Handle(content));
  return TRUE;
}

void WINL_DoDialogColorUpdates(HWND view, DLGPROC proc, bool update)
{
  WINL_Wnd* w = WINL_Live(view);
  if (!w || !proc) return;
  WINL_DispatchGuard guard(*w);
  struct Answer
  {
    UINT msg;
    bool asked;
    int color;  // -1: the procedure set none
  } answers[] = {{WM_CTLCOLORBTN, false, -1}, {WM_CTLCOLORSTATIC, false, -1}};
  // The procedure may add or remove controls while it answers.
  const std::vector<uint64_t> kids = w->children;
  for (uint64_t id : kids)
  {
    WINL_Wnd* c = WINL_Live(id);
    const UINT msg = c && c->control ? ColorMessageOf(c->control.get()) : 0;
    if (!msg) continue;
    Answer& a = answers[msg == WM_CTLCOLORBTN ? 0 : 1];
    if (!a.asked)
    {
      a.asked = true;
      HDC hdc = WINL_CreateMemContext(nullptr, 1, 1);
      proc(view, msg, reinterpret_cast<WPARAM>(hdc), reinterpret_cast<LPARAM>(WINL_Handle(c)));
      a.color = WINL_TextColorIfSet(hdc);
      WINL_DeleteGfxContext(hdc);
      if (w->state.load() != kWndAlive) return;
      if (!(c = WINL_Live(id))) continue;
    }
    if (a.color < 0 && !update) continue;
    c->control->textColor = a.color;
    if (c->native) PLAT_ControlSetTextColor(c->native.get(), a.color);
  }
}

void WINL_EndModalRuns(WINL_Wnd* content, bool all)
{
  if (all)
  {
    for (PLAT_NestedLoop* run : gModalRuns) run->Quit();
    return;
  }
  if (content && content->frame && content->frame->modalRun) content->frame->modalRun->Quit();
}

void WINL_CloseRequest(WINL_Wnd* content)
{
  WINL_DispatchGuard guard(*content);
  if (WINL_Dispatch(content, WM_CLOSE, 0, 0) == 0 && content->state.load() == kWndAlive)
    WINL_Dispatch(content, WM_COMMAND, IDCANCEL, 0);
}
