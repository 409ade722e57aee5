// Cutting text that comes from outside (file names, names from the synth or
// the database) to a number of characters and to the bytes of a fixed field.
// A character is a well-formed UTF-8 sequence: shortest form, no surrogate,
// at most U+10FFFF. Any other byte is a character of its own, so a cut never
// splits a real character and a run of stray bytes is counted byte by byte.
#pragma once

#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

// The bytes of the character that starts at text[at] (1 to 4; 1 for a byte
// that starts no well-formed sequence). at must lie inside text.
size_t Utf8CharacterBytes(const std::string& text, size_t at);

// Byte offsets of text's characters, followed by its size.
std::vector<size_t> Utf8CharacterStarts(const std::string& text);

// The first characters of text, at most maxBytes bytes of them.
std::string Utf8Prefix(const std::string& text, size_t characters, size_t maxBytes = std::string::npos);

// Copies the first characters of text into a field of N bytes, as many as
// fit before the terminating NUL, and clears the rest of the field.
template <size_t N>
void CopyUtf8Field(char (&field)[N], const std::string& text, size_t characters)
{
  static_assert(N > 0, "a field holds at least its NUL");
  const std::string fit = Utf8Prefix(text, characters, N - 1);
  memcpy(field, fit.data(), fit.size());
  memset(field + fit.size(), 0, N - fit.size());
}
