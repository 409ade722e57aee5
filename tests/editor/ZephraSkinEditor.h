// The editor with its real GUI build on a headless surface of any scale that
// reads the build's generated artwork, its controller bytes captured as wire
// bytes. Pictures go to artefacts/ of the build folder.
#pragma once

#include "editor/ZephraEditor.h"
#include "editor/ZephraEditorGraphics.h"
#include "editor/ZephraPanels.h"

#include "graphics/IGraphicsHeadless.h"
#include "graphics/controls/IControl.h"
#include "graphics/resize/IUnitGUIResize.h"
#include "support/TempDir.h"
#include "tools/artgen/ArtPng.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <utility>
#include <vector>

using Bytes = std::vector<uint8_t>;

struct SkinEditor
{
  explicit SkinEditor(const std::string& settings = "", int width = 1140, int height = 800)
  {
    setenv("ZEPHRA_RESOURCES_DIR", ZEPHRA_BUILD_RESOURCES, 1);
    // The caches are the process's: two editors of one test share them.
    if (sLive++ == 0) IGraphics::ClearCachesForTest();
    if (!settings.empty()) WriteWholeFile(dir.File("settings.ini"), settings);
    ZephraEditorSetup setup;
    setup.settingsFolder = dir.Path();
    setup.runTimer = false;
    // The editor's own GUI steps, with the panels as the application has them.
    IUnitGUIResize::ResetProcessStateForTest();
    setup.buildGui = [this, width, height](ZephraEditor& e) {
      gui = new IGraphicsHeadless(&e, width, height);
      ZephraSetUpGui(e, gui, [](ZephraEditor& editor, IGraphics& g) { editor.CreateGUI(false, &g); });
      gui->OpenWindow(nullptr);
      gui->RescaleBitmaps(width / 1140.0);
      gui->SetScale(width / 1140.0);
    };
    // Every send here runs on the test's thread.
    setup.sendTap = [this](const IMidiMsg& msg) {
      uint8_t bytes[3];
      wire.insert(wire.end(), bytes, bytes + IUnitStandalone::MakeWireBytes(msg, 0, bytes));
    };
    editor = std::make_unique<ZephraEditor>(IUnitInstanceInfo(), setup);
    wire.clear();
    Draw();
  }
  ~SkinEditor()
  {
    editor.reset();
    if (--sLive == 0) IGraphics::ClearCachesForTest();
  }
  void Draw()
  {
    gui->SetAllControlsDirty();
    gui->RunFrame();
  }
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
  IColor At(int x, int y) { return gui->GetPoint(x, y); }
  int ControlsOf(int param)
  {
    int n = 0;
    for (int i = 0; i < gui->NControls(); ++i) n += gui->GetControl(i)->ParamIdx() == param;
    return n;
  }
  IControl* ControlOf(int param)
  {
    for (int i = 0; i < gui->NControls(); ++i)
      if (gui->GetControl(i)->ParamIdx() == param) return gui->GetControl(i);
    return nullptr;
  }
  void Keep(const std::string& name)
  {
    const std::string folder = std::string(ZEPHRA_ARTEFACT_DIR);
    mkdir(folder.c_str(), 0755);
    std::string error;
    EXPECT_TRUE(ArtWritePng(folder + "/" + name + ".png", gui->GetDrawBitmap(), &error, 1)) << error;
  }

  static inline int sLive = 0;
  TempDir dir;
  IGraphicsHeadless* gui = nullptr;  // owned by the editor
  std::unique_ptr<ZephraEditor> editor;
  Bytes wire;
};

