// The toolkit behind the window layer's windows: starting it, the screen, the
// user's click settings, and the one sink through which every event of a
// view or a top-level window reaches the window layer.
//
// Widgets carry only the id of the record they mirror, never a pointer to it:
// an event for a record that is gone finds no record and is dropped. Only the
// main thread calls anything here.
#pragma once

#include <cstdint>

class PLAT_Canvas;
enum class PLAT_ControlEvent;

// ---- start ----

// Opens the display and sets the toolkit up for the window layer: the compact
// style sheet from the resources folder, no animations. False (and nothing
// shown) when no display can be opened. Once per process; later calls answer
// as the first did.
bool PLAT_GtkInit();
// Whether PLAT_GtkInit succeeded: windows get widgets only then.
bool PLAT_GtkIsUp();
// Makes now the changes PLAT_GtkInit would make to the process's
// environment and locale, so that threads started before it (the MIDI
// ports' opening) never read them while they change. Before PLAT_GtkInit.
void PLAT_GtkPrepareEnvironment();

// ---- screen ----

struct PLAT_Rect
{
  int x = 0;
  int y = 0;
  int w = 0;
  int h = 0;
};

// The primary monitor's frame and work area, top-down screen pixels. False
// before PLAT_GtkInit.
bool PLAT_GtkGetPrimaryMonitor(PLAT_Rect* frame, PLAT_Rect* workArea);
// The same of the monitor that holds the point (x, y), top-down screen
// pixels, or of the nearest one when no monitor holds it.
bool PLAT_GtkGetMonitorAt(int x, int y, PLAT_Rect* frame, PLAT_Rect* workArea);
// True when a window manager runs that frames windows and tells the
// frame's extents (_NET_FRAME_EXTENTS); false without one or before init.
bool PLAT_GtkWindowManagerFrames();

// The user's double-click settings: the longest interval in milliseconds and
// the farthest distance in pixels between the two presses.
int PLAT_GtkDoubleClickTime();
int PLAT_GtkDoubleClickDistance();

// ---- events ----

// Modifier bits of PLAT_Input::mods.
constexpr unsigned PLAT_MOD_SHIFT = 1;
constexpr unsigned PLAT_MOD_CONTROL = 2;
constexpr unsigned PLAT_MOD_ALT = 4;
constexpr unsigned PLAT_MOD_SUPER = 8;

struct PLAT_Input
{
  enum class Kind
  {
    ButtonDown,  // every press; the toolkit's own double-press events are not passed on
    ButtonUp,
    Motion,
    Scroll,
    KeyDown,
    KeyUp,
    Magnify,     // gestures of a touchpad or touch screen: see gesture, swipeX/Y
    Rotate,
    Swipe,
  };
  Kind kind = Kind::Motion;
  int button = 0;       // 1 left, 2 middle, 3 right
  double x = 0;         // in the view, y down
  double y = 0;
  double rootX = 0;     // on the screen, y down
  double rootY = 0;
  double wheelX = 0;    // scroll steps: positive to the left ...
  double wheelY = 0;    // ... and away from the user
  double gesture = 0;   // Magnify: the change of scale (0.25 a quarter larger); Rotate: degrees, counterclockwise
  int swipeX = 0;       // Swipe: -1, 0 or 1, rightwards ...
  int swipeY = 0;       // ... and downwards positive
  unsigned mods = 0;    // PLAT_MOD_ bits
  uint32_t time = 0;    // the event's time stamp, milliseconds
  // Keys: the layer's code for keys that type no character (function keys
  // F1-F24, arrows, the keypad, Backspace), else 0; the character typed,
  // modifiers applied (0 for none; Shift+Tab gives 25, back-tab); the
  // character of the same key without modifiers; for a dead key of the
  // keyboard layout the accent it types before a space, else 0; and the
  // hardware key code.
  int virtualKey = 0;
  unsigned keyChar = 0;
  unsigned plainChar = 0;
  unsigned deadChar = 0;
  int keyCode = 0;
};

// What the window layer does with events. The ids are those given when the
// widgets were made.
class PLAT_GtkSink
{
public:
  virtual ~PLAT_GtkSink() = default;

  // The view must paint (x, y, w, h) of itself on canvas, in view pixels.
  virtual void OnViewDraw(uint64_t id, PLAT_Canvas* canvas, int x, int y, int w, int h) = 0;
  // Mouse and keys; for keys, false lets the toolkit handle the key itself.
  virtual bool OnViewInput(uint64_t id, const PLAT_Input& input) = 0;
  // The user asked to close the window (its close button, a key of the
  // window manager). The window stays; the layer decides.
  virtual void OnWindowCloseRequest(uint64_t id) = 0;
  // The window's frame on the screen (top-down pixels) as the display reports it.
  virtual void OnWindowConfigure(uint64_t id, const PLAT_Rect& frame) = 0;
  // The window got or lost the keyboard focus.
  virtual void OnWindowFocus(uint64_t id, bool in) = 0;
  // The user worked a native control (PLAT_GtkControl.h).
  virtual void OnControlEvent(uint64_t id, PLAT_ControlEvent event, int value) = 0;
  // Files were dropped on the view at (x, y), view pixels: uriList is the
  // "text/uri-list" text as dragged. True when the view took them.
  virtual bool OnViewDrop(uint64_t id, const char* uriList, int x, int y) = 0;
};

// The sink for all events; null drops them. Not owned.
void PLAT_GtkSetSink(PLAT_GtkSink* sink);
