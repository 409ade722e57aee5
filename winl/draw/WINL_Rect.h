// Rectangle helpers of the window layer. A rectangle is empty when
// right <= left or bottom <= top. Null pointers give FALSE and touch nothing.
#pragma once

#include "winl/draw/WINL_Types.h"

// TRUE when left <= x < right and min(top, bottom) <= y < max(top, bottom), so
// rectangles of either vertical orientation (screen y up or client y down) work.
BOOL WINL_PtInRect(const RECT* rect, POINT pt);

// Stores the overlap of a and b in out and returns whether it is non-empty; out
// is zeroed when either rectangle is empty or they do not meet.
BOOL WinIntersectRect(RECT* out, const RECT* a, const RECT* b);

// Moves the rectangle by (dx, dy); edges wrap at the 32-bit limits.
BOOL WinOffsetRect(RECT* rect, int dx, int dy);

BOOL WinSetRect(RECT* rect, int left, int top, int right, int bottom);

// The smallest rectangle holding both; an empty one is ignored, and two empty
// ones give a zeroed out and FALSE.
BOOL WinUnionRect(RECT* out, const RECT* a, const RECT* b);
