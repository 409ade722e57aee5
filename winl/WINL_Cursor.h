// The mouse cursor and position: showing and hiding the cursor with a
// counter, moving the pointer, and cursors for the standard ids, the two
// built-in bitmaps and cursor files. Main thread only.
//
// Positions are the layer's screen coordinates: origin at the bottom-left of
// the primary monitor, y upwards.
#pragma once

#include "winl/WINL_Window.h"

#include <cstddef>
#include <cstdint>
#include <vector>

struct HCURSOR__;
typedef HCURSOR__* HCURSOR;

constexpr int IDC_ARROW = 32512;
constexpr int IDC_IBEAM = 32513;
constexpr int IDC_UPARROW = 32516;
constexpr int IDC_SIZENWSE = 32642;  // built-in: the diagonal from top left to bottom right
constexpr int IDC_SIZENESW = 32643;  // the same mirrored left to right
constexpr int IDC_SIZEWE = 32644;
constexpr int IDC_SIZENS = 32645;
constexpr int IDC_SIZEALL = 32646;   // built-in: the four-way move
constexpr int IDC_NO = 32648;        // none: 0
constexpr int IDC_HAND = 32649;

// Counts shows (+1) and hides (-1) and returns the new count. The cursor
// disappears when the count first drops to -1 (its position is kept and
// reported from then on) and comes back at the same place when it is 0
// again.
int WINL_ShowCursor(bool show);
bool WINL_IsCursorVisible();
// For the runner: a cursor left hidden at quit is shown again.
void WINL_RestoreCursor();

BOOL GetCursorPos(POINT* point);
// The cursor position packed as (y << 16) | (x & 0xFFFF).
DWORD GetMessagePos();
// While the cursor is hidden only the kept position changes (true);
// otherwise the pointer moves, true when it could.
bool WINL_SetCursorPos(int x, int y);

// The cursor of a standard id, a built-in bitmap, or a registered cursor
// resource; null for IDC_NO and unknown ids. Cursors live for the process.
HCURSOR WINL_LoadCursor(int id);
// A ".cur" file (a bare name is looked for as name + ".cur" in the resources
// folder) or a PNG image with its hot spot at (0, 0); null when it cannot be
// read or decoded.
HCURSOR WINL_LoadCursorFromFile(const char* name);
// Registers a cursor resource that WINL_LoadCursor(id) loads from the file.
void WINL_RegisterCursorResource(int id, const char* fileName);
// A cursor from a built-in bitmap: 16 x 16 bytes, rows top first, each byte
// a grey level (high nibble) and an opacity (low nibble); hot spot (8, 8).
HCURSOR WINL_MakeCursorFromData(const uint8_t* bitmap);

// Sets the cursor and remembers it; null (or anything that is not a
// cursor) sets the arrow and forgets the remembered one.
void WINL_SetCursor(HCURSOR cursor);
HCURSOR WINL_GetCursor();
HCURSOR WINL_GetLastSetCursor();

// ---- cursor files ----

struct WINL_CursorImage
{
  int width = 0;
  int height = 0;
  int hotX = 0;
  int hotY = 0;
  std::vector<uint32_t> argb;  // 0xAARRGGBB, rows top first
};
// Decodes the first image of a ".cur" file held in memory: an uncompressed
// bitmap of 1, 4, 8, 24 or 32 bits with its transparency mask, or a PNG
// image. False, with nothing written, for anything malformed or cut short.
bool WINL_DecodeCursorFile(const uint8_t* data, size_t size, WINL_CursorImage* out);

// For tests: the pixels of a cursor made from pixels (false for the
// system's shapes).
bool WINL_GetCursorImage(HCURSOR cursor, WINL_CursorImage* out);

// For the view's mouse handling: the arrow after an unanswered
// WM_SETCURSOR, and the remembered cursor again during a drag.
void WINL_SetArrowUnlessCurrent();
void WINL_ReapplyLastSetCursor();
// While the cursor is hidden the pointer stays where it was hidden and moves
// count as motion of the kept position: turns a move to (x, y) (top-down
// screen pixels) into the kept position moved by it, and brings the pointer
// back. False while the cursor shows.
bool WINL_HiddenCursorMove(double* x, double* y);
