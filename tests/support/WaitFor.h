// Waiting for a condition in tests, never for a fixed time.
#pragma once

#include <chrono>
#include <functional>
#include <thread>

// What must happen gets this long: a busy two-core machine running the
// sanitized suite can be many times slower than a quiet one.
constexpr auto kBusyLimit = std::chrono::seconds(60);

// Asks done every 5 ms until it is true (true) or limit has passed (false).
inline bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds limit)
{
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!done())
  {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}
