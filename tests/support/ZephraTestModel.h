// The synth model as the editor brings it up, for the tests of the model:
// settings in a folder, the timer thread only when asked (tests call
// OnTimerTick themselves), a do-nothing graphics object (so the model acts
// as with a GUI), panels that record captions, status texts, message boxes
// and save dialogs and answer the dialogs from a queue, and the MIDI output
// captured: controller messages as the wire bytes the wrapper sends under
// the output channel, SysEx whole. The records take a lock, since the timer
// and MIDI threads write them too.
#pragma once

#include "support/StubGraphicsLink.h"
#include "synth/ZephraModel.h"

#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

using Bytes = std::vector<uint8_t>;

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
    status.push_back(text);
  }
  // The display shows the last text set.
  std::string NameDisplayText() const override
  {
    std::lock_guard<std::mutex> hold(lock);
    return status.empty() ? std::string() : status.back();
  }
  int ShowMessageBox(const char* text, const char* /*caption*/, int /*type*/) override
  {
    std::lock_guard<std::mutex> hold(lock);
    boxes.push_back(text);
    if (boxAnswers.empty()) return 0;
    const int answer = boxAnswers.front();
    boxAnswers.pop_front();
    return answer;
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
  // The button the next message box answers with (none queued: 0).
  void QueueBoxAnswer(int answer)
  {
    std::lock_guard<std::mutex> hold(lock);
    boxAnswers.push_back(answer);
  }
  void SetLastSelectedProgramFile(const char* path) override
  {
    std::lock_guard<std::mutex> hold(lock);
    lastSelected = path ? path : "";
  }
  // The file the save selector would propose next.
  std::string LastSelectedFile()
  {
    std::lock_guard<std::mutex> hold(lock);
    return lastSelected;
  }
  std::vector<std::string> Status() { return Copy(status); }
  std::vector<std::string> Boxes() { return Copy(boxes); }
  std::vector<std::string> Prompts() { return Copy(prompts); }

  mutable std::mutex lock;
  std::map<int, std::string> captions;
  std::vector<std::string> status, boxes, prompts;
  std::string lastSelected;
  std::deque<std::string> answers;
  std::deque<int> boxAnswers;

private:
  std::vector<std::string> Copy(const std::vector<std::string>& list)
  {
    std::lock_guard<std::mutex> hold(lock);
    return list;
  }
};

struct TestModel
{
  uint16_t outChannel = 0;
  RecordingPanels* panels = nullptr;
  std::unique_ptr<ZephraModel> model;

  explicit TestModel(const std::string& folder, bool runTimer = false, RtMidiOut* midiOut = nullptr)
  {
    ZephraModelSetup setup;
    setup.settingsFolder = folder;
    setup.runTimer = runTimer;
    setup.sendTap = [this](const IMidiMsg& msg) {
      uint8_t bytes[3];
      const int n = IUnitStandalone::MakeWireBytes(msg, outChannel, bytes);
      std::lock_guard<std::mutex> hold(mLock);
      mWire.insert(mWire.end(), bytes, bytes + n);
    };
    IUnitInstanceInfo info;
    info.mMidiOut = midiOut;
    info.mMidiOutChan = &outChannel;
    model = std::make_unique<ZephraModel>(info, setup);
    model->AttachGraphics(new StubGraphicsLink);
    auto owned = std::make_unique<RecordingPanels>();
    panels = owned.get();
    model->SetPanels(std::move(owned));
    model->SetSysExTap([this](const uint8_t* bytes, size_t size) {
      std::lock_guard<std::mutex> hold(mLock);
      mSent.emplace_back(bytes, bytes + size);
    });
    // What the editor's constructor does once its GUI stands.
    model->InitProgramState();
  }
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
    model->ProcessSysEx(&sysEx);
  }

private:
  std::mutex mLock;
  Bytes mWire;
  std::vector<Bytes> mSent;
};
