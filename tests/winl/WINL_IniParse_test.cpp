// The reader's two limits (how far it looks for the first header, the
// longest line it keeps whole), the order of sections, and what a section
// costs.
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

// Each case's text as the store writes it back after reading.
std::string Rewritten(const std::string& in)
{
  WINL_IniSectionList sections;
  EXPECT_EQ(WINL_IniParseText(in.data(), in.size(), sections), WINL_IniParseResult::kComplete) << in;
  BASE_String out;
  EXPECT_TRUE(WINL_IniFormat(sections, out));
  return std::string(out.Get() ? out.Get() : "", static_cast<size_t>(out.GetLength()));
}

// Sections come out sorted however they were read; a repeated header
// empties the earlier one and keeps its first spelling.
TEST(WinlIniParse, SectionsSortedAndRepeatsReplaced)
{
  struct Case { const char *name, *in, *out; } const kCases[] = {
      {"reversed", "[c]\nk=3\n[b]\nk=2\n[a]\nk=1\n", "[a]\nk=1\n\n[b]\nk=2\n\n[c]\nk=3\n\n"},
      {"repeated", "[b]\nx=1\n[a]\n[B]\ny=2\n", "[a]\n\n[b]\ny=2\n\n"},
      {"three times", "[M]\nx=1\n[m]\ny=2\n[M]\nz=3\n", "[M]\nz=3\n\n"},
      {"repeat emptied", "[a]\nx=1\n[]\nlost=1\n[A]\n", "[a]\n\n"},
  };
  for (const Case& c : kCases) EXPECT_EQ(Rewritten(c.in), c.out) << c.name;
}

// A section of one key costs a few entries, not a 4 KiB block: a file of
// many small sections takes memory in proportion to its size.
TEST(WinlIniParse, ASmallSectionHoldsFewEntries)
{
  // keys: entries in each section; capacity: what its array holds then.
  struct Case { int keys, capacity; } const kCases[] = {{1, 5}, {5, 5}, {6, 10}, {100, 138}};
  for (const Case& c : kCases)
  {
    std::string text = "[s]\n";
    for (int k = 0; k < c.keys; ++k) text += "k" + std::to_string(k) + "=1\n";
    WINL_IniSectionList sections;
    ASSERT_EQ(WINL_IniParseText(text.data(), text.size(), sections), WINL_IniParseResult::kComplete);
    const WINL_IniSection* s = sections.Get("s", nullptr);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->GetSize(), c.keys);
    EXPECT_EQ(s->GetCapacity(), c.capacity) << c.keys;
    EXPECT_EQ(sections.GetCapacity(), 5);
  }
}
}  // namespace
