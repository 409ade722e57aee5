// Copying text into fixed-size char fields (names, labels, preset names).
// The copy is always terminated and cut to fit the field; a null source gives
// empty text. Sizes are in bytes including the terminator.
#pragma once

#include <cstddef>
#include <cstring>

inline void CopyFixedText(char* destination, size_t destinationSize, const char* source)
{
  if (!destination || destinationSize == 0) return;
  size_t n = 0;
  if (source)
    while (n + 1 < destinationSize && source[n]) ++n;
  if (n) memmove(destination, source, n);
  destination[n] = '\0';
}

template <size_t N>
inline void CopyFixedText(char (&destination)[N], const char* source)
{
  CopyFixedText(destination, N, source);
}
