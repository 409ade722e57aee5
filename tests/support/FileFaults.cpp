#include "support/FileFaults.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <linux/fs.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

bool RunWithFileSizeLimit(long limitBytes, const std::function<bool()>& work)
{
  const pid_t child = fork();
  if (child < 0) return false;
  if (child == 0)
  {
    // The write past the limit must fail, not end the child.
    signal(SIGXFSZ, SIG_IGN);
    rlimit limit;
    if (getrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(3);
    limit.rlim_cur = static_cast<rlim_t>(limitBytes);
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(3);
    _exit(work() ? 0 : 1);
  }
  int status = 0;
  if (waitpid(child, &status, 0) != child || !WIFEXITED(status)) return false;
  EXPECT_NE(WEXITSTATUS(status), 3) << "the file-size limit could not be set";
  return WEXITSTATUS(status) == 0;
}

void MakeFifo(const std::string& path)
{
  ASSERT_EQ(mkfifo(path.c_str(), 0600), 0) << path;
}

void MakeDevZeroLink(const std::string& path)
{
  ASSERT_EQ(symlink("/dev/zero", path.c_str()), 0) << path;
}

namespace
{
bool SetUnchangeable(const std::string& folder, bool on)
{
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  int flags = 0;
  bool ok = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
  flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
  ok = ok && ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
  close(fd);
  return ok;
}
}  // namespace

FolderWithoutNewEntries::FolderWithoutNewEntries(const std::string& folder) : mFolder(folder)
{
  struct stat info;
  if (stat(folder.c_str(), &info) != 0) return;
  mMode = info.st_mode & 07777;
  if (SetUnchangeable(folder, true))
    mHow = How::kUnchangeable;
  else if (geteuid() != 0 && chmod(folder.c_str(), mMode & ~0222u) == 0)
    mHow = How::kNotWritable;
}

FolderWithoutNewEntries::~FolderWithoutNewEntries()
{
  if (mHow == How::kUnchangeable)
  {
    EXPECT_TRUE(SetUnchangeable(mFolder, false)) << mFolder;
  }
  if (mHow == How::kNotWritable)
  {
    EXPECT_EQ(chmod(mFolder.c_str(), mMode), 0) << mFolder;
  }
}

bool FinishesWithin(unsigned seconds, const std::function<bool()>& work)
{
  fflush(nullptr);
  const pid_t child = fork();
  if (child < 0) return false;
  if (child == 0)
  {
    signal(SIGALRM, SIG_DFL);
    alarm(seconds);
    _exit(work() ? 0 : 1);
  }
  int status = 0;
  if (waitpid(child, &status, 0) != child) return false;
  EXPECT_FALSE(WIFSIGNALED(status) && WTERMSIG(status) == SIGALRM) << "still waiting after " << seconds << " s";
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
