// BASE_FileRead: reads a file front to back through a large buffer whose
// disk reads start at 8192-byte boundaries, or from memory when the whole
// file was loaded or mapped (files smaller than mappingMaximum bytes).
// Holds a shared advisory lock (flock) while open; when another holder has
// the file locked exclusively -- a writer at work -- the reader opens
// unlocked and re-reads the file size at each Read, since the file may grow.
// Sizes and positions are in bytes. Owns its descriptor, buffer and mapping.
// Not thread-safe.
#pragma once

#include "core/BASE_HeapBuf.h"

#include <cstdint>

class BASE_FileRead
{
public:
  // bufferSize is rounded up to 8192 and multiplied by bufferCount; below
  // 8192 bytes in all, every Read goes to the disk directly. allowAsync 1 or
  // -1 keeps what is read from the disk out of the system's page cache, on a
  // local file system (or one that cannot be asked); a mapped file keeps it.
  explicit BASE_FileRead(const char* path, int allowAsync = 1, int bufferSize = 8192,
                         int bufferCount = 4, int mappingMinimum = 0, int mappingMaximum = 0);
  ~BASE_FileRead();
  BASE_FileRead(const BASE_FileRead&) = delete;
  BASE_FileRead& operator=(const BASE_FileRead&) = delete;

  bool IsOpen() const { return mFile >= 0; }
  int64_t GetSize() const { return mSize; }
  int64_t GetPosition() const { return mPosition; }
  bool IsLocked() const { return mLocked; }
  bool SizeMayGrow() const { return mSizeMayGrow; }

  // Copies up to n bytes to destination; returns the count, 0 at the end of
  // the file, on error or when not open.
  [[nodiscard]] int Read(void* destination, int n);

private:
  int ReadFromMemory(void* destination, int n);
  int NextReadSize();

  static constexpr int kAlignment = 8192;

  BASE_HeapBuf mBuffer{4096};
  char* mArea = nullptr;  // first 8192-byte boundary inside mBuffer
  int mAreaSize = 0;
  int mBufferBytes = 0;   // bytes of the area holding file data
  int mBufferOffset = 0;  // next byte to hand out
  int64_t mPosition = 0;
  int64_t mSize = 0;
  int64_t mDiskPosition = 0;
  void* mMapping = nullptr;
  char* mWholeFile = nullptr;
  int mFile = -1;
  bool mLocked = false;
  bool mSizeMayGrow = false;
  bool mFirstRead = true;
  bool mNoCache = false;
};
