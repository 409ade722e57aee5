// The application runner: the toolkit, the queue, the main loop and the
// application's life codes; quitting, signals, activation and broadcasts.

#include "winl/WINL_App.h"

#include "platform/gtk/PLAT_GtkChooser.h"

#include "winl/WINL_Cursor.h"
#include "winl/WINL_Queue.h"
#include "winl/WINL_WndPrivate.h"

#include <csignal>
#include <cstdio>

namespace
{
WINL_AppMainProc gAppMain = nullptr;
bool gQuitting = false;
bool gTerminateAsked = false;
bool gAppActive = false;
unsigned gActivationCheck = 0;

int CallApp(int code, INT_PTR p1, INT_PTR p2) { return gAppMain ? gAppMain(code, p1, p2) : 0; }

bool Launched(void*)
{
  CallApp(WINL_APP_LAUNCHED, 0, 0);
  return false;
}

// Asks the application whether it may end, from the main loop rather than
// from whatever handler quit.
bool Terminate(void*)
{
  gTerminateAsked = false;
  if (CallApp(WINL_APP_SHOULD_TERMINATE, 0, 0) >= 1) return false;
  WINL_EndModalRuns(nullptr, true);
  PLAT_LoopQuitMain();
  return false;
}

bool OnSignal(void*)
{
  WINL_PostQuitMessage(nullptr);
  return true;
}

// Focus moves between two of our windows as a loss and a gain: the
// application counts as inactive only when no window has taken the focus
// by the time the loop is idle again.
bool CheckActivation(void*)
{
  gActivationCheck = 0;
  const bool active = WINL_KeyWindow() != nullptr;
  if (active == gAppActive) return false;
  gAppActive = active;
  if (CallApp(WINL_APP_ACTIVATE, active ? 1 : 0, 0) == 0) WINL_BroadcastMessage(WM_ACTIVATEAPP, active ? 1 : 0, 0);
  return false;
}
}  // namespace

void WINL_AppActivated(bool)
{
  if (!gActivationCheck) gActivationCheck = PLAT_LoopAddIdle(CheckActivation, nullptr);
}

int WINL_RunApplication(WINL_AppMainProc appMain)
{
  if (!WINL_StartToolkit())
  {
    std::fprintf(stderr, "ZephraEditor: cannot open the display\n");
    return 1;
  }
  gAppMain = appMain;
  WINL_Internal_PostMessage_Init();
  // A logout or a kill ends the application as its own quit does.
  for (int sig : {SIGTERM, SIGINT, SIGHUP}) PLAT_LoopWatchSignal(sig, OnSignal, nullptr);
  CallApp(WINL_APP_START, 0, 0);
  PLAT_LoopAddIdle(Launched, nullptr);
  PLAT_LoopRunMain();
  CallApp(WINL_APP_WILL_TERMINATE, 0, 0);
  // The pointer belongs to the whole desktop: never leave it hidden.
  WINL_RestoreCursor();
  WINL_MessageQueue_Flush();
  gAppMain = nullptr;
  return 0;
}

void WINL_PostQuitMessage(HWND)
{
  gQuitting = true;
  WINL_EndModalRuns(nullptr, true);
  // A file chooser runs a loop of its own: the quit waits for it otherwise.
  PLAT_ChooserCancelRunning();
  if (!gTerminateAsked)
  {
    gTerminateAsked = true;
    PLAT_LoopAddIdle(Terminate, nullptr);
  }
}

bool WINL_IsQuitting() { return gQuitting; }

void WINL_BroadcastMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
  for (uint64_t id : WINL_TopLevels())
  {
    WINL_Wnd* w = WINL_Live(id);
    if (!w) continue;
    WINL_Dispatch(w, msg, wParam, lParam);
    if (msg == WM_DISPLAYCHANGE) InvalidateRect(WINL_Handle(w), nullptr, FALSE);
  }
}

void WINL_EnsureMultithreadedCocoa() {}

void* WINL_InitAutoRelease()
{
  static char token;
  return &token;
}

void WINL_QuitAutoRelease(void*) {}

int WINL_GetOSXVersion() { return 0x10B0; }
