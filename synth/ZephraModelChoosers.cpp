// Where the editor's choosers start, and the one folder a user's program is
// never saved into: the cache, which the editor empties and removes when it
// quits. A chooser that would open there opens in the last folder the user
// chose instead (or the home folder), and a save the user points there
// anyway is refused with a warning.
#include "synth/ZephraModel.h"

#include "core/BASE_Mutex.h"

#include <climits>
#include <cstdlib>
#include <string>

namespace
{
constexpr const char* kCacheSaveText =
  "This folder is the editor's cache, which is deleted when the editor quits.\n"
  "Please choose another folder.";

// path with its links resolved as far as it exists: a file not yet saved
// resolves through its folder.
std::string Resolved(const std::string& path)
{
  char real[PATH_MAX];
  if (realpath(path.c_str(), real)) return real;
  const size_t slash = path.find_last_of('/', path.size() > 1 ? path.size() - 2 : 0);
  if (slash == std::string::npos || slash == 0) return path;
  if (!realpath(path.substr(0, slash).c_str(), real)) return path;
  return std::string(real) + path.substr(slash);
}

// Whether path is folder (ending in "/") or lies below it.
bool Within(const std::string& path, const std::string& folder)
{
  return (path + "/").compare(0, folder.size(), folder) == 0;
}

std::string FolderPart(const std::string& path)
{
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}
}  // namespace

bool ZephraModel::InEditorsCache(const std::string& path)
{
  if (path.empty()) return false;
  BASE_MutexLock lock(GetMutex());
  if (mCachePath.empty()) SetCachePath();
  return Within(path, mCachePath) || Within(Resolved(path), Resolved(mCachePath) + "/");
}

std::string ZephraModel::ChooserStart(const std::string& wanted)
{
  BASE_MutexLock lock(GetMutex());
  if (!InEditorsCache(wanted)) return wanted;
  // The file name proposed stays; only its folder moves out of the cache.
  const size_t slash = wanted.rfind('/');
  const std::string file = slash == std::string::npos ? wanted : wanted.substr(slash + 1);
  if (!mLastChosenFolder.empty() && !InEditorsCache(mLastChosenFolder)) return mLastChosenFolder + file;
  const char* home = getenv("HOME");
  return std::string(home && *home ? home : "") + "/" + file;
}

void ZephraModel::NoteChosenPath(const std::string& path, bool isFolder)
{
  BASE_MutexLock lock(GetMutex());
  const std::string folder = isFolder ? path : FolderPart(path);
  if (folder.empty() || InEditorsCache(folder)) return;
  mLastChosenFolder = folder.back() == '/' ? folder : folder + "/";
}

bool ZephraModel::MaySaveInto(const std::string& path)
{
  {
    BASE_MutexLock lock(GetMutex());
    if (!InEditorsCache(path)) return true;
  }
  AskUser(kCacheSaveText, "Warning", 0);
  return false;
}
