#include "core/MidiInputCleaner.h"

MidiInputCleaner::MidiInputCleaner()
{
  mSysEx.reserve(kReservedSysEx);
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
