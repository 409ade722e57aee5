// Measuring and drawing text, font metrics and face names.

#include "winl/draw/WINL_GDI.h"

#include "winl/draw/WINL_GDIPrivate.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <string>

namespace
{
constexpr size_t kMaxTextBytes = 4095;

bool IsContinuation(unsigned char c) { return c >= 0x80 && c <= 0xBF; }

// The length of the well-formed UTF-8 character at s (avail bytes readable):
// 1..4; 0 when the bytes are not UTF-8; -1 when they are the start of a
// character that the end of the text cuts short.
int CharLength(const unsigned char* s, size_t avail)
{
  const unsigned char c = s[0];
  if (c < 0x80) return 1;
  int need;
  unsigned char lo = 0x80, hi = 0xBF;  // bounds of the second byte
  if (c >= 0xC2 && c <= 0xDF)
    need = 2;
  else if (c >= 0xE0 && c <= 0xEF)
  {
    need = 3;
    if (c == 0xE0) lo = 0xA0;  // no overlong forms
    if (c == 0xED) hi = 0x9F;  // no surrogates
  }
  else if (c >= 0xF0 && c <= 0xF4)
  {
    need = 4;
    if (c == 0xF0) lo = 0x90;
    if (c == 0xF4) hi = 0x8F;  // nothing beyond U+10FFFF
  }
  else
    return 0;
  for (int i = 1; i < need; ++i)
  {
    if (static_cast<size_t>(i) >= avail) return -1;
    const unsigned char b = s[i];
    if (i == 1 ? (b < lo || b > hi) : !IsContinuation(b)) return 0;
  }
  return need;
}

// The text as it is laid out: at most kMaxTextBytes of the source up to its
// NUL, without carriage returns, with the '&' prefixes resolved and line
// feeds kept or made spaces, as well-formed UTF-8.
std::string PrepareText(const char* text, int len, int flags)
{
  const size_t limit = len < 0 ? kMaxTextBytes : std::min(static_cast<size_t>(len), kMaxTextBytes);
  size_t n = 0;
  while (n < limit && text[n]) ++n;
  const unsigned char* s = reinterpret_cast<const unsigned char*>(text);

  std::string out;
  out.reserve(n);
  bool literal = false;
  for (size_t i = 0; i < n;)
  {
    const unsigned char c = s[i];
    if (c == '\r')
    {
      ++i;
      continue;
    }
    if (c == '&' && !(flags & DT_NOPREFIX) && !literal)
    {
      literal = true;
      ++i;
      continue;
    }
    literal = false;
    if (c == '\n')
    {
      out += (flags & DT_SINGLELINE) ? ' ' : '\n';
      ++i;
      continue;
    }
    const int length = CharLength(s + i, n - i);
    if (length < 0) break;  // a character the cut left incomplete is left out
    if (length > 0)
    {
      out.append(text + i, static_cast<size_t>(length));
      i += static_cast<size_t>(length);
      continue;
    }
    // A byte that is not UTF-8 stands for the Latin-1 character of its value,
    // as in the raster library's fonts.
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
    ++i;
  }
  return out;
}

int ClampToInt(int64_t v) { return static_cast<int>(std::clamp<int64_t>(v, INT_MIN, INT_MAX)); }

// Copies at most size - 1 bytes of text, never part of a character.
int CopyCut(const std::string& text, int size, char* buffer)
{
  size_t n = std::min(text.size(), static_cast<size_t>(size - 1));
  if (n < text.size())
    while (n > 0 && IsContinuation(static_cast<unsigned char>(text[n]))) --n;
  memcpy(buffer, text.data(), n);
  buffer[n] = 0;
  return static_cast<int>(n);
}
}  // namespace

int WINL_DrawText(HDC ctx, const char* text, int len, RECT* rect, int flags)
{
  BASE_MutexLock lock(WINL_GDILock());
  HDC__* live = WINL_LiveContext(ctx);
  if (!live || !text || !rect) return 0;
  const std::string prepared = PrepareText(text, len, flags);
  if (prepared.empty()) return 0;

  const PLAT_Font* font = WINL_ContextFont(live);
  if (!font) return 0;
  std::unique_ptr<PLAT_TextLayout> layout =
      font->Layout(prepared.data(), prepared.size(), WINL_FontAntialias(live->font));
  if (!layout) return 0;

  // Whole pixels: each line floor(ascent + descent + leading + 1.5) high, the
  // text as wide as its widest line rounded.
  const int lines = layout->GetLineCount();
  int64_t width = 0, height = 0;
  for (int i = 0; i < lines; ++i)
  {
    const PLAT_LineMetrics m = layout->GetLine(i);
    width = std::max<int64_t>(width, static_cast<int64_t>(std::floor(m.width + 0.5)));
    height += static_cast<int64_t>(std::floor(m.ascent + m.descent + m.leading + 1.5));
  }
  if (height != 0) ++height;
  const int w = ClampToInt(width), h = ClampToInt(height);

  if (flags & DT_CALCRECT)
  {
    rect->right = ClampToInt(static_cast<int64_t>(rect->left) + w);
    rect->bottom = ClampToInt(static_cast<int64_t>(rect->top) + h);
    return h;
  }

  const int64_t left = rect->left, top = rect->top, right = rect->right, bottom = rect->bottom;
  int64_t x = left, y = top;
  if (flags & DT_RIGHT)
    x = right - w;
  else if (flags & DT_CENTER)
    x = left + (right - left) / 2 - w / 2;
  if (flags & DT_BOTTOM)
    y = bottom - h;
  else if (flags & DT_VCENTER)
    y = top + (bottom - top) / 2 - h / 2;

  PLAT_Canvas* canvas = live->canvas;
  canvas->SaveState();
  if (!(flags & DT_NOCLIP))
    canvas->ClipToRect(static_cast<double>(left), static_cast<double>(top), static_cast<double>(right - left),
                       static_cast<double>(bottom - top));
  if (live->bkMode == OPAQUE)
    canvas->FillRect(static_cast<double>(x), static_cast<double>(y), w, h, WINL_ToPlatColor(live->bkColor, 1.0f));
  const PLAT_Color color = WINL_ToPlatColor(live->textColor, 1.0f);
  double lineTop = static_cast<double>(y);
  for (int i = 0; i < lines; ++i)
  {
    const PLAT_LineMetrics m = layout->GetLine(i);
    layout->DrawLine(canvas, i, static_cast<double>(x), lineTop + m.ascent, color);
    lineTop += std::floor(m.ascent + m.descent + m.leading + 0.5);
  }
  canvas->RestoreState();
  return h;
}

BOOL GetTextMetrics(HDC ctx, TEXTMETRIC* metrics)
{
  if (!metrics) return FALSE;
  *metrics = TEXTMETRIC{};
  metrics->tmHeight = 16;
  metrics->tmAscent = 12;
  metrics->tmDescent = 4;
  metrics->tmInternalLeading = 3;
  metrics->tmAveCharWidth = 10;

  BASE_MutexLock lock(WINL_GDILock());
  HDC__* live = WINL_LiveContext(ctx);
  if (!live) return FALSE;
  const PLAT_Font* font = WINL_ContextFont(live);
  if (!font) return FALSE;
  const PLAT_FontMetrics m = font->GetMetrics();
  auto truncated = [](double v) { return static_cast<LONG>(std::clamp(v, -1e6, 1e6)); };
  metrics->tmInternalLeading = truncated(m.leading);
  metrics->tmAscent = truncated(m.ascent);
  metrics->tmDescent = truncated(m.descent);
  metrics->tmHeight = metrics->tmInternalLeading + metrics->tmAscent + metrics->tmDescent;
  metrics->tmAveCharWidth = 2 * metrics->tmHeight / 3;
  if (metrics->tmHeight != 0) ++metrics->tmHeight;
  return TRUE;
}

int GetTextFace(HDC ctx, int size, char* buffer)
{
  if (!buffer || size < 1) return 0;
  BASE_MutexLock lock(WINL_GDILock());
  HDC__* live = WINL_LiveContext(ctx);
  if (!live) return 0;
  const PLAT_Font* font = WINL_ContextFont(live);
  return CopyCut(font ? font->GetDisplayName() : std::string(), size, buffer);
}
