#include "support/MadeLocale.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <clocale>
#include <cstdlib>

MadeLocale::MadeLocale(const std::string& name) : mName(name)
{
  const size_t dot = name.find('.');
  const std::string source = name.substr(0, dot);
  const std::string charmap = dot == std::string::npos ? "UTF-8" : name.substr(dot + 1);
  const char* const places[] = {"/usr/bin/localedef", "/bin/localedef", "/usr/sbin/localedef"};
  const char* localedef = nullptr;
  for (const char* place : places)
    if (access(place, X_OK) == 0) localedef = place;
  if (!localedef)
  {
    mWhy = "no localedef on this machine to make the locale " + name + " with";
    return;
  }
  struct stat info;
  if (stat(("/usr/share/i18n/locales/" + source).c_str(), &info) != 0)
  {
    mWhy = "no locale source /usr/share/i18n/locales/" + source + " on this machine";
    return;
  }
  const std::string out = mFolder.File(name);
  const pid_t pid = fork();
  if (pid == 0)
  {
    // Its warnings (and its exit code 1 for them) are no failure: the
    // locale is there when its folder is.
    const int quiet = open("/dev/null", O_WRONLY);
    if (quiet >= 0)
    {
      dup2(quiet, 1);
      dup2(quiet, 2);
    }
    execl(localedef, "localedef", "-i", source.c_str(), "-f", charmap.c_str(), out.c_str(),
          static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  if (pid < 0 || waitpid(pid, &status, 0) != pid || stat((out + "/LC_NUMERIC").c_str(), &info) != 0)
    mWhy = "localedef could not make the locale " + name;
}

ScopedMadeLocale::ScopedMadeLocale(const std::string& name) : mLocale(name)
{
  if (!mLocale.Made())
  {
    mWhy = mLocale.Why();
    return;
  }
  const char* path = std::getenv("LOCPATH");
  mHadPath = path != nullptr;
  if (path) mPathBefore = path;
  mBefore = std::setlocale(LC_ALL, nullptr);
  setenv("LOCPATH", mLocale.Folder().c_str(), 1);
  mActive = std::setlocale(LC_ALL, name.c_str()) != nullptr;
  if (!mActive) mWhy = "setlocale refused the locale " + name + " made with localedef";
}

ScopedMadeLocale::~ScopedMadeLocale()
{
  if (!mLocale.Made()) return;
  std::setlocale(LC_ALL, mBefore.c_str());
  if (mHadPath)
    setenv("LOCPATH", mPathBefore.c_str(), 1);
  else
    unsetenv("LOCPATH");
}
