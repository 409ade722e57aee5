#include "support/ZephraTestModel.h"

#include "support/TempDir.h"
#include "synth/ProgramFile.h"
#include "tests/synth/support/ZephraTestPrograms.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <memory>

namespace {

struct EditorFilesTest : ::testing::Test
{
  TempDir dir;
  TempDir files;
  TestModel t{dir.Path()};
  ZephraModel* model = t.model.get();

  // The status texts shown since the last call.
  std::vector<std::string> NewStatus()
  {
    const std::vector<std::string> all = t.panels->Status();
    std::vector<std::string> added(all.begin() + static_cast<long>(mSeen), all.end());
    mSeen = all.size();
    return added;
  }
  size_t mSeen = 0;
  std::string Saved(const std::string& name)
  {
    EXPECT_TRUE(model->WriteSoundAsProgramFile(files.File(name).c_str()));
    return ReadWholeFile(files.File(name));
  }
};

}  // namespace

// Loading puts every field into its parameter, composites split into their
// halves; saving folds them again. Both are checked against literal values,
// so a field lost the same way in both directions shows.
TEST_F(EditorFilesTest, SampleFileLoadsAndSavesFieldByField)
{
  model->InitProgram();
  EXPECT_EQ(LineNumbers(Saved("init.pr3")), Pr3Numbers(kDefaultValues));

  WriteWholeFile(files.File("sample.pr3"), MarkerText(kSampleValues));
  ASSERT_EQ(model->LoadProgramFile(files.File("sample.pr3").c_str()), ProgramFileError::kNone);
  EXPECT_STREQ(model->ProgramName(), "sample");
  const struct { const char* name; int param, value; } kParams[] = {
    {"VCO1 coarse", 3, -13},          {"new cutoff", 186, 100},
    {"trig/gate mode", 92, 1},        {"portamento mode", 173, 1},
    {"FLEXI1 SOURCE", 98, 98},        {"FLEXI1 BITS", 99, 1},           {"FLEXI1 MODE", 174, 1},
    {"FLEXI1 DESTINATION", 100, 16},  {"FLEXI1 RANGE POLARITY", 101, 1}, {"FLEXI1 RC POLARITY", 175, 1},
    {"FLEXI1 RANGE", 102, 2},         {"FLEXI1 RANGE CONTROL", 103, 60}, {"FLEXI1 CURVE", 104, -11},
    {"FLEXI2 BITS", 106, 0},          {"FLEXI2 MODE", 176, 1},          {"FLEXI2 RANGE POLARITY", 108, 1},
    {"FLEXI2 RC POLARITY", 177, 0},   {"FLEXI2 CURVE", 111, 5},         {"FLEXI3 SOURCE", 112, 0},
    {"FLEXI4 BITS", 120, 1},          {"FLEXI4 MODE", 180, 0},          {"FLEXI4 RANGE POLARITY", 122, 0},
    {"FLEXI4 RC POLARITY", 181, 1},   {"Delay Vintage/Long", 126, 1},   {"MIDI Sync", 127, 3},
    {"Overdrive ON/OFF", 147, 1},     {"OD Blend INSTRUMENT", 182, 0},  {"OD Blend VCF", 183, 1},
    {"Level", 149, -1},               {"Equalizer ON/OFF", 160, 1},     {"EQ Blend INSTRUMENT", 184, 1},
    {"EQ Blend VCF", 185, 1},         {"Treble Boost", 172, -13},
  };
  for (const auto& c : kParams) EXPECT_EQ(model->ParamInt(c.param), c.value) << c.name;
  const int kTargets[] = {144, 183, -1, 169};
  for (int s = 0; s < 4; ++s) EXPECT_EQ(model->FlexiTarget(s), kTargets[s]) << "FLEXI" << s + 1;

  const std::string saved = Saved("saved.pr3");
  EXPECT_EQ(LineNumbers(saved), Pr3Numbers(kSampleValues));
  for (const char* line : {" 243 \r\n-13   ; field:  0  poti:  0   ser.no.:  1 \r\n",
                           "\n 3    ; field:  9  poti:  4   ser.no.:  90 \r\n",
                           "\n 3    ; field:  11 poti:  1   ser.no.:  97 \r\n",
                           "\n 2    ; field:  17 poti:  0   ser.no.:  142 \r\n",
                           "\n 3    ; field:  18 poti:  0   ser.no.:  155 \r\n"})
    EXPECT_NE(saved.find(line), std::string::npos) << line;
}

TEST_F(EditorFilesTest, BadFilesLeaveTheProgram)
{
  WriteWholeFile(files.File("range.pr3"), " 243 \r\n100  \r\n"); // coarse tuning is -24..48
  ASSERT_EQ(model->LoadProgramFile(files.File("range.pr3").c_str()), ProgramFileError::kNone);
  EXPECT_EQ(model->Program()[ProgramIndex(kParamVco1Coarse)], 48);
  EXPECT_EQ(model->ParamInt(kParamVco1Coarse), 48);

  WriteWholeFile(files.File("empty.pr3"), "");
  WriteWholeFile(files.File("8192.pr3"), " 243 \r\n 7\r\n" + std::string(8192 - 11, '\n'));
  WriteWholeFile(files.File("8193.pr3"), std::string(8193, '\n'));
  WriteWholeFile(files.File("value.pr3"), " 243 \r\n 200 \r\n");
  mkdir(files.File("folder.pr3").c_str(), 0755);
  const struct { const char* name; ProgramFileError error; bool message; } kCases[] = {
    {"missing.pr3", ProgramFileError::kCannotOpen, false},
    {"folder.pr3", ProgramFileError::kCannotOpen, false},
    {"empty.pr3", ProgramFileError::kBadSize, true},
    {"8193.pr3", ProgramFileError::kBadSize, true},
    {"value.pr3", ProgramFileError::kBadValue, false},
  };
  const ProgramValues before = model->Program();
  for (const auto& c : kCases)
  {
    NewStatus();
    EXPECT_EQ(model->LoadProgramFile(files.File(c.name).c_str()), c.error) << c.name;
    EXPECT_EQ(model->Program(), before) << c.name;
    EXPECT_STREQ(model->ProgramName(), "range") << c.name;
    EXPECT_EQ(NewStatus(), c.message ? std::vector<std::string>{"Corrupted filesize!"}
                                        : std::vector<std::string>{}) << c.name;
  }
  ASSERT_EQ(model->LoadProgramFile(files.File("8192.pr3").c_str()), ProgramFileError::kNone);
  EXPECT_EQ(model->Program()[ProgramIndex(kParamVco1Coarse)], 7);
}

// The program name is the file name without folder and extension, cut to
// 32 characters, never inside one.
TEST_F(EditorFilesTest, ProgramNameFromTheFileName)
{
  const auto times = [](const char* c, int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += c;
    return s;
  };
  const struct { std::string file, name; } kCases[] = {
    // "a" and 20 two-byte letters: 41 bytes, 21 characters, kept whole.
    {"/p/a" + times("\xc3\xa4", 20) + ".pr3", "a" + times("\xc3\xa4", 20)},
    {times("\xc3\xa4", 31) + ".pr3", times("\xc3\xa4", 31)},
    {times("\xc3\xa4", 32) + ".pr3", times("\xc3\xa4", 32)},
    {times("\xc3\xa4", 33) + ".pr3", times("\xc3\xa4", 32)},
    {"x" + times("\xe3\x81\x82", 32) + ".pr3", "x" + times("\xe3\x81\x82", 31)},
    {times("\xf0\x9f\x8e\xb9", 33) + ".pr3", times("\xf0\x9f\x8e\xb9", 32)},
    {"/a.b/" + std::string(31, 'n') + ".pr3", std::string(31, 'n')},
    {std::string(32, 'n') + ".pr3", std::string(32, 'n')},
    {std::string(33, 'n') + ".x.pr3", std::string(32, 'n')},
    {"abc", std::string(32, 'n')},  // shorter than 4: the name stays
    {"abcd", "abcd"},
    // Bytes that make no character count one each, whatever follows them.
    {"A" + std::string(240, '\x80') + ".pr3", "A" + std::string(31, '\x80')},
    {times("\xc0\xaf", 17) + ".pr3", times("\xc0\xaf", 16)},           // overlong "/"
    {times("\xed\xa0\x80", 11) + ".pr3", times("\xed\xa0\x80", 10) + "\xed\xa0"},  // surrogates
    {"\xe3\x81" + times("\xf0\x9f\x8e\xb9", 31) + ".pr3", "\xe3\x81" + times("\xf0\x9f\x8e\xb9", 30)},
  };
  for (const auto& c : kCases)
  {
    model->SetProgramNameFromFile(c.file.c_str());
    EXPECT_EQ(model->ProgramName(), c.name) << c.file;
  }
}

// A program file whose name is no UTF-8, loaded from the folder and as the
// manager's selected row (whose name goes behind its location), leaves a
// name within its field and the program whole.
TEST_F(EditorFilesTest, ANameOfStrayBytesStaysInItsField)
{
  const std::string path = files.File("A" + std::string(240, '\x80') + ".pr3");
  WriteWholeFile(path, MarkerText(kSampleValues));
  ASSERT_EQ(model->LoadProgramFile(path.c_str()), ProgramFileError::kNone);
  EXPECT_EQ(model->ProgramName(), "A" + std::string(31, '\x80'));
  EXPECT_EQ(model->ParamInt(kParamVco1Coarse), -13);

  model->SetManagerMode(true);
  WriteWholeFile(files.File("01_A.pr3"), MarkerText(kSampleValues));
  ASSERT_TRUE(model->Bank().SetProgram(1, files.File("01_A.pr3"), 1, "A" + std::string(240, '\x80')));
  model->Bank()[1].selected = 1;
  ASSERT_EQ(model->LoadProgramFile(path.c_str()), ProgramFileError::kNone);
  EXPECT_EQ(model->ProgramName(), "01_A" + std::string(28, '\x80'));
  EXPECT_EQ(model->ParamInt(kParamVco1Coarse), -13);
}

TEST_F(EditorFilesTest, ScanAndStepThroughTheFolder)
{
  TestValues b = kDefaultValues;
  b[ProgramIndex(kParamVco1Coarse)] = 12;
  WriteWholeFile(files.File("10_A.pr3"), MarkerText(kDefaultValues));
  WriteWholeFile(files.File("2_B.pr3"), MarkerText(b));
  model->ScanProgramFolder(files.File("10_A.pr3").c_str());
  EXPECT_EQ(model->FolderFiles(), (std::vector<std::string>{"10_A.pr3", "2_B.pr3"}));
  EXPECT_EQ(model->FolderFileIndex(), 0);
  EXPECT_STREQ(model->ProgramName(), "10_A");

  t.TakeWire();
  ASSERT_TRUE(model->StepProgramFile(false));  // wraps to the last file
  EXPECT_EQ(model->FolderFileIndex(), 1);
  EXPECT_STREQ(model->ProgramName(), "2_B");
  EXPECT_EQ(model->Program()[ProgramIndex(kParamVco1Coarse)], 12);
  EXPECT_EQ(t.TakeWire().size(), 336u * 3) << "the loaded program is sent";
  ASSERT_TRUE(model->StepProgramFile(true));
  EXPECT_EQ(model->FolderFileIndex(), 0);

  remove(files.File("10_A.pr3").c_str());
  model->ScanProgramFolder(files.File("2_B.pr3").c_str());
  EXPECT_EQ(model->FolderFileCount(), 0);
  EXPECT_FALSE(model->StepProgramFile(true)) << "one file: nothing to step to";
}

// A file whose folder and name fill the 256-byte path field (NUL included)
// or more cannot be loaded: previous/next step past it to the next one.
TEST_F(EditorFilesTest, StepPastPathsTooLongForTheField)
{
  const std::string folder = files.Path() + "/";
  auto name = [&folder](char first, size_t pathLength) {
    return first + std::string(pathLength - folder.size() - 5, 'x') + ".pr3";
  };
  TestValues fits = kDefaultValues;
  fits[ProgramIndex(kParamVco1Coarse)] = 3;
  WriteWholeFile(folder + name('a', 255), MarkerText(fits));
  WriteWholeFile(folder + name('b', 256), MarkerText(kDefaultValues));
  WriteWholeFile(folder + name('c', 257), MarkerText(kDefaultValues));
  WriteWholeFile(folder + "d.pr3", MarkerText(kDefaultValues));
  model->ScanProgramFolder((folder + name('a', 255)).c_str());
  ASSERT_EQ(model->FolderFileCount(), 3);

  NewStatus();
  ASSERT_TRUE(model->StepProgramFile(true));
  EXPECT_EQ(model->FolderFileIndex(), 3);
  EXPECT_EQ(NewStatus(), (std::vector<std::string>{"Path too long!", "Path too long!", "d"}));
  ASSERT_TRUE(model->StepProgramFile(false));
  EXPECT_EQ(model->FolderFileIndex(), 0);
  EXPECT_EQ(model->Program()[ProgramIndex(kParamVco1Coarse)], 3);
}
