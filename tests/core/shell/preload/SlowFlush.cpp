// A slow disk for the program under test, preloaded into it: every flush of
// a file to the disk (fsync, fdatasync) waits 150 ms before it is made, as
// on a slow USB stick.
#include <dlfcn.h>

#include <cerrno>
#include <ctime>

namespace
{
constexpr long kFlushDelayNs = 150L * 1000 * 1000;

void WaitForTheDisk()
{
  timespec left = {0, kFlushDelayNs};
  const int saved = errno;
  while (nanosleep(&left, &left) != 0 && errno == EINTR)
  {
  }
  errno = saved;
}

using Flush = int (*)(int);

Flush Next(const char* name)
{
  return reinterpret_cast<Flush>(dlsym(RTLD_NEXT, name));
}
}  // namespace

extern "C" int fsync(int fd)
{
  static const Flush next = Next("fsync");
  WaitForTheDisk();
  return next(fd);
}

extern "C" int fdatasync(int fd)
{
  static const Flush next = Next("fdatasync");
  WaitForTheDisk();
  return next(fd);
}
