// The ".pr3" program file: a text file of one value per line, read and
// written without the editor object so that the file layer can be tested and
// fuzzed on its own.
//
// Layout: the marker line " 243 ", then one line for each program index
// 0..169 (the first 170 values; the second halves 170..183 travel folded into
// their partners). Indices 125..127 are the dummy line " 0    ; dummy". Every
// line ends in CR LF; readers split at LF and skip empty lines. A file without
// the marker is the older ".prg" layout (LegacyProgram.h).
//
// Values are synth values in record encoding (index 76 holds the cutoff of
// the filter that index 75 chooses). Everything a reader hands out has been
// limited to each index's range, so a damaged file can never put a value
// outside the synth's range into the editor or onto the wire.
#pragma once

#include "synth/ZephraTables.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

using ProgramValues = std::array<int32_t, kProgramSize>;

// ---- layout constants ----

// Program files never hold more; a longer file is refused as damaged.
constexpr int kProgramFileMaxBytes = 8192;
constexpr int kPr3Marker = 243;
// Every value a file line may hold, whatever its index.
constexpr int kFileValueMin = -64;
constexpr int kFileValueMax = 127;
// The message the editor shows for a file of the wrong size.
constexpr const char* kCorruptedFilesizeText = "Corrupted filesize!";

// Panel section (0..18) and position within it (1..13, written minus 1) of
// each value line, by program index; the dummy indices 125..127 hold 0.
extern const std::array<int32_t, kFileValueCount> kPr3Field;
extern const std::array<int8_t, kFileValueCount> kPr3Poti;

// ---- ranges ----

// Smallest and largest value index p may hold in a program whose filter
// choice (index 75) is vintageNew: index 76 takes the range of the chosen
// cutoff, every other index its own.
int32_t ProgramValueMin(int p, int32_t vintageNew);
int32_t ProgramValueMax(int p, int32_t vintageNew);
// Clamps every value into its range, index 75 before index 76.
void LimitProgramToRanges(ProgramValues& values);

// ---- writing ----

// Appends one value line: "%- 6d; field:  %-3dpoti:  %-4dser.no.:  %d \r\n".
void AppendPr3ValueLine(std::string& text, int32_t value, int programIndex, int serial);
// Appends the line that stands for an index without a value.
void AppendPr3DummyLine(std::string& text);

// The whole file for values 0..169: marker, 125 value lines, three dummy
// lines, 42 value lines numbered 126..167.
std::string FormatPr3Text(const ProgramValues& values);

// The record the editor saves for its current sound, from the parameters'
// values (paramValues[n] is parameter n, kParamCount entries): a FLEXI slot
// without a target (flexiTarget[s] == -1) is written as zeros, an effect that
// is off as 0, the spare indices 147..156 as 0. Values truncate toward zero.
ProgramValues FileRecordFromParameters(const double* paramValues,
                                       const std::array<int32_t, kFlexiSlotCount>& flexiTarget);

// Positions in the synth's 213-byte program dump.
constexpr int kDumpSize = 213;
constexpr int kDumpValueOffset = 8;  // value of index p at 8 + p
constexpr int kDumpNameOffset = 178; // 32 name characters
// The values of a received dump: bytes are value minus a negative minimum;
// the spare dummies 125..127 are 0. False when the dump is shorter than its
// name's end.
[[nodiscard]] bool ProgramValuesFromDump(const uint8_t* dump, size_t size, ProgramValues& values);

// Writes text to path, replacing the file whole (BASE_ReplaceFile). False,
// with the earlier file byte for byte as it was, when not every byte could
// be written.
[[nodiscard]] bool WriteProgramText(const char* path, const std::string& text);

// ---- reading ----

enum class ProgramFileError
{
  kNone,
  kCannotOpen, // missing, a folder, or unreadable: callers say nothing
  kBadSize,    // empty or over kProgramFileMaxBytes: "Corrupted filesize!"
  kBadValue,   // a number outside kFileValueMin..kFileValueMax
  kAlreadyPr3, // converter only: the file has the marker layout already
  kWriteFailed, // converter only: the ".pr3" file could not be written whole
};

// The number at the start of one line (without its LF): read with the rules
// of "%d" from the first 5 characters, or from all but the last character of
// a line shorter than 6 (which drops a trailing CR). previous when the line
// holds no number.
int ReadProgramLineNumber(const char* line, size_t length, int previous);

struct ProgramFileContent
{
  ProgramValues values{};
  bool legacy = false; // read from the older layout without the marker
};

// Parses a whole file already in memory (either layout). On kNone, content
// holds the program limited to its ranges, index 183 copying index 76; on
// any error content is left as it was. The indices a short marker-layout
// file has no line for keep missing's values: zeros for a file loaded into
// the editor, the default program for one written into the synth.
[[nodiscard]] ProgramFileError ParseProgramText(const char* text, size_t size,
                                                ProgramFileContent& content,
                                                const ProgramValues& missing = {});

// Reads a program file's bytes, refusing what is not a regular file of 1 to
// kProgramFileMaxBytes bytes.
[[nodiscard]] ProgramFileError ReadProgramFileBytes(const char* path, std::string& bytes);

// True when bytes that came from outside (a download) are a program file and
// not, say, an error page served as a success: 1 to kProgramFileMaxBytes
// bytes; every line that is not blank starts with a number within
// kFileValueMin..kFileValueMax (the marker aside); and either the first line
// is the marker or there are at least kLegacyValueCount value lines.
[[nodiscard]] bool IsProgramFileText(const std::string& bytes);

// ReadProgramFileBytes then ParseProgramText.
[[nodiscard]] ProgramFileError ReadProgramFile(const char* path, ProgramFileContent& content);
