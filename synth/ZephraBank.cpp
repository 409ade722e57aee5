// The editor's program library: the bank list's rows, writing a folder into
// the synth one program per acknowledgement, the browser's folder listing
// and the program-database client's settings.
#include "synth/ZephraModel.h"
#include "core/SettingsNames.h"

#include "core/BASE_Mutex.h"
#include "synth/BankFolder.h"
#include "synth/ProgramFolder.h"
#include "synth/ZephraParams.h"
#include "winl/ini/WINL_Ini.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include <sys/stat.h>

namespace
{
constexpr int kOkType = 0;
constexpr int kOkCancelType = 1;
constexpr int kAnswerOk = 1;
constexpr int kBrowserRows = 47;
constexpr const char* kNoProgramsText = "This directory does not contain any Zephra Programs!";
constexpr const char* kExportFailedText = "%d Program(s) could not be exported!";
constexpr const char* kSaveFailedText = "%d Program(s) could not be saved!";
constexpr const char* kGapsText =
  "There are gaps in the list.\nPress OK to fill them with the Default or Cancel to skip!";
}  // namespace

void ZephraModel::SetManagerLink(std::unique_ptr<ZephraManagerLink> link)
{
  mManager = link ? std::move(link) : std::make_unique<ZephraManagerLink>();
}

void ZephraModel::RefreshBankRow(int location)
{
  const BankEntry& e = mBankList[location];
  Manager().SetRowCell(location, e.empty ? 0.0 : e.category / 6.0);
  Manager().SetRowText(location, e.display);
}

bool ZephraModel::LoadBankListFromFolder(const std::string& folder)
{
  BASE_MutexLock lock(GetMutex());
  // The cache held the old bank's downloads; a bank loaded from the cache
  // itself keeps it.
  if (mCachePath.empty()) SetCachePath();
  if (folder.compare(0, mCachePath.size(), mCachePath) != 0) RemoveCacheFolder();
  const int loaded = ::LoadBankListFromFolder(mBankList, folder);
  for (int n = kBankFirstLocation; n <= kBankLastLocation; ++n)
  {
    RefreshBankRow(n);
    Manager().SetRowChecked(n, false);
  }
  SetParameterFromGUI2(kParamManagerUnselectAll, 0.0);
  if (loaded > 0) return true;
  AskUser(kNoProgramsText, "Error", kOkType);
  return false;
}

std::string ZephraModel::MakeProgramFileName(int location)
{
  const BankEntry& entry = mBankList[location];
  std::string fileName;
  if (entry.empty || !MakeBankFileName(location, entry.category, entry.name, fileName)) return std::string();
  const std::string path = entry.path;
  // The cache keeps the bank under the names its rows show.
  if (path.substr(path.rfind('/') + 1) != fileName)
  {
    if (mCachePath.empty()) SetCachePath();
    (void)mkdir(mCachePath.c_str(), 0755);
    (void)SaveBankListToFolder(mCachePath);
  }
  return fileName;
}

void ZephraModel::WriteAllProgramsToSynth(const char* path)
{
  if (!path || !strchr(path, '/')) return;
  BASE_MutexLock lock(GetMutex());
  // One transfer at a time: its replies would be taken for ours.
  if (mTransfer.Busy()) return;
  std::string folder = path;
  folder.erase(folder.rfind('/') + 1);
  char text[96];
  switch (mBankWrite.Check(folder))
  {
    case BankWriteCheck::kNoPrograms:
      AskUser(kNoProgramsText, "Error", kOkType);
      return;
    case BankWriteCheck::kMultipleFiles:
      snprintf(text, sizeof text, "Multiple files assigned to location: %d\nPlease resolve it!",
               mBankWrite.location());
      AskUser(text, "Error", kOkType);
      return;
    case BankWriteCheck::kReady:
      break;
  }
  if (mBankWrite.FirstGap() != 0)
  {
    mFillGaps = !mManagerMode && AskUser(kGapsText, "Warning", kOkCancelType) == kAnswerOk;
    // The question let go of the mutex: a transfer begun meanwhile keeps
    // the synth, and its replies would be taken for ours.
    if (mTransfer.Busy()) return;
  }
  Panels().SetNameDisplay("Writing Progs to Zephra...");
  mTransfer.AwaitBankWrite();
  SendBankWriteStep(mBankWrite.Begin(mFillGaps));
}

void ZephraModel::SendBankWriteStep(const BankWriteStep& step)
{
  if (step.kind != BankWriteStep::kSend) return;
  mTransfer.AwaitBankWrite();
  SetParamShown(kParamSevenSegmentDisplay, step.location);
  if (mManagerMode)
  {
    // Show where the program goes: the selection, and the target lit.
    for (int n = kBankFirstLocation; n <= kBankLastLocation; ++n)
      Manager().SetRowChecked(n, mBankList[n].selected != 0 || n == step.location);
  }
  else
  {
    SetProgramNameFromFile(step.path.substr(step.path.rfind('/') + 1).c_str());
    Panels().SetNameDisplay(mProgramName);
  }
  if (SendProgramFileToLocation(step.path.c_str(), step.location)) return;
  // Nothing went out, so no reply will come: end now and name the file
  // rather than wait for the time-out's "not present". The idle hook names
  // it: after a reply this runs on the MIDI delivery thread, whose input
  // would stand still while a box waited there.
  mBankWrite.Stop();
  mTransfer.EndBankWriteWait();
  mTransfer.NoteFileNotSent(step.path);
}

void ZephraModel::ContinueBankWrite(uint8_t code)
{
  const BankWriteStep step = mBankWrite.OnReply(code);
  switch (step.kind)
  {
    case BankWriteStep::kIgnored:
      return;
    case BankWriteStep::kFailed:
      mTransfer.EndBankWriteWait();
      mTransfer.Flag(ZephraTransfer::kReportCommError);
      return;
    case BankWriteStep::kSend:
      SendBankWriteStep(step);
      return;
    case BankWriteStep::kFinished:
      break;
  }
  mTransfer.EndBankWriteWait();
  if (mManagerMode)
  {
    for (int n = kBankFirstLocation; n <= kBankLastLocation; ++n)
      Manager().SetRowChecked(n, mBankList[n].selected != 0);
    // The cache holds the bank as written: the file selectors and the
    // previous/next buttons go on from its first program.
    std::string first = mBankWrite.Folder() + mBankWrite.Files().front();
    if (!mCachePath.empty())
    {
      ScanProgramFolder(mCachePath.c_str());
      if (!mFolderFiles.empty()) first = mCachePath + mFolderFiles.front();
    }
    Panels().SetProgramSelectorsFile(first.c_str());
  }
  // The timer turn reports it: no dialog from the MIDI thread.
  mTransfer.Flag(ZephraTransfer::kReportFinished);
}

void ZephraModel::ReportBankFailures(int failed, const char* what)
{
  if (failed == 0) return;
  char text[96];
  snprintf(text, sizeof text, what, failed);
  AskUser(text, "Error", kOkType);
}

bool ZephraModel::ExportBankListToFolder(const std::string& folder, bool updatePaths, int single)
{
  return ExportBankEntries(folder, updatePaths, single).failed == 0;
}

BankExportResult ZephraModel::ExportBankEntries(const std::string& folder, bool updatePaths, int single,
                                                bool selectedOnly)
{
  BASE_MutexLock lock(GetMutex());
  // Downloads go into the cache, which is named only once it is needed.
  if (mCachePath.empty()) SetCachePath();
  FetchBankAddressesUnlocked(selectedOnly, single);
  ProgramDatabase database = Database();
  bool toldNoServer = false;
  const BankFetch download = BankDownload(database, toldNoServer);
  const BankFetch fetch = [this, &download](const std::string& address, std::string& cachedPath) {
    BASE_MutexLock lock(GetMutex());
    return download(address, cachedPath);
  };
  // Each file is flushed to the disk as it is written, which on slow
  // storage takes a bank half a minute: the files are written from a copy
  // of the bank without the mutex, so that the keyboard's notes and the
  // synth's replies never wait for the disk.
  BankList bank = mBankList;
  BankExportResult result;
  {
    BASE_MutexRelease release(GetMutex());
    result = ::ExportBankListToFolder(bank, folder, updatePaths, single, selectedOnly, fetch);
  }
  // The entries name the files just written, unless the bank changed
  // meanwhile (a program fetched from the synth landed in it).
  if (updatePaths && mBankList.Revision() == bank.Revision())
    for (int n : result.writtenLocations) memcpy(mBankList[n].path, bank[n].path, sizeof bank[n].path);
  // Paths may now name the cached or exported files.
  for (int n = kBankFirstLocation; n <= kBankLastLocation; ++n) RefreshBankRow(n);
  ReportBankFailures(result.failed, kExportFailedText);
  return result;
}

bool ZephraModel::SaveBankToDisk(const std::string& folder)
{
  BASE_MutexLock lock(GetMutex());
  const unsigned revision = mBankList.Revision();
  const BankExportResult result = ExportBankEntries(folder, false, 0);
  // A program that came into the bank while the files were written (they
  // are written without the mutex) is not in the folder: the bank is not
  // saved there, and its entries are left as they are.
  if (mBankList.Revision() != revision) return false;
  // A program renamed since the bank came from this folder would otherwise
  // leave its old file beside the new one, two files for one location.
  RemoveReplacedFiles(mBankList, folder, result);
  for (int n = kBankFirstLocation; n <= kBankLastLocation; ++n) RefreshBankRow(n);
  return result.failed == 0;
}

bool ZephraModel::ExportBankList(const std::string& folder)
{
  BASE_MutexLock lock(GetMutex());
  // Files left from an earlier export would be written to the synth too.
  if (!RemoveFolder(folder))
  {
    char text[320];
    snprintf(text, sizeof text, "The folder could not be emptied:\n%s", folder.c_str());
    AskUser(text, "Error", kOkType);
    return false;
  }
  if (mCachePath.empty()) SetCachePath();
  (void)mkdir(mCachePath.c_str(), 0755);
  return ExportBankEntries(folder, false, 0, true).failed == 0;
}

bool ZephraModel::SaveBankListToFolder(const std::string& folder)
{
  BASE_MutexLock lock(GetMutex());
  if (mCachePath.empty()) SetCachePath();
  FetchBankAddressesUnlocked(false, 0);
  ProgramDatabase database = Database();
  bool toldNoServer = false;
  const int failed =
    ::SaveBankListToFolder(mBankList, folder, mCachePath, BankDownload(database, toldNoServer));
  for (int n = kBankFirstLocation; n <= kBankLastLocation; ++n) RefreshBankRow(n);
  ReportBankFailures(failed, kSaveFailedText);
  return failed == 0;
}

void ZephraModel::ListDirectory(const std::string& folder)
{
  mBrowserList.clear();
  for (int r = 0; r < kBrowserRows; ++r) Manager().SetBrowserRow(r, "", false);
  if (folder.size() >= static_cast<size_t>(kFolderPathSize)) return;
  // Kept without its trailing "/" (but "/" itself) for ".." to cut.
  mBrowserFolder = folder;
  while (mBrowserFolder.size() > 1 && mBrowserFolder.back() == '/') mBrowserFolder.pop_back();
  mBrowserAnchor = -1;
  for (const FolderEntry& entry : ListProgramFolder(mBrowserFolder.c_str()))
  {
    DatabaseListRecord record;
    if (entry.name.size() >= sizeof record.name) continue;
    record.program = entry.isProgram ? 1 : 0;
    memcpy(record.name, entry.name.c_str(), entry.name.size() + 1);
    mBrowserList.push_back(record);
  }
  for (size_t r = 0; r < mBrowserList.size() && r < static_cast<size_t>(kBrowserRows); ++r)
  {
    const DatabaseListRecord& record = mBrowserList[r];
    const std::string text = record.program ? record.name : "[" + std::string(record.name) + "]";
    Manager().SetBrowserRow(static_cast<int>(r), text.c_str(), true);
  }
  ResetBrowserScroll();
}

void ZephraModel::ResetBrowserScroll()
{
  // Rows show the new list from record 0, and clicks must pick what they show.
  SetParamShown(kParamManagerScroll, 1.0);
  Manager().SetBrowserScroll(DatabaseScrollRange(mBrowserList.size()));
}

int ZephraModel::FirstVisibleRecord()
{
  const int range = DatabaseScrollRange(mBrowserList.size());
  const int first = static_cast<int>(std::lround(range * (1.0 - GetParam(kParamManagerScroll)->GetNormalized())));
  return std::clamp(first, 0, range);
}

ProgramDatabase ZephraModel::Database() const
{
  char server[256] = {};
  GetPrivateProfileString(Setting::kDatabaseServer.section, Setting::kDatabaseServer.key, "", server, sizeof server, mSettingsPath.c_str());
  ProgramDatabaseConfig config;
  config.server = server;
  config.cacheFolder = mCachePath;
  config.caFile = mDatabaseCaFile;
  return ProgramDatabase(config);
}
