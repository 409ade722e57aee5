// The toolkit half of menus: which window shows which menu bar, the bar's
// widgets rebuilt from the model when it changes, popups, and what the user
// does with them turned into messages. Without the toolkit the bars are only
// remembered.
#include "platform/gtk/PLAT_GtkMenu.h"
#include "winl/WINL_MenuPrivate.h"
#include "winl/WINL_WndPrivate.h"

#include <map>

namespace
{
// Content view id -> the menu its window shows as a bar.
std::map<uint64_t, uint64_t>& Bars()
{
  static auto* bars = new std::map<uint64_t, uint64_t>;
  return *bars;
}

// Loops are refused by the model; the cap only bounds the walk.
constexpr int kMaxDepth = 16;

std::vector<PLAT_MenuEntry> EntriesOf(const WINL_MenuRec* m, int depth)
{
  std::vector<PLAT_MenuEntry> out;
  if (!m || depth > kMaxDepth) return out;
  out.reserve(m->items.size());
  for (const WINL_MenuItem& it : m->items)
  {
    PLAT_MenuEntry e;
    e.menu = m->id;
    e.separator = it.separator;
    e.title = it.title;
    e.command = it.id;
    e.enabled = it.enabled;
    e.checked = it.checked;
    e.radio = it.radio;
    e.accelKey = it.accelKey;
    e.accelMods = it.accelMods;
    e.image = it.image;
    if (const WINL_MenuRec* sub = it.submenu ? WINL_FindMenu(it.submenu) : nullptr)
    {
      e.submenu = sub->id;
      e.children = EntriesOf(sub, depth + 1);
    }
    out.push_back(std::move(e));
  }
  return out;
}

PLAT_GtkWindow* NativeWindow(uint64_t content)
{
  WINL_Wnd* w = WINL_Live(content);
  return w && w->frame ? w->frame->native.get() : nullptr;
}

void ShowBar(uint64_t content, uint64_t menu)
{
  PLAT_GtkWindow* native = NativeWindow(content);
  if (!native) return;
  const WINL_MenuRec* m = menu ? WINL_FindMenu(menu) : nullptr;
  if (!m)
  {
    PLAT_GtkWindowSetMenuBar(native, nullptr);
    return;
  }
  const std::vector<PLAT_MenuEntry> entries = EntriesOf(m, 0);
  PLAT_GtkWindowSetMenuBar(native, &entries);
}

class MenuHandler : public PLAT_MenuHandler
{
public:
  // A chosen item goes to the window whose bar holds it, or to the menu's
  // own destination when the program set one.
  void OnMenuCommand(uint64_t window, uint64_t menu, unsigned command) override
  {
    const WINL_MenuRec* m = WINL_FindMenu(menu);
    const uint64_t to = m && m->destination && WINL_Live(m->destination) ? m->destination : window;
    WINL_Send(to, WM_COMMAND, static_cast<WPARAM>(command), 0);
  }
  void OnMenuShown(uint64_t window, uint64_t menu) override
  {
    const WINL_MenuRec* m = WINL_FindMenu(menu);
    if (!m) return;
    if (m->destination || !window)
      WINL_MenuOpened(menu);
    else
      WINL_Send(window, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(WINL_MenuHandle(menu)), 0);
  }
};

void InstallHandler()
{
  static MenuHandler handler;
  PLAT_GtkMenuSetHandler(&handler);
}
}  // namespace

void WINL_MenuNativeChanged(uint64_t topMenu)
{
  for (auto it = Bars().begin(); it != Bars().end();)
  {
    if (!WINL_Live(it->first))
    {
      it = Bars().erase(it);
      continue;
    }
    if (it->second == topMenu) ShowBar(it->first, topMenu);
    ++it;
  }
}

void WINL_MenuNativeDestroyed(uint64_t menu)
{
  for (auto it = Bars().begin(); it != Bars().end();)
  {
    if (it->second != menu)
    {
      ++it;
      continue;
    }
    ShowBar(it->first, 0);
    it = Bars().erase(it);
  }
}

void WINL_MenuNativeSetBar(WINL_Wnd* w, uint64_t menu)
{
  InstallHandler();
  WINL_Wnd* content = WINL_ContentOf(w);
  const uint64_t key = content ? content->id : w->id;
  if (menu)
    Bars()[key] = menu;
  else
    Bars().erase(key);
  ShowBar(key, menu);
}

uint64_t WINL_MenuNativeBarOf(WINL_Wnd* w)
{
  WINL_Wnd* content = WINL_ContentOf(w);
  auto it = Bars().find(content ? content->id : w->id);
  return it == Bars().end() ? 0 : it->second;
}

int WINL_MenuNativePopup(uint64_t menu, WINL_Wnd* over, int x, int y)
{
  InstallHandler();
  const WINL_MenuRec* m = WINL_FindMenu(menu);
  if (!m || !PLAT_GtkIsUp()) return 0;
  WINL_Wnd* content = over ? WINL_ContentOf(over) : nullptr;
  PLAT_GtkWindow* native = content && content->frame ? content->frame->native.get() : nullptr;
  return static_cast<int>(PLAT_GtkMenuPopup(EntriesOf(m, 0), native, WINL_ScreenXDown(x), WINL_ScreenYDown(y)));
}
