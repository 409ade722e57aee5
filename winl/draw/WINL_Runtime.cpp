#include "winl/draw/WINL_Runtime.h"

#include <sys/stat.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>

DWORD GetTickCount()
{
  // A steady clock, not the wall clock: callers subtract ticks to measure
  // intervals (double clicks, timer procedures), and a wall clock set back by
  // the user or by time synchronisation would make those intervals huge.
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  const uint64_t ms = static_cast<uint64_t>(ts.tv_sec) * 1000u +
                      static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
  return static_cast<DWORD>(ms);
}

void Sleep(DWORD ms)
{
  timespec want;
  if (ms == 0)
  {
    want.tv_sec = 0;
    want.tv_nsec = 100 * 1000;
  }
  else
  {
    want.tv_sec = static_cast<time_t>(ms / 1000);
    want.tv_nsec = static_cast<long>(ms % 1000) * 1000000L;
  }
  // A signal handler must not cut the wait short.
  timespec left;
  while (nanosleep(&want, &left) != 0 && errno == EINTR) want = left;
}

int MulDiv(int a, int b, int c)
{
  if (c == 0) return -1;
  const int64_t q = static_cast<int64_t>(a) * b / c;
  if (q < INT_MIN || q > INT_MAX) return -1;
  return static_cast<int>(q);
}

char* lstrcpyn(char* dest, const char* src, int size)
{
  if (!dest || size < 1) return dest;
  if (!src) src = "";
  const size_t cap = static_cast<size_t>(size) - 1;
  size_t n = 0;
  while (n < cap && src[n]) ++n;
  memcpy(dest, src, n);
  dest[n] = 0;
  return dest;
}

DWORD GetTempPath(DWORD size, char* buffer)
{
  if (!buffer || size == 0) return 0;
  const char* dir = getenv("TMPDIR");
  if (!dir || !*dir) dir = "/tmp/";
  size_t len = strlen(dir);
  const bool needSlash = dir[len - 1] != '/';
  const size_t full = len + (needSlash ? 1 : 0);
  if (size == 1)
  {
    buffer[0] = 0;
    return 0;
  }
  if (full + 1 <= size)
  {
    memcpy(buffer, dir, len);
    if (needSlash) buffer[len++] = '/';
    buffer[len] = 0;
    return static_cast<DWORD>(len);
  }
  // Cut to fit, keeping the promise that the text ends in '/'.
  const size_t keep = size - 2;
  memcpy(buffer, dir, keep);
  buffer[keep] = '/';
  buffer[keep + 1] = 0;
  return static_cast<DWORD>(keep + 1);
}

namespace
{
// Seconds since 1970 to 100-ns units since 1601; out-of-range times are clamped
// instead of overflowing.
FILETIME ToFileTime(time_t seconds)
{
  constexpr int64_t kEpochOffset = 116444736000000000LL;
  constexpr int64_t kPerSecond = 10000000LL;
  constexpr int64_t kMinSeconds = -kEpochOffset / kPerSecond;
  constexpr int64_t kMaxSeconds = (INT64_MAX - kEpochOffset) / kPerSecond;
  int64_t s = static_cast<int64_t>(seconds);
  if (s < kMinSeconds) s = kMinSeconds;
  if (s > kMaxSeconds) s = kMaxSeconds;
  const uint64_t t = static_cast<uint64_t>(s * kPerSecond + kEpochOffset);
  FILETIME ft;
  ft.dwLowDateTime = static_cast<DWORD>(t & 0xFFFFFFFFu);
  ft.dwHighDateTime = static_cast<DWORD>(t >> 32);
  return ft;
}
}  // namespace

BOOL GetFileTime(int fd, FILETIME* creation, FILETIME* access, FILETIME* write)
{
  if (fd < 0) return FALSE;
  struct stat st;
  if (fstat(fd, &st) != 0) return FALSE;
  if (creation) *creation = ToFileTime(st.st_ctime);
  if (access) *access = ToFileTime(st.st_atime);
  if (write) *write = ToFileTime(st.st_mtime);
  return TRUE;
}

unsigned _controlfp(unsigned, unsigned) { return 0; }
