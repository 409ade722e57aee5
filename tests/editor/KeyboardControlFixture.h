// The on-screen keyboard on a test editor: the build's artwork loaded as the
// GUI loads it (stored at twice its size, resampled to the scale), and
// panels that answer the keyboard's velocity and redraw it when the held
// notes change, as the editor's panels do.
#pragma once

#include "ZephraTestEditor.h"

#include "editor/IKeyboardControl.h"
#include "support/TempDir.h"

#include <cstdlib>

struct KeyboardPanels : TestPanels
{
  using TestPanels::TestPanels;
  double KeyboardVelocity() const override { return keyboard->VelocityFraction(); }
  void HeldNoteChanged(int) override { keyboard->SetDirty(false); }
  IKeyboardControl* keyboard = nullptr;
};

struct KeyboardEditor
{
  TempDir dir;
  std::unique_ptr<TestEditor> t;
  IKeyboardControl* keyboard = nullptr;

  KeyboardEditor()
  {
    IGraphics::ClearCachesForTest();
    setenv("ZEPHRA_RESOURCES_DIR", ZEPHRA_BUILD_RESOURCES, 1);
    t = std::make_unique<TestEditor>(dir.Path(), false, nullptr, [this](IGraphicsHeadless& gui, ZephraEditor& e) {
      gui.SetBitmapDivisor(2);
      keyboard = new IKeyboardControl(&e, gui.LoadIBitmap(104, "img/orig/keys-2x.png", 12),
                                      gui.LoadIBitmap(105, "img/orig/bgkb-2x.png"));
      gui.AttachControl(keyboard);
      gui.RescaleBitmaps(1.0);
    });
    auto panels = std::make_unique<KeyboardPanels>(t->gui);
    panels->keyboard = keyboard;
    t->panels = panels.get();
    t->editor->SetPanels(std::move(panels));
    (void)t->TakeWire();
  }
  ~KeyboardEditor()
  {
    t.reset();
    IGraphics::ClearCachesForTest();
    unsetenv("ZEPHRA_RESOURCES_DIR");
  }
};
