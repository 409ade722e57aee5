// The editor's own ports are never opened for another of its roles: a
// stored setting that names its own output as the keyboard input (from an
// older version, or typed in) would otherwise feed every message it sends
// back into it, and on to the synth, for ever. Another program's port
// named as the editor's output is not one of them.
#include "support/RunningEditor.h"

#include <gtest/gtest.h>
#include <rtmidi/RtMidi.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>

namespace
{
TEST(OwnPorts, AKeyboardInputNamingTheEditorsOwnOutputIsNotOpened)
{
  RunningEditorSetup setup;
  setup.settings =
    "[midi]\nindev={synth-in}\noutdev={synth-out}\ninBdev=RtMidi Output Client:RtMidi Output\n";
  RunningEditor editor(setup);
  RUNNING_EDITOR_START_OR_SKIP(editor);
  // The start sends the last program whole (336 messages).
  ASSERT_TRUE(editor.HeardAProgram());
  editor.ClearHeard();
  // Three seconds with nothing touched: a measuring window, not a wait for
  // something to happen. A loop sends tens of thousands a second.
  std::this_thread::sleep_for(std::chrono::seconds(3));
  EXPECT_LT(editor.Heard().size(), 1000u);
  // The stored choice stays as it was: the setting is not the editor's to
  // rewrite, only never to open.
  EXPECT_NE(editor.SettingsText().find("inBdev=RtMidi Output Client:RtMidi Output"), std::string::npos)
    << editor.SettingsText();
  EXPECT_EQ(editor.Stop(SIGTERM), 0);
}

// Until the synth has heard message twice after sending it from other once:
// straight from other, and through the editor's keyboard input (a new
// connection may lose its first cycles); ten tries.
bool PlaysThroughTheEditor(RtMidiOut& other, SynthSim& synth, const SimBytes& message)
{
  const auto copies = [&] {
    return synth.With([&](SynthSimModel& m) { return std::count(m.heard.begin(), m.heard.end(), message); });
  };
  for (int attempt = 0; attempt < 10; ++attempt)
  {
    const auto before = copies();
    other.sendMessage(message.data(), message.size());
    if (RunningEditor::WaitUntil([&] { return copies() >= before + 2; }, 1)) return true;
  }
  return false;
}

// Another program built on the MIDI library with its default names, which
// are the editor's output's ("RtMidi Output Client:RtMidi Output"), feeds
// the synth and is the stored keyboard input: it is opened at the start,
// kept at the Preferences' OK and opened again after a restart.
TEST(OwnPorts, AnotherProgramNamedAsTheEditorsOutputStaysTheKeyboardInput)
{
  if (!SynthSim::JackServerAnswers()) GTEST_SKIP() << "no JACK server";
  std::string error;
  SynthSim synth;
  ASSERT_TRUE(synth.OpenOwnPorts(error)) << error;
  synth.With([](SynthSimModel& m) { return m.keepHeard = true; });
  RtMidiOut other(RtMidi::UNIX_JACK);
  std::string otherPort;
  for (unsigned i = 0; i < other.getPortCount(); ++i)
    if (other.getPortName(i) == synth.InputName()) other.openPort(i);
  {
    RtMidiIn lister(RtMidi::UNIX_JACK, "Zephra test port lister");
    for (unsigned i = 0; i < lister.getPortCount(); ++i)
      if (lister.getPortName(i).rfind("RtMidi Output Client", 0) == 0) otherPort = lister.getPortName(i);
  }
  ASSERT_TRUE(other.isPortOpen());
  ASSERT_FALSE(otherPort.empty());

  RunningEditorSetup setup;
  setup.synth = false;
  setup.settings = "[midi]\nindev=" + synth.OutputName() + "\noutdev=" + synth.InputName() + "\ninBdev=" + otherPort + "\n";
  const SimBytes note = {0x90, 0x3C, 0x41};
  const std::string stored = "inBdev=" + otherPort + "\n";
  {
    RunningEditor editor(setup);
    RUNNING_EDITOR_START_OR_SKIP(editor);
    ASSERT_TRUE(PlaysThroughTheEditor(other, synth, note)) << "not opened at the start";
    ASSERT_TRUE(editor.PreferencesOk());
    EXPECT_NE(editor.SettingsText().find(stored), std::string::npos) << editor.SettingsText();
    EXPECT_TRUE(PlaysThroughTheEditor(other, synth, note)) << "dropped at the Preferences' OK";
    setup.settings = editor.SettingsText();
    EXPECT_EQ(editor.Stop(SIGTERM), 0);
  }
  RunningEditor again(setup);
  RUNNING_EDITOR_START_OR_SKIP(again);
  EXPECT_TRUE(PlaysThroughTheEditor(other, synth, note)) << "not opened after a restart";
  EXPECT_NE(again.SettingsText().find(stored), std::string::npos) << again.SettingsText();
}
}  // namespace
