// Whole programs between the editor and the synth: the request, the dump
// and its checksum, the program write and its acknowledgement, save-all,
// and saving a received dump as a ".pr3" file.
//
// Everything that touches the transfer state holds the plug-in mutex; the
// work that opens a dialog is handed to the idle hook through flags. The
// next request of a run goes out where the dump before it is taken, so the
// run keeps the synth's pace whatever the screen is busy with.
#include "synth/ZephraModel.h"

#include "core/BASE_Mutex.h"
#include "synth/ProgramFile.h"
#include "synth/ProgramFolder.h"
#include "synth/ZephraLinkMessages.h"

#include <sys/stat.h>

#include <string>

namespace
{
constexpr const char* kBusySavingAllText = "Busy saving all programs!";

std::string BaseName(const std::string& path)
{
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}
}  // namespace

// ---- sending ----

void ZephraModel::SendLinkSysEx(const std::vector<uint8_t>& message, PacedMidiOut::Traffic traffic)
{
  if (mSysExTap) mSysExTap(message.data(), message.size());
  const ISysEx sysEx(0, message.data(), static_cast<int>(message.size()));
  (void)SendSysExAs(&sysEx, traffic);
}

void ZephraModel::RequestProgramDump(int location)
{
  BASE_MutexLock lock(GetMutex());
  const std::vector<uint8_t> request = ProgramRequestMessage(location);
  SendLinkSysEx(request);
  mTransfer.AwaitDump(request[7]);
}

void ZephraModel::RequestSingleProgram(int location)
{
  if (location < kFirstLocation || location > kLastLocation) return;
  BASE_MutexLock lock(GetMutex());
  if (RefusedWhileBusy(mTransfer.BankOrFirmwareRunning()) || !mTransfer.StartSingleFetch(location)) return;
  Panels().SetNameDisplay("Connecting to Zephra...");
}

void ZephraModel::SendOwedRequest()
{
  BASE_MutexLock lock(GetMutex());
  if (mTransfer.TakeRequest()) RequestProgramDump(mTransfer.Location());
}

bool ZephraModel::WriteProgramFileToSynth(const char* path)
{
  if (!path) return false;
  BASE_MutexLock lock(GetMutex());
  // The running transfer's acknowledgement would be taken for this write's,
  // and this one's for the next step of the other: both would go wrong.
  if (RefusedWhileBusy(mTransfer.Busy())) return false;
  mTransfer.AwaitWrite(path);
  // A name without a location has ended the wait with its own message.
  if (SendProgramFileToSynth(path) || !mTransfer.AwaitingWrite()) return true;
  // Nothing went out, so no reply will come: end the wait now and name the
  // file rather than let the time-out report a synth that is there.
  mTransfer.EndWriteWait();
  TellFileNotSent(path);
  return true;
}

bool ZephraModel::RefusedWhileBusy(bool busy)
{
  if (busy) Panels().SetNameDisplay(BusyText());
  return busy;
}

const char* ZephraModel::BusyText() const
{
  if (mTransfer.SavingAll()) return kBusySavingAllText;
  if (mTransfer.AwaitingBankWrite()) return "Busy writing programs to Zephra!";
  if (mTransfer.FirmwareRunning()) return "Busy updating the firmware!";
  return "Busy waiting for Zephra!";
}

void ZephraModel::TellFileNotSent(const std::string& path)
{
  char text[320];
  snprintf(text, sizeof text, "The program file could not be sent:\n%s", BaseName(path).c_str());
  AskUser(text, "Error", 0);
}

bool ZephraModel::SendProgramFileToSynth(const char* path)
{
  return SendProgramFileToLocation(path, 0);
}

bool ZephraModel::SendProgramFileToLocation(const char* path, int location)
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
  const bool namedLocation = location == 0;
  if (namedLocation)
  {
    location = LocationFromFileName(BaseName(path).c_str());
    if (location == 0)
    {
      mTransfer.EndWriteWait();
      mTransfer.Flag(ZephraTransfer::kReportNameNumberError);
      return false;
    }
  }
  if (location < kFirstLocation || location > kLastLocation) return false;
  // Lines the file lacks take the default program's values, so that a short
  // file does not store a silent program.
  ProgramFileContent content;
  if (ParseProgramText(bytes.data(), bytes.size(), content, kDefaultProgram) != ProgramFileError::kNone)
    return false;
  if (namedLocation && mManagerMode)
  {
    // A single write shows where it goes: only the target's row is lit.
    mBankList.ClearRowSelections();
    ShowBankChecks(location);
  }
  SendLinkSysEx(ProgramWriteMessage(content.values, ProgramNameFromPath(path), location));
  return true;
}

// ---- receiving ----

void ZephraModel::ProcessSysEx(ISysEx* sysEx)
{
  if (!sysEx || !sysEx->mData || sysEx->mSize <= 0) return;
  const uint8_t* message = sysEx->mData;
  const size_t size = static_cast<size_t>(sysEx->mSize);
  // Other gear on the synth's input: its messages are passed over whatever
  // their length and bytes.
  if (!IsSynthMessage(message, size)) return;
  BASE_MutexLock lock(GetMutex());
  const bool dump = size == static_cast<size_t>(ZephraTransfer::kDumpBytes) ||
                    size == static_cast<size_t>(kShortDumpSize);
  // While a dump is owed, one for another location than the one asked for
  // is a late answer to an earlier request: taking it would end the wait
  // for the real one, and during save-all skip a location.
  const int awaited = mTransfer.AwaitedLocation();
  if (dump && awaited != 0 && message[5] == kCmdProgramDump && message[7] != awaited) return;
  if (dump)
  {
    // Only a whole, correct program dump may replace the record: a damaged
    // one, or another message of a dump's length, must not overwrite a good
    // dump that is still waiting to be saved.
    if (message[5] != kCmdProgramDump) return;
    mTransfer.EndDumpWait();
    if (!DumpChecksumGood(message, size))
    {
      mTransfer.OnBadChecksum();
      SendOwedRequest();
      return;
    }
    mTransfer.StoreDump(message, size);
    if (mTransfer.SavingAll())
    {
      ContinueSaveAll(message[7]);
      SendOwedRequest();
      return;
    }
    if (size == static_cast<size_t>(ZephraTransfer::kDumpBytes))
      mTransfer.NoteDumpReceived(message[7]);
    else
      (void)SaveDumpToBankFile(message[7]);
  }
  else if (size == static_cast<size_t>(kReplySize))
  {
    ProcessReply(message[5]);
  }
}

void ZephraModel::ContinueSaveAll(int location)
{
  if (SaveDumpToBankFile(location)) mTransfer.NextSaveAllLocation();
}

void ZephraModel::ProcessReply(uint8_t code)
{
  if (mTransfer.FirmwareRunning() && code >= kReplyErasing && code <= kReplyUpdateFailed)
  {
    ProcessFirmwareReply(code);
  }
  else if (mTransfer.AwaitingWrite())
  {
    if (code != kReplyWriteOk && code != kReplyWriteFailed) return;
    mTransfer.EndWriteWait();
    if (code == kReplyWriteFailed)
    {
      mTransfer.Flag(ZephraTransfer::kReportCommError);
      return;
    }
    // The synth now holds the file: the editor follows it.
    if (LoadProgramFile(mTransfer.WriteFile().c_str()) == ProgramFileError::kNone) SendProgramToSynth();
    mTransfer.Flag(ZephraTransfer::kReportFinished);
  }
  else if (mTransfer.AwaitingBankWrite())
  {
    ContinueBankWrite(code);
  }
}

// ---- save all ----

void ZephraModel::StartSaveAllFromSynth(bool toCache)
{
  BASE_MutexLock lock(GetMutex());
  // During a firmware update the synth is silent while it erases its flash:
  // a request then times out, and the time-out ends the update.
  if (RefusedWhileBusy(mTransfer.BankOrFirmwareRunning())) return;
  // The user's programs go to the program folder: never into the cache,
  // which the quit removes.
  if (!toCache && !MaySaveInto(mProgramFolder))
  {
    Panels().SetNameDisplay(mProgramName);
    return;
  }
  if (toCache)
  {
    SetCachePath();
    RemoveCacheFolder();
    ::mkdir(mCachePath.c_str(), 0755);
  }
  if (mTransfer.StartSaveAll(toCache ? mCachePath : mProgramFolder, toCache)) SendOwedRequest();
}

bool ZephraModel::SaveDumpToBankFile(int location)
{
  BASE_MutexLock lock(GetMutex());
  const bool toCache = mTransfer.SavingToCache();
  const std::string& folder = toCache ? mTransfer.SaveAllFolder() : mProgramFolder;
  const uint8_t* name32 = mTransfer.LastDump().data() + kDumpNameOffset;
  // Every location gets a file of its own, which reads back as that location
  // and name: two locations of one name must not share one. A dump saved for
  // the program manager is its bank entry from now on.
  BankFileName entry;
  std::string fileName;
  const bool named = toCache ? BankEntryOfDump(ReceivedProgramName(name32), location, entry, fileName)
                             : SavedProgramFileName(ReceivedProgramName(name32), location, fileName);
  if (folder.empty() || !named || !SaveReceivedDumpToFile((folder + fileName).c_str()))
  {
    mTransfer.OnSaveFailed();
    return false;
  }
  SetProgramNameFromFile(fileName.c_str());
  Panels().SetNameDisplay(mProgramName);
  if (toCache && mBankList.SetProgram(location, folder + fileName, entry.category, entry.name))
    RefreshBankRow(location);
  return true;
}

bool ZephraModel::SaveReceivedDumpToFile(const char* path)
{
  if (!path || !*path) return false;
  BASE_MutexLock lock(GetMutex());
  ProgramValues values{};
  const ZephraTransfer::Dump& dump = mTransfer.LastDump();
  if (!ProgramValuesFromDump(dump.data(), dump.size(), values)) return false;
  return WriteProgramText(path, FormatPr3Text(values));
}

void ZephraModel::SaveReceivedProgram(int location)
{
  std::string fileName;
  std::string folder;
  std::string current;  // the editor's own program file, "" for none
  // The dump is copied now: while the dialog is open the MIDI thread may
  // receive another one, and the file must hold the program it is named for.
  ZephraTransfer::Dump dump{};
  {
    BASE_MutexLock lock(GetMutex());
    dump = mTransfer.LastDump();
    if (!ReceivedProgramFileName(dump.data() + kDumpNameOffset, location, fileName)) return;
    folder = mProgramFolder;
    if (mFolderFileIndex >= 0 && mFolderFileIndex < static_cast<int>(mFolderFiles.size()))
      current = mFolderFiles[static_cast<size_t>(mFolderFileIndex)];
  }
  const std::string proposed = folder + fileName;
  Panels().SetLastSelectedProgramFile(proposed.c_str());
  // The dialog runs without the mutex: the MIDI and timer threads go on.
  const std::string chosen = AskForSavePath(proposed.c_str());
  BASE_MutexLock lock(GetMutex());
  // The received program went to a file, not into the editor: the save
  // selector and the name go back to the program the panels still show,
  // so that the next save does not put that sound under the dump's name.
  Panels().SetLastSelectedProgramFile(current.empty() ? "" : (folder + current).c_str());
  if (chosen.empty() || !MaySaveInto(chosen)) return;
  ProgramValues values{};
  const bool saved = ProgramValuesFromDump(dump.data(), dump.size(), values) &&
                     WriteProgramText(chosen.c_str(), FormatPr3Text(values));
  if (!saved)
  {
    mTransfer.Flag(ZephraTransfer::kReportSaveFailed);
    return;
  }
  if (!current.empty()) SetProgramNameFromFile(current.c_str());
  Panels().SetNameDisplay(mProgramName);
}
