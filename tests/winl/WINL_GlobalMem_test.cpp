#include "winl/draw/WINL_GlobalMem.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace
{
TEST(WinlGlobalMem, BlockKeepsSizeAndLockCount)
{
  HGLOBAL h = GlobalAlloc(0, 100);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(GlobalSize(h), 100);
  const char* p = static_cast<char*>(GlobalLock(h));
  ASSERT_EQ(p, h);
  for (int i = 0; i < 100; ++i) ASSERT_EQ(p[i], 0) << "byte " << i;
  GlobalLock(h);
  EXPECT_TRUE(GlobalUnlock(h));   // still locked once
  EXPECT_FALSE(GlobalUnlock(h));  // now unlocked
  EXPECT_FALSE(GlobalUnlock(h));  // never below zero
  EXPECT_EQ(GlobalFree(h), nullptr);

  h = GlobalAlloc(0, -5);
  EXPECT_EQ(GlobalSize(h), 0);
  GlobalFree(h);
  EXPECT_EQ(GlobalAlloc(0, INT_PTR(1) << 40), nullptr);
  EXPECT_EQ(GlobalLock(nullptr), nullptr);
  EXPECT_EQ(GlobalSize(nullptr), 0);
}
}  // namespace
