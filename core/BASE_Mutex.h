// BASE_Mutex: a recursive mutex; the thread that holds it may enter again and
// must leave as often as it entered. BASE_MutexLock holds one for a scope,
// BASE_MutexTryLock holds one for a scope only when it is free at once, and
// BASE_MutexRelease lets go of every hold the calling thread has for a scope
// (around a modal dialog) and takes them all back at its end.
#pragma once

#include <atomic>
#include <mutex>
#include <thread>

class BASE_Mutex
{
public:
  BASE_Mutex() = default;
  BASE_Mutex(const BASE_Mutex&) = delete;
  BASE_Mutex& operator=(const BASE_Mutex&) = delete;

  void Enter()
  {
    mMutex.lock();
    Entered();
  }
  void Leave()
  {
    if (--mDepth == 0) mOwner.store(std::thread::id(), std::memory_order_relaxed);
    mMutex.unlock();
  }
  // True when the mutex was taken without waiting.
  bool TryEnter()
  {
    if (!mMutex.try_lock()) return false;
    Entered();
    return true;
  }
  // How many times the calling thread holds the mutex; 0 when it does not.
  // Only the owner ever reads the depth, which only the owner writes.
  int HeldDepth() const
  {
    return mOwner.load(std::memory_order_relaxed) == std::this_thread::get_id() ? mDepth : 0;
  }

private:
  void Entered()
  {
    if (mDepth++ == 0) mOwner.store(std::this_thread::get_id(), std::memory_order_relaxed);
  }

  std::recursive_mutex mMutex;
  std::atomic<std::thread::id> mOwner{};
  int mDepth = 0;
};

class BASE_MutexLock
{
public:
  explicit BASE_MutexLock(BASE_Mutex& mutex) : mMutex(mutex) { mMutex.Enter(); }
  ~BASE_MutexLock() { mMutex.Leave(); }
  BASE_MutexLock(const BASE_MutexLock&) = delete;
  BASE_MutexLock& operator=(const BASE_MutexLock&) = delete;

private:
  BASE_Mutex& mMutex;
};

class BASE_MutexTryLock
{
public:
  explicit BASE_MutexTryLock(BASE_Mutex& mutex) : mMutex(mutex), mLocked(mutex.TryEnter()) {}
  ~BASE_MutexTryLock()
  {
    if (mLocked) mMutex.Leave();
  }
  BASE_MutexTryLock(const BASE_MutexTryLock&) = delete;
  BASE_MutexTryLock& operator=(const BASE_MutexTryLock&) = delete;
  bool Locked() const { return mLocked; }

private:
  BASE_Mutex& mMutex;
  bool mLocked;
};

// A thread that waits in a dialog must not keep the others waiting for the
// mutex. Whatever the holder read before the release may have changed when
// the scope ends, so it checks its state again afterwards.
class BASE_MutexRelease
{
public:
  explicit BASE_MutexRelease(BASE_Mutex& mutex) : mMutex(mutex), mDepth(mutex.HeldDepth())
  {
    for (int i = 0; i < mDepth; ++i) mMutex.Leave();
  }
  ~BASE_MutexRelease()
  {
    for (int i = 0; i < mDepth; ++i) mMutex.Enter();
  }
  BASE_MutexRelease(const BASE_MutexRelease&) = delete;
  BASE_MutexRelease& operator=(const BASE_MutexRelease&) = delete;

private:
  BASE_Mutex& mMutex;
  const int mDepth;
};
