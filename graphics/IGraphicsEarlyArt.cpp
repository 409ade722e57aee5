// Artwork decoded ahead, beside the toolkit's start: see IGraphicsEarlyArt.h.
#include "graphics/IGraphicsEarlyArt.h"

#include "graphics/IGraphicsView.h"
#include "raster/RAST_Bitmap.h"
#include "raster/RAST_IndexedImage.h"

#include <malloc.h>
#include <sched.h>

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <system_error>
#include <thread>

namespace
{
enum class State
{
  kQueued,
  kRunning,
  kDone
};

struct Entry
{
  EarlyArtFile file;
  State state = State::kQueued;
  // A load asked for it: a queued file is then decoded by the load itself.
  bool taken = false;
  // The load got the thread's decode.
  bool handed = false;
  std::unique_ptr<RAST_IBitmap> whole;
  std::unique_ptr<RAST_MemBitmap> halved;
  RAST_IndexedImage indices;
};

struct Store
{
  std::mutex lock;
  std::condition_variable done;
  // Fixed while the threads run: entries are handed out by address.
  std::vector<Entry> entries;
  size_t next = 0;
  // Loads waiting for an entry: the entries are not cleared under them.
  int waiting = 0;
  bool stopping = false;
  std::vector<std::thread> threads;
};

// Never destroyed: a thread still decoding when the program ends must not
// meet a store torn down under it.
Store& TheStore()
{
  static Store* store = new Store;
  return *store;
}

// The entry's decode, as the loads make it; touches only its pixels. A
// file that cannot be halved (an image of another kind) is decoded whole
// instead, for the whole load its owner makes next: false then. A file
// that breaks on the way leaves nothing, as the load's own decode would
// give nothing: the load then decodes it itself, and fails as before.
bool Decode(Entry& entry, bool halved)
{
  const char* name = entry.file.name.c_str();
  if (halved)
  {
    entry.halved = std::make_unique<RAST_MemBitmap>(0, 0, 4);
    const RAST_PNGHalved outcome = DecodePNGResourceHalved(name, entry.halved.get(), &entry.indices);
    if (outcome != RAST_PNGHalved::kHalved) entry.halved.reset();
    if (outcome != RAST_PNGHalved::kCannot) return true;
  }
  entry.whole.reset(DecodePNGResource(name, &entry.indices));
  return false;
}

void Work(Store& store)
{
  std::unique_lock<std::mutex> hold(store.lock);
  for (;;)
  {
    while (store.next < store.entries.size() && store.entries[store.next].taken) ++store.next;
    if (store.stopping || store.next == store.entries.size()) return;
    Entry& entry = store.entries[store.next++];
    entry.state = State::kRunning;
    const bool halved = entry.file.halved;
    hold.unlock();
    const bool asAsked = Decode(entry, halved);
    hold.lock();
    entry.file.halved = halved && asAsked;
    entry.state = State::kDone;
    store.done.notify_all();
  }
}

// The entry of name and kind no load has taken, its decode done (waited
// for); null when there is none or it was not begun, which the caller then
// decodes itself.
Entry* Await(Store& store, std::unique_lock<std::mutex>& hold, const char* name, bool halved)
{
  if (!name) return nullptr;
  Entry* found = nullptr;
  for (Entry& entry : store.entries)
    if (!entry.taken && entry.file.halved == halved && entry.file.name == name) found = &entry;
  if (!found) return nullptr;
  if (found->state == State::kQueued)
  {
    found->taken = true;
    return nullptr;
  }
  ++store.waiting;
  store.done.wait(hold, [found] { return found->state == State::kDone; });
  --store.waiting;
  store.done.notify_all();
  // A file that could not be halved became a whole decode; another load of
  // the name may have taken it while this one waited.
  if (found->file.halved != halved || found->taken) return nullptr;
  found->taken = true;
  return found;
}
}  // namespace

unsigned UsableProcessors()
{
  cpu_set_t set;
  if (sched_getaffinity(0, sizeof set, &set) == 0) return static_cast<unsigned>(CPU_COUNT(&set));
  return std::thread::hardware_concurrency();
}

void EarlyArtStart(const std::vector<EarlyArtFile>& files, int threads)
{
  Store& store = TheStore();
  std::lock_guard<std::mutex> hold(store.lock);
  if (!store.threads.empty() || !store.entries.empty()) return;
  for (const EarlyArtFile& file : files)
  {
    store.entries.emplace_back();
    store.entries.back().file = file;
  }
  const unsigned processors = UsableProcessors();
  const unsigned wanted = threads >= 0 ? static_cast<unsigned>(threads) : processors < 2 ? 0 : std::min(processors - 1, 3u);
  for (unsigned i = 0; i < wanted && i < files.size(); ++i)
  {
    // Without a thread the loads decode their files themselves.
    try
    {
      store.threads.emplace_back(Work, std::ref(store));
    }
    catch (const std::system_error&)
    {
      break;
    }
  }
}

EarlyArtReport EarlyArtFinish()
{
  Store& store = TheStore();
  {
    std::lock_guard<std::mutex> hold(store.lock);
    store.stopping = true;
  }
  for (std::thread& thread : store.threads) thread.join();
  EarlyArtReport report;
  std::unique_lock<std::mutex> hold(store.lock);
  store.done.wait(hold, [&store] { return store.waiting == 0; });
  for (const Entry& entry : store.entries)
  {
    (entry.taken ? report.taken : report.unused).push_back(entry.file.name);
    if (entry.handed) report.handed.push_back(entry.file.name);
  }
  store.threads.clear();
  store.entries.clear();
  store.next = 0;
  store.stopping = false;
  // Decodes freed here were made in the threads' own heaps, which keep the
  // pages otherwise.
  if (!report.unused.empty()) malloc_trim(0);
  return report;
}

void EarlyArtSettleForTest()
{
  Store& store = TheStore();
  std::unique_lock<std::mutex> hold(store.lock);
  if (store.threads.empty()) return;
  store.done.wait(hold, [&store] {
    return std::all_of(store.entries.begin(), store.entries.end(),
                       [](const Entry& entry) { return entry.taken || entry.state == State::kDone; });
  });
}

std::unique_ptr<RAST_IBitmap> EarlyArtTakeWhole(const char* name, RAST_IndexedImage* indices)
{
  Store& store = TheStore();
  std::unique_lock<std::mutex> hold(store.lock);
  Entry* entry = Await(store, hold, name, false);
  if (!entry || !entry->whole) return nullptr;
  entry->handed = true;
  if (indices) *indices = std::move(entry->indices);
  return std::move(entry->whole);
}

bool EarlyArtTakeHalved(const char* name, RAST_IBitmap* bmp, RAST_IndexedImage* indices)
{
  auto* into = dynamic_cast<RAST_MemBitmap*>(bmp);
  if (!into) return false;
  Store& store = TheStore();
  std::unique_lock<std::mutex> hold(store.lock);
  Entry* entry = Await(store, hold, name, true);
  if (!entry || !entry->halved || entry->halved->getWidth() == 0) return false;
  into->swapContents(*entry->halved);
  entry->handed = true;
  if (indices) *indices = std::move(entry->indices);
  return true;
}
