// An editor for synth-link tests: settings in a folder, a headless surface
// that records message boxes and save dialogs and answers from its queues,
// status texts recorded under a lock (the timer and MIDI threads write them
// too), and every SysEx the editor sends captured.
#pragma once

#include "core/BASE_String.h"
#include "graphics/IGraphicsHeadless.h"
#include "editor/ZephraEditor.h"

#include <memory>
#include <mutex>
#include <utility>

struct HeadlessLinkPanels : ZephraPanelLink
{
  explicit HeadlessLinkPanels(IGraphicsHeadless* surface) : gui(surface) {}
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
  std::vector<std::string> Status()
  {
    std::lock_guard<std::mutex> hold(lock);
    return status;
  }
  IGraphicsHeadless* gui;
  std::mutex lock;
  std::vector<std::string> status;
};

struct LinkEditor
{
  IGraphicsHeadless* gui = nullptr;
  HeadlessLinkPanels* panels = nullptr;
  std::mutex sentLock;
  std::vector<std::vector<uint8_t>> sent;
  std::unique_ptr<ZephraEditor> editor;

  explicit LinkEditor(const std::string& folder, bool runTimer = false, RtMidiOut* midiOut = nullptr)
  {
    ZephraEditorSetup setup;
    setup.settingsFolder = folder;
    setup.runTimer = runTimer;
    setup.buildGui = [this](ZephraEditor& e) {
      gui = new IGraphicsHeadless(&e, 1140, 800);
      gui->OpenWindow(nullptr);
      e.AttachGraphics(gui);
      e.SetPanels(std::make_unique<HeadlessLinkPanels>(gui));
      panels = static_cast<HeadlessLinkPanels*>(&e.Panels());
    };
    IUnitInstanceInfo info;
    info.mMidiOut = midiOut;
    editor = std::make_unique<ZephraEditor>(info, setup);
    editor->SetSysExTap([this](const uint8_t* bytes, size_t size) {
      std::lock_guard<std::mutex> hold(sentLock);
      sent.emplace_back(bytes, bytes + size);
    });
  }
  std::vector<std::vector<uint8_t>> TakeSent()
  {
    std::lock_guard<std::mutex> hold(sentLock);
    return std::exchange(sent, {});
  }
  void Receive(const std::vector<uint8_t>& message)
  {
    ISysEx sysEx(0, message.data(), static_cast<int>(message.size()));
    editor->ProcessSysEx(&sysEx);
  }
};
