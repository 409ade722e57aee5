// The SysEx messages to and from the synth, byte by byte.
#include "synth/ZephraLinkMessages.h"

#include <gtest/gtest.h>

TEST(ZephraLinkMessages, ProgramWriteLayoutAndChecksum)
{
  EXPECT_EQ(ProgramRequestMessage(5), (Bytes{0xF0, 0x00, 0x3E, 0x5A, 0x03, 0x40, 0x03, 0x05, 0xF7}));
  const Bytes m = ProgramWriteMessage(kDefaultProgram, std::string(40, 'N') + "\xC3", 7);
  ASSERT_EQ(m.size(), 213u);
  EXPECT_EQ(Bytes(m.begin(), m.begin() + 8), (Bytes{0xF0, 0x00, 0x3E, 0x5A, 0x03, 0x20, 0x03, 7}));
  EXPECT_EQ(Bytes(m.begin() + 178, m.begin() + 210), Bytes(32, 'N'));  // cut at 32
  EXPECT_EQ(ProgramWriteMessage(kDefaultProgram, "A\xC3", 1)[179], '_');  // 7-bit only
  int sum = 0;
  for (int i = 8; i <= 209; ++i) sum += m[i];
  EXPECT_EQ(Bytes(m.begin() + 210, m.end()), (Bytes{uint8_t(sum >> 7 & 0x7F), uint8_t(sum & 0x7F), 0xF7}));
  EXPECT_TRUE(DumpChecksumGood(m.data(), m.size()));
  EXPECT_EQ(ProgramNameFromPath("/a/b.c/05_GTR_Lead.pr3"), "05_GTR_Lead");
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
  EXPECT_EQ(FirmwareDataMessage(big.data(), big.size()).size(), 91441u);
}
