// Child programs (the sound server's probe, the alert helper, the desktop
// opener, programs the window layer starts) that take none of the caller's descriptors with them. The
// editor holds sockets it did not open itself (the sound server's client
// library opens them without close-on-exec); a child that kept them would
// keep the server talking to a client that is gone, for as long as the
// child lives.
#pragma once

#include <sys/types.h>

#include <string>

// Starts program with argv (argv[0] first, null last). The child keeps only
// descriptors 0, 1 and 2, with 1 replaced by stdoutFd when that is not -1,
// and starts with no signal blocked and the quitting signals at their
// defaults. searchPath looks program up in PATH; envp (null: the caller's
// environment) is the child's environment. The child's id, or -1 when it
// could not be started.
pid_t SpawnClean(const char* program, char* const* argv, bool searchPath, int stdoutFd = -1,
                 char* const* envp = nullptr);

// A helper program of ours by name: the one beside the executable once
// installed, else the one built in the build tree (builtPath, may be null).
// Empty when neither is there.
std::string HelperProgramPath(const char* name, const char* builtPath);
