// The raster library's fonts. RAST_CachedFont takes a font of the window
// layer, renders each character once through the window layer's text drawing
// into a shared off-screen bitmap, keeps its coverage (one byte per pixel,
// 0 no ink, 255 full) in a glyph cache, and draws texts glyph by glyph into
// any bitmap with the library's combine modes, optionally with a shadow or
// outline, blurred, inverted, turned for vertical text or reduced to on/off
// pixels. Opaque text of fonts that prefer it is drawn by the window layer
// itself (the native path).
//
// Pixels are RAST_pixel values (bytes A, R, G, B). Texts are UTF-8. All fonts
// share two bitmaps and an instance count without a lock: GUI thread only.
#pragma once

#include "core/BASE_HeapBuf.h"
#include "core/BASE_TypedBuf.h"
#include "raster/RAST_Bitmap.h"
#include "winl/draw/WINL_GDI.h"

#include <cstdint>

// ---- font flags ----
constexpr int RAST_FONT_FLAG_VERTICAL = 1;           // glyphs turned a quarter, text runs down
constexpr int RAST_FONT_FLAG_VERTICAL_BOTTOMUP = 2;  // with VERTICAL: turned the other way, text runs up
constexpr int RAST_FONT_FLAG_PRECALCALL = 4;         // render codes 0..127 at once, never others
constexpr int RAST_FONT_FLAG_FX_BLUR = 16;           // glyphs blurred after rendering
constexpr int RAST_FONT_FLAG_FX_INVERT = 32;         // coverage 255 - value
constexpr int RAST_FONT_FLAG_FX_MONO = 64;           // coverage on or off
constexpr int RAST_FONT_FLAG_FX_SHADOW = 128;        // one-pixel shadow down and right
constexpr int RAST_FONT_FLAG_FX_OUTLINE = 256;       // one-pixel outline (not with SHADOW)
constexpr int RAST_FONT_FLAG_OWNS_HFONT = 512;       // the font deletes its HFONT
constexpr int RAST_FONT_FLAG_FORCE_NATIVE = 1024;    // prefer the window layer's own drawing

// ---- text-format flags of the library, beside the window layer's DT_ ones ----
constexpr int RAST_DT_USE_TEXT_ALPHA = 0x40000000;  // alpha times the text colour's alpha / 255
constexpr int RAST_DT_NO_NATIVE = static_cast<int>(0x80000000u);  // never the native path

// The Extended identifier through which a bitmap asks for glyph drawing.
constexpr int RAST_EXTENDED_WANTS_GLYPHS = 0x59555678;

class RAST_IFont
{
public:
  virtual ~RAST_IFont() = default;

  virtual void SetFromHFont(HFONT font, int flags) = 0;
  // Each setter returns the previous value.
  virtual RAST_pixel SetTextColor(RAST_pixel color) = 0;
  virtual RAST_pixel SetBkColor(RAST_pixel color) = 0;
  virtual RAST_pixel SetEffectColor(RAST_pixel color) = 0;
  virtual int SetBkMode(int mode) = 0;
  virtual void SetCombineMode(int mode, float alpha) = 0;
  virtual int DrawText(RAST_IBitmap* bm, const char* str, int strcnt, RECT* rect, int dtFlags) = 0;
  virtual RAST_pixel GetTextColor() = 0;
  virtual HFONT GetHFont() = 0;
  virtual int GetLineHeight() = 0;
};

class RAST_CachedFont : public RAST_IFont
{
public:
  // One glyph: base is 1 + the byte offset of its coverage map in the glyph
  // store (0 not rendered yet, -1 renders nothing); the map is width x height
  // bytes, rows packed; advance is the pen step in pixels before any turn.
  struct charEnt
  {
    int base;
    int width;
    int height;
    int advance;
    int code;
  };

  RAST_CachedFont();
  ~RAST_CachedFont() override;
  RAST_CachedFont(const RAST_CachedFont&) = delete;
  RAST_CachedFont& operator=(const RAST_CachedFont&) = delete;

  // Points the font at a window-layer font (deleting the old one with
  // RAST_FONT_FLAG_OWNS_HFONT), reads its line height and empties the glyph
  // cache.
  void SetFromHFont(HFONT font, int flags) override;
  RAST_pixel SetTextColor(RAST_pixel color) override;
  RAST_pixel SetBkColor(RAST_pixel color) override;
  RAST_pixel SetEffectColor(RAST_pixel color) override;
  // 1 fills each glyph's cell with the background colour first.
  int SetBkMode(int mode) override;
  // The mode word (RAST_Pixel.h) and alpha of glyph drawing.
  void SetCombineMode(int mode, float alpha) override;

  // Lays out strcnt bytes of str (negative: up to the NUL; a NUL always ends
  // it) in rect of bm, or with DT_CALCRECT measures it (bm may then be null)
  // and sets rect's right and bottom. Flags are the DT_ ones plus
  // RAST_DT_USE_TEXT_ALPHA and RAST_DT_NO_NATIVE. Returns the height drawn or
  // measured (the width for vertical fonts); 0 when nothing was.
  int DrawText(RAST_IBitmap* bm, const char* str, int strcnt, RECT* rect, int dtFlags) override;
  RAST_pixel GetTextColor() override { return mTextColor; }
  HFONT GetHFont() override { return mFont; }
  int GetLineHeight() override { return mLineHeight; }

  // Draws the cached glyph of code with its top-left at (x, y), clipped to
  // clip (which the caller has cut to the bitmap). Nothing is rendered here.
  // True when some of the glyph lay inside clip.
  virtual bool DrawGlyph(RAST_IBitmap* bm, uint16_t code, int x, int y, const RECT& clip);

  // Renders code into the cache unless it is there. False when the font
  // refuses it (line height above 1023, or a new code of 128 or above with
  // RAST_FONT_FLAG_PRECALCALL).
  bool RenderGlyph(int code);
  // The record of code: always one for codes below 128 (possibly not
  // rendered), for others the cached one or null.
  charEnt* findChar(int code);

  // ---- read-only views for tests and tools ----
  int GetFlags() const { return mFlags; }
  int GetExtraRecordCount() const { return mExtra.GetSize(); }
  const charEnt* GetExtraRecords() const { return mExtra.Get(); }
  const uint8_t* GetGlyphStore() const { return static_cast<const uint8_t*>(mStore.Get()); }
  int GetGlyphStoreSize() const { return mStore.GetSize(); }
  static int GetInstanceCount();

private:
  int DrawTextImpl(RAST_IBitmap* bm, const char* str, int strcnt, RECT* rect, int dtFlags);
  int DrawNativeInContext(RAST_IBitmap* bm, const char* str, int strcnt, RECT* rect, int dtFlags);
  int DrawNativeViaBitmap(RAST_IBitmap* bm, const char* str, int strcnt, RECT* rect, int dtFlags);
  int MeasureGlyphs(const char* str, int strcnt, RECT* rect, int dtFlags);
  int DrawGlyphs(RAST_IBitmap* bm, const char* str, int strcnt, RECT* rect, int dtFlags);
  // The record of the next character's glyph, rendered when needed; null
  // when the character takes no space.
  charEnt* GlyphFor(int code);
  // Sets the window-layer context's colours for drawing this font natively.
  void PrepareNativeContext(HDC dc);

  RAST_pixel mTextColor = 0;
  RAST_pixel mBkColor = 0xFFFFFFFFu;
  RAST_pixel mEffectColor = 0xFFFFFFFFu;
  int mBkMode = 0;
  int mCombineMode = 0;
  float mAlpha = 1.0f;
  int mFlags = 0;
  int mLineHeight = 0;
  charEnt mDirect[128];
  BASE_TypedBuf<charEnt> mExtra{4096};
  BASE_HeapBuf mStore{65536};
  HFONT mFont = nullptr;
};

// The bitmaps all fonts share: glyphs are rendered on the first, the native
// path draws into the second for targets without a drawing context. Made on
// first use, deleted with the last font.
extern RAST_SysBitmap* RAST_CachedFont_RenderBitmap;
extern RAST_SysBitmap* RAST_CachedFont_NativeBitmap;

// Orders two records by code.
int RAST_CachedFont_CompareCharEnt(const void* a, const void* b);

// The length of the UTF-8 character at s and, when code is not null, its code:
// 1 for ASCII and for bytes that do not start a well-formed sequence (code
// the byte's value); 2 or 3 with the decoded code; 4 for characters beyond 16
// bits, which are drawn as spaces (code 0x20). Stops at a NUL. The bounded
// form reads no more than avail bytes (avail < 0: up to the NUL only).
int RAST_CachedFont_DecodeUTF8(const char* s, uint16_t* code);
int RAST_CachedFont_DecodeUTF8(const char* s, int avail, uint16_t* code);
