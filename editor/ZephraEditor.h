// ZephraEditor: the plug-in object of the standalone application. The synth
// model (synth/ZephraModel.h) holds the program, the synth link, the files
// and the lifecycle; this class adds what belongs to the editor panels: the
// construction steps that build the GUI and the parameter-change handler
// through which every parameter change becomes synth messages, captions and
// panel changes.
//
// The methods live in ZephraEditor.cpp (construction) and
// ZephraParamChange.cpp (the handler).
#pragma once

#include "synth/ZephraModel.h"

#include <functional>

class ZephraEditor;

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

private:
  // Shows the program name between two asterisks once after each load.
  void MarkProgramEdited();
};
