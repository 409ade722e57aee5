// A deterministic text engine for tests that need exact pixels: every glyph is
// a solid block, so text drawn through the window layer and the raster
// library's font cache can be checked byte for byte.
//
// A font of size s has ascent 0.8 s, descent 0.2 s and no leading (or the
// metrics given). The advance of code c is s / 2 + c % 3. A glyph inks
// [x, x + advance) x [baseline - ascent, baseline) at full strength, except
// '1', '2' and '3', which ink at 130, 131 and 127 of 255, and '.', which
// inks the one pixel (x + 1, baseline - 2); spaces ink nothing.
#pragma once

#include "platform/PLAT_Text.h"

#include <memory>
#include <string>
#include <vector>

class FakeTextEngine : public PLAT_TextEngine
{
public:
  // Everything the engine was asked, for checks.
  int resolveCalls = 0;
  std::vector<std::string> createdFaces;
  std::string lastText;

  static int Advance(double size, unsigned code) { return static_cast<int>(size / 2) + static_cast<int>(code % 3); }

  static int Intensity(unsigned c) { return c == '1' ? 130 : c == '2' ? 131 : c == '3' ? 127 : c == ' ' ? 0 : 255; }

  class Layout : public PLAT_TextLayout
  {
  public:
    struct Line
    {
      std::vector<unsigned> codes;
      PLAT_LineMetrics metrics;
    };
    std::vector<Line> lines;
    double size = 0;

    int GetLineCount() const override { return static_cast<int>(lines.size()); }
    PLAT_LineMetrics GetLine(int i) const override
    {
      return i >= 0 && i < GetLineCount() ? lines[static_cast<size_t>(i)].metrics : PLAT_LineMetrics{};
    }
    void DrawLine(PLAT_Canvas* canvas, int i, double x, double baseline, PLAT_Color color) const override
    {
      if (i < 0 || i >= GetLineCount()) return;
      const Line& line = lines[static_cast<size_t>(i)];
      for (unsigned code : line.codes)
      {
        const int adv = Advance(size, code);
        const double k = Intensity(code) / 255.0;
        if (code == '.')
          canvas->FillRect(x + 1, baseline - 2, 1, 1, color);
        else if (k > 0)
          canvas->FillRect(x, baseline - line.metrics.ascent, adv, line.metrics.ascent,
                           PLAT_Color{color.r * k, color.g * k, color.b * k, 1.0});
        x += adv;
      }
    }
  };

  class Font : public PLAT_Font
  {
  public:
    Font(FakeTextEngine* engine, std::string name, double size, PLAT_FontMetrics metrics)
        : mEngine(engine), mName(std::move(name)), mSize(size), mMetrics(metrics) {}
    PLAT_FontMetrics GetMetrics() const override { return mMetrics; }
    std::string GetDisplayName() const override { return mName; }
    double GetSize() const override { return mSize; }
    std::unique_ptr<PLAT_TextLayout> Layout(const char* utf8, size_t len, PLAT_Antialias) const override
    {
      mEngine->lastText.assign(utf8, len);
      auto layout = std::make_unique<FakeTextEngine::Layout>();
      layout->size = mSize;
      layout->lines.emplace_back();
      for (size_t i = 0; i < len;)
      {
        // Valid UTF-8: a lead byte of n bytes keeps its low 7 - n bits.
        const unsigned char c = static_cast<unsigned char>(utf8[i]);
        const size_t n = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        unsigned code = n == 1 ? c : c & (0x7Fu >> n);
        for (size_t k = 1; k < n; ++k) code = code << 6 | (utf8[i + k] & 63u);
        i += n;
        if (code == '\n')
          layout->lines.emplace_back();
        else
          layout->lines.back().codes.push_back(code);
      }
      for (Layout::Line& line : layout->lines)
      {
        line.metrics = {0, mMetrics.ascent, mMetrics.descent, mMetrics.leading};
        for (unsigned code : line.codes) line.metrics.width += Advance(mSize, code);
      }
      return layout;
    }

  private:
    FakeTextEngine* mEngine;
    std::string mName;
    double mSize;
    PLAT_FontMetrics mMetrics;
  };

  // Metrics of the fonts made from now on; negative ascent: 0.8 s etc.
  PLAT_FontMetrics metricsOverride{-1, 0, 0};

  bool ResolveFaceName(const char* requested, std::string* resolved) override
  {
    ++resolveCalls;
    *resolved = std::string("Fake ") + requested;
    return true;
  }

  // Faces holding "Missing" do not exist.
  std::unique_ptr<PLAT_Font> CreateFont(const char* face, double size) override
  {
    createdFaces.push_back(face);
    if (std::string(face).find("Missing") != std::string::npos) return nullptr;
    return std::make_unique<Font>(this, face, size, MetricsFor(size));
  }

  std::unique_ptr<PLAT_Font> CreateLabelFont(double size) override
  {
    return std::make_unique<Font>(this, "Fake Label", size, MetricsFor(size));
  }

  const PLAT_Font* GetDefaultFont() override
  {
    if (!mDefault) mDefault = CreateLabelFont(10);
    return mDefault.get();
  }

private:
  PLAT_FontMetrics MetricsFor(double size) const
  {
    if (metricsOverride.ascent >= 0) return metricsOverride;
    return PLAT_FontMetrics{0.8 * size, 0.2 * size, 0};
  }

  std::unique_ptr<PLAT_Font> mDefault;
};

// Installs a fake engine for the life of the object.
class ScopedFakeText
{
public:
  ScopedFakeText() : mPrevious(PLAT_SetTextEngine(&engine)) {}
  ~ScopedFakeText() { PLAT_SetTextEngine(mPrevious); }
  ScopedFakeText(const ScopedFakeText&) = delete;
  ScopedFakeText& operator=(const ScopedFakeText&) = delete;

  FakeTextEngine engine;

private:
  PLAT_TextEngine* mPrevious;
};
