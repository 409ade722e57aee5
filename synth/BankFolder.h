// The bank list and folders of program files: filling the list from a
// folder, exporting entries under their canonical numbered names, and saving
// the list back into a folder (renaming files to those names and removing
// numbered files no entry uses).
//
// Files are written whole or not at all: each goes to a temporary name in
// its folder and is renamed over the target, so a failure keeps the earlier
// file. Nothing is ever deleted outside the target folder, through a link,
// or while an entry still uses it.
#pragma once

#include "synth/BankList.h"

#include <functional>
#include <string>

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
};

// Writes every non-empty entry (only location `single` when it is 1..99;
// only selected ones when selectedOnly) as folder + canonical file name.
// An "https://" entry is fetched first and exported from the download;
// entries change only with updatePaths, and then point at the new files.
BankExportResult ExportBankListToFolder(BankList& list, const std::string& folder, bool updatePaths,
                                        int single, bool selectedOnly, const BankFetch& fetch);

// After an export into folder (ending in "/"): a location the list holds and
// whose canonical file is now in folder keeps only that file there -- every
// other numbered program file for it (an old name before a rename) is
// removed, unless another entry uses it, and an entry whose file was one of
// them points at the saved file. Files for locations the list leaves empty,
// and files without a location number, stay.
void RemoveReplacedFiles(BankList& list, const std::string& folder);

// Renames the entries' files to their canonical names inside folder: every
// file is read before any is written, a new file is written whole before an
// old one goes, and an old file goes only when it lies in folder and no
// entry uses it any more. When folder is the cache folder, numbered program
// files there that no entry uses are removed too; in any other folder only
// the renamed files are. Returns the entries that could not be saved.
int SaveBankListToFolder(BankList& list, const std::string& folder, const std::string& cacheFolder,
                         const BankFetch& fetch);
