// The raster library's shapes against cairo on the GUI's back buffer
// (2280 x 1600), side by side in one run: 1-pixel lines without and with
// anti-aliasing, anti-aliased discs, aliased convex polygons and anti-aliased
// quadratic curves. Each iteration draws one fixed batch of random shapes
// (the same for both libraries) in copy mode at full alpha; each case reports
// shapes per second, and a table of both libraries and their ratio follows.
//
// The two are not the same rasterisers: cairo computes exact area coverage
// with 1-pixel-wide strokes, the raster library walks its lines with a
// two-pixel coverage split and its curves as chains of such lines. What is
// compared is the cost of drawing the same shapes into a buffer of the same
// size, which is what the GUI pays.
#include "bench/BenchReport.h"
#include "raster/RAST_Bezier.h"
#include "raster/RAST_Bitmap.h"
#include "raster/RAST_Circle.h"
#include "raster/RAST_Line.h"
#include "raster/RAST_Polygon.h"

#include <benchmark/benchmark.h>
#include <cairo.h>

#include <cmath>
#include <cstdint>
#include <random>
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

// Draws the whole batch each iteration, draw(shape) for every shape and
// done() after the batch, and reports the shapes per second.
template <class Shape, class Draw, class Done>
void DrawBatches(benchmark::State& state, const std::vector<Shape>& shapes, Draw draw, Done done)
{
  for (auto _ : state)
  {
    for (const Shape& shape : shapes) draw(shape);
    done();
  }
  bench::SetRate(state, kRate, static_cast<double>(shapes.size()));
}

// ---- the raster library ----

// A batch drawn into the back buffer by draw(bitmap, shape).
template <class Shape, class Draw>
void RasterBatches(benchmark::State& state, const std::vector<Shape>& shapes, Draw draw)
{
  RAST_SysBitmap back(kWidth, kHeight);
  DrawBatches(
      state, shapes, [&](const Shape& shape) { draw(&back, shape); }, [] { benchmark::ClobberMemory(); });
}

template <bool AntiAliased>
void RasterLines(benchmark::State& state)
{
  RasterBatches(state, kLines, [](RAST_IBitmap* back, const Line& l) {
    RAST_Line(back, l.x1, l.y1, l.x2, l.y2, kColor, 1.0f, 0, AntiAliased);
  });
}

void RasterDiscs(benchmark::State& state)
{
  RasterBatches(state, kDiscs, [](RAST_IBitmap* back, const Disc& d) {
    RAST_FillCircle(back, d.cx, d.cy, d.r, kColor, 1.0f, 0, true);
  });
}

void RasterPolygons(benchmark::State& state)
{
  RasterBatches(state, kPolygons, [](RAST_IBitmap* back, const Polygon& p) {
    RAST_FillConvexPolygon(back, p.x.data(), p.y.data(), 6, kColor, 1.0f, 0);
  });
}

void RasterCurves(benchmark::State& state)
{
  // Tolerance 0 (one segment per pixel of control polygon), as the GUI's
  // equaliser draws its response.
  RasterBatches(state, kCurves, [](RAST_IBitmap* back, const Curve& c) {
    RAST_DrawQBezier(back, c.x0, c.y0, c.xc, c.yc, c.x1, c.y1, kColor, 1.0f, 0, true, 0.0f);
  });
}

// ---- cairo ----

struct CairoTarget
{
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kWidth, kHeight);
  cairo_t* cr = cairo_create(surface);

  explicit CairoTarget(cairo_antialias_t antialias = CAIRO_ANTIALIAS_DEFAULT)
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
};

// A batch drawn onto a cairo image with the antialiasing given, by
// draw(cr, shape).
template <class Shape, class Draw>
void CairoBatches(benchmark::State& state, const std::vector<Shape>& shapes, cairo_antialias_t antialias, Draw draw)
{
  CairoTarget t(antialias);
  DrawBatches(
      state, shapes, [&](const Shape& shape) { draw(t.cr, shape); }, [&] { t.Done(); });
}

template <bool AntiAliased>
void CairoLines(benchmark::State& state)
{
  // One stroke per line, through pixel centres, as the GUI draws them one
  // call at a time.
  CairoBatches(state, kLines, AntiAliased ? CAIRO_ANTIALIAS_DEFAULT : CAIRO_ANTIALIAS_NONE,
               [](cairo_t* cr, const Line& l) {
                 cairo_move_to(cr, l.x1 + 0.5, l.y1 + 0.5);
                 cairo_line_to(cr, l.x2 + 0.5, l.y2 + 0.5);
                 cairo_stroke(cr);
               });
}

void CairoDiscs(benchmark::State& state)
{
  CairoBatches(state, kDiscs, CAIRO_ANTIALIAS_DEFAULT, [](cairo_t* cr, const Disc& d) {
    cairo_arc(cr, d.cx + 0.5, d.cy + 0.5, d.r, 0, kTwoPi);
    cairo_fill(cr);
  });
}

void CairoPolygons(benchmark::State& state)
{
  CairoBatches(state, kPolygons, CAIRO_ANTIALIAS_NONE, [](cairo_t* cr, const Polygon& p) {
    cairo_move_to(cr, p.x[0], p.y[0]);
    for (int k = 1; k < 6; ++k) cairo_line_to(cr, p.x[k], p.y[k]);
    cairo_close_path(cr);
    cairo_fill(cr);
  });
}

void CairoCurves(benchmark::State& state)
{
  // The quadratic as the cubic with controls two thirds of the way to its
  // control point.
  CairoBatches(state, kCurves, CAIRO_ANTIALIAS_DEFAULT, [](cairo_t* cr, const Curve& c) {
    cairo_move_to(cr, c.x0, c.y0);
    cairo_curve_to(cr, c.x0 + 2.0 / 3 * (c.xc - c.x0), c.y0 + 2.0 / 3 * (c.yc - c.y0), c.x1 + 2.0 / 3 * (c.xc - c.x1),
                   c.y1 + 2.0 / 3 * (c.yc - c.y1), c.x1, c.y1);
    cairo_stroke(cr);
  });
}
}  // namespace

int main(int argc, char** argv)
{
  bench::RatioBench bench({kRate, "raster", "the raster library", "case (2280 x 1600)", 0});
  bench.Add("line_aliased", &RasterLines<false>, "cairo", &CairoLines<false>);
  bench.Add("line_antialiased", &RasterLines<true>, "cairo", &CairoLines<true>);
  bench.Add("disc_antialiased", &RasterDiscs, "cairo", &CairoDiscs);
  bench.Add("polygon_aliased", &RasterPolygons, "cairo", &CairoPolygons);
  bench.Add("bezier_antialiased", &RasterCurves, "cairo", &CairoCurves);
  return bench.Run(argc, argv);
}
