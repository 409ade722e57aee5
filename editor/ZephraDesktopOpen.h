// Opening a file or an address with the desktop's own programs (xdg-open).
// The opener is started at once and watched afterwards: when it ends in
// failure (nothing can show the file, no browser), the editor learns of it
// on a later idle pass and tells the user, instead of writing only a log
// line. GUI thread.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

class DesktopOpener
{
public:
  // program: the opener, looked up in PATH; tests give another.
  explicit DesktopOpener(std::string program = "xdg-open") : mProgram(std::move(program)) {}
  void SetProgram(std::string program) { mProgram = std::move(program); }
  // Starts the opener on target; false when it could not be started.
  bool Start(const std::string& target);
  // The targets whose opener has ended with a failure since the last call.
  // Openers that have ended are reaped; the others are watched further.
  std::vector<std::string> TakeFailures();
  // Openers started and not yet seen to end.
  size_t Running() const { return mRunning.size(); }

private:
  struct Child
  {
    pid_t pid;
    std::string target;
  };
  std::string mProgram;
  std::vector<Child> mRunning;
};
