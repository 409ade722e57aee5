// The synth link as a musician meets it: the output set to "off", quitting
// while a firmware image is still going out, a reply that comes while a
// message box holds the editor, dumps amid clock, active sensing and stray
// messages, a keyboard playing through during NRPN runs, and a fetch asked
// for while save-all runs.
#include "ZephraSynthLinkJack.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

namespace
{
using Clock = std::chrono::steady_clock;

TEST_F(ZephraSynthLinkJack, OutputOffSendsNothingAndNeverWaits)
{
  ASSERT_TRUE(mShell->ports.ChooseMidiOutput("off"));
  std::this_thread::sleep_for(std::chrono::milliseconds(300));  // the start-up program lands first
  mSim.With([](SynthSimModel& m) { m.edit.values.fill(1); });
  // 100 programs are far more than the library's ring holds: with the port
  // closed a send into it would never return.
  for (int i = 0; i < 100; ++i)
  {
    BASE_MutexLock hold(E().GetMutex());
    E().SendProgramToSynth();
  }
  for (int i = 0; i < 2000; ++i)
  {
    IMidiMsg note(0, 0x90, static_cast<uint8_t>(i % 128), 100);
    E().ProcessKeyboardMidiMsg(&note);
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_EQ(SimValues([](SynthSimModel& m) -> const SimProgram& { return m.edit; }), std::vector<int>(170, 1));
  ASSERT_TRUE(mShell->ports.ChooseMidiOutput("virtual output"));
}

TEST_F(ZephraSynthLinkJack, QuitWhileFirmwareGoesOutFinishesItFirst)
{
  SimBytes image(80000);
  for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint8_t>(i * 13);
  WriteWholeFile(mDir.File("fw.bin"), std::string(image.begin(), image.end()));
  E().StartFirmwareUpdate(mDir.File("fw.bin").c_str());
  ASSERT_TRUE(mShell->plug.WaitUntil([&] { return mLink->panels->Status().back() == "Loading Update..."; }));
  ASSERT_TRUE(mShell->plug.WaitUntil([&] { return E().MidiOutput().Busy(); }));

  // The shell's order at quit: ports first, then the editor. The closing
  // waits for the image however slowly the server takes it, so no time
  // limit is set here.
  mShell->ports.CloseAll();
  mShell->ports.SetOutputGate(nullptr);
  mLink.reset();
  EXPECT_TRUE(std::filesystem::exists(mDir.File("settings.ini")));
  EXPECT_TRUE(std::filesystem::exists(mDir.File("lastprogram.pr3")));
  // The image already going out is finished before the ports close: the
  // synth has erased its flash and must not be left with part of one.
  EXPECT_TRUE(mShell->plug.WaitUntil([&] { return mSim.With([](SynthSimModel& m) { return m.firmware; }) == image; }))
      << "the synth holds " << mSim.With([](SynthSimModel& m) { return m.firmware.size(); }) << " bytes";

  ASSERT_TRUE(mShell->ports.ChooseMidiOutput("virtual output"));
  ASSERT_TRUE(mShell->ports.ChooseMidiInput("virtual input"));
  if (RtMidiIn* synth = mShell->ports.MidiIn()) synth->setCallback(&MidiPorts::MIDICallback, &mShell->ports);
  if (RtMidiIn* keyboard = mShell->ports.KeyboardMidiIn())
    keyboard->setCallback(&MidiPorts::MIDICallbackB, &mShell->ports);
  mShell->ports.SetPlug(&mShell->plug);
}

// The timer holds the plug-in mutex while its message box is open. The
// synth's reply must neither wait for it in the input callback nor be lost.
TEST_F(ZephraSynthLinkJack, ReplyDuringMessageBoxIsHandledAfterIt)
{
  // The sim stays quiet on the wire; its answer is handed to the synth
  // input's callback by the test while the box is up.
  mSim.With([](SynthSimModel& m) { m.silent = true; });
  mLink->panels->QueueSavePath(mFolder + "05INIT.pr3");
  mLink->TakeSent();
  E().RequestSingleProgram(5);
  // The request goes out before its answer can come.
  ASSERT_EQ(IdleUntilSent(), (std::vector<Bytes>{RequestMessage(5)}));
  std::vector<SimBytes> answers;
  mSim.With([&](SynthSimModel& m) {
    SynthSimModel speaking = m;
    speaking.silent = false;
    speaking.Receive(RequestMessage(5), answers);
  });
  ASSERT_EQ(answers.size(), 1u);

  std::atomic<bool> boxUp{false}, handedOver{false}, returnedWhileUp{false};
  std::thread box([&] {
    BASE_MutexLock hold(E().GetMutex());
    boxUp = true;
    const auto until = Clock::now() + std::chrono::seconds(10);
    while (!handedOver && Clock::now() < until) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    returnedWhileUp = handedOver.load();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));  // the box stays up a while longer
  });
  while (!boxUp) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  mShell->ports.DeliverFromSynth(answers[0].data(), answers[0].size());
  handedOver = true;
  box.join();
  EXPECT_TRUE(returnedWhileUp);
  ASSERT_TRUE(IdleUntil([&] { return !mLink->panels->Prompts().empty(); }));
  EXPECT_EQ(mLink->panels->Prompts()[0], mFolder + "05INIT.pr3");
  EXPECT_EQ(mShell->ports.SynthInputOverflows(), 0u);
  ExpectQuietClock();
}

// A dump with a real-time byte between its bytes, or after a SysEx that
// never ended, is still the whole dump; what came with it is handed over as
// messages of its own, and the program is saved.
TEST_F(ZephraSynthLinkJack, DumpAmidOtherTrafficArrivesWhole)
{
  const struct
  {
    const char* name;
    std::vector<SimBytes> before;
    SimBytes inside;
    std::vector<std::string> heard;
  } kCases[] = {
    {"clock inside", {}, {0xF8}, {"F8", "SysEx 213"}},
    {"active sensing inside", {}, {0xFE}, {"SysEx 213"}},
    {"unterminated SysEx, a note", {{0xF0, 0x43, 0x10, 0x4C, 0x00}, {0x90, 0x3C, 0x64}}, {}, {"90 3C 64", "SysEx 213"}},
    {"second start", {{0xF0, 0x43, 0x10, 0x4C, 0x00}}, {}, {"SysEx 213"}},
    {"all at once", {{0xF0, 0x7E}, {0xB1, 0x07, 0x50}, {0xF0, 0x01}}, {0xF8}, {"B1 07 50", "F8", "SysEx 213"}},
  };
  int location = 10;
  for (const auto& c : kCases)
  {
    SCOPED_TRACE(c.name);
    mSim.With([&c](SynthSimModel& m) {
      m.noiseBefore = c.before;
      m.noiseInside = c.inside;
    });
    {
      std::lock_guard<std::mutex> hold(mShell->plug.lock);
      mShell->plug.heard.clear();
    }
    const size_t prompts = mLink->panels->Prompts().size();
    const std::string file = mFolder + std::to_string(location) + "INIT.pr3";
    mLink->panels->QueueSavePath(file);
    E().RequestSingleProgram(location++);
    ASSERT_TRUE(IdleUntil([&] { return mLink->panels->Prompts().size() > prompts; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));  // anything that would follow
    {
      std::lock_guard<std::mutex> hold(mShell->plug.lock);
      EXPECT_EQ(mShell->plug.heard, c.heard);
    }
    EXPECT_EQ(LineNumbers(ReadWholeFile(file)), Pr3Numbers(kDefaultValues));
    ExpectQuietClock();
  }
}

TEST_F(ZephraSynthLinkJack, SaveAllFromAnActiveSensingSynthCompletes)
{
  mSim.With([](SynthSimModel& m) {
    m.noiseBefore = {{0xFE}};
    m.noiseInside = {0xFE};
  });
  mLink->TakeSent();
  E().StartSaveAllFromSynth(false);
  ASSERT_TRUE(IdleUntil([&] { return !Waiting(&ZephraModel::SavingAllFromSynth); }));
  EXPECT_EQ(mLink->TakeSent().size(), 99u);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(mFolder), std::filesystem::directory_iterator()), 100);
  EXPECT_EQ(mLink->panels->Boxes().size(), 0u);
  ExpectQuietClock();
}

// A keyboard on the pass-through input, played on a client of its own.
class FloodingKeyboard
{
public:
  explicit FloodingKeyboard(MidiPorts& ports) : mPorts(ports)
  {
    mOut.openVirtualPort("Flooding Keyboard");
    ports.ProbeMidiIO();
    const std::vector<std::string> listing = ports.InputNames();
    for (const std::string& name : listing)
      if (name.find("Flooding Keyboard") != std::string::npos) mChosen = ports.ChooseMidiInputB(name.c_str());
  }
  ~FloodingKeyboard()
  {
    Stop();
    (void)mPorts.ChooseMidiInputB("off");
  }
  // The keyboard input is open on the flooding port.
  bool Chosen() const { return mChosen; }
  // Modulation wheel moves on channel 2, one every 200 microseconds.
  void Start()
  {
    mThread = std::thread([this] {
      for (uint8_t value = 0; !mStop; value = (value + 1) & 0x7F)
      {
        const uint8_t wheel[3] = {0xB1, 0x01, value};
        mOut.sendMessage(wheel, 3);
        std::this_thread::sleep_for(std::chrono::microseconds(200));
      }
    });
  }
  void Stop()
  {
    mStop = true;
    if (mThread.joinable()) mThread.join();
  }

private:
  MidiPorts& mPorts;
  RtMidiOut mOut{RtMidi::UNIX_JACK, "Keyboard"};
  bool mChosen = false;
  std::atomic<bool> mStop{false};
  std::thread mThread;
};

// Each single-value send is a 99/98/6 run; keyboard controllers passed
// through at the same time go between runs, never inside one.
TEST_F(ZephraSynthLinkJack, KeyboardNeverBreaksAnNrpnRun)
{
  FloodingKeyboard keyboard(mShell->ports);
  ASSERT_TRUE(keyboard.Chosen());
  mSim.With([](SynthSimModel& m) { m.keepHeard = true; });
  keyboard.Start();
  // The runs' controllers only: the wheel keeps adding to what is heard, so
  // a count of everything would be reached before the runs have all crossed.
  const auto runControllersHeard = [&] {
    return mSim.With([](SynthSimModel& m) {
      return std::count_if(m.heard.begin(), m.heard.end(),
                           [](const SimBytes& b) { return b.size() == 3 && (b[0] & 0xF0) == 0xB0 && b[1] != 1; });
    });
  };
  // In batches that JACK carries within a cycle or two.
  for (int run = 0; run < 3000; ++run)
  {
    E().SendParamNRPN(run % 2 ? 0 : 128, run % 2);
    if (run % 50 == 49) std::this_thread::sleep_for(std::chrono::milliseconds(25));
  }
  ASSERT_TRUE(mShell->plug.WaitUntil([&] { return runControllersHeard() >= 9000; }, {}, 120));
  keyboard.Stop();
  const std::vector<SimBytes> heard = mSim.With([](SynthSimModel& m) { return m.heard; });

  int runs = 0, broken = 0, wheel = 0, step = 0;
  const uint8_t kRun[3] = {99, 98, 6};
  for (const SimBytes& m : heard)
  {
    if (m.size() != 3 || (m[0] & 0xF0) != 0xB0) continue;
    if (m[1] == 1)
    {
      ++wheel;
      broken += step != 0;
      continue;
    }
    if (m[1] != kRun[step])
    {
      ++broken;
      step = m[1] == 99 ? 1 : 0;
      continue;
    }
    step = (step + 1) % 3;
    runs += step == 0;
  }
  EXPECT_EQ(runs, 3000);
  EXPECT_EQ(broken, 0);
  EXPECT_GT(wheel, 1000) << "the keyboard hardly played";
}

// A single fetch asked for while save-all waits for location 1 is refused
// and says so; the run goes on with its own locations and no save dialog
// opens for a program nobody asked for.
TEST_F(ZephraSynthLinkJack, SingleFetchDuringSaveAllIsRefused)
{
  mLink->TakeSent();
  E().StartSaveAllFromSynth(false);
  E().OnIdle();  // location 1 is asked for
  E().RequestSingleProgram(50);
  EXPECT_EQ(mLink->panels->Status().back(), "Busy saving all programs!");
  ASSERT_TRUE(IdleUntil([&] { return !Waiting(&ZephraModel::SavingAllFromSynth); }));
  const auto sent = mLink->TakeSent();
  ASSERT_EQ(sent.size(), 99u);
  EXPECT_EQ(sent[0], (Bytes{0xF0, 0x00, 0x3E, 0x5A, 0x03, 0x40, 0x03, 0x01, 0xF7}));
  EXPECT_EQ(sent[1], (Bytes{0xF0, 0x00, 0x3E, 0x5A, 0x03, 0x40, 0x03, 0x02, 0xF7}));
  EXPECT_EQ(sent[98], (Bytes{0xF0, 0x00, 0x3E, 0x5A, 0x03, 0x40, 0x03, 0x63, 0xF7}));
  EXPECT_TRUE(mLink->panels->Prompts().empty());
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(mFolder), std::filesystem::directory_iterator()), 100);
  ExpectQuietClock();

  // Once the run is over the same fetch is served.
  mLink->panels->QueueSavePath(mFolder + "50INIT.pr3");
  E().RequestSingleProgram(50);
  ASSERT_TRUE(IdleUntil([&] { return !mLink->panels->Prompts().empty(); }));
  EXPECT_EQ(mLink->TakeSent(), (std::vector<Bytes>{{0xF0, 0x00, 0x3E, 0x5A, 0x03, 0x40, 0x03, 0x32, 0xF7}}));
  EXPECT_EQ(mLink->panels->Prompts(), (std::vector<std::string>{mFolder + "50INIT.pr3"}));
  ExpectQuietClock();
}
}  // namespace
