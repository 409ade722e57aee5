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

INSTANTIATE_TEST_SUITE_P(WindowManager, ControllerLearn, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? "UnderAWindowManager" : "Bare";
                         });
}  // namespace
