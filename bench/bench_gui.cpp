// The GUI surface's per-frame cost with the editor's number of controls:
// the dirty query with nothing dirty (120 times a second, so it must not
// allocate), and one frame of a knob drag (the mouse call, the dirty query,
// the repaint of the knob's area and the screen update), measured against
// the 8.3 ms a frame has at 120 frames a second.
#include "core/IUnitBase.h"
#include "graphics/IGraphicsHeadless.h"
#include "graphics/controls/IControl.h"
#include "raster/RAST_Rect.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <new>

namespace
{
std::atomic<long> gAllocations{0};
}  // namespace

// Every allocation of the program is counted, so the benchmark can tell
// that the dirty query makes none. GCC cannot see that this new and delete
// pair up over malloc and free, hence the pragma.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(size_t size)
{
  gAllocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }

namespace
{
constexpr int kWidth = 1140, kHeight = 800, kKnobs = 900, kKnob = 30, kPitch = 38;
constexpr double kBudgetMs = 1000.0 / 120.0;

class BenchUnit : public IUnitBase
{
public:
  BenchUnit()
    : IUnitBase(kKnobs, "0-1 0-2", 1, "ZephraEditor", "", "brindleaudio", 0x30600, 1, 1, 0,
                true, false, false, kAPIStandalone)
  {
  }
};

// A knob as the editor draws one: a filled face whose shade follows the value.
class BenchKnob : public IControl
{
public:
  using IControl::IControl;
  void OnMouseDrag(int, int, int, int dY, IMouseMod*) override
  {
    {
      BASE_MutexLock lock(mChangeLock);
      mValue -= dY * 0.01;
    }
    SetDirty(true);
  }
  bool Draw(IGraphics* g) override
  {
    const int shade = static_cast<int>(mValue * 255.0);
    RAST_FillRect(g->GetDrawBitmap(), mRECT.L, mRECT.T, mRECT.W(), mRECT.H(),
                  RAST_RGBA(shade, 64, 255 - shade, 255), mBlend.mWeight, 0);
    return true;
  }
};

struct Editor
{
  BenchUnit unit;
  IGraphicsHeadless* gui = new IGraphicsHeadless(&unit, kWidth, kHeight);

  Editor()
  {
    IColor panel(255, 40, 40, 48);
    gui->AttachPanelBackground(&panel);
    for (int i = 0; i < kKnobs; ++i)
    {
      const int x = 4 + (i % 30) * kPitch, y = 4 + (i / 30) * (kPitch - 12);
      gui->AttachControl(new BenchKnob(&unit, IRECT(x, y, x + kKnob, y + kKnob - 4), i));
    }
    unit.AttachGraphics(gui);
    gui->OpenWindow(nullptr);
    while (gui->RunFrame()) {}
  }

  // One drag step on knob 465 (mid-window, column 15 of row 15) and the frame that shows it.
  void DragFrame(int step)
  {
    IMouseMod mod(true, false);
    gui->OnMouseDrag(580, step % 2 ? 400 : 401, &mod);
    gui->RunFrame();
  }
};

// An awake surface (kept from resting as input does) with nothing dirty:
// every control is asked.
void BM_IsDirtyNothingDirty(benchmark::State& state)
{
  Editor editor;
  const long before = gAllocations.load();
  for (auto _ : state)
  {
    editor.gui->NoteInput();
    IRECT out;
    benchmark::DoNotOptimize(editor.gui->IsDirty(&out));
  }
  const long allocated = gAllocations.load() - before;
  state.counters["allocs"] = static_cast<double>(allocated);
  if (allocated != 0) state.SkipWithError("IsDirty allocated");
}
BENCHMARK(BM_IsDirtyNothingDirty);

// The same at rest, where nothing has changed since the last look: the
// count of changes is read instead of asking each control.
void BM_IsDirtyAtRest(benchmark::State& state)
{
  Editor editor;
  for (int frame = 0; frame < 100 && !editor.gui->Resting(); ++frame) editor.gui->RunFrame();
  if (!editor.gui->Resting())
  {
    state.SkipWithError("the editor did not come to rest");
    return;
  }
  for (auto _ : state)
  {
    IRECT out;
    benchmark::DoNotOptimize(editor.gui->IsDirty(&out));
  }
  IRECT out;
  if (editor.gui->IsDirty(&out) || !editor.gui->Resting()) state.SkipWithError("a resting look found work");
}
BENCHMARK(BM_IsDirtyAtRest);

void BM_KnobDragFrame(benchmark::State& state)
{
  Editor editor;
  IMouseMod mod(true, false);
  editor.gui->OnMouseDown(580, 400, &mod);
  int step = 0;
  for (auto _ : state) editor.DragFrame(++step);
  editor.gui->OnMouseUp(580, 400, &mod);
}
BENCHMARK(BM_KnobDragFrame)->Unit(benchmark::kMicrosecond);

// The per-frame time against the frame budget, as a plain line.
void PrintBudget()
{
  Editor editor;
  IMouseMod mod(true, false);
  editor.gui->OnMouseDown(580, 400, &mod);
  constexpr int kFrames = 2000;
  auto t0 = std::chrono::steady_clock::now();
  for (int i = 0; i < kFrames; ++i) editor.DragFrame(i);
  const double dragMs =
    std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count() / kFrames;
  t0 = std::chrono::steady_clock::now();
  for (int i = 0; i < kFrames; ++i)
  {
    IRECT out;
    benchmark::DoNotOptimize(editor.gui->IsDirty(&out));
  }
  const double quietMs =
    std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count() / kFrames;
  printf("%d controls, %dx%d: quiet frame %.4f ms, knob-drag frame %.4f ms; budget %.1f ms "
         "(120 frames/s): %.2f%% and %.2f%% of it\n",
         kKnobs + 1, kWidth, kHeight, quietMs, dragMs, kBudgetMs, 100.0 * quietMs / kBudgetMs,
         100.0 * dragMs / kBudgetMs);
}
}  // namespace

int main(int argc, char** argv)
{
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  PrintBudget();
  return 0;
}
