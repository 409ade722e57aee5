#include "core/ByteChunk.h"

#include "core/BASE_String.h"

#include <climits>
#include <cstdint>
#include <cstring>

int ByteChunk::PutBytes(const void* data, int size)
{
  const int n = Size();
  if (size <= 0) return n;
  if (!data || size > INT_MAX - n) return -1;
  // The bytes may be our own (PutChunk(this)); growing can move the block,
  // so keep where they lie rather than where they were.
  const uintptr_t base = reinterpret_cast<uintptr_t>(mBytes.Get());
  const uintptr_t source = reinterpret_cast<uintptr_t>(data);
  const bool own = base && source >= base && source < base + static_cast<uintptr_t>(n);
  mBytes.Resize(n + size, false);
  if (Size() != n + size) return -1;
  if (own) data = mBytes.Get() + (source - base);
  memcpy(mBytes.Get() + n, data, static_cast<size_t>(size));
  return n + size;
}

int ByteChunk::GetBytes(void* destination, int size, int position) const
{
  if (position < 0 || size < 0 || position > Size() || size > Size() - position) return -1;
  if (size > 0) memcpy(destination, mBytes.Get() + position, static_cast<size_t>(size));
  return position + size;
}

int ByteChunk::PutStr(const char* text)
{
  const size_t length = text ? strlen(text) : 0;
  if (length > static_cast<size_t>(INT_MAX - 4)) return -1;
  const int32_t n = static_cast<int32_t>(length);
  const int before = Size();
  if (Put(&n) < 0) return -1;
  if (PutBytes(text, n) < 0)
  {
    Resize(before);
    return -1;
  }
  return Size();
}

int ByteChunk::GetStr(BASE_String* text, int position) const
{
  int32_t n = 0;
  const int start = Get(&n, position);
  if (start < 0 || n < 0 || n > Size() - start) return -1;
  if (text)
  {
    // Set reads up to a terminator when given no maximum, so an empty name
    // must not reach it with a length of 0.
    const bool stored = n == 0 ? text->Set(nullptr)
                               : text->Set(reinterpret_cast<const char*>(mBytes.Get()) + start, n);
    if (!stored) return -1;
  }
  // Set takes n as a maximum; a NUL inside the stored characters ends the
  // text early but the position still moves past all of them.
  return start + n;
}

int ByteChunk::PutChunk(const ByteChunk* other)
{
  if (!other) return Size();
  return PutBytes(other->GetBytes(), other->Size());
}

void ByteChunk::Clear()
{
  mBytes.Resize(0);
}

int ByteChunk::Resize(int newSize)
{
  if (newSize < 0) newSize = 0;
  const int n = Size();
  mBytes.Resize(newSize);
  if (Size() != newSize) return n;
  if (newSize > n) memset(mBytes.Get() + n, 0, static_cast<size_t>(newSize - n));
  return newSize;
}

bool ByteChunk::IsEqual(const ByteChunk& other) const
{
  return Size() == other.Size() &&
         (Size() == 0 || memcmp(GetBytes(), other.GetBytes(), static_cast<size_t>(Size())) == 0);
}
