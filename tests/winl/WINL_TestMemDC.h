// A memory context of the drawing layer for tests, read back pixel by pixel.
#pragma once

#include "winl/draw/WINL_MemDC.h"

#include <cstdint>
#include <cstdio>
#include <string>

struct MemDC
{
  HDC dc;
  int w, h;

  MemDC(int width, int height) : dc(WINL_CreateMemContext(nullptr, width, height)), w(width), h(height) {}
  ~MemDC() { WINL_DeleteGfxContext(dc); }
  MemDC(const MemDC&) = delete;
  MemDC& operator=(const MemDC&) = delete;

  uint8_t* Bytes(int x, int y) const { return static_cast<uint8_t*>(WINL_GetCtxFrameBuffer(dc)) + (y * w + x) * 4; }
  // The bytes (unused, red, green, blue) of pixel (x, y) as 0xUURRGGBB.
  uint32_t At(int x, int y) const
  {
    const uint8_t* p = Bytes(x, y);
    return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
  }
  // Sets every pixel's unused byte, which drawing must keep.
  void Mark(uint8_t marker)
  {
    for (int i = 0; i < w * h; ++i) Bytes(i % w, i / w)[0] = marker;
  }
  // The first pixel, row by row, that is not expect(x, y), as text; "".
  template <class Expect>
  std::string FirstMismatch(Expect expect) const
  {
    char text[64] = "";
    for (int i = 0; i < w * h && !*text; ++i)
      if (At(i % w, i / w) != expect(i % w, i / w))
        std::snprintf(text, sizeof(text), "%d,%d is %08x, not %08x", i % w, i / w, At(i % w, i / w),
                      expect(i % w, i / w));
    return text;
  }
};

inline bool Inside(const RECT& r, int x, int y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }
