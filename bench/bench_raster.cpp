// The raster library against pixman on the GUI's back buffer (2280 x 1600),
// side by side in one run: opaque fill, 50 % fill, opaque copy, and a sprite
// with source alpha drawn over a background (GUI-like content with clear,
// opaque and soft-edged areas, and a worst case where every pixel is partly
// transparent). Each case reports megapixels per second; a table of both
// libraries and their ratio follows the run.
//
// pixman works on premultiplied a8r8g8b8, its fastest format; the raster
// library on its own A, R, G, B bytes. Both touch the same number of pixels of
// the same size, which is what is compared.
#include "raster/RAST_Bitmap.h"
#include "raster/RAST_Blit.h"
#include "raster/RAST_Rect.h"

#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace
{
constexpr int kWidth = 2280;
constexpr int kHeight = 1600;
constexpr double kMegapixels = kWidth * static_cast<double>(kHeight) / 1e6;

// Source alpha of the sprite content at (x, y): discs of radius 26 on a 64-pixel
// grid with a 2-pixel soft edge, or, for the worst case, a ramp that is never
// 0 or 255.
int SpriteAlpha(int x, int y, bool soft)
{
  if (soft) return 1 + (x * 7 + y * 3) % 254;
  const double dx = x % 64 - 31.5, dy = y % 64 - 31.5;
  const double edge = 26.0 - std::sqrt(dx * dx + dy * dy);
  if (edge <= 0) return 0;
  if (edge >= 2) return 255;
  return static_cast<int>(edge * 127.5);
}

struct Channels
{
  int r, g, b, a;
};

Channels SpritePixel(int x, int y, bool soft)
{
  return {(x * 3) & 255, (y * 5) & 255, (x + y) & 255, SpriteAlpha(x, y, soft)};
}

Channels BackgroundPixel(int x, int y) { return {(x / 3) & 255, 96, (y / 2) & 255, 255}; }

// ---- the raster library ----

struct RasterBuffers
{
  RAST_SysBitmap back{kWidth, kHeight};
  RAST_MemBitmap image{kWidth, kHeight, 4};

  void Paint(RAST_IBitmap& bm, Channels (*pixel)(int, int, bool), bool soft)
  {
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x)
      {
        const Channels c = pixel(x, y, soft);
        bm.getBits()[static_cast<size_t>(y) * bm.getRowSpan() + x] = RAST_RGBA(c.r, c.g, c.b, c.a);
      }
  }

  explicit RasterBuffers(bool soft = false)
  {
    Paint(back, [](int x, int y, bool) { return BackgroundPixel(x, y); }, false);
    Paint(image, &SpritePixel, soft);
  }
};

// ---- pixman ----

struct PixmanImage
{
  pixman_image_t* image;
  explicit PixmanImage(pixman_image_t* i) : image(i) {}
  ~PixmanImage() { pixman_image_unref(image); }
  PixmanImage(const PixmanImage&) = delete;
  PixmanImage& operator=(const PixmanImage&) = delete;
};

struct PixmanBuffers
{
  PixmanImage back{pixman_image_create_bits(PIXMAN_a8r8g8b8, kWidth, kHeight, nullptr, 0)};
  PixmanImage image{pixman_image_create_bits(PIXMAN_a8r8g8b8, kWidth, kHeight, nullptr, 0)};

  static void Paint(pixman_image_t* img, Channels (*pixel)(int, int, bool), bool soft)
  {
    uint32_t* bits = pixman_image_get_data(img);
    const int stride = pixman_image_get_stride(img) / 4;
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x)
      {
        const Channels c = pixel(x, y, soft);
        // Premultiplied, as pixman expects.
        bits[static_cast<size_t>(y) * stride + x] = static_cast<uint32_t>(c.a) << 24 |
                                                     static_cast<uint32_t>(c.r * c.a / 255) << 16 |
                                                     static_cast<uint32_t>(c.g * c.a / 255) << 8 |
                                                     static_cast<uint32_t>(c.b * c.a / 255);
      }
  }

  explicit PixmanBuffers(bool soft = false)
  {
    Paint(back.image, [](int x, int y, bool) { return BackgroundPixel(x, y); }, false);
    Paint(image.image, &SpritePixel, soft);
  }
};

void CountPixels(benchmark::State& state)
{
  state.counters["MP/s"] = benchmark::Counter(kMegapixels * static_cast<double>(state.iterations()),
                                              benchmark::Counter::kIsRate);
}

// ---- cases ----

void RasterFillOpaque(benchmark::State& state)
{
  RasterBuffers b;
  for (auto _ : state)
  {
    RAST_FillRect(&b.back, 0, 0, kWidth, kHeight, RAST_RGBA(40, 80, 120, 255), 1.0f, RAST_BLIT_MODE_COPY);
    benchmark::ClobberMemory();
  }
  CountPixels(state);
}

void PixmanFillOpaque(benchmark::State& state)
{
  PixmanBuffers b;
  uint32_t* bits = pixman_image_get_data(b.back.image);
  const int stride = pixman_image_get_stride(b.back.image) / 4;
  for (auto _ : state)
  {
    pixman_fill(bits, stride, 32, 0, 0, kWidth, kHeight, 0xFF285078u);
    benchmark::ClobberMemory();
  }
  CountPixels(state);
}

void RasterFillHalf(benchmark::State& state)
{
  RasterBuffers b;
  for (auto _ : state)
  {
    RAST_FillRect(&b.back, 0, 0, kWidth, kHeight, RAST_RGBA(40, 80, 120, 255), 0.5f, RAST_BLIT_MODE_COPY);
    benchmark::ClobberMemory();
  }
  CountPixels(state);
}

void PixmanFillHalf(benchmark::State& state)
{
  PixmanBuffers b;
  const pixman_color_t half{0x1400, 0x2800, 0x3c00, 0x8000};  // premultiplied
  PixmanImage solid(pixman_image_create_solid_fill(&half));
  for (auto _ : state)
  {
    pixman_image_composite32(PIXMAN_OP_OVER, solid.image, nullptr, b.back.image, 0, 0, 0, 0, 0, 0, kWidth, kHeight);
    benchmark::ClobberMemory();
  }
  CountPixels(state);
}

void RasterCopy(benchmark::State& state)
{
  RasterBuffers b;
  for (auto _ : state)
  {
    RAST_Blit(&b.back, &b.image, 0, 0, nullptr, 1.0f, RAST_BLIT_MODE_COPY);
    benchmark::ClobberMemory();
  }
  CountPixels(state);
}

void PixmanCopy(benchmark::State& state)
{
  PixmanBuffers b;
  uint32_t* dst = pixman_image_get_data(b.back.image);
  uint32_t* src = pixman_image_get_data(b.image.image);
  const int stride = pixman_image_get_stride(b.back.image) / 4;
  for (auto _ : state)
  {
    pixman_blt(src, dst, stride, stride, 32, 32, 0, 0, 0, 0, kWidth, kHeight);
    benchmark::ClobberMemory();
  }
  CountPixels(state);
}

template <bool Soft>
void RasterSprite(benchmark::State& state)
{
  RasterBuffers b(Soft);
  for (auto _ : state)
  {
    RAST_Blit(&b.back, &b.image, 0, 0, nullptr, 1.0f, RAST_BLIT_MODE_COPY | RAST_BLIT_USE_ALPHA);
    benchmark::ClobberMemory();
  }
  CountPixels(state);
}

template <bool Soft>
void PixmanSprite(benchmark::State& state)
{
  PixmanBuffers b(Soft);
  for (auto _ : state)
  {
    pixman_image_composite32(PIXMAN_OP_OVER, b.image.image, nullptr, b.back.image, 0, 0, 0, 0, 0, 0, kWidth,
                             kHeight);
    benchmark::ClobberMemory();
  }
  CountPixels(state);
}

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
    std::printf("\n%-22s %14s %14s %8s\n", "case (2280 x 1600)", "raster MP/s", "pixman MP/s", "ratio");
    for (const auto& [name, rates] : mRates)
    {
      const auto r = rates.find("raster"), p = rates.find("pixman");
      if (r == rates.end() || p == rates.end()) continue;
      std::printf("%-22s %14.0f %14.0f %8.2f\n", name.c_str(), r->second, p->second, r->second / p->second);
    }
    std::printf("ratio = raster / pixman; above 1 the raster library is faster.\n");
  }

private:
  std::map<std::string, std::map<std::string, double>> mRates;
};

void Register(const char* name, void (*raster)(benchmark::State&), void (*pixman)(benchmark::State&))
{
  benchmark::RegisterBenchmark((std::string(name) + "/raster").c_str(), raster)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark((std::string(name) + "/pixman").c_str(), pixman)->Unit(benchmark::kMillisecond);
}
}  // namespace

int main(int argc, char** argv)
{
  Register("fill_opaque", &RasterFillOpaque, &PixmanFillOpaque);
  Register("fill_50_percent", &RasterFillHalf, &PixmanFillHalf);
  Register("copy_opaque", &RasterCopy, &PixmanCopy);
  Register("sprite_source_alpha", &RasterSprite<false>, &PixmanSprite<false>);
  Register("sprite_all_partial", &RasterSprite<true>, &PixmanSprite<true>);

  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
