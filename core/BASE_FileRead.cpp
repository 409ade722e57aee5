#include "core/BASE_FileRead.h"

#include "core/BASE_FileCache.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace
{
// Readers opened one after another take turns at reading a smaller first
// block, which spreads their disk requests when many files open at once.
std::atomic<unsigned> gFirstReadCounter{0};

// Keeps absurd buffer arguments from overflowing the size arithmetic.
constexpr long long kMaxBufferBytes = 64LL * 1024 * 1024;

int64_t CurrentLength(int file)
{
  struct stat info;
  return fstat(file, &info) == 0 ? static_cast<int64_t>(info.st_size) : 0;
}

ssize_t ReadAt(int file, void* destination, size_t n, int64_t offset)
{
  ssize_t result;
  do
    result = pread(file, destination, n, static_cast<off_t>(offset));
  while (result < 0 && errno == EINTR);
  return result;
}
}  // namespace

BASE_FileRead::BASE_FileRead(const char* path, int allowAsync, int bufferSize, int bufferCount,
                             int mappingMinimum, int mappingMaximum)
{
  if (!path || !*path) return;
  // Non-blocking, so that a FIFO under the name cannot hold the caller
  // waiting for a writer; only a regular file is read.
  mFile = open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (mFile < 0) return;
  struct stat info;
  if (fstat(mFile, &info) != 0 || !S_ISREG(info.st_mode))
  {
    close(mFile);
    mFile = -1;
    return;
  }
  mLocked = flock(mFile, LOCK_SH | LOCK_NB) == 0;
  mSizeMayGrow = !mLocked;
  mNoCache = (allowAsync == 1 || allowAsync == -1) && BASE_FileCacheCanBeSkipped(mFile);
  mSize = CurrentLength(mFile);

  if (mSize < mappingMaximum)
  {
    if (mSize < mappingMinimum)
    {
      if (mSize > 0)
      {
        mWholeFile = static_cast<char*>(malloc(static_cast<size_t>(mSize)));
        const ssize_t got = mWholeFile ? ReadAt(mFile, mWholeFile, static_cast<size_t>(mSize), 0) : -1;
        if (got < 0)
        {
          free(mWholeFile);
          mWholeFile = nullptr;
        }
        else
        {
          mSize = got;
          if (mNoCache) BASE_DropReadFromCache(mFile, got);
        }
      }
    }
    else if (mSize > 0)
    {
      void* view = mmap(nullptr, static_cast<size_t>(mSize), PROT_READ, MAP_SHARED, mFile, 0);
      if (view != MAP_FAILED) mMapping = view;
    }
    if (mWholeFile || mMapping) mSizeMayGrow = false;
  }
  if (mWholeFile || mMapping) return;

  if (bufferSize < 0 || bufferCount < 0) return;
  const long long rounded = (static_cast<long long>(bufferSize) + kAlignment - 1) / kAlignment * kAlignment;
  const long long bytes = rounded * bufferCount;
  if (bytes < kAlignment || bytes > kMaxBufferBytes) return;
  // The extra bytes let the area start at an aligned address.
  const int total = static_cast<int>(bytes) + kAlignment - 1;
  mBuffer.Resize(total);
  if (mBuffer.GetSize() != total) return;
  const uintptr_t start = reinterpret_cast<uintptr_t>(mBuffer.Get());
  const uintptr_t aligned = (start + kAlignment - 1) & ~static_cast<uintptr_t>(kAlignment - 1);
  mArea = static_cast<char*>(mBuffer.Get()) + (aligned - start);
  mAreaSize = static_cast<int>(bytes);
}

BASE_FileRead::~BASE_FileRead()
{
  if (mMapping) munmap(mMapping, static_cast<size_t>(mSize));
  free(mWholeFile);
  if (mFile >= 0)
  {
    if (mLocked) flock(mFile, LOCK_UN);
    close(mFile);
  }
}

int BASE_FileRead::ReadFromMemory(void* destination, int n)
{
  if (n <= 0 || mPosition >= mSize) return 0;
  const int64_t left = mSize - mPosition;
  const int count = left < n ? static_cast<int>(left) : n;
  const char* memory = mMapping ? static_cast<const char*>(mMapping) : mWholeFile;
  memcpy(destination, memory + mPosition, static_cast<size_t>(count));
  mPosition += count;
  return count;
}

int BASE_FileRead::NextReadSize()
{
  int size = mAreaSize;
  if (mFirstRead)
  {
    mFirstRead = false;
    if (size >= 16384)
    {
      const unsigned c = gFirstReadCounter.fetch_add(1);
      size >>= size <= 65535 ? c % 2 : c % 4;
    }
  }
  return size;
}

int BASE_FileRead::Read(void* destination, int n)
{
  if (mMapping || mWholeFile) return ReadFromMemory(destination, n);
  if (mSizeMayGrow && mFile >= 0) mSize = CurrentLength(mFile);
  if (n <= 0 || mFile < 0 || !destination) return 0;

  if (!mArea)
  {
    const ssize_t got = ReadAt(mFile, destination, static_cast<size_t>(n), mDiskPosition);
    if (got <= 0) return 0;
    if (mNoCache) BASE_DropReadFromCache(mFile, mDiskPosition + got);
    mDiskPosition += got;
    mPosition += got;
    return static_cast<int>(got);
  }

  char* out = static_cast<char*>(destination);
  int copied = 0;
  for (;;)
  {
    const int available = mBufferBytes - mBufferOffset;
    const int take = available < n - copied ? available : n - copied;
    if (take > 0)
    {
      memcpy(out + copied, mArea + mBufferOffset, static_cast<size_t>(take));
      mBufferOffset += take;
      copied += take;
      mPosition += take;
    }
    if (copied == n) return copied;

    mBufferBytes = 0;
    mBufferOffset = 0;
    const ssize_t got = ReadAt(mFile, mArea, static_cast<size_t>(NextReadSize()), mDiskPosition);
    if (got <= 0) return copied;
    if (mNoCache) BASE_DropReadFromCache(mFile, mDiskPosition + got);
    mDiskPosition += got;
    mBufferBytes = static_cast<int>(got);
  }
}
