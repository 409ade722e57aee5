// A fresh folder under $TMPDIR for one test, removed with everything in it
// when the object goes. Path() ends without "/".
#pragma once

#include <set>
#include <string>

class TempDir
{
public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& Path() const { return mPath; }
  // Path() + "/" + name.
  std::string File(const std::string& name) const { return mPath + "/" + name; }

private:
  std::string mPath;
};

// Whole-file helpers for tests that compare file bytes.
std::string ReadWholeFile(const std::string& path);
void WriteWholeFile(const std::string& path, const std::string& bytes);
// The names in folder, hidden ones left out; none for a missing folder.
std::set<std::string> FolderNames(const std::string& folder);
