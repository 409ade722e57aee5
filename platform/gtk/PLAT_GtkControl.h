// Native controls of the window layer's dialogs: push buttons, check boxes,
// radio buttons, labels, text fields, group boxes, drop-down lists, editable
// combos, sliders, progress bars and tabs. Each control is a PLAT_GtkView, so
// the layer places, shows, enables and focuses it as it does its own views;
// the functions below work the control part.
//
// The layer's record holds every control's state; the widget only mirrors
// it. Changes the layer makes through these functions never come back as
// events; what the user does reaches the sink's OnControlEvent. Texts are
// taken as UTF-8 and, where they are not, as Latin-1 (port names need not be
// UTF-8). Main thread only.
#pragma once

#include "platform/gtk/PLAT_GtkView.h"

#include <memory>
#include <string>

class PLAT_Image;

enum class PLAT_ControlKind
{
  PushButton,
  CheckBox,
  RadioButton,
  Label,
  Edit,       // one line
  TextView,   // several lines, scrolled
  GroupBox,
  DropList,   // a choice among fixed items
  ComboEdit,  // an editable text with a list of items
  Slider,
  Progress,
  Tabs,
};

// Options of PLAT_ControlCreate.
constexpr unsigned PLAT_CTL_PASSWORD = 1;
constexpr unsigned PLAT_CTL_READONLY = 2;
constexpr unsigned PLAT_CTL_ALIGN_CENTER = 4;
constexpr unsigned PLAT_CTL_ALIGN_RIGHT = 8;
constexpr unsigned PLAT_CTL_WRAP = 16;        // labels: wrap over several lines
constexpr unsigned PLAT_CTL_HSCROLL = 32;     // text views: a horizontal scroll bar
constexpr unsigned PLAT_CTL_NOTIFY = 64;      // labels: a click is reported as Clicked
constexpr unsigned PLAT_CTL_OWNERDRAW = 128;  // push buttons: the sink's OnViewDraw paints the face

// Null before PLAT_GtkInit.
std::unique_ptr<PLAT_GtkView> PLAT_ControlCreate(uint64_t id, PLAT_ControlKind kind, unsigned options);

// What a control reports of the user's actions.
enum class PLAT_ControlEvent
{
  Clicked,      // a push, check or radio button; value: 1 on, 0 off, 2 mixed;
                // a label asking for clicks: the click count, 2 for a double click
  Selected,     // a list's new item index
  TextChanged,
  FocusIn,      // a text field, or a control worked with keys, took the keyboard
  FocusOut,     // a text field or editable combo the user leaves
  DropDown,     // a combo's list is about to show
  ValueChanged, // a slider's new value, rounded
  PageChanged,  // the tab index
};

// The caption of a button, label or group box, the text of a field.
void PLAT_ControlSetText(PLAT_GtkView* control, const char* text);
// The text of a field or editable combo as the user left it.
std::string PLAT_ControlGetText(PLAT_GtkView* control);
// Check and radio buttons: 0 off, 1 on, 2 mixed.
void PLAT_ControlSetCheck(PLAT_GtkView* control, int state);
// The size the control would like for its content; false when it has none.
bool PLAT_ControlNaturalSize(PLAT_GtkView* control, int* width, int* height);
// The colour of the control's text, 0xRRGGBB, or -1 for the theme's.
void PLAT_ControlSetTextColor(PLAT_GtkView* control, int rgb);
// The size of the control's text, in pixels (a point of the dialog units).
void PLAT_ControlSetFontSize(PLAT_GtkView* control, int pixels);
// The face of the control's text: family and style words ("DejaVu Sans
// Bold") at the size in pixels.
void PLAT_ControlSetFont(PLAT_GtkView* control, const char* face, double pixels);
// Text views: shows the end of the text, or its start.
void PLAT_ControlScrollTextTo(PLAT_GtkView* control, bool end);
// A button's picture beside its caption (on the right when asked, else on
// the left); null takes it away.
void PLAT_ControlSetImage(PLAT_GtkView* control, const PLAT_Image* image, bool right);
// Makes the button the one that Return presses in its window.
void PLAT_ControlMakeDefault(PLAT_GtkView* control);

// Lists (drop-down, editable combo) and tabs: items by index.
void PLAT_ControlInsertItem(PLAT_GtkView* control, int index, const char* text);
void PLAT_ControlDeleteItem(PLAT_GtkView* control, int index);
void PLAT_ControlClearItems(PLAT_GtkView* control);
// -1 selects nothing.
void PLAT_ControlSelect(PLAT_GtkView* control, int index);
// Drop-down lists: the opened list's least width in pixels; more than the
// field's lets it open wider, each item whole up to that width and at least
// as wide as the widest item asks. 0: the field's width, items cut to it.
void PLAT_ControlSetListWidth(PLAT_GtkView* control, int pixels);

// Sliders and progress bars.
void PLAT_ControlSetRange(PLAT_GtkView* control, double minimum, double maximum);
void PLAT_ControlSetValue(PLAT_GtkView* control, double value);

// Text fields: the selection [start, end) in characters.
void PLAT_ControlSetSelection(PLAT_GtkView* control, int start, int end);
bool PLAT_ControlGetSelection(PLAT_GtkView* control, int* start, int* end);

// A text as the toolkit shows it: unchanged when it is UTF-8, else read as
// Latin-1.
std::string PLAT_ControlText(const char* text);
