// Internal to the window layer: the window records, the registry that maps
// handles to them, and the functions the layer's files share.
//
// Records are created, changed and freed on the main thread only. The
// registry's map is changed only there too, under its lock; other threads
// look handles up under the lock and read nothing but the atomic state.
#pragma once

#include "platform/gtk/PLAT_Gtk.h"
#include "platform/gtk/PLAT_GtkControl.h"
#include "platform/gtk/PLAT_GtkLoop.h"
#include "platform/gtk/PLAT_GtkView.h"
#include "winl/WINL_Dialog.h"
#include "winl/WINL_Window.h"

#include <atomic>
#include <memory>
#include <string>
#include <vector>

// ---- records ----

// A window's state: 0 alive, 1 inside its WM_DESTROY, 2 destroyed.
enum : int
{
  kWndAlive = 0,
  kWndDestroying = 1,
  kWndDead = 2,
};

// What a content view keeps of the top-level window around it.
struct WINL_Frame
{
  bool dialogBox = false;         // a modal dialog's window
  unsigned style = 0;             // PLAT_WINDOW_ bits
  // Top-down screen pixels of the whole window.
  int x = 0;
  int y = 0;
  int w = 0;
  int h = 0;
  int lastW = 0;                  // the size at the last WM_SIZE
  int lastH = 0;
  bool visible = false;
  bool enabled = true;
  bool wantKeyOnFirstShow = false;
  uint64_t owner = 0;             // the owner's content view
  std::vector<uint64_t> owned;    // newest first
  uint64_t firstResponder = 0;    // the view with the keyboard focus inside
  uint64_t defaultButton = 0;     // the button that Return presses
  // Modal dialogs: the value given to EndDialog and the run waiting for it.
  int result = 0;
  bool hasResult = false;
  PLAT_NestedLoop* modalRun = nullptr;
  // Frames the layer asked the display for since it last took a report,
  // oldest first: the display reports them in that order, so a report of
  // one while a later one is on its way is stale.
  std::vector<PLAT_Rect> requested;
  int level = 0;                  // WINL_SetWindowLevel's
  int wantRaise = 0;              // WINL_SetWindowWantRaiseAmt's
  std::string representedFile;    // the file the window shows
  bool edited = false;            // with unsaved changes
  bool mouseToCapture = false;    // WINL_SetWindowForwardsMouseToCapture's
  bool clearBackground = false;   // WINL_SetWindowClearBackground's
  std::unique_ptr<PLAT_GtkWindow> native;
};

struct WINL_Prop
{
  uintptr_t atom = 0;  // non-zero for an atom name
  std::string name;
  HANDLE data = nullptr;
};

// What a native control keeps beside the window record; the widget shows it.
struct WINL_Control
{
  PLAT_ControlKind kind = PLAT_ControlKind::PushButton;
  LONG_PTR style = 0;
  LONG_PTR exStyle = 0;
  std::string text;                 // not cut, unlike window titles
  int check = 0;                    // 0 off, 1 on, 2 mixed
  int radioFlags = 0;               // 1 automatic radio button, 2 first of a group
  bool ownerDraw = false;
  int textColor = -1;               // 0xRRGGBB a dialog procedure gave the text; -1 the theme's
  int fontSize = 0;                 // the text's pixels the maker chose; 0 the theme's
  void* image = nullptr;            // BM_SETIMAGE's bitmap
  std::vector<std::string> items;   // lists and tabs
  std::vector<LONG_PTR> itemData;
  int curSel = -1;
  int droppedWidth = 0;             // CB_SETDROPPEDWIDTH's least width of the opened list, pixels
  double minimum = 0;               // sliders and progress bars
  double maximum = 100;
  double value = 0;
  uint64_t notify = 0;              // tabs: the window told of page changes
  int selStart = 0;                 // text fields without a widget: the selection
  int selEnd = 0;
};

struct WINL_Wnd
{
  uint64_t id = 0;
  std::atomic<int> state{kWndAlive};
  int dispatching = 0;             // messages being handled for this window
  bool enabled = true;
  WNDPROC wndproc = nullptr;
  DLGPROC dlgproc = nullptr;
  LONG_PTR userData = 0;
  LONG_PTR extra[32] = {};
  LONG_PTR tag = 0;
  bool opaque = true;
  bool flipped = true;
  bool acceptsFiles = false;
  bool fakeRightMouse = false;
  bool allowOnePass = true;        // SetAllowNoMiddleManRendering's
  std::string title;
  std::string className;
  uint32_t createFlags = 0;
  int dirty = 3;                   // 1 repaint itself, 2 a descendant changed
  bool hidden = true;
  // The frame in the parent's client coordinates (a content view's lies at
  // (0, 0) of its window).
  int x = 0;
  int y = 0;
  int w = 0;
  int h = 0;
  uint64_t parent = 0;
  std::vector<uint64_t> children;  // back first
  std::vector<WINL_Prop> props;    // newest first
  // While WM_PAINT runs: the paint context and the rectangle being painted.
  HDC paintHdc = nullptr;
  double paintX = 0;
  double paintY = 0;
  double paintW = 0;
  double paintH = 0;
  bool paintUsed = false;
  int paintSaves = 0;              // GetDC saves of the paint context
  HDC directHdc = nullptr;         // a GetDC context outside the paint
  std::unique_ptr<WINL_Frame> frame;  // content views only
  std::unique_ptr<WINL_Control> control;  // native controls only
  std::unique_ptr<PLAT_GtkView> native;
};

// ---- registry ----

HWND WINL_Handle(const WINL_Wnd* w);
// The record of a handle in any state; null when there is none (main thread).
WINL_Wnd* WINL_Find(HWND hwnd);
inline WINL_Wnd* WINL_Find(uint64_t id)
{
  return id ? WINL_Find(reinterpret_cast<HWND>(static_cast<uintptr_t>(id))) : nullptr;
}
// The record unless its window is destroyed (a window inside its WM_DESTROY
// still answers its functions); else null (main thread).
WINL_Wnd* WINL_Live(HWND hwnd);
inline WINL_Wnd* WINL_Live(uint64_t id) { return WINL_Live(reinterpret_cast<HWND>(static_cast<uintptr_t>(id))); }
// The toolkit view of a live plain view; null for native controls, which
// draw and drag themselves, and for dead handles (main thread).
inline PLAT_GtkView* WINL_PlainNative(HWND hwnd)
{
  WINL_Wnd* w = WINL_Live(hwnd);
  return w && !w->control ? w->native.get() : nullptr;
}
// A new live record with a fresh id (main thread).
WINL_Wnd* WINL_NewRecord();
// Whether posted messages may go to the handle now; any thread.
bool WINL_CanPostMessage(HWND hwnd);
// Frees the records of destroyed windows that no message is being handled
// for (main thread).
void WINL_FreeDeadRecords();
// The content views of the top-level windows, front first.
std::vector<uint64_t> WINL_TopLevels();
// Brings a top-level window to the front of that order.
void WINL_BringToFront(uint64_t id);

// Whether the calling thread may drive windows: the main thread, or any
// thread before the queue knows the main thread.
bool WINL_OnMainThread();

// Keeps a record from being freed while a message for it is handled.
class WINL_DispatchGuard
{
public:
  explicit WINL_DispatchGuard(WINL_Wnd& w) : mWnd(w) { ++mWnd.dispatching; }
  ~WINL_DispatchGuard() { --mWnd.dispatching; }
  WINL_DispatchGuard(const WINL_DispatchGuard&) = delete;
  WINL_DispatchGuard& operator=(const WINL_DispatchGuard&) = delete;

private:
  WINL_Wnd& mWnd;
};

// ---- shared between the layer's files ----

// The message entry of a record: the destroyed-state rules, then the window
// procedure.
LRESULT WINL_Dispatch(WINL_Wnd* w, UINT msg, WPARAM wParam, LPARAM lParam);
// Calls the window procedure directly, as the input events do; -1 when the
// window is not alive or has no procedure.
LRESULT WINL_CallProc(WINL_Wnd* w, UINT msg, WPARAM wParam, LPARAM lParam);

// The content view at the top of w's chain (w itself for a content view);
// null for a view not inside a top-level window.
WINL_Wnd* WINL_ContentOf(WINL_Wnd* w);
// A view's top-left corner in top-down screen pixels.
void WINL_ViewScreenOrigin(WINL_Wnd* w, int* x, int* y);
// Top-down screen pixels to and from the layer's y-up screen coordinates.
int WINL_ScreenYUp(int yTopDown);
int WINL_ScreenXUp(int xTopDown);
int WINL_ScreenYDown(int yUp);
int WINL_ScreenXDown(int xUp);
// The primary monitor's frame and work area, top-down (1024 x 1024 at (0, 0)
// without a display).
void WINL_Monitor(PLAT_Rect* frame, PLAT_Rect* workArea);

// Links the view into the parent's children and the widget tree; a null
// parent unlinks it.
void WINL_LinkView(WINL_Wnd* w, WINL_Wnd* parent);
// Sets a content view's top-level frame (top-down) and tells the widget;
// sends WM_SIZE and WM_MOVE when they changed.
void WINL_SetTopFrame(WINL_Wnd* content, int x, int y, int w, int h);
// Sends WM_DESTROY unless the window is already going; the teardown of the
// message entry does the rest.
void WINL_Teardown(WINL_Wnd* w);

// Window activation: the window became or stopped being the one with the
// keyboard (resigning a window that is not active does nothing); sends
// WM_ACTIVATE and tracks the application's activation.
void WINL_BecomeKey(WINL_Wnd* content);
void WINL_ResignKey(WINL_Wnd* content);
// The content view of the active window, or null.
WINL_Wnd* WINL_KeyWindow();
// Whether the window is active, or was the last one active and no other
// took the keyboard since (the display may take it away as a window goes).
bool WINL_HoldsTheKeyboard(const WINL_Wnd* content);
// Makes a shown window the active one: the display gives it the keyboard.
void WINL_Activate(WINL_Wnd* content);
// A control, list or tree took its window's keyboard focus in the toolkit
// (Tab, a click): from now on GetFocus reports it while the window is active.
void WINL_TookFocus(WINL_Wnd* w);
// The user asked to close the window.
void WINL_CloseRequest(WINL_Wnd* content);
// The display reported the window's frame.
void WINL_FrameReported(WINL_Wnd* content, const PLAT_Rect& frame);
// A content view's window gets the caption state of a new GWL_STYLE: titled
// and resizable (WS_THICKFRAME), titled only (WS_CAPTION) or bare; the window
// is made anew when that state changes. The previous style, or 0 when the
// state stays.
LONG_PTR WINL_RestyleTopLevel(WINL_Wnd* content, LONG_PTR style);
// Ends the window's modal run, if one runs, and every run when all is set.
void WINL_EndModalRuns(WINL_Wnd* content, bool all);

// Paints the view's rectangle (view pixels) on canvas: WM_NCCALCSIZE,
// WM_NCPAINT and WM_PAINT with a paint context over canvas.
void WINL_PaintView(WINL_Wnd* w, PLAT_Canvas* canvas, double x, double y, double width, double height);
// Input from the toolkit for a view.
bool WINL_ViewInput(WINL_Wnd* w, const PLAT_Input& input);
// The last input event's position, y-up screen coordinates.
POINT WINL_LastEventPos();

// Called when the application gains (active) or loses every window's
// keyboard focus; the runner tells the application.
void WINL_AppActivated(bool active);

// The window procedure of native controls: the control messages.
LRESULT WINL_ControlProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// The user worked the control.
void WINL_ControlInput(WINL_Wnd* w, PLAT_ControlEvent event, int value);
// A control's text changed: the record and the widget.
void WINL_ControlSetText(WINL_Wnd* w, const char* text);
// An owner-drawn button must be painted on canvas: WM_DRAWITEM to its parent.
void WINL_ControlDrawItem(WINL_Wnd* w, PLAT_Canvas* canvas);
// The style a control answers to GWL_STYLE, WS_CHILD aside.
LONG_PTR WINL_ControlStyle(WINL_Wnd* w);
// SetWindowLong(GWL_STYLE) on one of the layer's buttons: types 3 and 6
// make it a check box (6 with the mixed state), 9 an automatic radio button
// (a group's first with WS_GROUP). False for other controls, which keep no
// style of their own.
bool WINL_ControlRestyleButton(WINL_Wnd* w, LONG_PTR style);
// Gives a control a widget of another kind in place of its own, with its
// text, check state, font, colour, frame, visibility, enabled state and
// place among its siblings.
void WINL_RemakeControl(WINL_Wnd* w, PLAT_ControlKind kind);
// The control's text, read back from a field the user may have edited.
const std::string& WINL_ControlText(WINL_Wnd* w);

// A key the view's procedure left: Escape or Ctrl+W cancels the view's
// dialog, Return presses its enabled default button. True when it did.
bool WINL_DialogKeyHook(WINL_Wnd* w, int key, int flags);

// The view of an application dialog resource (null when there is none) with
// no parent, for a file chooser to show below its own widgets.
HWND WINL_CreateAccessory(const char* resid, DLGPROC proc, LPARAM param);

// Keeps the makers' layout state across a dialog created while another is
// being built.
void WINL_PushLayoutState();
void WINL_PopLayoutState();

// Sends, through the message entry, to the record when it is alive.
LRESULT WINL_Send(uint64_t id, UINT msg, WPARAM wParam, LPARAM lParam);
