// The controller keyboard end to end: a second simulated instance plays the
// keyboard into the shell's keyboard input, and the synth instance hears
// what the editor passes on; the reset action's program lands in the
// synth's edit buffer.
#include "ZephraSynthLinkJack.h"

#include <rtmidi/RtMidi.h>

TEST_F(ZephraSynthLinkJack, KeyboardNotesReachTheSynth)
{
  SynthSim keyboard;
  std::string error;
  ASSERT_TRUE(keyboard.OpenAsKeyboard(error)) << error;
  // Chosen as in Preferences: the keyboard's input is made for it.
  mShell->ports.ProbeMidiIO();
  std::string name;
  for (const std::string& listed : mShell->ports.InputNames())
    if (name.empty() && listed.find(SynthSim::kKeyboardPortName) != std::string::npos) name = listed;
  ASSERT_FALSE(name.empty());
  ASSERT_TRUE(mShell->ports.ChooseMidiInputB(name.c_str()));
  ASSERT_TRUE(mShell->ports.KeyboardInputMade());
  // Closed before the keyboard goes, also when an assertion ends the test.
  auto close = [](MidiPorts* ports) { (void)ports->ChooseMidiInputB("off"); };
  const std::unique_ptr<MidiPorts, decltype(close)> connection(&mShell->ports, close);
  const SimBytes note = {0x90, 0x3C, 0x64};
  // A new connection may lose its first cycles: play until heard.
  EXPECT_TRUE(mShell->plug.WaitUntil([&] { return mSim.LastReceived(1) == std::vector<SimBytes>{note}; },
                                     [&] { (void)keyboard.SendRaw(note); }, 20));
  EXPECT_EQ(E().GetHeldNoteCount(), 1);
  EXPECT_TRUE(E().IsNoteHeld(60));
  // Running status, then a lone F7: the data bytes after it make no note.
  const SimBytes end = {0x80, 0x3C, 0x00};
  for (const SimBytes& event : {SimBytes{0x3E, 0x65}, SimBytes{0xF7}, SimBytes{0x40, 0x66}, end})
    ASSERT_TRUE(keyboard.SendRaw(event));
  EXPECT_TRUE(mShell->plug.WaitUntil([&] { return mSim.LastReceived(1) == std::vector<SimBytes>{end}; }, {}, 20));
  EXPECT_EQ(mSim.LastReceived(3), (std::vector<SimBytes>{note, {0x90, 0x3E, 0x65}, end}));
  ExpectQuietClock();
}

// The INIT sound's index 76 is 0 with the new filter chosen: the new cutoff
// goes out at its minimum.
TEST_F(ZephraSynthLinkJack, ResetOfAllSectionsReachesTheEditBuffer)
{
  for (int box = 0; box < 12; ++box) E().SetParameterFromGUI2(kParamSectionVco1 + box, 1);
  auto cutoff = [&] { return mSim.With([](SynthSimModel& m) { return m.edit.values[76]; }); };
  bool arrived = false;
  // Controllers are not acknowledged and JACK may drop a cycle under load:
  // the reset is made again when its program has not arrived.
  for (int attempt = 0; attempt < 3 && !arrived; ++attempt)
  {
    {
      BASE_MutexLock hold(E().GetMutex());
      E().ResetSections();
    }
    arrived = mShell->plug.WaitUntil([&] { return cutoff() == 36; }, {}, 10);
  }
  EXPECT_TRUE(arrived);
  EXPECT_EQ(E().Program()[76], 0);
  ExpectQuietClock();
}
