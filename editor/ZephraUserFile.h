// ZephraUserFile: the remembered program-database password, "user.dat" in
// the editor's settings folder. The password is enciphered under the
// program's constant key so that it cannot be read at a glance in the file.
//
// The file is 64 bytes: the password, a terminating zero and zero filler,
// enciphered as 8-byte blocks. Files of earlier versions filled with the
// words 0A 00 00 00 instead of zeros, so a password whose length is a
// multiple of 4 came back followed by a line feed; reading drops it.
//
// Threads: none of its own; touches only the file.
#pragma once

#include <string>

constexpr const char* kUserFileName = "user.dat";
constexpr size_t kUserFileBytes = 64;
// Longest password the file can hold with its terminator.
constexpr size_t kUserPasswordMaxBytes = kUserFileBytes - 1;

// Writes password to path through a temporary file in the same folder,
// created with mode 0600 and renamed over path. False, with any earlier
// file untouched, for a password over 63 bytes or when it cannot be written.
[[nodiscard]] bool WriteUserFile(const std::string& path, const std::string& password);

// The password stored at path. False, password untouched, for a missing or
// empty file, one whose first 64 bytes hold no terminator, or anything
// but a regular file of at most 4096 bytes (a FIFO would block the caller).
[[nodiscard]] bool ReadUserFile(const std::string& path, std::string& password);
