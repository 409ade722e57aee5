// A small application on the window layer's runner: it prints every life
// code it is called with (activation aside) and shows one window, so that a
// test can stop it with a signal and read what ran.
#include "winl/WINL_App.h"
#include "winl/WINL_Dialog.h"

#include <cstdio>

namespace
{
HWND gMain = nullptr;

LRESULT MainProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
  if (msg == WM_DESTROY)
  {
    std::printf("destroyed\n");
    std::fflush(stdout);
  }
  return DefWindowProc(hwnd, msg, wParam, lParam);
}

int AppMain(int code, INT_PTR, INT_PTR)
{
  if (code == WINL_APP_ACTIVATE) return 0;
  std::printf("%d\n", code);
  std::fflush(stdout);
  if (code == WINL_APP_LAUNCHED)
  {
    gMain = WINL_CreateDialog(nullptr, reinterpret_cast<const char*>(WINL_NO_RESOURCE), nullptr, MainProc, 0);
    SetWindowPos(gMain, nullptr, 100, 100, 200, 100, SWP_NOZORDER);
    ShowWindow(gMain, SW_SHOW);
  }
  if (code == WINL_APP_WILL_TERMINATE && IsWindow(gMain)) DestroyWindow(gMain);
  return 0;
}
}  // namespace

int main() { return WINL_RunApplication(AppMain); }
