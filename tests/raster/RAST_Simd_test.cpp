// The vectorised kernels against the scalar rules they stand for: every fill
// and blit rule at every vector level the processor has, on every width up to
// a few vectors, at pixel offsets 0..3 of both rows, and on every pair of
// destination and source bytes at the weights where the arithmetic turns.
#include "raster/RAST_Simd.h"

#include "raster/RAST_Blit.h"
#include "raster/RAST_Rect.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace
{
// Weights 1..256 where the vector arithmetic changes: the ends, the powers of
// two and their neighbours (whole-pixel copies take 64, 128 and 192).
constexpr int kEdgeWeights[] = {1, 2, 63, 65, 100, 127, 129, 191, 193, 254, 255, 256};
// Weights the dispatchers turn away from the vector kernels: none drawn, a
// negative one (scalar rules alone) and one past full, held to 256.
constexpr int kOutsideWeights[] = {0, -40, 257};

constexpr int kModes[] = {0, 1, 2, 3, 4, 5};

// The vector levels this processor has.
std::vector<RAST_SimdLevel> VectorLevels()
{
  std::vector<RAST_SimdLevel> out{RAST_SimdLevel::SSE2};
  if (RAST_SupportedSimdLevel() == RAST_SimdLevel::AVX2) out.push_back(RAST_SimdLevel::AVX2);
  return out;
}

// draw(dest) run on two copies of start, at the scalar level and at level:
// every pixel of the bitmap, inside the drawn rectangle or not, must agree.
template <class Draw>
testing::AssertionResult ScalarBytes(RAST_SimdLevel level, RAST_MemBitmap& dest, const std::vector<RAST_pixel>& start,
                                     const std::string& what, Draw draw)
{
  const size_t count = start.size();
  RAST_SetSimdLevel(RAST_SimdLevel::Scalar);
  std::memcpy(dest.getBits(), start.data(), count * sizeof(RAST_pixel));
  draw(&dest);
  const std::vector<RAST_pixel> scalar(dest.getBits(), dest.getBits() + count);
  RAST_SetSimdLevel(level);
  std::memcpy(dest.getBits(), start.data(), count * sizeof(RAST_pixel));
  draw(&dest);
  RAST_SetSimdLevel(RAST_SupportedSimdLevel());
  for (size_t i = 0; i < count; ++i)
    if (dest.getBits()[i] != scalar[i])
      return testing::AssertionFailure() << what << " at level " << static_cast<int>(level) << ": pixel " << i
                                         << " is 0x" << std::hex << dest.getBits()[i] << ", the scalar rule gives 0x"
                                         << scalar[i];
  return testing::AssertionSuccess();
}

std::string Name(const char* kind, int mode, int weight, int width = -1)
{
  return std::string(kind) + " mode 0x" + std::to_string(mode) + " weight " + std::to_string(weight) +
         (width >= 0 ? " width " + std::to_string(width) : "");
}

// Source alpha in runs of clear, opaque and partial pixels, so that groups of
// pixels take each branch of the kernels.
std::vector<RAST_pixel> RandomPixels(size_t n, std::mt19937& rng)
{
  std::vector<RAST_pixel> out(n);
  for (size_t i = 0; i < n; ++i)
  {
    const RAST_pixel p = static_cast<RAST_pixel>(rng()) & 0xFFFFFF00u;
    const size_t run = (i / 5) % 4;
    out[i] = run == 0 ? p : run == 1 ? p | 0xFFu : p | (rng() & 0xFFu);
  }
  return out;
}
}  // namespace

TEST(RAST_Simd, RowsMatchTheScalarRulesAtEveryWidthAndOffset)
{
  constexpr int kWidest = 70, kSpan = kWidest + 8;
  std::mt19937 rng(2024);
  RAST_MemBitmap dest(kSpan, 2, 1), src(kSpan, 2, 1);
  const std::vector<RAST_pixel> start = RandomPixels(kSpan * 2, rng);
  const std::vector<RAST_pixel> source = RandomPixels(kSpan * 2, rng);
  std::memcpy(src.getBits(), source.data(), source.size() * sizeof(RAST_pixel));
  std::vector<int> weights(std::begin(kEdgeWeights), std::end(kEdgeWeights));
  weights.insert(weights.end(), std::begin(kOutsideWeights), std::end(kOutsideWeights));
  for (RAST_SimdLevel level : VectorLevels())
    for (int mode : kModes)
      for (int w : weights)
      {
        const float alpha = static_cast<float>(w) / 256.0f;
        for (int width = 0; width <= kWidest; ++width)
          for (int dx = 0; dx < 4; ++dx)
          {
            const int sx = (dx + width) % 4;
            const RAST_pixel color = source[static_cast<size_t>(width * 2 + dx)];
            ASSERT_TRUE(ScalarBytes(level, dest, start, Name("fill", mode, w, width), [&](RAST_IBitmap* d) {
              RAST_FillRect(d, dx, 0, width, 2, color, alpha, mode);
            }));
            for (int m : {mode, mode | RAST_BLIT_USE_ALPHA})
              ASSERT_TRUE(ScalarBytes(level, dest, start, Name("blit", m, w, width), [&](RAST_IBitmap* d) {
                RAST_Blit(d, &src, dx, 0, sx, 0, width, 2, alpha, m);
              }));
          }
      }
}

// Sprites: runs of clear, opaque and partial source pixels long enough (8
// to 24) that whole groups of the widest kernels are clear or opaque, which
// they skip or copy unread, meeting groups at every width and offset, by
// source alpha in every mode at full and partial weights.
TEST(RAST_Simd, SpriteRunsMatchTheScalarRulesAtEveryWidthAndOffset)
{
  constexpr int kWidest = 70, kSpan = kWidest + 8;
  std::mt19937 rng(7);
  RAST_MemBitmap dest(kSpan, 2, 1), src(kSpan, 2, 1);
  const std::vector<RAST_pixel> start = RandomPixels(kSpan * 2, rng);
  std::vector<RAST_pixel> source(kSpan * 2);
  for (size_t i = 0, kind = 0; i < source.size(); ++kind)
    for (size_t end = std::min(source.size(), i + 8 + rng() % 17); i < end; ++i)
    {
      const RAST_pixel p = static_cast<RAST_pixel>(rng()) & 0xFFFFFF00u;
      source[i] = kind % 3 == 0 ? p : kind % 3 == 1 ? p | 0xFFu : p | (1 + rng() % 254);
    }
  std::memcpy(src.getBits(), source.data(), source.size() * sizeof(RAST_pixel));
  for (RAST_SimdLevel level : VectorLevels())
    for (int mode : kModes)
      for (int w : {256, 255, 128, 1})
        for (int width = 0; width <= kWidest; ++width)
          for (int dx = 0; dx < 4; ++dx)
          {
            const int m = mode | RAST_BLIT_USE_ALPHA;
            ASSERT_TRUE(ScalarBytes(level, dest, start, Name("sprite", m, w, width), [&](RAST_IBitmap* d) {
              RAST_Blit(d, &src, dx, 0, (dx * 3 + width) % 8, 0, width, 2, static_cast<float>(w) / 256.0f, m);
            }));
          }
}

// Blits of a 256 x 256 source onto a 256 x 256 destination that meet every
// pair of destination and source bytes in red and in green, with the source
// alpha (so w2) changing from pixel to pixel.
TEST(RAST_Simd, BlitsMatchOnEveryBytePair)
{
  RAST_MemBitmap dest(256, 256, 1), src(256, 256, 1);
  std::vector<RAST_pixel> start(256 * 256);
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x)
    {
      start[static_cast<size_t>(y * 256 + x)] = RAST_RGBA(x, y, x ^ y, (x + y) & 255);
      src.getBits()[y * 256 + x] = RAST_RGBA(y, x, (x * 7 + y) & 255, (x * 3 + y * 5) & 255);
    }
  const RAST_SimdLevel widest = VectorLevels().back();
  for (int mode : kModes)
    for (int m : {mode, mode | RAST_BLIT_USE_ALPHA})
      for (int w : kEdgeWeights)
        ASSERT_TRUE(ScalarBytes(widest, dest, start, Name("blit", m, w), [&](RAST_IBitmap* d) {
          RAST_Blit(d, &src, 0, 0, nullptr, static_cast<float>(w) / 256.0f, m);
        }));
}

// Fills meet each destination byte with each colour byte: a 256-pixel ramp
// filled with every grey and its neighbours in the other channels. HSV, which
// reads the whole pixel, gets a 256 x 64 field of colours and a few fills.
TEST(RAST_Simd, FillsMatchOnEveryBytePair)
{
  RAST_MemBitmap ramp(256, 1, 1), field(256, 64, 1);
  std::vector<RAST_pixel> rampStart(256), fieldStart(256 * 64);
  for (int x = 0; x < 256; ++x) rampStart[static_cast<size_t>(x)] = RAST_RGBA(x, 255 - x, x ^ 0x5a, x);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 256; ++x) fieldStart[static_cast<size_t>(y * 256 + x)] = RAST_RGBA(x, y * 4, (x * y) & 255, y);
  const RAST_SimdLevel widest = VectorLevels().back();
  for (int mode : kModes)
    for (int w : kEdgeWeights)
    {
      const float alpha = static_cast<float>(w) / 256.0f;
      if (mode == RAST_BLIT_MODE_HSVADJ)
        for (int c = 0; c < 256; c += 51)
          ASSERT_TRUE(ScalarBytes(widest, field, fieldStart, Name("fill", mode, w, c), [&](RAST_IBitmap* d) {
            RAST_FillRect(d, 0, 0, 256, 64, RAST_RGBA(c, 255 - c, (c * 3) & 255, 255), alpha, mode);
          }));
      else
        for (int c = 0; c < 256; ++c)
          ASSERT_TRUE(ScalarBytes(widest, ramp, rampStart, Name("fill", mode, w, c), [&](RAST_IBitmap* d) {
            RAST_FillRect(d, 0, 0, 256, 1, RAST_RGBA(c, c ^ 0x33, 255 - c, 255), alpha, mode);
          }));
    }
}

// The whole-pixel fill and mixes of copy mode, which run vectorised at every
// level.
TEST(RAST_Simd, WholePixelRowsMatchTheirMixes)
{
  std::mt19937 rng(12345);
  const std::vector<RAST_pixel> start = RandomPixels(80, rng), source = RandomPixels(80, rng);
  const RAST_pixel kColors[] = {0u, 0xFFFFFFFFu, 0x80402010u, 0x7F3FC001u};
  for (int n = 0; n <= 70; ++n)
    for (int off = 0; off < 4; ++off)
    {
      std::vector<RAST_pixel> fast = start, slow = start;
      RAST_RowHalfMix(fast.data() + off, source.data() + 3 - off, n);
      for (int i = 0; i < n; ++i) slow[off + i] = RAST_HalfMix(slow[off + i], source[3 - off + i]);
      ASSERT_EQ(fast, slow) << "half mix width " << n;
      for (RAST_pixel c : kColors)
      {
        RAST_RowFill(fast.data() + off, n, c);
        RAST_RowQuarterMixColor(fast.data() + off, n, c);
        RAST_RowHalfMixColor(fast.data() + off, n, c);
        RAST_RowThreeQuarterMixColor(fast.data() + off, n, c);
        for (int i = 0; i < n; ++i) slow[off + i] = RAST_ThreeQuarterMix(RAST_HalfMix(RAST_QuarterMix(c, c), c), c);
        ASSERT_EQ(fast, slow) << "colour mixes width " << n;
      }
    }
}
