#include "synth/DatabaseJobs.h"

#include <algorithm>
#include <chrono>

void DatabaseJobs::Post(Work work)
{
  Enqueue(std::move(work), false);
}

void DatabaseJobs::PostList(Work work)
{
  Enqueue(std::move(work), true);
}

void DatabaseJobs::Enqueue(Work work, bool list)
{
  std::lock_guard<std::mutex> hold(mLock);
  if (mStopping) return;
  if (list)
  {
    const auto isList = [](const auto& job) { return job.list; };
    mWaiting.erase(std::remove_if(mWaiting.begin(), mWaiting.end(), isList), mWaiting.end());
    mFinished.erase(std::remove_if(mFinished.begin(), mFinished.end(), isList), mFinished.end());
    if (mRunning && mRunningList) mCancelled.store(true);
  }
  mWaiting.push_back({std::move(work), list});
  if (!mThread.joinable()) mThread = std::thread([this] { Loop(); });
  mChanged.notify_all();
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
      apply = std::move(mFinished.front().step);
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
    Job<Work> job = std::move(mWaiting.front());
    mWaiting.pop_front();
    mRunning = true;
    mRunningList = job.list;
    mCancelled.store(false);
    hold.unlock();
    Apply apply;
    try
    {
      apply = job.step(mCancelled);
    }
    catch (...)
    {
      // A failed job applies nothing; the next one still runs.
    }
    hold.lock();
    mRunning = false;
    if (apply && !mCancelled.load() && !mStopping) mFinished.push_back({std::move(apply), job.list});
    mChanged.notify_all();
  }
}
