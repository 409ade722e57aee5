// The SysEx messages to and from the synth, byte by byte.
#include "synth/ZephraLinkMessages.h"

#include "tests/synth/support/ZephraTestPrograms.h"

#include <gtest/gtest.h>

TEST(ZephraLinkMessages, ProgramWriteLayoutAndChecksum)
{
  EXPECT_EQ(ProgramRequestMessage(5), (Bytes{0xF0, 0x00, 0x3E, 0x5A, 0x03, 0x40, 0x03, 0x05, 0xF7}));
  const Bytes m = ProgramWriteMessage(kDefaultProgram, "Init", 7);
  EXPECT_EQ(m, ProgramMessage(0x20, 7, kDefaultWire, "Init"));
  EXPECT_TRUE(DumpChecksumGood(m.data(), m.size()));
  for (size_t size : {212, 214, 114, 116}) EXPECT_FALSE(DumpChecksumGood(m.data(), size)) << size;
  // Names of 31, 32 and 33 characters: padded with NUL, whole, cut at 32.
  for (size_t length : {31, 32, 33})
  {
    const std::string sent(std::min<size_t>(length, 32), 'N');
    EXPECT_EQ(ProgramWriteMessage(kDefaultProgram, std::string(length, 'N'), 7),
              ProgramMessage(0x20, 7, kDefaultWire, sent)) << length;
    EXPECT_EQ(ProgramNameFromPath("/a.b/" + std::string(length, 'N') + ".pr3"), sent);
  }
  EXPECT_EQ(ProgramWriteMessage(kDefaultProgram, "A\xC3", 1)[179], '_');  // 7-bit only
}

// The name a program file goes to the synth under is the one the library
// shows for it, without its location; its category tag goes with it.
TEST(ZephraLinkMessages, NameSentIsTheLibrarysName)
{
  const struct { const char* path; const char* name; } kCases[] = {
    {"/b/01INIT.pr3", "INIT"},
    {"/b/01_INIT.pr3", "INIT"},
    {"/b/05_80s Brass.pr3", "80s Brass"},
    {"/b/02_01_A.pr3", "01_A"},
    {"/b/12_BASS_Deep.pr3", "BASS_Deep"},
    {"/b/03BASS_Deep.pr3", "BASS_Deep"},
    {"/b/7 Pad.prg", "Pad"},
    {"/b/09_.pr3", ""},
    {"/b/Lead.pr3", "Lead"},
    {"/b/BASS_Lead.pr3", "BASS_Lead"},
    {"/b/09_12345678901234567890123456789012.pr3", "12345678901234567890123456789012"},
    {"/b/09_123456789012345678901234567890123.pr3", "12345678901234567890123456789012"},
  };
  for (const auto& c : kCases) EXPECT_EQ(ProgramNameFromPath(c.path), c.name) << c.path;
}

TEST(ZephraLinkMessages, Firmware)
{
  EXPECT_EQ(FirmwareRequestMessage(), (Bytes{0xF0, 0x00, 0x3E, 0x5A, 0x02, 0x10, 0xF7}));
  const uint8_t ones[7] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
  EXPECT_EQ(FirmwareDataMessage(ones, 7), (Bytes{0xF0, 0x00, 0x3E, 0x5A, 0x02, 0x13, 0, 0, 9, 0x7F, 0x7F, 0x7F, 0x7F,
                                                0x7F, 0x7F, 0x7F, 0x7F, 0, 0x07, 0x78, 0xF7}));
  // Digits 7F 7F 2E sum to 300: checksum 02 2C.
  const uint8_t three[7] = {0xFF, 0xFD, 0x70, 0, 0, 0, 0};
  const Bytes m300 = FirmwareDataMessage(three, 7);
  EXPECT_EQ(Bytes(m300.end() - 3, m300.end()), (Bytes{0x02, 0x2C, 0xF7}));
  // Two bytes A5 5A left after a chunk: three digits, most significant first.
  const uint8_t tail[9] = {1, 2, 3, 4, 5, 6, 7, 0xA5, 0x5A};
  const Bytes mt = FirmwareDataMessage(tail, 9);
  EXPECT_EQ(Bytes(mt.begin() + 9, mt.begin() + 20),
            (Bytes{0x00, 0x40, 0x40, 0x30, 0x20, 0x14, 0x0C, 0x07, 0x02, 0x4A, 0x5A}));
  const std::vector<uint8_t> big(80000, 0x55);
  EXPECT_EQ(FirmwareDataMessage(big.data(), 79999).size(), 91440u);
  EXPECT_EQ(FirmwareDataMessage(big.data(), 80000).size(), 91441u);
}
