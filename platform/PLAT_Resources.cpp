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

std::string FindResourcesDir()
{
  const std::string exe = ExecutableDir();
  if (!exe.empty())
  {
    if (IsDir(exe + "resources")) return exe + "resources/";
    if (IsDir(exe + "../share/zephraeditor/resources")) return exe + "../share/zephraeditor/resources/";
  }
#ifdef ZEPHRA_SOURCE_RESOURCES
  if (IsDir(ZEPHRA_SOURCE_RESOURCES)) return std::string(ZEPHRA_SOURCE_RESOURCES) + "/";
#endif
  return "";
}
}  // namespace

std::string PLAT_GetResourcesDir()
{
  if (const char* over = std::getenv("ZEPHRA_RESOURCES_DIR"); over && *over)
  {
    std::string dir = over;
    if (dir.back() != '/') dir += '/';
    return dir;
  }
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
