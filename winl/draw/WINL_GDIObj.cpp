// Pens, brushes, fonts and bitmaps: their records and pool, selection into
// contexts, the context colours, the system colours and the font-name cache.

#include "winl/draw/WINL_GDI.h"

#include "core/BASE_StringKeyedArray.h"
#include "winl/draw/WINL_GDIPrivate.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

// ---- sections ----
// record pool · stock objects · pens and brushes · fonts · selection ·
// colours

namespace
{
constexpr int kMaxPooledObjects = 200;
// Handles 1..4 are kind constants, never records.
constexpr uintptr_t kFirstRealHandle = 5;

// ---- record pool ----

using ObjectPool = WINL_RecordPool<HGDIOBJ__, kMaxPooledObjects>;

ObjectPool& Pool() { return ObjectPool::Get(); }

// ---- stock objects ----

HGDIOBJ__ MakeStock(int type)
{
  HGDIOBJ__ obj;
  obj.type = type;
  obj.width = -1;
  return obj;
}

HGDIOBJ__ gNullPen = MakeStock(WINL_OBJ_PEN);
HGDIOBJ__ gNullBrush = MakeStock(WINL_OBJ_BRUSH);

bool IsStock(const HGDIOBJ__* obj) { return obj == &gNullPen || obj == &gNullBrush; }
}  // namespace

HGDIOBJ__* WINL_NewObject(int type)
{
  BASE_MutexLock lock(WINL_GDILock());
  HGDIOBJ__* obj = Pool().Take();
  if (!obj) return nullptr;
  obj->type = type;
  return obj;
}

namespace
{
void ReleaseObject(HGDIOBJ__* obj)
{
  WINL_ForgetSelected(obj);
  Pool().Give(obj);
}

float ClampAlpha(float alpha)
{
  if (!(alpha >= 0)) return 0;  // NaN too
  return alpha > 1 ? 1 : alpha;
}

HGDIOBJ__* NewColored(int type, int color, float alpha, int width)
{
  HGDIOBJ__* obj = WINL_NewObject(type);
  if (!obj) return nullptr;
  obj->color = WINL_ToPlatColor(color, ClampAlpha(alpha));
  obj->width = width;
  return obj;
}

// ---- fonts ----

// Requested face names to the names the text engine resolved them to.
struct FontNameCache
{
  BASE_Mutex lock;
  BASE_StringKeyedArray<char*> names{true, [](char* value) { free(value); }};
};

FontNameCache& Names()
{
  static FontNameCache* cache = new FontNameCache;  // lives for the process
  return *cache;
}

// The engine's name for a requested face, asked once per name.
std::string ResolveName(PLAT_TextEngine* engine, const std::string& requested)
{
  FontNameCache& cache = Names();
  BASE_MutexLock lock(cache.lock);
  if (const char* known = cache.names.Get(requested.c_str())) return known;
  std::string resolved;
  if (!engine->ResolveFaceName(requested.c_str(), &resolved) || resolved.empty()) resolved = requested;
  char* copy = strdup(resolved.c_str());
  if (copy && cache.names.Insert(requested.c_str(), copy) < 0) free(copy);
  return resolved;
}

int FontSize(int height, int width)
{
  // In 64 bits: the magnitude of INT_MIN does not fit an int.
  const int64_t size = std::llabs(static_cast<int64_t>(height != 0 ? height : width));
  return size > 8192 || size < 2 ? 10 : static_cast<int>(size);
}

// ---- selection ----

HGDIOBJ__** Slot(HDC__* ctx, int type)
{
  switch (type)
  {
    case WINL_OBJ_PEN: return &ctx->pen;
    case WINL_OBJ_BRUSH: return &ctx->brush;
    case WINL_OBJ_FONT: return &ctx->font;
    default: return nullptr;
  }
}

HGDIOBJ KindConstant(int type) { return reinterpret_cast<HGDIOBJ>(static_cast<uintptr_t>(type)); }
}  // namespace

// ---- shared helpers ----

HGDIOBJ__* WINL_LiveObject(HGDIOBJ obj, int type)
{
  if (reinterpret_cast<uintptr_t>(obj) < kFirstRealHandle) return nullptr;
  if (IsStock(obj)) return type == 0 || obj->type == type ? obj : nullptr;
  if (!Pool().IsLive(obj)) return nullptr;
  return type == 0 || obj->type == type ? obj : nullptr;
}

PLAT_Color WINL_ToPlatColor(int color, float alpha)
{
  PLAT_Color c;
  c.r = ((color >> 16) & 255) / 255.0;
  c.g = ((color >> 8) & 255) / 255.0;
  c.b = (color & 255) / 255.0;
  c.a = alpha;
  return c;
}

const PLAT_Font* WINL_ContextFont(HDC__* ctx)
{
  if (ctx->font && ctx->font->font) return ctx->font->font.get();
  return PLAT_GetTextEngine()->GetDefaultFont();
}

PLAT_Antialias WINL_FontAntialias(const HGDIOBJ__* font)
{
  if (!font) return PLAT_Antialias::Default;
  return font->antialias == 3 ? PLAT_Antialias::Off : font->antialias == 4 ? PLAT_Antialias::On
                                                                           : PLAT_Antialias::Default;
}

// ---- pens and brushes ----

HPEN CreatePen(int style, int width, int color) { return CreatePenAlpha(style, width, color, 1.0f); }

HPEN CreatePenAlpha(int /*style*/, int width, int color, float alpha)
{
  return NewColored(WINL_OBJ_PEN, color, alpha, width < 0 ? 0 : width);
}

HBRUSH CreateSolidBrush(int color) { return CreateSolidBrushAlpha(color, 1.0f); }

HBRUSH CreateSolidBrushAlpha(int color, float alpha) { return NewColored(WINL_OBJ_BRUSH, color, alpha, 0); }

HGDIOBJ GetStockObject(int id)
{
  if (id == WINL_STOCK_NULL_PEN) return &gNullPen;
  if (id == WINL_STOCK_NULL_BRUSH) return &gNullBrush;
  return nullptr;
}

// ---- fonts ----

HFONT CreateFont(int height, int width, int escapement, int /*orientation*/, int weight, DWORD italic,
                 DWORD /*underline*/, DWORD /*strikeout*/, DWORD /*charset*/, DWORD /*outPrecision*/,
                 DWORD /*clipPrecision*/, DWORD quality, DWORD /*pitchAndFamily*/, const char* face)
{
  const int size = FontSize(height, width);
  PLAT_TextEngine* engine = PLAT_GetTextEngine();

  std::unique_ptr<PLAT_Font> font;
  if (face && *face)
  {
    std::string name = face;
    if (weight >= 700) name += " Bold";
    if (italic) name += " Italic";
    const std::string resolved = ResolveName(engine, name);
    font = engine->CreateFont(resolved.c_str(), size);
  }
  if (!font) font = engine->CreateLabelFont(size);
  if (!font) return nullptr;

  HGDIOBJ__* obj = WINL_NewObject(WINL_OBJ_FONT);
  if (!obj) return nullptr;
  obj->font = std::move(font);
  obj->rotation = static_cast<float>(escapement) / 10.0f;
  obj->antialias = quality == 3 ? 3 : quality == 4 ? 4 : 0;
  return obj;
}

HFONT CreateFontIndirect(const LOGFONT* f)
{
  if (!f) return nullptr;
  // The face need not be terminated within its 32 bytes.
  char face[sizeof(f->lfFaceName) + 1];
  memcpy(face, f->lfFaceName, sizeof(f->lfFaceName));
  face[sizeof(f->lfFaceName)] = 0;
  return CreateFont(f->lfHeight, f->lfWidth, f->lfEscapement, f->lfOrientation, f->lfWeight, f->lfItalic, 0, 0, 0,
                    0, 0, f->lfQuality, 0, face);
}

float WINL_GetFontRotation(HFONT font)
{
  BASE_MutexLock lock(WINL_GDILock());
  HGDIOBJ__* live = WINL_LiveObject(font, WINL_OBJ_FONT);
  return live ? live->rotation : 0.0f;
}

int WINL_ClearFontNameCache()
{
  FontNameCache& cache = Names();
  BASE_MutexLock lock(cache.lock);
  const int n = cache.names.GetSize();
  cache.names.DeleteAll();
  return n;
}

// ---- objects ----

HGDIOBJ SelectObject(HDC ctx, HGDIOBJ obj)
{
  BASE_MutexLock lock(WINL_GDILock());
  HDC__* live = WINL_LiveContext(ctx);
  if (!live) return nullptr;

  const uintptr_t value = reinterpret_cast<uintptr_t>(obj);
  if (value >= WINL_OBJ_PEN && value <= WINL_OBJ_FONT)
  {
    const int type = static_cast<int>(value);
    HGDIOBJ__** slot = Slot(live, type);
    HGDIOBJ__* previous = *slot;
    *slot = nullptr;
    return previous ? previous : KindConstant(type);
  }

  HGDIOBJ__* object = WINL_LiveObject(obj, 0);
  if (!object) return nullptr;
  HGDIOBJ__** slot = Slot(live, object->type);
  if (!slot) return nullptr;
  HGDIOBJ__* previous = *slot;
  *slot = object;
  return previous ? previous : KindConstant(object->type);
}

BOOL DeleteObject(HGDIOBJ obj)
{
  BASE_MutexLock lock(WINL_GDILock());
  HGDIOBJ__* live = WINL_LiveObject(obj, 0);
  if (!live || IsStock(live)) return FALSE;
  if (live->extraRefs > 0)
  {
    --live->extraRefs;
    return TRUE;
  }
  ReleaseObject(live);
  return TRUE;
}

HGDIOBJ WINL_CloneGDIObject(HGDIOBJ obj)
{
  BASE_MutexLock lock(WINL_GDILock());
  HGDIOBJ__* live = WINL_LiveObject(obj, 0);
  if (!live) return nullptr;
  if (!IsStock(live)) ++live->extraRefs;
  return live;
}

int WINL_GetPooledObjectCount()
{
  BASE_MutexLock lock(WINL_GDILock());
  return Pool().count;
}

// ---- colours ----

void SetTextColor(HDC ctx, int color)
{
  BASE_MutexLock lock(WINL_GDILock());
  if (HDC__* live = WINL_LiveContext(ctx))
  {
    live->textColor = color & 0xFFFFFF;
    live->textColorSet = true;
  }
}

int WINL_TextColorIfSet(HDC ctx)
{
  BASE_MutexLock lock(WINL_GDILock());
  HDC__* live = WINL_LiveContext(ctx);
  return live && live->textColorSet ? live->textColor : -1;
}

int GetTextColor(HDC ctx)
{
  BASE_MutexLock lock(WINL_GDILock());
  HDC__* live = WINL_LiveContext(ctx);
  return live ? live->textColor : -1;
}

void SetBkColor(HDC ctx, int color)
{
  BASE_MutexLock lock(WINL_GDILock());
  if (HDC__* live = WINL_LiveContext(ctx)) live->bkColor = color & 0xFFFFFF;
}

void SetBkMode(HDC ctx, int mode)
{
  BASE_MutexLock lock(WINL_GDILock());
  if (HDC__* live = WINL_LiveContext(ctx)) live->bkMode = mode == OPAQUE ? OPAQUE : TRANSPARENT;
}

int GetSysColor(int index)
{
  static constexpr int kColors[] = {
      0x606060,  // 0
      0xe0e0e0,  // 1
      0xc0c0c0,  // 2
      0x000000,  // 3
      0xc0c0c0,  // 4
      0x202020,  // 5
      0x303030,  // 6
      0xc0c0c0,  // 7
      0xfff0c8,  // 8
      0x000000,  // 9
  };
  return index >= 0 && index < static_cast<int>(sizeof(kColors) / sizeof(kColors[0])) ? kColors[index] : 0;
}
