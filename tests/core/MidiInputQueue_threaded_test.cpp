// The synth input's hand-over: the callback's Push never waits, even while
// the consumer is stuck (it holds a message in Drain), and what does not
// fit is counted, not kept.
#include "core/MidiInputQueue.h"
#include "support/ThreadState.h"
#include "support/WaitFor.h"

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
// The delivery thread's loop, with its state in view: how often its Wait
// returned, what its Drains took, and whether it sleeps. held: after the
// next Drain it stays, awake, until held is false again.
struct WatchedConsumer
{
  explicit WatchedConsumer(MidiInputQueue& q) : queue(q), thread([this] { Run(); }) {}
  ~WatchedConsumer()
  {
    stop = true;
    held = false;
    queue.Wake();
    thread.join();
  }
  void Run()
  {
    tid = ThisThreadId();
    while (!stop)
    {
      queue.Wait();
      taken += queue.Drain([](const uint8_t*, size_t) {});
      ++rounds;
      while (held && !stop)
      {
        atHold = true;
        std::this_thread::yield();
      }
      atHold = false;
    }
  }
  // Asleep with `returned` Waits behind it: in its next Wait.
  bool AsleepAfter(int returned)
  {
    return WaitFor([&] { return rounds >= returned && tid != 0 && ThreadSleeps(tid); }, kBusyLimit) &&
           rounds == returned;
  }
  // Asleep with all of messages taken: in the Wait after them.
  bool IdleAfter(size_t messages)
  {
    return WaitFor([&] { return taken >= messages && tid != 0 && ThreadSleeps(tid); }, kBusyLimit) &&
           taken == messages;
  }
  bool Took(size_t messages)
  {
    return WaitFor([&] { return taken >= messages; }, std::chrono::seconds(10)) && taken == messages;
  }

  MidiInputQueue& queue;
  std::atomic<pid_t> tid{0};
  std::atomic<int> rounds{0};
  std::atomic<size_t> taken{0};
  std::atomic<bool> stop{false}, held{false}, atHold{false};
  std::thread thread;
};

const uint8_t kNote[3] = {0x90, 0x3C, 0x64};

// Three messages wake one Wait, whose Drain takes all three; the next Wait
// then sleeps until a push, and the one after until a wake.
TEST(MidiInputQueue, AfterAWaitAndADrainTheNextWaitSleepsUntilAPushOrAWake)
{
  MidiInputQueue queue;
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(queue.Push(kNote, 3));
  WatchedConsumer consumer(queue);
  EXPECT_TRUE(consumer.AsleepAfter(1));
  EXPECT_EQ(consumer.taken, 3u);
  ASSERT_TRUE(queue.Push(kNote, 3));
  EXPECT_TRUE(consumer.Took(4));
  EXPECT_TRUE(consumer.AsleepAfter(2));
  queue.Wake();
  EXPECT_TRUE(consumer.AsleepAfter(3));
  EXPECT_EQ(consumer.taken, 4u);
}

// Whenever the last message comes (while the consumer sleeps in Wait, or
// after its Drain and before its next Wait), that Wait ends and the message
// is taken: each step is brought about, not hoped for.
TEST(MidiInputQueue, TheWakeForTheLastMessageIsNeverLost)
{
  enum When { kWhileAsleep, kBeforeTheNextWait };
  const struct
  {
    const char* name;
    When when;
    int pushes;
  } kSteps[] = {
    {"one while asleep", kWhileAsleep, 1},
    {"one more while asleep", kWhileAsleep, 1},
    {"one between Drain and Wait", kBeforeTheNextWait, 1},
    {"a third while asleep", kWhileAsleep, 1},
    {"two between Drain and Wait", kBeforeTheNextWait, 2},
    {"two while asleep", kWhileAsleep, 2},
    {"one between Drain and Wait again", kBeforeTheNextWait, 1},
  };
  MidiInputQueue queue;
  WatchedConsumer consumer(queue);
  // A fresh queue's Wait sleeps.
  ASSERT_TRUE(consumer.AsleepAfter(0));
  size_t pushed = 0;
  for (const auto& s : kSteps)
  {
    SCOPED_TRACE(s.name);
    ASSERT_TRUE(consumer.IdleAfter(pushed));
    if (s.when == kBeforeTheNextWait)
    {
      // One message wakes it; it is held after that Drain.
      consumer.held = true;
      ASSERT_TRUE(queue.Push(kNote, 3));
      ++pushed;
      ASSERT_TRUE(WaitFor([&] { return consumer.atHold.load(); }, kBusyLimit));
    }
    for (int i = 0; i < s.pushes; ++i) ASSERT_TRUE(queue.Push(kNote, 3));
    pushed += static_cast<size_t>(s.pushes);
    consumer.held = false;
    const bool took = consumer.Took(pushed);
    if (!took) queue.Wake();  // lost: the consumer would sleep for good
    ASSERT_TRUE(took);
  }
}
}  // namespace
