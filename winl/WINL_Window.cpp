// The window records: the registry of handles, creation, the message entry
// with its destruction rules, window longs, texts and properties.

#include "winl/WINL_Window.h"

#include "winl/WINL_MenuPrivate.h"
#include "winl/WINL_Queue.h"
#include "winl/WINL_QueuePrivate.h"
#include "winl/WINL_WndPrivate.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <thread>
#include <unordered_map>

// ---- sections ----
// registry · creation · message entry · destruction · longs and texts ·
// properties

namespace
{
// ---- registry ----

struct Registry
{
  std::mutex mutex;  // held while the map changes, and by other threads' lookups
  std::unordered_map<uint64_t, std::unique_ptr<WINL_Wnd>> records;
  // Ids below 0x10000 would look like atoms and small constants.
  uint64_t nextId = 0x10000;
  std::vector<uint64_t> topLevels;  // front first
};

Registry& Reg()
{
  static Registry* registry = new Registry;
  return *registry;
}

uint64_t IdOf(HWND hwnd) { return static_cast<uint64_t>(reinterpret_cast<uintptr_t>(hwnd)); }

// Titles keep at most this many bytes.
constexpr size_t kMaxTitle = 1023;

// The longest prefix of at most max bytes that does not end inside a UTF-8
// character.
size_t CutAtCharacter(const char* text, size_t len, size_t max)
{
  if (len <= max) return len;
  size_t n = max;
  while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
  return n;
}
}  // namespace

HWND WINL_Handle(const WINL_Wnd* w) { return w ? reinterpret_cast<HWND>(static_cast<uintptr_t>(w->id)) : nullptr; }

WINL_Wnd* WINL_Find(HWND hwnd)
{
  // Only the main thread changes the map, so its own lookups need no lock.
  Registry& reg = Reg();
  auto it = reg.records.find(IdOf(hwnd));
  return it == reg.records.end() ? nullptr : it->second.get();
}

WINL_Wnd* WINL_Live(HWND hwnd)
{
  if (!hwnd) return nullptr;
  WINL_Wnd* w = WINL_Find(hwnd);
  return w && w->state.load() != kWndDead ? w : nullptr;
}

WINL_Wnd* WINL_NewRecord()
{
  Registry& reg = Reg();
  auto w = std::make_unique<WINL_Wnd>();
  WINL_Wnd* raw = w.get();
  std::lock_guard<std::mutex> lock(reg.mutex);
  raw->id = reg.nextId++;
  reg.records.emplace(raw->id, std::move(w));
  return raw;
}

bool WINL_CanPostMessage(HWND hwnd)
{
  if (!hwnd) return false;
  Registry& reg = Reg();
  std::lock_guard<std::mutex> lock(reg.mutex);
  auto it = reg.records.find(IdOf(hwnd));
  return it != reg.records.end() && it->second->state.load() == kWndAlive;
}

void WINL_FreeDeadRecords()
{
  Registry& reg = Reg();
  std::vector<std::unique_ptr<WINL_Wnd>> doomed;
  {
    std::lock_guard<std::mutex> lock(reg.mutex);
    for (auto it = reg.records.begin(); it != reg.records.end();)
    {
      if (it->second->state.load() == kWndDead && it->second->dispatching == 0)
      {
        doomed.push_back(std::move(it->second));
        it = reg.records.erase(it);
      }
      else
        ++it;
    }
  }
  // Widgets go outside the lock: destroying them may call back into the layer.
  doomed.clear();
}

std::vector<uint64_t> WINL_TopLevels()
{
  std::vector<uint64_t> out;
  for (uint64_t id : Reg().topLevels)
    if (WINL_Live(id)) out.push_back(id);
  return out;
}

void WINL_BringToFront(uint64_t id)
{
  auto& list = Reg().topLevels;
  list.erase(std::remove(list.begin(), list.end(), id), list.end());
  list.insert(list.begin(), id);
}

namespace
{
void ForgetTopLevel(uint64_t id)
{
  auto& list = Reg().topLevels;
  list.erase(std::remove(list.begin(), list.end(), id), list.end());
}
}  // namespace

int WINL_GetWindowRecordCount()
{
  std::lock_guard<std::mutex> lock(Reg().mutex);
  return static_cast<int>(Reg().records.size());
}

BOOL IsWindow(HWND hwnd)
{
  if (!WINL_OnMainThread()) return WINL_CanPostMessage(hwnd) ? TRUE : FALSE;
  WINL_Wnd* w = WINL_Find(hwnd);
  return w && w->state.load() == kWndAlive ? TRUE : FALSE;
}

// ---- creation ----

HWND WINL_CreateView(HWND parent, WNDPROC proc, LPARAM param)
{
  if (!WINL_OnMainThread()) return nullptr;
  WINL_Wnd* p = parent ? WINL_Live(parent) : nullptr;
  if (parent && !p) return nullptr;
  WINL_Wnd* w = WINL_NewRecord();
  w->w = 300;
  w->h = 200;
  w->wndproc = proc ? proc : WinlDialogDefaultWindowProc;
  w->native = PLAT_GtkView::Create(w->id);
  if (p) WINL_LinkView(w, p);
  HWND h = WINL_Handle(w);
  WINL_Dispatch(w, WM_CREATE, 0, param);
  return h;
}

// ---- message entry ----

LRESULT WINL_CallProc(WINL_Wnd* w, UINT msg, WPARAM wParam, LPARAM lParam)
{
  if (!w || w->state.load() != kWndAlive || !w->wndproc) return -1;
  WINL_DispatchGuard guard(*w);
  return w->wndproc(WINL_Handle(w), msg, wParam, lParam);
}

namespace
{
LRESULT Teardown(WINL_Wnd* w, WPARAM wParam, LPARAM lParam);
}

LRESULT WINL_Dispatch(WINL_Wnd* w, UINT msg, WPARAM wParam, LPARAM lParam)
{
  if (!w) return 0;
  const int state = w->state.load();
  if (state == kWndDead) return 0;
  if (state == kWndAlive && msg == WM_DESTROY) return Teardown(w, wParam, lParam);
  if (state == kWndDestroying && (msg == WM_DESTROY || msg == WM_CAPTURECHANGED)) return 0;
  if (!w->wndproc) return 0;
  WINL_DispatchGuard guard(*w);
  return w->wndproc(WINL_Handle(w), msg, wParam, lParam);
}

LRESULT WINL_Send(uint64_t id, UINT msg, WPARAM wParam, LPARAM lParam)
{
  WINL_Wnd* w = WINL_Find(id);
  return w ? WINL_Dispatch(w, msg, wParam, lParam) : 0;
}

LRESULT SendMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
  if (!hwnd) return 0;
  if (!WINL_OnMainThread())
  {
    std::fprintf(stderr, "ZephraEditor: message 0x%X sent from another thread was dropped\n", msg);
    return 0;
  }
  return WINL_Dispatch(WINL_Find(hwnd), msg, wParam, lParam);
}

// ---- destruction ----

namespace
{
// Takes a destroyed window off the screen and out of every list; the record
// itself stays, dead, until the next queue tick.
void Retire(WINL_Wnd* w)
{
  if (WINL_Wnd* parent = WINL_Find(w->parent))
  {
    auto& kids = parent->children;
    kids.erase(std::remove(kids.begin(), kids.end(), w->id), kids.end());
  }
  w->parent = 0;
  if (WINL_Frame* f = w->frame.get())
  {
    const bool wasKey = WINL_HoldsTheKeyboard(w);
    WINL_ResignKey(w);
    WINL_Wnd* owner = f->owner ? WINL_Live(f->owner) : nullptr;
    if (owner)
    {
      auto& list = owner->frame->owned;
      list.erase(std::remove(list.begin(), list.end(), w->id), list.end());
    }
    f->owner = 0;
    ForgetTopLevel(w->id);
    WINL_EndModalRuns(w, false);
    f->visible = false;
    f->native.reset();
    // Without a window manager nobody else would give the keyboard to a
    // window when the active one goes: the owner takes it back.
    if (wasKey && owner) WINL_Activate(owner);
  }
  if (w->directHdc)
  {
    WINL_DeleteGfxContext(w->directHdc);
    w->directHdc = nullptr;
    if (w->native) w->native->EndDirectDraw();
  }
  w->native.reset();
}

LRESULT Teardown(WINL_Wnd* w, WPARAM wParam, LPARAM lParam)
{
  WINL_DispatchGuard guard(*w);
  w->state = kWndDestroying;
  HWND h = WINL_Handle(w);
  if (GetCapture() == h) ReleaseCapture();
  WINL_MessageQueue_Clear(h);
  const LRESULT result = w->wndproc ? w->wndproc(h, WM_DESTROY, wParam, lParam) : 0;
  if (w->frame)
  {
    // The owned windows go with their owner; the list is taken first, as
    // each destruction changes it.
    std::vector<uint64_t> owned;
    owned.swap(w->frame->owned);
    for (uint64_t id : owned)
      if (WINL_Wnd* o = WINL_Live(id))
      {
        o->frame->owner = 0;
        DestroyWindow(WINL_Handle(o));
      }
  }
  if (GetCapture() == h) ReleaseCapture();
  WINL_MessageQueue_Clear(h);
  if (w->frame) WINL_ReleaseWindowMenu(w);
  // A handler may destroy siblings, so walk a copy and skip the gone ones.
  const std::vector<uint64_t> children = w->children;
  for (uint64_t id : children) WINL_Send(id, WM_DESTROY, 0, 0);
  KillTimer(h, static_cast<UINT_PTR>(-1));
  w->state = kWndDead;
  Retire(w);
  WINL_QueueTickSoon();
  return result;
}
}  // namespace

void WINL_Teardown(WINL_Wnd* w)
{
  if (w && w->state.load() == kWndAlive) Teardown(w, 0, 0);
}

BOOL DestroyWindow(HWND hwnd)
{
  if (!WINL_OnMainThread())
  {
    std::fprintf(stderr, "ZephraEditor: DestroyWindow from another thread was ignored\n");
    return FALSE;
  }
  WINL_Wnd* w = WINL_Live(hwnd);
  if (!w || w->state.load() != kWndAlive) return FALSE;
  WINL_DispatchGuard guard(*w);
  // The keyboard focus must not stay in a view that goes.
  if (!w->frame && w->parent)
  {
    HWND focus = GetFocus();
    if (focus == hwnd || IsChild(hwnd, focus)) SetFocus(WINL_Handle(WINL_Live(w->parent)));
  }
  KillTimer(hwnd, static_cast<UINT_PTR>(-1));
  Teardown(w, 0, 0);
  return TRUE;
}

// ---- longs and texts ----

LONG_PTR GetWindowLong(HWND hwnd, int index)
{
  WINL_Wnd* w = WINL_Live(hwnd);
  if (!w) return 0;
  switch (index)
  {
    case GWLP_USERDATA: return w->userData;
    case GWL_EXSTYLE:
      if (w->control) return w->control->exStyle;
      return w->acceptsFiles ? WS_EX_ACCEPTFILES : 0;
    case GWL_STYLE:
    {
      LONG_PTR style = w->control ? WINL_ControlStyle(w) : 0;
      if (!w->frame && w->parent) style |= WS_CHILD;
      if (w->frame && (w->frame->style & PLAT_WINDOW_TITLED))
      {
        style |= WS_CAPTION;
        if (w->frame->style & PLAT_WINDOW_RESIZABLE) style |= WS_THICKFRAME;
      }
      return style;
    }
    case GWL_ID: return w->tag;
    case DWLP_DLGPROC: return reinterpret_cast<LONG_PTR>(w->dlgproc);
    case GWLP_WNDPROC: return reinterpret_cast<LONG_PTR>(w->wndproc);
    default: return index >= 0 && index <= 255 ? w->extra[index / 8] : 0;
  }
}

LONG_PTR SetWindowLong(HWND hwnd, int index, LONG_PTR value)
{
  WINL_Wnd* w = WINL_Live(hwnd);
  if (!w) return 0;
  const LONG_PTR old = GetWindowLong(hwnd, index);
  switch (index)
  {
    case GWLP_USERDATA: w->userData = value; break;
    case GWL_EXSTYLE:
      w->acceptsFiles = (value & WS_EX_ACCEPTFILES) != 0;
      if (w->control) w->control->exStyle = value;
      break;
    case GWL_STYLE:
      if (w->frame) return WINL_RestyleTopLevel(w, value);
      // Views keep no style of their own; combo boxes keep theirs, and the
      // layer's buttons change their kind by it.
      if (w->control && WINL_ControlRestyleButton(w, value)) break;
      if (!w->control || (w->control->kind != PLAT_ControlKind::DropList &&
                          w->control->kind != PLAT_ControlKind::ComboEdit))
        return 0;
      w->control->style = value;
      break;
    case GWL_ID: w->tag = value; break;
    case DWLP_DLGPROC: w->dlgproc = reinterpret_cast<DLGPROC>(value); break;
    case GWLP_WNDPROC: w->wndproc = reinterpret_cast<WNDPROC>(value); break;
    default:
      if (index >= 0 && index <= 255) w->extra[index / 8] = value;
      break;
  }
  return old;
}

BOOL SetWindowText(HWND hwnd, const char* text)
{
  WINL_Wnd* w = WINL_Live(hwnd);
  if (!w) return FALSE;
  if (w->control)
  {
    WINL_ControlSetText(w, text);
    return TRUE;
  }
  if (!text) text = "";
  const size_t len = strlen(text);
  w->title.assign(text, CutAtCharacter(text, len, kMaxTitle));
  if (w->frame && w->frame->native) w->frame->native->SetTitle(w->title.c_str());
  return TRUE;
}

int GetWindowText(HWND hwnd, char* buffer, int size)
{
  if (!buffer || size < 1) return 0;
  buffer[0] = 0;
  WINL_Wnd* w = WINL_Live(hwnd);
  if (!w) return 0;
  WINL_CFStringToCString(w->control ? WINL_ControlText(w) : w->title, buffer, size);
  return static_cast<int>(strlen(buffer));
}

HWND GetDlgItem(HWND hwnd, int id)
{
  WINL_Wnd* w = WINL_Live(hwnd);
  if (!w) return nullptr;
  if (id == 0) return hwnd;
  for (uint64_t child : w->children)
    if (WINL_Wnd* c = WINL_Live(child))
      if (c->tag == id) return WINL_Handle(c);
  return nullptr;
}

// ---- properties ----

namespace
{
bool IsAtom(const char* name) { return reinterpret_cast<uintptr_t>(name) < 0x10000; }

bool SameName(const WINL_Prop& p, const char* name)
{
  if (IsAtom(name)) return p.atom == reinterpret_cast<uintptr_t>(name);
  return p.atom == 0 && p.name == name;
}

WINL_Prop* FindProp(WINL_Wnd* w, const char* name)
{
  for (WINL_Prop& p : w->props)
    if (SameName(p, name)) return &p;
  return nullptr;
}
}  // namespace

BOOL SetProp(HWND hwnd, const char* name, HANDLE data)
{
  WINL_Wnd* w = WINL_Live(hwnd);
  if (!w || !name) return FALSE;
  if (WINL_Prop* p = FindProp(w, name))
  {
    p->data = data;
    return TRUE;
  }
  WINL_Prop p;
  if (IsAtom(name))
    p.atom = reinterpret_cast<uintptr_t>(name);
  else
    p.name = name;
  p.data = data;
  w->props.insert(w->props.begin(), std::move(p));
  return TRUE;
}

HANDLE GetProp(HWND hwnd, const char* name)
{
  WINL_Wnd* w = WINL_Live(hwnd);
  if (!w || !name) return nullptr;
  const WINL_Prop* p = FindProp(w, name);
  return p ? p->data : nullptr;
}

HANDLE RemoveProp(HWND hwnd, const char* name)
{
  WINL_Wnd* w = WINL_Live(hwnd);
  if (!w || !name) return nullptr;
  auto it = std::find_if(w->props.begin(), w->props.end(), [name](const WINL_Prop& p) { return SameName(p, name); });
  if (it == w->props.end()) return nullptr;
  HANDLE data = it->data;
  w->props.erase(it);
  return data;
}

int EnumPropsEx(HWND hwnd, PROPENUMPROCEX fn, LPARAM lParam)
{
  WINL_Wnd* w = WINL_Live(hwnd);
  if (!w || !fn) return 0;
  if (w->props.empty()) return -1;
  WINL_DispatchGuard guard(*w);
  // The callback may remove any property, the current one included: walk
  // the names as they were and look each up again.
  const std::vector<WINL_Prop> names = w->props;
  for (const WINL_Prop& n : names)
  {
    const char* name = n.atom ? reinterpret_cast<const char*>(n.atom) : n.name.c_str();
    WINL_Prop* p = FindProp(w, name);
    if (!p) continue;
    if (!fn(hwnd, name, p->data, static_cast<ULONG_PTR>(lParam))) return 0;
  }
  return 1;
}
