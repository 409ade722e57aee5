#include "winl/ini/WINL_IniStore.h"

#include "core/BASE_FileWhole.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cctype>
#include <climits>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <string>

namespace
{
struct Store
{
  BASE_Mutex mutex;
  WINL_IniFile slots[WINL_IniFile::kSlots];
  uint64_t lookups = 0;     // the access-stamp counter
};

Store& TheStore()
{
  static Store store;
  return store;
}

// The slots exist from before main to process exit, so no profile call,
// whichever thread makes it first, pays for building them.
[[maybe_unused]] const bool kStoreBuilt = (TheStore(), true);

WINL_IniFileStamp StampOf(const struct stat& st)
{
  WINL_IniFileStamp s;
  s.exists = true;
  s.device = st.st_dev;
  s.inode = st.st_ino;
  s.size = st.st_size;
  s.mtimeNs = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
  return s;
}

// False when the file's state cannot be known (anything but "missing").
bool StatPath(const char* path, WINL_IniFileStamp* out)
{
  struct stat st;
  if (stat(path, &st) == 0)
  {
    *out = StampOf(st);
    return true;
  }
  if (errno != ENOENT) return false;
  *out = WINL_IniFileStamp();
  return true;
}

void Load(WINL_IniFile* file, const char* path)
{
  file->sections.DeleteAll();
  file->stampValid = false;
  file->writable = false;

  const int fd = open(path, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0)
  {
    // Only a missing file is an empty one. Any other failure (permission, a
    // folder in the way, an I/O error) means there may be settings there that
    // this process cannot see, and rewriting the file would destroy them.
    if (errno == ENOENT)
    {
      file->stamp = WINL_IniFileStamp();
      file->stampValid = true;
      file->writable = true;
    }
    return;
  }
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
  {
    close(fd);
    return;
  }
  while (flock(fd, LOCK_SH) != 0 && errno == EINTR)
  {
  }

  WINL_IniParser parser(file->sections);
  bool readError = false;
  char piece[16384];
  for (;;)
  {
    const ssize_t n = read(fd, piece, sizeof(piece));
    if (n < 0)
    {
      if (errno == EINTR) continue;
      readError = true;
      break;
    }
    if (n == 0 || !parser.Feed(piece, static_cast<size_t>(n))) break;
  }
  const WINL_IniParseResult result = parser.Finish();
  const bool stamped = fstat(fd, &st) == 0;
  flock(fd, LOCK_UN);
  close(fd);

  if (readError || result == WINL_IniParseResult::kFailed)
  {
    file->sections.DeleteAll();
    return;  // neither stamped nor writable: the next lookup tries again
  }
  if (stamped)
  {
    file->stamp = StampOf(st);
    file->stampValid = true;
  }
  // A file cut short reads as empty but is never overwritten: its tail may
  // hold what the user wants to keep.
  file->writable = result == WINL_IniParseResult::kComplete;
  if (!file->writable) file->sections.DeleteAll();
}

// A hidden name beside path: the folder part, ".", the file name, suffix.
bool HiddenSibling(const char* path, const char* suffix, BASE_String& out)
{
  const char* slash = strrchr(path, '/');
  const int folderLength = slash ? static_cast<int>(slash - path) + 1 : 0;
  return (folderLength > 0 ? out.Set(path, folderLength) : out.Set(nullptr)) &&
         out.Append(".") && out.Append(path + folderLength) && out.Append(suffix);
}

// The file a write must replace (BASE_FollowLinks): a linked settings file
// stays a link and the file it points to gets the new text.
bool FollowLinks(const char* path, BASE_String& out)
{
  std::string target;
  return BASE_FollowLinks(path, target) && out.Set(target.c_str());
}
}  // namespace

BASE_Mutex& WINL_IniStoreMutex()
{
  return TheStore().mutex;
}

WINL_IniFile* GetINIFileData(const char* path)
{
  if (!path || !*path) return nullptr;
  Store& store = TheStore();

  // Paths compare exactly: on this system "Settings.ini" and "settings.ini"
  // are two files.
  WINL_IniFile* file = nullptr;
  for (WINL_IniFile& slot : store.slots)
  {
    if (slot.fileName.GetLength() == 0 || strcmp(slot.fileName.Get(), path) == 0)
    {
      file = &slot;
      break;
    }
  }
  if (!file)
  {
    file = &store.slots[0];
    for (WINL_IniFile& slot : store.slots)
      if (slot.accessStamp < file->accessStamp) file = &slot;
  }
  file->accessStamp = ++store.lookups;

  const bool held = strcmp(file->fileName.Get(), path) == 0;
  if (held && file->stampValid)
  {
    WINL_IniFileStamp now;
    if (StatPath(path, &now) && now == file->stamp) return file;
  }
  if (!held && !file->fileName.Set(path))
  {
    // Out of memory: leave the slot free rather than holding a wrong name.
    file->sections.DeleteAll();
    file->fileName.Set(nullptr);
    file->stampValid = false;
    file->writable = false;
    return nullptr;
  }
  Load(file, path);
  return file;
}

void WINL_IniForget(WINL_IniFile* file)
{
  if (!file) return;
  file->sections.DeleteAll();
  file->stampValid = false;
}

bool WriteBackIniFile(WINL_IniFile* file)
{
  if (!file || !file->writable || file->fileName.GetLength() == 0) return false;
  BASE_String target;
  BASE_String text;
  if (!FollowLinks(file->fileName.Get(), target) || !WINL_IniFormat(file->sections, text))
  {
    WINL_IniForget(file);
    return false;
  }
  // Through the replace every whole-file save of the program shares: the
  // link, mode, owner and other names of the file are kept.
  struct stat written;
  if (!BASE_ReplaceFile(target.Get(), text.Get(), static_cast<size_t>(text.GetLength()), 0666, &written))
  {
    WINL_IniForget(file);
    return false;
  }

  // The file written is the one under the name now, so its stamp is known
  // without another look, and a writer that replaced it meanwhile is noticed
  // later.
  file->stamp = StampOf(written);
  file->stampValid = true;
  return true;
}

namespace
{
// The writer's process id in a temporary's name "<prefix>PID.N", or 0 when
// the name is not one of them.
long TemporaryWriter(const char* name, const std::string& prefix)
{
  if (strncmp(name, prefix.c_str(), prefix.size()) != 0) return 0;
  const char* p = name + prefix.size();
  char* end = nullptr;
  errno = 0;
  const long pid = strtol(p, &end, 10);
  if (errno != 0 || end == p || *end != '.' || pid <= 0 || !isdigit(static_cast<unsigned char>(p[0]))) return 0;
  const char* n = end + 1;
  if (!*n) return 0;
  for (; *n; ++n)
    if (!isdigit(static_cast<unsigned char>(*n))) return 0;
  return pid;
}
}  // namespace

int WINL_IniRemoveStaleTemporaries(const char* path)
{
  BASE_String target;
  if (!path || !*path || !FollowLinks(path, target)) return 0;
  const std::string file = target.Get();
  const size_t slash = file.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : file.substr(0, slash + 1);
  const std::string whole = BASE_ReplaceTemporaryPrefix(file);
  const std::string prefix = whole.substr(whole.rfind('/') + 1);
  DIR* dir = opendir(folder.c_str());
  if (!dir) return 0;
  int removed = 0;
  while (const dirent* entry = readdir(dir))
  {
    const long pid = TemporaryWriter(entry->d_name, prefix);
    // A process that still runs may be writing it right now.
    if (pid <= 0 || pid == static_cast<long>(getpid())) continue;
    if (kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) continue;
    const std::string stale = (folder == "." ? std::string() : folder) + entry->d_name;
    struct stat st;
    if (lstat(stale.c_str(), &st) == 0 && S_ISREG(st.st_mode) && unlink(stale.c_str()) == 0) ++removed;
  }
  closedir(dir);
  return removed;
}

WINL_IniWriteLock::WINL_IniWriteLock(const char* path)
{
  // Beside the file the write will replace, so that every name leading to
  // it shares one lock.
  BASE_String target, lockPath;
  if (!path || !*path || !FollowLinks(path, target) ||
      !HiddenSibling(target.Get(), ".lock", lockPath))
    return;
  // Read-only is enough to lock, and lets a lock file another user created be
  // shared; a link planted at the lock's name is not followed, and a FIFO
  // there neither blocks the open nor serves as the lock.
  mFd = open(lockPath.Get(), O_RDONLY | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW | O_NONBLOCK, 0644);
  if (mFd < 0) return;
  struct stat info;
  if (fstat(mFd, &info) != 0 || !S_ISREG(info.st_mode))
  {
    close(mFd);
    mFd = -1;
    return;
  }
  int locked;
  while ((locked = flock(mFd, LOCK_EX)) != 0 && errno == EINTR)
  {
  }
  if (locked != 0)
  {
    close(mFd);
    mFd = -1;
  }
}

WINL_IniWriteLock::~WINL_IniWriteLock()
{
  // Closing the only descriptor of the lock file releases the lock.
  if (mFd >= 0) close(mFd);
}

void WINL_IniSetFileOpsForTest(const WINL_IniFileOps* ops)
{
  Store& store = TheStore();
  BASE_MutexLock lock(store.mutex);
  BASE_ReplaceFileSystemCalls() = ops ? *ops : WINL_IniFileOps{::write, ::fsync, ::close, ::rename};
}
