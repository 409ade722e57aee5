// The MIDI threads, the timer thread and the main thread all read and write
// settings; the store's mutex must keep every file whole and every write kept.
#include "winl/ini/WINL_Ini.h"

#include "IniTestFiles.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace
{
TEST(WinlIniThreaded, ConcurrentWritersKeepEveryKey)
{
  TempDir dir;
  const std::string shared = dir.File("settings.ini");
  std::atomic<int> failures{0};
  // Writes value and reads it back.
  auto store = [&](const std::string& path, const char* section, const char* key,
                   const std::string& value) {
    const bool stored = WritePrivateProfileString(section, key, value.c_str(), path.c_str());
    failures += !stored || IniRead(section, key, path) != value;
  };
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&, t] {
      const std::string key = "key" + std::to_string(t);
      for (int i = 0; i < 60; ++i)
        store(shared, "midi", key.c_str(), key + ":" + std::to_string(i));
    });
  // Meanwhile more files than the cache has slots, so slots are evicted
  // while the writers use theirs.
  threads.emplace_back([&] {
    for (int round = 0; round < 3; ++round)
      for (int f = 0; f < 40; ++f)
        store(dir.File("other" + std::to_string(f) + ".ini"), "s", "k", std::to_string(round));
  });
  for (std::thread& t : threads) t.join();

  EXPECT_EQ(failures, 0);
  EXPECT_EQ(ReadWholeFile(shared),
            "[midi]\nkey0=key0:59\nkey1=key1:59\nkey2=key2:59\nkey3=key3:59\n\n");
  for (int f = 0; f < 40; ++f)
    EXPECT_EQ(ReadWholeFile(dir.File("other" + std::to_string(f) + ".ini")), "[s]\nk=2\n\n") << f;
  EXPECT_EQ(FolderEntries(dir.Path()).size(), 82u);  // each file and its lock file
}
}  // namespace
