// The raster library's image work against the libraries a Linux desktop would
// use for it, side by side in one run:
//   png_decode_strip   a 2280 x 200 RGBA strip of knob frames (made here and
//                      encoded once) decoded from memory, against cairo's PNG
//                      reader (cairo_image_surface_create_from_png_stream);
//   bilinear_downscale the GUI's 2280 x 1600 back buffer shrunk to 2/3 with
//                      bilinear filtering, against pixman with a scaling
//                      transform and its bilinear filter;
//   rotated_sprite     a 300 x 300 sprite turned by 0.3 rad, bilinear, drawn
//                      over a background by its own alpha, against pixman's
//                      OVER with a rotating transform.
// Each case reports megapixels per second of the pixels it produces; a table
// of both libraries and their ratio follows the run. pixman and cairo work on
// premultiplied pixels, the raster library on straight A, R, G, B bytes.
#include "bench/BenchPixels.h"
#include "bench/BenchReport.h"
#include "raster/RAST_Bitmap.h"
#include "raster/RAST_DeltaBlit.h"
#include "raster/RAST_PNG.h"
#include "raster/RAST_ScaledBlit.h"

#include <benchmark/benchmark.h>
#include <cairo.h>
#include <pixman.h>

#include <cmath>
#include <cstdint>
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

void RasterDecode(benchmark::State& state)
{
  const std::string& png = StripPng();
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
    Cursor cursor{&png, 0};
    cairo_surface_t* surface = cairo_image_surface_create_from_png_stream(&ReadFromCursor, &cursor);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) state.SkipWithError("decode failed");
    benchmark::DoNotOptimize(surface);
    cairo_surface_destroy(surface);
  }
  CountPixels(state, kStripMegapixels);
}

// ---- bilinear downscaling ----

constexpr int kBackW = 2280, kBackH = 1600, kSmallW = 1520, kSmallH = 1067;
constexpr double kSmallMegapixels = kSmallW * kSmallH / 1e6;

void RasterDownscale(benchmark::State& state)
{
  RAST_MemBitmap src(kBackW, kBackH, 4), dest(kSmallW, kSmallH, 4);
  PaintRaster(src, &BackgroundPixel);
  for (auto _ : state)
  {
    RAST_ScaledBlit(&dest, &src, 0, 0, kSmallW, kSmallH, 0.0f, 0.0f, kBackW, kBackH, 1.0f, RAST_BLIT_FILTER_BILINEAR);
    benchmark::ClobberMemory();
  }
  CountPixels(state, kSmallMegapixels);
}

void PixmanDownscale(benchmark::State& state)
{
  PixmanImage src(pixman_image_create_bits(PIXMAN_a8r8g8b8, kBackW, kBackH, nullptr, 0));
  PixmanImage dest(pixman_image_create_bits(PIXMAN_a8r8g8b8, kSmallW, kSmallH, nullptr, 0));
  src.Paint(&BackgroundPixel);
  pixman_transform_t scale;
  pixman_transform_init_scale(&scale, pixman_double_to_fixed(static_cast<double>(kBackW) / kSmallW),
                              pixman_double_to_fixed(static_cast<double>(kBackH) / kSmallH));
  pixman_image_set_transform(src.image, &scale);
  pixman_image_set_filter(src.image, PIXMAN_FILTER_BILINEAR, nullptr, 0);
  for (auto _ : state)
  {
    pixman_image_composite32(PIXMAN_OP_SRC, src.image, nullptr, dest.image, 0, 0, 0, 0, 0, 0, kSmallW, kSmallH);
    benchmark::ClobberMemory();
  }
  CountPixels(state, kSmallMegapixels);
}

// ---- rotated sprite ----

constexpr int kSprite = 300, kSpriteAt = 100;
constexpr double kAngle = 0.3;
constexpr double kSpriteMegapixels = kSprite * kSprite / 1e6;

void RasterRotated(benchmark::State& state)
{
  RAST_MemBitmap back(512, 512, 4), sprite(kSprite, kSprite, 4);
  PaintRaster(back, &BackgroundPixel);
  PaintRaster(sprite, &SpritePixel);
  for (auto _ : state)
  {
    RAST_RotatedBlit(&back, &sprite, kSpriteAt, kSpriteAt, kSprite, kSprite, 0.0f, 0.0f, kSprite, kSprite,
                     static_cast<float>(kAngle), false, 1.0f, RAST_BLIT_FILTER_BILINEAR | RAST_BLIT_USE_ALPHA, 0.0f,
                     0.0f);
    benchmark::ClobberMemory();
  }
  CountPixels(state, kSpriteMegapixels);
}

void PixmanRotated(benchmark::State& state)
{
  PixmanImage back(pixman_image_create_bits(PIXMAN_a8r8g8b8, 512, 512, nullptr, 0));
  PixmanImage sprite(pixman_image_create_bits(PIXMAN_a8r8g8b8, kSprite, kSprite, nullptr, 0));
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
  for (auto _ : state)
  {
    pixman_image_composite32(PIXMAN_OP_OVER, sprite.image, nullptr, back.image, kSpriteAt, kSpriteAt, 0, 0, kSpriteAt,
                             kSpriteAt, kSprite, kSprite);
    benchmark::ClobberMemory();
  }
  CountPixels(state, kSpriteMegapixels);
}
}  // namespace

int main(int argc, char** argv)
{
  bench::RatioBench bench({kRate, "raster", "the raster library", "case", 1});
  bench.Add("png_decode_strip", &RasterDecode, "cairo", &CairoDecode);
  bench.Add("bilinear_downscale", &RasterDownscale, "pixman", &PixmanDownscale);
  bench.Add("rotated_sprite", &RasterRotated, "pixman", &PixmanRotated);
  return bench.Run(argc, argv);
}
