// The editor built with its real GUI steps, shown in a window on the
// virtual display: a drag made through the display's test input on a knob
// reaches the synth as an NRPN controller sequence.
#include "StepKnob.h"
#include "editor/ZephraEditor.h"
#include "editor/ZephraEditorGraphics.h"
#include "graphics/controls/IControl.h"
#include "graphics/resize/IUnitGUIResize.h"
#include "support/TempDir.h"
#include "tests/graphics/support/MacSurfaceTest.h"

#include <cstdlib>
#include <mutex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace
{
using Bytes = std::vector<uint8_t>;

class EditorOnScreen : public WinlGtkTest
{
};

TEST_F(EditorOnScreen, KnobDraggedOnTheDisplaySendsControllers99986)
{
  IUnitGUIResize::ResetProcessStateForTest();
  TempDir home;
  const char* saved = std::getenv("HOME");
  const std::string savedHome = saved ? saved : "";
  setenv("HOME", home.Path().c_str(), 1);

  std::mutex lock;
  Bytes wire;
  ZephraEditorSetup setup;
  setup.runTimer = false;
  setup.buildGui = ZephraDesktopGui([](ZephraEditor& editor, IGraphics& g) {
    g.AttachControl(new StepKnob(&editor, IRECT(20, 80, 60, 120), kParamVco1Coarse));
    editor.AttachGraphics(&g);
  });
  uint16_t channel = 0;
  setup.sendTap = [&](const IMidiMsg& msg) {
    uint8_t bytes[3];
    const int n = IUnitStandalone::MakeWireBytes(msg, channel, bytes);
    std::lock_guard<std::mutex> hold(lock);
    wire.insert(wire.end(), bytes, bytes + n);
  };
  IUnitInstanceInfo info;
  info.mMidiOutChan = &channel;
  {
    ZephraEditor editor(info, setup);
    auto* gui = static_cast<IGraphicsMac*>(editor.GetGUI());
    HWND window = ShownWindow(1140, 800);
    PLAT_GtkSurfaceView* view = OpenShown(gui, window);
    ASSERT_NE(view, nullptr);
    {
      std::lock_guard<std::mutex> hold(lock);
      wire.clear();
    }
    // Pressed at (40, 100), released three pixels higher: three steps up.
    Click(view, 40, 100, 40, 97);
    const Bytes expected{0xB0, 0x63, 0x05, 0xB0, 0x62, 0x00, 0xB0, 0x06, 0x1B};
    EXPECT_TRUE(RunUntil([&] {
      std::lock_guard<std::mutex> hold(lock);
      return wire.size() >= expected.size();
    }));
    RunFor(50);
    {
      std::lock_guard<std::mutex> hold(lock);
      EXPECT_EQ(wire, expected);
    }
    EXPECT_EQ(editor.ParamInt(kParamVco1Coarse), 3);
    gui->CloseWindow();
  }
  setenv("HOME", savedHome.c_str(), 1);
  IUnitGUIResize::ResetProcessStateForTest();
}
}  // namespace
