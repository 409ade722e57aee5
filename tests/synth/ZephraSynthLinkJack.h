// The fixture of the synth link tests over JACK: the model on the shell's
// MIDI ports with its timer thread running, the simulated synth on JACK
// clients of its own, and what the user would see recorded by the panels. One shell serves every test file of the program.
#pragma once

#include "support/ZephraTestModel.h"

#include "core/MidiPorts.h"
#include "support/TempDir.h"
#include "synth/ProgramFile.h"
#include "tests/synth/peer/SynthSim.h"
#include "tests/synth/support/ZephraTestPrograms.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>

// Between the ports and the model, so that the test can wait for what
// arrives; before a model is attached it only notes dump locations.
struct NotifyingPlug : IUnitBase
{
  NotifyingPlug() : IUnitBase(1, "0-1 0-2", 1, "n", "", "n", 1, 1, 1, 0, true, false, false, kAPIStandalone) {}
  void ProcessSysEx(ISysEx* sysEx) override
  {
    std::unique_lock<std::mutex> hold(lock);
    ZephraModel* target = model;
    if (!target && sysEx->mSize == 213) warmUpLocation = sysEx->mData[7];
    hold.unlock();
    if (target) target->ProcessSysEx(sysEx);
    hold.lock();
    heard.push_back("SysEx " + std::to_string(sysEx->mSize));
    ++arrivals;
    arrived.notify_all();
  }
  void ProcessMidiMsg(IMidiMsg* msg) override
  {
    std::lock_guard<std::mutex> hold(lock);
    const uint8_t bytes[3] = {msg->mStatus, msg->mData1, msg->mData2};
    std::string text;
    for (int i = 0; i < msg->WireLength(); ++i)
    {
      char hex[4];
      std::snprintf(hex, sizeof hex, "%02X", bytes[i]);
      text += (i ? " " : "") + std::string(hex);
    }
    heard.push_back(text);
    ++arrivals;
    arrived.notify_all();
  }
  // Pass-through goes out by the model's output. The model takes the plug-in
  // mutex, which the delivery thread holds while it takes this lock, so the
  // model is called with this lock released.
  void ProcessKeyboardMidiMsg(IMidiMsg* msg) override
  {
    std::unique_lock<std::mutex> hold(lock);
    ZephraModel* target = model;
    hold.unlock();
    if (target) target->ProcessKeyboardMidiMsg(msg);
    hold.lock();
    ++arrivals;
    arrived.notify_all();
  }
  // Runs step until done holds; false after the time given.
  bool WaitUntil(const std::function<bool()>& done, const std::function<void()>& step = {}, int seconds = 60)
  {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (!done())
    {
      if (std::chrono::steady_clock::now() > deadline) return false;
      if (step) step();
      std::unique_lock<std::mutex> hold(lock);
      const int before = arrivals;
      arrived.wait_for(hold, std::chrono::milliseconds(20), [&] { return arrivals != before; });
    }
    return true;
  }
  std::mutex lock;
  std::condition_variable arrived;
  ZephraModel* model = nullptr;
  int arrivals = 0, warmUpLocation = 0;
  // Every message handed over, short ones in hex ("90 3C 64"), SysEx by
  // size ("SysEx 213").
  std::vector<std::string> heard;
};

// The shell's ports, made once for every test of the process and closed when
// they are done: a client left open when the process ends stalls the
// server's cycles until its time-out passes, which the next test would wait out.
struct Shell
{
  MidiPorts ports{MidiSettingsStore{}};
  NotifyingPlug plug;
  // In the shell's order: the output is chosen while the inputs are made.
  bool ok = (ports.StartMidi(), ports.ChooseMidiOutput("virtual output")) && ports.FinishMidi() &&
            ports.ChooseMidiInput("virtual input");
  // The plug goes before the ports: their delivery (an active-sensing synth
  // keeps it busy to the end) must have stopped by then.
  ~Shell() { ports.CloseAll(); }
};

inline Shell* gShell = nullptr;

class CloseShell : public ::testing::Environment
{
public:
  void TearDown() override
  {
    delete gShell;
    gShell = nullptr;
  }
};
inline const auto* const kCloseShell = ::testing::AddGlobalTestEnvironment(new CloseShell);

class ZephraSynthLinkJack : public ::testing::Test
{
protected:
  void SetUp() override
  {
    if (!SynthSim::JackServerAnswers() && !std::getenv("CI")) GTEST_SKIP() << "no JACK server answers";
    if (!gShell) gShell = new Shell;
    mShell = gShell;
    ASSERT_TRUE(mShell->ok);
    mShell->ports.SetPlug(&mShell->plug);
    std::string error;
    ASSERT_TRUE(mSim.Open(error)) << error;
    // New connections may lose their first cycles: ask until answered.
    {
      std::lock_guard<std::mutex> hold(mShell->plug.lock);
      mShell->plug.warmUpLocation = 0;
    }
    int attempt = 1;
    for (; attempt <= 10; ++attempt)
    {
      const std::vector<uint8_t> request = RequestMessage(attempt);
      mShell->ports.MidiOut()->sendMessage(request.data(), request.size());
      const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
      auto answered = [&] {
        std::lock_guard<std::mutex> hold(mShell->plug.lock);
        return mShell->plug.warmUpLocation == attempt;
      };
      (void)mShell->plug.WaitUntil([&] { return answered() || std::chrono::steady_clock::now() > until; });
      if (answered()) break;
    }
    ASSERT_LE(attempt, 10) << "the JACK link carries nothing";
    mSim.With([](SynthSimModel& m) { m = SynthSimModel{}; });
    std::filesystem::create_directories(mFolder);
    WriteWholeFile(mFolder + "01_Init.pr3", MarkerText(kDefaultValues));
    mLink = std::make_unique<TestModel>(mDir.Path(), /*runTimer=*/true, mShell->ports.MidiOut());
    mLink->model->ScanProgramFolder((mFolder + "01_Init.pr3").c_str());
    mShell->ports.SetOutputGate(&mLink->model->MidiOutput());
    std::lock_guard<std::mutex> hold(mShell->plug.lock);
    mShell->plug.model = mLink->model.get();
  }

  void TearDown() override
  {
    if (!mShell) return;
    {
      std::lock_guard<std::mutex> hold(mShell->plug.lock);  // input first, then the editor
      mShell->plug.model = nullptr;
    }
    mShell->ports.SetOutputGate(nullptr);
    mLink.reset();
  }

  bool IdleUntil(const std::function<bool()>& done)
  {
    return mShell->plug.WaitUntil(done, [this] { mLink->model->OnIdle(); });
  }
  ZephraModel& E() { return *mLink->model; }
  // A request leaves on an idle pass, as in the editor; a pass that finds
  // the editor's lock held (a delivery, the timer: a busy machine) leaves it
  // for the next. Passes until something has gone; what went, or nothing
  // after a minute.
  std::vector<Bytes> IdleUntilSent()
  {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    for (;;)
    {
      E().OnIdle();
      std::vector<Bytes> sent = mLink->TakeSent();
      if (!sent.empty() || std::chrono::steady_clock::now() > deadline) return sent;
      std::this_thread::yield();
    }
  }
  bool Waiting(bool (ZephraModel::*wait)() const)
  {
    BASE_MutexLock hold(E().GetMutex());
    return (E().*wait)();
  }
  // What the sim holds in its first 170 values: those that travel.
  std::vector<int> SimValues(const std::function<const SimProgram&(SynthSimModel&)>& which)
  {
    return mSim.With([&](SynthSimModel& m) {
      const SimProgram& p = which(m);
      return std::vector<int>(p.values.begin(), p.values.begin() + 170);
    });
  }
  // One round of a repeated fetch: asks for the program at location (then
  // runs afterRequest, when given) and waits for what the editor tells. The
  // model's own one-second timer watches for the answer, as in the editor:
  // a tick on every poll here would give the synth a few polls instead of
  // its seconds. True when the dump arrived once and was saved to file whole;
  // otherwise a failure names the round and what the editor said.
  bool FetchArrivesOnceAndIsSaved(int location, const std::string& file, int round,
                                  const std::function<void()>& afterRequest = {})
  {
    {
      std::lock_guard<std::mutex> hold(mShell->plug.lock);
      mShell->plug.heard.clear();
    }
    const size_t prompts = mLink->panels->Prompts().size();
    const size_t boxes = mLink->panels->Boxes().size();
    mLink->panels->QueueSavePath(file);
    mLink->TakeSent();
    E().RequestSingleProgram(location);
    if (afterRequest)
    {
      // What afterRequest sends is timed from the moment the request has gone.
      if (IdleUntilSent().empty())
      {
        ADD_FAILURE() << "round " << round << ": the request never left";
        return false;
      }
      afterRequest();
    }
    const bool told = IdleUntil([&] {
      return mLink->panels->Prompts().size() > prompts || mLink->panels->Boxes().size() > boxes;
    });
    if (!told)
    {
      ADD_FAILURE() << "round " << round << ": nothing told";
      return false;
    }
    const bool saved = mLink->panels->Prompts().size() > prompts && LineNumbers(ReadWholeFile(file)) == Pr3Numbers(kDefaultValues);
    if (!saved)
    {
      ADD_FAILURE() << "round " << round << ": "
                    << (mLink->panels->Boxes().size() > boxes ? mLink->panels->Boxes().back() : "no file");
      // A path no prompt took must not answer the next round's prompt, which
      // would then save elsewhere and fail a round that went well.
      std::lock_guard<std::mutex> hold(mLink->panels->lock);
      mLink->panels->answers.clear();
    }
    std::lock_guard<std::mutex> hold(mShell->plug.lock);
    const auto dumps = std::count(mShell->plug.heard.begin(), mShell->plug.heard.end(), "SysEx 213");
    std::string heard;  // what came instead, to tell how the dump was cut
    for (const std::string& message : mShell->plug.heard) heard += (heard.empty() ? "" : ", ") + message;
    EXPECT_EQ(dumps, 1) << "round " << round << ", heard: " << heard;
    return saved && dumps == 1;
  }
  // After a transfer that went well, later ticks of the watchdog report nothing.
  void ExpectQuietClock()
  {
    const size_t boxes = mLink->panels->Boxes().size();
    for (int tick = 0; tick < 4; ++tick) E().OnTimerTick();
    const auto shown = mLink->panels->Boxes();
    EXPECT_EQ(shown.size(), boxes) << (shown.empty() ? "" : shown.back());
  }

  Shell* mShell = nullptr;
  SynthSim mSim;
  TempDir mDir;
  std::string mFolder = mDir.Path() + "/programs/";
  std::unique_ptr<TestModel> mLink;
};
