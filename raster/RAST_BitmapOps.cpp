#include "raster/RAST_BitmapOps.h"

#include "raster/RAST_BitmapView.h"

#include <climits>
#include <cstring>

namespace
{
constexpr RAST_pixel kColorBytes = 0xffffff00u;

// b - a as an int, held within an int for sizes that do not fit one.
int SizeDifference(int a, int b)
{
  const int64_t d = static_cast<int64_t>(b) - a;
  return d > INT_MAX ? INT_MAX : d < INT_MIN ? INT_MIN : static_cast<int>(d);
}

// The first and last columns of [from, to) where rows pa and pb differ under
// mask; false when none does.
bool FirstDifference(const RAST_pixel* pa, const RAST_pixel* pb, RAST_pixel mask, int from, int to, int* col)
{
  for (int x = from; x < to; ++x)
    if ((pa[x] ^ pb[x]) & mask)
    {
      *col = x;
      return true;
    }
  return false;
}

bool LastDifference(const RAST_pixel* pa, const RAST_pixel* pb, RAST_pixel mask, int from, int to, int* col)
{
  for (int x = to - 1; x >= from; --x)
    if ((pa[x] ^ pb[x]) & mask)
    {
      *col = x;
      return true;
    }
  return false;
}

// The box search: the first differing row from the top, the first from the
// bottom, then only the columns outside the box found so far in the rows
// between.
int DifferenceBox(const RAST_BitmapView& va, const RAST_BitmapView& vb, RAST_pixel mask, int* box)
{
  const int w = va.width, h = va.height;
  int top = -1, left = 0, right = 0;
  for (int y = 0; y < h && top < 0; ++y)
  {
    const RAST_pixel *pa = va.Row(y), *pb = vb.Row(y);
    if (FirstDifference(pa, pb, mask, 0, w, &left))
    {
      LastDifference(pa, pb, mask, left, w, &right);
      top = y;
    }
  }
  if (top < 0)
  {
    box[0] = box[1] = box[2] = box[3] = 0;
    return 0;
  }
  int bottom = top;
  for (int y = h - 1; y > top; --y)
  {
    const RAST_pixel *pa = va.Row(y), *pb = vb.Row(y);
    int first = 0, last = 0;
    if (FirstDifference(pa, pb, mask, 0, w, &first))
    {
      LastDifference(pa, pb, mask, first, w, &last);
      if (first < left) left = first;
      if (last > right) right = last;
      bottom = y;
      break;
    }
  }
  for (int y = top + 1; y < bottom && (left > 0 || right < w - 1); ++y)
  {
    const RAST_pixel *pa = va.Row(y), *pb = vb.Row(y);
    int col = 0;
    if (FirstDifference(pa, pb, mask, 0, left, &col)) left = col;
    if (LastDifference(pa, pb, mask, right + 1, w, &col)) right = col;
  }
  box[0] = left;
  box[1] = top;
  box[2] = right - left + 1;
  box[3] = bottom - top + 1;
  return 1;
}
}  // namespace

void RAST_SetAlphaFromColorMask(RAST_IBitmap* dest, RAST_pixel color)
{
  RAST_BitmapView view;
  if (!view.Open(dest)) return;
  for (int y = 0; y < view.height; ++y)
  {
    RAST_pixel* p = view.Row(y);
    for (int x = 0; x < view.width; ++x) p[x] = (p[x] & kColorBytes) == color ? p[x] & kColorBytes : p[x] | 0xffu;
  }
}

void RAST_SimpleFill(RAST_IBitmap* dest, int x, int y, RAST_pixel newcolor, RAST_pixel comparemask,
                     RAST_pixel keepmask)
{
  RAST_BitmapView view;
  if (!view.Open(dest) || x < 0 || y < 0 || x >= view.width || y >= view.height) return;
  const RAST_pixel key = view.Row(y)[x] & comparemask;
  auto matches = [&](RAST_pixel p) { return (p & comparemask) == key; };
  auto fill = [&](RAST_pixel& p) { p = (p & keepmask) | newcolor; };
  // Fills the run through column x of one row; false when column x does not
  // match, which ends the walk in that direction.
  auto fillRow = [&](RAST_pixel* row) {
    if (!matches(row[x])) return false;
    fill(row[x]);
    for (int i = x + 1; i < view.width && matches(row[i]); ++i) fill(row[i]);
    for (int i = x - 1; i >= 0 && matches(row[i]); --i) fill(row[i]);
    return true;
  };
  for (int row = y; row < view.height && fillRow(view.Row(row)); ++row)
  {
  }
  for (int row = y - 1; row >= 0 && fillRow(view.Row(row)); --row)
  {
  }
}

void RAST_HalveBlitAA(RAST_IBitmap* dest, RAST_IBitmap* src)
{
  RAST_BitmapView dv, sv;
  if (!dv.Open(dest) || !sv.Open(src)) return;
  const int w = dv.width < sv.width / 2 ? dv.width : sv.width / 2;
  const int h = dv.height < sv.height / 2 ? dv.height : sv.height / 2;
  // Each source pixel's channels divided by 4 before adding, so no carry can
  // cross into the next channel.
  auto quarter = [](RAST_pixel p) { return (p >> 2) & 0x3f3f3f3fu; };
  for (int j = 0; j < h; ++j)
  {
    RAST_pixel* d = dv.Row(j);
    const RAST_pixel* s0 = sv.Row(2 * j);
    const RAST_pixel* s1 = sv.Row(2 * j + 1);
    for (int i = 0; i < w; ++i)
      d[i] = quarter(s0[2 * i]) + quarter(s0[2 * i + 1]) + quarter(s1[2 * i]) + quarter(s1[2 * i + 1]);
  }
}

int RAST_BitmapCmpEx(RAST_IBitmap* a, RAST_IBitmap* b, RAST_pixel mask, int* box)
{
  if (!a || !b) return !a && !b ? 0 : !a ? -1 : 1;
  if (a->getWidth() != b->getWidth()) return SizeDifference(a->getWidth(), b->getWidth());
  if (a->getHeight() != b->getHeight()) return SizeDifference(a->getHeight(), b->getHeight());

  RAST_BitmapView va, vb;
  const bool hasA = va.Open(a), hasB = vb.Open(b);
  if (!hasA || !hasB)
  {
    // Nothing to compare: empty bitmaps are equal; one without pixels counts
    // as missing.
    if (box) box[0] = box[1] = box[2] = box[3] = 0;
    return hasA == hasB ? 0 : hasA ? 1 : -1;
  }
  if (box) return DifferenceBox(va, vb, mask, box);

  const int w = va.width;
  for (int y = 0; y < va.height; ++y)
  {
    const RAST_pixel *pa = va.Row(y), *pb = vb.Row(y);
    if (mask == 0xffffffffu)
    {
      if (const int r = std::memcmp(pa, pb, static_cast<size_t>(w) * sizeof(RAST_pixel))) return r;
    }
    else
    {
      int col = 0;
      if (FirstDifference(pa, pb, mask, 0, w, &col)) return 1;
    }
  }
  return 0;
}

int RAST_BitmapCmp(RAST_IBitmap* a, RAST_IBitmap* b, int* box)
{
  return RAST_BitmapCmpEx(a, b, 0xffffffffu, box);
}
