#include "raster/RAST_PNG.h"

#include "platform/PLAT_Resources.h"
#include "raster/RAST_BitmapView.h"
#include "raster/RAST_IndexedImage.h"
#include "raster/RAST_Pixel.h"

#include <png.h>
#include <strings.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

namespace
{
// ---- row table ----

void* DefaultRowTableAlloc(size_t bytes) { return std::malloc(bytes); }

RAST_PNGRowTableAlloc gRowTableAlloc = &DefaultRowTableAlloc;

// ---- decoding ----
// libpng reports errors by longjmp to the setjmp in Decode. So that nothing
// is skipped or lost by that jump, the frames it crosses (ReadImage and the
// libpng calls below it) hold no object with a destructor, and what the
// clean-up needs lives in Decode's frame as volatile state.

struct LoadState
{
  RAST_IBitmap* created;        // a bitmap this load made, deleted unless returned
  png_bytep* rows;              // the row table, freed in every case
  RAST_IBitmap* result;
  RAST_IndexedImage* indices;   // the caller's, given a palette image's indices
  bool halve;                   // asked for the image at half its size
  bool cannot;                  // ... and the header says it is not one to halve
};

// The palette (with its tRNS alphas) as A, R, G, B pixels by index. An entry
// the palette lacks is opaque black, as libpng's own expansion gives.
void PaletteLookup(png_structp png, png_infop info, RAST_pixel* lookup)
{
  for (int i = 0; i < 256; ++i) lookup[i] = RAST_RGBA(0, 0, 0, 255);
  png_colorp palette = nullptr;
  int colours = 0;
  if (png_get_PLTE(png, info, &palette, &colours) == 0) colours = 0;
  for (int i = 0; i < colours && i < 256; ++i)
    lookup[i] = RAST_RGBA(palette[i].red, palette[i].green, palette[i].blue, 255);
  png_bytep alpha = nullptr;
  int alphas = 0;
  if (png_get_tRNS(png, info, &alpha, &alphas, nullptr) == 0 || !alpha) alphas = 0;
  for (int i = 0; i < alphas && i < 256; ++i)
    lookup[i] = (lookup[i] & ~255u) | alpha[i];
}

// The width indices at the start of row become pixels in place, from the
// end so no index is overwritten before it is read.
void ExpandIndices(const RAST_pixel* lookup, RAST_pixel* row, int width)
{
  const unsigned char* index = reinterpret_cast<const unsigned char*>(row);
  for (int x = width - 1; x >= 0; --x) row[x] = lookup[index[x]];
}

// One row of pixels at half size from two rows of indices, w of them each:
// every 2 x 2 block's mean, per byte, through the palette spread into lanes.
void HalveIndexRows(const uint64_t* spread, const uint8_t* top, const uint8_t* below, RAST_pixel* out, int w)
{
  for (int i = 0; i < w; ++i)
    out[i] = RAST_BoxMean4(spread[top[2 * i]] + spread[top[2 * i + 1]] + spread[below[2 * i]] +
                           spread[below[2 * i + 1]]);
}

// The rows of an 8-bit palette image, not interlaced, read two at a time and
// halved into the view; both go to the indices first, so these keep the
// whole image.
void ReadHalvedRows(png_structp png, const RAST_pixel* lookup, png_bytep* pair, const RAST_BitmapView& view,
                    RAST_IndexedImage* indices)
{
  uint64_t spread[256];
  for (int i = 0; i < 256; ++i) spread[i] = RAST_SpreadLanes(lookup[i]);
  for (int j = 0; j < view.height; ++j)
  {
    png_read_row(png, pair[0], nullptr);
    png_read_row(png, pair[1], nullptr);
    // Indices that cannot be kept (memory short) are given up, not the image.
    if (indices && (!indices->PutRow(2 * j, pair[0]) || !indices->PutRow(2 * j + 1, pair[1]))) indices = nullptr;
    HalveIndexRows(spread, pair[0], pair[1], view.Row(j), view.width);
  }
}

// Reads the header, sets the transformations that turn every PNG into bytes
// A, R, G, B, then the rows straight into the bitmap. Null when the image is
// refused; libpng errors do not return here.
RAST_IBitmap* ReadImage(png_structp png, png_infop info, RAST_IBitmap* bmp, volatile LoadState* state)
{
  png_read_info(png, info);
  png_uint_32 width = 0, height = 0;
  int depth = 0, colorType = 0, interlace = 0;
  png_get_IHDR(png, info, &width, &height, &depth, &colorType, &interlace, nullptr, nullptr);
  // libpng has already refused sides beyond the user limits; the product is
  // checked here in 64 bits, where it cannot wrap.
  if (static_cast<uint64_t>(width) * height > static_cast<uint64_t>(RAST_PNG_MAX_PIXELS))
    png_error(png, "image has too many pixels");

  // 8-bit palette images (most of the artwork) are read as their indices and
  // looked up afterwards: libpng then moves a quarter of the bytes and skips
  // three per-pixel transformations, for the same pixels.
  const bool indexed = colorType == PNG_COLOR_TYPE_PALETTE && depth == 8;
  // Halving reads rows in pairs as they come, so interlaced images (whose
  // passes revisit every row) and odd sides (a block short of a row or a
  // column) are read whole by the caller instead.
  if (state->halve && (!indexed || interlace != PNG_INTERLACE_NONE || width % 2 != 0 || height % 2 != 0))
  {
    state->cannot = true;
    return nullptr;
  }
  int local = colorType;
  if (indexed)
    ;
  else if (colorType == PNG_COLOR_TYPE_PALETTE)
    png_set_palette_to_rgb(png);
  if (colorType == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand_gray_1_2_4_to_8(png);
  if (!indexed && png_get_valid(png, info, PNG_INFO_tRNS) != 0)
  {
    png_set_tRNS_to_alpha(png);
    local |= PNG_COLOR_MASK_ALPHA;
  }
  if (depth == 16) png_set_strip_16(png);
  if (depth < 8) png_set_packing(png);
  if ((local | PNG_COLOR_MASK_ALPHA) == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
  // RGBA becomes ARGB and RGB becomes ARGB with alpha 255: the RAST_pixel
  // byte order, so no pass over the pixels is needed afterwards.
  if (indexed)
    ;
  else if ((local & PNG_COLOR_MASK_ALPHA) != 0)
    png_set_swap_alpha(png);
  else
    png_set_filler(png, 0xff, PNG_FILLER_BEFORE);
  // Interlaced images are read whole: libpng runs the passes into the rows.
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  // Every row is written straight into the bitmap, so it must be exactly one
  // bitmap row long.
  const size_t bytesPerPixel = indexed ? 1 : sizeof(RAST_pixel);
  if (png_get_rowbytes(png, info) != static_cast<size_t>(width) * bytesPerPixel)
    png_error(png, "unexpected row layout");

  const int w = static_cast<int>(width), h = static_cast<int>(height);
  const int outW = state->halve ? w / 2 : w, outH = state->halve ? h / 2 : h;
  RAST_IBitmap* target = bmp;
  if (target)
  {
    target->resize(outW, outH);
  }
  else
  {
    target = new (std::nothrow) RAST_MemBitmap(outW, outH, 4);
    state->created = target;
    if (!target) return nullptr;
  }
  // A bitmap that could not take the size (or whose storage is missing or
  // narrower than a row) is not written at all.
  RAST_BitmapView view;
  if (!view.Open(target) || view.width != outW || view.height != outH) return nullptr;

  if (state->halve)
  {
    // Two rows of indices, after the two pointers to them.
    png_bytep* pair = static_cast<png_bytep*>(gRowTableAlloc(2 * sizeof(png_bytep) + 2 * static_cast<size_t>(w)));
    state->rows = pair;
    if (!pair) return nullptr;
    pair[0] = reinterpret_cast<png_bytep>(pair + 2);
    pair[1] = pair[0] + w;
    RAST_pixel lookup[256];
    PaletteLookup(png, info, lookup);
    RAST_IndexedImage* indices = state->indices;
    if (indices && !indices->Prepare(w, h, lookup, 256)) indices = nullptr;
    ReadHalvedRows(png, lookup, pair, view, indices);
    return target;
  }

  png_bytep* rows = static_cast<png_bytep*>(gRowTableAlloc(sizeof(png_bytep) * height));
  state->rows = rows;
  if (!rows) return nullptr;
  for (int y = 0; y < h; ++y) rows[y] = reinterpret_cast<png_bytep>(view.Row(y));
  if (!indexed)
  {
    png_read_image(png, rows);
  }
  else
  {
    // Indices are expanded row by row as they arrive, while the row is still
    // in the cache, except where the interlace passes revisit every row.
    RAST_pixel lookup[256];
    PaletteLookup(png, info, lookup);
    RAST_IndexedImage* indices = state->indices;
    if (indices && !indices->Prepare(w, h, lookup, 256)) indices = nullptr;
    const bool interlaced = interlace != PNG_INTERLACE_NONE;
    if (interlaced) png_read_image(png, rows);
    for (int y = 0; y < h; ++y)
    {
      if (!interlaced) png_read_row(png, rows[y], nullptr);
      if (indices && !indices->PutRow(y, rows[y])) indices = nullptr;
      ExpandIndices(lookup, view.Row(y), w);
    }
  }
  // What follows the image data (IEND, any late text) is not read: a file
  // whose pixels are whole loads even with its end missing or damaged.
  return target;
}

// What a load is asked for: the caller's bitmap and indices, and for a
// halved load whether the header turned it down.
struct Request
{
  RAST_IBitmap* bmp;
  RAST_IndexedImage* indices;
  bool halve;
  bool cannot;
  // The program's own artwork, from its resources folder: the compressed
  // data's Adler-32 is not computed. Every chunk's CRC, which covers those
  // same bytes as stored, is still checked, so a damaged file fails as any
  // other; the sum was a fifth of what decoding the artwork costs.
  bool ownArtwork = false;
};

RAST_IBitmap* Decode(png_structp png, png_infop info, Request* request)
{
  RAST_IndexedImage* indices = request->indices;
  if (indices) indices->Clear();
  volatile LoadState state{nullptr, nullptr, nullptr, indices, request->halve, false};
  if (setjmp(png_jmpbuf(png)) == 0) state.result = ReadImage(png, info, request->bmp, &state);
  std::free(state.rows);
  if (!state.result)
  {
    delete state.created;
    if (indices) indices->Clear();
  }
  request->cannot = state.cannot;
  return state.result;
}

using IoSetup = void (*)(png_structp png, void* io);

// Creates the libpng structures, points them at the source and decodes; the
// structures are destroyed on every path.
RAST_IBitmap* Load(IoSetup setup, void* io, Request* request)
{
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (!png) return nullptr;
  png_infop info = png_create_info_struct(png);
  if (!info)
  {
    png_destroy_read_struct(&png, nullptr, nullptr);
    return nullptr;
  }
  png_set_user_limits(png, RAST_PNG_MAX_DIMENSION, RAST_PNG_MAX_DIMENSION);
#ifdef PNG_IGNORE_ADLER32
  if (request->ownArtwork) png_set_option(png, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
#endif
  setup(png, io);
  RAST_IBitmap* result = Decode(png, info, request);
  png_destroy_read_struct(&png, &info, nullptr);
  return result;
}

// The header alone, through every chunk before the image data, with the
// decoder's own limits. libpng errors jump back here.
bool ReadSize(png_structp png, png_infop info, volatile int* w, volatile int* h)
{
  if (setjmp(png_jmpbuf(png)) != 0) return false;
  png_read_info(png, info);
  const png_uint_32 width = png_get_image_width(png, info), height = png_get_image_height(png, info);
  if (static_cast<uint64_t>(width) * height > static_cast<uint64_t>(RAST_PNG_MAX_PIXELS)) return false;
  *w = static_cast<int>(width);
  *h = static_cast<int>(height);
  return true;
}

void SetupFile(png_structp png, void* io) { png_init_io(png, static_cast<FILE*>(io)); }

void SetupMemory(png_structp png, void* io) { png_set_read_fn(png, io, &RAST_PNGMemoryReadCallback); }

// ---- resources folder ----

constexpr size_t kMaxResourceName = 400;

// True when the text from the name's last '.', '/' or '\' on is ".png" in any
// case; a name without any of them is compared whole.
bool HasPngExtension(const char* name)
{
  const char* p = name + std::strlen(name);
  while (p > name)
  {
    --p;
    if (*p == '.' || *p == '/' || *p == '\\') break;
  }
  return strcasecmp(p, ".png") == 0;
}

RAST_ImageLoaderRec gPNGLoaderRec{nullptr, nullptr, nullptr};

struct Registrar
{
  Registrar() { RAST_PNGImageLoader_Register(); }
} gRegistrar;
}  // namespace

// ---- loaders ----

namespace
{
// A file, or bytes in memory, decoded as the request asks.
RAST_IBitmap* LoadFile(const char* filename, Request& request)
{
  if (!filename) return nullptr;
  FILE* file = std::fopen(filename, "rb");
  if (!file) return nullptr;
  RAST_IBitmap* result = Load(&SetupFile, file, &request);
  std::fclose(file);
  return result;
}

RAST_IBitmap* LoadMemory(const void* data, int len, Request& request)
{
  if (!data || len < 8 || png_sig_cmp(static_cast<png_const_bytep>(data), 0, 8) != 0) return nullptr;
  RAST_PNGMemoryCursor cursor{static_cast<const unsigned char*>(data), len};
  return Load(&SetupMemory, &cursor, &request);
}

// Where a resource name lies in the resources folder; empty for a name over
// the limit or when there is no folder.
std::string ResourcePath(const char* name)
{
  if (!name || std::strlen(name) > kMaxResourceName) return {};
  const std::string folder = PLAT_GetResourcesDir();
  return folder.empty() ? std::string() : folder + name;
}

// A file's whole load; null filename loads nothing.
RAST_IBitmap* LoadWholeFile(const char* filename, RAST_IBitmap* bmp, RAST_IndexedImage* indices, bool ownArtwork)
{
  if (indices) indices->Clear();
  Request request{bmp, indices, false, false, ownArtwork};
  return LoadFile(filename, request);
}
}  // namespace

RAST_IBitmap* RAST_LoadPNG(const char* filename, RAST_IBitmap* bmp, RAST_IndexedImage* indices)
{
  return LoadWholeFile(filename, bmp, indices, false);
}

RAST_IBitmap* RAST_LoadPNGFromMemory(const void* data, int len, RAST_IBitmap* bmp)
{
  Request request{bmp, nullptr, false, false};
  return LoadMemory(data, len, request);
}

RAST_IBitmap* RAST_LoadPNGFromNamedResource(const char* name, RAST_IBitmap* bmp, RAST_IndexedImage* indices)
{
  const std::string path = ResourcePath(name);
  return LoadWholeFile(path.empty() ? nullptr : path.c_str(), bmp, indices, true);
}

bool RAST_PNGSize(const char* filename, int* w, int* h)
{
  if (!filename || !w || !h) return false;
  FILE* file = std::fopen(filename, "rb");
  if (!file) return false;
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  volatile int width = 0, height = 0;
  bool read = false;
  if (info)
  {
    png_set_user_limits(png, RAST_PNG_MAX_DIMENSION, RAST_PNG_MAX_DIMENSION);
    png_init_io(png, file);
    read = ReadSize(png, info, &width, &height);
  }
  png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
  std::fclose(file);
  if (!read) return false;
  *w = width;
  *h = height;
  return true;
}

bool RAST_PNGSizeFromNamedResource(const char* name, int* w, int* h)
{
  const std::string path = ResourcePath(name);
  return !path.empty() && RAST_PNGSize(path.c_str(), w, h);
}

RAST_IBitmap* RAST_LoadPNGFromResource(int, RAST_IBitmap*)
{
  return nullptr;
}

// ---- halved loads ----

namespace
{
RAST_PNGHalved HalvedOutcome(const Request& request, RAST_IBitmap* result)
{
  if (result) return RAST_PNGHalved::kHalved;
  return request.cannot ? RAST_PNGHalved::kCannot : RAST_PNGHalved::kFailed;
}

// A file's halved load; null filename loads nothing.
RAST_PNGHalved LoadHalvedFile(const char* filename, RAST_IBitmap* bmp, RAST_IndexedImage* indices, bool ownArtwork)
{
  if (indices) indices->Clear();
  if (!bmp) return RAST_PNGHalved::kFailed;
  Request request{bmp, indices, true, false, ownArtwork};
  RAST_IBitmap* result = LoadFile(filename, request);
  return HalvedOutcome(request, result);
}
}  // namespace

RAST_PNGHalved RAST_LoadPNGHalved(const char* filename, RAST_IBitmap* bmp, RAST_IndexedImage* indices)
{
  return LoadHalvedFile(filename, bmp, indices, false);
}

RAST_PNGHalved RAST_LoadPNGHalvedFromMemory(const void* data, int len, RAST_IBitmap* bmp,
                                            RAST_IndexedImage* indices)
{
  if (indices) indices->Clear();
  if (!bmp) return RAST_PNGHalved::kFailed;
  Request request{bmp, indices, true, false};
  RAST_IBitmap* result = LoadMemory(data, len, request);
  return HalvedOutcome(request, result);
}

RAST_PNGHalved RAST_LoadPNGHalvedFromNamedResource(const char* name, RAST_IBitmap* bmp,
                                                   RAST_IndexedImage* indices)
{
  const std::string path = ResourcePath(name);
  return LoadHalvedFile(path.empty() ? nullptr : path.c_str(), bmp, indices, true);
}

// ---- image-loader record ----

RAST_IBitmap* RAST_PNGImageLoader_Load(const char* filename, bool checkFileName, RAST_IBitmap* bmp)
{
  if (!filename) return nullptr;
  if (checkFileName && !HasPngExtension(filename)) return nullptr;
  return RAST_LoadPNG(filename, bmp);
}

const char* RAST_PNGImageLoader_GetExtList()
{
  // The literal's own terminator closes the list with the second NUL.
  return "PNG files (*.PNG)\0*.PNG\0";
}

void RAST_PNGImageLoader_Register()
{
  if (gPNGLoaderRec.load) return;
  gPNGLoaderRec.load = &RAST_PNGImageLoader_Load;
  gPNGLoaderRec.get_extlist = &RAST_PNGImageLoader_GetExtList;
  gPNGLoaderRec.next = RAST_ImageLoader_list;
  RAST_ImageLoader_list = &gPNGLoaderRec;
}

// ---- libpng read callback ----

void RAST_PNGMemoryReadCallback(png_struct_def* png, unsigned char* out, size_t n)
{
  auto* cursor = static_cast<RAST_PNGMemoryCursor*>(png_get_io_ptr(png));
  const size_t left = cursor->left > 0 ? static_cast<size_t>(cursor->left) : 0;
  // A chunk may claim up to 2 GB; were the bytes past the end made up, libpng
  // would read and check them all before finding the image bad.
  if (n > left) png_error(png, "the data ends early");
  std::memcpy(out, cursor->next, n);
  cursor->next += n;
  cursor->left -= static_cast<int>(n);
}

// ---- test seam ----

void RAST_PNGSetRowTableAllocForTest(RAST_PNGRowTableAlloc alloc)
{
  gRowTableAlloc = alloc ? alloc : &DefaultRowTableAlloc;
}
