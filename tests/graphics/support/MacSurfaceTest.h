// For tests of the desktop surface on the (virtual) display: the window
// layer's fixture, a shown window to hold the surface's view, and a wait
// that runs the main loop.
#pragma once

#include "graphics/gtk/IGraphicsGtk.h"
#include "platform/gtk/PLAT_GtkLoop.h"
#include "platform/gtk/PLAT_GtkTest.h"
#include "tests/winl/WinlGtkTest.h"
#include "winl/WINL_Dialog.h"
#include "winl/WINL_Window.h"

#include <chrono>
#include <thread>

// Runs the main loop until done() holds; false after a minute, which a
// display on two cores shared with other work still keeps within.
template <class Done>
bool RunUntil(Done done)
{
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (!done())
  {
    if (std::chrono::steady_clock::now() > end) return false;
    PLAT_GtkTestSettle();
    if (!PLAT_LoopIterate(false)) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

// Runs the main loop for ms milliseconds.
inline void RunFor(int ms)
{
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  RunUntil([end] { return std::chrono::steady_clock::now() >= end; });
}

// A shown, active window whose content view logs its messages.
inline HWND ShownWindow(int width, int height)
{
  HWND w = WINL_CreateDialog(nullptr, reinterpret_cast<const char*>(WINL_NO_RESOURCE), nullptr, LoggingProc, 0);
  SetWindowPos(w, nullptr, 300, 600, width, height, SWP_NOZORDER);
  ShowWindow(w, SW_SHOW);
  EXPECT_TRUE(RunUntil([w] { return PLAT_GtkTestIsViewable(WINL_GetNativeView(w)); }));
  return w;
}

// Opens gui's view in window and waits until it shows its first frame.
inline PLAT_GtkSurfaceView* OpenShown(IGraphicsMac* gui, HWND window)
{
  gui->OpenWindow(window);
  PLAT_GtkSurfaceView* view = gui->GetView();
  if (!view) return nullptr;
  EXPECT_TRUE(RunUntil([view] { return !view->TestScreenPixels(0, 0, 1, 1).empty(); }));
  RunFor(100);
  return view;
}

// Clicks button 1 at (x, y) of the view; the release at (upX, upY) moves
// the pointer there first.
inline void Click(PLAT_GtkSurfaceView* view, int x, int y, int upX, int upY)
{
  view->TestButton(x, y, 1, true);
  view->TestButton(upX, upY, 1, false);
  PLAT_GtkTestSettle();
}
