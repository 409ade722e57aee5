#include "synth/ZephraSoundSections.h"

#include <gtest/gtest.h>

TEST(ZephraSoundSections, SectionEdgesLeaveSparesOut)
{
  struct Case { const char* name; int section, index; bool withComposites, expected; } cases[] = {
    {"VCO1 last", 0, 11, false, true},      {"VCO1 past", 0, 12, false, false},
    {"Filter 85", 4, 85, false, false},     {"Filter 88", 4, 88, false, true},
    {"Effect 146", 7, 146, false, true},    {"Effect spare 147", 7, 147, false, false},
    {"Effect spare 156", 7, 156, false, false}, {"Effect 157", 7, 157, false, true},
    {"FLEXI4 122", 11, 122, false, true},   {"FLEXI4 123", 11, 123, false, false},
    {"FLEXI1 mode", 8, 171, true, true},    {"FLEXI1 mode plain", 8, 171, false, false},
    {"FLEXI4 polarity", 11, 178, true, true}, {"FLEXI4 179", 11, 179, true, false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(SectionHasIndex(c.section, c.index, c.withComposites), c.expected) << c.name;
}

namespace {
int gDraws = 0;
int CountingDraw()
{
  return gDraws++;
}
}  // namespace

// Draw n returns n: the first 184 draws give the indices, then two per slot.
TEST(ZephraSoundSections, RandomKeepsSparesAndTargetFields)
{
  ProgramRecord current{};
  current[96] = 2;   // BITS: bit 0 kept, bit 1 drawn
  current[97] = 77;  // DESTINATION
  current[98] = 3;   // RANGE POLARITY: bit 0 kept, bit 1 drawn
  current[99] = 30;  // RANGE
  current[150] = 5;  // a spare
  gDraws = 0;
  const ProgramRecord drawn = MakeRandomProgram(current, CountingDraw);
  struct Case { int index, expected; } cases[] = {
    {0, -24},  // 0 mod 73 - 24
    {1, -62},  // 1 mod 127 - 63
    {95, 105}, // draw 184 mod 18 = source position 4
    {96, 2},   // bit 0 kept, draw 171 mod 2 = 1 as bit 1
    {97, 77}, {98, 1}, {99, 30},
    {100, 103},  // draw 185 mod 6 = range position 5
    {150, 5}, {125, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(drawn[c.index], c.expected) << c.index;
  EXPECT_EQ(gDraws, 192);
}
