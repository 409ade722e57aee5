// The main loop of the application: GLib's default main context, with
// repeating timeouts, one-shot idle calls, nested loops for modal runs and
// the termination signals. None of this needs a display, so the window
// layer's queue, timers and modal runs also work without one.
//
// Every function here is for the main thread (the thread that runs the
// loop); PLAT_LoopAddTimeout and PLAT_LoopWakeUp are the exceptions.
#pragma once

#include <memory>

// A source's callback; answering false removes the source. Called on the
// main thread from the loop; it must not throw.
using PLAT_LoopCallback = bool (*)(void* data);

// ---- sources ----

// Calls fn(data) on the main thread every ms milliseconds (an interval of 0
// counts as 1) until it answers false or the source is removed. Returns the
// source's id (never 0). Any thread may add one; the loop wakes for it.
unsigned PLAT_LoopAddTimeout(unsigned ms, PLAT_LoopCallback fn, void* data);
// Calls fn(data) once the loop has nothing more urgent to do, then again
// while it answers true.
unsigned PLAT_LoopAddIdle(PLAT_LoopCallback fn, void* data);
// Removes a source; 0 and ids of sources already gone are ignored.
void PLAT_LoopRemove(unsigned id);

// Calls fn(data) when the process receives signum (SIGHUP, SIGINT or SIGTERM),
// from the loop rather than from the signal handler. Every watched signal
// goes through one source; the id answered is that source's.
unsigned PLAT_LoopWatchSignal(int signum, PLAT_LoopCallback fn, void* data);
// A descriptor that reads ready while a watched signal has arrived and the
// loop has not called its callback yet (-1 while none is watched): a thread
// that waits outside the loop (an alert on the loop's own thread) polls it
// so as not to hold the signal back. Only poll it; the loop reads it.
int PLAT_LoopSignalPendingFd();

// ---- running ----

// Runs the application's main loop until PLAT_LoopQuitMain; false when it is
// already running.
bool PLAT_LoopRunMain();
void PLAT_LoopQuitMain();

// Dispatches what is ready; with mayBlock, waits for at least one event
// first. True when something was dispatched.
bool PLAT_LoopIterate(bool mayBlock);

// Wakes the loop from any thread, so that a blocked PLAT_LoopIterate returns.
void PLAT_LoopWakeUp();

// A loop nested in whatever runs: the modal run of a dialog or menu. Sources
// of the main loop keep firing inside it.
class PLAT_NestedLoop
{
public:
  PLAT_NestedLoop();
  ~PLAT_NestedLoop();
  PLAT_NestedLoop(const PLAT_NestedLoop&) = delete;
  PLAT_NestedLoop& operator=(const PLAT_NestedLoop&) = delete;

  // Returns when Quit is called; at once when Quit came first.
  void Run();
  // Ends Run (now or, when it has not started, before it starts).
  void Quit();
  bool IsRunning() const;

private:
  struct Impl;
  std::unique_ptr<Impl> mImpl;
};
