// Global memory handles: a block of bytes with a size and a lock count, used
// for the dropped-file list and the clipboard's data. The handle points at the
// data itself, so a handle is only valid when it came from GlobalAlloc; the
// owner frees it with GlobalFree. Thread-safe as far as malloc is.
#pragma once

#include "winl/draw/WINL_Types.h"

// A zero-filled block of size bytes (a negative size counts as 0). The flags
// are accepted for compatibility and change nothing. Null when the size does
// not fit 31 bits or memory runs out.
HGLOBAL GlobalAlloc(UINT flags, INT_PTR size);

// Raises the lock count and returns the data; null for a null handle.
void* GlobalLock(HGLOBAL mem);

// Lowers the lock count (never below 0); TRUE while it stays locked.
BOOL GlobalUnlock(HGLOBAL mem);

// The size given to GlobalAlloc; 0 for a null handle.
INT_PTR GlobalSize(HGLOBAL mem);

// Frees the block whatever its lock count; a null handle is ignored. Returns
// null, as a freed handle must no longer be used.
HGLOBAL GlobalFree(HGLOBAL mem);
