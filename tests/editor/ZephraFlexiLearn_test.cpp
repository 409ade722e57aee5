// FLEXI range learn on the real look.
#include "ZephraSkinEditor.h"

#include "core/IParam.h"
#include "graphics/controls/ITextControl.h"

#include <gtest/gtest.h>

namespace {

constexpr int kFx = ParamOfIndex(130);  // an effect value, range 0..127

void Learn(SkinEditor& f, int learnButton, int target, int value)
{
  f.Click(learnButton);
  f.Set(target, value);
}

}  // namespace

TEST(FlexiLearn, RangePairByTarget)
{
  struct Case { const char* name; int midiSync, target, min, max, bits, destination; } kCases[] = {
    {"PWM LFO synced", 1, kParamVco4PwmLfoFrq, 1, 12, 0, 42},
    {"PWM LFO free", 0, kParamVco4PwmLfoFrq, 1, 127, 0, 42},
    {"an effect value", 0, kFx, 0, 127, 1, 2},
    {"the new cutoff", 0, kParamVcfCutoffNew, 36, 122, 0, 76},
  };
  for (const Case& c : kCases)
  {
    SkinEditor f;
    f.Set(kParamMidiSync, c.midiSync);
    Learn(f, kParamFlexi1Learn, c.target, 50);
    const IParam* a = f.editor->GetParam(kParamFlexi1RangeA);
    EXPECT_TRUE(a->GetMin() == c.min && a->GetMax() == c.max) << c.name;
    EXPECT_EQ(f.Int(kParamFlexi1Bits), c.bits) << c.name;
    EXPECT_EQ(f.Int(kParamFlexi1Destination), c.destination) << c.name;
    EXPECT_TRUE(f.Hidden(c.target) && !f.Hidden(kParamFlexi1RangeA) && !f.Hidden(kParamFlexi1Clear)) << c.name;
  }
}

// 12 above the knob's anchor (265, 559), Range B one range-knob width (16)
// to the right, at the GUI scale 1.5.
TEST(FlexiLearn, PairPlacedAtScale)
{
  SkinEditor f("", 1710, 1200);
  f.Set(kParamMidiSync, 1);
  Learn(f, kParamFlexi1Learn, kParamVco4PwmLfoFrq, 3);
  EXPECT_EQ(f.Corner(kParamFlexi1RangeA), std::make_pair(397, 820));
  EXPECT_EQ(f.Corner(kParamFlexi1RangeB), std::make_pair(421, 820));
}

// BITS stays 0 (so unsent); DESTINATION 76 at 5/97, the first source 98 at
// 5/95, then the move itself at 5/76.
TEST(FlexiLearn, NewCutoffOnTheWire)
{
  SkinEditor f;
  f.Click(kParamFlexi1Learn);
  f.TakeWire();
  f.Set(kParamVcfCutoffNew, 64);
  EXPECT_EQ(f.TakeWire(), (Bytes{0xB0, 0x63, 0x05, 0xB0, 0x62, 0x61, 0xB0, 0x06, 0x4C, 0xB0, 0x63, 0x05, 0xB0, 0x62,
                                 0x5F, 0xB0, 0x06, 0x62, 0xB0, 0x62, 0x4C, 0xB0, 0x06, 0x40}));
}

// RANGE 20 up from Range A until the far end would pass 127.
TEST(FlexiLearn, RangeAKeepsTheFarEndInRange)
{
  struct Case { int a, range, b; } kCases[] = {{106, 20, 126}, {107, 20, 127}, {108, 19, 127}, {120, 7, 127}};
  for (const Case& c : kCases)
  {
    SkinEditor f;
    Learn(f, kParamFlexi1Learn, kFx, 40);
    f.Set(kParamFlexi1Range, 20);
    f.Set(kParamFlexi1RangeA, c.a);
    EXPECT_EQ(f.Int(kParamFlexi1Range), c.range) << c.a;
    EXPECT_EQ(f.Int(kParamFlexi1RangeB), c.b) << c.a;
    EXPECT_EQ(f.Int(kFx), c.a) << c.a;
  }
}

// LEARN on slot 2 while slot 1 is armed only disarms: slot 2 keeps target,
// range and lamp, and nothing is sent. LEARN on the armed slot empties it.
TEST(FlexiLearn, LearnOnAnotherSlotOnlyDisarms)
{
  SkinEditor f;
  Learn(f, kParamFlexi2Learn, kFx, 40);
  f.Set(kParamFlexi2Range, 5);
  f.Click(kParamFlexi1Learn);
  f.TakeWire();
  f.Click(kParamFlexi2Learn);
  EXPECT_FALSE(f.editor->FlexiLearnArmed());
  EXPECT_TRUE(f.TakeWire().empty());
  EXPECT_TRUE(f.editor->FlexiTarget(1) == 130 && f.Int(kParamFlexi2Range) == 5);
  EXPECT_TRUE(!f.Hidden(kParamFlexi2RangeA) && !f.Hidden(kParamFlexi2Clear) && f.Hidden(kParamFlexi1Clear));

  f.Click(kParamFlexi2Learn);
  f.Click(kParamFlexi2Learn);
  EXPECT_TRUE(f.editor->FlexiTarget(1) == -1 && f.Int(kParamFlexi2Range) == 0);
  EXPECT_TRUE(!f.Hidden(kFx) && f.Hidden(kParamFlexi2RangeA));
}

// Range B shows in the target's caption until the second tick; an armed
// learn blinks its lamp every eighth idle pass (its idle keeps time) and
// ends on the tenth tick.
TEST(FlexiLearn, TimedWork)
{
  SkinEditor f;
  Learn(f, kParamFlexi1Learn, kFx, 40);
  f.Set(kParamFlexi1RangeB, 31);
  EXPECT_TRUE(f.Int(kParamFlexi1Range) == 9 && f.Int(kParamFlexi1RangePolarity) == 1);
  f.Click(kParamFlexi3Learn);
  const bool out = f.Hidden(kParamFlexi3Clear);
  struct Step { int tick; const char* caption; bool armed, lampOut; } kSteps[] = {
    {1, "31", true, out}, {2, "40", true, !out}, {9, "40", true, out}, {10, "40", false, true}, {30, "40", false, true},
  };
  BASE_String text;
  for (int tick = 1; tick <= 30; ++tick)
  {
    for (int pass = 0; pass < 4; ++pass) f.editor->OnIdle();
    f.editor->OnTimerTick();
    for (const Step& s : kSteps)
    {
      if (s.tick != tick) continue;
      f.Face().Caption(130)->GetText(&text);
      EXPECT_STREQ(text.Get(), s.caption) << tick;
      EXPECT_EQ(f.editor->FlexiLearnArmed(), s.armed) << tick;
      // While the lamp blinks, the surface keeps counting passes at full rate.
      EXPECT_EQ(f.editor->IdleIsTimed(), s.armed) << tick;
      EXPECT_EQ(f.Hidden(kParamFlexi3Clear), s.lampOut) << tick;
    }
  }
}

// The last three rows of a sources page and the last six of a range page
// are no entries.
TEST(FlexiLearn, ListPagesStopShortOfTheirEnd)
{
  struct Case { int show, page; double row; int selection, chosen; } kCases[] = {
    {kParamShowFlexi1Sources, kParamListPage1, 16, kParamFlexi1Sources, 16},
    {kParamShowFlexi1Sources, kParamListPage1, 17, kParamFlexi1Sources, 17},
    {kParamShowFlexi1Sources, kParamListPage1, 18, kParamFlexi1Sources, 17},
    {kParamShowFlexi1Ranges, kParamListPage4, 73, kParamFlexi1Ranges, 73},
    {kParamShowFlexi1Ranges, kParamListPage4, 74, kParamFlexi1Ranges, 74},
    {kParamShowFlexi1Ranges, kParamListPage4, 75, kParamFlexi1Ranges, 74},
  };
  SkinEditor f;
  for (const Case& c : kCases)
  {
    f.Click(c.show);
    EXPECT_FALSE(f.Hidden(c.page)) << c.row;
    f.Set(c.page, c.row);
    EXPECT_EQ(f.Int(c.selection), c.chosen) << c.row;
    f.Click(kParamCloseListView);
    EXPECT_TRUE(f.Hidden(c.page)) << c.row;
  }
}
