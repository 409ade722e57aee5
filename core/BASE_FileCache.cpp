#include "core/BASE_FileCache.h"

#include <fcntl.h>
#include <sys/vfs.h>

namespace
{
// statfs f_type values of the network file systems.
constexpr long kNetworkFileSystems[] = {
    0x6969,                // NFS
    0x517B,                // SMB
    0xFF534D42,            // CIFS
    0xFE534D42,            // SMB2
    0x00C36400,            // Ceph
    0x01021997,            // 9P
    0x73757245,            // Coda
    0x5346414F,            // AFS
    0x564C,                // NCP
};
}  // namespace

bool BASE_FileCacheCanBeSkipped(int file)
{
  struct statfs info;
  if (fstatfs(file, &info) != 0) return true;
  for (long type : kNetworkFileSystems)
    if (static_cast<long>(info.f_type) == type) return false;
  return true;
}

void BASE_DropReadFromCache(int file, int64_t end)
{
  if (file < 0 || end <= 0) return;
  (void)posix_fadvise(file, 0, static_cast<off_t>(end), POSIX_FADV_DONTNEED);
}

void BASE_DropWrittenFromCache(int file, int64_t offset, int64_t length)
{
  if (file < 0 || length <= 0) return;
  (void)sync_file_range(file, static_cast<off_t>(offset), static_cast<off_t>(length),
                        SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE | SYNC_FILE_RANGE_WAIT_AFTER);
  BASE_DropReadFromCache(file, offset + length);
}
