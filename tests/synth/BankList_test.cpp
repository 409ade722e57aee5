#include "synth/BankList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>

namespace
{
// A bank whose listed locations hold programs named "P<location>".
BankList MakeBank(std::initializer_list<int> filled, std::initializer_list<int> selected)
{
  BankList bank;
  for (int n : filled)
  {
    const std::string name = "P" + std::to_string(n);
    EXPECT_TRUE(bank.SetProgram(n, "/f/" + name + ".pr3", 1, name));
  }
  for (int n : selected) bank[n].selected = 1;
  return bank;
}

// Location -> program name of every non-empty location.
std::map<int, std::string> Contents(const BankList& bank)
{
  std::map<int, std::string> out;
  for (int n = 1; n <= 99; ++n)
    if (!bank[n].empty) out[n] = bank[n].name;
  return out;
}
}  // namespace

TEST(BankList, MoveCopyExchangeKeepEveryProgram)
{
  enum Op { kMove, kCopy, kExchange };
  struct Case
  {
    const char* name;
    Op op;
    std::initializer_list<int> filled;
    std::initializer_list<int> selected;
    int destination;
    std::map<int, std::string> expected;
  };
  const Case kCases[] = {
    {"move over own sources", kMove, {1, 2, 3, 4, 6}, {1, 2, 4}, 3, {{3, "P1"}, {4, "P2"}, {6, "P4"}}},
    {"copy over own sources", kCopy, {1, 2, 3, 4, 6}, {1, 2, 4}, 3,
     {{1, "P1"}, {2, "P2"}, {3, "P1"}, {4, "P2"}, {6, "P4"}}},
    {"move gaps keep spacing", kMove, {2, 4, 10, 12}, {2, 4}, 10, {{10, "P2"}, {12, "P4"}}},
    {"move up by one", kMove, {1, 2, 3}, {1, 2, 3}, 2, {{2, "P1"}, {3, "P2"}, {4, "P3"}}},
    {"move onto itself", kMove, {5, 6}, {5, 6}, 5, {{5, "P5"}, {6, "P6"}}},
    // 99 cannot go to 100, so it stays and 98 may not overwrite it.
    // 99 cannot go to 100 and stays; 98 still moves onto it.
    {"98 and 99 onto 99", kMove, {98, 99}, {98, 99}, 99, {{99, "P98"}}},
    {"target 99 itself", kMove, {97}, {97}, 99, {{99, "P97"}}},
    {"copy to 7", kCopy, {5}, {5}, 7, {{5, "P5"}, {7, "P5"}}},
    {"exchange with 10", kExchange, {3, 4, 10, 11}, {3, 4}, 10,
     {{3, "P10"}, {4, "P11"}, {10, "P3"}, {11, "P4"}}},
    {"exchange with first", kExchange, {3, 4}, {3, 4}, 3, {{3, "P3"}, {4, "P4"}}},
    {"exchange past 99", kExchange, {97, 98, 99, 1}, {97, 98}, 99, {{1, "P1"}, {97, "P99"}, {98, "P98"}, {99, "P97"}}},
  };
  for (const Case& c : kCases)
  {
    BankList bank = MakeBank(c.filled, c.selected);
    if (c.op == kMove) bank.MoveProgramEntries(c.destination);
    if (c.op == kCopy) bank.CopyProgramEntries(c.destination);
    if (c.op == kExchange) bank.ExchangeProgramEntries(c.destination);
    EXPECT_EQ(Contents(bank), c.expected) << c.name;
    if (c.op != kExchange || c.destination != 3) { EXPECT_EQ(bank.FirstSelectedRow(), -1) << c.name; }
  }
}

TEST(BankList, RemoveKeepsCategoryAndSelection)
{
  BankList bank = MakeBank({2, 3}, {3});
  ASSERT_TRUE(bank.SetProgram(3, "/f/03_BASS_X.pr3", 2, "X"));
  EXPECT_EQ(bank.RemoveSelectedPrograms(), std::vector<int>({3}));
  EXPECT_EQ(bank[3].empty, 1);
  EXPECT_EQ(bank[3].category, 2);
  EXPECT_EQ(bank[3].selected, 1);
  EXPECT_STREQ(bank[3].path, "");
  EXPECT_EQ(Contents(bank), (std::map<int, std::string>{{2, "P2"}}));
}

TEST(BankList, FileNamesInAndOut)
{
  struct Case { const char* file; bool ok; int location; int category; const char* name; };
  const Case kCases[] = {
    {"01_BASS_Deep.pr3", true, 1, 2, "Deep"},
    {"03_Lead.prg", true, 3, 1, "Lead"},
    {"7_Bass.pr3", true, 7, 1, "Bass"},
    {"12_FX_Wash.pr3", true, 12, 5, "Wash"},
    {"22_EWI_Air.pr3", true, 22, 6, "Air"},
    {"99_GTR_Crunch.pr3", true, 99, 3, "Crunch"},
    // The location is the first two characters read as a number; the name
    // is what follows them (and a tag, and one "_").
    {"150_X.pr3", true, 15, 1, "0_X"},
    {"00_Zero.pr3", false, 0, 0, ""},
    {"notes.txt", false, 0, 0, ""},
    {"05_12345678901234567890123456789012.pr3", true, 5, 1, "12345678901234567890123456789012"},
    {"05_123456789012345678901234567890123.pr3", true, 5, 1, "12345678901234567890123456789012"},
    {"05_This name is longer than thirty-two chars.pr3", true, 5, 1, "This name is longer than thirty-"},
    // Dots inside the name, and the extensions in upper case.
    {"05_My.Lead.pr3", true, 5, 1, "My.Lead"},
    {"06_BASS_My.Lead.pr3.pr3", true, 6, 2, "My.Lead.pr3"},
    {"07_Bass.PR3", true, 7, 1, "Bass"},
    {"08_GTR_Old.PRG", true, 8, 3, "Old"},
    {"09_Pad.Pr3", true, 9, 1, "Pad"},
    // The files the editor's own save-all writes ("%02d%s.pr3"), and names
    // that start with a number of their own.
    {"01INIT.pr3", true, 1, 1, "INIT"},
    {"99INIT.pr3", true, 99, 1, "INIT"},
    {"07Warm Pad.pr3", true, 7, 1, "Warm Pad"},
    {"05_BASS_Deep.pr3", true, 5, 2, "Deep"},
    {"20_80s Brass.pr3", true, 20, 1, "80s Brass"},
    {"07.pr3", true, 7, 1, ""},
    {"7 Pad.pr3", true, 7, 1, "Pad"},
    {" 7 Pad.pr3", true, 7, 1, " Pad"},
    {"80s Brass.pr3", true, 80, 1, "s Brass"},
    {"100 Voices.pr3", true, 10, 1, "0 Voices"},
    {"5th Lead.pr3", true, 5, 1, "h Lead"},
    {"3 Osc Bass.pr3", true, 3, 1, "Osc Bass"},
    {"7.pr3", true, 7, 1, ""},
    {"09.pr3", true, 9, 1, ""},
    {"09_.pr3", true, 9, 1, ""},
    {"09__.pr3", true, 9, 1, "_"},
    {"Pad.pr3", false, 0, 0, ""},
    {"-5_Neg.pr3", false, 0, 0, ""},
    // The menu's save-all: the location, then the whole name.
    {"01_01_A.pr3", true, 1, 1, "01_A"},
    {"02_01_A.pr3", true, 2, 1, "01_A"},
    {"05_80s Brass.pr3", true, 5, 1, "80s Brass"},
    {"03BASS_Deep.pr3", true, 3, 1, "BASS_Deep"},
    {"04__Lead.pr3", true, 4, 1, "_Lead"},
  };
  for (const Case& c : kCases)
  {
    BankFileName out;
    ASSERT_EQ(ParseBankFileName(c.file, out), c.ok) << c.file;
    if (!c.ok) continue;
    EXPECT_EQ(out.location, c.location) << c.file;
    EXPECT_EQ(out.category, c.category) << c.file;
    EXPECT_EQ(out.name, c.name) << c.file;
  }

  struct Out
  {
    int location;
    int category;
    const char* name;
    const char* file; // nullptr: refused
  };
  const Out kOut[] = {
    {7, 2, "Deep", "07_BASS_Deep.pr3"},
    {12, 5, "AC/DC", "12_FX_AC_DC.pr3"},
    {1, 1, "Lead", "01_Lead.pr3"},
    {99, 6, "Air", "99_EWI_Air.pr3"},
    {100, 1, "X", nullptr},
    {0, 1, "X", nullptr},
    {3, 1, "..", nullptr},
    {3, 1, "", "03_.pr3"},
    {1, 2, "", "01_BASS_.pr3"},
    {5, 1, "My.Lead", "05_My.Lead.pr3"},
    {6, 2, "My.Lead.pr3", "06_BASS_My.Lead.pr3.pr3"},
    // A name that begins like a tag, without its category, reads back whole.
    {3, 1, "BASS_Deep", "03BASS_Deep.pr3"},
    {3, 1, "EWI_", "03EWI_.pr3"},
    {3, 1, "BASS Deep", "03_BASS Deep.pr3"},
    {3, 2, "BASS_Deep", "03_BASS_BASS_Deep.pr3"},
  };
  for (const Out& c : kOut)
  {
    std::string file;
    ASSERT_EQ(MakeBankFileName(c.location, c.category, c.name, file), c.file != nullptr) << c.name;
    if (c.file) { EXPECT_EQ(file, c.file) << c.name; }
  }
  // "03_" + name + ".pr3": 255 bytes fit a path field, 256 do not.
  std::string file;
  EXPECT_TRUE(MakeBankFileName(3, 1, std::string(248, 'a'), file));
  EXPECT_EQ(file.size(), 255u);
  EXPECT_FALSE(MakeBankFileName(3, 1, std::string(249, 'a'), file));
}

TEST(BankList, DisplayBreaksLines)
{
  struct Case { const char* name; const char* display; };
  const Case kCases[] = {
    {"Short name1", "Short name1"},
    {"Short name12", "Short name12"},
    {"Short name123", "Short\nname123"},
    {"ABCDEFGHIJKL", "ABCDEFGHIJKL"},
    {"ABCDEFGHIJKLM", "ABCDEFGHIJKL\nM"},
    {"ABCD_EFGHIJKLMNOPQ", "ABCD\nEFGHIJKLMNOPQ"},
    {"ABCDEFGHIJKLMNOPQRST", "ABCDEFGHIJKL\nMNOPQRST"},
    {"Warm Pad_with_long tail", "Warm\nPad_with\nlong tail"},
    {"ABCDEFGHIJKLMNOPQRSTUVWXYZ123456", "ABCDEFGHIJKL\nMNOPQRSTUVWX\nYZ1234"},
    // Twelve two-byte characters, then more: the break is between characters.
    {"\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4xy",
     "\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4\nxy"},
  };
  for (const Case& c : kCases) EXPECT_EQ(BankDisplayName(c.name), c.display) << c.name;

  BankList bank;
  EXPECT_TRUE(bank.SetName(4, std::string(32, 'x')));
  EXPECT_TRUE(bank.SetName(4, std::string(33, 'y')));
  EXPECT_EQ(std::string(bank[4].name), std::string(32, 'y'));
  EXPECT_TRUE(bank.SetName(4, std::string(31, 'z')));
  EXPECT_EQ(std::string(bank[4].name), std::string(31, 'z'));
  EXPECT_TRUE(bank.SetName(4, "AC/DC"));
  EXPECT_STREQ(bank[4].name, "AC_DC");
}

// A program received from the synth for the manager: its own location,
// a file of that location's own, and only the library's location prefix
// ("NN_", with a tag after it) taken off its name.
TEST(BankList, DumpsTakeTheirOwnLocationAndFile)
{
  struct Case { const char* dumpName; int location; int category; const char* name; const char* file; const char* back; };
  const Case kCases[] = {
    {"80s Brass", 20, 1, "80s Brass", "20_80s Brass.pr3", "80s Brass"},
    {"80s Brass", 21, 1, "80s Brass", "21_80s Brass.pr3", "80s Brass"},
    {"12_BASS_Deep", 6, 2, "Deep", "06_BASS_Deep.pr3", "Deep"},
    {"12_BASS_Deep", 12, 2, "Deep", "12_BASS_Deep.pr3", "Deep"},
    {"5th Lead", 3, 1, "5th Lead", "03_5th Lead.pr3", "5th Lead"},
    {"00 Init", 4, 1, "00 Init", "04_00 Init.pr3", "00 Init"},
    {"3 Osc Bass", 5, 1, "3 Osc Bass", "05_3 Osc Bass.pr3", "3 Osc Bass"},
    {"8-Bit", 7, 1, "8-Bit", "07_8-Bit.pr3", "8-Bit"},
    {"7_BASS_Bass", 7, 2, "Bass", "07_BASS_Bass.pr3", "Bass"},
    {"7_Pad", 7, 1, "Pad", "07_Pad.pr3", "Pad"},
    {"Warm Pad", 7, 1, "Warm Pad", "07_Warm Pad.pr3", "Warm Pad"},
    {"07Warm Pad", 7, 1, "07Warm Pad", "07_07Warm Pad.pr3", "07Warm Pad"},
    {"", 9, 1, "", "09_.pr3", ""},
    {"09", 9, 1, "", "09_.pr3", ""},
    {"42", 3, 1, "42", "03_42.pr3", "42"},
    {"100_X", 8, 1, "100_X", "08_100_X.pr3", "100_X"},
    {"99_EWI_Air", 99, 6, "Air", "99_EWI_Air.pr3", "Air"},
    {"AC/DC", 5, 1, "AC/DC", "05_AC_DC.pr3", "AC_DC"},
    {"..", 5, 1, "..", "05_.pr3", ""},
    {"FX_Wash", 5, 5, "Wash", "05_FX_Wash.pr3", "Wash"},
    {"FXWash", 5, 1, "FXWash", "05_FXWash.pr3", "FXWash"},
  };
  for (const Case& c : kCases)
  {
    BankFileName out;
    std::string file;
    ASSERT_TRUE(BankEntryOfDump(c.dumpName, c.location, out, file)) << c.dumpName;
    EXPECT_EQ(out.location, c.location) << c.dumpName;
    EXPECT_EQ(out.category, c.category) << c.dumpName;
    EXPECT_EQ(out.name, c.name) << c.dumpName;
    EXPECT_EQ(file, c.file) << c.dumpName;
    // The file reads back as the entry it was saved for, with the name a
    // file can carry.
    BankFileName back;
    ASSERT_TRUE(ParseBankFileName(file.c_str(), back)) << file;
    EXPECT_EQ(back.location, c.location) << file;
    EXPECT_EQ(back.category, c.category) << file;
    EXPECT_EQ(back.name, c.back) << file;
  }
  BankFileName out;
  std::string file;
  EXPECT_FALSE(BankEntryOfDump("5th Lead", 0, out, file));
  EXPECT_FALSE(BankEntryOfDump("5th Lead", 100, out, file));
}

// A program file sent to the bank from the browser lands on any location:
// a name that gives a location loses it as a folder load would take it
// off; any other name may still begin with a tag.
TEST(BankList, BrowserFilesNamedForAnyLocation)
{
  struct Case { const char* file; int category; const char* name; };
  const Case kCases[] = {
    {"07_BASS_Deep.pr3", 2, "Deep"},
    {"01INIT.pr3", 1, "INIT"},
    {"7 Pad.pr3", 1, "Pad"},
    {"_Lead.pr3", 1, "Lead"},
    {"_GTR_Crunch.pr3", 3, "Crunch"},
    {"Lead.pr3", 1, "Lead"},
    {"00_Zero.pr3", 1, "00_Zero"},
    {"BASS_Deep.pr3", 1, "BASS_Deep"},
    {"My.Lead.prg", 1, "My.Lead"},
  };
  for (const Case& c : kCases)
  {
    int32_t category = 0;
    std::string name;
    BankNameOfFile(c.file, category, name);
    EXPECT_EQ(category, c.category) << c.file;
    EXPECT_EQ(name, c.name) << c.file;
  }
}

// The second line break comes only when the rest from the first one (the
// break included) holds 12 characters or more, and is looked for from 5
// characters after the first break on.
TEST(BankList, DisplaySecondBreakNeedsARestOfTwelve)
{
  struct Case { const char* name; const char* display; };
  const Case kCases[] = {
    {"ABCD_EFGHIJK_LM", "ABCD\nEFGHIJK_LM"},     // rest of 11
    {"ABCD_EFGHIJK_LMN", "ABCD\nEFGHIJK\nLMN"},  // rest of 12
    {"ABCD_EFGHIJK_LMNO", "ABCD\nEFGHIJK\nLMNO"},
    // Separators closer than 5 after the break stay as they are.
    {"ABCD_EF_HIJKL_NOP", "ABCD\nEF_HIJKL\nNOP"},
    {"ABCD_EFG_I_KLMNOP", "ABCD\nEFG_I\nKLMNOP"},
    // A separator before the fifth character is no break.
    {"AB_DEFGHIJKLMNOP", "AB_DEFGHIJKL\nMNOP"},
    // Without separators the second break comes once the text with the
    // first one holds 25 characters.
    {"ABCDEFGHIJKLMNOPQRSTUVW", "ABCDEFGHIJKL\nMNOPQRSTUVW"},
    {"ABCDEFGHIJKLMNOPQRSTUVWX", "ABCDEFGHIJKL\nMNOPQRSTUVWX\n"},
    {"ABCDEFGHIJKLMNOPQRSTUVWXY", "ABCDEFGHIJKL\nMNOPQRSTUVWX\nY"},
  };
  for (const Case& c : kCases) EXPECT_EQ(BankDisplayName(c.name), c.display) << c.name;
}

// A bank whose only program is at the last location.
TEST(BankList, OnlyLocation99)
{
  BankList bank = MakeBank({99}, {});
  EXPECT_TRUE(bank.AnyProgram());
  EXPECT_EQ(bank.FirstSelectedRow(), -1);
  bank.SelectOnly(99);
  EXPECT_EQ(bank.FirstSelectedRow(), 99);
  EXPECT_EQ(bank.FindLastSelectedLocation(), 99);
  EXPECT_EQ(bank.SelectedCount(), 1);
  // Moving it on itself, copying it onto 98 and back.
  bank.MoveProgramEntries(99);
  EXPECT_EQ(Contents(bank), (std::map<int, std::string>{{99, "P99"}}));
  bank.SelectOnly(99);
  bank.CopyProgramEntries(98);
  EXPECT_EQ(Contents(bank), (std::map<int, std::string>{{98, "P99"}, {99, "P99"}}));
  bank.SelectOnly(99);
  EXPECT_EQ(bank.RemoveSelectedPrograms(), std::vector<int>({99}));
  bank.ClearRowSelections();
  bank.SelectOnly(98);
  EXPECT_EQ(bank.RemoveSelectedPrograms(), std::vector<int>({98}));
  EXPECT_FALSE(bank.AnyProgram());
}

// Names in characters of two and three bytes: a name keeps its first 32
// characters whatever their width, never split and never refused.
TEST(BankList, WideNamesAreKeptToTheirThirtySecondCharacter)
{
  const std::string a3 = "\xe3\x81\x82";  // three bytes
  const std::string ae = "\xc3\xa4";      // two bytes
  const auto times = [](const std::string& c, int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += c;
    return s;
  };
  struct Case { std::string name; std::string stored; std::string display; };
  const Case kCases[] = {
    {times(a3, 20), times(a3, 20), times(a3, 12) + "\n" + times(a3, 8)},
    {times(a3, 21), times(a3, 21), times(a3, 12) + "\n" + times(a3, 9)},
    {times(a3, 24), times(a3, 24), times(a3, 12) + "\n" + times(a3, 12) + "\n"},
    {times(ae, 31), times(ae, 31), times(ae, 12) + "\n" + times(ae, 12) + "\n" + times(ae, 6)},
    {times(ae, 32), times(ae, 32), times(ae, 12) + "\n" + times(ae, 12) + "\n" + times(ae, 6)},
    {times(ae, 33), times(ae, 32), times(ae, 12) + "\n" + times(ae, 12) + "\n" + times(ae, 6)},
    {times(a3, 33), times(a3, 32), times(a3, 12) + "\n" + times(a3, 12) + "\n" + times(a3, 6)},
  };
  for (const Case& c : kCases)
  {
    BankList bank;
    ASSERT_TRUE(bank.SetProgram(6, "/x/06_A.pr3", kCategoryBass, "A"));
    EXPECT_TRUE(bank.SetName(6, c.name)) << c.name.size();
    EXPECT_EQ(std::string(bank[6].name), c.stored) << c.name.size();
    EXPECT_EQ(std::string(bank[6].display), c.display) << c.name.size();
    EXPECT_EQ(bank[6].category, kCategoryBass);
    BankList fresh;
    EXPECT_TRUE(fresh.SetProgram(7, "/x/07_B.pr3", kCategoryNone, c.name)) << c.name.size();
    EXPECT_EQ(std::string(fresh[7].name), c.stored) << c.name.size();
  }
}

// ---- the rules at their limits ----

// Names that begin like a tag or with more digits than a location has.
TEST(BankListRules, NamesThatLookLikeTagsOrLongerNumbers)
{
  struct Case { const char* file; bool ok; int location; int category; const char* name; };
  const Case kCases[] = {
    {"05_BASSoon.pr3", true, 5, 1, "BASSoon"},
    {"05_BASS_.pr3", true, 5, 2, ""},
    {"05_FXtra.pr3", true, 5, 1, "FXtra"},
    {"05_EWI_Air.pr3", true, 5, 6, "Air"},
    {"050_Lead.pr3", true, 5, 1, "0_Lead"},
    {"007_Bond.pr3", false, 0, 0, ""},
    {"099_Last.pr3", true, 9, 1, "9_Last"},
  };
  for (const Case& c : kCases)
  {
    BankFileName out;
    ASSERT_EQ(ParseBankFileName(c.file, out), c.ok) << c.file;
    if (!c.ok) continue;
    EXPECT_EQ(out.location, c.location) << c.file;
    EXPECT_EQ(out.category, c.category) << c.file;
    EXPECT_EQ(out.name, c.name) << c.file;
  }
}

// What SetProgram takes: locations 1..99, categories 1..6 (EWI the last),
// paths of 1 to 255 bytes; anything else leaves the entry as it was.
TEST(BankListRules, SetProgramLimits)
{
  struct Case { const char* name; int location; int category; size_t pathBytes; bool ok; };
  const Case kCases[] = {
    {"location 0", 0, 1, 10, false},    {"location 1", 1, 1, 10, true},
    {"location 99", 99, 1, 10, true},   {"location 100", 100, 1, 10, false},
    {"category 0", 5, 0, 10, false},    {"category 1", 5, 1, 10, true},
    {"category EWI", 5, 6, 10, true},   {"category 7", 5, 7, 10, false},
    {"empty path", 5, 1, 0, false},     {"path of 254", 5, 1, 254, true},
    {"path of 255", 5, 1, 255, true},   {"path of 256", 5, 1, 256, false},
  };
  for (const Case& c : kCases)
  {
    BankList bank;
    const std::string path = c.pathBytes ? "/" + std::string(c.pathBytes - 1, 'p') : "";
    EXPECT_EQ(bank.SetProgram(c.location, path, c.category, "N"), c.ok) << c.name;
    const int n = std::clamp(c.location, 1, 99);
    EXPECT_EQ(bank[n].empty, c.ok ? 0 : 1) << c.name;
    EXPECT_EQ(bank[n].category, c.ok ? c.category : 0) << c.name;
    EXPECT_EQ(std::string(bank[n].path), c.ok ? path : "") << c.name;
  }
}

// A character followed by more continuation bytes than it has: each stray
// byte is a character of its own, and the name is cut after 32 characters
// within its field.
TEST(BankListRules, BrokenCharactersStillFitTheNameField)
{
  std::string name;
  for (int i = 0; i < 31; ++i) name += "\xf0\x9f\x8e\xb9";  // 124 bytes
  const std::string fit = name + "\xc3\x80";                  // 126 bytes, 32 characters
  name += "\xc3\x80\x80\x80\x80";                           // 129 bytes, 35 characters
  BankList bank;
  ASSERT_TRUE(bank.SetName(4, name));
  EXPECT_EQ(std::string(bank[4].name), fit);
  ASSERT_TRUE(bank.SetName(5, "A" + std::string(240, '\x80')));
  EXPECT_EQ(std::string(bank[5].name), "A" + std::string(31, '\x80'));
}

// The first and last location as the only selected or filled one, and the
// reset of the selection by Clear.
TEST(BankListRules, SelectionAtTheEndsAndItsReset)
{
  struct Case { int filled; int selected; int first; int last; };
  const Case kCases[] = {{1, 1, 1, 1}, {99, 99, 99, 99}, {2, 98, 98, 98}};
  for (const Case& c : kCases)
  {
    BankList bank = MakeBank({c.filled}, {c.selected});
    EXPECT_TRUE(bank.AnyProgram()) << c.filled;
    EXPECT_EQ(bank.FirstSelectedRow(), c.first) << c.selected;
    EXPECT_EQ(bank.FindLastSelectedLocation(), c.last) << c.selected;
    EXPECT_EQ(bank.SelectedCount(), 1) << c.selected;
    bank.Clear();
    EXPECT_FALSE(bank.AnyProgram());
    EXPECT_EQ(bank.SelectedCount(), 0);
    EXPECT_EQ(bank.FirstSelectedRow(), -1);
    EXPECT_EQ(bank.FindLastSelectedLocation(), -1);
    EXPECT_EQ(bank[c.filled].category, 0);
  }
}

// A moved program leaves its location empty: no category either.
TEST(BankListRules, MovedAwayLeavesNoCategory)
{
  BankList bank;
  ASSERT_TRUE(bank.SetProgram(5, "/f/05_BASS_Deep.pr3", kCategoryBass, "Deep"));
  bank.SelectOnly(5);
  bank.MoveProgramEntries(7);
  EXPECT_EQ(bank[5].empty, 1);
  EXPECT_EQ(bank[5].category, 0);
  EXPECT_EQ(bank[7].category, kCategoryBass);
}

// Exchanging swaps whole entries after the source's mark is cleared: a
// selected destination hands its mark to the source row.
TEST(BankListRules, ExchangeSwapsTheMarksWithTheEntries)
{
  BankList bank = MakeBank({3, 10}, {3, 10});
  EXPECT_EQ(bank.ExchangeProgramEntries(10), (std::vector<int>{3, 10}));
  EXPECT_EQ(Contents(bank), (std::map<int, std::string>{{3, "P10"}, {10, "P3"}}));
  EXPECT_EQ(bank[3].selected, 1);
  EXPECT_EQ(bank[10].selected, 0);
}

// The row a drop lands on, at the edges of the columns and rows.
TEST(BankListRules, DropLocationAtColumnAndRowEdges)
{
  struct Case { double x, y; int location; };
  const Case kCases[] = {
    {308, 150, 0},    {309, 108, 0},   {309, 109, 0},   {389, 109, 0},   {390, 109, 1},
    {710, 109, 4},    {715, 109, 5},   {1119, 109, 9},  {5000, 109, 9},  {390, 175, 1},
    {390, 177, 11},   {390, 719, 81},  {390, 788, 91},  {1120, 788, 99}, {5000, 5000, 99},
  };
  for (const Case& c : kCases) EXPECT_EQ(BankDropLocation(c.x, c.y), c.location) << c.x << ", " << c.y;
}

// The second break is looked for from the fifth character on, so a
// separator at the fourth character is no break.
TEST(BankListRules, NoBreakBeforeTheFifthCharacter)
{
  struct Case { const char* name; const char* display; };
  const Case kCases[] = {
    {"ABC_EFGHIJKLMNOP", "ABC_EFGHIJKL\nMNOP"},
    {"ABCD_FGHIJKLMNOP", "ABCD\nFGHIJKLMNOP"},
    {"ABC EFGHIJKLMNOP", "ABC EFGHIJKL\nMNOP"},
  };
  for (const Case& c : kCases) EXPECT_EQ(BankDisplayName(c.name), c.display) << c.name;
}
