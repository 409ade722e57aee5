// Cutting outside text by characters and by a field's bytes.
#include "core/Utf8Text.h"

#include <gtest/gtest.h>

#include <string>

// Each case: the text, then the length of every character in it.
TEST(Utf8Text, CharactersAreWellFormedSequencesOrSingleBytes)
{
  const struct { const char* name; std::string text; std::vector<size_t> lengths; } kCases[] = {
    {"ascii", "Ab", {1, 1}},
    {"two, three, four bytes", "\xc3\xa4\xe3\x81\x82\xf0\x9f\x8e\xb9", {2, 3, 4}},
    {"lowest and highest", "\xc2\x80\xf4\x8f\xbf\xbf", {2, 4}},
    {"stray continuation bytes", "A\x80\x80\xbf", {1, 1, 1, 1}},
    {"overlong forms", "\xc0\xaf\xc1\xbf\xe0\x9f\xbf\xf0\x8f\xbf\xbf", {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}},
    {"surrogate", "\xed\xa0\x80\xed\x9f\xbf", {1, 1, 1, 3}},
    {"past U+10FFFF", "\xf4\x90\x80\x80\xf5\x80", {1, 1, 1, 1, 1, 1}},
    {"cut short at the end", "\xe3\x81", {1, 1}},
    {"cut short by a letter", "\xf0\x9f\x8eX", {1, 1, 1, 1}},
    {"a character and more continuation", "\xc3\xa4\x80", {2, 1}},
  };
  for (const auto& c : kCases)
  {
    std::vector<size_t> lengths;
    for (size_t i = 0; i < c.text.size(); i += lengths.back()) lengths.push_back(Utf8CharacterBytes(c.text, i));
    EXPECT_EQ(lengths, c.lengths) << c.name;
  }
}

// Characters n-1, n, n+1 and a field one byte short of the next character.
TEST(Utf8Text, PrefixKeepsWholeCharactersWithinTheField)
{
  const std::string a = "A" + std::string(240, '\x80');
  const std::string keys = "\xf0\x9f\x8e\xb9\xf0\x9f\x8e\xb9\xf0\x9f\x8e\xb9";  // three of four bytes
  const struct { std::string text; size_t characters, maxBytes; std::string prefix; } kCases[] = {
    {a, 32, std::string::npos, "A" + std::string(31, '\x80')},
    {a, 31, std::string::npos, "A" + std::string(30, '\x80')},
    {a, 241, std::string::npos, a},
    {a, 242, std::string::npos, a},
    {a, 32, 10, "A" + std::string(9, '\x80')},
    {keys, 2, std::string::npos, keys.substr(0, 8)},
    {keys, 3, 11, keys.substr(0, 8)},
    {keys, 3, 12, keys},
    {keys, 3, 0, ""},
    {"", 5, 5, ""},
  };
  for (const auto& c : kCases)
    EXPECT_EQ(Utf8Prefix(c.text, c.characters, c.maxBytes), c.prefix) << c.characters << " " << c.maxBytes;

  char field[9];
  memset(field, 'x', sizeof field);
  CopyUtf8Field(field, keys, 32);
  EXPECT_EQ(std::string(field, sizeof field), keys.substr(0, 8) + '\0');
  CopyUtf8Field(field, "ab", 32);
  EXPECT_EQ(std::string(field, sizeof field), std::string("ab\0\0\0\0\0\0\0", 9));
}
