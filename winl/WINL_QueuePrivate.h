// Internal to the window layer: how the timers hand their requests from
// other threads to the posted-message queue, and how a destroyed window's
// record reaches the tick that frees it.
#pragma once

#include "winl/WINL_Queue.h"

// The interval of a request that stops a timer.
constexpr UINT kKillRequest = 0xFFFFFFFFu;

// Queues SetTimer (or, with kKillRequest, KillTimer) for the next tick; a
// waiting request for the same window and id is replaced. Dropped without a
// window or before the queue has started. Takes the queue's lock.
void WINL_QueueTimerRequest(HWND hwnd, UINT_PTR id, UINT interval, TIMERPROC proc);
// Makes sure a tick comes (it frees the records of destroyed windows) even
// when nothing is posted. Any thread.
void WINL_QueueTickSoon();
