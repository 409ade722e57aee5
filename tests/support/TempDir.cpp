#include "support/TempDir.h"

#include <dirent.h>

#include <ftw.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

TempDir::TempDir()
{
  const char* base = getenv("TMPDIR");
  std::string templ = std::string(base && *base ? base : "/tmp") + "/zephra-test-XXXXXX";
  if (!mkdtemp(templ.data())) throw std::runtime_error("mkdtemp failed");
  mPath = templ;
}

static int RemoveEntry(const char* path, const struct stat*, int, struct FTW*)
{
  return remove(path);
}

TempDir::~TempDir()
{
  nftw(mPath.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
}

std::string ReadWholeFile(const std::string& path)
{
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void WriteWholeFile(const std::string& path, const std::string& bytes)
{
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::set<std::string> FolderNames(const std::string& folder)
{
  std::set<std::string> names;
  if (DIR* d = opendir(folder.c_str()))
  {
    while (dirent* e = readdir(d))
      if (e->d_name[0] != '.') names.insert(e->d_name);
    closedir(d);
  }
  return names;
}
