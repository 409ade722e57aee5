// BASE_StringKeyedArray<VAL>: a sorted array from text keys to values, kept in
// one growable buffer and searched by bisection. Each instance is set up with
// four functions: key comparison, key copy (applied on insertion; none keeps
// the given pointer), key disposal and value disposal (applied when an entry
// goes or a value is replaced). The array owns what those functions say it
// owns; DeleteAll, also run by the destructor, disposes of everything.
// The buffer grows by half its size at a time from a few entries, so a
// small array costs little (a settings file may hold many one-key sections)
// and a large one filled entry by entry is not copied over and over.
// VAL is a plain value, usually a pointer. Not thread-safe.
#pragma once

#include "core/BASE_TypedBuf.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <type_traits>
#include <utility>

template <class VAL>
class BASE_StringKeyedArray
{
  static_assert(std::is_trivially_copyable_v<VAL>,
                "BASE_StringKeyedArray moves its entries as raw bytes");

public:
  // Compares the key that a points at with the key of the entry that b
  // points at (an entry starts with its key pointer); negative, 0, positive.
  using KeyCompare = int (*)(const char** a, const char** b);
  using KeyCopy = char* (*)(const char* key);
  using KeyDispose = void (*)(char* key);
  using ValueDispose = void (*)(VAL value);

  static int cmpstr(const char** a, const char** b) { return strcmp(*a, *b); }
  // Case-blind in plain ASCII: strcasecmp follows the locale, and under a
  // Turkish one "INDEV" and "indev" differ (I lowers to a dotless i).
  static int cmpistr(const char** a, const char** b)
  {
    const auto lower = [](unsigned char ch) { return ch >= 'A' && ch <= 'Z' ? ch + ('a' - 'A') : int(ch); };
    for (const unsigned char *x = reinterpret_cast<const unsigned char*>(*a),
                             *y = reinterpret_cast<const unsigned char*>(*b);
         ; ++x, ++y)
    {
      const int d = lower(*x) - lower(*y);
      if (d != 0 || *x == 0) return d;
    }
  }
  static char* dupstr(const char* key) { return strdup(key); }
  static void freestr(char* key) { free(key); }

  // Keys are copied and freed by the array; compared with or without case.
  explicit BASE_StringKeyedArray(bool caseSensitive = true, ValueDispose valueDispose = nullptr)
    : mCompare(caseSensitive ? cmpstr : cmpistr),
      mKeyCopy(dupstr),
      mKeyDispose(freestr),
      mValueDispose(valueDispose)
  {
  }

  // A null comparison compares case-sensitively.
  BASE_StringKeyedArray(KeyCompare compare, KeyCopy keyCopy, KeyDispose keyDispose,
                        ValueDispose valueDispose)
    : mCompare(compare ? compare : cmpstr),
      mKeyCopy(keyCopy),
      mKeyDispose(keyDispose),
      mValueDispose(valueDispose)
  {
  }

  ~BASE_StringKeyedArray() { DeleteAll(); }

  BASE_StringKeyedArray(const BASE_StringKeyedArray&) = delete;
  BASE_StringKeyedArray& operator=(const BASE_StringKeyedArray&) = delete;

  int GetSize() const { return mEntries.GetSize(); }

  // Inserts key with value, or replaces the value of an equal key (the old
  // value is disposed of, the stored key is kept). Returns the entry's index,
  // or -1 for a null key or when the array could not grow; the caller then
  // still owns value.
  int Insert(const char* key, VAL value)
  {
    if (!key) return -1;
    bool found;
    const int index = Search(key, &found);
    if (found)
    {
      Entry& entry = mEntries.Get()[index];
      if (!SameValue(entry.value, value)) DisposeValue(entry.value);
      entry.value = value;
      return index;
    }
    const char* stored = CopyKey(key);
    if (!stored) return -1;
    const int n = GetSize();
    mEntries.Resize(n + 1, false);
    if (GetSize() != n + 1)
    {
      if (stored != key && mKeyDispose) mKeyDispose(const_cast<char*>(stored));
      return -1;
    }
    Entry* entries = mEntries.Get();
    memmove(static_cast<void*>(entries + index + 1), entries + index,
            sizeof(Entry) * static_cast<size_t>(n - index));
    entries[index].key = stored;
    entries[index].value = value;
    return index;
  }

  // Appends without searching, for filling the array in bulk; Resort must
  // follow before any keyed operation. False as for Insert.
  bool AddUnsorted(const char* key, VAL value)
  {
    if (!key) return false;
    const char* stored = CopyKey(key);
    if (!stored) return false;
    Entry entry;
    entry.key = stored;
    entry.value = value;
    if (mEntries.Add(entry)) return true;
    if (stored != key && mKeyDispose) mKeyDispose(const_cast<char*>(stored));
    return false;
  }

  // Restores the order after AddUnsorted and keeps one entry per key: the
  // value added last, under the key added last or, with keepFirstKey, under
  // the key as it was spelt first; the other keys and values are disposed of.
  void Resort(bool keepFirstKey = false)
  {
    const int n = GetSize();
    if (n < 2) return;
    Entry* entries = mEntries.Get();
    const KeyCompare compare = mCompare;
    std::stable_sort(entries, entries + n, [compare](const Entry& a, const Entry& b) {
      return compare(const_cast<const char**>(&a.key), const_cast<const char**>(&b.key)) < 0;
    });
    int kept = 0;
    for (int i = 0; i < n; ++i)
    {
      if (i + 1 < n && Compare(entries[i].key, entries[i + 1]) == 0)
      {
        if (keepFirstKey) std::swap(entries[i].key, entries[i + 1].key);
        if (entries[i].key != entries[i + 1].key) DisposeKey(entries[i].key);
        if (!SameValue(entries[i].value, entries[i + 1].value)) DisposeValue(entries[i].value);
        continue;
      }
      entries[kept++] = entries[i];
    }
    mEntries.Resize(kept, false);
  }

  // The value stored under key, or fallback when there is none.
  VAL Get(const char* key, VAL fallback = VAL()) const
  {
    const int index = Find(key);
    return index >= 0 ? mEntries.Get()[index].value : fallback;
  }

  bool Exists(const char* key) const { return Find(key) >= 0; }

  // Entries the buffer holds before it must grow again.
  int GetCapacity() const { return mEntries.GetHeap().GetAllocated() / static_cast<int>(sizeof(Entry)); }

  // Index of key in sorted order, or -1.
  int Find(const char* key) const
  {
    if (!key) return -1;
    bool found;
    const int index = Search(key, &found);
    return found ? index : -1;
  }

  // Removes key's entry, disposing of its key and value. False when absent.
  bool Delete(const char* key)
  {
    const int index = Find(key);
    if (index < 0) return false;
    Entry* entries = mEntries.Get();
    DisposeKey(entries[index].key);
    DisposeValue(entries[index].value);
    mEntries.Delete(index);
    return true;
  }

  // Disposes of every key and value and frees the buffer.
  void DeleteAll()
  {
    const int n = GetSize();
    Entry* entries = mEntries.Get();
    for (int i = 0; i < n; ++i)
    {
      DisposeKey(entries[i].key);
      DisposeValue(entries[i].value);
    }
    mEntries.Resize(0, true);
  }

  // The entry at index in sorted order: returns its value and puts its key
  // in *key (when key is not null); out of range gives fallback and a null
  // key.
  VAL Enumerate(int index, const char** key = nullptr, VAL fallback = VAL()) const
  {
    if (index < 0 || index >= GetSize())
    {
      if (key) *key = nullptr;
      return fallback;
    }
    const Entry& entry = mEntries.Get()[index];
    if (key) *key = entry.key;
    return entry.value;
  }

private:
  struct Entry
  {
    const char* key;
    VAL value;
  };

  int Compare(const char* key, const Entry& entry) const
  {
    return mCompare(&key, const_cast<const char**>(&entry.key));
  }

  // Bisection: the index of key when found, else where it would go.
  int Search(const char* key, bool* found) const
  {
    const Entry* entries = mEntries.Get();
    int lo = 0;
    int hi = GetSize();
    while (lo != hi)
    {
      const int mid = (lo + hi) / 2;
      const int c = Compare(key, entries[mid]);
      if (c > 0)
        lo = mid + 1;
      else if (c < 0)
        hi = mid;
      else
      {
        *found = true;
        return mid;
      }
    }
    *found = false;
    return lo;
  }

  const char* CopyKey(const char* key) const { return mKeyCopy ? mKeyCopy(key) : key; }
  void DisposeKey(const char* key) const
  {
    if (mKeyDispose) mKeyDispose(const_cast<char*>(key));
  }
  void DisposeValue(VAL value) const
  {
    if (mValueDispose) mValueDispose(value);
  }
  // Storing the value that is already there must not dispose of it.
  static bool SameValue(const VAL& a, const VAL& b)
  {
    if constexpr (std::is_scalar_v<VAL>)
      return a == b;
    else
      return false;
  }

  // Four entries' bytes: below a page the buffer grows by half its size,
  // at least this much.
  BASE_TypedBuf<Entry> mEntries{4 * static_cast<int>(sizeof(Entry))};
  KeyCompare mCompare;
  KeyCopy mKeyCopy;
  KeyDispose mKeyDispose;
  ValueDispose mValueDispose;
};
