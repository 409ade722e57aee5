// The records of list views and list boxes, the list-box messages, and what
// the table on screen asks of the records and tells them of the user.
#include "winl/WINL_ListView.h"

#include "platform/gtk/PLAT_GtkList.h"
#include "winl/WINL_TreeView.h"
#include "winl/WINL_WndPrivate.h"
#include "winl/draw/WINL_MemDC.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>

// ---- sections ----
// records, the list-box messages and the table's source · creating · rows ·
// columns (and header items) · images and colours · on screen

namespace
{
constexpr int kMaxColumns = PLAT_LIST_MAX_COLUMNS;
constexpr LONG_PTR LVS_REPORT = 1;
constexpr LONG_PTR LVS_NOCOLUMNHEADER = 0x4000;
constexpr LONG_PTR LBS_EXTENDEDSEL = 0x800;
constexpr UINT LBN_DBLCLK = 2;

struct Row
{
  std::vector<std::string> texts;  // column 0 first; missing columns are empty
  LPARAM param = 0;
  int stateImage = 0;
  bool selected = false;
  bool mark = false;  // while sorting: the current row
};

struct Column
{
  std::string title;
  int width = 0;   // pixels; 0 hides the column
  int format = 0;  // alignment in the low bits, HDF_SORTUP / HDF_SORTDOWN
};

struct ListView
{
  LONG_PTR style = 0;
  bool listBox = false;
  std::vector<Row> rows;
  int ownerCount = 0;  // owner-data lists keep only this
  int current = -1;    // the row the keyboard works on
  std::vector<Column> columns;
  std::vector<int> order;   // column indexes, left first
  DWORD extStyle = 0;
  int fastClickMask = 0;
  HIMAGELIST stateImages = nullptr;
  int stateImagesType = -1;
  PLAT_ListColors colors;
};

std::map<uint64_t, std::unique_ptr<ListView>>& Views()
{
  static auto* views = new std::map<uint64_t, std::unique_ptr<ListView>>;
  return *views;
}

// The record of a live list view; records of destroyed views go.
ListView* Find(HWND hwnd)
{
  WINL_Wnd* w = WINL_Live(hwnd);
  auto it = w ? Views().find(w->id) : Views().end();
  if (it != Views().end()) return it->second.get();
  if (!w && hwnd) Views().erase(static_cast<uint64_t>(reinterpret_cast<uintptr_t>(hwnd)));
  return nullptr;
}

bool OwnerData(const ListView* v) { return !v->listBox && (v->style & LVS_OWNERDATA); }
int Count(const ListView* v) { return OwnerData(v) ? v->ownerCount : static_cast<int>(v->rows.size()); }
bool InRows(const ListView* v, int row) { return row >= 0 && row < static_cast<int>(v->rows.size()); }

void Copy(const std::string& text, char* buffer, int size)
{
  if (!buffer || size <= 0) return;
  const size_t n = std::min(text.size(), static_cast<size_t>(size - 1));
  std::memcpy(buffer, text.data(), n);
  buffer[n] = 0;
}

LRESULT Notify(HWND hwnd, int code, NMHDR* hdr)
{
  WINL_Wnd* w = WINL_Live(hwnd);
  if (!w || !w->parent) return 0;
  hdr->hwndFrom = hwnd;
  hdr->idFrom = static_cast<UINT_PTR>(w->tag);
  hdr->code = code;
  return WINL_Send(w->parent, WM_NOTIFY, static_cast<WPARAM>(w->tag), reinterpret_cast<LPARAM>(hdr));
}

bool Single(const ListView* v)
{
  return v->listBox ? !(v->style & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL)) : (v->style & LVS_SINGLESEL) != 0;
}

HWND HandleOf(uint64_t id) { return reinterpret_cast<HWND>(static_cast<uintptr_t>(id)); }

std::vector<int> SelectedRows(const ListView* v)
{
  std::vector<int> rows;
  for (size_t i = 0; i < v->rows.size(); ++i)
    if (v->rows[i].selected) rows.push_back(static_cast<int>(i));
  return rows;
}

// The table on screen shows what the record holds: after every change the
// program makes, the count, the texts, the selection and, when asked, the
// columns are given to it again.
void Mirror(HWND hwnd, bool columns = false)
{
  WINL_Wnd* w = WINL_Live(hwnd);
  ListView* v = Find(hwnd);
  if (!w || !v || !w->native) return;
  PLAT_GtkView* list = w->native.get();
  if (columns)
  {
    const bool titles = !v->listBox && !(v->style & LVS_NOCOLUMNHEADER);
    const bool drawn = v->listBox && (v->style & LBS_OWNERDRAWFIXED);
    std::vector<PLAT_ListColumn> shown;
    for (int c : v->order)
    {
      const Column& col = v->columns[static_cast<size_t>(c)];
      const int sort = (col.format & HDF_SORTUP) ? 1 : (col.format & HDF_SORTDOWN) ? 2 : 0;
      shown.push_back({c, titles ? col.title : std::string(), col.width, col.format & 3, sort, drawn});
    }
    PLAT_ListSetStateImageWidth(list, v->stateImages ? WINL_ImageListWidth(v->stateImages) : 0);
    PLAT_ListSetColumns(list, shown);
  }
  PLAT_ListReload(list);
  PLAT_ListSetSelection(list, SelectedRows(v));
}

// The table on screen, or null without a display.
PLAT_GtkView* Table(HWND hwnd)
{
  WINL_Wnd* w = WINL_Live(hwnd);
  return w && Find(hwnd) ? w->native.get() : nullptr;
}

void Select(ListView* v, int row, bool on)
{
  const bool single = Single(v);
  if (on && single)
    for (Row& r : v->rows) r.selected = false;
  v->rows[static_cast<size_t>(row)].selected = on;
  if (on) v->current = row;
}

// Where a text goes in a sorted list: a halving search over column 0; an
// equal text stops the search at its row.
int SortedPlace(const ListView* v, const char* text, bool descending)
{
  int lo = 0, hi = static_cast<int>(v->rows.size());
  while (lo < hi)
  {
    const int mid = lo + (hi - lo) / 2;
    const int c = std::strcmp(text, v->rows[static_cast<size_t>(mid)].texts[0].c_str());
    if (c == 0) return mid;
    if ((c > 0) != descending)
      lo = mid + 1;
    else
      hi = mid;
  }
  return lo;
}

int Insert(ListView* v, int index, const char* text, bool sort)
{
  int pos = std::clamp(index, 0, static_cast<int>(v->rows.size()));
  if (sort && !v->listBox && (v->style & (LVS_SORTASCENDING | LVS_SORTDESCENDING)))
    pos = SortedPlace(v, text, (v->style & LVS_SORTDESCENDING) != 0);
  Row r;
  r.texts.push_back(text ? text : "");
  v->rows.insert(v->rows.begin() + pos, std::move(r));
  if (v->current >= pos) ++v->current;
  return pos;
}

void Erase(ListView* v, int row)
{
  v->rows.erase(v->rows.begin() + row);
  if (v->current == row)
    v->current = -1;
  else if (v->current > row)
    --v->current;
}

// Whether order holds each of 0..columns-1 once.
bool IsPermutation(const int* order, int count, int columns)
{
  if (count != columns) return false;
  std::vector<bool> seen(static_cast<size_t>(count), false);
  for (int i = 0; i < count; ++i)
  {
    if (order[i] < 0 || order[i] >= count || seen[static_cast<size_t>(order[i])]) return false;
    seen[static_cast<size_t>(order[i])] = true;
  }
  return true;
}

Column* ColumnOf(ListView* v, int column)
{
  if (!v || column < 0 || column >= static_cast<int>(v->columns.size())) return nullptr;
  return &v->columns[static_cast<size_t>(column)];
}

int SelectedCount(const ListView* v)
{
  return static_cast<int>(std::count_if(v->rows.begin(), v->rows.end(), [](const Row& r) { return r.selected; }));
}

void Destroyed(HWND hwnd) { Views().erase(static_cast<uint64_t>(reinterpret_cast<uintptr_t>(hwnd))); }

// The list-box messages over the rows, the item data in the row parameter.
LRESULT ListBoxMessage(HWND hwnd, ListView* v, UINT msg, WPARAM wParam, LPARAM lParam)
{
  const int index = static_cast<int>(wParam);
  const char* text = reinterpret_cast<const char*>(lParam);
  switch (msg)
  {
    case LB_ADDSTRING: return Insert(v, static_cast<int>(v->rows.size()), text, false);
    case LB_INSERTSTRING: return Insert(v, index < 0 ? static_cast<int>(v->rows.size()) : index, text, false);
    case LB_DELETESTRING:
      if (!InRows(v, index)) return LB_ERR;
      Erase(v, index);
      return static_cast<LRESULT>(v->rows.size());
    case LB_RESETCONTENT:
      v->rows.clear();
      v->current = -1;
      return 0;
    case LB_SETCURSEL:
      for (Row& r : v->rows) r.selected = false;
      v->current = -1;
      if (!InRows(v, index)) return LB_ERR;
      Select(v, index, true);
      return index;
    case LB_GETCURSEL: return v->current >= 0 && v->rows[static_cast<size_t>(v->current)].selected ? v->current : LB_ERR;
    case LB_SETSEL:
    {
      const int row = static_cast<int>(lParam);
      if (row == -1)
      {
        for (int i = 0; i < static_cast<int>(v->rows.size()); ++i) Select(v, i, wParam != 0);
        return 0;
      }
      if (!InRows(v, row)) return LB_ERR;
      Select(v, row, wParam != 0);
      return 0;
    }
    case LB_SELITEMRANGEEX:
    {
      if (Single(v)) return LB_ERR;
      const int first = static_cast<int>(wParam);
      const int last = static_cast<int>(lParam);
      const bool on = first <= last;
      const int from = std::max(std::min(first, last), 0);
      const int to = std::min(std::max(first, last), static_cast<int>(v->rows.size()) - 1);
      for (int i = from; i <= to; ++i) Select(v, i, on);
      return 0;
    }
    case LB_GETSEL: return InRows(v, index) ? v->rows[static_cast<size_t>(index)].selected : LB_ERR;
    case LB_GETSELCOUNT: return SelectedCount(v);
    case LB_GETCOUNT: return static_cast<LRESULT>(v->rows.size());
    case LB_GETTEXTLEN: return InRows(v, index) ? static_cast<LRESULT>(v->rows[static_cast<size_t>(index)].texts[0].size()) : LB_ERR;
    case LB_GETTEXT:
    {
      // The buffer holds at least LB_GETTEXTLEN's answer and a terminator.
      if (!InRows(v, index) || !lParam) return LB_ERR;
      const std::string& t = v->rows[static_cast<size_t>(index)].texts[0];
      std::memcpy(reinterpret_cast<char*>(lParam), t.c_str(), t.size() + 1);
      return static_cast<LRESULT>(t.size());
    }
    case LB_GETITEMDATA: return InRows(v, index) ? v->rows[static_cast<size_t>(index)].param : LB_ERR;
    case LB_SETITEMDATA:
      if (!InRows(v, index)) return LB_ERR;
      v->rows[static_cast<size_t>(index)].param = lParam;
      return 0;
    default: return DefWindowProc(hwnd, msg, wParam, lParam);
  }
}

void ListBoxCommand(HWND hwnd, UINT code)
{
  WINL_Wnd* w = WINL_Live(hwnd);
  if (w && w->parent)
    WINL_Send(w->parent, WM_COMMAND, MAKEWPARAM(static_cast<unsigned>(w->tag), code), reinterpret_cast<LPARAM>(hwnd));
}

// The user picked rows in the table: the record takes the table's
// selection, then the parent hears of each row that changed (a list box:
// once). A handler may delete rows or the view, so both are looked up again
// after every notification.
void TakeSelection(HWND hwnd, ListView* v, const std::vector<int>& picked)
{
  std::vector<bool> on(v->rows.size(), false);
  for (int row : picked)
    if (InRows(v, row)) on[static_cast<size_t>(row)] = true;
  struct Change
  {
    int row;
    UINT before;
  };
  std::vector<Change> changes;
  for (size_t i = 0; i < v->rows.size(); ++i)
    if (v->rows[i].selected != on[i]) changes.push_back({static_cast<int>(i), ListView_GetItemState(hwnd, static_cast<int>(i), ~0u)});
  for (const Change& c : changes)
  {
    v->rows[static_cast<size_t>(c.row)].selected = on[static_cast<size_t>(c.row)];
    if (on[static_cast<size_t>(c.row)]) v->current = c.row;
  }
  if (changes.empty()) return;
  if (v->listBox)
  {
    ListBoxCommand(hwnd, LBN_SELCHANGE);
    return;
  }
  // One notification for the change, naming the selected row (the one the
  // user picked last, else the first still selected; -1 for none).
  int selected = InRows(v, v->current) && v->rows[static_cast<size_t>(v->current)].selected ? v->current : -1;
  for (size_t i = 0; selected < 0 && i < v->rows.size(); ++i)
    if (v->rows[i].selected) selected = static_cast<int>(i);
  NMLISTVIEW nm{};
  nm.iItem = selected;
  if (selected >= 0)
  {
    nm.uNewState = ListView_GetItemState(hwnd, selected, ~0u);
    for (const Change& c : changes)
      if (c.row == selected) nm.uOldState = c.before;
    nm.uChanged = LVIF_STATE;
    nm.lParam = v->rows[static_cast<size_t>(selected)].param;
  }
  Notify(hwnd, LVN_ITEMCHANGED, &nm.hdr);
}

// What the table asks of the records and tells them of the user.
class TableSource final : public PLAT_ListSource
{
public:
  int ListRowCount(uint64_t id) override
  {
    ListView* v = Find(HandleOf(id));
    return v ? Count(v) : 0;
  }
  std::string ListCellText(uint64_t id, int row, int column) override
  {
    return WINL_ListViewCellText(HandleOf(id), row, column);
  }
  void OnListEvent(uint64_t id, PLAT_ListEvent event, int row, int column) override
  {
    const HWND hwnd = HandleOf(id);
    ListView* v = Find(hwnd);
    WINL_Wnd* w = WINL_Live(hwnd);
    if (!v || !w) return;
    NMLISTVIEW nm{};
    nm.iItem = row;
    nm.iSubItem = column;
    switch (event)
    {
      case PLAT_ListEvent::Click:
        if (!v->listBox) Notify(hwnd, NM_CLICK, &nm.hdr);
        break;
      case PLAT_ListEvent::DoubleClick:
        if (v->listBox)
          ListBoxCommand(hwnd, LBN_DBLCLK);
        else
        {
          // The clicked row's own value comes along, when the row exists.
          if (InRows(v, row)) nm.lParam = v->rows[static_cast<size_t>(row)].param;
          Notify(hwnd, NM_DBLCLK, &nm.hdr);
        }
        break;
      case PLAT_ListEvent::RightClick:
        if (!v->listBox) Notify(hwnd, NM_RCLICK, &nm.hdr);
        break;
      case PLAT_ListEvent::BeginDrag:
        if (!v->listBox) Notify(hwnd, LVN_BEGINDRAG, &nm.hdr);
        break;
      case PLAT_ListEvent::ColumnClick:
        nm.iItem = -1;
        // A header that does not sort is not a button.
        if (!v->listBox && !(v->style & LVS_NOSORTHEADER))
          Notify(hwnd, LVN_COLUMNCLICK, &nm.hdr);
        break;
      case PLAT_ListEvent::ColumnsMoved:
        if (w->native)
        {
          const std::vector<int> order = PLAT_ListGetColumnOrder(w->native.get());
          if (IsPermutation(order.data(), static_cast<int>(order.size()), static_cast<int>(v->columns.size())))
            v->order = order;
        }
        break;
      case PLAT_ListEvent::SelectionChanged:
        if (w->native) TakeSelection(hwnd, v, PLAT_ListGetSelection(w->native.get()));
        break;
      case PLAT_ListEvent::FocusIn:
        WINL_TookFocus(w);
        break;
    }
  }
  void ListDrawCell(uint64_t id, int row, int column, PLAT_Canvas* canvas, int w, int h, bool selected) override
  {
    const HWND hwnd = HandleOf(id);
    ListView* v = Find(hwnd);
    WINL_Wnd* wnd = WINL_Live(hwnd);
    if (!v || !wnd || !InRows(v, row)) return;
    const Row& r = v->rows[static_cast<size_t>(row)];
    if (column == PLAT_LIST_STATE_IMAGE)
    {
      HICON icon = r.stateImage > 0 ? WINL_ImageListIcon(v->stateImages, r.stateImage - 1) : nullptr;
      if (!icon) return;
      HDC hdc = WINL_CreatePaintContext(canvas);
      const RECT rect{0, 0, w, h};
      DrawImageInRect(hdc, icon, &rect);
      WINL_DeleteGfxContext(hdc);
      return;
    }
    WINL_Wnd* parent = WINL_Live(wnd->parent);
    HDC hdc = parent ? WINL_CreatePaintContext(canvas) : nullptr;
    if (!hdc) return;
    WINL_DispatchGuard guard(*wnd);
    DRAWITEMSTRUCT item{};
    item.CtlType = ODT_LISTBOX;
    item.CtlID = static_cast<UINT>(wnd->tag);
    item.itemID = static_cast<UINT>(row);
    item.itemAction = ODA_DRAWENTIRE;
    item.itemState = selected ? ODS_SELECTED : 0;
    item.hwndItem = hwnd;
    item.hDC = hdc;
    item.rcItem = {0, 0, w, h};
    item.itemData = static_cast<ULONG_PTR>(r.param);
    WINL_Send(wnd->parent, WM_DRAWITEM, static_cast<WPARAM>(wnd->tag), reinterpret_cast<LPARAM>(&item));
    WINL_DeleteGfxContext(hdc);
  }
};

LRESULT ListViewProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
  if (msg == WM_DESTROY)
  {
    Destroyed(hwnd);
    return 0;
  }
  ListView* v = Find(hwnd);
  if (v && v->listBox && msg >= LB_ADDSTRING && msg <= LB_SETITEMDATA)
  {
    const LRESULT r = ListBoxMessage(hwnd, v, msg, wParam, lParam);
    if (msg <= LB_SETCURSEL) Mirror(hwnd);
    return r;
  }
  return DefWindowProc(hwnd, msg, wParam, lParam);
}
}  // namespace

// ---- creating ----

HWND WINL_CreateListView(HWND parent, int id, LONG_PTR style, int x, int y, int w, int h, bool listBox)
{
  if (!WINL_Live(parent)) return nullptr;
  HWND hwnd = WINL_CreateView(parent, ListViewProc, 0);
  WINL_Wnd* rec = WINL_Live(hwnd);
  if (!rec) return nullptr;
  rec->tag = id;
  rec->className = listBox ? "SysListView32_LB" : "SysListView32";
  auto v = std::make_unique<ListView>();
  v->style = style;
  v->listBox = listBox;
  if (listBox || !(style & LVS_REPORT))
  {
    // Outside the report style the rows show one untitled column.
    v->columns.push_back({std::string(), std::max(w, 300), 0});
    v->order.push_back(0);
  }
  unsigned options = 0;
  if (!listBox && (style & LVS_REPORT) && !(style & LVS_NOCOLUMNHEADER)) options |= PLAT_LIST_HEADER;
  if (!listBox) options |= PLAT_LIST_HSCROLL;
  if (!Single(v.get())) options |= PLAT_LIST_MULTIPLE;
  Views()[rec->id] = std::move(v);
  // The table takes the place of the plain view the window was made with.
  if (rec->native)
    if (auto table = PLAT_ListCreate(rec->id, options))
    {
      static TableSource source;
      PLAT_ListSetSource(&source);
      WINL_Wnd* p = WINL_Live(parent);
      WINL_LinkView(rec, nullptr);
      rec->native = std::move(table);
      WINL_LinkView(rec, p);
    }
  Mirror(hwnd, true);
  SetWindowPos(hwnd, nullptr, x, y, w, h, SWP_NOZORDER);
  if (!(style & WINL_STYLE_HIDDEN)) ShowWindow(hwnd, SW_SHOW);
  return hwnd;
}

BOOL WINL_IsListView(HWND hwnd) { return Find(hwnd) != nullptr; }

// ---- rows ----

int ListView_InsertItem(HWND hwnd, const LVITEM* item)
{
  ListView* v = Find(hwnd);
  if (!v || !item || item->iSubItem != 0) return v && item ? -1 : 0;
  if (OwnerData(v)) return -1;
  const bool hasText = (item->mask & LVIF_TEXT) && item->pszText;
  const int pos = Insert(v, item->iItem, hasText ? item->pszText : "", hasText);
  Row& r = v->rows[static_cast<size_t>(pos)];
  if (item->mask & LVIF_PARAM) r.param = item->lParam;
  if ((item->mask & LVIF_STATE) && (item->stateMask & LVIS_STATEIMAGEMASK))
    r.stateImage = static_cast<int>((item->state & LVIS_STATEIMAGEMASK) >> 16);
  if ((item->mask & LVIF_STATE) && (item->state & item->stateMask & LVIS_SELECTED)) Select(v, pos, true);
  Mirror(hwnd);
  return pos;
}

BOOL ListView_SetItemText(HWND hwnd, int row, int column, const char* text)
{
  ListView* v = Find(hwnd);
  if (!v || !InRows(v, row) || column < 0 || column >= kMaxColumns) return FALSE;
  std::vector<std::string>& texts = v->rows[static_cast<size_t>(row)].texts;
  if (static_cast<int>(texts.size()) <= column) texts.resize(static_cast<size_t>(column) + 1);
  texts[static_cast<size_t>(column)] = text ? text : "";
  Mirror(hwnd);
  return TRUE;
}

BOOL ListView_SetItem(HWND hwnd, const LVITEM* item)
{
  ListView* v = Find(hwnd);
  if (!v || !item || !InRows(v, item->iItem)) return FALSE;
  if ((item->mask & LVIF_TEXT) && !ListView_SetItemText(hwnd, item->iItem, item->iSubItem, item->pszText)) return FALSE;
  Row& r = v->rows[static_cast<size_t>(item->iItem)];
  if (item->mask & LVIF_PARAM) r.param = item->lParam;
  if (item->mask & LVIF_STATE)
  {
    if (item->stateMask & LVIS_STATEIMAGEMASK) r.stateImage = static_cast<int>((item->state & LVIS_STATEIMAGEMASK) >> 16);
    if (item->stateMask & LVIS_SELECTED) Select(v, item->iItem, (item->state & LVIS_SELECTED) != 0);
  }
  Mirror(hwnd);
  return TRUE;
}

std::string WINL_ListViewCellText(HWND hwnd, int row, int column)
{
  ListView* v = Find(hwnd);
  if (!v || row < 0 || row >= Count(v) || column < 0 || column >= kMaxColumns) return {};
  if (!OwnerData(v))
  {
    const std::vector<std::string>& texts = v->rows[static_cast<size_t>(row)].texts;
    return column < static_cast<int>(texts.size()) ? texts[static_cast<size_t>(column)] : std::string();
  }
  char buffer[kListViewDispInfoChars] = {};
  NMLVDISPINFO info{};
  info.item.mask = LVIF_TEXT;
  info.item.iItem = row;
  info.item.iSubItem = column;
  info.item.pszText = buffer;
  info.item.cchTextMax = kListViewDispInfoChars;
  Notify(hwnd, LVN_GETDISPINFO, &info.hdr);
  // A handler that fills the whole buffer leaves no terminator; the last
  // byte is ours. It may also point the text elsewhere.
  buffer[kListViewDispInfoChars - 1] = 0;
  const char* text = info.item.pszText ? info.item.pszText : buffer;
  return text == buffer ? std::string(buffer) : std::string(text, strnlen(text, kListViewDispInfoChars - 1));
}

void ListView_GetItemText(HWND hwnd, int row, int column, char* buffer, int size)
{
  if (!buffer || size <= 0) return;
  Copy(WINL_ListViewCellText(hwnd, row, column), buffer, size);
}

BOOL ListView_GetItem(HWND hwnd, LVITEM* item)
{
  ListView* v = Find(hwnd);
  if (!v || !item || item->iItem < 0 || item->iItem >= Count(v)) return FALSE;
  if (item->mask & LVIF_TEXT) ListView_GetItemText(hwnd, item->iItem, item->iSubItem, item->pszText, item->cchTextMax);
  if (!InRows(v, item->iItem)) return TRUE;
  const Row& r = v->rows[static_cast<size_t>(item->iItem)];
  if (item->mask & LVIF_PARAM) item->lParam = r.param;
  if (item->mask & LVIF_STATE) item->state = ListView_GetItemState(hwnd, item->iItem, item->stateMask);
  return TRUE;
}

UINT ListView_GetItemState(HWND hwnd, int row, UINT mask)
{
  ListView* v = Find(hwnd);
  if (!v || !InRows(v, row)) return 0;
  const Row& r = v->rows[static_cast<size_t>(row)];
  UINT state = static_cast<UINT>(r.stateImage & 0xFF) << 16;
  if (r.selected) state |= LVIS_SELECTED;
  if (row == v->current) state |= LVIS_FOCUSED;
  return state & mask;
}

BOOL ListView_SetItemState(HWND hwnd, int row, UINT state, UINT mask)
{
  ListView* v = Find(hwnd);
  if (!v || (row != -1 && !InRows(v, row))) return FALSE;
  const int first = row == -1 ? 0 : row;
  // The parent hears of each change and may delete rows or the view: look
  // both up again after every notification.
  for (int i = first; (v = Find(hwnd)) != nullptr && InRows(v, i) && (row == -1 || i == row); ++i)
  {
    Row& r = v->rows[static_cast<size_t>(i)];
    const UINT before = ListView_GetItemState(hwnd, i, ~0u);
    if (mask & LVIS_STATEIMAGEMASK) r.stateImage = static_cast<int>((state & LVIS_STATEIMAGEMASK) >> 16);
    if (mask & LVIS_SELECTED) Select(v, i, (state & LVIS_SELECTED) != 0);
    const UINT after = ListView_GetItemState(hwnd, i, ~0u);
    if (after == before) continue;
    NMLISTVIEW nm{};
    nm.iItem = i;
    nm.uNewState = after;
    nm.uOldState = before;
    nm.uChanged = LVIF_STATE;
    nm.lParam = r.param;
    Notify(hwnd, LVN_ITEMCHANGED, &nm.hdr);
  }
  Mirror(hwnd);
  return TRUE;
}

BOOL ListView_DeleteItem(HWND hwnd, int row)
{
  ListView* v = Find(hwnd);
  if (!v || !InRows(v, row)) return FALSE;
  Erase(v, row);
  Mirror(hwnd);
  return TRUE;
}

BOOL ListView_DeleteAllItems(HWND hwnd)
{
  ListView* v = Find(hwnd);
  if (!v) return FALSE;
  v->rows.clear();
  v->ownerCount = 0;
  v->current = -1;
  Mirror(hwnd);
  return TRUE;
}

int ListView_GetItemCount(HWND hwnd)
{
  ListView* v = Find(hwnd);
  return v ? Count(v) : 0;
}

BOOL ListView_SetItemCount(HWND hwnd, int count)
{
  ListView* v = Find(hwnd);
  if (!v) return FALSE;
  if (OwnerData(v)) v->ownerCount = std::max(count, 0);
  Mirror(hwnd);
  return TRUE;
}

int ListView_GetNextItem(HWND hwnd, int start, UINT flags)
{
  ListView* v = Find(hwnd);
  if (!v) return -1;
  if (flags == 2) return v->current;
  if (flags != 1) return -1;
  for (int i = start < 0 ? 0 : start + 1; i < static_cast<int>(v->rows.size()); ++i)
    if (v->rows[static_cast<size_t>(i)].selected) return i;
  return -1;
}

int ListView_GetSelectedCount(HWND hwnd)
{
  ListView* v = Find(hwnd);
  return v ? SelectedCount(v) : 0;
}

BOOL ListView_SortItems(HWND hwnd, int (*compare)(LPARAM, LPARAM, LPARAM), LPARAM user)
{
  ListView* v = Find(hwnd);
  if (!v || !compare || v->listBox || OwnerData(v)) return FALSE;
  for (size_t i = 0; i < v->rows.size(); ++i) v->rows[i].mark = static_cast<int>(i) == v->current;
  // A merge that takes the left row unless the comparison says it is
  // greater: equal rows keep their order, and their selection with them.
  std::stable_sort(v->rows.begin(), v->rows.end(),
                   [&](const Row& a, const Row& b) { return compare(b.param, a.param, user) > 0; });
  for (size_t i = 0; i < v->rows.size(); ++i)
    if (v->rows[i].mark) v->current = static_cast<int>(i);
  Mirror(hwnd);
  return TRUE;
}

// ---- columns ----

int ListView_InsertColumn(HWND hwnd, int, const LVCOLUMN* col)
{
  ListView* v = Find(hwnd);
  if (!v || !col || static_cast<int>(v->columns.size()) >= kMaxColumns) return -1;
  Column c{std::string(), 100, 0};
  if ((col->mask & LVCF_TEXT) && col->pszText) c.title = col->pszText;
  if (col->mask & LVCF_WIDTH) c.width = std::max(col->cx, 0);
  if (col->mask & LVCF_FMT) c.format = col->fmt & 3;
  const int pos = static_cast<int>(v->columns.size());
  v->columns.push_back(std::move(c));
  v->order.push_back(pos);
  Mirror(hwnd, true);
  return pos;
}

BOOL ListView_DeleteColumn(HWND hwnd, int index)
{
  ListView* v = Find(hwnd);
  if (!v || index < 0 || index >= static_cast<int>(v->columns.size())) return FALSE;
  v->columns.erase(v->columns.begin() + index);
  v->order.erase(std::find(v->order.begin(), v->order.end(), index));
  for (int& o : v->order)
    if (o > index) --o;
  Mirror(hwnd, true);
  return TRUE;
}

BOOL ListView_SetColumnOrderArray(HWND hwnd, int count, const int* order)
{
  ListView* v = Find(hwnd);
  if (!v || !order || !IsPermutation(order, count, static_cast<int>(v->columns.size()))) return FALSE;
  v->order.assign(order, order + count);
  Mirror(hwnd, true);
  return TRUE;
}

BOOL ListView_GetColumnOrderArray(HWND hwnd, int count, int* order)
{
  ListView* v = Find(hwnd);
  if (!v || !order || count != static_cast<int>(v->columns.size())) return FALSE;
  std::copy(v->order.begin(), v->order.end(), order);
  return TRUE;
}

int Header_GetItemCount(HWND hwnd)
{
  ListView* v = Find(hwnd);
  return v ? static_cast<int>(v->columns.size()) : 0;
}

int ListView_GetColumnWidth(HWND hwnd, int column)
{
  const Column* c = ColumnOf(Find(hwnd), column);
  return c ? c->width : 0;
}

BOOL ListView_SetColumnWidth(HWND hwnd, int column, int width)
{
  Column* c = ColumnOf(Find(hwnd), column);
  if (!c) return FALSE;
  c->width = std::max(width, 0);
  Mirror(hwnd, true);
  return TRUE;
}

BOOL ListView_SetColumn(HWND hwnd, int column, const LVCOLUMN* col)
{
  Column* c = ColumnOf(Find(hwnd), column);
  if (!c || !col) return FALSE;
  if (col->mask & LVCF_FMT) c->format = (c->format & ~3) | (col->fmt & 3);
  if (col->mask & LVCF_WIDTH) c->width = std::max(col->cx, 0);
  if (col->mask & LVCF_TEXT) c->title = col->pszText ? col->pszText : "";
  Mirror(hwnd, true);
  return TRUE;
}

HWND ListView_GetHeader(HWND hwnd) { return Find(hwnd) ? hwnd : nullptr; }

BOOL Header_GetItem(HWND hwnd, int index, HDITEM* item)
{
  const Column* c = ColumnOf(Find(hwnd), index);
  if (!c || !item) return FALSE;
  if (item->mask & HDI_WIDTH) item->cxy = c->width;
  if (item->mask & HDI_TEXT) Copy(c->title, item->pszText, item->cchTextMax);
  if (item->mask & HDI_FORMAT) item->fmt = c->format;
  return TRUE;
}

BOOL Header_SetItem(HWND hwnd, int index, const HDITEM* item)
{
  Column* c = ColumnOf(Find(hwnd), index);
  if (!c || !item) return FALSE;
  if (item->mask & HDI_WIDTH) c->width = std::max(item->cxy, 0);
  if (item->mask & HDI_TEXT) c->title = item->pszText ? item->pszText : "";
  if (item->mask & HDI_FORMAT) c->format = item->fmt & (3 | HDF_SORTUP | HDF_SORTDOWN);
  Mirror(hwnd, true);
  return TRUE;
}

DWORD ListView_SetExtendedListViewStyleEx(HWND hwnd, DWORD mask, DWORD style)
{
  ListView* v = Find(hwnd);
  if (!v) return 0;
  const DWORD before = v->extStyle;
  v->extStyle = (v->extStyle & ~mask) | (style & mask);
  if (PLAT_GtkView* list = Table(hwnd))
    PLAT_ListSetGridAndReorder(list, (v->extStyle & LVS_EX_GRIDLINES) != 0, (v->extStyle & LVS_EX_HEADERDRAGDROP) != 0);
  return before;
}

void WINL_SetListViewFastClickMask(HWND hwnd, int mask)
{
  if (ListView* v = Find(hwnd)) v->fastClickMask = mask;
}

int WINL_GetListViewHeaderHeight(HWND hwnd)
{
  PLAT_GtkView* list = Table(hwnd);
  return list ? PLAT_ListHeaderHeight(list) : 0;
}

// ---- images and colours ----

HIMAGELIST ListView_SetImageList(HWND hwnd, HIMAGELIST list, int type)
{
  ListView* v = Find(hwnd);
  if (!v) return nullptr;
  HIMAGELIST before = v->stateImages;
  v->stateImages = list;
  v->stateImagesType = list ? type : -1;
  Mirror(hwnd, true);
  return before;
}

namespace
{
BOOL SetColor(HWND hwnd, int PLAT_ListColors::*field, int color)
{
  ListView* v = Find(hwnd);
  if (!v) return FALSE;
  v->colors.*field = color & 0xFFFFFF;
  if (PLAT_GtkView* list = Table(hwnd)) PLAT_ListSetColors(list, v->colors);
  return TRUE;
}
}  // namespace

// The rows have no background of their own: the text's background is the
// table's.
BOOL ListView_SetBkColor(HWND hwnd, int color) { return SetColor(hwnd, &PLAT_ListColors::background, color); }
BOOL ListView_SetTextBkColor(HWND hwnd, int color) { return SetColor(hwnd, &PLAT_ListColors::background, color); }
BOOL ListView_SetTextColor(HWND hwnd, int color) { return SetColor(hwnd, &PLAT_ListColors::text, color); }
BOOL ListView_SetGridColor(HWND hwnd, int color) { return SetColor(hwnd, &PLAT_ListColors::grid, color); }

BOOL ListView_SetSelColors(HWND hwnd, int count, const int* colors)
{
  ListView* v = Find(hwnd);
  if (!v && WINL_IsTreeView(hwnd)) return WINL_TreeViewSetSelColors(hwnd, count, colors);
  if (!v || count < 0 || (count > 0 && !colors)) return FALSE;
  v->colors.selectedBackground = count > 0 ? colors[0] & 0xFFFFFF : -1;
  v->colors.selectedText = count > 1 ? colors[1] & 0xFFFFFF : -1;
  v->colors.unfocusedSelectedText = count > 3 ? colors[3] & 0xFFFFFF : -1;
  if (PLAT_GtkView* list = Table(hwnd)) PLAT_ListSetColors(list, v->colors);
  return TRUE;
}

// ---- on screen ----

namespace
{
int HitTest(HWND hwnd, LVHITTESTINFO* info, bool subItem)
{
  PLAT_GtkView* list = Table(hwnd);
  if (!info) return -1;
  int row = -1, column = -1;
  if (!list || !PLAT_ListCellAt(list, info->pt.x, info->pt.y, &row, &column)) row = column = -1;
  info->iItem = row;
  if (subItem) info->iSubItem = column;
  info->flags = row >= 0 ? LVHT_ONITEM : LVHT_NOWHERE;
  return row;
}

BOOL CellRect(HWND hwnd, int row, int column, RECT* rect)
{
  PLAT_GtkView* list = Table(hwnd);
  PLAT_Rect r;
  if (!rect || !list || !PLAT_ListCellRect(list, row, column, &r)) return FALSE;
  *rect = {r.x, r.y, r.x + r.w, r.y + r.h};
  return TRUE;
}
}  // namespace

int ListView_HitTest(HWND hwnd, LVHITTESTINFO* info) { return HitTest(hwnd, info, false); }
int ListView_SubItemHitTest(HWND hwnd, LVHITTESTINFO* info) { return HitTest(hwnd, info, true); }

BOOL ListView_GetItemRect(HWND hwnd, int row, RECT* rect, int code)
{
  return CellRect(hwnd, row, code == LVIR_BOUNDS ? -1 : 0, rect);
}

BOOL ListView_GetSubItemRect(HWND hwnd, int row, int column, int, RECT* rect)
{
  return CellRect(hwnd, row, column, rect);
}

BOOL ListView_EnsureVisible(HWND hwnd, int row, BOOL)
{
  ListView* v = Find(hwnd);
  PLAT_GtkView* list = Table(hwnd);
  if (!v || !list || Count(v) == 0) return FALSE;
  PLAT_ListScrollToRow(list, std::clamp(row, 0, Count(v) - 1));
  return TRUE;
}

int ListView_GetTopIndex(HWND hwnd)
{
  PLAT_GtkView* list = Table(hwnd);
  PLAT_Rect visible;
  const int height = list ? PLAT_ListRowHeight(list) : 0;
  if (height <= 0 || !PLAT_ListVisibleRect(list, &visible)) return 0;
  return std::max(0, std::min(visible.y / height, ListView_GetItemCount(hwnd) - 1));
}

int ListView_GetCountPerPage(HWND hwnd)
{
  PLAT_GtkView* list = Table(hwnd);
  PLAT_Rect visible;
  const int height = list ? PLAT_ListRowHeight(list) : 0;
  if (height <= 0 || !PLAT_ListVisibleRect(list, &visible)) return 0;
  return visible.h / height;
}

BOOL ListView_Scroll(HWND hwnd, int dx, int dy)
{
  ListView* v = Find(hwnd);
  PLAT_GtkView* list = Table(hwnd);
  PLAT_Rect visible;
  const int height = list ? PLAT_ListRowHeight(list) : 0;
  if (!v || height <= 0 || !PLAT_ListVisibleRect(list, &visible)) return FALSE;
  const Column* first = v->order.empty() ? nullptr : ColumnOf(v, v->order.front());
  const int width = first && first->width > 0 ? first->width : 1;
  PLAT_ListScrollTo(list, std::max(0, visible.x + dx / width * width), std::max(0, visible.y + dy / height * height));
  return TRUE;
}

BOOL ListView_RedrawItems(HWND hwnd, int, int)
{
  if (!Find(hwnd)) return FALSE;
  Mirror(hwnd);
  return TRUE;
}

int ListView_GetSelectionMark(HWND hwnd)
{
  ListView* v = Find(hwnd);
  return v ? v->current : -1;
}
