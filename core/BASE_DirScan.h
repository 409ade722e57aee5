// BASE_DirScan: lists a folder entry by entry, in the order the system gives,
// "." and ".." included. The current entry's name stays valid until the next
// call. Owns the open folder handle. Not thread-safe.
#pragma once

#include "core/BASE_String.h"

#include <dirent.h>

class BASE_DirScan
{
public:
  BASE_DirScan() = default;
  ~BASE_DirScan() { Close(); }
  BASE_DirScan(const BASE_DirScan&) = delete;
  BASE_DirScan& operator=(const BASE_DirScan&) = delete;

  // Opens path (one trailing "/" or "\" ignored; "/" alone is the root).
  // Returns 0 with a first entry, 1 when the folder cannot be opened or has
  // no entries, -1 for a null or empty path.
  int First(const char* path);
  // 0 with another entry, 1 at the end, -1 when no folder is open.
  int Next();
  // The current entry's name; "" when there is none.
  const char* GetCurrentFileName() const;
  bool IsCurrentDirectory() const;
  // The folder path as stored (without its trailing slash).
  const char* GetPath() const { return mPath.Get(); }
  void Close();

private:
  DIR* mFolder = nullptr;
  dirent* mEntry = nullptr;
  BASE_String mPath;
};
