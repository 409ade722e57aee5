#include "support/TempDir.h"
#include "support/ZephraTestModel.h"
#include "synth/ProgramFile.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <memory>
#include <random>

namespace {

struct EditorFilesTest : ::testing::Test
{
  TempDir dir;
  TempDir files;
  TestModel t{dir.Path()};
  ModelTap& tap = t.tap;
  ZephraModel* editor = t.model.get();

  RecordingPanels& Panels() { return *t.panels; }
  std::string Saved(const std::string& name)
  {
    EXPECT_TRUE(editor->WriteSoundAsProgramFile(files.File(name).c_str()));
    return ReadWholeFile(files.File(name));
  }
};

}  // namespace

TEST_F(EditorFilesTest, WriteLoadWriteKeepsTheBytes)
{
  const unsigned seed = std::random_device{}();
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::mt19937 rng(seed);
  ProgramValues v{};
  for (int p = 0; p < kFileValueCount; ++p)
    v[p] = std::uniform_int_distribution<int>(ProgramValueMin(p, v[75]), ProgramValueMax(p, v[75]))(rng);
  editor->InitProgram();
  EXPECT_EQ(Saved("init.pr3"), FormatPr3Text(kDefaultProgram));
  for (const ProgramValues& program : {kDefaultProgram, v})
  {
    editor->ApplyProgram(program);
    const std::string first = Saved("first.pr3");
    EXPECT_EQ(editor->LoadProgramFile(files.File("first.pr3").c_str()), ProgramFileError::kNone);
    EXPECT_STREQ(editor->ProgramName(), "first");
    EXPECT_EQ(Saved("second.pr3"), first);
  }
}

TEST_F(EditorFilesTest, BadFilesLeaveTheProgram)
{
  WriteWholeFile(files.File("range.pr3"), " 243 \r\n100  \r\n"); // coarse tuning is -24..48
  ASSERT_EQ(editor->LoadProgramFile(files.File("range.pr3").c_str()), ProgramFileError::kNone);
  EXPECT_EQ(editor->Program()[ProgramIndex(kParamVco1Coarse)], 48);
  EXPECT_EQ(editor->ParamInt(kParamVco1Coarse), 48);

  WriteWholeFile(files.File("empty.pr3"), "");
  WriteWholeFile(files.File("big.pr3"), std::string(8193, '\n'));
  WriteWholeFile(files.File("value.pr3"), " 243 \r\n 200 \r\n");
  mkdir(files.File("folder.pr3").c_str(), 0755);
  const struct { const char* name; ProgramFileError error; bool message; } kCases[] = {
    {"missing.pr3", ProgramFileError::kCannotOpen, false},
    {"folder.pr3", ProgramFileError::kCannotOpen, false},
    {"empty.pr3", ProgramFileError::kBadSize, true},
    {"big.pr3", ProgramFileError::kBadSize, true},
    {"value.pr3", ProgramFileError::kBadValue, false},
  };
  const ProgramValues before = editor->Program();
  for (const auto& c : kCases)
  {
    Panels().names.clear();
    EXPECT_EQ(editor->LoadProgramFile(files.File(c.name).c_str()), c.error) << c.name;
    EXPECT_EQ(editor->Program(), before) << c.name;
    EXPECT_STREQ(editor->ProgramName(), "range") << c.name;
    EXPECT_EQ(Panels().names, c.message ? std::vector<std::string>{"Corrupted filesize!"}
                                        : std::vector<std::string>{}) << c.name;
  }
}

TEST_F(EditorFilesTest, ScanAndStepThroughTheFolder)
{
  ProgramValues b = kDefaultProgram;
  b[ProgramIndex(kParamVco1Coarse)] = 12;
  WriteWholeFile(files.File("10_A.pr3"), FormatPr3Text(kDefaultProgram));
  WriteWholeFile(files.File("2_B.pr3"), FormatPr3Text(b));
  editor->ScanProgramFolder(files.File("10_A.pr3").c_str());
  EXPECT_EQ(editor->FolderFiles(), (std::vector<std::string>{"10_A.pr3", "2_B.pr3"}));
  EXPECT_EQ(editor->FolderFileIndex(), 0);
  EXPECT_STREQ(editor->ProgramName(), "10_A");

  tap.Take();
  ASSERT_TRUE(editor->StepProgramFile(false));  // wraps to the last file
  EXPECT_EQ(editor->FolderFileIndex(), 1);
  EXPECT_STREQ(editor->ProgramName(), "2_B");
  EXPECT_EQ(editor->Program()[ProgramIndex(kParamVco1Coarse)], 12);
  EXPECT_EQ(tap.Take().size(), 336u * 3) << "the loaded program is sent";
  ASSERT_TRUE(editor->StepProgramFile(true));
  EXPECT_EQ(editor->FolderFileIndex(), 0);

  remove(files.File("10_A.pr3").c_str());
  editor->ScanProgramFolder(files.File("2_B.pr3").c_str());
  EXPECT_EQ(editor->FolderFileCount(), 0);
  EXPECT_FALSE(editor->StepProgramFile(true)) << "one file: nothing to step to";
}

// A file whose folder and name fill the 256-byte path field (NUL included)
// or more cannot be loaded: previous/next step past it to the next one.
TEST_F(EditorFilesTest, StepPastPathsTooLongForTheField)
{
  const std::string folder = files.Path() + "/";
  auto name = [&folder](char first, size_t pathLength) {
    return first + std::string(pathLength - folder.size() - 5, 'x') + ".pr3";
  };
  ProgramValues fits = kDefaultProgram;
  fits[ProgramIndex(kParamVco1Coarse)] = 3;
  WriteWholeFile(folder + name('a', 255), FormatPr3Text(fits));
  WriteWholeFile(folder + name('b', 256), FormatPr3Text(kDefaultProgram));
  WriteWholeFile(folder + name('c', 257), FormatPr3Text(kDefaultProgram));
  WriteWholeFile(folder + "d.pr3", FormatPr3Text(kDefaultProgram));
  editor->ScanProgramFolder((folder + name('a', 255)).c_str());
  ASSERT_EQ(editor->FolderFileCount(), 3);

  Panels().names.clear();
  ASSERT_TRUE(editor->StepProgramFile(true));
  EXPECT_EQ(editor->FolderFileIndex(), 3);
  EXPECT_EQ(Panels().names, (std::vector<std::string>{"Path too long!", "Path too long!", "d"}));
  ASSERT_TRUE(editor->StepProgramFile(false));
  EXPECT_EQ(editor->FolderFileIndex(), 0);
  EXPECT_EQ(editor->Program()[ProgramIndex(kParamVco1Coarse)], 3);
}
