#include "winl/WINL_Menu.h"

#include "winl/WINL_App.h"
#include "winl/WINL_Keys.h"
#include "winl/WINL_MenuPrivate.h"
#include "winl/draw/WINL_GDIPrivate.h"
#include "winl/WINL_WndPrivate.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <map>
#include <memory>

// ---- sections ----
// the registry · titles and lookup · building · editing · key equivalents ·
// windows and the application · popups

WINL_MenuResourceIndex* WINL_curmodule_menuresource_head = nullptr;

namespace
{
// ---- the registry ----

uint64_t gNextMenuId = 0x7000000;
std::map<uint64_t, std::unique_ptr<WINL_MenuRec>>& Menus()
{
  static auto* menus = new std::map<uint64_t, std::unique_ptr<WINL_MenuRec>>;
  return *menus;
}

HMENU HandleOf(uint64_t id) { return reinterpret_cast<HMENU>(static_cast<uintptr_t>(id)); }
uint64_t IdOf(HMENU menu) { return static_cast<uint64_t>(reinterpret_cast<uintptr_t>(menu)); }

WINL_MenuRec* NewMenu(const std::string& title)
{
  auto rec = std::make_unique<WINL_MenuRec>();
  rec->id = gNextMenuId++;
  rec->title = title;
  WINL_MenuRec* raw = rec.get();
  Menus()[raw->id] = std::move(rec);
  return raw;
}

void FreeMenu(uint64_t id)
{
  auto it = Menus().find(id);
  if (it == Menus().end()) return;
  std::vector<uint64_t> subs;
  for (const WINL_MenuItem& item : it->second->items)
    if (item.submenu) subs.push_back(item.submenu);
  Menus().erase(it);
  for (uint64_t sub : subs) FreeMenu(sub);
}

// ---- titles and lookup ----

// Cut at a TAB (the shortcut text other systems show after it), '&' marks
// the next character, which is taken as it is.
std::string ConvertTitle(const char* text)
{
  std::string out;
  if (!text) return "(null)";
  for (const char* p = text; *p && *p != '\t' && out.size() < 1024; ++p)
  {
    if (*p == '&')
    {
      ++p;
      if (!*p || *p == '\t') break;
    }
    out.push_back(*p);
  }
  return out;
}

struct Found
{
  WINL_MenuRec* menu = nullptr;
  int index = -1;
  WINL_MenuItem* item() const { return menu ? &menu->items[static_cast<size_t>(index)] : nullptr; }
};

Found FindByCommand(WINL_MenuRec* m, UINT id, int depth)
{
  if (depth > 64) return {};
  for (size_t i = 0; i < m->items.size(); ++i)
    if (!m->items[i].submenu && !m->items[i].separator && m->items[i].id == id) return {m, static_cast<int>(i)};
  for (const WINL_MenuItem& item : m->items)
    if (WINL_MenuRec* sub = WINL_FindMenu(item.submenu))
    {
      Found f = FindByCommand(sub, id, depth + 1);
      if (f.menu) return f;
    }
  return {};
}

Found FindItem(HMENU menu, UINT item, bool byPosition)
{
  WINL_MenuRec* m = WINL_FindMenu(menu);
  if (!m) return {};
  if (byPosition)
  {
    if (item >= m->items.size()) return {};
    return {m, static_cast<int>(item)};
  }
  return FindByCommand(m, item, 0);
}

// Whether holder is menu or lies above it: inserting holder into menu would
// make a loop.
bool HoldsOrIs(uint64_t holder, uint64_t menu)
{
  for (uint64_t m = menu; m; )
  {
    if (m == holder) return true;
    const WINL_MenuRec* rec = WINL_FindMenu(m);
    m = rec ? rec->owner : 0;
  }
  return false;
}

// Attaches sub under item of menu m; false when that would make a loop or
// the submenu belongs elsewhere.
bool CanAttach(WINL_MenuRec* m, WINL_MenuRec* sub)
{
  return sub && !sub->owner && !HoldsOrIs(sub->id, m->id);
}

void Detach(WINL_MenuItem& item)
{
  if (WINL_MenuRec* sub = WINL_FindMenu(item.submenu))
  {
    sub->owner = 0;
    WINL_SetMenuDestination(HandleOf(sub->id), nullptr);
  }
  item.submenu = 0;
}

void Changed(WINL_MenuRec* m)
{
  // The bar shows the whole tree: the change reaches it from the top menu.
  while (m && m->owner)
  {
    WINL_MenuRec* up = WINL_FindMenu(m->owner);
    if (!up) break;
    m = up;
  }
  if (m) WINL_MenuNativeChanged(m->id);
}

// ---- building ----

constexpr const char* kOpener = "/.BO^O:";
constexpr const char* kCloser = "EN%%%^:";
constexpr int kMaxDepth = 16;

bool IsOpener(const char* t) { return t && std::strncmp(t, kOpener, 7) == 0; }
bool IsCloser(const char* t) { return t && std::strcmp(t, kCloser) == 0; }

void AppendText(WINL_MenuRec* m, const char* text, UINT id, bool greyed)
{
  WINL_MenuItem item;
  item.title = ConvertTitle(text);
  item.id = id;
  item.enabled = !greyed;
  m->items.push_back(item);
}

// Consumes a submenu's entries too deep to build, up to and including its
// closer; the number consumed.
int SkipLevel(const WINL_MenuGen_Entry* list, int count)
{
  int depth = 1;
  for (int i = 0; i < count; ++i)
  {
    if (IsOpener(list[i].text)) ++depth;
    if (IsCloser(list[i].text) && --depth == 0) return i + 1;
  }
  return count;
}

int Generate(WINL_MenuRec* m, const WINL_MenuGen_Entry* list, int count, int depth)
{
  int i = 0;
  while (i < count)
  {
    const WINL_MenuGen_Entry& e = list[i];
    if (!e.text)
    {
      WINL_MenuItem sep;
      sep.separator = true;
      m->items.push_back(sep);
      ++i;
    }
    else if (IsCloser(e.text))
      return i + 1;
    else if (IsOpener(e.text))
    {
      // The inner walk gets only what remains after the opener, so an
      // unclosed submenu stops at the list's end.
      const int remaining = count - i - 1;
      if (depth + 1 >= kMaxDepth)
      {
        i += 1 + SkipLevel(list + i + 1, remaining);
        continue;
      }
      WINL_MenuRec* sub = NewMenu(ConvertTitle(e.text + 7));
      const int used = Generate(sub, list + i + 1, remaining, depth + 1);
      sub->owner = m->id;
      WINL_MenuItem item;
      item.title = sub->title;
      item.submenu = sub->id;
      m->items.push_back(item);
      i += 1 + used;
    }
    else
    {
      AppendText(m, e.text, e.id, e.flags != 0);
      ++i;
    }
  }
  return count;
}

uint64_t Duplicate(const WINL_MenuRec* src)
{
  WINL_MenuRec* copy = NewMenu(src->title);
  const uint64_t id = copy->id;
  for (const WINL_MenuItem& item : src->items)
  {
    WINL_MenuItem c = item;
    if (const WINL_MenuRec* sub = WINL_FindMenu(item.submenu))
    {
      // NewMenu may move nothing (the map holds pointers), but look the
      // copy up again for clarity after the recursion.
      c.submenu = Duplicate(sub);
      WINL_FindMenu(c.submenu)->owner = id;
    }
    WINL_FindMenu(id)->items.push_back(c);
  }
  return id;
}
}  // namespace

// ---- shared with the toolkit half ----

WINL_MenuRec* WINL_FindMenu(uint64_t id)
{
  auto it = Menus().find(id);
  return it == Menus().end() ? nullptr : it->second.get();
}
WINL_MenuRec* WINL_FindMenu(HMENU menu) { return WINL_FindMenu(IdOf(menu)); }
HMENU WINL_MenuHandle(uint64_t id) { return HandleOf(id); }

int WINL_GenerateMenuFromList(HMENU menu, const WINL_MenuGen_Entry* list, int count)
{
  WINL_MenuRec* m = WINL_FindMenu(menu);
  if (!m || !list || count < 0) return 0;
  const int used = Generate(m, list, count, 0);
  Changed(m);
  return used;
}

void WINL_Menu_AddMenuItem(HMENU menu, const char* text, int id, int flags)
{
  if (WINL_MenuRec* m = WINL_FindMenu(menu))
  {
    AppendText(m, text, static_cast<UINT>(id), flags != 0);
    Changed(m);
  }
}

HMENU WINL_LoadMenu(WINL_MenuResourceIndex* head, const char* resid)
{
  for (WINL_MenuResourceIndex* r = head; r; r = r->next)
    if (r->resid == resid)
    {
      HMENU menu = HandleOf(NewMenu("")->id);
      if (r->create) r->create(menu);
      return menu;
    }
  return nullptr;
}

HMENU CreatePopupMenu() { return HandleOf(NewMenu("")->id); }
HMENU CreatePopupMenuEx(const char* title) { return HandleOf(NewMenu(title ? ConvertTitle(title) : "")->id); }

BOOL DestroyMenu(HMENU menu)
{
  WINL_MenuRec* m = WINL_FindMenu(menu);
  if (!m) return FALSE;
  // A menu still attached to an item leaves that item first.
  if (WINL_MenuRec* owner = WINL_FindMenu(m->owner))
    for (WINL_MenuItem& item : owner->items)
      if (item.submenu == m->id) item.submenu = 0;
  WINL_MenuNativeDestroyed(m->id);
  FreeMenu(m->id);
  return TRUE;
}

HMENU WINL_DuplicateMenu(HMENU menu)
{
  const WINL_MenuRec* m = WINL_FindMenu(menu);
  return m ? HandleOf(Duplicate(m)) : nullptr;
}

// ---- editing ----

BOOL InsertMenuItem(HMENU menu, UINT item, BOOL byPosition, const MENUITEMINFO* info)
{
  WINL_MenuRec* m = WINL_FindMenu(menu);
  if (!m || !info) return FALSE;
  int index = -1;
  if (byPosition)
    index = static_cast<int>(item);
  else
    for (size_t i = 0; i < m->items.size(); ++i)
      if (m->items[i].id == item) index = static_cast<int>(i);
  if (index < 0 || index > static_cast<int>(m->items.size())) index = static_cast<int>(m->items.size());
  WINL_MenuRec* sub = (info->fMask & MIIM_SUBMENU) ? WINL_FindMenu(info->hSubMenu) : nullptr;
  if ((info->fMask & MIIM_SUBMENU) && info->hSubMenu && !CanAttach(m, sub)) return FALSE;
  WINL_MenuItem it;
  if (info->fType == MFT_BITMAP)
  {
    it.bitmap = true;
    // The item shows the bitmap's picture as it is now.
    BASE_MutexLock lock(WINL_GDILock());
    if (const HGDIOBJ__* b = WINL_LiveObject(reinterpret_cast<HGDIOBJ>(info->dwTypeData), WINL_OBJ_BITMAP))
      it.image = b->image;
  }
  else if ((info->fType & ~MFT_RADIOCHECK) != MFT_STRING)
    it.separator = true;
  else
  {
    it.title = ConvertTitle(info->dwTypeData);
    it.radio = (info->fType & MFT_RADIOCHECK) != 0;
  }
  if (sub)
  {
    sub->title = it.title;
    sub->owner = m->id;
    it.submenu = sub->id;
    if (m->destination) WINL_SetMenuDestination(info->hSubMenu, WINL_Handle(WINL_Find(m->destination)));
  }
  if (info->fMask & MIIM_STATE)
  {
    it.enabled = !(info->fState & MFS_GRAYED);
    it.checked = (info->fState & MFS_CHECKED) != 0;
  }
  if (info->fMask & MIIM_DATA) it.data = info->dwItemData;
  if (info->fMask & MIIM_ID) it.id = info->wID;
  m->items.insert(m->items.begin() + index, it);
  Changed(m);
  return TRUE;
}

BOOL WINL_InsertMenu(HMENU menu, UINT position, UINT flags, UINT_PTR idOrSubmenu, const char* text)
{
  MENUITEMINFO info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_ID | MIIM_STATE | MIIM_TYPE;
  info.fState = flags & ~(MF_BYPOSITION | MF_POPUP | MF_SEPARATOR | MF_BITMAP);
  info.dwTypeData = const_cast<char*>(text);
  if (flags & MF_POPUP)
  {
    info.fMask |= MIIM_SUBMENU;
    info.hSubMenu = reinterpret_cast<HMENU>(idOrSubmenu);
  }
  else
    info.wID = static_cast<UINT>(idOrSubmenu);
  if (flags & MF_SEPARATOR)
  {
    info.fMask = MIIM_TYPE;
    info.fType = MFT_SEPARATOR;
  }
  else if (flags & MF_BITMAP)
    info.fType = MFT_BITMAP;
  return InsertMenuItem(menu, position, (flags & MF_BYPOSITION) != 0, &info);
}

int AddMenuItem(HMENU menu, int position, const char* text, int id)
{
  WINL_MenuRec* m = WINL_FindMenu(menu);
  if (!m) return -1;
  WINL_MenuItem it;
  it.title = text ? text : "";
  it.id = static_cast<UINT>(id);
  const int n = static_cast<int>(m->items.size());
  m->items.insert(m->items.begin() + (position < 0 || position > n ? n : position), it);
  Changed(m);
  return 0;
}

BOOL DeleteMenu(HMENU menu, UINT item, UINT flags)
{
  Found f = FindItem(menu, item, (flags & MF_BYPOSITION) != 0);
  if (!f.menu) return FALSE;
  WINL_MenuRec* holder = f.menu;
  const uint64_t sub = f.item()->submenu;
  Detach(*f.item());
  holder->items.erase(holder->items.begin() + f.index);
  if (sub)
  {
    WINL_MenuNativeDestroyed(sub);
    FreeMenu(sub);
  }
  Changed(holder);
  return TRUE;
}

BOOL SetMenuItemText(HMENU menu, UINT item, UINT flags, const char* text)
{
  Found f = FindItem(menu, item, (flags & MF_BYPOSITION) != 0);
  if (!f.menu) return FALSE;
  f.item()->title = ConvertTitle(text);
  if (WINL_MenuRec* sub = WINL_FindMenu(f.item()->submenu)) sub->title = f.item()->title;
  Changed(f.menu);
  return TRUE;
}

BOOL EnableMenuItem(HMENU menu, UINT item, UINT flags)
{
  Found f = FindItem(menu, item, (flags & MF_BYPOSITION) != 0);
  if (!f.menu) return FALSE;
  f.item()->enabled = !(flags & (MF_GRAYED | MF_DISABLED));
  Changed(f.menu);
  return TRUE;
}

BOOL CheckMenuItem(HMENU menu, UINT item, UINT flags)
{
  Found f = FindItem(menu, item, (flags & MF_BYPOSITION) != 0);
  if (!f.menu) return FALSE;
  f.item()->checked = (flags & MF_CHECKED) != 0;
  Changed(f.menu);
  return TRUE;
}

BOOL CheckMenuRadioItem(HMENU menu, UINT first, UINT last, UINT check, UINT flags)
{
  // Command ids are 16 bits: a wider range is a mistake, not a group.
  if (first > last || last - first > 0xFFFF) return FALSE;
  const bool byPosition = (flags & MF_BYPOSITION) != 0;
  // Each holder is told once, after all its items changed.
  std::vector<WINL_MenuRec*> holders;
  for (UINT item = first;; ++item)
  {
    Found f = FindItem(menu, item, byPosition);
    if (f.menu && !f.item()->separator && !f.item()->submenu)
    {
      f.item()->radio = true;
      f.item()->checked = item == check;
      if (std::find(holders.begin(), holders.end(), f.menu) == holders.end()) holders.push_back(f.menu);
    }
    if (item == last) break;  // last may be the largest number there is
  }
  for (WINL_MenuRec* m : holders) Changed(m);
  return holders.empty() ? FALSE : TRUE;
}

BOOL SetMenuItemInfo(HMENU menu, UINT item, BOOL byPosition, const MENUITEMINFO* info)
{
  Found f = FindItem(menu, item, byPosition != FALSE);
  if (!f.menu || !info) return FALSE;
  WINL_MenuItem* it = f.item();
  if ((info->fMask & MIIM_TYPE) && (info->fType & ~MFT_RADIOCHECK) == MFT_STRING)
  {
    it->radio = (info->fType & MFT_RADIOCHECK) != 0;
    if (info->dwTypeData)
    {
      it->title = ConvertTitle(info->dwTypeData);
      if (WINL_MenuRec* sub = WINL_FindMenu(it->submenu)) sub->title = it->title;
    }
  }
  if ((info->fMask & MIIM_SUBMENU) && IdOf(info->hSubMenu) != it->submenu)
  {
    WINL_MenuRec* sub = WINL_FindMenu(info->hSubMenu);
    if (info->hSubMenu && !CanAttach(f.menu, sub)) return FALSE;
    // The previous submenu goes back to whoever holds its handle.
    Detach(*it);
    if (sub)
    {
      sub->owner = f.menu->id;
      sub->title = it->title;
      it->submenu = sub->id;
    }
  }
  if (info->fMask & MIIM_STATE)
  {
    it->checked = (info->fState & MFS_CHECKED) != 0;
    it->enabled = !(info->fState & MFS_GRAYED);
  }
  if (info->fMask & MIIM_ID) it->id = info->wID;
  if (info->fMask & MIIM_DATA) it->data = info->dwItemData;
  Changed(f.menu);
  return TRUE;
}

BOOL GetMenuItemInfo(HMENU menu, UINT item, BOOL byPosition, MENUITEMINFO* info)
{
  Found f = FindItem(menu, item, byPosition != FALSE);
  if (!f.menu || !info) return FALSE;
  const WINL_MenuItem* it = f.item();
  if (info->fMask & MIIM_TYPE)
  {
    info->fType = it->separator ? MFT_SEPARATOR : (it->radio ? MFT_STRING | MFT_RADIOCHECK : MFT_STRING);
    if (!it->separator && info->dwTypeData && info->cch > 0)
    {
      const size_t n = std::min<size_t>(it->title.size(), info->cch - 1);
      std::memcpy(info->dwTypeData, it->title.data(), n);
      info->dwTypeData[n] = 0;
    }
  }
  if (info->fMask & MIIM_DATA) info->dwItemData = it->data;
  if (info->fMask & MIIM_STATE) info->fState = (it->checked ? MFS_CHECKED : 0) | (it->enabled ? 0 : MFS_GRAYED);
  if (info->fMask & MIIM_ID) info->wID = it->id;
  if (info->fMask & MIIM_SUBMENU) info->hSubMenu = it->submenu ? HandleOf(it->submenu) : nullptr;
  return TRUE;
}

HMENU GetSubMenu(HMENU menu, int position)
{
  const WINL_MenuRec* m = WINL_FindMenu(menu);
  if (!m || position < 0 || position >= static_cast<int>(m->items.size())) return nullptr;
  const uint64_t sub = m->items[static_cast<size_t>(position)].submenu;
  return sub ? HandleOf(sub) : nullptr;
}

int GetMenuItemCount(HMENU menu)
{
  const WINL_MenuRec* m = WINL_FindMenu(menu);
  return m ? static_cast<int>(m->items.size()) : 0;
}

int GetMenuItemID(HMENU menu, int position)
{
  const WINL_MenuRec* m = WINL_FindMenu(menu);
  if (!m || position < 0 || position >= static_cast<int>(m->items.size())) return 0;
  const WINL_MenuItem& it = m->items[static_cast<size_t>(position)];
  if (it.submenu) return -1;
  return it.separator ? 0 : static_cast<int>(it.id);
}

// ---- key equivalents ----

namespace
{
constexpr int kVirtKey = WINL_KEYF_VIRTKEY;
constexpr int kShift = WINL_KEYF_SHIFT;
constexpr int kCommand = WINL_KEYF_COMMAND;
constexpr int kOption = WINL_KEYF_OPTION;
constexpr int kControl = WINL_KEYF_CONTROL;

// The layer's virtual key of each navigation key that may be an equivalent.
bool IsNavigationKey(int key)
{
  switch (key)
  {
    case 8:
    case 33:
    case 34:
    case 35:
    case 36:
    case 37:
    case 38:
    case 39:
    case 40:
    case 45:
    case 46: return true;
    default: return false;
  }
}
}  // namespace

BOOL SetMenuItemModifier(HMENU menu, UINT item, UINT flags, int key, int modifiers)
{
  Found f = FindItem(menu, item, (flags & MF_BYPOSITION) != 0);
  if (!f.menu) return FALSE;
  WINL_MenuItem* it = f.item();
  const bool shift = (modifiers & kShift) != 0;
  int vk = 0;
  // Lower-case letters are not keys: their codes are those of F1 to F12.
  if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9'))
    vk = key;
  else if (!(modifiers & kVirtKey) && key > 0 && std::strchr("!\"',./?[\\]|", key))
    vk = key;
  // The function and navigation keys are keys with or without the
  // virtual-key bit (a punctuation character without it is taken first).
  else if (key >= 112 && key <= 135)
    vk = key;
  else if (IsNavigationKey(key))
    vk = key;
  else if (key == 109)
    vk = '-';
  it->accelKey = vk;
  unsigned mods = 0;
  if (vk)
  {
    // Command is the Ctrl key here, and the menu's Control the Super key is
    // not offered: both become Ctrl. Option is Alt.
    if (modifiers & (kCommand | kControl)) mods |= PLAT_MOD_CONTROL;
    if (modifiers & kOption) mods |= PLAT_MOD_ALT;
    // A letter's Shift is its upper-case character, which the toolkit reads
    // as Shift with the letter.
    if (shift) mods |= PLAT_MOD_SHIFT;
  }
  it->accelMods = mods;
  Changed(f.menu);
  return TRUE;
}

bool WINL_GetMenuItemAccel(HMENU menu, UINT item, UINT flags, int* virtualKey, unsigned* mods)
{
  Found f = FindItem(menu, item, (flags & MF_BYPOSITION) != 0);
  if (!f.menu || !f.item()->accelKey) return false;
  if (virtualKey) *virtualKey = f.item()->accelKey;
  if (mods) *mods = f.item()->accelMods;
  return true;
}

// ---- windows and the application ----

namespace
{
uint64_t gCurrentMenu = 0;
uint64_t gShownAppMenu = 0;  // WINL_SetCurrentMenu's, shown in a window's bar but not the window's to free
uint64_t gModalMenu = 0;
uint64_t gWindowMenu = 0;

// Empty until the application sets its own: the layer knows no commands.
HMENU MakeDefaultMainMenu() { return CreatePopupMenu(); }
}  // namespace

void WINL_SetMenuDestination(HMENU menu, HWND target)
{
  WINL_MenuRec* m = WINL_FindMenu(menu);
  if (!m) return;
  WINL_Wnd* w = target ? WINL_Live(target) : nullptr;
  if (target && !w) return;
  m->destination = w ? w->id : 0;
  for (const WINL_MenuItem& item : m->items)
    if (item.submenu) WINL_SetMenuDestination(HandleOf(item.submenu), target);
}

BOOL SetMenu(HWND hwnd, HMENU menu)
{
  WINL_Wnd* w = WINL_Live(hwnd);
  if (!w || WINL_IsQuitting()) return FALSE;
  if (menu && !WINL_FindMenu(menu)) return FALSE;
  WINL_MenuNativeSetBar(w, menu ? IdOf(menu) : 0);
  // The active window's menu is the application's: a new one becomes it at
  // once, and its window fills it in first.
  WINL_Wnd* content = WINL_ContentOf(w);
  if (content && content == WINL_KeyWindow() && gCurrentMenu != IdOf(menu))
  {
    gCurrentMenu = IdOf(menu);
    if (menu) WINL_Dispatch(w, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), 0);
  }
  return TRUE;
}

void WINL_ChooseMenuOnActivation(WINL_Wnd* content)
{
  uint64_t menu = WINL_MenuNativeBarOf(content);
  if (!WINL_FindMenu(menu))
  {
    menu = 0;
    if (content->frame && content->frame->dialogBox && WINL_FindMenu(gModalMenu)) menu = gModalMenu;
    else if (WINL_FindMenu(gWindowMenu)) menu = gWindowMenu;
  }
  if (menu && menu != gCurrentMenu) gCurrentMenu = menu;
}

void WINL_ReleaseWindowMenu(WINL_Wnd* content)
{
  const uint64_t menu = WINL_MenuNativeBarOf(content);
  if (!menu) return;
  WINL_MenuNativeSetBar(content, 0);
  // The application's menu outlives the window that showed it.
  if (menu == gShownAppMenu) return;
  if (gCurrentMenu == menu && !WINL_IsQuitting()) gCurrentMenu = 0;
  DestroyMenu(HandleOf(menu));
}

HMENU GetMenu(HWND hwnd)
{
  WINL_Wnd* w = WINL_Live(hwnd);
  if (!w) return nullptr;
  const uint64_t id = WINL_MenuNativeBarOf(w);
  return WINL_FindMenu(id) ? HandleOf(id) : nullptr;
}

BOOL DrawMenuBar(HWND) { return TRUE; }

HMENU WINL_GetCurrentMenu()
{
  if (!WINL_FindMenu(gCurrentMenu)) gCurrentMenu = IdOf(MakeDefaultMainMenu());
  return HandleOf(gCurrentMenu);
}
void WINL_SetCurrentMenu(HMENU menu)
{
  if (!WINL_FindMenu(menu)) return;
  gCurrentMenu = IdOf(menu);
  gShownAppMenu = gCurrentMenu;
  // A window's menu bar is its own: the application's menu shows in the
  // active window's bar, else in the front shown window's.
  WINL_Wnd* shower = WINL_KeyWindow();
  for (uint64_t id : WINL_TopLevels())
  {
    if (shower) break;
    WINL_Wnd* w = WINL_Live(id);
    if (w && w->frame && w->frame->visible) shower = w;
  }
  if (shower && WINL_MenuNativeBarOf(shower) != gCurrentMenu) WINL_MenuNativeSetBar(shower, gCurrentMenu);
}

HMENU WINL_BeginModalPanelMenu()
{
  const HMENU copy = WINL_FindMenu(gModalMenu) ? WINL_DuplicateMenu(HandleOf(gModalMenu)) : nullptr;
  if (copy) gCurrentMenu = IdOf(copy);
  return copy;
}

void WINL_EndModalPanelMenu(HMENU copy)
{
  const HMENU focused = GetMenu(GetFocus());
  gCurrentMenu = focused ? IdOf(focused) : 0;
  if (copy) DestroyMenu(copy);
}

void WINL_SetDefaultModalWindowMenu(HMENU menu) { gModalMenu = IdOf(menu); }
HMENU WINL_GetDefaultModalWindowMenu() { return WINL_FindMenu(gModalMenu) ? HandleOf(gModalMenu) : nullptr; }
void WINL_SetDefaultWindowMenu(HMENU menu) { gWindowMenu = IdOf(menu); }
HMENU WINL_GetDefaultWindowMenu() { return WINL_FindMenu(gWindowMenu) ? HandleOf(gWindowMenu) : nullptr; }

// ---- popups ----

namespace
{
std::deque<int>& PopupAnswers()
{
  static auto* answers = new std::deque<int>;
  return *answers;
}
}  // namespace

void WINL_MenuOpened(uint64_t menuId)
{
  WINL_MenuRec* m = WINL_FindMenu(menuId);
  if (!m || !m->destination || m->noNotify) return;
  WINL_Send(m->destination, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(HandleOf(menuId)), 0);
}

int TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int, HWND hwnd, const RECT*)
{
  WINL_MenuRec* m = WINL_FindMenu(menu);
  if (!m) return 0;
  WINL_Wnd* w = hwnd ? WINL_Live(hwnd) : WINL_KeyWindow();
  if (hwnd && !w) return 0;
  const bool notify = !(flags & TPM_NONOTIFY) && w;
  const uint64_t target = w ? w->id : 0;
  // The popup reports to its own receiver while it runs; the menu's
  // destination is cleared afterwards, as when it closes.
  WINL_SetMenuDestination(menu, notify ? WINL_Handle(w) : nullptr);
  if (notify) WINL_Send(target, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), 0);
  int chosen = 0;
  if (!PopupAnswers().empty())
  {
    chosen = PopupAnswers().front();
    PopupAnswers().pop_front();
  }
  else if (WINL_FindMenu(menu))
  {
    m = WINL_FindMenu(menu);
    m->noNotify = !notify;
    chosen = WINL_MenuNativePopup(m->id, w, x, y);
  }
  if (WINL_MenuRec* still = WINL_FindMenu(menu))
  {
    still->noNotify = false;
    WINL_SetMenuDestination(menu, nullptr);
  }
  if (!chosen) return 0;
  if (flags & TPM_RETURNCMD) return chosen;
  if (w) WINL_Send(target, WM_COMMAND, static_cast<WPARAM>(chosen), 0);
  return 1;
}

void WINL_TestQueuePopupAnswer(int command) { PopupAnswers().push_back(command); }

bool WINL_TestMenuItemTitle(HMENU menu, int position, char* buffer, int size)
{
  const WINL_MenuRec* m = WINL_FindMenu(menu);
  if (!m || position < 0 || position >= static_cast<int>(m->items.size()) || size < 1) return false;
  const std::string& t = m->items[static_cast<size_t>(position)].title;
  const size_t n = std::min<size_t>(t.size(), static_cast<size_t>(size - 1));
  std::memcpy(buffer, t.data(), n);
  buffer[n] = 0;
  return true;
}

int WINL_GetMenuRecordCount() { return static_cast<int>(Menus().size()); }
