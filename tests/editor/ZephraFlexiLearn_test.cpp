// FLEXI range learn on the real look: the range pair a learnt target gets,
// the slot values sent, Range A and B, LEARN on another slot, the learn
// time-out and lamp, and the paged lists.
#include "ZephraFaceTestEditor.h"

#include "core/IParam.h"
#include "graphics/controls/ITextControl.h"

#include <gtest/gtest.h>

namespace {

// Arms slot 1's learn and moves the target to value.
void Learn(FaceEditor& f, int slotLearn, int target, int value)
{
  f.Click(slotLearn);
  f.Set(target, value);
}

}  // namespace

TEST(FlexiLearn, RangePairByTarget)
{
  struct Case
  {
    const char* name;
    int midiSync, target, value;
    int min, max, bits, destination;
  } kCases[] = {
    {"PWM LFO synced", 1, kParamVco4PwmLfoFrq, 5, 1, 12, 0, 42},
    {"PWM LFO free", 0, kParamVco4PwmLfoFrq, 5, 1, 127, 0, 42},
    {"Delay2, only Delay1 synced", 2, kParamDelay2, 5, 0, 127, 1, 11},
    {"Delay2 synced", 3, kParamDelay2, 5, 0, 9, 1, 11},
    {"an effect value", 0, ParamOfIndex(130), 5, 0, 127, 1, 2},
    {"the new cutoff", 0, kParamVcfCutoffNew, 50, 36, 122, 0, 76},
  };
  for (const Case& c : kCases)
  {
    FaceEditor f;
    f.Set(kParamMidiSync, c.midiSync);
    Learn(f, kParamFlexi1Learn, c.target, c.value);
    const IParam* a = f.editor->GetParam(kParamFlexi1RangeA);
    EXPECT_EQ(a->GetMin(), c.min) << c.name;
    EXPECT_EQ(a->GetMax(), c.max) << c.name;
    EXPECT_STREQ(a->GetNameForHost(), "Flexi1 Range") << c.name;
    EXPECT_EQ(f.Int(kParamFlexi1Bits), c.bits) << c.name;
    EXPECT_EQ(f.Int(kParamFlexi1Destination), c.destination) << c.name;
    EXPECT_FALSE(f.editor->FlexiLearnArmed()) << c.name;
    EXPECT_TRUE(f.Hidden(c.target)) << c.name;
    EXPECT_FALSE(f.Hidden(kParamFlexi1RangeA)) << c.name;
    EXPECT_FALSE(f.Hidden(kParamFlexi1Clear)) << c.name;  // the lamp
  }
}

// The pair stands over the target's knob at (265, 559), 12 up from it,
// Range B one range-knob width (16) to the right, all at the GUI scale.
TEST(FlexiLearn, PairPlacedAtScale)
{
  FaceEditor f(1710, 1200);
  f.Set(kParamMidiSync, 1);
  Learn(f, kParamFlexi1Learn, kParamVco4PwmLfoFrq, 3);
  EXPECT_EQ(f.Corner(kParamFlexi1RangeA), std::make_pair(397, 820));
  EXPECT_EQ(f.Corner(kParamFlexi1RangeB), std::make_pair(421, 820));
}

// The new cutoff is no effect value although its index is past 127: BITS
// stays 0 (unchanged, so not sent) and DESTINATION 76 goes out at 5/97,
// then the slot's first source (98) at 5/95 (its list selection between
// makes the address restated), then the move itself at 5/76.
TEST(FlexiLearn, NewCutoffOnTheWire)
{
  FaceEditor f;
  f.Click(kParamFlexi1Learn);
  f.TakeWire();
  f.Set(kParamVcfCutoffNew, 64);
  EXPECT_EQ(f.TakeWire(), (Bytes{0xB0, 0x63, 0x05, 0xB0, 0x62, 0x61, 0xB0, 0x06, 0x4C, 0xB0, 0x63, 0x05, 0xB0, 0x62, 0x5F, 0xB0, 0x06, 0x62,
                                0xB0, 0x62, 0x4C, 0xB0, 0x06, 0x40}));
}

// Range A drags the target; the range keeps its width until the far end
// would pass the target's top (127).
TEST(FlexiLearn, RangeAKeepsTheFarEndInRange)
{
  struct Case
  {
    const char* name;
    int a, range, b;
  } kCases[] = {
    {"far end one below the top", 106, 20, 126},
    {"far end at the top", 107, 20, 127},
    {"far end one past the top", 108, 19, 127},
    {"far end well past", 120, 7, 127},
  };
  for (const Case& c : kCases)
  {
    FaceEditor f;
    Learn(f, kParamFlexi1Learn, ParamOfIndex(130), 40);
    f.Set(kParamFlexi1Range, 20);
    f.Set(kParamFlexi1RangeA, c.a);
    EXPECT_EQ(f.Int(kParamFlexi1Range), c.range) << c.name;
    EXPECT_EQ(f.Int(kParamFlexi1RangePolarity), 0) << c.name;
    EXPECT_EQ(f.Int(kParamFlexi1RangeB), c.b) << c.name;
    EXPECT_EQ(f.Int(ParamOfIndex(130)), c.a) << c.name;
  }
}

TEST(FlexiLearn, RangeBBelowAFlipsThePolarity)
{
  FaceEditor f;
  Learn(f, kParamFlexi1Learn, ParamOfIndex(130), 40);
  f.Set(kParamFlexi1RangeB, 31);
  EXPECT_EQ(f.Int(kParamFlexi1Range), 9);
  EXPECT_EQ(f.Int(kParamFlexi1RangePolarity), 1);
}

// LEARN on a slot with a target while another slot is armed only calls the
// learn off: the slot keeps its target, range and lamp, and the synth hears
// nothing. LEARN on the armed slot itself empties it as ever.
TEST(FlexiLearn, LearnOnAnotherSlotOnlyDisarms)
{
  FaceEditor f;
  Learn(f, kParamFlexi2Learn, ParamOfIndex(130), 40);
  f.Set(kParamFlexi2Range, 5);
  f.Click(kParamFlexi1Learn);
  f.TakeWire();
  f.Click(kParamFlexi2Learn);
  EXPECT_FALSE(f.editor->FlexiLearnArmed());
  EXPECT_TRUE(f.TakeWire().empty());
  EXPECT_EQ(f.editor->FlexiTarget(1), 130);
  EXPECT_EQ(f.Int(kParamFlexi2Range), 5);
  EXPECT_FALSE(f.Hidden(kParamFlexi2RangeA));
  EXPECT_FALSE(f.Hidden(kParamFlexi2Clear));
  EXPECT_TRUE(f.Hidden(kParamFlexi1Clear));

  // Armed on slot 2 and pressed again: slot 2 empty, its knob back.
  f.Click(kParamFlexi2Learn);
  f.Click(kParamFlexi2Learn);
  EXPECT_FALSE(f.editor->FlexiLearnArmed());
  EXPECT_EQ(f.editor->FlexiTarget(1), -1);
  EXPECT_EQ(f.Int(kParamFlexi2Range), 0);
  EXPECT_FALSE(f.Hidden(ParamOfIndex(130)));
  EXPECT_TRUE(f.Hidden(kParamFlexi2RangeA));
}

// Armed with nothing moved: the lamp toggles every eighth idle pass, and
// the tenth timer tick ends the learn with the lamp out.
TEST(FlexiLearn, TimeOutAndBlink)
{
  FaceEditor f;
  f.Click(kParamFlexi3Learn);
  const bool lit = f.Hidden(kParamFlexi3Clear);
  for (int pass = 1; pass <= 7; ++pass) f.editor->OnIdle();
  EXPECT_EQ(f.Hidden(kParamFlexi3Clear), lit);
  f.editor->OnIdle();
  EXPECT_EQ(f.Hidden(kParamFlexi3Clear), !lit);

  for (int tick = 1; tick <= 9; ++tick) f.editor->OnTimerTick();
  EXPECT_TRUE(f.editor->FlexiLearnArmed());
  f.editor->OnTimerTick();
  EXPECT_FALSE(f.editor->FlexiLearnArmed());
  EXPECT_TRUE(f.Hidden(kParamFlexi3Clear));
  for (int pass = 0; pass < 16; ++pass) f.editor->OnIdle();
  for (int tick = 0; tick < 10; ++tick) f.editor->OnTimerTick();
  EXPECT_TRUE(f.Hidden(kParamFlexi3Clear));
  // Learn no longer armed: a move is only a move.
  f.Set(ParamOfIndex(130), 9);
  EXPECT_EQ(f.editor->FlexiTarget(2), -1);
}

// Range B shows its own end in the target's caption for two ticks.
TEST(FlexiLearn, RangeBCaptionReturnsOnTheSecondTick)
{
  FaceEditor f;
  Learn(f, kParamFlexi1Learn, ParamOfIndex(130), 40);
  f.Set(kParamFlexi1RangeB, 70);
  BASE_String text;
  const auto caption = [&] {
    f.Face().Caption(130)->GetText(&text);
    return std::string(text.Get());
  };
  EXPECT_EQ(caption(), "70");
  f.editor->OnTimerTick();
  EXPECT_EQ(caption(), "70");
  f.editor->OnTimerTick();
  EXPECT_EQ(caption(), "40");
  f.Set(kParamFlexi1RangeB, 71);
  f.editor->OnTimerTick();
  f.editor->OnTimerTick();
  f.editor->OnTimerTick();
  EXPECT_EQ(caption(), "40");
}

// Each page has 20 rows; the last three of a sources page and the last six
// of a range-control page are not entries.
TEST(FlexiLearn, ListPagesStopShortOfTheirEnd)
{
  struct Case
  {
    const char* name;
    int show, page;
    double row;
    int selection, chosen;
  } kCases[] = {
    {"sources page 1, row 16", kParamShowFlexi1Sources, kParamListPage1, 16, kParamFlexi1Sources, 16},
    {"sources page 1, row 17", kParamShowFlexi1Sources, kParamListPage1, 17, kParamFlexi1Sources, 17},
    {"sources page 1, row 18", kParamShowFlexi1Sources, kParamListPage1, 18, kParamFlexi1Sources, 17},
    {"sources page 1, last row", kParamShowFlexi1Sources, kParamListPage1, 20, kParamFlexi1Sources, 17},
    {"ranges page 4, row 73", kParamShowFlexi1Ranges, kParamListPage4, 73, kParamFlexi1Ranges, 73},
    {"ranges page 4, row 74", kParamShowFlexi1Ranges, kParamListPage4, 74, kParamFlexi1Ranges, 74},
    {"ranges page 4, row 75", kParamShowFlexi1Ranges, kParamListPage4, 75, kParamFlexi1Ranges, 74},
    {"ranges page 4, last row", kParamShowFlexi1Ranges, kParamListPage4, 80, kParamFlexi1Ranges, 74},
  };
  for (const Case& c : kCases)
  {
    FaceEditor f;
    f.Set(c.show, 1);
    EXPECT_FALSE(f.Hidden(kParamCloseListView)) << c.name;
    f.Set(c.page, c.row);
    EXPECT_EQ(f.Int(c.selection), c.chosen) << c.name;
    f.Set(kParamCloseListView, 1);
    EXPECT_TRUE(f.Hidden(c.page)) << c.name;
  }
}
