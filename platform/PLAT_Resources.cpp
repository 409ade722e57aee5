#include "platform/PLAT_Resources.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <mutex>

namespace
{
bool IsDir(const std::string& path)
{
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsFile(const std::string& path)
{
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The folder of the running executable, ending in "/", or "".
std::string ExecutableDir()
{
  char buf[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", buf, sizeof(buf) - 1);
  if (n <= 0) return "";
  std::string path(buf, static_cast<size_t>(n));
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? "" : path.substr(0, slash + 1);
}

// The places of the resources folder when no variable names it, in order.
std::vector<std::string> Candidates()
{
  std::vector<std::string> places;
  const std::string exe = ExecutableDir();
  if (!exe.empty())
  {
    places.push_back(exe + "resources/");
    places.push_back(exe + "../share/zephraeditor/resources/");
  }
#ifdef ZEPHRA_SOURCE_RESOURCES
  places.push_back(std::string(ZEPHRA_SOURCE_RESOURCES) + "/");
#endif
  return places;
}

std::string FindResourcesDir()
{
  for (const std::string& place : Candidates())
    if (IsDir(place)) return place;
  return "";
}

std::string OverridingDir()
{
  const char* over = std::getenv("ZEPHRA_RESOURCES_DIR");
  if (!over || !*over) return "";
  std::string dir = over;
  if (dir.back() != '/') dir += '/';
  return dir;
}
}  // namespace

std::vector<std::string> PLAT_ResourcesFoldersLookedAt()
{
  if (std::string over = OverridingDir(); !over.empty()) return {over};
  const std::string found = PLAT_GetResourcesDir();
  std::vector<std::string> looked;
  for (const std::string& place : Candidates())
  {
    looked.push_back(place);
    if (place == found) break;
  }
  return looked;
}

std::string PLAT_GetResourcesDir()
{
  if (std::string over = OverridingDir(); !over.empty()) return over;
  // The executable does not move while it runs.
  static std::once_flag once;
  static std::string dir;
  std::call_once(once, [] { dir = FindResourcesDir(); });
  return dir;
}

std::string PLAT_GetResourcePath(const char* relative)
{
  const std::string dir = PLAT_GetResourcesDir();
  if (dir.empty() || !relative || !*relative) return "";
  const std::string path = dir + relative;
  return IsFile(path) ? path : "";
}
