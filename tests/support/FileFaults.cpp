#include "support/FileFaults.h"

#include <gtest/gtest.h>

#include <signal.h>
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
