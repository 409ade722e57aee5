// Timers: repeating main-loop timeouts that send WM_TIMER or call a timer
// procedure. Other threads queue their requests for the next queue tick.

#include "winl/WINL_Queue.h"

#include "core/BASE_Mutex.h"
#include "platform/gtk/PLAT_GtkLoop.h"
#include "winl/WINL_QueuePrivate.h"
#include "winl/draw/WINL_Runtime.h"
#include "winl/WINL_WndPrivate.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace
{
struct TimerRecord
{
  uint64_t serial;   // what the loop's callback carries: never reused
  UINT_PTR id;
  uintptr_t hwnd;    // 0 for a timer without a window
  TIMERPROC proc;
  unsigned source;   // the loop's timeout
};

struct Timers
{
  BASE_Mutex mutex;  // taken before the queue's, never after
  std::vector<TimerRecord> list;  // newest first
  uint64_t nextSerial = 1;
  // Ids of timers without a window. A counter, so that a killed timer's id
  // never comes back for another timer.
  UINT_PTR nextWindowlessId = 1;
};

Timers& T()
{
  static Timers* timers = new Timers;
  return *timers;
}

constexpr UINT_PTR kAllTimers = static_cast<UINT_PTR>(-1);

// During a wait for one window: the only window whose timers fire, those
// that send WM_TIMER and those that call a procedure alike.
uintptr_t gOnlyTimersOf = 0;

bool Fire(void* data)
{
  const uint64_t serial = reinterpret_cast<uintptr_t>(data);
  Timers& t = T();
  TimerRecord timer;
  {
    BASE_MutexLock lock(t.mutex);
    auto it = std::find_if(t.list.begin(), t.list.end(), [serial](const TimerRecord& r) { return r.serial == serial; });
    if (it == t.list.end()) return false;
    timer = *it;
  }
  HWND hwnd = reinterpret_cast<HWND>(timer.hwnd);
  if (gOnlyTimersOf && timer.hwnd != gOnlyTimersOf) return true;  // skipped, kept
  // A handler that throws loses this tick only: the timer goes on, as the
  // list still says it does.
  try
  {
    if (timer.proc)
      timer.proc(hwnd, WM_TIMER, timer.id, GetTickCount());
    else if (WINL_Wnd* w = WINL_Live(hwnd))
      WINL_Dispatch(w, WM_TIMER, timer.id, 0);
  }
  catch (...)
  {
    std::fprintf(stderr, "ZephraEditor: timer %lu failed\n", static_cast<unsigned long>(timer.id));
  }
  return true;
}
}  // namespace

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT ms, TIMERPROC proc)
{
  if ((!hwnd && !proc) || (hwnd && id == 0)) return 0;
  if (!WINL_OnMainThread())
  {
    // Nothing would be made for a timer without a window: say so.
    if (!hwnd || id == kAllTimers) return 0;
    WINL_QueueTimerRequest(hwnd, id, std::min(ms, kKillRequest - 1), proc);
    return id;
  }
  if (hwnd && !WINL_Live(hwnd)) return 0;
  Timers& t = T();
  BASE_MutexLock lock(t.mutex);
  const uintptr_t key = reinterpret_cast<uintptr_t>(hwnd);
  auto it = std::find_if(t.list.begin(), t.list.end(),
                         [key, id](const TimerRecord& r) { return r.hwnd == key && r.id == id; });
  TimerRecord timer{t.nextSerial++, id, key, proc, 0};
  if (it != t.list.end())
  {
    PLAT_LoopRemove(it->source);
    t.list.erase(it);
  }
  else if (!hwnd)
    timer.id = t.nextWindowlessId++;
  timer.source = PLAT_LoopAddTimeout(ms, Fire, reinterpret_cast<void*>(static_cast<uintptr_t>(timer.serial)));
  t.list.insert(t.list.begin(), timer);
  return timer.id;
}

BOOL KillTimer(HWND hwnd, UINT_PTR id)
{
  if (!hwnd && (id == kAllTimers || id == 0)) return FALSE;
  Timers& t = T();
  if (!WINL_OnMainThread())
  {
    if (!hwnd) return FALSE;
    BASE_MutexLock lock(t.mutex);
    WINL_QueueTimerRequest(hwnd, id, kKillRequest, nullptr);
    return TRUE;
  }
  std::vector<unsigned> sources;
  {
    BASE_MutexLock lock(t.mutex);
    const uintptr_t key = reinterpret_cast<uintptr_t>(hwnd);
    for (auto it = t.list.begin(); it != t.list.end();)
    {
      if (it->hwnd == key && (id == kAllTimers || it->id == id))
      {
        sources.push_back(it->source);
        it = t.list.erase(it);
        if (id != kAllTimers) break;
      }
      else
        ++it;
    }
  }
  for (unsigned source : sources) PLAT_LoopRemove(source);
  return sources.empty() ? FALSE : TRUE;
}

int WINL_GetTimerCount()
{
  Timers& t = T();
  BASE_MutexLock lock(t.mutex);
  return static_cast<int>(t.list.size());
}

// ---- waits on the main loop ----

void WINL_RunLoopWait(DWORD ms)
{
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < ms)
    if (!PLAT_LoopIterate(false)) Sleep(1);
}

void WINL_RunLoopWaitForWindow(DWORD ms, HWND onlyTimersOf)
{
  const uintptr_t before = gOnlyTimersOf;
  gOnlyTimersOf = reinterpret_cast<uintptr_t>(onlyTimersOf);
  WINL_RunLoopWait(ms);
  gOnlyTimersOf = before;
}

int WINL_DispatchPendingEvents()
{
  int handled = 0;
  while (handled < 100 && PLAT_LoopIterate(false)) ++handled;
  return handled;
}
