#include "winl/draw/WINL_Runtime.h"

#include "support/TempDir.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

namespace
{
TEST(WinlRuntime, MulDivUsesA64BitIntermediate)
{
  struct Case { const char* name; int a, b, c, want; } const kCases[] = {
      {"intermediate beyond 32 bits", 100000, 100000, 1000, 10000000},
      {"negative truncates toward zero", -7, 3, 2, -10},
      {"division by zero", 5, 5, 0, -1},
      {"result beyond int", INT_MAX, INT_MAX, 1, -1},
      {"INT_MIN over -1", INT_MIN, 1, -1, -1},
  };
  for (const Case& c : kCases) EXPECT_EQ(MulDiv(c.a, c.b, c.c), c.want) << c.name;
}

TEST(WinlRuntime, LstrcpynAlwaysTerminatesWithinSize)
{
  char buf[8];
  memset(buf, '#', sizeof(buf));
  EXPECT_EQ(lstrcpyn(buf, "abcdef", 4), buf);
  EXPECT_EQ(std::string(buf, 5), std::string("abc\0#", 5));
  lstrcpyn(buf, "abcdef", 0);
  EXPECT_EQ(buf[0], 'a');
  lstrcpyn(buf, nullptr, 8);
  EXPECT_STREQ(buf, "");
}

TEST(WinlRuntime, TempPathAlwaysEndsInSlash)
{
  const char* old = getenv("TMPDIR");
  const std::string saved = old ? old : "";
  // tmpdir null: unset
  struct Case { const char* name; const char* tmpdir; DWORD size; const char* want; } const kCases[] = {
      {"unset", nullptr, 64, "/tmp/"},
      {"empty", "", 64, "/tmp/"},
      {"slash appended", "/var/scratch", 64, "/var/scratch/"},
      {"slash kept", "/var/scratch/", 64, "/var/scratch/"},
      {"exact fit", "/var/x", 8, "/var/x/"},
      {"cut keeps the slash", "/var/scratch", 6, "/var/"},
      {"size one", "/var/scratch", 1, ""},
  };
  for (const Case& c : kCases)
  {
    c.tmpdir ? setenv("TMPDIR", c.tmpdir, 1) : unsetenv("TMPDIR");
    char buf[80];
    memset(buf, '#', sizeof(buf));
    EXPECT_EQ(GetTempPath(c.size, buf), strlen(c.want)) << c.name;
    EXPECT_STREQ(buf, c.want) << c.name;
    EXPECT_EQ(buf[c.size], '#') << c.name << ": wrote past the buffer";
  }
  old ? setenv("TMPDIR", saved.c_str(), 1) : unsetenv("TMPDIR");
}

TEST(WinlRuntime, FileTimeCountsFrom1601)
{
  TempDir dir;
  const std::string path = dir.File("t");
  WriteWholeFile(path, "x");
  const timespec times[2] = {{1000000000, 0}, {1700000000, 500000000}};  // access, modification
  ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  FILETIME accessed{}, written{};
  ASSERT_TRUE(GetFileTime(fd, nullptr, &accessed, &written));
  close(fd);
  auto value = [](const FILETIME& f) {
    return (static_cast<uint64_t>(f.dwHighDateTime) << 32) | f.dwLowDateTime;
  };
  EXPECT_EQ(value(accessed), 1000000000ull * 10000000ull + 116444736000000000ull);
  EXPECT_EQ(value(written), 1700000000ull * 10000000ull + 116444736000000000ull);
  EXPECT_FALSE(GetFileTime(-1, nullptr, &accessed, &written));
  EXPECT_FALSE(GetFileTime(fd, nullptr, &accessed, &written));  // closed now
}
}  // namespace
