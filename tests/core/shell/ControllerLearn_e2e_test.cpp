// Controller learn from the Edit menu, on the program itself with a
// controller keyboard beside the synth: "Learn Controller" armed shows its
// check, a knob turned and a controller moved give that controller the
// knob, whose value the synth then hears as NRPN; "Unlearn Controller" and
// a touch of the knob give the controller back to the synth as it is; "Clear
// All Learnt Controllers" forgets every one. Without and with a window
// manager.
#include "support/RunningEditor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace
{
// The Edit menu and its items as the pointer counts them (no separators).
constexpr int kEdit = 1;
constexpr int kLearn = 2, kUnlearn = 3, kClearAll = 4;
// "VCO3 volume": program value 35, NRPN 5/35; its fader's handle at
// (481, 416) of the GUI when the value is 0, 17 values for 6 pixels up.
constexpr int kVolume = 35;
constexpr int kFaderX = 481, kFaderZeroY = 416;
constexpr unsigned char kController = 74, kOtherController = 75;
// "FLEXI1 DESTINATION": program value 97; it holds the NRPN number of the
// value FLEXI1 modulates.
constexpr int kFlexi1Destination = 97;

int SynthValue(RunningEditor& editor, int index)
{
  return editor.Synth().With([index](SynthSimModel& m) { return static_cast<int>(m.edit.values[index]); });
}

// Moves controller to value until the synth's volume is expected; a
// message lost to the connection is sent again.
bool MovesVolumeTo(RunningEditor& editor, unsigned char controller, unsigned char value, int expected)
{
  for (int attempt = 0; attempt < 10; ++attempt)
  {
    if (!editor.Keyboard().SendRaw({0xB0, controller, value})) return false;
    if (RunningEditor::WaitUntil([&] { return SynthValue(editor, kVolume) == expected; }, 1)) return true;
  }
  return false;
}

std::string Show(const std::vector<int>& marks)
{
  std::string text;
  for (int m : marks) text += std::to_string(m) + " ";
  return text;
}

#define EXPECT_EDIT_MARKS(editor, ...)                                                                   \
  do                                                                                                     \
  {                                                                                                      \
    std::vector<int> seen;                                                                               \
    EXPECT_TRUE(RunningEditor::WaitUntil(                                                                \
      [&] { return (seen = (editor).MarkedMenuItems(kEdit)) == std::vector<int>{__VA_ARGS__}; }))        \
      << Show(seen);                                                                                     \
  } while (0)

class ControllerLearn : public ::testing::TestWithParam<bool>
{
};

TEST_P(ControllerLearn, LearnUnlearnAndClearAllFromTheEditMenu)
{
  RunningEditorSetup setup;
  setup.keyboard = true;
  setup.windowManager = GetParam();
  setup.settings = "[midi]\ninBdev={keyboard}\nindev={synth-in}\noutdev={synth-out}\n";
  RunningEditor editor(setup);
  RUNNING_EDITOR_START_OR_SKIP(editor);
  ASSERT_TRUE(editor.HeardAProgram());
  ASSERT_EQ(SynthValue(editor, kVolume), 0);
  ASSERT_TRUE(editor.PassThrough({0x90, 0x3C, 0x40})) << "the keyboard never reached the synth";
  ASSERT_TRUE(editor.PassThrough({0x80, 0x3C, 0x00}));

  // Armed and called off again by the same item.
  EXPECT_EDIT_MARKS(editor);
  ASSERT_TRUE(editor.ChooseMenu(kEdit, kLearn));
  EXPECT_EDIT_MARKS(editor, kLearn);
  ASSERT_TRUE(editor.ChooseMenu(kEdit, kLearn));
  EXPECT_EDIT_MARKS(editor);

  // Armed, the knob turned to 34, the controller moved: learnt. Its check
  // goes with the learn.
  ASSERT_TRUE(editor.ChooseMenu(kEdit, kLearn));
  EXPECT_EDIT_MARKS(editor, kLearn);
  editor.DragGui(kFaderX, kFaderZeroY, kFaderX, kFaderZeroY - 12);
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return SynthValue(editor, kVolume) == 34; }))
    << SynthValue(editor, kVolume);
  ASSERT_TRUE(editor.Keyboard().SendRaw({0xB0, kController, 0x40}));
  // The controller now sweeps the volume from its least up to 34.
  EXPECT_TRUE(MovesVolumeTo(editor, kController, 0, 0)) << SynthValue(editor, kVolume);
  EXPECT_EDIT_MARKS(editor);
  editor.ClearHeard();
  EXPECT_TRUE(MovesVolumeTo(editor, kController, 127, 34)) << SynthValue(editor, kVolume);
  {
    const std::vector<SimBytes> heard = editor.Heard();
    ASSERT_FALSE(heard.empty());
    EXPECT_EQ(heard.back(), (SimBytes{0xB0, 0x06, 34}));
    EXPECT_EQ(std::count(heard.begin(), heard.end(), SimBytes{0xB0, kController, 127}), 0);
  }

  // Unlearn armed; a touch of the knob (to 17) takes the controller off it.
  ASSERT_TRUE(editor.ChooseMenu(kEdit, kUnlearn));
  EXPECT_EDIT_MARKS(editor, kUnlearn);
  editor.DragGui(kFaderX, kFaderZeroY - 12, kFaderX, kFaderZeroY - 6);
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return SynthValue(editor, kVolume) == 17; }))
    << SynthValue(editor, kVolume);
  EXPECT_EDIT_MARKS(editor);
  EXPECT_TRUE(editor.PassThrough({0xB0, kController, 100}));
  EXPECT_EQ(SynthValue(editor, kVolume), 17);

  // Another controller learnt, then every learnt one cleared: it reaches
  // the synth as it is again.
  ASSERT_TRUE(editor.ChooseMenu(kEdit, kLearn));
  EXPECT_EDIT_MARKS(editor, kLearn);
  editor.DragGui(kFaderX, kFaderZeroY - 6, kFaderX, kFaderZeroY - 12);
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return SynthValue(editor, kVolume) == 34; }))
    << SynthValue(editor, kVolume);
  ASSERT_TRUE(editor.Keyboard().SendRaw({0xB0, kOtherController, 0x40}));
  EXPECT_TRUE(MovesVolumeTo(editor, kOtherController, 0, 0)) << SynthValue(editor, kVolume);
  ASSERT_TRUE(editor.ChooseMenu(kEdit, kClearAll));
  EXPECT_TRUE(RunningEditor::WaitUntil([&] { return editor.PassThrough({0xB0, kOtherController, 127}); }));
  EXPECT_EQ(SynthValue(editor, kVolume), 0);
  EXPECT_EDIT_MARKS(editor);
  EXPECT_EQ(editor.Stop(SIGTERM), 0);
}

// The Edit menu's learn mark is right the very first time the menu opens
// after a knob and a controller ended the learn, each of two learns in a
// row; the controller learnt last is kept over a quit: the program's learn
// file, carried into the next start, still moves the fader.
TEST_P(ControllerLearn, MarkRightAtTheFirstOpeningAndTheControllerKeptOverAQuit)
{
  RunningEditorSetup setup;
  setup.keyboard = true;
  setup.windowManager = GetParam();
  setup.settings = "[midi]\ninBdev={keyboard}\nindev={synth-in}\noutdev={synth-out}\n";
  std::string learnFile;
  {
    RunningEditor editor(setup);
    RUNNING_EDITOR_START_OR_SKIP(editor);
    ASSERT_TRUE(editor.HeardAProgram());
    ASSERT_EQ(SynthValue(editor, kVolume), 0);
    ASSERT_TRUE(editor.PassThrough({0x90, 0x3C, 0x40})) << "the keyboard never reached the synth";
    ASSERT_TRUE(editor.PassThrough({0x80, 0x3C, 0x00}));
    for (unsigned char controller : {kController, kOtherController})
    {
      SCOPED_TRACE(static_cast<int>(controller));
      ASSERT_TRUE(editor.ChooseMenu(kEdit, kLearn));
      EXPECT_EDIT_MARKS(editor, kLearn);
      editor.DragGui(kFaderX, kFaderZeroY, kFaderX, kFaderZeroY - 12);
      ASSERT_TRUE(RunningEditor::WaitUntil([&] { return SynthValue(editor, kVolume) == 34; }))
        << SynthValue(editor, kVolume);
      // The first move ends the learn; the next ones move the volume.
      ASSERT_TRUE(MovesVolumeTo(editor, controller, 0, 0)) << SynthValue(editor, kVolume);
      // One opening only: the mark must be gone the first time.
      EXPECT_EQ(Show(editor.MarkedMenuItems(kEdit)), "");
    }
    EXPECT_EQ(editor.Stop(SIGTERM), 0);
    learnFile = ReadWholeFile(editor.SettingsFolder() + "midilearn.ini");
  }
  EXPECT_EQ(learnFile, "35=75:34\n");

  RunningEditor again(setup);
  std::filesystem::create_directories(again.SettingsFolder());
  WriteWholeFile(again.SettingsFolder() + "midilearn.ini", learnFile);
  RUNNING_EDITOR_START_OR_SKIP(again);
  ASSERT_TRUE(again.HeardAProgram());
  ASSERT_EQ(SynthValue(again, kVolume), 0);
  ASSERT_TRUE(again.PassThrough({0x90, 0x3C, 0x40})) << "the keyboard never reached the synth";
  ASSERT_TRUE(again.PassThrough({0x80, 0x3C, 0x00}));
  again.ClearHeard();
  EXPECT_TRUE(MovesVolumeTo(again, kOtherController, 127, 34)) << SynthValue(again, kVolume);
  {
    const std::vector<SimBytes> heard = again.Heard();
    ASSERT_FALSE(heard.empty());
    EXPECT_EQ(heard.back(), (SimBytes{0xB0, 0x06, 34}));
    EXPECT_EQ(std::count(heard.begin(), heard.end(), SimBytes{0xB0, kOtherController, 127}), 0);
  }
  // The controller learnt before it, and then given up, reaches the synth.
  EXPECT_TRUE(again.PassThrough({0xB0, kController, 100}));
  EXPECT_EQ(SynthValue(again, kVolume), 34);
  EXPECT_EQ(again.Stop(SIGTERM), 0);
}

// With a FLEXI slot's learn armed as well, the knob turned becomes the
// slot's target and the controller's knob: the controller moves the volume,
// and no FLEXI value.
TEST_P(ControllerLearn, WithFlexiLearnArmedTooTheControllerTakesTheKnobTurned)
{
  RunningEditorSetup setup;
  setup.keyboard = true;
  setup.windowManager = GetParam();
  setup.settings = "[midi]\ninBdev={keyboard}\nindev={synth-in}\noutdev={synth-out}\n";
  RunningEditor editor(setup);
  RUNNING_EDITOR_START_OR_SKIP(editor);
  ASSERT_TRUE(editor.HeardAProgram());
  ASSERT_EQ(SynthValue(editor, kVolume), 0);
  ASSERT_TRUE(editor.PassThrough({0x90, 0x3C, 0x40})) << "the keyboard never reached the synth";
  ASSERT_TRUE(editor.PassThrough({0x80, 0x3C, 0x00}));
  editor.ClickGui(584, 60);  // FLEXI1's LEARN
  ASSERT_TRUE(editor.ChooseMenu(kEdit, kLearn));
  EXPECT_EDIT_MARKS(editor, kLearn);
  editor.DragGui(kFaderX, kFaderZeroY, kFaderX, kFaderZeroY - 12);
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return SynthValue(editor, kVolume) > 0; }))
    << SynthValue(editor, kVolume);
  // FLEXI1 now routes to the volume: its destination is the volume's NRPN.
  ASSERT_TRUE(RunningEditor::WaitUntil([&] {
    return editor.Synth().With([](SynthSimModel& m) { return static_cast<int>(m.edit.values[kFlexi1Destination]); }) ==
           kVolume;
  })) << "FLEXI1 took no target";
  editor.ClearHeard();
  EXPECT_TRUE(MovesVolumeTo(editor, kController, 0, 0)) << SynthValue(editor, kVolume);
  const std::vector<SimBytes> heard = editor.Heard();
  // Only the volume's value went out: its address (5, 35) and value 0.
  EXPECT_NE(std::find(heard.begin(), heard.end(), SimBytes{0xB0, 0x62, kVolume}), heard.end());
  EXPECT_EQ(heard.back(), (SimBytes{0xB0, 0x06, 0}));
  EXPECT_EDIT_MARKS(editor);
  EXPECT_EQ(editor.Stop(SIGTERM), 0);
}

INSTANTIATE_TEST_SUITE_P(WindowManager, ControllerLearn, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? "UnderAWindowManager" : "Bare";
                         });
}  // namespace
