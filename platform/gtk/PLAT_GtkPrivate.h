// Internal to the toolkit layer: the widgets behind the view and window
// objects. No header outside platform/gtk/ includes this one.
#pragma once

#include "platform/gtk/PLAT_GtkView.h"

#include <gtk/gtk.h>

#include <cstdint>

// What the window layer is told of a key, button, motion or scroll event.
PLAT_Input PLAT_GtkKeyInput(const GdkEventKey* e);
PLAT_Input PLAT_GtkButtonInput(const GdkEventButton* e);
PLAT_Input PLAT_GtkMotionInput(const GdkEventMotion* e);
PLAT_Input PLAT_GtkScrollInput(const GdkEventScroll* e);
// PLAT_MOD_ bits of an event's modifier state.
unsigned PLAT_GtkModsOf(guint state);

// The sink set with PLAT_GtkSetSink, or null.
PLAT_GtkSink* PLAT_GtkGetSink();

// What a native control adds to its view object.
struct PLAT_ControlImpl
{
  uint64_t id = 0;
  int kind = 0;                   // a PLAT_ControlKind
  GtkWidget* inner = nullptr;     // the widget that does the work (the outer one for most kinds)
  GtkWidget* sentinel = nullptr;  // radio buttons: the hidden member that is on when the button is off
  int blocked = 0;                // the layer's own changes under way: report nothing
  double minimum = 0;             // progress bars
  double maximum = 100;
  GtkCssProvider* textColor = nullptr;  // the colour the layer set on the text, or null
  GtkCssProvider* font = nullptr;       // the text size the layer set, or null
  int listWidth = 0;              // drop-down lists: the opened list's least width, pixels

  ~PLAT_ControlImpl();
};

struct PLAT_GtkView::Impl
{
  GtkWidget* widget = nullptr;  // a ZephraWinlView, or a control's outer widget; we hold a reference
  std::unique_ptr<PLAT_ControlImpl> control;  // native controls only
  GdkDrawingContext* directDraw = nullptr;
  std::unique_ptr<PLAT_Canvas> directCanvas;

  ~Impl();
};

struct PLAT_GtkWindow::Impl
{
  GtkWidget* window = nullptr;  // a GtkWindow; we hold a reference
  GtkWidget* box = nullptr;     // the window's only child: the menu bar (if any) above the content
  GtkWidget* content = nullptr; // the content view's widget while it is inside
  GtkWidget* menuBar = nullptr; // PLAT_GtkMenu.cpp's, owned by the box
  uint64_t id = 0;
  bool clear = false;           // SetClearBackground's
  // The window manager's frame as last read (DecorationHeight and
  // DecorationTop) and the loop's turn it was read in.
  int decorationHeight = 0;
  int decorationTop = 0;
  unsigned decorationTurn = 0;

  ~Impl();
};

// A tree view for lists and trees over the model (not taken over): taking
// the keyboard focus selects no row, where the toolkit's own selects the
// first of a single-selection table.
GtkWidget* PLAT_GtkNewTable(GtkTreeModel* model);

struct PLAT_ListColors;
// Gives a table or tree widget the colours through its own style provider,
// which replaces the one in *provider (held; null when every colour is the
// theme's).
void PLAT_GtkApplyListColors(GtkWidget* widget, GtkCssProvider** provider, const PLAT_ListColors& colors);

// The height the window's menu bar takes above the content; 0 without one.
// The layer's frames are those of the content and the bar: the window grows
// by the bar's height, so the content keeps the size the layer gave it.
int PLAT_GtkMenuBarHeight(const PLAT_GtkWindow::Impl* window);

// A window the user may not size (made without the resizable style) keeps
// the size the program gives it: its least and largest size, as the window
// manager is told them, become width x height (the whole window, bar
// included), so neither a drag of its border nor a maximise changes it.
// Nothing for a resizable window.
void PLAT_GtkHoldSize(PLAT_GtkWindow::Impl* window, int width, int height);

// The main loop's turn: it changes each time the loop runs again. An answer
// of the display server read while handling one event cannot be seen to
// change before the next (its change comes as an event itself), so an
// answer asked for often may be kept while the turn stays the same.
unsigned PLAT_GtkLoopTurn();
