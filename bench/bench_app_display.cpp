// The program as the user meets it, on a display, beside a bare GTK 3
// program (bare/BareGtkWindow.c: a window of the editor's size with one
// drawing area that paints itself): from each process's start to its first
// frame on the screen (the editor's artwork already built, its MIDI ports
// probed on the way), the editor's resident memory once it shows, and the
// time from the request to end (SIGTERM, which ends it as Quit does) to its
// exit with the last program and the settings saved. Each iteration starts
// the bare program and then the editor, so both meet the same state of the
// machine; the editor's start is set against the bare one's as a ratio of
// their medians, with where the editor's time goes (the marks its shell
// writes when $ZEPHRA_START_MARKS names a file). The memory goal is for the
// editor's own: the sound server's shared memory, which the MIDI ports map,
// is the server's to size and is reported beside it. The same is measured
// at every GUI scale: the eight of the View menu, one fitted to a smaller
// screen and one a corner drag leaves, each stored before the start.
#include <benchmark/benchmark.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace
{
using Clock = std::chrono::steady_clock;

// The editor's first frame within twice the bare window's, its own memory
// within 80 MB, its end with the state saved within 300 ms.
constexpr double kFirstFrameGoalRatio = 2.0;
constexpr double kMemoryBudgetMB = 80;
constexpr double kQuitBudgetMs = 300;
// The editor's panels show far more colours than an empty window or its
// menu bar on a coarse grid of samples.
constexpr int kSampleStep = 16;
constexpr size_t kDrawnColours = 32;

struct Life
{
  double firstFrameMs = 0, residentMB = 0, serverMB = 0, quitMs = 0;
  std::vector<std::pair<std::string, double>> marksMs;  // the editor's start marks, from the process's start
};
std::vector<Life> gLives, gBareLives;

double MsSince(Clock::time_point start)
{
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

long WindowPid(Display* display, Window window)
{
  const Atom pidAtom = XInternAtom(display, "_NET_WM_PID", True);
  if (pidAtom == None) return -1;
  Atom type;
  int format;
  unsigned long count, after;
  unsigned char* data = nullptr;
  long pid = -1;
  if (XGetWindowProperty(display, window, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &count, &after, &data) ==
        Success &&
      data && count == 1)
    pid = static_cast<long>(*reinterpret_cast<unsigned long*>(data));
  if (data) XFree(data);
  return pid;
}

// Distinct colours on a coarse grid of the window's current pixels.
size_t ColoursShown(Display* display, Window window)
{
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(display, window, &attributes) || attributes.map_state != IsViewable) return 0;
  XImage* image = XGetImage(display, window, 0, 0, static_cast<unsigned>(attributes.width),
                            static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
  if (!image) return 0;
  std::set<unsigned long> colours;
  for (int y = 0; y < attributes.height; y += kSampleStep)
    for (int x = 0; x < attributes.width; x += kSampleStep) colours.insert(XGetPixel(image, x, y));
  XDestroyImage(image);
  return colours.size();
}

long ResidentKB(pid_t pid)
{
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
  return -1;
}

// What of the resident memory is the sound server's shared memory, which
// every client of the server maps (its size set by the server's port
// limit, over 100 MB for a server started with the default one).
long SoundServerKB(pid_t pid)
{
  std::ifstream maps("/proc/" + std::to_string(pid) + "/smaps");
  std::string line;
  bool server = false;
  long kb = 0;
  while (std::getline(maps, line))
  {
    if (!line.empty() && std::isxdigit(static_cast<unsigned char>(line[0])) && line.find('-') != std::string::npos &&
        line.find(' ') > line.find('-'))
      server = line.find(" /dev/shm/jack") != std::string::npos;
    else if (server && line.rfind("Rss:", 0) == 0)
      kb += std::atol(line.c_str() + 4);
  }
  return kb;
}

int IgnoreXErrors(Display*, XErrorEvent*) { return 0; }

// The marks the editor's shell wrote to path, in ms from start, in order.
std::vector<std::pair<std::string, double>> ReadMarks(const std::string& path, Clock::time_point start)
{
  std::vector<std::pair<std::string, double>> marks;
  std::ifstream file(path);
  std::string stage;
  long long ns = 0;
  const long long origin = std::chrono::duration_cast<std::chrono::nanoseconds>(start.time_since_epoch()).count();
  while (file >> stage >> ns)
    marks.emplace_back(stage, stage == "artwork_us" ? static_cast<double>(ns) / 1e3 : static_cast<double>(ns - origin) / 1e6);
  return marks;
}

// The last time the stage was noted in a life (0 for "", the process's
// start; the first frame for "frame").
double At(const Life& life, const std::string& stage)
{
  if (stage.empty()) return 0;
  if (stage == "frame") return life.firstFrameMs;
  double at = 0;
  for (const auto& [name, ms] : life.marksMs)
    if (name == stage) at = ms;
  return at;
}

// The editor's own total of its artwork's time (not a mark on its clock).
double Artwork(const Life& life)
{
  for (const auto& [name, ms] : life.marksMs)
    if (name == "artwork_us") return ms;
  return 0;
}

// What one start runs: the program, and whether it is the editor (which
// must end cleanly with its last program saved).
struct Program
{
  const char* path;
  bool editor;
};

// One life of the program in home; false, with the reason, when it did not
// show or did not end as it should.
bool LiveOnce(Display* display, const Program& program, const std::string& home, Life& life, std::string& error)
{
  const std::string saved = home + "/Library/Application Support/ZephraEditor/lastprogram.pr3";
  const std::string marks = home + "/start-marks";
  std::remove(saved.c_str());
  std::remove(marks.c_str());
  XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
  XSync(display, True);
  const Clock::time_point start = Clock::now();
  const pid_t pid = fork();
  if (pid == 0)
  {
    setenv("HOME", home.c_str(), 1);
    setenv("ZEPHRA_START_MARKS", marks.c_str(), 1);
    execl(program.path, program.path, static_cast<char*>(nullptr));
    _exit(127);
  }
  Window shown = None;
  const Clock::time_point giveUp = start + std::chrono::seconds(60);
  while (Clock::now() < giveUp && life.firstFrameMs == 0)
  {
    while (XPending(display))
    {
      XEvent event;
      XNextEvent(display, &event);
      if (event.type == MapNotify && WindowPid(display, event.xmap.window) == pid) shown = event.xmap.window;
    }
    if (shown != None && ColoursShown(display, shown) >= kDrawnColours)
      life.firstFrameMs = MsSince(start);
    else
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  XSelectInput(display, DefaultRootWindow(display), NoEventMask);
  if (life.firstFrameMs == 0)
  {
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    error = program.editor ? "the window never showed its panels" : "the bare window never showed";
    return false;
  }
  // Whatever start-up left to settle (the last program sent, caches filled).
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  life.residentMB = static_cast<double>(ResidentKB(pid)) / 1024.0;
  life.serverMB = static_cast<double>(SoundServerKB(pid)) / 1024.0;
  life.marksMs = ReadMarks(marks, start);
  const Clock::time_point quit = Clock::now();
  kill(pid, SIGTERM);
  int status = 0;
  waitpid(pid, &status, 0);
  life.quitMs = MsSince(quit);
  if (!program.editor) return true;
  struct stat info;
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || stat(saved.c_str(), &info) != 0)
  {
    error = "the program did not end cleanly with its last program saved";
    return false;
  }
  if (At(life, "window") == 0)
  {
    error = "the editor wrote no start marks";
    return false;
  }
  return true;
}

// The display the programs show on; null, with the benchmark skipped, when
// there is none.
Display* OpenBenchDisplay(benchmark::State& state)
{
  Display* display = XOpenDisplay(nullptr);
  if (!display)
  {
    state.SkipWithError("no display");
    return nullptr;
  }
  XSetErrorHandler(IgnoreXErrors);
  return display;
}

// A fresh home with the settings folder and a last program to come back
// to, which the end saves again.
std::string MakeHome()
{
  char folder[] = "/tmp/zephra-bench-home-XXXXXX";
  const std::string home = mkdtemp(folder) ? folder : "/tmp";
  std::system(("mkdir -p -m 700 '" + home + "/Library/Application Support/ZephraEditor'").c_str());
  std::ofstream(home + "/01_Init.pr3").flush();
  return home;
}

std::string SettingsFile(const std::string& home)
{
  return home + "/Library/Application Support/ZephraEditor/settings.ini";
}

void BM_ProgramLife(benchmark::State& state)
{
  Display* display = OpenBenchDisplay(state);
  if (!display) return;
  const std::string home = MakeHome();
  std::ofstream(SettingsFile(home)) << "[program]\nlastfile=" << home << "/01_Init.pr3\n";
  for (auto _ : state)
  {
    Life bare, life;
    std::string error;
    if (!LiveOnce(display, {ZEPHRA_BARE_WINDOW_APP, false}, home, bare, error) ||
        !LiveOnce(display, {ZEPHRA_EDITOR_APP, true}, home, life, error))
    {
      state.SkipWithError(error.c_str());
      break;
    }
    state.SetIterationTime(life.firstFrameMs / 1000.0);
    gLives.push_back(life);
    gBareLives.push_back(bare);
  }
  XCloseDisplay(display);
  std::system(("rm -rf '" + home + "'").c_str());
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

void Verdict(const char* what, double worst, double budget, const char* unit)
{
  std::printf("%-34s worst %7.1f %s   budget %5.0f %s   %s\n", what, worst, unit, budget, unit,
              worst <= budget ? "within" : "OVER");
}

template <class Of>
double Median(const std::vector<Life>& lives, Of of)
{
  std::vector<double> values;
  for (const Life& life : lives) values.push_back(of(life));
  std::sort(values.begin(), values.end());
  return values.empty() ? 0 : values[values.size() / 2];
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
  const double build = Median(gLives, [](const Life& l) {
    return At(l, "editor") - At(l, "midi_output") + At(l, "window") - At(l, "midi_inputs") - Artwork(l);
  });
  std::printf("  where the editor's start goes (medians of each part):\n");
  std::printf("    exec and GTK init        %7.1f ms\n", MedianSpan("", "toolkit"));
  std::printf("    settings, to the launch  %7.1f ms\n", MedianSpan("toolkit", "launch"));
  std::printf("    artwork (read, resampled) %6.1f ms\n", artwork);
  std::printf("    GUI build and attach     %7.1f ms\n", build);
  std::printf("    MIDI ports and probing   %7.1f ms\n",
              MedianSpan("launch", "midi_output") + MedianSpan("editor", "midi_inputs"));
  std::printf("    first draw to the screen %7.1f ms\n", MedianSpan("window", "frame"));
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

int main(int argc, char** argv)
{
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  PrintScales();
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
