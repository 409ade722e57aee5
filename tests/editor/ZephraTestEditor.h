// An editor for tests: the model's test stand-ins (settings in a temporary
// folder, no timer thread, recording panels, the MIDI output captured as
// wire bytes), with the minimal graphics object and the panels installed by
// the constructor's GUI step, so the editor behaves as with a GUI.
#pragma once

#include "editor/ZephraEditor.h"
#include "support/ZephraTestModel.h"

#include <memory>
#include <string>

struct WireTap : ModelTap
{
  ZephraEditorSetup Setup(const std::string& folder, bool withGui = true)
  {
    ZephraEditorSetup setup = ModelSetup<ZephraEditorSetup>(folder);
    if (withGui)
      setup.buildGui = [](ZephraEditor& editor) {
        editor.AttachGraphics(new StubGraphicsLink);
        editor.SetPanels(std::make_unique<RecordingPanels>());
      };
    return setup;
  }
};
