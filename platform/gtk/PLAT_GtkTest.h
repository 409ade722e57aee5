// For tests of the window layer on a (virtual) display: the environment the
// tests pin, input made through the toolkit's own test calls, pictures of
// what a view paints, and the window manager's close request. Main thread.
#pragma once

#include "platform/gtk/PLAT_Gtk.h"

#include <cstdint>
#include <string>
#include <vector>

class PLAT_GtkView;
class PLAT_GtkWindow;

// Before PLAT_GtkInit: the X11 backend with core input events (which the
// test input below needs), the default theme, settings kept in memory and
// no accessibility bridge (so that a display without a desktop session
// suffices), and every toolkit warning fatal, so that a test fails on the
// first one.
void PLAT_GtkTestPrepare();

// Presses (or releases) button 1..3 at (x, y) of the view, which must be on
// screen. False when the toolkit could not send it.
bool PLAT_GtkTestButton(PLAT_GtkView* view, int x, int y, int button, bool press);

// Moves the pointer to (x, y) of the view, which must be on screen, as a
// hand would: the display sends the motion (a drag while a simulated button
// is down). False when the view is not on screen.
bool PLAT_GtkTestMotion(PLAT_GtkView* view, int x, int y);

// Presses (or releases) the key of the character c (a-z, 0-9) in the
// view's window, which gives it to the widget with the keyboard focus.
bool PLAT_GtkTestKey(PLAT_GtkView* view, char c, bool press);

// Paints the view and its children into a picture of its size: pixels
// 0xRRGGBB, rows top first. Empty for a view that is not on screen.
std::vector<uint32_t> PLAT_GtkTestSnapshot(PLAT_GtkView* view, int* width, int* height);

// What the window manager's close button does.
void PLAT_GtkTestRequestClose(PLAT_GtkWindow* window);

// Sends what waits for the display and handles what came back.
void PLAT_GtkTestSettle();

// Whether the view is on the screen, so that input can reach it.
bool PLAT_GtkTestIsViewable(PLAT_GtkView* view);

// Top-level windows made for the layer that exist, shown or not (the
// toolkit's own tooltip windows and drag go-betweens aside).
int PLAT_GtkTestToplevelCount();

// Pop-up windows of the toolkit with something in them that are on the
// screen now: an open combo list or menu.
int PLAT_GtkTestShownPopupCount();

// The window's frame as the display has it, top-down screen pixels.
void PLAT_GtkTestWindowFrame(PLAT_GtkWindow* window, int* x, int* y, int* w, int* h);

// The frame the toolkit allocated to a view or control, relative to the
// view `relativeTo` (pixels, y down). False when either is not realized.
bool PLAT_GtkTestAllocation(PLAT_GtkView* view, PLAT_GtkView* relativeTo, int* x, int* y, int* w, int* h);

// What the user does with a drop-down list, tabs or a slider: picks the
// item, the tab or the value directly on the widget, as a click or a drag
// would.
void PLAT_GtkTestPickItem(PLAT_GtkView* list, int index);

// A key event as the display would deliver it for the key value with the
// modifiers (PLAT_MOD_ bits) held, turned into what the layer receives. The
// key value is that of the unshifted key (GDK's numbers, 'a' for Shift+A).
PLAT_Input PLAT_GtkTestKeyInput(unsigned keyval, unsigned mods);

// A two-finger pinch on a touchpad over (x, y) of the view, as the display
// reports one: its start, one update to the scale (1 none, 2 twice as
// large) and the turn (degrees, clockwise positive, as the display counts),
// and its end. False when the view is not on screen.
bool PLAT_GtkTestPinch(PLAT_GtkView* view, int x, int y, double scale, double degreesClockwise);

// The screen point (top-down pixels) of the point (x, y) of a view or
// control, for input made with the real pointer. False when not on screen.
bool PLAT_GtkTestScreenPoint(PLAT_GtkView* view, int x, int y, int* screenX, int* screenY);

// The size limits the window gives the window manager (its normal hints:
// the whole window, menu bar included). False when it gives none.
bool PLAT_GtkTestWindowSizeHints(PLAT_GtkWindow* window, int* minW, int* minH, int* maxW, int* maxH);

// Sizes the window from outside the program, as a window manager does for
// the user; the display, not the program, changes it.
void PLAT_GtkTestResizeFromOutside(PLAT_GtkWindow* window, int width, int height);

// The size in pixels of the text a control or view shows.
double PLAT_GtkTestFontSize(PLAT_GtkView* view);

// A text view's scroll position and its largest, in pixels; false for
// another control.
bool PLAT_GtkTestTextScroll(PLAT_GtkView* control, double* value, double* largest);
// The family and weight (400 normal, 700 bold) of a control's text.
bool PLAT_GtkTestFontFace(PLAT_GtkView* control, std::string* family, int* weight);

// The picture a button shows: its size and whether it is on the caption's
// right; false when it shows none.
bool PLAT_GtkTestButtonImage(PLAT_GtkView* control, int* width, int* height, bool* right);
