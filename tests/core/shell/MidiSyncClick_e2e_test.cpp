// "MIDI Sync" in the running program: a plain click on its knob (pressed
// and released without moving) changes no value and sends the synth
// nothing, while a drag to another setting restarts the three synced values
// and sends the program whole. Without and with a window manager.
#include "support/RunningEditor.h"

#include "synth/ZephraTables.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace
{
// Program values: "VCO4 PWM LFO frq", "MIDI Sync", "Delay1", "Delay2" and
// "VCO3 volume", whose fader's handle stands at (481, 416) at value 0.
constexpr int kPwmRate = 42, kMidiSync = 124, kDelay1 = 135, kDelay2 = 139, kVolume = 35;
constexpr int kFaderX = 481, kFaderZeroY = 416;
// The "MIDI Sync" knob: 32 x 45 at (936, 438); 4 pixels up is one step.
constexpr int kSyncX = 952, kSyncY = 460;

int SynthValue(RunningEditor& editor, int index)
{
  return editor.Synth().With([index](SynthSimModel& m) { return static_cast<int>(m.edit.values[index]); });
}

class MidiSyncClick : public ::testing::TestWithParam<bool>
{
};

TEST_P(MidiSyncClick, APlainClickSendsNothingAndADragRestartsTheSyncedValues)
{
  std::array<int32_t, kProgramSize> values = kDefaultProgram;
  values[kPwmRate] = 70;
  values[kDelay1] = 50;
  values[kDelay2] = 60;
  std::string text = "243\r\n";
  for (int32_t v : values) text += std::to_string(v) + "\r\n";
  RunningEditorSetup setup;
  setup.windowManager = GetParam();
  setup.settings = "[gui]\nguiscale=1.0\n[program]\nlastfile=/tmp/01_Sync.pr3\n";
  RunningEditor editor(setup);
  std::filesystem::create_directories(editor.SettingsFolder());
  WriteWholeFile(editor.SettingsFolder() + "lastprogram.pr3", text);
  RUNNING_EDITOR_START_OR_SKIP(editor);
  ASSERT_TRUE(editor.HeardAProgram());
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return SynthValue(editor, kDelay2) == 60; }));
  ASSERT_EQ(SynthValue(editor, kPwmRate), 70);
  ASSERT_EQ(SynthValue(editor, kDelay1), 50);
  ASSERT_EQ(SynthValue(editor, kMidiSync), 0);

  // The click, then a fader dragged: whatever the click sent would reach
  // the synth before the fader's value.
  editor.ClearHeard();
  editor.ClickGui(kSyncX, kSyncY);
  editor.DragGui(kFaderX, kFaderZeroY, kFaderX, kFaderZeroY - 12);
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return SynthValue(editor, kVolume) == 34; }));
  {
    const std::vector<SimBytes> heard = editor.Heard();
    ASSERT_GE(heard.size(), 3u);
    EXPECT_EQ(heard[0], (SimBytes{0xB0, 0x63, 0x05}));
    EXPECT_EQ(heard[1], (SimBytes{0xB0, 0x62, kVolume}));
    EXPECT_LT(heard.size(), 20u);
  }
  EXPECT_EQ(SynthValue(editor, kPwmRate), 70);
  EXPECT_EQ(SynthValue(editor, kDelay1), 50);
  EXPECT_EQ(SynthValue(editor, kDelay2), 60);

  // One step up: the synced values start again and the program goes whole.
  editor.ClearHeard();
  editor.DragGui(kSyncX, kSyncY, kSyncX, kSyncY - 4);
  EXPECT_TRUE(editor.HeardAProgram())
    << editor.Heard().size();
  EXPECT_TRUE(RunningEditor::WaitUntil([&] { return SynthValue(editor, kMidiSync) == 1; }, 5)) << SynthValue(editor, kMidiSync);
  EXPECT_TRUE(RunningEditor::WaitUntil([&] { return SynthValue(editor, kPwmRate) == 1; }));
  EXPECT_EQ(SynthValue(editor, kDelay1), 0);
  EXPECT_EQ(SynthValue(editor, kDelay2), 0);
  EXPECT_EQ(editor.Stop(SIGTERM), 0);
}

INSTANTIATE_TEST_SUITE_P(WindowManager, MidiSyncClick, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? "UnderAWindowManager" : "Bare";
                         });
}  // namespace
