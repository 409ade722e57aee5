// Helpers shared by the settings-store tests: what a folder holds, how a file
// looks on disk, and a value as the store reads it.
#pragma once

#include "winl/ini/WINL_Ini.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

// The names in folder, sorted, without "." and "..".
inline std::vector<std::string> FolderEntries(const std::string& folder)
{
  std::vector<std::string> names;
  std::error_code missing;
  for (const auto& entry : std::filesystem::directory_iterator(folder, missing))
    names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

inline struct stat StatOf(const std::string& path)
{
  struct stat st{};
  stat(path.c_str(), &st);
  return st;
}

// Reads key from section of path through the store, "<none>" when absent.
inline std::string IniRead(const char* section, const char* key, const std::string& path)
{
  char buf[256];
  GetPrivateProfileString(section, key, "<none>", buf, sizeof(buf), path.c_str());
  return buf;
}
