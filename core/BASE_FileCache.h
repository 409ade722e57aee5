// Keeping a file's bytes out of the system's page cache: files read or
// written once through a large buffer of their own (programs, banks) should
// not push out what other programs keep cached.
#pragma once

#include <cstdint>

// Whether the cache can be left out for this open file: its file system is
// local, or cannot be asked. Network file systems keep their cache, which
// is what spares them a round trip per read.
bool BASE_FileCacheCanBeSkipped(int file);

// Drops the cached pages of the file's bytes up to end, after a read that
// ended there. Everything before it is dropped, not the last read alone:
// the cache keeps a file in blocks that may be larger than a read, and a
// block goes only once the whole of it lies in the range. Best effort:
// failures are ignored.
void BASE_DropReadFromCache(int file, int64_t end);

// The same after bytes [offset, offset + length) were written: they are
// written out first, since pages still to be written cannot be dropped.
void BASE_DropWrittenFromCache(int file, int64_t offset, int64_t length);
