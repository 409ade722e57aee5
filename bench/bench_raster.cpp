// The raster library against pixman on the GUI's back buffer (2280 x 1600),
// side by side in one run: every combine mode at weights 25, 40, 70 and 100 %
// as a fill of one colour, as a blit of an opaque image, and as a sprite drawn
// by its own alpha (GUI-like content with clear, opaque and soft-edged
// areas); a sprite where every pixel is partly transparent; and the opaque
// fill against memset of the same rows. Each case reports megapixels per
// second; a table of the libraries and their ratio follows the run.
//
// pixman's nearest operator stands beside each mode: OVER for copy, ADD, and
// the separable blend modes MULTIPLY, OVERLAY and COLOR_DODGE with the weight
// as the source's alpha (a solid mask for images); HSV adjust has no
// counterpart, so HSL_HUE, which also rebuilds the colour from a hue, stands
// in for its cost only. pixman works on premultiplied a8r8g8b8, its fastest
// format; the raster library on its own A, R, G, B bytes. Both touch the same
// pixels, which is what is compared.
//
// Before timing, each raster case checks that its output equals the scalar
// rules' (the vector kernels must not change a pixel) and records how far its
// colour lies from pixman's: the rules are the design's, not pixman's, so
// some differ by rounding and some by formula, as the table's last column
// says, with the alpha bytes where they differ.
#include "bench/BenchPixels.h"
#include "bench/BenchReport.h"
#include "raster/RAST_Bitmap.h"
#include "raster/RAST_Blit.h"
#include "raster/RAST_Rect.h"
#include "raster/RAST_Simd.h"

#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace
{
using bench::Channels;
using bench::PixmanImage;

constexpr int kWidth = 2280;
constexpr int kHeight = 1600;
constexpr double kMegapixels = kWidth * static_cast<double>(kHeight) / 1e6;
constexpr const char* kRate = "MP/s";

// ---- content ----

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

enum class Source
{
  Opaque,   // an opaque image
  Sprite,   // discs with clear surroundings and soft edges
  Partial,  // every pixel partly transparent
};

Channels SourcePixel(int x, int y, Source source)
{
  const int a = source == Source::Opaque ? 255 : SpriteAlpha(x, y, source == Source::Partial);
  return {(x * 3) & 255, (y * 5) & 255, (x + y) & 255, a};
}

Channels BackgroundPixel(int x, int y) { return {(x / 3) & 255, 96, (y / 2) & 255, 255}; }

constexpr Channels kFillColor{40, 160, 220, 255};

struct RasterBuffers
{
  RAST_SysBitmap back{kWidth, kHeight};
  RAST_MemBitmap image{kWidth, kHeight, 4};

  explicit RasterBuffers(Source source)
  {
    bench::PaintRaster(back, &BackgroundPixel);
    bench::PaintRaster(image, [source](int x, int y) { return SourcePixel(x, y, source); });
  }
};

struct PixmanBuffers
{
  PixmanImage back{pixman_image_create_bits(PIXMAN_a8r8g8b8, kWidth, kHeight, nullptr, 0)};
  PixmanImage image{pixman_image_create_bits(PIXMAN_a8r8g8b8, kWidth, kHeight, nullptr, 0)};

  explicit PixmanBuffers(Source source)
  {
    back.Paint(&BackgroundPixel);
    image.Paint([source](int x, int y) { return SourcePixel(x, y, source); });
  }
};

// ---- cases ----

enum class Kind
{
  Fill,
  Blit,
};

struct Mode
{
  const char* name;
  int mode;
  pixman_op_t op;
  const char* note;  // how our rule stands to pixman's operator
};

constexpr Mode kModes[] = {
    {"copy", RAST_BLIT_MODE_COPY, PIXMAN_OP_OVER, "same blend, weight w/256 and truncation vs /255 rounding"},
    {"add", RAST_BLIT_MODE_ADD, PIXMAN_OP_ADD, "same sum, weight w/256 and truncation vs /255 rounding"},
    {"dodge", RAST_BLIT_MODE_DODGE, PIXMAN_OP_COLOR_DODGE, "other formula: the weight scales the source"},
    {"multiply", RAST_BLIT_MODE_MUL, PIXMAN_OP_MULTIPLY, "same product, weight w/256, truncation vs rounding"},
    {"overlay", RAST_BLIT_MODE_OVERLAY, PIXMAN_OP_OVERLAY, "other overlay curve"},
    {"hsv", RAST_BLIT_MODE_HSVADJ, PIXMAN_OP_HSL_HUE, "other operation (hue turn vs hue copy): cost only"},
};

constexpr int kPercents[] = {25, 40, 70, 100};

struct Case
{
  Kind kind;
  Mode mode;
  int percent;
  Source source;
};

float Alpha(const Case& c) { return static_cast<float>(c.percent) / 100.0f; }

int RasterMode(const Case& c) { return c.mode.mode | (c.source == Source::Opaque ? 0 : RAST_BLIT_USE_ALPHA); }

void RasterDraw(const Case& c, RasterBuffers& b)
{
  if (c.kind == Kind::Fill)
    RAST_FillRect(&b.back, 0, 0, kWidth, kHeight,
                  RAST_RGBA(kFillColor.r, kFillColor.g, kFillColor.b, kFillColor.a), Alpha(c), c.mode.mode);
  else
    RAST_Blit(&b.back, &b.image, 0, 0, nullptr, Alpha(c), RasterMode(c));
}

// A solid colour premultiplied by alpha, as pixman's 16-bit channels.
PixmanImage Solid(Channels c, double alpha)
{
  auto channel = [alpha](int v) { return static_cast<uint16_t>(std::lround(v / 255.0 * alpha * 65535.0)); };
  const pixman_color_t color{channel(c.r), channel(c.g), channel(c.b), channel(255)};
  return PixmanImage(pixman_image_create_solid_fill(&color));
}

void PixmanDraw(const Case& c, PixmanBuffers& b, pixman_image_t* solid, pixman_image_t* mask)
{
  if (c.kind == Kind::Fill && c.mode.mode == RAST_BLIT_MODE_COPY && c.percent == 100)
    pixman_fill(b.back.Bits(), b.back.Stride(), 32, 0, 0, kWidth, kHeight, 0xFF28A0DCu);
  else if (c.kind == Kind::Fill)
    pixman_image_composite32(c.mode.op, solid, nullptr, b.back.image, 0, 0, 0, 0, 0, 0, kWidth, kHeight);
  else if (c.mode.mode == RAST_BLIT_MODE_COPY && c.percent == 100 && c.source == Source::Opaque)
    pixman_blt(b.image.Bits(), b.back.Bits(), b.image.Stride(), b.back.Stride(), 32, 32, 0, 0, 0, 0, kWidth, kHeight);
  else
    pixman_image_composite32(c.mode.op, b.image.image, mask, b.back.image, 0, 0, 0, 0, 0, 0, kWidth, kHeight);
}

// The pixman images a case needs besides the buffers: the fill colour at the
// weight, and the weight as a mask for images (none at full weight).
struct PixmanOperands
{
  PixmanImage solid;
  PixmanImage mask;

  explicit PixmanOperands(const Case& c)
      : solid(Solid(kFillColor, Alpha(c))), mask(Solid({255, 255, 255, 255}, Alpha(c)))
  {
  }
  pixman_image_t* Mask(const Case& c) const { return c.percent == 100 ? nullptr : mask.image; }
};

// Our output at the scalar level and at the vector level must be the same
// bytes; then its distance from pixman's output of the same work.
std::string Check(const Case& c, bench::Quality* quality)
{
  RasterBuffers vector(c.source), scalar(c.source);
  const RAST_SimdLevel level = RAST_GetSimdLevel();
  RAST_SetSimdLevel(RAST_SimdLevel::Scalar);
  RasterDraw(c, scalar);
  RAST_SetSimdLevel(level);
  RasterDraw(c, vector);
  const size_t bytes = static_cast<size_t>(vector.back.getRowSpan()) * kHeight * sizeof(RAST_pixel);
  if (std::memcmp(vector.back.getBits(), scalar.back.getBits(), bytes) != 0)
    return "the vector kernel's output differs from the scalar rule's";

  PixmanBuffers theirs(c.source);
  PixmanOperands operands(c);
  PixmanDraw(c, theirs, operands.solid.image, operands.Mask(c));
  int alphaMax = 0;
  *quality = bench::CompareWithPremultiplied(vector.back.getBits(), vector.back.getRowSpan(), theirs.back.Bits(),
                                             theirs.back.Stride(), kWidth, kHeight, &alphaMax);
  quality->against = "pixman";
  quality->note = c.mode.note;
  // Our rules treat alpha as a fourth channel; a fill's source alpha is its
  // weight, so the opaque background's alpha moves toward the weight.
  if (alphaMax > 0) quality->note += "; alpha off by up to " + std::to_string(alphaMax);
  return "";
}

void RunRaster(benchmark::State& state, const std::string& name, const Case& c)
{
  if (!bench::CheckOnce(state, name, [&c](bench::Quality* q) { return Check(c, q); })) return;
  RasterBuffers b(c.source);
  for (auto _ : state)
  {
    RasterDraw(c, b);
    benchmark::ClobberMemory();
  }
  bench::SetRate(state, kRate, kMegapixels);
}

void RunPixman(benchmark::State& state, const Case& c)
{
  PixmanBuffers b(c.source);
  PixmanOperands operands(c);
  for (auto _ : state)
  {
    PixmanDraw(c, b, operands.solid.image, operands.Mask(c));
    benchmark::ClobberMemory();
  }
  bench::SetRate(state, kRate, kMegapixels);
}

// The opaque fill's floor: memset of every row of the same buffer.
void RunMemset(benchmark::State& state)
{
  RasterBuffers b(Source::Opaque);
  const size_t rowBytes = kWidth * sizeof(RAST_pixel);
  for (auto _ : state)
  {
    for (int y = 0; y < kHeight; ++y)
      std::memset(b.back.getBits() + static_cast<size_t>(y) * b.back.getRowSpan(), 0x5a, rowBytes);
    benchmark::ClobberMemory();
  }
  bench::SetRate(state, kRate, kMegapixels);
}

std::string CaseName(const Case& c)
{
  const char* kind = c.kind == Kind::Fill ? "fill" : c.source == Source::Opaque ? "blit" : "sprite";
  return std::string(kind) + "_" + c.mode.name + "_" + std::to_string(c.percent) +
         (c.source == Source::Partial ? "_all_partial" : "");
}
}  // namespace

int main(int argc, char** argv)
{
  // Sprites at full weight are what the GUI draws most: they must keep up
  // with pixman on one core.
  bench::RatioBench bench({kRate, "raster", "the raster library", "case (2280 x 1600)", 0, {{"sprite_copy_100/pixman", 1.0}}});
  std::vector<Case> cases;
  for (const Mode& mode : kModes)
    for (int percent : kPercents)
    {
      cases.push_back({Kind::Fill, mode, percent, Source::Opaque});
      cases.push_back({Kind::Blit, mode, percent, Source::Opaque});
      cases.push_back({Kind::Blit, mode, percent, Source::Sprite});
    }
  cases.push_back({Kind::Blit, kModes[0], 100, Source::Partial});
  for (const Case& c : cases)
  {
    const std::string name = CaseName(c);
    bench.Add(
        name, [name, c](benchmark::State& state) { RunRaster(state, name, c); }, "pixman",
        [c](benchmark::State& state) { RunPixman(state, c); });
    if (c.kind == Kind::Fill && c.mode.mode == RAST_BLIT_MODE_COPY && c.percent == 100)
      bench.AddOther(name, "memset", &RunMemset);
  }
  return bench.Run(argc, argv);
}
