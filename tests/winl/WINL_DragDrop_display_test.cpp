// Drags with the real pointer (xdotool) between window views: a promised
// file dropped on a drop target of another window is written into the
// folder the target's hook names, and a list of files dragged from a view
// reaches a drop target in another process.
#include "platform/gtk/PLAT_GtkDrag.h"
#include "platform/gtk/PLAT_GtkView.h"
#include "winl/WINL_Dialog.h"
#include "winl/WINL_DragDrop.h"
#include "winl/WINL_Hosting.h"
#include "winl/WINL_MessageBox.h"
#include "winl/WINL_Window.h"
#include "winl/draw/WINL_GDI.h"

#include "WinlGtkTest.h"
#include "support/TempDir.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace
{
int ShownTopLevels()
{
  int n = 0;
  EnumWindows(
      [](HWND, LPARAM count) -> BOOL {
        ++*reinterpret_cast<int*>(count);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&n));
  return n;
}

class WinlDragDrop : public WinlGtkTest
{
protected:
  void TearDown() override
  {
    // A drag's image goes once its source hears that the drop is done.
    EXPECT_TRUE(LoopUntil([] { return !PLAT_GtkTestDragActive() && PLAT_GtkTestToplevelCount() == ShownTopLevels(); }));
    WinlGtkTest::TearDown();
  }
};

// ---- the source ----

std::string gPromisePath;                // what a press on the source view promises
std::vector<const char*> gListPaths;     // or the files it drags, when not empty
HICON gListIcon = nullptr;               // the image of the files' drag

void WriteProgram(const char* destination) { WriteWholeFile(destination, "promised program"); }

LRESULT SourceProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
  // A second drag soon after the first may start with a double click.
  if (msg != WM_LBUTTONDOWN && msg != WM_LBUTTONDBLCLK) return DefWindowProc(hwnd, msg, wParam, lParam);
  RECT r;
  GetClientRect(hwnd, &r);
  if (!gListPaths.empty())
    WINL_InitiateDragDropOfFileList(hwnd, &r, gListPaths.data(), static_cast<int>(gListPaths.size()), gListIcon);
  else
    WINL_InitiateDragDrop(hwnd, &r, gPromisePath.c_str(), WriteProgram);
  return 0;
}

// ---- the target ----

std::vector<std::string> gDropped;  // paths of the last WM_DROPFILES
int gDrops = 0;
int gEnters = 0, gUpdates = 0, gLeaves = 0;
UINT gEnterFiles = 99;
POINT gEnterPoint{};
std::string gFolder;
int gTargetPresses = 0;
POINT gDropPoint{};

LRESULT TargetProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
  if (msg == WM_LBUTTONDOWN) ++gTargetPresses;
  if (msg != WM_DROPFILES) return DefWindowProc(hwnd, msg, wParam, lParam);
  HDROP drop = reinterpret_cast<HDROP>(wParam);
  gDropped.clear();
  for (UINT i = 0, n = DragQueryFile(drop, 0xFFFFFFFFu, nullptr, 0); i < n; ++i)
  {
    char path[4096];
    DragQueryFile(drop, i, path, sizeof path);
    gDropped.push_back(path);
  }
  DragQueryPoint(drop, &gDropPoint);
  ++gDrops;
  return 0;
}

const WINL_DropHooks kHooks = [] {
  WINL_DropHooks h;
  h.dragEnter = [](HWND, HDROP drop, POINT screen) {
    ++gEnters;
    gEnterFiles = DragQueryFile(drop, 0xFFFFFFFFu, nullptr, 0);
    gEnterPoint = screen;
  };
  h.dragUpdate = [](HWND, POINT) { ++gUpdates; };
  h.dragLeave = [](HWND) { ++gLeaves; };
  h.promiseFolder = [](HWND, char* folder, int size) {
    std::snprintf(folder, static_cast<size_t>(size), "%s", gFolder.c_str());
  };
  return h;
}();

// A shown window whose whole content is one view with the procedure; its
// top-left corner on the screen (top-down) in *x, *y.
HWND ShownView(WNDPROC proc, int left, int* x, int* y)
{
  HWND window = WINL_CreateDialog(nullptr, reinterpret_cast<const char*>(WINL_NO_RESOURCE), nullptr, nullptr, 0);
  SetWindowPos(window, nullptr, left, 900, 200, 120, SWP_NOZORDER);
  HWND view = WINL_CreateView(window, proc, 0);
  SetWindowPos(view, nullptr, 0, 0, 200, 120, SWP_NOZORDER);
  ShowWindow(view, SW_SHOW);
  ShowWindow(window, SW_SHOW);
  EXPECT_TRUE(LoopUntil([view] { return PLAT_GtkTestIsViewable(WINL_GetNativeView(view)); }));
  int w, h;
  PLAT_GtkTestWindowFrame(WINL_GetNativeWindow(window), x, y, &w, &h);
  return view;
}

void ResetTarget()
{
  gDropped.clear();
  gDrops = gEnters = gUpdates = gLeaves = 0;
  gEnterFiles = 99;
}

// A source view and, right of it, a drop-target view, each filling a
// window of its own; their top-left corners on the screen (top-down).
struct SourceAndTarget
{
  int sx = 0, sy = 0, tx = 0, ty = 0;
  HWND target = nullptr;
};

SourceAndTarget ShowSourceAndTarget()
{
  ResetTarget();
  SourceAndTarget p;
  ShownView(SourceProc, 100, &p.sx, &p.sy);
  p.target = ShownView(TargetProc, 500, &p.tx, &p.ty);
  SetWindowLong(p.target, GWL_EXSTYLE, WS_EX_ACCEPTFILES);
  return p;
}

bool Xdo(const std::string& args) { return std::system(("xdotool " + args + " >/dev/null").c_str()) == 0; }

// Presses at (fromX, fromY) on the screen, moves to (toX, toY) until the
// side there takes the drag, and lets go. False when no drag started or
// nobody took it.
bool DragWithPointer(int fromX, int fromY, int toX, int toY)
{
  if (!Xdo("mousemove --sync " + std::to_string(fromX) + " " + std::to_string(fromY) + " mousedown 1")) return false;
  bool accepted = LoopUntil([] { return PLAT_GtkTestDragActive(); });
  // Each move must go somewhere new: a synced move to where the pointer is
  // would wait for ever.
  for (int step = 0; accepted && step < 60 && !PLAT_GtkTestDragAccepted(); ++step)
  {
    Xdo("mousemove --sync " + std::to_string(toX + step % 7) + " " + std::to_string(toY));
    Pump(5);
  }
  accepted = accepted && PLAT_GtkTestDragAccepted();
  Xdo("mouseup 1");
  return accepted;
}

TEST_F(WinlDragDrop, PromisedFileIsWrittenIntoTheTargetsFolderAndASecondDropAsks)
{
  TempDir source, folder;
  gPromisePath = source.File("name.pr3");
  gListPaths.clear();
  gFolder = folder.Path();
  WINL_SetDropHooks(&kHooks);
  const auto [sx, sy, tx, ty, target] = ShowSourceAndTarget();

  ASSERT_TRUE(DragWithPointer(sx + 50, sy + 50, tx + 60, ty + 40));
  ASSERT_TRUE(LoopUntil([] { return gDrops == 1; }));
  EXPECT_EQ(gDropped, std::vector<std::string>{folder.File("name.pr3")});
  EXPECT_EQ(ReadWholeFile(folder.File("name.pr3")), "promised program");
  // The hooks saw the drag come, move and go before the drop; a promise
  // names no files yet.
  EXPECT_EQ(gEnters, 1);
  EXPECT_EQ(gEnterFiles, 0u);
  EXPECT_GE(gLeaves, 1);
  PLAT_Rect screen;
  ASSERT_TRUE(PLAT_GtkGetPrimaryMonitor(&screen, nullptr));
  EXPECT_GE(gEnterPoint.x, tx);
  EXPECT_LT(gEnterPoint.x, tx + 200);
  EXPECT_LE(gEnterPoint.y, screen.h - ty);        // y-up
  EXPECT_GT(gEnterPoint.y, screen.h - ty - 120);
  EXPECT_GE(gDropPoint.x, 60);  // where the pointer let go, in the view
  EXPECT_LE(gDropPoint.x, 66);
  EXPECT_EQ(gDropPoint.y, 40);

  // The promise stays after the drop until the next press in any view.
  {
    TempDir again;
    EXPECT_EQ(WINL_WritePromisedFiles(again.Path().c_str()), std::vector<std::string>{"name.pr3"});
  }
  gTargetPresses = 0;
  PLAT_GtkTestButton(WINL_GetNativeView(target), 5, 5, 1, true);
  PLAT_GtkTestButton(WINL_GetNativeView(target), 5, 5, 1, false);
  ASSERT_TRUE(LoopUntil([] { return gTargetPresses == 1; }));
  {
    TempDir late;
    EXPECT_TRUE(WINL_WritePromisedFiles(late.Path().c_str()).empty());
  }

  // The same name again: the "Copy" alert asks, and both files are kept.
  ASSERT_TRUE(LoopUntil([] { return !PLAT_GtkTestDragActive(); }));
  WINL_MessageBoxTestQueue(0);
  ASSERT_TRUE(DragWithPointer(sx + 50, sy + 50, tx + 60, ty + 40));
  ASSERT_TRUE(LoopUntil([] { return gDrops == 2; }));
  EXPECT_EQ(gDropped, std::vector<std::string>{folder.File("name001.pr3")});
  EXPECT_EQ(ReadWholeFile(folder.File("name001.pr3")), "promised program");
  const auto shown = WINL_MessageBoxTestTake();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].caption, "Copy");
  EXPECT_EQ(shown[0].buttons, (std::vector<std::string>{"Keep Both Files", "Stop", "Replace"}));
  WINL_MessageBoxTestEnd();
  WINL_SetDropHooks(nullptr);
}

TEST_F(WinlDragDrop, PromiseIsRefusedWithoutTheFolderHook)
{
  TempDir source;
  gPromisePath = source.File("name.pr3");
  gListPaths.clear();
  WINL_SetDropHooks(nullptr);
  const auto [sx, sy, tx, ty, target] = ShowSourceAndTarget();
  EXPECT_FALSE(DragWithPointer(sx + 50, sy + 50, tx + 60, ty + 40));
  ASSERT_TRUE(LoopUntil([] { return !PLAT_GtkTestDragActive(); }));
  EXPECT_EQ(gDrops, 0);
  // The refused drag's image slides back and goes.
  EXPECT_TRUE(LoopUntil([] { return PLAT_GtkTestToplevelCount() == 2; }));
  // The promise of a drag nobody took stays until the next press.
  TempDir later;
  EXPECT_EQ(WINL_WritePromisedFiles(later.Path().c_str()), std::vector<std::string>{"name.pr3"});
  WINL_FinishDragDrop();
}

TEST_F(WinlDragDrop, FileListOnADropTargetShowsTheHooksItsFilesAndSendsThem)
{
  gListPaths = {"/tmp/a.syx", "/tmp/b c.syx"};
  WINL_SetDropHooks(&kHooks);
  const auto [sx, sy, tx, ty, target] = ShowSourceAndTarget();
  int ox, oy;
  ShownView(TargetProc, 900, &ox, &oy);  // not a drop target

  EXPECT_FALSE(DragWithPointer(sx + 50, sy + 50, ox + 60, oy + 40));
  ASSERT_TRUE(LoopUntil([] { return !PLAT_GtkTestDragActive(); }));
  EXPECT_EQ(gEnters, 0);
  EXPECT_EQ(gDrops, 0);

  ASSERT_TRUE(DragWithPointer(sx + 50, sy + 50, tx + 60, ty + 40));
  ASSERT_TRUE(LoopUntil([] { return gDrops == 1; }));
  EXPECT_EQ(gDropped, (std::vector<std::string>{"/tmp/a.syx", "/tmp/b c.syx"}));
  EXPECT_EQ(gEnters, 1);
  EXPECT_EQ(gEnterFiles, 2u);  // the enter hook sees the list the drop gives
  EXPECT_GE(gLeaves, 1);
  WINL_SetDropHooks(nullptr);
  gListPaths.clear();
}

// The length of the run of red pixels through (x, y) along (dx, dy).
int RedRun(HWND view, int x, int y, int dx, int dy)
{
  int before = 0, after = 0;
  while (before < 64 && ScreenPixel(view, x - (before + 1) * dx, y - (before + 1) * dy) == 0xFF0000) ++before;
  while (after < 64 && ScreenPixel(view, x + (after + 1) * dx, y + (after + 1) * dy) == 0xFF0000) ++after;
  return before + 1 + after;
}

TEST_F(WinlDragDrop, FileListDragShowsTheGivenIconUnderThePointer)
{
  // 16 x 16 opaque red.
  std::vector<uint8_t> argb;
  for (int i = 0; i < 16 * 16; ++i) argb.insert(argb.end(), {0xFF, 0xFF, 0x00, 0x00});
  HBITMAP colour = CreateBitmap(16, 16, 1, 32, argb.data());
  ICONINFO info{TRUE, 0, 0, nullptr, colour};
  gListIcon = CreateIconIndirect(&info);
  ASSERT_NE(gListIcon, nullptr);
  gListPaths = {"/tmp/a.syx"};
  int sx, sy;
  HWND source = ShownView(SourceProc, 100, &sx, &sy);
  ASSERT_NE(ScreenPixel(source, 150, 60), 0xFF0000u);

  ASSERT_TRUE(Xdo("mousemove --sync " + std::to_string(sx + 50) + " " + std::to_string(sy + 50) + " mousedown 1"));
  ASSERT_TRUE(LoopUntil([] { return PLAT_GtkTestDragActive(); }));
  // Each move goes somewhere new until the image has followed the pointer.
  bool shown = false;
  for (int step = 0; step < 10 && !shown; ++step)
  {
    Xdo("mousemove --sync " + std::to_string(sx + 150 + step % 3) + " " + std::to_string(sy + 60));
    shown = LoopUntil([&] { return ScreenPixel(source, 150 + step % 3, 60) == 0xFF0000; });
    if (shown)
    {
      // The image is 16 pixels across and down through the pointer.
      const int px = 150 + step % 3;
      EXPECT_EQ(RedRun(source, px, 60, 1, 0), 16);
      EXPECT_EQ(RedRun(source, px, 60, 0, 1), 16);
    }
  }
  EXPECT_TRUE(shown) << std::hex << ScreenPixel(source, 150, 60);
  Xdo("mouseup 1");
  ASSERT_TRUE(LoopUntil([] { return !PLAT_GtkTestDragActive(); }));
  gListPaths.clear();
  DeleteObject(gListIcon);
  DeleteObject(colour);
  gListIcon = nullptr;
}

// ---- another process ----

// The runner application showing its drop target, with its output.
struct DropTargetApp
{
  pid_t pid = -1;
  int out = -1;
  std::string text;

  bool Start(const char* promiseFolder = nullptr)
  {
    int fds[2];
    if (pipe(fds) != 0) return false;
    pid = fork();
    if (pid < 0) return false;
    if (pid == 0)
    {
      dup2(fds[1], 1);
      close(fds[0]);
      close(fds[1]);
      execl(WINL_RUNNER_APP, WINL_RUNNER_APP, "--drop-target", promiseFolder, static_cast<char*>(nullptr));
      _exit(127);
    }
    close(fds[1]);
    out = fds[0];
    fcntl(out, F_SETFL, O_NONBLOCK);
    return true;
  }
  void Read()
  {
    char buffer[512];
    for (ssize_t n; (n = read(out, buffer, sizeof buffer)) > 0;) text.append(buffer, static_cast<size_t>(n));
  }
  ~DropTargetApp()
  {
    if (pid > 0)
    {
      kill(pid, SIGTERM);
      int status = 0;
      waitpid(pid, &status, 0);
    }
    if (out >= 0) close(out);
  }
};

// The frame of the shown window titled exactly title, top-down, found on
// the display; false when none shows within the wait. The search waits for
// the window itself; the limit is the other waits' minute, since a sanitized
// program starting on two busy cores can take longer than ten seconds to show.
bool FindWindowFrame(const char* title, int* x, int* y)
{
  const std::string command = std::string("timeout 60 xdotool search --sync --onlyvisible --name '^") + title +
                              "$' getwindowgeometry --shell";
  FILE* p = popen(command.c_str(), "r");
  if (!p) return false;
  char line[128];
  bool gotX = false, gotY = false;
  while (std::fgets(line, sizeof line, p))
  {
    if (std::sscanf(line, "X=%d", x) == 1) gotX = true;
    if (std::sscanf(line, "Y=%d", y) == 1) gotY = true;
  }
  return pclose(p) == 0 && gotX && gotY;
}

TEST_F(WinlDragDrop, FileListReachesADropTargetInAnotherProcess)
{
  DropTargetApp app;
  ASSERT_TRUE(app.Start());
  int ax, ay;
  ASSERT_TRUE(FindWindowFrame("Drop Target", &ax, &ay));
  gListPaths = {"/tmp/Bank A.syx", "/home/u/100% Lead.pr3"};
  int sx, sy;
  ShownView(SourceProc, 100, &sx, &sy);
  ASSERT_TRUE(DragWithPointer(sx + 50, sy + 50, ax + 100, ay + 80));
  ASSERT_TRUE(LoopUntil([&app] {
    app.Read();
    return app.text.find("Lead.pr3\n") != std::string::npos;
  })) << app.text;
  EXPECT_EQ(app.text, "dropped /tmp/Bank A.syx\ndropped /home/u/100% Lead.pr3\n");
  gListPaths.clear();
}

TEST_F(WinlDragDrop, PromiseIsWrittenWhereATargetInAnotherProcessSays)
{
  TempDir source, folder;
  DropTargetApp app;
  ASSERT_TRUE(app.Start(folder.Path().c_str()));
  int ax, ay;
  ASSERT_TRUE(FindWindowFrame("Drop Target", &ax, &ay));
  gPromisePath = source.File("Pad 7.pr3");
  gListPaths.clear();
  int sx, sy;
  ShownView(SourceProc, 100, &sx, &sy);
  ASSERT_TRUE(DragWithPointer(sx + 50, sy + 50, ax + 100, ay + 80));
  // This process writes the file when the other one asks.
  ASSERT_TRUE(LoopUntil([&app] {
    app.Read();
    return app.text.find('\n') != std::string::npos;
  })) << app.text;
  EXPECT_EQ(app.text, "dropped " + folder.File("Pad 7.pr3") + "\n");
  EXPECT_EQ(ReadWholeFile(folder.File("Pad 7.pr3")), "promised program");
}
}  // namespace
