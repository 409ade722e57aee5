// Windows of the window layer: handles, messages and the window functions.
//
// A window handle (HWND) is a view: a child window, the content of a
// top-level window or dialog, or the host of controls. A top-level window has
// no handle of its own: its content view stands for it, and the functions
// that concern a frame on the screen act on the window around it.
//
// Handles are ids that are never reused. A destroyed window is a dead handle:
// every message to it answers 0 and IsWindow is false; its record is freed at
// the next queue tick once no message for it is being handled. Each record
// holds the window's state; when the toolkit is up (WINL_StartToolkit) a
// widget mirrors it, and without a display the records work alone.
//
// Coordinates: a view's client coordinates are top-down pixels, (0, 0) at its
// top-left corner. Screen coordinates have their origin at the bottom-left of
// the primary monitor, y upwards; a top-level window's rectangle is
// {x, y, x + width, y + height} of its frame, so its "top" holds the lower
// edge. A view's screen rectangle keeps client order: top is the upper edge
// and so the larger number.
//
// Everything here is for the main thread, the thread that started the
// posted-message queue. From another thread SendMessage and DestroyWindow
// return 0 and log, and IsWindow and PostMessage (WINL_Queue.h) are safe.
#pragma once

#include "winl/draw/WINL_MemDC.h"
#include "winl/draw/WINL_Types.h"

#include <cstdint>

struct HWND__;
typedef HWND__* HWND;
class PLAT_Canvas;
class PLAT_GtkView;
class PLAT_GtkWindow;
typedef intptr_t LONG_PTR;
typedef uintptr_t ULONG_PTR;

// A window procedure; a dialog procedure has the same form and answers
// non-zero when it handled the message.
typedef LRESULT (*WNDPROC)(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
typedef WNDPROC DLGPROC;
typedef BOOL (*WNDENUMPROC)(HWND hwnd, LPARAM lParam);
// name is a text, or an atom (a value below 0x10000 held in the pointer).
typedef BOOL (*PROPENUMPROCEX)(HWND hwnd, const char* name, HANDLE data, ULONG_PTR lParam);

// ---- messages ----
constexpr UINT WM_CREATE = 0x1;
constexpr UINT WM_DESTROY = 0x2;
constexpr UINT WM_MOVE = 0x3;           // lParam: frame origin, screen coordinates
constexpr UINT WM_SIZE = 0x5;
constexpr UINT WM_ACTIVATE = 0x6;       // wParam 1 active, 0 not; lParam the previous view
constexpr UINT WM_PAINT = 0xF;          // wParam: the paint context
constexpr UINT WM_CLOSE = 0x10;
constexpr UINT WM_ERASEBKGND = 0x14;
constexpr UINT WM_SHOWWINDOW = 0x18;
constexpr UINT WM_ACTIVATEAPP = 0x1C;
constexpr UINT WM_SETCURSOR = 0x20;
constexpr UINT WM_MOUSEACTIVATE = 0x21;
constexpr UINT WM_GETMINMAXINFO = 0x24; // lParam: MINMAXINFO*
constexpr UINT WM_NOTIFY = 0x4E;
constexpr UINT WM_CONTEXTMENU = 0x7B;
constexpr UINT WM_DISPLAYCHANGE = 0x7E;
constexpr UINT WM_NCCALCSIZE = 0x83;    // lParam: NCCALCSIZE_PARAMS*
constexpr UINT WM_NCHITTEST = 0x84;
constexpr UINT WM_NCPAINT = 0x85;
constexpr UINT WM_NCMOUSEMOVE = 0xA0;   // 0xA0..0xA9 mirror 0x200..0x209 outside the client area
constexpr UINT WM_NCRBUTTONUP = 0xA5;
constexpr UINT WM_KEYDOWN = 0x100;
constexpr UINT WM_KEYUP = 0x101;
constexpr UINT WM_INITDIALOG = 0x110;
constexpr UINT WM_COMMAND = 0x111;
constexpr UINT WM_TIMER = 0x113;
constexpr UINT WM_HSCROLL = 0x114;
constexpr UINT WM_INITMENUPOPUP = 0x117;
constexpr UINT WM_GESTURE = 0x119;
constexpr UINT WM_CTLCOLORBTN = 0x135;
constexpr UINT WM_CTLCOLORDLG = 0x136;  // answer: a brush for the dialog's background
constexpr UINT WM_CTLCOLORSTATIC = 0x138;
constexpr UINT WM_MOUSEMOVE = 0x200;
constexpr UINT WM_LBUTTONDOWN = 0x201;
constexpr UINT WM_LBUTTONUP = 0x202;
constexpr UINT WM_LBUTTONDBLCLK = 0x203;
constexpr UINT WM_RBUTTONDOWN = 0x204;
constexpr UINT WM_RBUTTONUP = 0x205;
constexpr UINT WM_RBUTTONDBLCLK = 0x206;
constexpr UINT WM_MBUTTONDOWN = 0x207;
constexpr UINT WM_MBUTTONUP = 0x208;
constexpr UINT WM_MBUTTONDBLCLK = 0x209;
constexpr UINT WM_MOUSEWHEEL = 0x20A;   // wParam high half: steps x 60, positive away from the user
constexpr UINT WM_MOUSEHWHEEL = 0x20E;
constexpr UINT WM_CAPTURECHANGED = 0x215;
constexpr UINT WM_USER = 0x400;

// A window procedure that answers this to a key message hands the key back
// to the toolkit.
constexpr LRESULT WINL_KEY_NOT_HANDLED = 69;

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr LRESULT HTCLIENT = 1;

// Packed points in message parameters: (y << 16) | (x & 0xFFFF).
constexpr LPARAM WINL_PackPoint(int x, int y)
{
  return static_cast<int32_t>((static_cast<uint32_t>(y) << 16) | (static_cast<uint32_t>(x) & 0xFFFFu));
}
constexpr int GET_X_LPARAM(LPARAM lp) { return static_cast<int16_t>(lp & 0xFFFF); }
constexpr int GET_Y_LPARAM(LPARAM lp) { return static_cast<int16_t>((lp >> 16) & 0xFFFF); }
constexpr WPARAM MAKEWPARAM(unsigned low, unsigned high) { return (low & 0xFFFFu) | ((high & 0xFFFFu) << 16); }

// ---- records passed with messages ----

struct PAINTSTRUCT
{
  HDC hdc;
  BOOL fErase;
  RECT rcPaint;
};

struct NCCALCSIZE_PARAMS
{
  RECT rgrc[3];
  void* lppos;
};

struct MINMAXINFO
{
  POINT ptReserved;
  POINT ptMaxSize;
  POINT ptMaxPosition;
  POINT ptMinTrackSize;
  POINT ptMaxTrackSize;
};

// WM_GESTURE's lParam. Each gesture step comes as two messages: flags
// GF_BEGIN with wParam 0 and the starting argument, then GF_END with wParam
// and the argument both the step's end (0 for a pan). Zoom: 1024 is the
// scale so far, the end 1024 plus the change times 1024, within 512..2048.
// Rotate: 32767 is no turn, each 60 degrees to the left adds 32767 (at most
// 65535). Pan (a swipe): the end's location lies one view width or height
// away in the swipe's direction, y up.
constexpr DWORD GF_BEGIN = 1;
constexpr DWORD GF_END = 4;
constexpr DWORD GID_ZOOM = 3;
constexpr DWORD GID_PAN = 4;
constexpr DWORD GID_ROTATE = 5;
struct POINTS
{
  int16_t x;
  int16_t y;
};
struct GESTUREINFO
{
  UINT cbSize;           // 56
  DWORD dwFlags;
  DWORD dwID;
  HWND hwndTarget;
  POINTS ptsLocation;    // screen, y up
  DWORD dwInstanceID;
  DWORD dwSequenceID;
  uint64_t ullArguments;
  UINT cbExtraArgs;
};
// Copies the record a WM_GESTURE's lParam points to; false when either is
// null.
bool WINL_GetGestureInfo(LPARAM lParam, GESTUREINFO* info);

// ---- window longs ----
constexpr int GWLP_USERDATA = -21;
constexpr int GWL_EXSTYLE = -20;
constexpr int GWL_STYLE = -16;
constexpr int GWL_ID = -12;
constexpr int DWLP_DLGPROC = -8;
constexpr int GWLP_WNDPROC = -4;
// Indexes 0..255 are byte offsets of 32 extra words.

constexpr LONG_PTR WS_CHILD = 0x40000000;
constexpr LONG_PTR WS_CAPTION = 0xC00000;
constexpr LONG_PTR WS_THICKFRAME = 0x40000;
constexpr LONG_PTR WS_EX_ACCEPTFILES = 0x10;

// ---- placement ----
// SetWindowPos flags of this layer: 1 keeps the position, 2 keeps the size,
// 4 keeps the order among siblings; other bits are ignored.
constexpr UINT SWP_NOMOVE = 1;
constexpr UINT SWP_NOSIZE = 2;
constexpr UINT SWP_NOZORDER = 4;
// SetWindowPos's insertAfter: frontmost, backmost; -1 and -2 leave the order.
#define HWND_TOP (reinterpret_cast<HWND>(0))
#define HWND_BOTTOM (reinterpret_cast<HWND>(1))
#define HWND_TOPMOST (reinterpret_cast<HWND>(-1))
#define HWND_NOTOPMOST (reinterpret_cast<HWND>(-2))

// ShowWindow codes of this layer.
constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;     // a window comes to the front
constexpr int SW_SHOW = 2;           // a window comes to the front and takes the keyboard
constexpr int SW_SHOWMINIMIZED = 3;  // a window is iconified

// GetWindow commands.
constexpr UINT GW_HWNDFIRST = 0;
constexpr UINT GW_HWNDLAST = 1;
constexpr UINT GW_HWNDNEXT = 2;
constexpr UINT GW_HWNDPREV = 3;
constexpr UINT GW_OWNER = 4;
constexpr UINT GW_CHILD = 5;

constexpr int SM_CXSCREEN = 0;
constexpr int SM_CYSCREEN = 1;

// ---- creation and the message entry ----

// A hidden child view of 300 x 200 pixels at (0, 0) of parent (or without a
// parent), opaque, with proc as its window procedure (the dialog default
// procedure when null). proc receives WM_CREATE with lParam = param.
HWND WINL_CreateView(HWND parent, WNDPROC proc, LPARAM param);

// Delivers the message to the window's procedure and returns its answer.
// 0 for a null or dead handle, from another thread, and for WM_DESTROY while
// the window is already being destroyed.
LRESULT SendMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// The default handling of messages that a procedure leaves alone: the wheel,
// gestures and context menus bubble up to the first ancestor view; the hit
// test answers HTCLIENT inside the client area; a right-button release sends
// WM_CONTEXTMENU; keys go back to the toolkit (WINL_KEY_NOT_HANDLED);
// everything else gives 0.
LRESULT DefWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// The procedure of dialog views: paints the background (the brush the dialog
// procedure answers to WM_CTLCOLORDLG, else the dialog grey) and offers every
// message to the dialog procedure, then to DefWindowProc.
LRESULT WinlDialogDefaultWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Sends WM_DESTROY to the window and everything inside it, kills their
// timers, drops their posted messages and takes them off the screen; a
// content view takes its top-level window and the windows it owns with it.
// FALSE for a null or dead handle or another thread.
BOOL DestroyWindow(HWND hwnd);
// TRUE for a live window. Safe from any thread.
BOOL IsWindow(HWND hwnd);

// ---- window longs, texts and properties ----

LONG_PTR GetWindowLong(HWND hwnd, int index);
// Returns the previous value. The style is kept by combo boxes and by a
// window's content view, whose window takes the new caption state
// (titled and resizable, titled, or bare); 0 and no change for other views, or when a
// window's caption state stays.
LONG_PTR SetWindowLong(HWND hwnd, int index, LONG_PTR value);
// The window text (a content view's is its window's title); at most 1023
// bytes are kept, cut at a character boundary.
BOOL SetWindowText(HWND hwnd, const char* text);
// Copies at most size - 1 bytes and terminates; the length copied.
int GetWindowText(HWND hwnd, char* buffer, int size);
// The child with the control id; id 0 gives hwnd itself. Only direct
// children are searched.
HWND GetDlgItem(HWND hwnd, int id);

BOOL SetProp(HWND hwnd, const char* name, HANDLE data);
HANDLE GetProp(HWND hwnd, const char* name);
// Removes the property and returns its data.
HANDLE RemoveProp(HWND hwnd, const char* name);
// Calls fn for every property, newest first, until it answers FALSE (then
// 0); 1 after the last, -1 for a window without properties. fn may remove
// properties, the current one included.
int EnumPropsEx(HWND hwnd, PROPENUMPROCEX fn, LPARAM lParam);

// ---- rectangles and coordinates ----

// The frame in screen coordinates (see above). FALSE for a dead handle.
BOOL GetWindowRect(HWND hwnd, RECT* rect);
// {0, 0, width, height} of the client area as WM_NCCALCSIZE leaves it.
BOOL GetClientRect(HWND hwnd, RECT* rect);
BOOL ClientToScreen(HWND hwnd, POINT* point);
BOOL ScreenToClient(HWND hwnd, POINT* point);
// The work area (or whole frame) of the monitor holding the middle of the
// source rectangle (a point: a rectangle of no size), the primary one for
// null or a point on none; y-up like a window's frame.
BOOL WINL_GetViewPort(RECT* out, const RECT* source, bool workArea);
// The primary screen's width and height (1024 without a display); 16 for
// 2, 3, 20 and 21; 0 for any other index.
int GetSystemMetrics(int index);

// ---- placement and visibility ----

// Moves and sizes the window: in screen coordinates for a content view (its
// window's frame, limited by WM_GETMINMAXINFO), in the parent's client
// coordinates for a child view, which may also change place among its
// siblings. A negative cy counts as its size; sizes are limited to
// 0..1,000,000 and positions to +-1,000,000.
BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
BOOL ShowWindow(HWND hwnd, int code);
// Centres the top-level window, menu bar included, on the work area of the
// screen it is on; a window larger than the work area keeps its top-left
// corner inside it.
BOOL CenterWindow(HWND hwnd);
// Height of the menu bar above the client area of hwnd's window; 0 without
// one or without a display.
int WINL_GetMenuBarHeight(HWND hwnd);
// Height the window manager's frame (title bar, borders) adds to hwnd's
// top-level window; 0 before the window is framed or with no window manager.
int WINL_GetDecorationHeight(HWND hwnd);
BOOL IsWindowVisible(HWND hwnd);
// A disabled window gets no mouse input and no keyboard focus. Returns
// whether it was disabled before.
BOOL EnableWindow(HWND hwnd, BOOL enable);
BOOL IsWindowEnabled(HWND hwnd);

// ---- focus, parents and enumeration ----

// The view with the keyboard focus in the active window; null without one.
HWND GetFocus();
// Gives the view the keyboard focus in its window and activates the window;
// returns the view that had the focus.
HWND SetFocus(HWND hwnd);
HWND GetForegroundWindow();
BOOL SetForegroundWindow(HWND hwnd);
// A child view's parent view; for a content view, its window's owner.
HWND GetParent(HWND hwnd);
// Moves a child view under another view (keeping its frame) or, with a null
// parent, into a new top-level window of its own. Returns the old parent.
HWND SetParent(HWND hwnd, HWND parent);
// Wraps a child view in a new modeless window (style: PLAT_WINDOW_ bits,
// 1 titled, 2 closable, 4 miniaturizable, 8 resizable) at the same place
// on the screen, owned by the window of owner (a view or content view; none
// for null), shown unless the view is hidden. Returns the view, now that
// window's content; null for a view that already is one, or an owner
// inside the view.
HWND WINL_CreateModelessFrameForView(HWND child, HWND owner, unsigned styleMask);
HWND GetWindow(HWND hwnd, UINT cmd);
BOOL IsChild(HWND parent, HWND hwnd);
// The content view of every top-level window, front first. Windows destroyed
// by the callback meanwhile are skipped. 0 when the callback stopped it.
BOOL EnumWindows(WNDENUMPROC fn, LPARAM lParam);
// Every descendant, depth first; skips windows destroyed meanwhile.
BOOL EnumChildWindows(HWND hwnd, WNDENUMPROC fn, LPARAM lParam);
// The next child of parent after `after` (the first for null) whose class
// name (without regard to case; "Static" also finds one-line text fields)
// and text (a control's caption) match, null matching anything; parent null
// searches the top-level windows.
HWND FindWindowEx(HWND parent, HWND after, const char* className, const char* title);

// Moves every child of the window by (dx, dy) and marks it for painting.
BOOL ScrollWindow(HWND hwnd, int dx, int dy, const RECT* scroll, const RECT* clip);
// The content view's frame on the screen, in the window rectangle's form.
BOOL GetWindowContentViewRect(HWND hwnd, RECT* rect);
// The file the window shows and whether it has unsaved changes; ignored
// when the content view has the property "WINL_DisableWindowRepre".
void WINL_SetWindowRepre(HWND hwnd, const char* fileName, bool edited);

// Whether a view is opaque: an opaque view paints its whole frame, so what
// lies behind it is not painted first.
void SetOpaque(HWND hwnd, bool opaque);
// Allows painting the view and its children in one pass (the default);
// kept for callers, the toolkit always paints in one pass.
void SetAllowNoMiddleManRendering(HWND hwnd, bool allow);
// Paints at once whatever waits to be painted in the window of the view.
void WINL_FlushWindow(HWND hwnd);
// Takes a window (or the window of a view) off the screen; it stays until
// DestroyWindow and may be shown again.
void WINL_CloseWindow(HWND hwnd);
// Minimizes every shown window of the application.
void WINL_HideApp();
// Takes the menu bars of the application's windows, and of those made
// later, out of sight (each window shrinks by its bar, the content keeps
// its size), after saving the options in force; restoring goes back to the
// options saved by the first auto-hide since the last restore.
void WINL_AutoHideMenuBar();
void WINL_RestorePresentationOptions();
// Levels of top-level windows: an owned window floats over its owner by
// one level plus its raise amount (0 at creation); a level above 0 keeps
// the window above ordinary ones. Kept by window; 0 for other handles.
int WINL_GetWindowWantRaiseAmt(HWND hwnd);
void WINL_SetWindowWantRaiseAmt(HWND hwnd, int amount);
void WINL_SetWindowLevel(HWND hwnd, int level);
int WINL_GetWindowLevel(HWND hwnd);

// A modal session driven by its caller: Start shows the window and takes
// the keyboard, and until End the application's other windows get no input;
// each Run handles what is waiting (without blocking) and answers 1 while
// the window lives, End closes the session.
struct WINL_ModalSession;
WINL_ModalSession* WINL_ModalWindowStart(HWND hwnd);
int WINL_ModalWindowRun(WINL_ModalSession* session);
void WINL_ModalWindowEnd(WINL_ModalSession* session);

// The deepest visible view under the screen point, in the frontmost window
// whose frame holds it; null when none does.
HWND WindowFromPoint(POINT point);

// ---- capture ----

// While on, the mouse buttons pressed and released in the window (or the
// window of a view) go to the view holding the capture even when that view
// is in another window: WM_NCHITTEST first, then the message in client
// coordinates of that view or, outside its client area, in non-client form.
// Off at creation; moves go to the capture anyway.
void WINL_SetWindowForwardsMouseToCapture(HWND hwnd, bool on);

// Makes the window (or the window of a view) clear and not opaque: where
// its views paint nothing, what lies behind shows through. Off at creation.
void WINL_SetWindowClearBackground(HWND hwnd, bool clear);

// All mouse input goes to hwnd until released. Returns the previous holder,
// which receives WM_CAPTURECHANGED when it is another window.
HWND SetCapture(HWND hwnd);
BOOL ReleaseCapture();
HWND GetCapture();

// ---- painting ----

// During WM_PAINT: fills ps with the paint context and the rectangle being
// painted and returns the context; outside a paint, a zeroed ps and null.
HDC BeginPaint(HWND hwnd, PAINTSTRUCT* ps);
BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* ps);
// Marks the rectangle (client coordinates; null for all) to be painted.
BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase);
// Paints what is marked now.
BOOL UpdateWindow(HWND hwnd);
// A context for drawing on the window: the paint context while it paints
// (with its state saved until ReleaseDC), else one straight onto the screen;
// null when the window is not on screen. Release it with ReleaseDC.
HDC GetDC(HWND hwnd);
HDC GetWindowDC(HWND hwnd);
int ReleaseDC(HWND hwnd, HDC hdc);
// TRUE when the window's pixels are more than 1.9 device pixels wide.
BOOL WINL_IsRetinaHWND(HWND hwnd);
// Marks the focus with a grey, half-transparent overlay over the rectangle
// (client coordinates of the view) that the mouse passes through, kept
// above the view's window. *state keeps the overlay: a new rectangle
// replaces the previous mark, a null one removes it (state then null).
void WINL_DrawFocusRect(HWND hwnd, const RECT* rect, void** state);

// ---- the toolkit ----

// With emulation on, a left click with Control held counts as a right click.
void WINL_EnableRightClickEmulate(bool on);
bool WINL_IsRightClickEmulateEnabled();

// Opens the display and from then on mirrors windows with widgets. False
// when there is no display; the layer then goes on without widgets.
bool WINL_StartToolkit();

// ---- for tests ----
// Records that exist, live or dead and waiting to be freed.
int WINL_GetWindowRecordCount();
// Paints the rectangle (client pixels) of the window on canvas, as the
// toolkit's drawing call does.
void WINL_PaintWindow(HWND hwnd, PLAT_Canvas* canvas, const RECT* rect);
// The widgets that mirror a window; null without the toolkit.
PLAT_GtkView* WINL_GetNativeView(HWND hwnd);
PLAT_GtkWindow* WINL_GetNativeWindow(HWND hwnd);
