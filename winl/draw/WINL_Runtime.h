// Small runtime services of the window layer: the millisecond tick, sleeping,
// scaled integer arithmetic, bounded text copies, the temporary folder and a
// file's times. All of them are safe to call from any thread.
#pragma once

#include "winl/draw/WINL_Types.h"

// Milliseconds from a steady clock, as 32 bits: it wraps after about 49.7 days,
// so compare ticks by unsigned difference (now - then).
DWORD GetTickCount();

// Blocks the calling thread for ms milliseconds; 0 still yields for 100 us.
void Sleep(DWORD ms);

// a * b / c with a 64-bit intermediate, truncated toward zero. -1 when c is 0
// or the result does not fit an int.
int MulDiv(int a, int b, int c);

// Copies at most size - 1 bytes of src into dest and always terminates it;
// size below 1 writes nothing. A null src copies as "". Returns dest.
char* lstrcpyn(char* dest, const char* src, int size);

// Writes the temporary folder (TMPDIR, or "/tmp/" when that is unset or empty)
// into buffer, always ending in '/', cut to fit size bytes with the terminator.
// Returns the length written; 0 and nothing written for size 0 or no buffer.
DWORD GetTempPath(DWORD size, char* buffer);

// The status-change, access and modification times of the open file descriptor
// fd in whole seconds, as FILETIME values; any of the outputs may be null.
// FALSE for a negative or invalid descriptor.
BOOL GetFileTime(int fd, FILETIME* creation, FILETIME* access, FILETIME* write);

// The floating-point control word: the processor's defaults are kept, so
// nothing is changed and 0 is returned.
unsigned _controlfp(unsigned value, unsigned mask);
