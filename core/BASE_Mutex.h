// BASE_Mutex: a recursive mutex; the thread that holds it may enter again and
// must leave as often as it entered. BASE_MutexLock holds one for a scope.
#pragma once

#include <mutex>

class BASE_Mutex
{
public:
  BASE_Mutex() = default;
  BASE_Mutex(const BASE_Mutex&) = delete;
  BASE_Mutex& operator=(const BASE_Mutex&) = delete;

  void Enter() { mMutex.lock(); }
  void Leave() { mMutex.unlock(); }
  // True when the mutex was taken without waiting.
  bool TryEnter() { return mMutex.try_lock(); }

private:
  std::recursive_mutex mMutex;
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
