// The basic Win32-style types of the window layer: integer widths, handles and
// the small records that the layer's functions pass around. Plain data only;
// every width here is fixed so that records keep the same layout everywhere.
#pragma once

#include <cstdint>

typedef int BOOL;
#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

typedef uint8_t BYTE;
typedef uint32_t DWORD;
typedef uint32_t UINT;
typedef int32_t LONG;
typedef intptr_t INT_PTR;
typedef uintptr_t UINT_PTR;

// Window and dialog procedures take an unsigned and a signed 64-bit parameter
// and answer a signed 64-bit result.
typedef uint64_t WPARAM;
typedef int64_t LPARAM;
typedef int64_t LRESULT;

typedef void* HANDLE;
// A global memory handle points at the block's data (see WINL_GlobalMem.h).
typedef void* HGLOBAL;

// Four 32-bit signed edges; right and bottom lie just outside the rectangle.
struct RECT
{
  LONG left;
  LONG top;
  LONG right;
  LONG bottom;
};

struct POINT
{
  LONG x;
  LONG y;
};

// 100-nanosecond intervals since 1 January 1601 (UTC), split in two halves.
struct FILETIME
{
  DWORD dwLowDateTime;
  DWORD dwHighDateTime;
};
