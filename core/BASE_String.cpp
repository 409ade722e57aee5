#include "core/BASE_String.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace
{
int TextLength(const char* text, int maxLength)
{
  if (!text) return 0;
  const size_t n = maxLength > 0 ? strnlen(text, static_cast<size_t>(maxLength)) : strlen(text);
  return n > 0x7ffffff0u ? 0x7ffffff0 : static_cast<int>(n);
}

// Formatting output short enough for this stays on the stack.
constexpr int kStackFormatBytes = 512;
}  // namespace

BASE_String::BASE_String() = default;

BASE_String::BASE_String(const char* text, int maxLength)
{
  Set(text, maxLength);
}

BASE_String::BASE_String(const BASE_String& other)
{
  Set(other.Get());
}

BASE_String& BASE_String::operator=(const BASE_String& other)
{
  if (this != &other) Set(other.Get());
  return *this;
}

const char* BASE_String::Get() const
{
  return mHeap.GetSize() > 0 ? static_cast<const char*>(mHeap.Get()) : "";
}

int BASE_String::GetLength() const
{
  return mHeap.GetSize() > 0 ? mHeap.GetSize() - 1 : 0;
}

bool BASE_String::Set(const char* text, int maxLength)
{
  return __doSet(0, text, TextLength(text, maxLength), 0);
}

bool BASE_String::Append(const char* text, int maxLength)
{
  const int n = TextLength(text, maxLength);
  if (n == 0) return true;  // nothing to add is not a failure
  return __doSet(GetLength(), text, n, 0);
}

bool BASE_String::Insert(const char* text, int position, int maxLength)
{
  const int length = GetLength();
  // A position past the end would make the kept tail negative and write
  // outside the text.
  if (position < 0 || position > length) return false;
  const int n = TextLength(text, maxLength);
  if (n == 0) return true;
  return __doSet(position, text, n, length - position);
}

void BASE_String::SetLength(int length)
{
  if (length < 0) length = 0;
  if (length >= GetLength()) return;
  static_cast<char*>(mHeap.Get())[length] = 0;
  mHeap.Resize(length + 1, false);
}

bool BASE_String::SetFormatted(int maxLength, const char* format, ...)
{
  va_list args;
  va_start(args, format);
  const bool ok = SetFormattedV(maxLength, format, args);
  va_end(args);
  return ok;
}

bool BASE_String::SetFormattedV(int maxLength, const char* format, va_list args)
{
  if (maxLength < 0 || !format) return false;
  if (maxLength > 0x7ffffff0) maxLength = 0x7ffffff0;
  // The arguments may point into this string's own text, so format into
  // scratch memory rather than into a block that may move or be overwritten.
  char stackBytes[kStackFormatBytes];
  va_list again;
  va_copy(again, args);
  int count = vsnprintf(stackBytes, sizeof(stackBytes), format, args);
  char* scratch = stackBytes;
  if (count >= static_cast<int>(sizeof(stackBytes)) && maxLength >= static_cast<int>(sizeof(stackBytes)))
  {
    const int keep = count < maxLength ? count : maxLength;
    scratch = static_cast<char*>(malloc(static_cast<size_t>(keep) + 1));
    if (scratch) vsnprintf(scratch, static_cast<size_t>(keep) + 1, format, again);
  }
  va_end(again);
  if (!scratch) return false;

  bool ok;
  if (count < 0)
  {
    __doSet(0, nullptr, 0, 0);
    ok = false;
  }
  else
  {
    const int n = count < maxLength ? count : maxLength;
    ok = n > 0 ? __doSet(0, scratch, n, 0) : __doSet(0, nullptr, 0, 0);
  }
  if (scratch != stackBytes) free(scratch);
  return ok;
}

bool BASE_String::__doSet(int offset, const char* source, int length, int trailingKeep)
{
  if (offset == 0 && length == 0 && trailingKeep == 0)
  {
    mHeap.Resize(1, false);
    if (mHeap.GetSize() != 1) return false;
    static_cast<char*>(mHeap.Get())[0] = 0;
    return true;
  }
  if (offset < 0 || length < 1 || trailingKeep < 0) return false;

  const int oldSize = mHeap.GetSize();
  const long long wanted = static_cast<long long>(offset) + length + trailingKeep + 1;
  if (wanted > 0x7fffffff) return false;
  const int newSize = static_cast<int>(wanted);

  // Where the source lies inside our own text, remember it as an offset so
  // it can be found again after the block moves.
  const uintptr_t oldBase = reinterpret_cast<uintptr_t>(mHeap.Get());
  const uintptr_t sourceAddress = reinterpret_cast<uintptr_t>(source);
  const bool ownText = source && oldBase && sourceAddress >= oldBase &&
                       sourceAddress < oldBase + static_cast<uintptr_t>(oldSize);
  const int sourceOffset = ownText ? static_cast<int>(sourceAddress - oldBase) : 0;

  if (newSize > oldSize)
  {
    mHeap.Resize(newSize, false);
    if (mHeap.GetSize() != newSize) return false;
  }
  char* text = static_cast<char*>(mHeap.Get());

  if (trailingKeep > 0) memmove(text + offset + length, text + offset, static_cast<size_t>(trailingKeep));
  if (ownText)
  {
    // The part of the source before offset stayed where it was; the part at
    // or after offset was just moved up by length along with the kept tail.
    const int before = sourceOffset < offset ? (offset - sourceOffset < length ? offset - sourceOffset : length) : 0;
    if (before > 0) memmove(text + offset, text + sourceOffset, static_cast<size_t>(before));
    if (length > before)
    {
      const int from = sourceOffset + before + (trailingKeep > 0 ? length : 0);
      memmove(text + offset + before, text + from, static_cast<size_t>(length - before));
    }
  }
  else if (source)
  {
    memmove(text + offset, source, static_cast<size_t>(length));
  }
  text[newSize - 1] = 0;

  if (newSize < oldSize) mHeap.Resize(newSize, false);
  return true;
}
