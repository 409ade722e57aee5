#include "synth/BankFolder.h"

#include "core/BASE_DirScan.h"
#include "core/BASE_FileWhole.h"
#include "synth/LegacyProgram.h"
#include "synth/ProgramFile.h"
#include "synth/ProgramFolder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <set>

namespace
{
std::string FolderPart(const std::string& path)
{
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string NamePart(const std::string& path)
{
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool IsLegacyName(const std::string& path)
{
  const size_t dot = path.rfind('.');
  if (dot == std::string::npos) return false;
  const std::string ext = path.substr(dot);
  return ext == ".prg" || ext == ".Prg" || ext == ".PRG";
}

// Regular files of folder (links and sub-folders left out), unsorted.
std::vector<std::string> RegularFiles(const std::string& folder)
{
  std::vector<std::string> names;
  BASE_DirScan scan;
  for (int more = scan.First(folder.c_str()); more == 0; more = scan.Next())
  {
    const std::string name = scan.GetCurrentFileName();
    struct stat info;
    if (lstat((folder + name).c_str(), &info) == 0 && S_ISREG(info.st_mode)) names.push_back(name);
  }
  return names;
}

// Removes one regular file of folder, never following a link.
void RemoveFileIn(const std::string& folder, const std::string& name)
{
  struct stat info;
  const std::string path = folder + name;
  if (lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)) (void)unlink(path.c_str());
}

// The local file an entry's program is read from: its own path, or for an
// address the file it was downloaded to. The entry itself is left alone;
// whether it then points at a copy is the caller's choice.
bool ResolveAddress(const BankEntry& e, const BankFetch& fetch, std::string& source)
{
  if (!IsDatabaseAddress(e.path))
  {
    source = e.path;
    return true;
  }
  std::string cached;
  if (!fetch || !fetch(e.path, cached) || cached.size() >= sizeof e.path) return false;
  source = cached;
  return true;
}

// The paths the list's programs are read from.
std::set<std::string> UsedPaths(const BankList& list)
{
  std::set<std::string> used;
  for (int n = kBankFirstLocation; n <= kBankLastLocation; ++n)
    if (!list[n].empty) used.insert(list[n].path);
  return used;
}

void SetPath(BankEntry& e, const std::string& path)
{
  memset(e.path, 0, sizeof e.path);
  memcpy(e.path, path.data(), std::min(path.size(), sizeof e.path - 1));
}
}  // namespace

bool IsDatabaseAddress(const std::string& path) { return path.compare(0, 8, "https://") == 0; }

int LoadBankListFromFolder(BankList& list, const std::string& folder)
{
  list.Clear();
  std::vector<std::string> names = RegularFiles(folder);
  LogDirectoryContents(names);
  std::sort(names.begin(), names.end(), [](const std::string& l, const std::string& r) {
    return ProgramNameCompare(l.c_str(), r.c_str()) < 0;
  });
  int count = 0;
  for (const std::string& name : names)
  {
    BankFileName parsed;
    if (!IsProgramFileName(name.c_str()) || !ParseBankFileName(name.c_str(), parsed)) continue;
    const bool wasEmpty = list[parsed.location].empty != 0;
    if (list.SetProgram(parsed.location, folder + name, parsed.category, parsed.name) && wasEmpty) ++count;
  }
  return count;
}

bool ExportFileText(const std::string& path, std::string& text)
{
  std::string bytes;
  if (ReadProgramFileBytes(path.c_str(), bytes) != ProgramFileError::kNone) return false;
  if (bytes.size() >= static_cast<size_t>(kProgramFileMaxBytes)) return false;
  if (!IsLegacyName(path))
  {
    text = std::move(bytes);
    return true;
  }
  ProgramFileContent content;
  if (ParseProgramText(bytes.data(), bytes.size(), content) != ProgramFileError::kNone) return false;
  text = content.legacy ? FormatConvertedPr3Text(content.values) : bytes;
  return true;
}

bool WriteFileWhole(const std::string& path, const std::string& text)
{
  return path.size() < static_cast<size_t>(kBankPathSize) && BASE_ReplaceFile(path, text);
}

BankExportResult ExportBankListToFolder(BankList& list, const std::string& folder, bool updatePaths,
                                        int single, bool selectedOnly, const BankFetch& fetch)
{
  BankExportResult result;
  (void)mkdir(folder.c_str(), 0755);
  // Every source is read before any target is written: after an exchange
  // or a short move of programs of one name, a target is the file another
  // entry still has to be read from.
  struct Pending
  {
    int location;
    std::string target;
    std::string text;
  };
  std::vector<Pending> pending;
  for (int n = kBankFirstLocation; n <= kBankLastLocation; ++n)
  {
    if (single >= kBankFirstLocation && n != single) continue;
    BankEntry& e = list[n];
    if (e.empty || (selectedOnly && !e.selected)) continue;
    std::string fileName, source, text;
    if (!MakeBankFileName(n, e.category, e.name, fileName) ||
        (folder + fileName).size() >= static_cast<size_t>(kBankPathSize))
    {
      ++result.failed;
      continue;
    }
    const std::string target = folder + fileName;
    if (target == e.path) continue;
    if (!ResolveAddress(e, fetch, source) || !ExportFileText(source, text))
    {
      ++result.failed;
      continue;
    }
    pending.push_back({n, target, std::move(text)});
  }
  for (const Pending& p : pending)
  {
    if (!WriteFileWhole(p.target, p.text))
    {
      ++result.failed;
      continue;
    }
    ++result.written;
    result.writtenLocations.push_back(p.location);
    if (updatePaths) SetPath(list[p.location], p.target);
  }
  return result;
}

int SaveBankListToFolder(BankList& list, const std::string& folder, const std::string& cacheFolder,
                         const BankFetch& fetch)
{
  int failed = 0;
  // Read everything first: a new name may be the old name of another
  // entry's file that has not been read yet.
  struct Rename
  {
    int location;
    std::string target;
    std::string text;
  };
  std::vector<Rename> renames;
  for (int n = kBankFirstLocation; n <= kBankLastLocation; ++n)
  {
    BankEntry& e = list[n];
    if (e.empty) continue;
    std::string fileName;
    if (!MakeBankFileName(n, e.category, e.name, fileName) ||
        (folder + fileName).size() >= static_cast<size_t>(kBankPathSize))
    {
      ++failed;
      continue;
    }
    if (!IsDatabaseAddress(e.path) && NamePart(e.path) == fileName && FolderPart(e.path) == folder) continue;
    std::string source, text;
    if (!ResolveAddress(e, fetch, source) || !ExportFileText(source, text))
    {
      ++failed;
      continue;
    }
    renames.push_back({n, folder + fileName, std::move(text)});
  }

  std::set<std::string> replaced;
  for (Rename& r : renames)
  {
    if (!WriteFileWhole(r.target, r.text))
    {
      ++failed;
      continue;
    }
    BankEntry& e = list[r.location];
    if (IsReplacedOwnFile(e, r.location, e.path, folder, r.target)) replaced.insert(e.path);
    SetPath(e, r.target);
  }

  const std::set<std::string> used = UsedPaths(list);
  for (const std::string& old : replaced)
    if (used.count(old) == 0) RemoveFileIn(folder, NamePart(old));

  // Stray numbered programs are cleared out of our own cache only; a user's
  // folder keeps every file the list does not name.
  if (folder == cacheFolder && !cacheFolder.empty())
  {
    for (const std::string& name : RegularFiles(folder))
    {
      if (!IsProgramFileName(name.c_str()) || LocationFromFileName(name.c_str()) == 0) continue;
      if (used.count(folder + name) == 0) RemoveFileIn(folder, name);
    }
  }
  return failed;
}

bool IsReplacedOwnFile(const BankEntry& entry, int location, const std::string& oldPath,
                       const std::string& folder, const std::string& savedPath)
{
  if (entry.empty || IsDatabaseAddress(oldPath) || oldPath == savedPath || FolderPart(oldPath) != folder)
    return false;
  const std::string name = NamePart(oldPath);
  BankFileName was;
  if (!IsProgramFileName(name.c_str()) || !ParseBankFileName(name.c_str(), was) || was.location != location)
    return false;
  return was.category != entry.category || was.name != entry.name;
}

void RemoveReplacedFiles(BankList& list, const std::string& folder, const BankExportResult& saved)
{
  std::set<std::string> replaced;
  for (int n : saved.writtenLocations)
  {
    BankEntry& e = list[n];
    std::string fileName;
    if (e.empty || IsDatabaseAddress(e.path) || FolderPart(e.path) != folder ||
        !MakeBankFileName(n, e.category, e.name, fileName))
      continue;
    const std::string savedPath = folder + fileName;
    if (IsReplacedOwnFile(e, n, e.path, folder, savedPath)) replaced.insert(e.path);
    // The bank is this folder's now: the entry is the file just saved.
    SetPath(e, savedPath);
  }
  const std::set<std::string> used = UsedPaths(list);
  for (const std::string& old : replaced)
    if (used.count(old) == 0) RemoveFileIn(folder, NamePart(old));
}
