#include "synth/LegacyProgram.h"

#include "tests/support/TempDir.h"
#include "tests/synth/support/ZephraTestPrograms.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>

namespace {

// An older file: values L[0..120] as "%d    \r\n", zero but for the overrides.
std::string LegacyFile(std::initializer_list<std::pair<int, int>> set)
{
  int L[kLegacyValueCount] = {};
  for (const auto& [i, v] : set) L[i] = v;
  std::string text;
  for (int v : L) text += std::to_string(v) + "    \r\n";
  return text;
}

bool Exists(const std::string& path)
{
  struct stat info;
  return stat(path.c_str(), &info) == 0;
}

}  // namespace

TEST(LegacyProgram, Mapping)
{
  const struct { int in, out; } kRates[] = {{0, 13}, {64, 71}, {127, 127}, {-64, -44}};
  for (const auto& c : kRates) EXPECT_EQ(LegacyLfoRate(c.in), c.out) << c.in;

  struct Case { const char* name; std::string text; std::vector<std::pair<EParam, int>> expect; };
  const Case kCases[] = {
    {"-1 selects the new filter", LegacyFile({{69, -1}, {70, 100}}),
     {{kParamVcfVintageNew, 1}, {kParamVcfCutoffVintage, 100}}},
    {"vintage cutoff", LegacyFile({{69, 50}, {70, 100}}),
     {{kParamVcfVintageNew, 0}, {kParamVcfCutoffVintage, 50}}},
    {"fixed values", LegacyFile({{58, 9}, {81, 4}, {85, 64}}),
     {{kParamVcfVolumeLog, 127}, {kParamVcaAttackTime, 9}, {kParamPitchBendRange, 4}, {kParamLfoFrequency, 71}}},
    {"LFO -44 limited to 1", LegacyFile({{85, -64}}), {{kParamLfoFrequency, 1}}},
    {"overdrive", LegacyFile({{89, 2}, {90, 1}, {92, 70}, {93, -3}}),
     {{kParamOverdriveOnOff, 1}, {kParamDrive, 70}, {kParamOverdriveLevel, -3}}},
    {"equaliser", LegacyFile({{89, 3}, {91, 1}, {92, 11}, {103, 5}}),
     {{kParamEqualizerOnOff, 2}, {kParamBassFrq, 11}, {kParamTrebleBoost, 5}}},
    {"chorus", LegacyFile({{89, 1}, {90, 1}, {92, 8}}),
     {{kParamModBlendInstrument, 1}, {kParamModOnOff, 1}, {kParamLfoAFrq, 8}}},
  };
  for (const Case& c : kCases)
  {
    ProgramFileContent content;
    ASSERT_EQ(ParseProgramText(c.text.data(), c.text.size(), content), ProgramFileError::kNone) << c.name;
    EXPECT_TRUE(content.legacy) << c.name;
    for (const auto& [param, v] : c.expect) EXPECT_EQ(content.values[ProgramIndex(param)], v) << c.name << " " << param;
  }
}

TEST(LegacyProgram, ConvertedFileReadsBackTheSameProgram)
{
  TempDir dir;
  const std::string legacy =
      LegacyFile({{0, -20}, {69, -1}, {70, 90}, {85, 30}, {89, 3}, {90, 1}, {92, 64}});
  WriteWholeFile(dir.File("old.prg"), legacy);
  ASSERT_EQ(ConvertPrgToPr3File(dir.File("old.prg").c_str()), ProgramFileError::kNone);

  // Every value mapped, then limited to its range (the minima 1, 7 and 10).
  TestValues expected{};
  const std::pair<int, int> kMapped[] = {
    {0, -20}, {6, 1},  {18, 1}, {30, 1}, {42, 1},  {58, 127}, {59, 1},  {60, 1},   {62, 1},  {63, 1},   {64, 1},
    {66, 1},  {68, 1}, {69, 1}, {75, 1}, {76, 90}, {83, 7},   {91, 40}, {157, 1},  {158, 64}, {162, 10}, {165, 10},
  };
  for (const auto& [p, v] : kMapped) expected[p] = v;
  EXPECT_EQ(LineNumbers(ReadWholeFile(dir.File("old.pr3"))), Pr3Numbers(expected));
  // Five dummy lines for 123..127, then index 128 numbered 124.
  std::string dummies;
  for (int i = 0; i < 5; ++i) dummies += " 0    ; dummy\r\n";
  EXPECT_NE(ReadWholeFile(dir.File("old.pr3")).find(dummies + " 0    ; field:  15 poti:  0   ser.no.:  124 \r\n"),
            std::string::npos);
  EXPECT_EQ(ConvertedProgramPath("/a.b/file"), "/a.b/file.pr3");
  EXPECT_EQ(ConvertedProgramPath("/x/a.PRG"), "/x/a.pr3");
}

TEST(LegacyProgram, FolderConversionSkipsWhatItCannotConvert)
{
  TempDir dir;
  WriteWholeFile(dir.File("a.prg"), LegacyFile({}));
  WriteWholeFile(dir.File("b.PRG"), LegacyFile({}));
  WriteWholeFile(dir.File("a.pr3"), "stale");
  WriteWholeFile(dir.File("c.txt"), LegacyFile({}));
  WriteWholeFile(dir.File("marker.prg"), FormatPr3Text(kDefaultProgram));
  WriteWholeFile(dir.File("bad.prg"), LegacyFile({{3, 300}}));
  WriteWholeFile(dir.File("big.Prg"), std::string(8193, '1'));
  int oversized = -1;
  EXPECT_EQ(ConvertPrgFolderFiles("no-slash"), 0);
  EXPECT_EQ(ConvertPrgFolderFiles((dir.Path() + "/").c_str(), &oversized), 2);
  EXPECT_EQ(oversized, 1);
  EXPECT_NE(ReadWholeFile(dir.File("a.pr3")), "stale");
  EXPECT_TRUE(Exists(dir.File("b.pr3")));
  for (const char* name : {"c.pr3", "marker.pr3", "bad.pr3", "big.pr3"})
    EXPECT_FALSE(Exists(dir.File(name))) << name;
}
