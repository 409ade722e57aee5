// The editor's file buttons and the program-number chooser as the user
// presses them: which program is loaded and what reaches the synth.
#include "ZephraTestEditor.h"

#include "support/TempDir.h"
#include "tests/synth/support/ZephraTestPrograms.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

struct ButtonsTest : ::testing::Test
{
  TempDir dir;
  TempDir files;
  TestEditor t{dir.Path()};
  ZephraEditor* editor = t.editor.get();

  void Set(int param, double value) { editor->SetParameterFromGUI2(param, value); }
  void Press(int button) { Set(button, 1); Set(button, 0); }
  // A folder of the named programs, the current one the index-th.
  void Folder(const std::vector<std::string>& names, int current)
  {
    for (const std::string& name : names) WriteWholeFile(files.File(name), MarkerText(kDefaultValues));
    editor->ScanProgramFolder(files.File(names[current]).c_str());
  }
};

}  // namespace

TEST_F(ButtonsTest, PreviousAndNextGoRoundTheFolder)
{
  const std::vector<std::string> kThree = {"01_A.pr3", "02_B.pr3", "03_C.pr3"};
  const std::vector<std::string> kOne = {"01_A.pr3"};
  // wireBytes: the whole program, 336 controllers, or nothing.
  const struct Case { const char* name; const std::vector<std::string>& files; int current, button, index;
                      const char* program; size_t wireBytes; } kCases[] = {
    {"previous on the first", kThree, 0, kParamPreviousProgram, 2, "03_C", 1008},
    {"previous on the second", kThree, 1, kParamPreviousProgram, 0, "01_A", 1008},
    {"next on the second", kThree, 1, kParamNextProgram, 2, "03_C", 1008},
    {"next on the third", kThree, 2, kParamNextProgram, 0, "01_A", 1008},
    {"previous with one file", kOne, 0, kParamPreviousProgram, 0, "01_A", 0},
    {"next with one file", kOne, 0, kParamNextProgram, 0, "01_A", 0},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.name);
    for (const std::string& name : kThree) remove(files.File(name).c_str());
    Folder(c.files, c.current);
    t.TakeWire();
    Press(c.button);
    EXPECT_EQ(editor->FolderFileIndex(), c.index);
    EXPECT_STREQ(editor->ProgramName(), c.program);
    EXPECT_EQ(t.TakeWire().size(), c.wireBytes);
  }
}

// The chooser shows 01..99; its OK asks the synth for that location on the
// next idle pass, never for a 100th.
TEST_F(ButtonsTest, ChooserAsksForTheLocationItShows)
{
  const struct Case { double value; uint8_t location; } kCases[] = {{0, 1}, {97, 98}, {98, 99}, {99, 99}, {100, 99}};
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.value);
    Set(kParamProgramNumber, c.value);
    Press(kParamProgramNumberOk);
    t.TakeSent();
    editor->OnIdle();
    EXPECT_EQ(t.TakeSent(), (std::vector<Bytes>{{0xF0, 0x00, 0x3E, 0x5A, 0x03, 0x40, 0x03, c.location, 0xF7}}));
    EXPECT_EQ(t.panels->Status().back(), "Connecting to Zephra...");
    // The synth never answers: the wait runs out before the next request.
    for (int tick = 0; tick < 4; ++tick) editor->OnTimerTick();
  }
}

// Learn binds whichever comes second, the knob or the controller; the
// controller then sweeps the knob's minimum up to where the knob stood.
// Unlearn takes one binding away, clear all every one.
TEST_F(ButtonsTest, LearnInEitherOrderUnlearnAndClearAll)
{
  auto controller = [this](uint8_t number, uint8_t value) {
    IMidiMsg msg(0, 0xB0, number, value);
    editor->ProcessKeyboardMidiMsg(&msg);
  };
  Set(kParamCcLearn, 1);
  controller(0x16, 0x40);
  Set(kParamVco1Coarse, 3);
  Set(kParamCcLearn, 1);
  Set(kParamVco2Coarse, 5);
  controller(0x15, 0x40);
  EXPECT_EQ(editor->ParamInt(kParamCcLearn), 0);
  EXPECT_EQ(editor->LearntController(0), 0x16);
  EXPECT_EQ(editor->LearntController(12), 0x15);
  EXPECT_EQ(ReadWholeFile(dir.File("midilearn.ini")), "0=22:3\n12=21:5\n");
  const struct Case { uint8_t data; int value; } kSweep[] = {{0x00, -24}, {0x7E, 4}, {0x7F, 5}};
  for (const Case& c : kSweep)
  {
    controller(0x15, c.data);
    EXPECT_EQ(editor->ParamInt(kParamVco2Coarse), c.value) << int(c.data);
  }

  Set(kParamCcUnlearn, 1);
  Set(kParamVco2Coarse, 2);
  Set(kParamVco1Coarse, 1);  // unlearn took one value only
  EXPECT_EQ(editor->ParamInt(kParamCcUnlearn), 0);
  EXPECT_EQ(editor->LearntController(0), 0x16);
  EXPECT_EQ(editor->LearntController(12), -1);
  EXPECT_EQ(ReadWholeFile(dir.File("midilearn.ini")), "0=22:3\n");

  Press(kParamCcClearAll);
  EXPECT_EQ(editor->LearntController(0), -1);
  // Learning, unlearning and clearing each write the table anew.
  EXPECT_EQ(ReadWholeFile(dir.File("midilearn.ini")), "");
  t.TakeWire();
  controller(0x16, 0x40);
  EXPECT_EQ(t.TakeWire(), (Bytes{0xB0, 0x16, 0x40})) << "an unbound controller passes through";
}
