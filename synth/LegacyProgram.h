// Programs of the synth's earlier generation (".prg"): the same kind of text
// file as ".pr3" but without the marker line and with a shorter list of
// values -- one effect instead of the chain, no FLEXI slots. They are mapped
// onto a full program and can be converted to ".pr3" files.
#pragma once

#include "synth/ProgramFile.h"

#include <string>

// Values an older file may hold; later lines are ignored.
constexpr int kLegacyValueCount = 121;

// The older LFO frequency scale to the current one:
// round(v * 0.89692 + 13.1138) in single precision, halves away from zero,
// at most 127 (no lower cap; the caller limits the result to the range).
int32_t LegacyLfoRate(int32_t legacyValue);

// The program for legacy values L[0..count-1] (missing ones read as 0),
// starting from kDefaultProgram. Not yet limited to the ranges.
ProgramValues MapLegacyProgram(const int* legacy, int count);

// The text the converter writes: marker, value lines 0..122 numbered 1..123,
// five dummy lines for 123..127, value lines 128..169 numbered 124..165.
std::string FormatConvertedPr3Text(const ProgramValues& values);

// Where a converted file goes: the path with everything from the last "." of
// its file name on replaced by ".pr3" (".pr3" appended when it has none).
std::string ConvertedProgramPath(const std::string& legacyPath);

// Converts one older file into a ".pr3" file beside it, replacing one of that
// name. kAlreadyPr3 (and nothing written) when it has the marker layout.
[[nodiscard]] ProgramFileError ConvertPrgToPr3File(const char* path);

// Converts every ".prg", ".PRG" or ".Prg" file of a folder (path ending in
// "/"; one is added when missing). Unreadable or damaged files are skipped.
// Returns the number of files written; a path without "/" converts nothing.
// oversized, when given, counts the files refused for their size.
int ConvertPrgFolderFiles(const char* folder, int* oversized = nullptr);
