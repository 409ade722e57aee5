// Internal to the raster library: the fixed coverage masks that small circle
// outlines are stamped from. A mask is n by n bytes, row by row, 255 full
// coverage, n = 2r + 1; each is mirror-symmetric left to right and top to
// bottom. The tables are constant and owned by the library.
#pragma once

#include <cstdint>

// The mask of an outline of radius r when r is exactly 1.5, 2, 2.5, 3, 3.5 or
// 4 (anti-aliased or plain), with its side in *n; null for any other radius.
const uint8_t* RAST_CircleMask(float r, bool aa, int* n);
