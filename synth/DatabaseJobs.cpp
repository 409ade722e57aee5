#include "synth/DatabaseJobs.h"

#include <chrono>

void DatabaseJobs::Post(Work work)
{
  std::lock_guard<std::mutex> hold(mLock);
  if (mStopping) return;
  mWaiting.push_back(std::move(work));
  if (!mThread.joinable()) mThread = std::thread([this] { Loop(); });
  mChanged.notify_all();
}

void DatabaseJobs::Cancel()
{
  std::lock_guard<std::mutex> hold(mLock);
  mWaiting.clear();
  mFinished.clear();
  if (mRunning) mCancelled.store(true);
}

int DatabaseJobs::RunFinished()
{
  int ran = 0;
  for (;;)
  {
    Apply apply;
    {
      std::lock_guard<std::mutex> hold(mLock);
      if (mFinished.empty()) return ran;
      apply = std::move(mFinished.front());
      mFinished.pop_front();
    }
    // Outside the jobs' lock: an apply step may post the next job.
    if (apply) apply();
    ++ran;
  }
}

bool DatabaseJobs::Busy()
{
  std::lock_guard<std::mutex> hold(mLock);
  return mRunning || !mWaiting.empty() || !mFinished.empty();
}

bool DatabaseJobs::WaitIdle(int timeoutMs)
{
  std::unique_lock<std::mutex> hold(mLock);
  return mChanged.wait_for(hold, std::chrono::milliseconds(timeoutMs),
                           [this] { return !mRunning && mWaiting.empty(); });
}

void DatabaseJobs::Stop()
{
  {
    std::lock_guard<std::mutex> hold(mLock);
    mStopping = true;
    mWaiting.clear();
    mFinished.clear();
    mCancelled.store(true);
    mChanged.notify_all();
  }
  if (mThread.joinable()) mThread.join();
}

void DatabaseJobs::Loop()
{
  std::unique_lock<std::mutex> hold(mLock);
  for (;;)
  {
    mChanged.wait(hold, [this] { return mStopping || !mWaiting.empty(); });
    if (mStopping) return;
    Work work = std::move(mWaiting.front());
    mWaiting.pop_front();
    mRunning = true;
    mCancelled.store(false);
    hold.unlock();
    Apply apply;
    try
    {
      apply = work(mCancelled);
    }
    catch (...)
    {
      // A failed job applies nothing; the next one still runs.
    }
    hold.lock();
    mRunning = false;
    if (apply && !mCancelled.load() && !mStopping) mFinished.push_back(std::move(apply));
    mChanged.notify_all();
  }
}
