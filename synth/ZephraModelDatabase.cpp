// The program database's network work: every request runs as a job on the
// database thread, without the plug-in mutex; what it brings is applied on
// the GUI thread under the mutex, after checking what changed meanwhile.
#include "synth/ZephraModel.h"

#include "core/BASE_Mutex.h"

#include <sys/stat.h>

#include <chrono>
#include <memory>
#include <set>

namespace
{
constexpr int kBrowserRows = 47;

bool IsRegularFile(const std::string& path)
{
  struct stat info;
  return lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}
}  // namespace

// ---- jobs ----

void ZephraModel::ApplyDatabaseResults()
{
  BASE_MutexLock lock(GetMutex());
  (void)mDatabaseJobs.RunFinished();
}

bool ZephraModel::FinishDatabaseWork(int timeoutMs)
{
  // Applying may post the next job (a download then a load): go on until
  // nothing is left.
  for (int rounds = 0; rounds < 8; ++rounds)
  {
    if (!mDatabaseJobs.WaitIdle(timeoutMs)) return false;
    ApplyDatabaseResults();
    if (!mDatabaseJobs.Busy()) return true;
  }
  return !mDatabaseJobs.Busy();
}

bool ZephraModel::DatabaseBusy() { return mDatabaseJobs.Busy(); }

void ZephraModel::StopDatabaseWork() { mDatabaseJobs.Stop(); }

// ---- lists ----

void ZephraModel::ShowDatabaseRecord(const std::string& link, bool opensCategory)
{
  ProgramDatabase database = Database();
  {
    BASE_MutexLock lock(GetMutex());
    if (!DatabaseOrSay(database)) return;
  }
  // A newer list replaces whatever list was still on its way; a save, an
  // upload or a load asked for before it still happens.
  const std::string category = mDatabaseCategory;
  mDatabaseJobs.PostList([this, database, link, opensCategory, category](const std::atomic<bool>& cancelled) mutable {
    database.SetCancel(&cancelled);
    // A category lists its programs, a program its files, ".." of a
    // program list the categories.
    auto list = std::make_shared<std::vector<DatabaseListRecord>>();
    if (opensCategory)
      database.ShowCategory(link, *list);
    else if (link == "..")
      (void)database.FetchCategories(*list);
    else
      database.ShowProgramFiles(link, category, *list);
    return DatabaseJobs::Apply([this, list, link, opensCategory] {
      if (opensCategory) mDatabaseCategory = link;
      mBrowserList = std::move(*list);
      mBrowserAnchor = -1;
      for (int r = 0; r < kBrowserRows; ++r)
      {
        const bool shown = static_cast<size_t>(r) < mBrowserList.size();
        Manager().SetBrowserRow(r, shown ? mBrowserList[static_cast<size_t>(r)].name : "", shown);
      }
      ResetBrowserScroll();
    });
  });
}

// ---- single programs ----

void ZephraModel::LoadRemoteProgram(const std::string& address, int location)
{
  // The cache is named before the client that downloads into it.
  if (mCachePath.empty()) SetCachePath();
  ProgramDatabase database = Database();
  if (!DatabaseOrSay(database)) return;
  mDatabaseJobs.Post([this, database, address, location](const std::atomic<bool>& cancelled) mutable {
    database.SetCancel(&cancelled);
    std::string cached;
    if (!database.FetchProgramToCache(address, cached)) return DatabaseJobs::Apply();
    return DatabaseJobs::Apply([this, address, cached, location] {
      mDownloaded[address] = cached;
      if (location >= kBankFirstLocation && location <= kBankLastLocation)
      {
        // The row may have been given another program while we waited.
        const BankEntry entry = mBankList[location];
        if (entry.empty || address != entry.path) return;
        (void)mBankList.SetProgram(location, cached, entry.category, entry.name);
        RefreshBankRow(location);
      }
      mLastNrpnIndex = kNrpnNoneSent;
      LoadAndSendProgram(cached);
    });
  });
}

// ---- the bank's downloads ----

std::vector<std::string> ZephraModel::BankAddressesToFetch(bool selectedOnly, int single)
{
  std::set<std::string> addresses;
  for (int n = kBankFirstLocation; n <= kBankLastLocation; ++n)
  {
    const BankEntry& e = mBankList[n];
    if (e.empty || !IsDatabaseAddress(e.path) || (selectedOnly && !e.selected)) continue;
    if (single >= kBankFirstLocation && n != single) continue;
    const auto known = mDownloaded.find(e.path);
    if (known == mDownloaded.end() || !IsRegularFile(known->second)) addresses.insert(e.path);
  }
  return std::vector<std::string>(addresses.begin(), addresses.end());
}

std::map<std::string, std::string> ZephraModel::DownloadAll(ProgramDatabase& database,
                                                            const std::vector<std::string>& addresses)
{
  // One deadline for the batch: two entries on a stalled server wait no
  // longer than one.
  database.SetDeadline(std::chrono::steady_clock::now() + std::chrono::milliseconds(database.Config().totalTimeoutMs));
  std::map<std::string, std::string> fetched;
  for (const std::string& address : addresses)
  {
    std::string cached;
    if (database.FetchProgramToCache(address, cached)) fetched[address] = cached;
  }
  return fetched;
}

void ZephraModel::FetchBankAddressesUnlocked(bool selectedOnly, int single)
{
  if (mBankDownloadsDone) return;
  const std::vector<std::string> addresses = BankAddressesToFetch(selectedOnly, single);
  if (addresses.empty()) return;
  if (mCachePath.empty()) SetCachePath();
  ProgramDatabase database = Database();
  if (!database.HasServer()) return;
  std::map<std::string, std::string> fetched;
  {
    // The network is never waited on under the mutex.
    BASE_MutexRelease release(GetMutex());
    fetched = DownloadAll(database, addresses);
  }
  for (auto& [address, cached] : fetched) mDownloaded[address] = cached;
}

void ZephraModel::AfterBankDownloads(bool selectedOnly, std::function<void()> then)
{
  std::vector<std::string> addresses;
  {
    BASE_MutexLock lock(GetMutex());
    addresses = BankAddressesToFetch(selectedOnly, 0);
    if (mCachePath.empty()) SetCachePath();
  }
  ProgramDatabase database = Database();
  if (addresses.empty() || !database.HasServer())
  {
    then();
    return;
  }
  mDatabaseJobs.Post([this, database, addresses, then](const std::atomic<bool>& cancelled) mutable {
    database.SetCancel(&cancelled);
    auto fetched = std::make_shared<std::map<std::string, std::string>>(DownloadAll(database, addresses));
    return DatabaseJobs::Apply([this, fetched, then] {
      for (auto& [address, cached] : *fetched) mDownloaded[address] = cached;
      // The entries are exported from what is in the bank now; one that
      // failed, or changed to an address not fetched, is reported as not
      // exported rather than fetched again on this thread.
      mBankDownloadsDone = true;
      then();
      mBankDownloadsDone = false;
    });
  });
}

BankFetch ZephraModel::BankDownload(ProgramDatabase& database, bool& toldNoServer)
{
  // Only what was downloaded beforehand, without the mutex: the export
  // itself never waits on the network.
  return [this, &database, &toldNoServer](const std::string& address, std::string& cachedPath) {
    if (!database.HasServer())
    {
      if (!toldNoServer) (void)DatabaseOrSay(database);
      toldNoServer = true;
      return false;
    }
    const auto known = mDownloaded.find(address);
    if (known == mDownloaded.end() || !IsRegularFile(known->second)) return false;
    cachedPath = known->second;
    return true;
  };
}
