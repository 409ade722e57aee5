#include "core/MidiInputCleaner.h"

MidiInputCleaner::MidiInputCleaner()
{
  mSysEx.reserve(kReservedSysEx);
  mCut.reserve(kReservedSysEx);
  mOlderCut.reserve(kReservedSysEx);
  mOther.reserve(kReservedSysEx);
}

void MidiInputCleaner::StartSysEx()
{
  mShortHave = 0;
  // A resumed SysEx cut again keeps only its first reading.
  mOtherReading = false;
  if (mInSysEx)
  {
    // Kept aside in case the new one is another source's whole message
    // between two of its pieces; counted as discarded until resumed.
    ++mDiscarded;
    // The message that cut the kept one is cut in turn: either may be the
    // one whose pieces go on, so both are kept (one kept before them is
    // given up).
    mTwoCut = mCutOff == CutOff::kKept;
    if (mTwoCut)
    {
      mOlderCut.swap(mCut);
      mOlderCutTooLong = mCutTooLong;
    }
    mSysEx.swap(mCut);
    mCutTooLong = mSysExTooLong;
    mCutOff = CutOff::kKept;
  }
  else if (mCutOff == CutOff::kResumable)
  {
    // A further whole message between the pieces.
    mCutOff = CutOff::kKept;
  }
  mSysEx.assign(1, 0xF0);
  mInSysEx = true;
  mSysExTooLong = false;
}

void MidiInputCleaner::AddTo(std::vector<uint8_t>& sysEx, bool& tooLong, uint8_t b)
{
  if (sysEx.size() + 1 >= kMaxSysEx)
    tooLong = true;
  else
    sysEx.push_back(b);
}

void MidiInputCleaner::AddSysExByte(uint8_t b)
{
  AddTo(mSysEx, mSysExTooLong, b);
  if (mOtherReading) AddTo(mOther, mOtherTooLong, b);
}

bool MidiInputCleaner::Resume(uint8_t b)
{
  if (mCutOff != CutOff::kResumable) return false;
  mCutOff = CutOff::kNone;
  --mDiscarded;
  mSysEx.swap(mCut);
  mSysExTooLong = mCutTooLong;
  mInSysEx = true;
  mOtherReading = mTwoCut;
  mTwoCut = false;
  if (mOtherReading)
  {
    mOther.swap(mOlderCut);
    mOtherTooLong = mOlderCutTooLong;
  }
  AddSysExByte(b);
  return true;
}

void MidiInputCleaner::GiveUpCuts()
{
  mCutOff = CutOff::kNone;
  mTwoCut = false;
  mOtherReading = false;
}

void MidiInputCleaner::DiscardOpenSysEx()
{
  if (!mInSysEx) return;
  mInSysEx = false;
  ++mDiscarded;
}

int MidiInputCleaner::ShortLength(uint8_t status)
{
  switch (status & 0xF0)
  {
    case 0xC0:
    case 0xD0:
      return 2;
    case 0xF0:
      // Song position has two data bytes, time code and song select one,
      // tune request and the undefined F4/F5 none.
      return status == 0xF2 ? 3 : (status == 0xF1 || status == 0xF3) ? 2 : 1;
    default:
      return 3;
  }
}
