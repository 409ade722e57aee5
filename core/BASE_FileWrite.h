// BASE_FileWrite: writes a file front to back through a buffer, with
// positioned writes. Holds an exclusive advisory lock (flock) while open, so
// a second writer of the same file fails to open; the file is truncated
// unless opened for appending. Sizes and positions are in bytes.
//
// A write that the system refuses or cuts short (disk full, file-size limit)
// is retried for the rest and then remembered: Close reports it, so a caller
// can tell a lost save. The destructor closes too but cannot report.
// Owns its descriptor and buffer. Not thread-safe.
#pragma once

#include "core/BASE_HeapBuf.h"

#include <cstdint>

class BASE_FileWrite
{
public:
  // The buffer holds bufferSize x minimumBuffers bytes (rounded up to 4096)
  // when that is 16384 or more; otherwise every Write goes to the disk at
  // once. allowAsync 2 or more keeps what is written out of the system's
  // page cache (each write then waits for the disk). maximumBuffers is
  // accepted for the callers' sake.
  explicit BASE_FileWrite(const char* path, int allowAsync = 1, int bufferSize = 8192,
                          int minimumBuffers = 16, int maximumBuffers = 16, bool append = false,
                          bool noLocking = false);
  ~BASE_FileWrite();
  BASE_FileWrite(const BASE_FileWrite&) = delete;
  BASE_FileWrite& operator=(const BASE_FileWrite&) = delete;

  // False when the path was empty, could not be opened, or is locked by
  // another writer.
  bool IsOpen() const { return mFile >= 0; }
  bool IsLocked() const { return mLocked; }
  // True once any byte failed to reach the file.
  bool HasError() const { return mError; }
  int64_t GetPosition() const { return mPosition + mBuffered; }
  int64_t GetSize() const { return mSize; }

  // Accepts n bytes; returns n, or -1 when the writer is not open or has
  // failed (then nothing more is written).
  int Write(const void* source, int n);

  // Writes what waits in the buffer, releases the lock and closes the file.
  // True only when the file was open and every byte written reached it.
  [[nodiscard]] bool Close();

private:
  // Writes count bytes at offset, continuing after short writes; false when
  // the system would not take them all.
  bool WriteAt(const char* data, int64_t count, int64_t offset);
  void FlushBuffer();

  int64_t mPosition = 0;  // file position of the first buffered byte
  int64_t mSize = 0;
  BASE_HeapBuf mBuffer{4096};
  int mBuffered = 0;
  int mFile = -1;
  bool mLocked = false;
  bool mError = false;
  bool mClosed = false;
  bool mNoCache = false;
};
