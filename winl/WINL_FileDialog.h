// Choosing files and folders: a save chooser, a folder chooser and an open
// chooser for one or several files. Each blocks in a modal run (timers and
// posted messages keep going) until the user chooses or cancels. Main thread
// only; from another thread they answer as cancelled.
//
// Filter lists are pairs of zero-terminated texts, a description and
// patterns separated by ';' ("*.pr3;*.syx"), ended by an empty description.
// Every pattern's extension (the text after its first '.', at most 31
// bytes; not empty and not "*") is one allowed file type, matched without
// regard to case; without any, every file is allowed.
#pragma once

#include "winl/WINL_Menu.h"
#include "winl/WINL_Window.h"

#include <string>
#include <vector>

// The chosen path goes into buffer. A path that does not fit (with its
// terminating zero) in size bytes is never cut, since a cut path names
// another file: the answer is then false with an empty buffer, as for a
// cancel. initialFile with a '/' gives the folder as well.
bool BrowseForSaveFile(const char* title, const char* initialFolder, const char* initialFile, const char* filterList,
                       char* buffer, int size);
// accept, when given, labels the chooser's accept button.
bool BrowseForDirectory(const char* title, const char* initialFolder, char* buffer, int size,
                        const char* accept = nullptr);
// The chosen paths, each ended by a zero byte and the list by another; null
// when cancelled. The caller frees the list with free().
char* BrowseForFiles(const char* title, const char* initialFolder, const char* initialFile, bool allowSeveral,
                     const char* filterList);

// The next chooser (only that one) shows the application's dialog resource
// resid below its own widgets, made with proc and param as WINL_CreateDialog
// would; the dialog is destroyed (WM_DESTROY) when the chooser closes. An
// identifier without a resource shows nothing more.
void BrowseFile_SetTemplate(int resid, DLGPROC proc, LPARAM param);

// The allowed extensions of a filter list, in order, and the pattern that
// matches one in any letter case ("pr3" gives "*.[pP][rR]3").
std::vector<std::string> WINL_FilterExtensions(const char* filterList);
std::string WINL_CaseBlindPattern(const std::string& extension);

// ---- test seam ----
struct WINL_ShownChooser
{
  enum Kind
  {
    Save,
    Folder,
    Open,
  } kind;
  std::string title;
  std::string folder;
  std::string file;
  std::vector<std::string> patterns;
  bool several;
  std::string accept;  // the accept button's label, "" for the usual one
  HMENU menu;          // the application's menu while it showed
  std::vector<std::string> menuItems;  // and the titles of its items
};
// From now on choosers are not shown: each takes the next queued answer
// (the chosen paths; none for a cancel) and is recorded. A chooser with no
// answer queued ends the process with a message.
void WINL_ChooserTestQueue(const std::vector<std::string>& paths);
// The choosers recorded since the last call, oldest first; empties the record.
std::vector<WINL_ShownChooser> WINL_ChooserTestTake();
// Back to real choosers; unused answers are dropped.
void WINL_ChooserTestEnd();
