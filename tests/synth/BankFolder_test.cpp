#include "synth/BankFolder.h"
#include "synth/BankWrite.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <map>

namespace
{
bool Exists(const std::string& path)
{
  struct stat info;
  return lstat(path.c_str(), &info) == 0;
}

// A ".pr3" text that is only the bytes a copy must keep; export and
// save-back never parse a ".pr3" file.
std::string Body(const char* tag) { return std::string(" 243 \r\n") + tag + "\r\n"; }

using Files = std::map<std::string, std::string>;  // name -> body tag

// The regular files of folder and the tag of each body.
Files FolderFiles(const std::string& folder)
{
  Files files;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
  {
    const std::string text = ReadWholeFile(entry.path().string());
    const std::string tag = text.substr(std::min(text.size(), size_t{7}));
    files[entry.path().filename().string()] = tag.substr(0, tag.find('\r'));
  }
  return files;
}

void MakeFiles(const std::string& folder, const Files& files)
{
  for (const auto& [name, tag] : files) WriteWholeFile(folder + name, Body(tag.c_str()));
}

// Saves bank into folder as the manager's "Save to disk" does.
BankExportResult SaveToDisk(BankList& bank, const std::string& folder)
{
  const BankExportResult result = ExportBankListToFolder(bank, folder, false, 0, false, nullptr);
  RemoveReplacedFiles(bank, folder, result);
  return result;
}
}  // namespace

TEST(BankFolder, LoadFillsLocationsFromNames)
{
  TempDir dir;
  for (const char* name : {"01_BASS_Deep.pr3", "03_Lead.prg", "notes.txt", "150_X.pr3"})
    WriteWholeFile(dir.File(name), Body(name));
  mkdir(dir.File("04_Folder.pr3").c_str(), 0755);
  BankList bank;
  // "150_X.pr3" is location 15 by its first two characters.
  EXPECT_EQ(LoadBankListFromFolder(bank, dir.Path() + "/"), 3);
  EXPECT_EQ(bank[1].empty, 0);
  EXPECT_EQ(bank[1].category, 2);
  EXPECT_STREQ(bank[1].name, "Deep");
  EXPECT_EQ(std::string(bank[1].path), dir.File("01_BASS_Deep.pr3"));
  EXPECT_EQ(bank[3].category, 1);
  EXPECT_STREQ(bank[3].name, "Lead");
  EXPECT_STREQ(bank[15].name, "0_X");
  for (int n : {2, 4, 50}) EXPECT_EQ(bank[n].empty, 1) << n;
}

TEST(BankFolder, SaveBackRenamesAndDeletesOnlyWhatIsOurs)
{
  TempDir cacheDir, userDir;
  const std::string cache = cacheDir.Path() + "/";
  const std::string user = userDir.Path() + "/";
  WriteWholeFile(cache + "7_Bass.pr3", Body("seven"));
  WriteWholeFile(cache + "20_Stray.pr3", Body("stray"));
  WriteWholeFile(cache + "readme.txt", "keep");
  WriteWholeFile(user + "my sound.pr3", Body("user"));
  WriteWholeFile(cache + "02_Shared.pr3", Body("shared"));

  BankList bank;
  ASSERT_TRUE(bank.SetProgram(7, cache + "7_Bass.pr3", 2, "Bass"));
  ASSERT_TRUE(bank.SetProgram(8, user + "my sound.pr3", 1, "Mine"));
  // Two entries on one file, as a copy leaves them.
  ASSERT_TRUE(bank.SetProgram(2, cache + "02_Shared.pr3", 1, "Shared"));
  ASSERT_TRUE(bank.SetProgram(5, cache + "02_Shared.pr3", 1, "Shared"));

  EXPECT_EQ(SaveBankListToFolder(bank, cache, cache, nullptr), 0);
  EXPECT_EQ(ReadWholeFile(cache + "07_BASS_Bass.pr3"), Body("seven"));
  EXPECT_FALSE(Exists(cache + "7_Bass.pr3"));
  EXPECT_FALSE(Exists(cache + "20_Stray.pr3"));
  EXPECT_EQ(ReadWholeFile(cache + "readme.txt"), "keep");
  EXPECT_EQ(ReadWholeFile(user + "my sound.pr3"), Body("user"));
  EXPECT_EQ(ReadWholeFile(cache + "08_Mine.pr3"), Body("user"));
  EXPECT_EQ(ReadWholeFile(cache + "02_Shared.pr3"), Body("shared"));
  EXPECT_EQ(ReadWholeFile(cache + "05_Shared.pr3"), Body("shared"));
  EXPECT_EQ(std::string(bank[5].path), cache + "05_Shared.pr3");
  EXPECT_EQ(std::string(bank[7].path), cache + "07_BASS_Bass.pr3");
}

TEST(BankFolder, SaveBackSwapsNamesWithoutLosingEither)
{
  TempDir dir;
  const std::string folder = dir.Path() + "/";
  WriteWholeFile(folder + "01_A.pr3", Body("a"));
  WriteWholeFile(folder + "02_A.pr3", Body("b"));
  BankList bank;
  // Exchanged programs of one name: each new name is the other's old one.
  ASSERT_TRUE(bank.SetProgram(1, folder + "02_A.pr3", 1, "A"));
  ASSERT_TRUE(bank.SetProgram(2, folder + "01_A.pr3", 1, "A"));
  EXPECT_EQ(SaveBankListToFolder(bank, folder, "", nullptr), 0);
  EXPECT_EQ(ReadWholeFile(folder + "01_A.pr3"), Body("b"));
  EXPECT_EQ(ReadWholeFile(folder + "02_A.pr3"), Body("a"));
}

TEST(BankFolder, FailedFetchKeepsTheAddress)
{
  TempDir dir;
  BankList bank;
  const std::string link = "https://db.example/files/07_X.pr3";
  ASSERT_TRUE(bank.SetProgram(7, link, 1, "X"));
  const BankFetch failing = [](const std::string&, std::string&) { return false; };
  EXPECT_EQ(SaveBankListToFolder(bank, dir.Path() + "/", dir.Path() + "/", failing), 1);
  EXPECT_EQ(std::string(bank[7].path), link);
}

TEST(BankFolder, ExportConvertsInMemoryAndRefusesBadValues)
{
  TempDir src, out;
  WriteWholeFile(src.File("03_Old.prg"), "5\r\n128\r\n");
  WriteWholeFile(src.File("04_Ok.prg"), "5\r\n");
  BankList bank;
  ASSERT_TRUE(bank.SetProgram(3, src.File("03_Old.prg"), 1, "Old"));
  ASSERT_TRUE(bank.SetProgram(4, src.File("04_Ok.prg"), 1, "Ok"));
  const BankExportResult result = ExportBankListToFolder(bank, out.Path() + "/", true, 0, false, nullptr);
  EXPECT_EQ(result.written, 1);
  EXPECT_EQ(result.failed, 1);
  EXPECT_FALSE(Exists(out.File("03_Old.pr3")));
  EXPECT_EQ(ReadWholeFile(out.File("04_Ok.pr3")).substr(0, 7), " 243 \r\n");
  EXPECT_EQ(std::string(bank[4].path), out.File("04_Ok.pr3"));
  EXPECT_EQ(std::string(bank[3].path), src.File("03_Old.prg"));
}

TEST(BankWrite, StepsAndChecks)
{
  TempDir dir;
  const std::string folder = dir.Path() + "/";
  for (const char* name : {"01_A.pr3", "02_B.pr3", "04_D.pr3", "x.pr3"}) WriteWholeFile(folder + name, Body(name));

  BankWrite write;
  ASSERT_EQ(write.Check(folder), BankWriteCheck::kReady);
  EXPECT_EQ(write.FirstGap(), 3);
  BankWriteStep step = write.Begin(false);
  std::vector<int> locations;
  while (step.kind == BankWriteStep::kSend)
  {
    locations.push_back(step.location);
    EXPECT_EQ(write.OnReply(0x20).kind, BankWriteStep::kIgnored);
    step = write.OnReply(0x21);
  }
  EXPECT_EQ(locations, std::vector<int>({1, 2, 4}));
  EXPECT_EQ(step.kind, BankWriteStep::kFinished);
  EXPECT_EQ(write.OnReply(0x21).kind, BankWriteStep::kIgnored);

  // Gap filling: every location, a gap taking the first file.
  ASSERT_EQ(write.Check(folder), BankWriteCheck::kReady);
  step = write.Begin(true);
  int sends = 0;
  std::string third;
  for (; step.kind == BankWriteStep::kSend; step = write.OnReply(0x21))
  {
    if (++sends == 3) third = step.path;
  }
  EXPECT_EQ(sends, 99);
  EXPECT_EQ(third, folder + "01_A.pr3");

  ASSERT_EQ(write.Check(folder), BankWriteCheck::kReady);
  write.Begin(false);
  EXPECT_EQ(write.OnReply(0x22).kind, BankWriteStep::kFailed);
  EXPECT_FALSE(write.Running());

  WriteWholeFile(folder + "04_E.pr3", Body("e"));
  EXPECT_EQ(write.Check(folder), BankWriteCheck::kMultipleFiles);
  EXPECT_EQ(write.location(), 4);
  TempDir empty;
  WriteWholeFile(empty.File("notes.txt"), "x");
  EXPECT_EQ(write.Check(empty.Path() + "/"), BankWriteCheck::kNoPrograms);
}

// Names that tell a careless parser apart: dots inside the name, the
// extensions in upper case, names of 12 and 13 characters (the display
// breaks from 13 on), and numbered files that begin at 03, not 01.
TEST(BankFolder, LoadExportAndWriteKeepUnusualNames)
{
  TempDir src, out;
  WriteWholeFile(src.File("03_My.Lead.pr3"), Body("lead"));
  WriteWholeFile(src.File("04_BASS_Bass.PR3"), Body("bass"));
  WriteWholeFile(src.File("05_Old.PRG"), "5\r\n");
  WriteWholeFile(src.File("12_ABCDEFGHIJKL.pr3"), Body("twelve"));
  WriteWholeFile(src.File("13_ABCDEFGHIJKLM.Pr3"), Body("thirteen"));
  BankList bank;
  ASSERT_EQ(LoadBankListFromFolder(bank, src.Path() + "/"), 5);
  struct Row { int location; int category; const char* name; const char* display; };
  const Row kRows[] = {
    {3, 1, "My.Lead", "My.Lead"},
    {4, 2, "Bass", "Bass"},
    {5, 1, "Old", "Old"},
    {12, 1, "ABCDEFGHIJKL", "ABCDEFGHIJKL"},
    {13, 1, "ABCDEFGHIJKLM", "ABCDEFGHIJKL\nM"},
  };
  for (const Row& r : kRows)
  {
    EXPECT_EQ(bank[r.location].empty, 0) << r.location;
    EXPECT_EQ(bank[r.location].category, r.category) << r.location;
    EXPECT_STREQ(bank[r.location].name, r.name) << r.location;
    EXPECT_STREQ(bank[r.location].display, r.display) << r.location;
  }
  for (int n : {1, 2, 6, 11, 14}) EXPECT_EQ(bank[n].empty, 1) << n;

  const BankExportResult result = ExportBankListToFolder(bank, out.Path() + "/", true, 0, false, nullptr);
  EXPECT_EQ(result.written, 5);
  EXPECT_EQ(result.failed, 0);
  EXPECT_EQ(ReadWholeFile(out.File("03_My.Lead.pr3")), Body("lead"));
  EXPECT_EQ(ReadWholeFile(out.File("04_BASS_Bass.pr3")), Body("bass"));
  EXPECT_EQ(ReadWholeFile(out.File("05_Old.pr3")).substr(0, 7), " 243 \r\n");
  EXPECT_EQ(ReadWholeFile(out.File("12_ABCDEFGHIJKL.pr3")), Body("twelve"));
  EXPECT_EQ(ReadWholeFile(out.File("13_ABCDEFGHIJKLM.pr3")), Body("thirteen"));
  EXPECT_EQ(std::string(bank[13].path), out.File("13_ABCDEFGHIJKLM.pr3"));

  // The write starts at the first file's own location; filling the gaps,
  // 01 and 02 take the folder's first file.
  BankWrite write;
  ASSERT_EQ(write.Check(out.Path() + "/"), BankWriteCheck::kReady);
  EXPECT_EQ(write.FirstGap(), 1);
  std::vector<std::pair<int, std::string>> sent;
  for (BankWriteStep step = write.Begin(false); step.kind == BankWriteStep::kSend; step = write.OnReply(0x21))
    sent.emplace_back(step.location, step.path.substr(step.path.rfind('/') + 1));
  EXPECT_EQ(sent, (std::vector<std::pair<int, std::string>>{{3, "03_My.Lead.pr3"},
                                                            {4, "04_BASS_Bass.pr3"},
                                                            {5, "05_Old.pr3"},
                                                            {12, "12_ABCDEFGHIJKL.pr3"},
                                                            {13, "13_ABCDEFGHIJKLM.pr3"}}));
  ASSERT_EQ(write.Check(out.Path() + "/"), BankWriteCheck::kReady);
  BankWriteStep step = write.Begin(true);
  EXPECT_EQ(step.location, 1);
  EXPECT_EQ(step.path, out.File("03_My.Lead.pr3"));
  step = write.OnReply(0x21);
  EXPECT_EQ(step.location, 2);
  EXPECT_EQ(step.path, out.File("03_My.Lead.pr3"));
}

// Saving back into a folder that holds the upper-case spelling: the file
// gets the canonical lower-case extension and the old spelling goes.
TEST(BankFolder, SaveBackGivesUpperCaseExtensionsTheCanonicalName)
{
  TempDir dir;
  const std::string folder = dir.Path() + "/";
  WriteWholeFile(folder + "07_BASS_Bass.PR3", Body("seven"));
  WriteWholeFile(folder + "08_My.Lead.pr3", Body("eight"));
  BankList bank;
  ASSERT_EQ(LoadBankListFromFolder(bank, folder), 2);
  EXPECT_EQ(SaveBankListToFolder(bank, folder, folder, nullptr), 0);
  EXPECT_EQ(ReadWholeFile(folder + "07_BASS_Bass.pr3"), Body("seven"));
  EXPECT_FALSE(Exists(folder + "07_BASS_Bass.PR3"));
  EXPECT_EQ(ReadWholeFile(folder + "08_My.Lead.pr3"), Body("eight"));
  EXPECT_EQ(std::string(bank[8].path), folder + "08_My.Lead.pr3");
}

// An entry from another folder that already has its canonical name is
// still copied into the cache: afterwards every entry's file is there, the
// user's files are untouched, and a write of the cache sends every location.
TEST(BankFolder, SaveBackIntoTheCacheTakesCanonicallyNamedFilesFromElsewhere)
{
  TempDir cacheDir, userDir;
  const std::string cache = cacheDir.Path() + "/";
  const std::string user = userDir.Path() + "/";
  WriteWholeFile(cache + "01_A.pr3", Body("a"));
  WriteWholeFile(user + "05_X.pr3", Body("x"));
  WriteWholeFile(user + "99_BASS_Z.pr3", Body("z"));
  BankList bank;
  ASSERT_TRUE(bank.SetProgram(1, cache + "01_A.pr3", 1, "A"));
  ASSERT_TRUE(bank.SetProgram(5, user + "05_X.pr3", 1, "X"));
  ASSERT_TRUE(bank.SetProgram(99, user + "99_BASS_Z.pr3", 2, "Z"));

  EXPECT_EQ(SaveBankListToFolder(bank, cache, cache, nullptr), 0);
  const struct Row { int location; const char* file; const char* body; } kRows[] = {
    {1, "01_A.pr3", "a"}, {5, "05_X.pr3", "x"}, {99, "99_BASS_Z.pr3", "z"}};
  for (const Row& r : kRows)
  {
    EXPECT_EQ(std::string(bank[r.location].path), cache + r.file) << r.location;
    EXPECT_EQ(ReadWholeFile(cache + r.file), Body(r.body)) << r.location;
  }
  EXPECT_EQ(ReadWholeFile(user + "05_X.pr3"), Body("x"));
  EXPECT_EQ(ReadWholeFile(user + "99_BASS_Z.pr3"), Body("z"));

  BankWrite write;
  ASSERT_EQ(write.Check(cache), BankWriteCheck::kReady);
  std::vector<int> sent;
  for (BankWriteStep step = write.Begin(false); step.kind == BankWriteStep::kSend; step = write.OnReply(0x21))
    sent.push_back(step.location);
  EXPECT_EQ(sent, std::vector<int>({1, 5, 99}));
}

// A sub-folder named like a program is no program: neither loaded into
// the bank nor counted, nor a second file for its location, in a write.
TEST(BankWrite, SubFolderNamedLikeAProgramIsNoProgram)
{
  TempDir dir;
  const std::string folder = dir.Path() + "/";
  mkdir((folder + "04_X.pr3").c_str(), 0755);
  BankWrite write;
  EXPECT_EQ(write.Check(folder), BankWriteCheck::kNoPrograms);

  WriteWholeFile(folder + "04_Y.pr3", Body("y"));
  WriteWholeFile(folder + "02_B.pr3", Body("b"));
  ASSERT_EQ(write.Check(folder), BankWriteCheck::kReady);
  EXPECT_EQ(write.Files(), (std::vector<std::string>{"02_B.pr3", "04_Y.pr3"}));
  EXPECT_EQ(write.FirstGap(), 1);
  std::vector<std::pair<int, std::string>> sent;
  for (BankWriteStep step = write.Begin(false); step.kind == BankWriteStep::kSend; step = write.OnReply(0x21))
    sent.emplace_back(step.location, step.path.substr(folder.size()));
  EXPECT_EQ(sent, (std::vector<std::pair<int, std::string>>{{2, "02_B.pr3"}, {4, "04_Y.pr3"}}));

  BankList bank;
  EXPECT_EQ(LoadBankListFromFolder(bank, folder), 2);
  EXPECT_EQ(std::string(bank[4].path), folder + "04_Y.pr3");
}

// A folder whose only program is at the last location: the plain write
// sends it alone; gap filling writes it to every location, its own last.
TEST(BankWrite, OnlyLocation99)
{
  TempDir dir;
  const std::string folder = dir.Path() + "/";
  WriteWholeFile(folder + "99_Z.pr3", Body("z"));
  BankWrite write;
  ASSERT_EQ(write.Check(folder), BankWriteCheck::kReady);
  EXPECT_EQ(write.FirstGap(), 1);
  BankWriteStep step = write.Begin(false);
  EXPECT_EQ(step.kind, BankWriteStep::kSend);
  EXPECT_EQ(step.location, 99);
  EXPECT_EQ(step.path, folder + "99_Z.pr3");
  EXPECT_EQ(write.OnReply(0x21).kind, BankWriteStep::kFinished);

  ASSERT_EQ(write.Check(folder), BankWriteCheck::kReady);
  std::vector<int> locations;
  for (step = write.Begin(true); step.kind == BankWriteStep::kSend; step = write.OnReply(0x21))
  {
    EXPECT_EQ(step.path, folder + "99_Z.pr3");
    locations.push_back(step.location);
  }
  EXPECT_EQ(step.kind, BankWriteStep::kFinished);
  ASSERT_EQ(locations.size(), 99u);
  EXPECT_EQ(locations.front(), 1);
  EXPECT_EQ(locations.back(), 99);

  BankList bank;
  EXPECT_EQ(LoadBankListFromFolder(bank, folder), 1);
  EXPECT_STREQ(bank[99].name, "Z");
  EXPECT_EQ(bank[98].empty, 1);
}

// Saving back into a folder of the user's (not the cache): a renamed
// entry's old file goes, a numbered file no entry uses stays.
TEST(BankFolder, SaveBackIntoAUserFolderRemovesOnlyRenamedFiles)
{
  TempDir userDir, cacheDir;
  const std::string user = userDir.Path() + "/";
  WriteWholeFile(user + "7_Bass.pr3", Body("seven"));
  WriteWholeFile(user + "20_Stray.pr3", Body("stray"));
  BankList bank;
  ASSERT_TRUE(bank.SetProgram(7, user + "7_Bass.pr3", kCategoryBass, "Bass"));
  EXPECT_EQ(SaveBankListToFolder(bank, user, cacheDir.Path() + "/", nullptr), 0);
  EXPECT_EQ(ReadWholeFile(user + "07_BASS_Bass.pr3"), Body("seven"));
  EXPECT_FALSE(Exists(user + "7_Bass.pr3"));
  EXPECT_EQ(ReadWholeFile(user + "20_Stray.pr3"), Body("stray"));
  EXPECT_EQ(std::string(bank[7].path), user + "07_BASS_Bass.pr3");
}

// Export of one location (1 is a location like any other), files at the
// size limit, and entries already in place, which are not written again.
TEST(BankFolder, ExportSingleLocationsSizesAndEntriesInPlace)
{
  TempDir src, out;
  const std::string folder = out.Path() + "/";
  WriteWholeFile(src.File("a.pr3"), Body("a"));
  WriteWholeFile(src.File("b.pr3"), Body("b"));
  BankList bank;
  ASSERT_TRUE(bank.SetProgram(1, src.File("a.pr3"), 1, "A"));
  ASSERT_TRUE(bank.SetProgram(2, src.File("b.pr3"), 1, "B"));
  BankExportResult result = ExportBankListToFolder(bank, folder, true, 1, false, nullptr);
  EXPECT_EQ(result.written, 1);
  EXPECT_FALSE(Exists(folder + "02_B.pr3"));
  EXPECT_EQ(ReadWholeFile(folder + "01_A.pr3"), Body("a"));
  EXPECT_EQ(std::string(bank[2].path), src.File("b.pr3"));

  result = ExportBankListToFolder(bank, folder, true, 0, false, nullptr);
  EXPECT_EQ(result.written, 1);  // 01_A.pr3 is in place already
  EXPECT_EQ(result.failed, 0);
  result = ExportBankListToFolder(bank, folder, true, 0, false, nullptr);
  EXPECT_EQ(result.written, 0);
  EXPECT_EQ(result.failed, 0);

  // 8191 bytes are a program file, 8192 are not.
  const struct Case { size_t size; int written; int failed; } kCases[] = {{8191, 1, 0}, {8192, 0, 1}};
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.size);
    TempDir target;
    WriteWholeFile(src.File("big.pr3"), std::string(c.size, ' '));
    BankList one;
    ASSERT_TRUE(one.SetProgram(5, src.File("big.pr3"), 1, "Big"));
    result = ExportBankListToFolder(one, target.Path() + "/", false, 0, false, nullptr);
    EXPECT_EQ(result.written, c.written);
    EXPECT_EQ(result.failed, c.failed);
    EXPECT_EQ(Exists(target.File("05_Big.pr3")), c.written == 1);
  }
}

// Two files for one location count once; the later one in name order is
// the location's program.
TEST(BankFolder, LoadCountsLocationsNotFiles)
{
  TempDir dir;
  WriteWholeFile(dir.File("05_A.pr3"), Body("a"));
  WriteWholeFile(dir.File("05_B.pr3"), Body("b"));
  BankList bank;
  EXPECT_EQ(LoadBankListFromFolder(bank, dir.Path() + "/"), 1);
  EXPECT_STREQ(bank[5].name, "B");
}

// Two programs of one name exchanged in their own folder, then saved there:
// each target is the other's source, so every source is read before any
// target is written.
TEST(BankFolder, SavingExchangedSameNamedProgramsKeepsBoth)
{
  TempDir dir;
  const std::string folder = dir.Path() + "/";
  WriteWholeFile(folder + "02_Init.pr3", Body("two"));
  WriteWholeFile(folder + "05_Init.pr3", Body("five"));
  BankList bank;
  ASSERT_EQ(LoadBankListFromFolder(bank, folder), 2);
  bank.SelectOnly(2);
  ASSERT_EQ(bank.ExchangeProgramEntries(5), (std::vector<int>{2, 5}));
  const BankExportResult result = ExportBankListToFolder(bank, folder, false, 0, false, nullptr);
  EXPECT_EQ(result.written, 2);
  EXPECT_EQ(result.failed, 0);
  RemoveReplacedFiles(bank, folder, result);
  EXPECT_EQ(ReadWholeFile(folder + "02_Init.pr3"), " 243 \r\nfive\r\n");
  EXPECT_EQ(ReadWholeFile(folder + "05_Init.pr3"), " 243 \r\ntwo\r\n");
  EXPECT_EQ(std::string(bank[2].path), folder + "02_Init.pr3");
  EXPECT_EQ(std::string(bank[5].path), folder + "05_Init.pr3");
}

// A block of three same-named programs moved down by one (less than its
// span) and exported with the paths updated, as before a bank write: every
// location keeps the program that moved there.
TEST(BankFolder, ExportOfABlockMovedByOneKeepsEveryProgram)
{
  TempDir dir;
  const std::string folder = dir.Path() + "/";
  WriteWholeFile(folder + "01_Init.pr3", Body("one"));
  WriteWholeFile(folder + "02_Init.pr3", Body("two"));
  WriteWholeFile(folder + "03_Init.pr3", Body("three"));
  BankList bank;
  ASSERT_EQ(LoadBankListFromFolder(bank, folder), 3);
  for (int n : {1, 2, 3}) bank[n].selected = 1;
  ASSERT_EQ(bank.MoveProgramEntries(2), (std::vector<int>{1, 2, 3, 4}));
  const BankExportResult result = ExportBankListToFolder(bank, folder, true, 0, false, nullptr);
  EXPECT_EQ(result.written, 3);
  EXPECT_EQ(result.failed, 0);
  EXPECT_EQ(SaveBankListToFolder(bank, folder, folder, nullptr), 0);
  EXPECT_FALSE(Exists(folder + "01_Init.pr3"));
  EXPECT_EQ(ReadWholeFile(folder + "02_Init.pr3"), " 243 \r\none\r\n");
  EXPECT_EQ(ReadWholeFile(folder + "03_Init.pr3"), " 243 \r\ntwo\r\n");
  EXPECT_EQ(ReadWholeFile(folder + "04_Init.pr3"), " 243 \r\nthree\r\n");
  for (int n : {2, 3, 4})
    EXPECT_EQ(std::string(bank[n].path), folder + "0" + std::to_string(n) + "_Init.pr3") << n;
}

// A folder file whose name is 24 three-byte characters has its location
// and its whole name.
TEST(BankFolder, LoadKeepsAFileWithALongWideName)
{
  TempDir dir;
  std::string wide;
  for (int i = 0; i < 24; ++i) wide += "\xe3\x81\x82";
  WriteWholeFile(dir.File("05_" + wide + ".pr3"), Body("five"));
  BankList bank;
  EXPECT_EQ(LoadBankListFromFolder(bank, dir.Path() + "/"), 1);
  EXPECT_EQ(bank[5].empty, 0);
  EXPECT_EQ(std::string(bank[5].name), wide);
  EXPECT_EQ(std::string(bank[5].path), dir.File("05_" + wide + ".pr3"));
}

// The manager's save to disk writes the bank into a folder and removes one
// kind of file only: the entry's own old file in that folder, after a
// rename or a category change has given it a new name there.
TEST(BankFolder, SaveToDiskRemovesOnlyTheEntrysOwnRenamedFile)
{
  struct Case
  {
    const char* name;
    Files loaded;                              // the folder the bank comes from
    Files other;                               // a second folder, saved into when not empty
    std::function<void(BankList&)> edit;
    Files loadedAfter, otherAfter;
  };
  const auto rename = [](int n, const char* name) {
    return [=](BankList& b) { ASSERT_TRUE(b.SetName(n, name)); };
  };
  const Case kCases[] = {
    {"files the bank never showed", {{"100 Voices.pr3", "v"}, {" 7 Pad.pr3", "p"}, {"10_Ten.pr3", "t"}, {"Pad.pr3", "u"}},
     {}, [](BankList&) {},
     {{"100 Voices.pr3", "v"}, {" 7 Pad.pr3", "p"}, {"10_Ten.pr3", "t"}, {"Pad.pr3", "u"},
      {"07_ Pad.pr3", "p"}, {"10_0 Voices.pr3", "v"}}, {}},
    {"the editor's own save-all names", {{"01INIT.pr3", "i"}, {"07Warm Pad.pr3", "w"}}, {}, [](BankList&) {},
     {{"01INIT.pr3", "i"}, {"07Warm Pad.pr3", "w"}, {"01_INIT.pr3", "i"}, {"07_Warm Pad.pr3", "w"}}, {}},
    {"renamed", {{"05_Old.pr3", "o"}, {"06_Six.pr3", "s"}}, {}, rename(5, "New"),
     {{"05_New.pr3", "o"}, {"06_Six.pr3", "s"}}, {}},
    {"renamed, one of two files at its location", {{"05_A.pr3", "a"}, {"05_B.pr3", "b"}}, {}, rename(5, "New"),
     {{"05_A.pr3", "a"}, {"05_New.pr3", "b"}}, {}},
    {"category changed", {{"05_Old.pr3", "o"}}, {}, [](BankList& b) { b[5].category = kCategoryBass; },
     {{"05_BASS_Old.pr3", "o"}}, {}},
    {"category and name back as they were", {{"05_BASS_Old.pr3", "o"}}, {},
     [](BankList& b) { b[5].category = kCategoryFx; b[5].category = kCategoryBass; },
     {{"05_BASS_Old.pr3", "o"}}, {}},
    {"moved away", {{"05_Old.pr3", "o"}}, {}, [](BankList& b) { b.SelectOnly(5); b.MoveProgramEntries(7); },
     {{"05_Old.pr3", "o"}, {"07_Old.pr3", "o"}}, {}},
    {"moved away and renamed", {{"05_Old.pr3", "o"}}, {},
     [](BankList& b) { b.SelectOnly(5); b.MoveProgramEntries(7); ASSERT_TRUE(b.SetName(7, "New")); },
     {{"05_Old.pr3", "o"}, {"07_New.pr3", "o"}}, {}},
    {"copied, then the source renamed", {{"05_Old.pr3", "o"}}, {},
     [](BankList& b) { b.SelectOnly(5); b.CopyProgramEntries(7); ASSERT_TRUE(b.SetName(5, "New")); },
     {{"05_New.pr3", "o"}, {"07_Old.pr3", "o"}}, {}},
    {"renamed, saved into another folder", {{"05_Mine.pr3", "m"}}, {{"05_Old.pr3", "x"}, {"07_Seven.pr3", "y"}},
     rename(5, "New"), {{"05_Mine.pr3", "m"}}, {{"05_Old.pr3", "x"}, {"07_Seven.pr3", "y"}, {"05_New.pr3", "m"}}},
    {"saved into another folder as it is", {{"05_Old.pr3", "m"}}, {{"05_Old.pr3", "x"}}, [](BankList&) {},
     {{"05_Old.pr3", "m"}}, {{"05_Old.pr3", "m"}}},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.name);
    TempDir loadedDir, otherDir;
    const std::string loaded = loadedDir.Path() + "/", other = otherDir.Path() + "/";
    MakeFiles(loaded, c.loaded);
    MakeFiles(other, c.other);
    BankList bank;
    ASSERT_GT(LoadBankListFromFolder(bank, loaded), 0);
    c.edit(bank);
    const BankExportResult result = SaveToDisk(bank, c.other.empty() ? loaded : other);
    EXPECT_EQ(result.failed, 0);
    EXPECT_EQ(FolderFiles(loaded), c.loadedAfter);
    EXPECT_EQ(FolderFiles(other), c.otherAfter);
  }
}

// Saved twice, the second time after a rename: the first save leaves every
// entry on its saved file, so the second removes the renamed one's file
// of the first save, and a reload shows each program once.
TEST(BankFolder, RenameAfterASaveLeavesOneFileForTheLocation)
{
  TempDir dir;
  const std::string folder = dir.Path() + "/";
  MakeFiles(folder, {{"5 Lead.pr3", "l"}});
  BankList bank;
  ASSERT_EQ(LoadBankListFromFolder(bank, folder), 1);
  SaveToDisk(bank, folder);
  EXPECT_EQ(std::string(bank[5].path), folder + "05_Lead.pr3");
  ASSERT_TRUE(bank.SetName(5, "Solo"));
  SaveToDisk(bank, folder);
  EXPECT_EQ(FolderFiles(folder), (Files{{"5 Lead.pr3", "l"}, {"05_Solo.pr3", "l"}}));
  BankList again;
  ASSERT_EQ(LoadBankListFromFolder(again, folder), 1);
  EXPECT_STREQ(again[5].name, "Solo");
}

// ---- the rules at their limits ----

// A link named like a program is no file of the folder's: the load leaves
// it out. The EWI tag is read like the others.
TEST(BankFolderRules, LoadTakesRegularFilesAndEveryTag)
{
  TempDir dir, elsewhere;
  const std::string folder = dir.Path() + "/";
  MakeFiles(folder, {{"06_EWI_Air.pr3", "e"}, {"08_FX_Rain.pr3", "f"}});
  WriteWholeFile(elsewhere.File("x.pr3"), Body("x"));
  ASSERT_EQ(symlink(elsewhere.File("x.pr3").c_str(), (folder + "05_Link.pr3").c_str()), 0);
  BankList bank;
  EXPECT_EQ(LoadBankListFromFolder(bank, folder), 2);
  EXPECT_EQ(bank[5].empty, 1);
  EXPECT_EQ(bank[6].category, kCategoryEwi);
  EXPECT_STREQ(bank[6].name, "Air");
  EXPECT_EQ(bank[8].category, kCategoryFx);
}

// A second load into the same list replaces the first one whole.
TEST(BankFolderRules, TwoLoadsIntoOneList)
{
  TempDir first, second;
  MakeFiles(first.Path() + "/", {{"01_A.pr3", "a"}, {"05_E.pr3", "e"}});
  MakeFiles(second.Path() + "/", {{"02_B.pr3", "b"}});
  BankList bank;
  ASSERT_EQ(LoadBankListFromFolder(bank, first.Path() + "/"), 2);
  bank.SelectOnly(5);
  ASSERT_EQ(LoadBankListFromFolder(bank, second.Path() + "/"), 1);
  EXPECT_EQ(bank[1].empty, 1);
  EXPECT_EQ(bank[5].empty, 1);
  EXPECT_EQ(bank[5].category, 0);
  EXPECT_EQ(bank.SelectedCount(), 0);
  EXPECT_STREQ(bank[2].name, "B");
}

// Eight files for one location, made in a scrambled order: the last in
// name order is the location's program, whatever order the folder lists.
TEST(BankFolderRules, WhichOfManyFilesForALocationWins)
{
  const char* const kMade[] = {"07_F.pr3", "07_B.pr3", "07_H.pr3", "07_A.pr3",
                               "07_D.pr3", "07_G.pr3", "07_C.pr3", "07_E.pr3"};
  TempDir dir;
  for (const char* name : kMade) WriteWholeFile(dir.File(name), Body(name));
  BankList bank;
  ASSERT_EQ(LoadBankListFromFolder(bank, dir.Path() + "/"), 1);
  EXPECT_STREQ(bank[7].name, "H");
  EXPECT_EQ(std::string(bank[7].path), dir.File("07_H.pr3"));
}

TEST(BankFolderRules, DatabaseAddresses)
{
  struct Case { const char* path; bool address; };
  const Case kCases[] = {{"https://db/x.pr3", true}, {"https://", true}, {"https:/x.pr3", false},
                         {"http://db/x.pr3", false}, {"/home/https://x", false}, {"", false}};
  for (const Case& c : kCases) EXPECT_EQ(IsDatabaseAddress(c.path), c.address) << c.path;
}

// A file is written whole under a path of up to 255 bytes; a longer one is
// refused and nothing is written.
TEST(BankFolderRules, WholeFilesUpToTheLongestPath)
{
  TempDir dir;
  const std::string folder = dir.Path() + "/";
  for (size_t length : {254u, 255u, 256u})
  {
    const std::string path = folder + std::string(length - folder.size(), 'n');
    EXPECT_EQ(WriteFileWhole(path, "text"), length < 256) << length;
    EXPECT_EQ(Exists(path), length < 256) << length;
  }
}

// Export of the selected entries only, into a folder that does not exist
// yet; the others are not written and no entry changes.
TEST(BankFolderRules, ExportOfTheSelectionIntoANewFolder)
{
  TempDir src, out;
  MakeFiles(src.Path() + "/", {{"01_A.pr3", "a"}, {"02_B.pr3", "b"}, {"03_C.pr3", "c"}});
  BankList bank;
  ASSERT_EQ(LoadBankListFromFolder(bank, src.Path() + "/"), 3);
  bank.SelectOnly(2);
  const std::string folder = out.Path() + "/new/";
  const BankExportResult result = ExportBankListToFolder(bank, folder, false, 0, true, nullptr);
  EXPECT_EQ(result.written, 1);
  EXPECT_EQ(result.writtenLocations, std::vector<int>{2});
  EXPECT_EQ(FolderFiles(folder), (Files{{"02_B.pr3", "b"}}));
  EXPECT_EQ(std::string(bank[2].path), src.File("02_B.pr3"));
}

// A downloaded program whose cached path would not fit an entry is not
// exported from, even when such a file exists.
TEST(BankFolderRules, ADownloadOfAPathTooLongFails)
{
  TempDir cacheDir, out;
  std::string deep = cacheDir.Path();
  while (deep.size() < 300)
  {
    deep += "/" + std::string(40, 'd');
    mkdir(deep.c_str(), 0755);
  }
  WriteWholeFile(deep + "/x.pr3", Body("x"));
  BankList bank;
  ASSERT_TRUE(bank.SetProgram(4, "https://db/x.pr3", 1, "X"));
  const BankFetch fetch = [&](const std::string&, std::string& cached) {
    cached = deep + "/x.pr3";
    return true;
  };
  const BankExportResult result = ExportBankListToFolder(bank, out.Path() + "/", true, 0, false, fetch);
  EXPECT_EQ(result.written, 0);
  EXPECT_EQ(result.failed, 1);
  EXPECT_STREQ(bank[4].path, "https://db/x.pr3");
}

// What a save may remove and what it may not: the entry's own renamed file
// only. A link the entry was read through, an unnumbered program in the
// cache, the file of an entry from another folder, a file another entry
// still reads, and a file just exported without the paths updated all stay.
TEST(BankFolderRules, WhatASaveMayRemove)
{
  TempDir cacheDir, userDir, otherDir;
  const std::string cache = cacheDir.Path() + "/", user = userDir.Path() + "/", other = otherDir.Path() + "/";
  MakeFiles(user, {{"09_Real.pr3", "r"}});
  MakeFiles(other, {{"05_Far.pr3", "f"}});
  MakeFiles(cache, {{"Pad.pr3", "p"}, {"02_Two.pr3", "t"}, {"04_Shared.pr3", "s"}});
  ASSERT_EQ(symlink((user + "09_Real.pr3").c_str(), (cache + "09_Link.pr3").c_str()), 0);
  mkdir((cache + "06_Shared.pr3").c_str(), 0755);  // 6's new name cannot be written
  BankList bank;
  ASSERT_TRUE(bank.SetProgram(9, cache + "09_Link.pr3", 1, "Renamed"));
  ASSERT_TRUE(bank.SetProgram(5, other + "05_Far.pr3", 1, "Near"));
  ASSERT_TRUE(bank.SetProgram(2, cache + "02_Two.pr3", 1, "Two"));
  ASSERT_TRUE(bank.SetProgram(4, cache + "04_Shared.pr3", 1, "New"));
  ASSERT_TRUE(bank.SetProgram(6, cache + "04_Shared.pr3", 1, "Shared"));
  // Exported into the user's folder without the paths updated.
  const BankExportResult exported = ExportBankListToFolder(bank, user, false, 2, false, nullptr);
  ASSERT_EQ(exported.written, 1);

  EXPECT_EQ(SaveBankListToFolder(bank, cache, cache, nullptr), 1);
  EXPECT_EQ(FolderFiles(cache), (Files{{"Pad.pr3", "p"},
                                       {"02_Two.pr3", "t"},
                                       {"04_New.pr3", "s"},
                                       {"04_Shared.pr3", "s"},
                                       {"05_Near.pr3", "f"},
                                       {"06_Shared.pr3", ""},
                                       {"09_Link.pr3", "r"},
                                       {"09_Renamed.pr3", "r"}}));
  EXPECT_EQ(FolderFiles(other), (Files{{"05_Far.pr3", "f"}}));
  EXPECT_EQ(FolderFiles(user), (Files{{"09_Real.pr3", "r"}, {"02_Two.pr3", "t"}}));
  EXPECT_EQ(std::string(bank[6].path), cache + "04_Shared.pr3");

  // Saved to disk in the user's folder: the entry from another folder keeps
  // its own path, the file there stays.
  BankList far;
  ASSERT_TRUE(far.SetProgram(5, other + "05_Far.pr3", 1, "Near"));
  const BankExportResult saved = SaveToDisk(far, user);
  EXPECT_EQ(saved.writtenLocations, std::vector<int>{5});
  EXPECT_EQ(std::string(far[5].path), other + "05_Far.pr3");
  EXPECT_EQ(FolderFiles(other), (Files{{"05_Far.pr3", "f"}}));

  // Saved back into a folder that holds a file of the same name as the
  // entry's old one elsewhere: that file is not the entry's, and stays.
  TempDir sameDir;
  const std::string same = sameDir.Path() + "/";
  MakeFiles(same, {{"05_Far.pr3", "mine"}});
  BankList back;
  ASSERT_TRUE(back.SetProgram(5, other + "05_Far.pr3", 1, "Near"));
  EXPECT_EQ(SaveBankListToFolder(back, same, cache, nullptr), 0);
  EXPECT_EQ(FolderFiles(same), (Files{{"05_Far.pr3", "mine"}, {"05_Near.pr3", "f"}}));
}
