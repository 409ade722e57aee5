// MidiMsgQueue: a plug-in's queue of short MIDI message records in arrival
// order. Taking a record from the front only moves the front on; the taken
// records stay in storage until Resize drops them, so that taking never
// moves the rest on a thread that has no time for it.
//
// Not locked: the owner guards it (the plug-in mutex).
#pragma once

#include "core/IMidiMsg.h"

#include <algorithm>
#include <cstddef>
#include <vector>

class MidiMsgQueue
{
public:
  static constexpr size_t kPageBytes = 4096;
  static constexpr size_t kRecordsPerPage = kPageBytes / sizeof(IMidiMsg);

  explicit MidiMsgQueue(size_t capacity) { mStore.resize(capacity); }

  // Appends a record; a full store first drops the taken records and then,
  // if still full, grows by a page.
  void Add(const IMidiMsg& msg)
  {
    if (mBack == mStore.size()) Resize(Size() + 1);
    mStore[mBack++] = msg;
  }
  // Takes the front record into msg; false when none is queued.
  bool Take(IMidiMsg& msg)
  {
    if (mFront == mBack) return false;
    msg = mStore[mFront++];
    return true;
  }
  // Drops the taken records, keeps the queued ones in order, and sizes the
  // store for records, at least the queued ones, rounded up to whole pages.
  void Resize(size_t records)
  {
    std::copy(mStore.begin() + mFront, mStore.begin() + mBack, mStore.begin());
    mBack -= mFront;
    mFront = 0;
    const size_t wanted = std::max(records, mBack);
    mStore.resize((wanted + kRecordsPerPage - 1) / kRecordsPerPage * kRecordsPerPage);
    mStore.shrink_to_fit();
  }

  size_t Size() const { return mBack - mFront; }
  size_t Capacity() const { return mStore.size(); }

private:
  std::vector<IMidiMsg> mStore;
  size_t mFront = 0;  // first queued record; those before it are taken
  size_t mBack = 0;   // one past the last queued record
};
