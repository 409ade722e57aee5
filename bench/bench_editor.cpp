// The parameter-change handler's share of a knob-drag frame: one change of
// a program value through the handler, with its NRPN data byte (the address
// stands after the first step) and its value caption, measured against the
// 1 ms the handler may take of a frame. The panels keep the caption text as
// a text control would; the MIDI output goes nowhere.
#include "core/IGraphicsLink.h"
#include "editor/ZephraEditor.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

namespace
{
constexpr double kBudgetMs = 1.0;

struct NullGraphics : IGraphicsLink
{
  int Width() const override { return 1140; }
  int Height() const override { return 800; }
  void PrepDraw() override {}
  void SetParameterFromPlug(int, double, bool) override {}
  void AttachGUIResize(IGUIResizeLink*) override {}
  void StoreLiveLayout(ILiveLayoutState*) override {}
};

struct CaptionPanels : ZephraPanelLink
{
  void SetValueCaption(int /*programIndex*/, const char* text) override { caption = text; }
  std::string caption;
};

struct Editor
{
  Editor()
  {
    folder = std::filesystem::temp_directory_path() / ("zephra-bench-editor-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    ZephraEditorSetup setup;
    setup.settingsFolder = folder.string();
    setup.runTimer = false;
    setup.buildGui = [](ZephraEditor& e) {
      e.AttachGraphics(new NullGraphics);
      e.SetPanels(std::make_unique<CaptionPanels>());
    };
    IUnitInstanceInfo info;
    editor = std::make_unique<ZephraEditor>(info, setup);
  }
  ~Editor()
  {
    editor.reset();
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  }
  // One step of a drag over VCO1 coarse (-24..48), back and forth.
  void DragFrame(int step)
  {
    const int v = step % 144 < 72 ? step % 72 - 24 : 48 - step % 72;
    editor->SetParameterFromGUI2(kParamVco1Coarse, v);
  }
  std::filesystem::path folder;
  std::unique_ptr<ZephraEditor> editor;
};

void BM_HandlerKnobDragFrame(benchmark::State& state)
{
  Editor editor;
  int step = 0;
  for (auto _ : state) editor.DragFrame(++step);
}
BENCHMARK(BM_HandlerKnobDragFrame)->Unit(benchmark::kMicrosecond);

void PrintBudget()
{
  Editor editor;
  constexpr int kFrames = 20000;
  const auto t0 = std::chrono::steady_clock::now();
  for (int i = 1; i <= kFrames; ++i) editor.DragFrame(i);
  const double ms =
    std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count() / kFrames;
  printf("handler knob-drag frame %.4f ms; budget %.1f ms: %.2f%% of it\n", ms, kBudgetMs,
         100.0 * ms / kBudgetMs);
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
