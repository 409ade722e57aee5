// What every window-system view of the surface shares: the translation of
// view events (view points, buttons, modifier keys, key codes) into
// the surface's terms, the rectangle conversions between the two, the
// frame step its timer runs, and the text-entry input rule. Plain
// functions, no state; the headless surface uses them as a real view would.
#pragma once

#include "graphics/IGraphicsTypes.h"
#include "raster/RAST_PNG.h"

class IGraphics;
class RAST_IBitmap;
class RAST_IndexedImage;

// A rectangle in view coordinates: origin at the bottom left, y upwards.
struct IViewRect
{
  int x = 0, y = 0, w = 0, h = 0;
};

// A view point (y downwards, as the window system gives it) to the GUI
// pixel it falls in.
void ViewPointToGUI(double vx, double vy, int* x, int* y);

// Which button an event comes from.
enum EViewButton
{
  kViewLeft,
  kViewRight,
  kViewWheel,
};

// The left flag for left-button and wheel events; the right flag for right
// button events, and for left and wheel events while command is held.
IMouseMod ViewModifiers(EViewButton button, bool command, bool shift, bool control, bool option);

// Key code of a key event, from the window layer's code of a key that types
// no character (0 for the others) and the character typed: the arrows
// (37 left, 38 up, 39 right, 40 down) give 3, 1, 4, 2; space 0; the digits,
// of the main keys (characters) or of the keypad (layer codes 96 to 105),
// 5..14; letters of either case 15..40; -1 otherwise.
int ViewKeyCode(int virtualKey, unsigned character);

// x = L, y = height - 1 - B, w = R - L + 1, h = B - T + 1.
IViewRect GUIRectToView(const IRECT& rect, int height);
// L = trunc(x), R = trunc(w) + L, T = height - (trunc(h) + trunc(y)),
// B = height - trunc(y).
IRECT ViewRectToGUI(double x, double y, double w, double h, int height);

// ---- view event dispatch: view points in, surface calls out ----
// The GUI point of each event is written to *x, *y (the view keeps it for
// key events, which carry no position).
// clickCount counts the quick presses of the same button: from the second
// on, a left press is a double click; a right press is always a press.
void ViewMouseDown(IGraphics* graphics, double vx, double vy, EViewButton button, int clickCount, IMouseMod* mod,
                   int* x, int* y);
// Drags are not delivered while a text entry is open over the surface.
void ViewMouseDrag(IGraphics* graphics, double vx, double vy, IMouseMod* mod, int* x, int* y);
// Scrolling drops an open text entry, then turns the wheel by the
// truncated vertical delta.
void ViewScrollWheel(IGraphics* graphics, double vx, double vy, double deltaY, IMouseMod* mod,
                     int* x, int* y);
// False when the key maps to no code or nothing took it: the view then
// passes the event on.
bool ViewKeyDown(IGraphics* graphics, int x, int y, int virtualKey, unsigned character);

// One tick of a view's frame timer followed by the repaint the windowing
// system asks for: the dirty query, the area the view invalidates (through
// the view conversion, so one pixel wider and taller), then Draw. False
// with nothing dirty. The repainted area goes to *repainted when given.
bool RunViewFrame(IGraphics* graphics, IRECT* repainted = nullptr);

// The PNG resource name read from the resources folder: the file of the
// name's stem and ".png", whatever the case of the extension in name; null for another extension or a file that cannot be
// read. The caller owns the bitmap. Given indices, a palette image's colour
// indices are kept there too (see RAST_LoadPNG). Any thread.
bool IsPNGResourceName(const char* name);
RAST_IBitmap* LoadPNGResource(const char* name, RAST_IndexedImage* indices = nullptr);
// The same file at half its size into bmp (see RAST_LoadPNGHalved): true
// when it was halved, false when the caller must load it whole (another
// extension, an image of a kind not halved, or one that cannot be read).
// The whole image's indices go to indices as above. Any thread.
bool LoadPNGResourceHalved(const char* name, RAST_IBitmap* bmp, RAST_IndexedImage* indices);
// The size such a file decodes to, from its header alone; false as above.
bool PNGResourceSize(const char* name, int* w, int* h);
// The same loads from the file itself, never taking a decode made ahead
// (IGraphicsEarlyArt.h): those decodes are made with these. A name of
// another extension cannot be halved.
RAST_IBitmap* DecodePNGResource(const char* name, RAST_IndexedImage* indices);
RAST_PNGHalved DecodePNGResourceHalved(const char* name, RAST_IBitmap* bmp, RAST_IndexedImage* indices);

// The input rule of a text entry: a partial text is refused when a
// character is not in allowed (null allows all), when maxLength is not 0
// and the text is longer, or when maxValue is not 0 and the text's integer
// value exceeds it.
bool TextEntryAccepts(const char* text, const char* allowed, int maxLength, int maxValue);
// The characters a text entry for a parameter of this type allows; null
// for a parameter of no type.
const char* TextEntryCharacters(int paramType);
