// The database's job line: a newer list gives up the older lists, never a
// job the user asked for by itself (a save, an upload, a load).
#include "synth/DatabaseJobs.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

namespace
{
// Jobs that note their name when their apply step runs; the first one holds
// the line until released (or given up).
struct Line
{
  DatabaseJobs jobs;
  std::string applied;
  std::atomic<bool> started{false};
  std::atomic<bool> release{false};

  DatabaseJobs::Work Job(const std::string& name, bool holds)
  {
    return [this, name, holds](const std::atomic<bool>& cancelled) {
      started = true;
      while (holds && !release.load() && !cancelled.load()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
      return DatabaseJobs::Apply([this, name] { applied += name + ";"; });
    };
  }
  void Post(char kind, const std::string& name, bool holds = false)
  {
    if (kind == 'L')
      jobs.PostList(Job(name, holds));
    else
      jobs.Post(Job(name, holds));
  }
  bool WaitStarted()
  {
    for (int i = 0; i < 10000 && !started.load(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return started.load();
  }
};
}  // namespace

// Each case: jobs posted while the first one runs ("A" a job asked for,
// "L" a list), then what was applied once the line is empty.
TEST(DatabaseJobs, ANewerListGivesUpOnlyOlderLists)
{
  struct Case { const char* name; const char* posts; const char* applied; } const kCases[] = {
      {"a list while a save runs", "A L", "0;1;"},
      {"a list while a list runs", "L L", "1;"},
      {"a list while a save waits", "L A L", "1;2;"},
      {"a list while a load and a list wait", "A A L L", "0;1;3;"},
      {"a save after a list", "L A", "0;1;"},
      {"three lists", "L L L", "2;"},
  };
  for (const Case& c : kCases)
  {
    Line line;
    const std::string posts = c.posts;
    int n = 0;
    for (size_t i = 0; i < posts.size(); i += 2, ++n)
    {
      line.Post(posts[i], std::to_string(n), n == 0);
      if (n == 0)
      {
        ASSERT_TRUE(line.WaitStarted()) << c.name;
      }
    }
    line.release = true;
    ASSERT_TRUE(line.jobs.WaitIdle(10000)) << c.name;
    (void)line.jobs.RunFinished();
    EXPECT_EQ(line.applied, c.applied) << c.name;
  }
}

// A finished job whose apply step has not run yet: a newer list drops an
// older list's step, never a save's.
TEST(DatabaseJobs, ANewerListKeepsTheStepOfASaveNotYetApplied)
{
  Line line;
  line.Post('A', "save");
  line.Post('L', "old");
  ASSERT_TRUE(line.jobs.WaitIdle(10000));
  line.Post('L', "new");
  ASSERT_TRUE(line.jobs.WaitIdle(10000));
  (void)line.jobs.RunFinished();
  EXPECT_EQ(line.applied, "save;new;");
}
