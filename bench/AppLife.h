// A program's life on a display as the start benchmarks see it from outside:
// started with a home of its own, the time to its first frame on the screen
// (its window shows many colours), its resident memory once shown (the sound
// server's shared memory counted apart) and the time from SIGTERM to its
// exit. The editor also writes the marks of its start.
#pragma once

#include <benchmark/benchmark.h>

#include <X11/Xlib.h>

#include <sys/types.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <string>
#include <utility>
#include <vector>

using Clock = std::chrono::steady_clock;

struct Life
{
  double firstFrameMs = 0, residentMB = 0, serverMB = 0, quitMs = 0;
  std::vector<std::pair<std::string, double>> marksMs;  // the editor's start marks, from the process's start
};

// What one start runs: the program, and whether it is the editor (which
// must end cleanly with its last program saved).
struct Program
{
  const char* path;
  bool editor;
};

double MsSince(Clock::time_point start);
// The process's resident memory (VmRSS), and the part of it that is the
// sound server's shared memory, which every client of the server maps (its
// size set by the server's port limit, over 100 MB for a server started
// with the default one); -1 and 0 once the process is gone.
long ResidentKB(pid_t pid);
long SoundServerKB(pid_t pid);

// The last time the stage was noted in a life (0 for "", the process's
// start; the first frame for "frame").
double At(const Life& life, const std::string& stage);
// The editor's own total of its artwork's time (not a mark on its clock).
double Artwork(const Life& life);

// What a life does once the program shows, before its memory is read: the
// program's shown window; false, with the reason, when it could not.
using LifeVisit = std::function<bool(Window shown, std::string& error)>;

// One life of the program in home; false, with the reason, when it did not
// show, the visit failed, or it did not end as it should.
bool LiveOnce(Display* display, const Program& program, const std::string& home, Life& life, std::string& error,
              const LifeVisit& visit = {});

// The display the programs show on; null, with the benchmark skipped, when
// there is none.
Display* OpenBenchDisplay(benchmark::State& state);
// A fresh home with the settings folder and a last program to come back
// to, which the end saves again.
std::string MakeHome();
std::string SettingsFile(const std::string& home);

// Starts bare and then editor in turn, once per iteration of state, in a
// home of their own with a last program to come back to, and adds their
// lives to bareLives and lives, the iteration's time being the editor's to
// its first frame. Skips the benchmark at the first life that fails.
void StartsSideBySide(benchmark::State& state, const Program& bare, const Program& editor, std::vector<Life>& bareLives,
                      std::vector<Life>& lives);

template <class Of>
double Median(const std::vector<Life>& lives, Of of)
{
  std::vector<double> values;
  for (const Life& life : lives) values.push_back(of(life));
  std::sort(values.begin(), values.end());
  return values.empty() ? 0 : values[values.size() / 2];
}
