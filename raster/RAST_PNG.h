// PNG images into 32-bit bitmaps. Every colour type, bit depth, transparency
// chunk and interlacing is brought to RAST_pixel bytes A, R, G, B (8 bits per
// channel, not premultiplied); images without transparency get alpha 255.
//
// Ownership: given a bitmap, a loader resizes and fills it and returns that
// same pointer, and the caller keeps it in every case, also on failure (it may
// then be resized and partly filled). Given null, a loader creates a
// RAST_MemBitmap and hands it to the caller with the result. A null result
// means the file could not be read or decoded; nothing is left allocated.
//
// Input is untrusted: a truncated, corrupt or oversized image gives null.
// Each call has libpng state of its own, so loads into bitmaps of their own
// (or made by the loader) may run on several threads at once.
#pragma once

#include "raster/RAST_Bitmap.h"
#include "raster/RAST_ImageLoader.h"

#include <cstddef>
#include <cstdint>

class RAST_IndexedImage;
struct png_struct_def;

// ---- limits ----
// Images wider or taller than this are refused by the decoder itself.
constexpr int RAST_PNG_MAX_DIMENSION = 1 << 18;
// Images with more pixels than this are refused (128 MiB of pixels); checked
// in 64 bits, so no claimed size can wrap to a small allocation.
constexpr int64_t RAST_PNG_MAX_PIXELS = int64_t{1} << 25;

// ---- loaders ----

// Reads the PNG file at the path. Given indices, an 8-bit palette image
// also leaves its colour indices and palette there (the same pixels when
// expanded, kept without a second pass); any other image, or a failed
// load, leaves it empty.
[[nodiscard]] RAST_IBitmap* RAST_LoadPNG(const char* filename, RAST_IBitmap* bmp,
                                         RAST_IndexedImage* indices = nullptr);

// Reads a PNG held in memory (len bytes at data); null without decoding when
// len is below 8 or the bytes do not start with the PNG signature.
[[nodiscard]] RAST_IBitmap* RAST_LoadPNGFromMemory(const void* data, int len, RAST_IBitmap* bmp);

// Reads the file name (at most 400 characters; longer names give null without
// touching the file system) from the application's resources folder
// (PLAT_GetResourcesDir, which honours $ZEPHRA_RESOURCES_DIR).
[[nodiscard]] RAST_IBitmap* RAST_LoadPNGFromNamedResource(const char* name, RAST_IBitmap* bmp,
                                                          RAST_IndexedImage* indices = nullptr);

// The width and height the file at the path would decode to, read from its
// header alone; false when the file is missing or its header is corrupt or
// beyond the limits (the image data itself is not looked at). Any thread.
[[nodiscard]] bool RAST_PNGSize(const char* filename, int* w, int* h);
// The same for a file of the resources folder, named as below.
[[nodiscard]] bool RAST_PNGSizeFromNamedResource(const char* name, int* w, int* h);

// Linux executables carry no embedded resources: always null.
[[nodiscard]] RAST_IBitmap* RAST_LoadPNGFromResource(int resid, RAST_IBitmap* bmp);

// ---- halved loads ----
// Artwork is stored at twice the size it is shown at; at that size the box
// average of each 2 x 2 block is all a start needs of it. Palette images are
// halved as their rows arrive, two at a time, so the whole-size pixels are
// never made.

enum class RAST_PNGHalved
{
  kHalved,     // bmp holds the image at half its size
  kCannot,     // not an image this load halves: bmp untouched, load it whole
  kFailed,     // unreadable, as a null result of the loaders above
};

// Reads an 8-bit palette PNG of even width and height, not interlaced, into
// bmp (required; resized to half the sides): pixel (i, j) is, per byte,
//   (p(2i, 2j) + p(2i+1, 2j) + p(2i, 2j+1) + p(2i+1, 2j+1)) >> 2
// of the whole image's pixels, alpha like the colour bytes (RAST_BoxMean4).
// Any other image is kCannot, told from the header before bmp is touched.
// Given indices, they are left with the whole-size image's colour indices, as
// RAST_LoadPNG leaves them; empty unless the result is kHalved. On kFailed
// bmp may be resized and partly filled.
[[nodiscard]] RAST_PNGHalved RAST_LoadPNGHalved(const char* filename, RAST_IBitmap* bmp,
                                                RAST_IndexedImage* indices = nullptr);
// The same from memory, kFailed where RAST_LoadPNGFromMemory gives null
// without decoding.
[[nodiscard]] RAST_PNGHalved RAST_LoadPNGHalvedFromMemory(const void* data, int len, RAST_IBitmap* bmp,
                                                          RAST_IndexedImage* indices = nullptr);
// The same for a file of the resources folder, named as for
// RAST_LoadPNGFromNamedResource.
[[nodiscard]] RAST_PNGHalved RAST_LoadPNGHalvedFromNamedResource(const char* name, RAST_IBitmap* bmp,
                                                                 RAST_IndexedImage* indices = nullptr);

// ---- image-loader record ----

// RAST_LoadPNG, or null without opening anything when checkFileName is set and
// the name does not end in ".png" (any case) after its last '.', '/' or '\'.
[[nodiscard]] RAST_IBitmap* RAST_PNGImageLoader_Load(const char* filename, bool checkFileName,
                                                     RAST_IBitmap* bmp);

// "PNG files (*.PNG)", NUL, "*.PNG", NUL, NUL.
const char* RAST_PNGImageLoader_GetExtList();

// Puts the PNG loader's record at the head of RAST_ImageLoader_list; runs once
// during static initialisation (a second call changes nothing).
void RAST_PNGImageLoader_Register();

// ---- libpng read callback of the memory loader ----
// Its io pointer is a cursor over the data. Copies the next n bytes into out
// and moves on; asked for more than is left, it raises a libpng error and
// copies nothing.
struct RAST_PNGMemoryCursor
{
  const unsigned char* next;
  int left;
};
void RAST_PNGMemoryReadCallback(png_struct_def* png, unsigned char* out, size_t n);

// ---- test seam ----
// The row table of a load (one pointer per image row; for a halved load two
// pointers and the two rows of indices they point at) comes from this
// function and is released with std::free. Tests install one that fails to
// see a failed allocation handled; null restores std::malloc.
using RAST_PNGRowTableAlloc = void* (*)(size_t bytes);
void RAST_PNGSetRowTableAllocForTest(RAST_PNGRowTableAlloc alloc);
