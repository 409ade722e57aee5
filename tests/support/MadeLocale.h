// A locale made for one test with localedef into a folder of the test's own
// (the machine need not have it installed): LOCPATH names the folder, so
// that setlocale in this process, or a program started with that variable,
// finds it. Where localedef or the locale's sources are missing, Made() is
// false and Why() says so: the test skips with that reason.
#pragma once

#include "support/TempDir.h"

#include <string>

class MadeLocale
{
public:
  // name as "de_DE.UTF-8": the source "de_DE" with the charmap "UTF-8".
  explicit MadeLocale(const std::string& name);
  bool Made() const { return mWhy.empty(); }
  const std::string& Why() const { return mWhy; }
  const std::string& Name() const { return mName; }
  // The folder to give as LOCPATH.
  const std::string& Folder() const { return mFolder.Path(); }

private:
  TempDir mFolder;
  std::string mName, mWhy;
};

// For the life of the object, this process's whole locale is name, made in
// its own folder (LOCPATH set meanwhile); the locale and LOCPATH before
// come back at its end. Active() false with the reason when it could not
// be had.
class ScopedMadeLocale
{
public:
  explicit ScopedMadeLocale(const std::string& name);
  ~ScopedMadeLocale();
  ScopedMadeLocale(const ScopedMadeLocale&) = delete;
  ScopedMadeLocale& operator=(const ScopedMadeLocale&) = delete;
  bool Active() const { return mActive; }
  const std::string& Why() const { return mWhy; }

private:
  MadeLocale mLocale;
  std::string mBefore, mPathBefore;
  bool mHadPath = false, mActive = false;
  std::string mWhy;
};
