// ZephraEditor: the plug-in object of the standalone application. The synth
// model (synth/ZephraModel.h) holds the program, the synth link, the files
// and the lifecycle; this class adds what belongs to the editor panels: the
// construction steps that build the GUI and the parameter-change handler
// through which every parameter change becomes synth messages, captions and
// panel changes.
//
// The methods live in ZephraEditor.cpp (construction),
// ZephraParamChange.cpp (the handler), ZephraSkinBuild.cpp (the GUI build)
// and ZephraViewLayout.cpp (the view-layout hook); the panels themselves
// are ZephraPanels.
#pragma once

#include "synth/ZephraModel.h"

#include <functional>

class ZephraEditor;
class ZephraPanels;
class IGraphics;

// How the editor is set up beyond the shell's instance info.
struct ZephraEditorSetup : ZephraModelSetup
{
  // Builds the graphics object, the resize manager and the panels (the
  // constructor's GUI steps); it attaches the graphics with AttachGraphics
  // and the panels with SetPanels. Without it the editor has no GUI.
  // ZephraDesktopGui (ZephraEditorGraphics.h) gives the application's.
  std::function<void(ZephraEditor&)> buildGui;
};

class ZephraEditor : public ZephraModel
{
public:
  // The model's set-up, the GUI, the program state (last program loaded and
  // sent, timer running) and the keyboard channel parameter, in that order.
  explicit ZephraEditor(const IUnitInstanceInfo& info, const ZephraEditorSetup& setup = {});
  // Stops the timer before the handler goes, then saves the settings.
  ~ZephraEditor() override;

  // The parameter-change handler (ZephraParamChange.cpp).
  void OnParamChange(int paramIndex) override;

  // ---- the GUI build (ZephraSkinBuild.cpp) ----
  // Builds every panel on graphics (null: the attached graphics object),
  // attaches the graphics and hands the panels to the model; the look comes
  // from settings.ini [gui] "background". With onlyBackground only a red
  // panel background. As the panels of ZephraSetUpGui:
  // [](ZephraEditor& e, IGraphics& g) { e.CreateGUI(false, &g); }.
  void CreateGUI(bool onlyBackground, IGraphics* graphics = nullptr);
  void CreateClassicSkin(bool space);
  void CreateLcdSkin();
  // 0 classic with the space background, 1 classic plain, 2 LCD.
  int Skin() const { return mSkin; }
  // The panels once CreateGUI has run, else null.
  ZephraPanels* Face() const { return mFace; }

  // ---- the view-layout hook (ZephraViewLayout.cpp) ----
  // View mode 0 only: the panels as the current values demand, the FLEXI
  // range pairs at the current GUI scale. width and height are not used.
  void SetGUILayout(int viewMode, double width, double height) override;

private:
  // Shows the program name between two asterisks once after each load.
  void MarkProgramEdited();

  ZephraPanels* mFace = nullptr;  // owned by the model's panel link
  int mSkin = 0;
};
