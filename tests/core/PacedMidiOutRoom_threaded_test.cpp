// The gate metered by the sound server's cycles: what one window of cycles
// may carry goes out, the rest waits in line in order, and a server that
// stops cycling never holds a sender: what cannot be kept is counted.
#include "core/PacedMidiOut.h"
#include "support/WaitFor.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace
{
using Bytes = std::vector<uint8_t>;

struct MeteredWire
{
  std::mutex mutex;
  std::vector<Bytes> writes;
  std::atomic<uint64_t> cycles{0};

  std::unique_ptr<PacedMidiOut> Gate(size_t roomBytes, std::function<bool()> ready = nullptr)
  {
    auto gate = std::make_unique<PacedMidiOut>([this](const uint8_t* bytes, size_t size) {
      std::lock_guard<std::mutex> lock(mutex);
      writes.emplace_back(bytes, bytes + size);
      return true;
    });
    gate->SetRoom({[this] { return cycles.load(); }, roomBytes, std::move(ready)});
    return gate;
  }
  size_t Count()
  {
    std::lock_guard<std::mutex> lock(mutex);
    return writes.size();
  }
  bool WaitForCount(size_t n)
  {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (Count() < n)
    {
      if (std::chrono::steady_clock::now() > deadline) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
  }
};

Bytes Knob(int i) { return {0xB0, static_cast<uint8_t>(i), static_cast<uint8_t>(i)}; }

}  // namespace

// A 3-byte message costs 19 bytes of room: room 95 takes five at once.
TEST(PacedMidiOutRoom, OneWindowTakesWhatFitsAndNoMore)
{
  const struct { size_t room; size_t atOnce; } cases[] = {{94, 4}, {95, 5}, {96, 5}, {113, 5}, {114, 6}};
  for (const auto& c : cases)
  {
    SCOPED_TRACE(c.room);
    MeteredWire wire;
    auto gate = wire.Gate(c.room);
    for (int i = 0; i < 10; ++i) EXPECT_TRUE(gate->Send(Knob(i).data(), 3));
    EXPECT_EQ(wire.Count(), c.atOnce);
    EXPECT_TRUE(gate->Busy());
    gate->Close();
  }
}

// A gate opened on a connection the server has not yet put to use holds
// what is sent (the server would drop it) and hands it on, in order, once
// the connection carries; it holds only until then, and never for good.
TEST(PacedMidiOutRoom, AfterOpeningMessagesWaitUntilTheConnectionCarries)
{
  MeteredWire wire;
  std::atomic<bool> carries{false};
  auto gate = wire.Gate(1000, [&carries] { return carries.load(); });
  const struct
  {
    const char* step;
    bool reopen, carries;
    size_t written;
    bool held;
  } steps[] = {
    {"open from the start: nothing to wait for", false, false, 2, false},
    {"reopened, not carrying yet", true, false, 2, true},
    {"carrying: the held two, then the new two", false, true, 6, false},
    {"carrying no longer: not held again until the next opening", false, false, 8, false},
  };
  std::vector<Bytes> sent;
  int knob = 0;
  for (const auto& s : steps)
  {
    SCOPED_TRACE(s.step);
    if (s.reopen)
    {
      gate->Close();
      gate->Open();
    }
    carries = s.carries;
    for (int i = 0; i < 2; ++i)
    {
      sent.push_back(Knob(knob++));
      EXPECT_TRUE(gate->Send(sent.back().data(), 3));
    }
    if (s.held)
      EXPECT_FALSE(gate->Flush(50));
    else
      ASSERT_TRUE(wire.WaitForCount(s.written));
    EXPECT_EQ(wire.Count(), s.written);
    EXPECT_EQ(gate->Busy(), s.held);
  }
  std::lock_guard<std::mutex> lock(wire.mutex);
  EXPECT_EQ(wire.writes, sent);
}

// A connection that never carries holds the messages kReadyWaitMs, no
// longer: then they go, as they did before there was a wait.
TEST(PacedMidiOutRoom, AConnectionThatNeverCarriesHoldsOnlyForItsTime)
{
  MeteredWire wire;
  auto gate = wire.Gate(1000, [] { return false; });
  gate->Close();
  gate->Open();
  const auto opened = std::chrono::steady_clock::now();
  ASSERT_TRUE(gate->Send(Knob(1).data(), 3));
  ASSERT_TRUE(wire.WaitForCount(1));
  EXPECT_GE(std::chrono::steady_clock::now() - opened, std::chrono::milliseconds(PacedMidiOut::kReadyWaitMs));
  EXPECT_TRUE(gate->Send(Knob(2).data(), 3));
  EXPECT_EQ(wire.Count(), 2u);
}

// The room frees only when the cycles that may still carry a message have
// run: three counts after it was handed over. The wire keeps the order.
TEST(PacedMidiOutRoom, RoomFreesAsTheCyclesRunAndTheOrderHolds)
{
  MeteredWire wire;
  auto gate = wire.Gate(95);
  std::vector<Bytes> sent;
  for (int i = 0; i < 20; ++i)
  {
    sent.push_back(Knob(i));
    ASSERT_TRUE(gate->Send(sent.back().data(), 3));
  }
  ASSERT_EQ(wire.Count(), 5u);
  wire.cycles = 2;
  EXPECT_FALSE(gate->Flush(30));
  EXPECT_EQ(wire.Count(), 5u);
  const struct { uint64_t cycle; size_t written; } steps[] = {{3, 10}, {5, 10}, {6, 15}, {9, 20}};
  for (const auto& s : steps)
  {
    SCOPED_TRACE(s.cycle);
    wire.cycles = s.cycle;
    if (s.written == wire.Count())
      EXPECT_FALSE(gate->Flush(30));
    else
      ASSERT_TRUE(wire.WaitForCount(s.written));
    EXPECT_EQ(wire.Count(), s.written);
  }
  EXPECT_TRUE(gate->Flush(1000));
  std::lock_guard<std::mutex> lock(wire.mutex);
  EXPECT_EQ(wire.writes, sent);
}

// Draining before a port closes waits out a slow server for as long as it
// keeps taking pieces (a firmware image must not be cut at a fixed time),
// and gives up once the output stands still for the stall time.
TEST(PacedMidiOutRoom, DrainWaitsWhileTheOutputMovesAndGivesUpWhenItStops)
{
  MeteredWire wire;
  auto gate = wire.Gate(95);  // five knobs a window
  std::vector<Bytes> sent;
  for (int i = 0; i < 250; ++i)
  {
    sent.push_back(Knob(i % 128));
    ASSERT_TRUE(gate->Send(sent.back().data(), 3));
  }
  ASSERT_EQ(wire.Count(), 5u);
  // A slow server: a window every 40 ms, 49 more windows, about 2 s in all.
  std::atomic<bool> stop{false};
  std::thread server([&] {
    while (!stop)
    {
      std::this_thread::sleep_for(std::chrono::milliseconds(40));
      wire.cycles += PacedMidiOut::kRoomCycles;
    }
  });
  const auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(gate->Drain(1000));
  const auto took = std::chrono::steady_clock::now() - start;
  stop = true;
  server.join();
  EXPECT_GE(took, std::chrono::milliseconds(49 * 40));
  {
    std::lock_guard<std::mutex> lock(wire.mutex);
    EXPECT_EQ(wire.writes, sent);
  }

  // A server that stops with messages queued: given up after the stall.
  for (int i = 0; i < 10; ++i) ASSERT_TRUE(gate->Send(Knob(i).data(), 3));
  const size_t before = wire.Count();
  auto drained = std::async(std::launch::async, [&] { return gate->Drain(100); });
  ASSERT_EQ(drained.wait_for(std::chrono::seconds(10)), std::future_status::ready);
  EXPECT_FALSE(drained.get());
  EXPECT_TRUE(gate->Busy());
  EXPECT_EQ(wire.Count(), before);
  gate->Close();
}

// What the gate has handed over still waits in the library until the
// cycles carry it: a port closed earlier cuts the end of a firmware image.
// Draining ends only once the count has passed the last piece's window.
TEST(PacedMidiOutRoom, DrainWaitsForTheCyclesThatCarryTheLastPiece)
{
  MeteredWire wire;
  auto gate = wire.Gate(95);
  for (int i = 0; i < 10; ++i) ASSERT_TRUE(gate->Send(Knob(i).data(), 3));
  ASSERT_EQ(wire.Count(), 5u);
  auto drained = std::async(std::launch::async, [&] { return gate->Drain(10000); });
  wire.cycles = 3;  // the last five are handed over in count 3
  ASSERT_TRUE(wire.WaitForCount(10));
  EXPECT_FALSE(gate->Busy());
  const struct { uint64_t cycle; bool ended; } steps[] = {{4, false}, {5, false}, {6, true}};
  for (const auto& s : steps)
  {
    SCOPED_TRACE(s.cycle);
    wire.cycles = s.cycle;
    if (s.ended)
      ASSERT_EQ(drained.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    else
      EXPECT_EQ(drained.wait_for(std::chrono::milliseconds(50)), std::future_status::timeout);
  }
  EXPECT_TRUE(drained.get());

  // Handed over, then the server stops: given up after the stall.
  ASSERT_TRUE(gate->Send(Knob(1).data(), 3));
  ASSERT_EQ(wire.Count(), 11u);
  auto stalled = std::async(std::launch::async, [&] { return gate->Drain(100); });
  ASSERT_EQ(stalled.wait_for(std::chrono::seconds(10)), std::future_status::ready);
  EXPECT_FALSE(stalled.get());
}

// Whatever a stalled output does, Send returns at once; the queue holds
// kQueueLimitBytes and the next message is counted as lost, not waited for.
TEST(PacedMidiOutRoom, StalledOutputNeverHoldsASenderAndCountsTheLoss)
{
  MeteredWire wire;
  auto gate = wire.Gate(PacedMidiOut::kPieceBytes);
  Bytes piece(PacedMidiOut::kPieceBytes, 0x11);
  piece.front() = 0xF0;
  piece.back() = 0xF7;
  const size_t fit = PacedMidiOut::kQueueLimitBytes / piece.size();
  ASSERT_EQ(fit, 1024u);
  // The first goes out alone (larger than nothing), the next 1024 fill the queue.
  for (size_t i = 0; i < fit + 1; ++i) ASSERT_TRUE(gate->Send(piece.data(), piece.size())) << i;
  EXPECT_EQ(gate->Losses(), 0u);
  EXPECT_FALSE(gate->Send(piece.data(), piece.size()));
  EXPECT_FALSE(gate->Send(Knob(1).data(), 3));
  EXPECT_EQ(gate->Losses(), 2u);
  EXPECT_EQ(wire.Count(), 1u);

  // Going away with the output still stalled: given up, not waited for.
  auto gone = std::async(std::launch::async, [&] { gate.reset(); });
  EXPECT_EQ(gone.wait_for(std::chrono::seconds(10)), std::future_status::ready);
  EXPECT_EQ(wire.Count(), 1u);
}

// 100,000 messages dropped by a full queue: the log gets a count at most
// once a second, and the whole count when the gate goes.
TEST(PacedMidiOutRoom, AFullQueueLogsACountAtMostOnceASecond)
{
  MeteredWire wire;
  auto gate = wire.Gate(PacedMidiOut::kPieceBytes);
  std::vector<std::string> lines;  // written under the gate's lock
  gate->SetLog([&lines](const char* line) { lines.emplace_back(line); });
  Bytes piece(PacedMidiOut::kPieceBytes, 0x11);
  piece.front() = 0xF0;
  piece.back() = 0xF7;
  for (size_t i = 0; i < 1025; ++i) ASSERT_TRUE(gate->Send(piece.data(), piece.size())) << i;

  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < 100000; ++i) ASSERT_FALSE(gate->Send(Knob(1).data(), 3)) << i;
  const auto seconds =
      std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - start).count();
  EXPECT_EQ(gate->Losses(), 100000u);
  gate->SetLog(nullptr);  // reads lines with no writer left
  ASSERT_GE(lines.size(), 1u);
  EXPECT_LE(lines.size(), static_cast<size_t>(seconds) + 1);
  EXPECT_EQ(lines.front(), "ZephraEditor: 1 MIDI message(s) not sent (the output is not taking any more); 1 in all");

  std::vector<std::string> last;
  gate->SetLog([&last](const char* line) { last.emplace_back(line); });
  gate.reset();
  // The queued 1024 are given up when the gate goes; the drops not told yet
  // are in that count.
  ASSERT_FALSE(last.empty());
  EXPECT_NE(last.back().find("; 101024 in all"), std::string::npos) << last.back();
  EXPECT_LE(last.size(), 2u);
}

namespace
{
Bytes FullPiece()
{
  Bytes piece(PacedMidiOut::kPieceBytes, 0x11);
  piece.front() = 0xF0;
  piece.back() = 0xF7;
  return piece;
}

// A gate whose output stands still with its queue full: each further
// message is dropped.
std::unique_ptr<PacedMidiOut> FullGate(MeteredWire& wire, std::vector<std::string>& lines)
{
  auto gate = wire.Gate(PacedMidiOut::kPieceBytes);
  gate->SetLog([&lines](const char* line) { lines.emplace_back(line); });
  const Bytes piece = FullPiece();
  for (size_t i = 0; i < 1025; ++i) EXPECT_TRUE(gate->Send(piece.data(), piece.size())) << i;
  return gate;
}

std::string LossLine(size_t count, size_t inAll)
{
  return "ZephraEditor: " + std::to_string(count) +
         " MIDI message(s) not sent (the output is not taking any more); " + std::to_string(inAll) + " in all";
}
}  // namespace

// The first loss is told at once; the next line, a second or more later,
// counts what was lost since the first, and the whole so far.
TEST(PacedMidiOutRoom, ASecondLogLineCountsOnlyItsOwnLosses)
{
  MeteredWire wire;
  std::vector<std::string> lines;
  auto gate = FullGate(wire, lines);
  const auto firstLine = std::chrono::steady_clock::now();
  ASSERT_FALSE(gate->Send(Knob(1).data(), 3));
  ASSERT_EQ(lines, std::vector<std::string>{LossLine(1, 1)});
  size_t dropped = 1;
  ASSERT_TRUE(WaitFor(
    [&] {
      EXPECT_FALSE(gate->Send(Knob(2).data(), 3));
      ++dropped;
      return lines.size() == 2;
    },
    kBusyLimit));
  EXPECT_GE(std::chrono::steady_clock::now() - firstLine, std::chrono::seconds(1));
  EXPECT_EQ(lines[1], LossLine(dropped - 1, dropped));
  EXPECT_EQ(gate->Losses(), dropped);
  gate->Close();  // what was queued is dropped on purpose: no loss
  gate.reset();
  EXPECT_EQ(lines.size(), 2u);
}

// Losses within the second after a line are told when the gate goes.
TEST(PacedMidiOutRoom, LossesOfTheLastSecondAreLoggedWhenTheGateGoes)
{
  MeteredWire wire;
  std::vector<std::string> lines;
  auto gate = FullGate(wire, lines);
  for (int i = 0; i < 3; ++i) ASSERT_FALSE(gate->Send(Knob(i).data(), 3));
  ASSERT_EQ(lines, std::vector<std::string>{LossLine(1, 1)});
  gate->Close();
  gate.reset();
  EXPECT_EQ(lines, (std::vector<std::string>{LossLine(1, 1), LossLine(2, 3)}));
}

// Once the connection has carried, a connection that stops carrying holds
// nothing: the messages go at once, not after kReadyWaitMs.
TEST(PacedMidiOutRoom, AConnectionThatStopsCarryingHoldsNothingAgain)
{
  MeteredWire wire;
  std::atomic<bool> carries{false};
  auto gate = wire.Gate(1000, [&carries] { return carries.load(); });
  gate->Close();
  gate->Open();
  ASSERT_TRUE(gate->Send(Knob(1).data(), 3));
  EXPECT_TRUE(gate->Busy());
  carries = true;
  ASSERT_TRUE(wire.WaitForCount(1));
  carries = false;
  for (int i = 2; i < 5; ++i) ASSERT_TRUE(gate->Send(Knob(i).data(), 3));
  const auto shortLimit = std::chrono::milliseconds(PacedMidiOut::kReadyWaitMs / 3);
  EXPECT_TRUE(WaitFor([&] { return wire.Count() == 4; }, shortLimit));
  EXPECT_TRUE(gate->Flush(PacedMidiOut::kReadyWaitMs / 3));
  std::lock_guard<std::mutex> lock(wire.mutex);
  EXPECT_EQ(wire.writes, (std::vector<Bytes>{Knob(1), Knob(2), Knob(3), Knob(4)}));
}

// A new server's room counts its cycles afresh, from 0: what the old room
// booked in its high counts does not hold the next message back.
TEST(PacedMidiOutRoom, ASendRightAfterTheRoomChangesToAFreshCountGoesOut)
{
  // The old room's count where it was filled: each of the three windows.
  for (const uint64_t old : {999u, 1000u, 1001u})
  {
    SCOPED_TRACE(old);
    MeteredWire wire;
    wire.cycles = old;
    auto gate = wire.Gate(95);
    for (int i = 0; i < 5; ++i) ASSERT_TRUE(gate->Send(Knob(i).data(), 3));
    ASSERT_EQ(wire.Count(), 5u);
    std::atomic<uint64_t> fresh{0};
    gate->SetRoom({[&fresh] { return fresh.load(); }, 95, nullptr});
    ASSERT_TRUE(gate->Send(Knob(5).data(), 3));
    EXPECT_TRUE(WaitFor([&] { return wire.Count() == 6; }, std::chrono::milliseconds(PacedMidiOut::kGiveUpMs)));
    EXPECT_FALSE(gate->Busy());
    gate->Close();
  }
}

// A gate closed with its queue full takes a full queue again once it is
// opened: what Close dropped no longer counts.
TEST(PacedMidiOutRoom, AQueueDroppedByCloseIsRoomAgain)
{
  MeteredWire wire;
  std::vector<std::string> lines;
  auto gate = FullGate(wire, lines);
  gate->Close();
  gate->Open();
  const Bytes piece = FullPiece();
  for (size_t i = 0; i < 1024; ++i) ASSERT_TRUE(gate->Send(piece.data(), piece.size())) << i;
  EXPECT_EQ(gate->Losses(), 0u);
  EXPECT_TRUE(lines.empty());
  gate->Close();
}

// Going away, the gate sends what is left for as long as the output keeps
// taking it, however long that is in all: here three windows 400 ms apart,
// longer than kGiveUpMs in all.
TEST(PacedMidiOutRoom, TheGateGoingAwaySendsWhatIsLeftWhileTheOutputMoves)
{
  MeteredWire wire;
  auto gate = wire.Gate(95);  // five knobs a window
  std::vector<Bytes> sent;
  for (int i = 0; i < 20; ++i)
  {
    sent.push_back(Knob(i));
    ASSERT_TRUE(gate->Send(sent.back().data(), 3));
  }
  ASSERT_EQ(wire.Count(), 5u);
  std::atomic<bool> stop{false};
  std::thread server([&] {
    while (!stop)
    {
      std::this_thread::sleep_for(std::chrono::milliseconds(400));
      wire.cycles += PacedMidiOut::kRoomCycles;
    }
  });
  gate.reset();
  stop = true;
  server.join();
  std::lock_guard<std::mutex> lock(wire.mutex);
  EXPECT_EQ(wire.writes, sent);
}

// The queue's limit counts what waits in it, not what went through it:
// filled to kQueueLimitBytes twice over, with the output taking it all in
// between, nothing is lost.
TEST(PacedMidiOutRoom, TheQueuesLimitCountsOnlyWhatWaits)
{
  std::atomic<bool> moving{false};
  std::atomic<uint64_t> cycles{0};
  std::atomic<size_t> written{0};
  PacedMidiOut gate([&written](const uint8_t*, size_t) { return ++written, true; });
  // While moving, each look at the count finds the window before carried away.
  gate.SetRoom({[&] { return moving ? cycles += PacedMidiOut::kRoomCycles : cycles.load(); }, PacedMidiOut::kPieceBytes,
                nullptr});
  const Bytes piece = FullPiece();
  for (int fill = 0; fill < 2; ++fill)
  {
    SCOPED_TRACE(fill);
    moving = false;
    cycles += PacedMidiOut::kRoomCycles;  // the window before is carried away
    // The first goes out alone when the queue is empty, the next 1024 wait.
    for (size_t i = 0; i < 1025; ++i) ASSERT_TRUE(gate.Send(piece.data(), piece.size())) << i;
    EXPECT_EQ(gate.Losses(), 0u);
    moving = true;
    ASSERT_TRUE(gate.Flush());
    EXPECT_EQ(written.load(), 1025u * (fill + 1));
  }
}

// Draining waits for the count to pass the last piece's window for as long
// as the count keeps moving, even when that takes longer in all than the
// stall time: three counts 400 ms apart against a stall time of 1,000 ms.
TEST(PacedMidiOutRoom, DrainWaitsWhileTheCountMovesTowardsTheLastPiece)
{
  MeteredWire wire;
  auto gate = wire.Gate(95);
  for (int i = 0; i < 5; ++i) ASSERT_TRUE(gate->Send(Knob(i).data(), 3));
  ASSERT_EQ(wire.Count(), 5u);
  auto drained = std::async(std::launch::async, [&] { return gate->Drain(1000); });
  for (int i = 0; i < PacedMidiOut::kRoomCycles; ++i)
  {
    EXPECT_EQ(drained.wait_for(std::chrono::milliseconds(400)), std::future_status::timeout) << i;
    ++wire.cycles;
  }
  ASSERT_EQ(drained.wait_for(std::chrono::seconds(10)), std::future_status::ready);
  EXPECT_TRUE(drained.get());
  gate->Close();
}

// At the quit, what a keyboard played and still waits is dropped and
// counted; the editor's own messages around it go out in their order.
TEST(PacedMidiOutRoom, DropPlayedLeavesTheEditorsOwnMessagesInOrder)
{
  MeteredWire wire;
  auto gate = wire.Gate(95);  // five knobs a window
  std::vector<Bytes> own;
  for (int i = 0; i < 12; ++i)
  {
    const Bytes message = Knob(i);
    const bool played = i >= 5 && i % 2 == 1;  // 5, 7, 9, 11 wait in the queue
    ASSERT_TRUE(gate->Send(message.data(), 3, played ? PacedMidiOut::Traffic::kPlayed : PacedMidiOut::Traffic::kOwn));
    if (!played) own.push_back(message);
  }
  ASSERT_EQ(wire.Count(), 5u);
  EXPECT_EQ(gate->DropPlayed(), 4u);
  EXPECT_EQ(gate->Losses(), 4u);
  wire.cycles = 3;
  ASSERT_TRUE(wire.WaitForCount(8));
  EXPECT_TRUE(gate->Flush(1000));
  EXPECT_EQ(gate->DropPlayed(), 0u);
  std::lock_guard<std::mutex> lock(wire.mutex);
  EXPECT_EQ(wire.writes, own);
}
