// BASE_TypedBuf<T>: a growable array of plain records over one BASE_HeapBuf.
// Elements are moved with the bytes of the block, so T must be trivially
// copyable. Counts and indices are in elements. Owns its storage, not
// anything the elements point to. Not thread-safe.
#pragma once

#include "core/BASE_HeapBuf.h"

#include <cstring>
#include <type_traits>

template <class T>
class BASE_TypedBuf
{
  static_assert(std::is_trivially_copyable_v<T>,
                "BASE_TypedBuf moves its elements as raw bytes");

public:
  explicit BASE_TypedBuf(int granularity = BASE_HeapBuf::kDefaultGranularity)
    : mHeap(granularity)
  {
  }

  // The first element, or null when nothing is allocated.
  T* Get() const { return static_cast<T*>(mHeap.Get()); }
  int GetSize() const { return mHeap.GetSize() / static_cast<int>(sizeof(T)); }
  const BASE_HeapBuf& GetHeap() const { return mHeap; }

  // Makes room for n elements (new ones are uninitialised). Returns the
  // first element, or null when n is 0; on allocation failure the array is
  // unchanged, so compare GetSize() with n.
  T* Resize(int n, bool shrinkAllowed = true)
  {
    if (n < 0) n = 0;
    if (n > kMaxCount) return GetSize() == 0 ? nullptr : Get();
    return static_cast<T*>(mHeap.Resize(n * static_cast<int>(sizeof(T)), shrinkAllowed));
  }

  // Appends one element; returns a pointer to the stored copy, or null when
  // the array could not grow.
  T* Add(const T& item) { return Insert(item, GetSize()); }

  // Puts item before index (clamped to 0..GetSize()); returns a pointer to
  // the stored copy, or null when the array could not grow.
  T* Insert(const T& item, int index)
  {
    const int n = GetSize();
    if (index < 0) index = 0;
    if (index > n) index = n;
    // item may be one of our own elements, which growing can move or free.
    const T copy = item;
    Resize(n + 1, false);
    if (GetSize() != n + 1) return nullptr;
    T* items = Get();
    memmove(static_cast<void*>(items + index + 1), items + index,
            sizeof(T) * static_cast<size_t>(n - index));
    memcpy(static_cast<void*>(items + index), &copy, sizeof(T));
    return items + index;
  }

  // Removes the element at index, moving the following ones down. Returns
  // false for an index out of range.
  bool Delete(int index)
  {
    const int n = GetSize();
    if (index < 0 || index >= n) return false;
    T* items = Get();
    memmove(static_cast<void*>(items + index), items + index + 1,
            sizeof(T) * static_cast<size_t>(n - index - 1));
    Resize(n - 1, false);
    return true;
  }

private:
  static constexpr int kMaxCount = 0x7fffffff / static_cast<int>(sizeof(T));
  BASE_HeapBuf mHeap;
};
