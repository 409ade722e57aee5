// Small value types shared by the GUI surface and its controls: rectangles
// in GUI pixels (top-down, right and bottom exclusive), colours, text
// styles, mouse modifiers, the blend a control is drawn with and the
// bitmap record the surface's cache hands out.
#pragma once

#include <cstring>

struct IRECT
{
  int L = 0, T = 0, R = 0, B = 0;

  IRECT() = default;
  IRECT(int l, int t, int r, int b) : L(l), T(t), R(r), B(b) {}

  int W() const { return R - L; }
  int H() const { return B - T; }
  // All four coordinates zero: the "nothing yet" value of dirty collection.
  bool IsZero() const { return L == 0 && T == 0 && R == 0 && B == 0; }
  // No area at all.
  bool Empty() const { return R <= L || B <= T; }
  bool Contains(int x, int y) const { return !Empty() && L <= x && x < R && T <= y && y < B; }
  // Every pixel of other lies inside this one; an empty other always does.
  bool ContainsRect(const IRECT& other) const
  {
    return other.Empty() || (L <= other.L && other.R <= R && T <= other.T && other.B <= B);
  }
  // Smallest rectangle holding both; an empty side gives the other.
  IRECT Union(const IRECT& other) const
  {
    if (other.Empty()) return *this;
    if (Empty()) return other;
    return IRECT(L < other.L ? L : other.L, T < other.T ? T : other.T, R > other.R ? R : other.R,
                 B > other.B ? B : other.B);
  }
  IRECT Intersect(const IRECT& other) const
  {
    IRECT r(L > other.L ? L : other.L, T > other.T ? T : other.T, R < other.R ? R : other.R,
            B < other.B ? B : other.B);
    return r.Empty() ? IRECT() : r;
  }
  bool operator==(const IRECT& o) const { return L == o.L && T == o.T && R == o.R && B == o.B; }
  bool operator!=(const IRECT& o) const { return !(*this == o); }
};

struct IColor
{
  int A = 255, R = 0, G = 0, B = 0;

  IColor() = default;
  IColor(int a, int r, int g, int b) : A(a), R(r), G(g), B(b) {}
  bool operator==(const IColor& o) const { return A == o.A && R == o.R && G == o.G && B == o.B; }
};

class RAST_IBitmap;
class RAST_IFont;
class RAST_IndexedImage;

// Artwork as a control sees it: the pixels (shared with the surface's
// bitmap cache, never owned here), the strip's full size W x H in pixels
// and its N frames, stacked from the top unless mFramesAreHoriz. Frame k
// (1-based) starts at the nearest integer to (k - 1) * H / N (or W / N).
// Records are made by IGraphics::LoadIBitmap and live as long as the cache.
struct IBitmap
{
  RAST_IBitmap* mData = nullptr;
  int W = 0, H = 0;
  int N = 1;
  bool mFramesAreHoriz = false;
  // Mostly transparent artwork may hold only the part of it with pixels
  // other than 0 (see IGraphics::RescaleBitmaps): mData is then that part,
  // its first pixel at (mDataX, mDataY) of the artwork, and W and H stay the
  // whole artwork's size. Every pixel outside it is 0.
  bool mCropped = false;
  int mDataX = 0, mDataY = 0;
  // Large single-frame artwork of at most 256 colours may hold its pixels
  // as colour indices only (see IGraphics::RescaleBitmaps): mData is then
  // empty and this, owned by the cache, holds what mData would.
  const RAST_IndexedImage* mIndexed = nullptr;

  IBitmap() = default;
  IBitmap(RAST_IBitmap* data, int w, int h, int n = 1, bool framesAreHoriz = false)
    : mData(data), W(w), H(h), N(n), mFramesAreHoriz(framesAreHoriz)
  {
  }
  // The size of one frame.
  int FrameW() const { return mFramesAreHoriz && N > 1 ? W / N : W; }
  int FrameH() const { return !mFramesAreHoriz && N > 1 ? H / N : H; }
};

// Text style. The two entry colours are the background and text colour of
// the text-entry field opened over a control.
struct IText
{
  static constexpr int kFontNameSize = 32;  // bytes, terminator included

  IText() { strcpy(mFont, "Monaco"); }

  char mFont[kFontNameSize];
  int mSize = 10;
  IColor mColor{255, 0, 0, 0};
  IColor mTextEntryBGColor{255, 255, 255, 255};
  IColor mTextEntryFGColor{255, 0, 0, 0};
  int mStyle = 0;        // 0 normal, 1 bold, 2 italic
  int mAlign = 1;        // 0 near, 1 centre, 2 far
  int mPassword = 0;     // 1: the text entry hides what is typed
  int mOrientation = 0;
  int mQuality = 0;
  RAST_IFont* mCached = nullptr;  // not owned
};

struct IMouseMod
{
  bool L = false, R = false, S = false, C = false, A = false;

  IMouseMod() = default;
  IMouseMod(bool l, bool r, bool s = false, bool c = false, bool a = false)
    : L(l), R(r), S(s), C(c), A(a)
  {
  }
};

struct IChannelBlend
{
  int mMethod = 0;
  float mWeight = 1.0f;

  IChannelBlend() = default;
  IChannelBlend(int method, float weight = 1.0f) : mMethod(method), mWeight(weight) {}
};
