// One frame of captions: 200 short value texts drawn into the 1140 x 800 back
// buffer, the way the panels redraw their captions. Side by side:
//   - the cached font's glyph path with a warm cache (the raster library's
//     own blending of cached coverage);
//   - the cached font's native path (the window layer lays out and draws
//     each caption, converting only the caption's box of the back buffer);
//   - cairo with the text layout drawing the same strings onto a cairo image
//     in its own pixel format, laying them out every frame and, as a best
//     case, from layouts made once.
// Before timing, each cached-font path draws a frame over black beside the
// text layout's and records how far the pixels either drew lie apart (the
// glyph path places cached coverage at whole pixels and blends it itself).
#include "bench/BenchPixels.h"
#include "bench/BenchReport.h"
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
      const int top = row * (kCellH + 20);
      out.push_back({text, RECT{col * kCellW, top, col * kCellW + kCellW, top + kCellH}});
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

// The caption's left end when centred in its cell, as the other paths do.
double CentredX(const Caption& c, double width)
{
  return c.rect.left + (c.rect.right - c.rect.left - width) / 2;
}

constexpr PLAT_Color kTextColor{220 / 255.0, 220 / 255.0, 220 / 255.0, 1};

// A frame of the cached font with flags against the text layout's, both over
// opaque black.
std::string CheckFrame(int flags, const char* note, bench::Quality* quality)
{
  RAST_SysBitmap back(kWidth, kHeight);
  const RAST_pixel black = RAST_RGBA(0, 0, 0, 255);
  RAST_Clear(&back, black);
  auto font = MakeFont(flags);
  DrawFrame(*font, back);
  std::unique_ptr<PLAT_Canvas> canvas = PLAT_Canvas::CreateImage(kWidth, kHeight);
  std::unique_ptr<PLAT_Font> layoutFont = PLAT_GetTextEngine()->CreateFont("DejaVu Sans Mono", 10);
  if (!canvas || !layoutFont) return "the text layout is not available";
  canvas->FillRect(0, 0, kWidth, kHeight, PLAT_Color{0, 0, 0, 1});
  for (const Caption& c : Captions())
  {
    std::unique_ptr<PLAT_TextLayout> layout = layoutFont->Layout(c.text.data(), c.text.size(), PLAT_Antialias::Default);
    const PLAT_LineMetrics m = layout->GetLine(0);
    layout->DrawLine(canvas.get(), 0, CentredX(c, m.width), c.rect.top + m.ascent, kTextColor);
  }
  double differing = 0;
  *quality = bench::CompareDrawn(
      kWidth, kHeight, [&](int x, int y) { return back.getBits()[static_cast<size_t>(y) * back.getRowSpan() + x]; },
      [&](int x, int y) { return canvas->GetPixel(x, y); }, black, 0xFF000000u, &differing);
  quality->against = "cairo";
  quality->note = std::string(note) + "; " + std::to_string(static_cast<int>(differing * 100 + 0.5)) +
                  " % of drawn pixels differ";
  return "";
}

void BM_CachedFontGlyphsWarm(benchmark::State& state)
{
  if (!bench::CheckOnce(state, "glyphs", [](bench::Quality* q) {
        return CheckFrame(0, "cached coverage at whole pixels", q);
      }))
    return;
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
  if (!bench::CheckOnce(state, "native", [](bench::Quality* q) {
        return CheckFrame(RAST_FONT_FLAG_FORCE_NATIVE, "laid out by the window layer", q);
      }))
    return;
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

void BM_CairoLayoutEveryFrame(benchmark::State& state)
{
  std::unique_ptr<PLAT_Canvas> canvas = PLAT_Canvas::CreateImage(kWidth, kHeight);
  std::unique_ptr<PLAT_Font> font = PLAT_GetTextEngine()->CreateFont("DejaVu Sans Mono", 10);
  const PLAT_Color color = kTextColor;
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
  const PLAT_Color color = kTextColor;
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
