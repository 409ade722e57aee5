#include "raster/RAST_Bitmap.h"

#include "winl/draw/WINL_MemDC.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstring>

namespace
{
bool Aligned64(const void* p) { return reinterpret_cast<uintptr_t>(p) % 64 == 0; }

TEST(RAST_MemBitmap, LineAlignmentPadsRows)
{
  struct Case { const char* name; int linealign, width, span; } kCases[] = {
      {"none", 0, 10, 10},  {"one", 1, 10, 10},   {"two", 2, 9, 10},      {"four", 4, 10, 12},
      {"six is two", 6, 9, 10}, {"eight", 8, 9, 16}, {"sixteen", 16, 17, 32}, {"64 caps at 16", 64, 17, 32},
      {"negative", -4, 10, 10},
  };
  for (const Case& c : kCases)
  {
    RAST_MemBitmap bm(c.width, 3, c.linealign);
    EXPECT_EQ(bm.getRowSpan(), c.span) << c.name;
    EXPECT_TRUE(Aligned64(bm.getBits())) << c.name;
  }
}

TEST(RAST_MemBitmap, GrowsWithSlackAndKeepsFittingBlocks)
{
  RAST_MemBitmap bm(0, 0, 4);
  EXPECT_EQ(bm.getBits(), nullptr);
  EXPECT_EQ(bm.getWidth(), 0);
  EXPECT_EQ(bm.getHeight(), 0);

  EXPECT_TRUE(bm.resize(10, 10));
  EXPECT_EQ(bm.getAllocated(), 480u);  // 10 rows x 12 pixels x 4 bytes
  EXPECT_EQ(bm.getRowSpan(), 12);
  EXPECT_FALSE(bm.resize(10, 10));

  RAST_pixel* const block = bm.getBits();
  EXPECT_TRUE(bm.resize(5, 5));
  EXPECT_EQ(bm.getBits(), block);
  EXPECT_EQ(bm.getRowSpan(), 8);
  EXPECT_EQ(bm.getAllocated(), 480u);

  EXPECT_TRUE(bm.resize(20, 20));
  EXPECT_EQ(bm.getAllocated(), 2000u);  // 1600 + a quarter
  EXPECT_TRUE(Aligned64(bm.getBits()));
  // Every byte of the new size is writable (the sanitizer checks the block).
  std::memset(bm.getBits(), 0x5a, 20u * 20u * 4u);

  EXPECT_TRUE(bm.resize(0, 7));
  EXPECT_EQ(bm.getBits(), nullptr);
  EXPECT_EQ(bm.getWidth(), 0);
  EXPECT_EQ(bm.getHeight(), 0);
  EXPECT_EQ(bm.getAllocated(), 0u);
}

// A size whose byte count wraps 32-bit arithmetic must not give a small block
// that reports the large size; either kind of bitmap ends empty (a memory
// bitmap's resize reports the change, a system bitmap's the empty result).
TEST(RAST_Bitmap, SizesThatDoNotFitLeaveItEmpty)
{
  struct Case { const char* name; int w, h; } kCases[] = {
      {"negative width", -5, 10},
      {"negative height", 10, -1},
      {"wraps to a small count", 65536, 16385},  // 65536 * 16385 * 4 = 2^32 + 2^18
      {"row padding overflows", INT_MAX, 1},
      {"beyond the byte limit", 30000, 30000},
      {"both huge", INT_MAX, INT_MAX},
  };
  for (const Case& c : kCases)
  {
    RAST_MemBitmap mem(4, 4, 4), made(c.w, c.h, 4);
    RAST_SysBitmap sys(10, 3);
    EXPECT_TRUE(mem.resize(c.w, c.h)) << c.name;
    EXPECT_FALSE(sys.resize(c.w, c.h)) << c.name;
    EXPECT_EQ(sys.getDC(), nullptr) << c.name;
    for (RAST_IBitmap* bm : {static_cast<RAST_IBitmap*>(&mem), static_cast<RAST_IBitmap*>(&made),
                             static_cast<RAST_IBitmap*>(&sys)})
    {
      EXPECT_EQ(bm->getBits(), nullptr) << c.name;
      EXPECT_EQ(bm->getWidth(), 0) << c.name;
      EXPECT_EQ(bm->getHeight(), 0) << c.name;
    }
  }
}

TEST(RAST_SysBitmap, KeepsItsContextWhileTheSizeFits)
{
  RAST_SysBitmap bm(10, 3);
  EXPECT_EQ(bm.getWidth(), 10);
  EXPECT_EQ(bm.getHeight(), 3);
  EXPECT_EQ(bm.getRowSpan(), 12);
  ASSERT_NE(bm.getDC(), nullptr);
  EXPECT_EQ(static_cast<void*>(bm.getBits()), WINL_GetCtxFrameBuffer(bm.getDC()));
  EXPECT_TRUE(Aligned64(bm.getBits()));
  // A new context starts zero-filled, padding included.
  for (int i = 0; i < 12 * 3; ++i) ASSERT_EQ(bm.getBits()[i], 0u) << i;

  bm.getBits()[0] = 0x11223344u;
  const HDC first = bm.getDC();
  EXPECT_TRUE(bm.resize(8, 2));
  EXPECT_EQ(bm.getDC(), first);
  EXPECT_EQ(bm.getRowSpan(), 12);
  EXPECT_EQ(bm.getBits()[0], 0x11223344u);
  EXPECT_FALSE(bm.resize(8, 2));

  EXPECT_TRUE(bm.resize(13, 3));
  EXPECT_EQ(bm.getRowSpan(), 16);
  EXPECT_EQ(bm.getBits()[0], 0u);

  EXPECT_FALSE(bm.resize(0, 0));
  EXPECT_EQ(bm.getDC(), nullptr);
  EXPECT_EQ(bm.getBits(), nullptr);
  EXPECT_EQ(bm.getWidth(), 0);
}
}  // namespace
