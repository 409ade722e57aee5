// The controller keyboard end to end: a second simulated instance plays the
// keyboard into the shell's keyboard input, and the synth instance hears
// what the editor passes on; the reset action's program lands in the
// synth's edit buffer.
#include "ZephraSynthLinkJack.h"

#include <rtmidi/RtMidi.h>

namespace {

// Connects the shell's keyboard input object to the keyboard's port, and
// closes it again before the keyboard goes.
struct KeyboardConnection
{
  explicit KeyboardConnection(RtMidiIn* input) : in(input)
  {
    for (unsigned i = 0; in && i < in->getPortCount(); ++i)
      if (in->getPortName(i).find(SynthSim::kKeyboardPortName) != std::string::npos)
      {
        in->openPort(i, "keyboard");
        open = true;
        break;
      }
  }
  ~KeyboardConnection()
  {
    if (open) in->closePort();
  }
  RtMidiIn* in;
  bool open = false;
};

}  // namespace

TEST_F(ZephraSynthLinkJack, KeyboardNotesReachTheSynth)
{
  SynthSim keyboard;
  std::string error;
  ASSERT_TRUE(keyboard.OpenAsKeyboard(error)) << error;
  KeyboardConnection connection(mShell->ports.KeyboardMidiIn());
  ASSERT_TRUE(connection.open);
  const struct { const char* name; SimBytes played; int held; } cases[] = {
    {"note on", {0x90, 0x3C, 0x64}, 1},
    {"note off", {0x80, 0x3C, 0x00}, 0},
  };
  for (const auto& c : cases)
  {
    SCOPED_TRACE(c.name);
    // A new connection may lose its first cycles: play until heard.
    const bool heard = mShell->plug.WaitUntil(
      [&] { return mSim.LastReceived(1) == std::vector<SimBytes>{c.played}; },
      [&] { (void)keyboard.SendRaw(c.played); }, 20);
    EXPECT_TRUE(heard);
    EXPECT_EQ(E().GetHeldNoteCount(), c.held);
    EXPECT_EQ(E().IsNoteHeld(60), c.held == 1);
  }
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
