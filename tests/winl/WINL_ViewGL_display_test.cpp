// OpenGL views: a view with GL on paints with its context current, and what
// it clears to is what the screen shows.
#include "winl/WINL_Dialog.h"
#include "winl/WINL_Hosting.h"
#include "winl/WINL_Window.h"

#include "WinlGtkTest.h"

#include <epoxy/gl.h>

#include <gtest/gtest.h>

namespace
{
using WinlViewGL = WinlGtkTest;

float gClear[3] = {0, 0, 0};
int gGLPaints = 0;  // paints that found a context current

LRESULT ClearingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
  if (msg != WM_PAINT) return DefWindowProc(hwnd, msg, wParam, lParam);
  // Without a current context there is no renderer to name.
  if (WINL_GetViewGL(hwnd) && glGetString(GL_RENDERER))
  {
    ++gGLPaints;
    glClearColor(gClear[0], gClear[1], gClear[2], 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
  }
  return 0;
}

// A shown window whose whole content is a child view painted by ClearingProc.
HWND ShownGLView(HWND* window)
{
  *window = WINL_CreateDialog(nullptr, reinterpret_cast<const char*>(WINL_NO_RESOURCE), nullptr, nullptr, 0);
  SetWindowPos(*window, nullptr, 200, 300, 120, 80, SWP_NOZORDER);
  HWND view = WINL_CreateView(*window, ClearingProc, 0);
  SetWindowPos(view, nullptr, 10, 10, 100, 60, SWP_NOZORDER);
  ShowWindow(view, SW_SHOW);
  ShowWindow(*window, SW_SHOW);
  EXPECT_TRUE(LoopUntil([view] { return PLAT_GtkTestIsViewable(WINL_GetNativeView(view)); }));
  return view;
}

TEST_F(WinlViewGL, ViewClearsToTheColourItsPaintChose)
{
  HWND window;
  HWND view = ShownGLView(&window);
  gClear[0] = 0.2f, gClear[1] = 0.4f, gClear[2] = 0.6f;
  EXPECT_FALSE(WINL_GetViewGL(view));
  ASSERT_TRUE(WINL_SetViewGL(view, true));
  EXPECT_TRUE(WINL_GetViewGL(view));
  gGLPaints = 0;
  InvalidateRect(view, nullptr, FALSE);
  ASSERT_TRUE(LoopUntil([view] { return ScreenPixel(view, 50, 30) == 0x336699; }))
      << std::hex << ScreenPixel(view, 50, 30);
  EXPECT_GT(gGLPaints, 0);
  // Every corner of the view is covered; the window around it is not.
  EXPECT_EQ(ScreenPixel(view, 0, 0), 0x336699u);
  EXPECT_EQ(ScreenPixel(view, 99, 59), 0x336699u);
  EXPECT_NE(ScreenPixel(window, 5, 5), 0x336699u);

  // Each paint clears anew.
  gClear[0] = 1.0f, gClear[1] = 0.0f, gClear[2] = 0.0f;
  InvalidateRect(view, nullptr, FALSE);
  ASSERT_TRUE(LoopUntil([view] { return ScreenPixel(view, 50, 30) == 0xFF0000; }))
      << std::hex << ScreenPixel(view, 50, 30);

  // Off: the view paints without a context and shows no GL any more.
  EXPECT_TRUE(WINL_SetViewGL(view, false));
  EXPECT_FALSE(WINL_GetViewGL(view));
  gGLPaints = 0;
  InvalidateRect(view, nullptr, FALSE);
  ASSERT_TRUE(LoopUntil([view] { return ScreenPixel(view, 50, 30) != 0xFF0000; }));
  EXPECT_EQ(gGLPaints, 0);
}

TEST_F(WinlViewGL, ContextIsMadeCurrentOnlyForViewsWithGL)
{
  HWND window;
  HWND view = ShownGLView(&window);
  EXPECT_FALSE(WINL_SetGLContextToView(view));  // GL off
  ASSERT_TRUE(WINL_SetViewGL(view, true));
  EXPECT_TRUE(WINL_SetViewGL(view, true));       // already on: the same context stays
  ASSERT_TRUE(WINL_SetGLContextToView(view));
  EXPECT_NE(glGetString(GL_RENDERER), nullptr);
  EXPECT_TRUE(WINL_SetGLContextToView(nullptr));
  EXPECT_FALSE(WINL_SetGLContextToView(reinterpret_cast<HWND>(uintptr_t{0x7FFFFFF0})));  // no such window

  // A view not on screen has its context too.
  HWND hidden = WINL_CreateView(window, ClearingProc, 0);
  EXPECT_TRUE(WINL_SetViewGL(hidden, true));
  EXPECT_TRUE(WINL_GetViewGL(hidden));
  EXPECT_TRUE(WINL_SetGLContextToView(hidden));

  // Destroying a view with a current context leaves none current.
  ASSERT_TRUE(WINL_SetGLContextToView(view));
  DestroyWindow(view);
  WINL_MessageQueue_Flush();
  EXPECT_FALSE(WINL_GetViewGL(view));
  EXPECT_EQ(glGetString(GL_RENDERER), nullptr);
}
}  // namespace
