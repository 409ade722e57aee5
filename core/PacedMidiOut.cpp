#include "core/PacedMidiOut.h"

#include <syslog.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <new>
#include <system_error>

PacedMidiOut::PacedMidiOut(Writer write) : mOwnWriter(write), mWrite(std::move(write)) {}

PacedMidiOut::~PacedMidiOut()
{
  {
    std::lock_guard<std::mutex> lock(mMutex);
    mStop = true;
  }
  mChanged.notify_all();
  if (mThread.joinable()) mThread.join();
  // The losses since the last line are told before the count is gone.
  std::lock_guard<std::mutex> lock(mMutex);
  TellLosses(Clock::now());
}

void PacedMidiOut::CountLoss(size_t messages, const char* why)
{
  if (messages == 0) return;
  mLosses += messages;
  mUntold += messages;
  mUntoldWhy = why;
  // A full queue drops every message sent to it: the log gets a count at
  // most once a second, not a line each.
  const auto now = Clock::now();
  if (mToldAt == Clock::time_point() || now - mToldAt >= std::chrono::milliseconds(kLogGapMs)) TellLosses(now);
}

void PacedMidiOut::TellLosses(Clock::time_point now)
{
  if (mUntold == 0) return;
  char line[200];
  snprintf(line, sizeof line, "ZephraEditor: %zu MIDI message(s) not sent (%s); %zu in all", mUntold, mUntoldWhy,
           mLosses);
  mUntold = 0;
  mToldAt = now;
  if (mLog)
    mLog(line);
  else
    syslog(LOG_WARNING, "%s", line);
}

void PacedMidiOut::SetLog(Log log)
{
  std::lock_guard<std::mutex> lock(mMutex);
  mLog = std::move(log);
}

bool PacedMidiOut::TakeRoom(size_t size)
{
  if (!mRoom.cycles) return true;
  if (mAwaitingReady)
  {
    if (mRoom.ready && !mRoom.ready() && Clock::now() - mOpenedAt < std::chrono::milliseconds(kReadyWaitMs))
      return false;
    mAwaitingReady = false;
  }
  const uint64_t now = mRoom.cycles();
  size_t booked = 0;
  for (int i = 0; i < kRoomCycles; ++i)
  {
    // Bookings of counts that every later cycle has carried away are free again.
    if (mBookedCycle[i] + kRoomCycles <= now) mBooked[i] = 0;
    booked += mBooked[i];
  }
  const size_t cost = size + kMessageOverhead;
  // A message larger than the whole room still goes, alone.
  if (booked > 0 && booked + cost > mRoom.bytes) return false;
  const int slot = static_cast<int>(now % kRoomCycles);
  if (mBookedCycle[slot] != now)
  {
    mBookedCycle[slot] = now;
    mBooked[slot] = 0;
  }
  mBooked[slot] += cost;
  return true;
}

bool PacedMidiOut::StartWorker()
{
  if (mThread.joinable()) return true;
  try
  {
    mThread = std::thread(&PacedMidiOut::Worker, this);
    return true;
  }
  catch (const std::system_error&)
  {
    return false;
  }
}

bool PacedMidiOut::Send(const uint8_t* bytes, size_t size, Traffic traffic)
{
  std::lock_guard<std::recursive_mutex> run(mRunMutex);
  std::unique_lock<std::mutex> lock(mMutex);
  if (!mOpen) return false;
  // Under the lock, so no piece can slip in between.
  if (mQueue.empty() && size <= kPieceBytes && TakeRoom(size)) return mWrite && mWrite(bytes, size);

  if (mQueuedBytes + size > kQueueLimitBytes)
  {
    CountLoss(1, "the output is not taking any more");
    return false;
  }
  try
  {
    mQueue.push_back({std::vector<uint8_t>(bytes, bytes + size), traffic});
  }
  catch (const std::bad_alloc&)
  {
    CountLoss(1, "out of memory");
    return false;
  }
  mQueuedBytes += size;
  // Only a queue that was empty can lack its worker, so the message just
  // queued is the only one to take back if no thread can be had.
  if (!StartWorker())
  {
    mQueue.pop_back();
    mQueuedBytes -= size;
    CountLoss(1, "no thread to send it");
    return false;
  }
  mChanged.notify_all();
  return true;
}

void PacedMidiOut::Worker()
{
  std::unique_lock<std::mutex> lock(mMutex);
  auto lastProgress = Clock::now();
  for (;;)
  {
    mChanged.wait(lock, [this] { return mStop || !mQueue.empty(); });
    if (mQueue.empty()) return;  // stopping with nothing left

    std::vector<uint8_t>& front = mQueue.front().bytes;
    const size_t piece = std::min(kPieceBytes, front.size() - mSentOfFront);
    if (!TakeRoom(piece))
    {
      // The output has not carried away what it was given: look again soon.
      // Once stopping, an output that never moves is given up.
      if (mStop && Clock::now() - lastProgress > std::chrono::milliseconds(kGiveUpMs))
      {
        CountLoss(mQueue.size(), "the output stopped moving");
        mQueue.clear();
        mQueuedBytes = 0;
        mSentOfFront = 0;
        mChanged.notify_all();
        return;
      }
      mChanged.wait_for(lock, std::chrono::milliseconds(kRoomPollMs));
      continue;
    }
    lastProgress = Clock::now();
    if (!mWrite || !mWrite(front.data() + mSentOfFront, piece)) ++mFailures;
    mSentOfFront += piece;
    ++mPiecesHanded;
    mChanged.notify_all();
    if (mSentOfFront >= front.size())
    {
      mQueuedBytes -= front.size();
      mQueue.pop_front();
      mSentOfFront = 0;
      // Small messages that waited behind a large one need no gap.
      if (mRoom.cycles || mQueue.empty() || mQueue.front().bytes.size() <= kPieceBytes) continue;
    }
    if (mRoom.cycles) continue;  // the room paces the pieces
    // Let the audio server carry the piece away before the next one.
    lock.unlock();
    std::this_thread::sleep_for(std::chrono::milliseconds(kPieceGapMs));
    lock.lock();
  }
}

void PacedMidiOut::Open()
{
  std::lock_guard<std::mutex> lock(mMutex);
  if (!mOpen)
  {
    mOpenings.fetch_add(1, std::memory_order_acq_rel);
    mAwaitingReady = true;
    mOpenedAt = Clock::now();
  }
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
    mQueuedBytes = 0;
    mSentOfFront = 0;
  }
  mChanged.notify_all();
}

size_t PacedMidiOut::DropPlayed()
{
  std::lock_guard<std::mutex> lock(mMutex);
  // A front already partly handed over goes on whole.
  const auto from = mQueue.begin() + (mSentOfFront > 0 && !mQueue.empty() ? 1 : 0);
  const auto kept =
    std::stable_partition(from, mQueue.end(), [](const Queued& q) { return q.traffic != Traffic::kPlayed; });
  size_t dropped = 0;
  for (auto q = kept; q != mQueue.end(); ++q)
  {
    mQueuedBytes -= q->bytes.size();
    ++dropped;
  }
  mQueue.erase(kept, mQueue.end());
  CountLoss(dropped, "played, and no longer worth a wait");
  mChanged.notify_all();
  return dropped;
}

bool PacedMidiOut::IsOpen() const
{
  std::lock_guard<std::mutex> lock(mMutex);
  return mOpen;
}

void PacedMidiOut::SetWriter(Writer write)
{
  std::lock_guard<std::mutex> lock(mMutex);
  mWrite = write ? std::move(write) : mOwnWriter;
}

void PacedMidiOut::SetRoom(Room room)
{
  std::lock_guard<std::mutex> lock(mMutex);
  mRoom = std::move(room);
  for (int i = 0; i < kRoomCycles; ++i) mBooked[i] = 0;
}

bool PacedMidiOut::Flush(int timeoutMs)
{
  std::unique_lock<std::mutex> lock(mMutex);
  return mChanged.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return mQueue.empty(); });
}

bool PacedMidiOut::Drain(int stallMs)
{
  std::unique_lock<std::mutex> lock(mMutex);
  for (;;)
  {
    const uint64_t handed = mPiecesHanded;
    const bool moved = mChanged.wait_for(lock, std::chrono::milliseconds(stallMs),
                                         [&] { return mQueue.empty() || mPiecesHanded != handed; });
    if (mQueue.empty()) break;
    if (!moved) return false;
  }
  // The last pieces may still wait in the library's ring for the cycles
  // that carry them: a port closed before those run loses the end of the
  // message. They have left once the count has passed their window.
  if (!mRoom.cycles) return true;
  uint64_t last = 0;
  for (int i = 0; i < kRoomCycles; ++i)
    if (mBooked[i] > 0) last = std::max(last, mBookedCycle[i]);
  uint64_t seen = mRoom.cycles();
  auto movedAt = Clock::now();
  while (seen < last + kRoomCycles)
  {
    mChanged.wait_for(lock, std::chrono::milliseconds(kRoomPollMs));
    const uint64_t now = mRoom.cycles();
    if (now != seen)
    {
      seen = now;
      movedAt = Clock::now();
    }
    else if (Clock::now() - movedAt > std::chrono::milliseconds(stallMs))
    {
      return false;
    }
  }
  return true;
}

bool PacedMidiOut::Busy() const
{
  std::lock_guard<std::mutex> lock(mMutex);
  return !mQueue.empty();
}

int PacedMidiOut::Failures() const
{
  std::lock_guard<std::mutex> lock(mMutex);
  return mFailures;
}

size_t PacedMidiOut::Losses() const
{
  std::lock_guard<std::mutex> lock(mMutex);
  return mLosses;
}
