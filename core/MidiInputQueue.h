// MidiInputQueue: the bounded hand-over between a MIDI input callback and
// the thread that works through what arrived.
//
// On JACK the input callback runs inside the MIDI server's cycle. Waiting
// there (for the plug-in mutex, say, which the timer holds while a message
// box is open) makes the client miss cycles, and the server drops the
// events of missed cycles. So the callback only copies: Push never blocks
// and never waits for the consumer; when its capacity of messages wait,
// the new one is dropped and counted.
//
// A slot holds only the message waiting in it: once taken, a slot that had
// to grow for a long message (another maker's bulk dump on the synth's
// port) gives that memory back, on the consumer's thread, so that the
// queue's memory does not stay at the largest message each slot ever held.
//
// The synth's input keeps the default size. The keyboard's holds short
// messages only, but many of them: a musician plays on while the editor is
// held up, and every note-off played meanwhile must still reach the synth
// (its last places are kept for note-offs, see NoteOffReserve).
//
// One producer thread (the input callback) and one consumer thread.
#pragma once

#include <semaphore.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

class MidiInputQueue
{
public:
  static constexpr size_t kCapacity = 1024;
  // Bytes each slot holds without allocating: a program dump and more.
  static constexpr size_t kSlotReserve = 256;

  MidiInputQueue() : MidiInputQueue(kCapacity, kSlotReserve) {}
  // capacity messages, each slot holding slotReserve bytes without
  // allocating; all memory is taken here, none in Push.
  MidiInputQueue(size_t capacity, size_t slotReserve);
  ~MidiInputQueue();
  MidiInputQueue(const MidiInputQueue&) = delete;
  MidiInputQueue& operator=(const MidiInputQueue&) = delete;

  // Producer: copies the message in and wakes the consumer. False (and the
  // overflow count up) when the queue is full, or would have fewer than
  // keepFree places free with the message in it.
  bool Push(const uint8_t* bytes, size_t size, size_t keepFree = 0);

  // Consumer: calls take(const uint8_t* bytes, size_t size) for every
  // waiting message in arrival order; returns how many. The slot is freed
  // only after take returns, so the bytes stay valid during the call.
  template <class Take>
  size_t Drain(Take&& take);

  // Consumer: waits until a message may be waiting, or until Wake.
  void Wait();
  // Any thread: ends a Wait (used to stop the consumer).
  void Wake();

  size_t Overflows() const { return mOverflows.load(std::memory_order_relaxed); }
  // The bytes the slots hold memory for. Only while neither Push nor Drain
  // runs.
  size_t HeldBytes() const;

private:
  // Gives slot's memory back, keeping the slot's reserve.
  void ShrinkSlot(std::vector<uint8_t>& slot) const;

  const size_t mCapacity;
  const size_t mSlotReserve;
  std::vector<std::vector<uint8_t>> mSlots;
  std::atomic<size_t> mHead{0};  // next slot to take; written by the consumer
  std::atomic<size_t> mTail{0};  // next slot to fill; written by the producer
  std::atomic<size_t> mOverflows{0};
  sem_t mReady;
};

template <class Take>
size_t MidiInputQueue::Drain(Take&& take)
{
  size_t taken = 0;
  size_t head = mHead.load(std::memory_order_relaxed);
  while (head != mTail.load(std::memory_order_acquire))
  {
    std::vector<uint8_t>& slot = mSlots[head % mCapacity];
    take(slot.data(), slot.size());
    // The slot is still the consumer's until mHead passes it.
    if (slot.capacity() > mSlotReserve) ShrinkSlot(slot);
    mHead.store(++head, std::memory_order_release);
    ++taken;
  }
  return taken;
}
