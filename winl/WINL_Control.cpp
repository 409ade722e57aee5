// The state of native controls: their messages (buttons, lists, sliders,
// progress bars, text fields), the combo, slider and tab functions, the
// dialog-item functions, and the user's actions turned into notifications.

#include "winl/WINL_Controls.h"

#include "winl/draw/WINL_GDIPrivate.h"
#include "winl/WINL_Queue.h"
#include "winl/WINL_WndPrivate.h"

#include <strings.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// ---- sections ----
// finding controls · texts · the control procedure · combo boxes · sliders ·
// tabs · dialog items · the user's actions

namespace
{
// ---- finding controls ----

WINL_Control* ControlOf(WINL_Wnd* w) { return w ? w->control.get() : nullptr; }

bool IsList(const WINL_Control* c)
{
  return c && (c->kind == PLAT_ControlKind::DropList || c->kind == PLAT_ControlKind::ComboEdit);
}

bool IsButton(const WINL_Control* c)
{
  return c && (c->kind == PLAT_ControlKind::PushButton || c->kind == PLAT_ControlKind::CheckBox ||
               c->kind == PLAT_ControlKind::RadioButton);
}

bool IsTextField(const WINL_Control* c)
{
  return c && (c->kind == PLAT_ControlKind::Edit || c->kind == PLAT_ControlKind::TextView);
}

WINL_Wnd* Item(HWND hwnd, int id) { return WINL_Live(GetDlgItem(hwnd, id)); }

WINL_Wnd* ListItem(HWND hwnd, int id)
{
  WINL_Wnd* w = Item(hwnd, id);
  return IsList(ControlOf(w)) ? w : nullptr;
}

WINL_Wnd* Tabs(HWND hwnd)
{
  WINL_Wnd* w = WINL_Live(hwnd);
  WINL_Control* c = ControlOf(w);
  return c && c->kind == PLAT_ControlKind::Tabs ? w : nullptr;
}

PLAT_GtkView* Native(WINL_Wnd* w) { return w->native.get(); }

void Notify(WINL_Wnd* w, UINT code)
{
  if (WINL_Wnd* parent = WINL_Live(w->parent))
    WINL_Dispatch(parent, WM_COMMAND, MAKEWPARAM(static_cast<unsigned>(w->tag), code),
                  reinterpret_cast<LPARAM>(WINL_Handle(w)));
}

// ---- texts ----

// Characters (not bytes) of a UTF-8 text.
int CharCount(const std::string& s)
{
  int n = 0;
  for (unsigned char ch : s)
    if ((ch & 0xC0) != 0x80) ++n;
  return n;
}

void SetCheck(WINL_Wnd* w, int state)
{
  w->control->check = state;
  if (w->native) PLAT_ControlSetCheck(Native(w), state);
}

// ---- the control procedure ----

LRESULT ButtonMessage(WINL_Wnd* w, UINT msg, WPARAM wParam, LPARAM lParam)
{
  WINL_Control* c = w->control.get();
  switch (msg)
  {
    case BM_GETCHECK: return c->check;
    case BM_SETCHECK: SetCheck(w, (wParam & 2) ? 2 : static_cast<int>(wParam & 1)); return 0;
    case BM_GETIMAGE: return wParam <= 1 ? reinterpret_cast<LRESULT>(c->image) : 0;
    case BM_SETIMAGE:
    {
      if (wParam > 1) return 0;
      void* old = c->image;
      HGDIOBJ obj = reinterpret_cast<HGDIOBJ>(lParam);
      std::shared_ptr<PLAT_Image> picture;
      bool bitmap;
      {
        BASE_MutexLock lock(WINL_GDILock());
        const HGDIOBJ__* b = WINL_LiveObject(obj, WINL_OBJ_BITMAP);
        bitmap = b != nullptr;
        if (b) picture = b->image;
      }
      c->image = bitmap ? obj : nullptr;
      // Style bit 0x20 puts the picture on the caption's right.
      if (w->native) PLAT_ControlSetImage(Native(w), picture.get(), (c->style & 0x20) != 0);
      return reinterpret_cast<LRESULT>(old);
    }
    default: return 0;
  }
}

LRESULT ListMessage(WINL_Wnd* w, UINT msg, WPARAM wParam, LPARAM lParam)
{
  HWND h = WINL_Handle(w);
  const int index = static_cast<int>(wParam);
  const char* text = reinterpret_cast<const char*>(lParam);
  switch (msg)
  {
    case CB_ADDSTRING: return WINL_CB_InsertString(h, 0, -1000, text);
    case CB_DELETESTRING: WINL_CB_DeleteString(h, 0, index); return 1;
    case CB_GETCOUNT: return WINL_CB_GetNumItems(h, 0);
    case CB_GETCURSEL: return WINL_CB_GetCurSel(h, 0);
    case CB_GETLBTEXT:
    {
      // The caller sized the buffer by CB_GETLBTEXTLEN: copy the whole text
      // and its terminator, never more.
      const std::vector<std::string>& items = w->control->items;
      if (index < 0 || index >= static_cast<int>(items.size())) return -1;
      return WINL_CB_GetItemText(h, 0, index, reinterpret_cast<char*>(lParam),
                                 static_cast<int>(items[index].size()) + 1);
    }
    case CB_GETLBTEXTLEN: return WINL_CB_GetItemText(h, 0, index, nullptr, 0);
    case CB_INSERTSTRING: return WINL_CB_InsertString(h, 0, index, text);
    case CB_RESETCONTENT: WINL_CB_Empty(h, 0); return 0;
    case CB_FINDSTRING:
    case CB_FINDSTRINGEXACT: return text ? WINL_CB_FindString(h, 0, index, text, msg == CB_FINDSTRINGEXACT) : -1;
    case CB_SETCURSEL: WINL_CB_SetCurSel(h, 0, index); return 0;
    case CB_GETITEMDATA: return WINL_CB_GetItemData(h, 0, index);
    case CB_SETITEMDATA: WINL_CB_SetItemData(h, 0, index, lParam); return 0;
    case CB_SETDROPPEDWIDTH:
      w->control->droppedWidth = static_cast<int>(std::min<WPARAM>(wParam, INT_MAX));
      if (w->native) PLAT_ControlSetListWidth(Native(w), w->control->droppedWidth);
      return ListMessage(w, CB_GETDROPPEDWIDTH, 0, 0);
    case CB_GETDROPPEDWIDTH:
    {
      RECT frame{};
      GetWindowRect(h, &frame);
      return std::max<LRESULT>(w->control->droppedWidth, frame.right - frame.left);
    }
    default: return 0;
  }
}

LRESULT SliderMessage(WINL_Wnd* w, UINT msg, LPARAM lParam)
{
  HWND parent = WINL_Handle(WINL_Live(w->parent));
  const int id = static_cast<int>(w->tag);
  const uint32_t low = static_cast<uint32_t>(lParam);
  switch (msg)
  {
    case TBM_GETPOS: return WINL_TB_GetPos(parent, id);
    case TBM_SETTIC: return 1;
    case TBM_SETPOS: WINL_TB_SetPos(parent, id, static_cast<int32_t>(low)); return 1;
    case TBM_SETRANGE: WINL_TB_SetRange(parent, id, low & 0xFFFF, (low >> 16) & 0xFFFF); return 1;
    default: return 0;
  }
}

LRESULT ProgressMessage(WINL_Wnd* w, UINT msg, WPARAM wParam, LPARAM lParam)
{
  WINL_Control* c = w->control.get();
  const uint32_t low = static_cast<uint32_t>(lParam);
  switch (msg)
  {
    case PBM_SETRANGE:
      c->minimum = low & 0xFFFF;
      c->maximum = (low >> 16) & 0xFFFF;
      if (w->native) PLAT_ControlSetRange(Native(w), c->minimum, c->maximum);
      break;
    case PBM_SETPOS: c->value = static_cast<int>(wParam); break;
    case PBM_DELTAPOS: c->value += static_cast<int>(wParam); break;
    default: return 0;
  }
  if (w->native) PLAT_ControlSetValue(Native(w), c->value);
  return 0;
}

LRESULT TextMessage(WINL_Wnd* w, UINT msg, WPARAM wParam, LPARAM lParam)
{
  WINL_Control* c = w->control.get();
  if (msg == EM_GETSEL)
  {
    int start = c->selStart, end = c->selEnd;
    if (w->native) PLAT_ControlGetSelection(Native(w), &start, &end);
    if (int* p = reinterpret_cast<int*>(wParam)) *p = start;
    if (int* p = reinterpret_cast<int*>(lParam)) *p = end;
    return 0;
  }
  if (msg != EM_SETSEL) return 0;
  const int length = CharCount(WINL_ControlText(w));
  int start = static_cast<int>(static_cast<int64_t>(wParam));
  int end = static_cast<int>(lParam);
  if (start == -1)
    start = end = 0;
  else
  {
    if (end == -1) end = length;
    // Out-of-range or reversed ends are clamped and put in order.
    start = std::max(0, std::min(start, length));
    end = std::max(0, std::min(end, length));
    if (end < start) std::swap(start, end);
  }
  c->selStart = start;
  c->selEnd = end;
  if (w->native) PLAT_ControlSetSelection(Native(w), start, end);
  return 0;
}

// Makes the sorted position for text: before an equal item, else between
// its neighbours; byte order, case counts.
int SortedPosition(const std::vector<std::string>& items, const std::string& text)
{
  return static_cast<int>(std::lower_bound(items.begin(), items.end(), text) - items.begin());
}
// A text view's text takes the face and size of a font object.
void SetFont(WINL_Wnd* w, HGDIOBJ font)
{
  std::string face;
  double size = 0;
  {
    BASE_MutexLock lock(WINL_GDILock());
    const HGDIOBJ__* f = WINL_LiveObject(font, WINL_OBJ_FONT);
    if (!f || !f->font) return;
    face = f->font->GetDisplayName();
    size = f->font->GetSize();
  }
  PLAT_ControlSetFont(Native(w), face.c_str(), size);
}
}  // namespace

LRESULT WINL_ControlProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
  WINL_Wnd* w = WINL_Live(hwnd);
  WINL_Control* c = ControlOf(w);
  if (!c) return DefWindowProc(hwnd, msg, wParam, lParam);
  if (IsButton(c) && msg >= BM_GETCHECK && msg <= BM_SETIMAGE) return ButtonMessage(w, msg, wParam, lParam);
  if (IsList(c) && msg >= CB_ADDSTRING && msg <= CB_LAST) return ListMessage(w, msg, wParam, lParam);
  if (c->kind == PLAT_ControlKind::Slider && msg >= TBM_GETPOS && msg <= TBM_SETRANGE)
    return SliderMessage(w, msg, lParam);
  if (c->kind == PLAT_ControlKind::Progress && msg >= PBM_SETRANGE && msg <= PBM_DELTAPOS)
    return ProgressMessage(w, msg, wParam, lParam);
  if (IsTextField(c) && (msg == EM_GETSEL || msg == EM_SETSEL)) return TextMessage(w, msg, wParam, lParam);
  if (c->kind == PLAT_ControlKind::TextView && (msg == WM_SETFONT || msg == EM_SCROLL))
  {
    if (w->native && msg == EM_SCROLL && (wParam == 6 || wParam == 7)) PLAT_ControlScrollTextTo(Native(w), wParam == 7);
    if (w->native && msg == WM_SETFONT) SetFont(w, reinterpret_cast<HGDIOBJ>(wParam));
    return 0;
  }
  switch (msg)
  {
    case WM_SETFONT:
    case EM_SCROLL: return 0;
    default: return DefWindowProc(hwnd, msg, wParam, lParam);
  }
}

void WINL_ControlSetText(WINL_Wnd* w, const char* text)
{
  if (!w->control) return;
  w->control->text = WINL_CStringToCFString(text);
  if (w->native) PLAT_ControlSetText(Native(w), w->control->text.c_str());
}

const std::string& WINL_ControlText(WINL_Wnd* w)
{
  static const std::string empty;
  return w->control ? w->control->text : empty;
}

LONG_PTR WINL_ControlStyle(WINL_Wnd* w)
{
  const WINL_Control* c = w->control.get();
  switch (c->kind)
  {
    case PLAT_ControlKind::DropList:
    case PLAT_ControlKind::ComboEdit: return c->style;
    case PLAT_ControlKind::CheckBox: return (c->style & 15) == BS_3STATE ? BS_3STATE : BS_AUTOCHECKBOX;
    case PLAT_ControlKind::RadioButton: return BS_AUTORADIOBUTTON | ((c->radioFlags & 2) ? WS_GROUP : 0);
    default: return 0;
  }
}

bool WINL_ControlRestyleButton(WINL_Wnd* w, LONG_PTR style)
{
  WINL_Control* c = w->control.get();
  const bool button = c->kind == PLAT_ControlKind::PushButton || c->kind == PLAT_ControlKind::CheckBox ||
                      c->kind == PLAT_ControlKind::RadioButton;
  if (!button || c->ownerDraw) return false;
  const LONG_PTR type = style & 15;
  if (type != BS_AUTOCHECKBOX && type != BS_3STATE && type != BS_AUTORADIOBUTTON) return true;
  const PLAT_ControlKind kind = type == BS_AUTORADIOBUTTON ? PLAT_ControlKind::RadioButton : PLAT_ControlKind::CheckBox;
  c->style = (c->style & ~LONG_PTR{15}) | type;
  c->radioFlags = type == BS_AUTORADIOBUTTON ? 1 | static_cast<int>((style >> 16) & 2) : 0;
  if (kind != c->kind) WINL_RemakeControl(w, kind);
  return true;
}

// ---- combo boxes ----

int WINL_CB_InsertString(HWND hwnd, int id, int pos, const char* text)
{
  WINL_Wnd* w = ListItem(hwnd, id);
  if (!w) return -1;
  WINL_Control* c = w->control.get();
  const std::string t = WINL_CStringToCFString(text);
  const int count = static_cast<int>(c->items.size());
  if (pos == -1000)
    pos = (c->style & CBS_SORT) ? SortedPosition(c->items, t) : count;
  else
    pos = pos < 0 ? 0 : std::min(pos, count);
  c->items.insert(c->items.begin() + pos, t);
  c->itemData.insert(c->itemData.begin() + pos, 0);
  if (c->curSel >= pos) ++c->curSel;
  if (w->native) PLAT_ControlInsertItem(Native(w), pos, t.c_str());
  return pos;
}

int WINL_CB_AddString(HWND hwnd, int id, const char* text) { return WINL_CB_InsertString(hwnd, id, -1000, text); }

void WINL_CB_DeleteString(HWND hwnd, int id, int index)
{
  WINL_Wnd* w = ListItem(hwnd, id);
  if (!w || index < 0 || index >= static_cast<int>(w->control->items.size())) return;
  WINL_Control* c = w->control.get();
  c->items.erase(c->items.begin() + index);
  c->itemData.erase(c->itemData.begin() + index);
  if (c->curSel == index)
    c->curSel = -1;
  else if (c->curSel > index)
    --c->curSel;
  if (w->native) PLAT_ControlDeleteItem(Native(w), index);
}

int WINL_CB_GetNumItems(HWND hwnd, int id)
{
  WINL_Wnd* w = ListItem(hwnd, id);
  return w ? static_cast<int>(w->control->items.size()) : 0;
}

int WINL_CB_GetCurSel(HWND hwnd, int id)
{
  WINL_Wnd* w = ListItem(hwnd, id);
  return w ? w->control->curSel : -1;
}

void WINL_CB_SetCurSel(HWND hwnd, int id, int index)
{
  WINL_Wnd* w = ListItem(hwnd, id);
  if (!w) return;
  WINL_Control* c = w->control.get();
  c->curSel = index >= 0 && index < static_cast<int>(c->items.size()) ? index : -1;
  if (c->kind == PLAT_ControlKind::ComboEdit) c->text = c->curSel >= 0 ? c->items[c->curSel] : std::string();
  if (w->native) PLAT_ControlSelect(Native(w), c->curSel);
}

int WINL_CB_GetItemText(HWND hwnd, int id, int index, char* buffer, int size)
{
  if (buffer && size < 1) return -1;
  if (buffer) buffer[0] = 0;
  WINL_Wnd* w = ListItem(hwnd, id);
  if (!w || index < 0 || index >= static_cast<int>(w->control->items.size())) return -1;
  const std::string& text = w->control->items[index];
  if (!buffer) return static_cast<int>(text.size()) + 64;
  WINL_CFStringToCString(text, buffer, size);
  return 1;
}

void WINL_CB_Empty(HWND hwnd, int id)
{
  WINL_Wnd* w = ListItem(hwnd, id);
  if (!w) return;
  w->control->items.clear();
  w->control->itemData.clear();
  w->control->curSel = -1;
  if (w->native) PLAT_ControlClearItems(Native(w));
}

LONG_PTR WINL_CB_GetItemData(HWND hwnd, int id, int index)
{
  WINL_Wnd* w = ListItem(hwnd, id);
  if (!w || index < 0 || index >= static_cast<int>(w->control->itemData.size())) return 0;
  return w->control->itemData[index];
}

void WINL_CB_SetItemData(HWND hwnd, int id, int index, LONG_PTR value)
{
  WINL_Wnd* w = ListItem(hwnd, id);
  if (!w || index < 0 || index >= static_cast<int>(w->control->itemData.size())) return;
  w->control->itemData[index] = value;
}

int WINL_CB_FindString(HWND hwnd, int id, int start, const char* text, bool exact)
{
  WINL_Wnd* w = ListItem(hwnd, id);
  if (!w || !text) return -1;
  const std::string t = WINL_CStringToCFString(text);
  const auto& items = w->control->items;
  for (int i = start < 0 ? 0 : start + 1; i < static_cast<int>(items.size()); ++i)
  {
    const char* item = items[i].c_str();
    if (exact ? strcasecmp(item, t.c_str()) == 0 : strncasecmp(item, t.c_str(), t.size()) == 0) return i;
  }
  return -1;
}

// ---- sliders ----

namespace
{
WINL_Wnd* SliderItem(HWND hwnd, int id)
{
  WINL_Wnd* w = Item(hwnd, id);
  WINL_Control* c = ControlOf(w);
  return c && c->kind == PLAT_ControlKind::Slider ? w : nullptr;
}

// A control that is not a slider gets the trackbar message itself.
LRESULT ForwardTrackbar(HWND hwnd, int id, UINT msg, WPARAM wParam, LPARAM lParam)
{
  HWND item = GetDlgItem(hwnd, id);
  return item && item != hwnd ? SendMessage(item, msg, wParam, lParam) : 0;
}
}  // namespace

int WINL_TB_GetPos(HWND hwnd, int id)
{
  WINL_Wnd* w = SliderItem(hwnd, id);
  if (!w) return static_cast<int>(ForwardTrackbar(hwnd, id, TBM_GETPOS, 0, 0));
  return static_cast<int>(std::floor(w->control->value + 0.5));
}

void WINL_TB_SetPos(HWND hwnd, int id, int pos)
{
  WINL_Wnd* w = SliderItem(hwnd, id);
  if (!w)
  {
    ForwardTrackbar(hwnd, id, TBM_SETPOS, 1, pos);
    return;
  }
  WINL_Control* c = w->control.get();
  c->value = std::max(c->minimum, std::min(c->maximum, static_cast<double>(pos)));
  if (w->native) PLAT_ControlSetValue(Native(w), c->value);
}

void WINL_TB_SetRange(HWND hwnd, int id, int minimum, int maximum)
{
  WINL_Wnd* w = SliderItem(hwnd, id);
  if (!w)
  {
    const uint32_t packed = (static_cast<uint32_t>(maximum) << 16) | (static_cast<uint32_t>(minimum) & 0xFFFF);
    ForwardTrackbar(hwnd, id, TBM_SETRANGE, 1, static_cast<int32_t>(packed));
    return;
  }
  WINL_Control* c = w->control.get();
  c->minimum = minimum;
  c->maximum = std::max(minimum, maximum);
  c->value = std::max(c->minimum, std::min(c->maximum, c->value));
  if (w->native)
  {
    PLAT_ControlSetRange(Native(w), c->minimum, c->maximum);
    PLAT_ControlSetValue(Native(w), c->value);
  }
}

void WINL_TB_SetTic(HWND hwnd, int id, int pos)
{
  if (!SliderItem(hwnd, id)) ForwardTrackbar(hwnd, id, TBM_SETTIC, 0, pos);
}

// ---- tabs ----

int TabCtrl_GetItemCount(HWND tabs)
{
  WINL_Wnd* w = Tabs(tabs);
  return w ? static_cast<int>(w->control->items.size()) : 0;
}

int TabCtrl_InsertItem(HWND tabs, int index, const TCITEM* item)
{
  WINL_Wnd* w = Tabs(tabs);
  if (!w || !item || !(item->mask & TCIF_TEXT) || !item->pszText) return -1;
  WINL_Control* c = w->control.get();
  index = std::max(0, std::min(index, static_cast<int>(c->items.size())));
  const std::string text = WINL_CStringToCFString(item->pszText);
  c->items.insert(c->items.begin() + index, text);
  // The first tab becomes the selected one; later ones leave it.
  if (c->curSel < 0)
    c->curSel = 0;
  else if (c->curSel >= index && c->items.size() > 1)
    ++c->curSel;
  if (w->native)
  {
    PLAT_ControlInsertItem(Native(w), index, text.c_str());
    PLAT_ControlSelect(Native(w), c->curSel);
  }
  return index;
}

BOOL TabCtrl_DeleteItem(HWND tabs, int index)
{
  WINL_Wnd* w = Tabs(tabs);
  if (!w || index < 0 || index >= static_cast<int>(w->control->items.size())) return FALSE;
  WINL_Control* c = w->control.get();
  c->items.erase(c->items.begin() + index);
  if (c->curSel >= static_cast<int>(c->items.size()) || (c->curSel > index)) --c->curSel;
  if (w->native)
  {
    PLAT_ControlDeleteItem(Native(w), index);
    PLAT_ControlSelect(Native(w), c->curSel);
  }
  return TRUE;
}

int TabCtrl_SetCurSel(HWND tabs, int index)
{
  WINL_Wnd* w = Tabs(tabs);
  if (!w) return -1;
  WINL_Control* c = w->control.get();
  const int old = c->curSel < 0 ? 0 : c->curSel;
  if (index >= 0 && index < static_cast<int>(c->items.size()))
  {
    c->curSel = index;
    if (w->native) PLAT_ControlSelect(Native(w), index);
  }
  return old;
}

int TabCtrl_GetCurSel(HWND tabs)
{
  WINL_Wnd* w = Tabs(tabs);
  return w && w->control->curSel > 0 ? w->control->curSel : 0;
}

BOOL TabCtrl_AdjustRect(HWND tabs, BOOL larger, RECT* rect)
{
  if (!Tabs(tabs) || !rect) return FALSE;
  const int d = larger ? -1 : 1;
  rect->left += 7 * d;
  rect->right -= 7 * d;
  rect->top += 26 * d;
  rect->bottom -= 3 * d;
  return TRUE;
}

// ---- dialog items ----

BOOL GetDlgItemText(HWND hwnd, int id, char* buffer, int size)
{
  if (!buffer || size < 1) return FALSE;
  buffer[0] = 0;
  WINL_Wnd* w = Item(hwnd, id);
  if (!w) return FALSE;
  if (w->control)
    WINL_CFStringToCString(WINL_ControlText(w), buffer, size);
  else
    GetWindowText(WINL_Handle(w), buffer, size);
  return TRUE;
}

BOOL SetDlgItemText(HWND hwnd, int id, const char* text)
{
  WINL_Wnd* w = Item(hwnd, id);
  if (!w) return FALSE;
  if (!w->control) return SetWindowText(WINL_Handle(w), text);
  WINL_ControlSetText(w, text);
  // Only a one-line field the user can type in reports the new text;
  // read-only fields, text views and combos do not.
  const WINL_Control* c = w->control.get();
  if (c->kind == PLAT_ControlKind::Edit && !(c->style & ES_READONLY)) Notify(w, EN_CHANGE);
  return TRUE;
}

BOOL SetDlgItemInt(HWND hwnd, int id, UINT value, BOOL isSigned)
{
  char text[16];
  if (isSigned)
    std::snprintf(text, sizeof text, "%d", static_cast<int>(value));
  else
    std::snprintf(text, sizeof text, "%u", value);
  return SetDlgItemText(hwnd, id, text);
}

UINT GetDlgItemInt(HWND hwnd, int id, BOOL* ok, BOOL isSigned)
{
  if (ok) *ok = FALSE;
  char text[129];
  if (!GetDlgItemText(hwnd, id, text, sizeof text)) return 0;
  const char* p = text;
  while (*p == ' ' || *p == '\t') ++p;
  // The leading number, what follows it ignored; one beyond an int counts
  // as no number rather than wrapping.
  errno = 0;
  const long long v = std::strtoll(p, nullptr, 10);
  if (errno == ERANGE || v < INT_MIN || v > INT_MAX) return 0;
  const bool valid = (isSigned || v >= 0) && (*p == '0' || v != 0);
  if (!valid) return 0;
  if (ok) *ok = TRUE;
  return static_cast<UINT>(static_cast<int>(v));
}

BOOL CheckDlgButton(HWND hwnd, int id, UINT state)
{
  WINL_Wnd* w = Item(hwnd, id);
  if (!IsButton(ControlOf(w))) return FALSE;
  SetCheck(w, (state & 2) ? 2 : static_cast<int>(state & 1));
  return TRUE;
}

UINT IsDlgButtonChecked(HWND hwnd, int id)
{
  WINL_Wnd* w = Item(hwnd, id);
  return IsButton(ControlOf(w)) ? static_cast<UINT>(w->control->check) : 0;
}

int WINL_GetDefaultButtonID(HWND hwnd, bool onlyIfEnabled)
{
  WINL_Wnd* content = WINL_ContentOf(WINL_Live(hwnd));
  WINL_Wnd* b = content ? WINL_Live(content->frame->defaultButton) : nullptr;
  if (!b || (onlyIfEnabled && !b->enabled)) return 0;
  return static_cast<int>(b->tag);
}

// ---- the user's actions ----

namespace
{
// Any button of the layer's: push, check or radio button.
bool IsLayerButton(WINL_Wnd* w)
{
  if (!w || !w->control) return false;
  const PLAT_ControlKind k = w->control->kind;
  return k == PLAT_ControlKind::PushButton || k == PLAT_ControlKind::CheckBox || k == PLAT_ControlKind::RadioButton;
}

// A clicked automatic radio button switches off the other automatic ones
// of its group: the buttons around it up to a group start or a control
// that is not one of the layer's buttons (a check box between two radio
// buttons does not part them).
void AutoRadio(WINL_Wnd* w)
{
  WINL_Wnd* parent = WINL_Live(w->parent);
  if (!parent) return;
  const std::vector<uint64_t> kids = parent->children;
  const auto at = std::find(kids.begin(), kids.end(), w->id);
  if (at == kids.end()) return;
  const auto off = [](WINL_Wnd* s) {
    if ((s->control->radioFlags & 1) && s->control->check) SetCheck(s, 0);
  };
  if (!(w->control->radioFlags & 2))
    for (auto it = at; it != kids.begin();)
    {
      WINL_Wnd* s = WINL_Live(*--it);
      if (!IsLayerButton(s)) break;
      off(s);
      if (s->control->radioFlags & 2) break;
    }
  for (auto it = at + 1; it != kids.end(); ++it)
  {
    WINL_Wnd* s = WINL_Live(*it);
    if (!IsLayerButton(s) || (s->control->radioFlags & 2)) break;
    off(s);
  }
}
}  // namespace

void WINL_ControlDrawItem(WINL_Wnd* w, PLAT_Canvas* canvas)
{
  WINL_Control* c = w->control.get();
  WINL_Wnd* parent = WINL_Live(w->parent);
  if (!c || !c->ownerDraw || !parent) return;
  HDC hdc = WINL_CreatePaintContext(canvas);
  if (!hdc) return;
  WINL_DispatchGuard guard(*w);
  DRAWITEMSTRUCT item{};
  item.CtlType = ODT_BUTTON;
  item.CtlID = static_cast<UINT>(w->tag);
  item.hwndItem = WINL_Handle(w);
  item.hDC = hdc;
  item.rcItem = {0, 0, w->w, w->h};
  WINL_Dispatch(parent, WM_DRAWITEM, static_cast<WPARAM>(w->tag), reinterpret_cast<LPARAM>(&item));
  WINL_DeleteGfxContext(hdc);
}

void WINL_ControlInput(WINL_Wnd* w, PLAT_ControlEvent event, int value)
{
  WINL_Control* c = w->control.get();
  if (!c || w->state.load() != kWndAlive) return;
  WINL_DispatchGuard guard(*w);
  switch (event)
  {
    case PLAT_ControlEvent::Clicked:
      if (c->kind == PLAT_ControlKind::CheckBox) c->check = value;
      if (c->kind == PLAT_ControlKind::RadioButton)
      {
        if (c->radioFlags & 1)
        {
          SetCheck(w, 1);
          AutoRadio(w);
        }
        else
          SetCheck(w, c->check);  // only the program switches it
      }
      Notify(w, c->kind == PLAT_ControlKind::Label && value >= 2 ? STN_DBLCLK : BN_CLICKED);
      break;
    case PLAT_ControlEvent::Selected:
      c->curSel = value;
      if (c->kind == PLAT_ControlKind::ComboEdit && value < static_cast<int>(c->items.size()))
        c->text = c->items[value];
      Notify(w, CBN_SELCHANGE);
      break;
    case PLAT_ControlEvent::TextChanged:
      if (w->native) c->text = PLAT_ControlGetText(Native(w));
      // A one-line field tells every keystroke; a text view tells its
      // changes once, when editing ends (below).
      if (c->kind == PLAT_ControlKind::Edit) Notify(w, EN_CHANGE);
      if (c->kind == PLAT_ControlKind::ComboEdit) Notify(w, CBN_EDITCHANGE);
      break;
    case PLAT_ControlEvent::FocusIn:
      WINL_TookFocus(w);
      if (IsTextField(c) || c->kind == PLAT_ControlKind::ComboEdit) Notify(w, EN_SETFOCUS);
      break;
    case PLAT_ControlEvent::FocusOut:
      // A text view's changes count as made when it is left.
      if (c->kind == PLAT_ControlKind::TextView) Notify(w, EN_CHANGE);
      Notify(w, EN_KILLFOCUS);
      break;
    case PLAT_ControlEvent::DropDown:
      Notify(w, CBN_DROPDOWN);
      break;
    case PLAT_ControlEvent::ValueChanged:
      c->value = value;
      if (WINL_Wnd* parent = WINL_Live(w->parent))
        WINL_Dispatch(parent, WM_HSCROLL, 0, reinterpret_cast<LPARAM>(WINL_Handle(w)));
      break;
    case PLAT_ControlEvent::PageChanged:
      c->curSel = value;
      if (WINL_Wnd* to = WINL_Live(c->notify))
      {
        NMHDR header{WINL_Handle(w), static_cast<UINT_PTR>(w->tag), TCN_SELCHANGE};
        WINL_Dispatch(to, WM_NOTIFY, static_cast<WPARAM>(w->tag), reinterpret_cast<LPARAM>(&header));
      }
      break;
  }
}
