// Internal to the platform layer: the cairo objects behind canvases and
// images, and the drawing window that every canvas operation opens. No header
// outside platform/ includes this one.
#pragma once

#include "platform/PLAT_Canvas.h"
#include "platform/PLAT_Image.h"

#include <cairo.h>

#include <memory>
#include <vector>

struct PLAT_Image::Impl
{
  cairo_surface_t* surface = nullptr;  // CAIRO_FORMAT_ARGB32, owned

  ~Impl();
};

// Builds the objects whose constructors are private.
struct PLAT_ImageFactory
{
  static std::unique_ptr<PLAT_Image> Wrap(cairo_surface_t* surface);
};

struct PLAT_CanvasFactory
{
  static std::unique_ptr<PLAT_Canvas> Make(std::unique_ptr<PLAT_Canvas::Impl> impl);
};

// An integer pixel box [x0, x1) x [y0, y1).
struct PLAT_Box
{
  int x0 = 0;
  int y0 = 0;
  int x1 = 0;
  int y1 = 0;

  bool IsEmpty() const { return x1 <= x0 || y1 <= y0; }
};

// The smallest pixel box holding [x0, x1) x [y0, y1), limited to +-2^30 so
// that later sums cannot overflow.
PLAT_Box PLAT_BoxAround(double x0, double y0, double x1, double y1);

struct PLAT_Canvas::Impl
{
  enum class Kind
  {
    Pixels,   // a block of (unused, red, green, blue) pixels the caller owns
    Surface,  // an image surface of the canvas's own
    Context,  // a cairo context handed in by its owner
  };

  Kind kind = Kind::Pixels;
  int width = 0;
  int height = 0;

  // Pixels: the block and the clip, kept in device pixels; each saved state
  // is the clip it had.
  uint8_t* pixels = nullptr;
  int rowBytes = 0;
  struct Clip
  {
    double x0, y0, x1, y1;
  };
  Clip clip{};
  std::vector<Clip> savedClips;
  std::vector<uint32_t> scratch;
  PLAT_Box scratchBox;

  // Surface and Context: the context drawn through; saves counted so that an
  // unmatched restore never reaches cairo.
  cairo_surface_t* surface = nullptr;  // Surface only, owned
  cairo_t* cr = nullptr;               // owned reference
  int saveDepth = 0;

  ~Impl();
};

// Opens drawing over the device pixels of box: returns a context in the
// canvas's coordinates, clipped to the canvas's clip, or null when none of box
// is visible. Every non-null result is closed with PLAT_EndDraw, which for a
// pixel block writes the box back in the block's byte order.
cairo_t* PLAT_BeginDraw(PLAT_Canvas::Impl* canvas, PLAT_Box box);
void PLAT_EndDraw(PLAT_Canvas::Impl* canvas, cairo_t* cr);

