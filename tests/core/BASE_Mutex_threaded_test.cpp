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
}  // namespace
