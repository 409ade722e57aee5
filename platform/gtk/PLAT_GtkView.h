// The widgets that mirror the window layer's records: a view (a container of
// our own with its own drawing window, which gives every child exactly the
// frame the layer sets) and a top-level window holding one view. Each object
// owns its widget and destroys it with itself. Main thread only; Create
// answers null until PLAT_GtkInit has succeeded.
#pragma once

#include "platform/gtk/PLAT_Gtk.h"

#include <cstdint>
#include <memory>

class PLAT_Canvas;

class PLAT_GtkView
{
public:
  struct Impl;

  // A hidden view whose events reach the sink under id.
  static std::unique_ptr<PLAT_GtkView> Create(uint64_t id);
  ~PLAT_GtkView();
  PLAT_GtkView(const PLAT_GtkView&) = delete;
  PLAT_GtkView& operator=(const PLAT_GtkView&) = delete;

  // Puts the view into parent's view at frame (parent pixels, y down), taking
  // it out of any other parent first; a null parent only takes it out.
  void SetParent(PLAT_GtkView* parent, const PLAT_Rect& frame);
  // Moves and sizes the view within its parent, or sets the size it asks of
  // its window when it is a window's content.
  void SetFrame(const PLAT_Rect& frame);
  void SetVisible(bool visible);
  void SetSensitive(bool sensitive);
  // Orders the child views of this one, back first.
  void StackChildren(PLAT_GtkView* const* children, int count);

  // Asks for a repaint of a rectangle (view pixels), or of everything for null.
  void Invalidate(const PLAT_Rect* rect);
  // Paints what waits to be painted now instead of at the next frame.
  void PaintNow();

  void GrabFocus();
  bool HasFocus() const;
  // Device pixels per view pixel.
  int GetScaleFactor() const;

  // Drawing outside the paint cycle, straight onto the window: a canvas over
  // the view's area, valid until EndDirectDraw. Null when the view is not on
  // screen or a direct draw is already open.
  PLAT_Canvas* BeginDirectDraw();
  void EndDirectDraw();

  Impl* GetImpl() const { return mImpl.get(); }
  // For the toolkit layer's own files, which make views of other widgets.
  static std::unique_ptr<PLAT_GtkView> FromImpl(std::unique_ptr<Impl> impl);

private:
  explicit PLAT_GtkView(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> mImpl;
};

// Style bits of a top-level window.
constexpr unsigned PLAT_WINDOW_TITLED = 1;
constexpr unsigned PLAT_WINDOW_CLOSABLE = 2;
constexpr unsigned PLAT_WINDOW_MINIATURIZABLE = 4;
constexpr unsigned PLAT_WINDOW_RESIZABLE = 8;

// A grey, half-transparent window over a rectangle of the screen (top-down
// pixels) that the mouse passes through: a focus mark. Kept above owner
// when one is given. Null before PLAT_GtkInit.
struct PLAT_GtkOverlay;
class PLAT_GtkWindow;
PLAT_GtkOverlay* PLAT_GtkOverlayShow(PLAT_GtkWindow* owner, const PLAT_Rect& frame);
void PLAT_GtkOverlayClose(PLAT_GtkOverlay* overlay);
// For tests: the overlay's frame as the display has it; false when unmapped.
bool PLAT_GtkTestOverlayFrame(PLAT_GtkOverlay* overlay, PLAT_Rect* frame);

class PLAT_GtkWindow
{
public:
  struct Impl;

  // A hidden top-level window with content as its only child (the content
  // view must have no parent). A dialog window is modal while shown.
  static std::unique_ptr<PLAT_GtkWindow> Create(uint64_t id, PLAT_GtkView* content, unsigned style, bool dialog);
  ~PLAT_GtkWindow();
  PLAT_GtkWindow(const PLAT_GtkWindow&) = delete;
  PLAT_GtkWindow& operator=(const PLAT_GtkWindow&) = delete;

  // UTF-8.
  void SetTitle(const char* title);
  // Top-down screen pixels of the whole window: where the window itself
  // goes, a window manager's frame lying around it.
  void SetFrame(const PLAT_Rect& frame);
  // The smallest and largest frame the user may size the window to, told
  // to the window manager; pixels of the frame without the menu bar. A
  // window made without the resizable style holds the size SetFrame gives
  // it instead.
  void SetSizeLimits(int minW, int minH, int maxW, int maxH);
  // Shown above owner, or free for null.
  void SetOwner(PLAT_GtkWindow* owner);
  // Shows the window; with activate it also takes the keyboard focus.
  void Show(bool activate);
  void Hide();
  void Iconify();
  // Kept above ordinary windows (a floating level) or not.
  void SetKeepAbove(bool above);
  // A clear window has no background of its own: where its views paint
  // nothing it is transparent (on a display with an alpha visual; without
  // a compositing manager that shows as black). A shown window is shown
  // again after the change, since the display fixes a window's pixel
  // format when it is made.
  void SetClearBackground(bool clear);
  // While modal and shown, the application's other windows get no input.
  void SetModal(bool modal);
  bool IsActive() const;
  // The menu bar's height above the content view; 0 without a menu bar.
  int MenuBarHeight() const;
  // The height the window manager's frame adds (title bar and borders,
  // above and below); 0 while the window is not framed, as before it is
  // mapped or on a display without a window manager.
  int DecorationHeight() const;
  // Of that, the part above the window (the title bar and the top border).
  int DecorationTop() const;
  // Takes the content view out of the window before the window goes.
  void ReleaseContent();

  Impl* GetImpl() const { return mImpl.get(); }

private:
  explicit PLAT_GtkWindow(std::unique_ptr<Impl> impl);
  // Reads the window manager's frame into the Impl, once per loop turn.
  void ReadDecoration() const;
  std::unique_ptr<Impl> mImpl;
};
