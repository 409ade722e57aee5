// The vectorised row kernels against the scalar rules they stand for, on every
// width up to a few vectors, every pixel alignment of both rows, and every
// source alpha.
#include "raster/RAST_Simd.h"

#include "raster/RAST_Combine.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

namespace
{
constexpr int kMaxWidth = 67;

// Rows that start 0..3 pixels past a 16-byte boundary.
struct Rows
{
  alignas(16) RAST_pixel dest[kMaxWidth + 8];
  alignas(16) RAST_pixel src[kMaxWidth + 8];
};

// Alpha bytes in runs of clear, opaque and partial pixels, so that groups of
// four take each branch of the kernels.
RAST_pixel RandomPixel(std::mt19937& rng, int run)
{
  RAST_pixel p = static_cast<RAST_pixel>(rng()) & 0xFFFFFF00u;
  switch (run % 4)
  {
    case 0: return p;
    case 1: return p | 0xFFu;
    default: return p | (rng() & 0xFFu);
  }
}

template <class Kernel, class Reference>
void CompareEverywhere(const char* name, Kernel kernel, Reference reference)
{
  std::mt19937 rng(12345);
  for (int width = 0; width <= kMaxWidth; ++width)
    for (int da = 0; da < 4; ++da)
      for (int sa = 0; sa < 4; ++sa)
      {
        Rows fast, slow;
        const int run = static_cast<int>(rng() % 4);
        for (int i = 0; i < kMaxWidth + 8; ++i)
        {
          fast.dest[i] = slow.dest[i] = static_cast<RAST_pixel>(rng());
          fast.src[i] = slow.src[i] = RandomPixel(rng, (run + i / 4) % 4);
        }
        kernel(fast.dest + da, fast.src + sa, width);
        for (int i = 0; i < width; ++i) reference(slow.dest + da + i, slow.src[sa + i]);
        for (int i = 0; i < kMaxWidth + 8; ++i)
          ASSERT_EQ(fast.dest[i], slow.dest[i])
              << name << " width " << width << " offsets " << da << "," << sa << " pixel " << i;
      }
}

TEST(RAST_Simd, RowKernelsMatchTheScalarRules)
{
  CompareEverywhere(
      "half mix", &RAST_RowHalfMix, [](RAST_pixel* d, RAST_pixel s) { *d = RAST_HalfMix(*d, s); });
  CompareEverywhere("copy with source alpha", &RAST_RowCopySourceAlphaFull, [](RAST_pixel* d, RAST_pixel s) {
    RAST_CombinePixelsCopySourceAlphaFull(d, RAST_GETR(s), RAST_GETG(s), RAST_GETB(s), RAST_GETA(s));
  });
  const RAST_pixel kColors[] = {0u, 0xFFFFFFFFu, 0x80402010u, 0x7F3FC001u};
  for (RAST_pixel c : kColors)
  {
    CompareEverywhere(
        "quarter mix", [c](RAST_pixel* d, const RAST_pixel*, int n) { RAST_RowQuarterMixColor(d, n, c); },
        [c](RAST_pixel* d, RAST_pixel) { *d = RAST_QuarterMix(*d, c); });
    CompareEverywhere(
        "half mix colour", [c](RAST_pixel* d, const RAST_pixel*, int n) { RAST_RowHalfMixColor(d, n, c); },
        [c](RAST_pixel* d, RAST_pixel) { *d = RAST_HalfMix(*d, c); });
    CompareEverywhere(
        "three quarter mix",
        [c](RAST_pixel* d, const RAST_pixel*, int n) { RAST_RowThreeQuarterMixColor(d, n, c); },
        [c](RAST_pixel* d, RAST_pixel) { *d = RAST_ThreeQuarterMix(*d, c); });
  }
}

// Every source alpha against every pair of source and destination bytes, in
// each colour channel and in the alpha byte.
TEST(RAST_Simd, CopySourceAlphaMatchesOnEveryByteTriple)
{
  std::vector<RAST_pixel> dest(256 * 256 + 3), src(256 * 256 + 3), ref;
  for (int a = 0; a < 256; ++a)
  {
    for (int s = 0; s < 256; ++s)
      for (int d = 0; d < 256; ++d)
      {
        const size_t i = static_cast<size_t>(s) * 256 + d;
        src[i] = RAST_RGBA(s, 255 - s, d, a);
        dest[i] = RAST_RGBA(d, s ^ 0x55, 255 - d, d);
      }
    ref = dest;
    for (size_t i = 0; i < ref.size(); ++i)
      RAST_CombinePixelsCopySourceAlphaFull(&ref[i], RAST_GETR(src[i]), RAST_GETG(src[i]), RAST_GETB(src[i]),
                                            RAST_GETA(src[i]));
    RAST_RowCopySourceAlphaFull(dest.data() + 1, src.data() + 1, static_cast<int>(dest.size()) - 2);
    RAST_RowCopySourceAlphaFull(dest.data(), src.data(), 1);
    RAST_RowCopySourceAlphaFull(dest.data() + dest.size() - 1, src.data() + src.size() - 1, 1);
    for (size_t i = 0; i < ref.size(); ++i) ASSERT_EQ(dest[i], ref[i]) << "alpha " << a << " index " << i;
  }
}
}  // namespace
