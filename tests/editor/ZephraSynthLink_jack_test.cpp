// The synth link end to end: the editor on the shell's MIDI ports over a
// JACK server with its timer thread running, the simulated synth on JACK
// clients of its own, and what the user would see recorded by the headless
// surface. Under the race detector this is the three-thread test.
#include "ZephraTestEditor.h"

#include "core/MidiPorts.h"
#include "support/TempDir.h"
#include "synth/ProgramFile.h"
#include "tests/synth/peer/SynthSim.h"
#include "tests/synth/support/ZephraTestPrograms.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <cstdlib>
#include <filesystem>

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
    ZephraEditor* target = editor;
    if (!target && sysEx->mSize == 213) warmUpLocation = sysEx->mData[7];
    hold.unlock();
    if (target) target->ProcessSysEx(sysEx);
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
  ZephraEditor* editor = nullptr;
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
    mLink = std::make_unique<TestEditor>(mDir.Path(), /*runTimer=*/true, mShell->ports.MidiOut());
    mLink->editor->ScanProgramFolder((mFolder + "01_Init.pr3").c_str());
    std::lock_guard<std::mutex> hold(mShell->plug.lock);
    mShell->plug.editor = mLink->editor.get();
  }

  void TearDown() override
  {
    if (!mShell) return;
    {
      std::lock_guard<std::mutex> hold(mShell->plug.lock);  // input first, then the editor
      mShell->plug.editor = nullptr;
    }
    mLink.reset();
  }

  bool IdleUntil(const std::function<bool()>& done)
  {
    return mShell->plug.WaitUntil(done, [this] { mLink->editor->OnIdle(); });
  }
  ZephraEditor& E() { return *mLink->editor; }
  bool Waiting(bool (ZephraEditor::*wait)() const)
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
  // After a transfer that went well, later ticks of the watchdog report nothing.
  void ExpectQuietClock()
  {
    const size_t boxes = mLink->gui->MessageBoxes().size();
    for (int tick = 0; tick < 4; ++tick) E().OnTimerTick();
    EXPECT_EQ(mLink->gui->MessageBoxes().size(), boxes);
  }

  Shell* mShell = nullptr;
  SynthSim mSim;
  TempDir mDir;
  std::string mFolder = mDir.Path() + "/programs/";
  std::unique_ptr<TestEditor> mLink;
};
}  // namespace

TEST_F(ZephraSynthLinkJack, RequestedProgramIsSavedUnderItsName)
{
  mLink->TakeSent();
  mLink->gui->QueueFilePath((mFolder + "05INIT.pr3").c_str());
  E().RequestSingleProgram(5);
  ASSERT_TRUE(IdleUntil([&] { return !mLink->gui->mFilePrompts.empty(); }));
  EXPECT_EQ(mLink->TakeSent(), (std::vector<Bytes>{{0xF0, 0x00, 0x3E, 0x5A, 0x03, 0x40, 0x03, 0x05, 0xF7}}));
  EXPECT_EQ(mLink->gui->mFilePrompts[0].file, mFolder + "05INIT.pr3");
  EXPECT_EQ(LineNumbers(ReadWholeFile(mFolder + "05INIT.pr3")), Pr3Numbers(kDefaultValues));
  ExpectQuietClock();
}

// A file written into a location is stored there whole, the editor follows
// it, and asked for again it comes back as the same file.
TEST_F(ZephraSynthLinkJack, WrittenProgramIsStoredAndComesBack)
{
  WriteWholeFile(mFolder + "07_Sample.pr3", MarkerText(kSampleValues));
  E().WriteProgramFileToSynth((mFolder + "07_Sample.pr3").c_str());
  ASSERT_TRUE(mShell->plug.WaitUntil([&] { return !Waiting(&ZephraEditor::AwaitingWrite); }));
  EXPECT_EQ(SimValues([](SynthSimModel& m) -> SimProgram& { return m.programs[6]; }),
            std::vector<int>(kSampleValues.begin(), kSampleValues.end()));
  EXPECT_EQ(mSim.With([](SynthSimModel& m) { return m.programs[6].name; }), "07_Sample");
  EXPECT_EQ(E().ParamInt(3), -13);

  mLink->gui->QueueFilePath((mFolder + "back.pr3").c_str());
  E().RequestSingleProgram(7);
  ASSERT_TRUE(IdleUntil([&] { return !mLink->gui->mFilePrompts.empty(); }));
  EXPECT_EQ(mLink->gui->mFilePrompts[0].file, mFolder + "07_Sample.pr3");
  EXPECT_EQ(LineNumbers(ReadWholeFile(mFolder + "back.pr3")), Pr3Numbers(kSampleValues));
  ExpectQuietClock();
}

// The whole-program send lands in the synth's edit buffer. JACK drops MIDI
// that crosses an overrun cycle, which a loaded machine brings about, and
// controllers are not acknowledged: a send that has not arrived whole after
// some seconds is made once more (a wrong byte fails every time).
TEST_F(ZephraSynthLinkJack, ProgramReachesTheEditBuffer)
{
  const std::vector<int> sample(kSampleValues.begin(), kSampleValues.end());
  auto edit = [](SynthSimModel& m) -> SimProgram& { return m.edit; };
  bool arrived = false;
  for (int attempt = 0; attempt < 3 && !arrived; ++attempt)
  {
    {
      BASE_MutexLock hold(E().GetMutex());
      ZephraEditor::ProgramValues values{};
      std::copy(kSampleValues.begin(), kSampleValues.end(), values.begin());
      E().ApplyProgram(values);
      E().SendProgramToSynth();
    }
    arrived = mShell->plug.WaitUntil([&] { return SimValues(edit) == sample; }, {}, 10);
  }
  EXPECT_TRUE(arrived);
}

TEST_F(ZephraSynthLinkJack, SaveAllFetchesEveryLocationInOrder)
{
  mLink->TakeSent();
  E().StartSaveAllFromSynth(false);
  ASSERT_TRUE(IdleUntil([&] { return !Waiting(&ZephraEditor::SavingAllFromSynth); }));
  const auto sent = mLink->TakeSent();
  ASSERT_EQ(sent.size(), 99u);
  for (int location = 1; location <= 99; ++location) EXPECT_EQ(sent[location - 1], RequestMessage(location));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(mFolder), std::filesystem::directory_iterator()), 100);
  ExpectQuietClock();
}

// The synth's faults, one at a time, as the user meets them.
TEST_F(ZephraSynthLinkJack, SynthFaults)
{
  WriteWholeFile(mDir.File("fw.bin"), std::string(7, '\xFF'));
  const struct
  {
    const char* name;
    std::function<void(SynthSimModel&)> mode;
    std::function<void()> act;
    const char* box;  // the message the user gets, "" for none
  } kCases[] = {
    {"silent", [](SynthSimModel& m) { m.silent = true; }, [&] { E().RequestProgramDump(5); },
     "Zephra not present or a communication\nerror has occurred!"},
    {"corrupt", [](SynthSimModel& m) { m.corruptDumps = 1; },  // asked again, then saved
     [&] {
       mLink->TakeSent();
       mLink->gui->QueueFilePath((mFolder + "09INIT.pr3").c_str());
       E().RequestSingleProgram(9);
       ASSERT_TRUE(IdleUntil([&] { return !mLink->gui->mFilePrompts.empty(); }));
       EXPECT_EQ(mLink->TakeSent(), (std::vector<Bytes>{RequestMessage(9), RequestMessage(9)}));
       EXPECT_EQ(LineNumbers(ReadWholeFile(mFolder + "09INIT.pr3")), Pr3Numbers(kDefaultValues));
     },
     ""},
    {"short", [](SynthSimModel& m) { m.shortDumps = 1; },  // saved at once, the rest from the default program
     [&] {
       E().RequestSingleProgram(4);
       ASSERT_TRUE(IdleUntil([&] { return std::filesystem::exists(mFolder + "04.pr3"); }));
       EXPECT_EQ(LineNumbers(ReadWholeFile(mFolder + "04.pr3")), Pr3Numbers(kDefaultValues));
     },
     ""},
    {"fail-write", [](SynthSimModel& m) { m.failingLocations.insert(1); },
     [&] { E().WriteProgramFileToSynth((mFolder + "01_Init.pr3").c_str()); }, "Communication error has occurred!"},
    {"fail-firmware", [](SynthSimModel& m) { m.failFirmware = 1; },
     [&] { E().StartFirmwareUpdate(mDir.File("fw.bin").c_str()); }, "Communication error has occurred!"},
  };
  for (const auto& c : kCases)
  {
    SCOPED_TRACE(c.name);
    mSim.With([&c](SynthSimModel& m) {
      m = SynthSimModel{};
      c.mode(m);
    });
    const size_t boxes = mLink->gui->MessageBoxes().size();
    c.act();
    if (*c.box == 0)
    {
      ExpectQuietClock();
      continue;
    }
    ASSERT_TRUE(mShell->plug.WaitUntil([&] { return mLink->gui->MessageBoxes().size() > boxes; }));
    EXPECT_EQ(mLink->gui->MessageBoxes().back().text, c.box);
  }
  // The failed update sent its data once more, and that one was taken.
  EXPECT_TRUE(mShell->plug.WaitUntil(
    [&] { return mSim.With([](SynthSimModel& m) { return m.firmware; }) == SimBytes(7, 0xFF); }, {}, 10));
}

// Images with tails of every length the packing knows (0 to 6 bytes after
// the 7-byte chunks), and one large enough to go out in paced pieces (more
// than the MIDI library's 16 KB buffer), arrive in the synth byte for byte.
TEST_F(ZephraSynthLinkJack, FirmwareArrivesWhole)
{
  for (size_t size : {1, 2, 3, 4, 5, 6, 7, 20000})
  {
    SCOPED_TRACE(size);
    SimBytes image(size);
    for (size_t i = 0; i < size; ++i) image[i] = static_cast<uint8_t>(0xFF - i * 7);
    WriteWholeFile(mDir.File("fw.bin"), std::string(image.begin(), image.end()));
    E().StartFirmwareUpdate(mDir.File("fw.bin").c_str());
    ASSERT_TRUE(mShell->plug.WaitUntil([&] { return mLink->panels->Status().back() == "Update successful!"; }));
    const auto status = mLink->panels->Status();
    EXPECT_EQ(std::vector<std::string>(status.end() - 4, status.end()),
              (std::vector<std::string>{"Connecting to Zephra...", "Erasing FLASH memory...", "Loading Update...",
                                        "Update successful!"}));
    EXPECT_TRUE(mSim.With([](SynthSimModel& m) { return m.firmware; }) == image) << "the synth holds other bytes";
    ExpectQuietClock();
    mLink->panels->SetNameDisplay("next");
  }
}

// A folder written into the synth: one write per acknowledgement, in the
// order of the locations, and the report only on the timer's next turn.
TEST_F(ZephraSynthLinkJack, BankWriteGoesOutOnEachAcknowledgement)
{
  struct Case
  {
    const char* name;
    std::vector<const char*> files;
    int answer;         // the gap question's button (1 = OK)
    int failing;        // a location the synth refuses, 0 none
    size_t writes;      // program writes sent
    const char* box;    // the message shown, "" for the finished report
  };
  const Case kCases[] = {
    {"gaps skipped", {"01_A.pr3", "02_B.pr3", "04_D.pr3"}, 0, 0, 3, ""},
    {"gaps filled", {"01_A.pr3", "02_B.pr3", "04_D.pr3"}, 1, 0, 99, ""},
    {"two for one", {"05_A.pr3", "05_B.pr3"}, 0, 0, 0, "Multiple files assigned to location: 5\nPlease resolve it!"},
    {"second fails", {"01_A.pr3", "02_B.pr3", "04_D.pr3"}, 0, 2, 2, "Communication error has occurred!"},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.name);
    TempDir bank;
    for (const char* f : c.files) WriteWholeFile(bank.File(f), MarkerText(kDefaultValues));
    mSim.With([&c](SynthSimModel& m) {
      m = SynthSimModel{};
      if (c.failing) m.failingLocations.insert(c.failing);
    });
    mLink->TakeSent();
    mLink->gui->QueueMessageBoxResult(c.answer);
    const size_t boxes = mLink->gui->MessageBoxes().size();
    E().WriteAllProgramsToSynth((bank.Path() + "/").c_str());
    ASSERT_TRUE(mShell->plug.WaitUntil([&] { return !Waiting(&ZephraEditor::BankWriteRunning); }, {}, 120));
    std::vector<Bytes> writes;
    for (const Bytes& m : mLink->TakeSent())
      if (m.size() == 213) writes.push_back(m);
    EXPECT_EQ(writes.size(), c.writes);
    if (c.writes == 3)
    {
      const uint8_t locations[] = {1, 2, 4};
      for (size_t i = 0; i < 3; ++i)
        EXPECT_EQ(Bytes(writes[i].begin(), writes[i].begin() + 8),
                  (Bytes{0xF0, 0x00, 0x3E, 0x5A, 0x03, 0x20, 0x03, locations[i]}));
      EXPECT_EQ(mSim.With([](SynthSimModel& m) { return m.programs[3].name; }), "04_D");
    }
    E().OnTimerTick();
    if (*c.box)
    {
      ASSERT_GT(mLink->gui->MessageBoxes().size(), boxes);
      EXPECT_EQ(mLink->gui->MessageBoxes().back().text, c.box);
    }
    else
    {
      EXPECT_EQ(mLink->panels->Status().back(), "Finished successfully!");
    }
    ExpectQuietClock();
  }
}
