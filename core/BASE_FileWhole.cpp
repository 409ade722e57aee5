#include "core/BASE_FileWhole.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
// The longest temporary tail after the prefix: a process id and a counter,
// "PID.N", each at its widest.
constexpr size_t kTemporaryTail = 19 + 1 + 10;

std::string FolderOf(const std::string& path)
{
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// A name no other writer of this process or another one uses at once.
std::string TemporaryBeside(const std::string& target)
{
  static std::atomic<unsigned> counter{0};
  char tail[48];
  snprintf(tail, sizeof tail, "%ld.%u", static_cast<long>(getpid()), counter.fetch_add(1));
  return BASE_ReplaceTemporaryPrefix(target) + tail;
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

bool ReadAll(int fd, std::string& bytes)
{
  char piece[16384];
  for (;;)
  {
    const ssize_t n = read(fd, piece, sizeof piece);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) return true;
    bytes.append(piece, static_cast<size_t>(n));
  }
}

// Makes a rename durable; a failure here cannot be undone, so it is ignored.
void SyncFolder(const std::string& target)
{
  std::string folder = FolderOf(target);
  if (folder.empty()) folder = ".";
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  (void)fsync(fd);
  (void)close(fd);
}

// Writes the new bytes over the old ones in the file itself, which keeps
// every name, the mode and the owner. Room for the new bytes is taken before
// the first old byte changes, so a full disk mostly fails with the file as
// it was; a write that fails later puts the earlier bytes back.
bool WriteInPlace(const std::string& target, const struct stat& old, const char* data, size_t size,
                  struct stat* written)
{
  const BASE_ReplaceFileCalls& calls = BASE_ReplaceFileSystemCalls();
  const int fd = open(target.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return false;
  struct stat now;
  std::string earlier;
  // The file looked at is the one opened, not one put under the name since.
  bool ok = fstat(fd, &now) == 0 && S_ISREG(now.st_mode) && now.st_dev == old.st_dev &&
            now.st_ino == old.st_ino && ReadAll(fd, earlier);
  if (ok && size > earlier.size() && fallocate(fd, 0, 0, static_cast<off_t>(size)) != 0)
  {
    // A file system without reservations is written all the same.
    ok = errno == EOPNOTSUPP || errno == ENOSYS;
    if (!ok) (void)ftruncate(fd, static_cast<off_t>(earlier.size()));
  }
  if (ok)
  {
    const bool replaced = lseek(fd, 0, SEEK_SET) == 0 && WriteAll(fd, data, size) &&
                          ftruncate(fd, static_cast<off_t>(size)) == 0 && calls.fsync(fd) == 0;
    if (!replaced)
    {
      // The earlier bytes fitted before, so they fit again.
      const char* back = earlier.data();
      size_t left = earlier.size();
      bool restored = lseek(fd, 0, SEEK_SET) == 0;
      while (restored && left > 0)
      {
        const ssize_t n = ::write(fd, back, left);
        if (n < 0 && errno == EINTR) continue;
        restored = n > 0;
        if (restored) back += n, left -= static_cast<size_t>(n);
      }
      (void)ftruncate(fd, static_cast<off_t>(earlier.size()));
      (void)fsync(fd);
      ok = false;
    }
  }
  if (ok && written) ok = fstat(fd, written) == 0;
  ok = calls.close(fd) == 0 && ok;
  return ok;
}

enum class Beside
{
  kDone,
  kFailed,
  kInPlace,  // no fresh file can stand for the old one: write the old one
};

// The errors of a folder that takes no new entry, or of a name that does
// not fit beside the file.
bool NoNewEntry(int error)
{
  return error == EACCES || error == EPERM || error == EROFS || error == ENOSPC || error == EDQUOT ||
         error == EMLINK || error == ENAMETOOLONG;
}

Beside WriteBeside(const std::string& target, const struct stat* old, const char* data, size_t size,
                   unsigned mode, struct stat* written)
{
  const BASE_ReplaceFileCalls& calls = BASE_ReplaceFileSystemCalls();
  std::string temp;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt)
  {
    temp = TemporaryBeside(target);
    fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY, mode);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) return NoNewEntry(errno) ? Beside::kInPlace : Beside::kFailed;
  if (old)
  {
    // The owner first: a change of owner clears the set-id bits the mode
    // then puts back. An owner this process cannot give stays the file's
    // only when the file itself is written.
    struct stat mine;
    const bool owned = fstat(fd, &mine) == 0 && ((mine.st_uid == old->st_uid && mine.st_gid == old->st_gid) ||
                                                 fchown(fd, old->st_uid, old->st_gid) == 0);
    if (!owned || fchmod(fd, old->st_mode & 07777) != 0)
    {
      (void)::close(fd);
      (void)unlink(temp.c_str());
      return owned ? Beside::kFailed : Beside::kInPlace;
    }
  }
  // The bytes must be on the disk before the name points at them, or a
  // crash right after the rename could leave an empty file under it.
  bool ok = WriteAll(fd, data, size) && calls.fsync(fd) == 0 && (!written || fstat(fd, written) == 0);
  // A close can report a write the disk refused late (on a network file
  // system, say): the file is then not the one meant.
  ok = calls.close(fd) == 0 && ok;
  ok = ok && calls.rename(temp.c_str(), target.c_str()) == 0;
  if (!ok)
  {
    (void)unlink(temp.c_str());
    return Beside::kFailed;
  }
  SyncFolder(target);
  return Beside::kDone;
}
}  // namespace

BASE_ReplaceFileCalls& BASE_ReplaceFileSystemCalls()
{
  static BASE_ReplaceFileCalls calls{::write, ::fsync, ::close, ::rename};
  return calls;
}

std::string BASE_ReplaceTemporaryPrefix(const std::string& target)
{
  const std::string folder = FolderOf(target);
  const std::string name = target.substr(folder.size());
  long limit = pathconf(folder.empty() ? "." : folder.c_str(), _PC_NAME_MAX);
  if (limit <= 0) limit = NAME_MAX;
  // "." + name + ".new." + the tail must fit the limit; a long name is cut.
  const long room = limit - 1 - 5 - static_cast<long>(kTemporaryTail);
  const size_t kept = room > 0 ? std::min(name.size(), static_cast<size_t>(room)) : 0;
  return folder + "." + name.substr(0, kept) + ".new.";
}

bool BASE_FollowLinks(const std::string& path, std::string& target)
{
  std::string at = path;
  for (int hops = 0; hops < 40; ++hops)
  {
    struct stat st;
    if (lstat(at.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
    {
      target = at;
      return true;
    }
    char link[PATH_MAX];
    const ssize_t n = readlink(at.c_str(), link, sizeof(link) - 1);
    if (n <= 0 || n >= static_cast<ssize_t>(sizeof(link) - 1)) return false;
    const std::string to(link, static_cast<size_t>(n));
    at = to[0] == '/' ? to : FolderOf(at) + to;
  }
  return false;
}

bool BASE_ReplaceFile(const std::string& path, const void* data, size_t size, unsigned mode, struct stat* written)
{
  if (path.empty() || path.back() == '/' || (size > 0 && !data)) return false;
  std::string target;
  if (!BASE_FollowLinks(path, target)) return false;
  const char* bytes = static_cast<const char*>(data);
  struct stat old;
  const bool exists = lstat(target.c_str(), &old) == 0;
  if (!exists && errno != ENOENT) return false;
  if (exists)
  {
    // A file marked read-only stays as it is, even for a user whom the
    // system would let write it.
    if (!S_ISREG(old.st_mode) || (old.st_mode & 0222) == 0 ||
        faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0)
      return false;
    // A rename would leave the other names with the earlier bytes.
    if (old.st_nlink > 1) return WriteInPlace(target, old, bytes, size, written);
  }
  switch (WriteBeside(target, exists ? &old : nullptr, bytes, size, mode, written))
  {
    case Beside::kDone: return true;
    case Beside::kFailed: return false;
    case Beside::kInPlace: return exists && WriteInPlace(target, old, bytes, size, written);
  }
  return false;
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
