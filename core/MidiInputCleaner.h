// MidiInputCleaner: turns what a MIDI input hands over into whole messages.
//
// An input may hand over more than one message at once (the MIDI library's
// JACK input glues every event into an open SysEx until one ends in F7, which
// is why the ports read JACK themselves), so a clock byte sent in the middle
// of a dump, or a note after a SysEx that never ended, can arrive inside one
// long "message"; each event of the port may also hold a piece of one. MIDI
// itself allows real-time bytes (F8-FF) anywhere, even inside a SysEx, and
// any status byte other than a real-time one ends a SysEx. The cleaner reads
// the bytes as the wire would:
//   - a real-time byte is handed on at once, as a message of its own;
//   - F0 starts a SysEx; one still open is cut off (see below);
//   - F7 ends the open SysEx, which is handed on whole; with none open it
//     only ends the running status and any cut-off SysEx, as any other
//     status byte does;
//   - any other status byte discards an open or cut-off SysEx and starts a
//     short message; data bytes complete it (running status repeats it);
//   - data bytes with nothing to belong to are dropped, unless they resume
//     a cut-off SysEx (below).
// State lasts across calls, so a SysEx handed over in pieces is joined.
//
// One input port may be fed by several sources, which the sound server
// merges event by event: a synth behind an interface sends its dump in
// pieces over several cycles, and another device's whole SysEx can land
// between two of them. So a SysEx cut off by F0 is kept aside; when the
// SysEx that cut it has ended in F7 and data bytes follow directly (only
// real-time bytes or further whole SysEx between), they are its rest, and
// it is resumed with them. When the SysEx that cut it was cut in turn
// before its F7 (another device's unended message and its next one, both
// between two pieces; or the dump cutting an unended one and cut by a whole
// one), either cut SysEx may be the one the rest belongs to: the rest then
// resumes both, and both readings are handed on, the older one first.
// What this cannot mend: a lone foreign F0 between two pieces whose message
// does not end before the next piece, since the bytes after it cannot be
// told from its own (the cut SysEx is lost, the bytes after the F0 make a
// new one); and a foreign short message between two pieces, which ends the
// SysEx as on a cable. A wrongly joined reading is caught by its receiver's
// checks (another maker's header, a dump's length and checksum).
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

  // SysEx messages thrown away as unfinished or too long; one cut off by
  // F0 counts until it is resumed.
  size_t Discarded() const { return mDiscarded; }

private:
  // Where the SysEx cut off by F0 stands.
  enum class CutOff
  {
    kNone,
    kKept,       // the SysEx that cut it is open
    kResumable,  // that one has ended: data bytes now resume the cut one
  };

  void DiscardOpenSysEx();
  void StartSysEx();
  static void AddTo(std::vector<uint8_t>& sysEx, bool& tooLong, uint8_t b);
  void AddSysExByte(uint8_t b);
  // A data byte outside a SysEx: true when it resumed the cut-off SysEx.
  bool Resume(uint8_t b);
  // A status byte ends every cut-off SysEx, as on a cable.
  void GiveUpCuts();
  // Bytes a short message with this status has in all (1..3).
  static int ShortLength(uint8_t status);

  std::vector<uint8_t> mSysEx;
  bool mInSysEx = false;
  bool mSysExTooLong = false;
  std::vector<uint8_t> mCut;  // the SysEx cut off by F0
  bool mCutTooLong = false;
  CutOff mCutOff = CutOff::kNone;
  // The SysEx that mCut had cut off, when mTwoCut.
  std::vector<uint8_t> mOlderCut;
  bool mOlderCutTooLong = false;
  bool mTwoCut = false;
  // While mOtherReading, the resumed bytes also go on mOlderCut's reading.
  std::vector<uint8_t> mOther;
  bool mOtherTooLong = false;
  bool mOtherReading = false;
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
      StartSysEx();
      continue;
    }
    if (b == 0xF7)
    {
      if (!mInSysEx)
      {
        // An end with no start is still a status byte: the data bytes
        // after it belong to no message.
        mShortHave = 0;
        GiveUpCuts();
        continue;
      }
      mInSysEx = false;
      if (mCutOff == CutOff::kKept) mCutOff = CutOff::kResumable;
      if (mOtherReading)
      {
        mOtherReading = false;
        if (!mOtherTooLong)
        {
          mOther.push_back(b);
          emit(mOther.data(), mOther.size());
        }
      }
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
      GiveUpCuts();
      mShort[0] = b;
      mShortHave = 1;
      mShortNeed = ShortLength(b);
    }
    else if (mInSysEx)
    {
      AddSysExByte(b);
      continue;
    }
    else if (Resume(b))
    {
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
