#include "winl/WINL_TreeView.h"

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
  SetWindowPos(hwnd, nullptr, x, y, w, h, SWP_NOZORDER);
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
  return TRUE;
}

BOOL TreeView_DeleteAllItems(HWND hwnd)
{
  Tree* t = Find(hwnd);
  if (!t) return FALSE;
  t->nodes.clear();
  t->top.clear();
  t->selected = 0;
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
  const Key old = t->selected;
  const Key now = KeyOf(item);
  if (old == now) return TRUE;
  NMTREEVIEW nm{};
  Describe(t, old, &nm.itemOld);
  t->selected = now;
  Describe(t, now, &nm.itemNew);
  // The parent may delete the tree while it hears of the change: nothing of
  // the record is used after this.
  WINL_Wnd* w = WINL_Live(hwnd);
  if (w && w->parent)
  {
    nm.hdr = {hwnd, static_cast<UINT_PTR>(w->tag), TVN_SELCHANGED};
    WINL_Send(w->parent, WM_NOTIFY, static_cast<WPARAM>(w->tag), reinterpret_cast<LPARAM>(&nm));
  }
  return TRUE;
}

BOOL TreeView_Expand(HWND hwnd, HTREEITEM item, UINT action)
{
  Node* n = NodeOf(Find(hwnd), item);
  if (!n) return FALSE;
  n->expanded = !((action & TVE_COLLAPSE) && n->expanded);
  return TRUE;
}
