// Whole small files: BASE_ReplaceFile writes one whole or not at all,
// BASE_ReadRegularFile reads one only when it is a regular file of bounded
// size.
//
// Replacing: the new bytes go into a fresh file beside the target (the same folder, so
// the rename stays on one file system), are flushed to the disk, and the
// file is renamed over the target. A full disk, a size limit, a failed
// flush or close leave the earlier file byte for byte as it was and no
// temporary behind; the caller is told. A link at the target is replaced by
// the file, never written through.
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

#include <sys/types.h>

// mode is the new file's permission bits before the process's umask.
[[nodiscard]] bool BASE_ReplaceFile(const std::string& path, const void* data, size_t size,
                                    unsigned mode = 0666);

inline bool BASE_ReplaceFile(const std::string& path, const std::string& text)
{
  return BASE_ReplaceFile(path, text.data(), text.size());
}

// The system calls BASE_ReplaceFile makes on its temporary file, so that a
// test can make a flush or a close fail, or a write come back short, as a
// network or failing disk does. Tests only; the defaults are the system's.
struct BASE_ReplaceFileCalls
{
  ssize_t (*write)(int fd, const void* data, size_t size);
  int (*fsync)(int fd);
  int (*close)(int fd);
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
