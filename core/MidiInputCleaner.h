// MidiInputCleaner: turns what a MIDI input hands over into whole messages.
//
// The MIDI library's JACK input glues every event into an open SysEx until
// one ends in F7, so a clock byte sent in the middle of a dump, or a note
// after a SysEx that never ended, arrives inside one long "message". MIDI
// itself allows real-time bytes (F8-FF) anywhere, even inside a SysEx, and
// any status byte other than a real-time one ends a SysEx. The cleaner reads
// the bytes as the wire would:
//   - a real-time byte is handed on at once, as a message of its own;
//   - F0 starts a SysEx; one still open is discarded;
//   - F7 ends the open SysEx, which is handed on whole;
//   - any other status byte discards an open SysEx and starts a short
//     message; data bytes complete it (running status repeats it);
//   - data bytes with nothing to belong to are dropped.
// State lasts across calls, so a SysEx handed over in pieces is joined.
//
// One thread at a time. No allocation for short messages; a SysEx buffer
// grows only past kReservedSysEx bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class MidiInputCleaner
{
public:
  // Room kept from the start: a program dump fits without a new allocation.
  static constexpr size_t kReservedSysEx = 1024;
  // A SysEx longer than this is discarded rather than held: nothing the
  // synth sends comes close, and a broken sender must not eat the memory.
  static constexpr size_t kMaxSysEx = 256 * 1024;

  MidiInputCleaner();

  // Reads size bytes and calls emit(const uint8_t* bytes, size_t size) for
  // every whole message, in wire order (a real-time byte before the SysEx
  // it interrupted).
  template <class Emit>
  void Feed(const uint8_t* bytes, size_t size, Emit&& emit);

  // SysEx messages thrown away as unfinished or too long.
  size_t Discarded() const { return mDiscarded; }

private:
  void DiscardOpenSysEx();
  // Bytes a short message with this status has in all (1..3).
  static int ShortLength(uint8_t status);

  std::vector<uint8_t> mSysEx;
  bool mInSysEx = false;
  bool mSysExTooLong = false;
  uint8_t mShort[3] = {0, 0, 0};
  int mShortHave = 0;  // bytes of mShort filled; 0 = no status to add to
  int mShortNeed = 0;
  size_t mDiscarded = 0;
};

template <class Emit>
void MidiInputCleaner::Feed(const uint8_t* bytes, size_t size, Emit&& emit)
{
  for (size_t i = 0; i < size; ++i)
  {
    const uint8_t b = bytes[i];
    if (b >= 0xF8)
    {
      emit(&b, 1);
      continue;
    }
    if (b == 0xF0)
    {
      DiscardOpenSysEx();
      mShortHave = 0;
      mSysEx.assign(1, b);
      mInSysEx = true;
      mSysExTooLong = false;
      continue;
    }
    if (b == 0xF7)
    {
      if (!mInSysEx) continue;  // an end with no start
      mInSysEx = false;
      if (mSysExTooLong)
      {
        ++mDiscarded;
        continue;
      }
      mSysEx.push_back(b);
      emit(mSysEx.data(), mSysEx.size());
      continue;
    }
    if (b >= 0x80)
    {
      DiscardOpenSysEx();
      mShort[0] = b;
      mShortHave = 1;
      mShortNeed = ShortLength(b);
    }
    else if (mInSysEx)
    {
      if (mSysEx.size() + 1 >= kMaxSysEx)
        mSysExTooLong = true;
      else
        mSysEx.push_back(b);
      continue;
    }
    else if (mShortHave > 0 && mShortHave < mShortNeed)
    {
      mShort[mShortHave++] = b;
    }
    else if (mShortHave == mShortNeed && mShortNeed > 1 && mShort[0] < 0xF0)
    {
      // Running status: a channel message's status stays in force.
      mShort[1] = b;
      mShortHave = 2;
    }
    else
    {
      continue;  // a data byte that belongs to nothing
    }
    if (mShortHave == mShortNeed)
    {
      emit(mShort, static_cast<size_t>(mShortNeed));
      // A system common message leaves no status to run on.
      if (mShort[0] >= 0xF0) mShortHave = 0;
    }
  }
}
