#include "core/BASE_FileWhole.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
// A name no other writer of this process or another one uses at once.
std::string TemporaryBeside(const std::string& path)
{
  static std::atomic<unsigned> counter{0};
  const size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  char tail[48];
  snprintf(tail, sizeof tail, ".new.%ld.%u", static_cast<long>(getpid()), counter.fetch_add(1));
  return folder + "." + name + tail;
}

bool WriteAll(int fd, const char* data, size_t size)
{
  while (size > 0)
  {
    const ssize_t n = BASE_ReplaceFileSystemCalls().write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    // 0 or an error: a full disk or a size limit; the rest would not fit.
    if (n <= 0) return false;
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}
}  // namespace

BASE_ReplaceFileCalls& BASE_ReplaceFileSystemCalls()
{
  static BASE_ReplaceFileCalls calls{::write, ::fsync, ::close};
  return calls;
}

bool BASE_ReplaceFile(const std::string& path, const void* data, size_t size, unsigned mode)
{
  if (path.empty() || path.back() == '/' || (size > 0 && !data)) return false;
  const std::string temp = TemporaryBeside(path);
  const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode);
  if (fd < 0) return false;
  // The bytes must be on the disk before the name points at them, or a
  // crash right after the rename could leave an empty file under it.
  const BASE_ReplaceFileCalls& calls = BASE_ReplaceFileSystemCalls();
  bool ok = WriteAll(fd, static_cast<const char*>(data), size) && calls.fsync(fd) == 0;
  // A close can report a write the disk refused late (on a network file
  // system, say): the file is then not the one meant.
  ok = calls.close(fd) == 0 && ok;
  ok = ok && rename(temp.c_str(), path.c_str()) == 0;
  if (!ok) (void)unlink(temp.c_str());
  return ok;
}

BASE_ReadResult BASE_ReadRegularFile(const std::string& path, size_t maxBytes, std::string& bytes)
{
  // Non-blocking, so that opening a FIFO does not wait for a writer; the
  // type is then checked on the open file, not on a name that may change.
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return BASE_ReadResult::kMissing;
  struct stat info;
  BASE_ReadResult result = BASE_ReadResult::kRead;
  if (fstat(fd, &info) != 0)
    result = BASE_ReadResult::kReadFailed;
  else if (!S_ISREG(info.st_mode))
    result = BASE_ReadResult::kNotRegular;
  else if (static_cast<unsigned long long>(info.st_size) > maxBytes)
    result = BASE_ReadResult::kTooLarge;
  std::string data;
  if (result == BASE_ReadResult::kRead)
  {
    // One byte more than allowed shows a file that grew since the check.
    data.resize(maxBytes < 65536 ? maxBytes + 1 : 65536);
    size_t total = 0;
    for (;;)
    {
      if (total == data.size()) data.resize(std::min(data.size() * 2, maxBytes + 1));
      if (total == data.size()) break;
      const ssize_t n = read(fd, &data[total], data.size() - total);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) result = BASE_ReadResult::kReadFailed;
      if (n <= 0) break;
      total += static_cast<size_t>(n);
    }
    if (total > maxBytes) result = BASE_ReadResult::kTooLarge;
    data.resize(total);
  }
  close(fd);
  if (result == BASE_ReadResult::kRead) bytes.swap(data);
  return result;
}
