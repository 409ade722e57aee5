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

namespace
{
const std::string kEarlier(517, 'e');

std::string Leftovers(const TempDir& dir)
{
  std::string names;
  for (const auto& e : std::filesystem::directory_iterator(dir.Path()))
    names += e.path().filename().string() + ";";
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

TEST(BASE_ReplaceFile, ReplacesALinkInsteadOfWritingThroughIt)
{
  TempDir dir;
  WriteWholeFile(dir.File("target"), kEarlier);
  ASSERT_EQ(symlink(dir.File("target").c_str(), dir.File("link").c_str()), 0);
  ASSERT_TRUE(BASE_ReplaceFile(dir.File("link"), "new"));
  EXPECT_EQ(ReadWholeFile(dir.File("target")), kEarlier);
  EXPECT_EQ(ReadWholeFile(dir.File("link")), "new");
  struct stat info;
  ASSERT_EQ(lstat(dir.File("link").c_str(), &info), 0);
  EXPECT_TRUE(S_ISREG(info.st_mode));
  // No folder to write in: nothing written, nothing reported as written.
  EXPECT_FALSE(BASE_ReplaceFile(dir.File("missing/prog.pr3"), "x"));
  EXPECT_FALSE(BASE_ReplaceFile(dir.Path() + "/", "x"));
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
  calls = {FaultyWrite, FaultyFsync, FaultyClose};
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
