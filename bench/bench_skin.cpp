// The classic skin's artwork through the GUI framework, side by side in one
// run: RescaleBitmaps of every image of the table at scale 1.0 (at every
// start, after the GUI build loaded the images, and on a later change of
// scale, from the colour indices kept since the start), the resampler
// against pixman scaling the same images to half with a box filter, the
// generator making all images and the user guide, a full repaint of every
// control of the table and a knob-drag frame. A budget line for each
// follows the run.
#include "bench/BenchReport.h"
#include "core/IParam.h"
#include "core/IUnitBase.h"
#include "graphics/IGraphicsHeadless.h"
#include "graphics/controls/IControl.h"
#include "raster/RAST_PNG.h"
#include "tools/artgen/ArtGallery.h"

#include <benchmark/benchmark.h>
#include <pixman.h>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace
{
constexpr int kWidth = 1140, kHeight = 800;

class BenchUnit : public IUnitBase
{
public:
  BenchUnit()
    : IUnitBase(400, "0-1 0-2", 1, "ZephraEditor", "", "brindleaudio", 0x30600, 1, 1, 0, true, false, false,
                kAPIStandalone)
  {
    for (int i = 0; i < NParams(); ++i) GetParam(i)->InitDouble("p", 0.0, 0.0, 1.0, 0.001);
  }
};

std::vector<const ArtRow*> ClassicRows()
{
  std::vector<const ArtRow*> rows;
  for (size_t i = 0; i < kArtTableSize; ++i)
    if (strncmp(kArtTable[i].path, "img/orig/", 9) == 0) rows.push_back(&kArtTable[i]);
  return rows;
}

// The classic table loaded on a window-sized surface, then rescaled to
// 1.0 unless loadOnly; with attach, full-window images at (0, 0) and the
// others through their controls in lines over them.
struct Skin
{
  BenchUnit unit;
  IGraphicsHeadless* gui = new IGraphicsHeadless(&unit, kWidth, kHeight);
  IControl* slider = nullptr;
  bool attached = false;  // the unit owns the surface then

  enum Stage
  {
    kLoaded,
    kRescaled,
    kAttached,
  };

  explicit Skin(Stage stage)
  {
    setenv("ZEPHRA_RESOURCES_DIR", ZEPHRA_BUILD_RESOURCES, 1);
    IGraphics::ClearCachesForTest();
    gui->SetBitmapDivisor(2);
    std::vector<const ArtRow*> small;
    std::vector<IBitmap*> bitmaps, large;
    for (const ArtRow* row : ClassicRows())
    {
      IBitmap* bitmap = gui->LoadIBitmap(row->id, row->path, row->frames);
      if (ArtIsLarge(*row))
        large.push_back(bitmap);
      else
      {
        small.push_back(row);
        bitmaps.push_back(bitmap);
      }
    }
    if (stage == kLoaded) return;
    gui->RescaleBitmaps(1.0);
    if (stage == kRescaled) return;
    const std::vector<const ArtRow*> rows = ClassicRows();
    size_t l = 0;
    for (const ArtRow* row : rows)
      if (ArtIsLarge(*row)) gui->AttachControl(ArtControlFor(*row, &unit, large[l++], 0, 0, -1, 0.0));
    for (const ArtGalleryItem& item : ArtAttachFlow(gui, &unit, small, bitmaps, 0))
      if (!slider && item.row->kind == ArtKind::kSlider) slider = item.control;
    unit.AttachGraphics(gui);
    attached = true;
    gui->OpenWindow(nullptr);
    while (gui->RunFrame()) {}
  }
  ~Skin()
  {
    if (!attached) delete gui;
  }

  void FullFrame()
  {
    gui->SetAllControlsDirty();
    gui->RunFrame();
  }

  // One drag step on the first slider and the frame that shows it.
  void DragFrame(int step)
  {
    const IRECT r = slider->GetRECT();
    IMouseMod mod(true, false);
    gui->OnMouseDrag((r.L + r.R) / 2, (r.T + r.B) / 2 + (step % 2), &mod);
    gui->RunFrame();
  }
};

// At start: every image is loaded (and decoded) while the GUI is built,
// then rescaled once.
void BM_RescaleClassicSkinAtStart(benchmark::State& state)
{
  for (auto _ : state)
  {
    state.PauseTiming();
    auto skin = std::make_unique<Skin>(Skin::kLoaded);
    state.ResumeTiming();
    skin->gui->RescaleBitmaps(1.0);
    state.PauseTiming();
    skin.reset();
    state.ResumeTiming();
  }
  IGraphics::ClearCachesForTest();
}
BENCHMARK(BM_RescaleClassicSkinAtStart)->Unit(benchmark::kMillisecond);

// A later change of scale expands the colour indices kept from the start
// (and reads again the files of more than 256 colours).
void BM_RescaleClassicSkinAgain(benchmark::State& state)
{
  Skin skin(Skin::kRescaled);
  for (auto _ : state) skin.gui->RescaleBitmaps(1.0);
  IGraphics::ClearCachesForTest();
}
BENCHMARK(BM_RescaleClassicSkinAgain)->Unit(benchmark::kMillisecond);

void BM_GenerateArtwork(benchmark::State& state)
{
  char folder[] = "/tmp/zephra-artgen-XXXXXX";
  if (!mkdtemp(folder)) return state.SkipWithError("no temporary folder");
  const std::string run = std::string(ZEPHRA_ARTGEN) + " " + folder, clean = std::string("rm -rf ") + folder;
  for (auto _ : state)
    if (std::system(run.c_str()) != 0) return state.SkipWithError("the generator failed");
  if (std::system(clean.c_str()) != 0) state.SkipWithError("could not remove the output");
}
BENCHMARK(BM_GenerateArtwork)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_DrawFullSkin(benchmark::State& state)
{
  Skin skin(Skin::kAttached);
  for (auto _ : state) skin.FullFrame();
  IGraphics::ClearCachesForTest();
}
BENCHMARK(BM_DrawFullSkin)->Unit(benchmark::kMillisecond);

void BM_SkinKnobDragFrame(benchmark::State& state)
{
  Skin skin(Skin::kAttached);
  IMouseMod mod(true, false);
  const IRECT r = skin.slider->GetRECT();
  skin.gui->OnMouseDown((r.L + r.R) / 2, (r.T + r.B) / 2, &mod);
  int step = 0;
  for (auto _ : state) skin.DragFrame(++step);
  IGraphics::ClearCachesForTest();
}
BENCHMARK(BM_SkinKnobDragFrame)->Unit(benchmark::kMicrosecond);

// ---- the resampler against pixman: every classic image to half size ----

struct Sources
{
  std::vector<std::unique_ptr<RAST_IBitmap>> images;
  double megapixels = 0;

  Sources()
  {
    for (const ArtRow* row : ClassicRows())
    {
      const std::string path = std::string(ZEPHRA_BUILD_RESOURCES) + "/" + row->path;
      std::unique_ptr<RAST_IBitmap> bm(RAST_LoadPNG(path.c_str(), nullptr));
      if (!bm) continue;
      megapixels += bm->getWidth() * static_cast<double>(bm->getHeight()) / 1e6;
      images.push_back(std::move(bm));
    }
  }
};

const Sources& TheSources()
{
  static Sources sources;
  return sources;
}

void ResampleImages(benchmark::State& state)
{
  const Sources& s = TheSources();
  std::vector<std::unique_ptr<RAST_MemBitmap>> out;
  for (const auto& src : s.images)
    out.push_back(std::make_unique<RAST_MemBitmap>(src->getWidth() / 2, src->getHeight() / 2, 4));
  for (auto _ : state)
    for (size_t i = 0; i < s.images.size(); ++i)
    {
      RAST_IBitmap* src = s.images[i].get();
      RAST_MemBitmap* dst = out[i].get();
      IGraphics::ResampleBitmapData(src->getRowSpan(), src->getWidth(), dst->getRowSpan(), dst->getWidth(),
                                    src->getBits(), dst->getBits(), src->getWidth(), src->getHeight(),
                                    dst->getWidth(), dst->getHeight());
      benchmark::ClobberMemory();
    }
  bench::SetRate(state, "MP/s", s.megapixels);
}

struct PixmanPair
{
  pixman_image_t* src;
  pixman_image_t* dst;
};

void PixmanImages(benchmark::State& state)
{
  const Sources& s = TheSources();
  std::vector<PixmanPair> pairs;
  pixman_transform_t half;
  pixman_transform_init_scale(&half, pixman_double_to_fixed(2.0), pixman_double_to_fixed(2.0));
  int nParams = 0;
  pixman_fixed_t* params = pixman_filter_create_separable_convolution(
      &nParams, pixman_double_to_fixed(2.0), pixman_double_to_fixed(2.0), PIXMAN_KERNEL_BOX, PIXMAN_KERNEL_BOX,
      PIXMAN_KERNEL_BOX, PIXMAN_KERNEL_BOX, 1, 1);
  for (const auto& bm : s.images)
  {
    const int w = bm->getWidth(), h = bm->getHeight();
    pixman_image_t* src = pixman_image_create_bits(PIXMAN_a8r8g8b8, w, h, nullptr, 0);
    uint32_t* bits = pixman_image_get_data(src);
    const int stride = pixman_image_get_stride(src) / 4;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
      {
        const RAST_pixel p = bm->getBits()[y * bm->getRowSpan() + x];
        const uint32_t a = static_cast<uint32_t>(RAST_GETA(p));
        bits[y * stride + x] = a << 24 | (RAST_GETR(p) * a / 255) << 16 | (RAST_GETG(p) * a / 255) << 8 |
                               (RAST_GETB(p) * a / 255);
      }
    pixman_image_set_transform(src, &half);
    pixman_image_set_filter(src, PIXMAN_FILTER_SEPARABLE_CONVOLUTION, params, nParams);
    pairs.push_back(PixmanPair{src, pixman_image_create_bits(PIXMAN_a8r8g8b8, w / 2, h / 2, nullptr, 0)});
  }
  free(params);
  for (auto _ : state)
    for (const PixmanPair& p : pairs)
    {
      pixman_image_composite32(PIXMAN_OP_SRC, p.src, nullptr, p.dst, 0, 0, 0, 0, 0, 0,
                               pixman_image_get_width(p.dst), pixman_image_get_height(p.dst));
      benchmark::ClobberMemory();
    }
  bench::SetRate(state, "MP/s", s.megapixels);
  for (const PixmanPair& p : pairs)
  {
    pixman_image_unref(p.src);
    pixman_image_unref(p.dst);
  }
}

// ---- budgets ----

template <class Fn>
double MillisecondsPerRun(int runs, Fn fn)
{
  const auto t0 = std::chrono::steady_clock::now();
  for (int i = 0; i < runs; ++i) fn(i);
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count() / runs;
}

void PrintBudgets()
{
  double atStart = 0, again, full, drag;
  for (int i = 0; i < 5; ++i)
  {
    Skin skin(Skin::kLoaded);
    atStart += MillisecondsPerRun(1, [&](int) { skin.gui->RescaleBitmaps(1.0); }) / 5;
  }
  {
    Skin skin(Skin::kRescaled);
    again = MillisecondsPerRun(5, [&](int) { skin.gui->RescaleBitmaps(1.0); });
  }
  {
    Skin skin(Skin::kAttached);
    full = MillisecondsPerRun(50, [&](int) { skin.FullFrame(); });
    IMouseMod mod(true, false);
    const IRECT r = skin.slider->GetRECT();
    skin.gui->OnMouseDown((r.L + r.R) / 2, (r.T + r.B) / 2, &mod);
    drag = MillisecondsPerRun(2000, [&](int i) { skin.DragFrame(i); });
  }
  IGraphics::ClearCachesForTest();
  printf("\nbudgets: rescale of the classic skin at start %.1f ms (150; %.1f ms for a later one), full repaint "
         "%.2f ms (8), knob-drag frame %.3f ms (1)\n",
         atStart, again, full, drag);
}
}  // namespace

int main(int argc, char** argv)
{
  bench::RatioBench bench({"MP/s", "resample", "ResampleBitmapData", "classic images to half size", 0, {}});
  bench.Add("classic_skin", &ResampleImages, "pixman", &PixmanImages);
  const int result = bench.Run(argc, argv);
  if (result == 0) PrintBudgets();
  return result;
}
