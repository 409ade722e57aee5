#include "winl/WINL_TreeView.h"

#include "platform/gtk/PLAT_GtkList.h"
#include "platform/gtk/PLAT_GtkTree.h"
#include "winl/WINL_ListView.h"
#include "winl/WINL_WndPrivate.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace
{
using Key = uintptr_t;

struct Node
{
  Key parent = 0;  // 0: the top level
  std::vector<Key> children;
  std::string text;
  LPARAM param = 0;
  bool hasChildren = false;
  bool expanded = false;
};

struct Tree
{
  LONG_PTR style = 0;
  std::map<Key, Node> nodes;
  std::vector<Key> top;
  Key selected = 0;
  PLAT_ListColors colors;
};

// Handles are counted up from 1 across all trees, so a handle never names
// a second item, in this tree or another, after its item is gone.
Key gNextKey = 1;

std::map<uint64_t, std::unique_ptr<Tree>>& Trees()
{
  static auto* trees = new std::map<uint64_t, std::unique_ptr<Tree>>;
  return *trees;
}

Tree* Find(HWND hwnd)
{
  WINL_Wnd* w = WINL_Live(hwnd);
  auto it = w ? Trees().find(w->id) : Trees().end();
  if (it != Trees().end()) return it->second.get();
  if (!w && hwnd) Trees().erase(static_cast<uint64_t>(reinterpret_cast<uintptr_t>(hwnd)));
  return nullptr;
}

Key KeyOf(HTREEITEM item) { return reinterpret_cast<Key>(item); }
HTREEITEM HandleOf(Key key) { return reinterpret_cast<HTREEITEM>(key); }

bool Special(HTREEITEM item)
{
  return item == TVI_ROOT || item == TVI_FIRST || item == TVI_LAST || item == TVI_SORT;
}

// The item's node when it is one of this tree's live items; the handle is
// never followed, only looked up.
Node* NodeOf(Tree* t, HTREEITEM item)
{
  if (!t || !item || Special(item)) return nullptr;
  auto it = t->nodes.find(KeyOf(item));
  return it == t->nodes.end() ? nullptr : &it->second;
}

std::vector<Key>& SiblingsOf(Tree* t, Key parent) { return parent ? t->nodes[parent].children : t->top; }

void Forget(Tree* t, Key key)
{
  auto it = t->nodes.find(key);
  if (it == t->nodes.end()) return;
  const std::vector<Key> children = it->second.children;
  for (Key c : children) Forget(t, c);
  if (t->selected == key) t->selected = 0;
  t->nodes.erase(key);
}

void Copy(const std::string& text, char* buffer, int size)
{
  if (!buffer || size <= 0) return;
  const size_t n = std::min(text.size(), static_cast<size_t>(size - 1));
  std::memcpy(buffer, text.data(), n);
  buffer[n] = 0;
}

void Describe(const Tree* t, Key key, TVITEM* out)
{
  *out = {};
  out->mask = TVIF_HANDLE | TVIF_PARAM | TVIF_STATE;
  out->hItem = HandleOf(key);
  auto it = t->nodes.find(key);
  if (it == t->nodes.end()) return;
  out->lParam = it->second.param;
  out->state = (t->selected == key ? TVIS_SELECTED : 0) | (it->second.expanded ? TVIS_EXPANDED : 0);
}

HWND WindowOf(uint64_t id) { return reinterpret_cast<HWND>(static_cast<uintptr_t>(id)); }

// The outline on screen shows the record: after every change the items are
// read again, with the expanded ones opened, parents first.
void Mirror(HWND hwnd)
{
  WINL_Wnd* w = WINL_Live(hwnd);
  Tree* t = Find(hwnd);
  if (!w || !t || !w->native) return;
  std::vector<Key> expanded;
  std::vector<Key> pending(t->top.rbegin(), t->top.rend());
  while (!pending.empty())
  {
    const Key key = pending.back();
    pending.pop_back();
    auto it = t->nodes.find(key);
    if (it == t->nodes.end() || !it->second.expanded) continue;
    expanded.push_back(key);
    pending.insert(pending.end(), it->second.children.rbegin(), it->second.children.rend());
  }
  PLAT_TreeReload(w->native.get(), std::vector<uint64_t>(expanded.begin(), expanded.end()), t->selected);
}

void SendNotify(HWND hwnd, NMHDR* hdr, int code)
{
  WINL_Wnd* w = WINL_Live(hwnd);
  if (!w || !w->parent) return;
  *hdr = {hwnd, static_cast<UINT_PTR>(w->tag), code};
  WINL_Send(w->parent, WM_NOTIFY, static_cast<WPARAM>(w->tag), reinterpret_cast<LPARAM>(hdr));
}

// Selects now (0: nothing) and tells the parent when that changes the
// selection. The parent may delete the tree while it hears of it: nothing
// of the record is used after.
void ChangeSelection(HWND hwnd, Tree* t, Key now)
{
  const Key old = t->selected;
  if (old == now) return;
  NMTREEVIEW nm{};
  Describe(t, old, &nm.itemOld);
  t->selected = now;
  Describe(t, now, &nm.itemNew);
  SendNotify(hwnd, &nm.hdr, TVN_SELCHANGED);
}

// What the outline asks of the records and tells them of the user.
class OutlineSource final : public PLAT_TreeSource
{
public:
  int TreeChildCount(uint64_t tree, uint64_t item) override
  {
    const std::vector<Key>* kids = Children(tree, item);
    return kids ? static_cast<int>(kids->size()) : 0;
  }
  uint64_t TreeChild(uint64_t tree, uint64_t item, int index) override
  {
    const std::vector<Key>* kids = Children(tree, item);
    return kids && index >= 0 && index < static_cast<int>(kids->size()) ? (*kids)[static_cast<size_t>(index)] : 0;
  }
  bool TreePlace(uint64_t tree, uint64_t item, uint64_t* parent, int* index) override
  {
    Tree* t = Find(WindowOf(tree));
    const Node* n = NodeOf(t, HandleOf(static_cast<Key>(item)));
    if (!n) return false;
    const std::vector<Key>& siblings = SiblingsOf(t, n->parent);
    *parent = n->parent;
    *index = static_cast<int>(std::find(siblings.begin(), siblings.end(), item) - siblings.begin());
    return true;
  }
  bool TreeCanOpen(uint64_t tree, uint64_t item) override
  {
    const Node* n = NodeOf(Find(WindowOf(tree)), HandleOf(static_cast<Key>(item)));
    return n && n->hasChildren;
  }
  std::string TreeText(uint64_t tree, uint64_t item) override
  {
    const Node* n = NodeOf(Find(WindowOf(tree)), HandleOf(static_cast<Key>(item)));
    return n ? n->text : std::string();
  }
  void OnTreeEvent(uint64_t tree, PLAT_TreeEvent event, uint64_t item) override
  {
    const HWND hwnd = WindowOf(tree);
    Tree* t = Find(hwnd);
    if (!t) return;
    Node* n = NodeOf(t, HandleOf(static_cast<Key>(item)));
    NMHDR hdr{};
    switch (event)
    {
      case PLAT_TreeEvent::Click: SendNotify(hwnd, &hdr, NM_CLICK); break;
      case PLAT_TreeEvent::RightClick: SendNotify(hwnd, &hdr, NM_RCLICK); break;
      case PLAT_TreeEvent::Selected:
        if (n || !item) ChangeSelection(hwnd, t, static_cast<Key>(item));
        break;
      case PLAT_TreeEvent::Expanded:
      case PLAT_TreeEvent::Collapsed:
        if (n) n->expanded = event == PLAT_TreeEvent::Expanded;
        break;
      case PLAT_TreeEvent::FocusIn:
        if (WINL_Wnd* w = WINL_Live(hwnd)) WINL_TookFocus(w);
        break;
    }
  }

private:
  static const std::vector<Key>* Children(uint64_t tree, uint64_t item)
  {
    Tree* t = Find(WindowOf(tree));
    if (!t) return nullptr;
    if (!item) return &t->top;
    const Node* n = NodeOf(t, HandleOf(static_cast<Key>(item)));
    return n ? &n->children : nullptr;
  }
};

LRESULT TreeViewProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
  if (msg == WM_DESTROY)
  {
    if (WINL_Wnd* w = WINL_Find(hwnd)) Trees().erase(w->id);
    return 0;
  }
  return DefWindowProc(hwnd, msg, wParam, lParam);
}
}  // namespace

HWND WINL_CreateTreeView(HWND parent, int id, LONG_PTR style, int x, int y, int w, int h)
{
  if (!WINL_Live(parent)) return nullptr;
  HWND hwnd = WINL_CreateView(parent, TreeViewProc, 0);
  WINL_Wnd* rec = WINL_Live(hwnd);
  if (!rec) return nullptr;
  rec->tag = id;
  rec->className = "SysTreeView32";
  auto t = std::make_unique<Tree>();
  t->style = style;
  Trees()[rec->id] = std::move(t);
  // The outline takes the place of the plain view the window was made with.
  if (rec->native)
    if (auto outline = PLAT_TreeCreate(rec->id))
    {
      static OutlineSource source;
      PLAT_TreeSetSource(&source);
      WINL_Wnd* p = WINL_Live(parent);
      WINL_LinkView(rec, nullptr);
      rec->native = std::move(outline);
      WINL_LinkView(rec, p);
    }
  SetWindowPos(hwnd, nullptr, x, y, w, h, SWP_NOZORDER);
  if (!(style & WINL_STYLE_HIDDEN)) ShowWindow(hwnd, SW_SHOW);
  return hwnd;
}

BOOL WINL_IsTreeView(HWND hwnd) { return Find(hwnd) != nullptr; }

HTREEITEM TreeView_InsertItem(HWND hwnd, const TVINSERTSTRUCT* insert)
{
  Tree* t = Find(hwnd);
  if (!t || !insert) return nullptr;
  Key parent = 0;
  if (insert->hParent && !Special(insert->hParent))
  {
    if (!NodeOf(t, insert->hParent)) return nullptr;
    parent = KeyOf(insert->hParent);
  }
  std::vector<Key>& siblings = SiblingsOf(t, parent);
  const HTREEITEM after = insert->hInsertAfter;
  size_t at = siblings.size();
  if (after == TVI_FIRST)
    at = 0;
  else if (after && after != TVI_LAST && after != TVI_SORT)
  {
    auto it = std::find(siblings.begin(), siblings.end(), KeyOf(after));
    at = it == siblings.end() ? 0 : static_cast<size_t>(it - siblings.begin()) + 1;
  }
  const Key key = gNextKey++;
  Node n;
  n.parent = parent;
  const TVITEM& item = insert->item;
  if ((item.mask & TVIF_TEXT) && item.pszText) n.text = item.pszText;
  if (item.mask & TVIF_PARAM) n.param = item.lParam;
  if (item.mask & TVIF_CHILDREN) n.hasChildren = item.cChildren != 0;
  siblings.insert(siblings.begin() + static_cast<std::ptrdiff_t>(at), key);
  t->nodes.emplace(key, std::move(n));
  Mirror(hwnd);
  return HandleOf(key);
}

BOOL TreeView_DeleteItem(HWND hwnd, HTREEITEM item)
{
  Tree* t = Find(hwnd);
  if (!t) return FALSE;
  if (item == TVI_ROOT) return TreeView_DeleteAllItems(hwnd);
  Node* n = NodeOf(t, item);
  if (!n) return FALSE;
  std::vector<Key>& siblings = SiblingsOf(t, n->parent);
  siblings.erase(std::find(siblings.begin(), siblings.end(), KeyOf(item)));
  Forget(t, KeyOf(item));
  Mirror(hwnd);
  return TRUE;
}

BOOL TreeView_DeleteAllItems(HWND hwnd)
{
  Tree* t = Find(hwnd);
  if (!t) return FALSE;
  t->nodes.clear();
  t->top.clear();
  t->selected = 0;
  Mirror(hwnd);
  return TRUE;
}

BOOL TreeView_GetItem(HWND hwnd, TVITEM* item)
{
  Tree* t = Find(hwnd);
  const Node* n = item ? NodeOf(t, item->hItem) : nullptr;
  if (!n) return FALSE;
  if (item->mask & TVIF_TEXT) Copy(n->text, item->pszText, item->cchTextMax);
  if (item->mask & TVIF_PARAM) item->lParam = n->param;
  if (item->mask & TVIF_CHILDREN) item->cChildren = n->hasChildren ? 1 : 0;
  if (item->mask & TVIF_STATE)
  {
    const UINT state = (t->selected == KeyOf(item->hItem) ? TVIS_SELECTED : 0) | (n->expanded ? TVIS_EXPANDED : 0);
    item->state = state & (item->stateMask ? item->stateMask : ~0u);
  }
  return TRUE;
}

BOOL TreeView_SetItem(HWND hwnd, const TVITEM* item)
{
  Node* n = item ? NodeOf(Find(hwnd), item->hItem) : nullptr;
  if (!n) return FALSE;
  if (item->mask & TVIF_TEXT) n->text = item->pszText ? item->pszText : "";
  if (item->mask & TVIF_PARAM) n->param = item->lParam;
  if (item->mask & TVIF_CHILDREN) n->hasChildren = item->cChildren != 0;
  if ((item->mask & TVIF_STATE) && (item->stateMask & TVIS_EXPANDED))
    n->expanded = (item->state & TVIS_EXPANDED) != 0;
  if ((item->mask & TVIF_STATE) && (item->stateMask & TVIS_SELECTED))
  {
    // Selected alone, or out of the selection, as TreeView_SelectItem would.
    Tree* t = Find(hwnd);
    const uint64_t key = KeyOf(item->hItem);
    const bool on = (item->state & TVIS_SELECTED) != 0;
    if (on && t->selected != key)
      ChangeSelection(hwnd, t, key);
    else if (!on && t->selected == key)
      ChangeSelection(hwnd, t, 0);
    if (!NodeOf(Find(hwnd), item->hItem)) return TRUE;
  }
  Mirror(hwnd);
  return TRUE;
}

HTREEITEM TreeView_GetRoot(HWND hwnd)
{
  Tree* t = Find(hwnd);
  return t && !t->top.empty() ? HandleOf(t->top.front()) : nullptr;
}

HTREEITEM TreeView_GetChild(HWND hwnd, HTREEITEM item)
{
  Tree* t = Find(hwnd);
  if (t && (!item || item == TVI_ROOT)) return TreeView_GetRoot(hwnd);
  const Node* n = NodeOf(t, item);
  return n && !n->children.empty() ? HandleOf(n->children.front()) : nullptr;
}

HTREEITEM TreeView_GetNextSibling(HWND hwnd, HTREEITEM item)
{
  Tree* t = Find(hwnd);
  const Node* n = NodeOf(t, item);
  if (!n) return nullptr;
  const std::vector<Key>& siblings = SiblingsOf(t, n->parent);
  auto it = std::find(siblings.begin(), siblings.end(), KeyOf(item));
  return it + 1 < siblings.end() ? HandleOf(*(it + 1)) : nullptr;
}

HTREEITEM TreeView_GetSelection(HWND hwnd)
{
  Tree* t = Find(hwnd);
  return t && t->selected ? HandleOf(t->selected) : nullptr;
}

BOOL TreeView_SelectItem(HWND hwnd, HTREEITEM item)
{
  Tree* t = Find(hwnd);
  if (!t || (item && !NodeOf(t, item))) return FALSE;
  if (t->selected == KeyOf(item)) return TRUE;
  ChangeSelection(hwnd, t, KeyOf(item));
  Mirror(hwnd);
  return TRUE;
}

BOOL TreeView_Expand(HWND hwnd, HTREEITEM item, UINT action)
{
  Node* n = NodeOf(Find(hwnd), item);
  if (!n) return FALSE;
  n->expanded = !((action & TVE_COLLAPSE) && n->expanded);
  Mirror(hwnd);
  return TRUE;
}

HTREEITEM TreeView_HitTest(HWND hwnd, TVHITTESTINFO* info)
{
  WINL_Wnd* w = WINL_Live(hwnd);
  Tree* t = Find(hwnd);
  if (!info) return nullptr;
  const uint64_t item = t && w->native ? PLAT_TreeItemAt(w->native.get(), info->pt.x, info->pt.y) : 0;
  info->hItem = NodeOf(t, HandleOf(static_cast<Key>(item))) ? HandleOf(static_cast<Key>(item)) : nullptr;
  info->flags = info->hItem ? TVHT_ONITEM : TVHT_NOWHERE;
  return info->hItem;
}

BOOL TreeView_SetIndent(HWND hwnd, int indent)
{
  WINL_Wnd* w = WINL_Live(hwnd);
  if (!Find(hwnd)) return FALSE;
  if (w->native) PLAT_TreeSetIndent(w->native.get(), indent);
  return TRUE;
}

namespace
{
int SetColor(HWND hwnd, int PLAT_ListColors::*field, int color)
{
  WINL_Wnd* w = WINL_Live(hwnd);
  Tree* t = Find(hwnd);
  if (!t) return -1;
  const int before = t->colors.*field;
  t->colors.*field = color < 0 ? -1 : color & 0xFFFFFF;
  if (w->native) PLAT_TreeSetColors(w->native.get(), t->colors);
  return before;
}
}  // namespace

int TreeView_SetBkColor(HWND hwnd, int color) { return SetColor(hwnd, &PLAT_ListColors::background, color); }
int TreeView_SetTextColor(HWND hwnd, int color) { return SetColor(hwnd, &PLAT_ListColors::text, color); }

BOOL WINL_TreeViewSetSelColors(HWND hwnd, int count, const int* colors)
{
  WINL_Wnd* w = WINL_Live(hwnd);
  Tree* t = Find(hwnd);
  if (!t || count < 0 || (count > 0 && !colors)) return FALSE;
  t->colors.selectedBackground = count > 0 ? colors[0] & 0xFFFFFF : -1;
  t->colors.selectedText = count > 1 ? colors[1] & 0xFFFFFF : -1;
  t->colors.unfocusedSelectedText = count > 3 ? colors[3] & 0xFFFFFF : -1;
  if (w->native) PLAT_TreeSetColors(w->native.get(), t->colors);
  return TRUE;
}
