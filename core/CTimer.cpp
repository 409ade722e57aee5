#include "core/CTimer.h"

#include <sys/select.h>

#include <chrono>

int CTimer::Start(CTimerCallbackInterface* callback, int intervalMs, int64_t userValue, int repeat,
                  pthread_t* thread)
{
  mCallback = callback;
  mIntervalMs = intervalMs < 0 ? 0 : intervalMs;
  mUserValue = userValue;
  mRepeat = repeat;
  // The thread idles in the paused state until the handle is stored, so it
  // cannot end (and free this object) before Start has finished with it.
  mState.store(kPaused);
  const int result = pthread_create(&mThread, nullptr, ThreadEntry, this);
  if (result != 0)
  {
    mState.store(kStopped);
    return result;
  }
  if (thread) *thread = mThread;
  mState.store(kRunning);
  return 0;
}

void CTimer::Stop()
{
  // Stored and told under the lock: the thread takes the lock before it
  // deletes this object, so the object outlives this call.
  std::lock_guard<std::mutex> hold(mWakeLock);
  mState.store(kStopped);
  mWake.notify_all();
}

void CTimer::SleepUnlessStopped(int ms)
{
  std::unique_lock<std::mutex> hold(mWakeLock);
  mWake.wait_for(hold, std::chrono::milliseconds(ms), [this] { return mState.load() == kStopped; });
}

void CTimer::StopAndJoin()
{
  // The thread may delete this object as soon as it sees the stop, so take
  // the handle first and touch nothing of the object afterwards.
  const pthread_t thread = mThread;
  Stop();
  Join(thread);
}

int CTimer::Join(pthread_t thread)
{
  return pthread_join(thread, nullptr);
}

void CTimer::SleepMs(int ms)
{
  if (ms < 0) ms = 0;
  timeval timeout;
  timeout.tv_sec = ms / 1000;
  timeout.tv_usec = (ms % 1000) * 1000;
  select(0, nullptr, nullptr, nullptr, &timeout);
}

void* CTimer::ThreadEntry(void* timer)
{
  static_cast<CTimer*>(timer)->ThreadProc();
  return nullptr;
}

void CTimer::ThreadProc()
{
  for (;;)
  {
    const int state = mState.load();
    if (state == kStopped) break;
    if (state == kRunning)
    {
      if (mCallback) mCallback->OnTimer(this);
      if (!mRepeat)
      {
        mState.store(kStopped);
        break;
      }
      if (mIntervalMs > 0) SleepUnlessStopped(mIntervalMs);
    }
    else
    {
      SleepUnlessStopped(kPausePollMs);
    }
  }
  {
    // A Stop still inside its lock has not finished with this object.
    std::lock_guard<std::mutex> hold(mWakeLock);
  }
  delete this;
}
