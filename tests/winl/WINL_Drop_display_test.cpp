// Files dropped on a window's view arrive through the toolkit's drop handler
// as WM_DROPFILES, local files only.
#include "platform/gtk/PLAT_GtkDrop.h"
#include "platform/gtk/PLAT_GtkTest.h"
#include "winl/WINL_App.h"
#include "winl/WINL_Clipboard.h"
#include "winl/WINL_Queue.h"
#include "winl/WINL_Window.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
std::vector<std::string> gPaths;
UINT gCount = 0;
POINT gPoint = {};

LRESULT DropProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
  if (msg != WM_DROPFILES) return DefWindowProc(hwnd, msg, wParam, lParam);
  HDROP d = reinterpret_cast<HDROP>(wParam);
  gCount = DragQueryFile(d, 0xFFFFFFFFu, nullptr, 0);
  for (UINT i = 0; i < gCount; ++i)
  {
    char path[64];
    DragQueryFile(d, i, path, sizeof path);
    gPaths.push_back(path);
  }
  DragQueryPoint(d, &gPoint);
  return 0;
}

uint64_t IdOf(HWND h) { return static_cast<uint64_t>(reinterpret_cast<uintptr_t>(h)); }

TEST(WinlDropDisplay, UriListDroppedOnViewGivesLocalFiles)
{
  PLAT_GtkTestPrepare();
  ASSERT_TRUE(WINL_StartToolkit()) << "no display";
  WINL_Internal_PostMessage_Init();
  HWND w = WINL_CreateView(nullptr, DropProc, 0);
  const char* kUris =
      "file:///tmp/01_Init.syx\r\nhttp://example.invalid/b.syx\r\nfile:///home/u/My%20Bank.syx\r\nfile:///c\r\n";

  gCount = 0;
  EXPECT_FALSE(PLAT_GtkUriListDropped(IdOf(w), kUris, 5, 6));  // not accepting files yet
  EXPECT_EQ(gCount, 0u);

  SetWindowLong(w, GWL_EXSTYLE, WS_EX_ACCEPTFILES);
  EXPECT_TRUE(PLAT_GtkUriListDropped(IdOf(w), kUris, 5, 6));
  EXPECT_EQ(gCount, 3u);
  EXPECT_EQ(gPaths, (std::vector<std::string>{"/tmp/01_Init.syx", "/home/u/My Bank.syx", "/c"}));
  EXPECT_EQ(gPoint.x, 5);
  EXPECT_EQ(gPoint.y, 6);

  // Nothing local in the list: nothing is sent.
  gCount = 0;
  EXPECT_FALSE(PLAT_GtkUriListDropped(IdOf(w), "http://example.invalid/a\r\n", 1, 1));
  EXPECT_EQ(gCount, 0u);

  DestroyWindow(w);
  WINL_MessageQueue_Flush();
  EXPECT_FALSE(PLAT_GtkUriListDropped(IdOf(w), kUris, 5, 6));  // a window that is gone
}
}  // namespace
