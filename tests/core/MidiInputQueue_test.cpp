// The synth input's queue holds only what waits in it: after long messages
// (another maker's bulk dumps on the synth's port) have been taken, its
// memory is back to what it starts with, 1,024 slots of 256 bytes.
#include "core/MidiInputQueue.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A SysEx of size bytes: F0, a maker's id, a running count, F7.
std::vector<uint8_t> OtherMakersDump(size_t size)
{
  std::vector<uint8_t> m(size);
  m[0] = 0xF0;
  m[1] = 0x43;
  for (size_t i = 2; i + 1 < size; ++i) m[i] = static_cast<uint8_t>(i & 0x7F);
  m[size - 1] = 0xF7;
  return m;
}

}  // namespace

TEST(MidiInputQueue, StartsWithTheSlotsReserve)
{
  MidiInputQueue queue;
  EXPECT_EQ(queue.HeldBytes(), 262144u);
}

// 1,024 messages of 200,000 bytes pass eight at a time, each slot used once.
TEST(MidiInputQueue, LongMessagesTakenLeaveTheQueueSmall)
{
  MidiInputQueue queue;
  const std::vector<uint8_t> dump = OtherMakersDump(200000);
  size_t taken = 0;
  for (int batch = 0; batch < 128; ++batch)
  {
    for (int i = 0; i < 8; ++i) ASSERT_TRUE(queue.Push(dump.data(), dump.size()));
    taken += queue.Drain([&](const uint8_t* bytes, size_t size) {
      ASSERT_EQ(size, 200000u);
      EXPECT_EQ(bytes[0], 0xF0);
      EXPECT_EQ(bytes[1], 0x43);
      EXPECT_EQ(bytes[199998], 0x3E);
      EXPECT_EQ(bytes[199999], 0xF7);
    });
  }
  EXPECT_EQ(taken, 1024u);
  EXPECT_EQ(queue.Overflows(), 0u);
  EXPECT_EQ(queue.HeldBytes(), 262144u);
}

// A message waiting keeps its memory until taken; messages of 255, 256
// and 257 bytes (the slot's reserve and one past it) leave the slot at
// its reserve.
TEST(MidiInputQueue, HoldsWhatWaitsUntilItIsTaken)
{
  const struct { size_t size, waiting; } cases[] = {
    {255, 262144},
    {256, 262144},
    {257, 262145},
    {200000, 461888},
  };
  for (const auto& c : cases)
  {
    SCOPED_TRACE(c.size);
    MidiInputQueue queue;
    const std::vector<uint8_t> message = OtherMakersDump(c.size);
    ASSERT_TRUE(queue.Push(message.data(), message.size()));
    EXPECT_EQ(queue.HeldBytes(), c.waiting);
    std::vector<uint8_t> got;
    EXPECT_EQ(queue.Drain([&](const uint8_t* bytes, size_t size) { got.assign(bytes, bytes + size); }), 1u);
    EXPECT_EQ(got, message);
    EXPECT_EQ(queue.HeldBytes(), 262144u);
  }
}

// Slots are used again once the ring has gone round: 2,500 short messages
// of one to three bytes, pushed and taken a few at a time, each arrive as
// pushed, nothing of an earlier one left in its slot.
TEST(MidiInputQueue, SlotsUsedAgainHoldOnlyTheirNewMessage)
{
  MidiInputQueue queue;
  size_t pushed = 0, taken = 0;
  const auto message = [](size_t i) {
    const uint8_t status[3] = {0xF8, 0xC1, 0x92};
    std::vector<uint8_t> m(1 + i % 3, static_cast<uint8_t>(i % 128));
    m[0] = status[i % 3];
    return m;
  };
  for (const size_t batch : {1023u, 1u, 1u, 7u, 1024u, 444u})
  {
    for (size_t i = 0; i < batch; ++i, ++pushed) ASSERT_TRUE(queue.Push(message(pushed).data(), message(pushed).size()));
    EXPECT_EQ(queue.Drain([&](const uint8_t* b, size_t n) {
      EXPECT_EQ(std::vector<uint8_t>(b, b + n), message(taken)) << taken;
      ++taken;
    }), batch);
  }
  EXPECT_EQ(taken, 2500u);
  EXPECT_EQ(queue.Overflows(), 0u);
}

// Push says whether it kept the message: the 1,024th fits, the 1,025th
// does not, and after a drain there is room again.
TEST(MidiInputQueue, PushSaysWhetherItKeptTheMessage)
{
  MidiInputQueue queue;
  const uint8_t clock = 0xF8;
  for (int i = 0; i < 1023; ++i) ASSERT_TRUE(queue.Push(&clock, 1)) << i;
  EXPECT_TRUE(queue.Push(&clock, 1));
  EXPECT_FALSE(queue.Push(&clock, 1));
  EXPECT_FALSE(queue.Push(&clock, 1));
  EXPECT_EQ(queue.Overflows(), 2u);
  EXPECT_EQ(queue.Drain([](const uint8_t*, size_t) {}), 1024u);
  EXPECT_TRUE(queue.Push(&clock, 1));
  EXPECT_EQ(queue.Overflows(), 2u);
}
