// An editor for tests: settings in a folder, the timer thread only when
// asked (tests call OnTimerTick themselves), a headless surface that records
// message boxes and save dialogs and answers from its queues, panels that
// record captions and status texts, and the MIDI output captured: controller
// messages as the wire bytes the wrapper sends under the output channel
// (also those of the construction, which no override sees), SysEx whole.
// The records take a lock, since the timer and MIDI threads write them too.
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

struct TestPanels : ZephraPanelLink
{
  explicit TestPanels(IGraphicsHeadless* surface) : gui(surface) {}
  void SetValueCaption(int programIndex, const char* text) override
  {
    std::lock_guard<std::mutex> hold(lock);
    captions[programIndex] = text;
  }
  void SetNameDisplay(const char* text) override
  {
    std::lock_guard<std::mutex> hold(lock);
    status.push_back(text);
  }
  int ShowMessageBox(const char* text, const char* caption, int type) override
  {
    return gui->ShowMessageBox(text, caption, type);
  }
  std::string PromptForSaveFile(const char* proposedPath) override
  {
    BASE_String file(proposedPath), dir("");
    gui->PromptForFile(&file, 1, &dir, "pr3");
    return file.Get();
  }
  bool IsFlexiCopyMode() const override { return flexiCopyMode; }
  void HideParamControl(int param, bool hide) override
  {
    std::lock_guard<std::mutex> hold(lock);
    hidden[param] = hide;
  }
  bool IsParamControlHidden(int param) const override
  {
    std::lock_guard<std::mutex> hold(lock);
    const auto it = hidden.find(param);
    return it != hidden.end() && it->second;
  }
  void GrayOutParamControl(int param, bool gray) override
  {
    std::lock_guard<std::mutex> hold(lock);
    grayed[param] = gray;
  }
  void HideValueCaption(int programIndex, bool hide) override
  {
    std::lock_guard<std::mutex> hold(lock);
    captionHidden[programIndex] = hide;
  }
  void SetPwmLfoRangeMode(bool synced) override { rangeModes += synced ? "L1 " : "L0 "; }
  void SetDelayRangeMode(int mode) override { rangeModes += "D" + std::to_string(mode) + " "; }
  bool IsMidiSyncKnobHeld() const override { return midiSyncHeld; }
  std::vector<std::string> Status()
  {
    std::lock_guard<std::mutex> hold(lock);
    return status;
  }
  IGraphicsHeadless* gui;
  mutable std::mutex lock;
  std::map<int, std::string> captions;
  std::vector<std::string> status;
  std::map<int, bool> hidden;  // by parameter, as last hidden or shown
  std::map<int, bool> grayed;  // by parameter, as last dimmed or restored
  std::map<int, bool> captionHidden;  // by program index
  std::string rangeModes;  // "L1 D0 ": the range-mode calls in order
  bool flexiCopyMode = false;
  bool midiSyncHeld = false;
};

struct TestEditor
{
  uint16_t outChannel = 0;
  IGraphicsHeadless* gui = nullptr;
  TestPanels* panels = nullptr;
  std::unique_ptr<ZephraEditor> editor;

  // addControls, when given, puts controls of the test's own on the surface
  // before the editor is built on it.
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
      std::lock_guard<std::mutex> hold(mLock);
      mWire.insert(mWire.end(), bytes, bytes + n);
    };
    IUnitInstanceInfo info;
    info.mMidiOut = midiOut;
    info.mMidiOutChan = &outChannel;
    editor = std::make_unique<ZephraEditor>(info, setup);
    editor->SetSysExTap([this](const uint8_t* bytes, size_t size) {
      std::lock_guard<std::mutex> hold(mLock);
      mSent.emplace_back(bytes, bytes + size);
    });
  }
  // The editor may still send while it goes: before the records do.
  ~TestEditor() { editor.reset(); }
  // The controller bytes and the SysEx messages sent since the last take.
  Bytes TakeWire()
  {
    std::lock_guard<std::mutex> hold(mLock);
    return std::exchange(mWire, {});
  }
  std::vector<Bytes> TakeSent()
  {
    std::lock_guard<std::mutex> hold(mLock);
    return std::exchange(mSent, {});
  }
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
