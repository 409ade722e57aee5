// Helpers of the randomised raster tests: the seed, RAST_TEST_SEED from the
// environment when set (to repeat a run), else a fresh random one, printed with
// the test's name; and random convex polygons.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

inline uint32_t RAST_TestSeed()
{
  const char* env = std::getenv("RAST_TEST_SEED");
  const uint32_t seed = env ? static_cast<uint32_t>(std::strtoul(env, nullptr, 0)) : std::random_device{}();
  std::printf("%s seed %u (RAST_TEST_SEED repeats it)\n", testing::UnitTest::GetInstance()->current_test_info()->name(),
              seed);
  return seed;
}

// The corners of a convex polygon: 3 to 11 points on the ellipse round
// (cx, cy) of radii rx, ry, in any order.
inline void RandomConvex(std::mt19937& rng, int cx, int cy, int rx, int ry, std::vector<int>* xs, std::vector<int>* ys)
{
  for (int n = 3 + static_cast<int>(rng() % 9); n > 0; --n)
  {
    const double a = std::uniform_real_distribution<double>(0, 6.283185307179586)(rng);
    xs->push_back(cx + static_cast<int>(std::lround(rx * std::cos(a))));
    ys->push_back(cy + static_cast<int>(std::lround(ry * std::sin(a))));
  }
}
