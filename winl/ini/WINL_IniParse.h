// The settings file's text form: parsing it into sections and writing
// sections back as text. A file is a list of sections, each a sorted array of
// owned key -> owned value texts; both arrays compare names without regard to
// case. Pure memory work, no file access and no locking: the settings store
// (WINL_IniStore) calls it under its mutex.
#pragma once

#include "core/BASE_HeapBuf.h"
#include "core/BASE_String.h"
#include "core/BASE_StringKeyedArray.h"

#include <cstddef>

// key -> value; both texts owned (malloc) by the array.
using WINL_IniSection = BASE_StringKeyedArray<char*>;
// section name -> section; names owned, sections deleted with the array.
using WINL_IniSections = BASE_StringKeyedArray<WINL_IniSection*>;

// A new empty section (case-blind keys, owned values); null when out of memory.
WINL_IniSection* WINL_IniNewSection();
// Deletes a section with its keys and values; null is ignored.
void WINL_IniDisposeSection(WINL_IniSection* section);

// An empty section list, set up with case-blind names and owned sections.
class WINL_IniSectionList : public WINL_IniSections
{
public:
  WINL_IniSectionList() : WINL_IniSections(false, WINL_IniDisposeSection) {}
};

enum class WINL_IniParseResult
{
  kComplete,
  // No section header within the first 256 KiB: the rest was ignored, so the
  // sections do not describe the whole file.
  kCutShort,
  // Memory ran out; the sections are incomplete.
  kFailed,
};

// Turns the bytes of a settings file into sections, fed in pieces of any size.
// Lines end at LF or CR; a UTF-8 byte-order mark at the start is skipped;
// text after a NUL byte in a line is ignored. Keeps a reference to the
// sections it fills, which are in order only once Finish (or the
// destructor) ran; one parser per file.
class WINL_IniParser
{
public:
  // Longest line kept whole; a longer one is split there.
  static constexpr int kMaxLine = 32 * 1024 * 1024;
  // Bytes read before the first header after which the rest is ignored.
  static constexpr int kMaxPreamble = 262144;

  explicit WINL_IniParser(WINL_IniSections& sections);
  ~WINL_IniParser();
  WINL_IniParser(const WINL_IniParser&) = delete;
  WINL_IniParser& operator=(const WINL_IniParser&) = delete;

  // Takes the next n bytes. False once the parser wants no more (the file
  // was cut short or memory ran out); Finish then gives the reason.
  bool Feed(const char* data, size_t n);
  // Ends the input: parses an unterminated last line and closes the section.
  WINL_IniParseResult Finish();

private:
  // Handles one line of length bytes with its end (if any), NUL-terminated.
  void HandleLine(char* text, int length);
  // Trims the line and takes it as a header or an entry.
  void ParseLine(char* text, int length);
  void CloseSection();
  // Adds n bytes to the unfinished line; false when memory runs out.
  bool Carry(const char* data, size_t n);
  void Fail(WINL_IniParseResult why);

  WINL_IniSections& mSections;
  WINL_IniSection* mCurrent = nullptr;
  BASE_HeapBuf mLine{8192};  // the unfinished line carried between pieces
  long long mPreamble = 0;  // bytes of lines read before the first section
  bool mFirstLine = true;
  bool mFinished = false;
  WINL_IniParseResult mResult = WINL_IniParseResult::kComplete;
};

// Parses a whole text held in memory.
WINL_IniParseResult WINL_IniParseText(const char* data, size_t n, WINL_IniSections& sections);

// Writes the sections in file form: "[name]\n", then "key=value\n" per entry
// in key order (entries with an empty key left out), then "\n". False when
// memory runs out.
[[nodiscard]] bool WINL_IniFormat(const WINL_IniSections& sections, BASE_String& out);
