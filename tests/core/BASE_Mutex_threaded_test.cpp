#include "core/BASE_Mutex.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace
{
// Nested entry from the holding thread must not deadlock, and the counter
// must come out exact when four threads update it under the mutex.
TEST(BASE_Mutex, RecursiveAndExclusive)
{
  BASE_Mutex mutex;
  long counter = 0;
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
  {
    threads.emplace_back([&] {
      for (int i = 0; i < 10000; ++i)
      {
        BASE_MutexLock outer(mutex);
        BASE_MutexLock inner(mutex);
        ++counter;
      }
    });
  }
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(counter, 40000);

  mutex.Enter();
  std::thread other([&] { EXPECT_FALSE(mutex.TryEnter()); });
  other.join();
  EXPECT_TRUE(mutex.TryEnter());
  mutex.Leave();
  mutex.Leave();
}

// A release inside three nested holds frees the mutex for another thread,
// which holds nothing to release itself, and gives all three back.
TEST(BASE_Mutex, ReleaseKeepsTheDepth)
{
  BASE_Mutex mutex;
  BASE_MutexLock a(mutex), b(mutex), c(mutex);
  const auto otherTakes = [&mutex] {
    bool taken = false;
    std::thread other([&] {
      BASE_MutexRelease none(mutex);
      taken = BASE_MutexTryLock(mutex).Locked();
    });
    other.join();
    return taken;
  };
  {
    BASE_MutexRelease release(mutex);
    EXPECT_EQ(mutex.HeldDepth(), 0);
    EXPECT_TRUE(otherTakes());
  }
  EXPECT_EQ(mutex.HeldDepth(), 3);
  EXPECT_FALSE(otherTakes());
}
}  // namespace
