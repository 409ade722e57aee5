// The copy, random, reset and INIT buttons as the user presses them: the
// program that results, what reaches the synth and the undo steps.
#include "ZephraTestEditor.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

struct SoundActionsTest : ::testing::Test
{
  TempDir dir;
  TestEditor t{dir.Path()};
  ZephraEditor* editor = t.editor.get();
  TestPanels& panels = *t.panels;

  void Set(int param, double value) { editor->SetParameterFromGUI2(param, value); }
  void Press(EParam button)
  {
    Set(button, 1);
    Set(button, 0);
  }
  // The data bytes of every controller 6 on the wire since the last take.
  static std::vector<int> DataBytes(const Bytes& wire)
  {
    std::vector<int> data;
    for (size_t i = 0; i + 2 < wire.size(); i += 3)
      if (wire[i + 1] == 0x06) data.push_back(wire[i + 2]);
    return data;
  }
  const ZephraModel::ProgramValues& Program() { return editor->Program(); }
  std::vector<int> VcoParams()
  {
    std::vector<int> values;
    for (int p = kParamVco1Coarse; p <= kParamVco4Volume; ++p) values.push_back(editor->ParamInt(p));
    return values;
  }
};

}  // namespace

TEST_F(SoundActionsTest, VcoCopyFromTheHighestSource)
{
  for (int i = 0; i < 12; ++i) Set(kParamVco4Coarse + i, i + 1);
  Set(kParamCopySource2, 1);
  Set(kParamCopySource4, 1);
  Set(kParamCopyTarget2, 1);
  const int steps = editor->UndoCount();
  t.TakeWire();
  Press(kParamCopy);
  const int expected[12] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
  for (int i = 0; i < 12; ++i) EXPECT_EQ(Program()[12 + i], expected[i]) << i;
  EXPECT_EQ(DataBytes(t.TakeWire()).size(), 48u);
  EXPECT_EQ(editor->UndoCount(), steps + 1);
}

// Slot 1 onto slot 3: slot 3 keeps its DESTINATION, BITS bit 0 and target.
TEST_F(SoundActionsTest, FlexiCopyKeepsTheTargetSlotsDestination)
{
  ZephraModel::ProgramValues program = Program();
  const int slot1[7] = {98, 2, 40, 1, 12, 97, 1};
  const int slot3[7] = {99, 1, 5, 0, 0, 0, 0};  // target 128 + 5 = 133
  for (int i = 0; i < 7; ++i)
  {
    program[95 + i] = slot1[i];
    program[109 + i] = slot3[i];
  }
  {
    BASE_MutexLock hold(editor->GetMutex());
    editor->ApplyProgram(program);
  }
  ASSERT_EQ(editor->FlexiTarget(2), 133);
  panels.flexiCopyMode = true;
  Set(kParamCopySource1, 1);
  Set(kParamCopyTarget3, 1);
  Press(kParamCopy);
  const int expected[7] = {98, 3, 5, 1, 12, 97, 1};
  for (int i = 0; i < 7; ++i) EXPECT_EQ(Program()[109 + i], expected[i]) << i;
  EXPECT_EQ(editor->FlexiTarget(2), 133);
  // The step holds the slot, not zeros.
  Press(kParamInit);
  editor->Undo();
  for (int i = 0; i < 7; ++i) EXPECT_EQ(Program()[109 + i], expected[i]) << i;
}

TEST_F(SoundActionsTest, RandomChangesOnlyTheTickedSection)
{
  std::srand(7);
  editor->CaptureProgram();
  const ZephraModel::ProgramValues before = Program();
  Set(kParamSectionHarmDist, 1);
  Press(kParamRandom);
  int changed = 0;
  for (int p = 0; p < kProgramSize; ++p)
  {
    if (p >= 48 && p <= 58)
      changed += Program()[p] != before[p];
    else
      EXPECT_EQ(Program()[p], before[p]) << p;
  }
  EXPECT_GT(changed, 5);
}

// Knob X, random, knob X again: undo returns to the random sound.
TEST_F(SoundActionsTest, ActionsEndTheirUndoStep)
{
  Set(kParamSectionVco2, 1);
  for (EParam button : {kParamRandom, kParamInit, kParamReset})
  {
    SCOPED_TRACE(button);
    Set(kParamVco1Coarse, 5);
    Press(button);
    const std::vector<int> after = VcoParams();
    Set(kParamVco1Coarse, 6);
    editor->Undo();
    EXPECT_EQ(VcoParams(), after);
  }
}

TEST_F(SoundActionsTest, ThousandRandomSoundsStayInRange)
{
  std::srand(1234);
  for (int section = 0; section < 12; ++section) Set(kParamSectionVco1 + section, 1);
  for (int round = 0; round < 1000; ++round)
  {
    t.TakeWire();
    Press(kParamRandom);
    for (int p = 0; p < kProgramSize; ++p)
    {
      ASSERT_GE(Program()[p], kProgramMin[p]) << "round " << round << " index " << p;
      ASSERT_LE(Program()[p], kProgramMax[p]) << "round " << round << " index " << p;
    }
    for (int p = 147; p <= 156; ++p) ASSERT_EQ(Program()[p], 0) << p;
    for (int data : DataBytes(t.TakeWire())) ASSERT_LT(data, 0x80) << "round " << round;
  }
  // Every ticked slot has a target, from the destination it kept.
  for (int slot = 0; slot < 4; ++slot) EXPECT_GE(editor->FlexiTarget(slot), 0) << slot;
}

TEST_F(SoundActionsTest, ResetToTheInitSound)
{
  Set(kParamVco1Coarse, 7);
  const int steps = editor->UndoCount();
  t.TakeWire();
  Press(kParamReset);
  EXPECT_EQ(t.TakeWire(), Bytes{}) << "no box ticked: nothing sent";
  EXPECT_EQ(editor->UndoCount(), steps);

  for (int section = 0; section < 12; ++section) Set(kParamSectionVco1 + section, 1);
  Press(kParamReset);
  const ZephraModel::ProgramValues init = [] {
    ZephraModel::ProgramValues v{};
    std::copy(kInitSound.begin(), kInitSound.end(), v.begin());
    return v;
  }();
  EXPECT_EQ(Program(), init);
  EXPECT_EQ(editor->ParamInt(kParamVcfCutoffNew), 36);
  EXPECT_EQ(editor->UndoCount(), steps + 1);
}

// Slot 1 targets index 133. A reset swaps the range controls back for the
// target's own control only where they stand in for it.
TEST_F(SoundActionsTest, ResetGivesTheTargetItsControlBackOnlyFromShownRanges)
{
  const struct { const char* name; bool rangeHidden, targetHidden; } cases[] = {
    {"range shown", false, false},
    {"range hidden", true, true},
  };
  for (int section = 0; section < 12; ++section) Set(kParamSectionVco1 + section, 1);
  for (const auto& c : cases)
  {
    SCOPED_TRACE(c.name);
    ZephraModel::ProgramValues program = Program();
    const int slot1[7] = {99, 1, 5, 0, 0, 0, 0};
    for (int i = 0; i < 7; ++i) program[95 + i] = slot1[i];
    {
      BASE_MutexLock hold(editor->GetMutex());
      editor->ApplyProgram(program);
    }
    ASSERT_EQ(editor->FlexiTarget(0), 133);
    ASSERT_TRUE(panels.IsParamControlHidden(136));
    if (c.rangeHidden) panels.HideParamControl(kParamFlexi1RangeA, true);
    Press(kParamReset);
    EXPECT_EQ(editor->FlexiTarget(0), -1);
    EXPECT_EQ(panels.IsParamControlHidden(136), c.targetHidden);
  }
}

// VCO1 saw and volume are 42 and 32 in the default program; a ticked
// FLEXI box is not one of the boxes this reset reads.
TEST_F(SoundActionsTest, ResetSelectedSectionsToDefault)
{
  Set(kParamVco1Saw, 5);
  Set(kParamVco2Saw, 9);
  Set(kParamSectionVco1, 1);
  Set(kParamSectionFlexi1, 1);
  Set(kParamFlexi1Source, 98);
  const int steps = editor->UndoCount();
  t.TakeWire();
  {
    BASE_MutexLock hold(editor->GetMutex());
    editor->ResetSelectedSectionsToDefault();
  }
  const struct { int index, value; } cases[] = {{8, 42}, {11, 32}, {20, 9}, {95, 98}};
  for (const auto& c : cases) EXPECT_EQ(Program()[c.index], c.value) << c.index;
  EXPECT_EQ(editor->ParamInt(kParamVco1Saw), 42);
  EXPECT_EQ(DataBytes(t.TakeWire()).size(), 167u) << "the whole program";
  EXPECT_EQ(editor->UndoCount(), steps);
}
