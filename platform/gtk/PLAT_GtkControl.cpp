// The widgets behind native controls, and the signals that report the
// user's changes. The layer's own changes raise the control's blocked count,
// so that the toolkit's signals for them (a drop-down list announces every
// selection, however made) reach nobody.

#include "platform/gtk/PLAT_GtkControl.h"

#include "core/PlainNumber.h"
#include "platform/PLAT_Canvas.h"
#include "platform/PLAT_CanvasCairo.h"
#include "platform/PLAT_CairoPrivate.h"
#include "platform/PLAT_Image.h"
#include "platform/gtk/PLAT_GtkPrivate.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

namespace
{
// ---- reporting ----

class Blocked
{
public:
  explicit Blocked(PLAT_ControlImpl* c) : mControl(c) { ++mControl->blocked; }
  ~Blocked() { --mControl->blocked; }
  Blocked(const Blocked&) = delete;
  Blocked& operator=(const Blocked&) = delete;

private:
  PLAT_ControlImpl* mControl;
};

void Report(PLAT_ControlImpl* c, PLAT_ControlEvent event, int value)
{
  if (c->blocked) return;
  PLAT_GtkSink* sink = PLAT_GtkGetSink();
  if (!sink) return;
  try
  {
    sink->OnControlEvent(c->id, event, value);
  }
  catch (...)
  {
    std::fprintf(stderr, "ZephraEditor: a control's event failed\n");
  }
}

int CheckStateOf(GtkWidget* button)
{
  if (gtk_toggle_button_get_inconsistent(GTK_TOGGLE_BUTTON(button))) return 2;
  return gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(button)) ? 1 : 0;
}

void OnClicked(GtkButton* button, gpointer data)
{
  auto* c = static_cast<PLAT_ControlImpl*>(data);
  const auto kind = static_cast<PLAT_ControlKind>(c->kind);
  if (kind == PLAT_ControlKind::CheckBox && !c->blocked)
    gtk_toggle_button_set_inconsistent(GTK_TOGGLE_BUTTON(button), FALSE);
  const int value = kind == PLAT_ControlKind::PushButton ? 0 : CheckStateOf(GTK_WIDGET(button));
  Report(c, PLAT_ControlEvent::Clicked, value);
}

void OnComboChanged(GtkComboBox* combo, gpointer data)
{
  auto* c = static_cast<PLAT_ControlImpl*>(data);
  const int index = gtk_combo_box_get_active(combo);
  if (index >= 0)
    Report(c, PLAT_ControlEvent::Selected, index);
  else
    Report(c, PLAT_ControlEvent::TextChanged, 0);
}

void OnTextChanged(gpointer, gpointer data)
{
  Report(static_cast<PLAT_ControlImpl*>(data), PLAT_ControlEvent::TextChanged, 0);
}

gboolean OnFocusIn(GtkWidget*, GdkEvent*, gpointer data)
{
  Report(static_cast<PLAT_ControlImpl*>(data), PLAT_ControlEvent::FocusIn, 0);
  return FALSE;
}

gboolean OnFocusOut(GtkWidget*, GdkEvent*, gpointer data)
{
  Report(static_cast<PLAT_ControlImpl*>(data), PLAT_ControlEvent::FocusOut, 0);
  return FALSE;
}

// A drop-down list's keyboard focus is on a button inside it.
void OnFocusChild(GtkContainer*, GtkWidget* child, gpointer data)
{
  if (child) Report(static_cast<PLAT_ControlImpl*>(data), PLAT_ControlEvent::FocusIn, 0);
}

// Controls worked with keys say when Tab or a click gives them the focus,
// as the text fields do, so that the layer knows where the keyboard is.
void ReportFocusOfKeyControls(PLAT_ControlImpl* c, PLAT_ControlKind kind, GtkWidget* widget)
{
  switch (kind)
  {
    case PLAT_ControlKind::PushButton:
    case PLAT_ControlKind::CheckBox:
    case PLAT_ControlKind::RadioButton:
    case PLAT_ControlKind::Slider:
    case PLAT_ControlKind::Tabs: g_signal_connect(widget, "focus-in-event", G_CALLBACK(OnFocusIn), c); break;
    case PLAT_ControlKind::DropList: g_signal_connect(widget, "set-focus-child", G_CALLBACK(OnFocusChild), c); break;
    default: break;
  }
}

// Return or Enter with no modifier in a one-line field belongs to the
// dialog, which presses its default button or takes the focus from the field:
// the views the field sits in hear the key before the field acts on it. The
// window itself is not asked again: it is where the key came from.
gboolean OnEntryKey(GtkWidget* entry, GdkEventKey* e, gpointer)
{
  const bool enter = e->keyval == GDK_KEY_Return || e->keyval == GDK_KEY_KP_Enter || e->keyval == GDK_KEY_ISO_Enter;
  const auto mods = GDK_SHIFT_MASK | GDK_CONTROL_MASK | GDK_MOD1_MASK | GDK_SUPER_MASK | GDK_META_MASK;
  if (!enter || (e->state & mods)) return FALSE;
  for (GtkWidget* p = gtk_widget_get_parent(entry); p && !GTK_IS_WINDOW(p); p = gtk_widget_get_parent(p))
    if (gtk_widget_event(p, reinterpret_cast<GdkEvent*>(e))) return TRUE;
  return FALSE;
}

// The toolkit sizes the opened list to its field, or to its widest item,
// each time it opens it; a larger size asked for once it shows makes the
// list grow to it. The list itself is reached through its accessible, the
// one handle the toolkit gives to it.
void WidenPopup(GtkComboBox* combo, int pixels)
{
  AtkObject* accessible = gtk_combo_box_get_popup_accessible(combo);
  GtkWidget* popup =
      accessible && GTK_IS_ACCESSIBLE(accessible) ? gtk_accessible_get_widget(GTK_ACCESSIBLE(accessible)) : nullptr;
  if (!popup) return;
  int width = -1, height = -1;
  gtk_widget_get_size_request(popup, &width, &height);
  if (width < pixels) gtk_widget_set_size_request(popup, pixels, height);
}

// The list opens on the pointer or a key alike; closing it says nothing.
void OnPopupShown(GObject* combo, GParamSpec*, gpointer data)
{
  gboolean shown = FALSE;
  g_object_get(combo, "popup-shown", &shown, nullptr);
  auto* c = static_cast<PLAT_ControlImpl*>(data);
  if (shown && c->listWidth > 0) WidenPopup(GTK_COMBO_BOX(combo), c->listWidth);
  if (shown) Report(c, PLAT_ControlEvent::DropDown, 0);
}

void OnValueChanged(GtkRange* range, gpointer data)
{
  Report(static_cast<PLAT_ControlImpl*>(data), PLAT_ControlEvent::ValueChanged,
         static_cast<int>(std::lround(gtk_range_get_value(range))));
}

void OnSwitchPage(GtkNotebook*, GtkWidget*, guint page, gpointer data)
{
  Report(static_cast<PLAT_ControlImpl*>(data), PLAT_ControlEvent::PageChanged, static_cast<int>(page));
}

// A label that asks for clicks: a release of the first button over it.
// A label remembers whether the press before a release was a double one:
// the release then reports a click count of 2.
gboolean OnLabelPress(GtkWidget* box, GdkEventButton* e, gpointer)
{
  if (e->button == 1)
    g_object_set_data(G_OBJECT(box), "zephra-double", GINT_TO_POINTER(e->type == GDK_2BUTTON_PRESS ? 1 : 0));
  return FALSE;
}

gboolean OnLabelRelease(GtkWidget* box, GdkEventButton* e, gpointer data)
{
  if (e->button != 1 || e->x < 0 || e->y < 0 || e->x >= gtk_widget_get_allocated_width(box) ||
      e->y >= gtk_widget_get_allocated_height(box))
    return FALSE;
  const bool twice = GPOINTER_TO_INT(g_object_get_data(G_OBJECT(box), "zephra-double")) != 0;
  g_object_set_data(G_OBJECT(box), "zephra-double", GINT_TO_POINTER(0));
  Report(static_cast<PLAT_ControlImpl*>(data), PLAT_ControlEvent::Clicked, twice ? 2 : 1);
  return TRUE;
}

// An owner-drawn button's face is whatever its window's procedure paints.
gboolean OnOwnerDraw(GtkWidget* button, cairo_t* cr, gpointer data)
{
  auto* c = static_cast<PLAT_ControlImpl*>(data);
  PLAT_GtkSink* sink = PLAT_GtkGetSink();
  if (!sink) return TRUE;
  const int w = gtk_widget_get_allocated_width(button);
  const int h = gtk_widget_get_allocated_height(button);
  g_object_ref(button);
  cairo_save(cr);
  try
  {
    if (auto canvas = PLAT_CanvasWrapCairo(cr, w, h)) sink->OnViewDraw(c->id, canvas.get(), 0, 0, w, h);
  }
  catch (...)
  {
    std::fprintf(stderr, "ZephraEditor: painting an owner-drawn button failed\n");
  }
  cairo_restore(cr);
  g_object_unref(button);
  return TRUE;
}

// The widgets that show a control's text: the label inside a button or a
// frame, or the label or field itself.
GtkWidget* TextWidgetOf(PLAT_ControlImpl* c)
{
  switch (static_cast<PLAT_ControlKind>(c->kind))
  {
    case PLAT_ControlKind::PushButton:
    case PLAT_ControlKind::CheckBox:
    case PLAT_ControlKind::RadioButton:
    {
      GtkWidget* child = gtk_bin_get_child(GTK_BIN(c->inner));
      return child && GTK_IS_LABEL(child) ? child : nullptr;
    }
    case PLAT_ControlKind::GroupBox: return gtk_frame_get_label_widget(GTK_FRAME(c->inner));
    case PLAT_ControlKind::Label:
    case PLAT_ControlKind::Edit: return c->inner;
    default: return nullptr;
  }
}

// The toolkit may replace a button's or frame's label when its text
// changes, so the colour is put on whichever label shows now.
void ApplyTextColor(PLAT_ControlImpl* c)
{
  if (!c->textColor) return;
  if (GtkWidget* t = TextWidgetOf(c))
  {
    GtkStyleContext* style = gtk_widget_get_style_context(t);
    gtk_style_context_remove_provider(style, GTK_STYLE_PROVIDER(c->textColor));
    gtk_style_context_add_provider(style, GTK_STYLE_PROVIDER(c->textColor), GTK_STYLE_PROVIDER_PRIORITY_USER);
  }
}

// ---- making ----

constexpr int kOneLineChars = 1000;

// The dialogs give a drop-down list the height of one line of text: the
// theme's padding, made for taller buttons, would push the text out of it.
const char kCompactComboCss[] =
    "combobox.winl-compact button.combo { padding-top: 0; padding-bottom: 0; min-height: 0; }";

void MakeComboCompact(GtkWidget* combo)
{
  static const bool installed = [] {
    GtkCssProvider* css = gtk_css_provider_new();
    gtk_css_provider_load_from_data(css, kCompactComboCss, -1, nullptr);
    gtk_style_context_add_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(css),
                                              GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    g_object_unref(css);
    return true;
  }();
  (void)installed;
  gtk_style_context_add_class(gtk_widget_get_style_context(combo), "winl-compact");
}

// A long item must not make the list ask for more width than its frame.
void EllipsizeCells(GtkWidget* combo)
{
  GList* cells = gtk_cell_layout_get_cells(GTK_CELL_LAYOUT(combo));
  for (GList* l = cells; l; l = l->next)
    if (GTK_IS_CELL_RENDERER_TEXT(l->data)) g_object_set(l->data, "ellipsize", PANGO_ELLIPSIZE_END, nullptr);
  g_list_free(cells);
}

float AlignmentOf(unsigned options)
{
  if (options & PLAT_CTL_ALIGN_CENTER) return 0.5f;
  if (options & PLAT_CTL_ALIGN_RIGHT) return 1.0f;
  return 0.0f;
}

GtkWidget* MakeWidget(PLAT_ControlImpl* c, PLAT_ControlKind kind, unsigned options)
{
  switch (kind)
  {
    case PLAT_ControlKind::PushButton:
    {
      GtkWidget* b = gtk_button_new_with_label("");
      g_signal_connect(b, "clicked", G_CALLBACK(OnClicked), c);
      if (options & PLAT_CTL_OWNERDRAW) g_signal_connect(b, "draw", G_CALLBACK(OnOwnerDraw), c);
      return b;
    }
    case PLAT_ControlKind::CheckBox:
    {
      GtkWidget* b = gtk_check_button_new_with_label("");
      g_signal_connect(b, "clicked", G_CALLBACK(OnClicked), c);
      return b;
    }
    case PLAT_ControlKind::RadioButton:
    {
      // Alone in its group with a hidden partner: the layer, not the
      // toolkit, decides which buttons are on, and the partner lets the
      // button be switched off.
      GtkWidget* b = gtk_radio_button_new_with_label(nullptr, "");
      c->sentinel = gtk_radio_button_new_from_widget(GTK_RADIO_BUTTON(b));
      g_object_ref_sink(c->sentinel);
      gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(c->sentinel), TRUE);
      g_signal_connect(b, "clicked", G_CALLBACK(OnClicked), c);
      return b;
    }
    case PLAT_ControlKind::Label:
    {
      GtkWidget* l = gtk_label_new("");
      gtk_label_set_xalign(GTK_LABEL(l), AlignmentOf(options));
      gtk_label_set_yalign(GTK_LABEL(l), 0.5f);
      gtk_label_set_line_wrap(GTK_LABEL(l), (options & PLAT_CTL_WRAP) != 0);
      // Asked for its size, a wrapping label answers with its text on one
      // line, so that a label sized to fit shows all of it.
      if (options & PLAT_CTL_WRAP) gtk_label_set_max_width_chars(GTK_LABEL(l), kOneLineChars);
      if (!(options & PLAT_CTL_WRAP)) gtk_label_set_ellipsize(GTK_LABEL(l), PANGO_ELLIPSIZE_END);
      if (!(options & PLAT_CTL_NOTIFY)) return l;
      // A label has no window of its own to catch clicks in.
      GtkWidget* box = gtk_event_box_new();
      gtk_event_box_set_visible_window(GTK_EVENT_BOX(box), FALSE);
      gtk_container_add(GTK_CONTAINER(box), l);
      gtk_widget_show(l);
      g_signal_connect(box, "button-press-event", G_CALLBACK(OnLabelPress), c);
      g_signal_connect(box, "button-release-event", G_CALLBACK(OnLabelRelease), c);
      c->inner = l;
      return box;
    }
    case PLAT_ControlKind::Edit:
    {
      GtkWidget* e = gtk_entry_new();
      gtk_entry_set_visibility(GTK_ENTRY(e), !(options & PLAT_CTL_PASSWORD));
      gtk_editable_set_editable(GTK_EDITABLE(e), !(options & PLAT_CTL_READONLY));
      gtk_entry_set_alignment(GTK_ENTRY(e), AlignmentOf(options));
      gtk_entry_set_width_chars(GTK_ENTRY(e), 1);
      gtk_entry_set_activates_default(GTK_ENTRY(e), TRUE);
      g_signal_connect(e, "changed", G_CALLBACK(OnTextChanged), c);
      g_signal_connect(e, "focus-in-event", G_CALLBACK(OnFocusIn), c);
      g_signal_connect(e, "focus-out-event", G_CALLBACK(OnFocusOut), c);
      g_signal_connect(e, "key-press-event", G_CALLBACK(OnEntryKey), nullptr);
      return e;
    }
    case PLAT_ControlKind::TextView:
    {
      GtkWidget* scroll = gtk_scrolled_window_new(nullptr, nullptr);
      gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scroll),
                                     (options & PLAT_CTL_HSCROLL) ? GTK_POLICY_AUTOMATIC : GTK_POLICY_NEVER,
                                     GTK_POLICY_AUTOMATIC);
      GtkWidget* text = gtk_text_view_new();
      gtk_text_view_set_editable(GTK_TEXT_VIEW(text), !(options & PLAT_CTL_READONLY));
      if (!(options & PLAT_CTL_HSCROLL)) gtk_text_view_set_wrap_mode(GTK_TEXT_VIEW(text), GTK_WRAP_WORD_CHAR);
      gtk_container_add(GTK_CONTAINER(scroll), text);
      gtk_widget_show(text);
      g_signal_connect(gtk_text_view_get_buffer(GTK_TEXT_VIEW(text)), "changed", G_CALLBACK(OnTextChanged), c);
      g_signal_connect(text, "focus-in-event", G_CALLBACK(OnFocusIn), c);
      g_signal_connect(text, "focus-out-event", G_CALLBACK(OnFocusOut), c);
      c->inner = text;
      return scroll;
    }
    case PLAT_ControlKind::GroupBox:
    {
      GtkWidget* f = gtk_frame_new("");
      gtk_frame_set_label_align(GTK_FRAME(f), AlignmentOf(options), 0.5f);
      return f;
    }
    case PLAT_ControlKind::DropList:
    case PLAT_ControlKind::ComboEdit:
    {
      const bool edit = kind == PLAT_ControlKind::ComboEdit;
      GtkWidget* combo = edit ? gtk_combo_box_text_new_with_entry() : gtk_combo_box_text_new();
      EllipsizeCells(combo);
      MakeComboCompact(combo);
      // An enabled list takes the keyboard focus also while it has no items
      // yet (no ports to offer): the toolkit would make it insensitive.
      if (!edit) gtk_combo_box_set_button_sensitivity(GTK_COMBO_BOX(combo), GTK_SENSITIVITY_ON);
      g_signal_connect(combo, "changed", G_CALLBACK(OnComboChanged), c);
      g_signal_connect(combo, "notify::popup-shown", G_CALLBACK(OnPopupShown), c);
      if (edit)
      {
        GtkWidget* entry = gtk_bin_get_child(GTK_BIN(combo));
        gtk_entry_set_width_chars(GTK_ENTRY(entry), 1);
        g_signal_connect(entry, "focus-in-event", G_CALLBACK(OnFocusIn), c);
        g_signal_connect(entry, "focus-out-event", G_CALLBACK(OnFocusOut), c);
      }
      return combo;
    }
    case PLAT_ControlKind::Slider:
    {
      GtkWidget* s = gtk_scale_new_with_range(GTK_ORIENTATION_HORIZONTAL, 0, 1000, 1);
      gtk_scale_set_draw_value(GTK_SCALE(s), FALSE);
      g_signal_connect(s, "value-changed", G_CALLBACK(OnValueChanged), c);
      return s;
    }
    case PLAT_ControlKind::Progress: return gtk_progress_bar_new();
    case PLAT_ControlKind::Tabs:
    {
      GtkWidget* n = gtk_notebook_new();
      gtk_notebook_set_scrollable(GTK_NOTEBOOK(n), TRUE);
      g_signal_connect(n, "switch-page", G_CALLBACK(OnSwitchPage), c);
      return n;
    }
  }
  return nullptr;
}

PLAT_ControlImpl* ControlOf(PLAT_GtkView* view)
{
  return view && view->GetImpl() ? view->GetImpl()->control.get() : nullptr;
}

PLAT_ControlKind KindOf(const PLAT_ControlImpl* c) { return static_cast<PLAT_ControlKind>(c->kind); }

bool IsList(const PLAT_ControlImpl* c)
{
  return KindOf(c) == PLAT_ControlKind::DropList || KindOf(c) == PLAT_ControlKind::ComboEdit;
}
}  // namespace

PLAT_ControlImpl::~PLAT_ControlImpl()
{
  if (textColor) g_object_unref(textColor);
  if (font) g_object_unref(font);
  if (sentinel)
  {
    gtk_widget_destroy(sentinel);
    g_object_unref(sentinel);
  }
}

std::string PLAT_ControlText(const char* text)
{
  if (!text) return std::string();
  if (g_utf8_validate(text, -1, nullptr)) return text;
  gchar* converted = g_convert(text, -1, "UTF-8", "ISO-8859-1", nullptr, nullptr, nullptr);
  std::string out = converted ? converted : "";
  g_free(converted);
  return out;
}

std::unique_ptr<PLAT_GtkView> PLAT_ControlCreate(uint64_t id, PLAT_ControlKind kind, unsigned options)
{
  if (!PLAT_GtkIsUp()) return nullptr;
  auto impl = std::make_unique<PLAT_GtkView::Impl>();
  impl->control = std::make_unique<PLAT_ControlImpl>();
  PLAT_ControlImpl* c = impl->control.get();
  c->id = id;
  c->kind = static_cast<int>(kind);
  GtkWidget* widget = MakeWidget(c, kind, options);
  if (!c->inner) c->inner = widget;
  ReportFocusOfKeyControls(c, kind, widget);
  g_object_ref_sink(widget);
  impl->widget = widget;
  return PLAT_GtkView::FromImpl(std::move(impl));
}

void PLAT_ControlSetText(PLAT_GtkView* control, const char* text)
{
  PLAT_ControlImpl* c = ControlOf(control);
  if (!c) return;
  Blocked block(c);
  const std::string t = PLAT_ControlText(text);
  GtkWidget* w = c->inner;
  switch (KindOf(c))
  {
    case PLAT_ControlKind::PushButton:
    case PLAT_ControlKind::CheckBox:
    case PLAT_ControlKind::RadioButton: gtk_button_set_label(GTK_BUTTON(w), t.c_str()); break;
    case PLAT_ControlKind::Label: gtk_label_set_text(GTK_LABEL(w), t.c_str()); break;
    case PLAT_ControlKind::Edit: gtk_entry_set_text(GTK_ENTRY(w), t.c_str()); break;
    case PLAT_ControlKind::TextView:
      gtk_text_buffer_set_text(gtk_text_view_get_buffer(GTK_TEXT_VIEW(w)), t.c_str(), -1);
      break;
    case PLAT_ControlKind::GroupBox: gtk_frame_set_label(GTK_FRAME(w), t.c_str()); break;
    case PLAT_ControlKind::ComboEdit:
      gtk_entry_set_text(GTK_ENTRY(gtk_bin_get_child(GTK_BIN(w))), t.c_str());
      break;
    default: break;
  }
  ApplyTextColor(c);
}

void PLAT_ControlSetTextColor(PLAT_GtkView* control, int rgb)
{
  PLAT_ControlImpl* c = ControlOf(control);
  if (!c) return;
  GtkWidget* t = TextWidgetOf(c);
  if (c->textColor)
  {
    if (t) gtk_style_context_remove_provider(gtk_widget_get_style_context(t), GTK_STYLE_PROVIDER(c->textColor));
    g_object_unref(c->textColor);
    c->textColor = nullptr;
  }
  if (rgb < 0) return;
  char css[40];
  std::snprintf(css, sizeof css, "* { color: #%06x; }", rgb & 0xFFFFFF);
  c->textColor = gtk_css_provider_new();
  gtk_css_provider_load_from_data(c->textColor, css, -1, nullptr);
  ApplyTextColor(c);
}

namespace
{
// Font properties are inherited: set on the control, they reach its label,
// entry, text view or list cells.
void SetFontCss(PLAT_GtkView* control, PLAT_ControlImpl* c, const std::string& css)
{
  GtkStyleContext* style = gtk_widget_get_style_context(control->GetImpl()->widget);
  if (c->font)
  {
    gtk_style_context_remove_provider(style, GTK_STYLE_PROVIDER(c->font));
    g_object_unref(c->font);
  }
  c->font = gtk_css_provider_new();
  gtk_css_provider_load_from_data(c->font, css.c_str(), -1, nullptr);
  gtk_style_context_add_provider(style, GTK_STYLE_PROVIDER(c->font), GTK_STYLE_PROVIDER_PRIORITY_USER);
}
}  // namespace

void PLAT_ControlSetFontSize(PLAT_GtkView* control, int pixels)
{
  PLAT_ControlImpl* c = ControlOf(control);
  if (!c || pixels <= 0) return;
  SetFontCss(control, c, "* { font-size: " + std::to_string(pixels) + "px; }");
}

void PLAT_ControlSetFont(PLAT_GtkView* control, const char* face, double pixels)
{
  PLAT_ControlImpl* c = ControlOf(control);
  if (!c || !face || pixels <= 0) return;
  PangoFontDescription* d = pango_font_description_from_string(face);
  const char* family = pango_font_description_get_family(d);
  std::string css = "* { font-family: \"";
  for (const char* p = family ? family : ""; *p; ++p)
    if (*p != '"' && *p != '\\') css += *p;
  // CSS takes a point whatever the locale.
  char rest[96];
  std::snprintf(rest, sizeof rest, "\"; font-size: %spx; font-weight: %d; font-style: %s; }",
                PlainFixed(pixels, 2).c_str(), static_cast<int>(pango_font_description_get_weight(d)),
                pango_font_description_get_style(d) == PANGO_STYLE_NORMAL ? "normal" : "italic");
  pango_font_description_free(d);
  SetFontCss(control, c, css + rest);
}

void PLAT_ControlScrollTextTo(PLAT_GtkView* control, bool end)
{
  PLAT_ControlImpl* c = ControlOf(control);
  if (!c || KindOf(c) != PLAT_ControlKind::TextView) return;
  GtkAdjustment* a = gtk_scrollable_get_vadjustment(GTK_SCROLLABLE(c->inner));
  gtk_adjustment_set_value(a, end ? gtk_adjustment_get_upper(a) - gtk_adjustment_get_page_size(a)
                                  : gtk_adjustment_get_lower(a));
}

void PLAT_ControlSetImage(PLAT_GtkView* control, const PLAT_Image* image, bool right)
{
  PLAT_ControlImpl* c = ControlOf(control);
  if (!c || !c->inner || !GTK_IS_BUTTON(c->inner)) return;
  GtkButton* button = GTK_BUTTON(c->inner);
  if (!image || !image->GetImpl())
  {
    gtk_button_set_image(button, nullptr);
    return;
  }
  gtk_button_set_image(button, gtk_image_new_from_surface(image->GetImpl()->surface.get()));
  gtk_button_set_always_show_image(button, TRUE);
  gtk_button_set_image_position(button, right ? GTK_POS_RIGHT : GTK_POS_LEFT);
}

std::string PLAT_ControlGetText(PLAT_GtkView* control)
{
  PLAT_ControlImpl* c = ControlOf(control);
  if (!c) return std::string();
  switch (KindOf(c))
  {
    case PLAT_ControlKind::Edit: return gtk_entry_get_text(GTK_ENTRY(c->inner));
    case PLAT_ControlKind::ComboEdit: return gtk_entry_get_text(GTK_ENTRY(gtk_bin_get_child(GTK_BIN(c->inner))));
    case PLAT_ControlKind::TextView:
    {
      GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(c->inner));
      GtkTextIter start, end;
      gtk_text_buffer_get_bounds(buffer, &start, &end);
      gchar* text = gtk_text_buffer_get_text(buffer, &start, &end, FALSE);
      std::string out = text ? text : "";
      g_free(text);
      return out;
    }
    default: return std::string();
  }
}

void PLAT_ControlSetCheck(PLAT_GtkView* control, int state)
{
  PLAT_ControlImpl* c = ControlOf(control);
  if (!c || (KindOf(c) != PLAT_ControlKind::CheckBox && KindOf(c) != PLAT_ControlKind::RadioButton)) return;
  Blocked block(c);
  GtkToggleButton* b = GTK_TOGGLE_BUTTON(c->inner);
  if (KindOf(c) == PLAT_ControlKind::RadioButton)
  {
    gtk_toggle_button_set_active(state ? b : GTK_TOGGLE_BUTTON(c->sentinel), TRUE);
    return;
  }
  gtk_toggle_button_set_inconsistent(b, state == 2);
  gtk_toggle_button_set_active(b, state == 1);
}

bool PLAT_ControlNaturalSize(PLAT_GtkView* control, int* width, int* height)
{
  if (!ControlOf(control)) return false;
  GtkRequisition natural;
  gtk_widget_get_preferred_size(control->GetImpl()->widget, nullptr, &natural);
  *width = natural.width;
  *height = natural.height;
  return true;
}

void PLAT_ControlMakeDefault(PLAT_GtkView* control)
{
  PLAT_ControlImpl* c = ControlOf(control);
  if (!c || KindOf(c) != PLAT_ControlKind::PushButton) return;
  gtk_widget_set_can_default(c->inner, TRUE);
  GtkWidget* top = gtk_widget_get_toplevel(c->inner);
  if (GTK_IS_WINDOW(top)) gtk_window_set_default(GTK_WINDOW(top), c->inner);
}

void PLAT_ControlSetListWidth(PLAT_GtkView* control, int pixels)
{
  PLAT_ControlImpl* c = ControlOf(control);
  if (!c || !IsList(c)) return;
  c->listWidth = std::max(pixels, 0);
  // Not fixed, the toolkit opens the list as wide as its widest item needs.
  gtk_combo_box_set_popup_fixed_width(GTK_COMBO_BOX(c->inner), c->listWidth == 0);
}

void PLAT_ControlInsertItem(PLAT_GtkView* control, int index, const char* text)
{
  PLAT_ControlImpl* c = ControlOf(control);
  if (!c) return;
  Blocked block(c);
  const std::string t = PLAT_ControlText(text);
  if (IsList(c))
    gtk_combo_box_text_insert_text(GTK_COMBO_BOX_TEXT(c->inner), index, t.c_str());
  else if (KindOf(c) == PLAT_ControlKind::Tabs)
  {
    GtkWidget* page = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
    gtk_widget_show(page);
    GtkWidget* label = gtk_label_new(t.c_str());
    gtk_notebook_insert_page(GTK_NOTEBOOK(c->inner), page, label, index);
  }
}

void PLAT_ControlDeleteItem(PLAT_GtkView* control, int index)
{
  PLAT_ControlImpl* c = ControlOf(control);
  if (!c) return;
  Blocked block(c);
  if (IsList(c))
    gtk_combo_box_text_remove(GTK_COMBO_BOX_TEXT(c->inner), index);
  else if (KindOf(c) == PLAT_ControlKind::Tabs)
    gtk_notebook_remove_page(GTK_NOTEBOOK(c->inner), index);
}

void PLAT_ControlClearItems(PLAT_GtkView* control)
{
  PLAT_ControlImpl* c = ControlOf(control);
  if (!c) return;
  Blocked block(c);
  if (IsList(c)) gtk_combo_box_text_remove_all(GTK_COMBO_BOX_TEXT(c->inner));
  if (KindOf(c) == PLAT_ControlKind::Tabs)
    while (gtk_notebook_get_n_pages(GTK_NOTEBOOK(c->inner)) > 0) gtk_notebook_remove_page(GTK_NOTEBOOK(c->inner), -1);
}

void PLAT_ControlSelect(PLAT_GtkView* control, int index)
{
  PLAT_ControlImpl* c = ControlOf(control);
  if (!c) return;
  Blocked block(c);
  if (IsList(c))
  {
    gtk_combo_box_set_active(GTK_COMBO_BOX(c->inner), index);
    // The field of an editable combo keeps its text when the selection goes.
    if (index < 0 && KindOf(c) == PLAT_ControlKind::ComboEdit)
      gtk_entry_set_text(GTK_ENTRY(gtk_bin_get_child(GTK_BIN(c->inner))), "");
  }
  else if (KindOf(c) == PLAT_ControlKind::Tabs && index >= 0)
    gtk_notebook_set_current_page(GTK_NOTEBOOK(c->inner), index);
}

void PLAT_ControlSetRange(PLAT_GtkView* control, double minimum, double maximum)
{
  PLAT_ControlImpl* c = ControlOf(control);
  if (!c) return;
  Blocked block(c);
  if (KindOf(c) == PLAT_ControlKind::Slider)
    gtk_range_set_range(GTK_RANGE(c->inner), minimum, maximum > minimum ? maximum : minimum + 1);
  c->minimum = minimum;
  c->maximum = maximum;
}

void PLAT_ControlSetValue(PLAT_GtkView* control, double value)
{
  PLAT_ControlImpl* c = ControlOf(control);
  if (!c) return;
  Blocked block(c);
  if (KindOf(c) == PLAT_ControlKind::Slider)
    gtk_range_set_value(GTK_RANGE(c->inner), value);
  else if (KindOf(c) == PLAT_ControlKind::Progress)
  {
    const double span = c->maximum - c->minimum;
    double fraction = span > 0 ? (value - c->minimum) / span : 0;
    fraction = fraction < 0 ? 0 : fraction > 1 ? 1 : fraction;
    gtk_progress_bar_set_fraction(GTK_PROGRESS_BAR(c->inner), fraction);
  }
}

void PLAT_ControlSetSelection(PLAT_GtkView* control, int start, int end)
{
  PLAT_ControlImpl* c = ControlOf(control);
  if (!c) return;
  Blocked block(c);
  if (KindOf(c) == PLAT_ControlKind::Edit)
    gtk_editable_select_region(GTK_EDITABLE(c->inner), start, end);
  else if (KindOf(c) == PLAT_ControlKind::TextView)
  {
    GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(c->inner));
    GtkTextIter a, b;
    gtk_text_buffer_get_iter_at_offset(buffer, &a, start);
    gtk_text_buffer_get_iter_at_offset(buffer, &b, end);
    gtk_text_buffer_select_range(buffer, &a, &b);
  }
}

bool PLAT_ControlGetSelection(PLAT_GtkView* control, int* start, int* end)
{
  PLAT_ControlImpl* c = ControlOf(control);
  if (!c) return false;
  if (KindOf(c) == PLAT_ControlKind::Edit)
  {
    gint a = 0, b = 0;
    gtk_editable_get_selection_bounds(GTK_EDITABLE(c->inner), &a, &b);
    if (a == b) a = b = gtk_editable_get_position(GTK_EDITABLE(c->inner));
    *start = a;
    *end = b;
    return true;
  }
  if (KindOf(c) == PLAT_ControlKind::TextView)
  {
    GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(c->inner));
    GtkTextIter a, b;
    gtk_text_buffer_get_selection_bounds(buffer, &a, &b);
    *start = gtk_text_iter_get_offset(&a);
    *end = gtk_text_iter_get_offset(&b);
    return true;
  }
  return false;
}
