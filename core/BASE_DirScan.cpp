#include "core/BASE_DirScan.h"

#include <fcntl.h>
#include <sys/stat.h>

int BASE_DirScan::First(const char* path)
{
  Close();
  if (!path || !*path) return -1;
  mPath.Set(path);
  const int length = mPath.GetLength();
  const char last = path[length - 1];
  if (last == '/' || last == '\\') mPath.SetLength(length - 1);
  mFolder = opendir(mPath.GetLength() ? mPath.Get() : "/");
  if (!mFolder) return 1;
  return Next();
}

int BASE_DirScan::Next()
{
  if (!mFolder) return -1;
  mEntry = readdir(mFolder);
  return mEntry ? 0 : 1;
}

const char* BASE_DirScan::GetCurrentFileName() const
{
  return mEntry ? mEntry->d_name : "";
}

bool BASE_DirScan::IsCurrentDirectory() const
{
  if (!mEntry) return false;
  if (mEntry->d_type != DT_UNKNOWN) return mEntry->d_type == DT_DIR;
  // Some file systems leave the type out of the listing.
  struct stat info;
  return fstatat(dirfd(mFolder), mEntry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
         S_ISDIR(info.st_mode);
}

void BASE_DirScan::Close()
{
  if (mFolder) closedir(mFolder);
  mFolder = nullptr;
  mEntry = nullptr;
}
