#include "core/BASE_Blowfish.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

struct Vector { uint64_t key, plain, cipher; };

// Published Blowfish vectors: 8-byte keys, big-endian halves.
const Vector kVectors[] = {
    {0x0000000000000000ull, 0x0000000000000000ull, 0x4EF997456198DD78ull},
    {0xFFFFFFFFFFFFFFFFull, 0xFFFFFFFFFFFFFFFFull, 0x51866FD5B85ECB8Aull},
    {0x3000000000000000ull, 0x1000000000000001ull, 0x7D856F9A613063F2ull},
    {0x1111111111111111ull, 0x1111111111111111ull, 0x2466DD878B963C9Dull},
    {0x0123456789ABCDEFull, 0x1111111111111111ull, 0x61F9C3802281B096ull},
    {0xFEDCBA9876543210ull, 0x0123456789ABCDEFull, 0x0ACEAB0FC6A0A28Dull},
    {0x7CA110454A1A6E57ull, 0x01A1D6D039776742ull, 0x59C68245EB05282Bull},
};

void KeyBytes(uint64_t key, unsigned char out[8])
{
  for (int i = 0; i < 8; ++i) out[i] = static_cast<unsigned char>(key >> (56 - 8 * i));
}

}  // namespace

TEST(Blowfish, PublishedVectorsWithBigEndianHalves)
{
  for (const Vector& v : kVectors)
  {
    SCOPED_TRACE(testing::Message() << std::hex << "key " << v.key);
    unsigned char key[8];
    KeyBytes(v.key, key);
    Blowfish_Context ctx;
    Blowfish_Init(&ctx, key, 8);
    uint32_t l = uint32_t(v.plain >> 32), r = uint32_t(v.plain);
    Blowfish_Encrypt(&ctx, &l, &r);
    EXPECT_EQ((uint64_t(l) << 32) | r, v.cipher);
    Blowfish_Decrypt(&ctx, &l, &r);
    EXPECT_EQ((uint64_t(l) << 32) | r, v.plain);
  }
}

TEST(Blowfish, KeyBeyond72BytesAddsNothing)
{
  unsigned char longKey[128], cut[72];
  memcpy(longKey, kBlowfishProgramKey, 128);
  memcpy(cut, kBlowfishProgramKey, 72);
  Blowfish_Context a, b;
  Blowfish_Init(&a, longKey, 128);
  Blowfish_Init(&b, cut, 72);
  EXPECT_EQ(memcmp(&a, &b, sizeof(a)), 0);
}

// The stored password reads each half as a little-endian word, so its cipher
// text is the standard cipher of the block with each half's bytes reversed.
TEST(Blowfish, LittleEndianBlocksAreTheStandardCipherOfReversedHalves)
{
  Blowfish_Context ctx;
  Blowfish_Init(&ctx, reinterpret_cast<const unsigned char*>(kBlowfishProgramKey), 128);

  unsigned char block[8] = {'s', 'e', 'c', 'r', 'e', 't', '!', 0x0A};
  uint32_t l = uint32_t(block[0]) << 24 | uint32_t(block[1]) << 16 | uint32_t(block[2]) << 8 | block[3];
  uint32_t r = uint32_t(block[4]) << 24 | uint32_t(block[5]) << 16 | uint32_t(block[6]) << 8 | block[7];
  // Reverse each half, then apply the standard cipher.
  l = __builtin_bswap32(l);
  r = __builtin_bswap32(r);
  Blowfish_Encrypt(&ctx, &l, &r);

  Blowfish_EncryptBlocks(&ctx, block, sizeof(block));
  const unsigned char expected[8] = {uint8_t(l), uint8_t(l >> 8), uint8_t(l >> 16), uint8_t(l >> 24),
                                     uint8_t(r), uint8_t(r >> 8), uint8_t(r >> 16), uint8_t(r >> 24)};
  EXPECT_EQ(memcmp(block, expected, 8), 0);
}

TEST(Blowfish, PasswordBufferRoundTripsAndLeavesPartialBlockAlone)
{
  Blowfish_Context ctx;
  Blowfish_Init(&ctx, reinterpret_cast<const unsigned char*>(kBlowfishProgramKey), 128);

  unsigned char plain[131];
  for (int i = 0; i < 128; i += 4) memcpy(plain + i, "\x0A\x00\x00\x00", 4);
  memcpy(plain, "hunter2", 7);
  memcpy(plain + 128, "xyz", 3);

  unsigned char data[131];
  memcpy(data, plain, sizeof(data));
  Blowfish_EncryptBlocks(&ctx, data, sizeof(data));
  EXPECT_NE(memcmp(data, plain, 128), 0);
  EXPECT_EQ(memcmp(data + 128, "xyz", 3), 0);
  // Identical plaintext blocks give identical cipher blocks: no chaining.
  EXPECT_EQ(memcmp(data + 64, data + 72, 8), 0);

  Blowfish_DecryptBlocks(&ctx, data, sizeof(data));
  EXPECT_EQ(memcmp(data, plain, sizeof(data)), 0);
}

TEST(Blowfish, EmptyKeyIsUsable)
{
  Blowfish_Context a, b;
  Blowfish_Init(&a, nullptr, 0);
  const unsigned char zero = 0;
  Blowfish_Init(&b, &zero, 1);
  EXPECT_EQ(memcmp(&a, &b, sizeof(a)), 0);
}
