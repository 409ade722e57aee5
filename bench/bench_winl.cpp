// The window layer's posted-message queue: four threads post to one window
// while the main thread flushes, counting messages posted and delivered per
// second against the 1,000,000 the editor's MIDI threads may need; and the
// time from a post on another thread to its delivery while a modal dialog
// runs, against the 50 ms queue tick. Runs without a display.
#include "winl/WINL_Dialog.h"
#include "winl/WINL_Queue.h"
#include "winl/WINL_Window.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace
{
using Clock = std::chrono::steady_clock;

constexpr int kPosters = 4;
constexpr int kPerPoster = 25000;
constexpr double kWantedRate = 1e6;
constexpr double kTickMs = 50;

long gDelivered = 0;

LRESULT Counter(HWND, UINT msg, WPARAM, LPARAM)
{
  if (msg == WM_USER) ++gDelivered;
  return 0;
}

void BM_PostAndDeliverFromFourThreads(benchmark::State& state)
{
  WINL_Internal_PostMessage_Init();
  HWND w = WINL_CreateView(nullptr, Counter, 0);
  for (auto _ : state)
  {
    gDelivered = 0;
    std::vector<std::thread> posters;
    for (int t = 0; t < kPosters; ++t)
      posters.emplace_back([w] {
        for (int i = 0; i < kPerPoster; ++i)
          while (!PostMessage(w, WM_USER, 0, i)) std::this_thread::yield();
      });
    while (gDelivered < kPosters * kPerPoster) WINL_MessageQueue_Flush();
    for (std::thread& p : posters) p.join();
  }
  DestroyWindow(w);
  WINL_MessageQueue_Flush();
  state.SetItemsProcessed(state.iterations() * kPosters * kPerPoster);
  state.counters["wanted/s"] = kWantedRate;
}
BENCHMARK(BM_PostAndDeliverFromFourThreads)->Unit(benchmark::kMillisecond)->UseRealTime();

// ---- delivery while a modal dialog runs ----

std::atomic<int64_t> gPostedAt{0};
double gLatencyMs = 0;
std::thread gMidiThread;

LRESULT LatencyDialog(HWND h, UINT msg, WPARAM, LPARAM)
{
  if (msg == WM_INITDIALOG)
  {
    // Like a MIDI input thread, post at a moment unrelated to the tick.
    gMidiThread = std::thread([h] {
      std::this_thread::sleep_for(std::chrono::milliseconds(7));
      gPostedAt = Clock::now().time_since_epoch().count();
      PostMessage(h, WM_USER, 0, 0);
    });
    return 1;
  }
  if (msg == WM_USER)
  {
    gLatencyMs = std::chrono::duration<double, std::milli>(Clock::now().time_since_epoch() -
                                                           Clock::duration(gPostedAt.load()))
                     .count();
    EndDialog(h, 1);
  }
  return 0;
}

WINL_DialogResourceIndex gDialog{reinterpret_cast<const char*>(1), "Latency", 12, nullptr, 100, 50, nullptr};

void BM_DeliveryDuringModalDialog(benchmark::State& state)
{
  WINL_Internal_PostMessage_Init();
  double worst = 0;
  for (auto _ : state)
  {
    WINL_DialogBox(&gDialog, gDialog.resid, nullptr, LatencyDialog, 0);
    gMidiThread.join();
    worst = std::max(worst, gLatencyMs);
    state.SetIterationTime(gLatencyMs / 1000.0);
  }
  state.counters["worst ms"] = worst;
  state.counters["tick ms"] = kTickMs;
  if (worst > kTickMs) state.SkipWithError("a message waited longer than one tick");
}
BENCHMARK(BM_DeliveryDuringModalDialog)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(20);
}  // namespace

BENCHMARK_MAIN();
