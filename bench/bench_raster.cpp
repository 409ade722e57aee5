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
#include "bench/BenchPixels.h"
#include "bench/BenchReport.h"
#include "raster/RAST_Bitmap.h"
#include "raster/RAST_Blit.h"
#include "raster/RAST_Rect.h"

#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cmath>
#include <cstdint>

namespace
{
using bench::Channels;
using bench::PixmanImage;

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

  explicit RasterBuffers(bool soft = false)
  {
    bench::PaintRaster(back, &BackgroundPixel);
    bench::PaintRaster(image, [soft](int x, int y) { return SpritePixel(x, y, soft); });
  }
};

// ---- pixman ----

struct PixmanBuffers
{
  PixmanImage back{pixman_image_create_bits(PIXMAN_a8r8g8b8, kWidth, kHeight, nullptr, 0)};
  PixmanImage image{pixman_image_create_bits(PIXMAN_a8r8g8b8, kWidth, kHeight, nullptr, 0)};

  explicit PixmanBuffers(bool soft = false)
  {
    back.Paint(&BackgroundPixel);
    image.Paint([soft](int x, int y) { return SpritePixel(x, y, soft); });
  }
};

constexpr const char* kRate = "MP/s";

void CountPixels(benchmark::State& state) { bench::SetRate(state, kRate, kMegapixels); }

// ---- cases ----

constexpr int kSpriteMode = RAST_BLIT_MODE_COPY | RAST_BLIT_USE_ALPHA;

// Alpha in percent.
template <int Percent>
void RasterFill(benchmark::State& state)
{
  RasterBuffers b;
  for (auto _ : state)
  {
    RAST_FillRect(&b.back, 0, 0, kWidth, kHeight, RAST_RGBA(40, 80, 120, 255), Percent / 100.0f,
                  RAST_BLIT_MODE_COPY);
    benchmark::ClobberMemory();
  }
  CountPixels(state);
}

void PixmanFillOpaque(benchmark::State& state)
{
  PixmanBuffers b;
  for (auto _ : state)
  {
    pixman_fill(b.back.Bits(), b.back.Stride(), 32, 0, 0, kWidth, kHeight, 0xFF285078u);
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

// The image blitted onto the back buffer in the mode given; Soft as for
// RasterBuffers.
template <int Mode, bool Soft>
void RasterBlit(benchmark::State& state)
{
  RasterBuffers b(Soft);
  for (auto _ : state)
  {
    RAST_Blit(&b.back, &b.image, 0, 0, nullptr, 1.0f, Mode);
    benchmark::ClobberMemory();
  }
  CountPixels(state);
}

void PixmanCopy(benchmark::State& state)
{
  PixmanBuffers b;
  uint32_t* dst = b.back.Bits();
  uint32_t* src = b.image.Bits();
  const int stride = b.back.Stride();
  for (auto _ : state)
  {
    pixman_blt(src, dst, stride, stride, 32, 32, 0, 0, 0, 0, kWidth, kHeight);
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
}  // namespace

int main(int argc, char** argv)
{
  bench::RatioBench bench({kRate, "raster", "the raster library", "case (2280 x 1600)", 0});
  bench.Add("fill_opaque", &RasterFill<100>, "pixman", &PixmanFillOpaque);
  bench.Add("fill_50_percent", &RasterFill<50>, "pixman", &PixmanFillHalf);
  bench.Add("copy_opaque", &RasterBlit<RAST_BLIT_MODE_COPY, false>, "pixman", &PixmanCopy);
  bench.Add("sprite_source_alpha", &RasterBlit<kSpriteMode, false>, "pixman", &PixmanSprite<false>);
  bench.Add("sprite_all_partial", &RasterBlit<kSpriteMode, true>, "pixman", &PixmanSprite<true>);
  return bench.Run(argc, argv);
}
