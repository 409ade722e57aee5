// IGraphics: the process-wide bitmap and font caches, loading artwork,
// resampling it to the GUI scale and the background control.
//
// Three lists live for the whole process, each behind its own recursive
// mutex: the bitmap cache (pixels by resource id, owned), the scaled list
// (every IBitmap record handed out, with the id and name it came from, so
// RescaleBitmaps can make each anew) and the font cache. Records handed
// out stay valid until the process ends (or a test clears the caches).
#include "graphics/IGraphics.h"

#include "core/BASE_Mutex.h"
#include "graphics/IGraphicsArtworkClock.h"
#include "graphics/IGraphicsEarlyArt.h"
#include "graphics/IGraphicsView.h"
#include "graphics/controls/IBitmapControl.h"
#include "graphics/controls/IKnobControl.h"
#include "raster/RAST_Bitmap.h"
#include "raster/RAST_Blit.h"
#include "raster/RAST_CachedFont.h"
#include "raster/RAST_IndexedImage.h"
#include "raster/RAST_Rect.h"
#include "raster/RAST_ScaledBlit.h"

#include <malloc.h>
#include <syslog.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <system_error>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

namespace
{
struct CachedBitmap
{
  int id;
  std::unique_ptr<RAST_IBitmap> pixels;
  // Until the first rescale an id holds a 1 x 1 placeholder; a second load
  // of the id must still report the artwork's size, not its placeholder's.
  bool placeholder;
  int logicalW, logicalH;
  // What the first rescale resamples: the decode of the load, or the file
  // of the resources folder (empty when none) whose size alone the load
  // read. Decoding is most of a start's work; deferred, the files are
  // decoded side by side and never all held at once.
  std::unique_ptr<RAST_IBitmap> source;
  std::string deferred;
  // The decoded file as colour indices after the first rescale, when it has
  // at most 256 colours (the artwork's palette images): later rescales
  // expand it instead of decoding the file again, which took half of a
  // rescale, for a quarter of the decoded size (some 30 MB for the classic
  // skin). Files of more colours are read again.
  RAST_IndexedImage kept;
  // The scale the pixels are at (0 before the first rescale), and the
  // pixels of the scale before it: a change back to that scale (150 % and
  // back to 100 %) trades them in instead of expanding or decoding and
  // resampling the artwork again. One scale back is kept, no more.
  double scale = 0;
  double previousScale = 0;
  std::unique_ptr<RAST_MemBitmap> previous;
  // Artwork never made whose controls were all hidden at a rescale (closed
  // panels: effects, lists, the manager) waits, with no pixels, for its
  // first draw at this scale: a start reads and holds only what it shows.
  bool waiting = false;
  double waitingScale = 0;
  int waitingDivisor = 1;  // of the surface whose rescale left it waiting
  // The part of the artwork the pixels (and the pixels of the scale
  // before) hold when its margins of 0 were cut off; wholeW is 0 when they
  // hold it all. Pixels held as colour indices are in indexed, the pixels
  // themselves then empty. It goes with the pixels wherever they are traded.
  struct Crop
  {
    int x = 0, y = 0, wholeW = 0, wholeH = 0;
    std::shared_ptr<const RAST_IndexedImage> indexed;
  };
  Crop crop = {}, previousCrop = {};
};

struct ScaledEntry
{
  int id;
  std::string name;
  std::unique_ptr<IBitmap> bitmap;
};

struct CachedFont
{
  int size, orientation, style;
  char face[36];
  std::unique_ptr<RAST_IFont> font;
};

struct Caches
{
  BASE_Mutex bitmapLock;
  std::vector<CachedBitmap> bitmaps;
  BASE_Mutex scaledLock;
  std::vector<ScaledEntry> scaled;
  double artworkScale = 0;  // of the last rescale; 0 before the first
  BASE_Mutex fontLock;
  std::vector<CachedFont> fonts;
};

Caches& TheCaches()
{
  static Caches caches;
  return caches;
}

CachedBitmap* FindBitmap(Caches& c, int id)
{
  for (CachedBitmap& entry : c.bitmaps)
    if (entry.id == id) return &entry;
  return nullptr;
}

IBitmap* AddRecord(Caches& c, int id, const char* name, const IBitmap& record)
{
  auto owned = std::make_unique<IBitmap>(record);
  IBitmap* out = owned.get();
  BASE_MutexLock lock(c.scaledLock);
  c.scaled.push_back(ScaledEntry{id, name ? name : "", std::move(owned)});
  return out;
}

bool HasPixels(RAST_IBitmap* bitmap)
{
  return bitmap && bitmap->getBits() && bitmap->getWidth() > 0 && bitmap->getHeight() > 0;
}

// Marks the record with the part of the artwork its id's pixels hold; a
// cropped record keeps the whole artwork's size.
void ShowCrop(const CachedBitmap& cached, IBitmap* record)
{
  record->mCropped = cached.crop.wholeW > 0;
  record->mDataX = cached.crop.x;
  record->mDataY = cached.crop.y;
  record->mIndexed = cached.crop.indexed.get();
  if (record->mCropped)
  {
    record->W = cached.crop.wholeW;
    record->H = cached.crop.wholeH;
  }
  else if (record->mIndexed)
  {
    record->W = record->mIndexed->Width();
    record->H = record->mIndexed->Height();
  }
}

// A record sharing the pixels of the first of its layout takes its size
// and crop.
void TakeSize(IBitmap* record, const IBitmap& first)
{
  record->W = first.W;
  record->H = first.H;
  record->mCropped = first.mCropped;
  record->mDataX = first.mDataX;
  record->mDataY = first.mDataY;
  record->mIndexed = first.mIndexed;
}

// Cuts the margins of 0 off a single-frame artwork whose other pixels fill
// at most three quarters of it (the effect plates are mostly transparent):
// at a GUI scale of 2.0 the chorus plate alone held some 11 MB of them.
// Pixels all 0 stay whole, so that no artwork made becomes 0 wide, the
// mark of artwork waiting for its first draw.
void CropToContent(CachedBitmap& cached, IBitmap* record)
{
  cached.crop = {};
  auto* pixels = dynamic_cast<RAST_MemBitmap*>(record->mData);
  if (record->N >= 2 || !pixels || !HasPixels(pixels)) return;
  const int w = pixels->getWidth(), h = pixels->getHeight(), span = pixels->getRowSpan();
  const RAST_pixel* bits = pixels->getBits();
  int left = w, right = -1, top = h, bottom = -1;
  for (int y = 0; y < h; ++y)
  {
    const RAST_pixel* row = bits + static_cast<ptrdiff_t>(y) * span;
    int x = 0;
    while (x < w && row[x] == 0) ++x;
    if (x == w) continue;
    int last = w - 1;
    while (row[last] == 0) --last;
    left = std::min(left, x);
    right = std::max(right, last);
    if (top == h) top = y;
    bottom = y;
  }
  if (right < 0) return;
  const int64_t partW = right - left + 1, partH = bottom - top + 1;
  if (partW * partH * 4 > static_cast<int64_t>(w) * h * 3) return;
  RAST_MemBitmap part(static_cast<int>(partW), static_cast<int>(partH), 4);
  if (!HasPixels(&part)) return;  // short of memory: the whole pixels serve
  RAST_Blit(&part, pixels, 0, 0, left, top, static_cast<int>(partW), static_cast<int>(partH), 1.0f,
            RAST_BLIT_MODE_COPY);
  pixels->swapContents(part);
  cached.crop = {left, top, w, h, nullptr};
}

// Artwork of fewer pixels is drawn straight from them: expanding indices
// on each draw costs more than their few bytes save.
constexpr int64_t kLeastIndexedPixels = 1 << 20;

// Holds the pixels of large single-frame artwork as colour indices when
// they have at most 256 colours: at a GUI scale of 2.0 the background's
// 14 MB of pixels are some 200 kB of indices, which the draws expand a band
// at a time. Other artwork keeps its pixels.
void HoldAsIndices(CachedBitmap& cached, IBitmap* record)
{
  auto* pixels = dynamic_cast<RAST_MemBitmap*>(record->mData);
  if (record->N >= 2 || !pixels || !HasPixels(pixels) ||
      static_cast<int64_t>(pixels->getWidth()) * pixels->getHeight() < kLeastIndexedPixels)
    return;
  std::shared_ptr<RAST_IndexedImage> indexed;
  try
  {
    indexed = std::make_shared<RAST_IndexedImage>();
  }
  catch (const std::bad_alloc&)
  {
    return;  // the pixels serve
  }
  if (!indexed->Assign(pixels)) return;
  RAST_MemBitmap none(0, 0, 4);
  pixels->swapContents(none);
  cached.crop.indexed = std::move(indexed);
}

// The size a record of an id's artwork takes at scale, as the rescale
// makes it: each frame's share of the artwork, a pixel between frames.
void ScaledSize(const CachedBitmap& cached, const IBitmap& record, double scale, int* w, int* h)
{
  *w = static_cast<int>(cached.logicalW * scale);
  *h = static_cast<int>(cached.logicalH * scale);
  if (record.N >= 2) (record.mFramesAreHoriz ? *w : *h) += record.N;
}

// One id's pixels in a rescale: where they come from, the first record of
// each frame layout (resampled in the order the records were handed out),
// and what the work left.
struct RescaleJob
{
  CachedBitmap* cached;
  std::string name;  // for the log
  std::unique_ptr<RAST_IBitmap> decoded;
  std::string file;  // to decode on a worker
  const RAST_IndexedImage* kept = nullptr;
  std::vector<IBitmap*> layouts;
  RAST_IndexedImage newKept;
  bool failed = false;
  // The pixels of the scale before went aside for this job: a failed job
  // puts them back, with the scales they had.
  bool setAside = false;
  double scaleBefore = 0, previousScaleBefore = 0;
  CachedBitmap::Crop previousCropBefore;
};

// A strip of frames stacked from the top, halved whole, laid out as the
// resampler lays out its frames: each frame in turn, a clear row after each.
// A frame's rows are its own 2 x 2 means when each frame holds an even
// number of rows, which a strip of halved frames of equal height shows.
bool SpreadFrames(RAST_MemBitmap& halved, int frames, RAST_MemBitmap* spread)
{
  const int w = halved.getWidth(), h = halved.getHeight();
  if (h % frames != 0) return false;
  const int frameH = h / frames, spreadH = h + frames;
  spread->resize(w, spreadH);
  if (spread->getWidth() != w || spread->getHeight() != spreadH) return false;
  RAST_Clear(spread, 0);
  const int from = halved.getRowSpan(), to = spread->getRowSpan();
  for (int i = 0; i < frames; ++i)
  {
    const int top = static_cast<int>(static_cast<double>(spreadH) * i / frames + 0.5);
    for (int y = 0; y < frameH; ++y)
      std::memcpy(spread->getBits() + static_cast<ptrdiff_t>(top + y) * to,
                  halved.getBits() + static_cast<ptrdiff_t>(i * frameH + y) * from, sizeof(RAST_pixel) * w);
  }
  return true;
}

// A palette file at exactly half its size, the one layout of a start at
// scale 1 with artwork at twice its size: the decoder averages each 2 x 2
// block as the rows arrive, the same bytes the resampler would give, without
// the whole-size pixels (4 bytes a pixel, four times the shown size) or a
// pass over them; a strip of frames stacked from the top whose frames are
// of even height is halved whole and its frames spread out. Made aside and
// traded into the shared pixels, so a file that breaks on the way leaves
// them as they were. False when the file must be decoded whole.
bool HalveFile(RescaleJob& job, double scale, int divisor)
{
  if (job.file.empty() || scale != 1.0 || divisor != 2 || job.layouts.size() != 1) return false;
  IBitmap* record = job.layouts.front();
  auto* shared = dynamic_cast<RAST_MemBitmap*>(record->mData);
  const int frames = record->N;
  if (!shared || (frames >= 2 && (record->mFramesAreHoriz || job.cached->logicalH % frames != 0))) return false;
  RAST_MemBitmap halved(0, 0, 4);
  if (!LoadPNGResourceHalved(job.file.c_str(), &halved, &job.newKept)) return false;
  if (frames >= 2)
  {
    RAST_MemBitmap spread(0, 0, 4);
    if (!SpreadFrames(halved, frames, &spread)) return false;
    halved.swapContents(spread);
  }
  shared->swapContents(halved);
  record->W = shared->getWidth();
  record->H = shared->getHeight();
  return true;
}

// Decodes or expands the job's source and resamples it into the shared
// pixels for each layout. Touches nothing but the job and its pixels.
void RunRescaleJob(RescaleJob& job, double scale, int divisor, RAST_MemBitmap* expanded)
{
  // Each layout resamples the whole pixels anew; only the one layout of a
  // single frame is cut down to its content and held as indices.
  const auto cropOne = [&job] {
    if (job.layouts.size() != 1) return;
    CropToContent(*job.cached, job.layouts.front());
    HoldAsIndices(*job.cached, job.layouts.front());
    ShowCrop(*job.cached, job.layouts.front());
  };
  if (HalveFile(job, scale, divisor))
  {
    cropOne();
    return;
  }
  // A palette file leaves its indices to keep as it is decoded.
  if (!job.file.empty()) job.decoded.reset(LoadPNGResource(job.file.c_str(), &job.newKept));
  RAST_IBitmap* png = job.decoded.get();
  if (!png && job.kept && job.kept->ExpandInto(expanded)) png = expanded;
  if (!HasPixels(png))
  {
    job.failed = true;
    return;
  }
  for (IBitmap* record : job.layouts)
  {
    int w = static_cast<int>((png->getWidth() / divisor) * scale);
    int h = static_cast<int>((png->getHeight() / divisor) * scale);
    if (record->N >= 2) (record->mFramesAreHoriz ? w : h) += record->N;
    // The shared pixels take the new size and are resampled in place, so
    // every record of the id sees them at once.
    record->mData->resize(w, h);
    IGraphics::ResampleBitmap(png, record->mData, record->N, record->mFramesAreHoriz);
    record->W = record->mData->getWidth();
    record->H = record->mData->getHeight();
  }
  // An image of more than 256 colours is not kept: its file is read again
  // next time.
  if (job.decoded && !job.newKept.Complete() && !job.cached->kept.Complete())
    static_cast<void>(job.newKept.Assign(job.decoded.get()));
  job.decoded.reset();
  job.cached->crop = {};
  for (IBitmap* record : job.layouts) ShowCrop(*job.cached, record);
  cropOne();
}

// Runs every job, on up to one thread per processor (this one among them).
// The largest artwork goes first: a start's rescale lasts as long as its
// longest decode (the background's, a few effect plates' and slider
// strips') once that begins, so one begun last kept the others waiting.
void RunRescaleJobs(std::vector<RescaleJob>& jobs, double scale, int divisor)
{
  std::vector<size_t> order(jobs.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  const auto pixels = [&jobs](size_t i) {
    return static_cast<int64_t>(jobs[i].cached->logicalW) * jobs[i].cached->logicalH;
  };
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return pixels(a) > pixels(b); });
  std::atomic<size_t> next{0};
  auto work = [&] {
    RAST_MemBitmap expanded(0, 0, 4);
    for (size_t i = next++; i < jobs.size(); i = next++) RunRescaleJob(jobs[order[i]], scale, divisor, &expanded);
  };
  const size_t wanted = std::min<size_t>({std::max(1u, UsableProcessors()), jobs.size(), 8});
  std::vector<std::thread> helpers;
  for (size_t i = 1; i < wanted; ++i)
  {
    // Without another thread this one does the rest alone.
    try
    {
      helpers.emplace_back(work);
    }
    catch (const std::system_error&)
    {
      break;
    }
  }
  work();
  for (std::thread& helper : helpers) helper.join();
  // The decodes were freed into the helpers' own heaps, which keep the
  // pages otherwise: tens of megabytes for as long as the editor runs.
  malloc_trim(0);
}

// The job's pixels from what the id holds: the decode kept from the load
// serves once, then the file, then the colour indices kept from an earlier
// rescale. False when it holds none of them: the caller reads the file
// again on its own thread, the platform's loader being for that thread.
bool TakeSource(RescaleJob& job)
{
  CachedBitmap& cached = *job.cached;
  if (cached.source)
    job.decoded = std::move(cached.source);
  else if (!cached.deferred.empty())
    job.file = std::move(cached.deferred);
  else if (cached.kept.Complete())
    job.kept = &cached.kept;
  else
    return false;
  return true;
}

// Frees the pixels of the scale before wherever that scale was the larger:
// a change back to it is then made anew, but a visit to 200 % no longer
// leaves the editor holding four times its artwork at 100 %. The smaller
// scale's pixels are kept, and a change back to it still trades them in.
// True when anything was freed.
bool DropLargerScaleBefore(Caches& c)
{
  bool dropped = false;
  for (CachedBitmap& cached : c.bitmaps)
  {
    if (!cached.previous || !(cached.previousScale > cached.scale)) continue;
    cached.previous.reset();
    cached.previousScale = 0;
    cached.previousCrop = {};
    dropped = true;
  }
  return dropped;
}

// What a job that ran leaves its id.
void SettleJob(RescaleJob& job)
{
  CachedBitmap& cached = *job.cached;
  if (job.failed)
  {
    syslog(LOG_ERR, "ZephraEditor: could not reload the image %s", job.name.c_str());
    // The records keep the pixels and size they had, and the pixels the
    // scale they are at: a change back must not trade in an empty buffer.
    if (job.setAside)
    {
      static_cast<RAST_MemBitmap*>(cached.pixels.get())->swapContents(*cached.previous);
      cached.previousScale = job.previousScaleBefore;
      cached.crop = cached.previousCrop;
      cached.previousCrop = job.previousCropBefore;
    }
    cached.scale = job.scaleBefore;
    // A file that broke before its first rescale leaves only the
    // placeholder: its records shrink to nothing, which draws nothing.
    if (cached.placeholder)
    {
      cached.logicalW = cached.logicalH = 0;
      for (IBitmap* record : job.layouts) record->W = record->H = 0;
    }
    return;
  }
  cached.placeholder = false;
  if (job.newKept.Complete()) cached.kept = std::move(job.newKept);
}
}  // namespace

namespace
{
// Whether each id's pixels belong only to bitmap controls and strip knobs
// that show none of them now (hidden ones, a closed overlay). Every drawing
// call makes waiting pixels first, so another control, or the editor's own
// code, that draws them after all only moves their making to that draw.
std::map<RAST_IBitmap*, bool> DrawnOnlyHidden(IGraphics& graphics)
{
  std::map<RAST_IBitmap*, bool> hiddenOnly;
  for (int i = 0; i < graphics.NControls(); ++i)
  {
    IControl* control = graphics.GetControl(i);
    const IBitmap* drawn = nullptr;
    bool unseen = false;
    if (auto* bitmap = dynamic_cast<IBitmapControl*>(control))
    {
      drawn = bitmap->GetBitmap();
      unseen = !bitmap->ShowsBitmap();
    }
    else if (auto* knob = dynamic_cast<IKnobMultiControl*>(control))
    {
      drawn = knob->GetBitmap();
      unseen = knob->IsHidden();
    }
    if (!drawn || !drawn->mData) continue;
    const auto [at, fresh] = hiddenOnly.emplace(drawn->mData, unseen);
    if (!fresh) at->second = at->second && unseen;
  }
  return hiddenOnly;
}
}  // namespace

// ---- loading ----

IBitmap* IGraphics::LoadIBitmap(int id, const char* name, int nStates, bool framesAreHoriz)
{
  Caches& c = TheCaches();
  const int n = nStates < 1 ? 1 : nStates;
  BASE_MutexLock lock(c.bitmapLock);
  if (CachedBitmap* hit = FindBitmap(c, id))
  {
    RAST_IBitmap* pixels = hit->pixels.get();
    IBitmap record(pixels, hit->placeholder ? hit->logicalW : pixels->getWidth(),
                   hit->placeholder ? hit->logicalH : pixels->getHeight(), n, framesAreHoriz);
    ShowCrop(*hit, &record);
    // Waiting artwork has no pixels yet: the record takes the size they will have.
    if (hit->waiting) ScaledSize(*hit, record, hit->waitingScale, &record.W, &record.H);
    return AddRecord(c, id, name, record);
  }

  const int divisor = static_cast<int>(mBitmapDivisor);
  // Stored artwork waits for the rescale in a placeholder; a file of the
  // resources folder is not even decoded before it.
  auto placeholder = [&](int fullW, int fullH, std::unique_ptr<RAST_IBitmap> source, std::string deferred) {
    auto dot = std::make_unique<RAST_MemBitmap>(1, 1, 4);
    RAST_Clear(dot.get(), 0);
    RAST_IBitmap* pixels = dot.get();
    const int w = fullW / divisor, h = fullH / divisor;
    c.bitmaps.push_back(CachedBitmap{id, std::move(dot), true, w, h, std::move(source), std::move(deferred), {}, 0, 0, {}});
    return AddRecord(c, id, name, IBitmap(pixels, w, h, n, framesAreHoriz));
  };
  int fullW = 0, fullH = 0;
  if (divisor >= 2 && name && OSPeekBitmapSize(id, name, &fullW, &fullH) && fullW > 0 && fullH > 0)
    return placeholder(fullW, fullH, nullptr, name);

  std::unique_ptr<RAST_IBitmap> loaded(OSLoadBitmap(id, name));
  if (!HasPixels(loaded.get()))
  {
    // A missing or broken file must not take the editor down: its controls
    // get a record of no size, which draws nothing, and the rescale passes
    // it by.
    syslog(LOG_ERR, "ZephraEditor: could not load the image %s", name ? name : "(null)");
    return AddRecord(c, id, name, IBitmap(nullptr, 0, 0, n, framesAreHoriz));
  }
  if (divisor >= 2)
  {
    fullW = loaded->getWidth();
    fullH = loaded->getHeight();
    return placeholder(fullW, fullH, std::move(loaded), "");
  }
  RAST_IBitmap* pixels = loaded.get();
  const int w = pixels->getWidth(), h = pixels->getHeight();
  c.bitmaps.push_back(CachedBitmap{id, std::move(loaded), false, w, h, nullptr, "", {}, 0, 0, {}});
  return AddRecord(c, id, name, IBitmap(pixels, w, h, n, framesAreHoriz));
}

namespace
{
std::atomic<int64_t> gArtworkMicroseconds{0};

// Adds the time from its making to its end to the artwork's total.
struct ArtworkClock
{
  std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
  ~ArtworkClock()
  {
    const auto spent = std::chrono::steady_clock::now() - start;
    gArtworkMicroseconds += std::chrono::duration_cast<std::chrono::microseconds>(spent).count();
  }
};
}  // namespace

double IGraphicsArtworkMs() { return static_cast<double>(gArtworkMicroseconds.load()) / 1000.0; }

void IGraphics::RescaleBitmaps(double scale)
{
  const ArtworkClock clock;
  Caches& c = TheCaches();
  const int divisor = mBitmapDivisor >= 2 ? static_cast<int>(mBitmapDivisor) : 1;
  BASE_MutexLock bitmapLock(c.bitmapLock);
  BASE_MutexLock scaledLock(c.scaledLock);
  // One job per id's pixels. Records of one id share their pixels: the
  // first of each frame layout is resampled, the rest take its size.
  std::vector<RescaleJob> jobs;
  std::map<RAST_IBitmap*, size_t> jobOf;
  std::map<std::tuple<RAST_IBitmap*, int, bool>, IBitmap*> firstOf;
  std::vector<std::pair<IBitmap*, IBitmap*>> copies;  // record, first of its layout
  std::vector<RAST_IBitmap*> traded;                   // pixels back from the scale before
  std::map<RAST_IBitmap*, CachedBitmap*> waiting;      // pixels left for their first draw
  const std::map<RAST_IBitmap*, bool> hiddenOnly = DrawnOnlyHidden(*this);
  for (ScaledEntry& entry : c.scaled)
  {
    IBitmap* record = entry.bitmap.get();
    if (!record->mData) continue;
    const auto key = std::make_tuple(record->mData, record->N, record->mFramesAreHoriz);
    if (auto first = firstOf.find(key); first != firstOf.end())
    {
      copies.emplace_back(record, first->second);
      continue;
    }
    firstOf[key] = record;
    auto known = jobOf.find(record->mData);
    if (known != jobOf.end())
    {
      if (known->second != SIZE_MAX) jobs[known->second].layouts.push_back(record);
      continue;
    }
    CachedBitmap* cached = nullptr;
    for (CachedBitmap& candidate : c.bitmaps)
      if (candidate.pixels.get() == record->mData) cached = &candidate;
    if (!cached) continue;
    auto* pixels = dynamic_cast<RAST_MemBitmap*>(cached->pixels.get());
    if (const auto only = hiddenOnly.find(record->mData);
        pixels && cached->placeholder && only != hiddenOnly.end() && only->second)
    {
      RAST_MemBitmap none(0, 0, 4);
      pixels->swapContents(none);
      cached->crop = {};
      cached->waiting = true;
      cached->waitingScale = scale;
      cached->waitingDivisor = divisor;
      waiting[record->mData] = cached;
      jobOf[record->mData] = SIZE_MAX;
      continue;
    }
    cached->waiting = false;
    if (pixels && cached->previous && cached->previousScale == scale && cached->scale != scale)
    {
      pixels->swapContents(*cached->previous);
      std::swap(cached->scale, cached->previousScale);
      std::swap(cached->crop, cached->previousCrop);
      traded.push_back(record->mData);
      jobOf[record->mData] = SIZE_MAX;
      continue;
    }
    RescaleJob job;
    job.scaleBefore = cached->scale;
    job.previousScaleBefore = cached->previousScale;
    job.previousCropBefore = cached->previousCrop;
    if (pixels && cached->scale > 0 && cached->scale != scale)
    {
      if (!cached->previous) cached->previous = std::make_unique<RAST_MemBitmap>(0, 0, 4);
      pixels->swapContents(*cached->previous);
      cached->previousScale = cached->scale;
      cached->previousCrop = cached->crop;
      cached->crop = {};
      job.setAside = true;
    }
    cached->scale = scale;
    job.cached = cached;
    job.name = entry.name;
    job.layouts.push_back(record);
    if (!TakeSource(job))
      job.decoded.reset(OSLoadBitmap(entry.id, entry.name.c_str()));
    jobOf[record->mData] = jobs.size();
    jobs.push_back(std::move(job));
  }

  RunRescaleJobs(jobs, scale, divisor);

  for (RescaleJob& job : jobs) SettleJob(job);
  for (ScaledEntry& entry : c.scaled)
  {
    IBitmap* record = entry.bitmap.get();
    if (auto wait = waiting.find(record->mData); wait != waiting.end())
    {
      ShowCrop(*wait->second, record);
      ScaledSize(*wait->second, *record, scale, &record->W, &record->H);
      continue;
    }
    if (std::find(traded.begin(), traded.end(), record->mData) == traded.end()) continue;
    record->W = record->mData->getWidth();
    record->H = record->mData->getHeight();
    for (const CachedBitmap& cached : c.bitmaps)
      if (cached.pixels.get() == record->mData) ShowCrop(cached, record);
  }
  for (const auto& [record, first] : copies) TakeSize(record, *first);
  if (DropLargerScaleBefore(c)) malloc_trim(0);
  c.artworkScale = scale;
  mScale = scale;
}

double IGraphics::ArtworkScale()
{
  Caches& c = TheCaches();
  BASE_MutexLock lock(c.scaledLock);
  return c.artworkScale;
}

void IGraphics::MakeWaitingPixels(IBitmap* bitmap)
{
  if (!bitmap || !bitmap->mData || bitmap->mIndexed || bitmap->mData->getWidth() > 0) return;
  Caches& c = TheCaches();
  BASE_MutexLock bitmapLock(c.bitmapLock);
  BASE_MutexLock scaledLock(c.scaledLock);
  CachedBitmap* cached = nullptr;
  for (CachedBitmap& candidate : c.bitmaps)
    if (candidate.pixels.get() == bitmap->mData && candidate.waiting) cached = &candidate;
  if (!cached) return;
  const ArtworkClock clock;
  RescaleJob job;
  job.cached = cached;
  // The first record of each frame layout is resampled, the rest take its size.
  std::map<std::pair<int, bool>, IBitmap*> firstOf;
  std::vector<std::pair<IBitmap*, IBitmap*>> copies;
  int id = 0;
  for (ScaledEntry& entry : c.scaled)
  {
    IBitmap* record = entry.bitmap.get();
    if (record->mData != bitmap->mData) continue;
    if (job.layouts.empty())
    {
      job.name = entry.name;
      id = entry.id;
    }
    const auto [first, fresh] = firstOf.emplace(std::make_pair(record->N, record->mFramesAreHoriz), record);
    if (fresh)
      job.layouts.push_back(record);
    else
      copies.emplace_back(record, first->second);
  }
  if (job.layouts.empty()) return;
  cached->waiting = false;
  if (!TakeSource(job)) job.decoded.reset(OSLoadBitmap(id, job.name.c_str()));
  job.scaleBefore = cached->scale;
  job.previousScaleBefore = cached->previousScale;
  cached->scale = cached->waitingScale;
  RAST_MemBitmap expanded(0, 0, 4);
  RunRescaleJob(job, cached->waitingScale, cached->waitingDivisor, &expanded);
  SettleJob(job);
  for (const auto& [record, first] : copies) TakeSize(record, *first);
}

// ---- pixels kept by hand ----

void IGraphics::RetainBitmap(IBitmap* bitmap)
{
  if (!bitmap || !bitmap->mData) return;
  Caches& c = TheCaches();
  BASE_MutexLock lock(c.bitmapLock);
  c.bitmaps.push_back(CachedBitmap{-1, std::unique_ptr<RAST_IBitmap>(bitmap->mData), false,
                                   bitmap->W, bitmap->H, nullptr, "", {}, 0, 0, {}});
}

void IGraphics::ReleaseBitmap(IBitmap* bitmap)
{
  if (!bitmap || !bitmap->mData) return;
  Caches& c = TheCaches();
  BASE_MutexLock lock(c.bitmapLock);
  for (size_t i = 0; i < c.bitmaps.size(); ++i)
  {
    if (c.bitmaps[i].pixels.get() != bitmap->mData) continue;
    c.bitmaps.erase(c.bitmaps.begin() + static_cast<long>(i));
    bitmap->mData = nullptr;
    return;
  }
}

IBitmap IGraphics::ScaleBitmap(IBitmap* in, int destW, int destH)
{
  MakeWaitingPixels(in);
  if (!in || !in->mData) return IBitmap();
  std::unique_ptr<RAST_MemBitmap> whole;
  RAST_IBitmap* pixels = WholePixels(in, &whole);
  auto out = std::make_unique<RAST_MemBitmap>(destW, destH, 4);
  RAST_Clear(out.get(), 0);
  RAST_ScaledBlit(out.get(), pixels, 0, 0, destW, destH, 0.0f, 0.0f, static_cast<float>(in->W),
                  static_cast<float>(in->H), 1.0f, RAST_BLIT_FILTER_BILINEAR);
  IBitmap record(out.release(), destW, destH, in->N, in->mFramesAreHoriz);
  RetainBitmap(&record);
  return record;
}

IBitmap IGraphics::CropBitmap(IBitmap* in, const IRECT* r)
{
  MakeWaitingPixels(in);
  if (!in || !in->mData || !r) return IBitmap();
  const int w = r->W(), h = r->H();
  std::unique_ptr<RAST_MemBitmap> whole;
  RAST_IBitmap* pixels = WholePixels(in, &whole);
  auto out = std::make_unique<RAST_MemBitmap>(w, h, 4);
  RAST_Clear(out.get(), 0);
  RAST_Blit(out.get(), pixels, 0, 0, r->L, r->T, w, h, 1.0f, RAST_BLIT_MODE_COPY);
  IBitmap record(out.release(), w, h, in->N, in->mFramesAreHoriz);
  RetainBitmap(&record);
  return record;
}

RAST_IBitmap* IGraphics::WholePixels(const IBitmap* bitmap, std::unique_ptr<RAST_MemBitmap>* holder)
{
  if (!bitmap->mCropped && !bitmap->mIndexed) return bitmap->mData;
  RAST_MemBitmap expanded(0, 0, 4);
  RAST_IBitmap* part = bitmap->mData;
  if (bitmap->mIndexed && bitmap->mIndexed->ExpandInto(&expanded)) part = &expanded;
  if (!bitmap->mCropped)
  {
    *holder = std::make_unique<RAST_MemBitmap>(0, 0, 4);
    (*holder)->swapContents(expanded);
    return holder->get();
  }
  *holder = std::make_unique<RAST_MemBitmap>(bitmap->W, bitmap->H, 4);
  RAST_Clear(holder->get(), 0);
  RAST_Blit(holder->get(), part, bitmap->mDataX, bitmap->mDataY, 0, 0, part->getWidth(), part->getHeight(), 1.0f,
            RAST_BLIT_MODE_COPY);
  return holder->get();
}

// ---- fonts ----

RAST_IFont* IGraphics::CacheFont(IText* style)
{
  if (!style) return nullptr;
  Caches& c = TheCaches();
  BASE_MutexLock lock(c.fontLock);
  for (CachedFont& entry : c.fonts)
  {
    if (entry.size == style->mSize && entry.orientation == style->mOrientation &&
        entry.style == style->mStyle && strcmp(entry.face, style->mFont) == 0)
    {
      style->mCached = entry.font.get();
      return entry.font.get();
    }
  }

  static constexpr int kQuality[] = {0, 3, 4, 4};
  const int quality = style->mQuality >= 0 && style->mQuality <= 3 ? kQuality[style->mQuality] : 3;
  auto font = std::make_unique<RAST_CachedFont>();
  int h = style->mSize < 2 ? 2 : style->mSize;
  // The platform's line height can differ from the size asked for; one
  // corrected try brings the line height close to it.
  for (int attempt = 0; attempt < 2; ++attempt)
  {
    HFONT platformFont = CreateFont(h, 0, style->mOrientation * 10, style->mOrientation * 10,
                                    style->mStyle == 1 ? 700 : 400, style->mStyle == 2, 0, 0, 0, 0, 0,
                                    static_cast<DWORD>(quality), 0, style->mFont);
    if (!platformFont) return nullptr;
    font->SetFromHFont(platformFont, RAST_FONT_FLAG_OWNS_HFONT | RAST_FONT_FLAG_FORCE_NATIVE);
    const int lineHeight = font->GetLineHeight();
    if (attempt == 1 || lineHeight == h || lineHeight <= 0) break;
    const int square = h < 3 ? 4 : h * h;
    h = static_cast<int>(static_cast<double>(square) / lineHeight + 0.5);
    if (h < 2) h = 2;
  }
  CachedFont entry{style->mSize, style->mOrientation, style->mStyle, {}, std::move(font)};
  snprintf(entry.face, sizeof(entry.face), "%s", style->mFont);
  RAST_IFont* out = entry.font.get();
  c.fonts.push_back(std::move(entry));
  style->mCached = out;
  return out;
}

// ---- test seam ----

void IGraphics::ClearCachesForTest()
{
  Caches& c = TheCaches();
  {
    BASE_MutexLock lock(c.scaledLock);
    c.scaled.clear();
    c.artworkScale = 0;
  }
  {
    BASE_MutexLock lock(c.bitmapLock);
    c.bitmaps.clear();
  }
  BASE_MutexLock lock(c.fontLock);
  c.fonts.clear();
}

// ---- background ----

void IGraphics::AttachBackground(int id, const char* name)
{
  IBitmap* bitmap = LoadIBitmap(id, name, 1);
  IControl* background = new IBitmapControl(mPlug, 0, 0, -1, bitmap, IChannelBlend(1, 1.0f));
  if (!mControls.Insert(background, 0))
  {
    delete background;
    return;
  }
  RewriteIndexes();
}
