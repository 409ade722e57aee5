// The clipboard and dropped-file lists of the window layer.
//
// When the toolkit is up, everything goes through the desktop's clipboard:
// text (format 1, "WINL__CF_TEXT") as text, other registered formats under
// their names, so that another process of the program reads them by the
// same name (its number may differ). Without the toolkit the clipboard is
// this process's own. Data
// is set between OpenClipboard and CloseClipboard; handles that
// GetClipboardData returns stay the clipboard's and are freed at the next
// CloseClipboard. Main thread only.
//
// A drop list (HDROP) is a global memory block: {32-bit offset of the
// names; 32-bit x and y of the drop point; 32-bit flag, non-zero when the
// drop was outside the client area} and, at the offset, the UTF-8 paths each
// with a terminator, ended by an empty path.
#pragma once

#include "winl/WINL_Window.h"
#include "winl/draw/WINL_GlobalMem.h"

#include <string>
#include <vector>

typedef HGLOBAL HDROP;
constexpr UINT WM_DROPFILES = 0x233;  // wParam: the HDROP, freed after the message
constexpr UINT CF_TEXT = 1;

// ---- clipboard ----

// The format's number (1 and up); the same name gives the same number. 0 for
// a null or empty name.
UINT RegisterClipboardFormat(const char* name);
BOOL OpenClipboard(HWND hwnd);
BOOL EmptyClipboard();
// The clipboard takes the handle.
HANDLE SetClipboardData(UINT format, HANDLE data);
// Publishes what was set and frees the handles given out since the last
// close.
BOOL CloseClipboard();
// A block with the format's bytes (text: UTF-8 with its terminator), or null.
HANDLE GetClipboardData(UINT format);
// The available format after previous (0 starts); 0 after the last.
UINT EnumClipboardFormats(UINT previous);

// ---- drop lists ----

// Builds a drop list of the paths at the point (client coordinates).
HDROP WINL_MakeDropList(const std::vector<std::string>& paths, POINT point, bool outsideClient);
// The "text/uri-list" of a drop as local paths: "file://" URIs decoded,
// other URIs and comment lines skipped.
std::vector<std::string> WINL_PathsFromUriList(const char* uriList);
// Sends WM_DROPFILES with a drop list of the paths to the window, then
// frees the list. FALSE when there are no paths or the window does not
// accept files.
BOOL WINL_DeliverDrop(HWND hwnd, const std::vector<std::string>& paths, POINT point);

// index 0xFFFFFFFF gives the number of paths; otherwise copies the path
// (at most size - 1 bytes and a terminator; nothing for size 0) and returns
// its length, the full length for a null buffer, 0 past the end.
UINT DragQueryFile(HDROP drop, UINT index, char* buffer, UINT size);
// The drop point; TRUE when it was inside the client area.
BOOL DragQueryPoint(HDROP drop, POINT* point);
void DragFinish(HDROP drop);
