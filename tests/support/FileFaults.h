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

// Makes folder take no new entry (and let none go) while the object lives:
// unchangeable where the file system allows it, which holds even for a
// privileged user, else without write permission. Held() is false when
// neither could be done; the folder is given back as it was at the end.
class FolderWithoutNewEntries
{
public:
  explicit FolderWithoutNewEntries(const std::string& folder);
  ~FolderWithoutNewEntries();
  FolderWithoutNewEntries(const FolderWithoutNewEntries&) = delete;
  FolderWithoutNewEntries& operator=(const FolderWithoutNewEntries&) = delete;
  bool Held() const { return mHow != How::kNone; }

private:
  enum class How { kNone, kUnchangeable, kNotWritable };
  std::string mFolder;
  How mHow = How::kNone;
  unsigned mMode = 0;
};

// Runs work in a child process that is ended after seconds: true when work
// returned true in time, false when it returned false or was still waiting
// (on a FIFO's open, say).
bool FinishesWithin(unsigned seconds, const std::function<bool()>& work);
