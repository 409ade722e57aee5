// The editor's looks on the headless surface from the generated artwork:
// controls, tool tips, pixels, and pictures of every panel under artefacts/.
#include "ZephraSkinEditor.h"

#include "graphics/controls/IKnobControl.h"
#include "graphics/controls/ISwitchControl.h"
#include "graphics/controls/ITextControl.h"
#include "editor/art/ArtTable.h"
#include "graphics/IGraphicsEarlyArt.h"

#include <set>
#include <string>
#include <vector>

TEST(ZephraSkin, BackgroundSettingChoosesTheLook)
{
  // fileAfter: settings.ini after the build; empty: (507, 350), between the VCO3 and VOICE boxes.
  struct Case { const char* name, *settings, *fileAfter; int skin; bool spaceShown, solidShown; IColor empty; }
  const kCases[] = {
    {"missing", "", "[gui]\nbackground=space\n", 0, true, false, {255, 20, 24, 38}},
    {"space", "[gui]\nbackground=space\n", "[gui]\nbackground=space\n", 0, true, false, {255, 20, 24, 38}},
    {"other case", "[gui]\nbackground=Space\n", "[gui]\nbackground=Space\n", 0, true, false, {255, 20, 24, 38}},
    {"solid", "[gui]\nbackground=solid\n", "[gui]\nbackground=solid\n", 1, false, true, {255, 44, 46, 52}},
    {"lcd", "[gui]\nbackground=lcd\n", "[gui]\nbackground=lcd\n", 2, true, false, {255, 150, 166, 140}},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.name);
    SkinEditor t(c.settings);
    EXPECT_EQ(t.editor->Skin(), c.skin);
    EXPECT_EQ(ReadWholeFile(t.dir.File("settings.ini")).substr(0, std::string(c.fileAfter).size()), c.fileAfter);
    IControl* space = t.editor->Face()->Ref(SkinRef::kMainBackground);
    IControl* solid = t.editor->Face()->Ref(SkinRef::kSecondBackground);
    EXPECT_EQ(!space->IsHidden(), c.spaceShown);
    EXPECT_EQ(solid ? !solid->IsHidden() : false, c.solidShown);
    const IColor empty = t.At(507, 350);
    EXPECT_TRUE(empty == c.empty) << empty.R << " " << empty.G << " " << empty.B;
  }
}

TEST(ZephraSkin, PixelsOfTheClassicLook)
{
  SkinEditor t("[gui]\nbackground=Space\n");
  // The name display's red text lies inside its rectangle.
  int red = 0, redOutside = 0;
  for (int y = 20; y < 56; ++y)
    for (int x = 40; x < 290; ++x)
    {
      const IColor c = t.At(x, y);
      const bool isRed = c.R > 200 && c.G < 60 && c.B < 60;
      const bool inside = x >= 58 && x < 268 && y >= 30 && y < 46;
      (inside ? red : redOutside) += isRed;
    }
  EXPECT_GT(red, 20);
  EXPECT_EQ(redOutside, 0);

  // A white key (C) of the on-screen keyboard, under the black keys.
  const IColor key = t.At(323, 788);
  EXPECT_TRUE(key == IColor(255, 238, 236, 228)) << key.R << " " << key.G << " " << key.B;

  // "VCO1 coarse" at 0 and at 1 draws its handle on different rows.
  const auto handleRows = [&t]() {
    std::string rows;
    IControl* slider = t.ControlOf(kParamVco1Coarse);
    const IRECT r = slider->GetRECT();
    for (int y = r.T; y < r.B; ++y) rows += t.At(r.L + r.W() / 2, y).R > 150 ? '#' : '.';
    return rows;
  };
  t.editor->SetParameterFromGUI2(kParamVco1Coarse, 0);
  t.editor->RedrawParamControls();
  t.Draw();
  const std::string low = handleRows();
  t.editor->SetParameterFromGUI2(kParamVco1Coarse, 1);
  t.editor->RedrawParamControls();
  t.Draw();
  EXPECT_NE(handleRows(), low) << low;
}

TEST(ZephraSkin, ParametersWithoutControlsAndTooltips)
{
  SkinEditor classic("[gui]\nbackground=space\n");
  SkinEditor lcd("[gui]\nbackground=lcd\n");
  // tooltip: of the first control, "" for none.
  struct Case { int param, classicControls, lcdControls; const char* tooltip; } kCases[] = {
    {kParamLfoVcoDepth, 1, 1, "LFO VCO depth"},
    {kParamFlexi1Source, 0, 0, ""},
    {kParamFlexi1RangeControl, 0, 0, ""},
    {kParamFlexi1Curve, 1, 1, "FLEXI1 CURVE"},
    {kParamFlexi2Source, 0, 0, ""},
    {kParamFlexi4RangeControl, 0, 0, ""},
    {kParamFlexi4Curve, 1, 1, ""},
    {kParamDelayVintageLong, 0, 0, ""},
    {kParamMidiSync, 1, 1, "MIDI Sync"},
    {kParamSpare128, 0, 0, ""},
    {kParamSpare130, 0, 0, ""},
    {kParamEffectsChainOrder, 1, 1, "Effects Chain Order"},
    {kParamFeedbackLevel, 1, 1, "Feedback level"},
    {kParamFeedbackDamping, 0, 0, ""},
    {kParamOverdriveLevel, 1, 1, "Level"},
    {kParamSpare150, 0, 0, ""},
    {kParamSpare159, 0, 0, ""},
    {kParamEqualizerOnOff, 1, 1, "Equalizer ON/OFF"},
    {kParamPortamentoMode, 1, 1, "portamento mode"},
    {kParamFlexi1Mode, 1, 1, ""},
    {kParamFlexi4RangeControlPolarity, 1, 1, ""},
    {kParamOdBlendInstrument, 1, 1, "OD Blend INSTRUMENT"},
    {kParamVcfCutoffNew, 1, 1, "VCF Cutoff Frequency (new)"},
    {kParamLoadSelector, 2, 2, ""},  // the folder selector; the load selector has the tip
    {kParamLoadButton, 1, 1, "Load program from file"},
    {kParamSaveButton, 1, 1, "Save program to file"},
    {kParamWriteOneButton, 1, 1, "Select and write program from file to Zephra"},
    {kParamWriteAllButton, 1, 1, "Write all programs from files to Zephra. You have to connect two midicables!"},
    {kParamFirmwareSelector, 1, 1, ""},
    {kParamParagraphicEqView, 1, 1, "4 Band Paragraphic Equalizer"},
    {kParamUnused293, 1, 0, ""},
    {kParamMidiChannel, 1, 1, ""},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.param);
    EXPECT_EQ(classic.ControlsOf(c.param), c.classicControls);
    EXPECT_EQ(lcd.ControlsOf(c.param), c.lcdControls);
    if (IControl* control = classic.ControlOf(c.param))
    {
      BASE_String tip;
      control->CopyTooltip(&tip);
      EXPECT_STREQ(tip.Get(), c.tooltip);
    }
  }
}

TEST(ZephraSkin, EveryLoadedImageExistsAtTheTablesSize)
{
  for (const char* settings : {"[gui]\nbackground=solid\n", "[gui]\nbackground=lcd\n"})
  {
    SkinEditor t(settings);
    ASSERT_FALSE(t.gui->mLoadedResources.empty());
    for (const std::string& path : t.gui->mLoadedResources)
    {
      SCOPED_TRACE(path);
      struct stat st;
      EXPECT_EQ(stat((std::string(ZEPHRA_BUILD_RESOURCES) + "/" + path).c_str(), &st), 0);
      for (size_t i = 0; i < kArtTableSize; ++i)
      {
        const ArtRow& row = kArtTable[i];
        if (path != row.path) continue;
        // The PNG's header: width and height, big-endian, from byte 16.
        const std::string png = ReadWholeFile(std::string(ZEPHRA_BUILD_RESOURCES) + "/" + path);
        ASSERT_GE(png.size(), 24u);
        const auto word = [&png](size_t at) {
          return (static_cast<uint8_t>(png[at]) << 24) | (static_cast<uint8_t>(png[at + 1]) << 16) |
                 (static_cast<uint8_t>(png[at + 2]) << 8) | static_cast<uint8_t>(png[at + 3]);
        };
        EXPECT_EQ(word(16), 2 * row.w);
        EXPECT_EQ(word(20), 2 * row.h * row.frames);
      }
    }
  }
}

TEST(ZephraSkin, LcdEffectStripSitsThreePixelsHigher)
{
  SkinEditor classic("[gui]\nbackground=space\n");
  SkinEditor lcd("[gui]\nbackground=lcd\n");
  struct Case { int param; IRECT classicRect, lcdRect; } kCases[] = {
    {kParamShowFxOverdrive, {523, 565, 618, 582}, {523, 562, 618, 584}},
    {kParamTabDelay, {808, 565, 908, 585}, {808, 562, 908, 587}},
    {kParamEffectsChainOrder, {906, 565, 966, 585}, {906, 562, 966, 582}},
    // The LCD look's file row is laid out for its wider contacts.
    {kParamSaveSelector, {100, 12, 140, 28}, {104, 10, 160, 27}},
    {kParamWriteSelector, {150, 12, 190, 28}, {161, 10, 217, 27}},
    // The view switches keep their classic place in both looks.
    {kParamParametricEqView, {547, 692, 574, 711}, {547, 692, 574, 711}},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.param);
    EXPECT_EQ(classic.ControlOf(c.param)->GetRECT(), c.classicRect);
    EXPECT_EQ(lcd.ControlOf(c.param)->GetRECT(), c.lcdRect);
  }
  // The tab row's lamps draw from y 562 in the LCD look only.
  for (SkinEditor* t : {&lcd, &classic})
  {
    t->editor->SetParameterFromGUI2(kParamShowFxChorus, 1);
    t->editor->RedrawParamControls();
    t->Draw();
  }
  int lcdEdge = 0, classicEdge = 0;
  for (int x = 713; x < 808; ++x)
  {
    lcdEdge += !(lcd.At(x, 562) == lcd.At(x, 561));
    classicEdge += !(classic.At(x, 565) == classic.At(x, 564));
  }
  EXPECT_GT(lcdEdge, 40);
  EXPECT_GT(classicEdge, 40);
}

TEST(ZephraSkin, CaptionsOfTheFlexiValuesAreNeverMade)
{
  SkinEditor t("[gui]\nbackground=space\n");
  ZephraPanels& face = *t.editor->Face();
  struct Case { int programIndex; bool hasCaption; } kCases[] = {
    {94, true}, {95, false}, {120, false}, {121, false}, {124, true}};
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.programIndex);
    EXPECT_EQ(face.Caption(c.programIndex) != nullptr, c.hasCaption);
    face.SetValueCaption(c.programIndex, "written");  // harmless either way
  }
  t.Draw();
  int drawn = 0;
  for (const std::string& text : t.gui->mDrawnTexts) drawn += text == "written";
  EXPECT_EQ(drawn, 2);
}

TEST(ZephraSkin, EveryPanelOfBothLooksAsPictures)
{
  for (const char* look : {"space", "solid", "lcd"})
  {
    SkinEditor t(std::string("[gui]\nbackground=") + look + "\n");
    ZephraPanels& face = *t.editor->Face();
    struct Panel { const char* name; void (*open)(ZephraPanels&, bool); } kPanels[] = {
      {"chorus-delay", [](ZephraPanels& f, bool o) { f.HideModFxPanel(!o); }},
      {"overdrive", [](ZephraPanels& f, bool o) { f.HideOverdrivePanel(!o); }},
      {"equalizer", [](ZephraPanels& f, bool o) { f.HideEqualizerPanel(!o); }},
      {"eq-graph", [](ZephraPanels& f, bool o) { f.HideParagraphicEqPanel(!o); }},
      {"flexi-sources", [](ZephraPanels& f, bool o) { f.HideFlexiSourceList(!o); }},
      {"flexi-ranges", [](ZephraPanels& f, bool o) { f.HideFlexiRangeList(!o); }},
      {"chooser",
       [](ZephraPanels& f, bool o) {
         f.Ref(SkinRef::kSaveFromSynthBackground)->Hide(!o);
         f.Gui().HideControl(kParamProgramNumber, !o);
         f.Gui().HideControl(kParamProgramNumberOk, !o);
       }},
      {"about", [](ZephraPanels& f, bool o) { f.About()->SetValueFromPlug(o ? 1.0 : 0.0); }},
    };
    t.Keep(std::string(look) + "-start");
    face.HideModFxPanel(true);
    for (const Panel& panel : kPanels)
    {
      panel.open(face, true);
      t.Draw();
      t.Keep(std::string(look) + "-" + panel.name);
      panel.open(face, false);
    }
  }
}

// The scale is the editor's own setting, also on a surface that knows no
// application-support folder; no process shares it through a folder of its
// own making.
TEST(ZephraSkin, ScaleLivesInTheEditorsSettings)
{
  SkinEditor t("[gui]\nbackground=space\nguiscale=1.500000000000000\n");
  auto* resizer = static_cast<IUnitGUIResize*>(t.editor->GetGUIResize());
  EXPECT_EQ(std::string(resizer->GetSettingsPath()), t.dir.File("settings.ini"));
  EXPECT_EQ(resizer->GetGUIScaleRatio(), 1.5);
  struct stat info;
  EXPECT_NE(stat("/ZephraEditor", &info), 0);
}

// The FLEXI list spinners the editor builds open their text entry on a
// right click, over the whole spinner, and take the position typed; the
// left button opens nothing. (In the editor's layout the list-page switch
// over each spinner takes the clicks first: this is the spinner's own
// answer.)
TEST(ZephraSkin, FlexiSpinnersOpenTheirEntryOnARightClick)
{
  SkinEditor s;
  const int kSpinners[] = {kParamFlexi1Sources, kParamFlexi1Ranges, kParamFlexi2Sources, kParamFlexi2Ranges,
                           kParamFlexi3Sources, kParamFlexi3Ranges, kParamFlexi4Sources, kParamFlexi4Ranges};
  for (int param : kSpinners)
  {
    SCOPED_TRACE(param);
    IControl* c = s.ControlOf(param);
    ASSERT_NE(dynamic_cast<ISpinnerControl*>(c), nullptr);
    const IRECT r = c->GetRECT();
    IMouseMod left(true, false), right(false, true);
    s.gui->mTextEntries.clear();
    c->OnMouseDown(r.L + 5, r.T + 5, &left);
    EXPECT_TRUE(s.gui->mTextEntries.empty());
    s.gui->QueueTypedText("2");
    c->OnMouseDown(r.L + 5, r.T + 5, &right);
    ASSERT_EQ(s.gui->mTextEntries.size(), 1u);
    EXPECT_EQ(s.gui->mTextEntries[0].rect, r);
    s.gui->PressEnterInTextEntry();
    EXPECT_EQ(s.Int(param), 2);
  }
}

// A slider strip the table lists under two ids is held once: the sliders of
// both uses draw the same pixels, in both looks.
TEST(ZephraSkin, StripOfTwoIdsIsHeldOnce)
{
  const auto pixels = [](SkinEditor& t, int param) -> RAST_IBitmap* {
    auto* slider = dynamic_cast<IKnobMultiControl*>(t.ControlOf(param));
    return slider && slider->GetBitmap() ? slider->GetBitmap()->mData : nullptr;
  };
  for (const char* settings : {"[gui]\nbackground=space\n", "[gui]\nbackground=lcd\n"})
  {
    SCOPED_TRACE(settings);
    SkinEditor t(settings);
    // The delay's slider takes the strip's first id, the modulation's its second.
    ASSERT_NE(pixels(t, kParamDelay1), nullptr);
    EXPECT_EQ(pixels(t, kParamDelay1), pixels(t, kParamMod1A));
    EXPECT_EQ(pixels(t, kParamDelay1)->getWidth(), 32);
  }
}

// The choosers the File menu opens: each asks for its own kind of file and
// says what it is for under its menu item's name.
TEST(ZephraSkin, TheFileMenusChoosersAskForTheirFilesUnderTheirTitles)
{
  struct Case
  {
    int command;
    int action;
    const char* extensions;
    const char* title;
  } const kCases[] = {
    {2, 0, "pr3 prg", "Load Program from File to Editor"},
    {3, 1, "pr3", "Save Program from Editor to File"},
    {4, 0, "pr3", "Write Program from File to Zephra"},
    {6, 0, "ldr", "Firmware update"},
  };
  for (const char* settings : {"[gui]\nbackground=solid\n", "[gui]\nbackground=lcd\n"})
    for (const Case& c : kCases)
    {
      SCOPED_TRACE(std::string(settings) + std::to_string(c.command));
      SkinEditor t(settings);
      ASSERT_TRUE(t.editor->OnStandaloneMenuCommand(c.command));
      ASSERT_EQ(t.gui->mFilePrompts.size(), 1u);
      EXPECT_EQ(t.gui->mFilePrompts[0].action, c.action);
      EXPECT_EQ(t.gui->mFilePrompts[0].extensions, c.extensions);
      EXPECT_EQ(t.gui->mFilePrompts[0].title, c.title);
    }
}

// A start of each look loads every file decoded ahead for it, of the kind
// it was decoded (halved at scale 1, a strip of frames too): nothing is
// decoded for nothing, and the list holds every file each start was seen
// to load.
TEST(ZephraSkin, TheArtworkDecodedAheadIsWhatEachLooksStartLoads)
{
  const std::set<std::string> kClassic = {
    "img/manager/pm-scrollbar-2x.png", "img/orig/bgkb-2x.png", "img/orig/bigbutton-2x.png",
    "img/orig/ch-sw-2x.png", "img/orig/checkbox-2x.png", "img/orig/clearall-2x.png", "img/orig/copy-2x.png",
    "img/orig/curves-2x.png", "img/orig/default-2x.png", "img/orig/dl-sw-2x.png", "img/orig/eq-sw-2x.png",
    "img/orig/fleximode-2x.png", "img/orig/flexisave-sw-2x.png", "img/orig/fload-2x.png", "img/orig/fopen-2x.png",
    "img/orig/fsave-2x.png", "img/orig/fwriteall-2x.png", "img/orig/fwriteone-2x.png", "img/orig/fxbgmod-2x.png",
    "img/orig/fxordersw-2x.png", "img/orig/fxsw-2x.png", "img/orig/keys-2x.png", "img/orig/led-2x.png",
    "img/orig/nextbtn-2x.png", "img/orig/od-sw-2x.png", "img/orig/prevbtn-2x.png", "img/orig/random-2x.png",
    "img/orig/reset-2x.png", "img/orig/selectall-2x.png", "img/orig/sevenseg-2x.png", "img/orig/vcosave-sw-2x.png",
    "img/orig/vcosavebg-2x.png", "img/orig/vslider-2x.png", "img/orig/vslider2-2x.png", "img/orig/vslider3-2x.png",
    "img/orig/vslider4-2x.png", "img/orig/vslider5-2x.png", "img/orig/vslider6-2x.png",
    "img/orig/vslidershort4-2x.png"};
  std::set<std::string> space = kClassic, solid = kClassic;
  space.insert("img/orig/background-2x.png");
  solid.insert("img/orig/background2-2x.png");
  const std::set<std::string> lcd = {
    "img/lcd/background-2x.png", "img/lcd/bigbutton-2x.png", "img/lcd/ch-sw-2x.png", "img/lcd/checkbox-2x.png",
    "img/lcd/clearall-2x.png", "img/lcd/copy-2x.png", "img/lcd/curves-2x.png", "img/lcd/default-2x.png",
    "img/lcd/dl-sw-2x.png", "img/lcd/eq-sw-2x.png", "img/lcd/flexi-sw-2x.png", "img/lcd/fleximode-2x.png",
    "img/lcd/flexisave-sw-2x.png", "img/lcd/fload-2x.png", "img/lcd/fopen-2x.png", "img/lcd/fsave-2x.png",
    "img/lcd/fwriteall-2x.png", "img/lcd/fwriteone-2x.png", "img/lcd/fxbgmod-2x.png", "img/lcd/fxordersw-2x.png",
    "img/lcd/led-2x.png", "img/lcd/nextbtn-2x.png", "img/lcd/od-sw-2x.png", "img/lcd/prevbtn-2x.png",
    "img/lcd/random-2x.png", "img/lcd/reset-2x.png", "img/lcd/selectall-2x.png", "img/lcd/sevenseg-2x.png",
    "img/lcd/vcosave-sw-2x.png", "img/lcd/vcosavebg-2x.png", "img/lcd/vslider-2x.png", "img/lcd/vslider2-2x.png",
    "img/lcd/vslider3-2x.png", "img/lcd/vslider4-2x.png", "img/lcd/vslider5-2x.png", "img/lcd/vslider6-2x.png",
    "img/lcd/vslidershort4-2x.png", "img/manager/pm-scrollbar-2x.png", "img/orig/bgkb-2x.png",
    "img/orig/keys-2x.png"};
  struct Case { const char* look; const char* settings; const std::set<std::string>& files; } const kCases[] = {
    {"", "", space},
    {"space", "[gui]\nbackground=space\n", space},
    {"Space", "[gui]\nbackground=Space\n", space},
    {"solid", "[gui]\nbackground=solid\n", solid},
    {"lcd", "[gui]\nbackground=lcd\n", lcd},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.look);
    std::vector<EarlyArtFile> ahead;
    std::set<std::string> listed;
    for (const ArtRow* row : ArtShownAtStart(c.look))
    {
      ahead.push_back({row->path, true});
      listed.insert(row->path);
    }
    EXPECT_EQ(listed, c.files);
    EXPECT_EQ(listed.size(), ahead.size()) << "a file listed twice";
    // The threads read the resources folder as they decode: set as the
    // editor below sets it, before they start.
    setenv("ZEPHRA_RESOURCES_DIR", ZEPHRA_BUILD_RESOURCES, 1);
    EarlyArtStart(ahead, 2);
    EarlyArtSettleForTest();
    {
      SkinEditor t(c.settings);
    }
    const EarlyArtReport report = EarlyArtFinish();
    EXPECT_EQ(report.unused, std::vector<std::string>{});
    EXPECT_EQ(report.taken.size(), ahead.size());
    EXPECT_EQ(report.handed, report.taken);
  }
}
