#include "synth/ProgramFile.h"

#include "support/FileFaults.h"
#include "support/TempDir.h"
#include "tests/synth/support/ZephraTestPrograms.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A marker file with the given value lines, each ended by LF.
std::string MarkerFile(const std::vector<std::string>& valueLines)
{
  std::string text = " 243 \r\n";
  for (const std::string& l : valueLines) text += l + "\n";
  return text;
}

std::string WithCutoff(int chooser, int cutoff)
{
  ProgramValues v = kDefaultProgram;
  v[ProgramIndex(kParamVcfVintageNew)] = chooser;
  v[ProgramIndex(kParamVcfCutoffVintage)] = cutoff;
  return FormatPr3Text(v);
}

}  // namespace

TEST(ProgramFile, DefaultProgramTextIsExact)
{
  const std::string text = FormatPr3Text(kDefaultProgram);
  std::vector<std::string> lines;
  for (size_t at = 0, end; at < text.size(); at = end + 1)
    lines.push_back(text.substr(at, (end = text.find('\n', at)) - at + 1));
  ASSERT_EQ(lines.size(), 171u);
  const struct { size_t line; const char* text; } kLines[] = {
    {0, " 243 \r\n"},
    {1, " 0    ; field:  0  poti:  0   ser.no.:  1 \r\n"},
    {9, " 42   ; field:  0  poti:  8   ser.no.:  9 \r\n"},
    {77, " 122  ; field:  7  poti:  6   ser.no.:  77 \r\n"},
    {125, " 0    ; field:  9  poti:  7   ser.no.:  125 \r\n"},
    {126, " 0    ; dummy\r\n"}, {127, " 0    ; dummy\r\n"}, {128, " 0    ; dummy\r\n"},
    {129, " 0    ; field:  15 poti:  0   ser.no.:  126 \r\n"},
    {163, " 10   ; field:  18 poti:  5   ser.no.:  160 \r\n"},
    {170, " 0    ; field:  18 poti:  12  ser.no.:  167 \r\n"},
  };
  for (const auto& l : kLines) EXPECT_EQ(lines[l.line], l.text) << "line " << l.line;
  EXPECT_EQ(LineNumbers(text), Pr3Numbers(kDefaultValues));
  std::string negative;
  AppendPr3ValueLine(negative, -24, 0, 1);
  EXPECT_EQ(negative, "-24   ; field:  0  poti:  0   ser.no.:  1 \r\n");
}

TEST(ProgramFile, ParsingRulesAndRanges)
{
  struct Case
  {
    const char* name;
    std::string text;
    ProgramFileError error;
    std::vector<std::pair<EParam, int>> expect;
  };
  const Case kCases[] = {
    // Missing values are 0, then limited to each range.
    {"marker only", " 243 \r\n", ProgramFileError::kNone,
     {{kParamVco1Coarse, 0}, {kParamVco1PwmLfoFrq, 1}, {kParamVcfQ, 7}, {kParamVcfCutoffNew, 36}}},
    {"short line without CR drops its last digit", MarkerFile({"12"}), ProgramFileError::kNone,
     {{kParamVco1Coarse, 1}}},
    {"short line with CR", MarkerFile({"12\r"}), ProgramFileError::kNone, {{kParamVco1Coarse, 12}}},
    {"no number keeps the previous", MarkerFile({" 5\r", "x\r", "", " 7\r"}), ProgramFileError::kNone,
     {{kParamVco1Coarse, 5}, {kParamVco1Fine, 5}, {kParamVco1Beat, 7}}},
    {"extremes limited to the index range", MarkerFile({"-64  \r", "127  \r"}),
     ProgramFileError::kNone, {{kParamVco1Coarse, -24}, {kParamVco1Fine, 63}}},
    {"vintage cutoff above 80", WithCutoff(0, 100), ProgramFileError::kNone, {{kParamVcfCutoffVintage, 80}}},
    {"new cutoff below 36", WithCutoff(1, 10), ProgramFileError::kNone, {{kParamVcfCutoffVintage, 36}}},
    {"value 200 refuses the file", MarkerFile({" 200 \r"}), ProgramFileError::kBadValue, {}},
    {"only line ends", "\n\n\n", ProgramFileError::kBadSize, {}},
    {"8191 bytes", WithCutoff(1, 50).append(8191 - 7626, '\n'), ProgramFileError::kNone,
     {{kParamVcfCutoffVintage, 50}}},
    {"8192 bytes", WithCutoff(1, 50).append(8192 - 7626, '\n'), ProgramFileError::kNone,
     {{kParamVcfCutoffVintage, 50}}},
    {"8193 bytes", WithCutoff(1, 50).append(8193 - 7626, '\n'), ProgramFileError::kBadSize, {}},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.name);
    ProgramFileContent content;
    content.values.fill(99);
    ASSERT_EQ(ParseProgramText(c.text.data(), c.text.size(), content), c.error);
    if (c.error != ProgramFileError::kNone) { EXPECT_EQ(content.values[0], 99) << "left as it was"; }
    for (const auto& [param, v] : c.expect) EXPECT_EQ(content.values[ProgramIndex(param)], v) << "parameter " << param;
  }

  std::vector<uint8_t> dump(kDumpSize, 0);
  dump[kDumpValueOffset + 0] = 24;  // coarse -24..48: byte 24 is 0
  dump[kDumpValueOffset + 1] = 127; // fine -63..63: limited to 63
  ProgramValues fromDump{};
  ASSERT_TRUE(ProgramValuesFromDump(dump.data(), dump.size(), fromDump));
  EXPECT_EQ(fromDump[ProgramIndex(kParamVco1Coarse)], 0);
  EXPECT_EQ(fromDump[ProgramIndex(kParamVco1Fine)], 63);
  EXPECT_TRUE(ProgramValuesFromDump(dump.data(), 210, fromDump));  // up to the name's end
  EXPECT_FALSE(ProgramValuesFromDump(dump.data(), 209, fromDump));

  // Lines a file lacks keep the values asked for: here the default program's.
  ProgramFileContent content;
  ASSERT_EQ(ParseProgramText(" 243 \r\n5\r\n", 10, content, kDefaultProgram), ProgramFileError::kNone);
  const std::pair<EParam, int> kKept[] = {{kParamVco1Coarse, 5},       {kParamVco1Volume, 32},
                                          {kParamVcfVintageNew, 1},     {kParamVcfCutoffVintage, 122},
                                          {kParamVcfQ, 7},              {kParamVcfCutoffNew, 122}};
  for (const auto& [param, v] : kKept) EXPECT_EQ(content.values[ProgramIndex(param)], v) << "parameter " << param;
}

// A save that meets a full disk keeps the earlier program byte for byte
// (a cut file would still read as a program, half of it zeros) and says so.
TEST(ProgramFile, AFailedSaveKeepsTheEarlierFile)
{
  const std::string earlier = FormatPr3Text(kDefaultProgram);
  ProgramValues changed = kDefaultProgram;
  changed[ProgramIndex(kParamVco1Coarse)] = 5;
  const std::string text = FormatPr3Text(changed);
  ASSERT_EQ(text.size(), earlier.size());
  struct Case { const char* name; long limit; bool ok; } const kCases[] = {
    {"a block of it", 4096, false},
    {"all but one byte", static_cast<long>(text.size()) - 1, false},
    {"exactly", static_cast<long>(text.size()), true},
    {"a byte to spare", static_cast<long>(text.size()) + 1, true},
  };
  for (const Case& c : kCases)
  {
    TempDir dir;
    const std::string path = dir.File("03_Lead.pr3");
    WriteWholeFile(path, earlier);
    EXPECT_EQ(RunWithFileSizeLimit(c.limit, [&] { return WriteProgramText(path.c_str(), text); }), c.ok) << c.name;
    EXPECT_EQ(ReadWholeFile(path), c.ok ? text : earlier) << c.name;
  }
}
