// An editor for tests: settings in a folder, no timer thread unless asked, a
// headless surface, panels that record what they are told, and the MIDI
// output captured as wire bytes (construction's too) and whole SysEx. The
// records take a lock: the timer and MIDI threads write them too.
#pragma once

#include "core/BASE_String.h"
#include "graphics/IGraphicsHeadless.h"
#include "editor/ZephraEditor.h"

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <utility>

using Bytes = std::vector<uint8_t>;
using Hold = std::lock_guard<std::mutex>;

struct TestPanels : ZephraPanelLink
{
  explicit TestPanels(IGraphicsHeadless* surface) : gui(surface) {}
  void SetValueCaption(int index, const char* text) override { Hold hold(lock); captions[index] = text; }
  void SetNameDisplay(const char* text) override { Hold hold(lock); status.push_back(text); }
  // The display shows the last text set.
  std::string NameDisplayText() const override
  {
    Hold hold(lock);
    return status.empty() ? std::string() : status.back();
  }
  int ShowMessageBox(const char* text, const char* title, int type) override
  {
    return gui->ShowMessageBox(text, title, type);
  }
  std::string PromptForSaveFile(const char* proposedPath) override
  {
    BASE_String file(proposedPath), dir("");
    gui->PromptForFile(&file, 1, &dir, "pr3", nullptr);
    return file.Get();
  }
  bool IsFlexiCopyMode() const override { return flexiCopyMode; }
  void HideParamControl(int param, bool hide) override { Hold hold(lock); hidden[param] = hide; }
  bool IsParamControlHidden(int param) const override
  {
    Hold hold(lock);
    return hidden.count(param) && hidden.at(param);
  }
  void GrayOutParamControl(int param, bool gray) override { Hold hold(lock); grayed[param] = gray; }
  void HideValueCaption(int index, bool hide) override { Hold hold(lock); captionHidden[index] = hide; }
  void SetPwmLfoRangeMode(bool synced) override { rangeModes += synced ? "L1 " : "L0 "; }
  void SetDelayRangeMode(int mode) override { rangeModes += "D" + std::to_string(mode) + " "; }
  bool IsMidiSyncKnobHeld() const override { return midiSyncHeld; }
  void HeldNoteChanged(int note) override { Hold hold(lock); notesTold.push_back(note); }
  std::vector<std::string> Status() { Hold hold(lock); return status; }
  IGraphicsHeadless* gui;
  mutable std::mutex lock;
  std::map<int, std::string> captions;
  std::vector<std::string> status;
  std::map<int, bool> hidden;  // by parameter, as last hidden or shown
  std::map<int, bool> grayed;  // by parameter, as last dimmed or restored
  std::map<int, bool> captionHidden;  // by program index
  std::string rangeModes;  // "L1 D0 ": the range-mode calls in order
  std::vector<int> notesTold;  // HeldNoteChanged's notes in order
  bool flexiCopyMode = false;
  bool midiSyncHeld = false;
};

struct TestEditor
{
  uint16_t outChannel = 0;
  IGraphicsHeadless* gui = nullptr;
  TestPanels* panels = nullptr;
  std::unique_ptr<ZephraEditor> editor;

  // addControls puts the test's own controls on the surface first.
  explicit TestEditor(const std::string& folder, bool runTimer = false, RtMidiOut* midiOut = nullptr,
                      std::function<void(IGraphicsHeadless&, ZephraEditor&)> addControls = {})
  {
    ZephraEditorSetup setup;
    setup.settingsFolder = folder;
    setup.runTimer = runTimer;
    setup.buildGui = [this, addControls](ZephraEditor& e) {
      gui = new IGraphicsHeadless(&e, 1140, 800);
      if (addControls) addControls(*gui, e);
      gui->OpenWindow(nullptr);
      e.AttachGraphics(gui);
      e.SetPanels(std::make_unique<TestPanels>(gui));
      panels = static_cast<TestPanels*>(&e.Panels());
    };
    setup.sendTap = [this](const IMidiMsg& msg) {
      uint8_t bytes[3];
      const int n = IUnitStandalone::MakeWireBytes(msg, outChannel, bytes);
      Hold hold(mLock);
      mWire.insert(mWire.end(), bytes, bytes + n);
    };
    IUnitInstanceInfo info;
    info.mMidiOut = midiOut;
    info.mMidiOutChan = &outChannel;
    editor = std::make_unique<ZephraEditor>(info, setup);
    editor->SetSysExTap([this](const uint8_t* b, size_t size) { Hold hold(mLock); mSent.emplace_back(b, b + size); });
  }
  // The editor may still send while it goes: before the records do.
  ~TestEditor() { editor.reset(); }
  // The controller bytes and the SysEx messages sent since the last take.
  Bytes TakeWire() { Hold hold(mLock); return std::exchange(mWire, {}); }
  std::vector<Bytes> TakeSent() { Hold hold(mLock); return std::exchange(mSent, {}); }
  void Receive(const Bytes& message)
  {
    ISysEx sysEx(0, message.data(), static_cast<int>(message.size()));
    editor->ProcessSysEx(&sysEx);
  }

private:
  std::mutex mLock;
  Bytes mWire;
  std::vector<Bytes> mSent;
};
