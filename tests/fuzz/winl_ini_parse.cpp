// Settings files come from disk, where anything may have been written to
// them. Parses the input whole and in uneven pieces, and checks that both give
// the same sections and that writing them out and parsing again changes
// nothing.
#include "winl/ini/WINL_IniParse.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  const char* text = reinterpret_cast<const char*>(data);

  WINL_IniSectionList whole;
  const WINL_IniParseResult result = WINL_IniParseText(text, size, whole);

  // The same bytes in pieces of 1, 2, 3, ... bytes.
  WINL_IniSectionList pieces;
  WINL_IniParser parser(pieces);
  size_t at = 0;
  for (size_t step = 1; at < size; ++step)
  {
    const size_t n = step < size - at ? step : size - at;
    if (!parser.Feed(text + at, n)) break;
    at += n;
  }
  if (parser.Finish() != result) abort();

  BASE_String first, split;
  if (!WINL_IniFormat(whole, first) || !WINL_IniFormat(pieces, split)) return 0;
  if (strcmp(first.Get(), split.Get()) != 0) abort();

  // What the store writes must read back as the same file.
  if (result == WINL_IniParseResult::kComplete)
  {
    WINL_IniSectionList again;
    if (WINL_IniParseText(first.Get(), static_cast<size_t>(first.GetLength()), again) !=
        WINL_IniParseResult::kComplete)
      abort();
    BASE_String second;
    if (WINL_IniFormat(again, second) && strcmp(first.Get(), second.Get()) != 0) abort();
  }
  return 0;
}
