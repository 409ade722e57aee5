// How windows relate: parents and children, owners, the keyboard focus and
// the active window, the mouse capture, and walks over windows.

#include "winl/WINL_Window.h"

#include "winl/WINL_App.h"
#include "winl/WINL_MenuPrivate.h"
#include "winl/WINL_WndPrivate.h"

#include <algorithm>
#include <cstring>
#include <strings.h>

// ---- sections ----
// linking · parents · enumeration · focus and activation · capture

namespace
{
WINL_Wnd* Parent(const WINL_Wnd* w) { return w && w->parent ? WINL_Live(w->parent) : nullptr; }

uint64_t gKeyWindow = 0;     // content view of the active window
uint64_t gLastResigned = 0;  // content view of the window that was active before
uint64_t gCapture = 0;
}  // namespace

// ---- linking ----

void WINL_LinkView(WINL_Wnd* w, WINL_Wnd* parent)
{
  if (WINL_Wnd* old = Parent(w))
  {
    auto& kids = old->children;
    kids.erase(std::remove(kids.begin(), kids.end(), w->id), kids.end());
    old->dirty |= 3;
  }
  w->parent = parent ? parent->id : 0;
  if (parent)
  {
    parent->children.push_back(w->id);
    // A new child makes every ancestor repaint its part of the tree.
    for (WINL_Wnd* a = parent; a && !(a->dirty & 2); a = Parent(a)) a->dirty |= 2;
  }
  if (w->native) w->native->SetParent(parent ? parent->native.get() : nullptr, {w->x, w->y, w->w, w->h});
  if (w->native && parent) w->native->SetVisible(!w->hidden);
}

// ---- parents ----

HWND GetParent(HWND hwnd)
{
  WINL_Wnd* w = WINL_Live(hwnd);
  if (!w) return nullptr;
  if (w->frame) return WINL_Handle(w->frame->owner ? WINL_Live(w->frame->owner) : nullptr);
  return WINL_Handle(Parent(w));
}

BOOL IsChild(HWND parent, HWND hwnd)
{
  WINL_Wnd* p = WINL_Live(parent);
  if (!p) return FALSE;
  for (WINL_Wnd* w = Parent(WINL_Live(hwnd)); w; w = Parent(w))
    if (w == p) return TRUE;
  return FALSE;
}

HWND GetWindow(HWND hwnd, UINT cmd)
{
  WINL_Wnd* w = WINL_Live(hwnd);
  if (!w) return nullptr;
  if (cmd == GW_CHILD)
  {
    for (uint64_t id : w->children)
      if (WINL_Wnd* c = WINL_Live(id)) return WINL_Handle(c);
    return nullptr;
  }
  if (cmd == GW_OWNER) return GetParent(hwnd);
  if (w->frame) return cmd == GW_HWNDFIRST || cmd == GW_HWNDLAST ? hwnd : nullptr;
  WINL_Wnd* p = Parent(w);
  if (!p) return nullptr;
  std::vector<uint64_t> sibs;
  for (uint64_t id : p->children)
    if (WINL_Live(id)) sibs.push_back(id);
  const auto self = std::find(sibs.begin(), sibs.end(), w->id) - sibs.begin();
  const auto n = static_cast<ptrdiff_t>(sibs.size());
  ptrdiff_t at = -1;
  switch (cmd)
  {
    case GW_HWNDFIRST: at = 0; break;
    case GW_HWNDLAST: at = n - 1; break;
    case GW_HWNDNEXT: at = self + 1; break;
    case GW_HWNDPREV: at = self - 1; break;
    default: break;
  }
  return at >= 0 && at < n ? WINL_Handle(WINL_Live(sibs[static_cast<size_t>(at)])) : nullptr;
}

HWND SetParent(HWND hwnd, HWND parent)
{
  WINL_Wnd* w = WINL_Live(hwnd);
  if (!w || w->frame) return nullptr;
  WINL_Wnd* p = parent ? WINL_Live(parent) : nullptr;
  if (parent && !p) return nullptr;
  // A window cannot hold itself or one of its ancestors.
  if (p && (p == w || IsChild(hwnd, parent))) return nullptr;
  HWND old = WINL_Handle(Parent(w));
  if (p)
  {
    WINL_LinkView(w, p);
    return old;
  }
  // Without a parent the view becomes the content of a window of its own,
  // owned by the window it was in.
  WINL_Wnd* formerContent = WINL_ContentOf(w);
  WINL_CreateModelessFrameForView(hwnd, WINL_Handle(formerContent),
                                  PLAT_WINDOW_TITLED | PLAT_WINDOW_CLOSABLE | PLAT_WINDOW_MINIATURIZABLE);
  return old;
}

HWND WINL_CreateModelessFrameForView(HWND child, HWND owner, unsigned styleMask)
{
  WINL_Wnd* w = WINL_Live(child);
  if (!w || w->frame) return nullptr;
  WINL_Wnd* ownerContent = owner ? WINL_ContentOf(WINL_Live(owner)) : nullptr;
  if (ownerContent == w || (owner && IsChild(child, owner))) return nullptr;
  // The window keeps the view where it was on the screen.
  int ox, oy;
  WINL_ViewScreenOrigin(w, &ox, &oy);
  WINL_LinkView(w, nullptr);
  w->frame = std::make_unique<WINL_Frame>();
  w->frame->style = styleMask & (PLAT_WINDOW_TITLED | PLAT_WINDOW_CLOSABLE | PLAT_WINDOW_MINIATURIZABLE |
                                 PLAT_WINDOW_RESIZABLE);
  if (w->native) w->frame->native = PLAT_GtkWindow::Create(w->id, w->native.get(), w->frame->style, false);
  if (ownerContent)
  {
    w->frame->owner = ownerContent->id;
    ownerContent->frame->owned.insert(ownerContent->frame->owned.begin(), w->id);
    if (w->frame->native && ownerContent->frame->native)
      w->frame->native->SetOwner(ownerContent->frame->native.get());
  }
  WINL_BringToFront(w->id);
  WINL_SetTopFrame(w, ox, oy, w->w, w->h);
  if (!w->hidden) ShowWindow(child, SW_SHOWNORMAL);
  return child;
}

// ---- enumeration ----

BOOL EnumWindows(WNDENUMPROC fn, LPARAM lParam)
{
  if (!fn) return FALSE;
  for (uint64_t id : WINL_TopLevels())
    if (WINL_Wnd* w = WINL_Live(id))
      if (!fn(WINL_Handle(w), lParam)) return FALSE;
  return TRUE;
}

namespace
{
BOOL EnumChildren(WINL_Wnd* w, WNDENUMPROC fn, LPARAM lParam)
{
  // The callback may destroy windows: walk a copy, skip the gone ones.
  const std::vector<uint64_t> kids = w->children;
  for (uint64_t id : kids)
  {
    WINL_Wnd* c = WINL_Live(id);
    if (!c) continue;
    WINL_DispatchGuard guard(*c);
    if (!fn(WINL_Handle(c), lParam)) return FALSE;
    if (c->state.load() == kWndAlive && !EnumChildren(c, fn, lParam)) return FALSE;
  }
  return TRUE;
}

// Class names compare without regard to case; "Static" also finds the one-
// line text fields, which are labels and edit fields alike. A control's
// title is its text.
bool TitleMatches(const WINL_Wnd* w, const char* className, const char* title)
{
  if (className && strcasecmp(w->className.c_str(), className) != 0)
  {
    const bool textField =
        w->control && (w->control->kind == PLAT_ControlKind::Label || w->control->kind == PLAT_ControlKind::Edit);
    if (!textField || strcasecmp(className, "Static") != 0) return false;
  }
  return !title || (w->control ? w->control->text : w->title) == title;
}
}  // namespace

BOOL EnumChildWindows(HWND hwnd, WNDENUMPROC fn, LPARAM lParam)
{
  WINL_Wnd* w = WINL_Live(hwnd);
  if (!w || !fn) return TRUE;
  WINL_DispatchGuard guard(*w);
  return EnumChildren(w, fn, lParam);
}

HWND FindWindowEx(HWND parent, HWND after, const char* className, const char* title)
{
  std::vector<uint64_t> candidates;
  if (parent)
  {
    WINL_Wnd* p = WINL_Live(parent);
    if (!p) return nullptr;
    candidates = p->children;
  }
  else
    candidates = WINL_TopLevels();
  auto it = candidates.begin();
  if (after)
  {
    it = std::find(candidates.begin(), candidates.end(), reinterpret_cast<uintptr_t>(after));
    if (it == candidates.end()) return nullptr;
    ++it;
  }
  for (; it != candidates.end(); ++it)
    if (WINL_Wnd* w = WINL_Live(*it))
      if (TitleMatches(w, className, title)) return WINL_Handle(w);
  return nullptr;
}

// ---- focus and activation ----

WINL_Wnd* WINL_KeyWindow() { return gKeyWindow ? WINL_Live(gKeyWindow) : nullptr; }

bool WINL_HoldsTheKeyboard(const WINL_Wnd* content)
{
  return gKeyWindow == content->id || (gKeyWindow == 0 && gLastResigned == content->id);
}

HWND GetFocus()
{
  WINL_Wnd* key = WINL_KeyWindow();
  if (!key) return nullptr;
  WINL_Wnd* responder = key->frame->firstResponder ? WINL_Live(key->frame->firstResponder) : nullptr;
  return responder && WINL_ContentOf(responder) == key ? WINL_Handle(responder) : nullptr;
}

HWND SetFocus(HWND hwnd)
{
  HWND old = GetFocus();
  WINL_Wnd* w = WINL_Live(hwnd);
  WINL_Wnd* content = WINL_ContentOf(w);
  if (!w || !content || !w->enabled) return old;
  content->frame->firstResponder = w->id;
  if (w->native) w->native->GrabFocus();
  WINL_Activate(content);
  return old;
}

void WINL_TookFocus(WINL_Wnd* w)
{
  if (WINL_Wnd* content = WINL_ContentOf(w)) content->frame->firstResponder = w->id;
}

void WINL_Activate(WINL_Wnd* content)
{
  WINL_Frame* f = content->frame.get();
  if (WINL_KeyWindow() == content || !f->visible || content->state.load() != kWndAlive) return;
  if (f->native) f->native->Show(true);
  WINL_BecomeKey(content);
}

HWND GetForegroundWindow()
{
  if (HWND focus = GetFocus()) return focus;
  return WINL_Handle(WINL_KeyWindow());
}

BOOL SetForegroundWindow(HWND hwnd)
{
  if (!WINL_Live(hwnd)) return FALSE;
  SetFocus(hwnd);
  return TRUE;
}

void WINL_BecomeKey(WINL_Wnd* content)
{
  WINL_Frame* f = content->frame.get();
  if (WINL_IsQuitting() || !f->enabled || gKeyWindow == content->id) return;
  if (WINL_Wnd* old = WINL_KeyWindow()) WINL_ResignKey(old);
  WINL_Wnd* previous = gLastResigned ? WINL_Live(gLastResigned) : nullptr;
  gKeyWindow = content->id;
  WINL_BringToFront(content->id);
  WINL_ChooseMenuOnActivation(content);
  WINL_DispatchGuard guard(*content);
  WINL_Dispatch(content, WM_ACTIVATE, 1, reinterpret_cast<LPARAM>(WINL_Handle(previous)));
  WINL_Dispatch(content, WM_MOUSEACTIVATE, 0, 0);
  WINL_AppActivated(true);
}

void WINL_ResignKey(WINL_Wnd* content)
{
  if (gKeyWindow != content->id) return;
  gKeyWindow = 0;
  gLastResigned = content->id;
  if (!WINL_IsQuitting()) WINL_Dispatch(content, WM_ACTIVATE, 0, 0);
  WINL_AppActivated(false);
}

// ---- capture ----

HWND GetCapture() { return WINL_Handle(gCapture ? WINL_Live(gCapture) : nullptr); }

HWND SetCapture(HWND hwnd)
{
  HWND previous = GetCapture();
  WINL_Wnd* w = WINL_Live(hwnd);
  gCapture = w ? w->id : 0;
  if (previous && previous != hwnd) SendMessage(previous, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(hwnd));
  return previous;
}

BOOL ReleaseCapture()
{
  HWND previous = GetCapture();
  gCapture = 0;
  if (previous) SendMessage(previous, WM_CAPTURECHANGED, 0, 0);
  return TRUE;
}
