// A second device shares the editor's synth input and leaves a SysEx open
// (F0 ... with no F7). The synth's dump that follows must count every time:
// the MIDI library joins the two into one message, which the input cleaner
// splits at the dump's F0. The same with a second F0 of the other device's
// cutting its message before its F7, at several moments around the request.
// Hundreds of rounds, since where the two devices'
// events fall in the server's cycles changes from round to round, and a
// busy machine moves them further.
#include "ZephraSynthLinkJack.h"

#include <rtmidi/RtMidi.h>

#include <thread>

namespace
{
// The other device: a client of its own whose output feeds the editor's
// synth input, beside the synth's.
class OtherDevice
{
public:
  [[nodiscard]] bool Open(std::string& error)
  {
    try
    {
      mOut = std::make_unique<RtMidiOut>(RtMidi::UNIX_JACK, "Zephra Other Device");
      for (unsigned i = 0; i < mOut->getPortCount(); ++i)
        if (mOut->getPortName(i).find("To ZephraEditor") != std::string::npos)
        {
          mOut->openPort(i, "Out");
          return true;
        }
      error = "the editor's synth input is not there";
    }
    catch (const RtMidiError& e)
    {
      error = e.getMessage();
    }
    return false;
  }
  void Send(const SimBytes& bytes) { mOut->sendMessage(bytes.data(), bytes.size()); }

private:
  std::unique_ptr<RtMidiOut> mOut;
};
}  // namespace

TEST_F(ZephraSynthLinkJack, DumpAfterAnotherDevicesUnendedSysExCountsEveryTime)
{
  const SimBytes kUnended = {0xF0, 0x7D, 0x10, 0x4C, 0x00, 0x00, 0x7E};
  constexpr int kLocation = 7;
  const struct
  {
    const char* name;
    bool afterRequest;  // sent right after the request: in or next to the dump's cycle
    int rounds;
  } kCases[] = {
    {"unended SysEx 50 ms before the request", false, 300},
    {"unended SysEx as the request goes out", true, 100},
  };
  OtherDevice other;
  std::string error;
  ASSERT_TRUE(other.Open(error)) << error;
  for (const auto& c : kCases)
  {
    SCOPED_TRACE(c.name);
    int counted = 0;
    for (int round = 0; round < c.rounds; ++round)
    {
      if (!c.afterRequest)
      {
        other.Send(kUnended);
        // The gap of the report: the broken message is cycles old when the
        // request goes out.
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
      }
      // A file of its own for each round of each case: one left by an
      // earlier round must not stand in for a save that never happened.
      const std::string file = mFolder + (c.afterRequest ? "a" : "b") + std::to_string(round) + ".pr3";
      counted += FetchArrivesOnceAndIsSaved(kLocation, file, round, [&] {
        if (c.afterRequest) other.Send(kUnended);
      });
    }
    EXPECT_EQ(counted, c.rounds);
  }
}

// The other device's message broken by a second F0 before its F7, the
// stray F0 falling at several moments around the request: before it, as it
// goes out, and while the synth answers, so that it lands in the cycles
// before, with and after the dump's. Each offset's rounds in turn; the dump
// must count in every one.
TEST_F(ZephraSynthLinkJack, DumpAfterAnotherDevicesSecondF0CountsAtEveryOffset)
{
  const SimBytes kUnended = {0xF0, 0x7D, 0x10, 0x4C, 0x00, 0x00, 0x7E};
  const SimBytes kStray = {0xF0};
  const SimBytes kRest = {0x7D, 0x10, 0x4C, 0x00, 0x00, 0x7E, 0xF7};
  constexpr int kLocation = 7;
  // Milliseconds from the request to the stray F0 (negative: before it).
  const int kOffsetsMs[] = {-40, -20, -5, 0, 5, 10, 20, 40};
  constexpr int kOffsets = sizeof kOffsetsMs / sizeof kOffsetsMs[0];
  // 38 rounds at each offset.
  constexpr int rounds = 38 * kOffsets;
  OtherDevice other;
  std::string error;
  ASSERT_TRUE(other.Open(error)) << error;
  int counted = 0;
  std::vector<int> lost(kOffsets, 0);
  for (int round = 0; round < rounds; ++round)
  {
    const int offset = kOffsetsMs[round % kOffsets];
    other.Send(kUnended);
    if (offset < 0)
    {
      std::this_thread::sleep_for(std::chrono::milliseconds(-offset));
      other.Send(kStray);
    }
    const std::string file = mFolder + "s" + std::to_string(round) + ".pr3";
    const bool ok = FetchArrivesOnceAndIsSaved(kLocation, file, round, [&] {
      if (offset < 0) return;
      // The moment of the stray F0 is what the round is about.
      std::this_thread::sleep_for(std::chrono::milliseconds(offset));
      other.Send(kStray);
    });
    // The other device's message ends at last; the next round starts afresh.
    other.Send(kRest);
    counted += ok;
    if (!ok) ++lost[static_cast<size_t>(round % kOffsets)];
  }
  for (int i = 0; i < kOffsets; ++i) EXPECT_EQ(lost[static_cast<size_t>(i)], 0) << "stray F0 at " << kOffsetsMs[i] << " ms";
  EXPECT_EQ(counted, rounds);
}

// The synth behind an interface: its dump reaches the server in pieces over
// several cycles, and the server merges the other device's port with the
// synth's event by event. The other device's message is left open before
// the request, then a second F0 of its own starts a whole message (F0 ...
// F7), which lands before, between or after the dump's pieces depending on
// the offset and on how busy the machine is. A whole foreign SysEx between
// two pieces must not cost the dump.
TEST_F(ZephraSynthLinkJack, DumpInPiecesCountsWhenAnotherDevicesSysExLandsInside)
{
  const SimBytes kUnended = {0xF0, 0x7D, 0x10, 0x4C, 0x00, 0x00, 0x7E};
  const SimBytes kSecondWhole = {0xF0, 0x7D, 0x10, 0x4C, 0x00, 0x00, 0x7E, 0xF7};
  constexpr int kLocation = 7;
  // Milliseconds from the request to the second message (negative: before
  // it); the dump's 213 bytes take 68 ms on the cable.
  const int kOffsetsMs[] = {-20, 0, 10, 20, 30, 40, 55, 70};
  constexpr int kOffsets = sizeof kOffsetsMs / sizeof kOffsetsMs[0];
  constexpr int rounds = 20 * kOffsets;
  // What a USB interface hands over from a cable at a time.
  mSim.SendInPieces(32);
  OtherDevice other;
  std::string error;
  ASSERT_TRUE(other.Open(error)) << error;
  int counted = 0;
  std::vector<int> lost(kOffsets, 0);
  for (int round = 0; round < rounds; ++round)
  {
    const int offset = kOffsetsMs[round % kOffsets];
    other.Send(kUnended);
    if (offset < 0)
    {
      std::this_thread::sleep_for(std::chrono::milliseconds(-offset));
      other.Send(kSecondWhole);
    }
    const std::string file = mFolder + "p" + std::to_string(round) + ".pr3";
    const bool ok = FetchArrivesOnceAndIsSaved(kLocation, file, round, [&] {
      if (offset < 0) return;
      std::this_thread::sleep_for(std::chrono::milliseconds(offset));
      other.Send(kSecondWhole);
    });
    counted += ok;
    if (!ok) ++lost[static_cast<size_t>(round % kOffsets)];
  }
  for (int i = 0; i < kOffsets; ++i)
    EXPECT_EQ(lost[static_cast<size_t>(i)], 0) << "second message at " << kOffsetsMs[i] << " ms";
  EXPECT_EQ(counted, rounds);
}
