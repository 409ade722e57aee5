// The editor's handler from outside: the settings it starts with, the wire
// bytes of knob moves (also a slider dragged with the mouse), undo.
#include "ZephraTestEditor.h"

#include "graphics/controls/IKnobControl.h"
#include "raster/RAST_Rect.h"
#include "support/TempDir.h"
#include "winl/ini/WINL_Ini.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace {

struct EditorTest : ::testing::Test
{
  TempDir dir;
  std::unique_ptr<TestEditor> t;
  ZephraEditor* editor = nullptr;

  void Make()
  {
    t.reset();
    t = std::make_unique<TestEditor>(dir.Path());
    editor = t->editor.get();
  }
  void Set(int param, double value) { editor->SetParameterFromGUI2(param, value); }
  Bytes Take() { return t->TakeWire(); }
};

// Every message here is a three-byte control change.
size_t ControllerCount(const Bytes& bytes) { return bytes.size() / 3; }

}  // namespace

// ---- construction ----

TEST_F(EditorTest, KeyboardChannelSetting)
{
  struct Case { const char* text; int channel; } kCases[] = {{"0", 0}, {"15", 15}, {"16", 0}, {"-1", 0}, {"7x", 0}};
  for (const Case& c : kCases)
  {
    ASSERT_TRUE(WritePrivateProfileString("midi", "kbdmidioutch", c.text, dir.File("settings.ini").c_str()));
    Make();
    EXPECT_EQ(editor->KbdMidiChannel(), c.channel) << c.text;
    EXPECT_EQ(editor->ParamInt(kParamMidiChannel), c.channel) << c.text;
  }
}

// ---- single-value sends ----

TEST_F(EditorTest, KnobDragSendsTheAddressOnce)
{
  Make();
  Take();
  Set(kParamVco1Coarse, 5);
  EXPECT_EQ(Take(), (Bytes{0xB0, 0x63, 0x05, 0xB0, 0x62, 0x00, 0xB0, 0x06, 0x1D}));
  Set(kParamVco1Coarse, 6);
  EXPECT_EQ(Take(), (Bytes{0xB0, 0x06, 0x1E}));
  Set(kParamVco1Coarse, 6);
  EXPECT_TRUE(Take().empty());
  EXPECT_EQ(editor->LastNrpnIndex(), ProgramIndex(kParamVco1Coarse));
  Set(kParamVco1Fine, 1);  // same bank, next number
  EXPECT_EQ(Take(), (Bytes{0xB0, 0x62, 0x01, 0xB0, 0x06, 0x40}));
  Set(kParamEffectsChainOrder, 1);  // the other bank
  EXPECT_EQ(Take(), (Bytes{0xB0, 0x63, 0x06, 0xB0, 0x62, 0x00, 0xB0, 0x06, 0x01}));

  Set(kParamVco1Coarse, 7);  // back to the first bank: 99 and 98 again
  EXPECT_EQ(Take(), (Bytes{0xB0, 0x63, 0x05, 0xB0, 0x62, 0x00, 0xB0, 0x06, 0x1F}));
  editor->OnTimerTick();
  Set(kParamVco1Coarse, 8);  // one tick: the address still stands
  EXPECT_EQ(Take(), (Bytes{0xB0, 0x06, 0x20}));
  editor->OnTimerTick();
  editor->OnTimerTick();
  t->outChannel = 3;
  Set(kParamVco1Coarse, 9);
  EXPECT_EQ(Take(), (Bytes{0xB2, 0x63, 0x05, 0xB2, 0x62, 0x00, 0xB2, 0x06, 0x21}));
}

TEST_F(EditorTest, CompositesAndSharedAddresses)
{
  Make();
  Take();
  Set(kParamOdBlendInstrument, 1);  // while the overdrive is off
  EXPECT_EQ(Take(), (Bytes{0xB0, 0x63, 0x06, 0xB0, 0x62, 0x10, 0xB0, 0x06, 0x00}));
  Set(kParamOdBlendVcf, 1);
  Set(kParamOverdriveOnOff, 1);  // overdrive on: both blends
  EXPECT_EQ(Take(), (Bytes{0xB0, 0x06, 0x00, 0xB0, 0x06, 0x03}));
  Set(kParamPortamentoMode, 1);  // folds into trig/gate mode
  EXPECT_EQ(Take(), (Bytes{0xB0, 0x63, 0x05, 0xB0, 0x62, 0x59, 0xB0, 0x06, 0x02}));
  Set(kParamVcfCutoffNew, 100);  // goes out under the vintage cutoff's number
  EXPECT_EQ(Take(), (Bytes{0xB0, 0x62, 0x4C, 0xB0, 0x06, 0x64}));
  Set(kParamSpare128, 1);  // a spare index has no address of its own
  EXPECT_TRUE(Take().empty());
}

// A slider of the panels (a multi-frame knob) dragged with the mouse.
TEST(ZephraEditorKnob, SliderDragSendsControllers99986)
{
  IGraphics::ClearCachesForTest();
  TempDir dir;
  TestEditor t(dir.Path(), false, nullptr, [](IGraphicsHeadless& gui, ZephraEditor& editor) {
    RAST_MemBitmap strip(32, 90, 4);
    RAST_Clear(&strip, RAST_RGBA(200, 200, 200, 255));
    gui.AddResource("vslider", &strip);
    // VCO1 coarse (-24..48) as the classic panel places it: 45 pixels high.
    gui.AttachControl(new IKnobMultiControl(&editor, 25, 76, kParamVco1Coarse, gui.LoadIBitmap(106, "vslider.png", 2)));
  });
  IGraphicsHeadless* gui = t.gui;
  ZephraEditor& editor = *t.editor;
  t.TakeWire();

  IMouseMod left(true, false);
  gui->OnMouseDown(40, 100, &left);
  // Five pixels of 45 up is 8 of the 72 steps: from 0 to 8, wire byte 32.
  gui->OnMouseDrag(40, 95, &left);
  EXPECT_EQ(t.TakeWire(), (Bytes{0xB0, 0x63, 0x05, 0xB0, 0x62, 0x00, 0xB0, 0x06, 0x20}));
  gui->OnMouseUp(40, 95, &left);
  EXPECT_EQ(editor.ParamInt(kParamVco1Coarse), 8);
  gui->RunFrame();
  IGraphics::ClearCachesForTest();
}

// ---- undo ----

TEST_F(EditorTest, UndoRedoSteps)
{
  Make();
  for (int v = 1; v <= 10; ++v) Set(kParamVco1Coarse, v);  // one drag
  for (int v = 1; v <= 5; ++v) Set(kParamVco1Fine, v);   // another
  EXPECT_EQ(editor->UndoCount(), 3);
  Take();

  editor->Undo();
  EXPECT_EQ(editor->Program()[ProgramIndex(kParamVco1Coarse)], 10);
  EXPECT_EQ(editor->Program()[ProgramIndex(kParamVco1Fine)], 0);
  EXPECT_EQ(editor->ParamInt(kParamVco1Fine), 0);
  EXPECT_EQ(ControllerCount(Take()), 336u);
  editor->Undo();
  EXPECT_EQ(editor->ParamInt(kParamVco1Coarse), 0);
  editor->Redo();
  EXPECT_EQ(editor->ParamInt(kParamVco1Coarse), 10);
  EXPECT_EQ(ControllerCount(Take()), 2 * 336u);

  Set(kParamVco1Beat, 9);  // a new edit drops the redo tail
  EXPECT_EQ(editor->UndoCount(), 3);
  Take();
  editor->Redo();
  EXPECT_TRUE(Take().empty());
  EXPECT_EQ(editor->ParamInt(kParamVco1Beat), 9);

  // "Effects Chain Order" and "VCO1 coarse" share LSB 0 across the banks,
  // so they make one step.
  Set(kParamEffectsChainOrder, 1);
  Set(kParamVco1Coarse, 2);
  EXPECT_EQ(editor->UndoCount(), 4);
}

// ---- the handler ----

TEST_F(EditorTest, HandlerMarksNameAndChoosesListEntries)
{
  Make();
  const size_t shown = t->panels->Status().size();
  Set(kParamLfoFrequency, 20);
  Set(kParamVcfType, 3);
  EXPECT_EQ(t->panels->Status().size(), shown + 1);
  EXPECT_EQ(t->panels->Status().back(), "*INIT*");
  editor->SetOpenFlexiList(0);
  editor->SelectFlexiListEntry(18);  // the second "PB Wheel"
  EXPECT_EQ(editor->ParamInt(kParamFlexi1Source), 103);
  EXPECT_EQ(editor->ParamInt(kParamFlexi1Sources), 18);
}

// The name comes back as it showed before the error: marked as edited.
TEST_F(EditorTest, RestoredLinkShowsTheNameMarked)
{
  Make();
  Set(kParamLfoFrequency, 20);
  editor->RequestProgramDump(5);
  for (int tick = 0; tick < 3; ++tick) editor->OnTimerTick();
  ASSERT_EQ(t->panels->Status().back(), "Communication error!");
  {
    BASE_MutexLock lock(editor->GetMutex());
    editor->SynthLinkRestored();
  }
  EXPECT_EQ(t->panels->Status().back(), "*INIT*");
}

// An undo recalls the program through the handler, which notes the values it
// sets as the last address, and then re-sends the whole record, which leaves
// the synth on the record's last address. The next edit of such a value must
// restate its own address, or its data would land on that last value.
TEST_F(EditorTest, EditAfterUndoRestatesTheAddress)
{
  Make();
  Set(kParamVco1Coarse, 5);
  editor->Undo();
  Take();
  Set(kParamVco4PwmLfoFrq, 9);
  EXPECT_EQ(Take(), (Bytes{0xB0, 0x63, 0x05, 0xB0, 0x62, 0x2A, 0xB0, 0x06, 0x09}));
}
