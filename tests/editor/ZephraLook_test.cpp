// What a new user reads: every word of the generated artwork and every
// value caption, in each look at scale 1.0 and 2.0, stands clear of the
// others and of the controls, spells its whole name and has a contrast of
// at least 4.5:1 against the pixels around it, measured on the rendered
// window.
#include "ZephraSkinEditor.h"

#include "editor/ZephraManagerPanel.h"
#include "graphics/controls/IBitmapControl.h"
#include "graphics/controls/IKnobControl.h"
#include "graphics/controls/ITextControl.h"
#include "synth/ZephraTables.h"
#include "tools/artgen/ArtLabels.h"

#include <algorithm>
#include <cmath>
#include <set>

namespace
{
struct Box
{
  int l, t, r, b;  // r and b exclusive
  bool Empty() const { return r <= l || b <= t; }
  bool Meets(const Box& o) const { return l < o.r && o.l < r && t < o.b && o.t < b; }
};

std::string Show(const Box& b)
{
  return "(" + std::to_string(b.l) + "," + std::to_string(b.t) + "," + std::to_string(b.r) + "," +
         std::to_string(b.b) + ")";
}

// Relative luminance of an sRGB colour and the contrast ratio of two.
double Luminance(const IColor& c)
{
  auto channel = [](int v) {
    const double s = v / 255.0;
    return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * channel(c.R) + 0.7152 * channel(c.G) + 0.0722 * channel(c.B);
}
double Contrast(double a, double b) { return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05); }

// The ink in place: what stands out at 2:1 from the ground at its top left
// corner.
Box InkIn(SkinEditor& t, const Box& place)
{
  const double ground = Luminance(t.At(place.l, place.t));
  Box ink{place.r, place.b, place.l, place.t};
  for (int y = place.t; y < place.b; ++y)
    for (int x = place.l; x < place.r; ++x)
      if (Contrast(Luminance(t.At(x, y)), ground) > 2.0)
        ink = {std::min(ink.l, x), std::min(ink.t, y), std::max(ink.r, x + 1), std::max(ink.b, y + 1)};
  return ink;
}

// How far the ink's strongest pixel stands from the ground at the place's
// top left corner: the word's own colour against it, where the word's edges
// blend into the ground.
double StrongestContrast(SkinEditor& t, const Box& ink, const Box& place)
{
  const double ground = Luminance(t.At(place.l, place.t));
  double best = 1;
  for (int y = ink.t; y < ink.b; ++y)
    for (int x = ink.l; x < ink.r; ++x) best = std::max(best, Contrast(Luminance(t.At(x, y)), ground));
  return best;
}

// A word or caption as drawn: what it says and its ink box on the surface.
struct Ink
{
  std::string what;
  Box box;
};

class LookCheck
{
public:
  LookCheck(const std::string& look, double scale)
    : t("[gui]\nbackground=" + look + "\n"), mScale(scale)
  {
    if (scale != 1.0) t.editor->OnStandaloneMenuCommand(19);  // View, 200 %
    // The widest channel text, "CH:16", which ends at the keyboard.
    t.ControlOf(kParamMidiChannel)->SetValueFromUserInput(1.0);
    t.Draw();
  }

  // Opens one effect panel (0 chorus/delay, 1 overdrive, 2 equaliser).
  void OpenEffect(int which)
  {
    ZephraPanels& face = t.Face();
    face.HideModFxPanel(which != 0);
    face.HideOverdrivePanel(which != 1);
    face.HideEqualizerPanel(which != 2);
    t.Draw();
  }

  // The generator's words on the background and on the open effect plate.
  std::vector<Ink> Labels(const std::string& plate) const
  {
    std::vector<ArtLabel> all = ArtBackgroundLabels();
    for (ArtLabel& label : ArtEffectPlateLabels(plate, false)) all.push_back(std::move(label));
    std::vector<Ink> out;
    for (const ArtLabel& label : all)
      for (const ArtLabelLine& line : label.lines)
        out.push_back({label.text + " [" + line.text + "]", Scaled(line.x, line.y, line.w, line.h)});
    return out;
  }

  // The value captions shown, and the MIDI channel's number, by their ink:
  // the pixels that change when they are drawn. Captions whose rectangles
  // overlap are drawn in different passes, so each pass's change inside a
  // rectangle is that caption's alone.
  std::vector<Ink> Captions()
  {
    std::set<IControl*> attached;
    for (int i = 0; i < t.gui->NControls(); ++i) attached.insert(t.gui->GetControl(i));
    std::vector<std::pair<IControl*, std::string>> shown;
    for (int r = 0; r < kProgramSize; ++r)
    {
      ITextControl* c = t.Face().Caption(r);
      if (c && attached.count(c) && !c->IsHidden()) shown.push_back({c, "caption " + std::to_string(r)});
    }
    shown.push_back({t.ControlOf(kParamMidiChannel), "MIDI channel"});
    std::vector<std::vector<size_t>> passes;
    for (size_t i = 0; i < shown.size(); ++i)
    {
      const IRECT& a = shown[i].first->GetRECT();
      auto fits = [&](const std::vector<size_t>& pass) {
        for (size_t j : pass)
          if (!a.Intersect(shown[j].first->GetRECT()).Empty()) return false;
        return true;
      };
      auto pass = std::find_if(passes.begin(), passes.end(), fits);
      if (pass == passes.end()) passes.emplace_back(1, i);
      else pass->push_back(i);
    }
    auto showOnly = [&](const std::vector<size_t>* pass) {
      for (size_t i = 0; i < shown.size(); ++i)
        shown[i].first->Hide(!pass || std::find(pass->begin(), pass->end(), i) == pass->end());
      t.Draw();
    };
    showOnly(nullptr);
    std::vector<std::vector<IColor>> bare;
    for (const auto& s : shown) bare.push_back(Pixels(s.first->GetRECT()));
    std::vector<Ink> out;
    for (const std::vector<size_t>& pass : passes)
    {
      showOnly(&pass);
      for (size_t i : pass)
      {
        const IRECT& r = shown[i].first->GetRECT();
        const std::vector<IColor> now = Pixels(r);
        Box ink{r.R, r.B, r.L, r.T};
        for (int y = r.T, k = 0; y < r.B; ++y)
          for (int x = r.L; x < r.R; ++x, ++k)
            if (!(now[k] == bare[i][k]))
              ink = {std::min(ink.l, x), std::min(ink.t, y), std::max(ink.r, x + 1), std::max(ink.b, y + 1)};
        if (!ink.Empty()) out.push_back({shown[i].second, ink});
      }
    }
    for (const auto& s : shown) s.first->Hide(false);
    t.Draw();
    return out;
  }

  // The painted part of every shown control drawn from artwork, over all
  // its frames; the window-sized backgrounds and plates are the ground.
  std::vector<Ink> Controls()
  {
    std::vector<Ink> out;
    for (int i = 0; i < t.gui->NControls(); ++i)
    {
      IControl* c = t.gui->GetControl(i);
      if (c->IsHidden()) continue;
      IBitmap* bitmap = nullptr;
      if (auto* b = dynamic_cast<IBitmapControl*>(c)) bitmap = b->GetBitmap();
      if (auto* k = dynamic_cast<IKnobMultiControl*>(c)) bitmap = k->GetBitmap();
      if (!bitmap || !bitmap->mData || bitmap->W >= 80 * 2 * mScale || bitmap->FrameH() >= 500 * mScale) continue;
      const Box ink = Opaque(*bitmap);
      if (ink.Empty()) continue;
      const IRECT& r = c->GetRECT();
      out.push_back({"control of " + std::to_string(c->ParamIdx()) + " at " + std::to_string(r.L) + "," +
                         std::to_string(r.T),
                     {r.L + ink.l, r.T + ink.t, r.L + ink.r, r.T + ink.b}});
    }
    return out;
  }

  // The least contrast between the text's own colour (the pixel inside
  // its box farthest in luminance from the ring around it) and any pixel
  // of that ring, one pixel outside the box.
  double WorstContrast(const Box& b)
  {
    std::vector<double> ring;
    for (int x = b.l - 1; x <= b.r; ++x) ring.push_back(Luminance(t.At(x, b.t - 1))), ring.push_back(Luminance(t.At(x, b.b)));
    for (int y = b.t; y < b.b; ++y) ring.push_back(Luminance(t.At(b.l - 1, y))), ring.push_back(Luminance(t.At(b.r, y)));
    double mean = 0;
    for (double v : ring) mean += v / ring.size();
    double text = mean;
    for (int y = b.t; y < b.b; ++y)
      for (int x = b.l; x < b.r; ++x)
      {
        const double v = Luminance(t.At(x, y));
        if (std::fabs(v - mean) > std::fabs(text - mean)) text = v;
      }
    double worst = 100;
    for (double v : ring) worst = std::min(worst, Contrast(text, v));
    return worst;
  }

  SkinEditor t;

private:
  Box Scaled(int x, int y, int w, int h) const
  {
    const auto s = [this](int v) { return static_cast<int>(std::lround(v * mScale)); };
    return {s(x), s(y), s(x + w), s(y + h)};
  }

  std::vector<IColor> Pixels(const IRECT& r)
  {
    std::vector<IColor> out;
    for (int y = r.T; y < r.B; ++y)
      for (int x = r.L; x < r.R; ++x) out.push_back(t.At(x, y));
    return out;
  }

  static Box Opaque(IBitmap& bitmap)
  {
    RAST_IBitmap* data = bitmap.mData;
    const int fw = bitmap.FrameW(), fh = bitmap.FrameH(), span = data->getRowSpan();
    Box box{fw, fh, 0, 0};
    const RAST_pixel* bits = data->getBits();
    for (int y = 0; y < data->getHeight(); ++y)
      for (int x = 0; x < data->getWidth(); ++x)
        if (RAST_GETA(bits[y * span + x]) != 0)
        {
          const int fx = x % fw, fy = y % fh;
          box = {std::min(box.l, fx), std::min(box.t, fy), std::max(box.r, fx + 1), std::max(box.b, fy + 1)};
        }
    return box;
  }

  double mScale;
};

const char* const kPlates[3] = {"CHORUS / DELAY", "OVERDRIVE", "EQUALIZER"};
}  // namespace

// The names the artwork used to cut to ten letters, or left out, as the
// generator now sets them: whole words, a line each where they are long.
TEST(ZephraLook, LabelsSpellTheWholeName)
{
  struct Case { int param; std::vector<std::string> lines; } const kCases[] = {
    {kParamVcfModEnvFollower, {"VCF", "MODULATION", "ENVELOPE", "FOLLOWER"}},
    {kParamVcfModAdGenerator, {"VCF", "MODULATION", "AD", "GENERATOR"}},
    {kParamVcfModPitchFollow, {"VCF", "MODULATION", "PITCH", "FOLLOW"}},
    {kParamInstrumentVolume, {"INSTRUMENT", "VOLUME"}},
    {kParamDistortionVolume, {"DISTORTION", "VOLUME"}},
    {kParamVoice1Volume, {"VOICE1(+1OCT)", "VOLUME"}},
    {kParamPortamentoTime, {"PORTAMENTO", "TIME"}},
    {kParamPortamentoSlope, {"PORTAMENTO", "SLOPE"}},
    {kParamMidiSync, {"MIDI", "SYNC"}},
    {kParamKeyPriority, {"KEY", "PRIORITY"}},
  };
  const std::vector<ArtLabel> labels = ArtBackgroundLabels();
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.param);
    auto found = std::find_if(labels.begin(), labels.end(),
                              [&c](const ArtLabel& l) { return l.programValue == c.param - kParamOffset; });
    ASSERT_NE(found, labels.end());
    std::vector<std::string> lines;
    for (const ArtLabelLine& line : found->lines) lines.push_back(line.text);
    EXPECT_EQ(lines, c.lines);
  }
  // Every value label, on the background and the plates, spells the
  // synth's name of its value.
  std::vector<ArtLabel> all = labels;
  for (const char* plate : kPlates)
    for (ArtLabel& label : ArtEffectPlateLabels(plate, false)) all.push_back(std::move(label));
  for (const ArtLabel& label : all)
  {
    if (label.programValue < 0) continue;
    std::string name = kProgramValues[label.programValue].param.name, joined;
    for (char& ch : name) ch = static_cast<char>(toupper(static_cast<unsigned char>(ch)));
    for (const ArtLabelLine& line : label.lines) joined += (joined.empty() ? "" : " ") + line.text;
    EXPECT_EQ(joined, name);
  }
}

TEST(ZephraLook, EveryWordClearAndReadableInEveryLook)
{
  for (const char* look : {"space", "solid", "lcd"})
    for (double scale : {1.0, 2.0})
    {
      LookCheck check(look, scale);
      const auto& drawn = check.t.gui->mDrawnTexts;
      ASSERT_TRUE(std::any_of(drawn.begin(), drawn.end(), [](const std::string& s) { return s.rfind("CH:16", 0) == 0; }));
      for (int effect = 0; effect < 3; ++effect)
      {
        SCOPED_TRACE(std::string(look) + " at " + std::to_string(scale) + ", " + kPlates[effect]);
        check.OpenEffect(effect);
        std::vector<Ink> words = check.Labels(kPlates[effect]);
        const size_t labelCount = words.size();
        for (Ink& caption : check.Captions()) words.push_back(caption);
        const std::vector<Ink> controls = check.Controls();
        ASSERT_GT(labelCount, 200u);
        ASSERT_GT(words.size() - labelCount, 60u);
        ASSERT_GT(controls.size(), 100u);
        int faults = 0;
        for (size_t i = 0; i < words.size() && faults < 20; ++i)
        {
          for (size_t j = i + 1; j < words.size(); ++j)
            if (words[i].box.Meets(words[j].box))
              ADD_FAILURE() << words[i].what << " " << Show(words[i].box) << " overlaps " << words[j].what << " "
                            << Show(words[j].box), ++faults;
          for (const Ink& control : controls)
            if (words[i].box.Meets(control.box))
              ADD_FAILURE() << words[i].what << " " << Show(words[i].box) << " overlaps " << control.what << " "
                            << Show(control.box), ++faults;
          const double contrast = check.WorstContrast(words[i].box);
          if (contrast < 4.5)
            ADD_FAILURE() << words[i].what << " " << Show(words[i].box) << " contrast " << contrast, ++faults;
        }
      }
      if (scale == 1.0) check.t.Keep(std::string(look) + "-look");
    }
}

// The chorus and delay plate names each fader it has, and only those: every
// name in one row under its fader, no line of it reaching past the half-way
// mark to the next fader, in every look. "Feedback damping" (r 143) has no
// control, so neither a name nor a caption window.
TEST(ZephraLook, ChorusDelayLabelsStandUnderTheirOwnFaders)
{
  const std::vector<int> kNamed = {129, 130, 131, 132, 133, 134, 135, 136, 137, 138, 139, 140, 141, 142};
  std::vector<ArtLabel> labels;
  for (ArtLabel& label : ArtEffectPlateLabels("CHORUS / DELAY", false))
    if (label.programValue >= 0) labels.push_back(std::move(label));
  std::vector<int> named;
  for (const ArtLabel& label : labels) named.push_back(label.programValue);
  std::sort(named.begin(), named.end());
  EXPECT_EQ(named, kNamed);
  EXPECT_EQ(ArtLcdCaptionBox(143).w, 0);
  for (const char* plate : kPlates)
    for (const ArtLabel& label : ArtEffectPlateLabels(plate, false)) EXPECT_NE(label.programValue, 143) << plate;

  for (const char* look : {"space", "solid", "lcd"})
  {
    SCOPED_TRACE(look);
    LookCheck check(look, 1.0);
    check.OpenEffect(0);
    EXPECT_EQ(check.t.ControlOf(143 + kParamOffset), nullptr);
    int row = -1;
    for (const ArtLabel& label : labels)
    {
      IControl* fader = check.t.ControlOf(label.programValue + kParamOffset);
      ASSERT_TRUE(fader && !fader->IsHidden()) << label.text;
      const IRECT& f = fader->GetRECT();
      const int middle = (f.L + f.R) / 2;
      ASSERT_FALSE(label.lines.empty()) << label.text;
      if (row < 0) row = label.lines.front().y;
      EXPECT_EQ(label.lines.front().y, row) << label.text;
      EXPECT_GE(label.lines.front().y, f.B) << label.text;
      for (const ArtLabelLine& line : label.lines)
      {
        // The faders stand 40 pixels apart: half-way is 20 from the middle.
        EXPECT_GE(line.x, middle - 20) << label.text << " [" << line.text << "]";
        EXPECT_LE(line.x + line.w, middle + 20) << label.text << " [" << line.text << "]";
      }
    }
  }
}

// The program-number chooser writes its number in black, centred with the
// space its empty label leaves after it, so the digits stand left of the
// chooser's middle: the field under them, and two pixels round them, reads
// at 4.5:1 against black, and the widest number shows two whole digits.
TEST(ZephraLook, NumberChooserReadsBlackOnItsField)
{
  const double black = Luminance(IColor(255, 0, 0, 0));
  const Box around{528, 338, 608, 398};  // the chooser (548, 348, 588, 388) and 20 pixels round it
  for (const char* look : {"space", "solid", "lcd"})
  {
    SCOPED_TRACE(look);
    SkinEditor t(std::string("[gui]\nbackground=") + look + "\n");
    t.Face().Ref(SkinRef::kSaveFromSynthBackground)->Hide(false);
    t.gui->HideControl(kParamProgramNumberOk, false);
    t.gui->HideControl(kParamProgramNumber, true);
    t.Draw();
    std::vector<IColor> bare;
    for (int y = around.t; y < around.b; ++y)
      for (int x = around.l; x < around.r; ++x) bare.push_back(t.At(x, y));
    t.gui->HideControl(kParamProgramNumber, false);
    t.ControlOf(kParamProgramNumber)->SetValueFromUserInput(1.0);
    t.Draw();
    const auto& drawn = t.gui->mDrawnTexts;
    ASSERT_TRUE(std::find(drawn.begin(), drawn.end(), "99 ") != drawn.end());
    Box ink{around.r, around.b, around.l, around.t};
    for (int y = around.t, k = 0; y < around.b; ++y)
      for (int x = around.l; x < around.r; ++x, ++k)
        if (!(t.At(x, y) == bare[k]))
          ink = {std::min(ink.l, x), std::min(ink.t, y), std::max(ink.r, x + 1), std::max(ink.b, y + 1)};
    EXPECT_GE(ink.r - ink.l, 24) << Show(ink);
    EXPECT_GE(ink.b - ink.t, 18) << Show(ink);
    ASSERT_TRUE(ink.l - 2 >= around.l && ink.r + 2 <= around.r && ink.t - 2 >= around.t && ink.b + 2 <= around.b)
        << Show(ink);
    int dark = 0;
    for (int y = ink.t - 2; y < ink.b + 2; ++y)
      for (int x = ink.l - 2; x < ink.r + 2; ++x)
      {
        const IColor& c = bare[(y - around.t) * (around.r - around.l) + (x - around.l)];
        if (Contrast(Luminance(c), black) < 4.5 && dark++ < 3)
          ADD_FAILURE() << "field at " << x << "," << y << " is " << c.R << "," << c.G << "," << c.B;
      }
  }
}

// The manager's words at the base size, over every look: each label's capitals stand at
// least 7 pixels tall, whole inside the place it is given (a check box's
// row beside the box, a button's face).
TEST(ZephraLook, ManagerWordsReadAtTheBaseSize)
{
  struct Case { const char* what; Box place; } const kCases[] = {
    {"MOVE", {682, 31, 735, 44}},       {"EXCHANGE", {682, 44, 735, 57}}, {"COPY", {682, 57, 735, 70}},
    {"REMOVE", {682, 70, 735, 83}},     {"NAME/CAT", {682, 83, 735, 96}}, {"CONFIRM", {750, 83, 824, 96}},
    {"BASS", {840, 31, 878, 44}},        {"EWI", {840, 83, 878, 96}},     {"NAME", {878, 25, 940, 37}},
    {"INVERT SELECTION", {190, 37, 316, 57}}, {"PROGRAMS", {20, 99, 120, 116}}, {"BANK", {312, 97, 400, 108}},
  };
  for (const char* look : {"space", "solid", "lcd"})
  {
  SkinEditor t(std::string("[gui]\nbackground=") + look + "\nmanager=true\n");
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(std::string(look) + " " + c.what);
    const Box ink = InkIn(t, c.place);
    ASSERT_FALSE(ink.Empty());
    EXPECT_GE(ink.b - ink.t, 7) << Show(ink);
    // Clear of the place's edges, so none of it is cut.
    EXPECT_TRUE(ink.l > c.place.l && ink.r < c.place.r && ink.t > c.place.t && ink.b < c.place.b) << Show(ink);
  }
  }
}

// The row-edit boxes say what a click on a row does, in every look: the
// words' ink spans 6 pixels a letter less one (the labels' font at the base
// size), and "REMOVE" ends in the very letters of "MOVE".
TEST(ZephraLook, ManagerRowEditBoxesNameTheirOperation)
{
  struct Case { const char* word; Box place; int width; } const kCases[] = {
    {"MOVE", {682, 31, 735, 44}, 23}, {"EXCHANGE", {682, 44, 735, 57}, 47},
    {"COPY", {682, 57, 735, 70}, 23}, {"REMOVE", {682, 70, 735, 83}, 35},
  };
  for (const char* look : {"space", "solid", "lcd"})
  {
    SCOPED_TRACE(look);
    SkinEditor t(std::string("[gui]\nbackground=") + look + "\nmanager=true\n");
    Box inks[4];
    for (int i = 0; i < 4; ++i)
    {
      inks[i] = InkIn(t, kCases[i].place);
      EXPECT_EQ(inks[i].r - inks[i].l, kCases[i].width) << kCases[i].word << " " << Show(inks[i]);
    }
    const Box& move = inks[0];
    const Box& remove = inks[3];
    ASSERT_EQ(move.b - move.t, remove.b - remove.t);
    for (int y = 0; y < move.b - move.t; ++y)
      for (int x = 0; x < move.r - move.l; ++x)
        ASSERT_TRUE(t.At(move.l + x, move.t + y) == t.At(remove.l + 12 + x, remove.t + y)) << x << "," << y;
  }
}

// A location tile's category, in every look: its capitals stand at least
// 7 pixels tall in the tile's bottom right corner, whole inside the frame,
// at 4.5:1 or more against the tile's tint, and a long program name across
// the tile's middle stays out of that corner (the ink there is the
// category's line alone, at most 8 pixels).
TEST(ZephraLook, ManagerTileCategoriesReadAtTheBaseSize)
{
  struct Case { double value; const char* category; } const kCases[] = {
    {1 / 6.0, "NONE"}, {2 / 6.0, "BASS"}, {3 / 6.0, "GTR"}, {4 / 6.0, "MIDI"}, {5 / 6.0, "FX"}, {1.0, "EWI"},
  };
  // Location 1's tile is (390, 108, 470, 174); its frame's inside ends at
  // column 468 and row 172.
  const Box corner{420, 158, 468, 172};
  for (const char* look : {"space", "solid", "lcd"})
  {
    SkinEditor t(std::string("[gui]\nbackground=") + look + "\nmanager=true\n");
    t.editor->ManagerPanel()->SetRowText(1, "Dark Lead Sweep");
    for (const Case& c : kCases)
    {
      SCOPED_TRACE(std::string(look) + " " + c.category);
      t.editor->ManagerPanel()->SetRowCell(1, c.value);
      t.Draw();
      const Box ink = InkIn(t, corner);
      ASSERT_FALSE(ink.Empty());
      EXPECT_GE(ink.b - ink.t, 7) << Show(ink);
      EXPECT_LE(ink.b - ink.t, 8) << Show(ink);
      EXPECT_TRUE(ink.l > corner.l && ink.r < corner.r && ink.t > corner.t && ink.b < corner.b) << Show(ink);
      EXPECT_GE(StrongestContrast(t, ink, corner), 4.5);
    }
  }
}

// The words painted beside the label table stand at least 7 pixels tall,
// whole inside their place: on buttons whose name is too long for the
// readable size (SELECT ALL; WRITE ALL on the LCD look's narrower
// selectors), on the FLEXI list pages and on the "save from synth"
// chooser.
TEST(ZephraLook, WordsBesideTheLabelTableReadAtTheBaseSize)
{
  struct Case { const char* look; const char* what; SkinRef overlay; Box place; } const kCases[] = {
    {"", "SELECT ALL", SkinRef::kNone, {1068, 732, 1128, 752}},
    {"space", "WRITE ALL", SkinRef::kNone, {208, 13, 264, 27}},
    {"solid", "WRITE ALL", SkinRef::kNone, {208, 13, 264, 27}},
    {"lcd", "WRITE ALL", SkinRef::kNone, {220, 12, 272, 25}},
    {"", "CLICK ABOVE THE LIST TO CLOSE IT", SkinRef::kSourceList, {900, 130, 1126, 147}},
    {"", "CLICK ABOVE THE LIST TO CLOSE IT", SkinRef::kRangeList, {900, 130, 1126, 147}},
    {"", "SAVE FROM ZEPHRA", SkinRef::kSaveFromSynthBackground, {490, 319, 642, 332}},
    {"", "PROGRAM NUMBER", SkinRef::kSaveFromSynthBackground, {490, 332, 642, 345}},
  };
  for (const char* look : {"space", "solid", "lcd"})
    for (const Case& c : kCases)
    {
      if (*c.look && std::string(c.look) != look) continue;
      SCOPED_TRACE(std::string(look) + " " + c.what);
      SkinEditor t(std::string("[gui]\nbackground=") + look + "\n");
      if (c.overlay != SkinRef::kNone) t.Face().Ref(c.overlay)->Hide(false);
      t.Draw();
      const Box ink = InkIn(t, c.place);
      ASSERT_FALSE(ink.Empty());
      EXPECT_GE(ink.b - ink.t, 7) << Show(ink);
      EXPECT_TRUE(ink.l > c.place.l && ink.r < c.place.r && ink.t > c.place.t && ink.b < c.place.b) << Show(ink);
    }
}

// The equaliser's view switches, PAR and GRF, in every look and in both
// views: no band slider's travel and not the graph reaches them, and their
// words stand at least 7 pixels tall, whole on the switch's face.
TEST(ZephraLook, EqualizerViewSwitchesStandClearAndReadAtTheBaseSize)
{
  const int kViews[2] = {kParamParametricEqView, kParamParagraphicEqView};
  for (const char* look : {"space", "solid", "lcd"})
    for (bool graph : {false, true})
    {
      SCOPED_TRACE(std::string(look) + (graph ? " graph" : " knobs"));
      LookCheck check(look, 1.0);
      check.OpenEffect(2);
      ZephraPanels& face = check.t.Face();
      // Each view's panel shows and hides the switches too: the shown one last.
      if (graph) face.HideEqualizerPanel(true), face.HideParagraphicEqPanel(false);
      else face.HideParagraphicEqPanel(true), face.HideEqualizerPanel(false);
      check.t.Draw();
      std::vector<Ink> parts = check.Controls();
      ASSERT_GT(parts.size(), 100u);
      if (graph)
      {
        const IRECT& g = check.t.ControlOf(kParamPgEq)->GetRECT();
        ASSERT_FALSE(check.t.ControlOf(kParamPgEq)->IsHidden());
        parts.push_back({"the graph", {g.L, g.T, g.R, g.B}});
      }
      for (int view : kViews)
      {
        IControl* c = check.t.ControlOf(view);
        ASSERT_FALSE(c->IsHidden()) << view;
        const IRECT& r = c->GetRECT();
        const Box area{r.L, r.T, r.R, r.B};
        for (const Ink& part : parts)
          EXPECT_FALSE(area.Meets(part.box)) << view << " " << Show(area) << " meets " << part.what << " " << Show(part.box);
        // The face inside the bevel's edges.
        const Box place{r.L + 2, r.T + 2, r.R - 2, r.B - 2};
        const Box ink = InkIn(check.t, place);
        ASSERT_FALSE(ink.Empty()) << view;
        EXPECT_GE(ink.b - ink.t, 7) << view << " " << Show(ink);
        EXPECT_TRUE(ink.l > place.l && ink.r < place.r && ink.t > place.t && ink.b < place.b) << view << " " << Show(ink);
        EXPECT_GE(StrongestContrast(check.t, ink, place), 4.5) << view;
      }
    }
}

// Every word of the main window's artwork, in every look and on every
// effect plate, at the base size: its ink stays inside the box the table
// gives it, the box inside the section box it stands in, and its capitals
// stand at least 7 pixels tall.
TEST(ZephraLook, EveryLabelStaysInItsBoxAndStandsSevenPixels)
{
  std::vector<ArtSection> sections(kArtSections, kArtSections + kArtSectionCount);
  sections.push_back(kArtEffectSection);
  for (const char* look : {"space", "solid", "lcd"})
  {
    LookCheck check(look, 1.0);
    for (int effect = 0; effect < 3; ++effect)
    {
      SCOPED_TRACE(std::string(look) + ", " + kPlates[effect]);
      check.OpenEffect(effect);
      std::vector<ArtLabel> labels = ArtBackgroundLabels();
      for (ArtLabel& label : ArtEffectPlateLabels(kPlates[effect], false)) labels.push_back(std::move(label));
      int faults = 0;
      for (const ArtLabel& label : labels)
        for (const ArtLabelLine& line : label.lines)
        {
          if (faults >= 20) break;
          const Box box{line.x, line.y, line.x + line.w, line.y + line.h};
          for (const ArtSection& s : sections)
          {
            const Box section{s.x, s.y, s.x + s.w, s.y + s.h};
            if (box.Meets(section) && !(box.l > section.l && box.r < section.r && box.t > section.t && box.b < section.b))
              ADD_FAILURE() << line.text << " " << Show(box) << " leaves " << Show(section), ++faults;
          }
          // The ink: what stands out from the ground one pixel round the box.
          const Box ink = InkIn(check.t, {box.l - 1, box.t - 1, box.r + 1, box.b + 1});
          if (ink.Empty() || ink.l < box.l || ink.r > box.r || ink.t < box.t || ink.b > box.b)
            ADD_FAILURE() << line.text << " ink " << Show(ink) << " outside " << Show(box), ++faults;
          else if (ink.b - ink.t < 7)
            ADD_FAILURE() << line.text << " ink " << Show(ink) << " under 7 pixels", ++faults;
        }
    }
  }
}

// Every text a list or the MIDI channel can show stands on the face of the
// window the artwork gives it (window: its face inside the frame), in every
// look.
TEST(ZephraLook, ListTextsStayInTheirWindows)
{
  struct Case { int param; int count; Box window; } const kCases[] = {
    {kParamFlexi1Sources, kFlexiSourceCount, {473, 12, 549, 27}},
    {kParamFlexi1Ranges, kFlexiRangeListCount, {473, 39, 549, 54}},
    {kParamMidiChannel, 16, {282, 730, 314, 770}},
  };
  for (const char* look : {"space", "solid", "lcd"})
  {
    SkinEditor t(std::string("[gui]\nbackground=") + look + "\n");
    for (const Case& c : kCases)
    {
      SCOPED_TRACE(std::string(look) + " " + std::to_string(c.param));
      IControl* spinner = t.ControlOf(c.param);
      ASSERT_NE(spinner, nullptr);
      const Box around{c.window.l - 40, c.window.t - 4, c.window.r + 40, c.window.b + 4};
      spinner->Hide(true);
      t.Draw();
      std::vector<IColor> bare;
      for (int y = around.t; y < around.b; ++y)
        for (int x = around.l; x < around.r; ++x) bare.push_back(t.At(x, y));
      spinner->Hide(false);
      int widest = 0;
      for (int i = 0; i < c.count; ++i)
      {
        spinner->SetValueFromUserInput(static_cast<double>(i) / (c.count - 1));
        t.Draw();
        Box ink{around.r, around.b, around.l, around.t};
        for (int y = around.t, k = 0; y < around.b; ++y)
          for (int x = around.l; x < around.r; ++x, ++k)
            if (!(t.At(x, y) == bare[k]))
              ink = {std::min(ink.l, x), std::min(ink.t, y), std::max(ink.r, x + 1), std::max(ink.b, y + 1)};
        widest = std::max(widest, ink.r - ink.l);
        ASSERT_TRUE(ink.l >= c.window.l && ink.r <= c.window.r && ink.t >= c.window.t && ink.b <= c.window.b)
            << "position " << i << " " << Show(ink);
        // All of it on the window's face, none on its edge or beyond.
        const int w = around.r - around.l;
        const IColor face = bare[((c.window.t + c.window.b) / 2 - around.t) * w + (c.window.l + c.window.r) / 2 - around.l];
        int off = 0;
        for (int y = ink.t; y < ink.b; ++y)
          for (int x = ink.l; x < ink.r; ++x) off += !(bare[(y - around.t) * w + x - around.l] == face);
        EXPECT_EQ(off, 0) << "position " << i << " " << Show(ink);
      }
      EXPECT_GT(widest, 20);
    }
  }
}

TEST(ZephraLook, LitLearnLampCoversNoWordOfItsButton)
{
  // FLEXI1's learn button, its lamp and its caption below, at the base size.
  // Lighting the lamp may repaint the button's face and its lamp socket,
  // never a stroke of a word on the button or under it (a stroke stands out
  // of the face by a contrast of 3 or more, as a word must to be read).
  constexpr int kLeft = 551, kTop = 48, kRight = 611, kBottom = 84, kFaceX = 584, kFaceY = 60;
  for (const char* look : {"space", "solid", "lcd"})
  {
    SCOPED_TRACE(look);
    SkinEditor t(std::string("[gui]\nbackground=") + look + "\n");
    IControl* lamp = t.Face().LearnLamp(0);
    ASSERT_NE(lamp, nullptr);
    lamp->Hide(true);
    t.Draw();
    std::vector<IColor> unlit;
    for (int y = kTop; y < kBottom; ++y)
      for (int x = kLeft; x < kRight; ++x) unlit.push_back(t.At(x, y));
    const IColor face = t.At(kFaceX, kFaceY);
    lamp->Hide(false);
    t.Draw();
    int repainted = 0, covered = 0;
    for (int y = kTop, i = 0; y < kBottom; ++y)
      for (int x = kLeft; x < kRight; ++x, ++i)
        if (!(t.At(x, y) == unlit[i]))
        {
          ++repainted;
          if (Contrast(Luminance(unlit[i]), Luminance(face)) >= 3.0) ++covered;
        }
    EXPECT_GT(repainted, 100);  // the lamp does light
    EXPECT_EQ(covered, 0);
  }
}
