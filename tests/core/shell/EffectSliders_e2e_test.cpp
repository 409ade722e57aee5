// The effect strip's sliders in the running program stand clear of the
// effect tabs above them: in every look and at every scale of the View
// menu, LEVEL1's handle shows at the top and at the foot of its travel (the
// top of its frame looks different at its highest value than at its
// lowest, and so does the foot), and the handle is grabbed at the top of
// its travel, which the tab row (GUI y 565 to 587) used to cover.
#include "support/RunningEditor.h"

#include <gtest/gtest.h>

#include <chrono>
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
// "Mod ON/OFF", program value 131: its slider's frame at (520, 588); the
// effect tabs' middles on the row at GUI y 576.
constexpr int kModOnOff = 131;
constexpr int kModLeft = 520, kModTop = 588;
constexpr int kOverdriveTabX = 568, kChorusTabX = 758, kTabY = 576;
constexpr int k90 = 2, k100 = 3;

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

// Whether r of the screen shows one picture over half a second: drawn.
bool Settled(RunningEditor& editor, const Rect& r, std::vector<uint32_t>* picture)
{
  std::vector<uint32_t> last = editor.Grab(r);
  auto since = std::chrono::steady_clock::now();
  return RunningEditor::WaitUntil([&] {
    std::vector<uint32_t> now = editor.Grab(r);
    if (now.empty() || now != last)
    {
      last = std::move(now);
      since = std::chrono::steady_clock::now();
      return false;
    }
    *picture = last;
    return std::chrono::steady_clock::now() - since >= std::chrono::milliseconds(500);
  });
}

Rect GuiBox(const RunningEditor& editor, int gx, int gy, int w, int h, double scale)
{
  const auto [x0, y0] = editor.GuiPoint(gx, gy, scale);
  const auto [x1, y1] = editor.GuiPoint(gx + w, gy + h, scale);
  return {x0, y0, x1 - x0, y1 - y0};
}

// The chorus plate: nothing is drawn under the place of "Feedback damping",
// which has no fader (the overdrive plate, which has nothing there, shows
// the very same pixels); "Mod ON/OFF" dragged on underlines the chorus tab,
// and the underline stays through View 100 % and 90 %.
void ExpectUnderlineKeptAndOnlyFadersNamed(const char* look, bool windowManager)
{
  RunningEditorSetup setup;
  setup.windowManager = windowManager;
  setup.settings = std::string("[gui]\nguiscale=1.0\nbackground=") + look + "\n";
  RunningEditor editor(setup);
  RUNNING_EDITOR_START_OR_SKIP(editor);
  ASSERT_TRUE(editor.HeardAProgram());
  ASSERT_EQ(SynthValue(editor, kModOnOff), 0);

  // Right of "Feedback level"'s caption, below the tab row, left of the
  // plate's title.
  const Rect damping = GuiBox(editor, 1082, 590, 36, 60, 1.0);
  std::vector<uint32_t> onChorus, onOverdrive;
  ASSERT_TRUE(Settled(editor, damping, &onChorus));
  // The overdrive plate is up once the words under the 640 column change
  // ("LFO A FRQ." to "DRIVE").
  const Rect column640 = GuiBox(editor, 626, 600, 28, 40, 1.0);
  const std::vector<uint32_t> chorusWords = editor.Grab(column640);
  editor.ClickGui(kOverdriveTabX, kTabY);
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return editor.Grab(column640) != chorusWords; })) << "no overdrive plate";
  ASSERT_TRUE(Settled(editor, damping, &onOverdrive));
  EXPECT_EQ(onChorus, onOverdrive) << "a word stands where no fader is";
  editor.ClickGui(kChorusTabX, kTabY);
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return editor.Grab(column640) == chorusWords; })) << "no chorus plate";

  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return editor.ChooseMenu(kView, k90); }));
  ASSERT_TRUE(editor.ShowsScale(0.9)) << editor.SettingsText();
  const Rect underline = GuiBox(editor, kChorusTabX - 45, kTabY - 11, 90, 22, 0.9);
  std::vector<uint32_t> off, on, after;
  ASSERT_TRUE(Settled(editor, underline, &off));
  // "Mod ON/OFF": pressed at its foot, dragged up past the top.
  const auto [x, foot] = editor.GuiPoint(kModLeft + 16, kModTop + 33, 0.9);
  editor.Drag(x, foot, x, foot - 80);
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return SynthValue(editor, kModOnOff) == 1; }))
    << SynthValue(editor, kModOnOff);
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return Settled(editor, underline, &on) && on != off; }))
    << "no underline";
  if (!windowManager) (void)editor.SavePicture(std::string("e2e-chorus-underline-") + look, editor.MainRect());

  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return editor.ChooseMenu(kView, k100); }));
  ASSERT_TRUE(editor.ShowsScale(1.0)) << editor.SettingsText();
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return editor.ChooseMenu(kView, k90); }));
  ASSERT_TRUE(editor.ShowsScale(0.9)) << editor.SettingsText();
  ASSERT_TRUE(Settled(editor, underline, &after));
  EXPECT_EQ(after, on) << "the underline went with the rescale";
  EXPECT_EQ(SynthValue(editor, kModOnOff), 1);
  EXPECT_EQ(editor.Stop(SIGTERM), 0);
}

TEST_P(EffectSliders, ChorusUnderlineFollowsTheSwitchThroughARescaleAndOnlyFadersAreNamed)
{
  for (bool windowManager : {false, true})
  {
    SCOPED_TRACE(windowManager ? "under a window manager" : "bare");
    ExpectUnderlineKeptAndOnlyFadersNamed(GetParam(), windowManager);
  }
}

INSTANTIATE_TEST_SUITE_P(Looks, EffectSliders, ::testing::Values("space", "solid", "lcd"),
                         [](const ::testing::TestParamInfo<const char*>& info) { return std::string(info.param); });
}  // namespace
