#include "core/PacedMidiOut.h"

#include <algorithm>
#include <chrono>
#include <new>
#include <system_error>

PacedMidiOut::PacedMidiOut(Writer write) : mWrite(std::move(write)) {}

PacedMidiOut::~PacedMidiOut()
{
  {
    std::lock_guard<std::mutex> lock(mMutex);
    mStop = true;
  }
  mChanged.notify_all();
  if (mThread.joinable()) mThread.join();
}

bool PacedMidiOut::Send(const uint8_t* bytes, size_t size)
{
  std::lock_guard<std::recursive_mutex> run(mRunMutex);
  std::unique_lock<std::mutex> lock(mMutex);
  if (!mOpen) return false;
  if (mQueue.empty() && size <= kPieceBytes)
    return mWrite(bytes, size);  // under the lock, so no piece can slip in between

  try
  {
    mQueue.emplace_back(bytes, bytes + size);
  }
  catch (const std::bad_alloc&)
  {
    return false;
  }
  // Only a queue that was empty can lack its worker, so the message just
  // queued is the only one to take back if no thread can be had.
  if (!mThread.joinable())
  {
    try
    {
      mThread = std::thread(&PacedMidiOut::Worker, this);
    }
    catch (const std::system_error&)
    {
      mQueue.pop_back();
      return false;
    }
  }
  mChanged.notify_all();
  return true;
}

void PacedMidiOut::Worker()
{
  std::unique_lock<std::mutex> lock(mMutex);
  for (;;)
  {
    mChanged.wait(lock, [this] { return mStop || !mQueue.empty(); });
    if (mQueue.empty()) return;  // stopping with nothing left

    std::vector<uint8_t>& front = mQueue.front();
    const size_t piece = std::min(kPieceBytes, front.size() - mSentOfFront);
    if (!mWrite(front.data() + mSentOfFront, piece)) ++mFailures;
    mSentOfFront += piece;
    if (mSentOfFront >= front.size())
    {
      mQueue.pop_front();
      mSentOfFront = 0;
      mChanged.notify_all();
      // Small messages that waited behind a large one need no gap.
      if (mQueue.empty() || mQueue.front().size() <= kPieceBytes) continue;
    }
    // Let the audio server carry the piece away before the next one.
    lock.unlock();
    std::this_thread::sleep_for(std::chrono::milliseconds(kPieceGapMs));
    lock.lock();
  }
}

void PacedMidiOut::Open()
{
  std::lock_guard<std::mutex> lock(mMutex);
  mOpen = true;
}

void PacedMidiOut::Close()
{
  {
    // The worker writes with mMutex held, so once it is ours no write is
    // under way, and none starts before Open.
    std::lock_guard<std::mutex> lock(mMutex);
    mOpen = false;
    mQueue.clear();
    mSentOfFront = 0;
  }
  mChanged.notify_all();
}

bool PacedMidiOut::IsOpen() const
{
  std::lock_guard<std::mutex> lock(mMutex);
  return mOpen;
}

void PacedMidiOut::Flush()
{
  std::unique_lock<std::mutex> lock(mMutex);
  mChanged.wait(lock, [this] { return mQueue.empty(); });
}

int PacedMidiOut::Failures() const
{
  std::lock_guard<std::mutex> lock(mMutex);
  return mFailures;
}
