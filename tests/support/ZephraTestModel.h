// The synth model as the editor holds it, for tests: settings in a given
// folder, no timer thread unless asked, a do-nothing graphics object (so the
// model behaves as with a GUI), panels that record what the user would see
// and answer the save selector from a queue, and the MIDI output captured:
// controllers as the wire bytes the wrapper sends under the output channel,
// SysEx message by message.
#pragma once

#include "support/StubGraphicsLink.h"
#include "synth/ZephraModel.h"

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

// The timer and MIDI threads write status texts and message boxes too, so
// what several threads write is recorded under a lock; single-threaded tests
// may read the fields directly.
struct RecordingPanels : ZephraPanelLink
{
  void SetValueCaption(int programIndex, const char* text) override
  {
    std::lock_guard<std::mutex> hold(lock);
    captions[programIndex] = text;
  }
  void SetNameDisplay(const char* text) override
  {
    std::lock_guard<std::mutex> hold(lock);
    names.push_back(text);
  }
  int ShowMessageBox(const char* text, const char* /*caption*/, int /*type*/) override
  {
    std::lock_guard<std::mutex> hold(lock);
    boxes.push_back(text);
    return 0;
  }
  // The next queued answer, or "" (cancelled) when none is queued.
  std::string PromptForSaveFile(const char* proposedPath) override
  {
    std::lock_guard<std::mutex> hold(lock);
    prompts.push_back(proposedPath);
    if (answers.empty()) return std::string();
    std::string answer = answers.front();
    answers.pop_front();
    return answer;
  }
  void QueueSavePath(const std::string& path)
  {
    std::lock_guard<std::mutex> hold(lock);
    answers.push_back(path);
  }
  std::vector<std::string> Names() { return Copy(names); }
  std::vector<std::string> Boxes() { return Copy(boxes); }
  std::vector<std::string> Prompts() { return Copy(prompts); }

  std::mutex lock;
  std::map<int, std::string> captions;
  std::vector<std::string> names, boxes, prompts;
  std::deque<std::string> answers;

private:
  std::vector<std::string> Copy(const std::vector<std::string>& list)
  {
    std::lock_guard<std::mutex> hold(lock);
    return list;
  }
};

// Owns the output-channel setting and the captured bytes, which must
// outlive the model's construction.
struct ModelTap
{
  uint16_t outChannel = 0;
  std::vector<uint8_t> bytes;

  std::vector<uint8_t> Take() { return std::exchange(bytes, {}); }
  IUnitInstanceInfo Info(RtMidiOut* midiOut = nullptr)
  {
    IUnitInstanceInfo info;
    info.mMidiOutChan = &outChannel;
    info.mMidiOut = midiOut;
    return info;
  }
  template <class Setup = ZephraModelSetup>
  Setup ModelSetup(const std::string& folder, bool runTimer = false)
  {
    Setup setup;
    setup.settingsFolder = folder;
    setup.runTimer = runTimer;
    setup.sendTap = [this](const IMidiMsg& msg) {
      uint8_t wire[3];
      const int n = IUnitStandalone::MakeWireBytes(msg, outChannel, wire);
      bytes.insert(bytes.end(), wire, wire + n);
    };
    return setup;
  }
};

// A started model: constructed, given its GUI stand-ins, and brought up as
// the editor's constructor does (last program loaded and sent).
struct TestModel
{
  ModelTap tap;
  RecordingPanels* panels = nullptr;
  std::mutex sentLock;
  std::vector<std::vector<uint8_t>> sent;
  std::unique_ptr<ZephraModel> model;

  explicit TestModel(const std::string& folder, bool runTimer = false, RtMidiOut* midiOut = nullptr)
    : model(std::make_unique<ZephraModel>(tap.Info(midiOut), tap.ModelSetup(folder, runTimer)))
  {
    model->AttachGraphics(new StubGraphicsLink);
    auto owned = std::make_unique<RecordingPanels>();
    panels = owned.get();
    model->SetPanels(std::move(owned));
    model->SetSysExTap([this](const uint8_t* bytes, size_t size) {
      std::lock_guard<std::mutex> hold(sentLock);
      sent.emplace_back(bytes, bytes + size);
    });
    model->InitProgramState();
  }
  std::vector<std::vector<uint8_t>> TakeSent()
  {
    std::lock_guard<std::mutex> hold(sentLock);
    return std::exchange(sent, {});
  }
  void Receive(const std::vector<uint8_t>& message)
  {
    ISysEx sysEx(0, message.data(), static_cast<int>(message.size()));
    model->ProcessSysEx(&sysEx);
  }
};
