#include "synth/ZephraSoundSections.h"

#include <gtest/gtest.h>

// Draw n returns n: the first 184 draws give the indices, then two per slot.
TEST(ZephraSoundSections, RandomKeepsSparesAndTargetFields)
{
  ProgramRecord current{};
  current[96] = 2;   // BITS: bit 0 kept, bit 1 drawn
  current[97] = 77;  // DESTINATION
  current[98] = 3;   // RANGE POLARITY: bit 0 kept, bit 1 drawn
  current[99] = 30;  // RANGE
  current[150] = 5;  // a spare
  static int draws;
  draws = 0;
  const ProgramRecord drawn = MakeRandomProgram(current, [] { return draws++; });
  struct Case { int index, expected; } cases[] = {
    {0, -24},    // 0 mod 73 - 24
    {1, -62},    // 1 mod 127 - 63
    {95, 105},   // draw 184 mod 18 = source position 4
    {96, 2},     // bit 0 kept, draw 171 mod 2 = 1 as bit 1
    {100, 103},  // draw 185 mod 6 = range position 5
    {97, 77}, {98, 1}, {99, 30}, {150, 5}, {125, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(drawn[c.index], c.expected) << c.index;
  EXPECT_EQ(draws, 192);
}
