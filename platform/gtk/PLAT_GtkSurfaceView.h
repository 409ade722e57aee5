// The view that shows a GUI surface on the screen: a drawing area inside an
// overlay (which also holds the surface's text field), placed in a view of
// the window layer. A frame timer asks the owner what needs repainting; the
// drawing area's paint asks the owner to repaint that area and then shows
// the surface's pixels from a persistent opaque copy, of which only the
// presented rectangles are converted. Events reach the owner in view pixels,
// top-down, one view pixel per surface pixel.
//
// Main thread only. Create answers null until PLAT_GtkInit has succeeded.
#pragma once

#include "platform/gtk/PLAT_Gtk.h"
#include "platform/gtk/PLAT_GtkLoop.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class PLAT_GtkView;
typedef struct _cairo cairo_t;
typedef struct _cairo_surface cairo_surface_t;
typedef struct _GdkWindow GdkWindow;

// Pixels of a surface as the view reads them: four bytes each, alpha, red,
// green, blue in memory; span is in pixels. Alpha is no coverage: the view
// shows every pixel opaque.
struct PLAT_SurfacePixels
{
  const uint32_t* bits = nullptr;
  int span = 0;
  int width = 0;
  int height = 0;
};

// What the view asks of and tells its owner.
class PLAT_SurfaceClient
{
public:
  virtual ~PLAT_SurfaceClient() = default;

  // A tick of the frame timer: true with the area (view pixels) that needs
  // repainting, false when nothing does.
  virtual bool OnSurfaceFrame(PLAT_Rect* area) = 0;
  // The toolkit paints area: the owner repaints it and presents it
  // (PLAT_GtkSurfaceView::Present) before the view shows it.
  virtual void OnSurfaceDraw(const PLAT_Rect& area) = 0;
  // Buttons (every real press, with the toolkit's own double presses
  // dropped), motion, wheel and keys. For keys, false passes the key on to
  // the windows around the view.
  virtual bool OnSurfaceInput(const PLAT_Input& input) = 0;
  // The pointer left the view.
  virtual void OnSurfaceLeave() = 0;
  // Whether the text field may hold text (each edit is asked before it is
  // made); the field ended with its text (Return, or the field lost the
  // keyboard); the user cancelled the field (Escape), which leaves
  // everything as it was. The field is gone when either end is called.
  virtual bool OnTextEntryAccepts(const char* text) = 0;
  virtual void OnTextEntryEnd(const char* text) = 0;
  virtual void OnTextEntryCancel() = 0;
  // The tooltip at (x, y); empty shows none.
  virtual std::string OnSurfaceTooltip(int x, int y) = 0;
};

// What a view shows of a surface: the pixels presented last, converted to
// the display's opaque RGB24 at paint time, a band of rows at a time,
// through two reusable images of a few rows that take turns. No full-size
// copy is held: the surface's own pixels are the picture, and a full-size
// copy of them cost as much memory again (some 14 MB at a large GUI
// scale). Needs no display.
class PLAT_ScreenFrame
{
public:
  // Each band image's bytes: as many whole rows as fit, one at least and
  // half the surface's (rounded up) at most. Each band costs the display a
  // paint of its own, which for small bands outweighs their pixels: 2 MB
  // each keeps a full frame of a 1140 x 800 surface within a tenth or so of
  // a plain paint of a ready image.
  static constexpr int kBandBytes = 2 << 20;

  explicit PLAT_ScreenFrame(int bandBytes = kBandBytes) : mBandBytes(bandBytes) {}
  ~PLAT_ScreenFrame();
  PLAT_ScreenFrame(const PLAT_ScreenFrame&) = delete;
  PLAT_ScreenFrame& operator=(const PLAT_ScreenFrame&) = delete;

  // The pixels Paint shows from now on; they are read at paint time, so
  // they must stay until Forget or the next Update. Once a window is
  // given, the bands are made like the window's images, which on a local
  // display share their memory with the display server, so that painting
  // them copies no pixels in this process.
  void Update(const PLAT_SurfacePixels& pixels, GdkWindow* window = nullptr);
  // Paint shows nothing until the next Update.
  void Forget()
  {
    mPixels = PLAT_SurfacePixels{};
    mWindow = nullptr;
  }
  // Paints rect of the pixels at the same place of cr, replacing what is
  // there (what lies outside the pixels becomes transparent); a device
  // scale above 1 enlarges the pixels with the nearest filter rather than
  // blurring them. Nothing with no pixels.
  void Paint(cairo_t* cr, const PLAT_Rect& rect);
  // The band images (0 and 1); null before the first paint.
  cairo_surface_t* Band(int which) const { return mBands[which]; }

private:
  int mBandBytes;
  PLAT_SurfacePixels mPixels;
  GdkWindow* mWindow = nullptr;  // not owned; the bands are made like its images
  cairo_surface_t* mBands[2] = {nullptr, nullptr};  // owned
  bool mBandsLikeWindow = false;
};

class PLAT_GtkSurfaceView
{
public:
  // A shown view of width x height pixels whose frame timer runs fps times
  // a second (1 at least) until the view goes or StopTimer. The client must
  // outlive the view.
  static std::unique_ptr<PLAT_GtkSurfaceView> Create(PLAT_SurfaceClient* client, int width, int height, int fps);
  // Stops the timer, drops an open text field without telling the client,
  // and takes the view out of its parent.
  ~PLAT_GtkSurfaceView();
  PLAT_GtkSurfaceView(const PLAT_GtkSurfaceView&) = delete;
  PLAT_GtkSurfaceView& operator=(const PLAT_GtkSurfaceView&) = delete;

  // The view as the window layer places it (PLAT_GtkView::SetParent).
  PLAT_GtkView* Host() const { return mHost.get(); }
  void SetSize(int width, int height);
  void StopTimer();
  // The frame timer ticks every ms from now on (1 at least); nothing once
  // stopped.
  void SetFrameInterval(int ms);
  // What the frame timer waits between ticks now, in ms; 0 once stopped.
  int FrameIntervalMs() const;
  // The pixels the view shows, read when the view paints (see
  // PLAT_ScreenFrame): the owner presents them in each OnSurfaceDraw, and
  // the view paints only what was presented during that paint.
  void Present(const PLAT_SurfacePixels& pixels);
  // Asks for a repaint of rect at the next frame of the display.
  void Invalidate(const PLAT_Rect& rect);
  // The view takes the keyboard in its window.
  void GrabFocus();
  // The display's frame period in milliseconds, at which the view's paints
  // reach the screen (the toolkit's frame clock paces them); 0 when the view
  // is not on screen.
  double DisplayFramePeriodMs() const;
  // (x, y) of the view in top-down screen pixels; false when not on screen.
  bool ViewToScreen(int x, int y, int* screenX, int* screenY) const;
  void EnableTooltips(bool on);

  // Any thread: every view whose timer runs has a frame at once on the main
  // loop, as if its timer had ticked; asked again before that frame, it
  // runs once.
  static void FrameSoon();

  // Calls fn(data) once, on the main thread, as soon as a view that has not
  // painted yet has painted and its frame has been sent to the display, and
  // before the input that came meanwhile is handled; after waitMs without
  // such a paint, all the same. A later call replaces one still waiting.
  // False, with nothing called, when every view has painted already.
  static bool AfterFirstPaint(PLAT_LoopCallback fn, void* data, unsigned waitMs);

  // ---- the text field ----
  struct TextField
  {
    std::string font;
    int size = 10;          // pixels
    int align = 0;          // 0 left, 1 centre, 2 right
    bool password = false;  // hides what is typed
    uint32_t textColor = 0xFF000000;  // 0xAARRGGBB
    uint32_t backColor = 0xFFFFFFFF;
  };
  // Opens the field over frame (view pixels) with text selected and the
  // keyboard in it; a field already open is dropped first.
  void OpenTextField(const PLAT_Rect& frame, const char* text, const TextField& style);
  // Moves the open field over frame (view pixels), keeping its text, its
  // selection and the keyboard; nothing with none open.
  void MoveTextField(const PLAT_Rect& frame);
  // Drops the field without telling the client.
  void CloseTextField();
  bool IsTextFieldOpen() const;
  // The open field's text; "" with none open.
  std::string TextFieldText() const;

  // ---- for tests on a (virtual) display ----
  // Button 1..3 pressed or released at (x, y) of the drawing area.
  bool TestButton(int x, int y, int button, bool press);
  // A key of the toolkit's key value pressed (and released) in the view's window.
  bool TestKey(unsigned keyval);
  // What the display shows of (x, y, w, h) of the drawing area: 0xRRGGBB,
  // rows top first; empty when the area is not on screen.
  std::vector<uint32_t> TestScreenPixels(int x, int y, int w, int h);
  // The text field's text and frame in the view; false with none open.
  bool TestTextField(std::string* text, PLAT_Rect* frame);
  // Types text into the open field (replacing its text), as keys would;
  // the second also presses Return.
  void TestType(const char* text);
  void TestTypeAndEnter(const char* text);
  // Paints source (the view's size) over the whole drawing area straight
  // onto its window, as the paint cycle would, and waits until the display
  // has it; false when the view is not on screen. For benchmarks.
  bool TestPaintOnScreen(cairo_surface_t* source);
  // The same with the presented pixels, painted as the view paints them.
  bool TestPaintOnScreen();
  // Drawing areas that exist in the process.
  static int TestDrawingAreaCount();

  struct Impl;

private:
  PLAT_GtkSurfaceView() = default;
  std::unique_ptr<Impl> mImpl;
  std::unique_ptr<PLAT_GtkView> mHost;
};
