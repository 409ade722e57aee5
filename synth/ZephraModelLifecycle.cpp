// The editor's housekeeping around the synth link: the timer turn's reply
// watchdog and flag reports, the idle hook's deferred work, the start with
// the last program and the end that saves it.
#include "synth/ZephraModel.h"
#include "core/SettingsNames.h"

#include "core/BASE_Mutex.h"
#include "synth/ProgramFile.h"
#include "synth/ZephraLinkMessages.h"
#include "winl/ini/WINL_Ini.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <syslog.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

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
constexpr const char* kUpdateUnfinishedText =
  "The firmware update did not finish: the Zephra stopped answering.\n"
  "Switch the Zephra off and on again and start the firmware update once more.";
constexpr const char* kUpdateUnfinishedStatus = "Update not finished!";

std::string FolderOf(const std::string& path)
{
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

// The names of path below folder, or false when path is not strictly inside
// it ("." and ".." would lead out, an empty rest is the folder itself).
bool PartsBelow(const std::string& folder, const std::string& path, std::vector<std::string>& parts)
{
  if (path.compare(0, folder.size() + 1, folder + "/") != 0) return false;
  parts.clear();
  for (size_t at = folder.size() + 1; at < path.size();)
  {
    size_t end = path.find('/', at);
    if (end == std::string::npos) end = path.size();
    const std::string name = path.substr(at, end - at);
    if (name == "." || name == "..") return false;
    if (!name.empty()) parts.push_back(name);
    at = end + 1;
  }
  return !parts.empty();
}

// Removes everything in the open folder fd and closes it. Entries go by
// name: a link is unlinked, never followed, and a sub-folder is opened with
// O_NOFOLLOW, so a link put in its place meanwhile is refused, not entered.
bool EmptyFolderAt(int fd)
{
  DIR* dir = fdopendir(fd);
  if (dir == nullptr)
  {
    close(fd);
    return false;
  }
  std::vector<std::string> names;
  while (const dirent* entry = readdir(dir))
    if (strcmp(entry->d_name, ".") != 0 && strcmp(entry->d_name, "..") != 0) names.push_back(entry->d_name);
  bool emptied = true;
  for (const std::string& name : names)
  {
    if (unlinkat(dirfd(dir), name.c_str(), 0) == 0 || errno == ENOENT) continue;
    const int sub = openat(dirfd(dir), name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    emptied = sub >= 0 && EmptyFolderAt(sub) && unlinkat(dirfd(dir), name.c_str(), AT_REMOVEDIR) == 0 &&
              emptied;
  }
  closedir(dir);
  return emptied;
}
}  // namespace

void ZephraModel::ReportToUser(const char* text, const char* caption, const char* statusText)
{
  AskUser(text, caption, kOkType);
  if (statusText) Panels().SetNameDisplay(statusText);
}

std::string ZephraModel::NameAsShown() const
{
  return mNameMarked ? "*" + std::string(mProgramName) + "*" : std::string(mProgramName);
}

void ZephraModel::SynthLinkRestored()
{
  // Only the error is old news now: a status shown since (a transfer under
  // way, a file fault) still tells the truth and stays.
  if (Panels().NameDisplayText() == kCommErrorStatus) Panels().SetNameDisplay(NameAsShown().c_str());
  // The synth may have been switched off meanwhile and woken with a sound of
  // its own: as at the start, it gets the editor's program, as the panel
  // shows it now (a fader moved while the synth was away included).
  mProgram = SoundAsRecord();
  SendProgramToSynth();
}

// ---- the timer turn ----

void ZephraModel::WatchReplies()
{
  const ZephraTransfer::Expired expired = mTransfer.Tick();
  if (expired.dump || expired.bankWrite) ReportToUser(kNotPresentText, "Error", kCommErrorStatus);
  if (expired.write) ReportToUser(kNotPresentText, "Error", nullptr);
  if (expired.firmware) ReportToUser(kUpdateUnfinishedText, "Error", kUpdateUnfinishedStatus);
  TellReports();
}

void ZephraModel::TellReports()
{
  const unsigned reports = mTransfer.TakeReports();
  if (reports & ZephraTransfer::kReportFinished)
  {
    if (mManagerMode)
      AskUser(kFinishedText, "Done", kOkType);
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
  // What the network brought is applied here, on the GUI thread.
  if (DatabaseBusy()) ApplyDatabaseResults();
  int received = 0;
  std::string unsent;
  {
    // The GUI thread never waits here for a thread in the middle of a dump
    // or a send: the flagged work keeps until a later idle pass.
    BASE_MutexTryLock lock(GetMutex());
    if (!lock.Locked()) return;
    received = mTransfer.TakeDumpReceived();
    unsent = mTransfer.TakeFileNotSent();
    SendOwedRequest();
  }
  // The dialogs run without the mutex.
  if (!unsent.empty()) TellFileNotSent(unsent);
  if (received != 0) SaveReceivedProgram(received);
}

// ---- start and end ----

void ZephraModel::StartWithLastProgram()
{
  char lastFile[257] = {};
  GetPrivateProfileString(Setting::kLastFile.section, Setting::kLastFile.key, "", lastFile, sizeof lastFile,
                          mSettingsPath.c_str());
  if (std::string(lastFile).size() < 5)
  {
    InitProgram();
    return;
  }
  ScanProgramFolder(lastFile);
  LoadLastProgram(lastFile);
  Panels().SetLastSelectedProgramFile(lastFile);
}

void ZephraModel::LoadLastProgram(const char* lastFile)
{
  BASE_MutexLock lock(GetMutex());
  const std::string path = FolderOf(mSettingsPath) + "/lastprogram.pr3";
  // Without a readable last program the synth gets the default one rather
  // than a record that was never loaded. The copy is the last file's sound:
  // it shows under that file's name, not its own.
  if (LoadProgramFile(path.c_str(), lastFile) != ProgramFileError::kNone)
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
  // Only folders of our own strictly inside the settings folder are ever
  // removed, and nothing is reached through a link: a "cache" that links
  // to a folder of the user's loses the link, never the folder's files.
  std::vector<std::string> parts;
  if (!PartsBelow(FolderOf(mSettingsPath), path, parts))
  {
    syslog(LOG_ERR, "ZephraEditor: refused to remove %s", path.c_str());
    return false;
  }
  int fd = open(FolderOf(mSettingsPath).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  bool missing = fd < 0 && errno == ENOENT;
  for (size_t i = 0; fd >= 0 && i + 1 < parts.size(); ++i)
  {
    const int next = openat(fd, parts[i].c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    missing = next < 0 && errno == ENOENT;
    close(fd);
    fd = next;
  }
  // A missing folder on the way leaves nothing below it to remove.
  bool removed = missing;
  if (fd >= 0)
  {
    const char* leaf = parts.back().c_str();
    struct stat info;
    if (fstatat(fd, leaf, &info, AT_SYMLINK_NOFOLLOW) != 0)
    {
      removed = errno == ENOENT;
    }
    else if (!S_ISDIR(info.st_mode))
    {
      removed = unlinkat(fd, leaf, 0) == 0;
    }
    else
    {
      const int folder = openat(fd, leaf, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
      removed = folder >= 0 && EmptyFolderAt(folder) && unlinkat(fd, leaf, AT_REMOVEDIR) == 0;
    }
    close(fd);
  }
  if (!removed) syslog(LOG_ERR, "ZephraEditor: could not remove %s: %s", path.c_str(), strerror(errno));
  return removed;
}

void ZephraModel::RemoveCacheFolder()
{
  if (mCachePath.empty()) SetCachePath();
  if (AloneWithTheCache())
  {
    (void)RemoveFolder(mCachePath);
    ShareTheCache();
    return;
  }
  // Another editor of this settings folder is running: the downloads
  // under "db/" may be its bank's, so only the rest of the cache goes.
  const int fd = open(mCachePath.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  DIR* dir = fd >= 0 ? fdopendir(fd) : nullptr;
  if (dir == nullptr)
  {
    if (fd >= 0) close(fd);
    return;
  }
  std::vector<std::string> names;
  while (const dirent* entry = readdir(dir))
    if (strcmp(entry->d_name, ".") != 0 && strcmp(entry->d_name, "..") != 0 && strcmp(entry->d_name, "db") != 0)
      names.push_back(entry->d_name);
  closedir(dir);
  for (const std::string& name : names) (void)RemoveFolder(mCachePath + name);
}

void ZephraModel::HoldCacheLock()
{
  const std::string path = FolderOf(mSettingsPath) + "/.cache.lock";
  mCacheLock = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  // Waits out another editor that is emptying the cache this moment: an
  // editor without its shared lock would pass for absent and could lose
  // its downloads to the next one that empties the cache.
  int held = -1;
  while (mCacheLock >= 0 && (held = flock(mCacheLock, LOCK_SH)) != 0 && errno == EINTR) {}
  if (mCacheLock >= 0 && held != 0)
  {
    close(mCacheLock);
    mCacheLock = -1;
  }
}

bool ZephraModel::AloneWithTheCache()
{
  // Without a lock of our own (no settings folder yet) no other editor
  // could have shared one either. Taking it exclusively fails while any
  // other editor holds its shared lock.
  return mCacheLock < 0 || flock(mCacheLock, LOCK_EX | LOCK_NB) == 0;
}

void ZephraModel::ShareTheCache()
{
  if (mCacheLock >= 0) (void)flock(mCacheLock, LOCK_SH);
}

void ZephraModel::DestroyEditor()
{
  if (mDestroyed) return;
  mDestroyed = true;
  // A download still waiting on the network is given up, not waited out.
  StopDatabaseWork();
  // No timer turn may run on a half-destroyed editor.
  if (mTimer)
  {
    mTimer->Stop();
    (void)CTimer::Join(mTimerThread);
    mTimer = nullptr;
  }
  // Another editor of the same settings folder may still be reading the
  // cache: its downloads and exported bank stay.
  if (AloneWithTheCache())
  {
    if (mCachePath.empty()) SetCachePath();
    (void)RemoveFolder(mCachePath + "selected/");
    (void)RemoveFolder(mCachePath);
  }
  // An editor starting now waits for no more than the removal.
  if (mCacheLock >= 0) close(mCacheLock);
  mCacheLock = -1;
  SaveSessionState();
}

void ZephraModel::SaveSessionState()
{
  BASE_MutexLock lock(GetMutex());
  const char* ini = mSettingsPath.c_str();
  (void)WritePrivateProfileString(Setting::kManager.section, Setting::kManager.key, mManagerMode ? "true" : "false", ini);
  const bool haveFile = mFolderFileIndex >= 0 &&
                        mFolderFileIndex < static_cast<int>(mFolderFiles.size()) &&
                        !mFolderFiles[mFolderFileIndex].empty();
  if (!haveFile) return;
  const std::string& fileName = mFolderFiles[mFolderFileIndex];
  SetProgramNameFromFile(fileName.c_str());
  Panels().SetNameDisplay(mProgramName);
  (void)WritePrivateProfileString(Setting::kLastFile.section, Setting::kLastFile.key, (mProgramFolder + fileName).c_str(), ini);
  char channel[16];
  std::snprintf(channel, sizeof channel, "%d", mKbdMidiChannel);
  (void)WritePrivateProfileString(Setting::kKeyboardChannel.section, Setting::kKeyboardChannel.key, channel, ini);
  SaveLastProgram();
}
