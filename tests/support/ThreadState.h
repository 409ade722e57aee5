// Whether a thread of this process sleeps in the kernel: a test that must
// know that a thread has come to block (on a semaphore, a condition) waits
// for this rather than for a fixed time.
#pragma once

#include <dirent.h>
#include <sys/syscall.h>
#include <sys/types.h>
#include <unistd.h>

#include <fstream>
#include <string>

// The calling thread's id, as /proc/self/task names it.
inline pid_t ThisThreadId()
{
  return static_cast<pid_t>(syscall(SYS_gettid));
}

// True while thread tid is asleep ("S"): blocked, not running or ready to run.
inline bool ThreadSleeps(pid_t tid)
{
  std::ifstream stat("/proc/self/task/" + std::to_string(tid) + "/stat");
  std::string line;
  std::getline(stat, line);
  // The state follows the thread's name, which is in parentheses and may
  // hold spaces or parentheses itself.
  const size_t close = line.rfind(')');
  return close != std::string::npos && close + 2 < line.size() && line[close + 2] == 'S';
}

// True while every thread of this process but the calling one sleeps.
inline bool OtherThreadsSleep()
{
  const pid_t self = ThisThreadId();
  DIR* tasks = opendir("/proc/self/task");
  if (!tasks) return false;
  bool asleep = true;
  while (const dirent* entry = readdir(tasks))
  {
    if (entry->d_name[0] == '.') continue;
    const pid_t tid = static_cast<pid_t>(std::stol(entry->d_name));
    if (tid != self && !ThreadSleeps(tid)) asleep = false;
  }
  closedir(tasks);
  return asleep;
}
