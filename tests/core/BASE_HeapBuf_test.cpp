#include "core/BASE_HeapBuf.h"
#include "core/BASE_PtrList.h"
#include "core/BASE_TypedBuf.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <vector>

namespace
{
struct Step { int size; bool shrink; int allocated; };

struct CapacityCase { const char* name; int granularity; std::vector<Step> steps; };

const CapacityCase kCapacityCases[] = {
  {"g128 step of the granularity up to 257", 128, {{256, true, 384}}},
  {"g128 257", 128, {{257, true, 385}}},
  {"g128 half of 258 is above the granularity", 128, {{258, true, 387}}},
  {"g128 growth within capacity keeps block", 128, {{10, true, 138}, {100, true, 138}, {138, true, 138}}},
  {"g128 growth past capacity", 128, {{10, true, 138}, {139, true, 267}}},
  {"g128 shrink below threshold", 128, {{1000, true, 1500}, {10, true, 138}}},
  {"g128 shrink at the threshold keeps block", 128, {{1000, true, 1500}, {750, true, 1500}}},
  {"g128 shrink just below threshold", 128, {{1000, true, 1500}, {749, true, 1123}}},
  {"g128 shrink without flag keeps block", 128, {{1000, true, 1500}, {10, false, 1500}}},
  {"g128 small block shrink threshold is at least 1", 128, {{10, true, 138}, {5, true, 138}}},
  {"g4096 first growth", 4096, {{10, true, 4000}}},
  {"g4096 half of 8396799 floors to a 4 MB step", 4096, {{8396799, true, 12591008}}},
  {"g4096 half of 8396800 is 4 MB + 4096, held at 4 MB", 4096, {{8396800, true, 12591008}}},
  {"g4096 8396801 held at 4 MB", 4096, {{8396801, true, 12591008}}},
  {"g4096 step capped at 4 MB", 4096, {{20000000, true, 24190880}}},
  {"g4096 shrink to small", 4096, {{100000, true, 147360}, {1000, true, 4000}}},
  {"zero frees", 4096, {{5000, true, 8096}, {0, true, 0}}},
  {"negative counts as zero", 128, {{10, true, 138}, {-5, true, 0}}},
};

TEST(BASE_HeapBuf, CapacityFollowsGrowthRule)
{
  for (const CapacityCase& c : kCapacityCases)
  {
    BASE_HeapBuf buf(c.granularity);
    for (const Step& s : c.steps)
    {
      void* block = buf.Resize(s.size, s.shrink);
      const int expectedSize = s.size < 0 ? 0 : s.size;
      EXPECT_EQ(buf.GetAllocated(), s.allocated) << c.name << " resize " << s.size;
      EXPECT_EQ(buf.GetSize(), expectedSize) << c.name;
      EXPECT_EQ(block, expectedSize ? buf.Get() : nullptr) << c.name;
      EXPECT_EQ(buf.Get() == nullptr, buf.GetAllocated() == 0) << c.name;
    }
  }
}

TEST(BASE_HeapBuf, KeepsContentAcrossGrowthAndShrink)
{
  BASE_HeapBuf buf(128);
  unsigned char* p = static_cast<unsigned char*>(buf.Resize(100));
  for (int i = 0; i < 100; ++i) p[i] = static_cast<unsigned char>(i * 7);
  p = static_cast<unsigned char*>(buf.Resize(5000));
  for (int i = 0; i < 100; ++i) ASSERT_EQ(p[i], static_cast<unsigned char>(i * 7)) << i;
  p = static_cast<unsigned char*>(buf.Resize(50, true));
  ASSERT_EQ(buf.GetAllocated(), 178);
  for (int i = 0; i < 50; ++i) ASSERT_EQ(p[i], static_cast<unsigned char>(i * 7)) << i;
}

TEST(BASE_HeapBuf, SizeTooLargeForIntLeavesBufferUnchanged)
{
  BASE_HeapBuf buf(128);
  void* block = buf.Resize(10);
  EXPECT_EQ(buf.Resize(INT_MAX - 10), block);
  EXPECT_EQ(buf.GetSize(), 10);
  EXPECT_EQ(buf.GetAllocated(), 138);
}

struct Record { int value; char text[32]; };

TEST(BASE_TypedBuf, CountsElementsAndDeletes)
{
  BASE_TypedBuf<Record> buf;
  for (int i = 0; i < 5; ++i)
  {
    Record r{i, {}};
    ASSERT_NE(buf.Add(r), nullptr);
  }
  EXPECT_EQ(buf.GetSize(), 5);
  EXPECT_EQ(buf.GetHeap().GetSize(), 5 * static_cast<int>(sizeof(Record)));
  EXPECT_TRUE(buf.Delete(1));
  EXPECT_FALSE(buf.Delete(4));
  EXPECT_FALSE(buf.Delete(-1));
  Record r{9, {}};
  ASSERT_NE(buf.Insert(r, 2), nullptr);
  const int expected[] = {0, 2, 9, 3, 4};
  ASSERT_EQ(buf.GetSize(), 5);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(buf.Get()[i].value, expected[i]) << i;
  EXPECT_EQ(buf.Resize(0), nullptr);
  EXPECT_EQ(buf.GetSize(), 0);
}

int gDisposed = 0;
void CountDispose(int* p)
{
  ++gDisposed;
  delete p;
}

TEST(BASE_PtrList, EmptyDeletesItemsAndSkipsNulls)
{
  BASE_PtrList<int> list;
  ASSERT_TRUE(list.Add(new int(1)));
  ASSERT_TRUE(list.Add(nullptr));
  ASSERT_TRUE(list.Add(new int(3)));
  gDisposed = 0;
  list.Empty(true, CountDispose);
  EXPECT_EQ(gDisposed, 2);
  EXPECT_EQ(list.GetSize(), 0);

  ASSERT_TRUE(list.Add(new int(4)));
  ASSERT_TRUE(list.Add(nullptr));
  list.Empty(true);  // plain delete; the leak checker sees any miss
  EXPECT_EQ(list.GetSize(), 0);

  ASSERT_TRUE(list.Add(new int(5)));
  EXPECT_TRUE(list.Delete(0, true));
  EXPECT_EQ(list.GetSize(), 0);
}
}  // namespace

namespace
{
// Adding a copy of one of the array's own elements must survive the block
// moving while the array grows.
TEST(BASE_TypedBuf, AddsItsOwnElementWhileGrowing)
{
  BASE_TypedBuf<Record> buf;
  Record r{7, "seven"};
  ASSERT_NE(buf.Add(r), nullptr);
  while (buf.GetHeap().GetSize() + static_cast<int>(sizeof(Record)) <= buf.GetHeap().GetAllocated())
    ASSERT_NE(buf.Add(r), nullptr);
  const int n = buf.GetSize();
  buf.Get()[0].value = 42;
  ASSERT_NE(buf.Add(buf.Get()[0]), nullptr);
  ASSERT_NE(buf.Insert(buf.Get()[0], 0), nullptr);
  ASSERT_EQ(buf.GetSize(), n + 2);
  EXPECT_EQ(buf.Get()[n + 1].value, 42);
  EXPECT_STREQ(buf.Get()[n + 1].text, "seven");
  EXPECT_EQ(buf.Get()[0].value, 42);
}
}  // namespace
