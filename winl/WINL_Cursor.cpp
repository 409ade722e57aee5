#include "winl/WINL_Cursor.h"

#include "platform/PLAT_Resources.h"
#include "platform/gtk/PLAT_GtkCursor.h"
#include "winl/WINL_WndPrivate.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

// ---- sections ----
// cursor records · built-in bitmaps · cursor files · position and hiding ·
// loading and setting

struct HCURSOR__
{
  int shape = -1;  // a PLAT_CursorShape, or -1 for a cursor made from pixels
  WINL_CursorImage image;
  PLAT_Cursor* native = nullptr;  // made when the cursor is first shown
};

namespace
{
// ---- cursor records ----

std::vector<std::unique_ptr<HCURSOR__>>& AllCursors()
{
  static auto* all = new std::vector<std::unique_ptr<HCURSOR__>>;
  return *all;
}

HCURSOR Keep(std::unique_ptr<HCURSOR__> c)
{
  AllCursors().push_back(std::move(c));
  return AllCursors().back().get();
}

bool IsCursor(HCURSOR c)
{
  if (!c) return false;
  for (const auto& kept : AllCursors())
    if (kept.get() == c) return true;
  return false;
}

HCURSOR Shape(PLAT_CursorShape shape)
{
  static HCURSOR kept[6] = {};
  HCURSOR& c = kept[static_cast<int>(shape)];
  if (!c)
  {
    auto made = std::make_unique<HCURSOR__>();
    made->shape = static_cast<int>(shape);
    c = Keep(std::move(made));
  }
  return c;
}

PLAT_Cursor* NativeOf(HCURSOR c)
{
  if (!c) return nullptr;
  if (c->shape >= 0) return PLAT_CursorNamed(static_cast<PLAT_CursorShape>(c->shape));
  if (!c->native)
    c->native = PLAT_CursorFromPixels(c->image.argb.data(), c->image.width, c->image.height, c->image.hotX,
                                      c->image.hotY);
  return c->native;
}

HCURSOR gCurrent = nullptr;  // null until a cursor is set: the arrow
HCURSOR gLastSet = nullptr;

// ---- built-in bitmaps ----

// '#' black, 'o' white, '.' clear; converted to the grey-and-opacity bytes.
constexpr const char* kDiagonalArt[16] = {
    "#######.........", "#ooooo#.........", "#oooo#..........", "#ooo#...........",
    "#oo#o#..........", "#o#.#o#.........", "##...#o#........", "......#o#.......",
    ".......#o#......", "........#o#...##", ".........#o#.#o#", "..........#o#oo#",
    "...........#ooo#", "..........#oooo#", ".........#ooooo#", ".........#######",
};
constexpr const char* kMoveArt[16] = {
    "................", "........#.......", ".......#o#......", "......#ooo#.....",
    ".....###o###....", "....#..#o#..#...", "...##..#o#..##..", "..#o####o####o#.",
    ".#ooooooooooooo#", "..#o####o####o#.", "...##..#o#..##..", "....#..#o#..#...",
    ".....###o###....", "......#ooo#.....", ".......#o#......", "........#.......",
};

constexpr bool RowsAre16(const char* const* art)
{
  for (int y = 0; y < 16; ++y)
  {
    int n = 0;
    while (art[y][n]) ++n;
    if (n != 16) return false;
  }
  return true;
}
static_assert(RowsAre16(kDiagonalArt) && RowsAre16(kMoveArt), "built-in cursors are 16 x 16");

std::vector<uint8_t> BitmapOf(const char* const* art, bool mirror)
{
  std::vector<uint8_t> bytes(256);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x)
    {
      const char ch = art[y][mirror ? 15 - x : x];
      bytes[y * 16 + x] = ch == '#' ? 0x0F : ch == 'o' ? 0xFF : 0x00;
    }
  return bytes;
}

HCURSOR BuiltIn(int id)
{
  static HCURSOR diagonal = nullptr, mirrored = nullptr, move = nullptr;
  HCURSOR& c = id == IDC_SIZENWSE ? diagonal : id == IDC_SIZENESW ? mirrored : move;
  if (!c)
    c = WINL_MakeCursorFromData(
        BitmapOf(id == IDC_SIZEALL ? kMoveArt : kDiagonalArt, id == IDC_SIZENESW).data());
  return c;
}

// ---- cursor files ----

unsigned U16(const uint8_t* p) { return p[0] | p[1] << 8; }
uint32_t U32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24; }

constexpr int kMaxCursorSide = 256;

// A bitmap image of a cursor file: the header, the palette, the colour rows
// and the transparency mask, rows bottom first.
bool DecodeBitmap(const uint8_t* d, size_t n, WINL_CursorImage* out)
{
  if (n < 40) return false;
  const uint32_t headerSize = U32(d);
  const int32_t width = static_cast<int32_t>(U32(d + 4));
  const int32_t doubleHeight = static_cast<int32_t>(U32(d + 8));
  const unsigned bpp = U16(d + 14);
  const uint32_t compression = U32(d + 16);
  const uint32_t colorsUsed = U32(d + 32);
  if (headerSize < 40 || headerSize > n || compression != 0) return false;
  if (width < 1 || width > kMaxCursorSide || doubleHeight < 2 || doubleHeight > 2 * kMaxCursorSide ||
      doubleHeight % 2)
    return false;
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24 && bpp != 32) return false;
  const int height = doubleHeight / 2;
  const size_t paletteMax = bpp <= 8 ? size_t{1} << bpp : 0;
  const size_t colors = bpp <= 8 ? (colorsUsed ? colorsUsed : paletteMax) : 0;
  if (colors > paletteMax) return false;
  const size_t colorStride = (static_cast<size_t>(width) * bpp + 31) / 32 * 4;
  const size_t maskStride = (static_cast<size_t>(width) + 31) / 32 * 4;
  const size_t colorAt = headerSize + colors * 4;
  const size_t maskAt = colorAt + colorStride * height;
  if (maskAt + maskStride * height > n) return false;

  WINL_CursorImage img;
  img.width = width;
  img.height = height;
  img.argb.resize(static_cast<size_t>(width) * height);
  bool anyAlpha = false;
  for (int y = 0; y < height; ++y)
  {
    const uint8_t* row = d + colorAt + colorStride * (height - 1 - y);
    for (int x = 0; x < width; ++x)
    {
      uint32_t p;
      if (bpp == 32)
      {
        const uint8_t* q = row + x * 4;
        p = static_cast<uint32_t>(q[3]) << 24 | q[2] << 16 | q[1] << 8 | q[0];
        anyAlpha = anyAlpha || q[3];
      }
      else if (bpp == 24)
      {
        const uint8_t* q = row + x * 3;
        p = 0xFF000000u | q[2] << 16 | q[1] << 8 | q[0];
      }
      else
      {
        const size_t bit = static_cast<size_t>(x) * bpp;
        const unsigned index = (row[bit / 8] >> (8 - bpp - bit % 8)) & ((1u << bpp) - 1);
        if (index >= colors) return false;
        const uint8_t* q = d + headerSize + index * 4;
        p = 0xFF000000u | q[2] << 16 | q[1] << 8 | q[0];
      }
      img.argb[static_cast<size_t>(y) * width + x] = p;
    }
  }
  // Pixels of their own opacity need no mask; the others are clear where
  // the mask is set.
  if (bpp != 32 || !anyAlpha)
    for (int y = 0; y < height; ++y)
    {
      const uint8_t* row = d + maskAt + maskStride * (height - 1 - y);
      for (int x = 0; x < width; ++x)
      {
        uint32_t& p = img.argb[static_cast<size_t>(y) * width + x];
        p = (row[x / 8] >> (7 - x % 8)) & 1 ? 0 : (p | 0xFF000000u);
      }
    }
  *out = std::move(img);
  return true;
}

// The PNG's first chunk must be its 13-byte image header, whose width and
// height (big-endian, after the signature, length and type) fit a cursor.
bool PngHeaderFits(const uint8_t* png, size_t n)
{
  if (n < 8 + 8 + 13) return false;
  const auto be32 = [](const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 | p[2] << 8 | p[3];
  };
  if (be32(png + 8) != 13 || std::memcmp(png + 12, "IHDR", 4) != 0) return false;
  const uint32_t width = be32(png + 16), height = be32(png + 20);
  return width >= 1 && height >= 1 && width <= kMaxCursorSide && height <= kMaxCursorSide;
}

bool ReadFile(const std::string& path, std::vector<uint8_t>* bytes)
{
  constexpr long kMaxFile = 4 << 20;
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  bool ok = std::fseek(f, 0, SEEK_END) == 0;
  const long size = ok ? std::ftell(f) : -1;
  ok = size > 0 && size <= kMaxFile && std::fseek(f, 0, SEEK_SET) == 0;
  if (ok)
  {
    bytes->resize(static_cast<size_t>(size));
    ok = std::fread(bytes->data(), 1, bytes->size(), f) == bytes->size();
  }
  std::fclose(f);
  return ok;
}

HCURSOR FromImage(WINL_CursorImage image)
{
  auto c = std::make_unique<HCURSOR__>();
  c->image = std::move(image);
  return Keep(std::move(c));
}

struct CursorResource
{
  int id;
  std::string fileName;
  HCURSOR cached;
};

std::vector<CursorResource>& Resources()
{
  static auto* list = new std::vector<CursorResource>;
  return *list;
}

// ---- position and hiding ----

int gShowCount = 0;
bool gHidden = false;
POINT gKept{0, 0};
POINT gAnchor{0, 0};  // where the pointer was hidden, top-down
}  // namespace

bool WINL_DecodeCursorFile(const uint8_t* data, size_t size, WINL_CursorImage* out)
{
  if (!data || size < 6 + 16 || U16(data) != 0 || U16(data + 2) != 2 || U16(data + 4) < 1) return false;
  const uint8_t* entry = data + 6;
  const unsigned hotX = U16(entry + 4);
  const unsigned hotY = U16(entry + 6);
  const size_t length = U32(entry + 8);
  const size_t offset = U32(entry + 12);
  if (offset > size || length > size - offset || length < 8) return false;
  const uint8_t* image = data + offset;
  static const uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  WINL_CursorImage img;
  if (std::memcmp(image, kPngSignature, 8) == 0)
  {
    // The size is checked in the image header before anything is decoded:
    // a small file can announce a picture of gigabytes.
    if (!PngHeaderFits(image, length)) return false;
    if (!PLAT_DecodePNG(image, length, &img.argb, &img.width, &img.height) || img.width > kMaxCursorSide ||
        img.height > kMaxCursorSide)
      return false;
  }
  else if (!DecodeBitmap(image, length, &img))
    return false;
  if (hotX >= static_cast<unsigned>(img.width) || hotY >= static_cast<unsigned>(img.height)) return false;
  img.hotX = static_cast<int>(hotX);
  img.hotY = static_cast<int>(hotY);
  *out = std::move(img);
  return true;
}

bool WINL_GetCursorImage(HCURSOR cursor, WINL_CursorImage* out)
{
  if (!IsCursor(cursor) || cursor->shape >= 0 || !out) return false;
  *out = cursor->image;
  return true;
}

BOOL GetCursorPos(POINT* point)
{
  if (!point) return FALSE;
  int x, y;
  if (gHidden)
    *point = gKept;
  else if (PLAT_PointerGet(&x, &y))
    *point = {WINL_ScreenXUp(x), WINL_ScreenYUp(y)};
  else
    *point = WINL_LastEventPos();
  return TRUE;
}

DWORD GetMessagePos()
{
  POINT p;
  GetCursorPos(&p);
  return static_cast<DWORD>(WINL_PackPoint(p.x, p.y));
}

bool WINL_SetCursorPos(int x, int y)
{
  if (gHidden)
  {
    gKept = {x, y};
    return true;
  }
  return PLAT_PointerWarp(WINL_ScreenXDown(x), WINL_ScreenYDown(y));
}

int WINL_ShowCursor(bool show)
{
  gShowCount += show ? 1 : -1;
  if (!show && gShowCount == -1 && !gHidden)
  {
    GetCursorPos(&gKept);
    gAnchor = {WINL_ScreenXDown(gKept.x), WINL_ScreenYDown(gKept.y)};
    gHidden = true;
    PLAT_CursorSetHidden(true);
  }
  else if (show && gShowCount == 0 && gHidden)
  {
    gHidden = false;
    PLAT_CursorSetHidden(false);
    PLAT_PointerWarp(WINL_ScreenXDown(gKept.x), WINL_ScreenYDown(gKept.y));
  }
  return gShowCount;
}

bool WINL_IsCursorVisible() { return !gHidden; }

bool WINL_HiddenCursorMove(double* x, double* y)
{
  if (!gHidden) return false;
  const int dx = static_cast<int>(std::floor(*x)) - gAnchor.x;
  const int dy = static_cast<int>(std::floor(*y)) - gAnchor.y;
  if (dx || dy)
  {
    gKept.x += dx;
    gKept.y -= dy;
    PLAT_PointerWarp(gAnchor.x, gAnchor.y);
  }
  *x = WINL_ScreenXDown(gKept.x);
  *y = WINL_ScreenYDown(gKept.y);
  return true;
}

void WINL_RestoreCursor()
{
  if (!gHidden) return;
  gShowCount = -1;
  WINL_ShowCursor(true);
}

// ---- loading and setting ----

HCURSOR WINL_MakeCursorFromData(const uint8_t* bitmap)
{
  if (!bitmap) return nullptr;
  WINL_CursorImage img;
  img.width = img.height = 16;
  img.hotX = img.hotY = 8;
  img.argb.resize(256);
  for (int i = 0; i < 256; ++i)
  {
    const uint32_t grey = (bitmap[i] >> 4) * 0x11u;
    const uint32_t alpha = (bitmap[i] & 15) * 0x11u;
    img.argb[i] = alpha << 24 | grey << 16 | grey << 8 | grey;
  }
  return FromImage(std::move(img));
}

HCURSOR WINL_LoadCursorFromFile(const char* name)
{
  if (!name || !*name) return nullptr;
  std::string path = name;
  const size_t length = path.size();
  if (!std::strchr(name, '/') && length <= 1023)
  {
    const std::string inResources = PLAT_GetResourcePath((path + ".cur").c_str());
    if (!inResources.empty()) path = inResources;
  }
  std::vector<uint8_t> bytes;
  if (!ReadFile(path, &bytes)) return nullptr;
  WINL_CursorImage img;
  const bool isCur = path.size() >= 4 && path.compare(path.size() - 4, 4, ".cur") == 0;
  if (isCur ? !WINL_DecodeCursorFile(bytes.data(), bytes.size(), &img)
            : !PLAT_DecodePNG(bytes.data(), bytes.size(), &img.argb, &img.width, &img.height))
  {
    std::fprintf(stderr, "ZephraEditor: cursor %s could not be read\n", path.c_str());
    return nullptr;
  }
  return FromImage(std::move(img));
}

void WINL_RegisterCursorResource(int id, const char* fileName)
{
  if (fileName) Resources().push_back({id, fileName, nullptr});
}

HCURSOR WINL_LoadCursor(int id)
{
  switch (id)
  {
    case IDC_ARROW: return Shape(PLAT_CursorShape::Arrow);
    case IDC_IBEAM: return Shape(PLAT_CursorShape::IBeam);
    case IDC_UPARROW: return Shape(PLAT_CursorShape::ResizeUp);
    case IDC_SIZEWE: return Shape(PLAT_CursorShape::ResizeLeftRight);
    case IDC_SIZENS: return Shape(PLAT_CursorShape::ResizeUpDown);
    case IDC_HAND: return Shape(PLAT_CursorShape::OpenHand);
    case IDC_SIZENWSE:
    case IDC_SIZENESW:
    case IDC_SIZEALL: return BuiltIn(id);
    case IDC_NO: return nullptr;
    default: break;
  }
  for (CursorResource& r : Resources())
    if (r.id == id)
    {
      if (!r.cached) r.cached = WINL_LoadCursorFromFile(r.fileName.c_str());
      return r.cached;
    }
  return nullptr;
}

void WINL_SetCursor(HCURSOR cursor)
{
  if (!IsCursor(cursor)) cursor = nullptr;
  gLastSet = cursor;
  gCurrent = cursor ? cursor : WINL_LoadCursor(IDC_ARROW);
  PLAT_CursorSet(cursor ? NativeOf(cursor) : nullptr);
}

HCURSOR WINL_GetCursor() { return gCurrent ? gCurrent : WINL_LoadCursor(IDC_ARROW); }

HCURSOR WINL_GetLastSetCursor() { return gLastSet; }

void WINL_SetArrowUnlessCurrent()
{
  HCURSOR arrow = WINL_LoadCursor(IDC_ARROW);
  if (WINL_GetCursor() == arrow) return;
  gCurrent = arrow;
  PLAT_CursorSet(nullptr);
}

void WINL_ReapplyLastSetCursor()
{
  if (gLastSet && gLastSet != gCurrent) WINL_SetCursor(gLastSet);
}
