// The bank list and folders of program files: filling the list from a
// folder, exporting entries under their canonical numbered names, and saving
// the list back into a folder (renaming files to those names). A save
// removes only what the user removed: an entry's own old file after a
// rename, and in the editor's cache the numbered files no entry uses.
//
// Files are written whole or not at all: each goes to a temporary name in
// its folder and is renamed over the target, so a failure keeps the earlier
// file. Nothing is ever deleted outside the target folder, through a link,
// or while an entry still uses it.
#pragma once

#include "synth/BankList.h"

#include <functional>
#include <string>
#include <vector>

// Fetches a database address into the cache folder; cachedPath is the file
// written. False on any failure (the entry then keeps its address).
using BankFetch = std::function<bool(const std::string& address, std::string& cachedPath)>;

// True for a program-database address ("https://…") rather than a file.
bool IsDatabaseAddress(const std::string& path);

// Empties list and fills it from folder (ending in "/"): each program file
// whose name carries a location 1..99 goes there, in the names' numeric
// order, so a later file for a location replaces an earlier one. Files whose
// path or name do not fit are left out. Returns the number of programs.
int LoadBankListFromFolder(BankList& list, const std::string& folder);

// The ".pr3" text an entry's file becomes in an export: a ".pr3" file as it
// is, a ".prg" file converted in memory. False for an unreadable file, one
// of 8192 bytes or more, or a ".prg" file with a value outside -64..127.
[[nodiscard]] bool ExportFileText(const std::string& path, std::string& text);

// Writes text to path through a temporary file in the same folder; false
// (and the earlier file untouched) when not all of it could be written.
[[nodiscard]] bool WriteFileWhole(const std::string& path, const std::string& text);

struct BankExportResult
{
  int written = 0;
  int failed = 0;  // entries that could not be read, converted or written
  std::vector<int> writtenLocations;  // of the entries written, rising
};

// Writes every non-empty entry (only location `single` when it is 1..99;
// only selected ones when selectedOnly) as folder + canonical file name.
// An "https://" entry is fetched first and exported from the download;
// entries change only with updatePaths, and then point at the new files.
BankExportResult ExportBankListToFolder(BankList& list, const std::string& folder, bool updatePaths,
                                        int single, bool selectedOnly, const BankFetch& fetch);

// After an export into folder (ending in "/"), with its result: each entry
// written there and whose file lay in folder points at the saved file, and
// the one file a save may remove goes: the entry's own earlier file, once
// its program is saved under the new name that a rename or a category
// change gave it (IsReplacedOwnFile), and no entry uses it any more.
// Nothing else is removed: no file the entry did not come from, none in
// another folder, none at a location a program moved away from.
void RemoveReplacedFiles(BankList& list, const std::string& folder, const BankExportResult& saved);

// Whether oldPath is the file entry (at location) was loaded from and that
// its save as savedPath replaces: a program file in folder, not savedPath
// itself, whose name gives the entry's location (ParseBankFileName) but
// another category or name than the entry now has -- the user renamed the
// program or changed its category. A file whose name merely differs from
// the canonical one ("01INIT.pr3", "100 Voices.pr3") is not replaced.
bool IsReplacedOwnFile(const BankEntry& entry, int location, const std::string& oldPath,
                       const std::string& folder, const std::string& savedPath);

// Renames the entries' files to their canonical names inside folder: every
// file is read before any is written, a new file is written whole before an
// old one goes, and an old file goes only when it is the entry's own
// replaced file (IsReplacedOwnFile) and no entry uses it any more. When
// folder is the cache folder, the editor's own, numbered program files
// there that no entry uses are removed too, so that a write of the cache
// sends the bank and nothing else. Returns the entries that could not be
// saved.
int SaveBankListToFolder(BankList& list, const std::string& folder, const std::string& cacheFolder,
                         const BankFetch& fetch);
