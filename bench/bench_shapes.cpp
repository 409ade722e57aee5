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
#include "raster/RAST_Bezier.h"
#include "raster/RAST_Bitmap.h"
#include "raster/RAST_Circle.h"
#include "raster/RAST_Line.h"
#include "raster/RAST_Polygon.h"

#include <benchmark/benchmark.h>
#include <cairo.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <map>
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

void CountShapes(benchmark::State& state, size_t perIteration)
{
  state.counters["shapes/s"] = benchmark::Counter(static_cast<double>(perIteration * state.iterations()),
                                                  benchmark::Counter::kIsRate);
}

// ---- the raster library ----

template <bool AntiAliased>
void RasterLines(benchmark::State& state)
{
  RAST_SysBitmap back(kWidth, kHeight);
  for (auto _ : state)
  {
    for (const Line& l : kLines) RAST_Line(&back, l.x1, l.y1, l.x2, l.y2, kColor, 1.0f, 0, AntiAliased);
    benchmark::ClobberMemory();
  }
  CountShapes(state, kLines.size());
}

void RasterDiscs(benchmark::State& state)
{
  RAST_SysBitmap back(kWidth, kHeight);
  for (auto _ : state)
  {
    for (const Disc& d : kDiscs) RAST_FillCircle(&back, d.cx, d.cy, d.r, kColor, 1.0f, 0, true);
    benchmark::ClobberMemory();
  }
  CountShapes(state, kDiscs.size());
}

void RasterPolygons(benchmark::State& state)
{
  RAST_SysBitmap back(kWidth, kHeight);
  for (auto _ : state)
  {
    for (const Polygon& p : kPolygons) RAST_FillConvexPolygon(&back, p.x.data(), p.y.data(), 6, kColor, 1.0f, 0);
    benchmark::ClobberMemory();
  }
  CountShapes(state, kPolygons.size());
}

void RasterCurves(benchmark::State& state)
{
  RAST_SysBitmap back(kWidth, kHeight);
  for (auto _ : state)
  {
    // Tolerance 0 (one segment per pixel of control polygon), as the GUI's
    // equaliser draws its response.
    for (const Curve& c : kCurves)
      RAST_DrawQBezier(&back, c.x0, c.y0, c.xc, c.yc, c.x1, c.y1, kColor, 1.0f, 0, true, 0.0f);
    benchmark::ClobberMemory();
  }
  CountShapes(state, kCurves.size());
}

// ---- cairo ----

struct CairoTarget
{
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kWidth, kHeight);
  cairo_t* cr = cairo_create(surface);

  CairoTarget()
  {
    cairo_set_source_rgba(cr, 230 / 255.0, 180 / 255.0, 60 / 255.0, 1.0);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_line_width(cr, 1.0);
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

template <bool AntiAliased>
void CairoLines(benchmark::State& state)
{
  CairoTarget t;
  cairo_set_antialias(t.cr, AntiAliased ? CAIRO_ANTIALIAS_DEFAULT : CAIRO_ANTIALIAS_NONE);
  for (auto _ : state)
  {
    // One stroke per line, through pixel centres, as the GUI draws them one
    // call at a time.
    for (const Line& l : kLines)
    {
      cairo_move_to(t.cr, l.x1 + 0.5, l.y1 + 0.5);
      cairo_line_to(t.cr, l.x2 + 0.5, l.y2 + 0.5);
      cairo_stroke(t.cr);
    }
    t.Done();
  }
  CountShapes(state, kLines.size());
}

void CairoDiscs(benchmark::State& state)
{
  CairoTarget t;
  for (auto _ : state)
  {
    for (const Disc& d : kDiscs)
    {
      cairo_arc(t.cr, d.cx + 0.5, d.cy + 0.5, d.r, 0, kTwoPi);
      cairo_fill(t.cr);
    }
    t.Done();
  }
  CountShapes(state, kDiscs.size());
}

void CairoPolygons(benchmark::State& state)
{
  CairoTarget t;
  cairo_set_antialias(t.cr, CAIRO_ANTIALIAS_NONE);
  for (auto _ : state)
  {
    for (const Polygon& p : kPolygons)
    {
      cairo_move_to(t.cr, p.x[0], p.y[0]);
      for (int k = 1; k < 6; ++k) cairo_line_to(t.cr, p.x[k], p.y[k]);
      cairo_close_path(t.cr);
      cairo_fill(t.cr);
    }
    t.Done();
  }
  CountShapes(state, kPolygons.size());
}

void CairoCurves(benchmark::State& state)
{
  CairoTarget t;
  for (auto _ : state)
  {
    for (const Curve& c : kCurves)
    {
      // The quadratic as the cubic with controls two thirds of the way to
      // its control point.
      cairo_move_to(t.cr, c.x0, c.y0);
      cairo_curve_to(t.cr, c.x0 + 2.0 / 3 * (c.xc - c.x0), c.y0 + 2.0 / 3 * (c.yc - c.y0),
                     c.x1 + 2.0 / 3 * (c.xc - c.x1), c.y1 + 2.0 / 3 * (c.yc - c.y1), c.x1, c.y1);
      cairo_stroke(t.cr);
    }
    t.Done();
  }
  CountShapes(state, kCurves.size());
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
      const auto it = run.counters.find("shapes/s");
      if (it == run.counters.end()) continue;
      const std::string name = run.run_name.function_name;
      const size_t slash = name.rfind('/');
      mRates[name.substr(0, slash)][name.substr(slash + 1)] = it->second.value;
    }
  }

  void Finalize() override
  {
    ConsoleReporter::Finalize();
    std::printf("\n%-22s %16s %16s %8s\n", "case (2280 x 1600)", "raster shapes/s", "cairo shapes/s", "ratio");
    for (const auto& [name, rates] : mRates)
    {
      const auto r = rates.find("raster"), c = rates.find("cairo");
      if (r == rates.end() || c == rates.end()) continue;
      std::printf("%-22s %16.0f %16.0f %8.2f\n", name.c_str(), r->second, c->second, r->second / c->second);
    }
    std::printf("ratio = raster / cairo; above 1 the raster library is faster.\n");
  }

private:
  std::map<std::string, std::map<std::string, double>> mRates;
};

void Register(const char* name, void (*raster)(benchmark::State&), void (*cairo)(benchmark::State&))
{
  benchmark::RegisterBenchmark((std::string(name) + "/raster").c_str(), raster)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark((std::string(name) + "/cairo").c_str(), cairo)->Unit(benchmark::kMillisecond);
}
}  // namespace

int main(int argc, char** argv)
{
  Register("line_aliased", &RasterLines<false>, &CairoLines<false>);
  Register("line_antialiased", &RasterLines<true>, &CairoLines<true>);
  Register("disc_antialiased", &RasterDiscs, &CairoDiscs);
  Register("polygon_aliased", &RasterPolygons, &CairoPolygons);
  Register("bezier_antialiased", &RasterCurves, &CairoCurves);

  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
