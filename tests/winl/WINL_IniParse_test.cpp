#include "winl/ini/WINL_IniParse.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace
{
// Parses text and writes it back in file form.
std::string Reformat(const std::string& text, WINL_IniParseResult* result = nullptr)
{
  WINL_IniSectionList sections;
  const WINL_IniParseResult r = WINL_IniParseText(text.data(), text.size(), sections);
  if (result) *result = r;
  BASE_String out;
  EXPECT_TRUE(WINL_IniFormat(sections, out));
  return std::string(out.Get(), static_cast<size_t>(out.GetLength()));
}

TEST(WinlIniParse, NormalisesWhatItReads)
{
  struct Case
  {
    const char* name;
    std::string in;
    std::string out;
  } const kCases[] = {
      {"empty", "", ""},
      {"sorted, one per key, last wins", "[b]\ny=1\nx=2\nY=3\n[a]\n", "[a]\n\n[b]\nx=2\nY=3\n\n"},
      {"blanks trimmed around the line only", "  [ s ]\t\n k = v \t\n", "[ s ]\nk = v\n\n"},
      {"text after a NUL byte is dropped", std::string("[s]\nk=ab\0cd\n", 12), "[s]\nk=ab\n\n"},
      {"header text after ']' is ignored", "[s]junk\nk=1\n", "[s]\nk=1\n\n"},
      {"CR, LF and CRLF all end lines", "[s]\ra=1\nb=2\r\nc=3", "[s]\na=1\nb=2\nc=3\n\n"},
  };
  for (const Case& c : kCases) EXPECT_EQ(Reformat(c.in), c.out) << c.name;
}

TEST(WinlIniParse, StopsWhenNoHeaderComesEarly)
{
  WINL_IniParseResult result;
  const std::string junk(WINL_IniParser::kMaxPreamble, 'x');
  EXPECT_EQ(Reformat(junk + "\n[s]\nk=1\n", &result), "");
  EXPECT_EQ(result, WINL_IniParseResult::kCutShort);

  // A preamble of exactly the limit is still read on.
  const std::string fits(WINL_IniParser::kMaxPreamble - 1, 'x');
  EXPECT_EQ(Reformat(fits + "\n[s]\nk=1\n", &result), "[s]\nk=1\n\n");
  EXPECT_EQ(result, WINL_IniParseResult::kComplete);

  // A header line longer than the limit still opens its section, so any file
  // this store writes reads back.
  const std::string name(WINL_IniParser::kMaxPreamble + 10, 'n');
  const std::string file = "[" + name + "]\nk=1\n\n[z]\n\n";
  EXPECT_EQ(Reformat(file, &result), file);
  EXPECT_EQ(result, WINL_IniParseResult::kComplete);
}

TEST(WinlIniParse, SplitsALineAtThirtyTwoMebibytes)
{
  // The first line fills the limit exactly, so "tail=1" starts a line of its own.
  const std::string value(WINL_IniParser::kMaxLine - 2, 'v');
  WINL_IniSectionList sections;
  const std::string text = "[s]\nk=" + value + "tail=1\n";
  ASSERT_EQ(WINL_IniParseText(text.data(), text.size(), sections),
            WINL_IniParseResult::kComplete);
  const WINL_IniSection* s = sections.Get("s", nullptr);
  ASSERT_NE(s, nullptr);
  ASSERT_NE(s->Get("k", nullptr), nullptr);
  EXPECT_EQ(strlen(s->Get("k", nullptr)), value.size());
  ASSERT_NE(s->Get("tail", nullptr), nullptr);
  EXPECT_STREQ(s->Get("tail", nullptr), "1");
}
}  // namespace
