#include "core/BASE_FileWrite.h"

#include "core/BASE_FileCache.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace
{
constexpr long long kMinBufferBytes = 16384;
constexpr long long kMaxBufferBytes = 64LL * 1024 * 1024;
}  // namespace

BASE_FileWrite::BASE_FileWrite(const char* path, int allowAsync, int bufferSize,
                               int minimumBuffers, int /*maximumBuffers*/, bool append,
                               bool noLocking)
{
  if (!path || !*path) return;
  // Not O_TRUNC: a file that another writer holds must stay intact.
  mFile = open(path, O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
  if (mFile < 0) return;

  if (!noLocking)
  {
    if (flock(mFile, LOCK_EX | LOCK_NB) == 0)
    {
      mLocked = true;
    }
    else if (errno == EWOULDBLOCK)
    {
      close(mFile);
      mFile = -1;
      return;
    }
    else
    {
      mLocked = flock(mFile, LOCK_SH | LOCK_NB) == 0;
    }
  }

  if (append)
  {
    const off_t end = lseek(mFile, 0, SEEK_END);
    if (end < 0)
      mError = true;
    else
      mPosition = mSize = end;
  }
  else if (ftruncate(mFile, 0) != 0)
  {
    // Old bytes beyond what we write would survive and spoil the file.
    mError = true;
  }

  mNoCache = allowAsync >= 2;

  if (bufferSize > 0 && minimumBuffers > 0)
  {
    long long bytes = static_cast<long long>(bufferSize) * minimumBuffers;
    if (bytes >= kMinBufferBytes)
    {
      bytes = std::min((bytes + 4095) / 4096 * 4096, kMaxBufferBytes);
      mBuffer.Resize(static_cast<int>(bytes));
    }
  }
}

BASE_FileWrite::~BASE_FileWrite()
{
  if (!mClosed) (void)Close();
}

bool BASE_FileWrite::WriteAt(const char* data, int64_t count, int64_t offset)
{
  const int64_t start = offset, total = count;
  while (count > 0)
  {
    const ssize_t written = pwrite(mFile, data, static_cast<size_t>(count), static_cast<off_t>(offset));
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    data += written;
    count -= written;
    offset += written;
  }
  if (mNoCache) BASE_DropWrittenFromCache(mFile, start, total);
  return true;
}

void BASE_FileWrite::FlushBuffer()
{
  if (mBuffered <= 0) return;
  if (!mError && !WriteAt(static_cast<const char*>(mBuffer.Get()), mBuffered, mPosition)) mError = true;
  mPosition += mBuffered;
  mBuffered = 0;
}

int BASE_FileWrite::Write(const void* source, int n)
{
  if (mFile < 0 || mError) return -1;
  if (n <= 0 || !source) return n < 0 ? -1 : 0;
  const char* data = static_cast<const char*>(source);

  const int capacity = mBuffer.GetSize();
  if (capacity == 0)
  {
    if (!WriteAt(data, n, mPosition)) mError = true;
    mPosition += n;
    mSize = std::max(mSize, mPosition);
    return mError ? -1 : n;
  }

  int left = n;
  while (left > 0)
  {
    const int take = std::min(left, capacity - mBuffered);
    memcpy(static_cast<char*>(mBuffer.Get()) + mBuffered, data, static_cast<size_t>(take));
    mBuffered += take;
    data += take;
    left -= take;
    mSize = std::max(mSize, mPosition + mBuffered);
    if (mBuffered == capacity) FlushBuffer();
    if (mError) return -1;
  }
  return n;
}

bool BASE_FileWrite::Close()
{
  if (mClosed) return false;
  mClosed = true;
  if (mFile < 0) return false;
  FlushBuffer();
  if (mLocked) flock(mFile, LOCK_UN);
  // Some file systems report a failed write only when the file closes.
  if (close(mFile) != 0) mError = true;
  mFile = -1;
  mLocked = false;
  mBuffer.Resize(0);
  return !mError;
}
