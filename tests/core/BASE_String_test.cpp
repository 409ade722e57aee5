#include "core/BASE_String.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace
{
TEST(BASE_String, EmptyStringReadsAsEmptyText)
{
  BASE_String s;
  ASSERT_NE(s.Get(), nullptr);
  s.Set("abc");
  s.Set(nullptr);
  EXPECT_STREQ(s.Get(), "");
}

struct EditCase
{
  const char* name;
  const char* start;
  enum { kSet, kAppend, kInsert } op;
  const char* text;
  int position;
  int maxLength;
  bool ok;
  const char* expected;
};

const EditCase kEditCases[] = {
  {"set", "old", EditCase::kSet, "new text", 0, 0, true, "new text"},
  {"set cut at maximum", "", EditCase::kSet, "abcdef", 0, 3, true, "abc"},
  {"set maximum above length", "", EditCase::kSet, "ab", 0, 10, true, "ab"},
  {"append", "abc", EditCase::kAppend, "def", 0, 0, true, "abcdef"},
  {"append cut", "abc", EditCase::kAppend, "defgh", 0, 2, true, "abcde"},
  {"append nothing succeeds", "abc", EditCase::kAppend, "", 0, 0, true, "abc"},
  {"insert nothing succeeds", "abc", EditCase::kInsert, "", 1, 0, true, "abc"},
  {"insert at start", "world", EditCase::kInsert, "hello ", 0, 0, true, "hello world"},
  {"insert in middle", "ad", EditCase::kInsert, "bc", 1, 0, true, "abcd"},
  {"insert at end", "ab", EditCase::kInsert, "cd", 2, 0, true, "abcd"},
  {"insert cut", "ad", EditCase::kInsert, "bcxyz", 1, 2, true, "abcd"},
  {"insert past end leaves string", "abc", EditCase::kInsert, "x", 4, 0, false, "abc"},
  {"insert far past end leaves string", "abc", EditCase::kInsert, "x", 1000, 0, false, "abc"},
  {"insert negative leaves string", "abc", EditCase::kInsert, "x", -1, 0, false, "abc"},
  {"insert into empty at 0", "", EditCase::kInsert, "x", 0, 0, true, "x"},
};

TEST(BASE_String, Edits)
{
  for (const EditCase& c : kEditCases)
  {
    BASE_String s(c.start);
    bool ok = false;
    switch (c.op)
    {
      case EditCase::kSet: ok = s.Set(c.text, c.maxLength); break;
      case EditCase::kAppend: ok = s.Append(c.text, c.maxLength); break;
      case EditCase::kInsert: ok = s.Insert(c.text, c.position, c.maxLength); break;
    }
    EXPECT_EQ(ok, c.ok) << c.name;
    EXPECT_STREQ(s.Get(), c.expected) << c.name;
    EXPECT_EQ(s.GetLength(), static_cast<int>(strlen(c.expected))) << c.name;
  }
}

TEST(BASE_String, SetFromOwnSecondHalf)
{
  BASE_String s("0123456789");
  ASSERT_TRUE(s.Set(s.Get() + 5));
  EXPECT_STREQ(s.Get(), "56789");
}

// Sources inside the string's own text must survive the block moving.
TEST(BASE_String, OwnTextSurvivesGrowth)
{
  std::string reference(300, ' ');
  for (size_t i = 0; i < reference.size(); ++i) reference[i] = static_cast<char>('a' + i % 26);
  BASE_String s(reference.c_str());

  ASSERT_TRUE(s.Append(s.Get()));
  reference += reference;
  EXPECT_EQ(std::string(s.Get()), reference);

  ASSERT_TRUE(s.Insert(s.Get() + 100, 50, 400));
  reference.insert(50, reference.substr(100, 400));
  EXPECT_EQ(std::string(s.Get()), reference);
}

struct SelfInsertCase { const char* name; int sourceOffset; int position; int maxLength; };

// The source may lie before, after or across the insertion point.
const SelfInsertCase kSelfInsertCases[] = {
  {"source before position", 0, 6, 3},
  {"source after position", 6, 2, 3},
  {"source across position", 2, 4, 5},
  {"whole text at start", 0, 0, 0},
  {"whole text at end", 0, 10, 0},
  {"tail at its own start", 4, 4, 0},
};

TEST(BASE_String, InsertOwnText)
{
  for (const SelfInsertCase& c : kSelfInsertCases)
  {
    const std::string start = "0123456789";
    BASE_String s(start.c_str());
    std::string piece = start.substr(static_cast<size_t>(c.sourceOffset));
    if (c.maxLength > 0) piece = piece.substr(0, static_cast<size_t>(c.maxLength));
    std::string expected = start;
    expected.insert(static_cast<size_t>(c.position), piece);
    ASSERT_TRUE(s.Insert(s.Get() + c.sourceOffset, c.position, c.maxLength)) << c.name;
    EXPECT_EQ(std::string(s.Get()), expected) << c.name;
  }
}

TEST(BASE_String, SetFormatted)
{
  BASE_String s;
  ASSERT_TRUE(s.SetFormatted(5, "%s", "abcdefgh"));
  EXPECT_STREQ(s.Get(), "abcde");
  ASSERT_TRUE(s.SetFormatted(100, "%d-%s", 42, "x"));
  EXPECT_STREQ(s.Get(), "42-x");
  ASSERT_TRUE(s.SetFormatted(0, "%s", "abc"));
  EXPECT_STREQ(s.Get(), "");

  // Output up to 511 characters is formatted on the stack, longer output in a
  // heap block; either is cut at maxLength.
  const struct { int maxLength; size_t output, kept; } kCases[] = {
      {1000, 511, 511}, {1000, 512, 512}, {1000, 513, 513}, {511, 600, 511},
      {512, 600, 512},  {513, 600, 513},  {1500, 2000, 1500},
  };
  for (const auto& c : kCases)
  {
    const std::string text(c.output, 'q');
    ASSERT_TRUE(s.SetFormatted(c.maxLength, "%s", text.c_str())) << c.output << " cut to " << c.maxLength;
    EXPECT_EQ(std::string(s.Get()), text.substr(0, c.kept)) << c.output << " cut to " << c.maxLength;
  }
}

TEST(BASE_String, SetFormattedFromOwnText)
{
  BASE_String s("abc");
  ASSERT_TRUE(s.SetFormatted(1000, "%s%s%s", s.Get(), s.Get(), s.Get()));
  EXPECT_STREQ(s.Get(), "abcabcabc");
  std::string big(600, 'z');
  s.Set(big.c_str());
  ASSERT_TRUE(s.SetFormatted(2000, "[%s]", s.Get()));
  EXPECT_EQ(std::string(s.Get()), "[" + big + "]");
}

// A copy owns its own text: changing either side leaves the other alone,
// whatever the length (empty, inside one block, past it).
TEST(BASE_String, CopiesAndAssignmentsOwnTheirText)
{
  for (const size_t length : {size_t{0}, size_t{1}, size_t{127}, size_t{128}, size_t{300}})
  {
    SCOPED_TRACE(length);
    const std::string text(length, 'c');
    const BASE_String original(text.c_str());
    BASE_String copy(original);
    EXPECT_EQ(std::string(copy.Get()), text);
    ASSERT_TRUE(copy.Append("+"));
    EXPECT_EQ(std::string(original.Get()), text);

    BASE_String assigned("something else entirely");
    assigned = original;
    EXPECT_EQ(std::string(assigned.Get()), text);
    EXPECT_EQ(assigned.GetLength(), static_cast<int>(length));
    ASSERT_TRUE(assigned.Set("x"));
    EXPECT_EQ(std::string(original.Get()), text);

    BASE_String self(text.c_str());
    BASE_String& alias = self;
    self = alias;  // assigning a string to itself keeps its text
    EXPECT_EQ(std::string(self.Get()), text);
    EXPECT_NE(self.Get(), nullptr);
  }
}

// A negative length reads as "no maximum" for the writes, as "nothing left"
// for SetLength, and is refused by SetFormatted, which then changes nothing.
TEST(BASE_String, NegativeLengths)
{
  BASE_String s;
  ASSERT_TRUE(s.Set("abcdef", -1));
  EXPECT_STREQ(s.Get(), "abcdef");
  ASSERT_TRUE(s.Append("gh", -5));
  EXPECT_STREQ(s.Get(), "abcdefgh");
  ASSERT_TRUE(s.Insert("_", 1, -2));
  EXPECT_STREQ(s.Get(), "a_bcdefgh");
  EXPECT_FALSE(s.SetFormatted(-1, "%s", "zz"));
  EXPECT_STREQ(s.Get(), "a_bcdefgh");
  const struct { int length; const char* kept; } kCuts[] = {
    {-100, ""}, {-1, ""}, {0, ""}, {1, "a"}, {8, "a_bcdefg"}, {9, "a_bcdefgh"}, {10, "a_bcdefgh"},
  };
  for (const auto& c : kCuts)
  {
    BASE_String cut("a_bcdefgh");
    cut.SetLength(c.length);
    EXPECT_STREQ(cut.Get(), c.kept) << c.length;
    EXPECT_EQ(cut.GetLength(), static_cast<int>(strlen(c.kept))) << c.length;
  }
}

}  // namespace
