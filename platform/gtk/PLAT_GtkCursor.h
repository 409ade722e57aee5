// The mouse pointer over the window layer's windows: cursor shapes, the
// cursor shown, hiding it, and the pointer's position on the screen.
// Main thread only; before PLAT_GtkInit everything here does nothing and
// answers null or false.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct PLAT_Cursor;

enum class PLAT_CursorShape
{
  Arrow,
  IBeam,
  ResizeUp,
  ResizeLeftRight,
  ResizeUpDown,
  OpenHand,
};

// A shape of the system's cursor set, made once and kept for the process.
PLAT_Cursor* PLAT_CursorNamed(PLAT_CursorShape shape);
// A cursor from rows of width pixels 0xAARRGGBB (not premultiplied), top row
// first, with its hot spot. Free it with PLAT_CursorFree.
PLAT_Cursor* PLAT_CursorFromPixels(const uint32_t* argb, int width, int height, int hotX, int hotY);
void PLAT_CursorFree(PLAT_Cursor* cursor);

// Shows the cursor over our window under the pointer, or the arrow for null.
void PLAT_CursorSet(PLAT_Cursor* cursor);
// Hides the cursor over all our windows, or shows the one set last.
void PLAT_CursorSetHidden(bool hidden);

// The pointer in top-down screen pixels.
bool PLAT_PointerGet(int* x, int* y);
bool PLAT_PointerWarp(int x, int y);
// The mouse buttons (1 left, 2 right, 4 middle) and the modifier keys
// (PLAT_MOD_ bits) held on the display now, asked of the display server;
// false without a display.
bool PLAT_InputHeldNow(unsigned* buttons, unsigned* mods);

// A PNG image held in memory as rows of pixels 0xAARRGGBB, not
// premultiplied; false for data that is no PNG image. No display needed.
bool PLAT_DecodePNG(const uint8_t* data, size_t size, std::vector<uint32_t>* argb, int* width, int* height);
