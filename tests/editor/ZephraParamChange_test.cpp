// The parameter-change handler seen from outside: wire bytes, which changes
// count as handled, learn while programs load, captions and the panel
// switching of the synth values.
#include "ZephraTestEditor.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

struct HandlerTest : ::testing::Test
{
  TempDir dir;
  TestEditor t{dir.Path()};
  ZephraEditor& editor = *t.editor;
  TestPanels& panels = *t.panels;

  void SetUp() override { t.TakeWire(); }
  void Set(int param, double value) { editor.SetParameterFromGUI2(param, value); }
  std::string Caption(EParam param) { return panels.captions[ProgramIndex(param)]; }
};

}  // namespace

// VCO1 coarse runs -24..48 and goes out as value + 24.
TEST_F(HandlerTest, DragToTheTopOfTheRange)
{
  struct Step { const char* name; double value; Bytes wire; } kSteps[] = {
    {"one below the top", 47, {0xB0, 0x63, 0x05, 0xB0, 0x62, 0x00, 0xB0, 0x06, 0x47}},
    {"the top", 48, {0xB0, 0x06, 0x48}},
    {"beyond the top is the top", 49, {}},
    {"the same value again", 48, {}},
  };
  for (const Step& s : kSteps)
  {
    Set(kParamVco1Coarse, s.value);
    EXPECT_EQ(t.TakeWire(), s.wire) << s.name;
  }
}

// An output opened again (the sound server or the synth's port came back)
// may lead to a synth that started afresh and holds no address: the next
// value carries its whole address, whatever was sent before. An output
// opened while open already changes nothing.
TEST_F(HandlerTest, AReopenedOutputGetsTheWholeAddress)
{
  struct Step { const char* name; bool close, open; EParam param; double value; Bytes wire; } kSteps[] = {
    {"first value", false, false, kParamVco1Coarse, 5, {0xB0, 0x63, 0x05, 0xB0, 0x62, 0x00, 0xB0, 0x06, 0x1D}},
    {"same parameter", false, false, kParamVco1Coarse, 6, {0xB0, 0x06, 0x1E}},
    {"same parameter, reopened", true, true, kParamVco1Coarse, 7,
     {0xB0, 0x63, 0x05, 0xB0, 0x62, 0x00, 0xB0, 0x06, 0x1F}},
    {"next number", false, false, kParamVco1Fine, 1, {0xB0, 0x62, 0x01, 0xB0, 0x06, 0x40}},
    {"next number, reopened", true, true, kParamVco1Fine, 2, {0xB0, 0x63, 0x05, 0xB0, 0x62, 0x01, 0xB0, 0x06, 0x41}},
    {"opened while open", false, true, kParamVco1Fine, 3, {0xB0, 0x06, 0x42}},
    {"back to the first number", false, false, kParamVco1Coarse, 8, {0xB0, 0x62, 0x00, 0xB0, 0x06, 0x20}},
  };
  for (const Step& s : kSteps)
  {
    if (s.close) editor.MidiOutput().Close();
    if (s.open) editor.MidiOutput().Open();
    Set(s.param, s.value);
    EXPECT_EQ(t.TakeWire(), s.wire) << s.name;
  }
}

TEST_F(HandlerTest, LocationFromTheMidiThreadSendsNothing)
{
  Set(kParamVco1Coarse, 5);
  t.TakeWire();
  std::thread midi([this] { Set(kParamSevenSegmentDisplay, 17); });
  midi.join();
  EXPECT_TRUE(t.TakeWire().empty());
  EXPECT_EQ(editor.LastNrpnIndex(), kParamSevenSegmentDisplay);
  // The synth may have heard anything meanwhile: the address is restated.
  Set(kParamVco1Coarse, 6);
  EXPECT_EQ(t.TakeWire(), (Bytes{0xB0, 0x63, 0x05, 0xB0, 0x62, 0x00, 0xB0, 0x06, 0x1E}));
}

// Each step follows a fresh change of VCO1 coarse; a handled change leaves
// its own index as the last one, an unhandled one leaves 0.
TEST_F(HandlerTest, WhichChangesCount)
{
  struct Step { const char* name; int param; double value; int last; } kSteps[] = {
    {"unused parameter", kParamUnused2, 1, 0},
    {"LEARN press", kParamFlexi1Learn, 1, kParamFlexi1Learn},
    {"LEARN press again", kParamFlexi1Learn, 1, kParamFlexi1Learn},
    {"LEARN release", kParamFlexi1Learn, 0, kParamFlexi1Learn},
    {"LEARN release again", kParamFlexi1Learn, 0, kParamFlexi1Learn},
    {"show a list", kParamShowFlexi1Sources, 1, kParamShowFlexi1Sources},
    {"show it again", kParamShowFlexi1Sources, 1, 0},
    {"list page", kParamListPage2, 5, kParamListPage2},
    {"the same row", kParamListPage2, 5, kParamListPage2},
    {"EQ band", kParamPgEq, 1, kParamPgEq},
    {"the same band", kParamPgEq, 1, kParamPgEq},
    {"random press", kParamRandom, 1, kParamRandom},
    {"random release, nothing ticked", kParamRandom, 0, 0},
    {"next, no folder", kParamNextProgram, 1, 0},
    {"tick a section", kParamSectionVco2, 1, kParamSectionVco2},
    {"reset press", kParamReset, 1, kParamReset},
    {"reset release, one ticked", kParamReset, 0, kParamReset},
    {"keyboard channel", kParamMidiChannel, 3, kParamMidiChannel},
  };
  int coarse = 0;
  for (const Step& s : kSteps)
  {
    Set(kParamVco1Coarse, ++coarse);
    Set(s.param, s.value);
    EXPECT_EQ(editor.LastNrpnIndex(), s.last) << s.name;
  }
  EXPECT_EQ(editor.KbdMidiChannel(), 3);
}

TEST_F(HandlerTest, LearnTakesOnlyWhatTheUserMoves)
{
  editor.SetFlexiLearnSlot(2);
  Set(kParamVcfType, 2);  // a switch: ignored altogether
  EXPECT_TRUE(t.TakeWire().empty() && editor.LastNrpnIndex() == kParamMidiChannel && Caption(kParamVcfType) != "BPF");
  Set(kParamFlexi1Range, 9);  // a FLEXI value: sent, FLEXI learn goes on
  EXPECT_EQ(t.TakeWire(), (Bytes{0xB0, 0x63, 0x05, 0xB0, 0x62, 0x63, 0xB0, 0x06, 0x09}));
  Set(kParamCcLearn, 1);
  {
    BASE_MutexLock lock(editor.GetMutex());
    editor.InitProgram();  // a load sets every value: none is learnt
  }
  IMidiMsg controller(0, 0xB0, 74, 64);
  editor.ProcessKeyboardMidiMsg(&controller);
  EXPECT_TRUE(editor.FlexiLearnArmed() && editor.FlexiTarget(1) == -1 && editor.IsLearnArmed());
  Set(kParamVco1Fine, 3);
  EXPECT_TRUE(!editor.FlexiLearnArmed() && !editor.IsLearnArmed());
  EXPECT_EQ(editor.FlexiTarget(1), ProgramIndex(kParamVco1Fine));
  EXPECT_EQ(editor.LearntController(ProgramIndex(kParamVco1Fine)), 74);
  // While learn waits for a knob, a band drag is dropped.
  editor.SetFlexiLearnSlot(1);
  Set(kParamPgEq, 2);
  EXPECT_EQ(editor.LastNrpnIndex(), ProgramIndex(kParamVco1Fine));
}

// With FLEXI learn and controller learn both armed, one knob turn gives the
// slot its target and the controller its knob, whichever came first.
TEST(HandlerLearn, BothLearnsTakeTheKnobMoved)
{
  struct Case
  {
    const char* name;
    bool controllerFirst;
  } kCases[] = {{"knob first", false}, {"controller first", true}};
  for (const Case& c : kCases)
  {
    TempDir dir;
    TestEditor t{dir.Path()};
    ZephraEditor& editor = *t.editor;
    editor.SetFlexiLearnSlot(1);
    editor.SetParameterFromGUI2(kParamCcLearn, 1);
    IMidiMsg controller(0, 0xB0, 21, 64);
    if (c.controllerFirst) editor.ProcessKeyboardMidiMsg(&controller);
    editor.SetParameterFromGUI2(kParamVco2Fine, 5);
    if (!c.controllerFirst) editor.ProcessKeyboardMidiMsg(&controller);
    EXPECT_EQ(editor.FlexiTarget(0), ProgramIndex(kParamVco2Fine)) << c.name;
    EXPECT_FALSE(editor.IsLearnArmed()) << c.name;
    EXPECT_EQ(editor.LearntController(ProgramIndex(kParamVco2Fine)), 21) << c.name;
    for (int item = ProgramIndex(kParamFlexi1Source); item <= ProgramIndex(kParamFlexi4Curve); ++item)
      EXPECT_EQ(editor.LearntController(item), -1) << c.name << " item " << item;
  }
}

TEST_F(HandlerTest, Captions)
{
  struct Step { const char* name; EParam param; double value; EParam shown; const char* text; } kSteps[] = {
    {"VCF type NTC", kParamVcfType, 3, kParamVcfType, "NTC"},
    {"2nd VCF at 0", kParamVcf2Cutoff, 0, kParamVcf2Cutoff, "off"},
    {"LFO 1", kParamLfoFrequency, 1, kParamLfoFrequency, "0.25Hz"},
    {"vintage delay", kParamDelay1, 127, kParamDelay1, "140ms"},
    {"long delay", kParamDelayVintageLong, 1, kParamDelay1, "140ms"},
    {"long delay 127", kParamDelay1, 126, kParamDelay1, "595ms"},
    {"long delay top", kParamDelay1, 127, kParamDelay1, "600ms"},
    {"instrument volume", kParamMixInstrumentVolume, 100, kParamMixInstrumentVolume, "100"},
    {"noise decay: own number", kParamNoiseDecayTime, 5, kParamNoiseDecayTime, "5"},
    {"noise decay: volume kept", kParamNoiseDecayTime, 6, kParamMixInstrumentVolume, "100"},
    {"sync: words", kParamMidiSync, 3, kParamMidiSync, "delay1+2"},
    {"sync: delay 2 divided", kParamDelay2, 9, kParamDelay2, "1/2"},
  };
  for (const Step& s : kSteps)
  {
    Set(s.param, s.value);
    EXPECT_EQ(Caption(s.shown), s.text) << s.name;
  }
}

TEST_F(HandlerTest, EnvelopeModeDimsTheFourKnobs)
{
  const EParam kKnobs[] = {kParamVcaDecayTime, kParamVcaSustainLevel, kParamVcfSustainLevel, kParamVcfReleaseTime};
  struct Step { int mode; bool gray; const char* caption; } kSteps[] = {{1, false, "restart"}, {0, true, "vintage"},
                                                                         {2, false, "reset"}};
  for (const Step& s : kSteps)
  {
    Set(kParamEnvelopeMode, s.mode);
    for (EParam knob : kKnobs) EXPECT_EQ(panels.grayed[knob], s.gray) << s.mode << " knob " << knob;
    EXPECT_EQ(Caption(kParamEnvelopeMode), s.caption);
  }
  EXPECT_FALSE(panels.grayed[kParamVcfDecayTime]);
}

TEST_F(HandlerTest, CutoffSwitchSwapsTheKnobs)
{
  // The switch goes out first; the cutoff it shows is set within its
  // handling, before the switch's address is noted as the last one.
  Set(kParamVcfVintageNew, 0);
  EXPECT_EQ(t.TakeWire(), (Bytes{0xB0, 0x63, 0x05, 0xB0, 0x62, 0x4B, 0xB0, 0x06, 0x00,
                                 0xB0, 0x63, 0x05, 0xB0, 0x62, 0x4C, 0xB0, 0x06, 0x00}));
  Set(kParamVcfVintageNew, 1);
  // The new cutoff at its bottom, 36, at the address both cutoffs share.
  EXPECT_EQ(t.TakeWire(), (Bytes{0xB0, 0x06, 0x01, 0xB0, 0x62, 0x4C, 0xB0, 0x06, 0x24}));
  EXPECT_TRUE(panels.hidden[kParamVcfCutoffVintage] && !panels.hidden[kParamVcfCutoffNew]);
  EXPECT_TRUE(panels.captionHidden[ProgramIndex(kParamVcfCutoffVintage)] &&
              !panels.captionHidden[ProgramIndex(kParamVcfCutoffNew)]);
  EXPECT_EQ(Caption(kParamVcfVintageNew), "new");

  // Two slots on the vintage cutoff: the switch moves the first one only,
  // and its range pair keeps the place.
  Set(kParamVcfVintageNew, 0);
  for (int slot : {2, 3})
  {
    editor.SetFlexiLearnSlot(slot);
    Set(kParamVcfCutoffVintage, 40 + slot);
  }
  Set(kParamFlexi2Range, 7);
  panels.hidden.clear();
  Set(kParamVcfVintageNew, 1);
  EXPECT_EQ(editor.FlexiTarget(1), ProgramIndex(kParamVcfCutoffNew));
  EXPECT_EQ(editor.FlexiTarget(2), ProgramIndex(kParamVcfCutoffVintage));
  const IParam* rangeA = editor.GetParam(kParamFlexi2RangeA);
  EXPECT_TRUE(rangeA->Value() == 36 && rangeA->GetMax() == 122 && editor.ParamInt(kParamFlexi2Range) == 0);
  EXPECT_TRUE(panels.hidden.empty());
}

TEST_F(HandlerTest, MidiSyncCommitsOnRelease)
{
  Set(kParamDelayVintageLong, 1);
  Set(kParamDelay1, 50);
  t.TakeWire();
  panels.rangeModes.clear();
  panels.midiSyncHeld = true;
  Set(kParamMidiSync, 1);
  Set(kParamMidiSync, 2);
  // Only the knob's own value on the wire while it is dragged.
  EXPECT_EQ(t.TakeWire(), (Bytes{0xB0, 0x63, 0x05, 0xB0, 0x62, 0x7C, 0xB0, 0x06, 0x01, 0xB0, 0x06, 0x02}));
  EXPECT_EQ(panels.rangeModes, "L1 D0 L0 D1 ");
  panels.midiSyncHeld = false;
  Set(kParamMidiSync, 2);  // the release reports the value once more
  const Bytes wire = t.TakeWire();
  ASSERT_EQ(wire.size(), (1 + 336) * 3u);
  EXPECT_EQ(Bytes(wire.begin(), wire.begin() + 6), (Bytes{0xB0, 0x06, 0x02, 0xB0, 0x63, 0x05}));
  EXPECT_TRUE(editor.ParamInt(kParamDelay1) == 0 && editor.ParamInt(kParamVco4PwmLfoFrq) == 1);
  EXPECT_EQ(Caption(kParamDelay1), "1/16D");
  Set(kParamMidiSync, 0);  // not held: commits at once
  EXPECT_EQ(t.TakeWire().size(), (1 + 336) * 3u);
}

// The knob pressed and let go where it stood changes nothing and sends
// nothing; moved away and back before the release, the synth heard the
// change, so the release commits.
TEST_F(HandlerTest, MidiSyncPressedAndReleasedInPlaceChangesNothing)
{
  Set(kParamDelayVintageLong, 1);
  Set(kParamDelay1, 50);
  Set(kParamDelay2, 60);
  Set(kParamVco4PwmLfoFrq, 70);
  t.TakeWire();
  panels.midiSyncHeld = true;
  Set(kParamMidiSync, 0);  // the press reports the value it stands at
  panels.midiSyncHeld = false;
  Set(kParamMidiSync, 0);  // the release, unmoved
  EXPECT_EQ(t.TakeWire(), Bytes{});
  EXPECT_EQ(editor.ParamInt(kParamDelay1), 50);
  EXPECT_EQ(editor.ParamInt(kParamDelay2), 60);
  EXPECT_EQ(editor.ParamInt(kParamVco4PwmLfoFrq), 70);

  panels.midiSyncHeld = true;
  Set(kParamMidiSync, 0);
  Set(kParamMidiSync, 1);
  Set(kParamMidiSync, 0);
  EXPECT_EQ(t.TakeWire(), (Bytes{0xB0, 0x62, 0x7C, 0xB0, 0x06, 0x01, 0xB0, 0x06, 0x00}));
  panels.midiSyncHeld = false;
  Set(kParamMidiSync, 0);
  EXPECT_EQ(t.TakeWire().size(), (1 + 336) * 3u);
  EXPECT_EQ(editor.ParamInt(kParamDelay1), 0);
  EXPECT_EQ(editor.ParamInt(kParamVco4PwmLfoFrq), 1);
}

TEST_F(HandlerTest, RadioGroups)
{
  struct Step { const char* name; int param; double value; int first, last; const char* expected; } kSteps[] = {
    {"copy source 1", kParamCopySource1, 1, kParamCopySource1, kParamCopySource4, "1000"},
    {"copy source 3", kParamCopySource3, 1, kParamCopySource1, kParamCopySource4, "0010"},
    {"select all", kParamSelectAll, 1, kParamSectionVco1, kParamSectionFlexi4, "111111111111"},
    {"clear all", kParamClearAll, 1, kParamSectionVco1, kParamSectionFlexi4, "000000000000"},
    {"equaliser tab", kParamTabEqualizer, 1, kParamShowFxOverdrive, kParamShowFxChorus, "010"},
    {"delay tab", kParamTabDelay, 1, kParamShowFxOverdrive, kParamShowFxChorus, "000"},
  };
  for (const Step& s : kSteps)
  {
    Set(s.param, s.value);
    std::string values;
    for (int p = s.first; p <= s.last; ++p) values += editor.ParamInt(p) ? '1' : '0';
    EXPECT_EQ(values, s.expected) << s.name;
  }
  EXPECT_EQ(editor.ParamInt(kParamShowFxDelay), 1);
}
