// The program as the user meets it, on a display, beside a bare GTK 3
// program (bare/BareGtkWindow.c: a window of the editor's size with one
// drawing area that paints itself): from each process's start to its first
// frame on the screen (the editor's artwork already built and its MIDI
// output open; its inputs open after that frame, and the bench says how
// much later), the editor's resident memory once it shows, and the
// time from the request to end (SIGTERM, which ends it as Quit does) to its
// exit with the last program and the settings saved. Each iteration starts
// the bare program and then the editor, so both meet the same state of the
// machine; the editor's start is set against the bare one's as a ratio of
// their medians, with where the editor's time goes (the marks its shell
// writes when $ZEPHRA_START_MARKS names a file). The memory goal is for the
// editor's own: the sound server's shared memory, which the MIDI ports map,
// is the server's to size and is reported beside it. The same is measured
// at every GUI scale: the eight of the View menu, one fitted to a smaller
// screen and one a corner drag leaves, each stored before the start; and
// 100 % once more after a visit to 200 %, set against the start at 100 %.
#include "bench/AppLife.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

namespace
{
// The editor's first frame within twice the bare window's, its own memory
// within 80 MB, its end with the state saved within 300 ms.
constexpr double kFirstFrameGoalRatio = 2.0;
constexpr double kMemoryBudgetMB = 80;
constexpr double kQuitBudgetMs = 300;

std::vector<Life> gLives, gBareLives;

void BM_ProgramLife(benchmark::State& state)
{
  StartsSideBySide(state, {ZEPHRA_BARE_WINDOW_APP, false}, {ZEPHRA_EDITOR_APP, true}, gBareLives, gLives);
  if (gLives.empty()) return;
  double memory = 0, quit = 0;
  for (const Life& life : gLives)
  {
    memory = std::max(memory, life.residentMB);
    quit = std::max(quit, life.quitMs);
  }
  state.counters["resident_MB"] = memory;
  state.counters["quit_ms"] = quit;
}
BENCHMARK(BM_ProgramLife)->UseManualTime()->Iterations(7)->Unit(benchmark::kMillisecond);

// The scales the memory is measured at: the View menu's eight, the one a
// 1366x768 screen is fitted to, and one a drag of the corner left.
constexpr const char* kScales[] = {"0.7", "0.8", "0.9", "1.0", "1.1", "1.2", "1.3", "2.0",
                                   "0.928750000000000", "0.748969072164948"};
constexpr const char* kScaleKinds[] = {"menu", "menu", "menu", "menu", "menu", "menu", "menu", "menu", "fitted",
                                       "dragged"};
struct ScaleLife
{
  std::string stored, used;
  Life life;
};
std::vector<ScaleLife> gScaleLives;

// The scale the settings hold now ("" for none).
std::string StoredScale(const std::string& settingsFile)
{
  std::ifstream in(settingsFile);
  std::string line;
  while (std::getline(in, line))
    if (line.rfind("guiscale=", 0) == 0) return line.substr(9);
  return std::string();
}

// One start of the editor at each scale in turn: its resident memory once
// shown, the sound server's shared memory apart. On a screen too small for
// a scale the editor fits it down; the scale it used is reported.
void BM_MemoryAtScale(benchmark::State& state)
{
  const size_t index = static_cast<size_t>(state.range(0));
  Display* display = OpenBenchDisplay(state);
  if (!display) return;
  const std::string home = MakeHome();
  for (auto _ : state)
  {
    std::ofstream(SettingsFile(home)) << "[program]\nlastfile=" << home << "/01_Init.pr3\n[gui]\nguiscale="
                                             << kScales[index] << "\n";
    Life life;
    std::string error;
    if (!LiveOnce(display, {ZEPHRA_EDITOR_APP, true}, home, life, error))
    {
      state.SkipWithError(error.c_str());
      break;
    }
    state.SetIterationTime(life.firstFrameMs / 1000.0);
    gScaleLives.push_back({kScales[index], StoredScale(SettingsFile(home)), life});
    state.counters["own_MB"] = life.residentMB - life.serverMB;
    state.counters["server_MB"] = life.serverMB;
  }
  XCloseDisplay(display);
  std::system(("rm -rf '" + home + "'").c_str());
}
BENCHMARK(BM_MemoryAtScale)
  ->DenseRange(0, static_cast<int>(std::size(kScales)) - 1)
  ->UseManualTime()
  ->Iterations(1)
  ->Unit(benchmark::kMillisecond);

// The editor at 100 % after a visit to 200 %, chosen from the View menu by
// its keys (F10 opens the bar on File; View is two to the right, its
// scales 70 % .. 200 % its first eight items): its memory once back, which
// is to come within 5 MB of a start at 100 %. The menu's first opening
// costs the toolkit's own memory (its icon and theme code), whatever is
// chosen: a start that only chooses 100 % from it is the measure, and the
// plain start is shown beside it.
constexpr double kBackFromLargerBudgetMB = 5;
std::vector<Life> gBackLives, gMenuOnlyLives;

// Chooses the View menu's item (0 for 70 %) by keys and waits until the
// settings hold scale and the window is as wide as the GUI at it.
bool ChooseScale(Display* display, Window shown, const std::string& home, int item, const char* scale, int width,
                 std::string& error)
{
  XSetInputFocus(display, shown, RevertToParent, CurrentTime);
  XSync(display, False);
  std::string keys = "xdotool key --delay 150 F10 Right Right";
  for (int i = 0; i <= item; ++i) keys += " Down";
  keys += " Return";
  if (std::system(keys.c_str()) != 0)
  {
    error = "xdotool could not press the View menu's keys";
    return false;
  }
  const Clock::time_point giveUp = Clock::now() + std::chrono::seconds(60);
  while (Clock::now() < giveUp)
  {
    XWindowAttributes attributes;
    if (StoredScale(SettingsFile(home)) == scale && XGetWindowAttributes(display, shown, &attributes) &&
        attributes.width == width)
      return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  error = std::string("the View menu's keys did not set the scale ") + scale;
  return false;
}

// range(0): 1 visits 200 % before 100 %, 0 only chooses 100 %.
void BM_MemoryBackFromALargerScale(benchmark::State& state)
{
  const bool visits = state.range(0) == 1;
  Display* display = OpenBenchDisplay(state);
  if (!display) return;
  const std::string home = MakeHome();
  for (auto _ : state)
  {
    std::ofstream(SettingsFile(home)) << "[program]\nlastfile=" << home
                                      << "/01_Init.pr3\n[gui]\nguiscale=1.000000000000000\n";
    Life life;
    std::string error;
    const LifeVisit visit = [&](Window shown, std::string& why) {
      return (!visits || ChooseScale(display, shown, home, 7, "2.000000000000000", 2280, why)) &&
             ChooseScale(display, shown, home, 3, "1.000000000000000", 1140, why);
    };
    if (!LiveOnce(display, {ZEPHRA_EDITOR_APP, true}, home, life, error, visit))
    {
      state.SkipWithError(error.c_str());
      break;
    }
    state.SetIterationTime(life.firstFrameMs / 1000.0);
    (visits ? gBackLives : gMenuOnlyLives).push_back(life);
    state.counters["own_MB"] = life.residentMB - life.serverMB;
  }
  XCloseDisplay(display);
  std::system(("rm -rf '" + home + "'").c_str());
}
BENCHMARK(BM_MemoryBackFromALargerScale)
  ->DenseRange(0, 1)
  ->UseManualTime()
  ->Iterations(3)
  ->Unit(benchmark::kMillisecond);

void Verdict(const char* what, double worst, double budget, const char* unit)
{
  std::printf("%-34s worst %7.1f %s   budget %5.0f %s   %s\n", what, worst, unit, budget, unit,
              worst <= budget ? "within" : "OVER");
}

// The median of the time between two of the editor's marks.
double MedianSpan(const char* from, const char* to)
{
  return Median(gLives, [&](const Life& life) { return At(life, to) - At(life, from); });
}

void PrintStart()
{
  const double bare = Median(gBareLives, [](const Life& l) { return l.firstFrameMs; });
  const double editor = Median(gLives, [](const Life& l) { return l.firstFrameMs; });
  const double ratio = bare > 0 ? editor / bare : 0;
  std::printf("\n%zu starts of each program, side by side (medians):\n", gLives.size());
  std::printf("  bare GTK window, start to first frame   %7.1f ms\n", bare);
  std::printf("  editor, start to first frame with panels %6.1f ms\n", editor);
  std::printf("  ratio editor / bare %5.2f   goal <= %.2f   %s\n", ratio, kFirstFrameGoalRatio,
              ratio <= kFirstFrameGoalRatio ? "met" : "OVER");
  const double artwork = Median(gLives, [](const Life& l) { return Artwork(l); });
  const double build =
    Median(gLives, [](const Life& l) { return At(l, "window") - At(l, "midi_output") - Artwork(l); });
  std::printf("  where the editor's start goes (medians of each part):\n");
  std::printf("    exec and GTK init        %7.1f ms\n", MedianSpan("", "toolkit"));
  std::printf("    settings, to the launch  %7.1f ms\n", MedianSpan("toolkit", "launch"));
  std::printf("    artwork (read, resampled) %6.1f ms\n", artwork);
  std::printf("    GUI build and attach     %7.1f ms\n", build);
  std::printf("    MIDI output              %7.1f ms\n", MedianSpan("launch", "midi_output"));
  std::printf("    first draw to the screen %7.1f ms\n", MedianSpan("window", "frame"));
  std::printf("  after the first frame:\n");
  std::printf("    MIDI inputs opened       %7.1f ms later\n", MedianSpan("frame", "midi_inputs"));
}
}  // namespace

void PrintScales()
{
  if (gScaleLives.empty()) return;
  std::printf("\nresident memory once shown, by GUI scale (the sound server's shared memory apart):\n");
  std::printf("  %-8s %-18s %-18s %9s %9s %9s\n", "kind", "stored", "used", "own MB", "server MB", "total MB");
  double worst = 0;
  for (const ScaleLife& s : gScaleLives)
  {
    size_t kind = 0;
    while (kind + 1 < std::size(kScales) && s.stored != kScales[kind]) ++kind;
    const double own = s.life.residentMB - s.life.serverMB;
    worst = std::max(worst, own);
    std::printf("  %-8s %-18s %-18s %9.1f %9.1f %9.1f\n", kScaleKinds[kind], s.stored.c_str(), s.used.c_str(), own,
                s.life.serverMB, s.life.residentMB);
  }
  Verdict("resident memory at any scale, own", worst, kMemoryBudgetMB, "MB");
}

void PrintBackFromLarger()
{
  if (gBackLives.empty() || gMenuOnlyLives.empty()) return;
  const auto own = [](const Life& l) { return l.residentMB - l.serverMB; };
  const double back = Median(gBackLives, own), menuOnly = Median(gMenuOnlyLives, own);
  std::printf("\nresident memory at 100 %%, own (medians of %zu):\n", gBackLives.size());
  for (const ScaleLife& s : gScaleLives)
    if (s.stored == "1.0") std::printf("  started at 100 %%                         %7.1f MB\n", own(s.life));
  std::printf("  started, 100 %% chosen from the View menu  %7.1f MB\n", menuOnly);
  std::printf("  started, 200 %% and then 100 %% chosen      %7.1f MB\n", back);
  Verdict("100 % after 200 %, more than 100 %", back - menuOnly, kBackFromLargerBudgetMB, "MB");
}

int main(int argc, char** argv)
{
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  PrintScales();
  PrintBackFromLarger();
  if (gLives.empty()) return 0;
  double memory = 0, server = 0, own = 0, quit = 0;
  for (const Life& life : gLives)
  {
    memory = std::max(memory, life.residentMB);
    server = std::max(server, life.serverMB);
    own = std::max(own, life.residentMB - life.serverMB);
    quit = std::max(quit, life.quitMs);
  }
  PrintStart();
  std::printf("\nresident memory once shown         worst %7.1f MB, of which the sound server's %.1f MB"
              " (bare window: %.1f MB)\n",
              memory, server, Median(gBareLives, [](const Life& l) { return l.residentMB; }));
  Verdict("resident memory, the editor's own", own, kMemoryBudgetMB, "MB");
  Verdict("end request to exit, state saved", quit, kQuitBudgetMs, "ms");
  return 0;
}
