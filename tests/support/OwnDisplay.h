// A virtual display of a test's own (Xvfb), with a window manager (openbox)
// framing its windows with title bars when asked, for tests that need a
// display unlike the shared one of the test command. Both end with the
// object, or with the test's process. Binaries that include this link Xlib.
#pragma once

#include "support/TempDir.h"
#include "support/WaitFor.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include <X11/Xlib.h>

class OwnDisplay
{
public:
  OwnDisplay(int width, int height, bool windowManager)
  {
    if (StartServer(width, height) && windowManager) StartManager();
  }
  ~OwnDisplay()
  {
    Stop(mManagerPid);
    Stop(mServerPid);
  }
  OwnDisplay(const OwnDisplay&) = delete;
  OwnDisplay& operator=(const OwnDisplay&) = delete;

  // Whether everything asked for runs; if not, Error() says why.
  bool Up() const { return mError.empty(); }
  const std::string& Error() const { return mError; }
  // ":N".
  const std::string& Name() const { return mName; }

private:
  static void Stop(pid_t& pid)
  {
    if (pid <= 0) return;
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    pid = 0;
  }

  // In a child: output to nowhere, and gone with the test.
  static void Detach()
  {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, STDOUT_FILENO);
    dup2(null, STDERR_FILENO);
  }

  bool StartServer(int width, int height)
  {
    int fds[2];
    if (pipe(fds) != 0) return Fail("no pipe for the display number");
    const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
    const std::string fd = std::to_string(fds[1]);
    mServerPid = fork();
    if (mServerPid == 0)
    {
      close(fds[0]);
      Detach();
      execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(), "-nolisten", "tcp",
             static_cast<char*>(nullptr));
      _exit(127);
    }
    close(fds[1]);
    std::string number;
    char c;
    while (read(fds[0], &c, 1) == 1 && c != '\n') number += c;
    close(fds[0]);
    if (number.empty()) return Fail("Xvfb did not start");
    mName = ":" + number;
    return true;
  }

  void StartManager()
  {
    // A home of its own: no user's configuration changes the frames.
    const std::string home = "HOME=" + mHome.Path();
    const std::string display = "DISPLAY=" + mName;
    mManagerPid = fork();
    if (mManagerPid == 0)
    {
      Detach();
      char* envp[] = {const_cast<char*>(home.c_str()), const_cast<char*>(display.c_str()), nullptr};
      execle("/usr/bin/openbox", "openbox", "--sm-disable", static_cast<char*>(nullptr), envp);
      _exit(127);
    }
    // The manager runs once it names itself on the root window.
    Display* x = XOpenDisplay(mName.c_str());
    if (!x)
    {
      Fail("cannot open display " + mName);
      return;
    }
    const Atom check = XInternAtom(x, "_NET_SUPPORTING_WM_CHECK", False);
    const bool up = WaitFor(
        [&] {
          Atom type;
          int format;
          unsigned long n = 0, left = 0;
          unsigned char* data = nullptr;
          const bool named = XGetWindowProperty(x, DefaultRootWindow(x), check, 0, 1, False, AnyPropertyType, &type,
                                                &format, &n, &left, &data) == Success &&
                             n == 1;
          if (data) XFree(data);
          return named || waitpid(mManagerPid, nullptr, WNOHANG) == mManagerPid;
        },
        kBusyLimit);
    XCloseDisplay(x);
    if (up && waitpid(mManagerPid, nullptr, WNOHANG) == 0) return;
    if (up) mManagerPid = 0;  // ended, and gone
    Fail("the window manager (openbox) did not start");
  }

  bool Fail(const std::string& why)
  {
    mError = why;
    return false;
  }

  TempDir mHome;
  std::string mName;
  std::string mError;
  pid_t mServerPid = 0;
  pid_t mManagerPid = 0;
};
