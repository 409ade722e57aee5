// The posted-message queue: posts from any thread, delivery on the main
// thread at the 50 ms tick (armed by the first post into an empty queue, so
// that an idle editor's loop is not woken for nothing), clearing per window.
// Also the main thread's identity and text conversion.

#include "winl/WINL_Queue.h"

#include "core/BASE_Mutex.h"
#include "winl/WINL_QueuePrivate.h"
#include "winl/WINL_WndPrivate.h"

#include <algorithm>
#include <atomic>
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

struct Queue
{
  BASE_Mutex mutex;
  PostRecord* head = nullptr;
  PostRecord* tail = nullptr;
  // Records taken from the free list and not returned: waiting ones and
  // those of a delivery under way.
  int count = 0;
  PostRecord* free = nullptr;
  // The batches that deliveries are working through, outermost first (a
  // handler's modal run flushes again); Clear can still reach them.
  std::vector<PostRecord*> delivering;
  std::atomic<bool> started{false};
  // A tick is on its way; it stays armed while anything waits.
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

bool Tick(void*)
{
  WINL_MessageQueue_Flush();
  Queue& q = Q();
  BASE_MutexLock lock(q.mutex);
  q.tickArmed = q.head != nullptr;
  return q.tickArmed;
}

// Under the lock, from any thread: the next tick comes within kQueueTickMs.
void ArmTick(Queue& q)
{
  if (q.tickArmed) return;
  q.tickArmed = true;
  PLAT_LoopAddTimeout(kQueueTickMs, Tick, nullptr);
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
  Queue& q = Q();
  PostRecord* batch;
  {
    BASE_MutexLock lock(q.mutex);
    batch = q.head;
    q.head = q.tail = nullptr;
    if (batch) q.delivering.push_back(batch);
  }
  int delivered = 0;
  PostRecord* last = nullptr;
  for (PostRecord* r = batch; r; r = r->next)
  {
    ++delivered;
    last = r;
    // A handler earlier in the batch may have destroyed this target; its
    // teardown cleared the record.
    const uintptr_t target = r->target.load(std::memory_order_acquire);
    if (!target) continue;
    HWND hwnd = reinterpret_cast<HWND>(target);
    if (r->timerRequest)
    {
      if (r->msg == kKillRequest)
        KillTimer(hwnd, r->wParam);
      else
        SetTimer(hwnd, r->wParam, r->msg, reinterpret_cast<TIMERPROC>(r->lParam));
    }
    else if (WINL_Live(hwnd))
      SendMessage(hwnd, r->msg, r->wParam, r->lParam);
  }
  {
    BASE_MutexLock lock(q.mutex);
    if (last)
    {
      q.delivering.erase(std::find(q.delivering.begin(), q.delivering.end(), batch));
      last->next = q.free;
      q.free = batch;
      q.count -= delivered;
    }
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
  for (PostRecord* batch : q.delivering)
    for (PostRecord* r = batch; r; r = r->next)
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
