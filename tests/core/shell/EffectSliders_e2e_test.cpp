// The effect strip's sliders in the running program stand clear of the
// effect tabs above them: in every look and at every scale of the View
// menu, LEVEL1's handle shows at the top and at the foot of its travel (the
// top of its frame looks different at its highest value than at its
// lowest, and so does the foot), and the handle is grabbed at the top of
// its travel, which the tab row (GUI y 565 to 587) used to cover.
#include "support/RunningEditor.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
using Rect = RunningEditor::Rect;

constexpr int kView = 2;
constexpr double kScales[] = {0.7, 0.8, 0.9, 1.0, 1.1, 1.2, 1.3, 2.0};  // the View menu's items 0..7
constexpr const char* kStored[] = {"0.700000000000000", "0.800000000000000", "0.900000000000000",
                                   "1.000000000000000", "1.100000000000000", "1.200000000000000",
                                   "1.300000000000000", "2.000000000000000"};
// "Level1", program value 134: its slider's 32 x 45 frame at (720, 588).
constexpr int kLevel1 = 134;
constexpr int kLeft = 720, kTop = 588, kWidth = 32, kHeight = 45;

int SynthValue(RunningEditor& editor, int index)
{
  return editor.Synth().With([index](SynthSimModel& m) { return static_cast<int>(m.edit.values[index]); });
}

// A band of the slider's frame on the screen: its top (part 0) or its foot
// above the value caption, which the LCD look lays over the frame's last
// rows (part 2).
Rect Part(const RunningEditor& editor, double scale, int part)
{
  const int from = part == 0 ? 0 : 26, to = part == 0 ? 12 : 38;
  const auto [x0, y0] = editor.GuiPoint(kLeft + 4, kTop + from, scale);
  const auto [x1, y1] = editor.GuiPoint(kLeft + kWidth - 4, kTop + to, scale);
  return {x0, y0, x1 - x0, y1 - y0};
}

class EffectSliders : public ::testing::TestWithParam<const char*>
{
};

TEST_P(EffectSliders, LevelOneShowsAndIsGrabbedOverItsWholeTravelAtEveryScale)
{
  RunningEditorSetup setup;
  setup.settings = std::string("[gui]\nguiscale=1.0\nbackground=") + GetParam() + "\n";
  RunningEditor editor(setup);
  RUNNING_EDITOR_START_OR_SKIP(editor);
  ASSERT_TRUE(editor.HeardAProgram());
  for (int item = 0; item < 8; ++item)
  {
    const double s = kScales[item];
    SCOPED_TRACE(kStored[item]);
    ASSERT_TRUE(RunningEditor::WaitUntil([&] { return editor.ChooseMenu(kView, item); }));
    ASSERT_TRUE(editor.ShowsScale(s)) << editor.SettingsText();

    // Pressed at its foot, dragged up past the top: the highest value.
    const auto [x, foot] = editor.GuiPoint(kLeft + kWidth / 2, kTop + kHeight - 12, s);
    const auto [unused, top] = editor.GuiPoint(kLeft + kWidth / 2, kTop + 3, s);
    (void)unused;
    const int travel = 2 * (foot - top) + 20;  // past either end
    const int before = SynthValue(editor, kLevel1);
    const std::vector<uint32_t> topBefore = editor.Grab(Part(editor, s, 0));
    editor.Drag(x, foot, x, foot - travel);
    int highest = 0;
    ASSERT_TRUE(RunningEditor::WaitUntil([&] {
      const int v = SynthValue(editor, kLevel1);
      if (v == highest && v != 0) return true;
      highest = v;
      return false;
    }));
    // Two grabs alike can both come before the frame that shows the value
    // (a busy machine): a handle that moved is waited for at its new place.
    std::vector<uint32_t> topAtHighest, footAtHighest;
    ASSERT_TRUE(RunningEditor::WaitUntil([&] {
      const std::vector<uint32_t> now = editor.Grab(Part(editor, s, 0));
      const bool same = now == topAtHighest;
      topAtHighest = now;
      return same && !now.empty() && (highest == before || now != topBefore);
    })) << "the handle never showed at the top after the value reached the synth";
    footAtHighest = editor.Grab(Part(editor, s, 2));

    // Grabbed at the top of its travel and dragged down past the foot: the
    // value falls to the lowest.
    editor.Drag(x, top, x, top + travel);
    int lowest = highest;
    EXPECT_TRUE(RunningEditor::WaitUntil([&] { return (lowest = SynthValue(editor, kLevel1)) < highest; }))
      << "the top of the travel did not take the press";
    std::vector<uint32_t> topAtLowest;
    ASSERT_TRUE(RunningEditor::WaitUntil([&] {
      const std::vector<uint32_t> now = editor.Grab(Part(editor, s, 0));
      const bool same = now == topAtLowest && now != topAtHighest;
      topAtLowest = now;
      return same;
    })) << "the handle never showed at the top of its travel: " << highest << " to " << lowest;

    EXPECT_NE(editor.Grab(Part(editor, s, 2)), footAtHighest) << "the handle never showed at the foot of its travel";
    if (item == 3) (void)editor.SavePicture(std::string("e2e-effect-sliders-") + GetParam(), editor.MainRect());
  }
  EXPECT_EQ(editor.Stop(SIGTERM), 0);
}

INSTANTIATE_TEST_SUITE_P(Looks, EffectSliders, ::testing::Values("space", "solid", "lcd"),
                         [](const ::testing::TestParamInfo<const char*>& info) { return std::string(info.param); });
}  // namespace
