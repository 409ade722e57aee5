#include "core/SpawnClean.h"

#include <limits.h>
#include <signal.h>
#include <spawn.h>
#include <unistd.h>

#include <initializer_list>

extern char** environ;

pid_t SpawnClean(const char* program, char* const* argv, bool searchPath, int stdoutFd, char* const* envp)
{
  if (!envp) envp = environ;
  posix_spawn_file_actions_t actions;
  if (posix_spawn_file_actions_init(&actions) != 0) return -1;
  posix_spawnattr_t attributes;
  if (posix_spawnattr_init(&attributes) != 0)
  {
    posix_spawn_file_actions_destroy(&actions);
    return -1;
  }
  // The new descriptor 1 is the one action that keeps a descriptor; all the
  // others above 2 go, whether or not they were opened close-on-exec.
  bool ready = (stdoutFd < 0 || posix_spawn_file_actions_adddup2(&actions, stdoutFd, STDOUT_FILENO) == 0) &&
               posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1) == 0;
  // A thread that blocks signals, or a caller that ignores a broken pipe,
  // would hand that on to a program that expects the defaults.
  sigset_t none, defaults;
  sigemptyset(&none);
  sigemptyset(&defaults);
  for (int s : {SIGTERM, SIGINT, SIGHUP, SIGPIPE}) sigaddset(&defaults, s);
  ready = ready && posix_spawnattr_setsigmask(&attributes, &none) == 0 &&
          posix_spawnattr_setsigdefault(&attributes, &defaults) == 0 &&
          posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF) == 0;
  pid_t pid = -1;
  const int rc = !ready ? -1
                 : searchPath ? posix_spawnp(&pid, program, &actions, &attributes, argv, envp)
                              : posix_spawn(&pid, program, &actions, &attributes, argv, envp);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  return rc == 0 ? pid : -1;
}

std::string HelperProgramPath(const char* name, const char* builtPath)
{
  char self[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  if (n > 0)
  {
    std::string path(self, static_cast<size_t>(n));
    path = path.substr(0, path.rfind('/') + 1) + name;
    if (access(path.c_str(), X_OK) == 0) return path;
  }
  if (builtPath && access(builtPath, X_OK) == 0) return builtPath;
  return std::string();
}
