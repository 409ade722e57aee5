// Blowfish block cipher (64-bit blocks, 16 rounds), used to keep the
// remembered program-database password out of plain sight on disk.
//
// Blowfish_Encrypt/Decrypt work on the two 32-bit halves of one block as the
// published algorithm does. The program itself stores blocks in electronic
// code book order with each half read as a little-endian word; the
// Blowfish_*Blocks helpers do that, and the stored password file depends on it.
#pragma once

#include <cstddef>
#include <cstdint>

struct Blowfish_Context
{
  uint32_t P[18];
  uint32_t S[4][256];
};

extern const uint32_t kBlowfishInitP[18];
extern const uint32_t kBlowfishInitS[4][256];

// The program's own key: 128 printable characters, used whole.
extern const char kBlowfishProgramKey[129];

// Key schedule. The key is read cyclically; past 72 bytes it adds nothing.
// A key length of 0 is treated as a key of one zero byte.
void Blowfish_Init(Blowfish_Context* ctx, const unsigned char* key, int keyLength);
void Blowfish_Encrypt(const Blowfish_Context* ctx, uint32_t* left, uint32_t* right);
void Blowfish_Decrypt(const Blowfish_Context* ctx, uint32_t* left, uint32_t* right);

// Enciphers or deciphers size / 8 whole blocks in place, each 8 bytes taken as
// a little-endian left word and a little-endian right word. Trailing bytes of
// an incomplete block are left as they are.
void Blowfish_EncryptBlocks(const Blowfish_Context* ctx, unsigned char* data, size_t size);
void Blowfish_DecryptBlocks(const Blowfish_Context* ctx, unsigned char* data, size_t size);
