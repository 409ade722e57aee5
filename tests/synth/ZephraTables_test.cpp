#include "synth/ZephraTables.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <set>
#include <string>

namespace {

bool IsSpare(int p)
{
  return (p >= kFirstSpareLow && p <= kLastSpareLow) || (p >= kFirstSpareHigh && p <= kLastSpareHigh);
}

// Partners whose program range is the folded 0..3 of a 0..1 parameter.
const std::set<int> kFoldedPartners = {89, 96, 98, 103, 105, 110, 112, 117, 119, 144, 157};

std::string Format(const char* format, int value)
{
  char text[32];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

}  // namespace

// ---- sizes ----

TEST(ZephraTables, TableLengths)
{
  struct Case { const char* name; size_t size, expected; } cases[] = {
      {"kProgramValues", kProgramValues.size(), 184},   {"kProgramMin", kProgramMin.size(), 184},
      {"kProgramMax", kProgramMax.size(), 184},         {"kNrpnMsb", kNrpnMsb.size(), 188},
      {"kNrpnLsb", kNrpnLsb.size(), 188},               {"kDefaultProgram", kDefaultProgram.size(), 184},
      {"kInitSound", kInitSound.size(), 184},           {"kEditorLayoutX", kEditorLayoutX.size(), 184},
      {"kEditorLayoutY", kEditorLayoutY.size(), 184},   {"kFlexiSourceCode", kFlexiSourceCode.size(), 81},
      {"kFlexiRangeCode", kFlexiRangeCode.size(), 80},  {"kFlexiSourceText", kFlexiSourceText.size(), 81},
      {"kFlexiRangeText", kFlexiRangeText.size(), 80},  {"kSecondHalfPairs", kSecondHalfPairs.size(), 14},
      {"kInterfaceParams", kInterfaceParams.size(), 47}, {"kFlexiListChoices", kFlexiListChoices.size(), 8},
      {"kPwmLfoDivisionText", kPwmLfoDivisionText.size(), 13},
      {"kDelayDivisionText", kDelayDivisionText.size(), 10},
  };
  for (const Case& c : cases) EXPECT_EQ(c.size, c.expected) << c.name;
  EXPECT_EQ(kProgramSize + kParamOffset + 155, kParamCount);
}

// ---- program values ----

TEST(ZephraProgramTable, ParameterNumberIsIndexPlusThree)
{
  for (int p = 0; p < kProgramSize; ++p) EXPECT_EQ(kProgramValues[p].param.number, p + 3) << p;
}

TEST(ZephraProgramTable, ColumnsMatchRows)
{
  for (int p = 0; p < kProgramSize; ++p)
  {
    SCOPED_TRACE(p);
    const ProgramValueRow& row = kProgramValues[p];
    EXPECT_EQ(kProgramMin[p], row.min);
    EXPECT_EQ(kProgramMax[p], row.max);
    EXPECT_EQ(kNrpnMsb[p], row.nrpnMsb);
    EXPECT_EQ(kNrpnLsb[p], row.nrpnLsb);
    EXPECT_EQ(kDefaultProgram[p], row.defaultProgram);
    EXPECT_EQ(kInitSound[p], row.initSound);
    EXPECT_EQ(kEditorLayoutX[p], row.layoutX);
    EXPECT_EQ(kEditorLayoutY[p], row.layoutY);
  }
}

TEST(ZephraProgramTable, SpareIndicesHaveNoDefinitionOrAddress)
{
  int spares = 0;
  for (int p = 0; p < kProgramSize; ++p)
  {
    SCOPED_TRACE(p);
    const ProgramValueRow& row = kProgramValues[p];
    EXPECT_EQ(row.param.defined, !IsSpare(p));
    if (!IsSpare(p)) continue;
    ++spares;
    EXPECT_STREQ(row.param.name, "");
    EXPECT_EQ(row.min, 0);
    EXPECT_EQ(row.max, p <= kLastSpareLow ? 0 : 127);
    EXPECT_EQ(row.nrpnMsb, 0);
    EXPECT_EQ(row.nrpnLsb, 0);
    EXPECT_EQ(row.defaultProgram, 0);
    EXPECT_EQ(row.initSound, 0);
  }
  EXPECT_EQ(spares, 13);
}

TEST(ZephraProgramTable, NrpnMsbAndLsbRules)
{
  for (int p = 0; p < kProgramSize; ++p)
  {
    SCOPED_TRACE(p);
    if (IsSpare(p)) continue;
    const bool msb5 = p <= 124 || (p >= 170 && p <= 178) || p == 183;
    EXPECT_EQ(kNrpnMsb[p], msb5 ? 5 : 6);
    if (p <= 124)
    {
      EXPECT_EQ(kNrpnLsb[p], p);
    }
    else if (p >= 128 && p <= 169)
    {
      EXPECT_EQ(kNrpnLsb[p], p - 128);
    }
  }
  EXPECT_EQ(kNrpnMsb[kNrpnNoneSent], 10);
  EXPECT_EQ(kNrpnLsb[kNrpnNoneSent], 1);
  for (int i = 185; i < kNrpnTableSize; ++i)
  {
    EXPECT_EQ(kNrpnMsb[i], 0) << i;
    EXPECT_EQ(kNrpnLsb[i], 0) << i;
  }
}

TEST(ZephraProgramTable, SecondHalvesCarryTheirPartnersAddress)
{
  const int expectedLsb[kSecondHalfCount] = {89, 96, 98, 103, 105, 110, 112, 117, 119, 16, 16, 29, 29, 76};
  for (int i = 0; i < kSecondHalfCount; ++i)
  {
    const SecondHalfPair& pair = kSecondHalfPairs[i];
    SCOPED_TRACE(pair.secondHalf);
    EXPECT_EQ(pair.secondHalf, 170 + i);
    EXPECT_EQ(kNrpnLsb[pair.secondHalf], expectedLsb[i]);
    EXPECT_EQ(kNrpnMsb[pair.secondHalf], kNrpnMsb[pair.partner]);
    EXPECT_EQ(kNrpnLsb[pair.secondHalf], kNrpnLsb[pair.partner]);
  }
}

TEST(ZephraProgramTable, RangesAndFolding)
{
  for (int p = 0; p < kProgramSize; ++p)
  {
    SCOPED_TRACE(p);
    const ProgramValueRow& row = kProgramValues[p];
    EXPECT_LE(row.min, row.max);
    if (!row.param.defined) continue;
    EXPECT_GE(row.param.defaultValue, row.param.min);
    EXPECT_LE(row.param.defaultValue, row.param.max);
    if (kFoldedPartners.count(p))
    {
      EXPECT_EQ(row.param.min, 0);
      EXPECT_EQ(row.param.max, 1);
      EXPECT_EQ(row.min, 0);
      EXPECT_EQ(row.max, 3);
    }
    else
    {
      EXPECT_EQ(row.param.min, row.min);
      EXPECT_EQ(row.param.max, row.max);
    }
  }
  for (const SecondHalfPair& pair : kSecondHalfPairs)
  {
    const bool twoState = pair.kind != FoldKind::Cutoff;
    EXPECT_EQ(twoState, kFoldedPartners.count(pair.partner) == 1) << pair.secondHalf;
    if (twoState)
    {
      EXPECT_EQ(kProgramMax[pair.secondHalf], 1) << pair.secondHalf;
    }
  }
}

TEST(ZephraProgramTable, DefaultAndInitProgramsLieInRange)
{
  for (int p = 0; p < kProgramSize; ++p)
  {
    SCOPED_TRACE(p);
    EXPECT_GE(kInitSound[p], kProgramMin[p]);
    EXPECT_LE(kInitSound[p], kProgramMax[p]);
    // Index 76 carries the new cutoff in record encoding; 183 is unused there.
    if (p == ProgramIndex(kParamVcfCutoffVintage) || p == ProgramIndex(kParamVcfCutoffNew)) continue;
    EXPECT_GE(kDefaultProgram[p], kProgramMin[p]);
    EXPECT_LE(kDefaultProgram[p], kProgramMax[p]);
  }
  EXPECT_EQ(kDefaultProgram[ProgramIndex(kParamVcfVintageNew)], 1);
  EXPECT_EQ(kDefaultProgram[ProgramIndex(kParamVcfCutoffVintage)], 122);
  EXPECT_GE(kDefaultProgram[ProgramIndex(kParamVcfCutoffVintage)], kProgramMin[ProgramIndex(kParamVcfCutoffNew)]);
  EXPECT_LE(kDefaultProgram[ProgramIndex(kParamVcfCutoffVintage)], kProgramMax[ProgramIndex(kParamVcfCutoffNew)]);
  EXPECT_EQ(kInitSound[ProgramIndex(kParamVcfVintageNew)], 1);
  EXPECT_EQ(kInitSound[ProgramIndex(kParamVcfCutoffVintage)], 0);
  EXPECT_EQ(kInitSound[ProgramIndex(kParamVcfCutoffNew)], 36);
}

TEST(ZephraProgramTable, NamesAndLayoutFitTheirFields)
{
  for (int p = 0; p < kProgramSize; ++p)
  {
    SCOPED_TRACE(p);
    const ProgramValueRow& row = kProgramValues[p];
    ASSERT_NE(row.param.name, nullptr);
    // The one 32-character name is cut to 31 by the parameter's name field.
    EXPECT_LT(std::strlen(row.param.name), p == 78 ? 33u : 32u);
    EXPECT_EQ(row.param.defined, std::strlen(row.param.name) > 0);
    EXPECT_GE(row.layoutX, 0);
    EXPECT_LT(row.layoutX, 1140);
    EXPECT_GE(row.layoutY, 0);
    EXPECT_LT(row.layoutY, 800);
  }
}

TEST(ZephraProgramTable, FlexiSlotsHaveSevenNamedFields)
{
  const char* fields[kFlexiSlotSize] = {"SOURCE", "BITS", "DESTINATION", "RANGE POLARITY",
                                        "RANGE", "RANGE CONTROL", "CURVE"};
  for (int slot = 0; slot < kFlexiSlotCount; ++slot)
    for (int f = 0; f < kFlexiSlotSize; ++f)
    {
      const std::string expected = "FLEXI" + std::to_string(slot + 1) + " " + fields[f];
      EXPECT_EQ(kProgramValues[kFlexiFirstIndex + kFlexiSlotSize * slot + f].param.name, expected);
    }
}

// Rows picked at random, typed out a second time by hand.
TEST(ZephraProgramTable, SpotChecks)
{
  struct Row
  {
    int p, number;
    const char* name;
    bool defined;
    int pmin, pmax, pdef, min, max, msb, lsb, dflt, init, x, y;
  } rows[] = {
      {8, 11, "VCO1 saw", true, 0, 127, 0, 0, 127, 5, 8, 42, 0, 345, 88},
      {12, 15, "VCO2 coarse", true, -24, 48, 0, -24, 48, 5, 12, 0, 0, 25, 245},
      {18, 21, "VCO PWM LFO frq", true, 1, 127, 1, 1, 127, 5, 18, 1, 1, 265, 245},
      {24, 27, "VCO3 coarse", true, -24, 48, 0, -24, 48, 5, 24, 0, 0, 25, 402},
      {38, 41, "VCO4 beat", true, -63, 63, 0, -63, 63, 5, 38, 0, 0, 105, 559},
      {82, 85, "VCF type", true, 0, 4, 0, 0, 4, 5, 82, 0, 0, 920, 88},
      {89, 92, "trig/gate mode", true, 0, 1, 0, 0, 3, 5, 89, 0, 0, 883, 520},
      {93, 96, "LFO VCF depth", true, 0, 127, 0, 0, 127, 5, 93, 0, 0, 1040, 245},
      {101, 104, "FLEXI1 CURVE", true, -11, 5, 0, -11, 5, 5, 101, 0, 0, 559, 9},
      {137, 140, "Mod1 B", true, 0, 127, 0, 0, 127, 6, 9, 0, 0, 840, 559},
      {149, 152, "", false, 0, 0, 0, 0, 127, 0, 0, 0, 0, 0, 0},
      {166, 169, "Mid2 Boost", true, -20, 20, 0, -20, 20, 6, 38, 0, 0, 960, 559},
      {183, 186, "VCF Cutoff Frequency (new)", true, 36, 122, 36, 36, 122, 5, 76, 0, 36, 800, 88},
  };
  for (const Row& r : rows)
  {
    SCOPED_TRACE(r.p);
    const ProgramValueRow& row = kProgramValues[r.p];
    EXPECT_EQ(row.param.number, r.number);
    EXPECT_STREQ(row.param.name, r.name);
    EXPECT_EQ(row.param.defined, r.defined);
    EXPECT_EQ(row.param.min, r.pmin);
    EXPECT_EQ(row.param.max, r.pmax);
    EXPECT_EQ(row.param.defaultValue, r.pdef);
    EXPECT_EQ(kProgramMin[r.p], r.min);
    EXPECT_EQ(kProgramMax[r.p], r.max);
    EXPECT_EQ(kNrpnMsb[r.p], r.msb);
    EXPECT_EQ(kNrpnLsb[r.p], r.lsb);
    EXPECT_EQ(kDefaultProgram[r.p], r.dflt);
    EXPECT_EQ(kInitSound[r.p], r.init);
    EXPECT_EQ(kEditorLayoutX[r.p], r.x);
    EXPECT_EQ(kEditorLayoutY[r.p], r.y);
  }
}

// ---- second halves ----

TEST(ZephraSecondHalves, PairNames)
{
  struct Case { int secondHalf; const char* name; int partner; const char* partnerName; } cases[] = {
      {170, "portamento mode", 89, "trig/gate mode"},
      {171, "FLEXI1 MODE", 96, "FLEXI1 BITS"},
      {172, "FLEXI1 RANGE CONTROL POLARITY", 98, "FLEXI1 RANGE POLARITY"},
      {177, "FLEXI4 MODE", 117, "FLEXI4 BITS"},
      {179, "OD Blend INSTRUMENT", 144, "Overdrive ON/OFF"},
      {180, "OD Blend VCF", 144, "Overdrive ON/OFF"},
      {181, "EQ Blend INSTRUMENT", 157, "Equalizer ON/OFF"},
      {182, "EQ Blend VCF", 157, "Equalizer ON/OFF"},
      {183, "VCF Cutoff Frequency (new)", 76, "VCF Cutoff Frequency (vintage)"},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.secondHalf);
    const SecondHalfPair& pair = kSecondHalfPairs[c.secondHalf - kFirstSecondHalf];
    EXPECT_EQ(pair.partner, c.partner);
    EXPECT_STREQ(kProgramValues[pair.secondHalf].param.name, c.name);
    EXPECT_STREQ(kProgramValues[pair.partner].param.name, c.partnerName);
  }
  EXPECT_EQ(kSecondHalfPairs[179 - kFirstSecondHalf].kind, FoldKind::EffectBlendInstrument);
  EXPECT_EQ(kSecondHalfPairs[182 - kFirstSecondHalf].kind, FoldKind::EffectBlendVcf);
}

// ---- FLEXI codes and lists ----

TEST(ZephraFlexiCodes, Lookups)
{
  struct Case { const char* name; int (*lookup)(int32_t); int32_t code; int position; } cases[] = {
      {"source PB wheel", FlexiSourcePosition, 103, 17},
      {"source off", FlexiSourcePosition, 0, 80},
      {"source CC 6", FlexiSourcePosition, 6, -1},
      {"source CC 19", FlexiSourcePosition, 19, 37},
      {"source CC 88", FlexiSourcePosition, 88, -1},
      {"source VCF Env.", FlexiSourcePosition, 98, 0},
      {"range off", FlexiRangePosition, 0, 0},
      {"range CC 6", FlexiRangePosition, 6, -1},
      {"range CC 10", FlexiRangePosition, 10, 14},
      {"range CC 87 below 75", FlexiRangePosition, 87, 74},
      {"range internal LFO", FlexiRangePosition, 101, -1},
  };
  for (const Case& c : cases) EXPECT_EQ(c.lookup(c.code), c.position) << c.name;
}

TEST(ZephraFlexiCodes, RepeatedCodesMapToTheirFirstPosition)
{
  for (int i = 0; i < kFlexiSourceCount; ++i)
  {
    const int first = FlexiSourcePosition(kFlexiSourceCode[i]);
    EXPECT_LE(first, i);
    for (int j = first; j <= i; ++j) EXPECT_EQ(kFlexiSourceCode[j], kFlexiSourceCode[i]) << i;
  }
  for (int i = 0; i < kFlexiRangeListCount; ++i)
  {
    const int first = FlexiRangePosition(kFlexiRangeCode[i]);
    EXPECT_LE(first, i);
    for (int j = first; j <= i; ++j) EXPECT_EQ(kFlexiRangeCode[j], kFlexiRangeCode[i]) << i;
  }
  for (int i = kFlexiRangeListCount; i < kFlexiRangeCodeCount; ++i) EXPECT_EQ(kFlexiRangeCode[i], 87);
}

TEST(ZephraFlexiCodes, SourceCodesCoverTheSynthsSources)
{
  std::set<int> internal(kFlexiSourceCode.begin(), kFlexiSourceCode.begin() + 18);
  EXPECT_EQ(internal.size(), 18u);
  EXPECT_EQ(*internal.begin(), 96);
  EXPECT_EQ(*internal.rbegin(), 113);
  std::set<int> controllers(kFlexiSourceCode.begin() + 18, kFlexiSourceCode.end() - 1);
  std::set<int> expected;
  for (int cc = 1; cc <= 31; ++cc)
    if (cc != 6) expected.insert(cc);
  for (int cc = 64; cc <= 87; ++cc) expected.insert(cc);
  expected.insert(103);  // position 18 and 19 repeat the pitch-bend wheel
  EXPECT_EQ(controllers, expected);
  EXPECT_EQ(kFlexiSourceCode[80], 0);
}

TEST(ZephraFlexiLists, ControllerTextsMatchTheirCodes)
{
  for (int i = 0; i < kFlexiSourceCount; ++i)
    if (kFlexiSourceCode[i] < 96 && kFlexiSourceCode[i] != 0)
    {
      std::string expected = Format("Midi CC %d", kFlexiSourceCode[i]);
      if (i == 45) expected += ' ';
      EXPECT_EQ(kFlexiSourceText[i], expected) << i;
    }
  for (int i = 0; i < kFlexiRangeCodeCount; ++i)
  {
    if (kFlexiRangeCode[i] < 96 && kFlexiRangeCode[i] != 0)
    {
      EXPECT_EQ(kFlexiRangeText[i], Format("Midi CC %d", kFlexiRangeCode[i])) << i;
    }
  }
  // The internal sources of the range list share the source list's names.
  for (int i = 1; i <= 5; ++i)
    EXPECT_STREQ(kFlexiRangeText[i], kFlexiSourceText[FlexiSourcePosition(kFlexiRangeCode[i])]) << i;
}

TEST(ZephraFlexiLists, TextsAtChosenPositions)
{
  struct Case { bool source; int position; const char* text; } cases[] = {
      {true, 0, "VCF Env."},        {true, 3, "Ch./Dly. LFO A"}, {true, 12, "Pink Noise"},
      {true, 16, "Aftertouch"},     {true, 17, "PB Wheel"},      {true, 19, "PB Wheel"},
      {true, 39, "Midi CC 19"},     {true, 45, "Midi CC 25 "},   {true, 79, "Midi CC 87"},
      {true, 80, " "},              {false, 0, "OFF"},           {false, 1, "Env. Follower"},
      {false, 5, "PB Wheel"},       {false, 19, "Midi CC 10"},   {false, 35, "Midi CC 25"},
      {false, 74, "Midi CC 87"},    {false, 79, "Midi CC 87"},
  };
  for (const Case& c : cases)
    EXPECT_STREQ(c.source ? kFlexiSourceText[c.position] : kFlexiRangeText[c.position], c.text)
        << (c.source ? "source " : "range ") << c.position;
}

TEST(ZephraFlexiLists, ChoicesSetTheSlotsSourceOrRangeControl)
{
  for (int list = 0; list < kFlexiOpenListCount; ++list)
  {
    SCOPED_TRACE(list);
    const FlexiListChoice& choice = kFlexiListChoices[list];
    const int slot = list % kFlexiSlotCount;
    const bool source = list < kFlexiSlotCount;
    EXPECT_EQ(choice.isSource, source);
    EXPECT_EQ(choice.listParam, 247 + 2 * slot + (source ? 0 : 1));
    const int field = source ? kFlexiSource : kFlexiRangeControl;
    EXPECT_EQ(choice.programParam - kParamOffset, kFlexiFirstIndex + kFlexiSlotSize * slot + field);
  }
}

// ---- interface parameters ----

TEST(ZephraInterfaceParams, DefinitionsAreConsistent)
{
  std::set<int> numbers;
  for (const InterfaceParamDef& def : kInterfaceParams)
  {
    SCOPED_TRACE(def.number);
    EXPECT_TRUE(numbers.insert(def.number).second);
    EXPECT_TRUE(def.number <= 2 || (def.number >= 187 && def.number < kParamCount));
    ASSERT_NE(def.name, nullptr);
    ASSERT_NE(def.label, nullptr);
    EXPECT_LT(std::strlen(def.name), 32u);
    EXPECT_LE(def.min, def.defaultValue);
    EXPECT_LE(def.defaultValue, def.max);
    EXPECT_GT(def.step, 0.0);
    if (def.kind == InterfaceParamKind::List)
    {
      EXPECT_EQ(def.min, 0.0);
      EXPECT_EQ(def.max, def.listLength - 1.0);
      EXPECT_NE(def.listTexts == nullptr, def.listTextFormat == nullptr);
    }
    else
    {
      EXPECT_EQ(def.listLength, 0);
      EXPECT_EQ(def.listTexts, nullptr);
      EXPECT_EQ(def.listTextFormat, nullptr);
    }
  }
}

TEST(ZephraInterfaceParams, SpotChecks)
{
  struct Case
  {
    int number;
    const char* name;
    InterfaceParamKind kind;
    double min, max, defaultValue, step;
    int listLength;
  } cases[] = {
      {231, "FLEXI1 Range A", InterfaceParamKind::Int, 0, 127, 0, 1, 0},
      {238, "FLEXI4 Range B", InterfaceParamKind::Int, 0, 127, 0, 1, 0},
      {249, "Flexi2 Sources", InterfaceParamKind::List, 0, 80, 0, 1, 81},
      {254, "Flexi4 Ranges", InterfaceParamKind::List, 0, 74, 0, 1, 75},
      {259, "Show Flexi1 Ranges", InterfaceParamKind::Double, 0, 1, 0, 0.001, 0},
      {265, "", InterfaceParamKind::Double, 40, 60, 40, 0.001, 0},
      {284, "HarmDist", InterfaceParamKind::Double, 0, 1, 0, 1, 0},
      {290, "PGEq", InterfaceParamKind::Int, 0, 3, 0, 1, 0},
      {211, "7 segment display", InterfaceParamKind::Int, 0, 100, 0, 1, 0},
      {292, "4 Band Paragraphic Equalizer", InterfaceParamKind::Double, 0, 1, 0, 1, 0},
      {305, "Show Fx Delay", InterfaceParamKind::Double, 0, 1, 0, 1, 0},
      {301, "ICaptionControl", InterfaceParamKind::List, 0, 98, 0, 1, 99},
      {341, "MIDI Channel", InterfaceParamKind::List, 0, 15, 0, 1, 16},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.number);
    const InterfaceParamDef* def = nullptr;
    for (const InterfaceParamDef& d : kInterfaceParams)
      if (d.number == c.number) def = &d;
    ASSERT_NE(def, nullptr);
    EXPECT_STREQ(def->name, c.name);
    EXPECT_EQ(def->kind, c.kind);
    EXPECT_EQ(def->min, c.min);
    EXPECT_EQ(def->max, c.max);
    EXPECT_EQ(def->defaultValue, c.defaultValue);
    EXPECT_EQ(def->step, c.step);
    EXPECT_EQ(def->listLength, c.listLength);
  }
}

TEST(ZephraInterfaceParams, ListTexts)
{
  for (const InterfaceParamDef& def : kInterfaceParams)
  {
    if (def.kind != InterfaceParamKind::List) continue;
    SCOPED_TRACE(def.number);
    if (def.number >= 247 && def.number <= 254)
    {
      EXPECT_EQ(def.listTexts, (def.number % 2) ? kFlexiSourceText.data() : kFlexiRangeText.data());
    }
  }
  const InterfaceParamDef& chooser = kInterfaceParams[kInterfaceParamCount - 2];
  EXPECT_STREQ(chooser.label, "label");
  EXPECT_EQ(Format(chooser.listTextFormat, 0 + 1), "01");
  EXPECT_EQ(Format(chooser.listTextFormat, 98 + 1), "99");
  const InterfaceParamDef& channel = kInterfaceParams[kInterfaceParamCount - 1];
  EXPECT_EQ(Format(channel.listTextFormat, 15 + 1), "CH:16");
}

// ---- caption texts ----

TEST(ZephraCaptionTexts, TempoDivisions)
{
  EXPECT_STREQ(kPwmLfoDivisionText[0], "1/1");
  EXPECT_STREQ(kPwmLfoDivisionText[1], "1/1");
  EXPECT_STREQ(kPwmLfoDivisionText[12], "1/16D");
  EXPECT_STREQ(kDelayDivisionText[0], "1/16D");
  EXPECT_STREQ(kDelayDivisionText[9], "1/2");
}

TEST(ZephraCaptionTexts, WordCaptions)
{
  struct Case { int programIndex, value; const char* text; } cases[] = {
      {48, -2, "-12"}, {49, 3, "24"},    {67, 2, "reset"},    {81, 1, "on"},      {82, 3, "NTC"},
      {84, 1, "24dB"}, {86, 0, "rate"}, {89, 1, "trigger"}, {90, 3, "last"}, {170, 1, "legato"},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.programIndex);
    const ValueWordCaption* words = nullptr;
    for (const ValueWordCaption& w : kValueWordCaptions)
      if (w.programIndex == c.programIndex) words = &w;
    ASSERT_NE(words, nullptr);
    EXPECT_TRUE(kProgramValues[c.programIndex].param.defined);
    // The words cover the value's whole parameter range.
    EXPECT_EQ(words->firstValue, kProgramValues[c.programIndex].param.min);
    EXPECT_EQ(words->firstValue + words->count - 1, kProgramValues[c.programIndex].param.max);
    EXPECT_STREQ(words->texts[c.value - words->firstValue], c.text);
  }
}
