// The settings store must never lose what is on disk: every way the new file
// can fail to reach the disk leaves the old one byte for byte.
#include "winl/ini/WINL_Ini.h"
#include "winl/ini/WINL_IniStore.h"

#include "IniTestFiles.h"
#include "support/TempDir.h"

#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

namespace
{
const char kOldFile[] = "[gui]\nguiscale=1\n\n[midi]\nindev=Port A\noutdev=Port B\n\n";

// ---- injected failures ----

ssize_t FailWrite(int, const void*, size_t)
{
  errno = ENOSPC;
  return -1;
}
// Accepts half, then reports a full disk: the partial file must not survive.
ssize_t ShortThenFailWrite(int fd, const void* data, size_t n)
{
  static bool first = true;
  if (first && n > 1)
  {
    first = false;
    return write(fd, data, n / 2);
  }
  first = true;
  errno = ENOSPC;
  return -1;
}
ssize_t ZeroWrite(int, const void*, size_t)
{
  return 0;
}
int FailFsync(int)
{
  errno = EIO;
  return -1;
}
// The descriptor is released as a real close would, but the data is reported lost.
int FailClose(int fd)
{
  close(fd);
  errno = EIO;
  return -1;
}
int FailRename(const char*, const char*)
{
  errno = EXDEV;
  return -1;
}

class FileOpsGuard
{
public:
  explicit FileOpsGuard(const WINL_IniFileOps& ops) { WINL_IniSetFileOpsForTest(&ops); }
  ~FileOpsGuard() { WINL_IniSetFileOpsForTest(nullptr); }
};

TEST(WinlIniWriteFailure, InjectedFailuresKeepTheOldFile)
{
  const WINL_IniFileOps real{::write, ::fsync, ::close, ::rename};
  struct Case
  {
    const char* name;
    WINL_IniFileOps ops;
  } const kCases[] = {
      {"write fails", {FailWrite, real.fsync, real.close, real.rename}},
      {"short write, then failure", {ShortThenFailWrite, real.fsync, real.close, real.rename}},
      {"write makes no progress", {ZeroWrite, real.fsync, real.close, real.rename}},
      {"fsync fails", {real.write, FailFsync, real.close, real.rename}},
      {"close fails", {real.write, real.fsync, FailClose, real.rename}},
      {"rename fails", {real.write, real.fsync, real.close, FailRename}},
  };
  for (const Case& c : kCases)
  {
    TempDir dir;
    const std::string path = dir.File("settings.ini");
    WriteWholeFile(path, kOldFile);
    const ino_t inode = StatOf(path).st_ino;
    ASSERT_EQ(IniRead("midi", "indev", path), "Port A") << c.name;
    {
      FileOpsGuard guard(c.ops);
      EXPECT_FALSE(WritePrivateProfileString("midi", "indev", "Port C", path.c_str())) << c.name;
      EXPECT_FALSE(WritePrivateProfileString("midi", "outdev", nullptr, path.c_str())) << c.name;
      EXPECT_FALSE(WritePrivateProfileString("midi", nullptr, nullptr, path.c_str())) << c.name;
      EXPECT_FALSE(WritePrivateProfileSection("midi", "a=1\0", path.c_str())) << c.name;
      EXPECT_FALSE(WritePrivateProfileString("new", "k", "v", path.c_str())) << c.name;
    }
    EXPECT_EQ(ReadWholeFile(path), kOldFile) << c.name;
    EXPECT_EQ(StatOf(path).st_ino, inode) << c.name;
    EXPECT_EQ(FolderEntries(dir.Path()), (std::vector<std::string>{".settings.ini.lock", "settings.ini"})) << c.name;

    // The cache tells what the disk holds, not the value that was not saved...
    EXPECT_EQ(IniRead("midi", "indev", path), "Port A") << c.name;
    EXPECT_EQ(IniRead("new", "k", path), "<none>") << c.name;
    // ...so the same write, tried again once the disk works, is not skipped.
    EXPECT_TRUE(WritePrivateProfileString("midi", "indev", "Port C", path.c_str())) << c.name;
    EXPECT_EQ(ReadWholeFile(path), "[gui]\nguiscale=1\n\n[midi]\nindev=Port C\noutdev=Port B\n\n")
        << c.name;
  }
}

TEST(WinlIniWriteFailure, MissingFolderFailsCleanly)
{
  TempDir dir;
  const std::string path = dir.File("absent/settings.ini");
  EXPECT_FALSE(WritePrivateProfileString("midi", "indev", "x", path.c_str()));
  EXPECT_EQ(IniRead("midi", "indev", path), "<none>");
  EXPECT_TRUE(FolderEntries(dir.Path()).empty());
}

// Runs body in a child process and returns its exit status (-1 if it died).
template <class Body>
int InChild(Body body)
{
  fflush(nullptr);
  const pid_t pid = fork();
  if (pid == 0) _exit(body());
  int status = 0;
  if (pid < 0 || waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(WinlIniWriteFailure, FileSizeLimitKeepsTheOldFile)
{
  TempDir dir;
  const std::string path = dir.File("settings.ini");
  WriteWholeFile(path, kOldFile);
  const int status = InChild([&] {
    // Past the limit a write fails with EFBIG instead of killing the process.
    signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{1024, 1024};
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0) return 2;
    const std::string big(5000, 'v');
    if (WritePrivateProfileString("midi", "indev", big.c_str(), path.c_str())) return 3;
    if (IniRead("midi", "indev", path) != "Port A") return 4;
    if (!WritePrivateProfileString("midi", "indev", "small", path.c_str())) return 5;
    return 0;
  });
  ASSERT_EQ(status, 0);
  EXPECT_EQ(ReadWholeFile(path), "[gui]\nguiscale=1\n\n[midi]\nindev=small\noutdev=Port B\n\n");
  EXPECT_EQ(FolderEntries(dir.Path()), (std::vector<std::string>{".settings.ini.lock", "settings.ini"}));
}

TEST(WinlIniWriteFailure, UnreadableFileIsNotRewritten)
{
  TempDir dir;
  const std::string path = dir.File("settings.ini");
  WriteWholeFile(path, kOldFile);
  ASSERT_EQ(chmod(path.c_str(), 0), 0);
  ASSERT_EQ(chmod(dir.Path().c_str(), 0777), 0);  // the folder itself stays writable
  const int status = InChild([&] {
    // Root reads any file; read as an ordinary user so the read really fails.
    if (geteuid() == 0)
    {
      const passwd* nobody = getpwnam("nobody");
      if (!nobody || setgid(nobody->pw_gid) != 0 || setuid(nobody->pw_uid) != 0) return 10;
    }
    if (access(dir.Path().c_str(), W_OK | X_OK) != 0) return 10;
    if (IniRead("midi", "indev", path) != "<none>") return 2;
    if (WritePrivateProfileString("midi", "indev", "x", path.c_str())) return 3;
    return 0;
  });
  if (status == 10) GTEST_SKIP() << "cannot act as a user without access to the file";
  ASSERT_EQ(status, 0);
  ASSERT_EQ(chmod(path.c_str(), 0644), 0);
  EXPECT_EQ(ReadWholeFile(path), kOldFile);
  EXPECT_EQ(FolderEntries(dir.Path()), (std::vector<std::string>{".settings.ini.lock", "settings.ini"}));
}

// "[midi]\n", then optional "indev=" and "outdev=" lines whose values are
// prefix + digits, in that order, then the blank line that ends the section.
bool IsWholeMidiSection(const std::string& text, const std::string& prefix)
{
  const std::string head = "[midi]\n";
  if (text.compare(0, head.size(), head) != 0) return false;
  size_t pos = head.size();
  for (const char* key : {"indev=", "outdev="})
  {
    const std::string start = key + prefix;
    if (text.compare(pos, start.size(), start) != 0) continue;
    size_t end = pos + start.size();
    const size_t digits = end;
    while (end < text.size() && isdigit(static_cast<unsigned char>(text[end]))) ++end;
    if (end == digits || end >= text.size() || text[end] != '\n') return false;
    pos = end + 1;
  }
  return text.size() == pos + 1 && text[pos] == '\n';
}

TEST(WinlIniWriteFailure, TwoProcessesWritingAtOnceNeverCorruptTheFile)
{
  TempDir dir;
  const std::string path = dir.File("settings.ini");
  const std::string value(3000, 'z');  // long enough that interleaved writes would show
  auto writer = [&](const char* key) {
    return [&, key] {
      for (int i = 0; i < 150; ++i)
      {
        const std::string v = value + std::to_string(i);
        if (!WritePrivateProfileString("midi", key, v.c_str(), path.c_str())) return 1;
      }
      return 0;
    };
  };
  fflush(nullptr);
  const pid_t a = fork();
  if (a == 0) _exit(writer("indev")());
  const pid_t b = fork();
  if (b == 0) _exit(writer("outdev")());
  int sa = -1, sb = -1;
  waitpid(a, &sa, 0);
  waitpid(b, &sb, 0);
  ASSERT_TRUE(WIFEXITED(sa) && WEXITSTATUS(sa) == 0);
  ASSERT_TRUE(WIFEXITED(sb) && WEXITSTATUS(sb) == 0);

  // Each rewrite is whole: the last one holds its own final value, and the
  // other key, if present, holds some complete value of the other writer.
  const std::string text = ReadWholeFile(path);
  EXPECT_TRUE(IsWholeMidiSection(text, value)) << text.substr(0, 200);
  EXPECT_TRUE(text.find("=" + value + "149\n") != std::string::npos);
  EXPECT_EQ(FolderEntries(dir.Path()), (std::vector<std::string>{".settings.ini.lock", "settings.ini"}));
}
TEST(WinlIniWriteFailure, TwoProcessesKeepEachOthersKeys)
{
  TempDir dir;
  const std::string path = dir.File("settings.ini");
  auto writer = [&](char prefix) {
    for (int i = 0; i < 150; ++i)
    {
      char key[8];
      snprintf(key, sizeof(key), "%c%03d", prefix, i);
      if (!WritePrivateProfileString("midi", key, "1", path.c_str())) return 1;
    }
    return 0;
  };
  fflush(nullptr);
  const pid_t a = fork();
  if (a == 0) _exit(writer('a'));
  const pid_t b = fork();
  if (b == 0) _exit(writer('b'));
  int sa = -1, sb = -1;
  waitpid(a, &sa, 0);
  waitpid(b, &sb, 0);
  ASSERT_TRUE(WIFEXITED(sa) && WEXITSTATUS(sa) == 0);
  ASSERT_TRUE(WIFEXITED(sb) && WEXITSTATUS(sb) == 0);

  std::string want = "[midi]\n";
  for (const char* prefix : {"a", "b"})
    for (int i = 0; i < 150; ++i)
    {
      char line[16];
      snprintf(line, sizeof(line), "%s%03d=1\n", prefix, i);
      want += line;
    }
  EXPECT_EQ(ReadWholeFile(path), want + "\n");
}
}  // namespace
