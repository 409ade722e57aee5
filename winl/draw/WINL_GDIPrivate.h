// Internal to the window layer's drawing: the context and object records, the
// shared lock and the register of records that exist, which is how a deleted
// or foreign handle is told from a live one.
#pragma once

#include "core/BASE_Mutex.h"
#include "platform/PLAT_Canvas.h"
#include "platform/PLAT_Image.h"
#include "platform/PLAT_Text.h"
#include "winl/draw/WINL_GDI.h"
#include "winl/draw/WINL_MemDC.h"

#include <memory>
#include <new>
#include <unordered_set>

struct HGDIOBJ__
{
  int type = 0;        // WINL_OBJ_PEN .. WINL_OBJ_BITMAP
  int extraRefs = 0;   // references beyond the creator's
  PLAT_Color color;    // pens and brushes
  int width = 0;       // pens; -1 marks the stock null pen and null brush
  std::shared_ptr<PLAT_Image> image;  // bitmaps and icons (an icon shares its bitmap's)
  float rotation = 0;  // fonts: degrees
  bool pooled = false;
  HGDIOBJ__* next = nullptr;
  std::unique_ptr<PLAT_Font> font;
  int antialias = 0;   // fonts: 0 default, 3 off, 4 on
};

struct HDC__
{
  PLAT_Canvas* canvas = nullptr;
  std::unique_ptr<PLAT_Canvas> ownCanvas;      // memory contexts
  std::unique_ptr<unsigned char[]> block;      // memory contexts: pixels + 63
  void* frame = nullptr;                       // the 64-aligned pixels
  HGDIOBJ__* pen = nullptr;
  HGDIOBJ__* brush = nullptr;
  HGDIOBJ__* font = nullptr;
  int textColor = 0;
  bool textColorSet = false;                   // SetTextColor was called on it
  int bkColor = 0xFFFFFF;
  int bkMode = TRANSPARENT;
  float curX = 0;
  float curY = 0;
  // Clip pushes still open, so that deleting the context can undo them on a
  // canvas the view owns.
  int clipDepth = 0;
  bool pooled = false;
  HDC__* next = nullptr;
};

// Records of one kind (contexts or objects): cleared ones kept for reuse, at
// most MaxPooled of them, and the register of every record that exists, live
// or pooled, by which a handle is told to be live. Record has the members
// `pooled` and `next`. Used under WINL_GDILock().
template <class Record, int MaxPooled>
struct WINL_RecordPool
{
  Record* free = nullptr;
  int count = 0;
  std::unordered_set<const Record*> known;

  // The one pool of this kind, which lives for the process.
  static WINL_RecordPool& Get()
  {
    static WINL_RecordPool* pool = new WINL_RecordPool;
    return *pool;
  }

  // A cleared record: from the pool when one waits there; null when memory
  // runs out.
  Record* Take()
  {
    if (Record* r = free)
    {
      free = r->next;
      --count;
      *r = Record{};
      return r;
    }
    Record* r = new (std::nothrow) Record;
    if (r) known.insert(r);
    return r;
  }

  // Clears the record and keeps it, or frees it when the pool is full.
  void Give(Record* r)
  {
    *r = Record{};
    if (count < MaxPooled)
    {
      r->pooled = true;
      r->next = free;
      free = r;
      ++count;
      return;
    }
    known.erase(r);
    delete r;
  }

  // Whether r is a record that exists and is not pooled.
  bool IsLive(const Record* r) const { return known.find(r) != known.end() && !r->pooled; }
};

// The recursive lock of both record pools and the register; every function of
// the drawing layer holds it for its whole call.
BASE_Mutex& WINL_GDILock();

// The context, when ctx is a live one (known, not pooled); else null.
HDC__* WINL_LiveContext(HDC ctx);
// The object, when obj is a live object of that type (0: any type), the stock
// objects included; else null.
HGDIOBJ__* WINL_LiveObject(HGDIOBJ obj, int type);

// A cleared object record of the type, from the pool when one waits there;
// null when memory runs out.
HGDIOBJ__* WINL_NewObject(int type);

// Empties every context slot that holds obj, which is going away.
void WINL_ForgetSelected(HGDIOBJ__* obj);

// The selected font's platform font, or the engine's default label font.
const PLAT_Font* WINL_ContextFont(HDC__* ctx);
// The font's smoothing as the platform names it.
PLAT_Antialias WINL_FontAntialias(const HGDIOBJ__* font);

// 0xRRGGBB and an alpha as a platform colour.
PLAT_Color WINL_ToPlatColor(int color, float alpha);

// The text colour set on ctx with SetTextColor, or -1 when none was set (or
// ctx is not a live context): how a dialog procedure's answer to a control
// colour message is read.
int WINL_TextColorIfSet(HDC ctx);
