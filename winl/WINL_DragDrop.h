// Drags between window views, other windows of the program and the desktop.
//
// Sources (WINL_Hosting.h): a list of files, or one promised file that is
// written only where the receiving side names a folder (the desktop's
// direct-save protocol); until the next mouse-down in any view or
// WINL_FinishDragDrop the promise stays pending, so a receiver may still
// ask for it.
//
// Targets: views made with resource flag bit 5 (WINL_DLG_ACCEPT_FILES) or
// given WS_EX_ACCEPTFILES take files and promises; other views leave drags
// to the view around them. A drop sends WM_DROPFILES (WINL_Clipboard.h) with
// the files at the drop point; a promise is taken only with the folder hook
// set, and arrives as the file its source wrote there. Main thread.
#pragma once

#include "winl/WINL_Clipboard.h"

#include <string>
#include <vector>

// Process-wide hooks of drop targets; a null member skips its step. Screen
// points are the layer's y-up screen coordinates.
struct WINL_DropHooks
{
  // A drag came over the view: the drop list it would give (valid only
  // during the call; no files for a promise).
  void (*dragEnter)(HWND view, HDROP drop, POINT screen) = nullptr;
  void (*dragUpdate)(HWND view, POINT screen) = nullptr;
  // The drag left the view, or is about to be dropped on it.
  void (*dragLeave)(HWND view) = nullptr;
  // Writes the folder promised files dropped on the view go to into
  // folder (size bytes); an empty answer means "/tmp/".
  void (*promiseFolder)(HWND view, char* folder, int size) = nullptr;
};
// Copies the hooks; null unsets them all.
void WINL_SetDropHooks(const WINL_DropHooks* hooks);

// Writes the pending promised file into the folder (what a receiver asks
// for): the destination is the folder and the pending file's name. When a
// file of that name is there, the "Copy" alert asks: "Stop" writes nothing,
// "Replace" writes over it, "Keep Both Files" writes under the first free
// name "<stem><three digits><extension>" (counting on from a number the
// stem already ends in). The names written (one, or none).
std::vector<std::string> WINL_WritePromisedFiles(const char* folder);

// Makes views answer drags and promises (done when the toolkit starts).
void WINL_InstallDragDrop();
