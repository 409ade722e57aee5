#include "core/CTimer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace
{
// Counts ticks; on the tick numbered stopAt or pauseAt it stops or pauses
// its timer from inside the callback.
class TickCounter : public CTimerCallbackInterface
{
public:
  int stopAt = 0;
  int pauseAt = 0;

  void OnTimer(CTimer* timer) override
  {
    std::lock_guard<std::mutex> lock(mMutex);
    ++mTicks;
    mLastUserValue = timer->GetUserValue();
    if (mTicks == stopAt) timer->Stop();
    if (mTicks == pauseAt) timer->Pause();
    mChanged.notify_all();
  }

  int Ticks()
  {
    std::lock_guard<std::mutex> lock(mMutex);
    return mTicks;
  }

  int64_t LastUserValue()
  {
    std::lock_guard<std::mutex> lock(mMutex);
    return mLastUserValue;
  }

  // Waits (at most a generous while, so a hang fails rather than blocks)
  // until at least n ticks have run.
  bool WaitFor(int n)
  {
    std::unique_lock<std::mutex> lock(mMutex);
    return mChanged.wait_for(lock, std::chrono::seconds(20), [&] { return mTicks >= n; });
  }

private:
  std::mutex mMutex;
  std::condition_variable mChanged;
  int mTicks = 0;
  int64_t mLastUserValue = 0;
};

TEST(CTimer, OneShotTicksOnceAndEnds)
{
  TickCounter counter;
  pthread_t thread;
  CTimer* timer = new CTimer;
  ASSERT_EQ(timer->Start(&counter, 5, 77, 0, &thread), 0);
  // The timer frees itself after its tick; only the handle is used now.
  ASSERT_EQ(CTimer::Join(thread), 0);
  EXPECT_EQ(counter.Ticks(), 1);
  EXPECT_EQ(counter.LastUserValue(), 77);
}

TEST(CTimer, StopFromCallbackEndsAtThatTick)
{
  TickCounter counter;
  counter.stopAt = 5;
  pthread_t thread;
  CTimer* timer = new CTimer;
  // Interval 0: ticks follow each other without sleeping.
  ASSERT_EQ(timer->Start(&counter, 0, 0, 1, &thread), 0);
  ASSERT_EQ(CTimer::Join(thread), 0);
  EXPECT_EQ(counter.Ticks(), 5);
}

TEST(CTimer, NoTickAfterStopAndJoin)
{
  TickCounter counter;
  CTimer* timer = new CTimer;
  ASSERT_EQ(timer->Start(&counter, 1, 0, 1), 0);
  ASSERT_TRUE(counter.WaitFor(3));
  timer->StopAndJoin();
  const int ticks = counter.Ticks();
  CTimer::SleepMs(50);
  EXPECT_EQ(counter.Ticks(), ticks);
}

TEST(CTimer, PauseHoldsTicksUntilResume)
{
  TickCounter counter;
  counter.pauseAt = 3;
  CTimer* timer = new CTimer;
  ASSERT_EQ(timer->Start(&counter, 1, 0, 1), 0);
  ASSERT_TRUE(counter.WaitFor(3));
  CTimer::SleepMs(200);
  EXPECT_EQ(counter.Ticks(), 3);
  EXPECT_EQ(timer->GetState(), CTimer::kPaused);
  timer->Resume();
  EXPECT_TRUE(counter.WaitFor(4));
  timer->StopAndJoin();
}
}  // namespace
