// The editor's own ports are never opened for another of its roles: a
// stored setting that names its own output as the keyboard input (from an
// older version, or typed in) would otherwise feed every message it sends
// back into it, and on to the synth, for ever.
#include "support/RunningEditor.h"

#include <gtest/gtest.h>

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
}  // namespace
