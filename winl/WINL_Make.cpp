// The layout state and the control makers: dialog units to pixels, the
// auto-row rule, the generated-dialog list and the custom creators.

#include "winl/WINL_Controls.h"

#include "winl/WINL_ListView.h"
#include "winl/WINL_TreeView.h"
#include "winl/WINL_Queue.h"
#include "winl/WINL_WndPrivate.h"

#include <strings.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

// ---- sections ----
// layout state · placing a control · makers · the generated list · custom
// creators · queries

namespace
{
// ---- layout state ----

struct Layout
{
  bool set = false;
  uint64_t parent = 0;
  double sx = 1, sy = 1, dx = 0, dy = 0;
  bool autoRow = false;
  bool sizeToFit = false;
  // The auto-row state: right edge and vertical middle of the last control,
  // and how much the last label or button grew.
  double lastRight = 0;
  double lastMiddle = -100;
  double growth = 0;
};

Layout gLayout;
std::vector<Layout> gSavedLayouts;

struct Creator
{
  WINL_CustomControlCreator fn;
  int count;
};
std::vector<Creator> gCreators;

// Frames stay within what SetWindowPos accepts; a scale or unit count out
// of range (or not a number) must not turn into an undefined conversion.
constexpr double kLimit = 1000000.0;

int ToInt(double v)
{
  if (std::isnan(v)) return 0;
  return static_cast<int>(std::max(-kLimit, std::min(kLimit, v)));
}

struct Frame
{
  int x, y, w, h;
};

Frame MakeCoords(int x, int y, int w, int h, bool autoRow, bool fixedHeight)
{
  if (w < 0 && h < 0)
    return {ToInt(-static_cast<double>(x)), ToInt(-static_cast<double>(y)), ToInt(-static_cast<double>(w)),
            ToInt(-static_cast<double>(h))};
  Layout& l = gLayout;
  Frame f;
  f.x = ToInt((x + l.dx) * l.sx + 0.5);
  f.w = ToInt(w * l.sx + 0.5);
  f.h = ToInt(h * (fixedHeight ? 1.0 : std::fabs(l.sy)) + 0.5);
  // Every view here is top-down, so dialog y grows downwards for any sign
  // of the scale.
  f.y = ToInt((y + l.dy) * std::fabs(l.sy) + 0.5);
  if (l.autoRow && autoRow)
  {
    const int placed = f.x;
    if (std::fabs(f.x - l.lastRight) < 32 && l.lastMiddle >= f.y && l.lastMiddle < f.y + f.h)
      f.x += ToInt(l.growth);
    l.lastRight = placed + f.w;
    l.lastMiddle = f.y + f.h / 2.0;
    l.growth = 0;
  }
  return f;
}

// Labels and buttons that grew push the next control of their row.
void NoteGrowth(const WINL_Wnd* w)
{
  if (w) gLayout.growth = (w->x + w->w) - gLayout.lastRight;
}

// "&x" shows as "x" and "&&" as "&"; long texts are taken as they are.
std::string ControlText(const char* text)
{
  const std::string t = WINL_CStringToCFString(text);
  if (t.size() >= 1024) return t;
  std::string out;
  for (size_t i = 0; i < t.size(); ++i)
  {
    if (t[i] == '&' && i + 1 < t.size()) ++i;
    out += t[i];
  }
  return out;
}

// ---- placing a control ----

// The class a control is found by (FindWindowEx), as its maker names it.
const char* ClassOf(PLAT_ControlKind kind)
{
  switch (kind)
  {
    case PLAT_ControlKind::PushButton:
    case PLAT_ControlKind::CheckBox:
    case PLAT_ControlKind::RadioButton:
    case PLAT_ControlKind::GroupBox: return "Button";
    case PLAT_ControlKind::Label: return "Static";
    case PLAT_ControlKind::Edit:
    case PLAT_ControlKind::TextView: return "Edit";
    case PLAT_ControlKind::DropList:
    case PLAT_ControlKind::ComboEdit: return "ComboBox";
    case PLAT_ControlKind::Slider: return "msctls_trackbar32";
    case PLAT_ControlKind::Progress: return "msctls_progress32";
    case PLAT_ControlKind::Tabs: return "SysTabControl32";
  }
  return "";
}

// The system font's size for a control made at the x scale: small dialogs
// get small text (8 below 1.0, else 10), combos always 10; from 1.81 on a
// control keeps its own font (0).
int FontSizeFor(PLAT_ControlKind kind, double xScale)
{
  switch (kind)
  {
    case PLAT_ControlKind::DropList:
    case PLAT_ControlKind::ComboEdit: return 10;
    case PLAT_ControlKind::PushButton:
    case PLAT_ControlKind::CheckBox:
    case PLAT_ControlKind::RadioButton:
    case PLAT_ControlKind::Label:
    case PLAT_ControlKind::Edit:
    case PLAT_ControlKind::TextView: return xScale >= 1.81 ? 0 : xScale < 1.0 ? 8 : 10;
    default: return 0;
  }
}

WINL_Wnd* NewControl(PLAT_ControlKind kind, unsigned options, int id, LONG_PTR style, const Frame& f,
                     const std::string& text)
{
  WINL_Wnd* parent = gLayout.set ? WINL_Live(gLayout.parent) : nullptr;
  if (!parent) return nullptr;
  WINL_Wnd* w = WINL_NewRecord();
  w->control = std::make_unique<WINL_Control>();
  w->control->kind = kind;
  w->control->style = style;
  w->className = ClassOf(kind);
  w->tag = id;
  w->x = f.x;
  w->y = f.y;
  w->w = f.w;
  w->h = f.h;
  w->hidden = (style & WINL_STYLE_HIDDEN) != 0;
  w->wndproc = WINL_ControlProc;
  w->native = PLAT_ControlCreate(w->id, kind, options);
  if (w->native)
    if ((w->control->fontSize = FontSizeFor(kind, gLayout.sx)) != 0)
      PLAT_ControlSetFontSize(w->native.get(), w->control->fontSize);
  WINL_ControlSetText(w, text.c_str());
  WINL_LinkView(w, parent);
  return w;
}

void SizeToFit(WINL_Wnd* w)
{
  RECT r{0, 0, w->w, w->h};
  WINL_GetDesiredControlSize(WINL_Handle(w), &r);
  SetWindowPos(WINL_Handle(w), nullptr, 0, 0, r.right, r.bottom, SWP_NOMOVE | SWP_NOZORDER);
}

unsigned EditOptions(LONG_PTR style)
{
  unsigned options = 0;
  if (style & ES_PASSWORD) options |= PLAT_CTL_PASSWORD;
  if (style & ES_READONLY) options |= PLAT_CTL_READONLY;
  if (style & ES_CENTER) options |= PLAT_CTL_ALIGN_CENTER;
  if (style & ES_RIGHT) options |= PLAT_CTL_ALIGN_RIGHT;
  if (style & WS_HSCROLL) options |= PLAT_CTL_HSCROLL;
  return options;
}

HWND MakeLabelWith(unsigned align, bool wrap, const char* text, int id, int x, int y, int w, int h,
                   LONG_PTR style)
{
  const Frame f = MakeCoords(x, y, w, h, true, false);
  const unsigned options = align | (wrap ? PLAT_CTL_WRAP : 0) | ((style & SS_NOTIFY) ? PLAT_CTL_NOTIFY : 0);
  WINL_Wnd* c = NewControl(PLAT_ControlKind::Label, options, id, style, f, ControlText(text));
  if (c && gLayout.sizeToFit && text && std::strlen(text) >= 2) SizeToFit(c);
  NoteGrowth(c);
  return WINL_Handle(c);
}

// fit: the button may be sized to its text (with the layout's size-to-fit
// flag); push buttons made as such keep the size the dialog gives them.
HWND MakeButtonKind(PLAT_ControlKind kind, const char* text, int id, int x, int y, int w, int h, LONG_PTR style,
                    unsigned options, bool fit)
{
  const Frame f = MakeCoords(x, y, w, h, true, false);
  WINL_Wnd* c = NewControl(kind, options, id, style, f, ControlText(text));
  if (c && fit && gLayout.sizeToFit) SizeToFit(c);
  NoteGrowth(c);
  return WINL_Handle(c);
}
}  // namespace

void WINL_RemakeControl(WINL_Wnd* w, PLAT_ControlKind kind)
{
  WINL_Control* c = w->control.get();
  c->kind = kind;
  w->className = ClassOf(kind);
  if (!w->native) return;
  std::unique_ptr<PLAT_GtkView> fresh = PLAT_ControlCreate(w->id, kind, 0);
  if (!fresh) return;
  w->native->SetParent(nullptr, {});
  w->native = std::move(fresh);
  PLAT_GtkView* v = w->native.get();
  if (c->fontSize) PLAT_ControlSetFontSize(v, c->fontSize);
  PLAT_ControlSetText(v, c->text.c_str());
  PLAT_ControlSetCheck(v, c->check);
  if (c->textColor >= 0) PLAT_ControlSetTextColor(v, c->textColor);
  v->SetSensitive(w->enabled);
  WINL_Wnd* parent = WINL_Live(w->parent);
  if (!parent || !parent->native) return;
  v->SetParent(parent->native.get(), {w->x, w->y, w->w, w->h});
  v->SetVisible(!w->hidden);
  // The widgets after it move behind it again, so that Tab and painting
  // keep the siblings' order.
  const auto& kids = parent->children;
  for (auto it = std::find(kids.begin(), kids.end(), w->id); it != kids.end(); ++it)
    if (WINL_Wnd* s = *it != w->id ? WINL_Live(*it) : nullptr)
      if (s->native) s->native->SetParent(parent->native.get(), {s->x, s->y, s->w, s->h});
}

// Creating a dialog inside a create function must not leave the outer one
// placing its remaining controls in the inner dialog.
void WINL_PushLayoutState() { gSavedLayouts.push_back(gLayout); }

void WINL_PopLayoutState()
{
  if (gSavedLayouts.empty()) return;
  gLayout = gSavedLayouts.back();
  gSavedLayouts.pop_back();
}

void WINL_MakeSetCurParms(float sx, float sy, float dx, float dy, HWND parent, bool autoRow, bool sizeToFit)
{
  Layout l;
  l.set = true;
  WINL_Wnd* p = WINL_Live(parent);
  l.parent = p ? p->id : 0;
  l.sx = sx;
  l.sy = sy;
  l.dx = dx;
  l.dy = dy;
  if (p && p->flipped && l.sy > 0) l.sy = -l.sy;
  l.autoRow = autoRow;
  l.sizeToFit = sizeToFit;
  gLayout = l;
}

// ---- makers ----

HWND WINL_MakeButton(int isDefault, const char* text, int id, int x, int y, int w, int h, LONG_PTR style)
{
  // A small number in place of the text names an icon.
  if (reinterpret_cast<uintptr_t>(text) < 0x10000) text = "ICONTEMP";
  HWND b = MakeButtonKind(PLAT_ControlKind::PushButton, text, id, x, y, w, h, style, 0, false);
  WINL_Wnd* c = WINL_Live(b);
  if (c && isDefault)
    if (WINL_Wnd* content = WINL_ContentOf(c))
    {
      content->frame->defaultButton = c->id;
      if (c->native) PLAT_ControlMakeDefault(c->native.get());
    }
  return b;
}

HWND WINL_MakeLabel(int alignment, const char* text, int id, int x, int y, int w, int h, LONG_PTR style)
{
  const unsigned align = alignment == 0 ? PLAT_CTL_ALIGN_CENTER : alignment > 0 ? PLAT_CTL_ALIGN_RIGHT : 0;
  return MakeLabelWith(align, h > 12, text, id, x, y, w, h, style);
}

HWND WINL_MakeEditField(int id, int x, int y, int w, int h, LONG_PTR style)
{
  const Frame f = MakeCoords(x, y, w, h, true, false);
  const bool multi = (style & (WS_VSCROLL | WS_HSCROLL)) != 0;
  WINL_Wnd* c =
      NewControl(multi ? PLAT_ControlKind::TextView : PLAT_ControlKind::Edit, EditOptions(style), id, style, f, "");
  NoteGrowth(c);
  return WINL_Handle(c);
}

HWND WINL_MakeCheckBox(const char* text, int id, int x, int y, int w, int h, LONG_PTR style)
{
  return WINL_MakeControl(text, id, "Button", style | 3, x, y, w, h, 0);
}

HWND WINL_MakeGroupBox(const char* title, int id, int x, int y, int w, int h, LONG_PTR style)
{
  // The box's line runs a unit above and its bottom three below the frame
  // the dialog gives.
  const Frame f = MakeCoords(x, y - 1, w, h + 3, false, false);
  WINL_Wnd* c = NewControl(PLAT_ControlKind::GroupBox, (style & 0x300) ? PLAT_CTL_ALIGN_CENTER : 0, id, style, f,
                           ControlText(title));
  if (!c) return nullptr;
  // Behind every other control of the dialog.
  SetWindowPos(WINL_Handle(c), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  return WINL_Handle(c);
}

HWND WINL_MakeCombo(int id, int x, int y, int w, int, LONG_PTR style)
{
  const bool list = (style & 3) == CBS_DROPDOWNLIST;
  const Frame f = list ? MakeCoords(x, y, w, 18, true, true) : MakeCoords(x, y, w, 22, true, false);
  WINL_Wnd* c = NewControl(list ? PLAT_ControlKind::DropList : PLAT_ControlKind::ComboEdit, 0, id, style, f, "");
  NoteGrowth(c);
  return WINL_Handle(c);
}

HWND WINL_MakeControl(const char* text, int id, const char* className, LONG_PTR style, int x, int y, int w, int h,
                      LONG_PTR exStyle)
{
  if (!gLayout.set || !className) return nullptr;
  HWND made = nullptr;
  if (!gCreators.empty())
  {
    Layout before = gLayout;
    const Frame f = MakeCoords(x, y, w, h, true, false);
    HWND parent = WINL_Handle(WINL_Live(gLayout.parent));
    // A creator may register or unregister others: walk a copy.
    const std::vector<Creator> creators = gCreators;
    for (const Creator& c : creators)
      if ((made = c.fn(parent, text, id, className, style, f.x, f.y, f.w, f.h)) != nullptr) break;
    if (made)
    {
      if (exStyle) SetWindowLong(made, GWL_EXSTYLE, exStyle);
      return made;
    }
    gLayout = before;
  }
  const auto is = [className](const char* name) { return strcasecmp(className, name) == 0; };
  if (is("SysTabControl32"))
  {
    const Frame f = MakeCoords(x, y, w, h + 6, true, false);
    WINL_Wnd* c = NewControl(PLAT_ControlKind::Tabs, 0, id, style, f, "");
    if (c) c->control->notify = c->parent;
    return WINL_Handle(c);
  }
  if (is("msctls_progress32"))
    return WINL_Handle(NewControl(PLAT_ControlKind::Progress, 0, id, style, MakeCoords(x, y, w, h, true, false), ""));
  if (is("WINLhfader") || is("msctls_trackbar32"))
  {
    WINL_Wnd* c = NewControl(PLAT_ControlKind::Slider, 0, id, style, MakeCoords(x, y, w, h, true, false), "");
    if (c)
    {
      c->control->minimum = 0;
      c->control->maximum = 1000;
    }
    return WINL_Handle(c);
  }
  if (is("Edit")) return WINL_MakeEditField(id, x, y, w, h, style);
  if (is("static"))
  {
    const LONG_PTR kind = style & 15;
    const unsigned align = kind == 1 ? PLAT_CTL_ALIGN_CENTER : kind == 2 ? PLAT_CTL_ALIGN_RIGHT : 0;
    return MakeLabelWith(align, kind != 12 && h > 12, text, id, x, y, w, h, style);
  }
  if (is("Button"))
  {
    if (style & (1 << 29)) return WINL_MakeGroupBox(text, id, x, y, w, h, style & ~(LONG_PTR{1} << 29));
    if (style & (1 << 28)) return WINL_MakeButton(1, text, id, x, y, w, h, style & ~(LONG_PTR{1} << 28));
    if (style & (1 << 27)) return WINL_MakeButton(0, text, id, x, y, w, h, style & ~(LONG_PTR{1} << 27));
    const LONG_PTR type = style & 15;
    PLAT_ControlKind kind = PLAT_ControlKind::PushButton;
    if (type == BS_AUTOCHECKBOX || type == BS_3STATE) kind = PLAT_ControlKind::CheckBox;
    if (type == BS_AUTORADIOBUTTON) kind = PLAT_ControlKind::RadioButton;
    // An owner-drawn button's face is its parent's picture: its size stays.
    HWND b = MakeButtonKind(kind, text, id, x, y, w, h, style, type == BS_OWNERDRAW ? PLAT_CTL_OWNERDRAW : 0,
                            type != BS_OWNERDRAW);
    if (WINL_Wnd* c = WINL_Live(b))
    {
      if (type == BS_AUTORADIOBUTTON) c->control->radioFlags = 1 | ((style & WS_GROUP) ? 2 : 0);
      c->control->ownerDraw = type == BS_OWNERDRAW;
      if (exStyle) c->control->exStyle = exStyle;
    }
    return b;
  }
  if (is("SysListView32") || is("SysListView32_LB"))
  {
    const Frame f = MakeCoords(x, y, w, h, true, false);
    return WINL_CreateListView(WINL_Handle(WINL_Live(gLayout.parent)), id, style, f.x, f.y, f.w, f.h,
                               is("SysListView32_LB"));
  }
  if (is("SysTreeView32"))
  {
    const Frame f = MakeCoords(x, y, w, h, true, false);
    return WINL_CreateTreeView(WINL_Handle(WINL_Live(gLayout.parent)), id, style, f.x, f.y, f.w, f.h);
  }
  return nullptr;
}

HWND WINL_MakeListBox(int id, int x, int y, int w, int h, LONG_PTR style)
{
  return WINL_MakeControl("", id, "SysListView32_LB", style, x, y, w, h, 0);
}

// ---- the generated list ----

void WINL_GenerateDialogFromList(const WINL_DlgResourceEntry* list, int count)
{
  if (!list) return;
  for (int i = 0; i < count; ++i)
  {
    const WINL_DlgResourceEntry& e = list[i];
    const std::string kind = e.str1 ? e.str1 : "";
    if (kind == "__WINL_BUTTON")
      WINL_MakeButton(e.flag1 == 1, e.str2, e.p1, e.x, e.y, e.w, e.h, e.p6);
    else if (kind == "__WINL_EDIT")
      WINL_MakeEditField(e.p1, e.x, e.y, e.w, e.h, e.p6);
    else if (kind == "__WINL_COMBO")
      WINL_MakeCombo(e.p1, e.x, e.y, e.w, e.h, e.p6);
    else if (kind == "__WINL_LISTBOX")
      WINL_MakeListBox(e.p1, e.x, e.y, e.w, e.h, e.p6);
    else if (kind == "__WINL_GROUP")
      WINL_MakeGroupBox(e.str2, e.p1, e.x, e.y, e.w, e.h, e.p6);
    else if (kind == "__WINL_CHECKBOX")
      WINL_MakeControl(e.str2, e.p1, "Button", e.p6 | 3, e.x, e.y, e.w, e.h, 0);
    else if (kind == "__WINL_LABEL")
      WINL_MakeLabel(e.flag1, e.str2, e.p1, e.x, e.y, e.w, e.h, e.p6);
    else if (e.str2 && *e.str2)
      WINL_MakeControl(e.str1, e.flag1, e.str2, e.p1, e.x, e.y, e.w, e.h, e.p6);
  }
}

// ---- custom creators ----

void WINL_RegisterCustomControlCreator(WINL_CustomControlCreator creator)
{
  if (!creator) return;
  for (Creator& c : gCreators)
    if (c.fn == creator)
    {
      ++c.count;
      return;
    }
  gCreators.push_back({creator, 1});
}

void WINL_UnregisterCustomControlCreator(WINL_CustomControlCreator creator)
{
  for (auto it = gCreators.begin(); it != gCreators.end(); ++it)
    if (it->fn == creator)
    {
      if (--it->count <= 0) gCreators.erase(it);
      return;
    }
}

// ---- queries ----

void WINL_GetDesiredControlSize(HWND control, RECT* rect)
{
  WINL_Wnd* w = WINL_Live(control);
  if (!w || !w->control || !rect || !w->native) return;
  int width = 0, height = 0;
  if (PLAT_ControlNaturalSize(w->native.get(), &width, &height)) *rect = {0, 0, width, height};
}

BOOL WINL_IsGroupBox(HWND hwnd)
{
  WINL_Wnd* w = WINL_Live(hwnd);
  return w && w->control && w->control->kind == PLAT_ControlKind::GroupBox ? TRUE : FALSE;
}

BOOL WINL_IsButton(HWND hwnd)
{
  WINL_Wnd* w = WINL_Live(hwnd);
  if (!w || !w->control) return FALSE;
  const PLAT_ControlKind k = w->control->kind;
  return k == PLAT_ControlKind::PushButton || k == PLAT_ControlKind::CheckBox || k == PLAT_ControlKind::RadioButton
             ? TRUE
             : FALSE;
}

BOOL WINL_IsStaticText(HWND hwnd)
{
  WINL_Wnd* w = WINL_Live(hwnd);
  if (!w || !w->control) return FALSE;
  return w->control->kind == PLAT_ControlKind::Label || w->control->kind == PLAT_ControlKind::Edit ? TRUE : FALSE;
}
