// The editor with its real GUI build on a headless surface (any scale),
// with the controller bytes it sends captured as wire bytes. The FLEXI and
// effect panel tests use it where control positions and hidden states of
// the real look matter.
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
#include <mutex>
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
    setup.sendTap = [this](const IMidiMsg& msg) {
      uint8_t bytes[3];
      const int n = IUnitStandalone::MakeWireBytes(msg, 0, bytes);
      std::lock_guard<std::mutex> hold(mLock);
      mWire.insert(mWire.end(), bytes, bytes + n);
    };
    editor = std::make_unique<ZephraEditor>(IUnitInstanceInfo(), setup);
    TakeWire();
  }
  ~FaceEditor()
  {
    editor.reset();
    IGraphics::ClearCachesForTest();
  }
  Bytes TakeWire()
  {
    std::lock_guard<std::mutex> hold(mLock);
    return std::exchange(mWire, {});
  }
  void Set(int param, double value) { editor->SetParameterFromGUI2(param, value); }
  // A button's press and release.
  void Click(int param)
  {
    Set(param, 1);
    Set(param, 0);
  }
  int Int(int param) { return editor->ParamInt(param); }
  bool Hidden(int param) { return gui->IsControlHidden(param); }
  // Top-left corner of the last control bound to param.
  std::pair<int, int> Corner(int param)
  {
    for (int i = gui->NControls() - 1; i >= 0; --i)
      if (gui->GetControl(i)->ParamIdx() == param)
      {
        const IRECT r = gui->GetControl(i)->GetRECT();
        return {r.L, r.T};
      }
    return {-1, -1};
  }
  ZephraPanels& Face() { return *editor->Face(); }

  TempDir dir;
  IGraphicsHeadless* gui = nullptr;  // owned by the editor
  std::unique_ptr<ZephraEditor> editor;

private:
  std::mutex mLock;
  Bytes mWire;
};
