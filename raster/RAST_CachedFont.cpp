// The cached font: its records, the glyph cache and rendering, and drawing
// one glyph. Laying out whole texts is in RAST_CachedFontText.cpp.

#include "raster/RAST_CachedFont.h"

#include "raster/RAST_Blend.h"
#include "raster/RAST_BitmapView.h"
#include "raster/RAST_Blur.h"
#include "raster/RAST_Rect.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <new>
#include <utility>
#include <vector>

// ---- sections ----
// shared state · object · glyph rendering · glyph effects · instance families
// · glyph drawing

RAST_SysBitmap* RAST_CachedFont_RenderBitmap = nullptr;
RAST_SysBitmap* RAST_CachedFont_NativeBitmap = nullptr;

namespace
{
// ---- shared state ----

int gInstances = 0;

// Glyphs are rendered white on black, so a pixel's red byte is its coverage.
void PrepareRenderContext(HDC dc)
{
  ::SetTextColor(dc, 0xFFFFFF);
  ::SetBkMode(dc, OPAQUE);
  ::SetBkColor(dc, 0x000000);
}

// The render bitmap, made if missing and grown to at least side x side.
RAST_SysBitmap* RenderBitmap(int side)
{
  RAST_SysBitmap*& bm = RAST_CachedFont_RenderBitmap;
  if (!bm) bm = new (std::nothrow) RAST_SysBitmap(0, 0);
  if (!bm) return nullptr;
  if (bm->getWidth() < side || bm->getHeight() < side)
  {
    // Shared by every font: it keeps the largest size any of them asked for.
    bm->resize(std::max(bm->getWidth(), side), std::max(bm->getHeight(), side));
    if (HDC dc = bm->getDC()) PrepareRenderContext(dc);
  }
  return bm;
}

// The UTF-8 form of a 16-bit code, terminated.
void EncodeUTF8(int code, char out[4])
{
  if (code < 0x80)
  {
    out[0] = static_cast<char>(code);
    out[1] = 0;
  }
  else if (code < 0x800)
  {
    out[0] = static_cast<char>(0xC0 + (code >> 6));
    out[1] = static_cast<char>(0x80 + (code & 63));
    out[2] = 0;
  }
  else
  {
    out[0] = static_cast<char>(0xE0 | (code >> 12));
    out[1] = static_cast<char>(0x80 | ((code >> 6) & 63));
    out[2] = static_cast<char>(0x80 | (code & 63));
    out[3] = 0;
  }
}

// ---- glyph effects ----
// Each works on a map of w x h bytes, rows packed.

void Threshold(uint8_t* map, size_t n)
{
  for (size_t i = 0; i < n; ++i) map[i] = map[i] > 130 ? 255 : 0;
}

// Empty pixels next to full ones become 128: down and to the right of the ink
// for a shadow, all round it for an outline. Only full pixels count, so a
// pixel just set never spreads further.
void AddEdge(uint8_t* map, int w, int h, bool shadow)
{
  auto full = [map, w, h](int x, int y) {
    return x >= 0 && y >= 0 && x < w && y < h && map[static_cast<size_t>(y) * w + x] == 255;
  };
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
    {
      uint8_t& p = map[static_cast<size_t>(y) * w + x];
      if (p != 0) continue;
      const bool edge = shadow ? full(x - 1, y) || full(x - 1, y - 1) || full(x, y - 1)
                               : full(x, y - 1) || full(x, y + 1) || full(x - 1, y) || full(x + 1, y);
      if (edge) p = 128;
    }
}

// A quarter turn: clockwise the text's top faces right, counter-clockwise
// left. The map becomes h x w.
void Turn(uint8_t* map, int w, int h, bool counterClockwise)
{
  const std::vector<uint8_t> old(map, map + static_cast<size_t>(w) * h);
  const int nw = h, nh = w;
  for (int r = 0; r < nh; ++r)
    for (int c = 0; c < nw; ++c)
    {
      const int ox = counterClockwise ? w - 1 - r : r;
      const int oy = counterClockwise ? c : h - 1 - c;
      map[static_cast<size_t>(r) * nw + c] = old[static_cast<size_t>(oy) * w + ox];
    }
}

// ---- instance families ----
// One row loop per family over the combine rule; coverage 0 is left alone
// and the source alpha is 255.

struct GlyphArgs
{
  const uint8_t* src;
  int srcStride;
  RAST_pixel* dst;
  ptrdiff_t dstStep;
  int w, h;
  int r, g, b;   // text colour
  int weight;
  int er, eg, eb;  // effect colour
};

using GlyphRowsFn = void (*)(const GlyphArgs& a);

// Weight v + 1 at full weight, else v * w / 256 up to 256.
template <class Blend>
void PlainRows(const GlyphArgs& a)
{
  const uint8_t* s = a.src;
  RAST_pixel* d = a.dst;
  for (int y = 0; y < a.h; ++y, s += a.srcStride, d += a.dstStep)
    for (int x = 0; x < a.w; ++x)
      if (const int v = s[x])
      {
        const int weight = a.weight == RAST_WEIGHT_FULL
                               ? v + 1
                               : RAST_ClampWeight(std::min<int64_t>(static_cast<int64_t>(v) * a.weight / 256, RAST_WEIGHT_FULL));
        Blend::Apply(d + x, a.r, a.g, a.b, 255, weight);
      }
}

template <class Blend>
void MonoRows(const GlyphArgs& a)
{
  const uint8_t* s = a.src;
  RAST_pixel* d = a.dst;
  for (int y = 0; y < a.h; ++y, s += a.srcStride, d += a.dstStep)
    for (int x = 0; x < a.w; ++x)
      if (s[x]) Blend::Apply(d + x, a.r, a.g, a.b, 255, a.weight);
}

// Full coverage in the text colour, the edge in the effect colour.
template <class Blend>
void EffectRows(const GlyphArgs& a)
{
  const uint8_t* s = a.src;
  RAST_pixel* d = a.dst;
  for (int y = 0; y < a.h; ++y, s += a.srcStride, d += a.dstStep)
    for (int x = 0; x < a.w; ++x)
    {
      const int v = s[x];
      if (v == 255)
        Blend::Apply(d + x, a.r, a.g, a.b, 255, a.weight);
      else if (v)
        Blend::Apply(d + x, a.er, a.eg, a.eb, 255, a.weight);
    }
}

constexpr GlyphRowsFn RAST_FontGlyph_Impl_Copy = &PlainRows<RAST_BlendCopy>;
constexpr GlyphRowsFn RAST_FontGlyph_Impl_Add = &PlainRows<RAST_BlendAdd>;
constexpr GlyphRowsFn RAST_FontGlyph_Impl_ColorDodge = &PlainRows<RAST_BlendColorDodge>;
constexpr GlyphRowsFn RAST_FontGlyph_Impl_Multiply = &PlainRows<RAST_BlendMultiply>;
constexpr GlyphRowsFn RAST_FontGlyph_Impl_Overlay = &PlainRows<RAST_BlendOverlay>;
constexpr GlyphRowsFn RAST_FontGlyph_Impl_HSVAdjust = &PlainRows<RAST_BlendHSVAdjust>;
constexpr GlyphRowsFn RAST_FontGlyphMono_Impl_Copy = &MonoRows<RAST_BlendCopy>;
constexpr GlyphRowsFn RAST_FontGlyphMono_Impl_Add = &MonoRows<RAST_BlendAdd>;
constexpr GlyphRowsFn RAST_FontGlyphMono_Impl_ColorDodge = &MonoRows<RAST_BlendColorDodge>;
constexpr GlyphRowsFn RAST_FontGlyphMono_Impl_Multiply = &MonoRows<RAST_BlendMultiply>;
constexpr GlyphRowsFn RAST_FontGlyphMono_Impl_Overlay = &MonoRows<RAST_BlendOverlay>;
constexpr GlyphRowsFn RAST_FontGlyphMono_Impl_HSVAdjust = &MonoRows<RAST_BlendHSVAdjust>;
constexpr GlyphRowsFn RAST_FontGlyphEffect_Impl_Copy = &EffectRows<RAST_BlendCopy>;
constexpr GlyphRowsFn RAST_FontGlyphEffect_Impl_Add = &EffectRows<RAST_BlendAdd>;
constexpr GlyphRowsFn RAST_FontGlyphEffect_Impl_ColorDodge = &EffectRows<RAST_BlendColorDodge>;
constexpr GlyphRowsFn RAST_FontGlyphEffect_Impl_Multiply = &EffectRows<RAST_BlendMultiply>;
constexpr GlyphRowsFn RAST_FontGlyphEffect_Impl_Overlay = &EffectRows<RAST_BlendOverlay>;
constexpr GlyphRowsFn RAST_FontGlyphEffect_Impl_HSVAdjust = &EffectRows<RAST_BlendHSVAdjust>;

// Indexed by combine mode: RAST_BLIT_MODE_COPY, _ADD, _DODGE, _MUL, _OVERLAY,
// _HSVADJ.
constexpr GlyphRowsFn kPlain[] = {RAST_FontGlyph_Impl_Copy,     RAST_FontGlyph_Impl_Add,
                                  RAST_FontGlyph_Impl_ColorDodge, RAST_FontGlyph_Impl_Multiply,
                                  RAST_FontGlyph_Impl_Overlay,  RAST_FontGlyph_Impl_HSVAdjust};
constexpr GlyphRowsFn kMono[] = {RAST_FontGlyphMono_Impl_Copy,     RAST_FontGlyphMono_Impl_Add,
                                 RAST_FontGlyphMono_Impl_ColorDodge, RAST_FontGlyphMono_Impl_Multiply,
                                 RAST_FontGlyphMono_Impl_Overlay,  RAST_FontGlyphMono_Impl_HSVAdjust};
constexpr GlyphRowsFn kEffect[] = {RAST_FontGlyphEffect_Impl_Copy,     RAST_FontGlyphEffect_Impl_Add,
                                   RAST_FontGlyphEffect_Impl_ColorDodge, RAST_FontGlyphEffect_Impl_Multiply,
                                   RAST_FontGlyphEffect_Impl_Overlay,  RAST_FontGlyphEffect_Impl_HSVAdjust};
static_assert(std::size(kPlain) == RAST_BLIT_MODE_COUNT, "every combine mode needs its plain glyph instance");
static_assert(std::size(kMono) == RAST_BLIT_MODE_COUNT, "every combine mode needs its mono glyph instance");
static_assert(std::size(kEffect) == RAST_BLIT_MODE_COUNT, "every combine mode needs its effect glyph instance");

// Whole pixels for the mono and effect families at full alpha in copy mode.
void WritePixels(const GlyphArgs& a, RAST_pixel text, RAST_pixel effect, bool mono)
{
  const uint8_t* s = a.src;
  RAST_pixel* d = a.dst;
  for (int y = 0; y < a.h; ++y, s += a.srcStride, d += a.dstStep)
    for (int x = 0; x < a.w; ++x)
    {
      const int v = s[x];
      if (v) d[x] = mono || v == 255 ? text : effect;
    }
}
}  // namespace

// ---- object ----

RAST_CachedFont::RAST_CachedFont()
{
  memset(mDirect, 0, sizeof(mDirect));
  ++gInstances;
}

RAST_CachedFont::~RAST_CachedFont()
{
  if ((mFlags & RAST_FONT_FLAG_OWNS_HFONT) && mFont) DeleteObject(mFont);
  if (--gInstances == 0)
  {
    delete RAST_CachedFont_RenderBitmap;
    RAST_CachedFont_RenderBitmap = nullptr;
    delete RAST_CachedFont_NativeBitmap;
    RAST_CachedFont_NativeBitmap = nullptr;
  }
}

int RAST_CachedFont::GetInstanceCount() { return gInstances; }

void RAST_CachedFont::SetFromHFont(HFONT font, int flags)
{
  if ((mFlags & RAST_FONT_FLAG_OWNS_HFONT) && mFont && mFont != font) DeleteObject(mFont);
  mFlags = flags;
  mFont = font;

  if (font)
  {
    RAST_SysBitmap* bm = RenderBitmap(256);
    HDC dc = bm ? bm->getDC() : nullptr;
    const HGDIOBJ previous = SelectObject(dc, font);
    TEXTMETRIC tm;
    GetTextMetrics(dc, &tm);
    if (previous) SelectObject(dc, previous);
    mLineHeight = tm.tmHeight;
  }

  memset(mDirect, 0, sizeof(mDirect));
  mExtra.Resize(0, false);
  mStore.Resize(0, true);

  if (mFlags & RAST_FONT_FLAG_PRECALCALL)
    for (int code = 0; code < 128; ++code) RenderGlyph(code);
}

RAST_pixel RAST_CachedFont::SetTextColor(RAST_pixel color) { return std::exchange(mTextColor, color); }

RAST_pixel RAST_CachedFont::SetBkColor(RAST_pixel color) { return std::exchange(mBkColor, color); }

RAST_pixel RAST_CachedFont::SetEffectColor(RAST_pixel color) { return std::exchange(mEffectColor, color); }

int RAST_CachedFont::SetBkMode(int mode) { return std::exchange(mBkMode, mode); }

void RAST_CachedFont::SetCombineMode(int mode, float alpha)
{
  mCombineMode = mode;
  mAlpha = alpha;
}

int RAST_CachedFont_CompareCharEnt(const void* a, const void* b)
{
  return static_cast<const RAST_CachedFont::charEnt*>(a)->code - static_cast<const RAST_CachedFont::charEnt*>(b)->code;
}

RAST_CachedFont::charEnt* RAST_CachedFont::findChar(int code)
{
  if (code >= 0 && code < 128) return &mDirect[code];
  const int n = mExtra.GetSize();
  if (n == 0) return nullptr;
  charEnt* records = mExtra.Get();
  int lo = 0, hi = n;
  while (lo < hi)
  {
    const int mid = (lo + hi) / 2;
    if (records[mid].code < code)
      lo = mid + 1;
    else if (records[mid].code > code)
      hi = mid;
    else
      return &records[mid];
  }
  return nullptr;
}

// ---- glyph rendering ----

bool RAST_CachedFont::RenderGlyph(int code)
{
  if (mLineHeight > 1023) return false;
  // Characters are 16-bit codes; anything else has no UTF-8 form here.
  if (code < 0 || code > 0xFFFF) return false;

  charEnt* rec = findChar(code);
  bool added = false;
  if (!rec)
  {
    if (mFlags & RAST_FONT_FLAG_PRECALCALL) return false;
    rec = mExtra.Add(charEnt{0, 0, 0, 0, code});
    if (!rec) return false;
    added = true;
  }

  auto finish = [this, added]() {
    if (added && mExtra.GetSize() >= 2)
      qsort(mExtra.Get(), static_cast<size_t>(mExtra.GetSize()), sizeof(charEnt), RAST_CachedFont_CompareCharEnt);
    return true;
  };
  auto empty = [rec, &finish]() {
    *rec = charEnt{-1, 0, 0, 0, rec->code};
    return finish();
  };

  const int side = 2 * std::max(mLineHeight, 1) + 8;
  RAST_SysBitmap* bm = RenderBitmap(side);
  HDC dc = bm ? bm->getDC() : nullptr;
  if (!dc || !bm->getBits()) return empty();
  const HGDIOBJ previous = mFont ? SelectObject(dc, mFont) : nullptr;

  char text[4];
  EncodeUTF8(code, text);
  RECT measured = {0, 0, 0, 0};
  WINL_DrawText(dc, text, -1, &measured, DT_CALCRECT | DT_NOPREFIX | DT_SINGLELINE);
  int advance = measured.right;
  // Room for ink that reaches past the advance (italics, overhangs).
  const int margin = mLineHeight > 15 ? mLineHeight / 16 + 2 : 2;
  int cellW = static_cast<int>(std::clamp<int64_t>(static_cast<int64_t>(advance) + margin, 0, INT_MAX));
  int cellH = measured.bottom;
  RAST_FillRect(bm, 0, 0, cellW, cellH, 0, 1.0f, RAST_BLIT_MODE_COPY);
  RECT cell = {0, 0, cellW, cellH};
  WINL_DrawText(dc, text, -1, &cell, DT_NOPREFIX | DT_SINGLELINE);

  const int bmW = bm->getWidth(), bmH = bm->getHeight();
  advance = std::min(advance, bmW);
  cellW = std::min(cellW, bmW);
  cellH = std::min(cellH, bmH);
  if (previous) SelectObject(dc, previous);

  if (advance < 1 || cellH < 1) return empty();
  rec->advance = advance;
  if (mFlags & RAST_FONT_FLAG_FX_BLUR) RAST_Blur(bm, bm, 0, 0, 0, 0, cellW, cellH);

  const int offset = mStore.GetSize();
  const int64_t grown = static_cast<int64_t>(offset) + static_cast<int64_t>(cellW) * cellH;
  if (grown > INT_MAX) return empty();
  mStore.Resize(static_cast<int>(grown), false);
  if (mStore.GetSize() != grown) return empty();
  rec->base = offset + 1;

  // Coverage is the red byte of the white-on-black rendering.
  uint8_t* map = static_cast<uint8_t*>(mStore.Get()) + offset;
  const bool invert = (mFlags & RAST_FONT_FLAG_FX_INVERT) != 0;
  int used = advance;
  RAST_BitmapView view;
  view.Open(bm);
  for (int y = 0; y < cellH; ++y)
  {
    const RAST_pixel* row = view.Row(y);
    uint8_t* out = map + static_cast<size_t>(y) * cellW;
    for (int x = 0; x < cellW; ++x)
    {
      const int red = RAST_GETR(row[x]);
      out[x] = static_cast<uint8_t>(invert ? 255 - red : red);
      if (red != 0 && x + 1 > used) used = x + 1;
    }
  }
  int w = cellW, h = cellH;
  if (used < cellW)
  {
    for (int y = 1; y < h; ++y) memmove(map + static_cast<size_t>(y) * used, map + static_cast<size_t>(y) * cellW, used);
    mStore.Resize(offset + used * h, false);
    map = static_cast<uint8_t*>(mStore.Get()) + offset;
    w = used;
  }

  if (mFlags & RAST_FONT_FLAG_VERTICAL)
  {
    Turn(map, w, h, (mFlags & RAST_FONT_FLAG_VERTICAL_BOTTOMUP) != 0);
    std::swap(w, h);
  }
  const size_t n = static_cast<size_t>(w) * h;
  if (mFlags & RAST_FONT_FLAG_FX_MONO) Threshold(map, n);
  if (mFlags & (RAST_FONT_FLAG_FX_SHADOW | RAST_FONT_FLAG_FX_OUTLINE))
  {
    Threshold(map, n);
    AddEdge(map, w, h, (mFlags & RAST_FONT_FLAG_FX_SHADOW) != 0);
  }
  rec->width = w;
  rec->height = h;
  return finish();
}

// ---- glyph drawing ----

bool RAST_CachedFont::DrawGlyph(RAST_IBitmap* bm, uint16_t code, int x, int y, const RECT& clip)
{
  const charEnt* rec = findChar(code);
  if (!rec || rec->base <= 0) return false;
  const int64_t offset = static_cast<int64_t>(rec->base) - 1;
  const int w = rec->width, h = rec->height;
  if (w < 1 || h < 1 || offset + static_cast<int64_t>(w) * h > mStore.GetSize()) return false;

  // The clip is cut to the bitmap here too: a clip reaching outside it must
  // not lead to writes outside the pixels.
  RAST_BitmapView view;
  if (!view.Open(bm)) return false;
  const int64_t left = std::max<int64_t>(clip.left, 0), top = std::max<int64_t>(clip.top, 0);
  const int64_t right = std::min<int64_t>(clip.right, view.width), bottom = std::min<int64_t>(clip.bottom, view.height);
  int64_t gx = x, gy = y;
  if (gx >= right || gy >= bottom || gx + w <= left || gy + h <= top) return false;
  int64_t skipX = 0, skipY = 0;
  if (left > gx)
  {
    skipX = left - gx;
    gx = left;
  }
  if (top > gy)
  {
    skipY = top - gy;
    gy = top;
  }
  const int64_t visW = std::min<int64_t>(w - skipX, right - gx), visH = std::min<int64_t>(h - skipY, bottom - gy);
  if (visW < 1 || visH < 1) return false;

  GlyphArgs a;
  a.src = static_cast<const uint8_t*>(mStore.Get()) + offset + skipY * w + skipX;
  a.srcStride = w;
  a.dst = view.Row(static_cast<int>(gy)) + gx;
  a.dstStep = view.Step();
  a.w = static_cast<int>(visW);
  a.h = static_cast<int>(visH);
  a.r = RAST_GETR(mTextColor);
  a.g = RAST_GETG(mTextColor);
  a.b = RAST_GETB(mTextColor);
  a.er = RAST_GETR(mEffectColor);
  a.eg = RAST_GETG(mEffectColor);
  a.eb = RAST_GETB(mEffectColor);

  if (mBkMode == 1)
    RAST_FillRect(bm, static_cast<int>(gx), static_cast<int>(gy), a.w, a.h, mBkColor, mAlpha,
                  mCombineMode & ~RAST_BLIT_USE_ALPHA);

  const bool mono = (mFlags & RAST_FONT_FLAG_FX_MONO) != 0;
  const bool effect = !mono && (mFlags & (RAST_FONT_FLAG_FX_SHADOW | RAST_FONT_FLAG_FX_OUTLINE)) != 0;
  const int op = mCombineMode & RAST_BLIT_MODE_MASK;
  if ((mono || effect) && mAlpha == 1.0f && op == RAST_BLIT_MODE_COPY)
  {
    WritePixels(a, mTextColor, mEffectColor, mono);
    return true;
  }

  // (int)(alpha * 256), held within the range every rule takes.
  const double scaled = static_cast<double>(mAlpha) * 256.0;
  int weight = !(scaled == scaled) ? 0 : static_cast<int>(std::clamp(scaled, static_cast<double>(RAST_WEIGHT_MIN), 1048576.0));
  if (mono || effect) weight = std::min(weight, RAST_WEIGHT_FULL);
  if (weight == 0 || op >= RAST_BLIT_MODE_COUNT) return true;
  if (op == RAST_BLIT_MODE_COPY && weight < 1) return true;
  a.weight = weight;
  (mono ? kMono : effect ? kEffect : kPlain)[op](a);
  return true;
}
