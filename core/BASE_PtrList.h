// BASE_PtrList<T>: a growable list of pointers over one BASE_HeapBuf.
// The list does not own its items by itself: an owner empties it with
// Empty(true) (deleting each item, or disposing of it with the given
// function) before it goes. Indices run from 0 to GetSize() - 1.
// Not thread-safe.
#pragma once

#include "core/BASE_HeapBuf.h"

#include <cstring>

template <class T>
class BASE_PtrList
{
public:
  using DisposeFunction = void (*)(T*);

  explicit BASE_PtrList(int granularity = BASE_HeapBuf::kDefaultGranularity)
    : mHeap(granularity)
  {
  }

  // A copy would leave two lists believing they own the same items.
  BASE_PtrList(const BASE_PtrList&) = delete;
  BASE_PtrList& operator=(const BASE_PtrList&) = delete;
  BASE_PtrList(BASE_PtrList&&) noexcept = default;
  BASE_PtrList& operator=(BASE_PtrList&&) noexcept = default;

  int GetSize() const { return mHeap.GetSize() / static_cast<int>(sizeof(T*)); }
  // The item at index, or null when index is out of range.
  T* Get(int index) const
  {
    return index >= 0 && index < GetSize() ? GetList()[index] : nullptr;
  }
  // The pointers themselves, for sorting in place; null when empty.
  T** GetList() const { return static_cast<T**>(mHeap.Get()); }

  // Index of the first entry equal to item, or -1.
  int Find(const T* item) const
  {
    const int n = GetSize();
    for (int i = 0; i < n; ++i)
      if (GetList()[i] == item) return i;
    return -1;
  }

  // Appends item; false when the list could not grow.
  bool Add(T* item) { return Insert(item, GetSize()); }

  // Puts item before index (clamped to 0..GetSize()); false when the list
  // could not grow.
  bool Insert(T* item, int index)
  {
    const int n = GetSize();
    if (index < 0) index = 0;
    if (index > n) index = n;
    mHeap.Resize((n + 1) * static_cast<int>(sizeof(T*)), false);
    if (GetSize() != n + 1) return false;
    T** list = GetList();
    memmove(list + index + 1, list + index, sizeof(T*) * static_cast<size_t>(n - index));
    list[index] = item;
    return true;
  }

  // Removes the entry at index; with deleteItem its item goes too (through
  // dispose when given, else delete). False for an index out of range.
  bool Delete(int index, bool deleteItem = false, DisposeFunction dispose = nullptr)
  {
    const int n = GetSize();
    if (index < 0 || index >= n) return false;
    T** list = GetList();
    T* item = list[index];
    memmove(list + index, list + index + 1, sizeof(T*) * static_cast<size_t>(n - index - 1));
    mHeap.Resize((n - 1) * static_cast<int>(sizeof(T*)), false);
    if (deleteItem) DisposeItem(item, dispose);
    return true;
  }

  // Empties the list and frees its block. With deleteItems every non-null
  // item goes too, last first; the list is cut after each, so a dispose
  // function that looks at the list sees only the items still alive.
  void Empty(bool deleteItems = false, DisposeFunction dispose = nullptr)
  {
    if (deleteItems)
    {
      for (int i = GetSize() - 1; i >= 0; --i)
      {
        T* item = GetList()[i];
        mHeap.Resize(i * static_cast<int>(sizeof(T*)), false);
        DisposeItem(item, dispose);
      }
    }
    mHeap.Resize(0, true);
  }

private:
  static void DisposeItem(T* item, DisposeFunction dispose)
  {
    if (!item) return;
    if (dispose)
      dispose(item);
    else
      delete item;
  }

  BASE_HeapBuf mHeap;
};
