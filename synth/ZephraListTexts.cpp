// The fixed texts of the value captions and the FLEXI lists. Every list is
// constant and indexed by list position or by value.
#include "synth/ZephraTables.h"

// Source list, laid out in columns of 20 rows; the repeated names fill the
// end of a column and carry the same code as the first of them.
constexpr std::array<const char*, kFlexiSourceCount> kFlexiSourceText = {{
  "VCF Env.",       // 0: code 98
  "Noise Env.",     // 1: code 99
  "LFO",            // 2: code 101
  "Ch./Dly. LFO A", // 3: code 104
  "Ch./Dly. LFO B", // 4: code 105
  "VCO3 Tri",       // 5: code 106
  "VCO3 Sqr",       // 6: code 110
  "VCO3 Saw",       // 7: code 112
  "VCO4 Tri",       // 8: code 107
  "VCO4 Sqr",       // 9: code 111
  "VCO4 Saw",       // 10: code 113
  "White Noise",    // 11: code 108
  "Pink Noise",     // 12: code 109
  "Env. Follower",  // 13: code 97
  "Accent",         // 14: code 100
  "Pitch",          // 15: code 102
  "Aftertouch",     // 16: code 96
  "PB Wheel",       // 17: code 103
  "PB Wheel",       // 18: code 103
  "PB Wheel",       // 19: code 103
  "Midi CC 1",      // 20: code 1
  "Midi CC 2",      // 21: code 2
  "Midi CC 3",      // 22: code 3
  "Midi CC 4",      // 23: code 4
  "Midi CC 5",      // 24: code 5
  "Midi CC 7",      // 25: code 7
  "Midi CC 8",      // 26: code 8
  "Midi CC 9",      // 27: code 9
  "Midi CC 10",     // 28: code 10
  "Midi CC 11",     // 29: code 11
  "Midi CC 12",     // 30: code 12
  "Midi CC 13",     // 31: code 13
  "Midi CC 14",     // 32: code 14
  "Midi CC 15",     // 33: code 15
  "Midi CC 16",     // 34: code 16
  "Midi CC 17",     // 35: code 17
  "Midi CC 18",     // 36: code 18
  "Midi CC 19",     // 37: code 19
  "Midi CC 19",     // 38: code 19
  "Midi CC 19",     // 39: code 19
  "Midi CC 20",     // 40: code 20
  "Midi CC 21",     // 41: code 21
  "Midi CC 22",     // 42: code 22
  "Midi CC 23",     // 43: code 23
  "Midi CC 24",     // 44: code 24
  "Midi CC 25 ",    // 45: code 25
  "Midi CC 26",     // 46: code 26
  "Midi CC 27",     // 47: code 27
  "Midi CC 28",     // 48: code 28
  "Midi CC 29",     // 49: code 29
  "Midi CC 30",     // 50: code 30
  "Midi CC 31",     // 51: code 31
  "Midi CC 64",     // 52: code 64
  "Midi CC 65",     // 53: code 65
  "Midi CC 66",     // 54: code 66
  "Midi CC 67",     // 55: code 67
  "Midi CC 68",     // 56: code 68
  "Midi CC 69",     // 57: code 69
  "Midi CC 69",     // 58: code 69
  "Midi CC 69",     // 59: code 69
  "Midi CC 70",     // 60: code 70
  "Midi CC 71",     // 61: code 71
  "Midi CC 72",     // 62: code 72
  "Midi CC 73",     // 63: code 73
  "Midi CC 74",     // 64: code 74
  "Midi CC 75",     // 65: code 75
  "Midi CC 76",     // 66: code 76
  "Midi CC 77",     // 67: code 77
  "Midi CC 78",     // 68: code 78
  "Midi CC 79",     // 69: code 79
  "Midi CC 80",     // 70: code 80
  "Midi CC 81",     // 71: code 81
  "Midi CC 82",     // 72: code 82
  "Midi CC 83",     // 73: code 83
  "Midi CC 84",     // 74: code 84
  "Midi CC 85",     // 75: code 85
  "Midi CC 86",     // 76: code 86
  "Midi CC 87",     // 77: code 87
  "Midi CC 87",     // 78: code 87
  "Midi CC 87",     // 79: code 87
  " ",              // 80: code 0
}};

// Range-control list; the list parameters offer positions 0..74 only.
constexpr std::array<const char*, kFlexiRangeCodeCount> kFlexiRangeText = {{
  "OFF",           // 0: code 0
  "Env. Follower", // 1: code 97
  "Accent",        // 2: code 100
  "Pitch",         // 3: code 102
  "Aftertouch",    // 4: code 96
  "PB Wheel",      // 5: code 103
  "Midi CC 1",     // 6: code 1
  "Midi CC 2",     // 7: code 2
  "Midi CC 3",     // 8: code 3
  "Midi CC 4",     // 9: code 4
  "Midi CC 5",     // 10: code 5
  "Midi CC 7",     // 11: code 7
  "Midi CC 8",     // 12: code 8
  "Midi CC 9",     // 13: code 9
  "Midi CC 10",    // 14: code 10
  "Midi CC 10",    // 15: code 10
  "Midi CC 10",    // 16: code 10
  "Midi CC 10",    // 17: code 10
  "Midi CC 10",    // 18: code 10
  "Midi CC 10",    // 19: code 10
  "Midi CC 11",    // 20: code 11
  "Midi CC 12",    // 21: code 12
  "Midi CC 13",    // 22: code 13
  "Midi CC 14",    // 23: code 14
  "Midi CC 15",    // 24: code 15
  "Midi CC 16",    // 25: code 16
  "Midi CC 17",    // 26: code 17
  "Midi CC 18",    // 27: code 18
  "Midi CC 19",    // 28: code 19
  "Midi CC 20",    // 29: code 20
  "Midi CC 21",    // 30: code 21
  "Midi CC 22",    // 31: code 22
  "Midi CC 23",    // 32: code 23
  "Midi CC 24",    // 33: code 24
  "Midi CC 25",    // 34: code 25
  "Midi CC 25",    // 35: code 25
  "Midi CC 25",    // 36: code 25
  "Midi CC 25",    // 37: code 25
  "Midi CC 25",    // 38: code 25
  "Midi CC 25",    // 39: code 25
  "Midi CC 26",    // 40: code 26
  "Midi CC 27",    // 41: code 27
  "Midi CC 28",    // 42: code 28
  "Midi CC 29",    // 43: code 29
  "Midi CC 30",    // 44: code 30
  "Midi CC 31",    // 45: code 31
  "Midi CC 64",    // 46: code 64
  "Midi CC 65",    // 47: code 65
  "Midi CC 66",    // 48: code 66
  "Midi CC 67",    // 49: code 67
  "Midi CC 68",    // 50: code 68
  "Midi CC 69",    // 51: code 69
  "Midi CC 70",    // 52: code 70
  "Midi CC 71",    // 53: code 71
  "Midi CC 72",    // 54: code 72
  "Midi CC 72",    // 55: code 72
  "Midi CC 72",    // 56: code 72
  "Midi CC 72",    // 57: code 72
  "Midi CC 72",    // 58: code 72
  "Midi CC 72",    // 59: code 72
  "Midi CC 73",    // 60: code 73
  "Midi CC 74",    // 61: code 74
  "Midi CC 75",    // 62: code 75
  "Midi CC 76",    // 63: code 76
  "Midi CC 77",    // 64: code 77
  "Midi CC 78",    // 65: code 78
  "Midi CC 79",    // 66: code 79
  "Midi CC 80",    // 67: code 80
  "Midi CC 81",    // 68: code 81
  "Midi CC 82",    // 69: code 82
  "Midi CC 83",    // 70: code 83
  "Midi CC 84",    // 71: code 84
  "Midi CC 85",    // 72: code 85
  "Midi CC 86",    // 73: code 86
  "Midi CC 87",    // 74: code 87
  "Midi CC 87",    // 75: code 87
  "Midi CC 87",    // 76: code 87
  "Midi CC 87",    // 77: code 87
  "Midi CC 87",    // 78: code 87
  "Midi CC 87",    // 79: code 87
}};

// VCO4 PWM LFO rate (index 42) while MIDI Sync is 1.
constexpr std::array<const char*, kPwmLfoDivisionCount> kPwmLfoDivisionText = {{
  "1/1",   // 0
  "1/1",   // 1
  "1/2",   // 2
  "1/4",   // 3
  "1/8",   // 4
  "1/16",  // 5
  "1/32",  // 6
  "1/4T",  // 7
  "1/8T",  // 8
  "1/16T", // 9
  "1/4D",  // 10
  "1/8D",  // 11
  "1/16D", // 12
}};

// Delay times 1 and 2 (indices 135, 139) while they follow the tempo.
constexpr std::array<const char*, kDelayDivisionCount> kDelayDivisionText = {{
  "1/16D", // 0
  "1/8D",  // 1
  "1/4D",  // 2
  "1/16T", // 3
  "1/8T",  // 4
  "1/4T",  // 5
  "1/16",  // 6
  "1/8",   // 7
  "1/4",   // 8
  "1/2",   // 9
}};

// Voice 2 and 3 transposition (48, 49) in semitones, values -2..3.
constexpr std::array<const char*, 6> kTranspositionText = {{"-12", "-5", "7", "12", "19", "24"}};
// Envelope Mode (67).
constexpr std::array<const char*, 3> kEnvelopeModeText = {{"vintage", "restart", "reset"}};
// VCF modulation pitch follow (81).
constexpr std::array<const char*, 2> kPitchFollowText = {{"off", "on"}};
// VCF type (82).
constexpr std::array<const char*, 5> kVcfTypeText = {{"LPF", "HPF", "BPF", "NTC", "OFF"}};
// VCF slope (84).
constexpr std::array<const char*, 2> kVcfSlopeText = {{"12dB", "24dB"}};
// portamento slope (86).
constexpr std::array<const char*, 2> kPortamentoSlopeText = {{"rate", "time"}};
// trig/gate mode (89).
constexpr std::array<const char*, 2> kTrigModeText = {{"gate", "trigger"}};
// key priority (90).
constexpr std::array<const char*, 4> kKeyPriorityText = {{"lower", "upper", "first", "last"}};
// portamento mode (170).
constexpr std::array<const char*, 2> kPortamentoModeText = {{"always", "legato"}};
// VCF vintage/new (75).
constexpr std::array<const char*, 2> kFilterKindText = {{"vintage", "new"}};
// MIDI Sync (124): what follows the MIDI clock.
constexpr std::array<const char*, 4> kMidiSyncText = {{"off", "LFO4", "delay1", "delay1+2"}};
// The overdrive and equaliser blends (179..182).
constexpr std::array<const char*, 2> kBlendText = {{"off", "on"}};

namespace {

// A missing row would leave a null entry at the end of its list.
template <class T, std::size_t N>
constexpr bool AllSet(const std::array<T, N>& list)
{
  for (const T& entry : list)
    if (!entry) return false;
  return true;
}
static_assert(AllSet(kFlexiSourceText) && AllSet(kFlexiRangeText), "FLEXI list rows");
static_assert(AllSet(kPwmLfoDivisionText) && AllSet(kDelayDivisionText), "tempo division rows");

template <std::size_t N>
constexpr ValueWordCaption Words(EParam param, int32_t firstValue,
                                 const std::array<const char*, N>& texts)
{
  return {ProgramIndex(param), firstValue, texts.data(), static_cast<int32_t>(N)};
}

}  // namespace

constexpr std::array<ValueWordCaption, kValueWordCaptionCount> kValueWordCaptions = {{
  Words(kParamVoice2Transposition, -2, kTranspositionText),
  Words(kParamVoice3Transposition, -2, kTranspositionText),
  Words(kParamEnvelopeMode, 0, kEnvelopeModeText),
  Words(kParamVcfModPitchFollow, 0, kPitchFollowText),
  Words(kParamVcfType, 0, kVcfTypeText),
  Words(kParamVcfSlope, 0, kVcfSlopeText),
  Words(kParamPortamentoSlope, 0, kPortamentoSlopeText),
  Words(kParamTrigGateMode, 0, kTrigModeText),
  Words(kParamKeyPriority, 0, kKeyPriorityText),
  Words(kParamPortamentoMode, 0, kPortamentoModeText),
  Words(kParamVcfVintageNew, 0, kFilterKindText),
  Words(kParamMidiSync, 0, kMidiSyncText),
  Words(kParamOdBlendInstrument, 0, kBlendText),
  Words(kParamOdBlendVcf, 0, kBlendText),
  Words(kParamEqBlendInstrument, 0, kBlendText),
  Words(kParamEqBlendVcf, 0, kBlendText),
}};

static_assert(kValueWordCaptions[kValueWordCaptionCount - 1].texts != nullptr, "word caption rows");
