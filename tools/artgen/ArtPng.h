// PNG files of the generator, written with libpng. An image of at most 256
// distinct pixels is stored as a palette (with a transparency entry per
// colour) so it decodes quickly at start-up; others as 8-bit RGBA. No time
// or other varying chunk is written: the same pixels give the same bytes.
#pragma once

#include "raster/RAST_Bitmap.h"

#include <string>

// Writes bm (RAST_pixel bytes A, R, G, B) to path at zlib level (1 fast
// .. 9 small); false with the reason in *error when the file cannot be
// written.
[[nodiscard]] bool ArtWritePng(const std::string& path, RAST_IBitmap* bm, std::string* error, int level = 6);
