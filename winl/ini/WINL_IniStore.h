// The settings store's cache of parsed files: 32 slots, each one file's path,
// its sections and what the file looked like on disk when it was last read or
// written. GetINIFileData finds, loads or reloads a file; WriteBackIniFile
// rewrites a whole file from its slot through a temporary file in the same
// folder and a rename, so a reader (or a crash) never sees half a file. A
// path that is a symbolic link stays one: the file it leads to is rewritten.
//
// Every call here expects the store's mutex (WINL_IniStoreMutex) to be held
// for the whole profile call; the slot a call returns stays valid only while
// it is held. The slots live from before main to process exit.
#pragma once

#include "core/BASE_FileWhole.h"
#include "core/BASE_Mutex.h"
#include "winl/ini/WINL_IniParse.h"

#include <sys/types.h>

#include <cstdint>

// What a file looked like on disk: change detection compares all of it, so
// an edit within the same second, a same-size rewrite or a replacement by
// rename is still seen.
struct WINL_IniFileStamp
{
  bool exists = false;
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  int64_t mtimeNs = 0;

  bool operator==(const WINL_IniFileStamp& o) const
  {
    return exists == o.exists && device == o.device && inode == o.inode && size == o.size &&
           mtimeNs == o.mtimeNs;
  }
  bool operator!=(const WINL_IniFileStamp& o) const { return !(*this == o); }
};

struct WINL_IniFile
{
  static constexpr int kSlots = 32;

  uint64_t accessStamp = 0;  // process-wide lookup count at the last lookup; 0 = never used
  WINL_IniFileStamp stamp;   // the file as last read or written
  bool stampValid = false;   // false: reload at the next lookup whatever the file says
  // False when the file exists but could not be read whole (no permission,
  // an I/O error, not a regular file, no header early on): the sections do
  // not hold what is on disk, so writing them would destroy the user's file.
  bool writable = false;
  BASE_String fileName;  // empty for a free slot
  WINL_IniSectionList sections;
};

// The store's one recursive mutex; held from a slot's lookup to the end of
// its write-back.
BASE_Mutex& WINL_IniStoreMutex();

// The slot for path, reloaded when the file on disk changed. Null for a null
// or empty path.
WINL_IniFile* GetINIFileData(const char* path);

// Rewrites the slot's file from its sections. On failure the file on disk
// stays as it was, no temporary file remains, and the slot is emptied and
// marked for reloading, so the cache never claims a value the disk lacks.
[[nodiscard]] bool WriteBackIniFile(WINL_IniFile* file);

// Keeps other processes from writing a settings file between this process's
// re-read of it and the rename of its new text, so that neither loses the
// other's keys. The lock is an exclusive advisory lock on a hidden file
// beside the settings file (".settings.ini.lock"): the settings file itself
// cannot carry it, since every write replaces it with a new inode. The lock
// file stays, as a lock file removed while another process waits on it
// would let a third one in. Take it with the store's mutex held and before
// GetINIFileData, so the slot is checked against the disk under the lock.
class WINL_IniWriteLock
{
public:
  explicit WINL_IniWriteLock(const char* path);
  ~WINL_IniWriteLock();
  WINL_IniWriteLock(const WINL_IniWriteLock&) = delete;
  WINL_IniWriteLock& operator=(const WINL_IniWriteLock&) = delete;

  // False when the lock file could not be opened: then nothing may be written.
  bool Held() const { return mFd >= 0; }

private:
  int mFd = -1;
};

// Removes the temporary files that writers of path killed mid-write left
// beside it (".settings.ini.new.PID.N"), those of processes that no longer
// run; a running writer's are left alone. Returns how many went.
int WINL_IniRemoveStaleTemporaries(const char* path);

// Empties the slot and marks it for reloading, after its sections were
// changed but could not be saved.
void WINL_IniForget(WINL_IniFile* file);

// ---- test seam ----
// The calls that write the file and put it in place (those of the program's
// one whole-file replace). Tests swap them to inject the failures of a full
// disk or a dying device.
using WINL_IniFileOps = BASE_ReplaceFileCalls;

// Replaces the calls above; null restores the system's. Takes the mutex.
void WINL_IniSetFileOpsForTest(const WINL_IniFileOps* ops);
