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
      const int location = 1 + round % 99;
      {
        std::lock_guard<std::mutex> hold(mShell->plug.lock);
        mShell->plug.heard.clear();
      }
      ASSERT_TRUE(mSim.SendRaw(kUnended));
      // The gap of the field report: the broken message is a cycle or more
      // old when the request goes out.
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      const size_t prompts = mLink->panels->Prompts().size();
      const size_t boxes = mLink->panels->Boxes().size();
      const std::string file = mFolder + "r" + std::to_string(round) + ".pr3";
      mLink->panels->QueueSavePath(file);
      E().RequestSingleProgram(location);
      // The model's own timer watches for the answer; a tick on every poll
      // here would give the synth a few polls rather than its seconds.
      const bool prompted = IdleUntil([&] {
        return mLink->panels->Prompts().size() > prompts || mLink->panels->Boxes().size() > boxes;
      });
      ASSERT_TRUE(prompted) << "round " << round;
      if (mLink->panels->Prompts().size() > prompts &&
          LineNumbers(ReadWholeFile(file)) == Pr3Numbers(kDefaultValues))
        ++received;
      else
        ADD_FAILURE() << "round " << round << ": "
                      << (mLink->panels->Boxes().size() > boxes ? mLink->panels->Boxes().back() : "no file");
      std::lock_guard<std::mutex> hold(mShell->plug.lock);
      EXPECT_EQ(std::count(mShell->plug.heard.begin(), mShell->plug.heard.end(), "SysEx 213"), 1)
        << "round " << round;
    }
    EXPECT_EQ(received, kRounds);
  }
}
