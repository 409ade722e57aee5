// The window-size and scale manager on the classic skin, set up as the
// editor sets it up: one corner-drag step (new scale, every control placed
// anew, the surface resized, the plain fill shown: the artwork waits) and
// the release, which resamples the whole skin at the new scale. Each case
// checks what it produced before it is timed (the release also that the
// widest vector passes give the SSE2 reference's pixels, and that the kept
// colour indices give the image files' pixels); a budget line with
// wall-clock and processor times follows the run.
//
// The release does not decode the image files again: the decoded originals
// of the classic skin (54 files at twice their size, about 131 MB) are kept
// from the start as colour indices (about 30 MB; decoding took half of the
// release); files of more than 256 colours are read again.
#include "core/IParam.h"
#include "core/IUnitBase.h"
#include "graphics/IGraphicsHeadless.h"
#include "graphics/resize/IUnitGUIResize.h"
#include "raster/RAST_Bitmap.h"
#include "raster/RAST_PNG.h"
#include "raster/RAST_Pixel.h"
#include "raster/RAST_Simd.h"
#include "tools/artgen/ArtGallery.h"

#include <benchmark/benchmark.h>

#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace
{
constexpr int kWidth = 1140, kHeight = 800;
// A drag to (1455, 1455) gives scale 2910 / 1940 = 1.5, the window 1710 x
// 1200; the step alternates with a pixel further right.
constexpr int kDragX = 1455, kDragY = 1455;

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

// The classic skin's controls on the editor's window with its manager,
// opened at scale 1.0; the settings go to a fresh temporary folder.
struct ResizableSkin
{
  BenchUnit unit;
  IGraphicsHeadless* gui = new IGraphicsHeadless(&unit, kWidth, kHeight);  // owned by the unit
  IUnitGUIResize* manager = nullptr;                                        // owned by the surface
  std::vector<IBitmap*> large;  // the full-window images and overlays
  std::vector<const ArtRow*> largeRows;
  std::vector<IBitmap*> all;  // every image, large or small
  std::vector<const ArtRow*> allRows;
  char folder[64] = "/tmp/zephra-resize-XXXXXX";

  ResizableSkin()
  {
    setenv("ZEPHRA_RESOURCES_DIR", ZEPHRA_BUILD_RESOURCES, 1);
    IGraphics::ClearCachesForTest();
    IUnitGUIResize::ResetProcessStateForTest();
    if (!mkdtemp(folder)) folder[0] = '\0';
    gui->SetPath("appsupport", folder);
    gui->SetBitmapDivisor(2);
    std::vector<const ArtRow*> small;
    std::vector<IBitmap*> bitmaps;
    for (size_t i = 0; i < kArtTableSize; ++i)
    {
      const ArtRow& row = kArtTable[i];
      if (strncmp(row.path, "img/orig/", 9) != 0) continue;
      IBitmap* bitmap = gui->LoadIBitmap(row.id, row.path, row.frames);
      all.push_back(bitmap);
      allRows.push_back(&row);
      if (ArtIsLarge(row))
      {
        large.push_back(bitmap);
        largeRows.push_back(&row);
      }
      else
      {
        small.push_back(&row);
        bitmaps.push_back(bitmap);
      }
    }
    for (size_t l = 0; l < large.size(); ++l)
      gui->AttachControl(ArtControlFor(*largeRows[l], &unit, large[l], 0, 0, -1, 0.0));
    ArtAttachFlow(gui, &unit, small, bitmaps, 0);

    manager = new IUnitGUIResize(&unit, gui, 16, 16);
    manager->EnableGUIResizing();
    manager->SelectViewMode(0);
    manager->SetGUIScaleLimits(50.0, 200.0);
    manager->SetWindowSizeLimits(0, 570.0, 400.0, 2280.0, 1600.0);
    manager->UseHandleForGUIScaling(true);
    unit.SetGUIResize(manager);
    unit.AttachGraphics(gui);
    gui->OpenWindow(nullptr);
    unit.ResizeAtGUIOpen();
    while (gui->RunFrame()) {}
  }
  ~ResizableSkin()
  {
    unit.SetGUIResize(nullptr);
    IUnitGUIResize::ResetProcessStateForTest();
    IGraphics::ClearCachesForTest();
    if (folder[0])
    {
      const std::string clean = std::string("rm -rf ") + folder;
      if (std::system(clean.c_str()) != 0) fprintf(stderr, "could not remove %s\n", folder);
    }
  }

  void Press()
  {
    IMouseMod mod(true, false);
    gui->OnMouseDown(gui->Width() - 8, gui->Height() - 8, &mod);
  }
  // One drag step and the frame that shows it.
  void DragStep(int step)
  {
    IMouseMod mod(true, false);
    gui->OnMouseDrag(kDragX + (step % 2), kDragY, &mod);
    gui->RunFrame();
  }
  void Release()
  {
    IMouseMod mod(true, false);
    gui->OnMouseUp(kDragX, kDragY, &mod);
  }
  // Every large single-picture image at its base size times 1 + half / 2
  // (half 0 or 1); the table's sizes are even.
  bool LargeAt(int half) const
  {
    int checked = 0;
    for (size_t l = 0; l < large.size(); ++l)
    {
      const ArtRow& row = *largeRows[l];
      if (row.frames != 1 || row.w % 2 || row.h % 2) continue;
      if (large[l]->W != row.w + half * row.w / 2 || large[l]->H != row.h + half * row.h / 2) return false;
      ++checked;
    }
    return checked > 0;
  }
  // True when every image holds what resampling its file, read afresh,
  // gives at the image's size: the release works from colour indices kept
  // since the start, not from the files.
  bool MatchesTheFiles() const
  {
    for (size_t i = 0; i < all.size(); ++i)
    {
      RAST_IBitmap* pixels = all[i]->mData;
      if (!pixels) continue;
      std::unique_ptr<RAST_IBitmap> file(RAST_LoadPNGFromNamedResource(allRows[i]->path, nullptr));
      if (!file) return false;
      RAST_MemBitmap reference(pixels->getWidth(), pixels->getHeight(), 4);
      IGraphics::ResampleBitmap(file.get(), &reference, all[i]->N, all[i]->mFramesAreHoriz);
      for (int y = 0; y < pixels->getHeight(); ++y)
        if (memcmp(reference.getBits() + y * reference.getRowSpan(), pixels->getBits() + y * pixels->getRowSpan(),
                   sizeof(RAST_pixel) * static_cast<size_t>(pixels->getWidth())) != 0)
          return false;
    }
    return true;
  }
  // FNV-1a over the sizes and pixels of every image, in load order.
  uint64_t Digest() const
  {
    uint64_t h = 14695981039346656037ull;
    auto mix = [&h](uint32_t v) {
      for (int b = 0; b < 4; ++b) h = (h ^ (v >> (8 * b) & 0xffu)) * 1099511628211ull;
    };
    for (const IBitmap* bitmap : all)
    {
      RAST_IBitmap* pixels = bitmap->mData;
      if (!pixels) continue;
      mix(static_cast<uint32_t>(pixels->getWidth()));
      mix(static_cast<uint32_t>(pixels->getHeight()));
      for (int y = 0; y < pixels->getHeight(); ++y)
        for (int x = 0; x < pixels->getWidth(); ++x) mix(pixels->getBits()[y * pixels->getRowSpan() + x]);
    }
    return h;
  }
};

// The step at 1.5: the window is 1710 x 1200 and shows the plain fill, the
// artwork is still at 1.0.
std::string CheckDragStep(ResizableSkin& skin)
{
  skin.DragStep(0);
  if (!skin.manager->IsDragging()) return "the press did not start a drag";
  if (skin.manager->GetGUIScaleRatio() != 1.5) return "the scale is not 1.5";
  if (skin.gui->Width() != 1710 || skin.gui->Height() != 1200) return "the window is not 1710 x 1200";
  RAST_IBitmap* screen = skin.gui->GetScreen();
  if (screen->getWidth() != 1710 || screen->getHeight() != 1200) return "the screen is not 1710 x 1200";
  const RAST_pixel corner = screen->getBits()[1199 * screen->getRowSpan() + 1709];
  if (corner != RAST_RGBA(25, 25, 25, 255)) return "the drag does not show the plain fill";
  if (!skin.LargeAt(0)) return "the artwork was resampled during the drag";
  return "";
}

// The release at 1.5 resamples the artwork: the main background becomes
// 1710 x 1200, the pixels at the widest vector level are those of the SSE2
// reference passes, and those of the image files read again.
std::string CheckRelease(ResizableSkin& skin)
{
  uint64_t digest[2] = {0, 0};
  const RAST_SimdLevel levels[2] = {RAST_SimdLevel::SSE2, RAST_SupportedSimdLevel()};
  for (int i = 0; i < 2; ++i)
  {
    RAST_SetSimdLevel(levels[i]);
    skin.Press();
    skin.DragStep(0);
    skin.Release();
    if (skin.manager->IsDragging()) return "the release did not end the drag";
    if (!skin.LargeAt(1)) return "the artwork is not at 1.5 after the release";
    digest[i] = skin.Digest();
  }
  if (digest[0] != digest[1]) return "the vector passes give other pixels than the reference";
  if (!skin.MatchesTheFiles()) return "the release gives other pixels than the image files";
  return "";
}

void BM_CornerDragStep(benchmark::State& state)
{
  ResizableSkin skin;
  skin.Press();
  const std::string fault = CheckDragStep(skin);
  if (!fault.empty()) return state.SkipWithError(fault.c_str());
  int step = 0;
  for (auto _ : state) skin.DragStep(++step);
}
BENCHMARK(BM_CornerDragStep)->Unit(benchmark::kMillisecond);

void BM_ReleaseResamplesClassicSkin(benchmark::State& state)
{
  ResizableSkin skin;
  const std::string fault = CheckRelease(skin);
  if (!fault.empty()) return state.SkipWithError(fault.c_str());
  for (auto _ : state)
  {
    state.PauseTiming();
    skin.Press();
    skin.DragStep(0);
    state.ResumeTiming();
    skin.Release();
  }
}
BENCHMARK(BM_ReleaseResamplesClassicSkin)->Unit(benchmark::kMillisecond);

// Wall-clock and processor milliseconds per run of fn: on a machine shared
// with other work the first also counts the time spent waiting for a core.
struct Milliseconds
{
  double wall = 0.0, cpu = 0.0;
};

double CpuMilliseconds()
{
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

template <class Fn>
Milliseconds MillisecondsPerRun(int runs, Fn fn)
{
  Milliseconds total;
  for (int i = 0; i < runs; ++i)
  {
    const auto t0 = std::chrono::steady_clock::now();
    const double c0 = CpuMilliseconds();
    fn(i);
    total.cpu += CpuMilliseconds() - c0;
    total.wall += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
  }
  return {total.wall / runs, total.cpu / runs};
}

void PrintBudgets()
{
  ResizableSkin skin;
  skin.Press();
  const Milliseconds step = MillisecondsPerRun(200, [&](int i) { skin.DragStep(i); });
  skin.Release();
  Milliseconds release;
  for (int i = 0; i < 5; ++i)
  {
    skin.Press();
    skin.DragStep(0);
    const Milliseconds one = MillisecondsPerRun(1, [&](int) { skin.Release(); });
    release.wall += one.wall / 5;
    release.cpu += one.cpu / 5;
  }
  printf("\nbudgets (wall / processor ms): corner-drag step %.2f / %.2f (4), release resampling the classic skin "
         "at 1.5 %.1f / %.1f (250)\n",
         step.wall, step.cpu, release.wall, release.cpu);
}
}  // namespace

int main(int argc, char** argv)
{
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  PrintBudgets();
  return 0;
}
