// Top-level windows and dialogs of the window layer, made from registered
// dialog resources.
//
// A dialog resource carries a create function that builds the controls into
// the new content view. WINL_CreateDialog makes a modeless window (or a child
// view) and returns its content view; WINL_DialogBox runs a modal dialog in a
// nested main loop, in which timers, posted messages and the GUI's frame
// timer keep running, and returns the value given to EndDialog.
//
// Closing a window with its close button sends WM_CLOSE and, when that is
// not handled (0), WM_COMMAND with IDCANCEL; the window itself stays until
// DestroyWindow or EndDialog. Main thread only.
#pragma once

#include "winl/WINL_Window.h"

// Resource flags.
constexpr int WINL_DLG_CHILD = 1;        // a child view, never a top-level window
constexpr int WINL_DLG_RESIZABLE = 2;
constexpr int WINL_DLG_FLIPPED = 4;      // top-down coordinates (every view is, here)
constexpr int WINL_DLG_NO_SIZE_TO_FIT = 8;
constexpr int WINL_DLG_OPAQUE = 16;
constexpr int WINL_DLG_ACCEPT_FILES = 32;

// One registered dialog resource; records form a list through next.
struct WINL_DialogResourceIndex
{
  // The identifier: a small number held in the pointer, compared as a value.
  const char* resid;
  const char* title;  // or null
  int flags;          // WINL_DLG_ bits
  // Builds the controls into the new content view.
  void (*create)(HWND hwnd, int flags);
  int width;          // content size in pixels
  int height;
  WINL_DialogResourceIndex* next;
};

// The application's dialog resources; its resource code links records in at
// start-up.
extern WINL_DialogResourceIndex* WINL_curmodule_dialogresource_head;

// Identifiers 0x400000 + 0..15 make a window without a resource: always
// titled; bit 0 resizable, bit 1 without iconify, bit 2 without close.
constexpr uintptr_t WINL_NO_RESOURCE = 0x400000;

// Makes the dialog of the resource: a child view of parent for a
// child-only resource, else a modeless top-level window owned by parent's
// window and placed 50 pixels right of and 100 below parent's window (or the
// work area's) top-left corner. The dialog procedure gets WM_INITDIALOG with
// lParam = param during the call. Returns the content view; null when the
// identifier is not in the list.
HWND WINL_CreateDialog(WINL_DialogResourceIndex* list, const char* resid, HWND parent, DLGPROC proc,
                       LPARAM param);

// A borderless window of width x height owned by host's window, kept above
// it, horizontally centred on it (offset by half the width difference,
// rounded down) with its top at the host window's top; not shown yet. Null
// without a live host.
HWND WINL_CreateChildWindow(HWND host, int width, int height);

// Runs the dialog of the resource modally over parent's window and returns
// the value given to EndDialog: at once when EndDialog came during
// WM_INITDIALOG, else when the modal run ends. 0 when the run ended without
// one (the owner was destroyed, or the application quit); -1 for an unknown
// or child-only resource.
int WINL_DialogBox(WINL_DialogResourceIndex* list, const char* resid, HWND parent, DLGPROC proc, LPARAM param);

// Stores the value and, when the dialog's modal run is going, destroys the
// dialog and ends the run. Anything but a modal dialog is ignored.
BOOL EndDialog(HWND hwnd, int result);

// Lets the dialog procedure colour the text of the view's child controls:
// check boxes and radio buttons ask with WM_CTLCOLORBTN, labels, read-only
// fields and group boxes with WM_CTLCOLORSTATIC, each message sent once, to
// the first control of its kind, with a fresh memory context as wParam and
// that control as lParam. A text colour the procedure set on the context
// goes to every control of the kind; without one, an update puts back the
// theme's colour and a first colouring leaves the controls alone. Runs after
// WM_INITDIALOG (not an update) and for WM_DISPLAYCHANGE (an update).
void WINL_DoDialogColorUpdates(HWND view, DLGPROC proc, bool update);
