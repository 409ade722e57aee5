// Internal to the platform layer: the cairo objects behind canvases and
// images, and the drawing window that every canvas operation opens. No header
// outside platform/ includes this one.
#pragma once

#include "platform/PLAT_Canvas.h"
#include "platform/PLAT_Image.h"
#include "platform/PLAT_Owned.h"

#include <cairo.h>

#include <memory>
#include <vector>

struct PLAT_Image::Impl
{
  PLAT_Owned<cairo_surface_t> surface;  // CAIRO_FORMAT_ARGB32
};

// Builds the objects whose constructors are private.
struct PLAT_ImageFactory
{
  // Null when cairo could not make the surface.
  static std::unique_ptr<PLAT_Image> Wrap(PLAT_Owned<cairo_surface_t> surface);
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
  PLAT_Owned<cairo_surface_t> surface;  // Surface only
  PLAT_Owned<cairo_t> cr;
  int saveDepth = 0;

  ~Impl();
};

// Drawing over the device pixels of box, for the scope's life: Get() is a
// context in the canvas's coordinates, clipped to the canvas's clip, or null
// when none of box is visible. For a pixel block the box is copied into
// cairo's byte order when the scope opens and written back when it ends; for
// a cairo context the state is saved and restored.
class PLAT_DrawScope
{
public:
  PLAT_DrawScope(PLAT_Canvas::Impl* canvas, PLAT_Box box);
  ~PLAT_DrawScope();
  PLAT_DrawScope(const PLAT_DrawScope&) = delete;
  PLAT_DrawScope& operator=(const PLAT_DrawScope&) = delete;

  cairo_t* Get() const { return mCr; }

private:
  PLAT_Canvas::Impl* mCanvas;
  PLAT_Owned<cairo_t> mScratch;  // pixel blocks: the context over the copy
  cairo_t* mCr = nullptr;
};

