// The seed of a randomised raster test: RAST_TEST_SEED from the environment
// when set (to repeat a printed run), else a fresh random one.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <random>

inline uint32_t RAST_TestSeed()
{
  if (const char* env = std::getenv("RAST_TEST_SEED")) return static_cast<uint32_t>(std::strtoul(env, nullptr, 0));
  return std::random_device{}();
}
