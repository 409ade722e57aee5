// Faults a file write meets on a user's machine, made for a test: a disk
// that fills at a given size (a child process under a file-size limit, so
// the test runner keeps its own), a FIFO and a link to /dev/zero.
#pragma once

#include <functional>
#include <string>

// Runs work in a child process whose files cannot grow past limitBytes
// (a write past it fails as on a full disk). The child's answer; false when
// the child could not be run or ended abnormally.
bool RunWithFileSizeLimit(long limitBytes, const std::function<bool()>& work);

// Makes a FIFO, or a symbolic link to /dev/zero, at path.
void MakeFifo(const std::string& path);
void MakeDevZeroLink(const std::string& path);
