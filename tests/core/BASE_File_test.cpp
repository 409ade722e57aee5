#include "core/BASE_DirScan.h"
#include "core/BASE_FileRead.h"
#include "core/BASE_FileWrite.h"

#include "support/FileFaults.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <linux/magic.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <set>
#include <string>
#include <vector>

namespace
{
std::string Pattern(size_t n)
{
  std::string bytes(n, '\0');
  for (size_t i = 0; i < n; ++i) bytes[i] = static_cast<char>((i * 131 + i / 251) & 0xff);
  return bytes;
}

struct ReaderMode { const char* name; int bufferSize; int bufferCount; int mappingMinimum; int mappingMaximum; };

const ReaderMode kReaderModes[] = {
  {"buffered 32768", 8192, 4, 0, 0},
  {"buffered odd size", 10000, 3, 0, 0},
  {"unbuffered", 0, 0, 0, 0},
  {"whole file in memory", 8192, 4, 1 << 20, 1 << 20},
  {"mapped", 8192, 4, 0, 1 << 20},
};

struct ReadCase { const char* name; size_t fileSize; std::vector<int> reads; std::vector<int> expected; };

const ReadCase kReadCases[] = {
  {"short file", 5, {10, 10}, {5, 0}},
  {"spans refills", 100000, {40000, 40000, 40000, 1}, {40000, 40000, 20000, 0}},
  {"small steps", 20000, {1, 8191, 8192, 8192, 8192}, {1, 8191, 8192, 3616, 0}},
  {"empty file", 0, {10}, {0}},
  {"zero and negative counts", 10, {0, -4, 10}, {0, 0, 10}},
};

TEST(BASE_FileRead, ReadsBackFileBytesInEveryMode)
{
  TempDir dir;
  for (const ReadCase& c : kReadCases)
  {
    const std::string bytes = Pattern(c.fileSize);
    const std::string path = dir.File("read.bin");
    WriteWholeFile(path, bytes);
    for (const ReaderMode& m : kReaderModes)
    {
      BASE_FileRead reader(path.c_str(), 1, m.bufferSize, m.bufferCount, m.mappingMinimum, m.mappingMaximum);
      ASSERT_TRUE(reader.IsOpen()) << c.name << " / " << m.name;
      EXPECT_TRUE(reader.IsLocked()) << c.name << " / " << m.name;
      EXPECT_EQ(reader.GetSize(), static_cast<int64_t>(c.fileSize)) << c.name << " / " << m.name;
      std::string got;
      for (size_t i = 0; i < c.reads.size(); ++i)
      {
        std::vector<char> chunk(c.reads[i] > 0 ? static_cast<size_t>(c.reads[i]) : 1);
        const int count = reader.Read(chunk.data(), c.reads[i]);
        EXPECT_EQ(count, c.expected[i]) << c.name << " / " << m.name << " read " << i;
        if (count > 0) got.append(chunk.data(), static_cast<size_t>(count));
      }
      EXPECT_EQ(got, bytes.substr(0, got.size())) << c.name << " / " << m.name;
      EXPECT_EQ(reader.GetPosition(), static_cast<int64_t>(got.size())) << c.name << " / " << m.name;
    }
  }
}

namespace
{
// Pages of the file that sit in the page cache now.
int CachedPages(const std::string& path)
{
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return -1;
  struct stat info;
  fstat(fd, &info);
  const size_t size = static_cast<size_t>(info.st_size);
  void* view = mmap(nullptr, size, PROT_READ, MAP_SHARED, fd, 0);
  close(fd);
  if (view == MAP_FAILED) return -1;
  const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
  std::vector<unsigned char> resident((size + page - 1) / page);
  int cached = -1;
  if (mincore(view, size, resident.data()) == 0)
  {
    cached = 0;
    for (unsigned char r : resident) cached += r & 1;
  }
  munmap(view, size);
  return cached;
}

// Where the page cache is the storage itself (a memory file system),
// nothing can be left out of it.
bool CacheIsTheStorage(const std::string& folder)
{
  struct statfs info;
  return statfs(folder.c_str(), &info) == 0 && info.f_type == TMPFS_MAGIC;
}
}  // namespace

// A 256 KiB file, written out to the disk so that its pages are clean and
// cached: read through the buffer or directly with allowAsync 1 or -1 it
// leaves none of them cached; with 0 they stay. Written with allowAsync 2,
// none stay cached; with 1 they do.
TEST(BASE_FileCache, ReadsAndWritesThatSkipTheCacheLeaveNoPagesThere)
{
  TempDir dir;
  if (CacheIsTheStorage(dir.Path())) GTEST_SKIP() << "the temporary folder lives in memory";
  const size_t kBytes = 256 * 1024;
  const std::string bytes = Pattern(kBytes);
  const std::string path = dir.File("cached.bin");
  struct ReadCase
  {
    const char* name;
    int allowAsync;
    int bufferSize;
    bool cachedAfter;
  } kReads[] = {
      {"buffered, 1", 1, 8192, false},
      {"buffered, -1", -1, 8192, false},
      {"direct, 1", 1, 0, false},
      {"buffered, 0", 0, 8192, true},
  };
  for (const ReadCase& c : kReads)
  {
    SCOPED_TRACE(c.name);
    WriteWholeFile(path, bytes);
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    fsync(fd);
    close(fd);
    ASSERT_GT(CachedPages(path), 0);
    BASE_FileRead reader(path.c_str(), c.allowAsync, c.bufferSize, 4);
    std::vector<char> got(kBytes);
    size_t total = 0;
    while (total < kBytes)
    {
      const int n = reader.Read(got.data() + total, 10000);
      if (n <= 0) break;
      total += static_cast<size_t>(n);
    }
    ASSERT_EQ(std::string(got.data(), total), bytes);
    EXPECT_EQ(CachedPages(path) > 0, c.cachedAfter) << CachedPages(path) << " pages cached";
  }

  struct WriteCase
  {
    const char* name;
    int allowAsync;
    bool cachedAfter;
  } kWrites[] = {{"2", 2, false}, {"1", 1, true}};
  for (const WriteCase& c : kWrites)
  {
    SCOPED_TRACE(std::string("write, ") + c.name);
    BASE_FileWrite writer(path.c_str(), c.allowAsync);
    ASSERT_EQ(writer.Write(bytes.data(), static_cast<int>(kBytes)), static_cast<int>(kBytes));
    ASSERT_TRUE(writer.Close());
    EXPECT_EQ(CachedPages(path) > 0, c.cachedAfter) << CachedPages(path) << " pages cached";
    EXPECT_EQ(ReadWholeFile(path), bytes);
  }
}

TEST(BASE_FileRead, MissingFileIsNotOpen)
{
  TempDir dir;
  BASE_FileRead reader(dir.File("absent").c_str());
  EXPECT_FALSE(reader.IsOpen());
  char byte;
  EXPECT_EQ(reader.Read(&byte, 1), 0);
  BASE_FileRead noPath(nullptr);
  EXPECT_FALSE(noPath.IsOpen());
}

TEST(BASE_FileWrite, OneByteWritesMatchOneWrite)
{
  TempDir dir;
  const std::string bytes = Pattern(200000);
  const std::string whole = dir.File("whole.bin");
  const std::string single = dir.File("single.bin");
  const std::string direct = dir.File("direct.bin");
  {
    BASE_FileWrite writer(whole.c_str());
    ASSERT_EQ(writer.Write(bytes.data(), static_cast<int>(bytes.size())), 200000);
    ASSERT_TRUE(writer.Close());
  }
  {
    BASE_FileWrite writer(single.c_str());
    for (char b : bytes) ASSERT_EQ(writer.Write(&b, 1), 1);
    EXPECT_EQ(writer.GetSize(), 200000);
    ASSERT_TRUE(writer.Close());
  }
  {
    BASE_FileWrite writer(direct.c_str(), 1, 1, 1);  // too small for a buffer
    for (size_t i = 0; i < bytes.size(); i += 1000) ASSERT_EQ(writer.Write(bytes.data() + i, 1000), 1000);
  }
  EXPECT_TRUE(ReadWholeFile(whole) == bytes);
  EXPECT_TRUE(ReadWholeFile(single) == bytes);
  EXPECT_TRUE(ReadWholeFile(direct) == bytes);
}

TEST(BASE_FileWrite, TruncatesOrAppends)
{
  TempDir dir;
  const std::string path = dir.File("f.txt");
  WriteWholeFile(path, "old contents that are long");
  {
    BASE_FileWrite writer(path.c_str());
    EXPECT_EQ(writer.Write("new", 3), 3);
  }
  EXPECT_EQ(ReadWholeFile(path), "new");
  {
    BASE_FileWrite writer(path.c_str(), 1, 8192, 16, 16, true);
    EXPECT_EQ(writer.GetPosition(), 3);
    EXPECT_EQ(writer.Write("+more", 5), 5);
    EXPECT_TRUE(writer.Close());
    EXPECT_FALSE(writer.Close());
    EXPECT_EQ(writer.Write("x", 1), -1);
  }
  EXPECT_EQ(ReadWholeFile(path), "new+more");
}

TEST(BASE_FileWrite, SecondWriterCannotOpenLockedFile)
{
  TempDir dir;
  const std::string path = dir.File("locked.txt");
  BASE_FileWrite first(path.c_str(), 1, 0, 0);  // unbuffered: bytes reach the file at once
  ASSERT_TRUE(first.IsOpen());
  ASSERT_TRUE(first.IsLocked());
  ASSERT_EQ(first.Write("0123456789", 10), 10);

  BASE_FileWrite second(path.c_str());
  EXPECT_FALSE(second.IsOpen());
  EXPECT_EQ(second.Write("xx", 2), -1);
  EXPECT_FALSE(second.Close());
  EXPECT_EQ(ReadWholeFile(path), "0123456789");  // not truncated by the failed open

  // A reader still opens, unlocked, and sees the file grow.
  BASE_FileRead reader(path.c_str());
  ASSERT_TRUE(reader.IsOpen());
  EXPECT_FALSE(reader.IsLocked());
  EXPECT_TRUE(reader.SizeMayGrow());
  char buffer[64];
  EXPECT_EQ(reader.Read(buffer, 64), 10);
  EXPECT_EQ(reader.Read(buffer, 64), 0);
  ASSERT_EQ(first.Write("abcde", 5), 5);
  EXPECT_EQ(reader.Read(buffer, 64), 5);
  EXPECT_EQ(std::string(buffer, 5), "abcde");
  EXPECT_EQ(reader.GetSize(), 15);
  EXPECT_TRUE(first.Close());

  BASE_FileWrite third(path.c_str());
  EXPECT_TRUE(third.IsOpen());
}

struct LimitCase
{
  const char* name;
  int bufferSize;
  int chunk;
  size_t total;
  bool writeFails;  // else only Close can tell
};

// The default buffer holds 131072 bytes; the limit is 50000.
const LimitCase kLimitCases[] = {
  {"buffered, lost in a flush", 8192, 1000, 300000, true},
  {"buffered, lost at close", 8192, 1000, 100000, false},
  {"unbuffered", 0, 7000, 100000, true},
};

// Exit codes of the child below.
enum LimitResult
{
  kReported = 10,
  kReportedAsWritten = 11,
  kSetupFailed = 12,
};

// A save that crosses the file-size limit must come back as failed. The
// limit is set in a child process so the test runner keeps its own.
TEST(BASE_FileWrite, WriteBeyondFileSizeLimitIsReported)
{
  TempDir dir;
  for (const LimitCase& c : kLimitCases)
  {
    const std::string bytes = Pattern(c.total);
    const std::string path = dir.File("limited.bin");
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0)
    {
      signal(SIGXFSZ, SIG_IGN);
      rlimit limit;
      if (getrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(kSetupFailed);
      limit.rlim_cur = 50000;
      if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(kSetupFailed);
      BASE_FileWrite writer(path.c_str(), 1, c.bufferSize, 16);
      if (!writer.IsOpen()) _exit(kSetupFailed);
      bool writeFailed = false;
      for (size_t i = 0; i < bytes.size(); i += static_cast<size_t>(c.chunk))
      {
        const int n = static_cast<int>(std::min(bytes.size() - i, static_cast<size_t>(c.chunk)));
        if (writer.Write(bytes.data() + i, n) != n) writeFailed = true;
      }
      const bool closed = writer.Close();
      _exit(!closed && writer.HasError() && writeFailed == c.writeFails ? kReported
                                                                        : kReportedAsWritten);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child) << c.name;
    ASSERT_TRUE(WIFEXITED(status)) << c.name;
    EXPECT_EQ(WEXITSTATUS(status), kReported) << c.name;
    EXPECT_LE(ReadWholeFile(path).size(), 50000u) << c.name;
  }
}

std::set<std::string> Listing(const char* path, std::set<std::string>* folders)
{
  std::set<std::string> names;
  BASE_DirScan scan;
  for (int r = scan.First(path); r == 0; r = scan.Next())
  {
    names.insert(scan.GetCurrentFileName());
    if (scan.IsCurrentDirectory() && folders) folders->insert(scan.GetCurrentFileName());
  }
  return names;
}

TEST(BASE_DirScan, ListsFolderWithOrWithoutTrailingSlash)
{
  TempDir dir;
  WriteWholeFile(dir.File("1_A.pr3"), "a");
  WriteWholeFile(dir.File("b.txt"), "b");
  ASSERT_EQ(mkdir(dir.File("Sounds").c_str(), 0755), 0);

  std::set<std::string> folders;
  const std::set<std::string> plain = Listing(dir.Path().c_str(), &folders);
  EXPECT_EQ(plain, (std::set<std::string>{".", "..", "1_A.pr3", "b.txt", "Sounds"}));
  EXPECT_EQ(folders, (std::set<std::string>{".", "..", "Sounds"}));
  EXPECT_EQ(Listing((dir.Path() + "/").c_str(), nullptr), plain);
  EXPECT_EQ(Listing((dir.Path() + "\\").c_str(), nullptr), plain);
}

TEST(BASE_DirScan, BadPaths)
{
  TempDir dir;
  BASE_DirScan scan;
  EXPECT_EQ(scan.Next(), -1);
  EXPECT_EQ(scan.First(""), -1);
  EXPECT_EQ(scan.First(nullptr), -1);
  EXPECT_EQ(scan.First(dir.File("absent").c_str()), 1);
  EXPECT_EQ(scan.Next(), -1);
  EXPECT_STREQ(scan.GetCurrentFileName(), "");
  EXPECT_FALSE(scan.IsCurrentDirectory());
  EXPECT_EQ(scan.First("/"), 0);  // the root folder
  EXPECT_STREQ(scan.GetPath(), "");
}
}  // namespace

// The program files read at start: a FIFO or a folder under the name is
// refused at once rather than waited on.
TEST(BASE_FileRead, WhatIsNoFileIsNotOpened)
{
  TempDir dir;
  MakeFifo(dir.File("lastprogram.pr3"));
  ASSERT_EQ(mkdir(dir.File("folder").c_str(), 0755), 0);
  for (const char* name : {"lastprogram.pr3", "folder"})
  {
    const std::string path = dir.File(name);
    EXPECT_TRUE(FinishesWithin(5, [&] { return !BASE_FileRead(path.c_str()).IsOpen(); })) << name;
  }
}
