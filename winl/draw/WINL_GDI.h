// Drawing objects and drawing of the window layer: pens, brushes, fonts and
// bitmaps as HGDIOBJ handles, selecting them into a context, text colours,
// measuring and drawing text, and the painting operations of the layer's own
// controls and of loadable modules.
//
// Colours are ints 0xRRGGBB (red in bits 16..23). Objects are reference
// counted: the creator holds one reference, WINL_CloneGDIObject adds one and
// DeleteObject drops one; freed records are kept for reuse (at most 200).
// Handles below 5, deleted handles and handles of the wrong kind make every
// function do nothing and return 0, FALSE or null. Objects are used on the
// thread that made them; the record pool and the font-name cache are shared
// and guarded.
#pragma once

#include "winl/draw/WINL_MemDC.h"
#include "winl/draw/WINL_Types.h"

#include <cstdint>

class PLAT_Image;
struct HGDIOBJ__;
typedef HGDIOBJ__* HGDIOBJ;
typedef HGDIOBJ HPEN;
typedef HGDIOBJ HBRUSH;
typedef HGDIOBJ HFONT;
typedef HGDIOBJ HBITMAP;
typedef HGDIOBJ HICON;
struct WINL_ImageList;
typedef WINL_ImageList* HIMAGELIST;
typedef uint16_t WORD;

// ---- kinds ----
// Passed to SelectObject in place of an object, these empty the pen, brush or
// font slot; SelectObject also answers them when the slot was empty.
constexpr int WINL_OBJ_PEN = 1;
constexpr int WINL_OBJ_BRUSH = 2;
constexpr int WINL_OBJ_FONT = 3;
constexpr int WINL_OBJ_BITMAP = 4;  // bitmaps and icons

// GetStockObject identifiers.
constexpr int WINL_STOCK_NULL_PEN = 1;
constexpr int WINL_STOCK_NULL_BRUSH = 2;

// ---- text-format flags ----
constexpr int DT_CALCRECT = 0x1;    // measure only: set the rectangle's right and bottom
constexpr int DT_VCENTER = 0x2;     // centre vertically
constexpr int DT_CENTER = 0x4;      // centre horizontally
constexpr int DT_BOTTOM = 0x10;     // align to the bottom
constexpr int DT_RIGHT = 0x20;      // align right
constexpr int DT_SINGLELINE = 0x40; // a line feed counts as a space
constexpr int DT_NOPREFIX = 0x80;   // draw '&' as written
constexpr int DT_NOCLIP = 0x100;    // clip to the context only, not to the rectangle

// Background modes.
constexpr int TRANSPARENT = 0;
constexpr int OPAQUE = 1;  // text lines are drawn on a box of the background colour

// ---- records ----

// Metrics of the selected font, in pixels. tmHeight is the line height.
struct TEXTMETRIC
{
  LONG tmHeight;
  LONG tmAscent;
  LONG tmDescent;
  LONG tmInternalLeading;
  LONG tmExternalLeading;
  LONG tmAveCharWidth;
  LONG tmMaxCharWidth;
};

struct LOGFONT
{
  LONG lfHeight;
  LONG lfWidth;
  LONG lfEscapement;
  LONG lfOrientation;
  LONG lfWeight;
  BYTE lfItalic;
  BYTE lfUnderline;
  BYTE lfStrikeOut;
  BYTE lfCharSet;
  BYTE lfOutPrecision;
  BYTE lfClipPrecision;
  BYTE lfQuality;
  BYTE lfPitchAndFamily;
  char lfFaceName[32];
};

// What GetObject reports of a bitmap: its size; the other fields are 0.
struct BITMAP
{
  LONG bmType;
  LONG bmWidth;
  LONG bmHeight;
  LONG bmWidthBytes;
  WORD bmPlanes;
  WORD bmBitsPixel;
  void* bmBits;
};

struct ICONINFO
{
  BOOL fIcon;
  DWORD xHotspot;
  DWORD yHotspot;
  HBITMAP hbmMask;
  HBITMAP hbmColor;
};

// ---- pens and brushes ----

// A pen of the colour; the style is accepted and every pen is solid. A width
// below 0 counts as 0, which strokes 1 pixel wide.
HPEN CreatePen(int style, int width, int color);
HPEN CreatePenAlpha(int style, int width, int color, float alpha);
HBRUSH CreateSolidBrush(int color);
HBRUSH CreateSolidBrushAlpha(int color, float alpha);
// The null pen or null brush (they draw nothing and are never freed); null
// for other identifiers.
HGDIOBJ GetStockObject(int id);

// ---- fonts ----

// A font of |height| pixels (|width| when height is 0; sizes outside 2..8192
// give 10) of the face, in bold for weight >= 700 and in italics when italic
// is set. The rotation is escapement / 10 degrees. quality 3 draws without
// smoothing, 4 with, others the platform's default. A face the platform does
// not know gives its fallback face. Underline, strike-out, charset, the
// precisions and the pitch are accepted and change nothing. Null only when
// memory runs out.
HFONT CreateFont(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                 DWORD underline, DWORD strikeout, DWORD charset, DWORD outPrecision, DWORD clipPrecision,
                 DWORD quality, DWORD pitchAndFamily, const char* face);
// CreateFont from the record's height, width, escapement, orientation,
// weight, italic flag, quality and face (read up to 32 bytes).
HFONT CreateFontIndirect(const LOGFONT* font);

// ---- objects ----

// Puts a pen, brush or font into its slot of the context and returns the
// object of the same kind that was there, or that kind's WINL_OBJ_ constant
// when the slot was empty. Passing a WINL_OBJ_ constant empties the slot.
// Bitmaps, unknown handles and a null or deleted context give null. A
// context does not hold a reference: an object deleted while selected leaves
// its slot empty.
HGDIOBJ SelectObject(HDC ctx, HGDIOBJ obj);
// Drops one reference; the last frees the object. TRUE when obj was a live
// object.
BOOL DeleteObject(HGDIOBJ obj);
// Adds a reference and returns obj (null for anything else).
HGDIOBJ WINL_CloneGDIObject(HGDIOBJ obj);
// The rotation of a font in degrees; 0 for anything else.
float WINL_GetFontRotation(HFONT font);

// ---- colours of a context ----

void SetTextColor(HDC ctx, int color);
// -1 without a context.
int GetTextColor(HDC ctx);
void SetBkColor(HDC ctx, int color);
// OPAQUE or TRANSPARENT; other values count as TRANSPARENT.
void SetBkMode(HDC ctx, int mode);
// The system colour of index 0..9; 0 for other indexes.
int GetSysColor(int index);

// ---- text ----

// Measures or draws len bytes of UTF-8 text (len < 0: up to the terminator;
// at most 4095 bytes, never cutting a character; a NUL always ends it) in the
// rectangle with the selected font (the label face of 10 pixels when none is
// selected). Carriage returns are dropped; unless DT_NOPREFIX, '&' is dropped
// and the character after it kept as written ("&&" gives "&"); a line feed
// becomes a space with DT_SINGLELINE and starts a new line otherwise. Bytes
// that are not UTF-8 are read as the Latin-1 characters of their values.
// A line is floor(ascent + descent + leading + 1.5) pixels high and
// floor(width + 0.5) wide; the text is as high as its lines together plus 1,
// as wide as its widest line. With DT_CALCRECT the rectangle's right becomes
// left + width and its bottom top + height and nothing is drawn. Otherwise
// the text is aligned in the rectangle (DT_RIGHT, else DT_CENTER; DT_BOTTOM,
// else DT_VCENTER), drawn in the text colour, on the background colour in
// OPAQUE mode, and clipped to the rectangle unless DT_NOCLIP; it never
// reaches outside the context. Returns the height; 0 for an empty text, a
// null or deleted context, or a null text or rectangle.
int WINL_DrawText(HDC ctx, const char* text, int len, RECT* rect, int flags);

// Metrics of the selected font (or of the label face of 10 pixels): ascent,
// descent and internal leading truncated, the height their sum plus 1, the
// average width 2 * (that sum) / 3. Without a context the record holds height
// 16, ascent 12, descent 4, internal leading 3, average width 10 and the
// result is FALSE.
BOOL GetTextMetrics(HDC ctx, TEXTMETRIC* metrics);

// The full name of the selected font's face (or of the label face), cut to
// size - 1 bytes without splitting a character and terminated. Returns the
// length copied; 0 without a context, buffer or size.
int GetTextFace(HDC ctx, int size, char* buffer);

// ---- painting ----

// Fills whole pixels of the rectangle with a brush's colour (not with the
// null brush).
void WINL_FillRect(HDC ctx, const RECT* rect, HBRUSH brush);
// Fills the rectangle with the light grey of the platform's dialogs.
void WINL_FillDialogBackground(HDC ctx, const RECT* rect);

// Shapes are filled with the selected brush and outlined with the selected
// pen (a pen of width 0 strokes 1 pixel wide); an empty slot, the null pen and
// the null brush leave that part out.
BOOL Rectangle(HDC ctx, int left, int top, int right, int bottom);
BOOL Ellipse(HDC ctx, int left, int top, int right, int bottom);
// Corners are quarters of an ellipse of width x height.
BOOL RoundRect(HDC ctx, int left, int top, int right, int bottom, int width, int height);
BOOL WINL_Polygon(HDC ctx, const POINT* points, int count);
// Lines with the selected pen from the current position, which they move.
BOOL MoveToEx(HDC ctx, int x, int y, POINT* previous);
BOOL LineTo(HDC ctx, int x, int y);
// count points, three per cubic segment; a count not a multiple of 3 draws
// nothing.
BOOL PolyBezierTo(HDC ctx, const POINT* points, DWORD count);
// count polylines of counts[i] points each, back to back in points.
BOOL PolyPolyline(HDC ctx, const POINT* points, const DWORD* counts, DWORD count);
// Sets one pixel; returns the colour, or -1 when nothing was drawn.
int SetPixel(HDC ctx, int x, int y, int color);

// ---- bitmaps, icons and image lists ----

// A bitmap of width x height; with data, 32 bits per pixel, rows of width
// pixels whose bytes are (alpha, red, green, blue). Other depths, sizes
// below 1 or above 32767: null. Without data the bitmap is transparent.
HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* data);
// An icon sharing the colour bitmap's image; null without one.
HICON CreateIconIndirect(const ICONINFO* info);
// A PNG image by file path (any name holding '/'), or by name from the
// resources folder ("name", else "name.png"); null when it cannot be loaded.
HBITMAP LoadNamedImage(const char* name);
// Draws a bitmap's or icon's image scaled into the rectangle.
void DrawImageInRect(HDC ctx, HGDIOBJ image, const RECT* rect);
// For a bitmap or icon, fills a BITMAP record (when size allows) and returns
// the bytes written; 0 otherwise.
int GetObject(HGDIOBJ obj, int size, void* out);
// The platform image behind a bitmap or icon, owned by it; null otherwise.
PLAT_Image* GetNSImageFromHICON(HICON icon);

// Copies the source rectangle of a memory or paint context into the
// destination rectangle, scaled to fit. The raster operation is accepted and
// every copy is a plain copy.
BOOL StretchBlt(HDC dest, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh, DWORD rop);
BOOL BitBlt(HDC dest, int x, int y, int w, int h, HDC src, int sx, int sy, DWORD rop);

HIMAGELIST ImageList_CreateEx(int cx, int cy, UINT flags, int initial, int grow);
// Replaces the image at index with the icon's (adds it when index is -1);
// the list holds its own reference. Returns the index, or -1.
int ImageList_ReplaceIcon(HIMAGELIST list, int index, HICON icon);
// Removes the image at index, or all of them for -1.
BOOL ImageList_Remove(HIMAGELIST list, int index);
BOOL ImageList_Destroy(HIMAGELIST list);
// For views that show a list: its images' width, and the icon at index
// (still the list's); 0 and null for a destroyed list or a bad index.
int WINL_ImageListWidth(HIMAGELIST list);
HICON WINL_ImageListIcon(HIMAGELIST list, int index);

// ---- for tests ----
// The number of images in a list; 0 for a null list.
int ImageList_GetImageCount(HIMAGELIST list);
int WINL_GetPooledObjectCount();
// Empties the font-name cache; the number of names it held before.
int WINL_ClearFontNameCache();
