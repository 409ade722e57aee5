// Which of this process's threads the server's cycles wake: a client that
// joins the cycles has a thread that the server wakes once every cycle.
#pragma once

#include "core/JackServerWatch.h"
#include "support/WaitFor.h"

#include <dirent.h>

#include <chrono>
#include <cstdint>
#include <fstream>
#include <map>
#include <string>
#include <thread>

// Each living thread's voluntary context switches, by thread id.
inline std::map<std::string, long> VoluntarySwitchesByThread()
{
  std::map<std::string, long> switches;
  DIR* tasks = opendir("/proc/self/task");
  if (!tasks) return switches;
  while (const dirent* entry = readdir(tasks))
  {
    if (entry->d_name[0] == '.') continue;
    std::ifstream status(std::string("/proc/self/task/") + entry->d_name + "/status");
    const std::string key = "voluntary_ctxt_switches:";
    for (std::string line; std::getline(status, line);)
      if (line.compare(0, key.size(), key) == 0) switches[entry->d_name] = std::stol(line.substr(key.size()));
  }
  closedir(tasks);
  return switches;
}

// How many threads were woken at least four times in five cycles over the
// next `cycles` that watch counts, looked at every 100 ms; -1 when the
// cycles do not run. Threads that poll more often than the cycles run
// would count too: the ports' own poll every 100 ms at most while idle.
inline int ThreadsWokenEachCycle(const JackServerWatch& watch, uint64_t cycles)
{
  const uint64_t from = watch.Cycles();
  const std::map<std::string, long> before = VoluntarySwitchesByThread();
  const auto deadline = std::chrono::steady_clock::now() + kBusyLimit;
  while (watch.Cycles() < from + cycles)
  {
    if (std::chrono::steady_clock::now() > deadline) return -1;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  const uint64_t ran = watch.Cycles() - from;
  int woken = 0;
  for (const auto& [thread, switches] : VoluntarySwitchesByThread())
  {
    const auto earlier = before.find(thread);
    if (earlier != before.end() && static_cast<uint64_t>(switches - earlier->second) * 5 >= ran * 4) ++woken;
  }
  return woken;
}
