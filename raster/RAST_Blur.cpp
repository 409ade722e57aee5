#include "raster/RAST_Blur.h"

#include "raster/RAST_BitmapView.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

namespace
{
// ---- whole-pixel parts ----
// Each byte shifted on its own: the mask drops the bits that the shift moved
// in from the next byte up. Summing the parts never carries between bytes,
// since 127 + 4 * 31 and 127 + 2 * 63 stay below 256.
constexpr RAST_pixel Half(RAST_pixel p) { return (p >> 1) & 0x7f7f7f7fu; }
constexpr RAST_pixel Quarter(RAST_pixel p) { return (p >> 2) & 0x3f3f3f3fu; }
constexpr RAST_pixel Eighth(RAST_pixel p) { return (p >> 3) & 0x1f1f1f1fu; }

// Rows the pixels of the blur come from: the middle row and, where they exist
// inside the rectangle, the rows above and below.
struct RowSet
{
  const RAST_pixel* up;
  const RAST_pixel* mid;
  const RAST_pixel* down;
};

// One output row of w >= 2 pixels; out may not overlap the input rows.
void BlurRow(RAST_pixel* out, const RowSet& rows, int w)
{
  for (int x = 0; x < w; ++x)
  {
    const RAST_pixel* m = rows.mid;
    const RAST_pixel side = x == 0 ? Quarter(m[1]) : x == w - 1 ? Quarter(m[x - 1]) : Eighth(m[x - 1]) + Eighth(m[x + 1]);
    const RAST_pixel vert = !rows.up     ? Quarter(rows.down[x])
                            : !rows.down ? Quarter(rows.up[x])
                                         : Eighth(rows.up[x]) + Eighth(rows.down[x]);
    out[x] = Half(m[x]) + side + vert;
  }
}

// One row of w >= 2 pixels written over its own pixels: each pixel's left
// neighbour is kept as it was before that neighbour was overwritten.
void BlurRowInPlace(RAST_pixel* row, const RAST_pixel* up, const RAST_pixel* down, int w)
{
  RAST_pixel left = 0;
  for (int x = 0; x < w; ++x)
  {
    const RAST_pixel c = row[x];
    const RAST_pixel side = x == 0 ? Quarter(row[1]) : x == w - 1 ? Quarter(left) : Eighth(left) + Eighth(row[x + 1]);
    const RAST_pixel vert = !up ? Quarter(down[x]) : !down ? Quarter(up[x]) : Eighth(up[x]) + Eighth(down[x]);
    row[x] = Half(c) + side + vert;
    left = c;
  }
}

// Up to this row width the in-place blur keeps its two saved rows on the
// stack.
constexpr int kStackRow = 1024;

RAST_BlurRowBufferAlloc gRowBufferAlloc = nullptr;

// Source rows of the rectangle, row y counted from its top.
struct SourceRows
{
  const RAST_BitmapView* view;
  int64_t left, top;
  const RAST_pixel* Row(int y) const { return view->Row(static_cast<int>(top + y)) + left; }
};
}  // namespace

void RAST_Blur(RAST_IBitmap* dest, RAST_IBitmap* src, int dstx, int dsty, int srcx, int srcy, int srcw, int srch)
{
  if (!dest || !src) return;
  RAST_BitmapView dv, sv;
  if (!dv.Open(dest) || !sv.Open(src)) return;

  // The source rectangle, clipped to the source; the destination stays put.
  int64_t left = srcx < 0 ? 0 : srcx, top = srcy < 0 ? 0 : srcy;
  int64_t right = static_cast<int64_t>(srcx) + srcw, bottom = static_cast<int64_t>(srcy) + srch;
  if (right > sv.width) right = sv.width;
  if (bottom > sv.height) bottom = sv.height;
  int64_t dx = dstx, dy = dsty;
  if (dx < 0)
  {
    left -= dx;
    dx = 0;
  }
  if (dy < 0)
  {
    top -= dy;
    dy = 0;
  }
  if (right <= left || bottom <= top || dx >= dv.width || dy >= dv.height) return;
  const int64_t w64 = right - left < dv.width - dx ? right - left : dv.width - dx;
  const int64_t h64 = bottom - top < dv.height - dy ? bottom - top : dv.height - dy;
  if (w64 < 2 || h64 < 2) return;
  const int w = static_cast<int>(w64), h = static_cast<int>(h64);

  SourceRows source{&sv, left, top};
  auto destRow = [&](int y) { return dv.Row(static_cast<int>(dy + y)) + dx; };
  auto rowsAt = [&](const SourceRows& s, int y) {
    return RowSet{y > 0 ? s.Row(y - 1) : nullptr, s.Row(y), y < h - 1 ? s.Row(y + 1) : nullptr};
  };

  if (dv.bits != sv.bits)
  {
    for (int y = 0; y < h; ++y) BlurRow(destRow(y), rowsAt(source, y), w);
    return;
  }

  if (dx == left && dy == top)
  {
    // In place: each row is saved before it is overwritten, and the row below
    // is still untouched when it is read; the row above comes from its saved
    // copy. Two saved rows alternate.
    RAST_pixel stackRows[2 * kStackRow];
    RAST_pixel* saved = stackRows;
    if (w > kStackRow)
    {
      const size_t want = 2 * static_cast<size_t>(w) * sizeof(RAST_pixel);
      saved = static_cast<RAST_pixel*>(gRowBufferAlloc ? gRowBufferAlloc(want) : std::malloc(want));
      if (!saved)
      {
        // Without saved rows the row above is taken from the bitmap, where
        // it is already blurred: a slightly stronger blur, never none.
        for (int y = 0; y < h; ++y)
          BlurRowInPlace(destRow(y), y > 0 ? destRow(y - 1) : nullptr, y < h - 1 ? source.Row(y + 1) : nullptr, w);
        return;
      }
    }
    const size_t bytes = static_cast<size_t>(w) * sizeof(RAST_pixel);
    for (int y = 0; y < h; ++y)
    {
      RAST_pixel* copy = saved + (y & 1) * static_cast<size_t>(w);
      RAST_pixel* row = destRow(y);
      std::memcpy(copy, row, bytes);
      const RAST_pixel* above = y > 0 ? saved + ((y - 1) & 1) * static_cast<size_t>(w) : nullptr;
      BlurRow(row, RowSet{above, copy, y < h - 1 ? source.Row(y + 1) : nullptr}, w);
    }
    if (saved != stackRows) std::free(saved);
    return;
  }

  // The same pixels under two different rectangles: writing one row could
  // overwrite source pixels still to be read, so the blur reads a copy.
  std::unique_ptr<RAST_pixel[]> copy(new (std::nothrow) RAST_pixel[static_cast<size_t>(w) * h]);
  if (!copy) return;
  for (int y = 0; y < h; ++y)
    std::memcpy(copy.get() + static_cast<size_t>(y) * w, source.Row(y), static_cast<size_t>(w) * sizeof(RAST_pixel));
  RAST_BitmapView copyView;
  copyView.bits = copy.get();
  copyView.width = w;
  copyView.height = h;
  copyView.span = w;
  const SourceRows copied{&copyView, 0, 0};
  for (int y = 0; y < h; ++y) BlurRow(destRow(y), rowsAt(copied, y), w);
}

void RAST_BlurSetRowBufferAllocForTest(RAST_BlurRowBufferAlloc alloc)
{
  gRowBufferAlloc = alloc;
}
