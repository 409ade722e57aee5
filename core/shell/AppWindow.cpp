// The main window as the standalone wrapper resizes it.
#include "core/shell/AppShell.h"

#include "core/IUnitStandalone.h"

// The wrapper counts a title bar above the GUI. The window layer's frame is
// the client area alone (the window manager draws the title bar outside it,
// and the menu bar sits above the frame), so the title bar is added to what
// is reported and taken off what is asked: the client area becomes exactly
// the GUI's size.
bool AppMainWindowFrame::GetWindowRect(Rect* rect)
{
  RECT frame{};
  HWND hwnd = AppMainWindow();
  if (!hwnd || !::GetWindowRect(hwnd, &frame)) return false;
  // y-up: top holds the lower edge and bottom the upper one.
  *rect = {frame.left, frame.top, frame.right, frame.bottom + IUnitStandalone::kTitleBarHeight};
  return true;
}

void AppMainWindowFrame::SetWindowPos(int x, int y, int width, int height)
{
  HWND hwnd = AppMainWindow();
  if (!hwnd) return;
  const int client = height > IUnitStandalone::kTitleBarHeight ? height - IUnitStandalone::kTitleBarHeight : 1;
  ::SetWindowPos(hwnd, nullptr, x, y, width, client, SWP_NOZORDER);
}

// Marked while the menus are closed, so the marks are right the first time a
// menu opens: a mark that turns an item into a check item (or back) cannot be
// shown on a menu already opening, and would wait until it closed.
void AppMainWindowFrame::CommandStateChanged() { AppShowCommandStateSoon(); }

int AppWindowWorkAreaHeight()
{
  int width = 0, height = 0;
  return AppWindowWorkArea(&width, &height) ? height : -1;
}

bool AppWindowWorkArea(int* width, int* height)
{
  HWND hwnd = AppMainWindow();
  RECT frame{}, work{};
  if (!hwnd || !::GetWindowRect(hwnd, &frame) || !WINL_GetViewPort(&work, &frame, true)) return false;
  *width = work.right - work.left;
  *height = work.bottom - work.top;
  return true;
}

int AppWindowFrameHeight()
{
  HWND hwnd = AppMainWindow();
  RECT window{}, client{};
  if (!hwnd || !::GetWindowRect(hwnd, &window) || !GetClientRect(hwnd, &client)) return 0;
  return (window.bottom - window.top) - (client.bottom - client.top) + WINL_GetMenuBarHeight(hwnd) +
         WINL_GetDecorationHeight(hwnd);
}
