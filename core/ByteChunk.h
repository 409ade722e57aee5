// ByteChunk: a growable byte buffer that values are appended to and read
// back from at a position, the carrier of serialised plug-in state and of
// FXP/FXB file bodies. Values are stored as their bytes in the machine's
// order. Every read checks the data present: a read that does not fit
// returns -1 and leaves its destination untouched. Positions and sizes are
// in bytes. Owns its storage. Not thread-safe.
#pragma once

#include "core/BASE_TypedBuf.h"

#include <cstdint>
#include <type_traits>

class BASE_String;

class ByteChunk
{
public:
  static constexpr int kGranularity = 4096;

  ByteChunk() = default;

  // Appends size bytes; returns the new size, or -1 when the chunk could not
  // grow (then it is unchanged).
  int PutBytes(const void* data, int size);
  // Copies size bytes at position into destination; returns the position
  // after them, or -1 when they are not all present.
  int GetBytes(void* destination, int size, int position) const;

  template <class T>
  int Put(const T* value)
  {
    static_assert(std::is_trivially_copyable_v<T>, "stored as raw bytes");
    return PutBytes(value, static_cast<int>(sizeof(T)));
  }
  template <class T>
  int Get(T* value, int position) const
  {
    static_assert(std::is_trivially_copyable_v<T>, "read as raw bytes");
    return GetBytes(value, static_cast<int>(sizeof(T)), position);
  }

  // A 32-bit length, then the characters without terminator.
  int PutStr(const char* text);
  // Reads what PutStr wrote; -1 when the length is negative or larger than
  // the data that follows it.
  int GetStr(BASE_String* text, int position) const;

  // Appends the whole of other; returns the new size or -1.
  int PutChunk(const ByteChunk* other);

  void Clear();
  int Size() const { return mBytes.GetSize(); }
  // Sets the size; new bytes are zero. Returns the new size, or the old one
  // when the chunk could not grow.
  int Resize(int newSize);
  // The first byte, or null while empty.
  uint8_t* GetBytes() { return mBytes.Get(); }
  const uint8_t* GetBytes() const { return mBytes.Get(); }
  bool IsEqual(const ByteChunk& other) const;

private:
  BASE_TypedBuf<uint8_t> mBytes{kGranularity};
};
