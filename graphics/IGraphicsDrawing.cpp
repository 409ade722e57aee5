// IGraphics: drawing operations over the raster library, into the draw
// bitmap. IColor becomes a pixel channel by channel; a blend's method
// becomes the blit mode:
//   0 copy weighted by the source's alpha   0x10000
//   1 plain copy                            0
//   2 add, weighted by alpha                0x10001
//   3 colour dodge, weighted by alpha       0x10002
//   other methods as 0; no blend at all is method 0 at weight 1.0.
#include "graphics/IGraphics.h"

#include "raster/RAST_Bitmap.h"
#include "raster/RAST_Blit.h"
#include "raster/RAST_CachedFont.h"
#include "raster/RAST_Circle.h"
#include "raster/RAST_DeltaBlit.h"
#include "raster/RAST_IndexedImage.h"
#include "raster/RAST_Line.h"
#include "raster/RAST_Polygon.h"
#include "raster/RAST_Rect.h"
#include "raster/RAST_ScaledBlit.h"

#include <algorithm>
#include <cmath>
#include <memory>

namespace
{
constexpr double kPi = 3.14159265358979323846;

constexpr int kBlendModes[] = {
  RAST_BLIT_USE_ALPHA,                           // 0
  RAST_BLIT_MODE_COPY,                           // 1
  RAST_BLIT_USE_ALPHA | RAST_BLIT_MODE_ADD,      // 2
  RAST_BLIT_USE_ALPHA | RAST_BLIT_MODE_DODGE,    // 3
};

int BlendMode(const IChannelBlend* blend)
{
  if (!blend) return RAST_BLIT_USE_ALPHA;
  const int m = blend->mMethod;
  return m >= 0 && m < static_cast<int>(sizeof(kBlendModes) / sizeof(kBlendModes[0])) ? kBlendModes[m]
                                                                                      : RAST_BLIT_USE_ALPHA;
}

float BlendWeight(const IChannelBlend* blend)
{
  return blend ? blend->mWeight : 1.0f;
}

// The size of what a record holds: its part of the artwork, or all of it.
int HeldW(const IBitmap& bitmap) { return bitmap.mIndexed ? bitmap.mIndexed->Width() : bitmap.mData->getWidth(); }
int HeldH(const IBitmap& bitmap) { return bitmap.mIndexed ? bitmap.mIndexed->Height() : bitmap.mData->getHeight(); }

// Rows of artwork held as colour indices expanded at once: a band of the
// widest background is some half a megabyte, where all of it is 14.
constexpr int kBandRows = 64;

// RAST_Blit from what the record holds, which may be colour indices: those
// are expanded band by band into a strip and each band blitted, which
// gives the same pixels as one blit (every mode works pixel by pixel).
void BlitHeld(RAST_IBitmap* target, const IBitmap& bitmap, int dstX, int dstY, int srcX, int srcY, int w, int h,
              float weight, int mode)
{
  if (!bitmap.mIndexed)
  {
    RAST_Blit(target, bitmap.mData, dstX, dstY, srcX, srcY, w, h, weight, mode);
    return;
  }
  if (weight == 0.0f) return;
  // The source and the target cut the area as a blit would.
  const int64_t left = std::max<int64_t>({0, srcX, static_cast<int64_t>(srcX) - dstX});
  const int64_t top = std::max<int64_t>({0, srcY, static_cast<int64_t>(srcY) - dstY});
  const int64_t right = std::min<int64_t>({static_cast<int64_t>(srcX) + w, bitmap.mIndexed->Width(),
                                           static_cast<int64_t>(srcX) - dstX + target->getWidth()});
  const int64_t bottom = std::min<int64_t>({static_cast<int64_t>(srcY) + h, bitmap.mIndexed->Height(),
                                            static_cast<int64_t>(srcY) - dstY + target->getHeight()});
  if (right <= left || bottom <= top) return;
  const int bandW = static_cast<int>(right - left);
  RAST_MemBitmap strip(0, 0, 4);
  for (int64_t y = top; y < bottom; y += kBandRows)
  {
    const int rows = static_cast<int>(std::min<int64_t>(kBandRows, bottom - y));
    if (!bitmap.mIndexed->ExpandRect(static_cast<int>(left), static_cast<int>(y), bandW, rows, &strip)) return;
    RAST_Blit(target, &strip, static_cast<int>(dstX + left - srcX), static_cast<int>(dstY + y - srcY), 0, 0, bandW,
              rows, weight, mode);
  }
}

RAST_pixel Pixel(const IColor* color)
{
  return RAST_RGBA(color->R, color->G, color->B, color->A);
}

// The strict-drawing intersection: touching right and bottom edges count.
bool Meets(const IRECT& a, const IRECT& b)
{
  return b.L <= a.R && a.L < b.R && b.T <= a.B && a.T < b.B;
}

// dest cut to the repainted area; all zero when they do not meet.
IRECT ClipToRepaint(const IRECT& dest, const IRECT& area)
{
  if (dest.Empty() || area.Empty() || !Meets(dest, area)) return IRECT();
  return IRECT(dest.L > area.L ? dest.L : area.L, dest.T > area.T ? dest.T : area.T,
               dest.R < area.R ? dest.R : area.R, dest.B < area.B ? dest.B : area.B);
}

// Frame k (1-based) of a strip starts here along its frames.
int FrameOffset(const IBitmap* bitmap, int frame)
{
  if (frame < 2 || bitmap->N < 2) return 0;
  const int along = bitmap->mFramesAreHoriz ? bitmap->W : bitmap->H;
  return static_cast<int>(static_cast<double>(frame - 1) * along / bitmap->N + 0.5);
}
}  // namespace

// ---- bitmaps ----

bool IGraphics::DrawBitmap(IBitmap* bitmap, const IRECT* dest, int srcX, int srcY,
                           const IChannelBlend* blend)
{
  MakeWaitingPixels(bitmap);
  RAST_IBitmap* target = GetDrawBitmap();
  if (!bitmap || !bitmap->mData || !dest || !target) return true;
  IRECT clip = ClipToRepaint(*dest, mDrawRECT);
  if (clip.Empty()) return true;
  const int mode = BlendMode(blend);
  if (bitmap->mCropped && !(mode & RAST_BLIT_USE_ALPHA))
  {
    // A plain copy writes the pixels of 0 around the part too.
    std::unique_ptr<RAST_MemBitmap> whole;
    RAST_Blit(target, WholePixels(bitmap, &whole), clip.L, clip.T, srcX + clip.L - dest->L,
              srcY + clip.T - dest->T, clip.W(), clip.H(), BlendWeight(blend), mode);
    return true;
  }
  if (bitmap->mCropped)
  {
    // Weighted by the source's alpha (copy, add, dodge), a pixel of 0
    // leaves the target as it is: only the part held is drawn.
    const int partL = dest->L - srcX + bitmap->mDataX, partT = dest->T - srcY + bitmap->mDataY;
    clip = clip.Intersect(IRECT(partL, partT, partL + HeldW(*bitmap), partT + HeldH(*bitmap)));
    if (clip.Empty()) return true;
    srcX -= bitmap->mDataX;
    srcY -= bitmap->mDataY;
  }
  BlitHeld(target, *bitmap, clip.L, clip.T, srcX + clip.L - dest->L, srcY + clip.T - dest->T, clip.W(), clip.H(),
           BlendWeight(blend), mode);
  return true;
}

bool IGraphics::DrawIBitmap(IBitmap* bitmap, const IRECT* dest, int frame, const IChannelBlend* blend)
{
  if (!bitmap) return true;
  const int offset = FrameOffset(bitmap, frame);
  return DrawBitmap(bitmap, dest, bitmap->mFramesAreHoriz ? offset : 0,
                    bitmap->mFramesAreHoriz ? 0 : offset, blend);
}

bool IGraphics::DrawRotatedBitmap(IBitmap* bitmap, int cx, int cy, double angle, int yOffsetZeroDeg,
                                  const IChannelBlend* blend)
{
  MakeWaitingPixels(bitmap);
  RAST_IBitmap* target = GetDrawBitmap();
  if (!bitmap || !bitmap->mData || !target) return true;
  std::unique_ptr<RAST_MemBitmap> whole;
  RAST_IBitmap* pixels = WholePixels(bitmap, &whole);
  const int w = bitmap->W, h = bitmap->H;
  const int mode = RAST_BLIT_FILTER_BILINEAR | (blend ? BlendMode(blend) : RAST_BLIT_USE_ALPHA);
  RAST_RotatedBlit(target, pixels, cx - w / 2, cy - h / 2, w, h, 0.0f, 0.0f, static_cast<float>(w),
                   static_cast<float>(h), static_cast<float>(angle), false, BlendWeight(blend), mode, 0.0f,
                   static_cast<float>(yOffsetZeroDeg));
  return true;
}

bool IGraphics::DrawRotatedMask(IBitmap* base, IBitmap* mask, IBitmap* top, int x, int y, double angle,
                                const IChannelBlend* blend)
{
  for (IBitmap* part : {base, mask, top}) MakeWaitingPixels(part);
  if (!base || !mask || !top || !base->mData || !mTmpBitmap) return true;
  const float radians = static_cast<float>(angle * kPi / 180.0);
  const int w = base->W, h = base->H;
  std::unique_ptr<RAST_MemBitmap> wholeBase, wholeMask, wholeTop;
  RAST_Copy(mTmpBitmap.get(), WholePixels(base, &wholeBase));
  // Only the mask's own alpha shall be left, so the base's goes first.
  RAST_ClearRect(mTmpBitmap.get(), 0, 0, w, h, 0xFFFFFF00u, 0);
  const float centreX = (w & 1) ? -0.5f : 0.0f;
  if (mask->mData)
    RAST_RotatedBlit(mTmpBitmap.get(), WholePixels(mask, &wholeMask), 0, 0, w, h, 0.0f, 0.0f, static_cast<float>(w),
                     static_cast<float>(h), radians, false, 1.0f,
                     RAST_BLIT_USE_ALPHA | RAST_BLIT_FILTER_BILINEAR | RAST_BLIT_MODE_ADD, centreX, 0.0f);
  if (top->mData)
    RAST_RotatedBlit(mTmpBitmap.get(), WholePixels(top, &wholeTop), 0, 0, w, h, 0.0f, 0.0f, static_cast<float>(w),
                     static_cast<float>(h), radians, false, 1.0f,
                     RAST_BLIT_USE_ALPHA | RAST_BLIT_FILTER_BILINEAR, centreX, 0.0f);
  IBitmap composed(mTmpBitmap.get(), w, h);
  const IRECT dest(x, y, x + w, y + h);
  return DrawBitmap(&composed, &dest, 0, 0, blend);
}

bool IGraphics::DrawBitmapScaled(IBitmap* bitmap, const IRECT* dest, const IRECT* src)
{
  MakeWaitingPixels(bitmap);
  RAST_IBitmap* target = GetDrawBitmap();
  if (!bitmap || !bitmap->mData || !dest || !src || !target) return true;
  std::unique_ptr<RAST_MemBitmap> whole;
  RAST_ScaledBlit(target, WholePixels(bitmap, &whole), dest->L, dest->T, dest->W(), dest->H(), static_cast<float>(src->L),
                  static_cast<float>(src->T), static_cast<float>(src->W()), static_cast<float>(src->H()), 1.0f,
                  RAST_BLIT_USE_ALPHA);
  return true;
}

// ---- pixels ----

bool IGraphics::DrawPoint(const IColor* color, float x, float y, const IChannelBlend* blend)
{
  if (!color || !GetDrawBitmap()) return true;
  RAST_PutPixel(GetDrawBitmap(), static_cast<int>(x + 0.5f), static_cast<int>(y + 0.5f), Pixel(color),
                BlendWeight(blend), BlendMode(blend));
  return true;
}

bool IGraphics::ForcePixel(const IColor* color, int x, int y)
{
  RAST_IBitmap* target = GetDrawBitmap();
  if (!color || !target || !target->getBits()) return true;
  // Callers compute x and y from layouts and scales; one off by a pixel
  // must not write past the bitmap.
  if (x < 0 || y < 0 || x >= target->getWidth() || y >= target->getHeight()) return true;
  target->getBits()[static_cast<ptrdiff_t>(y) * target->getRowSpan() + x] = Pixel(color);
  return true;
}

IColor IGraphics::GetPoint(int x, int y)
{
  RAST_IBitmap* target = GetDrawBitmap();
  if (!target) return IColor(0, 0, 0, 0);
  const RAST_pixel p = RAST_GetPixel(target, x, y);
  return IColor(RAST_GETA(p), RAST_GETR(p), RAST_GETG(p), RAST_GETB(p));
}

RAST_pixel* IGraphics::GetBits()
{
  RAST_IBitmap* target = GetDrawBitmap();
  return target ? target->getBits() : nullptr;
}

// ---- lines and shapes ----

bool IGraphics::DrawLine(const IColor* color, float x1, float y1, float x2, float y2,
                         const IChannelBlend* blend, bool antiAlias)
{
  if (!color) return true;
  RAST_Line(GetDrawBitmap(), static_cast<int>(x1), static_cast<int>(y1), static_cast<int>(x2),
            static_cast<int>(y2), Pixel(color), BlendWeight(blend), BlendMode(blend), antiAlias);
  return true;
}

bool IGraphics::DrawArc(const IColor* color, float cx, float cy, float r, float minAngle, float maxAngle,
                        const IChannelBlend* blend, bool antiAlias)
{
  if (!color) return true;
  RAST_Arc(GetDrawBitmap(), cx, cy, r, minAngle, maxAngle, Pixel(color), BlendWeight(blend),
           BlendMode(blend), antiAlias);
  return true;
}

bool IGraphics::DrawCircle(const IColor* color, float cx, float cy, float r, const IChannelBlend* blend,
                           bool antiAlias)
{
  if (!color) return true;
  RAST_Circle(GetDrawBitmap(), cx, cy, r, Pixel(color), BlendWeight(blend), BlendMode(blend), antiAlias);
  return true;
}

bool IGraphics::RoundRect(const IColor* color, const IRECT* rect, const IChannelBlend* blend, int corner,
                          bool antiAlias)
{
  if (!color || !rect) return true;
  RAST_RoundRect(GetDrawBitmap(), static_cast<float>(rect->L), static_cast<float>(rect->T),
                 static_cast<float>(rect->W()), static_cast<float>(rect->H()), corner, Pixel(color),
                 BlendWeight(blend), BlendMode(blend), antiAlias);
  return true;
}

bool IGraphics::FillRoundRect(const IColor* color, const IRECT* rect, const IChannelBlend* blend, int corner,
                              bool antiAlias)
{
  if (!color || !rect) return true;
  RAST_IBitmap* target = GetDrawBitmap();
  const RAST_pixel p = Pixel(color);
  const float w = BlendWeight(blend);
  const int mode = BlendMode(blend);
  const int d = 2 * corner;
  // Discs at the corners, then the cross between them.
  RAST_FillCircle(target, static_cast<float>(rect->L + corner), static_cast<float>(rect->T + corner),
                  static_cast<float>(corner), p, w, mode, antiAlias);
  RAST_FillCircle(target, static_cast<float>(rect->R - corner), static_cast<float>(rect->T + corner),
                  static_cast<float>(corner), p, w, mode, antiAlias);
  RAST_FillCircle(target, static_cast<float>(rect->L + corner), static_cast<float>(rect->B - corner),
                  static_cast<float>(corner), p, w, mode, antiAlias);
  RAST_FillCircle(target, static_cast<float>(rect->R - corner), static_cast<float>(rect->B - corner),
                  static_cast<float>(corner), p, w, mode, antiAlias);
  RAST_FillRect(target, rect->L + corner, rect->T, rect->W() - d, rect->H(), p, w, mode);
  RAST_FillRect(target, rect->L, rect->T + corner, corner, rect->H() - d, p, w, mode);
  RAST_FillRect(target, rect->R - corner, rect->T + corner, corner, rect->H() - d, p, w, mode);
  return true;
}

bool IGraphics::FillIRect(const IColor* color, const IRECT* rect, const IChannelBlend* blend)
{
  if (!color || !rect) return true;
  RAST_FillRect(GetDrawBitmap(), rect->L, rect->T, rect->W(), rect->H(), Pixel(color), BlendWeight(blend),
                BlendMode(blend));
  return true;
}

bool IGraphics::FillCircle(const IColor* color, int cx, int cy, float r, const IChannelBlend* blend,
                           bool antiAlias)
{
  if (!color) return true;
  RAST_FillCircle(GetDrawBitmap(), static_cast<float>(cx), static_cast<float>(cy), r, Pixel(color),
                  BlendWeight(blend), BlendMode(blend), antiAlias);
  return true;
}

bool IGraphics::FillTriangle(const IColor* color, int x1, int y1, int x2, int y2, int x3, int y3,
                             const IChannelBlend* blend)
{
  if (!color) return true;
  RAST_FillTriangle(GetDrawBitmap(), x1, y1, x2, y2, x3, y3, Pixel(color), BlendWeight(blend),
                    BlendMode(blend));
  return true;
}

bool IGraphics::FillIConvexPolygon(const IColor* color, const int* x, const int* y, int n,
                                   const IChannelBlend* blend)
{
  if (!color) return true;
  RAST_FillConvexPolygon(GetDrawBitmap(), x, y, n, Pixel(color), BlendWeight(blend), BlendMode(blend));
  return true;
}

bool IGraphics::DrawRect(const IColor* color, const IRECT* rect)
{
  if (!color || !rect) return true;
  RAST_DrawRect(GetDrawBitmap(), rect->L, rect->T, rect->W(), rect->H(), Pixel(color), 1.0f,
                RAST_BLIT_MODE_COPY);
  return true;
}

bool IGraphics::DrawVerticalLine(const IColor* color, const IRECT* rect, float x)
{
  if (!rect) return true;
  x = x < 0.0f ? 0.0f : (x > 1.0f ? 1.0f : x);
  const int xi = rect->L + static_cast<int>(x * rect->W());
  return DrawVerticalLineAt(color, xi, rect->T, rect->B);
}

bool IGraphics::DrawHorizontalLine(const IColor* color, const IRECT* rect, float y)
{
  if (!rect) return true;
  y = y < 0.0f ? 0.0f : (y > 1.0f ? 1.0f : y);
  const int yi = rect->B - static_cast<int>(y * rect->H());
  return DrawHorizontalLineAt(color, yi, rect->L, rect->R);
}

bool IGraphics::DrawVerticalLineAt(const IColor* color, int xi, int yLo, int yHi)
{
  if (!color) return true;
  RAST_Line(GetDrawBitmap(), xi, yLo, xi, yHi, Pixel(color), 1.0f, RAST_BLIT_MODE_COPY, false);
  return true;
}

bool IGraphics::DrawHorizontalLineAt(const IColor* color, int yi, int xLo, int xHi)
{
  if (!color) return true;
  RAST_Line(GetDrawBitmap(), xLo, yi, xHi, yi, Pixel(color), 1.0f, RAST_BLIT_MODE_COPY, false);
  return true;
}

bool IGraphics::DrawRadialLine(const IColor* color, float cx, float cy, float angle, float rMin, float rMax,
                               const IChannelBlend* blend, bool antiAlias)
{
  const float s = std::sin(angle), c = std::cos(angle);
  return DrawLine(color, cx + rMin * s, cy - rMin * c, cx + rMax * s, cy - rMax * c, blend, antiAlias);
}

// ---- text ----

bool IGraphics::DrawIText(IText* style, const char* text, IRECT* r, bool measure)
{
  if (!text || !*text || !style || !r) return true;
  RAST_IFont* font = style->mCached ? style->mCached : CacheFont(style);
  if (!font) return false;
  font->SetTextColor(Pixel(&style->mColor));
  int flags = DT_NOCLIP;
  if (style->mAlign == 1) flags |= DT_CENTER;
  if (style->mAlign == 2) flags |= DT_RIGHT;
  if (style->mColor.A < 255) flags |= RAST_DT_USE_TEXT_ALPHA;
  if (!measure)
  {
    if (!GetDrawBitmap()) return true;
    RECT box{r->L, r->T, r->R, r->B};
    font->DrawText(GetDrawBitmap(), text, -1, &box, flags);
    return true;
  }
  RECT box{0, 0, 0, 0};
  font->DrawText(nullptr, text, -1, &box, flags | DT_CALCRECT);
  const int w = box.right - box.left, h = box.bottom - box.top;
  if (style->mAlign == 1)
  {
    r->L = static_cast<int>((r->L + r->R) * 0.5) - w / 2;
    r->R = r->L + w;
  }
  else if (style->mAlign == 2)
  {
    r->L = r->R - w;
  }
  else
  {
    // Callers read back the text's box: it runs from r.L, wherever r.L is.
    r->R = r->L + w;
  }
  r->B = r->T + h;
  return true;
}
