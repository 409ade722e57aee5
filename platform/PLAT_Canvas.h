// 2-D drawing for the window layer: a canvas over a block of pixels or over a
// drawing surface of the platform, with colours, clipping, paths, fills,
// strokes and images. Coordinates are in pixels, y down, (0, 0) the top-left
// corner. Not thread-safe: a canvas is used on the thread that made it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

class PLAT_Image;

// A colour with each channel in 0..1; alpha 1 is opaque.
struct PLAT_Color
{
  double r = 0;
  double g = 0;
  double b = 0;
  double a = 1;
};

// Edge smoothing of fills, strokes and text.
enum class PLAT_Antialias
{
  Default,  // the platform's choice: grey-scale smoothing
  Off,      // whole pixels only
  On,       // grey-scale smoothing
};

// A shape as a list of figures. Curves are cubic Beziers.
class PLAT_Path
{
public:
  enum class Op : uint8_t
  {
    Move,
    Line,
    Curve,
    Close,
  };
  struct Element
  {
    Op op;
    double x[3];
    double y[3];
  };

  void MoveTo(double x, double y);
  // Starts at (x, y) when the path has no current point.
  void LineTo(double x, double y);
  void CurveTo(double x1, double y1, double x2, double y2, double x3, double y3);
  void Close();
  // Closed figures: a rectangle, the ellipse inscribed in a rectangle, and a
  // rectangle whose corners are quarters of an ellipse of rw x rh (halved to
  // fit the rectangle).
  void AddRect(double x, double y, double w, double h);
  void AddEllipse(double x, double y, double w, double h);
  void AddRoundRect(double x, double y, double w, double h, double rw, double rh);

  bool IsEmpty() const { return mElements.empty(); }
  const std::vector<Element>& GetElements() const { return mElements; }
  // The smallest box holding every point and control point; false when the
  // path is empty.
  bool GetBounds(double* x0, double* y0, double* x1, double* y1) const;

private:
  std::vector<Element> mElements;
  bool mHasPoint = false;
};

class PLAT_Canvas
{
public:
  struct Impl;

  // A canvas over width x height pixels the caller owns, rowBytes apart, each
  // pixel the four bytes (unused, red, green, blue). Drawing converts only the
  // pixels it touches to the platform's own order and back, and never changes
  // the unused byte. Null for sizes below 1, rows shorter than width * 4 bytes
  // or null pixels.
  static std::unique_ptr<PLAT_Canvas> CreateForPixels(void* pixels, int width, int height, int rowBytes);

  // A canvas over its own width x height image in the platform's native pixel
  // format (32-bit 0xAARRGGBB words, premultiplied), cleared to transparent.
  // For measuring the platform's own drawing speed and for tests. Null when
  // the image cannot be made.
  static std::unique_ptr<PLAT_Canvas> CreateImage(int width, int height);

  ~PLAT_Canvas();
  PLAT_Canvas(const PLAT_Canvas&) = delete;
  PLAT_Canvas& operator=(const PLAT_Canvas&) = delete;

  int GetWidth() const;
  int GetHeight() const;
  // Device pixels per unit (2 on a high-density display, 1 for pixel blocks).
  double GetDeviceScale() const;

  // ---- state ----
  // SaveState and RestoreState nest; a restore without a matching save is
  // ignored. ClipToRect narrows the clip until the enclosing restore.
  void SaveState();
  void RestoreState();
  void ClipToRect(double x, double y, double w, double h);
  int GetSaveDepth() const;

  // ---- drawing ----
  // Fills whole pixels: the rectangle's edges are rounded to the nearest
  // pixel boundary, and no smoothing is applied.
  void FillRect(double x, double y, double w, double h, PLAT_Color color);
  // Non-zero winding rule.
  void FillPath(const PLAT_Path& path, PLAT_Color color, PLAT_Antialias aa);
  void StrokePath(const PLAT_Path& path, double width, PLAT_Color color, PLAT_Antialias aa);
  // Draws the source rectangle of image scaled into the destination rectangle,
  // bilinear, blended over what is there by the image's alpha.
  void DrawImage(const PLAT_Image& image, double sx, double sy, double sw, double sh, double dx, double dy,
                 double dw, double dh);

  // ---- reading ----
  // A copy of the pixels of the rectangle (clipped to the canvas), opaque for
  // pixel blocks; null when nothing is left.
  std::unique_ptr<PLAT_Image> CopyImage(int x, int y, int w, int h) const;
  // The pixel at (x, y) as 0xAARRGGBB, not premultiplied; 0 outside.
  uint32_t GetPixel(int x, int y) const;

  Impl* GetImpl() const { return mImpl.get(); }

private:
  explicit PLAT_Canvas(std::unique_ptr<Impl> impl);
  friend struct PLAT_CanvasFactory;
  std::unique_ptr<Impl> mImpl;
};
