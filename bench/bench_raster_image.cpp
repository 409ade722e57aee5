// The raster library's image work against the libraries a Linux desktop would
// use for it, side by side in one run:
//   png_decode_strip    a 2280 x 200 RGBA strip of knob frames (made here and
//                       encoded once) decoded from memory, against cairo's PNG
//                       reader (cairo_image_surface_create_from_png_stream);
//   bilinear_downscale  the GUI's 2280 x 1600 back buffer shrunk to 2/3 with
//                       bilinear filtering, against pixman with a scaling
//                       transform and its bilinear filter;
//   bilinear_upscale    a 1520 x 1067 picture enlarged by 3/2 to 2280 x 1600,
//                       the same way;
//   box_downscale_half  the back buffer shrunk to 1/2, which the raster
//                       library does with its 3 x 3 box, against pixman's
//                       separable box filter and against its bilinear filter
//                       (every bitmap of the GUI is stored at twice its size
//                       and resampled so);
//   rotated_sprite      a 300 x 300 sprite turned by 0.3 rad, bilinear, drawn
//                       over a background by its own alpha, against pixman's
//                       OVER with a rotating transform.
// Each case reports megapixels per second of the pixels it produces; a table
// of both libraries and their ratio follows the run. pixman and cairo work on
// premultiplied pixels, the raster library on straight A, R, G, B bytes.
//
// Before timing, each raster case checks its output: the scales must give the
// scalar walk's bytes exactly, and every case records how far it lies from
// the other library's output. The filters are not the same: pixman samples
// at pixel centres with 7-bit bilinear weights, the raster library at pixel
// corners with 16-bit ones, and its box at 1/2 averages the 3 x 3 pixels
// around each sample where pixman's averages the 2 x 2 the pixel covers.
#include "bench/BenchPixels.h"
#include "bench/BenchReport.h"
#include "raster/RAST_Bitmap.h"
#include "raster/RAST_DeltaBlit.h"
#include "raster/RAST_PNG.h"
#include "raster/RAST_ScaledBlit.h"
#include "raster/RAST_Simd.h"

#include <benchmark/benchmark.h>
#include <cairo.h>
#include <pixman.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace
{
using bench::Channels;
using bench::PaintPremultiplied;
using bench::PaintRaster;
using bench::PixmanImage;

// ---- content ----

// Knob frames of 114 x 100 in a row: a soft-edged disc with a pointer that
// turns from frame to frame, transparent around it.
Channels StripPixel(int x, int y)
{
  const int frame = x / 114;
  const double cx = x % 114 - 56.5, cy = y % 100 - 49.5;
  const double edge = 44.0 - std::sqrt(cx * cx + cy * cy);
  const int a = edge <= 0 ? 0 : edge >= 2 ? 255 : static_cast<int>(edge * 127.5);
  const double turn = frame * 0.3;
  const double along = cx * std::sin(turn) - cy * std::cos(turn), across = cx * std::cos(turn) + cy * std::sin(turn);
  if (along > 0 && std::fabs(across) < 3) return {250, 230, 80, a};
  return {40 + (y & 63), 60, 90 + (x & 31), a};
}

Channels BackgroundPixel(int x, int y) { return {(x / 3) & 255, 96, (y / 2) & 255, 255}; }

Channels SpritePixel(int x, int y) { return StripPixel(x % 114 + 114 * 3, y % 100); }

constexpr const char* kRate = "MP/s";

void CountPixels(benchmark::State& state, double megapixels) { bench::SetRate(state, kRate, megapixels); }

// ---- PNG decoding ----

constexpr int kStripW = 2280, kStripH = 200;

cairo_status_t AppendToString(void* closure, const unsigned char* data, unsigned int length)
{
  static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
  return CAIRO_STATUS_SUCCESS;
}

// The strip encoded once by cairo's PNG writer: 8-bit RGBA, as image tools
// write GUI graphics.
const std::string& StripPng()
{
  static const std::string png = [] {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kStripW, kStripH);
    cairo_surface_flush(surface);
    PaintPremultiplied(reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(surface)),
                       cairo_image_surface_get_stride(surface) / 4, kStripW, kStripH, &StripPixel);
    cairo_surface_mark_dirty(surface);
    std::string out;
    cairo_surface_write_to_png_stream(surface, &AppendToString, &out);
    cairo_surface_destroy(surface);
    return out;
  }();
  return png;
}

struct Cursor
{
  const std::string* data;
  size_t at;
};

cairo_status_t ReadFromCursor(void* closure, unsigned char* out, unsigned int length)
{
  Cursor* cursor = static_cast<Cursor*>(closure);
  if (cursor->at + length > cursor->data->size()) return CAIRO_STATUS_READ_ERROR;
  std::memcpy(out, cursor->data->data() + cursor->at, length);
  cursor->at += length;
  return CAIRO_STATUS_SUCCESS;
}

constexpr double kStripMegapixels = kStripW * kStripH / 1e6;

cairo_surface_t* CairoDecodeOnce(const std::string& png)
{
  Cursor cursor{&png, 0};
  return cairo_image_surface_create_from_png_stream(&ReadFromCursor, &cursor);
}

// Both decoders must give the strip's pixels: compared premultiplied, as
// cairo keeps them.
std::string CheckDecode(bench::Quality* quality)
{
  const std::string& png = StripPng();
  std::unique_ptr<RAST_IBitmap> bm(RAST_LoadPNGFromMemory(png.data(), static_cast<int>(png.size()), nullptr));
  cairo_surface_t* surface = CairoDecodeOnce(png);
  std::string error;
  if (!bm || bm->getWidth() != kStripW || bm->getHeight() != kStripH) error = "decode failed";
  else if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) error = "cairo's decode failed";
  else
  {
    int alphaMax = 0;
    *quality = bench::CompareWithPremultiplied(
        bm->getBits(), bm->getRowSpan(), reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(surface)),
        cairo_image_surface_get_stride(surface) / 4, kStripW, kStripH, &alphaMax, bench::CompareIn::Premultiplied);
    quality->against = "cairo";
    quality->note = alphaMax ? "alpha differs" : "same pixels, compared premultiplied";
  }
  cairo_surface_destroy(surface);
  return error;
}

void RasterDecode(benchmark::State& state)
{
  const std::string& png = StripPng();
  if (!bench::CheckOnce(state, "png_decode_strip", &CheckDecode)) return;
  for (auto _ : state)
  {
    std::unique_ptr<RAST_IBitmap> bm(RAST_LoadPNGFromMemory(png.data(), static_cast<int>(png.size()), nullptr));
    if (!bm || bm->getWidth() != kStripW) state.SkipWithError("decode failed");
    benchmark::DoNotOptimize(bm.get());
  }
  CountPixels(state, kStripMegapixels);
}

void CairoDecode(benchmark::State& state)
{
  const std::string& png = StripPng();
  for (auto _ : state)
  {
    cairo_surface_t* surface = CairoDecodeOnce(png);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) state.SkipWithError("decode failed");
    benchmark::DoNotOptimize(surface);
    cairo_surface_destroy(surface);
  }
  CountPixels(state, kStripMegapixels);
}

// ---- scaling ----

constexpr int kBackW = 2280, kBackH = 1600;

// GUI-like content for the scales: the knob strip's frames, opaque.
Channels ScenePixel(int x, int y)
{
  Channels c = StripPixel(x % kStripW, y % kStripH);
  c.a = 255;
  return c;
}

struct Scale
{
  const char* name;
  int srcW, srcH, dstW, dstH;
};

constexpr Scale kDownscale{"bilinear_downscale", kBackW, kBackH, 1520, 1067};
constexpr Scale kUpscale{"bilinear_upscale", 1520, 1067, kBackW, kBackH};
constexpr Scale kHalf{"box_downscale_half", kBackW, kBackH, kBackW / 2, kBackH / 2};

double Megapixels(const Scale& s) { return s.dstW * static_cast<double>(s.dstH) / 1e6; }

// pixman's filters for a scale.
enum class PixmanFilter
{
  Bilinear,
  Box,
};

struct PixmanScale
{
  PixmanImage src, dest;

  PixmanScale(const Scale& s, PixmanFilter filter)
      : src(pixman_image_create_bits(PIXMAN_a8r8g8b8, s.srcW, s.srcH, nullptr, 0)),
        dest(pixman_image_create_bits(PIXMAN_a8r8g8b8, s.dstW, s.dstH, nullptr, 0))
  {
    src.Paint(&ScenePixel);
    const double sx = static_cast<double>(s.srcW) / s.dstW, sy = static_cast<double>(s.srcH) / s.dstH;
    pixman_transform_t scale;
    pixman_transform_init_scale(&scale, pixman_double_to_fixed(sx), pixman_double_to_fixed(sy));
    pixman_image_set_transform(src.image, &scale);
    if (filter == PixmanFilter::Bilinear)
    {
      pixman_image_set_filter(src.image, PIXMAN_FILTER_BILINEAR, nullptr, 0);
      return;
    }
    // Each destination pixel averages the source pixels it covers.
    int count = 0;
    pixman_fixed_t* params = pixman_filter_create_separable_convolution(
        &count, pixman_double_to_fixed(sx), pixman_double_to_fixed(sy), PIXMAN_KERNEL_IMPULSE, PIXMAN_KERNEL_IMPULSE,
        PIXMAN_KERNEL_BOX, PIXMAN_KERNEL_BOX, 1, 1);
    pixman_image_set_filter(src.image, PIXMAN_FILTER_SEPARABLE_CONVOLUTION, params, count);
    free(params);
  }

  void Draw(const Scale& s)
  {
    pixman_image_composite32(PIXMAN_OP_SRC, src.image, nullptr, dest.image, 0, 0, 0, 0, 0, 0, s.dstW, s.dstH);
  }
};

struct RasterScale
{
  RAST_MemBitmap src, dest;

  explicit RasterScale(const Scale& s) : src(s.srcW, s.srcH, 4), dest(s.dstW, s.dstH, 4)
  {
    PaintRaster(src, &ScenePixel);
  }

  // As the GUI resamples its bitmaps: bilinear filtering at full weight.
  void Draw(const Scale& s)
  {
    RAST_ScaledBlit(&dest, &src, 0, 0, s.dstW, s.dstH, 0.0f, 0.0f, static_cast<float>(s.srcW),
                    static_cast<float>(s.srcH), 1.0f, RAST_BLIT_FILTER_BILINEAR);
  }
};

// The vector rows must give the scalar walk's bytes; then the distance from
// pixman's output with the filter given.
std::string CheckScale(const Scale& s, PixmanFilter filter, const char* note, bench::Quality* quality)
{
  RasterScale vector(s), scalar(s);
  const RAST_SimdLevel level = RAST_GetSimdLevel();
  RAST_SetSimdLevel(RAST_SimdLevel::Scalar);
  scalar.Draw(s);
  RAST_SetSimdLevel(level);
  vector.Draw(s);
  const size_t bytes = static_cast<size_t>(vector.dest.getRowSpan()) * s.dstH * sizeof(RAST_pixel);
  if (std::memcmp(vector.dest.getBits(), scalar.dest.getBits(), bytes) != 0)
    return "the vector rows' output differs from the scalar walk's";
  PixmanScale theirs(s, filter);
  theirs.Draw(s);
  *quality = bench::CompareWithPremultiplied(vector.dest.getBits(), vector.dest.getRowSpan(), theirs.dest.Bits(),
                                             theirs.dest.Stride(), s.dstW, s.dstH);
  quality->against = "pixman";
  quality->note = note;
  return "";
}

template <const Scale& S>
void RasterScaleCase(benchmark::State& state)
{
  const char* note = &S == &kHalf ? "3 x 3 box around corner samples vs 2 x 2 box" : "corner samples, 16-bit weights";
  if (!bench::CheckOnce(state, S.name, [note](bench::Quality* q) {
        return CheckScale(S, &S == &kHalf ? PixmanFilter::Box : PixmanFilter::Bilinear, note, q);
      }))
    return;
  RasterScale b(S);
  for (auto _ : state)
  {
    b.Draw(S);
    benchmark::ClobberMemory();
  }
  CountPixels(state, Megapixels(S));
}

template <const Scale& S, PixmanFilter Filter>
void PixmanScaleCase(benchmark::State& state)
{
  PixmanScale b(S, Filter);
  for (auto _ : state)
  {
    b.Draw(S);
    benchmark::ClobberMemory();
  }
  CountPixels(state, Megapixels(S));
}

// ---- rotated sprite ----

constexpr int kSprite = 300, kSpriteAt = 100;
constexpr double kAngle = 0.3;
constexpr double kSpriteMegapixels = kSprite * kSprite / 1e6;

struct RasterRotation
{
  RAST_MemBitmap back{512, 512, 4}, sprite{kSprite, kSprite, 4};

  RasterRotation()
  {
    PaintRaster(back, &BackgroundPixel);
    PaintRaster(sprite, &SpritePixel);
  }
  void Draw()
  {
    RAST_RotatedBlit(&back, &sprite, kSpriteAt, kSpriteAt, kSprite, kSprite, 0.0f, 0.0f, kSprite, kSprite,
                     static_cast<float>(kAngle), false, 1.0f, RAST_BLIT_FILTER_BILINEAR | RAST_BLIT_USE_ALPHA, 0.0f,
                     0.0f);
  }
};

struct PixmanRotation
{
  PixmanImage back{pixman_image_create_bits(PIXMAN_a8r8g8b8, 512, 512, nullptr, 0)};
  PixmanImage sprite{pixman_image_create_bits(PIXMAN_a8r8g8b8, kSprite, kSprite, nullptr, 0)};

  PixmanRotation();
  void Draw()
  {
    pixman_image_composite32(PIXMAN_OP_OVER, sprite.image, nullptr, back.image, kSpriteAt, kSpriteAt, 0, 0, kSpriteAt,
                             kSpriteAt, kSprite, kSprite);
  }
};

// The rotation has no vector path to check; its distance from pixman's.
std::string CheckRotation(bench::Quality* quality)
{
  RasterRotation ours;
  PixmanRotation theirs;
  ours.Draw();
  theirs.Draw();
  *quality = bench::CompareWithPremultiplied(ours.back.getBits(), ours.back.getRowSpan(), theirs.back.Bits(),
                                             theirs.back.Stride(), 512, 512);
  quality->against = "pixman";
  quality->note = "corner vs centre sampling, 16- vs 7-bit weights";
  return "";
}

void RasterRotated(benchmark::State& state)
{
  if (!bench::CheckOnce(state, "rotated_sprite", &CheckRotation)) return;
  RasterRotation b;
  for (auto _ : state)
  {
    b.Draw();
    benchmark::ClobberMemory();
  }
  CountPixels(state, kSpriteMegapixels);
}

PixmanRotation::PixmanRotation()
{
  back.Paint(&BackgroundPixel);
  sprite.Paint(&SpritePixel);
  // Destination point p maps to the sprite at R(-angle) (p - centre) + centre.
  const double c = std::cos(kAngle), s = std::sin(kAngle), centre = kSpriteAt + kSprite / 2.0, half = kSprite / 2.0;
  pixman_transform_t turn = {{{pixman_double_to_fixed(c), pixman_double_to_fixed(s),
                               pixman_double_to_fixed(half - c * centre - s * centre)},
                              {pixman_double_to_fixed(-s), pixman_double_to_fixed(c),
                               pixman_double_to_fixed(half + s * centre - c * centre)},
                              {0, 0, pixman_fixed_1}}};
  pixman_image_set_transform(sprite.image, &turn);
  pixman_image_set_filter(sprite.image, PIXMAN_FILTER_BILINEAR, nullptr, 0);
}

void PixmanRotated(benchmark::State& state)
{
  PixmanRotation b;
  for (auto _ : state)
  {
    b.Draw();
    benchmark::ClobberMemory();
  }
  CountPixels(state, kSpriteMegapixels);
}
}  // namespace

int main(int argc, char** argv)
{
  // The GUI's change of scale shrinks every bitmap so: it must keep up with
  // pixman on one core.
  bench::RatioBench bench(
      {kRate, "raster", "the raster library", "case", 1, {{std::string(kDownscale.name) + "/pixman", 1.0}}});
  bench.Add("png_decode_strip", &RasterDecode, "cairo", &CairoDecode);
  constexpr PixmanFilter kBilinear = PixmanFilter::Bilinear;
  bench.Add(kDownscale.name, &RasterScaleCase<kDownscale>, "pixman", &PixmanScaleCase<kDownscale, kBilinear>);
  bench.Add(kUpscale.name, &RasterScaleCase<kUpscale>, "pixman", &PixmanScaleCase<kUpscale, kBilinear>);
  bench.Add(kHalf.name, &RasterScaleCase<kHalf>, "pixman", &PixmanScaleCase<kHalf, PixmanFilter::Box>);
  bench.AddOther(kHalf.name, "pixman_bilinear", &PixmanScaleCase<kHalf, kBilinear>);
  bench.Add("rotated_sprite", &RasterRotated, "pixman", &PixmanRotated);
  return bench.Run(argc, argv);
}
