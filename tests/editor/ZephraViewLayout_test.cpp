// The view-layout hook on the real panels: only view mode 0 acts, the FLEXI
// range pairs stand over their targets at the GUI's scale (and only over
// values that have a knob to stand in for), and "MIDI Sync" re-ranges the
// synced values.
#include "ZephraSkinEditor.h"

#include "core/BASE_Mutex.h"
#include "core/IParam.h"
#include "synth/ZephraTables.h"

#include <vector>

namespace {

// A program whose FLEXI1 has a source and targets programIndex.
ZephraModel::ProgramValues FlexiProgram(int programIndex)
{
  ZephraModel::ProgramValues values = kDefaultProgram;
  values[ProgramIndex(kParamFlexi1Source)] = 98;
  values[ProgramIndex(kParamFlexi1Bits)] = programIndex >= 128 ? 1 : 0;
  values[ProgramIndex(kParamFlexi1Destination)] = programIndex % 128;
  values[ProgramIndex(kParamFlexi1Range)] = 0;
  return values;
}

struct Snapshot
{
  std::vector<bool> hidden;
  std::vector<IRECT> rects;
  bool operator==(const Snapshot& o) const { return hidden == o.hidden && rects == o.rects; }
};

Snapshot Take(IGraphics& gui)
{
  Snapshot s;
  for (int i = 0; i < gui.NControls(); ++i)
  {
    s.hidden.push_back(gui.GetControl(i)->IsHidden());
    s.rects.push_back(gui.GetControl(i)->GetRECT());
  }
  return s;
}

}  // namespace

TEST(ZephraViewLayout, OnlyViewModeZeroActs)
{
  SkinEditor t("[gui]\nbackground=space\n");
  ZephraPanels& face = *t.editor->Face();
  face.HideOverdrivePanel(false);  // a state the values do not ask for
  t.editor->SetParameterFromGUI2(kParamEffectsChainOrder, 1);
  const Snapshot before = Take(*t.gui);
  t.editor->SetGUILayout(1, 1140, 800);
  EXPECT_TRUE(Take(*t.gui) == before);
  t.editor->SetGUILayout(0, 1140, 800);
  EXPECT_FALSE(Take(*t.gui) == before);
  EXPECT_TRUE(face.Ref(SkinRef::kDrivePanel)->IsHidden());
  // Chain order 1: the equaliser's tab left of the overdrive's.
  EXPECT_EQ(t.ControlOf(kParamTabEqualizer)->GetRECT(), IRECT(523, 565, 623, 585));
  EXPECT_EQ(t.ControlOf(kParamTabOverdrive)->GetRECT(), IRECT(618, 565, 718, 585));
}

TEST(ZephraViewLayout, RangePairStandsOverItsTargetAtTheGuiScale)
{
  // target: FLEXI1's, a program index; pair: the range pair shown, Range A at rangeA; targetHidden: its own control.
  struct Case { const char* name; int width, target; bool pair; IRECT rangeA; int rangeBLeft; bool targetHidden; }
  const kCases[] = {
    {"VCO2 coarse", 1140, 12, true, {25, 233, 41, 278}, 41, true},
    {"VCO2 coarse at 1.5", 1710, 12, true, {37, 349, 53, 394}, 61, true},
    {"LFO VCO depth", 1140, 94, true, {1080, 233, 1096, 278}, 1096, true},
    {"FLEXI1 SOURCE", 1140, 95, false, {}, 0, false},
    {"Delay Vintage/Long, no place", 1140, 123, false, {}, 0, false},
    {"MIDI Sync", 1140, 124, true, {936, 438, 952, 483}, 952, true},
    {"Delay1 on the open chorus panel", 1140, 135, true, {760, 588, 776, 633}, 776, true},
    {"Treble Boost, panel closed", 1140, 169, false, {}, 0, true},
    {"portamento mode", 1140, 170, false, {}, 0, false},
    {"FLEXI3 MODE", 1140, 175, false, {}, 0, false},
    {"FLEXI3 MODE at 1.5", 1710, 175, false, {}, 0, false},
    {"EQ Blend VCF, panel closed", 1140, 182, false, {}, 0, true},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.name);
    SkinEditor t("[gui]\nbackground=space\n", c.width, c.width * 800 / 1140);
    t.editor->ApplyProgram(FlexiProgram(c.target));
    t.editor->SetGUILayout(0, c.width, c.width * 800 / 1140);
    IControl* rangeA = t.ControlOf(kParamFlexi1RangeA);
    IControl* rangeB = t.ControlOf(kParamFlexi1RangeB);
    EXPECT_EQ(!rangeA->IsHidden(), c.pair);
    EXPECT_EQ(!rangeB->IsHidden(), c.pair);
    if (c.pair)
    {
      EXPECT_EQ(rangeA->GetRECT(), c.rangeA);
      EXPECT_EQ(rangeB->GetRECT().L, c.rangeBLeft);
    }
    IControl* own = t.ControlOf(ParamOfIndex(c.target));
    EXPECT_EQ(own ? own->IsHidden() : false, c.targetHidden);
  }
}

TEST(ZephraViewLayout, CompactPanelKeepsTheRangePairOverItsKnob)
{
  // The compact panel is the whole one cut narrower, not shrunk: the pair
  // learnt on VCO2 fine stays where the knob is, at every scale.
  // Range A's top-left corner at (rangeAX, rangeAY), Range B's left edge at rangeBX.
  struct Case { const char* name; int scaleCommand, rangeAX, rangeAY, rangeBX; };
  const Case kCases[] = {
    {"100 %", 15, 65, 233, 81},
    {"200 %", 19, 130, 466, 162},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.name);
    SkinEditor t("[gui]\nbackground=space\n");
    t.editor->ApplyProgram(FlexiProgram(ProgramIndex(kParamVco2Fine)));
    t.editor->OnStandaloneMenuCommand(c.scaleCommand);
    IControl* rangeA = t.ControlOf(kParamFlexi1RangeA);
    IControl* rangeB = t.ControlOf(kParamFlexi1RangeB);
    for (int view : {11, 10, 11})  // compact, whole, compact
    {
      SCOPED_TRACE(view);
      t.editor->OnStandaloneMenuCommand(view);
      EXPECT_FALSE(rangeA->IsHidden());
      EXPECT_EQ(rangeA->GetRECT().L, c.rangeAX);
      EXPECT_EQ(rangeA->GetRECT().T, c.rangeAY);
      EXPECT_EQ(rangeB->GetRECT().L, c.rangeBX);
    }
  }
}

TEST(ZephraViewLayout, CompactPanelKeepsTheEffectTabsOverTheirPlates)
{
  // The effect tabs, like the range pairs, stand where the whole panel
  // drew them: the compact panel cuts the window, it does not shrink it.
  // Overdrive's tab's and equaliser's tab's top-left corners, chain order 0.
  struct Case { const char* name; int scaleCommand, overdriveX, equaliserX, y; };
  const Case kCases[] = {
    {"100 %", 15, 523, 618, 565},
    {"200 %", 19, 1046, 1236, 1130},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.name);
    SkinEditor t("[gui]\nbackground=space\n");
    t.editor->OnStandaloneMenuCommand(c.scaleCommand);
    IControl* overdrive = t.ControlOf(kParamTabOverdrive);
    IControl* equaliser = t.ControlOf(kParamTabEqualizer);
    for (int view : {11, 10, 11})  // compact, whole, compact
    {
      SCOPED_TRACE(view);
      t.editor->OnStandaloneMenuCommand(view);
      EXPECT_EQ(overdrive->GetRECT().L, c.overdriveX);
      EXPECT_EQ(overdrive->GetRECT().T, c.y);
      EXPECT_EQ(equaliser->GetRECT().L, c.equaliserX);
      EXPECT_EQ(equaliser->GetRECT().T, c.y);
    }
  }
}

TEST(ZephraViewLayout, MidiSyncReRangesTheSyncedValues)
{
  SkinEditor t("[gui]\nbackground=space\n");
  struct Case { int sync, delayLong; bool pwmSyncedBefore; int pwmMax, delay1Max, delay2Max; } kCases[] = {
    {0, 1, true, 127, 127, 127},
    {1, 1, false, 12, 127, 127},
    {2, 0, true, 127, 127, 127},
    {2, 1, true, 127, 9, 127},
    {3, 0, true, 127, 127, 127},
    {3, 1, true, 127, 9, 9},
    // Past 3: the knob stops at 3 (the handler frees the PWM rate), the
    // hook, reading the record, frees the delays.
    {4, 1, true, 127, 127, 127},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(testing::Message() << c.sync << "/" << c.delayLong);
    // Start from the other extreme so every row shows its own effect.
    t.editor->Face()->SetPwmLfoRangeMode(c.pwmSyncedBefore);
    t.editor->Face()->SetDelayRangeMode(c.delay1Max == 127 ? 2 : 0);
    ZephraModel::ProgramValues values = kDefaultProgram;
    values[ProgramIndex(kParamMidiSync)] = c.sync;
    values[ProgramIndex(kParamDelayVintageLong)] = c.delayLong;
    t.editor->ApplyProgram(values);
    t.editor->SetGUILayout(0, 1140, 800);
    EXPECT_EQ(t.editor->GetParam(kParamVco4PwmLfoFrq)->GetMax(), c.pwmMax);
    EXPECT_EQ(t.editor->GetParam(kParamDelay1)->GetMax(), c.delay1Max);
    EXPECT_EQ(t.editor->GetParam(kParamDelay2)->GetMax(), c.delay2Max);
  }
}

// The hook only shows what the synth holds: run after the start, after a
// load or after an edit it sends nothing, leaves the name unmarked when
// nothing was edited, and keeps a synced value the user set; a load that
// re-ranges a value gives it the program's.
TEST(ZephraViewLayout, SendsNothingAndKeepsTheValuesAndTheName)
{
  SkinEditor t("[gui]\nbackground=space\n");
  EXPECT_EQ(t.Face().NameDisplayText(), "INIT");
  t.editor->SetGUILayout(0, 1140, 800);
  EXPECT_EQ(t.TakeWire(), Bytes{});
  EXPECT_EQ(t.Face().NameDisplayText(), "INIT");

  // PWM rate 100 under "MIDI Sync" 0, then a program synced to 7.
  ZephraModel::ProgramValues values = kDefaultProgram;
  values[ProgramIndex(kParamVco4PwmLfoFrq)] = 100;
  t.editor->ApplyProgram(values);
  t.editor->SetGUILayout(0, 1140, 800);
  EXPECT_EQ(t.Int(kParamVco4PwmLfoFrq), 100);
  values[ProgramIndex(kParamMidiSync)] = 1;
  values[ProgramIndex(kParamVco4PwmLfoFrq)] = 7;
  t.editor->ApplyProgram(values);
  EXPECT_EQ(t.Int(kParamVco4PwmLfoFrq), 7);
  EXPECT_EQ(t.TakeWire(), Bytes{});
  EXPECT_EQ(t.Face().NameDisplayText(), "INIT");

  // Edited to 9: the hook keeps 9 and sends nothing more.
  t.Set(kParamVco4PwmLfoFrq, 9);
  EXPECT_EQ(t.TakeWire(), (Bytes{0xB0, 0x63, 0x05, 0xB0, 0x62, 0x2A, 0xB0, 0x06, 0x09}));
  EXPECT_EQ(t.Face().NameDisplayText(), "*INIT*");
  t.editor->SetGUILayout(0, 1140, 800);
  EXPECT_EQ(t.Int(kParamVco4PwmLfoFrq), 9);
  EXPECT_EQ(t.TakeWire(), Bytes{});

  // Back to a free program of 100: re-ranged, the value is the program's.
  values[ProgramIndex(kParamMidiSync)] = 0;
  values[ProgramIndex(kParamVco4PwmLfoFrq)] = 100;
  t.editor->ApplyProgram(values);
  EXPECT_EQ(t.Int(kParamVco4PwmLfoFrq), 100);
  EXPECT_EQ(t.TakeWire(), Bytes{});
}

// The chorus and delay underlines after a re-layout follow "Mod ON/OFF" as
// the sound holds it now: a program applied, then the switch edited, then
// an undo of that edit, each followed by a re-layout.
TEST(ZephraViewLayout, ChorusUnderlineFollowsTheSwitchAsTheSoundHoldsIt)
{
  SkinEditor t("[gui]\nbackground=space\n");
  ZephraPanels& face = *t.editor->Face();
  IControl* chorus = face.Ref(SkinRef::kChorusHighlight);
  IControl* delay = face.Ref(SkinRef::kDelayHighlight);
  ASSERT_TRUE(chorus && delay);
  struct Step
  {
    const char* name;
    int program, edited;  // -1: no edit
    bool undo, chorusShown;
  } const kSteps[] = {
    {"a program with the switch off", 0, -1, false, false},
    {"switched on by hand", 0, 1, false, true},
    {"the edit undone", 0, -1, true, false},
    {"a program with the switch on", 1, -1, false, true},
    {"switched off by hand", 1, 0, false, false},
  };
  for (const Step& s : kSteps)
  {
    SCOPED_TRACE(s.name);
    if (s.undo)
    {
      BASE_MutexLock lock(t.editor->GetMutex());
      t.editor->Undo();
    }
    else if (s.edited < 0)
    {
      ZephraModel::ProgramValues values = kDefaultProgram;
      values[ProgramIndex(kParamModOnOff)] = s.program;
      t.editor->ApplyProgram(values);
    }
    else
      t.editor->SetParameterFromGUI(kParamModOnOff, s.edited);
    t.editor->SetGUILayout(0, 1140, 800);
    EXPECT_EQ(!chorus->IsHidden(), s.chorusShown);
    EXPECT_TRUE(delay->IsHidden());
  }
}
