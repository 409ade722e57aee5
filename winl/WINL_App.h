// The application around the window layer: the runner that starts the
// toolkit and the main loop and calls the application's code at each stage
// of its life, quitting, and messages to every top-level window.
#pragma once

#include "winl/WINL_Window.h"

// The application's code: called with one of the WINL_APP_ codes and two
// parameters; the result's meaning depends on the code.
typedef int (*WINL_AppMainProc)(int code, INT_PTR p1, INT_PTR p2);

constexpr int WINL_APP_WILL_TERMINATE = 3;  // the last call
constexpr int WINL_APP_START = 1;           // before the main loop
constexpr int WINL_APP_LAUNCHED = 2;        // from the main loop's first idle moment
constexpr int WINL_APP_SHOULD_TERMINATE = 4;  // a result of 1 or more keeps the application running
constexpr int WINL_APP_ACTIVATE = 0x1000;   // p1: 1 active, 0 not; a result of 0 broadcasts WM_ACTIVATEAPP

// Runs the application: opens the display, starts the posted-message queue
// on this (the main) thread, calls code 1, then code 2 once the main loop
// runs, and returns 0 when the application has quit (after codes 4 and 3).
// SIGTERM, SIGINT and SIGHUP quit it the same way. 1 when no display can be
// opened.
int WINL_RunApplication(WINL_AppMainProc appMain);

// Marks the application as quitting: modal runs end (value 0), the
// application is asked with code 4 and, unless it declines, the main loop
// ends. The mark never goes back.
void WINL_PostQuitMessage(HWND sender);
bool WINL_IsQuitting();

// Sends the message to every top-level window's content view, front first.
void WINL_BroadcastMessage(UINT msg, WPARAM wParam, LPARAM lParam);

// Nothing to prepare here: the toolkit's main loop takes calls from other
// threads as it is. Kept for the application's start-up code.
void WINL_EnsureMultithreadedCocoa();

// A worker thread's pool of released objects: the toolkit keeps none, so
// the pool is a token that WINL_QuitAutoRelease accepts; never null.
void* WINL_InitAutoRelease();
void WINL_QuitAutoRelease(void* pool);

// The desktop version the layer's callers compare against (0x10B0 and
// above: the newest behaviour); always 0x10B0 here.
int WINL_GetOSXVersion();
