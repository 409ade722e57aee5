#include "core/MidiInputQueue.h"

#include <cerrno>

MidiInputQueue::MidiInputQueue(size_t capacity, size_t slotReserve)
    : mCapacity(capacity > 0 ? capacity : 1), mSlotReserve(slotReserve), mSlots(mCapacity)
{
  for (std::vector<uint8_t>& slot : mSlots) slot.reserve(mSlotReserve);
  sem_init(&mReady, 0, 0);
}

MidiInputQueue::~MidiInputQueue()
{
  sem_destroy(&mReady);
}

bool MidiInputQueue::Push(const uint8_t* bytes, size_t size, size_t keepFree)
{
  const size_t tail = mTail.load(std::memory_order_relaxed);
  const size_t waiting = tail - mHead.load(std::memory_order_acquire);
  if (waiting >= mCapacity || mCapacity - waiting - 1 < keepFree)
  {
    mOverflows.fetch_add(1, std::memory_order_relaxed);
    return false;
  }
  std::vector<uint8_t>& slot = mSlots[tail % mCapacity];
  try
  {
    slot.assign(bytes, bytes + size);
  }
  catch (...)  // no memory for a message past the slot's reserve
  {
    mOverflows.fetch_add(1, std::memory_order_relaxed);
    return false;
  }
  mTail.store(tail + 1, std::memory_order_release);
  // sem_post neither blocks nor allocates: safe inside the server's cycle.
  sem_post(&mReady);
  return true;
}

void MidiInputQueue::ShrinkSlot(std::vector<uint8_t>& slot) const
{
  std::vector<uint8_t> small;
  try
  {
    small.reserve(mSlotReserve);
  }
  catch (...)  // no memory for the small one: the slot stays as it is
  {
    return;
  }
  slot.swap(small);
}

size_t MidiInputQueue::HeldBytes() const
{
  size_t bytes = 0;
  for (const std::vector<uint8_t>& slot : mSlots) bytes += slot.capacity();
  return bytes;
}

void MidiInputQueue::Wait()
{
  while (sem_wait(&mReady) != 0 && errno == EINTR)
  {
  }
  // One wake may stand for several messages: the extra counts are taken
  // back so that the next Wait does not return at once for nothing.
  while (sem_trywait(&mReady) == 0)
  {
  }
}

void MidiInputQueue::Wake()
{
  sem_post(&mReady);
}
