// The synth input's hand-over: the callback's Push never waits, even while
// the consumer is stuck (it holds a message in Drain), and what does not
// fit is counted, not kept.
#include "core/MidiInputQueue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace
{
TEST(MidiInputQueue, FullQueueDropsAndCounts)
{
  struct Case { size_t pushed, kept, overflows; } kCases[] = {{1023, 1023, 0}, {1024, 1024, 0}, {1025, 1024, 1}};
  for (const Case& c : kCases)
  {
    MidiInputQueue queue;
    for (size_t i = 0; i < c.pushed; ++i)
    {
      const uint8_t note[3] = {0x90, static_cast<uint8_t>(i % 128), static_cast<uint8_t>(i / 128)};
      queue.Push(note, 3);
    }
    EXPECT_EQ(queue.Overflows(), c.overflows) << c.pushed;
    size_t next = 0;
    EXPECT_EQ(queue.Drain([&](const uint8_t* b, size_t n) {
      EXPECT_EQ(std::vector<uint8_t>(b, b + n),
                (std::vector<uint8_t>{0x90, static_cast<uint8_t>(next % 128), static_cast<uint8_t>(next / 128)}));
      ++next;
    }), c.kept);
    // Room again after the drain.
    const uint8_t clock = 0xF8;
    EXPECT_TRUE(queue.Push(&clock, 1));
  }
}

TEST(MidiInputQueue, PushNeverWaitsForAStuckConsumer)
{
  MidiInputQueue queue;
  const uint8_t dump[5] = {0xF0, 0x00, 0x3E, 0x5A, 0xF7};
  queue.Push(dump, sizeof dump);
  std::atomic<bool> inside{false}, release{false};
  std::vector<size_t> sizes;
  std::thread consumer([&] {
    queue.Wait();
    queue.Drain([&](const uint8_t*, size_t n) {
      sizes.push_back(n);
      inside = true;
      while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    });
  });
  while (!inside) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  // 1023 more fit beside the held one, the next is dropped. A Push that
  // waited for the consumer would never return: it is only released below.
  for (int i = 0; i < 1024; ++i) queue.Push(dump, sizeof dump);
  EXPECT_EQ(queue.Overflows(), 1u);
  release = true;
  consumer.join();
  EXPECT_EQ(sizes.size(), 1024u);
}
// Long messages pushed while the consumer takes them: each arrives whole,
// in order, and the slots the consumer gave back are filled again by the
// producer without a race (the thread checker watches). The consumer waits
// without a limit, as the editor's delivery thread does: a message left
// without a wake would hang it here.
TEST(MidiInputQueue, LongMessagesPassWhileTheConsumerTakesThem)
{
  MidiInputQueue queue;
  constexpr int kMessages = 3000;
  std::thread producer([&] {
    std::vector<uint8_t> message(5000, 0x11);
    message.front() = 0xF0;
    message.back() = 0xF7;
    for (int i = 0; i < kMessages; ++i)
    {
      message[1] = static_cast<uint8_t>(i % 128);
      message[2] = static_cast<uint8_t>(i / 128);
      while (!queue.Push(message.data(), message.size())) std::this_thread::yield();
    }
  });
  int next = 0;
  bool whole = true;
  while (next < kMessages)
  {
    queue.Wait();
    queue.Drain([&](const uint8_t* b, size_t n) {
      whole = whole && n == 5000 && b[0] == 0xF0 && b[1] == next % 128 && b[2] == next / 128 && b[4999] == 0xF7;
      ++next;
    });
  }
  producer.join();
  EXPECT_TRUE(whole);
  EXPECT_EQ(queue.HeldBytes(), 262144u);
}

TEST(MidiInputQueue, WakeEndsAWaitWithoutLimitThatNoMessageEnds)
{
  MidiInputQueue queue;
  std::atomic<bool> woken{false};
  std::thread consumer([&] {
    queue.Wait();
    woken = true;
  });
  queue.Wake();
  consumer.join();
  EXPECT_TRUE(woken);
  EXPECT_EQ(queue.Drain([](const uint8_t*, size_t) {}), 0u);
}
}  // namespace
