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
#include "raster/RAST_Bitmap.h"
#include "raster/RAST_DeltaBlit.h"
#include "raster/RAST_PNG.h"
#include "raster/RAST_ScaledBlit.h"

#include <benchmark/benchmark.h>
#include <cairo.h>
#include <pixman.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace
{
// ---- content ----

struct Channels
{
  int r, g, b, a;
};

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

template <class Fn>
void PaintRaster(RAST_IBitmap& bm, Fn pixel)
{
  for (int y = 0; y < bm.getHeight(); ++y)
    for (int x = 0; x < bm.getWidth(); ++x)
    {
      const Channels c = pixel(x, y);
      bm.getBits()[static_cast<size_t>(y) * bm.getRowSpan() + x] = RAST_RGBA(c.r, c.g, c.b, c.a);
    }
}

// Premultiplied a8r8g8b8, as pixman and cairo keep pixels.
template <class Fn>
void PaintPremultiplied(uint32_t* bits, int stride, int w, int h, Fn pixel)
{
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
    {
      const Channels c = pixel(x, y);
      bits[static_cast<size_t>(y) * stride + x] = static_cast<uint32_t>(c.a) << 24 |
                                                   static_cast<uint32_t>(c.r * c.a / 255) << 16 |
                                                   static_cast<uint32_t>(c.g * c.a / 255) << 8 |
                                                   static_cast<uint32_t>(c.b * c.a / 255);
    }
}

struct PixmanImage
{
  pixman_image_t* image;
  explicit PixmanImage(pixman_image_t* i) : image(i) {}
  ~PixmanImage() { pixman_image_unref(image); }
  PixmanImage(const PixmanImage&) = delete;
  PixmanImage& operator=(const PixmanImage&) = delete;
  uint32_t* Bits() const { return pixman_image_get_data(image); }
  int Stride() const { return pixman_image_get_stride(image) / 4; }
};

void CountPixels(benchmark::State& state, double megapixels)
{
  state.counters["MP/s"] =
      benchmark::Counter(megapixels * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

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
  PaintPremultiplied(src.Bits(), src.Stride(), kBackW, kBackH, &BackgroundPixel);
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
  PaintPremultiplied(back.Bits(), back.Stride(), 512, 512, &BackgroundPixel);
  PaintPremultiplied(sprite.Bits(), sprite.Stride(), kSprite, kSprite, &SpritePixel);
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

// ---- report ----

// Prints the console report, then each case's rates side by side.
class RatioReporter : public benchmark::ConsoleReporter
{
public:
  void ReportRuns(const std::vector<Run>& runs) override
  {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs)
    {
      if (run.error_occurred) continue;
      if (run.run_type == Run::RT_Aggregate && run.aggregate_name != "median") continue;
      const auto it = run.counters.find("MP/s");
      if (it == run.counters.end()) continue;
      const std::string name = run.run_name.function_name;
      const size_t slash = name.rfind('/');
      mRates[name.substr(0, slash)][name.substr(slash + 1)] = it->second.value;
    }
  }

  void Finalize() override
  {
    ConsoleReporter::Finalize();
    std::printf("\n%-20s %12s %-8s %12s %8s\n", "case", "raster MP/s", "other", "other MP/s", "ratio");
    for (const auto& [name, rates] : mRates)
    {
      const auto r = rates.find("raster");
      if (r == rates.end()) continue;
      for (const auto& [library, rate] : rates)
        if (library != "raster")
          std::printf("%-20s %12.1f %-8s %12.1f %8.2f\n", name.c_str(), r->second, library.c_str(), rate,
                      r->second / rate);
    }
    std::printf("ratio = raster / other; above 1 the raster library is faster.\n");
  }

private:
  std::map<std::string, std::map<std::string, double>> mRates;
};

void Register(const char* name, void (*raster)(benchmark::State&), const char* other,
              void (*theirs)(benchmark::State&))
{
  benchmark::RegisterBenchmark((std::string(name) + "/raster").c_str(), raster)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark((std::string(name) + "/" + other).c_str(), theirs)->Unit(benchmark::kMillisecond);
}
}  // namespace

int main(int argc, char** argv)
{
  Register("png_decode_strip", &RasterDecode, "cairo", &CairoDecode);
  Register("bilinear_downscale", &RasterDownscale, "pixman", &PixmanDownscale);
  Register("rotated_sprite", &RasterRotated, "pixman", &PixmanRotated);

  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
