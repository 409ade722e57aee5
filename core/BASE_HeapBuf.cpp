#include "core/BASE_HeapBuf.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace
{
constexpr long long kPage = 4096;
// Room left for the allocator's own header so a block plus header fills
// whole pages.
constexpr long long kHeaderAllowance = 96;
constexpr long long kMaxLargeStep = 4 * 1024 * 1024;
}  // namespace

BASE_HeapBuf::BASE_HeapBuf(int granularity)
  : mGranularity(granularity < 1 ? 1 : granularity)
{
}

BASE_HeapBuf::~BASE_HeapBuf()
{
  free(mBuffer);
}

BASE_HeapBuf::BASE_HeapBuf(const BASE_HeapBuf& other)
  : mGranularity(other.mGranularity)
{
  if (other.mSize > 0 && Resize(other.mSize, false) && mSize == other.mSize)
    memcpy(mBuffer, other.mBuffer, static_cast<size_t>(mSize));
}

BASE_HeapBuf& BASE_HeapBuf::operator=(const BASE_HeapBuf& other)
{
  if (this != &other)
  {
    BASE_HeapBuf copy(other);
    *this = std::move(copy);
  }
  return *this;
}

BASE_HeapBuf::BASE_HeapBuf(BASE_HeapBuf&& other) noexcept
  : mBuffer(other.mBuffer),
    mAllocated(other.mAllocated),
    mSize(other.mSize),
    mGranularity(other.mGranularity)
{
  other.mBuffer = nullptr;
  other.mAllocated = 0;
  other.mSize = 0;
}

BASE_HeapBuf& BASE_HeapBuf::operator=(BASE_HeapBuf&& other) noexcept
{
  if (this != &other)
  {
    free(mBuffer);
    mBuffer = other.mBuffer;
    mAllocated = other.mAllocated;
    mSize = other.mSize;
    mGranularity = other.mGranularity;
    other.mBuffer = nullptr;
    other.mAllocated = 0;
    other.mSize = 0;
  }
  return *this;
}

void BASE_HeapBuf::Release()
{
  free(mBuffer);
  mBuffer = nullptr;
  mAllocated = 0;
  mSize = 0;
}

long long BASE_HeapBuf::CapacityFor(int newSize) const
{
  if (newSize < 1) return 0;
  const long long n = newSize;
  long long step = std::max<long long>(n / 2, mGranularity);
  long long capacity;
  if (mGranularity < kPage)
  {
    capacity = n + step;
  }
  else
  {
    step = (step / kPage) * kPage;
    step = std::clamp(step, kPage, kMaxLargeStep);
    capacity = ((n + step + kHeaderAllowance) / kPage) * kPage - kHeaderAllowance;
  }
  return capacity > INT_MAX ? -1 : capacity;
}

void* BASE_HeapBuf::Resize(int newSize, bool shrinkAllowed)
{
  if (newSize < 0) newSize = 0;
  if (newSize == mSize) return newSize ? mBuffer : nullptr;

  long long threshold = 0;
  if (shrinkAllowed && newSize < mSize)
  {
    threshold = mAllocated - 4LL * mGranularity;
    threshold = std::min<long long>(threshold, mAllocated / 2);
    threshold = std::max<long long>(threshold, 1);
  }

  if (newSize > mAllocated || newSize < threshold)
  {
    const long long capacity = CapacityFor(newSize);
    if (capacity < 0) return mSize ? mBuffer : nullptr;
    if (capacity == 0)
    {
      Release();
      return nullptr;
    }
    if (capacity != mAllocated)
    {
      void* block = realloc(mBuffer, static_cast<size_t>(capacity));
      if (!block)
      {
        block = malloc(static_cast<size_t>(capacity));
        if (!block) return mSize ? mBuffer : nullptr;
        if (mBuffer)
        {
          memcpy(block, mBuffer, static_cast<size_t>(std::min(newSize, mSize)));
          free(mBuffer);
        }
      }
      mBuffer = block;
      mAllocated = static_cast<int>(capacity);
    }
  }

  mSize = newSize;
  return newSize ? mBuffer : nullptr;
}
