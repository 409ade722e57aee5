// Another device's SysEx that never ends must not cost the synth's dump: a
// new F0 starts a new message, so the dump that follows arrives whole, every
// time, whether the broken SysEx came a while before the request or was cut
// by a second F0 right before the dump.
#include "ZephraSynthLinkJack.h"

#include <thread>

TEST_F(ZephraSynthLinkJack, DumpAfterAnUnendedSysExArrivesWholeEveryTime)
{
  const SimBytes kUnended = {0xF0, 0x43, 0x10, 0x4C, 0x00, 0x00, 0x7E};
  const struct
  {
    const char* name;
    std::vector<SimBytes> beforeDump;  // sent by the sim right before its dump
  } kCases[] = {
    {"unended SysEx 50 ms before the request", {}},
    {"and a second F0 right before the dump", {{0xF0}}},
  };
  constexpr int kRounds = 50;
  for (const auto& c : kCases)
  {
    SCOPED_TRACE(c.name);
    mSim.With([&c](SynthSimModel& m) { m.noiseBefore = c.beforeDump; });
    int received = 0;
    for (int round = 0; round < kRounds; ++round)
    {
      ASSERT_TRUE(mSim.SendRaw(kUnended));
      // The gap of the field report: the broken message is a cycle or more
      // old when the request goes out.
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      received += FetchArrivesOnceAndIsSaved(1 + round % 99, mFolder + "r" + std::to_string(round) + ".pr3", round);
    }
    EXPECT_EQ(received, kRounds);
  }
}
