#include "core/IMidiMsg.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace
{
struct Bytes { int status, data1, data2; };

void ExpectBytes(const IMidiMsg& msg, Bytes expected, const char* name)
{
  EXPECT_EQ(msg.mStatus, expected.status) << name;
  EXPECT_EQ(msg.mData1, expected.data1) << name;
  EXPECT_EQ(msg.mData2, expected.data2) << name;
}

TEST(IMidiMsg, PitchWheelBuilder)
{
  const struct { const char* name; double value; int channel; Bytes expected; } cases[] = {
    {"centre", 0.0, 0, {0xE0, 0x00, 0x40}},
    {"half up", 0.5, 0, {0xE0, 0x00, 0x60}},
    {"top", 1.0, 0, {0xE0, 0x7F, 0x7F}},
    {"bottom", -1.0, 0, {0xE0, 0x00, 0x00}},
    {"above the range", 2.0, 0, {0xE0, 0x7F, 0x7F}},
    {"below the range", -3.0, 0, {0xE0, 0x00, 0x00}},
    {"not a number", NAN, 0, {0xE0, 0x00, 0x00}},
    {"channel 16", 0.0, 15, {0xEF, 0x00, 0x40}},
    {"channel wraps at 16", 0.0, 16, {0xE0, 0x00, 0x40}},
    {"channel 17 is channel 2", 0.0, 17, {0xE1, 0x00, 0x40}},
  };
  for (const auto& c : cases)
  {
    IMidiMsg msg(5, 1, 2, 3);
    msg.MakePitchWheelMsg(c.value, c.channel);
    ExpectBytes(msg, c.expected, c.name);
    EXPECT_EQ(msg.mOffset, 0) << c.name;
  }
}

TEST(IMidiMsg, ControlChangeBuilderKeepsDataBytesBelow128)
{
  const struct { const char* name; int controller; double value; int channel; Bytes expected; } cases[] = {
    {"volume half on channel 2", 7, 0.5, 2, {0xB2, 0x07, 0x3F}},
    {"full", 7, 1.0, 0, {0xB0, 0x07, 0x7F}},
    {"above one is limited", 7, 1.5, 0, {0xB0, 0x07, 0x7F}},
    {"below zero is limited", 7, -0.2, 0, {0xB0, 0x07, 0x00}},
    {"not a number", 7, NAN, 0, {0xB0, 0x07, 0x00}},
    {"controller 127", 127, 0.0, 0, {0xB0, 0x7F, 0x00}},
    {"controller 128 is limited", 128, 0.0, 0, {0xB0, 0x7F, 0x00}},
    {"controller far above 127", 300, 0.0, 0, {0xB0, 0x7F, 0x00}},
  };
  for (const auto& c : cases)
  {
    IMidiMsg msg;
    msg.MakeControlChangeMsg(c.controller, c.value, c.channel);
    ExpectBytes(msg, c.expected, c.name);
  }
}

TEST(IMidiMsg, NoteBuilders)
{
  IMidiMsg msg;
  msg.MakeNoteOnMsg(60, 100, 7, 3);
  ExpectBytes(msg, {0x93, 60, 100}, "note on");
  EXPECT_EQ(msg.mOffset, 7);
  msg.MakeNoteOnMsg(200, 128, 0, 0);
  ExpectBytes(msg, {0x90, 127, 127}, "note on limited");
  msg.MakeNoteOffMsg(61, 0, 1);
  ExpectBytes(msg, {0x81, 61, 0}, "note off always velocity 0");
  msg.Clear();
  ExpectBytes(msg, {0, 0, 0}, "clear");
}

TEST(IMidiMsg, WireLength)
{
  const struct
  {
    int status;
    int length;
  } cases[] = {{0x80, 3}, {0x93, 3}, {0xA0, 3}, {0xBF, 3}, {0xC5, 2}, {0xD0, 2}, {0xE0, 3},
               {0xF1, 2}, {0xF2, 3}, {0xF3, 2}, {0xF6, 1}, {0xF8, 1}, {0xFA, 1}, {0xFF, 1},
               {0xF0, 0}, {0xF7, 0}, {0x00, 0}, {0x7F, 0}};
  for (const auto& c : cases)
    EXPECT_EQ(IMidiMsg::WireLength(static_cast<uint8_t>(c.status)), c.length)
      << std::hex << c.status;
}

TEST(ISysEx, DumpIsBoundedByTheRoom)
{
  const uint8_t data[] = {0xF0, 0x00, 0x3E, 0x5A, 0xF7};

  const struct { const char* name; int room; int size; const char* expected; } cases[] = {
    {"three of five fit in 10", 10, 5, "F0 00 3E"},
    {"exactly three fit in 9", 9, 5, "F0 00 3E"},
    {"all five", 64, 5, "F0 00 3E 5A F7"},
    {"size limits", 64, 2, "F0 00"},
    {"room for none", 2, 5, ""},
    {"size 0", 64, 0, ""},
  };
  for (const auto& c : cases)
  {
    char text[64];
    memset(text, 'x', sizeof(text));
    SysExStr(text, c.room, data, c.size);
    EXPECT_STREQ(text, c.expected) << c.name;
    EXPECT_EQ(text[c.room < 64 ? c.room : 63], c.room < 64 ? 'x' : text[63]) << c.name;
  }
  char text[8] = "zzz";
  EXPECT_STREQ(SysExStr(text, sizeof(text), nullptr, 5), "");
}
}  // namespace
