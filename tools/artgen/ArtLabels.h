// The words the generator paints on the window backgrounds and the effect
// plates, as a table: every label is one or more lines of the built-in pixel
// font (3 x 5 cells, one column apart), each line with its ink box in base
// pixels. The painters draw exactly these lines, and the look tests check
// the same table against the editor's controls and captions, so a label
// that would overlap a neighbour, or lose part of its name, shows up there.
//
// A synth value's label spells the synth's whole name: lines break between
// words only, and a word longer than a line stands on a line of its own.
// It stands 7.5 pixels tall at 100 %: at full width where that fits between
// its neighbours, else in a condensed face (as narrow as the least size),
// stepping down past the labels placed before it while it stays inside its
// section. Only where neither fits does it keep the font's least size,
// 5 pixels. Words running down an edge take the condensed face too.
#pragma once

#include <string>
#include <vector>

enum class ArtLabelTone
{
  kLabel,  // the name of a control
  kTitle,  // a section's title
};

struct ArtLabelLine
{
  std::string text;
  int x, y, w, h;  // the ink box, base pixels (a half pixel rounded up: h 8 for the 7.5 pixel size)
  int scale2;      // its size: image pixels per font pixel, the artwork being painted at twice the base
  int wide2;       // image pixels per font pixel across: scale2, or less for the condensed face
};

struct ArtLabel
{
  int programValue;  // the synth value it names, -1 for a panel's own words
  std::string text;  // the whole text the lines spell, a space between lines (none when vertical)
  ArtLabelTone tone;
  bool vertical;     // one character under the other
  std::vector<ArtLabelLine> lines;
};

// The labels of the main window's background; the LCD look (lcd true) has
// the same words in the same places.
std::vector<ArtLabel> ArtBackgroundLabels();

// The labels of one effect plate: plate is "CHORUS / DELAY", "OVERDRIVE"
// or "EQUALIZER"; graph true for the equaliser's graph page, which covers
// the band sliders and keeps only the switch's and the blends' labels.
std::vector<ArtLabel> ArtEffectPlateLabels(const std::string& plate, bool graph);

// Program values whose control sits in the effect strip: their labels and
// caption windows are on the effect plates, not the background.
bool ArtInEffectStrip(int r);

struct ArtBox
{
  int x, y, w, h;  // base pixels; w 0 for none
};

// The rectangle of synth value r's caption in the LCD look, where that look
// puts a dark window under the white caption; labels keep clear of it in
// every look. Empty for values without a caption.
ArtBox ArtLcdCaptionBox(int r);

// The section boxes of the main window (x, y, w, h, base pixels) that the
// labels stand in; a box with an empty title has none.
struct ArtSection
{
  int x, y, w, h;
  const char* title;
};
extern const ArtSection kArtSections[];
extern const int kArtSectionCount;
// The effect strip's box, which the effect plates frame and title.
extern const ArtSection kArtEffectSection;

// Height in base pixels of the pixel font's glyphs.
constexpr int kArtGlyphH = 5;

// Width in base pixels of text in the pixel font at scale, without the
// trailing gap.
inline int ArtTextWidth(const std::string& text, int scale = 1)
{
  return text.empty() ? 0 : (4 * static_cast<int>(text.size()) - 1) * scale;
}
