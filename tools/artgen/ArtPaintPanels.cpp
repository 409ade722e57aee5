// Painters of the large images: the window backgrounds (section boxes and
// the labels of ArtLabels), the overlays that open over them (clear outside
// their plate), the panels and the program manager's background; the looks
// and the dispatch.
//
// Index:
//   ---- looks ----
//   ---- labels ----
//   ---- backgrounds ----
//   ---- overlays ----
//   ---- panels ----
//   ---- dispatch ----
#include "tools/artgen/ArtPaint.h"

#include "tools/artgen/ArtLabels.h"

#include "synth/ZephraTables.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

// ---- looks ----

namespace
{
const ArtTheme kClassic = {
  ArtRGB(20, 24, 38),    ArtRGB(32, 38, 58),    ArtRGB(88, 104, 140),  ArtRGB(236, 196, 110), ArtRGB(196, 202, 214),
  ArtRGB(66, 72, 88),    ArtRGB(122, 130, 148), ArtRGB(24, 27, 34),    ArtRGB(232, 232, 236),
  ArtRGB(255, 148, 40),  ArtRGB(120, 72, 30),
  ArtRGB(10, 12, 18),    ArtRGB(224, 224, 230), ArtRGB(250, 250, 252), ArtRGB(40, 40, 46),
  ArtRGB(12, 14, 12),    ArtRGB(255, 64, 40),   ArtRGB(52, 20, 16),
  ArtRGB(86, 22, 18),    ArtRGB(255, 70, 40),
  true,  false, ArtRGB(0, 0, 0), ArtRGB(214, 216, 206), 0,
};

// The classic look on a plain panel: no stars, other panel and box colours.
ArtTheme PlainClassic(RAST_pixel panel, RAST_pixel box)
{
  ArtTheme t = kClassic;
  t.panel = panel;
  t.box = box;
  t.stars = false;
  return t;
}
const ArtTheme kSolid = PlainClassic(ArtRGB(44, 46, 52), ArtRGB(58, 61, 68));
const ArtTheme kManager = PlainClassic(ArtRGB(26, 30, 44), ArtRGB(38, 44, 64));

const ArtTheme kLcd = {
  ArtRGB(150, 166, 140), ArtRGB(170, 186, 160), ArtRGB(62, 74, 56),    ArtRGB(22, 34, 22),    ArtRGB(30, 42, 30),
  ArtRGB(124, 138, 118), ArtRGB(204, 214, 196), ArtRGB(62, 72, 58),    ArtRGB(16, 22, 16),
  ArtRGB(28, 64, 30),    ArtRGB(96, 120, 90),
  ArtRGB(70, 84, 66),    ArtRGB(40, 52, 40),    ArtRGB(90, 106, 86),   ArtRGB(180, 196, 172),
  ArtRGB(118, 138, 100), ArtRGB(20, 32, 20),    ArtRGB(106, 126, 92),
  ArtRGB(104, 118, 98),  ArtRGB(22, 44, 22),
  // White value captions read on dark windows; the slider track ends above them.
  false, true,  ArtRGB(34, 52, 34),  ArtRGB(214, 224, 204), 12,
};

bool StartsWith(const char* s, const char* prefix) { return strncmp(s, prefix, strlen(prefix)) == 0; }
}  // namespace

const ArtTheme& ArtThemeFor(const ArtRow& row)
{
  if (StartsWith(row.path, "img/lcd/")) return kLcd;
  if (StartsWith(row.path, "img/manager/")) return kManager;
  if (row.kind == ArtKind::kBackground && strcmp(row.label, "solid") == 0) return kSolid;
  return kClassic;
}

// ---- labels ----

namespace
{
RAST_pixel ToneColour(const ArtTheme& t, ArtLabelTone tone) { return tone == ArtLabelTone::kTitle ? t.title : t.label; }

void PaintLabels(ArtCanvas* c, const ArtTheme& t, const std::vector<ArtLabel>& labels)
{
  for (const ArtLabel& label : labels)
    for (const ArtLabelLine& line : label.lines)
      c->Text2x(2 * line.x, 2 * line.y, line.text.c_str(), ToneColour(t, label.tone), line.scale2, 0, line.wide2);
}

// A section box; its title is one of the labels.
void Section(ArtCanvas* c, const ArtTheme& t, const ArtSection& s)
{
  c->Fill(s.x, s.y, s.w, s.h, t.box);
  c->Frame(s.x, s.y, s.w, s.h, t.boxLine);
}

// A line of small words, 7.5 pixels tall at the base size (one and a half
// times the font's least size, which is too small to read), from (x, y)
// (align 0), centred on x (1) or ending at x (2), y the top of the least
// size's line.
void Words(ArtCanvas* c, int x, int y, const char* text, RAST_pixel colour, int align = 0)
{
  c->Text2x(2 * x, 2 * y - 2, text, colour, 3, align);
}

// A dark display window, for texts and numbers other controls draw.
void Display(ArtCanvas* c, const ArtTheme& t, int x, int y, int w, int h)
{
  c->Fill(x, y, w, h, t.display);
  c->Frame(x, y, w, h, t.boxLine);
}

void CaptionWindows(ArtCanvas* c, const ArtTheme& t, bool (*which)(int))
{
  if (!t.captionWindows) return;
  for (int r = 0; r < kProgramSize; ++r)
  {
    const ArtBox b = ArtLcdCaptionBox(r);
    if (b.w > 0 && which(r)) c->Fill(b.x, b.y, b.w, b.h, t.captionBack);
  }
}

bool OutsideEffectStrip(int r) { return !ArtInEffectStrip(r); }

// A fixed-seed scatter of faint stars: the "space" look. No star lies
// within two pixels of a label, whose letters stay on a plain ground.
void Stars(ArtCanvas* c, const ArtTheme& t, const std::vector<ArtLabel>& labels)
{
  auto nearLabel = [&labels](int x2, int y2) {
    for (const ArtLabel& label : labels)
      for (const ArtLabelLine& l : label.lines)
        if (x2 >= 2 * (l.x - 2) && x2 < 2 * (l.x + l.w + 2) && y2 >= 2 * (l.y - 2) && y2 < 2 * (l.y + l.h + 2))
          return true;
    return false;
  };
  uint32_t seed = 0x5a455048u;
  for (int i = 0; i < 900; ++i)
  {
    seed = seed * 1664525u + 1013904223u;
    const int x = static_cast<int>((seed >> 8) % static_cast<uint32_t>(2 * c->W()));
    seed = seed * 1664525u + 1013904223u;
    const int y = static_cast<int>((seed >> 8) % static_cast<uint32_t>(2 * c->H()));
    const int glow = 70 + 16 * static_cast<int>((seed >> 4) % 8u);
    if (nearLabel(x, y)) continue;
    c->Fill2x(x, y, 1 + (i % 7 == 0), 1 + (i % 7 == 0),
              ArtRGB(RAST_GETR(t.panel) + glow / 2, RAST_GETG(t.panel) + glow / 2, RAST_GETB(t.panel) + glow));
  }
}
}  // namespace

// ---- backgrounds ----

void ArtPaintBackground(const ArtRow&, const ArtTheme& t, ArtCanvas* c)
{
  const std::vector<ArtLabel> labels = ArtBackgroundLabels();
  c->Fill(0, 0, c->W(), c->H(), t.panel);
  if (t.stars) Stars(c, t, labels);
  for (int i = 0; i < kArtSectionCount; ++i) Section(c, t, kArtSections[i]);
  // The effect strip's box; the plate shown over it titles it.
  Section(c, t, kArtEffectSection);

  // Program: file buttons, name, location number, stepping.
  c->Fill(2, 2, 18, 18, t.accent);  // the about corner
  c->Text(11, 6, "Z", t.panel, 2, 1);
  Display(c, t, 56, 28, 214, 20);
  Display(c, t, 142, 46, 52, 27);
  // FLEXI slots: source and range-control lists, curve, learn.
  for (int n = 0; n < 4; ++n)
  {
    const int x0 = 474 + 168 * n;
    // The list texts run a few pixels past their controls on both sides
    // (the longest, "Ch./Dly. LFO B", is 76 pixels wide on a 70 pixel
    // control, centred with the space after it): the windows, and the box
    // round them, reach that far. The box starts at the top of the editor
    // window, so the words above the first list stand 7.5 pixels tall with a
    // pixel of box round them.
    c->Fill(x0 - 3, 0, 165, 86, t.box);
    c->Frame(x0 - 3, 0, 165, 86, t.boxLine);
    // The list texts' windows, with a line of the box between them for
    // the word "RANGE"; the texts stand at their controls' tops, so the
    // windows start a pixel above.
    Display(c, t, x0 - 2, 11, 78, 17);
    Display(c, t, x0 - 2, 38, 78, 17);
  }
  // Bottom: the keyboard's frame, and the MIDI channel's window, which
  // ends where the keyboard begins; its number is black on this light face.
  c->Frame(313, 725, 496, 66, t.boxLine);
  c->Fill(281, 729, 34, 42, t.channelFace);
  c->Frame(281, 729, 34, 42, t.boxLine);
  CaptionWindows(c, t, &OutsideEffectStrip);
  PaintLabels(c, t, labels);
}

// ---- overlays ----

ArtPlate ArtPlateOf(const ArtRow& row)
{
  switch (row.kind)
  {
    case ArtKind::kSavePlate:
      // Around the save-mode button it marks; the image stands 15 px left
      // of the window.
      return strcmp(row.label, "VCO") == 0 ? ArtPlate{29, 726, 52, 32} : ArtPlate{29, 756, 52, 32};
    case ArtKind::kEffectPlate:
    case ArtKind::kEqGraphPlate:
      return ArtPlate{kArtEffectSection.x, kArtEffectSection.y, kArtEffectSection.w, kArtEffectSection.h};
    case ArtKind::kListPlate:
      return ArtPlate{8, 124, 1124, 570};
    case ArtKind::kChooserPlate:
      return ArtPlate{476, 316, 180, 150};
    case ArtKind::kTabHighlight:
      return ArtPlate{0, row.h - 3, row.w, 3};
    default:
      return ArtPlate{0, 0, 0, 0};
  }
}

void ArtPaintSavePlate(const ArtRow& row, const ArtTheme& t, ArtCanvas* c)
{
  const ArtPlate p = ArtPlateOf(row);
  c->Fill(p.x, p.y, p.w, p.h, t.accentDim);
  c->Frame(p.x, p.y, p.w, p.h, t.accent, 2);
}

void ArtPaintEffectPlate(const ArtRow& row, const ArtTheme& t, ArtCanvas* c)
{
  // Only the frame, the words and the equaliser's parts: the box under it
  // is the background's, so the plate takes the ground of either classic
  // background.
  const bool graph = row.kind == ArtKind::kEqGraphPlate;
  const std::string which = row.label;
  const ArtSection& s = kArtEffectSection;
  c->Frame(s.x, s.y, s.w, s.h, t.boxLine);
  CaptionWindows(c, t, &ArtInEffectStrip);
  PaintLabels(c, t, ArtEffectPlateLabels(which, graph));
  if (which == "EQUALIZER")
  {
    // The two view areas: knobs or graph; the chosen one in the title
    // colour. They stand under the switch and the blends, the one place of
    // the panel that neither a band slider's travel nor the graph covers,
    // with room for 7.5 pixel words.
    // (The editor's view switches lie over these two areas.)
    const char* const kViews[2] = {"PAR", "GRF"};
    const int kViewX[2] = {547, 578}, kViewY = 692, kViewW = 27, kViewH = 19;
    for (int i = 0; i < 2; ++i)
    {
      const bool chosen = (i == 1) == graph;
      c->Bevel(kViewX[i], kViewY, kViewW, kViewH, t.face, t.faceLight, t.faceDark, chosen);
      c->Text2x(2 * kViewX[i] + kViewW, 2 * kViewY + 11, kViews[i], chosen ? t.title : t.faceText, 3, 1);
    }
  }
  if (!graph) return;
  Display(c, t, 640, 593, 460, 115);
  // Octave lines from 20 Hz and a line every 6 dB.
  for (int f = 40; f < 12000; f *= 2)
  {
    const double u = (std::log2(f) - std::log2(20.0)) / (std::log2(12000.0) - std::log2(20.0));
    c->Fill(640 + static_cast<int>(u * 460), 594, 1, 113, t.displayDim);
  }
  for (int db = -18; db <= 18; db += 6)
    c->Fill(641, 593 + 57 - db * 57 / 24, 458, 1, db == 0 ? t.displayLit : t.displayDim);
}

void ArtPaintListPlate(const ArtRow& row, const ArtTheme& t, ArtCanvas* c)
{
  const ArtPlate p = ArtPlateOf(row);
  c->Fill(p.x, p.y, p.w, p.h, t.box);
  c->Frame(p.x, p.y, p.w, p.h, t.boxLine, 2);
  c->Text(24, 134, row.label, t.title, 2);
  Words(c, p.x + p.w - 12, 136, "CLICK ABOVE THE LIST TO CLOSE IT", t.label, 2);
  // Each page holds 20 rows of 25 px. A click picks the row's position,
  // except that the last rows of a page pick its last valid one: 17 of
  // each 20 for the sources, 14 for the range controls. Those rows stay
  // blank, so every text shown is the one its row picks.
  const bool sources = strcmp(row.label, "FLEXI SOURCE") == 0;
  const int lastRow = sources ? 17 : 14;
  const int count = sources ? kFlexiSourceCount : kFlexiRangeListCount;
  for (int page = 0; page < 4; ++page)
  {
    const int x = 23 + 272 * page;
    Display(c, t, x, 180, 272, 500);
    for (int i = 0; i < 20; ++i)
    {
      const int position = 20 * page + i;
      if (i > 0) c->Fill(x + 1, 180 + 25 * i, 270, 1, t.displayDim);
      if (i > lastRow || position >= count) continue;
      const char* text = sources ? kFlexiSourceText[position] : kFlexiRangeText[position];
      c->Text(x + 8, 180 + 25 * i + 8, text, t.displayLit, 2);
    }
  }
}

void ArtPaintChooserPlate(const ArtRow& row, const ArtTheme& t, ArtCanvas* c)
{
  const ArtPlate p = ArtPlateOf(row);
  c->Fill(p.x, p.y, p.w, p.h, t.box);
  c->Frame(p.x, p.y, p.w, p.h, t.accent, 2);
  Words(c, p.x + p.w / 2, p.y + 6, row.label, t.title, 1);
  Words(c, p.x + p.w / 2, p.y + 20, "PROGRAM NUMBER", t.label, 1);
  // The chooser writes its number in black, centred together with the
  // space after it, so the two digits stand left of the chooser's middle:
  // a light field under them with room on both sides.
  c->Fill(536, 346, 50, 44, ArtRGB(250, 250, 250));
  c->Frame(536, 346, 50, 44, t.boxLine);
  c->Bevel(524, 404, 76, 40, t.face, t.faceLight, t.faceDark, false);
  c->Text(562, 416, "OK", t.faceText, 3, 1);
}

// ---- panels ----

void ArtPaintPanel(const ArtRow& row, const ArtTheme& t, ArtCanvas* c)
{
  c->Fill(0, 0, row.w, row.h, t.box);
  c->Frame(0, 0, row.w, row.h, t.accent, 2);
  const std::string title = row.label;
  if (title == "ABOUT")
  {
    c->Text(row.w / 2, 30, "ZEPHRAEDITOR", t.title, 4, 1);
    static const char* kLines[] = {"EDITOR AND LIBRARIAN FOR THE", "ZEPHRA PRIME SYNTHESIZER", "",
                                   "VERSION " ZEPHRA_VERSION, "", "PANELS, PROGRAM FILES, BANKS,", "FIRMWARE UPDATE, MIDI LEARN"};
    int y = 80;
    for (const char* line : kLines)
    {
      c->Text(row.w / 2, y, line, t.label, 2, 1);
      y += 18;
    }
    c->Text(row.w / 2, row.h - 22, "CLICK TO CLOSE", t.accent, 2, 1);
    return;
  }
  Words(c, 8, 6, row.label, t.title);
  if (title == "DATABASE LOGIN")
  {
    Words(c, 62, 26, "USER", t.label, 2);
    Words(c, 62, 50, "PASSWORD", t.label, 2);
    c->Fill(68, 21, 190, 16, ArtRGB(250, 250, 250));
    c->Fill(68, 45, 190, 16, ArtRGB(250, 250, 250));
    Words(c, 222, 77, "REMEMBER", t.label, 2);
  }
}

void ArtPaintManagerBackground(const ArtRow& row, const ArtTheme& t, ArtCanvas* c)
{
  c->Fill(0, 0, c->W(), c->H(), t.panel);
  c->Text(1132, 8, row.label, t.title, 2, 2);
  // Browser: 47 rows of 14 px with the scroll track beside them.
  Section(c, t, {12, 96, 290, 688, ""});
  Words(c, 24, 104, "PROGRAMS", t.title);
  Display(c, t, 22, 116, 254, 662);
  for (int i = 1; i < 47; i += 2) c->Fill(23, 118 + 14 * i, 252, 14, t.box);
  c->Fill(278, 116, 12, 660, t.groove);
  // The bank: 99 locations of a 10 x 10 grid; location 0 is never shown.
  Section(c, t, {304, 96, 828, 698, ""});
  Words(c, 316, 100, "BANK", t.title);
  for (int i = 1; i < 100; ++i)
  {
    const int col = i % 10, r = i / 10;
    c->Frame(308 + 82 * col, static_cast<int>(108 + 68.5 * r), 80, 66, t.boxLine);
  }
  // Check boxes: row-edit modes (each named by what a click on a row then
  // does), confirmation and categories.
  static const struct
  {
    int x, y;
    const char* text;
  } kBoxes[] = {{668, 31, "MOVE"}, {668, 44, "EXCHANGE"}, {668, 57, "COPY"}, {668, 70, "REMOVE"},
                {668, 83, "NAME/CAT"}, {736, 83, "CONFIRM"}, {826, 31, "BASS"}, {826, 44, "GTR"},
                {826, 57, "MIDI"}, {826, 70, "FX"},     {826, 83, "EWI"}};
  for (const auto& b : kBoxes) Words(c, b.x + 15, b.y + 3, b.text, t.label);
  // Over its field: beside it the name would meet the category words.
  Words(c, 880, 28, "NAME", t.label);
  c->Fill(880, 37, 220, 16, ArtRGB(250, 250, 250));
}

// ---- dispatch ----

bool ArtPaint(const ArtRow& row, ArtCanvas* c)
{
  const ArtTheme& t = ArtThemeFor(row);
  using Strip = void (*)(const ArtRow&, const ArtTheme&, ArtCanvas*, int, int);
  Strip strip = nullptr;
  switch (row.kind)
  {
    case ArtKind::kBackground: ArtPaintBackground(row, t, c); return true;
    case ArtKind::kSavePlate: ArtPaintSavePlate(row, t, c); return true;
    case ArtKind::kEffectPlate:
    case ArtKind::kEqGraphPlate: ArtPaintEffectPlate(row, t, c); return true;
    case ArtKind::kListPlate: ArtPaintListPlate(row, t, c); return true;
    case ArtKind::kChooserPlate: ArtPaintChooserPlate(row, t, c); return true;
    case ArtKind::kPanel: ArtPaintPanel(row, t, c); return true;
    case ArtKind::kManagerBackground: ArtPaintManagerBackground(row, t, c); return true;
    case ArtKind::kSlider:
    case ArtKind::kRangeSlider:
    case ArtKind::kShortSlider: strip = &ArtPaintSlider; break;
    case ArtKind::kCurves: strip = &ArtPaintCurves; break;
    case ArtKind::kButton: strip = &ArtPaintButton; break;
    case ArtKind::kSwitch: strip = &ArtPaintSwitch; break;
    case ArtKind::kTabLamp: strip = &ArtPaintTabLamp; break;
    case ArtKind::kTabHighlight: strip = &ArtPaintTabHighlight; break;
    case ArtKind::kLamp: strip = &ArtPaintLamp; break;
    case ArtKind::kCheckbox: strip = &ArtPaintCheckbox; break;
    case ArtKind::kSevenSegment: strip = &ArtPaintSevenSegment; break;
    case ArtKind::kFileIcon: strip = &ArtPaintFileIcon; break;
    case ArtKind::kKeys: strip = &ArtPaintKeys; break;
    case ArtKind::kKeyboardOctave: strip = &ArtPaintKeyboardOctave; break;
    case ArtKind::kTile: strip = &ArtPaintTile; break;
    case ArtKind::kTileHighlight: strip = &ArtPaintTileHighlight; break;
    case ArtKind::kScrollHandle: strip = &ArtPaintScrollHandle; break;
  }
  if (!strip) return false;
  for (int k = 0; k < row.frames; ++k) strip(row, t, c, k, k * row.h);
  return true;
}
