// A second device shares the editor's synth input and leaves a SysEx open
// (F0 ... with no F7). The synth's dump that follows must count every time:
// the MIDI library joins the two into one message, which the input cleaner
// splits at the dump's F0. The same with a second F0 of the other device's
// cutting its message before its F7, at several moments around the request,
// and with a dump that arrives in pieces as from behind an interface.
// Hundreds of rounds, since where the two devices'
// events fall in the server's cycles changes from round to round, and a
// busy machine moves them further.
#include "ZephraSynthLinkJack.h"

#include <rtmidi/RtMidi.h>

#include <functional>
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
// The rounds of one test, each offset's in turn: the other device leaves
// unended open, sends second offsetsMs[i] ms from the moment the request
// has left (negative: before it), and then after (when not empty) once the
// round is told. fetch runs one round, saving to the file named; the dump
// must count in every round. leadMs: how long before the request (or the
// second message, when that goes first) the unended one is sent.
using Fetch = std::function<bool(const std::string& file, int round, const std::function<void()>& afterRequest)>;
void ExpectEveryRoundCounts(OtherDevice& other, int leadMs, const std::vector<int>& offsetsMs, int roundsEach,
                            const SimBytes& unended, const SimBytes& second, const SimBytes& after,
                            const std::string& files, const Fetch& fetch)
{
  const size_t offsets = offsetsMs.size();
  const int rounds = roundsEach * static_cast<int>(offsets);
  int counted = 0;
  std::vector<int> lost(offsets, 0);
  for (int round = 0; round < rounds; ++round)
  {
    const size_t at = static_cast<size_t>(round) % offsets;
    const int offset = offsetsMs[at];
    other.Send(unended);
    std::this_thread::sleep_for(std::chrono::milliseconds(leadMs));
    if (offset < 0)
    {
      std::this_thread::sleep_for(std::chrono::milliseconds(-offset));
      other.Send(second);
    }
    const bool ok = fetch(files + std::to_string(round) + ".pr3", round, [&] {
      if (offset < 0) return;
      // The moment of the second message is what the round is about.
      std::this_thread::sleep_for(std::chrono::milliseconds(offset));
      other.Send(second);
    });
    if (!after.empty()) other.Send(after);
    counted += ok;
    if (!ok) ++lost[at];
  }
  for (size_t i = 0; i < offsets; ++i) EXPECT_EQ(lost[i], 0) << "second message at " << offsetsMs[i] << " ms";
  EXPECT_EQ(counted, rounds);
}
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
// before, with and after the dump's. The other device's message ends at
// last after each round, so that the next starts afresh.
TEST_F(ZephraSynthLinkJack, DumpAfterAnotherDevicesSecondF0CountsAtEveryOffset)
{
  OtherDevice other;
  std::string error;
  ASSERT_TRUE(other.Open(error)) << error;
  // 38 rounds at each offset.
  ExpectEveryRoundCounts(other, 0, {-40, -20, -5, 0, 5, 10, 20, 40}, 38, {0xF0, 0x7D, 0x10, 0x4C, 0x00, 0x00, 0x7E},
                         {0xF0}, {0x7D, 0x10, 0x4C, 0x00, 0x00, 0x7E, 0xF7}, mFolder + "s",
                         [this](const std::string& file, int round, const std::function<void()>& afterRequest) {
                           return FetchArrivesOnceAndIsSaved(7, file, round, afterRequest);
                         });
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
  // What a USB interface hands over from a cable at a time.
  mSim.SendInPieces(32);
  OtherDevice other;
  std::string error;
  ASSERT_TRUE(other.Open(error)) << error;
  // The unended message goes two cycles of the server before the rest: on
  // a busy machine the other device's client can run late, and an unended
  // message landing between two of the dump's pieces cannot be told from
  // the dump's own bytes. The dump's 213 bytes take 68 ms on the cable; 20
  // rounds at each offset.
  ExpectEveryRoundCounts(other, 43, {-20, 0, 10, 20, 30, 40, 55, 70}, 20, {0xF0, 0x7D, 0x10, 0x4C, 0x00, 0x00, 0x7E},
                         {0xF0, 0x7D, 0x10, 0x4C, 0x00, 0x00, 0x7E, 0xF7}, {}, mFolder + "p",
                         [this](const std::string& file, int round, const std::function<void()>& afterRequest) {
                           return FetchArrivesOnceAndIsSaved(7, file, round, afterRequest);
                         });
}
