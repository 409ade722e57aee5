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

  void Set(int param, double value) { editor->SetParameterFromGUI2(param, value); }
  void Press(EParam button) { Set(button, 1), Set(button, 0); }
  void TickAllSections() { for (int box = 0; box < 12; ++box) Set(kParamSectionVco1 + box, 1); }
  // The program with the 7 values from index first replaced, as if recalled.
  void ApplySlot(int first, const std::vector<int>& slot)
  {
    ZephraModel::ProgramValues program = editor->Program();
    std::copy(slot.begin(), slot.end(), program.begin() + first);
    BASE_MutexLock hold(editor->GetMutex());
    editor->ApplyProgram(program);
  }
  std::vector<int> Values(int first, int count)
  {
    return std::vector<int>(editor->Program().begin() + first, editor->Program().begin() + first + count);
  }
  // The data bytes of every controller 6 on the wire since the last take.
  std::vector<int> TakeDataBytes()
  {
    const Bytes wire = t.TakeWire();
    std::vector<int> data;
    for (size_t i = 0; i + 2 < wire.size(); i += 3)
      if (wire[i + 1] == 0x06) data.push_back(wire[i + 2]);
    return data;
  }
};

}  // namespace

TEST_F(SoundActionsTest, VcoCopyFromTheHighestSource)
{
  for (int i = 0; i < 12; ++i) Set(kParamVco4Coarse + i, i + 1);
  for (EParam box : {kParamCopySource2, kParamCopySource4, kParamCopyTarget2}) Set(box, 1);
  const int steps = editor->UndoCount();
  t.TakeWire();
  Press(kParamCopy);
  EXPECT_EQ(Values(12, 12), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
  EXPECT_EQ(TakeDataBytes().size(), 48u);
  EXPECT_EQ(editor->UndoCount(), steps + 1);
}

// Slot 1 onto slot 3 (target 128 + 5 = 133): slot 3 keeps its DESTINATION,
// BITS bit 0 and target, and the undo step holds the slot, not zeros.
TEST_F(SoundActionsTest, FlexiCopyKeepsTheTargetSlotsDestination)
{
  ApplySlot(95, {98, 2, 40, 1, 12, 97, 1});
  ApplySlot(109, {99, 1, 5, 0, 0, 0, 0});
  ASSERT_EQ(editor->FlexiTarget(2), 133);
  t.panels->flexiCopyMode = true;
  Set(kParamCopySource1, 1);
  Set(kParamCopyTarget3, 1);
  Press(kParamCopy);
  const std::vector<int> expected = {98, 3, 5, 1, 12, 97, 1};
  EXPECT_EQ(Values(109, 7), expected);
  EXPECT_EQ(editor->FlexiTarget(2), 133);
  Press(kParamInit);
  editor->Undo();
  EXPECT_EQ(Values(109, 7), expected);
}

TEST_F(SoundActionsTest, RandomChangesOnlyTheTickedSection)
{
  std::srand(7);
  editor->CaptureProgram();
  const ZephraModel::ProgramValues before = editor->Program();
  Set(kParamSectionHarmDist, 1);
  Press(kParamRandom);
  int changed = 0;
  for (int p = 0; p < kProgramSize; ++p)
    if (p >= 48 && p <= 58)
      changed += editor->Program()[p] != before[p];
    else
      EXPECT_EQ(editor->Program()[p], before[p]) << p;
  EXPECT_GT(changed, 5);
}

// Knob X, action, knob X again: undo returns to the action's sound.
TEST_F(SoundActionsTest, ActionsEndTheirUndoStep)
{
  Set(kParamSectionVco2, 1);
  for (EParam button : {kParamRandom, kParamInit, kParamReset})
  {
    SCOPED_TRACE(button);
    Set(kParamVco1Coarse, 5);
    Press(button);
    const std::vector<int> after = Values(0, 24);
    Set(kParamVco1Coarse, 6);
    editor->Undo();
    EXPECT_EQ(Values(0, 24), after);
  }
}

TEST_F(SoundActionsTest, ThousandRandomSoundsStayInRange)
{
  std::srand(1234);
  TickAllSections();
  for (int round = 0; round < 1000; ++round)
  {
    SCOPED_TRACE(round);
    Press(kParamRandom);
    for (int p = 0; p < kProgramSize; ++p)
    {
      const int value = editor->Program()[p];
      ASSERT_TRUE(value >= kProgramMin[p] && value <= kProgramMax[p] && (p < 147 || p > 156 || value == 0)) << p;
    }
    for (int data : TakeDataBytes()) ASSERT_LT(data, 0x80);
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

  TickAllSections();
  Press(kParamReset);
  EXPECT_EQ(editor->Program(), kInitSound);
  EXPECT_EQ(editor->ParamInt(kParamVcfCutoffNew), 36);
  EXPECT_EQ(editor->UndoCount(), steps + 1);
}

// Slot 1 targets index 133, whose control (136) the range controls stand in
// for; a reset gives it back only where they are shown.
TEST_F(SoundActionsTest, ResetGivesTheTargetItsControlBackOnlyFromShownRanges)
{
  TickAllSections();
  for (bool rangeHidden : {false, true})
  {
    SCOPED_TRACE(rangeHidden);
    ApplySlot(95, {99, 1, 5, 0, 0, 0, 0});
    ASSERT_TRUE(t.panels->IsParamControlHidden(136));
    if (rangeHidden) t.panels->HideParamControl(kParamFlexi1RangeA, true);
    Press(kParamReset);
    EXPECT_EQ(editor->FlexiTarget(0), -1);
    EXPECT_EQ(t.panels->IsParamControlHidden(136), rangeHidden);
  }
}

// VCO1 saw and volume are 42 and 32 in the default program; a ticked
// FLEXI box is not one of the boxes this reset reads.
TEST_F(SoundActionsTest, ResetSelectedSectionsToDefault)
{
  for (auto [param, value] : {std::pair{kParamVco1Saw, 5}, {kParamVco2Saw, 9}, {kParamSectionVco1, 1},
                              {kParamSectionFlexi1, 1}, {kParamFlexi1Source, 98}})
    Set(param, value);
  const int steps = editor->UndoCount();
  t.TakeWire();
  {
    BASE_MutexLock hold(editor->GetMutex());
    editor->ResetSelectedSectionsToDefault();
  }
  for (auto [index, value] : {std::pair{8, 42}, {11, 32}, {20, 9}, {95, 98}})
    EXPECT_EQ(editor->Program()[index], value) << index;
  EXPECT_EQ(TakeDataBytes().size(), 167u) << "the whole program";
  EXPECT_EQ(editor->UndoCount(), steps);
}
