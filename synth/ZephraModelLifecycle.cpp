// The editor's housekeeping around the synth link: the timer turn's reply
// watchdog and flag reports, the idle hook's deferred work, the start with
// the last program and the end that saves it.
#include "synth/ZephraModel.h"

#include "core/BASE_Mutex.h"
#include "synth/ProgramFile.h"
#include "synth/ZephraLinkMessages.h"
#include "winl/ini/WINL_Ini.h"

#include <sys/stat.h>
#include <syslog.h>

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace
{
constexpr const char* kNotPresentText = "Zephra not present or a communication\nerror has occurred!";
constexpr const char* kCommErrorText = "Communication error has occurred!";
constexpr const char* kCommErrorStatus = "Communication error!";
constexpr const char* kFinishedText = "Finished successfully!";
constexpr const char* kNameNumberText = "Program Name does not\ndetermine Program Number!";
constexpr const char* kSaveFailedText = "The program could not be saved!";
constexpr const char* kSaveFailedStatus = "Saving failed!";
constexpr int kOkType = 0;

std::string FolderOf(const std::string& path)
{
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}
}  // namespace

void ZephraModel::ReportToUser(const char* text, const char* caption, const char* statusText)
{
  Panels().ShowMessageBox(text, caption, kOkType);
  if (statusText) Panels().SetNameDisplay(statusText);
}

// ---- the timer turn ----

void ZephraModel::WatchReplies()
{
  const ZephraTransfer::Expired expired = mTransfer.Tick();
  if (expired.dump) ReportToUser(kNotPresentText, "Error", kCommErrorStatus);
  if (expired.write) ReportToUser(kNotPresentText, "Error", nullptr);
  const unsigned reports = mTransfer.TakeReports();
  if (reports & ZephraTransfer::kReportFinished)
  {
    if (mManagerMode)
      Panels().ShowMessageBox(kFinishedText, "Done", kOkType);
    else
      Panels().SetNameDisplay(kFinishedText);
  }
  if (reports & ZephraTransfer::kReportCommError) ReportToUser(kCommErrorText, "Error", kCommErrorStatus);
  if (reports & ZephraTransfer::kReportNameNumberError) ReportToUser(kNameNumberText, "Error", nullptr);
  if (reports & ZephraTransfer::kReportSaveFailed) ReportToUser(kSaveFailedText, "Error", kSaveFailedStatus);
}

// ---- the idle hook ----

void ZephraModel::OnIdle()
{
  bool dumpReceived = false;
  int location = 1;
  {
    BASE_MutexLock lock(GetMutex());
    dumpReceived = mTransfer.TakeDumpReceived();
    location = mTransfer.Location();
    if (mTransfer.TakeRequest()) RequestProgramDump(location);
  }
  // The save dialog runs without the mutex.
  if (dumpReceived) SaveReceivedProgram(location);
}

// ---- start and end ----

void ZephraModel::StartWithLastProgram()
{
  char lastFile[257] = {};
  GetPrivateProfileString("program", "lastfile", "", lastFile, sizeof lastFile,
                          mSettingsPath.c_str());
  if (std::string(lastFile).size() < 5)
  {
    InitProgram();
    return;
  }
  ScanProgramFolder(lastFile);
  LoadLastProgram();
  Panels().SetLastSelectedProgramFile(lastFile);
}

void ZephraModel::LoadLastProgram()
{
  BASE_MutexLock lock(GetMutex());
  const std::string path = FolderOf(mSettingsPath) + "/lastprogram.pr3";
  // Without a readable last program the synth gets the default one rather
  // than a record that was never loaded.
  if (LoadProgramFile(path.c_str()) != ProgramFileError::kNone)
  {
    InitProgram();
    return;
  }
  SendProgramToSynth();
}

void ZephraModel::SaveLastProgram()
{
  const std::string path = FolderOf(mSettingsPath) + "/lastprogram.pr3";
  if (!WriteSoundAsProgramFile(path.c_str()))
    syslog(LOG_ERR, "ZephraEditor: could not write %s", path.c_str());
}

void ZephraModel::SetCachePath()
{
  mCachePath = FolderOf(mSettingsPath) + "/cache/";
}

bool ZephraModel::RemoveFolder(const std::string& path)
{
  // Only folders of our own below the settings folder are ever removed.
  if (path.empty() || path == "/") return false;
  ::mkdir(path.c_str(), 0755);
  std::error_code error;
  std::filesystem::remove_all(path, error);
  if (error)
  {
    syslog(LOG_ERR, "ZephraEditor: could not remove %s: %s", path.c_str(),
           error.message().c_str());
    return false;
  }
  return true;
}

void ZephraModel::RemoveCacheFolder()
{
  if (mCachePath.empty()) SetCachePath();
  (void)RemoveFolder(mCachePath);
}

void ZephraModel::DestroyEditor()
{
  if (mDestroyed) return;
  mDestroyed = true;
  // No timer turn may run on a half-destroyed editor.
  if (mTimer)
  {
    mTimer->Stop();
    (void)CTimer::Join(mTimerThread);
    mTimer = nullptr;
  }
  if (mCachePath.empty()) SetCachePath();
  (void)RemoveFolder(mCachePath + "selected/");
  RemoveCacheFolder();

  BASE_MutexLock lock(GetMutex());
  const char* ini = mSettingsPath.c_str();
  (void)WritePrivateProfileString("gui", "manager", mManagerMode ? "true" : "false", ini);
  const bool haveFile = mFolderFileIndex >= 0 &&
                        mFolderFileIndex < static_cast<int>(mFolderFiles.size()) &&
                        !mFolderFiles[mFolderFileIndex].empty();
  if (!haveFile) return;
  const std::string& fileName = mFolderFiles[mFolderFileIndex];
  SetProgramNameFromFile(fileName.c_str());
  Panels().SetNameDisplay(mProgramName);
  (void)WritePrivateProfileString("program", "lastfile", (mProgramFolder + fileName).c_str(), ini);
  char channel[16];
  std::snprintf(channel, sizeof channel, "%d", mKbdMidiChannel);
  (void)WritePrivateProfileString("midi", "kbdmidioutch", channel, ini);
  SaveLastProgram();
}
