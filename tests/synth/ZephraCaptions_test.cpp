#include "synth/ZephraCaptions.h"
#include "synth/ZephraNrpn.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Caption(int p, int v, int delayLong = 0, int midiSync = 0)
{
  char text[32];
  FormatValueCaption(p, v, CaptionContext{delayLong, midiSync}, text, sizeof text);
  return text;
}

}  // namespace

TEST(ZephraCaptions, Table)
{
  struct Case { const char* name; int p, v, delayLong, midiSync; const char* text; } kCases[] = {
    {"plain number", 0, -24, 0, 0, "-24"},
    {"LFO 1", 91, 1, 0, 0, "0.25Hz"},
    {"LFO 20", 91, 20, 0, 0, "1.48Hz"},
    {"LFO 127", 91, 127, 0, 0, "28.02Hz"},
    {"chorus LFO", 132, 127, 0, 0, "8.60Hz"},
    {"delay1 long 64", 135, 64, 1, 0, "302ms"},
    {"delay1 long 127", 135, 127, 1, 0, "600ms"},
    {"delay1 synced", 135, 9, 1, 2, "1/2"},
    {"delay1 synced beyond list", 135, 12, 1, 2, "12"},
    {"delay2 sync 2 stays ms", 139, 127, 1, 2, "600ms"},
    {"delay2 sync 3", 139, 0, 1, 3, "1/16D"},
    {"delay sync needs long range", 135, 64, 0, 3, "70ms"},
    {"PWM LFO synced", 42, 7, 0, 1, "1/4T"},
    {"transposition high", 49, 3, 0, 0, "24"},
    {"VCF type NTC", 82, 3, 0, 0, "NTC"},
    {"VCF type OFF", 82, 4, 0, 0, "OFF"},
    {"delay1 vintage 127", 135, 127, 0, 0, "140ms"},
    {"mode out of list", 67, 5, 0, 0, ""},
    {"portamento mode", 170, 1, 0, 0, "legato"},
    {"vintage filter", 75, 0, 0, 0, "vintage"},
    {"MIDI Sync top", 124, 3, 0, 0, "delay1+2"},
    {"MIDI Sync beyond", 124, 4, 0, 0, ""},
    {"2nd VCF off", 77, 0, 0, 0, "off"},
    {"2nd VCF 1", 77, 1, 0, 0, "1"},
    {"blend off", 182, 0, 0, 0, "off"},
    {"PWM LFO free", 42, 7, 0, 0, "7"},
  };
  for (const Case& c : kCases) EXPECT_EQ(Caption(c.p, c.v, c.delayLong, c.midiSync), c.text) << c.name;
}

// Every value of every index, and values beyond its range, give a data byte:
// the value minus a negative minimum, limited to the range first.
TEST(ZephraNrpn, WireByteAlwaysBelowStatusRange)
{
  const struct { int p, v, byte; } kBytes[] = {
    {0, -24, 0}, {0, 48, 72}, {1, 63, 126}, {76, 122, 80}, {183, 122, 122}, {101, -11, 0}, {134, 63, 127},
    {146, 6, 12}, {169, -16, 0}, {169, 16, 30}, {6, 0, 1}, {6, -5000, 1},
  };
  for (const auto& c : kBytes) EXPECT_EQ(NrpnDataByte(c.p, c.v), c.byte) << c.p << " value " << c.v;
  for (int p = 0; p < kProgramSize; ++p)
    for (int v = kProgramMin[p] - 500; v <= kProgramMax[p] + 500; ++v)
      ASSERT_LT(NrpnDataByte(p, v), 0x80) << kProgramValues[p].param.name << " value " << v;
}
