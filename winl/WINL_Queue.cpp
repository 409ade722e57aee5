// The posted-message queue: posts from any thread, delivery on the main
// thread at the 50 ms tick (armed by a post when none is on its way, so that
// an idle editor's loop is not woken for nothing), clearing per window.
// Also the main thread's identity and text conversion.

#include "winl/WINL_Queue.h"

#include "core/BASE_Mutex.h"
#include "winl/WINL_QueuePrivate.h"
#include "winl/WINL_WndPrivate.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <new>
#include <thread>
#include <vector>

// ---- sections ----
// main thread · records · posting · delivery · clearing · text

namespace
{
// ---- main thread ----

std::atomic<bool> gMainKnown{false};
std::thread::id gMainThread;

// ---- records ----

constexpr int kMaxPending = 1024;
constexpr unsigned kQueueTickMs = 50;

struct PostRecord
{
  // The target; cleared (0) when the window's messages are dropped while the
  // record is in a delivery under way, which reads it without the lock.
  std::atomic<uintptr_t> target{0};
  UINT msg = 0;  // timer requests: the interval, kKillRequest to stop
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  PostRecord* next = nullptr;
  bool timerRequest = false;
};

// The records one flush took, and the next of them to deliver. The cursor
// is the main thread's alone; a modal run inside a handler moves it on.
struct Batch
{
  PostRecord* head = nullptr;
  PostRecord* next = nullptr;
};

struct Queue
{
  BASE_Mutex mutex;
  PostRecord* head = nullptr;
  PostRecord* tail = nullptr;
  // Records taken from the free list and not returned: waiting ones and
  // those being delivered.
  int count = 0;
  PostRecord* free = nullptr;
  // The batches under delivery, outermost first; Clear can still reach them.
  std::vector<Batch*> delivering;
  std::atomic<bool> started{false};
  // A tick is on its way.
  bool tickArmed = false;
};

Queue& Q()
{
  static Queue* queue = new Queue;
  return *queue;
}

uintptr_t Key(HWND hwnd) { return reinterpret_cast<uintptr_t>(hwnd); }

// A record from the free list or new; null when the cap is reached or memory
// runs out (timer requests ignore the cap). Under the lock.
PostRecord* TakeRecord(Queue& q, bool capped)
{
  PostRecord* r = q.free;
  if (r)
    q.free = r->next;
  else
  {
    if (capped && q.count >= kMaxPending) return nullptr;
    r = new (std::nothrow) PostRecord;
    if (!r) return nullptr;
  }
  ++q.count;
  r->next = nullptr;
  return r;
}

void Append(Queue& q, PostRecord* r)
{
  if (q.tail)
    q.tail->next = r;
  else
    q.head = r;
  q.tail = r;
}

// One tick per arming. It is disarmed before it delivers, so whatever a
// handler posts arms the next one, and a handler that runs a modal loop
// (a dialog, a menu) gets its posts delivered inside that loop.
bool Tick(void*)
{
  {
    Queue& q = Q();
    BASE_MutexLock lock(q.mutex);
    q.tickArmed = false;
  }
  WINL_MessageQueue_Flush();
  return false;
}

// Under the lock, from any thread: the next tick comes within kQueueTickMs.
void ArmTick(Queue& q)
{
  if (q.tickArmed) return;
  q.tickArmed = true;
  PLAT_LoopAddTimeout(kQueueTickMs, Tick, nullptr);
}

// A posted message or timer request, on the main thread. A window procedure
// that throws loses its message and nothing more: the queue goes on.
void Deliver(const PostRecord& r)
{
  // A handler earlier in the batch may have destroyed this target; its
  // teardown cleared the record.
  const uintptr_t target = r.target.load(std::memory_order_acquire);
  if (!target) return;
  HWND hwnd = reinterpret_cast<HWND>(target);
  try
  {
    if (r.timerRequest)
    {
      if (r.msg == kKillRequest)
        KillTimer(hwnd, r.wParam);
      else
        SetTimer(hwnd, r.wParam, r.msg, reinterpret_cast<TIMERPROC>(r.lParam));
    }
    else if (WINL_Live(hwnd))
      SendMessage(hwnd, r.msg, r.wParam, r.lParam);
  }
  catch (...)
  {
    std::fprintf(stderr, "ZephraEditor: posted message 0x%X failed\n", r.msg);
  }
}

// Delivers what is left of the batch, oldest first.
void DeliverRest(Batch& batch)
{
  while (PostRecord* r = batch.next)
  {
    batch.next = r->next;
    Deliver(*r);
  }
}
}  // namespace

bool WINL_OnMainThread() { return !gMainKnown.load() || std::this_thread::get_id() == gMainThread; }

// ---- posting ----

void WINL_Internal_PostMessage_Init()
{
  Queue& q = Q();
  if (q.started.load()) return;
  gMainThread = std::this_thread::get_id();
  gMainKnown = true;
  q.started = true;
}

bool WINL_MessageQueue_Post(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
  Queue& q = Q();
  if (!hwnd || !q.started.load() || !WINL_CanPostMessage(hwnd)) return false;
  BASE_MutexLock lock(q.mutex);
  PostRecord* r = TakeRecord(q, true);
  if (!r) return false;
  r->target.store(Key(hwnd), std::memory_order_relaxed);
  r->msg = msg;
  r->wParam = wParam;
  r->lParam = lParam;
  r->timerRequest = false;
  Append(q, r);
  ArmTick(q);
  return true;
}

BOOL PostMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
  return WINL_MessageQueue_Post(hwnd, msg, wParam, lParam) ? TRUE : FALSE;
}

void WINL_QueueTimerRequest(HWND hwnd, UINT_PTR id, UINT interval, TIMERPROC proc)
{
  Queue& q = Q();
  if (!hwnd || !q.started.load()) return;
  BASE_MutexLock lock(q.mutex);
  // A newer request for the same timer replaces the waiting one, so a kill
  // queued before the tick means the timer is never made.
  for (PostRecord* r = q.head; r; r = r->next)
    if (r->timerRequest && r->target.load(std::memory_order_relaxed) == Key(hwnd) && r->wParam == id)
    {
      r->msg = interval;
      r->lParam = reinterpret_cast<LPARAM>(proc);
      return;
    }
  PostRecord* r = TakeRecord(q, false);
  if (!r) return;
  r->target.store(Key(hwnd), std::memory_order_relaxed);
  r->msg = interval;
  r->wParam = id;
  r->lParam = reinterpret_cast<LPARAM>(proc);
  r->timerRequest = true;
  Append(q, r);
  ArmTick(q);
}

void WINL_QueueTickSoon()
{
  Queue& q = Q();
  if (!q.started.load()) return;
  BASE_MutexLock lock(q.mutex);
  ArmTick(q);
}

// ---- delivery ----

void WINL_MessageQueue_Flush()
{
  if (!WINL_OnMainThread())
  {
    // Delivering belongs to the main thread; emptying the queue here would
    // lose every message in it.
    std::fprintf(stderr, "ZephraEditor: a flush of the posted messages from another thread was ignored\n");
    return;
  }
  Queue& q = Q();
  // A flush inside a handler (a modal run's tick) first goes on with the
  // batches further out, so that their messages keep their order. Only
  // this thread changes the list, and a nested flush leaves it as it found
  // it.
  for (size_t i = 0; i < q.delivering.size(); ++i) DeliverRest(*q.delivering[i]);
  Batch batch;
  {
    BASE_MutexLock lock(q.mutex);
    batch.head = batch.next = q.head;
    q.head = q.tail = nullptr;
    if (batch.head) q.delivering.push_back(&batch);
  }
  if (batch.head)
  {
    DeliverRest(batch);
    BASE_MutexLock lock(q.mutex);
    q.delivering.pop_back();
    PostRecord* last = batch.head;
    int taken = 1;
    for (; last->next; last = last->next) ++taken;
    last->next = q.free;
    q.free = batch.head;
    q.count -= taken;
  }
  WINL_FreeDeadRecords();
}

// ---- clearing ----

void WINL_MessageQueue_Clear(HWND hwnd) { WINL_MessageQueue_ClearInternal(hwnd); }

void WINL_MessageQueue_ClearInternal(HWND hwnd)
{
  Queue& q = Q();
  if (!q.started.load()) return;
  const uintptr_t key = Key(hwnd);
  BASE_MutexLock lock(q.mutex);
  for (const Batch* batch : q.delivering)
    for (PostRecord* r = batch->head; r; r = r->next)
      if (!key || r->target.load(std::memory_order_relaxed) == key) r->target.store(0, std::memory_order_release);
  PostRecord* prev = nullptr;
  for (PostRecord* r = q.head; r;)
  {
    PostRecord* next = r->next;
    if (!key || r->target.load(std::memory_order_relaxed) == key)
    {
      if (prev)
        prev->next = next;
      else
        q.head = next;
      if (q.tail == r) q.tail = prev;
      r->next = q.free;
      q.free = r;
      --q.count;
    }
    else
      prev = r;
    r = next;
  }
}

int WINL_MessageQueue_PendingCount()
{
  Queue& q = Q();
  BASE_MutexLock lock(q.mutex);
  return q.count;
}

// ---- text ----

namespace
{
// The length of the UTF-8 character starting at s (at most n bytes there),
// or 0 when s does not start a well-formed one.
size_t Utf8Length(const unsigned char* s, size_t n)
{
  const unsigned char c = s[0];
  size_t len;
  uint32_t min;
  if (c < 0x80) return 1;
  if ((c & 0xE0) == 0xC0)
  {
    len = 2;
    min = 0x80;
  }
  else if ((c & 0xF0) == 0xE0)
  {
    len = 3;
    min = 0x800;
  }
  else if ((c & 0xF8) == 0xF0)
  {
    len = 4;
    min = 0x10000;
  }
  else
    return 0;
  if (len > n) return 0;
  uint32_t cp = c & (0x7F >> len);
  for (size_t i = 1; i < len; ++i)
  {
    if ((s[i] & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (s[i] & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return len;
}
}  // namespace

std::string WINL_CStringToCFString(const char* text)
{
  if (!text) return {};
  const auto* s = reinterpret_cast<const unsigned char*>(text);
  const size_t n = strlen(text);
  for (size_t i = 0; i < n;)
  {
    const size_t len = Utf8Length(s + i, n - i);
    if (len == 0)
    {
      // Not UTF-8: every byte is the Latin-1 character of its value.
      std::string out;
      out.reserve(n * 2);
      for (size_t j = 0; j < n; ++j)
      {
        if (s[j] < 0x80)
          out += static_cast<char>(s[j]);
        else
        {
          out += static_cast<char>(0xC0 | (s[j] >> 6));
          out += static_cast<char>(0x80 | (s[j] & 0x3F));
        }
      }
      return out;
    }
    i += len;
  }
  return std::string(text, n);
}

void WINL_CFStringToCString(const std::string& text, char* buffer, int size)
{
  if (!buffer || size < 1) return;
  buffer[0] = 0;
  size_t n = text.size();
  const size_t cap = static_cast<size_t>(size) - 1;
  if (n > cap)
  {
    // Cut before the character that does not fit whole.
    n = cap;
    while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
  }
  memcpy(buffer, text.data(), n);
  buffer[n] = 0;
}
