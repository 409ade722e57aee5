// Where the transfers with the synth stand.
#include "synth/ZephraTransfer.h"

#include "synth/ProgramFile.h"
#include "synth/ZephraLinkMessages.h"
#include "synth/ZephraNrpn.h"

#include <algorithm>

// ---- reply waits ----

void ZephraTransfer::AwaitDump(int requestedLocation)
{
  mRequestedLocation = requestedLocation;
  mReplyTicks = 0;
  mAwaitDump = true;
}

void ZephraTransfer::AwaitFirmwareReply()
{
  mReplyTicks = 0;
  mAwaitDump = true;
}

void ZephraTransfer::AwaitWrite(const std::string& path)
{
  mWriteFile = path;
  mReplyTicks = 0;
  mAwaitWrite = true;
}

void ZephraTransfer::EndWriteWait()
{
  mAwaitWrite = false;
  mReplyTicks = 0;
}

void ZephraTransfer::AwaitBankWrite()
{
  mReplyTicks = 0;
  mAwaitBankWrite = true;
}

void ZephraTransfer::EndBankWriteWait()
{
  mAwaitBankWrite = false;
  mReplyTicks = 0;
}

bool ZephraTransfer::Busy() const
{
  return mAwaitBankWrite || mAwaitWrite || mAwaitDump || mSaveAllFromSynth || mRequestPending || mFirmwareUpdate;
}

ZephraTransfer::Expired ZephraTransfer::Tick()
{
  // Two waits at once advance the shared count twice per tick.
  Expired expired;
  if (mAwaitDump && mReplyTicks++ >= 2)
  {
    mReplyTicks = 0;
    mAwaitDump = false;
    mFirmwareUpdate = false;
    // A run that lost its synth ends here, so that no later dump resumes it.
    mSaveAllFromSynth = false;
    mRequestPending = false;
    mSaveToCache = false;
    expired.dump = true;
  }
  if (mAwaitBankWrite && mReplyTicks++ >= 2)
  {
    mReplyTicks = 0;
    mAwaitBankWrite = false;
    mSaveToCache = false;
    expired.bankWrite = true;
  }
  if (mAwaitWrite && mReplyTicks++ >= 2)
  {
    mReplyTicks = 0;
    mAwaitWrite = false;
    mSaveToCache = false;
    expired.write = true;
  }
  // Counted apart from the reply waits: the first answer ended the update's
  // reply wait, and a synth that has started to erase is given far longer.
  if (mFirmwareUpdate && mFirmwareAnswered && ++mFirmwareSilentTicks >= kFirmwareSilenceTicks)
  {
    mFirmwareUpdate = false;
    expired.firmware = true;
  }
  return expired;
}

// ---- fetching programs ----

bool ZephraTransfer::StartSingleFetch(int location)
{
  if (mSaveAllFromSynth) return false;
  mTransferLocation = location;
  mChecksumRetries = 0;
  mRequestPending = true;
  return true;
}

bool ZephraTransfer::StartSaveAll(const std::string& folder, bool toCache)
{
  mSaveAllFolder = folder;
  mSaveToCache = toCache;
  if (folder.empty())
  {
    // No folder to save into: say so now instead of fetching 99 programs
    // that cannot be kept.
    Flag(kReportSaveFailed);
    return false;
  }
  mSaveAllFromSynth = true;
  mTransferLocation = 1;
  mChecksumRetries = 0;
  mRequestPending = true;
  return true;
}

void ZephraTransfer::NextSaveAllLocation()
{
  if (++mTransferLocation > kLastLocation)
  {
    mSaveAllFromSynth = false;
    mReplyTicks = 0;
    Flag(kReportFinished);
    mTransferLocation = 1;
    mSaveToCache = false;
    return;
  }
  mRequestPending = true;
}

void ZephraTransfer::EndRun()
{
  mSaveAllFromSynth = false;
  mSaveToCache = false;
  mRequestPending = false;
  mTransferLocation = 1;
}

void ZephraTransfer::OnBadChecksum()
{
  // A damaged dump is asked for again, but a location that never arrives
  // whole must not keep the link busy for ever.
  if (++mChecksumRetries <= kMaxChecksumRetries)
  {
    mRequestPending = true;
    return;
  }
  mChecksumRetries = 0;
  EndRun();
  Flag(kReportCommError);
}

void ZephraTransfer::OnSaveFailed()
{
  EndRun();
  Flag(kReportSaveFailed);
}

bool ZephraTransfer::TakeRequest()
{
  const bool pending = mRequestPending;
  mRequestPending = false;
  return pending;
}

int ZephraTransfer::AwaitedLocation() const
{
  if (mSaveAllFromSynth) return mTransferLocation;
  return mAwaitDump ? mRequestedLocation : 0;
}

// ---- received dumps ----

void ZephraTransfer::StoreDump(const uint8_t* message, size_t size)
{
  mChecksumRetries = 0;
  if (size == static_cast<size_t>(kDumpBytes))
  {
    std::copy(message, message + kDumpBytes, mSysExIn.begin());
    return;
  }
  // Rather than the bytes that follow a short dump's data (checksum, F7) or
  // those of an earlier dump, the saved file then holds a program the synth
  // and the editor can load.
  const int dataEnd = kDumpValueOffset + 104;
  std::copy(message, message + dataEnd, mSysExIn.begin());
  for (int p = 104; p < kFileValueCount; ++p)
  {
    const bool spare = p >= kFirstSpareLow && p <= kLastSpareLow;
    mSysExIn[kDumpValueOffset + p] =
      static_cast<uint8_t>(((spare ? 0 : kDefaultProgram[p]) + WireOffset(p)) & 0x7F);
  }
  std::fill(mSysExIn.begin() + kDumpNameOffset, mSysExIn.begin() + kDumpNameOffset + 32, 0);
  const int sum = SysExSum(mSysExIn.data(), kDumpValueOffset, kDumpNameOffset + 31);
  mSysExIn[210] = static_cast<uint8_t>((sum >> 7) & 0x7F);
  mSysExIn[211] = static_cast<uint8_t>(sum & 0x7F);
  mSysExIn[212] = 0xF7;
}

std::string ZephraTransfer::TakeFileNotSent()
{
  std::string path;
  path.swap(mUnsentFile);
  return path;
}

int ZephraTransfer::TakeDumpReceived()
{
  const int location = mReceivedLocation;
  mReceivedLocation = 0;
  return location;
}

// ---- firmware and reports ----

void ZephraTransfer::StartFirmware(const std::string& path)
{
  mFirmwareFile = path;
  mFirmwareUpdate = true;
  mFirmwareAnswered = false;
  mFirmwareSilentTicks = 0;
}

unsigned ZephraTransfer::TakeReports()
{
  const unsigned reports = mReports;
  mReports = 0;
  if (reports & kReportCommError) mSaveToCache = false;
  return reports;
}
