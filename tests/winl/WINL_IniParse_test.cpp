// The reader's two limits: how far it looks for the first header, and the
// longest line it keeps whole.
#include "winl/ini/WINL_IniParse.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
TEST(WinlIniParse, LimitsOfWhatItReads)
{
  const std::string name(262150, 'n');
  // out: the sections written back.
  struct Case { const char* name; std::string in; WINL_IniParseResult result; std::string out; }
  const kCases[] = {
      {"preamble one byte short", std::string(262142, 'x') + "\n[s]\nk=1\n",
       WINL_IniParseResult::kComplete, "[s]\nk=1\n\n"},
      {"preamble at the limit", std::string(262143, 'x') + "\n[s]\nk=1\n",
       WINL_IniParseResult::kComplete, "[s]\nk=1\n\n"},
      {"preamble one byte over", std::string(262144, 'x') + "\n[s]\nk=1\n",
       WINL_IniParseResult::kCutShort, ""},
      // A header past the limit still opens its section: the store writes
      // names of any length and must read them back.
      {"header line over the limit", "[" + name + "]\nk=1\n", WINL_IniParseResult::kComplete,
       "[" + name + "]\nk=1\n\n"},
      // A line of 33,554,432 bytes is taken as it is; what follows starts a new line.
      {"line at the limit", "[s]\nk=" + std::string(33554430, 'v') + "tail=1\n",
       WINL_IniParseResult::kComplete, "[s]\nk=" + std::string(33554430, 'v') + "\ntail=1\n\n"},
  };
  for (const Case& c : kCases)
  {
    WINL_IniSectionList sections;
    EXPECT_EQ(WINL_IniParseText(c.in.data(), c.in.size(), sections), c.result) << c.name;
    BASE_String out;
    ASSERT_TRUE(WINL_IniFormat(sections, out)) << c.name;
    // Not EXPECT_EQ: a failure would print megabytes.
    EXPECT_TRUE(std::string(out.Get(), static_cast<size_t>(out.GetLength())) == c.out) << c.name;
  }
}
}  // namespace
