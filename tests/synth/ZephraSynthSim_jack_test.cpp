// Drives the simulated synth as the editor would: through virtual JACK ports
// "To ZephraEditor" and "From ZephraEditor", with every message built byte
// by byte here, and checks its answers and its state through its commands.
#include "support/SynthSimProcess.h"
#include "synth/ZephraTables.h"

#include <rtmidi/RtMidi.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace
{
using Bytes = std::vector<uint8_t>;
const std::string kSim = ZEPHRA_SYNTH_SIM;

const Bytes kWriteOk = {0xF0, 0x00, 0x3E, 0x5A, 0x03, 0x21, 0xF7};
const Bytes kWriteFailed = {0xF0, 0x00, 0x3E, 0x5A, 0x03, 0x22, 0xF7};
const Bytes kUpdateRequest = {0xF0, 0x00, 0x3E, 0x5A, 0x02, 0x10, 0xF7};
const Bytes kErasing = {0xF0, 0x00, 0x3E, 0x5A, 0x02, 0x11, 0xF7};
const Bytes kReady = {0xF0, 0x00, 0x3E, 0x5A, 0x02, 0x12, 0xF7};
const Bytes kUpdateOk = {0xF0, 0x00, 0x3E, 0x5A, 0x02, 0x14, 0xF7};
const Bytes kUpdateFailed = {0xF0, 0x00, 0x3E, 0x5A, 0x02, 0x15, 0xF7};

using Values = std::array<int32_t, kProgramSize>;

int Offset(int i) { return kProgramMin[i] < 0 ? -kProgramMin[i] : 0; }

Bytes Request(int location) { return {0xF0, 0x00, 0x3E, 0x5A, 0x03, 0x40, 0x03, uint8_t(location), 0xF7}; }

void AppendSum(Bytes* m, size_t from)
{
  int s = 0;
  for (size_t i = from; i < m->size(); ++i) s += (*m)[i];
  m->push_back(uint8_t((s >> 7) & 0x7F));
  m->push_back(uint8_t(s & 0x7F));
}

// A 213-byte dump (0x41) or write (0x20) of the values under the name.
Bytes ProgramMessage(uint8_t command, int location, const Values& v, const std::string& name)
{
  Bytes m = {0xF0, 0x00, 0x3E, 0x5A, 0x03, command, 0x03, uint8_t(location)};
  for (int i = 0; i < 170; ++i) m.push_back(uint8_t(v[i] + Offset(i)));
  for (size_t i = 0; i < 32; ++i) m.push_back(i < name.size() ? uint8_t(name[i]) : 0);
  AppendSum(&m, 8);
  m.push_back(0xF7);
  return m;
}

// The answer of the "program" and "edit" commands.
std::string ProgramLine(const Values& v, const std::string& name)
{
  std::string line;
  for (int32_t x : v) line += std::to_string(x) + " ";
  return line + ":" + name;
}

// The test's own packing of a firmware file: 7 bytes into 8 seven-bit
// digits, the tail of R bytes into R + 1 digits, most significant first.
Bytes FirmwareMessage(const Bytes& file)
{
  const size_t n = 8 * file.size() / 7 + 1;
  Bytes m = {0xF0, 0x00, 0x3E, 0x5A, 0x02, 0x13, uint8_t(n >> 14 & 0x7F), uint8_t(n >> 7 & 0x7F), uint8_t(n & 0x7F)};
  auto pack = [&](size_t at, size_t bytes, size_t digits) {
    uint64_t x = 0;
    for (size_t b = 0; b < bytes; ++b) x = x << 8 | file[at + b];
    for (size_t d = 0; d < digits; ++d) m.push_back(uint8_t(x >> (7 * (digits - 1 - d)) & 0x7F));
  };
  const size_t full = file.size() / 7, rest = file.size() % 7;
  for (size_t k = 0; k < full; ++k) pack(7 * k, 7, 8);
  pack(7 * full, rest, rest + 1);
  AppendSum(&m, 9);
  m.push_back(0xF7);
  return m;
}

std::string Hex(const Bytes& b)
{
  static const char* digits = "0123456789abcdef";
  std::string s;
  for (uint8_t x : b) s += {digits[x >> 4], digits[x & 15]};
  return s;
}

// The editor's side of the link: its virtual input and output ports, with
// the client names the editor uses. Collects what the sim sends.
class EditorPorts
{
public:
  EditorPorts(const std::string& inName, const std::string& outName)
    : mIn(RtMidi::UNIX_JACK, "RtMidi Input Client", 100), mOut(RtMidi::UNIX_JACK, "RtMidi Output Client")
  {
    mIn.ignoreTypes(false, false, true);
    mOpen.store(true, std::memory_order_release);
    mIn.setCallback(&EditorPorts::OnInput, this);
    mIn.openVirtualPort(inName);
    mOut.openVirtualPort(outName);
  }
  ~EditorPorts() { mIn.cancelCallback(); }

  RtMidiIn& In() { return mIn; }
  RtMidiOut& Out() { return mOut; }

  // Large messages go in pieces a JACK cycle apart; the receiver joins them.
  void Send(const Bytes& m)
  {
    for (size_t at = 0; at < m.size(); at += 4096) {
      if (at > 0) std::this_thread::sleep_for(std::chrono::milliseconds(3));
      mOut.sendMessage(m.data() + at, std::min<size_t>(4096, m.size() - at));
    }
  }

  // The next message from the sim, or empty when none comes in time.
  Bytes Next(std::chrono::milliseconds timeout = std::chrono::seconds(10))
  {
    std::unique_lock<std::mutex> lock(mMutex);
    if (!mArrived.wait_for(lock, timeout, [&] { return !mQueue.empty(); })) return {};
    Bytes m = std::move(mQueue.front());
    mQueue.pop_front();
    return m;
  }

private:
  static void OnInput(double, std::vector<unsigned char>* m, void* self)
  {
    auto* ports = static_cast<EditorPorts*>(self);
    // The library hands the callback to its thread without a fence that a
    // race detector can see; this flag is that fence.
    if (!ports->mOpen.load(std::memory_order_acquire)) return;
    {
      std::lock_guard<std::mutex> lock(ports->mMutex);
      ports->mQueue.emplace_back(m->begin(), m->end());
    }
    ports->mArrived.notify_all();
  }

  std::atomic<bool> mOpen{false};
  std::mutex mMutex;
  std::condition_variable mArrived;
  std::deque<Bytes> mQueue;
  RtMidiIn mIn;  // last: its thread may call back as soon as it exists
  RtMidiOut mOut;
};

class SynthSim : public ::testing::Test
{
protected:
  void SetUp() override
  {
    const int probe = SynthSimProcess::ProbeJackServer(kSim);
    if (probe == SynthSimProcess::kNoServer) {
      if (std::getenv("CI") != nullptr) FAIL() << "no JACK server answers";
      GTEST_SKIP() << "no JACK server answers";
    }
    ASSERT_EQ(probe, SynthSimProcess::kServerAnswers) << "the sim's server probe failed";
    Open("To ZephraEditor", "From ZephraEditor", {});
  }

  void TearDown() override
  {
    if (mSim.Running()) {
      EXPECT_EQ(mSim.Stop(), 0) << mSim.Error();
    }
  }

  void Open(const std::string& in, const std::string& out, const std::vector<std::string>& args,
            bool warmUp = true)
  {
    if (mSim.Running()) {
      ASSERT_EQ(mSim.Stop(), 0) << mSim.Error();
    }
    mPorts.reset();
    mPorts = std::make_unique<EditorPorts>(in, out);
    mSent = 0;
    ASSERT_TRUE(mSim.Start(kSim, args)) << mSim.Error();
    if (warmUp) {
      ASSERT_TRUE(LinkIsUp([this](const Bytes& m) { mPorts->Send(m); }));
    }
  }

  // JACK drops MIDI that crosses an overrun cycle, and the cycles right
  // after new clients connect are the likeliest to overrun. Requests go
  // out until one is answered, each for its own location so that a late
  // answer cannot be taken for the current one; then the sim starts afresh.
  bool LinkIsUp(const std::function<void(const Bytes&)>& send)
  {
    for (int attempt = 1; attempt <= 10; ++attempt) {
      send(Request(attempt));
      for (Bytes m; !(m = mPorts->Next(std::chrono::seconds(2))).empty();)
        if (m.size() == 213 && m[7] == attempt) return Ask("reset") == "ok";
    }
    return false;
  }

  void Send(const Bytes& m)
  {
    mPorts->Send(m);
    ++mSent;
  }

  // Waits until the sim has handled everything sent so far.
  void Settle() { ASSERT_EQ(mSim.Ask("wait " + std::to_string(mSent)), "ok " + std::to_string(mSent)); }

  void Cc(uint8_t controller, uint8_t value, uint8_t status = 0xB0) { Send({status, controller, value}); }

  std::string Ask(const std::string& command) { return mSim.Ask(command); }

  SynthSimProcess mSim;
  std::unique_ptr<EditorPorts> mPorts;
  int mSent = 0;
};

// A program with values at the ends of their ranges, so that the offsets show.
Values SampleProgram()
{
  Values v = kDefaultProgram;
  v[0] = -24;  // VCO1 coarse: wire 0
  v[1] = 63;   // VCO1 fine: wire 126
  v[76] = 100; // new filter's cutoff
  v[144] = 3;  // overdrive with both blends
  v[147] = 99; // spare, still carried
  v[160] = -20;
  v[169] = 15;
  return v;
}

TEST_F(SynthSim, FreshLocationDumpsTheDefaultProgramNamedInit)
{
  Send(Request(1));
  EXPECT_EQ(mPorts->Next(), ProgramMessage(0x41, 1, kDefaultProgram, "INIT"));
}

TEST_F(SynthSim, RequestAnswersWithTheStoredProgram)
{
  const Values v = SampleProgram();
  ASSERT_EQ(Ask("set-program 7 " + ProgramLine(v, "Warm Pad")), "ok");
  Send(Request(7));
  const Bytes dump = mPorts->Next();
  ASSERT_EQ(dump.size(), 213u);
  EXPECT_EQ(Bytes(dump.begin(), dump.begin() + 8), (Bytes{0xF0, 0x00, 0x3E, 0x5A, 0x03, 0x41, 0x03, 0x07}));
  EXPECT_EQ(dump[8], 0);     // -24 + 24
  EXPECT_EQ(dump[9], 126);   // 63 + 63
  EXPECT_EQ(dump[8 + 160], 0);
  EXPECT_EQ(dump[178], 'W');
  EXPECT_EQ(dump[186], 0);   // name padding
  int sum = 0;
  for (size_t i = 8; i < 210; ++i) sum += dump[i];
  EXPECT_EQ(dump[210], (sum >> 7) & 0x7F);
  EXPECT_EQ(dump[211], sum & 0x7F);
  EXPECT_EQ(dump, ProgramMessage(0x41, 7, v, "Warm Pad"));
}

TEST_F(SynthSim, WriteIsStoredAcknowledgedAndDumpedBack)
{
  const Values v = SampleProgram();
  Send(ProgramMessage(0x20, 12, v, "12_BASS_Deep"));
  EXPECT_EQ(mPorts->Next(), kWriteOk);
  Values stored = v;  // only 0..169 travel; the rest stays as the default
  for (int i = 170; i < kProgramSize; ++i) stored[i] = kDefaultProgram[i];
  EXPECT_EQ(Ask("program 12"), ProgramLine(stored, "12_BASS_Deep"));
  Send(Request(12));
  EXPECT_EQ(mPorts->Next(), ProgramMessage(0x41, 12, v, "12_BASS_Deep"));
  EXPECT_EQ(Ask("program 11"), ProgramLine(kDefaultProgram, "INIT"));
}

TEST_F(SynthSim, BadWritesAreAnsweredFailedAndNotStored)
{
  const Bytes good = ProgramMessage(0x20, 20, SampleProgram(), "Lead");
  struct Case
  {
    const char* name;
    void (*spoil)(Bytes&);
  } const cases[] = {
    {"checksum", [](Bytes& m) { m[211] ^= 1; }},
    {"value byte 0x85, checksum made to fit", [](Bytes& m) {
       m[8] = 0x85;
       m.resize(210);
       AppendSum(&m, 8);
       m.push_back(0xF7);
     }},
    {"name byte 0x80", [](Bytes& m) { m[178] = 0x80; }},
    {"location 0", [](Bytes& m) { m[7] = 0; }},
    {"location 100", [](Bytes& m) { m[7] = 100; }},
    {"one byte short", [](Bytes& m) { m.erase(m.begin() + 100); }},
  };
  int rejected = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes m = good;
    c.spoil(m);
    Send(m);
    EXPECT_EQ(mPorts->Next(), kWriteFailed);
    ++rejected;
  }
  EXPECT_EQ(Ask("program 20"), ProgramLine(kDefaultProgram, "INIT"));
  EXPECT_EQ(Ask("counts"), "received=6 sysex=6 cc=0 nrpn=0 rejected=" + std::to_string(rejected) +
                             " dumps=0 stored=0 firmware=0");
}

TEST_F(SynthSim, FailingLocationRefusesOnlyThatLocation)
{
  ASSERT_EQ(Ask("fail-write 5"), "ok");
  Send(ProgramMessage(0x20, 5, SampleProgram(), "Five"));
  EXPECT_EQ(mPorts->Next(), kWriteFailed);
  Send(ProgramMessage(0x20, 6, SampleProgram(), "Six"));
  EXPECT_EQ(mPorts->Next(), kWriteOk);
  EXPECT_EQ(Ask("program 5"), ProgramLine(kDefaultProgram, "INIT"));
  ASSERT_EQ(Ask("fail-write clear"), "ok");
  Send(ProgramMessage(0x20, 5, SampleProgram(), "Five"));
  EXPECT_EQ(mPorts->Next(), kWriteOk);
}

TEST_F(SynthSim, MalformedRequestsGetNoAnswer)
{
  const Bytes bad[] = {
    {0xF0, 0x00, 0x3E, 0x5A, 0x03, 0x40, 0x03, 0xF7},            // no location
    {0xF0, 0x00, 0x3E, 0x5A, 0x03, 0x40, 0x03, 0x00, 0xF7},      // location 0
    {0xF0, 0x00, 0x3E, 0x5A, 0x03, 0x40, 0x03, 0x64, 0xF7},      // location 100
    {0xF0, 0x00, 0x3E, 0x5A, 0x03, 0x40, 0x02, 0x01, 0xF7},      // byte 6
    {0xF0, 0x00, 0x3E, 0x5B, 0x03, 0x40, 0x03, 0x01, 0xF7},      // manufacturer
    {0xF0, 0x00, 0x3E, 0x5A, 0x04, 0x40, 0x03, 0x01, 0xF7},      // class
    {0xF0, 0x00, 0x3E, 0x5A, 0x03, 0x40, 0x83, 0x01, 0xF7},      // 0x83 inside
  };
  for (const Bytes& m : bad) Send(m);
  Send(Request(3));
  const Bytes first = mPorts->Next();
  ASSERT_EQ(first.size(), 213u);
  EXPECT_EQ(first[7], 3);
  EXPECT_EQ(Ask("counts"), "received=8 sysex=8 cc=0 nrpn=0 rejected=7 dumps=1 stored=0 firmware=0");
}

TEST_F(SynthSim, NrpnSequencesChangeTheEditBuffer)
{
  struct Case
  {
    const char* name;
    Bytes controllers;  // controller, value pairs
    uint8_t status;
    int index;
    int value;
  } const cases[] = {
    {"full address, low bank", {99, 5, 98, 0, 6, 30}, 0xB0, 0, 6},
    {"LSB alone keeps the bank", {98, 1, 6, 0}, 0xB0, 1, -63},
    {"data alone reuses the address", {6, 127}, 0xB0, 1, 64},
    {"high bank", {99, 6, 98, 16, 6, 3}, 0xB0, 144, 3},
    {"high bank offset", {98, 32, 6, 0}, 0xB0, 160, -20},
    {"spare carried by program sends", {98, 19, 6, 99}, 0xB0, 147, 99},
    {"new cutoff under the vintage address", {99, 5, 98, 76, 6, 122}, 0xB0, 76, 122},
    {"any channel", {98, 8, 6, 42}, 0xB9, 8, 42},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (size_t i = 0; i + 1 < c.controllers.size(); i += 2) Cc(c.controllers[i], c.controllers[i + 1], c.status);
    Settle();
    EXPECT_EQ(Ask("edit " + std::to_string(c.index)), std::to_string(c.value));
  }
  const std::string before = Ask("edit");
  Cc(99, 10);  // the "nothing sent yet" address
  Cc(98, 1);
  Cc(6, 5);
  Settle();
  EXPECT_EQ(Ask("edit"), before);
  EXPECT_EQ(Ask("counts"), "received=21 sysex=0 cc=21 nrpn=8 rejected=1 dumps=0 stored=0 firmware=0");
}

TEST_F(SynthSim, WholeProgramSendFillsTheEditBuffer)
{
  Values v = kDefaultProgram;
  for (int i = 0; i < 170; ++i)
    if (kProgramMax[i] > kProgramMin[i]) v[i] = kProgramMin[i] + (i * 7) % (kProgramMax[i] - kProgramMin[i] + 1);
  Cc(99, 5);
  for (int i = 0; i <= 124; ++i) {
    Cc(98, uint8_t(i));
    Cc(6, uint8_t(v[i] + Offset(i)));
  }
  Cc(99, 6);
  for (int i = 0; i <= 41; ++i) {
    Cc(98, uint8_t(i));
    Cc(6, uint8_t(v[128 + i] + Offset(128 + i)));
  }
  ASSERT_EQ(mSent, 336);
  Settle();
  EXPECT_EQ(Ask("edit"), ProgramLine(v, "INIT"));
}

TEST_F(SynthSim, SilentModeHandlesButSendsNothing)
{
  ASSERT_EQ(Ask("silent on"), "ok");
  Send(Request(3));
  Send(ProgramMessage(0x20, 4, SampleProgram(), "Quiet"));
  Send(kUpdateRequest);
  Settle();
  ASSERT_EQ(Ask("silent off"), "ok");
  Send(Request(5));
  const Bytes first = mPorts->Next();
  ASSERT_EQ(first.size(), 213u);
  EXPECT_EQ(first[7], 5);
  EXPECT_NE(Ask("program 4"), ProgramLine(kDefaultProgram, "INIT"));
}

TEST_F(SynthSim, CorruptModeSpoilsOnlyTheChecksumOfTheNextDump)
{
  ASSERT_EQ(Ask("corrupt 1"), "ok");
  const Bytes good = ProgramMessage(0x41, 2, kDefaultProgram, "INIT");
  Send(Request(2));
  const Bytes bad = mPorts->Next();
  ASSERT_EQ(bad.size(), 213u);
  EXPECT_EQ(Bytes(bad.begin(), bad.begin() + 210), Bytes(good.begin(), good.begin() + 210));
  EXPECT_NE(Bytes(bad.begin() + 210, bad.end()), Bytes(good.begin() + 210, good.end()));
  EXPECT_EQ(bad.back(), 0xF7);
  Send(Request(2));
  EXPECT_EQ(mPorts->Next(), good);
}

TEST_F(SynthSim, ShortModeSendsA115ByteDump)
{
  const Values v = SampleProgram();
  ASSERT_EQ(Ask("set-program 9 " + ProgramLine(v, "Short")), "ok");
  ASSERT_EQ(Ask("short 1"), "ok");
  Send(Request(9));
  Bytes expected = {0xF0, 0x00, 0x3E, 0x5A, 0x03, 0x41, 0x03, 0x09};
  for (int i = 0; i < 104; ++i) expected.push_back(uint8_t(v[i] + Offset(i)));
  AppendSum(&expected, 8);
  expected.push_back(0xF7);
  ASSERT_EQ(expected.size(), 115u);
  EXPECT_EQ(mPorts->Next(), expected);
  Send(Request(9));
  EXPECT_EQ(mPorts->Next().size(), 213u);
}

TEST_F(SynthSim, FirmwareHandshakeAndSevenByteFile)
{
  Send(kUpdateRequest);
  EXPECT_EQ(mPorts->Next(), kErasing);
  EXPECT_EQ(mPorts->Next(), kReady);
  // Seven 0xFF bytes: N = 9, eight 0x7F digits and one zero digit, sum 1016.
  const Bytes data = {0xF0, 0x00, 0x3E, 0x5A, 0x02, 0x13, 0x00, 0x00, 0x09, 0x7F, 0x7F, 0x7F, 0x7F, 0x7F,
                      0x7F, 0x7F, 0x7F, 0x00, 0x07, 0x78, 0xF7};
  EXPECT_EQ(FirmwareMessage(Bytes(7, 0xFF)), data);
  Send(data);
  EXPECT_EQ(mPorts->Next(), kUpdateOk);
  EXPECT_EQ(Ask("firmware"), "7 ffffffffffffff");
}

TEST_F(SynthSim, FirmwareTailBytesAreUnpacked)
{
  // One byte 0xAB: N = 2, digits 01 2B.
  const Bytes one = {0xF0, 0x00, 0x3E, 0x5A, 0x02, 0x13, 0x00, 0x00, 0x02, 0x01, 0x2B, 0x00, 0x2C, 0xF7};
  EXPECT_EQ(FirmwareMessage({0xAB}), one);
  const Bytes files[] = {{0xAB}, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, {0xFF, 0xFE, 0xFD, 0xFC, 0xFB, 0xFA, 0xF9, 0xF8, 0xF7, 0xF6, 0xF5, 0xF4, 0xF3}};
  for (const Bytes& file : files) {
    Send(kUpdateRequest);
    EXPECT_EQ(mPorts->Next(), kErasing);
    EXPECT_EQ(mPorts->Next(), kReady);
    Send(FirmwareMessage(file));
    EXPECT_EQ(mPorts->Next(), kUpdateOk);
    EXPECT_EQ(Ask("firmware"), std::to_string(file.size()) + " " + Hex(file));
  }
}

TEST_F(SynthSim, LargestFirmwareArrivesInPacedPieces)
{
  Bytes file(80000);
  uint32_t x = 12345;
  for (uint8_t& b : file) b = uint8_t((x = x * 1103515245u + 12345u) >> 16);
  const Bytes data = FirmwareMessage(file);
  ASSERT_EQ(data.size(), 91441u);
  Send(kUpdateRequest);
  EXPECT_EQ(mPorts->Next(), kErasing);
  EXPECT_EQ(mPorts->Next(), kReady);
  Send(data);
  EXPECT_EQ(mPorts->Next(), kUpdateOk);
  // Compared whole but reported briefly: the text is 160,000 digits long.
  EXPECT_TRUE(Ask("firmware") == "80000 " + Hex(file)) << "the sim holds other firmware bytes";
}

TEST_F(SynthSim, FailedFirmwareKeepsTheLoaderOpen)
{
  Bytes data = FirmwareMessage({1, 2, 3});
  Send(data);  // no update requested: not understood
  Send(kUpdateRequest);
  EXPECT_EQ(mPorts->Next(), kErasing);
  EXPECT_EQ(mPorts->Next(), kReady);
  data[data.size() - 2] ^= 1;
  Send(data);
  EXPECT_EQ(mPorts->Next(), kUpdateFailed);
  ASSERT_EQ(Ask("fail-firmware 1"), "ok");
  data[data.size() - 2] ^= 1;
  Send(data);
  EXPECT_EQ(mPorts->Next(), kUpdateFailed);
  EXPECT_EQ(Ask("firmware"), "0");
  Send(data);
  EXPECT_EQ(mPorts->Next(), kUpdateOk);
  EXPECT_EQ(Ask("firmware"), "3 010203");
  EXPECT_EQ(Ask("counts"), "received=5 sysex=5 cc=0 nrpn=0 rejected=2 dumps=0 stored=0 firmware=4");
}

TEST_F(SynthSim, StartOptionsSetTheModes)
{
  ASSERT_NO_FATAL_FAILURE(Open("To ZephraEditor", "From ZephraEditor",
                               {"--short", "1", "--corrupt", "2", "--fail-write", "5", "--fail-write", "7",
                                "--silent", "--fail-firmware", "3"},
                               false));
  EXPECT_EQ(Ask("modes"), "silent=on corrupt=2 short=1 fail-firmware=3 fail-write=5,7");
  ASSERT_EQ(Ask("silent off"), "ok");
  ASSERT_EQ(Ask("fail-write clear"), "ok");
  EXPECT_EQ(Ask("modes"), "silent=off corrupt=2 short=1 fail-firmware=3 fail-write=none");
}

TEST_F(SynthSim, PortNamesAreOptions)
{
  ASSERT_NO_FATAL_FAILURE(
    Open("Test Synth In", "Test Synth Out", {"--to", "Test Synth In", "--from", "Synth Out"}));
  Send(Request(4));
  EXPECT_EQ(mPorts->Next().size(), 213u);
}

TEST_F(SynthSim, VirtualPortsWaitForTheOtherSide)
{
  ASSERT_NO_FATAL_FAILURE(Open("unused in", "unused out", {"--virtual", "--client", "Zephra Sim V"}, false));
  RtMidiOut out(RtMidi::UNIX_JACK, "Sim test out");
  RtMidiIn& in = mPorts->In();
  auto find = [](RtMidi& midi, const std::string& name) {
    for (unsigned i = 0; i < midi.getPortCount(); ++i)
      if (midi.getPortName(i) == name) return int(i);
    return -1;
  };
  const int inPort = find(in, "Zephra Sim V Output:MIDI Out");
  const int outPort = find(out, "Zephra Sim V Input:MIDI In");
  ASSERT_GE(inPort, 0);
  ASSERT_GE(outPort, 0);
  in.closePort();
  in.openPort(unsigned(inPort));
  out.openPort(unsigned(outPort));
  EXPECT_TRUE(LinkIsUp([&](const Bytes& m) { out.sendMessage(&m); }));
}

TEST_F(SynthSim, CommandsAnswerOneLineEach)
{
  const std::pair<const char*, const char*> cases[] = {
    {"ping", "pong"},
    {"edit 183", "0"},
    {"edit 184", "error index must be 0..183"},
    {"program 0", "error location must be 1..99"},
    {"set-program 3 1 2 :x", "error not a program line"},
    {"fail-write 100", "error location must be 1..99 or clear"},
    {"bogus", "error unknown command: bogus"},
    {"firmware", "0"},
    {"reset", "ok"},
  };
  for (const auto& c : cases) EXPECT_EQ(Ask(c.first), c.second) << c.first;
  ASSERT_EQ(Ask("set-program 3 " + ProgramLine(kDefaultProgram, "A\\x0aB")), "ok");
  EXPECT_EQ(Ask("program 3"), ProgramLine(kDefaultProgram, "A\\x0aB"));
}

TEST_F(SynthSim, EndOfInputEndsTheSimCleanly)
{
  EXPECT_EQ(mSim.Stop(false), 0) << mSim.Error();
}
} // namespace
