// The rules the synth's tables must obey, so that a wrong cell shows up as
// a broken rule.
#include "synth/ZephraTables.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

namespace {

bool IsSpare(int p)
{
  return (p >= 125 && p <= 127) || (p >= 147 && p <= 156);
}

// Partners whose program range is the folded 0..3 of a 0..1 parameter.
const std::set<int> kFoldedPartners = {89, 96, 98, 103, 105, 110, 112, 117, 119, 144, 157};

}  // namespace

TEST(ZephraProgramTable, RangeAndDefinitionRules)
{
  for (int p = 0; p < kProgramSize; ++p)
  {
    SCOPED_TRACE(p);
    const ProgramValueRow& row = kProgramValues[p];
    EXPECT_EQ(row.param.defined, !IsSpare(p));
    EXPECT_EQ(row.param.defined, std::strlen(row.param.name) > 0);
    // The one 32-character name is cut to 31 by the parameter's name field.
    EXPECT_LT(std::strlen(row.param.name), p == 78 ? 33u : 32u);
    EXPECT_LT(row.layoutX, 1140);
    EXPECT_LT(row.layoutY, 800);
    if (IsSpare(p))
    {
      EXPECT_EQ(row.max - row.min, p <= 127 ? 0 : 127);
      continue;
    }
    const bool folded = kFoldedPartners.count(p) == 1;
    EXPECT_EQ(row.param.min, row.min);
    EXPECT_EQ(row.param.max, folded ? 1 : row.max);
    EXPECT_TRUE(!folded || row.max == 3);
    EXPECT_GE(row.param.defaultValue, row.param.min);
    EXPECT_LE(row.param.defaultValue, row.param.max);
    EXPECT_GE(kInitSound[p], row.min);
    EXPECT_LE(kInitSound[p], row.max);
    // The vintage cutoff's index holds the new filter's cutoff in the default program.
    const int range = p == 76 ? 183 : p;
    EXPECT_GE(kDefaultProgram[p], p == 183 ? 0 : kProgramMin[range]);
    EXPECT_LE(kDefaultProgram[p], kProgramMax[range]);
  }
}

TEST(ZephraFlexiCodes, LookupsAndTexts)
{
  const struct { const char* name; int (*lookup)(int32_t); int32_t code; int position; } kCases[] = {
    {"source VCF Env.", FlexiSourcePosition, 98, 0},   {"source PB wheel", FlexiSourcePosition, 103, 17},
    {"source CC 19", FlexiSourcePosition, 19, 37},     {"source off", FlexiSourcePosition, 0, 80},
    {"source CC 6", FlexiSourcePosition, 6, -1},       {"source CC 88", FlexiSourcePosition, 88, -1},
    {"range off", FlexiRangePosition, 0, 0},           {"range CC 10", FlexiRangePosition, 10, 14},
    {"range CC 87", FlexiRangePosition, 87, 74},       {"range CC 6", FlexiRangePosition, 6, -1},
    {"range LFO", FlexiRangePosition, 101, -1},
  };
  for (const auto& c : kCases) EXPECT_EQ(c.lookup(c.code), c.position) << c.name;
  EXPECT_STREQ(kFlexiSourceText[80], " ");
  EXPECT_STREQ(kFlexiRangeText[0], "OFF");
}

TEST(ZephraCaptionTexts, WordsCoverTheWholeParameterRange)
{
  for (const ValueWordCaption& words : kValueWordCaptions)
  {
    const ProgramParamDef& def = kProgramValues[words.programIndex].param;
    EXPECT_EQ(words.firstValue, def.min) << def.name;
    EXPECT_EQ(words.firstValue + words.count - 1, def.max) << def.name;
  }
}
