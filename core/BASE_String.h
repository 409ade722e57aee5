// BASE_String: a growable NUL-terminated text over one BASE_HeapBuf
// (granularity 128). Get() never returns null: an empty string reads as a
// shared empty text. Lengths and positions are in bytes (chars); a maximum
// length of 0 means "up to the terminator".
//
// Every write operation accepts a source that points into the string's own
// text, even when the block has to move to make room.
// Allocation failure leaves the string as it was; the write operations
// return false then. Not thread-safe.
#pragma once

#include "core/BASE_HeapBuf.h"

#include <cstdarg>

class BASE_String
{
public:
  static constexpr int kGranularity = 128;

  BASE_String();
  explicit BASE_String(const char* text, int maxLength = 0);
  BASE_String(const BASE_String& other);
  BASE_String& operator=(const BASE_String& other);
  BASE_String(BASE_String&& other) noexcept = default;
  BASE_String& operator=(BASE_String&& other) noexcept = default;

  const char* Get() const;
  // Characters before the terminator.
  int GetLength() const;

  // Replaces the text with at most maxLength characters of text (all of it
  // when maxLength is 0 or below). A null text empties the string.
  bool Set(const char* text, int maxLength = 0);
  // Adds at most maxLength characters of text at the end.
  bool Append(const char* text, int maxLength = 0);
  // Puts at most maxLength characters of text before position; a position
  // outside 0..GetLength() leaves the string unchanged and returns false.
  bool Insert(const char* text, int position, int maxLength = 0);
  // printf-style; output longer than maxLength characters is cut there.
  // A formatting error leaves the string empty.
  bool SetFormatted(int maxLength, const char* format, ...)
    __attribute__((format(printf, 3, 4)));
  bool SetFormattedV(int maxLength, const char* format, va_list args)
    __attribute__((format(printf, 3, 0)));
  // Cuts the text to length characters; longer lengths change nothing.
  // The block keeps its capacity.
  void SetLength(int length);

private:
  // The one core of all writes: replaces nothing and opens a gap of length
  // bytes at offset, moving the trailingKeep bytes that follow offset behind
  // the gap, fills the gap from source, and terminates the text after the
  // kept bytes. All three 0 makes the string empty text.
  bool __doSet(int offset, const char* source, int length, int trailingKeep);

  BASE_HeapBuf mHeap{kGranularity};
};
