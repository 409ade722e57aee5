// The road from a mouse drag on a control bound to a program value to the
// bytes at the MIDI output, on the headless surface.
#include "StepKnob.h"
#include "ZephraTestEditor.h"

#include "graphics/IGraphicsHeadless.h"
#include "graphics/controls/IControl.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

TEST(ZephraEditorGui, DragReachesTheSynthAsNrpn)
{
  TempDir dir;
  TestEditor t(dir.Path(), false, nullptr, [](IGraphicsHeadless& gui, ZephraEditor& editor) {
    gui.AttachControl(new StepKnob(&editor, IRECT(20, 80, 60, 120), kParamVco1Coarse));
  });
  ZephraEditor& editor = *t.editor;
  ASSERT_EQ(t.TakeWire().size(), 336u * 3);

  IMouseMod left(true, false);
  t.gui->OnMouseDown(40, 100, &left);
  t.gui->OnMouseDrag(40, 99, &left);
  EXPECT_EQ(t.TakeWire(), (Bytes{0xB0, 0x63, 0x05, 0xB0, 0x62, 0x00, 0xB0, 0x06, 0x19}));
  t.gui->OnMouseDrag(40, 97, &left);
  EXPECT_EQ(t.TakeWire(), (Bytes{0xB0, 0x06, 0x1B}));
  t.gui->OnMouseUp(40, 97, &left);
  EXPECT_EQ(editor.ParamInt(kParamVco1Coarse), 3);
  EXPECT_EQ(editor.UndoCount(), 2);  // the whole drag is one step

  // Undo puts the knob back and the synth with it.
  {
    BASE_MutexLock lock(editor.GetMutex());
    editor.Undo();
  }
  EXPECT_EQ(editor.ParamInt(kParamVco1Coarse), 0);
  EXPECT_EQ(t.TakeWire().size(), 336u * 3);
  t.gui->RunFrame();
}
