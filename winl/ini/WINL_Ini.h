// The settings store: ini files read and written through the private-profile
// calls. Each file is parsed once and served from memory while it is
// unchanged on disk; every change rewrites the whole file through a
// temporary file and a rename, so the old file stays whole until the new one
// is complete on disk. Section and key names match without regard to case;
// file paths match exactly. Values are texts without line breaks.
//
// Thread-safe: every call holds the store's one recursive mutex throughout.
// Sizes are in bytes and include the terminating NUL.
#pragma once

#include "winl/draw/WINL_Types.h"

// Copies the value of key in section into out (blanks around it and one pair
// of enclosing quotes removed), or defaultValue when there is none, cut to
// outSize - 1 characters. A null section lists the section names, a null key
// the keys of section, each name followed by a NUL and the list by another.
// Returns the length written; nothing is written for a null out or size 0.
DWORD GetPrivateProfileString(const char* section, const char* key, const char* defaultValue,
                              char* out, DWORD outSize, const char* path);

// Sets key in section to value and rewrites the file; an identical value
// writes nothing. A value that the reader would not give back whole (blanks
// at an end, or a pair of enclosing quotes) is stored between double quotes.
// A null value deletes the key, a null key the whole section.
// Returns 1 on success; 0 when the text is refused (a line break anywhere,
// ']' in the section, '=' in the key, a key beginning with a blank or '[', a
// header or "key=value" line longer than the 33,554,432 bytes the reader
// keeps whole), when the file exists but could not be read, or when it could
// not be saved: then the file on disk is untouched.
BOOL WritePrivateProfileString(const char* section, const char* key, const char* value,
                               const char* path);

// The value as a decimal number; defaultValue when it is missing, empty or
// not a number ("0" gives 0). Values beyond int are clamped.
int GetPrivateProfileInt(const char* section, const char* key, int defaultValue,
                         const char* path);

// Decodes the hex text written by WritePrivateProfileStruct into count bytes
// at out. 1 only when the text holds exactly count bytes and its checksum.
BOOL GetPrivateProfileStruct(const char* section, const char* key, void* out, UINT count,
                             const char* path);

// Stores count bytes as upper-case hex plus a checksum byte (their sum mod
// 256). A null key or data deletes, as WritePrivateProfileString does.
BOOL WritePrivateProfileStruct(const char* section, const char* key, const void* data,
                               UINT count, const char* path);

// Lists the entries of section as "key=value" texts, each followed by a NUL
// and the list by another; values as GetPrivateProfileString gives them.
// Returns the bytes before the closing NUL, or outSize - 2 when cut.
DWORD GetPrivateProfileSection(const char* section, char* out, DWORD outSize, const char* path);

// Replaces the entries of section with entries: NUL-separated "key=value"
// texts ending with an empty one (a null list counts as empty). Texts without
// "=" are skipped. 1 on success; 0 as for WritePrivateProfileString, and
// nothing changes when any entry is refused.
BOOL WritePrivateProfileSection(const char* section, const char* entries, const char* path);
