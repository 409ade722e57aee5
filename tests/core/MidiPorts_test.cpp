// The MIDI ports without a MIDI system behind them: the callbacks' routing
// and filters, and stored names that match nothing.
#include "core/MidiPorts.h"

#include "core/IUnitBase.h"

#include <gtest/gtest.h>

#include <map>

namespace
{
using Bytes = std::vector<unsigned char>;

struct RecordingPlug : IUnitBase
{
  RecordingPlug() : IUnitBase(1, "0-1 0-2", 1, "t", "", "t", 1, 1, 1, 0, true, false, false, kAPIStandalone) {}
  void ProcessMidiMsg(IMidiMsg* m) override { synth.push_back({m->mStatus, m->mData1, m->mData2}); }
  void ProcessSysEx(ISysEx* s) override { synth.emplace_back(s->mData, s->mData + s->mSize); }
  void ProcessKeyboardMidiMsg(IMidiMsg* m) override { keys.push_back({m->mStatus, m->mData1, m->mData2}); }
  std::vector<Bytes> synth, keys;
};
}  // namespace

TEST(MidiPorts, CallbacksRouteAndFilter)
{
  MidiPorts ports{MidiSettingsStore{}};
  RecordingPlug plug;
  ports.SetPlug(&plug);
  ports.State().mInBChan = 3;
  const Bytes sysex = {0xF0, 0x00, 0x3E, 0x5A, 0x03, 0xF7}, clock = {0xF8}, pc = {0xC0, 5},
              noteCh1 = {0x90, 60, 9}, noteCh3 = {0x92, 60, 9};
  for (const Bytes* b : {&sysex, &pc}) ports.DeliverFromSynth(b->data(), b->size());
  for (const Bytes* b : {&sysex, &clock, &noteCh1, &noteCh3}) ports.DeliverFromKeyboard(b->data(), b->size());
  ASSERT_TRUE(ports.WaitUntilDelivered(10000));
  EXPECT_EQ(plug.synth, (std::vector<Bytes>{sysex, {0xC0, 5, 0}}));
  EXPECT_EQ(plug.keys, (std::vector<Bytes>{{0xF8, 0, 0}, noteCh3}));
  ports.CloseAll();  // nothing reaches the plug-in afterwards
  ports.DeliverFromSynth(pc.data(), pc.size());
  ASSERT_TRUE(ports.WaitUntilDelivered(10000));
  EXPECT_EQ(plug.synth.size(), 2u);
}

TEST(MidiPorts, UnknownStoredNameBecomesOff)
{
  std::map<std::string, std::string> ini;
  MidiPorts ports{{[](const char*, const char* fallback) { return std::string(fallback); },
                   [&ini](const char* key, const char* value) { return !ini[key].assign(value).empty(); }}};
  ports.ReadSettings();
  EXPECT_EQ(ports.State().mOutDev, "no output");
  EXPECT_EQ(ports.GetMIDIOutPortNumber("virtual output"), 1);
  EXPECT_EQ(ports.GetMIDIInPortNumber("A"), -1);
  EXPECT_FALSE(ports.ChooseMidiOutput(ports.State().mOutDev.c_str()));  // no MIDI objects
  EXPECT_EQ(ini, (std::map<std::string, std::string>{{"indev", "no input"}, {"inBdev", "no input"}, {"outdev", "off"}}));
}

// Where the ports are not on a JACK server, the editor's own are known by
// their client: its two client names, or one the
// sound server made unique with "-" and digits; anything else is another
// program's port.
TEST(MidiPorts, OwnPortsAreKnownByTheirClient)
{
  const struct
  {
    const char* name;
    bool own;
  } kCases[] = {
    {"RtMidi Input Client:RtMidi Input", true},
    {"RtMidi Input Client-01:RtMidi Input", true},
    {"RtMidi Output Client:RtMidi Output", true},
    {"RtMidi Output Client-12:From ZephraEditor", true},
    {"RtMidi Output Client:", true},
    {"RtMidi Input Client-:RtMidi Input", false},
    {"RtMidi Input Client-0a:RtMidi Input", false},
    {"RtMidi Input Client-01", false},
    {"RtMidi Input Clien:RtMidi Input", false},
    {"RtMidi Input Clients:RtMidi Input", false},
    {"Zephra Prime Output:Zephra Prime Output", false},
    {"Keys:RtMidi Output Client:x", false},
    {"", false},
  };
  MidiPorts ports{MidiSettingsStore{}};
  for (const auto& c : kCases) EXPECT_EQ(ports.IsOwnPort(c.name), c.own) << c.name;
}
