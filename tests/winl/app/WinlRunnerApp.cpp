// A small application on the window layer's runner, which display tests
// start and read through its output:
// - without arguments it prints every life code it is called with
//   (activation aside) and shows one window, so that a test can stop it
//   with a signal and read what ran;
// - with "--drop-target [folder]" it shows a window titled "Drop Target"
//   whose view takes dropped files and prints "dropped <path>" for each;
//   with a folder, promised files dropped there are written into it.
#include "winl/WINL_App.h"
#include "winl/WINL_Clipboard.h"
#include "winl/WINL_Dialog.h"
#include "winl/WINL_DragDrop.h"

#include <cstdio>
#include <cstring>

namespace
{
HWND gMain = nullptr;
bool gDropTarget = false;
const char* gPromiseFolder = nullptr;

LRESULT MainProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
  if (msg == WM_DESTROY && !gDropTarget)
  {
    std::printf("destroyed\n");
    std::fflush(stdout);
  }
  return DefWindowProc(hwnd, msg, wParam, lParam);
}

LRESULT DropProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
  if (msg != WM_DROPFILES) return DefWindowProc(hwnd, msg, wParam, lParam);
  HDROP drop = reinterpret_cast<HDROP>(wParam);
  const UINT count = DragQueryFile(drop, 0xFFFFFFFFu, nullptr, 0);
  for (UINT i = 0; i < count; ++i)
  {
    char path[4096];
    DragQueryFile(drop, i, path, sizeof path);
    std::printf("dropped %s\n", path);
  }
  std::fflush(stdout);
  return 0;
}

void ShowDropTarget()
{
  gMain = WINL_CreateDialog(nullptr, reinterpret_cast<const char*>(WINL_NO_RESOURCE), nullptr, nullptr, 0);
  SetWindowPos(gMain, nullptr, 1200, 600, 300, 200, SWP_NOZORDER);
  SetWindowText(gMain, "Drop Target");
  HWND view = WINL_CreateView(gMain, DropProc, 0);
  SetWindowPos(view, nullptr, 0, 0, 300, 200, SWP_NOZORDER);
  SetWindowLong(view, GWL_EXSTYLE, WS_EX_ACCEPTFILES);
  if (gPromiseFolder)
  {
    WINL_DropHooks hooks;
    hooks.promiseFolder = [](HWND, char* folder, int size) {
      std::snprintf(folder, static_cast<size_t>(size), "%s", gPromiseFolder);
    };
    WINL_SetDropHooks(&hooks);
  }
  ShowWindow(view, SW_SHOW);
  ShowWindow(gMain, SW_SHOW);
}

int AppMain(int code, INT_PTR, INT_PTR)
{
  if (code == WINL_APP_ACTIVATE) return 0;
  if (!gDropTarget)
  {
    std::printf("%d\n", code);
    std::fflush(stdout);
  }
  if (code == WINL_APP_LAUNCHED)
  {
    if (gDropTarget)
    {
      ShowDropTarget();
      return 0;
    }
    gMain = WINL_CreateDialog(nullptr, reinterpret_cast<const char*>(WINL_NO_RESOURCE), nullptr, MainProc, 0);
    SetWindowPos(gMain, nullptr, 100, 100, 200, 100, SWP_NOZORDER);
    ShowWindow(gMain, SW_SHOW);
  }
  if (code == WINL_APP_WILL_TERMINATE && IsWindow(gMain)) DestroyWindow(gMain);
  return 0;
}
}  // namespace

int main(int argc, char** argv)
{
  gDropTarget = argc > 1 && std::strcmp(argv[1], "--drop-target") == 0;
  if (gDropTarget && argc > 2) gPromiseFolder = argv[2];
  return WINL_RunApplication(AppMain);
}
