// An editor for tests: settings in a temporary folder, no timer thread, a
// minimal graphics object (so the editor behaves as with a GUI), panels
// that record captions and the name display, and the MIDI output captured
// as the wire bytes the wrapper would send under the output channel.
#pragma once

#include "support/StubGraphicsLink.h"
#include "editor/ZephraEditor.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

struct RecordingPanels : ZephraPanelLink
{
  void SetValueCaption(int programIndex, const char* text) override { captions[programIndex] = text; }
  void SetNameDisplay(const char* text) override { names.push_back(text); }
  std::map<int, std::string> captions;
  std::vector<std::string> names;
};

// Owns the output-channel setting and the captured bytes, which must
// outlive the editor's construction.
struct WireTap
{
  uint16_t outChannel = 0;
  std::vector<uint8_t> bytes;

  std::vector<uint8_t> Take() { return std::exchange(bytes, {}); }
  IUnitInstanceInfo Info()
  {
    IUnitInstanceInfo info;
    info.mMidiOutChan = &outChannel;
    return info;
  }
  ZephraEditorSetup Setup(const std::string& folder, bool withGui = true)
  {
    ZephraEditorSetup setup;
    setup.settingsFolder = folder;
    setup.runTimer = false;
    setup.sendTap = [this](const IMidiMsg& msg) {
      uint8_t wire[3];
      const int n = IUnitStandalone::MakeWireBytes(msg, outChannel, wire);
      bytes.insert(bytes.end(), wire, wire + n);
    };
    if (withGui)
      setup.buildGui = [](ZephraEditor& editor) {
        editor.AttachGraphics(new StubGraphicsLink);
        editor.SetPanels(std::make_unique<RecordingPanels>());
      };
    return setup;
  }
};
