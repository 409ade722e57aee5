// CTimer: calls a CTimerCallbackInterface periodically on a POSIX thread of
// its own. Intervals are in milliseconds, measured from the end of one tick
// to the start of the next. Stop cuts the current sleep short, so that an
// owner waiting for the thread (the application quitting) waits for no
// interval; Pause and Resume take effect after the current sleep.
//
// Ownership: create with new. Once Start succeeds the timer owns itself: its
// thread deletes it on seeing the stopped state (after Stop, or after the one
// tick of a non-repeating timer). From then on the object may vanish at any
// moment after Stop or after a one-shot tick, so an owner that must know the
// thread has ended keeps the thread handle (from Start or GetThread while the
// timer surely runs) and waits with CTimer::Join(handle) -- or uses
// StopAndJoin. A timer that was never started, or whose Start failed, is
// deleted by its creator.
#pragma once

#include <pthread.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>

class CTimer;

class CTimerCallbackInterface
{
public:
  virtual ~CTimerCallbackInterface() = default;
  // Runs on the timer's thread.
  virtual void OnTimer(CTimer* timer) = 0;
};

class CTimer
{
public:
  enum State
  {
    kStopped = 0,
    kRunning = 1,
    kPaused = 2,  // also the state while the thread is being created
  };

  CTimer() = default;
  ~CTimer() = default;
  CTimer(const CTimer&) = delete;
  CTimer& operator=(const CTimer&) = delete;

  // Starts the thread; repeat 0 gives a single tick. Call once. Returns 0 on
  // success (and stores the thread handle in *thread when given), else the
  // thread-creation error, with the timer stopped and still the caller's.
  [[nodiscard]] int Start(CTimerCallbackInterface* callback, int intervalMs, int64_t userValue,
                          int repeat, pthread_t* thread = nullptr);
  void Stop();
  void Pause() { mState.store(kPaused); }
  void Resume() { mState.store(kRunning); }

  // Stops the timer and waits for its thread to end; the object is gone
  // afterwards. Only while the timer has not been stopped.
  void StopAndJoin();
  // Waits for the thread of a timer whose handle was kept before it could
  // have ended. Returns 0, or the error of pthread_join.
  static int Join(pthread_t thread);

  // Valid while the timer has not been stopped.
  pthread_t GetThread() const { return mThread; }
  int64_t GetUserValue() const { return mUserValue; }
  int GetInterval() const { return mIntervalMs; }
  bool IsRepeating() const { return mRepeat != 0; }
  int GetState() const { return mState.load(); }

  // Sleeps ms milliseconds by waiting on no descriptors at all.
  static void SleepMs(int ms);

private:
  static void* ThreadEntry(void* timer);
  void ThreadProc();
  // Sleeps ms milliseconds, or until Stop.
  void SleepUnlessStopped(int ms);

  static constexpr int kPausePollMs = 50;

  CTimerCallbackInterface* mCallback = nullptr;  // not owned
  int64_t mUserValue = 0;
  int mRepeat = 0;
  int mIntervalMs = 0;
  pthread_t mThread{};
  std::atomic<int> mState{kStopped};
  std::mutex mWakeLock;
  std::condition_variable mWake;
};
