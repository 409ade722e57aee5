#include "synth/ProgramFolder.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstring>
#include <string>

TEST(ProgramFolder, ListingIsNumericAndTableIsLowerCase)
{
  TempDir dir;
  for (const char* name : {"10_A.pr3", "2_B.pr3", "Notes.pr3.txt", "readme.txt", "a.PRG"})
    WriteWholeFile(dir.File(name), " 243 \r\n");
  mkdir(dir.File("Sounds").c_str(), 0755);

  std::string shown;
  for (const FolderEntry& e : ListProgramFolder(dir.Path().c_str()))
    shown += e.isProgram ? e.name + " " : "[" + e.name + "] ";
  EXPECT_EQ(shown, "[..] [Sounds] 2_B.pr3 10_A.pr3 Notes.pr3.txt a.PRG ");

  ProgramFolderScan scan;
  ASSERT_TRUE(ScanProgramFolderFiles(dir.File("Notes.pr3.txt").c_str(), scan));
  EXPECT_EQ(scan.folder, dir.Path() + "/");
  EXPECT_EQ(scan.files, (std::vector<std::string>{"10_A.pr3", "2_B.pr3", "a.PRG", "Notes.pr3.txt"}));
  EXPECT_EQ(scan.fileIndex, 3);
  EXPECT_FALSE(ScanProgramFolderFiles("no-slash.pr3", scan));
  // The folder with its "/" must fit the 256-byte field with its NUL.
  EXPECT_TRUE(ScanProgramFolderFiles((std::string(254, 'x') + "/a.pr3").c_str(), scan));
  EXPECT_FALSE(ScanProgramFolderFiles((std::string(255, 'x') + "/a.pr3").c_str(), scan));
  EXPECT_EQ(scan.folder, std::string(254, 'x') + "/") << "a refused scan leaves the table";

  // The table holds 1024 files, the first ones listed.
  for (int n = 0; n < 1020; ++n) WriteWholeFile(dir.File("n" + std::to_string(n) + ".pr3"), "");
  for (int files = 1024; files <= 1025; ++files)
  {
    if (files == 1025) WriteWholeFile(dir.File("z.pr3"), "");
    ASSERT_TRUE(ScanProgramFolderFiles(dir.File("x").c_str(), scan));
    EXPECT_EQ(scan.files.size(), 1024u) << files;
  }
}

TEST(ProgramFolder, SteppingAndLocations)
{
  const struct { const char* name; int location; } kNames[] = {
    {"00_A", 0}, {"01_A", 1}, {"1_A", 1}, {"99_A", 99}, {"-1_A", 0}, {"100", 10}, {"A1", 0},
  };
  for (const auto& c : kNames) EXPECT_EQ(LocationFromFileName(c.name), c.location) << c.name;
  const struct { int index, last; bool forward; int expected; } kCases[] = {
    {0, 3, false, 3}, {3, 3, true, 0}, {1, 3, true, 2}, {0, 0, true, 0}, {7, 3, true, 0},
  };
  for (const auto& c : kCases)
    EXPECT_EQ(StepFolderIndex(c.index, c.last, c.forward), c.expected)
        << c.index << "/" << c.last << (c.forward ? " next" : " previous");
}

// Ten programs forward and back: the file the following single step lands
// on, held at the ends, and an index that never leaves the table.
TEST(ProgramFolder, TenStepsHeldAtTheEnds)
{
  const struct { const char* name; int index, last; bool forward; int landing; } kCases[] = {
    {"second of five, forward", 1, 4, true, 4},
    {"first of thirty, forward", 0, 29, true, 10},
    {"ten short of the last", 19, 29, true, 29},
    {"nine short of the last", 20, 29, true, 29},
    {"eleven short of the last", 18, 29, true, 28},
    {"at the last, forward", 29, 29, true, 29},
    {"index past the table", 7, 3, true, 3},
    {"two files, forward", 0, 1, true, 1},
    {"second of five, back", 1, 4, false, 0},
    {"middle of thirty, back", 15, 29, false, 5},
    {"ten from the first", 10, 29, false, 0},
    {"nine from the first", 9, 29, false, 0},
    {"eleven from the first", 11, 29, false, 1},
    {"at the first, back", 0, 29, false, 0},
    {"two files, back", 1, 1, false, 0},
  };
  for (const auto& c : kCases)
  {
    const int start = TenStepStartIndex(c.index, c.last, c.forward);
    EXPECT_TRUE(start >= 0 && start <= c.last) << c.name << ": " << start;
    EXPECT_EQ(StepFolderIndex(start, c.last, c.forward), c.landing) << c.name;
  }
  // One file: nothing to step to, the index stays.
  EXPECT_EQ(TenStepStartIndex(0, 0, true), 0);
  EXPECT_EQ(TenStepStartIndex(0, 0, false), 0);
}

TEST(ProgramFolder, NamesCannotLeaveTheirFolder)
{
  const struct { const char* dumpName; int location; const char* expected; } kCases[] = {
    {"                                ", 3, "03.pr3"},
    {"42 Lead", 7, "42 Lead.pr3"},
    {"Lead", 42, "42Lead.pr3"},
    {"../../etc/x", 5, "05.._.._etc_x.pr3"},
    {"12/../../x", 5, "12_.._.._x.pr3"},
  };
  for (const auto& c : kCases)
  {
    uint8_t name[32] = {};
    memcpy(name, c.dumpName, strlen(c.dumpName));
    std::string file;
    ASSERT_TRUE(ReceivedProgramFileName(name, c.location, file)) << c.dumpName;
    EXPECT_EQ(file, c.expected) << c.dumpName;
  }
  std::string safe = "kept";
  for (const std::string& bad : {std::string(), std::string("."), std::string(".."),
                                 std::string(256, 'a'), std::string("\0x", 2)})
    EXPECT_FALSE(MakeSafeFileName(bad, safe)) << bad.size();
  EXPECT_EQ(safe, "kept");
  ASSERT_TRUE(MakeSafeFileName(std::string(255, 'a'), safe));
  ASSERT_TRUE(MakeSafeFileName("a/b", safe));
  EXPECT_EQ(safe, "a_b");
}

TEST(ProgramFolder, DirectoryContentsLine)
{
  EXPECT_EQ(DirectoryContentsText({}), "directoryContents ====== ()");
  EXPECT_EQ(DirectoryContentsText({"10_A.pr3"}), "directoryContents ====== (10_A.pr3)");
  EXPECT_EQ(DirectoryContentsText({"10_A.pr3", "2_B.pr3", "Sounds"}),
            "directoryContents ====== (10_A.pr3, 2_B.pr3, Sounds)");
}
