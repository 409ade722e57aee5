#include "tools/artgen/ArtLabels.h"

#include "synth/ZephraTables.h"

#include <algorithm>
#include <cctype>

// ---- section boxes ----

// Each box runs from 2 px above its row of sliders to 3 px short of the
// next row, so no empty band parts two rows of one panel.
const ArtSection kArtSections[] = {
  {24, 2, 446, 72, ""},          // program: file buttons, name, location number
  {8, 86, 494, 155, "VCO 1"},    {8, 243, 494, 155, "VCO 2"},   {8, 400, 494, 155, "VCO 3"},
  {8, 557, 494, 84, "VCO 4"},    {512, 86, 622, 155, "VCF"},    {512, 243, 622, 155, "ENV LFO"},
  {512, 400, 622, 142, "VOICE"},
  {8, 722, 304, 74, ""},         // save mode, copy, MIDI channel
  {816, 722, 318, 74, ""},       // random, reset, sections
};
const int kArtSectionCount = sizeof(kArtSections) / sizeof(kArtSections[0]);
const ArtSection kArtEffectSection = {512, 545, 622, 172, ""};

namespace
{
constexpr int kGlyphH = kArtGlyphH;
constexpr int kLineStep = 7;     // one line of labels under the other
constexpr size_t kLineChars = 10;  // a line as wide as a slider column, less a gap
constexpr size_t kColumnChars = 8;  // a line that leaves a clear gap to the next column's
constexpr int kGapX = 5;         // the least room between two labels side by side
constexpr int kGapY = 5;         // and one above the other
constexpr int kVerticalStep = 10;  // one character of a vertical word under the other
// The values with a control on the chorus and delay plate, "Mod Blend
// INSTRUMENT" to "Feedback level": "Feedback damping" after them has none.
constexpr int kModFirst = 129;
constexpr int kModLast = 142;

// Sizes are in image pixels per font pixel (the artwork is painted at twice
// the base size): kSmall, the font's least size, stands 5 pixels tall at
// 100 %; kReadable 7.5, where a label has the room.
// kCondensed is a width: the readable size's height drawn as narrow as the
// least size, for names too long for a slider column at the readable size.
constexpr int kSmall = 2;
constexpr int kReadable = 3;
constexpr int kCondensed = 2;

ArtLabelLine Line(const std::string& text, int x, int y, int scale2 = kSmall, int wide2 = 0)
{
  if (wide2 == 0) wide2 = scale2;
  return {text, x, y, (ArtTextWidth(text, wide2) + 1) / 2, (kGlyphH * scale2 + 1) / 2, scale2, wide2};
}

// Text starting at x (align 0), centred on x (1) or ending at x (2).
int AlignedX(const std::string& text, int x, int align, int wide2 = kSmall)
{
  const int w = (ArtTextWidth(text, wide2) + 1) / 2;
  return align == 1 ? x - w / 2 : (align == 2 ? x - w : x);
}

// Words scale2 tall and wide2 across (0: as tall).
ArtLabel Words(const std::string& text, int x, int y, int align, ArtLabelTone tone, int scale2 = kSmall, int wide2 = 0)
{
  if (wide2 == 0) wide2 = scale2;
  return {-1, text, tone, false, {Line(text, AlignedX(text, x, align, wide2), y, scale2, wide2)}};
}

// One character under the other from (x, y), 7.5 pixels tall in the
// condensed face, so as narrow as the least size.
ArtLabel Vertical(const std::string& text, int x, int y, ArtLabelTone tone)
{
  ArtLabel label{-1, text, tone, true, {}};
  for (size_t i = 0; i < text.size(); ++i)
    if (text[i] != ' ')
      label.lines.push_back(Line(std::string(1, text[i]), x, y + kVerticalStep * static_cast<int>(i), kReadable, kCondensed));
  return label;
}

std::string Upper(const char* s)
{
  std::string out = s;
  for (char& c : out) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
  return out;
}

// The name in lines of at most chars characters, broken between words;
// a longer word stands alone.
std::vector<std::string> Wrap(const std::string& name, size_t chars)
{
  std::vector<std::string> lines;
  std::string line, word;
  for (char ch : name + " ")
  {
    if (ch != ' ')
    {
      word += ch;
      continue;
    }
    if (word.empty()) continue;
    if (!line.empty() && line.size() + 1 + word.size() > chars)
    {
      lines.push_back(line);
      line.clear();
    }
    line += (line.empty() ? "" : " ") + word;
    word.clear();
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

bool Crowds(const ArtLabelLine& a, const ArtLabelLine& b)
{
  return a.x < b.x + b.w + kGapX && b.x < a.x + a.w + kGapX && a.y < b.y + b.h + kGapY && b.y < a.y + a.h + kGapY;
}

// Lines already placed on one background or plate; a new line moves down a
// line at a time until it crowds none of them.
class Placer
{
public:
  explicit Placer(std::vector<ArtLabel>* out) : mOut(out) {}

  void Fixed(ArtLabel label) { mOut->push_back(std::move(label)); }

  // The synth value r's name, each line centred on cx from y down and kept
  // inside [lo, hi); the whole block moves down a line at a time until no
  // line of it crowds a label placed before, so neighbours too wide to
  // stand side by side take turns in two tiers. It stands in the condensed
  // face, 7.5 pixels tall, while that stays above bottom; else in the least
  // size. Widen later gives the names with room the readable size.
  void Below(int r, int cx, int y, int lo, int hi, int bottom)
  {
    // Where lines as wide as a column crowd a neighbour, shorter ones
    // (a third line) may not.
    for (size_t chars : {kLineChars, kLineChars - 2})
    {
      ArtLabel label = Stacked(r, cx, y, lo, hi, kReadable, kCondensed, chars);
      if (label.lines.empty()) continue;
      while (Taken(label) && label.lines.back().y + label.lines.back().h + kLineStep < bottom)
        for (ArtLabelLine& line : label.lines) line.y += kLineStep;
      if (Taken(label)) continue;
      mWidenable.push_back({mOut->size(), r, cx, y, lo, hi});
      mOut->push_back(std::move(label));
      return;
    }
    ArtLabel label = Stacked(r, cx, y, lo, hi, kSmall, kSmall);
    while (Taken(label))
      for (ArtLabelLine& line : label.lines) line.y += kLineStep;
    mOut->push_back(std::move(label));
  }

  // The synth value r's name under its own fader of a row of faders a
  // column apart: each line centred on cx from y down inside the column
  // [lo, hi), broken into lines short enough to leave the neighbours' names
  // a clear gap, in the condensed face (the least size where that crowds a
  // label placed before). Never moved to another tier nor widened, so each
  // name stays in line with its neighbours and under its own fader.
  void Column(int r, int cx, int y, int lo, int hi)
  {
    ArtLabel label = Stacked(r, cx, y, lo, hi, kReadable, kCondensed, kColumnChars);
    if (label.lines.empty() || Taken(label)) label = Stacked(r, cx, y, lo, hi, kSmall, kSmall, kColumnChars);
    mOut->push_back(std::move(label));
  }

  // Once every label has its place: each condensed name, in the order
  // placed, takes the readable size at its first place where that fits
  // inside its [lo, hi) and crowds none of the others. Placing them all
  // narrow first keeps one wide name from pushing its neighbour down.
  void Widen()
  {
    for (const Widenable& w : mWidenable)
    {
      ArtLabel wide = Stacked(w.r, w.cx, w.y, w.lo, w.hi, kReadable, kReadable);
      if (wide.lines.empty()) continue;
      ArtLabel& placed = (*mOut)[w.index];
      std::vector<ArtLabelLine> narrow = std::move(placed.lines);
      placed.lines.clear();  // out of its own way while the wide one is tried
      placed.lines = Taken(wide) ? std::move(narrow) : std::move(wide.lines);
    }
    mWidenable.clear();
  }

  // The name in lines of at most chars characters from (x, y), aligned as
  // AlignedX takes it: 7.5 pixels tall in the condensed face where that
  // crowds no label placed before, else in the least size.
  void Block(int r, int x, int y, int align, size_t chars = kLineChars)
  {
    for (int scale2 : {kReadable, kSmall})
    {
      ArtLabel label = Named(r);
      int top = y;
      for (const std::string& text : Wrap(label.text, chars))
      {
        label.lines.push_back(Line(text, AlignedX(text, x, align), top, scale2, kCondensed));
        top += label.lines.back().h + 2;
      }
      if (scale2 == kSmall || !Taken(label))
      {
        mOut->push_back(std::move(label));
        return;
      }
    }
  }

private:
  // The name's lines at scale2 tall and wide2 across, each centred on cx
  // from y down and kept inside [lo, hi); no lines when one is wider than
  // that. A line holds at most chars characters.
  static ArtLabel Stacked(int r, int cx, int y, int lo, int hi, int scale2, int wide2, size_t chars = kLineChars)
  {
    ArtLabel label = Named(r);
    const int step = (kGlyphH * scale2 + 1) / 2 + 2;
    for (const std::string& text : Wrap(label.text, chars))
    {
      const int w = (ArtTextWidth(text, wide2) + 1) / 2;
      if (scale2 != kSmall && w > hi - lo) return Named(r);
      label.lines.push_back(Line(text, std::clamp(cx - w / 2, lo, hi - w), y, scale2, wide2));
      y += step;
    }
    return label;
  }

  static ArtLabel Named(int r) { return {r, Upper(kProgramValues[r].param.name), ArtLabelTone::kLabel, false, {}}; }

  bool Taken(const ArtLabel& label) const
  {
    for (int r = 0; r < kProgramSize; ++r)
    {
      const ArtBox b = ArtLcdCaptionBox(r);
      for (const ArtLabelLine& line : label.lines)
        if (b.w > 0 && Crowds(line, {"", b.x, b.y, b.w, b.h, 0, 0})) return true;
    }
    for (const ArtLabel& placed : *mOut)
      for (const ArtLabelLine& other : placed.lines)
        for (const ArtLabelLine& line : label.lines)
          if (Crowds(line, other)) return true;
    return false;
  }

  struct Widenable
  {
    size_t index;  // in *mOut
    int r, cx, y, lo, hi;
  };

  std::vector<ArtLabel>* mOut;
  std::vector<Widenable> mWidenable;
};

// A section's title runs down its left edge; on the right-hand panels,
// whose first column's captions are wide ("restart"), down the right edge.
int TitleX(const ArtSection& s) { return s.x < 508 ? s.x + 3 : s.x + s.w - 7; }


const ArtSection& SectionAt(int x, int y)
{
  for (const ArtSection& s : kArtSections)
    if (x >= s.x && x < s.x + s.w && y >= s.y && y < s.y + s.h) return s;
  return kArtEffectSection;
}

// Places a synth value's label by the control it names. Sliders carry it
// under their value caption; the push buttons and short sliders of the
// voice panel, packed closely, each get a place of their own.
void PlaceValue(Placer& p, int r)
{
  const int x = kEditorLayoutX[r], y = kEditorLayoutY[r];
  const int param = r + kParamOffset;
  if (x == 0 && y == 0) return;
  switch (param)
  {
    // The FLEXI mode and chain-order switches carry their own words, the
    // new cutoff shares the vintage cutoff's place, "Feedback damping" has
    // no control to name and the curves are named down their right side.
    case 174: case 176: case 178: case 180: case 131: case 186: case 146: return;
    case 104: case 111: case 118: case 125: return p.Fixed(Vertical("CURVE", x + 62, y + 1, ArtLabelTone::kLabel));
    // Clear of the buttons, sliders and captions of both looks around them.
    case 78: return p.Block(r, x + 20, y + 17, 1, 15);          // under the button, over 87's caption, one line
    case 87: return p.Block(r, x + 20, y + 19, 1);
    case 88: return p.Block(r, x + 15, y + 50, 2);              // left of the slope's caption
    case 89: return p.Block(r, x + 3, y + 10, 2);               // left of the button, under 88's
    case 173: return p.Block(r, x + 12, y + 15, 1);             // under the button, clear of the captions below
    case 92: return p.Block(r, x - 13, y + 1, 2);               // left of the button and its caption
    case 127: return p.Block(r, x + 36, y + 20, 0, 8);          // right of the short slider, a word a line
    case 93: return p.Block(r, x + 36, y + 17, 0, 8);           // the same, above the section's edge
    default: break;
  }
  // The chorus and delay faders stand in one row a column (40 pixels) apart.
  if (r >= kModFirst && r <= kModLast) return p.Column(r, x + 16, y + 50, x - 4, x + 36);
  const ArtSection& s = SectionAt(x, y);
  // The vintage cutoff and the pitch-bend range stand right of a column of
  // captions above buttons or short sliders; their labels start clear of it.
  const int lo = param == 79 ? x + 7 : (param == 90 ? x + 11 : s.x + 11);
  p.Below(r, x + 16, y + 50, lo, s.x + s.w - 10, s.y + s.h - 2);
}
// The specially placed labels first, so the rows flow around them; then
// each row left to right, so neighbours too wide for one tier alternate.
void PlaceValues(Placer& p, std::vector<int> order)
{
  auto special = [](int r) {
    const int y = kEditorLayoutY[r];
    return y != 88 && y != 245 && y != 402 && y != 559 && y != 600;
  };
  std::sort(order.begin(), order.end(), [&special](int a, int b) {
    if (special(a) != special(b)) return special(a);
    if (kEditorLayoutY[a] != kEditorLayoutY[b]) return kEditorLayoutY[a] < kEditorLayoutY[b];
    return kEditorLayoutX[a] < kEditorLayoutX[b];
  });
  for (int r : order) PlaceValue(p, r);
  p.Widen();
}
}  // namespace

// ---- caption windows ----

bool ArtInEffectStrip(int r) { return (r >= 129 && r <= 146) || (r >= 157 && r <= 169) || (r >= 179 && r <= 182); }

ArtBox ArtLcdCaptionBox(int r)
{
  const int x = kEditorLayoutX[r], y = kEditorLayoutY[r], p = r + kParamOffset;
  if (x == 0 && y == 0) return {0, 0, 0, 0};
  switch (p)
  {
    case 174: case 176: case 178: case 180: case 131: case 186: case 146:
    case 104: case 111: case 118: case 125: return {0, 0, 0, 0};
    case 78: case 87: case 92: return {x - 8, y - 16, 48, 16};
    case 89: case 173: return {x - 8, y - 20, 48, 16};
    case 93: return {x - 8, y - 12, 48, 16};
    case 127: return {x - 8, y - 18, 48, 16};
    default: return {x - 8, y + 27, 48, 16};
  }
}

// ---- the background ----

std::vector<ArtLabel> ArtBackgroundLabels()
{
  std::vector<ArtLabel> out;
  Placer p(&out);
  for (const ArtSection& s : kArtSections)
    if (*s.title) p.Fixed(Vertical(s.title, TitleX(s), s.y + 4, ArtLabelTone::kTitle));
  for (int n = 0; n < 4; ++n)
  {
    const int x0 = 474 + 168 * n;
    // Above each list window and a pixel clear of it and of the box's
    // frame; the list words in the condensed face, clear of the title.
    p.Fixed(Words("FLEXI " + std::to_string(n + 1), x0 + 4, 2, 0, ArtLabelTone::kTitle, kReadable));
    p.Fixed(Words("SOURCE", x0 + 78, 2, 2, ArtLabelTone::kLabel, kReadable, kCondensed));
    p.Fixed(Words("RANGE", x0 + 78, 29, 2, ArtLabelTone::kLabel, kReadable, kCondensed));
  }
  p.Fixed(Words("ZEPHRA PRIME", 24, 650, 0, ArtLabelTone::kTitle, 8));
  p.Fixed(Words("SOUND EDITOR AND LIBRARIAN", 24, 676, 0, ArtLabelTone::kLabel, 4));
  for (int i = 0; i < 4; ++i)
  {
    const std::string n = std::to_string(i + 1);
    p.Fixed(Words(n, 80, 733 + 13 * i, 0, ArtLabelTone::kLabel, kReadable));
    p.Fixed(Words(n, 184, 733 + 13 * i, 0, ArtLabelTone::kLabel, kReadable));
  }
  p.Fixed(Words("FROM", 92, 751, 0, ArtLabelTone::kLabel, kReadable));
  p.Fixed(Words("TO", 196, 751, 0, ArtLabelTone::kLabel, kReadable));
  // Under the channel's window, ending inside its box's frame.
  p.Fixed(Words("MIDI CH", 309, 776, 2, ArtLabelTone::kLabel, kReadable));
  static const char* kSections[12] = {"VCO1",     "VCO2",   "VCO3",   "VCO4",   "FILTER", "ENVLFO",
                                      "HARMDIST", "EFFECT", "FLEXI1", "FLEXI2", "FLEXI3", "FLEXI4"};
  static const int kColumnX[3] = {874, 922, 1002};
  for (int i = 0; i < 12; ++i)
    p.Fixed(Words(kSections[i], kColumnX[i / 4] + 14, 733 + 13 * (i % 4), 0, ArtLabelTone::kLabel, kReadable));
  std::vector<int> order;
  for (int r = 0; r < kProgramSize; ++r)
    if (!ArtInEffectStrip(r)) order.push_back(r);
  PlaceValues(p, order);
  return out;
}

// ---- the effect plates ----

std::vector<ArtLabel> ArtEffectPlateLabels(const std::string& plate, bool graph)
{
  std::vector<ArtLabel> out;
  Placer p(&out);
  p.Fixed(Vertical(plate, TitleX(kArtEffectSection), kArtEffectSection.y + 4, ArtLabelTone::kTitle));
  std::vector<int> order;
  for (int r = 0; r < kProgramSize; ++r)
  {
    if (!ArtInEffectStrip(r)) continue;
    const bool mod = r >= kModFirst && r <= kModLast;
    const bool drive = (r >= 144 && r <= 146) || r == 179 || r == 180;
    const bool eq = (r >= 157 && r <= 169) || r == 181 || r == 182;
    bool mine = (plate == "CHORUS / DELAY" && mod) || (plate == "OVERDRIVE" && drive) || (plate == "EQUALIZER" && eq);
    if (graph) mine = r == 157 || r == 181 || r == 182;
    if (mine) order.push_back(r);
  }
  PlaceValues(p, order);
  return out;
}
