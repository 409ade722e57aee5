// The editor's classic look as the user meets it: the first full draw after
// the GUI build, and the redraw after a whole program is loaded (the
// program applied, the view-layout hook, one frame). Budget lines follow
// the run: 8 ms each.
#include "editor/ZephraEditor.h"
#include "editor/ZephraEditorGraphics.h"
#include "editor/ZephraPanels.h"
#include "graphics/IGraphicsHeadless.h"
#include "graphics/resize/IUnitGUIResize.h"
#include "synth/ZephraTables.h"

#include <benchmark/benchmark.h>

#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

namespace
{

// An editor with the classic look on a headless surface, its settings in a
// folder of its own that goes with it.
struct Editor
{
  Editor()
  {
    char folder[] = "/tmp/zephra-bench-XXXXXX";
    if (mkdtemp(folder)) mFolder = folder;
    ZephraEditorSetup setup;
    setup.settingsFolder = mFolder;
    setup.runTimer = false;
    IUnitGUIResize::ResetProcessStateForTest();
    setup.buildGui = [this](ZephraEditor& e) {
      gui = new IGraphicsHeadless(&e, 1140, 800);
      ZephraSetUpGui(e, gui, [](ZephraEditor& editor, IGraphics& g) { editor.CreateGUI(false, &g); });
      gui->OpenWindow(nullptr);
      gui->RescaleBitmaps(1.0);
    };
    editor = std::make_unique<ZephraEditor>(IUnitInstanceInfo(), setup);
  }
  ~Editor()
  {
    editor.reset();
    if (!mFolder.empty()) std::system(("rm -rf '" + mFolder + "'").c_str());
  }
  void Frame()
  {
    gui->RunFrame();
  }
  // Two programs that differ in every panel-steering value, by turns.
  void LoadProgram(int turn)
  {
    ZephraModel::ProgramValues values = kDefaultProgram;
    for (int r = 0; r < ProgramIndex(kParamFlexi1Source); ++r)
      values[r] = turn % 2 ? kProgramMax[r] : kProgramMin[r];
    values[ProgramIndex(kParamMidiSync)] = turn % 2 ? 3 : 0;
    values[ProgramIndex(kParamDelayVintageLong)] = turn % 2;
    editor->ApplyProgram(values);
    editor->SetGUILayout(0, 1140, 800);
    Frame();
  }

  std::string mFolder;
  IGraphicsHeadless* gui = nullptr;  // owned by the editor
  std::unique_ptr<ZephraEditor> editor;
};

void FirstDraw(benchmark::State& state)
{
  for (auto _ : state)
  {
    state.PauseTiming();
    auto e = std::make_unique<Editor>();
    state.ResumeTiming();
    e->Frame();
    state.PauseTiming();
    e.reset();
    IGraphics::ClearCachesForTest();
    state.ResumeTiming();
  }
}
BENCHMARK(FirstDraw)->Unit(benchmark::kMillisecond)->Iterations(5);

void ProgramLoadRedraw(benchmark::State& state)
{
  Editor e;
  e.Frame();
  int turn = 0;
  for (auto _ : state) e.LoadProgram(turn++);
}
BENCHMARK(ProgramLoadRedraw)->Unit(benchmark::kMillisecond);

template <class Fn>
double Milliseconds(Fn fn)
{
  const auto t0 = std::chrono::steady_clock::now();
  fn();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

void PrintBudgets()
{
  double first = 0, load = 0;
  for (int i = 0; i < 5; ++i)
  {
    Editor e;
    first += Milliseconds([&] { e.Frame(); }) / 5;
    load += Milliseconds([&] { e.LoadProgram(i + 1); }) / 5;
  }
  IGraphics::ClearCachesForTest();
  printf("\nbudgets: first full draw of the classic look %.2f ms (8), whole-program load's redraw %.2f ms (8)\n",
         first, load);
}

}  // namespace

int main(int argc, char** argv)
{
  setenv("ZEPHRA_RESOURCES_DIR", ZEPHRA_BUILD_RESOURCES, 0);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  PrintBudgets();
  return 0;
}
