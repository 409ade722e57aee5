#include "core/PacedMidiOut.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

struct Wire
{
  std::mutex mutex;
  std::vector<Bytes> writes;
  std::thread::id lastWriter;
  bool refuse = false;

  PacedMidiOut::Writer Writer()
  {
    return [this](const uint8_t* bytes, size_t size) {
      std::lock_guard<std::mutex> lock(mutex);
      writes.emplace_back(bytes, bytes + size);
      lastWriter = std::this_thread::get_id();
      return !refuse;
    };
  }
};

Bytes SysEx(size_t size)
{
  Bytes m(size);
  for (size_t i = 0; i < size; ++i) m[i] = static_cast<uint8_t>(i % 127);
  m.front() = 0xF0;
  m.back() = 0xF7;
  return m;
}

}  // namespace

TEST(PacedMidiOut, SmallMessagesGoStraightOutOnTheCallersThread)
{
  Wire wire;
  PacedMidiOut out(wire.Writer());
  const Bytes cc = {0xB0, 0x06, 0x1D};
  const Bytes full = SysEx(PacedMidiOut::kPieceBytes);
  EXPECT_TRUE(out.Send(cc.data(), cc.size()));
  EXPECT_TRUE(out.Send(full.data(), full.size()));
  std::lock_guard<std::mutex> lock(wire.mutex);
  EXPECT_EQ(wire.writes, (std::vector<Bytes>{cc, full}));
  EXPECT_EQ(wire.lastWriter, std::this_thread::get_id());
}

// A firmware-sized message leaves in pieces no larger than the library can
// carry, and whatever is sent meanwhile queues behind it, never inside it.
TEST(PacedMidiOut, LargeMessageGoesInPiecesAndKeepsTheOrder)
{
  Wire wire;
  PacedMidiOut out(wire.Writer());
  const Bytes firmware = SysEx(91441);
  const Bytes cc = {0xB0, 0x06, 0x1E};
  const Bytes request = {0xF0, 0x00, 0x3E, 0x5A, 0x03, 0x40, 0x03, 0x05, 0xF7};
  EXPECT_TRUE(out.Send(firmware.data(), firmware.size()));
  EXPECT_TRUE(out.Send(cc.data(), cc.size()));
  EXPECT_TRUE(out.Send(request.data(), request.size()));
  out.Flush();
  EXPECT_EQ(out.Failures(), 0);

  std::lock_guard<std::mutex> lock(wire.mutex);
  ASSERT_EQ(wire.writes.size(), (firmware.size() + PacedMidiOut::kPieceBytes - 1) / PacedMidiOut::kPieceBytes + 2);
  Bytes joined;
  for (size_t i = 0; i + 2 < wire.writes.size(); ++i)
  {
    EXPECT_LE(wire.writes[i].size(), PacedMidiOut::kPieceBytes);
    joined.insert(joined.end(), wire.writes[i].begin(), wire.writes[i].end());
  }
  EXPECT_EQ(joined, firmware);
  EXPECT_EQ(wire.writes[wire.writes.size() - 2], cc);
  EXPECT_EQ(wire.writes.back(), request);
  EXPECT_NE(wire.lastWriter, std::this_thread::get_id());
}

TEST(PacedMidiOut, RefusedPiecesAreCountedAndTheRestStillGoes)
{
  Wire wire;
  wire.refuse = true;
  const Bytes big = SysEx(3 * PacedMidiOut::kPieceBytes);
  {
    PacedMidiOut out(wire.Writer());
    const Bytes cc = {0xB0, 0x07, 0x3F};
    EXPECT_FALSE(out.Send(cc.data(), cc.size()));  // straight out, refused
    EXPECT_TRUE(out.Send(big.data(), big.size()));
    out.Flush();
    EXPECT_EQ(out.Failures(), 3);
  }
  std::lock_guard<std::mutex> lock(wire.mutex);
  EXPECT_EQ(wire.writes.size(), 4u);
}

TEST(PacedMidiOut, DestructionSendsWhatIsLeft)
{
  Wire wire;
  const Bytes big = SysEx(5 * PacedMidiOut::kPieceBytes + 1);
  {
    PacedMidiOut out(wire.Writer());
    EXPECT_TRUE(out.Send(big.data(), big.size()));
  }
  std::lock_guard<std::mutex> lock(wire.mutex);
  Bytes joined;
  for (const Bytes& w : wire.writes) joined.insert(joined.end(), w.begin(), w.end());
  EXPECT_EQ(joined, big);
}

namespace
{
// The wire with the time of each write.
struct TimedWire
{
  std::mutex mutex;
  std::vector<Bytes> writes;
  std::vector<std::chrono::steady_clock::time_point> at;
  PacedMidiOut::Writer Writer()
  {
    return [this](const uint8_t* bytes, size_t size) {
      std::lock_guard<std::mutex> lock(mutex);
      writes.emplace_back(bytes, bytes + size);
      at.push_back(std::chrono::steady_clock::now());
      return true;
    };
  }
};

std::chrono::milliseconds Between(const TimedWire& wire, size_t from, size_t to)
{
  return std::chrono::duration_cast<std::chrono::milliseconds>(wire.at[to] - wire.at[from]);
}
}  // namespace

// Without a room the pieces of an image leave kPieceGapMs apart, and so do
// two images queued one after the other; 200 small messages queued behind
// an image need no gap: they leave well before 199 gaps could have passed.
TEST(PacedMidiOut, SmallMessagesBehindAnImageNeedNoGapAndTwoImagesKeepTheirs)
{
  TimedWire wire;
  const Bytes image = SysEx(91441);  // 23 pieces
  const Bytes knob = {0xB0, 0x06, 0x1F};
  {
    PacedMidiOut out(wire.Writer());
    ASSERT_TRUE(out.Send(image.data(), image.size()));
    for (int i = 0; i < 200; ++i) ASSERT_TRUE(out.Send(knob.data(), knob.size()));
    ASSERT_TRUE(out.Send(image.data(), image.size()));
    ASSERT_TRUE(out.Send(image.data(), image.size()));
    ASSERT_TRUE(out.Flush());
  }
  ASSERT_EQ(wire.writes.size(), 23u + 200u + 23u + 23u);
  const std::chrono::milliseconds gap(PacedMidiOut::kPieceGapMs);
  const struct
  {
    const char* name;
    size_t first;  // the write that starts the image
  } kImages[] = {{"first image", 0}, {"second image", 223}, {"third image", 246}};
  for (const auto& i : kImages)
  {
    Bytes joined;
    for (size_t w = i.first; w < i.first + 23; ++w)
    {
      joined.insert(joined.end(), wire.writes[w].begin(), wire.writes[w].end());
      if (w > i.first)
      {
        EXPECT_GE(Between(wire, w - 1, w), gap) << i.name << " piece " << w - i.first;
      }
    }
    EXPECT_EQ(joined, image) << i.name;
  }
  for (size_t w = 23; w < 223; ++w) EXPECT_EQ(wire.writes[w], knob) << w;
  EXPECT_LT(Between(wire, 23, 222), 199 * gap);
  EXPECT_GE(Between(wire, 222, 223), gap) << "the image after the small ones";
  EXPECT_GE(Between(wire, 245, 246), gap) << "the image after the image";
}

// An image sent once the worker has nothing left to do wakes it: it goes
// out whole, as the first did.
TEST(PacedMidiOut, AnImageSentToAnIdleGateGoesOut)
{
  Wire wire;
  const Bytes image = SysEx(3 * PacedMidiOut::kPieceBytes + 1);
  PacedMidiOut out(wire.Writer());
  for (int round = 1; round <= 3; ++round)
  {
    ASSERT_TRUE(out.Send(image.data(), image.size()));
    ASSERT_TRUE(out.Flush()) << round;
    std::lock_guard<std::mutex> lock(wire.mutex);
    EXPECT_EQ(wire.writes.size(), 4u * round);
  }
}

// The writer follows the output object: a new one takes what is sent, and
// null gives the gate back to the writer it was made with.
TEST(PacedMidiOut, WritesGoToTheWriterSetLast)
{
  Wire made, other;
  PacedMidiOut out(made.Writer());
  const Bytes knobs[3] = {{0xB0, 0x06, 0x01}, {0xB0, 0x06, 0x02}, {0xB0, 0x06, 0x03}};
  ASSERT_TRUE(out.Send(knobs[0].data(), 3));
  out.Close();
  out.SetWriter(other.Writer());
  out.Open();
  ASSERT_TRUE(out.Send(knobs[1].data(), 3));
  out.Close();
  out.SetWriter(nullptr);
  out.Open();
  ASSERT_TRUE(out.Send(knobs[2].data(), 3));
  EXPECT_EQ(made.writes, (std::vector<Bytes>{knobs[0], knobs[2]}));
  EXPECT_EQ(other.writes, (std::vector<Bytes>{knobs[1]}));
}

// With a room that always has space the pieces of an image follow one
// another as fast as the output takes them: the room paces them, not the
// gap of an output without one (22 gaps would be 132 ms at least).
TEST(PacedMidiOut, ARoomWithSpaceSendsAnImageWithoutGaps)
{
  TimedWire wire;
  const Bytes image = SysEx(91441);
  std::atomic<uint64_t> cycles{0};
  {
    PacedMidiOut out(wire.Writer());
    // Each look at the count finds the window before carried away.
    out.SetRoom({[&cycles] { return cycles += PacedMidiOut::kRoomCycles; }, 1u << 20, nullptr});
    ASSERT_TRUE(out.Send(image.data(), image.size()));
    ASSERT_TRUE(out.Flush());
  }
  ASSERT_EQ(wire.writes.size(), 23u);
  EXPECT_LT(Between(wire, 0, 22), 22 * std::chrono::milliseconds(PacedMidiOut::kPieceGapMs));
}

// Without a room, draining waits only for the queue: then all has gone.
TEST(PacedMidiOut, DrainWithoutARoomEndsWithTheQueue)
{
  Wire wire;
  const Bytes image = SysEx(2 * PacedMidiOut::kPieceBytes + 5);
  PacedMidiOut out(wire.Writer());
  ASSERT_TRUE(out.Send(image.data(), image.size()));
  EXPECT_TRUE(out.Drain(1000));
  EXPECT_FALSE(out.Busy());
  std::lock_guard<std::mutex> lock(wire.mutex);
  EXPECT_EQ(wire.writes.size(), 3u);
}

// Without a room, a message of more than one piece waits kPieceGapMs after
// the image before it; one of a single piece needs no gap.
TEST(PacedMidiOut, AMessageOfTwoPiecesBehindAnImageKeepsTheGap)
{
  for (const size_t size : {PacedMidiOut::kPieceBytes + 1, 2 * PacedMidiOut::kPieceBytes, 4 * PacedMidiOut::kPieceBytes + 1})
  {
    SCOPED_TRACE(size);
    TimedWire wire;
    const Bytes image = SysEx(3 * PacedMidiOut::kPieceBytes), next = SysEx(size);
    {
      PacedMidiOut out(wire.Writer());
      ASSERT_TRUE(out.Send(image.data(), image.size()));
      ASSERT_TRUE(out.Send(next.data(), next.size()));
      ASSERT_TRUE(out.Flush());
    }
    ASSERT_GE(wire.writes.size(), 5u);
    EXPECT_GE(Between(wire, 2, 3), std::chrono::milliseconds(PacedMidiOut::kPieceGapMs));
  }
}
