// Whole small files: BASE_ReplaceFile writes one whole or not at all,
// BASE_ReadRegularFile reads one only when it is a regular file of bounded
// size.
//
// Replacing: links in the path's last part are followed, so a linked file
// stays a link and the file it points to gets the new bytes. The new bytes
// go into a fresh file beside that file (the same folder, so the rename
// stays on one file system), which takes the old file's mode and owner, are
// flushed to the disk, and the fresh file is renamed over the old one. A
// full disk, a size limit, a failed flush or close leave the earlier file
// byte for byte as it was and no temporary behind; the caller is told.
//
// The old file is written in place instead, its earlier bytes put back
// should the write fail, where a rename would lose what the file is: when it
// has more than one name (hard links), when its owner cannot be given to a
// fresh file, and when its folder takes no new entry (no write permission,
// no free entry, an unchangeable folder). A file whose own permissions deny
// writing (mode 0444 even to a privileged user), and anything but a regular
// file under the name, is refused and left alone.
//
// The temporary's name never outgrows the file system's name limit, so any
// name the folder takes can be saved.
//
// Reading: a FIFO, a device (/dev/zero) or a folder under the name, or a
// file above the bound, is refused before a byte is read, so outside input
// can neither block the caller nor fill its memory.
//
// Threads: any; concurrent replaces of one path each write a temporary of
// their own and the last rename wins.
#pragma once

#include <cstddef>
#include <string>

#include <sys/stat.h>
#include <sys/types.h>

// mode is a new file's permission bits before the process's umask; a file
// that exists keeps its own. written, when given, receives the state of the
// file now under the name (its inode, size and time), for a caller that
// notices later changes by others.
[[nodiscard]] bool BASE_ReplaceFile(const std::string& path, const void* data, size_t size,
                                    unsigned mode = 0666, struct stat* written = nullptr);

inline bool BASE_ReplaceFile(const std::string& path, const std::string& text, unsigned mode = 0666)
{
  return BASE_ReplaceFile(path, text.data(), text.size(), mode);
}

// path with each link in its last part followed (a relative link from the
// link's own folder): the file a replace writes. A link to a missing file
// leads to that file. False for a loop of links.
[[nodiscard]] bool BASE_FollowLinks(const std::string& path, std::string& target);

// The start every temporary name of a replace of target shares, up to the
// writer's process id: "<folder>/.<name>.new." (the name cut to fit).
std::string BASE_ReplaceTemporaryPrefix(const std::string& target);

// The system calls BASE_ReplaceFile makes on its files, so that a test can
// make a flush, a close or the rename fail, or a write come back short, as a
// network or failing disk does. Tests only; the defaults are the system's.
struct BASE_ReplaceFileCalls
{
  ssize_t (*write)(int fd, const void* data, size_t size);
  int (*fsync)(int fd);
  int (*close)(int fd);
  int (*rename)(const char* from, const char* to);
};
BASE_ReplaceFileCalls& BASE_ReplaceFileSystemCalls();

enum class BASE_ReadResult
{
  kRead,
  kMissing,     // no such file, or it cannot be opened
  kNotRegular,  // a FIFO, device, socket or folder
  kTooLarge,    // more than maxBytes
  kReadFailed,
};

// Reads the whole file at path (links followed) into bytes, which is left
// alone unless the result is kRead.
[[nodiscard]] BASE_ReadResult BASE_ReadRegularFile(const std::string& path, size_t maxBytes, std::string& bytes);
