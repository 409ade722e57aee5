// The synth's constant tables: the 184 program values with their parameters,
// ranges, NRPN addresses, default and INIT programs and panel positions; the
// FLEXI source codes; the interface parameters; the fixed caption texts.
//
// A synth program is 184 signed 32-bit values, the program indices 0..183.
// Program index p is bound to parameter p + 3 of the plug-in; parameters 0..2
// and 187..341 drive the interface only. Values are the synth's own signed
// values (for example -24..48 for a coarse tuning), not MIDI wire bytes.
//
// All tables are constant-initialised, so they may be read during the static
// initialisation of other files.
//
// Index of this header:
//   ---- sizes and fixed indices ----
//   ---- program values ----
//   ---- second halves ----
//   ---- FLEXI slots and source codes ----
//   ---- interface parameters ----
//   ---- caption texts ----
#pragma once

#include "synth/ZephraParams.h"

#include <array>
#include <cstddef>
#include <cstdint>

// ---- sizes and fixed indices ----

constexpr int kProgramNameLength = 32; // characters of a program name

// The NRPN tables run past the program: entry 184 stands for "no index sent
// yet" and 185..187 are zero.
constexpr int kNrpnTableSize = 188;
constexpr int kNrpnNoneSent = 184;

// Spare indices: no parameter definition and no single-value NRPN address.
// 125..127 have range 0..0 and are never sent; 147..156 have range 0..127
// and travel only in whole-program sends and dumps.
constexpr int kFirstSpareLow = ProgramIndex(kParamSpare128), kLastSpareLow = ProgramIndex(kParamSpare130);
constexpr int kFirstSpareHigh = ProgramIndex(kParamSpare150), kLastSpareHigh = ProgramIndex(kParamSpare159);

// The first 170 indices are the value lines of a program file; 170..183 are
// second halves that live folded into a partner index.
constexpr int kFileValueCount = 170;

// ---- program values ----

// The definition the constructor gives parameter p + 3: an integer parameter
// min..max starting at defaultValue. Spare indices have defined == false,
// an empty name and zero range; their parameters keep the new-parameter
// definition. A partner of a two-state second half is defined 0..1 here even
// though its program range is the folded 0..3.
struct ProgramParamDef
{
  int32_t number;       // parameter number, always program index + 3
  const char* name;     // the synth's own name, never null; index 78's has
                        // 32 characters, of which the parameter keeps 31
  bool defined;
  int32_t min;
  int32_t max;
  int32_t defaultValue;
};

// One program index with every per-index property.
struct ProgramValueRow
{
  ProgramParamDef param;
  int32_t min;            // synth range; composite partners folded (0..3)
  int32_t max;
  int32_t nrpnMsb;        // 5 or 6; 0 for the spare indices
  uint8_t nrpnLsb;        // a second half carries its partner's address
  int32_t defaultProgram; // record encoding, see kDefaultProgram
  int32_t initSound;
  int32_t layoutX;        // unscaled pixels on the 1140-pixel-wide classic panel
  int32_t layoutY;        // 0, 0 where the value has no control of its own there
};

// The whole table, one row per program index. The per-index arrays below are
// its columns, kept as separate names because the protocol code indexes them.
extern const std::array<ProgramValueRow, kProgramSize> kProgramValues;

// Synth range of each index. Two-state partners (89, 96, 98, 103, 105, 110,
// 112, 117, 119) and the effect switches 144 and 157 hold their folded range
// 0..3. Used by random sounds, MIDI learn, the FLEXI range controls, dump
// conversion and the wire offset (-min when min is negative).
extern const std::array<int32_t, kProgramSize> kProgramMin;
extern const std::array<int32_t, kProgramSize> kProgramMax;

// NRPN address of each index for single-value sends: MSB 5 or 6 (0 for the
// spare indices), LSB p for 0..124 and p - 128 for the defined 128..169.
// Second halves repeat their partner's address. Entry 184 is MSB 10 / LSB 1,
// so that the first send after start-up always carries a full address.
// kNrpnLsb doubles as the undo group key.
extern const std::array<int32_t, kNrpnTableSize> kNrpnMsb;
extern const std::array<uint8_t, kNrpnTableSize> kNrpnLsb;

// The default program in record encoding: index 75 is 1 (new filter) and
// index 76 carries the new filter's cutoff 122, outside the vintage range of
// index 76 itself; index 183 is 0 and unused. Filler for short or old files.
extern const std::array<int32_t, kProgramSize> kDefaultProgram;

// The INIT sound of the reset action: index 75 is 1, index 76 is 0 and index
// 183 (the new cutoff parameter) is 36.
extern const std::array<int32_t, kProgramSize> kInitSound;

// Position of each value's control on the classic panel, unscaled window
// pixels. The FLEXI range controls are placed from their target's position.
extern const std::array<int32_t, kProgramSize> kEditorLayoutX;
extern const std::array<int32_t, kProgramSize> kEditorLayoutY;

// ---- second halves ----

// How a second half is folded into its partner in the program record, files,
// dumps and NRPN data.
enum class FoldKind : uint8_t
{
  TwoState,              // partner = partner + 2 * second (partner range 0..3)
  EffectBlendInstrument, // bit 0 of an effect switch while the effect is on
  EffectBlendVcf,        // bit 1 of an effect switch while the effect is on
  Cutoff,                // index 76 holds this value while index 75 is 1
};

struct SecondHalfPair
{
  int32_t secondHalf; // program index 170..183
  int32_t partner;    // program index that carries it
  FoldKind kind;
};

constexpr int kFirstSecondHalf = ProgramIndex(kParamPortamentoMode);
constexpr int kSecondHalfCount = 14;

// Indices 170..183 in order. The constructor defines each second half's
// parameter right after its partner's, and the new cutoff (186) right after
// the vintage one (79).
extern const std::array<SecondHalfPair, kSecondHalfCount> kSecondHalfPairs;

// The two effects whose switch carries both blends folded: the switch, its
// blends, and the last of the effect's own values after the switch.
struct EffectBlends
{
  EParam onOff;
  EParam blendInstrument;
  EParam blendVcf;
  EParam last;
};
constexpr EffectBlends kEffectBlends[] = {
  {kParamOverdriveOnOff, kParamOdBlendInstrument, kParamOdBlendVcf, kParamOverdriveLevel},
  {kParamEqualizerOnOff, kParamEqBlendInstrument, kParamEqBlendVcf, kParamTrebleBoost},
};

// ---- FLEXI slots and source codes ----

// Four modulation slots of seven consecutive indices from 95 + 7 * slot.
// A slot's target is (BITS & 1) * 128 + DESTINATION; a SOURCE of 0 means none.
constexpr int kFlexiSlotCount = 4;
constexpr int kFlexiSlotSize = 7;
constexpr int kFlexiFirstIndex = ProgramIndex(kParamFlexi1Source);
enum FlexiField
{
  kFlexiSource = 0,
  kFlexiBits = 1,
  kFlexiDestination = 2,
  kFlexiRangePolarity = 3,
  kFlexiRange = 4,
  kFlexiRangeControl = 5,
  kFlexiCurve = 6,
};

constexpr int kFlexiSourceCount = 81;     // source list positions 0..80
constexpr int kFlexiRangeCodeCount = 80;  // range-control table entries
constexpr int kFlexiRangeListCount = 75;  // range-control positions in use, 0..74

// Synth source code of each source list position. Positions 0..17 are the
// synth's internal sources (codes 96..113), then MIDI controllers 1..31
// without 6 (which carries NRPN data) and 64..87; position 80 is code 0, off.
// Repeated codes pad the ends of the 20-row list columns.
extern const std::array<int32_t, kFlexiSourceCount> kFlexiSourceCode;

// Synth source code of each range-control list position. Position 0 is off;
// positions 75..79 repeat code 87 and are never offered.
extern const std::array<int32_t, kFlexiRangeCodeCount> kFlexiRangeCode;

// List position of a synth source code: the first position holding it, or -1
// when no position does (the caller then leaves its list parameter alone).
// The range search covers positions 0..74 only.
int FlexiSourcePosition(int32_t code);
int FlexiRangePosition(int32_t code);

// What a choice in the open FLEXI list sets: the list parameter takes the
// position, the program value's parameter takes the code. Open lists 0..3
// are the four sources, 4..7 the four range controls.
struct FlexiListChoice
{
  int32_t listParam;    // 247..254
  int32_t programParam; // the slot's SOURCE or RANGE CONTROL parameter
  bool isSource;        // code from kFlexiSourceCode, else kFlexiRangeCode
};
constexpr int kFlexiOpenListCount = 8;
extern const std::array<FlexiListChoice, kFlexiOpenListCount> kFlexiListChoices;

// ---- interface parameters ----

enum class InterfaceParamKind : uint8_t
{
  Int,    // integer min..max, step 1
  Double, // min..max with the given step
  List,   // listLength entries, positions 0..listLength - 1
};

// The interface parameters that get a definition of their own; all others
// keep the new-parameter definition (0..1, step 1, default 0). A list's
// display texts are either a fixed text array (listTexts, listLength
// entries) or listTextFormat printed with position + 1.
struct InterfaceParamDef
{
  int32_t number;
  const char* name;  // never null; the list-page parameters have ""
  InterfaceParamKind kind;
  double min;
  double max;
  double defaultValue;
  double step;
  int32_t listLength;          // List only, else 0
  const char* label;           // never null
  const char* const* listTexts; // or nullptr
  const char* listTextFormat;   // or nullptr
};

// The rows in the constructor's definition order. The "FLEXIn MODE"
// parameters (174, 176, 178, 180) are defined a second time between the
// effect-view switches and the source lists with their program definition;
// that repeat changes nothing and is not listed. The source and range lists
// are first made unnamed integer parameters and then redefined as lists.
constexpr int kInterfaceParamCount = 47;
extern const std::array<InterfaceParamDef, kInterfaceParamCount> kInterfaceParams;

// The two range controls of FLEXI slot s are kParamFlexi1RangeA + 2 * s and
// the one after; re-initialised to the range of the slot's target they get
// this name.
constexpr const char* kFlexiRangeRetargetName = "Flexi Range";

// ---- caption texts ----

// Caption formats of the value captions.
constexpr const char* kCaptionNumberFormat = "%d";    // the plain value
constexpr const char* kCaptionHertzFormat = "%.2fHz"; // LFO rates (91, 132, 133)
constexpr const char* kCaptionMsFormat = "%dms";      // delay times (135, 139)
constexpr const char* kVcf2OffText = "off";           // 2nd VCF cutoff (77) at 0
// Display texts of the program-number chooser (301) and the keyboard channel
// list (341), printed with position + 1.
constexpr const char* kProgramNumberFormat = "%02d";
constexpr const char* kMidiChannelFormat = "CH:%d";

// Names of the FLEXI source list positions (81), in column order. Position 45
// really has a trailing blank and position 80 (off) is a single blank.
extern const std::array<const char*, kFlexiSourceCount> kFlexiSourceText;
// Names of the FLEXI range-control positions (80; the list shows 0..74).
extern const std::array<const char*, kFlexiRangeCodeCount> kFlexiRangeText;

// Tempo divisions, indexed by value. The VCO4 PWM LFO rate (index 42) shows
// them while MIDI Sync (124) is 1; values 0 and 1 both read "1/1".
constexpr int kPwmLfoDivisionCount = 13;
extern const std::array<const char*, kPwmLfoDivisionCount> kPwmLfoDivisionText;
// Delay time 1 (135) shows them on the long delay range with MIDI Sync 2 or 3,
// delay time 2 (139) only with MIDI Sync 3.
constexpr int kDelayDivisionCount = 10;
extern const std::array<const char*, kDelayDivisionCount> kDelayDivisionText;

// Word captions of mode values. Value v of the program index shows
// texts[v - firstValue] when that lies in 0..count - 1, else an empty text.
struct ValueWordCaption
{
  int32_t programIndex;
  int32_t firstValue;
  const char* const* texts;
  int32_t count;
};
constexpr int kValueWordCaptionCount = 16;
extern const std::array<ValueWordCaption, kValueWordCaptionCount> kValueWordCaptions;

extern const std::array<const char*, 6> kTranspositionText;   // 48, 49: values -2..3
extern const std::array<const char*, 3> kEnvelopeModeText;    // 67
extern const std::array<const char*, 2> kPitchFollowText;     // 81
extern const std::array<const char*, 5> kVcfTypeText;         // 82
extern const std::array<const char*, 2> kVcfSlopeText;        // 84
extern const std::array<const char*, 2> kPortamentoSlopeText; // 86
extern const std::array<const char*, 2> kTrigModeText;        // 89
extern const std::array<const char*, 4> kKeyPriorityText;     // 90
extern const std::array<const char*, 2> kPortamentoModeText;  // 170
extern const std::array<const char*, 2> kFilterKindText;      // 75
extern const std::array<const char*, 4> kMidiSyncText;        // 124
extern const std::array<const char*, 2> kBlendText;           // 179..182
