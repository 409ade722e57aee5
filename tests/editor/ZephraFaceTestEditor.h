// The editor with its real GUI build on a headless surface of any scale,
// its controller bytes captured as wire bytes: for tests where the places
// and hidden states of the real look's controls matter.
#pragma once

#include "editor/ZephraEditor.h"
#include "editor/ZephraEditorGraphics.h"
#include "editor/ZephraPanels.h"
#include "graphics/IGraphicsHeadless.h"
#include "graphics/controls/IControl.h"
#include "graphics/resize/IUnitGUIResize.h"
#include "support/TempDir.h"

#include <cstdlib>
#include <memory>
#include <utility>
#include <vector>

using Bytes = std::vector<uint8_t>;

struct FaceEditor
{
  explicit FaceEditor(int width = 1140, int height = 800)
  {
    setenv("ZEPHRA_RESOURCES_DIR", ZEPHRA_BUILD_RESOURCES, 1);
    IGraphics::ClearCachesForTest();
    IUnitGUIResize::ResetProcessStateForTest();
    ZephraEditorSetup setup;
    setup.settingsFolder = dir.Path();
    setup.runTimer = false;
    setup.buildGui = [this, width, height](ZephraEditor& e) {
      gui = new IGraphicsHeadless(&e, width, height);
      ZephraSetUpGui(e, gui, [](ZephraEditor& editor, IGraphics& g) { editor.CreateGUI(false, &g); });
      gui->OpenWindow(nullptr);
      gui->RescaleBitmaps(width / 1140.0);
    };
    // Every send here runs on the test's thread.
    setup.sendTap = [this](const IMidiMsg& msg) {
      uint8_t bytes[3];
      wire.insert(wire.end(), bytes, bytes + IUnitStandalone::MakeWireBytes(msg, 0, bytes));
    };
    editor = std::make_unique<ZephraEditor>(IUnitInstanceInfo(), setup);
    wire.clear();
  }
  ~FaceEditor() { editor.reset(); }
  Bytes TakeWire() { return std::exchange(wire, {}); }
  void Set(int param, double value) { editor->SetParameterFromGUI2(param, value); }
  void Click(int param) { Set(param, 1), Set(param, 0); }
  int Int(int param) { return editor->ParamInt(param); }
  bool Hidden(int param) { return gui->IsControlHidden(param); }
  std::pair<int, int> Corner(IControl* c) { return {c->GetRECT().L, c->GetRECT().T}; }
  std::pair<int, int> Corner(int param)
  {
    for (int i = gui->NControls() - 1; i >= 0; --i)
      if (gui->GetControl(i)->ParamIdx() == param) return Corner(gui->GetControl(i));
    return {-1, -1};
  }
  ZephraPanels& Face() { return *editor->Face(); }

  TempDir dir;
  IGraphicsHeadless* gui = nullptr;  // owned by the editor
  std::unique_ptr<ZephraEditor> editor;
  Bytes wire;
};
