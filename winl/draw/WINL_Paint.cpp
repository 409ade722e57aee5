// Painting with pens and brushes, bitmaps and icons, copies between contexts
// and image lists.

#include "winl/draw/WINL_GDI.h"

#include "platform/PLAT_Resources.h"
#include "winl/draw/WINL_GDIPrivate.h"

#include <cstring>
#include <new>
#include <set>
#include <string>
#include <vector>

// ---- sections ----
// fills · shapes · lines · bitmaps and icons · copies · image lists

namespace
{
// The light grey behind the platform's dialogs.
constexpr int kDialogBackground = 0xECECEC;

bool Drawable(const HGDIOBJ__* obj) { return obj && obj->width >= 0; }

// Fills with the selected brush and outlines with the selected pen.
BOOL DrawShape(HDC ctx, const PLAT_Path& path, bool fill)
{
  BASE_MutexLock lock(WINL_GDILock());
  HDC__* live = WINL_LiveContext(ctx);
  if (!live) return FALSE;
  if (fill && Drawable(live->brush)) live->canvas->FillPath(path, live->brush->color, PLAT_Antialias::On);
  if (Drawable(live->pen))
  {
    const double width = live->pen->width == 0 ? 1.0 : live->pen->width;
    live->canvas->StrokePath(path, width, live->pen->color, PLAT_Antialias::On);
  }
  return TRUE;
}

HGDIOBJ__* NewImageObject(std::shared_ptr<PLAT_Image> image)
{
  if (!image) return nullptr;
  BASE_MutexLock lock(WINL_GDILock());
  HGDIOBJ__* obj = WINL_NewObject(WINL_OBJ_BITMAP);
  if (obj) obj->image = std::move(image);
  return obj;
}
}  // namespace

struct WINL_ImageList
{
  int cx = 0;
  int cy = 0;
  std::vector<HICON> icons;  // each holds a reference
};

namespace
{
// The lists not yet destroyed, so a view that still holds a destroyed list
// finds nothing instead of freed memory. Under the GDI lock.
std::set<const WINL_ImageList*>& LiveImageLists()
{
  static auto* lists = new std::set<const WINL_ImageList*>;
  return *lists;
}
}  // namespace

// ---- fills ----

void WINL_FillRect(HDC ctx, const RECT* rect, HBRUSH brush)
{
  BASE_MutexLock lock(WINL_GDILock());
  HDC__* live = WINL_LiveContext(ctx);
  HGDIOBJ__* b = WINL_LiveObject(brush, WINL_OBJ_BRUSH);
  if (!live || !rect || !Drawable(b)) return;
  live->canvas->FillRect(rect->left, rect->top, static_cast<double>(rect->right) - rect->left,
                         static_cast<double>(rect->bottom) - rect->top, b->color);
}

void WINL_FillDialogBackground(HDC ctx, const RECT* rect)
{
  BASE_MutexLock lock(WINL_GDILock());
  HDC__* live = WINL_LiveContext(ctx);
  if (!live || !rect) return;
  live->canvas->FillRect(rect->left, rect->top, static_cast<double>(rect->right) - rect->left,
                         static_cast<double>(rect->bottom) - rect->top, WINL_ToPlatColor(kDialogBackground, 1.0f));
}

// ---- shapes ----

BOOL Rectangle(HDC ctx, int left, int top, int right, int bottom)
{
  PLAT_Path path;
  path.AddRect(left, top, static_cast<double>(right) - left, static_cast<double>(bottom) - top);
  return DrawShape(ctx, path, true);
}

BOOL Ellipse(HDC ctx, int left, int top, int right, int bottom)
{
  PLAT_Path path;
  path.AddEllipse(left, top, static_cast<double>(right) - left, static_cast<double>(bottom) - top);
  return DrawShape(ctx, path, true);
}

BOOL RoundRect(HDC ctx, int left, int top, int right, int bottom, int width, int height)
{
  PLAT_Path path;
  path.AddRoundRect(left, top, static_cast<double>(right) - left, static_cast<double>(bottom) - top, width, height);
  return DrawShape(ctx, path, true);
}

BOOL WINL_Polygon(HDC ctx, const POINT* points, int count)
{
  if (!points || count < 2) return FALSE;
  PLAT_Path path;
  for (int i = 0; i < count; ++i) path.LineTo(points[i].x, points[i].y);
  path.Close();
  return DrawShape(ctx, path, true);
}

// ---- lines ----

BOOL MoveToEx(HDC ctx, int x, int y, POINT* previous)
{
  BASE_MutexLock lock(WINL_GDILock());
  HDC__* live = WINL_LiveContext(ctx);
  if (!live) return FALSE;
  if (previous)
  {
    previous->x = static_cast<LONG>(live->curX);
    previous->y = static_cast<LONG>(live->curY);
  }
  live->curX = static_cast<float>(x);
  live->curY = static_cast<float>(y);
  return TRUE;
}

BOOL LineTo(HDC ctx, int x, int y)
{
  BASE_MutexLock lock(WINL_GDILock());
  HDC__* live = WINL_LiveContext(ctx);
  if (!live) return FALSE;
  PLAT_Path path;
  path.MoveTo(live->curX, live->curY);
  path.LineTo(x, y);
  live->curX = static_cast<float>(x);
  live->curY = static_cast<float>(y);
  return DrawShape(ctx, path, false);
}

BOOL PolyBezierTo(HDC ctx, const POINT* points, DWORD count)
{
  if (!points || count == 0 || count % 3 != 0) return FALSE;
  BASE_MutexLock lock(WINL_GDILock());
  HDC__* live = WINL_LiveContext(ctx);
  if (!live) return FALSE;
  PLAT_Path path;
  path.MoveTo(live->curX, live->curY);
  for (DWORD i = 0; i < count; i += 3)
    path.CurveTo(points[i].x, points[i].y, points[i + 1].x, points[i + 1].y, points[i + 2].x, points[i + 2].y);
  live->curX = static_cast<float>(points[count - 1].x);
  live->curY = static_cast<float>(points[count - 1].y);
  return DrawShape(ctx, path, false);
}

BOOL PolyPolyline(HDC ctx, const POINT* points, const DWORD* counts, DWORD count)
{
  if (!points || !counts) return FALSE;
  PLAT_Path path;
  size_t at = 0;
  for (DWORD i = 0; i < count; ++i)
  {
    for (DWORD k = 0; k < counts[i]; ++k, ++at)
    {
      if (k == 0)
        path.MoveTo(points[at].x, points[at].y);
      else
        path.LineTo(points[at].x, points[at].y);
    }
  }
  return DrawShape(ctx, path, false);
}

int SetPixel(HDC ctx, int x, int y, int color)
{
  BASE_MutexLock lock(WINL_GDILock());
  HDC__* live = WINL_LiveContext(ctx);
  if (!live || x < 0 || y < 0 || x >= live->canvas->GetWidth() || y >= live->canvas->GetHeight()) return -1;
  live->canvas->FillRect(x, y, 1, 1, WINL_ToPlatColor(color, 1.0f));
  return color & 0xFFFFFF;
}

// ---- bitmaps and icons ----

HBITMAP CreateBitmap(int width, int height, UINT /*planes*/, UINT bitsPerPixel, const void* data)
{
  if (data && bitsPerPixel != 32) return nullptr;
  std::unique_ptr<PLAT_Image> image = data ? PLAT_Image::CreateFromARGB(static_cast<const uint8_t*>(data), width, height)
                                           : PLAT_Image::Create(width, height);
  return NewImageObject(std::move(image));
}

HICON CreateIconIndirect(const ICONINFO* info)
{
  if (!info) return nullptr;
  std::shared_ptr<PLAT_Image> image;
  {
    BASE_MutexLock lock(WINL_GDILock());
    HGDIOBJ__* color = WINL_LiveObject(info->hbmColor, WINL_OBJ_BITMAP);
    if (!color) return nullptr;
    image = color->image;
  }
  return NewImageObject(std::move(image));
}

HBITMAP LoadNamedImage(const char* name)
{
  if (!name || !*name) return nullptr;
  std::string path;
  if (strchr(name, '/'))
    path = name;
  else
  {
    path = PLAT_GetResourcePath(name);
    if (path.empty()) path = PLAT_GetResourcePath((std::string(name) + ".png").c_str());
  }
  if (path.empty()) return nullptr;
  return NewImageObject(PLAT_Image::LoadPNG(path.c_str()));
}

void DrawImageInRect(HDC ctx, HGDIOBJ image, const RECT* rect)
{
  BASE_MutexLock lock(WINL_GDILock());
  HDC__* live = WINL_LiveContext(ctx);
  HGDIOBJ__* obj = WINL_LiveObject(image, WINL_OBJ_BITMAP);
  if (!live || !obj || !obj->image || !rect) return;
  const PLAT_Image& img = *obj->image;
  live->canvas->DrawImage(img, 0, 0, img.GetWidth(), img.GetHeight(), rect->left, rect->top,
                          static_cast<double>(rect->right) - rect->left, static_cast<double>(rect->bottom) - rect->top);
}

int GetObject(HGDIOBJ obj, int size, void* out)
{
  BASE_MutexLock lock(WINL_GDILock());
  HGDIOBJ__* live = WINL_LiveObject(obj, WINL_OBJ_BITMAP);
  if (!live || !live->image || !out || size < static_cast<int>(sizeof(BITMAP))) return 0;
  BITMAP bm{};
  bm.bmWidth = live->image->GetWidth();
  bm.bmHeight = live->image->GetHeight();
  memcpy(out, &bm, sizeof(bm));
  return static_cast<int>(sizeof(bm));
}

PLAT_Image* GetNSImageFromHICON(HICON icon)
{
  BASE_MutexLock lock(WINL_GDILock());
  HGDIOBJ__* live = WINL_LiveObject(icon, WINL_OBJ_BITMAP);
  return live ? live->image.get() : nullptr;
}

// ---- copies ----

BOOL StretchBlt(HDC dest, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh, DWORD /*rop*/)
{
  BASE_MutexLock lock(WINL_GDILock());
  HDC__* to = WINL_LiveContext(dest);
  HDC__* from = WINL_LiveContext(src);
  if (!to || !from || w <= 0 || h <= 0 || sw <= 0 || sh <= 0) return FALSE;
  // Through a copy of the source pixels, so that a context may copy onto
  // itself.
  std::unique_ptr<PLAT_Image> image = from->canvas->CopyImage(sx, sy, sw, sh);
  if (!image) return FALSE;
  // The part of the source rectangle outside the source context is left out
  // of the destination in proportion.
  const double fx = static_cast<double>(w) / sw, fy = static_cast<double>(h) / sh;
  const double cutLeft = sx < 0 ? -static_cast<double>(sx) : 0, cutTop = sy < 0 ? -static_cast<double>(sy) : 0;
  to->canvas->DrawImage(*image, 0, 0, image->GetWidth(), image->GetHeight(), x + cutLeft * fx, y + cutTop * fy,
                        image->GetWidth() * fx, image->GetHeight() * fy);
  return TRUE;
}

BOOL BitBlt(HDC dest, int x, int y, int w, int h, HDC src, int sx, int sy, DWORD rop)
{
  return StretchBlt(dest, x, y, w, h, src, sx, sy, w, h, rop);
}

// ---- image lists ----

HIMAGELIST ImageList_CreateEx(int cx, int cy, UINT /*flags*/, int initial, int /*grow*/)
{
  HIMAGELIST list = new (std::nothrow) WINL_ImageList;
  if (!list) return nullptr;
  list->cx = cx;
  list->cy = cy;
  {
    BASE_MutexLock lock(WINL_GDILock());
    LiveImageLists().insert(list);
  }
  if (initial > 0 && initial < 4096) list->icons.reserve(static_cast<size_t>(initial));
  return list;
}

int ImageList_ReplaceIcon(HIMAGELIST list, int index, HICON icon)
{
  if (!list) return -1;
  HGDIOBJ held = nullptr;
  {
    BASE_MutexLock lock(WINL_GDILock());
    if (!WINL_LiveObject(icon, WINL_OBJ_BITMAP)) return -1;
    held = WINL_CloneGDIObject(icon);
  }
  if (index == -1)
  {
    list->icons.push_back(held);
    return static_cast<int>(list->icons.size()) - 1;
  }
  if (index < 0 || index >= static_cast<int>(list->icons.size()))
  {
    DeleteObject(held);
    return -1;
  }
  DeleteObject(list->icons[static_cast<size_t>(index)]);
  list->icons[static_cast<size_t>(index)] = held;
  return index;
}

BOOL ImageList_Remove(HIMAGELIST list, int index)
{
  if (!list) return FALSE;
  if (index == -1)
  {
    for (HICON icon : list->icons) DeleteObject(icon);
    list->icons.clear();
    return TRUE;
  }
  if (index < 0 || index >= static_cast<int>(list->icons.size())) return FALSE;
  DeleteObject(list->icons[static_cast<size_t>(index)]);
  list->icons.erase(list->icons.begin() + index);
  return TRUE;
}

BOOL ImageList_Destroy(HIMAGELIST list)
{
  if (!list) return FALSE;
  {
    BASE_MutexLock lock(WINL_GDILock());
    if (!LiveImageLists().erase(list)) return FALSE;
  }
  ImageList_Remove(list, -1);
  delete list;
  return TRUE;
}

int ImageList_GetImageCount(HIMAGELIST list)
{
  return list ? static_cast<int>(list->icons.size()) : 0;
}

int WINL_ImageListWidth(HIMAGELIST list)
{
  BASE_MutexLock lock(WINL_GDILock());
  return LiveImageLists().count(list) ? list->cx : 0;
}

HICON WINL_ImageListIcon(HIMAGELIST list, int index)
{
  BASE_MutexLock lock(WINL_GDILock());
  if (!LiveImageLists().count(list) || index < 0 || index >= static_cast<int>(list->icons.size())) return nullptr;
  return list->icons[static_cast<size_t>(index)];
}
