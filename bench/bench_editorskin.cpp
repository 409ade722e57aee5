// The editor's classic look as the user meets it: the first full draw after
// the GUI build, the redraw after a whole program is loaded (the program
// applied, the view-layout hook, one frame), and a change of scale at run
// time (View, 150 % and back to 100 %, each with its frame), and the first
// open of a closed effect panel at 200 %, whose plate is made at that draw.
// Budget lines follow the run: 8 ms for the draws, 60 ms for each change of
// scale.
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
  explicit Editor(int width = 1140, int height = 800)
  {
    char folder[] = "/tmp/zephra-bench-XXXXXX";
    if (mkdtemp(folder)) mFolder = folder;
    ZephraEditorSetup setup;
    setup.settingsFolder = mFolder;
    setup.runTimer = false;
    IUnitGUIResize::ResetProcessStateForTest();
    setup.buildGui = [this, width, height](ZephraEditor& e) {
      gui = new IGraphicsHeadless(&e, width, height);
      ZephraSetUpGui(e, gui, [](ZephraEditor& editor, IGraphics& g) { editor.CreateGUI(false, &g); });
      gui->OpenWindow(nullptr);
      gui->RescaleBitmaps(width / 1140.0);
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

// The overdrive tab clicked on a fresh editor at 200 %, and the frame that
// shows its panel (the plate made from its file there).
void FirstPanelOpen(benchmark::State& state)
{
  for (auto _ : state)
  {
    state.PauseTiming();
    auto e = std::make_unique<Editor>(2280, 1600);
    e->Frame();
    state.ResumeTiming();
    e->editor->SetParameterFromGUI2(kParamTabOverdrive, 1.0);
    e->Frame();
    state.PauseTiming();
    e.reset();
    IGraphics::ClearCachesForTest();
    state.ResumeTiming();
  }
}
BENCHMARK(FirstPanelOpen)->Unit(benchmark::kMillisecond)->Iterations(5);

// One change of scale as the View menu makes it (the scale manager's new
// ratio applied, then the view-layout hook), and the frame that shows it.
void ChangeScale(Editor& e, double scale)
{
  auto* resizer = static_cast<IUnitGUIResize*>(e.editor->GetGUIResize());
  resizer->SetGUIScaleRatio(scale);
  resizer->ResizeGraphics();
  e.editor->SetGUILayout(0, e.gui->Width(), e.gui->Height());
  e.Frame();
}

// After the first change, which resamples every image for the first
// time, each change reuses the artwork decoded before.
void ScaleChange(benchmark::State& state)
{
  Editor e;
  e.Frame();
  ChangeScale(e, 1.5);
  ChangeScale(e, 1.0);
  int turn = 0;
  for (auto _ : state) ChangeScale(e, turn++ % 2 ? 1.0 : 1.5);
}
BENCHMARK(ScaleChange)->Unit(benchmark::kMillisecond);

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
  double up = 0, down = 0;
  {
    Editor e;
    e.Frame();
    ChangeScale(e, 1.5);
    ChangeScale(e, 1.0);
    for (int i = 0; i < 5; ++i)
    {
      up += Milliseconds([&] { ChangeScale(e, 1.5); }) / 5;
      down += Milliseconds([&] { ChangeScale(e, 1.0); }) / 5;
    }
  }
  IGraphics::ClearCachesForTest();
  printf("\nbudgets: first full draw of the classic look %.2f ms (8), whole-program load's redraw %.2f ms (8)\n",
         first, load);
  printf("budgets: change of scale to 150 %% %.2f ms (60), back to 100 %% %.2f ms (60)\n", up, down);
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
