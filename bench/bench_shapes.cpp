// The raster library's shapes against cairo on the GUI's back buffer
// (2280 x 1600), side by side in one run: 1-pixel lines without and with
// anti-aliasing, anti-aliased discs, aliased convex polygons and anti-aliased
// quadratic curves. Each iteration draws one fixed batch of random shapes
// (the same for both libraries) in copy mode at full alpha; each case reports
// shapes per second, and a table of both libraries and their ratio follows.
//
// The two are not the same rasterisers and do not give the same quality:
// cairo computes exact area coverage with 1-pixel-wide strokes, the raster
// library walks its lines with a two-pixel coverage split, its curves as
// chains of such lines, and its discs and polygons by its own edge rules.
// What is compared is the cost of drawing the same shapes into a buffer of
// the same size, which is what the GUI pays; before timing, each raster case
// draws its batch once beside cairo's and records how far the pixels either
// library drew lie apart, and how many differ at all.
#include "bench/BenchPixels.h"
#include "bench/BenchReport.h"
#include "raster/RAST_Bezier.h"
#include "raster/RAST_Bitmap.h"
#include "raster/RAST_Circle.h"
#include "raster/RAST_Line.h"
#include "raster/RAST_Polygon.h"
#include "raster/RAST_Rect.h"

#include <benchmark/benchmark.h>
#include <cairo.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace
{
constexpr int kWidth = 2280;
constexpr int kHeight = 1600;
constexpr double kTwoPi = 6.283185307179586;

// ---- the shapes ----

struct Line
{
  int x1, y1, x2, y2;
};

struct Disc
{
  float cx, cy, r;
};

struct Polygon
{
  std::vector<int> x, y;
};

struct Curve
{
  float x0, y0, xc, yc, x1, y1;
};

// Lines of 20 to 400 pixels in every direction, all inside the buffer.
std::vector<Line> MakeLines(int n)
{
  std::mt19937 rng(1);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  std::vector<Line> out;
  while (static_cast<int>(out.size()) < n)
  {
    const int x1 = static_cast<int>(unit(rng) * kWidth), y1 = static_cast<int>(unit(rng) * kHeight);
    const double a = unit(rng) * kTwoPi, len = 20 + unit(rng) * 380;
    const int x2 = x1 + static_cast<int>(len * std::cos(a)), y2 = y1 + static_cast<int>(len * std::sin(a));
    if (x2 >= 0 && x2 < kWidth && y2 >= 0 && y2 < kHeight) out.push_back({x1, y1, x2, y2});
  }
  return out;
}

// Radii from 4 to 40 pixels, like the GUI's knob caps and indicators.
std::vector<Disc> MakeDiscs(int n)
{
  std::mt19937 rng(2);
  std::uniform_real_distribution<float> unit(0.0f, 1.0f);
  std::vector<Disc> out;
  for (int i = 0; i < n; ++i)
    out.push_back({50 + unit(rng) * (kWidth - 100), 50 + unit(rng) * (kHeight - 100), 4 + unit(rng) * 36});
  return out;
}

// Hexagons of radius 10 to 60 with jittered corners, still convex.
std::vector<Polygon> MakePolygons(int n)
{
  std::mt19937 rng(3);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  std::vector<Polygon> out;
  for (int i = 0; i < n; ++i)
  {
    Polygon p;
    const double cx = 80 + unit(rng) * (kWidth - 160), cy = 80 + unit(rng) * (kHeight - 160);
    const double r = 10 + unit(rng) * 50;
    for (int k = 0; k < 6; ++k)
    {
      const double a = (k + 0.3 * unit(rng)) * kTwoPi / 6;
      p.x.push_back(static_cast<int>(cx + r * std::cos(a)));
      p.y.push_back(static_cast<int>(cy + r * std::sin(a)));
    }
    out.push_back(p);
  }
  return out;
}

// Curves 100 to 500 pixels wide, left to right, like equaliser responses.
std::vector<Curve> MakeCurves(int n)
{
  std::mt19937 rng(4);
  std::uniform_real_distribution<float> unit(0.0f, 1.0f);
  std::vector<Curve> out;
  for (int i = 0; i < n; ++i)
  {
    const float x0 = unit(rng) * (kWidth - 520), y0 = 100 + unit(rng) * (kHeight - 200);
    const float w = 100 + unit(rng) * 400;
    out.push_back({x0, y0, x0 + w * unit(rng), y0 + (unit(rng) - 0.5f) * 180, x0 + w, y0 + (unit(rng) - 0.5f) * 80});
  }
  return out;
}

const std::vector<Line> kLines = MakeLines(2000);
const std::vector<Disc> kDiscs = MakeDiscs(300);
const std::vector<Polygon> kPolygons = MakePolygons(300);
const std::vector<Curve> kCurves = MakeCurves(100);

constexpr RAST_pixel kColor = RAST_RGBA(230, 180, 60, 255);

constexpr const char* kRate = "shapes/s";

// ---- the two libraries ----
// A case draws a batch of one kind of shape: raster(bitmap, shape) with the
// raster library, cairo(cr, shape) with cairo at its antialiasing.

template <class Shape>
struct ShapeCase
{
  const char* name;
  const std::vector<Shape>* shapes;
  void (*raster)(RAST_IBitmap* back, const Shape& shape);
  void (*cairo)(cairo_t* cr, const Shape& shape);
  cairo_antialias_t antialias;
  const char* note;  // how the two rasterisers differ
};

struct CairoTarget
{
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kWidth, kHeight);
  cairo_t* cr = cairo_create(surface);

  explicit CairoTarget(cairo_antialias_t antialias)
  {
    cairo_set_source_rgba(cr, 230 / 255.0, 180 / 255.0, 60 / 255.0, 1.0);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_line_width(cr, 1.0);
    cairo_set_antialias(cr, antialias);
  }
  ~CairoTarget()
  {
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
  }
  CairoTarget(const CairoTarget&) = delete;
  CairoTarget& operator=(const CairoTarget&) = delete;

  void Done()
  {
    cairo_surface_flush(surface);
    benchmark::DoNotOptimize(cairo_image_surface_get_data(surface));
    benchmark::ClobberMemory();
  }
  uint32_t Pixel(int x, int y) const
  {
    const unsigned char* row = cairo_image_surface_get_data(surface) + y * cairo_image_surface_get_stride(surface);
    return reinterpret_cast<const uint32_t*>(row)[x];
  }
};

// One batch of each library over opaque black, compared where either drew.
template <class Shape>
std::string CheckShapes(const ShapeCase<Shape>& c, bench::Quality* quality)
{
  RAST_SysBitmap back(kWidth, kHeight);
  const RAST_pixel black = RAST_RGBA(0, 0, 0, 255);
  RAST_Clear(&back, black);
  for (const Shape& shape : *c.shapes) c.raster(&back, shape);
  CairoTarget t(c.antialias);
  cairo_save(t.cr);
  cairo_set_source_rgba(t.cr, 0, 0, 0, 1);
  cairo_paint(t.cr);
  cairo_restore(t.cr);
  for (const Shape& shape : *c.shapes) c.cairo(t.cr, shape);
  cairo_surface_flush(t.surface);
  double differing = 0;
  *quality = bench::CompareDrawn(
      kWidth, kHeight, [&](int x, int y) { return back.getBits()[static_cast<size_t>(y) * back.getRowSpan() + x]; },
      [&](int x, int y) { return t.Pixel(x, y); }, black, 0xFF000000u, &differing);
  quality->against = "cairo";
  quality->note = std::string(c.note) + "; " + std::to_string(static_cast<int>(differing * 100 + 0.5)) +
                  " % of drawn pixels differ";
  return "";
}

template <class Shape>
void RasterBatches(benchmark::State& state, const ShapeCase<Shape>& c)
{
  if (!bench::CheckOnce(state, c.name, [&c](bench::Quality* q) { return CheckShapes(c, q); })) return;
  RAST_SysBitmap back(kWidth, kHeight);
  for (auto _ : state)
  {
    for (const Shape& shape : *c.shapes) c.raster(&back, shape);
    benchmark::ClobberMemory();
  }
  bench::SetRate(state, kRate, static_cast<double>(c.shapes->size()));
}

template <class Shape>
void CairoBatches(benchmark::State& state, const ShapeCase<Shape>& c)
{
  CairoTarget t(c.antialias);
  for (auto _ : state)
  {
    for (const Shape& shape : *c.shapes) c.cairo(t.cr, shape);
    t.Done();
  }
  bench::SetRate(state, kRate, static_cast<double>(c.shapes->size()));
}

// ---- the shapes of each library ----

template <bool AntiAliased>
void RasterLine(RAST_IBitmap* back, const Line& l)
{
  RAST_Line(back, l.x1, l.y1, l.x2, l.y2, kColor, 1.0f, 0, AntiAliased);
}

void RasterDisc(RAST_IBitmap* back, const Disc& d) { RAST_FillCircle(back, d.cx, d.cy, d.r, kColor, 1.0f, 0, true); }

void RasterPolygon(RAST_IBitmap* back, const Polygon& p)
{
  RAST_FillConvexPolygon(back, p.x.data(), p.y.data(), 6, kColor, 1.0f, 0);
}

// Tolerance 0 (one segment per pixel of control polygon), as the GUI's
// equaliser draws its response.
void RasterCurve(RAST_IBitmap* back, const Curve& c)
{
  RAST_DrawQBezier(back, c.x0, c.y0, c.xc, c.yc, c.x1, c.y1, kColor, 1.0f, 0, true, 0.0f);
}

// One stroke per line, through pixel centres, as the GUI draws them one call
// at a time.
void CairoLine(cairo_t* cr, const Line& l)
{
  cairo_move_to(cr, l.x1 + 0.5, l.y1 + 0.5);
  cairo_line_to(cr, l.x2 + 0.5, l.y2 + 0.5);
  cairo_stroke(cr);
}

void CairoDisc(cairo_t* cr, const Disc& d)
{
  cairo_arc(cr, d.cx + 0.5, d.cy + 0.5, d.r, 0, kTwoPi);
  cairo_fill(cr);
}

void CairoPolygon(cairo_t* cr, const Polygon& p)
{
  cairo_move_to(cr, p.x[0], p.y[0]);
  for (int k = 1; k < 6; ++k) cairo_line_to(cr, p.x[k], p.y[k]);
  cairo_close_path(cr);
  cairo_fill(cr);
}

// The quadratic as the cubic with controls two thirds of the way to its
// control point, through pixel centres as the lines.
void CairoCurve(cairo_t* cr, const Curve& c)
{
  cairo_save(cr);
  cairo_translate(cr, 0.5, 0.5);
  cairo_move_to(cr, c.x0, c.y0);
  cairo_curve_to(cr, c.x0 + 2.0 / 3 * (c.xc - c.x0), c.y0 + 2.0 / 3 * (c.yc - c.y0), c.x1 + 2.0 / 3 * (c.xc - c.x1),
                 c.y1 + 2.0 / 3 * (c.yc - c.y1), c.x1, c.y1);
  cairo_restore(cr);
  cairo_stroke(cr);
}

const ShapeCase<Line> kLineAliasedCase{"line_aliased", &kLines, &RasterLine<false>, &CairoLine, CAIRO_ANTIALIAS_NONE,
                                   "other pixel choice at half-way steps"};
const ShapeCase<Line> kLineSmoothCase{"line_antialiased", &kLines, &RasterLine<true>, &CairoLine,
                                  CAIRO_ANTIALIAS_DEFAULT, "two-pixel coverage split, not exact area"};
const ShapeCase<Disc> kDiscsCase{"disc_antialiased", &kDiscs, &RasterDisc, &CairoDisc, CAIRO_ANTIALIAS_DEFAULT,
                             "own edge coverage, not exact area"};
const ShapeCase<Polygon> kPolygonsCase{"polygon_aliased", &kPolygons, &RasterPolygon, &CairoPolygon,
                                       CAIRO_ANTIALIAS_NONE, "own edge rule"};
const ShapeCase<Curve> kCurvesCase{"bezier_antialiased", &kCurves, &RasterCurve, &CairoCurve,
                                   CAIRO_ANTIALIAS_DEFAULT, "chains of coverage-split lines, not exact area"};

template <class Shape>
void Add(bench::RatioBench& bench, const ShapeCase<Shape>& c)
{
  bench.Add(
      c.name, [&c](benchmark::State& state) { RasterBatches(state, c); }, "cairo",
      [&c](benchmark::State& state) { CairoBatches(state, c); });
}
}  // namespace

int main(int argc, char** argv)
{
  bench::RatioBench bench({kRate, "raster", "the raster library", "case (2280 x 1600)", 0, {}});
  Add(bench, kLineAliasedCase);
  Add(bench, kLineSmoothCase);
  Add(bench, kDiscsCase);
  Add(bench, kPolygonsCase);
  Add(bench, kCurvesCase);
  return bench.Run(argc, argv);
}
