// The FLEXI source-code tables and their reverse lookups, the second-half
// pairs, the FLEXI list choices and the interface parameter definitions.
#include "synth/ZephraTables.h"

#include <iterator>

namespace {

template <class T, std::size_t N>
constexpr std::array<T, N> ToArray(const T (&rows)[N])
{
  std::array<T, N> out{};
  for (std::size_t i = 0; i < N; ++i) out[i] = rows[i];
  return out;
}

// Synth code of each source list position, with the position's name.
constexpr int32_t kSourceCodeRows[] = {
  98,   // 0 VCF Env.
  99,   // 1 Noise Env.
  101,  // 2 LFO
  104,  // 3 Ch./Dly. LFO A
  105,  // 4 Ch./Dly. LFO B
  106,  // 5 VCO3 Tri
  110,  // 6 VCO3 Sqr
  112,  // 7 VCO3 Saw
  107,  // 8 VCO4 Tri
  111,  // 9 VCO4 Sqr
  113,  // 10 VCO4 Saw
  108,  // 11 White Noise
  109,  // 12 Pink Noise
  97,   // 13 Env. Follower
  100,  // 14 Accent
  102,  // 15 Pitch
  96,   // 16 Aftertouch
  103,  // 17 PB Wheel
  103,  // 18 PB Wheel
  103,  // 19 PB Wheel
  1,    // 20 Midi CC 1
  2,    // 21 Midi CC 2
  3,    // 22 Midi CC 3
  4,    // 23 Midi CC 4
  5,    // 24 Midi CC 5
  7,    // 25 Midi CC 7
  8,    // 26 Midi CC 8
  9,    // 27 Midi CC 9
  10,   // 28 Midi CC 10
  11,   // 29 Midi CC 11
  12,   // 30 Midi CC 12
  13,   // 31 Midi CC 13
  14,   // 32 Midi CC 14
  15,   // 33 Midi CC 15
  16,   // 34 Midi CC 16
  17,   // 35 Midi CC 17
  18,   // 36 Midi CC 18
  19,   // 37 Midi CC 19
  19,   // 38 Midi CC 19
  19,   // 39 Midi CC 19
  20,   // 40 Midi CC 20
  21,   // 41 Midi CC 21
  22,   // 42 Midi CC 22
  23,   // 43 Midi CC 23
  24,   // 44 Midi CC 24
  25,   // 45 Midi CC 25
  26,   // 46 Midi CC 26
  27,   // 47 Midi CC 27
  28,   // 48 Midi CC 28
  29,   // 49 Midi CC 29
  30,   // 50 Midi CC 30
  31,   // 51 Midi CC 31
  64,   // 52 Midi CC 64
  65,   // 53 Midi CC 65
  66,   // 54 Midi CC 66
  67,   // 55 Midi CC 67
  68,   // 56 Midi CC 68
  69,   // 57 Midi CC 69
  69,   // 58 Midi CC 69
  69,   // 59 Midi CC 69
  70,   // 60 Midi CC 70
  71,   // 61 Midi CC 71
  72,   // 62 Midi CC 72
  73,   // 63 Midi CC 73
  74,   // 64 Midi CC 74
  75,   // 65 Midi CC 75
  76,   // 66 Midi CC 76
  77,   // 67 Midi CC 77
  78,   // 68 Midi CC 78
  79,   // 69 Midi CC 79
  80,   // 70 Midi CC 80
  81,   // 71 Midi CC 81
  82,   // 72 Midi CC 82
  83,   // 73 Midi CC 83
  84,   // 74 Midi CC 84
  85,   // 75 Midi CC 85
  86,   // 76 Midi CC 86
  87,   // 77 Midi CC 87
  87,   // 78 Midi CC 87
  87,   // 79 Midi CC 87
  0,    // 80 (off)
};
static_assert(std::size(kSourceCodeRows) == kFlexiSourceCount, "one code per source position");

// Synth code of each range-control list position, with the position's name.
constexpr int32_t kRangeCodeRows[] = {
  0,    // 0 OFF
  97,   // 1 Env. Follower
  100,  // 2 Accent
  102,  // 3 Pitch
  96,   // 4 Aftertouch
  103,  // 5 PB Wheel
  1,    // 6 Midi CC 1
  2,    // 7 Midi CC 2
  3,    // 8 Midi CC 3
  4,    // 9 Midi CC 4
  5,    // 10 Midi CC 5
  7,    // 11 Midi CC 7
  8,    // 12 Midi CC 8
  9,    // 13 Midi CC 9
  10,   // 14 Midi CC 10
  10,   // 15 Midi CC 10
  10,   // 16 Midi CC 10
  10,   // 17 Midi CC 10
  10,   // 18 Midi CC 10
  10,   // 19 Midi CC 10
  11,   // 20 Midi CC 11
  12,   // 21 Midi CC 12
  13,   // 22 Midi CC 13
  14,   // 23 Midi CC 14
  15,   // 24 Midi CC 15
  16,   // 25 Midi CC 16
  17,   // 26 Midi CC 17
  18,   // 27 Midi CC 18
  19,   // 28 Midi CC 19
  20,   // 29 Midi CC 20
  21,   // 30 Midi CC 21
  22,   // 31 Midi CC 22
  23,   // 32 Midi CC 23
  24,   // 33 Midi CC 24
  25,   // 34 Midi CC 25
  25,   // 35 Midi CC 25
  25,   // 36 Midi CC 25
  25,   // 37 Midi CC 25
  25,   // 38 Midi CC 25
  25,   // 39 Midi CC 25
  26,   // 40 Midi CC 26
  27,   // 41 Midi CC 27
  28,   // 42 Midi CC 28
  29,   // 43 Midi CC 29
  30,   // 44 Midi CC 30
  31,   // 45 Midi CC 31
  64,   // 46 Midi CC 64
  65,   // 47 Midi CC 65
  66,   // 48 Midi CC 66
  67,   // 49 Midi CC 67
  68,   // 50 Midi CC 68
  69,   // 51 Midi CC 69
  70,   // 52 Midi CC 70
  71,   // 53 Midi CC 71
  72,   // 54 Midi CC 72
  72,   // 55 Midi CC 72
  72,   // 56 Midi CC 72
  72,   // 57 Midi CC 72
  72,   // 58 Midi CC 72
  72,   // 59 Midi CC 72
  73,   // 60 Midi CC 73
  74,   // 61 Midi CC 74
  75,   // 62 Midi CC 75
  76,   // 63 Midi CC 76
  77,   // 64 Midi CC 77
  78,   // 65 Midi CC 78
  79,   // 66 Midi CC 79
  80,   // 67 Midi CC 80
  81,   // 68 Midi CC 81
  82,   // 69 Midi CC 82
  83,   // 70 Midi CC 83
  84,   // 71 Midi CC 84
  85,   // 72 Midi CC 85
  86,   // 73 Midi CC 86
  87,   // 74 Midi CC 87
  87,   // 75 Midi CC 87
  87,   // 76 Midi CC 87
  87,   // 77 Midi CC 87
  87,   // 78 Midi CC 87
  87,   // 79 Midi CC 87
};
static_assert(std::size(kRangeCodeRows) == kFlexiRangeCodeCount, "one code per range position");

}  // namespace

constexpr std::array<int32_t, kFlexiSourceCount> kFlexiSourceCode = ToArray(kSourceCodeRows);
constexpr std::array<int32_t, kFlexiRangeCodeCount> kFlexiRangeCode = ToArray(kRangeCodeRows);

// ---- reverse lookups ----

int FlexiSourcePosition(int32_t code)
{
  for (int position = 0; position < kFlexiSourceCount; ++position)
    if (kFlexiSourceCode[position] == code) return position;
  return -1;
}

int FlexiRangePosition(int32_t code)
{
  for (int position = 0; position < kFlexiRangeListCount; ++position)
    if (kFlexiRangeCode[position] == code) return position;
  return -1;
}

// ---- second halves ----

namespace {

constexpr SecondHalfPair Pair(EParam secondHalf, EParam partner, FoldKind kind)
{
  return {ProgramIndex(secondHalf), ProgramIndex(partner), kind};
}

}  // namespace

constexpr std::array<SecondHalfPair, kSecondHalfCount> kSecondHalfPairs = {{
  Pair(kParamPortamentoMode, kParamTrigGateMode, FoldKind::TwoState),
  Pair(kParamFlexi1Mode, kParamFlexi1Bits, FoldKind::TwoState),
  Pair(kParamFlexi1RangeControlPolarity, kParamFlexi1RangePolarity, FoldKind::TwoState),
  Pair(kParamFlexi2Mode, kParamFlexi2Bits, FoldKind::TwoState),
  Pair(kParamFlexi2RangeControlPolarity, kParamFlexi2RangePolarity, FoldKind::TwoState),
  Pair(kParamFlexi3Mode, kParamFlexi3Bits, FoldKind::TwoState),
  Pair(kParamFlexi3RangeControlPolarity, kParamFlexi3RangePolarity, FoldKind::TwoState),
  Pair(kParamFlexi4Mode, kParamFlexi4Bits, FoldKind::TwoState),
  Pair(kParamFlexi4RangeControlPolarity, kParamFlexi4RangePolarity, FoldKind::TwoState),
  Pair(kParamOdBlendInstrument, kParamOverdriveOnOff, FoldKind::EffectBlendInstrument),
  Pair(kParamOdBlendVcf, kParamOverdriveOnOff, FoldKind::EffectBlendVcf),
  Pair(kParamEqBlendInstrument, kParamEqualizerOnOff, FoldKind::EffectBlendInstrument),
  Pair(kParamEqBlendVcf, kParamEqualizerOnOff, FoldKind::EffectBlendVcf),
  Pair(kParamVcfCutoffNew, kParamVcfCutoffVintage, FoldKind::Cutoff),
}};

namespace {

constexpr bool SecondHalvesInOrder()
{
  for (int i = 0; i < kSecondHalfCount; ++i)
    if (kSecondHalfPairs[i].secondHalf != kFirstSecondHalf + i) return false;
  return true;
}
static_assert(SecondHalvesInOrder(), "second halves 170..183 in order");

}  // namespace

// ---- FLEXI list choices ----

constexpr std::array<FlexiListChoice, kFlexiOpenListCount> kFlexiListChoices = {{
  {kParamFlexi1Sources, kParamFlexi1Source, true},
  {kParamFlexi2Sources, kParamFlexi2Source, true},
  {kParamFlexi3Sources, kParamFlexi3Source, true},
  {kParamFlexi4Sources, kParamFlexi4Source, true},
  {kParamFlexi1Ranges, kParamFlexi1RangeControl, false},
  {kParamFlexi2Ranges, kParamFlexi2RangeControl, false},
  {kParamFlexi3Ranges, kParamFlexi3RangeControl, false},
  {kParamFlexi4Ranges, kParamFlexi4RangeControl, false},
}};

// ---- interface parameters ----

namespace {

constexpr InterfaceParamDef IntParam(int32_t number, const char* name, int32_t min, int32_t max)
{
  return {number, name, InterfaceParamKind::Int, double(min), double(max), 0.0, 1.0, 0, "", nullptr, nullptr};
}

// Where no step is given the new-parameter step of 1 stays.
constexpr InterfaceParamDef DoubleParam(int32_t number, const char* name, double min, double max,
                                        double defaultValue = 0.0, double step = 1.0)
{
  return {number, name, InterfaceParamKind::Double, min, max, defaultValue, step, 0, "", nullptr, nullptr};
}

constexpr InterfaceParamDef ListParam(int32_t number, const char* name, int32_t length,
                                      const char* const* texts, const char* format,
                                      const char* label = "")
{
  return {number, name, InterfaceParamKind::List, 0.0, double(length - 1), 0.0, 1.0,
          length, label, texts, format};
}

constexpr double kListPageStep = 0.001;

}  // namespace

constexpr std::array<InterfaceParamDef, kInterfaceParamCount> kInterfaceParams = {{
  // Range controls of the FLEXI slots, two per slot.
  IntParam(kParamFlexi1RangeA, "FLEXI1 Range A", 0, 127),
  IntParam(kParamFlexi1RangeB, "FLEXI1 Range B", 0, 127),
  IntParam(kParamFlexi2RangeA, "FLEXI2 Range A", 0, 127),
  IntParam(kParamFlexi2RangeB, "FLEXI2 Range B", 0, 127),
  IntParam(kParamFlexi3RangeA, "FLEXI3 Range A", 0, 127),
  IntParam(kParamFlexi3RangeB, "FLEXI3 Range B", 0, 127),
  IntParam(kParamFlexi4RangeA, "FLEXI4 Range A", 0, 127),
  IntParam(kParamFlexi4RangeB, "FLEXI4 Range B", 0, 127),
  // Section check boxes 1..8 of the random and reset actions; the four
  // FLEXI boxes keep the new-parameter definition.
  DoubleParam(kParamSectionVco1, "VCO1", 0, 1),
  DoubleParam(kParamSectionVco2, "VCO2", 0, 1),
  DoubleParam(kParamSectionVco3, "VCO3", 0, 1),
  DoubleParam(kParamSectionVco4, "VCO4", 0, 1),
  DoubleParam(kParamSectionFilter, "Filter", 0, 1),
  DoubleParam(kParamSectionEnvLfo, "EnvLFO", 0, 1),
  DoubleParam(kParamSectionHarmDist, "HarmDist", 0, 1),
  DoubleParam(kParamSectionEffect, "Effect", 0, 1),
  // Band handle of the paragraphic EQ graph.
  IntParam(kParamPgEq, "PGEq", 0, 3),
  // Number display; the program transfer shows the location received in it.
  IntParam(kParamSevenSegmentDisplay, "7 segment display", 0, 100),
  // EQ view switches.
  DoubleParam(kParamParametricEqView, "4 Band Parametric Equalizer", 0, 1),
  DoubleParam(kParamParagraphicEqView, "4 Band Paragraphic Equalizer", 0, 1),
  // Which effect panel is shown.
  DoubleParam(kParamShowFxOverdrive, "Show Fx Overdrive", 0, 1),
  DoubleParam(kParamShowFxEqualizer, "Show Fx Equalizer", 0, 1),
  DoubleParam(kParamShowFxChorus, "Show Fx Chorus", 0, 1),
  DoubleParam(kParamShowFxDelay, "Show Fx Delay", 0, 1),
  // Position of each slot's SOURCE in kFlexiSourceCode.
  ListParam(kParamFlexi1Sources, "Flexi1 Sources", kFlexiSourceCount, kFlexiSourceText.data(), nullptr),
  ListParam(kParamFlexi2Sources, "Flexi2 Sources", kFlexiSourceCount, kFlexiSourceText.data(), nullptr),
  ListParam(kParamFlexi3Sources, "Flexi3 Sources", kFlexiSourceCount, kFlexiSourceText.data(), nullptr),
  ListParam(kParamFlexi4Sources, "Flexi4 Sources", kFlexiSourceCount, kFlexiSourceText.data(), nullptr),
  // Position of each slot's RANGE CONTROL in kFlexiRangeCode.
  ListParam(kParamFlexi1Ranges, "Flexi1 Ranges", kFlexiRangeListCount, kFlexiRangeText.data(), nullptr),
  ListParam(kParamFlexi2Ranges, "Flexi2 Ranges", kFlexiRangeListCount, kFlexiRangeText.data(), nullptr),
  ListParam(kParamFlexi3Ranges, "Flexi3 Ranges", kFlexiRangeListCount, kFlexiRangeText.data(), nullptr),
  ListParam(kParamFlexi4Ranges, "Flexi4 Ranges", kFlexiRangeListCount, kFlexiRangeText.data(), nullptr),
  // Buttons that open a slot's source or range list.
  DoubleParam(kParamShowFlexi1Sources, "Show Flexi1 Sources", 0, 1, 0, kListPageStep),
  DoubleParam(kParamShowFlexi2Sources, "Show Flexi2 Sources", 0, 1, 0, kListPageStep),
  DoubleParam(kParamShowFlexi3Sources, "Show Flexi3 Sources", 0, 1, 0, kListPageStep),
  DoubleParam(kParamShowFlexi4Sources, "Show Flexi4 Sources", 0, 1, 0, kListPageStep),
  DoubleParam(kParamShowFlexi1Ranges, "Show Flexi1 Ranges", 0, 1, 0, kListPageStep),
  DoubleParam(kParamShowFlexi2Ranges, "Show Flexi2 Ranges", 0, 1, 0, kListPageStep),
  DoubleParam(kParamShowFlexi3Ranges, "Show Flexi3 Ranges", 0, 1, 0, kListPageStep),
  DoubleParam(kParamShowFlexi4Ranges, "Show Flexi4 Ranges", 0, 1, 0, kListPageStep),
  // The four pages of the open list, 20 positions each.
  DoubleParam(kParamListPage1, "", 0, 20, 0, kListPageStep),
  DoubleParam(kParamListPage2, "", 20, 40, 20, kListPageStep),
  DoubleParam(kParamListPage3, "", 40, 60, 40, kListPageStep),
  DoubleParam(kParamListPage4, "", 60, 80, 60, kListPageStep),
  DoubleParam(kParamCloseListView, "Close List View", 0, 1),
  // Program-number chooser, 01..99.
  ListParam(kParamProgramNumber, "ICaptionControl", 99, nullptr, kProgramNumberFormat, "label"),
  // Channel of the on-screen keyboard's notes, CH:1..CH:16.
  ListParam(kParamMidiChannel, "MIDI Channel", 16, nullptr, kMidiChannelFormat),
}};

static_assert(kInterfaceParams[kInterfaceParamCount - 1].number == kParamMidiChannel, "interface rows");
