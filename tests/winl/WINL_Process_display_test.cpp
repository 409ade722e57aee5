// Bringing a launched program's window to the front, read back from the
// stacking order of the display's top-level windows.
#include "winl/WINL_Kernel.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

// Xlib's macros (None, Bool, Status) would clash with names in the headers
// above, so it comes last.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace
{
class WinlProcessFront : public ::testing::Test
{
protected:
  void SetUp() override
  {
    mDisplay = XOpenDisplay(nullptr);
    ASSERT_NE(mDisplay, nullptr);
  }
  void TearDown() override
  {
    if (mProcess)
    {
      kill(mPid, SIGTERM);
      EXPECT_EQ(WaitForSingleObject(mProcess, 20000), WAIT_OBJECT_0);
      CloseHandle(mProcess);
    }
    if (mDisplay) XCloseDisplay(mDisplay);
  }

  // Root's children, bottom first.
  std::vector<Window> Stack()
  {
    Window root = 0, parent = 0, *children = nullptr;
    unsigned n = 0;
    std::vector<Window> out;
    if (XQueryTree(mDisplay, DefaultRootWindow(mDisplay), &root, &parent, &children, &n))
    {
      out.assign(children, children + n);
      XFree(children);
    }
    return out;
  }
  long PidOf(Window w)
  {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    long pid = 0;
    if (XGetWindowProperty(mDisplay, w, XInternAtom(mDisplay, "_NET_WM_PID", False), 0, 1, False, XA_CARDINAL,
                           &type, &format, &count, &after, &data) == Success &&
        data && count == 1)
      pid = static_cast<long>(*reinterpret_cast<unsigned long*>(data));
    if (data) XFree(data);
    return pid;
  }
  // The topmost mapped window of the launched program, or None.
  Window ProgramWindow()
  {
    Window found = None;
    for (Window w : Stack())
    {
      XWindowAttributes a;
      if (XGetWindowAttributes(mDisplay, w, &a) && a.map_state == IsViewable && PidOf(w) == mPid) found = w;
    }
    return found;
  }
  // Index in the stacking order, -1 when absent.
  int Level(Window w)
  {
    const std::vector<Window> stack = Stack();
    for (size_t i = 0; i < stack.size(); ++i)
      if (stack[i] == w) return static_cast<int>(i);
    return -1;
  }
  void Launch(const char* path, int count, const char* const* args)
  {
    mProcess = WINL_CreateProcess(path, count, args);
    ASSERT_NE(mProcess, nullptr);
    // The handle hides the child's id; the newest child of this process is
    // the one just started.
    mPid = NewestChild();
  }
  static pid_t NewestChild()
  {
    pid_t newest = 0;
    char path[64];
    std::snprintf(path, sizeof path, "/proc/%d/task/%d/children", getpid(), getpid());
    if (FILE* f = std::fopen(path, "r"))
    {
      for (int pid; std::fscanf(f, "%d", &pid) == 1;) newest = pid;
      std::fclose(f);
    }
    return newest;
  }

  Display* mDisplay = nullptr;
  HANDLE mProcess = nullptr;
  pid_t mPid = 0;
};

TEST_F(WinlProcessFront, TheProgramsWindowComesAboveAnotherWindow)
{
  Launch(WINL_RUNNER_APP, 0, nullptr);
  ASSERT_GT(mPid, 0);
  Window program = None;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while ((program = ProgramWindow()) == None && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  ASSERT_NE(program, None);

  const Window cover = XCreateSimpleWindow(mDisplay, DefaultRootWindow(mDisplay), 0, 0, 50, 50, 0, 0, 0);
  XMapRaised(mDisplay, cover);
  XSync(mDisplay, False);
  ASSERT_GT(Level(cover), Level(program));

  EXPECT_TRUE(WINL_BringProcessToFront(mProcess));
  XSync(mDisplay, False);
  EXPECT_GT(Level(program), Level(cover));
  XDestroyWindow(mDisplay, cover);
  XSync(mDisplay, False);
}

TEST_F(WinlProcessFront, AProgramWithoutAWindowIsNotFoundWithin20Looks)
{
  const char* args[] = {"30"};
  Launch("/bin/sleep", 1, args);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(WINL_BringProcessToFront(mProcess));
  // 19 sleeps of 50 ms between the 20 looks.
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(950));
}

TEST(WinlProcessFrontRefused, AnEndedProgramOrAnotherHandle)
{
  HANDLE done = WINL_CreateProcess("/bin/true", 0, nullptr);
  ASSERT_NE(done, nullptr);
  ASSERT_EQ(WaitForSingleObject(done, 20000), WAIT_OBJECT_0);
  EXPECT_FALSE(WINL_BringProcessToFront(done));
  EXPECT_TRUE(CloseHandle(done));
  HANDLE event = CreateEvent(nullptr, FALSE, FALSE);
  EXPECT_FALSE(WINL_BringProcessToFront(event));
  EXPECT_FALSE(WINL_BringProcessToFront(nullptr));
  EXPECT_TRUE(CloseHandle(event));
}
}  // namespace
