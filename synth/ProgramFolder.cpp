#include "synth/ProgramFolder.h"

#include "core/BASE_DirScan.h"

#include <sys/stat.h>
#include <syslog.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

bool IsProgramFileName(const char* name)
{
  static const char* const kExtensions[] = {".pr3", ".PR3", ".Pr3", ".prg", ".PRG", ".Prg"};
  if (name == nullptr) return false;
  for (const char* e : kExtensions)
    if (strstr(name, e)) return true;
  return false;
}

namespace
{
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
} // namespace

int ProgramNameCompare(const char* a, const char* b)
{
  const char* x = a;
  const char* y = b;
  while (*x && *y)
  {
    if (IsDigit(*x) && IsDigit(*y))
    {
      // Compare the runs by value: without leading zeros the longer run is
      // the larger number, runs of equal length compare digit by digit.
      while (*x == '0' && IsDigit(x[1])) ++x;
      while (*y == '0' && IsDigit(y[1])) ++y;
      size_t nx = 0, ny = 0;
      while (IsDigit(x[nx])) ++nx;
      while (IsDigit(y[ny])) ++ny;
      if (nx != ny) return nx < ny ? -1 : 1;
      const int c = memcmp(x, y, nx);
      if (c != 0) return c;
      x += nx;
      y += ny;
      continue;
    }
    const unsigned char cx = static_cast<unsigned char>(*x);
    const unsigned char cy = static_cast<unsigned char>(*y);
    if (cx != cy) return cx < cy ? -1 : 1;
    ++x;
    ++y;
  }
  if (*x || *y) return *x ? 1 : -1;
  return strcmp(a, b);
}

namespace
{
// Every entry of a folder except "." and "..".
std::vector<std::string> FolderNames(const std::string& folder)
{
  std::vector<std::string> names;
  BASE_DirScan scan;
  for (int more = scan.First(folder.c_str()); more == 0; more = scan.Next())
  {
    const char* name = scan.GetCurrentFileName();
    if (strcmp(name, ".") != 0 && strcmp(name, "..") != 0) names.emplace_back(name);
  }
  return names;
}
} // namespace

std::string DirectoryContentsText(const std::vector<std::string>& names)
{
  std::string text = "directoryContents ====== (";
  for (size_t i = 0; i < names.size(); ++i) text += (i ? ", " : "") + names[i];
  return text + ")";
}

void LogDirectoryContents(const std::vector<std::string>& names)
{
  syslog(LOG_INFO, "%s", DirectoryContentsText(names).c_str());
}

std::vector<FolderEntry> ListProgramFolder(const char* folder)
{
  std::vector<FolderEntry> entries;
  if (folder == nullptr) return entries;
  const std::string base = folder;
  if (base.find('/') != std::string::npos) entries.push_back({"..", false});

  std::vector<std::string> names = FolderNames(base);
  LogDirectoryContents(names);
  std::sort(names.begin(), names.end(), [](const std::string& l, const std::string& r) {
    return ProgramNameCompare(l.c_str(), r.c_str()) < 0;
  });
  std::vector<FolderEntry> files;
  for (const std::string& name : names)
  {
    struct stat info;
    if (stat((base + "/" + name).c_str(), &info) != 0) continue;
    if (S_ISDIR(info.st_mode))
      entries.push_back({name, false});
    else if (IsProgramFileName(name.c_str()))
      files.push_back({name, true});
  }
  entries.insert(entries.end(), files.begin(), files.end());
  return entries;
}

bool ScanProgramFolderFiles(const char* filePath, ProgramFolderScan& scan)
{
  if (filePath == nullptr) return false;
  const std::string path = filePath;
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos || slash + 1 >= static_cast<size_t>(kFolderPathSize)) return false;

  ProgramFolderScan result;
  result.folder = path.substr(0, slash + 1);
  result.fileName = path.substr(slash + 1);
  for (const std::string& name : FolderNames(result.folder))
  {
    if (static_cast<int>(result.files.size()) >= kFolderFileMax) break;
    // A name the table cannot hold whole would point at another file.
    if (name.size() >= static_cast<size_t>(kFolderPathSize) || !IsProgramFileName(name.c_str()))
      continue;
    struct stat info;
    if (stat((result.folder + name).c_str(), &info) == 0 && S_ISDIR(info.st_mode)) continue;
    result.files.push_back(name);
  }

  auto lower = [](std::string s) {
    for (char& c : s)
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
  };
  std::stable_sort(result.files.begin(), result.files.end(),
                   [&lower](const std::string& l, const std::string& r) { return lower(l) < lower(r); });

  if (!result.fileName.empty())
  {
    const auto it = std::find(result.files.begin(), result.files.end(), result.fileName);
    if (it != result.files.end()) result.fileIndex = static_cast<int>(it - result.files.begin());
  }
  scan = std::move(result);
  return true;
}

int StepFolderIndex(int index, int last, bool forward)
{
  if (last < 1) return index;
  int next;
  if (forward)
    next = index >= last ? 0 : index + 1;
  else
    next = index <= 0 ? last : index - 1;
  return std::clamp(next, 0, last);
}

int TenStepStartIndex(int index, int last, bool forward)
{
  if (last < 1) return index;
  const int from = std::clamp(index, 0, last);
  // The landing file is at least one step from the start, so the single
  // step that follows never wraps round the table.
  if (forward) return std::min(from + 10, last) - 1;
  return std::max(from - 10, 0) + 1;
}

int LocationFromFileName(const char* name)
{
  if (name == nullptr) return 0;
  // "%d" over the first two characters: blanks, a sign, digits.
  char two[3] = {0, 0, 0};
  for (int i = 0; i < 2 && name[i]; ++i) two[i] = name[i];
  int location = 0;
  if (sscanf(two, "%d", &location) != 1) return 0;
  return location >= 1 && location <= 99 ? location : 0;
}

bool MakeSafeFileName(const std::string& name, std::string& fileName)
{
  std::string safe = name.substr(0, name.find('\0'));
  std::replace(safe.begin(), safe.end(), '/', '_');
  if (safe.empty() || safe == "." || safe == ".." ||
      safe.size() >= static_cast<size_t>(kFolderPathSize))
    return false;
  fileName = safe;
  return true;
}

std::string ReceivedProgramName(const uint8_t* name32)
{
  if (name32 == nullptr) return std::string();
  std::string name(reinterpret_cast<const char*>(name32), 32);
  name = name.substr(0, name.find('\0'));
  while (!name.empty() && name.back() == ' ') name.pop_back();
  return name;
}

bool ReceivedProgramFileName(const uint8_t* name32, int location, std::string& fileName)
{
  if (name32 == nullptr) return false;
  const std::string name = ReceivedProgramName(name32);

  char text[96];
  if (name.empty())
    snprintf(text, sizeof text, "%02d.pr3", location);
  else if (LocationFromFileName(name.c_str()) != 0)
    snprintf(text, sizeof text, "%s.pr3", name.c_str());
  else
    snprintf(text, sizeof text, "%02d%s.pr3", location, name.c_str());
  return MakeSafeFileName(text, fileName);
}
