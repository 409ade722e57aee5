// A slider of the panels (a multi-frame knob) dragged with the mouse on the
// headless surface reaches the synth as an NRPN controller sequence.
#include "ZephraTestEditor.h"

#include "graphics/IGraphicsHeadless.h"
#include "graphics/controls/IKnobControl.h"
#include "raster/RAST_Rect.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

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
