// BASE_HeapBuf: a growable block of bytes on the heap, the storage under every
// list, array and string of the program. The buffer owns its block (malloc /
// realloc) and frees it on destruction. Sizes are in bytes.
//
// Growth rule, shared by all containers so that allocation behaves the same
// everywhere: a block grows by at least half the requested size (at least the
// granularity); with a granularity of 4096 or more the capacity is a multiple
// of 4096 minus 96, so block plus allocator header stays within whole pages.
// A block gives memory back only when shrinking is allowed and the new size is
// well below the capacity.
//
// Allocation failure never throws: Resize leaves size and block unchanged, so
// a caller compares GetSize() with what it asked for.
// Not thread-safe; the owner guards it.
#pragma once

class BASE_HeapBuf
{
public:
  static constexpr int kDefaultGranularity = 4096;

  explicit BASE_HeapBuf(int granularity = kDefaultGranularity);
  ~BASE_HeapBuf();

  // Copies hold their own block with the same granularity. A copy whose block
  // cannot be allocated comes out empty.
  BASE_HeapBuf(const BASE_HeapBuf& other);
  BASE_HeapBuf& operator=(const BASE_HeapBuf& other);
  BASE_HeapBuf(BASE_HeapBuf&& other) noexcept;
  BASE_HeapBuf& operator=(BASE_HeapBuf&& other) noexcept;

  // The block, or null when nothing is allocated.
  void* Get() const { return mBuffer; }
  // Bytes in use.
  int GetSize() const { return mSize; }
  // Bytes allocated for the block (its capacity).
  int GetAllocated() const { return mAllocated; }
  int GetGranularity() const { return mGranularity; }

  // Makes newSize bytes usable, keeping the first min(old, new) bytes; a
  // negative size counts as 0. Returns the block, or null when the new size
  // is 0. On allocation failure nothing changes and the old block (null when
  // the old size was 0) is returned.
  void* Resize(int newSize, bool shrinkAllowed = true);

private:
  // Capacity for newSize bytes by the growth rule; -1 when it does not fit
  // in an int.
  long long CapacityFor(int newSize) const;
  void Release();

  void* mBuffer = nullptr;
  int mAllocated = 0;
  int mSize = 0;
  int mGranularity;
};
