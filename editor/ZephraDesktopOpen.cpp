// The desktop opener: a child process per request, reaped when it ends.
#include "editor/ZephraDesktopOpen.h"

#include "core/SpawnClean.h"

#include <sys/wait.h>

#include <cerrno>

bool DesktopOpener::Start(const std::string& target)
{
  if (target.empty() || mProgram.empty()) return false;
  std::vector<char*> argv{const_cast<char*>(mProgram.c_str()), const_cast<char*>(target.c_str()), nullptr};
  const pid_t pid = SpawnClean(mProgram.c_str(), argv.data(), true);
  if (pid < 0) return false;
  mRunning.push_back({pid, target});
  return true;
}

std::vector<std::string> DesktopOpener::TakeFailures()
{
  std::vector<std::string> failed;
  for (size_t i = 0; i < mRunning.size();)
  {
    int status = 0;
    const pid_t done = waitpid(mRunning[i].pid, &status, WNOHANG);
    if (done == 0 || (done < 0 && errno == EINTR))
    {
      ++i;
      continue;
    }
    // A child that cannot be waited for any more counts as ended well:
    // nothing is known against it.
    if (done > 0 && !(WIFEXITED(status) && WEXITSTATUS(status) == 0)) failed.push_back(mRunning[i].target);
    mRunning.erase(mRunning.begin() + static_cast<long>(i));
  }
  return failed;
}
