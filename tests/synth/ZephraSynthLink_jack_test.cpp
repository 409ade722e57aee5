// The synth link end to end: the model on the shell's MIDI ports over a
// JACK server with its timer thread running, the simulated synth as a
// process of its own, and what the user would see recorded by the panels.
// Under the race detector this is the three-thread test.
#include "core/BASE_Mutex.h"
#include "core/MidiPorts.h"
#include "support/SynthSimProcess.h"
#include "support/TempDir.h"
#include "support/ZephraTestModel.h"
#include "synth/ZephraLinkMessages.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace
{
// Between the ports and the editor, so that the test can wait for what
// arrives; before an editor is attached it only notes dump locations.
struct NotifyingPlug : IUnitBase
{
  NotifyingPlug() : IUnitBase(1, "0-1 0-2", 1, "n", "", "n", 1, 1, 1, 0, true, false, false, kAPIStandalone) {}
  void ProcessSysEx(ISysEx* sysEx) override
  {
    std::unique_lock<std::mutex> hold(lock);
    ZephraModel* target = editor;
    if (!target && sysEx->mSize == kDumpSize) warmUpLocation = sysEx->mData[7];
    hold.unlock();
    if (target) target->ProcessSysEx(sysEx);
    hold.lock();
    ++arrivals;
    arrived.notify_all();
  }
  // Runs step until done holds; false after a minute.
  bool WaitUntil(const std::function<bool()>& done, const std::function<void()>& step = {})
  {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
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
  ZephraModel* editor = nullptr;
  int arrivals = 0, warmUpLocation = 0;
};

// The shell's ports, made once for every test of the process and closed when
// they are done: a client left open when the process ends stalls the
// server's cycles until its time-out passes, which the next test would wait out.
struct Shell
{
  MidiPorts ports{MidiSettingsStore{}};
  NotifyingPlug plug;
  bool ok = ports.InitialiseMidi() && ports.ChooseMidiOutput("virtual output") &&
            ports.ChooseMidiInput("virtual input");
};

Shell* gShell = nullptr;

class CloseShell : public ::testing::Environment
{
public:
  void TearDown() override
  {
    delete gShell;
    gShell = nullptr;
  }
};
const auto* const kCloseShell = ::testing::AddGlobalTestEnvironment(new CloseShell);

class ZephraSynthLinkJack : public ::testing::Test
{
protected:
  void SetUp() override
  {
    // A server still reaping the clients of a program that just ended can
    // miss one probe; a missing server misses them all.
    int probe = SynthSimProcess::kNoServer;
    for (int i = 0; i < 3 && probe == SynthSimProcess::kNoServer; ++i)
      probe = SynthSimProcess::ProbeJackServer(ZEPHRA_SYNTH_SIM);
    if (probe == SynthSimProcess::kNoServer && !std::getenv("CI")) GTEST_SKIP() << "no JACK server answers";
    ASSERT_EQ(probe, SynthSimProcess::kServerAnswers);
    if (!gShell) gShell = new Shell;
    mShell = gShell;
    ASSERT_TRUE(mShell->ok);
    mShell->ports.SetPlug(&mShell->plug);
    ASSERT_TRUE(mSim.Start(ZEPHRA_SYNTH_SIM, {"--to", "To ZephraEditor", "--from", "From ZephraEditor"})) << mSim.Error();
    // New connections may lose their first cycles: ask until answered.
    {
      std::lock_guard<std::mutex> hold(mShell->plug.lock);
      mShell->plug.warmUpLocation = 0;
    }
    int attempt = 1;
    for (; attempt <= 10; ++attempt)
    {
      const Bytes request = ProgramRequestMessage(attempt);
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
    ASSERT_EQ(mSim.Ask("reset"), "ok");
    std::filesystem::create_directories(mFolder);
    std::ofstream(mFolder + "01_Init.pr3") << FormatPr3Text(kDefaultProgram);
    mLink = std::make_unique<TestModel>(mDir.Path(), /*runTimer=*/true, mShell->ports.MidiOut());
    mLink->model->ScanProgramFolder((mFolder + "01_Init.pr3").c_str());
    std::lock_guard<std::mutex> hold(mShell->plug.lock);
    mShell->plug.editor = mLink->model.get();
  }

  void TearDown() override
  {
    if (!mShell) return;
    {
      std::lock_guard<std::mutex> hold(mShell->plug.lock);  // input first, then the editor
      mShell->plug.editor = nullptr;
    }
    mLink.reset();
    if (!mSim.Running()) return;
    EXPECT_EQ(mSim.Stop(), 0) << mSim.Error();
  }

  bool IdleUntil(const std::function<bool()>& done)
  {
    return mShell->plug.WaitUntil(done, [this] { mLink->model->OnIdle(); });
  }
  ZephraModel& E() { return *mLink->model; }

  Shell* mShell = nullptr;
  SynthSimProcess mSim;
  TempDir mDir;
  std::string mFolder = mDir.Path() + "/programs/";
  std::unique_ptr<TestModel> mLink;
};
}  // namespace

TEST_F(ZephraSynthLinkJack, RequestedProgramIsSavedUnderItsName)
{
  mLink->TakeSent();
  mLink->panels->QueueSavePath(mFolder + "05INIT.pr3");
  E().RequestSingleProgram(5);
  ASSERT_TRUE(IdleUntil([&] { return !mLink->panels->Prompts().empty(); }));
  EXPECT_EQ(mLink->TakeSent(), (std::vector<Bytes>{{0xF0, 0x00, 0x3E, 0x5A, 0x03, 0x40, 0x03, 0x05, 0xF7}}));
  EXPECT_EQ(mLink->panels->Prompts()[0], mFolder + "05INIT.pr3");
  ProgramFileContent content;
  EXPECT_EQ(ReadProgramFile((mFolder + "05INIT.pr3").c_str(), content), ProgramFileError::kNone);
}

TEST_F(ZephraSynthLinkJack, WrittenFileLandsInSlotOne)
{
  mLink->TakeSent();
  E().WriteProgramFileToSynth((mFolder + "01_Init.pr3").c_str());
  EXPECT_EQ(mLink->TakeSent(), std::vector<Bytes>{ProgramWriteMessage(kDefaultProgram, "01_Init", 1)});
  ASSERT_TRUE(mShell->plug.WaitUntil([&] {
    BASE_MutexLock hold(E().GetMutex());
    return !E().AwaitingWrite();
  }));
  std::istringstream line(mSim.Ask("program 1"));
  ProgramValues expected = kDefaultProgram;
  LimitProgramToRanges(expected);
  for (int p = 0, value = 0; p < kFileValueCount && line >> value; ++p)
    EXPECT_TRUE(value == expected[p] || (p >= kFirstSpareLow && p <= kLastSpareLow)) << p;
  EXPECT_NE(line.str().find(":01_Init"), std::string::npos) << line.str();
}

TEST_F(ZephraSynthLinkJack, SaveAllFetchesEveryLocationInOrder)
{
  mLink->TakeSent();
  E().StartSaveAllFromSynth(false);
  ASSERT_TRUE(IdleUntil([&] {
    BASE_MutexLock hold(E().GetMutex());
    return !E().SavingAllFromSynth();
  }));
  const auto sent = mLink->TakeSent();
  ASSERT_EQ(sent.size(), 99u);
  for (int location = 1; location <= 99; ++location) EXPECT_EQ(sent[location - 1], ProgramRequestMessage(location));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(mFolder), std::filesystem::directory_iterator()), 100);
}

TEST_F(ZephraSynthLinkJack, SilentSynthIsReported)
{
  ASSERT_EQ(mSim.Ask("silent on"), "ok");
  E().RequestProgramDump(5);
  ASSERT_TRUE(mShell->plug.WaitUntil([&] { return !mLink->panels->Boxes().empty(); }));
  EXPECT_EQ(mLink->panels->Boxes()[0], "Zephra not present or a communication\nerror has occurred!");
}

TEST_F(ZephraSynthLinkJack, BadChecksumIsAskedAgain)
{
  ASSERT_EQ(mSim.Ask("corrupt 1"), "ok");
  mLink->TakeSent();
  mLink->panels->QueueSavePath(mFolder + "09INIT.pr3");
  E().RequestSingleProgram(9);
  ASSERT_TRUE(IdleUntil([&] { return !mLink->panels->Prompts().empty(); }));
  EXPECT_EQ(mLink->TakeSent(), (std::vector<Bytes>{ProgramRequestMessage(9), ProgramRequestMessage(9)}));
  EXPECT_TRUE(std::filesystem::exists(mFolder + "09INIT.pr3"));
}

TEST_F(ZephraSynthLinkJack, FirmwareHandshake)
{
  std::string image(80000, '\0');
  for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<char>(i * 7);
  std::ofstream(mDir.File("fw.bin"), std::ios::binary) << image;
  E().StartFirmwareUpdate(mDir.File("fw.bin").c_str());
  ASSERT_TRUE(mShell->plug.WaitUntil([&] { return mLink->panels->Names().back() == "Update successful!"; }))
    << ::testing::PrintToString(mLink->panels->Names()) << ::testing::PrintToString(mLink->panels->Boxes());
  const auto status = mLink->panels->Names();
  EXPECT_EQ(std::vector<std::string>(status.end() - 4, status.end()),
            (std::vector<std::string>{"Connecting to Zephra...", "Erasing FLASH memory...", "Loading Update...",
                                      "Update successful!"}));
  EXPECT_EQ(mSim.Ask("firmware").substr(0, 6), "80000 ");
}
