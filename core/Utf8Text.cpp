#include "core/Utf8Text.h"

size_t Utf8CharacterBytes(const std::string& text, size_t at)
{
  const auto byte = [&text](size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned lead = byte(at);
  if (lead < 0x80) return 1;
  // The second byte's range excludes overlong forms (E0, F0), surrogates
  // (ED) and code points past U+10FFFF (F4).
  size_t length = 0;
  unsigned low = 0x80, high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF)
    length = 2;
  else if (lead >= 0xE0 && lead <= 0xEF)
  {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  }
  else if (lead >= 0xF0 && lead <= 0xF4)
  {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  }
  else
    return 1;
  if (text.size() - at < length) return 1;
  if (byte(at + 1) < low || byte(at + 1) > high) return 1;
  for (size_t i = 2; i < length; ++i)
    if (byte(at + i) < 0x80 || byte(at + i) > 0xBF) return 1;
  return length;
}

std::vector<size_t> Utf8CharacterStarts(const std::string& text)
{
  std::vector<size_t> starts;
  for (size_t i = 0; i < text.size(); i += Utf8CharacterBytes(text, i)) starts.push_back(i);
  starts.push_back(text.size());
  return starts;
}

std::string Utf8Prefix(const std::string& text, size_t characters, size_t maxBytes)
{
  size_t end = 0;
  for (size_t n = 0; n < characters && end < text.size(); ++n)
  {
    const size_t next = end + Utf8CharacterBytes(text, end);
    if (next > maxBytes) break;
    end = next;
  }
  return text.substr(0, end);
}
