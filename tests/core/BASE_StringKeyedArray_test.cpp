#include "core/BASE_StringKeyedArray.h"

#include "support/MadeLocale.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace
{
std::vector<int*> gDisposed;
void RecordDispose(int* value)
{
  gDisposed.push_back(value);
}

std::string Keys(const BASE_StringKeyedArray<int>& array)
{
  std::string out;
  for (int i = 0; i < array.GetSize(); ++i)
  {
    const char* key = nullptr;
    const int value = array.Enumerate(i, &key);
    out += std::string(key) + "=" + std::to_string(value) + " ";
  }
  return out;
}

TEST(BASE_StringKeyedArray, KeepsKeysSorted)
{
  BASE_StringKeyedArray<int> array;
  EXPECT_EQ(array.Insert("b", 2), 0);
  EXPECT_EQ(array.Insert("a", 1), 0);
  EXPECT_EQ(array.Insert("c", 3), 2);
  EXPECT_EQ(Keys(array), "a=1 b=2 c=3 ");
  EXPECT_EQ(array.Insert("B", 9), 0);  // case-sensitive: a new key
  EXPECT_EQ(Keys(array), "B=9 a=1 b=2 c=3 ");
  EXPECT_EQ(array.Get("c", -1), 3);
  EXPECT_EQ(array.Get("d", -1), -1);
  EXPECT_EQ(array.Get(nullptr, -1), -1);
  EXPECT_EQ(array.Insert(nullptr, 1), -1);
  const char* key = "x";
  EXPECT_EQ(array.Enumerate(7, &key, -5), -5);
  EXPECT_EQ(key, nullptr);
  EXPECT_FALSE(array.Delete(nullptr));
  array.DeleteAll();
  array.DeleteAll();
  EXPECT_EQ(array.GetSize(), 0);
}

TEST(BASE_StringKeyedArray, CaseInsensitiveReplaceKeepsStoredKey)
{
  gDisposed.clear();
  int one = 1, two = 2;
  BASE_StringKeyedArray<int*> array(false, RecordDispose);
  array.Insert("b", &one);
  EXPECT_EQ(array.Insert("B", &two), 0);
  ASSERT_EQ(array.GetSize(), 1);
  const char* key = nullptr;
  EXPECT_EQ(array.Enumerate(0, &key), &two);
  EXPECT_STREQ(key, "b");
  ASSERT_EQ(gDisposed.size(), 1u);
  EXPECT_EQ(gDisposed[0], &one);

  // Storing the value already held must not dispose of it.
  EXPECT_EQ(array.Insert("b", &two), 0);
  EXPECT_EQ(gDisposed.size(), 1u);
  array.DeleteAll();
  ASSERT_EQ(gDisposed.size(), 2u);
  EXPECT_EQ(gDisposed[1], &two);
}

TEST(BASE_StringKeyedArray, ResortKeepsLastOfDuplicates)
{
  gDisposed.clear();
  int v1 = 1, v2 = 2, v3 = 3;
  BASE_StringKeyedArray<int*> array(false, RecordDispose);
  ASSERT_TRUE(array.AddUnsorted("y", &v2));
  ASSERT_TRUE(array.AddUnsorted("x", &v1));
  ASSERT_TRUE(array.AddUnsorted("X", &v3));
  array.Resort();
  ASSERT_EQ(array.GetSize(), 2);
  const char* key = nullptr;
  EXPECT_EQ(array.Enumerate(0, &key), &v3);
  EXPECT_STREQ(key, "X");
  EXPECT_EQ(array.Enumerate(1, &key), &v2);
  EXPECT_STREQ(key, "y");
  ASSERT_EQ(gDisposed.size(), 1u);
  EXPECT_EQ(gDisposed[0], &v1);
  EXPECT_EQ(array.Get("x"), &v3);
  array.DeleteAll();
}

// Random inserts, lookups and deletes must agree with an ordered map.
TEST(BASE_StringKeyedArray, AgreesWithReferenceMap)
{
  const unsigned seed = std::random_device{}();
  printf("BASE_StringKeyedArray reference seed: %u\n", seed);
  std::mt19937 rng(seed);
  BASE_StringKeyedArray<int> array;
  std::map<std::string, int> reference;
  for (int step = 0; step < 2000; ++step)
  {
    char key[8];
    snprintf(key, sizeof(key), "k%u", static_cast<unsigned>(rng() % 300));
    const int value = static_cast<int>(rng() % 100000);
    switch (rng() % 3)
    {
      case 0:
        ASSERT_GE(array.Insert(key, value), 0) << "seed " << seed;
        reference[key] = value;
        break;
      case 1:
      {
        auto it = reference.find(key);
        ASSERT_EQ(array.Exists(key), it != reference.end()) << "seed " << seed << " key " << key;
        ASSERT_EQ(array.Get(key, -1), it != reference.end() ? it->second : -1) << "seed " << seed;
        break;
      }
      default:
        ASSERT_EQ(array.Delete(key), reference.erase(key) == 1) << "seed " << seed << " key " << key;
        break;
    }
  }
  ASSERT_EQ(array.GetSize(), static_cast<int>(reference.size())) << "seed " << seed;
  int i = 0;
  for (const auto& [key, value] : reference)
  {
    const char* stored = nullptr;
    EXPECT_EQ(array.Enumerate(i++, &stored), value) << "seed " << seed;
    EXPECT_EQ(key, stored) << "seed " << seed;
  }
}
}  // namespace

namespace
{
// Case-blind keys in plain ASCII, under the C locale and under Turkish,
// where the locale's own case rules lower "I" to a dotless i: "INDEV" is
// still "indev". Letters beyond ASCII keep their bytes; the order is that
// of the lowered bytes.
void ExpectAsciiCaseBlind()
{
  const struct Case
  {
    const char *stored, *asked;
    bool found;
  } kCases[] = {
    {"indev", "INDEV", true},   {"INDEV", "indev", true}, {"Midi", "mIDI", true},
    {"i", "I", true},           {"z", "Z", true},         {"@", "`", false},  // around 'A' and 'a'
    {"[", "{", false},          {"\xC4\xB1", "I", false},  // dotless i is not I
    {"\xC3\xA9", "\xC3\x89", false},                       // é and É: bytes beyond ASCII differ
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(std::string(c.stored) + " asked as " + c.asked);
    BASE_StringKeyedArray<int> array(false);
    array.Insert(c.stored, 7);
    EXPECT_EQ(array.Get(c.asked, -1), c.found ? 7 : -1);
  }
  // "_" (95) lies between "Z" (90) and "a" (97) as bytes: once "A" is
  // lowered it comes first.
  BASE_StringKeyedArray<int> order(false);
  order.Insert("b", 2);
  order.Insert("_", 1);
  order.Insert("A", 0);
  EXPECT_EQ(Keys(order), "_=1 A=0 b=2 ");
}
}  // namespace

TEST(BASE_StringKeyedArray, CaseBlindInPlainAsciiUnderC)
{
  ExpectAsciiCaseBlind();
}

TEST(BASE_StringKeyedArray, CaseBlindInPlainAsciiUnderTurkish)
{
  ScopedMadeLocale turkish("tr_TR.UTF-8");
  if (!turkish.Active()) GTEST_SKIP() << turkish.Why();
  ExpectAsciiCaseBlind();
}
