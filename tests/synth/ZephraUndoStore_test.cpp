// The undo store: its bound, the order of the steps once the oldest have
// gone, and the memory it holds after a reset.
#include "synth/ZephraUndoStore.h"

#include <gtest/gtest.h>

namespace {

// A record told apart by its first value.
void PushMarked(ZephraUndoStore& store, int mark)
{
  store.Record()[0] = mark;
  store.Push();
}

}  // namespace

// Steps pushed after the first (mark 0): 998, 999 and 1,000 fill the store
// up to and past its 1,000 steps; past it the oldest one goes.
TEST(ZephraUndoStore, KeepsTheLast1000Steps)
{
  const struct { int pushes, count, first, last; size_t capacity; } cases[] = {
    {998, 999, 0, 998, 1000},
    {999, 1000, 0, 999, 1000},
    {1000, 1000, 1, 1000, 1000},
    {5000, 1000, 4001, 5000, 1000},
  };
  for (const auto& c : cases)
  {
    SCOPED_TRACE(c.pushes);
    ZephraUndoStore store;
    store.Reset({});
    for (int i = 1; i <= c.pushes; ++i) PushMarked(store, i);
    EXPECT_EQ(store.Count(), c.count);
    EXPECT_EQ(store.Position(), c.count - 1);
    EXPECT_EQ(store.Current()[0], c.last);
    EXPECT_EQ(store.Capacity(), c.capacity);
    for (int i = 0; i < 1000; ++i) store.Back();
    EXPECT_EQ(store.Position(), 0);
    EXPECT_EQ(store.Current()[0], c.first);
  }
}

// Once full, the steps are a ring: undo, a push that drops the redo steps,
// and redo still walk them in order, and a full store refills in place.
TEST(ZephraUndoStore, FullStoreUndoesAndDropsRedoStepsInOrder)
{
  ZephraUndoStore store;
  store.Reset({});
  for (int i = 1; i <= 1500; ++i) PushMarked(store, i);  // steps 501..1500
  for (int i = 0; i < 3; ++i) store.Back();
  EXPECT_EQ(store.Current()[0], 1497);
  PushMarked(store, 7001);  // drops 1498..1500
  EXPECT_EQ(store.Count(), 998);
  EXPECT_FALSE(store.Forward());
  store.Record()[0] = 7002;
  store.Store();
  EXPECT_EQ(store.Current()[0], 7002);
  store.Back();
  EXPECT_EQ(store.Current()[0], 1497);
  EXPECT_TRUE(store.Forward());
  EXPECT_EQ(store.Current()[0], 7002);
  for (int i = 7003; i <= 7005; ++i) PushMarked(store, i);
  EXPECT_EQ(store.Count(), 1000);
  for (int i = 0; i < 999; ++i) store.Back();
  EXPECT_EQ(store.Current()[0], 502);
  EXPECT_EQ(store.Capacity(), 1000u);
}

// A reset keeps one step and the memory for it; clearing keeps none.
TEST(ZephraUndoStore, ResetAndClearGiveTheMemoryBack)
{
  ZephraUndoStore store;
  store.Reset({});
  for (int i = 1; i <= 1200; ++i) PushMarked(store, i);
  ZephraUndoStore::ProgramValues program{};
  program[0] = 42;
  store.Reset(program);
  EXPECT_EQ(store.Count(), 1);
  EXPECT_EQ(store.Capacity(), 1u);
  EXPECT_EQ(store.Current()[0], 42);
  PushMarked(store, 43);
  store.Back();
  EXPECT_EQ(store.Current()[0], 42);

  store.Clear();
  EXPECT_EQ(store.Count(), 0);
  EXPECT_EQ(store.Capacity(), 0u);
  // The first step after a clear: Store appends it.
  store.Record()[0] = 44;
  store.Store();
  EXPECT_EQ(store.Count(), 1);
  EXPECT_EQ(store.Current()[0], 44);
}
