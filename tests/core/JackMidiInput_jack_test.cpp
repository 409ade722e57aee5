// The two inputs read straight off the JACK server: an unfinished SysEx on
// the port (a cable pulled in the middle of a message) is ended by the next
// status byte, so what is played after it arrives, at once and in order,
// and the synth's next dump is received.
#include "core/IUnitBase.h"
#include "core/MidiPorts.h"
#include "support/WaitFor.h"

#include <jack/jack.h>
#include <jack/midiport.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace
{
using Bytes = std::vector<uint8_t>;

// A device on the server: one MIDI output that sends, one cycle each, the
// events queued by Send.
class Device
{
public:
  bool Open(const char* name)
  {
    jack_status_t status{};
    mClient = jack_client_open(name, JackNoStartServer, &status);
    if (!mClient) return false;
    mPort = jack_port_register(mClient, "out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
    jack_set_process_callback(mClient, &Device::Process, this);
    return mPort && jack_activate(mClient) == 0;
  }
  ~Device()
  {
    if (mClient) jack_client_close(mClient);
  }
  std::string PortName() const { return std::string(jack_get_client_name(mClient)) + ":out"; }
  // Goes out as one event of its own, in a later cycle than those before.
  void Send(const Bytes& event)
  {
    std::lock_guard<std::mutex> lock(mMutex);
    mToSend.push_back(event);
  }
  bool Sent()
  {
    std::lock_guard<std::mutex> lock(mMutex);
    return mToSend.empty();
  }

private:
  static int Process(jack_nframes_t frames, void* self)
  {
    auto* device = static_cast<Device*>(self);
    void* out = jack_port_get_buffer(device->mPort, frames);
    jack_midi_clear_buffer(out);
    std::lock_guard<std::mutex> lock(device->mMutex);
    // A few events a cycle, each at a time of its own.
    size_t n = 0;
    for (; n < device->mToSend.size() && n < 8; ++n)
      (void)jack_midi_event_write(out, static_cast<jack_nframes_t>(n), device->mToSend[n].data(),
                                  device->mToSend[n].size());
    device->mToSend.erase(device->mToSend.begin(), device->mToSend.begin() + static_cast<long>(n));
    return 0;
  }
  jack_client_t* mClient = nullptr;
  jack_port_t* mPort = nullptr;
  std::mutex mMutex;
  std::vector<Bytes> mToSend;
};

struct RecordingPlug : IUnitBase
{
  RecordingPlug() : IUnitBase(1, "0-1 0-2", 1, "t", "", "t", 1, 1, 1, 0, true, false, false, kAPIStandalone) {}
  void ProcessSysEx(ISysEx* s) override
  {
    std::lock_guard<std::mutex> lock(mutex);
    synth.emplace_back(s->mData, s->mData + s->mSize);
  }
  void ProcessKeyboardMidiMsg(IMidiMsg* m) override
  {
    std::lock_guard<std::mutex> lock(mutex);
    keys.push_back({m->mStatus, m->mData1, m->mData2});
  }
  std::vector<Bytes> Keys()
  {
    std::lock_guard<std::mutex> lock(mutex);
    return keys;
  }
  std::vector<Bytes> Synth()
  {
    std::lock_guard<std::mutex> lock(mutex);
    return synth;
  }
  std::mutex mutex;
  std::vector<Bytes> synth, keys;
};

class JackInputs : public ::testing::Test
{
protected:
  void SetUp() override
  {
    if (!JackServerWatch::ServerAnswers("probe"))
    {
      if (std::getenv("CI")) FAIL() << "no JACK server answers";
      GTEST_SKIP() << "no JACK server answers";
    }
    ASSERT_TRUE(device.Open("Cut Cable"));
    ASSERT_TRUE(ports.InitialiseMidi(RtMidi::UNIX_JACK));
    ports.SetPlug(&plug);
  }
  void TearDown() override { ports.CloseAll(); }
  // A new connection may lose its first cycles: sends event until what
  // heard() counts grows.
  bool Connected(const Bytes& event, const std::function<size_t()>& heard)
  {
    const size_t before = heard();
    return WaitFor(
      [&] {
        if (device.Sent()) device.Send(event);
        return heard() > before;
      },
      kBusyLimit);
  }

  Device device;
  MidiPorts ports{MidiSettingsStore{}};
  RecordingPlug plug;
};

Bytes Note(int i) { return {static_cast<uint8_t>(i % 2 ? 0x80 : 0x90), static_cast<uint8_t>(36 + i / 2 % 60), 100}; }

// "F0 01 02" and nothing more, then 300 notes: every one reaches the
// keyboard hook, in order, and the input reads on after them.
TEST_F(JackInputs, AnUnfinishedSysExOnTheKeyboardsPortSilencesNothingAfterIt)
{
  ASSERT_TRUE(ports.ChooseMidiInputB(device.PortName().c_str()));
  ASSERT_TRUE(Connected({0xB0, 0x01, 0x00}, [&] { return plug.Keys().size(); }));
  ASSERT_TRUE(WaitFor([&] { return device.Sent() && ports.WaitUntilDelivered(0); }, kBusyLimit));
  const size_t before = plug.Keys().size();
  device.Send({0xF0, 0x01, 0x02});
  std::vector<Bytes> played;
  for (int i = 0; i < 300; ++i)
  {
    played.push_back(Note(i));
    device.Send(played.back());
  }
  ASSERT_TRUE(WaitFor([&] { return plug.Keys().size() >= before + 300; }, kBusyLimit))
    << plug.Keys().size() - before << " of 300 notes arrived";
  const std::vector<Bytes> keys = plug.Keys();
  EXPECT_EQ(std::vector<Bytes>(keys.begin() + static_cast<long>(before), keys.end()), played);
}

// The same cut on the synth's port: the dump after it is received whole.
TEST_F(JackInputs, AnUnfinishedSysExOnTheSynthsPortLetsTheNextDumpThrough)
{
  ASSERT_TRUE(ports.ChooseMidiInput(device.PortName().c_str()));
  const Bytes reply = {0xF0, 0x00, 0x3E, 0x5A, 0x03, 0x10, 0xF7};
  ASSERT_TRUE(Connected(reply, [&] { return plug.Synth().size(); }));
  ASSERT_TRUE(WaitFor([&] { return device.Sent() && ports.WaitUntilDelivered(0); }, kBusyLimit));
  const size_t before = plug.Synth().size();
  Bytes dump = {0xF0, 0x00, 0x3E, 0x5A, 0x03, 0x01};
  for (int i = 0; i < 200; ++i) dump.push_back(static_cast<uint8_t>(i & 0x7F));
  dump.push_back(0xF7);
  device.Send({0xF0, 0x01, 0x02});
  device.Send(dump);
  ASSERT_TRUE(WaitFor([&] { return plug.Synth().size() > before; }, kBusyLimit)) << "the dump never arrived";
  EXPECT_EQ(plug.Synth().back(), dump);
  EXPECT_EQ(plug.Synth().size(), before + 1);
}

// Another program whose client carries the editor's output client name
// (the server made it unique with "-" and digits): its port is listed and
// opens for the keyboard. The editor's own output and inputs are not.
TEST_F(JackInputs, AnotherProgramsPortUnderTheEditorsClientNameIsListedAndOpens)
{
  Device bridge;
  ASSERT_TRUE(bridge.Open(MidiPorts::kOutputClientName));
  const std::string foreign = bridge.PortName();
  ASSERT_EQ(foreign.rfind(std::string(MidiPorts::kOutputClientName) + "-", 0), 0u) << foreign;
  ASSERT_TRUE(ports.ChooseMidiOutput("virtual output"));
  ASSERT_TRUE(ports.ChooseMidiInput("virtual input"));
  ports.ProbeMidiIO();
  const std::vector<std::string> listed = ports.InputNames();
  std::vector<std::string> own;
  for (const std::string& name : listed)
    if (ports.IsOwnPort(name)) own.push_back(name);
  ASSERT_EQ(own.size(), 1u);
  EXPECT_EQ(own[0].substr(own[0].find(':')), ":From ZephraEditor");
  EXPECT_EQ(ports.GetMIDIInBPortNumber(own[0].c_str()), -1);
  EXPECT_FALSE(ports.IsOwnPort(foreign));
  EXPECT_GE(ports.GetMIDIInBPortNumber(foreign.c_str()), 2);
  ASSERT_TRUE(ports.ChooseMidiInputB(foreign.c_str()));
  EXPECT_TRUE(WaitFor(
    [&] {
      if (bridge.Sent()) bridge.Send({0x90, 0x40, 0x40});
      return !plug.Keys().empty();
    },
    kBusyLimit));
  // The editor's inputs are destinations: the output's list holds them,
  // as its own.
  size_t inputs = 0;
  for (const std::string& name : ports.OutputNames())
  {
    if (name.find(":To ZephraEditor") == std::string::npos) continue;
    ++inputs;
    EXPECT_TRUE(ports.IsOwnPort(name)) << name;
  }
  EXPECT_EQ(inputs, 1u);
}
}  // namespace
