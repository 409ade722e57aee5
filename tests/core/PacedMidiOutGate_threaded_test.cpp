// The gate in front of the output port: closed, it hands nothing to the
// library; closing cancels a paced message between pieces; a run keeps one
// sender's messages together while another thread sends.
#include "core/PacedMidiOut.h"
#include "support/WaitFor.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

namespace
{
using Bytes = std::vector<uint8_t>;

struct Wire
{
  std::mutex mutex;
  std::vector<Bytes> writes;
  PacedMidiOut::Writer Writer()
  {
    return [this](const uint8_t* bytes, size_t size) {
      std::lock_guard<std::mutex> lock(mutex);
      writes.emplace_back(bytes, bytes + size);
      return true;
    };
  }
  size_t Count()
  {
    std::lock_guard<std::mutex> lock(mutex);
    return writes.size();
  }
};

TEST(PacedMidiOutGate, ClosedGateHandsNothingOn)
{
  Wire wire;
  PacedMidiOut out(wire.Writer());
  const Bytes cc = {0xB0, 0x63, 0x05};
  Bytes firmware(91441, 0x11);
  firmware.front() = 0xF0;
  firmware.back() = 0xF7;
  out.Close();
  EXPECT_FALSE(out.Send(cc.data(), cc.size()));
  EXPECT_FALSE(out.Send(firmware.data(), firmware.size()));
  out.Flush();
  EXPECT_EQ(wire.Count(), 0u);
  out.Open();
  EXPECT_TRUE(out.Send(cc.data(), cc.size()));
  EXPECT_EQ(wire.writes, std::vector<Bytes>{cc});
}

// Only a closed gate opening again counts: opening an open one, or closing
// twice, does not.
TEST(PacedMidiOutGate, OpeningsCountOnlyAClosedGateOpened)
{
  enum Step { kOpen, kClose };
  const struct
  {
    const char* name;
    std::vector<Step> steps;
    uint64_t openings;
  } kCases[] = {
    {"new gate", {}, 0},
    {"opened while open", {kOpen, kOpen}, 0},
    {"closed only", {kClose}, 0},
    {"closed and opened", {kClose, kOpen}, 1},
    {"closed twice, opened twice", {kClose, kClose, kOpen, kOpen}, 1},
    {"reopened twice", {kClose, kOpen, kClose, kOpen}, 2},
  };
  for (const auto& c : kCases)
  {
    Wire wire;
    PacedMidiOut out(wire.Writer());
    for (const Step step : c.steps)
    {
      if (step == kOpen) out.Open();
      else out.Close();
    }
    EXPECT_EQ(out.Openings(), c.openings) << c.name;
  }
}

TEST(PacedMidiOutGate, ClosingCancelsAPacedMessage)
{
  Wire wire;
  Bytes firmware(91441, 0x22);
  firmware.front() = 0xF0;
  firmware.back() = 0xF7;
  {
    PacedMidiOut out(wire.Writer());
    ASSERT_TRUE(out.Send(firmware.data(), firmware.size()));
    while (wire.Count() < 2) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    out.Close();
    const size_t atClose = wire.Count();
    out.Flush();  // nothing is left to wait for
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(wire.Count(), atClose);
    EXPECT_LT(atClose, 23u);  // 23 pieces make the whole image
  }
  // The pieces that went out are the image's first bytes; no F7 follows.
  EXPECT_EQ(wire.writes.front(), Bytes(firmware.begin(), firmware.begin() + 4096));
  EXPECT_NE(wire.writes.back().back(), 0xF7);
}

TEST(PacedMidiOutGate, RunStaysWholeWhileAnotherThreadSends)
{
  Wire wire;
  PacedMidiOut out(wire.Writer());
  constexpr int kRuns = 3000;
  std::atomic<bool> done{false};
  std::thread keyboard([&] {
    const Bytes cc = {0xB1, 0x07, 0x40};
    while (!done) out.Send(cc.data(), cc.size());
  });
  for (int i = 0; i < kRuns; ++i)
  {
    const Bytes run[3] = {{0xB0, 0x63, 0x05}, {0xB0, 0x62, static_cast<uint8_t>(i % 125)}, {0xB0, 0x06, 0x40}};
    auto hold = out.HoldRun();
    for (const Bytes& m : run) out.Send(m.data(), m.size());
  }
  done = true;
  keyboard.join();
  int runs = 0;
  for (size_t i = 0; i < wire.writes.size(); ++i)
  {
    if (wire.writes[i][0] != 0xB0) continue;
    ASSERT_LE(i + 2, wire.writes.size() - 1);
    EXPECT_EQ(wire.writes[i][1], 0x63) << i;
    EXPECT_EQ(wire.writes[i + 1], (Bytes{0xB0, 0x62, static_cast<uint8_t>(runs % 125)})) << i;
    EXPECT_EQ(wire.writes[i + 2], (Bytes{0xB0, 0x06, 0x40})) << i;
    i += 2;
    ++runs;
  }
  EXPECT_EQ(runs, kRuns);
}
}  // namespace

// Closed in the middle of an image, opened again: the next image leaves
// whole from its first byte, 91,441 bytes in 23 pieces.
TEST(PacedMidiOutGate, AnImageSentAfterACloseInTheMiddleOfOneArrivesWhole)
{
  Wire wire;
  Bytes image(91441);
  for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint8_t>(i % 127);
  image.front() = 0xF0;
  image.back() = 0xF7;
  PacedMidiOut out(wire.Writer());
  ASSERT_TRUE(out.Send(image.data(), image.size()));
  ASSERT_TRUE(WaitFor([&] { return wire.Count() >= 2; }, kBusyLimit));
  out.Close();
  const size_t atClose = wire.Count();
  ASSERT_LT(atClose, 23u);
  out.Open();
  ASSERT_TRUE(out.Send(image.data(), image.size()));
  ASSERT_TRUE(out.Flush());
  std::lock_guard<std::mutex> lock(wire.mutex);
  ASSERT_EQ(wire.writes.size(), atClose + 23);
  Bytes joined;
  for (size_t w = atClose; w < wire.writes.size(); ++w)
    joined.insert(joined.end(), wire.writes[w].begin(), wire.writes[w].end());
  ASSERT_EQ(joined.size(), 91441u);
  EXPECT_EQ(joined.front(), 0xF0);
  EXPECT_EQ(joined[4096], 0x20);  // 4096 % 127
  EXPECT_EQ(joined.back(), 0xF7);
  EXPECT_EQ(joined, image);
}
