// The MIDI ports over a JACK server of the test's own, stopped and started
// again under them: the output never waits for a dead server, the loss is
// noticed, and on the server's return the chosen ports open again by name,
// also when the device behind the name comes later than the server.
#include "core/IUnitBase.h"
#include "core/MidiPorts.h"
#include "core/PacedMidiOut.h"
#include "support/CycleWakes.h"
#include "support/OwnJackServer.h"
#include "support/WaitFor.h"

#include <jack/jack.h>
#include <jack/midiport.h>

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace
{
using Clock = std::chrono::steady_clock;
using Bytes = std::vector<uint8_t>;

// The synth's end: a client with one MIDI input that records what arrives
// and, when asked for, one MIDI output ("out") that sends what Send queued.
class Peer
{
public:
  bool Open(const char* server, const char* name = "synth", bool withOutput = false)
  {
    jack_status_t status{};
    mClient = jack_client_open(name, static_cast<jack_options_t>(JackNoStartServer | JackServerName), &status,
                               server);
    if (!mClient) return false;
    mPort = jack_port_register(mClient, "in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
    if (withOutput) mOutPort = jack_port_register(mClient, "out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
    jack_set_process_callback(mClient, &Peer::Process, this);
    jack_on_shutdown(mClient, &Peer::Shutdown, this);
    return mPort && (!withOutput || mOutPort) && jack_activate(mClient) == 0;
  }
  std::string OutputName() const { return std::string(jack_get_client_name(mClient)) + ":out"; }
  // Goes out in the next cycle.
  void Send(const Bytes& message)
  {
    std::lock_guard<std::mutex> lock(mMutex);
    mToSend.push_back(message);
  }
  ~Peer() { Close(); }
  void Close()
  {
    if (mClient) jack_client_close(mClient);
    mClient = nullptr;
  }
  // After its server has gone: a dropped client cannot be closed. Waits
  // (a little) until the client's thread has seen the loss: the library
  // frees the client when this process next opens one, which must not come
  // while that thread still runs.
  void Abandon()
  {
    if (mClient) (void)WaitFor([this] { return mGone.load(); }, kBusyLimit);
    mClient = nullptr;
  }
  std::string PortName() const { return std::string(jack_get_client_name(mClient)) + ":in"; }
  std::vector<Bytes> Take()
  {
    std::lock_guard<std::mutex> lock(mMutex);
    std::vector<Bytes> out;
    out.swap(mHeard);
    return out;
  }
  size_t Count()
  {
    std::lock_guard<std::mutex> lock(mMutex);
    return mHeard.size();
  }

private:
  static int Process(jack_nframes_t frames, void* self)
  {
    auto* peer = static_cast<Peer*>(self);
    void* buffer = jack_port_get_buffer(peer->mPort, frames);
    const uint32_t count = jack_midi_get_event_count(buffer);
    std::lock_guard<std::mutex> lock(peer->mMutex);
    for (uint32_t i = 0; i < count; ++i)
    {
      jack_midi_event_t event;
      if (jack_midi_event_get(&event, buffer, i) == 0) peer->mHeard.emplace_back(event.buffer, event.buffer + event.size);
    }
    if (!peer->mOutPort) return 0;
    void* out = jack_port_get_buffer(peer->mOutPort, frames);
    jack_midi_clear_buffer(out);
    for (const Bytes& message : peer->mToSend) (void)jack_midi_event_write(out, 0, message.data(), message.size());
    peer->mToSend.clear();
    return 0;
  }
  static void Shutdown(void* self) { static_cast<Peer*>(self)->mGone = true; }
  jack_client_t* mClient = nullptr;
  jack_port_t* mPort = nullptr;
  jack_port_t* mOutPort = nullptr;
  std::atomic<bool> mGone{false};
  std::mutex mMutex;
  std::vector<Bytes> mHeard;
  std::vector<Bytes> mToSend;
};

class MidiPortsServer : public ::testing::Test
{
protected:
  void SetUp() override
  {
    // The test's own clients of a server that goes are cancelled as the
    // ports' are.
    JackServerWatch::RouteLibraryMessages();
    OWN_JACK_SERVER_START_OR_SKIP(mServer);
  }
  // The ports on the test's server, the output to the synth's port and the
  // synth input virtual, chosen as the dialog does: the name is stored, then
  // its port opened.
  static void ChooseTheSynth(MidiPorts& ports, PacedMidiOut& gate, const std::string& synth)
  {
    ports.SetOutputGate(&gate);
    ASSERT_TRUE(ports.InitialiseMidi(RtMidi::UNIX_JACK));
    ports.State().mOutDev = synth;
    ports.State().mInDev = "virtual input";
    ASSERT_TRUE(ports.ChooseMidiOutput(synth.c_str()));
    ASSERT_TRUE(ports.ChooseMidiInput("virtual input"));
  }
  // As ChooseTheSynth on a synth of its own (its port name in synth), the
  // plug-in given to the ports, then the server stopped and its loss seen.
  void ChooseTheSynthAndLoseTheServer(MidiPorts& ports, PacedMidiOut& gate, std::string& synth,
                                      IUnitBase* plug = nullptr)
  {
    Peer peer;
    ASSERT_TRUE(peer.Open(mServer.Name().c_str()));
    synth = peer.PortName();
    ASSERT_NO_FATAL_FAILURE(ChooseTheSynth(ports, gate, synth));
    if (plug) ports.SetPlug(plug);
    mServer.Stop();
    peer.Abandon();
    ASSERT_EQ(CheckUntilEvent(ports, kBusyLimit), MidiPorts::ServerEvent::kLost);
  }
  MidiPorts::ServerEvent CheckUntilEvent(MidiPorts& ports, std::chrono::milliseconds limit)
  {
    MidiPorts::ServerEvent event = MidiPorts::ServerEvent::kNone;
    (void)WaitFor([&] { return (event = ports.CheckServer()) != MidiPorts::ServerEvent::kNone; }, limit);
    return event;
  }

  OwnJackServer mServer;
  std::map<std::string, std::string> mIni;
  MidiSettingsStore mStore{[this](const char* key, const char* fallback) {
                             auto found = mIni.find(key);
                             return found == mIni.end() ? std::string(fallback) : found->second;
                           },
                           [this](const char* key, const char* value) { return !mIni[key].assign(value).empty(); }};
};

TEST_F(MidiPortsServer, LostServerIsNoticedNeverWaitedForAndTheChosenPortReopensOnItsReturn)
{
  Peer peer;
  ASSERT_TRUE(peer.Open(mServer.Name().c_str()));
  const std::string synth = peer.PortName();
  MidiPorts ports(mStore);
  PacedMidiOut gate([](const uint8_t*, size_t) { return false; });
  ASSERT_NO_FATAL_FAILURE(ChooseTheSynth(ports, gate, synth));
  const Bytes knob = {0xB0, 0x06, 0x11};
  ASSERT_TRUE(WaitFor([&] { return gate.Send(knob.data(), knob.size()) && peer.Count() > 0; }, kBusyLimit));
  (void)peer.Take();
  EXPECT_EQ(ports.CheckServer(), MidiPorts::ServerEvent::kNone);

  mServer.Stop();
  peer.Abandon();
  const auto stopped = Clock::now();
  EXPECT_EQ(CheckUntilEvent(ports, std::chrono::seconds(1)), MidiPorts::ServerEvent::kLost);
  EXPECT_LT(Clock::now() - stopped, std::chrono::seconds(1));
  EXPECT_TRUE(ports.ServerLost());
  EXPECT_FALSE(gate.IsOpen());
  // Far more than the library's ring holds: none of it may wait.
  const auto sending = Clock::now();
  for (int i = 0; i < 20000; ++i) EXPECT_FALSE(gate.Send(knob.data(), knob.size()));
  EXPECT_LT(Clock::now() - sending, std::chrono::milliseconds(500));
  EXPECT_EQ(ports.CheckServer(), MidiPorts::ServerEvent::kNone);  // said once
  EXPECT_EQ(ports.State().mOutDev, synth);

  // The server returns first, the synth's port a little later: the port
  // opens when it appears under the chosen name.
  ASSERT_TRUE(mServer.Start());
  EXPECT_EQ(CheckUntilEvent(ports, kBusyLimit), MidiPorts::ServerEvent::kReturned);
  EXPECT_FALSE(ports.ChosenPortsOpen());
  EXPECT_EQ(ports.State().mOutDev, synth);
  EXPECT_EQ(ports.State().mInDev, "virtual input");
  Peer back;
  ASSERT_TRUE(back.Open(mServer.Name().c_str()));
  ASSERT_EQ(back.PortName(), synth);
  ASSERT_TRUE(WaitFor([&] { return ports.CheckServer() == MidiPorts::ServerEvent::kNone && ports.ChosenPortsOpen(); },
                      kBusyLimit));
  const Bytes next = {0xB0, 0x06, 0x22};
  ASSERT_TRUE(gate.Send(next.data(), next.size()));
  ASSERT_TRUE(WaitFor([&] { return back.Count() > 0; }, kBusyLimit));
  EXPECT_EQ(back.Take(), std::vector<Bytes>{next});
  EXPECT_TRUE(mIni.empty()) << "nothing was chosen, so nothing is written";
  ports.SetOutputGate(nullptr);
}

// A musician without a controller keyboard leaves the editor open: the
// server's cycles wake only the output's client and the synth input's, not
// the watch (it reads the server's frame clock) nor a keyboard input, which
// is made once a port is chosen for it. After the server's return the watch
// that counted the making rests again.
TEST_F(MidiPortsServer, OnlyTheOutputAndTheSynthInputAreWokenTillAKeyboardIsChosen)
{
  MidiPorts ports(mStore);
  PacedMidiOut gate([](const uint8_t*, size_t) { return false; });
  ASSERT_NO_FATAL_FAILURE(ChooseTheSynth(ports, gate, "virtual output"));
  ASSERT_TRUE(ports.ChooseMidiInputB("off"));
  EXPECT_FALSE(ports.KeyboardInputMade());
  EXPECT_TRUE(ports.ChosenPortsOpen());
  auto cycles = std::make_unique<JackServerWatch>();
  ASSERT_TRUE(cycles->Open("zephra cycles"));
  EXPECT_EQ(ThreadsWokenEachCycle(*cycles, 50), 2);

  // Chosen as the dialog does: the name is stored, then its port opened.
  ports.State().mInBDev = "virtual input";
  ASSERT_TRUE(ports.ChooseMidiInputB("virtual input"));
  ASSERT_TRUE(ports.KeyboardInputMade());
  EXPECT_EQ(ThreadsWokenEachCycle(*cycles, 50), 3);

  mServer.Stop();
  ASSERT_EQ(CheckUntilEvent(ports, kBusyLimit), MidiPorts::ServerEvent::kLost);
  ASSERT_TRUE(WaitFor([&] { return cycles->Lost(); }, kBusyLimit));
  EXPECT_FALSE(ports.KeyboardInputMade());
  ASSERT_TRUE(mServer.Start());
  ASSERT_EQ(CheckUntilEvent(ports, kBusyLimit), MidiPorts::ServerEvent::kReturned);
  EXPECT_TRUE(ports.ChosenPortsOpen());
  EXPECT_TRUE(ports.KeyboardInputMade());
  EXPECT_EQ(ports.State().mInBDev, "virtual input");
  cycles = std::make_unique<JackServerWatch>();
  ASSERT_TRUE(cycles->Open("zephra cycles"));
  EXPECT_EQ(ThreadsWokenEachCycle(*cycles, 50), 3);
  ports.CloseAll();
  ports.SetOutputGate(nullptr);
}

// The plug-in, as far as the deliveries of both inputs go.
struct SynthListener : IUnitBase
{
  SynthListener() : IUnitBase(1, "0-1 0-2", 1, "t", "", "t", 1, 1, 1, 0, true, false, false, kAPIStandalone) {}
  void ProcessMidiMsg(IMidiMsg* m) override
  {
    std::lock_guard<std::mutex> lock(mutex);
    heard.push_back({m->mStatus, m->mData1, m->mData2});
  }
  void ProcessKeyboardMidiMsg(IMidiMsg* m) override
  {
    std::lock_guard<std::mutex> lock(mutex);
    played.push_back({m->mStatus, m->mData1, m->mData2});
  }
  bool Heard(const Bytes& message)
  {
    std::lock_guard<std::mutex> lock(mutex);
    return std::find(heard.begin(), heard.end(), message) != heard.end();
  }
  bool Played(const Bytes& message)
  {
    std::lock_guard<std::mutex> lock(mutex);
    return std::find(played.begin(), played.end(), message) != played.end();
  }
  std::mutex mutex;
  std::vector<Bytes> heard;
  std::vector<Bytes> played;
};

// The synth ("synth") and a controller keyboard ("keys") switched off and
// on again while the server keeps running: their ports leave the server
// and come back under the same names. awayChecks: how often the ports are
// asked about the server while the devices are away (none: they were back
// before the next look). Each round a knob (the gate), the synth and the
// keyboard send one message; the test asks the ports about the server four
// times a second, as the shell does.
struct DevicesSwitchedOffAndOn
{
  int awayChecks;
};

class MidiPortsDevices : public MidiPortsServer, public ::testing::WithParamInterface<DevicesSwitchedOffAndOn>
{
protected:
  // Until the knob reaches synth and what synth and keys send reaches the
  // plug-in, or limit.
  bool AllReach(MidiPorts& ports, PacedMidiOut& gate, Peer& synth, Peer& keys, SynthListener& plug, uint8_t round,
                std::chrono::milliseconds limit)
  {
    const Bytes knob = {0xB0, 0x06, round}, answer = {0xC0, round, 0x00}, note = {0x90, 0x3C, round};
    const auto until = Clock::now() + limit;
    knobArrived = answerArrived = noteArrived = false;
    while (Clock::now() < until)
    {
      (void)ports.CheckServer();
      // Again and again, each: a server whose clients miss a cycle drops
      // the MIDI of that cycle.
      if (!knobArrived) (void)gate.Send(knob.data(), knob.size());
      synth.Send({0xC0, round});
      keys.Send(note);
      const std::vector<Bytes> heard = synth.Take();
      knobArrived = knobArrived || std::find(heard.begin(), heard.end(), knob) != heard.end();
      answerArrived = answerArrived || plug.Heard(answer);
      noteArrived = noteArrived || plug.Played(note);
      if (knobArrived && answerArrived && noteArrived) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(kShellCheckMs));
    }
    return false;
  }
  std::string Arrived() const
  {
    return std::string("knob ") + (knobArrived ? "arrived" : "lost") + ", synth " + (answerArrived ? "heard" : "lost") +
           ", keyboard " + (noteArrived ? "heard" : "lost");
  }
  static constexpr int kShellCheckMs = 250;
  bool knobArrived = false, answerArrived = false, noteArrived = false;
};

TEST_P(MidiPortsDevices, TheChosenPortsOpenAgainOnceTheirDevicesAreBack)
{
  SynthListener plug;
  auto synth = std::make_unique<Peer>();
  auto keys = std::make_unique<Peer>();
  ASSERT_TRUE(synth->Open(mServer.Name().c_str(), "synth", true));
  ASSERT_TRUE(keys->Open(mServer.Name().c_str(), "keys", true));
  mIni = {{"indev", "synth:out"}, {"inBdev", "keys:out"}, {"outdev", "synth:in"}};
  MidiPorts ports(mStore);
  PacedMidiOut gate([](const uint8_t*, size_t) { return false; });
  ports.SetOutputGate(&gate);
  ports.ReadSettings();
  ASSERT_TRUE(ports.InitialiseMidi(RtMidi::UNIX_JACK));
  ports.SetPlug(&plug);
  ASSERT_TRUE(ports.ChooseMidiOutput("synth:in"));
  ASSERT_TRUE(ports.ChooseMidiInput("synth:out"));
  ASSERT_TRUE(ports.ChooseMidiInputB("keys:out"));
  ASSERT_TRUE(AllReach(ports, gate, *synth, *keys, plug, 1, kBusyLimit)) << "before the devices went: " << Arrived();
  // The shell's next look, which finds the connections in the graph (what
  // was sent went through them).
  (void)ports.CheckServer();

  synth.reset();
  keys.reset();
  for (int i = 0; i < GetParam().awayChecks; ++i)
  {
    EXPECT_EQ(ports.CheckServer(), MidiPorts::ServerEvent::kNone);
    std::this_thread::sleep_for(std::chrono::milliseconds(kShellCheckMs));
  }
  if (GetParam().awayChecks > 0)
  {
    EXPECT_FALSE(ports.SynthLinkOpen());
    EXPECT_FALSE(ports.OutputOpen());
    EXPECT_FALSE(gate.Send(std::vector<uint8_t>{0xB0, 0x06, 0x02}.data(), 3)) << "handed to a port that feeds nothing";
  }
  synth = std::make_unique<Peer>();
  keys = std::make_unique<Peer>();
  ASSERT_TRUE(synth->Open(mServer.Name().c_str(), "synth", true));
  ASSERT_TRUE(keys->Open(mServer.Name().c_str(), "keys", true));
  ASSERT_EQ(synth->PortName(), "synth:in");
  ASSERT_EQ(keys->OutputName(), "keys:out");
  EXPECT_TRUE(AllReach(ports, gate, *synth, *keys, plug, 3, kBusyLimit)) << Arrived();
  EXPECT_TRUE(ports.ChosenPortsOpen());
  EXPECT_TRUE(ports.SynthLinkOpen());
  EXPECT_EQ(mIni, (std::map<std::string, std::string>{{"indev", "synth:out"}, {"inBdev", "keys:out"}, {"outdev", "synth:in"}}));
  ports.CloseAll();
  ports.SetOutputGate(nullptr);
}

INSTANTIATE_TEST_SUITE_P(AwayLongOrBriefly, MidiPortsDevices,
                         ::testing::Values(DevicesSwitchedOffAndOn{4}, DevicesSwitchedOffAndOn{0}),
                         [](const ::testing::TestParamInfo<DevicesSwitchedOffAndOn>& info) {
                           return info.param.awayChecks > 0 ? std::string("AwayForFourLooks")
                                                            : std::string("BackBeforeTheNextLook");
                         });

// A keyboard stored in the settings is chosen at the start before the
// server's watch, which the making thread opens last, is there: it opens
// once the watch is settled, and what it plays reaches the plug-in.
TEST_F(MidiPortsServer, AKeyboardChosenBeforeTheStartsWatchOpensOnceItIsSettled)
{
  Peer keys;
  ASSERT_TRUE(keys.Open(mServer.Name().c_str(), "keys", true));
  SynthListener plug;
  MidiPorts ports(mStore);
  PacedMidiOut gate([](const uint8_t*, size_t) { return false; });
  ports.SetOutputGate(&gate);
  std::atomic<bool> chosen{false};
  ports.SetStartWatchHook([&] { (void)WaitFor([&] { return chosen.load(); }, kBusyLimit); });
  ports.StartMidi(RtMidi::UNIX_JACK);
  ports.State() = MidiPortSettings{"virtual input", "keys:out", "virtual output"};
  ASSERT_TRUE(ports.ChooseMidiOutput("virtual output"));
  ASSERT_TRUE(ports.FinishMidi(false));
  ports.SetPlug(&plug);
  ASSERT_TRUE(ports.ChooseMidiInput("virtual input"));
  EXPECT_FALSE(ports.ChooseMidiInputB("keys:out"));
  EXPECT_FALSE(ports.KeyboardInputMade());
  EXPECT_FALSE(ports.ChosenPortsOpen());
  chosen = true;
  ASSERT_TRUE(WaitFor([&] { return ports.SettleWatch(); }, kBusyLimit));
  EXPECT_TRUE(ports.KeyboardInputMade());
  EXPECT_TRUE(ports.ChosenPortsOpen());
  const Bytes note = {0x90, 0x3C, 0x64};
  // A connection just made may lose its first cycles: played until heard.
  EXPECT_TRUE(WaitFor([&] { return keys.Send(note), plug.Played(note); }, kBusyLimit));
  EXPECT_EQ(ports.State().mInBDev, "keys:out");
  ports.CloseAll();
  ports.SetOutputGate(nullptr);
}

// The server goes again while the ports make their objects on it: that
// return fails, and the plug-in the synth's messages went to before the
// loss still gets them once a later return succeeds.
TEST_F(MidiPortsServer, APlugInOutlastsAReturnThatFailed)
{
  SynthListener plug;
  MidiPorts ports(mStore);
  PacedMidiOut gate([](const uint8_t*, size_t) { return false; });
  std::string synth;
  ASSERT_NO_FATAL_FAILURE(ChooseTheSynthAndLoseTheServer(ports, gate, synth, &plug));

  std::atomic<bool> first{true}, stopped{false};
  ports.SetMakingHook([&] {
    if (!first.exchange(false)) return;
    mServer.Stop();
    stopped = true;
  });
  ASSERT_TRUE(mServer.Start());
  ASSERT_TRUE(WaitFor([&] { return ports.CheckServer() == MidiPorts::ServerEvent::kNone && stopped; }, kBusyLimit));
  ASSERT_TRUE(mServer.Start());
  ASSERT_EQ(CheckUntilEvent(ports, kBusyLimit), MidiPorts::ServerEvent::kReturned);
  const Bytes programChange = {0xC0, 0x05};
  ports.DeliverFromSynth(programChange.data(), programChange.size());
  ASSERT_TRUE(ports.WaitUntilDelivered(60000));
  EXPECT_EQ(plug.heard, (std::vector<Bytes>{{0xC0, 0x05, 0x00}}));
  ports.CloseAll();
  ports.SetOutputGate(nullptr);
}

// At the start the server's watch is opened last. A server that goes
// before it, after it took the output's client, was there all the same:
// its going is told as a loss, as when the watch sees it go, whether or not
// the output's port was open on it.
TEST_F(MidiPortsServer, AServerGoneBeforeItsWatchIsLostWhetherOrNotAPortWasOpenOnIt)
{
  for (const char* output : {"virtual output", "off"})
  {
    SCOPED_TRACE(output);
    if (mServer.Pid() <= 0)
    {
      ASSERT_TRUE(mServer.Start());
    }
    MidiPorts ports(mStore);
    PacedMidiOut gate([](const uint8_t*, size_t) { return false; });
    ports.SetOutputGate(&gate);
    std::atomic<bool> chosen{false}, stopped{false};
    ports.SetStartWatchHook([&] {
      (void)WaitFor([&] { return chosen.load(); }, kBusyLimit);
      mServer.Stop();
      stopped = true;
    });
    ports.StartMidi(RtMidi::UNIX_JACK);
    ports.State().mOutDev = output;
    ASSERT_TRUE(ports.ChooseMidiOutput(output));
    EXPECT_EQ(ports.OutputOpen(), std::string(output) != "off");
    chosen = true;
    ASSERT_TRUE(WaitFor([&] { return stopped.load() && ports.SettleWatch(); }, kBusyLimit));
    EXPECT_EQ(ports.CheckServer(), MidiPorts::ServerEvent::kLost);
    EXPECT_FALSE(ports.OutputOpen());
    EXPECT_TRUE(ports.ServerLost());
    ports.CloseAll();
    ports.SetOutputGate(nullptr);
  }
}

// On a busy machine the objects are made slowly on a server just back,
// whose cycles run all the while: the return waits for them rather than
// giving them up and making them again (each try given up leaves its
// clients on the server, and makes the next slower still).
TEST_F(MidiPortsServer, ASlowMakingOnAServerWhoseCyclesRunIsWaitedFor)
{
  MidiPorts ports(mStore);
  PacedMidiOut gate([](const uint8_t*, size_t) { return false; });
  std::string synth;
  ASSERT_NO_FATAL_FAILURE(ChooseTheSynthAndLoseTheServer(ports, gate, synth));
  std::atomic<int> makings{0};
  ports.SetMakingHook(
    [&] {
      ++makings;
      std::this_thread::sleep_for(std::chrono::milliseconds(3000));
    },
    true);
  ASSERT_TRUE(mServer.Start());
  EXPECT_EQ(CheckUntilEvent(ports, std::chrono::seconds(30)), MidiPorts::ServerEvent::kReturned);
  EXPECT_EQ(makings.load(), 1);
  EXPECT_FALSE(ports.ServerLost());
  ports.CloseAll();
  ports.SetOutputGate(nullptr);
}

// Started while no server runs: the stored names stay, and the ports open
// once the server is there.
TEST_F(MidiPortsServer, StartWithoutServerKeepsTheNamesAndOpensThemLater)
{
  mServer.Stop();
  mIni = {{"indev", "virtual input"}, {"inBdev", "off"}, {"outdev", "synth:in"}};
  MidiPorts ports(mStore);
  ports.ReadSettings();
  // The library makes its objects without a server; their ports cannot open.
  (void)ports.InitialiseMidi(RtMidi::UNIX_JACK);
  EXPECT_FALSE(ports.ChooseMidiOutput(ports.State().mOutDev.c_str()));
  EXPECT_FALSE(ports.ChooseMidiInput(ports.State().mInDev.c_str()));
  EXPECT_EQ(mIni, (std::map<std::string, std::string>{{"indev", "virtual input"}, {"inBdev", "off"}, {"outdev", "synth:in"}}));
  EXPECT_EQ(ports.CheckServer(), MidiPorts::ServerEvent::kNone);

  ASSERT_TRUE(mServer.Start());
  Peer peer;
  ASSERT_TRUE(peer.Open(mServer.Name().c_str()));
  ASSERT_EQ(peer.PortName(), "synth:in");
  EXPECT_EQ(CheckUntilEvent(ports, kBusyLimit), MidiPorts::ServerEvent::kReturned);
  EXPECT_TRUE(ports.ChosenPortsOpen());
  EXPECT_TRUE(ports.OutputOpen());
  EXPECT_EQ(mIni, (std::map<std::string, std::string>{{"indev", "virtual input"}, {"inBdev", "off"}, {"outdev", "synth:in"}}));
}

// Far oftener than the shell asks the ports about the server (four times
// a second), so that many of the lives end while the ports reopen.
constexpr int kServerCheckMs = 20;

// A server that comes and goes quickly, tens of times in a row, while the
// ports look for it: the ports survive every life, and
// once a server stays the chosen ports open and what the gate sends arrives.
TEST_F(MidiPortsServer, AServerComingAndGoingQuicklyIsSurvivedAndOneThatStaysIsUsed)
{
  Peer first;
  ASSERT_TRUE(first.Open(mServer.Name().c_str()));
  const std::string synth = first.PortName();
  MidiPorts ports(mStore);
  PacedMidiOut gate([](const uint8_t*, size_t) { return false; });
  ASSERT_NO_FATAL_FAILURE(ChooseTheSynth(ports, gate, synth));

  // Lives of 30 to 120 ms, one after another, started and stopped by a
  // thread of the test's own that keeps no client of this process on them;
  // the ports are asked every few tens of milliseconds.
  std::atomic<bool> flapping{true};
  std::atomic<int> lived{0};
  std::thread flapper([&] {
    const int lives[] = {30, 120, 45, 60, 30, 90, 35, 110, 50, 30, 75, 40, 120, 30, 65,
                         30, 100, 55, 30, 85, 40, 30, 120, 45, 70, 30, 95, 35, 60, 30};
    for (const int life : lives)
    {
      mServer.Stop();
      if (!mServer.StartUnseen()) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(life));
      ++lived;
    }
    mServer.Stop();
    flapping = false;
  });
  while (flapping)
  {
    (void)ports.CheckServer();
    (void)gate.Send(std::vector<uint8_t>{0xB0, 0x06, 0x11}.data(), 3);
    std::this_thread::sleep_for(std::chrono::milliseconds(kServerCheckMs));
  }
  flapper.join();
  EXPECT_EQ(lived, 30);
  first.Abandon();

  // A server that stays: the chosen ports open once the synth's port is
  // there, and a message reaches it.
  ASSERT_TRUE(mServer.Start());
  Peer stays;
  ASSERT_TRUE(stays.Open(mServer.Name().c_str()));
  ASSERT_EQ(stays.PortName(), synth);
  ASSERT_TRUE(WaitFor([&] { return (void)ports.CheckServer(), !ports.ServerLost() && ports.ChosenPortsOpen(); },
                      std::chrono::seconds(20)));
  const Bytes knob = {0xB0, 0x06, 0x33};
  ASSERT_TRUE(WaitFor([&] { return gate.Send(knob.data(), knob.size()) && stays.Count() > 0; },
                      std::chrono::seconds(10)));
  EXPECT_EQ(stays.Take().front(), knob);
  EXPECT_EQ(ports.State().mOutDev, synth);
  EXPECT_EQ(ports.State().mInDev, "virtual input");
  ports.CloseAll();
  ports.SetOutputGate(nullptr);
}
}  // namespace

namespace
{
// The synth's end on the suite's JACK server.
struct PeerOnTheServer : ::testing::Test
{
  void SetUp() override
  {
    const char* server = std::getenv("JACK_DEFAULT_SERVER");
    if (!JackServerWatch::ServerAnswers("probe"))
    {
      if (std::getenv("CI")) FAIL() << "no JACK server answers";
      GTEST_SKIP() << "no JACK server answers";
    }
    ASSERT_TRUE(peer.Open(server ? server : "default"));
  }
  Peer peer;
};
using MidiPortsFlood = PeerOnTheServer;
using MidiPortsOpening = PeerOnTheServer;

// Far more than one cycle of the server carries, sent as fast as the
// sender can: every message arrives whole, in order (the server's cycles meter
// what the library is given, so neither its ring nor a cycle overflows).
TEST_F(MidiPortsFlood, EveryMessageOfABurstArrivesInOrder)
{
  MidiPorts ports(MidiSettingsStore{});
  PacedMidiOut gate([](const uint8_t*, size_t) { return false; });
  ports.SetOutputGate(&gate);
  ASSERT_TRUE(ports.InitialiseMidi(RtMidi::UNIX_JACK));
  const std::string synth = peer.PortName();
  ports.State().mOutDev = synth;
  ASSERT_TRUE(ports.ChooseMidiOutput(synth.c_str()));
  const Bytes probe = {0xBF, 0x7F, 0x7F};
  ASSERT_TRUE(WaitFor([&] { return gate.Send(probe.data(), probe.size()) && peer.Count() > 0; }, kBusyLimit));
  ASSERT_TRUE(gate.Flush(5000));
  std::this_thread::sleep_for(std::chrono::milliseconds(100));  // the probes still under way land first
  (void)peer.Take();

  // 500 KB of SysEx: some thirty cycles' worth of the library's ring.
  std::vector<Bytes> sent;
  for (int i = 0; i < 500; ++i)
  {
    Bytes sysEx(1000, static_cast<uint8_t>(i % 100));
    sysEx.front() = 0xF0;
    sysEx[1] = static_cast<uint8_t>(i >> 7);
    sysEx[2] = static_cast<uint8_t>(i & 0x7F);
    sysEx.back() = 0xF7;
    sent.push_back(sysEx);
    ASSERT_TRUE(gate.Send(sent.back().data(), sent.back().size())) << i;
  }
  EXPECT_TRUE(WaitFor([&] { return peer.Count() >= sent.size(); }, std::chrono::seconds(30)));
  EXPECT_EQ(gate.Losses(), 0u);
  std::vector<Bytes> heard = peer.Take();
  heard.erase(std::remove(heard.begin(), heard.end(), probe), heard.end());
  EXPECT_EQ(heard.size(), sent.size());
  EXPECT_TRUE(heard == sent);
  ports.CloseAll();
  ports.SetOutputGate(nullptr);
}
// The objects are made on a thread of their own: the output can be chosen
// (the call waits for it) while the inputs are still being made, and the
// server's watch may come after FinishMidi; once SettleWatch finds it, the
// gate meters what it hands the library, so a burst of many cycles' worth
// arrives whole.
TEST_F(MidiPortsOpening, TheOutputIsChosenWhileTheInputsAreStillBeingMade)
{
  const std::string synth = peer.PortName();
  MidiPorts ports(MidiSettingsStore{});
  ports.StartMidi(RtMidi::UNIX_JACK);
  ports.State().mOutDev = synth;
  ASSERT_TRUE(ports.ChooseMidiOutput(synth.c_str()));
  ASSERT_NE(ports.MidiOut(), nullptr);
  ASSERT_TRUE(ports.FinishMidi(false));
  ports.ProbeMidiIO();
  const std::vector<std::string>& outputs = ports.OutputNames();
  EXPECT_NE(std::find(outputs.begin(), outputs.end(), synth), outputs.end());
  PacedMidiOut gate([](const uint8_t*, size_t) { return false; });
  ports.SetOutputGate(&gate);
  ASSERT_TRUE(WaitFor([&] { return ports.SettleWatch(); }, kBusyLimit));
  EXPECT_EQ(ports.CheckServer(), MidiPorts::ServerEvent::kNone);

  // 100 KB of SysEx, some twenty cycles' worth of the library's ring.
  std::vector<Bytes> sent;
  for (int i = 0; i < 100; ++i)
  {
    Bytes sysEx(1000, static_cast<uint8_t>(i));
    sysEx.front() = 0xF0;
    sysEx.back() = 0xF7;
    sent.push_back(sysEx);
    ASSERT_TRUE(gate.Send(sent.back().data(), sent.back().size())) << i;
  }
  // Metered, most of it still waits in the gate's queue for its cycles.
  EXPECT_TRUE(gate.Busy()) << "the burst went out unmetered";
  EXPECT_TRUE(WaitFor([&] { return peer.Count() >= sent.size(); }, std::chrono::seconds(20)));
  EXPECT_EQ(peer.Take(), sent);
  EXPECT_EQ(gate.Losses(), 0u);
  ports.CloseAll();
  ports.SetOutputGate(nullptr);
}
}  // namespace

namespace
{
using MidiPortsNames = PeerOnTheServer;

const char* SuiteServer()
{
  const char* server = std::getenv("JACK_DEFAULT_SERVER");
  return server ? server : "default";
}

// The full name of the MIDI port whose name ends in suffix, as the server
// lists it; "" when there is none.
std::string ServerPortEndingIn(const std::string& suffix)
{
  jack_status_t status{};
  jack_client_t* client =
    jack_client_open("zephra names", static_cast<jack_options_t>(JackNoStartServer | JackServerName), &status, SuiteServer());
  if (!client) return std::string();
  std::string found;
  if (const char** names = jack_get_ports(client, nullptr, JACK_DEFAULT_MIDI_TYPE, 0))
  {
    for (const char** name = names; *name; ++name)
    {
      const std::string n(*name);
      if (n.size() > suffix.size() && n.compare(n.size() - suffix.size(), suffix.size(), suffix) == 0) found = n;
    }
    jack_free(names);
  }
  jack_client_close(client);
  return found;
}

// The editor's own virtual ports, under whatever client name the server
// gave them, are never a choice for another of its ports (its output would
// feed its own input for ever); another program's ports are.
TEST_F(MidiPortsNames, TheEditorsOwnPortsAreNoChoiceForItsOtherPorts)
{
  Peer keys;
  ASSERT_TRUE(keys.Open(SuiteServer(), "zephra keys", true));
  MidiPorts ports(MidiSettingsStore{});
  PacedMidiOut gate([](const uint8_t*, size_t) { return false; });
  ports.SetOutputGate(&gate);
  ASSERT_TRUE(ports.InitialiseMidi(RtMidi::UNIX_JACK));
  ASSERT_TRUE(ports.ChooseMidiOutput("virtual output"));
  ASSERT_TRUE(ports.ChooseMidiInput("virtual input"));
  EXPECT_TRUE(ports.OutputOpen());
  EXPECT_TRUE(gate.IsOpen());
  // A gate closed meanwhile, handed to ports whose output is open, opens.
  ports.SetOutputGate(nullptr);
  gate.Close();
  ports.SetOutputGate(&gate);
  EXPECT_TRUE(gate.IsOpen());
  const std::string ownOutput = ServerPortEndingIn(":From ZephraEditor");
  const std::string ownInput = ServerPortEndingIn(":To ZephraEditor");
  ASSERT_FALSE(ownOutput.empty());
  ASSERT_FALSE(ownInput.empty());
  EXPECT_EQ(ports.GetMIDIInPortNumber(ownOutput.c_str()), -1) << ownOutput;
  EXPECT_EQ(ports.GetMIDIInBPortNumber(ownOutput.c_str()), -1) << ownOutput;
  EXPECT_EQ(ports.GetMIDIOutPortNumber(ownInput.c_str()), -1) << ownInput;
  EXPECT_GE(ports.GetMIDIInPortNumber(keys.OutputName().c_str()), 2);
  EXPECT_GE(ports.GetMIDIInBPortNumber(keys.OutputName().c_str()), 2);
  EXPECT_GE(ports.GetMIDIOutPortNumber(peer.PortName().c_str()), 2);
  // The lists start with "off" and the virtual port, then the server's ports.
  ports.ProbeMidiIO();
  const std::vector<std::string>& inputs = ports.InputNames();
  const std::vector<std::string>& outputs = ports.OutputNames();
  ASSERT_GE(inputs.size(), 3u);
  ASSERT_GE(outputs.size(), 3u);
  EXPECT_EQ(std::vector<std::string>(inputs.begin(), inputs.begin() + 2), (std::vector<std::string>{"off", "virtual input"}));
  EXPECT_EQ(std::vector<std::string>(outputs.begin(), outputs.begin() + 2), (std::vector<std::string>{"off", "virtual output"}));
  EXPECT_NE(std::find(inputs.begin() + 2, inputs.end(), keys.OutputName()), inputs.end());
  EXPECT_NE(std::find(outputs.begin() + 2, outputs.end(), peer.PortName()), outputs.end());
  // Chosen all the same, the own port is not opened.
  EXPECT_FALSE(ports.ChooseMidiInputB(ownOutput.c_str()));
  EXPECT_EQ(ports.KeyboardMidiIn(), nullptr);
  ports.CloseAll();
  ports.SetOutputGate(nullptr);
}

// A stored output whose device is not there yet keeps its name, saved as
// it is, and opens once the port appears while the server runs: what the
// gate sends then reaches it.
TEST_F(MidiPortsNames, AnAbsentPortsStoredNameOpensWhenThePortAppears)
{
  std::map<std::string, std::string> ini = {{"indev", "off"}, {"inBdev", "off"}, {"outdev", "zephra later:in"}};
  MidiPorts ports({[&ini](const char* key, const char* fallback) {
                     const auto found = ini.find(key);
                     return found == ini.end() ? std::string(fallback) : found->second;
                   },
                   [&ini](const char* key, const char* value) { return !ini[key].assign(value).empty(); }});
  PacedMidiOut gate([](const uint8_t*, size_t) { return false; });
  ports.SetOutputGate(&gate);
  ports.ReadSettings();
  ASSERT_TRUE(ports.InitialiseMidi(RtMidi::UNIX_JACK));
  ASSERT_TRUE(ports.ChooseMidiInput("off"));
  ASSERT_TRUE(ports.ChooseMidiInputB("off"));
  EXPECT_FALSE(ports.ChooseMidiOutput(ports.State().mOutDev.c_str()));
  EXPECT_EQ(ports.State().mOutDev, "zephra later:in");
  EXPECT_EQ(ports.GetMIDIOutPortNumber("zephra later:in"), -1);
  EXPECT_FALSE(ports.OutputOpen());
  EXPECT_FALSE(ports.ChosenPortsOpen());
  EXPECT_FALSE(gate.IsOpen());
  EXPECT_TRUE(ports.UpdateINI());
  EXPECT_EQ(ini["outdev"], "zephra later:in");

  Peer later;
  ASSERT_TRUE(later.Open(SuiteServer(), "zephra later"));
  ASSERT_EQ(later.PortName(), "zephra later:in");
  ASSERT_TRUE(WaitFor([&] { return (void)ports.CheckServer(), ports.OutputOpen(); }, kBusyLimit));
  EXPECT_TRUE(ports.ChosenPortsOpen());
  const Bytes knob = {0xB0, 0x06, 0x44};
  ASSERT_TRUE(WaitFor([&] { return gate.Send(knob.data(), knob.size()) && later.Count() > 0; }, kBusyLimit));
  EXPECT_EQ(later.Take().front(), knob);
  EXPECT_EQ(ports.State().mOutDev, "zephra later:in");
  ports.CloseAll();
  ports.SetOutputGate(nullptr);
}
}  // namespace
