#include "raster/RAST_TransformBlit.h"

#include "raster/RAST_DeltaBlit.h"

#include <climits>
#include <cmath>
#include <cstddef>
#include <cstdint>

namespace
{
// One cell of the grid: its destination rectangle and its corner points P00
// (top-left), P01 (top-right), P10 (bottom-left) and P11.
template <class T>
struct Cell
{
  int64_t left, top, w, h;
  const T *p00, *p01, *p10, *p11;
};

// The point's coordinate as the float the delta blit takes; false when it is
// beyond what a source position can be.
template <class T>
bool AsPosition(T v, float* out)
{
  if (!(std::fabs(static_cast<double>(v)) < 1e30)) return false;
  *out = static_cast<float>(v);
  return true;
}

// The cell's walk: the column step follows the top edge, the row step the left
// edge, and the column step changes row by row so that the last row follows
// the bottom edge:
//   dsdx = (P01 - P00) / w, dsdy = (P10 - P00) / h,
//   dsdxdy = ((P11 - P10) / w - dsdx) / h   (t and alpha likewise).
// Differences are taken in the points' own precision.
template <class T, bool kAlpha>
void DrawCell(RAST_IBitmap* dest, RAST_IBitmap* src, const Cell<T>& c, float alpha, int mode)
{
  if (c.w > INT_MAX || c.h > INT_MAX) return;
  const double w = static_cast<double>(c.w), h = static_cast<double>(c.h);
  const T ex = c.p01[0] - c.p00[0], ey = c.p01[1] - c.p00[1];
  const double dsdx = ex / w, dtdx = ey / w;
  const double dsdy = static_cast<T>(c.p10[0] - c.p00[0]) / h, dtdy = static_cast<T>(c.p10[1] - c.p00[1]) / h;
  const double dsdxdy = (static_cast<T>(c.p11[0] - c.p10[0]) / w - dsdx) / h;
  const double dtdxdy = (static_cast<T>(c.p11[1] - c.p10[1]) / w - dtdx) / h;
  float sx = 0, sy = 0, sw = 0, sh = 0;
  if (!AsPosition(c.p00[0], &sx) || !AsPosition(c.p00[1], &sy) || !AsPosition(ex, &sw) || !AsPosition(ey, &sh)) return;
  const int x = static_cast<int>(c.left), y = static_cast<int>(c.top);
  const int cw = static_cast<int>(c.w), ch = static_cast<int>(c.h);
  if (!kAlpha)
  {
    RAST_DeltaBlit(dest, src, x, y, cw, ch, sx, sy, sw, sh, dsdx, dtdx, dsdy, dtdy, dsdxdy, dtdxdy, false, alpha,
                   mode);
    return;
  }
  const double dadx = (c.p01[2] - c.p00[2]) / w, dady = (c.p10[2] - c.p00[2]) / h;
  const double dadxdy = ((c.p11[2] - c.p10[2]) / w - dadx) / h;
  float a = 0;
  if (!AsPosition(c.p00[2], &a)) return;
  RAST_DeltaBlitAlpha(dest, src, x, y, cw, ch, sx, sy, sw, sh, dsdx, dtdx, dsdy, dtdy, dsdxdy, dtdxdy, false, a, mode,
                      dadx, dady, dadxdy);
}

// Cuts the destination into cells and draws each that has a size and touches
// the destination. Grid lines are (int)(position + 0.5) of a running double
// position; the cell pitch is divided in single precision.
template <class T, int kStride, bool kAlpha>
void MeshBody(RAST_IBitmap* dest, RAST_IBitmap* src, int dstx, int dsty, int dstw, int dsth, const T* points,
              int div_w, int div_h, float alpha, int mode)
{
  if (!dest || !src || !points || dstw < 1 || dsth < 1 || div_w < 2 || div_h < 2) return;
  const int64_t destw = dest->getWidth(), desth = dest->getHeight();
  const double xstep = static_cast<float>(dstw) / static_cast<float>(div_w - 1);
  const double ystep = static_cast<float>(dsth) / static_cast<float>(div_h - 1);
  const size_t rowPoints = static_cast<size_t>(div_w) * kStride;

  double y = dsty;
  int64_t top = dsty;
  for (int j = 0; j < div_h - 1; ++j)
  {
    y += ystep;
    const int64_t bottom = static_cast<int64_t>(y + 0.5);
    // A cell of no height is skipped before anything is divided by it.
    if (bottom > top && bottom > 0 && top < desth)
    {
      double x = dstx;
      int64_t left = dstx;
      for (int i = 0; i < div_w - 1; ++i)
      {
        x += xstep;
        const int64_t right = static_cast<int64_t>(x + 0.5);
        if (right > left && right > 0 && left < destw)
        {
          const T* p00 = points + static_cast<size_t>(j) * rowPoints + static_cast<size_t>(i) * kStride;
          const Cell<T> cell{left, top, right - left, bottom - top, p00, p00 + kStride, p00 + rowPoints,
                             p00 + rowPoints + kStride};
          DrawCell<T, kAlpha>(dest, src, cell, alpha, mode);
        }
        left = right;
      }
    }
    top = bottom;
  }
}

// The bodies behind the public entries, one per point layout.
void RAST_TransformBlit_Body(RAST_IBitmap* dest, RAST_IBitmap* src, int dstx, int dsty, int dstw, int dsth,
                             const float* srcpoints, int div_w, int div_h, float alpha, int mode)
{
  MeshBody<float, 2, false>(dest, src, dstx, dsty, dstw, dsth, srcpoints, div_w, div_h, alpha, mode);
}

void RAST_TransformBlit2_Body(RAST_IBitmap* dest, RAST_IBitmap* src, int dstx, int dsty, int dstw, int dsth,
                              const double* srcpoints, int div_w, int div_h, float alpha, int mode)
{
  MeshBody<double, 2, false>(dest, src, dstx, dsty, dstw, dsth, srcpoints, div_w, div_h, alpha, mode);
}

void RAST_TransformBlit2Alpha_Body(RAST_IBitmap* dest, RAST_IBitmap* src, int dstx, int dsty, int dstw, int dsth,
                                   const double* srcpoints, int div_w, int div_h, int mode)
{
  MeshBody<double, 3, true>(dest, src, dstx, dsty, dstw, dsth, srcpoints, div_w, div_h, 1.0f, mode);
}
}  // namespace

void RAST_TransformBlit(RAST_IBitmap* dest, RAST_IBitmap* src, int dstx, int dsty, int dstw, int dsth,
                        const float* srcpoints, int div_w, int div_h, float alpha, int mode)
{
  RAST_TransformBlit_Body(dest, src, dstx, dsty, dstw, dsth, srcpoints, div_w, div_h, alpha, mode);
}

void RAST_TransformBlit2(RAST_IBitmap* dest, RAST_IBitmap* src, int dstx, int dsty, int dstw, int dsth,
                         const double* srcpoints, int div_w, int div_h, float alpha, int mode)
{
  RAST_TransformBlit2_Body(dest, src, dstx, dsty, dstw, dsth, srcpoints, div_w, div_h, alpha, mode);
}

void RAST_TransformBlit2Alpha(RAST_IBitmap* dest, RAST_IBitmap* src, int dstx, int dsty, int dstw, int dsth,
                              const double* srcpoints, int div_w, int div_h, int mode)
{
  RAST_TransformBlit2Alpha_Body(dest, src, dstx, dsty, dstw, dsth, srcpoints, div_w, div_h, mode);
}
