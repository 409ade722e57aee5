// The program name's edited mark in the running program: it shows once the
// sound differs from what was loaded, and not before -- not at the start,
// with or without a last program, and not after View commands -- and each
// load sends the synth the program once, nothing before it. Read from the
// name display's pixels (the mark puts an asterisk on each side of the
// name, so the marked name's ink is wider) and the bytes the synth heard.
#include "support/RunningEditor.h"

#include "synth/ZephraTables.h"
#include "tests/synth/support/ZephraTestPrograms.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace
{
using Rect = RunningEditor::Rect;

// The View menu (separators not counted) and the Program menu.
constexpr int kView = 2;
constexpr int k100 = 3, k110 = 4, kWholePanel = 8;
constexpr int kProgram = 3;
constexpr int kNextProgram = 0;
// "VCO3 volume", its fader's handle at (481, 416) of the GUI at value 0.
constexpr int kFaderX = 481, kFaderZeroY = 416;

// The default program with value 76 (the cutoff) telling it from others.
std::string ProgramText(int cutoff)
{
  TestValues values = kDefaultValues;
  values[76] = cutoff;
  return MarkerText(values);
}

// The program the last session ended with, which the start loads.
void WriteLastProgram(const RunningEditor& editor)
{
  std::filesystem::create_directories(editor.SettingsFolder());
  WriteWholeFile(editor.SettingsFolder() + "lastprogram.pr3", ProgramText(100));
}

struct Case
{
  const char* name;
  bool lastProgram;
  bool windowManager;
};

class EditedMark : public ::testing::TestWithParam<Case>
{
protected:
  TempDir programs;
};

// The name as started shows no mark, nor after the View menu's scale and
// panel commands; a knob turned marks it.
TEST_P(EditedMark, ShowsOnlyOnceTheSoundIsEdited)
{
  RunningEditorSetup setup;
  setup.windowManager = GetParam().windowManager;
  setup.settings = "[gui]\nguiscale=1.0\n";
  if (GetParam().lastProgram)
  {
    WriteWholeFile(programs.File("01_Bass.pr3"), ProgramText(100));
    setup.settings += "[program]\nlastfile=" + programs.File("01_Bass.pr3") + "\n";
  }
  RunningEditor editor(setup);
  if (GetParam().lastProgram) WriteLastProgram(editor);
  RUNNING_EDITOR_START_OR_SKIP(editor);
  ASSERT_TRUE(editor.HeardAProgram());
  int start = 0;
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return (start = editor.NameInkWidth()) > 0; })) << "no name drawn";
  (void)editor.SavePicture(std::string("e2e-name-start-") + GetParam().name, editor.NameDisplay());

  ASSERT_TRUE(editor.ChooseMenu(kView, k110));
  ASSERT_TRUE(editor.ShowsScale(1.1)) << editor.SettingsText();
  ASSERT_TRUE(editor.ChooseMenu(kView, k100));
  ASSERT_TRUE(editor.ShowsScale(1.0)) << editor.SettingsText();
  ASSERT_TRUE(editor.ChooseMenu(kView, kWholePanel));
  // Whatever the commands sent would reach the synth before the knob's
  // value, which is the first thing it hears after them.
  editor.ClearHeard();
  editor.DragGui(kFaderX, kFaderZeroY, kFaderX, kFaderZeroY - 12);
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return editor.Heard().size() >= 3; }));
  EXPECT_EQ(editor.Heard()[0], (SimBytes{0xB0, 0x63, 0x05}));
  EXPECT_EQ(editor.Heard()[1], (SimBytes{0xB0, 0x62, 35}));

  // Marked now: an asterisk more on each side.
  int edited = 0;
  EXPECT_TRUE(RunningEditor::WaitUntil([&] { return (edited = editor.NameInkWidth()) > start; }))
    << start << " before the edit, " << edited << " after";
  (void)editor.SavePicture(std::string("e2e-name-edited-") + GetParam().name, editor.NameDisplay());
  EXPECT_EQ(editor.Stop(SIGTERM), 0);
}

// Next Program loads the folder's second file: the synth hears that
// program whole, from its first address on, and nothing before it; its
// name shows unmarked, narrower than the marked one it follows.
TEST_P(EditedMark, ALoadSendsTheProgramOnceAndShowsItUnmarked)
{
  if (!GetParam().lastProgram) GTEST_SKIP() << "the folder comes with the last program";
  WriteWholeFile(programs.File("01_Bass.pr3"), ProgramText(100));
  WriteWholeFile(programs.File("02_Bass.pr3"), ProgramText(90));
  RunningEditorSetup setup;
  setup.windowManager = GetParam().windowManager;
  setup.settings = "[gui]\nguiscale=1.0\n[program]\nlastfile=" + programs.File("01_Bass.pr3") + "\n";
  RunningEditor editor(setup);
  WriteLastProgram(editor);
  RUNNING_EDITOR_START_OR_SKIP(editor);
  ASSERT_TRUE(editor.HeardAProgram());
  editor.DragGui(kFaderX, kFaderZeroY, kFaderX, kFaderZeroY - 12);
  int edited = 0;
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return editor.Synth().With([](SynthSimModel& m) {
                                                      return m.edit.values[35] == 34;
                                                    }); }));
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return (edited = editor.NameInkWidth()) > 0; }));

  editor.ClearHeard();
  ASSERT_TRUE(editor.ChooseMenu(kProgram, kNextProgram));
  ASSERT_TRUE(editor.HeardAProgram()) << editor.Heard().size();
  ASSERT_TRUE(RunningEditor::WaitUntil(
    [&] { return editor.Synth().With([](SynthSimModel& m) { return m.edit.values[76] == 90; }); }));
  const std::vector<SimBytes> heard = editor.Heard();
  EXPECT_EQ(heard[0], (SimBytes{0xB0, 0x63, 0x05}));
  EXPECT_EQ(heard[1], (SimBytes{0xB0, 0x62, 0x00}));
  EXPECT_EQ(std::count_if(heard.begin(), heard.end(),
                          [](const SimBytes& m) { return m.size() == 3 && m[0] == 0xB0 && m[1] == 0x63; }),
            2);
  EXPECT_EQ(heard.size(), RunningEditor::kProgramMessages);
  int loaded = 0;
  EXPECT_TRUE(RunningEditor::WaitUntil([&] { return (loaded = editor.NameInkWidth()) > 0 && loaded < edited; }))
    << edited << " edited, " << loaded << " loaded";
  (void)editor.SavePicture(std::string("e2e-name-loaded-") + GetParam().name, editor.NameDisplay());
  EXPECT_EQ(editor.Stop(SIGTERM), 0);
}

INSTANTIATE_TEST_SUITE_P(Starts, EditedMark,
                         ::testing::Values(Case{"Init", false, false}, Case{"LastProgram", true, false},
                                           Case{"LastProgramUnderAWindowManager", true, true}),
                         [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });
}  // namespace
