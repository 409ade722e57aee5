// The cached font's texts: choosing between the window layer's own drawing
// and the glyph cache, laying out, measuring and drawing, and the UTF-8
// decoder.

#include "raster/RAST_CachedFont.h"

#include "raster/RAST_Blit.h"

#include <algorithm>
#include <climits>
#include <new>

// ---- sections ----
// decoder · path choice · native path · glyph path

namespace
{
int ClampToInt(int64_t v) { return static_cast<int>(std::clamp<int64_t>(v, INT_MIN, INT_MAX)); }

// 0xRRGGBB, the window layer's colour, of a pixel.
int WindowColor(RAST_pixel p) { return RAST_GETR(p) << 16 | RAST_GETG(p) << 8 | RAST_GETB(p); }

// Walks the characters of a text: strcnt bytes (negative: up to the NUL), a
// NUL always ending it, never reading past either end.
class CharWalker
{
public:
  CharWalker(const char* s, int count) : mAt(s), mLeft(count) {}

  // The next code (0x20 for characters beyond 16 bits); false at the end.
  bool Next(uint16_t* code)
  {
    if (mLeft == 0 || !*mAt) return false;
    *code = 0x20;
    const int n = RAST_CachedFont_DecodeUTF8(mAt, mLeft, code);
    mAt += n;
    if (mLeft > 0) mLeft -= n;
    return true;
  }

private:
  const char* mAt;
  int mLeft;
};

// Walks the characters of a text with the pen that lays them out: carriage
// returns are skipped, and a line feed moves the pen to the start of the next
// line (the next column for vertical text) or, on a single line, reads as a
// space. The caller advances the pen past each glyph.
class PenWalker
{
public:
  PenWalker(const char* s, int count, int64_t startX, int64_t startY, bool vertical, bool singleLine,
            int lineHeight)
    : x(startX), y(startY), mChars(s, count), mStartX(startX), mStartY(startY), mVertical(vertical),
      mSingleLine(singleLine), mLineHeight(lineHeight)
  {
  }

  // The next code to draw at the pen; false at the end.
  bool Next(uint16_t* code)
  {
    while (mChars.Next(code))
    {
      if (*code == 13) continue;
      if (*code == 10)
      {
        if (!mSingleLine)
        {
          if (mVertical)
          {
            x += mLineHeight;
            y = mStartY;
          }
          else
          {
            x = mStartX;
            y += mLineHeight;
          }
          continue;
        }
        *code = 32;
      }
      return true;
    }
    return false;
  }

  int64_t x, y;  // the pen

private:
  CharWalker mChars;
  int64_t mStartX, mStartY;
  bool mVertical, mSingleLine;
  int mLineHeight;
};
}  // namespace

// ---- decoder ----

int RAST_CachedFont_DecodeUTF8(const char* s, int avail, uint16_t* code)
{
  if (!s || avail == 0) return 0;
  const unsigned c = static_cast<unsigned char>(s[0]);
  // A byte beyond the count reads as 0, which is no continuation byte, and the
  // tests stop at the first byte that is not one, so a NUL is never passed.
  auto cont = [s, avail](int i) {
    if (avail > 0 && i >= avail) return false;
    const unsigned b = static_cast<unsigned char>(s[i]);
    return b >= 0x80 && b <= 0xBF;
  };
  auto low6 = [s](int i) { return static_cast<unsigned>(static_cast<unsigned char>(s[i]) & 0x3F); };

  int length = 1;
  unsigned value = c;
  if (c >= 0xC2 && c <= 0xDF)
  {
    if (cont(1))
    {
      length = 2;
      value = (c & 0x1F) << 6 | low6(1);
    }
  }
  else if (c >= 0xE0 && c <= 0xEF)
  {
    if (cont(1) && cont(2))
    {
      length = 3;
      value = (c & 0x0F) << 12 | low6(1) << 6 | low6(2);
    }
  }
  else if (c >= 0xF0 && c <= 0xF4)
  {
    if (cont(1) && cont(2) && cont(3))
    {
      // Beyond 16 bits: drawn as a space.
      length = 4;
      value = 0x20;
    }
  }
  if (code) *code = static_cast<uint16_t>(value);
  return length;
}

int RAST_CachedFont_DecodeUTF8(const char* s, uint16_t* code)
{
  return RAST_CachedFont_DecodeUTF8(s, -1, code);
}

// ---- path choice ----

int RAST_CachedFont::DrawText(RAST_IBitmap* bm, const char* str, int strcnt, RECT* rect, int dtFlags)
{
  return DrawTextImpl(bm, str, strcnt, rect, dtFlags);
}

int RAST_CachedFont::DrawTextImpl(RAST_IBitmap* bm, const char* str, int strcnt, RECT* rect, int dtFlags)
{
  if (!str || !rect) return 0;
  const bool measure = (dtFlags & DT_CALCRECT) != 0;
  if (!measure && !bm) return 0;

  const bool wantsGlyphs = bm && bm->Extended(RAST_EXTENDED_WANTS_GLYPHS, nullptr) != 0;
  if (!wantsGlyphs)
  {
    // Effects, text alpha and explicit requests need the glyphs; sizes of 256
    // and more are never rendered as glyphs.
    constexpr int kGlyphOnlyFlags = 0x1F7;
    const bool prefersNative = (mFlags & RAST_FONT_FLAG_FORCE_NATIVE) && !(mFlags & kGlyphOnlyFlags) &&
                               static_cast<unsigned>(dtFlags) < 0x40000000u && mFont;
    if (prefersNative || mLineHeight >= 256)
    {
      if (bm && bm->getDC()) return DrawNativeInContext(bm, str, strcnt, rect, dtFlags);
      return DrawNativeViaBitmap(bm, str, strcnt, rect, dtFlags);
    }
  }
  return measure ? MeasureGlyphs(str, strcnt, rect, dtFlags) : DrawGlyphs(bm, str, strcnt, rect, dtFlags);
}

// ---- native path ----

void RAST_CachedFont::PrepareNativeContext(HDC dc)
{
  ::SetTextColor(dc, WindowColor(mTextColor));
  ::SetBkMode(dc, mBkMode);
  if (mBkMode == 1) ::SetBkColor(dc, WindowColor(mBkColor));
}

int RAST_CachedFont::DrawNativeInContext(RAST_IBitmap* bm, const char* str, int strcnt, RECT* rect, int dtFlags)
{
  HDC dc = bm->getDC();
  const HGDIOBJ previous = SelectObject(dc, mFont);
  PrepareNativeContext(dc);
  RECT r = *rect;
  const int result = WINL_DrawText(dc, str, strcnt, &r, (dtFlags & 0x7FFFFFFF) | DT_NOPREFIX);
  if (dtFlags & DT_CALCRECT) *rect = r;
  if (previous) SelectObject(dc, previous);
  return result;
}

int RAST_CachedFont::DrawNativeViaBitmap(RAST_IBitmap* bm, const char* str, int strcnt, RECT* rect, int dtFlags)
{
  RAST_SysBitmap*& nb = RAST_CachedFont_NativeBitmap;
  if (!nb) nb = new (std::nothrow) RAST_SysBitmap(0, 0);
  if (!nb) return 0;
  if (nb->getWidth() < 4 || nb->getHeight() < 4) nb->resize(4, 4);
  HDC dc = nb->getDC();
  if (!dc) return 0;
  HGDIOBJ previous = SelectObject(dc, mFont);
  auto restore = [&dc, &previous]() {
    if (previous) SelectObject(dc, previous);
  };

  // Measured without alignment or clipping, at the origin.
  RECT m = {0, 0, 0, 0};
  const int measured = WINL_DrawText(dc, str, strcnt, &m, (dtFlags & 0x7FFFFF48) | DT_CALCRECT | DT_NOPREFIX);
  if (dtFlags & DT_CALCRECT)
  {
    rect->right = ClampToInt(static_cast<int64_t>(rect->left) + m.right - m.left);
    rect->bottom = ClampToInt(static_cast<int64_t>(rect->top) + m.bottom - m.top);
    restore();
    return measured;
  }
  if (!bm)
  {
    restore();
    return measured;
  }

  // The text's box in bm, aligned in rect.
  const int64_t rl = rect->left, rt = rect->top, rr = rect->right, rb = rect->bottom;
  int64_t left = rl, top = rt;
  if (dtFlags & DT_RIGHT)
    left = rr - m.right;
  else if (dtFlags & DT_CENTER)
    left = (rl + rr - m.right) / 2;
  if (dtFlags & DT_BOTTOM)
    top = rb - m.bottom;
  else if (dtFlags & DT_VCENTER)
    top = (rt + rb - m.bottom) / 2;
  int64_t right = std::min<int64_t>(left + m.right, bm->getWidth());
  int64_t bottom = std::min<int64_t>(top + m.bottom, bm->getHeight());
  const bool noClip = (dtFlags & DT_NOCLIP) != 0;
  if (!noClip)
  {
    right = std::min(right, rr);
    bottom = std::min(bottom, rb);
  }
  const int64_t minLeft = noClip ? 0 : std::max<int64_t>(rl, 0), minTop = noClip ? 0 : std::max<int64_t>(rt, 0);
  // A box cut at its left or top moves the text's origin out by as much.
  int64_t originX = 0, originY = 0;
  if (left < minLeft)
  {
    originX = left - minLeft;
    left = minLeft;
  }
  if (top < minTop)
  {
    originY = top - minTop;
    top = minTop;
  }
  if (right <= left || bottom <= top)
  {
    restore();
    return measured;
  }
  const int boxW = static_cast<int>(right - left), boxH = static_cast<int>(bottom - top);

  if (nb->getWidth() < boxW || nb->getHeight() < boxH)
  {
    restore();
    nb->resize(std::max(nb->getWidth(), boxW), std::max(nb->getHeight(), boxH));
    dc = nb->getDC();
    if (!dc) return 0;
    previous = SelectObject(dc, mFont);
  }

  // The text is drawn over the real background and the box copied back.
  const int bx = static_cast<int>(left), by = static_cast<int>(top);
  RAST_Blit(nb, bm, 0, 0, bx, by, boxW, boxH, 1.0f, RAST_BLIT_MODE_COPY);
  PrepareNativeContext(dc);
  RECT inBox = {ClampToInt(originX), ClampToInt(originY), boxW, boxH};
  const int drawn = WINL_DrawText(dc, str, strcnt, &inBox, (dtFlags & 0x7FFFFEC9) | DT_NOPREFIX);
  RAST_Blit(bm, nb, bx, by, 0, 0, boxW, boxH, mAlpha, RAST_BLIT_MODE_COPY);
  restore();
  return drawn;
}

// ---- glyph path ----

RAST_CachedFont::charEnt* RAST_CachedFont::GlyphFor(int code)
{
  charEnt* e = findChar(code);
  if (!e)
  {
    const int before = mExtra.GetSize();
    RenderGlyph(code);
    if (mExtra.GetSize() == before) return nullptr;
    e = findChar(code);
    if (!e) return nullptr;
  }
  if (e->base == -1) return nullptr;
  if (e->base == 0)
  {
    RenderGlyph(code);
    // Rendering may have moved the extra records.
    e = findChar(code);
    if (!e || e->base <= 0) return nullptr;
  }
  return e;
}

int RAST_CachedFont::MeasureGlyphs(const char* str, int strcnt, RECT* rect, int dtFlags)
{
  if (strcnt == 0 || !*str)
  {
    rect->right = rect->left;
    rect->bottom = rect->top;
    return 0;
  }
  const bool vertical = (mFlags & RAST_FONT_FLAG_VERTICAL) != 0;
  int64_t W = 0, H = 0;
  PenWalker pen(str, strcnt, 0, 0, vertical, (dtFlags & DT_SINGLELINE) != 0, mLineHeight);
  uint16_t code;
  while (pen.Next(&code))
  {
    const charEnt* e = GlyphFor(code);
    if (!e) continue;
    if (!vertical)
    {
      H = std::max<int64_t>(H, pen.y + e->height);
      W = std::max<int64_t>({W, pen.x + e->advance, pen.x + e->width});
      pen.x += e->advance;
    }
    else
    {
      W = std::max<int64_t>(W, pen.x + e->width);
      H = std::max<int64_t>({H, pen.y + e->advance, pen.y + e->height});
      pen.y += e->advance;
    }
  }
  rect->right = ClampToInt(static_cast<int64_t>(rect->left) + W);
  rect->bottom = ClampToInt(static_cast<int64_t>(rect->top) + H);
  return ClampToInt(vertical ? W : H);
}

int RAST_CachedFont::DrawGlyphs(RAST_IBitmap* bm, const char* str, int strcnt, RECT* rect, int dtFlags)
{
  // The text alpha scales the font's alpha for this call only.
  struct AlphaScope
  {
    float& alpha;
    const float saved;
    ~AlphaScope() { alpha = saved; }
  } scope{mAlpha, mAlpha};
  if (dtFlags & RAST_DT_USE_TEXT_ALPHA)
    mAlpha = static_cast<float>(static_cast<double>(mAlpha) * RAST_GETA(mTextColor) / 255.0);
  if (mAlpha == 0.0f) return 0;

  const bool vertical = (mFlags & RAST_FONT_FLAG_VERTICAL) != 0;
  const bool bottomUp = vertical && (mFlags & RAST_FONT_FLAG_VERTICAL_BOTTOMUP) != 0;
  int64_t x = rect->left, y = rect->top;
  if ((dtFlags & (DT_VCENTER | DT_CENTER | DT_BOTTOM | DT_RIGHT)) || bottomUp)
  {
    RECT m = {0, 0, 0, 0};
    DrawTextImpl(bm, str, strcnt, &m, (dtFlags & (DT_SINGLELINE | RAST_DT_NO_NATIVE)) | DT_CALCRECT);
    if (dtFlags & DT_CENTER)
      x += (static_cast<int64_t>(rect->right) - rect->left - m.right) / 2;
    else if (dtFlags & DT_RIGHT)
      x = static_cast<int64_t>(rect->right) - m.right;
    if (dtFlags & DT_VCENTER)
      y += (static_cast<int64_t>(rect->bottom) - rect->top - m.bottom) / 2;
    else if (dtFlags & DT_BOTTOM)
      y = static_cast<int64_t>(rect->bottom) - m.bottom;
    if (bottomUp) y += m.bottom;
  }

  RECT clip = {0, 0, bm->getWidth(), bm->getHeight()};
  if (!(dtFlags & DT_NOCLIP))
  {
    clip.left = std::max(rect->left, 0);
    clip.top = std::max(rect->top, 0);
    clip.right = std::min(rect->right, clip.right);
    clip.bottom = std::min(rect->bottom, clip.bottom);
  }
  if (clip.right <= clip.left || clip.bottom <= clip.top) return 0;

  const int64_t startX = x, startY = y;
  int64_t drawnBottom = startY, drawnRight = startX;
  PenWalker pen(str, strcnt, startX, startY, vertical, (dtFlags & DT_SINGLELINE) != 0, mLineHeight);
  uint16_t code;
  while (pen.Next(&code))
  {
    const charEnt* e = GlyphFor(code);
    if (!e || e->base - 1 >= mStore.GetSize()) continue;
    const int64_t gy = bottomUp ? pen.y - e->height : pen.y;
    // A pen beyond the int range is beyond every bitmap too.
    const bool reachable = pen.x >= INT_MIN && pen.x <= INT_MAX && gy >= INT_MIN && gy <= INT_MAX;
    const bool drawn = reachable && DrawGlyph(bm, code, static_cast<int>(pen.x), static_cast<int>(gy), clip);
    if (!vertical)
    {
      pen.x += e->advance;
      if (drawn) drawnBottom = std::max<int64_t>(drawnBottom, pen.y + e->height);
    }
    else
    {
      // Bottom-up text runs upward from the pen.
      pen.y += bottomUp ? -e->advance : e->advance;
      if (drawn) drawnRight = std::max<int64_t>(drawnRight, pen.x + e->width);
    }
  }
  return ClampToInt(vertical ? drawnRight - startX : drawnBottom - startY);
}
