// Posted messages and timers of the window layer.
//
// Any thread may post a message to a window; the main thread delivers posted
// messages in the order they were posted, at the queue tick (within 50 ms of
// a post; while nothing waits, no tick runs) or when WINL_MessageQueue_Flush
// is called. At most 1,024 messages wait at once unless delivered ones can be
// reused; a post beyond that fails.
//
// Timers fire on the main thread: WM_TIMER to the window, or a call of the
// timer procedure. SetTimer and KillTimer from another thread become requests
// that the next queue tick carries out.
//
// Locks: the timer list's, then the queue's, never the other way round.
// Neither is held while a message is delivered, so handlers may post, clear
// and set timers freely.
#pragma once

#include "winl/WINL_Window.h"

#include <string>

// ---- the queue ----

// Once, on the main thread: starts the queue and makes the calling thread
// the main thread. Later calls do nothing.
void WINL_Internal_PostMessage_Init();

// Queues the message for the window. False when the handle is null or dead,
// the queue is not started, or 1,024 messages wait and none can be reused.
bool WINL_MessageQueue_Post(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
BOOL PostMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Drops every waiting message (and timer request) for the window, or for
// every window when hwnd is null, including those of a delivery under way.
// The window layer clears through WINL_MessageQueue_Clear, which reaches the
// queue's own clear, WINL_MessageQueue_ClearInternal.
void WINL_MessageQueue_Clear(HWND hwnd);
void WINL_MessageQueue_ClearInternal(HWND hwnd);
// Main thread: delivers what waits now, oldest first (messages posted
// meanwhile wait for the next flush), then frees the records of destroyed
// windows. A handler that runs a modal loop gets the rest delivered inside
// it, in order; one that throws loses only its own message. From another
// thread it does nothing and leaves the queue as it is.
void WINL_MessageQueue_Flush();

// ---- timers ----

// Called with (window, WM_TIMER, timer id, GetTickCount()).
typedef void (*TIMERPROC)(HWND hwnd, UINT msg, UINT_PTR id, DWORD time);

// Starts (or restarts) a repeating timer of ms milliseconds (0 counts as 1):
// WM_TIMER with wParam = id to the window, or, with proc, calls of proc. A
// timer without a window gets an id of its own, returned here, which no later
// timer reuses. 0 when neither a window nor a procedure is given, for id 0
// with a window, for a dead window, and from another thread without a
// window. From another thread the timer starts at the next queue tick.
UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT ms, TIMERPROC proc);
// Stops the timer; id -1 stops every timer of the window. TRUE when a timer
// was stopped (from another thread: when the request was queued).
BOOL KillTimer(HWND hwnd, UINT_PTR id);

// ---- waits on the main loop (main thread) ----

// Runs the main loop for ms milliseconds: events, posted messages and
// timers are handled meanwhile.
void WINL_RunLoopWait(DWORD ms);
// The same, with only the window's timers firing: another window's WM_TIMER
// and timer procedure, and those of timers without a window, skip their
// ticks meanwhile. The restriction in force before comes back afterwards.
void WINL_RunLoopWaitForWindow(DWORD ms, HWND onlyTimersOf);
// Handles what waits now, at most 100 events, waiting at most 1 ms for
// each; the number handled.
int WINL_DispatchPendingEvents();

// ---- text ----

// A zero-terminated text as a string: UTF-8 as it is; text that is not UTF-8
// is read as Latin-1. Null gives "".
std::string WINL_CStringToCFString(const char* text);
// Copies the text into buffer and terminates it, cut to at most size - 1
// bytes at a character boundary. Nothing for size below 1.
void WINL_CFStringToCString(const std::string& text, char* buffer, int size);

// ---- for tests ----
// Messages and timer requests waiting, those of a delivery under way included.
int WINL_MessageQueue_PendingCount();
// Timers that exist.
int WINL_GetTimerCount();
