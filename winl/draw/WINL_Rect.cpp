#include "winl/draw/WINL_Rect.h"

#include <algorithm>

namespace
{
bool IsEmpty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }

// Two's-complement wrap without signed overflow.
LONG WrapAdd(LONG v, int d)
{
  return static_cast<LONG>(static_cast<uint32_t>(v) + static_cast<uint32_t>(d));
}
}  // namespace

BOOL WINL_PtInRect(const RECT* rect, POINT pt)
{
  if (!rect) return FALSE;
  const LONG lo = std::min(rect->top, rect->bottom);
  const LONG hi = std::max(rect->top, rect->bottom);
  return pt.x >= rect->left && pt.x < rect->right && pt.y >= lo && pt.y < hi;
}

BOOL WinIntersectRect(RECT* out, const RECT* a, const RECT* b)
{
  if (!out) return FALSE;
  // out may be a or b, so both are read before out is written.
  const bool meets = a && b && !IsEmpty(*a) && !IsEmpty(*b);
  const RECT r = meets ? RECT{std::max(a->left, b->left), std::max(a->top, b->top),
                              std::min(a->right, b->right), std::min(a->bottom, b->bottom)}
                       : RECT{0, 0, 0, 0};
  if (!meets || IsEmpty(r))
  {
    *out = RECT{0, 0, 0, 0};
    return FALSE;
  }
  *out = r;
  return TRUE;
}

BOOL WinOffsetRect(RECT* rect, int dx, int dy)
{
  if (!rect) return FALSE;
  rect->left = WrapAdd(rect->left, dx);
  rect->right = WrapAdd(rect->right, dx);
  rect->top = WrapAdd(rect->top, dy);
  rect->bottom = WrapAdd(rect->bottom, dy);
  return TRUE;
}

BOOL WinSetRect(RECT* rect, int left, int top, int right, int bottom)
{
  if (!rect) return FALSE;
  *rect = RECT{left, top, right, bottom};
  return TRUE;
}

BOOL WinUnionRect(RECT* out, const RECT* a, const RECT* b)
{
  if (!out) return FALSE;
  const bool aEmpty = !a || IsEmpty(*a);
  const bool bEmpty = !b || IsEmpty(*b);
  if (aEmpty && bEmpty)
  {
    *out = RECT{0, 0, 0, 0};
    return FALSE;
  }
  if (aEmpty)
  {
    *out = *b;
    return TRUE;
  }
  if (bEmpty)
  {
    *out = *a;
    return TRUE;
  }
  *out = RECT{std::min(a->left, b->left), std::min(a->top, b->top),
              std::max(a->right, b->right), std::max(a->bottom, b->bottom)};
  return TRUE;
}
