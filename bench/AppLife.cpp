// The lives of a program on a display that the start benchmarks share: see
// AppLife.h.
#include "bench/AppLife.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xdamage.h>

#include <poll.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <set>
#include <thread>

namespace
{
// The editor's panels show far more colours than an empty window or its
// menu bar on a coarse grid of samples.
constexpr int kSampleStep = 16;
constexpr size_t kDrawnColours = 32;

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

}  // namespace

double MsSince(Clock::time_point start)
{
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

long ResidentKB(pid_t pid)
{
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
  return -1;
}

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

double At(const Life& life, const std::string& stage)
{
  if (stage.empty()) return 0;
  if (stage == "frame") return life.firstFrameMs;
  double at = 0;
  for (const auto& [name, ms] : life.marksMs)
    if (name == stage) at = ms;
  return at;
}

double Artwork(const Life& life)
{
  for (const auto& [name, ms] : life.marksMs)
    if (name == "artwork_us") return ms;
  return 0;
}

bool LiveOnce(Display* display, const Program& program, const std::string& home, Life& life, std::string& error,
              const LifeVisit& visit)
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
  // The window's pixels are read when it shows and each time the server
  // reports it drawn to: reading them on a clock would load the display
  // and the cores the program starts on, longer for a longer start.
  int damageEvent = 0, damageError = 0;
  const bool damageReports = XDamageQueryExtension(display, &damageEvent, &damageError);
  Window shown = None;
  Damage damage = None;
  const Clock::time_point giveUp = start + std::chrono::seconds(60);
  bool quiet = false;  // nothing came for a while: look all the same
  while (Clock::now() < giveUp && life.firstFrameMs == 0)
  {
    bool drawn = quiet;
    while (XPending(display))
    {
      XEvent event;
      XNextEvent(display, &event);
      if (event.type == MapNotify && shown == None && WindowPid(display, event.xmap.window) == pid)
      {
        shown = event.xmap.window;
        if (damageReports) damage = XDamageCreate(display, shown, XDamageReportNonEmpty);
        drawn = true;
      }
      else if (damageReports && event.type == damageEvent + XDamageNotify)
      {
        XDamageSubtract(display, damage, None, None);
        drawn = true;
      }
    }
    if (shown != None && (drawn || !damageReports) && ColoursShown(display, shown) >= kDrawnColours)
      life.firstFrameMs = MsSince(start);
    else if (damageReports)
    {
      pollfd connection{ConnectionNumber(display), POLLIN, 0};
      XFlush(display);
      quiet = !XPending(display) && poll(&connection, 1, 100) == 0;
    }
    else
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  if (damage != None) XDamageDestroy(display, damage);
  XSelectInput(display, DefaultRootWindow(display), NoEventMask);
  XSync(display, True);
  if (life.firstFrameMs == 0)
  {
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    error = program.editor ? "the window never showed its panels" : "the bare window never showed";
    return false;
  }
  // Whatever start-up left to settle (the last program sent, caches filled).
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  if (visit)
  {
    if (!visit(shown, error))
    {
      kill(pid, SIGTERM);
      waitpid(pid, nullptr, 0);
      return false;
    }
    // And what the visit left to settle.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
  }
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

void StartsSideBySide(benchmark::State& state, const Program& bare, const Program& editor, std::vector<Life>& bareLives,
                      std::vector<Life>& lives)
{
  Display* display = OpenBenchDisplay(state);
  if (!display) return;
  const std::string home = MakeHome();
  std::ofstream(SettingsFile(home)) << "[program]\nlastfile=" << home << "/01_Init.pr3\n";
  for (auto _ : state)
  {
    Life bareLife, life;
    std::string error;
    if (!LiveOnce(display, bare, home, bareLife, error) || !LiveOnce(display, editor, home, life, error))
    {
      state.SkipWithError(error.c_str());
      break;
    }
    state.SetIterationTime(life.firstFrameMs / 1000.0);
    lives.push_back(life);
    bareLives.push_back(bareLife);
  }
  XCloseDisplay(display);
  std::system(("rm -rf '" + home + "'").c_str());
}
