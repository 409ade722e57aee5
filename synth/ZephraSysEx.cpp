// Whole programs between the editor and the synth: the request, the dump
// and its checksum, the program write and its acknowledgement, save-all,
// and saving a received dump as a ".pr3" file.
//
// Everything that touches the transfer state holds the plug-in mutex; the
// work that opens a dialog is handed to the idle hook through flags.
#include "synth/ZephraEditor.h"

#include "core/BASE_Mutex.h"
#include "synth/ProgramFile.h"
#include "synth/ProgramFolder.h"
#include "synth/ZephraLinkMessages.h"
#include "synth/ZephraNrpn.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>

namespace
{
std::string BaseName(const std::string& path)
{
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}
}  // namespace

// ---- sending ----

void ZephraEditor::SendLinkSysEx(const std::vector<uint8_t>& message)
{
  if (mSysExTap) mSysExTap(message.data(), message.size());
  const ISysEx sysEx(0, message.data(), static_cast<int>(message.size()));
  SendSysEx(&sysEx);
}

void ZephraEditor::RequestProgramDump(int location)
{
  BASE_MutexLock lock(GetMutex());
  mSysExOut = ProgramRequestMessage(location);
  SendLinkSysEx(mSysExOut);
  mReplyTicks = 0;
  mAwaitDump = true;
}

void ZephraEditor::RequestSingleProgram(int location)
{
  if (location < kFirstLocation || location > kLastLocation) return;
  BASE_MutexLock lock(GetMutex());
  mSaveAllFromSynth = false;
  mTransferLocation = location;
  mChecksumRetries = 0;
  mRequestPending = true;
  Panels().SetNameDisplay("Connecting to Zephra...");
}

void ZephraEditor::WriteProgramFileToSynth(const char* path)
{
  if (!path) return;
  BASE_MutexLock lock(GetMutex());
  mWriteFile = path;
  mReplyTicks = 0;
  mAwaitWrite = true;
  // A file that sends nothing leaves the wait on, so the watchdog reports
  // it; only a name without a location ends the wait with its own message.
  (void)SendProgramFileToSynth(path);
}

bool ZephraEditor::SendProgramFileToSynth(const char* path)
{
  return SendProgramFileToLocation(path, 0);
}

bool ZephraEditor::SendProgramFileToLocation(const char* path, int location)
{
  if (!path) return false;
  BASE_MutexLock lock(GetMutex());
  std::string bytes;
  switch (ReadProgramFileBytes(path, bytes))
  {
    case ProgramFileError::kNone:
      break;
    case ProgramFileError::kBadSize:
      Panels().SetNameDisplay(kCorruptedFilesizeText);
      return false;
    default:
      return false;
  }
  // The synth's program buffer ends one byte short of the reader's limit.
  if (bytes.size() >= static_cast<size_t>(kProgramFileMaxBytes)) return false;
  if (location == 0)
  {
    location = LocationFromFileName(BaseName(path).c_str());
    if (location == 0)
    {
      mAwaitWrite = false;
      mReplyTicks = 0;
      mNameNumberErrorFlag = true;
      return false;
    }
  }
  if (location < kFirstLocation || location > kLastLocation) return false;
  // Lines the file lacks take the default program's values, so that a short
  // file does not store a silent program.
  ProgramFileContent content;
  if (ParseProgramText(bytes.data(), bytes.size(), content, kDefaultProgram) != ProgramFileError::kNone)
    return false;
  SendLinkSysEx(ProgramWriteMessage(content.values, ProgramNameFromPath(path), location));
  return true;
}

// ---- receiving ----

void ZephraEditor::ProcessSysEx(ISysEx* sysEx)
{
  if (!sysEx || !sysEx->mData || sysEx->mSize <= 0) return;
  const uint8_t* message = sysEx->mData;
  const size_t size = static_cast<size_t>(sysEx->mSize);
  BASE_MutexLock lock(GetMutex());
  const bool dump = size == static_cast<size_t>(kDumpBytes) || size == static_cast<size_t>(kShortDumpSize);
  // While a dump is owed, one for another location than the one asked for
  // is a late answer to an earlier request: taking it would end the wait
  // for the real one, and during save-all skip a location.
  int awaited = 0;
  if (mSaveAllFromSynth)
    awaited = mTransferLocation;
  else if (mAwaitDump && mSysExOut.size() == static_cast<size_t>(kRequestSize))
    awaited = mSysExOut[7];
  if (dump && awaited != 0 && message[5] == kCmdProgramDump && message[7] != awaited) return;
  if (dump)
  {
    // Only a whole, correct program dump may replace the record: a damaged
    // one, or another message of a dump's length, must not overwrite a good
    // dump that is still waiting to be saved.
    if (message[5] != kCmdProgramDump) return;
    mAwaitDump = false;
    if (!DumpChecksumGood(message, size))
    {
      OnBadChecksum();
      return;
    }
    mChecksumRetries = 0;
    const bool full = size == static_cast<size_t>(kDumpBytes);
    if (full)
    {
      std::copy(message, message + kDumpBytes, mSysExIn.begin());
    }
    else
    {
      // A short dump carries indices 0..103 only. The rest of the record
      // takes the default program and a blank name rather than the bytes
      // that follow its data (checksum, F7) or those of an earlier dump: the
      // saved file then holds a program the synth and the editor can load.
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
    if (mSaveAllFromSynth)
    {
      ContinueSaveAll(message[7]);
      return;
    }
    if (full)
    {
      mTransferLocation = message[7];
      mDumpReceived = true;
    }
    else
    {
      (void)SaveDumpToBankFile(message[7]);
    }
  }
  else if (size == static_cast<size_t>(kReplySize))
  {
    ProcessReply(message[5]);
  }
}

void ZephraEditor::OnBadChecksum()
{
  // A damaged dump is asked for again, but a location that never arrives
  // whole must not keep the link busy for ever.
  if (++mChecksumRetries <= kMaxChecksumRetries)
  {
    mRequestPending = true;
    return;
  }
  mChecksumRetries = 0;
  mRequestPending = false;
  mSaveAllFromSynth = false;
  mSaveToCache = false;
  mTransferLocation = 1;
  mCommErrorFlag = true;
}

void ZephraEditor::OnSaveFailed()
{
  mSaveAllFromSynth = false;
  mSaveToCache = false;
  mRequestPending = false;
  mTransferLocation = 1;
  mSaveFailedFlag = true;
}

void ZephraEditor::ContinueSaveAll(int location)
{
  if (!SaveDumpToBankFile(location)) return;
  if (++mTransferLocation > kLastLocation)
  {
    mSaveAllFromSynth = false;
    mReplyTicks = 0;
    mFinishedFlag = true;
    mTransferLocation = 1;
    mSaveToCache = false;
    return;
  }
  mRequestPending = true;
}

void ZephraEditor::ProcessReply(uint8_t code)
{
  if (mFirmwareUpdate && code >= kReplyErasing && code <= kReplyUpdateFailed)
  {
    ProcessFirmwareReply(code);
  }
  else if (mAwaitWrite)
  {
    if (code != kReplyWriteOk && code != kReplyWriteFailed) return;
    mAwaitWrite = false;
    mReplyTicks = 0;
    if (code == kReplyWriteFailed)
    {
      mCommErrorFlag = true;
      return;
    }
    // The synth now holds the file: the editor follows it.
    if (LoadProgramFile(mWriteFile.c_str()) == ProgramFileError::kNone) SendProgramToSynth();
    mFinishedFlag = true;
  }
  else if (mAwaitBankWrite)
  {
    ContinueBankWrite(code);
  }
}

// ---- save all ----

void ZephraEditor::StartSaveAllFromSynth(bool toCache)
{
  BASE_MutexLock lock(GetMutex());
  if (toCache)
  {
    SetCachePath();
    (void)RemoveFolder(mCachePath);
    ::mkdir(mCachePath.c_str(), 0755);
    mSaveAllFolder = mCachePath;
    mSaveToCache = true;
  }
  else
  {
    mSaveAllFolder = mProgramFolder;
    mSaveToCache = false;
  }
  if (mSaveAllFolder.empty())
  {
    // No folder to save into: say so now instead of fetching 99 programs
    // that cannot be kept.
    mSaveFailedFlag = true;
    return;
  }
  mSaveAllFromSynth = true;
  mTransferLocation = 1;
  mChecksumRetries = 0;
  mRequestPending = true;
}

bool ZephraEditor::SaveDumpToBankFile(int location)
{
  BASE_MutexLock lock(GetMutex());
  const std::string& folder = mSaveToCache ? mSaveAllFolder : mProgramFolder;
  std::string fileName;
  if (folder.empty() ||
      !ReceivedProgramFileName(mSysExIn.data() + kDumpNameOffset, location, fileName) ||
      !SaveReceivedDumpToFile((folder + fileName).c_str()))
  {
    OnSaveFailed();
    return false;
  }
  SetProgramNameFromFile(fileName.c_str());
  Panels().SetNameDisplay(mProgramName);
  // A dump saved for the program manager is its bank entry from now on.
  BankFileName parsed;
  if (mSaveToCache && ParseBankFileName(fileName.c_str(), parsed) && parsed.location == location &&
      mBankList.SetProgram(location, folder + fileName, parsed.category, parsed.name))
    RefreshBankRow(location);
  return true;
}

bool ZephraEditor::SaveReceivedDumpToFile(const char* path)
{
  if (!path || !*path) return false;
  BASE_MutexLock lock(GetMutex());
  ProgramValues values{};
  if (!ProgramValuesFromDump(mSysExIn.data(), mSysExIn.size(), values)) return false;
  return WriteProgramText(path, FormatPr3Text(values));
}

void ZephraEditor::SaveReceivedProgram(int location)
{
  std::string fileName;
  std::string folder;
  // The dump is copied now: while the dialog is open the MIDI thread may
  // receive another one, and the file must hold the program it is named for.
  std::array<uint8_t, kDumpBytes> dump{};
  {
    BASE_MutexLock lock(GetMutex());
    if (!ReceivedProgramFileName(mSysExIn.data() + kDumpNameOffset, location, fileName)) return;
    folder = mProgramFolder;
    dump = mSysExIn;
  }
  const std::string proposed = folder + fileName;
  Panels().SetLastSelectedProgramFile(proposed.c_str());
  // The dialog runs without the mutex: the MIDI and timer threads go on.
  const std::string chosen = Panels().PromptForSaveFile(proposed.c_str());
  if (chosen.empty()) return;
  ProgramValues values{};
  const bool saved = ProgramValuesFromDump(dump.data(), dump.size(), values) &&
                     WriteProgramText(chosen.c_str(), FormatPr3Text(values));
  BASE_MutexLock lock(GetMutex());
  if (!saved)
  {
    mSaveFailedFlag = true;
    return;
  }
  SetProgramNameFromFile(BaseName(chosen).c_str());
  Panels().SetNameDisplay(mProgramName);
}
