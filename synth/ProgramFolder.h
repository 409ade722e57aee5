// Folders of program files: the browser's listing of a folder, the sorted
// table of a program's folder that previous/next step through, and the rules
// that keep names from outside (program names, bank names, names in a dump)
// from leaving their folder when they become file names.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The editor keeps folders and file names in fixed fields of this many bytes,
// the terminating NUL included; longer texts are refused, never cut.
constexpr int kFolderPathSize = 256;
constexpr int kFolderFileMax = 1024;

// True when the name holds ".pr3", ".PR3", ".Pr3", ".prg", ".PRG" or ".Prg"
// anywhere (so "Notes.pr3.txt" counts).
bool IsProgramFileName(const char* name);

// The order of folder listings shown to the user and used for bank writes:
// runs of digits compare by their value ("2_B" before "10_A"), everything
// else byte by byte. Negative, 0 or positive like strcmp; numerically equal
// names ("01" and "1") fall back to plain byte order so the order is total.
int ProgramNameCompare(const char* a, const char* b);

// ---- browser listing ----

struct FolderEntry
{
  std::string name;
  bool isProgram = false; // false for a folder or the parent entry ".."
};

// The browser's records for a folder: ".." first when the path holds "/",
// then the sub-folders, then the program files, each in ProgramNameCompare
// order. Other entries are left out; a folder that cannot be read lists only
// the parent entry.
std::vector<FolderEntry> ListProgramFolder(const char* folder);

// The log line of a folder's listing: "directoryContents ====== (a, b)",
// the names in the order given.
std::string DirectoryContentsText(const std::vector<std::string>& names);
// Writes that line to the program's log (syslog, informational).
void LogDirectoryContents(const std::vector<std::string>& names);

// ---- folder file table ----

struct ProgramFolderScan
{
  std::string folder;             // up to the path's last "/", ending in "/"
  std::string fileName;           // the part after it, maybe empty
  std::vector<std::string> files; // program files, sorted by lower-case name
  int fileIndex = -1;             // fileName's position in files, or -1
};

// Lists the program files of filePath's folder (at most kFolderFileMax, no
// sub-folders) and sorts them by their lower-cased names as plain text,
// equal names keeping the listing's order. False, with scan untouched, when
// the path holds no "/" or its folder does not fit kFolderPathSize.
[[nodiscard]] bool ScanProgramFolderFiles(const char* filePath, ProgramFolderScan& scan);

// The next (forward) or previous file index in a table whose highest index is
// last, wrapping at both ends. With fewer than two files (last < 1) the index
// stays as it is.
int StepFolderIndex(int index, int last, bool forward);

// Ten files on (forward) or back from index, held at the last or the first
// file rather than wrapping, taken in two parts: the index to make current
// now, from which one StepFolderIndex in the same direction lands on that
// file. Always within 0..last; with fewer than two files (last < 1), index
// itself, as no step follows.
int TenStepStartIndex(int index, int last, bool forward);

// ---- names that become file names ----

// The synth location a file name gives: its first two characters read as a
// decimal number ("%d": "7 Pad" 7, " 7 Pad" 7, "100 Voices" 10), 1..99,
// else 0. Every reader of a program file's name takes its location so.
int LocationFromFileName(const char* name);

// Makes a name from outside safe as one file name: the text up to its first
// NUL with every "/" replaced by "_". False for an empty result, "." or "..",
// or one that does not fit kFolderPathSize.
[[nodiscard]] bool MakeSafeFileName(const std::string& name, std::string& fileName);

// A dump's 32 name characters as a name: up to the first NUL, trailing
// blanks removed.
std::string ReceivedProgramName(const uint8_t* name32);

// The file name offered for a program received from location (1..99), from
// the dump's 32 name characters: "%02d.pr3" for a blank name, the name plus
// ".pr3" when it starts with a location already, else "%02d%s.pr3". False
// when no safe name results.
[[nodiscard]] bool ReceivedProgramFileName(const uint8_t* name32, int location,
                                           std::string& fileName);
