#include "core/BASE_Blowfish.h"

#include <cstring>

const char kBlowfishProgramKey[129] =
    "Zq7#Lm2@Vx9!Rt4$Kp6&Wn1*Hs8^Cj3%Fb5(Dy0)Ge7-Tu2+Mi9=Oa4[Sl6]Nz1{Ec8}Bh3;Jv5:Xw0,Pk7."
    "Ud2?Ry9/Qf4<Ag6>Io1|Zt8~Lc3_Mh5#Vb0@Kd7!We2$";

static_assert(sizeof(kBlowfishProgramKey) == 129, "the program key is 128 characters");

// F(x) = ((S0[a] + S1[b]) ^ S2[c]) + S3[d], a being the most significant byte.
static inline uint32_t Feistel(const Blowfish_Context* ctx, uint32_t x)
{
  return ((ctx->S[0][x >> 24] + ctx->S[1][(x >> 16) & 0xFF]) ^ ctx->S[2][(x >> 8) & 0xFF]) +
         ctx->S[3][x & 0xFF];
}

// The 16 Feistel rounds; deciphering is the same network with the subkeys
// taken in reverse order (subkey i becomes subkey 17 - i).
template <bool kReverse>
static void Rounds(const Blowfish_Context* ctx, uint32_t* left, uint32_t* right)
{
  auto key = [ctx](int i) { return ctx->P[kReverse ? 17 - i : i]; };
  uint32_t l = *left, r = *right;
  for (int i = 0; i < 16; ++i)
  {
    l ^= key(i);
    r ^= Feistel(ctx, l);
    uint32_t t = l;
    l = r;
    r = t;
  }
  // Undo the last swap, then whiten with the last two subkeys.
  *left = r ^ key(17);
  *right = l ^ key(16);
}

void Blowfish_Encrypt(const Blowfish_Context* ctx, uint32_t* left, uint32_t* right)
{
  Rounds<false>(ctx, left, right);
}

void Blowfish_Decrypt(const Blowfish_Context* ctx, uint32_t* left, uint32_t* right)
{
  Rounds<true>(ctx, left, right);
}

void Blowfish_Init(Blowfish_Context* ctx, const unsigned char* key, int keyLength)
{
  static const unsigned char kZeroKey[1] = {0};
  if (!key || keyLength <= 0)
  {
    key = kZeroKey;
    keyLength = 1;
  }
  memcpy(ctx->S, kBlowfishInitS, sizeof(ctx->S));
  int k = 0;
  for (int i = 0; i < 18; ++i)
  {
    uint32_t word = 0;
    for (int b = 0; b < 4; ++b)
    {
      word = (word << 8) | key[k];
      if (++k >= keyLength) k = 0;
    }
    ctx->P[i] = kBlowfishInitP[i] ^ word;
  }

  // 9 encipherments refill the subkeys and 512 the boxes, each from the last.
  uint32_t l = 0, r = 0;
  for (int i = 0; i < 18; i += 2)
  {
    Blowfish_Encrypt(ctx, &l, &r);
    ctx->P[i] = l;
    ctx->P[i + 1] = r;
  }
  for (int box = 0; box < 4; ++box)
  {
    for (int i = 0; i < 256; i += 2)
    {
      Blowfish_Encrypt(ctx, &l, &r);
      ctx->S[box][i] = l;
      ctx->S[box][i + 1] = r;
    }
  }
}

static inline uint32_t LoadLE(const unsigned char* p)
{
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

static inline void StoreLE(unsigned char* p, uint32_t v)
{
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
  p[2] = uint8_t(v >> 16);
  p[3] = uint8_t(v >> 24);
}

template <void (*Cipher)(const Blowfish_Context*, uint32_t*, uint32_t*)>
static void CipherBlocks(const Blowfish_Context* ctx, unsigned char* data, size_t size)
{
  for (size_t pos = 0; pos + 8 <= size; pos += 8)
  {
    uint32_t l = LoadLE(data + pos), r = LoadLE(data + pos + 4);
    Cipher(ctx, &l, &r);
    StoreLE(data + pos, l);
    StoreLE(data + pos + 4, r);
  }
}

void Blowfish_EncryptBlocks(const Blowfish_Context* ctx, unsigned char* data, size_t size)
{
  CipherBlocks<Blowfish_Encrypt>(ctx, data, size);
}

void Blowfish_DecryptBlocks(const Blowfish_Context* ctx, unsigned char* data, size_t size)
{
  CipherBlocks<Blowfish_Decrypt>(ctx, data, size);
}
