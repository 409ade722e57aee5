// Child programs take none of the caller's descriptors but 0, 1 and 2, even
// those opened without close-on-exec (as the sound server's client library
// opens its sockets).
#include "core/SpawnClean.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

namespace
{
// Runs a listing of the child's own descriptors through SpawnClean, with
// stdout on a pipe; what it printed. The shell becomes the listing program
// (exec), which holds one descriptor of its own, 3, on the folder it reads.
// A shell listing its descriptors through a pipeline (ls | tr) also listed
// the pipe's ends, which it holds for a moment while starting the pipeline.
std::string DescriptorsOfAChild(bool searchPath)
{
  int out[2];
  EXPECT_EQ(pipe2(out, O_CLOEXEC), 0);
  char sh[] = "sh", dashC[] = "-c";
  char script[] = "exec ls /proc/self/fd";
  char* argv[] = {sh, dashC, script, nullptr};
  const pid_t pid = SpawnClean(searchPath ? "sh" : "/bin/sh", argv, searchPath, out[1]);
  close(out[1]);
  std::string text;
  char buffer[256];
  ssize_t n;
  while ((n = read(out[0], buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<size_t>(n));
  close(out[0]);
  int status = 0;
  EXPECT_GT(pid, 0);
  if (pid > 0)
  {
    EXPECT_EQ(waitpid(pid, &status, 0), pid);
  }
  return text;
}
}  // namespace

TEST(SpawnClean, TheChildKeepsOnlyItsStandardDescriptors)
{
  // Inheritable on purpose, the way a library may open them.
  int sockets[2];
  ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, sockets), 0);
  const int file = open("/dev/null", O_RDONLY);
  ASSERT_GE(file, 0);
  for (bool searchPath : {false, true})
  {
    EXPECT_EQ(DescriptorsOfAChild(searchPath), "0\n1\n2\n3\n") << searchPath;
  }
  close(sockets[0]);
  close(sockets[1]);
  close(file);
}

TEST(SpawnClean, AMissingProgramIsNoChild)
{
  char name[] = "zephra-no-such-program";
  char* argv[] = {name, nullptr};
  EXPECT_EQ(SpawnClean("/nonexistent/zephra-no-such-program", argv, false), -1);
}
