// The MIDI threads, the timer thread and the main thread all read and write
// settings; the store's mutex must keep every file whole and every write kept.
#include "winl/ini/WINL_Ini.h"

#include "IniTestFiles.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace
{
TEST(WinlIniThreaded, ConcurrentWritersKeepEveryKey)
{
  TempDir dir;
  const std::string shared = dir.File("settings.ini");
  constexpr int kWriters = 4;
  constexpr int kRounds = 60;
  std::vector<int> failures(kWriters + 1, 0);
  std::vector<std::thread> threads;
  for (int t = 0; t < kWriters; ++t)
  {
    threads.emplace_back([&, t] {
      const std::string key = "key" + std::to_string(t);
      for (int i = 0; i < kRounds; ++i)
      {
        const std::string value = std::to_string(t) + ":" + std::to_string(i);
        if (!WritePrivateProfileString("midi", key.c_str(), value.c_str(), shared.c_str()))
          ++failures[t];
        if (IniRead("midi", key.c_str(), shared) != value) ++failures[t];
      }
    });
  }
  // Meanwhile more files than the cache has slots, so slots are evicted
  // while the writers use theirs.
  threads.emplace_back([&] {
    for (int round = 0; round < 3; ++round)
      for (int f = 0; f < 40; ++f)
      {
        const std::string path = dir.File("other" + std::to_string(f) + ".ini");
        const std::string value = std::to_string(round);
        if (!WritePrivateProfileString("s", "k", value.c_str(), path.c_str()))
          ++failures[kWriters];
        if (IniRead("s", "k", path) != value) ++failures[kWriters];
      }
  });
  for (std::thread& t : threads) t.join();

  for (int t = 0; t <= kWriters; ++t) EXPECT_EQ(failures[t], 0) << "thread " << t;
  std::string want = "[midi]\n";
  for (int t = 0; t < kWriters; ++t)
    want += "key" + std::to_string(t) + "=" + std::to_string(t) + ":" + std::to_string(kRounds - 1) + "\n";
  EXPECT_EQ(ReadWholeFile(shared), want + "\n");
  for (int f = 0; f < 40; ++f)
    EXPECT_EQ(ReadWholeFile(dir.File("other" + std::to_string(f) + ".ini")), "[s]\nk=2\n\n") << f;
  EXPECT_EQ(FolderEntries(dir.Path()).size(), 82u);  // each file and its lock file
}
}  // namespace
