#include "synth/support/DatabaseServer.h"

#include "platform/net/PLAT_Http.h"
#include "support/TempDir.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

extern char** environ;

namespace
{
struct Process
{
  pid_t pid = -1;
  int input = -1;  // the server runs until this closes
  ~Process()
  {
    if (input >= 0) close(input);
    if (pid > 0)
    {
      int status = 0;
      waitpid(pid, &status, 0);
    }
  }
};

std::unique_ptr<TempDir> gFolder;
std::unique_ptr<Process> gProcess;
std::unique_ptr<DatabaseServer> gServer;
}  // namespace

DatabaseServer* DatabaseServer::Get()
{
  if (gServer) return gServer.get();
  gFolder = std::make_unique<TempDir>();
  int toServer[2], fromServer[2];
  if (pipe(toServer) != 0 || pipe(fromServer) != 0) return nullptr;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, toServer[0], 0);
  posix_spawn_file_actions_adddup2(&actions, fromServer[1], 1);
  posix_spawn_file_actions_addclose(&actions, toServer[1]);
  posix_spawn_file_actions_addclose(&actions, fromServer[0]);
  const std::string script = std::string(ZEPHRA_SOURCE_ROOT) + "/tests/synth/dbserver/dbserver.py";
  std::string folder = gFolder->Path();
  char* argv[] = {const_cast<char*>("python3"), const_cast<char*>(script.c_str()), folder.data(), nullptr};
  pid_t pid = -1;
  const int spawned = posix_spawnp(&pid, "python3", &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  close(toServer[0]);
  close(fromServer[1]);
  if (spawned != 0)
  {
    close(toServer[1]);
    close(fromServer[0]);
    return nullptr;
  }
  gProcess = std::make_unique<Process>();
  gProcess->pid = pid;
  gProcess->input = toServer[1];
  FILE* out = fdopen(fromServer[0], "r");
  int port = 0;
  const bool started = out && fscanf(out, "PORT %d", &port) == 1;
  if (out) fclose(out);
  if (!started) return nullptr;
  gServer = std::make_unique<DatabaseServer>();
  gServer->mHost = "127.0.0.1:" + std::to_string(port);
  gServer->mCaFile = folder + "/cert.pem";
  // Stop the server when the test program ends, before its folder goes.
  std::atexit([] {
    gServer.reset();
    gProcess.reset();
    gFolder.reset();
  });
  return gServer.get();
}

void DatabaseServer::Control(const std::string& json)
{
  PLAT_HttpOptions options;
  options.caFile = mCaFile;
  (void)PLAT_HttpRequest("https://" + mHost + "/ctl", &json, {"Content-Type: application/json"}, options);
}

std::string DatabaseServer::Log()
{
  PLAT_HttpOptions options;
  options.caFile = mCaFile;
  return PLAT_HttpRequest("https://" + mHost + "/log", nullptr, {}, options).body;
}
