// The MIDI ports without a MIDI system behind them: the callbacks' routing
// and filters, and stored names that match nothing.
#include "core/MidiPorts.h"

#include "core/IUnitBase.h"
#include "core/PacedMidiOut.h"
#include "support/ThreadState.h"
#include "support/WaitFor.h"

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <mutex>
#include <thread>
#include <string>
#include <vector>

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

namespace
{
// The plug-in with each path's messages apart, for a keyboard delivery
// that may come on a thread of its own.
struct PathPlug : IUnitBase
{
  PathPlug() : IUnitBase(1, "0-1 0-2", 1, "t", "", "t", 1, 1, 1, 0, true, false, false, kAPIStandalone) {}
  // What is handed on has no place in an audio block: offset 0, else it is
  // recorded as it came, with the offset in front.
  void ProcessMidiMsg(IMidiMsg* m) override { shortPath.push_back(Recorded(m)); }
  void ProcessSysEx(ISysEx* s) override
  {
    sysExPath.emplace_back(s->mData, s->mData + s->mSize);
    if (s->mOffset != 0) sysExPath.back().insert(sysExPath.back().begin(), static_cast<unsigned char>(s->mOffset));
  }
  void ProcessKeyboardMidiMsg(IMidiMsg* m) override
  {
    std::lock_guard<std::mutex> lock(mutex);
    keys.push_back(Recorded(m));
  }
  static Bytes Recorded(const IMidiMsg* m)
  {
    Bytes b = {m->mStatus, m->mData1, m->mData2};
    if (m->mOffset != 0) b.insert(b.begin(), static_cast<unsigned char>(m->mOffset));
    return b;
  }
  std::vector<Bytes> Keys()
  {
    std::lock_guard<std::mutex> lock(mutex);
    return keys;
  }
  std::vector<Bytes> shortPath, sysExPath;
  std::mutex mutex;
  std::vector<Bytes> keys;
};

// A settings store over ini, as the shell's over "settings.ini".
MidiSettingsStore MapStore(std::map<std::string, std::string>& ini)
{
  return {[&ini](const char* key, const char* fallback) {
            const auto found = ini.find(key);
            return found == ini.end() ? std::string(fallback) : found->second;
          },
          [&ini](const char* key, const char* value) { return !ini[key].assign(value).empty(); }};
}
}  // namespace

// What the synth sends, cleaned into whole messages: a short message of
// the input's channel (1..16, 0 all) goes to the short-message path, a
// SysEx to the SysEx path, and active sensing, also inside a glued SysEx,
// nowhere.
TEST(MidiPorts, SynthMessagesTakeTheirPathThroughTheChannelFilter)
{
  const struct
  {
    const char* name;
    uint16_t channel;
    Bytes handed;
    std::vector<Bytes> shortPath, sysExPath;
  } kCases[] = {
    {"note on channel 1, filter 1", 1, {0x90, 0x3C, 0x64}, {{0x90, 0x3C, 0x64}}, {}},
    {"note on channel 2, filter 1", 1, {0x91, 0x3C, 0x64}, {}, {}},
    {"note on channel 5, filter 5", 5, {0x94, 0x3C, 0x64}, {{0x94, 0x3C, 0x64}}, {}},
    {"note on channel 1, filter 5", 5, {0x90, 0x3C, 0x64}, {}, {}},
    {"note on channel 6, filter 5", 5, {0x95, 0x3C, 0x64}, {}, {}},
    {"channel pressure on 16, filter 16", 16, {0xDF, 0x22}, {{0xDF, 0x22, 0x00}}, {}},
    {"program change on 15, filter 16", 16, {0xCE, 0x05}, {}, {}},
    {"any channel with filter 0", 0, {0x97, 0x3C, 0x64, 0xB3, 0x07, 0x40}, {{0x97, 0x3C, 0x64}, {0xB3, 0x07, 0x40}}, {}},
    {"the shortest SysEx past three bytes", 0, {0xF0, 0x7D, 0x01, 0xF7}, {}, {{0xF0, 0x7D, 0x01, 0xF7}}},
    {"a dump passes every filter", 5, {0xF0, 0x00, 0x3E, 0x5A, 0x03, 0xF7}, {}, {{0xF0, 0x00, 0x3E, 0x5A, 0x03, 0xF7}}},
    {"active sensing inside a glued dump", 0, {0xF0, 0x00, 0x3E, 0xFE, 0x5A, 0x03, 0xF7, 0xFE},
     {}, {{0xF0, 0x00, 0x3E, 0x5A, 0x03, 0xF7}}},
    {"clock inside a glued dump", 0, {0xF0, 0x00, 0x3E, 0xF8, 0x5A, 0xF7}, {{0xF8, 0x00, 0x00}}, {{0xF0, 0x00, 0x3E, 0x5A, 0xF7}}},
  };
  for (const auto& c : kCases)
  {
    MidiPorts ports{MidiSettingsStore{}};
    PathPlug plug;
    ports.State().mInChan = c.channel;
    ports.State().mInBChan = c.channel == 5 ? 9 : 5;  // the keyboard's filter is not the synth's
    ports.SetPlug(&plug);
    ports.DeliverFromSynth(c.handed.data(), c.handed.size());
    ASSERT_TRUE(ports.WaitUntilDelivered(10000)) << c.name;
    EXPECT_EQ(plug.shortPath, c.shortPath) << c.name;
    EXPECT_EQ(plug.sysExPath, c.sysExPath) << c.name;
    EXPECT_TRUE(plug.Keys().empty()) << c.name;
    ports.CloseAll();
  }
}

// A short message hands on its own bytes and zeros, never a byte beyond.
TEST(MidiPorts, AShortMessageFillsWhatItLacksWithZeros)
{
  const uint8_t buffer[3] = {0xC3, 0x05, 0x77};
  const struct { size_t size; Bytes expected; } kCases[] = {{1, {0xC3, 0x00, 0x00}}, {2, {0xC3, 0x05, 0x00}}, {3, {0xC3, 0x05, 0x77}}};
  for (const auto& c : kCases)
  {
    PathPlug plug;
    HandSynthMessage(plug, buffer, c.size, 0);
    EXPECT_EQ(plug.shortPath, std::vector<Bytes>{c.expected}) << c.size;
  }
}

// The keyboard's channel filter, "all" (0) too: a SysEx from the keyboard
// and active sensing are dropped whatever the channel, clock always passes.
// The last key tells that everything before it was delivered.
TEST(MidiPorts, KeyboardMessagesPassTheKeyboardsFilter)
{
  const struct
  {
    const char* name;
    uint16_t channel;
    Bytes handed;
    std::vector<Bytes> played;
  } kCases[] = {
    {"SysEx with channel all", 0, {0xF0, 0x00, 0x3E, 0x5A, 0x03, 0xF7}, {}},
    {"SysEx with channel 1", 1, {0xF0, 0x41, 0x10, 0x42, 0xF7}, {}},
    {"four-byte SysEx with channel all", 0, {0xF0, 0x7D, 0x01, 0xF7}, {}},
    {"active sensing with channel all", 0, {0xFE}, {}},
    {"any channel with channel all", 0, {0x9A, 0x3C, 0x64, 0xE0, 0x00, 0x40}, {{0x9A, 0x3C, 0x64}, {0xE0, 0x00, 0x40}}},
    {"channel 9 only", 9, {0x98, 0x3C, 0x64, 0x99, 0x3C, 0x64, 0x90, 0x3C, 0x64}, {{0x98, 0x3C, 0x64}}},
    {"clock with channel 9", 9, {0xF8}, {{0xF8, 0x00, 0x00}}},
    {"a note inside a glued SysEx", 0, {0xF0, 0x00, 0x3E, 0x90, 0x3C, 0x64}, {{0x90, 0x3C, 0x64}}},
  };
  for (const auto& c : kCases)
  {
    MidiPorts ports{MidiSettingsStore{}};
    PathPlug plug;
    ports.State().mInBChan = c.channel;
    ports.State().mInChan = c.channel == 9 ? 3 : 9;  // the synth's filter is not the keyboard's
    ports.SetPlug(&plug);
    ports.DeliverFromKeyboard(c.handed.data(), c.handed.size());
    const uint8_t last[3] = {static_cast<uint8_t>(0x80 | (c.channel == 0 ? 0x0F : c.channel - 1)), 0x7F, 0x00};
    ports.DeliverFromKeyboard(last, 3);
    const Bytes lastKey(last, last + 3);
    ASSERT_TRUE(WaitFor([&] { return !plug.Keys().empty() && plug.Keys().back() == lastKey; }, kBusyLimit)) << c.name;
    std::vector<Bytes> played = c.played;
    played.push_back(lastKey);
    EXPECT_EQ(plug.Keys(), played) << c.name;
    ports.CloseAll();
    ports.DeliverFromKeyboard(last, 3);  // after CloseAll nothing reaches the plug-in
    EXPECT_EQ(plug.Keys(), played) << c.name;
    EXPECT_TRUE(plug.shortPath.empty() && plug.sysExPath.empty()) << c.name;
  }
}

// The three names are read from their own keys; a key not there reads as
// the default that Choose turns into "off".
TEST(MidiPorts, SettingsAreReadFromTheirOwnKeys)
{
  const struct
  {
    const char* name;
    std::map<std::string, std::string> ini;
    MidiPortSettings expected;
  } kCases[] = {
    {"all three", {{"indev", "synth:out"}, {"inBdev", "keys:out"}, {"outdev", "synth:in"}}, {"synth:out", "keys:out", "synth:in"}},
    {"none", {}, {"no input", "no input", "no output"}},
    {"only the keyboard", {{"inBdev", "keys:out"}}, {"no input", "keys:out", "no output"}},
  };
  for (const auto& c : kCases)
  {
    std::map<std::string, std::string> ini = c.ini;
    MidiPorts ports{MapStore(ini)};
    ports.ReadSettings();
    EXPECT_EQ(ports.State().mInDev, c.expected.mInDev) << c.name;
    EXPECT_EQ(ports.State().mInBDev, c.expected.mInBDev) << c.name;
    EXPECT_EQ(ports.State().mOutDev, c.expected.mOutDev) << c.name;
  }
}

// Ports without a store (the tests', a shell without settings) keep "off"
// for all three and have nothing to fail at when saving.
TEST(MidiPorts, WithoutAStoreNothingIsReadAndSavingSucceeds)
{
  MidiPorts ports{MidiSettingsStore{}};
  ports.ReadSettings();
  EXPECT_EQ(ports.State().mInDev, "off");
  EXPECT_EQ(ports.State().mInBDev, "off");
  EXPECT_EQ(ports.State().mOutDev, "off");
  EXPECT_TRUE(ports.UpdateINI());
}

// Saving fails when any one of the three names could not be written.
TEST(MidiPorts, SavingFailsWhenAnyNameIsNotWritten)
{
  for (const char* refused : {"", "indev", "inBdev", "outdev"})
  {
    std::map<std::string, std::string> ini;
    MidiPorts ports{{nullptr, [&](const char* key, const char* value) {
                       if (std::string(key) == refused) return false;
                       ini[key] = value;
                       return true;
                     }}};
    ports.State() = MidiPortSettings{"synth:out", "keys:out", "synth:in"};
    EXPECT_EQ(ports.UpdateINI(), std::string(refused).empty()) << refused;
    EXPECT_EQ(ini.size(), std::string(refused).empty() ? 3u : 2u) << refused;
  }
}

// Two records are equal only when all six fields are.
TEST(MidiPorts, SettingsDifferInAnyOfTheirSixFields)
{
  const MidiPortSettings base{"synth:out", "keys:out", "synth:in", 1, 2, 3};
  const struct
  {
    const char* name;
    void (*change)(MidiPortSettings&);
  } kCases[] = {
    {"synth input", [](MidiPortSettings& s) { s.mInDev = "other:out"; }},
    {"keyboard input", [](MidiPortSettings& s) { s.mInBDev = "other:out"; }},
    {"output", [](MidiPortSettings& s) { s.mOutDev = "other:in"; }},
    {"synth channel", [](MidiPortSettings& s) { s.mInChan = 4; }},
    {"keyboard channel", [](MidiPortSettings& s) { s.mInBChan = 4; }},
    {"output channel", [](MidiPortSettings& s) { s.mOutChan = 4; }},
  };
  EXPECT_TRUE(MIDISettingsInStateAreEqual(base, base));
  for (const auto& c : kCases)
  {
    MidiPortSettings changed = base;
    c.change(changed);
    EXPECT_FALSE(MIDISettingsInStateAreEqual(base, changed)) << c.name;
    EXPECT_FALSE(MIDISettingsInStateAreEqual(changed, base)) << c.name;
  }
}

// A port that is not there (no MIDI system yet, or its device off) stays
// the stored choice under its name, and is saved so: it opens once it
// appears.
TEST(MidiPorts, AnAbsentPortsNameStaysTheChoice)
{
  std::map<std::string, std::string> ini = {{"indev", "synth:out"}, {"inBdev", "keys:out"}, {"outdev", "synth:in"}};
  MidiPorts ports{MapStore(ini)};
  ports.ReadSettings();
  EXPECT_FALSE(ports.ChooseMidiOutput("synth:in"));
  EXPECT_FALSE(ports.ChooseMidiInput("synth:out"));
  EXPECT_FALSE(ports.ChooseMidiInputB("Keys 2:out"));
  EXPECT_EQ(ports.State().mOutDev, "synth:in");
  EXPECT_EQ(ports.State().mInDev, "synth:out");
  EXPECT_EQ(ports.State().mInBDev, "Keys 2:out");
  EXPECT_FALSE(ports.OutputOpen());
  EXPECT_FALSE(ports.ChosenPortsOpen());
  EXPECT_FALSE(ports.SynthLinkOpen());
  EXPECT_TRUE(ports.UpdateINI());
  EXPECT_EQ(ini, (std::map<std::string, std::string>{{"indev", "synth:out"}, {"inBdev", "Keys 2:out"}, {"outdev", "synth:in"}}));
}

// With no output port open the plug-in's gate is closed: nothing is handed
// to a port that is not there.
TEST(MidiPorts, TheGateOfAnOutputNotOpenIsClosed)
{
  MidiPorts ports{MidiSettingsStore{}};
  bool written = false;
  PacedMidiOut gate([&written](const uint8_t*, size_t) { return written = true; });
  ports.SetOutputGate(&gate);
  EXPECT_FALSE(gate.IsOpen());
  const Bytes knob = {0xB0, 0x06, 0x11};
  EXPECT_FALSE(gate.Send(knob.data(), knob.size()));
  EXPECT_FALSE(written);
  ports.SetOutputGate(nullptr);
}

// The choice numbers of the names every list has, without a MIDI system:
// 0 "off", 1 the kind's own virtual port, -1 anything else.
TEST(MidiPorts, ChoiceNumbersOfTheNamesEveryListHas)
{
  MidiPorts ports{MidiSettingsStore{}};
  const struct
  {
    const char* name;
    int synthIn, keyboardIn, out;
  } kCases[] = {
    {"off", 0, 0, 0},
    {"virtual input", 1, 1, -1},
    {"virtual output", -1, -1, 1},
    {"Off", -1, -1, -1},
    {"synth:out", -1, -1, -1},
    {"", -1, -1, -1},
  };
  for (const auto& c : kCases)
  {
    EXPECT_EQ(ports.GetMIDIInPortNumber(c.name), c.synthIn) << c.name;
    EXPECT_EQ(ports.GetMIDIInBPortNumber(c.name), c.keyboardIn) << c.name;
    EXPECT_EQ(ports.GetMIDIOutPortNumber(c.name), c.out) << c.name;
  }
  EXPECT_EQ(ports.GetMIDIInPortNumber(nullptr), -1);
}

namespace
{
// A plug-in that holds the delivery of the synth's messages while asked to.
struct HoldingPlug : IUnitBase
{
  HoldingPlug() : IUnitBase(1, "0-1 0-2", 1, "t", "", "t", 1, 1, 1, 0, true, false, false, kAPIStandalone) {}
  void ProcessMidiMsg(IMidiMsg*) override
  {
    inside = true;
    while (hold) std::this_thread::yield();
  }
  std::atomic<bool> hold{true}, inside{false};
};
}  // namespace

// Waiting for the delivery says false while a message is still being
// handed to the plug-in when the time is up, and true once it is through.
TEST(MidiPorts, WaitingForTheDeliveryTellsWhetherItIsThrough)
{
  MidiPorts ports{MidiSettingsStore{}};
  HoldingPlug plug;
  ports.SetPlug(&plug);
  const Bytes pc = {0xC0, 0x05};
  ports.DeliverFromSynth(pc.data(), pc.size());
  ASSERT_TRUE(WaitFor([&] { return plug.inside.load(); }, kBusyLimit));
  EXPECT_FALSE(ports.WaitUntilDelivered(20));
  plug.hold = false;
  EXPECT_TRUE(ports.WaitUntilDelivered(10000));
  ports.CloseAll();
}

// Each input has its own cleaner: the synth's dump, in two pieces, and the
// keyboard's notes between them do not cut each other.
TEST(MidiPorts, TheTwoInputsCleanApart)
{
  MidiPorts ports{MidiSettingsStore{}};
  PathPlug plug;
  ports.SetPlug(&plug);
  const Bytes firstPiece = {0xF0, 0x00, 0x3E, 0x5A}, rest = {0x03, 0x40, 0xF7};
  const Bytes noteOn = {0x90, 0x3C, 0x64}, noteOff = {0x80, 0x3C, 0x00};
  const Bytes halfNote = {0x91, 0x3E};
  ports.DeliverFromKeyboard(halfNote.data(), halfNote.size());
  ports.DeliverFromSynth(firstPiece.data(), firstPiece.size());
  ports.DeliverFromKeyboard(noteOn.data(), noteOn.size());
  ports.DeliverFromSynth(rest.data(), rest.size());
  ports.DeliverFromKeyboard(noteOff.data(), noteOff.size());
  ASSERT_TRUE(ports.WaitUntilDelivered(10000));
  ASSERT_TRUE(WaitFor([&] { return plug.Keys().size() >= 2; }, kBusyLimit));
  EXPECT_EQ(plug.sysExPath, (std::vector<Bytes>{{0xF0, 0x00, 0x3E, 0x5A, 0x03, 0x40, 0xF7}}));
  EXPECT_TRUE(plug.shortPath.empty());
  EXPECT_EQ(plug.Keys(), (std::vector<Bytes>{noteOn, noteOff}));
  ports.CloseAll();
}

// With nothing arriving, the delivery thread sleeps: an idle editor costs
// no processor time.
TEST(MidiPorts, AnIdleDeliverySleeps)
{
  MidiPorts ports{MidiSettingsStore{}};
  PathPlug plug;
  ports.SetPlug(&plug);
  const Bytes pc = {0xC0, 0x05};
  ports.DeliverFromSynth(pc.data(), pc.size());
  ASSERT_TRUE(ports.WaitUntilDelivered(10000));
  EXPECT_TRUE(WaitFor(OtherThreadsSleep, std::chrono::seconds(10)));
  ports.CloseAll();
}

// A name the settings never held (their read default) chosen for any of the
// three means "off", and is saved so.
TEST(MidiPorts, ReadDefaultsChosenBecomeOff)
{
  std::map<std::string, std::string> ini;
  MidiPorts ports{MapStore(ini)};
  ports.ReadSettings();
  EXPECT_FALSE(ports.ChooseMidiInput(ports.State().mInDev.c_str()));
  EXPECT_FALSE(ports.ChooseMidiInputB(ports.State().mInBDev.c_str()));
  EXPECT_FALSE(ports.ChooseMidiOutput(ports.State().mOutDev.c_str()));
  EXPECT_EQ(ports.State().mInDev, "off");
  EXPECT_EQ(ports.State().mInBDev, "off");
  EXPECT_EQ(ports.State().mOutDev, "off");
  EXPECT_EQ(ini, (std::map<std::string, std::string>{{"indev", "off"}, {"inBdev", "off"}, {"outdev", "off"}}));
}
