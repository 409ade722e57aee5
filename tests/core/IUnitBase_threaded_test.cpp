#include "core/IUnitBase.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>

namespace
{
class CountingUnit : public IUnitBase
{
public:
  CountingUnit()
    : IUnitBase(16, "0-2", 1, "ZephraEditor", "", "brindleaudio", 0x30600, 0x5A706564,
                0x42726941, 0, true, false, false, kAPIStandalone)
  {
    for (int i = 0; i < NParams(); ++i) GetParam(i)->InitInt("p", 0, 0, 1000);
  }
  // Runs under the plug-in mutex, so a plain counter is enough.
  void OnParamChange(int) override { ++mChanges; }
  long mChanges = 0;
};

// A handler that sets a whole program holds the recursive mutex around its
// calls; a state chunk taken meanwhile on another thread must never show
// half of one program and half of the next.
TEST(IUnitBaseThreaded, StateChunksSeeWholePrograms)
{
  CountingUnit unit;
  constexpr int kPrograms = 300;
  std::atomic<bool> done{false};
  std::thread writer([&] {
    for (int k = 1; k <= kPrograms; ++k)
    {
      BASE_MutexLock lock(unit.GetMutex());
      for (int i = 0; i < unit.NParams(); ++i) unit.SetParameterFromGUI2(i, k);
    }
    done = true;
  });

  int mixed = 0;
  int chunks = 0;
  while (!done || chunks == 0)
  {
    ByteChunk chunk;
    ASSERT_TRUE(unit.SerializeParams(&chunk));
    ASSERT_EQ(chunk.Size(), 16 * 8);
    double first;
    memcpy(&first, chunk.GetBytes(), 8);
    for (int i = 1; i < 16; ++i)
    {
      double value;
      memcpy(&value, chunk.GetBytes() + 8 * i, 8);
      if (value != first) ++mixed;
    }
    ++chunks;
  }
  writer.join();
  EXPECT_EQ(mixed, 0);
  BASE_MutexLock lock(unit.GetMutex());
  EXPECT_EQ(unit.mChanges, 16L * kPrograms);
}
}  // namespace
