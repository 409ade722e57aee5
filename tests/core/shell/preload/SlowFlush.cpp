// A slow disk for the program under test, preloaded into it: every flush of
// a file to the disk waits 150 ms first, as on a slow USB stick.
#include <dlfcn.h>
#include <unistd.h>

namespace
{
using Flush = int (*)(int);
int SlowFlush(const char* name, int fd)
{
  usleep(150 * 1000);
  return reinterpret_cast<Flush>(dlsym(RTLD_NEXT, name))(fd);
}
}  // namespace

extern "C" int fsync(int fd) { return SlowFlush("fsync", fd); }
extern "C" int fdatasync(int fd) { return SlowFlush("fdatasync", fd); }
