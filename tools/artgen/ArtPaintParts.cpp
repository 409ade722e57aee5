// Painters of the small controls: sliders, buttons, switches, lamps, check
// boxes, the seven-segment display, the keyboard, the manager's tiles.
#include "tools/artgen/ArtPaint.h"

#include "raster/RAST_Rect.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

namespace
{
// The n-th of the "a|b|c" parts.
std::string NthPart(const char* label, int n)
{
  std::string all = label ? label : "";
  for (int i = 0; i < n; ++i)
  {
    const size_t bar = all.find('|');
    if (bar == std::string::npos) return "";
    all = all.substr(bar + 1);
  }
  return all.substr(0, all.find('|'));
}

// The part of a "off|on" label for frame; a label without a bar serves both.
std::string LabelPart(const char* label, int frame)
{
  return label && strchr(label, '|') ? NthPart(label, frame) : std::string(label ? label : "");
}

struct FontSize
{
  int scale2, wide2;  // as ArtCanvas::Text2x takes them
};

// The largest font size in image pixels (up to 4, two base pixels) at
// which text fits in w x h base pixels; 3 keeps a long name 7.5 pixels tall
// at the base size where 4 would not fit, and the condensed face, as tall
// and as narrow as the least size, where 3 would not either.
FontSize FitSize(const std::string& text, int w, int h)
{
  for (FontSize f : {FontSize{4, 4}, FontSize{3, 3}, FontSize{3, 2}})
    if (ArtTextWidth(text, f.wide2) <= 2 * (w - 6) && ArtCanvas::kGlyphH * f.scale2 <= 2 * (h - 4)) return f;
  return {2, 2};
}

void CentredText(ArtCanvas* c, int x, int y, int w, int h, const std::string& text, RAST_pixel colour)
{
  const FontSize f = FitSize(text, w, h);
  c->Text2x(2 * x + w, 2 * y + (2 * h - ArtCanvas::kGlyphH * f.scale2) / 2, text.c_str(), colour, f.scale2, 1, f.wide2);
}
}  // namespace

// ---- sliders ----

void ArtPaintSlider(const ArtRow& row, const ArtTheme& t, ArtCanvas* c, int frame, int y0)
{
  // In image pixels: a groove down the middle and a handle whose top moves
  // from the bottom of the travel (frame 1) to its top (last frame). The
  // handle's edges cover their rows in part, so even 128 frames a fraction
  // of a pixel apart all differ.
  const int w2 = 2 * row.w, top0 = 2 * y0;
  const int lift = row.kind == ArtKind::kSlider ? t.sliderLift : 0;
  const int grooveTop = (row.kind == ArtKind::kShortSlider ? 32 : 20) - lift, grooveBottom = 86 - lift;
  const int handleH = 14;
  const int grooveW = row.kind == ArtKind::kRangeSlider ? 4 : 6;
  const int handleW = w2 - (row.kind == ArtKind::kRangeSlider ? 8 : 16);
  const int hx = (w2 - handleW) / 2, gx = (w2 - grooveW) / 2;
  const double v = row.frames > 1 ? static_cast<double>(frame) / (row.frames - 1) : 0.0;
  const double top = grooveTop + (1.0 - v) * (grooveBottom - grooveTop - handleH);

  c->Fill2x(gx, top0 + grooveTop, grooveW, grooveBottom - grooveTop, t.groove);
  // The lit part of the groove below the handle shows the value too.
  const int litTop = static_cast<int>(top) + handleH;
  if (litTop < grooveBottom) c->Fill2x(gx + 1, top0 + litTop, grooveW - 2, grooveBottom - litTop, t.accentDim);
  // Ticks at every step of a slider with few positions.
  if (row.frames <= 6 && row.frames > 1)
    for (int k = 0; k < row.frames; ++k)
    {
      const int ty = grooveTop + handleH / 2 +
                     static_cast<int>((1.0 - static_cast<double>(k) / (row.frames - 1)) *
                                      (grooveBottom - grooveTop - handleH));
      c->Fill2x(2, top0 + ty, hx - 4, 2, t.label);
    }

  RAST_pixel body = t.handle;
  if (row.kind == ArtKind::kRangeSlider)
  {
    const std::string colour = row.label;
    body = colour == "red" ? ArtRGB(220, 60, 50)
         : colour == "blue" ? ArtRGB(70, 120, 230)
         : colour == "purple" ? ArtRGB(170, 80, 210) : ArtRGB(70, 190, 90);
  }
  const int first = static_cast<int>(top);
  const double frac = top - first;
  RAST_IBitmap* bm = c->Bitmap();
  // Partial first and last rows, then the full rows between.
  RAST_FillRect(bm, hx, top0 + first, handleW, 1, body, static_cast<float>(1.0 - frac), RAST_BLIT_MODE_COPY);
  if (frac > 0.0)
    RAST_FillRect(bm, hx, top0 + first + handleH, handleW, 1, body, static_cast<float>(frac), RAST_BLIT_MODE_COPY);
  c->Fill2x(hx, top0 + first + 1, handleW, handleH - 1, body);
  c->Fill2x(hx, top0 + first + 1, handleW, 1, t.handleLight);
  c->Fill2x(hx + 2, top0 + first + handleH / 2, handleW - 4, 2, t.handleGrip);
}

void ArtPaintCurves(const ArtRow& row, const ArtTheme& t, ArtCanvas* c, int frame, int y0)
{
  c->Fill(0, y0, row.w, row.h, t.display);
  c->Frame(0, y0, row.w, row.h, t.boxLine);
  // Exponents from 1/4 to 4 in equal steps of log: frame 9 is the line.
  const double e = std::pow(2.0, (frame - 8) / 4.0);
  const int x0 = 6, x1 = 2 * row.w - 7, ya = 2 * (y0 + row.h) - 7, yb = 2 * y0 + 6;
  int px = x0, py = ya;
  for (int i = 1; i <= 40; ++i)
  {
    const double u = i / 40.0;
    const int x = x0 + static_cast<int>(u * (x1 - x0) + 0.5);
    const int y = ya - static_cast<int>(std::pow(u, e) * (ya - yb) + 0.5);
    c->Line2x(px, py, x, y, t.displayLit);
    c->Line2x(px, py + 1, x, y + 1, t.displayLit);
    px = x;
    py = y;
  }
}

// ---- buttons and switches ----

void ArtPaintButton(const ArtRow& row, const ArtTheme& t, ArtCanvas* c, int frame, int y0)
{
  const bool down = frame == 1;
  c->Bevel(0, y0, row.w, row.h, down ? t.faceDark : t.face, t.faceLight, t.faceDark, down);
  const std::string text = row.label;
  if (text.empty())
  {
    // A plain push button: a round cap that lights while pressed.
    c->Disc(row.w, 2 * y0 + row.h, row.h / 2 + 2, down ? t.accent : t.faceLight);
    return;
  }
  CentredText(c, down ? 1 : 0, y0 + (down ? 1 : 0), row.w, row.h, text, down ? t.accent : t.faceText);
}

void ArtPaintSwitch(const ArtRow& row, const ArtTheme& t, ArtCanvas* c, int frame, int y0)
{
  const bool on = frame == 1;
  c->Bevel(0, y0, row.w, row.h, t.face, t.faceLight, t.faceDark, false);
  const std::string text = LabelPart(row.label, frame);
  const int r2 = row.h / 2;
  const int lampX2 = text.empty() ? row.w : 2 * r2 + 2;
  c->Disc(lampX2, 2 * y0 + row.h, r2, on ? t.lampOn : t.lampOff);
  if (!text.empty())
  {
    const int left = (lampX2 + r2) / 2 + 2;
    CentredText(c, left, y0, row.w - left, row.h, text, on ? t.accent : t.faceText);
  }
}

void ArtPaintTabLamp(const ArtRow& row, const ArtTheme& t, ArtCanvas* c, int frame, int y0)
{
  const bool on = frame == 1;
  c->Bevel(0, y0, row.w, row.h, on ? t.box : t.face, t.faceLight, t.faceDark, on);
  c->Disc(12, 2 * y0 + row.h, 5, on ? t.lampOn : t.lampOff);
  CentredText(c, 8, y0, row.w - 8, row.h, row.label, on ? t.accent : t.faceText);
}

void ArtPaintTabHighlight(const ArtRow& row, const ArtTheme& t, ArtCanvas* c, int, int y0)
{
  // Only the strip below the tab: the tab's own image covers the rest.
  c->Fill(0, y0 + row.h - 3, row.w, 3, t.accent);
}

void ArtPaintLamp(const ArtRow& row, const ArtTheme& t, ArtCanvas* c, int frame, int y0)
{
  const int r2 = (row.h < row.w ? row.h : row.w) - 4;
  c->Disc(row.w, 2 * y0 + row.h, r2, t.faceDark);
  c->Disc(row.w, 2 * y0 + row.h, r2 - 2, frame == 1 ? t.lampOn : t.lampOff);
  if (frame == 1) c->Disc(row.w - r2 / 3, 2 * y0 + row.h - r2 / 3, r2 / 4, ArtRGB(255, 230, 200));
}

void ArtPaintCheckbox(const ArtRow& row, const ArtTheme& t, ArtCanvas* c, int frame, int y0)
{
  c->Fill(0, y0, row.w, row.h, t.faceLight);
  c->Fill2x(2, 2 * y0 + 2, 2 * row.w - 4, 2 * row.h - 4, t.groove);
  if (frame == 1)
  {
    // A tick.
    const int b = 2 * y0;
    for (int d = 0; d < 3; ++d)
    {
      c->Line2x(5, b + 12 + d, 9, b + 17 + d, t.accent);
      c->Line2x(9, b + 17 + d, 18, b + 6 + d, t.accent);
    }
  }
}

// ---- seven segments ----

void ArtPaintSevenSegment(const ArtRow& row, const ArtTheme& t, ArtCanvas* c, int frame, int y0)
{
  // Segments a..g of each digit, as bits 0..6.
  static constexpr unsigned char kDigits[10] = {0x3f, 0x06, 0x5b, 0x4f, 0x66, 0x6d, 0x7d, 0x07, 0x7f, 0x6f};
  c->Fill(0, y0, row.w, row.h, t.display);
  const int digitW = 24, digitH = 36, thick = 4, top = 2 * y0 + 6;
  const int value = frame;
  // The last frame stands for no location at all: "--".
  constexpr int kNoLocation = 100;
  constexpr unsigned kDash = 0x40;
  for (int d = 0; d < 3; ++d)
  {
    const int left = 8 + d * 28;
    const int place = d == 0 ? 100 : (d == 1 ? 10 : 1);
    // Leading zeros stay dark; 0 itself shows.
    const bool shown = value >= place || place == 1;
    unsigned segments = shown ? kDigits[(value / place) % 10] : 0;
    if (value == kNoLocation) segments = d == 0 ? 0 : kDash;
    const int half = digitH / 2;
    struct Seg
    {
      int x, y, w, h;
    } kSegs[7] = {
      {thick, 0, digitW - 2 * thick, thick},                   // a
      {digitW - thick, thick, thick, half - thick},            // b
      {digitW - thick, half, thick, half - thick},             // c
      {thick, digitH - thick, digitW - 2 * thick, thick},      // d
      {0, half, thick, half - thick},                          // e
      {0, thick, thick, half - thick},                         // f
      {thick, half - thick / 2, digitW - 2 * thick, thick},    // g
    };
    for (int s = 0; s < 7; ++s)
      c->Fill2x(left + kSegs[s].x, top + kSegs[s].y, kSegs[s].w, kSegs[s].h,
                (segments >> s) & 1 ? t.displayLit : t.displayDim);
  }
}

void ArtPaintFileIcon(const ArtRow& row, const ArtTheme& t, ArtCanvas* c, int, int y0)
{
  c->Bevel(0, y0, row.w, row.h, t.face, t.faceLight, t.faceDark, false);
  // A folder.
  const int fx = 4, fy = y0 + 3, fw = 14, fh = row.h - 6;
  c->Fill(fx, fy, fw / 2, 2, t.accent);
  c->Fill(fx, fy + 1, fw, fh - 1, t.accent);
  c->Text(fx + fw + 3, y0 + (row.h - ArtCanvas::kGlyphH) / 2, "...", t.faceText);
}

// ---- keyboard ----

namespace
{
// Key offsets within an octave (C, C#, D ... B) and which are black.
constexpr int kKeyOffset[12] = {0, 9, 14, 25, 28, 42, 51, 56, 66, 70, 81, 84};
constexpr bool kBlack[12] = {false, true, false, true, false, false, true, false, true, false, true, false};
constexpr int kWhiteW = 14, kBlackW = 10, kBlackH = 42;

// The white key's column span ends at the next white key.
int WhiteRight(int key)
{
  for (int k = key + 1; k < 12; ++k)
    if (!kBlack[k]) return kKeyOffset[k];
  return 7 * kWhiteW;
}
}  // namespace

void ArtPaintKeys(const ArtRow& row, const ArtTheme& t, ArtCanvas* c, int frame, int y0)
{
  // Frame k lights key k alone: a black key's rectangle, or a white key's
  // column less the black keys over it, so the twelve frames tile the
  // octave without overlap.
  const RAST_pixel lit = RAST_RGBA(RAST_GETR(t.accent), RAST_GETG(t.accent), RAST_GETB(t.accent), 170);
  const int key = frame;
  if (kBlack[key])
  {
    c->Fill(kKeyOffset[key], y0, kBlackW, kBlackH, lit);
    return;
  }
  c->Fill(kKeyOffset[key], y0, WhiteRight(key) - kKeyOffset[key], row.h, lit);
  for (int k = 0; k < 12; ++k)
    if (kBlack[k]) c->Fill(kKeyOffset[k], y0, kBlackW, kBlackH, 0);
}

void ArtPaintKeyboardOctave(const ArtRow& row, const ArtTheme&, ArtCanvas* c, int, int y0)
{
  for (int k = 0; k < 7; ++k)
  {
    c->Fill(k * kWhiteW, y0, kWhiteW, row.h, ArtRGB(238, 236, 228));
    c->Fill2x(2 * (k + 1) * kWhiteW - 1, 2 * y0, 1, 2 * row.h, ArtRGB(120, 120, 120));
    c->Fill2x(2 * k * kWhiteW, 2 * (y0 + row.h) - 3, 2 * kWhiteW, 3, ArtRGB(170, 168, 160));
  }
  for (int k = 0; k < 12; ++k)
    if (kBlack[k])
    {
      c->Fill(kKeyOffset[k], y0, kBlackW, kBlackH, ArtRGB(20, 20, 22));
      c->Fill2x(2 * kKeyOffset[k] + 3, 2 * y0, 2 * kBlackW - 6, 2 * kBlackH - 6, ArtRGB(48, 48, 52));
    }
}

// ---- program manager ----

void ArtPaintTile(const ArtRow& row, const ArtTheme& t, ArtCanvas* c, int frame, int y0)
{
  // Frame k shows category k: 0 unknown, 1 none, then the five kinds. The
  // tints are dark enough for the light words on them (the category, the
  // program's number and name) to stand out at 4.5:1 or more.
  static constexpr RAST_pixel kTint[7] = {ArtRGB(52, 56, 66),  ArtRGB(70, 78, 96),  ArtRGB(129, 60, 52),
                                          ArtRGB(48, 90, 55),  ArtRGB(56, 80, 128), ArtRGB(104, 76, 34),
                                          ArtRGB(101, 67, 126)};
  c->Fill(1, y0 + 1, row.w - 2, row.h - 2, kTint[frame]);
  c->Frame(1, y0 + 1, row.w - 2, row.h - 2, t.boxLine);
  // The category's name 7.5 pixels tall in the bottom right corner, under
  // the program's name (which runs across the middle) and a pixel clear of
  // the frame.
  const std::string name = NthPart(row.label, frame);
  if (!name.empty()) c->Text2x(2 * (row.w - 5), 2 * (y0 + row.h - 11), name.c_str(), t.label, 3, 2);
}

void ArtPaintTileHighlight(const ArtRow& row, const ArtTheme& t, ArtCanvas* c, int frame, int y0)
{
  if (frame == 1) c->Frame(0, y0, row.w, row.h, t.accent, 2);
}

void ArtPaintScrollHandle(const ArtRow& row, const ArtTheme& t, ArtCanvas* c, int, int y0)
{
  c->Bevel(0, y0, row.w, row.h, t.face, t.faceLight, t.faceDark, false);
  for (int i = -1; i <= 1; ++i) c->Fill(3, y0 + row.h / 2 + 3 * i, row.w - 6, 1, t.faceDark);
}
