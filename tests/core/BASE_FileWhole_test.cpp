// Whole-file replacing under a disk that fills, and whole-file reading of
// what is not a plain file: the earlier file survives byte for byte, and a
// FIFO or a device neither blocks nor floods the reader.
#include "core/BASE_FileWhole.h"

#include "support/FileFaults.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include <filesystem>
#include <functional>
#include <set>

namespace
{
const std::string kEarlier(517, 'e');

std::string Leftovers(const TempDir& dir)
{
  std::set<std::string> sorted;
  for (const auto& e : std::filesystem::directory_iterator(dir.Path())) sorted.insert(e.path().filename().string());
  std::string names;
  for (const std::string& name : sorted) names += name + ";";
  return names;
}

// The disk fills at limit bytes; the new text is 600 bytes.
TEST(BASE_ReplaceFile, AFullDiskKeepsTheEarlierFile)
{
  struct Case { const char* name; long limit; bool ok; } const kCases[] = {
    {"nothing fits", 1, false},
    {"all but one byte", 599, false},
    {"exactly", 600, true},
    {"a byte to spare", 601, true},
  };
  const std::string text(600, 'n');
  for (const Case& c : kCases)
  {
    TempDir dir;
    const std::string path = dir.File("prog.pr3");
    WriteWholeFile(path, kEarlier);
    EXPECT_EQ(RunWithFileSizeLimit(c.limit, [&] { return BASE_ReplaceFile(path, text); }), c.ok) << c.name;
    EXPECT_EQ(ReadWholeFile(path), c.ok ? text : kEarlier) << c.name;
    EXPECT_EQ(Leftovers(dir), "prog.pr3;") << c.name;
  }
}

struct FileState
{
  std::string bytes;
  unsigned mode;
  uid_t owner;
  ino_t inode;
  nlink_t links;
};

FileState StateOf(const std::string& path)
{
  struct stat info{};
  EXPECT_EQ(stat(path.c_str(), &info), 0) << path;
  return {ReadWholeFile(path), static_cast<unsigned>(info.st_mode & 07777), info.st_uid, info.st_ino, info.st_nlink};
}

bool IsLink(const std::string& path)
{
  struct stat info;
  return lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
}

// Each case saves "new" under "prog.pr3" in a folder readied by make.
TEST(BASE_ReplaceFile, KeepsWhatTheFileIs)
{
  struct Case
  {
    const char* name;
    std::function<void(const TempDir&)> make;
    bool ok;
    const char* read;     // the name whose bytes and mode are checked
    unsigned mode;
    bool sameInode;       // the file written is the earlier one
    std::string entries;  // the folder afterwards
  };
  const auto plain = [](unsigned mode) {
    return [mode](const TempDir& d) {
      WriteWholeFile(d.File("prog.pr3"), kEarlier);
      ASSERT_EQ(chmod(d.File("prog.pr3").c_str(), mode), 0);
    };
  };
  const Case kCases[] = {
      {"a private file stays private", plain(0600), true, "prog.pr3", 0600, false, "prog.pr3;"},
      {"a shared file stays shared", plain(0664), true, "prog.pr3", 0664, false, "prog.pr3;"},
      {"a read-only file is refused", plain(0444), false, "prog.pr3", 0444, true, "prog.pr3;"},
      {"a file nobody may write is refused", plain(0), false, "prog.pr3", 0, true, "prog.pr3;"},
      {"a link is written through",
       [](const TempDir& d) {
         WriteWholeFile(d.File("target"), kEarlier);
         ASSERT_EQ(chmod(d.File("target").c_str(), 0640), 0);
         ASSERT_EQ(symlink(d.File("target").c_str(), d.File("prog.pr3").c_str()), 0);
       },
       true, "target", 0640, false, "prog.pr3;target;"},
      {"a relative link to a link is written through",
       [](const TempDir& d) {
         ASSERT_EQ(mkdir(d.File("sub").c_str(), 0755), 0);
         WriteWholeFile(d.File("sub/target"), kEarlier);
         ASSERT_EQ(chmod(d.File("sub/target").c_str(), 0600), 0);
         ASSERT_EQ(symlink("target", d.File("sub/hop").c_str()), 0);
         ASSERT_EQ(symlink("sub/hop", d.File("prog.pr3").c_str()), 0);
       },
       true, "sub/target", 0600, false, "prog.pr3;sub;"},
      {"a link to a missing file makes that file",
       [](const TempDir& d) { ASSERT_EQ(symlink("made", d.File("prog.pr3").c_str()), 0); }, true, "made", 0644,
       false, "made;prog.pr3;"},
      {"a hard link shares the new bytes",
       [](const TempDir& d) {
         WriteWholeFile(d.File("prog.pr3"), kEarlier);
         ASSERT_EQ(chmod(d.File("prog.pr3").c_str(), 0600), 0);
         ASSERT_EQ(link(d.File("prog.pr3").c_str(), d.File("other").c_str()), 0);
       },
       true, "other", 0600, true, "other;prog.pr3;"},
      {"a FIFO is refused", [](const TempDir& d) { MakeFifo(d.File("prog.pr3")); }, false, nullptr, 0, true,
       "prog.pr3;"},
      {"a link loop is refused",
       [](const TempDir& d) {
         ASSERT_EQ(symlink("loop", d.File("prog.pr3").c_str()), 0);
         ASSERT_EQ(symlink("prog.pr3", d.File("loop").c_str()), 0);
       },
       false, nullptr, 0, true, "loop;prog.pr3;"},
  };
  const mode_t mask = umask(022);
  for (const Case& c : kCases)
  {
    TempDir dir;
    c.make(dir);
    const std::string read = c.read ? dir.File(c.read) : std::string();
    const ino_t before = c.read && c.sameInode ? StateOf(read).inode : 0;
    EXPECT_EQ(BASE_ReplaceFile(dir.File("prog.pr3"), "new"), c.ok) << c.name;
    if (c.read)
    {
      const FileState after = StateOf(read);
      EXPECT_EQ(after.bytes, c.ok ? "new" : kEarlier) << c.name;
      EXPECT_EQ(after.mode, c.mode) << c.name;
      if (c.sameInode)
      {
        EXPECT_EQ(after.inode, before) << c.name;
      }
    }
    EXPECT_EQ(Leftovers(dir), c.entries) << c.name;
    EXPECT_EQ(IsLink(dir.File("prog.pr3")), std::string(c.name).find("link") != std::string::npos &&
                                                std::string(c.name).find("hard") == std::string::npos)
        << c.name;
  }
  umask(mask);
}

TEST(BASE_ReplaceFile, KeepsTheOwner)
{
  if (geteuid() != 0) GTEST_SKIP() << "only a privileged user can give a file to another";
  TempDir dir;
  const std::string path = dir.File("prog.pr3");
  WriteWholeFile(path, kEarlier);
  ASSERT_EQ(chown(path.c_str(), 65534, 65533), 0);
  ASSERT_EQ(chmod(path.c_str(), 0640), 0);
  ASSERT_TRUE(BASE_ReplaceFile(path, "new"));
  struct stat info;
  ASSERT_EQ(stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_uid, 65534u);
  EXPECT_EQ(info.st_gid, 65533u);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  EXPECT_EQ(ReadWholeFile(path), "new");
}

// No new name can go into the folder: the file there is written in place,
// a missing one cannot be made.
TEST(BASE_ReplaceFile, AFolderThatTakesNoNewEntryIsWrittenInPlace)
{
  TempDir dir;
  const std::string path = dir.File("prog.pr3");
  WriteWholeFile(path, kEarlier);
  ASSERT_EQ(chmod(path.c_str(), 0640), 0);
  const ino_t inode = StateOf(path).inode;
  {
    FolderWithoutNewEntries locked(dir.Path());
    if (!locked.Held()) GTEST_SKIP() << "the folder cannot be closed to new entries here";
    EXPECT_TRUE(BASE_ReplaceFile(path, "new"));
    EXPECT_TRUE(BASE_ReplaceFile(path, std::string(2000, 'l')));
    EXPECT_TRUE(BASE_ReplaceFile(path, "short"));
    EXPECT_FALSE(BASE_ReplaceFile(dir.File("absent.pr3"), "x"));
  }
  const FileState after = StateOf(path);
  EXPECT_EQ(after.bytes, "short");
  EXPECT_EQ(after.mode, 0640u);
  EXPECT_EQ(after.inode, inode);
  EXPECT_EQ(Leftovers(dir), "prog.pr3;");
}

// The temporary name must fit beside names at the limit of 255 bytes.
TEST(BASE_ReplaceFile, SavesUnderAnyNameTheFolderTakes)
{
  struct Case { size_t length; bool ok; } const kCases[] = {{200, true}, {250, true}, {254, true}, {255, true},
                                                           {256, false}};
  for (const Case& c : kCases)
  {
    TempDir dir;
    const std::string name = std::string(c.length - 4, 'n') + ".pr3";
    EXPECT_EQ(BASE_ReplaceFile(dir.File(name), "first"), c.ok) << c.length;
    EXPECT_EQ(BASE_ReplaceFile(dir.File(name), "second"), c.ok) << c.length;
    if (c.ok)
    {
      EXPECT_EQ(ReadWholeFile(dir.File(name)), "second") << c.length;
    }
    EXPECT_EQ(Leftovers(dir), c.ok ? name + ";" : "") << c.length;
  }
}

TEST(BASE_ReplaceFile, RefusesWhatIsNoFile)
{
  TempDir dir;
  // No folder to write in: nothing written, nothing reported as written.
  EXPECT_FALSE(BASE_ReplaceFile(dir.File("missing/prog.pr3"), "x"));
  EXPECT_FALSE(BASE_ReplaceFile(dir.Path() + "/", "x"));
  EXPECT_FALSE(BASE_ReplaceFile(dir.Path(), "x"));
}

// A file with two names is written in place; a disk that fills on the way
// leaves both names with the earlier bytes.
TEST(BASE_ReplaceFile, AFullDiskKeepsBothNamesOfAHardLinkedFile)
{
  struct Case { const char* name; long limit; bool ok; } const kCases[] = {
    {"nothing more fits", 517, false},
    {"all but one byte", 599, false},
    {"exactly", 600, true},
  };
  const std::string text(600, 'n');
  for (const Case& c : kCases)
  {
    TempDir dir;
    const std::string path = dir.File("prog.pr3");
    WriteWholeFile(path, kEarlier);
    ASSERT_EQ(link(path.c_str(), dir.File("other").c_str()), 0);
    EXPECT_EQ(RunWithFileSizeLimit(c.limit, [&] { return BASE_ReplaceFile(path, text); }), c.ok) << c.name;
    EXPECT_EQ(ReadWholeFile(dir.File("other")), c.ok ? text : kEarlier) << c.name;
    EXPECT_EQ(StateOf(path).links, 2u) << c.name;
    EXPECT_EQ(Leftovers(dir), "other;prog.pr3;") << c.name;
  }
}

// The system calls of the replace, made to fail or come back short: the
// call that was given a fault, counted from the first of its kind.
struct Faults
{
  int shortWrite = 0;  // this write call writes 7 bytes only
  int failedWrite = 0;
  bool failedFsync = false;
  bool failedClose = false;
  int writes = 0;
};
Faults gFaults;

ssize_t FaultyWrite(int fd, const void* data, size_t size)
{
  const int n = ++gFaults.writes;
  if (n == gFaults.failedWrite)
  {
    errno = EIO;
    return -1;
  }
  return ::write(fd, data, n == gFaults.shortWrite ? std::min<size_t>(size, 7) : size);
}
int FaultyFsync(int fd)
{
  if (!gFaults.failedFsync) return ::fsync(fd);
  errno = EIO;
  return -1;
}
// As the system does after a late write error: the descriptor is released
// all the same and the error reported.
int FaultyClose(int fd)
{
  (void)::close(fd);
  if (!gFaults.failedClose) return 0;
  errno = EIO;
  return -1;
}

TEST(BASE_ReplaceFile, AFailedFlushOrCloseKeepsTheEarlierFile)
{
  struct Case { const char* name; Faults faults; bool ok; } const kCases[] = {
    {"no fault", {}, true},
    {"flush fails", {0, 0, true, false}, false},
    {"close fails", {0, 0, false, true}, false},
    {"flush and close fail", {0, 0, true, true}, false},
    {"a short write, then good ones", {1, 0, false, false}, true},
    {"a short write, then a failed one", {1, 2, false, false}, false},
    {"the first write fails", {0, 1, false, false}, false},
  };
  const std::string text(600, 'n');
  BASE_ReplaceFileCalls& calls = BASE_ReplaceFileSystemCalls();
  const BASE_ReplaceFileCalls system = calls;
  calls = {FaultyWrite, FaultyFsync, FaultyClose, ::rename};
  for (const Case& c : kCases)
  {
    TempDir dir;
    const std::string path = dir.File("prog.pr3");
    WriteWholeFile(path, kEarlier);
    gFaults = c.faults;
    EXPECT_EQ(BASE_ReplaceFile(path, text), c.ok) << c.name;
    EXPECT_EQ(ReadWholeFile(path), c.ok ? text : kEarlier) << c.name;
    EXPECT_EQ(Leftovers(dir), "prog.pr3;") << c.name;
  }
  calls = system;
}

TEST(BASE_ReadRegularFile, ReadsOnlyBoundedRegularFiles)
{
  TempDir dir;
  WriteWholeFile(dir.File("63"), std::string(63, 'a'));
  WriteWholeFile(dir.File("64"), std::string(64, 'b'));
  WriteWholeFile(dir.File("65"), std::string(65, 'c'));
  WriteWholeFile(dir.File("empty"), "");
  MakeFifo(dir.File("fifo"));
  MakeDevZeroLink(dir.File("zero"));
  ASSERT_EQ(mkdir(dir.File("folder").c_str(), 0755), 0);
  ASSERT_EQ(symlink(dir.File("64").c_str(), dir.File("link64").c_str()), 0);
  struct Case { const char* name; BASE_ReadResult result; std::string bytes; } const kCases[] = {
    {"63", BASE_ReadResult::kRead, std::string(63, 'a')},
    {"64", BASE_ReadResult::kRead, std::string(64, 'b')},
    {"65", BASE_ReadResult::kTooLarge, "kept"},
    {"empty", BASE_ReadResult::kRead, ""},
    {"link64", BASE_ReadResult::kRead, std::string(64, 'b')},
    {"fifo", BASE_ReadResult::kNotRegular, "kept"},
    {"zero", BASE_ReadResult::kNotRegular, "kept"},
    {"folder", BASE_ReadResult::kNotRegular, "kept"},
    {"missing", BASE_ReadResult::kMissing, "kept"},
  };
  for (const Case& c : kCases)
  {
    std::string bytes = "kept";
    EXPECT_EQ(BASE_ReadRegularFile(dir.File(c.name), 64, bytes), c.result) << c.name;
    EXPECT_EQ(bytes, c.bytes) << c.name;
  }
}
}  // namespace
