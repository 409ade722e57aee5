// The store's cache against the disk: it sees every outside change, never
// overwrites what it could not read, never loses the old file when the new
// one fails to reach the disk, and shares files with other processes.
#include "winl/ini/WINL_IniStore.h"

#include "IniTestFiles.h"
#include "support/FileFaults.h"
#include "support/TempDir.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace
{
const std::vector<std::string> kSettingsAndLock{".settings.ini.lock", "settings.ini"};

// Waits for a forked child: its exit status, or -1 when it died.
int ChildStatus(pid_t pid)
{
  int status = 0;
  return pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(WinlIniStore, SeesOutsideEdits)
{
  TempDir dir;
  const std::string path = dir.File("s.ini");
  WriteWholeFile(path, "[a]\nk=1\n");
  const timespec fixed[2] = {{1600000000, 0}, {1600000000, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), fixed, 0), 0);
  ASSERT_EQ(IniRead("a", "k", path), "1");

  // A different size.
  WriteWholeFile(path, "[a]\nk=22\n");
  EXPECT_EQ(IniRead("a", "k", path), "22");

  // Same size, same inode, a modification time that differs by a nanosecond.
  ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), fixed, 0), 0);
  ASSERT_EQ(IniRead("a", "k", path), "22");
  WriteWholeFile(path, "[a]\nk=33\n");
  const timespec later[2] = {{1600000000, 0}, {1600000000, 1}};
  ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), later, 0), 0);
  EXPECT_EQ(IniRead("a", "k", path), "33");

  // Same size and time, but replaced by another file (a new inode).
  const std::string other = dir.File("other");
  WriteWholeFile(other, "[a]\nk=44\n");
  ASSERT_EQ(utimensat(AT_FDCWD, other.c_str(), later, 0), 0);
  ASSERT_EQ(rename(other.c_str(), path.c_str()), 0);
  EXPECT_EQ(IniRead("a", "k", path), "44");

  // Removed: back to the defaults, and a write creates it anew.
  ASSERT_EQ(unlink(path.c_str()), 0);
  EXPECT_EQ(IniRead("a", "k", path), "<none>");
  ASSERT_TRUE(WritePrivateProfileString("a", "j", "5", path.c_str()));
  EXPECT_EQ(ReadWholeFile(path), "[a]\nj=5\n\n");

  // Names differing in case are two files here.
  WriteWholeFile(dir.File("S.ini"), "[a]\nj=upper\n");
  EXPECT_EQ(IniRead("a", "j", dir.File("S.ini")), "upper");
  EXPECT_EQ(IniRead("a", "j", path), "5");
}

TEST(WinlIniStore, TheThirtyThirdFileEvictsTheLeastRecentlyUsed)
{
  TempDir dir;
  std::vector<std::string> paths;
  const timespec fixed[2] = {{1600000000, 0}, {1600000000, 0}};
  for (int i = 0; i < 33; ++i)
  {
    paths.push_back(dir.File("f" + std::to_string(i) + ".ini"));
    WriteWholeFile(paths.back(), "[s]\nk=old\n");
    ASSERT_EQ(utimensat(AT_FDCWD, paths.back().c_str(), fixed, 0), 0);
  }
  // Fill all 32 slots with these files (earlier tests' slots are older), then
  // touch 1..31 again so that file 0 is the least recently used.
  for (int i = 0; i < 32; ++i) ASSERT_EQ(IniRead("s", "k", paths[i]), "old");
  for (int i = 1; i < 32; ++i) ASSERT_EQ(IniRead("s", "k", paths[i]), "old");

  // Change files 0 and 1 behind the cache's back in a way that its change
  // detection cannot see: same inode, size and modification time.
  for (int i = 0; i < 2; ++i)
  {
    const int fd = open(paths[i].c_str(), O_WRONLY);
    ASSERT_EQ(pwrite(fd, "new", 3, 6), 3);
    ASSERT_EQ(close(fd) | utimensat(AT_FDCWD, paths[i].c_str(), fixed, 0), 0);
  }
  EXPECT_EQ(IniRead("s", "k", paths[1]), "old");  // still served from memory

  ASSERT_EQ(IniRead("s", "k", paths[32]), "old");  // the 33rd file
  EXPECT_EQ(IniRead("s", "k", paths[0]), "new");   // file 0 was evicted and is read again
}

TEST(WinlIniStore, NeverWritesWhereItCouldNotRead)
{
  // made: created first, a folder or a file holding bytes, which must survive.
  struct Case { const char *name, *path, *made; bool folder; std::string bytes; std::vector<std::string> entries; }
  const kCases[] = {
      {"a folder in the way", "settings.ini", "settings.ini", true, "", kSettingsAndLock},
      {"a path through a plain file", "plain/settings.ini", "plain", false, "keep", {"plain"}},
      {"a missing folder", "absent/settings.ini", nullptr, false, "", {}},
      {"no header in the first 256 KiB", "big.ini", "big.ini", false,
       std::string(300000, 'x') + "\n[midi]\nindev=far\n", {".big.ini.lock", "big.ini"}},
  };
  for (const Case& c : kCases)
  {
    TempDir dir;
    const std::string path = dir.File(c.path);
    if (c.made && c.folder) mkdir(dir.File(c.made).c_str(), 0755);
    if (c.made && !c.folder) WriteWholeFile(dir.File(c.made), c.bytes);
    EXPECT_EQ(IniRead("midi", "indev", path), "<none>") << c.name;
    EXPECT_FALSE(WritePrivateProfileString("midi", "indev", "x", path.c_str())) << c.name;
    EXPECT_FALSE(WritePrivateProfileString("midi", nullptr, nullptr, path.c_str())) << c.name;
    EXPECT_FALSE(WritePrivateProfileSection("midi", "a=1\0", path.c_str())) << c.name;
    EXPECT_EQ(FolderEntries(dir.Path()), c.entries) << c.name;
    EXPECT_TRUE(c.folder || !c.made || ReadWholeFile(dir.File(c.made)) == c.bytes) << c.name;
  }
}

TEST(WinlIniStore, UnreadableFileIsNotRewritten)
{
  TempDir dir;
  const std::string path = dir.File("settings.ini");
  WriteWholeFile(path, "[midi]\nindev=Port A\n");
  // The folder stays writable, the file is not readable.
  ASSERT_EQ(chmod(path.c_str(), 0) | chmod(dir.Path().c_str(), 0777), 0);
  fflush(nullptr);
  const pid_t child = fork();
  if (child == 0)
  {
    // Root reads any file; read as an ordinary user so the read really fails.
    const passwd* nobody = getpwnam("nobody");
    if (geteuid() == 0 && (!nobody || setgid(nobody->pw_gid) != 0 || setuid(nobody->pw_uid) != 0))
      _exit(10);
    _exit(IniRead("midi", "indev", path) != "<none>" ||
          WritePrivateProfileString("midi", "indev", "x", path.c_str()));
  }
  const int status = ChildStatus(child);
  if (status == 10) GTEST_SKIP() << "cannot act as a user without access to the file";
  ASSERT_EQ(status, 0);
  ASSERT_EQ(chmod(path.c_str(), 0644), 0);
  EXPECT_EQ(ReadWholeFile(path), "[midi]\nindev=Port A\n");
  EXPECT_EQ(FolderEntries(dir.Path()), kSettingsAndLock);
}

TEST(WinlIniStore, InjectedFailuresKeepTheOldFile)
{
  const char kOld[] = "[gui]\nguiscale=1\n\n[midi]\nindev=Port A\noutdev=Port B\n\n";
  struct Case { const char* name; WINL_IniFileOps ops; } const kCases[] = {
      {"write fails",
       {[](int, const void*, size_t) -> ssize_t { return errno = ENOSPC, -1; }, ::fsync, ::close,
        ::rename}},
      // Half is written, then the disk is full: the partial file must not survive.
      {"short write, then failure",
       {[](int fd, const void* data, size_t n) -> ssize_t {
          static bool half = false;
          half = !half;
          return half && n > 1 ? write(fd, data, n / 2) : (errno = ENOSPC, -1);
        },
        ::fsync, ::close, ::rename}},
      {"write makes no progress",
       {[](int, const void*, size_t) -> ssize_t { return 0; }, ::fsync, ::close, ::rename}},
      {"fsync fails", {::write, [](int) { return errno = EIO, -1; }, ::close, ::rename}},
      // The descriptor is released as a real close would, but the data is reported lost.
      {"close fails",
       {::write, ::fsync, [](int fd) { return close(fd), errno = EIO, -1; }, ::rename}},
      {"rename fails",
       {::write, ::fsync, ::close, [](const char*, const char*) { return errno = EXDEV, -1; }}},
  };
  for (const Case& c : kCases)
  {
    TempDir dir;
    const std::string path = dir.File("settings.ini");
    WriteWholeFile(path, kOld);
    const ino_t inode = StatOf(path).st_ino;
    ASSERT_EQ(IniRead("midi", "indev", path), "Port A") << c.name;
    WINL_IniSetFileOpsForTest(&c.ops);
    EXPECT_FALSE(WritePrivateProfileString("midi", "indev", "Port C", path.c_str())) << c.name;
    EXPECT_FALSE(WritePrivateProfileString("midi", "outdev", nullptr, path.c_str())) << c.name;
    EXPECT_FALSE(WritePrivateProfileString("midi", nullptr, nullptr, path.c_str())) << c.name;
    EXPECT_FALSE(WritePrivateProfileSection("midi", "a=1\0", path.c_str())) << c.name;
    EXPECT_FALSE(WritePrivateProfileString("new", "k", "v", path.c_str())) << c.name;
    WINL_IniSetFileOpsForTest(nullptr);
    EXPECT_EQ(ReadWholeFile(path), kOld) << c.name;
    EXPECT_EQ(StatOf(path).st_ino, inode) << c.name;
    EXPECT_EQ(FolderEntries(dir.Path()), kSettingsAndLock) << c.name;

    // The cache tells what the disk holds, not the value that was not saved...
    EXPECT_EQ(IniRead("midi", "indev", path), "Port A") << c.name;
    EXPECT_EQ(IniRead("new", "k", path), "<none>") << c.name;
    // ...so the same write, tried again once the disk works, is not skipped.
    EXPECT_TRUE(WritePrivateProfileString("midi", "indev", "Port C", path.c_str())) << c.name;
    EXPECT_EQ(ReadWholeFile(path), "[gui]\nguiscale=1\n\n[midi]\nindev=Port C\noutdev=Port B\n\n")
        << c.name;
  }
}

TEST(WinlIniStore, TwoProcessesKeepEachOthersKeys)
{
  TempDir dir;
  const std::string path = dir.File("settings.ini");
  fflush(nullptr);
  pid_t writers[2];
  for (int w = 0; w < 2; ++w)
  {
    if ((writers[w] = fork()) != 0) continue;
    for (int i = 100; i < 250; ++i)
      if (!WritePrivateProfileString("midi", ("ab"[w] + std::to_string(i)).c_str(), "1",
                                     path.c_str()))
        _exit(1);
    _exit(0);
  }
  ASSERT_EQ(ChildStatus(writers[0]), 0);
  ASSERT_EQ(ChildStatus(writers[1]), 0);

  std::string want = "[midi]\n";
  for (const char* prefix : {"a", "b"})
    for (int i = 100; i < 250; ++i) want += prefix + std::to_string(i) + "=1\n";
  EXPECT_EQ(ReadWholeFile(path), want + "\n");
  EXPECT_EQ(FolderEntries(dir.Path()), kSettingsAndLock);
}

TEST(WinlIniStore, WritesThroughALinkIntoItsTarget)
{
  // absolute: the link holds the target's full path; before: the target's
  // text, null for no target yet.
  struct Case { const char* name; bool absolute; const char *before, *after; } const kCases[] = {
      {"relative link", false, "[a]\nk=1\n\n", "[a]\nk=1\n\n[midi]\nindev=off\n\n"},
      {"absolute link", true, "[a]\nk=1\n\n", "[a]\nk=1\n\n[midi]\nindev=off\n\n"},
      {"link to a missing file", false, nullptr, "[midi]\nindev=off\n\n"},
  };
  for (const Case& c : kCases)
  {
    TempDir dir;
    ASSERT_EQ(mkdir(dir.File("real").c_str(), 0755) | mkdir(dir.File("cfg").c_str(), 0755), 0);
    const std::string target = dir.File("real/settings.ini"), link = dir.File("cfg/settings.ini");
    const std::string linkText = c.absolute ? target : "../real/settings.ini";
    if (c.before) WriteWholeFile(target, c.before);
    ASSERT_EQ(symlink(linkText.c_str(), link.c_str()), 0);

    ASSERT_TRUE(WritePrivateProfileString("midi", "indev", "off", link.c_str())) << c.name;
    EXPECT_EQ(std::filesystem::read_symlink(link), linkText) << c.name;
    EXPECT_EQ(ReadWholeFile(target), c.after) << c.name;
    EXPECT_EQ(FolderEntries(dir.File("cfg")), std::vector<std::string>{"settings.ini"}) << c.name;
    EXPECT_EQ(FolderEntries(dir.File("real")), kSettingsAndLock) << c.name;
  }
}
// A writer killed mid-write leaves its temporary behind; the next start
// removes those of dead processes and nothing else.
TEST(WinlIniStore, StaleTemporariesOfDeadWritersAreRemoved)
{
  TempDir dir;
  const pid_t dead = fork();
  if (dead == 0) _exit(0);
  ASSERT_EQ(ChildStatus(dead), 0);
  const std::string d = std::to_string(dead), alive = std::to_string(getppid()), self = std::to_string(getpid());
  WriteWholeFile(dir.File("settings.ini"), "[midi]\n");
  const std::vector<std::string> kept{".settings.ini.new." + alive + ".3",
                                      ".settings.ini.new." + self + ".1",
                                      ".settings.ini.new." + d + ".",
                                      ".settings.ini.new." + d + ".2x",
                                      ".settings.ini.new.x" + d + ".2",
                                      ".other.ini.new." + d + ".1",
                                      "settings.ini.new." + d + ".1",
                                      ".settings.ini.lock",
                                      "settings.ini"};
  for (const std::string& name : kept) WriteWholeFile(dir.File(name), "x");
  WriteWholeFile(dir.File(".settings.ini.new." + d + ".1"), "[midi]\nindev=");
  WriteWholeFile(dir.File(".settings.ini.new." + d + ".17"), "");
  ASSERT_EQ(mkdir(dir.File(".settings.ini.new." + d + ".4").c_str(), 0755), 0);

  EXPECT_EQ(WINL_IniRemoveStaleTemporaries(dir.File("settings.ini").c_str()), 2);
  std::vector<std::string> left;
  for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) left.push_back(entry.path().filename());
  std::sort(left.begin(), left.end());
  std::vector<std::string> expected = kept;
  expected.push_back(".settings.ini.new." + d + ".4");  // a folder is not a temporary file
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(left, expected);
  EXPECT_EQ(WINL_IniRemoveStaleTemporaries(dir.File("settings.ini").c_str()), 0);
  EXPECT_EQ(WINL_IniRemoveStaleTemporaries(dir.File("missing/settings.ini").c_str()), 0);
}
}  // namespace

// A FIFO where the lock file goes neither holds a writer waiting in open nor
// serves as a lock: the write is refused and the settings stay.
TEST(WinlIniStore, AFifoAtTheLockIsRefusedWithoutWaiting)
{
  TempDir dir;
  const std::string path = dir.File("settings.ini");
  WriteWholeFile(path, "[midi]\nindev=Port A\n");
  MakeFifo(dir.File(".settings.ini.lock"));
  EXPECT_TRUE(FinishesWithin(5, [&] { return !WritePrivateProfileString("midi", "indev", "x", path.c_str()); }));
  EXPECT_EQ(ReadWholeFile(path), "[midi]\nindev=Port A\n");
}
