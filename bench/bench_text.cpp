// One frame of captions: 200 short value texts drawn into the 1140 x 800 back
// buffer, the way the panels redraw their captions. Side by side:
//   - the cached font's glyph path with a warm cache (the raster library's
//     own blending of cached coverage);
//   - the cached font's native path (the window layer lays out and draws
//     each caption, converting only the caption's box of the back buffer);
//   - cairo with the text layout drawing the same strings onto a cairo image
//     in its own pixel format, laying them out every frame and, as a best
//     case, from layouts made once.
#include "platform/PLAT_Canvas.h"
#include "platform/PLAT_Text.h"
#include "raster/RAST_Bitmap.h"
#include "raster/RAST_CachedFont.h"
#include "raster/RAST_Rect.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace
{
constexpr int kWidth = 1140;
constexpr int kHeight = 800;
constexpr int kCaptions = 200;
constexpr int kCellW = 90;
constexpr int kCellH = 16;

struct Caption
{
  std::string text;
  RECT rect;
};

const std::vector<Caption>& Captions()
{
  static const std::vector<Caption> captions = [] {
    const char* const kNames[] = {"Cutoff", "Reso", "Env Amt", "Attack", "Decay", "Sustain", "Release",
                                  "LFO Rate", "Detune", "Glide", "Drive", "Mix"};
    std::vector<Caption> out;
    for (int i = 0; i < kCaptions; ++i)
    {
      char text[32];
      snprintf(text, sizeof(text), "%s %d", kNames[i % 12], (i * 37) % 128 - 64);
      const int col = i % (kWidth / kCellW), row = i / (kWidth / kCellW);
      out.push_back({text, RECT{col * kCellW, row * (kCellH + 20), col * kCellW + kCellW, row * (kCellH + 20) + kCellH}});
    }
    return out;
  }();
  return captions;
}

std::unique_ptr<RAST_CachedFont> MakeFont(int flags)
{
  auto font = std::make_unique<RAST_CachedFont>();
  font->SetFromHFont(CreateFont(10, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "Monaco"),
                     flags | RAST_FONT_FLAG_OWNS_HFONT);
  font->SetTextColor(RAST_RGBA(220, 220, 220, 255));
  return font;
}

void DrawFrame(RAST_CachedFont& font, RAST_IBitmap& bm)
{
  for (const Caption& c : Captions())
  {
    RECT r = c.rect;
    font.DrawText(&bm, c.text.c_str(), -1, &r, DT_CENTER | DT_NOCLIP);
  }
}

void BM_CachedFontGlyphsWarm(benchmark::State& state)
{
  RAST_SysBitmap back(kWidth, kHeight);
  auto font = MakeFont(0);
  DrawFrame(*font, back);  // fills the glyph cache
  for (auto _ : state)
  {
    DrawFrame(*font, back);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kCaptions);
}
BENCHMARK(BM_CachedFontGlyphsWarm)->Unit(benchmark::kMicrosecond);

void BM_CachedFontNative(benchmark::State& state)
{
  RAST_SysBitmap back(kWidth, kHeight);
  auto font = MakeFont(RAST_FONT_FLAG_FORCE_NATIVE);
  DrawFrame(*font, back);
  for (auto _ : state)
  {
    DrawFrame(*font, back);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kCaptions);
}
BENCHMARK(BM_CachedFontNative)->Unit(benchmark::kMicrosecond);

// The caption's left end when centred in its cell, as the other paths do.
double CentredX(const Caption& c, double width)
{
  return c.rect.left + (c.rect.right - c.rect.left - width) / 2;
}

void BM_CairoLayoutEveryFrame(benchmark::State& state)
{
  std::unique_ptr<PLAT_Canvas> canvas = PLAT_Canvas::CreateImage(kWidth, kHeight);
  std::unique_ptr<PLAT_Font> font = PLAT_GetTextEngine()->CreateFont("DejaVu Sans Mono", 10);
  const PLAT_Color color{220 / 255.0, 220 / 255.0, 220 / 255.0, 1};
  for (auto _ : state)
  {
    for (const Caption& c : Captions())
    {
      std::unique_ptr<PLAT_TextLayout> layout = font->Layout(c.text.data(), c.text.size(), PLAT_Antialias::Default);
      const PLAT_LineMetrics m = layout->GetLine(0);
      layout->DrawLine(canvas.get(), 0, CentredX(c, m.width), c.rect.top + m.ascent, color);
    }
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kCaptions);
}
BENCHMARK(BM_CairoLayoutEveryFrame)->Unit(benchmark::kMicrosecond);

void BM_CairoLayoutsMadeOnce(benchmark::State& state)
{
  std::unique_ptr<PLAT_Canvas> canvas = PLAT_Canvas::CreateImage(kWidth, kHeight);
  std::unique_ptr<PLAT_Font> font = PLAT_GetTextEngine()->CreateFont("DejaVu Sans Mono", 10);
  const PLAT_Color color{220 / 255.0, 220 / 255.0, 220 / 255.0, 1};
  std::vector<std::unique_ptr<PLAT_TextLayout>> layouts;
  for (const Caption& c : Captions())
    layouts.push_back(font->Layout(c.text.data(), c.text.size(), PLAT_Antialias::Default));
  for (auto _ : state)
  {
    for (size_t i = 0; i < layouts.size(); ++i)
    {
      const Caption& c = Captions()[i];
      const PLAT_LineMetrics m = layouts[i]->GetLine(0);
      layouts[i]->DrawLine(canvas.get(), 0, CentredX(c, m.width), c.rect.top + m.ascent, color);
    }
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kCaptions);
}
BENCHMARK(BM_CairoLayoutsMadeOnce)->Unit(benchmark::kMicrosecond);
}  // namespace

BENCHMARK_MAIN();
